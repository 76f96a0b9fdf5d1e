#pragma once
// The word editor's text files: the list of word names it imports into the editor's file, and the
// report of the words its list shows, and the export of those words' names. All are 8-bit Windows-1252
// text; the report and the export end their lines with CR LF. The report's literals (the Danish header
// too) do not follow the program's language, so that reports made on any system compare.

#include "platform/types/Time.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class CQuibWord;

// At most this many names are read from one import file.
constexpr int kMaxImportedWords = 1000;

// The names of an import file: lines end at a line feed (the last line also without one), carriage
// returns are dropped, empty lines skipped; a name is the line's first tab-separated field without the
// white space around it, and may be empty (the line still counts). At most `limit` names.
std::vector<QString> WordNamesOfImport(const QByteArray& bytes, int limit = kMaxImportedWords);

// What stops an import of word names.
enum class WordImportError { None, NoFreeId };
// The system string that tells a person of the error (none for None).
int messageIdOf(WordImportError error);

// A line the import passed over, with the message that tells why and its detail.
struct WordImportIssue {
    int messageId = 0;
    QString detail;
};

struct WordImportResult {
    WordImportError error = WordImportError::None;
    std::vector<WordImportIssue> issues;
    int stored = 0;
};

// Stores a word under each name in `file` in `language`: a name that exactly one word of the user's
// items (ids below 1,000,000,000) has keeps that word's id (its copy in the file is renamed, or made);
// a name no such word has gets a new word with a new id; a name two or more of them share is passed
// over (it must be imported by hand). Each stored word is filed in the word index and handed to
// `stored`. The name list is searched with regard to case while the import runs, and gets its own
// setting back however the import ends.
WordImportResult ImportWordNames(const std::vector<QString>& names, int file, int language,
                                 const std::function<void(CQuibWord*)>& stored = {});

// One word of the report, and one letter of the list with its words in the list's order.
struct ListedWord {
    std::int32_t id = 0;
    QString name;
    std::int16_t form = 0;
};
struct ListedWordGroup {
    QString letter;
    std::vector<ListedWord> words;
};
// The report: "Ord i datafiler (time):", a rule, then per letter its line and one line per word with
// its id, name, class name and inflexion name.
QByteArray WordListText(const CTime& when, const std::vector<ListedWordGroup>& groups);
// The export: one line per word, its name and its id separated by a tab, which the import reads back.
QByteArray WordNamesText(const std::vector<ListedWordGroup>& groups);
