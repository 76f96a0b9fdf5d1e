// The import framework: titles of files, matching a title to a word, the log lines and the saved log,
// the import loop's progress and the choice of files and folders, seen through the picture import.

#include "admin/ImportCommands.h"
#include "admin/ImportPictDlg.h"
#include "admin/ImportStrings.h"
#include "platform/archive/Cp1252.h"
#include "system/SystemStrings.h"
#include "tests/admin/ImportTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace lumivo;
using lumivo::test::ImportTest;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::int16_t kKeyForm = 0x100;

class ImportFrameworkTest : public ImportTest
{
protected:
    // The picture dialog with a type chosen, as a person leaves it before importing.
    static void chooseType(CImportPictDlg& dialog, int kind)
    {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("typeList"));
        types->setCurrentIndex(types->findData(kind));
    }
};

} // namespace

TEST_F(ImportFrameworkTest, TitlesLoseTheirExtensionAndSpellTheDanishLetters)
{
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/bl%MAFbær.wav")), QStringLiteral("blØbær"));
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/s%U00F8 .jpg")), QStringLiteral("sø"));
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/%MBFl%U00D8.jpg")), QStringLiteral("ølØ"));
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/ .jpg")), QString());
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/hus.jpeg2")), QStringLiteral("hus.jpeg2")) << "no extension";
}

TEST_F(ImportFrameworkTest, TitlesMatchOneWordExactlyOrTheOnlyKeyForm)
{
    addWord(101, QStringLiteral("sol"));
    addWord(101, QStringLiteral("sol"), 0, kEnglish); // same id in another language: one match
    addWord(102, QStringLiteral("hus"), kKeyForm);
    addWord(103, QStringLiteral("hus"));
    addWord(104, QStringLiteral("bil"), kKeyForm);
    addWord(105, QStringLiteral("bil"), kKeyForm | 0x2);
    addWord(106, QStringLiteral("båd"));
    addWord(107, QStringLiteral("båd"), 0x200);
    const CaseSensitiveWordNames caseSensitive;
    std::int32_t id = -1;
    EXPECT_EQ(FindWordByTitle(QStringLiteral("sol"), id), 1);
    EXPECT_EQ(id, 101);
    EXPECT_EQ(FindWordByTitle(QStringLiteral("Sol"), id), 0);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(FindWordByTitle(QStringLiteral("hus"), id), 2);
    EXPECT_EQ(id, 102);
    EXPECT_EQ(FindWordByTitle(QStringLiteral("bil"), id), 2) << "both key forms";
    EXPECT_EQ(id, 0);
    EXPECT_EQ(FindWordByTitle(QStringLiteral("båd"), id), 2) << "neither a key form";
    EXPECT_EQ(id, 0);
}

TEST_F(ImportFrameworkTest, LogLinesAreTheFixedTexts)
{
    const QString t = QStringLiteral("sø");
    EXPECT_EQ(ImportLogLine(ImportItem::Picture, t, 0, 0, 0),
              QStringLiteral("sø\tError\tWord not found.\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Sound, t, 2, 0, 0),
              QStringLiteral("sø\tError\tFound 2 matches of the word \r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Clip, t, 1, 7, 0), QStringLiteral("sø\tOK\tImportet ID: 7\r\n"));
    EXPECT_EQ(
        ImportLogLine(ImportItem::Picture, t, 3, 7, 0),
        QStringLiteral("sø\tOK\tImportet ID: 7\tNB: Used the keyform out of 3 matches of the word.\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Sound, t, 1, 7, -18),
              QStringLiteral("sø\tError\tRes error (18)\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Picture, t, 1, 7, 1),
              QStringLiteral("sø\tError\tCould not load picture (1)\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Clip, t, 1, 7, 2),
              QStringLiteral("sø\tError\tAvi already exists.\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Sound, t, 1, 7, 4),
              QStringLiteral("sø\tError\tSound already exists in another active file.\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Picture, t, 1, 7, 3), QStringLiteral("sø\tError\tUnknown error\r\n"));
    EXPECT_EQ(ImportLogLine(ImportItem::Sound, t, 1, 7, 5),
              QStringLiteral("sø\tError\tUnknown error ID=5\r\n"));
}

TEST_F(ImportFrameworkTest, TheSavedLogHasTheHeaderTheRuleAndTheLinesIn8BitBytes)
{
    const QDateTime time(QDate(2026, 3, 4), QTime(9, 5));
    const QByteArray bytes = ImportLogFileBytes(ImportItem::Clip, QStringLiteral("/d/out.tvf"), time,
                                                QStringLiteral("sø\tOK\r\n"));
    EXPECT_EQ(bytes, QByteArray("Import avis to file \"/d/out.tvf\" (04.03.26 09:05):\r\n") +
                         QByteArray(65, '-') + QByteArray("\r\ns\xF8\tOK\r\n"));
    EXPECT_EQ(ImportLogFileName(time), QStringLiteral("Import log 040326-0905"));
}

TEST_F(ImportFrameworkTest, WithoutAnOutputFileNoDialogOpens)
{
    CloseOutputFile();
    ASSERT_EQ(theOutputFile, 0);
    ScopedAnswerer answerer;
    ImportWordPictures();
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].kind, ui::QuestionKind::MessageBox);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(import_strings::kMsgNoOutputFile));
}

TEST_F(ImportFrameworkTest, TheLoopLogsEveryFileStepsTwiceAndKeepsTheWindowAlive)
{
    addWord(101, QStringLiteral("sol"));
    addWord(102, QStringLiteral("hus"), kKeyForm);
    addWord(103, QStringLiteral("hus"));
    theWordIndex.Names().SetCaseSensitive(false);
    const QStringList paths{writePicture(QStringLiteral("sol.png")), writePicture(QStringLiteral("Sol.png")),
                            writePicture(QStringLiteral(" .png")), writePicture(QStringLiteral("hus.png"))};
    CImportPictDlg dialog;
    chooseType(dialog, 2);
    auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("importProgress"));
    int steps = 0;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) { steps += value > 0 ? 1 : 0; });
    int progressWhenTimerRan = -1;
    QTimer::singleShot(0, [&] { progressWhenTimerRan = progress->value(); });
    EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("saveLogButton"))->isEnabled());

    dialog.ImportFileList(paths);

    EXPECT_EQ(dialog.LogText(),
              QStringLiteral("sol\tOK\tImportet ID: 101\r\n"
                             "Sol\tError\tWord not found.\r\n"
                             "hus\tOK\tImportet ID: 102\tNB: Used the keyform out of 2 matches "
                             "of the word.\r\n"));
    EXPECT_EQ(progress->maximum(), 8);
    EXPECT_EQ(steps, 8) << "two steps a file, the empty title too";
    EXPECT_EQ(progress->value(), 0);
    EXPECT_GT(progressWhenTimerRan, 0) << "the window was served while the loop ran";
    EXPECT_FALSE(theWordIndex.Names().IsCaseSensitive()) << "the name list's setting is back";
    EXPECT_TRUE(dialog.StatusText().isEmpty());
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("saveLogButton"))->isEnabled());
}

// A tab or a line feed in a file name is part of its title: such a title names no word, and the log
// shows it escaped on one line.
TEST_F(ImportFrameworkTest, ATitleWithControlCharactersMatchesNoWordAndIsLoggedEscaped)
{
    addWord(102, QStringLiteral("w02"));
    addWord(103, QStringLiteral("sol"));
    EXPECT_EQ(ImportTitleOf(QStringLiteral("/x/ w02\t.png")), QStringLiteral("w02\t"));
    const QStringList paths{writePicture(QStringLiteral("w02\t.png")),
                            writePicture(QStringLiteral("s\nol.png")),
                            writePicture(QStringLiteral("sol\u2028.png"))};
    CImportPictDlg dialog;
    chooseType(dialog, 2);
    dialog.ImportFileList(paths);
    EXPECT_EQ(dialog.LogText(), QStringLiteral("w02\\t\tError\tWord not found.\r\n"
                                               "s\\nol\tError\tWord not found.\r\n"
                                               "sol\\u2028\tError\tWord not found.\r\n"));
}

TEST_F(ImportFrameworkTest, FilesAndFoldersAreChosenThroughTheChoosers)
{
    addWord(101, QStringLiteral("sol"));
    addWord(102, QStringLiteral("hus"));
    addWord(103, QStringLiteral("bil"));
    const QString sol = writePicture(QStringLiteral("sol.png"));
    const QString hus = writePicture(QStringLiteral("hus.png"));
    QDir().mkpath(mediaPath(QStringLiteral("sub")));
    writePicture(QStringLiteral("sub/bil.png"));
    CImportPictDlg dialog;
    chooseType(dialog, 1);
    ScopedAnswerer answerer;
    answerer.reply(hus + QLatin1Char('\n') + sol);
    dialog.OnImportFiles();
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(import_strings::kOpenFileTitle));
    EXPECT_TRUE(answerer.questions()[0].filter.contains(QStringLiteral("*.psd")));
    EXPECT_EQ(dialog.LogText(), QStringLiteral("hus\tOK\tImportet ID: 102\r\nsol\tOK\tImportet ID: 101\r\n"))
        << "in the order chosen";

    answerer.reply(mediaPath({}));
    dialog.OnImportFolder();
    EXPECT_FALSE(dialog.LogText().contains(QStringLiteral("bil"))) << "no sub-folders while the check is off";
    dialog.findChild<QCheckBox*>(QStringLiteral("subfoldersCheck"))->setChecked(true);
    dialog.findChild<QCheckBox*>(QStringLiteral("overwriteCheck"))->setChecked(true);
    answerer.reply(mediaPath({}));
    dialog.OnImportFolder();
    EXPECT_TRUE(dialog.LogText().contains(QStringLiteral("bil\tOK\tImportet ID: 103\r\n")));
}

TEST_F(ImportFrameworkTest, SaveLogWritesTheLogWithItsHeaderOrSaysItCouldNot)
{
    addWord(101, QStringLiteral("sø"));
    CImportPictDlg dialog;
    chooseType(dialog, 1);
    dialog.ImportFileList({writePicture(QStringLiteral("s%MBF.png"))});
    const QString path = tempPath(QStringLiteral("log.txt"));
    ScopedAnswerer answerer;
    answerer.reply(path);
    const QDateTime before = QDateTime::currentDateTime();
    dialog.SaveImportLog();
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].kind, ui::QuestionKind::SaveFile);
    const QByteArray saved = fileBytesOf(path);
    const QString outputPath = GetResFilePath(theOutputFile);
    EXPECT_TRUE(saved == ImportLogFileBytes(ImportItem::Picture, outputPath, before, dialog.LogText()) ||
                saved == ImportLogFileBytes(ImportItem::Picture, outputPath, after, dialog.LogText()));
    EXPECT_TRUE(saved.endsWith("s\xF8\tOK\tImportet ID: 101\r\n"));

    answerer.clear();
    answerer.reply(tempPath(QStringLiteral("no such folder/log.txt")));
    dialog.SaveImportLog();
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].kind, ui::QuestionKind::MessageBox);
    EXPECT_TRUE(answerer.questions()[1].text.contains(QStringLiteral("log.txt")));
}

TEST_F(ImportFrameworkTest, TabFollowsTheDialogFromTopToBottom)
{
    CImportPictDlg dialog;
    QStringList order;
    QWidget* widget = dialog.findChild<QComboBox*>(QStringLiteral("typeList"));
    for (int i = 0; i < 40 && (order.isEmpty() || widget->objectName() != order.front()); ++i) {
        if (!widget->objectName().isEmpty() && (widget->focusPolicy() & Qt::TabFocus) && widget->parent() &&
            !widget->objectName().startsWith(QLatin1String("qt_")))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(order, (QStringList{"typeList", "compressionList", "defaultLanguageCheck", "overwriteCheck",
                                  "subfoldersCheck", "elsewhereCheck", "importFilesButton",
                                  "importFolderButton", "saveLogButton", "importLog", "closeButton"}));
}
