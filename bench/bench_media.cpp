// How fast an icon's picture is ready to draw, from its stored bytes: a 192 x 192 picture stored as
// JPEG and as PNG, decoded by the picture layer and, as the peer, by Qt's own readers. Also how long a
// second of recorded sound takes to become MP3 and back, since the word editor waits for it, and how
// long and how much memory a 48-megapixel phone photo takes to import at icon size, and a sound or clip
// file far larger than a record may be (a sparse 1.5 GB WAVE, a sparse 3 GB clip) through the imports,
// and the memory a WAVE file as large as a sound may be takes to read.

#include "admin/ImportAviDlg.h"
#include "admin/ImportSoundDlg.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "store/ResourceManager.h"
#include "tests/support/MediaSamples.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cmath>
#include <fstream>
#include <string>

namespace
{

RgbImage photoLike(int side)
{
    RgbImage image;
    image.width = image.height = side;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.pixels.insert(image.pixels.end(),
                                {std::uint8_t(128 + 100 * std::sin(x * 0.07)),
                                 std::uint8_t(128 + 100 * std::cos(y * 0.05)), std::uint8_t((x * y) % 256)});
    return image;
}

std::vector<std::uint8_t> stored(int storeFormat)
{
    std::vector<std::uint8_t> bytes;
    EncodeStoredImage(photoLike(192), storeFormat, bytes);
    return bytes;
}

void decodeOurs(benchmark::State& state, int storeFormat)
{
    const auto bytes = stored(storeFormat);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeStoredImage(bytes.data(), bytes.size(), storeFormat, 192, 192));
}

void decodeQt(benchmark::State& state, int storeFormat)
{
    const auto bytes = stored(storeFormat);
    for (auto _ : state) {
        QImage image = QImage::fromData(bytes.data(), int(bytes.size()));
        benchmark::DoNotOptimize(image.convertToFormat(QImage::Format_RGB888));
    }
}

void mp3RoundTrip(benchmark::State& state)
{
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < 44100; ++i) {
        const auto v = std::int16_t(10000 * std::sin(i * 0.03));
        samples.push_back(std::uint8_t(v));
        samples.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    }
    const WaveBlock block(lumivo::wave::WaveFormat::pcm(1, 44100, 16), std::move(samples));
    for (auto _ : state) {
        std::vector<std::uint8_t> mp3;
        EncodeMp3(block, mp3, 5 | soundChannelMono);
        WaveBlock decoded;
        benchmark::DoNotOptimize(DecodeMp3(mp3, decoded, 5 | soundChannelMono));
    }
}

// The photo is made by ffmpeg, so that this process never holds its full-size pixels itself; once,
// though the benchmark library calls the function again for each round of timing.
QString photo48()
{
    static QTemporaryDir folder;
    static const QString photo = [] {
        const QString path = folder.filePath(QStringLiteral("photo.jpg"));
        const int made = QProcess::execute(QStringLiteral("ffmpeg"),
                                           {"-v", "error", "-y", "-f", "lavfi", "-i",
                                            "testsrc2=size=8000x6000", "-frames:v", "1", "-q:v", "3", path});
        return made == 0 ? path : QString();
    }();
    return photo;
}

void importPhotoToIcon(benchmark::State& state)
{
    const QString photo = photo48();
    if (photo.isEmpty()) {
        state.SkipWithError("ffmpeg could not make the photo");
        return;
    }
    constexpr int iconSide = 256;
    for (auto _ : state) {
        auto image = ReadImageFile(photo, nullptr, nullptr, iconSide, iconSide);
        if (!image) {
            state.SkipWithError("the photo gave no image");
            return;
        }
        const double scale = std::min(double(iconSide) / image->width, double(iconSide) / image->height);
        benchmark::DoNotOptimize(
            lumivo::image::resize(*image, int(image->width * scale), int(image->height * scale)));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_resident_MB"] = double(usage.ru_maxrss) / 1024.0;
}

// The process's peak resident memory is set back to what it holds now, so that the next reading is of
// the work that follows alone.
void resetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A line of /proc/self/status in megabytes: "VmHWM:" the peak resident memory, "VmRSS:" the present.
double statusMB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(field.size())) / 1024.0;
    return 0;
}

struct PickedFiles {
    QTemporaryDir folder;
    int outputFile = 0;
    QString wave;
    QString clip;
    QString largestWave; // as large as a sound file may be
};

// The sparse files take no disk: only their heads are written.
PickedFiles& pickedFiles()
{
    static PickedFiles files;
    if (files.outputFile)
        return files;
    FindOrAddResFile(&files.outputFile, files.folder.filePath(QStringLiteral("output.tvf")));
    files.wave = files.folder.filePath(QStringLiteral("huge.wav"));
    files.clip = files.folder.filePath(QStringLiteral("huge.avi"));
    files.largestWave = files.folder.filePath(QStringLiteral("largest.wav"));
    if (!lumivo::test::makeSparseWave(files.wave, std::uint64_t(1536) << 20) ||
        !lumivo::test::makeSparseWave(files.largestWave, std::uint64_t(64) << 20) ||
        !lumivo::test::makeSparseFile(files.clip, "RIFF....AVI LIST", std::uint64_t(3) << 30))
        files.outputFile = 0;
    return files;
}

// Each run must end in a refusal: "stored" counts the runs that stored the file all the same.
template <class Import> void importHugeFile(benchmark::State& state, const QString& path, Import import)
{
    if (pickedFiles().outputFile == 0) {
        state.SkipWithError("the sparse files could not be made");
        return;
    }
    resetPeakResident();
    const double before = statusMB("VmRSS:");
    int stored = 0;
    for (auto _ : state)
        stored += import(path) == 0 ? 1 : 0;
    state.counters["peak_resident_MB"] = statusMB("VmHWM:");
    state.counters["peak_added_MB"] = statusMB("VmHWM:") - before;
    state.counters["stored"] = stored;
}

void importHugeWave(benchmark::State& state)
{
    SoundImportChoice choice;
    choice.outputFile = pickedFiles().outputFile;
    choice.soundType = 1 + 256 * 2;
    choice.compression = 0x106; // "Good": MP3 at quality 3
    choice.translateLanguage = 2;
    importHugeFile(state, pickedFiles().wave, [&](const QString& path) {
        return ImportSoundFile(choice, QStringLiteral("huge"), 2000001, path);
    });
}

void importHugeClip(benchmark::State& state)
{
    ClipImportChoice choice;
    choice.outputFile = pickedFiles().outputFile;
    choice.aviType = 1 + 256 * 2;
    choice.translateLanguage = 2;
    importHugeFile(state, pickedFiles().clip, [&](const QString& path) {
        return ImportAviFile(choice, QStringLiteral("huge"), 2000001, path);
    });
}

// The word editor's sound page reads the file the person picked: a file as large as a sound may be is
// held once, its samples in the file's own bytes, so memory grows by about its size and no more.
void readLargestWave(benchmark::State& state)
{
    if (pickedFiles().outputFile == 0) {
        state.SkipWithError("the sparse files could not be made");
        return;
    }
    resetPeakResident();
    const double before = statusMB("VmRSS:");
    for (auto _ : state) {
        WaveBlock block;
        benchmark::DoNotOptimize(ReadWaveFile(pickedFiles().largestWave, block));
    }
    state.counters["peak_added_MB"] = statusMB("VmHWM:") - before;
}

} // namespace

BENCHMARK_CAPTURE(decodeOurs, jpeg, int(pictJpeg85))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decodeQt, jpeg, int(pictJpeg85))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decodeOurs, png, int(pictPng))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decodeQt, png, int(pictPng))->Unit(benchmark::kMicrosecond);
BENCHMARK(mp3RoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(importPhotoToIcon)->Unit(benchmark::kMillisecond);
BENCHMARK(importHugeWave)->Unit(benchmark::kMicrosecond);
BENCHMARK(importHugeClip)->Unit(benchmark::kMicrosecond);
BENCHMARK(readLargestWave)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
