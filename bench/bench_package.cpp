// Page packages of a data file of 500 words with pictures (10 KB) and sounds (20 KB) on 20 pages of 25
// icons: every page exported into a package of its own, then every package imported into an empty
// user file; against Info-ZIP's zip -P packing the same entries from a folder tree and unzip -P
// unpacking the same packages, in the same run. Goal: ratio at most 1.0 for both.
// LUMIVO_BENCH_SHORT=1 runs 4 pages (100 words).

#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "packages/PagePackage.h"
#include "packages/PagePackages.h"
#include "panes/Panes.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"

#include "bench/PeerTiming.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
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

constexpr std::uint16_t kLanguage = 2;
constexpr int kIconsPerPage = 25;
constexpr std::int32_t kFirstWord = 1000000001;

struct Workload {
    QTemporaryDir root;
    int sourceFile = 0;
    std::vector<CQuibBg*> pages;
    QStringList packages;
};

QString path(Workload& w, const QString& name)
{
    return w.root.path() + QLatin1Char('/') + name;
}

std::vector<std::uint8_t> randomBytes(std::size_t size, std::mt19937& generator)
{
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = std::uint8_t(generator() & 0xFF);
    return bytes;
}

void storeWord(int file, std::int32_t id, std::mt19937& generator)
{
    CQuibWord word;
    word.WordName = QStringLiteral("word %1").arg(id);
    word.SaveAs(id, file, MakeWordType(kLanguage));
    word.Write();
    CQuibPict picture;
    picture.Create();
    picture.SaveAs(id, file, MakePictType(CPagePackage::kWordPictureKind, kLanguage));
    picture.StoreFormat = pictRawRgb;
    picture.WriteHeader();
    const std::vector<std::uint8_t> image = randomBytes(10 * 1024, generator);
    const std::uint32_t header = picture.HeaderLength;
    picture.SetSize(header + std::uint32_t(image.size()));
    std::copy(image.begin(), image.end(), picture.GetData() + header);
    picture.Write();
    CQuibSound sound;
    sound.Create();
    sound.SaveAs(id, file, MakeSoundType(CPagePackage::kWordSoundKind, kLanguage));
    sound.SetData(randomBytes(20 * 1024, generator), soundKindWave, 0, 1000, 128);
    sound.Write();
}

Workload& workload()
{
    static Workload w;
    if (w.sourceFile)
        return w;
    const int pages = std::getenv("LUMIVO_BENCH_SHORT") ? 4 : 20;
    FindOrAddResFile(&w.sourceFile, path(w, QStringLiteral("source.tvf")));
    theActiveFiles = {w.sourceFile};
    theSearchLanguages = {kLanguage};
    std::mt19937 generator(42);
    for (int p = 0; p < pages; ++p) {
        auto page = std::make_unique<CQuibBg>();
        page->Name = QStringLiteral("page %1").arg(p);
        for (int i = 0; i < kIconsPerPage; ++i) {
            const std::int32_t id = kFirstWord + p * kIconsPerPage + i;
            storeWord(w.sourceFile, id, generator);
            auto icon = std::make_unique<CQuibIcon>();
            icon->WordId = id;
            icon->StoredRect = CRect(i * 10, 0, i * 10 + 9, 100);
            page->Icons.push_back(std::move(icon));
        }
        page->Create();
        page->SaveAs(100 + p, w.sourceFile, MakeBgType(1, kLanguage));
        w.pages.push_back(SaveBackground(std::move(page)));
        w.packages << path(w, QStringLiteral("page%1.lu2").arg(p));
    }
    return w;
}

lumivo::bench::BestTimes g_best;
using lumivo::bench::runPeer;
enum { libraryExport, peerZip, libraryImport, peerUnzip };

void BM_LibraryExport(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, libraryExport, [&] {
        for (std::size_t p = 0; p < w.pages.size(); ++p) {
            CPagePackage package;
            package.m_targetFile = w.sourceFile;
            package.m_language = kLanguage;
            package.WritePackage(w.packages[int(p)],
                                 [&](CPagePackage& writer) { writer.WritePage(*w.pages[p], nullptr, true); });
        }
        return true;
    });
}

// The same entries as a folder tree, packed by zip -P one package per page.
void BM_PeerZip(benchmark::State& state)
{
    Workload& w = workload();
    for (int p = 0; p < w.packages.size(); ++p)
        runPeer(QStringLiteral("unzip"),
                {"-q", "-o", "-P", CPagePackage::kPassword, w.packages[p], "-d",
                 path(w, QStringLiteral("tree%1").arg(p))},
                w.root.path());
    g_best.timed(state, peerZip, [&] {
        for (int p = 0; p < w.packages.size(); ++p) {
            const QString target = path(w, QStringLiteral("peer%1.zip").arg(p));
            QFile::remove(target);
            if (!runPeer(QStringLiteral("zip"), {"-q", "-r", "-P", CPagePackage::kPassword, target, "V2.1"},
                         path(w, QStringLiteral("tree%1").arg(p))))
                return false;
        }
        return true;
    });
}

// Imports the packages that BM_LibraryExport wrote.
void BM_LibraryImport(benchmark::State& state)
{
    Workload& w = workload();
    if (!QFile::exists(w.packages.front())) {
        state.SkipWithError("the import reads what the export wrote: run both");
        return;
    }
    int round = 0;
    CQuibUser user;
    user.PrimaryLanguage = kLanguage;
    g_best.timed(state, libraryImport, [&] {
        state.PauseTiming();
        int target = 0;
        FindOrAddResFile(&target, path(w, QStringLiteral("target%1.tvf").arg(round++)));
        user.Detach();
        user.SaveAs(RESID_USER_RECORD, target, CQuibUser::kType);
        theCurrentUser = &user;
        theActiveFiles = {target};
        state.ResumeTiming();
        bool ok = true;
        for (const QString& package : w.packages)
            if (ImportPagePackageFrom(package).outcome != PageImport::Imported)
                ok = false;
        theMainPane.ClearPage();
        theCurrentUser = nullptr;
        theActiveFiles = {w.sourceFile};
        return ok;
    });
}

void BM_PeerUnzip(benchmark::State& state)
{
    Workload& w = workload();
    g_best.timed(state, peerUnzip, [&] {
        for (int p = 0; p < w.packages.size(); ++p)
            if (!runPeer(QStringLiteral("unzip"),
                         {"-q", "-o", "-P", CPagePackage::kPassword, w.packages[p], "-d",
                          path(w, QStringLiteral("out%1").arg(p))},
                         w.root.path()))
                return false;
        return true;
    });
}

BENCHMARK(BM_LibraryExport)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerZip)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryImport)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerUnzip)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

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
    std::printf("\n%d pages, %d words with a 10 KB picture and a 20 KB sound each\n",
                int(workload().pages.size()), int(workload().pages.size()) * kIconsPerPage);
    g_best.printRatio("export: library", libraryExport, "zip -P  ", peerZip);
    g_best.printRatio("import: library", libraryImport, "unzip -P", peerUnzip);
    return 0;
}
