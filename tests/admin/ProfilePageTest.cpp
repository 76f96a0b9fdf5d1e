// The Profile page: profiles offered from the users folder, restoring from a profile or the factory
// without touching what is the user's own, the three-state window boxes, and the palette's new,
// redefined, standard and deleted colours.

#include "admin/ProfilePage.h"
#include "admin/UserSettingsSheet.h"
#include "platform/ui/InputDialogs.h"
#include "shell/ColorCombo.h"
#include "tests/admin/UserSettingsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace lumivo;
using test::UserSettingsTest;

namespace
{

constexpr std::int32_t kSchoolId = 77;

// Answers the name question of "Define..." with `name`.
std::function<int(QDialog&)> nameAnswer(const QString& name)
{
    return std::function<int(QDialog&)>([name](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QLatin1String(ui::kTextInputEditName))->setText(name);
        return ui::IDOK;
    });
}

void choosePalette(CQuibUS_BasicPage& page, int number)
{
    CColorCombo& combo = *page.PaletteCombo();
    combo.SelectColor(static_cast<std::uint32_t>(number) << 24);
    emit combo.activated(combo.currentIndex());
}

std::vector<int> comboNumbers(const CColorCombo& combo)
{
    std::vector<int> numbers;
    for (int i = 0; i < combo.count(); ++i)
        numbers.push_back(combo.ColorAt(i)->GetID());
    return numbers;
}

class ProfilePageTest : public UserSettingsTest
{
protected:
    // A profile file "Skole" and Anna following it, with what is Anna's own set apart.
    void linkAnnaToASchoolProfile()
    {
        writeUserFile(usersFolder() + "Skole.tvf", kSchoolId, "Skole", FILEKIND_PROFILE,
                      [](CQuibUser& school) {
                          school.MainPane.Color = 0x01000000;
                          school.Sentences = {1, 2};
                          school.Text1 = "profile password";
                          auto rose = std::make_unique<CColor>();
                          rose->Set(0xCC88FF, 101, "Rosa", 0x10000);
                          school.ColorTable[101] = std::move(rose);
                      });
        user().ProfileName = "Skole";
        user().ProfileNumber = kSchoolId;
        user().Text1 = "pw";
        user().Text2 = "hint";
        user().UsePassword = 1;
        user().Sentences = {5, 6, 7};
        user().CurrentSentence = 6;
        ReapplyCurrentUser();
        ASSERT_TRUE(user().Profile);
    }

    template <class Answer> void reply(Answer answer)
    {
        m_queued.push_back([answer](ui::ScopedAnswerer& answerer) { answerer.reply(answer); });
    }
    // Runs a sheet of all pages with the fill-in, the queued replies answering what it asks.
    int runWith(CQuibUS_PropSheet& sheet, const FillIn& fillIn)
    {
        answers.reply([&sheet, fillIn](QDialog& dialog) { return fillIn(sheet, dialog); });
        for (const auto& queue : m_queued)
            queue(answers);
        m_queued.clear();
        return sheet.DoModal();
    }

private:
    std::vector<std::function<void(ui::ScopedAnswerer&)>> m_queued;
};

} // namespace

TEST_F(ProfilePageTest, WithoutProfileFilesNothingCanBeRestored)
{
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        EXPECT_EQ(running.m_basicPage.ProfileCombo()->count(), 0) << "Anna's own file is a user file";
        EXPECT_FALSE(running.m_basicPage.RestoreProfileButton()->isEnabled());
        return ui::IDCANCEL;
    });
}

TEST_F(ProfilePageTest, RestoringTheProfileKeepsWhatIsTheUsersOwn)
{
    linkAnnaToASchoolProfile();
    const CQuibUser* ownProfile = user().Profile.get();
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    runWith(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        CQuibUS_BasicPage& page = running.m_basicPage;
        EXPECT_EQ(page.ProfileCombo()->currentText(), "Skole");
        EXPECT_TRUE(page.RestoreProfileButton()->isEnabled());
        show(running, running.m_mainViewPage);
        show(running, running.m_basicPage);
        page.RestoreProfileButton()->click();
        return ok(running);
    });

    EXPECT_EQ(sheet.GetChangeMask(), 0xFFFFu);
    EXPECT_EQ(user().MainPane.Color, 0x01000000u)
        << "the main pane page, built before, took the profile's colour";
    ASSERT_EQ(user().ColorTable.count(101), 1u);
    EXPECT_EQ(user().ColorTable.at(101)->GetName(), "Rosa");
    EXPECT_EQ(user().Name, "Anna");
    EXPECT_EQ(user().Text1, "pw");
    EXPECT_EQ(user().Text2, "hint");
    EXPECT_EQ(user().UsePassword, 1);
    EXPECT_EQ(user().Sentences, (std::vector<std::int32_t>{5, 6, 7}));
    EXPECT_EQ(user().CurrentSentence, 6);
    EXPECT_EQ(user().ProfileNumber, kSchoolId);
    EXPECT_EQ(user().Profile.get(), ownProfile) << "the link the user owns is the one it had";
    EXPECT_FALSE(GetResFilePath(user().Profile->GetFile()).isEmpty()) << "its file was not closed under it";
}

TEST_F(ProfilePageTest, AChosenProfileIsTheSheetsOnlyAndGoesWithTheUserReset)
{
    linkAnnaToASchoolProfile();
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        QComboBox& combo = *sheet.m_basicPage.ProfileCombo();
        emit combo.activated(0); // the page's own copy of the profile
        EXPECT_NE(sheet.GetProfile(), user().Profile.get());
        sheet.m_basicPage.RestoreProfileButton()->click();
        sheet.m_basicPage.FactoryButton()->click();
        return ok(sheet);
    });
    EditUserSettings(); // the user goes, with the profile it owned; no page refers to either
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_NE(user().Name, "Anna");
}

TEST_F(ProfilePageTest, AWindowBoxCyclesThroughItsThreeStates)
{
    user().ScreenFlags = 0x00;
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        QCheckBox& menuBar = *running.m_basicPage.ElementBox(1);
        EXPECT_EQ(menuBar.checkState(), Qt::Unchecked);
        menuBar.click();
        EXPECT_EQ(menuBar.checkState(), Qt::Checked);
        EXPECT_EQ(running.m_basicPage.GetScreenFlags(), 0x01);
        menuBar.click();
        EXPECT_EQ(menuBar.checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(running.m_basicPage.GetScreenFlags(), 0x10);
        return ok(running);
    });
    EXPECT_EQ(sheet.GetChangeMask(), 0x2040u);
    EXPECT_EQ(user().ScreenFlags, 0x10);
}

TEST_F(ProfilePageTest, NewColoursAreNumberedFrom101AndWrapBelow199)
{
    EXPECT_EQ(CQuibUS_BasicPage::NewColorNumber({1, 2, 255}), 101);
    EXPECT_EQ(CQuibUS_BasicPage::NewColorNumber({101, 3}), 102);
    std::vector<int> taken;
    for (int number = 101; number <= 198; ++number)
        if (number != 150)
            taken.push_back(number);
    EXPECT_EQ(CQuibUS_BasicPage::NewColorNumber(taken), 150);
    taken.push_back(150);
    EXPECT_EQ(CQuibUS_BasicPage::NewColorNumber(taken), 0);
}

TEST_F(ProfilePageTest, DefinedColoursAreNumberedAndAUserColourCanBeDeleted)
{
    reply(nameAnswer("Rosa"));
    reply(QColor(0xFF, 0x88, 0xCC));
    reply(QColor(0x11, 0x22, 0x33)); // "Choose" on Rosa
    reply(nameAnswer("Mint"));
    reply(QColor(0x88, 0xFF, 0xCC));
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    runWith(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        CQuibUS_BasicPage& page = running.m_basicPage;
        EXPECT_TRUE(page.PaletteCombo()->ShowsNumbers());
        EXPECT_EQ(comboNumbers(*page.PaletteCombo()).back(), 255) << "Define... comes last";
        choosePalette(page, 255);
        EXPECT_EQ(page.PaletteCombo()->itemText(page.PaletteCombo()->currentIndex()), "Rosa");
        page.ChooseButton()->click();
        choosePalette(page, 255);
        EXPECT_EQ(user().ColorTable.count(102), 1u) << "the next number, though 101 was redefined";
        EXPECT_EQ(user().ColorTable.at(101)->GetRGB(), 0x332211u);

        choosePalette(page, 101);
        EXPECT_EQ(page.StandardButton()->text(), "Delete");
        page.StandardButton()->click();
        EXPECT_EQ(user().ColorTable.count(101), 0u);
        EXPECT_EQ(running.ColorMap().count(101), 0u);
        const std::vector<int> numbers = comboNumbers(*page.PaletteCombo());
        EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 101), 0);
        EXPECT_EQ(page.PaletteCombo()->currentIndex(), -1);
        return ui::IDCANCEL;
    });
}

TEST_F(ProfilePageTest, StandardPutsARedefinedColourBackForEveryPage)
{
    reply(QColor(0x10, 0x20, 0x30));
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    runWith(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        CQuibUS_BasicPage& page = running.m_basicPage;
        choosePalette(page, 3);
        EXPECT_EQ(page.StandardButton()->text(), "Standard");
        page.ChooseButton()->click();
        EXPECT_EQ(running.ColorMap().at(3)->GetRGB(), 0x302010u);
        page.StandardButton()->click();
        EXPECT_EQ(user().ColorTable.count(3), 0u);
        EXPECT_EQ(running.ColorMap().at(3)->GetRGB(), 0xD3CEADu)
            << "the other pages offer the standard again";
        show(running, running.m_mainViewPage);
        CColor shown;
        EXPECT_TRUE(running.m_mainViewPage.ColorCombo()->FindColorById(3, shown));
        EXPECT_EQ(shown.GetRGB(), 0xD3CEADu);
        return ui::IDCANCEL;
    });
}
