#include "core/CoreState.h"

#include "core/Color.h"
#include "core/IconDrag.h"
#include "core/IconDrawing.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/PageHooks.h"
#include "core/Registry.h"
#include "core/ResourceManager.h"
#include "core/Sentence.h"
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
    ResetIconEvents();
    ResetSentenceHooks();
    ResetPageHooks();
    ResetIconEditing();
    ResetIconDrawing();
    ResetIconDrag();
    ResetSoundState();
    ResetResourceStore();
    ResetStopwatch(kAllStopwatches);
    ResetSoundWarning();
    CColor::SetColorTable(nullptr);
    ResetRegistryObject();
}
