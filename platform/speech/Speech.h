#pragma once
// Speech through the eSpeak NG synthesiser, played through the program's one audio path. One worker
// thread owns the synthesiser: it starts it, lists its voices and turns texts into sound, which goes
// to the mixer as it is made, with the synthesiser's leading silence cut away.

#include "platform/audio/AudioFormat.h"
#include "platform/audio/Mixer.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lumivo::speech
{

struct Voice {
    QString name;          // shown to people and stored in their settings, e.g. "Danish"
    QString identifier;    // the synthesiser's own key, e.g. "gmw/da"
    QStringList languages; // language codes it speaks, most fitting first, e.g. "en-gb", "en"
};

// One text being spoken.
class Utterance
{
public:
    Utterance();
    // True once the sound has been made and played to its end (or synthesis failed or was cut).
    bool isDone() const;
    // Tick at which it ended; 0 while it has not ended.
    std::uint32_t endTick() const;
    // Waits at most `timeoutMs` for the end; true when it ended.
    bool waitUntilDone(int timeoutMs) const;
    bool failed() const { return m_failed.load(); }
    void stop();

    // Worker side.
    std::shared_ptr<audio::SampleStream> stream() const { return m_stream; }
    void finish(bool failed);
    bool isCancelled() const { return m_cancelled.load(); }
    bool synthesisDone() const { return m_synthesisDone.load(); }

private:
    std::shared_ptr<audio::SampleStream> m_stream;
    std::atomic<bool> m_synthesisDone{false};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_cancelled{false};
};

// Starts the synthesiser on its worker thread and waits (at most `timeoutMs`) until it is up.
// Safe to call from any thread and more than once; true when speech is available.
bool initialise(int timeoutMs = 20000);
bool isInitialised();
// The installed voices, in the synthesiser's order; empty before initialisation.
std::vector<Voice> voices();
// The voice called `name` (without regard to case), or none.
std::optional<Voice> findVoice(const QString& name);
// The first voice for a language code such as "da" or "en".
std::optional<Voice> voiceForLanguage(const QString& language);

// Speaks `text` with the voice of that identifier, into the mixer. Returns at once; none when the
// synthesiser is not up, the text is empty or the output cannot be opened.
std::shared_ptr<Utterance> speak(const QString& text, const QString& voiceIdentifier);
// Makes the sound of `text` without playing it (waits at most `timeoutMs`).
std::optional<audio::Samples> synthesize(const QString& text, const QString& voiceIdentifier,
                                         int timeoutMs = 10000);

// Drops the synthesiser's own silence at the start of speech.
class LeadingSilenceTrimmer
{
public:
    // Returns the index of the first sample to keep; `count` while everything so far is silent.
    std::size_t keepFrom(const std::int16_t* samples, std::size_t count);
    static constexpr int kThreshold = 64; // about -54 dB

private:
    bool m_heard = false;
};

// Linear resampler that carries its position across chunks, for a stream in arbitrary pieces.
class StreamResampler
{
public:
    explicit StreamResampler(int fromRate, int toRate = audio::kSampleRate);
    void process(const std::int16_t* in, std::size_t count, audio::Samples& out);

private:
    double m_step;
    double m_position = 0.0; // in input samples, relative to the start of the current chunk
    std::int16_t m_previous = 0;
    bool m_started = false;
};

} // namespace lumivo::speech
