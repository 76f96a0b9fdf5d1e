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

struct MemoryFile {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

tmsize_t readBytes(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const std::size_t n = std::min<std::size_t>(std::size_t(std::max<tmsize_t>(count, 0)),
                                                file->size - std::min(file->position, file->size));
    std::memcpy(buffer, file->data + file->position, n);
    file->position += n;
    return tmsize_t(n);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->size;
    const std::uint64_t target = base + offset;
    if (target > file->size)
        return toff_t(-1);
    file->position = std::size_t(target);
    return target;
}

int closeNothing(thandle_t)
{
    return 0;
}

toff_t sizeOf(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->size;
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

} // namespace

std::optional<OrientedImage> decodeTiff(const std::uint8_t* data, std::size_t size, DecodeFailure& failure)
{
    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options)
        return std::nullopt;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), maxSingleAllocation);
    MemoryFile file{data, size};
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
    // Whole strips are decoded at once: with the picture itself they must fit the memory allowed.
    const std::uint64_t stripBytes =
        TIFFIsTiled(tiff.get()) ? 0 : std::uint64_t(std::max<tmsize_t>(0, TIFFStripSize(tiff.get())));
    if (stripBytes + std::uint64_t(width) * height * 3 > maxDecodingBytes) {
        failure = DecodeFailure::TooLarge;
        return std::nullopt;
    }
    auto image = allocateRgb(width, height, failure);
    if (!image)
        return std::nullopt;

    char message[1024] = {};
    RgbaReader reader;
    if (!TIFFRGBAImageOK(tiff.get(), message) || !TIFFRGBAImageBegin(&reader.state, tiff.get(), 1, message))
        return std::nullopt;
    reader.begun = true;
    // Rows are taken as stored; the orientation is applied afterwards, the same way for every format.
    reader.state.orientation = ORIENTATION_TOPLEFT;
    reader.state.req_orientation = ORIENTATION_TOPLEFT;
    const std::uint32_t bandHeight = rowsPerBand(tiff.get(), width, height);
    std::vector<std::uint32_t> band(std::size_t(width) * bandHeight);
    for (std::uint32_t row = 0; row < height; row += bandHeight) {
        const std::uint32_t rows = std::min(bandHeight, height - row);
        reader.state.row_offset = int(row);
        reader.state.col_offset = 0;
        if (!TIFFRGBAImageGet(&reader.state, band.data(), width, rows))
            return std::nullopt;
        copyBand(band, rows, row, *image);
    }
    return OrientedImage{std::move(*image), orientation >= 1 && orientation <= 8 ? int(orientation) : 1};
}

} // namespace lumivo::image
