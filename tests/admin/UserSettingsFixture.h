#pragma once
// The world of the user-settings tests: a base folder with its users folder, the settings in the
// registry, the built-in colours, and a user "Anna" in her own saved user file, made current. Runs the
// sheet with every page added, through the answerer, handing the fill-in function the running sheet.

#include "admin/UserSettingsSheet.h"
#include "core/ColorPalette.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>

#include <functional>
#include <memory>

namespace lumivo::test
{

class UserSettingsTest : public LumivoTest
{
protected:
    static constexpr std::int32_t kAnnaId = 4711;
    using FillIn = std::function<int(CQuibUS_PropSheet&, QDialog&)>;

    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        BuildDefaultColorTable();
        annaPath = usersFolder() + QStringLiteral("Anna.tvf");
        writeUserFile(annaPath, kAnnaId, QStringLiteral("Anna"), FILEKIND_USER);
        int file = 0;
        int result = 0;
        ASSERT_EQ(OpenDataFile(annaPath, &file, &result), DATAFILE_ACCEPTED);
        auto anna = std::make_unique<CQuibUser>();
        ASSERT_EQ(anna->LoadFrom(kAnnaId, file), RES_OK);
        SetCurrentUser(std::move(anna));
        theSystemInitFlags = 0;
    }

    static QString usersFolder() { return GetUsersDirString(QStringLiteral("/")); }
    static CQuibUser& user() { return *theCurrentUser; }

    // A saved resource file of `kind` at `path` holding user `id` named `name`; closed again.
    static void writeUserFile(const QString& path, std::int32_t id, const QString& name, std::uint32_t kind,
                              const std::function<void(CQuibUser&)>& fill = {})
    {
        const int file = NewResFile(path, kind, 2, 0, 61);
        {
            CQuibUser written;
            written.Name = name;
            if (fill)
                fill(written);
            ASSERT_EQ(written.SaveAs(id, file, CQuibUser::kType), RES_OK);
            ASSERT_EQ(written.Write(), RES_OK);
        }
        ASSERT_EQ(SaveResFile(file), RES_OK);
        CloseResFile(file);
    }

    // The user's record as the store holds it.
    static QByteArray recordBytes(CQuibUser& held)
    {
        return QByteArray(reinterpret_cast<const char*>(held.GetData()),
                          static_cast<qsizetype>(held.GetSize()));
    }

    // A sheet with all twelve pages, as the settings sheet orders them for 5014, on the current user.
    void addAllPages(CQuibUS_PropSheet& sheet)
    {
        lumivo::ui::PropertyPage* pages[] = {
            &sheet.m_basicPage,    &sheet.m_identityPage,   &sheet.m_languagePage, &sheet.m_voicePage,
            &sheet.m_mainViewPage, &sheet.m_navViewPage,    &sheet.m_wordViewPage, &sheet.m_writerViewPage,
            &sheet.m_infoViewPage, &sheet.m_browseViewPage, &sheet.m_printPage};
        for (lumivo::ui::PropertyPage* page : pages)
            sheet.AddPage(*page);
        sheet.SetUser(theCurrentUser);
    }

    // Runs `sheet` once with `fillIn`; returns DoModal's answer.
    int run(CQuibUS_PropSheet& sheet, const FillIn& fillIn)
    {
        answers.reply([&sheet, fillIn](QDialog& dialog) { return fillIn(sheet, dialog); });
        return sheet.DoModal();
    }

public:
    // Shows `page` in the running sheet.
    static void show(CQuibUS_PropSheet& sheet, lumivo::ui::PropertyPage& page)
    {
        ASSERT_TRUE(sheet.SetActivePage(page));
        ASSERT_TRUE(page.IsCreated());
    }

    static int ok(CQuibUS_PropSheet& sheet)
    {
        return sheet.PressButton(lumivo::ui::SheetButton::Ok) ? lumivo::ui::IDOK : lumivo::ui::IDCANCEL;
    }

    // "Back to factory settings" pressed on the Profile page, then OK.
    static int pressFactoryThenOk(QDialog& dialog)
    {
        auto& sheet = *static_cast<CQuibUS_PropSheet*>(lumivo::ui::PropertySheet::FromDialog(dialog));
        sheet.m_basicPage.FactoryButton()->click();
        return ok(sheet);
    }

    // The end of the program as a kill leaves it: nothing more is written, the store and the user let go.
    static void dropProgramState()
    {
        ResetCurrentUser();
        theResMgr.CloseAll();
    }

protected:
    lumivo::ui::ScopedAnswerer answers;
    QString annaPath;
};

// Start-up with Anna registered as the user it launches, and a template for new users.
class UserResetTest : public UserSettingsTest
{
protected:
    void SetUp() override
    {
        UserSettingsTest::SetUp();
        writeUserFile(templatePath(), CQuibUser::kTemplateUserId, QStringLiteral("Factory"), FILEKIND_USER);
        SetSystemSettingString(QStringLiteral("Userfile"), annaPath);
        SetSystemSettingInt(QStringLiteral("Usernumber"), kAnnaId);
        SetSystemSettingInt(QStringLiteral("Launch_user_at_start"), 1);
    }

    static QString templatePath() { return usersFolder() + QLatin1String(kTemplateUserFileName); }

    // Anna as the next start finds her: her own user, made current from her file.
    bool isAnnaFromHerFile() const
    {
        return theCurrentUser && user().Name == QLatin1String("Anna") && user().GetID() == kAnnaId &&
               GetResFilePath(user().GetFile()) == annaPath;
    }
};

} // namespace lumivo::test
