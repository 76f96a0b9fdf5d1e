// Stored pictures, sounds and clips read from a damaged store: every length in them is checked against
// the bytes that are there, so a damaged record gives no image, no sound or no clip, never a crash.

#include "core/Clip.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "media/SoundDevice.h"
#include "tests/support/Bytes.h"
#include "tests/support/DamagedBytes.h"
#include "tests/support/LumivoTest.h"

#include "platform/files/FileSystem.h"
#include "platform/files/MemoryFileSystem.h"

#include <cmath>

using lumivo::test::boundRecordBytes;
using lumivo::test::Bytes;
using lumivo::test::forEachDamagedCopy;
using lumivo::test::LumivoTest;
using lumivo::test::setBoundRecordBytes;

namespace
{

RgbImage stripes(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i)
        image.pixels.insert(image.pixels.end(), {std::uint8_t(i * 40), std::uint8_t(255 - i), 90});
    return image;
}

WaveBlock tone(int frames)
{
    Bytes samples;
    for (int i = 0; i < frames; ++i) {
        const auto value = std::int16_t(std::lround(std::sin(i * 0.1) * 9000));
        samples.push_back(std::uint8_t(value));
        samples.push_back(std::uint8_t(std::uint16_t(value) >> 8));
    }
    return WaveBlock(lumivo::wave::WaveFormat::pcm(1, 22050, 16), std::move(samples));
}

} // namespace

class DamagedMediaRecordsTest : public LumivoTest
{
};

TEST_F(DamagedMediaRecordsTest, DamagedPictureRecordsGiveNoImageOrAWholeOne)
{
    for (std::int16_t format : {pictRawRgb, pictTiff, pictJpeg50, pictGreyPng}) {
        SCOPED_TRACE(format);
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(stripes(6, 5), 6, 5, format));
        forEachDamagedCopy(boundRecordBytes(picture), [](const Bytes& bytes) {
            CQuibPict damaged;
            ASSERT_EQ(damaged.Create(), RES_OK);
            setBoundRecordBytes(damaged, bytes);
            if (!damaged.Decode()) {
                EXPECT_FALSE(damaged.GetImage());
                EXPECT_TRUE(damaged.GetHBitmap().isNull());
                return;
            }
            const RgbImage& image = *damaged.GetImage();
            EXPECT_EQ(std::uint32_t(image.width), damaged.Width);
            EXPECT_EQ(std::uint32_t(image.height), damaged.Height);
            EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * image.height * 3);
            EXPECT_EQ(damaged.GetHBitmap().size(), QSize(image.width, image.height));
        });
    }
}

TEST_F(DamagedMediaRecordsTest, DamagedSoundRecordsPlayNothingOrAWholeBlock)
{
    // The program's device takes what they play, on SDL's silent driver.
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    int loads = 0;
    const WaveBlock block = tone(3000);
    std::vector<std::uint8_t> mp3;
    ASSERT_GT(EncodeMp3(block, mp3, 6 | soundChannelMono), 0);
    for (int kind : {soundKindWave, 6}) {
        SCOPED_TRACE(kind);
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        if (kind == soundKindWave)
            sound.SetData(block, std::uint16_t(kind), 1, 136, 44100);
        else
            sound.SetData(mp3, std::uint16_t(kind | soundChannelMono), 1, 136, 4000);
        forEachDamagedCopy(
            boundRecordBytes(sound),
            [&loads](const Bytes& bytes) {
                CQuibSound damaged;
                ASSERT_EQ(damaged.Create(), RES_OK);
                setBoundRecordBytes(damaged, bytes);
                damaged.LoadData();
                if (damaged.Data) {
                    EXPECT_EQ(damaged.Data->size() + damaged.HeaderLength, bytes.size());
                    // What a wave kind gives the device is a whole wave block.
                    if (const auto block = WaveBlock::fromBytes(damaged.Data->data(), damaged.Data->size())) {
                        EXPECT_GE(block->size(), WaveBlock::headerSize + block->cbSize());
                    }
                }
                theSoundDevice->Free();
                damaged.Play();
                if (theSoundDevice->GetSample())
                    ++loads;
            },
            80);
    }
    EXPECT_GT(loads, 0);
}

TEST_F(DamagedMediaRecordsTest, DamagedClipRecordsExportNothingOrExactlyTheirBytes)
{
    CQuibAvi clip;
    ASSERT_EQ(clip.Create(), RES_OK);
    clip.Name = QStringLiteral("a clip with a name of some length");
    clip.AviData = Bytes(300, 0x5A);
    clip.DataSize = 300;
    clip.Exchange(true);
    lumivo::files::MemoryFileSystem memory;
    lumivo::files::ScopedFileSystem inMemory(memory);
    const QString path = QStringLiteral("/clips/out.avi");
    ASSERT_TRUE(memory.makeDirectories(QStringLiteral("/clips")));
    forEachDamagedCopy(boundRecordBytes(clip), [&path](const Bytes& bytes) {
        CQuibAvi damaged;
        ASSERT_EQ(damaged.Create(), RES_OK);
        setBoundRecordBytes(damaged, bytes);
        damaged.Exchange(false);
        lumivo::files::fileSystem().remove(path);
        const std::uint32_t written = damaged.ExportFile(path);
        if (written == 0) {
            EXPECT_FALSE(lumivo::files::fileSystem().exists(path));
            return;
        }
        Bytes file;
        ASSERT_TRUE(lumivo::files::readWholeFile(path, file));
        EXPECT_EQ(file.size(), written);
        EXPECT_LE(damaged.HeaderLength + written, bytes.size());
    });
}
