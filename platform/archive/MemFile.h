#pragma once
// A file in memory that grows as it is written, the medium of every archive stream the store keeps
// inside its records.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

class CMemFile
{
public:
    enum SeekPosition { begin, current, end };

    // The buffer grows in multiples of `growBytes`, so many small writes do not reallocate often.
    explicit CMemFile(std::size_t growBytes = 1024);
    CMemFile(const void* bytes, std::size_t size, std::size_t growBytes = 1024);

    // Replaces the contents with a copy of the bytes; the position goes to the start.
    void Attach(const void* bytes, std::size_t size);
    void Attach(const QByteArray& bytes);
    void Attach(const std::vector<std::uint8_t>& bytes);
    // Hands the contents over and leaves the file empty.
    QByteArray Detach();
    std::vector<std::uint8_t> DetachBytes();

    // Reads up to `count` bytes at the position and returns how many it read (0 at or past the end).
    std::size_t Read(void* buffer, std::size_t count);
    // Writes at the position, growing the file; a gap left by a seek past the end reads as zeros.
    void Write(const void* buffer, std::size_t count);
    // Moves the position, which may lie past the end; a position before the start throws
    // CArchiveException (seekBeforeStart) and leaves the position where it was.
    std::uint64_t Seek(std::int64_t offset, SeekPosition from = begin);
    void SeekToBegin() { Seek(0, begin); }
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    void SetLength(std::uint64_t length);

    std::uint64_t GetLength() const { return m_bytes.size(); }
    std::uint64_t GetPosition() const { return m_position; }
    std::size_t GetGrowBytes() const { return m_growBytes; }

    const std::uint8_t* data() const { return m_bytes.data(); }
    std::uint8_t* data() { return m_bytes.data(); }
    QByteArray toByteArray() const;

private:
    void reserveFor(std::uint64_t length);

    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_position = 0;
    std::size_t m_growBytes;
};
