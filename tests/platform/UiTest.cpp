#include "platform/ui/Ui.h"
#include "platform/ui/TreeItem.h"
#include "tests/support/LumivoTest.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

#include <chrono>

using namespace lumivo::ui;
using lumivo::test::LumivoTest;

class UiTest : public LumivoTest
{
};

TEST_F(UiTest, AnswererRecordsEachQuestionAndRepliesInOrder)
{
    ScopedAnswerer answerer;
    answerer.reply(IDYES).reply(IDNO).reply("/tmp/chosen");
    EXPECT_EQ(messageBox("Delete the page?", "Pages", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(messageBox("Really?", "Pages", MB_YESNO), IDNO);
    EXPECT_EQ(chooseFolder("Pick a folder", "/tmp", "/tmp/start"), QStringLiteral("/tmp/chosen"));

    ASSERT_EQ(answerer.questions().size(), 3u);
    const Question& first = answerer.questions()[0];
    EXPECT_EQ(first.kind, QuestionKind::MessageBox);
    EXPECT_EQ(first.text, QStringLiteral("Delete the page?"));
    EXPECT_EQ(first.caption, QStringLiteral("Pages"));
    EXPECT_EQ(first.flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(answerer.questions()[2].kind, QuestionKind::Folder);
    EXPECT_EQ(answerer.questions()[2].caption, QStringLiteral("/tmp/start"));
    EXPECT_EQ(answerer.pendingReplies(), 0u);
}

TEST_F(UiTest, AnEmptyQueueGivesTheCancelAnswerOfEachKindOfBox)
{
    ScopedAnswerer answerer;
    EXPECT_EQ(messageBox("t", "c", MB_OK), IDOK);
    EXPECT_EQ(messageBox("t", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(messageBox("t", "c", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDCANCEL);
    EXPECT_EQ(messageBox("t", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_FALSE(chooseOpenFile("Open", "/tmp", "Pages (*.tvf)"));
    EXPECT_FALSE(chooseSaveFile("Save", "/tmp/x.tvf"));
    EXPECT_FALSE(chooseFont(QFont(QStringLiteral("Liberation Serif"))));
    EXPECT_FALSE(chooseColor(Qt::red));
    EXPECT_EQ(answerer.questions().size(), 8u);
    EXPECT_EQ(answerer.questions()[4].filter, QStringLiteral("Pages (*.tvf)"));
}

TEST_F(UiTest, ChoosersTakeTheirOwnKindOfReplyAndCancelOtherwise)
{
    ScopedAnswerer answerer;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    answerer.reply(font).reply(QColor(1, 2, 3)).reply(IDCANCEL).reply(IDYES);
    EXPECT_EQ(chooseFont(QFont())->family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(chooseColor(Qt::white), QColor(1, 2, 3));
    EXPECT_FALSE(chooseFolder("Folder"));
    // A reply of the wrong kind is a cancel, never a crash.
    EXPECT_FALSE(chooseSaveFile("Save"));
}

TEST_F(UiTest, ASaveNameWithoutExtensionGetsTheDefaultOne)
{
    ScopedAnswerer answerer;
    answerer.reply("/tmp/pages").reply("/tmp/pages.zip").reply("/tmp/v1.0/pages");
    EXPECT_EQ(chooseSaveFile("Save", {}, {}, nullptr, "tvf"), QStringLiteral("/tmp/pages.tvf"));
    EXPECT_EQ(chooseSaveFile("Save", {}, {}, nullptr, "tvf"), QStringLiteral("/tmp/pages.zip"));
    EXPECT_EQ(chooseSaveFile("Save", {}, {}, nullptr, "tvf"), QStringLiteral("/tmp/v1.0/pages.tvf"));
}

TEST_F(UiTest, AnswerersNestAndTheOuterOneAnswersAgainAfterwards)
{
    ScopedAnswerer outer;
    outer.reply(IDYES);
    {
        ScopedAnswerer inner;
        inner.reply(IDNO);
        EXPECT_EQ(messageBox("inner", "c", MB_YESNO), IDNO);
        EXPECT_EQ(currentAnswerer(), &inner);
    }
    EXPECT_EQ(currentAnswerer(), &outer);
    EXPECT_EQ(messageBox("outer", "c", MB_YESNO), IDYES);
    ASSERT_EQ(outer.questions().size(), 1u);
    EXPECT_EQ(outer.questions()[0].text, QStringLiteral("outer"));
}

TEST_F(UiTest, WithoutAnAnswererTheOffscreenPlatformNeverBlocks)
{
    ASSERT_EQ(currentAnswerer(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(messageBox("Nobody is there", "c", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(messageBox("Nobody is there", "c", MB_YESNO), IDNO);
    EXPECT_FALSE(chooseFolder("Folder"));
    EXPECT_FALSE(chooseColor(Qt::black));
    QDialog dialog;
    EXPECT_EQ(runModal(dialog), IDCANCEL);
    QMenu menu;
    menu.addAction(QStringLiteral("Cut"))->setData(57635);
    EXPECT_EQ(execMenu(menu, QPoint(10, 10)), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The program ends with nobody there (a logout, a shutdown): no question may wait, each is noted instead.
TEST_F(UiTest, WhileNobodyIsThereToAnswerNothingWaitsAndEachQuestionIsNoted)
{
    QStringList noted;
    {
        ScopedNobodyToAnswer nobody([&](const QString& line) { noted << line; });
        EXPECT_TRUE(nobodyToAnswer());
        EXPECT_EQ(messageBox("Save changes to outputfile?", "Lumivo", MB_YESNOCANCEL), IDCANCEL);
        EXPECT_EQ(messageBox("The user file could not be saved", "Lumivo", MB_ICONEXCLAMATION), IDOK);
        EXPECT_FALSE(chooseOpenFile("Open output file"));
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Settings"));
        EXPECT_EQ(runModal(dialog), IDCANCEL);
        QMenu menu;
        menu.addAction(QStringLiteral("Cut"))->setData(57635);
        EXPECT_EQ(execMenu(menu, QPoint(10, 10)), 0);
        // A test's answerer still answers: it stands for the person.
        ScopedAnswerer answerer;
        answerer.reply(IDYES);
        EXPECT_EQ(messageBox("Asked in a test", "Lumivo", MB_YESNO), IDYES);
    }
    ASSERT_EQ(noted.size(), 5);
    EXPECT_TRUE(noted[0].contains("Save changes to outputfile?")) << noted[0].toStdString();
    EXPECT_TRUE(noted[1].contains("The user file could not be saved"));
    EXPECT_TRUE(noted[2].contains("Open output file"));
    EXPECT_TRUE(noted[3].contains("Settings"));

    EXPECT_FALSE(nobodyToAnswer());
    messageBox("Asked again", "Lumivo", MB_OK);
    EXPECT_EQ(noted.size(), 5) << "the state ended with its scope";

    // Without a place of its own, the line goes to standard error.
    testing::internal::CaptureStderr();
    {
        ScopedNobodyToAnswer nobody;
        messageBox("Nobody reads this box", "Lumivo", MB_OK);
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Nobody reads this box"), std::string::npos);
}

TEST_F(UiTest, ModalDialogsAreFilledInByTheAnswerer)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Name"));
    auto* edit = new QLineEdit(&dialog);
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& shown) {
        shown.findChild<QLineEdit*>()->setText(QStringLiteral("Anna"));
        return IDOK;
    });
    answerer.reply(IDCANCEL);
    EXPECT_EQ(runModal(dialog), IDOK);
    EXPECT_EQ(edit->text(), QStringLiteral("Anna"));
    EXPECT_EQ(runModal(dialog), IDCANCEL);
    EXPECT_EQ(answerer.questions()[0].kind, QuestionKind::Dialog);
    EXPECT_EQ(answerer.questions()[0].text, QStringLiteral("Name"));
}

TEST_F(UiTest, APopupMenuIsAnsweredByItemOrByLookingAtIt)
{
    QMenu menu(QStringLiteral("Icon"));
    menu.addAction(QStringLiteral("Cut"))->setData(57635);
    menu.addAction(QStringLiteral("Copy"))->setData(57634);
    ScopedAnswerer answerer;
    answerer.reply(57634);
    answerer.reply([](QMenu& shown) { return shown.actions().front()->data().toInt(); });
    answerer.reply(QStringLiteral("/tmp/not-an-item"));
    EXPECT_EQ(execMenu(menu, QPoint()), 57634);
    EXPECT_EQ(execMenu(menu, QPoint()), 57635);
    EXPECT_EQ(execMenu(menu, QPoint()), 0) << "a reply of the wrong kind chooses nothing";
    EXPECT_EQ(execMenu(menu, QPoint()), 0) << "an empty queue chooses nothing";
    ASSERT_EQ(answerer.questions().size(), 4u);
    EXPECT_EQ(answerer.questions()[0].kind, QuestionKind::Menu);
    EXPECT_EQ(answerer.questions()[0].text, QStringLiteral("Icon"));
}

TEST_F(UiTest, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(windowsFilterToQt("Pages (*.tvf)|*.tvf|Pictures|*.bmp;*.jpg|All files (*.*)|*.*||"),
              QStringLiteral("Pages (*.tvf);;Pictures (*.bmp *.jpg);;All files (*.*)"));
    EXPECT_EQ(windowsFilterToQt(""), QString());
}

TEST_F(UiTest, TreeItemsAreWalkedByRelationAndVisibility)
{
    QTreeWidget tree;
    const CTreeItem a = InsertItem(tree, "a");
    const CTreeItem c = InsertItem(tree, "c");
    const CTreeItem b = InsertItem(tree, "b", nullptr, a);
    const CTreeItem child = InsertItem(tree, "a1", a, TVI_LAST);
    const CTreeItem first = InsertItem(tree, "a0", a, TVI_FIRST);

    EXPECT_EQ(GetRootItem(tree).item(), a.item());
    EXPECT_EQ(GetNextItem(tree, a, TVGN_NEXT).item(), b.item());
    EXPECT_EQ(GetNextItem(tree, c, TVGN_NEXT).item(), nullptr);
    EXPECT_EQ(GetNextItem(tree, c, TVGN_PREVIOUS).item(), b.item());
    EXPECT_EQ(GetNextItem(tree, a, TVGN_CHILD).item(), first.item());
    EXPECT_EQ(GetNextItem(tree, child, TVGN_PARENT).item(), a.item());

    // Children of a collapsed item are skipped by the visible walk.
    EXPECT_EQ(GetNextVisibleItem(tree, a).item(), b.item());
    a.item()->setExpanded(true);
    EXPECT_EQ(GetNextVisibleItem(tree, a).item(), first.item());
    EXPECT_EQ(GetPrevVisibleItem(tree, b).item(), child.item());
    EXPECT_TRUE(GetPrevVisibleItem(tree, a).isNull());

    tree.setCurrentItem(c);
    EXPECT_EQ(GetSelectedItem(tree).item(), c.item());
    EXPECT_EQ(GetSelectedItem(tree).tree(), &tree);
}
