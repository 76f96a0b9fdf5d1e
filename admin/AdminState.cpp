#include "admin/AdminState.h"

#include "admin/OutputFileCommands.h"
#include "admin/TestMenu.h"

void ResetAdminState()
{
    ResetOutputFileCommands();
    ResetTestMenu();
}
