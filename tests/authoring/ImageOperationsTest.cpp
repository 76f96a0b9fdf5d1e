// The picture operations of the authoring tools: what they hand back, pixel by pixel where the pixels
// are not resampled, and the rectangles they refuse.

#include "authoring/ImageOperations.h"

#include "platform/files/FileSystem.h"
#include "store/PictureFormat.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

using namespace lumivo::test;

namespace
{

class ImageOperationsTest : public LumivoTest
{
};

bool samePixels(const RgbImage& part, const RgbImage& whole, int left, int top)
{
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            if (!std::equal(pixelAt(part, x, y), pixelAt(part, x, y) + 3, pixelAt(whole, left + x, top + y)))
                return false;
    return true;
}

} // namespace

TEST_F(ImageOperationsTest, EachReadableFormatIsKnownByItsFirstBytesAndGifIsNot)
{
    using lumivo::image::FileType;
    const RgbImage picture = solidRgbImage(8, 6, qRgb(200, 40, 10));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(lumivo::image::encodeJpeg(picture, 80, bytes));
    EXPECT_EQ(GuessPictureFileType(bytes.data(), bytes.size()), kJpegFile);
    ASSERT_TRUE(lumivo::image::encodePng(picture, bytes));
    EXPECT_EQ(GuessPictureFileType(bytes.data(), bytes.size()), kPngFile);
    ASSERT_TRUE(lumivo::image::encodeTiff(picture, bytes));
    EXPECT_EQ(GuessPictureFileType(bytes.data(), bytes.size()), kTiffFile);
    for (const auto& [type, code] :
         {std::pair{FileType::Bmp, kBmpFile}, std::pair{FileType::Pcx, kPcxFile},
          std::pair{FileType::Psd, kPsdFile}, std::pair{FileType::Gif, kNoPictureFile}}) {
        ASSERT_TRUE(lumivo::image::encodeAs(picture, type, bytes)) << int(type);
        EXPECT_EQ(GuessPictureFileType(bytes.data(), bytes.size()), code) << int(type);
        // A file on disk is known by the same bytes, a PCX header's 128 among them.
        const QString path = tempPath(QStringLiteral("picture.bin"));
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, bytes.data(), bytes.size()));
        EXPECT_EQ(GuessPictureFileType(path), code) << int(type);
    }
    EXPECT_EQ(GuessPictureFileType(tempPath("missing.png")), kNoPictureFile);
}

TEST_F(ImageOperationsTest, CropCopiesTheRectangleByteForByteAndRefusesOneOutsideThePicture)
{
    const RgbImage picture = patternImage(10, 7);
    const auto part = CropRgb(picture, 2, 1, 9, 7);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width, 7);
    EXPECT_EQ(part->height, 6);
    EXPECT_TRUE(samePixels(*part, picture, 2, 1));
    EXPECT_FALSE(CropRgb(picture, -1, 0, 5, 5));
    EXPECT_FALSE(CropRgb(picture, 0, 0, 11, 5));
    EXPECT_FALSE(CropRgb(picture, 0, 0, 5, 8));
    EXPECT_FALSE(CropRgb(picture, 4, 0, 4, 5)) << "no columns";
    EXPECT_FALSE(CropRgb(picture, 0, 5, 3, 2)) << "bottom above top";
    RgbImage malformed = picture;
    malformed.pixels.pop_back();
    EXPECT_FALSE(CropRgb(malformed, 0, 0, 2, 2));
}

TEST_F(ImageOperationsTest, AQuarterTurnGoesClockwiseAndSwapsTheSides)
{
    // 2 wide, 3 high: a b / c d / e f turns into e c a / f d b.
    const RgbImage picture = patternImage(2, 3);
    const auto turned = RotateRgbClockwise(picture);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->width, 3);
    EXPECT_EQ(turned->height, 2);
    const int height = picture.height;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            EXPECT_TRUE(std::equal(pixelAt(picture, x, y), pixelAt(picture, x, y) + 3,
                                   pixelAt(*turned, height - 1 - y, x)))
                << x << "," << y;
    const auto fourTimes = RotateRgbClockwise(*RotateRgbClockwise(*RotateRgbClockwise(*turned)));
    ASSERT_TRUE(fourTimes);
    EXPECT_EQ(fourTimes->pixels, picture.pixels);
}

TEST_F(ImageOperationsTest, ResizeGivesExactlyTheSizeAskedAndRefusesNoSize)
{
    const RgbImage picture = patternImage(40, 30);
    const auto scaled = ResizeRgb(picture, 17, 45);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->width, 17);
    EXPECT_EQ(scaled->height, 45);
    EXPECT_EQ(scaled->pixels.size(), 17u * 45u * 3u);
    EXPECT_FALSE(ResizeRgb(picture, 0, 10));
    EXPECT_FALSE(ResizeRgb(picture, 10, -1));
}

TEST_F(ImageOperationsTest, ANarrowPictureKeepsItsRowsThroughTheDrawingCopyAndTheRawStoreFormat)
{
    // 3 pixels are 9 bytes a row: a QImage pads its rows to 12, the stored form never does.
    const RgbImage picture = patternImage(3, 5);
    const QImage shown = ToDisplayImage(picture);
    ASSERT_EQ(shown.size(), QSize(3, 5));
    EXPECT_EQ(shown.pixel(2, 4), qRgb(2, 4, 6));
    const auto back = lumivo::image::fromQImage(shown);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixels, picture.pixels);
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(EncodeStoredImage(picture, pictRawRgb, stored));
    EXPECT_EQ(stored, picture.pixels) << "raw store format 1 is the picture's own bytes";
}

TEST_F(ImageOperationsTest, ThePageEditorFitsByResizeCropOrKeep)
{
    const RgbImage photo = patternImage(2000, 1500);
    const RgbImage resized = FitToTarget(photo, kImportResize, 640, 427);
    EXPECT_EQ(QSize(resized.width, resized.height), QSize(640, 427));
    const RgbImage cropped = FitToTarget(photo, kImportCrop, 640, 427);
    ASSERT_EQ(QSize(cropped.width, cropped.height), QSize(640, 427));
    EXPECT_TRUE(samePixels(cropped, photo, 0, 0)) << "the top left corner of the source";
    const RgbImage kept = FitToTarget(photo, kImportKeepSize, 640, 427);
    EXPECT_EQ(QSize(kept.width, kept.height), QSize(2000, 1500));
    const RgbImage small = patternImage(500, 300);
    EXPECT_EQ(FitToTarget(small, kImportCrop, 640, 427).pixels, small.pixels) << "not larger on both axes";
}

TEST_F(ImageOperationsTest, MarginsCutThePictureWithTheLastColumnAndRowLeftOut)
{
    const RgbImage picture = patternImage(200, 50);
    EXPECT_EQ(CropByMargins(picture, {}).pixels, picture.pixels) << "no margins: the same block";

    const CropRect rect = CropRectOfMargins(200, 50, CropMargins{100, 0, 0, 0});
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.right, 199) << "columns 20 to 198";
    EXPECT_EQ(rect.bottom, 49) << "the bottom edge moves in too";
    const RgbImage cut = CropByMargins(picture, CropMargins{100, 0, 0, 0});
    ASSERT_EQ(QSize(cut.width, cut.height), QSize(179, 49));
    EXPECT_TRUE(samePixels(cut, picture, 20, 0));

    // Margins that leave nothing of a tiny picture hand it back whole.
    const RgbImage tiny = patternImage(5, 5);
    EXPECT_EQ(CropByMargins(tiny, CropMargins{800, 0, 300, 0}).pixels, tiny.pixels);
}

TEST_F(ImageOperationsTest, TurningThePictureTurnsItsMargins)
{
    const CropMargins turned = RotateMarginsClockwise(CropMargins{10, 20, 30, 40});
    EXPECT_EQ(turned, (CropMargins{40, 10, 20, 30}))
        << "top = left, left = bottom, bottom = right, right = top";
}

TEST_F(ImageOperationsTest, APreviewShrinksByTheLargerRatioAndNeverGrows)
{
    EXPECT_EQ(ShrinkToFit({100, 50}, {320, 214}), QSize(100, 50));
    EXPECT_EQ(ShrinkToFit({640, 427}, {320, 214}), QSize(320, 213));
    EXPECT_EQ(ShrinkToFit({200, 1000}, {320, 214}), QSize(42, 214));
}
