#pragma once
// Pictures stored in real resource files for tests.

#include "core/Picture.h"
#include "store/ResourceTypes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumivo::test
{

// A picture of 4 x 2 pixels of one grey level, stored under (id, picture kind, language) in `file`.
// The object is given back: its record is the store's until the file is saved, and it may be written
// again.
inline std::unique_ptr<CQuibPict> storeGreyPicture(int file, std::int32_t id, int kind,
                                                   std::uint16_t language, std::uint8_t level)
{
    auto picture = std::make_unique<CQuibPict>();
    EXPECT_EQ(picture->Create(), RES_OK);
    const RgbImage image{4, 2, std::vector<std::uint8_t>(24, level)};
    EXPECT_TRUE(picture->SetImage(image, 4, 2, pictRawRgb));
    EXPECT_EQ(picture->SaveAs(id, file, MakePictType(std::int16_t(kind), std::int16_t(language))), RES_OK);
    return picture;
}

} // namespace lumivo::test
