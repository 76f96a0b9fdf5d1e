#pragma once
// The output-file commands 5051 to 5075 of the main window and the editors: their actions, their
// enabling rules and the Translate popup with the window title's suffix. The dispatcher offers every
// command it does not know to theOutputFileCommandHook, where WireAdmin installs
// RouteOutputFileCommand.

#include "platform/types/WinTypes.h"
#include "platform/ui/CommandRoute.h"

#include <QPointer>

class QMenu;

// The Translate popup of the main menu, as the last build made it; null once the bar is gone.
extern QPointer<QMenu> theTranslateMenu;

// Runs command `id` (code kExecuteCommand) or gives its state (kUpdateCommand); acts only for
// 5050 < id < 5075 and answers whether it handled the id.
bool OnOutputFileCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

// "Transfer background..." (5622) on the main pane's page: the page editor's command, offered in the
// Translate popup until that editor offers it itself.
bool OnTransferPageCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

// What the dispatcher reaches through theOutputFileCommandHook: the two above.
bool RouteOutputFileCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

// Builds the Translate popup anew at the end of the main menu and, while an output file is open,
// appends " ( Translate : <language> ) " to the window title. The menu builder calls it through
// theBuildTranslateMenuHook after the page popup.
void BuildTranslatePopup();

void ResetOutputFileCommands();
