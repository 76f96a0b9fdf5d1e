#include "authoring/StoredPicture.h"

#include "core/Picture.h"

std::unique_ptr<CQuibPict> ReplaceStoredPicture(std::int32_t id, int file, std::int32_t type,
                                                const PictureToStore& picture)
{
    auto made = std::make_unique<CQuibPict>();
    if (StorePictureRecord(picture, RecordPlace{id, file, type}, *made) != MediaRecordError::None)
        return nullptr;
    return made;
}
