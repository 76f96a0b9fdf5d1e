// The program's own dialogs ask in the program's language: the titles and file filters of the user,
// profile, package and PDF dialogs, and the word box's text for a word that is not there, are system
// strings of the language in force, never texts of one language written into the code.

#include "core/User.h"
#include "packages/PagePackages.h"
#include "panes/PrintView.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "shell/WordNavBar.h"
#include "store/Registry.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <QLineEdit>
#include <QPrinterInfo>

using lumivo::ui::QuestionKind;

namespace
{

struct Expected {
    std::uint16_t language;
    QStringList titles;  // the profile, standard profile, new user, package export and import dialogs
    QStringList filters; // their filters, in the same order
    QString pdfTitle;
    QString pdfFilter;
    QString missingWord;
};

const Expected kDanish{
    2,
    {"Arkiver nuværende bruger som profil.", "Arkiver nuværende bruger som standard profil.",
     "Opret en ny brugerfil", "Eksporter side...", "Importer side..."},
    {"Lumivo ressourcefiler (*.tvf)", "Lumivo ressourcefiler (*.tvf)", "Lumivo ressourcefiler (*.tvf)",
     "Lumivo sidepakker (*.lu2)", "Lumivo sidepakker (*.lu2)"},
    "Udskriv til PDF",
    "PDF-dokumenter (*.pdf)",
    "--- Kan ikke finde ordet med id=4242 ---"};
const Expected kEnglish{
    9,
    {"Archive the current user as a profile.", "Archive the current user as a standard profile.",
     "Create a new user file", "Export page...", "Import page..."},
    {"Lumivo resource files (*.tvf)", "Lumivo resource files (*.tvf)", "Lumivo resource files (*.tvf)",
     "Lumivo page packages (*.lu2)", "Lumivo page packages (*.lu2)"},
    "Print to PDF",
    "PDF documents (*.pdf)",
    "--- Can't find the word with id=4242 ---"};

class DialogLanguageTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10009);
        theRegistry->WriteString(kSettingsRoot, QStringLiteral("Install_appname"), QStringLiteral("Lumivo"));
        UseDefaultUser();
        ASSERT_NE(theCurrentUser, nullptr);
        InitPrintView();
    }
};

} // namespace

TEST_F(DialogLanguageTest, EveryDialogAsksInTheLanguageInForce)
{
    for (const Expected& expected : {kDanish, kEnglish}) {
        SCOPED_TRACE(expected.language);
        theLanguageNo = expected.language;
        {
            lumivo::ui::ScopedAnswerer cancelEverything;
            ArchiveUserAsProfile();
            ArchiveUserAsStandardProfile();
            SaveUserAs();
            ExportDataFilePackage(theCurrentUser->GetFile(), true, {});
            ImportPagePackage();
            QStringList titles;
            QStringList filters;
            for (const auto& question : cancelEverything.questions()) {
                titles << question.text;
                filters << question.filter;
            }
            EXPECT_EQ(titles, expected.titles);
            EXPECT_EQ(filters, expected.filters);
        }
        // Without a printer a job goes to a PDF file that the person names.
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            theCurrentUser->PrintMode = kPrintModePocketbook;
            lumivo::ui::ScopedAnswerer cancelEverything;
            PrintWithFlags(kPrintMenuFlags);
            ASSERT_EQ(cancelEverything.questions().size(), 1u);
            EXPECT_EQ(cancelEverything.questions()[0].kind, QuestionKind::SaveFile);
            EXPECT_EQ(cancelEverything.questions()[0].text, expected.pdfTitle);
            EXPECT_EQ(cancelEverything.questions()[0].filter, expected.pdfFilter);
        }
        CWordComboBox combo;
        combo.SetWord(4242, {});
        EXPECT_EQ(combo.lineEdit()->text(), expected.missingWord);
    }
}
