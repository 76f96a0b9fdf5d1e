#include "admin/ResEditorError.h"

#include "admin/AdminStrings.h"
#include "store/ResourceManager.h"

int messageIdOf(ResEditorError error)
{
    switch (error) {
    case ResEditorError::None:
        return 0;
    case ResEditorError::TargetUsed:
        return kResourceTargetUsedText;
    case ResEditorError::ResourceInUse:
        return kResourceInUseText;
    case ResEditorError::FileNotOpened:
        return kResFileNotOpenedText;
    case ResEditorError::FileNotSaved:
        return kResFileNotSavedText;
    case ResEditorError::StoreRefused:
        return kStoreRefusedText;
    }
    return kStoreRefusedText;
}

ResEditorError errorOfOpen(int storeCode)
{
    return storeCode >= RES_OK ? ResEditorError::None : ResEditorError::FileNotOpened;
}

ResEditorError errorOfSave(int storeCode)
{
    return storeCode == RES_OK ? ResEditorError::None : ResEditorError::FileNotSaved;
}

ResEditorError errorOfMove(int storeCode)
{
    switch (storeCode) {
    case RES_OK:
        return ResEditorError::None;
    case RES_ERR_TARGET_USED:
        return ResEditorError::TargetUsed;
    case RES_ERR_HANDLES_BOUND:
        return ResEditorError::ResourceInUse;
    default:
        return ResEditorError::StoreRefused;
    }
}

ResEditorError errorOfChange(int storeCode)
{
    return storeCode == RES_OK ? ResEditorError::None : ResEditorError::StoreRefused;
}
