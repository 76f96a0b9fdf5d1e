#pragma once
// The developer's test menu ("Programmør"), appended to the main menu bar after the other menus: the
// resource editor, the word-usage and missing-sound reports, the panes' information labels and fixed
// window sizes for checking page layouts. Its commands reach OnTestCommand, the command dispatcher's
// last handler.

#include "platform/types/WinTypes.h"

#include <QMenu>
#include <QPointer>

namespace lumivo::ui
{
class CommandUpdate;
}

// The test menu of the last menu build; the menu bar owns it.
extern QPointer<QMenu> theTestMenu;

// Makes the test menu anew and appends it to the main menu bar (nothing without one).
void AppendTestMenu();

// Handles the test menu's commands (5151 to 5174): runs one (code 0) or gives its state (code -1):
// every item enabled, "Show pane info" ticked while the panes show their labels. False for other ids
// and for ids of that range the menu has no item for.
bool OnTestCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

// Puts the main window at (-4, -4) with room for a screen of width x height, and lays out and redraws
// the panes for it. Nothing without a main window.
void SetTestWindowSize(int width, int height);

// Forgets the test menu (tests).
void ResetTestMenu();
