#pragma once
// An icon that notes when it was activated and starts a "sound" then, as a word heard would: the
// reading-aloud tests pace by it.

#include "core/Icon.h"
#include "media/SoundFunctions.h"
#include "platform/types/Clock.h"

#include <cstdint>
#include <vector>

namespace lumivo::test
{

class RecordingIcon : public CQuibIcon
{
public:
    explicit RecordingIcon(std::vector<std::uint32_t>& ticks) : m_ticks(ticks) {}
    bool Activate(std::int32_t /*wordId*/) override
    {
        m_ticks.push_back(lumivo::clock::tickCount());
        NoteSoundTick(CurrentSoundTick());
        return true;
    }

private:
    std::vector<std::uint32_t>& m_ticks;
};

} // namespace lumivo::test
