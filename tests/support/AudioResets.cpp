// Every test starts with no sound device or speech engine, the audio path closed and SDL back on its silent
// "dummy" driver.

#include "panes/SoundDevice.h"
#include "panes/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "tests/support/LumivoTest.h"

#include <cstdlib>

namespace
{

const bool registered = [] {
    lumivo::test::registerGlobalReset([] {
        theSpeechEngine.reset();
        CSoundDevice::CloseSound();
        lumivo::audio::shutdown();
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::unsetenv("SDL_DISKAUDIOFILE");
        ::unsetenv("SDL_DISKAUDIOFILEIN");
        ::unsetenv("SDL_DISKAUDIODELAY");
    });
    return true;
}();

} // namespace
