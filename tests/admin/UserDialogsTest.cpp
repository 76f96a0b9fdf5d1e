// The new user's settings dialog and the user-level dialogs: what OK stores and where, the ranges of
// level numbers, and that Cancel stores nothing.

#include "admin/OutputFileLife.h"
#include "admin/UserLevelDlgs.h"
#include "admin/UserLevelEditing.h"
#include "admin/UserSettingsDlg.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::test::clickButton;
using lumivo::test::pressOk;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kTranslation = 20;

class UserDialogsTest : public AdminFilesTest
{
protected:
    void SetUp() override
    {
        AdminFilesTest::SetUp();
        startWithUserAndDataFile();
    }

    // A level stored in `file` with kind 0.
    static void storeLevel(int file, std::uint16_t language, std::int32_t number, const char* name)
    {
        CQuibUserLevel level;
        level.Name = QString::fromUtf8(name);
        level.Language = language;
        level.Number = number;
        ASSERT_EQ(level.SaveAs(number, file, MakeUserLevelType(0, static_cast<std::int16_t>(language))),
                  RES_OK);
        ASSERT_EQ(level.Write(), RES_OK);
    }

    static int levelCount(int file, std::uint16_t language)
    {
        int count = 0;
        CountResources(&count, MakeUserLevelType(0, static_cast<std::int16_t>(language)), file);
        return count;
    }

    static QString storedLevelName(int file, std::uint16_t language, std::int32_t number)
    {
        CQuibUserLevel level;
        if (AttachResource(&level, number, MakeUserLevelType(0, static_cast<std::int16_t>(language)), file) !=
                RES_OK ||
            level.Load() != RES_OK)
            return {};
        return level.Name;
    }

    void openTranslatingOutputFile()
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
        theTranslateLanguage = kTranslation;
    }
};

// Fills the new-level dialog and presses OK; whether OK could be pressed.
std::function<int(QDialog&)> newLevel(int number, const char* name)
{
    return [number, name](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("levelNumberEdit"))->setText(QString::number(number));
        dialog.findChild<QLineEdit*>(QStringLiteral("levelNameEdit"))->setText(QString::fromUtf8(name));
        if (!dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled())
            return int(ui::IDCANCEL);
        return pressOk(dialog);
    };
}

} // namespace

TEST_F(UserDialogsTest, TheNewUsersDialogStoresItsFieldsAndTheStartUpChoice)
{
    CQuibUser user;
    ASSERT_EQ(user.SaveAs(77, m_userFile, CQuibUser::kType), RES_OK);
    user.ScreenFlags = 0xF7; // every element in its third state, as a new user has it
    {
        ScopedAnswerer answerer;
        answerer.reply([](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Maja"));
            dialog.findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText(QStringLiteral("hemmelig"));
            dialog.findChild<QCheckBox*>(QStringLiteral("menuBarBox"))->setChecked(false);
            dialog.findChild<QCheckBox*>(QStringLiteral("launchBox"))->setChecked(true);
            return pressOk(dialog);
        });
        EXPECT_TRUE(EditNewUserProperties(user));
    }
    EXPECT_EQ(user.Name, QStringLiteral("Maja"));
    EXPECT_EQ(user.Text1, QStringLiteral("hemmelig"));
    EXPECT_EQ(user.ScreenFlags & 0x01, 0) << "the menu bar is off";
    EXPECT_EQ(user.ScreenFlags & 0x10, 0) << "and the change is the user's own, not the system's";
    EXPECT_EQ(user.ScreenFlags & 0x20, 0x20) << "an element left alone keeps its third state";
    QString file;
    GetSystemSettingString(QStringLiteral("Userfile"), file);
    EXPECT_EQ(file, usersPath(QStringLiteral("SUF.tvf")));
    EXPECT_EQ(intSetting("Usernumber"), 77);
    EXPECT_EQ(intSetting("Launch_user_at_start"), 1);
    EXPECT_TRUE(user.IsChanged());
    EXPECT_EQ(theSystemInitFlags & 0xFFFF, 0xFFFFu) << "every step waits for the user to become current";

    // Cancel: nothing.
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Ole"));
        return int(ui::IDCANCEL);
    });
    EXPECT_FALSE(EditNewUserProperties(user));
    EXPECT_EQ(user.Name, QStringLiteral("Maja"));
}

TEST_F(UserDialogsTest, ANewUserIsMadeOnlyThroughItsDialogAndThenBroughtIntoEffect)
{
    {
        ScopedAnswerer answerer;
        answerer.reply(usersPath(QStringLiteral("maja")));
        answerer.reply([](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Maja"));
            return pressOk(dialog);
        });
        SaveUserAs();
    }
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, QStringLiteral("Maja"));
    EXPECT_EQ(theSystemInitFlags, 0u) << "the reload ran once the user was current";
    EXPECT_EQ(theActiveFiles.back(), theCurrentUser->GetFile());
}

TEST_F(UserDialogsTest, LevelNumbersFollowTheirRanges)
{
    CUserLevelWork userFile(m_userFile, 1, false);
    EXPECT_FALSE(userFile.MayCreate(2000));
    EXPECT_TRUE(userFile.MayCreate(2001));
    EXPECT_TRUE(userFile.MayCreate(2999));
    EXPECT_FALSE(userFile.MayCreate(3000));
    EXPECT_FALSE(userFile.MayCreate(1000));
    EXPECT_FALSE(userFile.MayCreate(1500));
    CUserLevelWork outputFile(99, kTranslation, true);
    EXPECT_TRUE(outputFile.MayCreate(1000));
    EXPECT_TRUE(outputFile.MayCreate(1999));
    EXPECT_FALSE(outputFile.MayCreate(2000));

    // 2000 cannot be entered; 2001 can, and is stored with kind 0 in the user's own file.
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        ScopedAnswerer inner;
        inner.reply(newLevel(2000, "Nul"));
        clickButton(dialog, "newLevelButton");
        inner.reply(newLevel(2001, "Første"));
        clickButton(dialog, "newLevelButton");
        return pressOk(dialog);
    });
    EditUserLevels();
    EXPECT_EQ(levelCount(m_userFile, 1), 1);
    EXPECT_EQ(storedLevelName(m_userFile, 1, 2001), QStringLiteral("Første"));
}

TEST_F(UserDialogsTest, ALevelThatCannotBeStoredIsReported)
{
    CUserLevelWork work(m_userFile, 1, false);
    work.Start();
    auto level = std::make_unique<CQuibUserLevel>();
    level->Number = 2001;
    level->Language = 1;
    work.Add(std::move(level));
    ASSERT_EQ(CloseResFile(m_userFile), RES_OK); // the file went meanwhile
    const UserLevelResult result = work.Store();
    EXPECT_EQ(result.error, UserLevelError::StoreFailed);
    EXPECT_EQ(messageIdOf(result.error), 9532);
    EXPECT_FALSE(result.detail.isEmpty());
}

TEST_F(UserDialogsTest, ARenameLeavesOneRecordAndADataFilesLevelStaysInItsFile)
{
    storeLevel(m_userFile, 1, 2001, "Begynder");
    storeLevel(m_data, 1, 2002, "Øvet");
    ASSERT_EQ(SaveResFile(m_data), RES_OK);
    const QByteArray dataBefore = fileBytesOf(dataPath(QStringLiteral("data.tvf")));
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("userLevelList"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("levelNameEdit"));
        EXPECT_EQ(list->count(), 2);
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            name->setText(name->text() + QStringLiteral("!"));
            emit name->textEdited(name->text());
        }
        return pressOk(dialog);
    });
    EditUserLevels();
    EXPECT_EQ(levelCount(m_userFile, 1), 2);
    EXPECT_EQ(storedLevelName(m_userFile, 1, 2001), QStringLiteral("Begynder!"));
    EXPECT_EQ(storedLevelName(m_userFile, 1, 2002), QStringLiteral("Øvet!")) << "the edited copy";
    EXPECT_EQ(storedLevelName(m_data, 1, 2002), QStringLiteral("Øvet")) << "the data file keeps its own";
    EXPECT_FALSE(IsResFileDirty(m_data));
    EXPECT_EQ(fileBytesOf(dataPath(QStringLiteral("data.tvf"))), dataBefore);
}

TEST_F(UserDialogsTest, CancelAfterSeveralChangesStoresNothing)
{
    storeLevel(m_userFile, 1, 2001, "Begynder");
    ASSERT_EQ(SaveResFile(m_userFile), RES_OK);
    const QByteArray before = fileBytesOf(usersPath(QStringLiteral("SUF.tvf")));
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        dialog.findChild<QListWidget*>(QStringLiteral("userLevelList"))->setCurrentRow(0);
        clickButton(dialog, "removeLevelButton");
        ScopedAnswerer inner;
        inner.reply(newLevel(2500, "Ny"));
        clickButton(dialog, "newLevelButton");
        EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled());
        return int(ui::IDCANCEL);
    });
    EditUserLevels();
    EXPECT_FALSE(IsResFileDirty(m_userFile));
    EXPECT_EQ(storedLevelName(m_userFile, 1, 2001), QStringLiteral("Begynder"));
    EXPECT_EQ(levelCount(m_userFile, 1), 1);
    EXPECT_EQ(fileBytesOf(usersPath(QStringLiteral("SUF.tvf"))), before);
}

TEST_F(UserDialogsTest, TheOutputFileTakesSystemLevelsAndAsksBeforeEditingAnExistingOne)
{
    openTranslatingOutputFile();
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("userLevelList"));
        EXPECT_EQ(list->count(), 1) << "the default level";
        ScopedAnswerer inner;
        inner.reply(newLevel(1000, "Igen")).reply(ui::IDNO);
        clickButton(dialog, "newLevelButton");
        EXPECT_EQ(inner.questions().size(), 2u) << "the dialog, then: edit the existing level?";
        inner.reply(newLevel(1500, "System"));
        clickButton(dialog, "newLevelButton");
        return pressOk(dialog);
    });
    EXPECT_EQ(EditOutputFileUserLevels(), ui::IDOK);
    EXPECT_EQ(storedLevelName(theOutputFile, kTranslation, 1500), QStringLiteral("System"));
    EXPECT_EQ(levelCount(theOutputFile, kTranslation), 1) << "the untouched default level is not stored";
}
