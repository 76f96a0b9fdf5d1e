#include "core/Sound.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"

#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

#include <cmath>

using lumivo::test::boundRecordBytes;
using lumivo::test::LumivoTest;
using lumivo::test::setBoundRecordBytes;
using lumivo::wave::WaveFormat;

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

class RecordingDevice : public SoundDevicePort
{
public:
    bool LoadFromWaveData(const WaveBlock& block) override
    {
        blocks.push_back(block);
        return true;
    }
    bool Play() override { return true; }
    bool IsPlaying() override { return false; }
    void Stop() override {}
    std::vector<WaveBlock> blocks;
};

} // namespace

class SoundTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theSoundDevicePort.set([this] { return &device; });
    }
    RecordingDevice device;
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
    EXPECT_TRUE(device.blocks.empty());
}

TEST_F(SoundTest, PlaysWaveAndMp3KindsOnly)
{
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    const WaveBlock block = tone(22050, 22050);
    sound.SetData(block, soundKindWave | soundChannelMono, 0, 1000, 44100);
    ASSERT_TRUE(sound.Play());
    ASSERT_EQ(device.blocks.size(), 1u);
    EXPECT_EQ(device.blocks[0].bytes(), block.bytes());

    std::vector<std::uint8_t> mp3;
    ASSERT_GT(EncodeMp3(block, mp3, 5 | soundChannelMono), 0);
    sound.SetData(mp3, 5 | soundChannelMono, 0, 1000, std::int32_t(mp3.size()));
    ASSERT_TRUE(sound.Play());
    ASSERT_EQ(device.blocks.size(), 2u);
    EXPECT_EQ(device.blocks[1].samplesPerSec(), 22050u);
    EXPECT_NEAR(double(GetWaveDurationMs(device.blocks[1])), 1000.0, 53.0);

    for (int kind : {3, 9}) {
        sound.SetData(block, std::uint16_t(kind), 0, 1000, 0);
        EXPECT_FALSE(sound.Play()) << kind;
    }
    EXPECT_EQ(device.blocks.size(), 2u);
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
