#pragma once
// Turns sound from outside into the program's one format (16-bit mono, 44,100 Hz): whole sound files
// in any format the decoder knows, and raw PCM described by its wave header.

#include "platform/audio/AudioFormat.h"

#include <QString>

#include <optional>

namespace lumivo::audio
{

// Decodes a whole sound file held in memory; none, with a reason, when it is not a sound.
std::optional<Samples> decodeSound(const std::uint8_t* data, std::size_t size, QString* error = nullptr);
// The same for a file, of at most files::kMaxMediaFileBytes: a larger one is refused unread.
std::optional<Samples> decodeSoundFile(const QString& path, QString* error = nullptr);

struct PcmFormat {
    int channels = 1;
    int bitsPerSample = 16; // 8 (unsigned), 16, 24 or 32 (signed integers)
    int sampleRate = kSampleRate;
    bool isFloat = false; // 32-bit IEEE float samples
};

// Converts interleaved PCM to the program's format; a trailing partial frame is dropped.
// None when the format is not one that can be converted.
std::optional<Samples> convertPcm(const std::uint8_t* data, std::size_t size, const PcmFormat& format);

// Resamples 16-bit mono from `fromRate` to 44,100 Hz.
Samples resampleTo44k(const Samples& samples, int fromRate);

} // namespace lumivo::audio
