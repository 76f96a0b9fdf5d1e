#pragma once
// The archive's byte store: the archive file, a write buffer in front of it, and the reading of
// archives split into numbered volume files (name.001, name.002, ..., name.zip).
//
// Archives spread over removable disks need drive types, disk-change prompts and volume labels that
// this platform does not have: every archive counts as lying on a fixed drive, so a split archive is
// always read as numbered volume files.

#include "packages/zip/ZipBuffer.h"
#include "packages/zip/ZipFile.h"

#include <QString>

#include <cstdint>

class CZipActionCallback;

class CZipVolumeStore
{
public:
    enum OpenMode { openExisting = 0, openReadOnly = 1, openCreate = 2 };
    enum VolumeMode { single = 0, removable = 1, numbered = 2, undecided = 3, undecidedNumbered = 4 };

    CZipVolumeStore();
    virtual ~CZipVolumeStore();
    CZipVolumeStore(const CZipVolumeStore&) = delete;
    CZipVolumeStore& operator=(const CZipVolumeStore&) = delete;

    // Opens the own disk file; a file that cannot be opened throws ZipFileError.
    void Open(const QString& path, int mode, std::uint64_t volumeSize);
    void OpenOnFile(CZipFileBase& file, int mode);
    // Reads count bytes, going on to the next volume when one ends; a file that gives nothing, or less
    // than asked for a read that must be in one piece, throws cause 101.
    std::size_t Read(void* buffer, std::size_t count, bool atOnce);
    void Write(const void* buffer, std::size_t count, bool atOnce);
    void Flush();
    // Flushes the write buffer, then moves the file to the position.
    void Seek(std::uint64_t position);
    // The file's position; the bytes still in the write buffer come after it.
    std::uint64_t GetPosition() const { return m_pFile->GetPosition(); }
    // The position the next written byte will have.
    std::uint64_t GetWritePosition() const { return m_pFile->GetPosition() + m_uBytesInWriteBuffer; }
    std::size_t GetBytesInWriteBuffer() const { return m_uBytesInWriteBuffer; }
    QString Close(bool afterException);
    std::uint64_t GetFreeSpace() const;
    [[noreturn]] void ThrowError(int cause) const;

    // Called by the central directory with the number of the volume that holds it.
    void UpdateSpanMode(int lastVolume);
    // Reopens the file of another volume of a split archive, read-only.
    void ChangeVolume(int volume);
    QString VolumeName(int volume) const;

    bool IsSpanned() const { return m_iSpanMode != single; }
    bool IsExistingSpanned() const { return IsSpanned() && !m_bNewSpan; }
    bool IsNewSpanned() const { return IsSpanned() && m_bNewSpan; }
    bool IsClosed() const { return m_pFile == nullptr; }
    bool IsReadOnly() const { return m_bReadOnly; }
    // A write to the file failed: what the file holds behind the last good write is unknown.
    bool HasWriteFailed() const { return m_bWriteFailed; }
    CZipFileBase* GetFile() const { return m_pFile; }
    // The volume of no open storage.
    static constexpr int noVolume = -1;
    int GetCurrentVolume() const { return m_iCurrentVolume; }
    int GetLastVolume() const { return m_iLastVolume; }
    QString GetArchivePath() const { return m_path; }

    std::size_t m_iWriteBufferSize = 65536;
    CZipActionCallback* m_pChangeVolumeFunc = nullptr;
    QString m_szSplitExtension = QStringLiteral("zip");

private:
    CZipFile m_internalfile;
    CZipFileBase* m_pFile = nullptr;
    int m_iSpanMode = single;
    std::uint64_t m_uVolumeSize = 0;
    std::size_t m_uBytesInWriteBuffer = 0;
    CZipBuffer m_pWriteBuffer;
    std::uint64_t m_uBytesWrittenToVolume = 0;
    bool m_bNewSpan = false;
    int m_iCurrentVolume = noVolume;
    int m_iLastVolume = 0;
    bool m_bInMemory = false;
    bool m_bReadOnly = false;
    bool m_bWriteFailed = false;
    QString m_path;
};
