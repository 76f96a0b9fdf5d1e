// The pane pages: the start page's completion and read-back, a start page that is gone, the colour,
// the main pane's spot marker and folders, and the writer pane's sentence maximum.

#include "admin/PaneSettingsPages.h"
#include "admin/UserSettingsSheet.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "shell/ColorCombo.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/admin/UserSettingsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

using namespace lumivo;
using test::UserSettingsTest;

namespace
{

class PaneSettingsPagesTest : public UserSettingsTest
{
protected:
    static constexpr std::uint16_t kLanguage = 1;

    void SetUp() override
    {
        UserSettingsTest::SetUp();
        m_file = user().GetFile();
        // Pages are looked up in the active files and the search languages the reload would set.
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
    }

    // A page of the page index, stored in Anna's file.
    void indexPage(std::int32_t id, const QString& name)
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = name;
        ASSERT_EQ(page->SaveAs(id, m_file, MakeBgType(1, kLanguage)), RES_OK);
        page->Write();
        theBgIndex.Names().InsertSorted(name, page.get());
        theBgIndex.Add(std::move(page));
    }

    // Types into the start-page box as a person does: the text so far, the caret at its end.
    static void type(QComboBox& combo, const QString& text)
    {
        combo.lineEdit()->setText(text);
        combo.lineEdit()->setCursorPosition(static_cast<int>(text.size()));
        emit combo.lineEdit()->textEdited(text);
    }

    int m_file = 0;
};

QStringList items(const QComboBox& combo)
{
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

} // namespace

TEST_F(PaneSettingsPagesTest, TypingListsAtMostSevenPagesAndCompletesTheFirst)
{
    for (int n = 1; n <= 9; ++n)
        indexPage(100 + n, QStringLiteral("Mad %1").arg(n));
    indexPage(200, "Musik");
    indexPage(201, "dyr");
    theBgIndex.Names().Sort();
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_navViewPage);
        QComboBox& combo = *running.m_navViewPage.StartPageCombo();
        type(combo, "ma");
        EXPECT_EQ(items(combo), (QStringList{"Mad 1", "Mad 2", "Mad 3", "Mad 4", "Mad 5", "Mad 6", "Mad 7"}));
        EXPECT_EQ(combo.currentText(), "Mad 1");
        EXPECT_EQ(combo.lineEdit()->selectedText(), "d 1") << "typing goes on over the completed tail";
        EXPECT_EQ(running.m_navViewPage.GetStartPage(), 101u);

        type(combo, "M"); // Backspace took "a" and the tail: no completion over it again
        EXPECT_EQ(combo.currentText(), "M");
        EXPECT_EQ(combo.count(), 7);

        type(combo, "Dy");
        EXPECT_EQ(combo.currentText(), "dyr");
        type(combo, "x");
        EXPECT_EQ(combo.currentText(), "") << "no page begins with it";
        EXPECT_EQ(running.m_navViewPage.GetStartPage(), 0u);
        return ok(running);
    });
    EXPECT_EQ(sheet.GetChangeMask(), 0x2020u) << "the navigator's start page shows at once";
    EXPECT_EQ(user().NavigatorPane.StartPage, 0);
}

TEST_F(PaneSettingsPagesTest, AStartPageIsReadBackOnlyWhenItsNameIsListedExactly)
{
    indexPage(300, "Hjem");
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_mainViewPage);
        QComboBox& combo = *running.m_mainViewPage.StartPageCombo();
        type(combo, "hj");
        EXPECT_EQ(running.m_mainViewPage.GetStartPage(), 300u);
        combo.setEditText("hjem");
        running.m_mainViewPage.UpdateData(true);
        EXPECT_EQ(running.m_mainViewPage.GetStartPage(), 0u) << "case counts in the read-back";
        combo.setEditText("Hjem");
        return ok(running);
    });
    EXPECT_EQ(user().MainPane.StartPage, 300);
}

TEST_F(PaneSettingsPagesTest, AStartPageThatIsGoneSaysSoUntilTheTextChanges)
{
    indexPage(400, "Skole");
    user().WordPane.StartPage = 400;
    user().InfoPane.StartPage = 12345;
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_wordViewPage);
        EXPECT_EQ(running.m_wordViewPage.StartPageCombo()->currentText(), "Skole");
        show(running, running.m_infoViewPage);
        EXPECT_EQ(running.m_infoViewPage.StartPageCombo()->currentText(),
                  "--- Can't find page (id=12345) ---");
        return ok(running);
    });
    EXPECT_EQ(user().InfoPane.StartPage, 12345) << "kept while the text was not changed";
}

TEST_F(PaneSettingsPagesTest, AColourAndTheSpotMarkerReloadThePanes)
{
    user().MainPane.SecondColor = 0x100;
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_mainViewPage);
        CColorCombo& colors = *running.m_mainViewPage.ColorCombo();
        EXPECT_EQ(CColor::PackedID(running.m_mainViewPage.GetColor()), 3);
        colors.SelectColor(0x05000000);
        emit colors.activated(colors.currentIndex());
        running.m_mainViewPage.SpotMarkerBox()->click();
        return ok(running);
    });
    EXPECT_EQ(sheet.GetChangeMask(), 0x2020u);
    EXPECT_EQ(user().MainPane.Color, theSystemColorTable.at(5)->GetPacked());
    EXPECT_EQ(user().MainPane.SecondColor, 0x101u) << "the box edits bit 0 only";
}

TEST_F(PaneSettingsPagesTest, TheUserDefinableColourAsksForItsColour)
{
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        show(sheet, sheet.m_browseViewPage);
        CColorCombo& colors = *sheet.m_browseViewPage.ColorCombo();
        colors.setCurrentIndex(colors.UserDefinableIndex());
        emit colors.activated(colors.currentIndex());
        return ok(sheet);
    });
    answers.reply(QColor(0x12, 0x34, 0x56));
    EditUserSettings();
    EXPECT_EQ(user().BrowseColor, 0xFF563412u);
}

TEST_F(PaneSettingsPagesTest, AChosenFolderIsKeptAndShownShortened)
{
    const QString folder = tempDir() + "/a rather long folder name/with pictures/of the family";
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        show(sheet, sheet.m_mainViewPage);
        QWidget& page = *sheet.m_mainViewPage.GetWidget();
        page.findChild<QToolButton*>("pictureFolder2Button")->click();
        page.findChild<QToolButton*>("pictureFolderButton")->click(); // cancelled: kept as it was
        const QString shown = page.findChild<QLineEdit*>("pictureFolder2")->text();
        EXPECT_LE(shown.size(), 30);
        EXPECT_TRUE(shown.contains("...")) << qPrintable(shown);
        return ok(sheet);
    });
    answers.reply(folder);
    answers.reply(ui::IDCANCEL);
    const QString primary = user().PictureFolder;
    EditUserSettings();
    EXPECT_EQ(user().PictureFolder2, folder);
    EXPECT_EQ(user().PictureFolder, primary);
    EXPECT_EQ(answers.questions()[1].text, LoadSystemString(9409));
}

TEST_F(PaneSettingsPagesTest, TheSentenceMaximumStaysWithin1And99AndAboveTheSentencesHeld)
{
    user().Sentences = {1, 2, 3, 4, 5};
    user().MaxSentences = 9;
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        CQuibUS_WriterViewPage& page = running.m_writerViewPage;
        show(running, page);
        for (const char* typed : {"0", "100", "x", "4"}) {
            page.MaxSentencesEdit()->setText(typed);
            EXPECT_FALSE(running.SetActivePage(running.m_infoViewPage)) << typed;
            EXPECT_EQ(running.GetActivePage(), &page);
        }
        page.MaxSentencesEdit()->setText("9");
        EXPECT_TRUE(page.ValidateMaxSentences()) << "the value there was is always taken";
        page.MaxSentencesEdit()->setText("12");
        return ok(running);
    });
    const auto& asked = answers.questions();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[1].text, "The max number of sentences allowed is between 1 and 99.");
    EXPECT_EQ(asked[2].text, asked[1].text);
    EXPECT_EQ(asked[3].text, asked[1].text) << "not a number reads as 0";
    EXPECT_TRUE(
        asked[4].text.startsWith("The max number of sentences should be more than the actual numbers of "
                                 "sentences (5)."));
    EXPECT_EQ(user().MaxSentences, 12);
    EXPECT_EQ(sheet.GetChangeMask(), 0x2020u);
}
