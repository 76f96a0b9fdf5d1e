// Packing and unpacking a page package's worth of media: 200 files (half random bytes like JPEG
// pictures, half compressible text; 20 MB in all) added to a new password-protected archive, then
// all extracted, against Info-ZIP's zip -P and unzip -P doing the same work on the same files.
// Goal: the library takes no longer than the peers (ratio at most 1.0 for both).
// LUMIVO_BENCH_SHORT=1 runs a small set (20 files, 2 MB).

#include "packages/zip/ZipArchive.h"

#include "bench/PeerTiming.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

namespace
{

const QString kPassword = QStringLiteral("Wb5nKe27rD");

struct Workload {
    QTemporaryDir root;
    QStringList names;
    std::size_t totalBytes = 0;
};

Workload& workload()
{
    static Workload w;
    if (!w.names.isEmpty())
        return w;
    const bool shortRun = std::getenv("LUMIVO_BENCH_SHORT") != nullptr;
    const int files = shortRun ? 20 : 200;
    const std::size_t fileSize = 100 * 1024; // 20 MB (2 MB short) in all
    QDir().mkpath(w.root.path() + "/in");
    std::mt19937 generator(42);
    static const char* const words[] = {"jeg ", "vil ", "gerne ", "have ", "et ",  "glas ", "vand ",  "tak ",
                                        "mor ", "far ", "spise ", "lege ", "ude ", "nu ",   "i dag\n"};
    for (int i = 0; i < files; ++i) {
        QByteArray bytes;
        bytes.reserve(static_cast<qsizetype>(fileSize) + 16);
        const bool picture = i % 2 == 0;
        if (picture) {
            bytes.resize(static_cast<qsizetype>(fileSize));
            for (auto& b : bytes)
                b = static_cast<char>(generator() & 0xFF);
        } else {
            while (static_cast<std::size_t>(bytes.size()) < fileSize)
                bytes.append(words[generator() % 15]);
            bytes.truncate(static_cast<qsizetype>(fileSize));
        }
        const QString name =
            QStringLiteral("%1%2.%3").arg(picture ? "picture" : "word").arg(i).arg(picture ? "jpg" : "txt");
        QFile file(w.root.path() + "/in/" + name);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        w.names << name;
        w.totalBytes += fileSize;
    }
    return w;
}

QString path(const QString& name)
{
    return workload().root.path() + "/" + name;
}

lumivo::bench::BestTimes g_best;
using lumivo::bench::runPeer;
enum { libraryAdd, peerAdd, libraryExtract, peerExtract };

void BM_LibraryAdd(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, libraryAdd, [&] {
        CZipArchive archive;
        archive.Open(path("library.zip"), CZipArchive::zipCreate);
        archive.SetPassword(kPassword);
        for (const QString& name : w.names)
            if (!archive.AddEntryFromPath(path("in/" + name), name))
                return false;
        archive.Close();
        return true;
    });
}

void BM_PeerAdd(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, peerAdd, [&] {
        QFile::remove(path("peer.zip"));
        return runPeer(QStringLiteral("zip"), QStringList{"-q", "-P", kPassword, path("peer.zip")} + w.names,
                       path("in"));
    });
}

void BM_LibraryExtract(benchmark::State& state)
{
    g_best.timed(state, libraryExtract, [&] {
        QDir(path("out-library")).removeRecursively();
        CZipArchive archive;
        archive.Open(path("library.zip"), CZipArchive::zipOpenReadOnly);
        archive.SetPassword(kPassword);
        for (int i = 0; i < archive.GetCount(); ++i)
            if (!archive.ExtractToFile(i, path("out-library")))
                return false;
        archive.Close();
        return true;
    });
}

void BM_PeerExtract(benchmark::State& state)
{
    g_best.timed(state, peerExtract, [&] {
        QDir(path("out-peer")).removeRecursively();
        return runPeer(QStringLiteral("unzip"),
                       {"-q", "-o", "-P", kPassword, path("library.zip"), "-d", path("out-peer")}, path(""));
    });
}

// The first name search in an archive of the most entries the format holds builds the sorted name
// index; the user waits for it once.
void BM_FirstFindInAFullArchive(benchmark::State& state)
{
    static CZipMemoryFile memory(1 << 20);
    if (memory.GetLength() == 0) {
        CZipArchive archive;
        archive.OpenOnFile(memory, CZipArchive::zipCreate);
        for (int i = 0; i < CZipArchive::kMaxEntries; ++i) {
            CZipEntryHeader header;
            header.SetFileName(QStringLiteral("V2.1\\103-98-1-2\\%1\\BgName.str").arg((i * 7919) % 65535));
            archive.OpenNewEntry(header, 0);
            archive.CloseNewEntry();
        }
        archive.Close();
    }
    for (auto _ : state) {
        state.PauseTiming();
        CZipArchive archive;
        archive.OpenOnFile(memory, CZipArchive::zipOpenReadOnly);
        state.ResumeTiming();
        benchmark::DoNotOptimize(archive.FindEntry(QStringLiteral("v2.1/103-98-1-2/77/bgname.str")));
        state.PauseTiming();
        archive.Close();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_LibraryAdd)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerAdd)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryExtract)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerExtract)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFindInAFullArchive)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    workload();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double mb = static_cast<double>(workload().totalBytes) / 1e6;
    std::printf("\n%d files, %.1f MB, password set\n", static_cast<int>(workload().names.size()), mb);
    // A filtered run measures only some of the four; a ratio is printed only when both sides ran.
    g_best.printRatio("add:     library", libraryAdd, "zip -P  ", peerAdd);
    g_best.printRatio("extract: library", libraryExtract, "unzip -P", peerExtract);
    return 0;
}
