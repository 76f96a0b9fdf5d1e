// Icons whose stored rectangles say anything at all, drawn: a page, a sentence, a package or the
// clipboard may carry any 32-bit values. Drawing and printing stay within what the device shows and
// agree with the hit test, and the stored values stay as they were read.

#include "panes/DrawingBounds.h"
#include "core/IconBounds.h"
#include "core/IconEditing.h"
#include "core/IconShapes.h"
#include "core/Picture.h"
#include "panes/IconPainter.h"
#include "system/SystemSettings.h"
#include "tests/core/PlacedIcons.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/Pictures.h"

#include <QPainter>

#include <climits>

namespace
{

constexpr SIZE kPage = lumivo::test::kPlacedIconPage;
constexpr QRgb kPaper = 0xFF00FF00;

// Per-mille rectangles found in damaged and crafted pages and clipboard streams.
const CRect kHugeRects[] = {
    CRect(0, 0, 200000, 200000),                    // 64,000 x 48,000 pixels on the page
    CRect(0, 0, 2000000, 2000000),                  // ten times that
    CRect(INT_MIN, 0, INT_MAX, 1000),               // wider than an int can say
    CRect(202, -1878982657, 1868785926, 137568366), // taller than an int can say
    CRect(-100000, -100000, 100000, 100000),        // centred on the page, far beyond it
};

std::unique_ptr<CQuibPict> bluePicture()
{
    auto picture = std::make_unique<CQuibPict>();
    picture->Image = lumivo::test::solidRgbImage(40, 40, qRgb(0, 0, 255));
    picture->Width = picture->Height = 40;
    return picture;
}

std::string describe(const CRect& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
           "," + std::to_string(rect.bottom);
}

} // namespace

class DrawingBoundsTest : public lumivo::test::LumivoTest
{
protected:
    const CIconPainter m_painter{[](std::int32_t, int, int) { return bluePicture(); }};
};

TEST_F(DrawingBoundsTest, AHitTestAgreesWithTheEllipseDrawn)
{
    // An ellipse partly on the page, partly beyond it.
    CQuibIcon icon(kIconShapeEllipse);
    icon.ScreenRect = CRect(-150, 20, 250, 200);
    icon.WordId = 1;
    icon.Flags |= 0x3000000; // the picture stretched over the whole rectangle
    QImage page(kPage.cx, kPage.cy, QImage::Format_RGB32);
    page.fill(kPaper);
    {
        QPainter painter(&page);
        m_painter.Paint(painter, {}, icon);
    }
    int disagreements = 0;
    for (int y = 0; y < kPage.cy; ++y)
        for (int x = 0; x < kPage.cx; ++x)
            disagreements += (page.pixel(x, y) != kPaper) != icon.HitTest(CPoint(x, y)) ? 1 : 0;
    EXPECT_EQ(disagreements, 0);
    EXPECT_EQ(EllipseRegion(icon.ScreenRect, CRect(0, 0, kPage.cx, kPage.cy)).boundingRect(),
              QRect(0, 20, 250, 180));
}

TEST_F(DrawingBoundsTest, DrawingAndPrintingAnyRectangleBuildNoClipBeyondTheDevice)
{
    for (const CRect& perMille : kHugeRects) {
        for (const bool ellipseClass : {false, true}) {
            for (const std::uint32_t shape : {kIconShapeRect, kIconShapeEllipse, kIconShapeUnclipped}) {
                SCOPED_TRACE(describe(perMille) + " shape " + std::to_string(shape) +
                             (ellipseClass ? " (ellipse class)" : ""));
                const auto icon = lumivo::test::placedIcon(ellipseClass, shape, perMille);
                lumivo::test::PaintRecorder screen(kPage.cx, kPage.cy);
                {
                    QPainter painter(&screen);
                    m_painter.Paint(painter, {}, *icon);
                }
                EXPECT_TRUE(screen.clipBeyondArea().isNull()) << screen.clipBeyondArea().width();
                // A printer page of A4 at 300 dots an inch, the page five times larger.
                lumivo::test::PaintRecorder paper(2480, 3508);
                {
                    QPainter painter(&paper);
                    m_painter.PaintForPrint(painter, QPoint(100, 100), *icon, 5000, 5000, 0);
                }
                EXPECT_TRUE(paper.clipBeyondArea().isNull()) << paper.clipBeyondArea().width();
                EXPECT_EQ(icon->StoredRect, perMille) << "drawing changes no stored value";
            }
        }
    }
}

TEST_F(DrawingBoundsTest, NamesShownWhileEditingSetNoClipBeyondTheDevice)
{
    theEditTool = kEditToolSelect;
    theEditOptions |= kEditOptionShowNames;
    // A name wider than its narrow icon, which reaches far below the page.
    auto icon = lumivo::test::placedIcon(false, kIconShapeRect, CRect(0, 0, 100, 2000000000));
    icon->WordName = QStringLiteral("Ordbogsopslagsværk");
    lumivo::test::PaintRecorder screen(kPage.cx, kPage.cy);
    {
        QPainter painter(&screen);
        m_painter.Paint(painter, {}, *icon, kPaintHandles);
    }
    EXPECT_TRUE(screen.clipBeyondArea().isNull()) << screen.clipBeyondArea().height();
}

TEST_F(DrawingBoundsTest, APictureLargerThanItIsKeptFillsItsWholePlace)
{
    CQuibIcon icon;
    icon.WordId = 1;
    icon.ScreenRect = CRect(-1400, -1400, 1600, 1600); // a picture of 3000 x 3000, centred at (100, 100)
    lumivo::test::PaintRecorder recorder(200, 150);
    {
        QPainter painter(&recorder);
        m_painter.Paint(painter, {}, icon);
    }
    ASSERT_EQ(recorder.images.size(), 1u);
    EXPECT_LE(std::max(recorder.images[0].width(), recorder.images[0].height()), 2048);
    EXPECT_EQ(icon.PictCacheRect, CRect(-1400, -1400, 1600, 1600)) << "where it was drawn";

    QImage page(200, 150, QImage::Format_RGB32);
    page.fill(kPaper);
    {
        QPainter painter(&page);
        m_painter.Paint(painter, {}, icon);
    }
    for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 149), QPoint(199, 149)})
        EXPECT_EQ(page.pixel(corner), qRgb(0, 0, 255)) << corner.x() << "," << corner.y();
}

TEST_F(DrawingBoundsTest, TextOfAnIconTallerThanThePaperPrintsAtTheTop)
{
    CQuibIcon icon;
    icon.WordName = QStringLiteral("Hello");
    icon.Flags |= kIconContentTextOnly;
    icon.StoredRect = CRect(0, 0, 400, 2000000000); // two million pages high
    icon.RelativeToScreen(SIZE{640, 480});
    QImage paper(300, 200, QImage::Format_RGB32);
    paper.fill(Qt::white);
    {
        QPainter painter(&paper);
        m_painter.PaintForPrint(painter, QPoint(0, 0), icon, 1000, 1000, 0);
    }
    int dark = 0;
    for (int y = 0; y < paper.height(); ++y)
        for (int x = 0; x < paper.width(); ++x)
            dark += qGray(paper.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 100) << "the text at the largest height the paper shows";
}
