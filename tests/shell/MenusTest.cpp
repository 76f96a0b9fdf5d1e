#include "shell/Menus.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "shell/MainFrame.h"
#include "shell/ProgramVersion.h"
#include "shell/WordNavBar.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include "store/Registry.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <memory>

namespace
{

constexpr std::uint16_t kDanish = 2;
constexpr std::uint16_t kEnglish = 8;

// A popup as text: "text=id" per item, "-" per separator, "title{...}" per submenu.
QStringList itemsOf(const QMenu& menu)
{
    QStringList items;
    for (const QAction* item : menu.actions()) {
        if (item->isSeparator())
            items << QStringLiteral("-");
        else if (const QMenu* submenu = item->menu())
            items << submenu->title() + QLatin1Char('{') + itemsOf(*submenu).join(QLatin1Char(',')) +
                         QLatin1Char('}');
        else
            items << item->text() + QLatin1Char('=') + QString::number(item->data().toInt());
    }
    return items;
}

QStringList popupTitles(const QMenuBar& bar)
{
    QStringList titles;
    for (const QAction* popup : bar.actions())
        titles << popup->text();
    return titles;
}

QList<int> commandsOf(const QMenu& menu)
{
    QList<int> commands;
    for (const QAction* item : menu.actions()) {
        if (!item->isSeparator())
            commands << item->data().toInt();
    }
    return commands;
}

class MenusTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_frame = std::make_unique<CMainFrame>();
    }
    void TearDown() override
    {
        m_frame.reset();
        LumivoTest::TearDown();
    }

    // The edit-tool commands whose toolbar buttons are visible.
    QList<int> visibleToolButtons() const
    {
        QList<int> visible;
        for (const int command : lumivo::kEditToolCommands) {
            const QAction* button = m_frame->ToolButton(command);
            EXPECT_NE(button, nullptr) << command;
            if (button && button->isVisible())
                visible << command;
        }
        return visible;
    }

    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(MenusTest, MenusFollowTheLanguageAndGoToTheFrame)
{
    theProgramMode = kProgramModeEdit;
    theLanguageNo = kEnglish;
    CreateMenus();

    ASSERT_TRUE(theMainMenu);
    EXPECT_EQ(m_frame->menuBar(), theMainMenu.data());
    EXPECT_EQ(popupTitles(*theMainMenu), QStringList({"File", "Edit", "Go to", "Help"}));
    EXPECT_EQ(
        itemsOf(*theFilePopup),
        QStringList({"Add new user...=5011", "Set current user...=5012", "Save as profile...=5019",
                     "Save=5035", "Export page...=5033", "Import page...=5034", "User settings...=5014",
                     "System settings...=5018", "Edit mode=5016", "-",
                     "Choose print{Current sentence as text=5028,Current sentence with icons=5029,"
                     "All sentences as text=5030,All sentences with icons=5031,"
                     "All sentences as letter=5032,Current page to notebook=5026,Print setup...=5027}",
                     "Page setup...=5021", "Print preview...=5023", "Print...=5022", "-", "E&xit=5013"}));
    EXPECT_EQ(itemsOf(*theHelpPopup),
              QStringList({"Contents=5203", "Index...=5204", "Search...=5205",
                           "About " + LoadSystemString(SYSSTR_APPNAME) + "...=5202"}));
    EXPECT_EQ(theFilePopup->actions().first()->statusTip(), "Create a new user.");

    // Made again in Danish, the bar is a new one and the old one is gone.
    const QPointer<QMenuBar> englishBar = theMainMenu;
    theLanguageNo = kDanish;
    CreateMenus();
    EXPECT_NE(m_frame->menuBar(), englishBar.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(englishBar.isNull());
    EXPECT_EQ(m_frame->menuBar(), theMainMenu.data());
    EXPECT_EQ(popupTitles(*theMainMenu), QStringList({"Filer", "Rediger", "Gå til", "Hjælp"}));
    EXPECT_EQ(itemsOf(*theHelpPopup).last(), "Om " + LoadSystemString(SYSSTR_APPNAME) + "...=5202");
    EXPECT_EQ(itemsOf(*theFilePopup).first(), "Tilføj ny bruger...=5011");

    DestroyMenus();
    EXPECT_TRUE(theMainMenu.isNull());
    EXPECT_TRUE(thePagePopup.isNull());
}

// The bars were made before the language was known: the menu step gives them its texts too.
TEST_F(MenusTest, TheBarsFollowTheLanguageWithTheMenus)
{
    m_frame->SetWordNavBar(new CWordNavBar);
    auto* bar = static_cast<CWordNavBar*>(m_frame->WordNavBar());
    theLanguageNo = kDanish;
    CreateMenus();
    EXPECT_EQ(bar->windowTitle(), "Søg...");
    EXPECT_EQ(m_frame->ToolBar()->windowTitle(), "Værktøjslinje");
    EXPECT_EQ(bar->Button(kGotoWordCommand)->text(), "Gå til ord");
    EXPECT_EQ(m_frame->ToolButton(5022)->toolTip(), "Udskriv...");

    theLanguageNo = kEnglish;
    CreateMenus();
    EXPECT_EQ(bar->windowTitle(), "Search...");
    EXPECT_EQ(bar->Button(kGotoWordCommand)->toolTip(), "Goto word");
    EXPECT_EQ(m_frame->ToolButton(5022)->toolTip(), "Print...");
}

TEST_F(MenusTest, AMissingTextShowsQuestionMarks)
{
    QMenu menu;
    const QAction* item = lumivo::addCommandItem(menu, 3999, 5999);
    EXPECT_EQ(item->text(), "???");
    EXPECT_EQ(item->data().toInt(), 5999);
}

TEST_F(MenusTest, EditBitsDecideTheEditPopupAndTheToolButtons)
{
    theProgramMode = kProgramModeEdit;
    CreateMenus();
    ASSERT_TRUE(theEditPopup);
    EXPECT_EQ(commandsOf(*theEditPopup),
              QList<int>({5103, 5123, 5102, 5117, 5118, 5111, 5112, 5119, 5120, 5124, 5125, 5104,
                          5105, 5122, 5106, 5107, 5108, 5109, 5121, 5110, 5113, 5114, 5115, 5116}));
    EXPECT_EQ(visibleToolButtons().size(), lumivo::kEditToolCommands.size());

    theProgramMode = kProgramModeReducedEdit;
    CreateMenus();
    ASSERT_TRUE(theEditPopup);
    EXPECT_EQ(commandsOf(*theEditPopup), QList<int>({5103, 5123, 5111, 5112, 5119, 5120, 5124, 5125, 5104,
                                                     5105, 5122, 5113, 5114, 5115, 5116}));
    EXPECT_EQ(visibleToolButtons(), QList<int>({5104, 5105, 5122}));

    theProgramMode = kProgramModeDeveloper;
    CreateMenus();
    EXPECT_TRUE(theEditPopup.isNull());
    EXPECT_EQ(popupTitles(*theMainMenu), QStringList({"File", "Go to", "Help"}));
    EXPECT_TRUE(visibleToolButtons().isEmpty());
}

TEST_F(MenusTest, PagePopupHasALetterSubmenuThatIsFilledWhenItOpens)
{
    const int file = lumivo::test::makeResourceFile(tempPath("pages.tvf"));
    theActiveFiles = {file};
    theCurrentLanguage = kDanish;
    theSearchLanguages = {kDanish};
    auto page = std::make_unique<CQuibBg>();
    page->Name = QStringLiteral("Ønsker");
    ASSERT_EQ(page->Create(), RES_OK);
    ASSERT_EQ(page->SaveAs(31, file, MakeBgType(1, kDanish)), RES_OK);
    SaveBackground(std::move(page));
    CreateMenus();

    ASSERT_TRUE(thePagePopup);
    const QList<QAction*> letters = thePagePopup->actions();
    QString titles;
    for (const QAction* letter : letters) {
        ASSERT_NE(letter->menu(), nullptr);
        titles += letter->menu()->title();
        EXPECT_EQ(itemsOf(*letter->menu()), QStringList({"test=6100"}));
    }
    EXPECT_EQ(titles, "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ");

    emit letters.at(27)->menu()->aboutToShow();
    EXPECT_EQ(itemsOf(*letters.at(27)->menu()), QStringList({"Ønsker=6101"}));
    EXPECT_EQ(itemsOf(*letters.at(0)->menu()), QStringList({"test=6100"})) << "only the letter that opened";
}

TEST_F(MenusTest, TranslateAndTestMenusComeBeforeHelpAndMayExtendTheTitle)
{
    const auto translate = theBuildTranslateMenuHook.scoped([] {
        theMainMenu->addMenu(QStringLiteral("Translate"));
        MainFrame()->setWindowTitle(MainFrame()->windowTitle() + QStringLiteral(" ( out : Dansk ) "));
    });
    const auto test = theBuildTestMenuHook.scoped([] { theMainMenu->addMenu(QStringLiteral("Programmer")); });
    CreateMenus();

    EXPECT_EQ(popupTitles(*theMainMenu), QStringList({"File", "Go to", "Translate", "Programmer", "Help"}));
    // The program's version is 2.0, which the title shows in its second form.
    EXPECT_EQ(m_frame->windowTitle(),
              LoadSystemString(SYSSTR_APPNAME) + "  2.0   ( Run as 2.1 BETA ) ( out : Dansk ) ");
}

TEST_F(MenusTest, NothingIsBuiltWithoutAMainFrame)
{
    m_frame.reset();
    CreateMenus();
    EXPECT_TRUE(theMainMenu.isNull());
}

TEST_F(MenusTest, TitleShowsTheVersionInItsTwoForms)
{
    EXPECT_EQ(lumivo::windowTitle("Lumivo", 0), "Lumivo  0.0  BETA");
    EXPECT_EQ(lumivo::windowTitle("Lumivo", lumivo::packVersion(2, 0, 7, 3)),
              "Lumivo  2.0   ( Run as 2.1 BETA )");
    EXPECT_EQ(lumivo::windowTitle("Lumivo", lumivo::packVersion(2, 1, 0, 0)), "Lumivo  2.1  BETA");
}

TEST_F(MenusTest, OnlyTheProgramFileHasTheProgramVersion)
{
    EXPECT_EQ(GetFileVersion(GetExeFilePath()), lumivo::kProgramVersion);
    EXPECT_EQ(GetProgramVersion(), lumivo::kProgramVersion);
    EXPECT_EQ(lumivo::versionMajor(GetProgramVersion()), 2);
    EXPECT_EQ(FormatProgramVersion(), "2.0.1.0");

    const QString other = tempPath("other");
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(GetFileVersion(other), 0u);
    EXPECT_EQ(GetFileVersion(tempPath("missing")), 0u);
    EXPECT_EQ(GetFileVersion({}), 0u);
    EXPECT_EQ(lumivo::packVersion(1, 2, 3, 0x1FF), 0x010203FFu);
}

} // namespace
