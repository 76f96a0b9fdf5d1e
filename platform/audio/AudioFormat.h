#pragma once
// The one format of every sound the program holds and plays: 16-bit signed mono at 44,100 Hz.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumivo::audio
{

inline constexpr int kSampleRate = 44100;
inline constexpr int kBytesPerSample = 2;
// Frames per output period: short, so a sound starts within a few milliseconds of the request.
inline constexpr int kPeriodFrames = 256;

using Samples = std::vector<std::int16_t>;
using SharedSamples = std::shared_ptr<const Samples>;

inline std::uint32_t samplesToMs(std::size_t count)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(count) * 1000 / kSampleRate);
}

} // namespace lumivo::audio
