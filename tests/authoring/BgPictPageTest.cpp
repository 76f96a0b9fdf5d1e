// The page editor's image page with real files: a picture imported, fitted and stored under the kind
// of its screen size and the right language; a stored picture shown; the page's "no pictures" flag.

#include "authoring/BgPictPage.h"
#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgSheetView.h"

#include "core/Picture.h"
#include "platform/ui/Ui.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/LumivoTest.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = EditorUserFixture::kUserLanguage;
constexpr int kScreenSize800 = 2; // "800 x 600": kind 0x21, 640 x 427
constexpr int kKind800 = 0x21;
constexpr std::int32_t kPageId = 70;

class BgPictPageTest : public BgEditorFixture
{
protected:
    void SetUp() override
    {
        BgEditorFixture::SetUp();
        m_page = filePage(userFile(), kPageId, kLanguage, "Garden");
    }

    // The editor on the page with its image page shown at "800 x 600".
    CQuibBg_PictPage& showImagePage()
    {
        OpenBackgroundEditor();
        EXPECT_NE(theBgEditorFrame, nullptr);
        EXPECT_TRUE(theBgEditorFrame->SelectBackground(m_page));
        CQuibBg_PropSheet& sheet = theBgEditorFrame->View().Sheet();
        EXPECT_TRUE(sheet.SetActivePage(sheet.PictPage()));
        theBgEditorFrame->SetImageScreenSize(kScreenSize800);
        return sheet.PictPage();
    }

    QString writePng(const QString& name, int width, int height)
    {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(lumivo::image::encodePng(patternImage(width, height), bytes));
        QFile file(tempPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return tempPath(name);
    }

    void importPicture(CQuibBg_PictPage& page, const QString& path)
    {
        ScopedAnswerer answerer;
        answerer.reply(path);
        page.ImportButton()->click();
    }

    // The stored picture of the page under (kind, language), decoded; none when there is no record.
    std::unique_ptr<CQuibPict> storedPicture(int kind, std::int16_t language)
    {
        auto picture = std::make_unique<CQuibPict>();
        if (AttachResource(picture.get(), kPageId, MakePictType(std::int16_t(kind), language),
                           m_user->file) != 0)
            return nullptr;
        picture->Load();
        picture->Decode();
        return picture;
    }

    void storePicture(int kind, std::int16_t language, int width, int height)
    {
        CQuibPict picture;
        ASSERT_EQ(picture.SaveAs(kPageId, m_user->file, MakePictType(std::int16_t(kind), language)), 0);
        ASSERT_TRUE(picture.SetImage(patternImage(width, height), width, height, pictPng));
        ASSERT_EQ(picture.Write(), 0);
    }

    CQuibBg* m_page = nullptr;
};

} // namespace

TEST_F(BgPictPageTest, AnImportedPictureIsFittedShownAndStoredUnderItsKindWhenThePageIsSaved)
{
    CQuibBg_PictPage& page = showImagePage();
    theBgEditorFrame->Execute(kBgImportResize);
    importPicture(page, writePng("photo.png", 2000, 1500));
    const BgPictureVariant* variant = page.Variant(kKind800);
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(QSize(variant->fitted.width, variant->fitted.height), QSize(640, 427));
    EXPECT_TRUE(variant->changed);
    EXPECT_FALSE(page.Preview()->pixmap().isNull());
    EXPECT_EQ(page.GetWidget()->findChild<QLabel*>("bgPictureDimensions")->text(), " 640 x 427");
    EXPECT_TRUE(page.GetWidget()->findChild<QLabel*>("bgPictureSize")->text().endsWith(" % )"));
    EXPECT_EQ(storedPicture(kKind800, kLanguage), nullptr) << "stored only when the page is saved";

    theBgEditorFrame->View().OkButton().click();
    const auto stored = storedPicture(kKind800, kLanguage);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Width, 640u);
    EXPECT_EQ(stored->StoreFormat, pictPng) << "the default compression, Graphic";
    ASSERT_NE(stored->GetImage(), nullptr);
    EXPECT_EQ(stored->GetImage()->height, 427);
}

TEST_F(BgPictPageTest, InTheDefaultLanguageAPictureReplacesTheOneStoredThere)
{
    storePicture(kKind800, 1, 100, 50);
    CQuibBg_PictPage& page = showImagePage();
    const BgPictureVariant* shown = page.Variant(kKind800);
    ASSERT_NE(shown, nullptr) << "a picture only in the default language is shown";
    EXPECT_TRUE(page.DefaultLanguageBox()->isChecked());
    EXPECT_EQ(shown->fitted.width, 100);

    theBgEditorFrame->Execute(kBgImportKeepSize);
    importPicture(page, writePng("small.png", 300, 200));
    page.DefaultLanguageBox()->click();
    if (!page.DefaultLanguageBox()->isChecked())
        page.DefaultLanguageBox()->click();
    theBgEditorFrame->View().OkButton().click();
    EXPECT_EQ(countRecords(m_user->file, MakePictType(kKind800, 1)), 1);
    const auto stored = storedPicture(kKind800, 1);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Width, 300u);
    EXPECT_EQ(storedPicture(kKind800, kLanguage), nullptr);
}

TEST_F(BgPictPageTest, AChoiceThatGivesNoPictureNeverReplacesTheStoredOne)
{
    storePicture(kKind800, kLanguage, 120, 80);
    CQuibBg_PictPage& page = showImagePage();
    QFile broken(tempPath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\x89PNG\r\n\x1a\n not really");
    broken.close();
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath("broken.png"));
        page.ImportButton()->click();
        ASSERT_EQ(answerer.questions().size(), 2u) << "the chooser, then the file's name in a message";
        EXPECT_TRUE(answerer.questions()[1].text.contains("broken.png"));
    }
    page.UseImagesBox()->click(); // a change, so that Ok saves the page
    theBgEditorFrame->View().OkButton().click();
    const auto stored = storedPicture(kKind800, kLanguage);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Width, 120u);
}

TEST_F(BgPictPageTest, CancelOrNoAtTheSaveQuestionLeavesTheFileWithoutTheNewPicture)
{
    CQuibBg_PictPage& page = showImagePage();
    importPicture(page, writePng("photo.png", 640, 427));
    for (const int answer : {lumivo::ui::IDCANCEL, lumivo::ui::IDNO}) {
        ScopedAnswerer answerer;
        answerer.reply(answer);
        EXPECT_EQ(theBgEditorFrame->SaveCurrentBackground(true), answer == lumivo::ui::IDNO);
        EXPECT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(countRecords(m_user->file, MakePictType(kKind800, kLanguage)), 0) << "answer " << answer;
    }
    const BgPictureVariant* variant = page.Variant(kKind800);
    EXPECT_TRUE(!variant || !variant->changed) << "No drops the imported picture";
    EXPECT_FALSE(theBgEditorFrame->View().IsChanged());
}

TEST_F(BgPictPageTest, TheUseImagesBoxFlipsThePagesNoPictureFlag)
{
    CQuibBg_PictPage& page = showImagePage();
    EXPECT_TRUE(page.UseImagesBox()->isChecked());
    EXPECT_FALSE(theBgEditorFrame->View().OkButton().isEnabled());
    page.UseImagesBox()->click();
    EXPECT_EQ(m_page->BgFlags & kBgFlagNoPicture, kBgFlagNoPicture);
    EXPECT_TRUE(theBgEditorFrame->View().OkButton().isEnabled());
    page.UseImagesBox()->click();
    EXPECT_EQ(m_page->BgFlags & kBgFlagNoPicture, 0u);
}

TEST_F(BgPictPageTest, ScreenSizesAndCompressionsMapToKindsSizesAndStoreFormats)
{
    EXPECT_EQ(PictureKindOfScreenSize(0), 0);
    EXPECT_EQ(PictureKindOfScreenSize(1), 0x20);
    EXPECT_EQ(PictureKindOfScreenSize(6), 0x25);
    EXPECT_EQ(TargetSizeOfScreenSize(0), QSize(0, 0));
    EXPECT_EQ(TargetSizeOfScreenSize(6), QSize(1280, 854));
    EXPECT_EQ(CompressionChoicesFor(0x21), (std::vector<int>{1, 2, 3, 4, 5, 6, 8}));
    EXPECT_EQ(CompressionChoicesFor(1), (std::vector<int>{1, 3, 4, 5, 6, 8}));
    EXPECT_EQ(CompressionChoicesFor(0x10), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 7}));
    EXPECT_EQ(StoreFormatOfCompression(2), pictTiff);
    EXPECT_EQ(StoreFormatOfCompression(8), pictGreyJpeg85);
    EXPECT_EQ(StoreFormatOfCompression(99), pictRawRgb);
}
