#pragma once
// A form's row: a field with an object name (for tests to find it) under its label. Dialogs and
// property pages build many of these, so the three steps stay in one place.

#include <QString>

class QFormLayout;
class QWidget;

// Names `field`, adds it to `form` under `label` and returns it.
QWidget* addNamedRow(QFormLayout& form, const QString& label, QWidget* field, const char* objectName);

// The same, returning the field as its own type.
template <class Field>
Field* addNamedRow(QFormLayout& form, const QString& label, Field* field, const char* objectName)
{
    addNamedRow(form, label, static_cast<QWidget*>(field), objectName);
    return field;
}
