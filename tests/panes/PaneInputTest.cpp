// Pane input: the browse tool's click pairs, the select tool's Shift, the rubber band, deleting, the
// drawing tools, the context menu's text size and alignment, and the drop of a dragged icon.

#include "panes/PaneInput.h"
#include "core/IconDrag.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/IconShapes.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "platform/types/Clock.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"

#include <QInputDialog>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <cstring>
#include <memory>

using namespace lumivo::test;

namespace
{

class RecordingOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
};

constexpr std::int32_t kLinkedPage = 77;

} // namespace

class PaneInputTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theMainPane.SetOwnerWnd(&m_owner);
        theMainPane.PaneRect = CRect(0, 0, 600, 400);
        theMainPane.PaneFlags = kPaneFlagEditable;
        theMainPane.SetVisible(true);
        auto shown = std::make_unique<CQuibBg>();
        ASSERT_EQ(shown->Create(), RES_OK); // a record, so that a change can be committed
        ASSERT_EQ(theMainPane.AdoptPage(std::move(shown)), nullptr);
        theMainPane.PageRect = theMainPane.PaneRect; // the page origin is the client origin
        QObject::connect(&thePageEvents, &CPageEvents::linkRequested, &m_linkReceiver,
                         [this](std::int32_t id) { m_linksFollowed.push_back(id); });
    }

    CQuibBg& page() { return *theMainPane.GetPage(); }

    CQuibIcon& addIcon(const CRect& rect, std::unique_ptr<CQuibIcon> icon = std::make_unique<CQuibIcon>())
    {
        icon->ScreenRect = rect;
        icon->WordId = 5;
        icon->LinkId = kLinkedPage;
        page().Icons.push_back(std::move(icon));
        return *page().Icons.back();
    }

    // A press and release at one point, routed as the client window routes them: a release the pane
    // does not consume becomes the click that the next one pairs with.
    void clickAt(int x, int y)
    {
        const std::uint32_t now = lumivo::clock::tickCount();
        theMouseState.down = {CPoint(x, y), MK_LBUTTON, now};
        theMouseState.up = {CPoint(x, y), 0, now};
        if (!theMainPane.OnLButtonUp(0, x, y, now))
            theMouseState.click = theMouseState.up;
    }

    // An editing drag from one point to another, as the client window runs it.
    void dragFromTo(CPoint from, CPoint to, unsigned flags = 0)
    {
        theMouseState.down = {from, flags | MK_LBUTTON, lumivo::clock::tickCount()};
        theMouseState.move = {to, flags | MK_LBUTTON, lumivo::clock::tickCount()};
        ASSERT_TRUE(theMainPane.OnBeginDrag(flags, from.x, from.y, 0));
        theMainPane.OnDrag(flags, to.x, to.y, 0);
        theMainPane.OnEndDrag(flags, to.x, to.y, 0);
    }

    // Opens the context menu on the point and chooses the item.
    void chooseFromMenu(CPoint point, int item)
    {
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply(item);
        EXPECT_TRUE(theMainPane.OnRButtonDown(0, point.x, point.y, 0));
    }

    RecordingOwner m_owner;
    lumivo::clock::TestClock m_clock{50000};
    std::vector<std::int32_t> m_linksFollowed;
    QObject m_linkReceiver;
};

TEST_F(PaneInputTest, ASecondClickFollowsTheLinkOnlyWhenSoonAndNearTheFirstOnTheIcon)
{
    addIcon(CRect(100, 100, 300, 300));
    const auto followsAfter = [&](CPoint first, std::uint32_t gapMs, CPoint second, bool longPressBetween) {
        m_linksFollowed.clear();
        theMouseState = ClientMouseState{};
        clickAt(first.x, first.y);
        if (longPressBetween) {
            theHoverIcon = theMainPane.IconAt(second.x, second.y);
            theMainPane.OnLongMouseDown();
        }
        m_clock.advance(gapMs);
        clickAt(second.x, second.y);
        m_clock.advance(100000);
        return !m_linksFollowed.empty();
    };
    EXPECT_TRUE(followsAfter({150, 150}, 7999, {199, 150}, false));
    EXPECT_TRUE(followsAfter({150, 150}, 10, {150, 199}, false));
    EXPECT_FALSE(followsAfter({150, 150}, 8000, {150, 150}, false));
    EXPECT_FALSE(followsAfter({150, 150}, 10, {200, 150}, false));
    EXPECT_FALSE(followsAfter({150, 150}, 10, {150, 200}, false));
    EXPECT_FALSE(followsAfter({90, 150}, 10, {110, 150}, false)) << "the first click was off the icon";
    EXPECT_FALSE(followsAfter({150, 150}, 10, {150, 150}, true)) << "a long press between";
}

TEST_F(PaneInputTest, ShiftTogglesIconsInTheSelectToolAndAPlainClickSelectsOnlyOne)
{
    theEditTool = kEditToolSelect;
    CQuibIcon& first = addIcon(CRect(10, 10, 50, 50));
    CQuibIcon& second = addIcon(CRect(100, 10, 150, 50));
    EXPECT_TRUE(theMainPane.OnClick(0, 20, 20, 0));
    EXPECT_TRUE(theMainPane.OnClick(MK_SHIFT, 120, 20, 0));
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&first, &second}));
    EXPECT_TRUE(second.Flags & kIconHandles);

    theMainPane.OnClick(MK_SHIFT, 20, 20, 0);
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&second}));
    EXPECT_FALSE(first.Flags & kIconSelected);

    theMainPane.OnClick(MK_SHIFT, 300, 300, 0); // Shift beside the icons keeps the selection
    EXPECT_EQ(theSelectedIcons.size(), 1u);
    theMainPane.OnClick(0, 20, 20, 0);
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&first}));
    theMainPane.OnClick(0, 300, 300, 0);
    EXPECT_TRUE(theSelectedIcons.empty());

    // Of two icons on top of each other the one in front (drawn last) is clicked.
    CQuibIcon& front = addIcon(CRect(30, 30, 70, 70));
    theMainPane.OnClick(0, 40, 40, 0);
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&front}));
    theMainPane.OnClick(0, 300, 300, 0);

    // A pane that cannot be edited takes no clicks of the select tool.
    theMainPane.PaneFlags |= kPaneFlagLocked;
    EXPECT_FALSE(theMainPane.OnClick(0, 20, 20, 0));
    EXPECT_TRUE(theSelectedIcons.empty());
}

TEST_F(PaneInputTest, TheRubberBandIsClippedToThePaneAndSelectsOnlyTheIconsSeenInside)
{
    theEditTool = kEditToolSelect;
    CQuibIcon& inside = addIcon(CRect(500, 300, 540, 340));
    CQuibIcon& hidden = addIcon(CRect(520, 320, 560, 360));
    hidden.Flags &= ~kIconVisible;
    CQuibIcon& outside = addIcon(CRect(10, 10, 50, 50));
    outside.Select();

    dragFromTo(CPoint(450, 250), CPoint(900, 700));
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&inside}));
    EXPECT_EQ(theMainPane.PaneFlags & kPaneDragMask, 0);

    // With Shift the band adds to the selection; the band itself stayed inside the pane.
    theMouseState.down = {CPoint(5, 5), MK_LBUTTON, 0};
    theMouseState.move = {CPoint(-50, -50), MK_LBUTTON, 0};
    ASSERT_TRUE(theMainPane.OnBeginDrag(MK_SHIFT, 5, 5, 0));
    theMainPane.OnDrag(MK_SHIFT, 60, -50, 0);
    EXPECT_EQ(CPane::theRubberBand, CRect(5, 0, 60, 5));
    theMainPane.OnDrag(MK_SHIFT, 60, 60, 0);
    theMainPane.OnEndDrag(MK_SHIFT, 60, 60, 0);
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&inside, &outside}));
}

TEST_F(PaneInputTest, DeletingRemovesOnlyIconsOfEditablePanesAndLeavesNoPointerBehind)
{
    theEditTool = kEditToolSelect;
    CQuibIcon& doomed = addIcon(CRect(10, 10, 50, 50));
    doomed.Select();
    theHoverIcon = &doomed;
    EXPECT_TRUE(theMainPane.DeleteSelectedIcons(true));

    // Delete on a locked pane leaves the icon in place and empties the selection.
    theMainPane.PaneFlags |= kPaneFlagLocked;
    theMainPane.OnKeyDown(46, 0);
    EXPECT_EQ(page().Icons.size(), 1u);
    EXPECT_TRUE(theSelectedIcons.empty());

    theMainPane.PaneFlags &= ~kPaneFlagLocked;
    doomed.Select();
    theMainPane.OnKeyDown(8, 0);
    EXPECT_TRUE(page().Icons.empty());
    EXPECT_TRUE(theSelectedIcons.empty());
    EXPECT_EQ(theHoverIcon, nullptr);
    EXPECT_TRUE(page().IsChanged());

    theEditTool = kEditToolBrowse;
    EXPECT_FALSE(theMainPane.DeleteSelectedIcons(true)) << "the browse tool never deletes";
}

TEST_F(PaneInputTest, TheShapeToolsDrawIconsOfTheirShapeClass)
{
    const auto draw = [&](int tool, CPoint from, CPoint to) -> CQuibIcon& {
        theEditTool = tool;
        dragFromTo(from, to);
        return *page().Icons.back();
    };
    CQuibIcon& ellipse = draw(kEditToolEllipse, CPoint(100, 100), CPoint(60, 180));
    EXPECT_STREQ(ellipse.GetRuntimeClass()->m_lpszClassName, "CQuibIcon_Ellipse");
    EXPECT_EQ(ellipse.Shape, kIconShapeEllipse);
    EXPECT_EQ(ellipse.ScreenRect, CRect(60, 100, 100, 180)) << "from the press to the pointer";
    EXPECT_EQ(theSelectedIcons, (std::vector<CQuibIcon*>{&ellipse}));
    EXPECT_EQ(theMainPane.PaneFlags & kPaneDragMask, 0);

    CQuibIcon& rect = draw(kEditToolRectangle, CPoint(200, 200), CPoint(250, 230));
    EXPECT_STREQ(rect.GetRuntimeClass()->m_lpszClassName, "CQuibIcon_Rect");
    EXPECT_EQ(rect.Shape, kIconShapeRect);
    CQuibIcon& spot = draw(kEditToolSpotRect, CPoint(300, 300), CPoint(320, 320));
    EXPECT_STREQ(spot.GetRuntimeClass()->m_lpszClassName, "CQuibIcon_Rect");
    EXPECT_EQ(spot.Shape, kIconShapeUnclipped);
    EXPECT_EQ(page().Icons.size(), 3u);
    EXPECT_TRUE(page().IsChanged());

    // Dragging the drawn rectangle moves it by the pointer's offset.
    theEditTool = kEditToolSelect;
    dragFromTo(CPoint(225, 215), CPoint(245, 225));
    EXPECT_EQ(rect.ScreenRect.TopLeft(), CPoint(220, 210));
}

TEST_F(PaneInputTest, TheMenuSetsTypedTextSizesInRangeAndReplacesOneAlignmentAxis)
{
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("150%")), QStringLiteral("150%"));
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("12pt")), QStringLiteral("12pt"));
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("300pt")), std::nullopt);
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("39%")), std::nullopt);
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("%50")), std::nullopt);
    EXPECT_EQ(TextSizeFromInput(QStringLiteral("auto")), QStringLiteral("auto"));

    theEditTool = kEditToolSelect;
    CQuibIcon& icon = addIcon(CRect(10, 10, 100, 50));
    icon.Flags |= kIconContentTextOnly;
    icon.Options = QStringLiteral("{\u00A4textalign\u00A4=\u00A4left bottom\u00A4}");
    const auto typed = [&](const char* text) {
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply(kMenuTextSizeOther).reply([text](QDialog& dialog) {
            qobject_cast<QInputDialog*>(&dialog)->setTextValue(QString::fromUtf8(text));
            return lumivo::ui::IDOK;
        });
        EXPECT_TRUE(theMainPane.OnRButtonDown(0, 20, 20, 0));
        QString size;
        icon.Attributes.GetValue(QStringLiteral("textsize"), size);
        return size;
    };
    EXPECT_EQ(typed("150%"), QStringLiteral("150%"));
    EXPECT_EQ(typed("300pt"), QStringLiteral("150%")) << "refused: nothing changes";
    EXPECT_EQ(typed("12pt"), QStringLiteral("12pt"));
    EXPECT_TRUE(icon.Flags & kIconModified);

    chooseFromMenu(CPoint(20, 20), 5711);
    QString value;
    icon.Attributes.GetValue(QStringLiteral("textsize"), value);
    EXPECT_EQ(value, QStringLiteral("180%"));

    chooseFromMenu(CPoint(20, 20), 5726);
    icon.Attributes.GetValue(QStringLiteral("textalign"), value);
    EXPECT_EQ(value, QStringLiteral("bottom right"));
    chooseFromMenu(CPoint(20, 20), 5721);
    icon.Attributes.GetValue(QStringLiteral("textalign"), value);
    EXPECT_EQ(value, QStringLiteral("right top"));

    // The menu names its items without their tagged values, and offers deleting the one icon.
    QStringList shown;
    {
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply([&](QMenu& menu) {
            for (const QAction* action : menu.actions())
                shown << action->text();
            for (const QAction* action : menu.actions()[7]->menu()->actions())
                shown << action->text();
            return 0;
        });
        theMainPane.OnRButtonDown(0, 20, 20, 0);
    }
    EXPECT_EQ(shown, (QStringList{"Info", "Edit page...", "Edit icon...", "Delete icon", "New icon...",
                                  "Text size", "Text alignment", "Frame", "Auto", "Hairline", "0", "1", "2",
                                  "3", "4", "Color..."}));

    // An icon outside the text-only group keeps its attributes.
    icon.Flags &= ~kIconContentMask;
    chooseFromMenu(CPoint(20, 20), 5733);
    EXPECT_FALSE(icon.Attributes.GetValue(QStringLiteral("framewidth"), value));
}

TEST_F(PaneInputTest, ADroppedIconIsOfferedAMoveButTheDropChangesNothing)
{
    theEditTool = kEditToolSelect;
    CQuibIcon& icon = addIcon(CRect(10, 10, 50, 50));
    const std::unique_ptr<QMimeData> data = MakeIconDragData(icon);
    QMimeData text;
    text.setText(QStringLiteral("icon"));
    EXPECT_EQ(CPane::QueryDropEffect(data.get()), kDropEffectMove);
    EXPECT_EQ(CPane::QueryDropEffect(&text), kDropEffectNone);
    EXPECT_EQ(CPane::DragOverIcon(data.get(), CPoint(300, 300)), kDropEffectMove);

    EXPECT_EQ(theMainPane.DropAt(CPoint(300, 300)), kDropEffectNone);
    ASSERT_EQ(page().Icons.size(), 1u);
    EXPECT_EQ(page().Icons.front()->ScreenRect, CRect(10, 10, 50, 50));
    EXPECT_FALSE(page().IsChanged());
}

TEST_F(PaneInputTest, EachToolShowsItsCursorAndASelectedIconsHandleItsSizingArrow)
{
    CQuibIcon& icon = addIcon(CRect(100, 100, 200, 200));
    const auto cursorAt = [&](int tool, int x, int y) {
        theEditTool = tool;
        CPane::UpdateCursor(x, y, theMainPane.IconAt(x, y));
        return GetAppCursor();
    };
    EXPECT_EQ(cursorAt(kEditToolBrowse, 150, 150), CURSOR_HAND) << "the icon opens a page";
    icon.LinkId = 0;
    EXPECT_EQ(cursorAt(kEditToolBrowse, 150, 150), CURSOR_ARROW);
    EXPECT_EQ(cursorAt(kEditToolSelect, 150, 150), CURSOR_SELECT);
    EXPECT_EQ(cursorAt(kEditToolEllipse, 150, 150), CURSOR_CROSS);
    EXPECT_EQ(cursorAt(kEditToolIconWizard, 150, 150), CURSOR_WIZARD);

    theEditTool = kEditToolSelect;
    icon.Flags |= kIconHandles;
    icon.Select();
    EXPECT_EQ(cursorAt(kEditToolSelect, 200, 200), CURSOR_SIZE_NWSE) << "the bottom right handle";
    EXPECT_EQ(cursorAt(kEditToolSelect, 200, 100), CURSOR_SIZE_NESW) << "the top right handle";

    // The program's own cursors are compiled in.
    for (const int id : {CURSOR_ARROW, CURSOR_HAND, CURSOR_SELECT, CURSOR_WIZARD})
        EXPECT_EQ(QImage(QStringLiteral(":/cursor/%1.png").arg(id)).size(), QSize(32, 32)) << id;
}

TEST_F(PaneInputTest, TheEditingToolsShowATenPixelGridAndTheRubberBandOverThePane)
{
    theEditTool = kEditToolSelect;
    theEditOptions |= 0x200; // show the grid
    theMainPane.BgColor = 0xFFFFFF;
    QImage buffer(600, 400, QImage::Format_RGB32);
    buffer.fill(Qt::white);
    {
        QPainter painter(&buffer);
        theMainPane.Draw(painter);
        theMouseState.down = {CPoint(33, 37), MK_LBUTTON, 0};
        theMouseState.move = {CPoint(120, 90), MK_LBUTTON, 0};
        ASSERT_TRUE(theMainPane.OnBeginDrag(0, 33, 37, 0));
        theMainPane.DrawOverlay(painter);
    }
    buffer.save(tempPath("grid.png"));
    const QPoint origin = toQRect(theMainPane.PageRect).topLeft();
    const QRgb grid = qRgb(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(buffer.pixel(origin + QPoint(10, 5)), grid);
    EXPECT_EQ(buffer.pixel(origin + QPoint(5, 10)), grid);
    EXPECT_EQ(buffer.pixel(origin + QPoint(15, 5)), qRgb(255, 255, 255));
    int dots = 0;
    for (int x = 33; x < 120; ++x)
        dots += buffer.pixel(x, 37) == qRgb(0, 0, 0) ? 1 : 0;
    EXPECT_GT(dots, 20) << "the band's dotted top edge";
    EXPECT_EQ(buffer.pixel(65, 65), qRgb(255, 255, 255)) << "the band is only a frame";
}

TEST_F(PaneInputTest, AReleaseOnAPaneLyingOnTopIsNotAClickOnTheIconBeneath)
{
    addIcon(CRect(120, 120, 180, 180));
    // A pane without icons of its own lies over the icon (the browse callout consumes such a release
    // itself; the pane beneath must not act on it either way).
    CPane onTop;
    onTop.PaneRect = CRect(100, 100, 200, 200);
    onTop.SetVisible(true);
    onTop.MoveToHead();
    theFocusPane = &theMainPane;
    // As the client window routes a release: the pane under the point first, then the focus pane.
    theMouseState.down = {CPoint(150, 150), MK_LBUTTON, lumivo::clock::tickCount()};
    EXPECT_FALSE(onTop.OnLButtonUp(0, 150, 150, lumivo::clock::tickCount()));
    EXPECT_FALSE(theMainPane.OnLButtonUp(0, 150, 150, lumivo::clock::tickCount()));
    EXPECT_TRUE(theSelectedIcons.empty());

    onTop.SetVisible(false);
    EXPECT_TRUE(theMainPane.OnLButtonUp(0, 150, 150, lumivo::clock::tickCount()));
    EXPECT_EQ(theSelectedIcons.size(), 1u);
}
