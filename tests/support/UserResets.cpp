// Clears the globals of users, palettes and the word editor seams between tests.

#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/WordEditorHooks.h"
#include "system/ColorPalette.h"
#include "system/ItemIds.h"
#include "system/LanguageRecords.h"
#include "tests/support/LumivoTest.h"

namespace
{

const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        theCurrentUser = nullptr; // tests own the users they make current
        theSystemColorTable.clear();
        theWordEditorFrame = nullptr;
        theWordEditorFrameSelectWordHook.reset();
        theWordEditorTreeSelectWordHook.reset();
        theWordEditorSetChangedHook.reset();
        theWordEditorSetCurrentWordHook.reset();
        theMainWindowStateProvider.reset();
        theDefaultWindowRectProvider.reset();
        theItemIdRandomSource.reset();
        // Other tests replace these sources; every test starts with the program's own.
        theWordObjectMaker.reset();
        theCurrentUserFilesSource.reset();
    });
    return true;
}();

} // namespace
