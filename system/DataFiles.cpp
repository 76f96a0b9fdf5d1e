#include "system/DataFiles.h"

#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QStringList>

#include <algorithm>

std::vector<int> theDataFiles;

namespace
{

constexpr std::int64_t kLooseFileThreshold = 0x200000;

bool IsAcceptedKind(std::uint32_t kind)
{
    return kind == FILEKIND_DATA || kind == FILEKIND_USER || kind == FILEKIND_PROFILE;
}

int CheckOpenedFile(int file)
{
    if (!IsAcceptedKind(GetResFileKind(file)))
        return MSG_UNKNOWN_FILE_KIND;
    if (!IsAcceptedDataVersion(GetResFileVersion(file)))
        return MSG_VERSION_TOO_LOW;
    return DATAFILE_ACCEPTED;
}

bool HasDataFileExtension(const QString& name)
{
    return name.endsWith(QLatin1String(".tvf"), Qt::CaseInsensitive) && name.size() > 4;
}

void FileDataFile(int file)
{
    std::erase(theDataFiles, file);
    const std::uint32_t version = GetResFileVersion(file);
    const auto place = std::find_if(theDataFiles.begin(), theDataFiles.end(),
                                    [version](int other) { return GetResFileVersion(other) <= version; });
    theDataFiles.insert(place, file);
}

// Data files the store cannot open would otherwise vanish from the program without a word: each goes
// to the trace, and the status text names them all. The text is the program's own, not a system
// string: the language records that hold those come from the data files, which may be the very files
// that failed, and a new string id could mean something else in them.
void ReportUnopenedDataFiles(const QStringList& unopened)
{
    if (unopened.isEmpty())
        return;
    for (const QString& file : unopened)
        WriteDebugLog(QStringLiteral("Data file not opened: %1").arg(file));
    SetStatusText(QStringLiteral("Data files not opened: %1").arg(unopened.join(QStringLiteral(", "))));
}

} // namespace

bool IsAcceptedDataVersion(std::uint32_t version)
{
    int major = 0;
    int minor = 0;
    int build = 0;
    SplitResFileVersion(version, &major, &minor, &build);
    return (major == 2 && minor == 0) || (major == 0 && minor == 2 && build < 5);
}

namespace
{

int OpenAndCheck(int (*open)(int*, const QString&), const QString& path, int* file, int* result)
{
    *file = 0;
    *result = open(file, path);
    if (*result < RES_OK || *file <= 0)
        return DATAFILE_ACCEPTED;
    const int refusal = CheckOpenedFile(*file);
    // A file that was open before this call belongs to whoever opened it: it is refused, not closed.
    if (refusal != DATAFILE_ACCEPTED && *result == RES_OK)
        CloseResFile(*file);
    return refusal;
}

} // namespace

int OpenDataFile(const QString& path, int* file, int* result)
{
    return OpenAndCheck(OpenResFile, path, file, result);
}

int OpenDataFileForReading(const QString& path, int* file, int* result)
{
    return OpenAndCheck(OpenResFileForReading, path, file, result);
}

int OpenDataFileAndReport(const QString& path, int* file, int* result)
{
    const int refusal = OpenDataFile(path, file, result);
    if (refusal != DATAFILE_ACCEPTED)
        MessageBoxById(refusal, lumivo::ui::MB_ICONEXCLAMATION);
    return refusal;
}

void ScanDataFolder(int file)
{
    if (file > 0) {
        if (GetResFileKind(file) == FILEKIND_DATA)
            FileDataFile(file);
        return;
    }
    QString folder;
    if (!GetDataDir(folder, QStringLiteral("/")))
        return;
    std::vector<QString> names = lumivo::files::fileSystem().list(folder.chopped(1));
    std::sort(names.begin(), names.end());
    QStringList unopened;
    for (const QString& name : names) {
        // A compacting save's scratch file, left by a crash: held open, it would block every later
        // compacting save in this folder, and a complete one would double every object it holds.
        if (!HasDataFileExtension(name) || ResScratchPathFor(folder + name) == folder + name)
            continue;
        int number = 0;
        int result = RES_OK;
        if (OpenDataFile(folder + name, &number, &result) == DATAFILE_ACCEPTED &&
            (result == RES_OK || result == RES_FILE_ALREADY_OPEN))
            ScanDataFolder(number);
        else if (result < 0)
            unopened << QStringLiteral("%1 (error %2)").arg(name).arg(result);
    }
    ReportUnopenedDataFiles(unopened);
}

int CloseDataFile(int file)
{
    if (file > 0) {
        std::erase(theDataFiles, file);
        return ReleaseDataFile(file);
    }
    int result = RES_OK;
    const std::vector<int> files = std::exchange(theDataFiles, {});
    for (int each : files)
        ReleaseDataFile(each, &result);
    return result;
}

int ReleaseDataFile(int file, int* result)
{
    const int closed = CloseResFile(file);
    if (result)
        *result = closed;
    return closed;
}

void SaveDataFile(int file, bool compact, bool force, int* err)
{
    if (*err != RES_OK)
        return;
    // Asked first: measuring the used size makes every record of the file that was not touched yet.
    if (!IsResFileDirty(file) && !force)
        return;
    const std::int64_t length = GetResFileLength(file);
    if (length >= 0) {
        const std::int64_t stored = GetResFileUsedSize(file);
        if (stored > kLooseFileThreshold || length < 2 * stored)
            compact = true;
    }
    *err = SaveResFile(file, QString(), compact);
}

void ResetDataFiles()
{
    theDataFiles.clear();
}
