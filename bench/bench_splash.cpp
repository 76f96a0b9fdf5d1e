// How long one step of the splash's credits takes: the band rises a pixel, the entering line is
// drawn and the band is laid over its background picture, at the splash's size. The step runs on the
// user-interface thread every 40 ms; goal on this machine: under 1 ms, so start-up hardly notices it.

#include "shell/ScrollingTextStatic.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

namespace
{

void BM_CreditsStep(benchmark::State& state)
{
    CScrollingTextStatic credits;
    credits.resize(227, 106);
    credits.SetText(QStringLiteral("|Lumivo\t||Symbols that speak\r|for those who need them||Design and "
                                   "programming\r|The Lumivo team|"),
                    QLatin1Char('|'));
    credits.SetTransparentPictures(true);
    credits.SetBackgroundPicture(198);
    credits.Restart();
    for (auto _ : state)
        credits.Step(CScrollingTextStatic::kScrollTimerId);
}
BENCHMARK(BM_CreditsStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
