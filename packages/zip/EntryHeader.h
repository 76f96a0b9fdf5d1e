#pragma once
// Everything the archive knows about one entry, and its local and central headers in the published
// ZIP layout. In memory an entry's name is kept in this system's form: UTF-8 with "\" separators.

#include "packages/zip/ZipBuffer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <ctime>

class CZipVolumeStore;

// Host systems of the version-made-by field that the library understands.
enum ZipHostSystem { zipHostDos = 0, zipHostUnix = 3, zipHostOs2 = 6, zipHostMac = 7, zipHostNtfs = 10 };

namespace ZipAttrMap
{
bool IsSupportedSystem(int system);
// Converts attributes between host systems through the DOS form; a system without a converter throws
// cause 115.
std::uint32_t Convert(std::uint32_t attributes, int fromSystem, int toSystem);
// Entry names between this system's form and the archive's. `utf8` says whether the archive bytes
// are UTF-8 (general purpose flag bit 11) rather than the OEM code page of a DOS host.
QByteArray NameToArchive(const QByteArray& systemName, int hostSystem, bool& utf8);
QByteArray NameFromArchive(const QByteArray& archiveName, int hostSystem, bool utf8);
// The OEM code page of DOS hosts (850): a character's byte (noOemByte when it has none), and a byte's
// character.
constexpr int noOemByte = -1;
int ToOem(char16_t character);
char16_t FromOem(unsigned char byte);
} // namespace ZipAttrMap

// How the archive compares entry names (less than, equal to or greater than 0): with collation in the
// order of the text, case-sensitive or ignoring case; without it byte by byte, or folding case.
using ZipNameCompare = int (*)(const QString&, const QString&);
ZipNameCompare GetNameCompare(bool caseSensitive, bool collate);

class CZipEntryHeader
{
public:
    static constexpr std::uint32_t kLocalSignature = 0x04034B50;
    static constexpr std::uint32_t kCentralSignature = 0x02014B50;
    static constexpr std::size_t kLocalSize = 30;
    static constexpr std::size_t kCentralSize = 46;
    static constexpr std::uint16_t kUtf8NameFlag = 0x800;

    CZipEntryHeader() = default;
    virtual ~CZipEntryHeader() = default;
    CZipEntryHeader(const CZipEntryHeader&) = default;
    CZipEntryHeader& operator=(const CZipEntryHeader&) = default;

    bool ReadCentralHeader(CZipVolumeStore& storage);
    std::size_t WriteCentralHeader(CZipVolumeStore& storage);
    bool ReadLocalHeader(CZipVolumeStore& storage, std::uint16_t& extraFieldLength);
    void WriteLocalHeader(CZipVolumeStore& storage);
    bool PrepareForWriting(int level, bool dataDescriptor, bool encrypted);

    void CopyCrcAndSizes(char* out12) const;
    bool MatchesCrcAndSizes(const char* in12) const;
    std::size_t HeaderSize(bool local) const;

    std::time_t GetTime() const;
    void SetTime(std::time_t time);

    void SetFileName(const QString& name);
    QString GetFileName() const;
    // The name bytes in this system's form.
    QByteArray GetFileNameBytes() const;
    void SetFileNameBytes(const QByteArray& name);
    void SetComment(const QString& comment);
    QString GetComment() const;

    // The name as it is stored in the archive, and the reverse (the flags' bit 11 follows the bytes).
    QByteArray GetArchiveName() const;
    void SetNameFromArchive(const QByteArray& archiveName);

    bool IsDirectory() const { return (GetAttributesForThisSystem() & 0x10) != 0; }
    bool IsEncrypted() const { return (m_uFlag & 1) != 0; }
    bool IsDataDescriptor() const { return (m_uFlag & 8) != 0; }
    int GetSystemCompatibility() const { return m_uVersionMadeBy >> 8; }
    void SetSystemCompatibility(int system);
    std::uint32_t GetAttributesForThisSystem() const;
    void SetAttributesFromThisSystem(std::uint32_t attributes);
    // Compressed size without the encryption header.
    std::uint32_t GetEffectiveComprSize() const;

    std::uint32_t m_uSignature = kCentralSignature;
    std::uint16_t m_uVersionMadeBy = 20;
    std::uint16_t m_uVersionNeeded = 20;
    std::uint16_t m_uFlag = 0;
    std::uint16_t m_uMethod = 8;
    std::uint16_t m_uModTime = 0;
    std::uint16_t m_uModDate = 0;
    std::uint32_t m_uCrc32 = 0;
    std::uint32_t m_uComprSize = 0;
    std::uint32_t m_uUncomprSize = 0;
    std::uint16_t m_uDiskStart = 0;
    std::uint16_t m_uInternalAttr = 0;
    std::uint32_t m_uExternalAttr = 0;
    // Relative to the archive's start; absolute in the file while the entry is being written. Kept in
    // 64 bits so that an archive growing past the format's 4 GiB is noticed instead of wrapping.
    std::uint64_t m_uOffset = 0;
    CZipBuffer m_pExtraField;
    CZipBuffer m_pszFileName;
    CZipBuffer m_pszComment;

private:
    // The fields both headers hold, from the version needed to the extra field's length.
    void PutSharedFields(char*& out, std::size_t nameSize) const;
};
