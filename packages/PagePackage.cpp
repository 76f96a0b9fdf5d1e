#include "packages/PagePackage.h"

#include "core/Icon.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/Word.h"
#include "packages/zip/ZipFile.h"
#include "platform/archive/Cp1252.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::uint64_t thePackageImportBudget = kDefaultPackageImportBudget;

const char* const CPagePackage::kPassword = "Wb5nKe27rD";

PackagedPage::PackagedPage() = default;
PackagedPage::~PackagedPage() = default;
PackagedPage::PackagedPage(PackagedPage&&) noexcept = default;
PackagedPage& PackagedPage::operator=(PackagedPage&&) noexcept = default;

namespace
{

const QString kVersionFolder = QStringLiteral("V2.1");
// The largest field an import reads, a text or a list; a picture's or a sound's bytes have no limit of
// their own: only the import's budget bounds them.
constexpr std::uint64_t kFieldLimit = 0x10000;
constexpr std::uint64_t kOnlyTheBudget = std::numeric_limits<std::uint64_t>::max();
constexpr std::int32_t kTagMask = std::int32_t(0xFFFF0000);

// An export writes under the target's name with these behind it. QTemporaryFile draws ASCII letters for
// the Xs, so only such a name is taken for an export's own; any other is left alone.
const QString kScratchPlaceholder = QStringLiteral(".XXXXXX");
const QString kScratchSuffix = QStringLiteral(".part");

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

// Whether `name` is exactly what an export of the target named `target` writes under, and nothing else.
bool isScratchNameOf(const QString& name, const QString& target)
{
    const qsizetype drawnAt = target.size() + 1;
    const qsizetype drawnLength = kScratchPlaceholder.size() - 1;
    if (name.size() != target.size() + kScratchPlaceholder.size() + kScratchSuffix.size() ||
        !name.startsWith(target + QLatin1Char('.')) || !name.endsWith(kScratchSuffix))
        return false;
    const QStringView drawn = QStringView(name).mid(drawnAt, drawnLength);
    return std::all_of(drawn.begin(), drawn.end(), isAsciiLetter);
}

// Removes the file when it is a plain file that no export holds locked: one whose export was killed.
void removeIfAbandoned(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(native.constData());
    ::close(fd);
}

// A killed export leaves its scratch file, and every later export draws a new name: without this they
// would pile up beside the target, one for each export the person never saw finish.
void removeLeftoverScratchFiles(const QString& target)
{
    const QFileInfo targetInfo(target);
    const QString targetName = targetInfo.fileName();
    const QDir folder = targetInfo.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (isScratchNameOf(name, targetName))
            removeIfAbandoned(folder.filePath(name));
    }
}

QString iconFolder(const QString& objectFolder, int n)
{
    return QStringLiteral("%1\\QuibIcon#%2").arg(objectFolder).arg(n);
}

// The import's budget as a person reads it: in MB, rounded up.
std::uint64_t budgetInMegabytes()
{
    return (thePackageImportBudget + (1u << 20) - 1) >> 20;
}

} // namespace

CPagePackage::CPagePackage() = default;

CPagePackage::~CPagePackage()
{
    abandon();
}

// Writing ----------------------------------------------------------------------------------------

QString CPagePackage::TypeToFolderName(std::int32_t type)
{
    const auto t = std::uint32_t(type);
    return QStringLiteral("%1-%2-%3-%4")
        .arg(t >> 24)
        .arg((t >> 16) & 0xFF)
        .arg((t >> 8) & 0xFF)
        .arg(t & 0xFF);
}

QString CPagePackage::ObjectFolder(std::int32_t type, std::int32_t id)
{
    return QStringLiteral("%1\\%2\\%3").arg(kVersionFolder, TypeToFolderName(type)).arg(id);
}

PackageResult CPagePackage::writePackage(const QString& path, const std::function<void()>& write)
{
    m_result = {};
    guarded([&] {
        if (!createAt(path))
            return;
        write();
        if (!refused())
            finishAt(path);
    });
    if (refused())
        abandon();
    return m_result;
}

bool CPagePackage::createAt(const QString& path)
{
    removeLeftoverScratchFiles(path);
    // The new package is written under a name of its own in the target's folder, so the rename that
    // puts it in place never crosses file systems.
    m_scratch = std::make_unique<QTemporaryFile>(path + kScratchPlaceholder + kScratchSuffix);
    m_scratch->setAutoRemove(false);
    if (!m_scratch->open())
        return refuse(PackageError::CannotWrite, path);
    m_writingPath = m_scratch->fileName();
    // Held until the package is in place or given up, so that no other export takes this file for a
    // leftover of a killed one. Where the file system has no locks, nothing is held and nothing is
    // taken for a leftover.
    ::flock(m_scratch->handle(), LOCK_EX | LOCK_NB);
    // A package is for sharing: readable by all, as a file saved the ordinary way would be, not only
    // by its owner as a scratch file is made.
    const QFile::Permissions existing = QFile::permissions(path);
    m_scratch->setPermissions(
        existing ? existing : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    m_packagePath = path;
    Open(m_writingPath, zipCreate);
    SetPassword(QLatin1String(kPassword));
    return true;
}

void CPagePackage::finishAt(const QString& finalPath)
{
    Close(closeNormal);
    std::error_code error;
    std::filesystem::rename(m_writingPath.toStdString(), finalPath.toStdString(), error);
    if (error) {
        refuse(PackageError::CannotWrite, finalPath);
        return;
    }
    m_writingPath.clear();
    m_scratch.reset();
}

void CPagePackage::abandon() noexcept
{
    try {
        // After a refusal or an exception the archive is closed without writing a directory, so a
        // half-written package is never mistaken for a whole one.
        if (!IsClosed())
            Close(closeAfterException);
    } catch (...) {
    }
    if (!m_writingPath.isEmpty()) {
        std::error_code ignored;
        std::filesystem::remove(m_writingPath.toStdString(), ignored);
        m_writingPath.clear();
    }
    m_scratch.reset();
}

bool CPagePackage::refuse(PackageError error, const QString& detail)
{
    if (!refused())
        m_result = {error, detail};
    return false;
}

PackageResult CPagePackage::guarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const CZipException& error) {
        WriteDebugLog(QStringLiteral("Page package %1: %2").arg(m_packagePath, error.DescribeCause()));
        refuse(PackageError::Zip, m_packagePath);
    } catch (const ZipFileError& error) {
        WriteDebugLog(
            QStringLiteral("Page package %1: %2").arg(error.m_path, QString::fromLocal8Bit(error.what())));
        refuse(PackageError::Zip, m_packagePath.isEmpty() ? error.m_path : m_packagePath);
    } catch (const std::bad_alloc&) {
        // Only a package's pictures and sounds come near the memory there is; the budget bounds them.
        refuse(PackageError::TooLarge, QString::number(budgetInMegabytes()));
    } catch (const std::exception& error) {
        // Whatever else the library's containers throw on bytes it was not made for.
        WriteDebugLog(
            QStringLiteral("Page package %1: %2").arg(m_packagePath, QString::fromLocal8Bit(error.what())));
        refuse(PackageError::Zip, m_packagePath);
    }
    return m_result;
}

void CPagePackage::WriteEntry(const QString& field, const void* bytes, std::size_t count)
{
    if (refused())
        return;
    const QString name = entryName(field);
    const int existing = FindEntry(name);
    if (existing >= 0)
        DeleteEntry(existing);
    CZipMemoryFile file(1024);
    if (count)
        file.Write(bytes, count);
    file.Seek(0, 0);
    // A refused add (the format's 65,535 entries reached) would leave the package short: a failure.
    if (!AddEntryFromMemory(file, name, -1, zipsmSafeSmart, 65536))
        refuse(PackageError::EntryTooLarge, name);
}

void CPagePackage::WriteString(const QString& field, const QString& text)
{
    // Texts go in the code page every stored text has; what it cannot hold becomes "?".
    const QByteArray bytes = toWindows1252(text);
    WriteEntry(field, bytes.constData(), std::size_t(bytes.size()));
}

void CPagePackage::WriteIntList(const QString& field, const std::vector<std::int32_t>& ids)
{
    const int existing = FindEntry(entryName(field));
    if (existing >= 0)
        DeleteEntry(existing);
    if (!ids.empty())
        WriteEntry(field, ids.data(), ids.size() * sizeof(std::int32_t));
}

void CPagePackage::WriteIcon(const QString& folder, const CQuibIcon& icon, bool withWordPath)
{
    FolderScope scope(*this, folder);
    WriteString(QStringLiteral("Options.str"), icon.Options);
    const std::int32_t rect[4] = {icon.StoredRect.left, icon.StoredRect.top, icon.StoredRect.right,
                                  icon.StoredRect.bottom};
    WriteEntry(QStringLiteral("StoredRect.rect"), rect, sizeof rect);
    WriteValue(QStringLiteral("Shape.int"), std::uint32_t(icon.Shape));
    WriteValue(QStringLiteral("BgColor.int"), std::uint32_t(icon.BgColor));
    WriteValue(QStringLiteral("FrameColor.int"), std::uint32_t(icon.FrameColor));
    WriteValue(QStringLiteral("WordId.int"), std::int32_t(icon.WordId));
    WriteValue(QStringLiteral("LinkId.int"), std::int32_t(icon.LinkId));
    WriteValue(QStringLiteral("SoundId.int"), std::int32_t(icon.SoundId));
    WriteString(QStringLiteral("Name.str"), icon.Name);
    WriteString(QStringLiteral("WordName.str"), icon.WordName);
    WriteValue(QStringLiteral("PictId.int"), std::int32_t(icon.PictId));
    WriteValue(QStringLiteral("Flags.long"), std::uint32_t(icon.Flags));
    if (!withWordPath || icon.WordId < kFirstExportedWordId)
        return;
    std::unique_ptr<CQuibWord> word = FindWordById(icon.WordId);
    if (!word || word->Load() != RES_OK)
        return;
    QString wordFolder;
    if (WriteWord(*word, &wordFolder, true))
        WriteString(QStringLiteral("WordPath.str"), wordFolder);
}

bool CPagePackage::WritePage(CQuibBg& page, QString* folder, bool withContents)
{
    QString pageFolder = ObjectFolder(page.GetType(), page.GetID());
    if (folder && !folder->isEmpty())
        pageFolder = *folder;
    else if (folder)
        *folder = pageFolder;
    FolderScope scope(*this, pageFolder);
    WriteString(QStringLiteral("BgName.str"), page.Name);
    WriteValue(QStringLiteral("BgFlags.int"), std::uint32_t(page.BgFlags));
    WriteValue(QStringLiteral("NoOfIcons.int"), std::int32_t(page.Icons.size()));
    if (withContents && !(page.BgFlags & kBgFlagNoPicture)) {
        std::unique_ptr<CQuibPict> picture = FindPictureById<CQuibPict>(page.GetID(), kPagePictureKind);
        QString pictureFolder;
        if (picture && picture->GetFile() == m_targetFile && WritePicture(*picture, &pictureFolder))
            WriteString(QStringLiteral("BgPictPath.str"), pictureFolder);
    }
    // Icons front first: the list's tail is in front.
    int n = 0;
    for (auto icon = page.Icons.rbegin(); icon != page.Icons.rend(); ++icon, ++n)
        WriteIcon(iconFolder(pageFolder, n), **icon, withContents);
    return true;
}

bool CPagePackage::WriteWord(CQuibWord& word, QString* folder, bool withMedia)
{
    QString wordFolder = ObjectFolder(word.GetType(), word.GetID());
    if (folder && !folder->isEmpty())
        wordFolder = *folder;
    else if (folder)
        *folder = wordFolder;
    FolderScope scope(*this, wordFolder);
    WriteString(QStringLiteral("WordName.str"), word.WordName);
    WriteValue(QStringLiteral("WordForm.int"), std::int16_t(word.WordForm));
    WriteString(QStringLiteral("WordDescription.str"), word.WordDescription);
    WriteValue(QStringLiteral("WordFlags.int"), std::int16_t(word.WordFlags));
    WriteIntList(QStringLiteral("FamilyList.intlst"), word.FamilyList);
    WriteIntList(QStringLiteral("SynonymList.intlst"), word.SynonymList);
    if (!withMedia)
        return true;
    const std::int32_t pictType = MakePictType(kWordPictureKind, std::int16_t(m_language));
    if (ResourceExists(word.GetID(), pictType, m_targetFile)) {
        CQuibPict picture;
        QString mediaFolder;
        if (AttachResource(&picture, word.GetID(), pictType, m_targetFile) == RES_OK &&
            WritePicture(picture, &mediaFolder))
            WriteString(QStringLiteral("PictPath.str"), mediaFolder);
    }
    const std::int32_t soundType = MakeSoundType(kWordSoundKind, std::int16_t(m_language));
    if (ResourceExists(word.GetID(), soundType, m_targetFile)) {
        CQuibSound sound;
        QString mediaFolder;
        if (AttachResource(&sound, word.GetID(), soundType, m_targetFile) == RES_OK &&
            WriteSound(sound, &mediaFolder))
            WriteString(QStringLiteral("SoundPath.str"), mediaFolder);
    }
    return true;
}

namespace
{

// The bytes behind a media object's stored header.
template <class Media> bool loadMedia(Media& media, const std::uint8_t*& data, std::size_t& size)
{
    if (media.IsChanged())
        media.Write();
    if (media.Load() != RES_OK || !media.ReadHeader())
        return false;
    const std::int64_t total = media.GetSize();
    data = media.GetData();
    if (!data || total < std::int64_t(media.HeaderLength))
        return false;
    data += media.HeaderLength;
    size = std::size_t(total - media.HeaderLength);
    return true;
}

} // namespace

bool CPagePackage::WritePicture(CQuibPict& picture, QString* folder)
{
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!loadMedia(picture, data, size))
        return false;
    const QString pictureFolder =
        folder && !folder->isEmpty() ? *folder : ObjectFolder(picture.GetType(), picture.GetID());
    if (folder)
        *folder = pictureFolder;
    FolderScope scope(*this, pictureFolder);
    WriteValue(QStringLiteral("StoreFormat.sht"), std::int16_t(picture.StoreFormat));
    WriteValue(QStringLiteral("Compression.sht"), std::uint16_t(picture.Compression));
    WriteValue(QStringLiteral("Width.uint"), std::uint32_t(picture.Width));
    WriteValue(QStringLiteral("Height.uint"), std::uint32_t(picture.Height));
    WriteValue(QStringLiteral("TransparentColor.sht"), std::uint32_t(picture.TransparentColor));
    WriteValue(QStringLiteral("BackkgroundColor.sht"), std::uint32_t(picture.BackkgroundColor));
    WriteEntry(QStringLiteral("Image.dat"), data, size);
    return true;
}

bool CPagePackage::WriteSound(CQuibSound& sound, QString* folder)
{
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!loadMedia(sound, data, size))
        return false;
    const QString soundFolder =
        folder && !folder->isEmpty() ? *folder : ObjectFolder(sound.GetType(), sound.GetID());
    if (folder)
        *folder = soundFolder;
    FolderScope scope(*this, soundFolder);
    WriteValue(QStringLiteral("SoundAuthor.sht"), std::uint16_t(sound.SoundAuthor));
    WriteValue(QStringLiteral("SoundFlags.long"), std::uint32_t(sound.SoundFlags));
    WriteValue(QStringLiteral("SoundFormat.sht"), std::uint16_t(sound.SoundFormat));
    WriteValue(QStringLiteral("SoundDuration.int"), std::int32_t(sound.SoundDuration));
    WriteValue(QStringLiteral("SoundBitRate.int"), std::int32_t(sound.SoundBitRate));
    WriteEntry(QStringLiteral("Sound.dat"), data, size);
    return true;
}

bool CPagePackage::WriteSentence(CQuibSentence& sentence, QString* folder)
{
    if (sentence.IsChanged())
        sentence.Write();
    const QString sentenceFolder =
        folder && !folder->isEmpty() ? *folder : ObjectFolder(sentence.GetType(), sentence.GetID());
    if (folder)
        *folder = sentenceFolder;
    FolderScope scope(*this, sentenceFolder);
    WriteValue(QStringLiteral("SentenceFlags.word"), std::uint16_t(sentence.SentenceFlags));
    WriteValue(QStringLiteral("IntensionMarkerId.int"), std::int32_t(sentence.IntensionMarkerId));
    WriteValue(QStringLiteral("NoOfIcons.int"), std::int32_t(sentence.Icons.size()));
    WriteValue(QStringLiteral("NoOfWords.int"), std::int32_t(sentence.Words.size()));
    int n = 0;
    for (auto icon = sentence.Icons.rbegin(); icon != sentence.Icons.rend(); ++icon, ++n)
        WriteIcon(iconFolder(sentenceFolder, n), **icon, false);
    for (std::size_t i = 0; i < sentence.Words.size(); ++i)
        WriteString(QStringLiteral("WordStr#%1").arg(i), sentence.Words[i]);
    return true;
}

// Reading ----------------------------------------------------------------------------------------

bool CPagePackage::ParseFolder(const QString& path, std::int32_t expectedTag, std::int32_t& id,
                               std::int32_t& type, QString* folder)
{
    // Paths written by other tools may use forward slashes.
    QStringList parts = QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).split(QLatin1Char('\\'));
    if (parts.size() == 4)
        parts.removeLast();
    if (parts.size() != 3 || parts[0].compare(kVersionFolder, Qt::CaseInsensitive) != 0)
        return false;
    const QStringList bytes = parts[1].split(QLatin1Char('-'));
    if (bytes.size() != 4)
        return false;
    std::uint32_t parsedType = 0;
    for (const QString& text : bytes) {
        bool ok = false;
        const uint value = text.toUInt(&ok, 10);
        if (!ok || value > 255 || text.isEmpty() || !text.front().isDigit())
            return false;
        parsedType = parsedType * 256 + value;
    }
    bool ok = false;
    const int parsedId = parts[2].toInt(&ok, 10);
    if (!ok || parsedId < 1 || !parts[2].front().isDigit())
        return false;
    if ((std::int32_t(parsedType) & kTagMask) != expectedTag)
        return false;
    id = parsedId;
    type = std::int32_t(parsedType);
    if (folder)
        *folder = parts.join(QLatin1Char('\\'));
    return true;
}

PackageResult CPagePackage::ReadPackage(const QString& path, std::optional<PackagedPage>& page)
{
    m_result = {};
    m_packagePath = path;
    page.reset();
    guarded([&] {
        // Read-only: an import never writes to a package, and one on a read-only medium imports.
        Open(path, zipOpenReadOnly);
        SetPassword(QLatin1String(kPassword));
        std::vector<std::uint16_t> pages;
        FindMatches(QStringLiteral("BgName.str"), pages, false);
        CZipEntryHeader header;
        if (pages.size() != 1 || !GetEntryInfo(header, pages.front()))
            return;
        PackagedPage read = readPage(header.GetFileName());
        if (!refused())
            page = std::move(read);
        Close();
    });
    // Closed already unless the ZIP library gave up half-way.
    abandon();
    return m_result;
}

int CPagePackage::reserveEntry(const QString& field, std::uint64_t limit)
{
    if (refused())
        return -1;
    const int index = FindEntry(entryName(field));
    if (index < 0)
        return -1;
    CZipEntryHeader header;
    if (!GetEntryInfo(header, index))
        return -1;
    // Both on the declared size, before a byte is read; the extraction never passes it.
    if (header.m_uUncomprSize > m_importBytesLeft) {
        refuse(PackageError::TooLarge, QString::number(budgetInMegabytes()));
        return -1;
    }
    if (header.m_uUncomprSize > limit) {
        refuse(PackageError::EntryTooLarge, header.GetFileName());
        return -1;
    }
    m_importBytesLeft -= header.m_uUncomprSize;
    return index;
}

QByteArray CPagePackage::extractEntry(int index)
{
    CZipEntryHeader header;
    if (refused())
        return {};
    if (!GetEntryInfo(header, index)) {
        refuse(PackageError::EntryDamaged, m_packagePath);
        return {};
    }
    CZipMemoryFile file(1024);
    if (!ExtractToMemory(index, file, true, 65536) || file.GetLength() != header.m_uUncomprSize) {
        refuse(PackageError::EntryDamaged, header.GetFileName());
        return {};
    }
    return QByteArray(file.data(), qsizetype(file.GetLength()));
}

std::optional<QByteArray> CPagePackage::readEntry(const QString& field)
{
    const int index = reserveEntry(field, kFieldLimit);
    if (index < 0)
        return std::nullopt;
    QByteArray bytes = extractEntry(index);
    if (refused())
        return std::nullopt;
    return bytes;
}

template <class T> void CPagePackage::readValue(const QString& field, T& value)
{
    const std::optional<QByteArray> bytes = readEntry(field);
    // An entry shorter than the field is not read at all.
    if (bytes && std::size_t(bytes->size()) >= sizeof value)
        std::memcpy(&value, bytes->constData(), sizeof value);
}

bool CPagePackage::readString(const QString& field, QString& text)
{
    const std::optional<QByteArray> bytes = readEntry(field);
    if (!bytes)
        return false;
    const qsizetype end = bytes->indexOf('\0');
    text = fromWindows1252(end < 0 ? *bytes : bytes->left(end));
    return true;
}

void CPagePackage::readIntList(const QString& field, std::vector<std::int32_t>& ids)
{
    const std::optional<QByteArray> bytes = readEntry(field);
    if (!bytes)
        return;
    const std::size_t count = std::size_t(bytes->size()) / sizeof(std::int32_t);
    if (count == 0)
        return; // an entry shorter than one id adds none, and an empty list has no storage to copy to
    const std::size_t first = ids.size();
    ids.resize(first + count);
    std::memcpy(ids.data() + first, bytes->constData(), count * sizeof(std::int32_t));
}

void CPagePackage::readIcon(const QString& folder, CQuibIcon& icon)
{
    FolderScope scope(*this, folder);
    readString(QStringLiteral("Options.str"), icon.Options);
    std::int32_t rect[4] = {icon.StoredRect.left, icon.StoredRect.top, icon.StoredRect.right,
                            icon.StoredRect.bottom};
    readValue(QStringLiteral("StoredRect.rect"), rect);
    icon.StoredRect = CRect(rect[0], rect[1], rect[2], rect[3]);
    readValue(QStringLiteral("Shape.int"), icon.Shape);
    readValue(QStringLiteral("BgColor.int"), icon.BgColor);
    readValue(QStringLiteral("FrameColor.int"), icon.FrameColor);
    readValue(QStringLiteral("WordId.int"), icon.WordId);
    icon.ShownWordId = icon.WordId;
    readValue(QStringLiteral("LinkId.int"), icon.LinkId);
    readValue(QStringLiteral("SoundId.int"), icon.SoundId);
    readString(QStringLiteral("Name.str"), icon.Name);
    readString(QStringLiteral("WordName.str"), icon.WordName);
    readValue(QStringLiteral("PictId.int"), icon.PictId);
    std::uint32_t flags = 0;
    readValue(QStringLiteral("Flags.long"), flags);
    // Selected, entered and modified belong to the session that exported the page.
    icon.Flags = ((icon.Flags & ~0x20000u) | flags) & ~(0x1u | 0x8u | 0x1000u);
}

PackagedMedia CPagePackage::readMedia(const QString& path, std::int32_t tag)
{
    PackagedMedia media;
    QString folder;
    if (!ParseFolder(path, tag, media.id, media.type, &folder)) {
        refuse(PackageError::BadFolder, path);
        return media;
    }
    FolderScope scope(*this, folder);
    if (tag == RESTYPE_PICT) {
        auto picture = std::make_unique<CQuibPict>();
        readValue(QStringLiteral("StoreFormat.sht"), picture->StoreFormat);
        readValue(QStringLiteral("Compression.sht"), picture->Compression);
        readValue(QStringLiteral("Width.uint"), picture->Width);
        readValue(QStringLiteral("Height.uint"), picture->Height);
        readValue(QStringLiteral("TransparentColor.sht"), picture->TransparentColor);
        readValue(QStringLiteral("BackkgroundColor.sht"), picture->BackkgroundColor);
        media.dataEntry = reserveEntry(QStringLiteral("Image.dat"), kOnlyTheBudget);
        media.fields = std::move(picture);
    } else {
        auto sound = std::make_unique<CQuibSound>();
        readValue(QStringLiteral("SoundAuthor.sht"), sound->SoundAuthor);
        readValue(QStringLiteral("SoundFlags.long"), sound->SoundFlags);
        readValue(QStringLiteral("SoundFormat.sht"), sound->SoundFormat);
        readValue(QStringLiteral("SoundDuration.int"), sound->SoundDuration);
        readValue(QStringLiteral("SoundBitRate.int"), sound->SoundBitRate);
        media.dataEntry = reserveEntry(QStringLiteral("Sound.dat"), kOnlyTheBudget);
        media.fields = std::move(sound);
    }
    return media;
}

PackagedWord CPagePackage::readWord(const QString& path)
{
    PackagedWord packaged;
    QString folder;
    if (!ParseFolder(path, RESTYPE_WORD, packaged.id, packaged.type, &folder)) {
        refuse(PackageError::BadFolder, path);
        return packaged;
    }
    FolderScope scope(*this, folder);
    packaged.word = std::make_unique<CQuibWord>();
    CQuibWord& word = *packaged.word;
    readString(QStringLiteral("WordName.str"), word.WordName);
    readValue(QStringLiteral("WordForm.int"), word.WordForm);
    readString(QStringLiteral("WordDescription.str"), word.WordDescription);
    readValue(QStringLiteral("WordFlags.int"), word.WordFlags);
    readIntList(QStringLiteral("FamilyList.intlst"), word.FamilyList);
    readIntList(QStringLiteral("SynonymList.intlst"), word.SynonymList);
    QString mediaPath;
    if (readString(QStringLiteral("PictPath.str"), mediaPath) && !mediaPath.isEmpty())
        packaged.picture = readMedia(mediaPath, RESTYPE_PICT);
    mediaPath.clear();
    if (readString(QStringLiteral("SoundPath.str"), mediaPath) && !mediaPath.isEmpty())
        packaged.sound = readMedia(mediaPath, RESTYPE_SOUND);
    return packaged;
}

PackagedPage CPagePackage::readPage(const QString& pageEntry)
{
    m_importBytesLeft = thePackageImportBudget;
    PackagedPage packaged;
    QString folder;
    if (!ParseFolder(pageEntry, RESTYPE_BG, packaged.id, packaged.type, &folder)) {
        refuse(PackageError::BadFolder, pageEntry);
        return packaged;
    }
    FolderScope scope(*this, folder);
    packaged.page = std::make_unique<CQuibBg>();
    CQuibBg& page = *packaged.page;
    readString(QStringLiteral("BgName.str"), page.Name);
    readValue(QStringLiteral("BgFlags.int"), page.BgFlags);
    std::int32_t iconCount = 0;
    readValue(QStringLiteral("NoOfIcons.int"), iconCount);
    // Every icon has at least its rectangle entry: a count beyond the entries present is no page.
    if (iconCount < 0 || iconCount > GetCount()) {
        refuse(PackageError::EntryDamaged, entryName(QStringLiteral("NoOfIcons.int")));
        return packaged;
    }
    QString picturePath;
    if (readString(QStringLiteral("BgPictPath.str"), picturePath) && !picturePath.isEmpty())
        packaged.picture = readMedia(picturePath, RESTYPE_PICT);
    std::vector<std::int32_t> wordsRead;
    for (int n = 0; n < iconCount && !refused(); ++n) {
        const QString subFolder = iconFolder(folder, n);
        auto icon = std::make_unique<CQuibIcon>(kIconShapeRect);
        readIcon(subFolder, *icon);
        QString wordPath;
        {
            FolderScope wordScope(*this, subFolder);
            readString(QStringLiteral("WordPath.str"), wordPath);
        }
        const std::int32_t wordId = icon->WordId;
        page.Icons.push_back(std::move(icon));
        if (wordPath.isEmpty() || wordId < kFirstExportedWordId ||
            std::find(wordsRead.begin(), wordsRead.end(), wordId) != wordsRead.end())
            continue;
        PackagedWord word = readWord(wordPath);
        if (word.id != wordId) {
            refuse(PackageError::BadFolder, wordPath);
            break;
        }
        wordsRead.push_back(wordId);
        packaged.words.push_back(std::move(word));
    }
    // The package holds the icons front first; the list keeps the front at its tail.
    std::reverse(page.Icons.begin(), page.Icons.end());
    extractMedia(packaged);
    return packaged;
}

void CPagePackage::extractMedia(PackagedPage& packaged)
{
    const auto extract = [this](std::optional<PackagedMedia>& media) {
        if (media && media->dataEntry >= 0)
            media->data = extractEntry(std::exchange(media->dataEntry, -1));
    };
    extract(packaged.picture);
    for (PackagedWord& word : packaged.words) {
        extract(word.picture);
        extract(word.sound);
    }
}
