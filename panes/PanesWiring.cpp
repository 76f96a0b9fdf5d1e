#include "panes/PanesWiring.h"

void WirePanes()
{
    // The panes follow thePageEvents here: pages replaced, removed, reverted, icons changed, the
    // selection (the browse callout, then the writer), links, and the clip preview's hover.
}

void UnwirePanes()
{
    // Disconnects what WirePanes connected.
}
