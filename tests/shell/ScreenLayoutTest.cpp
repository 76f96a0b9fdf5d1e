// Frame sizes and frame-size modes, the pane layouts of each mode, which panes can be edited, and the
// screen mode applied to the main frame.

#include "shell/ScreenLayout.h"
#include "core/FrameSizes.h"
#include "core/User.h"
#include "panes/Panes.h"
#include "shell/MainFrame.h"
#include "shell/ShellWiring.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

using namespace lumivo;

namespace
{

class ScreenLayoutTest : public test::LumivoTest
{
protected:
    // A main frame with its client window, as the window steps need it.
    void makeMainFrame()
    {
        m_frame = std::make_unique<CMainFrame>();
        m_frame->setCentralWidget(new QWidget);
    }
    void TearDown() override
    {
        m_frame.reset();
        LumivoTest::TearDown();
    }

    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(ScreenLayoutTest, StandardFramesAndTheirModes)
{
    makeMainFrame();
    struct Case {
        CSize screen;
        CRect frame;
        int mode;
    };
    for (const Case& c : {Case{{1280, 1024}, CRect(CPoint(60, 73), CSize(1160, 878)), 4},
                          Case{{1600, 1200}, CRect(CPoint(196, 84), CSize(1208, 1032)), 5},
                          Case{{1920, 1280}, CRect(CPoint(156, 36), CSize(1608, 1208)), 6},
                          Case{{640, 480}, CRect(-4, -4, 644, 484), 1}}) {
        const auto screen = theScreenSizeHook.scoped([&] { return c.screen; });
        CRect rect;
        EXPECT_EQ(GetNearestFrameSize(rect), c.mode) << c.screen.cx;
        EXPECT_EQ(rect, c.frame) << c.screen.cx;
    }
    // A rectangle given keeps its place; its size alone chooses the mode.
    CRect given(10, 10, 10 + 911, 10 + 2000);
    EXPECT_EQ(GetNearestFrameSize(given), 2);
    EXPECT_EQ(given, CRect(10, 10, 921, 2010));
    EXPECT_EQ(frameSizeModeOf(720, 539), 1);
    EXPECT_EQ(frameSizeModeOf(720, 540), 2);
    EXPECT_EQ(frameSizeModeOf(719, 2000), 1);
    EXPECT_EQ(frameSizeModeOf(912, 684), 3);

    // Without the client window there is no mode yet, but an empty rectangle is still filled.
    m_frame->setCentralWidget(nullptr);
    const auto screen = theScreenSizeHook.scoped([] { return CSize(1280, 1024); });
    CRect empty;
    EXPECT_EQ(GetNearestFrameSize(empty), 0);
    EXPECT_EQ(empty.Size(), CSize(1160, 878));
    EXPECT_EQ(DefaultWindowRect(), empty) << "the shell's wiring gives the users' code the standard frame";
    UnwireShell();
    EXPECT_EQ(DefaultWindowRect(), CRect()) << "and none once it is unwired";
    WireShell();
}

TEST_F(ScreenLayoutTest, EachLayoutPlacesThePanesInTheClientArea)
{
    // Mode 2: the writer band is at most 120 high; below that the page and the band share the room.
    layOutPanes(2, CRect(0, 0, 800, 560));
    EXPECT_EQ(theWriterPane.PaneRect, CRect(0, 440, 800, 560));
    EXPECT_EQ(theNavigatorPane.PaneRect, CRect(0, 0, 152, 130));
    EXPECT_EQ(theWordPane.PaneRect, CRect(0, 130, 152, 440));
    EXPECT_EQ(theMainPane.PaneRect, CRect(152, 0, 800, 440));
    EXPECT_EQ(theWriterPane.BorderSides, kPaneEdgeTop);
    EXPECT_EQ(theNavigatorPane.BorderSides, kPaneEdgeRight);
    EXPECT_EQ(theWordPane.BorderSides, kPaneEdgeTop | kPaneEdgeRight);
    layOutPanes(2, CRect(0, 0, 800, 520));
    EXPECT_EQ(theWriterPane.PaneRect.top, 428);
    layOutPanes(2, CRect(0, 0, 800, 530));
    EXPECT_EQ(theWriterPane.PaneRect.top, 427) << "the whole page fits";
    layOutPanes(2, CRect(0, 0, 800, 500));
    EXPECT_EQ(theWriterPane.PaneRect.top, 410) << "the band keeps 90";
    EXPECT_EQ(theVisiblePanes.size(), 4u);
    EXPECT_FALSE(theInfoPane.IsVisible());
    EXPECT_FALSE(theBlankPane.IsVisible());

    // Mode 1.
    layOutPanes(1, CRect(0, 0, 640, 440));
    EXPECT_EQ(theWriterPane.PaneRect, CRect(0, 342, 640, 440));
    EXPECT_EQ(theNavigatorPane.PaneRect, CRect(0, 0, 96, 101));
    EXPECT_EQ(theMainPane.PaneRect, CRect(96, 0, 640, 342));
    layOutPanes(1, CRect(0, 0, 640, 400));
    EXPECT_EQ(theWriterPane.PaneRect.top, 339);
    layOutPanes(1, CRect(0, 0, 640, 410));
    EXPECT_EQ(theWriterPane.PaneRect.top, 345) << "page and band share: 342 - (342 + 61 - 410) / 2";

    // Modes 3 to 6 share the large layout with the mode-3 page.
    layOutPanes(6, CRect(0, 0, 1600, 1100));
    EXPECT_EQ(theWriterPane.PaneRect, CRect(0, 960, 1600, 1100));
    EXPECT_EQ(theWordPane.PaneRect, CRect(0, 128, 170, 960));
    EXPECT_EQ(theMainPane.PaneRect, CRect(170, 0, 1600, 960));
    layOutPanes(3, CRect(0, 0, 900, 690));
    EXPECT_EQ(theWriterPane.PaneRect.top, 570);

    // Any other mode: the blank pane alone.
    layOutPanes(0, CRect(0, 0, 700, 500));
    EXPECT_EQ(theVisiblePanes, std::vector<CPane*>{&theBlankPane});
    EXPECT_EQ(theBlankPane.PaneRect, CRect(0, 0, 700, 500));
    EXPECT_EQ(theBlankPane.BgColor, 0xE6E6E6u);
}

TEST_F(ScreenLayoutTest, EditBitsDecideWhichPanesCanBeEdited)
{
    const auto editability = [](const CPane& pane) { return pane.PaneFlags & 0xF; };
    theNavigatorPane.BorderSides = kPaneEdgeRight | kPaneBandSides;
    markEditablePanes(kProgramModeEdit);
    EXPECT_EQ(editability(theMainPane), 2);
    EXPECT_EQ(editability(theWordPane), 2);
    EXPECT_EQ(editability(theNavigatorPane), 1);
    EXPECT_EQ(editability(theWriterPane), 1);
    EXPECT_EQ(theNavigatorPane.BorderSides, kPaneEdgeRight);

    // Reduced edit mode changes the main and word panes only.
    markEditablePanes(kProgramModeReducedEdit);
    EXPECT_EQ(editability(theMainPane), 2);
    EXPECT_EQ(editability(theWordPane), 1);
    markEditablePanes(0);
    EXPECT_EQ(editability(theMainPane), 1);
    EXPECT_FALSE(theMainPane.IsEditable());
}

TEST_F(ScreenLayoutTest, TheLayoutFollowsTheFrameAndIsStoredWithTheUser)
{
    makeMainFrame();
    CQuibUser user;
    user.WindowRect = CRect(0, 0, 10, 10);
    theCurrentUser = &user;
    m_frame->show();
    setMainFrameRect(CRect(0, 0, 1160, 878));

    CalcScreenLayout();
    EXPECT_EQ(theFrameSizeMode, 4);
    const QWidget* client = m_frame->ClientWindow();
    EXPECT_EQ(theMainPane.PaneRect.right, client->width());
    EXPECT_EQ(theWriterPane.PaneRect.bottom, client->height());
    EXPECT_EQ(theMainPane.ScrollFlags, kPaneWantsHorizontalBar | kPaneWantsVerticalBar);
    EXPECT_TRUE(theMainPane.PaneFlags & kPaneFlagCentred);
    EXPECT_EQ(user.WindowRect, CRect(0, 0, 1160, 878));
    theCurrentUser = nullptr;
}

TEST_F(ScreenLayoutTest, ScreenModeShowsTheBarsAndSwitchesFullScreen)
{
    makeMainFrame();
    m_frame->show();
    theScreenMode = SCREENMODE_FULLSCREEN | SCREENMODE_STATUSBAR;
    UpdateScreenMode();
    EXPECT_TRUE(m_frame->isFullScreen());
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
    EXPECT_FALSE(m_frame->ToolBar()->isVisible());

    theScreenMode = SCREENMODE_TOOLBARS;
    UpdateScreenMode();
    EXPECT_FALSE(m_frame->isFullScreen());
    EXPECT_FALSE(m_frame->isMaximized());
    EXPECT_EQ(mainFrameRect(), CRect(0, 0, 800, 600));
    EXPECT_FALSE(m_frame->statusBar()->isVisible());
    EXPECT_TRUE(m_frame->ToolBar()->isVisible());
}

} // namespace
