#pragma once
// The translators' text files: 8-bit (Windows-1252) lines ended by a line feed, with carriage returns
// ignored and columns separated by tabs. The system strings go out as "id TAB source TAB translation"
// and come back from the same form; translated names come as "id TAB name".

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// One line of a text file without its carriage returns, and the offset just past its line feed (or the
// end of the file for a last line without one).
struct TextFileLine {
    QByteArray text;
    qsizetype end = 0;
};

// The largest translators' text file read: many times every string and name a program and its library
// hold, so a wrong or damaged file is refused before it fills the memory.
constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;

enum class TextFileRead { Read, Unreadable, TooLarge };
// Reads a whole translators' text file of at most kMaxTextFileBytes.
TextFileRead ReadTextFile(const QString& path, QByteArray& bytes);

// Gives `take` the non-empty lines of a file one at a time, so a file of many short lines is never
// held twice; a last line without a line feed is a line too.
void ForEachTextFileLine(const QByteArray& bytes, const std::function<void(const TextFileLine&)>& take);
// The non-empty lines of a file, all at once.
std::vector<TextFileLine> SplitTextFileLines(const QByteArray& bytes);
// Column `index` (from 0) of a tab-separated line, empty when missing; the last column asked for runs
// to the end of the line only when `toEnd` is set.
QByteArray TabColumn(const QByteArray& line, int index, bool toEnd = false);
// The decimal whole number the text starts with (after blanks, with an optional sign); 0 when there is
// none. Numbers beyond the range of int come back clamped, so a range check sees them.
std::int64_t LeadingNumber(const QByteArray& text);

// A text with a bracketed fallback's brackets removed: leading blanks and "[" when it holds a "[",
// trailing blanks and "]" when it holds a "]".
QString StripFallbackBrackets(QString text);

struct SystemStringRow {
    int id = 0;
    QString source;
    QString translation;
};

// The export file: "%d\t%s\t%s\r\n" per row whose id is not 0, the source without brackets.
QByteArray FormatSystemStringsExport(const std::vector<SystemStringRow>& rows);

// What an import file gives: one translation per id, in the order the ids first appear and with the
// last translation the file gives the id (source texts are not read), so the rows never outnumber the
// string ids however long the file; and the ids of lines skipped because they are no string id
// (outside 1 to 65,535).
struct SystemStringsImport {
    std::vector<SystemStringRow> rows;
    std::vector<std::int64_t> skippedIds;
};
SystemStringsImport ParseSystemStringsImport(const QByteArray& bytes);
