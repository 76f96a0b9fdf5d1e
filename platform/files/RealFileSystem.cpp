#include "platform/files/RealFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace lumivo::files
{

namespace
{

QByteArray native(const QString& path)
{
    return path.toUtf8();
}

class PosixFile : public File
{
public:
    PosixFile(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixFile() override { ::close(m_fd); }

    std::int64_t read(void* buffer, std::size_t n) override
    {
        ssize_t got;
        do {
            got = ::pread(m_fd, buffer, n, static_cast<off_t>(m_position));
        } while (got < 0 && errno == EINTR);
        if (got > 0)
            m_position += static_cast<std::uint64_t>(got);
        return got;
    }

    bool write(const void* buffer, std::size_t n) override
    {
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        while (n > 0) {
            const ssize_t put = ::pwrite(m_fd, in, n, static_cast<off_t>(m_position));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            m_position += static_cast<std::uint64_t>(put);
            in += put;
            n -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool seek(std::uint64_t position) override
    {
        m_position = position;
        return true;
    }
    std::uint64_t position() const override { return m_position; }

    std::int64_t length() const override
    {
        struct stat st {
        };
        if (::fstat(m_fd, &st) != 0)
            return kIoError;
        return st.st_size;
    }

    bool setLength(std::uint64_t length) override
    {
        return ::ftruncate(m_fd, static_cast<off_t>(length)) == 0;
    }

    bool flush() override { return ::fsync(m_fd) == 0; }
    QString path() const override { return m_path; }

private:
    int m_fd;
    QString m_path;
    std::uint64_t m_position = 0;
};

} // namespace

std::unique_ptr<File> RealFileSystem::open(const QString& path, OpenMode mode)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case OpenMode::CreateReadWrite:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    const int fd = ::open(native(path).constData(), flags, 0644);
    if (fd < 0)
        return nullptr;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, path);
}

FileInfo RealFileSystem::info(const QString& path)
{
    FileInfo result;
    struct stat st {
    };
    const QByteArray name = native(path);
    if (::stat(name.constData(), &st) != 0)
        return result;
    result.exists = true;
    result.isDirectory = S_ISDIR(st.st_mode);
    result.readable = ::access(name.constData(), R_OK) == 0;
    result.writable = ::access(name.constData(), W_OK) == 0;
    result.size = static_cast<std::uint64_t>(st.st_size);
    result.modified = st.st_mtime;
    return result;
}

bool RealFileSystem::remove(const QString& path)
{
    return ::unlink(native(path).constData()) == 0;
}

bool RealFileSystem::rename(const QString& from, const QString& to)
{
    return ::rename(native(from).constData(), native(to).constData()) == 0;
}

bool RealFileSystem::makeDirectories(const QString& path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(native(path).toStdString()), error);
    return !error && info(path).isDirectory;
}

std::vector<QString> RealFileSystem::list(const QString& folder)
{
    std::vector<QString> names;
    DIR* dir = ::opendir(native(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QString::fromUtf8(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool RealFileSystem::flushDirectory(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace lumivo::files
