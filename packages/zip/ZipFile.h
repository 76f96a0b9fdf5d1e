#pragma once
// The disk file behind an archive, over the program's file layer.

#include "packages/zip/ZipFileBase.h"

#include "platform/files/FileSystem.h"

#include <memory>
#include <stdexcept>

// A disk file that could not be opened (missing, no permission, a folder): the file layer's failure,
// kept apart from the archive's own causes.
class ZipFileError : public std::runtime_error
{
public:
    ZipFileError(const QString& path, int error);
    QString m_path;
    int m_error; // errno at the failure, 0 when unknown
};

class CZipFile : public CZipFileBase
{
public:
    enum OpenFlags { modeRead = 0, modeReadWrite = 1, modeCreate = 2 };

    CZipFile() = default;
    ~CZipFile() override = default;

    // Opens the file in one of the OpenFlags; when it cannot be opened, throws ZipFileError when asked,
    // else returns false.
    bool Open(const QString& path, int flags, bool throwOnError) override;
    void Close() override { m_file.reset(); }
    void Flush() override;
    std::uint64_t GetPosition() const override;
    std::uint64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t GetLength() const override;
    void SetLength(std::uint64_t length) override;
    QString GetFilePath() const override { return m_path; }
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    bool IsClosed() const override { return !m_file; }

private:
    [[noreturn]] void ThrowIoError() const;

    std::unique_ptr<lumivo::files::File> m_file;
    QString m_path;
};
