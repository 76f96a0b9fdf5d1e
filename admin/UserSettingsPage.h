#pragma once
// What every page of the user-settings sheet shares: the way back to its sheet and the user it edits,
// the report of a change (with the reload steps it asks for), loading its working copies from the
// user, and the small helpers the pages build their controls with.

#include "platform/ui/PropertySheet.h"

#include <QString>

#include <cstdint>
#include <initializer_list>

class CQuibUS_PropSheet;
class CQuibUser;
class QAbstractButton;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

class CQuibUS_Page : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibUS_Page(CQuibUS_PropSheet& sheet) : m_propSheet(sheet) {}

    CQuibUS_PropSheet& PropSheet() const { return m_propSheet; }
    // The user being edited; null when there is none (or no more, once the sheet let go of it).
    CQuibUser* User() const;

    // Takes the working copies from the user again. It is the page's Cancel, and what a page that was
    // built already does when the Profile page has restored the user's settings under it.
    virtual void LoadFromUser() = 0;

protected:
    // Tells the sheet that a control changed, with the reload steps the change asks for (0: the user
    // settings only).
    void Report(std::uint32_t flags);
    void OnCancel() override { LoadFromUser(); }

    // Controls whose every change the page reads back at once and reports with `flags`: a click, a
    // choice from the list, or a text typed into a new row of `form` (labelled with a system string).
    void ReportClicks(QAbstractButton& button, std::uint32_t flags);
    void ReportChoices(QComboBox& combo, std::uint32_t flags);
    QLineEdit* AddReportingEdit(QFormLayout& form, int labelId, const char* name, std::uint32_t flags);

private:
    CQuibUS_PropSheet& m_propSheet;
};

// ---- Helpers for the pages' controls

// The system string of `id` in the current language.
QString SheetText(int id);
// A label with a system string.
QLabel* NewSheetLabel(int id, QWidget* parent);
// Adds one item per string id, each carrying its id as its value.
void AddStringItems(QComboBox& combo, std::initializer_list<int> ids);
// Selects the item carrying `value`, searching from the end; no selection when none does. The index.
int SelectItemByValue(QComboBox& combo, int value);
// The selected item's value, or `none` without a selection.
int SelectedValue(const QComboBox& combo, int none = 0);
