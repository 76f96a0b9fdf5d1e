#pragma once
// Pictures for printers. A printer takes no device bitmap of the screen: a picture goes to it as a
// device-independent image (its own pixel depth, a colour table for 8 bits and fewer), drawn whole.
// Every other device gets a plain copy of the source rectangle.

#include <QImage>
#include <QPainter>
#include <QVector>

// Compression kinds of a device-independent image. Bit-field images are never made.
constexpr int BI_RGB = 0;
constexpr int BI_BITFIELDS = 3;

// The device-independent form of `bitmap`: its own depth, with `palette` (the bitmap's own colour
// table when none is given) for 8 bits and fewer. A null image for bit-field compression or a null
// bitmap.
QImage BitmapToDIB(const QImage& bitmap, int compression, const QVector<QRgb>* palette = nullptr);
// Draws the image whole with its top-left at (x, y); returns the scan lines drawn (0 for none).
int DrawDIB(QPainter& painter, const QImage& dib, int x, int y);
// The printer branch alone: the bitmap made device independent and drawn at (x, y).
bool DrawBitmapDIB(QPainter& painter, const QImage& bitmap, int x = 0, int y = 0);
// On a printer: DrawBitmapDIB at (x, y). Elsewhere: the source's rectangle at (sourceX, sourceY) of
// width x height copied to (x, y) with the composition mode.
bool DrawBitmapToDC(QPainter& painter, const QImage& bitmap, int x, int y, int width, int height,
                    const QImage& source, int sourceX, int sourceY,
                    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);
