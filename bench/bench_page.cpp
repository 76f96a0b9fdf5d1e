// A page shown in the main pane against the bare work done with Qt alone, in the same run.
//
// The page holds 48 icons (8 x 6), each with a 256 x 256 JPEG picture of its own and a text, in a data
// file made at the start. The pane at 1920 x 1080 (frame-size mode 6: a 1280 x 854 page, centred)
// shows it the first time (the page read from the store, the pictures found, decoded, scaled and
// drawn into the back buffer) and then draws it again (the scaled pictures kept). The bare work
// decodes the same 48 JPEGs with QImageReader, scales them to the same sizes and draws them with
// QPainter; its redraw draws the scaled images again. A page switch is timed between two pages the
// page index holds, as the running program has them: the first switch to a page decodes its pictures,
// a later one finds them kept.
//
// A page whose icons' stored rectangles are damaged or crafted (an ellipse 200 and 2,000 pages wide, a
// rectangle wider than an int, a text 2 million pages high, each with a picture) is shown and the mouse
// moved over it: drawing and hit tests are bounded by the pane, not by what the rectangles say.
//
// Goals: first show <= 1.5 x bare, redraw <= 1.5 x bare redraw, page switch < 30 ms; the page of
// icons of any size shown and redrawn within a frame (16 ms), a mouse move's hit test over it < 0.1 ms.
// LUMIVO_BENCH_SHORT=1 repeats each measurement fewer times.

#include "bench/Timing.h"
#include "core/FrameSizes.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "panes/Panes.h"
#include "panes/PanesState.h"
#include "panes/PanesWiring.h"
#include "platform/image/Image.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace
{

using lumivo::bench::median;
using lumivo::bench::millisecondsFor;

constexpr std::uint16_t kLanguage = 1;
constexpr int kColumns = 8;
constexpr int kRows = 6;
constexpr int kIcons = kColumns * kRows;
constexpr int kPictureSide = 256;
constexpr std::int32_t kPageA = 31;
constexpr std::int32_t kPageB = 32;
constexpr std::int32_t kFirstPictureA = 1001;
constexpr std::int32_t kFirstPictureB = 2001;
constexpr int kIconPictureKind = 10; // the kind an icon of this size asks for first
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "bench_page: %s failed\n", what);
        std::exit(1);
    }
}

// A photo-like picture: gradients and a pattern that JPEG cannot squeeze to nothing.
RgbImage samplePicture(int seed)
{
    RgbImage image{kPictureSide, kPictureSide, std::vector<std::uint8_t>(kPictureSide * kPictureSide * 3)};
    for (int y = 0; y < kPictureSide; ++y)
        for (int x = 0; x < kPictureSide; ++x) {
            std::uint8_t* at = &image.pixels[std::size_t((y * kPictureSide + x) * 3)];
            at[0] = std::uint8_t(x + seed * 17);
            at[1] = std::uint8_t(y * 2 + ((x * y + seed) % 31));
            at[2] = std::uint8_t((x ^ y) + seed * 5);
        }
    return image;
}

void storePicture(int file, std::int32_t id, int seed, std::vector<QByteArray>& jpegs)
{
    CQuibPict picture;
    check(picture.Create() == RES_OK, "picture create");
    check(picture.SetImage(samplePicture(seed), kPictureSide, kPictureSide, pictJpeg85), "picture encode");
    check(picture.SaveAs(id, file, MakePictType(kIconPictureKind, kLanguage)) == RES_OK, "picture store");
    picture.Write();
    std::vector<std::uint8_t> jpeg;
    check(lumivo::image::encodeJpeg(samplePicture(seed), 85, jpeg), "jpeg encode");
    jpegs.emplace_back(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()));
}

void storePage(int file, std::int32_t id, std::int32_t firstPicture, std::vector<QByteArray>& jpegs)
{
    CQuibBg page;
    page.Name = QStringLiteral("Page %1").arg(id);
    for (int i = 0; i < kIcons; ++i) {
        auto icon = std::make_unique<CQuibIcon>();
        const int column = i % kColumns;
        const int row = i / kColumns;
        icon->StoredRect = CRect(column * 125, row * 166, column * 125 + 119, row * 166 + 160);
        icon->PictId = firstPicture + i;
        icon->WordName = QStringLiteral("Word %1").arg(i + 1);
        page.Icons.push_back(std::move(icon));
        storePicture(file, firstPicture + i, i + int(id), jpegs);
    }
    check(page.SaveAs(id, file, MakeBgType(1, kLanguage)) == RES_OK, "page store");
    page.Write();
}

struct Sample {
    QImage buffer{kScreenWidth, kScreenHeight, QImage::Format_RGB32};
    std::vector<QByteArray> jpegs; // page A's pictures, as stored
    int file = 0;
    QString path;
};

void drawPane(QImage& buffer)
{
    QPainter painter(&buffer);
    theMainPane.Draw(painter);
}

// The bare work: decode, scale to the sizes the pane drew, draw.
std::vector<QImage> bareFirstShow(const Sample& sample, const std::vector<QRect>& targets, QImage& buffer)
{
    std::vector<QImage> scaled;
    QPainter painter(&buffer);
    painter.fillRect(buffer.rect(), QColor(0xAD, 0xCE, 0xD3));
    for (int i = 0; i < kIcons; ++i) {
        QByteArray bytes = sample.jpegs[std::size_t(i)];
        QBuffer device(&bytes);
        QImageReader reader(&device, "jpeg");
        const QImage image = reader.read();
        scaled.push_back(
            image.scaled(targets[std::size_t(i)].size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawImage(targets[std::size_t(i)], scaled.back());
    }
    return scaled;
}

void bareRedraw(const std::vector<QImage>& scaled, const std::vector<QRect>& targets, QImage& buffer)
{
    QPainter painter(&buffer);
    painter.fillRect(buffer.rect(), QColor(0xAD, 0xCE, 0xD3));
    for (int i = 0; i < kIcons; ++i)
        painter.drawImage(targets[std::size_t(i)], scaled[std::size_t(i)]);
}

// Where the pane drew each picture, in client coordinates.
std::vector<QRect> drawnPictureRects()
{
    std::vector<QRect> targets;
    const CQuibBg* page = theMainPane.GetPage();
    for (const auto& icon : page->Icons) {
        CRect drawn = icon->PictCacheRect;
        drawn.OffsetRect(theMainPane.PageRect.TopLeft());
        targets.push_back(toQRect(drawn));
    }
    return targets;
}

// The page of damaged rectangles, in memory, with page A's first pictures.
std::unique_ptr<CQuibBg> pageOfAnySize()
{
    auto page = std::make_unique<CQuibBg>();
    const CRect rects[] = {CRect(0, 0, 200000, 200000), CRect(0, 0, 2000000, 2000000),
                           CRect(INT_MIN, 0, INT_MAX, 1000), CRect(0, 0, 400, 2000000000),
                           CRect(202, -1878982657, 1868785926, 137568366)};
    std::int32_t picture = kFirstPictureA;
    for (const CRect& rect : rects) {
        for (const std::uint32_t shape : {kIconShapeEllipse, kIconShapeRect}) {
            auto icon = std::make_unique<CQuibIcon>(shape);
            icon->StoredRect = rect;
            icon->PictId = picture++;
            icon->WordName = QStringLiteral("Word");
            icon->Flags |= 0x20; // its frame shown
            page->Icons.push_back(std::move(icon));
        }
    }
    return page;
}

struct AnySizeTimes {
    double firstShow;
    double redraw;
    double hitTest;
};

AnySizeTimes timePageOfAnySize(QImage& buffer, int repeats)
{
    std::vector<double> first;
    std::vector<double> again;
    for (int i = 0; i < repeats; ++i) {
        theMainPane.ClearPage();
        check(theMainPane.AdoptPage(pageOfAnySize()) == nullptr, "page of any size");
        first.push_back(millisecondsFor([&] {
            theMainPane.UpdateLayout(true);
            drawPane(buffer);
        }));
        again.push_back(millisecondsFor([&] { drawPane(buffer); }));
    }
    // Mouse moves across the pane, each asking which icon lies under the pointer.
    constexpr int kMoves = 200;
    const double moves = millisecondsFor([&] {
        for (int i = 0; i < kMoves; ++i)
            theMainPane.IconAt(i * kScreenWidth / kMoves, i * kScreenHeight / kMoves);
    });
    theMainPane.ClearPage();
    return {median(first), median(again), moves / kMoves};
}

void reopen(Sample& sample)
{
    check(CloseResFile(sample.file) == RES_OK, "close");
    check(OpenResFile(&sample.file, sample.path) == RES_OK, "open");
    theActiveFiles = {sample.file};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    WirePanes(); // the panes follow the model as in the program
    const bool brief = std::getenv("LUMIVO_BENCH_SHORT") != nullptr;
    const int repeats = brief ? 3 : 15;

    QTemporaryDir folder;
    Sample sample;
    sample.path = folder.filePath(QStringLiteral("pages.tvf"));
    check(FindOrAddResFile(&sample.file, sample.path) == RES_OK, "file");
    SetResFileVersion(sample.file, MakeResFileVersion(2, 0, 61));
    SetResFileKind(sample.file, 1);
    std::vector<QByteArray> pictureBytesB;
    storePage(sample.file, kPageA, kFirstPictureA, sample.jpegs);
    storePage(sample.file, kPageB, kFirstPictureB, pictureBytesB);
    check(SaveResFile(sample.file) == RES_OK, "save");
    theSearchLanguages = {kLanguage};
    reopen(sample);

    theFrameSizeMode = 6;
    theMainPane.PaneRect = CRect(0, 0, kScreenWidth, kScreenHeight);
    theMainPane.PaneFlags = kPaneFlagCentred;
    theMainPane.SetVisible(true);

    // First show: a page read from a file just opened, nothing decoded yet.
    std::vector<double> firstShow;
    for (int i = 0; i < repeats; ++i) {
        theMainPane.ClearPage();
        reopen(sample);
        firstShow.push_back(millisecondsFor([&] {
            check(theMainPane.LoadPage(kPageA) == 0, "load page");
            drawPane(sample.buffer);
        }));
    }
    std::vector<double> redraw;
    for (int i = 0; i < repeats * 4; ++i)
        redraw.push_back(millisecondsFor([&] { drawPane(sample.buffer); }));
    sample.buffer.save(folder.filePath(QStringLiteral("page.png")));

    const std::vector<QRect> targets = drawnPictureRects();
    QImage bareBuffer(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    std::vector<double> bareFirst;
    std::vector<QImage> scaled;
    for (int i = 0; i < repeats; ++i)
        bareFirst.push_back(millisecondsFor([&] { scaled = bareFirstShow(sample, targets, bareBuffer); }));
    std::vector<double> bareAgain;
    for (int i = 0; i < repeats * 4; ++i)
        bareAgain.push_back(millisecondsFor([&] { bareRedraw(scaled, targets, bareBuffer); }));

    // Page switches between pages the index holds, as the running program has them.
    theMainPane.ClearPage();
    theCurrentLanguage = kLanguage;
    CQuibObjIndex::LoadBackgrounds();
    check(FindLoadedBackground(kPageA) && FindLoadedBackground(kPageB), "page index");
    std::vector<double> firstSwitch;
    std::vector<double> laterSwitch;
    for (int i = 0; i < repeats; ++i) {
        const std::int32_t to = i % 2 == 0 ? kPageB : kPageA;
        const double ms = millisecondsFor([&] {
            theMainPane.LoadPage(to);
            drawPane(sample.buffer);
        });
        (i < 2 ? firstSwitch : laterSwitch).push_back(ms);
    }

    reopen(sample);
    const AnySizeTimes anySize = timePageOfAnySize(sample.buffer, repeats);

    const double first = median(firstShow), again = median(redraw);
    const double bare = median(bareFirst), bareRe = median(bareAgain);
    std::printf("page of %d icons with %dx%d JPEG pictures, main pane %dx%d (medians, ms)\n", kIcons,
                kPictureSide, kPictureSide, kScreenWidth, kScreenHeight);
    std::printf("  first show: pane %.2f  bare Qt %.2f  ratio %.2f (goal <= 1.5)\n", first, bare,
                first / bare);
    std::printf("  redraw:     pane %.2f  bare Qt %.2f  ratio %.2f (goal <= 1.5)\n", again, bareRe,
                again / bareRe);
    std::printf("  page switch: to a page not shown before %.2f, to a page shown before %.2f (goal < 30)\n",
                median(firstSwitch), laterSwitch.empty() ? 0.0 : median(laterSwitch));

    std::printf("  page of icons of any size: first show %.2f, redraw %.2f (goal < 16); a mouse move's hit "
                "test %.4f (goal < 0.1)\n",
                anySize.firstShow, anySize.redraw, anySize.hitTest);

    ResetPanesState();
    theBgIndex.DeleteAll();
    CloseResFile(sample.file);
    return 0;
}
