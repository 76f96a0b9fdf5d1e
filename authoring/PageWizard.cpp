#include "authoring/PageWizard.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/MediaRecords.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "panes/Pane.h"
#include "platform/ui/Ui.h"
#include "shell/MainFrame.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace
{

constexpr int kCaptionText = 9201;
constexpr int kActionTitleText = 9202;
constexpr int kActionInstructionText = 9203;
constexpr int kFirstActionText = 9204; // New, Edit, Delete, Restore in this order
constexpr int kActionFooterText = 9095;
constexpr int kActionFinishOnlyText = 9211;
constexpr int kNextOnlyText = 9212;
constexpr int kNextAndFinishText = 9213;
constexpr int kNeitherText = 9215;
constexpr std::int16_t kPageKind = 1;

} // namespace

// ---- The wizard -------------------------------------------------------------------------------------

CPageWizard::CPageWizard(QWidget* parent, CQuibBg* page)
    : CWizardDialog(parent), m_given(page), m_file(AuthoringTargetFile()),
      m_language(AuthoringTargetLanguage())
{
    setObjectName(QStringLiteral("pageWizard"));
    m_newPage = std::make_unique<CQuibBg>();
    m_newPage->Create();
    if (page) {
        m_action = kPageActionEdit;
        AddPage(&m_actionPage, kPageWizardActionPageId);
    } else {
        m_action = kPageActionNew;
        m_working = m_newPage.get();
    }
    AddPage(&m_namePage, kPageWizardNamePageId);
    AddPage(&m_picturePage, kPageWizardPicturePageId);
}

// A new page that was never stored takes its record with it.
CPageWizard::~CPageWizard()
{
    if (m_newPage && m_newPage->GetFile() == 0)
        m_newPage->CMyRes::Remove(-1, -1);
}

bool CPageWizard::OnInitDialog()
{
    SetPlaceholder(kWizardPlaceholderId);
    CWizardDialog::OnInitDialog();
    SetProgramButtonTexts();
    SetTitle(kCaptionText);
    return true;
}

void CPageWizard::OnFinish()
{
    using namespace lumivo::ui;
    if (m_working && m_pageId == 0 && m_file != 0) {
        m_pageId = m_working->GetID();
        if (m_pageId == 0) {
            // Without an id there is no record: the author is told and may cancel.
            const std::optional<std::int32_t> id = NewUnusedSystemId();
            if (!id) {
                MessageBoxById(kStrNoFreePageId, MB_OK | MB_ICONEXCLAMATION);
                return;
            }
            if (m_working->SaveAs(*id, m_file, MakeBgType(kPageKind, std::int16_t(m_language))) != RES_OK) {
                MessageBoxById(kStrCannotStorePage, MB_OK | MB_ICONEXCLAMATION, GetResFilePath(m_file));
                return;
            }
            m_pageId = *id;
        }
    }
    CWizardDialog::OnFinish();
}

void CPageWizard::CarryOut(CPane* pane)
{
    if (m_file == 0 || !m_working)
        return;
    switch (m_action) {
    case kPageActionNew:
        if (m_working == m_newPage.get())
            carryOutNew(pane);
        break;
    case kPageActionEdit:
        if (m_working == m_given)
            carryOutEdit(pane);
        break;
    case kPageActionDelete:
    case kPageActionRestore:
        if (m_working->GetFile() == m_file)
            carryOutRemoval(pane, m_action == kPageActionRestore);
        break;
    default:
        break;
    }
}

void CPageWizard::carryOutNew(CPane* pane)
{
    m_working = nullptr;
    m_newPage->Commit();
    // Once placed, the page index holds the page, also when it could not be written: the pane shows it
    // from there, changed.
    int written = RES_OK;
    const bool placed = CQuibBg::SaveChanges(m_newPage, false, &written);
    noteUnwrittenPage(written);
    if (!placed || m_newPage)
        return;
    if (pane)
        pane->LoadPage(m_pageId);
}

void CPageWizard::carryOutEdit(CPane* pane)
{
    m_given->Commit();
    int written = RES_OK;
    CQuibBg::SaveChanges(m_given, false, &written);
    noteUnwrittenPage(written);
    if (!pane)
        return;
    pane->LoadPage(m_pageId);
    pane->Invalidate();
    pane->UpdateLayout(true);
}

// A page that could not be written stays in the page index, changed, for its file's next save; the
// author hears of it once the wizard has closed.
void CPageWizard::noteUnwrittenPage(int written)
{
    if (written != RES_OK)
        NoteFailure(kMsgPageNotStored, GetResFilePath(m_file));
}

// Delete: the page goes and its panes show their start page. Restore: the page of the wizard's file
// goes and its panes show the page of the same id again, which the data files still hold.
void CPageWizard::carryOutRemoval(CPane* pane, bool restore)
{
    CQuibBg* page = m_working;
    const std::int32_t id = page->GetID();
    std::vector<CPane*> panes;
    if (CPane* showing = CPane::FindPaneShowingPage(page))
        panes.push_back(showing);
    if (pane && (panes.empty() || panes.front() != pane))
        panes.push_back(pane);
    for (CPane* each : panes) {
        if (restore)
            each->ClearSelection();
        if (restore || each->GetPage() == page)
            each->LoadPage(0);
    }
    m_working = m_given = nullptr;
    CQuibBg::Remove(page, false);
    for (CPane* each : panes)
        each->LoadPage(restore ? id : -1);
}

bool RunPageWizard(QWidget* parent, CQuibBg* page, CPane* pane)
{
    CPageWizard wizard(parent ? parent : MainFrame(), page);
    if (wizard.DoModal() != kWizardFinishId)
        return false;
    wizard.CarryOut(pane);
    if (pane)
        pane->ClearSelection();
    wizard.TellFailure();
    return true;
}

// ---- What to do ---------------------------------------------------------------------------------------

CPageWizardActionPage::CPageWizardActionPage(CPageWizard& wizard)
    : CWizardActionPage(kActionTitleText, kActionInstructionText, kActionFooterText, kFirstActionText,
                        {"pageActionNew", "pageActionEdit", "pageActionDelete", "pageActionRestore"}),
      m_wizard(wizard)
{
}

int CPageWizardActionPage::CurrentAction() const
{
    return m_wizard.m_action;
}

void CPageWizardActionPage::OnActionChosen(int action)
{
    m_wizard.m_action = action;
}

// Delete and Restore are only for a page of the wizard's own file: Restore when another file holds a
// page of that id to go back to, else Delete.
void CPageWizardActionPage::enableChoices()
{
    CQuibBg* given = m_wizard.m_given;
    Choice(kPageActionNew)->setEnabled(m_wizard.m_newPage != nullptr);
    Choice(kPageActionEdit)->setEnabled(given != nullptr);
    Choice(kPageActionDelete)->setEnabled(false);
    Choice(kPageActionRestore)->setEnabled(false);
    if (!given || given->GetFile() != m_wizard.m_file)
        return;
    const bool otherVersion = FindLoadedBackground(given->GetID(), 0, m_wizard.m_file) != nullptr;
    Choice(otherVersion ? kPageActionRestore : kPageActionDelete)->setEnabled(true);
}

void CPageWizardActionPage::DoDataExchange(bool save)
{
    if (save || !IsInitialised())
        return;
    enableChoices();
    CWizardDialog* owner = GetOwner();
    const int action = m_wizard.m_action;
    const bool goesOn = action == kPageActionNew || action == kPageActionEdit;
    const bool finishesHere = action == kPageActionDelete || action == kPageActionRestore;
    owner->EnableNext(goesOn);
    owner->EnableFinish(finishesHere);
    if (action == kPageActionNew)
        m_wizard.m_working = m_wizard.m_newPage.get();
    else if (goesOn || finishesHere)
        m_wizard.m_working = m_wizard.m_given;
    else
        m_wizard.m_working = nullptr;
    m_wizard.m_pageId = m_wizard.m_working ? m_wizard.m_working->GetID() : 0;
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kActionFinishOnlyText, kNeitherText);
}
