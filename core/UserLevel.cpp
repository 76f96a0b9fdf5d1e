#include "core/UserLevel.h"

#include "core/ObjectIndex.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

IMPLEMENT_SERIAL(CQuibUserLevel, CObject, 1)

CQuibObjIndex theUserLevelIndex;

void ResetUserLevelIndex()
{
    theUserLevelIndex.DeleteAll();
}

namespace
{

constexpr int kDefaultLevelName = 9028;

// Records of files older than data version 0.2.3 hold the name alone. A record that belongs to no file
// (or whose file is unknown) is read in the full form, which is the one this program writes.
bool fileHoldsLevelNumbers(int file)
{
    if (file <= 0)
        return true;
    int error = RES_OK;
    const int comparison = CompareResFileVersion(file, 0, 2, 3, &error);
    return error != RES_OK || comparison != RES_VERSION_OLDER;
}

} // namespace

CQuibUserLevel::CQuibUserLevel()
{
    m_owner = this;
}

CQuibUserLevel::~CQuibUserLevel() = default;

void CQuibUserLevel::Assign(const CQuibUserLevel& source)
{
    Name = source.Name;
    Language = source.Language;
    Number = source.Number;
    Value = source.Value;
}

void CQuibUserLevel::Exchange(bool store)
{
    ArchiveData(store);
}

std::int32_t CQuibUserLevel::GetType() const
{
    return m_entry ? m_entry->GetType() : RESTYPE_USERLEVEL;
}

void CQuibUserLevel::ResetToDefaults()
{
    Name.clear();
    Language = Number = Value = 0;
}

void CQuibUserLevel::Serialize(CArchive& ar)
{
    SerializeFields(ar, ar.IsStoring() || fileHoldsLevelNumbers(GetFile()));
}

void CQuibUserLevel::SerializeFields(CArchive& ar, bool withNumbers)
{
    if (ar.IsStoring()) {
        ar << Name << Language << Number << Value;
        return;
    }
    ResetToDefaults();
    ar >> Name;
    if (withNumbers)
        ar >> Language >> Number >> Value;
}

int GetUserLevelTypeKind(std::int32_t type)
{
    return GetResTypeKind(type);
}

int GetUserLevelTypeLanguage(std::int32_t type)
{
    return GetResTypeLanguage(type);
}

std::unique_ptr<CQuibUserLevel> CreateDefaultUserLevel(std::uint16_t language)
{
    auto level = std::make_unique<CQuibUserLevel>();
    level->Number = CQuibUserLevel::kDefaultLevel;
    level->Name = LoadSystemString(kDefaultLevelName);
    level->Language = language;
    return level;
}

void AddUserLevelsOfFile(CQuibUserLevelMap& map, std::uint16_t language, int file)
{
    std::vector<CResEntry*> records;
    if (CollectResources(&records, file, MakeUserLevelType(0, language)) != RES_OK)
        return;
    for (CResEntry* record : records) {
        const auto number = static_cast<std::uint16_t>(GetResEntryId(record) & 0xFFFF);
        if (map.contains(number))
            continue;
        auto level = std::make_unique<CQuibUserLevel>();
        if (AttachResEntry(level.get(), record) != RES_OK)
            continue;
        level->Load();
        map.emplace(number, std::move(level));
    }
}

void AddUserLevelsOfDataFiles(CQuibUserLevelMap& map, std::uint16_t language)
{
    for (int file : theDataFiles)
        AddUserLevelsOfFile(map, language, file);
}

void AddUserLevelsOfUserFile(CQuibUserLevelMap& map, std::uint16_t language)
{
    if (theCurrentUser && theCurrentUser->GetFile() > 0)
        AddUserLevelsOfFile(map, language, theCurrentUser->GetFile());
}

void AddUserLevelsOfOutputFile(CQuibUserLevelMap& map, std::uint16_t language)
{
    if (theOutputFile > 0)
        AddUserLevelsOfFile(map, language, theOutputFile);
}

void GetOrCreateDefaultLevel(CQuibUserLevelMap& map, std::uint16_t language)
{
    if (!map.contains(CQuibUserLevel::kDefaultLevel))
        map.emplace(CQuibUserLevel::kDefaultLevel, CreateDefaultUserLevel(language));
}

void DeleteAllLevels(CQuibUserLevelMap& map)
{
    map.clear();
}

void DeleteLevelList(CQuibUserLevelList& list)
{
    list.clear();
}
