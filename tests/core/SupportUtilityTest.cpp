// Tokens, units, rounding, stopwatches, random numbers and the questions the helpers ask.
#include "core/Utility.h"
#include "platform/types/Clock.h"
#include "platform/ui/Ui.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

#include <climits>
#include <cstdlib>

using namespace lumivo::ui;
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

TEST_F(UtilityTest, ConfirmingTwiceNeedsTwoYeses)
{
    ScopedAnswerer answerer;
    answerer.reply(IDYES).reply(IDNO);
    EXPECT_FALSE(ConfirmTwice("Delete the user?", "Users"));
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[0].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(answerer.questions()[1].text, "Are you sure ?");
    EXPECT_EQ(answerer.questions()[1].caption, "Users");
    EXPECT_EQ(answerer.questions()[1].flags, MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2);

    answerer.clear();
    answerer.reply(IDNO);
    EXPECT_FALSE(ConfirmTwice("Delete?", "Users"));
    EXPECT_EQ(answerer.questions().size(), 1u);
    answerer.reply(IDYES).reply(IDYES);
    EXPECT_TRUE(ConfirmTwice("Delete?", "Users"));

    answerer.clear();
    ShowSystemError(ENOENT);
    ShowWarning("Careful", "Caption");
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[0].caption, "Error");
    EXPECT_FALSE(answerer.questions()[0].text.isEmpty());
    EXPECT_EQ(answerer.questions()[0].flags, MB_ICONINFORMATION);
    EXPECT_EQ(answerer.questions()[1].flags, MB_ICONEXCLAMATION);
}

TEST_F(UtilityTest, BrowsingForAFolderGivesThePathOrNothing)
{
    ScopedAnswerer answerer;
    answerer.reply("/media/stick").reply(IDCANCEL);
    QString path = "old";
    EXPECT_TRUE(BrowseForFolder(path, nullptr, "Export to", "", "/media"));
    EXPECT_EQ(path, "/media/stick");
    EXPECT_EQ(answerer.questions()[0].caption, "/media");
    EXPECT_FALSE(BrowseForFolder(path, nullptr, "Export to"));
    EXPECT_EQ(path, "");
}

TEST_F(UtilityTest, AMissingSoundWarnsOncePerRun)
{
    ScopedAnswerer answerer;
    EXPECT_FALSE(PlayWaveResource("no such sound"));
    EXPECT_FALSE(PlayWaveResource(4711));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "Can't play sound.");
    EXPECT_FALSE(PlaySoundByName(tempPath("missing.wav")));
}

TEST_F(UtilityTest, ASoundFilePlaysToItsEnd)
{
    // A twentieth of a second of silence, 16-bit mono at 8000 Hz.
    const int samples = 400;
    QByteArray wave;
    auto put32 = [&wave](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            wave.append(char(v >> (8 * i)));
    };
    auto put16 = [&wave](std::uint16_t v) {
        wave.append(char(v));
        wave.append(char(v >> 8));
    };
    wave.append("RIFF");
    put32(36 + samples * 2);
    wave.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    wave.append("data");
    put32(samples * 2);
    wave.append(QByteArray(samples * 2, '\0'));
    QFile file(tempPath("beep.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wave);
    file.close();
    EXPECT_TRUE(PlaySoundByName(tempPath("beep.wav")));
}
