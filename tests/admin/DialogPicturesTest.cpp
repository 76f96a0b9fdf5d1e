// Pictures of every dialog of the administration in Danish and English, for a person to look at:
// written to the folder LUMIVO_DIALOG_PICTURES names; without it the test is skipped.

#include "tests/admin/DialogPictures.h"
#include "admin/ChooseUserDlg.h"
#include "admin/InputFilesDlg.h"
#include "admin/OutputFileLife.h"
#include "admin/SystemSettingsSheet.h"
#include "admin/TransferBgDlg.h"
#include "admin/UserLevelDlgs.h"
#include "admin/UserSettingsDlg.h"
#include "core/Page.h"
#include "platform/ui/PropertySheet.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QPixmap>

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::ui::ScopedAnswerer;

namespace
{

class DialogPicturesTest : public AdminFilesTest
{
protected:
    // A fill-in that saves the dialog's picture as `name` and cancels.
    std::function<int(QDialog&)> picture(const QString& name)
    {
        return test::dialogPicture(m_folder, name + m_suffix);
    }

    QString m_folder = test::dialogPictureFolder();
    QString m_suffix;
};

} // namespace

TEST_F(DialogPicturesTest, EveryDialogInBothLanguages)
{
    if (m_folder.isEmpty())
        GTEST_SKIP() << "LUMIVO_DIALOG_PICTURES names no folder";
    const int userFile = writeUserFile(usersPath(QStringLiteral("SUF.tvf")), 40000, QStringLiteral("Ida"));
    becomeCurrent(userFile, 40000);
    addDataFile(dataPath(QStringLiteral("data.tvf")));
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        CreateOutputFile();
    }
    theTranslateLanguage = 2;
    CQuibBg page;
    page.Name = QStringLiteral("Hjem");
    for (std::uint16_t language : {std::uint16_t(2), std::uint16_t(8)}) {
        theLanguageNo = language;
        SetSystemSettingInt(QStringLiteral("LanguageNo"), language); // what every reload reads
        m_suffix = language == 2 ? QStringLiteral("-da") : QStringLiteral("-en");
        ScopedAnswerer answerer;
        answerer.reply(picture(QStringLiteral("input-files")));
        RunInputFiles();
        answerer.reply(picture(QStringLiteral("choose-user")));
        ChooseUser();
        answerer.reply(picture(QStringLiteral("user-settings")));
        CQuibUser user;
        EditNewUserProperties(user);
        answerer.reply([this](QDialog& dialog) {
            ScopedAnswerer inner;
            inner.reply(picture(QStringLiteral("new-user-level")));
            dialog.findChild<QAbstractButton*>(QStringLiteral("newLevelButton"))->click();
            return picture(QStringLiteral("edit-user-level"))(dialog);
        });
        EditOutputFileUserLevels();
        answerer.reply(picture(QStringLiteral("system-settings")));
        EditSystemSettings();
        answerer.reply(picture(QStringLiteral("transfer")));
        TransferBackgroundAssets(&page);
    }
}
