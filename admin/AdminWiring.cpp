#include "admin/AdminWiring.h"

#include "admin/TestMenu.h"
#include "admin/UserSettingsSheet.h"
#include "shell/Commands.h"
#include "shell/Menus.h"

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

} // namespace

void WireAdmin()
{
    // The user and settings sheets, the output-file and test commands, the translate and test menus
    // and the output file's close step go into their hooks here, one helper per tool.
    wireUserSettingsCommands();
    wireTestMenu();
}

void UnwireAdmin()
{
    // Puts back the hooks WireAdmin installed.
    unwireUserSettingsCommands();
    unwireTestMenu();
}
