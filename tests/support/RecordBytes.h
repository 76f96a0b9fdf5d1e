#pragma once
// The stored bytes of a bound record, read and replaced whole, for tests of stored forms.

#include "core/ResourceHandle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace lumivo::test
{

inline std::vector<std::uint8_t> recordBytes(CMyRes& record)
{
    const std::uint8_t* data = record.GetData();
    return data ? std::vector<std::uint8_t>(data, data + record.GetSize()) : std::vector<std::uint8_t>();
}

inline void setRecordBytes(CMyRes& record, const std::vector<std::uint8_t>& bytes)
{
    ASSERT_EQ(record.SetSize(std::uint32_t(bytes.size())), RES_OK);
    if (!bytes.empty())
        std::memcpy(record.GetData(), bytes.data(), bytes.size());
}

} // namespace lumivo::test
