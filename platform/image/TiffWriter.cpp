// TIFF writing of our own: the picture library only writes deflate under the newer code 8, and stored
// pictures carry the older deflate code 32946, which every TIFF reader still understands.

#include "platform/image/Image.h"

#include <zlib.h>

namespace lumivo::image
{

namespace
{

constexpr std::uint16_t deflateCompression = 32946;

class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(std::vector<std::uint8_t>& out) : m_out(out) {}
    void u16(std::uint16_t value)
    {
        m_out.push_back(std::uint8_t(value));
        m_out.push_back(std::uint8_t(value >> 8));
    }
    void u32(std::uint32_t value)
    {
        u16(std::uint16_t(value));
        u16(std::uint16_t(value >> 16));
    }
    void bytes(const std::vector<std::uint8_t>& data) { m_out.insert(m_out.end(), data.begin(), data.end()); }

private:
    std::vector<std::uint8_t>& m_out;
};

enum FieldType : std::uint16_t { Short = 3, Long = 4, Rational = 5 };

struct Entry {
    std::uint16_t tag;
    FieldType type;
    std::uint32_t count;
    std::uint32_t value; // the value itself, or the offset of the values
};

bool deflatePixels(const RgbImage& image, std::vector<std::uint8_t>& packed)
{
    uLongf length = compressBound(uLong(image.pixels.size()));
    packed.resize(length);
    if (compress2(packed.data(), &length, image.pixels.data(), uLong(image.pixels.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(length);
    return true;
}

} // namespace

bool encodeTiff(const RgbImage& image, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (image.isNull() || rgbByteSize(image.width, image.height) != image.pixels.size())
        return false;
    std::vector<std::uint8_t> packed;
    if (!deflatePixels(image, packed))
        return false;

    // Layout: header, the three bits-per-sample values, two resolutions, the strip, then the directory.
    const std::uint32_t bitsOffset = 8;
    const std::uint32_t resolutionOffset = bitsOffset + 6 + 2;
    const std::uint32_t stripOffset = resolutionOffset + 16;
    std::uint32_t directoryOffset = stripOffset + std::uint32_t(packed.size());
    directoryOffset += directoryOffset & 1;

    const Entry entries[] = {
        {256, Long, 1, std::uint32_t(image.width)},
        {257, Long, 1, std::uint32_t(image.height)},
        {258, Short, 3, bitsOffset},
        {259, Short, 1, deflateCompression},
        {262, Short, 1, 2}, // RGB
        {273, Long, 1, stripOffset},
        {277, Short, 1, 3},
        {278, Long, 1, std::uint32_t(image.height)},
        {279, Long, 1, std::uint32_t(packed.size())},
        {282, Rational, 1, resolutionOffset},
        {283, Rational, 1, resolutionOffset + 8},
        {284, Short, 1, 1}, // chunky
        {296, Short, 1, 2}, // inches
    };

    LittleEndianWriter write(out);
    write.u16(0x4949);
    write.u16(42);
    write.u32(directoryOffset);
    for (int i = 0; i < 3; ++i)
        write.u16(8);
    write.u16(0);
    for (int i = 0; i < 2; ++i) {
        write.u32(96);
        write.u32(1);
    }
    write.bytes(packed);
    if (out.size() & 1)
        out.push_back(0);

    write.u16(std::uint16_t(std::size(entries)));
    for (const Entry& entry : entries) {
        write.u16(entry.tag);
        write.u16(entry.type);
        write.u32(entry.count);
        if (entry.type == Short && entry.count == 1) {
            write.u16(std::uint16_t(entry.value));
            write.u16(0);
        } else {
            write.u32(entry.value);
        }
    }
    write.u32(0);
    return true;
}

} // namespace lumivo::image
