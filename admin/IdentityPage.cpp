#include "admin/IdentityPage.h"

#include "admin/DialogParts.h"
#include "admin/UserSettingsSheet.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{

constexpr int kNameLabel = 9333;
constexpr int kUserGroup = 9334;
constexpr int kPasswordLabel = 9335;
constexpr int kHintLabel = 9336;
constexpr int kUsePasswordText = 9337;
constexpr int kLaunchText = 9338;

const QString kUserFileSetting = QStringLiteral("Userfile");
const QString kUserNumberSetting = QStringLiteral("Usernumber");
const QString kLaunchSetting = QStringLiteral("Launch_user_at_start");

// Two names of one file: file names differ in case here, so the comparison is exact, of the paths
// made absolute.
bool sameFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && CanonicalResPath(a) == CanonicalResPath(b);
}

} // namespace

CQuibUS_IdentityPage::CQuibUS_IdentityPage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

void CQuibUS_IdentityPage::LoadFromUser()
{
    CQuibUser* user = User();
    if (!user)
        return;
    m_name = user->Name;
    m_password = user->Text1;
    m_hint = user->Text2;
    m_usePassword = user->UsePassword != 0;
    m_file = user->GetFile() > 0 ? GetResFilePath(user->GetFile()) : QString();
    m_startFile.clear();
    m_startNumber = 0;
    GetSystemSettingString(kUserFileSetting, m_startFile);
    GetSystemSettingInt(kUserNumberSetting, &m_startNumber);
    m_launch = NamesThisUser(m_startFile, m_startNumber);
}

bool CQuibUS_IdentityPage::NamesThisUser(const QString& file, std::int32_t number) const
{
    CQuibUser* user = User();
    return user && sameFile(file, m_file) && number == user->GetID();
}

void CQuibUS_IdentityPage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* layout = new QVBoxLayout(&page);
    auto* group = new QGroupBox(SheetText(kUserGroup), &page);
    auto* form = new QFormLayout(group);
    m_nameEdit = AddReportingEdit(*form, kNameLabel, "name", 0);
    m_passwordEdit = AddReportingEdit(*form, kPasswordLabel, "password", 0);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_hintEdit = AddReportingEdit(*form, kHintLabel, "passwordHint", 0);
    m_usePasswordBox = new QCheckBox(SheetText(kUsePasswordText), group);
    form->addRow(m_usePasswordBox);
    layout->addWidget(group);
    m_launchBox = new QCheckBox(SheetText(kLaunchText), &page);
    layout->addWidget(m_launchBox);
    m_fileText = new QLabel(&page);
    m_fileText->setObjectName(QStringLiteral("userFile"));
    m_fileText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fileText->setWordWrap(true);
    layout->addWidget(m_fileText);
    layout->addStretch(1);
    ReportClicks(*m_usePasswordBox, 0);
    ReportClicks(*m_launchBox, 0);
}

bool CQuibUS_IdentityPage::DoDataExchange(bool save)
{
    if (save) {
        m_name = m_nameEdit->text();
        m_password = m_passwordEdit->text();
        m_hint = m_hintEdit->text();
        m_usePassword = m_usePasswordBox->isChecked();
        m_launch = m_launchBox->isChecked();
        return true;
    }
    m_nameEdit->setText(m_name);
    m_passwordEdit->setText(m_password);
    m_hintEdit->setText(m_hint);
    m_usePasswordBox->setChecked(m_usePassword);
    m_launchBox->setChecked(m_launch);
    m_fileText->setText(m_file);
    return true;
}

void CQuibUS_IdentityPage::OnOK()
{
    CQuibUser* user = User();
    if (!user)
        return;
    if (!m_launch && NamesThisUser(m_startFile, m_startNumber)) {
        m_startFile.clear();
        m_startNumber = 0;
    }
    if (m_launch) {
        m_startFile = m_file;
        m_startNumber = user->GetID();
    }
    user->Name = m_name;
    user->Text1 = m_password;
    user->Text2 = m_hint;
    user->UsePassword = m_usePassword ? 1 : 0;
    const bool fileSet = SetSystemSettingString(kUserFileSetting, m_startFile);
    const bool numberSet = SetSystemSettingInt(kUserNumberSetting, m_startNumber);
    const bool launchSet = SetSystemSettingInt(kLaunchSetting, m_launch ? 1 : 0);
    lumivo::admin::storeSettingsOrSay(fileSet && numberSet && launchSet);
}
