#include "admin/TranslationEditors.h"

// The calls of the authoring tools' editors in translation mode, through hooks the shell declares for
// them, will live here once those editors exist.
void OpenWordEditorForTranslation() {}
void OpenBackgroundEditorForTranslation() {}
