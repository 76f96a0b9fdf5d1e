#pragma once
// Icons placed by per-mille rectangles that may say anything, as damaged and crafted pages carry them:
// the model's hit tests and the painter's bounded drawing try the same ones.

#include "core/IconShapes.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace lumivo::test
{

constexpr SIZE kPlacedIconPage{320, 240};

// An icon of that shape (of the ellipse class, or a plain icon of that shape kind), with a word, a
// label, a frame and the selection, placed by the per-mille rectangle on the page.
inline std::unique_ptr<CQuibIcon> placedIcon(bool ellipseClass, std::uint32_t shape, const CRect& perMille,
                                             SIZE page = kPlacedIconPage)
{
    std::unique_ptr<CQuibIcon> icon =
        ellipseClass ? std::make_unique<CQuibIcon_Ellipse>() : std::make_unique<CQuibIcon>(shape);
    icon->StoredRect = perMille;
    icon->WordId = 1;
    icon->WordName = QStringLiteral("Hello");
    icon->Flags |= kIconFrameShown | kIconSelected;
    icon->RelativeToScreen(page);
    return icon;
}

} // namespace lumivo::test
