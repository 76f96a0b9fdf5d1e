// From starting the program under Xvfb to the first paint of its main window with the start page's
// pictures on the screen, beside a minimal Qt program that only opens a main window, in the same run.
// Goal: Lumivo takes at most three times as long, and its resident memory after start, on the default
// data, stays under 120 MB.
//
// Lumivo starts without the splash ("Embedding"): with it, start-up waits a second for the splash on
// purpose, which says nothing of the program's own work.
// The screen is read from outside, as a person sees it: the bench is a client of the same Xvfb and
// grabs the root window until the picture is there.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <string>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>
#include <vector>

namespace
{

constexpr char kMinimalSwitch[] = "--minimal-window";
constexpr char kUnderXvfb[] = "LUMIVO_BENCH_UNDER_XVFB";
constexpr int kGiveUpMs = 60000;
constexpr int kPicturePixels = 2000; // the start page's pictures, more than the toolbar's colour
constexpr int kWindowPixels = 100000;

QString theProgramFolder; // the folder of lumivo, bench_start and the default data

double theMinimalMs = 0;
double theLumivoMs = 0;
double theLumivoRssMb = 0;

bool isColourful(QRgb pixel)
{
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return high > 60 && high - low > 90;
}

bool isLit(QRgb pixel)
{
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 60;
}

// Whether at least `wanted` pixels of the screen pass `test` (every second pixel each way is read).
bool screenShows(const std::function<bool(QRgb)>& test, int wanted)
{
    const QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    int found = 0;
    for (int y = 0; y < shot.height(); y += 2) {
        const auto* row = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); x += 2)
            found += test(row[x]) ? 4 : 0;
        if (found >= wanted)
            return true;
    }
    return false;
}

double residentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

struct StartResult {
    double ms = 0;
    double rssMb = 0;
    bool shown = false;
};

StartResult startUntilShown(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment, const std::function<bool()>& shown)
{
    StartResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    while (clock.elapsed() < kGiveUpMs && process.state() != QProcess::NotRunning) {
        if (shown()) {
            result.ms = clock.nsecsElapsed() / 1e6;
            result.shown = true;
            break;
        }
        QThread::msleep(2);
    }
    if (result.shown) {
        QThread::msleep(300); // what the idle passes after the first paint add
        result.rssMb = residentMegabytes(process.processId());
    }
    process.terminate();
    if (!process.waitForFinished(20000))
        process.kill();
    process.waitForFinished();
    // The screen is black again before the next start is timed.
    while (screenShows(isLit, kWindowPixels / 10))
        QThread::msleep(10);
    return result;
}

// The program with the default data beside it, in folders of its own, as an installation lays it out.
class LumivoInstallation
{
public:
    LumivoInstallation()
    {
        const QString build = theProgramFolder;
        m_ok = m_work.isValid() && QFile::exists(build + "/Data") && QFile::exists(build + "/Users/TUF.tvf");
        if (!m_ok)
            return;
        const QString program = m_work.filePath("program");
        QDir().mkpath(program + "/Users");
        QDir().mkpath(program + "/Data");
        m_ok = ::link(QFile::encodeName(build + "/lumivo").constData(),
                      QFile::encodeName(program + "/lumivo").constData()) == 0 ||
               QFile::copy(build + "/lumivo", program + "/lumivo");
        QFile::copy(build + "/Users/TUF.tvf", program + "/Users/TUF.tvf");
        for (const QString& name : QDir(build + "/Data").entryList(QDir::Files))
            QFile::copy(build + "/Data/" + name, program + "/Data/" + name);
        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
            QDir().mkpath(m_work.filePath(folder));
            m_environment.insert(folder, m_work.filePath(folder));
        }
        QDir().mkpath(m_work.filePath("runtime"));
        QFile::setPermissions(m_work.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_environment.insert("XDG_RUNTIME_DIR", m_work.filePath("runtime"));
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        m_environment.insert("SDL_AUDIODRIVER", "dummy");
    }
    bool ok() const { return m_ok; }
    QString program() const { return m_work.filePath("program/lumivo"); }
    const QProcessEnvironment& environment() const { return m_environment; }

private:
    QTemporaryDir m_work;
    QProcessEnvironment m_environment;
    bool m_ok = false;
};

void BM_StartMinimalQtWindow(benchmark::State& state)
{
    std::vector<double> times;
    for (auto _ : state) {
        const StartResult result = startUntilShown(QCoreApplication::applicationFilePath(), {kMinimalSwitch},
                                                   QProcessEnvironment::systemEnvironment(),
                                                   [] { return screenShows(isLit, kWindowPixels); });
        if (!result.shown) {
            state.SkipWithError("the minimal window never showed");
            return;
        }
        state.SetIterationTime(result.ms / 1000.0);
        times.push_back(result.ms);
    }
    std::sort(times.begin(), times.end());
    theMinimalMs = times[times.size() / 2];
}

void BM_StartLumivo(benchmark::State& state)
{
    LumivoInstallation installation;
    if (!installation.ok()) {
        state.SkipWithError("no default data beside lumivo");
        return;
    }
    std::vector<double> times;
    double rss = 0;
    for (auto _ : state) {
        const StartResult result =
            startUntilShown(installation.program(), {"/Embedding"}, installation.environment(),
                            [] { return screenShows(isColourful, kPicturePixels); });
        if (!result.shown) {
            state.SkipWithError("the start page's pictures never showed");
            return;
        }
        state.SetIterationTime(result.ms / 1000.0);
        times.push_back(result.ms);
        rss = std::max(rss, result.rssMb);
    }
    std::sort(times.begin(), times.end());
    state.counters["rss_MB"] = rss;
    theLumivoMs = times[times.size() / 2];
    theLumivoRssMb = rss;
}

int iterations()
{
    return std::getenv("LUMIVO_BENCH_SHORT") ? 1 : 5;
}

int runMinimalWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1024, 768);
    window.show();
    return app.exec();
}

// The bench needs an X server of its own: it runs itself again under xvfb-run. The server must not
// reset when its last client leaves (its default): every start is a new client, and one that connects
// during a reset is refused.
int runUnderXvfb(int argc, char** argv)
{
    ::setenv(kUnderXvfb, "1", 1);
    std::vector<char*> command{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                               const_cast<char*>("-s"), const_cast<char*>("-noreset -screen 0 1280x1024x24")};
    for (int i = 0; i < argc; ++i)
        command.push_back(argv[i]);
    command.push_back(nullptr);
    ::execvp("xvfb-run", command.data());
    std::perror("xvfb-run");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == kMinimalSwitch)
        return runMinimalWindow(argc, argv);
    if (!std::getenv(kUnderXvfb))
        return runUnderXvfb(argc, argv);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    theProgramFolder = QCoreApplication::applicationDirPath();
    benchmark::RegisterBenchmark("BM_StartMinimalQtWindow", BM_StartMinimalQtWindow)
        ->UseManualTime()
        ->Iterations(iterations())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_StartLumivo", BM_StartLumivo)
        ->UseManualTime()
        ->Iterations(iterations())
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (theMinimalMs > 0 && theLumivoMs > 0)
        std::printf(
            "start to first paint: minimal Qt window %.0f ms, Lumivo %.0f ms, ratio %.2f (goal <= 3); "
            "Lumivo resident %.0f MB (goal < 120)\n",
            theMinimalMs, theLumivoMs, theLumivoMs / theMinimalMs, theLumivoRssMb);
    return 0;
}
