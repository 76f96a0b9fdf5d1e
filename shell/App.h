#pragma once
// The application: refuses a second copy of the program, runs the start-up that brings up the main
// frame, the settings, the system module, the data files and the start-up user, drives the idle work
// and takes the system module down at exit.
//
// Qt has no idle message: an idle pass runs each time the main event loop is about to wait for events,
// and arms the frame's idle timer, whose tick makes the loop run again (the idle ticks of the client
// window run about every 10 ms while the program runs, as the window system's smallest timer gives).

#include <QLockFile>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class CMainFrame;

namespace lumivo::ui
{
class ScopedNobodyToAnswer;
}

// Lives beside the QApplication that main() makes, so the same object runs the program and the tests.
class CQuibApp : public QObject
{
public:
    CQuibApp();
    ~CQuibApp() override;

    // Whether another copy of this program runs for this person (its lock is held); takes the lock
    // otherwise. A lock left by a copy that ended without letting go is taken over.
    bool InitApplication();
    // The start-up sequence; true when the program runs, false when it must end.
    bool InitInstance();
    // One idle pass: the client window's idle tick, the speech engine made when there is none, the
    // media modules loaded in the background once the window shows, the toolbar's update pass and the
    // frame's idle timer armed again. Always false.
    bool OnIdle(long count);
    // Runs the reload steps that something left pending (closing the output file queues every step),
    // rather than leaving them for whatever reload comes next. Only the main loop's idle runs it: while
    // a sound is waited for, the icon that plays it is still at work, and a reload would empty its page.
    void RunQueuedReload();
    // Once, after the event loop ends: the system module's exit; the registry object goes. The result
    // is the program's exit code. When the end came from a termination signal, what the exit command
    // saves after Yes is saved first, without a question (SaveForUnattendedQuit).
    int ExitInstance(int code);

    // InitApplication, InitInstance, the event loop and ExitInstance: the program's exit code. The
    // termination signals are the program's own from its first step to its last (EndOnTerminationSignals);
    // one that came before the event loop ends the program without it.
    int Run(const QStringList& arguments);

    // SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C) end the program through EndUnattended once
    // control is in an event loop: the main loop, start-up's, a message box's or a dialog's. Until the
    // exit is done; then a signal ends the program at once, as any other. Put back when the application
    // goes.
    void EndOnTerminationSignals();
    // The end that a termination signal asks for. From now on nobody is there to answer: no question
    // waits for a person (each is written to the trace and standard error instead), every event loop
    // ends, and the exit saves without asking. A second signal while that saving is at work is ignored,
    // so that the writes finish (each is atomic anyway: a kill leaves the old file or the new one).
    void EndUnattended();
    bool EndingUnattended() const { return m_nobodyToAnswer != nullptr; }

    CMainFrame* Frame() const { return m_mainFrame.get(); }

    bool TraceEnabled() const { return m_trace; }
    bool ShowSplashAtStart() const { return m_showSplash; }
    // Reads the command line: "TRACE" turns the trace log on; "Embedding" and "Automation" start
    // without the splash window. A leading "/" or "-" is allowed, case does not matter.
    void ParseCommandLine(const QStringList& arguments);

private:
    // Run's steps, while the program handles the termination signals.
    int RunProgram(const QStringList& arguments);
    void RunIdlePassWhenMainLoopWaits();
    void LeaveTerminationSignals();
    // After the first paint, not before: their loading would compete with the start page.
    void PreloadModulesOnceShown();

    bool m_trace = false;
    bool m_showSplash = true;
    bool m_inMainLoop = false;
    bool m_exited = false;
    bool m_modulesPreloading = false;
    bool m_handlesSignals = false;
    std::unique_ptr<lumivo::ui::ScopedNobodyToAnswer> m_nobodyToAnswer;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

// The running application, or none (tests).
CQuibApp* QuibApp();

namespace lumivo
{

// The name of the single-instance lock: one per program name, in the person's runtime folder.
QString instanceLockPath(const QString& programName);
// A command-line word without a leading "/" or "-" when it equals `name` regardless of case.
bool isCommandLineSwitch(const QString& argument, const QString& name);

// The install language a fresh installation gets: Danish (10002) under a Danish locale, English
// (10009, UK) otherwise.
constexpr std::uint32_t kInstallLanguageDanish = 10002;
constexpr std::uint32_t kInstallLanguageEnglish = 10009;
std::uint32_t installLanguageForLocale(const QString& localeName);
// When the settings root holds no value at all (the first start on this machine), writes what an
// installer writes there: the install language, the program's name and its folder as the base
// folder. True when the settings were fresh and have been written.
bool writeFreshInstallSettings(const QString& programFolder, const QString& localeName);

} // namespace lumivo
