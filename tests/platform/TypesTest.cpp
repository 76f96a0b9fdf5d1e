#include "platform/types/Clock.h"
#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"
#include "tests/support/LumivoTest.h"

#include <QByteArray>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>

using lumivo::test::LumivoTest;

class TypesTest : public LumivoTest
{
};

TEST_F(TypesTest, RectanglesLeaveTheirRightAndBottomEdgesOut)
{
    const CRect rect(0, 0, 10, 20);
    EXPECT_EQ(rect.Width(), 10);
    EXPECT_EQ(rect.Height(), 20);
    EXPECT_TRUE(rect.PtInRect(CPoint(0, 0)));
    EXPECT_TRUE(rect.PtInRect(CPoint(9, 19)));
    EXPECT_FALSE(rect.PtInRect(CPoint(10, 5)));
    EXPECT_FALSE(rect.PtInRect(CPoint(5, 20)));
    EXPECT_FALSE(CRect(10, 0, 0, 10).PtInRect(CPoint(5, 5))); // inverted: holds nothing
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_TRUE(CRect(5, 5, 4, 9).IsRectEmpty());
    EXPECT_EQ(rect.CenterPoint(), CPoint(5, 10));

    // Qt counts the last pixel in: the same pixels, one less in right() and bottom().
    const QRect qt = toQRect(rect);
    EXPECT_EQ(qt.width(), 10);
    EXPECT_EQ(qt.right(), 9);
    EXPECT_EQ(qt.bottom(), 19);
    EXPECT_EQ(fromQRect(qt), rect);
    EXPECT_EQ(fromQRect(QRect(3, 4, 0, 0)), CRect(3, 4, 3, 4));
}

TEST_F(TypesTest, IntersectionAndUnionFollowTheEmptyRectangleRules)
{
    CRect result(1, 1, 2, 2);
    // Rectangles that only touch share no pixel.
    EXPECT_FALSE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(result.IsRectNull());
    EXPECT_TRUE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(5, -5, 20, 5)));
    EXPECT_EQ(result, CRect(5, 0, 10, 5));

    EXPECT_TRUE(result.UnionRect(CRect(0, 0, 2, 2), CRect(5, 5, 5, 50))); // the empty one counts not
    EXPECT_EQ(result, CRect(0, 0, 2, 2));
    EXPECT_TRUE(result.UnionRect(CRect(0, 0, 2, 2), CRect(4, -1, 6, 1)));
    EXPECT_EQ(result, CRect(0, -1, 6, 2));
    EXPECT_FALSE(result.UnionRect(CRect(), CRect(3, 3, 3, 3)));
    EXPECT_TRUE(result.IsRectNull());

    CRect moved(0, 0, 4, 4);
    moved.InflateRect(1, 2);
    EXPECT_EQ(moved, CRect(-1, -2, 5, 6));
    moved.MoveToXY(10, 10);
    EXPECT_EQ(moved, CRect(10, 10, 16, 18));
    CRect inverted(5, 6, 1, 2);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, CRect(1, 2, 5, 6));
    EXPECT_EQ(CPoint(5, 5) - CPoint(2, 1), CSize(3, 4));
}

TEST_F(TypesTest, RectangleArithmeticSaturatesInsteadOfWrappingRound)
{
    const CRect wide(INT_MIN, 0, INT_MAX, 1000);
    EXPECT_EQ(wide.Width(), INT_MAX);
    EXPECT_FALSE(wide.IsRectEmpty());
    EXPECT_EQ(wide.CenterPoint(), CPoint(0, 500));
    CRect seen;
    EXPECT_TRUE(seen.IntersectRect(wide, CRect(0, 0, 640, 480)));
    EXPECT_EQ(seen, CRect(0, 0, 640, 480));

    CRect moved(INT_MAX - 10, INT_MIN + 10, INT_MAX, INT_MIN + 20);
    moved.OffsetRect(100, -100);
    EXPECT_EQ(moved, CRect(INT_MAX, INT_MIN, INT_MAX, INT_MIN));
    moved.InflateRect(5, 5);
    EXPECT_EQ(moved, CRect(INT_MAX - 5, INT_MIN, INT_MAX, INT_MIN + 5));
    moved.MoveToX(INT_MAX - 1);
    EXPECT_EQ(moved.right, INT_MAX);
    EXPECT_EQ(CRect(CPoint(INT_MAX - 1, 0), CSize(10, 10)).right, INT_MAX);
    EXPECT_EQ(CPoint(INT_MIN, 0) - CPoint(1, 0), CSize(INT_MIN, 0));
    EXPECT_EQ(-CPoint(INT_MIN, 0), CPoint(INT_MAX, 0));

    // Qt gets edges within its own arithmetic's reach, and the same pixels where they fit.
    const QRect qt = toQRect(wide);
    EXPECT_GT(qt.width(), 0);
    EXPECT_EQ(qt.left(), -kQtCoordinateLimit);
    EXPECT_EQ(qt.right(), kQtCoordinateLimit - 1);
    EXPECT_EQ(fromQRect(QRect(QPoint(INT_MIN, 0), QPoint(INT_MAX, 9))), CRect(INT_MIN, 0, INT_MAX, 10));

    EXPECT_EQ(MulDivSaturated(INT_MAX, 1280, 1000), INT_MAX);
    EXPECT_EQ(MulDivSaturated(INT_MIN, 1280, 1000), INT_MIN);
    EXPECT_EQ(MulDivSaturated(333, 1000, 768), 434) << "MulDiv's rounding";
    EXPECT_EQ(MulDivSaturated(5, 1, 0), 0);
}

TEST_F(TypesTest, MulDivRoundsHalfAwayFromZero)
{
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, -1, 2, -3},
        {5, 1, -2, -3},
        {-5, -1, -2, -3},
        {-5, -1, 2, 3},
        {7, 1, 4, 2},
        {-7, 1, 4, -2},
        {2, 1, 3, 1},
        {1, 1, 3, 0},
        {0, 5, -3, 0},
        {333, 1000, 768, 434},
        // The product overflows 32 bits; the result does not.
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {100000, 100000, 200000, 50000},
        {INT_MIN, 1, 1, INT_MIN},
        // No answer: division by zero, or a result too large for an int.
        {1, 1, 0, -1},
        {0, 0, 0, -1},
        {INT_MAX, 2, 1, -1},
        {INT_MIN, -1, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST_F(TypesTest, ColoursAreStoredBlueGreenRed)
{
    constexpr COLORREF colour = RGB(0x12, 0x34, 0x56);
    static_assert(colour == 0x00563412u);
    EXPECT_EQ(GetRValue(colour), 0x12);
    EXPECT_EQ(GetGValue(colour), 0x34);
    EXPECT_EQ(GetBValue(colour), 0x56);
    EXPECT_EQ(RGB(256 + 1, -1, 0), 0x0000FF01u); // each part is one byte
}

TEST_F(TypesTest, TicksAreComparedAcrossTheWrap)
{
    EXPECT_EQ(TickDifference(5, 0xFFFFFFF0u), 21u);
    EXPECT_TRUE(TickReached(5, 0xFFFFFFF0u));
    EXPECT_FALSE(TickReached(0xFFFFFFF0u, 5));
    EXPECT_TRUE(TickReached(7, 7));

    // The real clock runs on while the thread sleeps.
    const std::uint32_t realBefore = GetTickCount();
    lumivo::clock::sleepFor(20);
    EXPECT_GE(TickDifference(GetTickCount(), realBefore), 20u);

    // Put the counter just before the wrap and let it run over.
    lumivo::clock::TestClock testClock(0xFFFFFFF0u);
    const std::uint32_t before = GetTickCount();
    EXPECT_GE(before, 0xFFFFFFF0u - 5);
    lumivo::clock::sleepFor(40);
    const std::uint32_t after = GetTickCount();
    EXPECT_LT(after, before); // wrapped
    EXPECT_GE(TickDifference(after, before), 40u);
    EXPECT_LT(TickDifference(after, before), 10000u);
}

TEST_F(TypesTest, AHookFallsBackToItsDefaultAndAScopeRestoresWhatWasThere)
{
    lumivo::Hook<int(int)> hook{[](int x) { return x; }};
    EXPECT_EQ(hook(4), 4);
    const auto previous = hook.set([](int x) { return x * 10; });
    EXPECT_EQ(previous(4), 4);
    {
        const auto scoped = hook.scoped([](int x) { return -x; });
        EXPECT_EQ(hook(4), -4);
    }
    EXPECT_EQ(hook(4), 40);
    hook.set(nullptr); // an empty function is the default again, never an empty hook
    EXPECT_EQ(hook(4), 4);
    hook.set([](int x) { return x + 1; });
    hook.reset();
    EXPECT_EQ(hook(4), 4);
}

TEST_F(TypesTest, OnATestClockWaitsCostNoRealTimeAndTheRealClockComesBack)
{
    const auto realStart = std::chrono::steady_clock::now();
    {
        lumivo::clock::TestClock outer(500);
        {
            lumivo::clock::TestClock inner(7000);
            EXPECT_FALSE(lumivo::clock::waitUntil([] { return false; }, 60000));
            EXPECT_GE(lumivo::clock::tickCount() - 7000u, 60000u);
        }
        EXPECT_EQ(lumivo::clock::tickCount(), 500u);
        int polls = 0;
        EXPECT_TRUE(lumivo::clock::waitUntil([&polls] { return ++polls == 3; }, 1000));
        EXPECT_EQ(lumivo::clock::tickCount(), 504u); // two sleeps of the poll interval
    }
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(10));
    const std::uint32_t real = lumivo::clock::tickCount();
    EXPECT_TRUE(lumivo::clock::waitUntil([] { return true; }, 0));
    EXPECT_LT(lumivo::clock::tickCount() - real, 1000u);
}

class LocalTimeTest : public TypesTest
{
protected:
    void SetUp() override
    {
        TypesTest::SetUp();
        const char* zone = std::getenv("TZ");
        m_savedZone = zone ? QByteArray(zone) : QByteArray();
        m_hadZone = zone != nullptr;
        setenv("TZ", "Europe/Copenhagen", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadZone)
            setenv("TZ", m_savedZone.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
        TypesTest::TearDown();
    }

private:
    QByteArray m_savedZone;
    bool m_hadZone = false;
};

TEST_F(LocalTimeTest, LocalDatesFollowSummerAndWinterTime)
{
    const CTime summer(2001, 5, 7, 10, 37, 0); // CEST, two hours ahead of UTC
    EXPECT_EQ(summer.GetTime(), 989224620);
    EXPECT_EQ(summer.GetYear(), 2001);
    EXPECT_EQ(summer.GetMonth(), 5);
    EXPECT_EQ(summer.GetDay(), 7);
    EXPECT_EQ(summer.GetHour(), 10);
    EXPECT_EQ(summer.GetMinute(), 37);
    EXPECT_EQ(summer.GetSecond(), 0);
    EXPECT_EQ(summer.GetDayOfWeek(), 2); // a Monday
    EXPECT_EQ(summer.Format(QStringLiteral("%Y-%m-%d %H:%M:%S")), QStringLiteral("2001-05-07 10:37:00"));
    EXPECT_EQ(summer.FormatGmt(QStringLiteral("%H:%M")), QStringLiteral("08:37"));

    const CTime winter(2002, 1, 15, 12, 0, 0); // CET, one hour ahead
    EXPECT_EQ(winter.GetTime(), 1011092400);

    // 02:30 on the last Sunday of October 2002 happened twice; the flag picks which.
    EXPECT_EQ(CTime(2002, 10, 27, 2, 30, 0, 1).GetTime(), 1035678600);
    EXPECT_EQ(CTime(2002, 10, 27, 2, 30, 0, 0).GetTime(), 1035682200);

    EXPECT_GT(CTime(2001, 5, 7, 10, 37, 1), summer); // gates compare strictly later
    EXPECT_FALSE(CTime(2001, 5, 7, 10, 37, 0) > summer);
    EXPECT_EQ((winter - summer).GetDays(), 253);
    EXPECT_EQ(summer + CTimeSpan(0, 1, 2, 3), CTime(2001, 5, 7, 11, 39, 3));
    EXPECT_EQ(summer.Format({}), QString());
    EXPECT_EQ(summer.toQDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
              QStringLiteral("2001-05-07 10:37"));
    EXPECT_EQ(CTime::fromQDateTime(summer.toQDateTime()), summer);

    const std::time_t before = std::time(nullptr);
    const CTime now = CTime::GetCurrentTime();
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(now.GetTime(), before);
    EXPECT_LE(now.GetTime(), after);
}
