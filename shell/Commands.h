#pragma once
// The program's one command table. Every menu item, toolbar button and key of the main window ends in
// DispatchSystemCommand, which runs the command or gives its state (enabled, checked) for an update
// pass; what it does not know it hands on to the output-file commands, the developer's test commands
// and then the page menu. Printing and the clipboard are called directly. Commands that open tools of
// the layers above the shell (settings sheets, editors, wizards, packages) call hooks here, which
// those layers' wire functions install; by default they do nothing, while the menu states still follow
// the rules of the table. Quitting and the help viewer are hooks too, so that tests answer them.

#include "panes/PaneInput.h"
#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"
#include "platform/ui/CommandRoute.h"

#include <cstdint>

class CPane;
class CQuibBg;
class CQuibIcon;
class QMenu;
class QUrl;

// Command ids of the clipboard and of quitting, as the keys and the framework's menus give them.
// The panes name the clipboard commands too (panes/PaneInput.h); one number each.
constexpr UINT ID_EDIT_COPY = kCommandCopy;
constexpr UINT ID_EDIT_CUT = kCommandCut;
constexpr UINT ID_EDIT_PASTE = kCommandPaste;
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT kExitCommand = 5013;
constexpr UINT kEditModeCommand = 5016;

// Runs the command (code lumivo::ui::kExecuteCommand) or fills `update` with its state
// (lumivo::ui::kUpdateCommand). True when the command was handled here or further on; a handled
// command counts as handled whatever the operation it called gave.
bool DispatchSystemCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

// Sets or clears a bit of theProgramMode. Edit mode changes only when the word editor lets go of its
// word; whatever happened, the menus are built anew and the browse tool is chosen. False for a bit the
// program does not use.
bool SetProgramMode(std::uint16_t bit, bool on);

// Whether the selected icon can be edited (`testOnly`), or runs the icon wizard on it (then false).
bool EditSelectedIcon(bool testOnly);
// Whether the page of `pane` (or of the main pane) can be edited (`testOnly`), or runs the page wizard.
bool EditPageAttributes(bool testOnly, CPane* pane);

// The page menu's commands: an entry of the page-name list (6101 and on) shows that page in the main
// pane; the update of a letter submenu's item greys the letter without a page. The entry is looked up
// in the list as it is when the command comes, which may have changed since the menu showed.
bool OnPageMenuCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);
// Fills a letter submenu of the page popup with the names of the pages in the current language that
// begin with its letter, each once, while it still holds the placeholder item.
void FillPageSubmenu(QMenu& submenu);
// Entry `index` (0-based) of the page-name list is command kFirstPageMenuCommand + index; only the first
// kPageMenuEntries entries have a command.
constexpr UINT kFirstPageMenuCommand = 6101;
constexpr int kPageMenuEntries = 899;

// Asks the background editor to let go of its page (theQueryCloseBackgroundEditorHook), then, when an
// output file has unsaved changes, whether to save them before the program ends: Yes
// saves (a failed save keeps the program running), No lets the changes go, Cancel keeps the program
// running. True when the program may end. The exit command asks it; so must the main frame's close.
bool ConfirmQuit();
// The end with nobody there to answer (a logout, a shutdown, Ctrl+C): saves without a question what the
// exit command saves after Yes, the editors' unsaved page and word, then the changed output file and the
// user's file. What cannot be saved is written to the trace and to standard error.
void SaveForUnattendedQuit();

// The route every command of the main window takes: client window, frame, application. The application
// stop starts as the dispatcher; the windows set their own stops while they exist.
extern lumivo::ui::CommandRoute theCommandRoute;
// Routes the current menu bar and the toolbar of the main frame through theCommandRoute (the menu
// builder calls it after each build).
void RouteMainFrameCommands();
// The idle update pass of the main frame's toolbar.
void UpdateToolBarCommands();

// Ends the program's event loop. By default the application quits.
extern lumivo::Hook<void()> theQuitApplicationHook;
// Shows a page of the help: the help file is its contents, Index.html and Search.html lie beside it. By
// default the desktop's viewer opens it. False when nothing could open it.
extern lumivo::Hook<bool(const QUrl& page)> theOpenHelpPageHook;

// The tools of the layers above the shell. Each does nothing until its layer's wire function installs it.
extern lumivo::Hook<void()> theChooseUserHook;
extern lumivo::Hook<void()> theEditUserSettingsHook;
extern lumivo::Hook<void()> theEditSystemSettingsHook;
extern lumivo::Hook<void()> theEditPrintSettingsHook;
extern lumivo::Hook<void()> theEditUserLevelsHook;
extern lumivo::Hook<void()> theExportPagePackageHook;
extern lumivo::Hook<void()> theImportPagePackageHook;
extern lumivo::Hook<void()> theOpenWordEditorHook;
extern lumivo::Hook<void()> theOpenBackgroundEditorHook;
// Whether the background editor is open (by default it is not).
extern lumivo::Hook<bool()> theBackgroundEditorIsOpenHook;
// The background editor opened on `page` (the Enter key on a pane with an editing tool): it opens as
// theOpenBackgroundEditorHook does, then makes the page current.
extern lumivo::Hook<void(CQuibBg* page)> theEditBackgroundHook;
// The background editor opened to translate into the output file (command 5064 of the output-file
// commands).
extern lumivo::Hook<void()> theOpenBackgroundEditorForTranslationHook;
// The word editor opened to translate into the output file (command 5062 of the output-file commands).
extern lumivo::Hook<void()> theOpenWordEditorForTranslationHook;
// Copies the page with its pictures, words and the words' pictures into the output file (the background
// editor's command 5622); does nothing without a page.
extern lumivo::Hook<void(CQuibBg* page)> theTransferBackgroundAssetsHook;
// Asks the open background editor to save or drop its page's changes before the program ends; false
// (Cancel) keeps the program running. Without `ask` (nobody is there to answer) the changes are saved;
// false when they could not be. True when no editor is open (by default).
extern lumivo::Hook<bool(bool ask)> theQueryCloseBackgroundEditorHook;
// Asks the open word editor to save its word before edit mode changes and before the program ends;
// true when it may (by default). Without `ask` the word is saved, as for the page editor.
extern lumivo::Hook<bool(bool ask)> theQueryCloseWordEditorHook;
extern lumivo::Hook<void(int, int, int)> theUpdateWordEditorHook;
// The icon wizard on `icon` (action 2 edits, 1 adds at x, y) in `pane`.
extern lumivo::Hook<void(CQuibIcon* icon, int action, CPane* pane, int x, int y)> theRunIconWizardHook;
// The page wizard on `page` (action 2 edits, 1 makes a new page) for `pane`.
extern lumivo::Hook<void(CQuibBg* page, int action, CPane* pane)> theRunPageWizardHook;
// The output-file and the developer's test commands, offered what the table does not hold, in this
// order; each answers whether it handled the command (by default neither does).
extern lumivo::Hook<bool(UINT id, int code, lumivo::ui::CommandUpdate* update)> theOutputFileCommandHook;
extern lumivo::Hook<bool(UINT id, int code, lumivo::ui::CommandUpdate* update)> theTestCommandHook;

// Puts the route and every hook of the commands back (tests).
void ResetCommands();
