#include "core/Lookups.h"

#include "core/ObjectIndex.h"
#include "core/UserLevel.h"
#include "core/Word.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"

#include <algorithm>

bool HasActiveFiles()
{
    return !theActiveFiles.empty();
}

std::vector<int> FilesToSearch(const CMyRes* startObject, int skipFile)
{
    const std::vector<int> active(theActiveFiles.begin(), theActiveFiles.end());
    auto start = active.end();
    if (startObject && startObject->GetEntry()) {
        const int ownFile = GetResEntryFile(startObject->GetEntry());
        const auto own = std::find(active.begin(), active.end(), ownFile);
        if (own != active.end())
            start = own + 1;
    }
    std::vector<int> files;
    for (auto it = std::make_reverse_iterator(start); it != active.rend(); ++it) {
        if (*it < 1 || *it == skipFile)
            continue;
        files.push_back(*it);
    }
    return files;
}

std::vector<std::uint16_t> SearchLanguageList()
{
    std::vector<std::uint16_t> languages;
    for (auto language : theSearchLanguages)
        languages.push_back(static_cast<std::uint16_t>(language & 0xFFFF));
    return languages;
}

std::vector<std::uint16_t> SoundLanguageList()
{
    std::vector<std::uint16_t> languages;
    for (std::uint16_t language : {theCurrentLanguage, theSecondLanguage, theLanguageNo}) {
        if (language != 0 && std::find(languages.begin(), languages.end(), language) == languages.end())
            languages.push_back(language);
    }
    return languages;
}

std::unique_ptr<CQuibWord> FindWordById(std::int32_t id, const CMyRes* startObject)
{
    return FindAttachedById<CQuibWord>(
        id, SearchLanguageList(),
        [](std::uint16_t language) { return MakeWordType(static_cast<std::int16_t>(language)); },
        startObject);
}

std::unique_ptr<CQuibUserLevel> FindUserLevelById(std::int32_t id, const CMyRes* startObject)
{
    return FindAttachedById<CQuibUserLevel>(
        id, SearchLanguageList(), [](std::uint16_t language) { return MakeUserLevelType(0, language); },
        startObject);
}

CMyRes* FindLoadedBackgroundObject(std::int32_t id, int skipFile)
{
    const std::vector<int> files = FilesToSearch(nullptr, skipFile);
    for (std::uint16_t language : SearchLanguageList()) {
        for (int file : files) {
            if (CMyRes* page = theBgIndex.Find(file, language & 0xFF, id))
                return page;
        }
    }
    return nullptr;
}
