#include "core/ObjectIndex.h"

#include "core/Page.h"
#include "core/Word.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"

#include <utility>
#include <vector>

CQuibObjIndex theBgIndex;
CQuibObjIndex theWordIndex;
IndexObjectMaker theWordObjectMaker{MakeIndexedWord};
IndexObjectMaker thePageObjectMaker{MakeIndexedPage};

namespace
{

constexpr std::int16_t kPageKind = 1;

// The non-zero languages in the order given, each taken once.
std::vector<std::uint16_t> DistinctLanguages(std::initializer_list<std::uint16_t> candidates)
{
    std::vector<std::uint16_t> languages;
    for (std::uint16_t language : candidates) {
        if (language != 0 && std::find(languages.begin(), languages.end(), language) == languages.end())
            languages.push_back(language);
    }
    return languages;
}

// Empties `index` and fills it with the objects of every active file in the given languages.
void Rebuild(CQuibObjIndex& index, const std::vector<std::uint16_t>& languages,
             std::int32_t (*typeOf)(std::uint16_t), const IndexObjectMaker& make)
{
    index.DeleteAll();
    for (int file : theActiveFiles) {
        for (std::uint16_t language : languages) {
            std::vector<CResEntry*> records;
            CollectResources(&records, file, typeOf(language));
            for (CResEntry* record : records) {
                QString name;
                std::unique_ptr<CMyRes> object = make(record, name);
                if (!object)
                    continue;
                CMyRes* held = object.get();
                index.Add(std::move(object));
                index.Names().AddItem(name, held);
            }
        }
    }
    index.Names().Sort();
}

std::int32_t WordTypeOf(std::uint16_t language)
{
    return MakeWordType(static_cast<std::int16_t>(language));
}

std::int32_t PageTypeOf(std::uint16_t language)
{
    return MakeBgType(kPageKind, static_cast<std::int16_t>(language));
}

} // namespace

CQuibObjIndex::~CQuibObjIndex() = default;

CQuibObjIndex::Slot CQuibObjIndex::KeysOf(CMyRes* object)
{
    return {GetResTypeLanguage(static_cast<std::int32_t>(object->GetType())), object->GetFile(),
            object->GetID()};
}

CQuibObjIndex::Slot CQuibObjIndex::FileUnderKeys(CMyRes* object)
{
    const Slot slot = KeysOf(object);
    m_languages[slot.language][slot.file][slot.id] = object;
    return slot;
}

int CQuibObjIndex::Add(std::unique_ptr<CMyRes> object)
{
    if (!object)
        return 0;
    CMyRes* filed = object.get();
    const Slot slot = FileUnderKeys(filed);
    m_ids.emplace(filed, Held{std::move(object), slot});
    return 0;
}

bool CQuibObjIndex::Refile(CMyRes* object)
{
    const auto held = m_ids.find(object);
    if (held == m_ids.end())
        return false;
    Unfile(object, held->second.slot);
    held->second.slot = FileUnderKeys(object);
    return true;
}

void CQuibObjIndex::Unfile(const CMyRes* object, const Slot& slot)
{
    auto language = m_languages.find(slot.language);
    if (language == m_languages.end())
        return;
    auto file = language->second.find(slot.file);
    if (file == language->second.end())
        return;
    if (auto entry = file->second.find(slot.id); entry != file->second.end() && entry->second == object)
        file->second.erase(entry);
    if (file->second.empty())
        language->second.erase(file);
    if (language->second.empty())
        m_languages.erase(language);
}

std::unique_ptr<CMyRes> CQuibObjIndex::Remove(CMyRes* object)
{
    auto held = m_ids.find(object);
    if (held == m_ids.end())
        return nullptr;
    Unfile(object, held->second.slot);
    std::unique_ptr<CMyRes> released = std::move(held->second.object);
    m_ids.erase(held);
    if (const int name = m_names.FindItemData(released.get()); name >= 0)
        m_names.RemoveAt(name);
    return released;
}

bool CQuibObjIndex::Contains(const CMyRes* object) const
{
    return m_ids.contains(object);
}

const CQuibObjIndex::FileMap* CQuibObjIndex::GetFileMap(int file, int language) const
{
    const auto byLanguage = m_languages.find(language);
    if (byLanguage == m_languages.end())
        return nullptr;
    const auto byFile = byLanguage->second.find(file);
    return byFile == byLanguage->second.end() ? nullptr : &byFile->second;
}

CMyRes* CQuibObjIndex::Find(int file, int language, std::int32_t id) const
{
    const FileMap* map = GetFileMap(file, language);
    if (!map)
        return nullptr;
    const auto found = map->find(id);
    return found == map->end() ? nullptr : found->second;
}

void CQuibObjIndex::ForEach(const std::function<void(std::int32_t, CMyRes*)>& visit) const
{
    for (const auto& [language, files] : m_languages) {
        for (const auto& [file, objects] : files) {
            for (const auto& [id, object] : objects)
                visit(id, object);
        }
    }
}

void CQuibObjIndex::DeleteAll()
{
    m_names.RemoveAll();
    m_languages.clear();
    m_ids.clear();
}

void ResetObjectIndexes()
{
    theWordIndex.DeleteAll();
    theBgIndex.DeleteAll();
    // Other code replaces the makers; a fresh start has the program's own.
    theWordObjectMaker.reset();
    thePageObjectMaker.reset();
}

void CQuibObjIndex::LoadWords()
{
    Rebuild(theWordIndex, DistinctLanguages({theCurrentLanguage, theSecondLanguage, theTranslateLanguage}),
            WordTypeOf, theWordObjectMaker);
}

void CQuibObjIndex::LoadBackgrounds()
{
    const std::uint16_t recordLanguage = theCurrentLanguageRec ? theCurrentLanguageRec->m_language : 0;
    Rebuild(theBgIndex,
            DistinctLanguages(
                {theCurrentLanguage, theSecondLanguage, recordLanguage, theLanguageNo, theTranslateLanguage}),
            PageTypeOf, thePageObjectMaker);
}
