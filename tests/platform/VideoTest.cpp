#include "platform/video/VideoClip.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"

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
