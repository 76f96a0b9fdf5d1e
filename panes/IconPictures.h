#pragma once
// The pictures icons show. An icon's picture is found by its picture or word id for the icon's size,
// decoded, and scaled once per size step into the icon's cache (CachedBitmap, PictCacheData and the
// PictCache... fields); the painter draws from that cache. A page shown for the first time makes the
// pictures of all its icons at once, side by side on the processor's cores.

#include "core/Icon.h"

#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CQuibPict;

// Finds the picture of a word or picture id for an icon of that size; none when there is none.
using PictureFinder = std::function<std::unique_ptr<CQuibPict>(std::int32_t id, int width, int height)>;

// kImageLibraryModel: pictures fitted into their size step's box by the icon's scaling bits; any other
// value: the bitmap model, which stretches them into a square box by the icon's size.
constexpr std::int16_t kImageLibraryModel = 2;
extern std::int16_t theImageModel;

// The picture kinds to try for an icon of that size, best first.
std::vector<int> PictureKindsForSize(int width, int height);
// The picture of that id for an icon of that size: per search language, the first kind of
// PictureKindsForSize that a file holds, from the latest file that holds it; none when there is none.
// What the program finds pictures with.
std::unique_ptr<CQuibPict> LoadWordPicture(std::int32_t id, int width, int height);
// The picture the icon shows, through `find`: its own unless it turned that off, else the shown
// inflexion's, its word's, or the one picture of its word's family.
std::unique_ptr<CQuibPict> FindIconPicture(const PictureFinder& find, const CQuibIcon& icon, int width,
                                           int height);
// Whether the icon may show a picture or clip, or play a sound, stored under `id`: its own picture or
// sound, its shown word's, its word's or its family's.
bool IconMayShowMediaOf(const CQuibIcon& icon, std::int32_t id);
// Drops the icon's cached picture and its sound, so that the next paint or touch finds them again.
void DropIconMedia(CQuibIcon& icon);
// Whether a picture's transparent colour (CQuibPict::TransparentColor) names a key colour at all.
bool HasKeyColor(std::uint32_t transparentColor);

// A size step and its standard box (0: none), by the smaller side of the icon; `step2` keeps every
// picture in step 2 (the writer's strip).
struct SizeStep {
    int step;
    int box;
};
SizeStep SizeStepFor(int smallerSide, bool step2);
// The scaling bits a picture is drawn with: fit into a snapped box until the icon's flags say otherwise.
std::uint32_t ScaleFlags(std::uint32_t iconFlags);
// Where the picture goes: the box (the rectangle, or the standard size when it is near enough).
QSize PictureBox(const CRect& rect, const SizeStep& step, std::uint32_t scaleFlags);
// The size a picture of `picture` pixels is drawn at in `box`, by the scaling bits.
QSize ScaledPictureSize(const QSize& picture, const QSize& box, std::uint32_t scaleFlags);

// The size step the icon's picture is to be cached for in `rect`; none when the cache it has fits. A
// cache made for another step, box or image model is dropped.
std::optional<SizeStep> StepToCache(CQuibIcon& icon, const CRect& rect, bool step2);
// Finds, decodes and scales the icon's picture into its cache, for `rect` at that step.
void CacheIconPicture(const PictureFinder& find, CQuibIcon& icon, const CRect& rect, const SizeStep& step);
// Caches the pictures of the icons that the next drawing would cache, all at once on the processor's
// cores. `clipIcon` shows a clip instead and is left out; drawing makes any picture this leaves out.
void PrepareIconPictures(const PictureFinder& find, const CQuibIconList& icons, bool step2,
                         const CQuibIcon* clipIcon);

// Puts the image model back.
void ResetIconPictures();
