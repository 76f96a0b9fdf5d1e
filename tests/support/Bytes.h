#pragma once
// Bytes for tests of stored forms: the whole content of a file, and the stored bytes of a bound record,
// read and replaced whole.

#include "platform/files/FileSystem.h"
#include "store/ResourceHandle.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace lumivo::test
{

// The whole content of a file, read through the program's file layer; empty when it cannot be read.
inline std::vector<std::uint8_t> fileBytes(const QString& path)
{
    std::vector<std::uint8_t> bytes;
    lumivo::files::readWholeFile(path, bytes);
    return bytes;
}

// The whole content of a file as Qt's bytes, read past the program's file layer; empty when it cannot
// be read.
inline QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes the file at `path` hold exactly `bytes`, past the program's file layer.
inline void replaceFileContent(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline std::vector<std::uint8_t> boundRecordBytes(CMyRes& record)
{
    const std::uint8_t* data = record.GetData();
    return data ? std::vector<std::uint8_t>(data, data + record.GetSize()) : std::vector<std::uint8_t>();
}

inline void setBoundRecordBytes(CMyRes& record, const std::vector<std::uint8_t>& bytes)
{
    ASSERT_EQ(record.SetSize(std::uint32_t(bytes.size())), RES_OK);
    if (!bytes.empty())
        std::memcpy(record.GetData(), bytes.data(), bytes.size());
}

} // namespace lumivo::test
