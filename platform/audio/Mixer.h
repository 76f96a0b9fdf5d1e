#pragma once
// The program's mixer: a fixed set of channels, each playing at most one sound, summed into one 16-bit
// mono stream at 44,100 Hz and passed through the compressor when it is on. The audio thread calls
// mix(); every other member is called from the program's own threads. Shared state sits under one
// lock that the audio thread holds only while it mixes one short period.

#include "platform/audio/AudioFormat.h"
#include "platform/audio/Compressor.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace lumivo::audio
{

// Sound that arrives while it plays (speech, as it is synthesised).
class SampleStream
{
public:
    void append(const std::int16_t* samples, std::size_t count);
    // No more samples will come: the channel ends when it has played what it holds.
    void finish();
    // Ends at once: what has not been played is dropped.
    void discard();
    bool isFinished() const;
    // Takes up to `count` samples; returns how many it took.
    std::size_t take(std::int16_t* out, std::size_t count);
    bool isDrained() const;
    std::size_t appended() const;
    // The mixer notes when the stream has left its channel: played out, stopped or replaced.
    void markEnded(std::uint32_t tick);
    bool hasEnded() const { return m_ended.load(); }
    std::uint32_t endTick() const { return m_endTick.load(); }

private:
    std::atomic<bool> m_ended{false};
    std::atomic<std::uint32_t> m_endTick{0};
    mutable std::mutex m_lock;
    std::vector<std::int16_t> m_samples;
    std::size_t m_read = 0;
    bool m_finished = false;
};

// Where a sound begins to be heard: the first sample that reaches a sixteenth of its peak (and lies
// above the speech trimmer's floor), so a recording's hiss before the word does not count as its start.
// The size when it is silent throughout.
std::size_t audibleStart(const Samples& samples);

class Mixer
{
public:
    static constexpr int kChannelCount = 32;
    // The handle of a sound that did not start: no channel was free, or there was nothing to play.
    static constexpr int kNoChannel = -1;
    // Called on the audio thread with each mixed period, after the compressor.
    using Observer = std::function<void(const std::int16_t* samples, std::size_t count)>;

    Mixer();

    // Starts a sound. `channel` 1..kChannelCount replaces what plays there; 0 takes a free channel
    // (searched from the top, so sounds played on a chosen low channel rarely meet them).
    // Returns a handle: the channel in its low 12 bits and a serial above them, so a handle never
    // refers to a later sound on the same channel. kNoChannel when no channel is free or the sound is empty.
    int play(SharedSamples samples, int channel = 0);
    int play(std::shared_ptr<SampleStream> stream, int channel = 0);
    // Plays from sample `start` (at most the length); a looping sound starts again from 0 at its end.
    int play(SharedSamples samples, int channel, std::size_t start, bool loop);
    // These take a handle from play(), or a bare channel number for whatever plays there.
    void stop(int handle);
    bool isPlaying(int handle) const;
    // Samples of the sound played so far; 0 when it is not playing.
    std::size_t position(int handle) const;
    // The tick of the period that carried the sound's first audible sample out, noted while the
    // output plays it and kept after it ends; 0 while it has not been heard, for a sound that is
    // silent throughout, and once its channel plays another sound. Streams are not noted.
    std::uint32_t heardTick(int handle) const;
    void stopAll();
    static int channelOf(int handle) { return handle & 0xFFF; }
    void setPaused(bool paused);

    void setCompressorEnabled(bool on);
    bool isCompressorEnabled() const;
    void setObserver(Observer observer);

    // Fills `out` with the next `count` samples of the output.
    void mix(std::int16_t* out, std::size_t count);

private:
    struct Voice {
        SharedSamples samples;
        std::shared_ptr<SampleStream> stream;
        std::size_t position = 0;
        int serial = 0;
        bool loop = false;
        std::size_t audibleFrom = 0; // the first sample loud enough to be heard; the size when none is
        bool active() const { return samples || stream; }
    };
    // When the sound of that serial on a channel was first heard; survives the sound's end.
    struct Heard {
        int serial = 0;
        std::uint32_t tick = 0;
    };

    int claimChannel(int channel) const;
    int start(int channel, Voice voice);
    // The voice a handle refers to, or none.
    const Voice* find(int handle) const;
    Voice* find(int handle);
    void release(Voice& voice);
    void mixVoice(Voice& voice, std::int32_t* sum, std::size_t count);
    void noteHeard(int channel, const Voice& voice, std::size_t count, std::uint32_t tick);

    mutable std::mutex m_lock;
    std::vector<Voice> m_voices;
    std::vector<Heard> m_heard;
    std::vector<std::int32_t> m_sum;
    std::vector<std::int16_t> m_streamBuffer;
    Compressor m_compressor;
    bool m_compressorOn = false;
    bool m_paused = false;
    int m_nextSerial = 1;
    Observer m_observer;
};

} // namespace lumivo::audio
