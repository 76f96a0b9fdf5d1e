#include "authoring/ImageOperations.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr int kPerMille = 1000;

int clampPerMille(int value)
{
    return std::clamp(value, 0, kPerMille);
}

} // namespace

namespace
{

int pictureFileCode(lumivo::image::FileType type)
{
    return lumivo::image::isReadableType(type) ? static_cast<int>(type) : kNoPictureFile;
}

} // namespace

int GuessPictureFileType(const std::uint8_t* data, std::size_t size)
{
    return pictureFileCode(lumivo::image::guessFileType(data, size));
}

int GuessPictureFileType(const QString& path)
{
    return pictureFileCode(lumivo::image::guessFileTypeOfFile(path));
}

bool IsWellFormed(const RgbImage& image)
{
    const auto bytes = lumivo::image::rgbByteSize(image.width, image.height);
    return bytes && *bytes == image.pixels.size();
}

std::optional<RgbImage> ResizeRgb(const RgbImage& image, int width, int height)
{
    if (width <= 0 || height <= 0 || !IsWellFormed(image))
        return std::nullopt;
    if (width == image.width && height == image.height)
        return image;
    return lumivo::image::resize(image, width, height);
}

std::optional<RgbImage> CropRgb(const RgbImage& image, int left, int top, int right, int bottom)
{
    if (!IsWellFormed(image) || left < 0 || top < 0 || right > image.width || bottom > image.height ||
        left >= right || top >= bottom)
        return std::nullopt;
    return lumivo::image::crop(image, left, top, right - left, bottom - top);
}

std::optional<RgbImage> RotateRgbClockwise(const RgbImage& image)
{
    if (!IsWellFormed(image))
        return std::nullopt;
    RgbImage turned;
    turned.width = image.height;
    turned.height = image.width;
    turned.pixels.resize(image.pixels.size());
    const std::size_t sourceRow = std::size_t(image.width) * 3;
    const std::size_t turnedRow = std::size_t(turned.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* from = image.pixels.data() + std::size_t(y) * sourceRow;
        // Row y of the source becomes column height - 1 - y of the turned picture, top to bottom.
        std::uint8_t* to = turned.pixels.data() + std::size_t(image.height - 1 - y) * 3;
        for (int x = 0; x < image.width; ++x, from += 3, to += turnedRow)
            std::memcpy(to, from, 3);
    }
    return turned;
}

RgbImage FitToTarget(const RgbImage& image, std::uint16_t importMode, int targetWidth, int targetHeight)
{
    if (importMode & kImportResize) {
        if (auto resized = ResizeRgb(image, targetWidth, targetHeight))
            return std::move(*resized);
        return image;
    }
    if ((importMode & kImportCrop) && image.width > targetWidth && image.height > targetHeight) {
        if (auto cut = CropRgb(image, 0, 0, targetWidth, targetHeight))
            return std::move(*cut);
    }
    return image;
}

CropMargins RotateMarginsClockwise(const CropMargins& margins)
{
    return {margins.bottom, margins.left, margins.top, margins.right};
}

CropRect CropRectOfMargins(int width, int height, const CropMargins& margins)
{
    const std::int64_t w = std::max(width, 0);
    const std::int64_t h = std::max(height, 0);
    CropRect rect;
    rect.left = int(w * clampPerMille(margins.left) / kPerMille);
    rect.top = int(h * clampPerMille(margins.top) / kPerMille);
    rect.right = int(w - w * clampPerMille(margins.right) / kPerMille);
    rect.bottom = int(h - h * clampPerMille(margins.bottom) / kPerMille);
    const bool smaller = rect.left > 0 || rect.top > 0 || rect.right < w || rect.bottom < h;
    if (smaller) {
        if (rect.right == w)
            rect.right = int(w - 1);
        if (rect.bottom == h)
            rect.bottom = int(h - 1);
    }
    return rect;
}

RgbImage CropByMargins(const RgbImage& image, const CropMargins& margins)
{
    if (margins.isZero())
        return image;
    const CropRect rect = CropRectOfMargins(image.width, image.height, margins);
    if (rect.isEmpty())
        return image;
    if (auto cut = CropRgb(image, rect.left, rect.top, rect.right, rect.bottom))
        return std::move(*cut);
    return image;
}

QSize ShrinkToFit(QSize picture, QSize box)
{
    if (picture.isEmpty() || box.isEmpty())
        return picture;
    const std::int64_t ratioX = std::int64_t(picture.width()) * kPerMille / box.width();
    const std::int64_t ratioY = std::int64_t(picture.height()) * kPerMille / box.height();
    const std::int64_t ratio = std::max(ratioX, ratioY);
    if (ratio <= kPerMille)
        return picture;
    return {int(std::int64_t(picture.width()) * kPerMille / ratio),
            int(std::int64_t(picture.height()) * kPerMille / ratio)};
}

QImage ToDisplayImage(const RgbImage& image)
{
    if (!IsWellFormed(image))
        return {};
    return lumivo::image::toQImage(image);
}
