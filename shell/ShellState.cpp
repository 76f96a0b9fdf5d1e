#include "shell/ShellState.h"

#include "shell/Commands.h"
#include "shell/EditTool.h"
#include "shell/Menus.h"
#include "shell/Splash.h"

void ResetShellState()
{
    ResetSplash();
    ResetMenus();
    ResetCommands();
    ResetEditTool();
}
