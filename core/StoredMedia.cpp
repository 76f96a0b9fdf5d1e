#include "core/StoredMedia.h"

#include "core/PageEvents.h"
#include "store/ResourceHandle.h"
#include "store/ResourceTypes.h"

namespace
{

// While a replacement is written, the new record waits under an id that names no item (above the
// system items' range, below the user record), so nothing finds it before it takes the old one's place.
constexpr std::int32_t kWaitingIdStart = RESID_SYSTEM_LAST + 1;

// Writes the record of `made` under a free waiting id of the place's file and type.
int writeWaiting(CMyRes& made, const RecordPlace& place)
{
    std::int32_t id = kWaitingIdStart;
    int error = FindFreeResId(&id, place.file, place.type);
    if (error == RES_OK)
        error = made.SaveAs(id, place.file, place.type);
    return error == RES_OK ? made.Write() : error;
}

// The written record of `made` takes the place of the old one: nothing more is written, the old
// record's blob becomes dead space and the file's map learns the change at its next save.
int takePlace(CMyRes& made, const RecordPlace& place)
{
    const int error = RemoveResource(nullptr, place.id, place.type, place.file);
    return error == RES_OK ? MoveResource(&made, place.id, place.type, place.file) : error;
}

int writeInPlace(CMyRes& made, const RecordPlace& place)
{
    const int error = made.SaveAs(place.id, place.file, place.type);
    return error == RES_OK ? made.Write() : error;
}

} // namespace

int ReplaceStoredRecord(CMyRes& made, const RecordPlace& place)
{
    // Only a record not yet placed in a file is new: one already placed (the stored one itself) is
    // refused and left as it is.
    if (!made.GetEntry() || made.GetFile() != 0)
        return RES_ERR_NO_RECORD;
    int error = RES_OK;
    if (ResourceExists(place.id, place.type, place.file, &error)) {
        error = writeWaiting(made, place);
        if (error == RES_OK)
            error = takePlace(made, place);
    } else if (error == RES_OK) {
        error = writeInPlace(made, place);
    }
    if (error != RES_OK) {
        made.CMyRes::Remove(-1, -1);
        return error;
    }
    emit thePageEvents.storedMediaChanged(place.id);
    return RES_OK;
}

int RemoveStoredRecord(const RecordPlace& place)
{
    int error = RES_OK;
    if (!ResourceExists(place.id, place.type, place.file, &error))
        return error;
    error = RemoveResource(nullptr, place.id, place.type, place.file);
    if (error == RES_OK)
        emit thePageEvents.storedMediaChanged(place.id);
    return error;
}
