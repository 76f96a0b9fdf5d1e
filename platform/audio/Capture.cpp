#include "platform/audio/Capture.h"
#include "platform/audio/Audio.h"
#include "platform/audio/AudioSubsystem.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <set>

namespace lumivo::audio
{

struct Capture::Impl {
    SDL_AudioDeviceID device = 0;
    Samples buffer;
    std::size_t limit = 0;
    std::atomic<std::size_t> position{0};
    QString error;
};

namespace
{

std::mutex& registryLock()
{
    static std::mutex lock;
    return lock;
}

std::set<Capture::Impl*>& openCaptures()
{
    static std::set<Capture::Impl*> all;
    return all;
}

void captureCallback(void* userData, Uint8* stream, int length)
{
    auto* impl = static_cast<Capture::Impl*>(userData);
    const std::size_t position = impl->position.load(std::memory_order_relaxed);
    const std::size_t available = static_cast<std::size_t>(length) / kBytesPerSample;
    const std::size_t n = std::min(available, impl->limit - position);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    std::copy_n(samples, n, impl->buffer.data() + position);
    impl->position.store(position + n, std::memory_order_release);
}

void closeDevice(Capture::Impl& impl)
{
    if (impl.device != 0)
        SDL_CloseAudioDevice(impl.device); // waits for the audio thread to leave the callback
    impl.device = 0;
}

} // namespace

void closeAllCaptures()
{
    std::lock_guard guard(registryLock());
    for (Capture::Impl* impl : openCaptures())
        closeDevice(*impl);
    openCaptures().clear();
}

Capture::Capture() : m_impl(std::make_unique<Impl>()) {}

Capture::~Capture()
{
    stop();
}

bool Capture::start(std::size_t limit)
{
    stop();
    Impl& impl = *m_impl;
    impl.error.clear();
    impl.position.store(0);
    try {
        impl.buffer.assign(limit, 0);
    } catch (const std::exception&) {
        impl.error = QStringLiteral("Not enough memory for the recording");
        return false;
    }
    impl.limit = limit;
    if (!ensureAudioSubsystem()) {
        impl.error = lastError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    wanted.callback = captureCallback;
    wanted.userdata = &impl;
    SDL_AudioSpec obtained{};
    std::lock_guard guard(registryLock());
    impl.device = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (impl.device == 0) {
        impl.error = QStringLiteral("audio capture: %1").arg(QString::fromUtf8(SDL_GetError()));
        setLastError(impl.error);
        Samples().swap(impl.buffer);
        return false;
    }
    openCaptures().insert(&impl);
    SDL_PauseAudioDevice(impl.device, 0);
    return true;
}

bool Capture::isRunning() const
{
    std::lock_guard guard(registryLock());
    return m_impl->device != 0;
}

std::size_t Capture::position() const
{
    return m_impl->position.load(std::memory_order_acquire);
}

std::size_t Capture::limit() const
{
    return m_impl->limit;
}

Samples Capture::stop()
{
    Impl& impl = *m_impl;
    {
        std::lock_guard guard(registryLock());
        closeDevice(impl);
        openCaptures().erase(&impl);
    }
    Samples recorded;
    recorded.swap(impl.buffer);
    recorded.resize(impl.position.load(std::memory_order_acquire));
    impl.position.store(0);
    impl.limit = 0;
    return recorded;
}

QString Capture::error() const
{
    return m_impl->error;
}

} // namespace lumivo::audio
