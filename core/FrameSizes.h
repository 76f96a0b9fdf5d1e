#pragma once
// The frame-size mode: the main window's size class, 1 to 6, which decides the size of a page in
// pixels and which picture of a page is shown (FrameSizeToLayoutId, core/Page.h). The screen layout
// sets it; until the first layout it is 0, which every rule treats as mode 2.

#include "platform/types/WinTypes.h"

#include <cstdint>
#include <vector>

extern std::uint16_t theFrameSizeMode;
// The frame-size modes in the order a page looks for its picture; filled at start-up.
extern std::vector<std::uint16_t> theFrameSizeModes;

// Empties the list of frame-size modes and enters 1 to 6.
void RegisterFrameSizeModes();

// 1: 512 x 342, 2: 640 x 427, 3: 853 x 570, 4: 959 x 645, 5: 960 x 728, 6: 1280 x 854; any other mode
// 640 x 427.
CSize GetFrameSizePageSize(int mode);

// Puts the mode back to "not laid out yet" and empties the list of modes.
void ResetFrameSizes();
