#include "packages/zip/CentralDirectory.h"

#include "packages/zip/ZipBytes.h"
#include "packages/zip/ZipCallback.h"
#include "packages/zip/ZipException.h"
#include "packages/zip/ZipPlatformOps.h"
#include "packages/zip/ZipStorage.h"

#include <algorithm>
#include <cstring>

using namespace zipbytes;

namespace
{
constexpr std::uint64_t kLargestEndRecord = 22 + 65535;
constexpr std::uint64_t kFormatLimit = 0xFFFFFFFFull;
} // namespace

std::uint64_t CZipDirectory::Locate()
{
    CZipFileBase& file = *m_pStorage->GetFile();
    const std::uint64_t length = file.GetLength();
    const std::uint64_t rangeStart = length > kLargestEndRecord ? length - kLargestEndRecord : 0;
    std::vector<char> piece(std::max<std::size_t>(m_iBufferSize, 1024));
    std::uint64_t pieceEnd = length;
    while (pieceEnd > rangeStart && pieceEnd - rangeStart >= 4) {
        const std::uint64_t pieceStart =
            std::max(rangeStart, pieceEnd > piece.size() ? pieceEnd - piece.size() : 0);
        const auto size = static_cast<std::size_t>(pieceEnd - pieceStart);
        file.Seek(static_cast<std::int64_t>(pieceStart), CZipFileBase::begin);
        if (file.Read(piece.data(), size) != size)
            m_pStorage->ThrowError(CZipException::badZipFile);
        for (std::size_t i = size - 4 + 1; i-- > 0;)
            if (get32(piece.data() + i) == kEndSignature)
                return pieceStart + i;
        if (pieceStart == rangeStart)
            break;
        pieceEnd = pieceStart + 3; // a signature split between two pieces is still found
    }
    m_pStorage->ThrowError(CZipException::cdirNotFound);
}

void CZipDirectory::Read()
{
    m_info = CZipCentralDirInfo{};
    m_info.m_uEndOffset = Locate();
    CZipFileBase& file = *m_pStorage->GetFile();
    file.Seek(static_cast<std::int64_t>(m_info.m_uEndOffset), CZipFileBase::begin);
    char record[kEndSize];
    m_pStorage->Read(record, kEndSize, true);
    m_info.m_uThisDisk = get16(record + 4);
    m_info.m_uDiskWithCD = get16(record + 6);
    m_info.m_uDiskEntriesNo = get16(record + 8);
    m_info.m_uEntriesNumber = get16(record + 10);
    m_info.m_uSize = get32(record + 12);
    m_info.m_uOffset = get32(record + 16);
    const std::uint16_t commentLength = get16(record + 20);

    m_pStorage->UpdateSpanMode(m_info.m_uThisDisk);
    if (!m_pStorage->IsSpanned()) {
        // Offsets and sizes are added in 64 bits: 32-bit sums could wrap and pass the check.
        const std::uint64_t directoryEnd = m_info.m_uOffset + m_info.m_uSize;
        if (m_info.m_uEndOffset < directoryEnd)
            m_pStorage->ThrowError(CZipException::badZipFile);
        m_info.m_uBytesBeforeZip = m_info.m_uEndOffset - directoryEnd;
    }
    m_pszComment.Allocate(commentLength);
    m_pStorage->Read(m_pszComment.GetBuffer(), commentLength, true);
    if ((m_info.m_uSize == 0) != (m_info.m_uEntriesNumber == 0))
        m_pStorage->ThrowError(CZipException::badZipFile);
    m_info.m_bOnDisk = true;
    m_pStorage->ChangeVolume(m_info.m_uDiskWithCD);
    if (m_info.m_uSize)
        ReadHeaders();
}

void CZipDirectory::ReadHeaders()
{
    m_pStorage->GetFile()->Seek(static_cast<std::int64_t>(m_info.m_uOffset + m_info.m_uBytesBeforeZip),
                                CZipFileBase::begin);
    RemoveAll();
    m_headers.reserve(m_info.m_uEntriesNumber);
    for (int i = 0; i < m_info.m_uEntriesNumber; ++i) {
        auto header = std::make_unique<CZipEntryHeader>();
        if (!header->ReadCentralHeader(*m_pStorage))
            m_pStorage->ThrowError(CZipException::badZipFile);
        header->SetNameFromArchive(header->GetFileNameBytes());
        m_headers.push_back(std::move(header));
    }
    std::stable_sort(m_headers.begin(), m_headers.end(), [](const auto& a, const auto& b) {
        return a->m_uDiskStart != b->m_uDiskStart ? a->m_uDiskStart < b->m_uDiskStart
                                                  : a->m_uOffset < b->m_uOffset;
    });
    for (std::size_t i = 1; i < m_headers.size(); ++i)
        if (m_headers[i]->m_uDiskStart == m_headers[i - 1]->m_uDiskStart &&
            m_headers[i]->m_uOffset == m_headers[i - 1]->m_uOffset)
            m_pStorage->ThrowError(CZipException::badZipFile);
    // In a single file every local header lies in front of the directory. An entry said to lie
    // elsewhere would make the editing operations move bytes by distances that wrap.
    if (!m_pStorage->IsSpanned())
        for (const auto& header : m_headers)
            if (header->m_uDiskStart != 0 ||
                header->m_uOffset + CZipEntryHeader::kLocalSize > m_info.m_uOffset)
                m_pStorage->ThrowError(CZipException::badZipFile);
    if (m_bFindFastEnabled)
        BuildFindFastArray(m_bCaseSensitive);
}

void CZipDirectory::Write(CZipActionCallback* saveCallback)
{
    if (m_info.m_bOnDisk)
        return;
    m_pStorage->Flush();
    m_pStorage->GetFile()->SeekToEnd();
    m_info.m_uEntriesNumber = static_cast<std::uint16_t>(m_headers.size());
    m_info.m_uSize = 0;
    m_info.m_uDiskWithCD = static_cast<std::uint16_t>(m_pStorage->GetCurrentVolume());
    const std::uint64_t start = m_pStorage->GetWritePosition();
    m_info.m_uOffset = start - m_info.m_uBytesBeforeZip;
    if (m_info.m_uOffset + GetSize(true) > kFormatLimit)
        m_pStorage->ThrowError(CZipException::tooLarge);
    if (saveCallback) {
        saveCallback->Init();
        saveCallback->SetTotal(m_headers.size());
    }
    std::uint64_t size = 0;
    for (std::size_t i = 0; i < m_headers.size(); ++i) {
        size += m_headers[i]->WriteCentralHeader(*m_pStorage);
        if (saveCallback && (i + 1) % CZipActionCallback::kStepSize == 0 &&
            !saveCallback->Callback(CZipActionCallback::kStepSize)) {
            // Stopped: the file ends where the directory would have started.
            m_pStorage->Flush();
            m_pStorage->GetFile()->SetLength(start);
            saveCallback->CallbackEnd();
            m_pStorage->ThrowError(CZipException::abortedSafely);
        }
    }
    m_info.m_uSize = static_cast<std::uint32_t>(size);
    m_info.m_uDiskEntriesNo = m_info.m_uEntriesNumber;
    m_info.m_uThisDisk = static_cast<std::uint16_t>(m_pStorage->GetCurrentVolume());
    std::vector<char> record(kEndSize + m_pszComment.GetSize());
    char* out = record.data();
    put32(out, kEndSignature);
    put16(out, m_info.m_uThisDisk);
    put16(out, m_info.m_uDiskWithCD);
    put16(out, m_info.m_uDiskEntriesNo);
    put16(out, m_info.m_uEntriesNumber);
    put32(out, m_info.m_uSize);
    put32(out, static_cast<std::uint32_t>(m_info.m_uOffset));
    put16(out, static_cast<std::uint32_t>(m_pszComment.GetSize()));
    if (m_pszComment.GetSize())
        std::memcpy(out, m_pszComment.GetBuffer(), m_pszComment.GetSize());
    m_info.m_uEndOffset = m_pStorage->GetWritePosition();
    m_pStorage->Write(record.data(), record.size(), true);
    if (saveCallback)
        saveCallback->CallbackEnd();
    m_info.m_bOnDisk = true;
}

void CZipDirectory::RemoveFromDisk()
{
    if (m_info.m_bOnDisk) {
        m_pStorage->Flush();
        m_pStorage->GetFile()->SetLength(m_info.m_uOffset + m_info.m_uBytesBeforeZip);
        m_info.m_bOnDisk = false;
    } else {
        m_pStorage->Flush();
    }
}

std::uint64_t CZipDirectory::DataEnd() const
{
    if (m_info.m_bOnDisk)
        return m_info.m_uOffset;
    return m_pStorage->GetFile()->GetLength() + m_pStorage->GetBytesInWriteBuffer() -
           m_info.m_uBytesBeforeZip;
}

CZipEntryHeader* CZipDirectory::AddNewEntry(const CZipEntryHeader& header, int replaceIndex)
{
    auto copy = std::make_unique<CZipEntryHeader>(header);
    CZipEntryHeader* added = copy.get();
    std::uint64_t replacePosition = 0;
    const bool replace = IsValidIndex(replaceIndex);
    if (replace) {
        replacePosition = (*this)[replaceIndex]->m_uOffset + m_info.m_uBytesBeforeZip;
        RemoveEntry(nullptr, replaceIndex, false);
        m_headers.insert(m_headers.begin() + replaceIndex, std::move(copy));
    } else {
        m_headers.push_back(std::move(copy));
        replaceIndex = GetCount() - 1;
    }
    if (m_bFindFastEnabled)
        InsertFindFastElement(added, replaceIndex);
    RemoveFromDisk();
    if (replace)
        m_pStorage->Seek(replacePosition);
    else
        m_pStorage->GetFile()->SeekToEnd();
    m_pOpenedFile = added;
    return added;
}

void CZipDirectory::CloseNewEntry()
{
    CZipEntryHeader& header = *m_pOpenedFile;
    const std::uint64_t localStart = header.m_uOffset;
    CheckFormatLimit(std::max(m_pStorage->GetWritePosition(), DataEnd() + m_info.m_uBytesBeforeZip) + 16);
    char crcAndSizes[12];
    header.CopyCrcAndSizes(crcAndSizes);
    bool patchLocal = !header.IsDataDescriptor();
    if (header.IsDataDescriptor()) {
        char block[16];
        char* out = block;
        std::size_t size = 0;
        if (m_pStorage->IsSpanned() || header.IsEncrypted()) {
            put32(out, kDescriptorSignature);
            size = 4;
        }
        std::memcpy(block + size, crcAndSizes, 12);
        m_pStorage->Write(block, size + 12, true);
        // An encrypted entry's local header gets the real CRC and sizes too, for readers that trust it.
        patchLocal = !m_pStorage->IsSpanned() && header.IsEncrypted();
    }
    if (patchLocal) {
        const std::uint64_t after = m_pStorage->GetWritePosition();
        m_pStorage->Seek(localStart + 14);
        m_pStorage->Write(crcAndSizes, 12, true);
        m_pStorage->Seek(after);
    }
    header.m_uOffset = localStart - m_info.m_uBytesBeforeZip;
    m_pOpenedFile = nullptr;
}

void CZipDirectory::CheckFormatLimit(std::uint64_t dataEnd) const
{
    // The directory is counted only for large archives: summing every header costs a pass over them.
    const std::uint64_t end = dataEnd - m_info.m_uBytesBeforeZip;
    if (end > kFormatLimit || (end > kFormatLimit / 2 && end + GetSize(true) > kFormatLimit))
        m_pStorage->ThrowError(CZipException::tooLarge);
}

void CZipDirectory::FinishCopiedEntry()
{
    CZipEntryHeader& header = *m_pOpenedFile;
    CheckFormatLimit(std::max(m_pStorage->GetWritePosition(), DataEnd() + m_info.m_uBytesBeforeZip));
    header.m_uOffset -= m_info.m_uBytesBeforeZip;
    m_pOpenedFile = nullptr;
}

void CZipDirectory::AbandonNewEntry()
{
    if (!m_pOpenedFile)
        return;
    const int index = IndexOf(m_pOpenedFile);
    const std::uint64_t start = m_pOpenedFile->m_uOffset;
    const bool appended = index == GetCount() - 1 && !m_pStorage->IsSpanned();
    m_pOpenedFile = nullptr;
    if (index >= 0)
        RemoveEntry(nullptr, index, true);
    if (appended) {
        try {
            m_pStorage->Flush();
            m_pStorage->GetFile()->SetLength(start);
            m_pStorage->GetFile()->SeekToEnd();
        } catch (const CZipException&) {
            // The storage failed already; the unfinished bytes stay but no entry points at them.
        }
    }
}

void CZipDirectory::OpenEntry(int index)
{
    CZipEntryHeader* header = (*this)[index];
    m_pOpenedFile = header;
    m_pStorage->ChangeVolume(header->m_uDiskStart);
    m_pStorage->Seek(header->m_uOffset + m_info.m_uBytesBeforeZip);
    std::uint16_t extraLength = 0;
    if (!header->ReadLocalHeader(*m_pStorage, extraLength))
        m_pStorage->ThrowError(CZipException::badZipFile);
    m_pLocalExtraField.Release();
    if (extraLength) {
        const int volume = m_pStorage->GetCurrentVolume();
        m_pLocalExtraField.Allocate(extraLength);
        m_pStorage->Read(m_pLocalExtraField.GetBuffer(), extraLength, true);
        if (m_pStorage->GetCurrentVolume() != volume)
            m_pStorage->ThrowError(CZipException::badZipFile);
    }
}

void CZipDirectory::CloseEntry(bool afterException)
{
    m_pLocalExtraField.Release();
    CZipEntryHeader* header = m_pOpenedFile;
    m_pOpenedFile = nullptr;
    if (afterException || !header || !header->IsDataDescriptor())
        return;
    char buffer[12];
    m_pStorage->Read(buffer, 4, false);
    if (get32(buffer) != kDescriptorSignature)
        m_pStorage->GetFile()->Seek(-4, CZipFileBase::current);
    m_pStorage->Read(buffer, 12, false);
    if (!header->MatchesCrcAndSizes(buffer))
        m_pStorage->ThrowError(CZipException::badZipFile);
}

int CZipDirectory::IndexOf(const CZipEntryHeader* header) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_headers[static_cast<std::size_t>(i)].get() == header)
            return i;
    return zipNoEntry;
}

void CZipDirectory::RemoveEntry(CZipEntryHeader* header, int index, bool shiftIndexes)
{
    if (index < 0)
        index = IndexOf(header);
    if (!IsValidIndex(index))
        return;
    header = (*this)[index];
    if (m_bFindFastEnabled) {
        auto found = std::find_if(m_findarray.begin(), m_findarray.end(),
                                  [header](const FindFastElement& e) { return e.m_pHeader == header; });
        if (found != m_findarray.end()) {
            const int removed = found->m_uIndex;
            m_findarray.erase(found);
            if (shiftIndexes)
                for (auto& element : m_findarray)
                    if (element.m_uIndex > removed)
                        --element.m_uIndex;
        }
    }
    if (header == m_pOpenedFile)
        m_pOpenedFile = nullptr;
    m_headers.erase(m_headers.begin() + index);
}

void CZipDirectory::RemoveAll()
{
    m_findarray.clear();
    m_headers.clear();
    m_pOpenedFile = nullptr;
}

void CZipDirectory::Clear(bool everything)
{
    m_pOpenedFile = nullptr;
    m_pLocalExtraField.Release();
    if (everything) {
        RemoveAll();
        m_pszComment.Release();
        m_info = CZipCentralDirInfo{};
        m_bFindFastEnabled = false;
    }
}

int CZipDirectory::CompareNames(const QString& a, const QString& b, bool caseSensitive) const
{
    return GetNameCompare(caseSensitive, true)(a, b);
}

void CZipDirectory::EnableFindFast(bool enable, bool caseSensitive)
{
    m_bFindFastEnabled = enable;
    if (enable)
        BuildFindFastArray(caseSensitive);
    else
        m_findarray.clear();
}

void CZipDirectory::BuildFindFastArray(bool caseSensitive)
{
    m_findarray.clear();
    m_bCaseSensitive = caseSensitive;
    m_bFindFastEnabled = true;
    // Sorted once, with each name decoded once, rather than inserted one by one: the first search in an
    // archive of many entries answers at once.
    std::vector<std::pair<QString, FindFastElement>> named;
    named.reserve(m_headers.size());
    for (int i = 0; i < GetCount(); ++i)
        named.push_back({(*this)[i]->GetFileName(), {(*this)[i], static_cast<std::uint16_t>(i)}});
    const ZipNameCompare compare = GetNameCompare(caseSensitive, true);
    std::stable_sort(named.begin(), named.end(),
                     [compare](const auto& a, const auto& b) { return compare(a.first, b.first) < 0; });
    m_findarray.reserve(named.size());
    for (const auto& element : named)
        m_findarray.push_back(element.second);
}

void CZipDirectory::InsertFindFastElement(CZipEntryHeader* header, int index)
{
    const QString name = header->GetFileName();
    std::size_t start = 0, end = m_findarray.size();
    while (start < end) {
        const std::size_t middle = (start + end) / 2;
        const int result = CompareNames(m_findarray[middle].m_pHeader->GetFileName(), name, m_bCaseSensitive);
        if (result < 0) {
            start = middle + 1;
        } else if (result > 0) {
            end = middle;
        } else {
            start = middle;
            break;
        }
    }
    const auto stored = static_cast<std::uint16_t>(index == 0xFFFF ? m_findarray.size() : index);
    m_findarray.insert(m_findarray.begin() + static_cast<std::ptrdiff_t>(start), {header, stored});
}

int CZipDirectory::FindNameIndex(const QString& name) const
{
    int start = 0, end = static_cast<int>(m_findarray.size()) - 1;
    while (start <= end) {
        const int middle = (start + end) / 2;
        const int result = CompareNames(
            m_findarray[static_cast<std::size_t>(middle)].m_pHeader->GetFileName(), name, m_bCaseSensitive);
        if (result == 0)
            return middle;
        if (result < 0)
            start = middle + 1;
        else
            end = middle - 1;
    }
    return zipNoEntry;
}

int CZipDirectory::FindEntry(const QString& name, bool caseSensitive, bool sporadic, bool nameOnly)
{
    if (!m_bFindFastEnabled)
        BuildFindFastArray(sporadic ? !caseSensitive : caseSensitive);
    if (nameOnly) {
        // The whole given name: "a\\b.txt" is no entry's last component, so it matches none.
        for (int i = 0; i < GetCount(); ++i)
            if (CompareNames(ZipPlatformOps::LastPathComponent((*this)[i]->GetFileName()), name,
                             caseSensitive) == 0)
                return i;
        return zipNoEntry;
    }
    if (caseSensitive != m_bCaseSensitive) {
        if (sporadic) {
            for (const auto& element : m_findarray)
                if (CompareNames(element.m_pHeader->GetFileName(), name, caseSensitive) == 0)
                    return element.m_uIndex;
            return zipNoEntry;
        }
        BuildFindFastArray(caseSensitive);
    }
    const int position = FindNameIndex(name);
    return position == zipNoEntry ? zipNoEntry : m_findarray[static_cast<std::size_t>(position)].m_uIndex;
}

void CZipDirectory::RenameEntry(int index, const QString& name)
{
    (*this)[index]->SetFileName(name);
    if (m_bFindFastEnabled)
        BuildFindFastArray(m_bCaseSensitive);
}

std::size_t CZipDirectory::GetSize(bool whole) const
{
    std::size_t size = kEndSize + m_pszComment.GetSize();
    if (whole)
        for (const auto& header : m_headers)
            size += header->HeaderSize(false);
    return size;
}
