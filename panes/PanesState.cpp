#include "panes/PanesState.h"

#include "panes/Panes.h"
#include "panes/SoundDevice.h"
#include "panes/SpeechEngine.h"

void ResetPanesState()
{
    ResetPanes();
    ResetSpeechEngine();
    CSoundDevice::CloseSound();
}
