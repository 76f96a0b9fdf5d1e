#include "system/SystemState.h"

#include "system/ColorPalette.h"
#include "system/DataFiles.h"
#include "system/FrameSizes.h"
#include "system/ItemIds.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

void ResetSystemState()
{
    ResetLanguageRecords();
    ResetDataFiles();
    ResetOutputFileState();
    ResetSystemSettings();
    ResetSystemStrings();
    ResetSystemColorTable();
    ResetFrameSizes();
    theItemIdRandomSource.reset();
}
