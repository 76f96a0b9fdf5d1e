#include "core/Picture.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"

#include "platform/files/FileSystem.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

using lumivo::image::FileType;
using lumivo::test::boundRecordBytes;
using lumivo::test::LumivoTest;
using lumivo::test::setBoundRecordBytes;

namespace
{

RgbImage gradient(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.insert(image.pixels.end(),
                                {std::uint8_t(x * 20), std::uint8_t(y * 20), std::uint8_t(100 + x + y)});
    return image;
}

int maxDifference(const RgbImage& a, const RgbImage& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        worst = std::max(worst, std::abs(int(a.pixels[i]) - int(b.pixels[i])));
    return worst;
}

} // namespace

class PictureTest : public LumivoTest
{
};

TEST_F(PictureTest, RawFormatStoresTheExactHeaderAndPixels)
{
    CQuibPict picture;
    EXPECT_EQ(picture.GetType(), 0x67700000);
    ASSERT_EQ(picture.Create(), RES_OK);
    const RgbImage image = gradient(10, 10);
    ASSERT_TRUE(picture.SetImage(image, 10, 10, pictRawRgb));
    const auto bytes = boundRecordBytes(picture);
    ASSERT_EQ(bytes.size(), 24u + 300u);
    const std::vector<std::uint8_t> header{24, 0, 0, 0, 1,    0,    1,    0,    10,   0,    0,    0,
                                           10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF, 0xFB};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 24), header);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 24, bytes.end()), image.pixels);
    ASSERT_TRUE(picture.Decode());
    EXPECT_EQ(picture.GetImage()->pixels, image.pixels);
    const QImage drawn = picture.GetHBitmap();
    EXPECT_EQ(drawn.size(), QSize(10, 10));
    EXPECT_EQ(drawn.pixel(9, 0), qRgb(180, 0, 109));
}

TEST_F(PictureTest, EveryEncodedFormatRoundTripsSmallPictures)
{
    for (int side : {1, 10}) {
        const RgbImage image = gradient(side, side);
        for (int format = pictTiff; format <= pictGreyPng; ++format) {
            SCOPED_TRACE(testing::Message() << side << " px, format " << format);
            CQuibPict picture;
            ASSERT_EQ(picture.Create(), RES_OK);
            // A 1 x 1 JPEG is far larger than its 3 raw bytes; it must be kept whole.
            ASSERT_TRUE(picture.SetImage(image, side, side, std::int16_t(format)));
            EXPECT_GT(picture.GetSize(), 24);
            picture.Width = picture.Height = 0;
            ASSERT_TRUE(picture.Decode());
            const RgbImage& decoded = *picture.GetImage();
            EXPECT_EQ(picture.Width, std::uint32_t(side));
            EXPECT_EQ(decoded.height, side);
            const bool grey = format == pictGreyJpeg85 || format == pictGreyPng;
            if (grey) {
                for (std::size_t i = 0; i < decoded.pixels.size(); i += 3) {
                    EXPECT_EQ(decoded.pixels[i], decoded.pixels[i + 1]);
                    EXPECT_EQ(decoded.pixels[i], decoded.pixels[i + 2]);
                }
            } else if (format == pictTiff || format == pictPng) {
                EXPECT_EQ(decoded.pixels, image.pixels);
            } else if (format == pictJpeg100) {
                EXPECT_LE(maxDifference(decoded, image), 12);
            }
        }
    }
}

TEST_F(PictureTest, GreyFormatsAreStillStoredWithThreeChannels)
{
    const RgbImage image = gradient(4, 3);
    for (std::int16_t format : {pictJpeg85, pictGreyJpeg85, pictPng, pictGreyPng}) {
        SCOPED_TRACE(format);
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(image, 4, 3, format));
        const auto bytes = boundRecordBytes(picture);
        if (format == pictPng || format == pictGreyPng) {
            ASSERT_GT(bytes.size(), 24u + 26);
            EXPECT_EQ(bytes[24 + 24], 8); // bit depth
            EXPECT_EQ(bytes[24 + 25], 2); // colour type RGB
            continue;
        }
        const std::uint8_t startOfFrame[] = {0xFF, 0xC0};
        const auto at =
            std::search(bytes.begin() + 24, bytes.end(), std::begin(startOfFrame), std::end(startOfFrame));
        ASSERT_LT(at + 9, bytes.end());
        EXPECT_EQ(at[9], 3) << "components";
    }
}

TEST_F(PictureTest, LegacyHeaderKeepsTheColoursAndFindsTheImageAtSixteen)
{
    CQuibPict picture;
    ASSERT_EQ(picture.Create(), RES_OK);
    const RgbImage image = gradient(2, 2);
    std::vector<std::uint8_t> bytes{16, 0, 0, 0, 1, 0, 7, 0, 2, 0, 0, 0, 2, 0, 0, 0};
    bytes.insert(bytes.end(), image.pixels.begin(), image.pixels.end());
    setBoundRecordBytes(picture, bytes);
    ASSERT_TRUE(picture.Decode());
    EXPECT_EQ(picture.HeaderLength, 16u);
    EXPECT_EQ(picture.Compression, 7);
    EXPECT_EQ(picture.TransparentColor, 0xFBFFFFFFu);
    EXPECT_EQ(picture.BackkgroundColor, 0xFBFFFFFFu);
    EXPECT_EQ(picture.GetImage()->pixels, image.pixels);
}

TEST_F(PictureTest, PaxStoresOnlyTheHeaderAndDecodesToNothing)
{
    CQuibPict picture;
    ASSERT_EQ(picture.Create(), RES_OK);
    ASSERT_TRUE(picture.SetImage(gradient(10, 10), 10, 10, pictPax));
    EXPECT_EQ(picture.GetSize(), 24);
    EXPECT_FALSE(picture.Decode());
    EXPECT_TRUE(picture.GetHBitmap().isNull());
}

TEST_F(PictureTest, DamagedRecordsGiveNoImageAndNoOverRead)
{
    const RgbImage image = gradient(10, 10);
    std::vector<std::uint8_t> good = WritePictHeaderBytes({10, 10, pictRawRgb, 1, 0, 0});
    good.insert(good.end(), image.pixels.begin(), image.pixels.end());

    auto expectNoImage = [](const std::vector<std::uint8_t>& bytes) {
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        if (!bytes.empty())
            setBoundRecordBytes(picture, bytes);
        EXPECT_FALSE(picture.Decode());
        EXPECT_FALSE(picture.GetImage());
    };
    expectNoImage({});
    expectNoImage({24, 0, 0});
    expectNoImage(std::vector<std::uint8_t>(good.begin(), good.end() - 1)); // one pixel byte short
    auto claimsMore = good;
    claimsMore[0] = 200; // header longer than the record
    expectNoImage(claimsMore);
    auto tooShortHeader = good;
    tooShortHeader[0] = 8;
    expectNoImage(tooShortHeader);
    auto huge = good;
    huge[8] = huge[9] = huge[10] = huge[11] = 0xFF; // width x height x 3 overflows
    expectNoImage(huge);
    auto unknown = good;
    unknown[4] = 42;
    expectNoImage(unknown);
    auto pax = good; // bytes of the old library's own format cannot be read here
    pax[4] = pictPax;
    expectNoImage(pax);
    auto brokenJpeg = WritePictHeaderBytes({10, 10, pictJpeg85, 1, 0, 0});
    brokenJpeg.insert(brokenJpeg.end(), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'});
    expectNoImage(brokenJpeg);
}

TEST_F(PictureTest, StoredPictureSurvivesSaveAndReopen)
{
    const QString path = tempPath(QStringLiteral("pictures.tvf"));
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    const RgbImage image = gradient(7, 3);
    {
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(image, 7, 3, pictPng));
        picture.TransparentColor = 0x01020304;
        ASSERT_TRUE(picture.StoreImage(image));
        ASSERT_EQ(picture.SaveAs(77, file, MakePictType(2, 1)), RES_OK);
    }
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    CQuibPict loaded;
    ASSERT_EQ(AttachResource(&loaded, 77, MakePictType(2, 1), file), RES_OK);
    ASSERT_EQ(loaded.Load(), RES_OK);
    EXPECT_EQ(loaded.GetType(), MakePictType(2, 1));
    EXPECT_EQ(GetPictTypeKind(loaded.GetType()), 2);
    EXPECT_EQ(GetPictTypeLanguage(loaded.GetType()), 1);
    ASSERT_TRUE(loaded.Decode());
    EXPECT_EQ(loaded.GetImage()->pixels, image.pixels);
    EXPECT_EQ(loaded.StoreFormat, pictPng);
    EXPECT_EQ(loaded.TransparentColor, 0x01020304u);
}

TEST_F(PictureTest, PreviewOfAStoreFormatLeavesNoRecordBehind)
{
    const std::size_t records = theResMgr.GetRecordCount();
    std::int64_t size = 0;
    const auto preview = DecodeImageBytes(gradient(10, 10), &size, 10, 10, pictRawRgb);
    ASSERT_TRUE(preview);
    EXPECT_EQ(size, 300 - 2);
    EXPECT_EQ(preview->width, 10);
    EXPECT_TRUE(DecodeImageBytes(gradient(10, 10), &size, 10, 10, pictJpeg0));
    EXPECT_FALSE(DecodeImageBytes(gradient(10, 10), &size, 10, 10, pictPax));
    EXPECT_EQ(theResMgr.GetRecordCount(), records);
}

TEST_F(PictureTest, ImageFilesOfTheImportFormatsReadAtTheirSize)
{
    const RgbImage image = gradient(12, 5);
    for (FileType type : {FileType::Bmp, FileType::Pcx, FileType::Tiff, FileType::Psd, FileType::Png,
                          FileType::Jpeg, FileType::Gif}) {
        SCOPED_TRACE(int(type));
        std::vector<std::uint8_t> bytes;
        if (type == FileType::Jpeg)
            ASSERT_TRUE(lumivo::image::encodeJpeg(image, 90, bytes));
        else
            ASSERT_TRUE(lumivo::image::encodeAs(image, type, bytes));
        const QString path = tempPath(QStringLiteral("picture"));
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, bytes.data(), bytes.size()));
        std::uint32_t width = 0, height = 0;
        const auto read = ReadImageFile(path, &width, &height);
        if (type == FileType::Gif) {
            EXPECT_FALSE(read);
            EXPECT_EQ(width, 0u);
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(width, 12u);
        EXPECT_EQ(height, 5u);
        EXPECT_EQ(read->pixels.size(), 12u * 5 * 3);
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, bytes.data(), bytes.size() * 2 / 3));
        EXPECT_FALSE(ReadImageFile(path)) << "truncated";
    }
    EXPECT_FALSE(ReadImageFile(tempPath(QStringLiteral("missing.png"))));
}

TEST_F(PictureTest, EveryStoreFormatReadsBackASweepOfSizesAndContents)
{
    // Flat and few-colour pictures compress so well that wide ones once gave no image at all.
    auto paint = [](int width, int height, int kind) {
        RgbImage image;
        image.width = width;
        image.height = height;
        image.pixels.resize(std::size_t(width) * height * 3);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            const std::size_t pixel = i / 3;
            const int x = int(pixel % std::size_t(width)), y = int(pixel / std::size_t(width));
            switch (kind) {
            case 0: // flat
                image.pixels[i] = std::uint8_t(0x40 + 0x30 * (i % 3));
                break;
            case 1: // four colours in bands
                image.pixels[i] = ((x / 7 + y / 5) % 4) * 85 >= int(i % 3) * 60 ? 255 : 0;
                break;
            default: // noise
                image.pixels[i] = std::uint8_t((i * 2654435761u) >> 13);
            }
        }
        return image;
    };
    const std::vector<std::pair<int, int>> sizes{{1, 1},    {200, 3},  {400, 64}, {2000, 100},
                                                 {4097, 3}, {3, 4097}, {333, 77}, {1024, 1}};
    for (const auto& [width, height] : sizes) {
        for (int kind = 0; kind < 3; ++kind) {
            const RgbImage image = paint(width, height, kind);
            for (int format = pictRawRgb; format <= pictGreyPng; ++format) {
                if (format == pictPax)
                    continue;
                SCOPED_TRACE(testing::Message()
                             << width << " x " << height << ", content " << kind << ", format " << format);
                std::vector<std::uint8_t> stored;
                ASSERT_TRUE(EncodeStoredImage(image, format, stored));
                const auto read = DecodeStoredImage(stored.data(), stored.size(), format,
                                                    std::uint32_t(width), std::uint32_t(height));
                ASSERT_TRUE(read);
                EXPECT_EQ(read->width, width);
                EXPECT_EQ(read->height, height);
                if (format == pictRawRgb || format == pictTiff || format == pictPng) {
                    EXPECT_EQ(read->pixels, image.pixels);
                }
            }
        }
    }
}
