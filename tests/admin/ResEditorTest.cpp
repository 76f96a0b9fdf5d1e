// The resource editor, opened from the test menu and driven through its own menu: the tree by type,
// the save question, removing ticked records, test records, the file info, and the files it must not
// take from the program.

#include "admin/ResEditorDlg.h"
#include "admin/ResourceTree.h"

#include "admin/AdminStrings.h"
#include "admin/ResourceTypeText.h"
#include "admin/TestMenu.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminTestSupport.h"
#include "tests/core/UserTestStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace lumivo::test;
using lumivo::ui::IDCANCEL;
using lumivo::ui::IDNO;
using lumivo::ui::IDOK;
using lumivo::ui::IDYES;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr int kResourceEditorCommand = 5152;
const std::int32_t kPageType = MakeBgType(1, 2);
const std::int32_t kWordType = MakeWordType(1);

// The tree as text: "type text - count{id,id}" per type, joined by " | ".
std::string treeText(const QTreeWidget& tree)
{
    QStringList types;
    for (int t = 0; t < tree.topLevelItemCount(); ++t) {
        const QTreeWidgetItem* typeItem = tree.topLevelItem(t);
        QStringList ids;
        for (int i = 0; i < typeItem->childCount(); ++i) {
            const QTreeWidgetItem* item = typeItem->child(i);
            ids << item->text(0);
        }
        types << typeItem->text(0) + "{" + ids.join(",") + "}";
    }
    return types.join(" | ").toStdString();
}

QTreeWidgetItem* itemWithId(const QTreeWidget& tree, int id)
{
    for (int t = 0; t < tree.topLevelItemCount(); ++t) {
        for (int i = 0; i < tree.topLevelItem(t)->childCount(); ++i) {
            if (tree.topLevelItem(t)->child(i)->text(0) == QString::number(id))
                return tree.topLevelItem(t)->child(i);
        }
    }
    return nullptr;
}

QLineEdit* field(const CResEditorDlg& editor, const char* name)
{
    return editor.findChild<QLineEdit*>(name);
}

QString textOf(const QDialog& dialog, const char* name)
{
    return dialog.findChild<QLabel*>(name)->text();
}

} // namespace

class ResEditorTest : public AdminTest
{
protected:
    // A saved file of two pages and a word, closed again so that the editor opens it itself.
    QString makeClosedFile()
    {
        const QString path = tempPath("pages.tvf");
        const int file = makeResourceFile(path);
        storeRecord(file, 9, kPageType, "Page nine");
        storeRecord(file, 5, kPageType, "Page five");
        storeRecord(file, 7, kWordType, "Hej");
        EXPECT_EQ(SaveResFile(file), 0);
        EXPECT_EQ(CloseResFile(file), 0);
        return path;
    }

    // Opens the editor through the test menu and runs `work` in it; the editor then ends as by Esc.
    void inEditor(const std::function<void(CResEditorDlg&)>& work)
    {
        m_answerer.reply([work](QDialog& dialog) {
            work(dynamic_cast<CResEditorDlg&>(dialog));
            return IDCANCEL;
        });
        ASSERT_TRUE(theTestMenu);
        choose(*m_frame->menuBar(), kResourceEditorCommand);
        EXPECT_EQ(m_answerer.pendingReplies(), 0u);
    }

    // Opens `path` through "Open", answering the file chooser.
    void openThroughMenu(CResEditorDlg& editor, const QString& path)
    {
        m_answerer.reply(path);
        choose(*editor.MenuBar(), ID_RESEDIT_OPEN);
    }

    QStringList askedTexts() const
    {
        QStringList texts;
        for (const auto& question : m_answerer.questions())
            texts << question.text;
        return texts;
    }

    ScopedAnswerer m_answerer;
};

TEST_F(ResEditorTest, TheFileShowsByTypeAndIdAndIsClosedWithTheEditor)
{
    const QString path = makeClosedFile();
    inEditor([&](CResEditorDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), "Resource editor");
        EXPECT_EQ(offeredItem(*editor.MenuBar(), ID_RESEDIT_CLOSE)->isEnabled(), false);
        EXPECT_EQ(offeredItem(*editor.MenuBar(), ID_RESEDIT_NEW)->isEnabled(), true);
        openThroughMenu(editor, path);
        ASSERT_NE(editor.File(), 0);
        EXPECT_TRUE(editor.OwnsFile());
        EXPECT_EQ(treeText(*editor.Tree()), "'gb?\?'  '103-98-1-2' - 2{5,9} | 'gw?\?'  '103-119-0-1' - 1{7}");
        EXPECT_TRUE(editor.Tree()->topLevelItem(0)->font(0).bold());
        EXPECT_EQ(editor.findChild<QLabel*>("resourceFilePath")->text(), path);
        EXPECT_FALSE(offeredItem(*editor.MenuBar(), ID_RESEDIT_OPEN)->isEnabled());
        EXPECT_FALSE(offeredItem(*editor.MenuBar(), ID_RESEDIT_SAVE)->isEnabled()) << "nothing changed";
        EXPECT_FALSE(offeredItem(*editor.MenuBar(), ID_RESEDIT_REMOVE_MARKED)->isEnabled()) << "none ticked";

        editor.Tree()->setCurrentItem(itemWithId(*editor.Tree(), 9));
        EXPECT_EQ(field(editor, "resourceIdEdit")->text(), "9");
        EXPECT_EQ(field(editor, "resourceNameEdit")->text(), "Page nine");
        EXPECT_EQ(field(editor, "resourceTypeEdit")->text(), "'gb?\?'  '103-98-1-2'");
        EXPECT_EQ(editor.findChild<QLabel*>("resourceSizeText")->text(), "3 bytes");
    });
    EXPECT_LE(FindResFileByPath(path), 0) << "the editor's own file goes with it";
    EXPECT_TRUE(askedTexts().contains("Open resource file"));
}

TEST_F(ResEditorTest, RemovingTwoTickedResourcesReportsTheCount)
{
    const QString path = makeClosedFile();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        itemWithId(*editor.Tree(), 5)->setCheckState(0, Qt::Checked);
        itemWithId(*editor.Tree(), 7)->setCheckState(0, Qt::Checked);
        editor.Tree()->setCurrentItem(itemWithId(*editor.Tree(), 9));
        choose(*editor.MenuBar(), ID_RESEDIT_REMOVE_MARKED);
        EXPECT_EQ(m_answerer.questions().back().text, "Removed 2 resources.");
        EXPECT_EQ(treeText(*editor.Tree()), "'gb?\?'  '103-98-1-2' - 1{9}");
        EXPECT_EQ(editor.CurrentRecord(), nullptr);
        choose(*editor.MenuBar(), ID_RESEDIT_SAVE);
    });
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), 0);
    int count = 0;
    CountResources(&count, RES_ANY, file);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(ResourceExists(9, kPageType, file));
}

TEST_F(ResEditorTest, ACaseOnlyRenameAsksTheQuestion)
{
    const QString path = makeClosedFile();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        QTreeWidget& tree = *editor.Tree();
        tree.setCurrentItem(itemWithId(tree, 7));
        field(editor, "resourceNameEdit")->setText("hej");

        m_answerer.reply(IDCANCEL);
        tree.setCurrentItem(itemWithId(tree, 5));
        EXPECT_EQ(m_answerer.questions().back().text, "Save the changes?");
        EXPECT_EQ(tree.currentItem(), itemWithId(tree, 7)) << "Cancel keeps the selection";
        EXPECT_EQ(field(editor, "resourceNameEdit")->text(), "hej") << "and what was typed";

        m_answerer.reply(IDYES);
        tree.setCurrentItem(itemWithId(tree, 5));
        EXPECT_EQ(tree.currentItem(), itemWithId(tree, 5));
        CResEntry* word = RecordOfItem(itemWithId(tree, 7));
        EXPECT_EQ(word->GetName(), "hej");

        const auto asked = m_answerer.questions().size();
        tree.setCurrentItem(itemWithId(tree, 9));
        EXPECT_EQ(m_answerer.questions().size(), asked) << "no change, no question";
    });
}

TEST_F(ResEditorTest, MovesAreRefusedAndShownWhenTheTargetIsUsedAndRefiledWhenTheyTakeEffect)
{
    const QString path = makeClosedFile();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        QTreeWidget& tree = *editor.Tree();
        tree.setCurrentItem(itemWithId(tree, 9));
        field(editor, "resourceIdEdit")->setText("5");
        m_answerer.reply(IDYES);
        tree.setCurrentItem(itemWithId(tree, 7));
        EXPECT_EQ(m_answerer.questions().back().text, "Another resource of this type already has this id.");
        EXPECT_EQ(RecordOfItem(tree.currentItem())->GetId(), 9) << "the record stays, and stays shown";

        // A free id and another type: the record moves, and its item follows it.
        field(editor, "resourceIdEdit")->setText("12, and a comment");
        field(editor, "resourceTypeEdit")->setText("103-119-0-1");
        m_answerer.reply(IDYES);
        tree.setCurrentItem(itemWithId(tree, 5));
        EXPECT_EQ(treeText(tree), "'gb?\?'  '103-98-1-2' - 1{5} | 'gw?\?'  '103-119-0-1' - 2{7,12}");
        EXPECT_TRUE(IsResFileDirty(editor.File()));
        EXPECT_TRUE(offeredItem(*editor.MenuBar(), ID_RESEDIT_SAVE)->isEnabled());

        // An id that is no number is refused before anything is asked.
        field(editor, "resourceIdEdit")->setText("five");
        const auto asked = m_answerer.questions().size();
        tree.setCurrentItem(itemWithId(tree, 7));
        ASSERT_EQ(m_answerer.questions().size(), asked + 1);
        EXPECT_EQ(m_answerer.questions().back().text, "The id must be a number other than 0.");
    });
}

// A record stored under id 0 keeps that id without a complaint: the person can rename it, move on,
// save and close; typing 0 for another record is still refused.
TEST_F(ResEditorTest, ARecordOfIdZeroNeitherLocksTheEditorNorBlocksTheSave)
{
    const QString path = makeClosedFile();
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), 0);
    storeRecord(file, 0, kWordType, "Zero");
    ASSERT_EQ(SaveResFile(file), 0);
    ASSERT_EQ(CloseResFile(file), 0);
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        QTreeWidget& tree = *editor.Tree();
        tree.setCurrentItem(itemWithId(tree, 0));
        const auto asked = m_answerer.questions().size();
        tree.setCurrentItem(itemWithId(tree, 7));
        EXPECT_EQ(m_answerer.questions().size(), asked) << "nothing changed, nothing said";
        EXPECT_EQ(tree.currentItem(), itemWithId(tree, 7));

        tree.setCurrentItem(itemWithId(tree, 0));
        field(editor, "resourceNameEdit")->setText("Nul");
        m_answerer.reply(IDYES);
        tree.setCurrentItem(itemWithId(tree, 7));
        EXPECT_EQ(m_answerer.questions().back().text, "Save the changes?");
        choose(*editor.MenuBar(), ID_RESEDIT_SAVE);
        EXPECT_FALSE(IsResFileDirty(editor.File())) << "saved";

        field(editor, "resourceIdEdit")->setText("0");
        tree.setCurrentItem(itemWithId(tree, 5));
        EXPECT_EQ(m_answerer.questions().back().text, "The id must be a number other than 0.");
        field(editor, "resourceIdEdit")->setText("7");
    });
    ASSERT_EQ(OpenResFile(&file, path), 0);
    CResEntry* zero = nullptr;
    ASSERT_EQ(FindResource(0, kWordType, file, &zero), 0);
    EXPECT_EQ(zero->GetName(), "Nul");
}

TEST_F(ResEditorTest, ATypedTypeInNeitherFormIsRefusedAndThePreviousTypeStays)
{
    const QString path = makeClosedFile();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        editor.Tree()->setCurrentItem(itemWithId(*editor.Tree(), 7));
        QLineEdit* type = field(editor, "resourceTypeEdit");
        type->setText("103-98-1-300");
        emit type->editingFinished();
        EXPECT_EQ(m_answerer.questions().back().text, "The format must be \"ABCD\" or \"65-125-77-98\"");
        EXPECT_EQ(type->text(), "'gw?\?'  '103-119-0-1'");
        type->setText("gb12");
        emit type->editingFinished();
        EXPECT_EQ(type->text(), "'gb12'  '103-98-49-50'");
    });
}

// A file the program already holds is shown, never taken away: the user keeps its file, and the
// record the user object holds cannot be removed from under it.
TEST_F(ResEditorTest, AFileTheProgramHoldsIsShownAndLeftOpen)
{
    const QString path = tempPath("user.tvf");
    const int userFile = makeResourceFile(path);
    CQuibUser user;
    storeInFile(user, CQuibUser::kTemplateUserId, userFile, CQuibUser::kType);
    ASSERT_EQ(user.Write(), 0);
    theCurrentUser = &user;

    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        EXPECT_EQ(editor.File(), userFile);
        EXPECT_FALSE(editor.OwnsFile());
        ASSERT_EQ(editor.Tree()->topLevelItemCount(), 1);
        editor.Tree()->topLevelItem(0)->child(0)->setCheckState(0, Qt::Checked);
        choose(*editor.MenuBar(), ID_RESEDIT_REMOVE_MARKED);
        EXPECT_EQ(askedTexts().mid(askedTexts().size() - 2),
                  QStringList({"Removed 0 resources.",
                               "The program is using this resource, so it cannot be moved or removed now."}));
        choose(*editor.MenuBar(), ID_RESEDIT_CLOSE);
        EXPECT_EQ(editor.File(), 0);
        EXPECT_EQ(FindResFileByPath(path), userFile);

        // "New" on the same path finds the open file too.
        m_answerer.reply(path);
        choose(*editor.MenuBar(), ID_RESEDIT_NEW);
        EXPECT_EQ(editor.File(), userFile);
        EXPECT_FALSE(editor.OwnsFile());
    });
    EXPECT_EQ(FindResFileByPath(path), userFile);
    EXPECT_EQ(user.GetFile(), userFile);
    user.SetName("still stored");
    EXPECT_EQ(user.Write(), 0);
    EXPECT_EQ(SaveResFile(userFile), 0) << "the user's file still saves";
    theCurrentUser = nullptr;
}

TEST_F(ResEditorTest, AFileTheStoreCannotReadIsRefusedByName)
{
    QFile text(tempPath("notes.tvf"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no resource file");
    text.close();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, text.fileName());
        EXPECT_EQ(editor.File(), 0);
        EXPECT_EQ(m_answerer.questions().back().text,
                  "The file could not be opened as a resource file: notes.tvf");
    });
}

TEST_F(ResEditorTest, TestResourcesReachTheDiskOnlyWhenSavedAndTheInfoCountsThem)
{
    const QString path = tempPath("fresh.tvf");
    inEditor([&](CResEditorDlg& editor) {
        m_answerer.reply(path);
        choose(*editor.MenuBar(), ID_RESEDIT_NEW);
        ASSERT_NE(editor.File(), 0);
        EXPECT_TRUE(editor.OwnsFile());
        choose(*editor.MenuBar(), ID_RESEDIT_ADD_TEST);
        int count = 0;
        CountResources(&count, RES_ANY, editor.File());
        EXPECT_EQ(count, kTestResourceCount);
        std::vector<CResEntry*> records;
        CollectResources(&records, editor.File(), RES_ANY);
        for (const CResEntry* record : records) {
            EXPECT_EQ(record->GetName(), "Hej gamle");
            EXPECT_TRUE(FormatResType(record->GetType()).startsWith("'XQ"))
                << FormatResType(record->GetType()).toStdString();
        }
        EXPECT_FALSE(QFile::exists(path));
        choose(*editor.MenuBar(), ID_RESEDIT_SAVE);
        EXPECT_TRUE(QFile::exists(path));

        int types = 0;
        CountResTypes(&types, editor.File());
        const qint64 length = QFile(path).size();
        m_answerer.reply([&](QDialog& info) {
            EXPECT_EQ(info.windowTitle(), "Resource file info");
            EXPECT_EQ(textOf(info, "infoFile"), path);
            EXPECT_EQ(textOf(info, "infoSize"),
                      QString("%1 Bytes = %2 KBytes").arg(length).arg(length / 1024));
            EXPECT_EQ(textOf(info, "infoResources"), QString::number(kTestResourceCount));
            EXPECT_EQ(textOf(info, "infoTypes"), QString::number(types));
            return IDOK;
        });
        choose(*editor.MenuBar(), ID_RESEDIT_FILE_INFO);
    });
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, path), 0);
    int count = 0;
    CountResources(&count, RES_ANY, file);
    EXPECT_EQ(count, kTestResourceCount);
}

TEST_F(ResEditorTest, ExitDropsUnsavedChangesWithoutAQuestion)
{
    const QString path = makeClosedFile();
    const QByteArray before = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    inEditor([&](CResEditorDlg& editor) {
        openThroughMenu(editor, path);
        itemWithId(*editor.Tree(), 5)->setCheckState(0, Qt::Checked);
        choose(*editor.MenuBar(), ID_RESEDIT_REMOVE_MARKED);
        const auto asked = m_answerer.questions().size();
        choose(*editor.MenuBar(), ID_RESEDIT_EXIT);
        EXPECT_EQ(m_answerer.questions().size(), asked);
        EXPECT_EQ(editor.File(), 0);
    });
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_LE(FindResFileByPath(path), 0);
}

TEST_F(ResEditorTest, EnterKeepsWhatWasTypedAndEscapeEndsTheEditor)
{
    const QString path = makeClosedFile();
    CResEditorDlg editor;
    ASSERT_TRUE(editor.OpenFile(path, false));
    editor.show();
    editor.Tree()->setCurrentItem(itemWithId(*editor.Tree(), 7));
    QLineEdit* name = field(editor, "resourceNameEdit");
    name->setText("Hello");
    m_answerer.reply(IDYES);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &enter);
    EXPECT_EQ(RecordOfItem(itemWithId(*editor.Tree(), 7))->GetName(), "Hello");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&editor, &escape);
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_EQ(editor.File(), 0);
    EXPECT_LE(FindResFileByPath(path), 0);
}

TEST_F(ResEditorTest, AFileThatCannotBeSavedSaysSoAndStaysOpenWithItsChanges)
{
    const QString path = tempPath("no such folder/fresh.tvf");
    inEditor([&](CResEditorDlg& editor) {
        m_answerer.reply(path);
        choose(*editor.MenuBar(), ID_RESEDIT_NEW);
        choose(*editor.MenuBar(), ID_RESEDIT_ADD_TEST);
        choose(*editor.MenuBar(), ID_RESEDIT_SAVE);
        EXPECT_EQ(m_answerer.questions().back().text, "The file could not be saved: fresh.tvf");
        EXPECT_TRUE(IsResFileDirty(editor.File()));
        EXPECT_EQ(editor.Tree()->topLevelItemCount() > 0, true);
    });
}
