// Every page of the user-settings sheet, shown in Danish and in English: no text of a label, box or
// button is cut off, and every control can be reached by Tab. With LUMIVO_RENDER_DIR set, each page
// is also saved there as a PNG to be looked at.

#include "admin/UserSettingsSheet.h"
#include "system/SystemSettings.h"
#include "tests/admin/UserSettingsFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

using namespace lumivo;
using test::UserSettingsTest;

namespace
{

struct Language {
    const char* name;
    std::uint16_t number;
};

// Texts that do not fit their control.
QStringList cutTexts(QWidget& page)
{
    QStringList cut;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&page) && !label->wordWrap() &&
            label->width() < label->minimumSizeHint().width())
            cut << label->text();
    }
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&page) && button->width() < button->minimumSizeHint().width())
            cut << button->text();
    }
    return cut;
}

// The controls of the page that Tab reaches from the tab bar, in the window's focus chain.
std::vector<QWidget*> tabStops(QWidget& window, QWidget& page)
{
    std::vector<QWidget*> stops;
    for (QWidget* widget = window.nextInFocusChain(); widget != &window;
         widget = widget->nextInFocusChain()) {
        if (page.isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isVisibleTo(&page) && widget->isEnabled() && !widget->focusProxy())
            stops.push_back(widget);
    }
    return stops;
}

std::vector<QWidget*> controls(QWidget& page)
{
    std::vector<QWidget*> found;
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             (qobject_cast<QLineEdit*>(widget) && !widget->focusProxy() &&
                              widget->focusPolicy() != Qt::NoFocus);
        if (control && widget->isVisibleTo(&page) && widget->isEnabled())
            found.push_back(widget);
    }
    return found;
}

void checkAndRender(QDialog& dialog, QWidget& page, const QString& tab, const QString& file)
{
    dialog.adjustSize();
    QApplication::processEvents();
    EXPECT_TRUE(cutTexts(page).isEmpty())
        << qPrintable(tab) << ": " << qPrintable(cutTexts(page).join(" | "));
    const std::vector<QWidget*> stops = tabStops(dialog, page);
    for (QWidget* control : controls(page))
        EXPECT_NE(std::find(stops.begin(), stops.end(), control), stops.end())
            << qPrintable(tab) << ": " << control->metaObject()->className() << " "
            << qPrintable(control->objectName());
    if (!file.isEmpty())
        dialog.grab().save(file + QStringLiteral(".png"));
}

} // namespace

TEST_F(UserSettingsTest, EveryPageShowsItsTextsWholeAndEveryControlByTab)
{
    const QString renderDir = qEnvironmentVariable("LUMIVO_RENDER_DIR");
    if (!renderDir.isEmpty())
        QDir().mkpath(renderDir);
    for (const Language language : {Language{"da", 2}, Language{"en", 9}}) {
        theLanguageNo = language.number;
        BuildDefaultColorTable();
        CQuibUS_PropSheet sheet(9037);
        addAllPages(sheet);
        sheet.AddPage(sheet.m_layoutPage);
        run(sheet, [&](CQuibUS_PropSheet& running, QDialog& dialog) {
            dialog.show();
            for (int index = 0; index < running.GetPageCount(); ++index) {
                EXPECT_TRUE(running.SetActivePage(index));
                const QString tab =
                    QStringLiteral("%1 %2").arg(QLatin1String(language.name), running.GetTabText(index));
                const QString file = QStringLiteral("%1/usersettings-%2-%3")
                                         .arg(renderDir, QLatin1String(language.name))
                                         .arg(index, 2, 10, QLatin1Char('0'));
                checkAndRender(dialog, *running.GetPage(index)->GetWidget(), tab,
                               renderDir.isEmpty() ? QString() : file);
                if (running.GetPage(index) != &running.m_printPage)
                    continue;
                // Each kind of printout shows controls of its own.
                QComboBox& modes = *running.m_printPage.ModeCombo();
                for (int mode = 0; mode < modes.count(); ++mode) {
                    modes.setCurrentIndex(mode);
                    emit modes.activated(mode);
                    checkAndRender(dialog, *running.GetPage(index)->GetWidget(), tab + modes.currentText(),
                                   renderDir.isEmpty() ? QString() : file + QStringLiteral("-%1").arg(mode));
                }
            }
            return ui::IDCANCEL;
        });
    }
}
