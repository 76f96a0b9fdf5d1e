#include "authoring/AuthoringWiring.h"

void WireAuthoring()
{
    // The word and background editors, the icon and page wizards go into their hooks here, and the
    // page editor follows thePageEvents (pages committed and about to be removed), when this folder
    // has them.
}

void UnwireAuthoring()
{
    // Puts back the hooks WireAuthoring installed and disconnects what it connected.
}
