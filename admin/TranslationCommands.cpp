#include "admin/TranslationCommands.h"

#include "admin/SystemStringsDlg.h"
#include "admin/TranslateSettingsDlg.h"

void RunTranslateSettings()
{
    RunTranslateSettingsDialog();
}

void RunSystemStrings()
{
    RunSystemStringsDialog();
}
