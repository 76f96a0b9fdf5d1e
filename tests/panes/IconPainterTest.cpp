// Icons drawn into a QImage: pictures in their place, text, frames, the key colour, the looks of the
// shape classes, printing, and a page drawn the same after it was stored and read back.

#include "panes/IconPainter.h"
#include "core/IconEditing.h"
#include "core/IconShapes.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "platform/archive/MemFile.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <QPainter>

namespace
{

constexpr QRgb kPaper = 0xFF00FF00; // green, which no icon draws

// A picture of `width` x `height` in one colour, with a block of `keyRgb` in its top-left quarter when
// a key colour is given.
std::unique_ptr<CQuibPict> solidPicture(QRgb rgb, int width = 40, int height = 40,
                                        std::uint32_t key = pictNoColor)
{
    auto picture = std::make_unique<CQuibPict>();
    RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t(width * height * 3))};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool keyed = key != pictNoColor && x < width / 2 && y < height / 2;
            const QRgb pixel = keyed ? qRgb(GetRValue(key), GetGValue(key), GetBValue(key)) : rgb;
            std::uint8_t* at = &image.pixels[std::size_t((y * width + x) * 3)];
            at[0] = std::uint8_t(qRed(pixel));
            at[1] = std::uint8_t(qGreen(pixel));
            at[2] = std::uint8_t(qBlue(pixel));
        }
    }
    picture->Width = std::uint32_t(width);
    picture->Height = std::uint32_t(height);
    picture->TransparentColor = key;
    picture->Image = std::move(image);
    return picture;
}

QImage paper(int width = 200, int height = 150)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(kPaper);
    return image;
}

void paintInto(const CIconPainter& iconPainter, QImage& image, CQuibIcon& icon, unsigned flags = 0,
               QPoint origin = {})
{
    QPainter painter(&image);
    iconPainter.Paint(painter, origin, icon, flags);
}

int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& matches)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += matches(image.pixel(x, y) | 0xFF000000) ? 1 : 0;
    }
    return count;
}

bool isDark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

} // namespace

class IconPainterTest : public lumivo::test::LumivoTest
{
protected:
    void drawIcon(QImage& image, CQuibIcon& icon, QPoint origin = {})
    {
        paintInto(m_painter, image, icon, 0, origin);
    }

    int m_pictureLoads = 0;
    const CIconPainter m_painter{[this](std::int32_t id, int, int) -> std::unique_ptr<CQuibPict> {
        ++m_pictureLoads;
        if (id == 1)
            return solidPicture(qRgb(0, 0, 255));
        if (id == 2)
            return solidPicture(qRgb(255, 0, 0), 40, 40, 0x05FF00FF); // key colour magenta
        if (id == 3)
            return solidPicture(qRgb(0, 0, 255), 0, 0);
        return nullptr;
    }};
};

TEST_F(IconPainterTest, PictureIsDrawnWhereTheIconIsNowAndScaledOnlyOnce)
{
    CQuibIcon icon;
    icon.WordId = 1;
    icon.ScreenRect = CRect(10, 10, 60, 60);
    QImage first = paper();
    drawIcon(first, icon);
    EXPECT_EQ(first.pixel(35, 35), qRgb(0, 0, 255));
    EXPECT_EQ(icon.Flags & kIconNeedsLayout, 0u);

    // Moved without a new layout, and drawn into a pane scrolled by (5, 7).
    icon.ScreenRect = CRect(100, 50, 150, 100);
    QImage moved = paper();
    drawIcon(moved, icon, QPoint(5, 7));
    EXPECT_EQ(moved.pixel(130, 82), qRgb(0, 0, 255));
    EXPECT_EQ(moved.pixel(35, 35), kPaper) << "nothing is left at the old place";
    EXPECT_EQ(m_pictureLoads, 1);

    icon.Flags |= kIconSelected;
    QImage selected = paper();
    drawIcon(selected, icon);
    EXPECT_EQ(selected.pixel(100, 75), qRgb(255, 0, 0)) << "the selected frame at the left edge";
}

TEST_F(IconPainterTest, BitmapModelStretchesThePictureIntoASquareBox)
{
    const CIconPainter wide([](std::int32_t, int, int) { return solidPicture(qRgb(0, 0, 255), 40, 20); });
    CQuibIcon icon;
    icon.WordId = 1;
    icon.ScreenRect = CRect(0, 0, 100, 100);
    QImage fitted = paper();
    paintInto(wide, fitted, icon);
    EXPECT_EQ(fitted.pixel(50, 5), kPaper) << "fitted: 96 x 48 in the middle";
    EXPECT_EQ(fitted.pixel(50, 50), qRgb(0, 0, 255));

    theImageModel = 1;
    icon.Flags |= kIconNeedsLayout;
    QImage stretched = paper();
    paintInto(wide, stretched, icon);
    EXPECT_EQ(stretched.pixel(50, 5), qRgb(0, 0, 255)) << "stretched: 96 x 96";
    EXPECT_EQ(stretched.pixel(1, 50), kPaper);
}

TEST_F(IconPainterTest, KeyColourLeavesTheBackgroundAndIsForgottenWithTheNextPicture)
{
    CQuibIcon icon;
    icon.WordId = 2;
    icon.ScreenRect = CRect(0, 0, 40, 40);
    QImage keyed = paper();
    drawIcon(keyed, icon);
    EXPECT_TRUE(icon.Flags & kIconKeyColor);
    EXPECT_EQ(keyed.pixel(5, 5), kPaper);
    EXPECT_EQ(keyed.pixel(30, 30), qRgb(255, 0, 0));

    icon.WordId = 1;
    icon.Flags |= kIconNeedsLayout;
    icon.FreeCache();
    QImage plain = paper();
    drawIcon(plain, icon);
    EXPECT_FALSE(icon.Flags & kIconKeyColor);
    EXPECT_EQ(icon.PictCacheColor, kIconNoCacheColor);
    EXPECT_EQ(plain.pixel(5, 5), qRgb(0, 0, 255));
}

TEST_F(IconPainterTest, TextFitsOrShowsDotsAndAPictureOfNoSizeFallsBackToText)
{
    CQuibIcon text;
    text.WordName = "hello";
    text.Flags |= kIconContentTextOnly;
    text.ScreenRect = CRect(0, 0, 120, 60);
    QImage shown = paper();
    drawIcon(shown, text);
    EXPECT_GT(countPixels(shown, QRect(0, 0, 120, 60), isDark), 20);

    CQuibIcon empty;
    empty.WordId = 3; // a picture of no pixels: no division by zero, the label instead
    empty.WordName = "x";
    empty.ScreenRect = CRect(0, 0, 60, 60);
    QImage fallback = paper();
    drawIcon(fallback, empty);
    EXPECT_GT(countPixels(fallback, QRect(0, 0, 60, 60), isDark), 5);

    CQuibIcon tooLong;
    tooLong.WordName = "unbreakablewordthatcannotfitanywhere";
    tooLong.ScreenRect = CRect(0, 0, 40, 20);
    QImage dots = paper();
    drawIcon(dots, tooLong);
    // Three dots at the bottom right of the text area (the rectangle less 3 pixels).
    EXPECT_EQ(dots.pixel(33, 13), qRgb(0x40, 0x40, 0x40));
    EXPECT_EQ(dots.pixel(26, 13), qRgb(0x40, 0x40, 0x40));
    EXPECT_EQ(countPixels(dots, QRect(0, 0, 40, 10), isDark), 0);
}

TEST_F(IconPainterTest, HiddenIconDrawsNothingAndFramesFollowTheirAttributes)
{
    CQuibIcon hidden;
    hidden.WordId = 1;
    hidden.ScreenRect = CRect(0, 0, 50, 50);
    hidden.Flags &= ~kIconVisible;
    hidden.DrawnFlags = 0x1234;
    QImage none = paper();
    drawIcon(none, hidden);
    EXPECT_EQ(countPixels(none, none.rect(), [](QRgb p) { return p != kPaper; }), 0);
    EXPECT_EQ(hidden.DrawnFlags, 0x1234u);

    CQuibIcon framed;
    framed.ScreenRect = CRect(10, 10, 60, 60);
    framed.Attributes.SetValue("framewidth", "hair");
    framed.Attributes.SetValue("framecolor", "0,0,255");
    QImage without = paper();
    drawIcon(without, framed);
    EXPECT_EQ(without.pixel(10, 30), kPaper) << "no frame without its flag";
    framed.Flags |= kIconFrameShown;
    QImage with = paper();
    drawIcon(with, framed);
    EXPECT_EQ(with.pixel(10, 30), qRgb(0, 0, 255));
    EXPECT_EQ(with.pixel(11, 30), kPaper) << "a hair is one pixel";

    framed.LinkId = 7;
    QImage badged = paper();
    paintInto(m_painter, badged, framed, kPaintSpotFrames | kPaintLinkBadges);
    EXPECT_EQ(badged.pixel(35, 35), qRgb(0, 0, 255)) << "a spot in the frame's colour";
    EXPECT_EQ(badged.pixel(10, 30), kPaper) << "a spot instead of the frame in browse";
    EXPECT_EQ(badged.pixel(12, 12), qRgb(0x80, 0xFF, 0xFF)) << "the link badge";
}

TEST_F(IconPainterTest, WriterToolIconDrawsOnlyItsPicture)
{
    CWriterToolIcon tool;
    tool.WordName = "never shown";
    tool.WordId = 9; // no such picture
    tool.ScreenRect = CRect(0, 0, 48, 48);
    QImage missing = paper();
    drawIcon(missing, tool);
    EXPECT_EQ(countPixels(missing, missing.rect(), [](QRgb p) { return p != kPaper; }), 0);
    EXPECT_EQ(tool.DrawnFlags, CWriterToolIcon::kToolFlags);

    tool.WordId = 1;
    tool.Flags |= kIconNeedsLayout;
    QImage shown = paper();
    drawIcon(shown, tool);
    EXPECT_EQ(shown.pixel(24, 24), qRgb(0, 0, 255));
}

TEST_F(IconPainterTest, ShownInflexionGovernsThePicture)
{
    constexpr std::int16_t kLanguage = 1;
    const int file = lumivo::test::makeResourceFile(tempPath("words.tvf"));
    theActiveFiles = {file};
    theCurrentLanguage = kLanguage;
    theSearchLanguages = {kLanguage};
    const auto storeWord = [&](std::int32_t id, const char* name, std::vector<std::int32_t> family) {
        CQuibWord word;
        word.WordName = QString::fromUtf8(name);
        word.FamilyList = std::move(family);
        ASSERT_EQ(word.Create(), RES_OK);
        ASSERT_EQ(word.SaveAs(id, file, MakeWordType(kLanguage)), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
    };
    storeWord(10, "hus", {});
    storeWord(11, "huse", {10});
    CQuibObjIndex::LoadWords();
    const CIconPainter grey([](std::int32_t id, int, int) -> std::unique_ptr<CQuibPict> {
        if (id == 10)
            return solidPicture(qRgb(0x40, 0x40, 0x40), 20, 20);
        return id == 11 ? solidPicture(qRgb(0x80, 0x80, 0x80), 20, 20) : nullptr;
    });
    CQuibIcon icon;
    icon.WordId = icon.ShownWordId = 10;
    icon.ScreenRect = CRect(10, 10, 90, 90);
    const auto centreColour = [&] {
        QImage image = paper(100, 100);
        paintInto(grey, image, icon);
        return image.pixel(50, 50);
    };
    EXPECT_EQ(centreColour(), qRgb(0x40, 0x40, 0x40));
    icon.NextInflexion(false);
    EXPECT_EQ(centreColour(), qRgb(0x80, 0x80, 0x80));
    icon.NextInflexion(false);
    EXPECT_EQ(centreColour(), qRgb(0x40, 0x40, 0x40));
}

TEST_F(IconPainterTest, PrintScalesTheRectangleAndPrintsTheKeyColourWhite)
{
    CQuibIcon icon;
    icon.WordId = 2;
    icon.ScreenRect = CRect(0, 0, 40, 40);
    QImage printed = paper();
    QImage kept = paper();
    {
        QPainter painter(&printed);
        m_painter.PaintForPrint(painter, QPoint(10, 10), icon, 2000, 2000, 0);
        QPainter keeping(&kept);
        m_painter.PaintForPrint(keeping, QPoint(10, 10), icon, 2000, 2000, kPrintKeepKeyColor);
    }
    EXPECT_EQ(printed.pixel(20, 20), qRgb(255, 255, 255));
    EXPECT_EQ(kept.pixel(20, 20), qRgb(255, 0, 255));
    EXPECT_EQ(printed.pixel(80, 80), qRgb(255, 0, 0));
    EXPECT_EQ(printed.pixel(95, 95), kPaper);
}

TEST_F(IconPainterTest, PageStoredAndReopenedDrawsTheSame)
{
    CQuibBg page;
    page.LayoutSize = SIZE{200, 150};
    const auto add = [&](std::unique_ptr<CQuibIcon> icon, CRect rect, std::int32_t word, const char* label) {
        icon->ScreenRect = rect;
        icon->WordId = word;
        icon->WordName = QString::fromLatin1(label);
        page.Icons.push_back(std::move(icon));
    };
    add(std::make_unique<CQuibIcon>(), CRect(10, 10, 90, 70), 1, "");
    add(std::make_unique<CQuibIcon>(), CRect(60, 40, 190, 140), 0, "front text");
    add(std::make_unique<CQuibIcon_Ellipse>(), CRect(5, 80, 55, 140), 0, "");
    const auto render = [this](CQuibBg& shown) {
        QImage image = paper();
        QPainter painter(&image);
        for (auto& icon : shown.Icons)
            m_painter.Paint(painter, {}, *icon);
        return image;
    };
    IconListScreenToRelative(page.Icons, page.LayoutSize);
    IconListRelativeToScreen(page.Icons, page.LayoutSize);
    const QImage before = render(page);

    CMemFile file;
    {
        CArchive out(file, CArchive::store);
        page.SerializeStamped(out, CTime::GetCurrentTime());
        out.Close();
    }
    CQuibBg reopened;
    CMemFile in;
    in.Attach(file.toByteArray());
    CArchive load(in, CArchive::load);
    reopened.SerializeStamped(load, CTime::GetCurrentTime());
    IconListRelativeToScreen(reopened.Icons, page.LayoutSize);
    const QImage after = render(reopened);
    EXPECT_EQ(after, before);
    if (const char* keep = std::getenv("LUMIVO_KEEP_RENDERS"))
        after.save(QString::fromLocal8Bit(keep) + "/page.png");
}
