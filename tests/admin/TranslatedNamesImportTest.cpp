// The import of translated names: copies under the translation language in the output file, the log
// lines, line ends and the progress.

#include "admin/TranslatedNamesImport.h"
#include "admin/ImportCommands.h"
#include "admin/ImportDlg.h"
#include "admin/ImportStrings.h"
#include "admin/TranslationText.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/Word.h"
#include "system/SystemStrings.h"
#include "tests/admin/TranslationSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>

using namespace lumivo;
using lumivo::test::TranslationTest;
using lumivo::ui::ScopedAnswerer;

namespace
{

struct RecordingSink : ImportTextSink {
    void SetProgress(int position) override { positions.push_back(position); }
    void SetStatus(const QString& text) override { status = text; }
    void AppendLog(const QString& line) override { log += line; }
    std::vector<int> positions;
    QString status;
    QString log;
};

constexpr std::uint16_t kSource = 2;
constexpr std::uint16_t kTranslation = 20;

class TranslatedNamesImportTest : public TranslationTest
{
protected:
    void SetUp() override
    {
        TranslationTest::SetUp();
        startWithUserAndDataFile();
        for (std::int32_t id : {17, 18})
            storeWord(m_data, id, kSource, QStringLiteral("hund%1").arg(id));
        CQuibBg page;
        page.Name = QStringLiteral("Hjem");
        ASSERT_EQ(page.SaveAs(30, m_data, MakeBgType(1, kSource)), RES_OK);
        ASSERT_EQ(page.Write(), RES_OK);
        page.Detach();
        openOutputFile();
        InitializeSystem(kReloadEverything);
        theTranslateLanguage = kTranslation;
        theSearchLanguages = {kTranslation, kSource};
    }

    static void storeWord(int file, std::int32_t id, std::uint16_t language, const QString& name)
    {
        CQuibWord word;
        word.WordName = name;
        ASSERT_EQ(word.SaveAs(id, file, MakeWordType(std::int16_t(language))), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
        word.Detach();
    }

    static QString storedWordName(int file, std::int32_t id, std::uint16_t language)
    {
        CQuibWord word;
        if (!ResourceExists(id, MakeWordType(std::int16_t(language)), file) ||
            AttachResource(&word, id, MakeWordType(std::int16_t(language)), file) != 0)
            return QStringLiteral("<none>");
        word.Load();
        const QString name = word.WordName;
        word.Detach();
        return name;
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(tempPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    RecordingSink import(const QStringList& paths, TranslatedItems items = TranslatedItems::Words)
    {
        RecordingSink sink;
        ImportTextFiles(paths, items, sink);
        return sink;
    }
};

} // namespace

TEST_F(TranslatedNamesImportTest, ANameIsStoredAsACopyInTheOutputFileAndCrLfReadsLikeLf)
{
    const RecordingSink sink = import({writeFile(QStringLiteral("lf.txt"), "17\tdog\n"),
                                       writeFile(QStringLiteral("crlf.txt"), "18\tdog18\r\n")});
    EXPECT_EQ(sink.log, "");
    EXPECT_EQ(storedWordName(theOutputFile, 17, kTranslation), "dog");
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "dog18") << "the carriage return is dropped";
    EXPECT_EQ(storedWordName(m_data, 17, kSource), "hund17") << "the source keeps its name and its file";
    EXPECT_EQ(sink.status, "2 : Importing \"dog18\"");
    EXPECT_EQ(sink.positions.back(), 0);
}

TEST_F(TranslatedNamesImportTest, EveryLineThatStoresNothingHasItsOwnLogLine)
{
    storeWord(theOutputFile, 18, kTranslation, QStringLiteral("old"));
    theSearchLanguages = {kSource}; // the lookup finds the source, not the translation that exists
    const RecordingSink sink = import({writeFile(QStringLiteral("names.txt"), "99\tNix\n"
                                                                              "98\tN\x01x\x1B\n"
                                                                              "no tab here\n"
                                                                              "18\tnew\n"
                                                                              "17\tlast")});
    EXPECT_EQ(sink.log, "Nix\tError\tCould't find word with id \"99\"\r\n"
                        "N\\x01x\\x1B\tError\tCould't find word with id \"98\"\r\n"
                        "no tab here\tError\tNo TAB between id and name\r\n"
                        "new\tError\tword with id \"18\" already exists in the output file\r\n");
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "old");
    EXPECT_EQ(storedWordName(theOutputFile, 17, kTranslation), "last") << "a last line without a line feed";
}

TEST_F(TranslatedNamesImportTest, AFileBeyondTheBoundIsNotReadAndTheLogSaysSo)
{
    const QString huge = writeFile(QStringLiteral("huge.txt"), "17\tbig\n");
    ASSERT_TRUE(QFile::resize(huge, kMaxTextFileBytes + 1)); // sparse: no time or disk spent
    const RecordingSink sink = import({huge, writeFile(QStringLiteral("small.txt"), "18\tdog18\n")});
    EXPECT_EQ(sink.log, huge + "\tError\tThe file is larger than 16 MB and was not read\r\n");
    EXPECT_EQ(storedWordName(theOutputFile, 17, kTranslation), "<none>")
        << "nothing of the large file is stored";
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "dog18") << "the next file is read";
}

TEST_F(TranslatedNamesImportTest, TheTranslationFoundItselfTakesTheNewName)
{
    storeWord(theOutputFile, 18, kTranslation, QStringLiteral("old"));
    const RecordingSink sink = import({writeFile(QStringLiteral("names.txt"), "18\tnew\n")});
    EXPECT_EQ(sink.log, "");
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "new");
}

TEST_F(TranslatedNamesImportTest, PagesAreCopiedWithTheirNameUnderTheTranslationLanguage)
{
    const RecordingSink sink =
        import({writeFile(QStringLiteral("pages.txt"), "30\tHome\n31\tNone\n")}, TranslatedItems::Pages);
    EXPECT_EQ(sink.log, "None\tError\tCould't find background with id \"31\"\r\n");
    auto copy = FindBackgroundById(30, 1);
    ASSERT_NE(copy, nullptr);
    copy->Load();
    EXPECT_EQ(copy->GetFile(), theOutputFile);
    EXPECT_EQ(copy->Name, "Home");
}

TEST_F(TranslatedNamesImportTest, ProgressFollowsTheBytesAndStaysWithinItsRange)
{
    QByteArray first(299, 'x');
    first.prepend("99\t").resize(299);
    first += '\n';
    QByteArray second = QByteArray(699, 'y').prepend("98\t");
    second.resize(699);
    second += '\n';
    const RecordingSink sink =
        import({writeFile(QStringLiteral("a.txt"), first), writeFile(QStringLiteral("b.txt"), second)});
    ASSERT_GE(sink.positions.size(), 3u);
    EXPECT_EQ(sink.positions[0], 300) << "after the first file";
    EXPECT_EQ(sink.positions[sink.positions.size() - 2], 1000);

    EXPECT_EQ(ImportProgressPosition(10, 0), 1000) << "no division by a total of 0";
    EXPECT_EQ(ImportProgressPosition(0, 0), 0);
    EXPECT_EQ(ImportProgressPosition(1500, 1000), 1000) << "a file that grew";
}

TEST_F(TranslatedNamesImportTest, TheWordsDialogImportsTheChosenFileAndTheOverwriteCheckRenamesATranslation)
{
    storeWord(theOutputFile, 18, kTranslation, QStringLiteral("old"));
    theSearchLanguages = {kSource}; // the lookup finds the source, not the translation that exists
    const QString path = writeFile(QStringLiteral("names.txt"), "17\tdog\r\n99\tNix\r\n18\tnew\r\n");
    const auto run = [&](bool overwrite) {
        QString log;
        ScopedAnswerer answerer;
        answerer.reply(std::function<int(QDialog&)>([&](QDialog& dialog) {
            auto* saveLog = dialog.findChild<QPushButton*>(QStringLiteral("saveLogButton"));
            EXPECT_FALSE(saveLog->isEnabled()) << "nothing to save yet";
            dialog.findChild<QCheckBox*>(QStringLiteral("overwriteCheck"))->setChecked(overwrite);
            dialog.findChild<QPushButton*>(QStringLiteral("importFilesButton"))->click();
            auto& importDialog = static_cast<CImportDlg&>(dialog);
            log = importDialog.LogText();
            EXPECT_TRUE(saveLog->isEnabled());
            EXPECT_EQ(importDialog.StatusText(),
                      QStringLiteral("%1 : Importing \"new\"").arg(overwrite ? 2 : 1));
            EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("importProgress"))->value(), 0);
            return int(ui::IDOK);
        }));
        answerer.reply(path);
        ImportTranslatedWords();
        EXPECT_EQ(answerer.questions().size(), 2u);
        if (answerer.questions().size() == 2u) {
            EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(import_strings::kOpenFileTitle));
            EXPECT_TRUE(answerer.questions()[1].filter.contains(QStringLiteral("*.txt")));
        }
        return log;
    };

    EXPECT_EQ(run(false), "Nix\tError\tCould't find word with id \"99\"\r\n"
                          "new\tError\tword with id \"18\" already exists in the output file\r\n");
    EXPECT_EQ(storedWordName(theOutputFile, 17, kTranslation), "dog");
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "old") << "the check is off";

    EXPECT_EQ(run(true), "Nix\tError\tCould't find word with id \"99\"\r\n");
    EXPECT_EQ(storedWordName(theOutputFile, 18, kTranslation), "new");
    EXPECT_EQ(storedWordName(m_data, 18, kSource), "hund18") << "the source keeps its name";
}

TEST_F(TranslatedNamesImportTest, ThePagesDialogStoresPageNames)
{
    ScopedAnswerer answerer;
    QString log;
    answerer.reply(std::function<int(QDialog&)>([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), LoadSystemString(import_strings::kPageTextTitle));
        dialog.findChild<QPushButton*>(QStringLiteral("importFilesButton"))->click();
        log = static_cast<CImportDlg&>(dialog).LogText();
        return int(ui::IDOK);
    }));
    answerer.reply(writeFile(QStringLiteral("pages.txt"), "30\tHome\n17\tdog\n"));
    ImportTranslatedPages();
    EXPECT_EQ(log, "dog\tError\tCould't find background with id \"17\"\r\n") << "17 is a word, not a page";
    auto copy = FindBackgroundById(30, 1);
    ASSERT_NE(copy, nullptr);
    copy->Load();
    EXPECT_EQ(copy->GetFile(), theOutputFile);
    EXPECT_EQ(copy->Name, "Home");
}
