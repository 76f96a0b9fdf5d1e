#include "shell/ShellState.h"

#include "shell/Help.h"
#include "shell/Menus.h"
#include "shell/Splash.h"

void ResetShellState()
{
    ResetSplash();
    ResetMenus();
    ResetHelp();
}
