// A sentence's stream, its time gate and its copies.

#include "core/Sentence.h"
#include "core/IconShapes.h"
#include "platform/archive/MemFile.h"
#include "tests/support/LumivoTest.h"

namespace
{

QByteArray sentenceStream(CQuibSentence& sentence)
{
    CMemFile file;
    CArchive out(file, CArchive::store);
    sentence.Serialize(out);
    out.Close();
    return file.toByteArray();
}

void loadSentenceStamped(CQuibSentence& sentence, const QByteArray& bytes, const CTime& stamp)
{
    CMemFile file;
    file.Attach(bytes);
    CArchive in(file, CArchive::load);
    sentence.SerializeStamped(in, stamp);
}

} // namespace

class SentenceTest : public lumivo::test::LumivoTest
{
};

TEST_F(SentenceTest, EmptySentenceStoresFlagsTwoZeroCountsAndTheIntentionSign)
{
    CQuibSentence empty;
    EXPECT_EQ(sentenceStream(empty), QByteArray::fromHex("0000000000003c090000"));
}

TEST_F(SentenceTest, StreamRoundTripsAndOlderRecordsKeepTheDefaultSign)
{
    CQuibSentence sentence;
    sentence.SentenceFlags = 3;
    sentence.Words = {"I", "want", QString::fromUtf8("æble")};
    sentence.IntensionMarkerId = 17;
    sentence.Icons.push_back(std::make_unique<CQuibIcon_Ellipse>());
    sentence.Icons.back()->WordId = 42;
    const QByteArray bytes = sentenceStream(sentence);

    const CTimeSpan second(0, 0, 0, 1);
    CQuibSentence later;
    loadSentenceStamped(later, bytes, SentenceIntensionGate() + second);
    EXPECT_EQ(static_cast<const CQuibSentenceSettings&>(later),
              static_cast<const CQuibSentenceSettings&>(sentence));
    ASSERT_EQ(later.Icons.size(), 1u);
    EXPECT_EQ(later.Icons[0]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon_Ellipse));
    EXPECT_EQ(later.Icons[0]->WordId, 42);

    CQuibSentence old;
    old.IntensionMarkerId = 99;
    loadSentenceStamped(old, bytes.left(bytes.size() - 4), SentenceIntensionGate());
    EXPECT_EQ(old.IntensionMarkerId, kDefaultIntensionMarkerId);
    EXPECT_EQ(old.Words.size(), 3u);
}

TEST_F(SentenceTest, AssignedCopyOwnsIconsOfItsOwn)
{
    auto source = std::make_unique<CQuibSentence>();
    source->Words = {"ja"};
    source->Icons.push_back(std::make_unique<CQuibIcon_Ellipse>());
    CQuibSentence copy;
    copy.Assign(source.get());
    source.reset();
    ASSERT_EQ(copy.Icons.size(), 1u);
    EXPECT_EQ(copy.Icons[0]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon_Ellipse));
    EXPECT_EQ(copy.Words, std::vector<QString>{"ja"});
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Icons.empty());
    EXPECT_EQ(copy.IntensionMarkerId, kDefaultIntensionMarkerId);
}
