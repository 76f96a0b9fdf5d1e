// Hit tests on overlapping icons, handles, moving and resizing, the grid and the drawing order.

#include "core/IconEditing.h"
#include "core/IconShapes.h"
#include "core/Page.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/ShownPage.h"

namespace
{

CQuibIcon* addIcon(CQuibIconList& icons, std::unique_ptr<CQuibIcon> icon, CRect screen)
{
    icon->ScreenRect = screen;
    icons.push_back(std::move(icon));
    return icons.back().get();
}

} // namespace

class IconGeometryTest : public lumivo::test::LumivoTest
{
};

TEST_F(IconGeometryTest, HitTestFindsTheFrontMostIconAndEllipsesOnlyInside)
{
    CQuibIconList icons;
    CQuibIcon* back = addIcon(icons, std::make_unique<CQuibIcon>(), CRect(0, 0, 100, 100));
    CQuibIcon* front = addIcon(icons, std::make_unique<CQuibIcon>(), CRect(50, 50, 150, 150));
    CQuibIcon* round = addIcon(icons, std::make_unique<CQuibIcon_Ellipse>(), CRect(0, 0, 40, 40));
    EXPECT_EQ(FrontIconAt(icons, CPoint(60, 60)), front);
    EXPECT_EQ(FrontIconAt(icons, CPoint(20, 20)), round);
    EXPECT_EQ(FrontIconAt(icons, CPoint(2, 2)), back) << "the ellipse's corner is not the ellipse";
    EXPECT_EQ(FrontIconAt(icons, CPoint(150, 150)), nullptr) << "right and bottom edges lie outside";

    theEditTool = kEditToolSelect; // area tools take the whole rectangle
    EXPECT_EQ(FrontIconAt(icons, CPoint(2, 2)), round);

    back->Shape = kIconShapeNoHit;
    theEditTool = kEditToolBrowse;
    EXPECT_EQ(FrontIconAt(icons, CPoint(10, 60)), nullptr);
}

TEST_F(IconGeometryTest, HandlesAndTheBandRoundTheFrame)
{
    CQuibIcon icon;
    icon.ScreenRect = CRect(10, 10, 110, 110);
    EXPECT_EQ(icon.HitTestHandles(CPoint(8, 50)), -1); // 2 pixels outside
    EXPECT_EQ(icon.HitTestHandles(CPoint(6, 50)), 0);  // 4 outside
    EXPECT_EQ(icon.HitTestHandles(CPoint(14, 50)), 0); // 4 inside
    EXPECT_EQ(icon.HitTestHandles(CPoint(111, 111)), 3);
    EXPECT_EQ(icon.HitTestHandles(CPoint(8, 112)), 4);
    EXPECT_FALSE(icon.IsHit(CPoint(8, 50))) << "the band belongs to the icon only while its handles show";
    icon.Flags |= kIconHandles;
    EXPECT_TRUE(icon.IsHit(CPoint(8, 50)));
    EXPECT_EQ(icon.GetHandleCursor(2), Qt::SizeBDiagCursor);

    icon.DrawnFlags |= kIconSelected;
    EXPECT_EQ(icon.GetBoundsRect(), CRect(5, 5, 115, 115)); // handles 3, selected frame 1, then 1

    icon.Flags &= ~kIconHandles;
    theEditTool = kEditToolIconWizard;
    theEditOptions = kEditOptionLargeHandles;
    EXPECT_EQ(icon.GetHandleRect(1), CRect(4, 4, 16, 16));
    EXPECT_TRUE(icon.IsHit(CPoint(5, 50)));
}

TEST_F(IconGeometryTest, GridSnapsToTheNearestLineOnBothSidesOfZeroAndNotWithoutAStep)
{
    theGridStepX = 10;
    theGridStepY = 10;
    EXPECT_EQ(SnapToGrid(CPoint(47, 44)), CPoint(50, 40));
    EXPECT_EQ(SnapToGrid(CPoint(-7, -3)), CPoint(-10, 0));
    EXPECT_EQ(SnapToGrid(CPoint(-5, -15)), CPoint(0, -10)); // halves upward
    theGridStepX = 0;
    theGridStepY = -4;
    EXPECT_EQ(SnapToGrid(CPoint(-7, 13)), CPoint(-7, 13));
}

TEST_F(IconGeometryTest, HandleDragsResizeFromTheDragCopyAndStoreTheRelativeRectangle)
{
    CQuibBg page;
    page.LayoutSize = SIZE{1000, 500};
    CQuibIcon* icon = addIcon(page.Icons, std::make_unique<CQuibIcon>(), CRect(10, 10, 30, 30));
    const lumivo::test::ScopedShownPage shown(page);

    icon->MoveHandleTo(3, CPoint(47, 52));
    EXPECT_EQ(icon->ScreenRect, CRect(10, 10, 30, 30)) << "no drag copy, no move";

    icon->DragCopy = icon->Clone();
    theEditOptions = kEditOptionSnapToGrid;
    icon->MoveHandleTo(3, CPoint(47, 52));
    EXPECT_EQ(icon->ScreenRect, CRect(10, 10, 51, 51));
    EXPECT_EQ(icon->StoredRect, CRect(10, 20, 51, 102));
    EXPECT_TRUE(icon->Flags & kIconModified);

    theEditOptions = 0;
    icon->MoveHandleTo(1, CPoint(40, 45)); // past the opposite corner: the rectangle turns round
    EXPECT_EQ(icon->ScreenRect, CRect(30, 30, 40, 45));

    theEditOptions = kEditOptionSnapToGrid;
    icon->SetRect(57, 43, 17, 3, true); // moved as a whole by the top-left corner's snap
    EXPECT_EQ(icon->ScreenRect, CRect(20, 0, 60, 40));
}

TEST_F(IconGeometryTest, OrderMovesNeedAnEditingToolOneSelectedIconAndRoom)
{
    CQuibBg page;
    CQuibIcon* a = addIcon(page.Icons, std::make_unique<CQuibIcon>(), CRect());
    CQuibIcon* b = addIcon(page.Icons, std::make_unique<CQuibIcon>(), CRect());
    CQuibIcon* c = addIcon(page.Icons, std::make_unique<CQuibIcon>(), CRect());
    const auto order = [&] {
        std::vector<CQuibIcon*> icons;
        for (const auto& icon : page.Icons)
            icons.push_back(icon.get());
        return icons;
    };
    EXPECT_FALSE(MoveIconInOrder(&page, {a}, IconOrderMove::ToFront, true)) << "browse tool";
    theEditTool = kEditToolSelect;
    EXPECT_FALSE(MoveIconInOrder(&page, {a, b}, IconOrderMove::ToFront, true));
    EXPECT_FALSE(MoveIconInOrder(&page, {c}, IconOrderMove::Forward, true)) << "already in front";
    EXPECT_FALSE(MoveIconInOrder(&page, {a}, IconOrderMove::ToBack, false));
    EXPECT_TRUE(MoveIconInOrder(&page, {a}, IconOrderMove::ToFront, true));
    EXPECT_EQ(order(), (std::vector{a, b, c})) << "a test moves nothing";

    EXPECT_TRUE(MoveIconInOrder(&page, {a}, IconOrderMove::Forward, false));
    EXPECT_EQ(order(), (std::vector{b, a, c}));
    EXPECT_TRUE(MoveIconInOrder(&page, {b}, IconOrderMove::ToFront, false));
    EXPECT_EQ(order(), (std::vector{a, c, b}));
    EXPECT_TRUE(MoveIconInOrder(&page, {c}, IconOrderMove::Backward, false));
    EXPECT_EQ(order(), (std::vector{c, a, b}));
    EXPECT_TRUE(MoveIconInOrder(&page, {b}, IconOrderMove::ToBack, false));
    EXPECT_EQ(order(), (std::vector{b, c, a}));
    EXPECT_EQ(FrontIconAt(page.Icons, CPoint(0, 0)), nullptr);
}
