#include "admin/UserSettingsDlg.h"

#include "admin/DialogParts.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{

constexpr int kTitle = 9519;
constexpr int kLaunchText = 9520;
constexpr int kUserLevelLabel = 9521;
constexpr int kLevelNumberLabel = 9522;
constexpr int kFileLabel = 9523;
constexpr int kWindowElements = 9524;
constexpr int kProfileLabel = 9547;
constexpr int kNameLabel = 9333;
constexpr int kPasswordLabel = 9335;
constexpr int kHintLabel = 9336;
constexpr int kUsePasswordText = 9337;
constexpr int kPrimaryLabel = 9355;
constexpr int kSecondaryLabel = 9356;
constexpr int kOtherLanguage = 1009;
constexpr int kNoLanguage = 1004;
constexpr std::uint16_t kFirstLanguage = 1;
// A window element's third state: the system's choice rules (UpdateUserSettings).
constexpr int kThirdStateShift = 4;

const QString kUserFileSetting = QStringLiteral("Userfile");
const QString kUserNumberSetting = QStringLiteral("Usernumber");
const QString kLaunchSetting = QStringLiteral("Launch_user_at_start");

// The window elements' boxes: full screen, menu bar, toolbar, status bar.
struct ScreenBox {
    std::uint16_t bit;
    int text;
    const char* name;
};
constexpr std::array<ScreenBox, 4> kScreenBoxes{ScreenBox{SCREENMODE_FULLSCREEN, 9044, "fullScreenBox"},
                                                ScreenBox{SCREENMODE_MENUBAR, 9045, "menuBarBox"},
                                                ScreenBox{SCREENMODE_TOOLBARS, 9046, "toolBarBox"},
                                                ScreenBox{SCREENMODE_STATUSBAR, 9047, "statusBarBox"}};

QLineEdit* lineEdit(const QString& text, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QComboBox* comboBox(const char* name, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

QCheckBox* checkBox(int text, const char* name, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(LoadSystemString(text), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

QString userFilePath(CQuibUser& user)
{
    return user.GetFile() > 0 ? GetResFilePath(user.GetFile()) : QString();
}

bool launchesAtStart(CQuibUser& user)
{
    QString file;
    int number = 0;
    int launch = 0;
    GetSystemSettingString(kUserFileSetting, file);
    GetSystemSettingInt(kUserNumberSetting, &number);
    GetSystemSettingInt(kLaunchSetting, &launch);
    return launch != 0 && !file.isEmpty() && file == userFilePath(user) && number == user.GetID();
}

// The selected entry's language number; `language` unchanged without a selection.
void takeLanguage(const QComboBox& list, std::uint16_t& language)
{
    if (list.currentIndex() >= 0)
        language = static_cast<std::uint16_t>(list.currentData().toInt());
}

void addLevelsOfLanguage(CQuibUserLevelMap& map, std::uint16_t language)
{
    AddUserLevelsOfUserFile(map, language);
    AddUserLevelsOfDataFiles(map, language);
    GetOrCreateDefaultLevel(map, language);
}

} // namespace

CUserSettingsDlg::CUserSettingsDlg(CQuibUser& user, QWidget* parent) : QDialog(parent), m_user(user)
{
    setObjectName(QStringLiteral("userSettingsDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    m_name = lineEdit(user.Name, "nameEdit", this);
    m_password = lineEdit(user.Text1, "passwordEdit", this);
    m_password->setEchoMode(QLineEdit::Password);
    m_hint = lineEdit(user.Text2, "hintEdit", this);
    m_usePassword = checkBox(kUsePasswordText, "usePasswordBox", user.UsePassword != 0, this);
    m_primary = comboBox("primaryLanguageList", this);
    m_secondary = comboBox("secondaryLanguageList", this);
    m_profiles = comboBox("profileList", this);
    m_levels = comboBox("userLevelList", this);
    m_levelNumber = lineEdit(QString::number(user.UserLevel), "levelNumberEdit", this);
    m_levelNumber->setValidator(new QIntValidator(0, 0xFFFF, m_levelNumber));

    auto* fields = new QGridLayout;
    int row = 0;
    const auto addRow = [&](int label, QWidget* field) {
        fields->addWidget(lumivo::admin::labelOf(label, field), row, 0);
        fields->addWidget(field, row++, 1, 1, 3);
    };
    addRow(kNameLabel, m_name);
    fields->addWidget(lumivo::admin::labelOf(kFileLabel), row, 0);
    auto* path = new QLabel(userFilePath(user), this);
    path->setObjectName(QStringLiteral("userFilePath"));
    fields->addWidget(path, row++, 1, 1, 3);
    addRow(kPasswordLabel, m_password);
    addRow(kHintLabel, m_hint);
    fields->addWidget(m_usePassword, row++, 1, 1, 3);
    addRow(kPrimaryLabel, m_primary);
    addRow(kSecondaryLabel, m_secondary);
    addRow(kProfileLabel, m_profiles);
    fields->addWidget(lumivo::admin::labelOf(kUserLevelLabel, m_levels), row, 0);
    fields->addWidget(m_levels, row, 1);
    fields->addWidget(lumivo::admin::labelOf(kLevelNumberLabel, m_levelNumber), row, 2);
    fields->addWidget(m_levelNumber, row++, 3);

    auto* elements = new QGroupBox(LoadSystemString(kWindowElements), this);
    auto* boxes = new QGridLayout(elements);
    for (std::size_t i = 0; i < kScreenBoxes.size(); ++i) {
        m_screenStart[i] = (user.ScreenFlags & kScreenBoxes[i].bit) != 0;
        m_screenBoxes[i] = checkBox(kScreenBoxes[i].text, kScreenBoxes[i].name, m_screenStart[i], elements);
        boxes->addWidget(m_screenBoxes[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }

    // Made after the window elements, so that Tab reaches it where it stands.
    m_launch = checkBox(kLaunchText, "launchBox", launchesAtStart(user), this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(elements);
    layout->addWidget(m_launch);
    layout->addWidget(lumivo::admin::okCancelButtons(*this));

    fillLanguageList(*m_primary, user.PrimaryLanguage);
    fillLanguageList(*m_secondary, user.SecondLanguage);
    fillProfileList();
    fillUserLevelList();
    connect(m_levels, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_levelNumber->setText(QString::number(index >= 0 ? m_levels->itemData(index).toInt() : 0));
    });
}

CUserSettingsDlg::~CUserSettingsDlg()
{
    // The profile candidates first: none stays bound to a file the dialog closes.
    m_profileUsers.clear();
    m_files.ReleaseAll();
}

void CUserSettingsDlg::fillLanguageList(QComboBox& list, std::uint16_t language)
{
    for (const auto& [number, record] : theSystemMap)
        list.addItem(record->m_name, number);
    int selected = list.findData(language);
    if (selected < 0 && language > 0) {
        list.addItem(LoadSystemString(kOtherLanguage), language);
        selected = list.count() - 1;
    }
    list.addItem(LoadSystemString(kNoLanguage), 0);
    list.setCurrentIndex(language == 0 ? list.count() - 1 : selected);
}

void CUserSettingsDlg::fillProfileList()
{
    for (const QString& path : UserFolderFiles()) {
        int file = 0;
        int result = RES_OK;
        if (OpenDataFile(path, &file, &result) != DATAFILE_ACCEPTED ||
            (result != RES_OK && result != RES_FILE_ALREADY_OPEN) ||
            !m_files.Take(file, result == RES_FILE_ALREADY_OPEN))
            continue;
        std::int32_t id = RES_ANY;
        while (GetNextResId(&id, CQuibUser::kType, file) == RES_OK && id != 0) {
            auto profile = std::make_unique<CQuibUser>();
            if (profile->LoadFrom(id, file) != RES_OK)
                continue;
            m_profiles->addItem(profile->Name);
            m_profileUsers.push_back(std::move(profile));
        }
    }
    m_profiles->setCurrentIndex(-1);
}

void CUserSettingsDlg::fillUserLevelList()
{
    CQuibUserLevelMap levels;
    if (m_user.PrimaryLanguage > 0)
        addLevelsOfLanguage(levels, m_user.PrimaryLanguage);
    if (m_user.SecondLanguage > 0 && m_user.SecondLanguage != m_user.PrimaryLanguage)
        addLevelsOfLanguage(levels, m_user.SecondLanguage);
    AddUserLevelsOfUserFile(levels, kFirstLanguage);
    GetOrCreateDefaultLevel(levels, kFirstLanguage);
    for (const auto& [number, level] : levels)
        m_levels->addItem(level->Name, number);
    m_levels->setCurrentIndex(m_levels->findData(m_user.UserLevel));
}

void CUserSettingsDlg::takeScreenBoxes()
{
    for (std::size_t i = 0; i < kScreenBoxes.size(); ++i) {
        const std::uint16_t bit = kScreenBoxes[i].bit;
        const bool on = m_screenBoxes[i]->isChecked();
        if (on)
            m_user.ScreenFlags |= bit;
        else
            m_user.ScreenFlags &= static_cast<std::uint16_t>(~bit);
        // A box the person changed is the user's own choice: the element leaves its third state, or
        // the system's choice would still rule and the change show no effect.
        if (on != m_screenStart[i])
            m_user.ScreenFlags &= static_cast<std::uint16_t>(~(bit << kThirdStateShift));
    }
}

void CUserSettingsDlg::writeStartUpSettings()
{
    const bool fileSet = SetSystemSettingString(kUserFileSetting, userFilePath(m_user));
    const bool numberSet = SetSystemSettingInt(kUserNumberSetting, m_user.GetID());
    const bool launchSet = SetSystemSettingInt(kLaunchSetting, m_launch->isChecked() ? 1 : 0);
    lumivo::admin::storeSettingsOrSay(fileSet && numberSet && launchSet);
}

void CUserSettingsDlg::accept()
{
    m_user.Name = m_name->text();
    m_user.Text1 = m_password->text();
    m_user.Text2 = m_hint->text();
    m_user.UsePassword = m_usePassword->isChecked() ? 1 : 0;
    m_user.UserLevel = static_cast<std::uint16_t>(m_levelNumber->text().toInt());
    takeLanguage(*m_primary, m_user.PrimaryLanguage);
    takeLanguage(*m_secondary, m_user.SecondLanguage);
    writeStartUpSettings();
    takeScreenBoxes();
    m_user.Commit();
    QDialog::accept();
}

bool EditNewUserProperties(CQuibUser& user)
{
    // A new user's language is a number no language has; left so, the user would start on no page at
    // all. It starts in the program's language, as the standard user does, unless the person chooses.
    if (!FindSystemRecord(user.PrimaryLanguage) && theLanguageNo != 0)
        user.PrimaryLanguage = theLanguageNo;
    CUserSettingsDlg dialog(user, lumivo::admin::dialogOwner());
    if (lumivo::ui::runModal(dialog) != lumivo::ui::IDOK)
        return false;
    AddSystemInitFlags(kReloadEverything);
    return true;
}
