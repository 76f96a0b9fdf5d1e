// How soon a pressed icon is heard: from the call that starts a sound to the first non-silent sample
// that leaves the mixer, timed at the mixer: a recorded word through the sound device, a WAVE file
// through the audio path, and a spoken word through the speech engine (synthesised, trimmed of its
// leading silence and streamed). Goals on this machine: a recorded word within 15 ms, a spoken word
// within 30 ms.

#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "platform/speech/Speech.h"
#include "platform/wave/Riff.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace lumivo;
using Clock = std::chrono::steady_clock;

namespace
{

bool shortRun()
{
    return std::getenv("LUMIVO_BENCH_SHORT") != nullptr;
}

// Timestamps, at the mixer, the first sample above the silence threshold after arm().
class AudibleProbe
{
public:
    AudibleProbe()
    {
        audio::mixer().setObserver([this](const std::int16_t* samples, std::size_t count) {
            if (!m_armed.load(std::memory_order_acquire))
                return;
            const auto now = Clock::now();
            for (std::size_t i = 0; i < count; ++i) {
                if (std::abs(static_cast<int>(samples[i])) > 64) {
                    const auto offset = std::chrono::nanoseconds(i * 1'000'000'000ull / audio::kSampleRate);
                    m_heardAt = now + offset;
                    m_armed.store(false, std::memory_order_release);
                    m_heard.store(true, std::memory_order_release);
                    return;
                }
            }
        });
    }
    ~AudibleProbe() { audio::mixer().setObserver({}); }

    void arm()
    {
        m_heard.store(false);
        m_armed.store(true, std::memory_order_release);
    }
    // Milliseconds from `start` to the first audible sample; negative when nothing came within 2 s.
    double waitFrom(Clock::time_point start)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (!m_heard.load(std::memory_order_acquire)) {
            if (Clock::now() > deadline) {
                m_armed.store(false);
                return -1.0;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return std::chrono::duration<double, std::milli>(m_heardAt - start).count();
    }

private:
    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_heard{false};
    Clock::time_point m_heardAt;
};

void appendLe(QByteArray& bytes, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A recorded word: 0.4 s of a voiced tone at 22,050 Hz, as a WAVE file.
QByteArray recordedWord()
{
    QByteArray data;
    for (int i = 0; i < 8820; ++i) {
        const double t = i / 22050.0;
        const auto value = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 180 * t) * (1 - t / 0.4));
        appendLe(data, static_cast<std::uint16_t>(value), 2);
    }
    QByteArray wave("RIFF");
    appendLe(wave, static_cast<std::uint32_t>(36 + data.size()), 4);
    wave.append("WAVEfmt ");
    for (auto [value, width] :
         {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {22050u, 4}, {44100u, 4}, {2u, 2}, {16u, 2}})
        appendLe(wave, value, width);
    wave.append("data");
    appendLe(wave, static_cast<std::uint32_t>(data.size()), 4);
    return wave + data;
}

// Runs `start` at a varying point of the output period, so the figures cover every phase.
void measure(benchmark::State& state, const std::function<int()>& start)
{
    if (!audio::openOutput()) {
        state.SkipWithError("no audio output");
        return;
    }
    AudibleProbe probe;
    std::vector<double> figures;
    int phase = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::microseconds(700 * (phase++ % 9)));
        probe.arm();
        const auto begin = Clock::now();
        const int handle = start();
        const double ms = handle < 0 ? -1.0 : probe.waitFrom(begin);
        if (ms < 0) {
            state.SkipWithError("the sound was never heard");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        figures.push_back(ms);
        audio::mixer().stopAll();
    }
    if (figures.empty())
        return;
    std::sort(figures.begin(), figures.end());
    state.counters["median_ms"] = figures[figures.size() / 2];
    state.counters["max_ms"] = figures.back();
    state.counters["period_frames"] = audio::outputPeriodFrames();
}

// A recorded word as an icon plays it: the sound device builds its sound from the wave block and
// starts it.
void BM_RecordedWordLatency(benchmark::State& state)
{
    const QByteArray file = recordedWord();
    wave::WaveBlock block;
    wave::readRiff(reinterpret_cast<const std::uint8_t*>(file.constData()),
                   static_cast<std::size_t>(file.size()), block);
    if (CSoundDevice::InitSound() != 0) {
        state.SkipWithError("no sound device");
        return;
    }
    measure(state, [&block] {
        theSoundDevice->LoadFromWaveData(&block);
        theSoundDevice->Play();
        return theSoundDevice->IsPlaying() ? 1 : -1;
    });
    theSoundDevice->Stop();
}

// A system sound: a WAVE file in memory handed to the audio path.
void BM_WaveFileLatency(benchmark::State& state)
{
    const QByteArray word = recordedWord();
    measure(state, [&word] { return audio::playWave(word); });
}

// A spoken word as an icon speaks it; the engine's call returns when the word has been said, but the
// figure is the time to its first sound.
void BM_SpokenWordLatency(benchmark::State& state)
{
    CSpeechEngine engine;
    if (engine.Init() != 0 || engine.SelectVoice(QStringLiteral("Danish")) != 0) {
        state.SkipWithError("no speech synthesiser");
        return;
    }
    measure(state, [&engine] { return engine.Speak(QStringLiteral("hund")) == speakDone ? 1 : -1; });
}

int iterations()
{
    return shortRun() ? 8 : 60;
}

} // namespace

BENCHMARK(BM_RecordedWordLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(iterations());
BENCHMARK(BM_WaveFileLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(iterations());
BENCHMARK(BM_SpokenWordLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(iterations());

int main(int argc, char** argv)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 0); // no device needed; a real one is used when named
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Goals: a recorded word heard within 15 ms, a spoken word within 30 ms (mean above).\n");
    CSoundDevice::CloseSound();
    return 0;
}
