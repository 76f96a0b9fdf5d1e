#include "platform/wave/PcmConverter.h"

#include "platform/wave/Riff.h"
#include "platform/wave/SoundDecoder.h"

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

} // namespace

int convertToSamples16(const WaveBlock& in, int channels, std::vector<std::int16_t>& out, int sampleRate)
{
    out.clear();
    if (in.isNull())
        return convertNoInput;
    channels = channels == 1 ? 1 : 2;
    const WaveFormat source = in.format();
    const std::size_t usable = in.wholeFrameBytes();
    if (source.isPcm16(sampleRate, channels)) {
        out = samplesOf(in.samples(), usable);
        return convertOk;
    }
    if (source.channels == 0 || source.blockAlign == 0 || source.samplesPerSec == 0)
        return convertFailed;
    if (usable == 0)
        return convertOk;
    const std::vector<std::uint8_t> riff = toRiff(WaveBlock(source, in.samples(), usable));
    DecodedSound sound = decodeSoundBytes(riff.data(), riff.size(), SoundTarget{channels, sampleRate, true});
    if (!sound.ok)
        return sound.outOfMemory ? convertNoMemory : convertFailed;
    out = std::move(sound.samples);
    return convertOk;
}

int convertToPcm16(const WaveBlock& in, int channels, WaveBlock& out, int sampleRate)
{
    out = WaveBlock();
    if (in.isNull())
        return convertNoInput;
    channels = channels == 1 ? 1 : 2;
    if (in.format().isPcm16(sampleRate, channels)) {
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
