// Tokens, units, rounding, stopwatches and random numbers.
#include "platform/types/Clock.h"
#include "store/Utility.h"
#include "tests/support/LumivoTest.h"

#include <climits>
#include <cstdlib>

using lumivo::test::LumivoTest;

class UtilityTest : public LumivoTest
{
};

TEST_F(UtilityTest, TokensAreCountedFromOneAndTheLastRunsToTheEnd)
{
    EXPECT_EQ(GetToken("a,b,c", 2, ','), "b");
    EXPECT_EQ(GetToken("a,b,c", 3, ','), "c");
    EXPECT_EQ(GetToken("a,b,c", 4, ','), "");
    EXPECT_EQ(GetToken("a,b,c", 0, ','), "a,b,c");
    EXPECT_EQ(GetToken(",x", 1, ','), "");
    EXPECT_EQ(CountTokens(",a", ','), 2);
    EXPECT_EQ(CountTokens(",,a", ','), 3);
    EXPECT_EQ(CountTokens("", ','), 1);
    EXPECT_EQ(GetTokenInt("7,-42abc,x", 2, ','), -42);
    EXPECT_EQ(GetTokenInt("7,-42abc,x", 3, ','), 0);
    EXPECT_EQ(StringToInt("  +15"), 15);
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt("99999999999"), INT_MAX);
    EXPECT_EQ(StringToInt("-99999999999"), INT_MIN);
}

TEST_F(UtilityTest, UnitsConvertThroughTheCommonBaseWithRounding)
{
    EXPECT_EQ(ConvertUnits(72, UNIT_POINT, UNIT_TWIP), 1440);
    EXPECT_EQ(ConvertUnits(1000, UNIT_TENTH_MM, UNIT_POINT), 283);
    EXPECT_EQ(ConvertUnits(254, UNIT_MM, UNIT_POINT), 720);
    EXPECT_EQ(ConvertUnits(100, UNIT_MM, UNIT_HUNDREDTH_MM), 10000);
    EXPECT_EQ(ConvertUnits(1, UNIT_TWIP, UNIT_HUNDREDTH_MM), 2); // 1.76 rounds up
    EXPECT_EQ(ConvertUnits(-1, UNIT_TWIP, UNIT_HUNDREDTH_MM), -2);
    EXPECT_EQ(ConvertUnits(5, 1234, UNIT_POINT), 5); // unknown codes are points
    CRect rect(0, 72, 144, -72);
    ConvertRectUnits(rect, UNIT_POINT, UNIT_TWIP);
    EXPECT_EQ(rect, CRect(0, 1440, 2880, -1440));
}

TEST_F(UtilityTest, RoundingToTenTakesFivesAwayFromZero)
{
    EXPECT_EQ(RoundToTen(15), 20);
    EXPECT_EQ(RoundToTen(-15), -20);
    EXPECT_EQ(RoundToTen(14), 10);
    EXPECT_EQ(RoundToTen(-14), -10);
    EXPECT_EQ(RoundToTen(INT_MAX) % 10, 0);
    EXPECT_GT(RoundToTen(INT_MAX), 0);
    CRect rect(15, -15, 14, 26);
    RoundRectToTen(rect);
    EXPECT_EQ(rect, CRect(20, -20, 10, 30));
    CRect scaled(10, 20, 30, 41);
    ScaleRect(scaled, 1, 2);
    EXPECT_EQ(scaled, CRect(5, 10, 15, 21));
}

TEST_F(UtilityTest, RandomNumbersStayInTheirRangeAndAnEmptyRangeGivesItsLowEnd)
{
    std::srand(1);
    for (int i = 0; i < 2000; ++i) {
        const int value = GetRandomInRange(-3, 4);
        ASSERT_GE(value, -3);
        ASSERT_LT(value, 4);
    }
    EXPECT_EQ(GetRandomInRange(5, 5), 5);
    EXPECT_EQ(GetRandomInRange(9, 2), 9);
    for (int i = 0; i < 2000; ++i) {
        const int value = GetRandomInRange(INT_MIN, INT_MAX);
        ASSERT_LT(value, INT_MAX);
        const int high = GetRandomInRange(INT_MAX - 1, INT_MAX);
        ASSERT_EQ(high, INT_MAX - 1);
    }
}

TEST_F(UtilityTest, StopwatchesAddUpAndCompareWithAReferenceSlot)
{
    lumivo::clock::TestClock testClock(1000);
    ASSERT_TRUE(StartStopwatch(-1));
    testClock.set(1050);
    EXPECT_EQ(GetStopwatchElapsed(3), 50u);
    ASSERT_TRUE(StopStopwatch(3));
    testClock.set(1200);
    ASSERT_TRUE(StopStopwatch(9));
    EXPECT_EQ(GetStopwatchTotal(3), 50u);
    EXPECT_EQ(GetStopwatchTotal(9), 200u);
    EXPECT_EQ(GetStopwatchTotal(3, 9), 25u);
    EXPECT_EQ(GetStopwatchTotal(9, 3), 400u);
    EXPECT_EQ(GetStopwatchElapsed(3), 0u);
    // Slot 5 still runs and has no total yet: as a reference it gives 0.
    EXPECT_EQ(GetStopwatchTotal(3, 5), 0u);

    // Stopping again adds nothing; starting again adds the next run.
    ASSERT_TRUE(StopStopwatch(3));
    EXPECT_EQ(GetStopwatchTotal(3), 50u);
    StartStopwatch(3);
    testClock.set(1300);
    StopStopwatch(3);
    EXPECT_EQ(GetStopwatchTotal(3), 150u);

    EXPECT_FALSE(StartStopwatch(10));
    EXPECT_FALSE(ResetStopwatch(-2));
    EXPECT_EQ(GetStopwatchTotal(10), 0u);
    EXPECT_EQ(GetStopwatchTotal(-1), 0u);
    EXPECT_EQ(GetStopwatchElapsed(10), 0u);
    ResetStopwatch(3);
    EXPECT_EQ(GetStopwatchTotal(3), 0u);
}

TEST_F(UtilityTest, StopwatchesRunAcrossTheTickWrap)
{
    lumivo::clock::TestClock testClock(0xFFFFFFF0u);
    StartStopwatch(0);
    testClock.set(0x10);
    StopStopwatch(0);
    EXPECT_EQ(GetStopwatchTotal(0), 0x20u);
}
