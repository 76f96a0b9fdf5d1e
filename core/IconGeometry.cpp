// The icon's geometry: hit tests, the repaint area, handles, moving and resizing, the grid and the
// drawing order of a page.

#include "core/IconBounds.h"
#include "core/IconEditing.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "core/ShownIcons.h"
#include "system/SystemSettings.h"

#include <algorithm>

int theEditTool = kEditToolBrowse;
int theGridStepX = 10;
int theGridStepY = 10;
int theStateFrameWidth = 2;

void ResetIconEditing()
{
    theEditTool = kEditToolBrowse;
    theGridStepX = 10;
    theGridStepY = 10;
    theStateFrameWidth = 2;
}

namespace
{

bool largeHandlesShown()
{
    return theEditTool == kEditToolIconWizard && (theEditOptions & kEditOptionLargeHandles) != 0;
}

int snapAxis(int value, int step)
{
    if (step <= 0)
        return value;
    const int remainder = ((value % step) + step) % step; // from the grid line below, also for negatives
    return SaturateToInt(std::int64_t{value} - remainder + (remainder >= step / 2 ? step : 0));
}

bool snappingOn()
{
    return (theEditOptions & kEditOptionSnapToGrid) != 0;
}

// The page size that the icon's per-mille rectangle refers to, when a page shows it.
void storeRelative(CQuibIcon& icon)
{
    if (CQuibBg* page = icon.GetBackground())
        icon.ScreenToRelative(page->LayoutSize);
}

void markPlaced(CQuibIcon& icon)
{
    storeRelative(icon);
    icon.SetModified(true, true);
    icon.Flags |= kIconNeedsLayout;
    emit thePageEvents.iconChanged(&icon);
}

} // namespace

int HandleSize()
{
    return largeHandlesShown() ? 12 : 6;
}

CPoint SnapToGrid(POINT point)
{
    return {snapAxis(point.x, theGridStepX), snapAxis(point.y, theGridStepY)};
}

bool CQuibIcon::HitTest(const POINT& point) const
{
    switch (Shape) {
    case kIconShapeRect:
    case kIconShapeUnclipped:
        return ScreenRect.PtInRect(point);
    case kIconShapeEllipse:
        return EllipseContains(ScreenRect, point);
    default:
        return false;
    }
}

bool CQuibIcon::IsVisibleIn(const CRect& rect) const
{
    if (!IsIconShown(this))
        return false;
    CRect common;
    return common.IntersectRect(ScreenRect, rect);
}

bool CQuibIcon::IsHit(const POINT& point) const
{
    if (ScreenRect.PtInRect(point))
        return (theEditTool & kEditToolAreaHits) != 0 || HitTest(point);
    if ((Flags & kIconHandles) || largeHandlesShown())
        return HitTestHandles(point) != 0;
    return false;
}

CRect CQuibIcon::GetBoundsRect() const
{
    const std::uint32_t either = Flags | DrawnFlags;
    CRect bounds = ScreenRect;
    if (either & kIconHandles)
        bounds.InflateRect(HandleSize() / 2, HandleSize() / 2);
    if (either & kIconEntered)
        bounds.InflateRect(theStateFrameWidth / 2, theStateFrameWidth / 2);
    if (either & kIconSelected)
        bounds.InflateRect(theStateFrameWidth / 2, theStateFrameWidth / 2);
    bounds.InflateRect(1, 1);
    return bounds;
}

CPoint CQuibIcon::GetHandlePoint(int handle) const
{
    switch (handle) {
    case 1:
        return {ScreenRect.left, ScreenRect.top};
    case 2:
        return {ScreenRect.right, ScreenRect.top};
    case 3:
        return {ScreenRect.right, ScreenRect.bottom};
    case 4:
        return {ScreenRect.left, ScreenRect.bottom};
    default:
        return {0, 0};
    }
}

CRect CQuibIcon::GetHandleRect(int handle) const
{
    if (handle < 1 || handle > 4)
        return {};
    const CPoint centre = GetHandlePoint(handle);
    const int half = HandleSize() / 2;
    CRect rect(centre, centre);
    rect.InflateRect(half, half);
    return rect;
}

int CQuibIcon::HitTestHandles(const POINT& point) const
{
    for (int handle = 1; handle <= GetHandleCount(); ++handle) {
        if (GetHandleRect(handle).PtInRect(point))
            return handle;
    }
    const int half = HandleSize() / 2;
    CRect outer = ScreenRect;
    outer.InflateRect(half, half);
    CRect inner = ScreenRect;
    inner.DeflateRect(half, half);
    if (!outer.PtInRect(point) || inner.PtInRect(point))
        return 0;
    return -1;
}

Qt::CursorShape CQuibIcon::GetHandleCursor(int handle) const
{
    switch (handle) {
    case 1:
    case 3:
        return Qt::SizeFDiagCursor;
    case 2:
    case 4:
        return Qt::SizeBDiagCursor;
    case -1:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void CQuibIcon::MoveHandleTo(int handle, POINT point)
{
    const bool snap = snappingOn();
    if (snap)
        point = SnapToGrid(point);
    if (!DragCopy)
        return;
    // With snapping the far edges lie one pixel past the grid line, so the grid line is inside.
    const int past = snap ? 1 : 0;
    CRect rect = DragCopy->ScreenRect;
    switch (handle) {
    case 1:
        rect.left = point.x;
        rect.top = point.y;
        break;
    case 2:
        rect.right = SaturatingAdd(point.x, past);
        rect.top = point.y;
        break;
    case 3:
        rect.right = SaturatingAdd(point.x, past);
        rect.bottom = SaturatingAdd(point.y, past);
        break;
    case 4:
        rect.left = point.x;
        rect.bottom = SaturatingAdd(point.y, past);
        break;
    default:
        return;
    }
    rect.NormalizeRect();
    ScreenRect = rect;
    markPlaced(*this);
}

void CQuibIcon::SetRect(int left, int top, int right, int bottom, bool snap)
{
    emit thePageEvents.iconChanged(this); // the old place
    CRect rect(left, top, right, bottom);
    if (snap && snappingOn()) {
        const CPoint snapped = SnapToGrid(CPoint(left, top));
        rect.OffsetRect(snapped.x - left, snapped.y - top);
    }
    rect.NormalizeRect();
    ScreenRect = rect;
    markPlaced(*this);
}

CQuibIcon* FrontIconAt(const CQuibIconList& icons, const POINT& point)
{
    for (auto icon = icons.rbegin(); icon != icons.rend(); ++icon) {
        if ((*icon)->IsHit(point))
            return icon->get();
    }
    return nullptr;
}

bool MoveIconInOrder(CQuibBg* page, const std::vector<CQuibIcon*>& selection, IconOrderMove move,
                     bool testOnly)
{
    if (!page || selection.size() != 1 || theEditTool == kEditToolBrowse)
        return false;
    CQuibIconList& icons = page->Icons;
    const auto at = std::find_if(icons.begin(), icons.end(),
                                 [icon = selection.front()](const auto& held) { return held.get() == icon; });
    if (at == icons.end() || icons.size() < 2)
        return false;
    const bool towardsFront = move == IconOrderMove::ToFront || move == IconOrderMove::Forward;
    if (towardsFront ? at == icons.end() - 1 : at == icons.begin())
        return false;
    if (testOnly)
        return true;
    switch (move) {
    case IconOrderMove::ToFront:
        std::rotate(at, at + 1, icons.end());
        break;
    case IconOrderMove::Forward:
        std::iter_swap(at, at + 1);
        break;
    case IconOrderMove::Backward:
        std::iter_swap(at, at - 1);
        break;
    case IconOrderMove::ToBack:
        std::rotate(icons.begin(), at, at + 1);
        break;
    }
    CQuibIcon* icon = selection.front();
    emit thePageEvents.iconChanged(icon);
    page->Commit();
    icon->Flags |= kIconModified;
    return true;
}
