#include "platform/archive/MemFile.h"

#include "platform/archive/ArchiveException.h"

#include <algorithm>
#include <cstring>

CArchiveException::CArchiveException(Cause cause, const QString& detail)
    : std::runtime_error(detail.isEmpty() ? "archive stream error" : detail.toStdString()), m_cause(cause)
{
}

CMemFile::CMemFile(std::size_t growBytes) : m_growBytes(std::max<std::size_t>(growBytes, 1)) {}

CMemFile::CMemFile(const void* bytes, std::size_t size, std::size_t growBytes) : CMemFile(growBytes)
{
    Attach(bytes, size);
}

void CMemFile::Attach(const void* bytes, std::size_t size)
{
    // Copied aside first: the bytes may be this file's own.
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t> copy(first, first + (first ? size : 0));
    m_bytes.swap(copy);
    m_position = 0;
}

void CMemFile::Attach(const QByteArray& bytes)
{
    Attach(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CMemFile::Attach(const std::vector<std::uint8_t>& bytes)
{
    Attach(bytes.data(), bytes.size());
}

QByteArray CMemFile::Detach()
{
    QByteArray contents = toByteArray();
    DetachBytes();
    return contents;
}

std::vector<std::uint8_t> CMemFile::DetachBytes()
{
    std::vector<std::uint8_t> contents;
    contents.swap(m_bytes);
    m_position = 0;
    return contents;
}

std::size_t CMemFile::Read(void* buffer, std::size_t count)
{
    if (m_position >= m_bytes.size())
        return 0;
    const std::size_t available = static_cast<std::size_t>(m_bytes.size() - m_position);
    const std::size_t n = std::min(count, available);
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    const std::uint64_t endOfWrite = m_position + count;
    if (endOfWrite > m_bytes.size()) {
        reserveFor(endOfWrite);
        m_bytes.resize(endOfWrite, 0);
    }
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = endOfWrite;
}

std::uint64_t CMemFile::Seek(std::int64_t offset, SeekPosition from)
{
    std::int64_t base = 0;
    if (from == current)
        base = static_cast<std::int64_t>(m_position);
    else if (from == end)
        base = static_cast<std::int64_t>(m_bytes.size());
    const std::int64_t target = base + offset;
    if (target < 0)
        throw CArchiveException(CArchiveException::seekBeforeStart, "seek before the start of a memory file");
    m_position = static_cast<std::uint64_t>(target);
    return m_position;
}

void CMemFile::SetLength(std::uint64_t length)
{
    reserveFor(length);
    m_bytes.resize(length, 0);
    m_position = std::min(m_position, length);
}

QByteArray CMemFile::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), static_cast<qsizetype>(m_bytes.size()));
}

void CMemFile::reserveFor(std::uint64_t length)
{
    if (length <= m_bytes.capacity())
        return;
    // Whole grow steps, but at least doubling, so that a long stream of small writes stays linear.
    const std::uint64_t steps = (length + m_growBytes - 1) / m_growBytes;
    m_bytes.reserve(std::max<std::uint64_t>(steps * m_growBytes, 2 * m_bytes.capacity()));
}
