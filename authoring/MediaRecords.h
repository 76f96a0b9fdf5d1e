#pragma once
// Storing a picture, a sound or a clip that an author chose as a record of its own, for the wizards and
// the word editor's pages: a new record at a place (id, file, type), replacing the record that was
// there. The new bytes are made first and replace the stored record through ReplaceStoredRecord
// (core/StoredMedia.h), so a picture that cannot be encoded, a sound that cannot be compressed, a clip
// that cannot be read or a record that cannot be written (a full disk) loses nothing that was stored.
//
// Ids of new system items come from NewUnusedSystemId, which gives none rather than an id that is no
// id (the generator's -1): a caller without an id makes no record.

#include "authoring/ImageOperations.h"
#include "core/StoredMedia.h"
#include "media/SoundDevice.h"
#include "store/PictureFormat.h"

#include <QString>

#include <cstdint>
#include <optional>

class CQuibPict;

enum class MediaRecordError {
    None,
    NoFreeId,     // no new id could be had: nothing was stored
    CannotEncode, // the picture or sound could not be put into the store's format
    CannotRead,   // the clip file could not be read
    CannotWrite,  // the file would not take the record (the stored one is kept)
};
// The system string that tells the author about it (the file's path is its [#1]).
int messageIdOf(MediaRecordError error);

// Where the authoring tools' new records go: the output file when one is open, else the current user's
// file (0: none); in the translation language, else the current user's primary language.
int AuthoringTargetFile();
std::uint16_t AuthoringTargetLanguage();

// A new id in the system items' range that no record of any open file uses; none when the range gives
// none.
std::optional<std::int32_t> NewUnusedSystemId();

// A picture to store and how.
struct PictureToStore {
    const RgbImage* image = nullptr;
    int storeFormat = 1;           // the picture store format (1 raw RGB, 3 TIFF, 4 to 10 JPEG, 11, 12 PNG)
    std::uint16_t compression = 1; // the editor's compression choice, kept in the picture's flag word
    std::uint32_t transparentColor = pictNoColor;
    std::uint32_t backgroundColor = pictNoColor;
};
// A picture record of `picture`, made in `made` (which then is the stored picture).
MediaRecordError StorePictureRecord(const PictureToStore& picture, const RecordPlace& place, CQuibPict& made);
// A picture record with this compression code and store format.
MediaRecordError StorePictureRecord(const RgbImage& image, const RecordPlace& place,
                                    std::uint16_t compression, std::int16_t storeFormat);
// A sound record of the sample as the sound device stores samples (compressed).
MediaRecordError StoreSoundRecord(const CSoundSample& sample, const RecordPlace& place);
// A clip record with the bytes of the clip file.
MediaRecordError StoreClipRecord(const QString& path, const RecordPlace& place);
// Removes the record at the place, when there is one.
MediaRecordError RemoveRecord(const RecordPlace& place);
