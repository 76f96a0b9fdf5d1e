// Settings with their fallback to the older root, the one-time migration, the start-up settings and
// the folders below the base folder.

#include "system/SystemSettings.h"
#include "store/Registry.h"
#include "tests/support/LumivoTest.h"

#include <QDir>
#include <QFile>

using namespace lumivo;

namespace
{

class SystemSettingsTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
    }
};

TEST_F(SystemSettingsTest, GettersClearTheirResultAndFallBackToTheOlderRoot)
{
    int number = 77;
    EXPECT_FALSE(GetSystemSettingInt("ScreenMode", &number));
    EXPECT_EQ(number, 0);
    QString text = "stale";
    EXPECT_FALSE(GetSystemSettingString("Default_dir", text));
    EXPECT_TRUE(text.isEmpty());

    theRegistry->CreateKey(kOldSettingsRoot);
    theRegistry->WriteInt(kOldSettingsRoot, "ScreenMode", 0x15);
    EXPECT_TRUE(GetSystemSettingInt("ScreenMode", &number));
    EXPECT_EQ(number, 0x15);

    EXPECT_TRUE(SetSystemSettingInt("ScreenMode", 0x7));
    EXPECT_TRUE(GetSystemSettingInt("ScreenMode", &number));
    EXPECT_EQ(number, 0x7);
    EXPECT_TRUE(theRegistry->ReadInt(kOldSettingsRoot, "ScreenMode", number));
    EXPECT_EQ(number, 0x15) << "setters write the settings root only";
}

TEST_F(SystemSettingsTest, ValuesKeepTheirTypes)
{
    SetSystemSettingWord("Mode", 0x1234);
    std::uint32_t dword = 0;
    EXPECT_FALSE(GetSystemSettingDWord("Mode", &dword)) << "a word is stored as a 4-byte int";
    theRegistry->WriteInt(kSettingsRoot, "Wide", 0x12345678);
    std::uint16_t word = 0;
    EXPECT_TRUE(GetSystemSettingWord("Wide", &word));
    EXPECT_EQ(word, 0x5678);
    SetSystemSettingDWord("AutoFileSave", 300);
    EXPECT_TRUE(GetSystemSettingDWord("AutoFileSave", &dword));
    EXPECT_EQ(dword, 300u);
}

TEST_F(SystemSettingsTest, WithoutARegistryNothingIsReadOrWritten)
{
    theRegistry.reset();
    int number = 5;
    EXPECT_FALSE(GetSystemSettingInt("ScreenMode", &number));
    EXPECT_EQ(number, 0);
    EXPECT_FALSE(SetSystemSettingInt("ScreenMode", 1));
    EXPECT_FALSE(SetSystemSettingString("Default_dir", "x"));
}

TEST_F(SystemSettingsTest, MigrationCopiesTheOlderRootOnceAndDeletesIt)
{
    theRegistry->DeleteKey(kSettingsRoot);
    theRegistry->CreateKey(kOldSettingsRoot);
    theRegistry->WriteString(kOldSettingsRoot, "Default_dir", "/data/morvelt");
    theRegistry->WriteInt(kOldSettingsRoot, "ScreenMode", 3);

    EXPECT_TRUE(MigrateOldSettings(*theRegistry));
    QString text;
    EXPECT_TRUE(theRegistry->ReadString(kSettingsRoot, "Default_dir", text));
    EXPECT_EQ(text, "/data/morvelt");
    int number = 0;
    EXPECT_TRUE(theRegistry->ReadInt(kSettingsRoot, "ScreenMode", number));
    EXPECT_EQ(number, 3);
    std::uint32_t install = 0;
    EXPECT_TRUE(theRegistry->ReadDWord(kSettingsRoot, "Install_language", install));
    EXPECT_EQ(install, 10002u);
    EXPECT_TRUE(theRegistry->ReadString(kSettingsRoot, "Install_appname", text));
    EXPECT_EQ(text, "Morvelt");
    EXPECT_FALSE(theRegistry->KeyExists(kOldSettingsRoot));
    EXPECT_FALSE(theRegistry->KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\halvorix\\Morvelt"));

    // A second run finds values under the settings root and leaves everything alone, even an older
    // root that has come back.
    theRegistry->CreateKey(kOldSettingsRoot);
    theRegistry->WriteInt(kOldSettingsRoot, "ScreenMode", 9);
    SetSystemSettingString("Default_dir", "/data/lumivo");
    EXPECT_TRUE(MigrateOldSettings(*theRegistry));
    EXPECT_TRUE(theRegistry->ReadString(kSettingsRoot, "Default_dir", text));
    EXPECT_EQ(text, "/data/lumivo");
    EXPECT_TRUE(theRegistry->ReadInt(kSettingsRoot, "ScreenMode", number));
    EXPECT_EQ(number, 3);
    EXPECT_TRUE(theRegistry->KeyExists(kOldSettingsRoot));
}

TEST_F(SystemSettingsTest, MigrationWithoutAnOlderRootChangesNothing)
{
    EXPECT_TRUE(MigrateOldSettings(*theRegistry));
    std::uint32_t install = 0;
    EXPECT_FALSE(theRegistry->ReadDWord(kSettingsRoot, "Install_language", install));
}

TEST_F(SystemSettingsTest, StartUpSettingsReadAsZeroWhenMissing)
{
    theScreenMode = 0x77;
    theAutoFileSave = 60;
    LoadSystemSettings();
    EXPECT_EQ(theScreenMode, 0);
    EXPECT_EQ(theAutoFileSave, 0u);
    EXPECT_EQ(theLanguageNo, 0);
    EXPECT_EQ(theBaseDir, theProgramDir);
    EXPECT_TRUE(theProgramDir.endsWith('/'));
}

TEST_F(SystemSettingsTest, LanguageNumberIsTakenWithOrWithoutItsOffset)
{
    SetSystemSettingInt("LanguageNo", 10002);
    LoadSystemSettings();
    EXPECT_EQ(theLanguageNo, 2);
    SetSystemSettingInt("LanguageNo", 2);
    LoadSystemSettings();
    EXPECT_EQ(theLanguageNo, 2);
    SetSystemSettingInt("LanguageNo", 0);
    SetSystemSettingDWord("Install_language", 10008);
    LoadSystemSettings();
    EXPECT_EQ(theLanguageNo, 8);
}

TEST_F(SystemSettingsTest, BaseFolderFallsBackFromDefaultToInstallToProgramFolder)
{
    const QString install = tempPath("install");
    QDir().mkpath(install);
    SetSystemSettingString("Default_dir", tempPath("gone"));
    SetSystemSettingString("Install_dir", install);
    LoadSystemSettings();
    EXPECT_EQ(theBaseDir, install + "/");

    SetSystemSettingString("Default_dir", tempDir());
    LoadSystemSettings();
    EXPECT_EQ(theBaseDir, tempDir());

    SetSystemSettingString("Default_dir", "");
    SetSystemSettingString("Install_dir", tempPath("also-gone"));
    LoadSystemSettings();
    EXPECT_EQ(theBaseDir, theProgramDir);
}

TEST_F(SystemSettingsTest, HelpFileIsLookedForBesideTheDataThenBesideTheProgram)
{
    SetSystemSettingString("Default_dir", tempDir());
    LoadSystemSettings();
    EXPECT_TRUE(theHelpFile.isEmpty() || theHelpFile.startsWith(theProgramDir));

    QFile help(tempPath("Help.html"));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    LoadSystemSettings();
    EXPECT_EQ(theHelpFile, tempPath("Help.html"));
}

TEST_F(SystemSettingsTest, ScreenModeFlags)
{
    theScreenMode = SCREENMODE_STATUSBAR | SCREENMODE_FULLSCREEN;
    EXPECT_TRUE(GetScreenModeFlag(1));
    EXPECT_FALSE(GetScreenModeFlag(2));
    EXPECT_TRUE(GetScreenModeFlag(3));
    EXPECT_FALSE(GetScreenModeFlag(4));
    EXPECT_TRUE(GetScreenModeFlag(5));
    EXPECT_FALSE(GetScreenModeFlag(0));
    EXPECT_FALSE(GetScreenModeFlag(6));
}

TEST_F(SystemSettingsTest, FoldersAreMadeBelowTheBaseFolder)
{
    theBaseDir = tempDir();
    EXPECT_EQ(GetDataDirString("/"), tempDir() + "/Data/");
    EXPECT_TRUE(QDir(tempDir() + "/Data").exists());
    QString folder;
    EXPECT_TRUE(GetTempDir(folder, "/Sound.tmp"));
    EXPECT_EQ(folder, tempDir() + "/Temp/Sound.tmp");
    EXPECT_EQ(GetUsersDirString(), tempDir() + "/Users");
    EXPECT_TRUE(QDir(tempDir() + "/Users").exists());
}

TEST_F(SystemSettingsTest, AFolderThatCannotBeMadeGivesAnEmptyPath)
{
    QFile blocker(tempPath("Data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    theBaseDir = tempDir();
    QString folder = "stale";
    EXPECT_FALSE(GetDataDir(folder, "/"));
    EXPECT_TRUE(folder.isEmpty());
}

TEST_F(SystemSettingsTest, FolderTreeListsFilesOfEverySubFolder)
{
    QDir().mkpath(tempPath("tree/sub/deeper"));
    QDir().mkpath(tempPath("tree/.hidden"));
    for (const char* name :
         {"tree/a.jpg", "tree/sub/b.png", "tree/sub/deeper/c.bmp", "tree/.secret", "tree/.hidden/d.jpg"}) {
        QFile file(tempPath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // A link back up the tree is walked once, not for ever.
    ASSERT_TRUE(QFile::link(tempPath("tree"), tempPath("tree/sub/deeper/up")));
    QStringList files;
    ListFolderTree(files, tempPath("tree"));
    files.sort();
    EXPECT_EQ(files, QStringList({tempPath("tree/a.jpg"), tempPath("tree/sub/b.png"),
                                  tempPath("tree/sub/deeper/c.bmp")}));
    ListFolderTree(files, QString());
    EXPECT_EQ(files.size(), 3);
    QStringList topOnly;
    ListFolderTree(topOnly, tempPath("tree"), false);
    EXPECT_EQ(topOnly, QStringList({tempPath("tree/a.jpg")})) << "no sub-folders when not asked";
}

} // namespace
