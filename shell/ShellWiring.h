#pragma once
// The shell's wiring: what the app connects to the model's and the services' announcements, and the
// hooks it supplies to the layers below, made in one place. main() and the test fixture call
// WireShell() after WirePanes() and UnwireShell() before UnwirePanes().

void WireShell();
void UnwireShell();
