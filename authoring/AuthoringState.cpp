#include "authoring/AuthoringState.h"

#include "authoring/BgEditor.h"
#include "authoring/WordEditor.h"

void ResetAuthoringState()
{
    ResetWordEditor();
    ResetBackgroundEditor();
}
