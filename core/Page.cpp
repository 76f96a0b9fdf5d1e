#include "core/Page.h"

#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <functional>
#include <string_view>

IMPLEMENT_SERIAL(CQuibBg, CObject, 1)

namespace
{

// A digest of a picture record's bytes; 0 when it has none.
std::size_t storedBytesDigest(CQuibPict& picture)
{
    const std::uint8_t* data = picture.GetData();
    const std::int64_t size = picture.GetSize();
    if (!data || size <= 0)
        return 0;
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(data), std::size_t(size)));
}

constexpr int kAskRemovePage = 9020;
constexpr int kAskSavePage = 9021;
const char* const kAskReplacePage =
    "The background already exist in the user/output file!. Shall it be replaced?";
constexpr std::int16_t kPageKind = 1;

// Where an edited page belongs: the output file in its translation language when one is open, else
// the current user's file in the user's primary language, else nowhere (file 0, language 0).
struct SaveTarget {
    int file = 0;
    std::uint16_t language = 0;
    bool isOutputFile = false;
};

SaveTarget saveTarget()
{
    if (theOutputFile > 0)
        return {theOutputFile, static_cast<std::uint16_t>(theTranslateLanguage), true};
    if (theCurrentUser)
        return {theCurrentUser->GetFile(), static_cast<std::uint16_t>(theCurrentUser->PrimaryLanguage),
                false};
    return {};
}

// The page the index holds under these keys, unless it is `keep`; none when there is none.
CQuibBg* otherIndexedPage(int file, std::uint8_t language, std::int32_t id, const CMyRes* keep)
{
    auto* held = static_cast<CQuibBg*>(theBgIndex.Find(file, language, id));
    return held == keep ? nullptr : held;
}

// Drops the page the index holds under these keys, unless it is `keep`. Whatever shows it lets go
// first, while it still exists, and shows `replacement` instead, a page the index holds (none: it
// shows nothing until it is given a page).
void dropIndexedPage(int file, std::uint8_t language, std::int32_t id, const CMyRes* keep,
                     CQuibBg* replacement)
{
    CQuibBg* held = otherIndexedPage(file, language, id, keep);
    if (!held)
        return;
    emit thePageEvents.pageReplaced(held, replacement);
    theBgIndex.Remove(held); // handed back and dropped here
}

// The page's entry in the name list, under its current name.
void listName(CQuibBg* page)
{
    CSortedStringArray& names = theBgIndex.Names();
    if (const int old = names.FindItemData(page); old >= 0)
        names.RemoveAt(old);
    names.InsertSorted(page->Name, page);
}

// Gives the write's result. A page whose write failed is still the one its keys name: it stays
// committed and changed, and so does its file, for the file's next save to write it.
int writeAndDropOthers(CQuibBg* page)
{
    page->Commit();
    const int written = page->Write();
    // A page the index does not hold is no one else's to show.
    CQuibBg* replacement = theBgIndex.Contains(page) ? page : nullptr;
    dropIndexedPage(page->GetFile(), GetBgTypeLanguage(page->GetType()), page->GetID(), page, replacement);
    return written;
}

// A new id for a page that was never stored, free in the target file; kNoItemId when none.
std::int32_t newPageId(const SaveTarget& target)
{
    std::int32_t id = target.isOutputFile ? NewItemId() : NewSystemItemId();
    if (id == kNoItemId)
        return kNoItemId;
    if (FindFreeResId(&id, target.file, MakeBgType(kPageKind, std::int16_t(target.language))) != RES_OK)
        return kNoItemId;
    return id;
}

// `written` takes the store's code of a step that failed, here and in saveCopyOfPage.
bool saveNewPage(CQuibBg* page, const SaveTarget& target, int& written)
{
    const std::int32_t id = newPageId(target);
    if (id == kNoItemId)
        return false;
    written = page->SaveAs(id, target.file, MakeBgType(kPageKind, std::int16_t(target.language)));
    if (written != RES_OK)
        return false;
    written = SaveBackground(page);
    return true;
}

// Saves a copy of a page of another file into the target file; the page itself drops its edits.
// Whatever showed the page shows the new copy; so does whatever let go of the copy it replaces.
bool saveCopyOfPage(CQuibBg* page, const SaveTarget& target, int& written)
{
    using namespace lumivo::ui;
    const std::int32_t id = page->GetID();
    const std::int32_t copyType =
        MakeBgType(std::int16_t(GetResTypeKind(page->GetType())), std::int16_t(target.language));
    if (ResourceExists(id, copyType, target.file)) {
        const int replace = ShowMessageText(QString::fromLatin1(kAskReplacePage), MB_YESNOCANCEL);
        if (replace == IDCANCEL)
            return false;
        if (replace != IDYES)
            return true;
        dropIndexedPage(target.file, std::uint8_t(target.language & 0xFF), id, nullptr, nullptr);
        RemoveResource(nullptr, id, copyType, target.file);
    }
    auto made = std::make_unique<CQuibBg>();
    made->Assign(page);
    written = made->SaveAs(id, target.file, copyType);
    if (written != RES_OK)
        return false;
    CQuibBg* copy = SaveBackground(std::move(made), &written);
    page->Load();
    emit thePageEvents.pageReplaced(page, copy);
    return true;
}

} // namespace

CTime PageIconsGate()
{
    return CTime(2001, 5, 7, 10, 37, 0);
}

CTime PageFlagsGate()
{
    return CTime(2001, 12, 7, 10, 12, 0);
}

std::uint8_t GetBgTypeLanguage(std::int32_t type)
{
    return static_cast<std::uint8_t>(GetResTypeLanguage(type));
}

std::unique_ptr<CMyRes> MakeIndexedPage(CResEntry* record, QString& name)
{
    auto page = std::make_unique<CQuibBg>();
    if (AttachResEntry(page.get(), record) != RES_OK)
        return nullptr;
    const int loaded = page->Load();
    if (loaded != RES_OK && loaded != RES_ERR_FREE_CHANGED)
        return nullptr;
    name = page->Name;
    return page;
}

CQuibBg::CQuibBg()
{
    m_owner = this;
}

CQuibBg::~CQuibBg() = default;

void CQuibBg::Assign(const CQuibBg* source)
{
    if (!source) {
        static_cast<CQuibBgSettings&>(*this) = CQuibBgSettings();
        DeleteIcons();
        return;
    }
    static_cast<CQuibBgSettings&>(*this) = *source;
    Icons = CopyIconList(source->Icons);
}

void CQuibBg::DeleteIcons()
{
    Icons.clear();
}

int CQuibBg::Commit()
{
    emit thePageEvents.pageCommitted(this);
    return CMyRes::Commit();
}

int CQuibBg::Write()
{
    IconListScreenToRelative(Icons, LayoutSize);
    return CMyRes::Write();
}

void CQuibBg::ReloadIconWords(bool force)
{
    for (auto& icon : Icons)
        icon->ReloadWord(force);
}

bool CQuibBg::LoadPicture(int kind)
{
    std::unique_ptr<CQuibPict> picture = FindPictureById<CQuibPict>(GetID(), kind);
    if (!picture)
        return false;
    TakePicture(std::move(picture));
    return true;
}

int FrameSizeToLayoutId(int mode)
{
    switch (mode) {
    case 1:
        return 32;
    case 3:
        return 34;
    case 4:
        return 35;
    case 5:
        return 36;
    case 6:
        return 37;
    default:
        return 33;
    }
}

void CQuibBg::dropPicture()
{
    PictureImage.reset();
    PictureSize = SIZE{0, 0};
    PictureFrameMode = 0;
    PictureDigest = 0;
}

int CQuibBg::LoadPictureForFrameSize(int currentMode, bool force)
{
    if (!force && (PictureImage || (BgFlags & kBgFlagNoPicture)))
        return PictureImage ? PictureFrameMode : 0;
    if (BgFlags & kBgFlagNoPicture) {
        dropPicture();
        return 0;
    }
    // Forced, the records are read again, but the picture held so far stays until one replaces it:
    // bytes it was decoded from are not decoded again (a start lays every pane out more than once).
    std::vector<int> modes;
    for (int mode = std::max(currentMode, kFirstFrameSizeMode); mode <= kLastFrameSizeMode; ++mode)
        modes.push_back(mode);
    for (int mode = std::min(currentMode, kLastFrameSizeMode + 1) - 1; mode >= kFirstFrameSizeMode; --mode)
        modes.push_back(mode);
    for (int mode : modes) {
        if (LoadPicture(FrameSizeToLayoutId(mode)) && PictureImage) {
            PictureFrameMode = mode;
            return mode;
        }
    }
    dropPicture();
    return 0;
}

void CQuibBg::TakePicture(std::unique_ptr<CQuibPict> picture)
{
    if (!picture)
        return;
    PictureKind = static_cast<std::int16_t>(GetPictTypeKind(picture->GetType()));
    if (!picture->GetImage())
        picture->Load();
    const std::size_t digest = storedBytesDigest(*picture);
    if (PictureImage && digest != 0 && digest == PictureDigest)
        return;
    if (!picture->GetImage())
        picture->Decode();
    PictureImage = picture->DetachImage();
    PictureSize = PictureImage ? SIZE{PictureImage->width, PictureImage->height} : SIZE{0, 0};
    PictureDigest = PictureImage ? digest : 0;
}

bool CQuibBg::HoldsIcon(const CQuibIcon* icon) const
{
    return std::any_of(Icons.begin(), Icons.end(), [icon](const auto& held) { return held.get() == icon; });
}

void CQuibBg::Exchange(bool store)
{
    ArchiveData(store);
}

std::int32_t CQuibBg::GetType() const
{
    return m_entry ? m_entry->GetType() : MakeBgType(0, 0);
}

void CQuibBg::Serialize(CArchive& ar)
{
    CTime stamp = CTime::GetCurrentTime();
    if (ar.IsLoading())
        GetResourceTime(this, &stamp);
    SerializeStamped(ar, stamp);
}

void CQuibBg::SerializeStamped(CArchive& ar, const CTime& stamp)
{
    if (ar.IsStoring()) {
        ar << Name;
        SerializeObjectList(ar, Icons);
        ar << BgFlags;
        return;
    }
    // Read whole before anything changes: a stream that fails half-way leaves the page as it was.
    QString name;
    CQuibIconList icons;
    std::uint32_t flags = BgFlags;
    ar >> name;
    if (stamp.GetTime() > PageIconsGate().GetTime())
        SerializeObjectList(ar, icons);
    if (stamp.GetTime() > PageFlagsGate().GetTime())
        ar >> flags;
    Name = name;
    Icons = std::move(icons);
    BgFlags = flags;
}

int SaveBackground(CQuibBg* page)
{
    const int written = writeAndDropOthers(page);
    if (theBgIndex.Contains(page)) {
        theBgIndex.Refile(page);
        listName(page);
    }
    return written;
}

CQuibBg* SaveBackground(std::unique_ptr<CQuibBg> page, int* written)
{
    CQuibBg* saved = page.get();
    saved->Commit();
    const int result = saved->Write();
    if (written)
        *written = result;
    // The page is filed before the one it replaces is announced, so that whatever showed that one can
    // show this one; the replaced page lives until then.
    CQuibBg* other =
        otherIndexedPage(saved->GetFile(), GetBgTypeLanguage(saved->GetType()), saved->GetID(), saved);
    const std::unique_ptr<CMyRes> replaced = other ? theBgIndex.Remove(other) : nullptr;
    theBgIndex.Add(std::move(page));
    listName(saved);
    if (replaced)
        emit thePageEvents.pageReplaced(other, saved);
    return saved;
}

bool CQuibBg::Remove(CQuibBg* page, bool ask)
{
    using namespace lumivo::ui;
    if (ask && MessageBoxById(kAskRemovePage, MB_OKCANCEL) != IDOK)
        return false;
    emit thePageEvents.pageAboutToBeRemoved(page);
    const std::int32_t id = page->GetID();
    std::unique_ptr<CMyRes> held = theBgIndex.Remove(page);
    page->CMyRes::Remove(-1, -1);
    held.reset();
    emit thePageEvents.pageRemoved(id);
    return true;
}

bool CQuibBg::SaveChanges(CQuibBg* page, bool ask, int* written)
{
    using namespace lumivo::ui;
    int unused = RES_OK;
    int& failed = written ? *written : unused;
    failed = RES_OK;
    if (!page || !page->IsChanged())
        return true;
    const SaveTarget target = saveTarget();
    const int answer = ask ? AskToSave(*page) : IDYES;
    if (answer == IDCANCEL)
        return false;
    if (answer != IDYES)
        return DropChanges(page);
    if (page->GetID() == 0)
        return saveNewPage(page, target, failed);
    if (page->GetFile() == target.file) {
        failed = SaveBackground(page);
        return true;
    }
    return saveCopyOfPage(page, target, failed);
}

int CQuibBg::AskToSave(const CQuibBg& page)
{
    return MessageBoxById(kAskSavePage, lumivo::ui::MB_YESNOCANCEL, page.Name);
}

bool CQuibBg::DropChanges(CQuibBg* page)
{
    if (page->IsNew() || page->GetID() == 0)
        return Remove(page, false);
    page->Load();
    emit thePageEvents.pageReverted(page);
    return true;
}

bool CQuibBg::SaveChanges(std::unique_ptr<CQuibBg>& page, bool ask, int* written)
{
    CQuibBg* saved = page.get();
    if (!SaveChanges(saved, ask, written))
        return false;
    const bool stored = saved && saved->GetEntry() != nullptr && saved->GetID() != 0;
    if (stored && !theBgIndex.Contains(saved)) {
        theBgIndex.Add(std::move(page));
        listName(saved);
    }
    return true;
}
