#pragma once
// Timing our library against a peer program (zip, unzip) in the same run: each measurement keeps its
// best wall time, and a peer runs as a child process.

#include "bench/Timing.h"

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace lumivo::bench
{

// The best wall time of each of four measurements, in seconds; max() until one ran.
class BestTimes
{
public:
    BestTimes() { m_best.fill(std::numeric_limits<double>::max()); }

    // Runs `work` once per iteration as manual time; a failed run stops the benchmark with an error.
    template <typename F> void timed(benchmark::State& state, int slot, F&& work)
    {
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            if (!work()) {
                state.SkipWithError("the run failed");
                return;
            }
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            state.SetIterationTime(seconds);
            m_best[slot] = std::min(m_best[slot], seconds);
        }
    }
    bool ran(int slot) const { return m_best[slot] < std::numeric_limits<double>::max(); }
    double operator[](int slot) const { return m_best[slot]; }

    // Prints "<label> <ours> ms   <peerName> <peer> ms   ratio <ours/peer>" when both sides ran (a
    // filtered run measures only some).
    void printRatio(const char* label, int ours, const char* peerName, int peer) const
    {
        if (ran(ours) && ran(peer))
            std::printf("%s %8.1f ms   %s %8.1f ms   ratio %.2f\n", label, m_best[ours] * 1e3, peerName,
                        m_best[peer] * 1e3, m_best[ours] / m_best[peer]);
    }

private:
    std::array<double, 4> m_best;
};

// Runs a peer program in `workingDir`; true when it ended normally with exit code 0 within 2 minutes.
inline bool runPeer(const QString& program, const QStringList& arguments, const QString& workingDir)
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace lumivo::bench
