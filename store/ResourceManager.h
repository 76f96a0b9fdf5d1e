#pragma once
// The resource store: one in-memory list of resource records for all open .tvf files, plus the list
// of open files. Objects reach their data through handles (CMyRes); everything else calls the free
// functions below. All calls are synchronous, single-threaded and report failures as negative codes
// (0 = success); nothing here throws. The codes: "Errors" in doc/design.md; the file layout:
// doc/formats/tvf.md.
//
// The records keep the order file, type, id (ascending, signed); equal keys stay in insertion order.
// An ordered index stands behind that order, so finding a record by its keys costs O(log n). The
// records of an opened file wait in a flat array read from its map until they are first touched.

#include "store/ResourceFile.h"
#include "store/ResourceIdCounts.h"
#include "store/ResourcePool.h"
#include "store/ResourceTypes.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <memory_resource>
#include <vector>

#include "platform/files/FileSystem.h"
#include "platform/types/Time.h"

class CMyRes;
class CResEntry;
class CResFileEntry;

// Result codes of the store. Several codes carry more than one meaning (the values are what callers
// and stored behaviour rely on); each meaning has its own name, and every return uses the name of its
// meaning.
enum : int {
    RES_OK = 0,
    RES_ERR_GENERAL = -1,          // the value's name in the design; returns use the names of their meanings
    RES_ERR_UNBOUND_SIZE = -1,     // SetResourceSize on an unbound handle
    RES_ERR_RESIZE_NO_MEMORY = -1, // SetResourceSize when memory ran out
    RES_ERR_IDS_EXHAUSTED = -1,    // no free id below INT_MAX
    RES_ERR_NO_SIZE = -1,          // CMyRes::GetStoredSize without a record (its last error says why)
    RES_ERR_ID_ZERO = -7,          // record to transfer has id 0
    RES_ERR_TYPE_ZERO = -8,        // record to transfer has type 0
    RES_ERR_EXISTS = -9,           // a record with the same file, type and id already exists
    RES_ERR_NO_STREAM = -10,       // no file is open, or the file has no stream and cannot get one
    RES_ERR_OPEN_FAILED = -11,     // the file could not be opened for reading and writing
    RES_ERR_EMPTY_PATH = -12,
    RES_ERR_NO_SUCH_FILE = -13,
    RES_ERR_CREATE_FAILED = -14, // a new file (first save, copy) could not be made, written or put in place
    RES_ERR_NOT_READABLE = -16,
    RES_ERR_NOT_WRITABLE = -17, // the file cannot be written (read-only, or too short to be a store file)
    RES_ERR_WRITE_FAILED = -17, // a save could not write the file (a write failed, or offsets ran out)
    RES_ERR_UNKNOWN_FILE = -18,
    RES_ERR_NO_PATH = -19,   // no path for a file that was never written
    RES_ERR_NO_RECORD = -20, // null record, or the handle is not bound
    RES_ERR_NO_HANDLE = -22,
    RES_ERR_NO_OWNER = -23,
    RES_ERR_NO_MEMORY = -24,
    RES_ERR_NOT_IN_LIST = -25, // the handle is not in its record's handle list
    RES_ERR_NO_MEMORY_COPY = -26,
    RES_ERR_TARGET_USED = -27, // the target id, type and file are already used
    RES_ERR_NOT_FOUND = -28,
    RES_ERR_NO_MEMORY_TEMP = -29,
    RES_ERR_NULL_OUTPUT = -30,
    RES_ERR_FREE_CHANGED = -33,      // data not freed: record changed
    RES_ERR_FREE_MODIFIED = -34,     // data not freed: data modified in memory
    RES_ERR_FREE_NEW = -35,          // data not freed: record is new
    RES_ERR_SHORT_HEADER = -36,      // the file is shorter than a header
    RES_ERR_NULL_ARGUMENT = -36,     // a required argument (output or target) is null
    RES_ERR_HANDLES_BOUND = -36,     // the record to move still has bound handles
    RES_ERR_BAD_FORMAT = -37,        // the header's format or the map is not one this store reads
    RES_ERR_SCRATCH_BUSY = -37,      // the scratch file of an earlier save is open or cannot be removed
    RES_ERR_UNREADABLE_BLOB = -37,   // the object's class cannot read its bytes (the bytes stay)
    RES_ERR_UNWRITABLE_OBJECT = -37, // the object could not be written into bytes
    RES_ERR_FILE_BUSY = -38,         // a target file is open in the store
    RES_ERR_NO_OPEN_STREAM = -38,    // the file has no open stream (it was never written)
};

// Results of opening and adding a file that are not failures.
enum : int {
    RES_FILE_NEW = 0,          // FindOrAddResFile: a record for a file not on the disk was made
    RES_FILE_ALREADY_OPEN = 1, // FindOrAddResFile, OpenResFile: the file was open; its number is given
    RES_FILE_EXISTS = 2,       // FindOrAddResFile: the file exists but is not open; nothing was made
};

// Results of CompareResFileVersion besides the store's errors.
enum : int {
    RES_VERSION_SAME = 1,
    RES_VERSION_NEWER = 2,  // the file's version is above the one given
    RES_VERSION_OLDER = -1, // the file's version is below the one given
};

// Record flags.
enum : std::uint16_t {
    RESFLAG_MODIFIED = 0x0001, // 'D' data modified in memory
    RESFLAG_CHANGED = 0x0002,  // 'C' to be written at the next save
    RESFLAG_NEW = 0x0004,      // 'N' never written
    RESFLAG_KEEP = 0x0010,     // 'K' keep in memory
    RESFLAG_READ = 0x0020,     // data has been read from the file
};

// The keys of a record, in the store's order.
struct ResKey {
    std::int32_t file = 0;
    std::int32_t type = 0;
    std::int32_t id = 0;
    auto operator<=>(const ResKey&) const = default;
};

// The records live in the index's nodes, which never move while a record exists.
using ResIndex = std::pmr::multimap<ResKey, CResEntry>;
// A record's bytes in memory; those of the records in the index come from the store's pool for bytes.
using RecordBytes = std::pmr::vector<std::uint8_t>;

// One resource record.
class CResEntry
{
public:
    CResEntry() = default;
    explicit CResEntry(std::pmr::memory_resource* memory) : m_data(memory) {}
    virtual ~CResEntry();
    CResEntry(const CResEntry&) = delete;
    CResEntry& operator=(const CResEntry&) = delete;

    // The data in memory, reading the blob first when it is not in memory; refreshes the touch tick.
    // Null when there is no data.
    std::uint8_t* GetData();

    // The neighbours in the store's order (null at either end); the head's next is the first record.
    CResEntry* GetNext() const;
    CResEntry* GetPrev() const;

    std::int32_t GetId() const { return m_key.id; }
    std::int32_t GetType() const { return m_key.type; }
    int GetFile() const { return m_key.file; }
    const ResKey& GetKey() const { return m_key; }
    const QString& GetName() const { return m_name; }
    // Through here only: a name holds memory outside the store's pool, and the manager counts the
    // records that have one.
    void SetName(const QString& name);
    std::uint16_t GetFlags() const { return m_flags; }
    bool HasData() const { return m_hasData; }
    std::uint32_t GetDataSize() const { return m_hasData ? static_cast<std::uint32_t>(m_data.size()) : 0; }
    std::uint32_t GetOffset() const { return m_offset; }
    std::uint32_t GetStoredSize() const { return m_storedSize; }
    std::uint32_t GetTimeStamp() const { return m_stamp; }
    std::uint32_t GetTouchTick() const { return m_touchTick; }
    CMyRes* GetFirstHandle() const { return m_firstHandle; }
    int CountHandles() const;
    bool IsDeadSpace() const { return m_key.id == 0 && m_key.type == 0 && m_key.file != 0 && m_storedSize; }

    // The store's own bookkeeping; only the store and the handles change these.
    RecordBytes m_data;
    bool m_hasData = false;
    std::uint32_t m_offset = 0;
    std::uint32_t m_storedSize = 0;
    std::uint16_t m_flags = 0;
    std::uint32_t m_touchTick = 0;
    std::uint32_t m_stamp = 0;
    CMyRes* m_firstHandle = nullptr;

    ResKey m_key;
    ResIndex::iterator m_slot; // where the record sits in the index
    bool m_linked = false;

private:
    // Any string but the null one may hold memory of its own.
    bool holdsName() const { return !m_name.isNull(); }

    QString m_name;
};

// One open resource file.
class CResFileEntry
{
public:
    lumivo::store::ResFileHeader m_header;
    int m_number = 0;
    std::unique_ptr<lumivo::files::File> m_file; // null while a new file was never written
    std::unique_ptr<CResFileEntry> m_next;
    QString m_path;
    QString m_canonicalPath; // the path that identifies the file
    bool m_dirty = false;    // the map must be rewritten
    bool m_unsaved = true;   // set when the record is made, cleared by every save
    bool m_readOnly = false; // opened for reading only: nothing is ever written to it
    // The map's records as read at open, in the store's order: their record objects are made when they
    // are first touched (store/ResourceManagerInternal.h), so opening costs one pass over the map.
    lumivo::store::MapIndex m_waiting;

    CResFileEntry();
    ~CResFileEntry();
};

// The store's owner: builds the list head, and at the end closes every file and drops every record.
class CMyResMgr
{
public:
    CMyResMgr();
    ~CMyResMgr();
    CMyResMgr(const CMyResMgr&) = delete;
    CMyResMgr& operator=(const CMyResMgr&) = delete;

    // Closes every file and drops every record (handles still bound are unbound). File numbers keep
    // counting up: a number is never given twice.
    void CloseAll();

    std::uint64_t GetBytesInMemory() const { return m_bytesInMemory; }
    // Every record, made or still waiting in its file's map.
    std::size_t GetRecordCount() const;

    // The store's own bookkeeping.
    // Records come from a pool: many small nodes, allocated and freed quickly and kept close together.
    // Their bytes come from a pool of their own, so that walking the index touches no bytes.
    lumivo::store::RecordPool m_pool;
    lumivo::store::RecordPool m_bytesPool;
    ResIndex m_index{&m_pool};
    lumivo::store::IdUseCounts m_idUse; // how many records carry each id
    int m_lastFileNumber = 0;
    std::uint64_t m_bytesInMemory = 0;
    std::size_t m_boundRecords = 0; // records with a handle: closing a file looks for them only when any is
    std::size_t m_namedRecords = 0; // records whose name holds memory of its own

    // Lets go of every record at once when none of them needs its destructor (store/ResourceManager.cpp).
    void dropIndex();
};

extern std::unique_ptr<CResEntry> theResHead;      // list head; its data is the scratch buffer
extern std::unique_ptr<CResFileEntry> theResFiles; // open files, newest first
extern CMyResMgr theResMgr;

// Closes every file and forgets every record; file numbers start from 1 again.
void ResetResourceStore();

// Files -----------------------------------------------------------------------------------------
// RES_FILE_NEW, RES_FILE_ALREADY_OPEN, RES_FILE_EXISTS, or a store error.
int FindOrAddResFile(int* number, const QString& path);
// RES_OK, RES_FILE_ALREADY_OPEN, or a store error.
int OpenResFile(int* number, const QString& path);
// The same for a file the program may read but not write (another account's, or on read-only media):
// its records read as usual and may change in memory, but every save or write into it gives
// RES_ERR_NOT_WRITABLE and leaves the disk as it was. A file open already is given as it is.
int OpenResFileForReading(int* number, const QString& path);
// Whether the file was opened for reading only.
bool IsResFileReadOnly(int number);
int CloseResFile(int number);
int SaveResFile(int number, const QString& newPath = {}, bool compact = false);
int CopyResFile(int source, const QString& newPath, int* number = nullptr);
int CompactResFile(int number);

CResFileEntry* FindResFileEntry(int number);
bool IsResFileOpen(int number); // the unsaved flag
bool IsResFileDirty(int number);
int SetResFileDirty(int number, bool dirty = true);
std::uint32_t GetResFileVersion(int number, int* error = nullptr);
int SetResFileVersion(int number, std::uint32_t version);
std::uint32_t GetResFileKind(int number, int* error = nullptr);
int SetResFileKind(int number, std::uint32_t kind);
int GetResFileUserValue(int number, std::uint32_t* value);
int SetResFileUserValue(int number, std::uint32_t value);
QString GetResFilePath(int number);
// The time of the last save, else the file's modification time, else now.
int GetResFileTime(int number, CTime* time);
std::int64_t GetResFileLength(int number);
std::int64_t GetResFileUsedSize(int number);
// The number of the open file with that path; 0 when none has it, RES_ERR_NO_STREAM when no file is open.
int FindResFileByPath(const QString& path);
// The path by which files are told apart: absolute, clean, with links resolved where they exist.
QString CanonicalResPath(const QString& path);
// The scratch file a compacting save writes beside `path` before renaming it over `path`. A crash
// between the two leaves it behind; it is never a file of its own, and the next such save removes it.
QString ResScratchPathFor(const QString& path);

std::uint32_t MakeResFileVersion(int major, int minor, int build);
void SplitResFileVersion(std::uint32_t version, int* major, int* minor, int* build);
// RES_VERSION_SAME, RES_VERSION_NEWER or RES_VERSION_OLDER; a store error is also given through `error`,
// since RES_VERSION_OLDER has the value of RES_ERR_GENERAL.
int CompareResFileVersion(int number, int major, int minor, int build, int* error = nullptr);

// Records ------------------------------------------------------------------------------------------
// In searches, RES_ANY for the id, type or file matches every one.
constexpr int RES_ANY = -1;

int FindResEntry(CResEntry** record, CResEntry* start, std::int32_t id, std::int32_t type, int file);
int FindResource(std::int32_t id, std::int32_t type, int file, CResEntry** record);
bool ResourceExists(std::int32_t id, std::int32_t type, int file, int* error = nullptr);
int GetNextResId(std::int32_t* id, std::int32_t type, int file);
int FindFreeResId(std::int32_t* id, int file, std::int32_t type);
int FindUnusedId(std::int32_t* id);
int CountResources(int* count, std::int32_t type, int file);
int CountResTypes(int* count, int file);
int CollectResources(std::vector<CResEntry*>* list, int file, std::int32_t type);
int CollectResourcesBySets(std::vector<CResEntry*>* list, const std::vector<std::int32_t>& ids,
                           const std::vector<std::int32_t>& types, const std::vector<int>& files);

int InsertResEntry(std::int32_t id, std::int32_t type, int file, CResEntry* record);
int CreateResEntry(CMyRes* handle, std::int32_t type);
int AttachResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file);
int AttachResEntry(CMyRes* handle, CResEntry* record);
int DetachResource(CMyRes* handle);
int MoveResEntry(CResEntry* record, std::int32_t id, std::int32_t type, int file);
int MoveResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file);
int RemoveResEntry(CResEntry* record);
int RemoveResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file);
int MoveFileResources(int source, int target, bool overwrite);
int TransferResEntry(CResEntry* record, int target);

int SetResEntryName(CResEntry* record, const QString& name);
int SetResourceName(CMyRes* handle, const QString& name);
QString GetResEntryName(const CResEntry* record);
QString GetResourceName(const CMyRes* handle);
std::int32_t GetResEntryId(const CResEntry* record);
std::int32_t GetResEntryType(const CResEntry* record);
int GetResEntryFile(const CResEntry* record);
// The record's time stamp, or now when it has none.
int GetResourceTime(const CMyRes* handle, CTime* time);

// Data --------------------------------------------------------------------------------------------
std::int64_t GetResourceSize(CMyRes* handle);
std::int64_t GetResourceStoredSize(const CMyRes* handle);
int SetResourceSize(CMyRes* handle, std::uint32_t size);
int CommitResource(CMyRes* handle);
int FreeResourceData(CMyRes* handle);
std::uint64_t PurgeData(std::uint64_t bytes);
int ReadResData(CResEntry* record);
int WriteResData(CResEntry* record);
// Writes the list of records to the debug trace.
void DumpResources();
