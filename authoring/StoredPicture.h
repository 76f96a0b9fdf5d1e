#pragma once
// Storing a picture an editor made: the picture record of an item (its id), kind and language in a file
// is replaced by a new one. The new picture is encoded first, so a picture that cannot be encoded or
// stored loses nothing: the stored one stays as it was.

#include "authoring/ImageOperations.h"

#include <cstdint>
#include <memory>

class CQuibPict;

struct PictureToStore {
    const RgbImage* image = nullptr;
    int storeFormat = 1;           // the picture store format (1 raw RGB, 3 TIFF, 4 to 10 JPEG, 11, 12 PNG)
    std::uint16_t compression = 1; // the editor's compression choice, kept in the picture's flag word
    std::uint32_t transparentColor = 0xFBFFFFFF;
    std::uint32_t backgroundColor = 0xFBFFFFFF;
};

// Replaces the picture (id, type) of `file` with `picture`; gives the new stored picture, or none when
// the image is malformed or could not be encoded or stored (then nothing changed).
std::unique_ptr<CQuibPict> ReplaceStoredPicture(std::int32_t id, int file, std::int32_t type,
                                                const PictureToStore& picture);
