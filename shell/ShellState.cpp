#include "shell/ShellState.h"

#include "shell/Menus.h"

void ResetShellState()
{
    ResetMenus();
}
