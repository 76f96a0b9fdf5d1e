// The reload sequence: which steps each bit runs, the languages it searches, and where it puts the
// main window for the current user.

#include "shell/Reload.h"
#include "core/FrameSizes.h"
#include "core/IconEditing.h"
#include "core/Page.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "shell/EditTool.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "store/Registry.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace lumivo;

namespace
{

const QString kInitializing = QStringLiteral("Initialize system settings");
const QString kLoadingSettings = QStringLiteral("Load system settings");
const QString kUpdatingDatabases = QStringLiteral("Updates databases");
const QString kCreatingMenus = QStringLiteral("Create menus");
const QString kUpdatingScreenMode = QStringLiteral("Update screen mode");
const QString kUpdatingScreen = QStringLiteral("Update screen");

class ReloadTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        theReloadStatusHook.set([this](const QString& text) { m_statuses << text; });
    }

    // A data file saved to disk and filed among the data files, holding language records.
    int
    dataFileWithLanguages(std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> languagesAndBases)
    {
        const int file = test::NewResFile(tempPath(QStringLiteral("data.tvf")), FILEKIND_DATA, 2, 0, 1);
        for (const auto& [language, base] : languagesAndBases)
            EXPECT_EQ(test::WriteLanguageRecord(file, kFirstLanguageRecordId + language, language, "L", base),
                      RES_OK);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        ScanDataFolder(file);
        return file;
    }

    QStringList m_statuses;
};

TEST_F(ReloadTest, EachBitRunsItsOwnStepsAndNoOthers)
{
    // No bit: the browse tool with its thresholds, the pending mask cleared, nothing else.
    ForceEditTool(kEditToolSelect);
    theProgramMode = kProgramModeEdit;
    theEditOptions = 0x0100;
    EXPECT_EQ(InitializeSystem(0), 0);
    EXPECT_EQ(m_statuses, QStringList{kInitializing});
    EXPECT_EQ(theEditTool, kEditToolBrowse);
    EXPECT_EQ(theClickTolerance, CSize(5, 5));
    EXPECT_EQ(theSystemInitFlags, 0u);
    EXPECT_EQ(theProgramMode, kProgramModeEdit);
    EXPECT_EQ(theEditOptions, 0x0100);

    // Bits added beforehand run with the call's own.
    m_statuses.clear();
    AddSystemInitFlags(kReloadMenus);
    InitializeSystem(0);
    EXPECT_EQ(m_statuses, (QStringList{kInitializing, kCreatingMenus}));

    // The user level alone: a default level, since no file holds one.
    m_statuses.clear();
    InitializeSystem(kReloadUserLevel);
    EXPECT_EQ(m_statuses, QStringList{kInitializing});
    ASSERT_NE(theCurrentUserLevel, nullptr);
    EXPECT_EQ(theCurrentUserLevel->Number, CQuibUserLevel::kDefaultLevel);
    EXPECT_EQ(theEditOptions, 0x0100) << "no language step";

    // System settings: edit mode and developer bits go, the languages and edit options are set again,
    // the indexes stay.
    m_statuses.clear();
    theProgramMode = kProgramModeEdit | kProgramModeDeveloper | kProgramModeStarted;
    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(m_statuses, (QStringList{kInitializing, kLoadingSettings}));
    EXPECT_EQ(theProgramMode, kProgramModeStarted);
    EXPECT_EQ(theEditOptions, 0x3600);
    EXPECT_EQ(theSearchLanguages, std::vector<std::uint16_t>{1});

    // The indexes: languages too, but no program-mode reset, and the visible panes reload afterwards.
    m_statuses.clear();
    theProgramMode = kProgramModeEdit;
    theEditOptions = 0;
    theMainPane.SetVisible(true);
    ASSERT_EQ(theMainPane.AdoptPage(std::make_unique<CQuibBg>()), nullptr);
    InitializeSystem(kReloadIndexes);
    EXPECT_EQ(m_statuses, (QStringList{kInitializing, kUpdatingDatabases}));
    EXPECT_EQ(theProgramMode, kProgramModeEdit);
    EXPECT_EQ(theEditOptions, 0x3600);
    EXPECT_EQ(theSystemInitFlags, 0u);

    // The panes alone: the main pane shows its start page (none) instead of its page.
    ASSERT_EQ(theMainPane.AdoptPage(std::make_unique<CQuibBg>()), nullptr);
    InitializeSystem(kReloadPanes);
    EXPECT_EQ(theMainPane.GetPage(), nullptr);

    // Everything, in the fixed order.
    m_statuses.clear();
    InitializeSystem(kReloadEverything);
    EXPECT_EQ(m_statuses, (QStringList{kInitializing, kLoadingSettings, kUpdatingDatabases, kCreatingMenus,
                                       kUpdatingScreenMode, kUpdatingScreen}));
}

TEST_F(ReloadTest, ShuttingDownRunsNothingAndKeepsTheBitsPending)
{
    ForceEditTool(kEditToolSelect);
    theProgramMode = kProgramModeShuttingDown | kProgramModeEdit;
    InitializeSystem(kReloadEverything);
    EXPECT_TRUE(m_statuses.isEmpty());
    EXPECT_EQ(theEditTool, kEditToolSelect);
    EXPECT_EQ(theProgramMode, kProgramModeShuttingDown | kProgramModeEdit);
    EXPECT_EQ(theSystemInitFlags, kReloadEverything);
    EXPECT_EQ(theCurrentUserLevel, nullptr);
}

TEST_F(ReloadTest, ARefusedBrowseToolKeepsTheThresholdsOfTheToolInForce)
{
    theMainPane.SetVisible(true);
    ForceEditTool(kEditToolSelect);
    const auto refuse = thePaneAcceptsEditToolHook.scoped([](CPane&, int) { return false; });
    InitializeSystem(kReloadMenus);
    EXPECT_EQ(theEditTool, kEditToolSelect);
    EXPECT_EQ(theClickTolerance, CSize(1, 1));
    EXPECT_EQ(theClickIntervalMs, 500u);
    // The language step selects the browse tool whatever the panes say, and its thresholds with it.
    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(theEditTool, kEditToolBrowse);
    EXPECT_EQ(theClickTolerance, CSize(5, 5));
    EXPECT_EQ(theClickIntervalMs, 8000u);
}

// Qt's own dialog texts (its buttons, its file dialog's labels) follow the system language too.
TEST_F(ReloadTest, QtsOwnTextsFollowTheSystemLanguage)
{
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(translations + QStringLiteral("/qtbase_da.qm")))
        GTEST_SKIP() << "Qt's Danish translation is not installed (qt6-translations-l10n)";
    theRegistry->WriteInt(kSettingsRoot, QStringLiteral("LanguageNo"), 10002);
    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuller");

    theRegistry->WriteInt(kSettingsRoot, QStringLiteral("LanguageNo"), 10009);
    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

TEST_F(ReloadTest, SearchLanguagesRunFromTheTranslationToLanguageOneWithoutRepeats)
{
    dataFileWithLanguages({{3, 9}, {9, 0}});
    theRegistry->WriteInt(kSettingsRoot, QStringLiteral("LanguageNo"), 10009);
    theOutputFile = test::NewResFile(tempPath(QStringLiteral("output.tvf")), FILEKIND_DATA, 2, 0, 1);
    theTranslateLanguage = 7;
    CQuibUser user;
    user.PrimaryLanguage = 3;
    user.SecondLanguage = 7;
    theCurrentUser = &user;

    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(theLanguageNo, 9);
    EXPECT_EQ(theCurrentLanguage, 3);
    EXPECT_EQ(theSecondLanguage, 7);
    EXPECT_EQ(theCurrentLanguageRec, FindSystemRecord(3));
    EXPECT_EQ(theTranslateLanguageRec, nullptr) << "no record of language 7";
    EXPECT_EQ(theSearchLanguages, (std::vector<std::uint16_t>{7, 3, 9, 1}));

    // Without the output file and with no languages of the user's own: the system language.
    theOutputFile = 0;
    user.PrimaryLanguage = 0;
    user.SecondLanguage = 0;
    InitializeSystem(kReloadSystemSettings);
    EXPECT_EQ(theCurrentLanguage, 9);
    EXPECT_EQ(theCurrentLanguageRec, FindSystemRecord(9));
    EXPECT_EQ(theSearchLanguages, (std::vector<std::uint16_t>{9, 1}));
    theCurrentUser = nullptr;
}

TEST_F(ReloadTest, TheUsersWindowIsBroughtOntoTheScreen)
{
    const auto screen = theScreenSizeHook.scoped([] { return CSize(1024, 768); });
    CMainFrame frame;
    frame.setCentralWidget(new QWidget);
    CQuibUser user;
    theCurrentUser = &user;

    // Too large: cut back to the screen's right and bottom edges, the top-left kept.
    user.WindowRect = CRect(CPoint(100, 100), CSize(3000, 2000));
    InitializeSystem(kReloadScreen);
    EXPECT_EQ(mainFrameRect(), CRect(100, 100, 1024, 768));

    // Wholly off the screen at negative coordinates: moved back onto it.
    user.WindowRect = CRect(-900, -700, -100, -100);
    InitializeSystem(kReloadScreen);
    EXPECT_EQ(mainFrameRect(), CRect(0, 0, 800, 600));

    // None stored: the standard frame for the screen, centred.
    user.WindowRect = CRect();
    InitializeSystem(kReloadScreen);
    EXPECT_EQ(user.WindowRect, CRect(108, 80, 916, 688));
    EXPECT_EQ(mainFrameRect(), user.WindowRect);
    EXPECT_EQ(theFrameSizeMode, 2);
    theCurrentUser = nullptr;
}

} // namespace
