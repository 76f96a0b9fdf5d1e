#include "platform/audio/Audio.h"
#include "platform/audio/Capture.h"
#include "platform/audio/Compressor.h"
#include "platform/audio/Decode.h"
#include "platform/types/Clock.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

#include <csignal>

using namespace lumivo::audio;
using lumivo::test::LumivoTest;
using namespace lumivo::test;

namespace
{

Samples readRawSamples(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    Samples samples(static_cast<std::size_t>(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

Samples ramp(std::size_t count)
{
    Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(1000 + i % 20000);
    return samples;
}

} // namespace

class AudioTest : public LumivoTest
{
};

TEST_F(AudioTest, DiskDriverReceivesEveryFrameOfThePlayedSample)
{
    const QString output = tempPath("out.raw");
    useDiskAudio(output);
    const Samples sample = ramp(4410);
    mixer().setPaused(true); // it cannot end before it is seen playing
    const int channel = playSamples(std::make_shared<const Samples>(sample));
    ASSERT_GT(channel, 0) << lastError().toStdString();
    EXPECT_TRUE(mixer().isPlaying(channel));
    mixer().setPaused(false);
    ASSERT_TRUE(waitUntilDone(channel, kGenerousWaitMs));
    shutdown();

    const Samples written = readRawSamples(output);
    const auto first = std::find_if(written.begin(), written.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_GE(written.end() - first, static_cast<std::ptrdiff_t>(sample.size()));
    EXPECT_TRUE(std::equal(sample.begin(), sample.end(), first));
    EXPECT_TRUE(std::all_of(first + static_cast<std::ptrdiff_t>(sample.size()), written.end(),
                            [](std::int16_t s) { return s == 0; }));
}

// The program ends on SIGTERM and SIGINT through its own handling; SDL's would swallow them (it only
// queues a quit event nobody reads), so a logout could not end the program while a message waits.
TEST_F(AudioTest, OpeningTheOutputLeavesTheTerminationSignalsAlone)
{
    shutdown();
    struct sigaction before = {};
    for (const int signal : {SIGTERM, SIGINT}) {
        ASSERT_EQ(sigaction(signal, nullptr, &before), 0);
        ASSERT_EQ(before.sa_handler, SIG_DFL) << signal;
    }
    ASSERT_TRUE(openOutput()) << lastError().toStdString();
    for (const int signal : {SIGTERM, SIGINT}) {
        struct sigaction after = {};
        ASSERT_EQ(sigaction(signal, nullptr, &after), 0);
        EXPECT_EQ(after.sa_handler, SIG_DFL) << signal;
    }
    shutdown();
}

TEST_F(AudioTest, MixerSumsChannelsAndEndsEachAfterItsLastSample)
{
    Mixer m;
    const int a = m.play(std::make_shared<const Samples>(Samples(300, 100)));
    const int b = m.play(std::make_shared<const Samples>(Samples(100, -40)));
    ASSERT_NE(a, b);
    Samples out(256);
    m.mix(out.data(), out.size());
    EXPECT_EQ(out[0], 60);
    EXPECT_EQ(out[99], 60);
    EXPECT_EQ(out[100], 100);
    EXPECT_TRUE(m.isPlaying(a));
    EXPECT_FALSE(m.isPlaying(b));
    EXPECT_EQ(m.position(a), 256u);
    m.mix(out.data(), out.size());
    EXPECT_EQ(out[43], 100);
    EXPECT_EQ(out[44], 0);
    EXPECT_FALSE(m.isPlaying(a));

    // A sound on an occupied channel replaces what played there, and the old handle no longer
    // reaches the channel; an empty sound never plays.
    const int first = m.play(std::make_shared<const Samples>(Samples(10, 7)), 5);
    EXPECT_EQ(Mixer::channelOf(first), 5);
    const int second = m.play(std::make_shared<const Samples>(Samples(10, 9)), 5);
    EXPECT_EQ(Mixer::channelOf(second), 5);
    EXPECT_FALSE(m.isPlaying(first));
    m.stop(first);
    EXPECT_TRUE(m.isPlaying(second));
    EXPECT_TRUE(m.isPlaying(5));
    m.mix(out.data(), 10);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(m.play(std::make_shared<const Samples>()), -1);
}

// A recording's hiss before the word is not its start; the mixer notes the period that carries the
// word out, and keeps that after the sound ends until its channel plays another.
TEST_F(AudioTest, MixerNotesWhenASoundIsFirstHeardPastItsSilenceAndHiss)
{
    Samples recording(1024, 0);
    for (std::size_t i = 300; i < 600; ++i)
        recording[i] = static_cast<std::int16_t>(i % 2 ? 400 : -400);
    recording.resize(1124, 12000);
    EXPECT_EQ(audibleStart(recording), 1024u);
    EXPECT_EQ(audibleStart(Samples(500, 0)), 500u);
    EXPECT_EQ(audibleStart(Samples(500, 60)), 500u) << "below the floor, even as its own peak";

    lumivo::clock::TestClock clock(5000);
    Mixer m;
    const int handle = m.play(std::make_shared<const Samples>(recording));
    Samples out(256);
    for (int period = 0; period < 4; ++period) {
        m.mix(out.data(), out.size());
        EXPECT_EQ(m.heardTick(handle), 0u) << period;
        clock.advance(6);
    }
    m.mix(out.data(), out.size()); // samples 1024 to 1279: the word
    EXPECT_EQ(m.heardTick(handle), 5024u);
    clock.advance(6);
    m.mix(out.data(), out.size());
    EXPECT_FALSE(m.isPlaying(handle));
    EXPECT_EQ(m.heardTick(handle), 5024u);

    const int silent = m.play(std::make_shared<const Samples>(Samples(300, 0)), Mixer::channelOf(handle));
    EXPECT_EQ(m.heardTick(handle), 0u) << "the channel plays another sound";
    m.mix(out.data(), out.size());
    m.mix(out.data(), out.size());
    EXPECT_EQ(m.heardTick(silent), 0u);
}

TEST_F(AudioTest, StreamedSoundPlaysAsItArrivesAndEndsOnlyWhenFinished)
{
    Mixer m;
    auto stream = std::make_shared<SampleStream>();
    const int channel = m.play(stream);
    Samples out(64);
    m.mix(out.data(), out.size());
    EXPECT_TRUE(m.isPlaying(channel)); // nothing yet, but more may come
    const Samples part(40, 5);
    stream->append(part.data(), part.size());
    m.mix(out.data(), out.size());
    EXPECT_EQ(out[39], 5);
    EXPECT_EQ(out[40], 0);
    EXPECT_TRUE(m.isPlaying(channel));
    stream->finish();
    m.mix(out.data(), out.size());
    EXPECT_FALSE(m.isPlaying(channel));
}

TEST_F(AudioTest, MixedOverloadIsClippedNotWrapped)
{
    Mixer m;
    m.play(std::make_shared<const Samples>(Samples(8, 30000)));
    m.play(std::make_shared<const Samples>(Samples(8, 30000)));
    Samples out(8);
    m.mix(out.data(), out.size());
    EXPECT_EQ(out[0], 32767);
}

TEST_F(AudioTest, CompressorHoldsDownALoudPeakAndLiftsAQuietSoundUnchangedInShape)
{
    Compressor loudCompressor;
    Samples loud = sine(1.0, 440, kSampleRate / 4);
    loudCompressor.process(loud.data(), loud.size());
    const int loudPeak = peakOf(loud.data() + 2000, loud.size() - 2000);
    EXPECT_LT(loudPeak, 32767 / 2); // full scale is brought down by more than 6 dB

    Compressor quietCompressor;
    const Samples quietInput = sine(0.01, 440, kSampleRate / 4);
    Samples quiet = quietInput;
    quietCompressor.process(quiet.data(), quiet.size());
    const double gain = std::pow(10.0, 10.0 / 20.0);
    for (std::size_t i = 0; i < quiet.size(); i += 97)
        EXPECT_NEAR(quiet[i], quietInput[i] * gain, 1.0);
}

TEST_F(AudioTest, MixerCompressesOnlyWhileTheCompressorIsOn)
{
    Mixer m;
    Samples out(4096);
    m.play(std::make_shared<const Samples>(sine(1.0, 440, 4096)));
    m.mix(out.data(), out.size());
    EXPECT_GT(peakOf(out), 32000);
    m.setCompressorEnabled(true);
    m.play(std::make_shared<const Samples>(sine(1.0, 440, 4096)));
    m.mix(out.data(), out.size());
    EXPECT_LT(peakOf(out), 20000);
}

TEST_F(AudioTest, CaptureStopsAtItsLimitAndHandsOverWhatWasRecorded)
{
    const Samples input = ramp(30000);
    const QString inputFile = tempPath("in.raw");
    QFile file(inputFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sampleBytes(input));
    file.close();
    useDiskAudio(tempPath("out.raw"), inputFile, true);

    Capture capture;
    ASSERT_TRUE(capture.start(20000)) << capture.error().toStdString();
    EXPECT_TRUE(waitFor([&capture] { return capture.position() >= 20000; }));
    EXPECT_EQ(capture.position(), 20000u);
    const Samples recorded = capture.stop();
    ASSERT_EQ(recorded.size(), 20000u);
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), input.begin()));
    EXPECT_FALSE(capture.isRunning());
}

TEST_F(AudioTest, CaptureFailsWithAReasonWhenNoDeviceOpens)
{
    useDiskAudio(tempPath("out.raw"), tempPath("missing/in.raw"));
    Capture capture;
    EXPECT_FALSE(capture.start(1000));
    EXPECT_FALSE(capture.error().isEmpty());
    EXPECT_FALSE(capture.isRunning());
    EXPECT_TRUE(capture.stop().empty());
}

TEST_F(AudioTest, DecodingBringsAnyPcmFileToMonoAt44100)
{
    // 8-bit stereo at 22,050 Hz: left at +64, right at -64 around the centre 128, so the mix is 0.
    QByteArray data;
    for (int i = 0; i < 2205; ++i) {
        data.append(static_cast<char>(192));
        data.append(static_cast<char>(64));
    }
    QString error;
    auto samples =
        decodeSound(reinterpret_cast<const std::uint8_t*>(makeWaveFile(data, 2, 22050, 8).constData()),
                    static_cast<std::size_t>(makeWaveFile(data, 2, 22050, 8).size()), &error);
    ASSERT_TRUE(samples) << error.toStdString();
    EXPECT_NEAR(static_cast<double>(samples->size()), 4410.0, 64.0);
    EXPECT_LT(peakOf(*samples), 300);

    const Samples tone = sine(0.5, 440, 22050, 22050);
    auto converted = convertPcm(reinterpret_cast<const std::uint8_t*>(tone.data()), tone.size() * 2,
                                PcmFormat{1, 16, 22050, false});
    ASSERT_TRUE(converted);
    EXPECT_NEAR(static_cast<double>(converted->size()), 44100.0, 64.0);
    EXPECT_NEAR(peakOf(*converted), 16383, 500);
}

TEST_F(AudioTest, DecodingRejectsWhatIsNotASound)
{
    const QByteArray junk(1000, 'x');
    QString error;
    EXPECT_FALSE(decodeSound(reinterpret_cast<const std::uint8_t*>(junk.constData()), junk.size(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(decodeSound(nullptr, 0));
    EXPECT_FALSE(decodeSoundFile(tempPath("none.wav")));
    EXPECT_FALSE(convertPcm(reinterpret_cast<const std::uint8_t*>(junk.constData()), junk.size(),
                            PcmFormat{0, 16, 44100, false}));
    EXPECT_FALSE(convertPcm(reinterpret_cast<const std::uint8_t*>(junk.constData()), junk.size(),
                            PcmFormat{1, 12, 44100, false}));

    // A damaged header's rate of a few hertz would blow a few bytes up into gigabytes.
    const QByteArray lowRate = makeWaveFile(QByteArray(200000, '\x10'), 1, 2, 16);
    EXPECT_FALSE(decodeSound(reinterpret_cast<const std::uint8_t*>(lowRate.constData()),
                             static_cast<std::size_t>(lowRate.size())));
    EXPECT_FALSE(convertPcm(reinterpret_cast<const std::uint8_t*>(junk.constData()), junk.size(),
                            PcmFormat{1, 16, 2, false}));
}

TEST_F(AudioTest, PlayingAWaveFileInMemoryStartsAtOnce)
{
    const QByteArray wave = makeWaveFile(sampleBytes(sine(0.5, 440, 4410)), 1, 44100, 16);
    const int channel = playWave(wave);
    ASSERT_GT(channel, 0) << lastError().toStdString();
    EXPECT_TRUE(waitUntilDone(channel, kGenerousWaitMs));
    EXPECT_EQ(playWave(QByteArray("RIFF")), -1);
}
