// The resource store: files, records, order, ids, dead space, compaction, copies, error codes, and
// crash safety of every write.

#include "platform/files/FaultyFileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "platform/types/Clock.h"
#include "platform/types/WinTypes.h"
#include "tests/store/ResourceTestSupport.h"
#include "tests/support/LumivoTest.h"

#include <QDir>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <tuple>
#include <vector>

using namespace lumivo::test;
using lumivo::files::FaultyFileSystem;
using lumivo::files::MemoryFileSystem;
using lumivo::files::ScopedFileSystem;
using lumivo::store::kHeaderSize;

namespace
{

constexpr std::int32_t kWord = 0x67770001;
constexpr std::int32_t kPage = 0x67620101;

class ResourceManagerTest : public LumivoTest
{
protected:
    int newFile(const QString& name)
    {
        int file = 0;
        EXPECT_EQ(FindOrAddResFile(&file, tempPath(name)), 0);
        return file;
    }

    static int reopen(int file) { return reopenFile(file); }

    void runRandomEdits(std::uint32_t seed);

    static std::vector<std::int32_t> idsOf(int file, std::int32_t type)
    {
        std::vector<CResEntry*> records;
        CollectResources(&records, file, type);
        std::vector<std::int32_t> ids;
        for (CResEntry* record : records)
            ids.push_back(record->GetId());
        return ids;
    }
};

TEST_F(ResourceManagerTest, FilesAreFoundByCanonicalPathAndNumbersAreNeverReused)
{
    const int first = newFile("a.tvf");
    EXPECT_EQ(first, 1);
    ASSERT_EQ(SaveResFile(first), RES_OK);
    int again = 0;
    EXPECT_EQ(OpenResFile(&again, tempDir() + "/./sub/../a.tvf"), 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(FindOrAddResFile(&again, tempPath("a.tvf")), 1);
    // Another letter case is another file here.
    EXPECT_EQ(FindResFileByPath(tempPath("A.tvf")), 0);
    int other = 0;
    EXPECT_EQ(FindOrAddResFile(&other, tempPath("b.tvf")), 0);
    EXPECT_EQ(other, 2);
    writeBytes(tempPath("bad.tvf"), std::vector<std::uint8_t>(10, 0));
    EXPECT_EQ(FindOrAddResFile(&other, tempPath("bad.tvf")), 2); // exists, not open
    EXPECT_EQ(OpenResFile(&other, tempPath("bad.tvf")), RES_ERR_SHORT_HEADER);
    EXPECT_EQ(FindOrAddResFile(&other, tempPath("c.tvf")), 0);
    EXPECT_EQ(other, 4); // the failed open used number 3
}

TEST_F(ResourceManagerTest, OpenAndSaveReportTheirErrors)
{
    int file = 0;
    EXPECT_EQ(OpenResFile(&file, QString()), RES_ERR_EMPTY_PATH);
    EXPECT_EQ(OpenResFile(&file, tempPath("none.tvf")), RES_ERR_NO_SUCH_FILE);
    EXPECT_EQ(OpenResFile(&file, tempDir()), RES_ERR_NOT_READABLE);
    EXPECT_EQ(OpenResFile(nullptr, tempPath("x")), RES_ERR_NULL_OUTPUT);
    EXPECT_EQ(SaveResFile(99), RES_ERR_UNKNOWN_FILE);
    EXPECT_EQ(CloseResFile(99), RES_ERR_UNKNOWN_FILE);

    int unnamed = 0;
    ASSERT_EQ(FindOrAddResFile(&unnamed, QString()), 0);
    EXPECT_EQ(SaveResFile(unnamed), RES_ERR_NO_PATH);
    EXPECT_EQ(GetResFileLength(unnamed), RES_ERR_FILE_BUSY);
    EXPECT_EQ(GetResFileUsedSize(unnamed), RES_ERR_FILE_BUSY);
    EXPECT_EQ(SaveResFile(unnamed, tempPath("missing/folder/x.tvf")), RES_ERR_CREATE_FAILED);
    EXPECT_TRUE(IsResFileOpen(unnamed));
    ASSERT_EQ(SaveResFile(unnamed, tempPath("named.tvf")), RES_OK);
    EXPECT_FALSE(IsResFileOpen(unnamed));
    EXPECT_EQ(GetResFileLength(unnamed), std::int64_t(kHeaderSize));

    std::uint32_t value = 0;
    EXPECT_EQ(GetResFileUserValue(unnamed, nullptr), RES_ERR_NULL_OUTPUT);
    EXPECT_EQ(GetResFileUserValue(99, &value), RES_ERR_UNKNOWN_FILE);
    EXPECT_EQ(GetResFileTime(unnamed, nullptr), RES_ERR_NULL_OUTPUT);
    int error = 0;
    GetResFileVersion(99, &error);
    EXPECT_EQ(error, RES_ERR_UNKNOWN_FILE);
}

TEST_F(ResourceManagerTest, ReadOnlyFilesCannotBeOpenedForWritingOrSaved)
{
    MemoryFileSystem memory;
    ScopedFileSystem scope(memory);
    StoreClosedAtScopeEnd closed;
    memory.makeDirectories("/m");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, "/m/a.tvf"), 0);
    ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 1, "two"), RES_OK);
    memory.setReadOnly("/m/a.tvf", true);
    EXPECT_EQ(SaveResFile(file), RES_ERR_NOT_WRITABLE);
    EXPECT_EQ(CompactResFile(file), RES_ERR_NOT_WRITABLE);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(1, kWord, file, &record), RES_OK);
    EXPECT_TRUE(record->GetFlags() & RESFLAG_CHANGED);
    EXPECT_TRUE(IsResFileDirty(file));
    ASSERT_EQ(CloseResFile(file), RES_OK);
    EXPECT_EQ(OpenResFile(&file, "/m/a.tvf"), RES_ERR_OPEN_FAILED);

    // Opened for reading, it reads as stored; what changes stays in memory and the disk is left alone.
    const std::vector<std::uint8_t> stored = *memory.contents("/m/a.tvf");
    ASSERT_EQ(OpenResFileForReading(&file, "/m/a.tvf"), RES_OK);
    EXPECT_TRUE(IsResFileReadOnly(file));
    EXPECT_EQ(storedRecordString(file, kWord, 1), "one");
    {
        CMyByteRes handle;
        ASSERT_EQ(AttachResource(&handle, 1, kWord, file), RES_OK);
        handle.SetSize(5);
        std::memcpy(handle.GetData(), "three", 5);
        EXPECT_EQ(handle.Write(), RES_ERR_NOT_WRITABLE);
        EXPECT_TRUE(handle.IsChanged());
    }
    EXPECT_EQ(storedRecordString(file, kWord, 1), "three");
    EXPECT_EQ(SaveResFile(file), RES_ERR_NOT_WRITABLE);
    EXPECT_EQ(CompactResFile(file), RES_ERR_NOT_WRITABLE);
    int target = 0;
    ASSERT_EQ(OpenResFileForReading(&target, "/m/a.tvf"), RES_FILE_ALREADY_OPEN);
    EXPECT_EQ(target, file);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    EXPECT_EQ(*memory.contents("/m/a.tvf"), stored);
    ASSERT_EQ(OpenResFile(&file, "/m/a.tvf"), RES_ERR_OPEN_FAILED) << "a writable open stays refused";
}

TEST_F(ResourceManagerTest, RecordsKeepFileTypeIdOrderAndFileZeroTakesDuplicatesInOrder)
{
    const int file = newFile("order.tvf");
    ASSERT_EQ(putRecord(file, kWord, 5, "5"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, -3, "-3"), RES_OK);
    ASSERT_EQ(putRecord(file, kPage, 9, "9"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "2"), RES_OK);
    CMyByteRes a, b;
    a.Create();
    b.Create();
    ASSERT_EQ(MoveResource(&a, 8, kWord, 0), RES_OK);
    ASSERT_EQ(MoveResource(&b, 8, kWord, 0), RES_OK); // duplicates live in memory only

    std::vector<std::tuple<int, std::int32_t, std::int32_t>> seen;
    for (CResEntry* record = theResHead->GetNext(); record; record = record->GetNext())
        seen.emplace_back(record->GetFile(), record->GetType(), record->GetId());
    const std::vector<std::tuple<int, std::int32_t, std::int32_t>> expected{
        {0, kWord, 8},     {0, kWord, 8},    {file, kPage, 9},
        {file, kWord, -3}, {file, kWord, 2}, {file, kWord, 5}};
    EXPECT_EQ(seen, expected);
    CResEntry* first = nullptr;
    ASSERT_EQ(FindResource(8, kWord, 0, &first), RES_OK);
    EXPECT_EQ(first, a.GetEntry());
    CResEntry* second = nullptr;
    ASSERT_EQ(FindResEntry(&second, first, 8, kWord, -1), RES_OK);
    EXPECT_EQ(second, b.GetEntry());
    EXPECT_EQ(second->GetPrev(), first);
    EXPECT_EQ(first->GetPrev(), theResHead.get());

    // A clash in a real file is refused and leaves the record where it was.
    CResEntry* five = nullptr;
    ASSERT_EQ(FindResource(5, kWord, file, &five), RES_OK);
    EXPECT_EQ(InsertResEntry(2, kWord, file, five), RES_ERR_EXISTS);
    EXPECT_EQ(five->GetId(), 5);
    EXPECT_EQ(InsertResEntry(2, kWord, 77, five), RES_ERR_UNKNOWN_FILE);
    EXPECT_EQ(MoveResEntry(five, 2, kWord, file), RES_ERR_TARGET_USED);
    ASSERT_EQ(MoveResEntry(five, 7, kWord, file), RES_OK);
    EXPECT_EQ(idsOf(file, kWord), (std::vector<std::int32_t>{-3, 2, 7}));
    EXPECT_EQ(MoveResEntry(a.GetEntry(), 1, kWord, file), RES_ERR_SHORT_HEADER); // handles bound
    EXPECT_EQ(MoveResEntry(nullptr, 1, kWord, file), RES_ERR_NO_RECORD);
}

TEST_F(ResourceManagerTest, SearchesTakeAnyForMinusOne)
{
    const int one = newFile("one.tvf");
    const int two = newFile("two.tvf");
    for (std::int32_t id : {3, 1, 2})
        ASSERT_EQ(putRecord(one, kWord, id, "w"), RES_OK);
    ASSERT_EQ(putRecord(one, kPage, 2, "p"), RES_OK);
    ASSERT_EQ(putRecord(two, kWord, 2, "w"), RES_OK);

    int count = 0;
    ASSERT_EQ(CountResources(&count, kWord, -1), RES_OK);
    EXPECT_EQ(count, 4);
    ASSERT_EQ(CountResources(&count, -1, one), RES_OK);
    EXPECT_EQ(count, 4);
    ASSERT_EQ(CountResTypes(&count, one), RES_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(CountResources(&count, -1, 55), RES_ERR_UNKNOWN_FILE);
    EXPECT_EQ(CountResources(nullptr, -1, one), RES_ERR_NULL_OUTPUT);

    std::vector<CResEntry*> withTwo;
    CResEntry* record = nullptr;
    for (FindResEntry(&record, nullptr, 2, -1, -1); record; FindResEntry(&record, record, 2, -1, -1))
        withTwo.push_back(record);
    ASSERT_EQ(withTwo.size(), 3u);
    EXPECT_EQ(withTwo[0]->GetType(), kPage);
    EXPECT_EQ(withTwo[2]->GetFile(), two);
    EXPECT_TRUE(ResourceExists(3, kWord, -1));
    EXPECT_FALSE(ResourceExists(3, kWord, two));
    int error = 0;
    EXPECT_FALSE(ResourceExists(3, kWord, 55, &error));
    EXPECT_EQ(error, RES_ERR_UNKNOWN_FILE);

    std::vector<CResEntry*> bySets;
    ASSERT_EQ(CollectResourcesBySets(&bySets, {2, 3}, {kWord}, {two, one}), RES_OK);
    ASSERT_EQ(bySets.size(), 3u);
    EXPECT_EQ(bySets[0]->GetFile(), one);
    EXPECT_EQ(bySets[1]->GetId(), 3);
    EXPECT_EQ(CollectResources(nullptr, one, kWord), RES_ERR_NULL_OUTPUT);

    std::int32_t id = -1;
    ASSERT_EQ(GetNextResId(&id, kWord, one), RES_OK);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(GetNextResId(&id, kWord, one), RES_OK);
    EXPECT_EQ(id, 2);
    id = 3;
    ASSERT_EQ(GetNextResId(&id, kWord, one), RES_OK);
    EXPECT_EQ(id, 0);
    id = 9;
    ASSERT_EQ(GetNextResId(&id, kWord, one), RES_OK);
    EXPECT_EQ(id, 0);
    // Any file, any type: the next id above among every record that matches.
    std::vector<std::int32_t> anyFile;
    for (id = -1, GetNextResId(&id, kWord, -1); id != 0; GetNextResId(&id, kWord, -1))
        anyFile.push_back(id);
    EXPECT_EQ(anyFile, (std::vector<std::int32_t>{1, 2, 3}));
    id = 2;
    ASSERT_EQ(GetNextResId(&id, -1, one), RES_OK);
    EXPECT_EQ(id, 3);
    id = -1;
    ASSERT_EQ(GetNextResId(&id, -1, two), RES_OK);
    EXPECT_EQ(id, 2);
    ASSERT_EQ(GetNextResId(&id, -1, two), RES_OK);
    EXPECT_EQ(id, 0);
    id = 1;
    ASSERT_EQ(GetNextResId(&id, -1, two), RES_OK);
    EXPECT_EQ(id, 0); // no record of file two carries id 1
}

TEST_F(ResourceManagerTest, FreeIdsSkipTheUsedRun)
{
    const int file = newFile("ids.tvf");
    for (std::int32_t id : {5, 6, 7, 9})
        ASSERT_EQ(putRecord(file, kWord, id, "x"), RES_OK);
    std::int32_t id = 5;
    ASSERT_EQ(FindFreeResId(&id, file, kWord), RES_OK);
    EXPECT_EQ(id, 8);
    id = -4;
    ASSERT_EQ(FindFreeResId(&id, file, kWord), RES_OK);
    EXPECT_EQ(id, 1);
    id = 1;
    ASSERT_EQ(FindFreeResId(&id, file, kPage), RES_OK);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(FindFreeResId(&id, 42, kWord), RES_ERR_UNKNOWN_FILE);

    id = 6;
    ASSERT_EQ(FindUnusedId(&id), RES_OK);
    EXPECT_EQ(id, 8);
    ASSERT_EQ(putRecord(newFile("other.tvf"), kPage, 8, "x"), RES_OK);
    id = 6;
    ASSERT_EQ(FindUnusedId(&id), RES_OK);
    EXPECT_EQ(id, 10); // an id used by any type in any file is taken
    theResMgr.CloseAll();
    id = 0;
    ASSERT_EQ(FindUnusedId(&id), RES_OK);
    EXPECT_EQ(id, 1);
}

class ResourceIdCountsTest : public lumivo::test::LumivoTest
{
};

// The store's pool: blocks of every size and alignment stay apart, free blocks are handed out again,
// and after a release the pool serves as new.
TEST(RecordPoolTest, BlocksStayApartAndAreReusedBeforeAndAfterARelease)
{
    lumivo::store::RecordPool pool;
    struct Block {
        void* at;
        std::size_t size;
        std::size_t alignment;
    };
    const auto fill = [&](std::vector<Block>& blocks, int round) {
        for (std::size_t size = 1; size <= 1200; size += 37) {
            for (std::size_t alignment : {1, 8, 16, 64}) {
                void* at = pool.allocate(size, alignment);
                ASSERT_EQ(reinterpret_cast<std::uintptr_t>(at) % alignment, 0u);
                std::memset(at, static_cast<int>(size + round), size);
                blocks.push_back({at, size, alignment});
            }
        }
    };
    const auto intact = [](const std::vector<Block>& blocks, int round) {
        return std::all_of(blocks.begin(), blocks.end(), [&](const Block& block) {
            const auto* bytes = static_cast<const std::uint8_t*>(block.at);
            return std::all_of(bytes, bytes + block.size, [&](std::uint8_t byte) {
                return byte == static_cast<std::uint8_t>(block.size + round);
            });
        });
    };
    std::vector<Block> blocks;
    fill(blocks, 0);
    for (std::size_t i = 0; i < blocks.size(); i += 2)
        pool.deallocate(blocks[i].at, blocks[i].size, blocks[i].alignment);
    std::vector<Block> kept;
    for (std::size_t i = 1; i < blocks.size(); i += 2)
        kept.push_back(blocks[i]);
    std::vector<Block> again;
    fill(again, 1);
    EXPECT_TRUE(intact(kept, 0));
    EXPECT_TRUE(intact(again, 1));
    pool.release();
    std::vector<Block> afterRelease;
    fill(afterRelease, 2);
    EXPECT_TRUE(intact(afterRelease, 2));
}

// After a release, a large block may be lent a kept chunk: the small blocks carved meanwhile stay out
// of it, and it can be lent again once given back.
TEST(RecordPoolTest, AChunkLentToALargeBlockIsNotCarvedWhileLent)
{
    lumivo::store::RecordPool pool;
    constexpr std::size_t kSmall = 200;
    constexpr std::size_t kCount = 20000; // several chunks, the larger ones over 256 KB
    const auto carveSmall = [&](std::uint8_t value) {
        std::vector<void*> blocks;
        for (std::size_t i = 0; i < kCount; ++i) {
            blocks.push_back(pool.allocate(kSmall, 8));
            std::memset(blocks.back(), value, kSmall);
        }
        return blocks;
    };
    const auto holds = [](const void* block, std::size_t size, std::uint8_t value) {
        const auto* bytes = static_cast<const std::uint8_t*>(block);
        return std::all_of(bytes, bytes + size, [&](std::uint8_t byte) { return byte == value; });
    };
    carveSmall(1);
    pool.release();
    constexpr std::size_t kLarge = 300 * 1024;
    void* large = pool.allocate(kLarge, 8);
    std::memset(large, 7, kLarge);
    const std::vector<void*> small = carveSmall(2);
    EXPECT_TRUE(holds(large, kLarge, 7));
    EXPECT_TRUE(
        std::all_of(small.begin(), small.end(), [&](void* block) { return holds(block, kSmall, 2); }));
    pool.deallocate(large, kLarge, 8);
    void* again = pool.allocate(kLarge, 8);
    std::memset(again, 9, kLarge);
    EXPECT_TRUE(
        std::all_of(small.begin(), small.end(), [&](void* block) { return holds(block, kSmall, 2); }));
    pool.deallocate(again, kLarge, 8);
}

// The table behind FindUnusedId: ids crowded into few slots, counted up and down in random order,
// must each stay findable exactly while some record still carries them.
TEST_F(ResourceIdCountsTest, AgreesWithAModelThroughCrowdedAddsAndRemoves)
{
    lumivo::store::IdUseCounts counts;
    std::map<std::int32_t, int> model;
    std::mt19937 random(7);
    const auto add = [&](std::int32_t id) {
        counts.add(id);
        ++model[id];
    };
    // Scattered ids that keep the table nearly half full, so that long clusters form and run over its
    // end, plus a run and the extremes.
    std::vector<std::int32_t> pool{INT_MIN, INT_MAX, -1};
    for (std::int32_t id = 1; id <= 100; ++id)
        pool.push_back(id);
    while (pool.size() < 4000)
        if (const auto id = static_cast<std::int32_t>(random()); id != 0)
            pool.push_back(id);
    for (std::int32_t id : pool)
        add(id);
    for (int step = 0; step < 200000; ++step) {
        const std::int32_t id = pool[random() % pool.size()];
        if (random() % 2) {
            add(id);
        } else {
            counts.remove(id);
            if (auto it = model.find(id); it != model.end() && --it->second == 0)
                model.erase(it);
        }
        if (step % 4999 == 0 || step == 199999) {
            for (std::int32_t probe : pool)
                ASSERT_EQ(counts.contains(probe), model.count(probe) != 0)
                    << "id " << probe << " step " << step;
            ASSERT_EQ(counts.size(), model.size());
        }
    }
    EXPECT_FALSE(counts.contains(0));
    counts.clear();
    EXPECT_FALSE(counts.contains(1));
    EXPECT_EQ(counts.size(), 0u);
}

// Removing from a cluster that runs over the table's end: an entry behind the wrap that sits at its
// own home stays, one whose home lies before the wrap moves back across it.
TEST_F(ResourceIdCountsTest, RemovalMendsAClusterThatWrapsAroundTheEnd)
{
    lumivo::store::IdUseCounts counts;
    counts.reserve(2);
    const std::size_t last = counts.capacity() - 1;
    std::vector<std::int32_t> atEnd, atStart;
    for (std::int32_t id = 1; atEnd.size() < 2 || atStart.empty(); ++id) {
        if (counts.homeOf(id) == last)
            atEnd.push_back(id);
        else if (counts.homeOf(id) == 0)
            atStart.push_back(id);
    }
    // Slot `last` takes atEnd[0], slot 0 atStart[0] (its home), slot 1 atEnd[1] (home `last`).
    for (std::int32_t id : {atEnd[0], atStart[0], atEnd[1]})
        counts.add(id);
    ASSERT_EQ(counts.capacity(), last + 1);
    counts.remove(atEnd[0]);
    EXPECT_FALSE(counts.contains(atEnd[0]));
    EXPECT_TRUE(counts.contains(atStart[0]));
    EXPECT_TRUE(counts.contains(atEnd[1]));
    counts.remove(atEnd[1]);
    EXPECT_TRUE(counts.contains(atStart[0]));
    EXPECT_EQ(counts.size(), 1u);
}

TEST_F(ResourceManagerTest, RecordsSurviveCloseAndReopenWithNamesAndStamps)
{
    int file = newFile("round.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "first", "Eins"), RES_OK);
    ASSERT_EQ(putRecord(file, kPage, 2, std::string("bin\0ary", 7)), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(1, kWord, file, &record), RES_OK);
    const std::uint32_t stamp = record->GetTimeStamp();
    EXPECT_NE(stamp, 0u);
    file = reopen(file);
    ASSERT_EQ(FindResource(1, kWord, file, &record), RES_OK);
    EXPECT_FALSE(record->HasData()); // read when first asked for
    EXPECT_EQ(record->GetTimeStamp(), stamp);
    EXPECT_EQ(GetResEntryName(record), "Eins");
    EXPECT_EQ(storedRecordString(file, kWord, 1), "first");
    EXPECT_EQ(storedRecordString(file, kPage, 2), std::string("bin\0ary", 7));
    EXPECT_TRUE(record->GetFlags() & RESFLAG_READ);
}

// A record committed without its bytes in memory (renamed through a handle that never read it) keeps
// its blob, bytes and stamp through a save, a write of its own and a compacting save.
TEST_F(ResourceManagerTest, ChangedRecordsWhoseBytesWereNeverReadKeepTheirBlob)
{
    int file = newFile("keep.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "payload"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto stampOf = [&] {
        CResEntry* record = nullptr;
        FindResource(1, kWord, file, &record);
        return record ? record->GetTimeStamp() : 0;
    };
    const auto renameAndSave = [&](const QString& name, bool write, bool compact) {
        CMyByteRes handle;
        EXPECT_EQ(AttachResource(&handle, 1, kWord, file), RES_OK);
        EXPECT_EQ(handle.SetName(name), RES_OK);
        EXPECT_EQ(handle.Commit(), RES_OK);
        if (write) {
            EXPECT_EQ(handle.Write(), RES_OK);
            EXPECT_FALSE(handle.IsChanged());
        }
        EXPECT_EQ(SaveResFile(file, {}, compact), RES_OK);
        EXPECT_FALSE(handle.IsChanged());
    };
    file = reopen(file);
    const std::uint32_t stamp = stampOf();
    for (const auto& [name, write, compact] :
         {std::tuple{"plain", false, false}, {"written", true, false}, {"compacted", false, true}}) {
        renameAndSave(name, write, compact);
        file = reopen(file);
        EXPECT_EQ(storedRecordString(file, kWord, 1), "payload") << name;
        CResEntry* record = nullptr;
        ASSERT_EQ(FindResource(1, kWord, file, &record), RES_OK);
        EXPECT_EQ(GetResEntryName(record), name);
        EXPECT_EQ(stampOf(), stamp) << name;
        ASSERT_EQ(SaveResFile(file), RES_OK); // the next round may compact
    }
}

TEST_F(ResourceManagerTest, RemovedRecordsBecomeDeadSpaceUntilCompaction)
{
    int file = newFile("dead.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "aaaa"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "bbbbbb"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(RemoveResource(nullptr, 1, kWord, file), RES_OK);
    EXPECT_EQ(RemoveResource(nullptr, 1, kWord, file), RES_ERR_NO_RECORD);
    EXPECT_EQ(GetResFileUsedSize(file), 4 + 6 + 0); // the map of the first save was empty of dead space
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const std::int64_t usedBefore = GetResFileUsedSize(file);
    file = reopen(file);
    EXPECT_FALSE(ResourceExists(1, kWord, file));
    EXPECT_EQ(GetResFileUsedSize(file), usedBefore);

    ASSERT_EQ(CompactResFile(file), RES_OK);
    EXPECT_FALSE(QFileInfo::exists(tempPath("RMGRTMP.tvf")));
    EXPECT_EQ(GetResFileUsedSize(file), 6); // dead space went with the old file
    EXPECT_EQ(storedRecordString(file, kWord, 2), "bbbbbb");
    EXPECT_EQ(GetResFileLength(file), std::int64_t(kHeaderSize + 6 + 24));
    file = reopen(file);
    EXPECT_EQ(storedRecordString(file, kWord, 2), "bbbbbb");
    EXPECT_EQ(GetResFileUsedSize(file), 6);
}

TEST_F(ResourceManagerTest, CompactingSaveOfACleanFileKeepsItsMap)
{
    int file = newFile("clean.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK); // clears the flag that a fresh file carries
    ASSERT_FALSE(IsResFileDirty(file));
    ASSERT_EQ(SaveResFile(file, {}, true), RES_OK);
    file = reopen(file);
    EXPECT_EQ(storedRecordString(file, kWord, 1), "one");
}

TEST_F(ResourceManagerTest, CompactingSaveWritesChangesIntoTheFreshFile)
{
    int file = newFile("both.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "two"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "TWO!"), RES_OK);
    ASSERT_EQ(SaveResFile(file, {}, true), RES_OK);
    EXPECT_EQ(GetResFileLength(file), std::int64_t(kHeaderSize + 3 + 4 + 48));
    file = reopen(file);
    EXPECT_EQ(storedRecordString(file, kWord, 1), "one");
    EXPECT_EQ(storedRecordString(file, kWord, 2), "TWO!");
}

TEST_F(ResourceManagerTest, DataIsReadLazilyFreedOnRequestAndPurgedOldestFirst)
{
    int file = newFile("lazy.tvf");
    for (std::int32_t id = 1; id <= 3; ++id)
        ASSERT_EQ(putRecord(file, kWord, id, std::string(100, 'a' + id)), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    EXPECT_EQ(theResMgr.GetBytesInMemory(), 0u);
    std::vector<CResEntry*> records;
    CollectResources(&records, file, kWord);
    ASSERT_EQ(records.size(), 3u);
    for (CResEntry* record : {records[1], records[0], records[2]})
        ASSERT_NE(record->GetData(), nullptr);
    EXPECT_EQ(theResMgr.GetBytesInMemory(), 300u);
    records[0]->m_touchTick = records[1]->m_touchTick = 5; // a tie: the later record goes first
    records[2]->m_touchTick = 9;
    EXPECT_EQ(PurgeData(100), 100u);
    EXPECT_TRUE(records[0]->HasData());
    EXPECT_FALSE(records[1]->HasData());
    {
        // Just after the tick wrapped: a touch from before the wrap is the older one.
        const lumivo::clock::TestClock testClock(100);
        records[0]->m_touchTick = 50;
        records[2]->m_touchTick = 0xFFFFFF00u;
        EXPECT_EQ(PurgeData(1), 100u);
        EXPECT_TRUE(records[0]->HasData());
        EXPECT_FALSE(records[2]->HasData());
        ASSERT_NE(records[2]->GetData(), nullptr);
    }
    CMyByteRes bound;
    AttachResEntry(&bound, records[0]);
    EXPECT_EQ(PurgeData(1000), 100u); // bound records stay
    EXPECT_TRUE(records[0]->HasData());
    EXPECT_EQ(theResMgr.GetBytesInMemory(), 100u);
    EXPECT_EQ(storedRecordString(file, kWord, 2), std::string(100, 'c'));
    EXPECT_EQ(PurgeData(1000), 100u);

    // Bytes that could not be read back stay: a record in memory only, and uncommitted changes.
    {
        CMyByteRes memoryOnly;
        memoryOnly.Create();
        memoryOnly.SetSize(10);
        memoryOnly.GetEntry()->m_flags = 0;
        CMyByteRes edited;
        AttachResEntry(&edited, records[1]);
        edited.SetSize(5);
        std::memcpy(edited.GetData(), "edit!", 5);
    }
    EXPECT_EQ(PurgeData(1000), 0u);
    EXPECT_EQ(storedRecordString(file, kWord, 2), "edit!");

    EXPECT_EQ(FreeResourceData(nullptr), RES_ERR_NO_HANDLE);
    CMyByteRes unbound;
    EXPECT_EQ(FreeResourceData(&unbound), RES_ERR_NO_RECORD);
    ASSERT_EQ(bound.Commit(), RES_OK);
    EXPECT_EQ(bound.FreeData(), RES_ERR_FREE_CHANGED);
    EXPECT_NE(bound.GetData(), nullptr);
    CMyByteRes modified;
    AttachResEntry(&modified, records[2]);
    modified.SetSize(3);
    EXPECT_EQ(modified.FreeData(), RES_ERR_FREE_MODIFIED);
    CMyByteRes fresh;
    fresh.Create();
    fresh.SetSize(1);
    records[2]->m_flags &= ~RESFLAG_MODIFIED;
    EXPECT_EQ(modified.FreeData(), RES_OK);
    EXPECT_EQ(fresh.FreeData(), RES_ERR_FREE_MODIFIED);
    fresh.GetEntry()->m_flags = RESFLAG_NEW;
    EXPECT_EQ(fresh.FreeData(), RES_ERR_FREE_NEW);
}

TEST_F(ResourceManagerTest, SharedRecordsSplitWhenOneHandleMovesOrRemoves)
{
    int file = newFile("shared.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "shared"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    CMyByteRes mover, stayer;
    ASSERT_EQ(AttachResource(&mover, 1, kWord, file), RES_OK);
    ASSERT_EQ(AttachResource(&stayer, 1, kWord, file), RES_OK);
    EXPECT_EQ(mover, stayer);
    EXPECT_EQ(stayer.GetEntry()->GetFirstHandle(), &stayer); // the newest handle comes first

    ASSERT_EQ(mover.SaveAs(2, file, kWord), RES_OK);
    EXPECT_NE(mover, stayer);
    EXPECT_EQ(stayer.GetFile(), 0); // a memory-only copy under the old keys
    EXPECT_EQ(stayer.GetID(), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stayer.GetData()), 6), "shared");
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    EXPECT_FALSE(ResourceExists(1, kWord, file));
    EXPECT_EQ(storedRecordString(file, kWord, 2), "shared");

    CMyByteRes a, b;
    ASSERT_EQ(AttachResource(&a, 2, kWord, file), RES_OK);
    ASSERT_EQ(AttachResource(&b, 2, kWord, file), RES_OK);
    const std::int64_t used = GetResFileUsedSize(file);
    ASSERT_EQ(RemoveResEntry(a.GetEntry()), RES_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.GetFile(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.GetData()), 6), "shared");
    EXPECT_EQ(GetResFileUsedSize(file), used); // the blob is dead space now
    EXPECT_FALSE(ResourceExists(2, kWord, file));

    // A handle removing a record it shares leaves the record in memory for the other one.
    ASSERT_EQ(putRecord(file, kWord, 3, "third"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    CMyByteRes remover, keeper;
    ASSERT_EQ(AttachResource(&remover, 3, kWord, file), RES_OK);
    ASSERT_EQ(AttachResource(&keeper, 3, kWord, file), RES_OK);
    ASSERT_EQ(remover.Remove(), RES_OK);
    EXPECT_EQ(remover.GetEntry(), nullptr);
    ASSERT_NE(keeper.GetEntry(), nullptr);
    EXPECT_EQ(keeper.GetFile(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(keeper.GetData()), 5), "third");
    EXPECT_FALSE(ResourceExists(3, kWord, file));
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    EXPECT_FALSE(ResourceExists(3, kWord, file));
}

TEST_F(ResourceManagerTest, ClosingKeepsBoundRecordsInMemory)
{
    int file = newFile("close.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "kept"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "dropped"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    CMyByteRes handle;
    ASSERT_EQ(AttachResource(&handle, 1, kWord, file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    EXPECT_EQ(handle.GetFile(), 0);
    EXPECT_EQ(handle.GetID(), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(handle.GetData()), 4), "kept");
    EXPECT_EQ(theResMgr.GetRecordCount(), 1u);
    theResMgr.CloseAll();
    EXPECT_EQ(handle.GetEntry(), nullptr);
    EXPECT_EQ(handle.GetID(), 0);
    EXPECT_EQ(handle.GetLastError(), RES_ERR_NO_RECORD);
}

// Closing the only file lets go of every record at once when none has a handle or a name; small and
// large bytes go with them, and the memory serves the records that come next.
TEST_F(ResourceManagerTest, ClosingTheOnlyFileDropsEveryRecordAndItsBytesAtOnce)
{
    int file = newFile("drop.tvf");
    const std::string large(5000, 'x');
    ASSERT_EQ(putRecord(file, kWord, 1, "small"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, large, "named"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    EXPECT_EQ(theResMgr.m_namedRecords, 1u);
    CResEntry* named = nullptr;
    ASSERT_EQ(FindResource(2, kWord, file, &named), RES_OK);
    ASSERT_EQ(SetResEntryName(named, QString()), RES_OK);
    EXPECT_EQ(theResMgr.m_namedRecords, 0u);
    EXPECT_GT(theResMgr.GetBytesInMemory(), large.size());

    file = reopen(file);
    EXPECT_EQ(theResMgr.GetBytesInMemory(), 0u);
    EXPECT_EQ(storedRecordString(file, kWord, 1), "small");
    EXPECT_EQ(storedRecordString(file, kWord, 2), large);
    ASSERT_EQ(putRecord(file, kPage, 3, "after"), RES_OK);
    EXPECT_EQ(storedRecordString(file, kPage, 3), "after");
    EXPECT_EQ(theResMgr.GetRecordCount(), 3u);
}

// A file whose records still wait in its map keeps that map when another file, holding every record
// made so far, closes; so does a file whose map lists nothing.
TEST_F(ResourceManagerTest, ClosingTheOtherFileKeepsTheMapsOfFilesStillOpen)
{
    int waiting = newFile("waiting.tvf");
    int empty = newFile("empty.tvf");
    for (int id = 1; id <= 3000; ++id)
        ASSERT_EQ(putRecord(waiting, kWord, id, "w" + std::to_string(id)), RES_OK);
    ASSERT_EQ(SaveResFile(waiting), RES_OK);
    ASSERT_EQ(SaveResFile(empty), RES_OK);
    waiting = reopen(waiting);
    empty = reopen(empty);
    const int other = newFile("other.tvf");
    ASSERT_EQ(putRecord(other, kWord, 1, "other"), RES_OK);
    ASSERT_EQ(CloseResFile(other), RES_OK);
    const int later = newFile("later.tvf");
    for (int id = 1; id <= 3000; ++id)
        ASSERT_EQ(putRecord(later, kPage, id, std::string(200, 'x')), RES_OK);
    EXPECT_EQ(storedRecordString(waiting, kWord, 2999), "w2999");
    EXPECT_EQ(storedRecordString(waiting, kWord, 1), "w1");
    int count = -1;
    ASSERT_EQ(CountResources(&count, RES_ANY, empty), RES_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(ResourceManagerTest, RecordsMovedToAnotherFileTakeTheirBytesAlong)
{
    int from = newFile("from.tvf");
    int to = newFile("to.tvf");
    ASSERT_EQ(putRecord(from, kWord, 1, "traveller"), RES_OK);
    ASSERT_EQ(putRecord(from, kWord, 2, "stays"), RES_OK);
    ASSERT_EQ(putRecord(to, kWord, 2, "target's own"), RES_OK);
    ASSERT_EQ(SaveResFile(from), RES_OK);
    ASSERT_EQ(SaveResFile(to), RES_OK);
    from = reopen(from);
    to = reopen(to);
    ASSERT_EQ(MoveFileResources(from, to, false), RES_OK);
    EXPECT_TRUE(ResourceExists(2, kWord, from));
    ASSERT_EQ(SaveResFile(from), RES_OK);
    ASSERT_EQ(SaveResFile(to), RES_OK);
    from = reopen(from);
    to = reopen(to);
    EXPECT_FALSE(ResourceExists(1, kWord, from));
    EXPECT_EQ(storedRecordString(to, kWord, 1), "traveller");
    EXPECT_EQ(storedRecordString(to, kWord, 2), "target's own");
    ASSERT_EQ(MoveFileResources(from, to, true), RES_OK);
    ASSERT_EQ(SaveResFile(to), RES_OK);
    to = reopen(to);
    EXPECT_EQ(storedRecordString(to, kWord, 2), "stays");
}

TEST_F(ResourceManagerTest, TransferCopiesARecordIntoAnotherFileAtOnce)
{
    int from = newFile("src.tvf");
    int to = newFile("dst.tvf");
    ASSERT_EQ(putRecord(from, kWord, 1, "payload", "named"), RES_OK);
    ASSERT_EQ(SaveResFile(from), RES_OK);
    from = reopen(from);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(1, kWord, from, &record), RES_OK);
    EXPECT_EQ(TransferResEntry(record, to), RES_ERR_NO_STREAM); // never written
    ASSERT_EQ(SaveResFile(to), RES_OK);
    EXPECT_EQ(TransferResEntry(nullptr, to), RES_ERR_NO_RECORD);
    EXPECT_EQ(TransferResEntry(record, 0), RES_ERR_SHORT_HEADER);
    EXPECT_EQ(TransferResEntry(record, 31), RES_ERR_UNKNOWN_FILE);
    ASSERT_EQ(TransferResEntry(record, to), RES_OK);
    EXPECT_TRUE(ResourceExists(1, kWord, from));
    EXPECT_TRUE(IsResFileDirty(to));
    ASSERT_EQ(SaveResFile(to), RES_OK);
    to = reopen(to);
    EXPECT_EQ(storedRecordString(to, kWord, 1), "payload");
    CResEntry* copy = nullptr;
    ASSERT_EQ(FindResource(1, kWord, to, &copy), RES_OK);
    EXPECT_EQ(GetResEntryName(copy), "named");

    // Into its own file, before its first write: the record gives way to its copy, name and bytes kept.
    ASSERT_EQ(putRecord(to, kWord, 2, "unsaved", "own"), RES_OK);
    ASSERT_EQ(FindResource(2, kWord, to, &record), RES_OK);
    ASSERT_EQ(TransferResEntry(record, to), RES_OK);
    ASSERT_EQ(SaveResFile(to), RES_OK);
    to = reopen(to);
    ASSERT_EQ(FindResource(2, kWord, to, &copy), RES_OK);
    EXPECT_EQ(GetResEntryName(copy), "own");
    EXPECT_EQ(storedRecordString(to, kWord, 2), "unsaved");

    CMyByteRes noId;
    noId.Create();
    EXPECT_EQ(TransferResEntry(noId.GetEntry(), to), RES_ERR_ID_ZERO);
    ASSERT_EQ(InsertResEntry(5, 0, 0, noId.GetEntry()), RES_OK);
    EXPECT_EQ(TransferResEntry(noId.GetEntry(), to), RES_ERR_TYPE_ZERO);
}

TEST_F(ResourceManagerTest, CopyReadsBlobsFromTheSourceAndKeepsTheirStamps)
{
    int file = newFile("orig.tvf");
    ASSERT_EQ(putRecord(file, kWord, 1, "old layout"), RES_OK);
    ASSERT_EQ(putRecord(file, kWord, 2, "second"), RES_OK);
    ASSERT_EQ(putRecord(file, RESTYPE_BYTES, 7, std::string(500, 'b')), RES_OK); // not copied: type 0
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(1, kWord, file, &record), RES_OK);
    const std::uint32_t stamp = 1000000000; // an old blob
    record->m_stamp = stamp;
    ASSERT_EQ(putRecord(file, kWord, 2, "edited"), RES_OK); // changed, not yet saved

    int copy = 0;
    ASSERT_EQ(CopyResFile(file, tempPath("copy.tvf"), &copy), RES_OK);
    EXPECT_FALSE(IsResFileDirty(copy));
    EXPECT_EQ(storedRecordString(copy, kWord, 1), "old layout");
    EXPECT_EQ(storedRecordString(copy, kWord, 2), "edited");
    CResEntry* copied = nullptr;
    ASSERT_EQ(FindResource(1, kWord, copy, &copied), RES_OK);
    EXPECT_EQ(copied->GetTimeStamp(), stamp);
    CTime time;
    ASSERT_EQ(GetResFileTime(copy, &time), RES_OK); // no save time: the file's own time
    EXPECT_GT(time.GetTime(), std::int64_t(stamp));
    copy = reopen(copy);
    EXPECT_EQ(storedRecordString(copy, kWord, 1), "old layout");
    EXPECT_FALSE(ResourceExists(7, RESTYPE_BYTES, copy)); // nor listed with the source's offset

    // A file the store holds open is never deleted or overwritten.
    EXPECT_EQ(CopyResFile(file, tempPath("copy.tvf")), RES_ERR_FILE_BUSY);
    EXPECT_EQ(CopyResFile(file, GetResFilePath(file)), RES_ERR_FILE_BUSY);
    EXPECT_EQ(CopyResFile(file, QString()), RES_ERR_NO_PATH);
    EXPECT_EQ(CopyResFile(99, tempPath("x.tvf")), RES_ERR_UNKNOWN_FILE);
    EXPECT_EQ(storedRecordString(copy, kWord, 2), "edited");
    // An existing file that is not open is replaced; without an out number the copy is closed.
    ASSERT_EQ(CloseResFile(copy), RES_OK);
    ASSERT_EQ(CopyResFile(file, tempPath("copy.tvf")), RES_OK);
    EXPECT_EQ(FindResFileByPath(tempPath("copy.tvf")), 0);
}

TEST_F(ResourceManagerTest, SavingUnderAnOpenFilesPathIsRefused)
{
    const int open = newFile("open.tvf");
    ASSERT_EQ(SaveResFile(open), RES_OK);
    int unnamed = 0;
    ASSERT_EQ(FindOrAddResFile(&unnamed, QString()), 0);
    EXPECT_EQ(SaveResFile(unnamed, tempPath("open.tvf")), RES_ERR_FILE_BUSY);
    EXPECT_EQ(GetResFileLength(open), std::int64_t(kHeaderSize));
}

TEST_F(ResourceManagerTest, AccessorsAndHandleFunctionsRejectMissingArguments)
{
    EXPECT_EQ(CreateResEntry(nullptr, kWord), RES_ERR_NO_HANDLE);
    EXPECT_EQ(AttachResource(nullptr, 1, kWord, 0), RES_ERR_NO_HANDLE);
    CMyByteRes handle;
    EXPECT_EQ(AttachResource(&handle, 1, kWord, 0), RES_ERR_NOT_FOUND);
    EXPECT_EQ(AttachResEntry(&handle, nullptr), RES_ERR_NO_RECORD);
    EXPECT_EQ(DetachResource(nullptr), RES_ERR_NO_HANDLE);
    EXPECT_EQ(DetachResource(&handle), RES_OK);
    EXPECT_EQ(MoveResource(nullptr, 1, kWord, 0), RES_ERR_NO_HANDLE);
    EXPECT_EQ(MoveResource(&handle, 1, kWord, 0), RES_ERR_NO_RECORD);
    EXPECT_EQ(CommitResource(nullptr), RES_ERR_NO_HANDLE);
    EXPECT_EQ(CommitResource(&handle), RES_ERR_NO_RECORD);
    EXPECT_EQ(SetResourceSize(&handle, 4), RES_ERR_GENERAL);
    EXPECT_EQ(GetResourceStoredSize(&handle), RES_ERR_NO_RECORD);
    EXPECT_EQ(RemoveResEntry(nullptr), RES_ERR_NO_RECORD);
    EXPECT_EQ(SetResEntryName(nullptr, "x"), RES_ERR_NO_RECORD);
    EXPECT_EQ(GetResourceName(&handle), QString());
    EXPECT_EQ(GetResEntryId(nullptr), 0);
    CTime time;
    EXPECT_EQ(GetResourceTime(&handle, nullptr), RES_ERR_SHORT_HEADER);
    EXPECT_EQ(GetResourceTime(&handle, &time), RES_ERR_NO_RECORD);
    ASSERT_EQ(handle.Create(), RES_OK);
    ASSERT_EQ(GetResourceTime(&handle, &time), RES_OK); // no stamp yet: now
    EXPECT_GT(time.GetTime(), 1700000000);
    EXPECT_EQ(FindResEntry(nullptr, nullptr, 1, 1, 1), RES_ERR_NULL_OUTPUT);
    EXPECT_EQ(FindResFileByPath(tempPath("x")), RES_ERR_NO_STREAM);
    DumpResources();
}

TEST_F(ResourceManagerTest, RandomEditsSavesCompactionsAndReopensAgreeWithAModel)
{
    for (std::uint32_t seed : {20261207u, 1u, 2u, 3u, 4u, 5u, 6u, 7u})
        runRandomEdits(seed);
}

void ResourceManagerTest::runRandomEdits(std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> model;
    theResMgr.CloseAll();
    int file = newFile(QStringLiteral("model%1.tvf").arg(seed));
    const std::int32_t types[] = {kWord, kPage, RESTYPE_STRING};
    std::vector<std::unique_ptr<CMyByteRes>> holders; // handles that share records now and then
    for (int step = 0; step < 400; ++step) {
        const std::int32_t type = types[random() % 3];
        const std::int32_t id = static_cast<std::int32_t>(random() % 40) + 1;
        switch (random() % 10) {
        case 0:
        case 1:
            if (model.erase({type, id})) {
                ASSERT_EQ(RemoveResource(nullptr, id, type, file), RES_OK);
            }
            break;
        case 2: {
            ASSERT_EQ(SaveResFile(file), RES_OK);
            if (random() % 2 == 0) {
                ASSERT_EQ(CompactResFile(file), RES_OK);
            }
            file = reopen(file);
            for (const auto& [key, bytes] : model)
                ASSERT_EQ(storedRecordString(file, key.first, key.second), bytes) << step;
            int count = 0;
            CountResources(&count, -1, file);
            ASSERT_EQ(count, static_cast<int>(model.size())) << step;
            for (std::int32_t kind : types) {
                std::vector<std::int32_t> expected, walked;
                for (const auto& [key, bytes] : model)
                    if (key.first == kind)
                        expected.push_back(key.second);
                for (std::int32_t next = -1; GetNextResId(&next, kind, file) == RES_OK && next != 0;)
                    walked.push_back(next);
                ASSERT_EQ(walked, expected) << step;
                std::int32_t free = 1;
                ASSERT_EQ(FindFreeResId(&free, file, kind), RES_OK);
                std::int32_t firstMissing = 1;
                while (model.count({kind, firstMissing}))
                    ++firstMissing;
                ASSERT_EQ(free, firstMissing) << step;
            }
            break;
        }
        case 3:
            if (model.count({type, id})) {
                holders.push_back(std::make_unique<CMyByteRes>());
                ASSERT_EQ(AttachResource(holders.back().get(), id, type, file), RES_OK);
                if (holders.size() > 4)
                    holders.erase(holders.begin());
            }
            break;
        default: {
            const std::string bytes(random() % 50, static_cast<char>('a' + step % 26));
            ASSERT_EQ(putRecord(file, type, id, bytes), RES_OK);
            model[{type, id}] = bytes;
        }
        }
    }
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CompactResFile(file), RES_OK);
    std::int64_t live = 0;
    for (const auto& [key, bytes] : model)
        live += static_cast<std::int64_t>(bytes.size());
    EXPECT_EQ(GetResFileUsedSize(file), live);
}

// Fails the n-th write (then every later one, as a crashed machine would) for every n, and checks
// that the file always opens with its old content or its new one.
class ResourceCrashTest : public ResourceManagerTest
{
protected:
    // A memory disk holding "/m" whose writes a test can make fail; the store is closed before it goes.
    struct FaultyDisk {
        MemoryFileSystem memory;
        FaultyFileSystem faulty{memory};
        ScopedFileSystem scope{faulty};
        StoreClosedAtScopeEnd closed;
        FaultyDisk() { memory.makeDirectories("/m"); }
    };

    // The old content: two records; the new: one changed, one added, one removed.
    void makeOldFile(int& file)
    {
        ASSERT_EQ(FindOrAddResFile(&file, "/m/crash.tvf"), 0);
        ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
        ASSERT_EQ(putRecord(file, kWord, 2, "two"), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK);
    }
    void makeChanges(int file)
    {
        ASSERT_EQ(putRecord(file, kWord, 1, "ONE changed"), RES_OK);
        ASSERT_EQ(putRecord(file, kWord, 3, "three"), RES_OK);
        ASSERT_EQ(RemoveResource(nullptr, 2, kWord, file), RES_OK);
    }
    // What a later run would find in the file: a copy of its bytes opened beside it.
    std::string contentOf(MemoryFileSystem& memory, const QString& path)
    {
        const auto* bytes = memory.contents(path);
        if (!bytes)
            return "<no file>";
        memory.setContents("/m/check.tvf", *bytes);
        int file = 0;
        if (OpenResFile(&file, "/m/check.tvf") != RES_OK)
            return "<unreadable>";
        std::string all;
        for (std::int32_t id = 1; id <= 3; ++id)
            all += storedRecordString(file, kWord, id) + "|";
        CloseResFile(file);
        return all;
    }

    void runEveryFailure(FaultyFileSystem::Operation operation, bool compact)
    {
        runEveryFailure(operation, compact, true);
        runEveryFailure(operation, compact, false); // one failure, then the disk works again
    }
    void runEveryFailure(FaultyFileSystem::Operation operation, bool compact, bool crash)
    {
        const std::string oldContent = "one|two|<missing>|";
        const std::string newContent = "ONE changed|<missing>|three|";
        bool sawNew = false;
        int failures = 0;
        for (int n = 1; n < 40 && !sawNew; ++n) {
            theResMgr.CloseAll();
            FaultyDisk disk;
            MemoryFileSystem& memory = disk.memory;
            FaultyFileSystem& faulty = disk.faulty;
            int file = 0;
            makeOldFile(file);
            makeChanges(file);
            faulty.failAt(operation, n, crash);
            const int result = SaveResFile(file, {}, compact);
            CResEntry* changed = nullptr;
            FindResource(1, kWord, file, &changed);
            faulty.failAt(operation, 0);
            const std::string content = contentOf(memory, "/m/crash.tvf");
            if (result == RES_OK) {
                EXPECT_EQ(content, newContent) << "n=" << n;
                sawNew = !faulty.hasFailed();
            } else {
                ++failures;
                EXPECT_EQ(result, RES_ERR_NOT_WRITABLE) << "n=" << n;
                EXPECT_TRUE(content == oldContent || content == newContent) << "n=" << n << " " << content;
                ASSERT_NE(changed, nullptr);
                EXPECT_TRUE(changed->GetFlags() & RESFLAG_CHANGED) << "n=" << n;
                EXPECT_TRUE(IsResFileDirty(file)) << "n=" << n;
                // Once the disk works again, the same save succeeds.
                EXPECT_EQ(SaveResFile(file, {}, compact), RES_OK) << "n=" << n;
                EXPECT_EQ(contentOf(memory, "/m/crash.tvf"), newContent) << "n=" << n;
            }
            EXPECT_FALSE(memory.exists("/m/RMGRTMP.tvf") && result == RES_OK);
        }
        EXPECT_TRUE(sawNew);
        EXPECT_GE(failures, 1);
    }
};

TEST_F(ResourceCrashTest, SaveLeavesOldOrNewContentWhicheverWriteFails)
{
    runEveryFailure(FaultyFileSystem::Operation::Write, false);
    runEveryFailure(FaultyFileSystem::Operation::Flush, false);
}

TEST_F(ResourceCrashTest, CompactionLeavesOldOrNewContentWhicheverStepFails)
{
    // A compacting save compacts only a file saved since it was opened.
    runEveryFailure(FaultyFileSystem::Operation::Write, true);
    runEveryFailure(FaultyFileSystem::Operation::Flush, true);
    runEveryFailure(FaultyFileSystem::Operation::Rename, true);
}

TEST_F(ResourceCrashTest, FailedFirstSaveReportsCreateFailure)
{
    FaultyDisk disk;
    MemoryFileSystem& memory = disk.memory;
    FaultyFileSystem& faulty = disk.faulty;
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, "/m/new.tvf"), 0);
    ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
    faulty.failAt(FaultyFileSystem::Operation::Write, 1);
    EXPECT_EQ(SaveResFile(file), RES_ERR_CREATE_FAILED);
    EXPECT_TRUE(IsResFileOpen(file));
    EXPECT_FALSE(memory.exists("/m/new.tvf"));
    faulty.failAt(FaultyFileSystem::Operation::Write, 0);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    EXPECT_EQ(contentOf(memory, "/m/new.tvf"), "one|<missing>|<missing>|");
}

// A record written alone on a full disk is not in the file: the record and its file stay changed, so
// that the next save writes it instead of finding nothing to do.
TEST_F(ResourceCrashTest, ARecordWriteThatFailsLeavesItsFileToBeSaved)
{
    FaultyDisk disk;
    MemoryFileSystem& memory = disk.memory;
    FaultyFileSystem& faulty = disk.faulty;
    int file = 0;
    makeOldFile(file);
    ASSERT_FALSE(IsResFileDirty(file));
    {
        CMyByteRes handle;
        ASSERT_EQ(AttachResource(&handle, 1, kWord, file), RES_OK);
        handle.SetSize(3);
        std::memcpy(handle.GetData(), "new", 3);
        faulty.failAt(FaultyFileSystem::Operation::Write, 1);
        EXPECT_EQ(handle.Write(), RES_ERR_WRITE_FAILED);
        EXPECT_TRUE(handle.IsChanged());
    }
    EXPECT_TRUE(IsResFileDirty(file));
    EXPECT_NE(SaveResFile(file), RES_OK) << "the disk is still full";
    faulty.failAt(FaultyFileSystem::Operation::Write, 0);
    EXPECT_EQ(contentOf(memory, "/m/crash.tvf"), "one|two|<missing>|");
    EXPECT_TRUE(IsResFileDirty(file));
    ASSERT_EQ(SaveResFile(file), RES_OK);
    EXPECT_EQ(contentOf(memory, "/m/crash.tvf"), "new|two|<missing>|");
    EXPECT_FALSE(IsResFileDirty(file));
}

TEST_F(ResourceCrashTest, FailedCopyLeavesTheFileItWouldReplace)
{
    FaultyDisk disk;
    MemoryFileSystem& memory = disk.memory;
    FaultyFileSystem& faulty = disk.faulty;
    memory.setContents("/m/target.tvf", {1, 2, 3});
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, "/m/source.tvf"), 0);
    ASSERT_EQ(putRecord(file, kWord, 1, "one"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    faulty.failAt(FaultyFileSystem::Operation::Write, 1);
    EXPECT_EQ(CopyResFile(file, "/m/target.tvf"), RES_ERR_CREATE_FAILED);
    EXPECT_EQ(*memory.contents("/m/target.tvf"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(FindResFileByPath("/m/target.tvf"), 0);
    faulty.failAt(FaultyFileSystem::Operation::Write, 0);
    ASSERT_EQ(CopyResFile(file, "/m/target.tvf"), RES_OK);
    EXPECT_EQ(contentOf(memory, "/m/target.tvf"), "one|<missing>|<missing>|");
}

} // namespace
