#include "authoring/StoredPicture.h"

#include "core/Picture.h"
#include "store/ResourceManager.h"

std::unique_ptr<CQuibPict> ReplaceStoredPicture(std::int32_t id, int file, std::int32_t type,
                                                const PictureToStore& picture)
{
    // A picture without pixels never replaces a stored one.
    if (!picture.image || !IsWellFormed(*picture.image))
        return nullptr;
    const RgbImage& image = *picture.image;
    auto made = std::make_unique<CQuibPict>();
    made->Compression = picture.compression;
    made->TransparentColor = picture.transparentColor;
    made->BackkgroundColor = picture.backgroundColor;
    if (made->Create() != RES_OK ||
        !made->SetImage(image, std::uint32_t(image.width), std::uint32_t(image.height),
                        std::int16_t(picture.storeFormat))) {
        made->CMyRes::Remove(-1, -1);
        return nullptr;
    }
    if (ResourceExists(id, type, file))
        RemoveResource(nullptr, id, type, file);
    if (made->SaveAs(id, file, type) != RES_OK || made->Write() != RES_OK)
        return nullptr;
    return made;
}
