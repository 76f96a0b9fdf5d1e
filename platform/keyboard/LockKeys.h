#pragma once
// The lights of the lock keys (Caps Lock, Num Lock, Scroll Lock) as the window system reports them, for
// the status bar's indicators. Only X11 tells them (through its keyboard extension); offscreen, on
// Wayland or without a display the answer is "cannot tell".

#include <optional>

struct _XDisplay; // Xlib's display connection

namespace lumivo::keyboard
{

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;

    bool operator==(const LockKeys&) const = default;
};

// The lock keys' state now, on the display the program's windows are on; none where the platform
// cannot tell.
std::optional<LockKeys> lockKeys();
// The same on an X display connection; none for none, or when its keymap has none of the three lights.
std::optional<LockKeys> lockKeysOf(_XDisplay* display);

} // namespace lumivo::keyboard
