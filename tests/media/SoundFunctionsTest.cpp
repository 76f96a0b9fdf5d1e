#include "media/SoundFunctions.h"
#include "tests/support/LumivoTest.h"

#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "platform/registry/Registry.h"
#include "platform/types/Clock.h"
#include "tests/support/AudioTestHelpers.h"

#include <QThread>

#include <cmath>

using lumivo::test::LumivoTest;
using lumivo::wave::WaveFormat;

namespace
{

WaveBlock pcm(int bits, int rate, int channels, int frames, double amplitude = 0.5)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double value = std::sin(i * 0.03) * amplitude;
            if (bits == 8) {
                bytes.push_back(std::uint8_t(128 + std::lround(value * 127)));
                continue;
            }
            const auto v = std::int32_t(std::lround(value * ((1 << (bits - 1)) - 1)));
            for (int b = 0; b < bits / 8; ++b)
                bytes.push_back(std::uint8_t(v >> (8 * b)));
        }
    }
    return WaveBlock(WaveFormat::pcm(channels, rate, bits), std::move(bytes));
}

WaveBlock samples16(int channels, std::vector<std::int16_t> values)
{
    std::vector<std::uint8_t> bytes;
    for (std::int16_t v : values) {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    }
    return WaveBlock(WaveFormat::pcm(channels, 44100, 16), std::move(bytes));
}

std::int16_t at16(const WaveBlock& block, std::size_t i)
{
    return std::int16_t(block.samples()[2 * i] | (block.samples()[2 * i + 1] << 8));
}

} // namespace

class SoundFunctionsTest : public LumivoTest
{
};

TEST_F(SoundFunctionsTest, ConversionAlwaysGivesANewBlockAndAveragesStereoIntoMono)
{
    const WaveBlock stereo = samples16(2, {1000, 1000, 400, -200, -32768, -32768});
    WaveBlock same;
    ASSERT_EQ(ConvertWaveToPcm(stereo, same, 0x200), 0);
    EXPECT_EQ(same.bytes(), stereo.bytes());
    EXPECT_NE(same.samples(), stereo.samples());

    WaveBlock mono;
    ASSERT_EQ(ConvertWaveToPcm(stereo, mono, 0x100), 0);
    ASSERT_EQ(GetWaveChannels(mono), 1);
    EXPECT_EQ(at16(mono, 0), 1000);
    EXPECT_EQ(at16(mono, 1), 100);
    EXPECT_EQ(at16(mono, 2), -32768);

    WaveBlock none = stereo;
    EXPECT_EQ(ConvertWaveToPcm(WaveBlock(), none, 0x100), -1);
    EXPECT_TRUE(none.isNull());
}

TEST_F(SoundFunctionsTest, ScalingTruncatesTowardZeroAndStaysInRange)
{
    WaveBlock block = samples16(1, {3, -3, 30000, -30000});
    ASSERT_EQ(ScaleWaveSamples(block, 0.5), 0);
    EXPECT_EQ(at16(block, 0), 1);
    EXPECT_EQ(at16(block, 1), -1);
    ASSERT_EQ(ScaleWaveSamples(block, 4.0), 0);
    EXPECT_EQ(at16(block, 2), 32767);
    EXPECT_EQ(at16(block, 3), -32768);
    WaveBlock eight = pcm(8, 8000, 1, 10);
    EXPECT_EQ(ScaleWaveSamples(eight, 0.5), -2);
    WaveBlock empty;
    EXPECT_EQ(ScaleWaveSamples(empty, 0.5), -1);
}

TEST_F(SoundFunctionsTest, DurationNeedsNoThirtyTwoBitRoom)
{
    EXPECT_EQ(GetWaveDurationMs(WaveBlock(WaveFormat::pcm(1, 44100, 16), std::vector<std::uint8_t>(88200))),
              1000u);
    // Twelve seconds of stereo overflow bytes x 8,000 in 32 bits.
    EXPECT_EQ(GetWaveDurationMs(WaveBlock(WaveFormat::pcm(2, 44100, 16), std::vector<std::uint8_t>(2116800))),
              12000u);
    WaveFormat broken = WaveFormat::pcm(1, 44100, 16);
    broken.bitsPerSample = 0;
    EXPECT_EQ(GetWaveDurationMs(WaveBlock(broken, std::vector<std::uint8_t>(100))), 0u);
}

TEST_F(SoundFunctionsTest, Mp3KeepsRateAndDurationAtEveryLevelAndTwiceInARow)
{
    const WaveBlock original = pcm(16, 22050, 1, 22050 * 2 + 500);
    for (int level : {4, 8}) {
        SCOPED_TRACE(level);
        std::vector<std::uint8_t> first, second;
        ASSERT_GT(EncodeMp3(original, first, level | 0x100), 0);
        ASSERT_GT(EncodeMp3(original, second, level | 0x100), 0);
        EXPECT_EQ(first, second);
        WaveBlock decoded;
        const int size = DecodeMp3(first, decoded, level | 0x100);
        ASSERT_GT(size, 0);
        EXPECT_EQ(std::size_t(size), decoded.size());
        // A 22,050 Hz sound must not come back at another speed.
        EXPECT_NEAR(double(GetWaveDurationMs(decoded)), double(GetWaveDurationMs(original)),
                    1152 * 1000.0 / 22050);
        EXPECT_EQ(decoded.channels(), 1);
    }
    std::vector<std::uint8_t> bytes;
    ASSERT_GT(EncodeMp3(original, bytes, 4), 0);
    WaveBlock decoded;
    ASSERT_GT(DecodeMp3(bytes, decoded, 4), 0);
    EXPECT_EQ(decoded.samplesPerSec(), 22050u);
}

TEST_F(SoundFunctionsTest, Mp3ConvertsOtherWidthsFirstAndReportsBadInput)
{
    const WaveBlock wide = pcm(24, 44100, 2, 44100);
    std::vector<std::uint8_t> bytes;
    ASSERT_GT(EncodeMp3(wide, bytes, 5 | 0x200), 0);
    WaveBlock decoded;
    ASSERT_GT(DecodeMp3(bytes, decoded, 5 | 0x200), 0);
    EXPECT_EQ(decoded.channels(), 2);
    EXPECT_NEAR(double(GetWaveDurationMs(decoded)), 1000.0, 27.0);
    // The tone survives: a 24-bit sound fed as 16-bit would come back as noise near full scale.
    int peak = 0;
    for (std::size_t i = 0; i < decoded.sampleBytes() / 2; ++i)
        peak = std::max(peak, std::abs(int(at16(decoded, i))));
    EXPECT_NEAR(peak, 16383, 3000);

    EXPECT_EQ(EncodeMp3(WaveBlock(), bytes, 4), -1);
    EXPECT_TRUE(bytes.empty());
    WaveFormat unknown = WaveFormat::pcm(1, 8000, 16);
    unknown.formatTag = 0x7777;
    EXPECT_EQ(EncodeMp3(WaveBlock(unknown, std::vector<std::uint8_t>(64)), bytes, 4), -2);
    EXPECT_EQ(DecodeMp3({}, decoded, 4), -1);
    EXPECT_EQ(DecodeMp3(std::vector<std::uint8_t>(300, 0x42), decoded, 4), -4);
    EXPECT_TRUE(decoded.isNull());
}

TEST_F(SoundFunctionsTest, ModelThreePlaysThroughTheDeviceOnlyWhenFree)
{
    const WaveBlock sound = pcm(16, 44100, 1, 4410);
    PlaySoundData(sound); // no device: nothing, no crash
    EXPECT_FALSE(IsSoundPlaying());

    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    lumivo::audio::mixer().setPaused(true); // the sound cannot end before it is asked about
    {
        const WaveBlock shortLived = sound;
        PlaySoundData(shortLived);
    }
    const CSoundSample* held = theSoundDevice->GetSample();
    ASSERT_TRUE(held);
    const std::vector<std::uint8_t> samples(sound.samples(), sound.samples() + sound.sampleBytes());
    EXPECT_EQ(std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(held->data()),
                                        reinterpret_cast<const std::uint8_t*>(held->data() + held->size())),
              samples);
    EXPECT_EQ(theWaveOutHandle, 0u) << "free again once the device plays";
    EXPECT_TRUE(IsSoundPlaying());
    EXPECT_LT(GetSoundElapsedMs(), 1000u);

    theWaveOutHandle = 7; // a wave-output sound still plays
    PlaySoundData(pcm(16, 44100, 1, 441));
    EXPECT_EQ(theSoundDevice->GetSample(), held);
    theWaveOutHandle = 0;

    StopSound();
    EXPECT_FALSE(IsSoundPlaying());
}

// A device sound starts when the person hears it. A click's reset frees the next long press all the same,
// while the noted tick keeps the pace; a sound noted later is not moved back. The mixer stands still
// until the clock shows the moment the sound is to be heard.
TEST_F(SoundFunctionsTest, ADeviceSoundCountsFromWhenItIsHeard)
{
    lumivo::clock::TestClock clock(10000);
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    auto& mixer = lumivo::audio::mixer();
    const auto heardAfter = [&](std::uint32_t ms) {
        clock.advance(ms);
        mixer.setPaused(false);
        return lumivo::test::waitFor([] { return theSoundDevice->GetHeardTick() != 0; });
    };
    mixer.setPaused(true);
    PlaySoundData(pcm(16, 44100, 1, 4410));
    EXPECT_EQ(theLastSoundTick, 10000u);
    ASSERT_TRUE(heardAfter(250)); // the recording opened with silence
    clock.advance(50);
    EXPECT_EQ(GetSoundElapsedMs(), 50u);
    EXPECT_EQ(GetNotedSoundElapsedMs(), 50u);

    mixer.setPaused(true);
    PlaySoundData(pcm(16, 44100, 1, 4410));
    theLastSoundTick = 0; // the click that asked for it
    ASSERT_TRUE(heardAfter(20));
    clock.advance(80);
    EXPECT_EQ(GetSoundElapsedMs(), 10400u);
    EXPECT_EQ(GetNotedSoundElapsedMs(), 80u);

    mixer.setPaused(true);
    PlaySoundData(pcm(16, 44100, 1, 4410));
    NoteSoundTick(10450); // speech that ended before the device could tell
    ASSERT_TRUE(heardAfter(20));
    clock.advance(80);
    EXPECT_EQ(GetSoundElapsedMs(), 50u);
    EXPECT_EQ(GetNotedSoundElapsedMs(), 50u);
}

TEST_F(SoundFunctionsTest, SpeakingCountsOnlyWithoutADevice)
{
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    ASSERT_EQ(theSpeechEngine->Init(), 0);
    ASSERT_EQ(theSpeechEngine->SelectVoice({}), 0);
    // Speech into a mixer that stands still, on a clock that does not wait for its end.
    lumivo::audio::mixer().setPaused(true);
    const lumivo::clock::TestClock clock;
    ASSERT_EQ(theSpeechEngine->Speak(QStringLiteral("hund")), speakDone);
    EXPECT_TRUE(IsSoundPlaying());
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    EXPECT_FALSE(IsSoundPlaying());
}

TEST_F(SoundFunctionsTest, ModelOneOwnsItsSamplesAndNotesTheEnd)
{
    theSoundModel = 1;
    {
        const WaveBlock sound = pcm(8, 22050, 2, 22050 / 5); // 200 ms, converted on the way
        PlaySoundData(sound);
    }
    ASSERT_TRUE(IsSoundPlaying()) << lumivo::audio::lastError().toStdString();
    const std::uint32_t started = CurrentSoundTick();
    PlaySoundData(pcm(16, 44100, 1, 44100)); // refused while the first one plays
    while (IsSoundPlaying() && CurrentSoundTick() - started < 3000)
        QThread::msleep(10);
    EXPECT_FALSE(IsSoundPlaying());
    EXPECT_EQ(theWaveOutHandle, 0u);
    // The last-sound tick is the end of the sound (200 ms in), not the moment it was asked about.
    EXPECT_NEAR(double(theLastSoundTick - started), 200.0, 100.0);
}

TEST_F(SoundFunctionsTest, ModelTwoWaitsAtMostTwoSeconds)
{
    theSoundModel = 2;
    int idleCalls = 0;
    const auto idle = theSoundWaitIdleHook.scoped([&idleCalls] { ++idleCalls; });
    // The bound is kept by ticks: on a test clock the wait takes no real time.
    const lumivo::clock::TestClock testClock;
    const std::uint32_t start = CurrentSoundTick();
    PlaySoundData(pcm(16, 44100, 1, 44100 * 4));
    const std::uint32_t waited = CurrentSoundTick() - start;
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 3500u);
    EXPECT_GT(idleCalls, 0);
    EXPECT_FALSE(IsSoundPlaying());
    EXPECT_LT(GetSoundElapsedMs(), 200u);
}

TEST_F(SoundFunctionsTest, SoundModelComesFromTheSettingsOnce)
{
    auto& settings = lumivo::registry::registry();
    const QString key = QStringLiteral("SOFTWARE\\halvorix\\Lumivo\\2.0");
    ASSERT_TRUE(settings.createKey(lumivo::registry::Root::LocalMachine, key));
    ASSERT_TRUE(settings.writeValue(lumivo::registry::Root::LocalMachine, key, QStringLiteral("SoundModel"),
                                    lumivo::registry::Value::binary(QByteArray("\x01\0\0\0", 4))));
    InitSoundModel();
    EXPECT_EQ(theSoundModel, 1);
    theSoundModel = 3;
    InitSoundModel();
    EXPECT_EQ(theSoundModel, 3);
}

TEST_F(SoundFunctionsTest, ModelThreeGivesTheDeviceAnyBlockAsItsOwnSamples)
{
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    lumivo::audio::mixer().setPaused(true);
    PlaySoundData(pcm(8, 22050, 2, 22050));
    ASSERT_TRUE(theSoundDevice->GetSample());
    EXPECT_EQ(theSoundDevice->GetSample()->size(), 44100u);
    EXPECT_TRUE(IsSoundPlaying()) << lumivo::audio::lastError().toStdString();
    StopSound();
    EXPECT_FALSE(IsSoundPlaying());
}
