#include "admin/UserSettingsPage.h"

#include "admin/UserSettingsSheet.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QLabel>

CQuibUser* CQuibUS_Page::User() const
{
    return m_propSheet.GetUser();
}

void CQuibUS_Page::Report(std::uint32_t flags)
{
    m_propSheet.SetModified(*this, flags);
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
