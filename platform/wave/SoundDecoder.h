#pragma once
// The one decoder of sound bytes held in memory: a whole sound file, or only a WAVE image when the
// caller asks, to interleaved 16-bit samples with the channel count and rate the caller asks for.

#include "platform/wave/WaveBlock.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivo::wave
{

// Rates outside these bounds come only from damaged headers. A low one would also make resampling
// multiply a few bytes into gigabytes.
constexpr int minSampleRate = minPlayableRate;
constexpr int maxSampleRate = maxPlayableRate;

// The most 16-bit samples one decoding gives: 256 MB, some 25 minutes of stereo. A damaged header
// would otherwise have a few bytes grow into more memory than there is.
constexpr std::size_t maxDecodedSamples = std::size_t(128) << 20;

inline bool isPlausibleSampleRate(long long rate)
{
    return rate >= minSampleRate && rate <= maxSampleRate;
}

struct SoundTarget {
    int channels = 1; // 1, or 2: stereo becomes mono as the mean of the two, mono becomes equal pairs
    int sampleRate = 44100;
    bool waveOnly = false; // only the WAVE demuxer may look at the bytes
};

struct DecodedSound {
    bool ok = false;
    bool outOfMemory = false;
    QString error;                     // why not, in words for the user
    std::vector<std::int16_t> samples; // interleaved, `channels` to a frame
};

// A packet the decoder refuses is skipped, and so is a frame it cannot give once some sound has come
// out. Succeeds with no samples when the sound's packets give none; fails when there are no packets.
DecodedSound decodeSoundBytes(const std::uint8_t* data, std::size_t size, const SoundTarget& target);

} // namespace lumivo::wave
