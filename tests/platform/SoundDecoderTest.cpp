#include "platform/wave/SoundDecoder.h"
#include "platform/audio/Decode.h"
#include "platform/wave/Mp3.h"
#include "platform/wave/PcmConverter.h"
#include "platform/wave/Riff.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include <cmath>
#include <cstring>

using namespace lumivo;
using lumivo::test::LumivoTest;

namespace
{

class SoundDecoderTest : public LumivoTest
{
};

std::vector<std::uint8_t> littleEndian(const std::vector<std::int32_t>& values, int width)
{
    std::vector<std::uint8_t> bytes;
    for (std::int32_t value : values)
        for (int b = 0; b < width; ++b)
            bytes.push_back(std::uint8_t(std::uint32_t(value) >> (8 * b)));
    return bytes;
}

// `frames` frames of 16-bit PCM in which channel c holds values[c] throughout.
std::vector<std::uint8_t> steadyFrames(const std::vector<std::int32_t>& values, int frames)
{
    std::vector<std::int32_t> all;
    for (int f = 0; f < frames; ++f)
        all.insert(all.end(), values.begin(), values.end());
    return littleEndian(all, 2);
}

std::vector<std::uint8_t> riffOf(int channels, int rate, std::vector<std::uint8_t> samples)
{
    return wave::toRiff(wave::WaveBlock(wave::WaveFormat::pcm(channels, rate, 16), std::move(samples)));
}

} // namespace

TEST_F(SoundDecoderTest, OnlyTheOpenDecoderTakesFormatsOtherThanWave)
{
    std::vector<std::int32_t> tone(22050);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = std::int32_t(std::lround(12000 * std::sin(0.06 * double(i))));
    const wave::WaveBlock pcm(wave::WaveFormat::pcm(1, 22050, 16), littleEndian(tone, 2));
    std::vector<std::uint8_t> mp3;
    ASSERT_GT(wave::encodeMp3(pcm, {2, 64, wave::Mp3Mode::Mono}, mp3), 0);

    const wave::DecodedSound any = wave::decodeSoundBytes(mp3.data(), mp3.size(), {1, 44100, false});
    ASSERT_TRUE(any.ok) << any.error.toStdString();
    EXPECT_NEAR(double(any.samples.size()), 44100.0, 3000.0);
    EXPECT_TRUE(audio::decodeSound(mp3.data(), mp3.size()));

    const wave::DecodedSound waveOnly = wave::decodeSoundBytes(mp3.data(), mp3.size(), {1, 44100, true});
    EXPECT_FALSE(waveOnly.ok);
    EXPECT_FALSE(waveOnly.error.isEmpty());
    EXPECT_FALSE(waveOnly.outOfMemory);

    const std::vector<std::uint8_t> riff = wave::toRiff(pcm);
    EXPECT_TRUE(wave::decodeSoundBytes(riff.data(), riff.size(), {1, 44100, true}).ok);
}

TEST_F(SoundDecoderTest, StereoBecomesTheMeanAndMonoBecomesEqualPairs)
{
    const std::vector<std::uint8_t> stereo = riffOf(2, 44100, steadyFrames({1000, -301}, 100));
    const wave::DecodedSound mono = wave::decodeSoundBytes(stereo.data(), stereo.size(), {1, 44100, true});
    ASSERT_TRUE(mono.ok) << mono.error.toStdString();
    ASSERT_EQ(mono.samples.size(), 100u);
    EXPECT_NEAR(mono.samples[50], 349.5, 0.5);

    const std::vector<std::uint8_t> single = riffOf(1, 44100, steadyFrames({-1234}, 100));
    const wave::DecodedSound pairs = wave::decodeSoundBytes(single.data(), single.size(), {2, 44100, true});
    ASSERT_TRUE(pairs.ok) << pairs.error.toStdString();
    ASSERT_EQ(pairs.samples.size(), 200u);
    EXPECT_EQ(pairs.samples[100], -1234);
    EXPECT_EQ(pairs.samples[101], -1234);

    // The block form and the sample form of the conversion agree to the byte.
    const wave::WaveBlock block(wave::WaveFormat::pcm(2, 22050, 8), std::vector<std::uint8_t>(400, 0xC0));
    wave::WaveBlock converted;
    std::vector<std::int16_t> samples;
    ASSERT_EQ(wave::convertToPcm16(block, 1, converted), wave::convertOk);
    ASSERT_EQ(wave::convertToSamples16(block, 1, samples), wave::convertOk);
    ASSERT_EQ(converted.sampleBytes(), samples.size() * 2);
    EXPECT_EQ(std::memcmp(converted.samples(), samples.data(), converted.sampleBytes()), 0);
    EXPECT_EQ(samples[100], 64 * 256);
}

TEST_F(SoundDecoderTest, PcmOfEveryWidthAndAnyChannelCountReachesTheMixersFormat)
{
    const std::vector<std::uint8_t> eight{0, 128, 255, 200};
    const auto fromEight = audio::convertPcm(eight.data(), eight.size(), {1, 8, 44100, false});
    ASSERT_TRUE(fromEight);
    EXPECT_EQ(*fromEight, (audio::Samples{-32768, 0, 32512, 18432}));

    const std::vector<std::uint8_t> wide = littleEndian({0x123456, -0x400000}, 3);
    const auto fromWide = audio::convertPcm(wide.data(), wide.size(), {1, 24, 44100, false});
    ASSERT_TRUE(fromWide);
    EXPECT_EQ(*fromWide, (audio::Samples{0x1234, -0x4000}));

    std::vector<std::uint8_t> floats(8);
    const float values[2] = {-0.25f, 1.5f};
    std::memcpy(floats.data(), values, sizeof values);
    const auto fromFloat = audio::convertPcm(floats.data(), floats.size(), {1, 32, 44100, true});
    ASSERT_TRUE(fromFloat);
    EXPECT_EQ(*fromFloat, (audio::Samples{-8192, 32767})); // beyond full scale is clipped

    // More channels than have names are mixed with equal weights, as few as have names are mixed too.
    for (int channels : {3, 6, 9, 13, 32}) {
        SCOPED_TRACE(channels);
        std::vector<std::int32_t> frame(std::size_t(channels), 0);
        frame[0] = 8000;
        const std::vector<std::uint8_t> bytes = steadyFrames(frame, 441);
        const auto mixed = audio::convertPcm(bytes.data(), bytes.size(), {channels, 16, 44100, false});
        ASSERT_TRUE(mixed);
        ASSERT_EQ(mixed->size(), 441u);
        EXPECT_GT((*mixed)[200], 0);
        if (channels > 8) {
            EXPECT_NEAR((*mixed)[200], 8000.0 / channels, 1.0);
        }
    }
}

TEST_F(SoundDecoderTest, ImplausibleRatesAreRefusedBeforeAnythingGrows)
{
    const std::vector<std::uint8_t> slow = riffOf(1, 500, steadyFrames({100}, 20000));
    const wave::DecodedSound fromSlow = wave::decodeSoundBytes(slow.data(), slow.size(), {1, 44100, false});
    EXPECT_FALSE(fromSlow.ok);
    EXPECT_FALSE(fromSlow.error.isEmpty());
    EXPECT_TRUE(fromSlow.samples.empty());

    const std::vector<std::uint8_t> good = riffOf(1, 22050, steadyFrames({100}, 2000));
    for (int target : {0, 5, 999, 1000000}) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(wave::decodeSoundBytes(good.data(), good.size(), {1, target, false}).ok);
    }
    const wave::DecodedSound none = wave::decodeSoundBytes(nullptr, 0, {});
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.outOfMemory);

    const audio::Samples tone(1000, 500);
    EXPECT_NEAR(double(audio::resampleTo44k(tone, 22050).size()), 2000.0, 8.0);
    EXPECT_EQ(audio::resampleTo44k(tone, 44100), tone);
    EXPECT_TRUE(audio::resampleTo44k(tone, 2).empty());
}

TEST_F(SoundDecoderTest, WaveFilesOfOtherProgramsReachTheDeviceAtTheirLevelAndLength)
{
    // Extensible 24-in-32, sox's default 32-bit extensible written to a pipe, and a header that lies.
    const QString extensible = tempPath(QStringLiteral("24in32.wav"));
    const QString piped = tempPath(QStringLiteral("piped.wav"));
    ASSERT_TRUE(test::makeExtensible24In32Wave(extensible));
    ASSERT_TRUE(test::runTool(
        "sox", {"-n", "-r", "48000", "-t", "wav", "-", "synth", "0.1", "sine", "441", "vol", "0.5"}, piped));
    for (const QString& path : {extensible, piped}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        const auto samples = audio::decodeSoundFile(path, &error);
        ASSERT_TRUE(samples) << error.toStdString();
        EXPECT_NEAR(double(samples->size()), 4410.0, 10.0);
        int peak = 0;
        for (std::int16_t sample : *samples)
            peak = std::max(peak, std::abs(int(sample)));
        EXPECT_NEAR(peak / 32768.0, 0.5, 0.03);
    }
    std::vector<std::uint8_t> lying = riffOf(1, 44100, steadyFrames({100}, 100));
    lying[22] = 0xFF; // 65,535 channels
    lying[23] = 0xFF;
    QString error;
    EXPECT_FALSE(audio::decodeSound(lying.data(), lying.size(), &error));
    EXPECT_FALSE(error.isEmpty());
}
