#include "media/SoundDevice.h"
#include "media/SoundFunctions.h"
#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"
#include "platform/wave/Riff.h"
#include "system/SystemSettings.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstdint>

using namespace lumivo;
using namespace lumivo::test;

namespace
{

void writeBytesTo(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

audio::Samples ramp(std::size_t count)
{
    audio::Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(1 + i % 30000);
    return samples;
}

} // namespace

class SoundDeviceTest : public LumivoTest
{
};

TEST_F(SoundDeviceTest, InitSoundMakesOneDeviceAndCloseSoundRemovesIt)
{
    EXPECT_FALSE(theSoundDevice);
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    CSoundDevice* first = theSoundDevice.get();
    ASSERT_TRUE(first);
    EXPECT_EQ(CSoundDevice::InitSound(), 0);
    EXPECT_EQ(theSoundDevice.get(), first);
    EXPECT_FALSE(first->IsPlaying());
    EXPECT_EQ(CSoundDevice::CloseSound(), 0);
    EXPECT_FALSE(theSoundDevice);
    EXPECT_FALSE(audio::isOutputOpen());
}

// An authoring tool's device lives through a shutdown and reopening of the audio output.
TEST_F(SoundDeviceTest, TheCompressorFlagHoldsThroughAShutdownAndReopening)
{
    CSoundDevice own;
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    own.SetCompressor(true);
    EXPECT_TRUE(audio::mixer().isCompressorEnabled());
    CSoundDevice::CloseSound();
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    EXPECT_EQ(own.IsCompressorOn(), audio::mixer().isCompressorEnabled());
    own.SetCompressor(true);
    EXPECT_TRUE(audio::mixer().isCompressorEnabled()) << "switching it on again is not skipped";
    theSoundDevice->SetCompressor(false);
    EXPECT_FALSE(own.IsCompressorOn()) << "one state for every device";
    CSoundDevice::CloseSound();
}

TEST_F(SoundDeviceTest, ErrorTextsOfTheSoundLayer)
{
    EXPECT_EQ(CSoundDevice::GetFmodErrorText(0), "No errors");
    EXPECT_EQ(CSoundDevice::GetFmodErrorText(soundNoMemory), "Not enough memory ");
    EXPECT_EQ(CSoundDevice::GetFmodErrorText(18), "Required Mediaplayer codec is not installed");
    EXPECT_EQ(CSoundDevice::GetFmodErrorText(19), "Unknown error");
    EXPECT_EQ(CSoundDevice::GetFmodErrorText(-1), "Unknown error");
}

TEST_F(SoundDeviceTest, PlayingUnderTheDiskDriverWritesTheSamplesFrames)
{
    const QString output = tempPath("out.raw");
    useDiskAudio(output);
    const audio::Samples sample = ramp(11025);
    wave::WaveBlock block(wave::WaveFormat::pcm(1, 44100, 16),
                          reinterpret_cast<const std::uint8_t*>(sample.data()), sample.size() * 2);
    CSoundDevice device;
    ASSERT_EQ(device.LoadFromWaveData(&block), 0);
    EXPECT_EQ(device.GetLengthMs(), 250u);
    EXPECT_EQ(device.Play(), 0);
    EXPECT_TRUE(device.IsPlaying());
    // The mixer, not the device's computed end, says when the last frame has left: a late audio thread
    // on a busy machine must not make the device cut the sound short here.
    ASSERT_TRUE(waitFor([] { return !audio::mixer().isPlaying(1); }));
    audio::shutdown(); // the driver writes each mixed period before the device closes

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    EXPECT_TRUE(written.contains(sampleBytes(sample)));
}

TEST_F(SoundDeviceTest, IsPlayingEndsAtTheEndTickEvenWhenTheMixerHoldsTheSound)
{
    CSoundDevice device;
    EXPECT_FALSE(device.IsPlaying());                   // never played
    const audio::Samples sample = sine(0.5, 440, 4410); // 100 ms
    wave::WaveBlock block(wave::WaveFormat::pcm(1, 44100, 16),
                          reinterpret_cast<const std::uint8_t*>(sample.data()), sample.size() * 2);
    ASSERT_EQ(device.LoadFromWaveData(&block), 0);
    audio::mixer().setPaused(true); // the mixer never reaches the end of the sound
    clock::TestClock testClock;
    device.Play();
    testClock.advance(200); // the sound's 100 ms and the grace after it
    EXPECT_TRUE(device.IsPlaying());
    testClock.advance(1);
    EXPECT_FALSE(device.IsPlaying());
}

TEST_F(SoundDeviceTest, AnySoundIsHeldAt44100MonoSoSavedBlocksTellTheTruth)
{
    // One second of 8-bit stereo at 22,050 Hz.
    QByteArray data;
    for (int i = 0; i < 22050; ++i) {
        // 8-bit samples are unsigned bytes around 128.
        const auto sample = static_cast<std::uint8_t>(128 + 60 * std::sin(i * 0.1));
        data.append(static_cast<char>(sample));
        data.append(static_cast<char>(sample));
    }
    const QString path = tempPath("word.wav");
    writeBytesTo(path, makeWaveFile(data, 2, 22050, 8));
    CSoundDevice device;
    ASSERT_EQ(device.Load(path), 0);
    EXPECT_NEAR(device.GetLengthMs(), 1000.0, 5.0);
    wave::WaveBlock saved;
    ASSERT_EQ(CSoundDevice::SampleToWaveData(device.GetSample(), saved), 0);
    EXPECT_EQ(saved.samplesPerSec(), 44100u);
    EXPECT_EQ(saved.channels(), 1);
    EXPECT_NEAR(static_cast<double>(saved.durationMs()), 1000.0, 5.0);

    // The raw path converts by the block's header too.
    wave::WaveBlock raw(wave::WaveFormat::pcm(2, 22050, 8),
                        reinterpret_cast<const std::uint8_t*>(data.constData()),
                        static_cast<std::size_t>(data.size()));
    ASSERT_EQ(device.LoadWaveData(raw), 0);
    EXPECT_NEAR(device.GetLengthMs(), 1000.0, 5.0);

    EXPECT_EQ(device.Load(tempPath("missing.wav")), soundFileNotFound);
    writeBytesTo(tempPath("junk.wav"), QByteArray(500, 'j'));
    EXPECT_EQ(device.Load(tempPath("junk.wav")), soundUnknownFormat);
    EXPECT_FALSE(device.GetSample());
    EXPECT_EQ(device.LoadFromWaveData(nullptr), -1);
    EXPECT_EQ(CSoundDevice::SampleToWaveData(nullptr, saved), -1);
    EXPECT_TRUE(saved.isNull());
}

TEST_F(SoundDeviceTest, RecordingStopsItselfAtTheLimit)
{
    const audio::Samples input = ramp(500000);
    writeBytesTo(tempPath("in.raw"), sampleBytes(input));
    useDiskAudio("/dev/null", tempPath("in.raw"), true);
    theBaseDir = tempDir();
    CSoundDevice device;
    ASSERT_EQ(device.StartRecording(), 0);
    EXPECT_TRUE(device.IsRecording());
    ASSERT_TRUE(waitFor([&] { return !device.IsRecording(); }));
    ASSERT_TRUE(device.GetSample());
    ASSERT_EQ(device.GetSample()->size(), CSoundDevice::kRecordLimit);
    EXPECT_TRUE(std::equal(device.GetSample()->begin(), device.GetSample()->end(), input.begin()));
    EXPECT_FALSE(device.IsRecording());
}

TEST_F(SoundDeviceTest, StopCutsARecordingToWhatWasRecorded)
{
    const audio::Samples input = ramp(500000);
    writeBytesTo(tempPath("in.raw"), sampleBytes(input));
    useDiskAudio("/dev/null", tempPath("in.raw")); // paced in real time
    theBaseDir = tempDir();
    CSoundDevice device;
    ASSERT_EQ(device.StartRecording(), 0);
    EXPECT_EQ(device.GetFileName(), tempPath("Temp/Sound.tmp"));
    ASSERT_TRUE(waitFor([&] { return device.GetRecordPosition() >= 4410; }));
    EXPECT_TRUE(device.IsRecording());
    const std::size_t seen = device.GetRecordPosition();
    device.Stop();
    EXPECT_FALSE(device.IsRecording());
    EXPECT_EQ(device.GetRecordPosition(), 0u);
    ASSERT_TRUE(device.GetSample());
    const std::size_t recorded = device.GetSample()->size();
    EXPECT_GE(recorded, seen);
    EXPECT_LT(recorded, CSoundDevice::kRecordLimit);
    EXPECT_TRUE(std::equal(device.GetSample()->begin(), device.GetSample()->end(), input.begin()));
}

TEST_F(SoundDeviceTest, StartRecordingFailsWithoutACaptureDevice)
{
    useDiskAudio("/dev/null", tempPath("missing/in.raw"));
    theBaseDir = tempDir();
    CSoundDevice device;
    EXPECT_EQ(device.StartRecording(), -1);
    EXPECT_FALSE(device.IsRecording());
    EXPECT_FALSE(device.GetSample());
}

TEST_F(SoundDeviceTest, SaveWavFileWritesACanonicalHeaderAndTheSamples)
{
    CSoundDevice device;
    const audio::Samples sample = ramp(1001);
    EXPECT_EQ(device.SaveWavFile(&sample), -1); // no file name yet
    device.SetFileName(tempPath("no-folder/x.wav"));
    EXPECT_EQ(device.SaveWavFile(&sample), -4);
    device.SetFileName(tempPath("x.wav"));
    EXPECT_EQ(device.SaveWavFile(nullptr), -1);
    ASSERT_EQ(device.SaveWavFile(&sample), 0);

    QFile file(tempPath("x.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 44 + 2002);
    const auto u32 = [&bytes](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    EXPECT_EQ(u32(4), 2038u);
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 88200u);
    EXPECT_EQ(u32(40), 2002u);
    EXPECT_EQ(bytes.mid(44), sampleBytes(sample));
    wave::WaveBlock back;
    EXPECT_EQ(wave::readWaveFile(tempPath("x.wav"), back), 2002);
}

TEST_F(SoundDeviceTest, SoundModelThreePlaysThroughTheProgramsDevice)
{
    const audio::Samples sample = sine(0.5, 440, 22050);
    const WaveBlock block(wave::WaveFormat::pcm(1, 44100, 16),
                          reinterpret_cast<const std::uint8_t*>(sample.data()), sample.size() * 2);
    PlaySoundData(block); // no device yet: nothing plays
    EXPECT_FALSE(IsSoundPlaying());
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    // Held where it is, so that a slow machine cannot let the sound end before it is asked about.
    audio::mixer().setPaused(true);
    clock::TestClock testClock;
    PlaySoundData(block);
    EXPECT_TRUE(theSoundDevice->IsPlaying());
    EXPECT_TRUE(IsSoundPlaying());
    EXPECT_EQ(GetSoundElapsedMs(), 0u);
    StopSound();
    EXPECT_FALSE(IsSoundPlaying());
    CSoundDevice::CloseSound();
    PlaySoundData(block); // closed: no device plays it
    EXPECT_FALSE(IsSoundPlaying());
}
