#include "store/PictureFormat.h"

#include "platform/archive/Archive.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/MemFile.h"

#include <algorithm>

namespace
{

constexpr int kNotJpeg = -1;

// The JPEG quality of a store format, or kNotJpeg.
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
        return kNotJpeg;
    }
}

} // namespace

std::vector<std::uint8_t> WritePictHeaderBytes(const PictHeader& header)
{
    CMemFile file;
    {
        CArchive archive(file, CArchive::store);
        archive << header.StoreFormat << header.Compression << header.Width << header.Height
                << header.TransparentColor << header.BackkgroundColor;
        archive.Close();
    }
    const std::vector<std::uint8_t> fields = file.DetachBytes();
    std::vector<std::uint8_t> bytes(fields.size() + 4);
    for (int i = 0; i < 4; ++i)
        bytes[i] = std::uint8_t(bytes.size() >> (8 * i));
    std::copy(fields.begin(), fields.end(), bytes.begin() + 4);
    return bytes;
}

std::optional<std::uint32_t> ReadPictHeaderBytes(const std::uint8_t* data, std::size_t size,
                                                 PictHeader& header)
{
    if (!data || size < legacyPictHeaderLength)
        return std::nullopt;
    const std::uint32_t length = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
    if (length < legacyPictHeaderLength || length > size)
        return std::nullopt;
    PictHeader read = header;
    try {
        CMemFile file(data + 4, length - 4);
        CArchive archive(file, CArchive::load);
        archive >> read.StoreFormat >> read.Compression >> read.Width >> read.Height;
        if (length == pictHeaderLength)
            archive >> read.TransparentColor >> read.BackkgroundColor;
        archive.Close();
    } catch (const CArchiveException&) {
        return std::nullopt;
    }
    header = read;
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
    return quality != kNotJpeg && lumivo::image::encodeJpeg(image, quality, out);
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
    if (jpegQualityOf(storeFormat) != kNotJpeg)
        return lumivo::image::decode(data, size, FileType::Jpeg);
    return std::nullopt;
}
