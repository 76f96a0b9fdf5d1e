// The page wizard with real files: the fit of its pictures, a new page stored with its picture, names
// that are taken, no id to be had, deleting or restoring the page a pane shows, and a page that cannot
// be written.

#include "authoring/PageWizard.h"

#include "authoring/AuthoringStrings.h"
#include "core/FrameSizes.h"
#include "core/Picture.h"
#include "panes/Panes.h"
#include "platform/ui/Ui.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WizardTestFiles.h"
#include "tests/support/FullDisk.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::IDOK;
using lumivo::ui::QuestionKind;
using lumivo::ui::ScopedAnswerer;

namespace
{

class PageWizardTest : public WizardTestBase
{
protected:
    void SetUp() override
    {
        SetUpWizardTest(CRect(0, 0, 853, 570));
        theFrameSizeMode = 3;
    }

    QString writePicture(const QString& name, int width, int height)
    {
        const QString path = tempPath(name);
        EXPECT_TRUE(ToDisplayImage(patternImage(width, height)).save(path, "PNG"));
        return path;
    }

    static void typeName(CPageWizard& wizard, const QString& name)
    {
        QLineEdit* edit = wizard.NamePage().NameEdit();
        edit->setText(name);
        emit edit->textEdited(name);
    }

    static bool enabled(CPageWizard& wizard, int id) { return wizard.Button(id)->isEnabled(); }
};

// The same on a disk that fills up (in place before the set-up opens the user's file).
class PageWizardOnFullDiskTest : public PageWizardTest
{
protected:
    // The page as its record in the user's file holds it.
    QString storedName(std::int32_t id)
    {
        CQuibBg stored;
        EXPECT_EQ(AttachResource(&stored, id, MakeBgType(1, kLanguage), userFile()), 0);
        EXPECT_EQ(stored.Load(), 0);
        return stored.Name;
    }

    FullDisk m_disk;
};

std::optional<RgbImage> fitInMode(const RgbImage& image, int mode)
{
    const CSize page = GetFrameSizePageSize(mode);
    return FitToStandardPageSize(image, QSize(page.cx, page.cy));
}

} // namespace

TEST_F(PageWizardTest, TheFitCoversTheLargestStandardSizeAndNeverCutsOutsideThePicture)
{
    const RgbImage wide = patternImage(2000, 1000);
    const std::optional<RgbImage> fitted = fitInMode(wide, 3);
    ASSERT_TRUE(fitted);
    const auto scaled = ResizeRgb(wide, 1141, 571);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(fitted->pixels, CropRgb(*scaled, 143, 0, 996, 570)->pixels); // 853 x 570 from x = 143
    const RgbImage near = patternImage(855, 568);
    EXPECT_EQ(fitInMode(near, 3)->pixels, near.pixels);
    EXPECT_FALSE(fitInMode(patternImage(500, 300), 3));

    // A mode whose proportions differ from the screen's: the picture still covers it.
    const std::optional<RgbImage> covered = fitInMode(patternImage(1000, 750), 6);
    ASSERT_TRUE(covered);
    EXPECT_EQ(QSize(covered->width, covered->height), QSize(960, 728));

    for (int mode = kFirstFrameSizeMode; mode <= kLastFrameSizeMode; ++mode) {
        for (const QSize size : {QSize(343, 1300), QSize(700, 343), QSize(1000, 990), QSize(1500, 700)}) {
            const std::optional<RgbImage> result = fitInMode(patternImage(size.width(), size.height()), mode);
            if (!result)
                continue;
            bool standard = false;
            for (int each = kFirstFrameSizeMode; each <= kLastFrameSizeMode; ++each)
                standard = standard || GetFrameSizePageSize(each) == CSize(result->width, result->height);
            EXPECT_TRUE(standard) << mode << ": " << size.width() << " x " << size.height();
        }
    }
}

TEST_F(PageWizardTest, NewAndFinishStoresAPageWithASystemIdAndItsPictureInFormat7)
{
    const QString picture = writePicture("garden.png", 1706, 1140);
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        EXPECT_EQ(wizard.GetActivePage(), &wizard.NamePage());
        EXPECT_FALSE(enabled(wizard, kWizardNextId));
        typeName(wizard, QStringLiteral("Haven"));
        EXPECT_TRUE(enabled(wizard, kWizardFinishId));
        wizard.Button(kWizardNextId)->click();
        wizard.PicturePage().ChooseButton()->click();
        EXPECT_TRUE(wizard.PicturePage().Image());
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    answerer.reply(picture);
    ASSERT_TRUE(RunPageWizard(nullptr, nullptr, &theMainPane));

    CQuibBg* page = theMainPane.GetPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Name, QStringLiteral("Haven"));
    EXPECT_TRUE(IsSystemItem(page->GetID()) && page->GetID() >= kFirstSystemItemId);
    EXPECT_EQ(page->GetFile(), userFile());
    EXPECT_EQ(page->GetType(), MakeBgType(1, kLanguage));
    EXPECT_TRUE(theBgIndex.Contains(page));
    CQuibPict stored;
    ASSERT_EQ(
        AttachResource(&stored, page->GetID(), MakePictType(kPageWizardPictureKind, kLanguage), userFile()),
        0);
    ASSERT_TRUE(stored.ReadHeader());
    EXPECT_EQ(stored.StoreFormat, pictJpeg70);
    EXPECT_EQ(QSize(int(stored.Width), int(stored.Height)), QSize(853, 570));
}

TEST_F(PageWizardTest, ANameTakenInAnyCaseIsRefusedAndAPrefixOfOneIsNot)
{
    filePage(userFile(), 701, kLanguage, QStringLiteral("Homework"));
    filePage(userFile(), 702, kLanguage, QStringLiteral("home"));
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        typeName(wizard, QStringLiteral("Home"));
        EXPECT_EQ(wizard.NamePage().Message()->text(), LoadSystemString(9210) + QLatin1Char(' '));
        EXPECT_FALSE(enabled(wizard, kWizardNextId));
        EXPECT_FALSE(enabled(wizard, kWizardFinishId));
        typeName(wizard, QStringLiteral("Hom"));
        EXPECT_TRUE(wizard.NamePage().Message()->text().isEmpty());
        EXPECT_TRUE(enabled(wizard, kWizardNextId));
        wizard.Button(kWizardCancelId)->click();
        return lumivo::ui::IDCANCEL;
    });
    EXPECT_FALSE(RunPageWizard(nullptr, nullptr, &theMainPane));
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 2);
}

TEST_F(PageWizardTest, WithoutAFreeIdNothingIsStoredAndTheAuthorIsTold)
{
    const auto noId =
        theItemIdRandomHook.scoped([](std::int32_t, std::int32_t) { return kLastSystemItemId + 1; });
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        typeName(wizard, QStringLiteral("Loftet"));
        wizard.Button(kWizardFinishId)->click();
        EXPECT_FALSE(wizard.EndedWithFinish()); // still open: the author may only cancel
        wizard.Button(kWizardCancelId)->click();
        return lumivo::ui::IDCANCEL;
    });
    EXPECT_FALSE(RunPageWizard(nullptr, nullptr, &theMainPane));
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].kind, QuestionKind::MessageBox);
    EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(kStrNoFreePageId));
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 0);
    EXPECT_EQ(theMainPane.GetPage(), nullptr);
}

TEST_F(PageWizardTest, EditRenamesTheShownPageInTheUsersFile)
{
    CQuibBg* page = filePage(userFile(), 801, kLanguage, QStringLiteral("Stuen"));
    theMainPane.SetPage(page);
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        EXPECT_TRUE(wizard.ActionPage().Choice(kPageActionEdit)->isChecked());
        EXPECT_TRUE(wizard.ActionPage().Choice(kPageActionDelete)->isEnabled()); // no other version
        EXPECT_FALSE(wizard.ActionPage().Choice(kPageActionRestore)->isEnabled());
        wizard.Button(kWizardNextId)->click();
        EXPECT_TRUE(wizard.NamePage().IsValid());
        EXPECT_FALSE(enabled(wizard, kWizardFinishId)); // nothing changed yet
        typeName(wizard, QStringLiteral("Dagligstuen"));
        wizard.Button(kWizardBackId)->click(); // Back stops at the name page
        EXPECT_EQ(wizard.GetActivePage(), &wizard.NamePage());
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    ASSERT_TRUE(RunPageWizard(nullptr, page, &theMainPane));
    CQuibBg stored;
    ASSERT_EQ(AttachResource(&stored, 801, MakeBgType(1, kLanguage), userFile()), 0);
    ASSERT_EQ(stored.Load(), 0);
    EXPECT_EQ(stored.Name, QStringLiteral("Dagligstuen"));
    EXPECT_EQ(theMainPane.GetPage()->Name, QStringLiteral("Dagligstuen"));
}

TEST_F(PageWizardTest, RestoreShowsTheDataFilesVersionAndDeleteRemovesAPageOfTheUserAlone)
{
    const int data = makeResourceFile(tempPath("data.tvf"));
    theDataFiles = {data};
    theActiveFiles = {data, userFile()};
    filePage(data, 500, kLanguage, QStringLiteral("Køkken"));
    CQuibBg* own = filePage(userFile(), 500, kLanguage, QStringLiteral("Mit køkken"));
    theMainPane.SetPage(own);
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        CPageWizardActionPage& actions = wizard.ActionPage();
        EXPECT_FALSE(actions.Choice(kPageActionDelete)->isEnabled());
        EXPECT_TRUE(actions.Choice(kPageActionRestore)->isEnabled());
        actions.Choice(kPageActionRestore)->click();
        EXPECT_FALSE(enabled(wizard, kWizardNextId));
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    ASSERT_TRUE(RunPageWizard(nullptr, own, &theMainPane));
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->GetFile(), data);
    EXPECT_EQ(theMainPane.GetPage()->Name, QStringLiteral("Køkken"));
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 0);

    CQuibBg* alone = filePage(userFile(), 501, kLanguage, QStringLiteral("Soveværelse"));
    theMainPane.SetPage(alone);
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        wizard.ActionPage().Choice(kPageActionDelete)->click();
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    ASSERT_TRUE(RunPageWizard(nullptr, alone, &theMainPane));
    EXPECT_EQ(countRecords(userFile(), MakeBgType(1, kLanguage)), 0);
    EXPECT_EQ(theMainPane.GetPage(), nullptr); // the start page: none in this pane
}

TEST_F(PageWizardOnFullDiskTest,
       NewAndEditedPagesNotWrittenStayShownChangedTheAuthorIsToldAndTheNextSaveStoresThem)
{
    CQuibBg* page = filePage(userFile(), 801, kLanguage, QStringLiteral("Stuen"));
    const QString told = LoadSystemString(kMsgPageNotStored).replace("[#1]", GetResFilePath(userFile()));
    m_disk.Fill();
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        typeName(wizard, QStringLiteral("Haven"));
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    ASSERT_TRUE(RunPageWizard(nullptr, nullptr, &theMainPane));
    CQuibBg* made = theMainPane.GetPage();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name, QStringLiteral("Haven"));
    EXPECT_TRUE(made->IsChanged());
    EXPECT_TRUE(theBgIndex.Contains(made));
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].text, told);

    theMainPane.SetPage(page);
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CPageWizard&>(dialog);
        wizard.Button(kWizardNextId)->click();
        typeName(wizard, QStringLiteral("Dagligstuen"));
        wizard.Button(kWizardFinishId)->click();
        return IDOK;
    });
    ASSERT_TRUE(RunPageWizard(nullptr, page, &theMainPane));
    EXPECT_EQ(theMainPane.GetPage(), page);
    EXPECT_EQ(page->Name, QStringLiteral("Dagligstuen"));
    EXPECT_TRUE(page->IsChanged());
    ASSERT_EQ(answerer.questions().size(), 4u);
    EXPECT_EQ(answerer.questions()[3].text, told);

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(userFile(), {}, false), RES_OK);
    EXPECT_EQ(storedName(made->GetID()), QStringLiteral("Haven"));
    EXPECT_EQ(storedName(801), QStringLiteral("Dagligstuen"));
}
