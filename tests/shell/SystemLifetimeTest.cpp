// The program's start and end around the windows: the steps start-up traces, what it sets up, and
// the session's settings written back at the end.

#include "shell/SystemLifetime.h"
#include "core/FrameSizes.h"
#include "core/Page.h"
#include "core/User.h"
#include "platform/registry/Registry.h"
#include "platform/types/WinTypes.h"
#include "platform/ui/Ui.h"
#include "store/Registry.h"
#include "store/ResourceTypes.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/UnwritableFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace lumivo;

namespace
{

// Tracing into a folder of the test's own while it lives.
class StartupTrace
{
public:
    explicit StartupTrace(const QString& folder) : m_oldTemp(qgetenv("TMPDIR"))
    {
        ::setenv("TMPDIR", folder.toUtf8().constData(), 1);
        SetTraceLogEnabled(true);
    }
    ~StartupTrace()
    {
        SetTraceLogEnabled(false);
        if (m_oldTemp.isNull())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", m_oldTemp.constData(), 1);
    }
    StartupTrace(const StartupTrace&) = delete;
    StartupTrace& operator=(const StartupTrace&) = delete;

    QStringList lines() const
    {
        QFile log(TraceLogPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private:
    QByteArray m_oldTemp;
};

class SystemLifetimeTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        theBaseDir = tempDir();
    }

    int storedInt(const QString& name) const
    {
        int value = -1;
        EXPECT_TRUE(theRegistry->ReadInt(kSettingsRoot, name, value)) << name.toStdString();
        return value;
    }
};

TEST_F(SystemLifetimeTest, StartTracesItsStepsAndSetsUpWhatTheProgramNeeds)
{
    const QString traceFolder = tempPath(QStringLiteral("trace"));
    ASSERT_TRUE(QDir().mkpath(traceFolder));
    theProgramMode = 0x20;
    theEditOptions = 0x0800;
    {
        const StartupTrace trace(traceFolder);
        InitSystem();
        EXPECT_EQ(trace.lines(), QStringList({"Startup,1", "Startup,2", "Startup,3", "Startup,4", "Startup,5",
                                              "Startup,6", "Startup,55", "Startup,57", "InitPrintView,1",
                                              "InitPrintView,10", "InitPrintView,20", "InitPrintView,30",
                                              "InitPrintView,1", "Startup,58", "Startup,99"}));
    }
    EXPECT_TRUE(QDir(tempPath(QStringLiteral("Users"))).exists());
    EXPECT_TRUE(QDir(tempPath(QStringLiteral("Data"))).exists());
    EXPECT_EQ(theFrameSizeModes, (std::vector<std::uint16_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(theEditOptions, 0x0711);
    EXPECT_EQ(theProgramMode, kProgramModeStarted);
    EXPECT_FALSE(DefaultWindowRect().IsRectEmpty()) << "a new user gets the standard frame";
    ExitSystem();
}

TEST_F(SystemLifetimeTest, CustomColoursAndScreenModeOutliveTheSession)
{
    theRegistry->WriteInt(kSettingsRoot, QStringLiteral("UserColor_3"), 0x02123456);
    InitSystem();
    EXPECT_EQ(theUserColors[3], 0x02123456u);
    EXPECT_EQ(ui::customColor(3), toQColor(0x123456));
    EXPECT_EQ(theUserColors[5], 0u);

    // A colour chosen in any colour dialog of the session is written at the end; the others keep
    // their stored bits.
    ui::setCustomColor(5, QColor(1, 2, 3));
    theScreenMode = SCREENMODE_MENUBAR | SCREENMODE_TOOLBARS;
    ExitSystem();
    EXPECT_EQ(theProgramMode, 0);
    EXPECT_EQ(storedInt(QStringLiteral("UserColor_3")), 0x02123456);
    EXPECT_EQ(storedInt(QStringLiteral("UserColor_5")), 0x030201);
    EXPECT_EQ(storedInt(QStringLiteral("ScreenMode")), SCREENMODE_MENUBAR | SCREENMODE_TOOLBARS);

    // The next start has them again.
    theUserColors.fill(0);
    ui::setCustomColor(5, QColor(0, 0, 0));
    InitSystem();
    EXPECT_EQ(theUserColors[5], 0x030201u);
    EXPECT_EQ(ui::customColor(5), QColor(1, 2, 3));

    // An end that is already under way writes nothing.
    theProgramMode = kProgramModeShuttingDown;
    theScreenMode = SCREENMODE_FULLSCREEN;
    ExitSystem();
    EXPECT_EQ(storedInt(QStringLiteral("ScreenMode")), SCREENMODE_MENUBAR | SCREENMODE_TOOLBARS);
    EXPECT_EQ(theProgramMode, kProgramModeShuttingDown);
}

// The end goes on whatever the answer to the output file's question: Cancel cannot keep the program
// running there, so the changes are saved rather than let go.
TEST_F(SystemLifetimeTest, TheEndSavesAChangedOutputFileThatItsQuestionKeptOpen)
{
    const QString path = tempPath(QStringLiteral("output.tvf"));
    theOutputFile = test::makeResourceFile(path);
    CQuibBg page;
    page.Name = QStringLiteral("Kept");
    test::storeInFile(page, 40, theOutputFile, MakeBgType(1, 2));
    page.Write();
    page.Detach();
    {
        ui::ScopedAnswerer answerer;
        answerer.reply(ui::IDCANCEL);
        ExitSystem();
        EXPECT_EQ(answerer.questions().size(), 1u);
    }
    EXPECT_EQ(theOutputFile, 0);
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    CQuibBg stored;
    ASSERT_EQ(AttachResource(&stored, 40, MakeBgType(1, 2), file), RES_OK);
    ASSERT_EQ(stored.Load(), RES_OK);
    EXPECT_EQ(stored.Name, QStringLiteral("Kept"));
}

// The settings the end writes, on a machine whose settings folder cannot be written: the registry
// object's end, as the program's exit has it, is the last write, and nobody is left to tell but the
// trace.
TEST_F(SystemLifetimeTest, SettingsThatCannotBeWrittenAtTheEndGoToTheTrace)
{
    StartupTrace trace(tempDir());
    ASSERT_TRUE(SetSystemSettingInt(QStringLiteral("ScreenMode"), SCREENMODE_MENUBAR));
    {
        test::UnwritableFolder settingsFolder(registry::Registry::defaultFolder());
        ResetRegistryObject();
    }
    const QString file = registry::Registry::defaultFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.txt");
    EXPECT_TRUE(trace.lines().contains(QStringLiteral("The settings file %1 could not be written").arg(file)))
        << trace.lines().join('\n').toStdString();
}

} // namespace
