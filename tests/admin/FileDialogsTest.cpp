// The input-files dialog and the choose-user dialog: what they list, what they may close, and that
// choosing a user brings the whole program up to date for it.

#include "admin/ChooseUserDlg.h"
#include "admin/InputFilesDlg.h"
#include "admin/OutputFileLife.h"
#include "core/WordEditorHooks.h"
#include "shell/Reload.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::test::clickButton;
using lumivo::test::pressOk;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::int32_t kBo = 40001;

class FileDialogsTest : public AdminFilesTest
{
protected:
    void SetUp() override
    {
        AdminFilesTest::SetUp();
        startWithUserAndDataFile();
        ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
    }

    static QTreeWidgetItem* rowOf(QTreeWidget& list, int file)
    {
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            if (list.topLevelItem(i)->data(0, Qt::UserRole).toInt() == file)
                return list.topLevelItem(i);
        }
        return nullptr;
    }

    static QStringList entriesOf(const QComboBox& combo)
    {
        QStringList entries;
        for (int i = 0; i < combo.count(); ++i)
            entries << combo.itemText(i);
        return entries;
    }

    // The numbers of the open files, in the store's order.
    static std::vector<QString> openPaths()
    {
        std::vector<QString> paths;
        for (int file = 1; file < 64; ++file) {
            if (FindResFileEntry(file))
                paths.push_back(GetResFilePath(file));
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

} // namespace

TEST_F(FileDialogsTest, InputFilesSaysEachFilesRolesAndClosesOnlyPlainDataFiles)
{
    CInputFilesDlg dialog;
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("inputFilesList"));
    auto* remove = dialog.findChild<QPushButton*>(QStringLiteral("removeFileButton"));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(rowOf(*list, m_data)->text(1), QStringLiteral("2.0.61"));
    EXPECT_EQ(rowOf(*list, m_data)->text(2), LoadSystemString(9512));
    EXPECT_EQ(rowOf(*list, m_userFile)->text(2), LoadSystemString(9512) + LoadSystemString(9515));
    EXPECT_EQ(rowOf(*list, theOutputFile)->text(2), LoadSystemString(9512) + LoadSystemString(9514));
    EXPECT_EQ(rowOf(*list, theOutputFile)->text(0), tempPath(QStringLiteral("out.tvf")));
    dialog.show();
    QCoreApplication::processEvents();
    for (int column = 0; column < list->columnCount(); ++column) {
        EXPECT_GE(list->columnWidth(column), static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column))
            << "column " << column << " shows its texts whole";
    }

    for (int file : {theOutputFile, m_userFile}) {
        list->setCurrentItem(rowOf(*list, file));
        EXPECT_FALSE(remove->isEnabled()) << file;
        remove->click();
        EXPECT_NE(rowOf(*list, file), nullptr);
        EXPECT_NE(FindResFileEntry(file), nullptr);
    }
    list->setCurrentItem(rowOf(*list, m_data));
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_EQ(rowOf(*list, m_data), nullptr);
    EXPECT_EQ(FindResFileEntry(m_data), nullptr);
    EXPECT_TRUE(theDataFiles.empty() || theDataFiles == std::vector<int>{theOutputFile});

    // Added again: a data file not active until the reload, and an open file is not opened twice.
    {
        ScopedAnswerer answerer;
        answerer.reply(dataPath(QStringLiteral("data.tvf")));
        clickButton(dialog, "addFileButton");
    }
    const int added = FindResFileByPath(dataPath(QStringLiteral("data.tvf")));
    ASSERT_GT(added, 0);
    ASSERT_NE(rowOf(*list, added), nullptr);
    EXPECT_EQ(rowOf(*list, added)->text(2), LoadSystemString(9513));
    const std::vector<QString> before = openPaths();
    {
        ScopedAnswerer answerer;
        answerer.reply(dataPath(QStringLiteral("data.tvf")));
        clickButton(dialog, "addFileButton");
    }
    EXPECT_EQ(openPaths(), before);
    EXPECT_EQ(std::count(theDataFiles.begin(), theDataFiles.end(), added), 1);
}

TEST_F(FileDialogsTest, InputFilesLetsTheFileSetBeWhileTheWordEditorWorks)
{
    theWordEditorFrame = reinterpret_cast<CQuibW_Frame*>(this);
    CInputFilesDlg dialog;
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("addFileButton"))->isHidden());
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("removeFileButton"))->isHidden());
    theWordEditorFrame = nullptr;
}

TEST_F(FileDialogsTest, ChooseUserListsEachFileOnceAndCancelClosesWhatItOpened)
{
    const int second = writeUserFile(usersPath(QStringLiteral("bo.tvf")), kBo, QStringLiteral("Bo"));
    CloseResFile(second);
    const int profile = writeUserFile(usersPath(QStringLiteral("profile.tvf")), 41000,
                                      QStringLiteral("Klasse"), FILEKIND_PROFILE);
    CQuibUser hidden;
    hidden.Name = QStringLiteral("Template");
    ASSERT_EQ(hidden.SaveAs(CQuibUser::kTemplateUserId, profile, CQuibUser::kType), RES_OK);
    ASSERT_EQ(hidden.Write(), RES_OK);
    ASSERT_EQ(SaveResFile(profile), RES_OK);
    CloseResFile(profile);
    const std::vector<QString> before = openPaths();
    {
        CChooseUserDlg dialog;
        auto* users = dialog.findChild<QComboBox*>(QStringLiteral("userList"));
        EXPECT_EQ(entriesOf(*users),
                  (QStringList{QStringLiteral("Ida"), QStringLiteral("Bo"),
                               QStringLiteral("Klasse (%1)").arg(LoadSystemString(9036))}));
        EXPECT_EQ(dialog.SelectedUser(), theCurrentUser);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("userFilePath"))->text(),
                  usersPath(QStringLiteral("SUF.tvf")));

        // Another file: only its users.
        ScopedAnswerer answerer;
        answerer.reply(usersPath(QStringLiteral("bo.tvf")));
        clickButton(dialog, "otherFileButton");
        EXPECT_EQ(entriesOf(*users), QStringList{QStringLiteral("Bo")});
        dialog.reject();
    }
    EXPECT_EQ(openPaths(), before) << "Cancel leaves the open files as they were";
    EXPECT_EQ(theCurrentUser->Name, QStringLiteral("Ida"));
}

TEST_F(FileDialogsTest, ChoosingAUserRebuildsEverythingForIt)
{
    const int second = writeUserFile(usersPath(QStringLiteral("bo.tvf")), kBo, QStringLiteral("Bo"));
    CloseResFile(second);
    InitializeSystem(0xFFFF);
    ASSERT_NE(std::find(theActiveFiles.begin(), theActiveFiles.end(), m_userFile), theActiveFiles.end());
    {
        ScopedAnswerer answerer;
        answerer.reply([](QDialog& dialog) {
            dialog.findChild<QComboBox*>(QStringLiteral("userList"))->setCurrentIndex(1);
            return pressOk(dialog);
        });
        ChooseUser();
    }
    ASSERT_NE(theCurrentUser, nullptr);
    EXPECT_EQ(theCurrentUser->Name, QStringLiteral("Bo"));
    const int boFile = FindResFileByPath(usersPath(QStringLiteral("bo.tvf")));
    ASSERT_GT(boFile, 0) << "the new user's file stays open";
    EXPECT_EQ(theCurrentUser->GetFile(), boFile);
    EXPECT_NE(std::find(theActiveFiles.begin(), theActiveFiles.end(), boFile), theActiveFiles.end())
        << "the new user's file is searched";
    EXPECT_EQ(std::find(theActiveFiles.begin(), theActiveFiles.end(), m_userFile), theActiveFiles.end())
        << "the released file is gone from the search";
    EXPECT_EQ(theSystemInitFlags, 0u);

    // The user already current: nothing but closing.
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) { return pressOk(dialog); });
    CQuibUser* current = theCurrentUser;
    ChooseUser();
    EXPECT_EQ(theCurrentUser, current);
}
