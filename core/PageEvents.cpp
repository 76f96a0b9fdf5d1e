#include "core/PageEvents.h"

// Never deleted, on purpose: see the header.
CPageEvents& thePageEvents = *new CPageEvents;

void ResetPageEvents()
{
    thePageEvents.disconnect();
}
