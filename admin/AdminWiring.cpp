#include "admin/AdminWiring.h"

#include "admin/ChooseUserDlg.h"
#include "admin/OutputFileCommands.h"
#include "admin/OutputFileLife.h"
#include "admin/SystemSettingsSheet.h"
#include "admin/UserLevelDlgs.h"
#include "admin/UserSettingsDlg.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/Menus.h"
#include "system/OutputFile.h"

namespace
{

void wireOutputFileCommands()
{
    theOutputFileCommandHook.set(RouteOutputFileCommand);
    theBuildTranslateMenuHook.set(BuildTranslatePopup);
    theCloseOutputFileHook.set(CloseOutputFileAsking);
}

void unwireOutputFileCommands()
{
    theOutputFileCommandHook.reset();
    theBuildTranslateMenuHook.reset();
    theCloseOutputFileHook.reset();
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
    wireOutputFileCommands();
    wireUserDialogs();
    wireSystemSettings();
}

void UnwireAdmin()
{
    unwireSystemSettings();
    unwireUserDialogs();
    unwireOutputFileCommands();
}
