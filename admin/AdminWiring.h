#pragma once
// The administration's wiring: the hooks of the commands, menus and the output file that this folder
// supplies to the shell and the services, made in one place. main() and the test fixture call
// WireAdmin() after WireShell() and UnwireAdmin() before UnwireShell().

void WireAdmin();
void UnwireAdmin();
