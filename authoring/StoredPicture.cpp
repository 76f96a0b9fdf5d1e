#include "authoring/StoredPicture.h"

#include "core/Picture.h"

std::unique_ptr<CQuibPict> ReplaceStoredPicture(std::int32_t id, int file, std::int32_t type,
                                                const PictureToStore& picture, MediaRecordError* error)
{
    auto made = std::make_unique<CQuibPict>();
    const MediaRecordError stored = StorePictureRecord(picture, RecordPlace{id, file, type}, *made);
    if (error)
        *error = stored;
    if (stored != MediaRecordError::None)
        return nullptr;
    return made;
}
