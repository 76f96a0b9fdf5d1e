#include "shell/ShellState.h"

#include "shell/Clipboard.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/EditTool.h"
#include "shell/ImageButton.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/QtTexts.h"
#include "shell/Reload.h"
#include "shell/ScreenLayout.h"
#include "shell/Splash.h"

void ResetShellState()
{
    ResetClipboard();
    ResetReload();
    ResetSplash();
    ResetMenus();
    ResetScreenLayout();
    ResetCommands();
    ResetEditTool();
    ResetImageButtonHooks();
    ResetMainFrame();
    ResetQtTexts();
    ResetCurrentUser();
}
