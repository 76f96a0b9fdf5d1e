#include "platform/audio/Decode.h"

#include "platform/files/FileSystem.h"
#include "platform/wave/PcmConverter.h"
#include "platform/wave/Riff.h"
#include "platform/wave/SoundDecoder.h"

#include <bit>

namespace lumivo::audio
{

// Samples in memory are handed to the converter as the little-endian bytes of a wave block.
static_assert(std::endian::native == std::endian::little);

namespace
{

// WAVE files are read by our own reader and converter, which know every PCM layout (extensible headers
// included) and read what a streaming writer left unsized. A header no player can use is refused; a
// file the reader cannot make out otherwise still goes to the decoder, which may find sound in it.
std::optional<wave::DecodedSound> decodeWave(const std::uint8_t* data, std::size_t size)
{
    wave::WaveBlock block;
    const int read = wave::readRiff(data, size, block);
    wave::DecodedSound sound;
    if (read == wave::riffUnplayableFormat) {
        sound.error = QStringLiteral("The sound's format cannot be played");
        return sound;
    }
    if (read < 0)
        return std::nullopt;
    const int converted = wave::convertToSamples16(block, 1, sound.samples, kSampleRate);
    sound.ok = converted == wave::convertOk;
    sound.outOfMemory = converted == wave::convertNoMemory;
    if (!sound.ok)
        sound.error = QStringLiteral("The sound cannot be converted");
    return sound;
}

} // namespace

std::optional<Samples> decodeSound(const std::uint8_t* data, std::size_t size, QString* error)
{
    std::optional<wave::DecodedSound> fromWave = decodeWave(data, size);
    wave::DecodedSound sound =
        fromWave ? std::move(*fromWave)
                 : wave::decodeSoundBytes(data, size, wave::SoundTarget{1, kSampleRate, false});
    if (sound.ok && sound.samples.empty()) {
        sound.ok = false;
        sound.error = QStringLiteral("The file holds no sound");
    }
    if (error)
        *error = sound.ok ? QString() : sound.error;
    if (!sound.ok)
        return std::nullopt;
    return std::move(sound.samples);
}

std::optional<Samples> decodeSoundFile(const QString& path, QString* error)
{
    std::vector<std::uint8_t> bytes;
    switch (files::readWholeFile(path, bytes, files::kMaxMediaFileBytes)) {
    case files::ReadResult::Read:
        return decodeSound(bytes.data(), bytes.size(), error);
    case files::ReadResult::TooLarge:
        if (error)
            *error = QStringLiteral("The file is larger than a sound may be");
        return std::nullopt;
    case files::ReadResult::NotRead:
        break;
    }
    if (error)
        *error = QStringLiteral("File not found");
    return std::nullopt;
}

namespace
{

bool isConvertible(const PcmFormat& format)
{
    const int bits = format.bitsPerSample;
    const bool integerBits = bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return format.channels >= 1 && format.channels <= 32 && wave::isPlausibleSampleRate(format.sampleRate) &&
           (format.isFloat ? bits == 32 : integerBits);
}

} // namespace

std::optional<Samples> convertPcm(const std::uint8_t* data, std::size_t size, const PcmFormat& format)
{
    if (!isConvertible(format) || (!data && size > 0))
        return std::nullopt;
    wave::WaveFormat waveFormat =
        wave::WaveFormat::pcm(format.channels, format.sampleRate, format.bitsPerSample);
    if (format.isFloat)
        waveFormat.formatTag = wave::formatFloat;
    Samples mono;
    if (wave::convertToSamples16(wave::WaveBlock(waveFormat, data, size), 1, mono, kSampleRate) !=
        wave::convertOk)
        return std::nullopt;
    return mono;
}

Samples resampleTo44k(const Samples& samples, int fromRate)
{
    if (fromRate == kSampleRate || samples.empty())
        return samples;
    auto resampled = convertPcm(reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size() * 2,
                                PcmFormat{1, 16, fromRate, false});
    return resampled ? std::move(*resampled) : Samples{};
}

} // namespace lumivo::audio
