#include "core/IconBounds.h"

#include "core/Icon.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace
{

// The columns [from, to) of one row of pixels that lie in an ellipse; from >= to when none do.
struct RowSpan {
    int from = 0;
    int to = 0;
};

int columnToInt(double column)
{
    return static_cast<int>(std::clamp(column, double(INT_MIN), double(INT_MAX)));
}

RowSpan ellipseRow(const CRect& ellipse, int y)
{
    const double halfWidth = (double(ellipse.right) - ellipse.left) / 2;
    const double halfHeight = (double(ellipse.bottom) - ellipse.top) / 2;
    if (halfWidth <= 0 || halfHeight <= 0)
        return {};
    const double centreX = (double(ellipse.left) + ellipse.right) / 2;
    const double centreY = (double(ellipse.top) + ellipse.bottom) / 2;
    const double dy = (y + 0.5 - centreY) / halfHeight;
    const double inside = 1 - dy * dy;
    if (inside < 0)
        return {};
    // The pixels whose centres x + 0.5 lie within the half span of the centre.
    const double halfSpan = halfWidth * std::sqrt(inside);
    const double first = std::ceil(centreX - halfSpan - 0.5);
    const double last = std::floor(centreX + halfSpan - 0.5);
    if (first > last)
        return {};
    return {columnToInt(first), columnToInt(last + 1)};
}

// The device's area in the painter's own coordinates.
QRectF deviceArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return {};
    return painter.combinedTransform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
}

} // namespace

bool EllipseContains(const CRect& ellipse, const POINT& point)
{
    if (point.y < ellipse.top || point.y >= ellipse.bottom)
        return false;
    const RowSpan span = ellipseRow(ellipse, point.y);
    return point.x >= span.from && point.x < span.to;
}

QRegion EllipseRegion(const CRect& ellipse, const CRect& within)
{
    CRect rows;
    if (!rows.IntersectRect(ellipse, within))
        return {};
    std::vector<QRect> bands;
    for (int y = rows.top; y < rows.bottom; ++y) {
        const RowSpan span = ellipseRow(ellipse, y);
        const CRect row(std::max(span.from, within.left), y, std::min(span.to, within.right), y + 1);
        if (row.IsRectEmpty())
            continue;
        // Rows with the same columns, one under the other, make one band.
        const QRect band = toQRect(row);
        if (!bands.empty() && bands.back().left() == band.left() && bands.back().right() == band.right() &&
            bands.back().bottom() + 1 == band.top())
            bands.back().setBottom(band.bottom());
        else
            bands.push_back(band);
    }
    QRegion region;
    region.setRects(bands.data(), int(bands.size()));
    return region;
}

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

void ClipToShape(QPainter& painter, std::uint32_t shape, const CRect& rect)
{
    const CRect visible = VisibleArea(painter);
    if (shape == kIconShapeRect || shape == kIconShapeNoHit)
        painter.setClipRect(toQRect(rect & visible), Qt::IntersectClip);
    else if (shape == kIconShapeEllipse)
        painter.setClipRegion(EllipseRegion(rect, visible), Qt::IntersectClip);
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
