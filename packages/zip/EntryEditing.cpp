// Changing entries that are already in the archive file, in place: delete, remove the last entry,
// replace at an index, rename, and copy raw from another archive; plus the name predictions.

#include "packages/zip/ZipArchive.h"

#include "packages/zip/ZipBytes.h"
#include "packages/zip/ZipPlatformOps.h"
#include "packages/zip/ZipStream.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace
{

bool isSeparator(QChar c)
{
    return c == '/' || c == '\\';
}

QString stripLeadingSeparators(QString path)
{
    qsizetype n = 0;
    while (n < path.size() && isSeparator(path[n]))
        ++n;
    return path.mid(n);
}

// A path without its drive: here, without a leading root separator.
QString withoutDrive(const QString& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return stripLeadingSeparators(path.mid(2));
    return stripLeadingSeparators(path);
}

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::uint64_t CZipArchive::EntrySpan(int index) const
{
    const std::uint64_t start = m_centralDir[index]->m_uOffset;
    const std::uint64_t next =
        index + 1 < m_centralDir.GetCount() ? m_centralDir[index + 1]->m_uOffset : m_centralDir.DataEnd();
    return next > start ? next - start : 0;
}

void CZipArchive::DeleteEntry(int index)
{
    DeleteEntries(std::vector<std::uint16_t>{static_cast<std::uint16_t>(index)});
}

void CZipArchive::DeleteEntries(const QStringList& names)
{
    std::vector<std::uint16_t> indexes;
    GetIndexes(names, indexes);
    DeleteEntries(std::move(indexes));
}

void CZipArchive::DeleteEntries(std::vector<std::uint16_t> indexes)
{
    if (IsClosed() || m_storage.IsSpanned() || m_storage.IsReadOnly() || m_iFileOpened != nothing)
        return;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    while (!indexes.empty() && !m_centralDir.IsValidIndex(indexes.back()))
        indexes.pop_back();
    if (indexes.empty())
        return;
    if (static_cast<int>(indexes.size()) == m_centralDir.GetCount()) {
        DeleteAllEntries();
        return;
    }
    CZipActionCallback* counting = GetCallback(CZipActionCallback::cbDeleteCnt);
    CZipActionCallback* deleting = GetCallback(CZipActionCallback::cbDelete);
    const std::uint64_t bytesBefore = m_centralDir.GetBytesBefore();

    struct Record {
        CZipEntryHeader* header;
        std::uint64_t offset;
        bool remove;
    };
    std::vector<Record> records;
    if (counting) {
        counting->Init();
        counting->SetTotal(m_centralDir.GetCount() - indexes.front());
    }
    auto wanted = indexes.begin();
    for (int i = indexes.front(); i < m_centralDir.GetCount(); ++i) {
        const bool remove = wanted != indexes.end() && *wanted == i;
        if (remove)
            ++wanted;
        records.push_back({m_centralDir[i], m_centralDir[i]->m_uOffset, remove});
        if (counting && (i - indexes.front() + 1) % CZipActionCallback::kStepSize == 0 &&
            !counting->Callback(CZipActionCallback::kStepSize))
            ThrowError(CZipException::abortedSafely);
    }
    if (counting)
        counting->CallbackEnd();

    m_centralDir.RemoveFromDisk();
    const std::uint64_t dataEnd = m_centralDir.DataEnd();
    m_pBuffer.Allocate(m_iBufferSize);
    if (deleting) {
        deleting->Init();
        deleting->SetTotal(dataEnd - records.front().offset);
    }
    std::uint64_t distance = 0;
    std::optional<std::uint64_t> pendingStart;
    for (std::size_t k = 0; k < records.size(); ++k) {
        Record& record = records[k];
        if (record.remove) {
            const std::uint64_t next = k + 1 < records.size() ? records[k + 1].offset : dataEnd;
            m_centralDir.RemoveEntry(record.header, zipNoEntry, true);
            if (pendingStart) {
                MovePackedData(*pendingStart, record.offset, distance, deleting, false);
                pendingStart.reset();
            }
            distance += next - record.offset;
        } else {
            if (!pendingStart)
                pendingStart = record.offset;
            record.header->m_uOffset -= distance;
        }
    }
    if (pendingStart)
        MovePackedData(*pendingStart, dataEnd, distance, deleting, false);
    m_pBuffer.Release();
    m_storage.GetFile()->SetLength(dataEnd + bytesBefore - distance);
    if (deleting)
        deleting->CallbackEnd();
    AutoFlush();
}

void CZipArchive::DeleteAllEntries()
{
    CZipActionCallback* deleting = GetCallback(CZipActionCallback::cbDelete);
    if (deleting) {
        deleting->Init();
        deleting->SetTotal(m_centralDir.GetCount());
    }
    // What is left is the prefix in front of the archive, if any; the end record follows at close.
    m_centralDir.RemoveFromDisk();
    m_storage.GetFile()->SetLength(m_centralDir.GetBytesBefore());
    m_centralDir.RemoveAll();
    AutoFlush();
    if (deleting)
        deleting->CallbackEnd();
}

void CZipArchive::MovePackedData(std::uint64_t start, std::uint64_t end, std::uint64_t distance,
                                 CZipActionCallback* callback, bool towardsEnd)
{
    if (distance == 0 || end <= start)
        return;
    m_storage.Flush();
    CZipFileBase& file = *m_storage.GetFile();
    const std::uint64_t bytesBefore = m_centralDir.GetBytesBefore();
    CZipBuffer& buffer = m_pBuffer;
    if (!buffer.IsAllocated())
        buffer.Allocate(m_iBufferSize);
    const std::uint64_t total = end - start;
    std::uint64_t moved = 0;
    while (moved < total) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.GetSize(), total - moved));
        const std::uint64_t from = towardsEnd ? end - moved - piece : start + moved;
        const std::uint64_t to = towardsEnd ? from + distance : from - distance;
        file.Seek(static_cast<std::int64_t>(from + bytesBefore), CZipFileBase::begin);
        const std::size_t got = file.Read(buffer.GetBuffer(), piece);
        if (got == 0)
            break;
        file.Seek(static_cast<std::int64_t>(to + bytesBefore), CZipFileBase::begin);
        file.Write(buffer.GetBuffer(), got);
        moved += got;
        if (got < piece)
            break;
        if (callback && !callback->Callback(got))
            ThrowError(CZipException::abortedAction);
    }
    if (moved != total)
        ThrowError(CZipException::internal);
}

void CZipArchive::ShiftTail(std::uint64_t start, std::uint64_t dataEnd, std::int64_t difference,
                            int firstMoved, CZipActionCallback* callback)
{
    if (difference == 0)
        return;
    CZipFileBase& file = *m_storage.GetFile();
    const std::uint64_t bytesBefore = m_centralDir.GetBytesBefore();
    m_storage.Flush();
    if (difference > 0) {
        // Longer first, then the bytes move back to front, so that nothing is overwritten unread.
        file.SetLength(dataEnd + bytesBefore + static_cast<std::uint64_t>(difference));
        MovePackedData(start, dataEnd, static_cast<std::uint64_t>(difference), callback, true);
    } else {
        MovePackedData(start, dataEnd, static_cast<std::uint64_t>(-difference), callback, false);
        file.SetLength(dataEnd + bytesBefore - static_cast<std::uint64_t>(-difference));
    }
    for (int i = firstMoved; i < m_centralDir.GetCount(); ++i)
        m_centralDir[i]->m_uOffset += static_cast<std::uint64_t>(difference);
}

bool CZipArchive::RemoveLastEntry(bool always)
{
    const int count = m_centralDir.GetCount();
    if (IsClosed() || count == 0 || m_iFileOpened != nothing || m_storage.IsSpanned() ||
        m_storage.IsReadOnly())
        return false;
    const CZipEntryHeader& last = *m_centralDir[count - 1];
    if (!always && last.GetEffectiveComprSize() <= last.m_uUncomprSize)
        return false;
    const std::uint64_t offset = last.m_uOffset;
    m_centralDir.RemoveFromDisk();
    m_centralDir.RemoveEntry(nullptr, count - 1, true);
    m_storage.Flush();
    m_storage.GetFile()->SetLength(offset + m_centralDir.GetBytesBefore());
    m_storage.GetFile()->SeekToEnd();
    AutoFlush();
    return true;
}

bool CZipArchive::UpdateReplaceIndex(int& replaceIndex, const QString& name)
{
    if (replaceIndex == zipReplaceByName)
        replaceIndex = FindEntry(name, ffDefault, false);
    if (replaceIndex >= 0) {
        if (m_storage.IsSpanned() || !m_centralDir.IsValidIndex(replaceIndex))
            return false;
        if (replaceIndex == m_centralDir.GetCount() - 1) {
            RemoveLastEntry(true);
            replaceIndex = zipReplaceNone;
        }
        return true;
    }
    replaceIndex = zipReplaceNone;
    return true;
}

void CZipArchive::MakeSpaceForReplace(int index, std::uint64_t totalSize, const QString& name)
{
    const std::uint64_t bytesBefore = m_centralDir.GetBytesBefore();
    const std::uint64_t position = m_storage.GetWritePosition();
    const std::uint64_t start = position - bytesBefore;
    const std::uint64_t dataEnd = m_centralDir.DataEnd();
    const std::uint64_t next =
        index + 1 < m_centralDir.GetCount() ? m_centralDir[index + 1]->m_uOffset : dataEnd;
    const auto difference = static_cast<std::int64_t>(totalSize) - static_cast<std::int64_t>(next - start);
    if (difference == 0)
        return;
    CZipActionCallback* callback = GetCallback(CZipActionCallback::cbReplace);
    if (callback) {
        callback->Init(name);
        callback->SetTotal(dataEnd - next);
    }
    ShiftTail(next, dataEnd, difference, index + 1, callback);
    m_storage.Seek(position);
    if (callback)
        callback->CallbackEnd();
}

bool CZipArchive::RenameEntry(int index, const QString& newName)
{
    if (IsClosed() || m_storage.IsSpanned() || m_storage.IsReadOnly() || m_iFileOpened != nothing ||
        !m_centralDir.IsValidIndex(index))
        return false;
    CZipEntryHeader& header = *m_centralDir[index];
    QString name = ZipPlatformOps::StripTrailingSeparators(newName);
    name.replace('/', '\\');
    if (header.IsDirectory())
        name += '\\';
    if (name == header.GetFileName())
        return true;
    CZipEntryHeader renamed = header;
    renamed.SetFileName(name);
    // The entry keeps its host's encoding and its flag: a name marked UTF-8 stays UTF-8 and marked. A
    // host whose names are taken byte for byte gets the new name's UTF-8 bytes, so those are marked
    // too, or other tools would show them in their own code page.
    bool utf8 = (header.m_uFlag & CZipEntryHeader::kUtf8NameFlag) != 0;
    const QByteArray newArchiveName =
        ZipAttrMap::NameToArchive(renamed.GetFileNameBytes(), renamed.GetSystemCompatibility(), utf8);
    if (newArchiveName.size() > 0xFFFF)
        return false;
    if (utf8 || (renamed.GetSystemCompatibility() != zipHostDos && !isAscii(newArchiveName)))
        renamed.m_uFlag |= CZipEntryHeader::kUtf8NameFlag;
    const QByteArray oldArchiveName = header.GetArchiveName();

    const std::int64_t difference = newArchiveName.size() - oldArchiveName.size();
    // The directory written at close grows with the name, and must still end within the format's 4 GiB.
    if (difference > 0 &&
        m_centralDir.DataEnd() + m_centralDir.GetSize(true) + 2 * static_cast<std::uint64_t>(difference) >
            0xFFFFFFFFull)
        return false;

    // The local header is checked before anything changes: a damaged one leaves the archive as it was.
    m_storage.Flush();
    CZipFileBase& file = *m_storage.GetFile();
    const std::uint64_t bytesBefore = m_centralDir.GetBytesBefore();
    const std::uint64_t local = header.m_uOffset + bytesBefore;
    char fixed[30];
    file.Seek(static_cast<std::int64_t>(local), CZipFileBase::begin);
    if (file.Read(fixed, sizeof fixed) != sizeof fixed ||
        zipbytes::get32(fixed) != CZipEntryHeader::kLocalSignature ||
        zipbytes::get16(fixed + 26) != oldArchiveName.size())
        ThrowError(CZipException::badZipFile);
    m_centralDir.RemoveFromDisk();
    // The local header keeps its own flags and extra field; only the name and bit 11 change.
    std::uint16_t localFlags = zipbytes::get16(fixed + 6);
    localFlags = static_cast<std::uint16_t>((localFlags & ~CZipEntryHeader::kUtf8NameFlag) |
                                            (renamed.m_uFlag & CZipEntryHeader::kUtf8NameFlag));
    const std::uint16_t localExtra = zipbytes::get16(fixed + 28);

    if (difference != 0) {
        const std::uint64_t start = header.m_uOffset + 30 + static_cast<std::uint64_t>(oldArchiveName.size());
        const std::uint64_t dataEnd = m_centralDir.DataEnd();
        CZipActionCallback* callback = GetCallback(CZipActionCallback::cbRename);
        if (callback) {
            callback->Init(header.GetFileName());
            callback->SetTotal(dataEnd - start);
        }
        m_pBuffer.Allocate(m_iBufferSize);
        ShiftTail(start, dataEnd, difference, index + 1, callback);
        m_pBuffer.Release();
        if (callback)
            callback->CallbackEnd();
    }
    char patch[4];
    char* out = patch;
    zipbytes::put16(out, localFlags);
    file.Seek(static_cast<std::int64_t>(local + 6), CZipFileBase::begin);
    file.Write(patch, 2);
    out = patch;
    zipbytes::put16(out, static_cast<std::uint32_t>(newArchiveName.size()));
    zipbytes::put16(out, localExtra);
    file.Seek(static_cast<std::int64_t>(local + 26), CZipFileBase::begin);
    file.Write(patch, 4);
    file.Write(newArchiveName.constData(), static_cast<std::size_t>(newArchiveName.size()));
    file.SeekToEnd();

    header.m_uFlag = renamed.m_uFlag;
    m_centralDir.RenameEntry(index, name);
    AutoFlush();
    return true;
}

bool CZipArchive::GetFromArchive(CZipArchive& other, int index, int replaceIndex, bool keepSystem,
                                 int callbackType)
{
    if (IsClosed() || other.IsClosed() || m_iFileOpened != nothing || other.m_iFileOpened != nothing ||
        other.m_storage.IsSpanned() || m_storage.IsExistingSpanned() || m_storage.IsReadOnly() ||
        !other.m_centralDir.IsValidIndex(index))
        return false;
    CZipEntryHeader header = *other.m_centralDir[index];
    if (!keepSystem && header.GetSystemCompatibility() != m_iArchiveSystCompatib) {
        const std::uint32_t attributes = header.GetAttributesForThisSystem();
        header.SetSystemCompatibility(m_iArchiveSystCompatib);
        header.SetAttributesFromThisSystem(attributes);
    }
    if (!UpdateReplaceIndex(replaceIndex, header.GetFileName()))
        return false;
    // Counted once the replacement is known: a name that was not found makes the copy an append.
    if (replaceIndex < 0 && m_centralDir.GetCount() >= kMaxEntries)
        return false;

    std::uint64_t dataStart = 0;
    const std::uint64_t length = other.StoredExtent(index, dataStart);

    header.m_pExtraField.Release();
    CZipEntryHeader* added = m_centralDir.AddNewEntry(header, replaceIndex);
    if (replaceIndex >= 0)
        MakeSpaceForReplace(replaceIndex, header.HeaderSize(true) + length, header.GetFileName());
    added->WriteLocalHeader(m_storage);

    CZipActionCallback* callback = GetCallback(callbackType);
    if (callback) {
        callback->Init(header.GetFileName(), other.GetArchivePath());
        callback->SetTotal(length);
    }
    m_pBuffer.Allocate(m_iBufferSize);
    other.m_storage.Seek(dataStart);
    std::uint64_t copied = 0;
    try {
        while (copied < length) {
            const auto piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(m_pBuffer.GetSize(), length - copied));
            other.m_storage.Read(m_pBuffer.GetBuffer(), piece, true);
            m_storage.Write(m_pBuffer.GetBuffer(), piece, false);
            copied += piece;
            if (callback && !callback->Callback(piece) && copied < length) {
                m_centralDir.AbandonNewEntry();
                ThrowError(replaceIndex < 0 ? CZipException::abortedSafely : CZipException::abortedAction);
            }
        }
        m_centralDir.FinishCopiedEntry();
    } catch (...) {
        m_centralDir.AbandonNewEntry();
        m_pBuffer.Release();
        throw;
    }
    m_pBuffer.Release();
    if (callback)
        callback->CallbackEnd();
    // Also when this copy is the second half of a replacement through a temporary archive.
    AutoFlush();
    return true;
}

std::uint64_t CZipArchive::StoredExtent(int index, std::uint64_t& dataStart)
{
    const CZipEntryHeader& header = *m_centralDir[index];
    m_pBuffer.Allocate(m_iBufferSize);
    m_centralDir.OpenEntry(index);
    dataStart = m_storage.GetFile()->GetPosition();
    m_centralDir.CloseEntry(true);
    m_pBuffer.Release();
    const std::uint64_t runEnd =
        (index + 1 < m_centralDir.GetCount() ? m_centralDir[index + 1]->m_uOffset : m_centralDir.DataEnd()) +
        m_centralDir.GetBytesBefore();
    std::uint64_t length = header.m_uComprSize;
    if (header.IsDataDescriptor()) {
        length += 12;
        if (runEnd >= dataStart + length + 4) {
            char signature[4];
            m_storage.Seek(dataStart + header.m_uComprSize);
            m_storage.Read(signature, 4, true);
            if (zipbytes::get32(signature) == CZipDirectory::kDescriptorSignature)
                length += 4;
        }
    }
    if (runEnd < dataStart + length)
        ThrowError(CZipException::badZipFile);
    return length;
}

bool CZipArchive::GetFromArchive(CZipArchive& other, std::vector<std::uint16_t> indexes, bool keepSystem)
{
    std::sort(indexes.begin(), indexes.end());
    // The directory is written once for the batch, not after every copy of it.
    struct AutoFlushHeld {
        bool& flag;
        const bool was;
        ~AutoFlushHeld() { flag = was; }
    } held{m_bAutoFlush, std::exchange(m_bAutoFlush, false)};
    bool copiedAll = true;
    for (const std::uint16_t index : indexes) {
        if (!GetFromArchive(other, index, -1, keepSystem, CZipActionCallback::cbGet)) {
            copiedAll = false;
            break;
        }
    }
    m_bAutoFlush = held.was;
    AutoFlush();
    return copiedAll;
}

QString CZipArchive::TrimRootPath(const QString& path) const
{
    if (m_szRootPath.isEmpty())
        return ZipPlatformOps::LastPathComponent(path);
    QString root = ZipPlatformOps::StripTrailingSeparators(m_szRootPath);
    QString normalised = path;
    normalised.replace('\\', '/');
    root.replace('\\', '/');
    const Qt::CaseSensitivity rule = m_bCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (normalised.startsWith(root, rule) &&
        (normalised.size() == root.size() || isSeparator(normalised[root.size()])))
        return stripLeadingSeparators(path.mid(root.size()));
    return ZipPlatformOps::LastPathComponent(path);
}

QString CZipArchive::PredictEntryName(const QString& path, bool fullPath, int kind, bool exact) const
{
    if (path.isEmpty())
        return {};
    const bool appendSeparator = kind == 0 || (kind != 1 && isSeparator(path.back()));
    QString name = ZipPlatformOps::StripTrailingSeparators(path);
    name = fullPath ? withoutDrive(name) : TrimRootPath(name);
    if (appendSeparator && !name.isEmpty())
        name += '\\';
    name.replace('/', '\\');
    if (!exact)
        return name;
    bool utf8 = false;
    return QString::fromLatin1(ZipAttrMap::NameToArchive(name.toUtf8(), m_iArchiveSystCompatib, utf8));
}

QString CZipArchive::PredictExtractedName(const QString& entryName, const QString& folder, bool fullPath,
                                          const QString& newName) const
{
    const QString name = ZipPlatformOps::StripTrailingSeparators(newName.isEmpty() ? entryName : newName);
    QString result = folder;
    if (name.isEmpty())
        return result;
    if (!result.isEmpty())
        result = ZipPlatformOps::StripTrailingSeparators(result) + '/';
    QString part = fullPath ? withoutDrive(name) : TrimRootPath(name);
    part.replace('\\', '/');
    return result + part;
}

int CZipArchive::FindPredictedEntry(const QString& path, bool fullPath, bool nameOnly, int kind)
{
    const QString name = nameOnly ? PredictEntryName(ZipPlatformOps::LastPathComponent(path), false, kind)
                                  : PredictEntryName(path, fullPath, kind);
    return FindEntry(name, ffDefault, nameOnly);
}
