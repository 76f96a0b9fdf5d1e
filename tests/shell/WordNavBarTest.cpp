// The word navigation bar: the history of the pages the main pane showed, the pages of a word shown
// one after the other, and the combo box's completion and special keys.

#include "shell/WordNavBar.h"
#include "core/Icon.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace lumivo::test;

namespace
{

constexpr std::uint16_t kLanguage = 1;
constexpr std::int32_t kWordOnThreePages = 7;
constexpr std::int32_t kOtherWord = 8;
constexpr std::int32_t kInflectedWord = 9;

// The client window's part: the pages the main pane takes reach the bar's history.
class HistoryOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return false; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
    void MainPaneShowedPage(CQuibBg* page) override
    {
        if (bar)
            bar->AddToHistory(page);
    }
    CWordNavBar* bar = nullptr;
};

class WordNavBarTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_file = makeResourceFile(tempPath("pages.tvf"));
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
        theMainPane.PaneRect = CRect(0, 0, 640, 427);
        m_bar = std::make_unique<CWordNavBar>();
        m_owner.bar = m_bar.get();
        theMainPane.SetOwnerWnd(&m_owner);
    }
    void TearDown() override
    {
        m_owner.bar = nullptr;
        m_bar.reset();
        theMainPane.SetPage(nullptr);
        theBgIndex.DeleteAll();
        theWordIndex.DeleteAll();
        LumivoTest::TearDown();
    }

    // A page of the page index with one icon of the word.
    void indexPage(std::int32_t id, std::int32_t wordId)
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = QStringLiteral("Page %1").arg(id);
        auto icon = std::make_unique<CQuibIcon>();
        icon->WordId = wordId;
        icon->StoredRect = CRect(0, 0, 100, 100);
        page->Icons.push_back(std::move(icon));
        storeInFile(*page, id, m_file, MakeBgType(1, kLanguage));
        page->Write();
        theBgIndex.Add(std::move(page));
    }

    void indexWord(std::int32_t id, const QString& name)
    {
        auto word = std::make_unique<CQuibWord>();
        word->WordName = name;
        storeInFile(*word, id, m_file, MakeWordType(kLanguage));
        theWordIndex.Names().InsertSorted(name, word.get());
        theWordIndex.Add(std::move(word));
    }

    void show(std::int32_t id) { theMainPane.LoadPage(id); }
    std::int32_t shownPage() const { return theMainPane.GetPage() ? theMainPane.GetPage()->GetID() : 0; }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(m_bar->ComboBox()->lineEdit(), &event);
    }
    void type(const QString& text)
    {
        for (const QChar letter : text)
            press(Qt::Key_A + (letter.toUpper().unicode() - 'A'), Qt::NoModifier, QString(letter));
    }

    int m_file = 0;
    HistoryOwner m_owner;
    std::unique_ptr<CWordNavBar> m_bar;
};

} // namespace

TEST_F(WordNavBarTest, HistoryKeepsTheLastElevenDistinctPagesAndStepsBackAndForth)
{
    for (std::int32_t id = 1; id <= 13; ++id)
        indexPage(id, kOtherWord);
    for (std::int32_t id = 1; id <= 13; ++id)
        show(id);
    EXPECT_EQ(m_bar->History(), (std::vector<std::int32_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));

    // The same page again is no new entry.
    theMainPane.SetPage(nullptr);
    show(13);
    EXPECT_EQ(m_bar->History().size(), 11u);

    // Back one and next again returns to the page, with both entries kept.
    m_bar->PrevPage();
    EXPECT_EQ(shownPage(), 12);
    m_bar->NextPage();
    EXPECT_EQ(shownPage(), 13);
    EXPECT_EQ(m_bar->History().size(), 11u);
    EXPECT_EQ(m_bar->HistoryPosition(), 10);

    // Back two, then a new page: the two entries that were ahead go.
    m_bar->PrevPage();
    m_bar->PrevPage();
    EXPECT_EQ(shownPage(), 11);
    show(2);
    EXPECT_EQ(m_bar->History(), (std::vector<std::int32_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 2}));
    lumivo::ui::CommandUpdate next(kNextPageCommand);
    m_bar->OnCommand(kNextPageCommand, lumivo::ui::kUpdateCommand, &next);
    EXPECT_EQ(next.enabled(), false);
}

TEST_F(WordNavBarTest, AnUnloadablePageIsDroppedAndTheStepStopsAtTheEnds)
{
    indexPage(1, kOtherWord);
    indexPage(3, kOtherWord);
    show(1);
    // A page of a file that is no longer active cannot be shown again.
    const int closedFile = makeResourceFile(tempPath("closed.tvf"));
    CQuibBg stray;
    storeInFile(stray, 2, closedFile, MakeBgType(1, kLanguage));
    m_bar->AddToHistory(&stray);
    show(3);
    ASSERT_EQ(m_bar->History(), (std::vector<std::int32_t>{1, 2, 3}));
    m_bar->PrevPage();
    EXPECT_EQ(shownPage(), 1);
    EXPECT_EQ(m_bar->History(), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(m_bar->HistoryPosition(), 0);
    m_bar->PrevPage(); // at the head: nothing to step to
    EXPECT_EQ(m_bar->HistoryPosition(), 0);
    m_bar->NextPage();
    EXPECT_EQ(shownPage(), 3);
    EXPECT_EQ(m_bar->HistoryPosition(), 1);
}

TEST_F(WordNavBarTest, GotoWordCyclesThroughThePagesOfTheWord)
{
    indexPage(1, kWordOnThreePages);
    indexPage(2, kOtherWord);
    indexPage(3, kWordOnThreePages);
    indexPage(4, kWordOnThreePages);
    EXPECT_TRUE(IsWordOnAnyPage(kOtherWord));
    EXPECT_FALSE(IsWordOnAnyPage(99));
    m_bar->ComboBox()->SetWord(kWordOnThreePages, QStringLiteral("sol"));
    std::vector<std::int32_t> shown;
    for (int press = 0; press < 4; ++press) {
        m_bar->GotoWord();
        shown.push_back(shownPage());
    }
    EXPECT_EQ(shown, (std::vector<std::int32_t>{1, 3, 4, 1}));

    // An inflected form finds the pages of its base word too; no word finds no page, not the pages
    // of icons without a word.
    CQuibWord plural;
    plural.WordName = QStringLiteral("sole");
    plural.WordForm = 0x200;
    plural.FamilyList = {kWordOnThreePages};
    storeInFile(plural, kInflectedWord, m_file, MakeWordType(kLanguage));
    plural.Write();
    indexPage(5, kInflectedWord);
    indexPage(6, 0);
    std::vector<std::int32_t> pages;
    EXPECT_EQ(BuildWordPageList(kInflectedWord, pages), 4);
    EXPECT_EQ(pages, (std::vector<std::int32_t>{1, 3, 4, 5}));
    pages.clear();
    EXPECT_EQ(BuildWordPageList(0, pages), 0);
}

TEST_F(WordNavBarTest, TypingCompletesTheWordAndTheSpecialKeysInsertLayoutCharacters)
{
    indexWord(20, QStringLiteral("hus"));
    indexWord(21, QStringLiteral("hund"));
    indexWord(22, QStringLiteral("kat"));
    CWordComboBox& combo = *m_bar->ComboBox();
    QLineEdit& edit = *combo.lineEdit();

    type(QStringLiteral("hu"));
    EXPECT_EQ(edit.text(), QStringLiteral("hund"));
    EXPECT_EQ(edit.selectedText(), QStringLiteral("nd"));
    EXPECT_EQ(combo.WordId(), 21);
    EXPECT_TRUE(combo.IsWordValid());
    EXPECT_EQ(combo.count(), 2) << "the list offers both words that begin so";

    type(QStringLiteral("x")); // replaces the completed part; no word goes on so
    EXPECT_EQ(edit.text(), QStringLiteral("hux"));
    EXPECT_EQ(combo.WordId(), 0);
    EXPECT_FALSE(combo.IsWordValid());

    // Backspace deletes without completing again; the word is valid only when a name equals the text.
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("h"));
    EXPECT_FALSE(combo.IsWordValid());
    type(QStringLiteral("us"));
    EXPECT_EQ(edit.text(), QStringLiteral("hus"));
    EXPECT_EQ(combo.WordId(), 20);

    press(Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r"));
    EXPECT_EQ(edit.text(), QStringLiteral("hus\u00AC"));
    EXPECT_EQ(edit.cursorPosition(), 4);
    EXPECT_FALSE(combo.IsWordValid()) << "the text is no longer the name itself";
    press(Qt::Key_Return);
    EXPECT_EQ(edit.text(), QStringLiteral("hus\u00AC")) << "Enter alone is swallowed";
}

TEST_F(WordNavBarTest, TheFramesBarFollowsTheToolbarBitAndTakesTheApplicationsCommands)
{
    indexPage(1, kOtherWord);
    indexPage(2, kOtherWord);
    CMainFrame frame;
    CWordNavBar* bar = m_bar.release();
    frame.SetWordNavBar(bar);
    show(1);
    show(2);
    EXPECT_TRUE(theCommandRoute.execute(kPrevPageCommand));
    EXPECT_EQ(shownPage(), 1);
    lumivo::ui::CommandUpdate next(kNextPageCommand);
    EXPECT_TRUE(theCommandRoute.update(next));
    EXPECT_EQ(next.enabled(), true);

    theScreenMode &= ~SCREENMODE_TOOLBARS;
    UpdateScreenMode();
    EXPECT_TRUE(bar->isHidden());
    theScreenMode |= SCREENMODE_TOOLBARS;
    UpdateScreenMode();
    EXPECT_FALSE(bar->isHidden());
}

TEST_F(WordNavBarTest, TheInflexionButtonFollowsTheSelectionWhileTheBarLives)
{
    QAction* button = m_bar->Button(kNextInflexionCommand);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());
    CQuibIcon icon;
    icon.Word = std::make_unique<CQuibWord>();
    icon.Select();
    EXPECT_TRUE(button->isEnabled()) << "one icon with a word in the browse tool";
    icon.Deselect();
    EXPECT_FALSE(button->isEnabled());

    m_bar.reset(); // gone: the selection tells no one
    icon.Select();
    icon.Deselect();
}
