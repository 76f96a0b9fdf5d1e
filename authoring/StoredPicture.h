#pragma once
// Storing a picture an editor made: the picture record of an item (its id), kind and language in a file
// is replaced by a new one. The new picture is encoded and written first, so a picture that cannot be
// encoded or stored loses nothing: the stored one stays as it was.

#include "authoring/MediaRecords.h"

#include <cstdint>
#include <memory>

// Replaces the picture (id, type) of `file` with `picture`; gives the new stored picture, or none when
// the image is malformed or could not be encoded or stored (then nothing changed, and `error`, when
// given, says which).
std::unique_ptr<CQuibPict> ReplaceStoredPicture(std::int32_t id, int file, std::int32_t type,
                                                const PictureToStore& picture,
                                                MediaRecordError* error = nullptr);
