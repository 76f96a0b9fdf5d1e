#pragma once
// The resource editor: a window onto one resource file at the level of the resource store, for the
// people who build data sets. It opens or makes a .tvf file of its own, shows the file's records as a
// tree by type, lets a person change a record's id, name and type, remove ticked records, add test
// records and save the file. It touches no data object and no object index.
//
// A file the program already holds (the user's file, a data file, the output file) is shown when it is
// opened here, but the editor never closes it: closing the editor lets go only of a file it opened
// itself. Unsaved changes of the editor's own file are dropped when it closes, without a question.

#include "admin/ResEditorError.h"
#include "platform/ui/CommandRoute.h"

#include <QDialog>
#include <QString>

#include <cstdint>

class CResEntry;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTreeWidget;
class QTreeWidgetItem;

// The commands of the editor's menu.
constexpr int ID_RESEDIT_NEW = 57600;
constexpr int ID_RESEDIT_OPEN = 57601;
constexpr int ID_RESEDIT_CLOSE = 57602;
constexpr int ID_RESEDIT_SAVE = 57603;
constexpr int ID_RESEDIT_SAVE_AS = 32777;
constexpr int ID_RESEDIT_EXIT = 32778;
constexpr int ID_RESEDIT_ADD_TEST = 32779;
constexpr int ID_RESEDIT_FILE_INFO = 32780;
constexpr int ID_RESEDIT_REBUILD = 32781;
constexpr int ID_RESEDIT_REMOVE_MARKED = 32798;
constexpr int ID_RESEDIT_MOVE_MARKED = 32799;

// The number of records "Add test resources" makes, and the name each gets.
constexpr int kTestResourceCount = 199;
inline constexpr const char* kTestResourceName = "Hej gamle";

class CResEditorDlg : public QDialog, public lumivo::ui::CommandTarget
{
public:
    explicit CResEditorDlg(QWidget* parent = nullptr);
    ~CResEditorDlg() override;
    CResEditorDlg(const CResEditorDlg&) = delete;
    CResEditorDlg& operator=(const CResEditorDlg&) = delete;

    // The menu's commands: runs one (a command not enabled now does nothing) or gives its state.
    bool OnCommand(int id, int code, lumivo::ui::CommandUpdate* update) override;
    bool IsCommandEnabled(int id) const;

    // Makes `path` the editor's file: with `orNew`, a file not on the disk yet is made in memory (it
    // reaches the disk when saved). A refusal of the store is shown; false then.
    bool OpenFile(const QString& path, bool orNew);
    // Forgets the editor's file, closing it in the store without saving when the editor opened it.
    void CloseFile();
    int File() const { return m_file; }
    bool OwnsFile() const { return m_ownsFile; }

    // The tree anew from the store, after the save question for the record shown (false: refused).
    bool RebuildTree();
    // The save question for the record shown: true when the editor may go on.
    bool SaveCurrentResource();
    void RemoveMarked();
    void AddTestResources();
    void SaveFile();

    CResEntry* CurrentRecord() const { return m_current; }
    QTreeWidget* Tree() const { return m_tree; }
    QMenuBar* MenuBar() const { return m_menuBar; }

    void done(int result) override;

private:
    void buildMenu();
    void buildControls();
    void run(int id);
    void chooseAndOpen(bool orNew);
    void onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void showRecord(CResEntry* record);
    void clearFields();
    void onTypeEdited();
    void showPath();
    bool storeFieldsInRecord(std::int32_t id);
    bool selectNothing();
    // Shows the refusal, naming the file of `path` where the text has a place for it.
    void tell(ResEditorError error, const QString& path = {}) const;

    lumivo::ui::CommandRoute m_route;
    QMenuBar* m_menuBar = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLineEdit* m_idEdit = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_typeEdit = nullptr;
    QLabel* m_sizeText = nullptr;
    QLabel* m_pathText = nullptr;

    int m_file = 0;
    bool m_ownsFile = false;
    CResEntry* m_current = nullptr;
    std::int32_t m_currentType = 0; // the record's type, or an edited type once accepted
};

// "Test ResMgr": the editor, modal. Its own file is closed afterwards without saving.
void RunResourceEditor();
