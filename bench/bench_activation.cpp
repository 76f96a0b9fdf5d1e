// How soon an activated icon is heard in the running program: the application started on the default
// data (no splash), the start page in the main pane, the browse tool, one icon selected; from a Space
// key event delivered to the client window to the first non-silent sample at the mixer, for an icon
// whose word has a recorded sound and for one that is spoken. Goals: 15 ms and 30 ms; median and
// 95th percentile printed.

#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/Sound.h"
#include "media/SpeechEngine.h"
#include "panes/Panes.h"
#include "panes/PanesWiring.h"
#include "platform/audio/Audio.h"
#include "shell/App.h"
#include "shell/MainFrame.h"
#include "shell/ShellWiring.h"
#include "store/Registry.h"
#include "system/SystemSettings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace
{

constexpr int kHeardLevel = 64;
constexpr auto kGiveUp = std::chrono::seconds(3);

CQuibApp* theBenchApp = nullptr;
CQuibIcon* theRecordedIcon = nullptr;
CQuibIcon* theSpokenIcon = nullptr;

// Timestamps, at the mixer, the first sample above the silence level after arm().
class AudibleProbe
{
public:
    AudibleProbe()
    {
        lumivo::audio::mixer().setObserver([this](const std::int16_t* samples, std::size_t count) {
            if (!m_armed.load(std::memory_order_acquire))
                return;
            const auto now = Clock::now();
            for (std::size_t i = 0; i < count; ++i) {
                if (std::abs(static_cast<int>(samples[i])) > kHeardLevel) {
                    m_heardAt =
                        now + std::chrono::nanoseconds(i * 1'000'000'000ull / lumivo::audio::kSampleRate);
                    m_armed.store(false, std::memory_order_release);
                    m_heard.store(true, std::memory_order_release);
                    return;
                }
            }
        });
    }
    ~AudibleProbe() { lumivo::audio::mixer().setObserver({}); }

    void arm()
    {
        m_heard.store(false);
        m_armed.store(true, std::memory_order_release);
    }
    // Milliseconds from `start` to the first audible sample; negative when nothing came. The event
    // loop runs meanwhile, as it would in the program.
    double waitFrom(Clock::time_point start)
    {
        const auto deadline = Clock::now() + kGiveUp;
        while (!m_heard.load(std::memory_order_acquire)) {
            if (Clock::now() > deadline) {
                m_armed.store(false);
                return -1.0;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        return std::chrono::duration<double, std::milli>(m_heardAt - start).count();
    }

private:
    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_heard{false};
    Clock::time_point m_heardAt;
};

void silence()
{
    StopSound();
    if (theSpeechEngine)
        theSpeechEngine->StopSpeaking();
    lumivo::audio::mixer().stopAll();
    while (IsSoundPlaying())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void sendSpace(QWidget& client)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&client, &press);
    QApplication::sendEvent(&client, &release);
}

void measure(benchmark::State& state, CQuibIcon* icon, const std::function<void(CQuibIcon&)>& activate)
{
    if (!icon) {
        state.SkipWithError("no such icon on the start page");
        return;
    }
    AudibleProbe probe;
    std::vector<double> figures;
    for (auto _ : state) {
        silence();
        probe.arm();
        const auto begin = Clock::now();
        activate(*icon);
        const double ms = probe.waitFrom(begin);
        if (ms < 0) {
            state.SkipWithError("nothing was heard");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        figures.push_back(ms);
    }
    silence();
    if (figures.empty())
        return;
    std::sort(figures.begin(), figures.end());
    state.counters["median_ms"] = figures[figures.size() / 2];
    state.counters["p95_ms"] = figures[std::min(figures.size() - 1, figures.size() * 95 / 100)];
}

void byKey(CQuibIcon& icon)
{
    theSelectedIcons.clear();
    icon.Select();
    theFocusPane = &theMainPane;
    sendSpace(*MainFrame()->ClientWindow());
}

void BM_SpaceKeyRecordedWord(benchmark::State& state)
{
    measure(state, theRecordedIcon, byKey);
}
void BM_SpaceKeySpokenWord(benchmark::State& state)
{
    measure(state, theSpokenIcon, byKey);
}
bool hasRecordedSound(const CQuibIcon& icon)
{
    return FindSoundById(icon.ShownWordId, 5) != nullptr;
}

// The first icon of the start page with a recorded word, and the first that is spoken (a link's word is
// spoken as any other when the icon is activated).
void chooseIcons()
{
    CQuibBg* page = theMainPane.GetPage();
    if (!page)
        return;
    for (const auto& icon : page->Icons) {
        if (icon->ShownWordId == 0)
            continue;
        if (!theRecordedIcon && hasRecordedSound(*icon))
            theRecordedIcon = icon.get();
        else if (!theSpokenIcon && !hasRecordedSound(*icon))
            theSpokenIcon = icon.get();
    }
}

// The program on a copy of the default data, in folders of its own; false without the data.
bool startProgram(const QTemporaryDir& work)
{
    const QString build = QCoreApplication::applicationDirPath();
    if (!QFile::exists(build + "/Data/Default.tvf") || !QFile::exists(build + "/Users/TUF.tvf"))
        return false;
    QDir().mkpath(work.filePath("Data"));
    QDir().mkpath(work.filePath("Users"));
    QFile::copy(build + "/Data/Default.tvf", work.filePath("Data/Default.tvf"));
    QFile::copy(build + "/Users/TUF.tvf", work.filePath("Users/TUF.tvf"));
    {
        CRegistry registry;
        registry.CreateKey(kSettingsRoot);
        registry.WriteString(kSettingsRoot, "Default_dir", work.path());
    }
    theBenchApp->ParseCommandLine({"lumivo", "/Embedding"});
    if (!theBenchApp->InitInstance())
        return false;
    theBenchApp->OnIdle(0); // the speech engine is made on the first idle pass
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!theSpeechEngine->IsReady() && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    chooseIcons();
    return true;
}

int iterations()
{
    return std::getenv("LUMIVO_BENCH_SHORT") ? 5 : 40;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    for (const char* folder :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        QDir().mkpath(work.filePath(folder));
        ::setenv(folder, QFile::encodeName(work.filePath(folder)).constData(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    // Wired as main() wires the program, so that a press reaches every follower it reaches there.
    WirePanes();
    WireShell();
    CQuibApp app;
    theBenchApp = &app;
    if (!startProgram(work)) {
        std::printf("bench_activation: no default data beside the program; nothing measured\n");
        return 0;
    }
    using Bench = void (*)(benchmark::State&);
    const std::pair<const char*, Bench> benches[] = {{"BM_SpaceKeyRecordedWord", BM_SpaceKeyRecordedWord},
                                                     {"BM_SpaceKeySpokenWord", BM_SpaceKeySpokenWord}};
    for (const auto& [name, bench] : benches)
        benchmark::RegisterBenchmark(name, bench)
            ->UseManualTime()
            ->Iterations(iterations())
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Goals: a recorded word heard within 15 ms, a spoken word within 30 ms of the Space key.\n");
    app.ExitInstance(0);
    return 0;
}
