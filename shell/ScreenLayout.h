#pragma once
// The main window's screen mode (menu bar, status bar, toolbars, full screen), its frame size and the
// frame-size mode that follows from it, and the places of the panes inside the main client window for
// each mode. Sizes are those of the window's outer frame; full screen is the window system's own.

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <cstdint>

struct MainWindowState;

// The size of the screen the main window lives on: by default the primary screen's.
extern lumivo::Hook<CSize()> theScreenSizeHook;

// Applies theScreenMode to the main frame; nothing without one.
void UpdateScreenMode();
// Fills an empty rectangle with the standard frame for the screen, centred, and gives the frame-size
// mode of the rectangle; 0 while the main frame or its client window does not exist.
std::uint16_t GetNearestFrameSize(CRect& rect);
// Chooses the frame-size mode from the main frame and places the panes for it; then marks which
// panes can be edited in the current program mode and repaints the visible panes.
void CalcScreenLayout();

// Puts the screen source back (tests).
void ResetScreenLayout();

namespace lumivo
{

// The standard frame for a screen of that size: the largest standard size that fits, 4 pixels more on
// every side, centred on the screen.
CRect standardFrameRect(CSize screen);
// The frame-size mode, 1 to 6, of a frame of that size.
std::uint16_t frameSizeModeOf(int width, int height);
// Places, shows and hides the panes for the mode in a client rectangle; a mode outside 1 to 6 gets
// the blank layout.
void layOutPanes(int mode, const CRect& client);
// Which panes can be edited, by the edit bits of the program mode.
void markEditablePanes(std::uint16_t programMode);
// The outer frame of the main frame (empty without one), and moving it so that it covers `rect`.
CRect mainFrameRect();
void setMainFrameRect(const CRect& rect);
// The main frame as a user's stored rectangle follows it (StoreWindowRect, core/User.h).
MainWindowState mainWindowState();

} // namespace lumivo
