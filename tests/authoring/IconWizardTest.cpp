// The icon wizard with real files: adding, editing and deleting an icon, the new word it makes, the
// look, the link, the text size held until Finish, and storing the page by the output file's state.

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditor.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WizardTestFiles.h"
#include "tests/support/FullDisk.h"
#include "tests/support/PageEventLog.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::IDCANCEL;
using lumivo::ui::IDOK;
using lumivo::ui::ScopedAnswerer;

namespace
{

class IconWizardTest : public IconWizardTestBase
{
protected:
    // The icon's page as its record holds it.
    std::unique_ptr<CQuibBg> storedPage()
    {
        auto stored = std::make_unique<CQuibBg>();
        EXPECT_EQ(AttachResource(stored.get(), kPageId, MakeBgType(1, kLanguage), userFile()), 0);
        EXPECT_EQ(stored->Load(), 0);
        return stored;
    }
};

// The same on a disk that fills up (in place before the set-up opens the user's file).
class IconWizardOnFullDiskTest : public IconWizardTest
{
protected:
    FullDisk m_disk;
};

} // namespace

TEST_F(IconWizardTest, AddWithoutAPointPutsA64SquareInFrontAtThePaneCentreAndAnUnknownNameMakesOneWord)
{
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    theActiveFiles = {userFile(), theOutputFile};
    addIcon(CRect(0, 0, 40, 40));
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        EXPECT_EQ(wizard.GetActivePage(), &wizard.WordPage());
        EXPECT_FALSE(wizard.Button(kWizardNextId)->isEnabled()); // no word yet
        typeWord(wizard, QStringLiteral("Blæksprutte"));
        EXPECT_TRUE(wizard.MakesNewWord());
        EXPECT_TRUE(wizard.WordPage().Info()->text().startsWith(
            FillPlaceholders(LoadSystemString(9057), {QStringLiteral("Blæksprutte")})));
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, nullptr, kIconActionAdd, &theMainPane, 0, 0));

    ASSERT_EQ(page().Icons.size(), 2u);
    const CQuibIcon& added = *page().Icons.back();
    EXPECT_EQ(added.ScreenRect, CRect(258, 148, 322, 212)); // round (300, 200) of the client, on the page
    EXPECT_GE(added.WordId, kFirstSystemItemId);
    EXPECT_TRUE(added.WordName.isEmpty()); // the label only repeated the new word's name
    EXPECT_EQ(countRecords(theOutputFile, MakeWordType(kLanguage)), 1);
    const std::unique_ptr<CQuibWord> word = FindWordById(added.WordId);
    ASSERT_TRUE(word);
    ASSERT_EQ(word->Load(), 0);
    EXPECT_EQ(word->WordName, QStringLiteral("Blæksprutte"));
    EXPECT_GE(theWordIndex.Names().Find(QStringLiteral("Blæksprutte")), 0);
    // With the output file open the page is only committed, to be stored with that file.
    EXPECT_TRUE(page().IsChanged());
}

TEST_F(IconWizardTest, AnEditFinishedBeforeTheLinkPageKeepsTheLinkAndThePageIsStoredAndReadAgain)
{
    addWord(500, QStringLiteral("hus"));
    CQuibIcon& icon = addIcon(CRect(100, 100, 164, 164), 500);
    icon.LinkId = 77;
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        EXPECT_TRUE(wizard.ActionPage().Choice(kIconActionEdit)->isChecked());
        press(wizard, kWizardNextId);
        EXPECT_EQ(wizard.GetActivePage(), &wizard.WordPage());
        EXPECT_FALSE(wizard.Button(kWizardBackId)->isEnabled()); // the action page is behind for good
        press(wizard, kWizardNextId);
        EXPECT_TRUE(wizard.LookPage().Choice(kIconLookWordPicture)->isChecked()); // derived: no label
        wizard.LookPage().Choice(kIconLookTextOnly)->click();
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, &icon, kIconActionEdit, nullptr, 0, 0));

    const std::unique_ptr<CQuibBg> stored = storedPage();
    ASSERT_EQ(stored->Icons.size(), 1u);
    EXPECT_EQ(stored->Icons.front()->Flags & kIconLookMask, kIconLookTextOnly);
    EXPECT_EQ(stored->Icons.front()->LinkId, 77);
    EXPECT_EQ(stored->Icons.front()->WordId, 500);
    EXPECT_FALSE(page().IsChanged());
    EXPECT_EQ(page().Icons.front()->Flags & kIconLookMask, kIconLookTextOnly);
}

TEST_F(IconWizardTest, DeleteRemovesOnlyThatIconAndEveryReferenceToItGoesFirst)
{
    CQuibIcon& doomed = addIcon(CRect(0, 0, 50, 50));
    CQuibIcon& kept = addIcon(CRect(100, 0, 150, 50));
    kept.LinkId = 5;
    SetHoverIcon(&doomed);
    PageEventLog log;
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        wizard.ActionPage().Choice(kIconActionDelete)->click();
        EXPECT_FALSE(wizard.Button(kWizardNextId)->isEnabled());
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, &doomed, kIconActionEdit, &theMainPane, 0, 0));

    ASSERT_EQ(page().Icons.size(), 1u);
    EXPECT_EQ(page().Icons.front()->LinkId, 5);
    EXPECT_EQ(theHoverIcon, nullptr);
    EXPECT_TRUE(theSelectedIcons.empty());
    const auto events = log.take();
    EXPECT_NE(std::ranges::find(events, PageEventLog::Event{"iconAboutToBeDestroyed", &doomed}),
              events.end());
    EXPECT_EQ(storedPage()->Icons.size(), 1u);
}

TEST_F(IconWizardTest, AdvancedHoldsTheTextSizeUntilFinishAndCancelLeavesTheIconAsItWas)
{
    CQuibIcon& icon = addIcon(CRect(0, 0, 64, 64));
    const auto toLookPage = [](CIconWizard& wizard) {
        press(wizard, kWizardNextId);
        typeWord(wizard, QStringLiteral("sol"));
        press(wizard, kWizardNextId);
        EXPECT_EQ(wizard.GetActivePage(), &wizard.LookPage());
    };
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        toLookPage(wizard);
        wizard.LookPage().AdvancedButton()->click();
        press(wizard, kWizardCancelId);
        return IDCANCEL;
    });
    EXPECT_FALSE(RunIconWizard(nullptr, &icon, kIconActionEdit, &theMainPane, 0, 0));
    QString size;
    EXPECT_FALSE(icon.Attributes.GetValue(QStringLiteral("textsize"), size));
    EXPECT_EQ(icon.WordId, 0);
    EXPECT_EQ(countRecords(userFile(), MakeWordType(kLanguage)), 0); // nothing made before Finish

    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        toLookPage(wizard);
        wizard.LookPage().AdvancedButton()->click();
        wizard.LookPage().AdvancedButton()->click();
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, &icon, kIconActionEdit, &theMainPane, 0, 0));
    const CQuibIcon& stored = *page().Icons.front(); // read again from the stored page
    ASSERT_TRUE(stored.Attributes.GetValue(QStringLiteral("textsize"), size));
    EXPECT_EQ(size, QStringLiteral("120%"));
}

TEST_F(IconWizardTest, WithoutAFreeIdNoWordIsMadeTheIconKeepsItsWordAndTheAuthorIsTold)
{
    addWord(500, QStringLiteral("hus"));
    CQuibIcon& icon = addIcon(CRect(0, 0, 64, 64), 500);
    theOutputFile = makeResourceFile(tempPath("output.tvf"));
    const auto noId =
        theItemIdRandomHook.scoped([](std::int32_t, std::int32_t) { return kLastSystemItemId + 1; });
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        press(wizard, kWizardNextId);
        typeWord(wizard, QStringLiteral("xyzzy"));
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, &icon, kIconActionEdit, &theMainPane, 0, 0));
    EXPECT_EQ(icon.WordId, 500);
    EXPECT_EQ(countRecords(theOutputFile, MakeWordType(kLanguage)), 0);
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].text, LoadSystemString(kStrNoFreeItemId));
}

TEST_F(IconWizardTest, TheLinkFollowsAWholePageNameAndAMissingPageIsNamedByItsId)
{
    filePage(userFile(), 950, kLanguage, QStringLiteral("Køkken"));
    filePage(userFile(), 951, kLanguage, QStringLiteral("Kælder"));
    addWord(500, QStringLiteral("hus"));
    CQuibIcon& icon = addIcon(CRect(0, 0, 64, 64), 500);
    icon.LinkId = 999;
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        for (int step = 0; step < 5 && wizard.GetActivePage() != &wizard.LinkPage(); ++step)
            press(wizard, kWizardNextId);
        EXPECT_EQ(wizard.GetActivePage(), &wizard.LinkPage());
        if (wizard.GetActivePage() != &wizard.LinkPage())
            return IDCANCEL;
        CIconWizardLinkPage& link = wizard.LinkPage();
        EXPECT_EQ(link.Combo()->currentText(),
                  FillPlaceholders(LoadSystemString(9412), {QStringLiteral("999")}));
        link.OnEditChanged(QStringLiteral("k"));
        EXPECT_EQ(link.Combo()->count(), 2);
        EXPECT_EQ(link.LinkId(), 0);
        EXPECT_EQ(link.Combo()->currentText(), QStringLiteral("k")); // the typed text stays
        link.OnEditChanged(QStringLiteral("Køkken"));
        EXPECT_EQ(link.LinkId(), 950);
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, &icon, kIconActionEdit, &theMainPane, 0, 0));
    EXPECT_EQ(page().Icons.front()->LinkId, 950);
}

TEST(IconLookTest, AnIconWithoutALookShowsWhatItAlwaysShowed)
{
    EXPECT_EQ(DerivedIconLook(kIconNoPicture, 7, 7, QString()), kIconLookTransparent);
    EXPECT_EQ(DerivedIconLook(0, 7, kFirstSystemId, QStringLiteral("x")), kIconLookWordPicture);
    EXPECT_EQ(DerivedIconLook(0, 7, 500, QString()), kIconLookOwnPicture);
    EXPECT_EQ(DerivedIconLook(0, 0, 500, QString()), kIconLookWordPicture);
    EXPECT_EQ(DerivedIconLook(0, 0, 500, QStringLiteral("Huset")), kIconLookTextOnly);
    const QString label = QStringLiteral("Hus\u00ADet\nog");
    EXPECT_EQ(LabelForEditing(label), QStringLiteral("Hus\u00B7et\u00ACog"));
    EXPECT_EQ(LabelFromEditing(QStringLiteral("Hus\u00B7et")), QStringLiteral("Hus\u00ADet"));
}

TEST_F(IconWizardTest, WithThePageEditorOnTheSamePageFinishOnlyCommits)
{
    CQuibIcon& doomed = addIcon(CRect(0, 0, 50, 50));
    addIcon(CRect(100, 0, 150, 50));
    EditBackground(&page());
    ASSERT_TRUE(theBgEditorEditsPageHook(&page()));
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        wizard.ActionPage().Choice(kIconActionDelete)->click();
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    const bool finished = RunIconWizard(nullptr, &doomed, kIconActionEdit, &theMainPane, 0, 0);
    const bool committedOnly = page().IsChanged(); // the editor stores the page, not the wizard
    ResetBackgroundEditor();
    EXPECT_TRUE(finished);
    EXPECT_EQ(page().Icons.size(), 1u);
    EXPECT_TRUE(committedOnly);
}

TEST_F(IconWizardOnFullDiskTest, AnIconAddedOnAFullDiskStaysOnThePageTheAuthorIsToldAndTheNextSaveStoresIt)
{
    addWord(500, QStringLiteral("hus"));
    m_disk.Fill();
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog& dialog) {
        auto& wizard = dynamic_cast<CIconWizard&>(dialog);
        typeWord(wizard, QStringLiteral("hus"));
        press(wizard, kWizardFinishId);
        return IDOK;
    });
    ASSERT_TRUE(RunIconWizard(nullptr, nullptr, kIconActionAdd, &theMainPane, 0, 0));

    // Not stored, the new icon is still on the page shown, which stays changed.
    ASSERT_EQ(&page(), m_page);
    ASSERT_EQ(page().Icons.size(), 1u);
    EXPECT_EQ(page().Icons.front()->WordId, 500);
    EXPECT_TRUE(page().IsChanged());
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].text,
              LoadSystemString(kMsgPageNotStored).replace("[#1]", GetResFilePath(userFile())));

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(userFile(), {}, false), RES_OK);
    const std::unique_ptr<CQuibBg> stored = storedPage();
    ASSERT_EQ(stored->Icons.size(), 1u);
    EXPECT_EQ(stored->Icons.front()->WordId, 500);
}
