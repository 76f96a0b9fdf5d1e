#pragma once
// MP3 through the LAME library. Every call makes and ends its own encoder or decoder, so calls never
// share library state and two encodes in a row behave alike.

#include "platform/wave/WaveBlock.h"

#include <vector>

namespace lumivo::wave
{

enum class Mp3Mode { Stereo = 0, JointStereo = 1, Mono = 3 };

struct Mp3EncoderSettings {
    int quality = 0;      // the library's 0 (best, slowest) to 9
    int bitRateKbps = 64; // for the whole stream
    Mp3Mode mode = Mp3Mode::JointStereo;
};

enum Mp3Result : int {
    mp3NoInput = -1,
    mp3NotPcm16 = -2,
    mp3EncoderFailed = -3,
    mp3DecoderError = -4,
};

// Samples encoded per call of the library, per channel.
constexpr int mp3FrameSamples = 1152;

// Encodes 16-bit PCM (mono or stereo, at its own rate) and returns the MP3 byte count, or a code.
// The stream starts with an information frame that lets the decoder drop the codec's delay and padding.
int encodeMp3(const WaveBlock& pcm16, const Mp3EncoderSettings& settings, std::vector<std::uint8_t>& out);

// Decodes an MP3 stream into a 16-bit PCM block at the stream's own rate and returns the block's size
// (header included), or a code. `channels` 1 or 2 asks for that many (stereo is mixed to mono, mono
// doubled); 0 keeps the stream's own.
int decodeMp3(const std::uint8_t* data, std::size_t size, int channels, WaveBlock& out);

} // namespace lumivo::wave
