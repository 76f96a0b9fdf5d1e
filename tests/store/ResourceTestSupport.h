#pragma once
// Small helpers shared by the resource store's tests.

#include "platform/archive/Archive.h"
#include "platform/files/FileSystem.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace lumivo::test
{

// Closes every file of the store when it goes out of scope: declared after a file system that a test
// installs, it closes the files before that file system goes.
struct StoreClosedAtScopeEnd {
    ~StoreClosedAtScopeEnd() { theResMgr.CloseAll(); }
};

inline void writeBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    auto file = lumivo::files::fileSystem().open(path, lumivo::files::OpenMode::CreateReadWrite);
    ASSERT_TRUE(file);
    ASSERT_TRUE(bytes.empty() || file->write(bytes.data(), bytes.size()));
}

inline std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t(bytes.at(at)) | std::uint32_t(bytes.at(at + 1)) << 8 |
           std::uint32_t(bytes.at(at + 2)) << 16 | std::uint32_t(bytes.at(at + 3)) << 24;
}

inline void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// Closes a file and opens it again from its path; gives the new file number.
inline int reopenFile(int file)
{
    const QString path = GetResFilePath(file);
    EXPECT_EQ(CloseResFile(file), RES_OK);
    int again = 0;
    EXPECT_EQ(OpenResFile(&again, path), RES_OK);
    return again;
}

// Puts bytes into a record (id, type) of a file through a byte handle, and commits it.
inline int putRecord(int file, std::int32_t type, std::int32_t id, const std::string& bytes,
                     const QString& name = {})
{
    CMyByteRes handle;
    if (ResourceExists(id, type, file))
        AttachResource(&handle, id, type, file);
    else if (handle.Create() != RES_OK)
        return handle.GetLastError();
    handle.SetSize(static_cast<std::uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(handle.GetData(), bytes.data(), bytes.size());
    if (!name.isEmpty())
        handle.SetName(name);
    return handle.GetFile() == file ? handle.Commit() : handle.SaveAs(id, file, type);
}

// The bytes of a record as the store reads them, in a string; "<missing>" when there is no such record.
inline std::string storedRecordString(int file, std::int32_t type, std::int32_t id)
{
    CMyByteRes handle;
    if (AttachResource(&handle, id, type, file) != RES_OK)
        return "<missing>";
    const std::uint8_t* data = handle.GetData();
    const std::int64_t size = handle.GetSize();
    return data ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string();
}

// A stored object with two fields, as the data classes are built.
class TestNote : public CMyRes
{
public:
    TestNote() { m_owner = this; }
    std::int32_t GetType() const override { return m_entry ? m_entry->GetType() : m_unboundType; }
    void Exchange(bool store) override { ArchiveData(store); }
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            archive << m_number << m_text;
        } else {
            m_number = 7;
            m_text = QStringLiteral("default");
            archive >> m_number >> m_text;
        }
    }

    std::int32_t m_unboundType = RESTYPE_WORD; // the type to look for when loading
    std::int32_t m_number = 7;
    QString m_text = QStringLiteral("default");
};

} // namespace lumivo::test
