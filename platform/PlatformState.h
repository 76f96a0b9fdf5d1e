#pragma once
// The state of the platform layer as a fresh start has it: the audio path closed and the program's
// registry unloaded, so nothing one run wrote is seen by the next. Tests call it between cases; each
// module keeps the reset of its own state beside it. State that only a scoped override changes (the
// file system, the test clock, the answerer of questions) goes back when the override ends.
// See "Globals and resets" in doc/design.md.

namespace lumivo::platform
{

void resetPlatformState();

} // namespace lumivo::platform
