#include "panes/PanesWiring.h"

#include "core/PageEvents.h"
#include "panes/ClipPreview.h"

void WirePanes()
{
    // The panes follow thePageEvents here: pages replaced, removed, reverted, icons changed, the
    // selection (the browse callout, then the writer), links.
    // The clip preview plays in the icon under the mouse.
    theClipPreview.Follow(thePageEvents);
}

void UnwirePanes()
{
    // Disconnects what WirePanes connected.
    theClipPreview.Unfollow();
}
