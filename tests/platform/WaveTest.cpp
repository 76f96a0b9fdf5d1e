#include "platform/wave/Mp3.h"
#include "platform/wave/PcmConverter.h"
#include "platform/wave/Riff.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"

#include <cmath>

using namespace lumivo::wave;
using lumivo::test::haveFfmpeg;
using lumivo::test::LumivoTest;
using lumivo::test::makeCodedWave;

namespace
{

// A tone as PCM of any width; odd sizes come from 8- and 24-bit mono with odd frame counts.
WaveBlock tone(int bits, int rate, int channels, int frames)
{
    const WaveFormat format = WaveFormat::pcm(channels, rate, bits);
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double value = std::sin(i * 0.05 * (c + 1)) * 0.5;
            if (bits == 8) {
                samples.push_back(std::uint8_t(128 + std::lround(value * 127)));
            } else {
                const std::int32_t v = std::int32_t(std::lround(value * ((1 << (bits - 1)) - 1)));
                for (int b = 0; b < bits / 8; ++b)
                    samples.push_back(std::uint8_t(v >> (8 * b)));
            }
        }
    }
    return WaveBlock(format, std::move(samples));
}

WaveBlock pcm16(int channels, std::initializer_list<std::int16_t> values)
{
    std::vector<std::uint8_t> bytes;
    for (std::int16_t v : values) {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    }
    return WaveBlock(WaveFormat::pcm(channels, programSampleRate, 16), std::move(bytes));
}

std::int16_t sample16(const WaveBlock& block, std::size_t index)
{
    return std::int16_t(block.samples()[2 * index] | (block.samples()[2 * index + 1] << 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

void chunk(std::vector<std::uint8_t>& out, const char* id, std::vector<std::uint8_t> body,
           std::uint32_t claimed = 0)
{
    out.insert(out.end(), id, id + 4);
    put32(out, claimed ? claimed : std::uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1)
        out.push_back(0);
}

std::vector<std::uint8_t> riffOf(const std::vector<std::uint8_t>& chunks)
{
    std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
    put32(out, std::uint32_t(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

std::vector<std::uint8_t> format16(int channels, int rate, int bits)
{
    const WaveBlock block(WaveFormat::pcm(channels, rate, bits), nullptr, 0);
    return {block.bytes().begin(), block.bytes().begin() + 16};
}

} // namespace

class WaveTest : public LumivoTest
{
};

TEST_F(WaveTest, FilesRoundTripAtEveryWidthAndRate)
{
    for (int bits : {8, 16, 24}) {
        for (int rate : {22050, 44100}) {
            for (int channels : {1, 2}) {
                SCOPED_TRACE(testing::Message() << bits << " bits " << rate << " Hz " << channels);
                const WaveBlock original = tone(bits, rate, channels, 1001);
                const QString path = tempPath(QStringLiteral("tone.wav"));
                ASSERT_TRUE(writeWaveFile(path, original));
                std::vector<std::uint8_t> file;
                ASSERT_TRUE(lumivo::files::readWholeFile(path, file));
                EXPECT_EQ(file.size() % 2, 0u); // odd data is padded
                WaveBlock read;
                EXPECT_EQ(readWaveFile(path, read), int(original.sampleBytes()));
                EXPECT_EQ(read.bytes(), original.bytes());
            }
        }
    }
}

TEST_F(WaveTest, ReadsShortFormatsAndChunksInAnyOrder)
{
    std::vector<std::uint8_t> chunks;
    chunk(chunks, "LIST", {'I', 'N', 'F', 'O', 'x'}); // odd, padded
    chunk(chunks, "data", {1, 2, 3, 4});
    chunk(chunks, "fmt ", format16(1, 22050, 16));
    const auto riff = riffOf(chunks);
    WaveBlock block;
    ASSERT_EQ(readRiff(riff.data(), riff.size(), block), 4);
    EXPECT_EQ(block.size(), 18u + 4u);
    EXPECT_EQ(block.cbSize(), 0);
    EXPECT_EQ(block.samplesPerSec(), 22050u);
    EXPECT_EQ(block.samples()[3], 4);

    std::vector<std::uint8_t> extended;
    auto fmt = format16(1, 8000, 4);
    fmt.insert(fmt.end(), {2, 0, 0xF9, 0x01}); // cbSize 2 and two extra bytes
    chunk(extended, "fmt ", fmt);
    chunk(extended, "data", {9});
    const auto withExtra = riffOf(extended);
    ASSERT_EQ(readRiff(withExtra.data(), withExtra.size(), block), 1);
    EXPECT_EQ(block.cbSize(), 2);
    EXPECT_EQ(block.sampleOffset(), 20u);
    EXPECT_EQ(toRiff(block).size(), withExtra.size());
}

TEST_F(WaveTest, DamagedFilesGiveTheirCodesAndNoBlock)
{
    auto expectCode = [](const std::vector<std::uint8_t>& bytes, int code) {
        WaveBlock block = pcm16(1, {1});
        EXPECT_EQ(readRiff(bytes.data(), bytes.size(), block), code);
        EXPECT_TRUE(block.isNull());
    };
    std::vector<std::uint8_t> onlyData, onlyFormat, shortData, zeroChannels, hugeChunk;
    chunk(onlyData, "data", {1, 2});
    chunk(onlyFormat, "fmt ", format16(1, 44100, 16));
    chunk(shortData, "fmt ", format16(1, 44100, 16));
    chunk(shortData, "data", {1, 2}, 1000);
    chunk(zeroChannels, "fmt ", format16(0, 44100, 16));
    chunk(zeroChannels, "data", {1, 2});
    chunk(hugeChunk, "JUNK", {}, 0xFFFFFFF0u);
    chunk(hugeChunk, "fmt ", format16(1, 44100, 16));

    expectCode({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, riffNotWave);
    expectCode({}, riffNotWave);
    expectCode(riffOf(onlyData), riffNoFormat);
    expectCode(riffOf(zeroChannels), riffNoFormat);
    expectCode(riffOf(hugeChunk), riffNoFormat);
    expectCode(riffOf(onlyFormat), riffNoData);
    expectCode(riffOf(shortData), riffShortData);

    WaveBlock block;
    EXPECT_EQ(readWaveFile(tempPath(QStringLiteral("none.wav")), block), riffFileNotOpened);
    EXPECT_FALSE(writeWaveFile(tempPath(QStringLiteral("empty.wav")), WaveBlock()));
    EXPECT_FALSE(WaveBlock::fromBytes(pcm16(1, {}).bytes().data(), 17));
}

TEST_F(WaveTest, DurationIsSixtyFourBitAndZeroForEmptyHeaders)
{
    const WaveBlock second(WaveFormat::pcm(1, 44100, 16), std::vector<std::uint8_t>(88200));
    EXPECT_EQ(second.durationMs(), 1000u);
    const WaveBlock tenSeconds(WaveFormat::pcm(1, 44100, 16), std::vector<std::uint8_t>(882000));
    EXPECT_EQ(tenSeconds.durationMs(), 10000u);
    EXPECT_EQ(WaveBlock(WaveFormat::pcm(0, 44100, 16), std::vector<std::uint8_t>(100)).durationMs(), 0u);
    EXPECT_EQ(WaveBlock(WaveFormat::pcm(1, 0, 16), std::vector<std::uint8_t>(100)).durationMs(), 0u);
}

TEST_F(WaveTest, ConversionGivesANewBlockOfProgramPcm)
{
    const WaveBlock stereo = pcm16(2, {1000, 1000, -300, -100, 7, 8, 5}); // a stray byte pair at the end
    WaveBlock same;
    ASSERT_EQ(convertToPcm16(stereo, 2, same), convertOk);
    EXPECT_NE(same.samples(), stereo.samples());
    EXPECT_EQ(same.sampleBytes(), 12u);

    WaveBlock mono;
    ASSERT_EQ(convertToPcm16(stereo, 1, mono), convertOk);
    ASSERT_EQ(mono.sampleBytes(), 6u);
    EXPECT_EQ(mono.channels(), 1);
    EXPECT_EQ(sample16(mono, 0), 1000);
    EXPECT_EQ(sample16(mono, 1), -200);

    const WaveBlock eightBit = tone(8, 22050, 1, 22050);
    WaveBlock converted;
    ASSERT_EQ(convertToPcm16(eightBit, 2, converted), convertOk);
    EXPECT_TRUE(converted.format().isPcm16(44100, 2));
    EXPECT_NEAR(double(converted.sampleBytes()) / eightBit.sampleBytes(), 8.0, 0.05);
    EXPECT_NEAR(double(converted.durationMs()), 1000.0, 3.0);

    WaveBlock none = pcm16(1, {1});
    EXPECT_EQ(convertToPcm16(WaveBlock(), 1, none), convertNoInput);
    EXPECT_TRUE(none.isNull());
    WaveFormat unknown = WaveFormat::pcm(1, 8000, 16);
    unknown.formatTag = 0x7777;
    EXPECT_EQ(convertToPcm16(WaveBlock(unknown, std::vector<std::uint8_t>(64)), 1, none), convertFailed);
    EXPECT_TRUE(none.isNull());
}

TEST_F(WaveTest, ConvertsCompressedWaveFilesIncludingFourBitMonoAdpcm)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    for (const char* codec : {"adpcm_ima_wav", "adpcm_ms", "pcm_mulaw", "pcm_alaw", "pcm_u8", "pcm_f32le"}) {
        SCOPED_TRACE(codec);
        const QString path = tempPath(QStringLiteral("in.wav"));
        ASSERT_TRUE(makeCodedWave(path, QString::fromLatin1(codec), 11025, 0.5));
        WaveBlock source, converted;
        ASSERT_GT(readWaveFile(path, source), 0);
        ASSERT_EQ(convertToPcm16(source, 1, converted), convertOk);
        EXPECT_TRUE(converted.format().isPcm16(44100, 1));
        // Block codecs fill their last block with silence, so the result may run a little longer.
        EXPECT_GE(converted.durationMs(), 495u);
        EXPECT_LE(converted.durationMs(), 700u);
    }
}

TEST_F(WaveTest, Mp3KeepsDurationAndRateAndEncodesTwiceAlike)
{
    const WaveBlock original = tone(16, 22050, 1, 22050 + 333);
    std::vector<std::uint8_t> first, second;
    const Mp3EncoderSettings settings{2, 64, Mp3Mode::Mono};
    ASSERT_GT(encodeMp3(original, settings, first), 0);
    ASSERT_GT(encodeMp3(original, settings, second), 0);
    EXPECT_EQ(first, second);

    WaveBlock decoded;
    const int size = decodeMp3(first.data(), first.size(), 0, decoded);
    ASSERT_EQ(size, int(decoded.size()));
    EXPECT_EQ(decoded.samplesPerSec(), 22050u);
    EXPECT_EQ(decoded.channels(), 1);
    const long frames = long(decoded.sampleBytes() / 2);
    EXPECT_LE(std::labs(frames - (22050 + 333)), mp3FrameSamples);

    const WaveBlock stereo = tone(16, 44100, 2, 5000);
    ASSERT_GT(encodeMp3(stereo, {0, 128, Mp3Mode::Stereo}, first), 0);
    ASSERT_GT(decodeMp3(first.data(), first.size(), 0, decoded), 0);
    EXPECT_EQ(decoded.channels(), 2);
    EXPECT_EQ(decoded.samplesPerSec(), 44100u);
    EXPECT_LE(std::labs(long(decoded.sampleBytes() / 4) - 5000), mp3FrameSamples);
    ASSERT_GT(decodeMp3(first.data(), first.size(), 1, decoded), 0);
    EXPECT_EQ(decoded.channels(), 1);

    EXPECT_EQ(encodeMp3(tone(8, 22050, 1, 100), settings, first), mp3NotPcm16);
    EXPECT_TRUE(first.empty());
    const std::uint8_t junk[64] = {1, 2, 3};
    EXPECT_LT(decodeMp3(junk, sizeof junk, 0, decoded), 0);
    EXPECT_TRUE(decoded.isNull());
}

namespace
{

// The loudest sample, as a share of full scale.
double peakOf(const WaveBlock& block)
{
    int peak = 0;
    for (std::size_t i = 0; i < block.sampleBytes() / 2; ++i)
        peak = std::max(peak, std::abs(int(sample16(block, i))));
    return peak / 32768.0;
}

} // namespace

TEST_F(WaveTest, LinearPcmFromOtherProgramsKeepsItsLevelInEveryWidthAndLayout)
{
    using lumivo::test::runTool;
    struct Sample {
        QString name;
        QStringList soxFormat; // empty: made by Python
        int rate;
    };
    const std::vector<Sample> samples{
        {"u8.wav", {"-b", "8", "-e", "unsigned-integer"}, 8000},
        {"s16.wav", {"-b", "16", "-e", "signed-integer", "-c", "2"}, 22050},
        {"s24.wav", {"-b", "24", "-e", "signed-integer"}, 96000},
        {"s32.wav", {"-b", "32", "-e", "signed-integer", "-c", "6"}, 48000},
        {"f32.wav", {"-b", "32", "-e", "floating-point", "-c", "2"}, 44100},
        {"f64.wav", {"-b", "64", "-e", "floating-point"}, 32000},
        {"24in32.wav", {}, 48000},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name.toStdString());
        const QString path = tempPath(sample.name);
        if (sample.soxFormat.isEmpty()) {
            ASSERT_TRUE(lumivo::test::makeExtensible24In32Wave(path));
        } else {
            ASSERT_TRUE(runTool("sox", QStringList{"-n", "-r", QString::number(sample.rate)} +
                                           sample.soxFormat +
                                           QStringList{path, "synth", "0.1", "sine", "441", "vol", "0.5"}));
        }
        WaveBlock source, converted;
        ASSERT_GT(readWaveFile(path, source), 0);
        ASSERT_EQ(convertToPcm16(source, 1, converted), convertOk);
        EXPECT_TRUE(converted.format().isPcm16(44100, 1));
        EXPECT_NEAR(double(converted.durationMs()), 100.0, 3.0);
        // A header read as another format gives noise at full scale, or silence.
        EXPECT_NEAR(peakOf(converted), 0.5, 0.03);
    }
}

TEST_F(WaveTest, HeadersThatCannotBePlayedAreRefusedAndNothingEmptyIsConverted)
{
    const std::vector<std::uint8_t> samples(64, 0x10);
    auto readWith = [&](int channels, std::uint32_t rate, int bits) {
        std::vector<std::uint8_t> chunks;
        auto fmt = format16(channels, 44100, bits);
        for (int i = 0; i < 4; ++i)
            fmt[4 + i] = std::uint8_t(rate >> (8 * i));
        fmt[12] = std::uint8_t(channels * 2); // a block size that would pass on its own
        fmt[13] = std::uint8_t((channels * 2) >> 8);
        chunk(chunks, "fmt ", fmt);
        chunk(chunks, "data", samples);
        const auto riff = riffOf(chunks);
        WaveBlock block;
        const int read = readRiff(riff.data(), riff.size(), block);
        EXPECT_EQ(block.isNull(), read < 0);
        return read;
    };
    EXPECT_EQ(readWith(1, 0xFFFFFFFFu, 16), riffUnplayableFormat);
    EXPECT_EQ(readWith(1, 999, 16), riffUnplayableFormat);
    EXPECT_EQ(readWith(0xFFFF, 44100, 16), riffUnplayableFormat);
    EXPECT_EQ(readWith(9, 44100, 16), riffUnplayableFormat);
    EXPECT_EQ(readWith(1, 44100, 0), riffUnplayableFormat);
    EXPECT_EQ(readWith(8, 384000, 16), 64);

    // Widths the converter does not know, and blocks without a whole frame, give no sound at all.
    WaveBlock converted = pcm16(1, {1});
    for (int bits : {4, 12, 20}) {
        EXPECT_EQ(
            convertToPcm16(WaveBlock(WaveFormat::pcm(1, 22050, bits), std::vector<std::uint8_t>(samples)), 1,
                           converted),
            convertFailed);
        EXPECT_TRUE(converted.isNull());
    }
    EXPECT_EQ(convertToPcm16(pcm16(1, {}), 1, converted), convertFailed);
    EXPECT_EQ(convertToPcm16(WaveBlock(WaveFormat::pcm(2, 44100, 24), {1, 2, 3}), 1, converted),
              convertFailed);
    std::vector<std::int16_t> none{1};
    EXPECT_EQ(convertToSamples16(pcm16(1, {}), 1, none), convertFailed);
    EXPECT_TRUE(none.empty());
    std::vector<std::uint8_t> mp3{1};
    EXPECT_EQ(encodeMp3(pcm16(1, {}), {}, mp3), mp3NoInput);
    EXPECT_TRUE(mp3.empty());
}

TEST_F(WaveTest, WaveWrittenToAPipeIsReadToTheEndOfTheFile)
{
    using lumivo::test::runTool;
    const QString fromSox = tempPath(QStringLiteral("sox-pipe.wav"));
    ASSERT_TRUE(runTool(
        "sox", {"-n", "-r", "22050", "-b", "16", "-t", "wav", "-", "synth", "0.5", "sine", "440"}, fromSox));
    const QString fromFfmpeg = tempPath(QStringLiteral("ffmpeg-pipe.wav"));
    ASSERT_TRUE(
        runTool("ffmpeg",
                {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=0.5",
                 "-c:a", "pcm_s16le", "-f", "wav", "-"},
                fromFfmpeg));
    for (const QString& path : {fromSox, fromFfmpeg}) {
        SCOPED_TRACE(path.toStdString());
        WaveBlock block;
        ASSERT_EQ(readWaveFile(path, block), 22050);
        EXPECT_EQ(block.durationMs(), 500u);
    }

    // A form size never patched, with a data size of 0 left by the writer.
    std::vector<std::uint8_t> chunks;
    chunk(chunks, "fmt ", format16(1, 8000, 8));
    chunk(chunks, "data", {}, 0);
    auto unpatched = riffOf(chunks);
    unpatched.insert(unpatched.end(), 100, 0x80);
    std::fill(unpatched.begin() + 4, unpatched.begin() + 8, 0);
    WaveBlock block;
    EXPECT_EQ(readRiff(unpatched.data(), unpatched.size(), block), 100);
}

TEST_F(WaveTest, DataEndingBeforeItsRealSizeIsDamagedWhileAStaleFormSizeWithWholeChunksIsRead)
{
    // 108 bytes whose data chunk claims 0xFFFFFFD0 (the form's size agrees): a 4 GB file cut short, and
    // the same with the form's size left 0 or all ones, as a streaming writer leaves it.
    std::vector<std::uint8_t> chunks;
    chunk(chunks, "fmt ", format16(1, 44100, 16));
    chunk(chunks, "data", std::vector<std::uint8_t>(64, 7), 0xFFFFFFD0u);
    for (std::uint32_t formSize : {0xFFFFFFF4u, 0u, 0xFFFFFFFFu, 100u}) {
        auto cut = riffOf(chunks);
        ASSERT_EQ(cut.size(), 108u);
        for (int i = 0; i < 4; ++i)
            cut[4 + i] = std::uint8_t(formSize >> (8 * i));
        WaveBlock block;
        EXPECT_EQ(readRiff(cut.data(), cut.size(), block), riffShortData) << std::hex << formSize;
        EXPECT_TRUE(block.isNull());
    }

    // A form size of 36 never patched, the data after it whole, behind a list chunk or not.
    for (bool withList : {false, true}) {
        std::vector<std::uint8_t> whole;
        chunk(whole, "fmt ", format16(1, 8000, 8));
        if (withList)
            chunk(whole, "LIST", {'I', 'N', 'F', 'O'});
        chunk(whole, "data", std::vector<std::uint8_t>(1000, 0x80));
        auto stale = riffOf(whole);
        stale[4] = 36;
        stale[5] = stale[6] = stale[7] = 0;
        const QString path = tempPath(QStringLiteral("stale.wav"));
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, stale.data(), stale.size()));
        WaveBlock block;
        EXPECT_EQ(readWaveFile(path, block), 1000) << withList;
        EXPECT_EQ(block.sampleBytes(), 1000u);
    }
}

TEST_F(WaveTest, AWaveFileLargerThanASoundMayBeIsRefusedUnread)
{
    const QString huge = tempPath(QStringLiteral("huge.wav"));
    ASSERT_TRUE(lumivo::test::makeSparseWave(huge, lumivo::files::kMaxMediaFileBytes + 1));
    WaveBlock block = pcm16(1, {1});
    EXPECT_EQ(readWaveFile(huge, block), riffTooLarge);
    EXPECT_TRUE(block.isNull());
}

namespace
{

std::vector<std::uint8_t> bytesOfFile(const QString& path)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(lumivo::files::readWholeFile(path, bytes));
    return bytes;
}

// An ID3v2.4 tag with the unsynchronisation and footer flags, full of false frame headers.
std::vector<std::uint8_t> id3v24WithFooter()
{
    std::vector<std::uint8_t> body;
    for (int i = 0; i < 40; ++i)
        body.insert(body.end(), {0xFF, 0xFB, 0x90, 0x64, 0x00, 0x00, 0x00, 0x00});
    const std::size_t n = body.size();
    const std::vector<std::uint8_t> size{std::uint8_t(n >> 21 & 0x7F), std::uint8_t(n >> 14 & 0x7F),
                                         std::uint8_t(n >> 7 & 0x7F), std::uint8_t(n & 0x7F)};
    std::vector<std::uint8_t> tag{'I', 'D', '3', 4, 0, 0x90};
    tag.insert(tag.end(), size.begin(), size.end());
    tag.insert(tag.end(), body.begin(), body.end());
    tag.insert(tag.end(), {'3', 'D', 'I', 4, 0, 0x90});
    tag.insert(tag.end(), size.begin(), size.end());
    return tag;
}

} // namespace

TEST_F(WaveTest, Mp3WithTagsCoverPicturesOrFalseFrameHeadersDecodesLikeTheBareStream)
{
    using lumivo::test::runTool;
    const QString wav = tempPath(QStringLiteral("tone.wav"));
    const QString cover = tempPath(QStringLiteral("cover.jpg"));
    const QString bare = tempPath(QStringLiteral("bare.mp3"));
    const QString tagged = tempPath(QStringLiteral("tagged.mp3"));
    ASSERT_TRUE(
        runTool("sox", {"-n", "-r", "22050", "-b", "16", "-c", "1", wav, "synth", "1", "sine", "440"}));
    // Noise compresses badly, so the picture is full of byte pairs that look like frame headers.
    ASSERT_TRUE(runTool("convert", {"-size", "200x200", "xc:gray", "+noise", "Random", cover}));
    ASSERT_TRUE(runTool("lame", {"--quiet", "-b", "64", wav, bare}));
    ASSERT_TRUE(
        runTool("lame", {"--quiet", "-b", "64", "--add-id3v2", "--tt", "Tone", "--ti", cover, wav, tagged}));

    const auto bareBytes = bytesOfFile(bare);
    WaveBlock expected;
    ASSERT_GT(decodeMp3(bareBytes.data(), bareBytes.size(), 0, expected), 0);
    EXPECT_NEAR(double(expected.durationMs()), 1000.0, 30.0);

    auto withFooter = id3v24WithFooter();
    withFooter.insert(withFooter.end(), bareBytes.begin(), bareBytes.end());
    for (const auto& bytes : {bytesOfFile(tagged), withFooter}) {
        WaveBlock decoded;
        ASSERT_GT(decodeMp3(bytes.data(), bytes.size(), 0, decoded), 0);
        EXPECT_EQ(decoded.bytes(), expected.bytes());
    }

    // A false frame header amid the frames costs at most the frames around it.
    auto damaged = bareBytes;
    const std::vector<std::uint8_t> falseHeader{0xFF, 0xFB, 0x90, 0x64, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    damaged.insert(damaged.begin() + std::ptrdiff_t(damaged.size() / 2), falseHeader.begin(),
                   falseHeader.end());
    WaveBlock decoded;
    ASSERT_GT(decodeMp3(damaged.data(), damaged.size(), 0, decoded), 0);
    EXPECT_GT(decoded.durationMs(), 850u);

    // A tag and no frames is no sound.
    const auto onlyTag = id3v24WithFooter();
    EXPECT_EQ(decodeMp3(onlyTag.data(), onlyTag.size(), 0, decoded), mp3DecoderError);
    EXPECT_TRUE(decoded.isNull());
}

TEST_F(WaveTest, CompressedWaveStillGoesToTheDecoderGsmAndMp3Included)
{
    for (const char* codec : {"gsm_ms", "libmp3lame", "pcm_alaw"}) {
        SCOPED_TRACE(codec);
        const QString path = tempPath(QStringLiteral("coded.wav"));
        ASSERT_TRUE(lumivo::test::runTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                                     "sine=frequency=440:sample_rate=8000:duration=1", "-ac",
                                                     "1", "-c:a", codec, path}));
        WaveBlock source, converted;
        ASSERT_GT(readWaveFile(path, source), 0);
        ASSERT_EQ(convertToPcm16(source, 1, converted), convertOk);
        // MP3 adds up to a frame of the codec's delay and padding (1,152 samples, 144 ms at 8 kHz).
        EXPECT_GE(converted.durationMs(), 990u);
        EXPECT_LE(converted.durationMs(), 1160u);
    }
}
