// Importing word pictures and sounds into an output file: 500 JPEG photos (640 x 480) stored as JPEG
// at quality 85, and 500 two-second recordings (WAVE, 44.1 kHz mono) stored as MP3 at the "Good"
// level, through the imports' own store steps; against ImageMagick's convert and lame doing the same
// conversions on the same files, one process per file as a person's script would run them, in the
// same run. Goal: ratio at most 1.0 for both. LUMIVO_BENCH_SHORT=1 runs 50 of each.

#include "admin/ImportPictDlg.h"
#include "admin/ImportSoundDlg.h"
#include "core/Word.h"
#include "media/SoundFunctions.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"

#include "bench/PeerTiming.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace
{

constexpr std::uint16_t kLanguage = 2;
constexpr std::int32_t kFirstWord = 2000001;
constexpr int kPictureKind = 11;
constexpr int kPhotoManyDetails = 6; // JPEG at quality 85
constexpr int kGoodMono = 0x106;     // MP3 at quality 3, 48 kbit/s

struct Workload {
    QTemporaryDir root;
    int outputFile = 0;
    QStringList pictures;
    QStringList sounds;
};

QString path(Workload& w, const QString& name)
{
    return w.root.path() + QLatin1Char('/') + name;
}

void writePhoto(const QString& file, std::mt19937& generator)
{
    QImage image(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(generator() % 24);
            line[x] = qRgb(int(120 + 90 * std::sin(x * 0.03)) + noise / 2, int(120 + 90 * std::cos(y * 0.02)),
                           (x * y / 64 + noise) % 256);
        }
    }
    image.save(file, "JPEG", 90);
}

void writeRecording(const QString& file, std::mt19937& generator)
{
    constexpr int rate = 44100;
    std::vector<std::uint8_t> samples;
    samples.reserve(rate * 2 * 2);
    const double pitch = 200 + generator() % 300;
    for (int i = 0; i < rate * 2; ++i) {
        const auto value =
            std::int16_t(6000 * std::sin(i * 2 * M_PI * pitch / rate) + int(generator() % 800) - 400);
        samples.push_back(std::uint8_t(value & 0xFF));
        samples.push_back(std::uint8_t((value >> 8) & 0xFF));
    }
    WriteWaveFile(file, WaveBlock(lumivo::wave::WaveFormat::pcm(1, rate, 16), std::move(samples)));
}

Workload& workload()
{
    static Workload w;
    if (w.outputFile)
        return w;
    const int count = std::getenv("LUMIVO_BENCH_SHORT") ? 50 : 500;
    FindOrAddResFile(&w.outputFile, path(w, QStringLiteral("output.tvf")));
    theActiveFiles = {w.outputFile};
    theSearchLanguages = {kLanguage};
    QDir().mkpath(path(w, QStringLiteral("in")));
    QDir().mkpath(path(w, QStringLiteral("out")));
    std::mt19937 generator(42);
    for (int i = 0; i < count; ++i) {
        w.pictures << path(w, QStringLiteral("in/word%1.jpg").arg(i));
        writePhoto(w.pictures.back(), generator);
        w.sounds << path(w, QStringLiteral("in/word%1.wav").arg(i));
        writeRecording(w.sounds.back(), generator);
    }
    return w;
}

lumivo::bench::BestTimes g_best;
using lumivo::bench::runPeer;
enum { libraryPictures, peerConvert, librarySounds, peerLame };

// Every run replaces what the run before stored, as a second import with overwrite on does.
void BM_LibraryPictures(benchmark::State& state)
{
    Workload& w = workload();
    PictureImportChoice choice;
    choice.outputFile = w.outputFile;
    choice.kind = kPictureKind;
    choice.language = kLanguage;
    choice.compression = kPhotoManyDetails;
    choice.overwrite = true;
    g_best.timed(state, libraryPictures, [&] {
        for (int i = 0; i < w.pictures.size(); ++i) {
            if (ImportPictureFile(choice, QStringLiteral("word"), kFirstWord + i, w.pictures[i]) != 0)
                return false;
        }
        return true;
    });
}

void BM_PeerConvert(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, peerConvert, [&] {
        for (int i = 0; i < w.pictures.size(); ++i) {
            if (!runPeer(QStringLiteral("convert"),
                         {w.pictures[i], QStringLiteral("-quality"), QStringLiteral("85"),
                          path(w, QStringLiteral("out/word%1.jpg").arg(i))},
                         w.root.path()))
                return false;
        }
        return true;
    });
}

void BM_LibrarySounds(benchmark::State& state)
{
    Workload& w = workload();
    SoundImportChoice choice;
    choice.outputFile = w.outputFile;
    choice.soundType = 1 + 256 * kLanguage;
    choice.compression = kGoodMono;
    choice.translateLanguage = kLanguage;
    choice.overwrite = true;
    g_best.timed(state, librarySounds, [&] {
        for (int i = 0; i < w.sounds.size(); ++i) {
            if (ImportSoundFile(choice, QStringLiteral("word"), kFirstWord + i, w.sounds[i]) != 0)
                return false;
        }
        return true;
    });
}

void BM_PeerLame(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, peerLame, [&] {
        for (int i = 0; i < w.sounds.size(); ++i) {
            if (!runPeer(QStringLiteral("lame"),
                         {QStringLiteral("--quiet"), QStringLiteral("-q"), QStringLiteral("3"),
                          QStringLiteral("-b"), QStringLiteral("48"), QStringLiteral("-m"),
                          QStringLiteral("m"), w.sounds[i], path(w, QStringLiteral("out/word%1.mp3").arg(i))},
                         w.root.path()))
                return false;
        }
        return true;
    });
}

// The imports run before the peers: once this process has started child processes, the same MP3
// encoding in it takes about twice the CPU time (0.50 s against 1.09 s for 50 recordings, measured),
// a cost of the measuring, not of the import, which starts no process.
BENCHMARK(BM_LibraryPictures)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibrarySounds)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerConvert)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerLame)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    workload();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n%d JPEG photos 640 x 480 and %d two-second WAVE recordings\n",
                int(workload().pictures.size()), int(workload().sounds.size()));
    g_best.printRatio("pictures: import", libraryPictures, "convert", peerConvert);
    g_best.printRatio("sounds  : import", librarySounds, "lame   ", peerLame);
    return 0;
}
