#include "platform/image/Image.h"

#include "platform/files/FileSystem.h"
#include "platform/image/ImageDecoders.h"
#include "platform/image/ImageLibrary.h"

#include <algorithm>
#include <cstring>

namespace lumivo::image
{

namespace
{

bool startsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t n)
{
    return size >= n && std::memcmp(data, magic, n) == 0;
}

const char* coderName(FileType type)
{
    switch (type) {
    case FileType::Bmp:
        return "BMP";
    case FileType::Jpeg:
        return "JPEG";
    case FileType::Png:
        return "PNG";
    case FileType::Pcx:
        return "PCX";
    case FileType::Tiff:
        return "TIFF";
    case FileType::Psd:
        return "PSD";
    default:
        return nullptr;
    }
}

std::uint64_t bigEndian(const std::uint8_t* at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | at[i];
    return value;
}

// The PSD coder quietly fills in what a cut-off file lacks, so the sections' lengths are checked
// against the bytes first: header, colour data, resources, layers, then the merged image.
bool psdIsComplete(const std::uint8_t* data, std::size_t size)
{
    if (size < 26)
        return false;
    const bool large = bigEndian(data + 4, 2) == 2;
    const std::uint64_t channels = bigEndian(data + 12, 2);
    const std::uint64_t height = bigEndian(data + 14, 4);
    const std::uint64_t width = bigEndian(data + 18, 4);
    const std::uint64_t depth = bigEndian(data + 22, 2);
    // Sizes beyond what is ever decoded are refused here too, which also keeps the sums below in range.
    if (width == 0 || height == 0 || width > maxPictureSide || height > maxPictureSide || depth == 0 ||
        depth > 32)
        return false;
    std::uint64_t at = 26;
    auto skipSection = [&](int lengthBytes) {
        if (at + lengthBytes > size)
            return false;
        at += lengthBytes + bigEndian(data + at, lengthBytes);
        return at <= size;
    };
    if (!skipSection(4) || !skipSection(4) || !skipSection(large ? 8 : 4) || at + 2 > size)
        return false;
    const std::uint64_t compression = bigEndian(data + at, 2);
    at += 2;
    const std::uint64_t rows = channels * height;
    if (compression == 0)
        return at + rows * ((width * depth + 7) / 8) <= size;
    if (compression != 1)
        return true; // zip-compressed data shows its own end to the decoder
    const int countBytes = large ? 4 : 2;
    if (rows > size || at + rows * countBytes > size)
        return false;
    std::uint64_t packed = 0;
    for (std::uint64_t row = 0; row < rows; ++row)
        packed += bigEndian(data + at + row * countBytes, countBytes);
    return at + rows * countBytes + packed <= size;
}

} // namespace

std::optional<RgbImage> makeRgbImage(int width, int height, const std::uint8_t* pixels, std::size_t size)
{
    const auto bytes = rgbByteSize(width, height);
    if (!bytes || *bytes != size)
        return std::nullopt;
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(pixels, pixels + size);
    return image;
}

FileType guessFileType(const std::uint8_t* data, std::size_t size)
{
    if (startsWith(data, size, "BM", 2) && size >= 18)
        return FileType::Bmp;
    if (startsWith(data, size, "GIF8", 4))
        return FileType::Gif;
    if (startsWith(data, size, "\xFF\xD8\xFF", 3))
        return FileType::Jpeg;
    if (startsWith(data, size, "\x89PNG\r\n\x1A\n", 8))
        return FileType::Png;
    if (startsWith(data, size, "II*\0", 4) || startsWith(data, size, "MM\0*", 4))
        return FileType::Tiff;
    if (startsWith(data, size, "8BPS", 4))
        return FileType::Psd;
    // PCX: manufacturer 10, version 0 to 5, encoding 0 or 1, a sane bit depth.
    if (size >= 128 && data[0] == 0x0A && data[1] <= 5 && data[2] <= 1 &&
        (data[3] == 1 || data[3] == 2 || data[3] == 4 || data[3] == 8))
        return FileType::Pcx;
    return FileType::Unknown;
}

bool isReadableType(FileType type)
{
    return coderName(type) != nullptr;
}

namespace
{

// The formats without a decoder of our own (PSD, PCX of more than one bit) go to the image library.
std::optional<RgbImage> decodeWithLibrary(const std::uint8_t* data, std::size_t size, FileType type,
                                          DecodeFailure& failure)
{
    if (type == FileType::Psd && !psdIsComplete(data, size))
        return std::nullopt;
    return decodeWithImageLibrary(data, size, coderName(type), failure);
}

// JPEG, PNG, TIFF and BMP, and 1-bit PCX, have decoders of their own: faster, and within bounded memory.
std::optional<OrientedImage> decodeOriented(const std::uint8_t* data, std::size_t size, FileType type,
                                            const DecodeHints& hints, DecodeFailure& failure)
{
    if (!isReadableType(type) || !data || size == 0)
        return std::nullopt;
    auto upright = [](std::optional<RgbImage> image) -> std::optional<OrientedImage> {
        if (!image)
            return std::nullopt;
        return OrientedImage{std::move(*image), 1};
    };
    switch (type) {
    case FileType::Jpeg:
        return decodeJpeg(data, size, hints, failure);
    case FileType::Png:
        return upright(decodePng(data, size, failure));
    case FileType::Tiff: {
        MemorySource source(data, size);
        return decodeTiff(source, failure);
    }
    case FileType::Bmp: {
        MemorySource source(data, size);
        return upright(decodeBmp(source, failure));
    }
    case FileType::Pcx: {
        bool handled = false;
        auto image = decodeMonochromePcx(data, size, handled, failure);
        return handled ? upright(std::move(image)) : upright(decodeWithLibrary(data, size, type, failure));
    }
    default:
        return upright(decodeWithLibrary(data, size, type, failure));
    }
}

} // namespace

bool MemorySource::read(std::uint64_t offset, void* buffer, std::size_t n)
{
    if (offset > m_size || n > m_size - offset)
        return false;
    std::memcpy(buffer, m_data + offset, n);
    return true;
}

namespace
{

class FileSource : public ByteSource
{
public:
    FileSource(std::unique_ptr<files::File> file, std::uint64_t size) : m_file(std::move(file)), m_size(size)
    {
    }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, std::size_t n) override
    {
        return offset <= m_size && n <= m_size - offset && m_file->readAt(offset, buffer, n);
    }

private:
    std::unique_ptr<files::File> m_file;
    std::uint64_t m_size;
};

} // namespace

std::unique_ptr<ByteSource> openFileSource(const QString& path)
{
    auto file = files::fileSystem().open(path, files::OpenMode::Read);
    if (!file)
        return nullptr;
    const std::int64_t length = file->length();
    if (length < 0)
        return nullptr;
    return std::make_unique<FileSource>(std::move(file), std::uint64_t(length));
}

std::optional<RgbImage> allocateRgb(std::int64_t width, std::int64_t height, DecodeFailure& failure)
{
    const auto bytes = rgbByteSize(width, height);
    if (!bytes || width * height > maxPicturePixels) {
        if (width > 0 && height > 0)
            failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    RgbImage image;
    image.width = int(width);
    image.height = int(height);
    image.pixels.resize(*bytes);
    return image;
}

RgbImage applyOrientation(RgbImage image, int orientation)
{
    if (orientation <= 1 || orientation > 8 || image.isNull())
        return image;
    const std::size_t width = std::size_t(image.width), height = std::size_t(image.height);
    RgbImage turned;
    turned.width = swapsSides(orientation) ? image.height : image.width;
    turned.height = swapsSides(orientation) ? image.width : image.height;
    turned.pixels.resize(image.pixels.size());
    const std::size_t turnedWidth = std::size_t(turned.width);
    // Where the stored pixel (x, y) shows, by the EXIF and TIFF numbering.
    auto target = [&](std::size_t x, std::size_t y) -> std::size_t {
        switch (orientation) {
        case 2: // mirrored left to right
            return y * turnedWidth + (width - 1 - x);
        case 3: // turned half round
            return (height - 1 - y) * turnedWidth + (width - 1 - x);
        case 4: // mirrored top to bottom
            return (height - 1 - y) * turnedWidth + x;
        case 5: // the stored rows are the columns from the left
            return x * turnedWidth + y;
        case 6: // stored a quarter turn anticlockwise: the rows become columns from the right
            return x * turnedWidth + (height - 1 - y);
        case 7:
            return (width - 1 - x) * turnedWidth + (height - 1 - y);
        default: // 8: stored a quarter turn clockwise
            return (width - 1 - x) * turnedWidth + y;
        }
    };
    const std::uint8_t* from = image.pixels.data();
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x, from += 3)
            std::memcpy(turned.pixels.data() + target(x, y) * 3, from, 3);
    }
    return turned;
}

std::optional<RgbImage> decode(const std::uint8_t* data, std::size_t size, FileType type,
                               const DecodeHints& hints)
{
    DecodeFailure failure = DecodeFailure::Damaged;
    auto decoded = decodeOriented(data, size, type, hints, failure);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded->image);
}

std::optional<RgbImage> decodeAnyReadable(const std::uint8_t* data, std::size_t size)
{
    return decode(data, size, guessFileType(data, size));
}

namespace
{

// The type by the source's first bytes; nullopt when they cannot be read.
std::optional<FileType> sniffType(ByteSource& source)
{
    std::uint8_t start[kTypeSniffBytes] = {};
    const std::size_t startSize = std::size_t(std::min<std::uint64_t>(source.size(), sizeof start));
    if (!source.read(0, start, startSize))
        return std::nullopt;
    return guessFileType(start, startSize);
}

} // namespace

FileType guessFileTypeOfFile(const QString& path)
{
    auto source = openFileSource(path);
    return source ? sniffType(*source).value_or(FileType::Unknown) : FileType::Unknown;
}

std::optional<RgbImage> readFile(const QString& path, const DecodeHints& hints, QString* error)
{
    auto fail = [error](const char* reason) -> std::optional<RgbImage> {
        if (error)
            *error = QString::fromUtf8(reason);
        return std::nullopt;
    };
    auto source = openFileSource(path);
    const std::optional<FileType> sniffed = source ? sniffType(*source) : std::nullopt;
    if (!sniffed)
        return fail("The picture file cannot be read.");
    const FileType type = *sniffed;
    if (!isReadableType(type))
        return fail("The file is not a picture of a kind this program reads.");

    DecodeFailure failure = DecodeFailure::Damaged;
    std::optional<OrientedImage> decoded;
    if (type == FileType::Bmp) {
        // Uncompressed formats are read from the file a piece at a time, never whole.
        if (auto image = decodeBmp(*source, failure))
            decoded = OrientedImage{std::move(*image), 1};
    } else if (type == FileType::Tiff) {
        decoded = decodeTiff(*source, failure);
    } else if (source->size() > std::uint64_t(maxPictureBytes)) {
        failure = DecodeFailure::TooLarge;
    } else {
        std::vector<std::uint8_t> bytes(std::size_t(source->size()));
        if (!source->read(0, bytes.data(), bytes.size()))
            return fail("The picture file cannot be read.");
        decoded = decodeOriented(bytes.data(), bytes.size(), type, hints, failure);
    }
    if (!decoded) {
        return fail(
            failure == DecodeFailure::TooLarge
                ? "The picture is too large to read: at most 100 megapixels (PCX and PSD 32) within 400 MB."
                : "The picture file is damaged.");
    }
    return applyOrientation(std::move(decoded->image), decoded->orientation);
}

bool encodeAs(const RgbImage& image, FileType type, std::vector<std::uint8_t>& out)
{
    out.clear();
    const char* coder = type == FileType::Gif ? "GIF" : coderName(type);
    return coder && encodeWithImageLibrary(image, coder, out);
}

RgbImage toGrey(const RgbImage& image)
{
    RgbImage grey = image;
    for (std::size_t i = 0; i + 2 < grey.pixels.size(); i += 3) {
        const unsigned luminance =
            (299u * grey.pixels[i] + 587u * grey.pixels[i + 1] + 114u * grey.pixels[i + 2] + 500u) / 1000u;
        grey.pixels[i] = grey.pixels[i + 1] = grey.pixels[i + 2] = std::uint8_t(std::min(luminance, 255u));
    }
    return grey;
}

std::optional<RgbImage> crop(const RgbImage& image, int x, int y, int width, int height)
{
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || std::int64_t(x) + width > image.width ||
        std::int64_t(y) + height > image.height)
        return std::nullopt;
    RgbImage part;
    part.width = width;
    part.height = height;
    part.pixels.resize(std::size_t(width) * height * 3);
    const std::size_t rowBytes = std::size_t(width) * 3;
    for (int row = 0; row < height; ++row) {
        const std::size_t from = (std::size_t(y + row) * image.width + x) * 3;
        std::memcpy(part.pixels.data() + row * rowBytes, image.pixels.data() + from, rowBytes);
    }
    return part;
}

QImage toQImage(const RgbImage& image)
{
    if (image.isNull() || rgbByteSize(image.width, image.height) != image.pixels.size())
        return {};
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
    return view.copy();
}

std::optional<RgbImage> fromQImage(const QImage& source)
{
    if (source.isNull() || !rgbByteSize(source.width(), source.height()))
        return std::nullopt;
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    RgbImage image;
    image.width = rgb.width();
    image.height = rgb.height();
    image.pixels.resize(std::size_t(image.width) * image.height * 3);
    const std::size_t rowBytes = std::size_t(image.width) * 3;
    for (int row = 0; row < image.height; ++row)
        std::memcpy(image.pixels.data() + row * rowBytes, rgb.constScanLine(row), rowBytes);
    return image;
}

} // namespace lumivo::image
