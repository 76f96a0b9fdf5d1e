#pragma once
// A sound that plays on and on, for tests of what waits for a sound to end: a minute long on the
// program's sound device, in a mixer that stands still, so that neither the clock nor a slow machine
// ends it.

#include "media/SoundDevice.h"
#include "platform/audio/Audio.h"

#include <cstdint>
#include <vector>

namespace lumivo::test
{

// Plays it on theSoundDevice (made by CSoundDevice::InitSound); the sample the device holds.
inline const CSoundSample* playEndlessSound()
{
    audio::mixer().setPaused(true);
    const std::size_t frames = 60 * audio::kSampleRate;
    theSoundDevice->LoadWaveData(wave::WaveBlock(wave::WaveFormat::pcm(1, audio::kSampleRate, 16),
                                                 std::vector<std::uint8_t>(frames * 2, 0x10)));
    theSoundDevice->Play();
    return theSoundDevice->GetSample();
}

} // namespace lumivo::test
