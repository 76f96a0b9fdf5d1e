// The picture cache of icons: finding, decoding and scaling, one icon at a time or many at once.

#include "panes/IconPictures.h"

#include "core/IconEditing.h"
#include "core/Lookups.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/Word.h"
#include "panes/DrawingBounds.h"
#include "platform/image/Image.h"
#include "store/PictureFormat.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <typeinfo>

std::int16_t theImageModel = kImageLibraryModel;

namespace
{

constexpr int kPictureMargin = 12;
constexpr std::uint32_t kIconFill = 0x1000000;
constexpr std::uint32_t kIconFit = 0x2000000;
constexpr std::uint32_t kIconScaleMask = kIconFill | kIconFit;
constexpr std::uint32_t kIconSnapBox = 0x8000000;
constexpr std::uint32_t kIconContentOwnPictureOff = 0x100000;
constexpr std::uint8_t kNoColorId = 0xFB;
constexpr std::uint16_t kWordFormNoFamilyPicture = 0x100;

// The bitmap model's square box: 192, smaller for smaller icons, the smaller side below 33.
QSize bitmapModelBox(const CRect& rect)
{
    const int smaller = std::min(rect.Width(), rect.Height());
    int side = 192;
    for (auto [below, box] : {std::pair{181, 128}, {117, 96}, {85, 64}, {53, 48}, {37, 32}}) {
        if (smaller < below)
            side = box;
    }
    if (smaller < 33)
        side = std::max(smaller, 0);
    return {side, side};
}

// The drawable picture: pixels of the key colour become transparent.
QImage keyedImage(const QImage& scaled, COLORREF key)
{
    QImage keyed = scaled.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparentRgb = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (transparentRgb & 0xFFFFFF))
                line[x] = 0;
        }
    }
    return keyed;
}

// A picture cached for an icon, made in three steps so that a pane can make many at once: what the
// store gives is gathered on the interface thread, the picture is decoded and scaled on any thread, and
// the result is taken into the icon on the interface thread again.
struct PictureJob {
    CQuibIcon* icon = nullptr;
    CRect rect;
    SizeStep step{};
    std::unique_ptr<CQuibPict> picture;
    std::vector<std::uint8_t> stored; // the bytes to decode; empty when the picture came decoded
    QImage image;                     // the picture at its own size
    QSize target;                     // the box it is scaled into
    QSize shown;                      // the size it is drawn at
    QImage scaled;
    QImage bitmap; // as drawn
    bool keyed = false;
};

PictureJob gatherPicture(const PictureFinder& find, CQuibIcon& icon, const CRect& rect, const SizeStep& step)
{
    PictureJob job;
    job.icon = &icon;
    job.rect = rect;
    job.step = step;
    job.picture = FindIconPicture(find, icon, rect.Width(), rect.Height());
    if (!job.picture || job.picture->GetImage())
        return job;
    job.picture->Load();
    // The bytes are copied: decoding runs while the store may move its own.
    if (!job.picture->ReadHeader())
        return job;
    const std::uint8_t* data = job.picture->GetData();
    const std::int64_t size = job.picture->GetSize();
    if (data && size >= job.picture->HeaderLength)
        job.stored.assign(data + job.picture->HeaderLength, data + size);
    return job;
}

// Decodes and scales; reads the icon and writes only the job, so jobs of different icons run at once.
void makePicture(PictureJob& job)
{
    if (!job.picture)
        return;
    CQuibPict& picture = *job.picture;
    if (!job.stored.empty()) {
        picture.Image = DecodeStoredImage(job.stored.data(), job.stored.size(), picture.StoreFormat,
                                          picture.Width, picture.Height);
        job.stored = {};
    }
    const RgbImage* rgb = picture.GetImage();
    job.image = rgb ? lumivo::image::toQImage(*rgb) : QImage();
    if (job.image.isNull() || job.image.width() <= 0 || job.image.height() <= 0)
        return;
    const std::uint32_t flags = ScaleFlags(job.icon->Flags);
    // The image library's model fits the picture into its box by the scaling bits; the bitmap model
    // stretches it into a square.
    const bool libraryModel = theImageModel == kImageLibraryModel;
    job.target = libraryModel ? PictureBox(job.rect, job.step, flags) : bitmapModelBox(job.rect);
    if (job.target.isEmpty())
        return;
    job.shown = libraryModel ? ScaledPictureSize(job.image.size(), job.target, flags) : job.target;
    job.keyed = HasKeyColor(picture.TransparentColor);
    // A key colour must survive scaling pixel for pixel, so keyed pictures are not smoothed.
    job.scaled = job.image.scaled(KeptPictureSize(job.shown, job.image.size()), Qt::IgnoreAspectRatio,
                                  job.keyed ? Qt::FastTransformation : Qt::SmoothTransformation);
    // Drawn in the back buffer's own format, so that a repaint copies pixels and converts none.
    job.bitmap = job.keyed ? keyedImage(job.scaled, picture.TransparentColor & 0xFFFFFF)
                           : job.scaled.convertToFormat(QImage::Format_RGB32);
}

void takePicture(PictureJob& job)
{
    CQuibIcon& icon = *job.icon;
    if (!job.picture) {
        icon.PictCacheState = 0;
        return;
    }
    if (job.image.isNull()) {
        icon.PictCacheRect = job.rect;
        return;
    }
    icon.Flags = ScaleFlags(icon.Flags);
    if (job.target.isEmpty())
        return;
    icon.PictCacheData = std::move(job.scaled);
    icon.CachedBitmap = std::move(job.bitmap);
    if (job.keyed) {
        icon.PictCacheColor = job.picture->TransparentColor;
        icon.Flags |= kIconKeyColor;
    } else {
        // The previous picture's key colour must not cut holes into this one.
        icon.PictCacheColor = kIconNoCacheColor;
        icon.Flags &= ~kIconKeyColor;
    }
    icon.PictCacheState = std::uint16_t(job.step.step);
    icon.PictCacheBox = job.target;
    icon.PictCacheShownSize = job.shown;
    icon.PictCacheModel = theImageModel;
}

// Whether drawing the icon now would cache its picture in the plain icon's way.
bool drawsPictureNow(const CQuibIcon& icon, const CQuibIcon* clipIcon)
{
    if (typeid(icon) != typeid(CQuibIcon) || !(icon.Flags & kIconNeedsLayout) || !(icon.Flags & kIconVisible))
        return false;
    if ((icon.PictId == 0 && icon.WordId == 0) || clipIcon == &icon)
        return false;
    const bool editing = theEditTool != kEditToolBrowse;
    if (editing && !(theEditOptions & kEditOptionShowPictures))
        return false;
    const std::uint32_t kind = icon.Flags & kIconContentMask;
    if (kind == kIconContentPictureWhenEditing)
        return editing;
    return kind != kIconContentTextOnly && !(icon.Flags & kIconNoPicture);
}

// Runs `work` on every job, spread over the processor's cores.
template <class Work> void forEachAtOnce(std::vector<PictureJob>& jobs, Work work)
{
    const std::size_t threads =
        std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++)
            work(jobs[i]);
    };
    std::vector<std::jthread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(worker);
    worker();
}

} // namespace

void ResetIconPictures()
{
    theImageModel = kImageLibraryModel;
}

std::vector<int> PictureKindsForSize(int width, int height)
{
    std::vector<int> kinds;
    const auto below = [&](int limit) { return width < limit || height < limit; };
    if (below(37))
        kinds.push_back(1);
    else if (below(53))
        kinds.push_back(2);
    else if (below(85))
        kinds.push_back(3);
    else if (below(117))
        kinds.push_back(4);
    else if (width < 141 && height < 141)
        kinds.push_back(5);
    kinds.push_back(10);
    for (int kind : {5, 4, 3, 2, 1}) {
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            kinds.push_back(kind);
    }
    return kinds;
}

std::unique_ptr<CQuibPict> LoadWordPicture(std::int32_t id, int width, int height)
{
    if (id == 0)
        return nullptr;
    const std::vector<int> kinds = PictureKindsForSize(width, height);
    for (std::uint16_t language : SearchLanguageList()) {
        for (int kind : kinds) {
            auto found = FindAttachedById<CQuibPict>(
                id, {language},
                [kind](std::uint16_t each) { return MakePictType(std::int16_t(kind), std::int16_t(each)); },
                nullptr);
            if (found)
                return found;
        }
    }
    return nullptr;
}

bool IconMayShowMediaOf(const CQuibIcon& icon, std::int32_t id)
{
    if (id == 0)
        return false;
    if (id == icon.PictId || id == icon.SoundId || id == icon.ShownWordId || id == icon.WordId)
        return true;
    return icon.Word && icon.Word->FamilyList.size() == 1 && icon.Word->FamilyList.front() == id;
}

void DropIconMedia(CQuibIcon& icon)
{
    icon.CachedBitmap = QImage();
    icon.PictCacheData = QImage();
    icon.Sound.reset();
    // The picture is looked for again at the next paint.
    icon.Flags |= kIconNeedsLayout;
}

std::unique_ptr<CQuibPict> FindIconPicture(const PictureFinder& find, const CQuibIcon& icon, int width,
                                           int height)
{
    std::unique_ptr<CQuibPict> picture;
    if ((icon.Flags & kIconContentMask) != kIconContentOwnPictureOff && icon.PictId != 0)
        picture = find(icon.PictId, width, height);
    // After "next inflexion" the shown word's picture is shown; the icon's word stands in for a
    // member without a picture of its own.
    if (!picture && icon.ShownWordId != 0 && icon.ShownWordId != icon.WordId)
        picture = find(icon.ShownWordId, width, height);
    if (!picture)
        picture = find(icon.WordId, width, height);
    if (!picture && icon.Word && icon.Word->WordForm != kWordFormNoFamilyPicture &&
        icon.Word->FamilyList.size() == 1)
        picture = find(icon.Word->FamilyList.front(), width, height);
    return picture;
}

bool HasKeyColor(std::uint32_t transparentColor)
{
    const auto colorId = std::uint8_t(transparentColor >> 24);
    return colorId != kNoColorId && colorId != 0;
}

SizeStep SizeStepFor(int smallerSide, bool step2)
{
    if (step2)
        return {2, 48};
    struct Limit {
        int side;
        SizeStep step;
    };
    static constexpr std::array<Limit, 5> kLimits{
        {{48, {1, 32}}, {64, {2, 48}}, {96, {3, 64}}, {128, {4, 96}}, {192, {5, 128}}}};
    for (const Limit& limit : kLimits) {
        if (smallerSide <= limit.side - kPictureMargin)
            return limit.step;
    }
    return {10, 0};
}

std::uint32_t ScaleFlags(std::uint32_t iconFlags)
{
    return (iconFlags & kIconScaleMask) ? iconFlags : iconFlags | kIconFit | kIconSnapBox;
}

QSize PictureBox(const CRect& rect, const SizeStep& step, std::uint32_t scaleFlags)
{
    const int width = rect.Width();
    const int height = rect.Height();
    const int smaller = std::min(width, height);
    if (!(scaleFlags & kIconSnapBox) || step.box == 0 || std::abs(step.box - smaller) > kPictureMargin ||
        smaller <= 0)
        return {width, height};
    if (width <= height)
        return {step.box, MulDiv(height, step.box, width)};
    return {MulDiv(width, step.box, height), step.box};
}

QSize ScaledPictureSize(const QSize& picture, const QSize& box, std::uint32_t scaleFlags)
{
    const int scaleX = MulDivSaturated(1000, box.width(), picture.width());
    const int scaleY = MulDivSaturated(1000, box.height(), picture.height());
    const std::uint32_t mode = scaleFlags & kIconScaleMask;
    const int fit = std::min(scaleX, scaleY);
    const int fill = std::max(scaleX, scaleY);
    const int x = mode == kIconScaleMask ? scaleX : mode == kIconFill ? fill : fit;
    const int y = mode == kIconScaleMask ? scaleY : mode == kIconFill ? fill : fit;
    return {std::max(1, MulDivSaturated(picture.width(), x, 1000)),
            std::max(1, MulDivSaturated(picture.height(), y, 1000))};
}

std::optional<SizeStep> StepToCache(CQuibIcon& icon, const CRect& rect, bool step2)
{
    const SizeStep step = SizeStepFor(std::min(rect.Width(), rect.Height()), step2);
    const QSize box = theImageModel == kImageLibraryModel ? PictureBox(rect, step, ScaleFlags(icon.Flags))
                                                          : bitmapModelBox(rect);
    if (step.step != icon.PictCacheState || box != icon.PictCacheBox ||
        theImageModel != icon.PictCacheModel) {
        icon.CachedBitmap = QImage();
        icon.PictCacheData = QImage();
    }
    if (!icon.PictCacheData.isNull())
        return std::nullopt;
    return step;
}

void CacheIconPicture(const PictureFinder& find, CQuibIcon& icon, const CRect& rect, const SizeStep& step)
{
    PictureJob job = gatherPicture(find, icon, rect, step);
    makePicture(job);
    takePicture(job);
}

void PrepareIconPictures(const PictureFinder& find, const CQuibIconList& icons, bool step2,
                         const CQuibIcon* clipIcon)
{
    std::vector<PictureJob> jobs;
    for (const auto& each : icons) {
        CQuibIcon& icon = *each;
        if (!drawsPictureNow(icon, clipIcon))
            continue;
        if (const auto step = StepToCache(icon, icon.ScreenRect, step2))
            jobs.push_back(gatherPicture(find, icon, icon.ScreenRect, *step));
    }
    forEachAtOnce(jobs, makePicture);
    for (PictureJob& job : jobs)
        takePicture(job);
}
