#pragma once
// A user level: a named level number. Each user has one (1000 unless chosen otherwise); the authoring
// tools and the user dialogs list, choose and edit them. Levels are stored in records of type 'gu'
// whose id is the level number, and are gathered on demand from the data files, the user's file and
// the output file into level maps keyed by number. Level 1000 always exists in such a map.

#include "platform/archive/Archive.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CQuibObjIndex;

class CQuibUserLevel : public CObject, public CMyRes
{
    DECLARE_SERIAL(CQuibUserLevel)

public:
    static constexpr std::uint16_t kDefaultLevel = 1000;

    CQuibUserLevel();
    ~CQuibUserLevel() override;
    CQuibUserLevel(const CQuibUserLevel&) = delete;
    CQuibUserLevel& operator=(const CQuibUserLevel&) = delete;

    void Assign(const CQuibUserLevel& source);

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override;

    // The stream; `withNumbers` tells whether the record's file is new enough (data version 0.2.3 or
    // later) to hold language, number and value behind the name.
    void SerializeFields(CArchive& ar, bool withNumbers);

    QString Name;
    std::int32_t Language = 0;
    std::int32_t Value = 0;
    std::int32_t Number = 0;

protected:
    void ResetToDefaults() override;
};

// The kind byte and the language byte of a level's record type (levels are stored with kind 0).
int GetUserLevelTypeKind(std::int32_t type);
int GetUserLevelTypeLanguage(std::int32_t type);

// Levels by number, owned by the map.
using CQuibUserLevelMap = std::map<std::uint16_t, std::unique_ptr<CQuibUserLevel>>;
using CQuibUserLevelList = std::vector<std::unique_ptr<CQuibUserLevel>>;

// Level 1000 named "Default userlevel" in the given language, bound to no record.
std::unique_ptr<CQuibUserLevel> CreateDefaultUserLevel(std::uint16_t language);

// Enters every level of the file in that language whose number the map does not hold yet: the first
// file that defines a number wins.
void AddUserLevelsOfFile(CQuibUserLevelMap& map, std::uint16_t language, int file);
void AddUserLevelsOfDataFiles(CQuibUserLevelMap& map, std::uint16_t language);
void AddUserLevelsOfUserFile(CQuibUserLevelMap& map, std::uint16_t language);
void AddUserLevelsOfOutputFile(CQuibUserLevelMap& map, std::uint16_t language);
// Enters the default level under 1000 when the map has none.
void GetOrCreateDefaultLevel(CQuibUserLevelMap& map, std::uint16_t language);
void DeleteAllLevels(CQuibUserLevelMap& map);
void DeleteLevelList(CQuibUserLevelList& list);

// Kept for the reload sequence; nothing files levels in it.
extern CQuibObjIndex theUserLevelIndex;
void ResetUserLevelIndex();
