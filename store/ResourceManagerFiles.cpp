// The file half of the resource store: opening, saving, compacting and copying .tvf files.
//
// Crash safety: a save appends blobs and the new map behind everything the old header points to,
// flushes them, and only then rewrites the header, so a failure at any point leaves a file that opens
// with the old content or the new. Compaction, a first save and a copy write a complete file beside
// the target ("RMGRTMP" + extension), flush it and rename it over the target.

#include "store/ResourceManager.h"

#include "platform/files/FileSystem.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManagerInternal.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <memory_resource>
#include <new>
#include <span>
#include <unordered_map>

using namespace lumivo::store;
using lumivo::files::File;
using lumivo::files::fileSystem;
using lumivo::files::OpenMode;

namespace
{

constexpr std::uint64_t kLargestOffset = UINT32_MAX;

// Collects bytes and writes them in large pieces at consecutive positions.
class SequentialWriter
{
public:
    SequentialWriter(File& file, std::uint64_t position) : m_file(file), m_position(position) {}

    void put(const std::uint8_t* data, std::size_t size)
    {
        if (!m_ok || size == 0)
            return;
        if (m_buffer.size() + size > kChunk)
            drain();
        if (size >= kChunk) {
            m_ok = m_ok && m_file.writeAt(m_position, data, size);
            m_position += size;
            return;
        }
        m_buffer.insert(m_buffer.end(), data, data + size);
    }
    void put(std::span<const std::uint8_t> bytes) { put(bytes.data(), bytes.size()); }

    bool finish()
    {
        drain();
        return m_ok;
    }
    std::uint64_t position() const { return m_position + m_buffer.size(); }

private:
    void drain()
    {
        if (!m_buffer.empty() && m_ok)
            m_ok = m_file.writeAt(m_position, m_buffer.data(), m_buffer.size());
        m_position += m_buffer.size();
        m_buffer.clear();
    }

    static constexpr std::size_t kChunk = 1 << 20;
    File& m_file;
    std::uint64_t m_position;
    std::vector<std::uint8_t> m_buffer;
    bool m_ok = true;
};

// Where a record's blob goes in a file being written.
struct Placement {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t stamp = 0;
    bool fresh = false; // bytes written anew from memory (not copied from the old blob)
    bool saved = false; // the record counts as written: its changed, modified and new flags go
};
struct PlacementMemory {
    std::pmr::monotonic_buffer_resource memory;
};
// Where each record's blob goes. A save places every record of a large file: the entries come from a
// few growing blocks given back together, not from a heap block each that the allocator would have to
// sort out later, on someone else's time.
class Placements : private PlacementMemory, public std::pmr::unordered_map<const CResEntry*, Placement>
{
public:
    Placements() : std::pmr::unordered_map<const CResEntry*, Placement>(&memory) {}
};

struct Extent {
    std::uint32_t offset;
    std::uint32_t size;
};

MapEntry mapEntryOf(const CResEntry* record, const Placement* placement)
{
    MapEntry entry;
    entry.id = record->GetId();
    entry.type = record->GetType();
    entry.offset = placement ? placement->offset : record->m_offset;
    entry.size = placement ? placement->size : record->m_storedSize;
    entry.stamp = placement ? placement->stamp : record->m_stamp;
    entry.name = encodeName(record->GetName());
    return entry;
}

// The map of a file as it will be once the placements and the new dead space are applied. A freshly
// written file lists only the records placed in it: no dead space, and none of the records a copy
// leaves out, whose old offsets mean nothing there.
std::vector<std::uint8_t> buildMap(int file, const Placements& placements, const std::vector<Extent>& newDead,
                                   bool freshFile)
{
    std::vector<std::uint8_t> map;
    bool deadWritten = false;
    const auto writeNewDead = [&] {
        for (const Extent& extent : newDead)
            appendMapEntry(map, MapEntry{0, 0, extent.offset, extent.size, 0, {}});
        deadWritten = true;
    };
    const ResKey deadKey{file, 0, 0};
    for (auto it = fileBegin(file), end = fileEnd(file); it != end; ++it) {
        const CResEntry* record = &it->second;
        if (!deadWritten && deadKey < it->first)
            writeNewDead();
        auto placed = placements.find(record);
        const Placement* placement = placed == placements.end() ? nullptr : &placed->second;
        if (freshFile && !placement)
            continue;
        if (isListed(record, placement ? placement->size : record->m_storedSize))
            appendMapEntry(map, mapEntryOf(record, placement));
    }
    if (!deadWritten)
        writeNewDead();
    return map;
}

bool isWritablePath(const QString& path)
{
    return fileSystem().info(path).writable;
}

// "RMGRTMP" with the file's extension, in the file's folder.
QString temporaryPathFor(const QString& path)
{
    const QString name = lumivo::files::fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    return lumivo::files::folderOf(path) + QStringLiteral("/RMGRTMP") + extension;
}

// Lets the first bound object store itself into the record.
void storeOwner(CResEntry* record)
{
    if (CMyRes* owner = firstOwner(record))
        owner->Exchange(true);
}

// A record whose bytes are not in memory (a byte or text handle that never read them, an object that
// could not store itself) still has them in its blob: writing it must keep that blob and its stamp,
// never put an empty one in its place.
bool blobIsCurrent(const CResEntry* record)
{
    return !record->m_hasData && record->m_storedSize != 0 && record->GetFile() != 0;
}

// Whether the record's blob holds exactly these bytes. Such a record keeps its time stamp through every
// kind of save: the stamp picks the stream layout that the record's class reads, so bytes written again
// under a newer stamp would be read in a layout they were never written in.
bool blobHolds(const CResEntry* record, std::span<const std::uint8_t> bytes)
{
    if (record->m_stamp == 0 || record->m_storedSize != bytes.size() || record->GetFile() == 0)
        return false;
    std::vector<std::uint8_t> stored;
    return readBlobBytes(record, stored) == RES_OK &&
           std::equal(stored.begin(), stored.end(), bytes.begin(), bytes.end());
}

// A changed record whose blob already holds what it would write: nothing of it needs writing.
bool blobHoldsRecordBytes(const CResEntry* record)
{
    return blobIsCurrent(record) || (record->m_hasData && blobHolds(record, record->m_data));
}

struct FreshFile {
    Placements placements;
    std::uint32_t mapOffset = 0;
    std::uint32_t mapSize = 0;
    std::unique_ptr<File> stream;
};

struct FreshOptions {
    bool writeChanged = false; // changed records are stored anew from their objects or memory
    bool preferMemory = false; // bytes in memory win over the stored blob, even when modified
    bool keyedOnly = false;    // only records with non-zero id and type
};

// Reads blobs through a window of the file, so that neighbouring blobs (the usual case, since blobs
// are written in store order) cost one read between them.
class BlobReader
{
public:
    explicit BlobReader(File* file) : m_file(file), m_length(file ? file->length() : -1) {}

    bool read(std::uint64_t position, std::size_t size, std::vector<std::uint8_t>& out)
    {
        out.resize(size);
        if (!m_file || size == 0)
            return m_file != nullptr || size == 0;
        if (size > kWindow)
            return m_file->readAt(position, out.data(), size);
        if (position < m_start || position + size > m_start + m_window.size()) {
            if (m_length < 0 || position + size > static_cast<std::uint64_t>(m_length))
                return false;
            const std::uint64_t available = static_cast<std::uint64_t>(m_length) - position;
            m_window.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, available)));
            m_start = position;
            if (!m_file->readAt(position, m_window.data(), m_window.size())) {
                m_window.clear();
                return false;
            }
        }
        std::copy_n(m_window.begin() + static_cast<std::ptrdiff_t>(position - m_start), size, out.begin());
        return true;
    }

private:
    static constexpr std::size_t kWindow = 1 << 20;
    File* m_file;
    std::int64_t m_length;
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_start = 0;
};

// The bytes that a record takes into a fresh file, and whether they are new.
int freshBytes(CResEntry* record, BlobReader& source, const FreshOptions& options,
               std::vector<std::uint8_t>& scratch, std::span<const std::uint8_t>& bytes, bool& fresh)
{
    fresh = false;
    bytes = {};
    const bool changed = record->m_flags & RESFLAG_CHANGED;
    if (options.writeChanged && changed) {
        const bool hasOwner = firstOwner(record) != nullptr;
        storeOwner(record);
        if (!blobHoldsRecordBytes(record) && (hasOwner || record->m_hasData)) {
            fresh = true;
            if (record->m_hasData)
                bytes = record->m_data;
            return RES_OK;
        }
    }
    const bool memoryIsCurrent = !(record->m_flags & (RESFLAG_MODIFIED | RESFLAG_CHANGED));
    if (record->m_hasData && (options.preferMemory || memoryIsCurrent || !record->m_storedSize)) {
        bytes = record->m_data;
        fresh = options.preferMemory && !memoryIsCurrent && !blobHolds(record, record->m_data);
        return RES_OK;
    }
    if (record->m_storedSize == 0)
        return RES_OK;
    if (!source.read(kHeaderSize + record->m_offset, record->m_storedSize, scratch))
        return RES_ERR_NOT_READABLE;
    bytes = scratch;
    return RES_OK;
}

// Writes a complete file (header, the live blobs of `file` in store order, map) beside `target`,
// flushes it and renames it over `target`. `failure` is the code for a write that does not succeed.
int writeFreshFile(int file, File* source, const QString& target, ResFileHeader header,
                   const FreshOptions& options, int failure, FreshFile& out)
{
    lumivo::files::FileSystem& fs = fileSystem();
    const QString temporary = temporaryPathFor(target);
    if (fs.exists(temporary) && (FindResFileByPath(temporary) > 0 || !fs.remove(temporary)))
        return RES_ERR_SCRATCH_BUSY;
    std::unique_ptr<File> stream = fs.open(temporary, OpenMode::CreateReadWrite);
    if (!stream)
        return failure;
    const auto giveUp = [&](int code) {
        stream.reset();
        fs.remove(temporary);
        return code;
    };

    SequentialWriter writer(*stream, kHeaderSize);
    BlobReader reader(source);
    std::vector<std::uint8_t> scratch;
    const std::uint32_t now = currentStamp();
    for (auto it = fileBegin(file), end = fileEnd(file); it != end; ++it) {
        CResEntry* record = &it->second;
        const bool keyed = record->GetId() != 0 && record->GetType() != 0;
        if ((record->GetId() == 0 && record->GetType() == 0) || (options.keyedOnly && !keyed))
            continue;
        std::span<const std::uint8_t> bytes;
        bool fresh = false;
        const int read = freshBytes(record, reader, options, scratch, bytes, fresh);
        if (read != RES_OK)
            return giveUp(read);
        if (writer.position() - kHeaderSize + bytes.size() > kLargestOffset)
            return giveUp(failure);
        Placement placement;
        placement.offset = static_cast<std::uint32_t>(writer.position() - kHeaderSize);
        placement.size = static_cast<std::uint32_t>(bytes.size());
        // Bytes copied as they were keep their stamp, even none; only bytes new to the file get one.
        const bool firstBytes = record->m_stamp == 0 && record->m_storedSize == 0 && !bytes.empty();
        placement.stamp = fresh || firstBytes ? now : record->m_stamp;
        placement.fresh = fresh;
        placement.saved = fresh || (options.writeChanged && (record->m_flags & RESFLAG_CHANGED));
        writer.put(bytes);
        out.placements.emplace(record, placement);
    }
    const std::vector<std::uint8_t> map = buildMap(file, out.placements, {}, true);
    if (writer.position() - kHeaderSize + map.size() > kLargestOffset)
        return giveUp(failure);
    out.mapOffset = static_cast<std::uint32_t>(writer.position() - kHeaderSize);
    out.mapSize = static_cast<std::uint32_t>(map.size());
    writer.put(map);
    header.format = kFormat515;
    header.mapOffset = out.mapOffset;
    header.mapSize = out.mapSize;
    const auto headerBytes = encodeHeader(header);
    if (!writer.finish() || !stream->writeAt(0, headerBytes.data(), headerBytes.size()) || !stream->flush())
        return giveUp(failure);
    stream.reset();
    if (!fs.rename(temporary, target)) {
        fs.remove(temporary);
        return failure;
    }
    fs.flushDirectory(lumivo::files::folderOf(target));
    out.stream = fs.open(target, OpenMode::ReadWrite);
    return RES_OK;
}

// Takes over what a fresh file of the same file number now holds.
void adoptFreshFile(CResFileEntry* entry, FreshFile& fresh, std::uint32_t saveTime)
{
    std::vector<CResEntry*> dead;
    bool editsPending = false;
    for (auto it = fileBegin(entry->m_number), end = fileEnd(entry->m_number); it != end; ++it) {
        CResEntry* record = &it->second;
        auto placed = fresh.placements.find(record);
        if (placed == fresh.placements.end()) {
            if (record->GetId() == 0 && record->GetType() == 0)
                dead.push_back(record);
            continue;
        }
        record->m_offset = placed->second.offset;
        record->m_storedSize = placed->second.size;
        record->m_stamp = placed->second.stamp;
        if (placed->second.saved)
            record->m_flags &= ~(RESFLAG_CHANGED | RESFLAG_MODIFIED | RESFLAG_NEW);
        editsPending = editsPending || (record->m_flags & RESFLAG_CHANGED);
    }
    // The old file's dead space is gone with it.
    for (CResEntry* record : dead)
        deleteRecord(record);
    entry->m_header.format = kFormat515;
    entry->m_header.mapOffset = fresh.mapOffset;
    entry->m_header.mapSize = fresh.mapSize;
    entry->m_header.saveTime = saveTime;
    entry->m_file = std::move(fresh.stream);
    // A compaction that copied committed edits' old blobs leaves the file dirty, so that the edits are
    // still saved (a file that is not dirty is closed without a save).
    entry->m_dirty = editsPending;
    entry->m_unsaved = false;
}

// The records a save writes: changed, listed in the map, and with bytes to write (the same records that
// a whole-file save writes: byte arrays of type 0 too). Changed records whose blob still holds their
// bytes go to `current`: nothing of them needs writing.
std::vector<CResEntry*> changedRecords(int file, std::vector<CResEntry*>& current)
{
    std::vector<CResEntry*> changed;
    for (auto it = fileBegin(file), end = fileEnd(file); it != end; ++it) {
        CResEntry* record = &it->second;
        if ((record->GetId() == 0 && record->GetType() == 0) || !(record->m_flags & RESFLAG_CHANGED))
            continue;
        const bool hasOwner = firstOwner(record) != nullptr;
        storeOwner(record);
        if (blobHoldsRecordBytes(record))
            current.push_back(record);
        else if (hasOwner || record->m_hasData)
            changed.push_back(record);
    }
    return changed;
}

std::span<const std::uint8_t> bytesOf(const CResEntry* record)
{
    if (!record->m_hasData)
        return {};
    return record->m_data;
}

// Appends the changed records' bytes and, when needed, a new map; then rewrites the header.
int appendSave(CResFileEntry* entry, const std::vector<CResEntry*>& changed, bool writeHeader)
{
    File& file = *entry->m_file;
    const std::int64_t length = file.length();
    if (length < static_cast<std::int64_t>(kHeaderSize))
        return RES_ERR_NOT_WRITABLE;
    const std::uint32_t now = currentStamp();
    std::uint64_t end = static_cast<std::uint64_t>(length);
    Placements placements;
    std::vector<Extent> newDead;
    for (CResEntry* record : changed) {
        const std::uint64_t size = bytesOf(record).size();
        if (end - kHeaderSize + size > kLargestOffset)
            return RES_ERR_WRITE_FAILED;
        placements[record] = Placement{static_cast<std::uint32_t>(end - kHeaderSize),
                                       static_cast<std::uint32_t>(size), now, true};
        end += size;
        if (record->m_storedSize != 0)
            newDead.push_back({record->m_offset, record->m_storedSize});
    }
    const bool writeMap = writeHeader && (entry->m_dirty || !changed.empty());
    std::vector<std::uint8_t> map;
    ResFileHeader header = entry->m_header;
    if (writeMap) {
        if (header.mapSize != 0)
            newDead.push_back({header.mapOffset, header.mapSize});
        map = buildMap(entry->m_number, placements, newDead, false);
        if (end - kHeaderSize + map.size() > kLargestOffset)
            return RES_ERR_WRITE_FAILED;
        header.mapOffset = static_cast<std::uint32_t>(end - kHeaderSize);
        header.mapSize = static_cast<std::uint32_t>(map.size());
    }
    header.format = kFormat515;
    header.saveTime = now;

    const auto rollBack = [&] {
        file.setLength(static_cast<std::uint64_t>(length));
        return RES_ERR_WRITE_FAILED;
    };
    SequentialWriter writer(file, static_cast<std::uint64_t>(length));
    for (CResEntry* record : changed)
        writer.put(bytesOf(record));
    writer.put(map);
    if (!writer.finish() || !file.flush())
        return rollBack();
    if (writeHeader) {
        // Everything the new header points to is on the disk before the header changes.
        const auto bytes = encodeHeader(header);
        if (!file.writeAt(0, bytes.data(), bytes.size()) || !file.flush()) {
            const auto old = encodeHeader(entry->m_header);
            if (file.writeAt(0, old.data(), old.size()) && file.flush())
                rollBack();
            return RES_ERR_WRITE_FAILED;
        }
    }

    for (CResEntry* record : changed) {
        const Placement& placement = placements[record];
        record->m_offset = placement.offset;
        record->m_storedSize = placement.size;
        record->m_stamp = placement.stamp;
        record->m_flags &= ~(RESFLAG_CHANGED | RESFLAG_MODIFIED | RESFLAG_NEW);
    }
    for (const Extent& extent : newDead)
        addDeadSpace(entry->m_number, extent.offset, extent.size);
    if (writeHeader) {
        entry->m_header = header;
        entry->m_dirty = false;
        entry->m_unsaved = false;
    } else {
        entry->m_dirty = true; // the map must learn the new places
    }
    return RES_OK;
}

void addFileFirst(std::unique_ptr<CResFileEntry> entry)
{
    entry->m_next = std::move(theResFiles);
    theResFiles = std::move(entry);
}

std::unique_ptr<CResFileEntry> takeFile(int number)
{
    for (std::unique_ptr<CResFileEntry>* link = &theResFiles; *link; link = &(*link)->m_next) {
        if ((*link)->m_number == number) {
            std::unique_ptr<CResFileEntry> taken = std::move(*link);
            *link = std::move(taken->m_next);
            return taken;
        }
    }
    return nullptr;
}

CResFileEntry* newFileRecord(const QString& path)
{
    auto entry = std::make_unique<CResFileEntry>();
    entry->m_number = ++theResMgr.m_lastFileNumber;
    entry->m_path = path;
    entry->m_canonicalPath = CanonicalResPath(path);
    CResFileEntry* raw = entry.get();
    addFileFirst(std::move(entry));
    return raw;
}

// Reads the header and the map of an opened file and checks the map; its records wait in the file's
// flat array until they are first touched.
int loadFile(CResFileEntry* entry)
{
    File& file = *entry->m_file;
    const std::int64_t length = file.length();
    if (length < 0)
        return RES_ERR_NOT_READABLE;
    std::uint8_t headerBytes[kHeaderSize];
    const std::size_t headerLength = std::min<std::size_t>(kHeaderSize, static_cast<std::size_t>(length));
    if (!file.readAt(0, headerBytes, headerLength))
        return RES_ERR_NOT_READABLE;
    const int decoded = decodeHeader(headerBytes, headerLength, entry->m_header);
    if (decoded != RES_OK)
        return decoded;
    const ResFileHeader& header = entry->m_header;
    const auto fileLength = static_cast<std::uint64_t>(length);
    // Without a map its offset means nothing.
    if (header.mapSize != 0 && !extentInside(header.mapOffset, header.mapSize, fileLength))
        return RES_ERR_BAD_FORMAT;
    // In the store's memory: a file opened again reads its map into what the last close let go of.
    // Every byte is read over at once: no need to clear them first.
    MapBytes map;
    try {
        map = allocateMapBytes(&theResMgr.m_bytesPool, header.mapSize);
    } catch (const std::bad_alloc&) {
        return RES_ERR_NO_MEMORY;
    }
    if (header.mapSize != 0 && !file.readAt(kHeaderSize + header.mapOffset, map.get(), header.mapSize))
        return RES_ERR_NOT_READABLE;
    return entry->m_waiting.read(std::move(map), header.mapSize, fileLength);
}

} // namespace

QString ResScratchPathFor(const QString& path)
{
    return temporaryPathFor(path);
}

namespace lumivo::store
{

namespace
{

template <typename Bytes> int readBlobInto(const CResEntry* record, Bytes& bytes)
{
    CResFileEntry* entry = FindResFileEntry(record->GetFile());
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file)
        return RES_ERR_NO_STREAM;
    try {
        bytes.resize(record->m_storedSize);
    } catch (const std::bad_alloc&) {
        return RES_ERR_NO_MEMORY;
    }
    if (!entry->m_file->readAt(kHeaderSize + record->m_offset, bytes.data(), bytes.size()))
        return RES_ERR_NOT_READABLE;
    return RES_OK;
}

} // namespace

int readBlobBytes(const CResEntry* record, std::vector<std::uint8_t>& bytes)
{
    return readBlobInto(record, bytes);
}

int readBlobBytes(const CResEntry* record, RecordBytes& bytes)
{
    return readBlobInto(record, bytes);
}

} // namespace lumivo::store

// ---------------------------------------------------------------------------------------------------
// Paths and file records

QString CanonicalResPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString whole = QFileInfo(absolute).canonicalFilePath();
    if (!whole.isEmpty())
        return whole;
    const QString folder = QFileInfo(lumivo::files::folderOf(absolute)).canonicalFilePath();
    if (folder.isEmpty())
        return absolute;
    return QDir::cleanPath(folder + QLatin1Char('/') + lumivo::files::fileNameOf(absolute));
}

CResFileEntry* FindResFileEntry(int number)
{
    for (CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        if (entry->m_number == number)
            return entry;
    return nullptr;
}

int FindResFileByPath(const QString& path)
{
    if (!theResFiles)
        return RES_ERR_NO_STREAM;
    const QString canonical = CanonicalResPath(path);
    for (CResFileEntry* entry = theResFiles.get(); entry; entry = entry->m_next.get())
        if (!canonical.isEmpty() && entry->m_canonicalPath == canonical)
            return entry->m_number;
    return 0;
}

int FindOrAddResFile(int* number, const QString& path)
{
    if (!number)
        return RES_ERR_NULL_OUTPUT;
    const int open = path.isEmpty() ? 0 : FindResFileByPath(path);
    if (open > 0) {
        *number = open;
        return RES_FILE_ALREADY_OPEN;
    }
    if (!path.isEmpty() && fileSystem().exists(path))
        return RES_FILE_EXISTS;
    *number = newFileRecord(path)->m_number;
    return RES_FILE_NEW;
}

namespace
{

int openFile(int* number, const QString& path, OpenMode mode)
{
    if (!number)
        return RES_ERR_NULL_OUTPUT;
    if (path.isEmpty())
        return RES_ERR_EMPTY_PATH;
    const int open = FindResFileByPath(path);
    if (open > 0) {
        *number = open;
        return RES_FILE_ALREADY_OPEN;
    }
    const lumivo::files::FileInfo info = fileSystem().info(path);
    if (!info.exists)
        return RES_ERR_NO_SUCH_FILE;
    if (!info.readable || info.isDirectory)
        return RES_ERR_NOT_READABLE;
    CResFileEntry* entry = newFileRecord(path);
    const int made = entry->m_number;
    entry->m_file = fileSystem().open(path, mode);
    entry->m_readOnly = mode == OpenMode::Read;
    int result = entry->m_file ? RES_OK : RES_ERR_OPEN_FAILED;
    if (result == RES_OK) {
        try {
            result = loadFile(entry);
        } catch (const std::bad_alloc&) {
            result = RES_ERR_NO_MEMORY;
        }
    }
    if (result != RES_OK) {
        takeFile(made); // no record was made yet
        return result;
    }
    entry->m_dirty = false;
    *number = made;
    return RES_OK;
}

} // namespace

int OpenResFile(int* number, const QString& path)
{
    return openFile(number, path, OpenMode::ReadWrite);
}

int OpenResFileForReading(int* number, const QString& path)
{
    return openFile(number, path, OpenMode::Read);
}

bool IsResFileReadOnly(int number)
{
    const CResFileEntry* entry = FindResFileEntry(number);
    return entry && entry->m_readOnly;
}

int CloseResFile(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    // Records never touched have no handles and hold no bytes.
    dropWaitingRecords(entry);
    std::vector<CResEntry*> bound;
    if (theResMgr.m_boundRecords != 0) {
        for (auto it = madeBegin(number), end = madeEnd(number); it != end; ++it)
            if (it->second.m_firstHandle)
                bound.push_back(&it->second);
    }
    // Bound records stay usable in memory.
    for (CResEntry* record : bound) {
        bringBlobIntoMemory(record);
        record->m_offset = 0;
        record->m_storedSize = 0;
        rekeyRecord(record, ResKey{0, record->GetType(), record->GetId()});
    }
    deleteRecords(madeBegin(number), madeEnd(number));
    // Every save flushes what it wrote before it clears the dirty flag; only bytes written since (a
    // record written alone, a record given to this file) may still wait for the disk.
    if (entry->m_file && entry->m_dirty && !entry->m_readOnly)
        entry->m_file->flush();
    takeFile(number);
    return RES_OK;
}

// ---------------------------------------------------------------------------------------------------
// Saving, compacting, copying

namespace
{

int compactFile(CResFileEntry* entry, bool writeChanged)
{
    FreshOptions options;
    options.writeChanged = writeChanged;
    FreshFile fresh;
    ResFileHeader header = entry->m_header;
    header.saveTime = currentStamp();
    int result;
    try {
        result = writeFreshFile(entry->m_number, entry->m_file.get(), entry->m_path, header, options,
                                RES_ERR_WRITE_FAILED, fresh);
    } catch (const std::bad_alloc&) {
        result = RES_ERR_NO_MEMORY_TEMP;
    }
    if (result != RES_OK)
        return result;
    const bool reopened = fresh.stream != nullptr;
    adoptFreshFile(entry, fresh, header.saveTime);
    return reopened ? RES_OK : RES_ERR_OPEN_FAILED;
}

int firstSave(CResFileEntry* entry)
{
    FreshOptions options;
    options.writeChanged = true;
    FreshFile fresh;
    ResFileHeader header = entry->m_header;
    header.saveTime = currentStamp();
    int result;
    try {
        result = writeFreshFile(entry->m_number, nullptr, entry->m_path, header, options,
                                RES_ERR_CREATE_FAILED, fresh);
    } catch (const std::bad_alloc&) {
        result = RES_ERR_CREATE_FAILED;
    }
    if (result != RES_OK)
        return result;
    const bool reopened = fresh.stream != nullptr;
    adoptFreshFile(entry, fresh, header.saveTime);
    return reopened ? RES_OK : RES_ERR_OPEN_FAILED;
}

// A record whose write failed has its new bytes in memory only: it and its file stay changed, so that
// the next save writes them (or says that it cannot) instead of finding nothing to do.
int keepUnwritten(CResFileEntry* entry, CResEntry* record, int written)
{
    if (written != RES_OK) {
        record->m_flags |= RESFLAG_CHANGED;
        entry->m_dirty = true;
    }
    return written;
}

} // namespace

int SaveResFile(int number, const QString& newPath, bool compact)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (entry->m_readOnly)
        return RES_ERR_NOT_WRITABLE;
    if (!entry->m_file && entry->m_unsaved) {
        if (!newPath.isEmpty()) {
            const int holder = FindResFileByPath(newPath);
            if (holder > 0 && holder != number)
                return RES_ERR_FILE_BUSY; // would overwrite another open file
            entry->m_path = newPath;
            entry->m_canonicalPath = CanonicalResPath(newPath);
        }
        if (entry->m_path.isEmpty())
            return RES_ERR_NO_PATH;
        return firstSave(entry);
    }
    if (!entry->m_file)
        return RES_ERR_NO_STREAM;
    const bool samePath = newPath.isEmpty() || CanonicalResPath(newPath) == entry->m_canonicalPath;
    if (samePath && !isWritablePath(entry->m_path))
        return RES_ERR_NOT_WRITABLE;
    if (compact && !entry->m_unsaved) {
        if (!isWritablePath(entry->m_path))
            return RES_ERR_NOT_WRITABLE;
        return compactFile(entry, samePath);
    }
    std::vector<CResEntry*> changed;
    std::vector<CResEntry*> current;
    if (samePath)
        changed = changedRecords(number, current);
    // Saving a file with nothing to write leaves every byte as it was, its time of last save too: the
    // data files are ordered by that time, and an unchanged file must not look newer than it is.
    const bool unchanged =
        samePath && changed.empty() && !entry->m_dirty && entry->m_header.format == kFormat515;
    const int saved = unchanged ? RES_OK : appendSave(entry, changed, true);
    if (saved == RES_OK) {
        entry->m_unsaved = false;
        for (CResEntry* record : current)
            record->m_flags &= ~RESFLAG_CHANGED;
    } else if (!changed.empty()) {
        entry->m_dirty = true; // the changed records are still to be written
    }
    return saved;
}

int CompactResFile(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file)
        return RES_ERR_NO_STREAM;
    if (entry->m_readOnly || !isWritablePath(entry->m_path))
        return RES_ERR_NOT_WRITABLE;
    return compactFile(entry, false);
}

int WriteResData(CResEntry* record)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    if (!firstOwner(record))
        return RES_OK;
    CResFileEntry* entry = FindResFileEntry(record->GetFile());
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file) {
        if (!entry->m_unsaved || entry->m_path.isEmpty())
            return RES_ERR_NO_STREAM;
        // A file that was never written is created by a whole save, which writes this record too.
        record->m_flags |= RESFLAG_CHANGED;
        return keepUnwritten(entry, record, SaveResFile(entry->m_number, {}, false));
    }
    storeOwner(record);
    if (blobHoldsRecordBytes(record)) {
        record->m_flags &= ~RESFLAG_CHANGED; // the file holds its bytes already
        return RES_OK;
    }
    if (entry->m_readOnly)
        return keepUnwritten(entry, record, RES_ERR_NOT_WRITABLE);
    return keepUnwritten(entry, record, appendSave(entry, {record}, false));
}

int TransferResEntry(CResEntry* record, int target)
{
    if (!record)
        return RES_ERR_NO_RECORD;
    if (target == 0)
        return RES_ERR_NULL_ARGUMENT;
    CResFileEntry* entry = FindResFileEntry(target);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file)
        return RES_ERR_NO_STREAM;
    if (entry->m_readOnly)
        return RES_ERR_NOT_WRITABLE;
    if (record->GetId() == 0)
        return RES_ERR_ID_ZERO;
    if (record->GetType() == 0)
        return RES_ERR_TYPE_ZERO;
    storeOwner(record);
    std::vector<std::uint8_t> bytes;
    if (record->m_hasData) {
        bytes.assign(record->m_data.begin(), record->m_data.end());
    } else if (record->m_storedSize != 0 && record->GetFile() != 0) {
        const int read = readBlobBytes(record, bytes);
        if (read != RES_OK)
            return read;
    }
    File& file = *entry->m_file;
    const std::int64_t length = file.length();
    if (length < static_cast<std::int64_t>(kHeaderSize))
        return RES_ERR_NOT_WRITABLE;
    if (static_cast<std::uint64_t>(length) - kHeaderSize + bytes.size() > kLargestOffset)
        return RES_ERR_WRITE_FAILED;
    // Decided before anything changes: the record may itself be the one the target gives up below.
    const std::uint32_t stamp = blobHolds(record, bytes) ? record->m_stamp : currentStamp();
    if (!bytes.empty() && (!file.writeAt(static_cast<std::uint64_t>(length), bytes.data(), bytes.size()))) {
        file.setLength(static_cast<std::uint64_t>(length));
        return RES_ERR_WRITE_FAILED;
    }
    const ResKey key{target, record->GetType(), record->GetId()};
    // Taken first: the record may itself be the one that the target gives up (and be gone then).
    const QString name = record->GetName();
    makeWaitingKey(key);
    auto existing = theResMgr.m_index.find(key);
    if (existing != theResMgr.m_index.end())
        RemoveResEntry(&existing->second);
    CResEntry* copy = linkNewRecord(key);
    copy->SetName(name);
    copy->m_offset = static_cast<std::uint32_t>(length - static_cast<std::int64_t>(kHeaderSize));
    copy->m_storedSize = static_cast<std::uint32_t>(bytes.size());
    copy->m_stamp = stamp;
    setRecordData(copy, std::move(bytes));
    entry->m_dirty = true;
    return RES_OK;
}

int CopyResFile(int source, const QString& newPath, int* number)
{
    CResFileEntry* from = FindResFileEntry(source);
    if (!from)
        return RES_ERR_UNKNOWN_FILE;
    if (newPath.isEmpty())
        return RES_ERR_NO_PATH;
    // Never delete or overwrite a file that the store holds open (the source included).
    if (FindResFileByPath(newPath) > 0)
        return RES_ERR_FILE_BUSY;
    // An existing file is replaced only once the copy is complete (the fresh file is renamed over it),
    // so a failed copy destroys nothing.
    int made = 0;
    if (fileSystem().exists(newPath)) {
        made = newFileRecord(newPath)->m_number;
    } else {
        const int added = FindOrAddResFile(&made, newPath);
        if (added != 0)
            return added;
    }
    CResFileEntry* to = FindResFileEntry(made);

    ResFileHeader header;
    header.version = from->m_header.version;
    header.kind = from->m_header.kind;
    header.text = from->m_header.text;
    header.text2 = from->m_header.text2;
    if (from->m_header.format >= kFormat515)
        header.extension = from->m_header.extension;
    header.saveTime = 0;

    FreshOptions options;
    options.writeChanged = true;
    options.preferMemory = true;
    options.keyedOnly = true;
    FreshFile fresh;
    int result;
    try {
        result = writeFreshFile(source, from->m_file.get(), newPath, header, options, RES_ERR_CREATE_FAILED,
                                fresh);
    } catch (const std::bad_alloc&) {
        result = RES_ERR_CREATE_FAILED;
    }
    if (result != RES_OK) {
        takeFile(made);
        return result;
    }
    // The copy's records, in the source's order.
    const auto hint = fileEnd(made);
    for (auto it = fileBegin(source), end = fileEnd(source); it != end; ++it) {
        auto placed = fresh.placements.find(&it->second);
        if (placed == fresh.placements.end())
            continue;
        CResEntry* record = linkNewRecord(ResKey{made, it->first.type, it->first.id}, hint);
        record->SetName(it->second.GetName());
        record->m_offset = placed->second.offset;
        record->m_storedSize = placed->second.size;
        record->m_stamp = placed->second.stamp;
    }
    header.mapOffset = fresh.mapOffset;
    header.mapSize = fresh.mapSize;
    to->m_header = header;
    to->m_file = std::move(fresh.stream);
    to->m_dirty = false;
    to->m_unsaved = false;
    if (number)
        *number = made;
    else
        CloseResFile(made);
    return RES_OK;
}

// ---------------------------------------------------------------------------------------------------
// File accessors

bool IsResFileOpen(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    return entry && entry->m_unsaved;
}

bool IsResFileDirty(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    return entry && entry->m_dirty;
}

int SetResFileDirty(int number, bool dirty)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    entry->m_dirty = dirty;
    return RES_OK;
}

std::uint32_t GetResFileVersion(int number, int* error)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (error)
        *error = entry ? RES_OK : RES_ERR_UNKNOWN_FILE;
    return entry ? entry->m_header.version : 0;
}

int SetResFileVersion(int number, std::uint32_t version)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    entry->m_header.version = version;
    entry->m_dirty = true;
    return RES_OK;
}

std::uint32_t GetResFileKind(int number, int* error)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (error)
        *error = entry ? RES_OK : RES_ERR_UNKNOWN_FILE;
    return entry ? entry->m_header.kind : 0;
}

int SetResFileKind(int number, std::uint32_t kind)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    entry->m_header.kind = kind;
    entry->m_dirty = true;
    return RES_OK;
}

int GetResFileUserValue(int number, std::uint32_t* value)
{
    if (!value)
        return RES_ERR_NULL_OUTPUT;
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    *value = entry->m_header.userValue();
    return RES_OK;
}

int SetResFileUserValue(int number, std::uint32_t value)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    entry->m_header.setUserValue(value);
    entry->m_dirty = true;
    return RES_OK;
}

QString GetResFilePath(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    return entry ? entry->m_path : QString();
}

int GetResFileTime(int number, CTime* time)
{
    if (!time)
        return RES_ERR_NULL_OUTPUT;
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (entry->m_header.saveTime != 0) {
        *time = CTime(entry->m_header.saveTime);
        return RES_OK;
    }
    const lumivo::files::FileInfo info = fileSystem().info(entry->m_path);
    *time =
        CTime(info.exists && info.modified != 0 ? static_cast<std::int64_t>(info.modified) : currentStamp());
    return RES_OK;
}

std::int64_t GetResFileLength(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file)
        return RES_ERR_NO_OPEN_STREAM;
    return entry->m_file->length();
}

std::int64_t GetResFileUsedSize(int number)
{
    CResFileEntry* entry = FindResFileEntry(number);
    if (!entry)
        return RES_ERR_UNKNOWN_FILE;
    if (!entry->m_file)
        return RES_ERR_NO_OPEN_STREAM;
    std::int64_t used = 0;
    for (auto it = fileBegin(number), end = fileEnd(number); it != end; ++it)
        used += it->second.m_storedSize;
    return used;
}

std::uint32_t MakeResFileVersion(int major, int minor, int build)
{
    return (static_cast<std::uint32_t>(major & 0xFFFF) << 16) |
           (static_cast<std::uint32_t>(minor & 0xFF) << 8) | static_cast<std::uint32_t>(build & 0xFF);
}

void SplitResFileVersion(std::uint32_t version, int* major, int* minor, int* build)
{
    if (major)
        *major = static_cast<int>(version >> 16);
    if (minor)
        *minor = static_cast<int>((version >> 8) & 0xFF);
    if (build)
        *build = static_cast<int>(version & 0xFF);
}

int CompareResFileVersion(int number, int major, int minor, int build, int* error)
{
    int result = RES_OK;
    const std::uint32_t version = GetResFileVersion(number, &result);
    if (error)
        *error = result;
    if (result != RES_OK)
        return result;
    const std::uint32_t given = MakeResFileVersion(major, minor, build);
    if (version == given)
        return RES_VERSION_SAME;
    return version > given ? RES_VERSION_NEWER : RES_VERSION_OLDER;
}
