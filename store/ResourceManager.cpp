#include "store/ResourceManager.h"

#include "store/ResourceHandle.h"
#include "store/ResourceManagerInternal.h"

#include "platform/archive/Cp1252.h"
#include "platform/types/WinTypes.h"

#include <algorithm>
#include <new>
#include <set>

using namespace lumivo::store;

// Defined in this order so that the manager, destroyed first, still finds the head and the files.
std::unique_ptr<CResEntry> theResHead;
std::unique_ptr<CResFileEntry> theResFiles;
CMyResMgr theResMgr;

namespace lumivo::store
{

std::uint32_t currentStamp()
{
    return static_cast<std::uint32_t>(CTime::GetCurrentTime().GetTime());
}

std::uint32_t currentTick()
{
    return GetTickCount();
}

QByteArray encodeName(const QString& name)
{
    return toWindows1252(name);
}

QString decodeName(const char* bytes, std::size_t size)
{
    return fromWindows1252(bytes, size);
}

namespace
{

CResEntry* emplaceRecord(const ResKey& key, ResIndex::iterator hint, std::uint32_t tick)
{
    auto slot = theResMgr.m_index.emplace_hint(hint, std::piecewise_construct, std::forward_as_tuple(key),
                                               std::forward_as_tuple(&theResMgr.m_bytesPool));
    CResEntry* record = &slot->second;
    record->m_key = key;
    record->m_touchTick = tick;
    record->m_slot = slot;
    record->m_linked = true;
    theResMgr.m_idUse.add(key.id);
    return record;
}

void fillFromMap(CResEntry* record, const MapEntryView& entry)
{
    record->m_offset = entry.offset;
    record->m_storedSize = entry.size;
    record->m_stamp = entry.stamp;
    if (entry.nameLength != 0)
        record->SetName(decodeName(entry.name, entry.nameLength));
}

CResFileEntry* fileWithWaitingRecords(int file)
{
    CResFileEntry* entry = file != 0 ? FindResFileEntry(file) : nullptr;
    return entry && entry->m_waiting.waiting() != 0 ? entry : nullptr;
}

// A record of type 0 placed in a file may share its keys with records still waiting there, and equal
// keys keep the order in which they arose: those come first.
void makeRoomForKey(const ResKey& key)
{
    if (key.file != 0 && key.type == 0)
        makeWaitingRecords(key.file);
}

// Where a record with a key unique in the index goes: records made in key order go to the far right,
// which the hint finds at once.
ResIndex::iterator rightHint(const ResKey& key)
{
    ResIndex& index = theResMgr.m_index;
    if (index.empty() || std::prev(index.end())->first < key)
        return index.end();
    return index.upper_bound(key);
}

} // namespace

namespace
{

void makeWaitingRecordsOf(CResFileEntry* entry)
{
    const int file = entry->m_number;
    MapIndex& waiting = entry->m_waiting;
    ResIndex& index = theResMgr.m_index;
    const std::uint32_t tick = currentTick();
    theResMgr.m_idUse.reserve(theResMgr.m_idUse.size() + waiting.waiting());
    // Both lists are in the store's order: one walk places each waiting record behind the records
    // made before it with lower keys (none of them has an equal key).
    auto next = madeBegin(file);
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        if (waiting.isMade(i))
            continue;
        const ResKey key{file, waiting.typeAt(i), waiting.idAt(i)};
        while (next != index.end() && !(key < next->first))
            ++next;
        fillFromMap(emplaceRecord(key, next, tick), waiting.entryAt(i));
        waiting.setMade(i);
    }
    dropWaitingRecords(entry);
}

} // namespace

void makeWaitingRecords(int file)
{
    if (CResFileEntry* entry = fileWithWaitingRecords(file))
        makeWaitingRecordsOf(entry);
}

void makeAllWaitingRecords()
{
    for (CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        if (entry->m_waiting.waiting() != 0)
            makeWaitingRecordsOf(entry);
}

CResEntry* makeWaitingKey(const ResKey& key)
{
    if (key.type == 0) {
        makeWaitingRecords(key.file);
        return nullptr;
    }
    CResFileEntry* entry = fileWithWaitingRecords(key.file);
    if (!entry)
        return nullptr;
    MapIndex& waiting = entry->m_waiting;
    const std::size_t found = waiting.find(key.type, key.id);
    if (found == waiting.size() || waiting.isMade(found))
        return nullptr;
    CResEntry* record = emplaceRecord(key, rightHint(key), currentTick());
    fillFromMap(record, waiting.entryAt(found));
    waiting.setMade(found);
    if (waiting.waiting() == 0)
        dropWaitingRecords(entry);
    return record;
}

void dropWaitingRecords(CResFileEntry* entry)
{
    entry->m_waiting.clear();
}

CResEntry* linkNewRecord(const ResKey& key, ResIndex::iterator hint, std::uint32_t tick)
{
    return emplaceRecord(key, hint, tick);
}

CResEntry* linkNewRecord(const ResKey& key, ResIndex::iterator hint)
{
    return linkNewRecord(key, hint, currentTick());
}

CResEntry* linkNewRecord(const ResKey& key)
{
    makeRoomForKey(key);
    return linkNewRecord(key, theResMgr.m_index.upper_bound(key));
}

void deleteRecord(CResEntry* record)
{
    if (!record || !record->m_linked)
        return;
    theResMgr.m_idUse.remove(record->m_key.id);
    record->m_linked = false;
    theResMgr.m_index.erase(record->m_slot); // the record's destructor unbinds its handles
}

void deleteRecords(ResIndex::iterator first, ResIndex::iterator last)
{
    ResIndex& index = theResMgr.m_index;
    // Dropping every record (the only file closes) needs no rebalancing and no counting down, and no
    // record is looked at on the way: no destructor asks whether a record is linked.
    if (first == index.begin() && last == index.end()) {
        theResMgr.m_idUse.clear();
        theResMgr.dropIndex();
        return;
    }
    for (auto it = first; it != last; ++it) {
        theResMgr.m_idUse.remove(it->first.id);
        it->second.m_linked = false;
    }
    index.erase(first, last);
}

void rekeyRecord(CResEntry* record, const ResKey& key)
{
    makeRoomForKey(key);
    theResMgr.m_idUse.remove(record->m_key.id);
    auto node = theResMgr.m_index.extract(record->m_slot);
    node.key() = key;
    record->m_key = key;
    record->m_slot = theResMgr.m_index.insert(std::move(node)); // after any equal keys
    theResMgr.m_idUse.add(key.id);
}

CResEntry* addDeadSpace(int file, std::uint32_t offset, std::uint32_t size)
{
    CResEntry* dead = linkNewRecord(ResKey{file, 0, 0});
    dead->m_offset = offset;
    dead->m_storedSize = size;
    return dead;
}

void setRecordData(CResEntry* record, RecordBytes&& bytes)
{
    freeRecordData(record);
    record->m_data = std::move(bytes); // taken over when both come from the same memory
    record->m_hasData = true;
    theResMgr.m_bytesInMemory += record->m_data.size();
}

void setRecordData(CResEntry* record, std::span<const std::uint8_t> bytes)
{
    setRecordData(record, RecordBytes(bytes.begin(), bytes.end(), record->m_data.get_allocator()));
}

bool resizeRecordData(CResEntry* record, std::size_t size)
{
    const std::size_t before = record->m_hasData ? record->m_data.size() : 0;
    try {
        record->m_data.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    record->m_hasData = true;
    theResMgr.m_bytesInMemory += size;
    theResMgr.m_bytesInMemory -= before;
    return true;
}

void freeRecordData(CResEntry* record)
{
    if (record->m_hasData)
        theResMgr.m_bytesInMemory -= record->m_data.size();
    record->m_data.clear();
    record->m_data.shrink_to_fit();
    record->m_hasData = false;
}

CMyRes* firstOwner(const CResEntry* record)
{
    return record->m_firstHandle ? record->m_firstHandle->GetOwner() : nullptr;
}

int bringBlobIntoMemory(CResEntry* record)
{
    if (record->m_hasData || record->m_storedSize == 0 || record->GetFile() == 0)
        return RES_OK;
    RecordBytes bytes(record->m_data.get_allocator());
    const int result = readBlobBytes(record, bytes);
    if (result == RES_OK)
        setRecordData(record, std::move(bytes));
    return result;
}

} // namespace lumivo::store

// ---------------------------------------------------------------------------------------------------
// Records

CResEntry::~CResEntry()
{
    if (m_hasData)
        theResMgr.m_bytesInMemory -= m_data.size();
    if (m_firstHandle)
        --theResMgr.m_boundRecords;
    if (holdsName())
        --theResMgr.m_namedRecords;
    for (CMyRes* handle = m_firstHandle; handle;) {
        CMyRes* next = handle->m_nextHandle;
        handle->m_entry = nullptr;
        handle->m_nextHandle = nullptr;
        handle = next;
    }
}

void CResEntry::SetName(const QString& name)
{
    theResMgr.m_namedRecords -= holdsName();
    m_name = name;
    theResMgr.m_namedRecords += holdsName();
}

std::uint8_t* CResEntry::GetData()
{
    // An object whose edits are committed but not yet stored holds newer content than its blob:
    // reading the blob then must not load the object over the edits, nor mark the record unchanged,
    // or the next save would silently drop them.
    if (!m_hasData && m_storedSize != 0) {
        if ((m_flags & RESFLAG_CHANGED) && firstOwner(this))
            bringBlobIntoMemory(this);
        else
            ReadResData(this);
    }
    m_touchTick = currentTick();
    return m_hasData && !m_data.empty() ? m_data.data() : nullptr;
}

CResEntry* CResEntry::GetNext() const
{
    makeAllWaitingRecords();
    if (this == theResHead.get())
        return theResMgr.m_index.empty() ? nullptr : &theResMgr.m_index.begin()->second;
    if (!m_linked)
        return nullptr;
    auto next = std::next(m_slot);
    return next == theResMgr.m_index.end() ? nullptr : &next->second;
}

CResEntry* CResEntry::GetPrev() const
{
    makeAllWaitingRecords();
    if (!m_linked)
        return nullptr;
    if (m_slot == theResMgr.m_index.begin())
        return theResHead.get();
    return &std::prev(m_slot)->second;
}

int CResEntry::CountHandles() const
{
    int count = 0;
    for (const CMyRes* handle = m_firstHandle; handle; handle = handle->GetNextHandle())
        ++count;
    return count;
}

CResFileEntry::CResFileEntry() : m_waiting(&theResMgr.m_bytesPool) {}
CResFileEntry::~CResFileEntry() = default;

CMyResMgr::CMyResMgr()
{
    theResHead = std::make_unique<CResEntry>();
}

CMyResMgr::~CMyResMgr()
{
    CloseAll();
    theResHead.reset();
}

std::size_t CMyResMgr::GetRecordCount() const
{
    std::size_t count = m_index.size();
    for (const CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        count += entry->m_waiting.waiting();
    return count;
}

void ResetResourceStore()
{
    theResMgr.CloseAll();
    theResMgr.m_lastFileNumber = 0;
}

namespace
{

bool anyMapKept()
{
    for (const CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        if (entry->m_waiting.holdsMemory())
            return true;
    return false;
}

} // namespace

void CMyResMgr::dropIndex()
{
    // With 100,000 records, visiting each one to destroy it would cost more than opening the file
    // again. A record that has no handle and no name holds nothing outside the pools, so when none has
    // either, and no open file keeps its map in them, the index is left without running its destructor
    // (nothing depends on what that would do) and the pools take back all of their memory at once.
    if (m_boundRecords != 0 || m_namedRecords != 0 || anyMapKept()) {
        m_index.clear();
        return;
    }
    new (&m_index) ResIndex(&m_pool);
    m_pool.release();
    m_bytesPool.release();
    m_bytesInMemory = 0; // only the records in the index count their bytes
}

void CMyResMgr::CloseAll()
{
    while (theResFiles)
        CloseResFile(theResFiles->m_number);
    deleteRecords(m_index.begin(), m_index.end());
    m_idUse.clear();
}

// ---------------------------------------------------------------------------------------------------
// Searching

namespace
{

bool isKnownFile(int file)
{
    return file == 0 || FindResFileEntry(file) != nullptr;
}

// The file numbers that records can carry, ascending: memory (0) and every open file.
std::vector<int> filesInOrder()
{
    std::vector<int> files{0};
    for (CResFileEntry* f = theResFiles.get(); f; f = f->m_next.get())
        files.push_back(f->m_number);
    std::sort(files.begin(), files.end());
    return files;
}

bool matches(const ResKey& key, std::int32_t id, std::int32_t type, int file)
{
    return (id == RES_ANY || key.id == id) && (type == RES_ANY || key.type == type) &&
           (file == RES_ANY || key.file == file);
}

// The first record at or after `from` that matches, searching one file's narrowest key range.
CResEntry* searchInFile(ResIndex::iterator from, std::int32_t id, std::int32_t type, int file)
{
    ResIndex& index = theResMgr.m_index;
    ResKey low{file, INT_MIN, INT_MIN};
    ResKey high{file, INT_MAX, INT_MAX};
    if (type != RES_ANY) {
        low.type = high.type = type;
        if (id != RES_ANY)
            low.id = high.id = id;
    }
    if (from == index.end() || high < from->first)
        return nullptr;
    // Equal keys keep their list order, so a start inside the range continues from itself.
    auto it = from->first < low ? index.lower_bound(low) : from;
    for (; it != index.end() && !(high < it->first); ++it)
        if (matches(it->first, id, type, file))
            return &it->second;
    return nullptr;
}

// Makes the waiting records that a search for these keys can meet.
void makeSearchedRecords(std::int32_t id, std::int32_t type, int file)
{
    const auto make = [&](int candidate) {
        if (id != RES_ANY && type != RES_ANY)
            makeWaitingKey(ResKey{candidate, type, id});
        else
            makeWaitingRecords(candidate);
    };
    if (file != RES_ANY) {
        make(file);
        return;
    }
    for (CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        make(entry->m_number);
}

CResEntry* search(ResIndex::iterator from, std::int32_t id, std::int32_t type, int file)
{
    if (from == theResMgr.m_index.end())
        return nullptr;
    if (file != RES_ANY)
        return searchInFile(from, id, type, file);
    for (int candidate : filesInOrder()) {
        if (candidate < from->first.file)
            continue;
        if (CResEntry* found = searchInFile(from, id, type, candidate))
            return found;
    }
    return nullptr;
}

} // namespace

int FindResEntry(CResEntry** record, CResEntry* start, std::int32_t id, std::int32_t type, int file)
{
    if (!record)
        return RES_ERR_NULL_OUTPUT;
    *record = nullptr;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    // The first look-up of a key with a type in a file finds the one record that it makes.
    const bool uniqueKey = file != RES_ANY && file != 0 && type != RES_ANY && type != 0 && id != RES_ANY;
    if (uniqueKey && (!start || start == theResHead.get())) {
        if (CResEntry* made = makeWaitingKey(ResKey{file, type, id})) {
            *record = made;
            return RES_OK;
        }
    }
    makeSearchedRecords(id, type, file);
    ResIndex::iterator from = theResMgr.m_index.begin();
    if (start && start != theResHead.get()) {
        if (!start->m_linked)
            return RES_OK;
        from = std::next(start->m_slot);
    }
    *record = search(from, id, type, file);
    return RES_OK;
}

int FindResource(std::int32_t id, std::int32_t type, int file, CResEntry** record)
{
    return FindResEntry(record, nullptr, id, type, file);
}

bool ResourceExists(std::int32_t id, std::int32_t type, int file, int* error)
{
    CResEntry* record = nullptr;
    const int result = FindResEntry(&record, nullptr, id, type, file);
    if (error)
        *error = result;
    return record != nullptr;
}

int GetNextResId(std::int32_t* id, std::int32_t type, int file)
{
    if (!id)
        return RES_ERR_NULL_OUTPUT;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    const std::int32_t given = *id;
    *id = 0;
    if (given != RES_ANY && !ResourceExists(given, type, file))
        return RES_OK;
    makeSearchedRecords(RES_ANY, RES_ANY, file);
    // The lowest id above the given one (or the lowest of all from -1) among the matching records.
    bool found = false;
    std::int32_t best = 0;
    const auto consider = [&](std::int32_t candidate) {
        if ((given == RES_ANY || candidate > given) && (!found || candidate < best)) {
            best = candidate;
            found = true;
        }
    };
    // Within one file and type the ids are sorted: the next one is found directly.
    const auto considerFile = [&](int candidateFile) {
        if (type == RES_ANY) {
            for (auto it = fileBegin(candidateFile), end = fileEnd(candidateFile); it != end; ++it)
                consider(it->first.id);
            return;
        }
        auto it = given == RES_ANY ? theResMgr.m_index.lower_bound(ResKey{candidateFile, type, INT_MIN})
                                   : theResMgr.m_index.upper_bound(ResKey{candidateFile, type, given});
        if (it != theResMgr.m_index.end() && it->first.file == candidateFile && it->first.type == type)
            consider(it->first.id);
    };
    if (file != RES_ANY) {
        considerFile(file);
    } else {
        for (int candidateFile : filesInOrder())
            considerFile(candidateFile);
    }
    *id = found ? best : 0;
    return RES_OK;
}

int FindFreeResId(std::int32_t* id, int file, std::int32_t type)
{
    if (!id)
        return RES_ERR_NULL_OUTPUT;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    std::int32_t candidate = std::max<std::int32_t>(*id, 1);
    makeSearchedRecords(RES_ANY, RES_ANY, file);
    if (file != RES_ANY && type != RES_ANY) {
        // Walk the run of consecutive used ids from the start.
        auto it = theResMgr.m_index.lower_bound(ResKey{file, type, candidate});
        while (it != theResMgr.m_index.end() && it->first == ResKey{file, type, candidate}) {
            while (it != theResMgr.m_index.end() && it->first.id == candidate && it->first.file == file &&
                   it->first.type == type)
                ++it;
            if (candidate == INT_MAX)
                return RES_ERR_IDS_EXHAUSTED;
            ++candidate;
        }
    } else {
        while (ResourceExists(candidate, type, file)) {
            if (candidate == INT_MAX)
                return RES_ERR_IDS_EXHAUSTED;
            ++candidate;
        }
    }
    *id = candidate;
    return RES_OK;
}

int FindUnusedId(std::int32_t* id)
{
    if (!id)
        return RES_ERR_NULL_OUTPUT;
    std::int32_t candidate = std::max<std::int32_t>(*id, 1);
    makeAllWaitingRecords(); // the id counts know only records that are made
    while (theResMgr.m_idUse.contains(candidate)) {
        if (candidate == INT_MAX)
            return RES_ERR_IDS_EXHAUSTED;
        ++candidate;
    }
    *id = candidate;
    return RES_OK;
}

int CountResources(int* count, std::int32_t type, int file)
{
    if (!count)
        return RES_ERR_NULL_OUTPUT;
    *count = 0;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    makeSearchedRecords(RES_ANY, type, file);
    for (CResEntry* record = search(theResMgr.m_index.begin(), -1, type, file); record;
         record = search(std::next(record->m_slot), -1, type, file))
        if (record->GetId() != 0)
            ++*count;
    return RES_OK;
}

int CountResTypes(int* count, int file)
{
    if (!count)
        return RES_ERR_NULL_OUTPUT;
    *count = 0;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    makeSearchedRecords(RES_ANY, RES_ANY, file);
    std::set<std::int32_t> types;
    for (const auto& [key, record] : theResMgr.m_index)
        if (key.type != 0 && (file == RES_ANY || key.file == file))
            types.insert(key.type);
    *count = static_cast<int>(types.size());
    return RES_OK;
}

int CollectResources(std::vector<CResEntry*>* list, int file, std::int32_t type)
{
    if (!list)
        return RES_ERR_NULL_OUTPUT;
    if (file != RES_ANY && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    makeSearchedRecords(RES_ANY, type, file);
    for (CResEntry* record = search(theResMgr.m_index.begin(), -1, type, file); record;
         record = search(std::next(record->m_slot), -1, type, file))
        list->push_back(record);
    return RES_OK;
}

int CollectResourcesBySets(std::vector<CResEntry*>* list, const std::vector<std::int32_t>& ids,
                           const std::vector<std::int32_t>& types, const std::vector<int>& files)
{
    if (!list)
        return RES_ERR_NULL_OUTPUT;
    // Sorted sets, walked nested, give the records in the store's order.
    const std::set<int> fileSet(files.begin(), files.end());
    const std::set<std::int32_t> typeSet(types.begin(), types.end());
    const std::set<std::int32_t> idSet(ids.begin(), ids.end());
    for (int file : fileSet)
        for (std::int32_t type : typeSet)
            for (std::int32_t id : idSet) {
                makeWaitingKey(ResKey{file, type, id});
                auto [it, end] = theResMgr.m_index.equal_range(ResKey{file, type, id});
                for (; it != end; ++it)
                    list->push_back(&it->second);
            }
    return RES_OK;
}

// ---------------------------------------------------------------------------------------------------
// Placing, binding, moving and removing records

namespace
{

void markDirty(int file)
{
    if (CResFileEntry* entry = FindResFileEntry(file))
        entry->m_dirty = true;
}

// A record that leaves the file its blob lives in takes its bytes along (the blob's offset means
// nothing in another file); the old extent becomes dead space there, and a record that arrives in a
// real file is marked changed so that the next save writes its bytes.
int carryAcrossFiles(CResEntry* record, int target)
{
    const int source = record->GetFile();
    if (source == target)
        return RES_OK;
    if (record->m_storedSize != 0 && source != 0) {
        const int read = bringBlobIntoMemory(record);
        if (read != RES_OK)
            return read;
        addDeadSpace(source, record->m_offset, record->m_storedSize);
    }
    record->m_offset = 0;
    record->m_storedSize = 0;
    if (target != 0 && record->m_hasData)
        record->m_flags |= RESFLAG_CHANGED;
    markDirty(source);
    markDirty(target);
    return RES_OK;
}

bool tripleTaken(const ResKey& key, const CResEntry* except)
{
    makeWaitingKey(key);
    for (auto it = theResMgr.m_index.lower_bound(key); it != theResMgr.m_index.end() && it->first == key;
         ++it)
        if (&it->second != except)
            return true;
    return false;
}

void bindFirst(CMyRes* handle, CResEntry* record);

} // namespace

struct ResourceStoreAccess {
    static void bind(CMyRes* handle, CResEntry* record)
    {
        if (!record->m_firstHandle)
            ++theResMgr.m_boundRecords;
        handle->m_entry = record;
        handle->m_nextHandle = record->m_firstHandle;
        record->m_firstHandle = handle;
    }
    static void bindBehindFirst(CMyRes* handle, CResEntry* record)
    {
        CMyRes* first = record->m_firstHandle;
        handle->m_entry = record;
        handle->m_nextHandle = first->m_nextHandle;
        first->m_nextHandle = handle;
    }
    static bool unbind(CMyRes* handle)
    {
        CResEntry* record = handle->m_entry;
        CMyRes** link = &record->m_firstHandle;
        while (*link && *link != handle)
            link = &(*link)->m_nextHandle;
        if (!*link)
            return false;
        *link = handle->m_nextHandle;
        if (!record->m_firstHandle)
            --theResMgr.m_boundRecords;
        handle->m_entry = nullptr;
        handle->m_nextHandle = nullptr;
        return true;
    }
};

namespace
{
void bindFirst(CMyRes* handle, CResEntry* record)
{
    ResourceStoreAccess::bind(handle, record);
}
} // namespace

int InsertResEntry(std::int32_t id, std::int32_t type, int file, CResEntry* record)
{
    if (!record || !record->m_linked)
        return RES_ERR_NO_RECORD;
    if (file != 0 && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    const ResKey key{file, type, id};
    if (file != 0 && type != 0 && tripleTaken(key, record))
        return RES_ERR_EXISTS;
    const int carried = carryAcrossFiles(record, file);
    if (carried != RES_OK)
        return carried;
    if (key != record->m_key) {
        markDirty(record->GetFile());
        rekeyRecord(record, key);
    }
    return RES_OK;
}

int CreateResEntry(CMyRes* handle, std::int32_t type)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    DetachResource(handle);
    CResEntry* record = nullptr;
    try {
        record = linkNewRecord(ResKey{0, type, 0});
    } catch (const std::bad_alloc&) {
        return RES_ERR_NO_MEMORY;
    }
    record->m_flags = RESFLAG_NEW;
    bindFirst(handle, record);
    return RES_OK;
}

int AttachResEntry(CMyRes* handle, CResEntry* record)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    if (!record)
        return RES_ERR_NO_RECORD;
    DetachResource(handle);
    // A record whose committed edits wait for the next save keeps the object that holds them first:
    // the save stores the first handle's owner, and a newly bound object (a finder's, not loaded yet)
    // would store its empty fields over the edits.
    if ((record->m_flags & RESFLAG_CHANGED) && firstOwner(record))
        ResourceStoreAccess::bindBehindFirst(handle, record);
    else
        bindFirst(handle, record);
    return RES_OK;
}

int AttachResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    makeWaitingKey(ResKey{file, type, id});
    auto found = theResMgr.m_index.find(ResKey{file, type, id});
    if (found == theResMgr.m_index.end())
        return RES_ERR_NOT_FOUND;
    return AttachResEntry(handle, &found->second);
}

int DetachResource(CMyRes* handle)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    if (!handle->m_entry)
        return RES_OK;
    if (!ResourceStoreAccess::unbind(handle)) {
        handle->m_entry = nullptr;
        handle->m_nextHandle = nullptr;
        return RES_ERR_NOT_IN_LIST;
    }
    return RES_OK;
}

int MoveResEntry(CResEntry* record, std::int32_t id, std::int32_t type, int file)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    if (file != 0 && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    if (file != 0 && tripleTaken(ResKey{file, type, id}, record))
        return RES_ERR_TARGET_USED;
    if (record->m_firstHandle)
        return RES_ERR_HANDLES_BOUND;
    const int result = InsertResEntry(id, type, file, record);
    if (result == RES_OK)
        markDirty(file);
    return result;
}

namespace
{

// Splits a shared record: the moving handle takes a copy that carries the blob, the others keep the
// record in memory (file 0) under its old keys.
int splitSharedRecord(CMyRes* handle, CResEntry*& record)
{
    if (!(record->m_flags & RESFLAG_MODIFIED)) {
        const int read = bringBlobIntoMemory(record);
        if (read != RES_OK)
            return read;
    }
    CResEntry* copy = nullptr;
    try {
        copy = linkNewRecord(record->m_key);
        if (record->m_hasData)
            setRecordData(copy, std::span<const std::uint8_t>(record->m_data));
    } catch (const std::bad_alloc&) {
        deleteRecord(copy);
        return RES_ERR_NO_MEMORY_COPY;
    }
    copy->SetName(record->GetName());
    copy->m_offset = record->m_offset;
    copy->m_storedSize = record->m_storedSize;
    copy->m_stamp = record->m_stamp;
    copy->m_flags = record->m_flags & ~RESFLAG_KEEP;
    DetachResource(handle);
    bindFirst(handle, copy);
    const int oldFile = record->GetFile();
    record->m_offset = 0;
    record->m_storedSize = 0;
    rekeyRecord(record, ResKey{0, record->GetType(), record->GetId()});
    markDirty(oldFile);
    record = copy;
    return RES_OK;
}

} // namespace

int MoveResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    CResEntry* record = handle->GetEntry();
    if (!record)
        return RES_ERR_NO_RECORD;
    if (file != 0 && !isKnownFile(file))
        return RES_ERR_UNKNOWN_FILE;
    const bool shared = record->m_firstHandle != handle || handle->GetNextHandle();
    // InsertResEntry itself refuses a taken triple with a type; check the rest before anything changes.
    if ((shared || type == 0) && file != 0 && tripleTaken(ResKey{file, type, id}, record))
        return RES_ERR_TARGET_USED;
    if (shared) {
        const int split = splitSharedRecord(handle, record);
        if (split != RES_OK)
            return split;
    }
    const int result = InsertResEntry(id, type, file, record);
    if (result == RES_OK)
        markDirty(file);
    return result == RES_ERR_EXISTS ? RES_ERR_TARGET_USED : result;
}

namespace
{

// The record leaves its file; its blob stays there as dead space.
int becomeDeadSpace(CResEntry* record)
{
    const int file = record->GetFile();
    // A handle is not left bound to dead space.
    if (record->m_firstHandle)
        DetachResource(record->m_firstHandle);
    if (file == 0 || record->m_storedSize == 0) {
        deleteRecord(record); // nothing of a file to remember
        return RES_OK;
    }
    freeRecordData(record);
    record->m_flags = 0;
    rekeyRecord(record, ResKey{file, 0, 0});
    return RES_OK;
}

// The record leaves its file but stays in memory (file 0) for the handles still bound to it; a new
// dead-space record takes over its blob.
int leaveToHandles(CResEntry* record)
{
    const int file = record->GetFile();
    if (file != 0 && record->m_storedSize != 0) {
        bringBlobIntoMemory(record);
        try {
            addDeadSpace(file, record->m_offset, record->m_storedSize);
        } catch (const std::bad_alloc&) {
            return RES_ERR_NO_MEMORY_COPY;
        }
    }
    record->m_offset = 0;
    record->m_storedSize = 0;
    rekeyRecord(record, ResKey{0, record->GetType(), record->GetId()});
    return RES_OK;
}

} // namespace

int RemoveResEntry(CResEntry* record)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    markDirty(record->GetFile());
    return record->CountHandles() <= 1 ? becomeDeadSpace(record) : leaveToHandles(record);
}

int RemoveResource(CMyRes* handle, std::int32_t id, std::int32_t type, int file)
{
    CResEntry* record = nullptr;
    if (handle) {
        record = handle->GetEntry();
        DetachResource(handle);
    } else {
        FindResEntry(&record, nullptr, id, type, file);
    }
    if (!record)
        return RES_ERR_NO_RECORD;
    if (!handle)
        return RemoveResEntry(record);
    // Handles that shared the record with the one removing it keep it, in memory.
    markDirty(record->GetFile());
    return record->m_firstHandle ? leaveToHandles(record) : becomeDeadSpace(record);
}

int MoveFileResources(int source, int target, bool overwrite)
{
    if (!isKnownFile(source) || !isKnownFile(target))
        return RES_ERR_UNKNOWN_FILE;
    if (source == target)
        return RES_OK;
    std::vector<CResEntry*> moving;
    for (auto it = fileBegin(source), end = fileEnd(source); it != end; ++it)
        if (it->first.id != 0 && it->first.type != 0)
            moving.push_back(&it->second);
    for (CResEntry* record : moving) {
        const ResKey key{target, record->GetType(), record->GetId()};
        makeWaitingKey(key);
        auto existing = theResMgr.m_index.find(key);
        if (existing != theResMgr.m_index.end()) {
            if (!overwrite)
                continue;
            RemoveResEntry(&existing->second);
        }
        const int result = InsertResEntry(key.id, key.type, target, record);
        if (result != RES_OK)
            return result;
    }
    markDirty(target);
    return RES_OK;
}

// ---------------------------------------------------------------------------------------------------
// Names, ids and times

int SetResEntryName(CResEntry* record, const QString& name)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    if (record->GetName() != name) {
        record->SetName(name);
        markDirty(record->GetFile());
    }
    return RES_OK;
}

int SetResourceName(CMyRes* handle, const QString& name)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    return SetResEntryName(handle->GetEntry(), name);
}

QString GetResEntryName(const CResEntry* record)
{
    return record ? record->GetName() : QString();
}

QString GetResourceName(const CMyRes* handle)
{
    return handle ? GetResEntryName(handle->GetEntry()) : QString();
}

std::int32_t GetResEntryId(const CResEntry* record)
{
    return record ? record->GetId() : 0;
}

std::int32_t GetResEntryType(const CResEntry* record)
{
    return record ? record->GetType() : 0;
}

int GetResEntryFile(const CResEntry* record)
{
    return record ? record->GetFile() : 0;
}

int GetResourceTime(const CMyRes* handle, CTime* time)
{
    if (!time)
        return RES_ERR_NULL_ARGUMENT;
    if (!handle || !handle->GetEntry())
        return RES_ERR_NO_RECORD;
    const std::uint32_t stamp = handle->GetEntry()->m_stamp;
    *time = CTime(stamp != 0 ? stamp : currentStamp());
    return RES_OK;
}

// ---------------------------------------------------------------------------------------------------
// Data

std::int64_t GetResourceSize(CMyRes* handle)
{
    if (!handle || !handle->GetEntry())
        return RES_ERR_NO_RECORD;
    CResEntry* record = handle->GetEntry();
    record->GetData();
    return record->GetDataSize();
}

std::int64_t GetResourceStoredSize(const CMyRes* handle)
{
    if (!handle || !handle->GetEntry())
        return RES_ERR_NO_RECORD;
    return handle->GetEntry()->m_storedSize;
}

int SetResourceSize(CMyRes* handle, std::uint32_t size)
{
    if (!handle || !handle->GetEntry())
        return RES_ERR_UNBOUND_SIZE;
    CResEntry* record = handle->GetEntry();
    if (size == 0) {
        // The block goes, but the record now holds no bytes: its old blob must not come back.
        freeRecordData(record);
        record->m_hasData = true;
    } else if (!resizeRecordData(record, size))
        return RES_ERR_RESIZE_NO_MEMORY;
    record->m_flags |= RESFLAG_MODIFIED;
    record->m_touchTick = currentTick();
    return RES_OK;
}

int CommitResource(CMyRes* handle)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    CResEntry* record = handle->GetEntry();
    if (!record)
        return RES_ERR_NO_RECORD;
    record->m_flags |= RESFLAG_CHANGED;
    markDirty(record->GetFile());
    return RES_OK;
}

int FreeResourceData(CMyRes* handle)
{
    if (!handle)
        return RES_ERR_NO_HANDLE;
    CResEntry* record = handle->GetEntry();
    if (!record)
        return RES_ERR_NO_RECORD;
    if (record->m_flags & RESFLAG_CHANGED)
        return RES_ERR_FREE_CHANGED;
    if (record->m_flags & RESFLAG_MODIFIED)
        return RES_ERR_FREE_MODIFIED;
    if (record->m_flags & RESFLAG_NEW)
        return RES_ERR_FREE_NEW;
    freeRecordData(record);
    record->m_flags &= ~RESFLAG_READ;
    return RES_OK;
}

std::uint64_t PurgeData(std::uint64_t bytes)
{
    struct Candidate {
        std::uint32_t age; // the tick wraps: ages are unsigned differences from now
        std::size_t position;
        CResEntry* record;
    };
    std::vector<Candidate> candidates;
    std::size_t position = 0;
    // Only bytes that can be read back from their file go: never those of a record that lives in
    // memory alone, was never written, or holds changes that no handle has committed yet.
    const auto purgeable = [](const CResEntry& record) {
        return record.m_hasData && !record.m_firstHandle && record.GetFile() != 0 &&
               record.m_storedSize != 0 &&
               !(record.m_flags & (RESFLAG_KEEP | RESFLAG_CHANGED | RESFLAG_MODIFIED | RESFLAG_NEW));
    };
    const std::uint32_t now = currentTick();
    for (auto& [key, record] : theResMgr.m_index) {
        ++position;
        if (purgeable(record))
            candidates.push_back({TickDifference(now, record.m_touchTick), position, &record});
    }
    // Oldest touch first; on equal ticks the later record in the list.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.age != b.age ? a.age > b.age : a.position > b.position;
    });
    std::uint64_t freed = 0;
    for (const Candidate& candidate : candidates) {
        if (freed >= bytes)
            break;
        freed += candidate.record->m_data.size();
        freeRecordData(candidate.record);
        candidate.record->m_flags &= ~RESFLAG_READ;
    }
    return freed;
}

int ReadResData(CResEntry* record)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    if (record->m_storedSize == 0 || record->GetFile() == 0)
        return RES_OK;
    RecordBytes bytes(record->m_data.get_allocator());
    const int result = readBlobBytes(record, bytes);
    if (result != RES_OK)
        return result;
    setRecordData(record, std::move(bytes));
    record->m_flags &= ~(RESFLAG_CHANGED | RESFLAG_MODIFIED);
    record->m_touchTick = currentTick();
    if (CMyRes* owner = firstOwner(record))
        owner->Exchange(false);
    record->m_flags |= RESFLAG_READ;
    return RES_OK;
}

namespace
{

QString typeLetters(std::int32_t type)
{
    QString letters;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((type >> shift) & 0xFF);
        letters += c ? QChar::fromLatin1(c) : QChar(u' ');
    }
    return letters;
}

QString flagLetters(std::uint16_t flags)
{
    QString letters;
    letters += (flags & RESFLAG_MODIFIED) ? u'D' : u' ';
    letters += (flags & RESFLAG_CHANGED) ? u'C' : u' ';
    letters += (flags & RESFLAG_KEEP) ? u'K' : u' ';
    letters += (flags & RESFLAG_NEW) ? u'N' : u' ';
    return letters;
}

} // namespace

void DumpResources()
{
    // The debug trace produces no output; the dump is built so that a debugger can show it.
    makeAllWaitingRecords();
    std::uint64_t allSizes = 0;
    for (const auto& [key, record] : theResMgr.m_index)
        allSizes += record.m_hasData ? record.m_data.size() : record.m_storedSize;
    QString dump = QString::asprintf("\n  ID / Type / File  ( Res DCKN / aSize ) MemUse: %d/%d \n",
                                     static_cast<int>(theResMgr.m_bytesInMemory), static_cast<int>(allSizes));
    for (const auto& [key, record] : theResMgr.m_index) {
        const int size = record.m_hasData ? static_cast<int>(record.m_data.size())
                                          : -static_cast<int>(record.m_storedSize);
        dump += QString::asprintf("%4d / %s / %2d  (%d %s / %d) '%s' \n", key.id,
                                  typeLetters(key.type).toLatin1().constData(), key.file,
                                  record.CountHandles(), flagLetters(record.m_flags).toLatin1().constData(),
                                  size, record.GetName().toLatin1().constData());
    }
    Q_UNUSED(dump);
}
