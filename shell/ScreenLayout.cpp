#include "shell/ScreenLayout.h"

#include "core/FrameSizes.h"
#include "core/User.h"
#include "panes/Panes.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "system/SystemSettings.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

namespace
{

CSize primaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {640, 480};
    return {screen->size().width(), screen->size().height()};
}

// The standard frame sizes, largest first, with the screen each needs (strictly larger on both axes).
struct StandardFrame {
    CSize screenAbove;
    CSize size;
};
constexpr std::array<StandardFrame, 5> kStandardFrames{{{{1600, 1200}, {1600, 1200}},
                                                        {{1200, 1024}, {1200, 1024}},
                                                        {{1152, 870}, {1152, 870}},
                                                        {{1024, 768}, {1024, 768}},
                                                        {{800, 600}, {800, 600}}}};
constexpr CSize kSmallestStandardFrame{640, 480};
// What the frame adds on every side around the standard size.
constexpr int kFrameOutset = 4;

CSize standardFrameSize(CSize screen)
{
    for (const StandardFrame& frame : kStandardFrames) {
        if (screen.cx > frame.screenAbove.cx && screen.cy > frame.screenAbove.cy)
            return frame.size;
    }
    if (screen.cx <= kSmallestStandardFrame.cx || screen.cy <= kSmallestStandardFrame.cy)
        return screen;
    return kSmallestStandardFrame;
}

// The smallest frame of each mode, largest mode first.
struct ModeThreshold {
    std::uint16_t mode;
    int minWidth;
    int minHeight;
};
constexpr std::array<ModeThreshold, 4> kLargeModes{
    {{6, 1400, 1112}, {5, 1176, 947}, {4, 1088, 819}, {3, 912, 684}}};
constexpr int kMode2MinWidth = 720;
constexpr int kMode2MinHeight = 540;

// How a layout divides the client area: the page size its writer-pane rule works with, the navigator's
// size, and the heights of the writer band that decide where the main pane ends.
struct PaneLayout {
    int pageMode;        // whose page height PH is
    CSize navigator;     // N x NH
    int largestBand;     // the writer pane is at most this high; 0: no limit
    int roomBeforeSplit; // the page fits whole when the client is this much higher
    int smallestBand;    // the writer pane is at least this high
};
constexpr PaneLayout kLayout1{1, {96, 101}, 0, 80, 61};
constexpr PaneLayout kLayout2{2, {152, 130}, 120, 96, 90};
constexpr PaneLayout kLargeLayout{3, {170, 128}, 140, 116, 116};
constexpr COLORREF kBlankPaneColor = 0xE6E6E6;

// The top of the writer pane: below the whole page where it fits, else the band and the page share
// what is missing.
int writerTop(const PaneLayout& layout, const CRect& client)
{
    const int pageHeight = GetFrameSizePageSize(layout.pageMode).cy;
    const int height = client.Height();
    if (layout.largestBand > 0 && height - pageHeight > layout.largestBand)
        return client.bottom - layout.largestBand;
    if (pageHeight < height - layout.roomBeforeSplit)
        return client.top + pageHeight;
    if (height - pageHeight < layout.smallestBand)
        return client.bottom - layout.smallestBand;
    return client.top + pageHeight - (pageHeight + layout.smallestBand - height) / 2;
}

void place(CPane& pane, const CRect& rect, std::uint16_t borderSides)
{
    pane.SetVisible(true);
    pane.PaneRect = rect;
    pane.BorderSides = borderSides;
}

void layOutWithWriter(const PaneLayout& layout, const CRect& client)
{
    theBlankPane.SetVisible(false);
    theInfoPane.SetVisible(false);
    const int top = writerTop(layout, client);
    place(theWriterPane, CRect(client.left, top, client.right, client.bottom), kPaneEdgeTop);
    const CSize navigator = layout.navigator;
    place(theNavigatorPane, CRect(0, 0, navigator.cx, navigator.cy), kPaneEdgeRight);
    place(theWordPane, CRect(0, navigator.cy, navigator.cx, top), kPaneEdgeTop | kPaneEdgeRight);
    theMainPane.SetVisible(true);
    theMainPane.PaneRect = CRect(navigator.cx, 0, client.right, top);
}

void layOutBlank(const CRect& client)
{
    for (CPane* pane : {static_cast<CPane*>(&theWriterPane), &theNavigatorPane, &theWordPane,
                        static_cast<CPane*>(&theMainPane), static_cast<CPane*>(&theInfoPane)})
        pane->SetVisible(false);
    place(theBlankPane, client, 0);
    theBlankPane.BgColor = kBlankPaneColor;
}

constexpr std::uint16_t kPaneEditabilityMask = 0xF;
constexpr std::uint16_t kPaneNotEditable = 1;

void setEditability(CPane& pane, std::uint16_t editability)
{
    pane.BorderSides &= static_cast<std::uint16_t>(~kPaneBandSides);
    pane.PaneFlags = static_cast<std::uint16_t>((pane.PaneFlags & ~kPaneEditabilityMask) | editability);
}

CRect clientRectOf(const QWidget& window)
{
    return CRect(0, 0, window.width(), window.height());
}

} // namespace

lumivo::Hook<CSize()> theScreenSizeHook{primaryScreenSize};

namespace lumivo
{

CRect standardFrameRect(CSize screen)
{
    CRect rect(CPoint(0, 0), standardFrameSize(screen));
    rect.InflateRect(kFrameOutset, kFrameOutset);
    const CSize size = rect.Size();
    return CRect(CPoint((screen.cx - size.cx) / 2, (screen.cy - size.cy) / 2), size);
}

std::uint16_t frameSizeModeOf(int width, int height)
{
    for (const ModeThreshold& threshold : kLargeModes) {
        if (width >= threshold.minWidth && height >= threshold.minHeight)
            return threshold.mode;
    }
    if (width < kMode2MinWidth)
        return 1;
    return height >= kMode2MinHeight ? 2 : 1;
}

void layOutPanes(int mode, const CRect& client)
{
    if (mode == 1)
        layOutWithWriter(kLayout1, client);
    else if (mode == 2)
        layOutWithWriter(kLayout2, client);
    else if (mode >= 3 && mode <= kLastFrameSizeMode)
        layOutWithWriter(kLargeLayout, client);
    else
        layOutBlank(client);
}

void markEditablePanes(std::uint16_t programMode)
{
    std::vector<std::pair<CPane*, std::uint16_t>> editability;
    if (programMode & kProgramModeEdit)
        editability = {{&theMainPane, kPaneFlagEditable},
                       {&theWordPane, kPaneFlagEditable},
                       {&theNavigatorPane, kPaneNotEditable},
                       {&theWriterPane, kPaneNotEditable}};
    else if (programMode & kProgramModeReducedEdit)
        editability = {{&theMainPane, kPaneFlagEditable}, {&theWordPane, kPaneNotEditable}};
    else
        editability = {{&theMainPane, kPaneNotEditable},
                       {&theWordPane, kPaneNotEditable},
                       {&theNavigatorPane, kPaneNotEditable},
                       {&theWriterPane, kPaneNotEditable}};
    for (const auto& [pane, value] : editability)
        setEditability(*pane, value);
}

void setMainFrameRect(const CRect& rect)
{
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    const QRect outer = frame->frameGeometry();
    const QRect inner = frame->geometry();
    const int left = inner.left() - outer.left();
    const int top = inner.top() - outer.top();
    const int horizontal = outer.width() - inner.width();
    const int vertical = outer.height() - inner.height();
    frame->setGeometry(rect.left + left, rect.top + top, rect.Width() - horizontal, rect.Height() - vertical);
}

CRect mainFrameRect()
{
    const CMainFrame* frame = MainFrame();
    if (!frame)
        return {};
    const QRect outer = frame->frameGeometry();
    return CRect(CPoint(outer.x(), outer.y()), CSize(outer.width(), outer.height()));
}

MainWindowState mainWindowState()
{
    const CMainFrame* frame = MainFrame();
    MainWindowState state;
    state.exists = frame && frame->ClientWindow();
    state.visible = state.exists && frame->isVisible();
    state.rect = mainFrameRect();
    return state;
}

} // namespace lumivo

void UpdateScreenMode()
{
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    const Qt::WindowStates state = frame->windowState();
    if (theMainMenu)
        theMainMenu->setVisible((theScreenMode & SCREENMODE_MENUBAR) != 0);
    frame->statusBar()->setVisible((theScreenMode & SCREENMODE_STATUSBAR) != 0);
    frame->ToolBar()->setVisible((theScreenMode & SCREENMODE_TOOLBARS) != 0);
    if (QToolBar* wordNavBar = frame->WordNavBar())
        wordNavBar->setVisible((theScreenMode & SCREENMODE_TOOLBARS) != 0);
    const Qt::WindowStates notNormal = Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
    if (!(theScreenMode & SCREENMODE_FULLSCREEN)) {
        if (state & notNormal) {
            frame->setWindowState(state & ~notNormal);
            lumivo::setMainFrameRect(CRect(0, 0, 800, 600));
        }
    } else if (!(state & Qt::WindowFullScreen)) {
        frame->showFullScreen();
    }
}

std::uint16_t GetNearestFrameSize(CRect& rect)
{
    if (rect.IsRectEmpty())
        rect = lumivo::standardFrameRect(theScreenSizeHook());
    const CMainFrame* frame = MainFrame();
    if (!frame || !frame->ClientWindow())
        return 0;
    return lumivo::frameSizeModeOf(rect.Width(), rect.Height());
}

void CalcScreenLayout()
{
    if (const CMainFrame* frame = MainFrame(); frame && frame->ClientWindow()) {
        CRect frameRect = lumivo::mainFrameRect();
        theFrameSizeMode = GetNearestFrameSize(frameRect);
        lumivo::layOutPanes(theFrameSizeMode, clientRectOf(*frame->ClientWindow()));
        StoreWindowRect(lumivo::mainWindowState());
    }
    theMainPane.ScrollFlags |= kPaneWantsHorizontalBar | kPaneWantsVerticalBar;
    theMainPane.PaneFlags |= kPaneFlagCentred;
    lumivo::markEditablePanes(theProgramMode);
    CPane::RefreshVisiblePanes(kRefreshEditableOnly);
}

void ResetScreenLayout()
{
    theScreenSizeHook.reset();
}
