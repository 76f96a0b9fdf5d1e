#include "platform/image/ImageLibrary.h"

#include <Magick++.h>

#include <algorithm>
#include <mutex>

namespace lumivo::image
{

namespace
{

// The image library keeps 8 bytes a pixel besides our 3; the formats it still reads (PCX, PSD)
// stay within bounded memory up to this size.
constexpr std::int64_t maxLibraryPixels = 32'000'000;

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        Magick::ResourceLimits::width(maxPictureSide);
        Magick::ResourceLimits::height(maxPictureSide);
        Magick::ResourceLimits::area(maxLibraryPixels);
        // A picture too large for memory fails at once instead of paging through a cache on disk.
        Magick::ResourceLimits::disk(0);
    });
}

// Reads with the coder named explicitly, so that no other coder ever sees the bytes. A warning about
// damaged data counts as a failure: a truncated picture is not half shown.
bool readWithCoder(Magick::Image& picture, const std::uint8_t* data, std::size_t size, const char* coder,
                   DecodeFailure& failure)
{
    try {
        picture.magick(coder);
        picture.read(Magick::Blob(data, size));
    } catch (const Magick::WarningCorruptImage&) {
        return false;
    } catch (const Magick::Warning&) {
        // Other warnings (unknown tags, odd profiles) leave a good picture behind.
    } catch (const Magick::ErrorResourceLimit&) {
        failure = DecodeFailure::TooLarge;
        return false;
    } catch (const Magick::ErrorCache&) {
        // The pixel cache is refused beyond its limits: the picture is too large for this library.
        failure = DecodeFailure::TooLarge;
        return false;
    } catch (const Magick::Exception&) {
        return false;
    }
    return picture.isValid() && picture.columns() > 0 && picture.rows() > 0;
}

std::optional<RgbImage> exportRgb(Magick::Image& picture)
{
    try {
        if (picture.colorSpace() == Magick::CMYKColorspace)
            picture.colorSpace(Magick::sRGBColorspace);
        if (picture.matte()) {
            // Transparent parts are shown on white, the way the pages' background shows them.
            picture.backgroundColor(Magick::Color("white"));
            picture.alphaChannel(Magick::RemoveAlphaChannel);
        }
        const auto bytes = rgbByteSize(picture.columns(), picture.rows());
        if (!bytes)
            return std::nullopt;
        RgbImage image;
        image.width = int(picture.columns());
        image.height = int(picture.rows());
        image.pixels.resize(*bytes);
        picture.write(0, 0, picture.columns(), picture.rows(), "RGB", Magick::CharPixel, image.pixels.data());
        return image;
    } catch (const Magick::Exception&) {
        return std::nullopt;
    }
}

std::optional<Magick::Image> toPicture(const RgbImage& image)
{
    if (image.isNull() || rgbByteSize(image.width, image.height) != image.pixels.size())
        return std::nullopt;
    initialiseLibrary();
    // The library asserts (and aborts the program) instead of throwing when asked to make a picture
    // beyond its limits, and the system's policy may keep those below ours: such a picture is refused.
    const auto width = static_cast<std::uint64_t>(image.width);
    const auto height = static_cast<std::uint64_t>(image.height);
    if (width > Magick::ResourceLimits::width() || height > Magick::ResourceLimits::height() ||
        width * height > Magick::ResourceLimits::area())
        return std::nullopt;
    try {
        Magick::Image picture(image.width, image.height, "RGB", Magick::CharPixel, image.pixels.data());
        picture.depth(8);
        return picture;
    } catch (const Magick::Exception&) {
        return std::nullopt;
    }
}

bool writeBlob(Magick::Image& picture, const char* coder, std::vector<std::uint8_t>& out)
{
    try {
        picture.magick(coder);
        picture.strip();
        Magick::Blob blob;
        picture.write(&blob);
        const auto* bytes = static_cast<const std::uint8_t*>(blob.data());
        out.assign(bytes, bytes + blob.length());
        return !out.empty();
    } catch (const Magick::Exception&) {
        out.clear();
        return false;
    }
}

} // namespace

std::optional<RgbImage> decodeWithImageLibrary(const std::uint8_t* data, std::size_t size, const char* coder,
                                               DecodeFailure& failure)
{
    initialiseLibrary();
    Magick::Image picture;
    if (!readWithCoder(picture, data, size, coder, failure))
        return std::nullopt;
    return exportRgb(picture);
}

bool encodeWithImageLibrary(const RgbImage& image, const char* coder, std::vector<std::uint8_t>& out)
{
    out.clear();
    auto picture = toPicture(image);
    return picture && writeBlob(*picture, coder, out);
}

bool encodeJpeg(const RgbImage& image, int quality, std::vector<std::uint8_t>& out)
{
    out.clear();
    auto picture = toPicture(image);
    if (!picture)
        return false;
    // The library reads quality 0 as "choose for me"; here 0 is the lowest there is.
    picture->quality(std::clamp(quality, 1, 100));
    // Always three components, even for a grey picture, which the library would write with one.
    picture->type(Magick::TrueColorType);
    return writeBlob(*picture, "JPEG", out);
}

bool encodePng(const RgbImage& image, std::vector<std::uint8_t>& out)
{
    out.clear();
    auto picture = toPicture(image);
    if (!picture)
        return false;
    picture->defineValue("png", "color-type", "2");
    picture->defineValue("png", "bit-depth", "8");
    picture->defineValue("png", "exclude-chunks", "date,time");
    return writeBlob(*picture, "PNG", out);
}

std::optional<RgbImage> resize(const RgbImage& image, int width, int height)
{
    if (!rgbByteSize(width, height))
        return std::nullopt;
    auto picture = toPicture(image);
    if (!picture)
        return std::nullopt;
    try {
        Magick::Geometry size(width, height);
        size.aspect(true);
        picture->resize(size);
    } catch (const Magick::Exception&) {
        return std::nullopt;
    }
    return exportRgb(*picture);
}

std::optional<RgbImage> rotate(const RgbImage& image, double degrees)
{
    auto picture = toPicture(image);
    if (!picture)
        return std::nullopt;
    try {
        picture->backgroundColor(Magick::Color("white"));
        picture->rotate(degrees);
    } catch (const Magick::Exception&) {
        return std::nullopt;
    }
    return exportRgb(*picture);
}

std::optional<RgbImage> blur(const RgbImage& image, double radius, double sigma)
{
    auto picture = toPicture(image);
    if (!picture)
        return std::nullopt;
    try {
        picture->blur(radius, sigma);
    } catch (const Magick::Exception&) {
        return std::nullopt;
    }
    return exportRgb(*picture);
}

} // namespace lumivo::image
