#pragma once
// The program's one top-level window: the main client window in which the panes live, the toolbar, the
// word navigation bar and the status bar. The frame exists from start-up to exit; most tests run without
// one, and every caller asks MainFrame() first.
//
// It runs the idle timer (timer 50), which every idle pass of the application arms again
// and whose tick runs the client window's idle tick. The clip preview of the icon under the mouse steps
// on a timer of its own (panes/ClipPreview.h).

#include "platform/keyboard/LockKeys.h"
#include "platform/types/Hook.h"

#include <QBasicTimer>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <optional>

class CMainClientWnd;
class QAction;
class QLabel;
class QToolBar;

// The status bar's indicators, in order; each shows the system string of its id while its key's
// light is on.
constexpr int ID_INDICATOR_CAPS = 0xE701;
constexpr int ID_INDICATOR_NUM = 0xE702;
constexpr int ID_INDICATOR_SCRL = 0xE703;

class CMainFrame : public QMainWindow
{
public:
    // The smallest interval of the idle timer: a timer of 0 ms would keep the event loop from ever
    // waiting.
    static constexpr int kIdleTimerMs = 10;

    CMainFrame();
    ~CMainFrame() override;

    // The toolbar button of that command, or none.
    QAction* ToolButton(int commandId) const;
    // Appends a button for the command, its id in the action's data.
    QAction* AddToolButton(int commandId, const QString& text);
    QToolBar* ToolBar() const { return m_toolBar; }
    // The main client window (the central widget).
    QWidget* ClientWindow() const { return centralWidget(); }
    CMainClientWnd* ClientWnd() const;
    // Docks the word navigation bar at the top, left of the toolbar; the frame owns it from then on.
    void SetWordNavBar(QToolBar* bar);
    QToolBar* WordNavBar() const { return m_wordNavBar; }

    // ESC: the focus goes to the client window and the menu bar is shown or hidden.
    void OnEscapeKey();
    // Opens the help: a context request (`command` HELP_CONTEXT) passes its context number, any other
    // request opens the contents. Nothing without a help file.
    void WinHelp(unsigned data, unsigned command);

    // The status-bar prompt of a command: the command prompts of the system strings, else the
    // program's own string of that id; false when neither has one.
    static bool GetMessageString(int commandId, QString& text);

    void ArmIdleTimer();
    bool IdleTimerArmed() const { return m_idleTimer.isActive(); }
    // The client window's idle tick; the lock-key indicators are read again at most every
    // kIndicatorIntervalMs, while the status bar shows.
    void RunClientIdleTick();

    static constexpr std::uint32_t kIndicatorIntervalMs = 200;
    // Reads the lock keys' lights: an indicator shows its text while its light is on, and all three
    // are blank where the platform cannot tell.
    void UpdateKeyIndicators();
    QLabel* Indicator(int indicatorId) const;
    // The bars' texts in the language now in force: the toolbar's tips, the word navigation bar's title
    // and buttons, the indicators' room. The reload sequence's menu step calls it.
    void UpdateBarTexts();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // A close asks first about an output file with unsaved changes; Cancel keeps the program running.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void CreateIndicators();
    void AddHelpKey();

    QToolBar* m_toolBar;
    QToolBar* m_wordNavBar = nullptr;
    std::array<QLabel*, 3> m_indicators{};
    std::optional<std::uint32_t> m_indicatorsReadAt;
    QBasicTimer m_idleTimer;
};

// The main frame, or none. Made and owned by the application; it registers itself here while it lives.
CMainFrame* MainFrame();

// Where the indicators learn the lock keys' lights: the window system by default.
extern lumivo::Hook<std::optional<lumivo::keyboard::LockKeys>()> theLockKeysHook;
void ResetMainFrame();
