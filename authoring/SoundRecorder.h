#pragma once
// A new sound for an icon or a word, held until it is stored: loaded from a sound file or recorded
// through a sound device of its own (at most CSoundDevice::kRecordLimit samples, 16-bit mono at
// 44,100 Hz), and played for the author to hear. A sound shorter than kShortestSoundMs, loaded or
// recorded, is dropped without a word: a click on the record button and at once again is no sound.
//
// While it records, it looks every kPollMs whether the recording has ended by itself (the limit was
// reached) and then tells its owner, whose record button reads "start" again.

#include "media/SoundDevice.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class CSoundRecorder : public QObject
{
public:
    static constexpr std::uint32_t kShortestSoundMs = 200;
    static constexpr int kPollMs = 200;

    // `changed` runs when a recording ends by itself.
    explicit CSoundRecorder(std::function<void()> changed = {});
    ~CSoundRecorder() override;

    // Loads a sound file (a sound too short, or a file that cannot be read, leaves none); a SoundError.
    int LoadFile(const QString& path);
    // Starts recording, or stops the recording under way; false when no recording could start.
    bool ToggleRecording();
    // Stops playing and recording; a sound too short is dropped.
    void Stop();
    void Play();
    bool IsRecording();
    bool HasSound() const { return m_device.GetSample() != nullptr; }
    const CSoundSample* Sample() const { return m_device.GetSample(); }
    std::uint32_t LengthMs() const { return m_device.GetLengthMs(); }

    // One look at the recording, as the timer takes it (public for tests).
    void Poll();

private:
    void dropIfShort();

    CSoundDevice m_device;
    QTimer m_poll;
    std::function<void()> m_changed;
};
