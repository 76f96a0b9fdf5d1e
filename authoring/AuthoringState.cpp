#include "authoring/AuthoringState.h"

#include "authoring/BgEditor.h"

void ResetAuthoringState()
{
    ResetBackgroundEditor();
}
