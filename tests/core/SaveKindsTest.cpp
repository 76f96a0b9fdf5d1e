// What every kind of save (the first one, an appending one, a compacting one, a compaction followed by
// a save, a copy, a transfer) does with committed records: it writes every one that a later open can
// read back, and a record whose bytes it did not change keeps its time stamp, which picks the stream
// layout that the record's class reads.

#include "core/Clip.h"
#include "platform/files/FileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "platform/types/Time.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "tests/store/ResourceTestSupport.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"

#include <functional>

using namespace lumivo::test;
using lumivo::files::MemoryFileSystem;
using lumivo::files::ScopedFileSystem;

namespace
{

constexpr std::int32_t kWord = RESTYPE_WORD;
const QString kPath = QStringLiteral("/m/a.tvf");

// A save of the given kind; gives its result.
struct SaveKind {
    const char* name;
    std::function<int(int)> save;
};

const SaveKind kSaves[] = {
    {"appending save", [](int file) { return SaveResFile(file); }},
    {"compacting save", [](int file) { return SaveResFile(file, {}, true); }},
    {"compaction, then a save",
     [](int file) {
         const int compacted = CompactResFile(file);
         return compacted != RES_OK ? compacted : SaveResFile(file);
     }},
};

std::uint32_t stampOf(int file, std::int32_t type, std::int32_t id)
{
    CResEntry* record = nullptr;
    return FindResource(id, type, file, &record) == RES_OK ? record->GetTimeStamp() : 0;
}

// Gives a record an older stamp, as a file written long ago carries, and writes it into the file.
void backdate(int file, std::int32_t type, std::int32_t id, std::uint32_t stamp)
{
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(id, type, file, &record), RES_OK);
    record->m_stamp = stamp;
    SetResFileDirty(file);
    ASSERT_EQ(SaveResFile(file), RES_OK);
}

} // namespace

class SaveKindsTest : public LumivoTest
{
};

TEST_F(SaveKindsTest, ACommittedByteArrayEditSurvivesEveryKindOfSave)
{
    for (const SaveKind& kind : kSaves) {
        SCOPED_TRACE(kind.name);
        MemoryFileSystem memory;
        ScopedFileSystem scope(memory);
        StoreClosedAtScopeEnd closed;
        memory.makeDirectories("/m");
        int file = 0;
        ASSERT_EQ(FindOrAddResFile(&file, kPath), RES_OK);
        ASSERT_EQ(putRecord(file, RESTYPE_BYTES, 7, "old"), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK) << "first save";
        file = reopenFile(file);
        EXPECT_EQ(storedRecordString(file, RESTYPE_BYTES, 7), "old");

        ASSERT_EQ(putRecord(file, RESTYPE_BYTES, 7, "new"), RES_OK);
        ASSERT_EQ(putRecord(file, RESTYPE_BYTES, 8, ""), RES_OK);
        ASSERT_EQ(kind.save(file), RES_OK);
        EXPECT_FALSE(IsResFileDirty(file));
        file = reopenFile(file);
        EXPECT_EQ(storedRecordString(file, RESTYPE_BYTES, 7), "new");
        EXPECT_TRUE(ResourceExists(8, RESTYPE_BYTES, file)) << "an empty byte array is a record too";
    }
}

// A compaction copies the blobs as they are: a committed edit waits for the next save, and the file
// stays dirty until then, since a file that is not dirty is closed without a save.
TEST_F(SaveKindsTest, ACompactionLeavesACommittedEditPendingAndTheFileDirty)
{
    MemoryFileSystem memory;
    ScopedFileSystem scope(memory);
    StoreClosedAtScopeEnd closed;
    memory.makeDirectories("/m");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, kPath), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 1, "old"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 1, "new"), RES_OK);
    ASSERT_EQ(CompactResFile(file), RES_OK);
    EXPECT_TRUE(IsResFileDirty(file));
    ASSERT_EQ(SaveResFile(file), RES_OK);
    EXPECT_FALSE(IsResFileDirty(file));
    file = reopenFile(file);
    EXPECT_EQ(storedRecordString(file, kWord, 1), "new");
}

TEST_F(SaveKindsTest, UnchangedBytesKeepTheirStampInEveryKindOfSave)
{
    constexpr std::uint32_t kOldStamp = 1000000000; // 2001
    const std::vector<std::pair<const char*, std::function<int(int&)>>> saves = {
        {"appending save", [](int& file) { return SaveResFile(file); }},
        {"compacting save", [](int& file) { return SaveResFile(file, {}, true); }},
        {"compaction, then a save",
         [](int& file) {
             const int compacted = CompactResFile(file);
             return compacted != RES_OK ? compacted : SaveResFile(file);
         }},
        {"copy",
         [](int& file) {
             int copy = 0;
             const int copied = CopyResFile(file, QStringLiteral("/m/copy.tvf"), &copy);
             CloseResFile(file);
             file = copy;
             return copied;
         }},
        {"transfer",
         [](int& file) {
             int target = 0;
             FindOrAddResFile(&target, QStringLiteral("/m/target.tvf"));
             SaveResFile(target);
             CResEntry* record = nullptr;
             FindResource(1, kWord, file, &record);
             const int moved = TransferResEntry(record, target);
             CloseResFile(file);
             file = target;
             return moved != RES_OK ? moved : SaveResFile(target);
         }},
    };
    for (const auto& [name, save] : saves) {
        SCOPED_TRACE(name);
        MemoryFileSystem memory;
        ScopedFileSystem scope(memory);
        StoreClosedAtScopeEnd closed;
        memory.makeDirectories("/m");
        int file = 0;
        ASSERT_EQ(FindOrAddResFile(&file, kPath), RES_OK);
        ASSERT_EQ(putRecord(file, kWord, 1, "old layout"), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK);
        backdate(file, kWord, 1, kOldStamp);
        file = reopenFile(file);

        // Read, and committed without a change: the store cannot tell, the bytes can.
        CMyByteRes handle;
        ASSERT_EQ(AttachResource(&handle, 1, kWord, file), RES_OK);
        ASSERT_NE(handle.GetData(), nullptr);
        ASSERT_EQ(handle.Commit(), RES_OK);
        handle.Detach();
        ASSERT_EQ(save(file), RES_OK);
        file = reopenFile(file);
        EXPECT_EQ(storedRecordString(file, kWord, 1), "old layout");
        EXPECT_EQ(stampOf(file, kWord, 1), kOldStamp);
    }
}

// A clip whose data is shorter than its header says is written back as it was, and its old stamp
// keeps its header readable: the header of a clip from before the parameters has none.
TEST_F(SaveKindsTest, ADamagedOldClipKeepsItsHeaderThroughEveryKindOfSave)
{
    const std::vector<std::uint8_t> oldClip{19, 0, 0, 0, 0x02, 0x01, 6,   5,   4,   3,  100,
                                            0,  0, 0, 4, 'k',  'l',  'i', 'p', 'R', 'I'};
    const auto stampBeforeParameters = static_cast<std::uint32_t>(CQuibAvi::ParamsSince() - 3600);
    for (const SaveKind& kind : kSaves) {
        SCOPED_TRACE(kind.name);
        MemoryFileSystem memory;
        ScopedFileSystem scope(memory);
        StoreClosedAtScopeEnd closed;
        memory.makeDirectories("/m");
        int file = 0;
        ASSERT_EQ(FindOrAddResFile(&file, kPath), RES_OK);
        const std::int32_t type = CQuibAvi::MakeType(0, 0);
        {
            CMyByteRes bytes;
            ASSERT_EQ(bytes.SaveAs(3, file, type), RES_OK);
            setBoundRecordBytes(bytes, oldClip);
            ASSERT_EQ(bytes.Commit(), RES_OK);
        }
        ASSERT_EQ(SaveResFile(file), RES_OK);
        backdate(file, type, 3, stampBeforeParameters);
        file = reopenFile(file);

        {
            CQuibAvi clip;
            ASSERT_EQ(AttachResource(&clip, 3, type, file), RES_OK);
            clip.Load();
            ASSERT_EQ(clip.Name, "klip");
            clip.Commit();
            ASSERT_EQ(kind.save(file), RES_OK);
        }
        file = reopenFile(file);
        EXPECT_EQ(storedRecordString(file, type, 3), std::string(oldClip.begin(), oldClip.end()));
        EXPECT_EQ(stampOf(file, type, 3), stampBeforeParameters);
        CQuibAvi again;
        ASSERT_EQ(AttachResource(&again, 3, type, file), RES_OK);
        again.Load();
        EXPECT_EQ(again.Name, "klip");
        EXPECT_EQ(again.Options, 0x0102);
        EXPECT_EQ(again.DataSize, 100u);
    }
}
