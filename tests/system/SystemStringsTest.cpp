// System strings: lookup order through language records and their base languages, the built-in
// tables, place-holders, flags, the application name, message boxes, the trace log and the cursor.

#include "system/SystemStrings.h"
#include "platform/types/Clock.h"
#include "platform/ui/Ui.h"
#include "resources/strings/StringTable.h"
#include "store/Registry.h"
#include "system/LanguageRecords.h"
#include "system/StatusText.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <initializer_list>
#include <utility>

using namespace lumivo;

namespace
{

class SystemStringsTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
    }

    // A language record in the map, with the given base language and strings.
    CQuibSystem* AddRecord(std::uint16_t language, std::uint16_t base,
                           std::initializer_list<std::pair<int, const char*>> strings)
    {
        auto record = std::make_unique<CQuibSystem>();
        record->m_language = language;
        record->m_baseLanguage = base;
        for (const auto& [id, text] : strings)
            record->SetString(static_cast<std::uint16_t>(id), QString::fromUtf8(text));
        CQuibSystem* raw = record.get();
        theSystemMap[language] = std::move(record);
        return raw;
    }

    void SetInstall(std::uint32_t language, const QString& appName = {})
    {
        theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), language);
        if (!appName.isNull())
            theRegistry->WriteString(kSettingsRoot, QStringLiteral("Install_appname"), appName);
    }
};

TEST_F(SystemStringsTest, SearchOrderFollowsSystemUserAndRecordLanguages)
{
    AddRecord(8, 0, {{7001, "system"}});
    AddRecord(5, 0, {{7001, "current"}, {7002, "current"}});
    AddRecord(6, 0, {{7002, "second"}, {7003, "second"}});
    AddRecord(9, 0, {{7003, "record"}, {7004, "record"}});
    theLanguageNo = 8;
    theCurrentLanguage = 5;
    theSecondLanguage = 6;
    theCurrentLanguageRec = FindSystemRecord(9);

    EXPECT_EQ(LoadSystemString(7001), "system");
    EXPECT_EQ(LoadSystemString(7002), "current");
    EXPECT_EQ(LoadSystemString(7003), "second");
    EXPECT_EQ(LoadSystemString(7004), "record");
}

TEST_F(SystemStringsTest, DanishSystemLanguageSearchesOnlyItsOwnRecord)
{
    AddRecord(2, 0, {{7001, "dansk"}});
    AddRecord(8, 0, {{7002, "english only"}, {9001, "record text"}});
    theLanguageNo = 2;
    theCurrentLanguage = 8;

    EXPECT_EQ(LoadSystemString(7001), "dansk");
    QString text;
    EXPECT_FALSE(GetSystemString(7002, text));
    EXPECT_EQ(text, "???");
    // An id of the string table comes from the Danish table.
    EXPECT_EQ(LoadSystemString(9001), "Gem ændringer i outputfilen?");
}

TEST_F(SystemStringsTest, BaseChainsAreSearchedAndCannotLoop)
{
    AddRecord(20, 21, {{7001, "own"}});
    AddRecord(21, 22, {{7002, "base"}});
    AddRecord(22, 20, {{7003, "base of base"}});
    theLanguageNo = 20;

    EXPECT_EQ(LoadSystemString(7001), "own");
    EXPECT_EQ(LoadSystemString(7002), "base");
    EXPECT_EQ(LoadSystemString(7003), "base of base");
    // The chain 20 -> 21 -> 22 -> 20 ends where it started.
    QString text;
    EXPECT_FALSE(GetSystemString(7999, text));
    EXPECT_EQ(text, "???");
}

TEST_F(SystemStringsTest, RecordsAreKeyedByTheLow16BitsAndTheTableByTheWholeId)
{
    AddRecord(8, 0, {{0x2711, "low bits"}});
    theLanguageNo = 8;
    EXPECT_EQ(LoadSystemString(0x12711), "low bits");
    // 10002 is in the table; 10002 & 0xFFFF is itself, so no record hides it here.
    EXPECT_EQ(LoadSystemString(10002), "Danish");
}

TEST_F(SystemStringsTest, EmptyRecordTextFallsThroughToTheTable)
{
    AddRecord(8, 0, {{9034, ""}});
    theLanguageNo = 8;
    EXPECT_EQ(LoadSystemString(9034), "Sorry, not implemented yet!");
}

TEST_F(SystemStringsTest, PlaceHoldersExpand)
{
    SetInstall(10008, QStringLiteral("Lumivo"));
    AddRecord(8, 0, {{7001, "Hello <@APPNAME>,<@CR>world<@ CR >!"}, {7002, "a<@X>b"}, {7003, "keep a<@b"}});
    theLanguageNo = 8;

    EXPECT_EQ(LoadSystemString(7001), "Hello Lumivo,\r\nworld\r\n!");
    EXPECT_EQ(LoadSystemString(7002), "ab");
    EXPECT_EQ(LoadSystemString(7003), "keep a<@b");
    EXPECT_EQ(LoadSystemString(9016), "Lumivo resource files");
}

TEST_F(SystemStringsTest, AnApplicationNameHoldingItsOwnPlaceHolderExpandsOnce)
{
    SetInstall(10008, QStringLiteral("<@APPNAME>"));
    AddRecord(8, 0, {{7001, "About <@APPNAME>..."}});
    theLanguageNo = 8;

    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "<@APPNAME>");
    EXPECT_EQ(LoadSystemString(7001), "About <@APPNAME>...");
}

TEST_F(SystemStringsTest, ApplicationNameComesFromTheInstallSettings)
{
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "Morvelt");
    SetInstall(10002);
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "Morvelt");
    SetInstall(5);
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "Lumivo");
    SetInstall(5, QStringLiteral("Symbolsnak"));
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "Symbolsnak");
    // No flags apply to the name.
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME, SYSSTR_UPPER | SYSSTR_COLON), "Symbolsnak");

    // The older root is read when the settings root lacks the value.
    theRegistry->CreateKey(kOldSettingsRoot);
    theRegistry->DeleteValue(kSettingsRoot, QStringLiteral("Install_language"));
    theRegistry->WriteDWord(kOldSettingsRoot, QStringLiteral("Install_language"), 0);
    EXPECT_EQ(LoadSystemString(SYSSTR_APPNAME), "Morvelt");
}

TEST_F(SystemStringsTest, FlagsApplyInTheirOrder)
{
    AddRecord(8, 0,
              {{7001, "mIxEd text"},
               {7002, "ab "},
               {7003, " ab"},
               {7004, "Auto{¤textsize¤=¤auto¤}{¤x¤=¤y¤}"},
               {7005, "plain"}});
    theLanguageNo = 8;

    EXPECT_EQ(LoadSystemString(7001, SYSSTR_UPPER), "MIXED TEXT");
    EXPECT_EQ(LoadSystemString(7001, SYSSTR_LOWER | SYSSTR_FIRST_UPPER), "Mixed text");
    EXPECT_EQ(LoadSystemString(7002, SYSSTR_BLANK_AFTER), "ab ");
    EXPECT_EQ(LoadSystemString(7002, SYSSTR_BLANK_BEFORE), " ab ");
    EXPECT_EQ(LoadSystemString(7003, SYSSTR_BLANK_BEFORE), " ab");
    EXPECT_EQ(LoadSystemString(7002, SYSSTR_COLON), "ab :");
    EXPECT_EQ(LoadSystemString(7002, SYSSTR_BLANK_AFTER | SYSSTR_COLON), "ab :");
    EXPECT_EQ(LoadSystemString(7005, SYSSTR_FIRST_UPPER | SYSSTR_COLON), "Plain:");
    EXPECT_EQ(LoadSystemString(7004, SYSSTR_CUT_TAGS), "Auto");
    EXPECT_EQ(LoadSystemString(7004, SYSSTR_TAG_KEY), "textsize");
    EXPECT_EQ(LoadSystemString(7004, SYSSTR_TAG_VALUE), "auto");

    QString text;
    EXPECT_TRUE(GetSystemString(7005, text, SYSSTR_TAG_KEY));
    EXPECT_EQ(text, "");
    // An unknown id gets "???" without flags.
    EXPECT_FALSE(GetSystemString(7999, text, SYSSTR_COLON | SYSSTR_UPPER));
    EXPECT_EQ(text, "???");
}

TEST_F(SystemStringsTest, MenuEntriesOfTheTableCarryTheirAttributeValues)
{
    EXPECT_EQ(LoadSystemString(5712, SYSSTR_CUT_TAGS), "4");
    EXPECT_EQ(LoadSystemString(5712, SYSSTR_TAG_VALUE), "240%");
    EXPECT_EQ(LoadSystemString(5725, SYSSTR_TAG_VALUE), "hcenter");
    EXPECT_EQ(LoadSystemString(5732, SYSSTR_TAG_VALUE), "hair");
    EXPECT_EQ(LoadSystemString(9098, SYSSTR_FIRST_UPPER | SYSSTR_COLON), "Icon:");
}

TEST_F(SystemStringsTest, CommandPromptsOnlyForCommandIds)
{
    QString text;
    EXPECT_FALSE(GetCommandPrompt(5000, text));
    EXPECT_FALSE(GetCommandPrompt(6000, text));
    EXPECT_TRUE(GetCommandPrompt(5011, text));
    EXPECT_EQ(text, "Create a new user.");
}

TEST_F(SystemStringsTest, MessageBoxByIdReplacesEveryParameterAndUsesTheApplicationName)
{
    SetInstall(10008, QStringLiteral("Lumivo"));
    AddRecord(8, 0, {{7001, "[#1] and [#1]"}});
    theLanguageNo = 8;
    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDYES);

    EXPECT_EQ(MessageBoxById(7001, ui::MB_YESNO, QStringLiteral("x")), ui::IDYES);
    MessageBoxById(7001, ui::MB_OK);
    MessageBoxById(9021, ui::MB_YESNOCANCEL, QStringLiteral("Home"));

    ASSERT_EQ(answerer.questions().size(), 3u);
    EXPECT_EQ(answerer.questions()[0].text, "x and x");
    EXPECT_EQ(answerer.questions()[0].caption, "Lumivo");
    EXPECT_EQ(answerer.questions()[0].flags, ui::MB_YESNO);
    EXPECT_EQ(answerer.questions()[1].text, "[#1] and [#1]");
    EXPECT_EQ(answerer.questions()[2].text, "Save the changes to background \"Home\"?");
}

TEST_F(SystemStringsTest, SevereErrorsAndNumbersAreFormatted)
{
    ui::ScopedAnswerer answerer;
    ShowSevereError(QStringLiteral("OnPrint:out of paper"));
    ShowMessageNumber(QStringLiteral("Removed "), 12);

    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_TRUE(answerer.questions()[0].text.endsWith(" (OnPrint:out of paper)"));
    EXPECT_TRUE(answerer.questions()[0].text.startsWith(LoadSystemString(SYSSTR_SEVERE_ERROR)));
    EXPECT_EQ(answerer.questions()[0].flags, ui::MB_ICONHAND);
    EXPECT_EQ(answerer.questions()[1].text, "Removed 12");
}

TEST_F(SystemStringsTest, StatusTextStampsItsTime)
{
    clock::TestClock testClock(1234);
    QString shown;
    QObject receiver;
    QObject::connect(&theStatusText, &CStatusText::changed, &receiver,
                     [&](const QString& text) { shown = text; });

    SetStatusText(LoadSystemString(9223));
    EXPECT_EQ(shown, "Saving userfile");
    EXPECT_EQ(LastStatusText(), "Saving userfile");
    EXPECT_EQ(theStatusTime, 1234u);
}

TEST_F(SystemStringsTest, TraceLogAppendsOnlyWhenTracing)
{
    ::setenv("TMPDIR", tempDir().toUtf8().constData(), 1);
    const QString path = TraceLogPath();
    EXPECT_TRUE(path.startsWith(tempDir()));
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("TavimoLog_"));

    WriteDebugLog(QStringLiteral("off"));
    EXPECT_FALSE(QFile::exists(path));

    SetTraceLogEnabled(true);
    WriteDebugLog(QStringLiteral("Startup,1"));
    WriteDebugLog(QStringLiteral("Startup,2"));
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("Startup,1\r\nStartup,2\r\n"));
    ::unsetenv("TMPDIR");
}

TEST_F(SystemStringsTest, TraceLogNeverCreatesItsFolder)
{
    const QString missing = tempPath(QStringLiteral("no-such-folder"));
    ::setenv("TMPDIR", missing.toUtf8().constData(), 1);
    SetTraceLogEnabled(true);
    WriteDebugLog(QStringLiteral("lost"));
    EXPECT_FALSE(QDir(missing).exists());
    ::unsetenv("TMPDIR");
}

TEST_F(SystemStringsTest, BusyCursorAlternatesEvery400Milliseconds)
{
    clock::TestClock testClock(10000);
    std::vector<int> shown;
    int reported = 0;
    const auto show = theCursorShowHook.scoped([&](int id) {
        shown.push_back(id);
        reported = id;
    });
    const auto report = theCursorReportedHook.scoped([&] { return reported; });

    EXPECT_EQ(SetAppCursor(CURSOR_BUSY_1), CURSOR_ARROW);
    testClock.advance(300);
    // A second busy request does not restart the interval.
    EXPECT_EQ(SetAppCursor(CURSOR_BUSY_1), CURSOR_BUSY_1);
    testClock.advance(101);
    SetAppCursor(0);
    EXPECT_EQ(GetAppCursor(), CURSOR_BUSY_2);
    testClock.advance(400);
    SetAppCursor(0);
    EXPECT_EQ(GetAppCursor(), CURSOR_BUSY_2);
    testClock.advance(1);
    SetAppCursor(0);
    EXPECT_EQ(GetAppCursor(), CURSOR_BUSY_1);
    EXPECT_EQ(SetAppCursor(CURSOR_ARROW), CURSOR_BUSY_1);
    EXPECT_EQ(shown, (std::vector<int>{CURSOR_BUSY_1, CURSOR_BUSY_2, CURSOR_BUSY_1, CURSOR_ARROW}));

    // The same cursor again is shown again only when the system shows another one now.
    SetAppCursor(CURSOR_ARROW);
    EXPECT_EQ(shown.size(), 4u);
    reported = 0;
    SetAppCursor(CURSOR_ARROW);
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_EQ(SetAppCursor(-1), CURSOR_ARROW);
}

class StringTables : public lumivo::test::LumivoTest
{
};

TEST_F(StringTables, BothLanguagesHoldTheSameIds)
{
    using strings::TableLanguage;
    const auto english = strings::builtInStringIds(TableLanguage::English);
    EXPECT_EQ(english, strings::builtInStringIds(TableLanguage::Danish));
    EXPECT_EQ(english.size(), strings::englishStringRows().size()) << "an id appears twice";
    EXPECT_EQ(english.size(), strings::danishStringRows().size()) << "an id appears twice";
    for (int id : english) {
        EXPECT_FALSE(strings::builtInString(id, TableLanguage::English).isEmpty()) << id;
        EXPECT_FALSE(strings::builtInString(id, TableLanguage::Danish).isEmpty()) << id;
    }
}

TEST_F(StringTables, TextsAreKeptAsWritten)
{
    using strings::TableLanguage;
    EXPECT_EQ(strings::builtInString(9007, TableLanguage::English), "The file is not at propper userfile.");
    EXPECT_EQ(strings::builtInString(10012, TableLanguage::English), "Frensh");
    EXPECT_EQ(strings::builtInString(10004, TableLanguage::English), "Norwegian (Bokmål)");
    EXPECT_EQ(strings::builtInString(9046, TableLanguage::Danish), "Vis væktøjs bjæke");
    EXPECT_EQ(strings::builtInString(4131, TableLanguage::Danish), "Gå til");
    EXPECT_EQ(strings::builtInString(9015, TableLanguage::English), "Bad fileextension, must be of type: ");
    EXPECT_EQ(strings::builtInString(5031, TableLanguage::English), "Print all sentences with icons.\n");
    EXPECT_EQ(strings::builtInString(57637, TableLanguage::English), "Insert Clipboard contents");
}

TEST_F(StringTables, OfTheCommonDialogCodesOnlyElevenHasAText)
{
    // The print view shows a common-dialog error by the table's text of its code: codes without a text
    // must stay empty there, not fall back to something else.
    for (auto language : {strings::TableLanguage::English, strings::TableLanguage::Danish}) {
        for (int id = 1; id <= 29; ++id)
            EXPECT_EQ(strings::hasBuiltInString(id, language), id == 11) << id;
    }
    EXPECT_EQ(strings::builtInString(11, strings::TableLanguage::English), "( no form selected )");
}

} // namespace
