#include "authoring/IconWizard.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/MediaRecords.h"

#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Word.h"
#include "panes/Pane.h"
#include "shell/MainFrame.h"
#include "store/ResourceManager.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kCaptionText = 9051;
constexpr int kNextAndFinishText = 9054;
constexpr int kNextOnlyText = 9056;
constexpr int kActionTitleText = 9090;
constexpr int kActionDescriptionText = 9091;
constexpr int kFirstActionText = 9092; // add, edit, delete in this order
constexpr int kActionFinishOnlyText = 9095;
constexpr int kNeitherText = 9096;

} // namespace

// ---- The wizard -------------------------------------------------------------------------------------

CIconWizard::CIconWizard(QWidget* parent, CQuibIcon* icon, CPane& pane, int x, int y)
    : CWizardDialog(parent), m_file(AuthoringTargetFile()), m_language(AuthoringTargetLanguage())
{
    setObjectName(QStringLiteral("iconWizard"));
    m_newIcon = std::make_unique<CQuibIcon>(kIconShapeRect);
    const CPoint centre = x < 1 || y < 1 ? pane.PaneRect.CenterPoint() : CPoint(x, y);
    constexpr int half = kIconWizardIconSize / 2;
    CRect rect(centre.x - half, centre.y - half, centre.x + half, centre.y + half);
    rect.OffsetRect(pane.ClientToPage(CPoint(0, 0)));
    m_newIcon->ScreenRect = rect;
    if (icon) {
        icon->Deselect();
        m_existing = icon;
        m_action = kIconActionEdit;
        AddPage(&m_actionPage, kIconWizardActionPageId);
    } else {
        m_working = m_newIcon.get();
        m_action = kIconActionAdd;
    }
    AddPage(&m_wordPage, kIconWizardWordPageId);
    AddPage(&m_lookPage, kIconWizardLookPageId);
    AddPage(&m_picturePage, kIconWizardPicturePageId);
    AddPage(&m_soundPage, kIconWizardSoundPageId);
    AddPage(&m_linkPage, kIconWizardLinkPageId);
}

CIconWizard::~CIconWizard() = default;

bool CIconWizard::OnInitDialog()
{
    SetPlaceholder(kWizardPlaceholderId);
    CWizardDialog::OnInitDialog();
    SetProgramButtonTexts();
    SetTitle(kCaptionText);
    return false;
}

std::int32_t CIconWizard::WordIdInEffect() const
{
    if (m_wordPage.AppliesWord())
        return m_wordPage.WordId();
    return m_working ? m_working->WordId : 0;
}

bool CIconWizard::ReplacesWordMedia(int replaceState) const
{
    if (replaceState != kReplaceUndecided)
        return replaceState == kReplaceWordMedia;
    return WordIdInEffect() >= kFirstSystemId || m_newWordFlag;
}

std::int32_t CIconWizard::MediaRecordId(bool replacesWord)
{
    if (replacesWord)
        return WordIdInEffect();
    const std::optional<std::int32_t> id = NewUnusedSystemId();
    if (!id)
        NoteFailure(kStrNoFreeItemId);
    return id.value_or(0);
}

void CIconWizard::Conclude(CPane& pane)
{
    CQuibBg* page = pane.GetPage();
    if (!page) {
        m_newIcon.reset();
        return;
    }
    if (m_action == kIconActionAdd && m_working == m_newIcon.get())
        insertNewIcon(*page);
    m_newIcon.reset();
    if (m_action == kIconActionDelete && m_existing)
        deleteExistingIcon(*page);
    page->Commit();
    if (m_working && page->HoldsIcon(m_working)) {
        m_working->ReloadWord(true);
        m_working->Redraw(true);
    }
    storeChangedPage(pane, *page);
    // The word the wizard made is found by name from now on.
    if (std::unique_ptr<CQuibWord> word = m_wordPage.TakeNewWord())
        SaveWord(std::move(word));
}

// The tail of the list is drawn last: the new icon lies in front of the others.
void CIconWizard::insertNewIcon(CQuibBg& page)
{
    CQuibIcon* icon = m_newIcon.get();
    page.Icons.push_back(std::move(m_newIcon));
    const CRect rect = icon->ScreenRect;
    icon->SetRect(rect.left, rect.top, rect.right, rect.bottom, true);
    page.Commit();
    icon->DragCopy = icon->Clone();
}

// The icon dies through the page's list: its destructor lets the selection, the hover slot, the
// clipboard and the clip preview forget it (the model announces it to every pane first).
void CIconWizard::deleteExistingIcon(CQuibBg& page)
{
    CQuibIcon* icon = m_existing;
    m_existing = nullptr;
    if (m_working == icon)
        m_working = nullptr;
    const auto held =
        std::ranges::find_if(page.Icons, [icon](const auto& each) { return each.get() == icon; });
    if (held == page.Icons.end())
        return;
    icon->Deselect();
    icon->Redraw(true);
    std::unique_ptr<CQuibIcon> doomed = std::move(*held);
    page.Icons.erase(held);
    doomed.reset();
}

void CIconWizard::storeChangedPage(CPane& pane, CQuibBg& page)
{
    if (!theBgEditorEditsPageHook(&page) && theOutputFile == 0) {
        int written = RES_OK;
        const bool placed = CQuibBg::SaveChanges(&page, false, &written);
        if (written != RES_OK) {
            // Reading the page again would read what the file still holds, without the change: it
            // stays on screen, changed, and the file's next save may yet store it.
            NoteFailure(kMsgPageNotStored, GetResFilePath(m_file));
            pane.UpdateLayout(true);
        } else if (placed) {
            // Read again as stored: the pane shows what the file holds.
            CQuibBg* shown = pane.GetPage();
            if (shown && shown->GetEntry())
                shown->Load();
            pane.UpdateLayout(true);
        }
    }
    pane.Invalidate();
}

bool RunIconWizard(QWidget* parent, CQuibIcon* icon, int /*action*/, CPane* pane, int x, int y)
{
    if (!pane && icon)
        pane = CPane::FindPaneOfIcon(icon);
    if (!pane)
        return false;
    CIconWizard wizard(parent ? parent : MainFrame(), icon, *pane, x, y);
    if (wizard.DoModal() != kWizardFinishId)
        return false;
    wizard.Conclude(*pane);
    wizard.TellFailure();
    return true;
}

// ---- What to do ---------------------------------------------------------------------------------------

CIconWizardActionPage::CIconWizardActionPage(CIconWizard& wizard)
    : CWizardActionPage(kActionTitleText, kActionDescriptionText, kActionFinishOnlyText, kFirstActionText,
                        {"iconActionAdd", "iconActionEdit", "iconActionDelete"}),
      m_wizard(wizard)
{
}

int CIconWizardActionPage::CurrentAction() const
{
    return m_wizard.Action();
}

void CIconWizardActionPage::OnActionChosen(int action)
{
    m_wizard.SetAction(action);
}

void CIconWizardActionPage::DoDataExchange(bool save)
{
    if (save || !IsInitialised())
        return;
    Choice(kIconActionAdd)->setEnabled(m_wizard.NewIcon() != nullptr);
    Choice(kIconActionEdit)->setEnabled(m_wizard.ExistingIcon() != nullptr);
    Choice(kIconActionDelete)->setEnabled(m_wizard.ExistingIcon() != nullptr);
    CWizardDialog* owner = GetOwner();
    const int action = m_wizard.Action();
    owner->EnableNext(action == kIconActionAdd || action == kIconActionEdit);
    owner->EnableFinish(action == kIconActionDelete);
    if (action == kIconActionAdd)
        m_wizard.SetWorkingIcon(m_wizard.NewIcon());
    else if (action == kIconActionEdit || action == kIconActionDelete)
        m_wizard.SetWorkingIcon(m_wizard.ExistingIcon());
    else
        m_wizard.SetWorkingIcon(nullptr);
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kActionFinishOnlyText, kNeitherText);
}
