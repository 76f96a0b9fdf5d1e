// Every test starts with the sound state of a fresh start: model 3, nothing playing, no device.
#include "core/Sound.h"
#include "tests/support/LumivoTest.h"

namespace
{
const bool registered = [] {
    lumivo::test::registerGlobalReset([] { ResetSoundState(); });
    return true;
}();
} // namespace
