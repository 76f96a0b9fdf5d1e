#include "platform/video/VideoClip.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <numeric>

using lumivo::test::LumivoTest;
using lumivo::video::VideoClip;

class VideoTest : public LumivoTest
{
};

TEST_F(VideoTest, OpensAClipAndGivesItsFrames)
{
    if (!lumivo::test::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QString path = tempPath(QStringLiteral("clip.avi"));
    ASSERT_TRUE(lumivo::test::makeMjpegAvi(path, QStringLiteral("testsrc=size=32x24:rate=10"), 6));

    QString error;
    auto clip = VideoClip::open(path, &error);
    ASSERT_TRUE(clip) << error.toStdString();
    EXPECT_EQ(clip->frameCount(), 6);
    EXPECT_DOUBLE_EQ(clip->frameRate(), 10.0);
    EXPECT_EQ(clip->durationMs(), 600);
    EXPECT_EQ(clip->size(), QSize(32, 24));
    // Out of order, so that seeking back is exercised.
    for (int n : {4, 0, 5, 1}) {
        const QImage frame = clip->frame(n);
        ASSERT_FALSE(frame.isNull()) << n;
        EXPECT_EQ(frame.size(), QSize(32, 24));
    }
    EXPECT_NE(clip->frame(0), clip->frame(5));
    EXPECT_TRUE(clip->frame(6).isNull());
    EXPECT_TRUE(clip->frame(-1).isNull());
}

TEST_F(VideoTest, FilesThatAreNoClipsFailClearly)
{
    QString error;
    EXPECT_FALSE(VideoClip::open(tempPath(QStringLiteral("missing.avi")), &error));
    EXPECT_FALSE(error.isEmpty());
    const QString path = tempPath(QStringLiteral("text.avi"));
    ASSERT_TRUE(lumivo::files::writeFileAtomically(path, "RIFF....AVI nothing more", 24));
    error.clear();
    EXPECT_FALSE(VideoClip::open(path, &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace
{

// The mean brightness of a picture's grey pixels.
double brightness(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (image.width() * image.height());
}

} // namespace

TEST_F(VideoTest, FrameNIsTheNthPictureForEveryCodecWithOrWithoutBFrames)
{
    // Every picture a flat grey of its own, a step brighter than the one before.
    constexpr int frames = 30;
    const QString source =
        QStringLiteral("color=s=32x32:r=10:d=3,geq=lum='16+N*7':cb=128:cr=128,format=yuv420p");
    // ffmpeg's Xvid encoder never codes the last two frames, and its AVI keeps their places: they show
    // the last picture there is, as players show it.
    const std::vector<QStringList> codecs{
        {"-c:v", "mpeg4", "-bf", "2", "-g", "12", "-q:v", "2"},
        {"-c:v", "libx264", "-bf", "3", "-g", "10", "-qp", "0"},
        {"-c:v", "libx264", "-bf", "2", "-g", "8", "-qp", "0", "-x264-params", "open-gop=1"},
        {"-c:v", "mpeg2video", "-bf", "2", "-g", "9", "-q:v", "2"},
        {"-c:v", "libxvid", "-bf", "2", "-q:v", "2"},
        {"-c:v", "mpeg4", "-q:v", "2"},
        {"-c:v", "msmpeg4", "-q:v", "2"},
        {"-c:v", "mjpeg", "-q:v", "2"},
    };
    for (const QStringList& codec : codecs) {
        SCOPED_TRACE(codec.join(' ').toStdString());
        const QString path = tempPath(QStringLiteral("clip.avi"));
        ASSERT_TRUE(
            lumivo::test::runTool("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i", source} +
                                                codec + QStringList{path}));
        QString error;
        auto clip = VideoClip::open(path, &error);
        ASSERT_TRUE(clip) << error.toStdString();
        ASSERT_EQ(clip->frameCount(), frames);
        // In order to the very last, then back and forth across key frames.
        std::vector<int> order(frames);
        std::iota(order.begin(), order.end(), 0);
        order.insert(order.end(), {29, 3, 17, 0, 28, 12, 11, 25, 1});
        const int lastPicture = codec.contains("libxvid") ? frames - 3 : frames - 1;
        for (int n : order) {
            const QImage frame = clip->frame(n);
            ASSERT_FALSE(frame.isNull()) << n;
            const int shown = std::min(n, lastPicture);
            // Video luma runs from 16 to 235, so each step of 7 is 8.15 in RGB.
            EXPECT_NEAR(brightness(frame), shown * 7 * 255.0 / 219.0, 2.5) << n;
        }
    }
}

namespace
{

// The decoding time stamps of a clip's video packets as ffprobe reads them from the index: each is the
// slot its chunk fills; the slots between hold empty chunks.
std::vector<int> videoPacketSlots(const QString& clip, const QString& listing)
{
    std::vector<int> filledSlots;
    if (!lumivo::test::runTool(
            "ffprobe",
            {"-v", "error", "-select_streams", "v", "-show_entries", "packet=dts", "-of", "csv=p=0", clip},
            listing))
        return filledSlots;
    QFile file(listing);
    if (!file.open(QIODevice::ReadOnly))
        return filledSlots;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            filledSlots.push_back(line.trimmed().toInt());
    }
    return filledSlots;
}

} // namespace

TEST_F(VideoTest, AnEmptyChunkRepeatsThePictureBeforeIt)
{
    // Pictures 3, 7 and 8 are dropped, as a capture drops them: the clip keeps their slots as empty
    // chunks. Xvid's encoder adds an empty chunk of its own delay.
    const QString source = QStringLiteral("color=s=32x32:r=10:d=1.2,geq=lum='16+N*7':cb=128:cr=128,"
                                          "format=yuv420p,select='not(eq(n\\,3)+eq(n\\,7)+eq(n\\,8))'");
    const std::vector<int> kept{0, 1, 2, 4, 5, 6, 9, 10, 11};
    for (const QString& codec : {QStringLiteral("mjpeg"), QStringLiteral("libxvid")}) {
        SCOPED_TRACE(codec.toStdString());
        const QString path = tempPath(QStringLiteral("dropped.avi"));
        const QStringList inputs{"-v",   "error", "-y",    "-f", "lavfi",     "-i",
                                 source, "-f",    "lavfi", "-i", "sine=d=1.2"};
        ASSERT_TRUE(
            lumivo::test::runTool("ffmpeg", inputs + QStringList{"-fps_mode", "passthrough", "-c:v", codec,
                                                                 "-q:v", "2", "-c:a", "libmp3lame", path}));
        const std::vector<int> filledSlots = videoPacketSlots(path, tempPath(QStringLiteral("packets.csv")));
        ASSERT_EQ(filledSlots.size(), kept.size());
        ASSERT_GT(filledSlots.back() + 1, int(filledSlots.size())) << "no empty chunks";
        QString error;
        auto clip = VideoClip::open(path, &error);
        ASSERT_TRUE(clip) << error.toStdString();
        ASSERT_EQ(clip->frameCount(), filledSlots.back() + 1);
        // In order, then back and forth between empty slots and full ones.
        std::vector<int> order(std::size_t(clip->frameCount()));
        std::iota(order.begin(), order.end(), 0);
        order.insert(order.end(), {8, 3, 4, 0, 11, 7, 1, 9});
        for (int n : order) {
            // The picture of the last chunk that is not empty, at or before slot n.
            const auto last =
                std::upper_bound(filledSlots.begin(), filledSlots.end(), n) - filledSlots.begin() - 1;
            const int shown = kept[std::size_t(std::max<std::ptrdiff_t>(last, 0))];
            const QImage frame = clip->frame(n);
            ASSERT_FALSE(frame.isNull()) << n;
            EXPECT_NEAR(brightness(frame), shown * 7 * 255.0 / 219.0, 2.5) << n;
        }
    }
}

namespace
{

using Bytes = std::vector<std::uint8_t>;

void putLittle32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

std::size_t find(const Bytes& bytes, const char* fourCc)
{
    const auto at = std::search(bytes.begin(), bytes.end(), fourCc, fourCc + 4);
    return at == bytes.end() ? 0 : std::size_t(at - bytes.begin());
}

} // namespace

TEST_F(VideoTest, AClipClaimingBillionsOfFramesHasNoMoreThanItsFileHolds)
{
    if (!lumivo::test::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QString honest = tempPath(QStringLiteral("honest.avi"));
    ASSERT_TRUE(lumivo::test::makeMjpegAvi(honest, QStringLiteral("testsrc=size=32x24:rate=10"), 6));
    Bytes bytes;
    ASSERT_TRUE(lumivo::files::readWholeFile(honest, bytes));
    // The main header's frame count and the video stream's length both claim 2^31 frames.
    const std::size_t mainHeader = find(bytes, "avih"), streamHeader = find(bytes, "strh");
    ASSERT_TRUE(mainHeader && streamHeader);
    putLittle32(bytes, mainHeader + 8 + 16, 0x80000000u);
    putLittle32(bytes, streamHeader + 8 + 32, 0x80000000u);
    // With its index, and without it (the frames are then found by reading the chunks).
    const std::size_t index = find(bytes, "idx1");
    ASSERT_TRUE(index);
    Bytes unindexed(bytes.begin(), bytes.begin() + std::ptrdiff_t(index));
    putLittle32(unindexed, 4, std::uint32_t(unindexed.size() - 8));
    for (const Bytes& hostile : {bytes, unindexed}) {
        const QString path = tempPath(QStringLiteral("hostile.avi"));
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, hostile.data(), hostile.size()));
        auto clip = VideoClip::open(path);
        ASSERT_TRUE(clip);
        // Every frame takes at least an eight-byte chunk header or index entry.
        ASSERT_LE(clip->frameCount(), int(hostile.size() / 8));
        ASSERT_GE(clip->frameCount(), 6);
        // The slots past the last picture show it, without walking through them.
        const QImage last = clip->frame(5);
        ASSERT_FALSE(last.isNull());
        EXPECT_EQ(clip->frame(clip->frameCount() - 1), last);
        EXPECT_EQ(clip->frame(clip->frameCount() / 2), last);
        EXPECT_NE(clip->frame(0), last);
    }
}
