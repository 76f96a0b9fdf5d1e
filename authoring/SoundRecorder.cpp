#include "authoring/SoundRecorder.h"

CSoundRecorder::CSoundRecorder(std::function<void()> changed) : m_changed(std::move(changed))
{
    m_poll.setSingleShot(true);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] { Poll(); });
}

CSoundRecorder::~CSoundRecorder()
{
    m_poll.stop();
    m_device.Stop();
}

int CSoundRecorder::LoadFile(const QString& path)
{
    const int result = m_device.Load(path);
    dropIfShort();
    return result;
}

bool CSoundRecorder::ToggleRecording()
{
    if (m_device.IsRecording()) {
        Stop();
        return true;
    }
    if (m_device.StartRecording() != soundDeviceOk)
        return false;
    m_poll.start();
    return true;
}

void CSoundRecorder::Stop()
{
    m_poll.stop();
    m_device.Stop();
    dropIfShort();
}

void CSoundRecorder::Play()
{
    m_device.Play();
}

bool CSoundRecorder::IsRecording()
{
    return m_device.IsRecording();
}

void CSoundRecorder::Poll()
{
    if (m_device.IsRecording()) {
        m_poll.start();
        return;
    }
    // The recording filled its room and stopped by itself.
    if (m_changed)
        m_changed();
}

void CSoundRecorder::dropIfShort()
{
    if (m_device.GetSample() && m_device.GetLengthMs() < kShortestSoundMs)
        m_device.Free();
}
