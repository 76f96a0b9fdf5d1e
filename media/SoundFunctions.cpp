// The sound functions around the stored sound object: wave files, conversion, MP3 and playback.

#include "media/SoundFunctions.h"

#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "platform/registry/Registry.h"
#include "platform/types/Clock.h"
#include "platform/types/WinTypes.h"
#include "platform/wave/Mp3.h"
#include "platform/wave/PcmConverter.h"
#include "platform/wave/Riff.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

// The sound functions pass the platform's results on unchanged, so their names must keep its values.
namespace
{
constexpr bool sameCode(int ours, int platforms)
{
    return ours == platforms;
}
} // namespace
static_assert(sameCode(readWaveNotOpened, lumivo::wave::riffFileNotOpened) &&
              sameCode(readWaveNotRiffWave, lumivo::wave::riffNotWave) &&
              sameCode(readWaveNoFormat, lumivo::wave::riffNoFormat) &&
              sameCode(readWaveNoData, lumivo::wave::riffNoData) &&
              sameCode(readWaveShortData, lumivo::wave::riffShortData) &&
              sameCode(readWaveTooLarge, lumivo::wave::riffTooLarge));
static_assert(sameCode(convertWaveOk, lumivo::wave::convertOk) &&
              sameCode(convertWaveNoInput, lumivo::wave::convertNoInput) &&
              sameCode(convertWaveNoMemory, lumivo::wave::convertNoMemory) &&
              sameCode(convertWaveFailed, lumivo::wave::convertFailed));

std::int32_t theSoundModel = 3;
std::atomic<std::uint32_t> theWaveOutHandle{0};
std::atomic<std::uint32_t> theLastSoundTick{0};

namespace
{

bool soundModelRead = false;

// The sound that model 1 plays on its own: which mixer channel, from when, for how long.
struct AsyncSound {
    int channel = 0;
    std::uint32_t startTick = 0;
    std::uint32_t lengthMs = 0;
};
AsyncSound asyncSound;

// The tick noted last, which the resets of theLastSoundTick leave alone; and the start of a device
// sound that waits to be moved to the moment it is heard.
std::uint32_t lastNotedTick = 0;
struct DeviceStart {
    bool waiting = false;
    std::uint32_t playTick = 0;
};
DeviceStart deviceStart;

constexpr std::uint32_t blockingWaitMs = 2000;
constexpr int kNoChannel = lumivo::audio::Mixer::kNoChannel;

// The sound model is an int setting under the program's settings root, or under the older one.
std::int32_t readSoundModelSetting()
{
    auto& settings = lumivo::registry::registry();
    for (const char* key : {"SOFTWARE\\halvorix\\Lumivo\\2.0", "SOFTWARE\\halvorix\\Morvelt\\2.0"}) {
        const auto value = settings.readValue(lumivo::registry::Root::LocalMachine, QString::fromLatin1(key),
                                              QStringLiteral("SoundModel"));
        if (value && value->bytes.size() == 4) {
            const auto* b = reinterpret_cast<const std::uint8_t*>(value->bytes.constData());
            return std::int32_t(b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24));
        }
    }
    return 0;
}

struct Mp3Level {
    int quality;
    int bitRate;
};

Mp3Level levelOf(int flags)
{
    switch (flags & 15) {
    case 4:
        return {1, 64};
    case 5:
        return {2, 64};
    case 6:
        return {3, 48};
    case 7:
        return {6, 32};
    case 8:
        return {9, 24};
    default:
        return {0, 64};
    }
}

lumivo::wave::Mp3Mode modeOf(int flags, int inputChannels)
{
    using lumivo::wave::Mp3Mode;
    switch (flags & soundChannelMask) {
    case soundChannelMono:
        return Mp3Mode::Mono;
    case soundChannelStereo:
        return inputChannels < 2 ? Mp3Mode::Mono : Mp3Mode::Stereo;
    default:
        return Mp3Mode::JointStereo;
    }
}

// The block as the output stream's samples: 16-bit mono at its rate; empty when it cannot be made.
lumivo::audio::SharedSamples outputSamplesOf(const WaveBlock& block)
{
    auto samples = std::make_shared<lumivo::audio::Samples>();
    if (lumivo::wave::convertToSamples16(block, 1, *samples, lumivo::audio::kSampleRate) !=
        lumivo::wave::convertOk)
        return nullptr;
    return samples->empty() ? nullptr : samples;
}

void playOnDevice(const WaveBlock& block)
{
    CSoundDevice* device = theSoundDevice.get();
    if (!device || theWaveOutHandle != 0)
        return;
    theWaveOutHandle = 1;
    device->Stop();
    const bool started = device->LoadFromWaveData(&block) == soundDeviceOk && device->Play() == soundDeviceOk;
    theWaveOutHandle = 0;
    const std::uint32_t now = CurrentSoundTick();
    NoteSoundTick(now);
    // The output takes the sound at its next period, and a recording may open with silence: the start
    // that counts is when the person hears it.
    deviceStart = {started, now};
}

// Starts the block on the wave output when it is free and notes the channel as the open handle;
// the channel, or kNoChannel when nothing started.
int startOnWaveOutput(const WaveBlock& block, std::uint32_t* lengthMs = nullptr)
{
    const auto samples = outputSamplesOf(block);
    if (!samples || theWaveOutHandle != 0)
        return kNoChannel;
    const int channel = lumivo::audio::playSamples(samples);
    if (channel == kNoChannel)
        return kNoChannel;
    if (lengthMs)
        *lengthMs = lumivo::audio::samplesToMs(samples->size());
    theWaveOutHandle = std::uint32_t(channel);
    return channel;
}

void playWaiting(const WaveBlock& block)
{
    const int channel = startOnWaveOutput(block);
    if (channel == kNoChannel)
        return;
    const std::uint32_t start = CurrentSoundTick();
    while (!lumivo::audio::waitUntilDone(channel, 10) && CurrentSoundTick() - start < blockingWaitMs)
        theSoundWaitIdleHook();
    lumivo::audio::mixer().stop(channel);
    theWaveOutHandle = 0;
    NoteSoundTick(CurrentSoundTick());
}

void playWithoutWaiting(const WaveBlock& block)
{
    std::uint32_t lengthMs = 0;
    const int channel = startOnWaveOutput(block, &lengthMs);
    if (channel != kNoChannel)
        asyncSound = {channel, CurrentSoundTick(), lengthMs};
}

// Model 1 learns of the end by asking: no thread of the output ever touches the program's state.
// The end counts from when the sound ran out, not from when someone asked.
void noteAsyncEnd()
{
    if (asyncSound.channel == 0)
        return;
    const std::uint32_t playedMs = CurrentSoundTick() - asyncSound.startTick;
    if (lumivo::audio::mixer().isPlaying(asyncSound.channel) && playedMs <= asyncSound.lengthMs + 500)
        return;
    NoteSoundTick(asyncSound.startTick + std::min(playedMs, asyncSound.lengthMs));
    theWaveOutHandle = 0;
    asyncSound = {};
}

void noteHeardStart()
{
    if (!deviceStart.waiting)
        return;
    const std::uint32_t heard = theSoundDevice ? theSoundDevice->GetHeardTick() : 0;
    if (heard == 0)
        return;
    deviceStart.waiting = false;
    if (lastNotedTick != deviceStart.playTick)
        return; // a later sound was noted meanwhile
    lastNotedTick = heard;
    // A reset since (a click) stays: it frees the next long press.
    if (theLastSoundTick == deviceStart.playTick)
        theLastSoundTick = heard;
}

} // namespace

lumivo::Hook<void()> theSoundWaitIdleHook{[] {}};

std::uint32_t CurrentSoundTick()
{
    return lumivo::clock::tickCount();
}

void NoteSoundTick(std::uint32_t tick)
{
    theLastSoundTick = tick;
    lastNotedTick = tick;
    deviceStart = {};
}

void InitSoundModel()
{
    if (soundModelRead)
        return;
    soundModelRead = true;
    if (const std::int32_t model = readSoundModelSetting())
        theSoundModel = model;
}

int ReadWaveFile(const QString& path, WaveBlock& out)
{
    return lumivo::wave::readWaveFile(path, out);
}

bool WriteWaveFile(const QString& path, const WaveBlock& block)
{
    return lumivo::wave::writeWaveFile(path, block);
}

int GetWaveChannels(const WaveBlock& block)
{
    return block.channels();
}

std::uint32_t GetWaveDurationMs(const WaveBlock& block)
{
    return std::uint32_t(
        std::min<std::uint64_t>(block.durationMs(), std::numeric_limits<std::uint32_t>::max()));
}

int ConvertWaveToPcm(const WaveBlock& in, WaveBlock& out, int flags)
{
    const int channels = (flags & soundChannelMask) == soundChannelMono ? 1 : 2;
    try {
        return lumivo::wave::convertToPcm16(in, channels, out);
    } catch (const std::bad_alloc&) {
        out = WaveBlock();
        return convertWaveNoMemory;
    }
}

int ScaleWaveSamples(WaveBlock& block, double factor)
{
    if (block.isNull())
        return scaleWaveNoBlock;
    if (block.bitsPerSample() != 16)
        return scaleWaveNot16Bit;
    std::uint8_t* samples = block.samples();
    const std::size_t count = block.wholeFrameBytes() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const double value = std::int16_t(samples[2 * i] | (samples[2 * i + 1] << 8)) * factor;
        const auto scaled = std::int16_t(std::clamp(std::trunc(value), -32768.0, 32767.0));
        samples[2 * i] = std::uint8_t(scaled);
        samples[2 * i + 1] = std::uint8_t(std::uint16_t(scaled) >> 8);
    }
    return scaleWaveOk;
}

int EncodeMp3(const WaveBlock& in, std::vector<std::uint8_t>& out, int flags)
{
    out.clear();
    InitSoundModel();
    if (in.isNull())
        return mp3CodecNoInput;
    // Only 16-bit PCM goes to the encoder as it is, at its own rate; everything else is converted.
    const WaveBlock* pcm = &in;
    WaveBlock converted;
    const auto format = in.format();
    if (!format.isPcm16(int(format.samplesPerSec), 1) && !format.isPcm16(int(format.samplesPerSec), 2)) {
        const int channelFlags = in.channels() == 1 ? 0x102 : 0x202;
        if (ConvertWaveToPcm(in, converted, channelFlags) != convertWaveOk)
            return mp3CodecConversionFailed;
        pcm = &converted;
    }
    const Mp3Level level = levelOf(flags);
    lumivo::wave::Mp3EncoderSettings settings;
    settings.quality = level.quality;
    settings.mode = modeOf(flags, pcm->channels());
    settings.bitRateKbps = settings.mode == lumivo::wave::Mp3Mode::Stereo ? level.bitRate * 2 : level.bitRate;
    const int made = lumivo::wave::encodeMp3(*pcm, settings, out);
    return made < 0 ? mp3CodecEncoderFailed : made;
}

int DecodeMp3(const std::vector<std::uint8_t>& in, WaveBlock& out, int flags)
{
    out = WaveBlock();
    InitSoundModel();
    if (in.empty())
        return mp3CodecNoInput;
    const int channels = (flags & soundChannelMask) == soundChannelMono ? 1 : 0;
    const int made = lumivo::wave::decodeMp3(in.data(), in.size(), channels, out);
    if (made >= 0)
        return made;
    return made == lumivo::wave::mp3NoInput ? mp3CodecNoInput : mp3CodecDecoderError;
}

void PlaySoundData(const WaveBlock& block)
{
    if (block.isNull())
        return;
    noteAsyncEnd();
    switch (theSoundModel) {
    case 3:
        playOnDevice(block);
        break;
    case 2:
        playWaiting(block);
        break;
    case 1:
        playWithoutWaiting(block);
        break;
    default:
        break;
    }
}

void StopSound()
{
    if (theSoundDevice)
        theSoundDevice->Stop();
}

bool IsSoundPlaying()
{
    noteAsyncEnd();
    noteHeardStart();
    if (theWaveOutHandle != 0)
        return true;
    // The speaking flag counts only while the program has no sound device.
    if (theSoundDevice)
        return theSoundDevice->IsPlaying();
    return theSpeechEngine && theSpeechEngine->IsSpeaking();
}

std::uint32_t GetSoundElapsedMs()
{
    noteAsyncEnd();
    noteHeardStart();
    return CurrentSoundTick() - theLastSoundTick;
}

std::uint32_t GetNotedSoundElapsedMs()
{
    noteAsyncEnd();
    noteHeardStart();
    return CurrentSoundTick() - lastNotedTick;
}

void ResetSoundState()
{
    if (asyncSound.channel != 0)
        lumivo::audio::mixer().stop(asyncSound.channel);
    asyncSound = {};
    theSoundModel = 3;
    theWaveOutHandle = 0;
    theLastSoundTick = 0;
    lastNotedTick = 0;
    deviceStart = {};
    soundModelRead = false;
    theSoundWaitIdleHook.reset();
}
