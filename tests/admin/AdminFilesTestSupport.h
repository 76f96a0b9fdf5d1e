#pragma once
// The world of the administration's tests: a base folder with Data and Users below it, a registry, data
// files and user files on disk, a current user, and buttons pressed in dialogs the answerer hands over.

#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>

#include <memory>

namespace lumivo::test
{

class AdminFilesTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        QDir().mkpath(tempPath(QStringLiteral("Data")));
        QDir().mkpath(tempPath(QStringLiteral("Users")));
    }

    // Ida, the current user, in the users folder's standard file, and one data file.
    void startWithUserAndDataFile()
    {
        m_userFile = writeUserFile(usersPath(QStringLiteral("SUF.tvf")), kIda, QStringLiteral("Ida"));
        becomeCurrent(m_userFile, kIda);
        m_data = addDataFile(dataPath(QStringLiteral("data.tvf")));
    }

    static constexpr std::int32_t kIda = 40000;
    int m_userFile = 0;
    int m_data = 0;

    QString dataPath(const QString& name) const { return tempPath(QStringLiteral("Data/") + name); }
    QString usersPath(const QString& name) const { return tempPath(QStringLiteral("Users/") + name); }

    // A saved data file (kind 1, version 2.0.61) filed in theDataFiles; its number.
    static int addDataFile(const QString& path)
    {
        const int file = NewResFile(path, FILEKIND_DATA, 2, 0, 61);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        ScanDataFolder(file);
        return file;
    }

    // A saved user file at `path` holding user `id` named `name`, left open; its number.
    static int writeUserFile(const QString& path, std::int32_t id, const QString& name,
                             std::uint32_t kind = FILEKIND_USER)
    {
        const int file = NewResFile(path, kind, 2, 0, 61);
        CQuibUser user;
        user.Name = name;
        EXPECT_EQ(user.SaveAs(id, file, CQuibUser::kType), RES_OK);
        EXPECT_EQ(user.Write(), RES_OK);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        return file;
    }

    // Makes user `id` of `file` current.
    static void becomeCurrent(int file, std::int32_t id)
    {
        auto user = std::make_unique<CQuibUser>();
        ASSERT_EQ(user->LoadFrom(id, file), RES_OK);
        SetCurrentUser(std::move(user));
    }

    static QByteArray fileBytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static int intSetting(const char* name)
    {
        int value = 0;
        GetSystemSettingInt(QLatin1String(name), &value);
        return value;
    }
};

// Clicks the button with that object name in the dialog.
inline void clickButton(QDialog& dialog, const char* name)
{
    auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Presses the dialog's OK; what the dialog then ended with.
inline int pressOk(QDialog& dialog)
{
    clickButton(dialog, "okButton");
    return dialog.result() == QDialog::Accepted ? lumivo::ui::IDOK : lumivo::ui::IDCANCEL;
}

} // namespace lumivo::test
