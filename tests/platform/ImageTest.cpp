#include "platform/image/Image.h"
#include "tests/support/LumivoTest.h"

#include "platform/files/FileSystem.h"

using namespace lumivo::image;
using lumivo::test::LumivoTest;

namespace
{

// A picture with a different colour in every corner, so flips and channel swaps show.
RgbImage corners(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(std::size_t(width) * height * 3, 0x80);
    auto paint = [&](int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* p = image.pixels.data() + (std::size_t(y) * width + x) * 3;
        p[0] = r;
        p[1] = g;
        p[2] = b;
    };
    paint(0, 0, 255, 0, 0);
    paint(width - 1, 0, 0, 255, 0);
    paint(0, height - 1, 0, 0, 255);
    paint(width - 1, height - 1, 255, 255, 255);
    return image;
}

std::array<int, 3> pixel(const RgbImage& image, int x, int y)
{
    const std::uint8_t* p = image.pixels.data() + (std::size_t(y) * image.width + x) * 3;
    return {p[0], p[1], p[2]};
}

} // namespace

class ImageTest : public LumivoTest
{
};

TEST_F(ImageTest, ReadsEveryImportFormatAtItsSizeAndOrientation)
{
    const RgbImage original = corners(7, 5);
    for (FileType type : {FileType::Bmp, FileType::Pcx, FileType::Tiff, FileType::Psd, FileType::Png}) {
        SCOPED_TRACE(int(type));
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(encodeAs(original, type, bytes));
        EXPECT_EQ(guessFileType(bytes.data(), bytes.size()), type);
        const QString path = tempPath(QStringLiteral("sample.bin"));
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, bytes.data(), bytes.size()));
        const auto read = readFile(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->width, 7);
        EXPECT_EQ(read->height, 5);
        EXPECT_EQ(read->pixels, original.pixels);
    }
}

TEST_F(ImageTest, OwnTiffWriterUsesOldDeflateCodeAndReadsBack)
{
    const RgbImage original = corners(10, 10);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encodeTiff(original, bytes));
    // Compression entry: tag 259, type short, count 1, value 32946.
    const std::uint8_t entry[] = {0x03, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0xB2, 0x80};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(entry), std::end(entry)), bytes.end());
    const auto read = decode(bytes.data(), bytes.size(), FileType::Tiff);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pixels, original.pixels);
}

TEST_F(ImageTest, GifUnknownTruncatedAndMislabelledGiveNoImage)
{
    const RgbImage original = corners(16, 16);
    std::vector<std::uint8_t> gif;
    ASSERT_TRUE(encodeAs(original, FileType::Gif, gif));
    EXPECT_EQ(guessFileType(gif.data(), gif.size()), FileType::Gif);
    EXPECT_FALSE(decodeAnyReadable(gif.data(), gif.size()));
    EXPECT_FALSE(decode(gif.data(), gif.size(), FileType::Gif));

    const std::uint8_t text[] = "just some text, not a picture";
    EXPECT_EQ(guessFileType(text, sizeof text), FileType::Unknown);
    EXPECT_FALSE(decodeAnyReadable(text, sizeof text));

    for (FileType type : {FileType::Png, FileType::Bmp, FileType::Psd}) {
        SCOPED_TRACE(int(type));
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(encodeAs(original, type, bytes));
        EXPECT_FALSE(decodeAnyReadable(bytes.data(), bytes.size() / 2));
    }
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(encodeJpeg(original, 85, jpeg));
    EXPECT_FALSE(decodeAnyReadable(jpeg.data(), jpeg.size() - 40));
    // The declared type is the only coder asked: PNG bytes given as BMP are not read.
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(encodePng(original, png));
    EXPECT_FALSE(decode(png.data(), png.size(), FileType::Bmp));
}

TEST_F(ImageTest, JpegQualityZeroIsTheLowestNotTheDefault)
{
    RgbImage noisy = corners(64, 64);
    for (std::size_t i = 0; i < noisy.pixels.size(); ++i)
        noisy.pixels[i] = std::uint8_t(i * 7919 % 251);
    std::vector<std::uint8_t> lowest, low, best;
    ASSERT_TRUE(encodeJpeg(noisy, 0, lowest));
    ASSERT_TRUE(encodeJpeg(noisy, 25, low));
    ASSERT_TRUE(encodeJpeg(noisy, 100, best));
    EXPECT_LT(lowest.size(), low.size());
    EXPECT_LT(low.size(), best.size());
}

TEST_F(ImageTest, GreyAndEditingSteps)
{
    const RgbImage original = corners(8, 6);
    const RgbImage grey = toGrey(original);
    for (std::size_t i = 0; i < grey.pixels.size(); i += 3) {
        EXPECT_EQ(grey.pixels[i], grey.pixels[i + 1]);
        EXPECT_EQ(grey.pixels[i], grey.pixels[i + 2]);
    }
    EXPECT_EQ(pixel(grey, 7, 5), (std::array<int, 3>{255, 255, 255}));

    const auto part = crop(original, 6, 4, 2, 2);
    ASSERT_TRUE(part);
    EXPECT_EQ(pixel(*part, 1, 1), (std::array<int, 3>{255, 255, 255}));
    EXPECT_FALSE(crop(original, 7, 0, 2, 1));

    const auto larger = resize(original, 16, 3);
    ASSERT_TRUE(larger);
    EXPECT_EQ(larger->pixels.size(), 16u * 3 * 3);
    const auto turned = rotate(original, 90);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->width, 6);
    EXPECT_EQ(turned->height, 8);
    EXPECT_EQ(pixel(*turned, 5, 0), (std::array<int, 3>{255, 0, 0}));
    const auto soft = blur(original, 2, 1);
    ASSERT_TRUE(soft);
    EXPECT_NE(soft->pixels, original.pixels);

    const auto back = fromQImage(toQImage(original));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixels, original.pixels);
    EXPECT_FALSE(makeRgbImage(10, 10, original.pixels.data(), 299));
    EXPECT_FALSE(rgbByteSize(100000, 100000));
}
