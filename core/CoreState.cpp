#include "core/CoreState.h"

#include "core/ColorPalette.h"
#include "core/FrameSizes.h"
#include "core/IconDrag.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/ShownIcons.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"

void ResetCoreState()
{
    // The layers above have been reset: what dies now is announced to no one.
    ResetPageEvents();
    // Objects that refer to records let go before the store closes.
    ResetObjectIndexes();
    ResetUserLevelIndex();
    ResetUserState();
    ResetWordEditorFrame();
    ResetIconEvents();
    ResetShownIcons();
    ResetIconEditing();
    ResetIconDrag();
    ResetSystemColorTable();
    ResetFrameSizes();
}
