#pragma once
// Icons of any size drawn within what can be seen. A page, a sentence, a package or the clipboard
// may carry any rectangle; what is built for drawing (clips, kept pictures, text) is bounded by the
// device the painter draws on, never by what the rectangle says. The ellipse's own pixels are
// core/IconBounds.h.

#include "platform/types/WinTypes.h"

#include <QSize>

#include <cstdint>

class QImage;
class QPainter;
class QRect;
class QString;

// What the painter can reach now: the device within its clip, in the painter's coordinates, with a
// pixel more on each side for rounding.
CRect VisibleArea(const QPainter& painter);
// The tallest text that can show on the painter's device: a taller one is never whole on it.
int DeviceTextLimit(const QPainter& painter);
// Clips drawing to the rectangle, built for the visible area only.
void ClipToRect(QPainter& painter, const CRect& rect);
// Clips drawing to an icon shape (kIconShapeRect, kIconShapeNoHit, kIconShapeEllipse; other shapes are
// not clipped), built for the visible area only.
void ClipToShape(QPainter& painter, std::uint32_t shape, const CRect& rect);

// Draws the text into the box as QPainter::drawText does, clipped to the box; the clip Qt would set
// for text that does not lie wholly inside the box (a line break alone has no width) is set here for
// the visible part of the box only.
void DrawTextInBox(QPainter& painter, const QRect& box, int flags, const QString& text);

// A scaled picture is kept at its drawn size up to this many pixels a side; a larger one is kept
// smaller and stretched by the painter. No icon on a page up to this size is affected.
constexpr int kLargestKeptPicture = 2048;
// The size to keep a picture of `source` pixels at, for drawing at `shown`: `shown` while its longer
// side is at most kLargestKeptPicture; else `shown`'s proportions at no more than that side, nor more
// than the picture has (the painter stretches it the rest of the way, so scaling it up first would only
// cost time).
QSize KeptPictureSize(const QSize& shown, const QSize& source);
// Where a picture of that size lies when it is centred in `rect`.
CRect CentredIn(const CRect& rect, const QSize& size);
// Draws the picture into `target`, stretched when it was kept smaller: only the part the painter can
// reach is handed to Qt, whose fast scaling ends where a target passes 2^16 pixels. Smoothed unless a
// key colour must stay sharp, or one picture pixel covers so many that Qt's smoothing leaves its fast
// path too (and a pixel that large shows no difference).
void DrawPictureInto(QPainter& painter, const CRect& target, const QImage& picture, bool keyed);
