// The word editor with real files: who may open it, the options it keeps, what its list shows, its save
// question and the selection it refuses, new and removed words, copies into the user's and the output
// file, a word that cannot be written, and what it offers the rest of the program.

#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordSheetView.h"
#include "authoring/WordTreeView.h"

#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "store/Registry.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WordTestFiles.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::IDCANCEL;
using lumivo::ui::IDNO;
using lumivo::ui::IDOK;
using lumivo::ui::IDYES;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = WordEditorFixture::kUserLanguage;

class WordEditorTest : public WordEditorFixture
{
protected:
    static std::optional<bool> enabled(CQuibW_Frame& frame, int id)
    {
        lumivo::ui::CommandUpdate update(id);
        frame.OnCommand(id, lumivo::ui::kUpdateCommand, &update);
        return update.enabled();
    }

    static std::optional<bool> checked(CQuibW_Frame& frame, int id)
    {
        lumivo::ui::CommandUpdate update(id);
        frame.OnCommand(id, lumivo::ui::kUpdateCommand, &update);
        return update.checked();
    }
};

// The same on a disk that fills up (in place before the set-up opens the user's file).
class WordEditorOnFullDiskTest : public WordEditorTest
{
protected:
    FullDisk m_disk;
};

} // namespace

TEST_F(WordEditorTest, WithoutAUserOrASpecificLanguageNothingOpens)
{
    theCurrentUser = nullptr;
    {
        ScopedAnswerer answerer;
        theOpenWordEditorHook();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9022));
    }
    EXPECT_EQ(theWordEditorFrame, nullptr);
    m_user->user->PrimaryLanguage = 1;
    theCurrentUser = m_user->user.get();
    {
        ScopedAnswerer answerer;
        OpenWordEditor();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9023));
    }
    EXPECT_EQ(theWordEditorFrame, nullptr);
}

TEST_F(WordEditorTest, OptionsZeroBecomeCropAndAutoPlayAtOnceAndCropAndResizeExcludeEachOther)
{
    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(kSettingsRoot));
    SetSystemSettingWord(QString::fromLatin1(kEditorParamsValue), 0);
    CQuibW_Frame& frame = openWordEditor();
    EXPECT_EQ(frame.Options(), 5);
    EXPECT_EQ(ReadEditorParams(0xFFFF), 5) << "stored at once, before the editor closes";

    frame.Execute(kWordResizeOnImport);
    EXPECT_EQ(frame.Options() & 3, kWordOptionResize);
    frame.Execute(kWordResizeOnImport); // already chosen: stays chosen
    EXPECT_EQ(frame.Options() & 3, kWordOptionResize);
    EXPECT_EQ(checked(frame, kWordCropOnImport), false);
    frame.Execute(kWordBaseFormsOnly);
    EXPECT_TRUE(frame.ListIsStale()) << "a filter change waits for the rebuild";
    EXPECT_EQ(enabled(frame, kWordRebuildList), true);
    frame.Execute(kWordRebuildList);
    EXPECT_EQ(enabled(frame, kWordRebuildList), false);
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(ReadEditorParams(0), kWordOptionResize | kWordOptionAutoPlay | kWordFilterBaseForms);
    EXPECT_EQ(theWordEditorFrame, nullptr);
}

TEST_F(WordEditorTest, TheListGroupsByLetterAndBoldsTheEditorsOwnWords)
{
    const int data = dataFile("data.tvf");
    fileWord(userFile(), 10, kLanguage, "bil");
    fileWord(userFile(), 11, kLanguage, "Bus");
    fileWord(userFile(), 12, kLanguage, "");
    fileWord(data, 11, kLanguage, "Bus");
    fileWord(data, 13, kLanguage + 1, "other language");

    CQuibW_Frame& frame = openWordEditor();
    CQuibW_TreeView& tree = frame.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "-");
    EXPECT_EQ(namesUnder(tree, 0), QStringList{"-"}) << "an empty name shows as -";
    EXPECT_EQ(tree.topLevelItem(1)->text(0), "B");
    EXPECT_EQ(namesUnder(tree, 1), (QStringList{"bil", "Bus"})) << "bil and Bus share the letter B";

    frame.Execute(kWordShowDataFiles);
    EXPECT_EQ(tree.topLevelItem(1)->childCount(), 2) << "listed again only by the rebuild";
    frame.Execute(kWordRebuildList);
    const QTreeWidgetItem* b = tree.topLevelItem(1);
    ASSERT_EQ(b->childCount(), 3) << "the word of both files is listed twice";
    int bold = 0;
    for (int child = 0; child < b->childCount(); ++child) {
        const CQuibWord* word = CQuibW_TreeView::WordOf(b->child(child));
        EXPECT_EQ(b->child(child)->font(0).bold(), const_cast<CQuibWord*>(word)->GetFile() == userFile());
        bold += b->child(child)->font(0).bold();
    }
    EXPECT_EQ(bold, 2);
}

TEST_F(WordEditorTest, CancelAtTheSaveQuestionKeepsTheWordAndNoReadsItBack)
{
    CQuibWord* first = fileWord(userFile(), 10, kLanguage, "first");
    CQuibWord* second = fileWord(userFile(), 11, kLanguage, "second");
    CQuibW_Frame& frame = openWordEditor();
    ASSERT_TRUE(frame.SelectWord(first));
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "nothing to save before an edit";
    typeName(frame, "first edited");
    EXPECT_TRUE(frame.View().OkButton().isEnabled());
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.Tree().setCurrentItem(frame.Tree().FindWordItem(second));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9004));
    }
    EXPECT_EQ(frame.CurrentWord(), first);
    EXPECT_EQ(CQuibW_TreeView::WordOf(frame.Tree().currentItem()), first) << "the old selection stays";
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.RebuildWordList();
    }
    EXPECT_EQ(frame.CurrentWord(), first) << "a refused rebuild changes nothing";
    {
        ScopedAnswerer answerer;
        answerer.reply(IDNO);
        frame.Tree().setCurrentItem(frame.Tree().FindWordItem(second));
    }
    EXPECT_EQ(frame.CurrentWord(), second);
    EXPECT_EQ(first->WordName, "first") << "No reads the word back";

    typeName(frame, "second edited");
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        EXPECT_FALSE(theQueryCloseWordEditorHook(true));
        EXPECT_EQ(answerer.questions().size(), 1u) << "the question is asked once";
        answerer.reply(IDCANCEL);
        EXPECT_FALSE(frame.close()) << "Cancel keeps the window open";
    }
    frame.View().OkButton().click();
    EXPECT_EQ(second->WordName, "second edited");
    EXPECT_NE(frame.Tree().FindWordItem(second), nullptr);
}

TEST_F(WordEditorTest, ANewWordIsListedAtItsFirstSaveAndCancelOrAFailedIdLeavesNoRecord)
{
    const std::int32_t type = MakeWordType(kLanguage);
    CQuibW_Frame& frame = openWordEditor();
    frame.Execute(kWordNewWord);
    ASSERT_NE(frame.CurrentWord(), nullptr);
    EXPECT_EQ(countRecords(userFile(), type), 1);
    EXPECT_TRUE(IsSystemItem(frame.CurrentWord()->GetID())) << "editing makes system items";
    typeName(frame, "unwanted");
    frame.View().CancelButton().click();
    EXPECT_EQ(frame.CurrentWord(), nullptr);
    EXPECT_EQ(countRecords(userFile(), type), 0);

    frame.Execute(kWordNewWord);
    frame.Execute(kWordNewWord); // the first, left unedited, goes again
    EXPECT_EQ(countRecords(userFile(), type), 1);
    typeName(frame, "kage");
    frame.View().OkButton().click();
    CQuibWord* made = frame.CurrentWord();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(theWordIndex.Contains(made));
    EXPECT_EQ(made->WordName, "kage");
    EXPECT_EQ(frame.Tree().currentItem(), frame.Tree().FindWordItem(made));

    const auto noId = theItemIdRandomHook.scoped([](std::int32_t, std::int32_t last) { return last + 1; });
    ScopedAnswerer answerer;
    ASSERT_TRUE(frame.SelectWord(nullptr));
    frame.Execute(kWordNewWord);
    EXPECT_EQ(frame.CurrentWord(), nullptr);
    EXPECT_EQ(countRecords(userFile(), type), 1) << "no record without an id";
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9862));
}

TEST_F(WordEditorTest, AShadowedDataFileWordIsViewedOnlyAndEditGoesToTheCopy)
{
    const int data = dataFile("data.tvf");
    CQuibWord* shared = fileWord(data, 30, kLanguage, "hus");
    CQuibWord* own = fileWord(userFile(), 30, kLanguage, "hus");
    CQuibWord* free = fileWord(data, 31, kLanguage, "have");
    CQuibW_Frame& frame = openWordEditor();
    frame.Execute(kWordShowDataFiles);
    frame.Execute(kWordRebuildList);
    ASSERT_TRUE(frame.SelectWord(shared));
    EXPECT_FALSE(frame.IsEditable());
    EXPECT_FALSE(frame.View().Sheet().BasicPage().NameEdit()->isEnabled());
    EXPECT_EQ(enabled(frame, kWordRemoveWord), false);
    EXPECT_TRUE(frame.View().EditButton().isEnabled());
    frame.View().EditButton().click();
    EXPECT_EQ(frame.CurrentWord(), own);
    EXPECT_TRUE(frame.IsEditable());
    EXPECT_FALSE(frame.View().EditButton().isEnabled());

    // A data file's word without a copy can be edited; saving it makes the copy in the user's file.
    ASSERT_TRUE(frame.SelectWord(free));
    EXPECT_TRUE(frame.IsEditable());
    typeName(frame, "haven");
    frame.View().OkButton().click();
    EXPECT_TRUE(ResourceExists(31, MakeWordType(kLanguage), userFile()));
    auto* copy = static_cast<CQuibWord*>(theWordIndex.Find(userFile(), kLanguage, 31));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->WordName, "haven");
    EXPECT_EQ(frame.CurrentWord(), copy) << "the editor goes on with the copy";
    EXPECT_EQ(free->WordName, "have") << "the data file keeps its word";
}

TEST_F(WordEditorTest, WithAnOutputFileOpenSavingADataFileWordCopiesItThere)
{
    const int data = dataFile("data.tvf");
    CQuibWord* word = fileWord(data, 40, kLanguage, "sol");
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    theTranslateLanguage = kLanguage;
    CQuibW_Frame& frame = openWordEditor();
    EXPECT_EQ(frame.SheetFile(), theOutputFile);
    ASSERT_TRUE(frame.SelectWord(word));
    typeName(frame, "solen");
    frame.View().OkButton().click();
    EXPECT_TRUE(ResourceExists(40, MakeWordType(kLanguage), theOutputFile));
    EXPECT_FALSE(ResourceExists(40, MakeWordType(kLanguage), userFile()));
    EXPECT_EQ(word->WordName, "sol");
}

TEST_F(WordEditorTest, RemovingEveryListedWordLeavesTheDataFilesWords)
{
    const int data = dataFile("data.tvf");
    fileWord(userFile(), 50, kLanguage, "en");
    fileWord(userFile(), 51, kLanguage, "to");
    fileWord(data, 52, kLanguage, "tre");
    CQuibW_Frame& frame = openWordEditor();
    frame.Execute(kWordShowDataFiles);
    frame.Execute(kWordRebuildList);
    EXPECT_EQ(frame.ForEachListedWord(), 3);
    ScopedAnswerer answerer;
    frame.Execute(kWordRemoveListed);
    ASSERT_EQ(answerer.questions().size(), 1u) << "nothing is asked before";
    EXPECT_EQ(answerer.questions()[0].text, "Removed 2 words.");
    EXPECT_EQ(countRecords(userFile(), MakeWordType(kLanguage)), 0);
    EXPECT_EQ(countRecords(data, MakeWordType(kLanguage)), 1) << "a data file's word is never deleted";
    EXPECT_EQ(frame.ForEachListedWord(), 1);
}

TEST_F(WordEditorTest, RemoveAsksAndTakesTheWordOutOfTheFileTheIndexAndTheList)
{
    CQuibWord* word = fileWord(userFile(), 60, kLanguage, "væk");
    CQuibW_Frame& frame = openWordEditor();
    ASSERT_TRUE(frame.SelectWord(word));
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.Execute(kWordRemoveWord);
        EXPECT_EQ(answerer.questions().at(0).text, LoadSystemString(9017));
    }
    EXPECT_EQ(frame.CurrentWord(), word);
    {
        ScopedAnswerer answerer;
        answerer.reply(IDOK);
        frame.Execute(kWordRemoveWord);
    }
    EXPECT_EQ(frame.CurrentWord(), nullptr);
    EXPECT_EQ(frame.ForEachListedWord(), 0);
    EXPECT_EQ(theWordIndex.Find(userFile(), kLanguage, 60), nullptr);
    EXPECT_EQ(countRecords(userFile(), MakeWordType(kLanguage)), 0);
}

TEST_F(WordEditorTest, OpeningAgainDoesNotRebuildAndTheFiltersHideWhatTheyName)
{
    fileWord(userFile(), 70, kLanguage, "løbe", 0x2100);
    fileWord(userFile(), 71, kLanguage, "løb", 0x2300);
    fileWord(userFile(), 72, kLanguage, "og", 0);
    CQuibW_Frame& frame = openWordEditor();
    EXPECT_EQ(frame.ForEachListedWord(), 3);
    fileWord(userFile(), 73, kLanguage, "ny");
    OpenWordEditor();
    EXPECT_EQ(frame.ForEachListedWord(), 3) << "a second open only shows the window";

    frame.Execute(kWordBaseFormsOnly);
    frame.Execute(kWordRebuildList);
    EXPECT_EQ(frame.ForEachListedWord(), 1) << "the base form alone";
    frame.Execute(kWordBaseFormsOnly);
    frame.Execute(kWordWithoutForm);
    frame.Execute(kWordRebuildList);
    EXPECT_EQ(frame.ForEachListedWord(), 2) << "the words of class 0";
}

TEST_F(WordEditorTest, TheImportsOfTheSpecialMenuGoToTheOutputFileCommandsInTranslationMode)
{
    std::vector<UINT> asked;
    const auto commands =
        theOutputFileCommandHook.scoped([&](UINT id, int code, lumivo::ui::CommandUpdate* update) {
            if (code == lumivo::ui::kUpdateCommand && update)
                update->enable(true);
            else
                asked.push_back(id);
            return true;
        });
    CQuibW_Frame& frame = openWordEditor();
    EXPECT_EQ(enabled(frame, kWordImportPictures), false) << "editing: not offered";
    EXPECT_EQ(enabled(frame, kWordImportNames), false);
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    theTranslateLanguage = kLanguage;
    theOpenWordEditorForTranslationHook();
    EXPECT_EQ(enabled(frame, kWordImportSounds), true);
    EXPECT_EQ(enabled(frame, kWordImportNames), true);
    frame.Execute(kWordImportClips);
    EXPECT_EQ(asked, std::vector<UINT>{5068});
    EXPECT_FALSE(frame.View().TranslateButton().isHidden());
    EXPECT_TRUE(frame.View().TranslateButton().isDefault());
}

// The end with nobody there to answer (a logout) saves the edited word as the exit's Yes would.
TEST_F(WordEditorTest, WithNobodyToAnswerTheEndSavesTheEditedWordWithoutAQuestion)
{
    CQuibWord* word = fileWord(userFile(), 10, kLanguage, "first");
    CQuibW_Frame& frame = openWordEditor();
    ASSERT_TRUE(frame.SelectWord(word));
    typeName(frame, "first edited");
    ScopedAnswerer answerer;
    EXPECT_TRUE(theQueryCloseWordEditorHook(false));
    EXPECT_TRUE(answerer.questions().empty());
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "saved";
    CQuibWord stored;
    ASSERT_EQ(AttachResource(&stored, 10, MakeWordType(kLanguage), userFile()), RES_OK);
    ASSERT_EQ(stored.Load(), RES_OK);
}

TEST_F(WordEditorOnFullDiskTest, AWordNotWrittenKeepsItsChangeThePersonIsToldAndTheNextSaveStoresIt)
{
    CQuibWord* first = fileWord(userFile(), 10, kLanguage, "first");
    CQuibWord* second = fileWord(userFile(), 11, kLanguage, "second");
    const QString told = LoadSystemString(kStrWordNotStored).replace("[#1]", GetResFilePath(userFile()));
    CQuibW_Frame& frame = openWordEditor();
    ASSERT_TRUE(frame.SelectWord(first));
    typeName(frame, "first edited");
    m_disk.Fill();
    {
        ScopedAnswerer answerer;
        frame.View().OkButton().click();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, told);
    }
    EXPECT_EQ(frame.CurrentWord(), first);
    EXPECT_EQ(first->WordName, "first edited");
    EXPECT_TRUE(first->IsChanged());
    EXPECT_TRUE(frame.View().OkButton().isEnabled()) << "not stored: OK may try again";

    // Leaving it: Yes, the same news once, and the person goes on; the word keeps its change.
    {
        ScopedAnswerer answerer;
        answerer.reply(IDYES);
        frame.Tree().setCurrentItem(frame.Tree().FindWordItem(second));
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_EQ(answerer.questions()[1].text, told);
    }
    EXPECT_EQ(frame.CurrentWord(), second);
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "the other word has nothing to save";
    EXPECT_EQ(first->WordName, "first edited");
    EXPECT_TRUE(first->IsChanged());

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(userFile()), RES_OK);
    CQuibWord stored;
    ASSERT_EQ(AttachResource(&stored, 10, MakeWordType(kLanguage), userFile()), 0);
    ASSERT_EQ(stored.Load(), 0);
    EXPECT_EQ(stored.WordName, "first edited");
}
