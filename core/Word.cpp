#include "core/Word.h"

#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/WordEditorHooks.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <memory>

IMPLEMENT_SERIAL(CQuibWord, CObject, 1)

namespace
{

constexpr int kAskRemoveWord = 9017;
constexpr int kAskSaveWord = 9004;
const char* const kAskReplaceWord = "The word already exist in the user/output file!. Shall it be replaced?";

// Where an edited word belongs: the output file in its translation language when one is open, else
// the current user's file in the user's primary language, else nowhere (file 0, language 0).
struct SaveTarget {
    int file = 0;
    std::uint16_t language = 0;
};

SaveTarget saveTarget()
{
    if (theOutputFile > 0)
        return {theOutputFile, static_cast<std::uint16_t>(theTranslateLanguage)};
    if (theCurrentUser)
        return {theCurrentUser->GetFile(), static_cast<std::uint16_t>(theCurrentUser->PrimaryLanguage)};
    return {};
}

// Takes the word the index holds under these keys out of the index and deletes it, unless it is
// `keep` (a word saved again under its own keys).
void dropIndexedWord(int file, std::uint8_t language, std::int32_t id, const CMyRes* keep = nullptr)
{
    CMyRes* held = theWordIndex.Find(file, language, id);
    if (held && held != keep)
        theWordIndex.Remove(held); // handed back and dropped here
}

// The word's entry in the name list, under its current name.
void listName(CQuibWord* word)
{
    CSortedStringArray& names = theWordIndex.Names();
    if (const int old = names.FindItemData(word); old >= 0)
        names.RemoveAt(old);
    names.InsertSorted(word->WordName, word);
}

// Saves a copy of a word of another file into the target file; the word itself drops its edits.
// `failed` takes the store's code of a step that failed.
bool saveCopyOfWord(CQuibWord* word, const SaveTarget& target, int& failed)
{
    using namespace lumivo::ui;
    const std::int32_t id = word->GetID();
    const std::int32_t copyType = MakeWordType(static_cast<std::int16_t>(target.language));
    if (ResourceExists(id, copyType, target.file)) {
        const int replace = ShowMessageText(QString::fromLatin1(kAskReplaceWord), MB_YESNOCANCEL);
        if (replace == IDCANCEL)
            return false;
        if (replace != IDYES)
            return true;
        dropIndexedWord(target.file, static_cast<std::uint8_t>(target.language & 0xFF), id);
        RemoveResource(nullptr, id, copyType, target.file);
    }
    // The edits are dropped from this word only once the copy holds them: a copy that cannot be placed
    // (a file that has gone away) leaves the word as edited, and the editor keeps it selected.
    auto copy = std::make_unique<CQuibWord>();
    copy->Assign(word);
    failed = copy->SaveAs(id, target.file, copyType);
    if (failed != RES_OK)
        return false;
    // A copy whose write failed holds the edits all the same, changed, for its file's next save.
    SaveWord(std::move(copy), &failed);
    word->Load();
    return true;
}

} // namespace

std::unique_ptr<CMyRes> MakeIndexedWord(CResEntry* record, QString& name)
{
    auto word = std::make_unique<CQuibWord>();
    if (AttachResEntry(word.get(), record) != RES_OK)
        return nullptr;
    const int loaded = word->Load();
    if (loaded != RES_OK && loaded != RES_ERR_FREE_CHANGED)
        return nullptr;
    name = word->WordName;
    return word;
}

CTime WordStreamGate()
{
    return CTime(2001, 6, 21, 14, 46, 0);
}

CQuibWord::CQuibWord()
{
    m_owner = this;
    Assign(nullptr);
}

CQuibWord::~CQuibWord() = default;

void CQuibWord::Assign(const CQuibWord* source)
{
    if (!source) {
        WordName.clear();
        WordForm = 0;
        FamilyList.clear();
        SynonymList.clear();
        WordDescription.clear();
        WordFlags = 0;
        return;
    }
    WordName = source->WordName;
    WordForm = source->WordForm;
    FamilyList = source->FamilyList;
    SynonymList = source->SynonymList;
    WordDescription = source->WordDescription;
    WordFlags = source->WordFlags;
}

QString CQuibWord::GetDisplayText(int flags) const
{
    return WordDisplayText(WordName, flags);
}

void CQuibWord::Exchange(bool store)
{
    ArchiveData(store);
}

std::int32_t CQuibWord::GetType() const
{
    return m_entry ? m_entry->GetType() : RESTYPE_WORD;
}

void CQuibWord::Serialize(CArchive& ar)
{
    CTime stamp = CTime::GetCurrentTime();
    if (ar.IsLoading())
        GetResourceTime(this, &stamp);
    SerializeStamped(ar, stamp);
}

void CQuibWord::SerializeStamped(CArchive& ar, const CTime& stamp)
{
    if (ar.IsStoring()) {
        ar << WordName << WordForm;
        SerializeIdList(ar, FamilyList);
        SerializeIdList(ar, SynonymList);
        ar << WordDescription << WordFlags;
        return;
    }
    Assign(nullptr);
    ar >> WordName >> WordForm;
    if (stamp.GetTime() <= WordStreamGate().GetTime())
        return;
    SerializeIdList(ar, FamilyList);
    SerializeIdList(ar, SynonymList);
    ar >> WordDescription >> WordFlags;
}

QString WordDisplayText(const QString& text, int flags)
{
    QString shown = text;
    if (flags & kWordTextCutSuffix) {
        const auto hash = shown.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            shown.truncate(hash);
    }
    if (flags & kWordTextDropLayoutChars) {
        shown.removeIf([](QChar c) {
            const char16_t u = c.unicode();
            return u == 0x00B7 || u == 0x00AD || u == u'\n' || u == u'\r' || u == 0x00AC;
        });
    }
    return shown;
}

void SerializeIdList(CArchive& ar, std::vector<std::int32_t>& list)
{
    if (ar.IsStoring()) {
        ar.WriteCount(list.size());
        for (std::int32_t value : list)
            ar << value;
        return;
    }
    const std::size_t count = ar.ReadCount();
    list.clear();
    for (std::size_t i = 0; i < count; ++i) {
        std::int32_t value = 0;
        ar >> value;
        list.push_back(value);
    }
}

std::uint8_t GetWordTypeLanguage(std::int32_t type)
{
    return static_cast<std::uint8_t>(type & 0xFF);
}

int SaveWord(CQuibWord* word)
{
    word->Commit();
    const int written = word->Write();
    if (theWordIndex.Contains(word)) {
        dropIndexedWord(word->GetFile(), GetWordTypeLanguage(word->GetType()), word->GetID(), word);
        theWordIndex.Refile(word);
        listName(word);
    }
    return written;
}

CQuibWord* SaveWord(std::unique_ptr<CQuibWord> word, int* written)
{
    CQuibWord* saved = word.get();
    saved->Commit();
    const int result = saved->Write();
    if (written)
        *written = result;
    dropIndexedWord(saved->GetFile(), GetWordTypeLanguage(saved->GetType()), saved->GetID());
    theWordIndex.Add(std::move(word));
    listName(saved);
    return saved;
}

bool CQuibWord::Remove(CQuibWord* word, bool ask)
{
    if (ask && MessageBoxById(kAskRemoveWord, lumivo::ui::MB_OKCANCEL) != lumivo::ui::IDOK)
        return false;
    if (IsWordEditorOpen()) {
        WordEditorSetChanged(false);
        WordEditorFrameSelectWord(nullptr);
        WordEditorTreeSelectWord(word);
        WordEditorSetCurrentWord(nullptr);
    }
    std::unique_ptr<CMyRes> held = theWordIndex.Remove(word); // the index lets go; dropped on return
    word->CMyRes::Remove(-1, -1);
    return true;
}

bool CQuibWord::SaveChanges(CQuibWord* word, bool ask, int* written)
{
    using namespace lumivo::ui;
    int unused = RES_OK;
    int& failed = written ? *written : unused;
    failed = RES_OK;
    if (!word->IsChanged())
        return true;
    const SaveTarget target = saveTarget();
    const int answer = ask ? MessageBoxById(kAskSaveWord, MB_YESNOCANCEL) : IDYES;
    if (answer == IDCANCEL)
        return false;
    if (answer != IDYES) {
        if (word->IsNew())
            return Remove(word, false);
        word->Load();
        return true;
    }
    if (word->GetFile() == target.file) {
        failed = SaveWord(word);
        return true;
    }
    return saveCopyOfWord(word, target, failed);
}
