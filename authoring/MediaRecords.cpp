#include "authoring/MediaRecords.h"

#include "authoring/AuthoringStrings.h"
#include "core/Clip.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"

#include <memory>

namespace
{

MediaRecordError placeRecord(CMyRes& made, const RecordPlace& place)
{
    return ReplaceStoredRecord(made, place) == RES_OK ? MediaRecordError::None
                                                      : MediaRecordError::CannotWrite;
}

} // namespace

int messageIdOf(MediaRecordError error)
{
    switch (error) {
    case MediaRecordError::None:
        return 0;
    case MediaRecordError::NoFreeId:
        return kStrNoFreeItemId;
    case MediaRecordError::CannotEncode:
        return kStrCannotEncodeMedia;
    case MediaRecordError::CannotRead:
        return kStrCannotReadMediaFile;
    case MediaRecordError::CannotWrite:
        return kStrCannotWriteRecord;
    }
    return kStrCannotWriteRecord;
}

int AuthoringTargetFile()
{
    if (theOutputFile >= 1)
        return theOutputFile;
    return theCurrentUser ? theCurrentUser->GetFile() : 0;
}

std::uint16_t AuthoringTargetLanguage()
{
    if (theTranslateLanguage >= 1)
        return theTranslateLanguage;
    return theCurrentUser ? theCurrentUser->PrimaryLanguage : 0;
}

std::optional<std::int32_t> NewUnusedSystemId()
{
    std::int32_t id = NewSystemItemId();
    if (id <= 0 || FindUnusedId(&id) != RES_OK || id <= 0)
        return std::nullopt;
    return id;
}

MediaRecordError StorePictureRecord(const PictureToStore& picture, const RecordPlace& place, CQuibPict& made)
{
    // A picture without pixels never replaces a stored one.
    if (!picture.image || !IsWellFormed(*picture.image))
        return MediaRecordError::CannotEncode;
    const RgbImage& image = *picture.image;
    made.Compression = picture.compression;
    made.TransparentColor = picture.transparentColor;
    made.BackkgroundColor = picture.backgroundColor;
    if (made.Create() != RES_OK)
        return MediaRecordError::CannotWrite;
    if (!made.SetImage(image, std::uint32_t(image.width), std::uint32_t(image.height),
                       std::int16_t(picture.storeFormat))) {
        made.CMyRes::Remove(-1, -1);
        return MediaRecordError::CannotEncode;
    }
    return placeRecord(made, place);
}

MediaRecordError StorePictureRecord(const RgbImage& image, const RecordPlace& place,
                                    std::uint16_t compression, std::int16_t storeFormat)
{
    PictureToStore picture;
    picture.image = &image;
    picture.storeFormat = storeFormat;
    picture.compression = compression;
    CQuibPict made;
    return StorePictureRecord(picture, place, made);
}

MediaRecordError StoreSoundRecord(const CSoundSample& sample, const RecordPlace& place)
{
    EncodedSound encoded;
    if (CSoundDevice::SaveToSound(&sample, encoded) != soundDeviceOk)
        return MediaRecordError::CannotEncode;
    CQuibSound made;
    if (made.Create() != RES_OK)
        return MediaRecordError::CannotWrite;
    if (!StoreEncodedSound(made, encoded)) {
        made.CMyRes::Remove(-1, -1);
        return MediaRecordError::CannotEncode;
    }
    return placeRecord(made, place);
}

MediaRecordError StoreClipRecord(const QString& path, const RecordPlace& place)
{
    CQuibAvi made;
    if (made.Create() != RES_OK)
        return MediaRecordError::CannotWrite;
    if (made.ImportFile(path) == 0) {
        made.CMyRes::Remove(-1, -1);
        return MediaRecordError::CannotRead;
    }
    return placeRecord(made, place);
}

MediaRecordError RemoveRecord(const RecordPlace& place)
{
    return RemoveStoredRecord(place) == RES_OK ? MediaRecordError::None : MediaRecordError::CannotWrite;
}
