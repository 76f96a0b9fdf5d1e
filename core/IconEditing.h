#pragma once
// The editing state the icons read (the tool, the grid, the handle and frame sizes), the front-most hit
// test of a page and the z-order moves.
//
// One rule for the whole program: a page's icons are drawn from the head of the list to its tail, so
// the tail lies in front, and a hit test looks from the tail back, finding the front-most icon first.

#include "core/Icon.h"
#include "platform/types/WinTypes.h"

#include <cstdint>
#include <vector>

class CQuibBg;

// Edit tools.
constexpr int kEditToolBrowse = 1;
constexpr int kEditToolSelect = 2;
constexpr int kEditToolIconWizard = 9;
// Tools with this bit take any point of the rectangle as a hit (select, line, ellipse, spot).
constexpr int kEditToolAreaHits = 0x2;

// Bits of theEditOptions (system/SystemSettings.h).
constexpr std::uint16_t kEditOptionSnapToGrid = 0x100;
constexpr std::uint16_t kEditOptionShowPictures = 0x400;
constexpr std::uint16_t kEditOptionShowNames = 0x800;
constexpr std::uint16_t kEditOptionLargeHandles = 0x2000;

extern int theEditTool;        // kEditToolBrowse at start
extern int theGridStepX;       // pixels; 0 or less: no snapping
extern int theGridStepY;       //
extern int theStateFrameWidth; // the selected and entered frames, 2

// Puts the editing state back.
void ResetIconEditing();

// The size of a handle square: larger with the icon wizard's tool and the option for large handles.
int HandleSize();

// The point on the nearest grid line on each axis (halves upward, negative coordinates alike); an
// axis whose step is 0 or less is not snapped.
CPoint SnapToGrid(POINT point);

// The front-most icon of the list that the point hits, or none.
CQuibIcon* FrontIconAt(const CQuibIconList& icons, const POINT& point);

enum class IconOrderMove { ToFront, Forward, Backward, ToBack };

// Moves the one selected icon in its page's drawing order. Possible with an editing tool, when exactly
// one icon is selected and the page holds it, the page has more than one icon, and the icon is not at
// the end it moves towards. With `testOnly`, says whether it is possible and moves nothing.
bool MoveIconInOrder(CQuibBg* page, const std::vector<CQuibIcon*>& selection, IconOrderMove move,
                     bool testOnly);
