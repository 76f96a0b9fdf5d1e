#include "store/StoreState.h"

#include "store/Color.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "store/Utility.h"

void ResetStoreState()
{
    ResetResourceStore();
    ResetStopwatch(kAllStopwatches);
    CColor::SetColorTable(nullptr);
    ResetRegistryObject();
}
