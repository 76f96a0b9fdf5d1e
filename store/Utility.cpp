#include "store/Utility.h"

#include "platform/types/WinTypes.h"

#include <cstdlib>
#include <limits>

// ---- Random numbers

int GetRandomInRange(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    std::uint32_t bits = 0;
    for (int draw = 0; draw < 4; ++draw)
        bits = (bits << 12) + static_cast<std::uint32_t>(std::rand() & 0xFFF);
    // The absolute value of the 32-bit number; the most negative one has no int counterpart.
    const std::int64_t value = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(bits)));
    const std::int64_t span = static_cast<std::int64_t>(hi) - lo;
    return static_cast<int>(lo + value % span);
}

// ---- Tokens

QString GetToken(const QString& text, int n, QChar delimiter)
{
    if (n == 0)
        return text;
    if (n < 0)
        return {};
    qsizetype start = 0;
    for (int token = 1; token < n; ++token) {
        const qsizetype next = text.indexOf(delimiter, start);
        if (next < 0)
            return {};
        start = next + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

int StringToInt(const QString& text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        negative = text[pos++] == QLatin1Char('-');
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9'); ++pos) {
        // Past the range of int the value stays at its limit.
        if (value <= std::int64_t(std::numeric_limits<int>::max()) + 1)
            value = value * 10 + (text[pos].unicode() - '0');
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

int GetTokenInt(const QString& text, int n, QChar delimiter)
{
    return StringToInt(GetToken(text, n, delimiter));
}

int CountTokens(const QString& text, QChar delimiter)
{
    return static_cast<int>(text.count(delimiter)) + 1;
}

// ---- Stopwatches

namespace
{

struct Stopwatch {
    std::uint32_t start = 0; // 0: not running
    std::uint32_t total = 0;
};

Stopwatch theStopwatches[kStopwatchCount];

bool isSlot(int index)
{
    return index >= 0 && index < kStopwatchCount;
}

// Runs `action` on the slot, or on every slot for -1; false for any other index.
template <typename Action> bool forSlots(int index, Action action)
{
    if (index == kAllStopwatches) {
        for (Stopwatch& stopwatch : theStopwatches)
            action(stopwatch);
        return true;
    }
    if (!isSlot(index))
        return false;
    action(theStopwatches[index]);
    return true;
}

} // namespace

bool ResetStopwatch(int index)
{
    return forSlots(index, [](Stopwatch& stopwatch) { stopwatch = Stopwatch{}; });
}

bool StartStopwatch(int index)
{
    const std::uint32_t now = GetTickCount();
    // A start tick of 0 would read as "not running".
    return forSlots(index, [now](Stopwatch& stopwatch) { stopwatch.start = now != 0 ? now : 1; });
}

bool StopStopwatch(int index)
{
    const std::uint32_t now = GetTickCount();
    return forSlots(index, [now](Stopwatch& stopwatch) {
        if (stopwatch.start != 0) {
            stopwatch.total += now - stopwatch.start;
            stopwatch.start = 0;
        }
    });
}

std::uint32_t GetStopwatchTotal(int index, int reference)
{
    if (!isSlot(index))
        return 0;
    const std::uint32_t total = theStopwatches[index].total;
    if (reference == kAllStopwatches)
        return total;
    if (!isSlot(reference) || theStopwatches[reference].total == 0)
        return 0;
    return static_cast<std::uint32_t>(std::uint64_t(total) * 100 / theStopwatches[reference].total);
}

std::uint32_t GetStopwatchElapsed(int index)
{
    if (!isSlot(index) || theStopwatches[index].start == 0)
        return 0;
    return GetTickCount() - theStopwatches[index].start;
}

// ---- Rounding and units

int RoundToTen(int value)
{
    const std::int64_t wide = value;
    const std::int64_t rounded = wide >= 0 ? (wide + 5) / 10 * 10 : -((-wide + 5) / 10 * 10);
    if (rounded > std::numeric_limits<int>::max())
        return static_cast<int>(rounded - 10);
    if (rounded < std::numeric_limits<int>::min())
        return static_cast<int>(rounded + 10);
    return static_cast<int>(rounded);
}

void RoundRectToTen(CRect& rect)
{
    rect.SetRect(RoundToTen(rect.left), RoundToTen(rect.top), RoundToTen(rect.right),
                 RoundToTen(rect.bottom));
}

void ScaleRect(CRect& rect, int numerator, int denominator)
{
    rect.SetRect(MulDiv(rect.left, numerator, denominator), MulDiv(rect.top, numerator, denominator),
                 MulDiv(rect.right, numerator, denominator), MulDiv(rect.bottom, numerator, denominator));
}

namespace
{

// A unit as a fraction of 1/72000 inch.
struct UnitSize {
    int numerator;
    int denominator;
};

UnitSize unitSize(int unit)
{
    switch (unit) {
    case UNIT_TENTH_MM:
        return {72000, 254};
    case UNIT_HUNDREDTH_MM:
        return {7200, 254};
    case UNIT_TWIP:
        return {50, 1};
    case UNIT_MM:
        return {720000, 254};
    default:
        return {1000, 1};
    }
}

} // namespace

int ConvertUnits(int value, int fromUnit, int toUnit)
{
    const UnitSize from = unitSize(fromUnit);
    const UnitSize to = unitSize(toUnit);
    return MulDiv(value, from.numerator * to.denominator, from.denominator * to.numerator);
}

void ConvertRectUnits(CRect& rect, int fromUnit, int toUnit)
{
    rect.SetRect(ConvertUnits(rect.left, fromUnit, toUnit), ConvertUnits(rect.top, fromUnit, toUnit),
                 ConvertUnits(rect.right, fromUnit, toUnit), ConvertUnits(rect.bottom, fromUnit, toUnit));
}
