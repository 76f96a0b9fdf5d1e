#include "packages/zip/ZipMemoryFile.h"

#include "packages/zip/ZipException.h"

#include <cstring>
#include <new>

void CZipMemoryFile::Close()
{
    std::vector<char>().swap(m_buffer);
    m_nPos = 0;
    m_nDataSize = 0;
    m_bClosed = true;
}

std::uint64_t CZipMemoryFile::Seek(std::int64_t offset, int origin)
{
    std::int64_t base;
    switch (origin) {
    case begin:
        base = 0;
        break;
    case current:
        base = static_cast<std::int64_t>(m_nPos);
        break;
    case end:
        base = static_cast<std::int64_t>(m_nDataSize);
        break;
    default:
        return m_nPos;
    }
    const std::int64_t target = base + offset;
    if (target < 0)
        ThrowZipException(CZipException::invalidArgument);
    m_nPos = static_cast<std::size_t>(target);
    return m_nPos;
}

void CZipMemoryFile::SetLength(std::uint64_t length)
{
    m_bClosed = false;
    const auto size = static_cast<std::size_t>(length);
    if (size > m_buffer.size()) {
        Grow(size);
    } else {
        // Bytes cut off are cleared so that a later growth of the data reads zeros there.
        if (size < m_nDataSize)
            std::memset(m_buffer.data() + size, 0, m_nDataSize - size);
        m_nPos = size;
    }
    m_nDataSize = size;
}

std::size_t CZipMemoryFile::Read(void* buffer, std::size_t count)
{
    if (m_nPos >= m_nDataSize)
        return 0;
    const std::size_t n = std::min(count, m_nDataSize - m_nPos);
    std::memcpy(buffer, m_buffer.data() + m_nPos, n);
    m_nPos += n;
    return n;
}

void CZipMemoryFile::Write(const void* buffer, std::size_t count)
{
    m_bClosed = false;
    if (count == 0)
        return;
    if (m_nPos + count > m_buffer.size())
        Grow(m_nPos + count);
    std::memcpy(m_buffer.data() + m_nPos, buffer, count);
    m_nPos += count;
    if (m_nPos > m_nDataSize)
        m_nDataSize = m_nPos;
}

void CZipMemoryFile::Attach(const void* data, std::size_t size)
{
    Close();
    Write(data, size);
    m_nPos = 0;
}

void CZipMemoryFile::Grow(std::size_t wanted)
{
    if (m_buffer.size() >= wanted)
        return;
    if (m_nGrowBy == 0)
        ThrowZipException(CZipException::memError);
    const std::size_t steps = (wanted - m_buffer.size() + m_nGrowBy - 1) / m_nGrowBy;
    try {
        m_buffer.resize(m_buffer.size() + steps * m_nGrowBy, 0);
    } catch (const std::bad_alloc&) {
        ThrowZipException(CZipException::memError);
    } catch (const std::length_error&) {
        ThrowZipException(CZipException::memError);
    }
}
