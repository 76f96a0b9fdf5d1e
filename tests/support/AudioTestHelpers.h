#pragma once
// Helpers for tests that play or record through SDL's "disk" driver.

#include "platform/audio/Audio.h"
#include "platform/audio/AudioFormat.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace lumivo::test
{

// Sends the output stream to `outputFile` and reads capture from `inputFile` (when given). With
// `fast`, the driver does not pace itself in real time.
inline void useDiskAudio(const QString& outputFile, const QString& inputFile = {}, bool fast = false)
{
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", outputFile.toUtf8().constData(), 1);
    if (!inputFile.isEmpty())
        ::setenv("SDL_DISKAUDIOFILEIN", inputFile.toUtf8().constData(), 1);
    if (fast)
        ::setenv("SDL_DISKAUDIODELAY", "0", 1);
}

// Audio and speech run on threads of their own, which a loaded machine may run late: tests wait for
// what they check with a generous bound instead of sleeping for a fixed time. The wait is in real
// time even on a test clock, since those threads really have to do the work.
constexpr int kGenerousWaitMs = 20000;

template <typename Condition> bool waitFor(Condition condition, int timeoutMs = kGenerousWaitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A stand-in for the outside reader program: a shell script that appends each argument it gets,
// formatted by `printfFormat` (such as "[%s]"), to `outputFile`.
inline bool writeReaderScript(const QString& script, const QString& outputFile, const QString& printfFormat)
{
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%1' \"$a\" >> '%2'; done\n")
                   .arg(printfFormat, outputFile)
                   .toUtf8());
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

inline audio::Samples sine(double amplitude, double hz, std::size_t count, int rate = audio::kSampleRate)
{
    audio::Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] =
            static_cast<std::int16_t>(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * hz * i / rate)));
    return samples;
}

inline int peakOf(const std::int16_t* samples, std::size_t count)
{
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

inline int peakOf(const audio::Samples& samples)
{
    return peakOf(samples.data(), samples.size());
}

inline void appendLe(QByteArray& bytes, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A plain RIFF WAVE file of PCM samples.
inline QByteArray makeWaveFile(const QByteArray& data, int channels, int rate, int bits)
{
    QByteArray bytes("RIFF");
    appendLe(bytes, static_cast<std::uint32_t>(36 + data.size()), 4);
    bytes.append("WAVEfmt ");
    appendLe(bytes, 16, 4);
    appendLe(bytes, 1, 2);
    appendLe(bytes, static_cast<std::uint32_t>(channels), 2);
    appendLe(bytes, static_cast<std::uint32_t>(rate), 4);
    appendLe(bytes, static_cast<std::uint32_t>(rate * channels * bits / 8), 4);
    appendLe(bytes, static_cast<std::uint32_t>(channels * bits / 8), 2);
    appendLe(bytes, static_cast<std::uint32_t>(bits), 2);
    bytes.append("data");
    appendLe(bytes, static_cast<std::uint32_t>(data.size()), 4);
    bytes.append(data);
    return bytes;
}

// Records the loudest sample that leaves the mixer.
class LoudestSample
{
public:
    LoudestSample()
    {
        audio::mixer().setObserver([this](const std::int16_t* s, std::size_t n) {
            m_peak.store(std::max(m_peak.load(), peakOf(s, n)));
        });
    }
    ~LoudestSample() { audio::mixer().setObserver({}); }
    int peak() const { return m_peak.load(); }

private:
    std::atomic<int> m_peak{0};
};

inline QByteArray sampleBytes(const audio::Samples& samples)
{
    return QByteArray(reinterpret_cast<const char*>(samples.data()),
                      static_cast<qsizetype>(samples.size() * sizeof(std::int16_t)));
}

} // namespace lumivo::test
