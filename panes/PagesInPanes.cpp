// Pages in panes: how a page gets into a pane, the rule that one page object is shown by at most one
// visible pane, the page layout and the pocketbook print; and the hooks through which the icons and
// pages below reach the panes.

#include "core/FrameSizes.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageHooks.h"
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
constexpr int kPageKind = 1;
constexpr int kPocketbookTop = 200;
constexpr COLORREF kPocketbookFrameColor = 0x808080;
constexpr int kFitStretch = 9372;
constexpr int kFitCrop = 9373;
constexpr int kHundredthsOfMmPerInch = 2540;

bool hooksInstalled = false;
// What followed the selection before the panes came, put back when they go.
lumivo::Hook<void()>::Function selectionChangedBefore;

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
    const auto showsIt = [page, self](const CPane* pane) { return pane != self && pane->GetPage() == page; };
    if (std::ranges::any_of(theVisiblePanes, showsIt))
        return true;
    // A page no index keeps belongs to the pane that shows it; a second pane would delete it again.
    const CPane* owner = theBgIndex.Contains(page) ? nullptr : CPane::FindPaneShowingPage(page);
    return owner != nullptr && owner != self;
}

void redrawIcon(CQuibIcon* icon)
{
    CPane* pane = CPane::FindPaneOfIcon(icon);
    if (!pane)
        return;
    const bool ownIcon = std::ranges::any_of(
        pane->ChildIcons(), [icon](const std::unique_ptr<CQuibIcon>& held) { return held.get() == icon; });
    CRect bounds = icon->GetBoundsRect();
    bounds.OffsetRect(ownIcon ? pane->DrawRect.TopLeft() : pane->PageRect.TopLeft());
    pane->InvalidateClient(bounds, false);
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

void InstallPaneHooks()
{
    if (hooksInstalled)
        return;
    hooksInstalled = true;
    theFindPaneShowingPage.set([](const CQuibBg* page) { return CPane::FindPaneShowingPage(page); });
    // The page code hands a pane another page, or none, right before it drops or deletes the old one: a
    // pane that refuses the new page still lets go of the old.
    thePaneSetPage.set([](CPane* pane, CQuibBg* page) {
        if (!page)
            pane->DetachPage();
        else if (pane->SetPage(page) != nullptr)
            pane->ClearPage();
    });
    thePaneLoadPage.set([](CPane* pane, std::int32_t id) { pane->LoadPage(id); });
    thePaneUpdateLayout.set([](CPane* pane) {
        pane->UpdateLayout(false);
        pane->Invalidate();
    });
    theFindPaneShowingIcon.set([](const CQuibIcon* icon) { return CPane::FindPaneOfIcon(icon); });
    thePanePage.set([](CPane* pane) { return pane->GetPage(); });
    theIconRedraw.set(redrawIcon);
    theMainPaneLoadPage.set([](std::int32_t id) {
        theMainPane.LoadPage(id);
        return theMainPane.GetPage() != nullptr && theMainPane.GetPage()->GetID() == id;
    });
    // The browse callout and then the information pane follow the selection; the writer pane chains
    // itself after them.
    selectionChangedBefore = theSelectionChanged.chain([] {
        theBrowsePane.UpdateFromSelection();
        theInfoPane.ShowSelectedIcon(nullptr);
    });
    theBrowseInsertIcon.set([](CQuibIcon& icon, int x, int y) { theWriterPane.InsertIcon(&icon, x, y); });
    InstallWriterPaneHooks();
}

void UninstallPaneHooks()
{
    if (!hooksInstalled)
        return;
    hooksInstalled = false;
    theFindPaneShowingPage.reset();
    thePaneSetPage.reset();
    thePaneLoadPage.reset();
    thePaneUpdateLayout.reset();
    theFindPaneShowingIcon.reset();
    thePanePage.reset();
    theIconRedraw.reset();
    theMainPaneLoadPage.reset();
    UninstallWriterPaneHooks();
    theSelectionChanged.set(std::move(selectionChangedBefore));
    selectionChangedBefore = nullptr;
    theBrowseInsertIcon.reset();
}

CPane* CPane::FindPaneShowingPage(const CQuibBg* page)
{
    // The browse pane shows no pages of its own and is not asked.
    for (CPane* pane :
         {&theNavigatorPane, &theWordPane, static_cast<CPane*>(&theMainPane),
          static_cast<CPane*>(&theWriterPane), static_cast<CPane*>(&theInfoPane), &theBlankPane})
        if (pane->GetPage() == page)
            return pane;
    return nullptr;
}

std::uint32_t CPane::LoadPage(int id)
{
    InstallPaneHooks();
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
    const bool taken = (loaded && SetPage(loaded) == nullptr) || takeFoundPage(id);
    return taken ? static_cast<std::uint32_t>(current) : 0;
}

// Loads the page from the active files and shows it; a copy that is refused is deleted.
bool CPane::takeFoundPage(std::int32_t id)
{
    std::unique_ptr<CQuibBg> found = FindBackgroundById(id, kPageKind);
    if (!found || found->Load() != RES_OK)
        return false;
    if (SetPage(found.get()) != nullptr)
        return false;
    static_cast<void>(found.release()); // the pane owns it now
    return true;
}

CQuibBg* CPane::SetPage(CQuibBg* page)
{
    InstallPaneHooks();
    if (page == m_page)
        return nullptr;
    if (m_owner)
        m_owner->BeginWaitCursorOnce();
    // Unsaved changes are kept before the page goes, unless the page editor holds them.
    if (m_page && m_page->IsChanged() && !theBgEditorEditsPageHook(m_page) &&
        !CQuibBg::SaveChanges(m_page, false))
        return page;
    if (page && shownByAnotherPane(this, page))
        return page;
    // The selection and the hover icon let go before the page that holds them is freed.
    ClearPage();
    if (!page) {
        m_pagePicture = QImage();
        Invalidate();
        return nullptr;
    }
    if (m_owner)
        m_owner->ResetMouseTracking();
    attachPage(page);
    return nullptr;
}

void CPane::attachPage(CQuibBg* page)
{
    m_page = page;
    if (!theBgIndex.Contains(page))
        m_ownedPage.reset(page);
    UpdateLayout(false);
    Invalidate();
    if (this == &theMainPane)
        theMainPaneShowedPage(page);
}

void CPane::DetachPage()
{
    ClearSelection();
    SetHoverIcon(nullptr);
    m_page = nullptr;
    static_cast<void>(m_ownedPage.release()); // the caller deletes it or keeps it
    m_pagePicture = QImage();
    Invalidate();
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
    InstallPaneHooks();
    // An editable pane in an editing tool always has a page to draw icons on.
    if ((PaneFlags & kPaneFlagEditable) && theEditTool != kEditToolBrowse && !m_page) {
        m_ownedPage = std::make_unique<CQuibBg>();
        m_page = m_ownedPage.get();
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
        icon->DrawForPrint(dc, origin, scale.cx, scale.cy, 0);
    dc.restore();
}
