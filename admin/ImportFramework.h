#pragma once
// What the imports share outside their dialogs: the title a media file names its word by, the match
// of a title to a word, the lines of the import log and the bytes of a saved log. The log texts are
// fixed English: they are read by people comparing logs, not shown in the program's language.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>

// The kind of item an import brings in, which names it in the log's texts.
enum class ImportItem { Clip, Picture, Sound, Word, Page };

// Result codes of the store steps besides 0 (OK) and a negative store error.
constexpr int kImportUnreadablePicture = 1;
constexpr int kImportExists = 2;
constexpr int kImportNothingProduced = 3;
constexpr int kImportExistsElsewhere = 4;
constexpr int kImportUnreadableFile = 5;
constexpr int kImportFileTooLarge = 6; // larger than a sound or clip record may be: not read
constexpr int kImportDamagedSound = 7; // a WAVE file whose sound data ends before its header says

// What every media store step takes from its dialog besides its own choices.
struct MediaImportChoice {
    int outputFile = 0;
    bool overwrite = false;
    bool skipWhenElsewhere = false; // refuse an item found in any active file
};

// The file name without its extension and the spaces around it, with the escapes of the Danish
// letters ("%MBF" and "%U00F8" for ø, "%MAF" and "%U00D8" for Ø) replaced. Control characters (a tab,
// a line feed) are kept, so that the title shows them and matches no word.
QString ImportTitleOf(const QString& path);

// The number of distinct loaded words named exactly `title` (case counts); `wordId` gets the word to
// use: the only one, or of several the only key form; 0 for none. A title holding a control character
// matches no word.
int FindWordByTitle(const QString& title, std::int32_t& wordId);

// A title, name or path as an import log and its status line show it: each control character written
// as \t, \n, \r or \xHH, and a line or paragraph separator as \uHHHH, so that one file stays one log
// line whose tabs part its columns.
QString ImportLogText(const QString& text);

// Switches the word index's name list to case-sensitive order for its lifetime, and puts the setting
// it found back however the scope is left.
class CaseSensitiveWordNames
{
public:
    CaseSensitiveWordNames();
    ~CaseSensitiveWordNames();
    CaseSensitiveWordNames(const CaseSensitiveWordNames&) = delete;
    CaseSensitiveWordNames& operator=(const CaseSensitiveWordNames&) = delete;

private:
    bool m_wasCaseSensitive;
};

// The whole log line of one file, line end included: the match errors, or the store step's result
// with the note on key forms when there were several matches.
QString ImportLogLine(ImportItem item, const QString& title, int matches, std::int32_t wordId, int result);

// The saved log: the header naming the output file and the time, a rule, then the log, in the
// program's 8-bit character set.
QByteArray ImportLogFileBytes(ImportItem item, const QString& outputPath, const QDateTime& now,
                              const QString& log);
// The proposed name of a saved log, without its folder and extension.
QString ImportLogFileName(const QDateTime& now);
