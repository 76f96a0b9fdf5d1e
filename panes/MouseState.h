#pragma once
// The mouse state of the main client window, shared by every pane: the last press, release, move,
// click and click pair, the drag under way, and the thresholds that tell a click from a drag and two
// clicks from a pair. The client window (shell) writes it from the events it routes; the panes' input
// handlers read it, and the edit tool sets the thresholds, so it lives here, below both.

#include "platform/types/WinTypes.h"

#include <cstdint>

// Mouse-key bits of an event's flags, as the handlers receive them.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

// One remembered event: where (client coordinates), with which keys, when (clock ticks).
struct MouseEventPoint {
    CPoint point;
    unsigned flags = 0;
    std::uint32_t tick = 0;

    bool operator==(const MouseEventPoint&) const = default;
};

struct ClientMouseState {
    MouseEventPoint down;   // last left or right press
    MouseEventPoint up;     // last left release
    MouseEventPoint move;   // last move
    MouseEventPoint click;  // last release handed out as a click
    MouseEventPoint paired; // last click that completed a pair
    CPoint lastDragPoint;
    bool dragging = false;

    bool operator==(const ClientMouseState&) const = default;
};
extern ClientMouseState theMouseState;

// Set with the edit tool: a release closer than the tolerance to its press is a click, and two clicks
// closer than both limits are a pair; with an editing tool a move of the tolerance starts a drag.
constexpr CSize kBrowseClickTolerance{5, 5};
constexpr std::uint32_t kBrowseClickIntervalMs = 8000;
constexpr CSize kEditingClickTolerance{1, 1};
constexpr std::uint32_t kEditingClickIntervalMs = 500;
extern CSize theClickTolerance;
extern std::uint32_t theClickIntervalMs;
// The thresholds of that edit tool (core/IconEditing.h): the browse tool's or the editing tools'.
void SetClickThresholdsForTool(int editTool);

// A second click this close to the first follows a link; a press held this still this long is a long
// press.
constexpr CSize kLinkClickTolerance{50, 50};
constexpr CSize kLongPressTolerance{50, 50};
constexpr std::uint32_t kLongPressMs = 500;

// Whether `a` lies closer to `b` than `tolerance` on both axes.
bool WithinTolerance(const POINT& a, const POINT& b, const SIZE& tolerance);

// Forgets every remembered point, flag and tick (a new page arrived, or a right press); the drag under
// way and the thresholds stay.
void ForgetMouseEvents();
// Everything back to the start: nothing remembered, no drag, the browse tool's thresholds.
void ResetMouseState();
