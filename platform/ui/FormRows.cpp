#include "platform/ui/FormRows.h"

#include <QFormLayout>
#include <QWidget>

QWidget* addNamedRow(QFormLayout& form, const QString& label, QWidget* field, const char* objectName)
{
    field->setObjectName(QString::fromLatin1(objectName));
    form.addRow(label, field);
    return field;
}
