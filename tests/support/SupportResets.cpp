// Every test starts with the support services' state cleared: stopwatches, the sound
// notice, the current colour table and the program's registry object.
#include "core/Color.h"
#include "core/Registry.h"
#include "core/Utility.h"
#include "tests/support/LumivoTest.h"

namespace
{
const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        ResetStopwatch(-1);
        ResetSoundWarning();
        CColor::SetColorTable(nullptr);
        theRegistry.reset();
    });
    return true;
}();
} // namespace
