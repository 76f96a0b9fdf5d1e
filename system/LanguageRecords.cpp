#include "system/LanguageRecords.h"

#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <algorithm>
#include <set>
#include <utility>

IMPLEMENT_SERIAL(CQuibSystem, CObject, 1)

std::map<std::uint16_t, std::unique_ptr<CQuibSystem>> theSystemMap;
std::vector<int> theActiveFiles;
std::uint16_t theCurrentLanguage = 0;
std::uint16_t theSecondLanguage = 0;
CQuibSystem* theInstallLanguageRec = nullptr;
CQuibSystem* theCurrentLanguageRec = nullptr;
CQuibSystem* theSecondLanguageRec = nullptr;
CQuibSystem* theTranslateLanguageRec = nullptr;
std::vector<std::uint16_t> theSearchLanguages;

namespace
{

constexpr int kFirstUnnamedLanguage = 13; // the string table names languages below it
constexpr int kLanguageNameBase = 10000;

} // namespace

CQuibSystem::CQuibSystem()
{
    m_owner = this;
}

CQuibSystem::~CQuibSystem()
{
    // Unchain iteratively, so a long chain of earlier records cannot exhaust the stack.
    while (m_next)
        m_next = std::move(m_next->m_next);
}

void CQuibSystem::Exchange(bool store)
{
    ArchiveData(store);
}

std::int32_t CQuibSystem::GetType() const
{
    return RESTYPE_SYSTEM;
}

void CQuibSystem::ResetToDefaults()
{
    m_language = 0;
    m_name.clear();
    m_baseLanguage = 0;
    m_strings.clear();
}

void CQuibSystem::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_language << m_name << m_baseLanguage << std::uint32_t{0} << std::uint32_t{0};
        ar << static_cast<std::uint32_t>(m_strings.size());
        for (const auto& [id, text] : m_strings)
            ar << id << text;
        return;
    }
    ResetToDefaults();
    std::uint32_t reserved = 0;
    std::uint32_t count = 0;
    ar >> m_language >> m_name >> m_baseLanguage >> reserved >> reserved >> count;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t id = 0;
        QString text;
        ar >> id >> text;
        m_strings[id] = text;
    }
}

const QString* CQuibSystem::FindString(std::uint16_t id) const
{
    const auto found = m_strings.find(id);
    return found == m_strings.end() ? nullptr : &found->second;
}

void CQuibSystem::SetString(std::uint16_t id, const QString& text)
{
    m_strings[id] = text;
}

std::vector<const CQuibSystem*> BaseLanguageChain(const CQuibSystem* record)
{
    std::vector<const CQuibSystem*> chain;
    std::set<std::uint16_t> seen;
    while (record && seen.insert(record->m_language).second) {
        chain.push_back(record);
        if (record->m_baseLanguage == 0)
            break;
        record = FindSystemRecord(record->m_baseLanguage);
    }
    return chain;
}

CQuibSystem* FindSystemRecord(std::uint16_t language)
{
    const auto found = theSystemMap.find(language);
    return found == theSystemMap.end() ? nullptr : found->second.get();
}

void ClearSystemList()
{
    // The language-record pointers point into the map: they go with it, so no lookup between here
    // and the next reload reads a deleted record.
    theInstallLanguageRec = nullptr;
    theCurrentLanguageRec = nullptr;
    theSecondLanguageRec = nullptr;
    theTranslateLanguageRec = nullptr;
    theSystemMap.clear();
    theActiveFiles.clear();
}

namespace
{

struct FileOrder {
    int file = 0;
    std::uint32_t version = 0;
    std::int64_t time = 0;
};

} // namespace

void UpdateActiveFiles(const CurrentUserFiles& user)
{
    theActiveFiles.clear();
    const auto [userFile, profileFile] = user;

    std::vector<FileOrder> dataFiles;
    for (int file : theDataFiles) {
        CTime time;
        GetResFileTime(file, &time);
        dataFiles.push_back({file, GetResFileVersion(file), time.GetTime()});
    }
    std::stable_sort(dataFiles.begin(), dataFiles.end(), [](const FileOrder& a, const FileOrder& b) {
        return a.version != b.version ? a.version < b.version : a.time < b.time;
    });
    for (const auto& entry : dataFiles) {
        if (entry.file != userFile && entry.file != profileFile && entry.file != theOutputFile)
            theActiveFiles.push_back(entry.file);
    }
    if (profileFile > 0)
        theActiveFiles.push_back(profileFile);
    if (userFile > 0)
        theActiveFiles.push_back(userFile);
    if (theOutputFile > 0)
        theActiveFiles.push_back(theOutputFile);
}

namespace
{

// Loads the record (id, file) and files it in front of the chain of its language.
void LoadLanguageRecord(std::int32_t id, int file)
{
    auto record = std::make_unique<CQuibSystem>();
    const int result = record->LoadFrom(id, file);
    if (result != RES_OK && result != RES_ERR_FREE_CHANGED)
        return;
    const auto language = static_cast<std::uint16_t>(id - kFirstLanguageRecordId);
    auto& slot = theSystemMap[language];
    record->m_next = std::move(slot);
    slot = std::move(record);
}

} // namespace

void UpdateSystemList(const CurrentUserFiles& user)
{
    ClearSystemList();
    UpdateActiveFiles(user);
    for (int file : theActiveFiles) {
        for (std::int32_t id = kFirstLanguageRecordId; id <= kLastLanguageRecordId; ++id) {
            if (ResourceExists(id, RESTYPE_SYSTEM, file))
                LoadLanguageRecord(id, file);
        }
    }
}

QString GetLanguageName(int language)
{
    for (const auto& [number, record] : theSystemMap) {
        if (record->m_language == language)
            return record->m_name;
    }
    if (language < 0 || language >= kFirstUnnamedLanguage)
        return {};
    if (const auto found = theSystemMap.find(static_cast<std::uint16_t>(kLanguageNameBase + language));
        found != theSystemMap.end())
        return found->second->m_name;
    return LoadSystemString(kLanguageNameBase + language);
}

CQuibSystem* GetCurrentLanguageRecord()
{
    if (theCurrentLanguageRec)
        return theCurrentLanguageRec;
    if (theSecondLanguageRec)
        return theSecondLanguageRec;
    return theInstallLanguageRec;
}

void ResetLanguageRecords()
{
    ClearSystemList();
    theCurrentLanguage = 0;
    theSecondLanguage = 0;
    theSearchLanguages.clear();
}
