#pragma once
// An archive file, or an entry's data, held in memory. The buffer grows in whole grow steps.

#include "packages/zip/ZipFileBase.h"

#include <vector>

class CZipMemoryFile : public CZipFileBase
{
public:
    explicit CZipMemoryFile(std::size_t growStep = 1024) : m_nGrowBy(growStep) {}
    ~CZipMemoryFile() override { Close(); }
    CZipMemoryFile(const CZipMemoryFile&) = delete;
    CZipMemoryFile& operator=(const CZipMemoryFile&) = delete;

    void Close() override;
    void Flush() override {}
    std::uint64_t GetPosition() const override { return m_nPos; }
    std::uint64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t GetLength() const override { return m_nDataSize; }
    void SetLength(std::uint64_t length) override;
    QString GetFilePath() const override { return {}; }
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    // Open from construction until Close(): an archive created in a fresh memory file still gets its
    // end record, although no byte has been written yet.
    bool IsClosed() const override { return m_bClosed; }

    // The bytes held (GetLength() of them).
    const char* data() const { return m_buffer.data(); }
    std::vector<char> bytes() const { return {m_buffer.begin(), m_buffer.begin() + m_nDataSize}; }
    // Replaces the contents with the given bytes, positioned at the start.
    void Attach(const void* data, std::size_t size);
    std::size_t GetBufferSize() const { return m_buffer.size(); }

private:
    void Grow(std::size_t wanted);

    std::size_t m_nGrowBy;
    std::size_t m_nPos = 0;
    std::size_t m_nDataSize = 0;
    // Bytes beyond the data length are always zero, so a gap left by a seek past the end reads as zeros.
    std::vector<char> m_buffer;
    bool m_bClosed = false;
};
