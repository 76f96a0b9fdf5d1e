#pragma once
// The archive's list of entries: finds and reads the central directory of an opened archive, writes
// it back at close or flush, cuts it off the file as soon as the archive changes, frames each entry's
// data (local header, data descriptor) and finds entries by name through a sorted index.

#include "packages/zip/EntryHeader.h"

#include <QString>

#include <memory>
#include <vector>

class CZipActionCallback;
class CZipVolumeStore;

// The entry index of no entry: what the searches give when nothing matches.
constexpr int zipNoEntry = -1;

struct CZipCentralDirInfo {
    std::uint64_t m_uEndOffset = 0;      // position of the end record in the file
    std::uint64_t m_uBytesBeforeZip = 0; // bytes in front of the archive (a self-extractor's program)
    std::uint16_t m_uThisDisk = 0;
    std::uint16_t m_uDiskWithCD = 0;
    std::uint16_t m_uDiskEntriesNo = 0;
    std::uint16_t m_uEntriesNumber = 0;
    std::uint32_t m_uSize = 0;
    std::uint64_t m_uOffset = 0; // relative to the archive's start
    bool m_bOnDisk = false;
};

class CZipDirectory
{
public:
    static constexpr std::uint32_t kEndSignature = 0x06054B50;
    static constexpr std::uint32_t kDescriptorSignature = 0x08074B50;
    static constexpr std::size_t kEndSize = 22;

    struct FindFastElement {
        CZipEntryHeader* m_pHeader;
        std::uint16_t m_uIndex;
    };

    void Init(CZipVolumeStore* storage) { m_pStorage = storage; }

    void Read();
    void Write(CZipActionCallback* saveCallback);
    void RemoveFromDisk();
    CZipEntryHeader* AddNewEntry(const CZipEntryHeader& header, int replaceIndex);
    void CloseNewEntry();
    // Forgets a new entry that was not finished and cuts its bytes off the file.
    void AbandonNewEntry();
    // Ends a new entry whose data (with its descriptor) was copied raw from another archive.
    void FinishCopiedEntry();
    void OpenEntry(int index);
    void CloseEntry(bool afterException);
    void RemoveEntry(CZipEntryHeader* header, int index, bool shiftIndexes = true);
    void RemoveAll();
    void Clear(bool everything = true);

    int FindEntry(const QString& name, bool caseSensitive, bool sporadic, bool nameOnly);
    void EnableFindFast(bool enable, bool caseSensitive);
    void BuildFindFastArray(bool caseSensitive);
    void InsertFindFastElement(CZipEntryHeader* header, int index);
    int FindNameIndex(const QString& name) const;
    void RenameEntry(int index, const QString& name);

    bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }
    int GetCount() const { return static_cast<int>(m_headers.size()); }
    std::size_t GetSize(bool whole) const;
    CZipEntryHeader* operator[](int index) const { return m_headers[static_cast<std::size_t>(index)].get(); }
    int IndexOf(const CZipEntryHeader* header) const;
    CZipEntryHeader* GetOpenedEntry() const { return m_pOpenedFile; }
    std::uint64_t GetBytesBefore() const { return m_info.m_uBytesBeforeZip; }
    const CZipCentralDirInfo& GetInfo() const { return m_info; }
    // The end of the entries' data (the directory's start, or the file's end when it is not on disk),
    // relative to the archive's start.
    std::uint64_t DataEnd() const;

    CZipBuffer m_pszComment;
    CZipBuffer m_pLocalExtraField;
    std::size_t m_iBufferSize = 32768;
    bool m_bFindFastEnabled = false;
    bool m_bCaseSensitive = false;

private:
    // A new entry's data, ending at the (absolute) position, and the directory that will follow it must
    // end within the format's 4 GiB: else cause 27, while the entry can still be abandoned.
    void CheckFormatLimit(std::uint64_t dataEnd) const;
    std::uint64_t Locate();
    void ReadHeaders();
    int CompareNames(const QString& a, const QString& b, bool caseSensitive) const;

    CZipEntryHeader* m_pOpenedFile = nullptr;
    CZipVolumeStore* m_pStorage = nullptr;
    std::vector<std::unique_ptr<CZipEntryHeader>> m_headers;
    std::vector<FindFastElement> m_findarray;
    CZipCentralDirInfo m_info;
};
