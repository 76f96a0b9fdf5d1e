#pragma once
// The state of the core folder as a fresh start has it: one call that puts back every global of core/
// (the object indexes, users, icons and their selection, palettes, frame sizes). Tests call it between
// cases; each module keeps the reset of its own globals beside their definitions.
// See "Globals and resets" in doc/design.md.

void ResetCoreState();
