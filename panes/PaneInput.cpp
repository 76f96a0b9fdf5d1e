// The panes' handling of keys and mouse events: selecting, following links, activating, hover,
// the editing drags (move, resize, rubber band, drawing new icons), deleting, the tool change and the
// drop of a dragged icon.
#include "panes/PaneInput.h"

#include "core/IconDrag.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/IconShapes.h"
#include "core/Page.h"
#include "core/Sound.h"
#include "panes/MouseState.h"
#include "panes/Pane.h"
#include "panes/Panes.h"
#include "platform/types/Clock.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

bool theCtrlView = false;
PaneMenuState thePaneMenu;

namespace
{

constexpr unsigned kKeyBackspace = 8;
constexpr unsigned kKeyEnter = 13;
constexpr unsigned kKeyControl = 17;
constexpr unsigned kKeySpace = 32;
constexpr unsigned kKeyDelete = 46;
constexpr unsigned kKeyF2 = 113;

bool isTool(int tool)
{
    return theEditTool == tool;
}

bool browsing()
{
    return isTool(kEditToolBrowse);
}

bool selectingTool()
{
    return isTool(kEditToolSelect) || isTool(kEditToolIconWizard);
}

bool drawingTool()
{
    return isTool(kEditToolRectangle) || isTool(kEditToolEllipse) || isTool(kEditToolSpotRect);
}

// Developers see every event's name in the status bar.
void noteEvent(const char* name)
{
    if (theProgramMode & kProgramModeDeveloper)
        SetStatusText(QString::fromLatin1(name));
}

int dragState(const CPane& pane)
{
    return pane.PaneFlags & kPaneDragMask;
}

void setDragState(CPane& pane, std::uint16_t state)
{
    pane.PaneFlags = static_cast<std::uint16_t>((pane.PaneFlags & ~kPaneDragMask) | state);
}

// The icon joins the selection with its handles showing.
void selectWithHandles(CQuibIcon& icon)
{
    icon.Flags |= kIconHandles;
    icon.Select();
}

void setCtrlView(bool on)
{
    theCtrlView = on;
    theMainPane.Invalidate();
}

int cursorOfShape(Qt::CursorShape shape)
{
    switch (shape) {
    case Qt::SizeFDiagCursor:
        return CURSOR_SIZE_NWSE;
    case Qt::SizeBDiagCursor:
        return CURSOR_SIZE_NESW;
    case Qt::SizeHorCursor:
        return CURSOR_SIZE_WE;
    case Qt::SizeVerCursor:
        return CURSOR_SIZE_NS;
    case Qt::SizeAllCursor:
        return CURSOR_SIZE_ALL;
    default:
        return CURSOR_ARROW;
    }
}

// The handle of the one selected icon under the page point, 0 when none.
int soleSelectedHandleAt(const POINT& point, CQuibIcon** icon)
{
    if (theSelectedIcons.size() != 1)
        return 0;
    *icon = theSelectedIcons.front();
    return (*icon)->HitTestHandles(point);
}

// The shape class a drawing tool makes, so that what is stored names the shape it shows.
std::unique_ptr<CQuibIcon> newShapeIcon()
{
    std::unique_ptr<CQuibIcon> icon;
    if (isTool(kEditToolEllipse))
        icon = std::make_unique<CQuibIcon_Ellipse>();
    else
        icon = std::make_unique<CQuibIcon_Rect>();
    icon->Shape = isTool(kEditToolRectangle) ? kIconShapeRect
                  : isTool(kEditToolEllipse) ? kIconShapeEllipse
                                             : kIconShapeUnclipped;
    return icon;
}

// The handle of the corner that `to` makes of a rectangle drawn from `from`.
int cornerHandle(const POINT& from, const POINT& to)
{
    if (to.y < from.y)
        return to.x < from.x ? 1 : 2;
    return to.x < from.x ? 4 : 3;
}

CRect spanning(const POINT& a, const POINT& b)
{
    CRect rect(a.x, a.y, b.x, b.y);
    rect.NormalizeRect();
    return rect;
}

// Every selected icon remembers where it starts: a copy of itself that the drag moves from.
void takeGhostCopies()
{
    for (CQuibIcon* icon : theSelectedIcons) {
        icon->DragCopy = icon->Clone();
        icon->DragCopy->ScreenRect = icon->ScreenRect;
    }
}

// The resize of `icon` by `handle` starts: the handle's point is where the drag moves it from.
void startResize(CPane& pane, CQuibIcon& icon, int handle)
{
    CPane::theDragHandle = handle;
    CPane::theDragHandleStart = icon.GetHandlePoint(handle);
    setDragState(pane, kPaneDragResize);
    SetAppCursor(cursorOfShape(icon.GetHandleCursor(handle)));
}

void invalidateBand(CPane& pane, const CRect& band)
{
    CRect area = band;
    area.InflateRect(1, 1);
    pane.InvalidateClient(area, true);
}

} // namespace

void ResetPaneInput()
{
    theCtrlView = false;
    thePaneMenu = PaneMenuState{};
}

// Selection --------------------------------------------------------------------------------------------

// A hidden icon cannot be seen inside the band, so the band does not pick it up.
void CPane::SelectIconsInRect(const CRect& rect)
{
    CRect onPage = rect;
    onPage.OffsetRect(-PageRect.left, -PageRect.top);
    const auto selectWhenSeen = [&](CQuibIcon& icon) {
        if ((icon.Flags & kIconVisible) && icon.IsVisibleIn(onPage))
            icon.Select();
    };
    for (auto& icon : m_childIcons)
        selectWhenSeen(*icon);
    if (m_page)
        for (auto& icon : m_page->Icons)
            selectWhenSeen(*icon);
}

bool CPane::DeleteSelectedIcons(bool testOnly)
{
    if (browsing())
        return false;
    if (testOnly)
        return !theSelectedIcons.empty();
    bool deleted = false;
    while (!theSelectedIcons.empty()) {
        CQuibIcon* icon = theSelectedIcons.front();
        CPane* pane = CPane::FindPaneOfIcon(icon);
        CQuibBg* page = pane ? pane->GetPage() : nullptr;
        icon->Deselect();
        std::erase(theSelectedIcons, icon);
        if (!pane || !pane->IsEditable() || !page || !page->HoldsIcon(icon))
            continue;
        icon->Redraw(true);
        const auto held =
            std::ranges::find_if(page->Icons, [icon](const auto& item) { return item.get() == icon; });
        // The icon dies here: its destructor lets the selection, the hover slot and the clipboard forget it.
        std::unique_ptr<CQuibIcon> doomed = std::move(*held);
        page->Icons.erase(held);
        doomed.reset();
        page->Commit();
        deleted = true;
    }
    return deleted;
}

// Keys -------------------------------------------------------------------------------------------------

bool CPane::OnChar(unsigned /*ch*/, unsigned /*flags*/)
{
    noteEvent("Char");
    return false;
}

bool CPane::OnKeyDown(unsigned key, unsigned /*flags*/)
{
    noteEvent("KeyDown");
    if (key == kKeyControl && browsing() && !theCtrlView)
        setCtrlView(true);
    if (key == kKeyDelete || key == kKeyBackspace)
        DeleteSelectedIcons(false);
    if (key == kKeyEnter && IsEditable() && m_page && !browsing()) {
        if (theSelectedIcons.size() == 1)
            Owner().PaneCommand(kCommandEditSelectedIcon, false);
        else if (theSelectedIcons.empty())
            Owner().EditBackground(m_page);
    }
    return false;
}

bool CPane::OnKeyUp(unsigned key, unsigned /*flags*/)
{
    if (theProgramMode & kProgramModeDeveloper)
        noteEvent("KeyUp");
    else
        SetStatusText(QString());
    if (browsing() && theSelectedIcons.size() == 1) {
        CQuibIcon* icon = theSelectedIcons.front();
        if (key == kKeyEnter)
            return icon->FollowLink();
        if (key == kKeySpace) {
            icon->Activate(0);
            return true;
        }
        if (key == kKeyF2) {
            StepInflexion(*icon);
            return true;
        }
    }
    if (key == kKeyControl && theCtrlView)
        setCtrlView(false);
    return false;
}

// Mouse ------------------------------------------------------------------------------------------------

bool CPane::OnLButtonDown(unsigned /*flags*/, int /*x*/, int /*y*/, std::uint32_t /*tick*/)
{
    if (theProgramMode & kProgramModeDeveloper)
        noteEvent("LeftButtonDown");
    else
        SetStatusText(QString());
    return false;
}

// With the browse tool a click on the icon the press began on selects it, and a second click on it
// soon and near the first follows its link.
bool CPane::OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick)
{
    noteEvent("LeftButtonUp");
    // A pane that lies on top (the browse pane's callout) has the point; the pane beneath never acts on
    // it too.
    if (!browsing() || FindPaneAt(x, y) != this)
        return false;
    CQuibIcon* icon = IconAt(x, y);
    const CPoint down = theMouseState.down.point;
    if (!icon || icon != IconAt(down.x, down.y))
        return false;
    const MouseEventPoint previous = theMouseState.click;
    const bool paired = icon->IsHit(ClientToPage(previous.point)) &&
                        tick - previous.tick < theClickIntervalMs &&
                        WithinTolerance(previous.point, CPoint(x, y), kLinkClickTolerance);
    if (paired)
        icon->FollowLink();
    else
        OnClick(flags, x, y, tick);
    theMouseState.click = theMouseState.up;
    theLastSoundTick = 0;
    return true;
}

bool CPane::OnMouseMove(unsigned /*flags*/, int x, int y, std::uint32_t /*tick*/, bool updateCursor)
{
    noteEvent("Move");
    if (!PaneRect.PtInRect(CPoint(x, y)))
        return false;
    CQuibIcon* icon = IconAt(x, y);
    if (browsing()) {
        if (icon != theHoverIcon) {
            if (theHoverIcon)
                theHoverIcon->OnLeave();
            SetHoverIcon(icon);
            if (icon)
                icon->OnEnter();
        }
        if (theHoverIcon)
            theHoverIcon->OnInside();
        SetAppCursor(0);
    }
    if (!updateCursor || theMouseState.dragging)
        return true;
    if (isTool(kEditToolIconWizard) && (theEditOptions & kEditOptionLargeHandles) && IsEditable()) {
        const bool selectedAlready = icon && icon->IsSelected();
        if (!selectedAlready)
            ClearSelection();
        if (icon && !selectedAlready)
            selectWithHandles(*icon);
    }
    const CPoint onPage = ClientToPage(CPoint(x, y));
    UpdateCursor(onPage.x, onPage.y, icon);
    return true;
}

void CPane::UpdateCursor(int x, int y, CQuibIcon* icon)
{
    const CPoint point(x, y);
    CQuibIcon* selected = nullptr;
    int cursor = CURSOR_ARROW;
    if (browsing()) {
        cursor = icon && icon->LinkId > 0 ? kCursorLink : CURSOR_ARROW;
    } else if (isTool(kEditToolSelect)) {
        const int handle = soleSelectedHandleAt(point, &selected);
        cursor = handle > 0 ? cursorOfShape(selected->GetHandleCursor(handle)) : CURSOR_SELECT;
    } else if (drawingTool()) {
        cursor = CURSOR_CROSS;
    } else if (isTool(kEditToolIconWizard)) {
        const int handle =
            (theEditOptions & kEditOptionLargeHandles) ? soleSelectedHandleAt(point, &selected) : 0;
        cursor = handle > 0 ? cursorOfShape(selected->GetHandleCursor(handle)) : CURSOR_WIZARD;
    }
    SetAppCursor(cursor);
}

bool CPane::OnIdleHover()
{
    if (browsing() && theHoverIcon)
        theHoverIcon->OnInside();
    return false;
}

bool CPane::OnLongMouseDown()
{
    if (!browsing())
        return false;
    // The release ends no pair with a click from before the long press.
    theMouseState.click.tick = lumivo::clock::tickCount() - theClickIntervalMs;
    CQuibIcon* icon = theHoverIcon;
    if (!icon)
        return true;
    if (!icon->IsSelected() && !(icon->Flags & kIconNotSelectable)) {
        ClearSelection();
        icon->Select();
        icon->Redraw(true);
    }
    // Selecting may have run code that forgot the hover icon.
    if (theHoverIcon == icon)
        icon->OnLLongDown();
    return true;
}

bool CPane::OnClick(unsigned flags, int x, int y, std::uint32_t /*tick*/)
{
    noteEvent("Left Button Click");
    CQuibIcon* icon = IconAt(x, y);
    if (browsing()) {
        if (!icon) {
            ClearSelection();
        } else if (theSelectedIcons.empty()) {
            icon->Select();
        } else if (theSelectedIcons.size() == 1 && theSelectedIcons.front() != icon &&
                   !(icon->Flags & kIconNotSelectable)) {
            ClearSelection();
            icon->Select();
        }
        return true;
    }
    if (!IsEditable())
        return false;
    const bool shift = (flags & MK_SHIFT) != 0;
    if (isTool(kEditToolSelect)) {
        if (icon && shift && icon->IsSelected()) {
            icon->Deselect();
        } else if (icon) {
            if (!shift)
                ClearSelection();
            selectWithHandles(*icon);
        } else if (!shift) {
            ClearSelection();
        }
        return true;
    }
    if (isTool(kEditToolIconWizard)) {
        Owner().RunIconWizard(icon, icon ? 2 : 1, this, x, y);
        ClearSelection();
        return true;
    }
    return false;
}

bool CPane::OnDblClick(unsigned /*flags*/, int /*x*/, int /*y*/, std::uint32_t /*tick*/)
{
    noteEvent("Left Button Double Click");
    if (isTool(kEditToolSelect) && IsEditable())
        Owner().PaneCommand(kCommandEditSelectedIcon, false);
    return false;
}

// Editing drags ----------------------------------------------------------------------------------------

bool CPane::OnBeginDrag(unsigned flags, int x, int y, std::uint32_t /*tick*/)
{
    if (!IsEditable())
        return false;
    const CPoint down(x, y);
    const CPoint current = theMouseState.move.point;
    if (selectingTool()) {
        CQuibIcon* icon = IconAt(x, y);
        if (!icon) {
            SetFocusPane(this);
            setDragState(*this, kPaneDragRubberBand);
            theRubberBand = spanning(down, current);
            invalidateBand(*this, theRubberBand);
            return true;
        }
        if (!icon->IsSelected()) {
            if (!(flags & MK_SHIFT))
                ClearSelection();
            selectWithHandles(*icon);
        }
        takeGhostCopies();
        const int handle = icon->HitTestHandles(ClientToPage(down));
        if (handle > 0 && theSelectedIcons.size() == 1)
            startResize(*this, *icon, handle);
        else
            setDragState(*this, kPaneDragMove);
        return true;
    }
    if (!drawingTool() || !m_page)
        return false;
    ClearSelection();
    m_page->Icons.push_back(newShapeIcon());
    CQuibIcon& icon = *m_page->Icons.back();
    m_page->Commit();
    icon.ScreenRect = spanning(ClientToPage(down), ClientToPage(current));
    selectWithHandles(icon);
    icon.Redraw(false);
    const int handle = icon.HitTestHandles(ClientToPage(current));
    const CRect rect = icon.ScreenRect;
    icon.SetRect(rect.left, rect.top, rect.right, rect.bottom, true);
    takeGhostCopies();
    startResize(*this, icon, handle > 0 ? handle : cornerHandle(down, current));
    // The drags measure from the press, and the corner under the pointer started there.
    theDragHandleStart = ClientToPage(down);
    return true;
}

bool CPane::OnDrag(unsigned /*flags*/, int x, int y, std::uint32_t /*tick*/)
{
    noteEvent("Drag");
    const CPoint down = theMouseState.down.point;
    const CSize offset(x - down.x, y - down.y);
    switch (dragState(*this)) {
    case kPaneDragMove:
        for (CQuibIcon* icon : std::vector<CQuibIcon*>(theSelectedIcons)) {
            if (!icon->DragCopy)
                continue;
            CRect rect = icon->DragCopy->ScreenRect;
            rect.OffsetRect(offset.cx, offset.cy);
            icon->SetRect(rect.left, rect.top, rect.right, rect.bottom, true);
        }
        break;
    case kPaneDragRubberBand: {
        invalidateBand(*this, theRubberBand);
        CRect band = spanning(down, CPoint(x, y));
        band.IntersectRect(band, PaneRect);
        theRubberBand = band;
        invalidateBand(*this, theRubberBand);
        break;
    }
    case kPaneDragResize: {
        if (theDragHandle < 1 || theSelectedIcons.empty() || !theSelectedIcons.front()->DragCopy)
            break;
        CQuibIcon* icon = theSelectedIcons.front();
        icon->Redraw(false);
        icon->MoveHandleTo(theDragHandle,
                           CPoint(theDragHandleStart.x + offset.cx, theDragHandleStart.y + offset.cy));
        icon->Redraw(false);
        break;
    }
    default:
        return false;
    }
    theLastDragPoint = CPoint(x, y);
    return true;
}

bool CPane::OnEndDrag(unsigned flags, int /*x*/, int /*y*/, std::uint32_t /*tick*/)
{
    const bool rubberBand = IsEditable() && dragState(*this) == kPaneDragRubberBand;
    setDragState(*this, 0);
    if (!rubberBand)
        return false;
    invalidateBand(*this, theRubberBand);
    if (!(flags & MK_SHIFT))
        ClearSelection();
    SelectIconsInRect(theRubberBand);
    theRubberBand = CRect();
    return true;
}

void CPane::DrawOverlay(QPainter& dc)
{
    if (dragState(*this) != kPaneDragRubberBand || theRubberBand.IsRectEmpty())
        return;
    dc.save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    dc.setPen(pen);
    dc.setBrush(Qt::NoBrush);
    dc.drawRect(toQRect(theRubberBand).adjusted(0, 0, -1, -1));
    dc.restore();
}

// The tool ---------------------------------------------------------------------------------------------

bool CPane::CanSetEditTool(int newTool)
{
    bool accepted = true;
    if (newTool == kEditToolBrowse && HasUnstoredPageChanges())
        accepted = StorePageChanges(true);
    if (accepted && (newTool != kEditToolSelect || browsing()))
        ClearSelection();
    Invalidate();
    return accepted;
}

// Dropping ---------------------------------------------------------------------------------------------

int CPane::QueryDropEffect(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(kIconMimeType)) ? kDropEffectMove : kDropEffectNone;
}

// Nothing is placed where an icon is dropped, so the drop reports no effect and the source keeps it.
int CPane::DropAt(CPoint /*point*/)
{
    return kDropEffectNone;
}

int CPane::DragOverIcon(const QMimeData* data, CPoint /*point*/)
{
    return QueryDropEffect(data);
}
