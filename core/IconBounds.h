#pragma once
// The pixels of an ellipse icon of any size, one row at a time: the hit test and the painter's clip
// (panes/DrawingBounds.h) both use them, so what is hit is what is drawn.

#include "platform/types/WinTypes.h"

#include <QRegion>

// The ellipse inscribed in a rectangle, as pixels: a pixel belongs to it when its centre lies inside.
// Worked out row by row in floating point, so any rectangle an int holds works, and a hit test and the
// drawn shape agree pixel for pixel.
bool EllipseContains(const CRect& ellipse, const POINT& point);
// Only the ellipse's pixels inside `within` are built: the region is never larger than what it is built
// for, however large the ellipse (one rectangle a row at most).
QRegion EllipseRegion(const CRect& ellipse, const CRect& within);
