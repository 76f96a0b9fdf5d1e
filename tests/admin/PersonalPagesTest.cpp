// The Identity, Voice, Language, Print and Browse pages: the start-up settings in their three cases,
// voices known by name, language codes, the print sizes, and the browse callout's font.

#include "admin/UserSettingsSheet.h"
#include "media/SpeechEngine.h"
#include "platform/registry/Registry.h"
#include "shell/ColorCombo.h"
#include "system/SystemStrings.h"
#include "tests/admin/UserSettingsFixture.h"
#include "tests/support/UnwritableFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace lumivo;
using test::UserSettingsTest;

namespace
{

QString setting(const char* name)
{
    QString value;
    GetSystemSettingString(QLatin1String(name), value);
    return value;
}

int number(const char* name)
{
    int value = -1;
    GetSystemSettingInt(QLatin1String(name), &value);
    return value;
}

// Runs 5014 with the Identity page shown and its launch box set to `launch`.
void setLaunchBox(CQuibUS_PropSheet& sheet, bool launch)
{
    UserSettingsTest::show(sheet, sheet.m_identityPage);
    QCheckBox& box = *sheet.m_identityPage.LaunchBox();
    if (box.isChecked() != launch)
        box.click();
}

} // namespace

TEST_F(UserSettingsTest, TheLaunchBoxNamesTheUserInTheStartUpSettings)
{
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        setLaunchBox(running, true);
        running.m_identityPage.PasswordEdit()->setText("hemmelig");
        emit running.m_identityPage.PasswordEdit()->textEdited("hemmelig");
        running.m_identityPage.UsePasswordBox()->click();
        return ok(running);
    });
    EXPECT_EQ(setting("Userfile"), annaPath);
    EXPECT_EQ(number("Usernumber"), kAnnaId);
    EXPECT_EQ(number("Launch_user_at_start"), 1);
    EXPECT_EQ(user().Text1, "hemmelig");
    EXPECT_EQ(user().UsePassword, 1);
}

// The user the program starts with, chosen on a machine whose settings folder cannot be written: OK
// says that it could not be stored, naming the settings file.
TEST_F(UserSettingsTest, AStartUpUserThatCannotBeStoredIsSaid)
{
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    test::UnwritableFolder settingsFolder(registry::Registry::defaultFolder());
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        setLaunchBox(running, true);
        return ok(running);
    });
    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions().back().text, LoadSystemString(9580).replace("[#1]", SystemSettingsFile()));
    EXPECT_TRUE(SystemSettingsFile().startsWith(registry::Registry::defaultFolder()));
}

TEST_F(UserSettingsTest, UncheckingTheRegisteredUserEmptiesTheStartUpSettings)
{
    SetSystemSettingString("Userfile", annaPath);
    SetSystemSettingInt("Usernumber", kAnnaId);
    SetSystemSettingInt("Launch_user_at_start", 1);
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        EXPECT_TRUE(running.SetActivePage(running.m_identityPage));
        EXPECT_TRUE(running.m_identityPage.LaunchBox()->isChecked());
        setLaunchBox(running, false);
        return ok(running);
    });
    EXPECT_EQ(setting("Userfile"), "");
    EXPECT_EQ(number("Usernumber"), 0);
    EXPECT_EQ(number("Launch_user_at_start"), 0);

    // The next start takes the standard user file and keeps Anna's file with Anna in it.
    SetCurrentUser(nullptr);
    UseDefaultUser();
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(GetResFilePath(user().GetFile()), usersFolder() + "SUF.tvf");
    int file = 0;
    int result = 0;
    ASSERT_EQ(OpenDataFile(annaPath, &file, &result), DATAFILE_ACCEPTED);
    CQuibUser anna;
    ASSERT_EQ(anna.LoadFrom(kAnnaId, file), RES_OK);
    EXPECT_EQ(anna.Name, "Anna");
}

TEST_F(UserSettingsTest, TheStandardUsersFileIsKeptWhenItsUserIsNoLongerRegistered)
{
    // Anna lives in the standard user file and is the registered user; unchecking the box forgets the
    // number, and the next start must adopt her rather than replace her file.
    const QString standard = usersFolder() + "SUF.tvf";
    writeUserFile(standard, 40000, "Bo", FILEKIND_USER);
    int file = 0;
    int result = 0;
    ASSERT_EQ(OpenDataFile(standard, &file, &result), DATAFILE_ACCEPTED);
    auto bo = std::make_unique<CQuibUser>();
    ASSERT_EQ(bo->LoadFrom(40000, file), RES_OK);
    SetCurrentUser(std::move(bo));
    SetSystemSettingString("Userfile", standard);
    SetSystemSettingInt("Usernumber", 40000);
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        setLaunchBox(running, false);
        return ok(running);
    });
    ASSERT_EQ(number("Usernumber"), 0);
    SetCurrentUser(nullptr);
    UseDefaultUser();
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(user().Name, "Bo");
    EXPECT_EQ(user().GetID(), 40000);
    EXPECT_TRUE(QDir(usersFolder()).entryList({"*.damaged*"}).isEmpty());
}

TEST_F(UserSettingsTest, AnotherUsersPageKeepsTheRegisteredUser)
{
    SetSystemSettingString("Userfile", usersFolder() + "Bo.tvf");
    SetSystemSettingInt("Usernumber", 99);
    SetSystemSettingInt("Launch_user_at_start", 1);
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        setLaunchBox(running, false);
        return ok(running);
    });
    EXPECT_EQ(setting("Userfile"), usersFolder() + "Bo.tvf");
    EXPECT_EQ(number("Usernumber"), 99);
    EXPECT_EQ(number("Launch_user_at_start"), 0);
}

TEST_F(UserSettingsTest, AVoiceIsFoundByNameAndAMissingOneShowsAsUnknown)
{
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    ASSERT_EQ(theSpeechEngine->Init(), speechOk);
    ASSERT_GT(theSpeechEngine->GetVoiceCount(), 3);
    const int last = std::min(theSpeechEngine->GetVoiceCount(), 64) - 1;
    const QString name = theSpeechEngine->GetVoiceName(last);
    user().FirstOutput = 0x40; // stored when the voice had another number
    user().Voice1 = name.toUpper();
    user().SecondOutput = 0x45;
    user().Voice2 = "Vox Borea Mette";
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [&](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_voicePage);
        EXPECT_EQ(running.m_voicePage.GetCode(0), 0x40 + last);
        EXPECT_EQ(running.m_voicePage.VoiceCombo(0)->currentText(), name);
        EXPECT_EQ(running.m_voicePage.GetCode(1), 0x81);
        EXPECT_EQ(running.m_voicePage.VoiceCombo(1)->currentText(), "Microsoft unknown");
        EXPECT_EQ(running.m_voicePage.VoiceCombo(0)->findData(0x81), -1) << "listed only for its user";
        EXPECT_EQ(running.m_voicePage.VoiceCombo(0)->findData(0x10), -1) << "no outside reader here";
        running.m_voicePage.AmplificationBox()->click();
        return ok(running);
    });
    EXPECT_EQ(user().FirstOutput, 0x40 + last);
    EXPECT_EQ(user().Voice1, name);
    EXPECT_EQ(user().SecondOutput, 0x81);
    EXPECT_EQ(user().Voice2, "Vox Borea Mette") << "kept until another entry is chosen";
    EXPECT_EQ(user().Flags & 0x2, 0x2u);
}

TEST_F(UserSettingsTest, BeforeTheSpeechEngineExistsAStoredVoiceIsUnknown)
{
    user().FirstOutput = 0x42;
    user().Voice1 = "Danish";
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_voicePage);
        EXPECT_EQ(running.m_voicePage.GetCode(0), 0x81);
        return ui::IDCANCEL;
    });
}

TEST_F(UserSettingsTest, LanguagesWithoutARecordAndNoLanguage)
{
    user().SecondLanguage = 0;
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) {
        show(running, running.m_languagePage);
        QComboBox& primary = *running.m_languagePage.LanguageCombo(0);
        QComboBox& secondary = *running.m_languagePage.LanguageCombo(1);
        EXPECT_EQ(primary.currentText(), "Other Language");
        EXPECT_EQ(primary.currentData().toInt(), 10000);
        EXPECT_EQ(secondary.currentText(), "No language");
        EXPECT_EQ(secondary.findText("Other Language"), -1);
        primary.setCurrentIndex(primary.findData(0));
        emit primary.activated(primary.currentIndex());
        return ok(running);
    });
    EXPECT_EQ(user().PrimaryLanguage, 0);
    EXPECT_EQ(user().SecondLanguage, 0);
    EXPECT_EQ(sheet.GetChangeMask(), 0x200Fu);
}

TEST_F(UserSettingsTest, PrintSizesFollowTheChoiceAndWhatIsTyped)
{
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        CQuibUS_PrintPage& page = sheet.m_printPage;
        EXPECT_EQ(page.GetShownMode(), 5029);
        EXPECT_TRUE(page.IconSizeCombo()->isVisibleTo(page.GetWidget()));
        EXPECT_FALSE(page.WidthEdit()->isVisibleTo(page.GetWidget()));
        QComboBox& mode = *page.ModeCombo();
        mode.setCurrentIndex(mode.findData(5026));
        emit mode.activated(mode.currentIndex());
        EXPECT_TRUE(page.WidthEdit()->isVisibleTo(page.GetWidget()));
        EXPECT_FALSE(page.IconSizeCombo()->isVisibleTo(page.GetWidget()));

        QComboBox& size = *page.PageSizeCombo();
        size.setCurrentIndex(size.findData(9371));
        emit size.activated(size.currentIndex());
        EXPECT_EQ(page.WidthEdit()->text(), "95");
        EXPECT_EQ(page.HeightEdit()->text(), "60");
        EXPECT_FALSE(page.WidthEdit()->isEnabled());

        size.setCurrentIndex(size.findData(9369));
        emit size.activated(size.currentIndex());
        EXPECT_EQ(page.WidthEdit()->text(), "140");
        for (const char* typed : {"0", "x"})
            emit page.WidthEdit()->textEdited(typed);
        EXPECT_EQ(page.GetPageSize(), CSize(140, 93)) << "nothing taken";
        emit page.WidthEdit()->textEdited("120");
        EXPECT_EQ(page.GetPageSize(), CSize(120, 93));
        EXPECT_EQ(page.GetOtherSize(), CSize(120, 93));
        EXPECT_EQ(page.GetPageChoice(), 9369);

        page.OptionBox(0x100)->click(); // no page header on the pocketbook page
        return UserSettingsTest::ok(sheet);
    });
    EditPrintSettings();
    EXPECT_EQ(user().PrintPageChoice, 9369);
    EXPECT_EQ(user().PrintIconSize, CSize(120, 93));
    EXPECT_EQ(user().PrintValues[0], 0x200u);
    EXPECT_EQ(user().PrintMode, 5029) << "the mode shown is not stored";
}

TEST_F(UserSettingsTest, PrintTextsAreStoredAndTheGeneralOptionsEditTheModeShownBefore)
{
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        CQuibUS_PrintPage& page = sheet.m_printPage;
        QComboBox& mode = *page.ModeCombo();
        mode.setCurrentIndex(mode.findData(9375));
        emit mode.activated(mode.currentIndex());
        page.HeaderEdit()->setText("&lLumivo");
        emit page.HeaderEdit()->textEdited("&lLumivo");
        page.OptionBox(0x4)->click();
        return UserSettingsTest::ok(sheet);
    });
    EditPrintSettings();
    EXPECT_EQ(user().PrintHeader, "&lLumivo");
    EXPECT_EQ(user().PrintValues[2], 0x385u) << "transparent icons at high quality for the icons' mode";
}

TEST_F(UserSettingsTest, TheBrowseCalloutsFontAndFlags)
{
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    answers.reply([](QDialog& dialog) {
        auto& running = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        show(running, running.m_browseViewPage);
        CQuibUS_BrowseViewPage& page = running.m_browseViewPage;
        EXPECT_EQ(page.FontDescription()->text(), "MS Sans Serif, 16 pt, bold");
        page.GetWidget()->findChild<QPushButton*>("chooseFont")->click();
        EXPECT_EQ(running.GetChangeMask(), 0u) << "a cancelled font dialog changes nothing";
        QComboBox& appearance = *page.AppearanceCombo();
        appearance.setCurrentIndex(appearance.findData(0));
        emit appearance.activated(appearance.currentIndex());
        return ok(running);
    });
    answers.reply(ui::IDCANCEL); // the font dialog
    sheet.DoModal();
    EXPECT_EQ(answers.questions().at(1).kind, ui::QuestionKind::Font);
    EXPECT_EQ(user().BrowseFlags, 0x5010u) << "no callout, the text still shown";
    EXPECT_EQ(sheet.GetChangeMask(), 0x2020u);
}
