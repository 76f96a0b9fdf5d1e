// BMP of our own: every header (OS/2 1.x, Windows 3 to 5), depth (1, 4, 8 with a palette; 16, 24, 32
// with or without bit fields), run-length coding (RLE4, RLE8) and row order, straight into 24-bit RGB,
// so that scans of up to 100 megapixels need no more memory than their pixels.

#include "platform/image/ImageDecoders.h"

#include <array>
#include <bit>

namespace lumivo::image
{

namespace
{

enum Compression : std::uint32_t { plainRgb = 0, rle8 = 1, rle4 = 2, bitFields = 3, alphaBitFields = 6 };

std::uint32_t little(const std::uint8_t* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

struct Mask {
    std::uint32_t bits = 0;
    int shift = 0;
    std::uint32_t largest = 0;

    explicit Mask(std::uint32_t mask = 0) : bits(mask)
    {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        largest = mask >> shift;
    }
    std::uint8_t of(std::uint32_t pixel) const
    {
        if (largest == 0)
            return 0;
        return std::uint8_t((((pixel & bits) >> shift) * 255u + largest / 2) / largest);
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows as stored: bottom-up unless `topDown`
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = plainRgb;
    std::size_t pixelOffset = 0;
    std::size_t paletteOffset = 0;
    int paletteEntryBytes = 4;
    std::size_t paletteEntries = 0;
    Mask red, green, blue, alpha;
};

std::optional<Header> readHeader(const std::uint8_t* data, std::size_t size)
{
    if (size < 26)
        return std::nullopt;
    Header header;
    header.pixelOffset = little(data + 10, 4);
    const std::size_t infoSize = little(data + 14, 4);
    if (infoSize == 12) {
        header.width = little(data + 18, 2);
        header.height = little(data + 20, 2);
        header.bitsPerPixel = int(little(data + 24, 2));
        header.paletteEntryBytes = 3;
    } else if (infoSize >= 40 && size >= 14 + 40) {
        header.width = std::int32_t(little(data + 18, 4));
        const std::int32_t height = std::int32_t(little(data + 22, 4));
        header.topDown = height < 0;
        header.height = height < 0 ? -std::int64_t(height) : height;
        header.bitsPerPixel = int(little(data + 28, 2));
        header.compression = little(data + 30, 4);
        header.paletteEntries = little(data + 46, 4);
    } else {
        return std::nullopt;
    }
    header.paletteOffset = 14 + infoSize;
    if (header.compression == bitFields || header.compression == alphaBitFields) {
        // A Windows 3 header is followed by the masks; later headers hold them.
        const std::size_t masks = infoSize >= 52 ? 14 + 40 : 14 + infoSize;
        const int count = header.compression == alphaBitFields || infoSize >= 56 ? 4 : 3;
        if (masks + std::size_t(count) * 4 > size)
            return std::nullopt;
        header.red = Mask(little(data + masks, 4));
        header.green = Mask(little(data + masks + 4, 4));
        header.blue = Mask(little(data + masks + 8, 4));
        if (count == 4)
            header.alpha = Mask(little(data + masks + 12, 4));
        if (infoSize == 40)
            header.paletteOffset += std::size_t(count) * 4;
    } else if (header.bitsPerPixel == 16) {
        header.red = Mask(0x7C00);
        header.green = Mask(0x03E0);
        header.blue = Mask(0x001F);
    } else if (header.bitsPerPixel == 32) {
        header.red = Mask(0xFF0000);
        header.green = Mask(0xFF00);
        header.blue = Mask(0xFF);
    }
    return header;
}

bool isSupported(const Header& header)
{
    switch (header.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
        return header.compression == plainRgb || (header.compression == rle8 && header.bitsPerPixel == 8) ||
               (header.compression == rle4 && header.bitsPerPixel == 4);
    case 16:
    case 32:
        return header.compression == plainRgb || header.compression == bitFields ||
               header.compression == alphaBitFields;
    case 24:
        return header.compression == plainRgb;
    default:
        return false;
    }
}

using Colour = std::array<std::uint8_t, 3>;

// The palette, as many entries as the depth can index; missing entries are black.
std::optional<std::vector<Colour>> readPalette(const std::uint8_t* data, std::size_t size,
                                               const Header& header)
{
    std::vector<Colour> palette(std::size_t(1) << header.bitsPerPixel, Colour{0, 0, 0});
    std::size_t entries = header.paletteEntries == 0 ? palette.size() : header.paletteEntries;
    entries = std::min(entries, palette.size());
    const std::size_t end = header.paletteOffset + entries * std::size_t(header.paletteEntryBytes);
    if (end > size || end > header.pixelOffset)
        return std::nullopt;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = data + header.paletteOffset + i * std::size_t(header.paletteEntryBytes);
        palette[i] = {entry[2], entry[1], entry[0]};
    }
    return palette;
}

std::uint8_t* rowOf(RgbImage& image, const Header& header, std::int64_t storedRow)
{
    const std::int64_t y = header.topDown ? storedRow : header.height - 1 - storedRow;
    return image.pixels.data() + std::size_t(y) * std::size_t(image.width) * 3;
}

void putColour(std::uint8_t* at, const Colour& colour)
{
    at[0] = colour[0];
    at[1] = colour[1];
    at[2] = colour[2];
}

std::size_t strideOf(const Header& header)
{
    return (std::size_t(header.width) * std::size_t(header.bitsPerPixel) + 31) / 32 * 4;
}

// Uncompressed rows, each padded to four bytes, read one at a time.
bool readRows(ByteSource& source, const Header& header, const std::vector<Colour>& palette, RgbImage& image)
{
    const std::size_t stride = strideOf(header);
    std::vector<std::uint8_t> line(stride);
    const std::uint8_t* in = line.data();
    const bool hasAlpha = header.alpha.bits != 0;
    for (std::int64_t row = 0; row < header.height; ++row) {
        if (!source.read(header.pixelOffset + std::uint64_t(row) * stride, line.data(), stride))
            return false; // cut off: half a picture is not shown
        std::uint8_t* out = rowOf(image, header, row);
        for (std::int64_t x = 0; x < header.width; ++x, out += 3) {
            switch (header.bitsPerPixel) {
            case 1:
            case 4:
            case 8: {
                const int bits = header.bitsPerPixel;
                const std::size_t bit = std::size_t(x) * std::size_t(bits);
                const int index = (in[bit / 8] >> (8 - bits - int(bit % 8))) & ((1 << bits) - 1);
                putColour(out, palette[std::size_t(index)]);
                break;
            }
            case 24:
                putColour(out, {in[x * 3 + 2], in[x * 3 + 1], in[x * 3]});
                break;
            default: {
                const std::uint32_t pixel =
                    little(in + x * (header.bitsPerPixel / 8), header.bitsPerPixel / 8);
                Colour colour{header.red.of(pixel), header.green.of(pixel), header.blue.of(pixel)};
                if (hasAlpha) {
                    // Transparent parts are shown on white, as the pages' background shows them.
                    const unsigned a = header.alpha.of(pixel);
                    for (auto& channel : colour)
                        channel = std::uint8_t((channel * a + 255 * (255 - a) + 127) / 255);
                }
                putColour(out, colour);
            }
            }
        }
    }
    return true;
}

// Run-length coded rows: a count and a colour index (two for RLE4, alternating), or an escape: end of
// line, end of picture, a jump, or a run of literal indices padded to two bytes. Pixels never set show
// the first palette colour; rows past the picture are passed over.
bool readRunLengths(ByteSource& source, const Header& header, const std::vector<Colour>& palette,
                    RgbImage& image)
{
    // Coded data is at most as large as the file, and never needs more than two bytes a pixel plus an
    // end of line per row: what a file holds beyond that is not read, however large the file.
    const std::uint64_t largestCoding =
        2 * std::uint64_t(header.width) * std::uint64_t(header.height) + 2 * std::uint64_t(header.height) + 2;
    std::vector<std::uint8_t> coded(
        std::size_t(std::min<std::uint64_t>(source.size() - header.pixelOffset, largestCoding)));
    if (!source.read(header.pixelOffset, coded.data(), coded.size()))
        return false;
    const std::uint8_t* data = coded.data();
    const std::size_t size = coded.size();
    for (std::size_t i = 0; i < image.pixels.size(); i += 3)
        putColour(image.pixels.data() + i, palette[0]);
    const bool four = header.compression == rle4;
    std::int64_t x = 0, row = 0;
    std::size_t at = 0;
    auto put = [&](int index) {
        if (x < header.width && row < header.height)
            putColour(rowOf(image, header, row) + std::size_t(x) * 3, palette[std::size_t(index)]);
        ++x;
    };
    while (at + 2 <= size) {
        const int count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of picture
            return true;
        } else if (value == 2) { // jump right and up
            if (at + 2 > size)
                return false;
            x += data[at];
            row += data[at + 1];
            at += 2;
        } else { // literal indices
            const std::size_t bytes = four ? (std::size_t(value) + 1) / 2 : std::size_t(value);
            if (at + bytes > size)
                return false;
            for (int i = 0; i < value; ++i)
                put(four ? (i % 2 == 0 ? data[at + i / 2] >> 4 : data[at + i / 2] & 15) : data[at + i]);
            at += bytes + (bytes & 1);
        }
    }
    return false; // no end marker: the file is cut off
}

} // namespace

std::optional<RgbImage> decodeBmp(ByteSource& source, DecodeFailure& failure)
{
    // The headers, masks and palette lie before the pixels; a megabyte holds them in every real file.
    constexpr std::uint64_t maxHeadBytes = std::uint64_t(1) << 20;
    std::vector<std::uint8_t> head(std::size_t(std::min(source.size(), std::uint64_t(14 + 124 + 16))));
    if (!source.read(0, head.data(), head.size()) || head.size() < 14)
        return std::nullopt;
    const std::uint64_t pixelOffset = little(head.data() + 10, 4);
    if (pixelOffset > head.size()) {
        head.resize(std::size_t(std::min({pixelOffset, source.size(), maxHeadBytes})));
        if (!source.read(0, head.data(), head.size()))
            return std::nullopt;
    }
    const auto header = readHeader(head.data(), head.size());
    if (!header || !isSupported(*header) || header->width <= 0 || header->height <= 0 ||
        header->pixelOffset >= source.size())
        return std::nullopt;
    if (!rgbByteSize(header->width, header->height) || header->width * header->height > maxPicturePixels) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    std::vector<Colour> palette;
    if (header->bitsPerPixel <= 8) {
        auto read = readPalette(head.data(), head.size(), *header);
        if (!read)
            return std::nullopt;
        palette = std::move(*read);
    }
    // An uncompressed picture must be all there before its memory is asked for.
    const bool runLengths = header->compression == rle8 || header->compression == rle4;
    if (!runLengths && std::uint64_t(strideOf(*header)) * std::uint64_t(header->height) >
                           source.size() - header->pixelOffset)
        return std::nullopt;
    auto image = allocateRgb(header->width, header->height, failure);
    if (!image)
        return std::nullopt;
    const bool read = runLengths ? readRunLengths(source, *header, palette, *image)
                                 : readRows(source, *header, palette, *image);
    if (!read)
        return std::nullopt;
    return image;
}

} // namespace lumivo::image
