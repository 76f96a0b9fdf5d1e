#include "admin/AdminWiring.h"

void WireAdmin()
{
    // The user and settings sheets, the output-file and test commands, the translate and test menus
    // and the output file's close step go into their hooks here when this folder has them.
}

void UnwireAdmin()
{
    // Puts back the hooks WireAdmin installed.
}
