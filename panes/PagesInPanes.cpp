// Pages in panes: how a page gets into a pane, the rule that one page object is shown by at most one
// visible pane, what a pane does when the model announces a page replaced, removed or reverted, the
// page layout and the pocketbook print.

#include "core/FrameSizes.h"
#include "core/IconEditing.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/ShownIcons.h"
#include "core/User.h"
#include "panes/Pane.h"
#include "panes/Panes.h"
#include "platform/image/Image.h"
#include "store/ResourceTypes.h"
#include "system/OutputFile.h"

#include <QPainter>

#include <algorithm>

namespace
{

constexpr int kStartPage = -1;
// What a pane shows once the page it showed was removed.
constexpr int kDefaultPageId = -2;
constexpr int kPageKind = 1;
constexpr int kPocketbookTop = 200;
constexpr COLORREF kPocketbookFrameColor = 0x808080;
constexpr int kFitStretch = 9372;
constexpr int kFitCrop = 9373;
constexpr int kHundredthsOfMmPerInch = 2540;

// The file and language that edits of pages belong to: the output file while one is open, else the
// current user's file.
struct OwnerFile {
    int file = 0;
    std::uint16_t language = 0;
};

OwnerFile ownerFile()
{
    if (theOutputFile > 0)
        return {theOutputFile, theTranslateLanguage};
    if (theCurrentUser)
        return {theCurrentUser->GetFile(), theCurrentUser->PrimaryLanguage};
    return {};
}

bool shownByAnotherPane(const CPane* self, const CQuibBg* page)
{
    return std::ranges::any_of(
        theVisiblePanes, [page, self](const CPane* pane) { return pane != self && pane->GetPage() == page; });
}

// The share of a page in per mille of its size.
CRect partOfPage(const CRect& perMille, const CSize& pageSize)
{
    return CRect(MulDiv(perMille.left, pageSize.cx, 1000), MulDiv(perMille.top, pageSize.cy, 1000),
                 MulDiv(perMille.right, pageSize.cx, 1000), MulDiv(perMille.bottom, pageSize.cy, 1000));
}

// The print scale in per mille on each axis by the user's fit mode.
CSize pocketbookScale(int fit, const CSize& area, const CSize& part)
{
    const int scaleX = MulDiv(1000, area.cx, part.cx);
    const int scaleY = MulDiv(1000, area.cy, part.cy);
    if (fit == kFitStretch)
        return CSize(scaleX, scaleY);
    const int one = fit == kFitCrop ? std::max(scaleX, scaleY) : std::min(scaleX, scaleY);
    return CSize(one, one);
}

} // namespace

CPane* CPane::FindPaneShowingPage(const CQuibBg* page)
{
    for (CPane* pane : PagePanes())
        if (pane->GetPage() == page)
            return pane;
    return nullptr;
}

const std::vector<CPane*>& CPane::PagePanes()
{
    static const std::vector<CPane*> panes{&theNavigatorPane,
                                           &theWordPane,
                                           static_cast<CPane*>(&theMainPane),
                                           static_cast<CPane*>(&theWriterPane),
                                           static_cast<CPane*>(&theInfoPane),
                                           &theBlankPane};
    return panes;
}

std::uint32_t CPane::LoadPage(int id)
{
    if (id == kStartPage)
        id = static_cast<int>(StartPageId);
    if (m_owner)
        m_owner->BeginWaitCursorOnce();
    const std::int32_t current = m_page ? m_page->GetID() : 0;
    if (current == id)
        return static_cast<std::uint32_t>(id);
    // Page 0 is no page: the reload sequence empties panes with it.
    if (id == 0) {
        SetPage(nullptr);
        return m_page ? 0 : static_cast<std::uint32_t>(current);
    }
    CQuibBg* loaded = FindLoadedBackground(id);
    const bool taken = (loaded && ShowPage(*loaded) == nullptr) || takeFoundPage(id);
    return taken ? static_cast<std::uint32_t>(current) : 0;
}

// Loads the page from the active files and shows it as the pane's own; a copy that is refused dies.
bool CPane::takeFoundPage(std::int32_t id)
{
    std::unique_ptr<CQuibBg> found = FindBackgroundById(id, kPageKind);
    if (!found || found->Load() != RES_OK)
        return false;
    return AdoptPage(std::move(found)) == nullptr;
}

CQuibBg* CPane::ShowPage(CQuibBg& page)
{
    if (&page == m_page)
        return nullptr;
    if (!theBgIndex.Contains(&page) || !makeRoomFor(&page))
        return &page;
    attachPage(page);
    return nullptr;
}

std::unique_ptr<CQuibBg> CPane::AdoptPage(std::unique_ptr<CQuibBg> page)
{
    if (!page) {
        SetPage(nullptr);
        return nullptr;
    }
    if (!makeRoomFor(nullptr))
        return page;
    CQuibBg& adopted = *page;
    m_ownedPage = std::move(page);
    attachPage(adopted);
    return nullptr;
}

CQuibBg* CPane::SetPage(CQuibBg* page)
{
    if (page)
        return ShowPage(*page);
    if (m_page && makeRoomFor(nullptr)) {
        m_pagePicture = QImage();
        Invalidate();
    }
    return nullptr;
}

// Lets go of the page shown so that `next` (a page the index holds; none: a page of the pane's own, or
// nothing) can be shown: its changes are stored first; false, and nothing let go, when they could not
// be or another visible pane shows `next`.
bool CPane::makeRoomFor(const CQuibBg* next)
{
    if (m_owner)
        m_owner->BeginWaitCursorOnce();
    if (HasUnstoredPageChanges() && !StorePageChanges(false))
        return false;
    if (next && shownByAnotherPane(this, next))
        return false;
    // The selection and the hover icon let go before the page that holds them is freed.
    ClearPage();
    return true;
}

bool CPane::HasUnstoredPageChanges() const
{
    return m_page && m_page->IsChanged() && !theBgEditorEditsPageHook(m_page);
}

bool CPane::StorePageChanges(bool intoIndex)
{
    if (!m_ownedPage)
        return CQuibBg::SaveChanges(m_page, false);
    // Held aside while it is stored: storing it may give this very pane the stored copy instead
    // (pageReplaced), and the page must outlive the store that is still at work on it.
    std::unique_ptr<CQuibBg> own = std::move(m_ownedPage);
    const bool stored = intoIndex ? CQuibBg::SaveChanges(own, false) : CQuibBg::SaveChanges(own.get(), false);
    if (own && own.get() == m_page)
        m_ownedPage = std::move(own);
    return stored;
}

void CPane::attachPage(CQuibBg& page)
{
    if (m_owner)
        m_owner->ResetMouseTracking();
    m_page = &page;
    m_letGo.reset();
    noteShownIcons();
    UpdateLayout(false);
    Invalidate();
    if (this == &theMainPane)
        Owner().MainPaneShowedPage(&page);
}

void CPane::releasePage()
{
    m_page = nullptr;
    m_letGo.reset();
    noteShownIcons();
    // Dies last, once nothing shows it any more.
    const std::unique_ptr<CQuibBg> own = std::move(m_ownedPage);
}

void CPane::noteShownIcons()
{
    if (m_visible)
        NoteShownIcons(this, {m_page, ownIconLists()});
    else
        ForgetShownIcons(this);
}

// The page shown goes at the model's word. Its keys are kept, so that the page filed in its place (or
// its removal) finds the pane; a page of the pane's own that the model is still removing lives until
// it is gone.
void CPane::letGoOfPage(bool keepUntilRemoved)
{
    LetGoPage letGo{m_page->GetID(), m_page->GetFile(), GetBgTypeLanguage(m_page->GetType()), nullptr};
    if (keepUntilRemoved)
        letGo.own = std::move(m_ownedPage);
    ClearPage();
    m_letGo = std::move(letGo);
    m_pagePicture = QImage();
    Invalidate();
}

bool CPane::awaits(CQuibBg& page) const
{
    return !m_page && m_letGo && m_letGo->id == page.GetID() && m_letGo->file == page.GetFile() &&
           m_letGo->language == GetBgTypeLanguage(page.GetType());
}

void CPane::OnPageReplaced(CQuibBg* old, CQuibBg* replacement)
{
    if (old && m_page == old && (!replacement || ShowPage(*replacement) != nullptr))
        letGoOfPage(false);
}

void CPane::ShowAwaitedPage(CQuibBg& page)
{
    if (awaits(page))
        ShowPage(page);
}

void CPane::OnPageAboutToBeRemoved(CQuibBg* page)
{
    if (page && m_page == page)
        letGoOfPage(true);
}

void CPane::OnPageRemoved(std::int32_t id)
{
    if (m_page || !m_letGo || m_letGo->id != id)
        return;
    m_letGo.reset();
    LoadPage(kDefaultPageId);
}

void CPane::OnPageReverted(CQuibBg* page)
{
    if (!page || m_page != page)
        return;
    UpdateLayout(false);
    Invalidate();
}

void CPane::RedrawIcon(const CQuibIcon& icon)
{
    const bool ownIcon = std::ranges::any_of(
        m_childIcons, [&icon](const std::unique_ptr<CQuibIcon>& held) { return held.get() == &icon; });
    CRect bounds = icon.GetBoundsRect();
    bounds.OffsetRect(ownIcon ? DrawRect.TopLeft() : PageRect.TopLeft());
    InvalidateClient(bounds, false);
}

void CPane::DropStoredMediaOf(std::int32_t id)
{
    const auto dropFrom = [this, id](const CQuibIconList& icons) {
        for (const auto& icon : icons) {
            if (!IconMayShowMediaOf(*icon, id))
                continue;
            DropIconMedia(*icon);
            RedrawIcon(*icon);
        }
    };
    if (m_page)
        dropFrom(m_page->Icons);
    for (const CQuibIconList* icons : ownIconLists())
        dropFrom(*icons);
}

void CPane::ReloadAllPanes(bool toStartPage)
{
    const std::vector<CPane*> panes = theVisiblePanes;
    for (CPane* pane : panes) {
        const bool start = toStartPage || !pane->m_page;
        const int id = start ? static_cast<int>(pane->StartPageId) : pane->m_page->GetID();
        pane->ClearPage();
        pane->LoadPage(id);
        pane->UpdateLayout(true);
        pane->Invalidate();
    }
}

void CPane::UpdateLayout(bool force)
{
    // An editable pane in an editing tool always has a page to draw icons on.
    if ((PaneFlags & kPaneFlagEditable) && theEditTool != kEditToolBrowse && !m_page) {
        m_ownedPage = std::make_unique<CQuibBg>();
        m_page = m_ownedPage.get();
        m_letGo.reset();
        noteShownIcons();
    }
    // A page is read from its record when it enters a pane (LoadPage; the page index reads its own),
    // never here: the store lets go of a record's bytes once the page holds its fields, so reading it
    // again at every layout would make new icons and throw away their scaled pictures.
    updateLockBit();
    layOutPagePicture(force);
    if (m_page) {
        m_page->ReloadIconWords(force);
        IconListRelativeToScreen(m_page->Icons, PageSize);
    }
    UpdateChildIcons(force);
}

// An editable page of another file is locked when the owner file holds its own copy: edits belong
// to that copy.
void CPane::updateLockBit()
{
    PaneFlags &= ~kPaneFlagLocked;
    if (!(PaneFlags & kPaneFlagEditable) || !m_page)
        return;
    const OwnerFile owner = ownerFile();
    if (owner.file <= 0 || m_page->GetFile() == owner.file || m_page->GetID() == 0)
        return;
    const int kind = CMyRes::GetResTypeKind(m_page->GetType());
    if (ResourceExists(m_page->GetID(), MakeBgType(std::int16_t(kind), std::int16_t(owner.language)),
                       owner.file))
        PaneFlags |= kPaneFlagLocked;
}

void CPane::layOutPagePicture(bool force)
{
    const CSize baseSize = GetFrameSizePageSize(theFrameSizeMode);
    m_pagePicture = QImage();
    if (!m_page) {
        PageSize = PaneRect.Size();
        PageRect = PaneRect;
        return;
    }
    const int mode = m_page->LoadPictureForFrameSize(theFrameSizeMode, force);
    if (mode == 0 || !m_page->PictureImage) {
        const bool main = this == &theMainPane;
        PageSize = main ? baseSize : PaneRect.Size();
        PageRect = main ? CRect(0, 0, baseSize.cx - 1, baseSize.cy - 1) : PaneRect;
        m_page->LayoutSize = PageSize;
        return;
    }
    PageSize = baseSize;
    QImage picture = lumivo::image::toQImage(*m_page->PictureImage);
    // A picture made for another frame size is scaled to this one; one of this size shows as it is.
    if (FrameSizeToLayoutId(mode) != FrameSizeToLayoutId(theFrameSizeMode))
        picture = picture.scaled(baseSize.cx, baseSize.cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_pagePicture = picture.convertToFormat(QImage::Format_RGB32);
    m_page->LayoutSize = PageSize;
}

void CPane::PrintPocketbook(PrinterDC& printer) const
{
    const CQuibUserSettings defaults;
    const CQuibUserSettings& settings = theCurrentUser ? theCurrentUser->Settings() : defaults;
    const CSize area(MulDiv(settings.PrintPageSize.cx * 100, printer.dpiX, kHundredthsOfMmPerInch),
                     MulDiv(settings.PrintPageSize.cy * 100, printer.dpiY, kHundredthsOfMmPerInch));
    const CRect areaRect(CPoint((printer.printableWidth - area.cx) / 2, kPocketbookTop), area);
    QPainter& dc = printer.painter;
    // A quarter of a millimetre, just outside the area.
    const int frameWidth = std::max(1, MulDiv(25, printer.dpiX, kHundredthsOfMmPerInch));
    DrawFrameBands(dc, areaRect, -frameWidth, kPocketbookFrameColor);

    const CRect part = partOfPage(RelativeRect, PageSize);
    // A part or an area with no extent has nothing to print (and no scale).
    if (!m_page || part.IsRectEmpty() || areaRect.IsRectEmpty())
        return;
    const CSize scale = pocketbookScale(settings.PrintFit, area, part.Size());
    // The scaled part is centred in the area; what does not fit is cut off on both sides alike.
    const CSize scaledPart(MulDiv(part.Width(), scale.cx, 1000), MulDiv(part.Height(), scale.cy, 1000));
    const QPoint origin(areaRect.left + (area.cx - scaledPart.cx) / 2 - MulDiv(part.left, scale.cx, 1000),
                        areaRect.top + (area.cy - scaledPart.cy) / 2 - MulDiv(part.top, scale.cy, 1000));
    dc.save();
    dc.setClipRect(toQRect(areaRect), Qt::IntersectClip);
    if (!m_pagePicture.isNull()) {
        const QSize scaledPicture(MulDiv(m_pagePicture.width(), scale.cx, 1000),
                                  MulDiv(m_pagePicture.height(), scale.cy, 1000));
        dc.setRenderHint(QPainter::SmoothPixmapTransform);
        dc.drawImage(QRect(origin, scaledPicture), m_pagePicture);
    }
    for (const auto& icon : m_page->Icons)
        m_iconPainter.PaintForPrint(dc, origin, *icon, scale.cx, scale.cy, 0);
    dc.restore();
}
