#include "platform/types/WinTypes.h"

#include "platform/types/Clock.h"

#include <algorithm>
#include <limits>
#include <utility>

void CRect::OffsetRect(int dx, int dy)
{
    left = SaturatingAdd(left, dx);
    right = SaturatingAdd(right, dx);
    top = SaturatingAdd(top, dy);
    bottom = SaturatingAdd(bottom, dy);
}

void CRect::InflateRect(int l, int t, int r, int b)
{
    left = SaturatingSub(left, l);
    top = SaturatingSub(top, t);
    right = SaturatingAdd(right, r);
    bottom = SaturatingAdd(bottom, b);
}

void CRect::MoveToX(int x)
{
    right = SaturatingAdd(x, Width());
    left = x;
}

void CRect::MoveToY(int y)
{
    bottom = SaturatingAdd(y, Height());
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
    const auto clamped = [](int value) { return std::clamp(value, -kQtCoordinateLimit, kQtCoordinateLimit); };
    const int left = clamped(rect.left);
    const int top = clamped(rect.top);
    return QRect(left, top, clamped(rect.right) - left, clamped(rect.bottom) - top);
}

CRect fromQRect(const QRect& rect)
{
    // From the edges, not width(): Qt's width of a rectangle that spans the int range overflows.
    return CRect(rect.left(), rect.top(), SaturatingAdd(rect.right(), 1), SaturatingAdd(rect.bottom(), 1));
}

namespace
{

// number * numerator / denominator rounded half away from zero, in 64 bits; the denominator is not 0.
std::int64_t roundedMulDiv(int number, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    // Work on magnitudes so that rounding goes away from zero on both sides.
    const std::uint64_t magnitude =
        product < 0 ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = denominator < 0
                                      ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(denominator))
                                      : static_cast<std::uint64_t>(denominator);
    // At most 2^62 + 2^30: it fits in an int64 either way round.
    const auto quotient = static_cast<std::int64_t>((magnitude + divisor / 2) / divisor);
    return negative ? -quotient : quotient;
}

} // namespace

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return MULDIV_FAILED;
    const std::int64_t result = roundedMulDiv(number, numerator, denominator);
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return MULDIV_FAILED;
    return static_cast<int>(result);
}

int MulDivSaturated(int number, int numerator, int denominator)
{
    return denominator == 0 ? 0 : SaturateToInt(roundedMulDiv(number, numerator, denominator));
}

std::uint32_t GetTickCount()
{
    return lumivo::clock::tickCount();
}
