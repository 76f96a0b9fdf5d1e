#pragma once
// The Identity page of the user-settings sheet: the user's name, password with its hint and whether
// it is used, and whether this user starts with the program (the settings "Userfile", "Usernumber"
// and "Launch_user_at_start", which start-up reads).

#include "admin/UserSettingsPage.h"

#include <QString>

#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;

class CQuibUS_IdentityPage : public CQuibUS_Page
{
public:
    explicit CQuibUS_IdentityPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    QLineEdit* NameEdit() const { return m_nameEdit; }
    QLineEdit* PasswordEdit() const { return m_passwordEdit; }
    QLineEdit* HintEdit() const { return m_hintEdit; }
    QCheckBox* UsePasswordBox() const { return m_usePasswordBox; }
    QCheckBox* LaunchBox() const { return m_launchBox; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;

private:
    bool NamesThisUser(const QString& file, std::int32_t number) const;

    QString m_name;
    QString m_password;
    QString m_hint;
    bool m_usePassword = false;
    QString m_file;
    QString m_startFile;
    std::int32_t m_startNumber = 0;
    bool m_launch = false;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QLineEdit* m_hintEdit = nullptr;
    QCheckBox* m_usePasswordBox = nullptr;
    QCheckBox* m_launchBox = nullptr;
    QLabel* m_fileText = nullptr;
};
