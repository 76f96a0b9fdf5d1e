#include "authoring/BgEditorFrame.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditor.h"
#include "authoring/BgSheetView.h"
#include "authoring/BgTreeView.h"
#include "authoring/ImageOperations.h"
#include "authoring/MediaRecords.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "panes/Panes.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/SystemStrings.h"

#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

CQuibBg_Frame* theBgEditorFrame = nullptr;

namespace
{

constexpr int kTreeWidth = 130;
constexpr int kMinimumTreeWidth = 50;
constexpr std::int16_t kPageKind = 1;
constexpr int kFirstScreenSizeText = 1240; // "640 x 480" ... "1600 x 1200" for 20001 ... 20006
constexpr int kScreenSizeChoices = 6;
// The output-file commands, which the editor hands on to the output-file handler.
constexpr int kFirstOutputFileCommand = 5051;
constexpr int kLastOutputFileCommand = 5074;

bool ctrlHeld()
{
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

// Whether the main pane can be given the page: only pages the page index holds are shown by reference.
bool showableInPanes(CQuibBg* page)
{
    return page && theBgIndex.Contains(page);
}

void tellNoFreeId()
{
    MessageBoxById(kStrNoFreePageId, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION);
}

} // namespace

CQuibBg_Frame::CQuibBg_Frame(QWidget* owner) : CEditorFrame(owner)
{
    setObjectName(QStringLiteral("bgEditorFrame"));
    // Without a stored mode pictures are cropped, the first of the three choices.
    m_importMode = ReadEditorParams(kImportCrop);
    m_tree = new CQuibBg_TreeView(*this);
    m_view = new CQuibBg_ScrollView(*this);
    SetPanes(m_tree, m_view, kTreeWidth, kMinimumTreeWidth);
    BuildMenus();
    followModel();
}

CQuibBg_Frame::~CQuibBg_Frame()
{
    leaveEditor();
}

void CQuibBg_Frame::leaveEditor()
{
    if (m_left)
        return;
    m_left = true;
    disconnect(&thePageEvents, nullptr, this, nullptr);
    // A new page never saved leaves no record behind.
    if (m_newPage)
        m_newPage->CMyRes::Remove(-1, -1);
    m_current = nullptr;
    WriteEditorParams(m_importMode);
    if (theBgEditorFrame == this)
        theBgEditorFrame = nullptr;
    ClearBackgroundEditorFlags();
}

void CQuibBg_Frame::Closed()
{
    leaveEditor();
}

void CQuibBg_Frame::releaseDyingPage()
{
    m_dyingPage.reset();
}

void CQuibBg_Frame::SetEditorFile(int file, int primaryLanguage, int secondLanguage)
{
    m_editorFile = file;
    m_primaryLanguage = primaryLanguage;
    m_secondLanguage = secondLanguage;
    FillTree();
}

// ---- Menus --------------------------------------------------------------------------------------------

void CQuibBg_Frame::BuildMenus()
{
    auto* userLevels = new QMenu(this);
    for (int level = 0; level < kBgUserLevels; ++level)
        AddCommandText(*userLevels, LoadSystemString(kStrUserLevelItem).arg(level),
                       kBgFirstUserLevel + level);
    auto* screenSizes = new QMenu(this);
    for (int size = 1; size <= kScreenSizeChoices; ++size)
        AddCommandText(*screenSizes, LoadSystemString(kFirstScreenSizeText + size - 1),
                       kBgFirstScreenSize + size);

    QMenu* filter = AddPopup(4601);
    filter->menuAction()->setStatusTip(LoadSystemString(5601));
    AddCommand(*filter, 4602, kBgFilterOutputFile);
    AddCommand(*filter, 4603, kBgFilterDataFiles);
    AddCommand(*filter, 4623, kBgSaveList);

    QMenu* edit = AddPopup(4610);
    edit->menuAction()->setStatusTip(LoadSystemString(5610));
    AddCommand(*edit, 4612, kBgNewBackground);
    AddCommand(*edit, 4616, kBgRemoveBackground);
    edit->addSeparator();
    AddCommand(*edit, 4617, kBgImportCrop);
    AddCommand(*edit, 4618, kBgImportResize);
    AddCommand(*edit, 4619, kBgImportKeepSize);
    edit->addSeparator();
    userLevels->setTitle(LoadSystemString(4620));
    edit->addMenu(userLevels)->setStatusTip(LoadSystemString(5620));
    screenSizes->setTitle(LoadSystemString(4621));
    edit->addMenu(screenSizes)->setStatusTip(LoadSystemString(5621));

    QMenu* special = AddPopup(4615);
    special->menuAction()->setStatusTip(LoadSystemString(5615));
    AddCommand(*special, 4613, kBgImportNames);
    AddCommand(*special, 4614, kBgExportWords);
    AddCommand(*special, 4622, kBgTransferBackground);
    RouteMenus();
}

bool CQuibBg_Frame::OnCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    if (id >= kFirstOutputFileCommand && id <= kLastOutputFileCommand)
        return theOutputFileCommandHook(UINT(id), code, update);
    return runFilterCommand(id, code, update) || runEditCommand(id, code, update) ||
           runChoiceCommand(id, code, update);
}

bool CQuibBg_Frame::runFilterCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    switch (id) {
    case kBgFilterOutputFile:
        return AnswerCommand(code, update, true, m_showEditorFile, [this] {
            m_showEditorFile = !m_showEditorFile;
            FillTree();
        });
    case kBgFilterDataFiles:
        return AnswerCommand(code, update, true, m_showDataFiles, [this] {
            m_showDataFiles = !m_showDataFiles;
            FillTree();
        });
    case kBgSaveList:
        return AnswerCommand(code, update, true, std::nullopt, [this] { SaveBackgroundList(); });
    case kBgImportNames:
        return AnswerCommand(code, update, BackgroundEditorTranslating(), std::nullopt,
                             [this] { ImportBackgroundNames(); });
    case kBgExportWords:
        return AnswerCommand(code, update, true, std::nullopt, [this] { ExportBackgroundWords(); });
    case kBgTransferBackground:
        return AnswerCommand(code, update, BackgroundEditorTranslating(), std::nullopt,
                             [this] { theTransferBackgroundAssetsHook(m_current); });
    default:
        return false;
    }
}

bool CQuibBg_Frame::runEditCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    switch (id) {
    case kBgNewBackground:
        return AnswerCommand(code, update, true, std::nullopt, [this] { NewBackground(); });
    case kBgRemoveBackground:
        return AnswerCommand(code, update, m_current && m_editable, std::nullopt,
                             [this] { RemoveBackground(); });
    case kBgImportCrop:
    case kBgImportResize:
    case kBgImportKeepSize: {
        const auto bit = static_cast<std::uint16_t>(1u << (id - kBgImportCrop));
        return AnswerCommand(code, update, true, (m_importMode & bit) != 0,
                             [this, bit] { m_importMode = bit; });
    }
    default:
        return false;
    }
}

bool CQuibBg_Frame::runChoiceCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    if (id >= kBgFirstUserLevel && id < kBgFirstUserLevel + kBgUserLevels) {
        const auto level = static_cast<std::uint16_t>(id - kBgFirstUserLevel);
        return AnswerCommand(code, update, true, m_userLevel == level,
                             [this, level] { m_userLevel = level; });
    }
    if (id >= kBgFirstScreenSize && id <= kBgLastScreenSize) {
        const auto size = static_cast<std::uint16_t>(id - kBgFirstScreenSize);
        return AnswerCommand(code, update, true, m_screenSize == size, [this, size] { m_screenSize = size; });
    }
    return false;
}

// ---- The current page ---------------------------------------------------------------------------------

bool CQuibBg_Frame::SelectBackground(CQuibBg* page)
{
    const bool ctrl = ctrlHeld();
    m_pendingSelection = page;
    const bool saved = SaveCurrentBackground(true);
    // The save may have replaced or removed the page asked for; the model's events said which.
    page = m_pendingSelection;
    m_pendingSelection = nullptr;
    if (!saved) {
        m_tree->SelectItemOf(m_current);
        return false;
    }
    if (page && page == m_current && ctrl && showableInPanes(page))
        theMainPane.SetPage(page);
    makeCurrent(page, ctrl);
    m_view->RefreshSheet();
    return true;
}

void CQuibBg_Frame::makeCurrent(CQuibBg* page, bool showInMainPane)
{
    if (m_newPage && page != m_newPage.get()) {
        // Left without a save: the new page goes again, so no empty page is left in the file.
        CQuibBg::Remove(m_newPage.get(), false);
        releaseDyingPage();
    }
    m_current = page;
    m_paneShowing = nullptr;
    if (!page) {
        m_tree->SelectItemOf(nullptr);
        m_editable = false;
        return;
    }
    m_paneShowing = CPane::FindPaneShowingPage(page);
    if (!m_paneShowing && showInMainPane && showableInPanes(page)) {
        theMainPane.SetPage(page);
        m_paneShowing = CPane::FindPaneShowingPage(page);
    }
    m_editable = decideEditable(page);
    m_tree->SelectItemOf(page);
    if (page->IsChanged())
        m_view->SetChanged(true);
}

bool CQuibBg_Frame::decideEditable(CQuibBg* page) const
{
    if (page->GetFile() == m_editorFile)
        return true;
    const auto kind = std::int16_t(GetResTypeKind(page->GetType()));
    int error = 0;
    const bool ownCopy = ResourceExists(page->GetID(), MakeBgType(kind, std::int16_t(m_primaryLanguage)),
                                        m_editorFile, &error);
    return !ownCopy || error != 0;
}

bool CQuibBg_Frame::SaveCurrentBackground(bool ask)
{
    if (!m_view->IsChanged() || !m_current)
        return true;
    // Asked before the pages store anything (their pictures go into the file at once): No leaves the
    // file as it was.
    const int answer = ask ? CQuibBg::AskToSave(*m_current) : lumivo::ui::IDYES;
    if (answer == lumivo::ui::IDCANCEL)
        return false;
    int written = RES_OK;
    const bool saved = answer == lumivo::ui::IDYES ? storeCurrentBackground(written) : dropCurrentChanges();
    releaseDyingPage();
    if (!saved)
        return false;
    // A page that could not be written stays changed in the page index, for its file's next save. OK
    // keeps the sheet changed, so that OK may try again; on the way to something else the sheet lets
    // go of it (the page itself shows it changed when it is chosen again).
    m_view->SetChanged(written != RES_OK && !ask);
    if (m_current)
        m_tree->RefreshBackground(m_current);
    if (m_treeStale)
        listPages();
    if (written != RES_OK)
        MessageBoxById(kMsgPageNotStored, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       GetResFilePath(AuthoringTargetFile()));
    return true;
}

bool CQuibBg_Frame::storeCurrentBackground(int& written)
{
    if (!m_view->Sheet().ApplyPages())
        return false;
    if (m_view->IsChanged())
        m_current->Commit();
    const bool ownsPage = m_newPage && m_current == m_newPage.get();
    return ownsPage ? CQuibBg::SaveChanges(m_newPage, false, &written)
                    : CQuibBg::SaveChanges(m_current, false, &written);
}

bool CQuibBg_Frame::dropCurrentChanges()
{
    m_view->Sheet().ResetPages();
    return CQuibBg::DropChanges(m_current);
}

void CQuibBg_Frame::FillTree()
{
    if (!SaveCurrentBackground(true) || !SelectBackground(nullptr))
        return;
    listPages();
}

void CQuibBg_Frame::listPages()
{
    m_treeStale = false;
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    std::vector<int> files;
    if (m_showDataFiles)
        files = theDataFiles;
    if (m_showEditorFile && std::find(files.begin(), files.end(), m_editorFile) == files.end())
        files.push_back(m_editorFile);
    std::vector<int> languages;
    if (m_primaryLanguage != 0)
        languages.push_back(m_primaryLanguage);
    if (m_secondLanguage != 0 && m_secondLanguage != m_primaryLanguage)
        languages.push_back(m_secondLanguage);
    for (const int file : files) {
        const bool listed = file == m_editorFile ? m_showEditorFile : m_showDataFiles;
        for (const int language : languages) {
            const CQuibObjIndex::FileMap* pages = theBgIndex.GetFileMap(file, language & 0xFF);
            if (!pages || !listed)
                continue;
            for (const auto& [id, page] : *pages)
                m_tree->AddBackground(static_cast<CQuibBg*>(page));
        }
    }
    m_tree->SelectItemOf(m_current);
    m_tree->setUpdatesEnabled(true);
}

void CQuibBg_Frame::NewBackground()
{
    std::int32_t id = 0;
    if (BackgroundEditorEditing())
        id = NewSystemItemId();
    else if (BackgroundEditorTranslating())
        id = NewItemId();
    const std::int32_t type = MakeBgType(kPageKind, std::int16_t(m_primaryLanguage));
    // No id (kNoItemId as well as 0) makes no record.
    if (id <= 0 || FindFreeResId(&id, m_editorFile, type) != RES_OK || id <= 0) {
        tellNoFreeId();
        return;
    }
    if (!SelectBackground(nullptr) || m_current)
        return;
    auto page = std::make_unique<CQuibBg>();
    if (page->SaveAs(id, m_editorFile, type) != RES_OK) {
        MessageBoxById(kStrCannotStorePage, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       GetResFilePath(m_editorFile));
        return;
    }
    m_newPage = std::move(page);
    SelectBackground(m_newPage.get());
    m_view->SetChanged(false);
}

void CQuibBg_Frame::RevertBackground()
{
    if (!m_current)
        return;
    if (m_newPage && m_current == m_newPage.get()) {
        CQuibBg::Remove(m_current, false);
        releaseDyingPage();
        SelectBackground(nullptr);
        return;
    }
    m_view->SetChanged(false);
    m_view->Sheet().ResetPages();
    m_current->Load();
    m_view->RefreshSheet();
    if (CPane* pane = CPane::FindPaneShowingPage(m_current)) {
        pane->UpdateLayout(true);
        pane->Invalidate();
    }
}

void CQuibBg_Frame::EditOwnCopy()
{
    CQuibBg* own = nullptr;
    if (m_current)
        own = static_cast<CQuibBg*>(
            theBgIndex.Find(m_editorFile, m_primaryLanguage & 0xFF, m_current->GetID()));
    SelectBackground(own);
}

void CQuibBg_Frame::RemoveBackground()
{
    if (!m_current || !m_editable)
        return;
    CQuibBg::Remove(m_current, true);
    releaseDyingPage();
}

void CQuibBg_Frame::SetImageScreenSize(std::uint16_t choice)
{
    m_view->Sheet().PictPage().SetScreenSize(choice);
}

bool CQuibBg_Frame::QueryClose()
{
    return SelectBackground(nullptr) && QueryCloseBackgroundEditor();
}

// ---- Following the model ------------------------------------------------------------------------------

void CQuibBg_Frame::followModel()
{
    connect(&thePageEvents, &CPageEvents::pageCommitted, this,
            [this](CQuibBg* page) { onPageCommitted(page); });
    connect(&thePageEvents, &CPageEvents::pageAboutToBeRemoved, this,
            [this](CQuibBg* page) { onPageAboutToBeRemoved(page); });
    connect(&thePageEvents, &CPageEvents::pageReplaced, this,
            [this](CQuibBg* old, CQuibBg* replacement) { onPageReplaced(old, replacement); });
}

void CQuibBg_Frame::onPageCommitted(CQuibBg* page)
{
    if (!page || page != m_current)
        return;
    m_view->SetChanged(true);
    m_view->RefreshSheet();
}

void CQuibBg_Frame::forgetCurrent()
{
    m_view->Sheet().PictPage().ForgetBackground();
    m_current = nullptr;
    m_paneShowing = nullptr;
    m_editable = false;
}

void CQuibBg_Frame::onPageAboutToBeRemoved(CQuibBg* page)
{
    if (!page)
        return;
    if (page == m_pendingSelection)
        m_pendingSelection = nullptr;
    m_tree->RemoveBackgroundItem(page);
    if (page == m_current) {
        m_view->SetChanged(false);
        forgetCurrent();
        m_tree->SelectItemOf(nullptr);
        m_view->RefreshSheet();
    }
    // The model still uses the page until Remove returns; it is freed after that.
    if (m_newPage && page == m_newPage.get())
        m_dyingPage = std::move(m_newPage);
}

void CQuibBg_Frame::onPageReplaced(CQuibBg* old, CQuibBg* replacement)
{
    if (!old)
        return;
    if (old == m_pendingSelection)
        m_pendingSelection = replacement;
    // The old page may be deleted once the index has dropped it: its item goes at once, and the tree
    // is listed again when the model is done (pages that live on come back then).
    if (m_tree->FindItem(old)) {
        m_tree->RemoveBackgroundItem(old);
        m_treeStale = true;
        QTimer::singleShot(0, this, [this] {
            if (m_treeStale)
                listPages();
        });
    }
    if (old != m_current)
        return;
    forgetCurrent();
    if (replacement) {
        // A save wrote a copy into the editor's file (or the output file): the editor goes on with it.
        m_current = replacement;
        m_editable = decideEditable(replacement);
    }
}
