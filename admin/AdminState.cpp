#include "admin/AdminState.h"

#include "admin/OutputFileCommands.h"

void ResetAdminState()
{
    ResetOutputFileCommands();
}
