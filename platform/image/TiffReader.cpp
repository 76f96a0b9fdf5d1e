// TIFF through libtiff: every compression it knows (deflate under both codes, LZW, PackBits, JPEG, CCITT),
// strips or tiles, any photometric form, read in bands of rows into 24-bit RGB so that a large scan needs
// little more than its own pixels. The image library's reader gave no image for some of them.

#include "platform/image/ImageDecoders.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace lumivo::image
{

namespace
{

// Rows decoded at a time: bounded working memory whatever the picture's height.
constexpr std::uint32_t bandRows = 256;
// A strip taller than a band is decoded again from its start for every band, so a picture stored as
// one strip (as ours are) is read in one band when its RGBA working copy stays within this.
constexpr std::size_t maxSingleBandBytes = std::size_t(128) << 20;

std::uint32_t rowsPerBand(TIFF* tiff, std::uint32_t width, std::uint32_t height)
{
    std::uint32_t rowsPerStrip = height;
    if (TIFFIsTiled(tiff))
        return bandRows;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip <= bandRows || std::size_t(width) * height * 4 > maxSingleBandBytes)
        return bandRows;
    return height;
}

struct SourceFile {
    ByteSource& source;
    std::uint64_t position = 0;
};

tmsize_t readBytes(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<SourceFile*>(handle);
    const std::uint64_t size = file->source.size();
    const std::uint64_t n = std::min<std::uint64_t>(std::uint64_t(std::max<tmsize_t>(count, 0)),
                                                    size - std::min(file->position, size));
    if (n > 0 && !file->source.read(file->position, buffer, std::size_t(n)))
        return -1;
    file->position += n;
    return tmsize_t(n);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<SourceFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->source.size();
    const std::uint64_t target = base + offset;
    if (target > file->source.size())
        return toff_t(-1);
    file->position = target;
    return target;
}

int closeNothing(thandle_t)
{
    return 0;
}

toff_t sizeOf(thandle_t handle)
{
    return static_cast<SourceFile*>(handle)->source.size();
}

int mapNothing(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

// Messages are taken here, per file: the library's process-wide handlers belong to the image library,
// which points them at its own state.
int quietHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// No single buffer the library asks for on a file's word may exceed this.
constexpr tmsize_t maxSingleAllocation = tmsize_t(256) << 20;

struct OptionsFreer {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

struct RgbaReader {
    TIFFRGBAImage state{};
    bool begun = false;
    ~RgbaReader()
    {
        if (begun)
            TIFFRGBAImageEnd(&state);
    }
};

// One band of RGBA rows into RGB, transparent parts on white.
void copyBand(const std::vector<std::uint32_t>& rgba, std::uint32_t rows, std::uint32_t firstRow,
              RgbImage& image)
{
    std::uint8_t* out = image.pixels.data() + std::size_t(firstRow) * image.width * 3;
    for (std::size_t i = 0; i < std::size_t(rows) * image.width; ++i, out += 3) {
        const std::uint32_t pixel = rgba[i];
        const unsigned alpha = TIFFGetA(pixel);
        const unsigned over = 255 - alpha; // the colours are premultiplied or opaque
        out[0] = std::uint8_t(std::min(255u, TIFFGetR(pixel) + over));
        out[1] = std::uint8_t(std::min(255u, TIFFGetG(pixel) + over));
        out[2] = std::uint8_t(std::min(255u, TIFFGetB(pixel) + over));
    }
}

// How the samples of a plain 8-bit strip picture lie, for reading it row by row.
struct ScanlineLayout {
    bool grey = false; // one colour sample, else three
    bool whiteIsZero = false;
    int samples = 0; // per pixel, colour and extra
    int alpha = -1;  // the alpha sample's index, or none
    bool premultiplied = false;
};

// Strip pictures of 8-bit RGB or grey samples, stored together and not JPEG-coded (ours among them),
// are read a row at a time: the library then never holds a whole decoded strip, and no RGBA copy is made.
std::optional<ScanlineLayout> scanlineLayout(TIFF* tiff)
{
    std::uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG, compression = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) || TIFFIsTiled(tiff) || bits != 8 ||
        planar != PLANARCONFIG_CONTIG || compression == COMPRESSION_JPEG || compression == COMPRESSION_OJPEG)
        return std::nullopt;
    ScanlineLayout layout;
    layout.grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    layout.whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
    if (!layout.grey && photometric != PHOTOMETRIC_RGB)
        return std::nullopt;
    const int colours = layout.grey ? 1 : 3;
    if (samples < colours || samples > colours + 1)
        return std::nullopt;
    layout.samples = samples;
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    if (samples > colours && TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) &&
        extraCount > 0 && extra[0] != EXTRASAMPLE_UNSPECIFIED) {
        layout.alpha = colours;
        layout.premultiplied = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    return layout;
}

// One stored row into RGB, transparent parts on white.
void copyScanline(const std::uint8_t* in, std::uint32_t width, const ScanlineLayout& layout,
                  std::uint8_t* out)
{
    for (std::uint32_t x = 0; x < width; ++x, in += layout.samples, out += 3) {
        for (int c = 0; c < 3; ++c) {
            unsigned value = in[layout.grey ? 0 : c];
            if (layout.whiteIsZero)
                value = 255 - value;
            if (layout.alpha >= 0) {
                const unsigned alpha = in[layout.alpha];
                value = layout.premultiplied ? std::min(255u, value + 255 - alpha)
                                             : (value * alpha + 255 * (255 - alpha) + 127) / 255;
            }
            out[c] = std::uint8_t(value);
        }
    }
}

bool readScanlines(TIFF* tiff, const ScanlineLayout& layout, RgbImage& image)
{
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    if (lineBytes < tmsize_t(image.width) * layout.samples)
        return false;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    for (int row = 0; row < image.height; ++row) {
        if (TIFFReadScanline(tiff, line.data(), std::uint32_t(row), 0) != 1)
            return false;
        copyScanline(line.data(), std::uint32_t(image.width), layout,
                     image.pixels.data() + std::size_t(row) * std::size_t(image.width) * 3);
    }
    return true;
}

bool readRgbaBands(TIFF* tiff, RgbImage& image)
{
    char message[1024] = {};
    RgbaReader reader;
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&reader.state, tiff, 1, message))
        return false;
    reader.begun = true;
    // Rows are taken as stored; the orientation is applied afterwards, the same way for every format.
    reader.state.orientation = ORIENTATION_TOPLEFT;
    reader.state.req_orientation = ORIENTATION_TOPLEFT;
    const auto width = std::uint32_t(image.width), height = std::uint32_t(image.height);
    const std::uint32_t bandHeight = rowsPerBand(tiff, width, height);
    std::vector<std::uint32_t> band(std::size_t(width) * bandHeight);
    for (std::uint32_t row = 0; row < height; row += bandHeight) {
        const std::uint32_t rows = std::min(bandHeight, height - row);
        reader.state.row_offset = int(row);
        reader.state.col_offset = 0;
        if (!TIFFRGBAImageGet(&reader.state, band.data(), width, rows))
            return false;
        copyBand(band, rows, row, image);
    }
    return true;
}

} // namespace

std::optional<OrientedImage> decodeTiff(ByteSource& source, DecodeFailure& failure)
{
    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options)
        return std::nullopt;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), maxSingleAllocation);
    SourceFile file{source};
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", &file, readBytes, writeNothing,
                                                             seekTo, closeNothing, sizeOf, mapNothing,
                                                             unmapNothing, options.get()));
    if (!tiff)
        return std::nullopt;
    std::uint32_t width = 0, height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    const auto layout = scanlineLayout(tiff.get());
    // Otherwise whole strips are decoded at once: with the picture itself they must fit the memory
    // allowed.
    const std::uint64_t stripBytes = layout || TIFFIsTiled(tiff.get())
                                         ? 0
                                         : std::uint64_t(std::max<tmsize_t>(0, TIFFStripSize(tiff.get())));
    if (stripBytes + std::uint64_t(width) * height * 3 > maxDecodingBytes) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    auto image = allocateRgb(width, height, failure);
    if (!image)
        return std::nullopt;
    if (!(layout ? readScanlines(tiff.get(), *layout, *image) : readRgbaBands(tiff.get(), *image)))
        return std::nullopt;
    return OrientedImage{std::move(*image), orientation >= 1 && orientation <= 8 ? int(orientation) : 1};
}

} // namespace lumivo::image
