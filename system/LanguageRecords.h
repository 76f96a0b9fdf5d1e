#pragma once
// Language records and the list of active files. A language record holds the program's texts in one
// language (system strings by 16-bit id), the language's name and the language it falls back to. It is
// stored as a resource of type "g_ss" with id 1000 + language number. The active files are the open
// files that lookups search, in the order in which later files override earlier ones.

#include "platform/archive/Archive.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CQuibSystem : public CMyRes, public CObject
{
    DECLARE_SERIAL(CQuibSystem)

public:
    CQuibSystem();
    ~CQuibSystem() override;

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override;

    // The text of a string id, or nothing.
    const QString* FindString(std::uint16_t id) const;
    void SetString(std::uint16_t id, const QString& text);

    std::uint16_t m_language = 0;
    QString m_name;
    std::uint16_t m_baseLanguage = 0; // searched after this record; 0 = none
    std::map<std::uint16_t, QString> m_strings;
    // The record of the same language from an earlier active file.
    std::unique_ptr<CQuibSystem> m_next;

protected:
    void ResetToDefaults() override;
};

// Language number (record id - 1000) to the newest record of that language; owns the records and,
// through them, their chains of earlier records.
extern std::map<std::uint16_t, std::unique_ptr<CQuibSystem>> theSystemMap;
// The files searched by the finders by id, in the order UpdateActiveFiles builds.
extern std::vector<int> theActiveFiles;

// Set by the reload sequence from the records and the user's settings.
extern std::uint16_t theCurrentLanguage; // the user's primary language
extern std::uint16_t theSecondLanguage;  // the user's second language, 0 = none
extern CQuibSystem* theInstallLanguageRec;
extern CQuibSystem* theCurrentLanguageRec;
extern CQuibSystem* theSecondLanguageRec; // kept for the stored layout of the lookups; always null
extern CQuibSystem* theTranslateLanguageRec;
extern std::vector<std::uint16_t> theSearchLanguages;

constexpr int kFirstLanguageRecordId = 1000;
constexpr int kLastLanguageRecordId = 1255;

// The files of the current user, as the active-file list needs them. The caller, which knows the user,
// hands them in (CurrentUserFilesOf, core/User.h); none when there is no current user.
struct CurrentUserFiles {
    int userFile = 0;    // the file that holds the current user, 0 = none
    int profileFile = 0; // the file of the user's profile, 0 = none
};

// Rebuilds the active files for that user, then the language records from them.
void UpdateSystemList(const CurrentUserFiles& user);
void ClearSystemList();
// The data files by version and time, then the user's profile file, the user's file and the output file.
void UpdateActiveFiles(const CurrentUserFiles& user);
CQuibSystem* FindSystemRecord(std::uint16_t language);
QString GetLanguageName(int language);
CQuibSystem* GetCurrentLanguageRecord();

// The base-language chain from `record`: the record, then the record of its base language, and so on;
// a language met a second time ends the chain, so records that name each other as base cannot loop.
std::vector<const CQuibSystem*> BaseLanguageChain(const CQuibSystem* record);

// Empties every global of this module (tests and shutdown).
void ResetLanguageRecords();
