// Pictures of the translation dialogs in Danish and English, for a person to look at: written to the
// folder LUMIVO_DIALOG_PICTURES names; without it the test is skipped.

#include "admin/SystemStringsDlg.h"
#include "admin/TranslateSettingsDlg.h"
#include "tests/admin/DialogPictures.h"
#include "tests/admin/TranslationSupport.h"

#include <QPushButton>

using namespace lumivo;
using lumivo::test::TranslationTest;
using lumivo::ui::ScopedAnswerer;

TEST_F(TranslationTest, PicturesOfTheDialogsInBothLanguages)
{
    test::DialogPictures picture;
    if (picture.folder.isEmpty())
        GTEST_SKIP() << "LUMIVO_DIALOG_PICTURES names no folder";
    startWithUserAndDataFile();
    openOutputFile();
    ASSERT_EQ(test::WriteLanguageRecord(theOutputFile, 1020, 20, "Tyve", 2, {{1003, "Alle filer"}}), RES_OK);
    SetSystemSettingInt(QStringLiteral("TranslateLanguage"), 20);
    for (std::uint16_t language : {std::uint16_t(2), std::uint16_t(8)}) {
        theLanguageNo = language;
        SetSystemSettingInt(QStringLiteral("LanguageNo"), language);
        InitializeSystem(kReloadEverything);
        picture.suffix = language == 2 ? QStringLiteral("-da") : QStringLiteral("-en");
        ScopedAnswerer answerer;
        answerer.reply([&picture](QDialog& dialog) {
            ScopedAnswerer inner;
            inner.reply(picture(QStringLiteral("new-language")));
            dialog.findChild<QPushButton*>(QStringLiteral("newLanguageButton"))->click();
            return picture(QStringLiteral("translate-settings"))(dialog);
        });
        RunTranslateSettingsDialog();
        CQuibSystem record;
        ASSERT_EQ(record.LoadFrom(1020, theOutputFile), RES_OK);
        CSystemStringsDlg strings(record);
        strings.MoveTo(3);
        picture(QStringLiteral("system-strings"))(strings);
    }
}
