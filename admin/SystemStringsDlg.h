#pragma once
// "System strings" (command 5061): every program text by id, in the system language beside the
// translation language, for a translator to write the translations of the output file's language
// record. Rows can be edited one at a time (Next, a click), added (New), written to a text file
// (Export) and read back from one (Import); OK stores the translations in the record.

#include "admin/TranslationText.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class CQuibSystem;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// What went wrong in the editor.
enum class SystemStringsError { None, StoreFailed, ExportFailed, ImportFailed };
int messageIdOf(SystemStringsError error);

class CSystemStringsDlg : public QDialog
{
public:
    // Rows with no current row; nothing of `record` changes before OK.
    CSystemStringsDlg(CQuibSystem& record, QWidget* parent = nullptr);

    // Commits what was typed since the last move (a pending new entry too), then stores the
    // translations; stays open when the new entry is cancelled or the record cannot be written.
    void accept() override;

    // The rows in list order (tests and the export).
    std::vector<SystemStringRow> Rows() const;
    int RowCount() const;
    int CurrentRow() const { return m_current; }

    // Writes the current fields into the list and moves to `target` (-1: none). False when the person
    // chose to go on correcting a new entry.
    bool MoveTo(int target);
    void Next();
    void NewEntry();
    // The export and the import of the text file; false (and said) when the file cannot be written or
    // read.
    bool ExportTo(const QString& path);
    bool ImportFrom(const QString& path);

private:
    void buildControls();
    void fillRows();
    void setHeadings();
    int placeOfId(int id) const;
    int rowOfId(int id) const;
    int insertRow(const SystemStringRow& row);
    void writeFieldsInto(int row);
    bool takeNewEntry(int& target);
    void showRow(int row);
    void followClick(QTreeWidgetItem* item);
    void chooseExportFile();
    void chooseImportFile();

    CQuibSystem& m_record;
    int m_current = -1; // the row shown in the fields; -1 none, kNewEntry while a new entry is typed
    bool m_moving = false;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_source = nullptr;
    QLineEdit* m_translation = nullptr;
};

// The editor for the translation language's record; nothing without one in the output file.
int RunSystemStringsDialog();
