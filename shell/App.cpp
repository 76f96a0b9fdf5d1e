#include "shell/App.h"

#include "core/Sound.h"
#include "core/User.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/modules/Modules.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/MainFrame.h"
#include "shell/Reload.h"
#include "shell/Splash.h"
#include "shell/SystemLifetime.h"
#include "shell/Version.h"
#include "shell/WordNavBar.h"
#include "store/Registry.h"
#include "store/Utility.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

CQuibApp* theQuibApp = nullptr;

constexpr int kNotInstalledMessage = 9396;
constexpr int kStartupStopwatch = 2;

bool makeRegistryWithSettingsRoot()
{
    {
        CRegistry migration;
        MigrateOldSettings(migration);
    }
    theRegistry = std::make_unique<CRegistry>();
    if (!theRegistry->KeyExists(theSettingsRoot) && !theRegistry->CreateKey(theSettingsRoot))
        MessageBoxById(kNotInstalledMessage, 0);
    return theRegistry->KeyExists(theSettingsRoot);
}

// A signal handler may only write to a descriptor; the event loop reads the other end. Neither end
// blocks: a handler must never wait, and the reader takes what is there.
int theSignalPipe[2] = {-1, -1};
constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

void noteTerminationSignal(int /*signal*/)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(theSignalPipe[0], &byte, 1);
    errno = saved;
}

// True when a signal was noted since the last call.
bool takeNotedSignals()
{
    char bytes[16];
    bool noted = false;
    while (::read(theSignalPipe[1], bytes, sizeof bytes) > 0)
        noted = true;
    return noted;
}

void handleTerminationSignals(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kTerminationSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

CQuibApp::CQuibApp()
{
    theQuibApp = this;
}

CQuibApp::~CQuibApp()
{
    LeaveTerminationSignals();
    if (theQuibApp == this)
        theQuibApp = nullptr;
}

CQuibApp* QuibApp()
{
    return theQuibApp;
}

void CQuibApp::ParseCommandLine(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (lumivo::isCommandLineSwitch(argument, QStringLiteral("TRACE")))
            m_trace = true;
        else if (lumivo::isCommandLineSwitch(argument, QStringLiteral("Embedding")) ||
                 lumivo::isCommandLineSwitch(argument, QStringLiteral("Automation")))
            m_showSplash = false;
    }
}

bool CQuibApp::InitApplication()
{
    const QString path = lumivo::instanceLockPath(QCoreApplication::applicationName());
    auto lock = std::make_unique<QLockFile>(path);
    // A lock whose process has gone is stale at once, however young; a live one never is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_instanceLock = std::move(lock);
        return true;
    }
    // Only a lock that another copy holds refuses the start; a runtime folder that cannot hold a lock
    // must not keep the person from the program.
    return lock->error() != QLockFile::LockFailedError;
}

bool CQuibApp::InitInstance()
{
    SetTraceLogEnabled(m_trace);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    UpdateActiveFiles(CurrentUserFilesOf(theCurrentUser));
    m_mainFrame = std::make_unique<CMainFrame>();
    m_mainFrame->setAcceptDrops(true);
    m_mainFrame->SetWordNavBar(new CWordNavBar);
    WriteDebugLog(QStringLiteral("InitInstance Start"));
    theSettingsRoot = kSettingsRoot;
    if (!makeRegistryWithSettingsRoot()) {
        WriteDebugLog(QStringLiteral("InitInstance End"));
        CloseSplash(-1);
        return false;
    }
    lumivo::writeFreshInstallSettings(ProgramFolder(), QLocale::system().name());
    WriteDebugLog(QStringLiteral("InitInstance PreStartUp"));
    LoadSystemSettings();
    if (m_showSplash)
        ShowSplash(1000, QStringLiteral("Initialize..."), m_mainFrame.get());
    SetSplashStatus(QStringLiteral("Starting..."));
    StartStopwatch(kStartupStopwatch);
    WriteDebugLog(QStringLiteral("InitInstance StartUp"));
    InitSystem();
    WriteDebugLog(QStringLiteral("InitInstance UpdateSystem"));
    StopStopwatch(kStartupStopwatch);
    InitializeSystem(kReloadSystemSettings);
    WriteDebugLog(QStringLiteral("InitInstance UseDefaultUser"));
    UseDefaultUser();
    WriteDebugLog(QStringLiteral("InitInstance UpdateSystem"));
    InitializeSystem(kReloadEverything);
    SetSplashStatus(GetVersionText());
    CloseSplash(-1);
    m_mainFrame->show();
    m_mainFrame->update();
    // Over the window, not under the splash: a user file the program may not write, or one kept aside,
    // and without a sound device nothing the person touches is heard.
    TellUserFileNotes();
    CSoundDevice::TellIfNoOutput();
    return true;
}

bool CQuibApp::OnIdle(long /*count*/)
{
    // After the exit nothing may come back to life (a sound's wait runs this too).
    if (m_exited)
        return false;
    if (m_mainFrame)
        m_mainFrame->RunClientIdleTick();
    if (!theSpeechEngine) {
        theSpeechEngine = std::make_unique<CSpeechEngine>();
        theSpeechEngine->StartInit();
    }
    PreloadModulesOnceShown();
    if (m_mainFrame) {
        UpdateToolBarCommands();
        m_mainFrame->ArmIdleTimer();
    }
    return false;
}

void CQuibApp::PreloadModulesOnceShown()
{
    if (m_modulesPreloading || !m_mainFrame)
        return;
    // An exposed window has had its first paint: the expose event paints before the loop waits again.
    const QWindow* window = m_mainFrame->windowHandle();
    if (!window || !window->isExposed())
        return;
    m_modulesPreloading = true;
    lumivo::modules::preloadInBackground();
}

void CQuibApp::RunQueuedReload()
{
    if (!m_exited && theSystemInitFlags != 0 && !(theProgramMode & kProgramModeShuttingDown))
        InitializeSystem(0);
}

int CQuibApp::ExitInstance(int code)
{
    if (m_exited)
        return code;
    m_exited = true;
    if (EndingUnattended())
        SaveForUnattendedQuit();
    ExitSystem();
    ResetRegistryObject();
    return code;
}

void CQuibApp::RunIdlePassWhenMainLoopWaits()
{
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        // Only the main loop is idle: a message box or another local loop is the person's attention.
        if (m_inMainLoop && QThread::currentThread()->loopLevel() == 1) {
            RunQueuedReload();
            OnIdle(0);
        }
    });
}

void CQuibApp::EndOnTerminationSignals()
{
    if (m_handlesSignals)
        return;
    if (theSignalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, theSignalPipe) != 0)
        return;
    // A signal noted for an application that has gone is not this one's.
    takeNotedSignals();
    auto* notifier = new QSocketNotifier(theSignalPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        if (takeNotedSignals())
            EndUnattended();
    });
    handleTerminationSignals(noteTerminationSignal);
    m_handlesSignals = true;
}

void CQuibApp::LeaveTerminationSignals()
{
    if (!m_handlesSignals)
        return;
    handleTerminationSignals(SIG_DFL);
    m_handlesSignals = false;
}

void CQuibApp::EndUnattended()
{
    if (EndingUnattended())
        return;
    m_nobodyToAnswer = std::make_unique<lumivo::ui::ScopedNobodyToAnswer>(WriteDebugLogAndStderr);
    WriteDebugLog(QStringLiteral("A termination signal ends the program; nobody is there to answer"));
    // Not quit(): that closes the windows first, and their close asks. exit() ends every loop that
    // runs, the nested ones of a message box or a dialog too, whose question then gets its cancel
    // answer, and keeps the loops of the rest of start-up from waiting. With no loop running (start-up
    // between two of its loops), Run sees the end itself before the main loop.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

int CQuibApp::Run(const QStringList& arguments)
{
    // Before start-up's first question: a logout while a start-up message waits must end the program.
    EndOnTerminationSignals();
    const int code = RunProgram(arguments);
    LeaveTerminationSignals();
    return code;
}

int CQuibApp::RunProgram(const QStringList& arguments)
{
    if (!InitApplication())
        return 0;
    ParseCommandLine(arguments);
    if (!InitInstance())
        return ExitInstance(0);
    RunIdlePassWhenMainLoopWaits();
    // A signal during start-up has ended its loops already; the main loop would forget that it came.
    int code = 0;
    if (!EndingUnattended()) {
        m_inMainLoop = true;
        code = QCoreApplication::exec();
        m_inMainLoop = false;
    }
    return ExitInstance(code);
}

namespace lumivo
{

QString instanceLockPath(const QString& programName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + programName + QStringLiteral(".lock");
}

bool isCommandLineSwitch(const QString& argument, const QString& name)
{
    QString word = argument;
    if (word.startsWith(QLatin1Char('/')) || word.startsWith(QLatin1Char('-')))
        word.remove(0, 1);
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

std::uint32_t installLanguageForLocale(const QString& localeName)
{
    return QLocale(localeName).language() == QLocale::Danish ? kInstallLanguageDanish
                                                             : kInstallLanguageEnglish;
}

bool writeFreshInstallSettings(const QString& programFolder, const QString& localeName)
{
    if (!theRegistry || theRegistry->CountValues(theSettingsRoot) > 0)
        return false;
    return theRegistry->WriteDWord(theSettingsRoot, QStringLiteral("Install_language"),
                                   installLanguageForLocale(localeName)) &&
           theRegistry->WriteString(theSettingsRoot, QStringLiteral("Install_appname"),
                                    QStringLiteral("Lumivo")) &&
           theRegistry->WriteString(theSettingsRoot, QStringLiteral("Install_dir"), programFolder);
}

} // namespace lumivo
