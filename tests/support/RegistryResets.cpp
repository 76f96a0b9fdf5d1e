// Every test starts with the program's registry unloaded, so nothing written by one test is seen by
// the next.
#include "platform/registry/Registry.h"
#include "tests/support/LumivoTest.h"

namespace
{
const bool registered = [] {
    lumivo::test::registerGlobalReset([] { lumivo::registry::discardRegistry(); });
    return true;
}();
} // namespace
