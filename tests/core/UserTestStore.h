#pragma once
// Small helpers for tests that keep users, levels and words in real resource files.

#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"

#include <gtest/gtest.h>

#include <QString>

namespace lumivo::test
{

// A new, saved resource file at `path` with the given data version; returns its number.
inline int makeResourceFile(const QString& path, std::uint32_t version = MakeResFileVersion(2, 0, 61))
{
    int number = 0;
    EXPECT_EQ(FindOrAddResFile(&number, path), 0);
    SetResFileVersion(number, version);
    SetResFileKind(number, 1);
    EXPECT_EQ(SaveResFile(number), 0);
    return number;
}

// Stores `object` under (id, type) in `file`: it becomes the record's content at the next save.
inline void storeInFile(CMyRes& object, std::int32_t id, int file, std::int32_t type)
{
    ASSERT_EQ(object.SaveAs(id, file, type), 0);
}

// Saves the file, closes it and opens it again, so what follows reads from the disk; returns the new
// file number.
inline int saveAndReopen(int file)
{
    const QString path = GetResFilePath(file);
    EXPECT_EQ(SaveResFile(file), 0);
    EXPECT_EQ(CloseResFile(file), 0);
    int number = 0;
    EXPECT_EQ(OpenResFile(&number, path), 0);
    return number;
}

} // namespace lumivo::test
