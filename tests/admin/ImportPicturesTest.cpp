// Pictures of the import dialogs in Danish and English, with a log in them, for a person to look at:
// written to the folder LUMIVO_DIALOG_PICTURES names; without it the test is skipped.

#include "admin/ImportCommands.h"
#include "admin/ImportDlg.h"
#include "system/SystemSettings.h"
#include "tests/admin/ImportTestSupport.h"

#include <QComboBox>
#include <QPixmap>
#include <QPushButton>

using namespace lumivo;
using lumivo::test::ImportTest;
using lumivo::ui::ScopedAnswerer;

TEST_F(ImportTest, ImportDialogPicturesInBothLanguages)
{
    const QString folder = qEnvironmentVariable("LUMIVO_DIALOG_PICTURES");
    if (folder.isEmpty())
        GTEST_SKIP() << "LUMIVO_DIALOG_PICTURES names no folder";
    addWord(101, QStringLiteral("sol"));
    const QString sol = writePicture(QStringLiteral("sol.png"));
    const QString unknown = writePicture(QStringLiteral("blØbær.png"));
    const QString names = writeBytes(QStringLiteral("names.txt"), "101\tSun\n99\tNothing\n");
    // The text imports: the file chosen through the button, so the log shows what a person sees.
    const auto textPicture = [&](const QString& name) {
        return std::function<int(QDialog&)>([&, name](QDialog& dialog) {
            dialog.findChild<QPushButton*>(QStringLiteral("importFilesButton"))->click();
            dialog.adjustSize();
            dialog.show();
            dialog.grab().save(folder + QLatin1Char('/') + name);
            dialog.hide();
            return int(ui::IDOK);
        });
    };
    for (std::uint16_t language : {kDanish, kEnglish}) {
        theLanguageNo = language;
        SetSystemSettingInt(QStringLiteral("LanguageNo"), language);
        const QString suffix = language == kDanish ? QStringLiteral("-da.png") : QStringLiteral("-en.png");
        const auto picture = [&](const QString& name) {
            return std::function<int(QDialog&)>([&, name](QDialog& dialog) {
                auto* types = dialog.findChild<QComboBox*>(QStringLiteral("typeList"));
                types->setCurrentIndex(types->count() - 1);
                static_cast<CImportMediaDlg&>(dialog).ImportFileList({sol, unknown});
                dialog.adjustSize();
                dialog.show();
                dialog.grab().save(folder + QLatin1Char('/') + name + suffix);
                dialog.hide();
                return int(ui::IDOK);
            });
        };
        ScopedAnswerer answerer;
        answerer.reply(picture(QStringLiteral("import-pictures")));
        ImportWordPictures();
        answerer.reply(picture(QStringLiteral("import-sounds")));
        ImportWordSounds();
        answerer.reply(picture(QStringLiteral("import-clips")));
        ImportWordClips();
        answerer.reply(textPicture(QStringLiteral("import-words-text") + suffix)).reply(names);
        ImportTranslatedWords();
        answerer.reply(textPicture(QStringLiteral("import-pages-text") + suffix)).reply(names);
        ImportTranslatedPages();
    }
}
