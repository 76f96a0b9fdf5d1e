#include "platform/video/VideoClip.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"

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
