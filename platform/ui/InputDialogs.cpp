#include "platform/ui/InputDialogs.h"

#include "platform/ui/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace lumivo;

namespace
{

// The program has one main window; a dialog without a parent is owned by it so that it stays on top
// of it and is centred over it.
QWidget* ownerOr(QWidget* parent)
{
    if (parent || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return parent;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget))
            return widget;
    }
    return nullptr;
}

QDialogButtonBox* addOkCancel(QDialog& dialog, QLayout& layout)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
    return buttons;
}

QSpinBox* millimetreField(QDialog& dialog, const char* name, int value)
{
    auto* field = new QSpinBox(&dialog);
    field->setObjectName(QLatin1String(name));
    field->setRange(1, 10000);
    field->setSuffix(QStringLiteral(" mm"));
    field->setValue(value);
    return field;
}

} // namespace

int CTextInputDlg::AskText(const QString& title, const QString& prompt, QString& text, bool password,
                           QWidget* parent)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;
    QDialog dialog(ownerOr(parent));
    dialog.setObjectName(QStringLiteral("textInputDialog"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    label->setObjectName(QLatin1String(ui::kTextInputPromptName));
    layout->addWidget(label);
    auto* edit = new QLineEdit(text, &dialog);
    edit->setObjectName(QLatin1String(ui::kTextInputEditName));
    if (password) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*", as people know it
    }
    layout->addWidget(edit);
    addOkCancel(dialog, *layout);
    const int result = ui::runModal(dialog);
    if (result == ui::IDOK)
        text = edit->text();
    return result;
}

int CPageDimensionDlg::AskDimension(int& widthMm, int& heightMm, QWidget* parent)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;
    QDialog dialog(ownerOr(parent));
    dialog.setObjectName(QStringLiteral("pageDimensionDialog"));
    dialog.setWindowTitle(QStringLiteral("Change page dimension"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* width = millimetreField(dialog, ui::kPageWidthEditName, widthMm);
    auto* height = millimetreField(dialog, ui::kPageHeightEditName, heightMm);
    form->addRow(QStringLiteral("Width:"), width);
    form->addRow(QStringLiteral("Height:"), height);
    layout->addLayout(form);
    addOkCancel(dialog, *layout);
    const int result = ui::runModal(dialog);
    if (result == ui::IDOK) {
        widthMm = width->value();
        heightMm = height->value();
    }
    return result;
}
