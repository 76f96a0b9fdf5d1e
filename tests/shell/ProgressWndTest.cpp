#include "shell/ProgressWnd.h"
#include "tests/support/LumivoTest.h"

#include "store/Registry.h"

#include <QGuiApplication>
#include <QScreen>

#include <limits>

using lumivo::test::LumivoTest;

class ProgressWndTest : public LumivoTest
{
};

TEST_F(ProgressWndTest, AStoredPositionOffTheScreenCentresTheWindow)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size(390, 130);
    const QPoint centred = screen.center() - QPoint(size.width() / 2, size.height() / 2);
    EXPECT_EQ(CProgressWnd::PlacedPosition({-1, -1}, screen, size), centred);
    EXPECT_EQ(CProgressWnd::PlacedPosition({screen.width(), 10}, screen, size), centred);
    EXPECT_EQ(CProgressWnd::PlacedPosition({10, screen.height()}, screen, size), centred);
    EXPECT_EQ(CProgressWnd::PlacedPosition({10, 20}, screen, size), QPoint(10, 20));

    // Through the stored settings: a position beyond the screen is not used, and closing stores the
    // window's own.
    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(CProgressWnd::kSettingsKey));
    ASSERT_TRUE(theRegistry->WriteInt(CProgressWnd::kSettingsKey, QStringLiteral("X"), screen.width() + 50));
    ASSERT_TRUE(theRegistry->WriteInt(CProgressWnd::kSettingsKey, QStringLiteral("Y"), 5));
    QPoint shownAt;
    {
        CProgressWnd progress(nullptr, QStringLiteral("Progress"), false, true);
        ASSERT_TRUE(progress.Window());
        shownAt = progress.Window()->pos();
        EXPECT_TRUE(screen.contains(shownAt));
        EXPECT_NE(shownAt.x(), screen.width() + 50);
    }
    int x = -1;
    ASSERT_TRUE(theRegistry->ReadInt(CProgressWnd::kSettingsKey, QStringLiteral("X"), x));
    EXPECT_EQ(x, shownAt.x());
}

TEST_F(ProgressWndTest, PercentageCountsFromTheLowerBoundWithoutOverflow)
{
    EXPECT_EQ(CProgressWnd::Percentage(100, 200, 150), 50);
    EXPECT_EQ(CProgressWnd::Percentage(5, 5, 5), 0);
    const int big = std::numeric_limits<int>::max();
    EXPECT_EQ(CProgressWnd::Percentage(big / 2, big, big / 2 + big / 4), 49);

    CProgressWnd progress(nullptr, QStringLiteral("Copying"));
    progress.SetRange(1000000000, 2000000000, 250000000);
    progress.SetPos(1000000000);
    EXPECT_EQ(progress.StepIt(), 1250000000);
    EXPECT_EQ(progress.Window()->windowTitle(), QStringLiteral("Copying [25%]"));
    progress.Hide();
    progress.StepIt(); // shows the window again
    EXPECT_TRUE(progress.Window()->isVisible());
    EXPECT_EQ(progress.Window()->windowTitle(), QStringLiteral("Copying [50%]"));
    EXPECT_TRUE(progress.PeekAndPump());
}
