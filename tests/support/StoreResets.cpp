// Every test starts with an empty resource store: no open files, no records, file numbers from 1.

#include "core/ResourceManager.h"
#include "tests/support/LumivoTest.h"

namespace
{

const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        theResMgr.CloseAll();
        theResMgr.m_lastFileNumber = 0;
    });
    return true;
}();

} // namespace
