#pragma once
// "Usersettings": the identity and basic settings of a user just made by "Add new user...": name,
// password and hint, languages, user level, the window elements and whether this user starts with the
// program. OK copies the fields into the user, records the user as the one to start with and flags it
// changed; the user's file is saved by the caller once the user is current.

#include "admin/UserFolder.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CQuibUser;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CUserSettingsDlg : public QDialog
{
public:
    explicit CUserSettingsDlg(CQuibUser& user, QWidget* parent = nullptr);
    ~CUserSettingsDlg() override;

    void accept() override;

private:
    void fillLanguageList(QComboBox& list, std::uint16_t language);
    void fillProfileList();
    void fillUserLevelList();
    void takeScreenBoxes();
    void writeStartUpSettings();

    CQuibUser& m_user;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_hint = nullptr;
    QLineEdit* m_levelNumber = nullptr;
    QCheckBox* m_usePassword = nullptr;
    QCheckBox* m_launch = nullptr;
    QComboBox* m_primary = nullptr;
    QComboBox* m_secondary = nullptr;
    QComboBox* m_profiles = nullptr;
    QComboBox* m_levels = nullptr;
    std::array<QCheckBox*, 4> m_screenBoxes{};
    std::array<bool, 4> m_screenStart{};
    std::vector<std::unique_ptr<CQuibUser>> m_profileUsers;
    COpenedFiles m_files;
};

// The user properties of a new user (installed in theUserPropertiesEditorHook): true after OK, which
// also asks for every reload step, run once the user is current.
bool EditNewUserProperties(CQuibUser& user);
