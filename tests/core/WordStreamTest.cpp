// The word's stream, its time gate, and the text a word shows.

#include "core/Word.h"
#include "platform/archive/Archive.h"
#include "platform/archive/MemFile.h"
#include "tests/support/LumivoTest.h"

namespace
{

QByteArray storeWord(CQuibWord& word)
{
    CMemFile file;
    CArchive out(file, CArchive::store);
    word.Serialize(out);
    out.Close();
    return file.toByteArray();
}

void loadWord(CQuibWord& word, const QByteArray& bytes, const CTime& stamp)
{
    CMemFile file;
    file.Attach(bytes);
    CArchive in(file, CArchive::load);
    word.SerializeStamped(in, stamp);
}

} // namespace

class WordStreamTest : public lumivo::test::LumivoTest
{
};

TEST_F(WordStreamTest, EmptyListsStoreTwoZeroCountsAndReadBackEqual)
{
    CQuibWord word;
    word.WordName = "is";
    word.WordForm = 0x0102;
    const QByteArray bytes = storeWord(word);
    // "is" (length byte + 2), form, two zero counts, empty description, flags.
    EXPECT_EQ(bytes, QByteArray::fromHex("026973020100000000000000"));

    CQuibWord loaded;
    loadWord(loaded, bytes, CTime::GetCurrentTime());
    EXPECT_EQ(loaded.WordName, "is");
    EXPECT_EQ(loaded.WordForm, 0x0102);
    EXPECT_TRUE(loaded.FamilyList.empty());
    EXPECT_TRUE(loaded.SynonymList.empty());
}

TEST_F(WordStreamTest, EveryFieldRoundTrips)
{
    CQuibWord word;
    word.WordName = QString::fromUtf8("løbe#2");
    word.WordForm = 0x0301;
    word.FamilyList = {10, 11, 1000000012};
    word.SynonymList = {7};
    word.WordDescription = "to run";
    word.WordFlags = 0x0004;
    CQuibWord loaded;
    loaded.WordDescription = "stale";
    loadWord(loaded, storeWord(word), CTime::GetCurrentTime());
    EXPECT_EQ(loaded.WordName, word.WordName);
    EXPECT_EQ(loaded.FamilyList, word.FamilyList);
    EXPECT_EQ(loaded.SynonymList, word.SynonymList);
    EXPECT_EQ(loaded.WordDescription, "to run");
    EXPECT_EQ(loaded.WordFlags, 0x0004);
}

TEST_F(WordStreamTest, RecordUpToTheGateHoldsNameAndFormOnly)
{
    CQuibWord word;
    word.WordName = "old";
    word.WordForm = 3;
    CMemFile file;
    CArchive out(file, CArchive::store);
    out << word.WordName << word.WordForm;
    out.Close();

    CQuibWord loaded;
    loaded.FamilyList = {1};
    loaded.WordDescription = "stale";
    loaded.WordFlags = 9;
    loadWord(loaded, file.toByteArray(), WordStreamGate());
    EXPECT_EQ(loaded.WordName, "old");
    EXPECT_EQ(loaded.WordForm, 3);
    EXPECT_TRUE(loaded.FamilyList.empty()); // loading starts from an empty word
    EXPECT_TRUE(loaded.WordDescription.isEmpty());
    EXPECT_EQ(loaded.WordFlags, 0);

    // One second later the lists are expected and a short record is an error.
    CQuibWord strict;
    EXPECT_ANY_THROW(loadWord(strict, file.toByteArray(), WordStreamGate() + CTimeSpan(1)));
}

TEST_F(WordStreamTest, DisplayTextFlags)
{
    const QString name = QString::fromUtf8("hus\u00B7e#2\u00AD");
    EXPECT_EQ(WordDisplayText(name, 0), name);
    EXPECT_EQ(WordDisplayText(name, kWordTextCutSuffix), QString::fromUtf8("hus\u00B7e"));
    EXPECT_EQ(WordDisplayText(name, kWordTextDropLayoutChars), "huse#2");
    EXPECT_EQ(WordDisplayText(name, kWordTextCutSuffix | kWordTextDropLayoutChars), "huse");
    EXPECT_EQ(WordDisplayText("no suffix", kWordTextCutSuffix), "no suffix");
    EXPECT_EQ(WordDisplayText(QString::fromUtf8("a\nb\rc\u00ACd"), kWordTextDropLayoutChars), "abcd");
    EXPECT_EQ(WordDisplayText("#all", kWordTextCutSuffix), "");

    CQuibWord word;
    word.WordName = "bil#car";
    EXPECT_EQ(word.GetDisplayText(1), "bil");
}

TEST_F(WordStreamTest, UnboundWordReportsTheBareType)
{
    CQuibWord word;
    EXPECT_EQ(static_cast<std::uint32_t>(word.GetType()), 0x67770000u);
    EXPECT_EQ(GetWordTypeLanguage(0x67772712), 0x12);
}
