#pragma once
// The state of the system folder as a fresh start has it: one call that puts back every global of
// system/ (language records, data files, the output file, settings, strings, item ids, the sound notice).
// Tests call it between cases; each module keeps the reset of its own globals beside their definitions.
// See "Globals and resets" in doc/design.md.

void ResetSystemState();
