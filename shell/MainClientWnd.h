#pragma once
// The main client window: the one real window inside the main frame, in which the seven panes lie as
// rectangles. It paints them through a back buffer, hands keys to the focus pane and mouse events to
// the pane under the point and then to the focus pane, derives clicks, click pairs, drags and long
// presses from the shared mouse state (panes/MouseState.h), makes real scroll bars of the panes' bar
// data, accepts a dragged icon, and runs the idle tick (long press, automatic save of the user file,
// status-text expiry, hover).

#include "panes/Pane.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <map>
#include <optional>

class QScrollBar;

class CMainClientWnd : public QWidget, public CPaneOwner
{
public:
    // Makes every pane but the blank one owned by this window, until it goes: through it the panes run
    // the commands, the icon wizard, the background editor and the clipboard's copy source.
    explicit CMainClientWnd(QWidget* parent = nullptr);
    ~CMainClientWnd() override;
    CMainClientWnd(const CMainClientWnd&) = delete;
    CMainClientWnd& operator=(const CMainClientWnd&) = delete;

    // CPaneOwner.
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& rect, bool erase) override;
    void ResetMouseTracking() override;
    void BeginWaitCursorOnce() override;
    CRect GetClientRect() const override { return fromQRect(rect()); }
    bool PaneCommand(int commandId, bool testOnly) override;
    void RunIconWizard(CQuibIcon* icon, int action, CPane* pane, int x, int y) override;
    void EditBackground(CQuibBg* page) override;
    void SetCopySentence(CQuibSentence* sentence) override;
    void ClearCopySource() override;
    void MainPaneShowedPage(CQuibBg* page) override;

    // Run by the application's idle pass and by the main frame's idle timer.
    void OnIdleTick();
    // A buffer of the client area's size; the old one goes.
    void CreateBackBuffer();
    const QImage& BackBuffer() const { return m_backBuffer; }
    // The real bar made of a pane's bar data, or none while that bar was never shown.
    QScrollBar* ScrollBarOf(const PaneScrollBar& bar) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onLeftButtonDown(CPoint point, unsigned flags);
    void onRightButtonDown(CPoint point, unsigned flags);
    void onLeftButtonUp(CPoint point, unsigned flags);
    void onMouseMove(CPoint point, unsigned flags);
    void pairClick();
    void checkLongPress(std::uint32_t now);
    void saveUserFileWhenDue(std::uint32_t now);
    void expireStatusText(std::uint32_t now);
    void hover();
    void endWaitCursor();
    void toggleMenuBar();

    void paintPanes(const QRegion& region);
    void syncScrollBars();
    void syncScrollBar(CPane& pane, PaneScrollBar& bar, Qt::Orientation orientation);

    QImage m_backBuffer;
    std::map<const PaneScrollBar*, QScrollBar*> m_scrollBars; // children of this window
    bool m_painting = false;
    bool m_waitCursorShown = false;
    int m_cursorBeforeWait = 0;
    // The tick of an automatic save that failed: the next try waits a whole interval after it.
    std::optional<std::uint32_t> m_failedSaveTick;
};
