#include "core/IconBounds.h"

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
