#pragma once
// The bytes of a resource file (.tvf): a 152-byte header, the blobs one after another, then a map
// that lists every blob. All integers little-endian. Only the resource manager reads or writes these.
// Layout: doc/formats/tvf.md

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace lumivo::store
{

constexpr std::size_t kHeaderSize = 152;
constexpr std::uint32_t kFormat514 = 514;
constexpr std::uint32_t kFormat515 = 515;
constexpr std::size_t kMapEntryFixedSize = 24; // plus the name bytes
constexpr std::size_t kMaxNameLength = 127;

struct ResFileHeader {
    std::uint32_t version = 0; // major << 16 | minor << 8 | build
    std::uint32_t format = kFormat515;
    std::uint32_t kind = 0;      // 1 output (data) file, 2 user file, 0 never set
    std::uint32_t mapOffset = 0; // counted from the end of the header
    std::uint32_t mapSize = 0;   // 0: no map yet
    std::array<std::uint8_t, 64> text{};
    std::uint32_t saveTime = 0; // seconds since 1970, 0 = not set
    std::array<std::uint8_t, 20> text2{};
    std::array<std::uint8_t, 44> extension{}; // the user value in its first four bytes, then zeros

    std::uint32_t userValue() const;
    void setUserValue(std::uint32_t value);
};

std::array<std::uint8_t, kHeaderSize> encodeHeader(const ResFileHeader& header);

// Reads a header: RES_OK, RES_ERR_SHORT_HEADER when fewer than 152 bytes are given, RES_ERR_BAD_FORMAT
// for a format other than 514 or 515 (the store's codes, store/ResourceManager.h). A format-514 header
// gets a zero extension.
int decodeHeader(const std::uint8_t* bytes, std::size_t size, ResFileHeader& header);

struct MapEntry {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::uint32_t offset = 0; // counted from the end of the header
    std::uint32_t size = 0;
    std::uint32_t stamp = 0;
    QByteArray name; // Windows-1252 bytes, no terminator
};

inline std::size_t mapEntrySize(std::size_t nameLength)
{
    return kMapEntryFixedSize + std::min(nameLength, kMaxNameLength);
}

// Appends one entry (24 + n bytes, the three padding bytes zero); names are cut to 127 bytes.
void appendMapEntry(std::vector<std::uint8_t>& map, const MapEntry& entry);

// One entry as it lies in a map's bytes; the name points into them.
struct MapEntryView {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t stamp = 0;
    const char* name = nullptr; // Windows-1252 bytes, no terminator
    std::size_t nameLength = 0;
};

// Reads the entry at `at` of a map of `size` bytes and moves `at` past it: RES_OK, or RES_ERR_BAD_FORMAT
// when the entry runs past the map's end or has a name length above 127.
int readMapEntry(const std::uint8_t* bytes, std::size_t size, std::size_t& at, MapEntryView& entry);

// Whether an extent (offset counted from the end of the header) lies inside a file of `fileLength` bytes.
inline bool extentInside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileLength)
{
    return kHeaderSize + offset + size <= fileLength;
}

// Little-endian helpers for the store's own byte work.
inline void putUint32(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint32_t getUint32(const std::uint8_t* in)
{
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
           std::uint32_t(in[3]) << 24;
}

// A map's bytes, given back to the memory they came from.
struct GiveBackTo {
    std::pmr::memory_resource* memory = nullptr;
    std::size_t size = 0;
    void operator()(std::uint8_t* bytes) const { memory->deallocate(bytes, size); }
};
using MapBytes = std::unique_ptr<std::uint8_t[], GiveBackTo>;
// Uninitialised bytes from `memory`; throws std::bad_alloc as it does.
MapBytes allocateMapBytes(std::pmr::memory_resource* memory, std::size_t size);

// The entries of a map as read at open, before the store makes record objects of them: the map's
// bytes and one flat array of where each entry starts, in the store's order (type, then id, signed;
// equal keys in map order). A map that the store wrote is in that order already; another writer's is
// sorted here.
class MapIndex
{
public:
    // Where the index keeps where each entry starts.
    explicit MapIndex(std::pmr::memory_resource* memory = std::pmr::get_default_resource());

    // Takes a map's bytes and checks every entry in one pass (doc/formats/tvf.md, section 7); dead space
    // that lies outside the file is left out. RES_OK, or RES_ERR_BAD_FORMAT with the index left empty.
    int read(MapBytes bytes, std::size_t size, std::uint64_t fileLength);
    void clear();

    std::size_t size() const { return m_at.size(); }
    // Whether the index holds memory of the store's, as it does after a read even of a map without
    // entries, until cleared.
    bool holdsMemory() const { return m_bytes != nullptr || m_at.capacity() != 0; }
    std::int32_t idAt(std::size_t i) const { return static_cast<std::int32_t>(getUint32(&m_bytes[m_at[i]])); }
    std::int32_t typeAt(std::size_t i) const
    {
        return static_cast<std::int32_t>(getUint32(&m_bytes[m_at[i] + 4]));
    }
    MapEntryView entryAt(std::size_t i) const;
    // The position of the entry with these keys, or size(); for a type other than 0, whose keys are
    // unique in a map.
    std::size_t find(std::int32_t type, std::int32_t id);

    // The entries whose records the store has not made yet.
    std::size_t waiting() const { return m_waiting; }
    bool isMade(std::size_t i) const { return !m_made.empty() && m_made[i]; }
    void setMade(std::size_t i);

private:
    bool hasDuplicateKey() const;

    MapBytes m_bytes;
    std::size_t m_size = 0;
    std::pmr::vector<std::uint32_t> m_at;
    std::vector<bool> m_made; // sized when the first record is made
    std::size_t m_waiting = 0;
    std::size_t m_cursor = 0; // behind the last entry found: look-ups often go in key order
};

} // namespace lumivo::store
