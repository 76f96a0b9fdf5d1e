#include "panes/PrintBitmaps.h"

#include <QPagedPaintDevice>

namespace
{

bool isPrinter(const QPainter& painter)
{
    // Printers, their previews and PDF writers are all paged devices.
    return dynamic_cast<const QPagedPaintDevice*>(painter.device()) != nullptr;
}

} // namespace

QImage BitmapToDIB(const QImage& bitmap, int compression, const QVector<QRgb>* palette)
{
    if (compression == BI_BITFIELDS || bitmap.isNull())
        return {};
    if (bitmap.depth() > 8)
        return bitmap.depth() == 24 ? bitmap.convertToFormat(QImage::Format_RGB888)
                                    : bitmap.convertToFormat(QImage::Format_RGB32);
    QImage dib = bitmap.convertToFormat(QImage::Format_Indexed8);
    if (palette && !palette->isEmpty())
        dib.setColorTable(*palette);
    return dib;
}

int DrawDIB(QPainter& painter, const QImage& dib, int x, int y)
{
    if (dib.isNull())
        return 0;
    painter.drawImage(QPoint(x, y), dib);
    return dib.height();
}

bool DrawBitmapDIB(QPainter& painter, const QImage& bitmap, int x, int y)
{
    return DrawDIB(painter, BitmapToDIB(bitmap, BI_RGB), x, y) > 0;
}

bool DrawBitmapToDC(QPainter& painter, const QImage& bitmap, int x, int y, int width, int height,
                    const QImage& source, int sourceX, int sourceY, QPainter::CompositionMode mode)
{
    if (isPrinter(painter))
        return DrawBitmapDIB(painter, bitmap, x, y);
    if (source.isNull())
        return false;
    const QPainter::CompositionMode before = painter.compositionMode();
    painter.setCompositionMode(mode);
    painter.drawImage(QPoint(x, y), source, QRect(sourceX, sourceY, width, height));
    painter.setCompositionMode(before);
    return true;
}
