#include "panes/MouseState.h"

#include "core/IconEditing.h"

#include <cstdlib>

ClientMouseState theMouseState;
CSize theClickTolerance = kBrowseClickTolerance;
std::uint32_t theClickIntervalMs = kBrowseClickIntervalMs;

void SetClickThresholdsForTool(int editTool)
{
    const bool browse = editTool == kEditToolBrowse;
    theClickTolerance = browse ? kBrowseClickTolerance : kEditingClickTolerance;
    theClickIntervalMs = browse ? kBrowseClickIntervalMs : kEditingClickIntervalMs;
}

bool WithinTolerance(const POINT& a, const POINT& b, const SIZE& tolerance)
{
    return std::abs(a.x - b.x) < tolerance.cx && std::abs(a.y - b.y) < tolerance.cy;
}

void ForgetMouseEvents()
{
    const bool dragging = theMouseState.dragging;
    theMouseState = ClientMouseState{};
    theMouseState.dragging = dragging;
}

void ResetMouseState()
{
    theMouseState = ClientMouseState{};
    theClickTolerance = kBrowseClickTolerance;
    theClickIntervalMs = kBrowseClickIntervalMs;
}
