// The bytes of a resource file: header, blobs, map entries, and how malformed files are refused.

#include "store/ResourceFile.h"
#include "tests/store/ResourceTestSupport.h"
#include "tests/support/LumivoTest.h"

#include <tuple>
#include <vector>

using namespace lumivo::test;
using lumivo::store::kHeaderSize;

namespace
{

constexpr std::int32_t kType = 0x67770001;

class ResourceFileTest : public LumivoTest
{
protected:
    // A saved file with one record of `bytes` named "ab"; returns its path.
    QString savedFileWithOneRecord(const std::string& bytes)
    {
        const QString path = tempPath("one.tvf");
        int file = 0;
        EXPECT_EQ(FindOrAddResFile(&file, path), 0);
        EXPECT_EQ(putRecord(file, kType, 42, bytes, "ab"), RES_OK);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        EXPECT_EQ(CloseResFile(file), RES_OK);
        return path;
    }

    // A header for hand-made files: format, map offset and size given, the rest zero.
    static std::vector<std::uint8_t> header(std::uint32_t format, std::uint32_t mapOffset,
                                            std::uint32_t mapSize)
    {
        std::vector<std::uint8_t> bytes(kHeaderSize, 0);
        putU32(bytes, 4, format);
        putU32(bytes, 12, mapOffset);
        putU32(bytes, 16, mapSize);
        return bytes;
    }

    int openBytes(const std::vector<std::uint8_t>& bytes)
    {
        const QString path = tempPath("hand.tvf");
        writeBytes(path, bytes);
        int file = 0;
        return OpenResFile(&file, path);
    }
};

TEST_F(ResourceFileTest, NewEmptyFileIsJustAHeaderOfFormat515)
{
    const QString path = tempPath("empty.tvf");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), kHeaderSize);
    EXPECT_EQ(u32At(bytes, 4), 515u);
    EXPECT_EQ(u32At(bytes, 8), 0u);  // kind never set
    EXPECT_EQ(u32At(bytes, 16), 0u); // no map entries
    EXPECT_NE(u32At(bytes, 84), 0u); // time of the last save
    for (std::size_t at : {20u, 88u, 108u})
        EXPECT_EQ(bytes[at], 0);
}

TEST_F(ResourceFileTest, OneRecordGivesBlobThenMapEntryOf24PlusNameBytes)
{
    const QString path = savedFileWithOneRecord("hello");
    const auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), kHeaderSize + 5 + 26);
    EXPECT_EQ(std::string(bytes.begin() + kHeaderSize, bytes.begin() + kHeaderSize + 5), "hello");
    EXPECT_EQ(u32At(bytes, 12), 5u);  // map right behind the blob, counted from the header's end
    EXPECT_EQ(u32At(bytes, 16), 26u); // 24 + two name bytes
    const std::size_t entry = kHeaderSize + 5;
    EXPECT_EQ(u32At(bytes, entry), 42u);
    EXPECT_EQ(u32At(bytes, entry + 4), std::uint32_t(kType));
    EXPECT_EQ(u32At(bytes, entry + 8), 0u);
    EXPECT_EQ(u32At(bytes, entry + 12), 5u);
    EXPECT_NE(u32At(bytes, entry + 16), 0u);
    EXPECT_EQ(bytes[entry + 20], 2);
    EXPECT_EQ(bytes[entry + 21], 'a');
    EXPECT_EQ(bytes[entry + 22], 'b');
    EXPECT_EQ(bytes[entry + 23], 0); // padding written as zeros
}

TEST_F(ResourceFileTest, SecondSaveAppendsAndListsOldBlobAndOldMapAsDeadSpaceFirst)
{
    const QString path = savedFileWithOneRecord("hello");
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    ASSERT_EQ(putRecord(file, kType, 42, "changed!"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto bytes = fileBytes(path);
    const std::size_t newBlob = kHeaderSize + 5 + 26;
    ASSERT_EQ(bytes.size(), newBlob + 8 + 74);
    EXPECT_EQ(std::string(bytes.begin() + newBlob, bytes.begin() + newBlob + 8), "changed!");
    EXPECT_EQ(u32At(bytes, 12), 5u + 26 + 8);
    EXPECT_EQ(u32At(bytes, 16), 74u);
    const std::size_t map = newBlob + 8;
    // Dead entry for the first blob, then for the first map, then the live record.
    EXPECT_EQ(u32At(bytes, map + 0), 0u);
    EXPECT_EQ(u32At(bytes, map + 4), 0u);
    EXPECT_EQ(u32At(bytes, map + 8), 0u);
    EXPECT_EQ(u32At(bytes, map + 12), 5u);
    EXPECT_EQ(u32At(bytes, map + 16), 0u);
    EXPECT_EQ(bytes[map + 20], 0);
    EXPECT_EQ(u32At(bytes, map + 24 + 8), 5u);
    EXPECT_EQ(u32At(bytes, map + 24 + 12), 26u);
    EXPECT_EQ(u32At(bytes, map + 48), 42u);
    EXPECT_EQ(u32At(bytes, map + 48 + 8), 5u + 26);
    EXPECT_EQ(u32At(bytes, map + 48 + 12), 8u);
    EXPECT_EQ(GetResFileUsedSize(file), 5 + 26 + 8);
}

// A save with nothing to write leaves the file as it was, its time of last save too (set long ago here,
// so that a save that stamped the header would show at once); a change is saved with a new time.
TEST_F(ResourceFileTest, SavingAnUnchangedFileChangesNoByteAndKeepsItsSaveTime)
{
    const QString path = savedFileWithOneRecord("hello");
    auto bytes = fileBytes(path);
    constexpr std::uint32_t kLongAgo = 1000000000;
    putU32(bytes, 84, kLongAgo);
    writeBytes(path, bytes);
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    for (int save = 0; save < 2; ++save) {
        ASSERT_EQ(SaveResFile(file), RES_OK);
        EXPECT_EQ(fileBytes(path), bytes) << "save " << save;
    }
    EXPECT_FALSE(IsResFileOpen(file)) << "the save still counts as one";
    CTime saved;
    ASSERT_EQ(GetResFileTime(file, &saved), RES_OK);
    EXPECT_EQ(saved.GetTime(), kLongAgo);

    ASSERT_EQ(putRecord(file, kType, 42, "changed"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    EXPECT_GT(u32At(fileBytes(path), 84), kLongAgo);
}

TEST_F(ResourceFileTest, ExactHeaderWithoutMapOpensEmpty)
{
    int file = 0;
    writeBytes(tempPath("bare.tvf"), header(515, 0, 0));
    ASSERT_EQ(OpenResFile(&file, tempPath("bare.tvf")), RES_OK);
    int count = -1;
    ASSERT_EQ(CountResources(&count, -1, file), RES_OK);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(IsResFileDirty(file));
}

TEST_F(ResourceFileTest, MalformedFilesAreRefusedWithAClearCode)
{
    EXPECT_EQ(openBytes(std::vector<std::uint8_t>(151, 0)), RES_ERR_SHORT_HEADER);
    EXPECT_EQ(openBytes(header(513, 0, 0)), RES_ERR_BAD_FORMAT);
    EXPECT_EQ(openBytes(header(516, 0, 0)), RES_ERR_BAD_FORMAT);
    EXPECT_EQ(openBytes(header(515, 0, 24)), RES_ERR_BAD_FORMAT); // map past the end

    std::vector<std::uint8_t> entry(24, 0);
    putU32(entry, 0, 1);
    putU32(entry, 4, kType);
    auto overrun = header(515, 0, 24);
    auto named = entry;
    named[20] = 5; // the name runs past the map
    overrun.insert(overrun.end(), named.begin(), named.end());
    EXPECT_EQ(openBytes(overrun), RES_ERR_BAD_FORMAT);

    auto tooLong = header(515, 0, 24 + 200);
    auto longEntry = entry;
    longEntry[20] = 200;
    longEntry.resize(24 + 200, 'x');
    tooLong.insert(tooLong.end(), longEntry.begin(), longEntry.end());
    EXPECT_EQ(openBytes(tooLong), RES_ERR_BAD_FORMAT);

    auto blobOutside = header(515, 0, 24);
    auto farEntry = entry;
    putU32(farEntry, 8, 1000);
    putU32(farEntry, 12, 10);
    blobOutside.insert(blobOutside.end(), farEntry.begin(), farEntry.end());
    EXPECT_EQ(openBytes(blobOutside), RES_ERR_BAD_FORMAT);

    auto twice = header(515, 0, 48);
    twice.insert(twice.end(), entry.begin(), entry.end());
    twice.insert(twice.end(), entry.begin(), entry.end());
    EXPECT_EQ(openBytes(twice), RES_ERR_BAD_FORMAT); // one (type, id) listed twice

    auto shortTail = header(515, 0, 20);
    shortTail.resize(kHeaderSize + 20, 0);
    EXPECT_EQ(openBytes(shortTail), RES_ERR_BAD_FORMAT); // a map too short for one entry

    // Nothing was left behind by the failed opens.
    EXPECT_EQ(FindResFileByPath(tempPath("hand.tvf")), RES_ERR_NO_STREAM);
    EXPECT_EQ(theResMgr.GetRecordCount(), 0u);
}

// What another writer's compaction leaves: the live blob at the start, the map behind it, and the
// dead-space entries of the file before compaction, far past the end of this one.
TEST_F(ResourceFileTest, CompactedElsewhereOpensAndForgetsDeadSpaceOutsideTheFile)
{
    auto bytes = header(515, 5, 3 * 24);
    bytes.insert(bytes.end(), {'h', 'e', 'l', 'l', 'o'});
    std::vector<std::uint8_t> outside(24, 0), inside(24, 0), live(24, 0);
    putU32(outside, 8, 5000);
    putU32(outside, 12, 300);
    putU32(inside, 8, 1);
    putU32(inside, 12, 2);
    putU32(live, 0, 42);
    putU32(live, 4, kType);
    putU32(live, 12, 5);
    for (const auto* entry : {&outside, &inside, &live})
        bytes.insert(bytes.end(), entry->begin(), entry->end());
    const QString path = tempPath("compacted.tvf");
    writeBytes(path, bytes);

    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    EXPECT_EQ(storedRecordString(file, kType, 42), "hello");
    EXPECT_EQ(GetResFileUsedSize(file), 5 + 2) << "only the dead space inside the file is kept";

    // Never written back: the next map lists the old map and the dead space inside the file only.
    ASSERT_EQ(putRecord(file, kType, 7, "x"), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto saved = fileBytes(path);
    const std::size_t map = kHeaderSize + u32At(saved, 12);
    ASSERT_EQ(u32At(saved, 16), 4u * 24);
    for (std::size_t entry = map; entry < saved.size(); entry += 24)
        EXPECT_LE(kHeaderSize + u32At(saved, entry + 8) + u32At(saved, entry + 12), saved.size());
    file = reopenFile(file);
    EXPECT_EQ(storedRecordString(file, kType, 42), "hello");
}

TEST_F(ResourceFileTest, NoMapMeansAnyMapOffset)
{
    EXPECT_EQ(openBytes(header(515, 0xFFFFFF00u, 0)), RES_OK);
}

// A map that goes wrong after some good entries: the records made from those go again, their ids are
// free again, and the files already open keep theirs.
TEST_F(ResourceFileTest, AFailedOpenTakesBackTheRecordsItMadeAlongTheWay)
{
    int good = 0;
    ASSERT_EQ(OpenResFile(&good, savedFileWithOneRecord("kept")), RES_OK);
    std::vector<std::uint8_t> entry(24, 0);
    putU32(entry, 0, 7);
    putU32(entry, 4, kType);
    auto bytes = header(515, 0, 24 + 23);
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    bytes.insert(bytes.end(), 23, 0); // a second entry one byte short
    EXPECT_EQ(openBytes(bytes), RES_ERR_BAD_FORMAT);

    EXPECT_EQ(theResMgr.GetRecordCount(), 1u);
    std::int32_t id = 7;
    ASSERT_EQ(FindUnusedId(&id), RES_OK);
    EXPECT_EQ(id, 7);
    id = 42;
    ASSERT_EQ(FindUnusedId(&id), RES_OK);
    EXPECT_EQ(id, 43);
    EXPECT_EQ(storedRecordString(good, kType, 42), "kept");
}

// Another writer may list its map in any order: the store still gives its records in its own order,
// and a (type, id) listed twice anywhere in the map refuses the file.
TEST_F(ResourceFileTest, AMapInAnyOrderIsReadInTheStoreOrder)
{
    const auto entryOf = [](std::int32_t type, std::int32_t id, std::uint32_t offset, std::uint32_t size) {
        std::vector<std::uint8_t> entry(24, 0);
        putU32(entry, 0, static_cast<std::uint32_t>(id));
        putU32(entry, 4, static_cast<std::uint32_t>(type));
        putU32(entry, 8, offset);
        putU32(entry, 12, size);
        return entry;
    };
    const auto fileOf = [&](const std::vector<std::vector<std::uint8_t>>& entries) {
        auto bytes = header(515, 6, static_cast<std::uint32_t>(24 * entries.size()));
        bytes.insert(bytes.end(), {'a', 'b', 'c', 'd', 'e', 'f'});
        for (const auto& entry : entries)
            bytes.insert(bytes.end(), entry.begin(), entry.end());
        return bytes;
    };
    const auto later = entryOf(kType + 1, 2, 0, 2);
    const auto high = entryOf(kType, 5, 2, 2);
    const auto dead = entryOf(0, 0, 4, 1);
    const auto low = entryOf(kType, -3, 5, 1);
    const QString path = tempPath("foreign.tvf");
    writeBytes(path, fileOf({later, high, dead, low}));
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    EXPECT_EQ(storedRecordString(file, kType, 5), "cd");
    std::vector<std::tuple<std::int32_t, std::int32_t, std::uint32_t>> order;
    for (CResEntry* record = theResHead->GetNext(); record; record = record->GetNext())
        order.emplace_back(record->GetType(), record->GetId(), record->GetOffset());
    const std::vector<std::tuple<std::int32_t, std::int32_t, std::uint32_t>> expected{
        {0, 0, 4}, {kType, -3, 5}, {kType, 5, 2}, {kType + 1, 2, 0}};
    EXPECT_EQ(order, expected);
    ASSERT_EQ(CloseResFile(file), RES_OK);

    EXPECT_EQ(openBytes(fileOf({later, high, low, entryOf(kType + 1, 2, 3, 1)})), RES_ERR_BAD_FORMAT);
    EXPECT_EQ(theResMgr.GetRecordCount(), 0u);
}

// The records of an opened file are made as they are touched: one found by its keys first, the rest
// when something walks them. Either way every record is there once, in order, with its name, and the
// ids of records nobody touched yet count as used.
TEST_F(ResourceFileTest, RecordsMadeOneByOneAndAllAtOnceAgree)
{
    const QString path = tempPath("many.tvf");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    for (int id = 1; id <= 5; ++id)
        ASSERT_EQ(
            putRecord(file, kType, id, std::string(1, static_cast<char>('0' + id)), QString::number(id)),
            RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(putRecord(file, kType, 2, "again"), RES_OK); // leaves dead space at the second save
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopenFile(file);
    EXPECT_EQ(theResMgr.GetRecordCount(), 5u + 2u); // with the old blob and the first map

    std::int32_t unused = 1;
    ASSERT_EQ(FindUnusedId(&unused), RES_OK);
    EXPECT_EQ(unused, 6);
    file = reopenFile(file);
    CResEntry* third = nullptr;
    ASSERT_EQ(FindResource(3, kType, file, &third), RES_OK);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetName(), "3");
    std::vector<CResEntry*> all;
    ASSERT_EQ(CollectResources(&all, file, -1), RES_OK);
    ASSERT_EQ(all.size(), 5u + 2u);
    EXPECT_TRUE(all[0]->IsDeadSpace() && all[1]->IsDeadSpace());
    for (int id = 1; id <= 5; ++id) {
        EXPECT_EQ(all[static_cast<std::size_t>(id + 1)]->GetId(), id);
        EXPECT_EQ(all[static_cast<std::size_t>(id + 1)]->GetName(), QString::number(id));
    }
    EXPECT_EQ(all[4], third);
    EXPECT_EQ(storedRecordString(file, kType, 2), "again");
    EXPECT_EQ(theResMgr.GetRecordCount(), 5u + 2u);
}

TEST_F(ResourceFileTest, Format514OpensWithZeroExtensionAndSavesAs515)
{
    auto bytes = header(514, 0, 0);
    for (std::size_t at = 108; at < kHeaderSize; ++at)
        bytes[at] = 0xEE;
    const QString path = tempPath("old.tvf");
    writeBytes(path, bytes);
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    std::uint32_t value = 1;
    ASSERT_EQ(GetResFileUserValue(file, &value), RES_OK);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto saved = fileBytes(path);
    EXPECT_EQ(u32At(saved, 4), 515u);
    for (std::size_t at = 108; at < kHeaderSize; ++at)
        EXPECT_EQ(saved[at], 0) << at;
}

TEST_F(ResourceFileTest, NamesRoundTripUpTo127BytesAndLongerOnesAreCut)
{
    const QString path = tempPath("names.tvf");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    const QString exact(127, QLatin1Char('n'));
    const QString longer = QString(130, QLatin1Char('m')) + QStringLiteral("\u00e6");
    ASSERT_EQ(putRecord(file, kType, 1, "a", exact), RES_OK);
    ASSERT_EQ(putRecord(file, kType, 2, "b", longer), RES_OK);
    ASSERT_EQ(putRecord(file, kType, 3, "c", QStringLiteral("bl\u00e5 \u20ac")), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    const auto bytes = fileBytes(path);
    EXPECT_EQ(u32At(bytes, 16), 3 * 24u + 127 + 127 + 5);
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResource(1, kType, file, &record), RES_OK);
    EXPECT_EQ(GetResEntryName(record), exact);
    ASSERT_EQ(FindResource(2, kType, file, &record), RES_OK);
    EXPECT_EQ(GetResEntryName(record), longer.left(127));
    ASSERT_EQ(FindResource(3, kType, file, &record), RES_OK);
    EXPECT_EQ(GetResEntryName(record), QStringLiteral("bl\u00e5 \u20ac")); // Windows-1252 on disk
}

TEST_F(ResourceFileTest, HeaderFieldsSurviveSaveAndReopen)
{
    const QString path = tempPath("fields.tvf");
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, path), 0);
    ASSERT_EQ(SetResFileVersion(file, MakeResFileVersion(2, 0, 61)), RES_OK);
    ASSERT_EQ(SetResFileKind(file, 2), RES_OK);
    ASSERT_EQ(SetResFileUserValue(file, 0xCAFEu), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto bytes = fileBytes(path);
    EXPECT_EQ(u32At(bytes, 0), 0x0002003Du);
    EXPECT_EQ(u32At(bytes, 8), 2u);
    EXPECT_EQ(u32At(bytes, 108), 0xCAFEu);
    ASSERT_EQ(CloseResFile(file), RES_OK);
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    EXPECT_EQ(CompareResFileVersion(file, 2, 0, 61), 1);
    EXPECT_EQ(CompareResFileVersion(file, 0, 2, 3), 2);
    EXPECT_EQ(CompareResFileVersion(file, 2, 1, 0), -1);
    EXPECT_EQ(GetResFileKind(file), 2u);
    int major = 0, minor = 0, build = 0;
    SplitResFileVersion(GetResFileVersion(file), &major, &minor, &build);
    EXPECT_EQ(major * 10000 + minor * 100 + build, 20061);
}

TEST_F(ResourceFileTest, CopyCarriesHeaderFieldsAndHasNoSaveTime)
{
    const QString path = savedFileWithOneRecord("hello");
    auto original = fileBytes(path);
    for (std::size_t at = 20; at < 30; ++at)
        original[at] = 'T';
    putU32(original, 108, 77);
    writeBytes(path, original);
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), RES_OK);
    ASSERT_EQ(CopyResFile(file, tempPath("copy.tvf")), RES_OK);
    const auto copy = fileBytes(tempPath("copy.tvf"));
    ASSERT_EQ(copy.size(), original.size());
    EXPECT_EQ(u32At(copy, 84), 0u);
    EXPECT_EQ(u32At(copy, 108), 77u);
    EXPECT_EQ(std::string(copy.begin() + 20, copy.begin() + 30), "TTTTTTTTTT");
    EXPECT_TRUE(std::equal(copy.begin() + kHeaderSize, copy.end(), original.begin() + kHeaderSize));
}

} // namespace
