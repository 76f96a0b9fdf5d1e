#include "admin/AdminWiring.h"

#include "admin/TestMenu.h"
#include "shell/Commands.h"
#include "shell/Menus.h"

namespace
{

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
    // The user and settings sheets, the output-file commands, the translate menu and the output file's
    // close step go into their hooks here when this folder has them.
    wireTestMenu();
}

void UnwireAdmin()
{
    // Puts back the hooks WireAdmin installed.
    unwireTestMenu();
}
