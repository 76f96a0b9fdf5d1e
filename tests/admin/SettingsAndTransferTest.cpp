// The system-settings sheet (the folder, the language and the system's window elements; an invalid
// folder; a changed folder) and the transfer of a page with its assets into the output file.

#include "admin/OutputFileLife.h"
#include "admin/SystemSettingsSheet.h"
#include "admin/TransferBgDlg.h"
#include "core/Icon.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "platform/registry/Registry.h"
#include "platform/ui/PropertySheet.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminFilesTestSupport.h"
#include "tests/support/Pictures.h"
#include "tests/support/UnwritableFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::test::clickButton;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = 2;
constexpr std::int32_t kPageId = 31;
constexpr std::int32_t kWordId = 1000000005;

class SystemSettingsTest : public AdminFilesTest
{
protected:
    void SetUp() override
    {
        AdminFilesTest::SetUp();
        QDir().mkpath(tempPath(QStringLiteral("install")));
        theRegistry->WriteString(kSettingsRoot, QStringLiteral("Install_dir"),
                                 tempPath(QStringLiteral("install")));
        theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10008);
        theScreenMode = 0x31;
    }

    // Runs the sheet: `edit` changes the page's controls, then OK is pressed; the sheet's answer.
    static int runSheet(const std::function<void(QWidget&)>& edit, ScopedAnswerer& answerer)
    {
        int answer = ui::IDCANCEL;
        answerer.reply([&edit](QDialog& dialog) {
            ui::PropertySheet* sheet = ui::PropertySheet::FromDialog(dialog);
            edit(*sheet->GetPage(0)->GetWidget());
            sheet->PressButton(ui::SheetButton::Ok);
            return dialog.result() == QDialog::Accepted ? int(ui::IDOK) : int(ui::IDCANCEL);
        });
        CQuibSS_PropSheet sheet;
        answer = sheet.DoModal();
        return answer;
    }

    static QString setting(const char* name)
    {
        QString value;
        GetSystemSettingString(QLatin1String(name), value);
        return value;
    }
};

} // namespace

TEST_F(SystemSettingsTest, TheInstallFolderIsStoredAsNoFolderAndTheLanguageAsItsNumber)
{
    SetSystemSettingInt(QStringLiteral("LanguageNo"), 0);
    theRegistry->WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), 10002);
    ScopedAnswerer answerer;
    const int answer = runSheet(
        [this](QWidget& page) {
            auto* languages = page.findChild<QComboBox*>(QStringLiteral("systemLanguageList"));
            EXPECT_EQ(languages->itemText(0), LoadSystemString(1004));
            page.findChild<QLineEdit*>(QStringLiteral("defaultFolderEdit"))
                ->setText(tempPath(QStringLiteral("install")));
            page.findChild<QCheckBox*>(QStringLiteral("toolBarBox"))->click();
        },
        answerer);
    EXPECT_EQ(answer, ui::IDOK);
    EXPECT_TRUE(theRegistry->ValueExists(kSettingsRoot, QStringLiteral("Default_dir")));
    EXPECT_EQ(setting("Default_dir"), QString());
    EXPECT_EQ(intSetting("LanguageNo"), 2) << "10002 in the registry is language 2, stored plain";
    EXPECT_EQ(theLanguageNo, 2);
    EXPECT_EQ(theScreenMode, 0x71) << "the toolbar's system bit; the user's bits untouched";
    EXPECT_EQ(intSetting("ScreenMode"), 0x71) << "stored at OK, not only at exit";
}

TEST_F(SystemSettingsTest, AnInvalidFolderKeepsTheSheetOpenAndAChangedOneWaitsForTheNextStart)
{
    const QString base = theBaseDir;
    ScopedAnswerer answerer;
    answerer.reply([this](QDialog& dialog) {
        ui::PropertySheet* sheet = ui::PropertySheet::FromDialog(dialog);
        QWidget& page = *sheet->GetPage(0)->GetWidget();
        auto* folder = page.findChild<QLineEdit*>(QStringLiteral("defaultFolderEdit"));
        folder->setText(tempPath(QStringLiteral("missing")));
        ScopedAnswerer inner;
        emit folder->editingFinished(); // the click on OK takes the focus from the field
        EXPECT_FALSE(sheet->PressButton(ui::SheetButton::Ok));
        EXPECT_EQ(dialog.result(), 0) << "still open";
        EXPECT_EQ(inner.questions().size(), 1u) << "said once";
        EXPECT_FALSE(sheet->PressButton(ui::SheetButton::Ok));
        EXPECT_EQ(inner.questions().size(), 2u) << "and again at the next OK";
        EXPECT_TRUE(!inner.questions().empty() && inner.questions()[0].text == LoadSystemString(9005));
        EXPECT_EQ(setting("Default_dir"), QString()) << "nothing stored";

        folder->setText(tempPath(QStringLiteral("Data")));
        inner.clear();
        EXPECT_TRUE(sheet->PressButton(ui::SheetButton::Ok));
        EXPECT_EQ(inner.questions().size(), 1u) << "the folder takes effect at the next start";
        return int(ui::IDOK);
    });
    CQuibSS_PropSheet sheet;
    EXPECT_EQ(sheet.DoModal(), ui::IDOK);
    EXPECT_EQ(setting("Default_dir"), tempPath(QStringLiteral("Data")));
    EXPECT_EQ(theBaseDir, base) << "this session keeps its data and users together";
}

// A settings folder that cannot be written: OK says so, naming the settings file, and promises nothing
// of the next start; the settings hold in this session and reach the disk once it can be written.
TEST_F(SystemSettingsTest, SettingsThatCannotBeWrittenAreSaidAndNothingIsPromised)
{
    const QString settingsFile =
        registry::Registry::defaultFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.txt");
    ASSERT_TRUE(FlushSystemSettings());
    const QByteArray before = fileBytesOf(settingsFile);
    ScopedAnswerer answerer;
    answerer.reply([this, &settingsFile](QDialog& dialog) {
        ui::PropertySheet* sheet = ui::PropertySheet::FromDialog(dialog);
        QWidget& page = *sheet->GetPage(0)->GetWidget();
        page.findChild<QLineEdit*>(QStringLiteral("defaultFolderEdit"))
            ->setText(tempPath(QStringLiteral("Data")));
        test::UnwritableFolder settingsFolder(registry::Registry::defaultFolder());
        ScopedAnswerer inner;
        EXPECT_TRUE(sheet->PressButton(ui::SheetButton::Ok));
        EXPECT_EQ(inner.questions().size(), 1u) << "one message, and no promise of the next start";
        EXPECT_TRUE(!inner.questions().empty() &&
                    inner.questions()[0].text == LoadSystemString(9580).replace("[#1]", settingsFile));
        return int(ui::IDOK);
    });
    CQuibSS_PropSheet sheet;
    EXPECT_EQ(sheet.DoModal(), ui::IDOK);
    EXPECT_EQ(fileBytesOf(settingsFile), before) << "nothing was written";
    EXPECT_EQ(setting("Default_dir"), tempPath(QStringLiteral("Data"))) << "held in this session";
    EXPECT_TRUE(FlushSystemSettings());
    EXPECT_TRUE(fileBytesOf(settingsFile).contains(tempPath(QStringLiteral("Data")).toUtf8()));
}

TEST_F(SystemSettingsTest, FactoryDefaultsThenCancelChangeNothing)
{
    SetSystemSettingInt(QStringLiteral("LanguageNo"), 8);
    const QString installPath = tempPath(QStringLiteral("install"));
    ScopedAnswerer answerer;
    answerer.reply([installPath](QDialog& dialog) {
        ui::PropertySheet* sheet = ui::PropertySheet::FromDialog(dialog);
        EXPECT_EQ(sheet->GetTabText(0), LoadSystemString(9357));
        QWidget& page = *sheet->GetPage(0)->GetWidget();
        clickButton(dialog, "factoryDefaultsButton");
        EXPECT_EQ(page.findChild<QLineEdit*>(QStringLiteral("defaultFolderEdit"))->text(), installPath);
        EXPECT_EQ(page.findChild<QComboBox*>(QStringLiteral("systemLanguageList"))->currentIndex(), -1)
            << "language 8 has no record here";
        return int(ui::IDCANCEL);
    });
    CQuibSS_PropSheet sheet;
    EXPECT_EQ(sheet.DoModal(), ui::IDCANCEL);
    EXPECT_FALSE(theRegistry->ValueExists(kSettingsRoot, QStringLiteral("Default_dir")));
    EXPECT_EQ(intSetting("LanguageNo"), 8);
    EXPECT_EQ(theScreenMode, 0x31);
}

namespace
{

class TransferTest : public AdminFilesTest
{
protected:
    void SetUp() override
    {
        AdminFilesTest::SetUp();
        m_data = addDataFile(dataPath(QStringLiteral("data.tvf")));
        storeWordAndPage();
        ASSERT_EQ(SaveResFile(m_data), RES_OK);
        theActiveFiles = {m_data};
        theSearchLanguages = {kLanguage};
        m_page = std::make_unique<CQuibBg>();
        ASSERT_EQ(AttachResource(m_page.get(), kPageId, MakeBgType(1, kLanguage), m_data), RES_OK);
        ASSERT_EQ(m_page->Load(), RES_OK);
    }

    void TearDown() override
    {
        m_page.reset();
        AdminFilesTest::TearDown();
    }

    void storeWordAndPage()
    {
        CQuibWord word;
        word.WordName = QStringLiteral("hus");
        ASSERT_EQ(word.SaveAs(kWordId, m_data, MakeWordType(kLanguage)), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
        for (int kind : {1, 26}) {
            CQuibPict picture;
            ASSERT_EQ(picture.Create(), RES_OK);
            ASSERT_TRUE(picture.SetImage(test::solidRgbImage(4, 4, 0xFF336699), 4, 4, pictRawRgb));
            ASSERT_EQ(
                picture.SaveAs(kWordId, m_data, MakePictType(static_cast<std::int16_t>(kind), kLanguage)),
                RES_OK);
            ASSERT_EQ(picture.Write(), RES_OK);
        }
        CQuibPict pagePicture;
        ASSERT_EQ(pagePicture.Create(), RES_OK);
        ASSERT_TRUE(pagePicture.SetImage(test::solidRgbImage(4, 4, 0xFF00FF00), 4, 4, pictRawRgb));
        ASSERT_EQ(pagePicture.SaveAs(kPageId, m_data, MakePictType(33, kLanguage)), RES_OK);
        ASSERT_EQ(pagePicture.Write(), RES_OK);
        CQuibBg page;
        page.Name = QStringLiteral("Hjem");
        ASSERT_EQ(page.Create(), RES_OK);
        ASSERT_EQ(page.SaveAs(kPageId, m_data, MakeBgType(1, kLanguage)), RES_OK);
        auto icon = std::make_unique<CQuibIcon>();
        icon->WordId = kWordId;
        page.Icons.push_back(std::move(icon));
        ASSERT_EQ(page.Write(), RES_OK);
    }

    void openOutputFile()
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
        theActiveFiles = {m_data, theOutputFile};
        theSearchLanguages = {kLanguage};
    }

    static int recordCount(int file)
    {
        int count = 0;
        CountResources(&count, RES_ANY, file);
        return count;
    }

    int m_data = 0;
    std::unique_ptr<CQuibBg> m_page;
};

} // namespace

TEST_F(TransferTest, WithoutAnOutputFileNothingCanBeTransferred)
{
    CTransferBgDlg dialog(*m_page);
    EXPECT_EQ(dialog.RowCount(), 5) << "the page, its picture, the word and its two pictures";
    EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("transferAllButton"))->isEnabled());
    EXPECT_EQ(dialog.TransferAll().error, TransferError::NoOutputFile);
    EXPECT_EQ(m_page->GetFile(), m_data);

    theActiveFiles.clear();
    CTransferBgDlg alone(*m_page);
    EXPECT_EQ(alone.RowCount(), 1) << "without active files only the page";
}

TEST_F(TransferTest, ThePageAndItsAssetsAreCopiedOnceAndTheDataFileKeepsItsOwn)
{
    openOutputFile();
    const int dataRecords = recordCount(m_data);
    const QByteArray dataBefore = fileBytesOf(dataPath(QStringLiteral("data.tvf")));
    theBgIndex.Add(std::move(m_page));
    CQuibBg* page = static_cast<CQuibBg*>(theBgIndex.Find(m_data, kLanguage, kPageId));
    ASSERT_NE(page, nullptr);
    {
        CTransferBgDlg dialog(*page);
        const TransferResult result = dialog.TransferAll();
        EXPECT_EQ(result.error, TransferError::None);
        EXPECT_EQ(result.copied, 5);
        EXPECT_TRUE(ResourceExists(kPageId, MakeBgType(1, kLanguage), theOutputFile));
        EXPECT_TRUE(ResourceExists(kPageId, MakePictType(33, kLanguage), theOutputFile));
        EXPECT_TRUE(ResourceExists(kWordId, MakeWordType(kLanguage), theOutputFile));
        EXPECT_TRUE(ResourceExists(kWordId, MakePictType(26, kLanguage), theOutputFile));
        EXPECT_EQ(recordCount(m_data), dataRecords) << "copied, not moved";
        EXPECT_FALSE(IsResFileDirty(m_data));
        EXPECT_EQ(page->GetFile(), theOutputFile) << "the page follows its copy";
        EXPECT_EQ(theBgIndex.Find(theOutputFile, kLanguage, kPageId), page) << "and is filed under it";

        const int outputRecords = recordCount(theOutputFile);
        const QByteArray outputBytes = fileBytesOf(tempPath(QStringLiteral("out.tvf")));
        const TransferResult again = dialog.TransferAll();
        EXPECT_EQ(again.copied, 0);
        EXPECT_EQ(recordCount(theOutputFile), outputRecords);
        EXPECT_EQ(fileBytesOf(tempPath(QStringLiteral("out.tvf"))), outputBytes)
            << "a second time writes nothing";
    }
    EXPECT_EQ(fileBytesOf(dataPath(QStringLiteral("data.tvf"))), dataBefore);
    CQuibBg copy;
    ASSERT_EQ(AttachResource(&copy, kPageId, MakeBgType(1, kLanguage), theOutputFile), RES_OK);
    ASSERT_EQ(copy.Load(), RES_OK);
    EXPECT_EQ(copy.Name, QStringLiteral("Hjem"));
    ASSERT_EQ(copy.Icons.size(), 1u);
    EXPECT_EQ(copy.Icons.front()->WordId, kWordId);
}
