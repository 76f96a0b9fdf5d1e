// Painting icons: the look of each kind of icon, the content (picture, clip frame or text), frames,
// handles, badges and labels, and the print variant.

#include "panes/IconPainter.h"

#include "core/IconEditing.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "panes/ClipPreview.h"
#include "panes/DrawingBounds.h"
#include "panes/IconText.h"
#include "platform/image/Image.h"
#include "system/SystemSettings.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

COLORREF theSelectedFrameColor = 0x050000FF;
COLORREF theEnteredFrameColor = 0x0400FF00;

struct CIconPainter::Canvas {
    QPainter& painter;
    QPoint origin; // where the page's pixel (0, 0) lands
    unsigned flags;
    const CQuibIcon* soleSelected;
};

namespace
{

constexpr int kTextInset = 3;
constexpr COLORREF kEditFrameGrey = 0x808080;
constexpr COLORREF kDotsColor = 0x404040;
constexpr COLORREF kSoleSelectionBand = 0x00C0C0;
constexpr COLORREF kPictureBand = 0x808080;
constexpr std::uint32_t kIconPictureBand = 0x100;

CRect movedBy(const CRect& rect, const QPoint& origin)
{
    CRect moved = rect;
    moved.OffsetRect(origin.x(), origin.y());
    return moved;
}

bool isVisible(const QPainter& painter, const CRect& rect)
{
    if (rect.IsRectEmpty())
        return false;
    const QRect area = toQRect(rect);
    if (painter.hasClipping())
        return painter.clipRegion().intersects(area);
    const QPaintDevice* device = painter.device();
    return !device || QRect(0, 0, device->width(), device->height()).intersects(area);
}

void drawOutline(QPainter& painter, const CRect& rect, COLORREF color, int width, bool ellipse)
{
    if (width <= 0 || rect.IsRectEmpty())
        return;
    // The pen lies inside the rectangle, so the frame covers the same pixels at any width.
    const QRectF inner = QRectF(toQRect(rect)).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(toQColor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (ellipse)
        painter.drawEllipse(inner);
    else
        painter.drawRect(inner);
    painter.restore();
}

// A frame of the icon's shape: moved down one pixel at its top, as the stored pages were laid out.
void drawFrame(QPainter& painter, CRect rect, std::uint32_t shape, COLORREF color, int width)
{
    rect.top = SaturatingAdd(rect.top, 1);
    if (shape == kIconShapeRect)
        drawOutline(painter, rect, color, width, false);
    else if (shape == kIconShapeEllipse)
        drawOutline(painter, rect, color, width, true);
    else if (shape == kIconShapeUnclipped) {
        if (theEditTool != kEditToolBrowse)
            drawOutline(painter, rect, color, width, false);
        const int diameter = std::min({25, rect.Width(), rect.Height()});
        const CPoint centre = rect.CenterPoint();
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(toQColor(color));
        painter.drawEllipse(QRect(centre.x - diameter / 2, centre.y - diameter / 2, diameter, diameter));
        painter.restore();
    }
}

void drawBand(QPainter& painter, const QRect& around, COLORREF color)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(toQColor(color), 1));
    painter.drawRect(around.adjusted(-1, -1, 0, 0));
    painter.restore();
}

// The circle on a linking icon's top-left corner that shows, on demand, where links go: red edge for a
// link, grey for none.
void drawLinkBadge(QPainter& painter, const CRect& rect, std::int32_t linkId)
{
    constexpr int kBadgeDiameter = 30;
    constexpr COLORREF kBadgeFill = 0xFFFF80;
    painter.save();
    painter.setBrush(toQColor(kBadgeFill));
    painter.setPen(QPen(toQColor(linkId > 0 ? 0x0000FF : 0x808080), 2));
    painter.drawEllipse(QPoint(rect.left, rect.top), kBadgeDiameter / 2, kBadgeDiameter / 2);
    painter.restore();
}

bool nearColor(QRgb pixel, COLORREF color, int tolerance)
{
    return std::abs(qRed(pixel) - GetRValue(color)) <= tolerance &&
           std::abs(qGreen(pixel) - GetGValue(color)) <= tolerance &&
           std::abs(qBlue(pixel) - GetBValue(color)) <= tolerance;
}

void paintHandles(QPainter& painter, QPoint origin, const CQuibIcon& icon)
{
    for (int handle = 1; handle <= icon.GetHandleCount(); ++handle)
        painter.fillRect(toQRect(movedBy(icon.GetHandleRect(handle), origin)), Qt::black);
}

// The text at the first automatic height that fits (or the fixed one), else three dots.
void paintLabelText(QPainter& painter, const CQuibIcon& icon, const CRect& rect, const QString& text)
{
    CRect area = rect;
    area.DeflateRect(kTextInset, kTextInset);
    if (text.isEmpty() || area.IsRectEmpty())
        return;
    const int fixed =
        std::min(FixedTextHeight(icon.Attributes, rect.Height(), 1000), DeviceTextLimit(painter));
    const std::vector<int> heights = fixed > 0
                                         ? std::vector<int>{fixed}
                                         : std::vector<int>(kAutoTextHeights.begin(), kAutoTextHeights.end());
    if (DrawFittedText(painter, toQRect(area), text, heights, TextAlignmentOf(icon.Attributes)))
        return;
    if (text == QLatin1String("...") || area.Height() <= 9 || area.Width() <= 21)
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(kDotsColor));
    for (int dot = 0; dot < 3; ++dot)
        painter.drawEllipse(QRect(area.right - 5 - 7 * dot, area.bottom - 5, 3, 3));
    painter.restore();
}

void paintNameLabel(QPainter& painter, CQuibIcon& icon, const CRect& rect)
{
    CRect area = rect;
    area.DeflateRect(kTextInset, kTextInset);
    QString text = icon.GetDisplayText(kWordTextDropLayoutChars);
    if (text.isEmpty())
        text = QStringLiteral("?");
    const QFont font = IconFont(12);
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    // Long names get break points, so that word wrapping can cut them.
    if (textWidth > 2 * std::int64_t{area.Width()}) {
        text.insert(2 * text.size() / 3, QStringLiteral("- "));
        text.insert(text.size() / 3, QStringLiteral("- "));
    } else if (textWidth > area.Width()) {
        text.insert(text.size() / 2, QStringLiteral("- "));
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    DrawTextInBox(painter, toQRect(area), Qt::TextWordWrap, text);
    painter.restore();
}

void paintFrames(QPainter& painter, QPoint origin, unsigned flags, CQuibIcon& icon, const CRect& rect)
{
    const std::uint32_t frameKind = (flags & kPaintSpotFrames) ? kIconShapeUnclipped : icon.Shape;
    if ((flags & kPaintHandles) && theEditTool != kEditToolBrowse) {
        drawFrame(painter, rect, frameKind, (icon.Flags & kIconHandles) ? 0 : kEditFrameGrey,
                  theStateFrameWidth);
        if (icon.Flags & kIconHandles)
            paintHandles(painter, origin, icon);
        if (theEditOptions & kEditOptionShowNames)
            paintNameLabel(painter, icon, rect);
        return;
    }
    if ((icon.Flags & (kIconSelected | kIconEntered)) && !(icon.Flags & kIconNotSelectable)) {
        const COLORREF color = (icon.Flags & kIconSelected) ? theSelectedFrameColor : theEnteredFrameColor;
        drawFrame(painter, rect, frameKind, color & 0xFFFFFF, theStateFrameWidth);
    } else if (icon.Flags & kIconFrameShown) {
        drawFrame(painter, rect, frameKind, FrameColorOf(icon.Attributes),
                  FrameWidthOf(icon.Attributes, icon.ScreenRect.Height()));
    }
    if (flags & kPaintLinkBadges)
        drawLinkBadge(painter, rect, icon.LinkId);
}

// An ellipse icon is an outline only: black, red when selected, green when entered; and its handles.
void paintOutline(QPainter& painter, QPoint origin, CQuibIcon& icon)
{
    QColor color = Qt::black;
    if (icon.Flags & kIconEntered)
        color = Qt::green;
    else if (icon.Flags & kIconSelected)
        color = Qt::red;
    painter.save();
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(toQRect(movedBy(icon.ScreenRect, origin)).adjusted(0, 0, -1, -1));
    painter.restore();
    if (icon.Flags & kIconHandles)
        paintHandles(painter, origin, icon);
    icon.DrawnFlags = icon.Flags;
}

} // namespace

void ResetIconPainter()
{
    theSelectedFrameColor = 0x050000FF;
    theEnteredFrameColor = 0x0400FF00;
}

CIconPainter::CIconPainter() : m_finder(LoadWordPicture) {}

CIconPainter::CIconPainter(PictureFinder finder) : m_finder(std::move(finder)) {}

std::unique_ptr<CQuibPict> CIconPainter::FindPicture(std::int32_t id, int width, int height) const
{
    return m_finder(id, width, height);
}

void CIconPainter::PreparePictures(const CQuibIconList& icons, unsigned flags) const
{
    PrepareIconPictures(m_finder, icons, (flags & kPaintPictureStep2) != 0, theClipPreview.Icon());
}

void CIconPainter::Paint(QPainter& painter, QPoint origin, CQuibIcon& icon, unsigned flags,
                         const CQuibIcon* soleSelected) const
{
    const Canvas canvas{painter, origin, flags, soleSelected};
    switch (icon.Look()) {
    case IconLook::Outline:
        paintOutline(painter, origin, icon);
        return;
    case IconLook::ToolPicture: {
        // A writer tool shows only its picture, always in the writer's size step; no text, frames or
        // handles, and its drawn flags stay as they are.
        const CRect rect = movedBy(icon.ScreenRect, origin);
        if ((icon.Flags & kIconVisible) && !rect.IsRectEmpty())
            paintPicture({painter, origin, flags | kPaintPictureStep2, soleSelected}, icon, rect);
        return;
    }
    case IconLook::Standard:
        paintStandard(canvas, icon);
        return;
    }
}

void CIconPainter::paintStandard(const Canvas& canvas, CQuibIcon& icon) const
{
    const CRect rect = movedBy(icon.ScreenRect, canvas.origin);
    icon.Flags |= kIconDrawn;
    if (!(icon.Flags & kIconVisible) || !isVisible(canvas.painter, rect))
        return;
    canvas.painter.save();
    ClipToShape(canvas.painter, icon.Shape, rect);
    if (theEditTool == kEditToolBrowse || (theEditOptions & kEditOptionShowPictures))
        paintContent(canvas, icon, rect);
    canvas.painter.restore();
    paintFrames(canvas.painter, canvas.origin, canvas.flags, icon, rect);
    icon.DrawnFlags = icon.Flags;
}

void CIconPainter::paintContent(const Canvas& canvas, CQuibIcon& icon, const CRect& rect) const
{
    const std::uint32_t kind = icon.Flags & kIconContentMask;
    const bool previewed = theClipPreview.Icon() == &icon;
    if (kind == kIconContentTextOnly) {
        paintLabelText(canvas.painter, icon, rect, icon.GetDisplayText(kWordTextCutSuffix));
        return;
    }
    if (kind == kIconContentPictureWhenEditing) {
        if (theEditTool != kEditToolBrowse && (theEditOptions & kEditOptionShowPictures) && !previewed)
            paintPicture(canvas, icon, rect);
        return;
    }
    if (icon.Flags & kIconNoPicture)
        return;
    if (previewed) {
        const QImage frame = theClipPreview.FrameImage();
        if (!frame.isNull())
            canvas.painter.drawImage(ClipFrameBox(rect, icon.PictId != 0 || icon.WordId != 0), frame);
        return;
    }
    if (!paintPicture(canvas, icon, rect))
        paintLabelText(canvas.painter, icon, rect, icon.GetDisplayText(kWordTextCutSuffix));
}

// The picture by the size-step rule, placed in `rect`; false when there is none to draw.
bool CIconPainter::paintPicture(const Canvas& canvas, CQuibIcon& icon, const CRect& rect) const
{
    const bool hasId = icon.PictId != 0 || icon.WordId != 0;
    if ((icon.Flags & kIconNeedsLayout) && hasId) {
        if (const auto step = StepToCache(icon, rect, (canvas.flags & kPaintPictureStep2) != 0))
            CacheIconPicture(m_finder, icon, rect, *step);
    }
    icon.Flags &= ~kIconNeedsLayout;
    if (icon.CachedBitmap.isNull())
        return false;
    // Placed from where the icon is now, so a moved icon or a scrolled pane shows it in its place.
    const QSize shown =
        icon.PictCacheShownSize.isEmpty() ? icon.CachedBitmap.size() : icon.PictCacheShownSize;
    const CRect target = CentredIn(rect, shown);
    icon.PictCacheRect = target - fromQPoint(canvas.origin);
    DrawPictureInto(canvas.painter, target, icon.CachedBitmap, (icon.Flags & kIconKeyColor) != 0);
    if (theEditTool != kEditToolBrowse && canvas.soleSelected == &icon)
        drawBand(canvas.painter, toQRect(target), kSoleSelectionBand);
    if (icon.Flags & kIconPictureBand)
        drawBand(canvas.painter, toQRect(target), kPictureBand);
    return true;
}

void CIconPainter::PaintForPrint(QPainter& painter, QPoint origin, CQuibIcon& icon, int scaleX, int scaleY,
                                 int printOptions) const
{
    const CRect& screen = icon.ScreenRect;
    CRect rect(MulDivSaturated(screen.left, scaleX, 1000), MulDivSaturated(screen.top, scaleY, 1000),
               MulDivSaturated(screen.right, scaleX, 1000), MulDivSaturated(screen.bottom, scaleY, 1000));
    rect.OffsetRect(origin.x(), origin.y());
    if (!(icon.Flags & kIconVisible) || !isVisible(painter, rect))
        return;
    painter.save();
    ClipToShape(painter, icon.Shape, rect);
    const bool pictureAllowed = !(icon.Flags & (kIconContentPictureWhenEditing | kIconNoPicture)) &&
                                (icon.Flags & kIconContentMask) != kIconContentTextOnly;
    if (!pictureAllowed || !printPicture(painter, icon, rect, printOptions)) {
        CRect area = rect;
        area.DeflateRect(kTextInset, kTextInset);
        const QString text = icon.GetDisplayText(kWordTextCutSuffix);
        // No text taller than the paper: it would never be whole on it.
        const int tallest = std::min(area.Height(), DeviceTextLimit(painter));
        if (!text.isEmpty() && !area.IsRectEmpty())
            DrawFittedText(painter, toQRect(area), text,
                           PrintTextHeights(icon.Attributes, icon.ScreenRect.Height(), scaleY, tallest),
                           TextAlignmentOf(icon.Attributes));
    }
    painter.restore();
    if (icon.Flags & kIconFrameShown)
        drawFrame(painter, rect, icon.Shape, FrameColorOf(icon.Attributes),
                  FrameWidthOf(icon.Attributes, rect.Height()));
}

bool CIconPainter::printPicture(QPainter& painter, CQuibIcon& icon, const CRect& rect, int printOptions) const
{
    std::unique_ptr<CQuibPict> picture = FindIconPicture(m_finder, icon, rect.Width(), rect.Height());
    if (!picture)
        return false;
    if (!picture->GetImage()) {
        picture->Load();
        picture->Decode();
    }
    QImage image = picture->GetImage() ? lumivo::image::toQImage(*picture->GetImage()) : QImage();
    if (image.isNull())
        return false;
    if (HasKeyColor(picture->TransparentColor) && !(printOptions & kPrintKeepKeyColor)) {
        // Paper has no transparency: the key colour and what resampling made of it print as white.
        constexpr int kKeyTolerance = 40;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (nearColor(image.pixel(x, y), picture->TransparentColor, kKeyTolerance))
                    image.setPixel(x, y, qRgb(255, 255, 255));
            }
        }
    }
    const SizeStep step = SizeStepFor(std::min(rect.Width(), rect.Height()), false);
    const std::uint32_t flags = ScaleFlags(icon.Flags);
    const QSize box = PictureBox(rect, step, flags);
    if (box.isEmpty())
        return false;
    const QSize shown = ScaledPictureSize(image.size(), box, flags);
    DrawPictureInto(
        painter, CentredIn(rect, shown),
        image.scaled(KeptPictureSize(shown, image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        false);
    return true;
}
