#include "packages/zip/EntryHeader.h"

#include "packages/zip/ZipBytes.h"
#include "packages/zip/ZipException.h"
#include "packages/zip/ZipStorage.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace zipbytes;

namespace
{

// The OEM code page of DOS hosts (850, Western European), bytes 0x80 to 0xFF.
const char16_t kCp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
    0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
    0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

std::uint32_t unixToDos(std::uint32_t attributes)
{
    const bool folder = (attributes & 0x40000000) != 0;
    std::uint32_t dos = folder ? 0x10 : 0;
    if (!(attributes & 0x00400000))
        dos = folder ? 0x30 : 0x20;
    if (!(attributes & 0x00800000))
        dos |= 0x01;
    if (!(attributes & 0x01000000))
        dos |= 0x02;
    return dos;
}

std::uint32_t dosToUnix(std::uint32_t attributes)
{
    std::uint32_t mode = 0;
    const bool hidden = (attributes & 0x02) != 0;
    if (!hidden)
        mode = 0x01240000;
    if (!(attributes & 0x01))
        mode |= hidden ? 0x00900000 : 0x01B40000;
    if (attributes & 0x10) {
        // A folder needs the search bit wherever it may be read, or nothing in it can be reached.
        mode |= (mode >> 2) & 0x00490000;
        return mode | 0x40000010;
    }
    return mode | 0x80000000;
}

bool hasConverter(int system)
{
    return system == zipHostDos || system == zipHostUnix || system == zipHostOs2 || system == zipHostMac ||
           system == zipHostNtfs;
}

std::uint32_t toDosForm(std::uint32_t attributes, int system)
{
    if (system == zipHostUnix)
        return unixToDos(attributes);
    if (system == zipHostMac)
        return attributes & 0x11;
    return attributes;
}

std::uint32_t fromDosForm(std::uint32_t attributes, int system)
{
    if (system == zipHostUnix)
        return dosToUnix(attributes);
    if (system == zipHostMac)
        return attributes & 0x11;
    return attributes;
}

} // namespace

namespace ZipAttrMap
{

int ToOem(char16_t character)
{
    if (character < 0x80)
        return character;
    for (int i = 0; i < 128; ++i)
        if (kCp850High[i] == character)
            return 0x80 + i;
    return noOemByte;
}

char16_t FromOem(unsigned char byte)
{
    return byte < 0x80 ? byte : kCp850High[byte - 0x80];
}

bool IsSupportedSystem(int system)
{
    return hasConverter(system);
}

std::uint32_t Convert(std::uint32_t attributes, int fromSystem, int toSystem)
{
    if (fromSystem == toSystem || fromSystem >= 11 || toSystem >= 11)
        return attributes;
    if (!hasConverter(fromSystem) || !hasConverter(toSystem))
        ThrowZipException(CZipException::platfNotSupp);
    return fromDosForm(toDosForm(attributes, fromSystem), toSystem);
}

QByteArray NameToArchive(const QByteArray& systemName, int hostSystem, bool& utf8)
{
    QByteArray bytes = systemName;
    if (hostSystem == zipHostDos && !utf8) {
        const QString text = QString::fromUtf8(systemName);
        QByteArray oem;
        oem.reserve(text.size());
        bool representable = text.toUtf8() == systemName;
        for (qsizetype i = 0; representable && i < text.size(); ++i) {
            const int b = ToOem(text[i].unicode());
            if (b == noOemByte)
                representable = false;
            else
                oem.append(static_cast<char>(b));
        }
        // A name the OEM code page cannot hold is stored as UTF-8 and marked so.
        if (representable)
            bytes = oem;
        else
            utf8 = true;
    }
    bytes.replace('\\', '/');
    return bytes;
}

QByteArray NameFromArchive(const QByteArray& archiveName, int hostSystem, bool utf8)
{
    QByteArray bytes = archiveName;
    bytes.replace('/', '\\');
    if (hostSystem == zipHostDos && !utf8) {
        QString text;
        text.reserve(bytes.size());
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            text.append(QChar(FromOem(b)));
        }
        return text.toUtf8();
    }
    return bytes;
}

} // namespace ZipAttrMap

ZipNameCompare GetNameCompare(bool caseSensitive, bool collate)
{
    if (!collate && caseSensitive)
        return [](const QString& a, const QString& b) {
            const QByteArray x = a.toUtf8(), y = b.toUtf8();
            const int common = std::memcmp(x.constData(), y.constData(),
                                           static_cast<std::size_t>(std::min(x.size(), y.size())));
            return common ? common
                          : static_cast<int>(x.size() > y.size()) - static_cast<int>(x.size() < y.size());
        };
    // Names are compared in the order of their characters rather than by the locale's rules, which may
    // call two different names equal and would then find the wrong entry.
    if (caseSensitive)
        return [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseSensitive); };
    return [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); };
}

bool CZipEntryHeader::ReadCentralHeader(CZipVolumeStore& storage)
{
    char buffer[kCentralSize];
    storage.Read(buffer, kCentralSize, true);
    if (get32(buffer) != kCentralSignature)
        return false;
    const int volume = storage.GetCurrentVolume();
    m_uSignature = kCentralSignature;
    m_uVersionMadeBy = get16(buffer + 4);
    m_uVersionNeeded = get16(buffer + 6);
    m_uFlag = get16(buffer + 8);
    m_uMethod = get16(buffer + 10);
    m_uModTime = get16(buffer + 12);
    m_uModDate = get16(buffer + 14);
    m_uCrc32 = get32(buffer + 16);
    m_uComprSize = get32(buffer + 20);
    m_uUncomprSize = get32(buffer + 24);
    const std::uint16_t nameLength = get16(buffer + 28);
    const std::uint16_t extraLength = get16(buffer + 30);
    const std::uint16_t commentLength = get16(buffer + 32);
    m_uDiskStart = get16(buffer + 34);
    m_uInternalAttr = get16(buffer + 36);
    m_uExternalAttr = get32(buffer + 38);
    m_uOffset = get32(buffer + 42);
    m_pszFileName.Allocate(nameLength);
    storage.Read(m_pszFileName.GetBuffer(), nameLength, true);
    m_pExtraField.Allocate(extraLength);
    storage.Read(m_pExtraField.GetBuffer(), extraLength, true);
    m_pszComment.Allocate(commentLength);
    storage.Read(m_pszComment.GetBuffer(), commentLength, true);
    return storage.GetCurrentVolume() == volume;
}

void CZipEntryHeader::PutSharedFields(char*& out, std::size_t nameSize) const
{
    put16(out, m_uVersionNeeded);
    put16(out, m_uFlag);
    put16(out, m_uMethod);
    put16(out, m_uModTime);
    put16(out, m_uModDate);
    put32(out, m_uCrc32);
    put32(out, m_uComprSize);
    put32(out, m_uUncomprSize);
    put16(out, static_cast<std::uint32_t>(nameSize));
    put16(out, static_cast<std::uint32_t>(m_pExtraField.GetSize()));
}

namespace
{
void putBytes(char*& out, const char* bytes, std::size_t size)
{
    if (size)
        std::memcpy(out, bytes, size);
    out += size;
}
} // namespace

std::size_t CZipEntryHeader::WriteCentralHeader(CZipVolumeStore& storage)
{
    if (m_uOffset > 0xFFFFFFFFull)
        storage.ThrowError(CZipException::tooLarge);
    const QByteArray name = GetArchiveName();
    const std::size_t size = kCentralSize + name.size() + m_pExtraField.GetSize() + m_pszComment.GetSize();
    std::vector<char> block(size);
    char* out = block.data();
    put32(out, kCentralSignature);
    put16(out, m_uVersionMadeBy);
    PutSharedFields(out, name.size());
    put16(out, static_cast<std::uint32_t>(m_pszComment.GetSize()));
    put16(out, m_uDiskStart);
    put16(out, m_uInternalAttr);
    put32(out, m_uExternalAttr);
    put32(out, static_cast<std::uint32_t>(m_uOffset));
    putBytes(out, name.constData(), name.size());
    putBytes(out, m_pExtraField.GetBuffer(), m_pExtraField.GetSize());
    putBytes(out, m_pszComment.GetBuffer(), m_pszComment.GetSize());
    storage.Write(block.data(), size, true);
    return size;
}

bool CZipEntryHeader::ReadLocalHeader(CZipVolumeStore& storage, std::uint16_t& extraFieldLength)
{
    char buffer[kLocalSize];
    storage.Read(buffer, kLocalSize, true);
    if (get32(buffer) != kLocalSignature)
        return false;
    const std::uint16_t flags = get16(buffer + 6);
    if ((flags & 0xF) != (m_uFlag & 0xF))
        m_uFlag = static_cast<std::uint16_t>((m_uFlag & ~0xF) | (flags & 0xF));
    const std::uint16_t method = get16(buffer + 8);
    if (method != m_uMethod || (method != 0 && method != 8))
        return false;
    const std::uint16_t nameLength = get16(buffer + 26);
    if (nameLength != GetArchiveName().size())
        return false;
    if (!(flags & 8) && !MatchesCrcAndSizes(buffer + 14))
        return false;
    extraFieldLength = get16(buffer + 28);
    storage.GetFile()->Seek(nameLength, 1);
    return true;
}

void CZipEntryHeader::WriteLocalHeader(CZipVolumeStore& storage)
{
    const QByteArray name = GetArchiveName();
    const std::size_t size = kLocalSize + name.size() + m_pExtraField.GetSize();
    std::vector<char> block(size);
    char* out = block.data();
    put32(out, kLocalSignature);
    PutSharedFields(out, name.size());
    putBytes(out, name.constData(), name.size());
    putBytes(out, m_pExtraField.GetBuffer(), m_pExtraField.GetSize());
    const std::uint64_t start = storage.GetWritePosition();
    storage.Write(block.data(), size, true);
    m_pExtraField.Release();
    m_uDiskStart = static_cast<std::uint16_t>(storage.GetCurrentVolume());
    m_uOffset = start;
}

bool CZipEntryHeader::PrepareForWriting(int level, bool dataDescriptor, bool encrypted)
{
    m_uSignature = kCentralSignature;
    m_uInternalAttr = 0;
    m_uVersionNeeded = IsDirectory() ? 10 : 20;
    m_uVersionMadeBy = static_cast<std::uint16_t>((m_uVersionMadeBy & 0xFF00) | 20);
    m_uCrc32 = 0;
    m_uComprSize = 0;
    m_uUncomprSize = 0;
    if (level == 0)
        m_uMethod = 0;
    else if (m_uMethod != 0 && m_uMethod != 8)
        m_uMethod = 8;
    m_uFlag = 0;
    if (m_uMethod == 8) {
        if (level == 1)
            m_uFlag = 6;
        else if (level == 2)
            m_uFlag = 4;
        else if (level == 8 || level == 9)
            m_uFlag = 2;
    }
    if (dataDescriptor || encrypted)
        m_uFlag |= 8;
    if (encrypted) {
        m_uFlag |= 1;
        m_uComprSize = 12;
    }
    bool utf8 = false;
    const QByteArray name = ZipAttrMap::NameToArchive(GetFileNameBytes(), GetSystemCompatibility(), utf8);
    if (utf8)
        m_uFlag |= kUtf8NameFlag;
    return name.size() <= 0xFFFF && m_pszComment.GetSize() <= 0xFFFF && m_pExtraField.GetSize() <= 0xFFFF;
}

void CZipEntryHeader::CopyCrcAndSizes(char* out12) const
{
    put32(out12, m_uCrc32);
    put32(out12, m_uComprSize);
    put32(out12, m_uUncomprSize);
}

bool CZipEntryHeader::MatchesCrcAndSizes(const char* in12) const
{
    return get32(in12) == m_uCrc32 && get32(in12 + 4) == m_uComprSize && get32(in12 + 8) == m_uUncomprSize;
}

std::size_t CZipEntryHeader::HeaderSize(bool local) const
{
    const std::size_t name = GetArchiveName().size();
    if (local)
        return kLocalSize + name + m_pExtraField.GetSize();
    return kCentralSize + name + m_pExtraField.GetSize() + m_pszComment.GetSize();
}

std::time_t CZipEntryHeader::GetTime() const
{
    std::tm tm{};
    tm.tm_sec = 2 * (m_uModTime & 0x1F);
    tm.tm_min = (m_uModTime >> 5) & 0x3F;
    tm.tm_hour = m_uModTime >> 11;
    tm.tm_mday = m_uModDate & 0x1F;
    tm.tm_mon = ((m_uModDate >> 5) & 0x0F) - 1;
    tm.tm_year = (m_uModDate >> 9) + 80;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

void CZipEntryHeader::SetTime(std::time_t time)
{
    std::tm tm{};
    if (!localtime_r(&time, &tm))
        return;
    int year = tm.tm_year + 1900;
    // The date's seven year bits end in 2107; a later time is kept as the last moment they can hold
    // rather than wrapping back to 1980.
    if (year > 2107) {
        year = 2107;
        tm.tm_mon = 11;
        tm.tm_mday = 31;
        tm.tm_hour = 23;
        tm.tm_min = 59;
        tm.tm_sec = 59;
    }
    const int yearField = year > 1980 ? year - 1980 : 0;
    m_uModDate = static_cast<std::uint16_t>(((yearField * 16 + tm.tm_mon + 1) * 32) + tm.tm_mday);
    m_uModTime = static_cast<std::uint16_t>(((tm.tm_hour * 64) + tm.tm_min) * 32 + tm.tm_sec / 2);
}

void CZipEntryHeader::SetFileName(const QString& name)
{
    SetFileNameBytes(name.toUtf8());
}

QString CZipEntryHeader::GetFileName() const
{
    return QString::fromUtf8(GetFileNameBytes());
}

QByteArray CZipEntryHeader::GetFileNameBytes() const
{
    return QByteArray(m_pszFileName.GetBuffer(), static_cast<qsizetype>(m_pszFileName.GetSize()));
}

void CZipEntryHeader::SetFileNameBytes(const QByteArray& name)
{
    m_pszFileName.Assign(name.constData(), static_cast<std::size_t>(name.size()));
}

void CZipEntryHeader::SetComment(const QString& comment)
{
    const QByteArray bytes = comment.toUtf8();
    m_pszComment.Assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString CZipEntryHeader::GetComment() const
{
    return QString::fromUtf8(m_pszComment.GetBuffer(), static_cast<qsizetype>(m_pszComment.GetSize()));
}

QByteArray CZipEntryHeader::GetArchiveName() const
{
    bool utf8 = (m_uFlag & kUtf8NameFlag) != 0;
    return ZipAttrMap::NameToArchive(GetFileNameBytes(), GetSystemCompatibility(), utf8);
}

void CZipEntryHeader::SetNameFromArchive(const QByteArray& archiveName)
{
    SetFileNameBytes(
        ZipAttrMap::NameFromArchive(archiveName, GetSystemCompatibility(), (m_uFlag & kUtf8NameFlag) != 0));
}

void CZipEntryHeader::SetSystemCompatibility(int system)
{
    m_uVersionMadeBy = static_cast<std::uint16_t>((system << 8) | (m_uVersionMadeBy & 0xFF));
}

std::uint32_t CZipEntryHeader::GetAttributesForThisSystem() const
{
    const int system = GetSystemCompatibility();
    const QByteArray name = GetFileNameBytes();
    const bool slash = name.endsWith('\\') || name.endsWith('/');
    constexpr std::uint32_t kFolder = 0x41FF0010;
    if (!ZipAttrMap::IsSupportedSystem(system))
        return slash ? kFolder : 0x81A40020;
    if (m_uExternalAttr == 0 && slash)
        return kFolder;
    const std::uint32_t attributes = ZipAttrMap::Convert(m_uExternalAttr, system, zipHostDos);
    // A name ending in a separator is a folder whatever its attributes say (Python's zipfile writes
    // some with a file's): extracted as a file, it would block every entry below it.
    if (slash && !(attributes & 0x10))
        return kFolder;
    return attributes;
}

void CZipEntryHeader::SetAttributesFromThisSystem(std::uint32_t attributes)
{
    m_uExternalAttr = ZipAttrMap::Convert(attributes, zipHostDos, GetSystemCompatibility());
}

std::uint32_t CZipEntryHeader::GetEffectiveComprSize() const
{
    return IsEncrypted() && m_uComprSize >= 12 ? m_uComprSize - 12 : m_uComprSize;
}
