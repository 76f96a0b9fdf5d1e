#include "shell/EditTool.h"

#include "core/IconEditing.h"
#include "panes/Pane.h"

#include <vector>

namespace
{

constexpr std::uint32_t kBrowseClickPairIntervalMs = 8000;
constexpr std::uint32_t kEditingClickPairIntervalMs = 500;
constexpr CSize kBrowseDragThreshold{5, 5};
constexpr CSize kEditingDragThreshold{1, 1};

void applyThresholdsOf(int tool)
{
    const bool browsing = tool == kEditToolBrowse;
    theClickPairIntervalMs = browsing ? kBrowseClickPairIntervalMs : kEditingClickPairIntervalMs;
    theDragThreshold = browsing ? kBrowseDragThreshold : kEditingDragThreshold;
}

} // namespace

std::uint32_t theClickPairIntervalMs = kBrowseClickPairIntervalMs;
CSize theDragThreshold = kBrowseDragThreshold;
lumivo::Hook<bool(CPane& pane, int tool)> thePaneAcceptsEditTool{[](CPane&, int) { return true; }};

bool SetEditTool(int tool)
{
    bool accepted = true;
    // A copy: a pane that saves its page may change the visible list.
    const std::vector<CPane*> panes = theVisiblePanes;
    for (CPane* pane : panes)
        accepted = thePaneAcceptsEditTool(*pane, tool) && accepted;
    if (!accepted)
        return false;
    const bool browseChanges = theEditTool == kEditToolBrowse || tool == kEditToolBrowse;
    ForceEditTool(tool);
    if (browseChanges)
        CPane::RefreshVisiblePanes(kRefreshEditableOnly);
    return true;
}

void ForceEditTool(int tool)
{
    theEditTool = tool;
    applyThresholdsOf(tool);
}

void ResetEditTool()
{
    theClickPairIntervalMs = kBrowseClickPairIntervalMs;
    theDragThreshold = kBrowseDragThreshold;
    thePaneAcceptsEditTool.reset();
}
