#include "admin/ChooseUserDlg.h"

#include "admin/DialogParts.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kTitle = 9517;
constexpr int kOtherFile = 9518;
constexpr int kFileLabel = 9523;
constexpr int kUserLabel = 9334;
constexpr int kProfileText = 9036;
constexpr int kMinimumWidth = 420;

bool isCurrentUsersRecord(std::int32_t id, int file)
{
    return theCurrentUser && theCurrentUser->GetID() == id && theCurrentUser->GetFile() == file;
}

} // namespace

CChooseUserDlg::CChooseUserDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("chooseUserDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    m_users = new QComboBox(this);
    m_users->setObjectName(QStringLiteral("userList"));
    m_users->setMinimumWidth(kMinimumWidth);
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("userFilePath"));
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kUserLabel, m_users, SYSSTR_COLON), 0, 0);
    fields->addWidget(m_users, 0, 1);
    fields->addWidget(lumivo::admin::labelOf(kFileLabel), 1, 0);
    fields->addWidget(m_path, 1, 1);
    QPushButton* other = lumivo::admin::buttonOf(kOtherFile, "otherFileButton", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(other);
    buttons->addStretch();
    buttons->addWidget(lumivo::admin::okCancelButtons(*this));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(other, &QPushButton::clicked, this, [this] { otherFile(); });
    connect(m_users, &QComboBox::currentIndexChanged, this, [this] { showFileOfSelection(); });

    if (theCurrentUser && theCurrentUser->GetFile() > 0)
        AddUsersOfFile(GetResFilePath(theCurrentUser->GetFile()));
    for (const QString& path : UserFolderFiles())
        AddUsersOfFile(path);
    showFileOfSelection();
}

CChooseUserDlg::~CChooseUserDlg()
{
    clearList();
}

int CChooseUserDlg::AddUsersOfFile(const QString& path, bool report)
{
    int file = 0;
    int result = RES_OK;
    const int refusal =
        report ? OpenDataFileAndReport(path, &file, &result) : OpenDataFile(path, &file, &result);
    if (result != RES_OK && result != RES_FILE_ALREADY_OPEN)
        return result;
    if (refusal != DATAFILE_ACCEPTED || !m_files.Take(file, result == RES_FILE_ALREADY_OPEN))
        return RES_OK;
    addUsersOfOpenFile(file);
    return RES_OK;
}

void CChooseUserDlg::addUsersOfOpenFile(int file)
{
    const bool profile = GetResFileKind(file) == FILEKIND_PROFILE;
    std::int32_t id = RES_ANY;
    while (GetNextResId(&id, CQuibUser::kType, file) == RES_OK && id != 0) {
        // The template's record is no one to work as.
        if (id == CQuibUser::kTemplateUserId)
            continue;
        if (isCurrentUsersRecord(id, file)) {
            addEntry(theCurrentUser, profile);
            continue;
        }
        auto user = std::make_unique<CQuibUser>();
        if (user->LoadFrom(id, file) != RES_OK)
            continue;
        addEntry(user.get(), profile);
        m_loaded.push_back(std::move(user));
    }
}

void CChooseUserDlg::addEntry(CQuibUser* user, bool profile)
{
    const QString text =
        profile ? QStringLiteral("%1 (%2)").arg(user->Name, LoadSystemString(kProfileText)) : user->Name;
    m_users->addItem(text);
    m_entries.push_back(user);
    if (user == theCurrentUser)
        m_users->setCurrentIndex(m_users->count() - 1);
}

CQuibUser* CChooseUserDlg::SelectedUser() const
{
    const int index = m_users->currentIndex();
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index] : nullptr;
}

void CChooseUserDlg::showFileOfSelection()
{
    CQuibUser* user = SelectedUser();
    m_path->setText(user && user->GetFile() > 0 ? GetResFilePath(user->GetFile()) : QString());
}

void CChooseUserDlg::otherFile()
{
    const auto path = lumivo::ui::chooseOpenFile(LoadSystemString(kOtherFile), GetUsersDirString(),
                                                 lumivo::admin::dataFileFilter(), this);
    if (!path)
        return;
    int file = 0;
    int result = RES_OK;
    if (OpenDataFileAndReport(*path, &file, &result) != DATAFILE_ACCEPTED ||
        (result != RES_OK && result != RES_FILE_ALREADY_OPEN))
        return;
    // A file the dialog opened before stays its own, so that it is closed once the dialog goes.
    const bool wasOpen = m_files.Holds(file) ? !m_files.Forget(file) : result == RES_FILE_ALREADY_OPEN;
    clearList();
    m_files.Take(file, wasOpen);
    addUsersOfOpenFile(file);
    showFileOfSelection();
}

void CChooseUserDlg::clearList()
{
    m_users->clear();
    m_entries.clear();
    m_loaded.clear();
    m_files.ReleaseAll();
}

void CChooseUserDlg::accept()
{
    CQuibUser* chosen = SelectedUser();
    if (chosen && chosen != theCurrentUser) {
        const auto found = std::ranges::find(m_loaded, chosen, &std::unique_ptr<CQuibUser>::get);
        std::unique_ptr<CQuibUser> user = std::move(*found);
        m_loaded.erase(found);
        // The other loaded users go first: none is left bound to a file the switch closes.
        m_users->clear();
        m_entries.clear();
        m_loaded.clear();
        // The current user's file could not be saved (the person was told): that user stays.
        if (!SetCurrentUser(std::move(user))) {
            QDialog::reject();
            return;
        }
        // Everything, not only the pending user steps: the new user's file must be searched and the
        // file it replaced forgotten by the lookups, the indexes, the menus and the panes.
        InitializeSystem(kReloadEverything);
    }
    QDialog::accept();
}

void ChooseUser()
{
    CChooseUserDlg dialog(lumivo::admin::dialogOwner());
    lumivo::ui::runModal(dialog);
}
