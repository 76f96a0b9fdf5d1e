#pragma once
// The state of the shell folder as a fresh start has it: no splash window. Tests call it between
// cases; each module keeps the reset of its own globals beside their definitions. See "Globals and
// resets" in doc/design.md.

void ResetShellState();
