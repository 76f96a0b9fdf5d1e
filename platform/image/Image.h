#pragma once
// Pictures in and out: outside files are sniffed by their first bytes, and only the six formats the
// program reads (BMP, JPEG, PNG, PCX, TIFF, PSD) ever reach a decoder. Everything is exchanged as a
// 24-bit RGB image: rows of exactly width x 3 bytes, top row first, R G B per pixel.

#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivo::image
{

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3 bytes

    bool isNull() const { return width <= 0 || height <= 0; }
    std::size_t byteSize() const { return pixels.size(); }
};

// Larger pictures than these are refused before any pixel memory is asked for.
constexpr std::int64_t maxPictureSide = 20000;
constexpr std::int64_t maxPictureBytes = std::int64_t(1) << 30;

// Bytes an RGB image of this size needs, or nullopt when the size is not a sane picture size.
inline std::optional<std::size_t> rgbByteSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > maxPictureSide || height > maxPictureSide)
        return std::nullopt;
    const std::int64_t bytes = width * height * 3;
    if (bytes > maxPictureBytes)
        return std::nullopt;
    return std::size_t(bytes);
}

// Makes an image over a copy of the given bytes; nullopt when their count is not width * height * 3.
std::optional<RgbImage> makeRgbImage(int width, int height, const std::uint8_t* pixels, std::size_t size);

// File types by the codes the import tools use. Only the named readable ones are ever decoded.
enum class FileType {
    Unknown = 0,
    Bmp = 1,
    Gif = 2,
    Jpeg = 3,
    Png = 4,
    Pcx = 5,
    Tiff = 6,
    Psd = 10,
};

// How many of a file's first bytes guessFileType needs for every signature it knows (a PCX header is
// 128 bytes long); fewer give Unknown for such a file.
constexpr std::size_t kTypeSniffBytes = 128;

FileType guessFileType(const std::uint8_t* data, std::size_t size);
// The type of the file at `path` by its first bytes, read through the program's file layer; Unknown when
// it cannot be read.
FileType guessFileTypeOfFile(const QString& path);
bool isReadableType(FileType type);

// The size a picture is about to be scaled down to fit anyway. A decoder that can give a smaller
// picture directly (JPEG) then does so, never smaller than this; 0 keeps the stored size.
struct DecodeHints {
    int fitWidth = 0;
    int fitHeight = 0;
};

// Decodes bytes of the given type as stored; nullopt for an unreadable type, damaged or truncated data,
// or a picture of more than 100 megapixels.
std::optional<RgbImage> decode(const std::uint8_t* data, std::size_t size, FileType type,
                               const DecodeHints& hints = {});
// Sniffs the type, then decodes.
std::optional<RgbImage> decodeAnyReadable(const std::uint8_t* data, std::size_t size);
// Reads a file through the program's file layer and decodes it, turned upright by the orientation the
// file records (EXIF in JPEG, the TIFF tag), as cameras and phones store photos. `error`, when given,
// receives the reason for no image in words for the user.
std::optional<RgbImage> readFile(const QString& path, const DecodeHints& hints = {},
                                 QString* error = nullptr);

// Encoders: false only when the library failed. The output is replaced, never appended to.
// JPEG quality runs from 0 (the lowest) to 100.
bool encodeJpeg(const RgbImage& image, int quality, std::vector<std::uint8_t>& out);
// PNG with 8 bits per channel, always stored as RGB.
bool encodePng(const RgbImage& image, std::vector<std::uint8_t>& out);
// Uncompressed-size-agnostic TIFF: one strip, RGB 8 bits, deflate compression code 32946.
bool encodeTiff(const RgbImage& image, std::vector<std::uint8_t>& out);

// Writes the image in one of the file formats the library knows by name (BMP, PCX, PSD, GIF, ...),
// for exports and for making sample files.
bool encodeAs(const RgbImage& image, FileType type, std::vector<std::uint8_t>& out);

// The three channels set to the pixel's luminance; still 24 bits per pixel.
RgbImage toGrey(const RgbImage& image);

// Small editing steps for the authoring tools. Each returns a new image, or nullopt on failure.
std::optional<RgbImage> resize(const RgbImage& image, int width, int height);
std::optional<RgbImage> crop(const RgbImage& image, int x, int y, int width, int height);
// Clockwise by the given degrees; corners that open up are filled with white.
std::optional<RgbImage> rotate(const RgbImage& image, double degrees);
std::optional<RgbImage> blur(const RgbImage& image, double radius, double sigma);

// Drawing form of an image (a deep copy), and back.
QImage toQImage(const RgbImage& image);
std::optional<RgbImage> fromQImage(const QImage& image);

} // namespace lumivo::image
