#pragma once
// The small value types the program's code is written in: points, sizes and rectangles with the
// Windows rules (a rectangle's right and bottom edges lie outside it), 0x00BBGGRR colours, MulDiv
// and the 32-bit millisecond tick. Converters to and from Qt sit beside them.

#include "platform/types/Time.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <climits>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

class CSize;
class CRect;

// Sums and differences of coordinates that cannot overflow: a result beyond an int becomes the nearest
// int. Rectangles read from outside may hold any 32-bit values, and a width or a move must not wrap
// round on them.
constexpr int SaturateToInt(std::int64_t value)
{
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}
constexpr int SaturatingAdd(int a, int b)
{
    return SaturateToInt(std::int64_t{a} + b);
}
constexpr int SaturatingSub(int a, int b)
{
    return SaturateToInt(std::int64_t{a} - b);
}

class CPoint : public POINT
{
public:
    constexpr CPoint() = default;
    constexpr CPoint(int initX, int initY) : POINT{initX, initY} {}
    constexpr CPoint(const POINT& pt) : POINT(pt) {}

    void Offset(int dx, int dy)
    {
        x = SaturatingAdd(x, dx);
        y = SaturatingAdd(y, dy);
    }
    void Offset(const POINT& pt) { Offset(pt.x, pt.y); }
    void SetPoint(int newX, int newY)
    {
        x = newX;
        y = newY;
    }

    CPoint& operator+=(const CPoint& pt)
    {
        Offset(pt.x, pt.y);
        return *this;
    }
    CPoint& operator-=(const CPoint& pt)
    {
        x = SaturatingSub(x, pt.x);
        y = SaturatingSub(y, pt.y);
        return *this;
    }
    CPoint& operator+=(const SIZE& size)
    {
        Offset(size.cx, size.cy);
        return *this;
    }
    CPoint& operator-=(const SIZE& size)
    {
        x = SaturatingSub(x, size.cx);
        y = SaturatingSub(y, size.cy);
        return *this;
    }
    CPoint operator-() const { return {SaturatingSub(0, x), SaturatingSub(0, y)}; }
    CPoint operator+(const CPoint& pt) const { return {SaturatingAdd(x, pt.x), SaturatingAdd(y, pt.y)}; }
    CPoint operator+(const SIZE& size) const
    {
        return {SaturatingAdd(x, size.cx), SaturatingAdd(y, size.cy)};
    }
    CPoint operator-(const SIZE& size) const
    {
        return {SaturatingSub(x, size.cx), SaturatingSub(y, size.cy)};
    }
    inline CSize operator-(const CPoint& pt) const;

    friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
};

class CSize : public SIZE
{
public:
    constexpr CSize() = default;
    constexpr CSize(int initCX, int initCY) : SIZE{initCX, initCY} {}
    constexpr CSize(const SIZE& size) : SIZE(size) {}

    void SetSize(int newCX, int newCY)
    {
        cx = newCX;
        cy = newCY;
    }
    CSize& operator+=(const SIZE& size)
    {
        *this = *this + size;
        return *this;
    }
    CSize& operator-=(const SIZE& size)
    {
        *this = *this - size;
        return *this;
    }
    CSize operator-() const { return {SaturatingSub(0, cx), SaturatingSub(0, cy)}; }
    CSize operator+(const SIZE& size) const
    {
        return {SaturatingAdd(cx, size.cx), SaturatingAdd(cy, size.cy)};
    }
    CSize operator-(const SIZE& size) const
    {
        return {SaturatingSub(cx, size.cx), SaturatingSub(cy, size.cy)};
    }

    friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

inline CSize CPoint::operator-(const CPoint& pt) const
{
    return {SaturatingSub(x, pt.x), SaturatingSub(y, pt.y)};
}

// A rectangle whose right and bottom edges are not part of it: (0, 0, 10, 10) holds the points 0..9
// on each axis, is 10 wide, and PtInRect says no to x == 10. A rectangle with no width or no height
// is empty. Its arithmetic saturates: (INT_MIN, 0, INT_MAX, 1) is INT_MAX wide, and moving it keeps
// its edges at the ends of the int range instead of wrapping them round.
class CRect : public RECT
{
public:
    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& rect) : RECT(rect) {}
    constexpr CRect(const POINT& topLeft, const SIZE& size)
        : RECT{topLeft.x, topLeft.y, SaturatingAdd(topLeft.x, size.cx), SaturatingAdd(topLeft.y, size.cy)}
    {
    }
    constexpr CRect(const POINT& topLeft, const POINT& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}
    {
    }

    int Width() const { return SaturatingSub(right, left); }
    int Height() const { return SaturatingSub(bottom, top); }
    CSize Size() const { return {Width(), Height()}; }
    CPoint TopLeft() const { return {left, top}; }
    CPoint BottomRight() const { return {right, bottom}; }
    CPoint CenterPoint() const
    {
        return {static_cast<int>((std::int64_t{left} + right) / 2),
                static_cast<int>((std::int64_t{top} + bottom) / 2)};
    }

    bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(const POINT& pt) const
    {
        return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom;
    }
    bool EqualRect(const RECT& rect) const
    {
        return left == rect.left && top == rect.top && right == rect.right && bottom == rect.bottom;
    }

    void SetRect(int l, int t, int r, int b) { *this = CRect(l, t, r, b); }
    void SetRectEmpty() { *this = CRect(); }
    void CopyRect(const RECT& rect) { *this = CRect(rect); }

    void OffsetRect(int dx, int dy);
    void OffsetRect(const POINT& pt) { OffsetRect(pt.x, pt.y); }
    void OffsetRect(const SIZE& size) { OffsetRect(size.cx, size.cy); }
    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(const SIZE& size) { InflateRect(size.cx, size.cy); }
    void InflateRect(int l, int t, int r, int b);
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(const SIZE& size) { InflateRect(-size.cx, -size.cy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void MoveToX(int x);
    void MoveToY(int y);
    void MoveToXY(int x, int y);
    void MoveToXY(const POINT& pt) { MoveToXY(pt.x, pt.y); }
    // Swaps the edges of an inverted rectangle so that left <= right and top <= bottom.
    void NormalizeRect();

    // Both set this rectangle to the result and return false (result set empty) when it is empty.
    bool IntersectRect(const RECT& a, const RECT& b);
    // Empty rectangles take no part in a union.
    bool UnionRect(const RECT& a, const RECT& b);

    CRect& operator+=(const POINT& pt)
    {
        OffsetRect(pt);
        return *this;
    }
    CRect& operator-=(const POINT& pt)
    {
        OffsetRect(-pt.x, -pt.y);
        return *this;
    }
    CRect& operator&=(const RECT& rect)
    {
        IntersectRect(*this, rect);
        return *this;
    }
    CRect& operator|=(const RECT& rect)
    {
        UnionRect(*this, rect);
        return *this;
    }
    CRect operator+(const POINT& pt) const
    {
        CRect moved(*this);
        moved.OffsetRect(pt);
        return moved;
    }
    CRect operator-(const POINT& pt) const
    {
        CRect moved(*this);
        moved.OffsetRect(-pt.x, -pt.y);
        return moved;
    }
    CRect operator&(const RECT& rect) const
    {
        CRect result;
        result.IntersectRect(*this, rect);
        return result;
    }
    CRect operator|(const RECT& rect) const
    {
        CRect result;
        result.UnionRect(*this, rect);
        return result;
    }

    friend bool operator==(const CRect& a, const CRect& b) { return a.EqualRect(b); }
};

// Qt's rectangles count the right and bottom edges in; these keep the same pixels. Qt works out widths
// and moves in plain ints, so toQRect keeps every edge within kQtCoordinateLimit of the origin, where
// that arithmetic cannot overflow; what lies beyond is on no screen or paper.
constexpr int kQtCoordinateLimit = (1 << 30) - 1;
QRect toQRect(const RECT& rect);
CRect fromQRect(const QRect& rect);
inline QPoint toQPoint(const POINT& pt)
{
    return {pt.x, pt.y};
}
inline CPoint fromQPoint(const QPoint& pt)
{
    return {pt.x(), pt.y()};
}
inline QSize toQSize(const SIZE& size)
{
    return {size.cx, size.cy};
}
inline CSize fromQSize(const QSize& size)
{
    return {size.width(), size.height()};
}

// Colours as the stored formats hold them: 0x00BBGGRR.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>(static_cast<std::uint8_t>(r)) |
           (static_cast<COLORREF>(static_cast<std::uint8_t>(g)) << 8) |
           (static_cast<COLORREF>(static_cast<std::uint8_t>(b)) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF rgb)
{
    return static_cast<std::uint8_t>(rgb);
}
constexpr std::uint8_t GetGValue(COLORREF rgb)
{
    return static_cast<std::uint8_t>(rgb >> 8);
}
constexpr std::uint8_t GetBValue(COLORREF rgb)
{
    return static_cast<std::uint8_t>(rgb >> 16);
}
// The red, green and blue of a colour for Qt and back; the top byte (a colour id) is not carried.
inline QColor toQColor(COLORREF rgb)
{
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline COLORREF fromQColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

// number * numerator / denominator through a 64-bit intermediate, rounded half away from zero;
// MULDIV_FAILED when the denominator is 0 or the result does not fit in an int.
constexpr int MULDIV_FAILED = -1;
int MulDiv(int number, int numerator, int denominator);
// The same rounding, but a result beyond an int becomes the nearest int, and a denominator of 0 gives 0:
// for scaling coordinates that may hold any value.
int MulDivSaturated(int number, int numerator, int denominator);

// The program's clock (platform/types/Clock.h): milliseconds as a 32-bit count that wraps after about
// 49.7 days. Compare two ticks only by their unsigned difference (TickDifference), never with < or >.
std::uint32_t GetTickCount();

// Milliseconds from `earlier` to `later`, right across a wrap of the counter.
constexpr std::uint32_t TickDifference(std::uint32_t later, std::uint32_t earlier)
{
    return later - earlier;
}
// Whether `now` has reached `deadline`, for deadlines less than about 24 days away.
constexpr bool TickReached(std::uint32_t now, std::uint32_t deadline)
{
    return static_cast<std::int32_t>(now - deadline) >= 0;
}
