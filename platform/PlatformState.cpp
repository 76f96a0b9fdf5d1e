#include "platform/PlatformState.h"

#include "platform/audio/Audio.h"
#include "platform/registry/Registry.h"

namespace lumivo::platform
{

void resetPlatformState()
{
    audio::shutdown();
    registry::resetRegistry();
}

} // namespace lumivo::platform
