#pragma once
// What the archive needs of the file system beyond reading and writing one file: attributes, times,
// free space, temporary names, folders. Opening, removing and renaming go through the program's file
// layer; attributes, times and free space, which that layer does not carry, use POSIX directly.
// Attributes are given in the DOS form (0x10 folder, 0x01 read-only, 0x20 archive) with the Unix mode
// in the high 16 bits when it is known.

#include <QString>

#include <cstdint>
#include <ctime>

namespace ZipPlatformOps
{

constexpr std::uint32_t kDefaultFileAttributes = 0x81A40020;
constexpr std::uint32_t kDefaultFolderAttributes = 0x41FF0010;

std::uint64_t FreeSpaceOfDrive(const QString& path);
bool FileSizeOfPath(const QString& path, std::uint64_t& size);
// A free name "ZAR..." in the folder when it has the room, else in the system's temporary folder;
// empty when neither has room.
QString MakeTempFileName(const QString& folder, std::uint64_t neededBytes);
QString CurrentFolder();
bool WriteAttributes(const QString& path, std::uint32_t attributes);
bool ReadAttributes(const QString& path, std::uint32_t& attributes);
bool ReadModTime(const QString& path, std::time_t& time);
bool WriteModTime(const QString& path, std::time_t time);
enum PathKindResult : int {
    pathMissing = 0,
    pathFolder = -1,
    pathFile = 1,
};
// A PathKindResult.
int PathKind(const QString& path);
// There are no removable drives in the sense of disk-spanning here: every archive is on a fixed one.
inline bool IsRemovableDrive(const QString&)
{
    return false;
}
inline bool WriteVolumeLabel(const QString&, const QString&)
{
    return false;
}
// Throws cause 113 / 114 when asked, else returns false.
bool DeletePath(const QString& path, bool throwOnError);
bool MovePath(const QString& from, const QString& to, bool throwOnError);
inline bool HasFolderBit(std::uint32_t attributes)
{
    return (attributes & 0x10) != 0;
}
// Converts single-byte text in place between the program's code page (Windows-1252) and the OEM code
// page of DOS hosts (850); a character the target cannot hold becomes "?".
void ConvertCodePage(QByteArray& buffer, bool toOem);
bool EnterFolder(const QString& path);
bool MakeFolder(const QString& path);
bool FolderExists(const QString& path);
bool MakeFolderTree(const QString& path);
// Path text, with "/" and "\\" both counting as separators: the path without separators at its end, and
// its last component.
QString StripTrailingSeparators(QString path);
QString LastPathComponent(const QString& path);
// True when some existing element of `relative` below `folder` is a symbolic link, so that writing
// there could land outside the folder.
bool PassesThroughLink(const QString& folder, const QString& relative);

} // namespace ZipPlatformOps

// A path split into prefix (a "\\?\unc\" start), folder, name and extension, and joined again.
class CZipPath
{
public:
    explicit CZipPath(const QString& path = {}) { SetFullPath(path); }
    void SetFullPath(const QString& path);
    QString GetFullPath() const;
    QString DriveAndFolder() const;
    QString GetFileName() const { return m_extension.isEmpty() ? m_name : m_name + '.' + m_extension; }

    QString m_prefix;
    QString m_folder;
    QString m_name;
    QString m_extension;
};
