#include "core/FrameSizes.h"

#include "core/Page.h"

#include <array>

std::uint16_t theFrameSizeMode = 0;
std::vector<std::uint16_t> theFrameSizeModes;

void RegisterFrameSizeModes()
{
    theFrameSizeModes.clear();
    for (int mode = kFirstFrameSizeMode; mode <= kLastFrameSizeMode; ++mode)
        theFrameSizeModes.push_back(static_cast<std::uint16_t>(mode));
}

CSize GetFrameSizePageSize(int mode)
{
    static constexpr std::array<SIZE, 6> kPageSizes{
        {{512, 342}, {640, 427}, {853, 570}, {959, 645}, {960, 728}, {1280, 854}}};
    if (mode < 1 || mode > static_cast<int>(kPageSizes.size()))
        return CSize(640, 427);
    return CSize(kPageSizes[static_cast<std::size_t>(mode - 1)]);
}

void ResetFrameSizes()
{
    theFrameSizeMode = 0;
    theFrameSizeModes.clear();
}
