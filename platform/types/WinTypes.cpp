#include "platform/types/WinTypes.h"

#include "platform/types/Clock.h"

#include <algorithm>
#include <limits>
#include <utility>

void CRect::OffsetRect(int dx, int dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void CRect::InflateRect(int l, int t, int r, int b)
{
    left -= l;
    top -= t;
    right += r;
    bottom += b;
}

void CRect::MoveToX(int x)
{
    right = x + Width();
    left = x;
}

void CRect::MoveToY(int y)
{
    bottom = y + Height();
    top = y;
}

void CRect::MoveToXY(int x, int y)
{
    MoveToX(x);
    MoveToY(y);
}

void CRect::NormalizeRect()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

bool CRect::IntersectRect(const RECT& a, const RECT& b)
{
    const CRect result(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom));
    if (result.IsRectEmpty()) {
        SetRectEmpty();
        return false;
    }
    *this = result;
    return true;
}

bool CRect::UnionRect(const RECT& a, const RECT& b)
{
    const CRect first(a);
    const CRect second(b);
    if (first.IsRectEmpty() && second.IsRectEmpty()) {
        SetRectEmpty();
        return false;
    }
    if (first.IsRectEmpty()) {
        *this = second;
        return true;
    }
    if (second.IsRectEmpty()) {
        *this = first;
        return true;
    }
    *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom));
    return true;
}

QRect toQRect(const RECT& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

CRect fromQRect(const QRect& rect)
{
    return CRect(rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height());
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return MULDIV_FAILED;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    // Work on magnitudes so that rounding goes away from zero on both sides.
    const std::uint64_t magnitude =
        product < 0 ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = denominator < 0
                                      ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(denominator))
                                      : static_cast<std::uint64_t>(denominator);
    const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : std::numeric_limits<int>::max();
    if (quotient > limit)
        return MULDIV_FAILED;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(quotient)) : static_cast<int>(quotient);
}

std::uint32_t GetTickCount()
{
    return lumivo::clock::tickCount();
}
