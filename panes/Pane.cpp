#include "panes/Pane.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Page.h"
#include "core/ShownIcons.h"
#include "panes/PaneInput.h"
#include "panes/Panes.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QPainter>

#include <algorithm>

std::vector<CPane*> theVisiblePanes;
CPane* theFocusPane = nullptr;
int CPane::theDragHandle = 0;
CPoint CPane::theDragHandleStart;
CRect CPane::theRubberBand;
CPoint CPane::theLastDragPoint;
lumivo::Hook<bool(const CQuibBg*)> theBgEditorEditsPageHook{[](const CQuibBg*) { return false; }};

namespace
{

// The three nested frames of an edge, outermost first: highlight, light, shadow.
constexpr COLORREF kEdgeColors[] = {0xFFFFFF, 0xE3E3E3, 0xA0A0A0};
// The edit option that shows the grid (theEditOptions).
constexpr std::uint16_t kEditOptionShowGrid = 0x200;
constexpr COLORREF kGridColor = 0xC0C0C0;
constexpr int kMinGridStep = 4;
constexpr int kMinGridSpacing = 10;
constexpr int kSizeLabelPadding = 4;

QColor paintColor(COLORREF packed)
{
    return toQColor(packed & 0x00FFFFFF);
}

void fill(QPainter& dc, const CRect& rect, COLORREF color)
{
    if (!rect.IsRectEmpty())
        dc.fillRect(toQRect(rect), paintColor(color));
}

// One edge: a band of kPaneEdgeWidth along a side of `rect`, in three stripes.
void drawEdge(QPainter& dc, const CRect& rect, std::uint16_t side)
{
    const int stripe = kPaneEdgeWidth / 3;
    for (int i = 0; i < 3; ++i) {
        CRect band = rect;
        const int from = i * stripe;
        switch (side) {
        case kPaneEdgeTop:
            band.SetRect(rect.left, rect.top + from, rect.right, rect.top + from + stripe);
            break;
        case kPaneEdgeLeft:
            band.SetRect(rect.left + from, rect.top, rect.left + from + stripe, rect.bottom);
            break;
        case kPaneEdgeBottom:
            band.SetRect(rect.left, rect.bottom - from - stripe, rect.right, rect.bottom - from);
            break;
        default:
            band.SetRect(rect.right - from - stripe, rect.top, rect.right - from, rect.bottom);
            break;
        }
        fill(dc, band, kEdgeColors[i]);
    }
}

// Takes `width` pixels off one side of `rect`.
void shrinkSide(CRect& rect, std::uint16_t side, int width)
{
    if (side == kPaneEdgeTop || side == kPaneBandTop)
        rect.top += width;
    else if (side == kPaneEdgeLeft || side == kPaneBandLeft)
        rect.left += width;
    else if (side == kPaneEdgeBottom || side == kPaneBandBottom)
        rect.bottom -= width;
    else
        rect.right -= width;
}

bool browseTool()
{
    return theEditTool == kEditToolBrowse;
}

// Where a page of `page` pixels starts on one axis of a draw extent [from, to): centred when it fits
// in a centring pane, else placed by the content margins, keeping the near margin in view when it fits
// in half of what overflows and showing the far edge otherwise.
int placeOnAxis(int from, int to, int page, int nearMargin, int farMargin, bool centred)
{
    const int extent = to - from;
    if (!centred)
        return from;
    if (page <= extent)
        return from + (extent - page) / 2;
    const int overflow = page - extent;
    if (nearMargin <= overflow / 2)
        return from - nearMargin;
    return to - page + farMargin;
}

// The owner of a pane that has none: it has no window and answers every request with nothing.
class NoOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return false; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
};

} // namespace

CPane::~CPane()
{
    ForgetShownIcons(this);
    m_childIcons.clear(); // each icon leaves the selection as it dies
}

void CPane::SetOwnerWnd(CPaneOwner* owner)
{
    m_owner = owner;
}

CPaneOwner& CPane::Owner() const
{
    static NoOwner none;
    return m_owner ? *m_owner : none;
}

void CPane::ResetPane()
{
    m_visible = false;
    releasePage();
    m_childIcons.clear();
    m_pagePicture = QImage();
    m_iconPainter = CIconPainter();
    m_owner = nullptr;
    static_cast<CPaneFields&>(*this) = CPaneFields{};
}

void ResetPaneStatics()
{
    theVisiblePanes.clear();
    theFocusPane = nullptr;
    CPane::theDragHandle = 0;
    CPane::theDragHandleStart = CPoint();
    CPane::theRubberBand = CRect();
    CPane::theLastDragPoint = CPoint();
    theBgEditorEditsPageHook.reset();
}

bool CPane::ContainsIcon(const CQuibIcon* icon) const
{
    const auto same = [icon](const std::unique_ptr<CQuibIcon>& held) { return held.get() == icon; };
    return std::ranges::any_of(m_childIcons, same) || (m_page && m_page->HoldsIcon(icon));
}

bool CPane::HitTest(int x, int y) const
{
    return PaneRect.PtInRect(CPoint(x, y));
}

CQuibIcon* CPane::IconAt(int x, int y) const
{
    // The pane's own icons lie over the page's; in each list the tail lies in front.
    const CPoint point = ClientToPage(CPoint(x, y));
    if (CQuibIcon* own = FrontIconAt(m_childIcons, point))
        return own;
    return m_page ? FrontIconAt(m_page->Icons, point) : nullptr;
}

void CPane::UpdateChildIcons(bool force)
{
    for (auto& icon : m_childIcons)
        icon->ReloadWord(force);
}

void CPane::AddChildIcon(std::unique_ptr<CQuibIcon> icon)
{
    if (icon)
        m_childIcons.push_back(std::move(icon));
}

void CPane::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    InvalidateClient(PaneRect, true);
    m_visible = visible;
    noteShownIcons();
    const auto listed = std::ranges::find(theVisiblePanes, this);
    if (visible && listed == theVisiblePanes.end())
        theVisiblePanes.push_back(this);
    else if (!visible && listed != theVisiblePanes.end())
        theVisiblePanes.erase(listed);
}

void CPane::MoveToHead()
{
    const auto listed = std::ranges::find(theVisiblePanes, this);
    if (listed == theVisiblePanes.end())
        return;
    theVisiblePanes.erase(listed);
    theVisiblePanes.insert(theVisiblePanes.begin(), this);
}

void CPane::InvalidateClient(const CRect& rect, bool erase)
{
    if (ownerHasWindow())
        m_owner->InvalidateRect(rect, erase);
}

void CPane::Invalidate()
{
    InvalidateClient(PaneRect, true);
}

void SetFocusPane(CPane* pane)
{
    const bool browse = browseTool();
    if (browse && pane && (pane->PaneFlags & kPaneFlagNoBrowseFocus)) {
        SetAppCursor(kBrowsePaneCursor);
        return;
    }
    if (theFocusPane && theFocusPane != pane)
        theFocusPane->Invalidate();
    theFocusPane = pane;
    if (pane)
        pane->Invalidate();
    if (browse)
        SetAppCursor(kBrowsePaneCursor);
}

void CPane::ClearSelection()
{
    while (!theSelectedIcons.empty()) {
        CQuibIcon* icon = theSelectedIcons.front();
        icon->Deselect();
        // Deselect takes the icon out; should it not, the loop still ends.
        if (!theSelectedIcons.empty() && theSelectedIcons.front() == icon)
            theSelectedIcons.erase(theSelectedIcons.begin());
    }
    if (m_page)
        for (auto& icon : m_page->Icons)
            icon->Flags &= ~kIconHandles;
}

void CPane::ClearPage()
{
    ClearSelection();
    SetHoverIcon(nullptr);
    releasePage();
}

void CPane::OnScroll(const PaneScrollBar* bar)
{
    if (bar && (bar == &HorizontalBar || bar == &VerticalBar))
        InvalidateClient(DrawRect, true);
}

CPoint CPane::PageToClient(POINT point) const
{
    return CPoint(point.x + PageRect.left, point.y + PageRect.top);
}

CPoint CPane::ClientToPage(POINT point) const
{
    return CPoint(point.x - PageRect.left, point.y - PageRect.top);
}

bool CPane::IsEditable() const
{
    return (PaneFlags & kPaneFlagEditable) && !(PaneFlags & kPaneFlagLocked);
}

CPane* CPane::FindPaneAt(int x, int y)
{
    for (CPane* pane : theVisiblePanes)
        if (pane->HitTest(x, y))
            return pane;
    return nullptr;
}

CPane* CPane::FindPaneOfIcon(const CQuibIcon* icon)
{
    for (CPane* pane : theVisiblePanes)
        if (pane->ContainsIcon(icon))
            return pane;
    return nullptr;
}

void CPane::RefreshVisiblePanes(unsigned mask)
{
    // A copy: a layout may change the list.
    const std::vector<CPane*> panes = theVisiblePanes;
    for (CPane* pane : panes) {
        if ((mask & kRefreshEditableOnly) && !(pane->PaneFlags & kPaneFlagEditable))
            continue;
        if (mask & kRefreshLayoutFirst)
            pane->UpdateLayout(true);
        pane->Invalidate();
    }
}

void CPane::DrawEllipse(QPainter& dc, const CRect& rect, COLORREF color, int width)
{
    dc.save();
    dc.setPen(QPen(paintColor(color), width));
    dc.setBrush(paintColor(color));
    dc.drawEllipse(toQRect(rect));
    dc.restore();
}

void CPane::DrawFrameBands(QPainter& dc, const CRect& rect, int width, COLORREF color)
{
    if (width == 0)
        return;
    CRect outer = rect;
    if (width < 0) {
        width = -width;
        outer.InflateRect(width, width);
    }
    fill(dc, CRect(outer.left, outer.top, outer.right, outer.top + width), color);
    fill(dc, CRect(outer.left, outer.bottom - width, outer.right, outer.bottom), color);
    fill(dc, CRect(outer.left, outer.top + width, outer.left + width, outer.bottom - width), color);
    fill(dc, CRect(outer.right - width, outer.top + width, outer.right, outer.bottom - width), color);
}

void CPane::Draw(QPainter& dc)
{
    dc.save();
    DrawRect = PaneRect;
    dc.setClipRect(toQRect(PaneRect), Qt::IntersectClip);
    if (PaneRect.IsRectEmpty() || dc.clipBoundingRect().isEmpty()) {
        dc.restore();
        return;
    }
    drawEdges(dc);
    placeScrollBars();
    drawFrameBands(dc);
    if (m_visible)
        drawBackground(dc);
    DrawContent(dc);
    drawGrid(dc);
    DrawIcons(dc);
    drawLockedLook(dc);
    drawSizeLabel(dc);
    dc.restore();
}

void CPane::drawEdges(QPainter& dc)
{
    for (const std::uint16_t side : {kPaneEdgeTop, kPaneEdgeLeft, kPaneEdgeBottom, kPaneEdgeRight}) {
        if (!(BorderSides & side))
            continue;
        drawEdge(dc, DrawRect, side);
        shrinkSide(DrawRect, side, kPaneEdgeWidth);
    }
}

// The bars exist while the pane wants them; each shows, taking its strip from the draw rectangle, only
// while the page does not fit on its axis with the content margins.
void CPane::placeScrollBars()
{
    if (!ownerHasWindow())
        return;
    HorizontalBar.exists = (ScrollFlags & kPaneWantsHorizontalBar) != 0;
    VerticalBar.exists = (ScrollFlags & kPaneWantsVerticalBar) != 0;
    const int needWidth = DrawRect.Width() + ContentRect.left + ContentRect.right;
    const int needHeight = DrawRect.Height() + ContentRect.top + ContentRect.bottom;
    HorizontalBar.shown = HorizontalBar.exists && m_visible && PageSize.cx > needWidth;
    VerticalBar.shown = VerticalBar.exists && m_visible && PageSize.cy > needHeight;
    if (HorizontalBar.shown) {
        HorizontalBar.rect =
            CRect(DrawRect.left, DrawRect.bottom - kScrollBarThickness, DrawRect.right, DrawRect.bottom);
        DrawRect.bottom -= kScrollBarThickness;
    }
    if (VerticalBar.shown) {
        VerticalBar.rect =
            CRect(DrawRect.right - kScrollBarThickness, DrawRect.top, DrawRect.right, DrawRect.bottom);
        DrawRect.right -= kScrollBarThickness;
    }
    if (!HorizontalBar.shown)
        HorizontalBar.rect = CRect();
    if (!VerticalBar.shown)
        VerticalBar.rect = CRect();
}

void CPane::drawFrameBands(QPainter& dc)
{
    // In the editing tools an editable pane shows no bands: its frame would hide the page's edge.
    const int width = (!browseTool() && IsEditable()) ? 0 : FrameWidth;
    if (width <= 0)
        return;
    for (const std::uint16_t side : {kPaneBandTop, kPaneBandLeft, kPaneBandBottom, kPaneBandRight}) {
        if (!(BorderSides & side))
            continue;
        CRect band = DrawRect;
        if (side == kPaneBandTop)
            band.bottom = band.top + width;
        else if (side == kPaneBandLeft)
            band.right = band.left + width;
        else if (side == kPaneBandBottom)
            band.top = band.bottom - width;
        else
            band.left = band.right - width;
        fill(dc, band, FrameColor);
        shrinkSide(DrawRect, side, width);
    }
}

void CPane::drawBackground(QPainter& dc)
{
    fill(dc, DrawRect, BgColor);
    dc.setClipRect(toQRect(DrawRect), Qt::IntersectClip);
    placePage();
    if (m_pagePicture.isNull())
        return;
    dc.fillRect(toQRect(PageRect), Qt::white);
    dc.drawImage(QPoint(PageRect.left, PageRect.top), m_pagePicture, toQRect(CRect(CPoint(0, 0), PageSize)));
}

namespace
{

// A scroll bar on one axis spans the page, shows the draw extent as its page, and keeps its position
// within them; the page's near edge lies that far before the draw rectangle's.
int scrolledEdge(PaneScrollBar& bar, int drawEdge, int drawExtent, int pageExtent)
{
    bar.rangeMax = pageExtent;
    bar.pageSize = drawExtent;
    bar.position = std::clamp(bar.position, 0, std::max(0, pageExtent - drawExtent));
    return drawEdge - bar.position;
}

} // namespace

void CPane::placePage()
{
    const bool centred = (PaneFlags & kPaneFlagCentred) != 0;
    int left =
        placeOnAxis(DrawRect.left, DrawRect.right, PageSize.cx, ContentRect.left, ContentRect.right, centred);
    int top =
        placeOnAxis(DrawRect.top, DrawRect.bottom, PageSize.cy, ContentRect.top, ContentRect.bottom, centred);
    if (HorizontalBar.shown)
        left = scrolledEdge(HorizontalBar, DrawRect.left, DrawRect.Width(), PageSize.cx);
    if (VerticalBar.shown)
        top = scrolledEdge(VerticalBar, DrawRect.top, DrawRect.Height(), PageSize.cy);
    PageRect = CRect(CPoint(left, top), PageSize);
}

void CPane::drawGrid(QPainter& dc)
{
    if (!(theEditOptions & kEditOptionShowGrid) || !IsEditable() || browseTool())
        return;
    if (theGridStepX < kMinGridStep || theGridStepY < kMinGridStep)
        return;
    int stepX = theGridStepX;
    int stepY = theGridStepY;
    while (stepX < kMinGridSpacing || stepY < kMinGridSpacing) {
        stepX *= 2;
        stepY *= 2;
    }
    dc.save();
    dc.setPen(QPen(paintColor(kGridColor), 1));
    for (int x = PageRect.left; x < PageRect.right; x += stepX)
        dc.drawLine(x, PageRect.top, x, PageRect.bottom - 1);
    for (int y = PageRect.top; y < PageRect.bottom; y += stepY)
        dc.drawLine(PageRect.left, y, PageRect.right - 1, y);
    dc.restore();
}

void CPane::DrawIcons(QPainter& dc)
{
    const CQuibIcon* soleSelected = theSelectedIcons.size() == 1 ? theSelectedIcons.front() : nullptr;
    const unsigned flags = IsEditable() ? kPaintHandles : 0;
    if (m_page) {
        const unsigned pageFlags = flags | (theCtrlView && this == &theMainPane ? kPaintLinkBadges : 0);
        m_iconPainter.PreparePictures(m_page->Icons, pageFlags);
        const QPoint origin = toQPoint(PageRect.TopLeft());
        for (auto& icon : m_page->Icons)
            m_iconPainter.Paint(dc, origin, *icon, pageFlags, soleSelected);
    }
    const QPoint origin = toQPoint(DrawRect.TopLeft());
    for (auto& icon : m_childIcons)
        m_iconPainter.Paint(dc, origin, *icon, flags, soleSelected);
}

// In the editing tools a pane that cannot be edited is covered by a white hatch.
void CPane::drawLockedLook(QPainter& dc)
{
    if (browseTool() || IsEditable())
        return;
    CRect hatched = PaneRect;
    hatched.InflateRect(1, 1);
    dc.save();
    dc.setPen(Qt::NoPen);
    dc.setBrush(QBrush(Qt::white, Qt::BDiagPattern));
    dc.drawRect(toQRect(hatched));
    dc.restore();
}

void CPane::drawSizeLabel(QPainter& dc)
{
    if (!m_visible || !(thePaneInfoFlags & kPaneInfoLabel))
        return;
    const QString text = QStringLiteral("%1 x %2").arg(PaneRect.Width()).arg(PaneRect.Height());
    QRect box = dc.fontMetrics().boundingRect(text);
    box.adjust(-kSizeLabelPadding, -kSizeLabelPadding, kSizeLabelPadding, kSizeLabelPadding);
    box.moveCenter(toQRect(PaneRect).center());
    dc.save();
    dc.fillRect(box, Qt::white);
    dc.setPen(Qt::black);
    dc.drawText(box, Qt::AlignCenter, text);
    dc.restore();
}
