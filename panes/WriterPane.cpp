#include "panes/WriterPane.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/IconShapes.h"
#include "core/Sentence.h"
#include "core/ShownIcons.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace
{

// The strip's geometry, in pixels.
constexpr int kMargin = 6;
constexpr int kToolSize = 32;
constexpr int kToolGap = 4;
constexpr int kScrollToolWidth = 20;
constexpr int kStripCorner = 8;
constexpr int kFrameWidth = 2;
// The row: the first icon's indent, the gap between icons, the text box's padding and the sentence
// region's widening on both sides.
constexpr int kRowIndent = 4;
constexpr int kRowGap = 8;
constexpr int kTextPadding = 10;
constexpr int kRegionWidening = 4;
constexpr int kPictureToTextGap = 2;
constexpr int kHighlightPadding = 3;

// The tools' pictures, by tool; the display-mode tool shows its word instead.
constexpr std::array<int, kWriterToolCount> kToolBitmaps{183, 184, 165, 164, 177, 0, 181, 180};

bool sentenceTextShown(std::uint32_t style)
{
    return (style & kWriterShowsText) != 0;
}

// The program's own picture of that id with its transparency kept (the tools lie on two colours).
QImage toolBitmap(int id)
{
    if (id == 0)
        return {};
    const QImage image(QStringLiteral(":/bitmap/%1.png").arg(id));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QColor paintColor(COLORREF packed)
{
    return toQColor(packed & 0x00FFFFFF);
}

// The text height of a label font of that logical height: a third more than the character height.
int labelTextHeight(const CStoredFont& font)
{
    return std::abs(static_cast<int>(font.GetHeight())) * 4 / 3;
}

CRect unionOf(const CRect& a, const CRect& b)
{
    CRect both;
    both.UnionRect(a, b);
    return both;
}

QPainterPath roundedPath(const CRect& rect)
{
    QPainterPath path;
    if (!rect.IsRectEmpty())
        path.addRoundedRect(toQRect(rect), kStripCorner, kStripCorner);
    return path;
}

void frame(QPainter& dc, const QPainterPath& path, const QColor& color)
{
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, true);
    dc.setBrush(Qt::NoBrush);
    dc.setPen(QPen(color, kFrameWidth));
    dc.drawPath(path);
    dc.restore();
}

void fillPath(QPainter& dc, const QPainterPath& path, const QColor& color)
{
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, true);
    dc.fillPath(path, color);
    dc.restore();
}

// The display-mode button shows the word of `mode`. The picture it cached is the old word's: both
// cached forms go, or the next paint would keep the old picture's place and find no new one.
void showModeWord(CWriterToolIcon& tool, std::int32_t mode)
{
    tool.WordId = tool.ShownWordId = mode;
    tool.CachedBitmap = QImage();
    tool.PictCacheData = QImage();
    tool.ReloadWord(true);
}

} // namespace

std::int32_t NextSentenceDisplayMode(std::int32_t mode)
{
    const auto at = std::ranges::find(kSentenceDisplayModes, mode);
    if (at == kSentenceDisplayModes.end() || at + 1 == kSentenceDisplayModes.end())
        return kSentenceDisplayModes.front();
    return *(at + 1);
}

CWriterPane::CWriterPane()
{
    m_labelFont.FromString(QString::fromLatin1(kWriterLabelFont));
    Style = kWriterPaneStyle;
    makeTools();
}

CWriterPane::~CWriterPane()
{
    ForgetShownIcons(this); // before the sentence goes
}

void CWriterPane::makeTools()
{
    // Straight into the child list: the global pane is made before the hooks that AddChildIcon installs.
    for (int index = 0; index < kWriterToolCount; ++index) {
        auto tool = std::make_unique<CWriterToolIcon>();
        m_tools[static_cast<std::size_t>(index)] = tool.get();
        m_childIcons.push_back(std::move(tool));
    }
    Tool(WriterTool::DisplayMode)->WordId = kSentenceDisplayModes.front();
}

void CWriterPane::ResetPane()
{
    m_reader.Stop();
    dropShownSentence(false);
    CPane::ResetPane();
    m_area = m_sentenceRect = m_outerRect = m_visibleRect = m_navigationRect = m_numberRect = CRect();
    m_sentenceRegion = m_navigationRegion = QPainterPath();
    m_labelFont.FromString(QString::fromLatin1(kWriterLabelFont));
    m_stripColor = kWriterStripColor;
    m_pictureSize = kWriterPictureSize;
    Style = kWriterPaneStyle;
    makeTools();
}

// ---------------------------------------------------------------------------------------------------
// Coordinates and hit tests

CRect CWriterPane::toClient(const CRect& rect) const
{
    CRect moved = rect;
    moved.OffsetRect(m_area.left, m_area.top);
    return moved;
}

CRect CWriterPane::ToolRect(WriterTool tool) const
{
    return toClient(Tool(tool)->ScreenRect);
}

CPoint CWriterPane::toStrip(int x, int y) const
{
    return CPoint(x - m_area.left, y - m_area.top);
}

// The pane without its edges and frame bands: where the base draws the pane's own icons.
CRect CWriterPane::stripArea() const
{
    CRect area = PaneRect;
    const std::pair<std::uint16_t, std::uint16_t> sides[] = {{kPaneEdgeTop, kPaneBandTop},
                                                             {kPaneEdgeLeft, kPaneBandLeft},
                                                             {kPaneEdgeBottom, kPaneBandBottom},
                                                             {kPaneEdgeRight, kPaneBandRight}};
    const int band = (theEditTool != kEditToolBrowse && IsEditable()) ? 0 : FrameWidth;
    for (const auto& [edge, bandSide] : sides) {
        const int width = ((BorderSides & edge) ? kPaneEdgeWidth : 0) + ((BorderSides & bandSide) ? band : 0);
        if (edge == kPaneEdgeTop)
            area.top += width;
        else if (edge == kPaneEdgeLeft)
            area.left += width;
        else if (edge == kPaneEdgeBottom)
            area.bottom -= width;
        else
            area.right -= width;
    }
    return area;
}

bool CWriterPane::inSentenceRegion(int x, int y) const
{
    const CPoint point = toStrip(x, y);
    return m_sentenceRegion.contains(QPointF(point.x + 0.5, point.y + 0.5));
}

bool CWriterPane::inNavigationRegion(int x, int y) const
{
    const CPoint point = toStrip(x, y);
    return m_navigationRegion.contains(QPointF(point.x + 0.5, point.y + 0.5));
}

bool CWriterPane::toolEnabled(WriterTool tool) const
{
    return (Tool(tool)->Flags & kIconVisible) != 0;
}

bool CWriterPane::isTool(const CQuibIcon* icon, WriterTool tool) const
{
    return icon && icon == Tool(tool);
}

bool CWriterPane::sentenceHolds(const CQuibIcon* icon) const
{
    if (!m_sentence || !icon)
        return false;
    return std::ranges::any_of(m_sentence->Icons, [icon](const auto& held) { return held.get() == icon; });
}

bool CWriterPane::ContainsIcon(const CQuibIcon* icon) const
{
    return CPane::ContainsIcon(icon) || sentenceHolds(icon);
}

// The tools and the sentence icons lie in strip coordinates, the page's icons in page coordinates.
CQuibIcon* CWriterPane::IconAt(int x, int y) const
{
    const CPoint strip = toStrip(x, y);
    for (const auto& tool : m_childIcons)
        if (tool->IsHit(strip))
            return tool.get();
    if (m_page)
        if (CQuibIcon* icon = FrontIconAt(m_page->Icons, ClientToPage(CPoint(x, y))))
            return icon;
    if (m_sentence)
        for (const auto& icon : m_sentence->Icons)
            if (icon->IsHit(strip))
                return icon.get();
    return nullptr;
}

int CWriterPane::SentenceIconPositionAt(int x, int y) const
{
    if (!m_sentence)
        return kNoSentenceIcon;
    const CPoint strip = toStrip(x, y);
    for (std::size_t position = 0; position < m_sentence->Icons.size(); ++position) {
        const CQuibIcon& icon = *m_sentence->Icons[position];
        if (unionOf(icon.ScreenRect, icon.DrawnRect).PtInRect(strip))
            return static_cast<int>(position);
    }
    return kNoSentenceIcon;
}

CQuibIcon* CWriterPane::GetIconToInsert() const
{
    if (theSelectedIcons.size() == 1)
        return theSelectedIcons.front();
    // The information pane's own icon is its first child icon, shown while it has flag 4.
    if (theInfoPane.IsVisible() && !theInfoPane.ChildIcons().empty()) {
        CQuibIcon* own = theInfoPane.ChildIcons().front().get();
        if (own->Flags & kIconVisible)
            return own;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Sentences

void CWriterPane::dropShownSentence(bool writeChanges)
{
    if (!m_sentence)
        return;
    m_reader.Stop();
    std::unique_ptr<CQuibSentence> sentence = std::move(m_sentence);
    noteShownIcons();
    m_sentenceUser = nullptr;
    if (writeChanges && sentence->IsChanged())
        sentence->Write();
    sentence->Detach();
    // Its icons leave the selection, the hover slot and the copy source as they die.
}

bool CWriterPane::loadSentence(int index)
{
    CQuibUser& user = *theCurrentUser;
    if (index < 0 || index >= static_cast<int>(user.Sentences.size()))
        return false;
    auto sentence = std::make_unique<CQuibSentence>();
    if (sentence->LoadFrom(user.Sentences[static_cast<std::size_t>(index)], user.GetFile()) < 0)
        return false;
    m_sentence = std::move(sentence);
    noteShownIcons();
    user.CurrentSentence = index;
    user.Commit();
    return true;
}

// A new record under the first free sentence id from 1, listed at the end of the user's sentences.
// Where the user's file cannot take it (a user held in memory only), the sentence is shown unbound, so
// a person can still write one.
void CWriterPane::createSentenceAtEnd()
{
    CQuibUser& user = *theCurrentUser;
    auto sentence = std::make_unique<CQuibSentence>();
    const int file = user.GetFile();
    std::int32_t id = 0;
    if (file != 0 && sentence->Create() == RES_OK)
        id = sentence->GetFreeId(file, 1);
    if (id != 0 && sentence->SaveAs(id, file) == RES_OK) {
        user.Sentences.push_back(id);
        user.CurrentSentence = static_cast<std::int32_t>(user.Sentences.size()) - 1;
        user.Commit();
    } else {
        sentence->Detach();
    }
    m_sentence = std::move(sentence);
    noteShownIcons();
}

void CWriterPane::ShowSentence(int index)
{
    // The sentence shown already is not written and read back.
    const bool alreadyShown =
        m_sentence && theCurrentUser && m_sentenceUser == theCurrentUser && index >= 0 &&
        index < static_cast<int>(theCurrentUser->Sentences.size()) && m_sentence->GetEntry() &&
        m_sentence->GetID() == theCurrentUser->Sentences[static_cast<std::size_t>(index)];
    if (alreadyShown) {
        if (theCurrentUser->CurrentSentence != index) {
            theCurrentUser->CurrentSentence = index;
            theCurrentUser->Commit();
        }
    } else {
        dropShownSentence(true);
        if (theCurrentUser) {
            if (!loadSentence(index))
                createSentenceAtEnd();
            m_sentenceUser = theCurrentUser;
        }
    }
    if (m_sentence && (Style & kWriterSentenceSelected))
        Owner().SetCopySentence(m_sentence.get());
    Style |= kWriterLayoutNeeded;
}

bool CWriterPane::NewSentence(int after)
{
    if (!theCurrentUser)
        return false;
    std::vector<std::int32_t>& ids = theCurrentUser->Sentences;
    if (static_cast<std::int32_t>(ids.size()) >= theCurrentUser->MaxSentences)
        return false;
    ShowSentence(static_cast<int>(ids.size()));
    if (!m_sentence || !m_sentence->GetEntry())
        return m_sentence != nullptr;
    const std::int32_t id = ids.back();
    ids.pop_back();
    std::size_t position = 0;
    if (after >= 0)
        position = std::min<std::size_t>(static_cast<std::size_t>(after) + 1, ids.size());
    ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(position), id);
    const auto found = std::ranges::find(ids, id);
    ShowSentence(static_cast<int>(found - ids.begin()));
    Invalidate();
    return true;
}

void CWriterPane::sentenceChanged()
{
    m_reader.Stop(); // what was to come is gone
    m_sentence->Commit();
    Style |= kWriterLayoutNeeded;
    Invalidate();
}

void CWriterPane::InsertIcon(CQuibIcon* icon, int x, int /*y*/)
{
    if (!m_sentence || !icon)
        return;
    CQuibIconList& icons = m_sentence->Icons;
    const auto held = std::ranges::find_if(icons, [icon](const auto& each) { return each.get() == icon; });
    std::unique_ptr<CQuibIcon> moving;
    if (held == icons.end()) {
        moving = std::make_unique<CQuibIcon>(kIconShapeRect);
        moving->WordId = moving->ShownWordId = icon->ShownWordId;
        moving->Flags = moving->DrawnFlags = kIconNeedsLayout | kIconVisible;
    }
    ClearSelection();
    // Where it goes, among the icons as they stand (the moved one among them).
    const CRect sentence = SentenceRect();
    std::size_t target = icons.size();
    if (x <= sentence.left) {
        target = 0;
    } else if (x <= sentence.right) {
        for (std::size_t position = 0; position < icons.size(); ++position) {
            const CRect box = toClient(unionOf(icons[position]->ScreenRect, icons[position]->DrawnRect));
            if ((box.left + box.right) / 2 > x) {
                target = position;
                break;
            }
        }
    }
    if (!moving) {
        const std::size_t from = static_cast<std::size_t>(held - icons.begin());
        moving = std::move(icons[from]);
        icons.erase(icons.begin() + static_cast<std::ptrdiff_t>(from));
        if (target > from)
            --target;
    }
    icons.insert(icons.begin() + static_cast<std::ptrdiff_t>(target), std::move(moving));
    sentenceChanged();
}

void CWriterPane::OnSelectionChanged()
{
    if (theEditTool != kEditToolBrowse || theSelectedIcons.size() != 1 || !(Style & kWriterSentenceSelected))
        return;
    Style &= ~kWriterSentenceSelected;
    Owner().ClearCopySource();
    Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Input

bool CWriterPane::OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool /*updateCursor*/)
{
    const CQuibIcon* hit = IconAt(x, y);
    const bool overScrollTool =
        (isTool(hit, WriterTool::ScrollBack) && toolEnabled(WriterTool::ScrollBack)) ||
        (isTool(hit, WriterTool::ScrollForward) && toolEnabled(WriterTool::ScrollForward));
    if (overScrollTool || inNavigationRegion(x, y))
        return CPane::OnMouseMove(flags, x, y, tick, true);
    if (theEditTool == kEditToolBrowse && GetIconToInsert() && inSentenceRegion(x, y) &&
        SentenceRect().PtInRect(CPoint(x, y)) && SentenceIconPositionAt(x, y) == kNoSentenceIcon) {
        const bool consumed = CPane::OnMouseMove(flags, x, y, tick, false);
        SetAppCursor(kWriterInsertCursor);
        return consumed;
    }
    return CPane::OnMouseMove(flags, x, y, tick, true);
}

bool CWriterPane::OnClick(unsigned flags, int x, int y, std::uint32_t tick)
{
    if (theEditTool != kEditToolBrowse)
        return false;
    CQuibIcon* toInsert = GetIconToInsert();
    CQuibIcon* hit = IconAt(x, y);
    if (isTool(hit, WriterTool::ScrollBack) && toolEnabled(WriterTool::ScrollBack)) {
        scrollRow(kWriterScrollStep);
        return false;
    }
    if (isTool(hit, WriterTool::ScrollForward) && toolEnabled(WriterTool::ScrollForward)) {
        scrollRow(-kWriterScrollStep);
        return false;
    }
    if (theCurrentUser && inNavigationRegion(x, y)) {
        if (isTool(hit, WriterTool::Next))
            stepToNextSentence();
        else if (isTool(hit, WriterTool::Previous))
            stepToPreviousSentence();
        else
            selectWholeSentence();
        return true;
    }
    if (inSentenceRegion(x, y)) {
        const bool overIcon =
            SentenceRect().PtInRect(CPoint(x, y)) && SentenceIconPositionAt(x, y) != kNoSentenceIcon;
        if (m_sentence && toInsert && !overIcon)
            InsertIcon(toInsert, x, y);
    } else if (isTool(hit, WriterTool::Delete)) {
        deleteWithTool(toInsert);
    } else if (isTool(hit, WriterTool::ReadAloud)) {
        if (m_sentence)
            m_reader.Start(*m_sentence);
    } else if (isTool(hit, WriterTool::Print)) {
        if (m_sentence && !m_sentence->Icons.empty())
            PrintWriterSentence();
    } else if (isTool(hit, WriterTool::DisplayMode)) {
        stepDisplayMode();
    }
    CPane::OnClick(flags, x, y, tick);
    return false;
}

void CWriterPane::scrollRow(int by)
{
    if (m_sentence)
        m_sentence->ScrollOffset += by;
    Style |= kWriterLayoutNeeded;
    Invalidate();
}

// "Next" past the last sentence makes a new one only when the last has icons and there is room for
// one; otherwise it goes round to the first.
void CWriterPane::stepToNextSentence()
{
    const int count = static_cast<int>(theCurrentUser->Sentences.size());
    const int index = theCurrentUser->CurrentSentence + 1;
    if (index < count)
        ShowSentence(index);
    else if (count >= theCurrentUser->MaxSentences || !m_sentence || m_sentence->Icons.empty())
        ShowSentence(0);
    else
        ShowSentence(count);
    Invalidate();
}

// "Previous" before the first goes round to the last, and on to a new one by the same rule as "next".
void CWriterPane::stepToPreviousSentence()
{
    const int index = theCurrentUser->CurrentSentence - 1;
    if (index >= 0) {
        ShowSentence(index);
    } else {
        const int count = static_cast<int>(theCurrentUser->Sentences.size());
        ShowSentence(count - 1);
        if (count < theCurrentUser->MaxSentences && m_sentence && !m_sentence->Icons.empty())
            ShowSentence(count);
    }
    Invalidate();
}

void CWriterPane::selectWholeSentence()
{
    ClearSelection();
    if (Style & kWriterSentenceSelected)
        return;
    Style |= kWriterSentenceSelected;
    if (m_sentence)
        Owner().SetCopySentence(m_sentence.get());
    Invalidate();
}

void CWriterPane::deleteWithTool(CQuibIcon* toInsert)
{
    if (!theCurrentUser || !m_sentence)
        return;
    ClearSelection();
    if (Style & kWriterSentenceSelected) {
        if (m_sentence->Icons.empty() && theCurrentUser->Sentences.size() > 1) {
            removeShownSentence();
        } else {
            m_sentence->Assign(nullptr);
            m_sentence->ScrollOffset = 0;
            sentenceChanged();
            m_sentence->Write();
        }
    } else if (sentenceHolds(toInsert)) {
        std::erase_if(m_sentence->Icons, [toInsert](const auto& held) { return held.get() == toInsert; });
        sentenceChanged();
    }
    Invalidate();
}

// The shown object goes before its record does, so that nothing writes it back.
void CWriterPane::removeShownSentence()
{
    std::vector<std::int32_t>& ids = theCurrentUser->Sentences;
    const std::int32_t id = m_sentence->GetID();
    const int file = m_sentence->GetFile();
    dropShownSentence(false);
    const auto listed = std::ranges::find(ids, id);
    const auto index = static_cast<std::size_t>(listed - ids.begin());
    if (listed != ids.end())
        ids.erase(listed);
    theCurrentUser->Commit();
    RemoveResource(nullptr, id, MakeSentenceType(0), file);
    ShowSentence(index < ids.size() ? static_cast<int>(index) : 0);
}

void CWriterPane::stepDisplayMode()
{
    CWriterToolIcon* tool = Tool(WriterTool::DisplayMode);
    const std::int32_t mode = NextSentenceDisplayMode(tool->WordId);
    showModeWord(*tool, mode);
    if (m_sentence && m_sentence->IntensionMarkerId != mode) {
        m_sentence->IntensionMarkerId = mode;
        m_sentence->Commit();
    }
    InvalidateClient(toClient(tool->ScreenRect), true);
}

// ---------------------------------------------------------------------------------------------------
// Reading aloud

void CWriterPane::invalidateIcon(const CQuibIcon& icon)
{
    CRect box = unionOf(icon.ScreenRect, icon.DrawnRect);
    box.InflateRect(kHighlightPadding + 1, kHighlightPadding + 1);
    InvalidateClient(toClient(box), true);
    Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Layout

void CWriterPane::UpdateLayout(bool force)
{
    // A sentence belongs to its user: another current user shows a sentence of their own.
    if (m_sentence && m_sentenceUser != theCurrentUser)
        dropShownSentence(m_sentence->GetEntry() != nullptr);
    if (theCurrentUser && !m_sentence)
        ShowSentence(theCurrentUser->CurrentSentence);
    CPane::UpdateLayout(force);
    layOutStrip();
    layOutRow();
}

void CWriterPane::placeTool(WriterTool tool, const CRect& rect)
{
    CWriterToolIcon* icon = Tool(tool);
    if (tool != WriterTool::DisplayMode && icon->CachedBitmap.isNull())
        icon->CachedBitmap = toolBitmap(kToolBitmaps[static_cast<std::size_t>(tool)]);
    // Placed directly: the tools belong to no page, and placing them changes nothing stored.
    icon->ScreenRect = rect;
    icon->ReloadWord(true);
}

// Read aloud and print at the left; the strip with its scroll tools; delete and the display mode; the
// navigation box with previous, the number and next at the right. All centred on the strip's height.
void CWriterPane::layOutStrip()
{
    m_area = stripArea();
    const int width = m_area.Width();
    const int height = m_area.Height();
    const int column = 2 * kToolSize + kToolGap;
    const int columnTop = (height - column) / 2;

    const QFontMetrics metrics(m_labelFont.GetFont());
    const std::size_t count = theCurrentUser ? theCurrentUser->Sentences.size() : 0;
    const int digits = count < 10 ? 1 : count < 100 ? 2 : count < 1000 ? 3 : 4;
    const int labelWidth = metrics.horizontalAdvance(QString(digits, QLatin1Char('X')));
    const int navigationWidth = 2 * kToolSize + labelWidth + 4 * kToolGap;
    const int navigationHeight = kToolSize + 2 * kToolGap;
    m_navigationRect = CRect(CPoint(width - kMargin - navigationWidth, (height - navigationHeight) / 2),
                             CSize(navigationWidth, navigationHeight));
    const int navigationTop = m_navigationRect.top + kToolGap;
    placeTool(WriterTool::Previous,
              CRect(CPoint(m_navigationRect.left + kToolGap, navigationTop), CSize(kToolSize, kToolSize)));
    placeTool(WriterTool::Next, CRect(CPoint(m_navigationRect.right - kToolGap - kToolSize, navigationTop),
                                      CSize(kToolSize, kToolSize)));
    m_numberRect = CRect(m_navigationRect.left + kToolGap + kToolSize, m_navigationRect.top,
                         m_navigationRect.right - kToolGap - kToolSize, m_navigationRect.bottom);

    const int rightColumn = m_navigationRect.left - kMargin - kToolSize;
    placeTool(WriterTool::Delete, CRect(CPoint(rightColumn, columnTop), CSize(kToolSize, kToolSize)));
    placeTool(WriterTool::DisplayMode,
              CRect(CPoint(rightColumn, columnTop + kToolSize + kToolGap), CSize(kToolSize, kToolSize)));
    placeTool(WriterTool::ReadAloud, CRect(CPoint(kMargin, columnTop), CSize(kToolSize, kToolSize)));
    placeTool(WriterTool::Print,
              CRect(CPoint(kMargin, columnTop + kToolSize + kToolGap), CSize(kToolSize, kToolSize)));

    m_sentenceRect = CRect(2 * kMargin + kToolSize, kMargin, rightColumn - kMargin, height - kMargin);
    m_outerRect = CRect(kMargin, kMargin, width - kMargin, height - kMargin);
    const int scrollTop = m_sentenceRect.top + (m_sentenceRect.Height() - kToolSize) / 2;
    placeTool(WriterTool::ScrollBack, CRect(CPoint(m_sentenceRect.left + kToolGap / 2, scrollTop),
                                            CSize(kScrollToolWidth, kToolSize)));
    placeTool(WriterTool::ScrollForward,
              CRect(CPoint(m_sentenceRect.right - kToolGap / 2 - kScrollToolWidth, scrollTop),
                    CSize(kScrollToolWidth, kToolSize)));
    m_visibleRect = CRect(m_sentenceRect.left + kToolGap + kScrollToolWidth, m_sentenceRect.top,
                          m_sentenceRect.right - kToolGap - kScrollToolWidth, m_sentenceRect.bottom);
    m_sentenceRegion = roundedPath(m_sentenceRect);
    m_navigationRegion = roundedPath(m_navigationRect);
}

void CWriterPane::showDisplayMode()
{
    CWriterToolIcon* tool = Tool(WriterTool::DisplayMode);
    std::int32_t mode = m_sentence ? m_sentence->IntensionMarkerId : 0;
    if (mode == 0)
        mode = kSentenceDisplayModes.front();
    if (tool->WordId != mode)
        showModeWord(*tool, mode);
}

// The icons in a row from the visible rectangle's left edge plus the scroll offset: each column as wide
// as its picture or its text, the picture above the text, both centred in the column.
void CWriterPane::layOutRow()
{
    Style &= ~kWriterLayoutNeeded;
    showDisplayMode();
    if (!m_sentence) {
        updateScrollTools();
        return;
    }
    const QFontMetrics metrics(m_labelFont.GetFont());
    const int textHeight = sentenceTextShown(Style) ? labelTextHeight(m_labelFont) : 0;
    const int picture = m_pictureSize;
    const int stripHeight = m_sentenceRect.Height();
    int pictureTop = 0;
    int textBottom = 0;
    if (picture + textHeight >= stripHeight) {
        pictureTop = m_sentenceRect.top + kPictureToTextGap;
        textBottom = m_sentenceRect.bottom - kPictureToTextGap;
    } else {
        const int third = (stripHeight - picture - textHeight) / 3;
        pictureTop = m_sentenceRect.top + third;
        textBottom = m_sentenceRect.bottom - third;
    }
    QRegion region;
    int x = m_visibleRect.left + m_sentence->ScrollOffset + kRowIndent;
    for (auto& icon : m_sentence->Icons) {
        const int textWidth =
            sentenceTextShown(Style)
                ? metrics.horizontalAdvance(icon->GetDisplayText(kWordTextCutSuffix)) + kTextPadding
                : 0;
        const int columnWidth = std::max(picture, textWidth);
        const CRect pictureBox(CPoint(x + (columnWidth - picture) / 2, pictureTop), CSize(picture, picture));
        icon->DrawnRect = CRect(CPoint(x + (columnWidth - textWidth) / 2, textBottom - textHeight),
                                CSize(textWidth, textHeight));
        if (icon->ScreenRect != pictureBox) {
            // Placed directly: the rectangle of a sentence icon is the row's, not a page's, and is not
            // stored.
            icon->ScreenRect = pictureBox;
            icon->Flags |= kIconNeedsLayout;
        }
        const CRect both = unionOf(pictureBox, icon->DrawnRect);
        region +=
            QRect(both.left - kRegionWidening, both.top, both.Width() + 2 * kRegionWidening, both.Height());
        const bool inside = m_visibleRect.PtInRect(pictureBox.TopLeft()) &&
                            m_visibleRect.PtInRect(CPoint(pictureBox.right - 1, pictureBox.bottom - 1));
        icon->Flags = inside ? (icon->Flags | kIconVisible) : (icon->Flags & ~kIconVisible);
        x = std::max(pictureBox.right, icon->DrawnRect.right) + kRowGap;
    }
    m_sentence->Region = region;
    updateScrollTools();
}

void CWriterPane::updateScrollTools()
{
    const QRect bounds = m_sentence ? m_sentence->Region.boundingRect() : QRect();
    const bool back = !bounds.isEmpty() && bounds.left() < m_visibleRect.left;
    const bool forward = !bounds.isEmpty() && bounds.right() + 1 > m_visibleRect.right;
    for (const auto& [tool, enabled] :
         {std::pair{WriterTool::ScrollBack, back}, std::pair{WriterTool::ScrollForward, forward}}) {
        CWriterToolIcon* icon = Tool(tool);
        const bool was = (icon->Flags & kIconVisible) != 0;
        icon->Flags = enabled ? (icon->Flags | kIconVisible) : (icon->Flags & ~kIconVisible);
        if (was != enabled)
            InvalidateClient(toClient(icon->ScreenRect), true);
    }
}

// ---------------------------------------------------------------------------------------------------
// Drawing

void CWriterPane::DrawContent(QPainter& dc)
{
    if (Style & kWriterLayoutNeeded)
        layOutRow();
    dc.save();
    dc.translate(m_area.left, m_area.top);
    const QColor strip = paintColor(m_stripColor);
    fillPath(dc, m_sentenceRegion, strip);
    if (Style & kWriterSentenceSelected)
        frame(dc, m_sentenceRegion, paintColor(FocusColor));
    fillPath(dc, m_navigationRegion, strip);
    frame(dc, m_navigationRegion, Qt::black);
    const int number = theCurrentUser ? theCurrentUser->CurrentSentence + 1 : 0;
    dc.setFont(m_labelFont.GetFont());
    dc.setPen(Qt::black);
    dc.drawText(toQRect(m_numberRect), Qt::AlignCenter, QString::number(number));
    dc.restore();
}

void CWriterPane::DrawIcons(QPainter& dc)
{
    CPane::DrawIcons(dc);
    drawDisplayModeText(dc);
    drawSentenceIcons(dc);
}

// The display-mode tool shows its word's picture; a word without one shows its text.
void CWriterPane::drawDisplayModeText(QPainter& dc)
{
    CWriterToolIcon* tool = Tool(WriterTool::DisplayMode);
    if (!tool->CachedBitmap.isNull())
        return;
    QString text = tool->GetDisplayText(kWordTextCutSuffix | kWordTextDropLayoutChars);
    if (text.isEmpty())
        text = QString::number(static_cast<int>(std::ranges::find(kSentenceDisplayModes, tool->WordId) -
                                                kSentenceDisplayModes.begin()) +
                               1);
    const QRect box = toQRect(toClient(tool->ScreenRect));
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, true);
    dc.setPen(QPen(Qt::black, 1));
    dc.setBrush(paintColor(m_stripColor));
    dc.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    dc.setFont(m_labelFont.GetFont());
    dc.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
    dc.restore();
}

void CWriterPane::drawSentenceIcons(QPainter& dc)
{
    if (!m_sentence)
        return;
    IconPainter().PreparePictures(m_sentence->Icons, kPaintPictureStep2);
    dc.save();
    dc.setClipRect(toQRect(toClient(m_visibleRect)), Qt::IntersectClip);
    const QPoint origin(m_area.left, m_area.top);
    const CQuibIcon* soleSelected = theSelectedIcons.size() == 1 ? theSelectedIcons.front() : nullptr;
    dc.setFont(m_labelFont.GetFont());
    for (auto& icon : m_sentence->Icons) {
        if (!(icon->Flags & kIconVisible))
            continue;
        if (icon->Highlighted) {
            CRect box = toClient(unionOf(icon->ScreenRect, icon->DrawnRect));
            box.InflateRect(kHighlightPadding, kHighlightPadding);
            fillPath(dc, roundedPath(box), paintColor(FocusColor));
        }
        IconPainter().Paint(dc, origin, *icon, kPaintPictureStep2, soleSelected);
        if (sentenceTextShown(Style)) {
            dc.setPen(Qt::black);
            dc.drawText(toQRect(toClient(icon->DrawnRect)), Qt::AlignCenter,
                        icon->GetDisplayText(kWordTextCutSuffix));
        }
    }
    dc.restore();
}

// ---------------------------------------------------------------------------------------------------
// What the sentence's icons and the model tell the pane

void CWriterPane::OnSentenceIconChanged()
{
    if (!m_sentence)
        return;
    m_sentence->Commit();
    Style |= kWriterLayoutNeeded;
    Invalidate();
}

std::vector<const CQuibIconList*> CWriterPane::ownIconLists() const
{
    std::vector<const CQuibIconList*> lists = CPane::ownIconLists();
    if (m_sentence)
        lists.push_back(&m_sentence->Icons);
    return lists;
}

void StepInflexion(CQuibIcon& icon)
{
    const bool inWriter = CPane::FindPaneOfIcon(&icon) == &theWriterPane;
    icon.NextInflexion(inWriter);
    if (inWriter)
        theWriterPane.OnSentenceIconChanged();
}
