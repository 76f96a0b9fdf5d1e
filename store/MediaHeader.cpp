#include "store/MediaHeader.h"

#include "platform/archive/Archive.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/MemFile.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"

#include <cstring>

std::uint32_t ReadMediaHeader(CMyRes& resource, std::uint32_t minimumLength,
                              const std::function<void(CArchive&)>& readFields)
{
    const std::int64_t size = resource.GetSize();
    const std::uint8_t* data = size >= 4 ? resource.GetData() : nullptr;
    if (!data)
        return 0;
    // The length comes from the header itself, but never beyond the resource.
    const std::uint32_t length = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
    if (length < minimumLength || length < 4 || length > size)
        return 0;
    try {
        CMemFile file(data + 4, length - 4);
        CArchive archive(file, CArchive::load);
        readFields(archive);
        archive.Close();
    } catch (const CArchiveException&) {
        return 0;
    }
    return length;
}

std::uint32_t WriteMediaHeader(CMyRes& resource, const std::function<void(CArchive&)>& writeFields)
{
    CMemFile file;
    {
        CArchive archive(file, CArchive::store);
        writeFields(archive);
        archive.Close();
    }
    const std::vector<std::uint8_t> fields = file.DetachBytes();
    const auto length = std::uint32_t(fields.size() + 4);
    if (resource.SetSize(length) != RES_OK)
        return length;
    std::uint8_t* data = resource.GetData();
    if (!data)
        return length;
    for (int i = 0; i < 4; ++i)
        data[i] = std::uint8_t(length >> (8 * i));
    std::memcpy(data + 4, fields.data(), fields.size());
    return length;
}
