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

#include <cstring>
#include <filesystem>

namespace
{

// System strings of the package commands.
constexpr int kExportFailedText = 9450;
constexpr int kImportFailedText = 9451;
constexpr int kPageExistsQuestion = 9452;
constexpr int kImportPageTitle = 9453;
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

void writeDataFileRecords(CPagePackage& package, const std::vector<CResEntry*>& records)
{
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

// A failure to store into the target file, named by the file.
PackageResult storeFailed(int file)
{
    return {PackageError::StoreFailed, GetResFilePath(file)};
}

bool storeMedia(const PackagedMedia& media, std::int32_t id, int file)
{
    auto store = [&](auto& object, const auto& fields, auto&& copyFields) {
        const bool exists = ResourceExists(id, media.type, file);
        const int bound = exists ? AttachResource(&object, id, media.type, file) : object.Create();
        if (bound != RES_OK || (!exists && object.SaveAs(id, file, media.type) != RES_OK))
            return false;
        copyFields(object, fields);
        object.WriteHeader();
        const std::uint32_t header = object.HeaderLength;
        if (object.SetSize(header + std::uint32_t(media.data.size())) != RES_OK)
            return false;
        if (!media.data.isEmpty())
            std::memcpy(object.GetData() + header, media.data.constData(), std::size_t(media.data.size()));
        // Committed only: the save at the end of the import writes every record it changed at once,
        // where a write of each would flush the file once per picture and sound.
        object.Commit();
        return true;
    };
    if (const auto* fields = dynamic_cast<const CQuibPict*>(media.fields.get())) {
        CQuibPict picture;
        return store(picture, *fields, [](CQuibPict& to, const CQuibPict& from) {
            to.StoreFormat = from.StoreFormat;
            to.Compression = from.Compression;
            to.Width = from.Width;
            to.Height = from.Height;
            to.TransparentColor = from.TransparentColor;
            to.BackkgroundColor = from.BackkgroundColor;
        });
    }
    if (const auto* sound = dynamic_cast<const CQuibSound*>(media.fields.get())) {
        CQuibSound stored;
        return store(stored, *sound, [](CQuibSound& to, const CQuibSound& from) {
            to.SoundAuthor = from.SoundAuthor;
            to.SoundFlags = from.SoundFlags;
            to.SoundFormat = from.SoundFormat;
            to.SoundDuration = from.SoundDuration;
            to.SoundBitRate = from.SoundBitRate;
        });
    }
    return true;
}

// An existing word is never overwritten; its package copy is not stored.
bool storeWord(PackagedWord& packaged, int file)
{
    if (FindWordById(packaged.id))
        return true;
    auto word = std::make_unique<CQuibWord>();
    word->Assign(packaged.word.get());
    if (word->Create() != RES_OK || word->SaveAs(packaged.id, file, packaged.type) != RES_OK)
        return false;
    SaveWord(std::move(word));
    return (!packaged.picture || storeMedia(*packaged.picture, packaged.picture->id, file)) &&
           (!packaged.sound || storeMedia(*packaged.sound, packaged.sound->id, file));
}

// How a clash with an existing page was settled.
struct ClashAnswer {
    bool importIt = false;
    std::int32_t id = 0;
    CQuibBg* replaced = nullptr;
    QString newName;
};

// Asks what to do when the package's page is there already. A refusal ends the import before anything
// is written.
PackageResult settleClash(const PackagedPage& packaged, int file, ClashAnswer& answer)
{
    answer = ClashAnswer{true, packaged.id, nullptr, {}};
    if (!ResourceExists(packaged.id, packaged.type, file))
        return {};
    auto* existing =
        static_cast<CQuibBg*>(theBgIndex.Find(file, GetBgTypeLanguage(packaged.type), packaged.id));
    answer = ClashAnswer{};
    // A record that no page stands for leaves nothing to replace safely: nothing is imported.
    QString name;
    while (existing) {
        QString prompt = LoadSystemString(kPageExistsQuestion);
        prompt.replace(QStringLiteral("[#1]"), existing->Name);
        if (CTextInputDlg::AskText(LoadSystemString(kImportPageTitle), prompt, name, false) !=
            lumivo::ui::IDOK)
            return {};
        if (name.isEmpty() || name.compare(existing->Name, Qt::CaseInsensitive) == 0) {
            // A page of another file (the shared data, say) is never removed: the import's copy in the
            // target file hides it, as a user's own copy of a page does.
            if (existing->GetFile() != file && ResourceExists(existing->GetID(), packaged.type, file))
                return {PackageError::PageIdTaken, existing->Name};
            answer =
                ClashAnswer{true, existing->GetID(), existing->GetFile() == file ? existing : nullptr, {}};
            return {};
        }
        const int listed = theBgIndex.Names().Find(name);
        if (listed >= 0) {
            existing = static_cast<CQuibBg*>(theBgIndex.Names().GetItemData(listed));
            continue;
        }
        // A failed new id ends the import before anything is written.
        const std::int32_t id = NewSystemItemId();
        if (id == kNoItemId)
            return {PackageError::NoFreeId, {}};
        answer = ClashAnswer{true, id, nullptr, name};
        return {};
    }
    return {};
}

PackageResult storePage(PackagedPage& packaged, const ClashAnswer& answer, int file)
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
        return storeFailed(file);
    // The page picture goes with the page's id, a new one included.
    if (packaged.picture && !storeMedia(*packaged.picture, answer.id, file))
        return storeFailed(file);
    for (PackagedWord& word : packaged.words) {
        if (!storeWord(word, file))
            return storeFailed(file);
    }
    page->Commit();
    SaveBackground(std::move(page));
    if (SaveResFile(file) != RES_OK)
        return storeFailed(file);
    theMainPane.LoadPage(answer.id);
    theMainPane.ClearSelection();
    theMainPane.Invalidate();
    theMainPane.UpdateLayout(false);
    return {};
}

} // namespace

// Export -----------------------------------------------------------------------------------------

void ExportPagePackage()
{
    if (!theMainPane.GetPage())
        return;
    const std::optional<QString> path = lumivo::ui::chooseSaveFile(LoadSystemString(kExportMenuText), {},
                                                                   packageFilter(), nullptr, kPackageSuffix);
    if (!path)
        return;
    const PackageResult result = ExportPagePackageTo(*path);
    if (result.Failed())
        MessageBoxById(kExportFailedText, lumivo::ui::MB_ICONSTOP, PackageErrorText(result));
}

PackageResult ExportPagePackageTo(const QString& path)
{
    CQuibBg* page = theMainPane.GetPage();
    if (!page)
        return {};
    if (isOpenDataFile(path))
        return {PackageError::DataFileInUse, path};
    CPagePackage package;
    package.m_targetFile = targetFile();
    package.m_language = packageLanguage();
    return package.WritePackage(path, [page](CPagePackage& p) {
        QString folder = CPagePackage::ObjectFolder(page->GetType(), page->GetID());
        p.WritePage(*page, &folder, true);
    });
}

namespace
{

PackageResult writeDataFilePackageTo(int file, const QString& path)
{
    if (isOpenDataFile(path))
        return {PackageError::DataFileInUse, path};
    std::vector<CResEntry*> records;
    if (CollectResources(&records, file, RES_ANY) != RES_OK)
        return {PackageError::StoreFailed, GetResFilePath(file)};
    CPagePackage package;
    return package.WritePackage(path, [&records](CPagePackage& p) { writeDataFileRecords(p, records); });
}

} // namespace

PackageResult WriteDataFilePackage(int file, bool ask, const QString& name)
{
    QString path = name;
    if (ask) {
        const std::optional<QString> chosen = lumivo::ui::chooseSaveFile(
            LoadSystemString(kExportMenuText), {}, packageFilter(), nullptr, kPackageSuffix);
        if (!chosen)
            return {};
        path = *chosen;
    }
    if (path.isEmpty()) {
        const QString dataPath = GetResFilePath(file);
        if (dataPath.isEmpty())
            return {PackageError::StoreFailed, {}};
        // Only the file name's extension is replaced: a dot in a folder name stays.
        path = QString::fromStdString(
            std::filesystem::path(dataPath.toStdString()).replace_extension(".lu2").string());
    }
    const PackageResult result = writeDataFilePackageTo(file, path);
    if (result.Failed())
        WriteDebugLog(QStringLiteral("The package %1 was not written: message %2, %3")
                          .arg(path)
                          .arg(messageIdOf(result.error))
                          .arg(result.detail));
    return result;
}

// Import -----------------------------------------------------------------------------------------

namespace
{

PageImportResult importFailed(const PackageResult& result)
{
    return {PageImport::Failed, result.error, result.detail};
}

} // namespace

PageImportResult ImportPagePackageFrom(const QString& path)
{
    const int file = targetFile();
    if (file <= 0)
        return {PageImport::NothingToImport, PackageError::None, {}};
    if (isOpenDataFile(path))
        return importFailed({PackageError::NotAPackage, path});
    CPagePackage package;
    package.m_targetFile = file;
    package.m_language = packageLanguage();
    // Everything the import stores is read and checked before anything changes.
    std::optional<PackagedPage> packaged;
    if (const PackageResult read = package.ReadPackage(path, packaged); read.Failed())
        return importFailed(read);
    if (!packaged)
        return {PageImport::NothingToImport, PackageError::None, {}};
    ClashAnswer answer;
    if (const PackageResult settled = settleClash(*packaged, file, answer); settled.Failed())
        return importFailed(settled);
    if (!answer.importIt)
        return {PageImport::Cancelled, PackageError::None, {}};
    if (const PackageResult stored = storePage(*packaged, answer, file); stored.Failed())
        return importFailed(stored);
    return {PageImport::Imported, PackageError::None, {}};
}

void ImportPagePackage()
{
    if (targetFile() <= 0)
        return;
    const std::optional<QString> path =
        lumivo::ui::chooseOpenFile(LoadSystemString(kImportMenuText), {}, packageFilter());
    if (!path)
        return;
    const PageImportResult result = ImportPagePackageFrom(*path);
    if (result.outcome == PageImport::Failed)
        MessageBoxById(kImportFailedText, lumivo::ui::MB_ICONSTOP,
                       PackageErrorText({result.error, result.detail}));
}
