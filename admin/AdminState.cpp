#include "admin/AdminState.h"

#include "admin/TestMenu.h"

void ResetAdminState()
{
    ResetTestMenu();
}
