#pragma once
// The file an archive lives in: a disk file (CZipFile) or a block of memory (CZipMemoryFile).
// Positions and lengths are 64-bit; the ZIP format's own 32-bit limits are checked where the
// archive writes its fields.

#include <QString>

#include <cstddef>
#include <cstdint>

class CZipFileBase
{
public:
    enum SeekOrigin { begin = 0, current = 1, end = 2 };

    virtual ~CZipFileBase() = default;

    virtual bool Open(const QString& /*path*/, int /*flags*/, bool /*throwOnError*/) { return true; }
    virtual void Close() = 0;
    virtual void Flush() = 0;
    virtual std::uint64_t GetPosition() const = 0;
    // Returns the new position; a position before the start throws cause 22.
    virtual std::uint64_t Seek(std::int64_t offset, int origin) = 0;
    virtual std::uint64_t GetLength() const = 0;
    virtual void SetLength(std::uint64_t length) = 0;
    std::uint64_t SeekToBegin() { return Seek(0, begin); }
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    virtual QString GetFilePath() const = 0;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual bool IsClosed() const = 0;
};
