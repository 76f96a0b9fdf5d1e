#pragma once
// A small dynamic-range compressor for the output stream. The gain lifts the signal before the level
// is measured, so quiet sounds come up by the gain while loud ones are held near the threshold; the
// output therefore stays below full scale for any input up to full scale.

#include <cstddef>
#include <cstdint>

namespace lumivo::audio
{

struct CompressorSettings {
    double gainDb = 10.0;
    double attackMs = 0.01;
    double releaseMs = 50.0;
    double thresholdDb = -10.0;
    double ratio = 8.0;
    double preDelayMs = 0.0; // no look-ahead: the attack is short enough to catch a peak
};

class Compressor
{
public:
    explicit Compressor(const CompressorSettings& settings = {}, int sampleRate = 44100);

    // Processes 16-bit samples in place.
    void process(std::int16_t* samples, std::size_t count);
    // Processes a mixed sum (which may exceed 16 bits) into 16-bit output.
    void process(const std::int32_t* sum, std::int16_t* out, std::size_t count);
    void reset() { m_envelopeDb = kSilenceDb; }

    const CompressorSettings& settings() const { return m_settings; }

private:
    static constexpr double kSilenceDb = -120.0;

    double gainReductionDb(double levelDb) const;
    std::int16_t processSample(double input);

    CompressorSettings m_settings;
    double m_inputGain;
    double m_attackCoefficient;
    double m_releaseCoefficient;
    double m_envelopeDb = kSilenceDb;
};

} // namespace lumivo::audio
