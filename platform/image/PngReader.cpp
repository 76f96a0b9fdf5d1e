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

// RGBA to RGB in place, over white: each pixel moves to a place no later than its own.
void layOnWhite(std::vector<std::uint8_t>& pixels)
{
    const std::size_t count = pixels.size() / 4;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned alpha = pixels[4 * i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            pixels[3 * i + c] = std::uint8_t((pixels[4 * i + c] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
    pixels.resize(count * 3);
}

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
    // Transparent parts are laid on white by hand, in the stored colour values as every other reader of
    // ours and the drawing code do: the library would blend in linear light, which looks different.
    const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int channels = alpha ? 4 : 3;
    if (alpha) {
        if (std::uint64_t(png.width) * png.height * 4 > maxDecodingBytes) {
            failure = DecodeFailure::TooLarge;
            return std::nullopt;
        }
        // A buffer of its own, not a grown copy of the RGB one: only four bytes a pixel at a time.
        std::vector<std::uint8_t>(std::size_t(png.width) * png.height * 4).swap(image->pixels);
    }
    // A cut-off or damaged image stream is an error, never half a picture; warnings about ancillary
    // chunks (colour profiles, text) leave a good picture.
    if (!png_image_finish_read(&png, nullptr, image->pixels.data(), int(png.width) * channels, nullptr))
        return std::nullopt;
    if (alpha)
        layOnWhite(image->pixels);
    return image;
}

} // namespace lumivo::image
