// A resource file (.tvf) from bytes: it opens or is refused with a code; every record of a file that
// opens loads through its class; a plain save, a reopen and a compacting save each keep every record
// as it was (keys, name, bytes, time stamp); every object stored back through its class survives a save
// and a reopen byte for byte.

#include "core/Clip.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "core/Word.h"
#include "platform/archive/RuntimeClass.h"
#include "platform/files/FileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "store/Color.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "tests/fuzz/FuzzTarget.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace lumivo::fuzz::store
{

namespace
{

const QString kPath = QStringLiteral("/fuzz/input.tvf");

// What a record is, as a later open must find it again.
struct RecordState {
    QString name;
    Bytes bytes;
    std::uint32_t stamp = 0;
    bool operator==(const RecordState&) const = default;
};
// Records by (type, id, position among records with the same keys).
using FileState = std::map<std::tuple<std::int32_t, std::int32_t, int>, RecordState>;

std::string describe(const std::tuple<std::int32_t, std::int32_t, int>& key)
{
    return "type " + std::to_string(std::get<0>(key)) + " id " + std::to_string(std::get<1>(key)) + " #" +
           std::to_string(std::get<2>(key));
}

FileState stateOf(int file)
{
    FileState state;
    std::map<std::pair<std::int32_t, std::int32_t>, int> seen;
    for (CResEntry* record = theResHead->GetNext(); record; record = record->GetNext()) {
        // Id 0 and type 0 is dead space (with or without an extent), which no save has to keep.
        if (record->GetFile() != file || (record->GetId() == 0 && record->GetType() == 0))
            continue;
        RecordState recordState{record->GetName(), {}, record->GetTimeStamp()};
        if (const std::uint8_t* data = record->GetData())
            recordState.bytes.assign(data, data + record->GetDataSize());
        const int position = seen[{record->GetType(), record->GetId()}]++;
        state[{record->GetType(), record->GetId(), position}] = std::move(recordState);
    }
    return state;
}

void checkSame(const FileState& before, const FileState& after, const std::string& step, bool withStamps)
{
    fuzzCheck(before.size() == after.size(), step + ": " + std::to_string(before.size()) +
                                                 " records became " + std::to_string(after.size()));
    for (const auto& [key, record] : before) {
        const auto found = after.find(key);
        fuzzCheck(found != after.end(), step + ": lost the record " + describe(key));
        fuzzCheck(found->second.name == record.name, step + ": the name of " + describe(key) + " changed");
        fuzzCheck(found->second.bytes == record.bytes, step + ": the bytes of " + describe(key) + " changed");
        fuzzCheck(!withStamps || found->second.stamp == record.stamp,
                  step + ": the time stamp of " + describe(key) + " changed");
    }
}

// The class that reads records of a type, as the program picks it.
std::unique_ptr<CObject> objectFor(std::int32_t type)
{
    static const std::map<std::int32_t, const char*> kClassOfType = {
        {RESTYPE_USER, "CQuibUser"},           {RESTYPE_SYSTEM, "CQuibSystem"},
        {RESTYPE_WORD, "CQuibWord"},           {RESTYPE_AVI, "CQuibAvi"},
        {RESTYPE_PICT, "CQuibPict"},           {RESTYPE_SOUND, "CQuibSound"},
        {RESTYPE_USERLEVEL, "CQuibUserLevel"},
    };
    auto found = kClassOfType.find(type);
    if (found == kClassOfType.end())
        found = kClassOfType.find(type & static_cast<std::int32_t>(0xFFFF0000u));
    if (found == kClassOfType.end())
        return nullptr;
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName(found->second);
    return runtimeClass ? runtimeClass->CreateObject() : nullptr;
}

struct LoadedRecord {
    std::unique_ptr<CObject> object; // null for texts and byte arrays
    std::unique_ptr<CMyRes> plain;
    CMyRes* handle = nullptr;
};

// Binds an object of the record's class to every record of the file and loads it.
std::vector<LoadedRecord> loadEveryRecord(int file)
{
    std::vector<LoadedRecord> loaded;
    std::vector<CResEntry*> records;
    CollectResources(&records, file, -1);
    for (CResEntry* record : records) {
        if (record->GetId() == 0 && record->GetType() == 0)
            continue;
        LoadedRecord item;
        item.object = objectFor(record->GetType());
        item.handle = dynamic_cast<CMyRes*>(item.object.get());
        if (!item.handle) {
            item.object.reset();
            if (record->GetType() == RESTYPE_STRING)
                item.plain = std::make_unique<CMyCharRes>();
            else
                item.plain = std::make_unique<CMyByteRes>();
            item.handle = item.plain.get();
        }
        if (AttachResEntry(item.handle, record) != RES_OK)
            continue;
        item.handle->Load();
        loaded.push_back(std::move(item));
    }
    return loaded;
}

int reopen(int file)
{
    fuzzCheck(CloseResFile(file) == RES_OK, "a saved file does not close");
    int again = 0;
    const int opened = OpenResFile(&again, kPath);
    fuzzCheck(opened == RES_OK, "a saved file does not open again: " + std::to_string(opened));
    return again;
}

// Every record of the file as its class stores it (texts and byte arrays as they are).
FileState storedThroughClasses(int file)
{
    {
        std::vector<LoadedRecord> loaded = loadEveryRecord(file);
        for (LoadedRecord& item : loaded)
            item.handle->Commit();
    }
    return stateOf(file);
}

void fuzzStore(const std::uint8_t* data, std::size_t size)
{
    resetGlobals();
    lumivo::files::MemoryFileSystem memory;
    lumivo::files::ScopedFileSystem installed(memory);
    struct StoreClosed {
        ~StoreClosed() { resetGlobals(); }
    } closedAtEnd;
    memory.makeDirectories(QStringLiteral("/fuzz"));
    memory.setContents(kPath, Bytes(data, data + size));

    int file = 0;
    if (OpenResFile(&file, kPath) != RES_OK)
        return; // refused with a code: nothing more to check
    loadEveryRecord(file);
    const FileState opened = stateOf(file);

    // Saves that change nothing keep every record as it was.
    const int saved = SaveResFile(file);
    file = reopen(file);
    if (saved == RES_OK)
        checkSame(opened, stateOf(file), "plain save", true);
    const int compacted = CompactResFile(file);
    file = reopen(file);
    if (compacted == RES_OK)
        checkSame(opened, stateOf(file), "compacting save", true);

    // Every object stored back through its class is read back as stored.
    const FileState committed = storedThroughClasses(file);
    if (SaveResFile(file) != RES_OK)
        return;
    file = reopen(file);
    checkSame(committed, stateOf(file), "save of objects stored back", false);
    checkSame(committed, storedThroughClasses(file), "objects stored back twice", false);
    if (CompactResFile(file) != RES_OK)
        return;
    file = reopen(file);
    checkSame(committed, stateOf(file), "compacting save of objects stored back", false);
}

// ---- seeds ---------------------------------------------------------------------------------------

template <class T> void storeObject(T& object, std::int32_t id, int file, std::int32_t type)
{
    object.SaveAs(id, file, type);
}

std::vector<Bytes> storeSeeds()
{
    resetGlobals();
    lumivo::files::MemoryFileSystem memory;
    lumivo::files::ScopedFileSystem installed(memory);
    memory.makeDirectories(QStringLiteral("/fuzz"));
    std::vector<Bytes> seeds;
    const auto saveAndTake = [&](int file) {
        SaveResFile(file);
        seeds.push_back(*memory.contents(GetResFilePath(file)));
    };

    int file = 0;
    FindOrAddResFile(&file, QStringLiteral("/fuzz/empty.tvf"));
    saveAndTake(file);

    FindOrAddResFile(&file, QStringLiteral("/fuzz/mixed.tvf"));
    SetResFileVersion(file, MakeResFileVersion(2, 0, 61));
    CQuibUser user;
    user.Name = QStringLiteral("Ada");
    user.Sentences = {3, 1};
    for (std::uint8_t number : {1, 2}) {
        auto color = std::make_unique<CColor>();
        color->Set(0x102030u * number, number, QStringLiteral("c%1").arg(number));
        user.ColorTable[number] = std::move(color);
    }
    storeObject(user, 1, file, RESTYPE_USER);
    CQuibWord word;
    word.WordName = QStringLiteral("hus");
    storeObject(word, 2, file, MakeWordType(1));
    CQuibUserLevel level;
    storeObject(level, 3, file, MakeUserLevelType(0, 0));
    CMyCharRes text;
    text.m_text = QStringLiteral("tekst");
    text.SaveString(4, file);
    CMyByteRes bytes;
    bytes.SaveAs(5, file, RESTYPE_BYTES);
    bytes.SetSize(3);
    std::memcpy(bytes.GetData(), "abc", 3);
    bytes.Commit();
    bytes.SetName(QStringLiteral("bytes"));
    memory.setContents(QStringLiteral("/fuzz/clip.avi"), Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0});
    CQuibAvi clip;
    clip.SaveAs(6, file, CQuibAvi::MakeType(0, 0));
    clip.Name = QStringLiteral("klip");
    clip.ImportFile(QStringLiteral("/fuzz/clip.avi"));
    saveAndTake(file);
    // The same file after an appending save over changed records: dead space and a map at the end.
    word.WordName = QStringLiteral("huset");
    word.Commit();
    saveAndTake(file);
    resetGlobals();
    return seeds;
}

const FuzzTargetRegistration registration({"store", &fuzzStore, &storeSeeds});

} // namespace

} // namespace lumivo::fuzz::store
