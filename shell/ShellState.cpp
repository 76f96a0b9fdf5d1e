#include "shell/ShellState.h"

#include "shell/Commands.h"
#include "shell/EditTool.h"
#include "shell/Menus.h"
#include "shell/Reload.h"
#include "shell/ScreenLayout.h"
#include "shell/Splash.h"

void ResetShellState()
{
    ResetReload();
    ResetSplash();
    ResetMenus();
    ResetScreenLayout();
    ResetCommands();
    ResetEditTool();
}
