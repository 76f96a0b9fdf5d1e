#include "admin/AdminWiring.h"

#include "admin/ChooseUserDlg.h"
#include "admin/OutputFileCommands.h"
#include "admin/OutputFileLife.h"
#include "admin/SystemSettingsSheet.h"
#include "admin/TestMenu.h"
#include "admin/TransferBgDlg.h"
#include "admin/UserLevelDlgs.h"
#include "admin/UserSettingsDlg.h"
#include "admin/UserSettingsSheet.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/Menus.h"
#include "system/OutputFile.h"

namespace
{

// The user-settings sheet behind commands 5014 and 5027.
void wireUserSettingsCommands()
{
    theEditUserSettingsHook.set(EditUserSettings);
    theEditPrintSettingsHook.set(EditPrintSettings);
}

void unwireUserSettingsCommands()
{
    theEditUserSettingsHook.reset();
    theEditPrintSettingsHook.reset();
}

// The developer's test menu and its commands, which the dispatcher offers last.
void wireTestMenu()
{
    theBuildTestMenuHook.set(AppendTestMenu);
    theTestCommandHook.set(OnTestCommand);
}

void unwireTestMenu()
{
    theBuildTestMenuHook.reset();
    theTestCommandHook.reset();
}

void wireOutputFileCommands()
{
    theOutputFileCommandHook.set(RouteOutputFileCommand);
    theBuildTranslateMenuHook.set(BuildTranslatePopup);
    theCloseOutputFileHook.set(CloseOutputFileAsking);
    theTransferBackgroundAssetsHook.set(TransferBackgroundAssets);
}

void unwireOutputFileCommands()
{
    theOutputFileCommandHook.reset();
    theBuildTranslateMenuHook.reset();
    theCloseOutputFileHook.reset();
    theTransferBackgroundAssetsHook.reset();
}

void wireUserDialogs()
{
    theChooseUserHook.set(ChooseUser);
    theUserPropertiesEditorHook.set(EditNewUserProperties);
    theEditUserLevelsHook.set(EditUserLevels);
}

void unwireUserDialogs()
{
    theChooseUserHook.reset();
    theUserPropertiesEditorHook.reset();
    theEditUserLevelsHook.reset();
}

void wireSystemSettings()
{
    theEditSystemSettingsHook.set(EditSystemSettings);
}

void unwireSystemSettings()
{
    theEditSystemSettingsHook.reset();
}

} // namespace

void WireAdmin()
{
    // The user and settings sheets, the output-file and test commands, the translate and test menus
    // and the output file's close step go into their hooks here, one helper per tool.
    wireUserSettingsCommands();
    wireTestMenu();
    wireOutputFileCommands();
    wireUserDialogs();
    wireSystemSettings();
}

void UnwireAdmin()
{
    // Puts back the hooks WireAdmin installed.
    unwireUserSettingsCommands();
    unwireTestMenu();
    unwireSystemSettings();
    unwireUserDialogs();
    unwireOutputFileCommands();
}
