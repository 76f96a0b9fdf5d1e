// Handles: binding objects to records, the object round trip through archive bytes, the typed
// handles, and the type and id helpers.

#include "tests/store/ResourceTestSupport.h"
#include "tests/support/LumivoTest.h"

#include <QFileInfo>

using namespace lumivo::test;

namespace
{

constexpr std::int32_t kWord = 0x67770002;

// A handle whose class forgot to set its owner.
class OwnerlessHandle : public CMyRes
{
public:
    std::int32_t GetType() const override { return RESTYPE_BYTES; }
};

class ResourceHandleTest : public LumivoTest
{
protected:
    int savedFileWithNote(std::int32_t id, std::int32_t number, const QString& text)
    {
        int file = 0;
        EXPECT_EQ(FindOrAddResFile(&file, tempPath("notes.tvf")), 0);
        TestNote note;
        EXPECT_EQ(note.Create(), RES_OK);
        note.m_number = number;
        note.m_text = text;
        EXPECT_EQ(note.SaveAs(id, file, kWord), RES_OK);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        return file;
    }

    static int reopen(int file) { return reopenFile(file); }
};

TEST_F(ResourceHandleTest, TypesCarryKindAndLanguageOrANumber)
{
    EXPECT_EQ(MakeBgType(1, 2), 0x67620102);
    EXPECT_EQ(GetResTypeKind(MakeBgType(1, 2)), 1);
    EXPECT_EQ(GetResTypeLanguage(MakeBgType(1, 2)), 2);
    EXPECT_EQ(MakePictType(0x1FF, 0x302), 0x6770FF02);
    EXPECT_EQ(MakeSoundType(3, 4), 0x67730304);
    EXPECT_EQ(MakeUserLevelType(0, 1), 0x67750001);
    EXPECT_EQ(MakeAviType(2, 9), 0x67610209);
    EXPECT_EQ(MakeWordType(2), 0x67770002);
    EXPECT_EQ(MakeWordType(10000), 0x67772710);
    EXPECT_EQ(MakeSentenceType(-1), 0x6762FFFF); // sign-extended: the tag changes
    EXPECT_TRUE(IsSystemResId(1000000000));
    EXPECT_TRUE(IsSystemResId(RESID_SYSTEM_LAST));
    EXPECT_FALSE(IsSystemResId(0x3FFFFFFF));
    EXPECT_FALSE(IsSystemResId(RESID_USER_LAST));
    EXPECT_EQ(MakeLanguageResId(45), 1045);

    TestNote unbound;
    EXPECT_EQ(unbound.GetType(), 0x67770000);
    unbound.m_unboundType = kWord;
    CMyCharRes text;
    EXPECT_EQ(text.GetType(), RESTYPE_STRING);
    CMyByteRes bytes;
    EXPECT_EQ(bytes.GetType(), 0);
}

TEST_F(ResourceHandleTest, ObjectsRoundTripThroughTheirRecords)
{
    int file = savedFileWithNote(11, 1234, QStringLiteral("h\u00e6j \u263a"));
    file = reopen(file);
    TestNote note;
    note.m_unboundType = kWord;
    ASSERT_EQ(note.LoadFrom(11, file), RES_OK);
    note.LoadDone();
    EXPECT_EQ(note.m_number, 1234);
    EXPECT_EQ(note.m_text, QStringLiteral("h\u00e6j \u263a"));
    EXPECT_FALSE(note.GetEntry()->HasData()); // the raw bytes left memory once loaded
    EXPECT_TRUE(note.IsLoaded());
    EXPECT_EQ(note.GetType(), kWord);
    EXPECT_EQ(note.GetFileName(), QStringLiteral("notes.tvf"));

    note.m_number = 99;
    ASSERT_EQ(note.Commit(), RES_OK);
    EXPECT_TRUE(note.IsChanged());
    EXPECT_EQ(note.FreeData(), RES_ERR_FREE_CHANGED);
    ASSERT_EQ(SaveResFile(file), RES_OK); // the object stores itself
    EXPECT_FALSE(note.IsChanged());
    file = reopen(file);
    EXPECT_EQ(note.GetFile(), 0); // the record stayed in memory for its handle
    TestNote again;
    again.m_unboundType = kWord;
    ASSERT_EQ(again.LoadFrom(11, file), RES_OK);
    EXPECT_EQ(again.m_number, 99);
}

TEST_F(ResourceHandleTest, FirstAccessOfAnAttachedRecordLoadsTheObject)
{
    int file = savedFileWithNote(3, 77, "lazy");
    file = reopen(file);
    TestNote note;
    ASSERT_EQ(AttachResource(&note, 3, kWord, file), RES_OK);
    EXPECT_EQ(note.m_number, 7);
    note.GetData();
    EXPECT_EQ(note.m_number, 77);
    EXPECT_EQ(note.m_text, "lazy");
}

TEST_F(ResourceHandleTest, ReadingTheBytesOfAnEditedObjectKeepsItsEditsForTheSave)
{
    int file = savedFileWithNote(5, 1, "stored");
    file = reopen(file);
    TestNote note;
    note.m_unboundType = kWord;
    ASSERT_EQ(note.LoadFrom(5, file), RES_OK);
    note.m_number = 2;
    note.m_text = QStringLiteral("edited");
    ASSERT_EQ(note.Commit(), RES_OK);

    // Someone asks for the size (and so the bytes) before the save.
    EXPECT_GT(note.GetSize(), 0);
    EXPECT_EQ(note.m_number, 2);
    EXPECT_EQ(note.m_text, "edited");
    EXPECT_TRUE(note.IsChanged());

    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    TestNote again;
    again.m_unboundType = kWord;
    ASSERT_EQ(again.LoadFrom(5, file), RES_OK);
    EXPECT_EQ(again.m_number, 2);
    EXPECT_EQ(again.m_text, "edited");

    // An explicit load still goes back to what is stored.
    again.m_number = 3;
    ASSERT_EQ(again.Commit(), RES_OK);
    ASSERT_EQ(again.Load(), RES_OK);
    EXPECT_EQ(again.m_number, 2);
    EXPECT_FALSE(again.IsChanged());
}

TEST_F(ResourceHandleTest, UnreadableBlobResetsTheObjectAndNeverThrows)
{
    int file = savedFileWithNote(5, 1, "fine");
    ASSERT_EQ(putRecord(file, kWord, 5, "\x01\x02"), RES_OK); // too short for the fields
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    TestNote note;
    note.m_unboundType = kWord;
    note.m_number = 500;
    note.m_text = "edited";
    EXPECT_EQ(note.LoadFrom(5, file), RES_ERR_BAD_FORMAT);
    EXPECT_EQ(note.GetLastError(), RES_ERR_BAD_FORMAT);
    EXPECT_EQ(note.m_number, 7);
    EXPECT_EQ(note.m_text, "default");
    EXPECT_TRUE(note.GetEntry()->HasData()); // the unreadable bytes are kept, not lost
}

TEST_F(ResourceHandleTest, UnboundAndOwnerlessHandlesAnswerWithCodes)
{
    TestNote note;
    EXPECT_EQ(note.LoadFrom(-1, -1), RES_ERR_NOT_FOUND);
    EXPECT_EQ(note.Load(), RES_ERR_NO_RECORD);
    EXPECT_EQ(note.Write(), RES_ERR_NO_RECORD);
    EXPECT_EQ(note.GetID(), 0);
    EXPECT_EQ(note.GetLastError(), RES_ERR_NO_RECORD);
    EXPECT_EQ(note.GetFile(), 0);
    EXPECT_FALSE(note.IsLoaded());
    EXPECT_EQ(note.GetLastError(), RES_ERR_NO_RECORD);
    EXPECT_FALSE(note.IsChanged());
    EXPECT_FALSE(note.IsNew());
    EXPECT_EQ(note.GetStoredSize(), -1);
    EXPECT_EQ(note.GetData(), nullptr);
    EXPECT_EQ(note.GetFreeId(0, 1), 0);
    EXPECT_TRUE(note.GetFileName().isEmpty());
    EXPECT_EQ(note.Remove(3, -1), RES_ERR_NO_RECORD);
    EXPECT_EQ(note.Remove(), RES_ERR_NO_RECORD);
    QString name = "x";
    EXPECT_EQ(note.GetName(name), RES_ERR_NO_RECORD);
    EXPECT_TRUE(name.isEmpty());

    OwnerlessHandle ownerless;
    EXPECT_EQ(ownerless.Create(), RES_ERR_NO_OWNER);
    EXPECT_EQ(ownerless.LoadFrom(1, 0), RES_ERR_NO_OWNER);
    EXPECT_EQ(ownerless.SaveAs(1, 0, 0), RES_ERR_NO_RECORD);

    ASSERT_EQ(note.Create(), RES_OK);
    EXPECT_TRUE(note.IsNew());
    EXPECT_EQ(note.Load(), RES_OK); // a record of no file has nothing to read
    EXPECT_EQ(note.SaveAs(1, 42, 0), RES_ERR_UNKNOWN_FILE);
}

TEST_F(ResourceHandleTest, SaveAsOnASharedRecordMovesOnlyThisHandle)
{
    int file = savedFileWithNote(1, 10, "shared");
    file = reopen(file);
    TestNote first, second;
    first.m_unboundType = kWord;
    ASSERT_EQ(first.LoadFrom(1, file), RES_OK);
    second = first;
    EXPECT_EQ(second, first);
    EXPECT_EQ(second.GetOwner(), &second);
    first.m_number = 20;
    ASSERT_EQ(first.SaveAs(2, -1, 0), RES_OK);
    EXPECT_EQ(first.m_number, 20); // the move did not reload the moving object
    EXPECT_NE(second, first);
    EXPECT_EQ(second.GetFile(), 0);
    EXPECT_EQ(second.GetID(), 1);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    TestNote check;
    check.m_unboundType = kWord;
    ASSERT_EQ(check.LoadFrom(2, file), RES_OK);
    EXPECT_EQ(check.m_number, 20);
    EXPECT_EQ(check.LoadFrom(1, file), RES_ERR_NOT_FOUND);

    TestNote copy(check);
    EXPECT_EQ(copy, check);
    EXPECT_EQ(copy.GetOwner(), &copy);
    ASSERT_EQ(check.Remove(), RES_OK);
    EXPECT_EQ(check.GetEntry(), nullptr);
    ASSERT_NE(copy.GetEntry(), nullptr); // the other handle keeps the record in memory, not dead space
    EXPECT_EQ(copy.GetFile(), 0);
    EXPECT_FALSE(ResourceExists(2, kWord, file));
}

// One owner stores a shared record: the first handle's. Committing puts the committing object first,
// so an object bound later (a finder's, not even loaded) never stores its content over the edit.
TEST_F(ResourceHandleTest, OnlyTheFirstHandlesOwnerStoresTheRecordAndCommittingComesFirst)
{
    int file = savedFileWithNote(1, 10, "one");
    file = reopen(file);
    TestNote older, newer;
    older.m_unboundType = kWord;
    ASSERT_EQ(older.LoadFrom(1, file), RES_OK);
    ASSERT_EQ(AttachResEntry(&newer, older.GetEntry()), RES_OK);
    EXPECT_EQ(older.GetEntry()->GetFirstHandle(), &newer);
    newer.m_number = 2;
    older.m_number = 1;
    ASSERT_EQ(older.Commit(), RES_OK);
    EXPECT_EQ(older.GetEntry()->GetFirstHandle(), &older);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    const auto storedNumber = [&file] {
        TestNote check;
        check.m_unboundType = kWord;
        EXPECT_EQ(check.LoadFrom(1, file), RES_OK);
        const int number = check.m_number;
        check.Detach();
        return number;
    };
    newer.Detach();
    older.Detach();
    file = reopen(file);
    EXPECT_EQ(storedNumber(), 1);

    ASSERT_EQ(older.LoadFrom(1, file), RES_OK);
    ASSERT_EQ(AttachResEntry(&newer, older.GetEntry()), RES_OK);
    newer.m_number = 2;
    older.m_number = 3;
    ASSERT_EQ(newer.Commit(), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    newer.Detach();
    older.Detach();
    file = reopen(file);
    EXPECT_EQ(storedNumber(), 2);
}

TEST_F(ResourceHandleTest, WriteStoresOneRecordNowAndTheNextSaveListsIt)
{
    int file = savedFileWithNote(1, 10, "one");
    file = reopen(file);
    TestNote note;
    note.m_unboundType = kWord;
    ASSERT_EQ(note.LoadFrom(1, file), RES_OK);
    const std::int64_t before = note.GetStoredSize();
    note.m_text = "a longer text than before";
    ASSERT_EQ(note.Commit(), RES_OK);
    ASSERT_EQ(note.Write(), RES_OK);
    EXPECT_FALSE(note.IsChanged());
    EXPECT_GT(note.GetStoredSize(), before);
    EXPECT_TRUE(IsResFileDirty(file));
    ASSERT_EQ(SaveResFile(file), RES_OK);
    note.Detach();
    file = reopen(file);
    ASSERT_EQ(note.LoadFrom(1, file), RES_OK);
    EXPECT_EQ(note.m_text, "a longer text than before");
    CTime stamp;
    ASSERT_EQ(GetResourceTime(&note, &stamp), RES_OK);
    EXPECT_GT(stamp.GetTime(), 1700000000);
}

TEST_F(ResourceHandleTest, WriteIntoAFileNeverWrittenCreatesItFirst)
{
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, tempPath("Words")), 0);
    TestNote note;
    ASSERT_EQ(note.Create(), RES_OK);
    note.m_number = 5;
    ASSERT_EQ(note.SaveAs(1, file, kWord), RES_OK);
    ASSERT_EQ(note.Write(), RES_OK);
    EXPECT_FALSE(IsResFileOpen(file));
    ASSERT_EQ(CompactResFile(file), RES_OK); // a name without extension compacts through "RMGRTMP"
    EXPECT_FALSE(QFileInfo::exists(tempPath("RMGRTMP")));
    note.Detach();
    file = reopen(file);
    note.m_unboundType = kWord;
    ASSERT_EQ(note.LoadFrom(1, file), RES_OK);
    EXPECT_EQ(note.m_number, 5);
}

TEST_F(ResourceHandleTest, TextResourcesStoreCharactersWithoutTerminator)
{
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, tempPath("text.tvf")), 0);
    CMyCharRes text;
    text.m_text = QStringLiteral("bl\u00e5b\u00e6r");
    ASSERT_EQ(text.SaveString(1, file), RES_OK);
    EXPECT_EQ(text.GetSize(), 6);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    text.Detach();
    ASSERT_EQ(putRecord(file, RESTYPE_STRING, 2, std::string("cut\0here", 8)), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    file = reopen(file);
    CMyCharRes loaded;
    ASSERT_EQ(loaded.LoadString(1, file), RES_OK);
    EXPECT_EQ(loaded.m_text, QStringLiteral("bl\u00e5b\u00e6r"));
    ASSERT_EQ(loaded.LoadString(2, file), RES_OK);
    EXPECT_EQ(loaded.m_text, "cut");
    EXPECT_EQ(loaded.LoadString(3, file), RES_ERR_NOT_FOUND);
    EXPECT_TRUE(loaded.m_text.isEmpty());

    loaded.m_text.clear(); // an emptied text is stored as an empty blob
    ASSERT_EQ(loaded.LoadFrom(1, file), RES_OK);
    ASSERT_EQ(loaded.SaveString(), RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    loaded.Detach();
    file = reopen(file);
    loaded.m_text = "x";
    ASSERT_EQ(loaded.LoadString(1, file), RES_OK);
    EXPECT_TRUE(loaded.m_text.isEmpty());
}

TEST_F(ResourceHandleTest, ByteResourcesExposeTheirBytes)
{
    CMyByteRes bytes;
    ASSERT_EQ(bytes.Create(), RES_OK);
    ASSERT_EQ(bytes.SetSize(4), RES_OK);
    EXPECT_EQ(bytes.SetByte(0xAB, 2), 0xAB);
    EXPECT_EQ(bytes.SetByte(0xCD, 9), 0xCD); // out of range: nothing written
    EXPECT_EQ(bytes.GetBytes()[2], 0xAB);
    EXPECT_TRUE(bytes.QuerySize());
    EXPECT_EQ(bytes.GetSize(), 4);
    ASSERT_EQ(bytes.SetName("raw"), RES_OK);
    QString name;
    ASSERT_EQ(bytes.GetName(name), RES_OK);
    EXPECT_EQ(name, "raw");
    EXPECT_EQ(bytes.GetFreeId(0, -5), 1);
    ASSERT_EQ(bytes.SetSize(0), RES_OK);
    EXPECT_EQ(bytes.GetBytes(), nullptr);
    EXPECT_EQ(theResMgr.GetBytesInMemory(), 0u);
}

} // namespace
