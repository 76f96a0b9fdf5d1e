#include "platform/wave/PcmConverter.h"

#include "platform/wave/Riff.h"
#include "platform/wave/SoundDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumivo::wave
{

namespace
{

std::vector<std::int16_t> samplesOf(const std::uint8_t* bytes, std::size_t size)
{
    std::vector<std::int16_t> samples(size / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

WaveBlock pcmBlockOf(const std::vector<std::int16_t>& samples, int channels, int sampleRate)
{
    WaveBlock block(WaveFormat::pcm(channels, sampleRate, 16), nullptr, 0);
    block.resizeSamples(samples.size() * 2);
    std::uint8_t* bytes = block.samples();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = std::uint8_t(samples[i]);
        bytes[2 * i + 1] = std::uint8_t(std::uint16_t(samples[i]) >> 8);
    }
    return block;
}

std::int16_t fromFloat(double value)
{
    if (!(value == value)) // NaN
        return 0;
    return std::int16_t(std::lround(std::clamp(value * 32768.0, -32768.0, 32767.0)));
}

// One sample of linear PCM as 16 bits. Integer samples keep their top 16 bits: valid bits fewer than the
// container's width are left-justified, so the container width alone decides.
std::int16_t linearSample(const std::uint8_t* at, int bits, bool isFloat)
{
    if (isFloat) {
        if (bits == 32) {
            float value;
            std::memcpy(&value, at, 4);
            return fromFloat(value);
        }
        double value;
        std::memcpy(&value, at, 8);
        return fromFloat(value);
    }
    switch (bits) {
    case 8:
        return std::int16_t((at[0] - 128) * 256);
    case 16:
        return std::int16_t(at[0] | (at[1] << 8));
    default: // 24 and 32: the two most significant bytes
        return std::int16_t(at[bits / 8 - 2] | (at[bits / 8 - 1] << 8));
    }
}

// Integer and float PCM of any width to 16-bit samples at the source's own rate and channels. The
// header is read here, not by a demuxer, which takes an extensible header's widths for other formats.
std::vector<std::int16_t> linearTo16(const WaveFormat& format, const std::uint8_t* bytes, std::size_t size)
{
    const int width = format.bitsPerSample / 8;
    const bool isFloat = format.sampleFormatTag() == formatFloat;
    std::vector<std::int16_t> samples(size / std::size_t(width));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = linearSample(bytes + i * std::size_t(width), format.bitsPerSample, isFloat);
    return samples;
}

// Other rates and channel counts go through the decoder's resampler as plain 16-bit PCM.
int resample16(std::vector<std::int16_t>&& samples, const WaveFormat& source, int channels, int sampleRate,
               std::vector<std::int16_t>& out)
{
    if (source.channels == channels && int(source.samplesPerSec) == sampleRate) {
        out = std::move(samples);
        return convertOk;
    }
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = std::uint8_t(samples[i]);
        bytes[2 * i + 1] = std::uint8_t(std::uint16_t(samples[i]) >> 8);
    }
    samples = {};
    const WaveFormat pcm16 = WaveFormat::pcm(source.channels, int(source.samplesPerSec), 16);
    const std::vector<std::uint8_t> riff = toRiff(WaveBlock(pcm16, std::move(bytes)));
    DecodedSound sound = decodeSoundBytes(riff.data(), riff.size(), SoundTarget{channels, sampleRate, true});
    if (!sound.ok)
        return sound.outOfMemory ? convertNoMemory : convertFailed;
    out = std::move(sound.samples);
    return convertOk;
}

} // namespace

int convertToSamples16(const WaveBlock& in, int channels, std::vector<std::int16_t>& out, int sampleRate)
{
    out.clear();
    if (in.isNull())
        return convertNoInput;
    channels = channels == 1 ? 1 : 2;
    const WaveFormat source = in.format();
    const std::size_t usable = in.wholeFrameBytes();
    // A header no player can use, or no sound at all, is a failure: never an empty sound to store.
    if (!source.isConvertible() || usable == 0)
        return convertFailed;
    if (source.isPcm16(sampleRate, channels)) {
        out = samplesOf(in.samples(), usable);
        return convertOk;
    }
    int result = convertOk;
    if (source.isLinear()) {
        if (usable / std::size_t(std::max(1, source.bitsPerSample / 8)) > maxDecodedSamples)
            return convertNoMemory;
        result = resample16(linearTo16(source, in.samples(), usable), source, channels, sampleRate, out);
    } else {
        // Compressed formats (ADPCM, mu-law, A-law, GSM, MP3 in WAVE) are the decoder's.
        const std::vector<std::uint8_t> riff = toRiff(WaveBlock(source, in.samples(), usable));
        DecodedSound sound =
            decodeSoundBytes(riff.data(), riff.size(), SoundTarget{channels, sampleRate, true});
        result = sound.ok ? convertOk : sound.outOfMemory ? convertNoMemory : convertFailed;
        out = std::move(sound.samples);
    }
    if (result == convertOk && out.empty())
        result = convertFailed;
    if (result != convertOk)
        out.clear();
    return result;
}

int convertToPcm16(const WaveBlock& in, int channels, WaveBlock& out, int sampleRate)
{
    out = WaveBlock();
    if (in.isNull())
        return convertNoInput;
    channels = channels == 1 ? 1 : 2;
    if (in.format().isPcm16(sampleRate, channels) && in.wholeFrameBytes() > 0) {
        out = WaveBlock(in.format(), in.samples(), in.wholeFrameBytes());
        return convertOk;
    }
    std::vector<std::int16_t> samples;
    const int result = convertToSamples16(in, channels, samples, sampleRate);
    if (result == convertOk)
        out = pcmBlockOf(samples, channels, sampleRate);
    return result;
}

} // namespace lumivo::wave
