#include "shell/ShellWiring.h"

void WireShell()
{
    // The clipboard follows thePageEvents here (icons and sentences about to die, the selection); the
    // status bar follows the status text; the shell supplies the sound wait's idle step and the
    // screen's standard frame.
}

void UnwireShell()
{
    // Disconnects what WireShell connected and puts its hooks back.
}
