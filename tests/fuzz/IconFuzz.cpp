// An icon stream as the clipboard carries it (and, with its rectangle in per mille, as a page, a
// sentence or a package does), seeded by the clipboard's own writer: what reads, the clipboard writes
// back to bytes that read again as the same; it is pasted inside the pane or not at all; drawn on a
// page (browsing, and in an editing tool with names shown), hit-tested and printed, as its own shape
// and as the ellipse class, it sets no clip beyond the device it is drawn on and keeps its stored
// rectangle exactly as it was read.

#include "core/IconEditing.h"
#include "core/IconShapes.h"
#include "core/Page.h"
#include "panes/IconPainter.h"
#include "shell/Clipboard.h"
#include "system/SystemSettings.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/ShownPage.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <memory>
#include <string>

namespace lumivo::fuzz::icon
{

namespace
{

constexpr SIZE kPage{640, 427};
const CRect kPane(0, 0, 600, 400);

std::string describe(const CRect& rect)
{
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

void checkWithin(const lumivo::test::PaintRecorder& recorder, const char* where, const CRect& stored)
{
    const QRect beyond = recorder.clipBeyondArea();
    fuzzCheck(beyond.isNull(), std::string(where) + " of " + describe(stored) + " set a clip of " +
                                   std::to_string(beyond.width()) + " x " + std::to_string(beyond.height()));
}

void checkPaste(const CRect& carried)
{
    const std::optional<CRect> pasted = PastedIconRect(carried, kPane);
    fuzzCheck(pasted.has_value(), "an icon is not pasted onto a pane that can hold it");
    CRect inside;
    inside.IntersectRect(*pasted, kPane);
    fuzzCheck(inside == *pasted && pasted->Width() >= kPastedIconMinimumSize &&
                  pasted->Height() >= kPastedIconMinimumSize,
              "the icon of " + describe(carried) + " is pasted at " + describe(*pasted));
}

// What the clipboard writes of an icon it read, it reads back and writes as the same bytes.
void checkClipboardRoundTrip(const CQuibIcon& read)
{
    CQuibIcon icon;
    icon.CopyFrom(read);
    // The clipboard carries the pixel rectangle: the one read goes out again as it came.
    icon.ScreenRect = read.StoredRect;
    const QByteArray written = IconClipboardBytes(icon);
    CQuibIcon again;
    fuzzCheck(ReadIconStream(written, again), "the clipboard does not read an icon it wrote");
    again.ScreenRect = again.StoredRect;
    fuzzCheck(IconClipboardBytes(again) == written,
              "an icon the clipboard wrote and read back writes otherwise");
}

// Drawn in an editing tool with names and pictures shown, as the page editor shows it.
void checkEditingView(CQuibIcon& icon, const CRect& stored)
{
    const int tool = theEditTool;
    const std::uint16_t options = theEditOptions;
    theEditTool = kEditToolSelect;
    theEditOptions |= kEditOptionShowNames | kEditOptionShowPictures;
    lumivo::test::PaintRecorder screen(kPage.cx, kPage.cy);
    {
        QPainter painter(&screen);
        CIconPainter().Paint(painter, {}, icon, kPaintHandles);
    }
    theEditTool = tool;
    theEditOptions = options;
    checkWithin(screen, "editing", stored);
}

void drawHitAndPrint(CQuibIcon& icon)
{
    const CRect stored = icon.StoredRect;
    const CIconPainter iconPainter;
    icon.RelativeToScreen(kPage);
    lumivo::test::PaintRecorder screen(kPage.cx, kPage.cy);
    {
        QPainter painter(&screen);
        iconPainter.Paint(painter, {}, icon);
    }
    checkWithin(screen, "drawing", stored);
    checkEditingView(icon, stored);
    // Really drawn too, for what the raster engine makes of it.
    QImage small(64, 48, QImage::Format_RGB32);
    {
        QPainter painter(&small);
        iconPainter.Paint(painter, QPoint(-300, -200), icon);
    }
    const CRect& rect = icon.ScreenRect;
    {
        // A copy on a page a pane shows (the test needs one, and asks nothing of it).
        CQuibBg page;
        page.Icons.push_back(icon.Clone());
        const lumivo::test::ScopedShownPage shown(page);
        static_cast<void>(page.Icons.back()->IsVisibleIn(CRect(0, 0, kPage.cx, kPage.cy)));
    }
    for (const CPoint point : {rect.CenterPoint(), rect.TopLeft(), CPoint(320, 213), CPoint(0, 0)}) {
        const bool hit = icon.HitTest(point);
        fuzzCheck(!hit || rect.PtInRect(point), "a hit outside the icon's rectangle");
        static_cast<void>(icon.IsHit(point));
    }
    lumivo::test::PaintRecorder paper(2480, 3508);
    {
        QPainter painter(&paper);
        iconPainter.PaintForPrint(painter, QPoint(100, 100), icon, 5000, 5000, 0);
    }
    checkWithin(paper, "printing", stored);
    icon.ScreenToRelative(kPage);
    fuzzCheck(icon.StoredRect == stored,
              "the stored rectangle " + describe(stored) + " became " + describe(icon.StoredRect));
}

void fuzzIcon(const std::uint8_t* data, std::size_t size)
{
    resetGlobals();
    CQuibIcon icon;
    if (!ReadIconStream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), icon))
        return;
    checkPaste(icon.StoredRect);
    checkClipboardRoundTrip(icon);
    CQuibIcon_Ellipse ellipse;
    ellipse.CopyFrom(icon);
    drawHitAndPrint(icon);
    drawHitAndPrint(ellipse);
    resetGlobals();
}

std::vector<Bytes> iconSeeds()
{
    resetGlobals();
    struct Seed {
        CRect rect;
        std::uint32_t shape;
        const char* label;
        const char* attribute;
        const char* value;
    };
    const Seed kSeeds[] = {
        {CRect(100, 100, 300, 250), kIconShapeRect, "hus", "", ""},
        {CRect(0, 0, 1000, 1000), kIconShapeEllipse, "", "framewidth", "5%"},
        {CRect(500, 20, 990, 980), kIconShapeUnclipped, "en lang tekst", "textsize", "60%"},
    };
    std::vector<Bytes> seeds;
    for (const Seed& seed : kSeeds) {
        CQuibIcon icon(seed.shape);
        icon.ScreenRect = seed.rect;
        icon.WordName = QString::fromLatin1(seed.label);
        icon.Flags |= kIconFrameShown;
        if (*seed.attribute)
            icon.Attributes.SetValue(QString::fromLatin1(seed.attribute), QString::fromLatin1(seed.value));
        const QByteArray bytes = IconClipboardBytes(icon);
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    resetGlobals();
    return seeds;
}

const FuzzTargetRegistration registration({"icon", &fuzzIcon, &iconSeeds});

} // namespace

} // namespace lumivo::fuzz::icon
