#include "store/ResourceFile.h"

#include "store/ResourceManager.h"

#include <algorithm>
#include <cstring>

namespace lumivo::store
{

namespace
{
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kFormatAt = 4;
constexpr std::size_t kKindAt = 8;
constexpr std::size_t kMapOffsetAt = 12;
constexpr std::size_t kMapSizeAt = 16;
constexpr std::size_t kTextAt = 20;
constexpr std::size_t kSaveTimeAt = 84;
constexpr std::size_t kText2At = 88;
constexpr std::size_t kExtensionAt = 108;
} // namespace

std::uint32_t ResFileHeader::userValue() const
{
    return getUint32(extension.data());
}

void ResFileHeader::setUserValue(std::uint32_t value)
{
    putUint32(extension.data(), value);
}

std::array<std::uint8_t, kHeaderSize> encodeHeader(const ResFileHeader& header)
{
    std::array<std::uint8_t, kHeaderSize> bytes{};
    putUint32(&bytes[kVersionAt], header.version);
    putUint32(&bytes[kFormatAt], header.format);
    putUint32(&bytes[kKindAt], header.kind);
    putUint32(&bytes[kMapOffsetAt], header.mapOffset);
    putUint32(&bytes[kMapSizeAt], header.mapSize);
    std::copy(header.text.begin(), header.text.end(), &bytes[kTextAt]);
    putUint32(&bytes[kSaveTimeAt], header.saveTime);
    std::copy(header.text2.begin(), header.text2.end(), &bytes[kText2At]);
    std::copy(header.extension.begin(), header.extension.end(), &bytes[kExtensionAt]);
    return bytes;
}

int decodeHeader(const std::uint8_t* bytes, std::size_t size, ResFileHeader& header)
{
    if (size < kHeaderSize)
        return RES_ERR_SHORT_HEADER;
    ResFileHeader read;
    read.version = getUint32(bytes + kVersionAt);
    read.format = getUint32(bytes + kFormatAt);
    if (read.format != kFormat514 && read.format != kFormat515)
        return RES_ERR_BAD_FORMAT;
    read.kind = getUint32(bytes + kKindAt);
    read.mapOffset = getUint32(bytes + kMapOffsetAt);
    read.mapSize = getUint32(bytes + kMapSizeAt);
    std::copy_n(bytes + kTextAt, read.text.size(), read.text.begin());
    read.saveTime = getUint32(bytes + kSaveTimeAt);
    std::copy_n(bytes + kText2At, read.text2.size(), read.text2.begin());
    // A format-514 file has nothing meaningful behind the second text field.
    if (read.format == kFormat515)
        std::copy_n(bytes + kExtensionAt, read.extension.size(), read.extension.begin());
    header = read;
    return RES_OK;
}

void appendMapEntry(std::vector<std::uint8_t>& map, const MapEntry& entry)
{
    const std::size_t nameLength = std::min<std::size_t>(entry.name.size(), kMaxNameLength);
    const std::size_t at = map.size();
    map.resize(at + kMapEntryFixedSize + nameLength, 0);
    std::uint8_t* out = map.data() + at;
    putUint32(out, static_cast<std::uint32_t>(entry.id));
    putUint32(out + 4, static_cast<std::uint32_t>(entry.type));
    putUint32(out + 8, entry.offset);
    putUint32(out + 12, entry.size);
    putUint32(out + 16, entry.stamp);
    out[20] = static_cast<std::uint8_t>(nameLength);
    if (nameLength > 0)
        std::memcpy(out + 21, entry.name.constData(), nameLength);
}

int readMapEntry(const std::uint8_t* bytes, std::size_t size, std::size_t& at, MapEntryView& entry)
{
    if (at > size || size - at < kMapEntryFixedSize)
        return RES_ERR_BAD_FORMAT;
    const std::uint8_t* in = bytes + at;
    const std::size_t nameLength = in[20];
    if (nameLength > kMaxNameLength || size - at < kMapEntryFixedSize + nameLength)
        return RES_ERR_BAD_FORMAT;
    entry.id = static_cast<std::int32_t>(getUint32(in));
    entry.type = static_cast<std::int32_t>(getUint32(in + 4));
    entry.offset = getUint32(in + 8);
    entry.size = getUint32(in + 12);
    entry.stamp = getUint32(in + 16);
    entry.name = reinterpret_cast<const char*>(in + 21);
    entry.nameLength = nameLength;
    at += kMapEntryFixedSize + nameLength;
    return RES_OK;
}

namespace
{

// Only blobs that can be read must lie inside the file: a compaction by another writer keeps the old
// dead-space entries with offsets of the file before it.
bool entryFits(const MapEntryView& e, std::uint64_t fileLength)
{
    return e.size == 0 || extentInside(e.offset, e.size, fileLength);
}

bool isDeadSpaceEntry(const MapEntryView& e)
{
    return e.id == 0 && e.type == 0;
}

} // namespace

MapBytes allocateMapBytes(std::pmr::memory_resource* memory, std::size_t size)
{
    return MapBytes(static_cast<std::uint8_t*>(memory->allocate(size, 1)), GiveBackTo{memory, size});
}

MapIndex::MapIndex(std::pmr::memory_resource* memory) : m_at(memory) {}

int MapIndex::read(MapBytes bytes, std::size_t size, std::uint64_t fileLength)
{
    clear();
    std::pmr::vector<std::uint32_t> at(m_at.get_allocator());
    at.reserve(size / kMapEntryFixedSize);
    bool ordered = true;
    bool duplicate = false; // side by side in a map in order
    std::int32_t lastType = 0;
    std::int32_t lastId = 0;
    MapEntryView e;
    for (std::size_t next = 0; next < size;) {
        const std::size_t start = next;
        const int read = readMapEntry(bytes.get(), size, next, e);
        if (read != RES_OK)
            return read;
        if (!entryFits(e, fileLength)) {
            if (isDeadSpaceEntry(e))
                continue;
            return RES_ERR_BAD_FORMAT;
        }
        if (!at.empty() && (e.type != lastType ? e.type < lastType : e.id < lastId))
            ordered = false;
        else if (!at.empty() && e.type != 0 && e.type == lastType && e.id == lastId)
            duplicate = true;
        lastType = e.type;
        lastId = e.id;
        at.push_back(static_cast<std::uint32_t>(start));
    }
    m_bytes = std::move(bytes);
    m_size = size;
    m_at = std::move(at);
    if (!ordered) {
        std::pmr::vector<std::uint32_t> sorted(m_at, m_at.get_allocator());
        std::stable_sort(sorted.begin(), sorted.end(), [this](std::uint32_t a, std::uint32_t b) {
            const std::int32_t typeA = static_cast<std::int32_t>(getUint32(&m_bytes[a + 4]));
            const std::int32_t typeB = static_cast<std::int32_t>(getUint32(&m_bytes[b + 4]));
            if (typeA != typeB)
                return typeA < typeB;
            return static_cast<std::int32_t>(getUint32(&m_bytes[a])) <
                   static_cast<std::int32_t>(getUint32(&m_bytes[b]));
        });
        m_at = std::move(sorted);
        duplicate = hasDuplicateKey();
    }
    if (duplicate) {
        clear();
        return RES_ERR_BAD_FORMAT;
    }
    m_waiting = m_at.size();
    return RES_OK;
}

void MapIndex::clear()
{
    m_bytes.reset();
    m_size = 0;
    m_at = std::pmr::vector<std::uint32_t>(m_at.get_allocator());
    std::vector<bool>().swap(m_made);
    m_waiting = 0;
    m_cursor = 0;
}

MapEntryView MapIndex::entryAt(std::size_t i) const
{
    MapEntryView entry;
    std::size_t at = m_at[i];
    readMapEntry(m_bytes.get(), m_size, at, entry); // checked when read
    return entry;
}

// In a real file a (type, id) pair with a type is unique; equal keys lie side by side here.
bool MapIndex::hasDuplicateKey() const
{
    for (std::size_t i = 1; i < m_at.size(); ++i)
        if (typeAt(i) != 0 && typeAt(i) == typeAt(i - 1) && idAt(i) == idAt(i - 1))
            return true;
    return false;
}

std::size_t MapIndex::find(std::int32_t type, std::int32_t id)
{
    const auto matches = [&](std::size_t i) { return typeAt(i) == type && idAt(i) == id; };
    std::size_t at = m_cursor;
    if (at >= m_at.size() || !matches(at)) {
        std::size_t low = 0;
        std::size_t high = m_at.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            const std::int32_t middleType = typeAt(middle);
            if (middleType < type || (middleType == type && idAt(middle) < id))
                low = middle + 1;
            else
                high = middle;
        }
        if (low == m_at.size() || !matches(low))
            return m_at.size();
        at = low;
    }
    m_cursor = at + 1;
    return at;
}

void MapIndex::setMade(std::size_t i)
{
    if (m_made.empty())
        m_made.resize(m_at.size(), false);
    if (!m_made[i]) {
        m_made[i] = true;
        --m_waiting;
    }
}

} // namespace lumivo::store
