#include "admin/ResFileInfoDlg.h"

#include "admin/AdminStrings.h"
#include "admin/DialogParts.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/SystemStrings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{

constexpr std::int64_t kBytesPerKilobyte = 1024;

QLabel* valueLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CResFileInfoDlg::CResFileInfoDlg(int file, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("resourceFileInfo"));
    setWindowTitle(LoadSystemString(kResFileInfoTitle));
    int resources = 0;
    int types = 0;
    CountResources(&resources, RES_ANY, file);
    CountResTypes(&types, file);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    QLabel* path = valueLabel(this, "infoFile", {});
    lumivo::admin::showPathWrapped(*path, GetResFilePath(file));
    form->addRow(LoadSystemString(kResFileInfoFileLabel), path);
    form->addRow(LoadSystemString(kResFileInfoSizeLabel),
                 valueLabel(this, "infoSize", SizeText(std::max<std::int64_t>(0, GetResFileLength(file)))));
    form->addRow(LoadSystemString(kResFileInfoCountLabel),
                 valueLabel(this, "infoResources", QString::number(resources)));
    form->addRow(LoadSystemString(kResFileInfoTypesLabel),
                 valueLabel(this, "infoTypes", QString::number(types)));
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CResFileInfoDlg::Run(int file, QWidget* parent)
{
    CResFileInfoDlg dialog(file, parent);
    return lumivo::ui::runModal(dialog);
}

QString CResFileInfoDlg::SizeText(std::int64_t bytes)
{
    return FillSystemString(kResFileInfoSizeText,
                            {QString::number(bytes), QString::number(bytes / kBytesPerKilobyte)});
}
