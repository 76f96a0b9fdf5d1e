// Finding stored items by id: the languages of the search list are the outer loop, the active files
// (from the last back to the first, or from a given object's file) the inner one.

#include "core/Lookups.h"
#include "core/Clip.h"
#include "core/ObjectIndex.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/UserLevel.h"
#include "core/Word.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <memory>
#include <vector>

using namespace lumivo::test;

namespace
{

constexpr std::int32_t kWordId = 4711;

// A page as the finders see it: any handle of a page record.
class TestPage : public CMyRes
{
public:
    TestPage() { m_owner = this; }
    std::int32_t GetType() const override { return m_entry ? m_entry->GetType() : RESTYPE_BG; }
};

// A record of any type, with a byte of content.
void storeRecord(std::int32_t id, int file, std::int32_t type)
{
    CMyByteRes raw;
    ASSERT_EQ(raw.Create(), 0);
    raw.SetSize(1);
    ASSERT_EQ(raw.SaveAs(id, file, type), 0);
    raw.Detach();
}

} // namespace

class LookupsTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_first = makeResourceFile(tempPath("first.tvf"));
        m_second = makeResourceFile(tempPath("second.tvf"));
        theActiveFiles = {m_first, m_second};
        theSearchLanguages = {1, 2};
    }

    // Stores a word named `name` under kWordId in the file and language.
    void storeWord(int file, std::uint16_t language, const QString& name)
    {
        auto word = std::make_unique<CQuibWord>();
        word->WordName = name;
        storeInFile(*word, kWordId, file, MakeWordType(static_cast<std::int16_t>(language)));
        m_stored.push_back(std::move(word));
    }

    static QString foundIn(const std::unique_ptr<CQuibWord>& word)
    {
        if (!word)
            return "none";
        return QString("file %1 language %2").arg(word->GetFile()).arg(GetWordTypeLanguage(word->GetType()));
    }

    int m_first = 0;
    int m_second = 0;
    std::vector<std::unique_ptr<CQuibWord>> m_stored;
};

TEST_F(LookupsTest, LaterLanguageIsFoundWhenTheFirstHasNothing)
{
    storeWord(m_first, 2, "language two");
    const auto word = FindWordById(kWordId);
    EXPECT_EQ(foundIn(word), QString("file %1 language 2").arg(m_first));
}

TEST_F(LookupsTest, LanguagesAreTheOuterLoop)
{
    storeWord(m_first, 1, "language one");
    storeWord(m_second, 2, "language two");
    EXPECT_EQ(foundIn(FindWordById(kWordId)), QString("file %1 language 1").arg(m_first));
}

TEST_F(LookupsTest, LaterFilesAreSearchedFirst)
{
    storeWord(m_first, 1, "older");
    storeWord(m_second, 1, "newer");
    EXPECT_EQ(foundIn(FindWordById(kWordId)), QString("file %1 language 1").arg(m_second));
}

TEST_F(LookupsTest, GivenObjectsFileHidesTheFilesBehindIt)
{
    storeWord(m_second, 1, "only in the second file");
    CQuibWord inFirst;
    storeInFile(inFirst, 99, m_first, MakeWordType(1));
    EXPECT_EQ(FindWordById(kWordId, &inFirst), nullptr);
    EXPECT_NE(FindWordById(kWordId), nullptr);

    // An object whose file is not active starts at the last file.
    const int other = makeResourceFile(tempPath("other.tvf"));
    CQuibWord elsewhere;
    storeInFile(elsewhere, 98, other, MakeWordType(1));
    EXPECT_EQ(foundIn(FindWordById(kWordId, &elsewhere)), QString("file %1 language 1").arg(m_second));
}

TEST_F(LookupsTest, FoundWordIsANewAttachedObject)
{
    storeWord(m_first, 1, "attached");
    const auto word = FindWordById(kWordId);
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->GetID(), kWordId);
    EXPECT_NE(word->GetEntry(), nullptr);
    EXPECT_NE(word.get(), m_stored.front().get());
}

TEST_F(LookupsTest, NothingWithoutActiveFilesOrForUnknownIds)
{
    storeWord(m_first, 1, "x");
    EXPECT_EQ(FindWordById(kWordId + 1), nullptr);
    theActiveFiles.clear();
    EXPECT_EQ(FindWordById(kWordId), nullptr);
}

TEST_F(LookupsTest, FileNumbersBelowOneAndTheSkippedFileAreLeftOut)
{
    theActiveFiles = {0, m_first, -3, m_second};
    EXPECT_EQ(FilesToSearch(nullptr), (std::vector<int>{m_second, m_first}));
    EXPECT_EQ(FilesToSearch(nullptr, m_second), (std::vector<int>{m_first}));
}

TEST_F(LookupsTest, SoundLanguagesAreCurrentSecondAndSystemEachOnce)
{
    theCurrentLanguage = 3;
    theSecondLanguage = 3;
    theLanguageNo = 1;
    EXPECT_EQ(SoundLanguageList(), (std::vector<std::uint16_t>{3, 1}));
    theCurrentLanguage = 0;
    theSecondLanguage = 2;
    EXPECT_EQ(SoundLanguageList(), (std::vector<std::uint16_t>{2, 1}));
}

TEST_F(LookupsTest, UserLevelsAreFoundInTheSearchLanguages)
{
    CQuibUserLevel level;
    level.Name = "Level 5";
    storeInFile(level, 5, m_first, MakeUserLevelType(0, 2));
    const auto found = FindUserLevelById(5);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetType(), MakeUserLevelType(0, 2));
    EXPECT_EQ(FindUserLevelById(6), nullptr);
}

TEST_F(LookupsTest, PagesOfTheSkippedFileAreLeftOut)
{
    storeRecord(12, m_second, MakeBgType(1, 1));
    storeRecord(12, m_first, MakeBgType(1, 2));
    storeRecord(12, m_first, MakeBgType(2, 1)); // another kind
    const auto page = FindBackgroundById<TestPage>(12, 1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetFile(), m_second);
    const auto skipping = FindBackgroundById<TestPage>(12, 1, nullptr, m_second);
    ASSERT_NE(skipping, nullptr);
    EXPECT_EQ(skipping->GetFile(), m_first);
    EXPECT_EQ(skipping->GetType(), MakeBgType(1, 2));
}

TEST_F(LookupsTest, MediaFindersUseTheirOwnTypesAndSoundsTheirOwnLanguages)
{
    storeRecord(20, m_first, MakePictType(3, 2));
    storeRecord(21, m_first, MakeAviType(0, 1));
    storeRecord(22, m_first, MakeSoundType(1, 5));
    EXPECT_NE(FindPictureById<TestPage>(20, 3), nullptr);
    EXPECT_EQ(FindPictureById<TestPage>(20, 4), nullptr);
    EXPECT_NE(FindAviById<TestPage>(21, 0), nullptr);
    // Language 5 is no search language, but it is the system language of the sound finder.
    EXPECT_EQ(FindSoundById<TestPage>(22, 1), nullptr);
    theLanguageNo = 5;
    EXPECT_NE(FindSoundById<TestPage>(22, 1), nullptr);

    // The program's own media classes.
    const std::unique_ptr<CQuibPict> picture = FindPictureById(20, 3);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetType(), MakePictType(3, 2));
    EXPECT_NE(FindSoundById(22, 1), nullptr);
    EXPECT_NE(FindAviById(21, 0), nullptr);
}

TEST_F(LookupsTest, LoadedPageComesFromThePageIndexInSearchOrder)
{
    auto indexPage = [&](std::int32_t id, int file, std::int16_t language) {
        auto page = std::make_unique<TestPage>();
        EXPECT_EQ(page->SaveAs(id, file, MakeBgType(1, language)), 0);
        TestPage* indexed = page.get();
        theBgIndex.Add(std::move(page));
        return indexed;
    };
    TestPage* firstFileLanguageOne = indexPage(40, m_first, 1);
    TestPage* secondFileLanguageTwo = indexPage(40, m_second, 2);
    EXPECT_EQ(FindLoadedBackground<TestPage>(40), firstFileLanguageOne);
    TestPage* secondFileLanguageOne = indexPage(40, m_second, 1);
    EXPECT_EQ(FindLoadedBackground<TestPage>(40), secondFileLanguageOne);
    EXPECT_EQ(FindLoadedBackground<TestPage>(40, 0, m_second), firstFileLanguageOne);
    EXPECT_NE(secondFileLanguageTwo, nullptr);
    EXPECT_EQ(FindLoadedBackground<TestPage>(41), nullptr);
    theBgIndex.DeleteAll();
}
