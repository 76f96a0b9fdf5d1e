// Icons whose stored rectangles say anything at all: a page, a sentence, a package or the clipboard
// may carry any 32-bit values. Hit tests stay within what can be seen, no arithmetic wraps round, and
// the stored values stay as they were read. Drawing them is tests/panes/DrawingBoundsTest.cpp.

#include "core/IconBounds.h"
#include "core/IconShapes.h"
#include "core/Page.h"
#include "tests/core/PlacedIcons.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/ShownPage.h"

#include <climits>

class IconBoundsTest : public lumivo::test::LumivoTest
{
};

TEST_F(IconBoundsTest, PixelsStayWithinTheLimitAndAnUnmovedIconKeepsItsStoredRectangle)
{
    CQuibIcon icon;
    icon.StoredRect = CRect(INT_MIN, 0, INT_MAX, 1000);
    icon.RelativeToScreen(SIZE{1280, 480});
    EXPECT_EQ(icon.ScreenRect, CRect(-kIconPixelLimit, 0, kIconPixelLimit, 480))
        << "not wrapped round, and not the -1 of a failed MulDiv";

    // A page stored again converts back only what moved: the read values stay exact.
    icon.ScreenToRelative(SIZE{1280, 480});
    EXPECT_EQ(icon.StoredRect, CRect(INT_MIN, 0, INT_MAX, 1000));
    icon.StoredRect = CRect(333, 333, 667, 667); // 213.12 pixels would come back as 333 or 332
    icon.RelativeToScreen(SIZE{640, 640});
    icon.ScreenToRelative(SIZE{640, 640});
    EXPECT_EQ(icon.StoredRect, CRect(333, 333, 667, 667));
    icon.ScreenRect.OffsetRect(64, 0);
    icon.ScreenToRelative(SIZE{640, 640});
    EXPECT_EQ(icon.StoredRect, CRect(433, 333, 767, 667)) << "a moved icon is stored where it is now";
}

TEST_F(IconBoundsTest, HugeIconsAreSeenAndHitWhereTheyLie)
{
    CQuibBg shownPage;
    const lumivo::test::ScopedShownPage shown(shownPage);
    // On the smaller page the pixels span more than an int; on the larger one they do not even fit.
    for (const SIZE page : {SIZE{640, 480}, SIZE{1280, 854}}) {
        const CRect pane(0, 0, page.cx, page.cy);
        const CPoint middle(page.cx / 2, page.cy / 2);
        for (const bool ellipseClass : {false, true}) {
            SCOPED_TRACE(std::to_string(page.cx) + (ellipseClass ? " (ellipse class)" : ""));
            shownPage.Icons.push_back(lumivo::test::placedIcon(ellipseClass, kIconShapeEllipse,
                                                               CRect(INT_MIN, 0, INT_MAX, 1000), page));
            const CQuibIcon* wide = shownPage.Icons.back().get();
            EXPECT_TRUE(wide->IsVisibleIn(pane));
            EXPECT_TRUE(wide->HitTest(middle)) << "the middle of the page is inside";
            EXPECT_FALSE(wide->HitTest(CPoint(middle.x, page.cy))) << "below the bottom edge";

            const auto large =
                lumivo::test::placedIcon(ellipseClass, kIconShapeEllipse, CRect(0, 0, 200000, 200000), page);
            EXPECT_FALSE(large->HitTest(CPoint(10, 10))) << "the corner of its rectangle is outside";
            EXPECT_TRUE(large->HitTest(large->ScreenRect.CenterPoint()));
        }
    }
}
