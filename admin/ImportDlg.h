#pragma once
// The base of the import dialogs: the log, the progress bar and status line, the choice of files,
// the overwrite check, saving the log and closing. CImportMediaDlg adds what the picture, sound and
// clip imports share: the choice of a folder, the two checks on where to look, and the import loop
// that matches each file's title to a word and runs the dialog's store step on it.

#include "admin/ImportFramework.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class CImportDlg : public QDialog
{
public:
    // `titleId` and `overwriteId` are the system strings of the window title and the overwrite check.
    CImportDlg(ImportItem item, int titleId, int overwriteId, QWidget* parent = nullptr);
    ~CImportDlg() override;

    // Button "Import one or few files...": asks for files, then imports them.
    void OnImportFiles();
    // Button "Save log as...": writes the log with its header to a text file.
    void SaveImportLog();
    // Shows the members in the controls; every reading of the controls ends here.
    virtual void UpdateControls();

    // The log as it is saved, with CR LF line ends.
    const QString& LogText() const { return m_logText; }
    QString StatusText() const { return m_status; }
    bool Overwrite() const { return m_overwrite; }

protected:
    // The first steps of every initialisation; a derived dialog fills its lists after and then calls
    // finishInit.
    void finishInit();
    // Reads the controls into the members (only after the initialisation) and shows them again.
    virtual void readControls();
    // The file chooser's filter in its "|"-separated form, with "%s" for "All files"; the extension
    // of a name typed without one.
    virtual QString filterFormat() const = 0;
    virtual QString defaultExtension() const = 0;
    virtual void importPaths(const QStringList& paths) = 0;

    void appendLog(const QString& line);
    void setStatus(const QString& text);
    // Reads the controls back whenever the check box changes.
    void readOnToggle(QCheckBox* box);
    // Where a derived dialog puts its own rows, above the common checks.
    QFormLayout* ownRows() const { return m_ownRows; }
    // The common checks' column, for the media dialogs' checks.
    void addCheck(QCheckBox* box);
    void addImportButton(QPushButton* button);
    // A list of choices in a row of its own, read back whenever its selection changes.
    QComboBox* addListRow(int labelId, const char* objectName);
    void setImportEnabled(bool enabled);

    ImportItem m_item;
    int m_outputFile;
    std::uint16_t m_defaultLanguage = 1;
    std::uint16_t m_translateLanguage;
    bool m_initialised = false;
    bool m_updating = false; // the controls are being set from the members: nothing to read back
    bool m_overwrite = false;
    QString m_status;
    QString m_logText;

    QPlainTextEdit* m_log = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPushButton* m_importFiles = nullptr;
    QPushButton* m_saveLog = nullptr;
    QCheckBox* m_overwriteBox = nullptr;

private:
    void makeLogAndProgress();
    void layOut(QPushButton* close);
    void setLogTabStops();

    QFormLayout* m_ownRows = nullptr;
    class QVBoxLayout* m_checks = nullptr;
    class QHBoxLayout* m_importButtons = nullptr;
};

class CImportMediaDlg : public CImportDlg
{
public:
    CImportMediaDlg(ImportItem item, int titleId, int overwriteId, QWidget* parent = nullptr);

    // Button "Import directory...": asks for a folder and imports the files in it (and below it
    // when the sub-folder check is on).
    void OnImportFolder();
    // The import loop over the paths: progress over two steps a file, one log line a file.
    void ImportFileList(const QStringList& paths);

    bool LooksInSubfolders() const { return m_lookInSubfolders; }
    std::uint16_t AuthorId() const { return m_authorId; }
    // Handler of every change of the author id's text: the first comma-separated number, kept from 0
    // to 1,000; a number outside is clamped and written back, an empty text changes nothing.
    void OnAuthorIdChange();

protected:
    // The dialog's store step: 0, or a result code of ImportFramework.h, or a negative store error.
    virtual int storeStep(const QString& title, std::int32_t wordId, const QString& path) = 0;
    void importPaths(const QStringList& paths) override { ImportFileList(paths); }
    void readControls() override;
    void UpdateControls() override;

    // A store step's choices with the output file and the two checks filled in.
    template <class Choice> Choice choiceWithChecks() const
    {
        Choice choice;
        choice.outputFile = m_outputFile;
        choice.overwrite = m_overwrite;
        choice.skipWhenElsewhere = m_skipWhenElsewhere;
        return choice;
    }
    // The author id's row, for the sound and clip imports.
    void addAuthorIdRow();

    bool m_lookInSubfolders = false;
    std::uint16_t m_authorId = 0;
    class QLineEdit* m_authorEdit = nullptr;
    bool m_skipWhenElsewhere = false;
    QCheckBox* m_subfoldersBox = nullptr;
    QCheckBox* m_elsewhereBox = nullptr;
    QPushButton* m_importFolder = nullptr;

private:
    void importOne(int counter, const QString& path);
    void step();
};

// The item data of the selected entry of a list, 0 when none is selected; selects the entry whose
// data is `value`, or none.
int SelectedData(const QComboBox& list);
void SelectData(QComboBox& list, int value);

// The author id a text gives (see OnAuthorIdChange); none for an empty text.
std::optional<int> AuthorIdOfText(const QString& text);

// Every import dialog's entry: without an output file it says so and shows no dialog.
bool CanImportIntoOutputFile();
