#include "core/CoreState.h"

#include "core/Color.h"
#include "core/ObjectIndex.h"
#include "core/Registry.h"
#include "core/ResourceManager.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "core/Utility.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"

void ResetCoreState()
{
    // Objects that refer to records let go before the store closes.
    ResetObjectIndexes();
    ResetUserLevelIndex();
    ResetCurrentUser();
    ResetWordEditorFrame();
    ResetSoundState();
    ResetResourceStore();
    ResetStopwatch(kAllStopwatches);
    ResetSoundWarning();
    CColor::SetColorTable(nullptr);
    ResetRegistryObject();
}
