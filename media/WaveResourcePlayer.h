#pragma once
// Plays a short interface sound kept as a "WAVE" resource of the program (a Qt resource under
// ":/wave/"), or given as the bytes of a WAVE file, through the program's audio path. The sound is
// converted once when it is made; playing it again costs nothing.

#include "platform/audio/AudioFormat.h"
#include "platform/audio/Mixer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class QWidget;

class CWaveResourcePlayer
{
public:
    CWaveResourcePlayer();
    virtual ~CWaveResourcePlayer();
    CWaveResourcePlayer(const CWaveResourcePlayer&) = delete;
    CWaveResourcePlayer& operator=(const CWaveResourcePlayer&) = delete;

    // Finds the resource `name` and makes the sound of it; false when it is missing or not a sound.
    bool PlayResource(const QString& name, QWidget* window = nullptr);
    // Makes the sound of a whole RIFF WAVE image; false when the image is damaged or cut short.
    bool Create(const QByteArray& bytes, QWidget* window = nullptr);
    // Plays from a byte position of the sample data (at most its size), looping when asked.
    void Play(std::uint32_t startPosition = 0, bool loop = false);
    // Plays on from where the sound stopped, without looping.
    void Resume();
    void Stop();
    bool IsReady() const;
    bool IsPlaying() const;
    // The sample of the converted sound that plays now, or where the sound stopped.
    std::size_t CurrentSample() const;

    // Where a resource of that name is looked for.
    static QString ResourcePath(const QString& name);

private:
    bool SampleIndexOf(std::uint32_t bytePosition, std::size_t& index) const;

    lumivo::audio::SharedSamples m_samples; // the sound in the mixer's format
    std::uint32_t m_sampleSize = 0;         // bytes of the "data" chunk
    std::uint16_t m_blockAlign = 0;         // bytes per frame of the "data" chunk
    std::uint32_t m_rate = 0;
    int m_handle = lumivo::audio::Mixer::kNoChannel;
    std::size_t m_stoppedAt = 0; // sample where Stop left the sound
    bool m_enabled = true;
};
