// The questions and notices of the utility helpers, the folder chooser and their sounds.
#include "system/UtilityNotices.h"
#include "platform/ui/Ui.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

using namespace lumivo::ui;
using lumivo::test::LumivoTest;

class UtilityNoticesTest : public LumivoTest
{
};

TEST_F(UtilityNoticesTest, ConfirmingTwiceNeedsTwoYeses)
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

TEST_F(UtilityNoticesTest, BrowsingForAFolderGivesThePathOrNothing)
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

TEST_F(UtilityNoticesTest, AMissingSoundWarnsOncePerRun)
{
    ScopedAnswerer answerer;
    EXPECT_FALSE(PlayWaveResource("no such sound"));
    EXPECT_FALSE(PlayWaveResource(4711));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "Can't play sound.");
    EXPECT_FALSE(PlaySoundByName(tempPath("missing.wav")));
}

TEST_F(UtilityNoticesTest, ASoundFilePlaysToItsEnd)
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
