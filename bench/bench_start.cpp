// From starting the program under Xvfb to the first paint of its main window with the start page's
// pictures on the screen, beside a minimal Qt Widgets program that only opens a coloured main window
// (`minimal_qt_window`, built on its own), started alternately under the same X server and timed by the
// same screen test. Goal: Lumivo takes at most three times as long, and its resident memory after start,
// on the default data, stays under 120 MB.
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
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>
#include <vector>

namespace
{

constexpr char kUnderXvfb[] = "LUMIVO_BENCH_UNDER_XVFB";
constexpr char kPeerProgram[] = "minimal_qt_window";
constexpr int kGiveUpMs = 60000;
constexpr int kPicturePixels = 2000;     // the start page's pictures, more than the toolbar's colour
constexpr int kWindowLeftPixels = 10000; // a window still on the screen

QString theProgramFolder; // the folder of lumivo, its peer, bench_start and the default data

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
    while (screenShows(isLit, kWindowLeftPixels))
        QThread::msleep(10);
    return result;
}

// A hard link where the file system allows one, a copy elsewhere.
bool installFile(const QString& from, const QString& to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ||
           QFile::copy(from, to);
}

// The program with its modules and the default data beside it, in folders of its own, as an
// installation lays it out.
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
        m_ok = installFile(build + "/lumivo", program + "/lumivo");
        QFile::copy(build + "/Users/TUF.tvf", program + "/Users/TUF.tvf");
        for (const char* folder : {"Data", "modules"}) {
            QDir().mkpath(program + "/" + folder);
            const QString from = build + "/" + folder + "/";
            for (const QString& name : QDir(from).entryList(QDir::Files))
                m_ok = installFile(from + name, program + "/" + folder + "/" + name) && m_ok;
        }
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

bool firstPaintShown()
{
    return screenShows(isColourful, kPicturePixels);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The peer and Lumivo start one after the other, so that both meet the same machine load; the manual
// time is Lumivo's.
void BM_StartBesideMinimalQt(benchmark::State& state)
{
    LumivoInstallation installation;
    const QString peer = theProgramFolder + QLatin1Char('/') + QLatin1String(kPeerProgram);
    if (!installation.ok() || !QFile::exists(peer)) {
        state.SkipWithError("no default data beside lumivo, or no minimal_qt_window");
        return;
    }
    const auto startPeer = [&] {
        return startUntilShown(peer, {}, installation.environment(), firstPaintShown);
    };
    const auto startLumivo = [&] {
        return startUntilShown(installation.program(), {"/Embedding"}, installation.environment(),
                               firstPaintShown);
    };
    // One untimed start of each, so that neither pays for a cold file cache.
    startPeer();
    startLumivo();
    std::vector<double> peerTimes;
    std::vector<double> lumivoTimes;
    double rss = 0;
    for (auto _ : state) {
        const StartResult minimal = startPeer();
        const StartResult lumivo = startLumivo();
        if (!minimal.shown || !lumivo.shown) {
            state.SkipWithError(minimal.shown ? "the start page's pictures never showed"
                                              : "the minimal window never showed");
            return;
        }
        state.SetIterationTime(lumivo.ms / 1000.0);
        peerTimes.push_back(minimal.ms);
        lumivoTimes.push_back(lumivo.ms);
        rss = std::max(rss, lumivo.rssMb);
    }
    theMinimalMs = median(peerTimes);
    theLumivoMs = median(lumivoTimes);
    theLumivoRssMb = rss;
    state.counters["minimal_ms"] = theMinimalMs;
    state.counters["lumivo_ms"] = theLumivoMs;
    state.counters["ratio"] = theLumivoMs / theMinimalMs;
    state.counters["rss_MB"] = rss;
}

int iterations()
{
    return std::getenv("LUMIVO_BENCH_SHORT") ? 3 : 10;
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
    if (!std::getenv(kUnderXvfb))
        return runUnderXvfb(argc, argv);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    theProgramFolder = QCoreApplication::applicationDirPath();
    benchmark::RegisterBenchmark("BM_StartBesideMinimalQt", BM_StartBesideMinimalQt)
        ->UseManualTime()
        ->Iterations(iterations())
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (theMinimalMs > 0 && theLumivoMs > 0)
        std::printf("start to first paint (medians): minimal Qt window %.0f ms, Lumivo %.0f ms, ratio %.2f "
                    "(goal <= 3); "
                    "Lumivo resident %.0f MB (goal < 120)\n",
                    theMinimalMs, theLumivoMs, theLumivoMs / theMinimalMs, theLumivoRssMb);
    return 0;
}
