#include "media/WaveResourcePlayer.h"

#include "platform/audio/Audio.h"
#include "platform/wave/PcmConverter.h"
#include "platform/wave/Riff.h"

#include <QFile>

#include <algorithm>

using namespace lumivo;

CWaveResourcePlayer::CWaveResourcePlayer() = default;

CWaveResourcePlayer::~CWaveResourcePlayer()
{
    Stop();
}

QString CWaveResourcePlayer::ResourcePath(const QString& name)
{
    return QStringLiteral(":/wave/") + name;
}

bool CWaveResourcePlayer::PlayResource(const QString& name, QWidget* window)
{
    QFile resource(ResourcePath(name));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    return Create(resource.readAll(), window);
}

bool CWaveResourcePlayer::Create(const QByteArray& bytes, QWidget*)
{
    Stop();
    m_samples.reset();
    m_sampleSize = 0;
    if (!audio::openOutput())
        return false;
    // The reader walks the chunks within the bytes that are there: a size that claims more than the
    // image holds is refused, never read past.
    wave::WaveBlock block;
    if (wave::readRiff(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()), block) < 0)
        return false;
    auto samples = std::make_shared<audio::Samples>();
    if (wave::convertToSamples16(block, 1, *samples) != wave::convertOk || samples->empty())
        return false;
    m_samples = std::move(samples);
    m_sampleSize = static_cast<std::uint32_t>(block.sampleBytes());
    m_blockAlign = std::max<std::uint16_t>(block.blockAlign(), 1);
    m_rate = block.samplesPerSec();
    m_stoppedAt = 0;
    return true;
}

bool CWaveResourcePlayer::SampleIndexOf(std::uint32_t bytePosition, std::size_t& index) const
{
    if (!m_samples || m_rate == 0)
        return false;
    const std::uint64_t frame = std::min(bytePosition, m_sampleSize) / m_blockAlign;
    index = std::min<std::size_t>(static_cast<std::size_t>(frame * audio::kSampleRate / m_rate),
                                  m_samples->size());
    return true;
}

void CWaveResourcePlayer::Play(std::uint32_t startPosition, bool loop)
{
    std::size_t start = 0;
    if (!IsReady() || !m_enabled || !SampleIndexOf(startPosition, start))
        return;
    audio::mixer().stop(m_handle);
    m_handle = audio::mixer().play(m_samples, 0, start, loop);
}

void CWaveResourcePlayer::Resume()
{
    if (!IsReady() || !m_enabled)
        return;
    Stop(); // a sound still playing goes on from where it is now, no longer looping
    m_handle = audio::mixer().play(m_samples, 0, m_stoppedAt, false);
}

void CWaveResourcePlayer::Stop()
{
    if (m_handle <= 0)
        return; // stopping a stopped sound keeps its place
    // A sound that ran to its end is rewound, like a buffer that stopped by itself.
    m_stoppedAt = audio::mixer().position(m_handle);
    audio::mixer().stop(m_handle);
    m_handle = audio::Mixer::kNoChannel;
}

std::size_t CWaveResourcePlayer::CurrentSample() const
{
    return IsPlaying() ? audio::mixer().position(m_handle) : m_stoppedAt;
}

bool CWaveResourcePlayer::IsReady() const
{
    return audio::isOutputOpen() && m_samples && !m_samples->empty() && m_sampleSize != 0;
}

bool CWaveResourcePlayer::IsPlaying() const
{
    return m_handle > 0 && audio::mixer().isPlaying(m_handle);
}
