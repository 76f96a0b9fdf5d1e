#include "platform/keyboard/LockKeys.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace lumivo::keyboard
{

namespace
{

Display* x11Display()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// Whether the keymap has a light of that name, and if so whether it is lit.
std::optional<bool> namedIndicator(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    Bool lit = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &lit, nullptr, nullptr))
        return std::nullopt;
    return lit == True;
}

} // namespace

std::optional<LockKeys> lockKeys()
{
    return lockKeysOf(x11Display());
}

std::optional<LockKeys> lockKeysOf(Display* display)
{
    if (!display)
        return std::nullopt;
    const std::optional<bool> caps = namedIndicator(display, "Caps Lock");
    const std::optional<bool> num = namedIndicator(display, "Num Lock");
    const std::optional<bool> scroll = namedIndicator(display, "Scroll Lock");
    // A keymap without any of the three lights (an odd X server) cannot tell either.
    if (!caps && !num && !scroll)
        return std::nullopt;
    return LockKeys{caps.value_or(false), num.value_or(false), scroll.value_or(false)};
}

} // namespace lumivo::keyboard
