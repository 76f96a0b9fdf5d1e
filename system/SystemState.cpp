#include "system/SystemState.h"

#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "system/UtilityNotices.h"

void ResetSystemState()
{
    ResetLanguageRecords();
    ResetDataFiles();
    ResetOutputFileState();
    ResetSystemSettings();
    ResetSystemStrings();
    theItemIdRandomHook.reset();
    ResetSoundWarning();
}
