#include "packages/zip/ZipBuffer.h"

#include <cstring>

CZipBuffer& CZipBuffer::operator=(const CZipBuffer& other)
{
    if (this != &other)
        Assign(other.GetBuffer(), other.GetSize());
    return *this;
}

char* CZipBuffer::Allocate(std::size_t size, bool zeroFill)
{
    if (size != m_size) {
        Release();
        if (size == 0)
            return nullptr;
        m_data.reset(new char[size]);
        m_size = size;
    }
    if (zeroFill && m_data)
        std::memset(m_data.get(), 0, m_size);
    return m_data.get();
}

void CZipBuffer::Release()
{
    m_data.reset();
    m_size = 0;
}

void CZipBuffer::Assign(const void* data, std::size_t size)
{
    Allocate(size);
    if (size)
        std::memcpy(m_data.get(), data, size);
}
