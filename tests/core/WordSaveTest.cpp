// Saving an edited word where the user's changes belong, and removing a word: the questions asked and
// what ends up in which file and in the word index.

#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <memory>
#include <string>
#include <vector>

using namespace lumivo::test;
using namespace lumivo::ui;

namespace
{

constexpr std::int32_t kWordId = 31;
constexpr std::uint16_t kLanguage = 1;

QString storedName(std::int32_t id, int file, std::uint16_t language = kLanguage)
{
    CQuibWord word;
    if (AttachResource(&word, id, MakeWordType(std::int16_t(language)), file) != 0)
        return "none";
    word.Load();
    return word.WordName;
}

} // namespace

class WordSaveTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_dataFile = makeResourceFile(tempPath("data.tvf"));
        CQuibWord original;
        original.WordName = "hus";
        storeInFile(original, kWordId, m_dataFile, MakeWordType(kLanguage));
        m_dataFile = saveAndReopen(m_dataFile);

        m_userFile = makeResourceFile(tempPath("user.tvf"));
        m_user = std::make_unique<CQuibUser>();
        m_user->PrimaryLanguage = kLanguage;
        storeInFile(*m_user, 1234, m_userFile, CQuibUser::kType);
        theCurrentUser = m_user.get();

        // The data-file word, filed in the index as the index builder does, then edited.
        auto word = std::make_unique<CQuibWord>();
        m_word = word.get();
        ASSERT_EQ(AttachResource(m_word, kWordId, MakeWordType(kLanguage), m_dataFile), 0);
        m_word->Load();
        theWordIndex.Add(std::move(word));
        theWordIndex.Names().InsertSorted(m_word->WordName, m_word);
        m_word->WordName = "huse";
        m_word->Commit();
    }

    void TearDown() override
    {
        theWordIndex.DeleteAll();
        LumivoTest::TearDown();
    }

    // Puts a word of the user's own under kWordId into the user file.
    void storeUserCopy(const char* name)
    {
        m_userCopy = std::make_unique<CQuibWord>();
        m_userCopy->WordName = QString::fromLatin1(name);
        storeInFile(*m_userCopy, kWordId, m_userFile, MakeWordType(kLanguage));
        m_userCopy->Write();
    }

    int m_dataFile = 0;
    int m_userFile = 0;
    std::unique_ptr<CQuibUser> m_user;
    std::unique_ptr<CQuibWord> m_userCopy;
    CQuibWord* m_word = nullptr; // owned by the index
};

TEST_F(WordSaveTest, UnchangedWordAsksNothing)
{
    ScopedAnswerer answerer;
    m_word->Load();
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, true));
    EXPECT_TRUE(answerer.questions().empty());
}

TEST_F(WordSaveTest, CancelKeepsTheEdit)
{
    ScopedAnswerer answerer;
    answerer.reply(IDCANCEL);
    EXPECT_FALSE(CQuibWord::SaveChanges(m_word, true));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].flags & MB_TYPEMASK, MB_YESNOCANCEL);
    EXPECT_TRUE(answerer.questions()[0].text.startsWith("Save the changes to this word"));
    EXPECT_EQ(m_word->WordName, "huse");
    EXPECT_TRUE(m_word->IsChanged());
}

TEST_F(WordSaveTest, NoDropsTheEditOfAStoredWord)
{
    ScopedAnswerer answerer;
    answerer.reply(IDNO);
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, true));
    EXPECT_EQ(m_word->WordName, "hus");
    EXPECT_EQ(storedName(kWordId, m_userFile), "none");
}

TEST_F(WordSaveTest, YesCopiesADataFileWordIntoTheUserFile)
{
    ScopedAnswerer answerer;
    answerer.reply(IDYES);
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, true));
    EXPECT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(storedName(kWordId, m_userFile), "huse");
    EXPECT_EQ(m_word->WordName, "hus"); // the data-file word is loaded again
    EXPECT_EQ(storedName(kWordId, m_dataFile), "hus");

    auto* copy = static_cast<CQuibWord*>(theWordIndex.Find(m_userFile, kLanguage, kWordId));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->WordName, "huse");
    EXPECT_GE(theWordIndex.Names().Find("huse"), 0);
}

TEST_F(WordSaveTest, WithoutAskingTheAnswerIsYes)
{
    ScopedAnswerer answerer;
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, false));
    EXPECT_TRUE(answerer.questions().empty());
    EXPECT_EQ(storedName(kWordId, m_userFile), "huse");
}

TEST_F(WordSaveTest, ExistingUserCopyAnsweredNoKeepsBoth)
{
    storeUserCopy("mine");
    ScopedAnswerer answerer;
    answerer.reply(IDYES).reply(IDNO);
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, true));
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_TRUE(answerer.questions()[1].text.startsWith("The word already exist in the user/output file!"));
    EXPECT_EQ(storedName(kWordId, m_userFile), "mine");
    EXPECT_EQ(m_word->WordName, "huse"); // nothing saved, nothing dropped
}

TEST_F(WordSaveTest, ExistingUserCopyAnsweredCancelRefuses)
{
    storeUserCopy("mine");
    ScopedAnswerer answerer;
    answerer.reply(IDYES).reply(IDCANCEL);
    EXPECT_FALSE(CQuibWord::SaveChanges(m_word, true));
    EXPECT_EQ(storedName(kWordId, m_userFile), "mine");
}

TEST_F(WordSaveTest, ExistingUserCopyAnsweredYesIsReplaced)
{
    storeUserCopy("mine");
    ScopedAnswerer answerer;
    answerer.reply(IDYES).reply(IDYES);
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, true));
    EXPECT_EQ(storedName(kWordId, m_userFile), "huse");
}

TEST_F(WordSaveTest, OutputFileTakesTheWordInItsLanguage)
{
    const int output = makeResourceFile(tempPath("output.tvf"));
    theOutputFile = output;
    theTranslateLanguage = 2;
    ScopedAnswerer answerer;
    EXPECT_TRUE(CQuibWord::SaveChanges(m_word, false));
    EXPECT_EQ(storedName(kWordId, output, 2), "huse");
    EXPECT_EQ(storedName(kWordId, m_userFile), "none");
}

TEST_F(WordSaveTest, CopyThatCannotBePlacedKeepsTheEdit)
{
    theOutputFile = 999; // an output file number that no open file has
    theTranslateLanguage = kLanguage;
    ScopedAnswerer answerer;
    EXPECT_FALSE(CQuibWord::SaveChanges(m_word, false));
    EXPECT_EQ(m_word->WordName, "huse");
    EXPECT_TRUE(m_word->IsChanged());
    EXPECT_EQ(theWordIndex.Find(999, kLanguage, kWordId), nullptr);
    EXPECT_EQ(theWordIndex.GetCount(), 1u);
}

TEST_F(WordSaveTest, WordOfTheTargetFileIsSavedInPlace)
{
    storeUserCopy("mine");
    CQuibWord* own = m_userCopy.get();
    theWordIndex.Add(std::move(m_userCopy));
    own->WordName = "mine too";
    own->Commit();
    EXPECT_TRUE(CQuibWord::SaveChanges(own, false));
    EXPECT_EQ(storedName(kWordId, m_userFile), "mine too");
    EXPECT_EQ(theWordIndex.Find(m_userFile, kLanguage, kWordId), own);
}

TEST_F(WordSaveTest, NewWordAnsweredNoIsRemovedWithoutAsecondQuestion)
{
    auto made = std::make_unique<CQuibWord>();
    CQuibWord* fresh = made.get();
    fresh->WordName = "ny";
    storeInFile(*fresh, 77, m_userFile, MakeWordType(kLanguage));
    theWordIndex.Add(std::move(made));
    ASSERT_TRUE(fresh->IsNew());
    ScopedAnswerer answerer;
    answerer.reply(IDNO);
    EXPECT_TRUE(CQuibWord::SaveChanges(fresh, true));
    EXPECT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(theWordIndex.Find(m_userFile, kLanguage, 77), nullptr);
    EXPECT_FALSE(ResourceExists(77, MakeWordType(kLanguage), m_userFile));
}

// The name list feeds the word combo box: a word saved again is listed once, under its new name.
TEST_F(WordSaveTest, WordSavedAgainIsListedOnceUnderItsNewName)
{
    SaveWord(m_word);
    m_word->WordName = "huset";
    SaveWord(m_word);
    ASSERT_EQ(theWordIndex.Names().GetSize(), 1);
    EXPECT_EQ(theWordIndex.Names().GetString(0), "huset");
    EXPECT_EQ(theWordIndex.Find(m_dataFile, kLanguage, kWordId), m_word);
}

// Only the index deletes what it held: a word the caller owns loses its record and nothing else.
TEST_F(WordSaveTest, RemovingAWordTheCallerOwnsLeavesTheObjectToTheCaller)
{
    storeUserCopy("egen");
    EXPECT_TRUE(CQuibWord::Remove(m_userCopy.get(), false));
    EXPECT_FALSE(ResourceExists(kWordId, MakeWordType(kLanguage), m_userFile));
    EXPECT_EQ(m_userCopy->WordName, "egen");
    EXPECT_EQ(theWordIndex.GetCount(), 1u);
}

TEST_F(WordSaveTest, RemoveAsksAndTellsTheOpenEditor)
{
    ScopedAnswerer answerer;
    answerer.reply(IDCANCEL);
    EXPECT_FALSE(CQuibWord::Remove(m_word, true));
    EXPECT_NE(theWordIndex.Find(m_dataFile, kLanguage, kWordId), nullptr);

    std::vector<std::string> calls;
    theWordEditorFrame = reinterpret_cast<CQuibW_Frame*>(&calls); // any non-null frame: the editor is open
    const auto frame = theWordEditorFrameSelectWordHook.scoped(
        [&](CQuibWord* word) { calls.push_back(word ? "frame word" : "frame none"); });
    const auto tree = theWordEditorTreeSelectWordHook.scoped(
        [&](CQuibWord* word) { calls.push_back(word == m_word ? "tree removed word" : "tree other"); });
    const auto setChanged = theWordEditorSetChangedHook.scoped(
        [&](bool changed) { calls.push_back(changed ? "changed" : "unchanged"); });
    const auto current = theWordEditorSetCurrentWordHook.scoped(
        [&](CQuibWord* word) { calls.push_back(word ? "current word" : "current none"); });
    answerer.reply(IDOK);
    EXPECT_TRUE(CQuibWord::Remove(m_word, true));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"unchanged", "frame none", "tree removed word", "current none"}));
    EXPECT_EQ(theWordIndex.Find(m_dataFile, kLanguage, kWordId), nullptr);
    EXPECT_FALSE(ResourceExists(kWordId, MakeWordType(kLanguage), m_dataFile));
    EXPECT_EQ(answerer.questions().back().flags & MB_TYPEMASK, MB_OKCANCEL);
}

TEST_F(WordSaveTest, IndexRebuildLoadsTheWordsOfTheActiveFiles)
{
    theWordIndex.DeleteAll();
    theActiveFiles = {m_dataFile};
    theCurrentLanguage = kLanguage;
    CQuibObjIndex::LoadWords();
    auto* word = static_cast<CQuibWord*>(theWordIndex.Find(m_dataFile, kLanguage, kWordId));
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->WordName, "hus");
    EXPECT_EQ(theWordIndex.Names().Find("hus"), 0);
}
