#pragma once
// "Choose user": every user stored in the user files of the users folder (the current user's own file
// first), or in one other resource file a person points to; OK makes the chosen user current and
// brings the whole program up to date for it. The dialog loads the users it lists (the current user it
// only borrows) and closes, when it goes, the files it opened itself and nobody else needs.

#include "admin/UserFolder.h"

#include <QDialog>

#include <memory>
#include <vector>

class CQuibUser;
class QComboBox;
class QLabel;

class CChooseUserDlg : public QDialog
{
public:
    explicit CChooseUserDlg(QWidget* parent = nullptr);
    ~CChooseUserDlg() override;

    // Adds the users of one resource file, each file once; the store's result (RES_OK when all went
    // well). `report`: a refused file is said in a message box (a file the person chose).
    int AddUsersOfFile(const QString& path, bool report = false);

    // The user of the selected entry, or null.
    CQuibUser* SelectedUser() const;

    void accept() override;

private:
    void addUsersOfOpenFile(int file);
    void addEntry(CQuibUser* user, bool profile);
    void otherFile();
    void showFileOfSelection();
    // Deletes the loaded users (never the current user), closes the dialog's files and empties the list.
    void clearList();

    QComboBox* m_users = nullptr;
    QLabel* m_path = nullptr;
    std::vector<std::unique_ptr<CQuibUser>> m_loaded;
    std::vector<CQuibUser*> m_entries; // the user of each entry of m_users
    COpenedFiles m_files;
};

// Command 5012.
void ChooseUser();
