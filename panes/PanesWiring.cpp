#include "panes/PanesWiring.h"

#include "core/PageEvents.h"
#include "panes/ClipPreview.h"
#include "panes/Panes.h"

namespace
{

CPageEventConnections connections;

template <typename Step> void forEachPagePane(Step step)
{
    for (CPane* pane : CPane::PagePanes())
        step(*pane);
}

void redrawIcon(CQuibIcon* icon)
{
    if (CPane* pane = CPane::FindPaneOfIcon(icon))
        pane->RedrawIcon(*icon);
}

} // namespace

void WirePanes()
{
    connections.Follow(&CPageEvents::pageReplaced, [](CQuibBg* old, CQuibBg* replacement) {
        // The panes that showed the old page come first; a pane waiting for a page in its place after.
        forEachPagePane([&](CPane& pane) { pane.OnPageReplaced(old, replacement); });
        if (replacement)
            forEachPagePane([&](CPane& pane) { pane.ShowAwaitedPage(*replacement); });
    });
    connections.Follow(&CPageEvents::pageAboutToBeRemoved, [](CQuibBg* page) {
        forEachPagePane([&](CPane& pane) { pane.OnPageAboutToBeRemoved(page); });
    });
    connections.Follow(&CPageEvents::pageRemoved, [](std::int32_t id) {
        forEachPagePane([&](CPane& pane) { pane.OnPageRemoved(id); });
    });
    connections.Follow(&CPageEvents::pageReverted, [](CQuibBg* page) {
        forEachPagePane([&](CPane& pane) { pane.OnPageReverted(page); });
    });
    connections.Follow(&CPageEvents::iconChanged, redrawIcon);
    // The browse callout follows the selection first, then the information pane, then the writer (the
    // shell's clipboard after them).
    connections.Follow(&CPageEvents::selectionChanged, [] { theBrowsePane.UpdateFromSelection(); });
    // A hidden information pane shows nothing: it would copy each selected icon and read its word again
    // for no one. Whatever shows the pane asks it for the selection then (ShowSelectedIcon).
    connections.Follow(&CPageEvents::selectionChanged, [] {
        if (theInfoPane.IsVisible())
            theInfoPane.ShowSelectedIcon(nullptr);
    });
    connections.Follow(&CPageEvents::selectionChanged, [] { theWriterPane.OnSelectionChanged(); });
    connections.Follow(&CPageEvents::linkRequested, ShowLinkedPage);
    connections.Follow(&CPageEvents::storedMediaChanged, [](std::int32_t id) {
        forEachPagePane([id](CPane& pane) { pane.DropStoredMediaOf(id); });
        theBrowsePane.DropStoredMediaOf(id);
    });
    // The clip preview plays in the icon under the mouse.
    theClipPreview.Follow();
}

void UnwirePanes()
{
    connections.DisconnectAll();
    theClipPreview.Unfollow();
}
