#include "platform/audio/Audio.h"
#include "platform/audio/AudioSubsystem.h"
#include "platform/audio/Capture.h"
#include "platform/audio/Decode.h"
#include "platform/types/Clock.h"

#include <SDL.h>

#include <mutex>

namespace lumivo::audio
{

namespace
{

struct OutputState {
    std::mutex lock;
    bool subsystemUp = false;
    SDL_AudioDeviceID device = 0;
    int periodFrames = 0;
    QString error;

    // At exit the audio thread must stop before the mixer it calls goes away.
    ~OutputState()
    {
        if (device != 0)
            SDL_CloseAudioDevice(device);
    }
};

OutputState& state()
{
    // The mixer is made first, so it is destroyed after the output state closes the device.
    static Mixer& theMixer = mixer();
    static OutputState s;
    (void)theMixer;
    return s;
}

void audioCallback(void*, Uint8* stream, int length)
{
    mixer().mix(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / kBytesPerSample);
}

QString sdlError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), SDL_GetError());
}

} // namespace

bool ensureAudioSubsystem()
{
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    if (s.subsystemUp)
        return true;
    // SDL would take SIGTERM and SIGINT for itself (audio brings up its event loop) and only queue a
    // quit event that nobody reads: a logout or Ctrl+C must reach the program's own handling instead.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        s.error = sdlError("SDL audio");
        return false;
    }
    s.subsystemUp = true;
    return true;
}

void setLastError(const QString& error)
{
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    s.error = error;
}

Mixer& mixer()
{
    static Mixer theMixer;
    return theMixer;
}

bool openOutput()
{
    if (!ensureAudioSubsystem())
        return false;
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    if (s.device != 0)
        return true;
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kPeriodFrames;
    wanted.callback = audioCallback;
    SDL_AudioSpec obtained{};
    // Only the period may differ: SDL converts rate, format and channels for the device.
    s.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (s.device == 0) {
        s.error = sdlError("audio output");
        return false;
    }
    s.periodFrames = obtained.samples;
    SDL_PauseAudioDevice(s.device, 0);
    return true;
}

bool isOutputOpen()
{
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    return s.device != 0;
}

int outputPeriodFrames()
{
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    return s.periodFrames;
}

QString lastError()
{
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    return s.error;
}

void shutdown()
{
    closeAllCaptures();
    OutputState& s = state();
    std::lock_guard guard(s.lock);
    if (s.device != 0)
        SDL_CloseAudioDevice(s.device);
    s.device = 0;
    s.periodFrames = 0;
    if (s.subsystemUp)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.subsystemUp = false;
    s.error.clear();
    mixer().stopAll();
    mixer().setCompressorEnabled(false);
    mixer().setPaused(false);
    mixer().setObserver({});
}

int playSamples(SharedSamples samples)
{
    if (!openOutput())
        return Mixer::kNoChannel;
    return mixer().play(std::move(samples));
}

int playWave(const QByteArray& fileBytes)
{
    QString error;
    auto samples = decodeSound(reinterpret_cast<const std::uint8_t*>(fileBytes.constData()),
                               static_cast<std::size_t>(fileBytes.size()), &error);
    if (!samples) {
        setLastError(error);
        return Mixer::kNoChannel;
    }
    return playSamples(std::make_shared<const Samples>(std::move(*samples)));
}

int playWaveFile(const QString& path)
{
    QString error;
    auto samples = decodeSoundFile(path, &error);
    if (!samples) {
        setLastError(error);
        return Mixer::kNoChannel;
    }
    return playSamples(std::make_shared<const Samples>(std::move(*samples)));
}

bool waitUntilDone(int channel, int timeoutMs)
{
    return clock::waitUntil([channel] { return !mixer().isPlaying(channel); },
                            static_cast<std::uint32_t>(timeoutMs));
}

} // namespace lumivo::audio
