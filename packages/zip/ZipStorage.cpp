#include "packages/zip/ZipStorage.h"

#include "packages/zip/ZipException.h"
#include "packages/zip/ZipPlatformOps.h"

#include <cstring>

CZipVolumeStore::CZipVolumeStore() = default;

CZipVolumeStore::~CZipVolumeStore()
{
    if (m_pFile && !m_bInMemory)
        m_internalfile.Close();
}

void CZipVolumeStore::Open(const QString& path, int mode, std::uint64_t volumeSize)
{
    // The file first: when it cannot be opened, the storage stays closed.
    const bool readOnly = mode == openReadOnly;
    m_internalfile.Open(path,
                        mode == openCreate ? CZipFile::modeCreate
                        : readOnly         ? CZipFile::modeRead
                                           : CZipFile::modeReadWrite,
                        true);
    m_pWriteBuffer.Allocate(m_iWriteBufferSize);
    m_uBytesInWriteBuffer = 0;
    m_uBytesWrittenToVolume = 0;
    m_bNewSpan = false;
    m_bInMemory = false;
    m_bWriteFailed = false;
    m_iLastVolume = 0;
    m_path = path;
    m_bReadOnly = readOnly;
    m_iCurrentVolume = 0;
    if (mode == openCreate) {
        m_iSpanMode = single;
    } else {
        m_iSpanMode = volumeSize ? undecidedNumbered : undecided;
        m_uVolumeSize = volumeSize;
    }
    m_pFile = &m_internalfile;
}

void CZipVolumeStore::OpenOnFile(CZipFileBase& file, int mode)
{
    m_pWriteBuffer.Allocate(m_iWriteBufferSize);
    m_uBytesInWriteBuffer = 0;
    m_uBytesWrittenToVolume = 0;
    m_bNewSpan = false;
    m_bInMemory = true;
    m_bWriteFailed = false;
    m_bReadOnly = mode == openReadOnly;
    m_iLastVolume = 0;
    m_pFile = &file;
    m_path = file.GetFilePath();
    m_iCurrentVolume = 0;
    if (mode == openCreate) {
        file.SetLength(0);
        m_iSpanMode = single;
    } else {
        file.SeekToBegin();
        m_iSpanMode = undecided;
    }
}

std::size_t CZipVolumeStore::Read(void* buffer, std::size_t count, bool atOnce)
{
    if (count == 0)
        return 0;
    if (!m_pFile)
        ThrowError(CZipException::badFileNumber);
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = m_pFile->Read(out + done, count - done);
        done += got;
        if (done == count)
            break;
        if (got == 0) {
            if (IsSpanned() && m_iCurrentVolume < m_iLastVolume && !atOnce) {
                ChangeVolume(m_iCurrentVolume + 1);
                continue;
            }
            ThrowError(CZipException::badZipFile);
        }
    }
    return done;
}

void CZipVolumeStore::Write(const void* buffer, std::size_t count, bool /*atOnce*/)
{
    // A closed storage has no buffer to fill, and a write would wait for room forever.
    if (!m_pFile)
        ThrowError(CZipException::badFileNumber);
    if (m_bReadOnly)
        ThrowError(CZipException::readOnlyFileSystem);
    const auto* in = static_cast<const char*>(buffer);
    while (count > 0) {
        const std::size_t room = m_pWriteBuffer.GetSize() - m_uBytesInWriteBuffer;
        if (room == 0) {
            Flush();
            continue;
        }
        // A large block with an empty buffer goes straight to the file in buffer-sized pieces.
        const std::size_t n = std::min(room, count);
        std::memcpy(m_pWriteBuffer.GetBuffer() + m_uBytesInWriteBuffer, in, n);
        m_uBytesInWriteBuffer += n;
        in += n;
        count -= n;
    }
}

void CZipVolumeStore::Flush()
{
    if (m_uBytesInWriteBuffer == 0)
        return;
    const std::size_t n = m_uBytesInWriteBuffer;
    m_uBytesInWriteBuffer = 0;
    try {
        m_pFile->Write(m_pWriteBuffer.GetBuffer(), n);
    } catch (...) {
        m_bWriteFailed = true;
        throw;
    }
    if (IsSpanned())
        m_uBytesWrittenToVolume += n;
}

void CZipVolumeStore::Seek(std::uint64_t position)
{
    Flush();
    m_pFile->Seek(static_cast<std::int64_t>(position), CZipFileBase::begin);
}

QString CZipVolumeStore::Close(bool afterException)
{
    QString path = m_path;
    if (m_pFile) {
        if (!afterException)
            Flush();
        if (!m_bInMemory) {
            if (!afterException && !m_bReadOnly)
                m_internalfile.Flush();
            m_internalfile.Close();
        }
    }
    m_uBytesInWriteBuffer = 0;
    m_pWriteBuffer.Release();
    m_iCurrentVolume = noVolume;
    m_iSpanMode = single;
    m_iLastVolume = 0;
    m_pFile = nullptr;
    return path;
}

std::uint64_t CZipVolumeStore::GetFreeSpace() const
{
    return m_path.isEmpty() ? 0 : ZipPlatformOps::FreeSpaceOfDrive(m_path);
}

void CZipVolumeStore::ThrowError(int cause) const
{
    ThrowZipException(cause, m_path);
}

void CZipVolumeStore::UpdateSpanMode(int lastVolume)
{
    m_iLastVolume = lastVolume;
    if (lastVolume == 0) {
        m_iSpanMode = single;
        return;
    }
    if (m_bInMemory)
        ThrowError(CZipException::badZipFile); // a memory file cannot hold the other volumes
    if (m_iSpanMode == undecided)
        m_iSpanMode = ZipPlatformOps::IsRemovableDrive(m_path) ? removable : numbered;
    else if (m_iSpanMode == undecidedNumbered)
        m_iSpanMode = numbered;
    if (m_iSpanMode == removable && !m_pChangeVolumeFunc)
        ThrowError(CZipException::noCallback);
    m_bReadOnly = true;
    m_iCurrentVolume = lastVolume;
}

QString CZipVolumeStore::VolumeName(int volume) const
{
    CZipPath path(m_path);
    path.m_extension = volume == m_iLastVolume
                           ? m_szSplitExtension
                           : QStringLiteral("%1").arg(volume + 1, 3, 10, QLatin1Char('0'));
    return path.GetFullPath();
}

void CZipVolumeStore::ChangeVolume(int volume)
{
    if (volume == m_iCurrentVolume)
        return;
    if (!IsSpanned() || volume < 0 || volume > m_iLastVolume)
        ThrowError(CZipException::badZipFile);
    m_internalfile.Close();
    if (!m_internalfile.Open(VolumeName(volume), CZipFile::modeRead, false))
        ThrowError(CZipException::badZipFile);
    m_iCurrentVolume = volume;
}
