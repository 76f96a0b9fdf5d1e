#include "shell/Splash.h"
#include "shell/Version.h"
#include "store/Registry.h"
#include "store/Utility.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimerEvent>

#include <cstdlib>

namespace
{

class SplashTest : public lumivo::test::LumivoTest
{
protected:
    // Lets the closed splash go as the event loop would.
    static void deleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

// Counts the timer events that reach it.
class TimerProbe : public QObject
{
public:
    int timers = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++timers; }
};

void sendTimer(QObject* receiver, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(receiver, &event);
}

} // namespace

TEST_F(SplashTest, KeyPressClosesAndIsSwallowed)
{
    ShowSplash(0, QStringLiteral("Starting..."), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    QPointer<CSplashWnd> splash = theSplashWnd;
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->IsScrolling());

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    EXPECT_TRUE(FilterSplashMessage(splash, &press));
    EXPECT_EQ(theSplashWnd, nullptr);
    EXPECT_FALSE(splash->isVisible());
    deleteClosed();
    EXPECT_TRUE(splash.isNull());
    EXPECT_EQ(GetStopwatchElapsed(1), 0u); // stopped with the window
}

TEST_F(SplashTest, MousePressOnTheCreditsCloses)
{
    ShowSplash(0, QString(), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    QWidget* credits = &theSplashWnd->Credits();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(credits, &press);
    EXPECT_EQ(theSplashWnd, nullptr);
}

TEST_F(SplashTest, AnyTimerClosesWhileADelayIsSetAndStillReachesItsObject)
{
    TimerProbe probe;
    ShowSplash(1000, QString(), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    // The credits' own steps are no reason to close.
    sendTimer(theSplashWnd, theSplashWnd->StepTimerId());
    ASSERT_NE(theSplashWnd, nullptr);

    sendTimer(&probe, 50);
    EXPECT_EQ(theSplashWnd, nullptr);
    EXPECT_EQ(probe.timers, 1);
}

// Start-up's own timers may run while a status is shown; the splash stays until start-up ends.
TEST_F(SplashTest, TimersWhileTheStatusRepaintsDoNotClose)
{
    TimerProbe probe;
    ShowSplash(1000, QString(), nullptr);
    probe.startTimer(0);
    SetSplashStatus(QStringLiteral("Load system settings"));
    EXPECT_GT(probe.timers, 0);
    EXPECT_NE(theSplashWnd, nullptr);
}

TEST_F(SplashTest, WithoutDelayTimersNeitherCloseNorAreSwallowed)
{
    TimerProbe probe;
    ShowSplash(0, QString(), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    sendTimer(theSplashWnd, theSplashWnd->StatusTimerId());
    sendTimer(&probe, 50);
    EXPECT_NE(theSplashWnd, nullptr);
    EXPECT_EQ(probe.timers, 1);
}

TEST_F(SplashTest, SecondShowOnlyChangesStatusAndDelay)
{
    ShowSplash(0, QStringLiteral("Initialize..."), nullptr);
    CSplashWnd* first = theSplashWnd;
    ASSERT_NE(first, nullptr);
    ShowSplash(-1, QStringLiteral("Create menus"), nullptr);
    EXPECT_EQ(theSplashWnd, first);
    EXPECT_EQ(first->StatusText(), QStringLiteral("Create menus"));
    EXPECT_EQ(theSplashCloseDelay, 3000);
    SetSplashStatus(QStringLiteral("Update screen"));
    EXPECT_EQ(first->StatusText(), QStringLiteral("Update screen"));
}

// At the end of start-up the program waits in CloseSplash until the close timer has run out.
TEST_F(SplashTest, CloseWaitsForTheCloseTimer)
{
    ShowSplash(20, QString(), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    CloseSplash(-1);
    EXPECT_EQ(theSplashWnd, nullptr);
}

// Smoothed text blends into the light picture: a pixel counts by its hue.
bool isRedText(QColor c)
{
    return c.red() > 160 && c.green() < 140 && c.blue() < 140;
}

// The version text stands in red at its place above the bottom edge, the status in grey beside it.
TEST_F(SplashTest, PaintsVersionAndStatus)
{
    EXPECT_EQ(GetVersionText(), QStringLiteral("2.0.1.0 BETA"));
    ShowSplash(0, QStringLiteral("Starting..."), nullptr);
    ASSERT_NE(theSplashWnd, nullptr);
    const QImage shot = theSplashWnd->grab().toImage();
    const auto countOf = [&shot](QRect area, bool (*color)(QColor)) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += color(shot.pixelColor(x, y));
        return count;
    };
    const auto red = isRedText;
    const auto grey = [](QColor c) { return c.red() < 170 && std::abs(c.red() - c.blue()) < 24; };
    const int h = shot.height();
    EXPECT_GT(countOf(QRect(200, h - 50, 90, 22), red), 40);
    EXPECT_EQ(countOf(QRect(32, h - 50, 150, 16), red), 0);
    EXPECT_GT(countOf(QRect(32, h - 32, 100, 22), grey), 40);
}

// The newer program name has a picture of its own, with the version text further right.
TEST_F(SplashTest, NewerInstallationShowsItsOwnPicture)
{
    theRegistry = std::make_unique<CRegistry>();
    theRegistry->CreateKey(kSettingsRoot);
    const auto versionLeft = [] {
        ShowSplash(0, QString(), nullptr);
        const QImage shot = theSplashWnd->grab().toImage();
        CloseSplash(0);
        for (int x = 0; x < shot.width(); ++x)
            for (int y = shot.height() - 50; y < shot.height() - 28; ++y)
                if (isRedText(shot.pixelColor(x, y)))
                    return x;
        return -1;
    };
    theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10002);
    const int older = versionLeft();
    theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10001);
    const int newer = versionLeft();
    EXPECT_GE(older, 200);
    EXPECT_LT(older, 204);
    EXPECT_GE(newer, 228);
    EXPECT_LT(newer, 232);
}
