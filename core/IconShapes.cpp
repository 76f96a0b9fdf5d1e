#include "core/IconShapes.h"

#include "core/IconBounds.h"

// Creatable by name, with no schema of their own: that is how the stored pages name them.
IMPLEMENT_DYNCREATE(CQuibIcon_Rect, CQuibIcon)
IMPLEMENT_DYNCREATE(CQuibIcon_Ellipse, CQuibIcon_Rect)

bool CQuibIcon_Ellipse::HitTest(const POINT& point) const
{
    return EllipseContains(ScreenRect, point);
}
