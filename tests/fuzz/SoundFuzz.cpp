// Sound decoding: a WAVE image reads into a block that writes back to a WAVE image reading the same;
// whole sound files (WAVE, MP3, what the decoder knows) decode to whole frames within the sample limit
// or to an error in words; an MP3 stream decodes to a 16-bit block of the size reported.

#include "platform/wave/Mp3.h"
#include "platform/wave/Riff.h"
#include "platform/wave/SoundDecoder.h"
#include "platform/wave/WaveBlock.h"
#include "tests/fuzz/FuzzTarget.h"

#include <cmath>

namespace lumivo::fuzz::sound
{

namespace
{

using lumivo::wave::WaveBlock;

void checkWaveRoundTrip(const std::uint8_t* data, std::size_t size)
{
    WaveBlock block;
    if (lumivo::wave::readRiff(data, size, block) < 0) {
        fuzzCheck(block.isNull(), "a refused WAVE image leaves a block behind");
        return;
    }
    const Bytes written = lumivo::wave::toRiff(block);
    WaveBlock again;
    fuzzCheck(lumivo::wave::readRiff(written.data(), written.size(), again) >= 0,
              "a WAVE image written from a block does not read back");
    fuzzCheck(again.bytes() == block.bytes(), "a WAVE block changes in a round trip");
}

void checkDecoding(const std::uint8_t* data, std::size_t size, const lumivo::wave::SoundTarget& target)
{
    const lumivo::wave::DecodedSound sound = lumivo::wave::decodeSoundBytes(data, size, target);
    if (!sound.ok) {
        fuzzCheck(!sound.error.isEmpty() || sound.outOfMemory, "a sound fails to decode without a reason");
        return;
    }
    fuzzCheck(sound.samples.size() % std::size_t(target.channels) == 0, "decoded sound ends inside a frame");
    fuzzCheck(sound.samples.size() <= lumivo::wave::maxDecodedSamples,
              "decoded sound beyond the sample limit");
}

void checkMp3(const std::uint8_t* data, std::size_t size)
{
    WaveBlock block;
    const int result = lumivo::wave::decodeMp3(data, size, 0, block);
    if (result < 0)
        return;
    fuzzCheck(std::size_t(result) == block.size(), "an MP3 decodes to a block of another size than reported");
    fuzzCheck(block.formatTag() == lumivo::wave::formatPcm && block.bitsPerSample() == 16,
              "an MP3 decodes to something other than 16-bit PCM");
}

void fuzzSound(const std::uint8_t* data, std::size_t size)
{
    checkWaveRoundTrip(data, size);
    checkDecoding(data, size, {1, 22050, true});
    checkDecoding(data, size, {2, 44100, false});
    checkMp3(data, size);
}

std::vector<Bytes> soundSeeds()
{
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 2400; ++i)
        samples.push_back(static_cast<std::int16_t>(8000 * std::sin(i * 0.06)));
    const WaveBlock tone(lumivo::wave::WaveFormat::pcm(1, 8000, 16),
                         reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size() * 2);
    std::vector<Bytes> seeds{lumivo::wave::toRiff(tone)};
    Bytes mp3;
    if (lumivo::wave::encodeMp3(tone, {9, 32, lumivo::wave::Mp3Mode::Mono}, mp3) > 0)
        seeds.push_back(std::move(mp3));
    return seeds;
}

const FuzzTargetRegistration registration({"sound", &fuzzSound, &soundSeeds});

} // namespace

} // namespace lumivo::fuzz::sound
