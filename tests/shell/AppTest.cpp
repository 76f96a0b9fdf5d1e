#include "shell/App.h"
#include "shell/Commands.h"
#include "shell/Help.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/Reload.h"

#include "core/Page.h"
#include "core/User.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

namespace
{

class AppTest : public lumivo::test::LumivoTest
{
};

void writeStaleLock(const QString& path)
{
    QFile lock(path);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    // A process number no process has, under this program's name, on this host.
    lock.write(QByteArray("2147483000\n") + QCoreApplication::applicationName().toUtf8() + "\n" +
               QSysInfo::machineHostName().toUtf8() + "\n");
}

// A disk whose folder `full` takes nothing more once it is filled, while the rest of it (the trace's
// temporary folder) still does.
class FullFolder : public lumivo::files::FileSystem
{
public:
    explicit FullFolder(const QString& folder) : m_folder(folder + QLatin1Char('/')) {}
    void Fill() { m_full.failAt(lumivo::files::FaultyFileSystem::Operation::Write, 1); }

    std::unique_ptr<lumivo::files::File> open(const QString& path, lumivo::files::OpenMode mode) override
    {
        return of(path).open(path, mode);
    }
    lumivo::files::FileInfo info(const QString& path) override { return m_base.info(path); }
    bool remove(const QString& path) override { return of(path).remove(path); }
    bool rename(const QString& from, const QString& to) override { return of(to).rename(from, to); }
    bool makeDirectories(const QString& path) override { return m_base.makeDirectories(path); }
    std::vector<QString> list(const QString& folder) override { return m_base.list(folder); }
    bool flushDirectory(const QString& folder) override { return m_base.flushDirectory(folder); }

private:
    lumivo::files::FileSystem& of(const QString& path)
    {
        return path.startsWith(m_folder) ? static_cast<lumivo::files::FileSystem&>(m_full) : m_base;
    }

    QString m_folder;
    lumivo::files::FileSystem& m_base = lumivo::files::fileSystem();
    lumivo::files::FaultyFileSystem m_full{m_base};
};

// A page stored in `file` and not yet saved: the file is changed.
void changeFile(int file)
{
    CQuibBg page;
    page.Name = "Changed";
    lumivo::test::storeInFile(page, 40, file, MakeBgType(1, 2));
    page.Write();
    ASSERT_TRUE(IsResFileDirty(file));
}

} // namespace

TEST_F(AppTest, TraceSwitchIsOneWordInAnyCaseWithOrWithoutALeadingSlashOrDash)
{
    for (const char* word : {"TRACE", "trace", "/Trace", "-tRaCe"})
        EXPECT_TRUE(lumivo::isCommandLineSwitch(word, "TRACE")) << word;
    for (const char* word : {"TRACER", "TRAC", "--trace", "/TRACE/"})
        EXPECT_FALSE(lumivo::isCommandLineSwitch(word, "TRACE")) << word;

    CQuibApp app;
    app.ParseCommandLine({"lumivo", "Tracer", "-embedding"});
    EXPECT_FALSE(app.TraceEnabled());
    EXPECT_FALSE(app.ShowSplashAtStart());
    app.ParseCommandLine({"lumivo", "/trace"});
    EXPECT_TRUE(app.TraceEnabled());
}

TEST_F(AppTest, ASecondCopyIsRefusedWhileTheFirstHoldsItsLockAndAStaleLockIsTakenOver)
{
    const QString lockPath = lumivo::instanceLockPath(QCoreApplication::applicationName());
    EXPECT_TRUE(lockPath.endsWith(QCoreApplication::applicationName() + ".lock"));
    writeStaleLock(lockPath);
    {
        CQuibApp first;
        ASSERT_TRUE(first.InitApplication());
        CQuibApp second;
        EXPECT_FALSE(second.InitApplication());
        // Another program's lock does not count.
        EXPECT_NE(lumivo::instanceLockPath("another"), lockPath);
    }
    EXPECT_FALSE(QFile::exists(lockPath));
}

TEST_F(AppTest, AFirstStartWritesWhatAnInstallerWritesOnceAndInTheLocalesLanguage)
{
    EXPECT_EQ(lumivo::installLanguageForLocale("da_DK"), lumivo::kInstallLanguageDanish);
    EXPECT_EQ(lumivo::installLanguageForLocale("en_GB"), lumivo::kInstallLanguageEnglish);
    EXPECT_EQ(lumivo::installLanguageForLocale("C"), lumivo::kInstallLanguageEnglish);

    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(theSettingsRoot));
    ASSERT_TRUE(lumivo::writeFreshInstallSettings(tempDir() + "/", "da_DK"));
    std::uint32_t language = 0;
    EXPECT_TRUE(GetSystemSettingDWord("Install_language", &language));
    EXPECT_EQ(language, lumivo::kInstallLanguageDanish);
    LoadSystemSettings();
    EXPECT_EQ(theLanguageNo, 2);
    EXPECT_EQ(theBaseDir, tempDir() + "/");
    EXPECT_EQ(GetSystemString(SYSSTR_APPNAME), "Lumivo");

    // Settings that exist, however few, are a person's: they stay as they are.
    EXPECT_FALSE(lumivo::writeFreshInstallSettings("/elsewhere/", "en_GB"));
    EXPECT_TRUE(GetSystemSettingDWord("Install_language", &language));
    EXPECT_EQ(language, lumivo::kInstallLanguageDanish);
}

TEST_F(AppTest, StartUpRunsItsStepsInOrderAndExitLetsTheRegistryGo)
{
    QFile::remove(TraceLogPath());
    {
        CRegistry registry;
        ASSERT_TRUE(registry.CreateKey(kSettingsRoot));
        ASSERT_TRUE(registry.WriteString(kSettingsRoot, "Default_dir", tempDir()));
    }
    CQuibApp app;
    app.ParseCommandLine({"lumivo", "TRACE", "/Embedding"});
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(MainFrame(), nullptr);
    EXPECT_TRUE(MainFrame()->isVisible());
    EXPECT_EQ(theBaseDir, tempDir());
    EXPECT_TRUE(IsTraceLogEnabled());

    const QString log = QString::fromUtf8(lumivo::test::fileBytes(TraceLogPath()));
    int at = 0;
    for (const char* step :
         {"InitInstance Start", "InitInstance PreStartUp", "InitInstance StartUp",
          "InitInstance UpdateSystem", "InitInstance UseDefaultUser", "InitInstance UpdateSystem"}) {
        at = log.indexOf(step, at);
        ASSERT_GE(at, 0) << step;
        ++at;
    }
    // Moving the window stores where it is into the user, for the next start.
    ASSERT_NE(theCurrentUser, nullptr);
    MainFrame()->move(MainFrame()->pos() + QPoint(7, 5));
    QCoreApplication::processEvents();
    const QRect frame = MainFrame()->frameGeometry();
    EXPECT_EQ(theCurrentUser->WindowRect.left, frame.left());
    EXPECT_EQ(theCurrentUser->WindowRect.top, frame.top());

    // Steps left pending (closing the output file queues every step) run at the main loop's idle.
    AddSystemInitFlags(kReloadMenus);
    app.OnIdle(0);
    EXPECT_EQ(theSystemInitFlags, kReloadMenus) << "not in the idle work of a sound's wait";
    app.RunQueuedReload();
    EXPECT_EQ(theSystemInitFlags, 0u);

    EXPECT_EQ(app.ExitInstance(3), 3);
    app.OnIdle(0);
    EXPECT_EQ(theSpeechEngine, nullptr) << "nothing comes back to life after the exit";
    EXPECT_EQ(theRegistry, nullptr);
}

// A computer without a sound device: the person is told once, over the window, not only the terminal.
TEST_F(AppTest, StartingWithoutASoundDeviceSaysSoOnce)
{
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    CQuibApp app;
    app.ParseCommandLine({"lumivo", "/Embedding"});
    lumivo::ui::ScopedAnswerer answerer;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_EQ(answerer.questions().size(), 1u);
    const QString told = answerer.questions()[0].text;
    EXPECT_TRUE(told.startsWith("No sound device was found")) << told.toStdString();
    EXPECT_TRUE(answerer.questions()[0].text.contains("no-such-driver")) << "with SDL's reason";
    EXPECT_EQ(answerer.questions()[0].flags & 0xF0, lumivo::ui::MB_ICONWARNING);

    CSoundDevice::InitSound(); // sounds try the output again, and say nothing more
    CSoundDevice::TellIfNoOutput();
    EXPECT_EQ(answerer.questions().size(), 1u);
    app.ExitInstance(0);
}

TEST_F(AppTest, TheIdlePassMakesTheSpeechEngineOnceAndArmsTheIdleTimer)
{
    CQuibApp app;
    app.OnIdle(0);
    ASSERT_NE(theSpeechEngine, nullptr);
    const CSpeechEngine* engine = theSpeechEngine.get();
    app.OnIdle(0);
    EXPECT_EQ(theSpeechEngine.get(), engine);
}

TEST_F(AppTest, TheFrameShowsStatusTextAndPromptsAndHasAPictureOnEveryButton)
{
    CMainFrame frame;
    SetStatusText("Ready to speak");
    EXPECT_EQ(frame.statusBar()->currentMessage(), "Ready to speak");
    for (const QAction* button : frame.ToolBar()->actions()) {
        if (button->isSeparator())
            continue;
        EXPECT_FALSE(button->icon().isNull()) << button->data().toInt();
        EXPECT_FALSE(button->statusTip().isEmpty()) << button->data().toInt();
    }
    ASSERT_NE(frame.ToolButton(5104), nullptr);
    EXPECT_EQ(frame.ToolButton(5104)->statusTip(), "Browse tool");

    frame.ArmIdleTimer();
    EXPECT_TRUE(frame.IdleTimerArmed());
}

TEST_F(AppTest, EscapeGivesTheClientTheFocusAndTogglesTheMenuBarFromAnyControl)
{
    CMainFrame frame;
    CreateMenus();
    frame.show();
    frame.ToolBar()->setFocusPolicy(Qt::StrongFocus);
    frame.ToolBar()->setFocus();
    theScreenMode = SCREENMODE_MENUBAR;

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(frame.ToolBar(), &escape);
    EXPECT_EQ(theScreenMode & SCREENMODE_MENUBAR, 0);
    EXPECT_FALSE(frame.menuBar()->isVisible());
    EXPECT_EQ(frame.focusWidget(), frame.ClientWindow());

    QApplication::sendEvent(frame.ClientWindow(), &escape);
    EXPECT_EQ(theScreenMode & SCREENMODE_MENUBAR, SCREENMODE_MENUBAR);
}

TEST_F(AppTest, HelpOpensTheMatchingPageAndNothingWithoutAHelpFile)
{
    QList<QUrl> opened;
    const auto viewer = theOpenHelpPageHook.scoped([&](const QUrl& page) {
        opened << page;
        return true;
    });
    CMainFrame frame;
    theHelpFile.clear();
    frame.WinHelp(42, HELP_CONTEXT);
    EXPECT_FALSE(HtmlHelp(HH_DISPLAY_TOC));
    EXPECT_TRUE(opened.isEmpty());

    theHelpFile = tempPath("Help.html");
    frame.WinHelp(42, HELP_CONTEXT);
    frame.WinHelp(42, 3);
    // F1, from wherever the focus is in the window.
    auto* f1 = frame.findChild<QAction*>("helpKey");
    ASSERT_NE(f1, nullptr);
    EXPECT_EQ(f1->shortcut(), QKeySequence(Qt::Key_F1));
    f1->trigger();
    HtmlHelp(HH_DISPLAY_INDEX);
    HtmlHelp(HH_DISPLAY_SEARCH);
    ASSERT_EQ(opened.size(), 5);
    QUrl context = QUrl::fromLocalFile(theHelpFile);
    context.setFragment("context-42");
    EXPECT_EQ(opened[0], context);
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(theHelpFile));
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(theHelpFile));
    EXPECT_EQ(opened[3], QUrl::fromLocalFile(tempPath("Index.html")));
    EXPECT_EQ(opened[4], QUrl::fromLocalFile(tempPath("Search.html")));
}

// F1 on a computer without a web browser: the person is told where the pages lie.
TEST_F(AppTest, HelpWithoutABrowserSaysSoAndWhereThePagesAre)
{
    const auto noBrowser = theOpenHelpPageHook.scoped([](const QUrl&) { return false; });
    CMainFrame frame;
    theHelpFile = tempPath("Help.html");
    lumivo::ui::ScopedAnswerer answerer;
    frame.findChild<QAction*>("helpKey")->trigger();
    ASSERT_EQ(answerer.questions().size(), 1u);
    const QString told = answerer.questions()[0].text;
    EXPECT_TRUE(told.startsWith("The help cannot be shown")) << told.toStdString();
    EXPECT_TRUE(answerer.questions()[0].text.endsWith(QDir::toNativeSeparators(tempDir())));
}

TEST_F(AppTest, ClosingTheWindowWithUnsavedOutputChangesAsksAndCancelKeepsTheProgramRunning)
{
    theRegistry = std::make_unique<CRegistry>();
    theOutputFile = lumivo::test::makeResourceFile(tempPath("output.tvf"));
    CQuibBg page;
    page.Name = "Changed";
    lumivo::test::storeInFile(page, 40, theOutputFile, MakeBgType(1, 2));
    page.Write();
    ASSERT_TRUE(IsResFileDirty(theOutputFile));

    CMainFrame frame;
    frame.show();
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDCANCEL);
        EXPECT_FALSE(frame.close());
        EXPECT_TRUE(frame.isVisible());
        EXPECT_EQ(answers.questions().size(), 1u);
    }
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDNO);
        EXPECT_TRUE(frame.close());
        EXPECT_FALSE(frame.isVisible());
    }
    CloseOutputFile();
}

// A signal while start-up still runs (a start-up message waits for OK) has ended start-up's loops; the
// main loop must not start and forget it.
TEST_F(AppTest, AnEndAskedForDuringStartUpIsNotLostToTheMainLoop)
{
    {
        CRegistry registry;
        ASSERT_TRUE(registry.CreateKey(kSettingsRoot));
        ASSERT_TRUE(registry.WriteString(kSettingsRoot, "Default_dir", tempDir()));
    }
    CQuibApp app;
    app.EndUnattended();
    // Had the main loop run, only this would end it.
    QObject deadline;
    QTimer::singleShot(10000, &deadline, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(app.Run({"lumivo", "/Embedding"}), 0);
}

// The end of a logout on a full disk: what could not be saved is said in the trace and on standard error,
// and nothing waits for an answer, not even the message about the user file that the exit shows.
TEST_F(AppTest, ASignalsEndOnAFullDiskSaysWhatIsLostWhereItCanBeReadAndAsksNothing)
{
    ASSERT_TRUE(QDir().mkpath(tempPath("full")));
    FullFolder disk(tempPath("full"));
    lumivo::files::ScopedFileSystem onDisk(disk);
    const QString userPath = tempPath("full/user.tvf");
    auto user = std::make_unique<CQuibUser>();
    ASSERT_EQ(user->SaveAs(5, lumivo::test::NewResFile(userPath, FILEKIND_USER, 2, 0, 61), CQuibUser::kType),
              RES_OK);
    SetCurrentUser(std::move(user));
    theCurrentUser->Name = "Eva";
    theCurrentUser->Commit();
    const QString outputPath = tempPath("full/output.tvf");
    theOutputFile = lumivo::test::makeResourceFile(outputPath);
    changeFile(theOutputFile);
    SetTraceLogEnabled(true);
    QFile::remove(TraceLogPath());
    disk.Fill();

    testing::internal::CaptureStderr();
    {
        CQuibApp app;
        app.EndUnattended();
        app.ExitInstance(0);
    }
    const QString told = QString::fromStdString(testing::internal::GetCapturedStderr());
    const QString trace = QString::fromUtf8(lumivo::test::fileContent(TraceLogPath()));
    for (const QString& where : {told, trace}) {
        EXPECT_TRUE(where.contains(outputPath)) << where.toStdString();
        EXPECT_TRUE(where.contains("the user file " + userPath)) << where.toStdString();
        // The exit's own message about the user file was not shown but noted.
        EXPECT_TRUE(where.contains("Nobody is there to answer")) << where.toStdString();
    }
}
