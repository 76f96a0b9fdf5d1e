#include "packages/PagePackages.h"

#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "packages/PagePackage.h"
#include "panes/Panes.h"
#include "platform/ui/InputDialogs.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QFileInfo>
#include <QtDebug>

#include <cstring>
#include <exception>
#include <filesystem>

namespace
{

// System strings of the package commands.
constexpr int kExportFailedText = 9450;
constexpr int kImportFailedText = 9451;
constexpr int kPageExistsQuestion = 9452;
constexpr int kImportPageTitle = 9453;
constexpr int kImportTooLargeText = 9454;
constexpr int kExportMenuText = 4033;
constexpr int kImportMenuText = 4034;
constexpr int kPackageFilesText = 9465;

const QString kPackageSuffix = QStringLiteral("lu2");

// The file dialogs' filter, named in the language now in force.
QString packageFilter()
{
    return lumivo::ui::windowsFilterToQt(
        QStringLiteral("%1 (*.%2)|*.%2||").arg(LoadSystemString(kPackageFilesText), kPackageSuffix));
}

QString describe(const std::exception& error)
{
    if (const auto* zip = dynamic_cast<const CZipException*>(&error))
        return zip->DescribeCause();
    // The one failure a person can act on (a smaller page) gets words of the person's language.
    if (const auto* tooLarge = dynamic_cast<const PackageTooLargeError*>(&error)) {
        const std::uint64_t megabytes = (tooLarge->budget() + (1u << 20) - 1) >> 20;
        return LoadSystemString(kImportTooLargeText)
            .replace(QStringLiteral("[#1]"), QString::number(megabytes));
    }
    return QString::fromLocal8Bit(error.what());
}

int targetFile()
{
    if (theOutputFile > 0)
        return theOutputFile;
    return theCurrentUser ? theCurrentUser->GetFile() : 0;
}

int packageLanguage()
{
    if (theTranslateLanguage > 0)
        return theTranslateLanguage;
    return theCurrentUser ? theCurrentUser->PrimaryLanguage : 0;
}

// A package is never written over, nor read from, a data file the store holds open.
bool isOpenDataFile(const QString& path)
{
    return FindResFileByPath(path) > 0;
}

void writeDataFileRecords(CPagePackage& package, int file)
{
    std::vector<CResEntry*> records;
    if (CollectResources(&records, file, RES_ANY) != RES_OK)
        throw PackageError("the data file's records cannot be listed");
    for (CResEntry* record : records) {
        const std::int32_t id = record->GetId();
        const std::int32_t type = record->GetType();
        if (id == 0 || type == 0 || type == RESTYPE_USER || type == RESTYPE_SYSTEM)
            continue;
        const std::int32_t tag = std::int32_t(std::uint32_t(type) & 0xFFFF0000u);
        const auto write = [&](auto& object, auto&& writeObject) {
            if (AttachResEntry(&object, record) == RES_OK && object.Load() == RES_OK)
                writeObject(object);
        };
        if (tag == RESTYPE_BG) {
            CQuibBg page;
            write(page, [&](CQuibBg& p) { package.WritePage(p, nullptr, false); });
        } else if (tag == RESTYPE_SENTENCE) {
            CQuibSentence sentence;
            write(sentence, [&](CQuibSentence& s) { package.WriteSentence(s, nullptr); });
        } else if (tag == RESTYPE_PICT) {
            CQuibPict picture;
            write(picture, [&](CQuibPict& p) { package.WritePicture(p, nullptr); });
        } else if (tag == RESTYPE_SOUND) {
            CQuibSound sound;
            write(sound, [&](CQuibSound& s) { package.WriteSound(s, nullptr); });
        } else if (tag == RESTYPE_WORD) {
            CQuibWord word;
            write(word, [&](CQuibWord& w) { package.WriteWord(w, nullptr, false); });
        }
    }
}

// Storing an import ------------------------------------------------------------------------------

void storeMedia(const PackagedMedia& media, std::int32_t id, int file)
{
    auto store = [&](auto& object, const auto& fields, auto&& copyFields) {
        const bool exists = ResourceExists(id, media.type, file);
        const int bound = exists ? AttachResource(&object, id, media.type, file) : object.Create();
        if (bound != RES_OK || (!exists && object.SaveAs(id, file, media.type) != RES_OK))
            throw PackageError("a picture or sound cannot be stored");
        copyFields(object, fields);
        object.WriteHeader();
        const std::uint32_t header = object.HeaderLength;
        if (object.SetSize(header + std::uint32_t(media.data.size())) != RES_OK)
            throw PackageError("a picture or sound cannot be stored");
        if (!media.data.isEmpty())
            std::memcpy(object.GetData() + header, media.data.constData(), std::size_t(media.data.size()));
        // Committed only: the save at the end of the import writes every record it changed at once,
        // where a write of each would flush the file once per picture and sound.
        object.Commit();
    };
    if (const auto* fields = dynamic_cast<const CQuibPict*>(media.fields.get())) {
        CQuibPict picture;
        store(picture, *fields, [](CQuibPict& to, const CQuibPict& from) {
            to.StoreFormat = from.StoreFormat;
            to.Compression = from.Compression;
            to.Width = from.Width;
            to.Height = from.Height;
            to.TransparentColor = from.TransparentColor;
            to.BackkgroundColor = from.BackkgroundColor;
        });
    } else if (const auto* sound = dynamic_cast<const CQuibSound*>(media.fields.get())) {
        CQuibSound stored;
        store(stored, *sound, [](CQuibSound& to, const CQuibSound& from) {
            to.SoundAuthor = from.SoundAuthor;
            to.SoundFlags = from.SoundFlags;
            to.SoundFormat = from.SoundFormat;
            to.SoundDuration = from.SoundDuration;
            to.SoundBitRate = from.SoundBitRate;
        });
    }
}

// An existing word is never overwritten; its package copy is not stored.
void storeWord(PackagedWord& packaged, int file)
{
    if (FindWordById(packaged.id))
        return;
    auto word = std::make_unique<CQuibWord>();
    word->Assign(packaged.word.get());
    if (word->Create() != RES_OK || word->SaveAs(packaged.id, file, packaged.type) != RES_OK)
        throw PackageError("a word cannot be stored");
    SaveWord(std::move(word));
    if (packaged.picture)
        storeMedia(*packaged.picture, packaged.picture->id, file);
    if (packaged.sound)
        storeMedia(*packaged.sound, packaged.sound->id, file);
}

// How a clash with an existing page was settled.
struct ClashAnswer {
    bool importIt = false;
    std::int32_t id = 0;
    CQuibBg* replaced = nullptr;
    QString newName;
};

ClashAnswer settleClash(const PackagedPage& packaged, int file)
{
    ClashAnswer answer{true, packaged.id, nullptr, {}};
    if (!ResourceExists(packaged.id, packaged.type, file))
        return answer;
    auto* existing =
        static_cast<CQuibBg*>(theBgIndex.Find(file, GetBgTypeLanguage(packaged.type), packaged.id));
    if (!existing)
        return ClashAnswer{}; // the record is there but no page stands for it: nothing to replace safely
    QString name;
    while (existing) {
        QString prompt = LoadSystemString(kPageExistsQuestion);
        prompt.replace(QStringLiteral("[#1]"), existing->Name);
        if (CTextInputDlg::AskText(LoadSystemString(kImportPageTitle), prompt, name, false) !=
            lumivo::ui::IDOK)
            return ClashAnswer{};
        if (name.isEmpty() || name.compare(existing->Name, Qt::CaseInsensitive) == 0) {
            answer.id = existing->GetID();
            // A page of another file (the shared data, say) is never removed: the import's copy in the
            // target file hides it, as a user's own copy of a page does.
            if (existing->GetFile() == file)
                answer.replaced = existing;
            else if (ResourceExists(answer.id, packaged.type, file))
                throw PackageError("the page to replace lies in another file, and its id is taken here");
            return answer;
        }
        const int listed = theBgIndex.Names().Find(name);
        if (listed >= 0) {
            existing = static_cast<CQuibBg*>(theBgIndex.Names().GetItemData(listed));
            continue;
        }
        // A failed new id ends the import before anything is written.
        const std::int32_t id = NewSystemItemId();
        if (id == kNoItemId)
            throw PackageError("no new page id is free");
        answer.id = id;
        answer.newName = name;
        return answer;
    }
    return answer;
}

void storePage(PackagedPage& packaged, const ClashAnswer& answer, int file)
{
    theMainPane.ClearPage();
    if (answer.replaced) {
        theMainPane.ClearSelection();
        CQuibBg::Remove(answer.replaced, false);
    }
    auto page = std::make_unique<CQuibBg>();
    page->Assign(packaged.page.get());
    if (!answer.newName.isEmpty())
        page->Name = answer.newName;
    if (page->Create() != RES_OK || page->SaveAs(answer.id, file, packaged.type) != RES_OK)
        throw PackageError("the page cannot be stored");
    // The page picture goes with the page's id, a new one included.
    if (packaged.picture)
        storeMedia(*packaged.picture, answer.id, file);
    for (PackagedWord& word : packaged.words)
        storeWord(word, file);
    page->Commit();
    SaveBackground(std::move(page));
    if (SaveResFile(file) != RES_OK)
        throw PackageError("the imported page cannot be saved in its file");
    theMainPane.LoadPage(answer.id);
    theMainPane.ClearSelection();
    theMainPane.Invalidate();
    theMainPane.UpdateLayout(false);
}

} // namespace

// Export -----------------------------------------------------------------------------------------

void ExportPagePackage()
{
    CQuibBg* page = theMainPane.GetPage();
    if (!page)
        return;
    const std::optional<QString> path = lumivo::ui::chooseSaveFile(LoadSystemString(kExportMenuText), {},
                                                                   packageFilter(), nullptr, kPackageSuffix);
    if (!path)
        return;
    try {
        if (isOpenDataFile(*path))
            throw PackageError("a data file in use is never replaced by a package");
        CPagePackage package;
        package.m_targetFile = targetFile();
        package.m_language = packageLanguage();
        package.WritePackage(*path, [page](CPagePackage& p) {
            QString folder = CPagePackage::ObjectFolder(page->GetType(), page->GetID());
            p.WritePage(*page, &folder, true);
        });
    } catch (const std::exception& error) {
        MessageBoxById(kExportFailedText, lumivo::ui::MB_ICONSTOP, describe(error));
    }
}

bool WriteDataFilePackage(int file, bool ask, const QString& name)
{
    QString path = name;
    if (ask) {
        const std::optional<QString> chosen = lumivo::ui::chooseSaveFile(
            LoadSystemString(kExportMenuText), {}, packageFilter(), nullptr, kPackageSuffix);
        if (!chosen)
            return false;
        path = *chosen;
    }
    if (path.isEmpty()) {
        const QString dataPath = GetResFilePath(file);
        if (dataPath.isEmpty())
            return false;
        // Only the file name's extension is replaced: a dot in a folder name stays.
        path = QString::fromStdString(
            std::filesystem::path(dataPath.toStdString()).replace_extension(".lu2").string());
    }
    try {
        if (isOpenDataFile(path))
            throw PackageError("a data file in use is never replaced by a package");
        CPagePackage package;
        package.WritePackage(path, [file](CPagePackage& p) { writeDataFileRecords(p, file); });
        return true;
    } catch (const std::exception& error) {
        qWarning().noquote() << "The package" << path << "was not written:" << describe(error);
        return false;
    }
}

// Import -----------------------------------------------------------------------------------------

PageImportResult ImportPagePackageFrom(const QString& path, QString* error)
{
    const int file = targetFile();
    if (file <= 0)
        return PageImportResult::NothingToImport;
    try {
        if (isOpenDataFile(path))
            throw PackageError("a data file in use is no package");
        CPagePackage package;
        package.m_targetFile = file;
        package.m_language = packageLanguage();
        const std::optional<QString> pageEntry = package.OpenForImport(path);
        if (!pageEntry)
            return PageImportResult::NothingToImport;
        // Everything the import stores is read and checked before anything changes.
        PackagedPage packaged = package.ReadPage(*pageEntry);
        package.Close();
        const ClashAnswer answer = settleClash(packaged, file);
        if (!answer.importIt)
            return PageImportResult::Cancelled;
        storePage(packaged, answer, file);
        return PageImportResult::Imported;
    } catch (const std::exception& failure) {
        if (error)
            *error = describe(failure);
        return PageImportResult::Failed;
    }
}

void ImportPagePackage()
{
    if (targetFile() <= 0)
        return;
    const std::optional<QString> path =
        lumivo::ui::chooseOpenFile(LoadSystemString(kImportMenuText), {}, packageFilter());
    if (!path)
        return;
    QString error;
    if (ImportPagePackageFrom(*path, &error) == PageImportResult::Failed)
        MessageBoxById(kImportFailedText, lumivo::ui::MB_ICONSTOP, error);
}
