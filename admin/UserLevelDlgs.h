#pragma once
// "Edit userlevel" and "Create new userlevel", and the two commands that run them: the levels of the
// translation language in the output file (5065), and the levels of language 1 in the current user's
// file (5118). The dialogs edit a CUserLevelWork; after OK it is stored and the user level reloaded,
// and a store error is shown.

#include "core/UserLevel.h"

#include <QDialog>

#include <cstdint>
#include <memory>

class CUserLevelWork;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CEditUserLevelDlg : public QDialog
{
public:
    CEditUserLevelDlg(CUserLevelWork& work, QWidget* parent = nullptr);

private:
    void listLevels();
    void showFields();
    void followSelection();
    void newLevel();
    void removeLevel();

    CUserLevelWork& m_work;
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_file = nullptr;
    QLabel* m_number = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_ok = nullptr;
};

// What the new-level dialog gave: a new level, or the number of an existing one the person chose to
// edit, or neither.
struct NewUserLevelChoice {
    std::unique_ptr<CQuibUserLevel> created;
    std::uint16_t existing = 0;
};

class CNewUserLevelDlg : public QDialog
{
public:
    CNewUserLevelDlg(const CUserLevelWork& work, QWidget* parent = nullptr);

    NewUserLevelChoice TakeChoice() { return std::move(m_choice); }
    void accept() override;

private:
    int number() const;

    const CUserLevelWork& m_work;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    NewUserLevelChoice m_choice;
};

NewUserLevelChoice RunNewUserLevel(const CUserLevelWork& work, QWidget* parent = nullptr);

// Command 5065: nothing without an output file and a translation language. Returns the dialog's answer.
int EditOutputFileUserLevels();
// Command 5118: nothing without a current user in a file.
void EditUserLevels();
