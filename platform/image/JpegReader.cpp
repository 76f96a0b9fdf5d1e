// JPEG through libjpeg-turbo's own interface: faster than the image library, decodes straight into
// 24-bit RGB, and scales down at the decoder when the picture is about to be made smaller anyway, so a
// phone photo of 50 megapixels never needs its full size in memory.

#include "platform/image/ImageDecoders.h"

#include <turbojpeg.h>

#include <cstring>
#include <memory>

namespace lumivo::image
{

namespace
{

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::uint32_t readValue(const std::uint8_t* at, int bytes, bool bigEndian)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint32_t(at[bigEndian ? i : bytes - 1 - i]) << (8 * (bytes - 1 - i));
    return value;
}

// The Orientation entry of the first directory of an EXIF block ("Exif\0\0" and a TIFF header).
int orientationInExif(const std::uint8_t* exif, std::size_t size)
{
    if (size < 14 || std::memcmp(exif, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t* tiff = exif + 6;
    const std::size_t length = size - 6;
    const bool bigEndian = tiff[0] == 'M';
    if ((tiff[0] != 'I' && tiff[0] != 'M') || tiff[1] != tiff[0] || readValue(tiff + 2, 2, bigEndian) != 42)
        return 1;
    const std::size_t directory = readValue(tiff + 4, 4, bigEndian);
    if (directory + 2 > length)
        return 1;
    const std::size_t entries = readValue(tiff + directory, 2, bigEndian);
    for (std::size_t i = 0; i < entries && directory + 2 + (i + 1) * 12 <= length; ++i) {
        const std::uint8_t* entry = tiff + directory + 2 + i * 12;
        if (readValue(entry, 2, bigEndian) == 0x0112) {
            const int orientation = int(readValue(entry + 8, 2, bigEndian));
            return orientation >= 1 && orientation <= 8 ? orientation : 1;
        }
    }
    return 1;
}

struct Markers {
    int orientation = 1;
    bool progressive = false;
};

// Walks the marker segments up to the image data for an APP1 EXIF block and the kind of frame.
Markers readMarkers(const std::uint8_t* data, std::size_t size)
{
    Markers found;
    std::size_t at = 2;
    while (at + 4 <= size && data[at] == 0xFF) {
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0xFF) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            break; // the image data starts: no marker of interest comes after it
        const std::size_t length = readValue(data + at + 2, 2, true);
        if (length < 2 || at + 2 + length > size)
            break;
        if (marker == 0xE1 && found.orientation == 1)
            found.orientation = orientationInExif(data + at + 4, length - 2);
        if (marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE)
            found.progressive = true;
        at += 2 + length;
    }
    return found;
}

// A progressive JPEG keeps every coefficient of the picture (two bytes each) until its last scan.
std::uint64_t coefficientBytes(int width, int height, int subsampling)
{
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    switch (subsampling) {
    case TJSAMP_GRAY:
        return pixels * 2;
    case TJSAMP_420:
        return pixels * 3;
    case TJSAMP_422:
    case TJSAMP_440:
        return pixels * 4;
    default:
        return pixels * 8; // 4:4:4, or four components
    }
}

// The smallest of the decoder's scales that keeps the picture at least as large as the fit size.
tjscalingfactor scaleFor(int width, int height, int fitWidth, int fitHeight)
{
    tjscalingfactor chosen{1, 1};
    if (fitWidth <= 0 || fitHeight <= 0)
        return chosen;
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor factor = factors[i];
        if (factor.num * chosen.denom >= factor.denom * chosen.num)
            continue; // not smaller than the one chosen
        if (TJSCALED(width, factor) >= fitWidth && TJSCALED(height, factor) >= fitHeight)
            chosen = factor;
    }
    return chosen;
}

// Writers of CMYK JPEG (Adobe's convention, which the image library follows) store the inks inverted.
void cmykToRgb(const std::vector<std::uint8_t>& cmyk, RgbImage& image)
{
    std::uint8_t* out = image.pixels.data();
    for (std::size_t i = 0; i + 3 < cmyk.size(); i += 4, out += 3) {
        const unsigned k = cmyk[i + 3];
        for (int c = 0; c < 3; ++c)
            out[c] = std::uint8_t((cmyk[i + c] * k + 127) / 255);
    }
}

} // namespace

std::optional<OrientedImage> decodeJpeg(const std::uint8_t* data, std::size_t size, const DecodeHints& hints,
                                        DecodeFailure& failure)
{
    Handle handle(tjInitDecompress());
    if (!handle || size > 0xFFFFFFFFul)
        return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colourspace) != 0)
        return std::nullopt;
    const Markers markers = readMarkers(data, size);
    const int orientation = markers.orientation;
    const bool swapped = swapsSides(orientation);
    const tjscalingfactor scale = scaleFor(width, height, swapped ? hints.fitHeight : hints.fitWidth,
                                           swapped ? hints.fitWidth : hints.fitHeight);
    // The limit holds for the picture as stored, whatever size it is decoded to.
    if (std::int64_t(width) * height > maxPicturePixels) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    // CMYK is decoded to four bytes a pixel beside the picture's three.
    const bool cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
    const std::uint64_t working = markers.progressive ? coefficientBytes(width, height, subsampling) : 0;
    if (working +
            std::uint64_t(TJSCALED(width, scale)) * std::uint64_t(TJSCALED(height, scale)) * (cmyk ? 7 : 3) >
        maxDecodingBytes) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    auto image = allocateRgb(TJSCALED(width, scale), TJSCALED(height, scale), failure);
    if (!image)
        return std::nullopt;
    // A warning (a truncated or damaged stream) counts as failure: half a picture is not shown.
    const int flags = TJFLAG_STOPONWARNING;
    std::vector<std::uint8_t> inks;
    if (cmyk)
        inks.resize(std::size_t(image->width) * image->height * 4);
    std::uint8_t* target = cmyk ? inks.data() : image->pixels.data();
    if (tjDecompress2(handle.get(), data, static_cast<unsigned long>(size), target, image->width, 0,
                      image->height, cmyk ? TJPF_CMYK : TJPF_RGB, flags) != 0)
        return std::nullopt;
    if (cmyk)
        cmykToRgb(inks, *image);
    return OrientedImage{std::move(*image), orientation};
}

} // namespace lumivo::image
