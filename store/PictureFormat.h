#pragma once
// The stored form of a picture resource: a little-endian header (its own length first), then the image
// in one of the store formats. Kept apart from the picture object so that it can be checked alone.

#include "platform/image/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

using lumivo::image::RgbImage;

// Store formats of a picture's image bytes.
enum PictStoreFormat : std::int16_t {
    pictRawRgb = 1,
    pictPax = 2, // an old library's own format: read only there, never written; gives no image here
    pictTiff = 3,
    pictJpeg0 = 4,
    pictJpeg25 = 5,
    pictJpeg50 = 6,
    pictJpeg70 = 7,
    pictJpeg85 = 8,
    pictJpeg100 = 9,
    pictGreyJpeg85 = 10,
    pictPng = 11,
    pictGreyPng = 12,
};

constexpr std::uint32_t pictHeaderLength = 24;
constexpr std::uint32_t legacyPictHeaderLength = 16; // written before the two colours existed
constexpr std::uint32_t pictNoColor = 0xFBFFFFFF;

struct PictHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::int16_t StoreFormat = pictRawRgb;
    std::uint16_t Compression = 1;
    std::uint32_t TransparentColor = pictNoColor;
    std::uint32_t BackkgroundColor = pictNoColor;
};

// All six fields, 24 bytes with the length first.
std::vector<std::uint8_t> WritePictHeaderBytes(const PictHeader& header);
// Reads the header at the start of a stored picture into `header` and returns its length, or nullopt
// when the bytes hold no picture header (shorter than 16, or a length that is not there). The colours
// are read only when the length is 24; otherwise they keep the values `header` had.
std::optional<std::uint32_t> ReadPictHeaderBytes(const std::uint8_t* data, std::size_t size,
                                                 PictHeader& header);

// The image bytes of a store format. Fails for format 2 (nothing is written) and unknown formats.
bool EncodeStoredImage(const RgbImage& image, int storeFormat, std::vector<std::uint8_t>& out);
// Decodes image bytes of a store format. The raw format needs width x height x 3 bytes; the
// encoded formats bring their own size. No image for PAX, unknown formats and damaged bytes.
std::optional<RgbImage> DecodeStoredImage(const std::uint8_t* data, std::size_t size, int storeFormat,
                                          std::uint32_t width, std::uint32_t height);
