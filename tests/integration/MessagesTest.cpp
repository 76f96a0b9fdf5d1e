// What a person reads: system strings shown in message boxes come from the language records of the
// open data files, in the user's language, and fall back to the program's own table once the files
// are closed.

#include "tests/integration/SampleDataFile.h"

#include "platform/ui/Ui.h"
#include "store/Registry.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

using namespace lumivo::test;
using namespace lumivo;

namespace
{

const QString kRecordRefusal =
    QString::fromUtf8("Filen har et versionsnummer, som programmet ikke kan åbne.");

class MessagesTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        content = MakeSampleContent(tempDir());
        ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
        ScanDataFolder(0);
        ASSERT_EQ(theDataFiles.size(), 1u);

        // A data file from a later version of the program, which this one refuses.
        tooNew = tempPath(QStringLiteral("later.tvf"));
        const int later = test::NewResFile(tooNew, FILEKIND_DATA, 2, 1, 0);
        ASSERT_EQ(SaveResFile(later), RES_OK);
        ASSERT_EQ(CloseResFile(later), RES_OK);
    }

    // The text of the message shown when a person opens the later file.
    QString RefusalText()
    {
        ui::ScopedAnswerer answerer;
        int file = 0;
        int result = 0;
        EXPECT_EQ(OpenDataFileAndReport(tooNew, &file, &result), MSG_VERSION_TOO_LOW);
        EXPECT_LE(FindResFileByPath(tooNew), 0);
        return answerer.questions().size() == 1 ? answerer.questions().front().text : QString();
    }

    SampleContent content;
    QString tooNew;
};

TEST_F(MessagesTest, ADanishUserReadsTheDanishRecordsTextsAndAnswers)
{
    theLanguageNo = kDanish;
    MakeDanishCurrent();
    ASSERT_NE(theCurrentLanguageRec, nullptr);

    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDNO);
    EXPECT_EQ(MessageBoxById(4711, ui::MB_YESNO | ui::MB_ICONQUESTION, QStringLiteral("hund")), ui::IDNO);
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "Ordet hund findes ikke.");
    EXPECT_EQ(answerer.questions()[0].caption, LoadSystemString(SYSSTR_APPNAME));
    EXPECT_EQ(answerer.questions()[0].flags, ui::MB_YESNO | ui::MB_ICONQUESTION);

    EXPECT_EQ(RefusalText(), kRecordRefusal);

    // With the data files closed, the program's own Danish table speaks.
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    UpdateSystemList(CurrentUserFilesOf(theCurrentUser));
    EXPECT_EQ(theCurrentLanguageRec, nullptr);
    EXPECT_EQ(RefusalText(), QString::fromUtf8("For lavt versionsnummer til at åbne filen."));
}

TEST_F(MessagesTest, OnAnEnglishSystemTheSystemLanguageComesFirstAndTheUsersFillsIn)
{
    theLanguageNo = kEnglish;
    MakeDanishCurrent();
    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDOK);
    EXPECT_EQ(MessageBoxById(4711, ui::MB_OK, QStringLiteral("dog")), ui::IDOK);
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "The word dog does not exist.");
    // Only the Danish record holds this text: it comes before the program's own English table.
    EXPECT_EQ(RefusalText(), kRecordRefusal);

    ASSERT_EQ(CloseDataFile(0), RES_OK);
    UpdateSystemList(CurrentUserFilesOf(theCurrentUser));
    EXPECT_EQ(RefusalText(), "Too low version number to open file.");
    EXPECT_EQ(LoadSystemString(4711), "???");
}

// Start-up as the installation left it: the settings name the base folder, the system language and the
// program's name; the data file found there greets the user in Danish with that name.
TEST_F(MessagesTest, TheInstallSettingsNameTheFolderTheLanguageAndTheProgram)
{
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    const QString installed = theBaseDir;
    theBaseDir.clear();
    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(kSettingsRoot));
    ASSERT_TRUE(theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10002));
    ASSERT_TRUE(theRegistry->WriteString(kSettingsRoot, QStringLiteral("Install_appname"),
                                         QStringLiteral("Lumivo Skole")));
    ASSERT_TRUE(theRegistry->WriteString(kSettingsRoot, QStringLiteral("Default_dir"), installed));

    LoadSystemSettings();
    EXPECT_EQ(theLanguageNo, kDanish);
    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 1u);
    MakeDanishCurrent();

    ui::ScopedAnswerer answerer;
    MessageBoxById(4712, ui::MB_OK | ui::MB_ICONINFORMATION, QString::fromUtf8("Søren"));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, QString::fromUtf8("Velkommen til Lumivo Skole, Søren!"));
    EXPECT_EQ(answerer.questions()[0].caption, "Lumivo Skole");
    // Unanswered, a question takes the cancel answer and nothing waits.
    EXPECT_EQ(MessageBoxById(4711, ui::MB_YESNOCANCEL, QStringLiteral("kat")), ui::IDCANCEL);
}

} // namespace
