#pragma once
// The state of the media folder as a fresh start has it: no speech engine, no sound device, the audio
// path shut and the sound functions' state and hooks at their defaults. Tests call it between cases;
// each module keeps the reset of its own globals beside their definitions. See "Globals and resets"
// in doc/design.md.

void ResetMediaState();
