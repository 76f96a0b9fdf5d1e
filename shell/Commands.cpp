#include "shell/Commands.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "core/WordEditorHooks.h"
#include "panes/Pane.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "platform/ui/Ui.h"
#include "shell/Clipboard.h"
#include "shell/CurrentUser.h"
#include "shell/EditTool.h"
#include "shell/Help.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/Reload.h"
#include "shell/Splash.h"
#include "shell/WordNavBar.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <array>
#include <set>

using lumivo::ui::CommandUpdate;

namespace
{

constexpr int kAskSaveOutputFile = 9001;
// Printing the active sentence: the print view's flags for the sentence with its icons.
constexpr std::uint32_t kPrintSentenceFlags = 0x5000208;
// RefreshVisiblePanes: every visible pane repaints (kRefreshLayoutFirst: after a layout).
constexpr unsigned kRefreshRepaint = 0x10;
constexpr std::uint16_t kEditOptionShowGrid = 0x200;
constexpr std::uint16_t kEditOptionCropAtImport = 0x1000;
constexpr std::uint16_t kKnownProgramModeBits = kProgramModeDeveloper1 | kProgramModeReducedEdit |
                                                kProgramModeDeveloper | kProgramModeEdit |
                                                kProgramModeStarted | kProgramModeShuttingDown;
constexpr UINT kPageMenuFirst = 6001;
constexpr UINT kPageMenuLast = 6999;
constexpr UINT kPageMenuBeep = 6002;

// --- The states the table reads -------------------------------------------------------------------

bool editMode()
{
    return (theProgramMode & kProgramModeEdit) != 0;
}

bool wordEditorClosed()
{
    return !IsWordEditorOpen();
}

// A current user whose settings live in a file (a user held only in memory has none to save).
bool boundUserAndNoWordEditor()
{
    return theCurrentUser && theCurrentUser->GetFile() > 0 && wordEditorClosed();
}

// The editors of words and pages change the data that an open output file translates.
bool freeToEdit()
{
    return theOutputFile == 0 && theCurrentUser && wordEditorClosed();
}

CQuibBg* pageOfSelectedIcon()
{
    if (theSelectedIcons.size() != 1)
        return nullptr;
    const CPane* pane = CPane::FindPaneOfIcon(theSelectedIcons.front());
    return pane ? pane->GetPage() : nullptr;
}

bool moveSelectedIcon(IconOrderMove move, bool testOnly)
{
    CQuibBg* page = pageOfSelectedIcon();
    return page && MoveIconInOrder(page, theSelectedIcons, move, testOnly);
}

bool editablePane(const CPane& pane)
{
    return (pane.PaneFlags & kPaneFlagEditable) && !(pane.PaneFlags & kPaneFlagLocked);
}

// --- Actions ---------------------------------------------------------------------------------------

// The output file's save question at quit; false keeps the program running: Cancel, or a save that
// failed, which the person is told as when the file is closed.
bool confirmOutputFileAtQuit()
{
    if (theOutputFile <= 0 || !IsResFileDirty(theOutputFile))
        return true;
    const int answer =
        MessageBoxById(kAskSaveOutputFile, lumivo::ui::MB_YESNOCANCEL | lumivo::ui::MB_ICONQUESTION);
    if (answer == lumivo::ui::IDYES) {
        const int error = SaveChangedOutputFile();
        if (error == RES_OK)
            return true;
        WriteDebugLog(QStringLiteral("Output file not saved at quit: %1").arg(error));
        MessageBoxById(kMsgOutputFileNotSaved, lumivo::ui::MB_ICONEXCLAMATION, GetResFilePath(theOutputFile));
        return false;
    }
    if (answer == lumivo::ui::IDNO) {
        // The changes are given up: closing the file at exit then writes nothing and asks nothing.
        SetResFileDirty(theOutputFile, false);
        return true;
    }
    return false;
}

void requestQuit()
{
    if (ConfirmQuit())
        theQuitApplicationHook();
}

void toggleEditOption(std::uint16_t option, unsigned refresh)
{
    theEditOptions ^= option;
    if (refresh)
        CPane::RefreshVisiblePanes(refresh);
}

void choosePrintMode(int mode)
{
    if (!theCurrentUser || theCurrentUser->PrintMode == mode)
        return;
    theCurrentUser->PrintMode = mode;
    theCurrentUser->Commit();
}

// --- The table -------------------------------------------------------------------------------------

// One command: what it runs, when it is offered, when it shows checked (none: never a check mark).
struct CommandRow {
    UINT id;
    void (*execute)(UINT id);
    bool (*enabled)();
    bool (*checked)(UINT id) = nullptr;
};

bool always()
{
    return true;
}
bool never()
{
    return false;
}

// The tools' commands; the round rectangle and the polygon are listed but never offered.
struct ToolCommand {
    UINT id;
    int tool;
    bool (*enabled)();
};
constexpr std::array<ToolCommand, 9> kToolCommands{{{5104, kEditToolBrowse, always},
                                                    {5105, kEditToolSelect, editMode},
                                                    {5106, 3, editMode},
                                                    {5107, 4, editMode},
                                                    {5108, 5, never},
                                                    {5109, 6, editMode},
                                                    {5110, 8, never},
                                                    {5121, 7, editMode},
                                                    {5122, kEditToolIconWizard, editMode}}};

int toolOf(UINT id)
{
    const auto* row = std::find_if(kToolCommands.begin(), kToolCommands.end(),
                                   [id](const ToolCommand& command) { return command.id == id; });
    return row->tool;
}

struct OptionCommand {
    UINT id;
    std::uint16_t option;
    unsigned refresh;
};
constexpr std::array<OptionCommand, 6> kOptionCommands{{{5111, kEditOptionSnapToGrid, 0},
                                                        {5112, kEditOptionShowGrid, kRefreshRepaint},
                                                        {5119, kEditOptionShowPictures, kRefreshLayoutFirst},
                                                        {5120, kEditOptionShowNames, kRefreshRepaint},
                                                        {5124, kEditOptionCropAtImport, 0},
                                                        {5125, kEditOptionLargeHandles, 0}}};

const OptionCommand& optionOf(UINT id)
{
    return *std::find_if(kOptionCommands.begin(), kOptionCommands.end(),
                         [id](const OptionCommand& command) { return command.id == id; });
}

void executeTool(UINT id)
{
    SetEditTool(toolOf(id));
}
bool toolChecked(UINT id)
{
    return theEditTool == toolOf(id);
}
void executeOption(UINT id)
{
    const OptionCommand& command = optionOf(id);
    toggleEditOption(command.option, command.refresh);
}
bool optionChecked(UINT id)
{
    return (theEditOptions & optionOf(id).option) != 0;
}
void executePrintMode(UINT id)
{
    choosePrintMode(static_cast<int>(id));
}
bool printModeChecked(UINT id)
{
    return theCurrentUser && theCurrentUser->PrintMode == static_cast<std::int32_t>(id);
}

const std::vector<CommandRow>& commandTable()
{
    static const std::vector<CommandRow> table = [] {
        std::vector<CommandRow> rows{
            {5011, [](UINT) { SaveUserAs(); }, wordEditorClosed},
            {5012, [](UINT) { theChooseUserHook(); }, wordEditorClosed},
            {kExitCommand, [](UINT) { requestQuit(); }, always},
            {5014, [](UINT) { theEditUserSettingsHook(); }, boundUserAndNoWordEditor},
            {kEditModeCommand, [](UINT) { SetProgramMode(kProgramModeEdit, !editMode()); }, wordEditorClosed,
             [](UINT) { return editMode(); }},
            {5018, [](UINT) { theEditSystemSettingsHook(); }, wordEditorClosed},
            {5019, [](UINT) { ArchiveUserAsProfile(); }, boundUserAndNoWordEditor},
            {5020, [](UINT) { ArchiveUserAsStandardProfile(); }, boundUserAndNoWordEditor},
            {5021, [](UINT) { ShowPageSetup(); }, always},
            {5022, [](UINT) { PrintWithFlags(kPrintSentenceFlags); }, always},
            {5023, [](UINT) { PreviewWithFlags(kPrintSentenceFlags); }, always},
            {5027, [](UINT) { theEditPrintSettingsHook(); }, always},
            {5033, [](UINT) { theExportPagePackageHook(); }, always},
            {5034, [](UINT) { theImportPagePackageHook(); }, always},
            {5035, [](UINT) { SaveCurrentUserAndReport(); }, always},
            {5102,
             [](UINT) {
                 if (editMode())
                     theOpenWordEditorHook();
             },
             freeToEdit},
            {5103, [](UINT) { EditSelectedIcon(false); }, [] { return EditSelectedIcon(true); }},
            {5113, [](UINT) { moveSelectedIcon(IconOrderMove::ToFront, false); },
             [] { return editMode() && moveSelectedIcon(IconOrderMove::ToFront, true); }},
            {5114, [](UINT) { moveSelectedIcon(IconOrderMove::Forward, false); },
             [] { return editMode() && moveSelectedIcon(IconOrderMove::Forward, true); }},
            {5115, [](UINT) { moveSelectedIcon(IconOrderMove::Backward, false); },
             [] { return editMode() && moveSelectedIcon(IconOrderMove::Backward, true); }},
            {5116, [](UINT) { moveSelectedIcon(IconOrderMove::ToBack, false); },
             [] { return editMode() && moveSelectedIcon(IconOrderMove::ToBack, true); }},
            {5117,
             [](UINT) {
                 if (editMode())
                     theOpenBackgroundEditorHook();
             },
             freeToEdit},
            {5118, [](UINT) { theEditUserLevelsHook(); },
             [] { return theOutputFile == 0 && theCurrentUser && !theBackgroundEditorIsOpenHook(); }},
            {5123, [](UINT) { EditPageAttributes(false, nullptr); },
             [] { return EditPageAttributes(true, nullptr); }},
            // "Go to a named page" runs nothing; the page popup is built by the menu builder.
            {5131, [](UINT) {}, always},
            {5158, [](UINT) { SaveCurrentUserAndReport(); }, always},
            {5202, [](UINT) { ShowSplash(0, QString(), MainFrame()); }, always},
            {5203, [](UINT) { HtmlHelp(HH_DISPLAY_TOC); }, [] { return !theHelpFile.isEmpty(); }},
            {5204, [](UINT) { HtmlHelp(HH_DISPLAY_INDEX); }, [] { return !theHelpFile.isEmpty(); }},
            {5205, [](UINT) { HtmlHelp(HH_DISPLAY_SEARCH); }, [] { return !theHelpFile.isEmpty(); }},
            {ID_EDIT_COPY, [](UINT) { CopyToClipboard(); }, CanCopy},
            {ID_EDIT_CUT, [](UINT) { CutToClipboard(); }, CanCut},
            {ID_EDIT_PASTE, [](UINT) { PasteFromClipboard(); }, CanPaste},
        };
        for (const ToolCommand& command : kToolCommands)
            rows.push_back({command.id, executeTool, command.enabled, toolChecked});
        for (const OptionCommand& command : kOptionCommands)
            rows.push_back({command.id, executeOption, always, optionChecked});
        for (const UINT mode : {5026u, 5028u, 5029u, 5030u, 5031u, 5032u})
            rows.push_back({mode, executePrintMode, always, printModeChecked});
        return rows;
    }();
    return table;
}

const CommandRow* findCommand(UINT id)
{
    const std::vector<CommandRow>& table = commandTable();
    const auto row =
        std::find_if(table.begin(), table.end(), [id](const CommandRow& r) { return r.id == id; });
    return row == table.end() ? nullptr : &*row;
}

bool handleByTable(UINT id, int code, CommandUpdate* update)
{
    // Quitting through the framework's own id runs here; its state is the framework's.
    if (id == ID_APP_EXIT) {
        if (code != lumivo::ui::kExecuteCommand)
            return false;
        requestQuit();
        return true;
    }
    const CommandRow* row = findCommand(id);
    if (!row)
        return false;
    if (code == lumivo::ui::kExecuteCommand) {
        row->execute(id);
        return true;
    }
    if (code != lumivo::ui::kUpdateCommand || !update)
        return false;
    update->enable(row->enabled());
    if (row->checked)
        update->setCheck(row->checked(id));
    return true;
}

// --- The page menu ---------------------------------------------------------------------------------

CSortedStringArray& pageNames()
{
    return theBgIndex.Names();
}

// The page of the list's entry, when the entry still exists.
CQuibBg* pageAtEntry(int index)
{
    if (index < 0 || index >= std::min(pageNames().GetSize(), kPageMenuEntries))
        return nullptr;
    return dynamic_cast<CQuibBg*>(static_cast<CMyRes*>(pageNames().GetItemData(index)));
}

int entryOfCommand(UINT id)
{
    return static_cast<int>(id) - static_cast<int>(kFirstPageMenuCommand);
}

// A letter of the page popup: its submenu starts again from the placeholder, and the letter is offered
// only when some page name begins with it.
void updateLetterItem(QAction& letter, QMenu& submenu)
{
    const QString text = letter.text();
    submenu.clear();
    submenu.addAction(text.toLower())->setData(lumivo::kPageSubmenuPlaceholderCommand);
    letter.setEnabled(!text.isEmpty() && pageNames().FindPrefix(text) >= 0);
}

} // namespace

lumivo::Hook<void()> theQuitApplicationHook([] { QCoreApplication::quit(); });
lumivo::Hook<bool(const QUrl&)> theOpenHelpPageHook([](const QUrl& page) {
    return QDesktopServices::openUrl(page);
});
lumivo::Hook<void()> theChooseUserHook([] {});
lumivo::Hook<void()> theEditUserSettingsHook([] {});
lumivo::Hook<void()> theEditSystemSettingsHook([] {});
lumivo::Hook<void()> theEditPrintSettingsHook([] {});
lumivo::Hook<void()> theEditUserLevelsHook([] {});
lumivo::Hook<void()> theExportPagePackageHook([] {});
lumivo::Hook<void()> theImportPagePackageHook([] {});
lumivo::Hook<void()> theOpenWordEditorHook([] {});
lumivo::Hook<void()> theOpenBackgroundEditorHook([] {});
lumivo::Hook<bool()> theBackgroundEditorIsOpenHook([] { return false; });
lumivo::Hook<void(CQuibBg*)> theEditBackgroundHook([](CQuibBg*) {});
lumivo::Hook<void()> theOpenBackgroundEditorForTranslationHook([] {});
lumivo::Hook<void()> theOpenWordEditorForTranslationHook([] {});
lumivo::Hook<void(CQuibBg*)> theTransferBackgroundAssetsHook([](CQuibBg*) {});
lumivo::Hook<bool(bool)> theQueryCloseBackgroundEditorHook([](bool) { return true; });
lumivo::Hook<bool(bool)> theQueryCloseWordEditorHook([](bool) { return true; });
lumivo::Hook<void(int, int, int)> theUpdateWordEditorHook([](int, int, int) {});
lumivo::Hook<void(CQuibIcon*, int, CPane*, int, int)> theRunIconWizardHook([](CQuibIcon*, int, CPane*, int,
                                                                              int) {});
lumivo::Hook<void(CQuibBg*, int, CPane*)> theRunPageWizardHook([](CQuibBg*, int, CPane*) {});
lumivo::Hook<bool(UINT, int, CommandUpdate*)> theOutputFileCommandHook([](UINT, int, CommandUpdate*) {
    return false;
});
lumivo::Hook<bool(UINT, int, CommandUpdate*)> theTestCommandHook([](UINT, int, CommandUpdate*) {
    return false;
});

namespace
{

// The application's stop until the application sets its own: the dispatcher alone.
class DispatcherTarget : public lumivo::ui::CommandTarget
{
public:
    bool OnCommand(int id, int code, CommandUpdate* update) override
    {
        return DispatchSystemCommand(static_cast<UINT>(id), code, update);
    }
};

DispatcherTarget theDispatcherTarget;

lumivo::ui::CommandRoute routeThroughDispatcher()
{
    lumivo::ui::CommandRoute route;
    route.setTarget(lumivo::ui::CommandRoute::Application, &theDispatcherTarget);
    return route;
}

} // namespace

lumivo::ui::CommandRoute theCommandRoute = routeThroughDispatcher();

bool DispatchSystemCommand(UINT id, int code, CommandUpdate* update)
{
    bool handled = handleByTable(id, code, update);
    if (!handled)
        handled = OnWordNavCommand(id, code, update);
    if (!handled)
        handled = theOutputFileCommandHook(id, code, update);
    if (!handled)
        handled = theTestCommandHook(id, code, update);
    if (!handled && id >= kPageMenuFirst && id <= kPageMenuLast)
        handled = OnPageMenuCommand(id, code, update);
    return handled;
}

bool SetProgramMode(std::uint16_t bit, bool on)
{
    if (bit == 0 || (bit & ~kKnownProgramModeBits))
        return false;
    // The word editor may hold a word that edit mode's end would leave half changed.
    const bool mayChange = bit != kProgramModeEdit || theQueryCloseWordEditorHook(true);
    const std::uint16_t before = theProgramMode;
    if (mayChange)
        theProgramMode = on ? (theProgramMode | bit) : (theProgramMode & ~bit);
    // Which panes may be edited follows the edit bits: the layout step sets it.
    if (theProgramMode != before)
        InitializeSystem(kReloadScreen);
    theUpdateWordEditorHook(0, 1, 1);
    CreateMenus();
    SetEditTool(kEditToolBrowse);
    // Outside edit mode only the browse tool makes sense; ask again in case a pane refused just now.
    if (!editMode())
        SetEditTool(kEditToolBrowse);
    return true;
}

bool EditSelectedIcon(bool testOnly)
{
    if (!theCurrentUser || !wordEditorClosed() || theSelectedIcons.size() != 1)
        return false;
    CQuibIcon* icon = theSelectedIcons.front();
    CPane* pane = CPane::FindPaneOfIcon(icon);
    if (!pane || !editablePane(*pane))
        return false;
    if (testOnly)
        return true;
    theRunIconWizardHook(icon, icon ? 2 : 1, pane, 0, 0);
    return false;
}

bool EditPageAttributes(bool testOnly, CPane* pane)
{
    CPane* target = pane && pane != &theMainPane && editablePane(*pane) ? pane : &theMainPane;
    if (!theCurrentUser || theOutputFile != 0 || !wordEditorClosed() || !editablePane(*target))
        return false;
    if (testOnly)
        return true;
    CQuibBg* page = target->GetPage();
    theRunPageWizardHook(page, page ? 2 : 1, target);
    return true;
}

bool OnPageMenuCommand(UINT id, int code, CommandUpdate* update)
{
    if (id <= kPageMenuFirst || id > kPageMenuLast)
        return false;
    if (code == lumivo::ui::kExecuteCommand) {
        if (id == kPageMenuBeep) {
            QApplication::beep();
            return true;
        }
        if (id < kFirstPageMenuCommand)
            return false;
        // The list may have changed since the menu showed: an entry that is gone does nothing.
        if (CQuibBg* page = pageAtEntry(entryOfCommand(id)))
            theMainPane.LoadPage(page->GetID());
        return true;
    }
    if (code != lumivo::ui::kUpdateCommand || !update)
        return false;
    if (QMenu* submenu = update->submenu())
        updateLetterItem(*update->item(), *submenu);
    else
        update->enable(pageAtEntry(entryOfCommand(id)) != nullptr);
    return true;
}

void FillPageSubmenu(QMenu& submenu)
{
    const QList<QAction*> items = submenu.actions();
    if (items.isEmpty() || lumivo::ui::commandIdOf(*items.first()) != lumivo::kPageSubmenuPlaceholderCommand)
        return;
    const QString letter = submenu.title().toLower();
    std::set<std::int32_t> listed;
    QList<QAction*> pages;
    for (int entry = pageNames().FindPrefix(letter); entry >= 0 && entry < kPageMenuEntries;
         entry = pageNames().FindPrefix(letter, entry + 1)) {
        CQuibBg* page = pageAtEntry(entry);
        if (!page || GetResTypeLanguage(page->GetType()) != theCurrentLanguage || page->GetID() == 0 ||
            !listed.insert(page->GetID()).second)
            continue;
        auto* item = new QAction(pageNames().GetString(entry), &submenu);
        item->setData(static_cast<int>(kFirstPageMenuCommand) + entry);
        pages << item;
    }
    // Without a page the placeholder stays, greyed, so that the submenu never opens empty.
    if (pages.isEmpty())
        return;
    submenu.clear();
    submenu.addActions(pages);
}

bool ConfirmQuit()
{
    // The page editor's unsaved page first: its save question may still change the output file.
    if (!theQueryCloseBackgroundEditorHook(true))
        return false;
    // The word editor's unsaved word likewise.
    if (!theQueryCloseWordEditorHook(true))
        return false;
    // The pages changed in the panes go to their records now, so that the saves below write them.
    StoreChangedPagesOfPanes();
    if (!confirmOutputFileAtQuit())
        return false;
    // Saved before anything closes: a file that cannot be saved keeps the program open with its work.
    return SaveCurrentUserBeforeExit();
}

void SaveForUnattendedQuit()
{
    const auto unsaved = [](const QString& what) {
        WriteDebugLogAndStderr(QStringLiteral("Ending with nobody to answer: %1").arg(what));
    };
    // The editors first, as at the exit command: their page and word go into the output or user file.
    if (!theQueryCloseBackgroundEditorHook(false))
        unsaved(QStringLiteral("the page editor's changes were not saved"));
    if (!theQueryCloseWordEditorHook(false))
        unsaved(QStringLiteral("the word editor's changes were not saved"));
    if (!StoreChangedPagesOfPanes())
        unsaved(QStringLiteral("a page changed in a pane was not stored"));
    const int outputFile = theOutputFile;
    if (const int error = SaveChangedOutputFile(); error != RES_OK)
        unsaved(QStringLiteral("the output file %1 was not saved (error %2)")
                    .arg(GetResFilePath(outputFile))
                    .arg(error));
    // A user the person was told at start will not be kept is no news.
    if (const int error = SaveCurrentUser(); error != RES_OK && CurrentUserCanBeSaved())
        unsaved(QStringLiteral("the user file %1 was not saved (error %2)")
                    .arg(GetResFilePath(theCurrentUser->GetFile()))
                    .arg(error));
}

void RouteMainFrameCommands()
{
    if (theMainMenu)
        lumivo::ui::routeMenuBarCommands(*theMainMenu, theCommandRoute);
    if (CMainFrame* frame = MainFrame())
        lumivo::ui::routeToolBarCommands(*frame->ToolBar(), theCommandRoute);
}

void UpdateToolBarCommands()
{
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    lumivo::ui::updateCommandItems(frame->ToolBar()->actions(), theCommandRoute);
    if (QToolBar* wordNavBar = frame->WordNavBar())
        lumivo::ui::updateCommandItems(wordNavBar->actions(), theCommandRoute);
}

void ResetCommands()
{
    theCommandRoute = routeThroughDispatcher();
    for (auto* hook :
         {&theChooseUserHook, &theEditUserSettingsHook, &theEditSystemSettingsHook, &theEditPrintSettingsHook,
          &theEditUserLevelsHook, &theExportPagePackageHook, &theImportPagePackageHook,
          &theOpenWordEditorHook, &theOpenBackgroundEditorHook, &theQuitApplicationHook})
        hook->reset();
    theBackgroundEditorIsOpenHook.reset();
    theOpenHelpPageHook.reset();
    theQueryCloseWordEditorHook.reset();
    theUpdateWordEditorHook.reset();
    theRunIconWizardHook.reset();
    theRunPageWizardHook.reset();
    theEditBackgroundHook.reset();
    theOpenBackgroundEditorForTranslationHook.reset();
    theOpenWordEditorForTranslationHook.reset();
    theTransferBackgroundAssetsHook.reset();
    theQueryCloseBackgroundEditorHook.reset();
    theOutputFileCommandHook.reset();
    theTestCommandHook.reset();
}
