// The clip preview: its own timer steps through the frames of the word clip of the icon under the
// mouse, the painter draws the frame, and the preview follows the hover, the selection and dying icons.

#include "panes/ClipPreview.h"
#include "core/Clip.h"
#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/PageEvents.h"
#include "panes/IconPainter.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include <QFile>
#include <QPainter>

#include <memory>

namespace
{

constexpr std::int32_t kClipWord = 77;

class ClipPreviewTest : public lumivo::test::LumivoTest
{
protected:
    // A clip of four frames at five a second under kClipWord; false (the test skips) without ffmpeg.
    bool storeClip()
    {
        if (!lumivo::test::haveFfmpeg())
            return false;
        const QString source = tempPath("hop.avi");
        EXPECT_TRUE(lumivo::test::makeMjpegAvi(source, "testsrc=size=40x30:rate=5", 4));
        const int file = lumivo::test::makeResourceFile(tempPath("clips.tvf"));
        theActiveFiles = {file};
        theSearchLanguages = {1};
        theBaseDir = tempDir();
        EXPECT_EQ(m_clip.Create(), RES_OK);
        EXPECT_GT(m_clip.ImportFile(source), 0u);
        EXPECT_EQ(m_clip.SaveAs(kClipWord, file, CQuibAvi::MakeType(1, 1)), RES_OK);
        return true;
    }

    static std::unique_ptr<CQuibIcon> clipIcon()
    {
        auto icon = std::make_unique<CQuibIcon>();
        icon->WordId = kClipWord;
        icon->ScreenRect = CRect(0, 0, 60, 60);
        return icon;
    }

    // What a pane does when the mouse moves from the icon under it to `icon`.
    static void hover(CQuibIcon* icon)
    {
        if (theHoverIcon)
            theHoverIcon->OnLeave();
        SetHoverIcon(icon);
        if (icon)
            icon->OnEnter();
    }

    static bool tempClipExists() { return QFile::exists(GetTempDirString("/") + "Temp_x.avi"); }

    CQuibAvi m_clip; // its data is never written: the store finds it while the object lives
};

} // namespace

TEST_F(ClipPreviewTest, TheTimerStartsOnlyForAnOpenPreview)
{
    CQuibIcon icon;
    icon.WordId = 5;
    EXPECT_FALSE(theClipPreview.Open(&icon)); // no clip anywhere
    EXPECT_FALSE(theClipPreview.Start());
    theClipPreview.Step();
    EXPECT_FALSE(theClipPreview.IsRunning());
    EXPECT_EQ(theClipPreview.Icon(), nullptr);
}

TEST_F(ClipPreviewTest, ThePreviewStepsThroughItsFramesOnItsOwnTimer)
{
    if (!storeClip())
        GTEST_SKIP() << "ffmpeg is not installed";
    int redraws = 0;
    QObject receiver;
    QObject::connect(&thePageEvents, &CPageEvents::iconChanged, &receiver, [&] { ++redraws; });
    const auto icon = clipIcon();
    ASSERT_TRUE(theClipPreview.Open(icon.get()));
    ASSERT_TRUE(theClipPreview.Start());
    EXPECT_TRUE(theClipPreview.IsRunning());
    EXPECT_EQ(theClipPreview.FrameMs(), 200);
    for (int frame : {1, 2, 3, 0}) {
        theClipPreview.Step();
        EXPECT_EQ(theClipPreview.Frame(), frame);
    }
    EXPECT_EQ(redraws, 4);
    QImage shown(200, 150, QImage::Format_ARGB32);
    shown.fill(Qt::green);
    {
        QPainter painter(&shown);
        CIconPainter().Paint(painter, {}, *icon);
    }
    int framePixels = 0;
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 50; ++x)
            framePixels += shown.pixel(x, y) != QColor(Qt::green).rgb() ? 1 : 0;
    EXPECT_GT(framePixels, 1000);

    theClipPreview.Close();
    EXPECT_EQ(theClipPreview.Icon(), nullptr);
    EXPECT_FALSE(tempClipExists());
}

TEST_F(ClipPreviewTest, ThePreviewPlaysWhileItsIconIsEnteredAndClosesWhenTheIconGoes)
{
    if (!storeClip())
        GTEST_SKIP() << "ffmpeg is not installed";
    auto icon = clipIcon();
    CQuibIcon wordless;
    hover(icon.get());
    EXPECT_EQ(theClipPreview.Icon(), icon.get());
    EXPECT_TRUE(theClipPreview.IsRunning());

    icon->Deselect(); // it is entered no more
    EXPECT_FALSE(theClipPreview.IsRunning());
    EXPECT_EQ(theClipPreview.Icon(), nullptr);

    hover(&wordless);
    hover(icon.get());
    EXPECT_TRUE(theClipPreview.IsRunning()) << "entered again";
    hover(&wordless);
    EXPECT_FALSE(theClipPreview.IsRunning()) << "left for an icon without a word";
    EXPECT_EQ(theClipPreview.Icon(), nullptr);

    hover(icon.get());
    ASSERT_TRUE(tempClipExists());
    icon.reset();
    EXPECT_EQ(theClipPreview.Icon(), nullptr);
    EXPECT_FALSE(tempClipExists()) << "the clip closes with its icon";
}
