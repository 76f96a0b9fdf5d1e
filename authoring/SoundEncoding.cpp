#include "authoring/SoundEncoding.h"

#include "store/Utility.h"
#include "system/SystemStrings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace
{

constexpr int kMonoText = 5580;
constexpr int kStereoText = 5581;

struct Quality {
    std::uint16_t encoding;
    int textId;
};
// None, "No loss", "Excelent", "Good", "Poor".
constexpr Quality kQualities[] = {{0, 5570}, {2, 5571}, {4, 5572}, {6, 5573}, {7, 5574}};

constexpr int kToneRate = 44100;
constexpr int kToneHz = 500;
constexpr int kToneMs = 500;
constexpr double kToneAmplitude = 8000.0;

QString choiceText(const Quality& quality, int channelsText)
{
    return QStringLiteral("%1  (%2)").arg(LoadSystemString(quality.textId), LoadSystemString(channelsText));
}

} // namespace

std::vector<SoundChoice> SoundChoicesFor(int sourceChannels)
{
    std::vector<SoundChoice> choices;
    for (const Quality& quality : kQualities)
        choices.push_back({std::uint16_t(quality.encoding == 0 ? 0 : soundChannelMono | quality.encoding),
                           choiceText(quality, kMonoText)});
    if (sourceChannels > 1) {
        for (const Quality& quality : kQualities) {
            if (quality.encoding != 0)
                choices.push_back(
                    {std::uint16_t(soundChannelStereo | quality.encoding), choiceText(quality, kStereoText)});
        }
    }
    return choices;
}

std::uint32_t SoundBitRate(std::uint64_t bytes, std::uint64_t durationMs)
{
    if (durationMs == 0)
        return 0;
    const std::uint64_t rate = bytes * 1000 / durationMs;
    return std::uint32_t(std::min<std::uint64_t>(rate, std::numeric_limits<std::uint32_t>::max()));
}

EncodedSound EncodeSound(const WaveBlock& source, std::uint16_t format)
{
    EncodedSound encoded;
    if (source.isNull())
        return encoded;
    // A mono source has nothing to spread over two channels.
    if (source.channels() <= 1)
        format = std::uint16_t((format & ~soundChannelMask) | soundChannelMono);
    encoded.format = format;
    encoded.durationMs = std::uint32_t(std::min<std::uint64_t>(source.durationMs(), UINT32_MAX));
    const int encoding = format & soundKindMask;
    if (encoding == soundKindWave) {
        WaveBlock pcm;
        if (ConvertWaveToPcm(source, pcm, format) == convertWaveOk && !pcm.isNull())
            encoded.bytes = pcm.bytes();
    } else if (encoding >= soundKindMp3First && encoding <= soundKindMp3Last) {
        std::vector<std::uint8_t> mp3;
        if (EncodeMp3(source, mp3, format) > 0)
            encoded.bytes = std::move(mp3);
    }
    encoded.bitRate = SoundBitRate(encoded.bytes.size(), encoded.durationMs);
    return encoded;
}

std::optional<int> ClampedFirstNumber(const QString& text, int maximum)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return std::clamp(GetTokenInt(text, 1, QLatin1Char(',')), 0, maximum);
}

std::optional<int> SpeakerIdOf(const QString& text)
{
    return ClampedFirstNumber(text, kMaxSpeakerId);
}

bool PlaySoundBytes(const std::vector<std::uint8_t>& bytes, std::uint16_t format)
{
    if (bytes.empty())
        return false;
    const int encoding = format & soundKindMask;
    if (encoding == soundKindWave) {
        const auto block = WaveBlock::fromBytes(bytes.data(), bytes.size());
        if (!block)
            return false;
        PlaySoundData(*block);
        return true;
    }
    if (encoding >= soundKindMp3First && encoding <= soundKindMp3Last) {
        WaveBlock decoded;
        if (DecodeMp3(bytes, decoded, format) <= 0)
            return false;
        PlaySoundData(decoded);
        return true;
    }
    return false;
}

WaveBlock NothingToPlayTone()
{
    const int count = kToneRate * kToneMs / 1000;
    std::vector<std::uint8_t> samples;
    samples.reserve(std::size_t(count) * 2);
    for (int n = 0; n < count; ++n) {
        const double phase = 2.0 * std::numbers::pi * kToneHz * n / kToneRate;
        const auto value = std::int16_t(std::lround(kToneAmplitude * std::sin(phase)));
        samples.push_back(std::uint8_t(std::uint16_t(value) & 0xFF));
        samples.push_back(std::uint8_t(std::uint16_t(value) >> 8));
    }
    return WaveBlock(lumivo::wave::WaveFormat::pcm(1, kToneRate, 16), std::move(samples));
}

void PlayNothingToPlayTone()
{
    PlaySoundData(NothingToPlayTone());
}
