#include "admin/TranslationCommands.h"

// The translation-settings dialog with its new-language dialog will live here.
void RunTranslateSettings() {}

// The system-strings editor with its export and import will live here.
void RunSystemStrings() {}
