// Picture decoding: bytes of any of the readable formats decode to an RGB image whose pixel count
// matches its size, or to nothing; a decoded image survives a PNG round trip unchanged.

#include "platform/image/Image.h"
#include "tests/fuzz/FuzzTarget.h"

namespace lumivo::fuzz::image
{

namespace
{

using lumivo::image::RgbImage;

void checkWhole(const RgbImage& picture)
{
    fuzzCheck(!picture.isNull(), "a decoded picture has no size");
    const auto expected = lumivo::image::rgbByteSize(picture.width, picture.height);
    fuzzCheck(expected && *expected == picture.byteSize(), "a decoded picture's pixels do not fit its size");
}

void fuzzImage(const std::uint8_t* data, std::size_t size)
{
    // Decoded as it would be for an icon: a decoder may give a smaller picture directly.
    const lumivo::image::FileType type = lumivo::image::guessFileType(data, size);
    if (lumivo::image::isReadableType(type)) {
        if (const auto small = lumivo::image::decode(data, size, type, {16, 16}))
            checkWhole(*small);
    }
    const std::optional<RgbImage> decoded = lumivo::image::decodeAnyReadable(data, size);
    if (!decoded)
        return;
    checkWhole(*decoded);
    Bytes png;
    if (!lumivo::image::encodePng(*decoded, png))
        return; // refused (beyond what the image library takes): a clear answer
    const std::optional<RgbImage> again =
        lumivo::image::decode(png.data(), png.size(), lumivo::image::FileType::Png);
    fuzzCheck(again && again->width == decoded->width && again->height == decoded->height &&
                  again->pixels == decoded->pixels,
              "a decoded picture changes in a PNG round trip");
}

std::vector<Bytes> imageSeeds()
{
    Bytes pixels;
    for (int i = 0; i < 4 * 3 * 3; ++i)
        pixels.push_back(static_cast<std::uint8_t>(i * 23));
    const std::optional<RgbImage> picture = lumivo::image::makeRgbImage(4, 3, pixels.data(), pixels.size());
    std::vector<Bytes> seeds;
    for (auto type :
         {lumivo::image::FileType::Png, lumivo::image::FileType::Jpeg, lumivo::image::FileType::Bmp,
          lumivo::image::FileType::Tiff, lumivo::image::FileType::Pcx, lumivo::image::FileType::Psd}) {
        Bytes encoded;
        if (picture && lumivo::image::encodeAs(*picture, type, encoded))
            seeds.push_back(std::move(encoded));
    }
    return seeds;
}

const FuzzTargetRegistration registration({"image", &fuzzImage, &imageSeeds});

} // namespace

} // namespace lumivo::fuzz::image
