// Translation settings and new languages: the language record in the output file, the settings values,
// the ranges of the new-language dialog and the data-version check.

#include "admin/TranslateSettingsDlg.h"
#include "system/SystemStrings.h"
#include "tests/admin/TranslationSupport.h"

#include <QCheckBox>
#include <QComboBox>

using namespace lumivo;
using lumivo::test::TranslationTest;
using lumivo::ui::ScopedAnswerer;

namespace
{

// A fill-in of the new-language dialog.
std::function<int(QDialog&)> newLanguage(const QString& number, const QString& name)
{
    return [number, name](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("languageNumberEdit"))->setText(number);
        dialog.findChild<QLineEdit*>(QStringLiteral("languageNameEdit"))->setText(name);
        return test::pressOk(dialog);
    };
}

} // namespace

TEST_F(TranslationTest, OkWithANewLanguageStoresItsRecordAndTheSettings)
{
    startWithUserAndDataFile();
    openOutputFile();
    SetSystemSettingInt(QStringLiteral("TranslateUserlevel"), 1003);
    theTranslateFlags = 0;
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        test::clickButton(dialog, "newLanguageButton");
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("languageNumberEdit"))->text(), "20");
        EXPECT_TRUE(dialog.findChild<QWidget*>(QStringLiteral("newLevelButton"))->isEnabled());
        test::clickButton(dialog, "newLevelButton"); // the new-level dialog, cancelled, changes nothing
        auto* basedOn = dialog.findChild<QComboBox*>(QStringLiteral("basedOnList"));
        basedOn->setCurrentIndex(basedOn->findData(8));
        dialog.findChild<QCheckBox*>(QStringLiteral("importFlagCheck"))->setChecked(true);
        return test::pressOk(dialog);
    });
    answerer.reply(newLanguage(QStringLiteral("20"), QStringLiteral("Tyve")));
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDOK);

    const auto record = storedRecord(theOutputFile, 1020);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->language, 20);
    EXPECT_EQ(record->name, "Tyve");
    EXPECT_EQ(record->base, 8);
    EXPECT_EQ(theTranslateLanguage, 20);
    EXPECT_EQ(intSetting("TranslateLanguage"), 20);
    EXPECT_EQ(intSetting("TranslateUserlevel"), 1003) << "written back unchanged";
    EXPECT_EQ(intSetting("TranslateFlags"), 1);
    EXPECT_EQ(theSystemInitFlags & kReloadEverything, kReloadEverything);
    ASSERT_EQ(answerer.questions().size(), 3u);
    EXPECT_EQ(answerer.questions()[2].kind, ui::QuestionKind::Dialog) << "the new-level dialog";
}

TEST_F(TranslationTest, LanguageZeroStoresNoRecordAndNoSettingsButTakesTheFlagAndVersion)
{
    startWithUserAndDataFile();
    openOutputFile();
    theTranslateFlags = 1;
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        TranslationTest::typeInto(dialog, "languageNumberEdit", QStringLiteral("0"));
        dialog.findChild<QCheckBox*>(QStringLiteral("importFlagCheck"))->setChecked(false);
        TranslationTest::typeInto(dialog, "versionEdit0", QStringLiteral("2"));
        TranslationTest::typeInto(dialog, "versionEdit1", QStringLiteral("0"));
        TranslationTest::typeInto(dialog, "versionEdit2", QStringLiteral("70"));
        return test::pressOk(dialog);
    });
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDOK);
    for (std::int32_t id = 1000; id <= 1255; ++id)
        EXPECT_FALSE(ResourceExists(id, RESTYPE_SYSTEM, theOutputFile)) << id;
    int value = 0;
    EXPECT_FALSE(GetSystemSettingInt(QStringLiteral("TranslateLanguage"), &value));
    EXPECT_FALSE(GetSystemSettingInt(QStringLiteral("TranslateFlags"), &value));
    EXPECT_EQ(theTranslateFlags, 0);
    EXPECT_EQ(GetResFileVersion(theOutputFile), MakeResFileVersion(2, 0, 70));
}

TEST_F(TranslationTest, NewLanguageNumbersOutsideFourteenTo255AreRefusedWithTheirMessage)
{
    struct Case {
        const char* number;
        int message; // 0: accepted
    };
    for (const Case& c : {Case{"1", 9013}, Case{"13", 9013}, Case{"0", 9014}, Case{"256", 9014},
                          Case{"", 9014}, Case{"14", 0}, Case{"255", 0}}) {
        ScopedAnswerer answerer;
        answerer.reply(newLanguage(QString::fromLatin1(c.number), QStringLiteral("Nyt")));
        CNewLanguageDlg dialog;
        const int answer = ui::runModal(dialog);
        if (c.message == 0) {
            EXPECT_EQ(answer, ui::IDOK) << c.number;
            EXPECT_EQ(dialog.Number(), QString::fromLatin1(c.number).toInt());
            EXPECT_TRUE(answerer.questions().size() == 1u) << c.number;
            continue;
        }
        EXPECT_EQ(answer, ui::IDCANCEL) << c.number << ": the dialog stays open";
        ASSERT_EQ(answerer.questions().size(), 2u) << c.number;
        EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(c.message)) << c.number;
    }
}

TEST_F(TranslationTest, AVersionTheProgramCannotOpenIsRefusedAndTheFileKeepsItsVersion)
{
    startWithUserAndDataFile();
    openOutputFile();
    const std::uint32_t before = GetResFileVersion(theOutputFile);
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        TranslationTest::typeInto(dialog, "languageNumberEdit", QStringLiteral("0"));
        TranslationTest::typeInto(dialog, "versionEdit0", QStringLiteral("3"));
        return test::pressOk(dialog);
    });
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDCANCEL);
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_TRUE(
        answerer.questions()[1].text.startsWith(LoadSystemString(9607).section(QLatin1Char('['), 0, 0)));
    EXPECT_EQ(GetResFileVersion(theOutputFile), before);

    answerer.clear();
    answerer.reply([](QDialog& dialog) {
        TranslationTest::typeInto(dialog, "versionEdit2", QStringLiteral("256"));
        return test::pressOk(dialog);
    });
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDCANCEL) << "a field out of 0 to 255 keeps the dialog open";
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].text, "Enter a number from 0 to 255.");
}

TEST_F(TranslationTest, ALanguageOfADataFileGetsItsOwnRecordInTheOutputFileWithoutTheDataTexts)
{
    startWithUserAndDataFile();
    ASSERT_EQ(test::WriteLanguageRecord(m_data, 1030, 30, "Tredive", 2, {{9001, "Gem?"}}), RES_OK);
    openOutputFile();
    InitializeSystem(kReloadEverything);
    ASSERT_NE(FindSystemRecord(30), nullptr);
    ScopedAnswerer answerer;
    answerer.reply([](QDialog& dialog) {
        auto* languages = dialog.findChild<QComboBox*>(QStringLiteral("languageList"));
        languages->setCurrentIndex(languages->findData(30));
        emit languages->activated(languages->currentIndex());
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("basedOnList"))->currentData().toInt(), 2)
            << "the record's based-on language";
        return test::pressOk(dialog);
    });
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDOK);
    const auto copy = storedRecord(theOutputFile, 1030);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name, "Tredive");

    // A number typed in the edit chooses its language in the list too, name and all.
    answerer.reply([](QDialog& dialog) {
        auto* number = dialog.findChild<QLineEdit*>(QStringLiteral("languageNumberEdit"));
        number->setText(QStringLiteral("3"));
        emit number->editingFinished();
        return test::pressOk(dialog);
    });
    EXPECT_EQ(RunTranslateSettingsDialog(), ui::IDOK);
    EXPECT_EQ(storedRecord(theOutputFile, 1003)->name, LoadSystemString(10003));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name, "Tredive");
    EXPECT_EQ(copy->base, 2);
    EXPECT_TRUE(copy->strings.empty());
    const auto source = storedRecord(m_data, 1030);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->strings.size(), 1u) << "the data file's record stays as it was";
}
