// Adding whole entries from memory or from disk, with the smartness rules: folders and empty files
// without encryption, tiny files stored, and the check that compression did not make an entry larger.

#include "packages/zip/ZipArchive.h"

#include "packages/zip/ZipPlatformOps.h"
#include "packages/zip/ZipStream.h"

#include <ctime>
#include <optional>

namespace
{

// Sets a password aside for one entry and puts it back, however the add ends.
class PasswordSetAside
{
public:
    PasswordSetAside(CZipArchive& archive, bool active) : m_archive(archive)
    {
        if (active && !archive.GetPassword().isEmpty()) {
            m_saved = archive.GetPassword();
            archive.SetPassword({});
        }
    }
    ~PasswordSetAside()
    {
        if (m_saved)
            m_archive.SetPassword(*m_saved);
    }
    PasswordSetAside(const PasswordSetAside&) = delete;
    PasswordSetAside& operator=(const PasswordSetAside&) = delete;

private:
    CZipArchive& m_archive;
    std::optional<QString> m_saved;
};

} // namespace

namespace
{
CZipAddEntryInfo addInfo(int level, int smartness, std::size_t bufferSize)
{
    CZipAddEntryInfo info;
    info.m_iComprLevel = level;
    info.m_iSmartLevel = smartness;
    info.m_nBufSize = bufferSize;
    return info;
}
} // namespace

bool CZipArchive::AddEntryFromMemory(CZipMemoryFile& file, const QString& name, int level, int smartness,
                                     std::size_t bufferSize)
{
    CZipAddEntryInfo info = addInfo(level, smartness, bufferSize);
    info.m_pFile = &file;
    info.m_szFileNameInZip = name;
    return AddEntry(info);
}

bool CZipArchive::AddEntryFromPath(const QString& path, int level, bool fullPath, int smartness,
                                   std::size_t bufferSize)
{
    CZipAddEntryInfo info = addInfo(level, smartness, bufferSize);
    info.m_szFilePath = path;
    info.m_bFullPath = fullPath;
    return AddEntry(info);
}

bool CZipArchive::AddEntryFromPath(const QString& path, const QString& name, int level, int smartness,
                                   std::size_t bufferSize)
{
    CZipAddEntryInfo info = addInfo(level, smartness, bufferSize);
    info.m_szFilePath = path;
    info.m_szFileNameInZip = name;
    return AddEntry(info);
}

bool CZipArchive::AddEntry(CZipAddEntryInfo& info)
{
    if (m_iBufferSize == 0 || info.m_nBufSize == 0 || IsClosed() || m_storage.IsReadOnly() ||
        m_storage.IsExistingSpanned())
        return false;
    info.m_szFilePath = ZipPlatformOps::StripTrailingSeparators(info.m_szFilePath);
    const bool fromDisk = !info.m_pFile;
    if (fromDisk && info.m_szFilePath.isEmpty())
        return false;
    if (fromDisk && info.m_szFileNameInZip.isEmpty())
        info.m_szFileNameInZip = PredictEntryName(info.m_szFilePath, info.m_bFullPath, 1);

    // The source is looked at before a replaced last entry is removed, so that a missing source
    // leaves the archive as it was.
    std::uint32_t attributes = ZipPlatformOps::kDefaultFileAttributes;
    std::time_t modified = std::time(nullptr);
    if (fromDisk) {
        if (!ZipPlatformOps::ReadAttributes(info.m_szFilePath, attributes))
            return false;
        ZipPlatformOps::ReadModTime(info.m_szFilePath, modified);
    }
    if (!UpdateReplaceIndex(info.m_iReplaceIndex, info.m_szFileNameInZip))
        return false;
    CZipEntryHeader header;
    header.SetFileName(info.m_szFileNameInZip);
    header.SetTime(modified);
    header.SetSystemCompatibility(m_iArchiveSystCompatib);
    header.SetAttributesFromThisSystem(attributes & 0xFFFF);
    // The Unix form rides along in the high half, so the entry is readable on Unix as well.
    if (m_iArchiveSystCompatib != zipHostUnix)
        header.m_uExternalAttr |=
            (attributes >> 16) ? (attributes & 0xFFFF0000)
                               : (ZipAttrMap::Convert(attributes, zipHostDos, zipHostUnix) & 0xFFFF0000);

    const bool internal = (info.m_iSmartLevel & zipsmInternal01) != 0;
    const int smart = internal ? 0 : info.m_iSmartLevel;
    if (!internal)
        if (CZipActionCallback* callback = GetCallback(CZipActionCallback::cbAdd))
            callback->Init(info.m_szFileNameInZip, info.m_szFilePath);

    if (ZipPlatformOps::HasFolderBit(attributes)) {
        PasswordSetAside aside(*this, (smart & zipsmCPassDir) != 0);
        const int level = info.m_iReplaceIndex >= 0 ? (info.m_iReplaceIndex << 16) | kReplaceLevelFlag : 0;
        const bool opened = OpenNewEntry(header, level, fromDisk ? &info.m_szFilePath : nullptr);
        if (opened)
            CloseNewEntry();
        return opened;
    }

    int level = info.m_iComprLevel < -1 || info.m_iComprLevel > 9 ? -1 : info.m_iComprLevel;
    const bool efficiencyCheck = (smart & zipsmCheckForEff) && level != 0;
    const bool zeroRule = (smart & zipsmCPFile0) && m_pszPassword.GetSize() > 0;
    const bool smallRule = (smart & zipsmNotCompSmall) && level != 0;
    std::uint64_t size = 0;
    if (efficiencyCheck || zeroRule || smallRule || info.m_iReplaceIndex >= 0) {
        if (info.m_pFile)
            size = info.m_pFile->GetLength();
        else if (!ZipPlatformOps::FileSizeOfPath(info.m_szFilePath, size))
            return false;
    }
    PasswordSetAside aside(*this, zeroRule && size == 0);
    if (smallRule && size < 5)
        level = 0;
    info.m_iComprLevel = level;
    const bool needTemporary =
        level != 0 && ((efficiencyCheck && m_storage.IsSpanned()) || info.m_iReplaceIndex >= 0);
    if (needTemporary)
        return AddEntryThroughTemporary(info, size, efficiencyCheck);

    if (!AddEntryData(info, header))
        return false;
    if (efficiencyCheck && !m_storage.IsSpanned()) {
        const CZipEntryHeader& added = *m_centralDir[m_centralDir.GetCount() - 1];
        if (added.GetEffectiveComprSize() > added.m_uUncomprSize) {
            RemoveLastEntry(true);
            CZipAddEntryInfo stored = info;
            stored.m_iComprLevel = 0;
            stored.m_iSmartLevel = zipsmInternal01;
            if (CZipActionCallback* callback = GetCallback(CZipActionCallback::cbAddStore))
                callback->Init(info.m_szFileNameInZip, info.m_szFilePath);
            return AddEntry(stored);
        }
    }
    return true;
}

bool CZipArchive::AddEntryData(CZipAddEntryInfo& info, const CZipEntryHeader& templateHeader)
{
    CZipFile diskFile;
    CZipFileBase* source = info.m_pFile;
    if (!source) {
        if (!diskFile.Open(info.m_szFilePath, CZipFile::modeRead, false))
            return false;
        source = &diskFile;
    }
    source->SeekToBegin();
    const std::uint64_t length = source->GetLength();
    CZipEntryHeader header = templateHeader;
    int level = info.m_iComprLevel;
    if (info.m_iReplaceIndex >= 0)
        level = (info.m_iReplaceIndex << 16) | kReplaceLevelFlag;
    if (!OpenNewEntry(header, level, info.m_pFile ? nullptr : &info.m_szFilePath, length))
        return false;
    const bool internal = (info.m_iSmartLevel & zipsmInternal01) != 0;
    CZipActionCallback* callback = internal ? nullptr : GetCallback(CZipActionCallback::cbAdd);
    if (callback)
        callback->SetTotal(length);
    CZipBuffer buffer(info.m_nBufSize);
    bool aborted = false;
    bool completeBeforeAbort = false;
    for (;;) {
        const std::size_t n = source->Read(buffer.GetBuffer(), buffer.GetSize());
        if (n)
            WriteNewEntry(buffer.GetBuffer(), n);
        if (callback && !callback->Callback(n)) {
            aborted = true;
            completeBeforeAbort = source->GetPosition() >= length;
            break;
        }
        if (n < buffer.GetSize())
            break;
    }
    if (!aborted) {
        CloseNewEntry();
        if (callback)
            callback->CallbackEnd();
        return true;
    }
    if (completeBeforeAbort) {
        CloseNewEntry();
        ThrowError(CZipException::abortedSafely);
    }
    if (!m_storage.IsSpanned() && info.m_iReplaceIndex < 0) {
        CloseNewEntry(true); // forgets the entry and cuts its bytes off the file
        ThrowError(CZipException::abortedSafely);
    }
    CloseNewEntry(true);
    ThrowError(CZipException::abortedAction);
}

bool CZipArchive::AddEntryThroughTemporary(CZipAddEntryInfo& info, std::uint64_t sourceSize,
                                           bool efficiencyCheck)
{
    const bool inMemory = (info.m_iSmartLevel & zipsmMemoryFlag) != 0;
    QString temporaryPath;
    if (!inMemory) {
        const QString folder =
            m_szTempPath.isEmpty() ? lumivo::files::folderOf(GetArchivePath()) : m_szTempPath;
        temporaryPath = ZipPlatformOps::MakeTempFileName(folder, sourceSize + 1024);
        if (temporaryPath.isEmpty()) {
            // No room for a temporary archive: add directly, stored when it replaces an entry.
            CZipAddEntryInfo direct = info;
            if (direct.m_iReplaceIndex >= 0)
                direct.m_iComprLevel = 0;
            direct.m_iSmartLevel &= ~zipsmCheckForEff;
            return AddEntry(direct);
        }
    }
    CZipMemoryFile memory(1024);
    CZipArchive temporary;
    bool result = false;
    try {
        if (inMemory)
            temporary.OpenOnFile(memory, zipCreate);
        else
            temporary.Open(temporaryPath, zipCreate);
        temporary.m_szRootPath = m_szRootPath;
        temporary.SetPassword(GetPassword());
        temporary.m_iArchiveSystCompatib = m_iArchiveSystCompatib;
        if (CZipActionCallback* callback = GetCallback(CZipActionCallback::cbAdd))
            temporary.SetCallback(callback, CZipActionCallback::cbAdd);
        CZipAddEntryInfo inner = info;
        inner.m_iSmartLevel = zipsmLight;
        inner.m_iReplaceIndex = zipReplaceNone;
        if (temporary.AddEntry(inner)) {
            const CZipEntryHeader& added = *temporary.m_centralDir[0];
            if (efficiencyCheck && added.GetEffectiveComprSize() > added.m_uUncomprSize) {
                CZipAddEntryInfo stored = info;
                stored.m_iComprLevel = 0;
                stored.m_iSmartLevel = zipsmInternal01;
                result = AddEntry(stored);
            } else {
                temporary.Flush();
                result =
                    GetFromArchive(temporary, 0, info.m_iReplaceIndex, true, CZipActionCallback::cbAddTmp);
            }
        }
        temporary.Close(closeAfterException);
    } catch (...) {
        temporary.Close(closeAfterException);
        if (!temporaryPath.isEmpty())
            ZipPlatformOps::DeletePath(temporaryPath, false);
        throw;
    }
    if (!temporaryPath.isEmpty())
        ZipPlatformOps::DeletePath(temporaryPath, false);
    return result;
}
