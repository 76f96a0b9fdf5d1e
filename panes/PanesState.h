#pragma once
// The state of the panes folder as a fresh start has it: every pane hidden, without page or owner, the
// pane hooks uninstalled, no speech engine and no sound device. Tests call it between cases; each
// module keeps the reset of its own globals beside their definitions.
// See "Globals and resets" in doc/design.md.

void ResetPanesState();
