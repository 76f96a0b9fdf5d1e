#include "packages/zip/ZipPlatformOps.h"

#include "packages/zip/EntryHeader.h"
#include "packages/zip/ZipException.h"
#include "platform/archive/Cp1252.h"
#include "platform/files/FileSystem.h"

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

namespace ZipPlatformOps
{

namespace
{
QByteArray native(const QString& path)
{
    return path.toUtf8();
}
} // namespace

std::uint64_t FreeSpaceOfDrive(const QString& path)
{
    struct statvfs st {
    };
    QString probe = path;
    while (!probe.isEmpty() && PathKind(probe) == pathMissing)
        probe = lumivo::files::folderOf(probe) == probe ? QString() : lumivo::files::folderOf(probe);
    if (probe.isEmpty() || ::statvfs(native(probe).constData(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

bool FileSizeOfPath(const QString& path, std::uint64_t& size)
{
    const auto info = lumivo::files::fileSystem().info(path);
    if (!info.exists || info.isDirectory)
        return false;
    size = info.size;
    return true;
}

QString MakeTempFileName(const QString& folder, std::uint64_t neededBytes)
{
    static std::mt19937_64 generator{std::random_device{}()};
    QStringList candidates;
    if (!folder.isEmpty())
        candidates << folder;
    candidates << QDir::tempPath() << CurrentFolder();
    for (const QString& candidate : candidates) {
        if (PathKind(candidate) != pathFolder || FreeSpaceOfDrive(candidate) < neededBytes)
            continue;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString name = QStringLiteral("%1/ZAR%2.tmp")
                                     .arg(candidate)
                                     .arg(generator() & 0xFFFFFFFFFFull, 10, 36, QLatin1Char('0'));
            if (!lumivo::files::fileSystem().exists(name))
                return name;
        }
    }
    return {};
}

QString CurrentFolder()
{
    return QDir::currentPath();
}

bool WriteAttributes(const QString& path, std::uint32_t attributes)
{
    mode_t mode = (attributes >> 16) & 07777;
    if (mode == 0) {
        const bool folder = HasFolderBit(attributes);
        mode = folder ? 0755 : 0644;
        if (attributes & 0x01)
            mode &= ~0222u;
    }
    return ::chmod(native(path).constData(), mode & 0777) == 0;
}

bool ReadAttributes(const QString& path, std::uint32_t& attributes)
{
    struct stat st {
    };
    if (::stat(native(path).constData(), &st) != 0)
        return false;
    std::uint32_t dos = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
    if (!(st.st_mode & S_IWUSR))
        dos |= 0x01;
    attributes = dos | (static_cast<std::uint32_t>(st.st_mode & 0xFFFF) << 16);
    return true;
}

bool ReadModTime(const QString& path, std::time_t& time)
{
    const auto info = lumivo::files::fileSystem().info(path);
    if (!info.exists)
        return false;
    time = info.modified;
    return true;
}

bool WriteModTime(const QString& path, std::time_t time)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = time;
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, native(path).constData(), times, 0) == 0;
}

int PathKind(const QString& path)
{
    const auto info = lumivo::files::fileSystem().info(path);
    if (!info.exists)
        return pathMissing;
    return info.isDirectory ? pathFolder : pathFile;
}

bool DeletePath(const QString& path, bool throwOnError)
{
    errno = 0;
    if (lumivo::files::fileSystem().remove(path))
        return true;
    if (throwOnError)
        ThrowZipException(CZipException::notRemoved, path);
    return false;
}

bool MovePath(const QString& from, const QString& to, bool throwOnError)
{
    errno = 0;
    if (lumivo::files::fileSystem().rename(from, to))
        return true;
    if (throwOnError)
        ThrowZipException(CZipException::notRenamed, from);
    return false;
}

void ConvertCodePage(QByteArray& buffer, bool toOem)
{
    for (char& byte : buffer) {
        if (static_cast<unsigned char>(byte) < 0x80)
            continue;
        if (toOem) {
            const int oem = ZipAttrMap::ToOem(fromWindows1252(&byte, 1).at(0).unicode());
            byte = oem == ZipAttrMap::noOemByte ? '?' : static_cast<char>(oem);
        } else {
            byte = toWindows1252(QString(QChar(ZipAttrMap::FromOem(static_cast<unsigned char>(byte))))).at(0);
        }
    }
}

bool EnterFolder(const QString& path)
{
    return QDir::setCurrent(path);
}

bool MakeFolder(const QString& path)
{
    return ::mkdir(native(path).constData(), 0777) == 0;
}

bool FolderExists(const QString& path)
{
    return PathKind(path) == pathFolder;
}

bool MakeFolderTree(const QString& path)
{
    if (path.isEmpty() || FolderExists(path))
        return true;
    return lumivo::files::fileSystem().makeDirectories(path);
}

QString StripTrailingSeparators(QString path)
{
    while (path.endsWith('/') || path.endsWith('\\'))
        path.chop(1);
    return path;
}

QString LastPathComponent(const QString& path)
{
    const QString trimmed = StripTrailingSeparators(path);
    return trimmed.mid(std::max(trimmed.lastIndexOf('/'), trimmed.lastIndexOf('\\')) + 1);
}

bool PassesThroughLink(const QString& folder, const QString& relative)
{
    namespace fs = std::filesystem;
    fs::path walk(native(folder).toStdString());
    for (const auto& element : fs::path(native(relative).toStdString())) {
        walk /= element;
        std::error_code error;
        const auto status = fs::symlink_status(walk, error);
        if (error || status.type() == fs::file_type::not_found)
            return false;
        if (status.type() == fs::file_type::symlink)
            return true;
    }
    return false;
}

} // namespace ZipPlatformOps

void CZipPath::SetFullPath(const QString& path)
{
    static const QString uncPrefix = QStringLiteral("\\\\?\\unc\\");
    m_prefix.clear();
    qsizetype common = 0;
    while (common < path.size() && common < uncPrefix.size() && path[common].toLower() == uncPrefix[common])
        ++common;
    if (common == 2 || common == 4 || common == 8)
        m_prefix = path.left(common);
    QString rest = path.mid(m_prefix.size());
    const qsizetype slash = std::max(rest.lastIndexOf('/'), rest.lastIndexOf('\\'));
    m_folder = slash >= 0 ? rest.left(slash) : QString();
    QString name = rest.mid(slash + 1);
    while (m_folder.endsWith('/') || m_folder.endsWith('\\'))
        m_folder.chop(1);
    if (slash == 0)
        m_folder = rest.left(1); // a folder at the root keeps its separator
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0) {
        m_name = name.left(dot);
        m_extension = name.mid(dot + 1);
    } else {
        m_name = name;
        m_extension.clear();
    }
}

QString CZipPath::DriveAndFolder() const
{
    if (m_prefix.isEmpty() || m_folder.isEmpty())
        return m_prefix + m_folder;
    return m_prefix + QStringLiteral("/") + m_folder;
}

QString CZipPath::GetFullPath() const
{
    const QString folder = DriveAndFolder();
    if (folder.isEmpty())
        return GetFileName();
    if (folder.endsWith('/') || folder.endsWith('\\'))
        return folder + GetFileName();
    return folder + QStringLiteral("/") + GetFileName();
}
