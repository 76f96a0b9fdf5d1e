#include "packages/zip/ZipFile.h"

#include "packages/zip/ZipException.h"

#include <cerrno>
#include <cstring>

// A failing call's errno goes through as the cause, so the named causes must be the C library's numbers.
static_assert(CZipException::ioError == EIO && CZipException::badFileNumber == EBADF &&
              CZipException::invalidArgument == EINVAL && CZipException::tooLarge == EFBIG &&
              CZipException::illegalSeek == ESPIPE && CZipException::readOnlyFileSystem == EROFS);

ZipFileError::ZipFileError(const QString& path, int error)
    : std::runtime_error(QStringLiteral("Cannot open %1: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                             .toStdString()),
      m_path(path), m_error(error)
{
}

bool CZipFile::Open(const QString& path, int flags, bool throwOnError)
{
    using lumivo::files::OpenMode;
    const OpenMode mode = flags == modeCreate      ? OpenMode::CreateReadWrite
                          : flags == modeReadWrite ? OpenMode::ReadWrite
                                                   : OpenMode::Read;
    errno = 0;
    m_file = lumivo::files::fileSystem().open(path, mode);
    m_path = path;
    if (!m_file) {
        const int error = errno ? errno : ENOENT;
        if (throwOnError)
            throw ZipFileError(path, error);
        return false;
    }
    return true;
}

void CZipFile::ThrowIoError() const
{
    // The file layer leaves errno set by the failing call; a fault of another kind is an I/O error.
    const int error = errno;
    ThrowZipException(
        error > 0 && error <= CZipException::readOnlyFileSystem ? error : CZipException::ioError, m_path);
}

void CZipFile::Flush()
{
    errno = 0;
    if (m_file && !m_file->flush())
        ThrowIoError();
}

std::uint64_t CZipFile::GetPosition() const
{
    return m_file ? m_file->position() : 0;
}

std::uint64_t CZipFile::Seek(std::int64_t offset, int origin)
{
    std::int64_t base = 0;
    if (origin == current)
        base = static_cast<std::int64_t>(GetPosition());
    else if (origin == end)
        base = static_cast<std::int64_t>(GetLength());
    const std::int64_t target = base + offset;
    if (target < 0)
        ThrowZipException(CZipException::invalidArgument, m_path);
    if (!m_file || !m_file->seek(static_cast<std::uint64_t>(target)))
        ThrowZipException(CZipException::illegalSeek, m_path);
    return static_cast<std::uint64_t>(target);
}

std::uint64_t CZipFile::GetLength() const
{
    const std::int64_t length = m_file ? m_file->length() : lumivo::files::File::kIoError;
    if (length < 0)
        ThrowZipException(CZipException::ioError, m_path);
    return static_cast<std::uint64_t>(length);
}

void CZipFile::SetLength(std::uint64_t length)
{
    errno = 0;
    if (!m_file || !m_file->setLength(length))
        ThrowIoError();
}

std::size_t CZipFile::Read(void* buffer, std::size_t count)
{
    if (!m_file)
        ThrowZipException(CZipException::badFileNumber, m_path);
    errno = 0;
    const std::int64_t got = m_file->read(buffer, count);
    if (got < 0)
        ThrowIoError();
    return static_cast<std::size_t>(got);
}

void CZipFile::Write(const void* buffer, std::size_t count)
{
    if (!m_file)
        ThrowZipException(CZipException::badFileNumber, m_path);
    errno = 0;
    if (count && !m_file->write(buffer, count))
        ThrowIoError();
}
