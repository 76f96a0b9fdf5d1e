#include "admin/InputFilesDlg.h"

#include "admin/DialogParts.h"
#include "admin/FileRoles.h"
#include "core/WordEditorHooks.h"
#include "platform/ui/TreeItem.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kTitle = 9506;
constexpr int kFileNameColumn = 9507;
constexpr int kVersionColumn = 9508;
constexpr int kRemarksColumn = 9509;
constexpr int kAddFile = 9510;
constexpr int kRemoveFile = 9511;
constexpr int kActive = 9512;
constexpr int kNotActive = 9513;
constexpr int kOutputFile = 9514;
constexpr int kUserFile = 9515;
constexpr int kProfileFile = 9516;
constexpr int kListWidth = 600;

bool isActive(int file)
{
    return std::ranges::find(theActiveFiles, file) != theActiveFiles.end();
}

QString versionText(int file)
{
    int major = 0;
    int minor = 0;
    int build = 0;
    SplitResFileVersion(GetResFileVersion(file), &major, &minor, &build);
    return QString::asprintf("%d.%d.%d", major, minor, build);
}

// The file of a row (its item data).
int fileOfRow(const QTreeWidgetItem* row)
{
    return row ? row->data(0, Qt::UserRole).toInt() : 0;
}

} // namespace

CInputFilesDlg::CInputFilesDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("inputFilesDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("inputFilesList"));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({LoadSystemString(kFileNameColumn), LoadSystemString(kVersionColumn),
                             LoadSystemString(kRemarksColumn)});
    m_list->setMinimumWidth(kListWidth);
    lumivo::ui::FitColumnsToContents(*m_list);
    m_add = lumivo::admin::buttonOf(kAddFile, "addFileButton", this);
    m_remove = lumivo::admin::buttonOf(kRemoveFile, "removeFileButton", this);
    m_remove->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addStretch();
    buttons->addWidget(lumivo::admin::okButton(*this));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    // The word editor works on the file set as it is.
    m_add->setVisible(!IsWordEditorOpen());
    m_remove->setVisible(!IsWordEditorOpen());
    connect(m_add, &QPushButton::clicked, this, [this] { addFile(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { removeFile(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { followSelection(); });
    FillList();
}

QString CInputFilesDlg::RemarksOf(int file)
{
    const unsigned roles = FileRolesOf(file);
    QString remarks = LoadSystemString(isActive(file) ? kActive : kNotActive);
    if (roles & kFileRoleOutput)
        remarks += LoadSystemString(kOutputFile);
    if (roles & kFileRoleUser)
        remarks += LoadSystemString(kUserFile);
    if (roles & kFileRoleProfile)
        remarks += LoadSystemString(kProfileFile);
    return remarks;
}

void CInputFilesDlg::addRow(int file)
{
    // A file closed here since the last reload is still in the active list until that reload.
    if (!FindResFileEntry(file))
        return;
    auto* row = new QTreeWidgetItem(m_list, {GetResFilePath(file), versionText(file), RemarksOf(file)});
    row->setData(0, Qt::UserRole, file);
}

void CInputFilesDlg::FillList()
{
    m_list->clear();
    for (int file : theActiveFiles)
        addRow(file);
    for (int file : theDataFiles) {
        if (!isActive(file))
            addRow(file);
    }
    followSelection();
}

void CInputFilesDlg::addFile()
{
    const auto path = lumivo::ui::chooseOpenFile(LoadSystemString(kAddFile), theBaseDir,
                                                 lumivo::admin::dataFileFilter(true), this);
    if (!path)
        return;
    int file = 0;
    int result = RES_OK;
    // A file that is open already is filed again by its kind, never opened twice.
    if (OpenDataFileAndReport(*path, &file, &result) == DATAFILE_ACCEPTED &&
        (result == RES_OK || result == RES_FILE_ALREADY_OPEN))
        ScanDataFolder(file);
    FillList();
}

void CInputFilesDlg::removeFile()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    QTreeWidgetItem* row = selected.isEmpty() ? nullptr : selected.front();
    const int file = fileOfRow(row);
    if (!row || file <= 0 || FileHasOtherRole(file, kFileRoleData))
        return;
    delete row;
    ReleaseFileUnlessInUse(file, kFileRoleData);
}

void CInputFilesDlg::followSelection()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const int file = selected.isEmpty() ? 0 : fileOfRow(selected.front());
    m_remove->setEnabled(file > 0 && !FileHasOtherRole(file, kFileRoleData));
}

void RunInputFiles()
{
    CInputFilesDlg dialog(lumivo::admin::dialogOwner());
    lumivo::ui::runModal(dialog);
    InitializeSystem(kReloadEverything);
}
