#include "admin/OutputFileLife.h"

#include "admin/DialogParts.h"
#include "admin/FileRoles.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

namespace
{

constexpr int kAskSaveOutputFile = 9001;
constexpr int kMsgInUse = 9500;
constexpr int kMsgSaveFailed = kMsgOutputFileNotSaved;
constexpr int kMsgOpenAlready = 9502;
constexpr int kMsgCannotOpen = 9503;
constexpr int kMsgCannotCreate = 9504;
constexpr int kMsgBackupFailed = 9505;
constexpr int kNewOutputFileTitle = 4052;
constexpr int kOpenOutputFileTitle = 4053;

const QLatin1String kExtension("tvf");
const QString kBackupName = QStringLiteral("tmpQuib.tvf");

OutputFileResult failed(OutputFileError error, const QString& path)
{
    return {error, path};
}

// A menu text such as "New output file..." as a dialog's title.
QString titleOf(int menuTextId)
{
    QString title = LoadSystemString(menuTextId);
    while (title.endsWith(QLatin1Char('.')))
        title.chop(1);
    return title;
}

// An output file that is open stays open when the person cancels its save question.
bool closeOpenOutputFile()
{
    return theOutputFile <= 0 || (CloseOutputFile() && theOutputFile <= 0);
}

// Files the new output file by its kind, backs it up and brings the program up to date with it. A
// backup that cannot be written loses nothing, so it goes to the trace, not to the person.
void takeAsOutputFile(int number)
{
    theOutputFile = number;
    ScanDataFolder(number);
    if (const OutputFileResult backup = BackupOutputFile(); backup.error != OutputFileError::None)
        WriteDebugLog(QStringLiteral("Output file backup not written: %1").arg(backup.detail));
    InitializeSystem(kReloadEverything);
}

// The new file is written whole by the store's first save, beside `path` under the store's scratch name,
// and renamed over `path` only once it stands: a closed file there (the file dialog asked before
// replacing it) stays as it was when the write fails or the program is killed part-way. It is a data
// file of version 2.0.61 from the start, so that a file closed unchanged, or left by a kill, opens again
// as the output file.
OutputFileResult createAt(const QString& path)
{
    if (FindResFileByPath(path) > 0)
        return failed(OutputFileError::OpenAlready, path);
    // Made without a path: the store names a new file at its first save, whatever lies at that path.
    int number = 0;
    if (FindOrAddResFile(&number, QString()) != RES_FILE_NEW)
        return failed(OutputFileError::CannotCreate, path);
    StampAsDataFile(number);
    if (SaveResFile(number, path) != RES_OK) {
        CloseResFile(number);
        return failed(OutputFileError::CannotCreate, path);
    }
    takeAsOutputFile(number);
    return {};
}

OutputFileError refusalError(int refusal)
{
    return refusal == MSG_UNKNOWN_FILE_KIND ? OutputFileError::UnknownKind : OutputFileError::VersionTooLow;
}

OutputFileResult openAt(const QString& path)
{
    const int open = FindResFileByPath(path);
    if (open > 0 && FileHasOtherRole(open, kFileRoleNone))
        return failed(OutputFileError::InUse, path);
    int number = 0;
    int result = RES_OK;
    const int refusal = OpenDataFile(path, &number, &result);
    if (result < RES_OK || number <= 0)
        return failed(OutputFileError::CannotOpen, path);
    if (refusal != DATAFILE_ACCEPTED)
        return failed(refusalError(refusal), path);
    takeAsOutputFile(number);
    return {};
}

} // namespace

int messageIdOf(OutputFileError error)
{
    switch (error) {
    case OutputFileError::None:
    case OutputFileError::Cancelled:
        return 0;
    case OutputFileError::InUse:
        return kMsgInUse;
    case OutputFileError::OpenAlready:
        return kMsgOpenAlready;
    case OutputFileError::UnknownKind:
        return MSG_UNKNOWN_FILE_KIND;
    case OutputFileError::VersionTooLow:
        return MSG_VERSION_TOO_LOW;
    case OutputFileError::CannotOpen:
        return kMsgCannotOpen;
    case OutputFileError::CannotCreate:
        return kMsgCannotCreate;
    case OutputFileError::SaveFailed:
        return kMsgSaveFailed;
    case OutputFileError::BackupFailed:
        return kMsgBackupFailed;
    }
    return 0;
}

void ReportOutputFileResult(const OutputFileResult& result)
{
    if (const int id = messageIdOf(result.error); id != 0)
        MessageBoxById(id, lumivo::ui::MB_ICONEXCLAMATION, result.detail);
}

OutputFileResult CreateOutputFile()
{
    if (!closeOpenOutputFile())
        return {OutputFileError::Cancelled, {}};
    const auto path = lumivo::ui::chooseSaveFile(titleOf(kNewOutputFileTitle), theBaseDir,
                                                 lumivo::admin::dataFileFilter(), nullptr, kExtension);
    if (!path)
        return {OutputFileError::Cancelled, {}};
    return createAt(*path);
}

OutputFileResult OpenOutputFile(const QString& path)
{
    const bool closed = closeOpenOutputFile();
    QString chosen = path;
    // Cancel in the save question still shows the file dialog, but nothing is opened.
    if (chosen.isEmpty()) {
        if (const auto picked = lumivo::ui::chooseOpenFile(titleOf(kOpenOutputFileTitle), theBaseDir,
                                                           lumivo::admin::dataFileFilter()))
            chosen = *picked;
    }
    if (!closed || chosen.isEmpty())
        return {OutputFileError::Cancelled, {}};
    return openAt(chosen);
}

bool CloseOutputFileAsking()
{
    const int file = theOutputFile;
    if (file <= 0)
        return true;
    if (IsResFileDirty(file)) {
        const int answer =
            MessageBoxById(kAskSaveOutputFile, lumivo::ui::MB_YESNOCANCEL | lumivo::ui::MB_ICONQUESTION);
        if (answer == lumivo::ui::IDCANCEL)
            return false;
        if (answer == lumivo::ui::IDYES) {
            const OutputFileResult saved = SaveOutputFile();
            if (saved.error != OutputFileError::None) {
                ReportOutputFileResult(saved);
                return false;
            }
        }
    }
    theTranslateLanguageRec = nullptr;
    theOutputFile = 0;
    theTranslateLanguage = 0;
    // Filed as a data file when it was opened, which is no other role: it was refused with one.
    ReleaseFileUnlessInUse(file, kFileRoleData);
    InitializeSystem(kReloadEverything);
    SetSystemSettingInt(QStringLiteral("TranslateFlags"), theTranslateFlags);
    return true;
}

OutputFileResult SaveOutputFile()
{
    if (SaveChangedOutputFile() != RES_OK)
        return failed(OutputFileError::SaveFailed, GetResFilePath(theOutputFile));
    return {};
}

QString OutputFileBackupPath()
{
    const QString folder = GetTempDirString(QStringLiteral("/"));
    return folder.isEmpty() ? QString() : folder + kBackupName;
}

OutputFileResult BackupOutputFile()
{
    if (theOutputFile <= 0)
        return {};
    const QString backup = OutputFileBackupPath();
    if (backup.isEmpty() || !lumivo::files::copyFileAtomically(GetResFilePath(theOutputFile), backup))
        return failed(OutputFileError::BackupFailed, backup);
    return {};
}

bool RestoreTranslateLanguage()
{
    int language = 0;
    GetSystemSettingInt(QStringLiteral("TranslateLanguage"), &language);
    if (language <= 0 || language > 0xFFFF || theOutputFile <= 0)
        return false;
    CQuibSystem* record = FindSystemRecord(static_cast<std::uint16_t>(language));
    if (!record || record->GetFile() != theOutputFile)
        return false;
    theTranslateLanguage = static_cast<std::uint16_t>(language);
    AddSystemInitFlags(kReloadEverything);
    return true;
}
