#include "platform/audio/Mixer.h"
#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace lumivo::audio
{

void SampleStream::append(const std::int16_t* samples, std::size_t count)
{
    std::lock_guard guard(m_lock);
    m_samples.insert(m_samples.end(), samples, samples + count);
}

void SampleStream::finish()
{
    std::lock_guard guard(m_lock);
    m_finished = true;
}

void SampleStream::discard()
{
    std::lock_guard guard(m_lock);
    m_finished = true;
    m_read = m_samples.size();
}

bool SampleStream::isFinished() const
{
    std::lock_guard guard(m_lock);
    return m_finished;
}

std::size_t SampleStream::take(std::int16_t* out, std::size_t count)
{
    std::lock_guard guard(m_lock);
    const std::size_t n = std::min(count, m_samples.size() - m_read);
    std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(m_read), n, out);
    m_read += n;
    return n;
}

bool SampleStream::isDrained() const
{
    std::lock_guard guard(m_lock);
    return m_finished && m_read == m_samples.size();
}

std::size_t SampleStream::appended() const
{
    std::lock_guard guard(m_lock);
    return m_samples.size();
}

void SampleStream::markEnded(std::uint32_t tick)
{
    m_endTick.store(tick == 0 ? 1 : tick);
    m_ended.store(true);
}

std::size_t audibleStart(const Samples& samples)
{
    constexpr int kFloor = 64; // about -54 dB, as the speech trimmer
    constexpr int kBelowPeak = 16;
    int peak = 0;
    for (std::int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    const int threshold = std::max(kFloor + 1, peak / kBelowPeak);
    const auto first = std::ranges::find_if(samples, [threshold](std::int16_t sample) {
        return std::abs(static_cast<int>(sample)) >= threshold;
    });
    return static_cast<std::size_t>(first - samples.begin());
}

Mixer::Mixer() : m_voices(kChannelCount + 1), m_heard(kChannelCount + 1)
{
    // The audio thread should not allocate: room for periods far longer than the one asked for.
    m_sum.reserve(16384);
    m_streamBuffer.reserve(16384);
}

int Mixer::claimChannel(int channel) const
{
    if (channel >= 1 && channel <= kChannelCount)
        return channel;
    for (int i = kChannelCount; i >= 1; --i) {
        if (!m_voices[i].active())
            return i;
    }
    return kNoChannel;
}

void Mixer::release(Voice& voice)
{
    if (voice.stream)
        voice.stream->markEnded(clock::tickCount());
    voice = Voice{};
}

int Mixer::start(int channel, Voice voice)
{
    std::lock_guard guard(m_lock);
    const int claimed = claimChannel(channel);
    if (claimed == kNoChannel)
        return kNoChannel;
    release(m_voices[claimed]);
    voice.serial = m_nextSerial;
    m_nextSerial = m_nextSerial >= 0x7FFFF ? 1 : m_nextSerial + 1;
    m_heard[claimed] = Heard{voice.serial, 0};
    m_voices[claimed] = std::move(voice);
    return m_voices[claimed].serial << 12 | claimed;
}

int Mixer::play(SharedSamples samples, int channel)
{
    return play(std::move(samples), channel, 0, false);
}

int Mixer::play(SharedSamples samples, int channel, std::size_t from, bool loop)
{
    if (!samples || samples->empty())
        return kNoChannel;
    from = std::min(from, samples->size());
    // Found before the lock, so the audio thread never waits for the scan.
    const std::size_t audible = std::max(from, audibleStart(*samples));
    return start(channel, Voice{std::move(samples), nullptr, from, 0, loop, audible});
}

int Mixer::play(std::shared_ptr<SampleStream> stream, int channel)
{
    if (!stream)
        return kNoChannel;
    return start(channel, Voice{nullptr, std::move(stream), 0, 0, false});
}

const Mixer::Voice* Mixer::find(int handle) const
{
    const int channel = channelOf(handle);
    if (handle <= 0 || channel < 1 || channel > kChannelCount)
        return nullptr;
    const Voice& voice = m_voices[channel];
    const int serial = handle >> 12;
    if (!voice.active() || (serial != 0 && serial != voice.serial))
        return nullptr;
    return &voice;
}

Mixer::Voice* Mixer::find(int handle)
{
    return const_cast<Voice*>(std::as_const(*this).find(handle));
}

void Mixer::stop(int handle)
{
    std::lock_guard guard(m_lock);
    if (Voice* voice = find(handle))
        release(*voice);
}

void Mixer::stopAll()
{
    std::lock_guard guard(m_lock);
    for (Voice& voice : m_voices)
        release(voice);
}

bool Mixer::isPlaying(int handle) const
{
    std::lock_guard guard(m_lock);
    return find(handle) != nullptr;
}

std::size_t Mixer::position(int handle) const
{
    std::lock_guard guard(m_lock);
    const Voice* voice = find(handle);
    return voice ? voice->position : 0;
}

std::uint32_t Mixer::heardTick(int handle) const
{
    const int channel = channelOf(handle);
    if (handle <= 0 || channel < 1 || channel > kChannelCount)
        return 0;
    std::lock_guard guard(m_lock);
    const Heard& heard = m_heard[static_cast<std::size_t>(channel)];
    return heard.serial == handle >> 12 ? heard.tick : 0;
}

void Mixer::setPaused(bool paused)
{
    std::lock_guard guard(m_lock);
    m_paused = paused;
}

void Mixer::setCompressorEnabled(bool on)
{
    std::lock_guard guard(m_lock);
    if (on && !m_compressorOn)
        m_compressor.reset();
    m_compressorOn = on;
}

bool Mixer::isCompressorEnabled() const
{
    std::lock_guard guard(m_lock);
    return m_compressorOn;
}

void Mixer::setObserver(Observer observer)
{
    std::lock_guard guard(m_lock);
    m_observer = std::move(observer);
}

void Mixer::mixVoice(Voice& voice, std::int32_t* sum, std::size_t count)
{
    if (voice.samples) {
        const Samples& samples = *voice.samples;
        std::size_t done = 0;
        do {
            const std::size_t n = std::min(count - done, samples.size() - voice.position);
            for (std::size_t i = 0; i < n; ++i)
                sum[done + i] += samples[voice.position + i];
            voice.position += n;
            done += n;
            if (voice.position >= samples.size() && voice.loop)
                voice.position = 0;
        } while (voice.loop && done < count);
        if (voice.position >= samples.size())
            voice = Voice{};
        return;
    }
    m_streamBuffer.resize(count);
    const std::size_t n = voice.stream->take(m_streamBuffer.data(), count);
    for (std::size_t i = 0; i < n; ++i)
        sum[i] += m_streamBuffer[i];
    voice.position += n;
    if (voice.stream->isDrained())
        release(voice);
}

// Notes the tick when the period about to be mixed carries the voice's first audible sample out.
void Mixer::noteHeard(int channel, const Voice& voice, std::size_t count, std::uint32_t tick)
{
    Heard& heard = m_heard[static_cast<std::size_t>(channel)];
    if (!voice.samples || heard.tick != 0 || voice.audibleFrom >= voice.samples->size() ||
        voice.audibleFrom < voice.position || voice.audibleFrom - voice.position >= count)
        return;
    heard = Heard{voice.serial, tick == 0 ? 1 : tick};
}

void Mixer::mix(std::int16_t* out, std::size_t count)
{
    std::lock_guard guard(m_lock);
    m_sum.assign(count, 0);
    if (!m_paused) {
        const std::uint32_t now = clock::tickCount();
        for (int channel = 1; channel <= kChannelCount; ++channel) {
            Voice& voice = m_voices[static_cast<std::size_t>(channel)];
            if (!voice.active())
                continue;
            noteHeard(channel, voice, count, now);
            mixVoice(voice, m_sum.data(), count);
        }
    }
    if (m_compressorOn) {
        m_compressor.process(m_sum.data(), out, count);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<std::int16_t>(std::clamp(m_sum[i], -32768, 32767));
    }
    if (m_observer)
        m_observer(out, count);
}

} // namespace lumivo::audio
