#pragma once
// The program's one top-level window: the main client window in which the panes live, the toolbar, the
// word navigation bar and the status bar. The frame exists from start-up to exit; most tests run without
// one, and every caller asks MainFrame() first.

#include <QMainWindow>

class QAction;
class QToolBar;

class CMainFrame : public QMainWindow
{
public:
    CMainFrame();
    ~CMainFrame() override;

    // The toolbar button of that command, or none.
    QAction* ToolButton(int commandId) const;
    // Appends a button for the command, its id in the action's data.
    QAction* AddToolButton(int commandId, const QString& text);
    QToolBar* ToolBar() const { return m_toolBar; }
    // The main client window (the central widget), or none before it is made.
    QWidget* ClientWindow() const { return centralWidget(); }

private:
    QToolBar* m_toolBar;
};

// The main frame, or none. Made and owned by the application; it registers itself here while it lives.
CMainFrame* MainFrame();
