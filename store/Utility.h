#pragma once
// Small helpers shared across the program: random numbers, tokens of delimited text, stopwatches,
// rounding and unit conversion for printing. The helpers that ask a person or play a sound are
// system/UtilityNotices.h.

#include "platform/types/WinTypes.h"

#include <QString>

#include <cstdint>

// ---- Random numbers

// A number from lo up to but not including hi; lo itself when the range is empty (hi <= lo).
int GetRandomInRange(int lo, int hi);

// ---- Tokens (counted from 1; the delimiter is one character)

// Token n; n 0 gives the whole text, a missing token an empty text. The last token runs to the end.
QString GetToken(const QString& text, int n, QChar delimiter);
// The whole number the text starts with (after blanks, with an optional sign); 0 when there is none.
int StringToInt(const QString& text);
int GetTokenInt(const QString& text, int n, QChar delimiter);
// One more than the number of delimiters; an empty text counts 1.
int CountTokens(const QString& text, QChar delimiter);

// ---- Stopwatches: ten slots, 0 to 9; -1 means all of them where that is allowed. An index out of
// range does nothing and returns 0.

constexpr int kStopwatchCount = 10;
constexpr int kAllStopwatches = -1; // as an index: every slot; as a reference: none

bool ResetStopwatch(int index);
bool StartStopwatch(int index);
// Adds the running time of the slot (of every running slot for -1) to its total and stops it.
bool StopStopwatch(int index);
// The slot's total in milliseconds for reference -1; for a reference slot with a non-zero total, the
// slot's total as a percentage of it; otherwise 0.
std::uint32_t GetStopwatchTotal(int index, int reference = kAllStopwatches);
// Milliseconds since a running slot was started; 0 when it is not running.
std::uint32_t GetStopwatchElapsed(int index);

// ---- Rounding and units

// The nearest multiple of 10; a remainder of 5 rounds away from zero.
int RoundToTen(int value);

void RoundRectToTen(CRect& rect);
// Each coordinate times numerator / denominator, rounded.
void ScaleRect(CRect& rect, int numerator, int denominator);

// Length units, counted in 1/72000 inch.
constexpr int UNIT_TENTH_MM = 2;
constexpr int UNIT_HUNDREDTH_MM = 3;
constexpr int UNIT_TWIP = 6;
constexpr int UNIT_MM = 99999;
constexpr int UNIT_POINT = 0; // any code not above is a point

// value in `fromUnit` converted to `toUnit`, rounded to the nearest.
int ConvertUnits(int value, int fromUnit, int toUnit);
void ConvertRectUnits(CRect& rect, int fromUnit, int toUnit);
