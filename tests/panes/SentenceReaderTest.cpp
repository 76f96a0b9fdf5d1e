// Reading a sentence aloud: the pace by when words are heard, the bound on a sound that never ends,
// the light on the icon read, and the timer that reads on while the event loop runs.

#include "panes/SentenceReader.h"
#include "core/Sentence.h"
#include "media/SoundFunctions.h"
#include "platform/types/Clock.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/EndlessSound.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/RecordingIcon.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

namespace
{

class SentenceReaderTest : public lumivo::test::LumivoTest
{
protected:
    void addRecordingIcons(int count)
    {
        for (int i = 0; i < count; ++i)
            m_sentence.Icons.push_back(std::make_unique<lumivo::test::RecordingIcon>(m_activated));
    }
    const CQuibIcon& icon(std::size_t index) const { return *m_sentence.Icons[index]; }

    std::vector<std::uint32_t> m_activated;
    std::vector<const CQuibIcon*> m_repainted;
    CQuibSentence m_sentence;
    CSentenceReader m_reader{[this](const CQuibIcon& icon) { m_repainted.push_back(&icon); }};
};

} // namespace

TEST_F(SentenceReaderTest, IconsStartAtLeast500MsApartOneAtATimeWithoutBlocking)
{
    lumivo::clock::TestClock clock(100000);
    addRecordingIcons(3);
    theLastSoundTick = 100000 - 500;
    m_reader.Start(m_sentence);
    EXPECT_FALSE(m_reader.IsRunning()) << "no start within 500 ms of the last sound";

    clock.advance(1);
    m_reader.Start(m_sentence);
    ASSERT_TRUE(m_reader.IsRunning());
    EXPECT_EQ(m_activated, std::vector<std::uint32_t>{100001}) << "the first icon at once";
    EXPECT_TRUE(icon(0).Highlighted);

    m_reader.Start(m_sentence); // a second request while reading is ignored
    clock.advance(499);
    m_reader.OnTick();
    EXPECT_EQ(m_activated.size(), 1u);
    clock.advance(1);
    m_reader.OnTick();
    EXPECT_EQ(m_activated, (std::vector<std::uint32_t>{100001, 100501}));
    EXPECT_FALSE(icon(0).Highlighted);
    EXPECT_TRUE(icon(1).Highlighted);

    clock.advance(700);
    m_reader.OnTick();
    EXPECT_EQ(m_activated, (std::vector<std::uint32_t>{100001, 100501, 101201}));
    clock.advance(499);
    m_reader.OnTick();
    EXPECT_TRUE(m_reader.IsRunning()) << "the last icon stays lit while its sound is due";
    EXPECT_TRUE(icon(2).Highlighted);
    clock.advance(1);
    m_reader.OnTick();
    EXPECT_FALSE(m_reader.IsRunning());
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(icon(i).Highlighted);
    EXPECT_EQ(m_repainted,
              (std::vector<const CQuibIcon*>{&icon(0), &icon(0), &icon(1), &icon(1), &icon(2), &icon(2)}))
        << "each light repainted as it goes on and off";
}

TEST_F(SentenceReaderTest, ASoundThatNeverEndsHoldsEachIconAtMost30Seconds)
{
    lumivo::clock::TestClock clock(100000);
    addRecordingIcons(2);
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    m_reader.Start(m_sentence);
    ASSERT_EQ(m_activated.size(), 1u);
    lumivo::test::playEndlessSound();
    clock.advance(29999);
    m_reader.OnTick();
    EXPECT_EQ(m_activated.size(), 1u);
    clock.advance(1);
    m_reader.OnTick();
    EXPECT_EQ(m_activated, (std::vector<std::uint32_t>{100000, 130000}));
}

TEST_F(SentenceReaderTest, TheTimerReadsOnWhileTheEventLoopRunsAndStopPutsTheLightOut)
{
    addRecordingIcons(2);
    m_reader.Start(m_sentence);
    ASSERT_TRUE(m_reader.IsRunning());
    EXPECT_TRUE(lumivo::test::waitFor([&] {
        QCoreApplication::processEvents();
        return !m_reader.IsRunning();
    }));
    ASSERT_EQ(m_activated.size(), 2u);
    EXPECT_GE(m_activated[1] - m_activated[0], kReadAloudGapMs);

    lumivo::clock::TestClock clock(200000);
    ResetSoundState(); // the real clock's last start means nothing on the test clock
    m_reader.Start(m_sentence);
    ASSERT_TRUE(icon(0).Highlighted);
    m_reader.Stop();
    EXPECT_FALSE(m_reader.IsRunning());
    EXPECT_FALSE(icon(0).Highlighted);
    clock.advance(1000);
    m_reader.OnTick();
    EXPECT_EQ(m_activated.size(), 3u) << "nothing more after a stop";
}
