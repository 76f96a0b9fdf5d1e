#pragma once
// An index of loaded objects (pages, words, user levels) by language byte, file number and id, with
// the reverse map from object to id and a sorted name list for menus and combo boxes. The index owns
// its objects: Add takes them over, DeleteAll deletes them, Remove hands one back to the caller.

#include "platform/types/Hook.h"
#include "store/SortedStringArray.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>

class CMyRes;
class CResEntry;

class CQuibObjIndex
{
public:
    using FileMap = std::map<std::int32_t, CMyRes*>; // id -> object

    CQuibObjIndex() = default;
    virtual ~CQuibObjIndex();
    CQuibObjIndex(const CQuibObjIndex&) = delete;
    CQuibObjIndex& operator=(const CQuibObjIndex&) = delete;

    // Files a new object under its current keys (file, id, language byte of its type) and takes it
    // over. The caller adds the name to the name list. Null is ignored. Returns 0.
    int Add(std::unique_ptr<CMyRes> object);
    // Moves an object the index holds to its current keys, after its id, file or type changed. False
    // (and nothing done) when the index does not hold it.
    bool Refile(CMyRes* object);
    // Takes the object out of the index, also when its keys changed since it was filed, together with
    // its name-list entry, and gives it back; null when it was not indexed.
    std::unique_ptr<CMyRes> Remove(CMyRes* object);
    bool Contains(const CMyRes* object) const;
    const FileMap* GetFileMap(int file, int language) const;
    CMyRes* Find(int file, int language, std::int32_t id) const;
    // Every object with its id, by language byte, then file, then id.
    void ForEach(const std::function<void(std::int32_t id, CMyRes* object)>& visit) const;
    // Deletes every object and empties the maps and the name list.
    void DeleteAll();
    std::size_t GetCount() const { return m_ids.size(); }

    CSortedStringArray& Names() { return m_names; }
    const CSortedStringArray& Names() const { return m_names; }

    // Rebuild theWordIndex and theBgIndex from the active files, whatever instance they are called on.
    static void LoadWords();
    static void LoadBackgrounds();

private:
    struct Slot {
        int language = 0;
        int file = 0;
        std::int32_t id = 0;
    };
    struct Held {
        std::unique_ptr<CMyRes> object;
        Slot slot;
    };

    static Slot KeysOf(CMyRes* object);
    // Enters the object in the maps under its current keys; gives the keys.
    Slot FileUnderKeys(CMyRes* object);
    void Unfile(const CMyRes* object, const Slot& slot);

    std::map<int, std::map<int, FileMap>> m_languages; // language byte -> file -> id -> object
    std::unordered_map<const CMyRes*, Held> m_ids;     // the reverse map
    CSortedStringArray m_names;
};

extern CQuibObjIndex theBgIndex;
extern CQuibObjIndex theWordIndex;

// Empties the word and page indexes.
void ResetObjectIndexes();

// Makes the object of one record for an index rebuild: bound to the record, loaded, and its name given
// through `name`; null when the record cannot be loaded (or is not wanted). By default the makers make
// the program's words and pages.
using IndexObjectMaker = lumivo::Hook<std::unique_ptr<CMyRes>(CResEntry* record, QString& name)>;
extern IndexObjectMaker theWordObjectMaker;
extern IndexObjectMaker thePageObjectMaker;
