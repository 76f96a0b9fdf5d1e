#include "shell/MainClientWnd.h"

#include "core/IconDrag.h"
#include "core/IconEditing.h"
#include "core/User.h"
#include "panes/MouseState.h"
#include "panes/PaneInput.h"
#include "panes/Panes.h"
#include "platform/types/Clock.h"
#include "platform/types/Time.h"
#include "shell/Clipboard.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "shell/WordNavBar.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace
{

// System string shown while the user file is saved by the idle tick.
constexpr int kSavingUserFileText = 9223;
// The user file is saved only while the mouse has rested this long, so a save never stalls a person.
constexpr std::uint32_t kAutoSaveRestMs = 20000;
constexpr std::uint32_t kStatusTextLifeMs = 5000;
constexpr unsigned kEscapeChar = 27;
// The key was down before: the bit of a key message's flags that marks an automatic repeat.
constexpr unsigned kKeyRepeatFlag = 0x4000;
// An arrow of a scroll bar moves the page by this many pixels.
constexpr int kScrollArrowStep = 16;

// The panes this window owns, in the order they get it; the blank pane gets none.
std::array<CPane*, 6> ownedPanes()
{
    return {&theWriterPane, &theNavigatorPane, &theWordPane, &theMainPane, &theInfoPane, &theBrowsePane};
}

std::array<CPane*, 7> allPanes()
{
    return {&theWriterPane, &theNavigatorPane, &theWordPane, &theMainPane,
            &theInfoPane,   &theBrowsePane,    &theBlankPane};
}

// Whether tick `a` came after tick `b` (ticks wrap: by their unsigned difference).
bool tickIsLater(std::uint32_t a, std::uint32_t b)
{
    return a != b && a - b < 0x80000000u;
}

// The routing rule of every mouse event: the pane under the point when it is not the focus pane, then
// the focus pane when that one did not consume it. The focus pane is never called twice for one event.
template <class Handler> bool routeMouse(CPane* underPoint, Handler handler)
{
    bool consumed = false;
    if (underPoint && underPoint != theFocusPane)
        consumed = handler(*underPoint);
    if (!consumed && theFocusPane)
        consumed = handler(*theFocusPane);
    return consumed;
}

CPane* paneAt(const POINT& point)
{
    return CPane::FindPaneAt(point.x, point.y);
}

// The pane under the point becomes the focus pane, when there is one and it is not already.
void focusPaneAt(const POINT& point)
{
    CPane* pane = paneAt(point);
    if (pane && pane != theFocusPane)
        SetFocusPane(pane);
}

unsigned mouseKeyFlags(const QMouseEvent& event)
{
    unsigned flags = 0;
    const Qt::MouseButtons buttons = event.buttons();
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (event.modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (event.modifiers() & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

CPoint clientPoint(const QMouseEvent& event)
{
    const QPoint point = event.position().toPoint();
    return CPoint(point.x(), point.y());
}

// The key numbers the panes know (those of the keyboard messages): letters and digits are their upper
// case characters; the named keys have numbers of their own; 0 for a key the panes cannot know.
unsigned virtualKeyOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<unsigned>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112u + static_cast<unsigned>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

unsigned keyFlags(const QKeyEvent& event)
{
    return event.isAutoRepeat() ? kKeyRepeatFlag : 0;
}

// The characters a key press types; ESC types its control character whatever the platform's text.
std::vector<unsigned> typedCharacters(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Escape)
        return {kEscapeChar};
    std::vector<unsigned> characters;
    for (const QChar ch : event.text())
        characters.push_back(ch.unicode());
    return characters;
}

// Puts back the cursor that a wait replaced; before any cursor was set that is the arrow (0 would tick
// the animated cursor instead).
void restoreCursor(int previous)
{
    SetAppCursor(previous > 0 ? previous : CURSOR_ARROW);
}

bool offersIcon(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(kIconMimeType));
}

} // namespace

CMainClientWnd::CMainClientWnd(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the back buffer covers every pixel of an update
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    for (CPane* pane : ownedPanes())
        pane->SetOwnerWnd(this);
    CreateBackBuffer();
}

CMainClientWnd::~CMainClientWnd()
{
    endWaitCursor();
    for (CPane* pane : allPanes())
        if (pane->OwnerWnd() == this)
            pane->SetOwnerWnd(nullptr);
}

bool CMainClientWnd::PaneCommand(int commandId, bool testOnly)
{
    const auto command = static_cast<UINT>(commandId);
    if (!testOnly)
        return DispatchSystemCommand(command, lumivo::ui::kExecuteCommand, nullptr);
    lumivo::ui::CommandUpdate update(commandId);
    return DispatchSystemCommand(command, lumivo::ui::kUpdateCommand, &update) &&
           update.enabled().value_or(false);
}

void CMainClientWnd::RunIconWizard(CQuibIcon* icon, int action, CPane* pane, int x, int y)
{
    theRunIconWizardHook(icon, action, pane, x, y);
}

void CMainClientWnd::EditBackground(CQuibBg* page)
{
    // The background editor opens on the pane's page.
    theEditBackgroundHook(page);
}

void CMainClientWnd::SetCopySentence(CQuibSentence* sentence)
{
    ::SetCopySentence(sentence);
}

void CMainClientWnd::ClearCopySource()
{
    ::ClearCopySource();
}

void CMainClientWnd::MainPaneShowedPage(CQuibBg* page)
{
    CMainFrame* frame = MainFrame();
    if (auto* bar = frame ? dynamic_cast<CWordNavBar*>(frame->WordNavBar()) : nullptr)
        bar->AddToHistory(page);
}

void CMainClientWnd::InvalidateRect(const CRect& rect, bool /*erase*/)
{
    // Every repaint goes through the back buffer, so there is no background to erase apart.
    update(toQRect(rect));
}

void CMainClientWnd::ResetMouseTracking()
{
    ForgetMouseEvents();
}

void CMainClientWnd::BeginWaitCursorOnce()
{
    if (m_waitCursorShown)
        return;
    m_waitCursorShown = true;
    m_cursorBeforeWait = SetAppCursor(CURSOR_BUSY_1);
}

// Pages load inside one event; once the program is idle again they have loaded.
void CMainClientWnd::endWaitCursor()
{
    if (!m_waitCursorShown)
        return;
    m_waitCursorShown = false;
    restoreCursor(m_cursorBeforeWait);
}

void CMainClientWnd::CreateBackBuffer()
{
    m_backBuffer = QImage();
    if (width() <= 0 || height() <= 0)
        return;
    m_backBuffer = QImage(size(), QImage::Format_RGB32);
    m_backBuffer.fill(palette().color(QPalette::Window));
}

QScrollBar* CMainClientWnd::ScrollBarOf(const PaneScrollBar& bar) const
{
    const auto found = m_scrollBars.find(&bar);
    return found == m_scrollBars.end() ? nullptr : found->second;
}

// Painting ---------------------------------------------------------------------------------------------

void CMainClientWnd::paintEvent(QPaintEvent* event)
{
    if (m_painting)
        return;
    m_painting = true;
    if (!m_backBuffer.isNull())
        paintPanes(event->region());
    syncScrollBars();
    QPainter screen(this);
    screen.setClipRegion(event->region());
    if (!m_backBuffer.isNull())
        screen.drawImage(0, 0, m_backBuffer);
    for (auto pane = theVisiblePanes.rbegin(); pane != theVisiblePanes.rend(); ++pane)
        (*pane)->DrawOverlay(screen);
    m_painting = false;
}

// From the tail of the visible list to its head, so the head, which hit tests find first, ends on top.
void CMainClientWnd::paintPanes(const QRegion& region)
{
    QPainter buffer(&m_backBuffer);
    buffer.setClipRegion(region);
    buffer.fillRect(region.boundingRect(), palette().color(QPalette::Window));
    for (auto pane = theVisiblePanes.rbegin(); pane != theVisiblePanes.rend(); ++pane)
        (*pane)->Draw(buffer);
}

void CMainClientWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (theProgramMode & kProgramModeStarted) {
        CalcScreenLayout();
        CPane::ReloadAllPanes(false);
    }
    CreateBackBuffer();
}

// Scroll bars ------------------------------------------------------------------------------------------

// Drawing placed the bars (CPane::Draw): the real bars follow what the panes want now.
void CMainClientWnd::syncScrollBars()
{
    for (CPane* pane : allPanes()) {
        syncScrollBar(*pane, pane->HorizontalBar, Qt::Horizontal);
        syncScrollBar(*pane, pane->VerticalBar, Qt::Vertical);
    }
}

void CMainClientWnd::syncScrollBar(CPane& pane, PaneScrollBar& bar, Qt::Orientation orientation)
{
    QScrollBar* real = ScrollBarOf(bar);
    if (!pane.IsVisible() || !bar.shown) {
        if (real)
            real->hide();
        return;
    }
    if (!real) {
        real = new QScrollBar(orientation, this);
        m_scrollBars[&bar] = real;
        // Every change of value scrolls: a drag of the thumb, an arrow, a click beside the thumb, a key.
        connect(real, &QScrollBar::valueChanged, this, [&pane, &bar](int value) {
            bar.position = value;
            pane.OnScroll(&bar);
        });
    }
    const QSignalBlocker quiet(real);
    real->setGeometry(toQRect(bar.rect));
    real->setRange(0, std::max(0, bar.rangeMax - bar.pageSize));
    real->setPageStep(std::max(1, bar.pageSize));
    real->setSingleStep(kScrollArrowStep);
    real->setValue(bar.position);
    real->show();
}

// Keys -------------------------------------------------------------------------------------------------

void CMainClientWnd::keyPressEvent(QKeyEvent* event)
{
    const unsigned flags = keyFlags(*event);
    if (theFocusPane)
        theFocusPane->OnKeyDown(virtualKeyOf(event->key()), flags);
    for (const unsigned ch : typedCharacters(*event)) {
        if (ch == kEscapeChar)
            toggleMenuBar();
        if (theFocusPane)
            theFocusPane->OnChar(ch, flags);
    }
    // Taken here: the frame would toggle the menu bar a second time on an ESC passed up to it.
    event->accept();
}

void CMainClientWnd::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its press only; the pane sees one release when it is let go.
    if (event->isAutoRepeat())
        return;
    if (theFocusPane)
        theFocusPane->OnKeyUp(virtualKeyOf(event->key()), 0);
    event->accept();
}

void CMainClientWnd::toggleMenuBar()
{
    theScreenMode ^= SCREENMODE_MENUBAR;
    UpdateScreenMode();
}

// Mouse ------------------------------------------------------------------------------------------------

void CMainClientWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        onLeftButtonDown(clientPoint(*event), mouseKeyFlags(*event));
    else if (event->button() == Qt::RightButton)
        onRightButtonDown(clientPoint(*event), mouseKeyFlags(*event));
}

void CMainClientWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        onLeftButtonUp(clientPoint(*event), mouseKeyFlags(*event));
}

void CMainClientWnd::mouseMoveEvent(QMouseEvent* event)
{
    onMouseMove(clientPoint(*event), mouseKeyFlags(*event));
}

// The second press of a fast double click reaches the panes only through its release, which pairs it.
void CMainClientWnd::mouseDoubleClickEvent(QMouseEvent* /*event*/) {}

void CMainClientWnd::onLeftButtonDown(CPoint point, unsigned flags)
{
    const std::uint32_t now = lumivo::clock::tickCount();
    theMouseState.down = {point, flags, now};
    theMouseState.dragging = false;
    routeMouse(paneAt(point), [&](CPane& pane) { return pane.OnLButtonDown(flags, point.x, point.y, now); });
}

// A right press forgets every remembered event afterwards, so the next left click pairs with nothing.
void CMainClientWnd::onRightButtonDown(CPoint point, unsigned flags)
{
    const std::uint32_t now = lumivo::clock::tickCount();
    theMouseState.down = {point, flags, now};
    theMouseState.dragging = false;
    routeMouse(paneAt(point), [&](CPane& pane) { return pane.OnRButtonDown(flags, point.x, point.y, now); });
    ForgetMouseEvents();
}

void CMainClientWnd::onMouseMove(CPoint point, unsigned flags)
{
    ClientMouseState& mouse = theMouseState;
    mouse.move = {point, flags, lumivo::clock::tickCount()};
    // The browse tool never drags: a person who touches and slides still touches.
    if (theEditTool != kEditToolBrowse && !mouse.dragging && (flags & MK_LBUTTON) &&
        !WithinTolerance(point, mouse.down.point, theClickTolerance)) {
        const MouseEventPoint down = mouse.down;
        routeMouse(paneAt(down.point), [&](CPane& pane) {
            return pane.OnBeginDrag(down.flags, down.point.x, down.point.y, down.tick);
        });
        mouse.dragging = true;
        mouse.lastDragPoint = down.point;
    }
    const MouseEventPoint move = mouse.move;
    routeMouse(paneAt(point),
               [&](CPane& pane) { return pane.OnMouseMove(flags, point.x, point.y, move.tick, true); });
    if (mouse.dragging && move.point != mouse.lastDragPoint) {
        routeMouse(paneAt(point),
                   [&](CPane& pane) { return pane.OnDrag(move.flags, point.x, point.y, move.tick); });
        mouse.lastDragPoint = move.point;
    }
}

void CMainClientWnd::onLeftButtonUp(CPoint point, unsigned flags)
{
    ClientMouseState& mouse = theMouseState;
    const std::uint32_t now = lumivo::clock::tickCount();
    mouse.up = {point, flags, now};
    if (mouse.dragging) {
        // The pane that runs the drag ends it first, then the pane it was dropped on.
        bool consumed = theFocusPane && theFocusPane->OnEndDrag(flags, point.x, point.y, now);
        CPane* under = paneAt(point);
        if (!consumed && under && under != theFocusPane)
            under->OnEndDrag(flags, point.x, point.y, now);
        mouse.dragging = false;
    }
    const bool consumed = routeMouse(
        paneAt(point), [&](CPane& pane) { return pane.OnLButtonUp(flags, point.x, point.y, now); });
    if (consumed || !WithinTolerance(mouse.up.point, mouse.down.point, theClickTolerance))
        return;
    pairClick();
    focusPaneAt(point);
}

void CMainClientWnd::pairClick()
{
    ClientMouseState& mouse = theMouseState;
    const MouseEventPoint previous = mouse.click;
    mouse.click = mouse.up;
    if (mouse.click.tick - previous.tick < theClickIntervalMs &&
        WithinTolerance(mouse.click.point, previous.point, theClickTolerance))
        mouse.paired = mouse.click;
    const MouseEventPoint click = mouse.click;
    routeMouse(paneAt(click.point), [&](CPane& pane) {
        return pane.OnClick(click.flags, click.point.x, click.point.y, click.tick);
    });
    const MouseEventPoint paired = mouse.paired;
    if (paired.tick == click.tick)
        routeMouse(paneAt(paired.point), [&](CPane& pane) {
            return pane.OnDblClick(paired.flags, paired.point.x, paired.point.y, paired.tick);
        });
}

// Dropping an icon -------------------------------------------------------------------------------------

// A dragged icon is welcome anywhere in the window (the panes offer it a move); a drop places nothing.
void CMainClientWnd::dragEnterEvent(QDragEnterEvent* event)
{
    if (CPane::QueryDropEffect(event->mimeData()) != kDropEffectMove) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CMainClientWnd::dragMoveEvent(QDragMoveEvent* event)
{
    if (!offersIcon(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

// The pane under the point places nothing, so the drop reports no effect and the source keeps its icon.
void CMainClientWnd::dropEvent(QDropEvent* event)
{
    const CPoint point(event->position().toPoint().x(), event->position().toPoint().y());
    CPane* pane = paneAt(point);
    const int effect = pane ? pane->DropAt(point) : kDropEffectNone;
    event->setDropAction(effect == kDropEffectMove ? Qt::MoveAction : Qt::IgnoreAction);
    event->ignore();
}

// The idle tick ----------------------------------------------------------------------------------------

void CMainClientWnd::OnIdleTick()
{
    const std::uint32_t now = lumivo::clock::tickCount();
    endWaitCursor();
    checkLongPress(now);
    saveUserFileWhenDue(now);
    expireStatusText(now);
    hover();
}

// Repeats on every tick while the button is held still; the pane decides whether to act again.
void CMainClientWnd::checkLongPress(std::uint32_t now)
{
    const ClientMouseState& mouse = theMouseState;
    const bool held = tickIsLater(mouse.down.tick, mouse.up.tick);
    // A press that no move followed is as still as it gets.
    const bool still = !tickIsLater(mouse.move.tick, mouse.down.tick) ||
                       WithinTolerance(mouse.move.point, mouse.down.point, kLongPressTolerance);
    if (mouse.dragging || !held || now - mouse.down.tick <= kLongPressMs || !still)
        return;
    const CPoint down = mouse.down.point;
    routeMouse(paneAt(down), [](CPane& pane) { return pane.OnLongMouseDown(); });
    focusPaneAt(down);
}

void CMainClientWnd::saveUserFileWhenDue(std::uint32_t now)
{
    if (!theCurrentUser || theAutoFileSave == 0 || now - theMouseState.move.tick <= kAutoSaveRestMs)
        return;
    // A failed save (a full disk) leaves the file's time of last save as it was: without this wait it
    // would be tried again on every tick.
    if (m_failedSaveTick && now - *m_failedSaveTick <= std::uint64_t{theAutoFileSave} * 1000)
        return;
    const int file = theCurrentUser->GetFile();
    if (file <= 0 || !(IsResFileDirty(file) || theCurrentUser->IsChanged()))
        return;
    CTime saved;
    if (GetResFileTime(file, &saved) != RES_OK ||
        (CTime::GetCurrentTime() - saved).GetTotalSeconds() <= std::int64_t(theAutoFileSave))
        return;
    const int cursor = SetAppCursor(CURSOR_BUSY_1);
    SetStatusText(LoadSystemString(kSavingUserFileText));
    const int err = SaveCurrentUser();
    m_failedSaveTick.reset();
    if (err != RES_OK) {
        m_failedSaveTick = now;
        WriteDebugLog(QStringLiteral("User file not saved (error %1); tried again in %2 s")
                          .arg(err)
                          .arg(theAutoFileSave));
    }
    restoreCursor(cursor);
}

void CMainClientWnd::expireStatusText(std::uint32_t now)
{
    if (theStatusTime == 0 || now - theStatusTime <= kStatusTextLifeMs)
        return;
    SetStatusText(QString());
    theStatusTime = 0;
}

void CMainClientWnd::hover()
{
    const CPoint down = theMouseState.down.point;
    routeMouse(paneAt(down), [](CPane& pane) { return pane.OnIdleHover(); });
    focusPaneAt(down);
}
