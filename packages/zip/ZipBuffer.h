#pragma once
// An owned block of bytes: names, extra fields, comments and the working buffers of the archive.

#include <cstddef>
#include <cstdint>
#include <memory>

class CZipBuffer
{
public:
    CZipBuffer() = default;
    explicit CZipBuffer(std::size_t size, bool zeroFill = false) { Allocate(size, zeroFill); }
    CZipBuffer(const CZipBuffer& other) { *this = other; }
    CZipBuffer& operator=(const CZipBuffer& other);
    CZipBuffer(CZipBuffer&&) noexcept = default;
    CZipBuffer& operator=(CZipBuffer&&) noexcept = default;

    // Keeps the block when the size is unchanged; otherwise replaces it. Size 0 leaves it empty.
    char* Allocate(std::size_t size, bool zeroFill = false);
    void Release();
    // Replaces the contents with a copy of the given bytes.
    void Assign(const void* data, std::size_t size);

    char* GetBuffer() { return m_data.get(); }
    const char* GetBuffer() const { return m_data.get(); }
    std::size_t GetSize() const { return m_size; }
    bool IsAllocated() const { return m_data != nullptr; }
    operator char*() { return m_data.get(); }
    operator const char*() const { return m_data.get(); }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
};
