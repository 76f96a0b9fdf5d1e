#pragma once
// The picture layer's own decoders, beside the image library: each reads its format straight into a
// 24-bit RGB image (3 bytes a pixel, no larger working copy), so photos of up to 100 megapixels fit in
// bounded memory. Only this folder's .cpp files include the libraries behind them.

#include "platform/image/Image.h"

#include <memory>

namespace lumivo::image
{

// The most pixels a picture may have; larger ones are refused before any pixel memory is asked for.
constexpr std::int64_t maxPicturePixels = 100'000'000;

// What one picture may take while it is decoded, besides the file's own bytes.
constexpr std::uint64_t maxDecodingBytes = std::uint64_t(380) << 20;

// Why a decoder gave no image.
enum class DecodeFailure { Damaged, TooLarge };

// A decoded picture with the orientation its file gives it: the EXIF and TIFF numbering, 1 (as stored)
// to 8. It is applied only to pictures read from files.
struct OrientedImage {
    RgbImage image;
    int orientation = 1;
};

// Where a decoder reads a picture's bytes: memory, or a file read a piece at a time, so that an
// uncompressed scan (BMP, TIFF) never has its file and its pixels in memory together.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly n bytes at `offset`; false when they are not all there.
    virtual bool read(std::uint64_t offset, void* buffer, std::size_t n) = 0;
};

class MemorySource : public ByteSource
{
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// Reads through the program's file layer; none when the file cannot be opened.
std::unique_ptr<ByteSource> openFileSource(const QString& path);

// An RGB image of the given size with its pixels not yet set; nullopt beyond the sane sizes.
std::optional<RgbImage> allocateRgb(std::int64_t width, std::int64_t height, DecodeFailure& failure);

// JPEG (baseline, progressive, grey, CMYK). With a fit size, the decoder scales down by 1/2, 1/4 or
// 1/8 as long as the picture stays at least that large.
std::optional<OrientedImage> decodeJpeg(const std::uint8_t* data, std::size_t size, const DecodeHints& hints,
                                        DecodeFailure& failure);
// PNG of every colour type and depth; transparent parts on white.
std::optional<RgbImage> decodePng(const std::uint8_t* data, std::size_t size, DecodeFailure& failure);
// TIFF of every compression libtiff knows, read in bands of rows.
std::optional<OrientedImage> decodeTiff(ByteSource& source, DecodeFailure& failure);
// BMP of every header, depth and coding Windows and OS/2 write; transparent parts on white.
std::optional<RgbImage> decodeBmp(ByteSource& source, DecodeFailure& failure);
// 1-bit PCX with its palette honoured; nullopt with `handled` false for the other depths.
std::optional<RgbImage> decodeMonochromePcx(const std::uint8_t* data, std::size_t size, bool& handled,
                                            DecodeFailure& failure);

// The picture turned or mirrored so that it shows upright.
RgbImage applyOrientation(RgbImage image, int orientation);
// Orientations 5 to 8 swap width and height.
inline bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace lumivo::image
