#include "admin/AdminWiring.h"

#include "admin/UserSettingsSheet.h"
#include "shell/Commands.h"

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

} // namespace

void WireAdmin()
{
    // The user and settings sheets, the output-file and test commands, the translate and test menus
    // and the output file's close step go into their hooks here, one helper per tool.
    wireUserSettingsCommands();
}

void UnwireAdmin()
{
    // Puts back the hooks WireAdmin installed.
    unwireUserSettingsCommands();
}
