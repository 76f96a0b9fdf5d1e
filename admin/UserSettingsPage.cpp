#include "admin/UserSettingsPage.h"

#include "admin/UserSettingsSheet.h"
#include "system/SystemStrings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

CQuibUser* CQuibUS_Page::User() const
{
    return m_propSheet.GetUser();
}

void CQuibUS_Page::Report(std::uint32_t flags)
{
    m_propSheet.SetModified(*this, flags);
}

void CQuibUS_Page::ReportClicks(QAbstractButton& button, std::uint32_t flags)
{
    QObject::connect(&button, &QAbstractButton::clicked, &button, [this, flags] {
        UpdateData(true);
        Report(flags);
    });
}

void CQuibUS_Page::ReportChoices(QComboBox& combo, std::uint32_t flags)
{
    QObject::connect(&combo, &QComboBox::activated, &combo, [this, flags] {
        UpdateData(true);
        Report(flags);
    });
}

QLineEdit* CQuibUS_Page::AddReportingEdit(QFormLayout& form, int labelId, const char* name,
                                          std::uint32_t flags)
{
    auto* edit = new QLineEdit(form.parentWidget());
    edit->setObjectName(QLatin1String(name));
    form.addRow(SheetText(labelId), edit);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, flags] {
        UpdateData(true);
        Report(flags);
    });
    return edit;
}

QString SheetText(int id)
{
    return LoadSystemString(id);
}

QLabel* NewSheetLabel(int id, QWidget* parent)
{
    return new QLabel(SheetText(id), parent);
}

void AddStringItems(QComboBox& combo, std::initializer_list<int> ids)
{
    for (int id : ids)
        combo.addItem(SheetText(id), id);
}

int SelectItemByValue(QComboBox& combo, int value)
{
    int found = -1;
    for (int index = combo.count() - 1; index >= 0 && found < 0; --index) {
        if (combo.itemData(index).toInt() == value)
            found = index;
    }
    combo.setCurrentIndex(found);
    return found;
}

int SelectedValue(const QComboBox& combo, int none)
{
    return combo.currentIndex() < 0 ? none : combo.currentData().toInt();
}
