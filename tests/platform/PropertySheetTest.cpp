// Property sheets: pages built when first shown, a page that refuses to be left, OK and Apply for the
// pages that were built, Cancel, the Apply button, Tab order, Enter and Escape, and tabs in a frame.

#include "platform/ui/PropertySheet.h"
#include "platform/ui/Ui.h"
#include "tests/support/LumivoTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>

using lumivo::test::LumivoTest;
namespace ui = lumivo::ui;

namespace
{

using Log = std::vector<QString>;

// A page of an edit line, an editable combo box and a check box that writes down what it is asked.
class RecordingPage : public ui::PropertyPage
{
public:
    RecordingPage(const QString& name, Log& log) : PropertyPage(name), m_name(name), m_log(log) {}

    bool allowLeave = true;
    bool allowApply = true;
    bool allowCancel = true;
    QLineEdit* edit = nullptr;
    QComboBox* combo = nullptr;
    QCheckBox* check = nullptr;

protected:
    void OnInitDialog(QWidget& page) override
    {
        note("init");
        auto* layout = new QVBoxLayout(&page);
        edit = new QLineEdit(&page);
        combo = new QComboBox(&page);
        combo->setEditable(true);
        check = new QCheckBox(m_name, &page);
        layout->addWidget(edit);
        layout->addWidget(combo);
        layout->addWidget(check);
    }
    bool DoDataExchange(bool save) override
    {
        note(save ? "read" : "fill");
        return true;
    }
    void OnSetActive() override
    {
        note("active");
        PropertyPage::OnSetActive();
    }
    bool OnKillActive() override
    {
        note("leave");
        return allowLeave && PropertyPage::OnKillActive();
    }
    void OnOK() override { note("ok"); }
    void OnCancel() override { note("cancel"); }
    bool OnApply() override { return allowApply ? PropertyPage::OnApply() : (note("refuse"), false); }
    bool OnQueryCancel() override { return allowCancel; }
    void OnDestroy() override { note("destroy"); }

private:
    void note(const char* what) { m_log.push_back(m_name + QLatin1Char(':') + QLatin1String(what)); }

    QString m_name;
    Log& m_log;
};

class PropertySheetTest : public LumivoTest
{
protected:
    PropertySheetTest()
        : a(QStringLiteral("A"), log), b(QStringLiteral("B"), log), c(QStringLiteral("C"), log)
    {
        sheet.AddPage(a);
        sheet.AddPage(b);
        sheet.AddPage(c);
    }

    // Runs the sheet with one fill-in function; returns DoModal's result.
    int run(std::function<int(ui::PropertySheet&, QDialog&)> fillIn)
    {
        ui::ScopedAnswerer answers;
        answers.reply([&](QDialog& dialog) {
            ui::PropertySheet* running = ui::PropertySheet::FromDialog(dialog);
            EXPECT_EQ(running, &sheet);
            return fillIn(*running, dialog);
        });
        return sheet.DoModal();
    }

    static QTabWidget& tabsOf(QDialog& dialog) { return *dialog.findChild<QTabWidget*>(); }
    static QPushButton* button(QDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        return dialog.findChild<QDialogButtonBox*>()->button(which);
    }

    Log log;
    RecordingPage a;
    RecordingPage b;
    RecordingPage c;
    ui::PropertySheet sheet{QStringLiteral("Settings")};
};

// The controls Tab visits, in order, starting after the window: what focus traversal takes.
std::vector<QWidget*> tabStops(QWidget& window)
{
    std::vector<QWidget*> stops;
    for (QWidget* widget = window.nextInFocusChain(); widget != &window;
         widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window) && widget->isEnabled() &&
            !widget->focusProxy())
            stops.push_back(widget);
    }
    return stops;
}

void sendKey(QWidget& target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
}

} // namespace

TEST_F(PropertySheetTest, OnlyThePagesShownAreBuiltAndApplied)
{
    const int result = run([&](ui::PropertySheet& running, QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Settings"));
        EXPECT_TRUE(a.IsCreated());
        EXPECT_FALSE(b.IsCreated());
        tabsOf(dialog).setCurrentIndex(1); // as a click on the tab does
        EXPECT_TRUE(b.IsCreated());
        EXPECT_EQ(running.GetActivePage(), &b);
        EXPECT_TRUE(running.PressButton(ui::SheetButton::Ok));
        return ui::IDOK;
    });

    EXPECT_EQ(result, ui::IDOK);
    EXPECT_EQ(log, (Log{"A:init", "A:fill", "A:active", "A:leave", "A:read", "B:init", "B:fill", "B:active",
                        "B:leave", "B:read", "A:ok", "B:ok", "A:destroy", "B:destroy"}));
    EXPECT_FALSE(c.IsCreated());
    EXPECT_FALSE(a.IsCreated()) << "the widgets went with the dialog";
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsItsTabAndHoldsOk)
{
    a.allowLeave = false;
    const int result = run([&](ui::PropertySheet& running, QDialog& dialog) {
        tabsOf(dialog).setCurrentIndex(2);
        EXPECT_EQ(tabsOf(dialog).currentIndex(), 0) << "the tab goes back";
        EXPECT_FALSE(c.IsCreated());
        EXPECT_FALSE(running.PressButton(ui::SheetButton::Ok));
        a.allowLeave = true;
        tabsOf(dialog).tabBar()->setCurrentIndex(2);
        EXPECT_EQ(running.GetActiveIndex(), 2);
        return ui::IDOK; // OK not pressed: the answer presses it
    });

    EXPECT_EQ(result, ui::IDOK);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("A:ok")), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("C:ok")), 1);
}

TEST_F(PropertySheetTest, AnOkThatThePageRefusesEndsAsCancelled)
{
    a.allowLeave = false;
    EXPECT_EQ(run([](ui::PropertySheet&, QDialog&) { return ui::IDOK; }), ui::IDCANCEL);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("A:cancel")), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("A:ok")), 0);
}

TEST_F(PropertySheetTest, ARefusedApplyShowsTheRefusingPageAndTheSheetStaysOpen)
{
    c.allowApply = false;
    const int result = run([&](ui::PropertySheet& running, QDialog&) {
        running.SetActivePage(2);
        running.SetActivePage(0);
        EXPECT_FALSE(running.PressButton(ui::SheetButton::Ok));
        EXPECT_EQ(running.GetActivePage(), &c);
        return ui::IDCANCEL;
    });
    EXPECT_EQ(result, ui::IDCANCEL);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("C:cancel")), 1);
}

TEST_F(PropertySheetTest, CancelAsksAndCancelsTheBuiltPagesOnly)
{
    const int result = run([&](ui::PropertySheet& running, QDialog& dialog) {
        running.SetActivePage(1);
        b.allowCancel = false;
        dialog.reject(); // Escape, the close box and Cancel all come here
        EXPECT_TRUE(running.GetDialog()) << "a page kept it open";
        b.allowCancel = true;
        button(dialog, QDialogButtonBox::Cancel)->click();
        return ui::IDOK; // what the dialog ended with counts
    });
    EXPECT_EQ(result, ui::IDCANCEL);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("A:cancel")), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("B:cancel")), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("C:cancel")), 0);
}

TEST_F(PropertySheetTest, ApplyFollowsTheChangedPagesAndLeavesTheSheetOpen)
{
    sheet.SetApplyButton(true);
    const int result = run([&](ui::PropertySheet& running, QDialog& dialog) {
        QPushButton* apply = button(dialog, QDialogButtonBox::Apply);
        EXPECT_FALSE(apply->isEnabled());
        a.SetModified();
        EXPECT_TRUE(apply->isEnabled());
        apply->click();
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_FALSE(a.IsModified());
        EXPECT_TRUE(running.GetDialog()) << "Apply leaves the sheet open";
        return ui::IDCANCEL;
    });
    EXPECT_EQ(result, ui::IDCANCEL);
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("A:ok")), 1);
}

TEST_F(PropertySheetTest, TabGoesFromTheTabsThroughThePageToTheButtons)
{
    run([&](ui::PropertySheet& running, QDialog& dialog) {
        running.SetActivePage(1); // built after the buttons were made
        QTabWidget& tabs = tabsOf(dialog);
        const std::vector<QWidget*> expected{tabs.tabBar(),
                                             b.edit,
                                             b.combo,
                                             b.check,
                                             button(dialog, QDialogButtonBox::Ok),
                                             button(dialog, QDialogButtonBox::Cancel)};
        EXPECT_EQ(tabStops(dialog), expected);
        return ui::IDCANCEL;
    });
}

TEST_F(PropertySheetTest, EnterPressesOkAndEscapeCancels)
{
    EXPECT_EQ(run([&](ui::PropertySheet&, QDialog& dialog) {
                  dialog.show();
                  sendKey(*a.edit, Qt::Key_Return);
                  return ui::IDCANCEL;
              }),
              ui::IDOK);
    EXPECT_EQ(run([&](ui::PropertySheet&, QDialog& dialog) {
                  dialog.show();
                  sendKey(*a.check, Qt::Key_Escape);
                  return ui::IDOK;
              }),
              ui::IDCANCEL);
}

TEST_F(PropertySheetTest, TabTextsSetBeforeOrWhileTheSheetRuns)
{
    EXPECT_TRUE(sheet.SetTabText(b, QStringLiteral("Second")));
    RecordingPage stranger(QStringLiteral("X"), log);
    EXPECT_FALSE(sheet.SetTabText(stranger, QStringLiteral("None")));
    run([&](ui::PropertySheet& running, QDialog& dialog) {
        EXPECT_EQ(tabsOf(dialog).tabText(0), QStringLiteral("A"));
        EXPECT_EQ(tabsOf(dialog).tabText(1), QStringLiteral("Second"));
        running.SetTabText(2, QStringLiteral("Third"));
        EXPECT_EQ(tabsOf(dialog).tabText(2), QStringLiteral("Third"));
        return ui::IDCANCEL;
    });
}

TEST_F(PropertySheetTest, TabsInAFrameAndAPageOnItsOwn)
{
    {
        QWidget frame;
        sheet.SetActivePage(1);
        QWidget* tabs = sheet.Create(&frame);
        EXPECT_EQ(sheet.GetWidget(), tabs);
        EXPECT_TRUE(b.IsCreated());
        EXPECT_FALSE(a.IsCreated());
        EXPECT_TRUE(sheet.ApplyPages());
        EXPECT_EQ(log.back(), QStringLiteral("B:ok"));
    }
    EXPECT_FALSE(b.IsCreated()) << "the page's widget went with the frame";

    QWidget holder;
    RecordingPage alone(QStringLiteral("Alone"), log);
    QWidget* built = alone.Create(&holder);
    EXPECT_EQ(built, alone.GetWidget());
    EXPECT_EQ(alone.Create(&holder), built) << "built once";
    EXPECT_EQ(alone.GetSheet(), nullptr);
    alone.SetModified();
    EXPECT_TRUE(alone.IsModified());
}
