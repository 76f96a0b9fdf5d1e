#pragma once
// A word: the written name an icon stands for, its form code, the words of its family (the inflexions
// an icon steps through), its synonyms, a description and flags. Stored as an archive stream in a
// record of type 'gw'; the record id is the word number icons refer to, and translations are records
// with the same id in another language.

#include "platform/archive/Archive.h"
#include "platform/types/WinTypes.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CQuibWord : public CMyRes, public CObject
{
    DECLARE_SERIAL(CQuibWord)

public:
    CQuibWord();
    ~CQuibWord() override;
    CQuibWord(const CQuibWord&) = delete;
    CQuibWord& operator=(const CQuibWord&) = delete;

    // Copies every field of `source`; with none, empties the word (form and flags 0).
    void Assign(const CQuibWord* source);

    QString GetDisplayText(int flags) const;

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override;

    // The stream itself, with the record's time stamp given: records up to the gate hold the name and
    // the form only.
    void SerializeStamped(CArchive& ar, const CTime& stamp);

    // Asks (with `ask`) and removes the word from its file and from the word index. False when the
    // person declined. True when the word is gone: a word the index held is deleted with it, so the
    // caller must not touch it again; a word the caller owns stays the caller's.
    static bool Remove(CQuibWord* word, bool ask);
    // Saves an edited word into the user's or the output file (asking with `ask`). False on Cancel, and
    // when the copy for that file could not be placed (the edits stay). A new word whose changes are
    // dropped is removed as by Remove. `written`, when given, takes the store's code of the step that
    // failed, RES_OK when none did: a placed word (or copy) whose write failed (a full disk) gives true
    // with the write's code, and stays committed and changed, and its file dirty, so that the file's
    // next save writes it.
    static bool SaveChanges(CQuibWord* word, bool ask, int* written = nullptr);

    QString WordName;
    std::int16_t WordForm = 0;
    std::vector<std::int32_t> FamilyList;
    std::vector<std::int32_t> SynonymList;
    QString WordDescription;
    std::int16_t WordFlags = 0;

protected:
    void ResetToDefaults() override { Assign(nullptr); }
};

// Display flags of WordDisplayText.
constexpr int kWordTextCutSuffix = 0x1;       // drop a '#' and what follows it
constexpr int kWordTextDropLayoutChars = 0x2; // drop middle dot, soft hyphen, line breaks, not sign

QString WordDisplayText(const QString& text, int flags);

// The index key of a word type: its low byte.
std::uint8_t GetWordTypeLanguage(std::int32_t type);

// A list of 32-bit ids in its stored form: the count, then each id in 4 bytes. Words keep their family
// and synonyms so, users the ids of their sentences.
void SerializeIdList(CArchive& ar, std::vector<std::int32_t>& list);

// Writes a word the word index holds into its record now and files it again under its current keys,
// with its name in the name list; another word the index held under those keys is dropped. A word the
// index does not hold is only written. Gives the write's result (RES_OK or the store's code); a word
// whose write failed is filed all the same, changed, for its file's next save to write.
int SaveWord(CQuibWord* word);
// Writes a new word into its record now and files it in the word index, which takes it over; another
// word the index held under its keys is dropped. Gives the filed word, and the write's result into
// `written` (filed also when the write failed, as above).
CQuibWord* SaveWord(std::unique_ptr<CQuibWord> word, int* written = nullptr);

// The word index's maker of words (the default of theWordObjectMaker): a word bound to its record and
// loaded, its name given through `name`; null when the record cannot be loaded.
std::unique_ptr<CMyRes> MakeIndexedWord(CResEntry* record, QString& name);

// The time from which a word record carries its lists, description and flags (records stamped
// strictly later).
CTime WordStreamGate();
