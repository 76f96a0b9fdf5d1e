#include "shell/EditTool.h"

#include "core/IconEditing.h"
#include "panes/MouseState.h"
#include "panes/Pane.h"

#include <vector>

lumivo::Hook<bool(CPane& pane, int tool)> thePaneAcceptsEditToolHook{
    [](CPane& pane, int tool) { return pane.CanSetEditTool(tool); }};

bool SetEditTool(int tool)
{
    bool accepted = true;
    // A copy: a pane that saves its page may change the visible list.
    const std::vector<CPane*> panes = theVisiblePanes;
    for (CPane* pane : panes)
        accepted = thePaneAcceptsEditToolHook(*pane, tool) && accepted;
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
    SetClickThresholdsForTool(tool);
}

void ResetEditTool()
{
    thePaneAcceptsEditToolHook.reset();
}
