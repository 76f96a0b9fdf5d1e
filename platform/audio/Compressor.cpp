#include "platform/audio/Compressor.h"

#include <algorithm>
#include <cmath>

namespace lumivo::audio
{

namespace
{

double smoothingCoefficient(double timeMs, int sampleRate)
{
    const double samples = timeMs * 0.001 * sampleRate;
    return samples <= 0.0 ? 0.0 : std::exp(-1.0 / samples);
}

double toDb(double amplitude)
{
    return 20.0 * std::log10(std::max(amplitude, 1e-6));
}
double fromDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

} // namespace

Compressor::Compressor(const CompressorSettings& settings, int sampleRate)
    : m_settings(settings), m_inputGain(fromDb(settings.gainDb)),
      m_attackCoefficient(smoothingCoefficient(settings.attackMs, sampleRate)),
      m_releaseCoefficient(smoothingCoefficient(settings.releaseMs, sampleRate))
{
}

double Compressor::gainReductionDb(double levelDb) const
{
    const double over = levelDb - m_settings.thresholdDb;
    if (over <= 0.0)
        return 0.0;
    return over - over / std::max(m_settings.ratio, 1.0);
}

std::int16_t Compressor::processSample(double input)
{
    input *= m_inputGain / 32768.0;
    const double levelDb = toDb(std::fabs(input));
    // The envelope follows a rising level with the attack time and a falling one with the release.
    const double coefficient = levelDb > m_envelopeDb ? m_attackCoefficient : m_releaseCoefficient;
    m_envelopeDb = levelDb + coefficient * (m_envelopeDb - levelDb);
    // The reduction never trails the current sample, so a sudden peak cannot slip through.
    const double reduction = gainReductionDb(std::max(m_envelopeDb, levelDb));
    const double output = input * fromDb(-reduction) * 32768.0;
    return static_cast<std::int16_t>(std::clamp(std::lround(output), -32768L, 32767L));
}

void Compressor::process(std::int16_t* samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = processSample(samples[i]);
}

void Compressor::process(const std::int32_t* sum, std::int16_t* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        out[i] = processSample(sum[i]);
}

} // namespace lumivo::audio
