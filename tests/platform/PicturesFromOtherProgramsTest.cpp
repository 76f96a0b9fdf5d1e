// Pictures as other programs make them (ImageMagick, ffmpeg, Python), read through the picture layer
// and compared with what those programs themselves read from the same files.

#include "platform/image/Image.h"
#include "tests/support/DamagedBytes.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"

#include <cstdio>

using namespace lumivo::image;
using lumivo::test::LumivoTest;
using lumivo::test::runPython;
using lumivo::test::runTool;

namespace
{

// A binary PPM as ImageMagick writes it ("P6", width, height, 255, then RGB bytes).
std::optional<RgbImage> readPpm(const QString& path)
{
    std::vector<std::uint8_t> bytes;
    if (!lumivo::files::readWholeFile(path, bytes))
        return std::nullopt;
    const std::string text(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64));
    int width = 0, height = 0, maximum = 0, headerLength = 0;
    if (std::sscanf(text.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &headerLength) != 3 ||
        maximum != 255)
        return std::nullopt;
    const std::size_t start = std::size_t(headerLength) + 1;
    if (start > bytes.size())
        return std::nullopt;
    return makeRgbImage(width, height, bytes.data() + start, bytes.size() - start);
}

// The picture as ImageMagick itself reads it, turned upright as it turns it.
std::optional<RgbImage> referenceOf(const QString& path, const QString& name)
{
    const QString ppm = path + QStringLiteral(".") + name + QStringLiteral(".ppm");
    if (!runTool("convert", {path, "-auto-orient", "-background", "white", "-alpha", "remove", "-depth", "8",
                             "ppm:" + ppm}))
        return std::nullopt;
    return readPpm(ppm);
}

int maxDifference(const RgbImage& a, const RgbImage& b)
{
    int worst = a.pixels.size() == b.pixels.size() ? 0 : 256;
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        worst = std::max(worst, std::abs(int(a.pixels[i]) - int(b.pixels[i])));
    return worst;
}

// Puts an EXIF block holding only an orientation right after a JPEG's start marker.
constexpr const char* kAddExifOrientation = R"(
import struct, sys
source, target, orientation = sys.argv[1], sys.argv[2], int(sys.argv[3])
jpeg = open(source, 'rb').read()
tiff = b'MM\x00\x2a' + struct.pack('>IH', 8, 1) + struct.pack('>HHIHH', 0x0112, 3, 1, orientation, 0) + b'\0' * 4
exif = b'Exif\x00\x00' + tiff
open(target, 'wb').write(jpeg[:2] + b'\xff\xe1' + struct.pack('>H', len(exif) + 2) + exif + jpeg[2:])
)";

// A 1-bit run-length coded PCX, 20 x 6, with its left 8 columns set, and the given two palette colours.
constexpr const char* kMonochromePcx = R"(
import struct, sys
target, first, second = sys.argv[1], bytes.fromhex(sys.argv[2]), bytes.fromhex(sys.argv[3])
width, height, line = 20, 6, 4
header = struct.pack('<BBBBHHHHHH', 10, 5, 1, 1, 0, 0, width - 1, height - 1, 72, 72)
header += (first + second).ljust(48, b'\0') + struct.pack('<BBHH', 0, 1, line, 1)
rows = b''.join(b'\xc1\xff' + b'\xc3\x00' for _ in range(height))
open(target, 'wb').write(header.ljust(128, b'\0') + rows)
)";

// An 8 x 3 RLE4 BMP, which ImageMagick reads but does not write: runs of two alternating colours, a
// literal run, a jump, and rows ended early.
constexpr const char* kRle4Bmp = R"(
import struct, sys
palette = b''.join(bytes((16 * i, 255 - 16 * i, (97 * i) % 256, 0)) for i in range(16))
pixels = bytes.fromhex('0412' '00043456' '0000' '0877' '0000' '00020100' '0239' '0000' '0001')
offset = 14 + 40 + len(palette)
info = struct.pack('<IiiHHIIiiII', 40, 8, 3, 1, 4, 2, len(pixels), 2835, 2835, 16, 0)
open(sys.argv[1], 'wb').write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + palette + pixels)
)";

} // namespace

class PicturesFromOtherProgramsTest : public LumivoTest
{
};

TEST_F(PicturesFromOtherProgramsTest, TiffOfEveryCompressionReadsAsItsSource)
{
    struct Sample {
        QString name;
        QStringList source;
        QStringList tiff;
        int tolerance;
    };
    const std::vector<Sample> samples{
        // ImageMagick cannot read the first two back itself.
        {"flat-zip-4097x3", {"-size", "4097x3", "xc:#3366cc"}, {"-compress", "zip"}, 0},
        {"few-colours-zip-2000x100", {"-size", "2000x100", "pattern:checkerboard"}, {"-compress", "zip"}, 0},
        {"gradient-lzw-400x64",
         {"-size", "400x64", "gradient:red-blue", "-depth", "8"},
         {"-compress", "lzw"},
         0},
        {"rose-packbits", {"rose:"}, {"-compress", "rle"}, 0},
        {"rose-none", {"rose:"}, {"-compress", "none"}, 0},
        {"rose-jpeg", {"rose:"}, {"-compress", "jpeg", "-quality", "95"}, 40},
        {"grey-16bit",
         {"-size", "200x3", "gradient:", "-colorspace", "gray", "-depth", "16"},
         {"-compress", "zip"},
         1},
        {"bilevel-group4", {"-size", "64x40", "pattern:gray50", "-monochrome"}, {"-compress", "group4"}, 0},
        // Colour maps and 16-bit samples are brought to 8 bits rounding differently by one.
        {"palette", {"-size", "90x30", "plasma:fractal", "-colors", "5"}, {"-type", "palette"}, 1},
        // Alpha laid on white, and CMYK, may round differently by one or two.
        {"alpha-tiled",
         {"rose:", "-alpha", "set", "-channel", "A", "-evaluate", "set", "50%", "+channel"},
         {"-define", "tiff:tile-geometry=32x32"},
         2},
        {"cmyk", {"rose:", "-colorspace", "cmyk"}, {}, 2},
        {"alpha-strips",
         {"rose:", "-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel", "-depth", "8"},
         {"-compress", "zip"},
         1},
        {"grey-8bit", {"-size", "300x20", "gradient:", "-colorspace", "gray", "-depth", "8"}, {}, 0},
        {"min-is-white",
         {"-size", "300x20", "gradient:", "-colorspace", "gray", "-depth", "8"},
         {"-define", "tiff:photometric=min-is-white"},
         0},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name.toStdString());
        const QString source = tempPath(sample.name + QStringLiteral(".miff"));
        const QString path = tempPath(sample.name + QStringLiteral(".tif"));
        ASSERT_TRUE(runTool("convert", sample.source + QStringList{source}));
        ASSERT_TRUE(runTool("convert", QStringList{source} + sample.tiff + QStringList{path}));
        const auto expected = referenceOf(source, QStringLiteral("reference"));
        ASSERT_TRUE(expected);
        QString error;
        const auto read = readFile(path, {}, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(read->width, expected->width);
        EXPECT_EQ(read->height, expected->height);
        EXPECT_LE(maxDifference(*read, *expected), sample.tolerance);
    }
}

TEST_F(PicturesFromOtherProgramsTest, PhotosAreTurnedUprightByTheirExifOrTiffOrientation)
{
    const QString base = tempPath(QStringLiteral("base.jpg"));
    ASSERT_TRUE(runTool("convert", {"-size", "48x24", "gradient:red-blue", "(", "-size", "12x12", "xc:yellow",
                                    ")", "-composite", "-strip", "-quality", "95", base}));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QString jpeg = tempPath(QStringLiteral("turned%1.jpg").arg(orientation));
        ASSERT_TRUE(
            runPython(QString::fromLatin1(kAddExifOrientation), {base, jpeg, QString::number(orientation)}));
        const auto expected = referenceOf(jpeg, QStringLiteral("upright"));
        ASSERT_TRUE(expected);
        EXPECT_EQ(expected->width, orientation >= 5 ? 24 : 48);
        const auto read = readFile(jpeg);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->width, expected->width);
        EXPECT_LE(maxDifference(*read, *expected), 2);
    }
    // Stored pictures are shown as stored: the orientation belongs to files read in.
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(lumivo::files::readWholeFile(tempPath(QStringLiteral("turned6.jpg")), bytes));
    const auto stored = decode(bytes.data(), bytes.size(), FileType::Jpeg);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->width, 48);

    for (const char* orient : {"TopRight", "BottomRight", "LeftTop", "RightTop", "LeftBottom"}) {
        SCOPED_TRACE(orient);
        const QString tiff = tempPath(QStringLiteral("turned-%1.tif").arg(QString::fromLatin1(orient)));
        ASSERT_TRUE(runTool("convert", {base, "-orient", orient, "-compress", "zip", tiff}));
        const auto expected = referenceOf(tiff, QStringLiteral("upright"));
        ASSERT_TRUE(expected);
        const auto read = readFile(tiff);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->width, expected->width);
        EXPECT_EQ(maxDifference(*read, *expected), 0);
    }
}

TEST_F(PicturesFromOtherProgramsTest, MonochromePcxHonoursItsPaletteEitherWayRound)
{
    struct Sample {
        const char* first;
        const char* second;
        int setColumns; // the value of the set bits, on the left
        int clearColumns;
    };
    // Black ink on white in both orders, and an empty palette, which means black and white.
    for (const Sample& sample : {Sample{"ffffff", "000000", 0, 255}, Sample{"000000", "ffffff", 255, 0},
                                 Sample{"000000", "000000", 255, 0}}) {
        SCOPED_TRACE(sample.first);
        const QString path = tempPath(QStringLiteral("mono.pcx"));
        ASSERT_TRUE(runPython(QString::fromLatin1(kMonochromePcx), {path, sample.first, sample.second}));
        const auto read = readFile(path);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->width, 20);
        ASSERT_EQ(read->height, 6);
        for (int y = 0; y < 6; ++y) {
            EXPECT_EQ(read->pixels[std::size_t(y * 20 + 0) * 3], sample.setColumns);
            EXPECT_EQ(read->pixels[std::size_t(y * 20 + 7) * 3], sample.setColumns);
            EXPECT_EQ(read->pixels[std::size_t(y * 20 + 8) * 3], sample.clearColumns);
            EXPECT_EQ(read->pixels[std::size_t(y * 20 + 19) * 3 + 2], sample.clearColumns);
        }
    }
    // Cut short, it gives no image.
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(lumivo::files::readWholeFile(tempPath(QStringLiteral("mono.pcx")), bytes));
    EXPECT_FALSE(decode(bytes.data(), bytes.size() - 3, FileType::Pcx));
}

TEST_F(PicturesFromOtherProgramsTest, PhotosUpToAHundredMegapixelsAreReadAndLargerOnesRefusedClearly)
{
    auto makeWithFfmpeg = [](const QString& path, const QString& source, const QString& pixelFormat) {
        return runTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", source, "-frames:v", "1",
                                  "-pix_fmt", pixelFormat, path});
    };
    // A 48-megapixel photo on its way to icon size is decoded at an eighth of its sides.
    const QString photo = tempPath(QStringLiteral("photo48.jpg"));
    ASSERT_TRUE(makeWithFfmpeg(photo, "testsrc2=size=8000x6000", "yuvj420p"));
    QString error;
    const auto icon = readFile(photo, {200, 150}, &error);
    ASSERT_TRUE(icon) << error.toStdString();
    EXPECT_EQ(icon->width, 1000);
    EXPECT_EQ(icon->height, 750);

    // Greyscale JPEG and 1-bit PNG of 16 megapixels, at their full size.
    const QString grey = tempPath(QStringLiteral("grey16.jpg"));
    const QString bilevel = tempPath(QStringLiteral("bilevel16.png"));
    ASSERT_TRUE(makeWithFfmpeg(grey, "testsrc2=size=4000x4000", "gray"));
    ASSERT_TRUE(makeWithFfmpeg(bilevel, "testsrc2=size=4000x4000", "monob"));
    for (const QString& path : {grey, bilevel}) {
        SCOPED_TRACE(path.toStdString());
        const auto read = readFile(path, {}, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(read->width, 4000);
        EXPECT_EQ(read->height, 4000);
    }

    // Beyond 100 megapixels (a header claiming 12,000 x 9,000), a clear refusal and no pixel memory.
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(lumivo::files::readWholeFile(grey, bytes));
    const std::vector<std::uint8_t> startOfFrame{0xFF, 0xC0};
    auto frame = std::search(bytes.begin(), bytes.end(), startOfFrame.begin(), startOfFrame.end());
    ASSERT_NE(frame, bytes.end());
    const std::size_t at = std::size_t(frame - bytes.begin()) + 5;
    bytes[at] = 9000 >> 8;
    bytes[at + 1] = 9000 & 0xFF;
    bytes[at + 2] = 12000 >> 8;
    bytes[at + 3] = 12000 & 0xFF;
    const QString huge = tempPath(QStringLiteral("huge.jpg"));
    ASSERT_TRUE(lumivo::files::writeFileAtomically(huge, bytes.data(), bytes.size()));
    error.clear();
    EXPECT_FALSE(readFile(huge, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("100 megapixels"))) << error.toStdString();
}

TEST_F(PicturesFromOtherProgramsTest, JpegAndPngOfEveryKindReadAsImageMagickReadsThem)
{
    const QString source = tempPath(QStringLiteral("source.miff"));
    ASSERT_TRUE(
        runTool("convert", {"-size", "97x61", "plasma:fractal", "-seed", "7", "-depth", "8", source}));
    struct Sample {
        QString name;
        QStringList options;
        int tolerance;
    };
    const std::vector<Sample> samples{
        {"baseline.jpg", {"-quality", "90"}, 1},
        {"progressive.jpg", {"-interlace", "JPEG"}, 1},
        {"full-chroma.jpg", {"-sampling-factor", "1x1", "-quality", "95"}, 1},
        {"restarts.jpg", {"-define", "jpeg:restart-interval=2"}, 1},
        {"grey.jpg", {"-colorspace", "gray"}, 1},
        {"cmyk.jpg", {"-colorspace", "cmyk"}, 2},
        {"rgb.png", {}, 0},
        {"interlaced.png", {"-interlace", "PNG"}, 0},
        {"palette.png", {"-colors", "16", "PNG8:"}, 0},
        {"grey-2bit.png", {"-colorspace", "gray", "-depth", "2"}, 0},
        {"16bit.png", {"-depth", "16"}, 0},
        {"alpha.png", {"-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel"}, 2},
        {"palette-alpha.png",
         {"-alpha", "set", "-channel", "A", "-fx", "i<w/2", "+channel", "-colors", "8", "PNG8:"},
         0},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name.toStdString());
        QString path = tempPath(sample.name);
        QStringList arguments{source};
        for (const QString& option : sample.options)
            if (!option.endsWith(':'))
                arguments << option;
        // A coder prefix ("PNG8:") goes before the file name.
        arguments << (sample.options.isEmpty() || !sample.options.last().endsWith(':')
                          ? path
                          : sample.options.last() + path);
        ASSERT_TRUE(runTool("convert", arguments));
        const auto expected = referenceOf(path, QStringLiteral("reference"));
        ASSERT_TRUE(expected);
        const auto read = readFile(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->width, 97);
        EXPECT_EQ(read->height, 61);
        EXPECT_LE(maxDifference(*read, *expected), sample.tolerance);
    }
}

TEST_F(PicturesFromOtherProgramsTest, DamagedCopiesOfOtherProgramsPicturesNeverCrash)
{
    const QString exifJpeg = tempPath(QStringLiteral("exif.jpg"));
    const QString plain = tempPath(QStringLiteral("plain.jpg"));
    const QString pcx = tempPath(QStringLiteral("mono.pcx"));
    const QString cmyk = tempPath(QStringLiteral("cmyk.jpg"));
    const QString tiled = tempPath(QStringLiteral("tiled.tif"));
    const QString palette = tempPath(QStringLiteral("palette.png"));
    const QString rle8 = tempPath(QStringLiteral("rle8.bmp"));
    const QString rle4 = tempPath(QStringLiteral("rle4.bmp"));
    const QString bitFields = tempPath(QStringLiteral("bitfields.bmp"));
    ASSERT_TRUE(runTool("convert",
                        {"rose:", "-colors", "40", "-type", "palette", "-compress", "RLE", "BMP3:" + rle8}));
    ASSERT_TRUE(runPython(QString::fromLatin1(kRle4Bmp), {rle4}));
    ASSERT_TRUE(runTool("convert", {"rose:", "-define", "bmp:subtype=RGB565", "BMP:" + bitFields}));
    ASSERT_TRUE(runTool("convert", {"-size", "24x16", "plasma:fractal", "-interlace", "JPEG", plain}));
    ASSERT_TRUE(runPython(QString::fromLatin1(kAddExifOrientation), {plain, exifJpeg, "6"}));
    ASSERT_TRUE(runPython(QString::fromLatin1(kMonochromePcx), {pcx, "ffffff", "000000"}));
    ASSERT_TRUE(runTool("convert", {"rose:", "-colorspace", "cmyk", cmyk}));
    ASSERT_TRUE(runTool("convert", {"rose:", "-compress", "lzw", "-define", "tiff:tile-geometry=16x16",
                                    "-orient", "RightTop", tiled}));
    ASSERT_TRUE(runTool("convert", {"rose:", "-alpha", "set", "-colors", "8", "PNG8:" + palette}));
    for (const QString& path : {exifJpeg, pcx, cmyk, tiled, palette, rle8, rle4, bitFields}) {
        SCOPED_TRACE(path.toStdString());
        std::vector<std::uint8_t> sample;
        ASSERT_TRUE(lumivo::files::readWholeFile(path, sample));
        ASSERT_TRUE(decodeAnyReadable(sample.data(), sample.size()));
        lumivo::test::forEachDamagedCopy(sample, [](const std::vector<std::uint8_t>& bytes) {
            if (const auto image = decodeAnyReadable(bytes.data(), bytes.size())) {
                EXPECT_EQ(image->pixels.size(), std::size_t(image->width) * image->height * 3);
            }
            (void)decode(bytes.data(), bytes.size(), FileType::Jpeg, {8, 8});
        });
    }
}

namespace
{

// Turns a bottom-up BMP3 top-down: the height negated and the rows reversed.
constexpr const char* kTopDownBmp = R"(
import struct, sys
source, target = sys.argv[1], sys.argv[2]
bmp = bytearray(open(source, 'rb').read())
offset, width, height, bits = struct.unpack_from('<I', bmp, 10)[0], *struct.unpack_from('<iiH', bmp, 18)[:2], struct.unpack_from('<H', bmp, 28)[0]
stride = (width * bits + 31) // 32 * 4
rows = [bmp[offset + r * stride: offset + (r + 1) * stride] for r in range(height)]
struct.pack_into('<i', bmp, 22, -height)
bmp[offset:offset + stride * height] = b''.join(reversed(rows))
open(target, 'wb').write(bmp)
)";

} // namespace

TEST_F(PicturesFromOtherProgramsTest, BmpOfEveryHeaderDepthAndCodingReadsAsImageMagickReadsIt)
{
    const QString source = tempPath(QStringLiteral("source.miff"));
    ASSERT_TRUE(
        runTool("convert", {"-size", "37x23", "plasma:fractal", "-seed", "3", "-depth", "8", source}));
    struct Sample {
        QString name;
        QStringList options;
        QString coder;
        int tolerance;
    };
    const std::vector<Sample> samples{
        {"1bit.bmp", {"-colors", "2", "-type", "palette"}, "BMP3:", 0},
        {"4bit.bmp", {"-colors", "16", "-type", "palette"}, "BMP3:", 0},
        {"8bit.bmp", {"-colors", "200", "-type", "palette"}, "BMP3:", 0},
        {"rle8.bmp", {"-colors", "60", "-type", "palette", "-compress", "RLE"}, "BMP3:", 0},
        {"os2.bmp", {"-colors", "16", "-type", "palette"}, "BMP2:", 0},
        {"24bit.bmp", {"-type", "truecolor"}, "BMP3:", 0},
        {"24bit-v5.bmp", {"-type", "truecolor"}, "BMP:", 0},
        {"rgb565.bmp", {"-define", "bmp:subtype=RGB565"}, "BMP:", 1},
        {"rgb555.bmp", {"-define", "bmp:subtype=RGB555"}, "BMP:", 1},
        {"argb32.bmp", {"-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel"}, "BMP:", 2},
        // ImageMagick scales 4-bit samples by 16, so that full scale reads 240; ours by 17, so that
        // white stays white.
        {"argb4444.bmp",
         {"-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel", "-define", "bmp:subtype=ARGB4444"},
         "BMP:",
         15},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name.toStdString());
        const QString path = tempPath(sample.name);
        ASSERT_TRUE(
            runTool("convert", QStringList{source} + sample.options + QStringList{sample.coder + path}));
        const auto expected = referenceOf(path, QStringLiteral("reference"));
        ASSERT_TRUE(expected);
        QString error;
        const auto read = readFile(path, {}, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(read->width, 37);
        EXPECT_EQ(read->height, 23);
        EXPECT_LE(maxDifference(*read, *expected), sample.tolerance);
    }
    const QString rle4 = tempPath(QStringLiteral("rle4.bmp"));
    ASSERT_TRUE(runPython(QString::fromLatin1(kRle4Bmp), {rle4}));
    const auto expected = referenceOf(rle4, QStringLiteral("reference"));
    const auto read = readFile(rle4);
    ASSERT_TRUE(expected && read);
    EXPECT_EQ(read->pixels, expected->pixels);

    // Rows stored top-down show the same picture.
    const QString topDown = tempPath(QStringLiteral("top-down.bmp"));
    ASSERT_TRUE(
        runPython(QString::fromLatin1(kTopDownBmp), {tempPath(QStringLiteral("24bit.bmp")), topDown}));
    const auto upright = readFile(tempPath(QStringLiteral("24bit.bmp")));
    const auto fromTop = readFile(topDown);
    ASSERT_TRUE(upright && fromTop);
    EXPECT_EQ(fromTop->pixels, upright->pixels);
}
