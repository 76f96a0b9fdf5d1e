#pragma once
// "Input files": the resource files that lookups search, each with its data version and its roles, and
// two buttons that add a resource file to the open files or close one. Only a file that is nothing but
// a data file can be closed here: the output file, the current user's file and its profile's file stay
// open whatever is chosen (FileRoles.h). While the word editor is open the file set cannot change, so
// both buttons are hidden.

#include <QDialog>

class QPushButton;
class QTreeWidget;

class CInputFilesDlg : public QDialog
{
public:
    explicit CInputFilesDlg(QWidget* parent = nullptr);

    // The rows: the active files in search order, then the open data files that are not active yet
    // (one added here becomes active at the reload that follows the dialog).
    void FillList();

    // The roles of a file as the "Remarks" column says them.
    static QString RemarksOf(int file);

private:
    void addFile();
    void removeFile();
    void followSelection();
    void addRow(int file);

    QTreeWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};

// Command 5060: the dialog, then always the whole reload sequence, so that indexes, menus and panes
// follow the new file set.
void RunInputFiles();
