#pragma once
// The menu bar of the main window. It has no menu resource: CreateMenus builds it from system strings in
// the current language whenever the reload sequence or a change of edit mode asks, sets the window's
// title and hides the toolbar buttons of the edit tools the menu does not offer. Every QAction carries
// its command id in QAction::data() (an int), by which the commands are routed and the toolbar buttons
// found.

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <QPointer>
#include <QString>

#include <array>

class QAction;
class QMenu;
class QMenuBar;

// The menu bar and its popups, as the last CreateMenus built them. The main frame owns the menu bar and
// the bar owns its popups; these refer to them and become null when they are destroyed.
extern QPointer<QMenuBar> theMainMenu;
extern QPointer<QMenu> theFilePopup;
extern QPointer<QMenu> theEditPopup; // null without an edit bit in theProgramMode
extern QPointer<QMenu> thePagePopup;
extern QPointer<QMenu> theHelpPopup;

// Builds the menu bar anew, sets the main window's title and shows or hides the edit-tool buttons of
// the toolbar. Each letter submenu of the page popup holds a placeholder until it opens, when
// FillPageSubmenu (shell/Commands.h) fills it. Does nothing without a main frame.
void CreateMenus();
// Destroys the menu bar and its popups (at exit).
void DestroyMenus();

// The output-file and translation popup, appended to theMainMenu after the page popup; it may append
// the output file's details to the window title. By default there is none.
extern lumivo::Hook<void()> theBuildTranslateMenuHook;
// The developer's test submenu, appended after the output-file popup. By default there is none.
extern lumivo::Hook<void()> theBuildTestMenuHook;
// The calls by their own names, through the hooks above.
void BuildTranslateMenu();
void BuildTestMenu();

// Destroys the menus and puts the hooks back (tests).
void ResetMenus();

namespace lumivo
{

// The commands of the edit tools, whose toolbar buttons are shown only when the edit popup has them.
constexpr std::array<int, 9> kEditToolCommands{5104, 5105, 5106, 5107, 5108, 5109, 5121, 5110, 5122};
// The item each letter submenu of the page popup holds until it is filled.
constexpr int kPageSubmenuPlaceholderCommand = 6100;

// The main window's title for the program version (packed as GetProgramVersion gives it).
QString windowTitle(const QString& appName, DWORD version);
// Appends the item of system string `textId` with `commandId` in its data and the command's prompt as
// its status tip. A text that no table holds shows as "???".
QAction* addCommandItem(QMenu& menu, int textId, int commandId);
// The item of `menu` (submenus included) with that command id, or none.
QAction* findCommandItem(const QMenu& menu, int commandId);

} // namespace lumivo
