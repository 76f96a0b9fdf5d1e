// PNG through libpng's simplified interface: every colour type and depth straight into 24-bit RGB, with
// transparent parts laid on white, and no working copy larger than one row.

#include "platform/image/ImageDecoders.h"

#include <png.h>

#include <cstring>

namespace lumivo::image
{

namespace
{

struct ImageFreer {
    png_image* image;
    ~ImageFreer() { png_image_free(image); }
};

} // namespace

std::optional<RgbImage> decodePng(const std::uint8_t* data, std::size_t size, DecodeFailure& failure)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    const ImageFreer freer{&png};
    if (!png_image_begin_read_from_memory(&png, data, size))
        return std::nullopt;
    auto image = allocateRgb(png.width, png.height, failure);
    if (!image)
        return std::nullopt;
    png.format = PNG_FORMAT_RGB;
    // Transparent parts are shown on white, the way the pages' background shows them.
    const png_color white{255, 255, 255};
    // A cut-off or damaged image stream is an error, never half a picture; warnings about ancillary
    // chunks (colour profiles, text) leave a good picture.
    if (!png_image_finish_read(&png, &white, image->pixels.data(), image->width * 3, nullptr))
        return std::nullopt;
    return image;
}

} // namespace lumivo::image
