#include "panes/DrawingBounds.h"

#include "core/Icon.h"
#include "core/IconBounds.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace
{

// The device's area in the painter's own coordinates.
QRectF deviceArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return {};
    return painter.combinedTransform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
}

} // namespace

CRect VisibleArea(const QPainter& painter)
{
    QRectF area = deviceArea(painter);
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    // One pixel more on each side for what the rounding may touch.
    return fromQRect(area.toAlignedRect().adjusted(-1, -1, 1, 1));
}

int DeviceTextLimit(const QPainter& painter)
{
    return std::max(1, int(std::min(deviceArea(painter).height(), double(kQtCoordinateLimit))));
}

void ClipToRect(QPainter& painter, const CRect& rect)
{
    painter.setClipRect(toQRect(rect & VisibleArea(painter)), Qt::IntersectClip);
}

void ClipToShape(QPainter& painter, std::uint32_t shape, const CRect& rect)
{
    if (shape == kIconShapeRect || shape == kIconShapeNoHit)
        ClipToRect(painter, rect);
    else if (shape == kIconShapeEllipse)
        painter.setClipRegion(EllipseRegion(rect, VisibleArea(painter)), Qt::IntersectClip);
}

void DrawTextInBox(QPainter& painter, const QRect& box, int flags, const QString& text)
{
    painter.save();
    ClipToRect(painter, fromQRect(box));
    painter.drawText(box, flags | Qt::TextDontClip, text);
    painter.restore();
}

QSize KeptPictureSize(const QSize& shown, const QSize& source)
{
    const int longer = std::max(shown.width(), shown.height());
    if (longer <= kLargestKeptPicture)
        return shown;
    const int kept = std::clamp(std::max(source.width(), source.height()), 1, kLargestKeptPicture);
    const auto side = [longer, kept](int length) {
        return std::max(1, int(std::int64_t{length} * kept / longer));
    };
    return {side(shown.width()), side(shown.height())};
}

CRect CentredIn(const CRect& rect, const QSize& size)
{
    const CPoint corner = rect.CenterPoint() - CSize(size.width() / 2, size.height() / 2);
    return CRect(corner, CSize(size.width(), size.height()));
}

void DrawPictureInto(QPainter& painter, const CRect& target, const QImage& picture, bool keyed)
{
    constexpr int kLargestSmoothedStretch = 128;
    const CRect visible = target & VisibleArea(painter);
    if (visible.IsRectEmpty() || picture.isNull())
        return;
    const double scaleX = double(picture.width()) / target.Width();
    const double scaleY = double(picture.height()) / target.Height();
    const QRectF source((double(visible.left) - target.left) * scaleX,
                        (double(visible.top) - target.top) * scaleY, visible.Width() * scaleX,
                        visible.Height() * scaleY);
    const bool stretched = target.Width() != picture.width() || target.Height() != picture.height();
    const bool gently = target.Width() <= std::int64_t{picture.width()} * kLargestSmoothedStretch &&
                        target.Height() <= std::int64_t{picture.height()} * kLargestSmoothedStretch;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, stretched && gently && !keyed);
    painter.drawImage(QRectF(toQRect(visible)), picture, source);
    painter.restore();
}
