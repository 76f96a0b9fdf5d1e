#include "media/WaveResourcePlayer.h"
#include "platform/audio/Audio.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <atomic>

using namespace lumivo;
using namespace lumivo::test;

namespace
{

QByteArray chunk(const char* id, const QByteArray& data)
{
    QByteArray bytes(id, 4);
    appendLe(bytes, static_cast<std::uint32_t>(data.size()), 4);
    bytes.append(data);
    if (data.size() % 2)
        bytes.append('\0');
    return bytes;
}

QByteArray riff(const QByteArray& chunks)
{
    QByteArray bytes("RIFF");
    appendLe(bytes, static_cast<std::uint32_t>(4 + chunks.size()), 4);
    return bytes + "WAVE" + chunks;
}

QByteArray pcmFormat(int rate, int size = 16)
{
    QByteArray fmt;
    appendLe(fmt, 1, 2);
    appendLe(fmt, 1, 2);
    appendLe(fmt, static_cast<std::uint32_t>(rate), 4);
    appendLe(fmt, static_cast<std::uint32_t>(rate * 2), 4);
    appendLe(fmt, 2, 2);
    appendLe(fmt, 16, 2);
    return fmt.left(size);
}

QByteArray tone(std::size_t samples, int rate = 44100)
{
    return sampleBytes(sine(0.5, 440, samples, rate));
}

} // namespace

class WaveResourcePlayerTest : public LumivoTest
{
};

TEST_F(WaveResourcePlayerTest, RefusesDamagedOrTruncatedWaves)
{
    CWaveResourcePlayer player;
    const QByteArray good = riff(chunk("fmt ", pcmFormat(44100)) + chunk("data", tone(4410)));
    // The data chunk claims more bytes than the image holds.
    EXPECT_FALSE(player.Create(good.left(good.size() - 100)));
    EXPECT_FALSE(player.IsReady());
    EXPECT_FALSE(player.Create(riff(chunk("fmt ", pcmFormat(44100, 12)) + chunk("data", tone(4410)))));
    EXPECT_FALSE(player.Create(riff(chunk("fmt ", pcmFormat(44100)))));
    EXPECT_FALSE(player.Create(QByteArray("RIFX") + good.mid(4)));
    EXPECT_FALSE(player.Create(good.left(11)));
    EXPECT_FALSE(player.PlayResource("no-such-sound"));
    player.Play(); // not ready: nothing happens
    EXPECT_FALSE(player.IsPlaying());

    EXPECT_TRUE(player.Create(good));
    EXPECT_TRUE(player.IsReady());
}

TEST_F(WaveResourcePlayerTest, SkipsAnOddListChunkToItsEvenBoundary)
{
    CWaveResourcePlayer player;
    const QByteArray wave =
        riff(chunk("LIST", "INFOabc") + chunk("fmt ", pcmFormat(44100)) + chunk("data", tone(441)));
    ASSERT_TRUE(player.Create(wave));
    player.Play();
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(WaveResourcePlayerTest, StartPositionIsInBytesOfTheFileAndClampedToItsEnd)
{
    CWaveResourcePlayer player;
    ASSERT_TRUE(player.Create(riff(chunk("fmt ", pcmFormat(22050)) + chunk("data", tone(22050 * 4, 22050)))));
    audio::mixer().setPaused(true);
    player.Play(2 * 22050); // one second into a 22,050 Hz sound
    EXPECT_TRUE(player.IsPlaying());
    player.Stop();
    player.Resume();
    player.Stop();
    player.Play(0xFFFFFFFF); // beyond the end: nothing is left to play
    audio::mixer().setPaused(false);
    EXPECT_TRUE(waitFor([&player] { return !player.IsPlaying(); }));
}

TEST_F(WaveResourcePlayerTest, LoopingPlaysOnAndResumeGoesOnFromWhereItStopped)
{
    CWaveResourcePlayer player;
    ASSERT_TRUE(player.Create(riff(chunk("fmt ", pcmFormat(44100)) + chunk("data", tone(441)))));
    std::atomic<std::size_t> mixed{0};
    audio::mixer().setObserver([&mixed](const std::int16_t*, std::size_t count) { mixed += count; });
    player.Play(0, true);
    const std::size_t start = mixed.load();
    // Six times its length, and a period more for the start.
    ASSERT_TRUE(waitFor([&] { return mixed.load() - start > 6 * 441 + 1024; }));
    EXPECT_TRUE(player.IsPlaying());
    player.Stop();
    audio::mixer().setObserver({});
    EXPECT_FALSE(player.IsPlaying());
    player.Resume();
    EXPECT_TRUE(waitFor([&player] { return !player.IsPlaying(); })); // no longer looping
}

TEST_F(WaveResourcePlayerTest, ResumeGoesOnFromThePlaceWhereTheSoundIsOrWasStopped)
{
    CWaveResourcePlayer player;
    ASSERT_TRUE(player.Create(riff(chunk("fmt ", pcmFormat(44100)) + chunk("data", tone(88200)))));
    player.Play();
    ASSERT_TRUE(waitFor([&player] { return player.CurrentSample() > 4410; }));
    audio::mixer().setPaused(true); // the place holds still from here on
    const std::size_t place = player.CurrentSample();
    player.Stop();
    player.Stop(); // a second stop keeps the place
    EXPECT_EQ(player.CurrentSample(), place);
    player.Resume();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.CurrentSample(), place);
    player.Resume(); // while it plays: on from where it is, not from an older stop
    EXPECT_EQ(player.CurrentSample(), place);
    audio::mixer().setPaused(false);
}
