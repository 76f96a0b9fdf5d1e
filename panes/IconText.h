#pragma once
// The text of icons fitted into their rectangles: the icon font, the wrapping rule, the tagged
// attributes that set the text's size, alignment and the frame ("textsize", "textalign", "framewidth",
// "framecolor"), and the text drawn at the first height that fits.

#include "platform/types/WinTypes.h"

#include <QFont>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class CTaggedText;
class QFontMetrics;
class QPainter;
class QRect;

// The heights an automatic text size tries, largest first.
inline constexpr std::array kAutoTextHeights{56, 48, 36, 32, 28, 24, 22, 20, 18, 16, 14, 12, 10, 9};

// Breaks the text into lines of at most `maxWidth` as `widthOf` measures them: at line feeds, carriage
// returns and not signs; after a space (dropped), "+", ",", "-", ".", ":" or ";"; or at a soft hyphen,
// which then shows as "-". Soft hyphens elsewhere vanish.
QString WrapText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf);
QString WrapText(const QString& text, int maxWidth, const QFontMetrics& metrics);

// The font of icon texts: "Arial" (Liberation Sans by its metrics) at that pixel height.
QFont IconFont(int pixelHeight);

// The value of an attribute, trimmed and in lower case; empty when there is none.
QString IconAttribute(const CTaggedText& attributes, const char* key);
// The Qt alignment "textalign" asks for: centred across and at the top unless it names a side.
int TextAlignmentOf(const CTaggedText& attributes);
// A fixed text height from "textsize" for a rectangle of that height, scaled by `scale` per mille; 0
// when the size is automatic.
int FixedTextHeight(const CTaggedText& attributes, int rectHeight, int scale);
// The heights a printed text tries, at most `tallest`: the fixed one (of a rectangle `rectHeight` high on
// the screen, scaled by `scale` per mille), else from `tallest` down by a twentieth a try while five
// lines would not fit.
std::vector<int> PrintTextHeights(const CTaggedText& attributes, int rectHeight, int scale, int tallest);
// The frame's width from "framewidth" for a rectangle of that height, and its colour from "framecolor"
// (black when it names none).
int FrameWidthOf(const CTaggedText& attributes, int rectHeight);
COLORREF FrameColorOf(const CTaggedText& attributes);

// Draws the text wrapped into the box at the first of `heights` at which it fits, in black; false when
// it fits at none.
bool DrawFittedText(QPainter& painter, const QRect& box, const QString& text, const std::vector<int>& heights,
                    int alignment);
