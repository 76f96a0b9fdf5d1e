#include "admin/DialogParts.h"

#include "platform/ui/Ui.h"
#include "shell/MainFrame.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace lumivo::admin
{

namespace
{

constexpr int kMsgSettingsNotWritten = 9580;

QDialogButtonBox* buttonRow(QDialog& dialog, QDialogButtonBox::StandardButtons buttons)
{
    auto* row = new QDialogButtonBox(buttons, &dialog);
    QObject::connect(row, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(row, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (QPushButton* ok = row->button(QDialogButtonBox::Ok)) {
        ok->setDefault(true);
        ok->setObjectName(QStringLiteral("okButton"));
    }
    if (QPushButton* cancel = row->button(QDialogButtonBox::Cancel))
        cancel->setObjectName(QStringLiteral("cancelButton"));
    return row;
}

} // namespace

void showPathWrapped(QLabel& label, const QString& path)
{
    constexpr int kNoScreenRoom = 400;
    label.setWordWrap(true);
    label.setText(path);
    const QScreen* screen = label.screen();
    const int room = screen ? screen->availableGeometry().width() / 2 : kNoScreenRoom;
    label.setMinimumWidth(std::min(label.fontMetrics().horizontalAdvance(path) + 1, room));
}

QWidget* dialogOwner()
{
    return MainFrame();
}

QLabel* labelOf(int id, QWidget* buddy, int flags)
{
    auto* label = new QLabel(LoadSystemString(id, flags));
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QPushButton* buttonOf(int id, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(LoadSystemString(id), parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

void chainTabOrder(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QDialogButtonBox* okCancelButtons(QDialog& dialog)
{
    return buttonRow(dialog, QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

QDialogButtonBox* okButton(QDialog& dialog)
{
    return buttonRow(dialog, QDialogButtonBox::Ok);
}

QString dataFileFilter(bool withAllFiles)
{
    constexpr int kDataFilesText = 1002;
    constexpr int kAllFilesText = 1003;
    const QString files = QStringLiteral("%1 (*.tvf)|*.tvf|").arg(LoadSystemString(kDataFilesText));
    const QString all =
        withAllFiles ? QStringLiteral("%1 (*.*)|*.*|").arg(LoadSystemString(kAllFilesText)) : QString();
    return lumivo::ui::windowsFilterToQt(files + all + QLatin1Char('|'));
}

QString withNumbers(QString text, std::initializer_list<int> numbers)
{
    qsizetype from = 0;
    for (int number : numbers) {
        const qsizetype field = text.indexOf(QLatin1String("%d"), from);
        if (field < 0)
            break;
        const QString digits = QString::number(number);
        text.replace(field, 2, digits);
        from = field + digits.size();
    }
    return text;
}

bool storeSettingsOrSay(bool set)
{
    if (FlushSystemSettings() && set)
        return true;
    MessageBoxById(kMsgSettingsNotWritten, lumivo::ui::MB_ICONEXCLAMATION, SystemSettingsFile());
    return false;
}

} // namespace lumivo::admin
