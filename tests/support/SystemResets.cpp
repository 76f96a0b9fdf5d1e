// Every test starts with no language records, no data files, no indexed objects, no output file, no
// registry object and the settings of a fresh installation; the strings module forgets its clock,
// cursor and status text.

#include "core/ObjectIndex.h"
#include "core/Registry.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"

namespace
{
const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        theWordIndex.DeleteAll();
        theBgIndex.DeleteAll();
        ResetLanguageRecords();
        ResetDataFiles();
        ResetOutputFileState();
        ResetSystemSettings();
        ResetSystemStrings();
        theRegistry.reset();
    });
    return true;
}();
} // namespace
