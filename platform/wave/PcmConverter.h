#pragma once
// Conversion of any wave block the decoders know (PCM of any width, float, ADPCM, mu-law, A-law, GSM)
// to the program's own sound form: 16-bit PCM at 44,100 Hz, mono or stereo. Integer and float samples,
// extensible headers included, are read here; only compressed formats go to the sound decoder. A header
// no player can use, or a block that yields no sound, fails.

#include "platform/wave/WaveBlock.h"

#include <cstdint>
#include <vector>

namespace lumivo::wave
{

constexpr int programSampleRate = 44100;

enum ConvertResult : int {
    convertOk = 0,
    convertNoInput = -1,
    convertNoMemory = -2,
    convertFailed = -3,
};

// `out` always receives a new block (or none on failure). Stereo becomes mono as the mean of the two
// channels; mono becomes stereo with both channels equal. Only whole blocks of the input are used.
int convertToPcm16(const WaveBlock& in, int channels, WaveBlock& out, int sampleRate = programSampleRate);

// The same conversion, giving the interleaved samples themselves (none on failure).
int convertToSamples16(const WaveBlock& in, int channels, std::vector<std::int16_t>& out,
                       int sampleRate = programSampleRate);

} // namespace lumivo::wave
