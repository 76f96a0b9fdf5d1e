// Which user is current and where users live: start-up's ways of getting a user without ever losing a
// user file, switching users, and the new-user and profile commands.

#include "shell/CurrentUser.h"
#include "core/User.h"
#include "panes/IconPictures.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QDir>
#include <QFile>

#include <tuple>
#include <vector>

using namespace lumivo;

namespace
{

// The disk as it is, except for one file that the program may not write (another account's, as after a
// start with sudo) or may not even read.
class ForbiddenFile : public files::FileSystem
{
public:
    enum class Access { ReadOnly, None };

    ForbiddenFile(const QString& path, Access access) : m_path(path), m_access(access) {}

    std::unique_ptr<files::File> open(const QString& path, files::OpenMode mode) override
    {
        if (path == m_path && (m_access == Access::None || mode != files::OpenMode::Read))
            return nullptr;
        return m_base.open(path, mode);
    }
    files::FileInfo info(const QString& path) override
    {
        files::FileInfo info = m_base.info(path);
        if (path == m_path) {
            info.writable = false;
            info.readable = info.readable && m_access != Access::None;
        }
        return info;
    }
    bool remove(const QString& path) override { return m_base.remove(path); }
    bool rename(const QString& from, const QString& to) override { return m_base.rename(from, to); }
    bool makeDirectories(const QString& path) override { return m_base.makeDirectories(path); }
    std::vector<QString> list(const QString& folder) override { return m_base.list(folder); }
    bool flushDirectory(const QString& folder) override { return m_base.flushDirectory(folder); }

private:
    files::FileSystem& m_base = files::fileSystem();
    QString m_path;
    Access m_access;
};

// The text of message `id` as the person reads it.
QString messageText(int id, const QString& first, const QString& second = {})
{
    return LoadSystemString(id).replace("[#1]", first).replace("[#2]", second);
}

class CurrentUserTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
    }

    QString usersPath(const QString& name) const { return tempDir() + QStringLiteral("/Users/") + name; }

    // A saved user file at `path` holding user `id` named `name`; left open, its number returned.
    static int writeUserFile(const QString& path, std::int32_t id, const QString& name,
                             std::uint32_t kind = FILEKIND_USER)
    {
        const int file = test::NewResFile(path, kind, 2, 0, 61);
        CQuibUser user;
        user.Name = name;
        EXPECT_EQ(user.SaveAs(id, file, CQuibUser::kType), RES_OK);
        EXPECT_EQ(user.Write(), RES_OK);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        return file;
    }

    // The users folder's standard user file, holding Karen as user 40000, named by the settings as
    // start-up's file and user; its bytes.
    QByteArray storedStandardUserKaren()
    {
        const QString path = usersPath(kStandardUserFileName);
        GetUsersDirString();
        CloseResFile(writeUserFile(path, 40000, "Karen"));
        SetSystemSettingString("Userfile", path);
        SetSystemSettingInt("Usernumber", 40000);
        return test::fileContent(path);
    }

    // The name of user `id` as the file on disk holds it; empty when it holds none.
    static QString storedUserName(const QString& path, std::int32_t id, std::uint32_t* kind = nullptr)
    {
        int file = 0;
        const int opened = OpenResFile(&file, path);
        if (opened != RES_OK && opened != RES_FILE_ALREADY_OPEN)
            return {};
        if (kind)
            *kind = GetResFileKind(file);
        QString name;
        {
            CQuibUser user;
            if (user.LoadFrom(id, file) == RES_OK)
                name = user.Name;
        }
        if (opened == RES_OK)
            CloseResFile(file);
        return name;
    }

    static int setting(const char* name)
    {
        int value = 0;
        GetSystemSettingInt(QLatin1String(name), &value);
        return value;
    }
};

TEST_F(CurrentUserTest, FirstStartMakesTheUsersFolderTheSettingsAndAStandardUser)
{
    SetTraceLogEnabled(true);
    UseDefaultUser();
    SetTraceLogEnabled(false);

    const QString path = usersPath(kStandardUserFileName);
    QString stored;
    GetSystemSettingString("Userfile", stored);
    EXPECT_EQ(stored, path);
    const int number = setting("Usernumber");
    EXPECT_GE(number, kFirstStandardUserNumber);
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, "Standard user");
    EXPECT_EQ(theCurrentUser->GetID(), number);
    EXPECT_EQ(GetResFilePath(theCurrentUser->GetFile()), path);
    std::uint32_t kind = 0;
    EXPECT_EQ(storedUserName(path, number, &kind), "Standard user") << "the new file is on the disk";
    EXPECT_EQ(kind, FILEKIND_USER);
    EXPECT_EQ(theSystemInitFlags & kUserReloadSteps, kUserReloadSteps);

    const QString trace = QString::fromUtf8(test::fileContent(TraceLogPath()));
    for (const char* line : {"UDU: LoadDefParam Userfilepath: ", "UseDefaultUser start",
                             "UDU: Calc default path to SUF", "UDU: No user file, make new userfile",
                             "UDU: Save standard user / SaveFile ErrorNo: 0", "UseDefaultUser end"})
        EXPECT_TRUE(trace.contains(QLatin1String(line))) << line;
}

TEST_F(CurrentUserTest, FirstStartTakesTheTemplateUserUnderTheNewNumber)
{
    const QString templatePath = usersPath(kTemplateUserFileName);
    GetUsersDirString();
    CloseResFile(writeUserFile(templatePath, CQuibUser::kTemplateUserId, "Template user"));
    theItemIdRandomHook.set([](std::int32_t first, std::int32_t) { return first + 5; });

    UseDefaultUser();

    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, "Template user");
    EXPECT_EQ(setting("Usernumber"), kFirstStandardUserNumber + 5);
    EXPECT_EQ(theCurrentUser->GetID(), kFirstStandardUserNumber + 5);
    const QString path = usersPath(kStandardUserFileName);
    EXPECT_EQ(storedUserName(path, kFirstStandardUserNumber + 5), "Template user");
    EXPECT_EQ(storedUserName(templatePath, CQuibUser::kTemplateUserId), "Template user")
        << "the template stays";
}

TEST_F(CurrentUserTest, AnUnreadableUserFileIsMovedAsideNeverDeleted)
{
    const QString path = usersPath("mine.tvf");
    GetUsersDirString();
    const QByteArray damaged("not a resource file at all, but someone's only copy");
    test::replaceFileContent(path, damaged);
    test::replaceFileContent(path + ".damaged", "an older backup");
    SetSystemSettingString("Userfile", path);
    SetSystemSettingInt("Usernumber", 40000);

    ui::ScopedAnswerer answerer;
    UseDefaultUser();
    TellUserFileNotes();

    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, messageText(9489, path, path + ".damaged1"));
    EXPECT_EQ(test::fileContent(path + ".damaged1"), damaged);
    EXPECT_EQ(test::fileContent(path + ".damaged"), "an older backup");
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->GetID(), 40000);
    EXPECT_EQ(storedUserName(path, 40000), "Standard user") << "a new user file took its place";
}

TEST_F(CurrentUserTest, AFileWithAnotherUserIsUsedThroughThatUser)
{
    const QString path = usersPath(kStandardUserFileName);
    GetUsersDirString();
    CloseResFile(writeUserFile(path, 555, "Karen"));
    SetSystemSettingString("Userfile", path);
    SetSystemSettingInt("Usernumber", 40000);

    UseDefaultUser();

    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, "Karen");
    EXPECT_EQ(theCurrentUser->GetID(), 555);
    EXPECT_EQ(setting("Usernumber"), 555);
    EXPECT_FALSE(ResourceExists(40000, CQuibUser::kType, theCurrentUser->GetFile()));
}

TEST_F(CurrentUserTest, AStoredPathToAFileOfAnotherKindIsLeftAlone)
{
    const QString dataPath = tempPath("words.tvf");
    const int dataFile = test::NewResFile(dataPath, FILEKIND_DATA, 2, 0, 61);
    ASSERT_EQ(SaveResFile(dataFile), RES_OK);
    ASSERT_EQ(CloseResFile(dataFile), RES_OK);
    const QByteArray before = test::fileContent(dataPath);
    SetSystemSettingString("Userfile", dataPath);

    UseDefaultUser();

    EXPECT_EQ(test::fileContent(dataPath), before);
    EXPECT_LE(FindResFileByPath(dataPath), 0);
    QString stored;
    GetSystemSettingString("Userfile", stored);
    EXPECT_EQ(stored, usersPath(kStandardUserFileName));
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(GetResFilePath(theCurrentUser->GetFile()), stored);
}

TEST_F(CurrentUserTest, AUserFileThatCannotBeSavedStaysOpenWithItsChanges)
{
    const QString path = tempPath("unsaved.tvf");
    const int file = test::NewResFile(path, FILEKIND_USER, 2, 0, 61);
    auto user = std::make_unique<CQuibUser>();
    user->Name = "Eva";
    ASSERT_EQ(user->SaveAs(5, file, CQuibUser::kType), RES_OK);
    SetCurrentUser(std::move(user));
    int exports = 0;
    theDataFilePackageExporterHook.set([&](int, bool, const QString&) { ++exports; });

    files::FaultyFileSystem faulty(files::fileSystem());
    faulty.failAt(files::FaultyFileSystem::Operation::Write, 1);
    {
        files::ScopedFileSystem scope(faulty);
        ui::ScopedAnswerer answerer;
        SaveCurrentUserAndReport(); // the save command
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_TRUE(answerer.questions()[0].text.contains(path));
        SetCurrentUser(nullptr);
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_TRUE(answerer.questions()[1].text.contains(path));
    }
    EXPECT_EQ(exports, 0);
    EXPECT_EQ(FindResFileByPath(path), file);
    int err = RES_OK;
    SaveDataFile(file, false, false, &err);
    EXPECT_EQ(err, RES_OK);
    EXPECT_EQ(storedUserName(path, 5), "Eva");
}

TEST_F(CurrentUserTest, AUserFileTheProgramMayNotWriteIsUsedAsItIsAndNeverReplaced)
{
    const QString path = usersPath(kStandardUserFileName);
    const QByteArray before = storedStandardUserKaren();
    ForbiddenFile forbidden(path, ForbiddenFile::Access::ReadOnly);
    files::ScopedFileSystem scope(forbidden);
    ui::ScopedAnswerer answerer;

    UseDefaultUser();
    TellUserFileNotes();

    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, "Karen");
    EXPECT_EQ(GetResFilePath(theCurrentUser->GetFile()), path);
    EXPECT_TRUE(IsResFileReadOnly(theCurrentUser->GetFile()));
    EXPECT_FALSE(CurrentUserCanBeSaved());
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, messageText(9487, path));

    // Told once at start: the changes live in memory, and neither a save in the background nor Exit asks
    // again.
    theCurrentUser->Name = "Karen Lund";
    theCurrentUser->Commit();
    EXPECT_NE(SaveCurrentUser(), RES_OK);
    EXPECT_TRUE(ConfirmQuit());
    SetCurrentUser(nullptr);
    EXPECT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(test::fileContent(path), before);
    EXPECT_FALSE(QFile::exists(path + ".damaged"));
}

TEST_F(CurrentUserTest, AUserFileTheProgramMayNotReadIsLeftAloneForAUserInMemory)
{
    const QString path = usersPath(kStandardUserFileName);
    const QByteArray before = storedStandardUserKaren();
    ForbiddenFile forbidden(path, ForbiddenFile::Access::None);
    files::ScopedFileSystem scope(forbidden);
    ui::ScopedAnswerer answerer;

    UseDefaultUser();
    TellUserFileNotes();

    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_LE(theCurrentUser->GetFile(), 0);
    EXPECT_EQ(test::fileContent(path), before);
    EXPECT_FALSE(QFile::exists(path + ".damaged"));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, messageText(9488, path, LoadSystemString(9482)));
    EXPECT_NE(SaveCurrentUser(), RES_OK) << "a user held in memory is never saved";
    EXPECT_TRUE(ConfirmQuit());
    EXPECT_EQ(answerer.questions().size(), 1u);
}

TEST_F(CurrentUserTest, WithoutAUsersFolderTheUserInMemoryIsNeverSaidToBeSaved)
{
    test::replaceFileContent(tempPath("base"), "a file where the program's folder should be");
    theBaseDir = tempPath("base") + QLatin1Char('/');
    ui::ScopedAnswerer answerer;

    UseDefaultUser();
    TellUserFileNotes();

    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_LE(theCurrentUser->GetFile(), 0);
    EXPECT_NE(SaveCurrentUser(), RES_OK);
    SaveCurrentUserAndReport(); // the save command
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[0].text, messageText(9490, tempPath("base/Users")));
    EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(9491));
    EXPECT_TRUE(ConfirmQuit());
    EXPECT_EQ(answerer.questions().size(), 2u);
}

TEST_F(CurrentUserTest, AChangeOfUserWhoseOldFileCannotBeSavedKeepsTheOldUser)
{
    const QString firstPath = tempPath("first.tvf");
    const QString secondPath = tempPath("second.tvf");
    const int firstFile = writeUserFile(firstPath, 11, "Anna");
    CloseResFile(writeUserFile(secondPath, 22, "Bo"));
    auto first = std::make_unique<CQuibUser>();
    ASSERT_EQ(first->LoadFrom(11, firstFile), RES_OK);
    CQuibUser* anna = first.get();
    SetCurrentUser(std::move(first));
    ASSERT_EQ(SaveCurrentUser(), RES_OK);
    anna->Name = "Anna Berg";
    anna->Commit();
    {
        ForbiddenFile forbidden(firstPath, ForbiddenFile::Access::ReadOnly);
        files::ScopedFileSystem scope(forbidden);
        int secondFile = 0;
        int result = RES_OK;
        ASSERT_EQ(OpenDataFile(secondPath, &secondFile, &result), DATAFILE_ACCEPTED);
        auto second = std::make_unique<CQuibUser>();
        ASSERT_EQ(second->LoadFrom(22, secondFile), RES_OK);
        ui::ScopedAnswerer answerer;

        EXPECT_FALSE(SetCurrentUser(std::move(second)));

        EXPECT_EQ(theCurrentUser, anna);
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, messageText(9486, firstPath, LoadSystemString(9480)));
        EXPECT_LE(FindResFileByPath(secondPath), 0) << "the user not chosen lets go of its file";
    }
    EXPECT_EQ(SaveCurrentUser(), RES_OK) << "once the file may be written again";
    EXPECT_EQ(storedUserName(firstPath, 11), "Anna Berg");
}

TEST_F(CurrentUserTest, ANewUserThatCannotBeStoredDoesNotBecomeCurrent)
{
    GetUsersDirString();
    files::FaultyFileSystem faulty(files::fileSystem());
    files::ScopedFileSystem scope(faulty);
    auto anna = std::make_unique<CQuibUser>();
    ASSERT_EQ(anna->LoadFrom(11, writeUserFile(usersPath("anna.tvf"), 11, "Anna")), RES_OK);
    CQuibUser* current = anna.get();
    SetCurrentUser(std::move(anna));
    ASSERT_EQ(SaveCurrentUser(), RES_OK);
    theUserPropertiesEditorHook.set([](CQuibUser& user) {
        user.Name = "Dorte";
        return true;
    });
    faulty.failAt(files::FaultyFileSystem::Operation::Write, 1);
    ui::ScopedAnswerer answerer;
    answerer.reply(usersPath("dorte"));

    SaveUserAs();

    EXPECT_EQ(theCurrentUser, current);
    EXPECT_LE(FindResFileByPath(usersPath("dorte.tvf")), 0);
    EXPECT_FALSE(QFile::exists(usersPath("dorte.tvf")));
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].text,
              messageText(9492, usersPath("dorte.tvf"), LoadSystemString(9481)));
}

TEST_F(CurrentUserTest, SwitchingSavesAndExportsTheOldUsersFileAndClosesIt)
{
    std::vector<std::tuple<int, bool, QString>> exported;
    theDataFilePackageExporterHook.set(
        [&](int file, bool ask, const QString& name) { exported.emplace_back(file, ask, name); });
    SetSystemSettingInt("ImageModel", 1);
    const QString firstPath = tempPath("first.tvf");
    const QString secondPath = tempPath("second.tvf");
    const int firstFile = writeUserFile(firstPath, 11, "Anna");
    const int secondFile = writeUserFile(secondPath, 22, "Bo");

    auto first = std::make_unique<CQuibUser>();
    ASSERT_EQ(first->LoadFrom(11, firstFile), RES_OK);
    SetCurrentUser(std::move(first));
    EXPECT_EQ(theImageModel, 1);
    theCurrentUser->Name = "Anna Berg";
    theCurrentUser->Commit();

    auto second = std::make_unique<CQuibUser>();
    ASSERT_EQ(second->LoadFrom(22, secondFile), RES_OK);
    CQuibUser* secondUser = second.get();
    SetCurrentUser(std::move(second));

    EXPECT_EQ(theCurrentUser, secondUser);
    ASSERT_EQ(exported.size(), 1u);
    EXPECT_EQ(exported[0], std::make_tuple(firstFile, false, QString()));
    EXPECT_LE(FindResFileByPath(firstPath), 0) << "the old user's file is closed";
    EXPECT_EQ(storedUserName(firstPath, 11), "Anna Berg");
    std::uint32_t mark = 0;
    GetResFileUserValue(secondFile, &mark);
    EXPECT_EQ(mark, kCurrentUserFileMark);

    // The user that is current already is saved and stays the same object, its file open.
    theCurrentUser->Name = "Bo Dam";
    theCurrentUser->Commit();
    ReapplyCurrentUser();
    ASSERT_EQ(theCurrentUser, secondUser);
    EXPECT_EQ(theCurrentUser->Name, "Bo Dam");
    EXPECT_EQ(FindResFileByPath(secondPath), secondFile);
    ASSERT_EQ(exported.size(), 2u);
    EXPECT_EQ(std::get<0>(exported[1]), secondFile);
    EXPECT_EQ(storedUserName(secondPath, 22), "Bo Dam");
}

TEST_F(CurrentUserTest, ANewUserGoesOnlyIntoAUserFileAndOnlyWhenAccepted)
{
    const QString dataPath = usersPath("data.tvf");
    GetUsersDirString();
    CloseResFile(writeUserFile(dataPath, 7, "Data", FILEKIND_DATA));
    const QByteArray before = test::fileContent(dataPath);
    {
        ui::ScopedAnswerer answerer;
        answerer.reply(dataPath);
        SaveUserAs();
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_EQ(answerer.questions()[1].text, "The file is not at propper userfile.");
    }
    EXPECT_EQ(theCurrentUser, nullptr);
    EXPECT_LE(FindResFileByPath(dataPath), 0);
    EXPECT_EQ(test::fileContent(dataPath), before);

    // Refused in the properties dialog: the file made for it goes again.
    {
        const auto refuse = theUserPropertiesEditorHook.scoped([](CQuibUser&) { return false; });
        ui::ScopedAnswerer answerer;
        answerer.reply(usersPath("nobody"));
        SaveUserAs();
    }
    EXPECT_EQ(theCurrentUser, nullptr);
    EXPECT_LE(FindResFileByPath(usersPath("nobody.tvf")), 0);
    EXPECT_FALSE(QFile::exists(usersPath("nobody.tvf")));

    theUserPropertiesEditorHook.set([](CQuibUser& user) {
        user.Name = "Dorte";
        return true;
    });
    ui::ScopedAnswerer answerer;
    answerer.reply(usersPath("dorte"));
    SaveUserAs();
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, "Dorte");
    EXPECT_EQ(storedUserName(usersPath("dorte.tvf"), theCurrentUser->GetID()), "Dorte");
}

TEST_F(CurrentUserTest, ProfilesAreCopiesThatNeverReplaceTheUsersOwnFile)
{
    UseDefaultUser();
    ASSERT_NE(theCurrentUser, nullptr);
    const QString ownPath = usersPath(kStandardUserFileName);
    const std::int32_t id = theCurrentUser->GetID();
    {
        ui::ScopedAnswerer answerer;
        answerer.reply(ownPath);
        ArchiveUserAsProfile();
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_EQ(answerer.questions()[1].kind, ui::QuestionKind::MessageBox);
    }
    EXPECT_EQ(GetResFileKind(theCurrentUser->GetFile()), FILEKIND_USER);
    EXPECT_EQ(storedUserName(ownPath, id), "Standard user");

    {
        ui::ScopedAnswerer answerer;
        answerer.reply(usersPath("Reading"));
        ArchiveUserAsProfile();
        answerer.reply(usersPath("School"));
        ArchiveUserAsStandardProfile();
    }
    std::uint32_t kind = 0;
    EXPECT_EQ(storedUserName(usersPath("Reading.tvf"), id, &kind), "Reading");
    EXPECT_EQ(kind, FILEKIND_PROFILE);
    EXPECT_EQ(storedUserName(usersPath("School.tvf"), CQuibUser::kTemplateUserId, &kind), "Standard user");
    EXPECT_EQ(kind, FILEKIND_PROFILE);

    // The user's own file holds the same id under another name: the profile is found by its name. A
    // crashed save's scratch copy is no profile file.
    ASSERT_TRUE(QFile::copy(usersPath("Reading.tvf"), ResScratchPathFor(usersPath("Reading.tvf"))));
    const auto profile = ListProfiles("reading", id);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(GetResFilePath(profile->GetFile()), usersPath("Reading.tvf"));
    EXPECT_EQ(ListProfiles("Nobody", id), nullptr);

    // A user that follows the profile gets it when made current, keeps it and its file while it stays
    // current, and lets the file go when it leaves.
    theCurrentUser->ProfileName = "Reading";
    theCurrentUser->ProfileNumber = id;
    ReapplyCurrentUser();
    ASSERT_NE(theCurrentUser->Profile, nullptr);
    const int profileFile = theCurrentUser->Profile->GetFile();
    EXPECT_EQ(GetResFilePath(profileFile), usersPath("Reading.tvf"));
    ReapplyCurrentUser();
    EXPECT_EQ(theCurrentUser->Profile->GetFile(), profileFile);
    SetCurrentUser(nullptr);
    EXPECT_LE(FindResFileByPath(usersPath("Reading.tvf")), 0);
}

// A profile is made whole under a scratch name and takes the chosen name last. Each write, flush and
// rename of the command (the copy, its save, the rename into place) fails once in turn: the person is
// told which file could not be made, the older file there stays as it was, and no scratch file is left.
TEST_F(CurrentUserTest, AProfileThatCannotBeMadeLeavesTheOlderFileAndSaysSo)
{
    using Operation = files::FaultyFileSystem::Operation;
    UseDefaultUser();
    ASSERT_NE(theCurrentUser, nullptr);
    const std::int32_t id = theCurrentUser->GetID();
    const QString path = usersPath("Older.tvf");
    const QStringList folder = {QStringLiteral("Older.tvf"), QLatin1String(kStandardUserFileName)};
    for (const bool standard : {false, true}) {
        const auto archive = [&](files::FaultyFileSystem& faulty) {
            const files::ScopedFileSystem scope(faulty);
            ui::ScopedAnswerer answerer;
            answerer.reply(path);
            standard ? ArchiveUserAsStandardProfile() : ArchiveUserAsProfile();
            return answerer.questions();
        };
        files::FaultyFileSystem counting(files::fileSystem());
        ASSERT_EQ(archive(counting).size(), 1u);
        std::uint32_t kind = 0;
        EXPECT_EQ(storedUserName(path, standard ? CQuibUser::kTemplateUserId : id, &kind),
                  standard ? "Standard user" : "Older");
        EXPECT_EQ(kind, FILEKIND_PROFILE);
        const QByteArray older = test::fileContent(path);
        for (const Operation operation : {Operation::Write, Operation::Flush, Operation::Rename}) {
            ASSERT_GT(counting.count(operation), 0);
            for (int n = 1; n <= counting.count(operation); ++n) {
                SCOPED_TRACE(testing::Message() << "operation " << static_cast<int>(operation) << " #" << n);
                files::FaultyFileSystem faulty(files::fileSystem());
                faulty.failAt(operation, n, false);
                const std::vector<ui::Question> asked = archive(faulty);
                ASSERT_EQ(asked.size(), 2u);
                EXPECT_EQ(asked[1].text, LoadSystemString(9417).replace("[#1]", path));
                EXPECT_EQ(test::fileContent(path), older);
                EXPECT_EQ(QDir(usersPath({})).entryList(QDir::Files | QDir::Hidden, QDir::Name), folder);
            }
        }
    }
}
} // namespace
