// The wizard framework with pages of its own: the buttons at the start and at the ends, moves by id past
// skipped pages, the finish rule, a cancel a page refuses, and the values of pages never shown.

#include "authoring/WizardDialog.h"

#include "platform/ui/Ui.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

class StubPage : public CWizardPage
{
public:
    StubPage(std::vector<std::string>& log, std::string name) : m_log(log), m_name(std::move(name)) {}

    bool OnQueryCancel() override
    {
        m_log.push_back(m_name + " cancel?");
        return !refusesCancel;
    }
    int OnWizardNext() override { return next; }
    void OnApply() override { m_log.push_back(m_name + " apply" + (IsCreated() ? "" : " unshown")); }

    bool refusesCancel = false;
    int next = kWizardToNeighbour;
    QLineEdit* edit = nullptr;

protected:
    void OnInitDialog(QWidget& page) override
    {
        edit = new QLineEdit;
        BuildFrame(page, QString::fromStdString(m_name), {})->addWidget(edit);
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

class StubWizard : public CWizardDialog
{
public:
    bool OnInitDialog() override
    {
        SetPlaceholder(kWizardPlaceholderId);
        return CWizardDialog::OnInitDialog();
    }
};

class WizardDialogTest : public LumivoTest
{
protected:
    StubWizard& makeWizard(int pages)
    {
        for (int i = 0; i < pages; ++i) {
            m_pages.push_back(std::make_unique<StubPage>(m_log, "page" + std::to_string(i)));
            m_wizard.AddPage(m_pages.back().get(), 100 + i);
        }
        return m_wizard;
    }

    bool enabled(int id) const { return m_wizard.Button(id)->isEnabled(); }
    StubPage& page(int i) { return *m_pages[std::size_t(i)]; }

    std::vector<std::string> m_log;
    std::vector<std::unique_ptr<StubPage>> m_pages;
    StubWizard m_wizard;
};

} // namespace

TEST_F(WizardDialogTest, OnePageStartsWithBackAndNextDisabledAndNoPageIsBuiltBeforeItShows)
{
    makeWizard(1).OnInitDialog();
    EXPECT_FALSE(enabled(kWizardBackId));
    EXPECT_FALSE(enabled(kWizardNextId));
    EXPECT_TRUE(page(0).IsActive());

    StubWizard two;
    std::vector<std::unique_ptr<StubPage>> pages;
    for (int i = 0; i < 2; ++i) {
        pages.push_back(std::make_unique<StubPage>(m_log, "other"));
        two.AddPage(pages.back().get(), 200 + i);
    }
    two.OnInitDialog();
    EXPECT_TRUE(two.Button(kWizardNextId)->isEnabled());
    EXPECT_TRUE(pages[0]->IsCreated());
    EXPECT_FALSE(pages[1]->IsCreated());
}

TEST_F(WizardDialogTest, NextAndBackStopAtTheEndsAndAMoveByIdReachesASkippedPage)
{
    StubWizard& wizard = makeWizard(3);
    wizard.OnInitDialog();
    wizard.OnBack();
    EXPECT_EQ(wizard.GetActiveIndex(), 0);

    wizard.SkipPage(&page(1));
    wizard.OnNext();
    EXPECT_EQ(wizard.GetActiveIndex(), 2);
    EXPECT_FALSE(page(1).IsCreated());
    EXPECT_TRUE(enabled(kWizardBackId));
    EXPECT_FALSE(enabled(kWizardNextId));

    wizard.OnNext(); // past the last page: nothing changes
    EXPECT_EQ(wizard.GetActiveIndex(), 2);
    EXPECT_FALSE(enabled(kWizardNextId));

    page(2).next = 101; // the skipped page, by its id
    wizard.OnNext();
    EXPECT_EQ(wizard.GetActiveIndex(), 1);
    EXPECT_TRUE(page(1).IsActive());
    EXPECT_FALSE(page(2).IsActive());

    page(1).next = kWizardStay;
    wizard.OnNext();
    EXPECT_EQ(wizard.GetActiveIndex(), 1);
    wizard.OnBack();
    EXPECT_EQ(wizard.GetActiveIndex(), 0);
    EXPECT_FALSE(enabled(kWizardBackId));
}

TEST_F(WizardDialogTest, FinishNeedsEveryPageCompleteAndOneThatCanFinish)
{
    StubWizard& wizard = makeWizard(3);
    wizard.OnInitDialog();
    EXPECT_FALSE(enabled(kWizardFinishId)); // all complete, none can finish
    page(2).SetCanFinish(true);             // a page never shown may allow it
    EXPECT_TRUE(enabled(kWizardFinishId));
    EXPECT_TRUE(wizard.Button(kWizardNextId)->isDefault()); // Enter goes on while there is a next page
    page(1).SetComplete(false);
    EXPECT_FALSE(enabled(kWizardFinishId));
    page(1).SetComplete(true);
    EXPECT_TRUE(enabled(kWizardFinishId));

    wizard.OnFinish(); // finishing leaves Back and Next as they were
    EXPECT_TRUE(enabled(kWizardNextId));
    EXPECT_TRUE(wizard.EndedWithFinish());
}

TEST_F(WizardDialogTest, ACancelAPageRefusesKeepsTheWizardOpenAndPagesNeverShownAreNotAsked)
{
    StubWizard& wizard = makeWizard(3);
    page(1).refusesCancel = true;
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog&) {
        wizard.Button(kWizardCancelId)->click(); // only page 0 is built: it lets the wizard go
        return lumivo::ui::IDCANCEL;
    });
    EXPECT_EQ(wizard.DoModal(), kWizardCancelId);
    EXPECT_EQ(m_log, std::vector<std::string>{"page0 cancel?"});

    m_log.clear();
    answerer.reply([&](QDialog&) {
        wizard.OnNext();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&wizard, &escape); // Escape is the wizard's Cancel
        return lumivo::ui::IDOK; // a person who answers OK without Finish has not finished
    });
    EXPECT_EQ(wizard.DoModal(), kWizardCancelId);
    EXPECT_EQ(m_log, (std::vector<std::string>{"page0 cancel?", "page1 cancel?"}));
    EXPECT_FALSE(page(0).IsCreated()); // the pages' controls went with the wizard's end
}

TEST_F(WizardDialogTest, FinishAppliesEveryPageAlsoThoseNeverShown)
{
    StubWizard& wizard = makeWizard(3);
    ScopedAnswerer answerer;
    answerer.reply([&](QDialog&) {
        page(0).SetCanFinish(true);
        wizard.Button(kWizardFinishId)->click();
        return lumivo::ui::IDOK;
    });
    EXPECT_EQ(wizard.DoModal(), kWizardFinishId);
    EXPECT_EQ(m_log, (std::vector<std::string>{"page0 apply", "page1 apply unshown", "page2 apply unshown"}));
}

TEST_F(WizardDialogTest, TabVisitsThePageBeforeTheButtons)
{
    StubWizard& wizard = makeWizard(2);
    wizard.OnInitDialog();
    wizard.OnNext();
    // Pages are built after the buttons, so the chain runs from the buttons into the page and from the
    // page's last control round to Back.
    QWidget* next = page(1).edit->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    EXPECT_EQ(next, wizard.Button(kWizardBackId));
    EXPECT_EQ(FillPlaceholders(QStringLiteral("%d x %d, %s 100%"), {"640", "480", "ok"}),
              QStringLiteral("640 x 480, ok 100%"));
}
