#include "platform/speech/Speech.h"

#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"

#include <espeak-ng/speak_lib.h>

#include <QDebug>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace lumivo::speech
{

// ---- Utterance --------------------------------------------------------------------------------

Utterance::Utterance() : m_stream(std::make_shared<audio::SampleStream>()) {}

bool Utterance::isDone() const
{
    if (m_stream->hasEnded())
        return true;
    return m_synthesisDone.load() && (m_failed.load() || m_cancelled.load());
}

std::uint32_t Utterance::endTick() const
{
    return m_stream->endTick();
}

bool Utterance::waitUntilDone(int timeoutMs) const
{
    return clock::waitUntil([this] { return isDone(); }, static_cast<std::uint32_t>(timeoutMs));
}

void Utterance::stop()
{
    m_cancelled.store(true);
    m_stream->discard();
}

void Utterance::finish(bool failed)
{
    m_failed.store(failed);
    m_stream->finish();
    m_synthesisDone.store(true);
}

// ---- Trimming and resampling ----------------------------------------------------------------

std::size_t LeadingSilenceTrimmer::keepFrom(const std::int16_t* samples, std::size_t count)
{
    if (m_heard)
        return 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::abs(static_cast<int>(samples[i])) > kThreshold) {
            m_heard = true;
            return i;
        }
    }
    return count;
}

StreamResampler::StreamResampler(int fromRate, int toRate)
    : m_step(static_cast<double>(fromRate) / static_cast<double>(toRate))
{
}

void StreamResampler::process(const std::int16_t* in, std::size_t count, audio::Samples& out)
{
    if (count == 0)
        return;
    if (!m_started) {
        m_started = true;
        m_previous = in[0];
        m_position = 1.0;
    }
    // Index 0 is the last sample of the previous chunk, 1..count this chunk.
    const auto at = [&](std::size_t i) { return i == 0 ? m_previous : in[i - 1]; };
    const double end = static_cast<double>(count);
    while (m_position < end) {
        const auto index = static_cast<std::size_t>(m_position);
        const double fraction = m_position - static_cast<double>(index);
        const double value = at(index) + (at(index + 1) - at(index)) * fraction;
        out.push_back(static_cast<std::int16_t>(std::lround(value)));
        m_position += m_step;
    }
    m_previous = in[count - 1];
    m_position -= end;
}

// ---- The worker that owns the synthesiser --------------------------------------------------

namespace
{

struct Job {
    QString text;
    QString voice;
    std::shared_ptr<Utterance> utterance;
};

struct SynthesisContext {
    Utterance* utterance;
    LeadingSilenceTrimmer trimmer;
    StreamResampler resampler;
    audio::Samples converted;
};

int synthCallback(short* wav, int count, espeak_EVENT* events)
{
    auto* context = events ? static_cast<SynthesisContext*>(events->user_data) : nullptr;
    if (!context)
        return 0;
    if (context->utterance->isCancelled())
        return 1;
    if (!wav || count <= 0)
        return 0;
    const std::size_t n = static_cast<std::size_t>(count);
    const std::size_t keep = context->trimmer.keepFrom(wav, n);
    if (keep >= n)
        return 0;
    context->converted.clear();
    context->resampler.process(wav + keep, n - keep, context->converted);
    context->utterance->stream()->append(context->converted.data(), context->converted.size());
    return 0;
}

QStringList languagesOf(const char* list)
{
    // Entries of a priority byte, a language name and its terminating zero; an empty name ends it.
    QStringList languages;
    for (const char* p = list; p && p[0] && p[1];) {
        const QString name = QString::fromUtf8(p + 1);
        languages << name;
        p += 2 + name.toUtf8().size();
    }
    return languages;
}

class Worker
{
public:
    ~Worker() { shutDown(); }

    bool start(int timeoutMs);
    bool isUp() const { return m_up.load(std::memory_order_acquire); }
    std::vector<Voice> voices() const
    {
        std::lock_guard guard(m_lock);
        return m_voices;
    }
    void post(Job job);

private:
    void run(std::promise<bool> ready);
    bool startSynthesiser();
    void synthesise(const Job& job);
    void shutDown();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::shared_ptr<Utterance> m_current; // the text being synthesised now
    std::vector<Voice> m_voices;
    std::thread m_thread;
    std::shared_future<bool> m_ready;
    std::atomic<bool> m_up{false};
    bool m_stopping = false;
    int m_sampleRate = 22050;
};

Worker& worker()
{
    static Worker theWorker;
    return theWorker;
}

bool Worker::start(int timeoutMs)
{
    std::shared_future<bool> ready;
    {
        std::lock_guard guard(m_lock);
        if (!m_thread.joinable()) {
            std::promise<bool> promise;
            m_ready = promise.get_future().share();
            m_thread = std::thread([this, p = std::move(promise)]() mutable { run(std::move(p)); });
        }
        ready = m_ready;
    }
    if (ready.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return false;
    return ready.get();
}

bool Worker::startSynthesiser()
{
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        qWarning() << "speech: the synthesiser did not start";
        return false;
    }
    m_sampleRate = rate;
    espeak_SetSynthCallback(synthCallback);
    std::vector<Voice> found;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        const espeak_VOICE* voice = *v;
        found.push_back(Voice{QString::fromUtf8(voice->name), QString::fromUtf8(voice->identifier),
                              languagesOf(voice->languages)});
    }
    std::lock_guard guard(m_lock);
    m_voices = std::move(found);
    return true;
}

void Worker::run(std::promise<bool> ready)
{
    const bool up = startSynthesiser();
    m_up.store(up, std::memory_order_release);
    ready.set_value(up);
    for (;;) {
        Job job;
        bool stopping = false;
        {
            std::unique_lock guard(m_lock);
            m_wake.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_current = job.utterance;
            stopping = m_stopping;
        }
        if (up && !stopping)
            synthesise(job);
        else
            job.utterance->finish(true);
        std::lock_guard guard(m_lock);
        m_current.reset();
    }
    if (up)
        espeak_Terminate();
}

void Worker::synthesise(const Job& job)
{
    if (job.utterance->isCancelled()) {
        job.utterance->finish(true);
        return;
    }
    const QByteArray voice = job.voice.toUtf8();
    if (!voice.isEmpty() && espeak_SetVoiceByName(voice.constData()) != EE_OK) {
        qWarning() << "speech: no voice" << job.voice;
        job.utterance->finish(true);
        return;
    }
    SynthesisContext context{job.utterance.get(), {}, StreamResampler(m_sampleRate), {}};
    const QByteArray text = job.text.toUtf8();
    const espeak_ERROR result = espeak_Synth(text.constData(), static_cast<std::size_t>(text.size()) + 1, 0,
                                             POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &context);
    const bool madeSound = job.utterance->stream()->appended() > 0;
    job.utterance->finish(result != EE_OK || !madeSound);
}

void Worker::post(Job job)
{
    {
        std::lock_guard guard(m_lock);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void Worker::shutDown()
{
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
        // The text being synthesised is cut too, so the program never waits for a long text at exit.
        if (m_current)
            m_current->stop();
        for (Job& job : m_jobs)
            job.utterance->stop();
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

std::shared_ptr<Utterance> post(const QString& text, const QString& voiceIdentifier)
{
    if (text.isEmpty() || !isInitialised())
        return nullptr;
    auto utterance = std::make_shared<Utterance>();
    worker().post(Job{text, voiceIdentifier, utterance});
    return utterance;
}

} // namespace

// ---- Public functions -----------------------------------------------------------------------

bool initialise(int timeoutMs)
{
    return worker().start(timeoutMs);
}

bool isInitialised()
{
    return worker().isUp();
}

std::vector<Voice> voices()
{
    return worker().voices();
}

std::optional<Voice> findVoice(const QString& name)
{
    for (const Voice& voice : voices()) {
        if (voice.name.compare(name, Qt::CaseInsensitive) == 0)
            return voice;
    }
    return std::nullopt;
}

std::optional<Voice> voiceForLanguage(const QString& language)
{
    const std::vector<Voice> all = voices();
    for (const Voice& voice : all) {
        if (voice.languages.contains(language, Qt::CaseInsensitive))
            return voice;
    }
    // "en" is also served by a voice that only names a regional form such as "en-gb".
    const QString regional = language + QLatin1Char('-');
    for (const Voice& voice : all) {
        for (const QString& code : voice.languages) {
            if (code.startsWith(regional, Qt::CaseInsensitive))
                return voice;
        }
    }
    return std::nullopt;
}

std::shared_ptr<Utterance> speak(const QString& text, const QString& voiceIdentifier)
{
    if (text.isEmpty() || !isInitialised() || !audio::openOutput())
        return nullptr;
    auto utterance = post(text, voiceIdentifier);
    // The channel plays silence until the first sound arrives, so speech starts the moment it is made.
    if (utterance && audio::mixer().play(utterance->stream()) == audio::Mixer::kNoChannel) {
        utterance->stop();
        return nullptr;
    }
    return utterance;
}

std::optional<audio::Samples> synthesize(const QString& text, const QString& voiceIdentifier, int timeoutMs)
{
    auto utterance = post(text, voiceIdentifier);
    if (!utterance)
        return std::nullopt;
    if (!clock::waitUntil([&utterance] { return utterance->synthesisDone(); },
                          static_cast<std::uint32_t>(timeoutMs))) {
        utterance->stop();
        return std::nullopt;
    }
    if (utterance->failed())
        return std::nullopt;
    audio::Samples samples(utterance->stream()->appended());
    utterance->stream()->take(samples.data(), samples.size());
    return samples;
}

} // namespace lumivo::speech
