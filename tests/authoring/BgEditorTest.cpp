// The page editor with real files: who may open it, what its tree lists, its save question and the
// selection it refuses, new and removed pages, a page that cannot be written, the import mode it keeps,
// and its text files.

#include "authoring/BgEditor.h"
#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgEditorLists.h"
#include "authoring/BgSheetView.h"
#include "authoring/BgTreeView.h"

#include "panes/Pane.h"
#include "platform/ui/Ui.h"
#include "shell/App.h"
#include "shell/Commands.h"
#include "store/Registry.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <csignal>

using namespace lumivo::test;
using lumivo::ui::IDCANCEL;
using lumivo::ui::IDOK;
using lumivo::ui::IDYES;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = EditorUserFixture::kUserLanguage;

class BgEditorTest : public BgEditorFixture
{
protected:
    CQuibBg_Frame& openEditor()
    {
        OpenBackgroundEditor();
        EXPECT_NE(theBgEditorFrame, nullptr);
        return *theBgEditorFrame;
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // An output file as the program makes a new one: on the disk at once, with no kind or version yet,
    // translating into the user's language; changed by a page stored in it since.
    static int changedNewOutputFile(const QString& path)
    {
        int file = 0;
        EXPECT_EQ(FindOrAddResFile(&file, path), RES_FILE_NEW);
        int error = RES_OK;
        SaveDataFile(file, false, true, &error);
        EXPECT_EQ(error, RES_OK);
        theOutputFile = file;
        theTranslateLanguage = kLanguage;
        CQuibBg page;
        page.Name = "Translated";
        storeInFile(page, 40, file, MakeBgType(1, kLanguage));
        page.Write();
        page.Detach();
        EXPECT_TRUE(IsResFileDirty(file));
        return file;
    }

    // The page's name as the file at `path` holds it on the disk, opened as a data file.
    static QString storedPageName(const QString& path, std::int32_t id)
    {
        int file = 0;
        int result = RES_OK;
        EXPECT_EQ(OpenDataFile(path, &file, &result), DATAFILE_ACCEPTED) << "a data file that opens again";
        CQuibBg stored;
        if (AttachResource(&stored, id, MakeBgType(1, kLanguage), file) != RES_OK || stored.Load() != RES_OK)
            return {};
        return stored.Name;
    }
};

// The same on a disk that fills up (in place before the set-up opens the user's file).
class BgEditorOnFullDiskTest : public BgEditorTest
{
protected:
    FullDisk m_disk;
};

} // namespace

TEST_F(BgEditorTest, WithoutAUserOrASpecificLanguageNothingOpens)
{
    theCurrentUser = nullptr;
    {
        ScopedAnswerer answerer;
        OpenBackgroundEditor();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9022));
    }
    EXPECT_EQ(theBgEditorFrame, nullptr);

    m_user->user->PrimaryLanguage = 1;
    theCurrentUser = m_user->user.get();
    {
        ScopedAnswerer answerer;
        OpenBackgroundEditor();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9023));
    }
    EXPECT_EQ(theBgEditorFrame, nullptr);
    EXPECT_FALSE(theBackgroundEditorIsOpenHook());
}

TEST_F(BgEditorTest, TheTreeListsTheChosenFilesUnderDanishLettersWithTheEditorFilesPagesBold)
{
    const int data = dataFile("data.tvf");
    filePage(userFile(), 10, kLanguage, "abe");
    filePage(userFile(), 11, kLanguage, "Zebra");
    filePage(userFile(), 12, kLanguage, "æble");
    filePage(data, 20, kLanguage, "abe");
    filePage(data, 21, kLanguage + 1, "other language");

    CQuibBg_Frame& frame = openEditor();
    EXPECT_TRUE(theBackgroundEditorIsOpenHook());
    CQuibBg_TreeView& tree = frame.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 3) << "the editor's file only, at first";
    frame.Execute(kBgFilterDataFiles);
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "A");
    EXPECT_EQ(tree.topLevelItem(1)->text(0), "Z");
    EXPECT_EQ(tree.topLevelItem(2)->text(0), "Æ") << "Æ comes after Z";
    const QTreeWidgetItem* a = tree.topLevelItem(0);
    ASSERT_EQ(a->childCount(), 2) << "the same name in two files gives two pages";
    const bool firstIsOwn = tree.PageOf(a->child(0))->GetFile() == userFile();
    EXPECT_EQ(a->child(0)->font(0).bold(), firstIsOwn);
    EXPECT_EQ(a->child(1)->font(0).bold(), !firstIsOwn);

    frame.Execute(kBgFilterOutputFile);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(namesUnder(tree, 0), QStringList{"abe"}) << "the data file's page alone";
}

// A long page name shows whole once the window has room for it beside the sheet; a window without
// that room keeps the sheet whole, and the tree scrolls sideways.
TEST_F(BgEditorTest, TheTreeTakesTheRoomALongPageNameNeeds)
{
    filePage(userFile(), 10, kLanguage, "abe");
    filePage(userFile(), 11, kLanguage, "Frikvarteret i gården bag ved den gamle gymnastiksal");
    CQuibBg_Frame& frame = openEditor();
    CQuibBg_TreeView& tree = frame.Tree();
    tree.expandAll();
    QWidget& sheet = frame.View();
    frame.resize(sheet.sizeHint().width() + 200, frame.height());
    QCoreApplication::processEvents();
    EXPECT_GE(sheet.width(), sheet.sizeHint().width()) << "the sheet keeps its width";
    EXPECT_GT(tree.horizontalScrollBar()->maximum(), 0);

    frame.resize(sheet.sizeHint().width() + tree.NamesWidth() + 40, frame.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.horizontalScrollBar()->maximum(), 0)
        << "column " << tree.columnWidth(0) << ", viewport " << tree.viewport()->width();
    EXPECT_GE(sheet.width(), sheet.sizeHint().width());
}

TEST_F(BgEditorTest, CancelAtTheSaveQuestionKeepsThePageAndNoDropsTheEdit)
{
    CQuibBg* first = filePage(userFile(), 10, kLanguage, "First");
    CQuibBg* second = filePage(userFile(), 11, kLanguage, "Second");
    CQuibBg_Frame& frame = openEditor();
    ASSERT_TRUE(frame.SelectBackground(first));
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "nothing to save before an edit";
    EXPECT_FALSE(frame.View().CancelButton().isEnabled());
    typeName(frame, "First edited");
    EXPECT_TRUE(frame.View().OkButton().isEnabled());

    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.Tree().setCurrentItem(frame.Tree().FindItem(second));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, "Save the changes to background \"First edited\"?");
    }
    EXPECT_EQ(frame.CurrentBackground(), first);
    EXPECT_EQ(frame.Tree().PageOf(frame.Tree().currentItem()), first);
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.FillTree();
    }
    EXPECT_EQ(frame.CurrentBackground(), first) << "a refused refill changes nothing";

    {
        ScopedAnswerer answerer;
        answerer.reply(lumivo::ui::IDNO);
        frame.Tree().setCurrentItem(frame.Tree().FindItem(second));
    }
    EXPECT_EQ(frame.CurrentBackground(), second);
    EXPECT_EQ(first->Name, "First") << "No reads the page back";
}

TEST_F(BgEditorTest, OkStoresTheEditAndAPageOfADataFileBecomesACopyInTheUsersFile)
{
    const int data = dataFile("data.tvf");
    CQuibBg* shared = filePage(data, 30, kLanguage, "Shared");
    CQuibBg_Frame& frame = openEditor();
    frame.Execute(kBgFilterDataFiles);
    ASSERT_TRUE(frame.SelectBackground(shared));
    EXPECT_TRUE(frame.IsEditable());
    typeName(frame, "Mine now");
    frame.View().OkButton().click();

    CQuibBg* copy = frame.CurrentBackground();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetFile(), userFile()) << "the editor goes on with the copy";
    EXPECT_EQ(copy->Name, "Mine now");
    EXPECT_EQ(static_cast<CQuibBg*>(theBgIndex.Find(userFile(), kLanguage, 30)), copy);
    EXPECT_EQ(shared->Name, "Shared") << "the data file keeps its page";
    EXPECT_FALSE(frame.View().OkButton().isEnabled());
    EXPECT_NE(frame.Tree().FindItem(copy), nullptr);
    EXPECT_NE(frame.Tree().FindItem(shared), nullptr);

    // With its own copy in the user's file, the data file's page is no longer editable.
    ASSERT_TRUE(frame.SelectBackground(shared));
    EXPECT_FALSE(frame.IsEditable());
    EXPECT_TRUE(frame.View().EditButton().isEnabled());
    lumivo::ui::CommandUpdate remove(kBgRemoveBackground);
    frame.OnCommand(kBgRemoveBackground, lumivo::ui::kUpdateCommand, &remove);
    EXPECT_FALSE(remove.enabled().value_or(true));
    frame.View().EditButton().click();
    EXPECT_EQ(frame.CurrentBackground(), copy);
}

TEST_F(BgEditorTest, ANewPageIsStoredAndListedAtItsFirstSaveAndCancelLeavesNoTrace)
{
    const std::int32_t type = MakeBgType(1, kLanguage);
    CQuibBg_Frame& frame = openEditor();
    frame.Execute(kBgNewBackground);
    ASSERT_NE(frame.CurrentBackground(), nullptr);
    EXPECT_EQ(countRecords(userFile(), type), 1);
    EXPECT_TRUE(IsSystemItem(frame.CurrentBackground()->GetID()));
    typeName(frame, "Unwanted");
    frame.View().CancelButton().click();
    EXPECT_EQ(frame.CurrentBackground(), nullptr);
    EXPECT_EQ(countRecords(userFile(), type), 0);

    frame.Execute(kBgNewBackground);
    frame.Execute(kBgNewBackground); // the first, left unedited, goes again
    EXPECT_EQ(countRecords(userFile(), type), 1);
    typeName(frame, "Kitchen");
    frame.View().OkButton().click();
    CQuibBg* made = frame.CurrentBackground();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(theBgIndex.Contains(made));
    EXPECT_EQ(made->Name, "Kitchen");
    ASSERT_NE(frame.Tree().FindItem(made), nullptr);
    EXPECT_EQ(frame.Tree().currentItem(), frame.Tree().FindItem(made));
}

TEST_F(BgEditorTest, WithoutANewIdNoPageIsMadeAndThePersonIsTold)
{
    const auto noId = theItemIdRandomHook.scoped([](std::int32_t, std::int32_t last) { return last + 1; });
    CQuibBg_Frame& frame = openEditor();
    ScopedAnswerer answerer;
    frame.Execute(kBgNewBackground);
    EXPECT_EQ(frame.CurrentBackground(), nullptr);
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 0);
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9773));

    int made = -1;
    EXPECT_EQ(StorePageNames({"a", "b"}, userFile(), kLanguage, &made), PageImportError::NoFreeId);
    EXPECT_EQ(made, 0);
}

TEST_F(BgEditorTest, RemoveAsksAndTakesThePageOutOfTheFileTheIndexAndTheTree)
{
    CQuibBg* page = filePage(userFile(), 40, kLanguage, "Going");
    CQuibBg_Frame& frame = openEditor();
    ASSERT_TRUE(frame.SelectBackground(page));
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        frame.Execute(kBgRemoveBackground);
        EXPECT_EQ(answerer.questions().at(0).text, LoadSystemString(9020));
    }
    EXPECT_EQ(frame.CurrentBackground(), page);
    {
        ScopedAnswerer answerer;
        answerer.reply(IDOK);
        frame.Execute(kBgRemoveBackground);
    }
    EXPECT_EQ(frame.CurrentBackground(), nullptr);
    EXPECT_EQ(frame.Tree().topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(theBgIndex.Find(userFile(), kLanguage, 40), nullptr);
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 0);
}

TEST_F(BgEditorTest, TheImportModeKeepsOneBitAndIsStoredWhenTheEditorCloses)
{
    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(kSettingsRoot));
    SetSystemSettingWord(QString::fromLatin1(kEditorParamsValue), 5);
    CQuibBg_Frame& frame = openEditor();
    EXPECT_EQ(frame.ImportMode(), 5) << "as the word editor left it";
    frame.Execute(kBgImportResize);
    EXPECT_EQ(frame.ImportMode(), kImportResize);
    for (const int id : {kBgImportCrop, kBgImportResize, kBgImportKeepSize}) {
        lumivo::ui::CommandUpdate update(id);
        frame.OnCommand(id, lumivo::ui::kUpdateCommand, &update);
        EXPECT_EQ(update.checked().value_or(false), id == kBgImportResize) << id;
    }
    frame.Execute(kBgImportKeepSize);
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(ReadEditorParams(0), kImportKeepSize);
}

TEST_F(BgEditorTest, ExportWritesThePagesWordsOrThatNoPageIsChosen)
{
    CQuibBg_Frame& frame = openEditor();
    ScopedAnswerer answerer;
    answerer.reply(tempPath("words.txt"));
    frame.Execute(kBgExportWords);
    EXPECT_EQ(fileBytes(tempPath("words.txt")), QByteArray("No background selected"));

    CQuibBg* page = filePage(userFile(), 41, kLanguage, "Køkken");
    EXPECT_EQ(PageWordsText(page), QByteArray("WORDS assets to background \"K\xF8kken\" id=41 \r\n"));
}

TEST_F(BgEditorTest, TheListReportHasALineForEachLetterAndPageInTheTreesOrder)
{
    filePage(userFile(), 51, kLanguage, "æble");
    filePage(userFile(), 52, kLanguage, "abe");
    filePage(userFile(), 53, kLanguage, "Zebra");
    CQuibBg_Frame& frame = openEditor();
    ScopedAnswerer answerer;
    answerer.reply(tempPath("list"));
    frame.Execute(kBgSaveList);
    const QByteArray text = fileBytes(tempPath("list.txt"));
    const QByteArray rule = QByteArray(65, '-') + "\r\n";
    ASSERT_TRUE(text.startsWith("Baggrunde i datafiler (")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(rule +
                              "A -------\r\n52\tabe\r\nZ -------\r\n53\tZebra\r\n\xC6 -------\r\n51\t\xE6"
                              "ble\r\n"))
        << text.toStdString();

    frame.Execute(kBgFilterOutputFile); // nothing listed now
    answerer.reply(tempPath("empty"));
    frame.Execute(kBgSaveList);
    const QByteArray empty = fileBytes(tempPath("empty.txt"));
    EXPECT_EQ(empty.count("\r\n"), 2) << "the header and the rule";
    EXPECT_TRUE(empty.endsWith(rule));
    EXPECT_EQ(PageListFileName(CTime(2024, 3, 7, 9, 5, 0)), "Ord 070324-0905");
}

TEST_F(BgEditorTest, ImportMakesAPagePerLineUpToAThousandTheLastLineWithoutItsLineFeedToo)
{
    QByteArray lines;
    for (int n = 0; n < 1500; ++n)
        lines += QByteArray("page ") + QByteArray::number(n) + "\tignored" + (n % 2 ? "\r\n" : "\n");
    EXPECT_EQ(PageNamesOfImport(lines).size(), 1000u);
    const std::vector<QString> names = PageNamesOfImport("one\r\n\r\ntwo\tx\nthree");
    EXPECT_EQ(names, (std::vector<QString>{"one", "two", "three"}));

    QFile file(tempPath("names.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines);
    file.close();
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    theTranslateLanguage = kLanguage;
    OpenBackgroundEditorForTranslation();
    ASSERT_NE(theBgEditorFrame, nullptr);
    ScopedAnswerer answerer;
    answerer.reply(tempPath("names.txt"));
    theBgEditorFrame->Execute(kBgImportNames);
    EXPECT_EQ(countRecords(theOutputFile, 0x67620100 | kLanguage), 1000);
    CResEntry* record = nullptr;
    ASSERT_EQ(FindResEntry(&record, nullptr, -1, 0x67620100 | kLanguage, theOutputFile), 0);
    CQuibBg page;
    ASSERT_EQ(AttachResEntry(&page, record), 0);
    page.Load();
    EXPECT_TRUE(page.Name.startsWith("page ")) << page.Name.toStdString();
    QString recordName;
    page.GetName(recordName);
    EXPECT_EQ(recordName, page.Name);
    EXPECT_EQ(theBgIndex.GetCount(), 0u) << "the next reload lists them";

    // A file too large to be a list of names is refused whole, with the file named, and makes no page.
    QByteArray oversized(kMaxImportTextBytes + 1, 'x');
    oversized.prepend("one more page\n");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(oversized);
    file.close();
    ScopedAnswerer refusal;
    refusal.reply(tempPath("names.txt"));
    theBgEditorFrame->Execute(kBgImportNames);
    EXPECT_EQ(countRecords(theOutputFile, 0x67620100 | kLanguage), 1000);
    ASSERT_EQ(refusal.questions().size(), 2u);
    EXPECT_EQ(refusal.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
    EXPECT_TRUE(refusal.questions()[1].text.contains(tempPath("names.txt")));
}

TEST_F(BgEditorTest, NoAtTheSaveQuestionKeepsAPageSavedEarlierInTheSession)
{
    CQuibBg_Frame& frame = openEditor();
    frame.Execute(kBgNewBackground);
    typeName(frame, "Kitchen");
    frame.View().OkButton().click();
    CQuibBg* saved = frame.CurrentBackground();
    ASSERT_NE(saved, nullptr);
    typeName(frame, "Kitchen 2");
    {
        ScopedAnswerer answerer;
        answerer.reply(lumivo::ui::IDNO);
        frame.FillTree();
    }
    EXPECT_TRUE(theBgIndex.Contains(saved));
    EXPECT_EQ(saved->Name, "Kitchen");
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 1);
}

TEST_F(BgEditorTest, EnterOnAPaneOpensTheEditorOnThePanesPage)
{
    CQuibBg* page = filePage(userFile(), 60, kLanguage, "Shown");
    theEditBackgroundHook(page);
    ASSERT_NE(theBgEditorFrame, nullptr);
    EXPECT_EQ(theBgEditorFrame->CurrentBackground(), page);
    EXPECT_TRUE(theBgEditorEditsPageHook(page));

    // A pane's own copy of a page is not the editor's to keep: it edits the index's page instead.
    CQuibBg copy;
    ASSERT_EQ(AttachResource(&copy, 60, MakeBgType(1, kLanguage), userFile()), 0);
    ASSERT_TRUE(theBgEditorFrame->SelectBackground(nullptr));
    theEditBackgroundHook(&copy);
    EXPECT_EQ(theBgEditorFrame->CurrentBackground(), page);
}

TEST_F(BgEditorTest, TheProgramAsksForTheEditorsUnsavedPageBeforeItEnds)
{
    CQuibBg* page = filePage(userFile(), 61, kLanguage, "Hall");
    CQuibBg_Frame& frame = openEditor();
    ASSERT_TRUE(frame.SelectBackground(page));
    typeName(frame, "Hallway");
    {
        ScopedAnswerer answerer;
        answerer.reply(IDCANCEL);
        EXPECT_FALSE(ConfirmQuit()) << "Cancel keeps the program running";
        EXPECT_EQ(answerer.questions().size(), 1u);
    }
    {
        ScopedAnswerer answerer;
        answerer.reply(IDYES);
        EXPECT_TRUE(ConfirmQuit());
    }
    EXPECT_EQ(page->Name, "Hallway");
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "saved";
}

// A logout, a shutdown or Ctrl+C ends the program with nobody there to answer: what the exit command saves
// after Yes is saved without a question, the editor's unsaved page into the changed output file, which
// is saved as a data file that opens again.
TEST_F(BgEditorTest, ATerminationSignalSavesTheEditorsPageAndTheOutputFileAndAsksNothing)
{
    CQuibBg* page = filePage(userFile(), 61, kLanguage, "Hall");
    CQuibBg_Frame& frame = openEditor();
    ASSERT_TRUE(frame.SelectBackground(page));
    typeName(frame, "Hallway");
    const QString output = tempPath("output.tvf");
    changedNewOutputFile(output);

    ScopedAnswerer answerer;
    {
        CQuibApp app;
        app.EndOnTerminationSignals();
        std::raise(SIGTERM);
        ASSERT_TRUE(waitFor([&] {
            QCoreApplication::processEvents();
            return app.EndingUnattended();
        }));
        app.ExitInstance(0);
    }
    EXPECT_TRUE(answerer.questions().empty()) << answerer.questions()[0].text.toStdString();
    EXPECT_EQ(storedPageName(output, 61), "Hallway");
    EXPECT_EQ(storedPageName(output, 40), "Translated");
}

TEST_F(BgEditorOnFullDiskTest, APageNotWrittenKeepsItsChangeThePersonIsToldAndTheNextSaveStoresIt)
{
    CQuibBg* first = filePage(userFile(), 10, kLanguage, "First");
    CQuibBg* second = filePage(userFile(), 11, kLanguage, "Second");
    const QString told = LoadSystemString(kMsgPageNotStored).replace("[#1]", GetResFilePath(userFile()));
    CQuibBg_Frame& frame = openEditor();
    ASSERT_TRUE(frame.SelectBackground(first));
    typeName(frame, "First edited");
    m_disk.Fill();
    {
        ScopedAnswerer answerer;
        frame.View().OkButton().click();
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, told);
    }
    EXPECT_EQ(frame.CurrentBackground(), first);
    EXPECT_EQ(first->Name, "First edited");
    EXPECT_TRUE(first->IsChanged());
    EXPECT_TRUE(frame.View().OkButton().isEnabled()) << "not stored: OK may try again";

    // Leaving it: Yes, the same news once, and the person goes on; the page keeps its change.
    {
        ScopedAnswerer answerer;
        answerer.reply(IDYES);
        frame.Tree().setCurrentItem(frame.Tree().FindItem(second));
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_EQ(answerer.questions()[1].text, told);
    }
    EXPECT_EQ(frame.CurrentBackground(), second);
    EXPECT_FALSE(frame.View().OkButton().isEnabled()) << "the other page has nothing to save";
    EXPECT_EQ(first->Name, "First edited");
    EXPECT_TRUE(first->IsChanged());

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(userFile()), RES_OK);
    CQuibBg stored;
    ASSERT_EQ(AttachResource(&stored, 10, MakeBgType(1, kLanguage), userFile()), 0);
    ASSERT_EQ(stored.Load(), 0);
    EXPECT_EQ(stored.Name, "First edited");
}
