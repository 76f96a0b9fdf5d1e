#pragma once
// The import of translated names: text files of "id TAB name" lines, each storing a copy of an existing
// word or page in the output file under the translation language, carrying the translated name. The
// import dialogs (commands 5069 and 5070) show its progress, status and log through an
// ImportTextSink.

#include <QString>
#include <QStringList>

// Which items the names belong to.
enum class TranslatedItems { Words, Pages };

// Where the import reports as it goes: the progress position (0 to 1,000), the status text and the
// log lines (each ending with CR LF).
class ImportTextSink
{
public:
    virtual ~ImportTextSink() = default;
    virtual void SetProgress(int position) = 0;
    virtual void SetStatus(const QString& text) = 0;
    virtual void AppendLog(const QString& line) = 0;
};

// Imports every line of every file, in list order, into the output file under the translation
// language; a file that cannot be read is passed over. Each item is written at once. A translation the
// output file holds already takes the new name when the lookup finds it, or with `overwrite`; else the
// line is logged as existing.
void ImportTextFiles(const QStringList& paths, TranslatedItems items, ImportTextSink& sink,
                     bool overwrite = false);

// The progress position for `done` bytes of `total`: 0 to 1,000, also when the total is 0 or the
// files grew while they were read.
int ImportProgressPosition(qint64 done, qint64 total);
