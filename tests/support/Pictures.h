#pragma once
// Pictures made in memory for tests.

#include "platform/image/Image.h"

#include <QColor>

#include <cstddef>
#include <cstdint>

namespace lumivo::test
{

// A picture of one colour, 3 bytes a pixel.
inline RgbImage solidRgbImage(int width, int height, QRgb rgb)
{
    RgbImage image{width, height, {}};
    image.pixels.reserve(std::size_t(width) * std::size_t(height) * 3);
    for (int i = 0; i < width * height; ++i)
        image.pixels.insert(image.pixels.end(),
                            {std::uint8_t(qRed(rgb)), std::uint8_t(qGreen(rgb)), std::uint8_t(qBlue(rgb))});
    return image;
}

} // namespace lumivo::test
