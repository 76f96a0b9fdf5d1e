#include "core/PictureFormat.h"

#include <cstring>

namespace
{

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, std::uint16_t(value));
    put16(out, std::uint16_t(value >> 16));
}

std::uint16_t get16(const std::uint8_t* at)
{
    return std::uint16_t(at[0] | (at[1] << 8));
}
std::uint32_t get32(const std::uint8_t* at)
{
    return get16(at) | (std::uint32_t(get16(at + 2)) << 16);
}

int jpegQualityOf(int storeFormat)
{
    switch (storeFormat) {
    case pictJpeg0:
        return 0;
    case pictJpeg25:
        return 25;
    case pictJpeg50:
        return 50;
    case pictJpeg70:
        return 70;
    case pictJpeg85:
        return 85;
    case pictJpeg100:
        return 100;
    case pictGreyJpeg85:
        return 85;
    default:
        return -1;
    }
}

} // namespace

std::vector<std::uint8_t> WritePictHeaderBytes(const PictHeader& header)
{
    std::vector<std::uint8_t> out;
    out.reserve(pictHeaderLength);
    put32(out, pictHeaderLength);
    put16(out, std::uint16_t(header.StoreFormat));
    put16(out, header.Compression);
    put32(out, header.Width);
    put32(out, header.Height);
    put32(out, header.TransparentColor);
    put32(out, header.BackkgroundColor);
    return out;
}

std::optional<std::uint32_t> ReadPictHeaderBytes(const std::uint8_t* data, std::size_t size,
                                                 PictHeader& header)
{
    if (!data || size < legacyPictHeaderLength)
        return std::nullopt;
    const std::uint32_t length = get32(data);
    if (length < legacyPictHeaderLength || length > size)
        return std::nullopt;
    header.StoreFormat = std::int16_t(get16(data + 4));
    header.Compression = get16(data + 6);
    header.Width = get32(data + 8);
    header.Height = get32(data + 12);
    if (length == pictHeaderLength) {
        header.TransparentColor = get32(data + 16);
        header.BackkgroundColor = get32(data + 20);
    }
    return length;
}

bool EncodeStoredImage(const RgbImage& image, int storeFormat, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (image.isNull() || lumivo::image::rgbByteSize(image.width, image.height) != image.pixels.size())
        return false;
    switch (storeFormat) {
    case pictRawRgb:
        out = image.pixels;
        return true;
    case pictTiff:
        return lumivo::image::encodeTiff(image, out);
    case pictGreyJpeg85:
        return lumivo::image::encodeJpeg(lumivo::image::toGrey(image), 85, out);
    case pictPng:
        return lumivo::image::encodePng(image, out);
    case pictGreyPng:
        return lumivo::image::encodePng(lumivo::image::toGrey(image), out);
    default:
        break;
    }
    const int quality = jpegQualityOf(storeFormat);
    return quality >= 0 && lumivo::image::encodeJpeg(image, quality, out);
}

std::optional<RgbImage> DecodeStoredImage(const std::uint8_t* data, std::size_t size, int storeFormat,
                                          std::uint32_t width, std::uint32_t height)
{
    using lumivo::image::FileType;
    switch (storeFormat) {
    case pictRawRgb: {
        const auto bytes = lumivo::image::rgbByteSize(width, height);
        if (!bytes || size < *bytes)
            return std::nullopt;
        return lumivo::image::makeRgbImage(int(width), int(height), data, *bytes);
    }
    case pictTiff:
        return lumivo::image::decode(data, size, FileType::Tiff);
    case pictPng:
    case pictGreyPng:
        return lumivo::image::decode(data, size, FileType::Png);
    default:
        break;
    }
    if (jpegQualityOf(storeFormat) >= 0)
        return lumivo::image::decode(data, size, FileType::Jpeg);
    return std::nullopt;
}
