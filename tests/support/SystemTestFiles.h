#pragma once
// Small builders for the shell's tests: resource files of a given kind and data version, with
// language records in them.

#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace lumivo::test
{

// A new resource file at `path`, open in the store, with its kind and data version set; not yet
// written. Returns its number.
inline int NewResFile(const QString& path, std::uint32_t kind, int major, int minor, int build)
{
    int number = 0;
    FindOrAddResFile(&number, path);
    SetResFileKind(number, kind);
    SetResFileVersion(number, MakeResFileVersion(major, minor, build));
    return number;
}

// Writes a language record with id `recordId` into `file`, replacing one that is there.
inline int WriteLanguageRecord(int file, std::int32_t recordId, std::uint16_t language, const QString& name,
                               std::uint16_t base = 0,
                               std::initializer_list<std::pair<int, const char*>> strings = {})
{
    CQuibSystem record;
    const bool exists = ResourceExists(recordId, RESTYPE_SYSTEM, file);
    int result = exists ? record.LoadFrom(recordId, file) : record.Create();
    if (!exists && result == RES_OK)
        result = record.SaveAs(recordId, file, RESTYPE_SYSTEM);
    if (result != RES_OK)
        return result;
    record.m_language = language;
    record.m_name = name;
    record.m_baseLanguage = base;
    record.m_strings.clear();
    for (const auto& [id, text] : strings)
        record.SetString(static_cast<std::uint16_t>(id), QString::fromUtf8(text));
    return record.Write();
}

} // namespace lumivo::test
