#include "shell/CurrentUser.h"

#include "core/User.h"
#include "panes/IconPictures.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDir>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

// Without the dialog nobody accepted the new user: no nameless user is made current.
lumivo::Hook<bool(CQuibUser&)> theUserPropertiesEditorHook{[](CQuibUser&) { return false; }};
lumivo::Hook<void(int, bool, const QString&)> theDataFilePackageExporterHook{
    [](int, bool, const QString&) {}};

bool EditUserProperties(CQuibUser& user)
{
    return theUserPropertiesEditorHook(user);
}

void ExportDataFilePackage(int file, bool ask, const QString& name)
{
    theDataFilePackageExporterHook(file, ask, name);
}

namespace
{

constexpr int kMsgNewUserTitle = 9006;
constexpr int kMsgNotAUserFile = 9007;
constexpr int kMsgBadExtension = 9015;
constexpr int kMsgUserFiles = 9016;
constexpr int kMsgNotImplemented = 9034;
constexpr int kMsgNoName = 9035;
constexpr int kMsgProfileNotMade = 9417;
constexpr int kArchiveProfileTitle = 9457;
constexpr int kArchiveStandardProfileTitle = 9458;
constexpr int kMsgFileInUse = 9461;
// Why a user file could not be written or read: the "[#2]" of the messages below.
constexpr int kWhyNotPermittedToWrite = 9480;
constexpr int kWhyWriteFailed = 9481;
constexpr int kWhyNotPermittedToRead = 9482;
constexpr int kWhyNotReadable = 9483;
constexpr int kWhyDamagedNotMoved = 9493;
// "[#1]" the user file, "[#2]" why.
constexpr int kMsgNotSavedAtExit = 9484;
constexpr int kMsgNotSaved = 9485;
constexpr int kMsgNotSavedUserKept = 9486;
constexpr int kMsgFileNotUsed = 9488;
constexpr int kMsgNewUserNotStored = 9492;
// "[#1]" the user file.
constexpr int kMsgFileReadOnly = 9487;
// "[#1]" the user file, "[#2]" where it was kept.
constexpr int kMsgFileDamaged = 9489;
// "[#1]" where no user could be stored.
constexpr int kMsgUserInMemory = 9490;
constexpr int kMsgMemoryUserNotSaved = 9491;

// The user made current through SetCurrentUser; theCurrentUser may instead point at a user that a
// test owns, which is never deleted here.
std::unique_ptr<CQuibUser> ownedUser;

const QString kUserFileSetting = QStringLiteral("Userfile");
const QString kUserNumberSetting = QStringLiteral("Usernumber");

// What start-up found about the user file that the person must hear, waiting until it can be told
// over the main window: a message and its "[#1]" and "[#2]".
struct UserFileNote {
    int messageId = 0;
    QString first;
    QString second;
};
std::vector<UserFileNote> pendingNotes;

void noteForPerson(int messageId, const QString& first, const QString& second = {})
{
    pendingNotes.push_back({messageId, first, second});
    WriteDebugLog(QStringLiteral("UDU: to be told %1: %2 %3").arg(messageId).arg(first, second));
}

QString usersFolderFile(const char* name)
{
    const QString folder = GetUsersDirString(QStringLiteral("/"));
    return folder.isEmpty() ? QString() : folder + QLatin1String(name);
}

// Removes a scratch file a save or copy left: only a plain file of exactly that name, and never one the
// store holds open. One that stays lies beside the user files under a name no list shows (it does not
// end in ".tvf"); the trace says so.
void removeScratchFile(const QString& scratch)
{
    auto& fs = lumivo::files::fileSystem();
    const lumivo::files::FileInfo info = fs.info(scratch);
    if (!info.exists || info.isDirectory || FindResFileByPath(scratch) > 0)
        return;
    if (fs.remove(scratch))
        WriteDebugLog(QStringLiteral("Removed the scratch file ") + scratch);
    else
        WriteDebugLog(QStringLiteral("The scratch file %1 could not be removed").arg(scratch));
}

// Renames a scratch file over `path` once it is complete (`made`); one that is not, or cannot be renamed,
// is removed. True when `path` now holds it.
bool moveScratchIntoPlace(const QString& scratch, const QString& path, bool made)
{
    auto& fs = lumivo::files::fileSystem();
    if (made && fs.rename(scratch, path)) {
        fs.flushDirectory(lumivo::files::folderOf(path));
        return true;
    }
    removeScratchFile(scratch);
    return false;
}

// An open user file, and whether it was open before (then it is not ours to close).
struct OpenedFile {
    int number = 0;
    bool wasOpen = false;
};

// Why a user file could not be opened.
enum class UserFileTrouble {
    None,
    Missing,    // nothing at the path: a new file is made there
    Damaged,    // read and found to be no usable user file: kept aside, and a new file made
    Unreadable, // the program may not read it, or reading failed: it is left as it is
};

UserFileTrouble troubleOf(int refusal, int result)
{
    if (refusal != DATAFILE_ACCEPTED || result == RES_ERR_SHORT_HEADER || result == RES_ERR_BAD_FORMAT)
        return UserFileTrouble::Damaged;
    if (result == RES_ERR_NO_SUCH_FILE || result == RES_ERR_EMPTY_PATH)
        return UserFileTrouble::Missing;
    return UserFileTrouble::Unreadable;
}

std::optional<OpenedFile> openUserFile(const QString& path, UserFileTrouble* trouble = nullptr)
{
    int file = 0;
    int result = RES_ERR_EMPTY_PATH;
    int refusal = DATAFILE_ACCEPTED;
    if (!path.isEmpty()) {
        refusal = OpenDataFile(path, &file, &result);
        // A file the program may read but not write (another account's, or on read-only media) still
        // gives its user; nothing is ever written to it.
        if (result == RES_ERR_OPEN_FAILED)
            refusal = OpenDataFileForReading(path, &file, &result);
    }
    if (refusal == DATAFILE_ACCEPTED && file > 0 && (result == RES_OK || result == RES_FILE_ALREADY_OPEN))
        return OpenedFile{file, result == RES_FILE_ALREADY_OPEN};
    if (trouble)
        *trouble = troubleOf(refusal, result);
    return std::nullopt;
}

void writeUserIfChanged(CQuibUser& user)
{
    if (!user.IsChanged())
        return;
    user.Write();
    SetResFileVersion(user.GetFile(), kUserFileVersion);
}

// Flags the user's record as changed and writes it now.
int commitAndWrite(CQuibUser& user)
{
    user.Commit();
    return user.Write();
}

bool contains(const std::vector<int>& files, int file)
{
    return std::find(files.begin(), files.end(), file) != files.end();
}

// The files still needed once the current user goes: the incoming user's own and its profile's (the
// same user made current again keeps its profile), the output file and the data files.
std::vector<int> filesToKeep(CQuibUser* incoming)
{
    std::vector<int> keep = theDataFiles;
    keep.push_back(theOutputFile);
    if (incoming) {
        keep.push_back(incoming->GetFile());
        if (incoming->Profile)
            keep.push_back(incoming->Profile->GetFile());
    }
    return keep;
}

// Why a file could not be written: the program may not write it or its folder (another account's, or
// read-only), or the writing itself failed.
QString whyNotWritten(int file)
{
    auto& fs = lumivo::files::fileSystem();
    const QString path = GetResFilePath(file);
    const lumivo::files::FileInfo info = fs.info(path);
    const lumivo::files::FileInfo folder = fs.info(lumivo::files::folderOf(path));
    const bool permitted =
        !IsResFileReadOnly(file) && (!info.exists || info.writable) && (!folder.exists || folder.writable);
    return LoadSystemString(permitted ? kWhyWriteFailed : kWhyNotPermittedToWrite);
}

QString whyNotRead(const QString& path)
{
    const bool permitted = lumivo::files::fileSystem().info(path).readable;
    return LoadSystemString(permitted ? kWhyNotReadable : kWhyNotPermittedToRead);
}

void reportUnsavedUserFile(int file, int messageId, int err)
{
    WriteDebugLog(QStringLiteral("User file %1 not saved (error %2)").arg(GetResFilePath(file)).arg(err));
    MessageBoxById(messageId, lumivo::ui::MB_ICONEXCLAMATION, GetResFilePath(file), whyNotWritten(file));
}

// A user whose changes cannot reach a file: one held in memory, or one read from a file the program
// may not write. The person was told so when it became current.
bool isKeptInMemoryOnly(CQuibUser& user)
{
    return user.GetFile() <= 0 || IsResFileReadOnly(user.GetFile());
}

// What leaving a user writes: its edit options, its record and its file. The store's result.
int saveLeavingUser(CQuibUser& user)
{
    if (user.EditOptions != theEditOptions) {
        user.EditOptions = theEditOptions;
        user.Commit();
    }
    writeUserIfChanged(user);
    int err = RES_OK;
    if (user.GetFile() > 0)
        SaveDataFile(user.GetFile(), false, false, &err);
    return err;
}

// The user `old`, whose file could not be saved, is being left for `incoming`. For another user it
// stays, and the person is told (false). For none (the end, a reset) or itself the person is told and
// its file stays open with its changes. Only the trace hears of a user the person was told will not
// be kept, and of the program's end, when nobody can act on it any more.
bool mayLeaveUnsaved(CQuibUser& old, const CQuibUser* incoming, int err)
{
    const int file = old.GetFile();
    if (isKeptInMemoryOnly(old) || (theProgramMode & kProgramModeShuttingDown)) {
        WriteDebugLog(QStringLiteral("User file %1 not saved as its user is left (error %2)")
                          .arg(GetResFilePath(file))
                          .arg(err));
        return true;
    }
    const bool another = incoming && incoming != &old;
    reportUnsavedUserFile(file, another ? kMsgNotSavedUserKept : kMsgNotSaved, err);
    return !another;
}

// Saves the current user and its file, writes the file's package and lets go of the files that
// `incoming` does not need; deletes the old user when it is ours and not `incoming`. False, with
// nothing changed, when the old user must stay because its file could not be saved.
bool leaveCurrentUser(CQuibUser* incoming)
{
    CQuibUser& old = *theCurrentUser;
    const int file = old.GetFile();
    const int err = saveLeavingUser(old);
    const bool saved = err == RES_OK;
    if (!saved && !mayLeaveUnsaved(old, incoming, err))
        return false;
    if (saved && file > 0)
        ExportDataFilePackage(file, false);
    const std::vector<int> keep = filesToKeep(incoming);
    const int profileFile = old.Profile ? old.Profile->GetFile() : 0;
    if (profileFile > 0 && profileFile != file && !contains(keep, profileFile))
        CloseResFile(profileFile);
    // A file that could not be saved stays open: closing it would drop the user's changes unseen.
    if (file > 0 && saved && !contains(keep, file))
        ReleaseDataFile(file);
    theCurrentUser = nullptr;
    if (&old != incoming && ownedUser.get() == &old)
        ownedUser.reset();
    return true;
}

bool followsProfile(const CQuibUser& user)
{
    CQuibUser& profile = *user.Profile;
    return profile.GetID() == user.ProfileNumber &&
           profile.Name.compare(user.ProfileName, Qt::CaseInsensitive) == 0;
}

void loadProfile(CQuibUser& user)
{
    if (user.Profile && !followsProfile(user))
        user.Profile.reset();
    if (user.Profile || user.ProfileNumber == 0)
        return;
    user.Profile = ListProfiles(user.ProfileName, user.ProfileNumber);
    if (!user.Profile)
        ShowMessage(
            QStringLiteral("Can't find profile %1 : %2").arg(user.ProfileNumber).arg(user.ProfileName));
}

void enterUser(CQuibUser& user)
{
    SetResFileUserValue(user.GetFile(), kCurrentUserFileMark);
    int model = 0;
    GetSystemSettingInt(QStringLiteral("ImageModel"), &model);
    theImageModel = model != 0 ? static_cast<std::int16_t>(model) : kImageLibraryModel;
    loadProfile(user);
}

bool switchTo(CQuibUser* incoming)
{
    if (incoming && incoming->UsePassword != 0 && incoming != theCurrentUser)
        MessageBoxById(kMsgNotImplemented, lumivo::ui::MB_OK);
    if (theCurrentUser && !leaveCurrentUser(incoming))
        return false;
    if (incoming)
        enterUser(*incoming);
    theCurrentUser = incoming;
    AddSystemInitFlags(kUserReloadSteps);
    return true;
}

// Drops a user that was not made current, and lets go of its file unless the current user or another
// role keeps it open.
void dropUnusedUser(std::unique_ptr<CQuibUser> user)
{
    if (!user)
        return;
    const int file = user->GetFile();
    const std::vector<int> keep = filesToKeep(theCurrentUser);
    user.reset();
    if (file > 0 && !contains(keep, file))
        CloseResFile(file);
}

// Start-up --------------------------------------------------------------------------------------------

std::int32_t newStandardUserNumber()
{
    return theItemIdRandomHook(kFirstStandardUserNumber, 2 * kFirstStandardUserNumber);
}

std::unique_ptr<CQuibUser> loadStoredUser(const QString& path, std::int32_t number)
{
    const auto opened = openUserFile(path);
    if (!opened)
        return nullptr;
    auto user = std::make_unique<CQuibUser>();
    if (user->LoadFrom(number, opened->number) == RES_OK)
        return user;
    user.reset();
    if (!opened->wasOpen)
        ReleaseDataFile(opened->number);
    return nullptr;
}

// A user made on the first start speaks the installation's language: the program's own texts follow
// the system language, so its pages and words do too. The language the user had before becomes the
// second one, which is searched next, so a page that lacks a translation still shows.
void followSystemLanguage(CQuibUser& user)
{
    if (theLanguageNo == 0 || user.PrimaryLanguage == theLanguageNo)
        return;
    if (user.SecondLanguage == theLanguageNo)
        user.SecondLanguage = user.PrimaryLanguage;
    user.PrimaryLanguage = theLanguageNo;
}

// The file's own user when it lacks user `number`: a file renamed or restored from another
// installation keeps its user instead of being replaced. A template record takes the number; any
// other user's number becomes the standard user's.
std::unique_ptr<CQuibUser> adoptUserOfFile(int file, std::int32_t& number)
{
    std::vector<CResEntry*> users;
    CollectResources(&users, file, CQuibUser::kType);
    if (users.empty())
        return nullptr;
    auto user = std::make_unique<CQuibUser>();
    const std::int32_t held = users.front()->GetId();
    if (user->LoadFrom(held, file) != RES_OK)
        return nullptr;
    if (held == CQuibUser::kTemplateUserId) {
        MoveResource(user.get(), number, CQuibUser::kType, file);
        followSystemLanguage(*user);
        commitAndWrite(*user);
    } else {
        number = held;
        SetSystemSettingInt(kUserNumberSetting, number);
    }
    WriteDebugLog(QStringLiteral("UDU: Standard user file holds user %1, uses it").arg(number));
    return user;
}

// Moves a damaged file to a free backup name beside it, so that a new file can take its place and
// nothing the person had is lost. The backup's path; none when the file stays where it is.
std::optional<QString> moveAside(const QString& path)
{
    auto& fs = lumivo::files::fileSystem();
    const QString base = path + QStringLiteral(".damaged");
    QString backup = base;
    for (int n = 1; fs.exists(backup); ++n)
        backup = base + QString::number(n);
    if (!fs.rename(path, backup))
        return std::nullopt;
    WriteDebugLog(QStringLiteral("UDU: Damaged user file moved to ") + backup);
    return backup;
}

// Whether a new user file may be made at `path`: nothing is there, or a damaged file that is kept
// aside first. A file the program may not read, or could not read, is never renamed nor replaced: the
// person is told why.
bool clearForNewUserFile(const QString& path, UserFileTrouble trouble)
{
    if (!lumivo::files::fileSystem().exists(path) || FindResFileByPath(path) > 0)
        return true;
    if (trouble == UserFileTrouble::Unreadable) {
        noteForPerson(kMsgFileNotUsed, path, whyNotRead(path));
        return false;
    }
    const std::optional<QString> backup = moveAside(path);
    if (!backup) {
        noteForPerson(kMsgFileNotUsed, path, LoadSystemString(kWhyDamagedNotMoved));
        return false;
    }
    noteForPerson(kMsgFileDamaged, path, *backup);
    return true;
}

// A new "Standard user" under `number` in the open `file`, written but not yet saved.
std::unique_ptr<CQuibUser> writeStandardUser(int file, std::int32_t number)
{
    auto user = std::make_unique<CQuibUser>();
    user->Create();
    MoveResource(user.get(), number, CQuibUser::kType, file);
    user->Name = QStringLiteral("Standard user");
    user->SetName(user->Name);
    followSystemLanguage(*user);
    commitAndWrite(*user);
    return user;
}

// Makes the template's user into user `number` of the open copy `file`, and saves the copy. A template
// without its user still gives what else it holds; the user is then a new "Standard user".
bool makeTemplateUser(int file, std::int32_t number)
{
    SetResFileKind(file, FILEKIND_USER);
    CQuibUser user;
    if (AttachResource(&user, CQuibUser::kTemplateUserId, CQuibUser::kType, file) != RES_OK) {
        writeStandardUser(file, number);
        return SaveResFile(file) == RES_OK;
    }
    WriteDebugLog(QStringLiteral("UDU: Load new user"));
    user.Load();
    const int moved = MoveResource(&user, number, CQuibUser::kType, file);
    WriteDebugLog(QStringLiteral("UDU: Load new user / SetRes ErrorNo: %1").arg(moved));
    followSystemLanguage(user);
    return moved == RES_OK && commitAndWrite(user) == RES_OK && SaveResFile(file) == RES_OK;
}

// A copy of the template at `path` (which must not exist) holding user `number`. The copy is made and
// changed at the path's scratch name and renamed to `path` only once complete: a kill part-way never
// leaves a file at `path` without its user.
bool copyTemplateFor(const QString& templatePath, const QString& path, std::int32_t number)
{
    const QString scratch = lumivo::files::atomicScratchPathFor(path);
    if (lumivo::files::fileSystem().exists(path) || !lumivo::files::copyFile(templatePath, scratch)) {
        removeScratchFile(scratch);
        return false;
    }
    int file = 0;
    bool made = OpenResFile(&file, scratch) == RES_OK;
    if (made) {
        made = makeTemplateUser(file, number);
        CloseResFile(file);
    }
    return moveScratchIntoPlace(scratch, path, made);
}

// The template's user, moved to `number` in a new file at `path`; the file is opened into `file`.
std::unique_ptr<CQuibUser> userFromTemplate(const QString& path, std::int32_t number, int& file)
{
    const QString templatePath = usersFolderFile(kTemplateUserFileName);
    if (templatePath.isEmpty() || !lumivo::files::fileSystem().exists(templatePath))
        return nullptr;
    if (!copyTemplateFor(templatePath, path, number)) {
        WriteDebugLog(QStringLiteral("UDU: Failed to copy template file"));
        return nullptr;
    }
    if (OpenResFile(&file, path) != RES_OK)
        return nullptr;
    auto user = std::make_unique<CQuibUser>();
    if (user->LoadFrom(number, file) == RES_OK)
        return user;
    return nullptr;
}

// A new "Standard user" under `number` in the open `file`, saved at once. Null when it could not be
// saved: a user the file does not keep is no standard user, and the file is let go unless it was open
// before.
std::unique_ptr<CQuibUser> newStandardUser(int file, std::int32_t number, bool wasOpen)
{
    WriteDebugLog(QStringLiteral("UDU: No user file, no new user, Make temporary user"));
    auto user = writeStandardUser(file, number);
    int err = RES_OK;
    SaveDataFile(file, false, true, &err);
    WriteDebugLog(QStringLiteral("UDU: Save standard user / SaveFile ErrorNo: %1").arg(err));
    if (err == RES_OK)
        return user;
    const QString path = GetResFilePath(file);
    if (IsResFileReadOnly(file))
        noteForPerson(kMsgFileNotUsed, path, whyNotWritten(file));
    else
        noteForPerson(kMsgUserInMemory, path);
    user->Remove();
    user.reset();
    if (!wasOpen)
        CloseResFile(file);
    return nullptr;
}

bool usableAsUserFile(int file)
{
    int users = 0;
    return GetResFileKind(file) == FILEKIND_USER ||
           (CountResources(&users, CQuibUser::kType, file) == RES_OK && users > 0);
}

// The standard user's file at `path`, or at the users folder's SUF.tvf when `path` is empty (the
// setting is then stored). A stored path to a file of another kind without a user (a data file, say)
// is left alone and the users folder's file taken instead. Null when no usable file is open.
std::optional<OpenedFile> openStandardUserFile(QString& path, UserFileTrouble& trouble)
{
    std::optional<OpenedFile> opened;
    if (!path.isEmpty()) {
        opened = openUserFile(path, &trouble);
        if (!opened)
            WriteDebugLog(QStringLiteral("UDU: Error opening userfile as default stored i RegDB"));
    } else {
        WriteDebugLog(QStringLiteral("UDU: Calc default path to SUF"));
        path = usersFolderFile(kStandardUserFileName);
        SetSystemSettingString(kUserFileSetting, path);
    }
    if (!opened)
        opened = openUserFile(path, &trouble);
    if (!opened || usableAsUserFile(opened->number))
        return opened;
    WriteDebugLog(QStringLiteral("UDU: Not a user file: ") + path);
    if (!opened->wasOpen)
        ReleaseDataFile(opened->number);
    trouble = UserFileTrouble::Damaged;
    const QString standardPath = usersFolderFile(kStandardUserFileName);
    if (standardPath.isEmpty() || path == standardPath)
        return std::nullopt;
    path.clear();
    return openStandardUserFile(path, trouble);
}

// The standard user from the file at `path` (the users folder's SUF.tvf when empty): found there,
// adopted from it, taken from the template or made new. Null when no file could be had; the person is
// then to hear why.
std::unique_ptr<CQuibUser> standardUser(QString path, std::int32_t number)
{
    UserFileTrouble trouble = UserFileTrouble::None;
    const std::optional<OpenedFile> opened = openStandardUserFile(path, trouble);
    if (number == 0) {
        number = newStandardUserNumber();
        WriteDebugLog(QStringLiteral("UDU: Calc UserID%1").arg(number));
        SetSystemSettingInt(kUserNumberSetting, number);
    }
    int file = opened ? opened->number : 0;
    if (file > 0 && ResourceExists(number, CQuibUser::kType, file)) {
        auto user = std::make_unique<CQuibUser>();
        if (user->LoadFrom(number, file) == RES_OK) {
            WriteDebugLog(QStringLiteral("UDU: Found and uses standard user file"));
            return user;
        }
    }
    if (file > 0) {
        if (auto user = adoptUserOfFile(file, number))
            return user;
    }
    WriteDebugLog(QStringLiteral("UDU: Not found standard user file, try to create...."));
    if (path.isEmpty()) {
        noteForPerson(kMsgUserInMemory, QDir::cleanPath(theBaseDir + QStringLiteral("/Users")));
        return nullptr;
    }
    // A readable file without a user keeps what it holds and gets the new user; a damaged one is moved
    // aside first.
    std::unique_ptr<CQuibUser> user;
    if (file <= 0) {
        if (!clearForNewUserFile(path, trouble))
            return nullptr;
        user = userFromTemplate(path, number, file);
    }
    if (file <= 0 && !user) {
        WriteDebugLog(QStringLiteral("UDU: No user file, make new userfile"));
        if (FindOrAddResFile(&file, path) != RES_FILE_NEW) {
            noteForPerson(kMsgUserInMemory, path);
            return nullptr;
        }
        SetResFileKind(file, FILEKIND_USER);
        SetResFileVersion(file, kUserFileVersion);
    }
    if (!user)
        user = newStandardUser(file, number, opened && opened->wasOpen && opened->number == file);
    return user;
}

// Commands ------------------------------------------------------------------------------------------

QString userFileFilter()
{
    return lumivo::ui::windowsFilterToQt(
        QStringLiteral("%1 (*.%2)|*.%2||")
            .arg(LoadSystemString(kMsgUserFiles), QLatin1String(kUserFileExtension)));
}

// The path with the user-file extension: added when there is none, null when there is another.
std::optional<QString> withUserFileExtension(QString path)
{
    const QString extension = GetFileExtension(path);
    if (extension.isEmpty()) {
        if (!path.endsWith(QLatin1Char('.')))
            path += QLatin1Char('.');
        return path + QLatin1String(kUserFileExtension);
    }
    if (extension.compare(QLatin1String(kUserFileExtension), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return path;
}

// The file for a new user: opened, or made (not yet written) when missing. Null after telling why.
struct NewUserFile {
    int number = 0;
    bool wasOpen = false;
    bool made = false;
};

std::optional<NewUserFile> openOrMakeUserFile(const QString& path)
{
    NewUserFile target;
    const int opened = OpenResFile(&target.number, path);
    target.wasOpen = opened == RES_FILE_ALREADY_OPEN;
    if (opened == RES_ERR_NO_SUCH_FILE) {
        if (FindOrAddResFile(&target.number, path) == RES_FILE_NEW) {
            target.made = true;
            SetResFileKind(target.number, FILEKIND_USER);
            SetResFileVersion(target.number, kUserFileVersion);
        }
    }
    if (target.number > 0 && (opened >= RES_OK || target.made) &&
        GetResFileKind(target.number) == FILEKIND_USER)
        return target;
    MessageBoxById(kMsgNotAUserFile, lumivo::ui::MB_OK);
    if (target.number > 0 && !target.wasOpen)
        ReleaseDataFile(target.number);
    return std::nullopt;
}

// Writes the accepted new user and saves its file (a new file even with nothing else in it); the
// store's result.
int storeNewUser(CQuibUser& user, const NewUserFile& target)
{
    user.SetName(user.Name);
    user.Commit();
    writeUserIfChanged(user);
    int err = RES_OK;
    SaveDataFile(target.number, false, target.made, &err);
    return err;
}

void dropNewUser(std::unique_ptr<CQuibUser> user, const NewUserFile& target, const QString& path)
{
    user->Remove();
    user.reset();
    if (!target.wasOpen || target.made)
        ReleaseDataFile(target.number);
    if (target.made)
        lumivo::files::fileSystem().remove(path);
}

bool isCurrentUsersFile(const QString& path)
{
    if (!theCurrentUser || theCurrentUser->GetFile() <= 0)
        return false;
    return CanonicalResPath(GetResFilePath(theCurrentUser->GetFile())) == CanonicalResPath(path);
}

// The copy's user: named after the file, kept under the current user's id.
bool makeProfileUser(int copy, const QString& path, std::int32_t id)
{
    {
        CQuibUser profile;
        if (profile.LoadFrom(id, copy) != RES_OK)
            return false;
        profile.Name = GetFileBaseName(path);
        if (profile.Name.isEmpty())
            profile.Name = LoadSystemString(kMsgNoName);
        if (commitAndWrite(profile) != RES_OK)
            return false;
        profile.Detach();
    }
    return SetResFileVersion(copy, kUserFileVersion) == RES_OK &&
           SetResFileKind(copy, FILEKIND_PROFILE) == RES_OK;
}

// The copy's user: its name kept, moved to the template user id.
bool makeStandardProfileUser(int copy, std::int32_t id)
{
    if (SetResFileVersion(copy, kUserFileVersion) != RES_OK ||
        SetResFileKind(copy, FILEKIND_PROFILE) != RES_OK)
        return false;
    CQuibUser profile;
    if (AttachResource(&profile, id, CQuibUser::kType, copy) != RES_OK)
        return false;
    profile.Load();
    return MoveResource(&profile, CQuibUser::kTemplateUserId, CQuibUser::kType, copy) == RES_OK &&
           commitAndWrite(profile) == RES_OK;
}

// The profile is copied, stamped as a profile and saved at the path's scratch name, and renamed to
// `path` only then: a failure or a kill part-way leaves at `path` nothing or the older file, never a
// second user file of the current user that "Choose user" would list beside the user's own. A scratch
// file left by a kill goes with the next archive to the same name.
bool writeProfileFile(CQuibUser& user, const QString& path, bool standard)
{
    const QString scratch = lumivo::files::atomicScratchPathFor(path);
    removeScratchFile(scratch);
    int copy = 0;
    if (CopyResFile(user.GetFile(), scratch, &copy) != RES_OK) {
        removeScratchFile(scratch);
        return false;
    }
    const bool stamped =
        standard ? makeStandardProfileUser(copy, user.GetID()) : makeProfileUser(copy, path, user.GetID());
    const bool saved = stamped && SaveResFile(copy) == RES_OK;
    CloseResFile(copy);
    return moveScratchIntoPlace(scratch, path, saved);
}

void archiveCurrentUser(const QString& title, bool standard)
{
    if (!theCurrentUser)
        return;
    const auto chosen =
        lumivo::ui::chooseSaveFile(title, GetUsersDirString(QStringLiteral("/")), userFileFilter(), nullptr,
                                   QLatin1String(kUserFileExtension));
    if (!chosen)
        return;
    const auto path = withUserFileExtension(*chosen);
    if (!path)
        return;
    // Replacing a file the program holds open would take it from under its users, and the current
    // user's file cannot be its own copy. An existing file is replaced only once the copy is complete.
    if (FindResFileByPath(*path) > 0 || isCurrentUsersFile(*path)) {
        MessageBoxById(kMsgFileInUse, lumivo::ui::MB_ICONEXCLAMATION, *path);
        return;
    }
    CQuibUser& user = *theCurrentUser;
    // The copy takes the user as it is in memory, so a user file that cannot be saved now (its own
    // save reports that later) does not stop the profile.
    user.Write();
    if (standard) {
        if (const int saved = SaveResFile(user.GetFile()); saved != RES_OK)
            WriteDebugLog(QStringLiteral("Archive as standard profile: the user file was not saved, error %1")
                              .arg(saved));
    }
    if (!writeProfileFile(user, *path, standard))
        MessageBoxById(kMsgProfileNotMade, lumivo::ui::MB_ICONEXCLAMATION, *path);
}

} // namespace

void ResetCurrentUser()
{
    if (theCurrentUser == ownedUser.get())
        theCurrentUser = nullptr;
    ownedUser.reset();
    pendingNotes.clear();
    theUserPropertiesEditorHook.reset();
    theDataFilePackageExporterHook.reset();
}

namespace
{

// A compacting or first save in the users folder that was killed before its rename leaves the store's
// scratch file there. The file it was written for kept its old content (or was never made), so the
// scratch file holds nothing anyone needs; left, it would lie among the user files. Start-up removes
// it unless the store holds it open; only a plain file of exactly that name goes.
void removeStoreScratchFile()
{
    const QString standard = usersFolderFile(kStandardUserFileName);
    if (!standard.isEmpty())
        removeScratchFile(ResScratchPathFor(standard));
}

// Start-up's ways of getting a user from a file: the stored user when asked for, else the standard
// user. Null when no file gave one.
std::unique_ptr<CQuibUser> defaultUserFromFile()
{
    QString path;
    int number = 0;
    int launch = 0;
    GetSystemSettingString(kUserFileSetting, path);
    GetSystemSettingInt(kUserNumberSetting, &number);
    GetSystemSettingInt(QStringLiteral("Launch_user_at_start"), &launch);
    WriteDebugLog(QStringLiteral("UDU: LoadDefParam Userfilepath: ") + path);
    WriteDebugLog(QStringLiteral("UDU: LoadDefParam UserNo: %1").arg(number));
    WriteDebugLog(QStringLiteral("UDU: LoadDefParam LaunchUser: %1").arg(launch));
    WriteDebugLog(QStringLiteral("UseDefaultUser start"));
    removeStoreScratchFile();
    std::unique_ptr<CQuibUser> user;
    if (launch != 0)
        user = loadStoredUser(path, number);
    if (!user)
        user = standardUser(path, number);
    return user;
}

// Whether everything of the user is in its file on the disk, after saving what is not. A file not yet
// saved in this run is saved even when nothing in it is marked changed: one made new and never written
// must reach the disk now, and for one opened from the disk (a copy of the template) with nothing
// changed the save writes nothing.
bool isStoredOnDisk(CQuibUser& user)
{
    const int file = user.GetFile();
    if (file <= 0)
        return false;
    int err = RES_OK;
    SaveDataFile(file, false, IsResFileOpen(file), &err);
    return err == RES_OK;
}

} // namespace

void UseDefaultUser()
{
    std::unique_ptr<CQuibUser> user = defaultUserFromFile();
    if (!user) {
        // Start-up never stops for want of a user: this one lives in memory and is lost at exit (the
        // person hears why).
        WriteDebugLog(QStringLiteral("UDU: use temp user"));
        user = std::make_unique<CQuibUser>();
        user->Create();
    } else if (IsResFileReadOnly(user->GetFile())) {
        noteForPerson(kMsgFileReadOnly, GetResFilePath(user->GetFile()));
    }
    SetCurrentUser(std::move(user));
    WriteDebugLog(QStringLiteral("UseDefaultUser end"));
}

bool UseStoredDefaultUser()
{
    std::unique_ptr<CQuibUser> user = defaultUserFromFile();
    if (!user || !isStoredOnDisk(*user)) {
        dropUnusedUser(std::move(user));
        // The caller tells why nothing changed; what was found on the way went to the trace.
        pendingNotes.clear();
        WriteDebugLog(QStringLiteral("UDU: No user could be stored in a file"));
        return false;
    }
    SetCurrentUser(std::move(user));
    WriteDebugLog(QStringLiteral("UseDefaultUser end"));
    return true;
}

void TellUserFileNotes()
{
    for (const UserFileNote& note : std::exchange(pendingNotes, {}))
        MessageBoxById(note.messageId, lumivo::ui::MB_ICONEXCLAMATION, note.first, note.second);
}

bool SetCurrentUser(std::unique_ptr<CQuibUser> user)
{
    if (!switchTo(user.get())) {
        dropUnusedUser(std::move(user));
        return false;
    }
    ownedUser = std::move(user);
    return true;
}

void ReapplyCurrentUser()
{
    if (theCurrentUser)
        switchTo(theCurrentUser);
}

int SaveCurrentUser()
{
    if (!theCurrentUser)
        return RES_OK;
    writeUserIfChanged(*theCurrentUser);
    const int file = theCurrentUser->GetFile();
    // A user held in memory has no file to be saved in: never "saved".
    if (file <= 0)
        return RES_ERR_NO_STREAM;
    int err = RES_OK;
    if (IsResFileDirty(file))
        SaveDataFile(file, false, false, &err);
    return err;
}

void SaveCurrentUserAndReport()
{
    const int err = SaveCurrentUser();
    if (err == RES_OK)
        return;
    if (theCurrentUser->GetFile() <= 0)
        MessageBoxById(kMsgMemoryUserNotSaved, lumivo::ui::MB_ICONEXCLAMATION);
    else
        reportUnsavedUserFile(theCurrentUser->GetFile(), kMsgNotSaved, err);
}

bool CurrentUserCanBeSaved()
{
    return theCurrentUser && !isKeptInMemoryOnly(*theCurrentUser);
}

bool SaveCurrentUserBeforeExit()
{
    if (!theCurrentUser)
        return true;
    const int err = saveLeavingUser(*theCurrentUser);
    if (err == RES_OK)
        return true;
    if (!CurrentUserCanBeSaved()) {
        WriteDebugLog(QStringLiteral("User file not saved at exit (error %1); the person was told").arg(err));
        return true;
    }
    reportUnsavedUserFile(theCurrentUser->GetFile(), kMsgNotSavedAtExit, err);
    return false;
}

void SaveUserAs()
{
    const auto chosen = lumivo::ui::chooseOpenOrNewFile(
        LoadSystemString(kMsgNewUserTitle), GetUsersDirString(QStringLiteral("/")), userFileFilter(), nullptr,
        QLatin1String(kUserFileExtension));
    if (!chosen)
        return;
    const auto path = withUserFileExtension(*chosen);
    if (!path) {
        ShowMessage(LoadSystemString(kMsgBadExtension) + QLatin1String(kUserFileExtension));
        return;
    }
    const auto target = openOrMakeUserFile(*path);
    if (!target)
        return;
    std::int32_t number = theItemIdRandomHook(0, kFirstStandardUserNumber);
    auto user = std::make_unique<CQuibUser>();
    const bool placed = FindFreeResId(&number, target->number, CQuibUser::kType) == RES_OK &&
                        user->SaveAs(number, target->number, CQuibUser::kType) == RES_OK;
    if (!placed || !EditUserProperties(*user)) {
        dropNewUser(std::move(user), *target, *path);
        return;
    }
    // Stored first: a user that is not in its file never becomes current.
    if (const int err = storeNewUser(*user, *target); err != RES_OK) {
        WriteDebugLog(QStringLiteral("New user not stored in %1 (error %2)").arg(*path).arg(err));
        MessageBoxById(kMsgNewUserNotStored, lumivo::ui::MB_ICONEXCLAMATION, *path,
                       whyNotWritten(target->number));
        dropNewUser(std::move(user), *target, *path);
        return;
    }
    SetCurrentUser(std::move(user));
    // The steps the new user and its dialog asked for, now that the user is current.
    InitializeSystem(0);
}

void ArchiveUserAsProfile()
{
    archiveCurrentUser(LoadSystemString(kArchiveProfileTitle), false);
}

void ArchiveUserAsStandardProfile()
{
    archiveCurrentUser(LoadSystemString(kArchiveStandardProfileTitle), true);
}

std::unique_ptr<CQuibUser> ListProfiles(const QString& name, std::int32_t number)
{
    const QString folder = GetUsersDirString(QStringLiteral("/"));
    if (folder.isEmpty())
        return nullptr;
    std::vector<QString> names = lumivo::files::fileSystem().list(folder.chopped(1));
    std::sort(names.begin(), names.end());
    const QString suffix = QLatin1Char('.') + QLatin1String(kUserFileExtension);
    for (const QString& each : names) {
        // A compacting save's scratch file, left by a crash, may hold the profile too; held open as
        // the profile's file it would block every later compacting save in the users folder.
        if (!each.endsWith(suffix, Qt::CaseInsensitive) || ResScratchPathFor(folder + each) == folder + each)
            continue;
        int file = 0;
        const int opened = OpenResFile(&file, folder + each);
        if (opened != RES_OK && opened != RES_FILE_ALREADY_OPEN)
            continue;
        if (ResourceExists(number, CQuibUser::kType, file)) {
            auto profile = std::make_unique<CQuibUser>();
            if (profile->LoadFrom(number, file) == RES_OK &&
                profile->Name.compare(name, Qt::CaseInsensitive) == 0)
                return profile; // its file stays open while the profile is followed
        }
        if (opened == RES_OK)
            CloseResFile(file);
    }
    return nullptr;
}
