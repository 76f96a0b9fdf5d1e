#pragma once
// Replacing a stored picture, sound or clip (of a word, a page or an item) with a new one: the one way
// the editors, the wizards and the imports store such a record. The new record is written into the file
// first and the old one goes only after that, so a record that cannot be written (a full disk, a file
// that is gone) leaves the stored one as it was, in the file and in memory, and leaves no half-made
// record behind. A kill at any moment leaves the file's map as it was last saved: the old record.
//
// Every replaced or removed record is announced (thePageEvents.storedMediaChanged with its id), so that
// whatever shows a picture, clip or sound of that id drops what it cached of it.

#include <cstdint>

class CMyRes;

// Where a record goes.
struct RecordPlace {
    std::int32_t id = 0;
    int file = 0;
    std::int32_t type = 0;
};

// Puts the record of `made` (an object bound to a record made with Create, which holds the new content)
// at the place, in place of the record there (when there is one). RES_OK, or the store's error: then
// the record of `made` is gone again and the place holds what it held before. A `made` bound to no
// record, or to one already placed in a file, is refused (RES_ERR_NO_RECORD) and nothing changes.
int ReplaceStoredRecord(CMyRes& made, const RecordPlace& place);

// Removes the record at the place, when there is one. RES_OK, or the store's error.
int RemoveStoredRecord(const RecordPlace& place);
