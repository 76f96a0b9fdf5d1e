// The user-settings sheet as a whole: the commands and their tabs, what OK, Cancel and a page never
// shown do to the user, the change mask each kind of edit gives, and the reset of the user file.

#include "admin/UserSettingsSheet.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/files/FileSystem.h"
#include "shell/ColorCombo.h"
#include "shell/Commands.h"
#include "shell/Reload.h"
#include "store/ResourceHandle.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/admin/UserSettingsFixture.h"
#include "tests/support/Bytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

using namespace lumivo;
using test::UserResetTest;
using test::UserSettingsTest;

namespace
{

QStringList tabTexts(QDialog& dialog)
{
    QStringList texts;
    auto* tabs = dialog.findChild<QTabWidget*>();
    for (int i = 0; tabs && i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}

// The reload steps that ran, by the status lines they give.
class ReloadSteps
{
public:
    ReloadSteps() : m_scope(theReloadStatusHook.scoped([this](const QString& text) { lines << text; })) {}
    QStringList lines;

private:
    lumivo::Hook<void(const QString&)>::Scoped m_scope;
};

} // namespace

TEST_F(UserSettingsTest, TheCommandsShowTenTabsOrThePrintTabAlone)
{
    QStringList tabs5014;
    QStringList tabs5027;
    answers.reply([&](QDialog& dialog) {
        tabs5014 = tabTexts(dialog);
        return ui::IDCANCEL;
    });
    answers.reply([&](QDialog& dialog) {
        tabs5027 = tabTexts(dialog);
        return ui::IDCANCEL;
    });
    theEditUserSettingsHook();
    theEditPrintSettingsHook();

    QStringList expected;
    for (int id : {9316, 9323, 9325, 9326, 9317, 9318, 9319, 9320, 9321, 9322})
        expected << LoadSystemString(id);
    EXPECT_EQ(tabs5014, expected);
    EXPECT_EQ(expected.first(), "Profile");
    EXPECT_EQ(tabs5027, QStringList{"Print"});
    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions()[0].text, "Edit user settings");
}

TEST_F(UserSettingsTest, WithoutAUserNoSheetShows)
{
    SetCurrentUser(nullptr);
    ReloadSteps steps;
    EditUserSettings();
    EditPrintSettings();
    EXPECT_TRUE(answers.questions().empty());
    EXPECT_TRUE(steps.lines.isEmpty());
}

TEST_F(UserSettingsTest, OkWithoutEditsWritesTheUserAndRebuildsNothing)
{
    SaveCurrentUser();
    ASSERT_FALSE(IsResFileDirty(user().GetFile()));
    ReloadSteps steps;
    SetTraceLogEnabled(true);
    answers.reply(ui::IDOK);
    EditUserSettings();
    SetTraceLogEnabled(false);

    EXPECT_TRUE(IsResFileDirty(user().GetFile())) << "the user was written";
    EXPECT_EQ(steps.lines, QStringList{"Initialize system settings"}) << "mask 0 runs no step";
    QFile trace(TraceLogPath());
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(trace.readAll());
    for (const char* line : {"EUS START", "EUS 10", "EUS 28", "EUS 52", "EUS 53", "EUS 70", "EUS END"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
}

TEST_F(UserSettingsTest, EachKindOfEditAsksForItsReloadSteps)
{
    const struct {
        const char* edit;
        std::function<void(CQuibUS_PropSheet&)> act;
        std::uint32_t mask;
    } cases[] = {
        {"name",
         [](CQuibUS_PropSheet& sheet) {
             show(sheet, sheet.m_identityPage);
             sheet.m_identityPage.NameEdit()->setText("Anne");
             emit sheet.m_identityPage.NameEdit()->textEdited("Anne");
         },
         0x2000},
        {"pane colour",
         [](CQuibUS_PropSheet& sheet) {
             show(sheet, sheet.m_mainViewPage);
             CColorCombo& combo = *sheet.m_mainViewPage.ColorCombo();
             combo.SelectColor(0x04000000);
             emit combo.activated(combo.currentIndex());
         },
         0x2020},
        {"window element", [](CQuibUS_PropSheet& sheet) { sheet.m_basicPage.ElementBox(1)->click(); },
         0x2040},
        {"language",
         [](CQuibUS_PropSheet& sheet) {
             show(sheet, sheet.m_languagePage);
             QComboBox& combo = *sheet.m_languagePage.LanguageCombo(0);
             combo.setCurrentIndex(combo.count() - 1); // "No language"
             emit combo.activated(combo.currentIndex());
         },
         0x200F},
    };
    for (const auto& each : cases) {
        CQuibUS_PropSheet sheet(9037);
        addAllPages(sheet);
        EXPECT_EQ(run(sheet,
                      [&](CQuibUS_PropSheet& running, QDialog&) {
                          each.act(running);
                          return ok(running);
                      }),
                  ui::IDOK)
            << each.edit;
        EXPECT_EQ(sheet.GetChangeMask(), each.mask) << each.edit;
    }
}

TEST_F(UserSettingsTest, APageNeverShownWritesNothing)
{
    user().MainPane.Color = 0x05112233;
    user().Text1 = "hemmelig";
    user().ScreenFlags = 0x16; // as the shown Profile page reads its boxes back
    const CQuibUserSettings before = user().Settings();
    CQuibUS_PropSheet sheet(9037);
    addAllPages(sheet);
    run(sheet, [](CQuibUS_PropSheet& running, QDialog&) { return ok(running); });

    EXPECT_TRUE(user().Settings() == before);
    QString stored;
    EXPECT_FALSE(GetSystemSettingString("Userfile", stored)) << "the Identity page was never shown";
    int launch = 0;
    EXPECT_FALSE(GetSystemSettingInt("Launch_user_at_start", &launch));
}

TEST_F(UserSettingsTest, CancelAfterRedefiningAColourLeavesTheRecordAsItWas)
{
    ASSERT_EQ(user().Write(), RES_OK);
    const QByteArray before = recordBytes(user());
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        CQuibUS_BasicPage& page = sheet.m_basicPage;
        page.PaletteCombo()->SelectColor(0x03000000);
        emit page.PaletteCombo()->activated(page.PaletteCombo()->currentIndex());
        page.ChooseButton()->click();
        EXPECT_EQ(user().ColorTable.count(3), 1u) << "the user holds the redefined colour";
        return ui::IDCANCEL;
    });
    answers.reply(QColor(10, 20, 30)); // the colour dialog of "Choose"
    EditUserSettings();

    EXPECT_EQ(user().ColorTable.count(3), 0u);
    ASSERT_EQ(user().Write(), RES_OK);
    EXPECT_EQ(recordBytes(user()), before);
}

TEST_F(UserSettingsTest, ResetMovesTheUserFileToADatedBackupAndStartsAfresh)
{
    user().PrimaryLanguage = 2;
    user().Commit();
    SetSystemSettingString("Userfile", annaPath);
    SetSystemSettingInt("Usernumber", kAnnaId);
    SetSystemSettingInt("Launch_user_at_start", 1);
    answers.reply(pressFactoryThenOk);
    EditUserSettings();

    const QStringList backups = QDir(tempDir() + "/Temp").entryList({"Anna_*.tvf"}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^Anna_\d{6}-\d{6}\.tvf$)").match(backups[0]).hasMatch())
        << qPrintable(backups[0]);
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(user().Name, "Standard user") << "start-up's fall-back made a new user in the registered file";
    EXPECT_EQ(GetResFilePath(user().GetFile()), annaPath);

    // The backup holds Anna as her file had her, not the factory settings only shown in the sheet.
    int file = 0;
    ASSERT_EQ(OpenResFile(&file, tempDir() + "/Temp/" + backups[0]), RES_OK);
    CQuibUser kept;
    ASSERT_EQ(kept.LoadFrom(kAnnaId, file), RES_OK);
    EXPECT_EQ(kept.Name, "Anna");
    EXPECT_EQ(kept.PrimaryLanguage, 2);
}

TEST_F(UserSettingsTest, TwoResetsInARowKeepBothBackups)
{
    SetSystemSettingString("Userfile", annaPath);
    SetSystemSettingInt("Usernumber", kAnnaId);
    SetSystemSettingInt("Launch_user_at_start", 1);
    answers.reply(pressFactoryThenOk);
    EditUserSettings();
    answers.reply(pressFactoryThenOk);
    EditUserSettings(); // most often within the same second as the first

    EXPECT_EQ(QDir(tempDir() + "/Temp").entryList({"Anna_*.tvf"}, QDir::Files).size(), 2);
}

TEST_F(UserSettingsTest, AResetThatCannotMoveTheFileSaysSoAndKeepsTheUser)
{
    QFile blocker(tempDir() + "/Temp"); // a file where the Temp folder should be: no backup can be made
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    answers.reply(pressFactoryThenOk);
    EditUserSettings();

    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions()[1].text, LoadSystemString(9555).replace("[#1]", annaPath));
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(user().Name, "Anna");
    EXPECT_EQ(user().GetID(), kAnnaId);
    EXPECT_EQ(GetResFilePath(user().GetFile()), annaPath);
}

// The installation's template gives the new user: Anna's file holds it in her place, the old file waits
// in the Temp folder, and nothing is said.
TEST_F(UserResetTest, AResetMakesTheUserAfreshFromTheTemplate)
{
    dropProgramState();
    UseDefaultUser();
    ASSERT_TRUE(isAnnaFromHerFile());
    answers.reply(pressFactoryThenOk);
    EditUserSettings();

    EXPECT_EQ(answers.questions().size(), 1u) << answers.questions().back().text.toStdString();
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(user().Name, "Factory");
    EXPECT_EQ(user().GetID(), kAnnaId);
    EXPECT_EQ(GetResFilePath(user().GetFile()), annaPath);
    EXPECT_EQ(QDir(tempDir() + "/Temp").entryList({"Anna_*.tvf"}, QDir::Files).size(), 1);
    dropProgramState();
    UseDefaultUser();
    EXPECT_EQ(user().Name, "Factory") << "the next start";
}

// On a full disk no new user file can be made: Anna keeps her file, stays current and is told why
// nothing was reset.
TEST_F(UserResetTest, AResetOnAFullDiskKeepsTheUserFileAndSaysSo)
{
    files::FaultyFileSystem faulty(files::fileSystem());
    {
        files::ScopedFileSystem scoped(faulty);
        dropProgramState();
        UseDefaultUser(); // Anna's file opened on the disk that fills
        ASSERT_TRUE(isAnnaFromHerFile());
        faulty.setRoomLeft(1024); // room for a save of her file, none for a new user file
        answers.reply(pressFactoryThenOk);
        EditUserSettings();

        EXPECT_EQ(answers.questions().size(), 2u);
        EXPECT_EQ(answers.questions().back().text, LoadSystemString(9556).replace("[#1]", annaPath));
        EXPECT_TRUE(isAnnaFromHerFile());
        EXPECT_TRUE(QDir(tempDir() + "/Temp").entryList({"Anna_*"}, QDir::Files).isEmpty());
        faulty.setRoomLeft(std::nullopt);
        dropProgramState();
    }
    UseDefaultUser();
    EXPECT_TRUE(isAnnaFromHerFile()) << "the next start";
}

// Kills the reset at each of its writes, flushes and renames in turn (nothing later reaches the disk),
// with the template for new users and without it, then starts the program again. The kill never
// leaves Anna's file holding another user; the next start always opens a user from Anna's file, Anna as
// she was or the factory user, and leaves no scratch file of the store in the users folder.
TEST_F(UserResetTest, AResetKilledAtAnyStepLeavesTheNextStartAUser)
{
    // Pictures of hers make the file mostly live bytes: leaving her compacts it through the store's
    // scratch file.
    {
        CMyByteRes pictures;
        ASSERT_EQ(pictures.Create(), RES_OK);
        pictures.SetSize(20000);
        ASSERT_EQ(pictures.SaveAs(1, user().GetFile(), 77), RES_OK);
    }
    SetCurrentUser(nullptr);
    const QByteArray anna = test::fileContent(annaPath);
    const QByteArray factory = test::fileContent(templatePath());
    files::FaultyFileSystem faulty(files::fileSystem());
    files::ScopedFileSystem scoped(faulty);
    int kills = 0;
    int reset = 0;
    for (const bool withTemplate : {true, false}) {
        for (const auto operation :
             {files::FaultyFileSystem::Operation::Write, files::FaultyFileSystem::Operation::Flush,
              files::FaultyFileSystem::Operation::Rename}) {
            for (int n = 1;; ++n) {
                const std::string step = (withTemplate ? "with template, kill at " : "kill at ") +
                                         std::to_string(static_cast<int>(operation)) + " #" +
                                         std::to_string(n);
                faulty.failAt(operation, 0);
                dropProgramState();
                QDir(tempDir() + "/Temp").removeRecursively();
                QDir(usersFolder()).removeRecursively();
                QDir().mkpath(usersFolder());
                test::replaceFileContent(annaPath, anna);
                if (withTemplate)
                    test::replaceFileContent(templatePath(), factory);
                UseDefaultUser();
                ASSERT_TRUE(isAnnaFromHerFile());
                SetResFileDirty(user().GetFile()); // something of hers still to be saved

                faulty.failAt(operation, n);
                answers.clear();
                answers.reply(pressFactoryThenOk);
                EditUserSettings();
                const bool killed = faulty.hasFailed();
                dropProgramState();
                faulty.failAt(operation, 0);
                if (!killed)
                    break;
                ++kills;
                if (QFile::exists(annaPath)) {
                    int file = 0;
                    ASSERT_EQ(OpenResFile(&file, annaPath), RES_OK) << step;
                    EXPECT_TRUE(ResourceExists(kAnnaId, CQuibUser::kType, file)) << step;
                    CloseResFile(file);
                }
                UseDefaultUser();
                const bool asReset = theCurrentUser && user().GetID() == kAnnaId &&
                                     user().Name == (withTemplate ? "Factory" : "Standard user") &&
                                     GetResFilePath(user().GetFile()) == annaPath;
                reset += asReset;
                EXPECT_TRUE(isAnnaFromHerFile() || asReset) << step;
                // No scratch file of the store or of an atomic write is left among the user files.
                const QStringList files = QDir(usersFolder()).entryList(QDir::Files);
                EXPECT_TRUE(files == QStringList{"Anna.tvf"} || files == QStringList({"Anna.tvf", "TUF.tvf"}))
                    << step << " " << qPrintable(files.join(' '));
            }
        }
    }
    dropProgramState();
    EXPECT_GT(kills, 20);
    EXPECT_GT(reset, 0) << "some kills came after the reset was done";
}

TEST_F(UserSettingsTest, ResetAndCancelLeaveTheUserAndItsFile)
{
    user().Name = "Anna";
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        user().MainPane.Color = 0x05000000;
        sheet.m_basicPage.FactoryButton()->click();
        EXPECT_EQ(user().MainPane.Color, 0x03D3CEADu);
        return ui::IDCANCEL;
    });
    EditUserSettings();
    EXPECT_EQ(user().GetID(), kAnnaId);
    EXPECT_EQ(user().MainPane.Color, 0x03D3CEADu) << "read back from the file";
    EXPECT_TRUE(QFile::exists(annaPath));
}

TEST_F(UserSettingsTest, CancelKeepsAUserHeldInMemoryOnly)
{
    auto temporary = std::make_unique<CQuibUser>();
    temporary->Create();
    temporary->Name = "Standard user";
    temporary->MaxSentences = 20;
    SetCurrentUser(std::move(temporary));
    answers.reply([](QDialog& dialog) {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(ui::PropertySheet::FromDialog(dialog));
        sheet.m_basicPage.FactoryButton()->click(); // changes the user in place
        return ui::IDCANCEL;
    });
    EditUserSettings();
    EXPECT_EQ(user().Name, "Standard user");
    EXPECT_EQ(user().MaxSentences, 20);
}
