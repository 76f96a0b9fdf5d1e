// Writing one entry's data into the archive and reading it back: deflate and inflate through zlib,
// the running CRC-32, the working buffer and the traditional encryption; and the whole-entry
// operations built on them (add, extract, test).

#include "packages/zip/ZipArchive.h"

#include <algorithm>

#include "packages/zip/ZipPlatformOps.h"
#include "packages/zip/ZipStream.h"

#include <cstring>
#include <ctime>

namespace
{

constexpr std::uint64_t kFormatLimit = 0xFFFFFFFFull;

void checkZlib(int result, const QString& path)
{
    if (result != Z_OK && result != Z_NEED_DICT)
        ThrowZipException(ZlibErrorToCause(result), path);
}

} // namespace

bool CZipArchive::OpenNewEntry(CZipEntryHeader& header, int level, const QString* sourcePath,
                               std::uint64_t replaceTotal)
{
    if (IsClosed() || m_iFileOpened != nothing || m_storage.IsExistingSpanned() || m_storage.IsReadOnly())
        return false;
    int replaceIndex = -1;
    if ((level & 0xFFFF) == kReplaceLevelFlag) {
        replaceIndex = (level >> 16) & 0xFFFF;
        level = 0;
    } else if (level < -1 || level > 9) {
        level = -1;
    }
    // The format's 16-bit count holds no more entries; a replacement keeps the count.
    if (m_centralDir.GetCount() >= kMaxEntries && !m_centralDir.IsValidIndex(replaceIndex))
        return false;
    std::uint32_t attributes = 0;
    std::time_t modified = std::time(nullptr);
    if (sourcePath) {
        if (!ZipPlatformOps::ReadAttributes(*sourcePath, attributes))
            return false;
        ZipPlatformOps::ReadModTime(*sourcePath, modified);
    }
    m_pBuffer.Allocate(m_iBufferSize);
    header.SetSystemCompatibility(m_iArchiveSystCompatib);
    if (sourcePath) {
        header.SetTime(modified);
        header.SetAttributesFromThisSystem(attributes);
    }
    QByteArray name = header.GetFileNameBytes();
    if (header.IsDirectory() && !name.endsWith('\\') && !name.endsWith('/'))
        name.append('\\');
    if (name.isEmpty())
        name = QStringLiteral("file%1").arg(m_centralDir.GetCount()).toUtf8();
    name.replace('/', '\\');
    header.SetFileNameBytes(name);

    // A folder holds no data and is never compressed: both of its headers say "stored", or readers that
    // trust the local header would try to inflate nothing.
    if (header.IsDirectory())
        level = 0;
    const bool encrypted = m_pszPassword.GetSize() > 0;
    if (!header.PrepareForWriting(level, m_storage.IsSpanned(), encrypted))
        ThrowError(CZipException::tooLongFileName);
    if (replaceIndex >= 0)
        replaceTotal += header.HeaderSize(true) + (encrypted ? 12 : 0) + (header.IsDataDescriptor() ? 16 : 0);

    CZipEntryHeader* added = m_centralDir.AddNewEntry(header, replaceIndex);
    if (replaceIndex >= 0)
        MakeSpaceForReplace(replaceIndex, replaceTotal, added->GetFileName());
    added->WriteLocalHeader(m_storage);
    if (encrypted) {
        char cryptHeader[ZipCrypto::kHeaderSize];
        m_crypto.CreateHeader(m_pszPassword.GetBuffer(), m_pszPassword.GetSize(),
                              static_cast<std::uint32_t>(added->m_uModTime) << 16, cryptHeader);
        m_storage.Write(cryptHeader, sizeof cryptHeader, false);
    }

    m_stream->Reset();
    m_stream->z.next_out = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
    m_stream->z.avail_out = static_cast<uInt>(m_pBuffer.GetSize());
    if (added->m_uMethod == 8) {
        checkZlib(deflateInit2(&m_stream->z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY),
                  GetArchivePath());
        m_stream->deflating = true;
    }
    m_iFileOpened = writing;
    return true;
}

void CZipArchive::FlushPending()
{
    Stream& s = *m_stream;
    if (s.pending) {
        if (m_centralDir.GetOpenedEntry()->IsEncrypted())
            m_crypto.Encode(m_pBuffer.GetBuffer(), s.pending);
        m_storage.Write(m_pBuffer.GetBuffer(), s.pending, false);
    }
    s.pending = 0;
    s.z.next_out = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
    s.z.avail_out = static_cast<uInt>(m_pBuffer.GetSize());
}

bool CZipArchive::WriteNewEntry(const void* data, std::size_t size)
{
    if (m_iFileOpened != writing)
        return false;
    CZipEntryHeader& header = *m_centralDir.GetOpenedEntry();
    Stream& s = *m_stream;
    const auto* in = static_cast<const Bytef*>(data);
    header.m_uCrc32 = static_cast<std::uint32_t>(crc32_z(header.m_uCrc32, in, size));
    if (header.m_uMethod == 8) {
        while (size > 0) {
            const auto chunk = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
            s.z.next_in = const_cast<Bytef*>(in);
            s.z.avail_in = chunk;
            while (s.z.avail_in > 0) {
                if (s.z.avail_out == 0)
                    FlushPending();
                const uInt before = s.z.avail_out;
                checkZlib(deflate(&s.z, Z_NO_FLUSH), GetArchivePath());
                s.pending += before - s.z.avail_out;
            }
            in += chunk;
            size -= chunk;
        }
        if (s.z.total_in > kFormatLimit || s.z.total_out + header.m_uComprSize > kFormatLimit)
            ThrowError(CZipException::tooLarge);
    } else {
        s.storedIn += size;
        if (s.storedIn > kFormatLimit)
            ThrowError(CZipException::tooLarge);
        while (size > 0) {
            if (s.z.avail_out == 0)
                FlushPending();
            const std::size_t n = std::min<std::size_t>(size, s.z.avail_out);
            std::memcpy(s.z.next_out, in, n);
            s.z.next_out += n;
            s.z.avail_out -= static_cast<uInt>(n);
            s.pending += n;
            in += n;
            size -= n;
        }
    }
    return true;
}

bool CZipArchive::CloseNewEntry(bool afterException)
{
    if (m_iFileOpened != writing)
        return false;
    if (afterException) {
        m_centralDir.AbandonNewEntry();
    } else {
        CZipEntryHeader& header = *m_centralDir.GetOpenedEntry();
        Stream& s = *m_stream;
        if (header.m_uMethod == 8) {
            for (;;) {
                if (s.z.avail_out == 0)
                    FlushPending();
                const uInt before = s.z.avail_out;
                const int result = deflate(&s.z, Z_FINISH);
                s.pending += before - s.z.avail_out;
                if (result == Z_STREAM_END)
                    break;
                checkZlib(result, GetArchivePath());
            }
        }
        FlushPending();
        std::uint64_t totalIn = s.storedIn;
        std::uint64_t totalOut = s.storedIn;
        if (header.m_uMethod == 8) {
            totalIn = s.z.total_in;
            totalOut = s.z.total_out;
            s.deflating = false;
            checkZlib(deflateEnd(&s.z), GetArchivePath());
        }
        if (totalIn > kFormatLimit || totalOut + header.m_uComprSize > kFormatLimit)
            ThrowError(CZipException::tooLarge);
        header.m_uComprSize += static_cast<std::uint32_t>(totalOut);
        header.m_uUncomprSize = static_cast<std::uint32_t>(totalIn);
        m_centralDir.CloseNewEntry();
    }
    ReleaseWorkingState();
    if (!afterException)
        AutoFlush();
    return true;
}

bool CZipArchive::OpenEntry(int index)
{
    if (IsClosed() || !m_centralDir.IsValidIndex(index) || m_storage.IsNewSpanned() ||
        m_iFileOpened != nothing)
        return false;
    m_pBuffer.Allocate(m_iBufferSize);
    m_stream->Reset();
    m_iFileOpened = reading;
    try {
        OpenEntryFraming(index);
    } catch (...) {
        // A failed open leaves no entry open behind it.
        CloseEntry(nullptr, true);
        throw;
    }
    return true;
}

void CZipArchive::OpenEntryFraming(int index)
{
    m_centralDir.OpenEntry(index);
    CZipEntryHeader& header = *m_centralDir.GetOpenedEntry();
    Stream& s = *m_stream;
    s.comprLeft = header.m_uComprSize;
    if (header.IsEncrypted()) {
        if (m_pszPassword.GetSize() == 0)
            ThrowError(CZipException::badPassword);
        // Too short to hold the encryption header: damaged, never a size that wraps.
        if (header.m_uComprSize < ZipCrypto::kHeaderSize)
            ThrowError(CZipException::badZipFile);
        char cryptHeader[ZipCrypto::kHeaderSize];
        m_storage.Read(cryptHeader, sizeof cryptHeader, false);
        const auto check = static_cast<std::uint8_t>(header.IsDataDescriptor() ? header.m_uModTime >> 8
                                                                               : header.m_uCrc32 >> 24);
        if (!m_crypto.CheckHeader(m_pszPassword.GetBuffer(), m_pszPassword.GetSize(), cryptHeader, check))
            ThrowError(CZipException::badPassword);
        s.comprLeft -= ZipCrypto::kHeaderSize;
    }
    if (header.m_uMethod != 0 && header.m_uMethod != 8)
        ThrowError(CZipException::badZipFile);
    if (header.m_uMethod == 8) {
        checkZlib(inflateInit2(&s.z, -MAX_WBITS), GetArchivePath());
        s.inflating = true;
    }
    s.uncomprLeft = header.m_uUncomprSize;
}

void CZipArchive::ReadCompressed()
{
    Stream& s = *m_stream;
    if (s.comprLeft > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(m_pBuffer.GetSize(), s.comprLeft));
        m_storage.Read(m_pBuffer.GetBuffer(), n, false);
        if (m_centralDir.GetOpenedEntry()->IsEncrypted())
            m_crypto.Decode(m_pBuffer.GetBuffer(), n);
        s.comprLeft -= n;
        s.z.next_in = reinterpret_cast<Bytef*>(m_pBuffer.GetBuffer());
        s.z.avail_in = static_cast<uInt>(n);
        return;
    }
    // inflate may want one byte past the data to finish; it is offered once, and a stream that still
    // wants more is damaged.
    if (s.dummyOffered)
        ThrowError(CZipException::badZipFile);
    static Bytef dummy = 0;
    s.dummyOffered = true;
    s.z.next_in = &dummy;
    s.z.avail_in = 1;
}

std::size_t CZipArchive::ReadEntry(void* buffer, std::size_t size)
{
    if (m_iFileOpened != reading || !buffer || size == 0)
        return 0;
    Stream& s = *m_stream;
    const CZipEntryHeader& header = *m_centralDir.GetOpenedEntry();
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, s.uncomprLeft));
    auto* out = static_cast<Bytef*>(buffer);
    std::size_t delivered = 0;
    bool ended = false;
    while (!ended && (delivered < wanted || (wanted == 0 && s.comprLeft > 0))) {
        if (s.z.avail_in == 0) {
            if (header.m_uMethod == 0 && s.comprLeft == 0)
                break;
            ReadCompressed();
        }
        const std::size_t room = wanted - delivered;
        if (header.m_uMethod == 0) {
            const std::size_t n = std::min<std::size_t>(room, s.z.avail_in);
            std::memcpy(out + delivered, s.z.next_in, n);
            s.z.next_in += n;
            s.z.avail_in -= static_cast<uInt>(n);
            delivered += n;
            if (wanted == 0) { // a stored entry of no bytes with data behind it: skip the data
                s.z.avail_in = 0;
            }
            continue;
        }
        s.z.next_out = out + delivered;
        s.z.avail_out = static_cast<uInt>(std::min<std::size_t>(room, 1u << 30));
        const uInt before = s.z.avail_out;
        const uInt inBefore = s.z.avail_in;
        const int result = inflate(&s.z, Z_SYNC_FLUSH);
        delivered += before - s.z.avail_out;
        if (result == Z_STREAM_END)
            ended = true;
        else if (result == Z_BUF_ERROR && before == s.z.avail_out && inBefore == s.z.avail_in) {
            // No progress: fine when nothing more is wanted, else the stream is stuck and would spin.
            if (room > 0)
                ThrowError(CZipException::badZipFile);
            ended = true;
        } else
            checkZlib(result, GetArchivePath());
    }
    s.crc = static_cast<std::uint32_t>(crc32_z(s.crc, out, delivered));
    s.uncomprLeft -= delivered;
    return delivered;
}

int CZipArchive::CloseEntry(const QString* extractedPath, bool afterException)
{
    if (m_iFileOpened != reading)
        return entryNotOpen;
    int result = entryClosed;
    CZipEntryHeader* header = m_centralDir.GetOpenedEntry();
    if (!afterException && header) {
        if (m_stream->uncomprLeft == 0) {
            if (m_stream->crc != header->m_uCrc32)
                ThrowError(CZipException::badCrc);
        } else {
            result = entryDataLeft;
        }
    }
    m_stream->End();
    if (extractedPath && header && !afterException) {
        if (!ZipPlatformOps::WriteModTime(*extractedPath, header->GetTime()))
            result = entryAttributesNotSet;
        std::uint32_t attributes = header->GetAttributesForThisSystem();
        if (header->GetSystemCompatibility() == zipHostUnix)
            attributes |= header->m_uExternalAttr & 0xFFFF0000;
        if (!ZipPlatformOps::WriteAttributes(*extractedPath, attributes))
            result = entryAttributesNotSet;
    }
    if (afterException)
        m_centralDir.CloseEntry(true);
    else if (result == entryClosed || result == entryAttributesNotSet)
        m_centralDir.CloseEntry(false);
    else
        m_centralDir.CloseEntry(true); // the descriptor lies behind data that was not read
    ReleaseWorkingState();
    return result;
}

int CZipArchive::CloseEntry(CZipFile& extractedFile)
{
    const QString path = extractedFile.GetFilePath();
    extractedFile.Close();
    return CloseEntry(&path, false);
}

int CZipArchive::PumpEntry(CZipFileBase* sink, std::size_t bufferSize, CZipActionCallback* callback)
{
    CZipBuffer buffer(bufferSize);
    for (;;) {
        const std::size_t n = ReadEntry(buffer.GetBuffer(), bufferSize);
        if (n == 0)
            return 0;
        if (sink)
            sink->Write(buffer.GetBuffer(), n);
        if (callback && !callback->Callback(n))
            return m_stream->uncomprLeft > 0 ? CZipException::abortedAction : CZipException::abortedSafely;
    }
}

CZipActionCallback* CZipArchive::StartCallback(int kind, const CZipEntryHeader& header, const QString& path)
{
    CZipActionCallback* callback = GetCallback(kind);
    if (callback) {
        callback->Init(header.GetFileName(), path);
        callback->SetTotal(header.m_uUncomprSize);
    }
    return callback;
}

bool CZipArchive::TestEntry(int index, std::size_t bufferSize)
{
    if (IsClosed() || m_storage.IsNewSpanned() || bufferSize == 0 || !m_centralDir.IsValidIndex(index))
        return false;
    const CZipEntryHeader& header = *m_centralDir[index];
    if (header.IsDirectory()) {
        const bool empty = header.m_uUncomprSize == 0 &&
                           (header.m_uComprSize == 0 || (header.IsEncrypted() && header.m_uComprSize == 12));
        if (!empty)
            ThrowError(CZipException::dirWithSize);
        return true;
    }
    try {
        if (!OpenEntry(index))
            return false;
        CZipActionCallback* callback = StartCallback(CZipActionCallback::cbTest, header);
        if (const int abortCause = PumpEntry(nullptr, bufferSize, callback)) {
            CloseEntry(nullptr, true);
            ThrowError(abortCause);
        }
        if (CloseEntry() == entryDataLeft)
            ThrowError(CZipException::badZipFile);
        if (callback)
            callback->CallbackEnd();
    } catch (...) {
        if (m_iFileOpened == reading)
            CloseEntry(nullptr, true);
        m_centralDir.Clear(false);
        throw;
    }
    return true;
}

bool CZipArchive::ExtractToMemory(int index, CZipMemoryFile& file, bool rewind, std::size_t bufferSize)
{
    if (bufferSize == 0 || IsClosed() || !m_centralDir.IsValidIndex(index) ||
        m_centralDir[index]->IsDirectory())
        return false;
    CZipActionCallback* callback = StartCallback(CZipActionCallback::cbExtract, *m_centralDir[index]);
    const std::uint64_t oldPosition = file.GetPosition();
    const std::uint64_t oldLength = file.GetLength();
    // Nothing of an entry that failed or ended early is left behind in the caller's memory file.
    auto restore = [&] {
        file.SetLength(oldLength);
        file.Seek(static_cast<std::int64_t>(oldPosition), CZipFileBase::begin);
    };
    int abortCause = 0;
    int closed = entryNotOpen;
    try {
        if (!OpenEntry(index))
            return false;
        file.SeekToEnd();
        abortCause = PumpEntry(&file, bufferSize, callback);
        closed = abortCause ? CloseEntry(nullptr, true) : CloseEntry();
    } catch (...) {
        if (m_iFileOpened == reading)
            CloseEntry(nullptr, true);
        restore();
        throw;
    }
    if (abortCause == CZipException::abortedSafely && closed != entryClosed)
        abortCause = CZipException::abortedAction;
    if (callback && !abortCause)
        callback->CallbackEnd();
    if (closed != entryClosed && !abortCause)
        restore();
    if (rewind)
        file.Seek(static_cast<std::int64_t>(oldPosition), CZipFileBase::begin);
    if (abortCause)
        ThrowError(abortCause);
    return closed == entryClosed;
}

QString CZipArchive::SafeExtractTarget(const QString& entryName, const QString& folder, bool fullPath,
                                       const QString& newName) const
{
    // Names that would climb out of the target folder, or start at the root, are never written.
    QString path = entryName;
    path.replace('\\', '/');
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    if (path.startsWith('/') || (path.size() >= 2 && path[1] == ':') || parts.contains(QStringLiteral("..")))
        return {};
    // Nor names that name no file inside it ("", "/", "."): they would stand for the folder itself.
    if (std::all_of(parts.begin(), parts.end(),
                    [](const QString& part) { return part == QStringLiteral("."); }))
        return {};
    const QString target = PredictExtractedName(entryName, folder, fullPath, newName);
    if (folder.isEmpty())
        return target;
    // Nor through a symbolic link that already stands inside the folder.
    const QString base = ZipPlatformOps::StripTrailingSeparators(folder);
    if (ZipPlatformOps::PassesThroughLink(base, target.mid(base.size() + 1)))
        return {};
    return target;
}

bool CZipArchive::ExtractToFile(int index, const QString& folder, bool fullPath, const QString& newName,
                                std::size_t bufferSize)
{
    if ((bufferSize == 0 && folder.isEmpty()) || IsClosed() || !m_centralDir.IsValidIndex(index))
        return false;
    const CZipEntryHeader& header = *m_centralDir[index];
    const QString target =
        SafeExtractTarget(newName.isEmpty() ? header.GetFileName() : newName, folder, fullPath, newName);
    if (target.isEmpty())
        return false;
    CZipActionCallback* callback = StartCallback(CZipActionCallback::cbExtract, header, target);
    if (header.IsDirectory()) {
        if (!ZipPlatformOps::MakeFolderTree(target))
            return false;
        ZipPlatformOps::WriteAttributes(
            target,
            header.GetAttributesForThisSystem() |
                (header.GetSystemCompatibility() == zipHostUnix ? header.m_uExternalAttr & 0xFFFF0000 : 0));
        if (callback)
            callback->CallbackEnd();
        return true;
    }
    if (!OpenEntry(index))
        return false;
    int abortCause = 0;
    const int closed =
        ExtractOpenEntryToFile(target, bufferSize ? bufferSize : m_iBufferSize, callback, abortCause);
    if (callback && !abortCause)
        callback->CallbackEnd();
    if (abortCause)
        ThrowError(abortCause);
    return closed == entryClosed;
}

int CZipArchive::ExtractOpenEntryToFile(const QString& target, std::size_t bufferSize,
                                        CZipActionCallback* callback, int& abortCause)
{
    // The data goes to a file beside the target, which replaces the target only once the entry was read
    // whole and its CRC matched: a failed extraction leaves no half-written file.
    const QString folder = lumivo::files::folderOf(target);
    ZipPlatformOps::MakeFolderTree(folder);
    const bool replacing = ZipPlatformOps::PathKind(target) == ZipPlatformOps::pathFile;
    QString partial =
        folder + QStringLiteral("/.") + lumivo::files::fileNameOf(target) + QStringLiteral(".part");
    if (ZipPlatformOps::PathKind(partial) != ZipPlatformOps::pathMissing) {
        partial = ZipPlatformOps::MakeTempFileName(folder, m_centralDir.GetOpenedEntry()->m_uUncomprSize);
        if (partial.isEmpty() || lumivo::files::folderOf(partial) != folder) {
            CloseEntry(nullptr, true);
            return entryNotOpen;
        }
    }
    int closed = entryNotOpen;
    try {
        CZipFile file;
        file.Open(partial, CZipFile::modeCreate, true);
        abortCause = PumpEntry(&file, bufferSize, callback);
        if (abortCause) {
            file.Close();
            closed = CloseEntry(nullptr, true);
        } else {
            if (replacing)
                file.Flush(); // the old file goes only once the new one is safely on the disk
            closed = CloseEntry(file);
        }
    } catch (...) {
        if (m_iFileOpened == reading)
            CloseEntry(nullptr, true);
        ZipPlatformOps::DeletePath(partial, false);
        throw;
    }
    if ((closed == entryClosed || closed == entryAttributesNotSet) &&
        ZipPlatformOps::MovePath(partial, target, false))
        return closed;
    ZipPlatformOps::DeletePath(partial, false);
    return closed == entryClosed ? entryNotOpen : closed;
}
