#include "core/Sound.h"
#include "media/SoundDevice.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

#include <QFile>

#include <cmath>

using lumivo::test::boundRecordBytes;
using lumivo::test::LumivoTest;
using lumivo::test::runTool;
using lumivo::test::setBoundRecordBytes;
using lumivo::test::sine;
using lumivo::wave::WaveFormat;
namespace audio = lumivo::audio;

namespace
{

WaveBlock tone(int rate, int frames)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < frames; ++i) {
        const auto v = std::int16_t(std::lround(std::sin(i * 0.05) * 12000));
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    }
    return WaveBlock(WaveFormat::pcm(1, rate, 16), std::move(bytes));
}

} // namespace

// The program's sound device, on SDL's silent driver, plays what the stored sounds give it.
class SoundTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        ASSERT_EQ(CSoundDevice::InitSound(), 0);
    }

    // The samples the device holds, as bytes; none when it holds no sound.
    static std::vector<std::uint8_t> HeldBytes()
    {
        const CSoundSample* sample = theSoundDevice->GetSample();
        if (!sample)
            return {};
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(sample->data());
        return {bytes, bytes + sample->size() * 2};
    }
};

TEST_F(SoundTest, HeaderIsTwentyBytesAndReadersHonourAnyLength)
{
    CQuibSound sound;
    EXPECT_EQ(sound.GetType(), 0x67730000);
    ASSERT_EQ(sound.Create(), RES_OK);
    sound.SoundFlags = 0x01020304;
    sound.SetData(std::vector<std::uint8_t>{9, 8, 7}, 0x0105, 0x0A0B, 1500, -2);
    EXPECT_FALSE(sound.Data);
    const std::vector<std::uint8_t> expected{20,   0,    0, 0, 0x0B, 0x0A, 4,    3,    2, 1, 0x05, 0x01,
                                             0xDC, 0x05, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 9, 8, 7};
    EXPECT_EQ(boundRecordBytes(sound), expected);

    auto longer = expected;
    longer[0] = 24;
    longer.insert(longer.begin() + 20, {0, 0, 0, 0});
    setBoundRecordBytes(sound, longer);
    sound.LoadData();
    ASSERT_TRUE(sound.Data);
    EXPECT_EQ(*sound.Data, (std::vector<std::uint8_t>{9, 8, 7}));
    EXPECT_EQ(sound.SoundDuration, 1500);
}

TEST_F(SoundTest, ShortOrLyingRecordsGiveNoDataAndPlayNothing)
{
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    sound.SoundDuration = 77;
    setBoundRecordBytes(sound, {20, 0, 0});
    sound.LoadData();
    EXPECT_FALSE(sound.Data);
    EXPECT_EQ(sound.SoundDuration, 77);
    setBoundRecordBytes(sound, {200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2});
    EXPECT_FALSE(sound.Play());

    // A wave block whose cbSize claims more bytes than there are.
    WaveBlock block = tone(44100, 10);
    std::vector<std::uint8_t> lying = block.bytes();
    lying[16] = 0xFF;
    sound.SetData(lying, soundKindWave, 0, 0, 0);
    EXPECT_FALSE(sound.Play());
    EXPECT_FALSE(theSoundDevice->GetSample());
}

TEST_F(SoundTest, PlaysWaveAndMp3KindsOnly)
{
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    // At the device's own rate, so that it holds the samples as they are.
    const WaveBlock block = tone(44100, 44100);
    sound.SetData(block, soundKindWave | soundChannelMono, 0, 1000, 44100);
    ASSERT_TRUE(sound.Play());
    const std::vector<std::uint8_t> samples(block.samples(), block.samples() + block.sampleBytes());
    EXPECT_EQ(HeldBytes(), samples);

    // An MP3 of a second at 22,050 Hz plays for a second: it is decoded at its stream's rate.
    std::vector<std::uint8_t> mp3;
    ASSERT_GT(EncodeMp3(tone(22050, 22050), mp3, 5 | soundChannelMono), 0);
    sound.SetData(mp3, 5 | soundChannelMono, 0, 1000, std::int32_t(mp3.size()));
    ASSERT_TRUE(sound.Play());
    const CSoundSample* decoded = theSoundDevice->GetSample();
    ASSERT_TRUE(decoded);
    EXPECT_NEAR(double(theSoundDevice->GetLengthMs()), 1000.0, 53.0);

    for (int kind : {3, 9}) {
        sound.SetData(block, std::uint16_t(kind), 0, 1000, 0);
        EXPECT_FALSE(sound.Play()) << kind;
    }
    EXPECT_EQ(theSoundDevice->GetSample(), decoded) << "nothing else was given to the device";
}

TEST_F(SoundTest, StoredSoundSurvivesSaveAndReopen)
{
    const QString path = tempPath(QStringLiteral("sounds.tvf"));
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    const WaveBlock block = tone(44100, 1001);
    {
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        sound.SetData(block, soundKindWave, 3, std::int32_t(GetWaveDurationMs(block)), 88200);
        ASSERT_EQ(sound.SaveAs(12, file, MakeSoundType(5, 1)), RES_OK);
    }
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    CQuibSound loaded;
    ASSERT_EQ(AttachResource(&loaded, 12, MakeSoundType(5, 1), file), RES_OK);
    ASSERT_EQ(loaded.Load(), RES_OK);
    loaded.LoadData();
    ASSERT_TRUE(loaded.Data);
    EXPECT_EQ(*loaded.Data, block.bytes());
    EXPECT_EQ(loaded.SoundAuthor, 3);
    EXPECT_EQ(loaded.SoundDuration, 22);
}

TEST_F(SoundTest, SaveToSoundStoresTheSampleAsMonoMp3)
{
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    const audio::Samples sample = sine(0.5, 440, 44100);
    EncodedSound encoded;
    EXPECT_EQ(CSoundDevice::SaveToSound(nullptr, encoded), -1);
    ASSERT_EQ(CSoundDevice::SaveToSound(&sample, encoded), 0);
    ASSERT_TRUE(StoreEncodedSound(sound, encoded));
    EXPECT_EQ(sound.SoundFormat, 0x104);
    EXPECT_EQ(sound.SoundAuthor, 0);
    EXPECT_EQ(sound.SoundDuration, 1000);
    EXPECT_GT(sound.SoundBitRate, 6000); // about 64 kbit/s
    EXPECT_LT(sound.SoundBitRate, 10000);

    // It plays back through the device at its true length.
    ASSERT_TRUE(sound.Play());
    ASSERT_TRUE(theSoundDevice->GetSample());
    EXPECT_NEAR(theSoundDevice->GetLengthMs(), 1000.0, 60.0);
}

TEST_F(SoundTest, FilesOfOtherProgramsImportWholeOrNotAtAll)
{
    // A stored MP3 that lame tagged with a cover picture plays at its length.
    const QString wav = tempPath(QStringLiteral("tone.wav"));
    const QString cover = tempPath(QStringLiteral("cover.jpg"));
    const QString tagged = tempPath(QStringLiteral("tagged.mp3"));
    ASSERT_TRUE(
        runTool("sox", {"-n", "-r", "44100", "-b", "16", "-c", "1", wav, "synth", "1", "sine", "440"}));
    ASSERT_TRUE(runTool("convert", {"-size", "160x160", "xc:gray", "+noise", "Random", cover}));
    ASSERT_TRUE(
        runTool("lame", {"--quiet", "-b", "64", "-m", "m", "--add-id3v2", "--ti", cover, wav, tagged}));
    QFile file(tagged);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray mp3 = file.readAll();
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    sound.SetData(std::vector<std::uint8_t>(mp3.begin(), mp3.end()), 0x104, 0, 1000, 8000);
    ASSERT_TRUE(sound.Play());
    ASSERT_TRUE(theSoundDevice->GetSample());
    EXPECT_NEAR(theSoundDevice->GetLengthMs(), 1000.0, 60.0);

    // A WAVE whose header claims 4.29 GHz is refused, and no empty sound is stored from it.
    QByteArray lying;
    {
        QFile source(wav);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        lying = source.readAll();
    }
    const int rateAt = lying.indexOf("fmt ") + 8 + 4;
    ASSERT_GT(rateAt, 12);
    lying.replace(rateAt, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
    const QString lyingPath = tempPath(QStringLiteral("lying.wav"));
    {
        QFile lyingFile(lyingPath);
        ASSERT_TRUE(lyingFile.open(QIODevice::WriteOnly));
        lyingFile.write(lying);
    }
    EXPECT_EQ(theSoundDevice->Load(lyingPath), soundUnknownFormat);
    EXPECT_FALSE(theSoundDevice->GetSample());
    CQuibSound empty;
    ASSERT_EQ(empty.Create(), RES_OK);
    const audio::Samples nothing;
    EncodedSound encoded;
    EXPECT_EQ(CSoundDevice::SaveToSound(&nothing, encoded), -1);
    EXPECT_FALSE(StoreEncodedSound(empty, encoded));
    EXPECT_FALSE(empty.Play());
}
