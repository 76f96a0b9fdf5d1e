// The program's globals put back before every input, by each layer's own reset: the one list of them
// for the fuzz targets. The readers under test hold nothing in the panes or above.

#include "core/CoreState.h"
#include "media/MediaState.h"
#include "platform/PlatformState.h"
#include "store/StoreState.h"
#include "system/SystemState.h"
#include "tests/fuzz/FuzzTarget.h"

namespace lumivo::fuzz
{

void resetGlobals()
{
    // Top layer first, as the tests do: a higher layer's state may refer into a lower one.
    ResetCoreState();
    ResetMediaState();
    ResetSystemState();
    ResetStoreState();
    lumivo::platform::resetPlatformState();
}

} // namespace lumivo::fuzz
