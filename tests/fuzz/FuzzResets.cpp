// The program's globals that a reader may leave behind, put back before every input. The one list of
// them for the fuzz targets; the test suite's own resets live in tests/support.

#include "core/Color.h"
#include "core/ObjectIndex.h"
#include "core/Registry.h"
#include "core/ResourceManager.h"
#include "core/Sound.h"
#include "core/User.h"
#include "platform/registry/Registry.h"
#include "system/ColorPalette.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/fuzz/FuzzTarget.h"

namespace lumivo::fuzz
{

void resetGlobals()
{
    theResMgr.CloseAll();
    theResMgr.m_lastFileNumber = 0;
    theWordIndex.DeleteAll();
    theBgIndex.DeleteAll();
    theCurrentUser = nullptr;
    CColor::SetColorTable(nullptr);
    theSystemColorTable.clear();
    theRegistry.reset();
    lumivo::registry::discardRegistry();
    ResetLanguageRecords();
    ResetDataFiles();
    ResetSystemSettings();
    ResetSystemStrings();
    ResetSoundState();
}

} // namespace lumivo::fuzz
