#include "shell/ShellState.h"

#include "shell/Splash.h"

void ResetShellState()
{
    ResetSplash();
}
