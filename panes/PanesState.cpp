#include "panes/PanesState.h"

#include "panes/SoundDevice.h"
#include "panes/SpeechEngine.h"

void ResetPanesState()
{
    ResetSpeechEngine();
    CSoundDevice::CloseSound();
}
