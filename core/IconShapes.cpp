#include "core/IconShapes.h"

#include "core/IconBounds.h"
#include "panes/IconDrawing.h"

#include <QPainter>

// Creatable by name, with no schema of their own: that is how the stored pages name them.
IMPLEMENT_DYNCREATE(CQuibIcon_Rect, CQuibIcon)
IMPLEMENT_DYNCREATE(CQuibIcon_Ellipse, CQuibIcon_Rect)

bool CQuibIcon_Ellipse::HitTest(const POINT& point) const
{
    return EllipseContains(ScreenRect, point);
}

void CQuibIcon_Ellipse::Draw(IconPaint& paint)
{
    QColor color = Qt::black;
    if (Flags & kIconEntered)
        color = Qt::green;
    else if (Flags & kIconSelected)
        color = Qt::red;
    paint.painter.save();
    paint.painter.setPen(QPen(color, 1));
    paint.painter.setBrush(Qt::NoBrush);
    CRect rect = ScreenRect;
    rect.OffsetRect(paint.origin.x(), paint.origin.y());
    paint.painter.drawEllipse(toQRect(rect).adjusted(0, 0, -1, -1));
    paint.painter.restore();
    if (Flags & kIconHandles)
        DrawHandles(paint);
    DrawnFlags = Flags;
}

void CWriterToolIcon::Draw(IconPaint& paint)
{
    CRect rect = ScreenRect;
    rect.OffsetRect(paint.origin.x(), paint.origin.y());
    if (!(Flags & kIconVisible) || rect.IsRectEmpty())
        return;
    IconPaint writer = paint;
    writer.writerPane = true;
    DrawPicture(writer, rect);
}
