#pragma once
// The reload sequence: the one way the program brings itself up to date after something changed
// (start-up, another user, confirmed settings, the output file opened or closed, the edit mode). The
// caller says what changed by step bits; other code may add bits beforehand (AddSystemInitFlags,
// system/OutputFile.h). The pending steps run in one fixed order and the pending mask is then
// cleared. Nothing runs while the program shuts down.

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <QString>

#include <cstdint>
#include <memory>

class CQuibUserLevel;

// Step bits of the reload sequence, in the order the steps run.
constexpr std::uint32_t kReloadIndexes = 0x0002;        // empty the page panes and rebuild the indexes
constexpr std::uint32_t kReloadSystemSettings = 0x0001; // program-mode reset; with 0x2 the languages
constexpr std::uint32_t kReloadUserSettings = 0x2000;
constexpr std::uint32_t kReloadUserLevel = 0x4000;
constexpr std::uint32_t kReloadMenus = 0x0010;
constexpr std::uint32_t kReloadRedraw = 0x0080;
constexpr std::uint32_t kReloadScreen = 0x0040; // screen mode, frame size and pane layout
constexpr std::uint32_t kReloadPanes = 0x0020;  // every visible pane shows its start page again
constexpr std::uint32_t kReloadEverything = 0xFFFF;

// The user level of the current user, loaded by the reload sequence; null before the first one.
extern std::unique_ptr<CQuibUserLevel> theCurrentUserLevel;

// Where the sequence reports the step it is at: the splash's status line by default.
extern lumivo::Hook<void(const QString& text)> theReloadStatusHook;

// Runs the pending steps together with those of `mask`; returns 0.
int InitializeSystem(std::uint32_t mask);

// Forgets the user level and puts the status sink back (tests).
void ResetReload();

namespace lumivo
{

// A stored window rectangle brought onto a screen of that size: a rectangle lying wholly beyond an
// edge is moved to that edge, and one that reaches more than a fifth past the right or bottom edge is
// cut back to it.
CRect windowRectOnScreen(CRect rect, CSize screen);

} // namespace lumivo
