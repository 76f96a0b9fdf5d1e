// The word editor's forms, its Basic properties and Info pages, and its word list files.

#include "authoring/WordForms.h"
#include "authoring/WordLists.h"
#include "authoring/WordSheetView.h"
#include "authoring/WordTreeView.h"

#include "platform/ui/Ui.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WordTestFiles.h"
#include "tests/support/LumivoTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = WordEditorFixture::kUserLanguage;

class WordSheetTest : public WordEditorFixture
{
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(tempPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return tempPath(name);
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST(WordFormsTest, TheFormsTableWithItsEmptyCells)
{
    EXPECT_EQ(FormName(0x1100), "ental ubestemt = grundform");
    EXPECT_EQ(FormName(0x1400), "flertal bestemt");
    EXPECT_EQ(FormName(0x2300), "datid");
    EXPECT_EQ(FormName(0x2400), "") << "a verb has no fourth inflexion";
    EXPECT_EQ(FormName(0x2F00), "anden form");
    EXPECT_EQ(FormName(0x4100), "grundform");
    EXPECT_EQ(FormName(0x6200), "");
    EXPECT_EQ(FormName(0x5300), "3. grad");
    EXPECT_EQ(FormName(0x8200), QString::fromUtf8("udråbsord"));
    EXPECT_EQ(FormName(0x8F00), "") << "numerals have no other form";
    EXPECT_EQ(FormName(std::int16_t(0x9100)), WordClassName(0))
        << "a class without a row: the base as class 0";
    EXPECT_EQ(FormName(0x0F00), "anden form");
    EXPECT_EQ(FormName(0x1000), "") << "no inflexion, no name";
    EXPECT_EQ(FormName(0x1500), "");
    EXPECT_EQ(FormName(0x1155), FormName(0x1100)) << "the low byte is not the form's";

    EXPECT_EQ(WordClassName(0x5000), LoadSystemString(1115));
    EXPECT_EQ(WordClassName(std::int16_t(0x9000)), "");
    EXPECT_EQ(InflexionsOfClass(0x2000), (std::vector<int>{0x100, 0x200, 0x300, 0xF00}));
    EXPECT_EQ(InflexionsOfClass(0x8000), (std::vector<int>{0x100, 0x200}));
    EXPECT_EQ(InflexionsOfClass(0), std::vector<int>{0x100});
    EXPECT_EQ(WordClasses().size(), 9u);
}

TEST_F(WordSheetTest, AClassChangeClearsTheInflexionAndTheFamilyFollowsTheBaseForm)
{
    CQuibWord* base = fileWord(userFile(), 70, kLanguage, QString::fromUtf8("løbe"), 0x2100);
    fileWord(userFile(), 71, kLanguage, QString::fromUtf8("lære"), 0x2100);
    fileWord(userFile(), 72, kLanguage, QString::fromUtf8("løber"), 0x1100);
    CQuibWord* form = fileWord(userFile(), 73, kLanguage, QString::fromUtf8("løb"), 0x2307);
    CQuibW_Frame& frame = openWordEditor();
    CQuibW_BasicPage& page = frame.View().Sheet().BasicPage();
    ASSERT_TRUE(frame.SelectWord(form));
    EXPECT_EQ(page.InflexionList()->currentData().toInt(), 0x300);
    EXPECT_TRUE(page.FamilyBox()->isEnabled());

    page.FamilyBox()->lineEdit()->setText(QString::fromUtf8("lø"));
    page.FamilyBox()->lineEdit()->setCursorPosition(2);
    page.OnFamilyTyped(QString::fromUtf8("lø"));
    EXPECT_EQ(page.FamilyBox()->lineEdit()->text(), QString::fromUtf8("løbe"))
        << "the verb's base form, not løber";
    EXPECT_EQ(page.FamilyBox()->lineEdit()->selectedText(), "be");
    EXPECT_EQ(form->FamilyList, std::vector<std::int32_t>{70});
    EXPECT_EQ(page.FormsText()->text(), QString::fromUtf8("løb"));
    EXPECT_TRUE(frame.View().OkButton().isEnabled());

    page.OnFamilyTyped("xyz");
    EXPECT_TRUE(form->FamilyList.empty()) << "no base form of the class: no base word";
    EXPECT_EQ(page.FamilyBox()->lineEdit()->text(), "");

    page.OnClassChosen(page.ClassList()->findData(0x5000));
    EXPECT_EQ(form->WordForm, 0x5007) << "the class changes, the inflexion goes, the low byte stays";
    EXPECT_EQ(page.InflexionList()->currentData().toInt(), 0);
    EXPECT_EQ(page.InflexionList()->count(), 5) << "none, then the adjective's four";
    EXPECT_FALSE(page.FamilyBox()->isEnabled()) << "until an inflexion other than the base form";
    page.OnInflexionChosen(page.InflexionList()->findData(0x200));
    EXPECT_EQ(form->WordForm, 0x5207);
    EXPECT_TRUE(page.FamilyBox()->isEnabled());
    page.OnClassChosen(page.ClassList()->findData(0));
    EXPECT_FALSE(page.InflexionList()->isEnabled()) << "class 0 has no inflexion";

    ScopedAnswerer answerer;
    answerer.reply(lumivo::ui::IDNO);
    ASSERT_TRUE(frame.SelectWord(base));
    EXPECT_FALSE(page.FamilyBox()->isEnabled()) << "a base form names no base word";
}

TEST_F(WordSheetTest, ADeletedWordShowsReadOnlyButCanBeUndeleted)
{
    CQuibWord* word = fileWord(userFile(), 80, kLanguage, "gammel");
    CQuibW_Frame& frame = openWordEditor();
    CQuibW_BasicPage& page = frame.View().Sheet().BasicPage();
    ASSERT_TRUE(frame.SelectWord(word));
    page.OnDeletedClicked(true);
    EXPECT_EQ(word->WordFlags & 1, 1);
    EXPECT_TRUE(frame.IsDeleted());
    EXPECT_FALSE(page.NameEdit()->isEnabled());
    EXPECT_FALSE(page.ClassList()->isEnabled());
    EXPECT_TRUE(page.DeletedBox()->isEnabled());
    EXPECT_TRUE(page.DeletedBox()->isChecked());
    page.OnDeletedClicked(false);
    EXPECT_TRUE(page.NameEdit()->isEnabled());
    EXPECT_EQ(word->WordFlags & 1, 0);
}

TEST_F(WordSheetTest, TheInfoPageTellsWhereTheWordIsStored)
{
    CQuibWord* word = fileWord(userFile(), 90, kLanguage, "info");
    CQuibWord* none = fileWord(userFile(), 91, 0, "ingen");
    CQuibW_Frame& frame = openWordEditor();
    CQuibW_PropSheet& sheet = frame.View().Sheet();
    ASSERT_TRUE(sheet.SetActivePage(sheet.InfoPage()));
    ASSERT_TRUE(frame.SelectWord(word));
    CQuibW_InfoPage& page = sheet.InfoPage();
    EXPECT_EQ(page.IdText()->text(), "90");
    EXPECT_EQ(page.LanguageText()->text(), LoadSystemString(10002));
    EXPECT_EQ(page.FileText()->text(), GetResFilePath(userFile()));
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(page.UpdatedText()->text())
                    .hasMatch())
        << page.UpdatedText()->text().toStdString();
    ASSERT_TRUE(frame.SelectWord(none));
    EXPECT_EQ(page.LanguageText()->text(), LoadSystemString(10000));
    ASSERT_TRUE(frame.SelectWord(nullptr));
    EXPECT_EQ(page.IdText()->text(), "0");
    EXPECT_EQ(page.FileText()->text(), "");
}

TEST_F(WordSheetTest, AnImportReadsAThousandNamesTheLastLineWithoutItsLineFeedToo)
{
    QByteArray lines;
    for (int n = 0; n < 1001; ++n)
        lines += "word " + QByteArray::number(n) + "\tsecond field\r\n";
    EXPECT_EQ(WordNamesOfImport(lines).size(), 1000u) << "the 1001st line and after are ignored";
    EXPECT_EQ(WordNamesOfImport("  one \r\n\r\n\tnameless\ntwo"), (std::vector<QString>{"one", "", "two"}))
        << "trimmed; an empty name still counts as a line";
}

TEST_F(WordSheetTest, AnImportKeepsAUsersWordsIdMakesNewOnesAndPassesOverSharedNames)
{
    const int data = makeResourceFile(tempPath("data.tvf"));
    fileWord(data, 1'000'000'500, kLanguage, "system");
    fileWord(data, 500, kLanguage, "mine");
    fileWord(data, 501, kLanguage, "twice");
    fileWord(data, 502, kLanguage, "twice");
    CQuibWord* own = fileWord(userFile(), 503, kLanguage, "Hus");
    theWordIndex.Names().SetCaseSensitive(false);
    std::vector<CQuibWord*> stored;
    const WordImportResult result =
        ImportWordNames({"system", "mine", "twice", "", "Hus", "hus"}, userFile(), kLanguage,
                        [&stored](CQuibWord* word) { stored.push_back(word); });
    EXPECT_EQ(result.error, WordImportError::None);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].messageId, 9860);
    EXPECT_EQ(result.issues[0].detail, "twice");
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_LT(stored[0]->GetID(), kFirstSystemId) << "a system word's name makes a new user word";
    EXPECT_NE(stored[0]->GetID(), 1'000'000'500);
    EXPECT_EQ(stored[1]->GetID(), 500) << "one user word of that name gives its id";
    EXPECT_EQ(stored[1]->GetFile(), userFile());
    EXPECT_EQ(stored[2], own) << "the editor's own word is renamed in place";
    EXPECT_NE(stored[3], own) << "case counts while importing";
    QString recordName;
    stored[1]->GetName(recordName);
    EXPECT_EQ(recordName, "mine");
    EXPECT_FALSE(theWordIndex.Names().IsCaseSensitive()) << "the list's own setting comes back";

    const auto noId = theItemIdRandomHook.scoped([](std::int32_t, std::int32_t last) { return last + 1; });
    const WordImportResult failed = ImportWordNames({"brand new"}, userFile(), kLanguage);
    EXPECT_EQ(failed.error, WordImportError::NoFreeId);
    EXPECT_EQ(failed.stored, 0);
    EXPECT_FALSE(theWordIndex.Names().IsCaseSensitive()) << "also when the import stops early";
}

TEST_F(WordSheetTest, AnImportFileThatCannotBeReadIsSaidByNameAndChangesNothing)
{
    CQuibW_Frame& frame = openWordEditor();
    const QString missing = tempPath("gone.txt");
    ScopedAnswerer answerer;
    answerer.reply(missing);
    answerer.reply(lumivo::ui::IDOK);
    frame.ImportWordsFromText();
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
    EXPECT_TRUE(answerer.questions()[1].text.contains(missing)) << answerer.questions()[1].text.toStdString();
    EXPECT_EQ(countRecords(userFile(), MakeWordType(kLanguage)), 0);
}

TEST_F(WordSheetTest, TheImportCommandAndTheReportOfTheListedWords)
{
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    theTranslateLanguage = kLanguage;
    OpenWordEditorForTranslation();
    ASSERT_NE(theWordEditorFrame, nullptr);
    CQuibW_Frame& frame = *theWordEditorFrame;
    const QString names = writeFile("names.txt", QByteArray("bil\nBus\n\xE6") + "ble");
    {
        ScopedAnswerer answerer;
        answerer.reply(names);
        frame.Execute(kWordImportNames);
        EXPECT_EQ(answerer.questions().size(), 1u) << "the file only";
    }
    EXPECT_EQ(countRecords(theOutputFile, MakeWordType(kLanguage)), 3);
    EXPECT_EQ(frame.ForEachListedWord(), 3) << "each imported word is listed at once";

    auto* bus = static_cast<CQuibWord*>(theWordIndex.Names().GetItemData(theWordIndex.Names().Find("Bus")));
    ASSERT_NE(bus, nullptr);
    bus->WordForm = 0x1200;
    ScopedAnswerer answerer;
    answerer.reply(tempPath("report"));
    frame.Execute(kWordArchiveList);
    const QByteArray text = fileBytes(tempPath("report.txt"));
    ASSERT_TRUE(text.startsWith("Ord i datafiler (")) << text.toStdString();
    const auto idOf = [](const char* name) {
        return QByteArray::number(
            static_cast<CQuibWord*>(theWordIndex.Names().GetItemData(theWordIndex.Names().Find(name)))
                ->GetID());
    };
    const QByteArray expected = QByteArray(65, '-') + "\r\nB -------\r\n" + idOf("bil") + "\tbil\t\t" +
                                LoadSystemString(1110).toLatin1() + " - \r\n" + idOf("Bus") + "\tBus\t\t" +
                                LoadSystemString(1111).toLatin1() + " - ental bestemt\r\n\xC6 -------\r\n";
    EXPECT_NE(text.indexOf(expected), -1) << text.toStdString();

    answerer.reply(tempPath("export.txt"));
    frame.Execute(kWordExportWords);
    const QByteArray exported = fileBytes(tempPath("export.txt"));
    EXPECT_EQ(exported, "bil\t" + idOf("bil") + "\r\nBus\t" + idOf("Bus") + "\r\n\xE6" + "ble\t" +
                            idOf("\xC3\xA6"
                                 "ble") +
                            "\r\n");
    EXPECT_EQ(WordNamesOfImport(exported), (std::vector<QString>{"bil", "Bus", QStringLiteral("æble")}))
        << "the import reads the export back";

    frame.Execute(kWordShowEditorFile);
    frame.Execute(kWordRebuildList);
    answerer.reply(tempPath("empty"));
    frame.Execute(kWordArchiveList);
    EXPECT_EQ(fileBytes(tempPath("empty.txt")).count("\r\n"), 2) << "an empty list: the header and the rule";
}
