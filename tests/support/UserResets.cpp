// Clears the globals of users, palettes and the word editor seams between tests.

#include "core/User.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"
#include "system/ColorPalette.h"
#include "system/ItemIds.h"
#include "tests/support/LumivoTest.h"

namespace
{

const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        theCurrentUser = nullptr; // tests own the users they make current
        theSystemColorTable.clear();
        theWordEditorFrame = nullptr;
        InstallWordEditorHooks({});
        SetMainWindowStateProvider({});
        SetDefaultWindowRectProvider({});
        SetItemIdRandomSource({});
        // Other tests replace these sources; every test starts with the program's own.
        InstallWordIndexMaker();
        InstallCurrentUserFilesSource();
    });
    return true;
}();

} // namespace
