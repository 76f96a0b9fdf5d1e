#include "core/ResourceFile.h"

#include "core/ResourceManager.h"

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

} // namespace lumivo::store
