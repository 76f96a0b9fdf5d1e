#pragma once
// What the wizards' tests build on: a current user in a file of its own with a page shown in the
// main pane, words in the word index, and the steps an author takes through the wizard.

#include "authoring/IconWizard.h"

#include "core/Icon.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "platform/ui/Ui.h"
#include "shell/WordNavBar.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/LumivoTest.h"

#include <QLineEdit>
#include <QPushButton>

namespace lumivo::test
{

class QuietPaneOwner : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
};

// A current user in a file of its own, and the main pane editable and shown, drawing nowhere.
class WizardTestBase : public LumivoTest
{
protected:
    static constexpr std::uint16_t kLanguage = 2;

    void SetUpWizardTest(const CRect& paneRect)
    {
        LumivoTest::SetUp();
        m_user = std::make_unique<UserInFile>(tempPath("user.tvf"), kLanguage);
        theActiveFiles = {m_user->file};
        theSearchLanguages = {kLanguage};
        theMainPane.SetOwnerWnd(&m_owner);
        theMainPane.PaneRect = paneRect;
        theMainPane.PaneFlags = kPaneFlagEditable;
        theMainPane.SetVisible(true);
    }

    void TearDown() override
    {
        theMainPane.ResetPane();
        theBgIndex.DeleteAll();
        theWordIndex.DeleteAll();
        m_user.reset();
        LumivoTest::TearDown();
    }

    int userFile() const { return m_user->file; }

    QuietPaneOwner m_owner;
    std::unique_ptr<UserInFile> m_user;
};

class IconWizardTestBase : public WizardTestBase
{
protected:
    static constexpr std::int32_t kPageId = 900;

    void SetUp() override
    {
        SetUpWizardTest(CRect(0, 0, 600, 400));
        theEditOptions = 0;
        m_page = filePage(m_user->file, kPageId, kLanguage, QStringLiteral("Side"));
        theMainPane.SetPage(m_page);
        theMainPane.PageRect = CRect(10, 20, 610, 420);
    }

    CQuibBg& page() { return *theMainPane.GetPage(); }

    // A word stored in the user's file and filed in the word index.
    CQuibWord* addWord(std::int32_t id, const QString& name)
    {
        auto word = std::make_unique<CQuibWord>();
        EXPECT_EQ(word->SaveAs(id, userFile(), MakeWordType(kLanguage)), 0);
        word->WordName = name;
        return SaveWord(std::move(word));
    }

    CQuibIcon& addIcon(const CRect& rect, std::int32_t wordId = 0)
    {
        auto icon = std::make_unique<CQuibIcon>();
        icon->ScreenRect = rect;
        icon->WordId = wordId;
        page().Icons.push_back(std::move(icon));
        return *page().Icons.back();
    }

    // Types into the word box as a person does: the box completes a known word.
    static void typeWord(CIconWizard& wizard, const QString& text)
    {
        CWordComboBox* combo = wizard.WordPage().Combo();
        combo->lineEdit()->setText(text);
        combo->OnEditUpdate();
    }

    static void press(CIconWizard& wizard, int button) { wizard.Button(button)->click(); }

    CQuibBg* m_page = nullptr;
};

} // namespace lumivo::test
