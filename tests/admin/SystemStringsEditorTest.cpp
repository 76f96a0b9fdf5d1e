// The system-strings editor: its rows and fallbacks, moving between rows and new entries, the text
// file's export and import, and what OK stores.

#include "admin/SystemStringsDlg.h"
#include "admin/TranslationText.h"
#include "system/SystemStrings.h"
#include "tests/admin/TranslationSupport.h"

#include <QFile>

using namespace lumivo;
using lumivo::test::TranslationTest;
using lumivo::ui::ScopedAnswerer;

namespace
{

class SystemStringsEditorTest : public TranslationTest
{
protected:
    // An output file with the record of language 20, loaded into m_record.
    void SetUp() override
    {
        TranslationTest::SetUp();
        startWithUserAndDataFile();
        ASSERT_EQ(test::WriteLanguageRecord(m_data, 1008, 8, "English", 0, {{9011, "Export to where?"}}),
                  RES_OK);
        openOutputFile();
        ASSERT_EQ(test::WriteLanguageRecord(theOutputFile, 1020, 20, "Tyve", 8, {{1003, "Alle filer"}}),
                  RES_OK);
        theLanguageNo = 8;
        SetSystemSettingInt(QStringLiteral("LanguageNo"), 8); // what every reload reads
        InitializeSystem(kReloadEverything);
        ASSERT_EQ(m_record.LoadFrom(1020, theOutputFile), RES_OK);
    }

    static const SystemStringRow* rowOf(const std::vector<SystemStringRow>& rows, int id)
    {
        for (const SystemStringRow& row : rows) {
            if (row.id == id)
                return &row;
        }
        return nullptr;
    }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(tempPath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    std::map<std::uint16_t, QString> storedStrings() { return storedRecord(theOutputFile, 1020)->strings; }

    CQuibSystem m_record;
};

} // namespace

TEST_F(SystemStringsEditorTest, RowsShowTheSystemTextTheFallbackInBracketsAndTheTranslation)
{
    CSystemStringsDlg dialog(m_record);
    const std::vector<SystemStringRow> rows = dialog.Rows();
    ASSERT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.id < b.id; }));
    ASSERT_NE(rowOf(rows, 9011), nullptr);
    EXPECT_EQ(rowOf(rows, 9011)->source, "Export to where?") << "the system language's record";
    EXPECT_EQ(rowOf(rows, 1003)->source, "[All files]") << "the table's text, bracketed";
    EXPECT_EQ(rowOf(rows, 1003)->translation, "Alle filer");
    EXPECT_EQ(rowOf(rows, 9012)->translation, "");
    EXPECT_EQ(rowOf(rows, 10001), nullptr) << "only ids 1000 to 9999 of the table";
}

TEST_F(SystemStringsEditorTest, ExportThenImportGivesBackTheTranslationsAndKeepsTheSources)
{
    const QString path = tempPath(QStringLiteral("strings.txt"));
    {
        CSystemStringsDlg dialog(m_record);
        ASSERT_TRUE(dialog.ExportTo(path));
    }
    const QByteArray bytes = fileBytesOf(path);
    EXPECT_TRUE(bytes.contains("\r\n1003\tAll files\tAlle filer\r\n"))
        << "brackets of the fallback are left out";
    EXPECT_TRUE(bytes.contains("\r\n9011\tExport to where?\t\r\n"));

    m_record.m_strings.clear();
    CSystemStringsDlg dialog(m_record);
    const std::vector<SystemStringRow> before = dialog.Rows();
    ASSERT_TRUE(dialog.ImportFrom(path));
    const std::vector<SystemStringRow> after = dialog.Rows();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t index = 0; index < after.size(); ++index)
        EXPECT_EQ(after[index].source, before[index].source) << after[index].id;
    EXPECT_EQ(rowOf(after, 1003)->translation, "Alle filer");
}

TEST_F(SystemStringsEditorTest, ImportReadsEveryLineClearsWithTwoFieldsAndSkipsIdsThatAreNoStringIds)
{
    writeFile(QStringLiteral("in.txt"), "1003\tAll files\r\n"   // two fields: the translation becomes empty
                                        "9012\tx\t[Hent fra]\n" // brackets go
                                        "0\tx\tnul\n"
                                        "70000\tx\tfor stor\n"
                                        "-5\tx\tnegativ\n"
                                        "\r\n"
                                        "9013\t\t\xe6ndret"); // the last line has no line feed
    CSystemStringsDlg dialog(m_record);
    const std::size_t count = dialog.Rows().size();
    SetTraceLogEnabled(true);
    ASSERT_TRUE(dialog.ImportFrom(tempPath(QStringLiteral("in.txt"))));
    SetTraceLogEnabled(false);
    const std::vector<SystemStringRow> rows = dialog.Rows();
    EXPECT_EQ(rows.size(), count) << "no row for ids outside 1 to 65,535";
    QFile trace(TraceLogPath());
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(trace.readAll());
    for (const char* id : {"id 0 ", "id 70000 ", "id -5 "})
        EXPECT_TRUE(log.contains(QLatin1String(id))) << id << " has its log line";
    EXPECT_EQ(rowOf(rows, 1003)->translation, "");
    EXPECT_EQ(rowOf(rows, 9012)->translation, "Hent fra");
    EXPECT_EQ(rowOf(rows, 9013)->translation, QString::fromUtf8("ændret"));

    ASSERT_EQ(test::pressOk(dialog), ui::IDOK);
    const auto strings = storedStrings();
    EXPECT_FALSE(strings.contains(1003)) << "an empty translation leaves the record";
    EXPECT_EQ(strings.at(9013), QString::fromUtf8("ændret"));
}

TEST_F(SystemStringsEditorTest, OkTakesWhatWasTypedSinceTheLastMoveAndKeepsLongTextsWhole)
{
    const QString longText(300, QLatin1Char('x'));
    {
        CSystemStringsDlg dialog(m_record);
        dialog.MoveTo(0);
        const int firstId = dialog.Rows()[0].id;
        typeInto(dialog, "translationEdit", longText);
        ASSERT_EQ(test::pressOk(dialog), ui::IDOK);
        EXPECT_EQ(storedStrings().at(static_cast<std::uint16_t>(firstId)), longText);
    }
    ASSERT_EQ(m_record.LoadFrom(1020, theOutputFile), RES_OK);
    CSystemStringsDlg dialog(m_record);
    dialog.NewEntry();
    typeInto(dialog, "idEdit", QStringLiteral("12345"));
    typeInto(dialog, "translationEdit", QStringLiteral("Ny tekst"));
    ASSERT_EQ(test::pressOk(dialog), ui::IDOK);
    EXPECT_EQ(storedStrings().at(12345), "Ny tekst") << "a pending new entry is taken";
}

TEST_F(SystemStringsEditorTest, ANewEntryWithAnIdThatExistsAsksAndCancelKeepsItForCorrection)
{
    CSystemStringsDlg dialog(m_record);
    dialog.NewEntry();
    typeInto(dialog, "idEdit", QStringLiteral("1003"));
    typeInto(dialog, "translationEdit", QStringLiteral("Alle"));
    {
        ScopedAnswerer answerer;
        answerer.reply(ui::IDCANCEL);
        EXPECT_FALSE(dialog.MoveTo(0));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9003));
    }
    EXPECT_EQ(dialog.CurrentRow(), -2);
    EXPECT_FALSE(dialog.findChild<QLineEdit*>(QStringLiteral("idEdit"))->isReadOnly());
    {
        ScopedAnswerer answerer;
        answerer.reply(ui::IDYES);
        dialog.Next();
    }
    const std::vector<SystemStringRow> rows = dialog.Rows();
    EXPECT_EQ(rowOf(rows, 1003)->translation, "Alle");
    EXPECT_EQ(rows[static_cast<std::size_t>(dialog.CurrentRow())].id, 1003) << "the move goes to its row";
}

TEST_F(SystemStringsEditorTest, ANewEntryWithoutAnIdIsKeptWhenItHasTextsAndDroppedWhenEmpty)
{
    CSystemStringsDlg dialog(m_record);
    const std::size_t count = dialog.Rows().size();
    dialog.NewEntry();
    typeInto(dialog, "translationEdit", QStringLiteral("uden id"));
    {
        ScopedAnswerer answerer;
        EXPECT_FALSE(dialog.MoveTo(0));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9624));
    }
    EXPECT_EQ(dialog.CurrentRow(), -2);
    typeInto(dialog, "translationEdit", QString());
    EXPECT_TRUE(dialog.MoveTo(0));
    EXPECT_EQ(dialog.Rows().size(), count);
}

TEST_F(SystemStringsEditorTest, CancelLeavesTheRecordAsItWas)
{
    CSystemStringsDlg dialog(m_record);
    dialog.MoveTo(0);
    typeInto(dialog, "translationEdit", QStringLiteral("glemt"));
    dialog.Next();
    dialog.reject();
    EXPECT_EQ(storedStrings(), (std::map<std::uint16_t, QString>{{1003, QStringLiteral("Alle filer")}}));
    EXPECT_EQ(m_record.m_strings.size(), 1u);
}

TEST(TranslationText, LinesColumnsAndNumbers)
{
    const std::vector<TextFileLine> lines = SplitTextFileLines("a\r\n\nb\tc\r\nlast");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "a");
    EXPECT_EQ(lines[0].end, 3);
    EXPECT_EQ(lines[1].text, "b\tc");
    EXPECT_EQ(lines[2].text, "last");
    EXPECT_EQ(lines[2].end, 13);
    EXPECT_EQ(TabColumn("1\tb\tc\td", 1), "b");
    EXPECT_EQ(TabColumn("1\tb\tc\td", 2, true), "c\td");
    EXPECT_EQ(TabColumn("1", 1), "");
    EXPECT_EQ(LeadingNumber(" 17x"), 17);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_GT(LeadingNumber("99999999999999"), 65535);
    EXPECT_EQ(StripFallbackBrackets(QStringLiteral("  [Open]  ")), "Open");
    EXPECT_EQ(StripFallbackBrackets(QStringLiteral(" plain ")), " plain ");
    const SystemStringsImport repeated = ParseSystemStringsImport("7\tx\ta\n9\tx\tb\n7\tx\tc\n");
    ASSERT_EQ(repeated.rows.size(), 2u) << "a repeated id gives no second row";
    EXPECT_EQ(repeated.rows[0].id, 7);
    EXPECT_EQ(repeated.rows[0].translation, "c") << "the last translation of the id counts";
}
