// The page package reader. The first byte says what the rest is: 0, a package file's bytes as they
// lie on disk; anything else, a list of entries (name and bytes) that the target packs into a
// password archive itself, so that mutations reach the reader's folders, counts and sizes instead of
// ending at a checksum. Whatever is read stays within the kinds, ids and budget a package may reach:
// a page, words from 1,000,000,000 named by its icons, their pictures and sounds; and a page that
// reads writes back to a package that reads as the same page.

#include "core/Icon.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/Word.h"
#include "packages/PagePackage.h"
#include "packages/zip/ZipMemoryFile.h"
#include "platform/files/FileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/support/Pictures.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <set>
#include <string>

namespace lumivo::fuzz::package
{

namespace
{

constexpr std::uint8_t kPackageBytes = 0;
constexpr std::uint8_t kEntryList = 1;
const QString kFolder = QStringLiteral("/fuzz");
const QString kInput = QStringLiteral("/fuzz/input.lu2");
const QString kAgain = QStringLiteral("/fuzz/again.lu2");
// Small enough that the sizes an input declares can pass it.
constexpr std::uint64_t kBudget = 48u << 10;
constexpr std::int32_t kTagMask = std::int32_t(0xFFFF0000);

// The import's budget for one input, put back afterwards.
class BudgetScope
{
public:
    explicit BudgetScope(std::uint64_t budget) : m_saved(thePackageImportBudget)
    {
        thePackageImportBudget = budget;
    }
    ~BudgetScope() { thePackageImportBudget = m_saved; }
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;

private:
    std::uint64_t m_saved;
};

// An archive in memory with the package's password, its entries added in order.
class MemoryPackage
{
public:
    MemoryPackage()
    {
        m_archive.OpenOnFile(m_memory, CZipArchive::zipCreate);
        m_archive.SetPassword(QLatin1String(CPagePackage::kPassword));
    }
    void add(const QString& name, const char* data, std::size_t size)
    {
        CZipMemoryFile entry;
        if (size)
            entry.Write(data, size);
        entry.Seek(0, CZipFileBase::begin);
        m_archive.AddEntryFromMemory(entry, name);
    }
    Bytes close()
    {
        m_archive.Close();
        const std::vector<char> held = m_memory.bytes();
        return Bytes(held.begin(), held.end());
    }

private:
    CZipMemoryFile m_memory;
    CZipArchive m_archive;
};

// An entry list: per entry a byte of name length, the name (Latin-1), two bytes of size (little
// endian) and the bytes; what is cut short ends the list.
Bytes packEntries(const std::uint8_t* data, std::size_t size)
{
    MemoryPackage package;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t nameLength = data[at++];
        if (nameLength == 0 || size - at < nameLength + 2)
            break;
        const QString name =
            QString::fromLatin1(reinterpret_cast<const char*>(data + at), qsizetype(nameLength));
        at += nameLength;
        const std::size_t length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
        at += 2;
        package.add(name, reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
    return package.close();
}

Bytes entryList(const Bytes& packageBytes)
{
    lumivo::files::MemoryFileSystem disk;
    lumivo::files::ScopedFileSystem installed(disk);
    disk.makeDirectories(kFolder);
    disk.setContents(kInput, packageBytes);
    CZipArchive archive;
    archive.Open(kInput, CZipArchive::zipOpenReadOnly);
    archive.SetPassword(QLatin1String(CPagePackage::kPassword));
    Bytes list{kEntryList};
    for (int index = 0; index < archive.GetCount(); ++index) {
        CZipEntryHeader header;
        CZipMemoryFile bytes;
        if (!archive.GetEntryInfo(header, index) || !archive.ExtractToMemory(index, bytes))
            continue;
        const QByteArray name = header.GetFileName().toLatin1();
        list.push_back(std::uint8_t(name.size()));
        list.insert(list.end(), name.begin(), name.end());
        const std::vector<char> data = bytes.bytes();
        list.push_back(std::uint8_t(data.size() & 0xFF));
        list.push_back(std::uint8_t(data.size() >> 8));
        list.insert(list.end(), data.begin(), data.end());
    }
    archive.Close();
    return list;
}

bool hasTag(std::int32_t type, std::int32_t tag)
{
    return (type & kTagMask) == tag;
}

void checkMedia(const std::optional<PackagedMedia>& media, std::int32_t tag, std::uint64_t& bytes)
{
    if (!media)
        return;
    fuzzCheck(hasTag(media->type, tag) && media->id >= 1, "a medium of another kind: type " +
                                                              std::to_string(media->type) + " id " +
                                                              std::to_string(media->id));
    fuzzCheck(tag == RESTYPE_PICT ? dynamic_cast<const CQuibPict*>(media->fields.get()) != nullptr
                                  : dynamic_cast<const CQuibSound*>(media->fields.get()) != nullptr,
              "a medium's fields are not of its kind");
    fuzzCheck(media->dataEntry < 0, "a medium's bytes were left unread");
    bytes += std::uint64_t(media->data.size());
}

// What was read is what an import may store, and no more than its budget.
void checkWithinReach(const PackagedPage& packaged)
{
    fuzzCheck(hasTag(packaged.type, RESTYPE_BG) && packaged.id >= 1, "the page is of another kind");
    std::uint64_t bytes = 0;
    checkMedia(packaged.picture, RESTYPE_PICT, bytes);
    std::set<std::int32_t> iconWords;
    for (const auto& icon : packaged.page->Icons)
        iconWords.insert(icon->WordId);
    std::set<std::int32_t> words;
    for (const PackagedWord& word : packaged.words) {
        fuzzCheck(hasTag(word.type, RESTYPE_WORD), "a word of another kind");
        fuzzCheck(word.id >= CPagePackage::kFirstExportedWordId, "a word below the exported ids");
        fuzzCheck(iconWords.count(word.id) == 1, "a word that no icon names");
        fuzzCheck(words.insert(word.id).second, "a word read twice");
        checkMedia(word.picture, RESTYPE_PICT, bytes);
        checkMedia(word.sound, RESTYPE_SOUND, bytes);
    }
    fuzzCheck(bytes <= thePackageImportBudget, "the media read pass the import's budget");
}

PackageResult readFrom(const QString& path, std::optional<PackagedPage>& page)
{
    CPagePackage reader;
    const PackageResult result = reader.ReadPackage(path, page);
    fuzzCheck(!result.Failed() || !page, "a refused package still gives a page");
    return result;
}

// The page written back by the exporter's own writers reads as the same page.
void checkRoundTrip(const PackagedPage& packaged, lumivo::files::MemoryFileSystem& disk)
{
    CZipMemoryFile memory;
    {
        CPagePackage writer;
        writer.OpenOnFile(memory, CZipArchive::zipCreate);
        writer.SetPassword(QLatin1String(CPagePackage::kPassword));
        QString folder = CPagePackage::ObjectFolder(packaged.type, packaged.id);
        writer.WritePage(*packaged.page, &folder, false);
        const PackageError refused = writer.Result().error;
        writer.Close(refused == PackageError::None ? CZipArchive::closeNormal
                                                   : CZipArchive::closeAfterException);
        // The format's 65,535 entries hold fewer icons than a package may claim; the export refuses.
        fuzzCheck(refused == PackageError::None || refused == PackageError::EntryTooLarge,
                  "the page cannot be written back: error " + std::to_string(int(refused)));
        if (refused != PackageError::None)
            return;
    }
    const std::vector<char> held = memory.bytes();
    disk.setContents(kAgain, Bytes(held.begin(), held.end()));
    // What the exporter writes of a page this size is within what an import of the default budget reads.
    const BudgetScope budget(kDefaultPackageImportBudget);
    std::optional<PackagedPage> again;
    const PackageResult result = readFrom(kAgain, again);
    fuzzCheck(!result.Failed(), "a page that was read is refused once written back: error " +
                                    std::to_string(int(result.error)) + " " + result.detail.toStdString());
    fuzzCheck(again.has_value(), "a page that was read is gone once written back");
    const CQuibBg& first = *packaged.page;
    const CQuibBg& second = *again->page;
    fuzzCheck(first.Name == second.Name && first.BgFlags == second.BgFlags, "the page's fields changed");
    fuzzCheck(first.Icons.size() == second.Icons.size(), "the page's icons changed in number");
    for (std::size_t i = 0; i < first.Icons.size(); ++i)
        fuzzCheck(static_cast<const CQuibIconFields&>(*first.Icons[i]) ==
                      static_cast<const CQuibIconFields&>(*second.Icons[i]),
                  "icon " + std::to_string(i) + " changed");
}

void fuzzPackage(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    resetGlobals();
    lumivo::files::MemoryFileSystem disk;
    lumivo::files::ScopedFileSystem installed(disk);
    disk.makeDirectories(kFolder);
    disk.setContents(kInput, data[0] == kPackageBytes ? Bytes(data + 1, data + size)
                                                      : packEntries(data + 1, size - 1));
    const BudgetScope budget(kBudget);
    std::optional<PackagedPage> page;
    if (readFrom(kInput, page).Failed() || !page)
        return;
    checkWithinReach(*page);
    checkRoundTrip(*page, disk);
    page.reset();
    resetGlobals();
}

// A word with a picture and a sound, and a page with a picture and icons of that word, in a data file;
// the seeds are the exporter's packages of that page and of a page without words.
std::vector<Bytes> packageSeeds()
{
    resetGlobals();
    constexpr std::int16_t kLanguage = 2;
    constexpr std::int32_t kWordId = 1000000005;
    QTemporaryDir folder;
    int file = 0;
    FindOrAddResFile(&file, folder.filePath(QStringLiteral("seed.tvf")));
    theActiveFiles = {file};
    theSearchLanguages = {std::uint16_t(kLanguage)};
    CQuibWord word;
    word.WordName = QStringLiteral("hus");
    word.FamilyList = {kWordId + 1};
    word.SaveAs(kWordId, file, MakeWordType(kLanguage));
    word.Write();
    const auto storePicture = [&](std::int32_t id, int kind) {
        CQuibPict picture;
        picture.Create();
        picture.SetImage(lumivo::test::solidRgbImage(4, 3, 0xFF336699), 4, 3, pictRawRgb);
        picture.SaveAs(id, file, MakePictType(std::int16_t(kind), kLanguage));
        picture.Write();
    };
    storePicture(kWordId, CPagePackage::kWordPictureKind);
    CQuibSound sound;
    sound.Create();
    sound.SaveAs(kWordId, file, MakeSoundType(CPagePackage::kWordSoundKind, kLanguage));
    sound.SetData(std::vector<std::uint8_t>(64, 0x5A), soundKindWave, 3, 1500, 128);
    sound.Write();

    std::vector<Bytes> seeds;
    for (const int icons : {3, 1}) {
        const std::int32_t pageId = 30 + icons;
        CQuibBg page;
        page.Name = QStringLiteral("Forside");
        for (int n = 0; n < icons; ++n) {
            auto icon = std::make_unique<CQuibIcon>();
            icon->WordId = icons > 1 ? kWordId : 7;
            icon->StoredRect = CRect(100 * n, 50, 100 * n + 90, 300);
            icon->Name = QStringLiteral("ikon %1").arg(n);
            page.Icons.push_back(std::move(icon));
        }
        page.Create();
        page.SaveAs(pageId, file, MakeBgType(1, kLanguage));
        if (icons > 1)
            storePicture(pageId, CPagePackage::kPagePictureKind);
        const QString path = folder.filePath(QStringLiteral("page%1.lu2").arg(pageId));
        CPagePackage package;
        package.m_targetFile = file;
        package.m_language = kLanguage;
        package.WritePackage(path, [&page](CPagePackage& writer) {
            QString pageFolder = CPagePackage::ObjectFolder(page.GetType(), page.GetID());
            writer.WritePage(page, &pageFolder, true);
        });
        QFile written(path);
        written.open(QIODevice::ReadOnly);
        const QByteArray bytes = written.readAll();
        Bytes raw{kPackageBytes};
        raw.insert(raw.end(), bytes.begin(), bytes.end());
        seeds.push_back(entryList(Bytes(raw.begin() + 1, raw.end())));
        seeds.push_back(std::move(raw));
    }
    resetGlobals();
    return seeds;
}

const FuzzTargetRegistration registration({"package", &fuzzPackage, &packageSeeds});

} // namespace

} // namespace lumivo::fuzz::package
