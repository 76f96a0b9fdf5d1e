#include "panes/InfoPane.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"

#include <QFontMetrics>
#include <QPainter>

namespace
{

constexpr int kAreaInset = 3;
constexpr int kTextPixelHeight = 28;
constexpr int kDisplayTextMode = 3;

bool browseTool()
{
    return theEditTool == kEditToolBrowse;
}

} // namespace

CInfoPane::CInfoPane()
{
    makeOwnIcon();
}

CInfoPane::~CInfoPane() = default;

void CInfoPane::makeOwnIcon()
{
    PaneFlags |= kPaneFlagNoBrowseFocus;
    auto own = std::make_unique<CQuibIcon>(kIconShapeRect);
    own->Flags &= ~kIconVisible;
    // Straight into the child list, as the writer pane's tools: the global pane is made before the
    // hooks that AddChildIcon installs.
    m_childIcons.push_back(std::move(own));
}

void CInfoPane::ResetPane()
{
    CPane::ResetPane();
    m_text.clear();
    m_textRect = CRect();
    m_iconRect = CRect();
    m_relayout = false;
    makeOwnIcon();
}

CQuibIcon* CInfoPane::OwnIcon() const
{
    return ChildIcons().empty() ? nullptr : ChildIcons().front().get();
}

void CInfoPane::ShowSelectedIcon(CQuibIcon* icon)
{
    CQuibIcon* shown = nullptr;
    if (browseTool())
        shown = icon;
    else if (theSelectedIcons.size() == 1)
        shown = theSelectedIcons.front();
    m_text.clear();
    CQuibIcon* own = OwnIcon();
    if (!shown) {
        if (own && !(PaneFlags & kInfoPaneKeepsIcon))
            own->Flags &= ~kIconVisible;
    } else if (own && shown != own) {
        own->FreeCache();
        own->CopyFrom(*shown);
        own->WordId = shown->ShownWordId;
        own->ReloadWord(true);
        m_text = shown->GetDisplayText(kDisplayTextMode);
        own->Flags |= kIconVisible;
    }
    Invalidate();
    UpdateLayout(false);
}

void CInfoPane::UpdateLayout(bool force)
{
    CPane::UpdateLayout(force);
    m_relayout = true;
    CQuibIcon* own = OwnIcon();
    if (!own)
        return;
    if ((theSelectedIcons.size() == 1 || (PaneFlags & kInfoPaneKeepsIcon)) && browseTool())
        own->Flags |= kIconVisible | kIconNotSelectable;
    else
        own->Flags &= ~kIconVisible;
}

void CInfoPane::layOutText(QPainter& dc)
{
    CRect area(0, 0, PaneRect.Width(), PaneRect.Height());
    area.DeflateRect(kAreaInset, kAreaInset);
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(kTextPixelHeight);
    m_font.setWeight(QFont::Normal);
    const QFontMetrics metrics(m_font, dc.device());
    const int textWidth = std::min(metrics.horizontalAdvance(m_text), area.Width());
    const int textHeight = metrics.height();
    const int spare = area.Width() - textWidth;
    m_textRect =
        CRect(area.left + spare / 2, area.bottom - textHeight, area.right - (spare - spare / 2), area.bottom);
    m_iconRect = CRect(area.left, area.top, area.right, area.bottom - textHeight - kAreaInset);
    if (CQuibIcon* own = OwnIcon())
        own->SetRect(m_iconRect.left, m_iconRect.top, m_iconRect.right,
                     std::max(m_iconRect.bottom, m_iconRect.top), false);
    m_relayout = false;
}

void CInfoPane::DrawOverlay(QPainter& /*dc*/) {}

void CInfoPane::DrawContent(QPainter& dc)
{
    if (m_relayout)
        layOutText(dc);
    if (m_text.isEmpty())
        return;
    dc.save();
    dc.setFont(m_font);
    dc.setPen(Qt::black);
    dc.setBackgroundMode(Qt::TransparentMode);
    CRect place = m_textRect;
    place.OffsetRect(PaneRect.left, PaneRect.top);
    dc.drawText(toQRect(place), Qt::AlignCenter | Qt::TextSingleLine, m_text);
    dc.restore();
}

bool CInfoPane::OnLButtonDown(unsigned, int, int, std::uint32_t)
{
    return true;
}

bool CInfoPane::OnLButtonUp(unsigned, int, int, std::uint32_t)
{
    return true;
}

bool CInfoPane::OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool updateCursor)
{
    CPane::OnMouseMove(flags, x, y, tick, updateCursor);
    return true;
}

bool CInfoPane::OnClick(unsigned, int, int, std::uint32_t)
{
    return true;
}

bool CInfoPane::OnDblClick(unsigned, int, int, std::uint32_t)
{
    return true;
}

bool CInfoPane::OnLongMouseDown()
{
    return true;
}
