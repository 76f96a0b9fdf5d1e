#pragma once
// The image library (Magick++) behind the picture layer: the formats without a decoder of our own, the
// encoders and the editing steps. It lives in a module of its own, loaded when first used
// (platform/modules): the start page's pictures never need it.

#include "platform/image/ImageDecoders.h"

namespace lumivo::image
{

// Decodes with the library's coder of that name alone, so that no other coder ever sees the bytes.
std::optional<RgbImage> decodeWithImageLibrary(const std::uint8_t* data, std::size_t size, const char* coder,
                                               DecodeFailure& failure);
// Writes the image with the library's coder of that name; false, with `out` empty, when it fails.
bool encodeWithImageLibrary(const RgbImage& image, const char* coder, std::vector<std::uint8_t>& out);

} // namespace lumivo::image
