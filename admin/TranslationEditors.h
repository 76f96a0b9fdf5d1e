#pragma once
// The word and page editors opened on the output file in translation mode (commands 5062 and 5064).
// The editors belong to the authoring tools, which this folder cannot include.

void OpenWordEditorForTranslation();
void OpenBackgroundEditorForTranslation();
