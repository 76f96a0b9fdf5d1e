#pragma once
// Helpers shared by the two halves of the resource store (records and files). Not for other code.

#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"

#include <QByteArray>

#include <climits>
#include <cstdint>
#include <span>
#include <vector>

namespace lumivo::store
{

// Seconds since 1970 for time stamps, and the millisecond tick for the touch ticks.
std::uint32_t currentStamp();
std::uint32_t currentTick();

// Resource names are Windows-1252 in a file's map.
QByteArray encodeName(const QString& name);
QString decodeName(const char* bytes, std::size_t size);

// An opened file's records wait in its map's flat array until first touched. A look-up of one exact
// key with a type makes only that record (such keys are unique in a file); everything that walks a
// file's records, or places a record of type 0 in it (equal keys keep their order), makes them all.
void makeWaitingRecords(int file);
void makeAllWaitingRecords();
// Makes what a look-up of exactly this key must find in the index; gives the record when it made the
// one record of a key with a type (null otherwise).
CResEntry* makeWaitingKey(const ResKey& key);
// Forgets the waiting records of a file that closes; they hold nothing to keep.
void dropWaitingRecords(CResFileEntry* entry);

// The index range of the records of one file made so far.
inline ResIndex::iterator madeBegin(int file)
{
    return theResMgr.m_index.lower_bound(ResKey{file, INT_MIN, INT_MIN});
}
inline ResIndex::iterator madeEnd(int file)
{
    return theResMgr.m_index.upper_bound(ResKey{file, INT_MAX, INT_MAX});
}
// The index range of all of one file's records (made first).
inline ResIndex::iterator fileBegin(int file)
{
    makeWaitingRecords(file);
    return madeBegin(file);
}
inline ResIndex::iterator fileEnd(int file)
{
    makeWaitingRecords(file);
    return madeEnd(file);
}

// Links a new record into the index at `key`, after any records with equal keys.
CResEntry* linkNewRecord(const ResKey& key);
CResEntry* linkNewRecord(const ResKey& key, ResIndex::iterator hint);
CResEntry* linkNewRecord(const ResKey& key, ResIndex::iterator hint, std::uint32_t tick);
// Unlinks and destroys a record (handles still bound to it become unbound).
void deleteRecord(CResEntry* record);
void deleteRecords(ResIndex::iterator first, ResIndex::iterator last);
// Gives a record new keys without any further bookkeeping.
void rekeyRecord(CResEntry* record, const ResKey& key);
// Makes a dead-space record for an extent of a file.
CResEntry* addDeadSpace(int file, std::uint32_t offset, std::uint32_t size);

// Data blocks, with the bytes-in-memory count kept right. Bytes from the record's own memory are taken
// over; others are copied into it.
void setRecordData(CResEntry* record, RecordBytes&& bytes);
void setRecordData(CResEntry* record, std::span<const std::uint8_t> bytes);
bool resizeRecordData(CResEntry* record, std::size_t size);
void freeRecordData(CResEntry* record);

// Reads a record's blob from its file without asking any object to load itself.
int readBlobBytes(const CResEntry* record, std::vector<std::uint8_t>& bytes);
int readBlobBytes(const CResEntry* record, RecordBytes& bytes);
// Brings a record's blob into memory without asking any object to load itself.
int bringBlobIntoMemory(CResEntry* record);

// The owner of the first handle bound to a record, or null.
CMyRes* firstOwner(const CResEntry* record);

// Whether a record belongs in its file's map when its blob has `storedSize` bytes: every record but the
// list head's key (id 0, type 0), which only dead space with an extent carries. A record with a
// type or an id and no bytes is listed too, so that a later open finds it again.
inline bool isListed(const CResEntry* record, std::uint32_t storedSize)
{
    return record->GetId() != 0 || record->GetType() != 0 || storedSize != 0;
}
inline bool isListed(const CResEntry* record)
{
    return isListed(record, record->m_storedSize);
}

} // namespace lumivo::store
