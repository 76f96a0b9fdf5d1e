#include "packages/zip/ZipArchive.h"

#include "packages/zip/ZipPlatformOps.h"
#include "packages/zip/ZipStream.h"

#include <algorithm>
#include <cstring>

CZipArchive::CZipArchive() : m_stream(std::make_unique<Stream>())
{
    m_centralDir.Init(&m_storage);
}

CZipArchive::~CZipArchive()
{
    if (!IsClosed()) {
        try {
            Close(closeAfterException);
        } catch (...) {
            // A destructor must not throw; the archive was left unfinished by its owner.
        }
    }
}

void CZipArchive::ThrowError(int cause) const
{
    ThrowZipException(cause, GetArchivePath());
}

CZipActionCallback* CZipArchive::GetCallback(int kind) const
{
    const auto found = m_callbacks.find(kind);
    if (found == m_callbacks.end())
        return nullptr;
    found->second->m_iType = kind;
    return found->second;
}

void CZipArchive::Open(const QString& path, int mode, std::uint64_t volumeSize)
{
    if (!IsClosed())
        return;
    // Split archives are read, never created: there are no removable disks to span here.
    if (mode == zipCreateSpan)
        ThrowZipException(CZipException::nonRemovable, path);
    m_storage.Open(path,
                   mode == zipOpenReadOnly ? CZipVolumeStore::openReadOnly
                   : mode == zipOpen       ? CZipVolumeStore::openExisting
                                           : CZipVolumeStore::openCreate,
                   volumeSize);
    OpenInternal(mode);
}

bool CZipArchive::OpenOnFile(CZipFileBase& file, int mode)
{
    if (!IsClosed() || mode < zipOpen || mode > zipCreate)
        return false;
    m_storage.OpenOnFile(file, mode);
    OpenInternal(mode);
    return true;
}

void CZipArchive::OpenInternal(int mode)
{
    m_pszPassword.Release();
    m_iFileOpened = nothing;
    m_centralDir.Clear(true);
    m_iArchiveSystCompatib = zipHostDos;
    m_szRootPath.clear();
    if (mode == zipOpen || mode == zipOpenReadOnly) {
        try {
            m_centralDir.Read();
        } catch (...) {
            m_centralDir.Clear(true);
            m_storage.Close(true);
            throw;
        }
        if (m_centralDir.GetCount() > 0) {
            const int system = m_centralDir[0]->GetSystemCompatibility();
            if (ZipAttrMap::IsSupportedSystem(system))
                m_iArchiveSystCompatib = system;
        }
    }
}

void CZipArchive::Close(int afterException, bool updateTimeStamp)
{
    if ((IsClosed() && afterException == closeNormal) || (IsClosed() && IsClosed(false)))
        return;
    const bool normal = afterException == closeNormal;
    if (m_iFileOpened == reading)
        CloseEntry(nullptr, !normal);
    else if (m_iFileOpened == writing)
        CloseNewEntry(!normal);
    // A directory is never written over data that a failed write may have left half on the disk.
    bool storageFailed = afterException == closeAfterException || m_storage.HasWriteFailed();
    if (!storageFailed && !IsClosed(false) && !m_storage.IsExistingSpanned() && !m_storage.IsReadOnly()) {
        if (normal) {
            m_centralDir.Write(GetCallback(CZipActionCallback::cbSave));
        } else {
            // After an exception the storage may be failing still; the archive is closed regardless.
            try {
                m_centralDir.Write(GetCallback(CZipActionCallback::cbSave));
                m_storage.Flush();
            } catch (const CZipException&) {
                storageFailed = true;
            }
        }
    }
    std::time_t newest = 0;
    if (updateTimeStamp)
        for (int i = 0; i < m_centralDir.GetCount(); ++i)
            newest = std::max(newest, m_centralDir[i]->GetTime());
    m_centralDir.Clear(true);
    const QString path = m_storage.Close(storageFailed);
    ReleaseWorkingState();
    if (updateTimeStamp && newest > 0 && !path.isEmpty())
        ZipPlatformOps::WriteModTime(path, newest);
}

bool CZipArchive::IsClosed(bool wholeArchive) const
{
    if (wholeArchive)
        return m_storage.GetCurrentVolume() == CZipVolumeStore::noVolume;
    return m_storage.IsClosed() || m_storage.GetFile()->IsClosed();
}

void CZipArchive::ReleaseWorkingState()
{
    m_iFileOpened = nothing;
    m_pBuffer.Release();
    m_stream->Reset();
}

bool CZipArchive::SetPassword(const QString& password)
{
    if (m_iFileOpened != nothing)
        return false;
    m_pszPassword.Release();
    if (password.isEmpty())
        return true;
    const QByteArray bytes = password.toLatin1();
    for (qsizetype i = 0; i < password.size(); ++i) {
        const char16_t c = password[i].unicode();
        if (c == 0 || c > 127)
            return false;
    }
    m_pszPassword.Assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

QString CZipArchive::GetPassword() const
{
    return QString::fromLatin1(m_pszPassword.GetBuffer(), static_cast<qsizetype>(m_pszPassword.GetSize()));
}

int CZipArchive::FindEntry(const QString& name, int findMode, bool nameOnly)
{
    if (IsClosed())
        return zipNoEntry;
    QString systemName = name;
    systemName.replace('/', '\\');
    switch (findMode) {
    case ffCaseSens:
        return m_centralDir.FindEntry(systemName, true, true, nameOnly);
    case ffNoCaseSens:
        return m_centralDir.FindEntry(systemName, false, true, nameOnly);
    default:
        return m_centralDir.FindEntry(systemName, m_bCaseSensitive, false, nameOnly);
    }
}

bool CZipArchive::GetEntryInfo(CZipEntryHeader& header, int index) const
{
    if (IsClosed() || !m_centralDir.IsValidIndex(index))
        return false;
    header = *m_centralDir[index];
    return true;
}

void CZipArchive::FindMatches(const QString& pattern, std::vector<std::uint16_t>& indexes, bool fullPath)
{
    if (IsClosed())
        return;
    const CWildcard matcher(pattern, m_bCaseSensitive);
    for (int i = 0; i < m_centralDir.GetCount(); ++i) {
        QString name = m_centralDir[i]->GetFileName();
        if (!fullPath)
            name = ZipPlatformOps::LastPathComponent(name);
        if (matcher.IsMatch(name))
            indexes.push_back(static_cast<std::uint16_t>(i));
    }
}

void CZipArchive::GetIndexes(const QStringList& names, std::vector<std::uint16_t>& indexes)
{
    for (const QString& name : names) {
        const int index = FindEntry(name, ffDefault, false);
        if (index >= 0)
            indexes.push_back(static_cast<std::uint16_t>(index));
    }
}

bool CZipArchive::SetEntryExtraField(const char* data, std::size_t size)
{
    CZipEntryHeader* header = m_centralDir.GetOpenedEntry();
    if (m_iFileOpened != writing || !header || !data || size == 0 || size > 0xFFFF)
        return false;
    header->m_pExtraField.Assign(data, size);
    return true;
}

int CZipArchive::GetLocalExtraField(char* buffer, std::size_t size) const
{
    if (m_iFileOpened != reading)
        return noEntryBeingRead;
    const CZipBuffer& extra = m_centralDir.m_pLocalExtraField;
    const std::size_t n = std::min(size, extra.GetSize());
    if (buffer && n)
        std::memcpy(buffer, extra.GetBuffer(), n);
    return static_cast<int>(extra.GetSize());
}

QString CZipArchive::GetArchivePath() const
{
    return IsClosed(false) ? QString() : m_storage.GetArchivePath();
}

QString CZipArchive::GetGlobalComment() const
{
    if (IsClosed())
        return {};
    const CZipBuffer& comment = m_centralDir.m_pszComment;
    return QString::fromUtf8(comment.GetBuffer(), static_cast<qsizetype>(comment.GetSize()));
}

bool CZipArchive::SetGlobalComment(const QString& comment)
{
    const QByteArray bytes = comment.toUtf8();
    // The end record's 16-bit length field cannot hold a longer comment.
    if (IsClosed() || m_storage.IsExistingSpanned() || m_storage.IsReadOnly() || bytes.size() > 0xFFFF)
        return false;
    m_centralDir.m_pszComment.Assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    m_centralDir.RemoveFromDisk();
    AutoFlush();
    return true;
}

bool CZipArchive::SetEntryComment(int index, const QString& comment)
{
    if (IsClosed() || m_storage.IsExistingSpanned() || m_storage.IsReadOnly() ||
        !m_centralDir.IsValidIndex(index) || comment.toUtf8().size() > 0xFFFF)
        return false;
    m_centralDir[index]->SetComment(comment);
    m_centralDir.RemoveFromDisk();
    AutoFlush();
    return true;
}

int CZipArchive::GetCurrentVolume() const
{
    return m_storage.GetCurrentVolume() + 1;
}

bool CZipArchive::SetSystemCompatibility(int system)
{
    if (IsClosed() || m_iFileOpened == writing || !ZipAttrMap::IsSupportedSystem(system))
        return false;
    m_iArchiveSystCompatib = system;
    return true;
}

namespace
{
QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && (path.endsWith('/') || path.endsWith('\\')))
        path.chop(1);
    return path;
}
} // namespace

void CZipArchive::SetRootPath(const QString& path)
{
    if (IsClosed() || m_iFileOpened != nothing)
        return;
    m_szRootPath = path.isEmpty() ? QString() : withoutTrailingSeparators(path);
}

void CZipArchive::SetTempPath(const QString& path, bool create)
{
    m_szTempPath = path.isEmpty() ? QString() : withoutTrailingSeparators(path);
    if (create && !m_szTempPath.isEmpty())
        ZipPlatformOps::MakeFolderTree(m_szTempPath);
}

int CZipArchive::SetAutoFlush(bool autoFlush)
{
    if (IsClosed())
        return autoFlushNotNeeded;
    if (m_storage.IsSpanned())
        return m_storage.IsNewSpanned() ? autoFlushNotNeeded : autoFlushRefused;
    m_bAutoFlush = autoFlush;
    return autoFlushSet;
}

void CZipArchive::Flush()
{
    if (IsClosed() || m_storage.IsExistingSpanned() || m_storage.IsReadOnly())
        return;
    m_centralDir.Write(GetCallback(CZipActionCallback::cbSave));
    m_storage.Flush();
    m_storage.GetFile()->Flush();
}

void CZipArchive::AutoFlush()
{
    if (m_bAutoFlush)
        Flush();
}

void CZipArchive::GetCentralDirInfo(CZipCentralDirInfo& info) const
{
    info = m_centralDir.GetInfo();
}

void CZipArchive::EnableFindFast(bool enable)
{
    if (enable)
        m_centralDir.EnableFindFast(true, m_bCaseSensitive);
    else
        m_centralDir.EnableFindFast(false, m_bCaseSensitive);
}

void CZipArchive::SetBufferSizes(std::size_t writeBuffer, std::size_t generalBuffer, std::size_t searchBuffer)
{
    if (!IsClosed())
        return;
    m_storage.m_iWriteBufferSize = std::max<std::size_t>(writeBuffer, 1024);
    m_iBufferSize = std::max<std::size_t>(generalBuffer, 1024);
    m_centralDir.m_iBufferSize = std::max<std::size_t>(searchBuffer, 1024);
}

void CZipArchive::SetCallback(CZipActionCallback* callback, int kinds)
{
    for (int kind = 1; kind <= CZipActionCallback::cbReplace; kind <<= 1) {
        if (!(kinds & kind))
            continue;
        if (callback)
            m_callbacks[kind] = callback;
        else
            m_callbacks.erase(kind);
    }
}
