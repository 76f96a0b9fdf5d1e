#pragma once
// The state of the store folder as a fresh start has it: no resource file open, the registry object,
// the colour table and the stopwatches as at start. Tests call it between cases; each module keeps the
// reset of its own globals beside their definitions. See "Globals and resets" in doc/design.md.

void ResetStoreState();
