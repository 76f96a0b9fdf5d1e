// The information pane's copy of the icon the author works with, its text and layout; the main pane's
// margins for pages larger than the pane.

#include "panes/Panes.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "tests/support/LumivoTest.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace lumivo::test;

namespace
{

class InfoPaneTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theInfoPane.PaneRect = CRect(0, 0, 300, 200);
    }

    void TearDown() override
    {
        theSelectedIcons.clear();
        LumivoTest::TearDown();
    }

    static std::unique_ptr<CQuibIcon> labelledIcon(const char* label)
    {
        auto icon = std::make_unique<CQuibIcon>();
        icon->WordName = QString::fromUtf8(label);
        icon->BgColor = 0x00FF00;
        return icon;
    }
};

} // namespace

TEST_F(InfoPaneTest, WithTheBrowseToolTheGivenIconIsCopiedAndItsTextShownUnderIt)
{
    theEditTool = kEditToolBrowse;
    auto icon = labelledIcon("Ball");
    theSelectedIcons = {icon.get()};
    theInfoPane.ShowSelectedIcon(icon.get());
    CQuibIcon* own = theInfoPane.OwnIcon();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, icon.get());
    EXPECT_EQ(own->BgColor, 0x00FF00u) << "a copy of the icon";
    EXPECT_EQ(theInfoPane.DisplayText(), "Ball");
    EXPECT_TRUE(own->Flags & kIconVisible);
    EXPECT_TRUE(own->Flags & kIconNotSelectable);

    QImage image(300, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    theInfoPane.DrawContent(painter);
    const CRect text = theInfoPane.TextRect();
    EXPECT_EQ(text.bottom, 197) << "the text strip lies at the bottom of the area, 3 pixels in";
    EXPECT_NEAR(text.left + text.right, 300, 1) << "centred";
    EXPECT_LE(own->ScreenRect.bottom, text.top - 3) << "the icon above the text";
}

TEST_F(InfoPaneTest, WithAnotherToolAndNotExactlyOneIconSelectedNothingShows)
{
    theEditTool = 2; // the select tool
    auto first = labelledIcon("One");
    auto second = labelledIcon("Two");
    theSelectedIcons = {first.get(), second.get()};
    theInfoPane.ShowSelectedIcon(first.get());
    EXPECT_TRUE(theInfoPane.DisplayText().isEmpty());
    EXPECT_FALSE(theInfoPane.OwnIcon()->Flags & kIconVisible);

    theSelectedIcons = {second.get()};
    theInfoPane.ShowSelectedIcon(nullptr);
    EXPECT_EQ(theInfoPane.DisplayText(), "Two") << "the one selected icon, whatever was given";
    EXPECT_FALSE(theInfoPane.OwnIcon()->Flags & kIconVisible)
        << "the layout shows it with the browse tool only";
}

TEST_F(InfoPaneTest, ThePanesTakeTheirClicksAndKeepTheirOwnFieldsThroughAReset)
{
    EXPECT_TRUE(theInfoPane.OnClick(0, 10, 10, 0));
    EXPECT_TRUE(theInfoPane.OnLButtonDown(0, 10, 10, 0));
    EXPECT_TRUE(theInfoPane.OnLongMouseDown());
    theInfoPane.ResetPane();
    EXPECT_NE(theInfoPane.OwnIcon(), nullptr);
    EXPECT_TRUE(theInfoPane.PaneFlags & kPaneFlagNoBrowseFocus);
    theMainPane.ResetPane();
    EXPECT_EQ(theMainPane.ContentRect, CRect(20, 40, 11, 20));
}
