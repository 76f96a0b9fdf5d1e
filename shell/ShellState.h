#pragma once
// The state of the shell folder as a fresh start has it: one call that puts back every global of
// shell/ (no menus, no splash window). Tests call it between cases; each module keeps the reset of its
// own globals beside their definitions. See "Globals and resets" in doc/design.md.

void ResetShellState();
