#pragma once
// A pane: a rectangle of the main client window that shows at most one page with its icons, may own
// icons of its own (its child icons, drawn over the page) and draws itself into the client window's
// back buffer through a QPainter. The panes hold no widget: the client window owns the one real
// window and tells each pane where it lies (PaneRect); a pane reaches that window only through the
// small CPaneOwner interface, to invalidate what it must repaint and to ask the program for what only
// it can do (commands, the icon wizard, the background editor, the clipboard's copy source). Scroll bars are
// kept as data (the pane's wish and the bar's state) that the client window maps to real bars.
//
// Seven panes exist for the whole run (panes/Panes.h). The visible ones are listed in
// theVisiblePanes in hit-test order, head first; the head is painted last, so it lies on top.

#include "core/Icon.h"
#include "core/Page.h"
#include "panes/IconPainter.h"
#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CPane;
class CQuibSentence;
class QMimeData;
class QPainter;

// What a pane needs of the window that holds it. A pane without an owner asks nothing: invalidation is
// ignored, no command runs, nothing is possible.
class CPaneOwner
{
public:
    virtual ~CPaneOwner() = default;
    // Whether the real window exists; before that, invalidation is ignored.
    virtual bool HasWindow() const = 0;
    virtual void InvalidateRect(const CRect& rect, bool erase) = 0;
    // A new page arrived: the window forgets the mouse state it kept about the old one.
    virtual void ResetMouseTracking() {}
    // The wait cursor is shown once while pages load; the main frame keeps the flag.
    virtual void BeginWaitCursorOnce() {}
    // The client area, where a pane that places itself (the browse callout) must stay; empty without
    // a window.
    virtual CRect GetClientRect() const { return {}; }

    // Runs a command of the main window (testOnly false) or tells whether it is possible now.
    virtual bool PaneCommand(int /*commandId*/, bool /*testOnly*/) { return false; }
    // The icon wizard: action 2 edits `icon`, action 1 adds an icon at (x, y) of `pane`.
    virtual void RunIconWizard(CQuibIcon* /*icon*/, int /*action*/, CPane* /*pane*/, int /*x*/, int /*y*/) {}
    // Opens the background editor on that page.
    virtual void EditBackground(CQuibBg* /*page*/) {}
    // The clipboard's copy source: the writer's whole sentence, or nothing.
    virtual void SetCopySentence(CQuibSentence* /*sentence*/) {}
    virtual void ClearCopySource() {}
    // The main pane took a page: the word navigation bar adds it to its history.
    virtual void MainPaneShowedPage(CQuibBg* /*page*/) {}
};

// The cursor of the browse tool over a pane.
constexpr int kBrowsePaneCursor = 244;
// The page editor is open on that page, editing or translating it: a pane leaves its changes to it.
extern lumivo::Hook<bool(const CQuibBg* page)> theBgEditorEditsPageHook;

// Sides of a pane: a 6-pixel three-dimensional edge, or a frame band of FrameWidth.
constexpr std::uint16_t kPaneEdgeTop = 0x1;
constexpr std::uint16_t kPaneEdgeLeft = 0x10;
constexpr std::uint16_t kPaneEdgeBottom = 0x100;
constexpr std::uint16_t kPaneEdgeRight = 0x1000;
constexpr std::uint16_t kPaneBandTop = 0x2;
constexpr std::uint16_t kPaneBandLeft = 0x20;
constexpr std::uint16_t kPaneBandBottom = 0x200;
constexpr std::uint16_t kPaneBandRight = 0x2000;
constexpr std::uint16_t kPaneBandSides = kPaneBandTop | kPaneBandLeft | kPaneBandBottom | kPaneBandRight;
constexpr int kPaneEdgeWidth = 6;
constexpr int kScrollBarThickness = 16;

// Pane flags.
constexpr std::uint16_t kPaneFlagEditable = 0x2;
constexpr std::uint16_t kPaneFlagCentred = 0x100;
constexpr std::uint16_t kPaneFlagLocked = 0x200; // wins over kPaneFlagEditable
constexpr std::uint16_t kPaneFlagNoBrowseFocus = 0x400;
constexpr std::uint16_t kPaneDragMask = 0xF0; // 0x10 rubber band, 0x20 moving, 0x30 resizing

// Scroll-bar wishes.
constexpr std::uint16_t kPaneWantsHorizontalBar = 0x100;
constexpr std::uint16_t kPaneWantsVerticalBar = 0x1000;

// RefreshVisiblePanes masks.
constexpr unsigned kRefreshEditableOnly = 0x1;
constexpr unsigned kRefreshLayoutFirst = 0x20;

// One scroll bar as the pane wants it: the client window makes a real bar of it.
struct PaneScrollBar {
    bool exists = false; // the pane asked for it
    bool shown = false;  // the page does not fit on that axis
    CRect rect;          // in client coordinates, valid while shown
    int rangeMax = 0;    // the range is 0 .. rangeMax (the page's extent)
    int pageSize = 0;    // the visible extent
    int position = 0;    // the first page pixel shown

    bool operator==(const PaneScrollBar&) const = default;
};

// The plain fields of a pane with their start values; a reset assigns a fresh copy.
struct CPaneFields {
    COLORREF FocusColor = 0x050000FF; // packed colours
    COLORREF EditColor = 0x0400FF00;
    COLORREF BgColor = 0x03D3CEAD;
    std::uint32_t StartPageId = 0;
    std::uint32_t Style = 0; // a subclass's own bits
    COLORREF FrameColor = 0x000000FF;
    std::uint16_t BorderSides = 0;
    std::uint16_t PaneFlags = 1;
    CRect PaneRect;    // client coordinates
    CRect DrawRect;    // what edges, bars and bands leave; rebuilt by every Draw
    CRect ContentRect; // margins that place a page larger than the draw rectangle
    CRect PageRect;    // where the page lies; its top-left corner is the page origin
    CSize PageSize;
    std::uint16_t ScrollFlags = 0;
    PaneScrollBar HorizontalBar;
    PaneScrollBar VerticalBar;
    std::uint16_t FrameWidth = 1;
    CRect RelativeRect{0, 0, 1000, 1000}; // per mille of the client area
};

// What a printer page gives the pocketbook print: the painter, its resolution and the printable width
// in device pixels.
struct PrinterDC {
    QPainter& painter;
    int dpiX = 600;
    int dpiY = 600;
    int printableWidth = 0;
};

class CPane : public CPaneFields
{
public:
    CPane() = default;
    virtual ~CPane();
    CPane(const CPane&) = delete;
    CPane& operator=(const CPane&) = delete;

    // What each kind of pane does its own way: drawing, hit tests, input and layout.
    virtual void SetOwnerWnd(CPaneOwner* owner);
    virtual void Draw(QPainter& dc);
    // Over the screen after the back buffer: the rubber band of an editing drag.
    virtual void DrawOverlay(QPainter& dc);
    virtual void DrawIcons(QPainter& dc);
    virtual void DrawContent(QPainter& /*dc*/) {}
    virtual bool ContainsIcon(const CQuibIcon* icon) const;
    virtual bool HitTest(int x, int y) const;
    virtual CQuibIcon* IconAt(int x, int y) const;
    // Input (x, y client coordinates, flags the mouse-key bits, tick the event time in ms); true when
    // the pane consumed the event.
    virtual bool OnIdleHover();
    virtual bool OnChar(unsigned ch, unsigned flags);
    virtual bool OnKeyUp(unsigned key, unsigned flags);
    virtual bool OnKeyDown(unsigned key, unsigned flags);
    virtual bool OnLButtonDown(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool updateCursor);
    virtual bool OnBeginDrag(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnEndDrag(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnDrag(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnClick(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnDblClick(unsigned flags, int x, int y, std::uint32_t tick);
    virtual bool OnLongMouseDown();
    virtual bool OnRButtonDown(unsigned flags, int x, int y, std::uint32_t tick);
    // Rebuilds the page picture and places the icons for the pane's rectangle (panes/PagesInPanes.cpp).
    virtual void UpdateLayout(bool force);
    virtual void UpdateChildIcons(bool force);

    void SetVisible(bool visible);
    bool IsVisible() const { return m_visible; }
    void MoveToHead();
    void Invalidate();
    // Repaints part of the client area through the owner, when it has its window.
    void InvalidateClient(const CRect& rect, bool erase);
    void ClearSelection();
    // Lets go of the selection, the hover icon and the page (deleted when it was the pane's own).
    void ClearPage();
    // The client window got a scroll message for `bar`; only the pane's own bars repaint it.
    void OnScroll(const PaneScrollBar* bar);
    CPoint PageToClient(POINT point) const;
    CPoint ClientToPage(POINT point) const;
    bool IsEditable() const;

    // Pages in panes (panes/PagesInPanes.cpp). A pane shows a page the page index holds by reference
    // (ShowPage), or a page of its own that it owns (AdoptPage). Before the page shown goes, its changes
    // are stored, unless the page editor holds them.
    //
    // Shows the page of `id` (-1: the start page); gives the id shown before when the page was taken,
    // else 0.
    std::uint32_t LoadPage(int id);
    // Shows a page the index holds: null when shown (or shown already); `&page` when refused (the changes
    // of the page shown could not be stored, another visible pane shows it, or the index does not hold
    // it).
    CQuibBg* ShowPage(CQuibBg& page);
    // Takes a page of the pane's own (a copy found in a file, a blank page): null when taken; the page
    // itself when refused, so that its owner is never in doubt. Null lets go as SetPage(nullptr) does.
    std::unique_ptr<CQuibBg> AdoptPage(std::unique_ptr<CQuibBg> page);
    // For callers that hold a page pointer of either kind: null lets go of the page shown, any other
    // page goes to ShowPage. Gives null when done, else `page`.
    CQuibBg* SetPage(CQuibBg* page);
    CQuibBg* GetPage() const { return m_page; }
    // Stores the changes of the page shown; with `intoIndex`, the page index takes over a page of the
    // pane's own once it is stored, and the pane shows it by reference from then on. False on failure.
    bool StorePageChanges(bool intoIndex);
    // Whether the page shown holds changes that only this pane can store (the page editor stores a page
    // it has open itself).
    bool HasUnstoredPageChanges() const;

    // What the model announces about pages (thePageEvents; WirePanes connects every pane that shows
    // pages). A pane showing `old` shows `replacement` instead, and lets go of `old` when there is none
    // or it refuses it...
    void OnPageReplaced(CQuibBg* old, CQuibBg* replacement);
    // ...and a pane that let go of a page for nothing, and shows nothing since, shows the page filed in
    // its place (same id, file and language).
    void ShowAwaitedPage(CQuibBg& page);
    // A pane showing the page lets go of it (a page of its own lives until it is removed)...
    void OnPageAboutToBeRemoved(CQuibBg* page);
    // ...and, once the page of that id is gone, shows its default page.
    void OnPageRemoved(std::int32_t id);
    // A pane showing the page lays it out again.
    void OnPageReverted(CQuibBg* page);
    // Repaints the area of an icon the pane shows.
    void RedrawIcon(const CQuibIcon& icon);
    // A picture, sound or clip stored under `id` changed: every icon of the pane that may show or play
    // one of that id drops what it cached and is repainted, so the stored one shows at once.
    virtual void DropStoredMediaOf(std::int32_t id);

    // Prints the page in pocketbook form: the user's print size, centred, 200 pixels from the top.
    void PrintPocketbook(PrinterDC& printer) const;

    // The pane's own icons, drawn over the page at the draw rectangle's origin.
    void AddChildIcon(std::unique_ptr<CQuibIcon> icon);
    const CQuibIconList& ChildIcons() const { return m_childIcons; }
    CPaneOwner* OwnerWnd() const { return m_owner; }
    // The owner to ask, or one that does nothing while the pane has none.
    CPaneOwner& Owner() const;
    const QImage& PagePicture() const { return m_pagePicture; }
    // What the pane draws its icons with, and where that finds pictures (the stored ones until a test
    // gives its own; ResetPane puts them back).
    const CIconPainter& IconPainter() const { return m_iconPainter; }
    void SetPictureFinder(PictureFinder finder) { m_iconPainter = CIconPainter(std::move(finder)); }

    static CPane* FindPaneAt(int x, int y);
    static CPane* FindPaneOfIcon(const CQuibIcon* icon);
    static void RefreshVisiblePanes(unsigned mask);
    static CPane* FindPaneShowingPage(const CQuibBg* page);
    // The panes that show pages, in the order FindPaneShowingPage asks them (the browse callout shows
    // none of its own).
    static const std::vector<CPane*>& PagePanes();
    static void ReloadAllPanes(bool toStartPage);
    static void DrawEllipse(QPainter& dc, const CRect& rect, COLORREF color, int width);
    // A frame of four filled bands, inside the rectangle for a positive width, outside for a negative.
    static void DrawFrameBands(QPainter& dc, const CRect& rect, int width, COLORREF color);

    // Puts the pane back as the program's start has it: no page, no child icons, hidden, unowned.
    virtual void ResetPane();

    // Input (panes/PaneInput.cpp). Selects every icon of the pane that shows and meets `rect` (client
    // coordinates).
    void SelectIconsInRect(const CRect& rect);
    // Deletes the selected icons of editable panes; with `testOnly`, whether any icon is selected. Never
    // with the browse tool.
    bool DeleteSelectedIcons(bool testOnly);
    // The cursor of the tool at the page point over `icon`.
    static void UpdateCursor(int x, int y, CQuibIcon* icon);
    // Whether the pane lets the tool change: leaving for the browse tool saves a changed page first.
    bool CanSetEditTool(int newTool);
    // The drop target: a dragged icon is offered a move, and a drop changes nothing.
    static int QueryDropEffect(const QMimeData* data);
    int DropAt(CPoint point);
    static int DragOverIcon(const QMimeData* data, CPoint point);
    // A command of the context menu (panes/PaneMenu.cpp), 5701 to 5748.
    void OnPropertyCommand(int commandId);

    // The drag state shared by every pane (used by the input handlers).
    static int theDragHandle;
    static CPoint theDragHandleStart;
    static CRect theRubberBand;
    static CPoint theLastDragPoint;

protected:
    // The drawing steps of Draw.
    void drawEdges(QPainter& dc);
    void placeScrollBars();
    void drawFrameBands(QPainter& dc);
    void drawBackground(QPainter& dc);
    void placePage();
    void drawGrid(QPainter& dc);
    void drawLockedLook(QPainter& dc);
    void drawSizeLabel(QPainter& dc);
    bool ownerHasWindow() const { return m_owner && m_owner->HasWindow(); }
    // Layout steps (panes/PagesInPanes.cpp).
    void updateLockBit();
    void layOutPagePicture(bool force);
    void releasePage();
    bool makeRoomFor(const CQuibBg* next);
    void attachPage(CQuibBg& page);
    void letGoOfPage(bool keepUntilRemoved);
    bool awaits(CQuibBg& page) const;
    bool takeFoundPage(std::int32_t id);
    // Tells the model what the pane shows now (core/ShownIcons.h): its page and its own icon lists,
    // while it is visible.
    void noteShownIcons();
    virtual std::vector<const CQuibIconList*> ownIconLists() const { return {&m_childIcons}; }

    // A page let go of at the model's word, until its place is taken: its keys, and the page itself
    // when it was the pane's own and the model is still removing it.
    struct LetGoPage {
        std::int32_t id = 0;
        int file = 0;
        int language = 0;
        std::unique_ptr<CQuibBg> own;
    };

    QImage m_pagePicture; // the page picture scaled for this pane
    CIconPainter m_iconPainter;
    CQuibIconList m_childIcons;
    CQuibBg* m_page = nullptr;            // the page shown
    std::unique_ptr<CQuibBg> m_ownedPage; // the same page when it is the pane's own
    std::optional<LetGoPage> m_letGo;
    CPaneOwner* m_owner = nullptr;
    bool m_visible = false;
};

// The visible panes in hit-test order (head first), and the pane that gets the keys.
extern std::vector<CPane*> theVisiblePanes;
extern CPane* theFocusPane;

// Makes `pane` the focus pane and repaints the old and the new one; in the browse tool a pane with
// kPaneFlagNoBrowseFocus only sets the cursor.
void SetFocusPane(CPane* pane);

// Empties the visible list, the focus and the drag state.
void ResetPaneStatics();
