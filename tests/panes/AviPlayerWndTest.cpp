#include "panes/AviPlayerWnd.h"
#include "platform/video/VideoClip.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

using lumivo::test::LumivoTest;

namespace
{

// The frame timer runs on the event loop, so the wait lets events through.
template <typename Condition> bool pumpUntil(Condition condition, int timeoutMs = 20000)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

class AviPlayerWndTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        if (!lumivo::test::haveFfmpeg())
            GTEST_SKIP() << "ffmpeg is not installed";
    }

    // Ten frames at ten a second: one second in all.
    QString tenFrameClip()
    {
        const QString path = tempPath(QStringLiteral("ten.avi"));
        EXPECT_TRUE(lumivo::test::makeMjpegAvi(path, QStringLiteral("testsrc=size=32x24:rate=10"), 10));
        return path;
    }
};

TEST_F(AviPlayerWndTest, FramePeriodFollowsTheClipAndTheSpeedOptions)
{
    const QString path = tenFrameClip();
    CAviPlayerWnd player;
    struct Case {
        std::uint32_t options;
        int period;
    };
    for (const Case& c :
         {Case{0, 100}, Case{CAviPlayerWnd::kHalfSpeed, 200}, Case{CAviPlayerWnd::kDoubleSpeed, 50},
          Case{CAviPlayerWnd::kHalfSpeed | CAviPlayerWnd::kDoubleSpeed, 200}}) {
        ASSERT_EQ(player.OpenFile(path, c.options, 0), CAviPlayerWnd::kOk)
            << player.LastError().toStdString();
        EXPECT_EQ(player.FrameCount(), 10);
        EXPECT_EQ(player.FramePeriod(), c.period) << c.options;
    }
    // Fitted to the frame, since neither centring nor stretching was asked for.
    EXPECT_EQ(player.size(), QSize(32, 24));
}

TEST_F(AviPlayerWndTest, PlayOnceEndsOnFrameZeroAndASecondPlayRewinds)
{
    CAviPlayerWnd player;
    EXPECT_FALSE(player.Play(true)); // nothing open
    ASSERT_EQ(player.OpenFile(tenFrameClip(), CAviPlayerWnd::kDoubleSpeed, 0), CAviPlayerWnd::kOk);

    EXPECT_TRUE(player.Play(false));
    ASSERT_TRUE(pumpUntil([&] { return player.CurrentFrame() >= 3; }));
    EXPECT_FALSE(player.Play(true)); // already playing: back to the start, now only once
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_TRUE(player.IsPlaying());

    ASSERT_TRUE(pumpUntil([&] { return !player.IsPlaying(); }));
    EXPECT_EQ(player.CurrentFrame(), 0);
}

TEST_F(AviPlayerWndTest, KeyColourShowsTheParentThroughAndTheTemporaryCopyGoesOnClose)
{
    // A clip of pure green over a red parent: every pixel is keyed out, so the parent shows.
    const QString green = tempPath(QStringLiteral("green.avi"));
    // Stored uncompressed, so that the green stays exactly the key colour.
    ASSERT_TRUE(lumivo::test::runTool(QStringLiteral("ffmpeg"),
                                      {"-v", "error", "-y", "-f", "lavfi", "-i",
                                       "color=c=0x00FF00:size=16x16:rate=10,format=bgr24", "-frames:v", "2",
                                       "-c:v", "rawvideo", "-pix_fmt", "bgr24", "-f", "avi", green}));
    QFile file(green);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));

    QWidget parent;
    parent.resize(64, 64);
    parent.setAutoFillBackground(true);
    QPalette red = parent.palette();
    red.setColor(QPalette::Window, Qt::red);
    parent.setPalette(red);
    auto* player = new CAviPlayerWnd(&parent);
    ASSERT_EQ(player->OpenBytes(file.readAll(), CAviPlayerWnd::kKeyFromClip, 0), CAviPlayerWnd::kOk);
    EXPECT_EQ(player->KeyColour(), CAviPlayerWnd::kDefaultKeyColour); // no palette in the clip
    const QString copy = player->TemporaryFile();
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_TRUE(copy.contains(QStringLiteral("AVC"))) << copy.toStdString();

    const QImage shown = player->grab().toImage();
    const QColor middle = shown.pixelColor(8, 8);
    EXPECT_GT(middle.red(), 200);
    EXPECT_LT(middle.green(), 60);

    player->Close();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(player->TemporaryFile().isEmpty());
}

TEST_F(AviPlayerWndTest, APalettedClipGivesItsBottomLeftColourAsTheKey)
{
    const QString path = tempPath(QStringLiteral("paletted.avi"));
    ASSERT_TRUE(lumivo::test::runTool(QStringLiteral("ffmpeg"),
                                      {"-v", "error", "-y", "-f", "lavfi", "-i",
                                       "testsrc=size=16x12:rate=10,format=pal8", "-frames:v", "2", "-c:v",
                                       "rawvideo", "-pix_fmt", "pal8", "-f", "avi", path}));
    CAviPlayerWnd player;
    ASSERT_EQ(player.OpenFile(path, CAviPlayerWnd::kKeyFromClip | CAviPlayerWnd::kPlainBackground, 0),
              CAviPlayerWnd::kOk);
    EXPECT_EQ(player.KeyColour(), 0u); // a plain background keeps the caller's key
    ASSERT_EQ(player.OpenFile(path, CAviPlayerWnd::kKeyFromClip, 0), CAviPlayerWnd::kOk);
    auto clip = lumivo::video::VideoClip::open(path);
    ASSERT_TRUE(clip);
    const QImage first = clip->frame(0);
    EXPECT_EQ(player.KeyColour(), fromQColor(first.pixelColor(0, first.height() - 1)));
    EXPECT_NE(player.KeyColour(), CAviPlayerWnd::kDefaultKeyColour);
}

TEST_F(AviPlayerWndTest, AClipWithoutFramesFailsToOpen)
{
    const QString empty = tempPath(QStringLiteral("empty.avi"));
    ASSERT_TRUE(lumivo::test::makeMjpegAvi(empty, QStringLiteral("testsrc=size=16x12:rate=10"), 0));
    CAviPlayerWnd player;
    EXPECT_EQ(player.OpenFile(empty, 0, 0), CAviPlayerWnd::kFail);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_TRUE(player.LastError().contains(QStringLiteral("no frames"))) << player.LastError().toStdString();
    EXPECT_FALSE(player.Play(false));
    EXPECT_EQ(player.OpenFile(tempPath(QStringLiteral("missing.avi")), 0, 0), CAviPlayerWnd::kFail);
}
