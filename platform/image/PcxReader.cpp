// 1-bit PCX of our own: old black-and-white symbol sets are kept this way, with the two colours in the
// header's palette either way round, which the image library does not honour.

#include "platform/image/ImageDecoders.h"

#include <array>

namespace lumivo::image
{

namespace
{

constexpr std::size_t headerSize = 128;

int little16(const std::uint8_t* at)
{
    return at[0] | (at[1] << 8);
}

// The run-length coded scan lines, one after the other: a byte of 0xC0 or more repeats the next byte
// by its low six bits. Runs may carry on across lines. False when the data ends too soon.
bool unpackLines(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& lines, bool encoded)
{
    std::size_t at = headerSize, made = 0;
    while (made < lines.size()) {
        if (at >= size)
            return false;
        std::uint8_t value = data[at++];
        std::size_t count = 1;
        if (encoded && value >= 0xC0) {
            if (at >= size)
                return false;
            count = value & 0x3F;
            value = data[at++];
        }
        for (; count > 0 && made < lines.size(); --count)
            lines[made++] = value;
    }
    return true;
}

} // namespace

std::optional<RgbImage> decodeMonochromePcx(const std::uint8_t* data, std::size_t size, bool& handled,
                                            DecodeFailure& failure)
{
    handled = size >= headerSize && data[3] == 1 && data[65] == 1;
    if (!handled)
        return std::nullopt;
    const int width = little16(data + 8) - little16(data + 4) + 1;
    const int height = little16(data + 10) - little16(data + 6) + 1;
    const int lineBytes = little16(data + 66);
    // Lines are padded to an even count of bytes; more than a little padding is damage, and would
    // otherwise have a few bytes ask for gigabytes.
    const int neededBytes = (width + 7) / 8;
    if (width <= 0 || height <= 0 || lineBytes < neededBytes || lineBytes > neededBytes + 8)
        return std::nullopt;
    if (std::int64_t(width) * height > maxPicturePixels) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    // The packed lines (an eighth of a byte a pixel) come first, so a cut-off file never asks for the
    // picture's full memory.
    std::vector<std::uint8_t> lines(std::size_t(lineBytes) * std::size_t(height));
    if (!unpackLines(data, size, lines, data[2] == 1))
        return std::nullopt;
    auto image = allocateRgb(width, height, failure);
    if (!image)
        return std::nullopt;

    // Bit 0 shows the palette's first colour, bit 1 its second. Writers that leave the palette empty
    // (both the same) mean black and white.
    std::array<std::array<std::uint8_t, 3>, 2> colours{
        {{data[16], data[17], data[18]}, {data[19], data[20], data[21]}}};
    if (colours[0] == colours[1])
        colours = {{{0, 0, 0}, {255, 255, 255}}};
    std::uint8_t* out = image->pixels.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* line = lines.data() + std::size_t(y) * lineBytes;
        for (int x = 0; x < width; ++x, out += 3) {
            const auto& colour = colours[(line[x / 8] >> (7 - x % 8)) & 1];
            out[0] = colour[0];
            out[1] = colour[1];
            out[2] = colour[2];
        }
    }
    return image;
}

} // namespace lumivo::image
