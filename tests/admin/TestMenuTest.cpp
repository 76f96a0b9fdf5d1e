// The developer's test menu: its items and their states, the panes' information labels, the window
// sizes, and the word-usage and missing-sound reports.

#include "admin/TestMenu.h"

#include "admin/TestReports.h"
#include "core/FrameSizes.h"
#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "platform/types/Time.h"
#include "platform/ui/CommandRoute.h"
#include "platform/ui/Ui.h"
#include "shell/Menus.h"
#include "shell/ScreenLayout.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "tests/admin/AdminTestSupport.h"
#include "tests/core/UserTestStore.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::CommandUpdate;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = 1;
constexpr std::uint16_t kDanish = 2;
constexpr int kPaneInfoCommand = 5155;

// The menu as text: "text=id" per item, "-" per separator.
QStringList itemsOf(const QMenu& menu)
{
    QStringList items;
    for (const QAction* item : menu.actions())
        items << (item->isSeparator() ? QStringLiteral("-") : item->text() + "=" + item->data().toString());
    return items;
}

CommandUpdate stateOf(UINT id, bool* handled = nullptr)
{
    CommandUpdate update(static_cast<int>(id));
    const bool answered = OnTestCommand(id, lumivo::ui::kUpdateCommand, &update);
    if (handled)
        *handled = answered;
    return update;
}

} // namespace

class TestMenuTest : public AdminTest
{
protected:
    void SetUp() override
    {
        AdminTest::SetUp();
        m_file = makeResourceFile(tempPath("data.tvf"));
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
        theCurrentLanguage = kLanguage;
    }
    void TearDown() override
    {
        theSelectedIcons.clear();
        theBgIndex.DeleteAll();
        AdminTest::TearDown();
    }

    // A page of the page index with icons of these words; gives the page.
    CQuibBg& indexPage(std::int32_t id, std::initializer_list<std::int32_t> wordIds)
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = QStringLiteral("Page %1").arg(id);
        for (const std::int32_t wordId : wordIds) {
            auto icon = std::make_unique<CQuibIcon>();
            icon->WordId = wordId;
            icon->StoredRect = CRect(0, 0, 100, 100);
            page->Icons.push_back(std::move(icon));
        }
        storeInFile(*page, id, m_file, MakeBgType(1, kLanguage));
        page->Write();
        CQuibBg& indexed = *page;
        theBgIndex.Add(std::move(page));
        return indexed;
    }

    void storeWord(std::int32_t id, const QString& name)
    {
        CQuibWord word;
        word.WordName = name;
        storeInFile(word, id, m_file, MakeWordType(kLanguage));
        ASSERT_EQ(word.Write(), 0);
    }

    void storeSound(std::int32_t wordId, int voiceKind)
    {
        storeRecord(m_file, wordId, MakeSoundType(static_cast<std::int16_t>(voiceKind), kLanguage), {});
    }

    QString lastQuestion() const
    {
        return m_answerer.questions().empty() ? QString() : m_answerer.questions().back().text;
    }

    int m_file = 0;
    ScopedAnswerer m_answerer;
};

TEST_F(TestMenuTest, TheMenuComesBeforeHelpWithItsItemsInOrder)
{
    ASSERT_TRUE(theTestMenu);
    QStringList titles;
    for (const QAction* popup : theMainMenu->actions())
        titles << popup->text();
    EXPECT_EQ(titles.mid(titles.size() - 2), QStringList({"Programmer", "Help"}));
    EXPECT_EQ(
        itemsOf(*theTestMenu),
        QStringList({"Test ResMgr=5152", "Test WordEdit=5153", "Show pane info=5155", "-",
                     "Window 640 x 480=5160", "Window 800 x 600=5161", "Window 1024 x 768=5162",
                     "Window 1152 x 870=5163", "Window 1200 x 1024=5164", "Window 1600 x 1200=5165", "-",
                     "Report missing male sounds...=5156", "Report missing female sounds...=5157", "-"}));

    // Made anew at every menu build, in the language in force.
    theLanguageNo = kDanish;
    CreateMenus();
    EXPECT_EQ(theTestMenu->title(), "Programmør");
    EXPECT_EQ(itemsOf(*theTestMenu).at(2), "Vis rudeinfo=5155");
}

TEST_F(TestMenuTest, EveryItemIsEnabledAndOnlyItsItemsAreAnswered)
{
    bool handled = false;
    for (const UINT id : {5152u, 5153u, 5156u, 5157u, 5160u, 5165u}) {
        EXPECT_TRUE(stateOf(id, &handled).enabled().value_or(false)) << id;
        EXPECT_TRUE(handled) << id;
    }
    for (const UINT id : {5151u, 5154u, 5158u, 5166u, 5174u, 5150u, 5175u}) {
        stateOf(id, &handled);
        EXPECT_FALSE(handled) << id;
        EXPECT_FALSE(OnTestCommand(id, lumivo::ui::kExecuteCommand, nullptr)) << id;
    }
}

TEST_F(TestMenuTest, ShowPaneInfoTogglesItsTickAndThePanesLabel)
{
    QAction* item = offeredItem(*theMainMenu, kPaneInfoCommand);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());

    theMainPane.PaneRect = CRect(0, 0, 200, 100);
    theMainPane.SetVisible(true);
    const auto centre = [] {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        theMainPane.Draw(painter);
        return image.pixel(100, 50 - 8); // inside the label's white box, above its text
    };
    const QRgb without = centre();

    choose(*theMainMenu, kPaneInfoCommand);
    EXPECT_EQ(thePaneInfoFlags & kPaneInfoLabel, kPaneInfoLabel);
    EXPECT_TRUE(offeredItem(*theMainMenu, kPaneInfoCommand)->isChecked());
    EXPECT_EQ(centre(), qRgb(255, 255, 255)) << "the pane draws its label";
    EXPECT_NE(without, qRgb(255, 255, 255));

    choose(*theMainMenu, kPaneInfoCommand);
    EXPECT_EQ(thePaneInfoFlags & kPaneInfoLabel, 0);
    EXPECT_FALSE(offeredItem(*theMainMenu, kPaneInfoCommand)->isChecked());
    EXPECT_EQ(centre(), without);
}

TEST_F(TestMenuTest, WindowSizesPlaceTheWindowAndTheLayoutFollowsIt)
{
    m_frame->show();
    theFrameSizeMode = 3;
    choose(*theMainMenu, 5160);
    EXPECT_EQ(m_frame->frameGeometry().size(), QSize(644, 484));
    EXPECT_EQ(theFrameSizeMode, 1);
    choose(*theMainMenu, 5161);
    EXPECT_EQ(m_frame->frameGeometry().size(), QSize(804, 604));
    // The layout chooses the mode from the window, as after any resize.
    EXPECT_EQ(theFrameSizeMode, lumivo::frameSizeModeOf(804, 604));
    choose(*theMainMenu, 5165);
    EXPECT_EQ(m_frame->frameGeometry().size(), QSize(1604, 1204));
}

TEST_F(TestMenuTest, WordUsageNeedsExactlyOneSelectedIcon)
{
    CQuibBg& first = indexPage(1, {55, 66});
    indexPage(2, {66});
    CQuibBg& third = indexPage(3, {55, 55});
    first.Icons.front()->WordName = QStringLiteral("Hus");

    choose(*theMainMenu, 5153);
    EXPECT_EQ(lastQuestion(), "Select exactly one icon to see which backgrounds use its word.");
    theSelectedIcons = {first.Icons.front().get(), third.Icons.front().get()};
    choose(*theMainMenu, 5153);
    EXPECT_EQ(m_answerer.questions().size(), 2u);
    EXPECT_EQ(lastQuestion(), "Select exactly one icon to see which backgrounds use its word.");

    theLanguageNo = kDanish;
    theSelectedIcons = {first.Icons.front().get()};
    choose(*theMainMenu, 5153);
    EXPECT_EQ(lastQuestion(), "Ordet \"Hus\" findes i 2 baggrunde : Page 1, Page 3") << "each page once";

    // With no page using the word, nothing follows the colon: the sentence is kept whole.
    CQuibIcon lonely;
    lonely.WordId = 77;
    lonely.WordName = QStringLiteral("Kat");
    EXPECT_EQ(WordUsageText(lonely), "Ordet \"Kat\" findes i 0 baggrunde : ");
}

TEST_F(TestMenuTest, MissingSoundReportListsEachWordWithoutTheVoiceOnce)
{
    storeWord(101, "hus");
    storeWord(102, "bil");
    storeWord(103, QString::fromUtf8("æble"));
    storeSound(101, kMaleVoiceKind);
    storeSound(103, kFemaleVoiceKind);
    // 104 is no stored word, and 0 is an icon without one: neither gives a line.
    indexPage(1, {102, 101, 0});
    indexPage(2, {103, 102, 104});

    const CTime at(2024, 3, 7, 9, 5, 0);
    const QString rule = QString(65, '-') + "\r\n";
    EXPECT_EQ(MissingSoundReportText(kMaleVoiceKind, at),
              "Word used with icons with no sound (07.03.24 09:05):\r\n" + rule + "bil\r\næble\r\n");
    EXPECT_EQ(MissingSoundReportText(kFemaleVoiceKind, at),
              "Word used with icons with no sound (07.03.24 09:05):\r\n" + rule + "bil\r\nhus\r\n");

    const QString path = tempPath("report.txt");
    m_answerer.reply(path);
    choose(*theMainMenu, 5156);
    const auto& asked = m_answerer.questions().back();
    EXPECT_EQ(asked.kind, lumivo::ui::QuestionKind::SaveFile);
    EXPECT_EQ(asked.text, "Save report of used icons with word that missing sound.");
    EXPECT_TRUE(QRegularExpression("^Missing sounds \\d{6}-\\d{4}$").match(asked.caption).hasMatch())
        << asked.caption.toStdString();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("Word used with icons with no sound ("));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\r\nbil\r\n\xE6"
                                          "ble\r\n")))
        << "8-bit text";
}

TEST_F(TestMenuTest, AReportThatCannotBeWrittenSaysSoAndLeavesNoFile)
{
    indexPage(1, {102});
    storeWord(102, "bil");
    const QString path = tempPath("no such folder/report.txt");
    m_answerer.reply(path);
    choose(*theMainMenu, 5157);
    EXPECT_EQ(lastQuestion(), "The report could not be written: report.txt");
    EXPECT_FALSE(QFile::exists(path));

    // A cancelled chooser writes nothing and tells nothing.
    const auto asked = m_answerer.questions().size();
    choose(*theMainMenu, 5157);
    EXPECT_EQ(m_answerer.questions().size(), asked + 1);
}
