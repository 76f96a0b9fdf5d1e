#include "media/MediaState.h"

#include "media/SoundDevice.h"
#include "media/SoundFunctions.h"
#include "media/SpeechEngine.h"

void ResetMediaState()
{
    ResetSpeechEngine();
    CSoundDevice::CloseSound();
    ResetSoundState();
}
