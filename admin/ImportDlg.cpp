#include "admin/ImportDlg.h"

#include "admin/DialogParts.h"
#include "admin/ImportStrings.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "store/Utility.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "system/UtilityNotices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

#include <algorithm>

using namespace import_strings;
using lumivo::admin::buttonOf;

namespace
{

// The log's two tab stops, in dialog units (four to an average character): after the title and
// after "OK" or "Error".
constexpr int kFirstTabStop = 520 / 8;
constexpr int kSecondTabStop = 720 / 8;
constexpr int kLogMinimumLines = 12;
constexpr int kLogMinimumColumns = 72;

QCheckBox* checkOf(int id, const char* objectName, QWidget* parent)
{
    auto* box = new QCheckBox(LoadSystemString(id), parent);
    box->setObjectName(QLatin1String(objectName));
    return box;
}

// The widgets of a layout that take focus by Tab, in the order the layout shows them.
void collectTabStops(QLayout* layout, QWidgetList& out)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QLayout* inner = item->layout()) {
            collectTabStops(inner, out);
        } else if (QWidget* widget = item->widget()) {
            if (widget->focusPolicy() & Qt::TabFocus)
                out.append(widget);
            else if (widget->layout())
                collectTabStops(widget->layout(), out);
        }
    }
}

// Lets the window repaint the progress and status while the loop runs, without letting the person
// start anything else.
void showProgress()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

int SelectedData(const QComboBox& list)
{
    return list.currentIndex() < 0 ? 0 : list.currentData().toInt();
}

void SelectData(QComboBox& list, int value)
{
    list.setCurrentIndex(list.findData(value));
}

std::optional<int> AuthorIdOfText(const QString& text)
{
    constexpr int kHighestAuthorId = 1000;
    if (text.isEmpty())
        return std::nullopt;
    return std::clamp(GetTokenInt(text, 1, QLatin1Char(',')), 0, kHighestAuthorId);
}

bool CanImportIntoOutputFile()
{
    if (theOutputFile != 0)
        return true;
    ShowMessageText(LoadSystemString(kMsgNoOutputFile));
    return false;
}

CImportDlg::CImportDlg(ImportItem item, int titleId, int overwriteId, QWidget* parent)
    : QDialog(parent), m_item(item), m_outputFile(theOutputFile), m_translateLanguage(theTranslateLanguage)
{
    setObjectName(QStringLiteral("importDialog"));
    setWindowTitle(LoadSystemString(titleId));
    m_ownRows = new QFormLayout;
    m_checks = new QVBoxLayout;
    m_importButtons = new QHBoxLayout;
    m_overwriteBox = checkOf(overwriteId, "overwriteCheck", this);
    addCheck(m_overwriteBox);
    m_importFiles = buttonOf(kImportFiles, "importFilesButton", this);
    m_saveLog = buttonOf(kSaveLog, "saveLogButton", this);
    addImportButton(m_importFiles);
    makeLogAndProgress();
    auto* close = buttonOf(kClose, "closeButton", this);
    close->setDefault(true);
    layOut(close);
    connect(m_importFiles, &QPushButton::clicked, this, [this] { OnImportFiles(); });
    connect(m_saveLog, &QPushButton::clicked, this, [this] { SaveImportLog(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    readOnToggle(m_overwriteBox);
}

void CImportDlg::makeLogAndProgress()
{
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("importLog"));
    m_log->setReadOnly(true);
    m_log->setTabChangesFocus(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setMinimumHeight(m_log->fontMetrics().lineSpacing() * kLogMinimumLines);
    m_log->setMinimumWidth(m_log->fontMetrics().averageCharWidth() * kLogMinimumColumns);
    setLogTabStops();
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("importProgress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("importStatus"));
}

// The dialog's own rows, the checks, the buttons that start an import, the log with its progress and
// status under it, and "Close" alone at the bottom.
void CImportDlg::layOut(QPushButton* close)
{
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addLayout(m_importButtons);
    buttonRow->addWidget(m_saveLog);
    buttonRow->addStretch();
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_ownRows);
    layout->addLayout(m_checks);
    layout->addLayout(buttonRow);
    layout->addWidget(lumivo::admin::labelOf(kLogLabel, m_log));
    layout->addWidget(m_log, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_statusLabel);
    layout->addLayout(closeRow);
}

CImportDlg::~CImportDlg() = default;

void CImportDlg::addCheck(QCheckBox* box)
{
    m_checks->addWidget(box);
}

void CImportDlg::addImportButton(QPushButton* button)
{
    m_importButtons->addWidget(button);
}

QComboBox* CImportDlg::addListRow(int labelId, const char* objectName)
{
    auto* list = new QComboBox(this);
    list->setObjectName(QLatin1String(objectName));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_ownRows->addRow(lumivo::admin::labelOf(labelId, list), list);
    connect(list, &QComboBox::currentIndexChanged, this, [this] { readControls(); });
    // Picking the entry already shown reads it back too: what the list shows is what is used.
    connect(list, &QComboBox::activated, this, [this] { readControls(); });
    return list;
}

void CImportDlg::readOnToggle(QCheckBox* box)
{
    connect(box, &QCheckBox::toggled, this, [this] { readControls(); });
}

void CImportDlg::setLogTabStops()
{
    const qreal unit = m_log->fontMetrics().averageCharWidth() / 4.0;
    QTextOption option = m_log->document()->defaultTextOption();
    option.setTabs({QTextOption::Tab(kFirstTabStop * unit, QTextOption::LeftTab),
                    QTextOption::Tab(kSecondTabStop * unit, QTextOption::LeftTab)});
    m_log->document()->setDefaultTextOption(option);
}

void CImportDlg::finishInit()
{
    // Tab follows the layout from top to bottom, whatever order the rows were made in.
    QWidgetList stops;
    collectTabStops(layout(), stops);
    for (int i = 1; i < stops.size(); ++i)
        setTabOrder(stops[i - 1], stops[i]);
    setStatus({});
    m_initialised = true;
    UpdateControls();
}

void CImportDlg::readControls()
{
    if (!m_initialised || m_updating)
        return;
    m_overwrite = m_overwriteBox->isChecked();
    UpdateControls();
}

void CImportDlg::UpdateControls()
{
    const QScopedValueRollback updating(m_updating, true);
    m_overwriteBox->setChecked(m_overwrite);
    m_saveLog->setEnabled(!LogText().isEmpty());
    m_statusLabel->setText(m_status);
}

void CImportDlg::setImportEnabled(bool enabled)
{
    for (int i = 0; i < m_importButtons->count(); ++i) {
        if (QWidget* button = m_importButtons->itemAt(i)->widget())
            button->setEnabled(enabled);
    }
}

void CImportDlg::appendLog(const QString& line)
{
    // The edit shows lines; the log keeps its CR LF line ends for the saved file.
    m_logText += line;
    QString shown = line;
    shown.remove(QLatin1Char('\r'));
    QTextCursor end(m_log->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
}

void CImportDlg::setStatus(const QString& text)
{
    m_status = text;
    m_statusLabel->setText(text);
}

void CImportDlg::OnImportFiles()
{
    QString filter = filterFormat();
    filter.replace(QStringLiteral("%s"), LoadSystemString(kAllFiles));
    const std::optional<QStringList> paths = lumivo::ui::chooseOpenFiles(
        LoadSystemString(kOpenFileTitle), {}, lumivo::ui::windowsFilterToQt(filter), this);
    if (paths && !paths->isEmpty())
        importPaths(*paths);
}

void CImportDlg::SaveImportLog()
{
    const QString log = m_logText;
    if (log.isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray bytes = ImportLogFileBytes(m_item, GetResFilePath(m_outputFile), now, log);
    const std::optional<QString> path =
        lumivo::ui::chooseSaveFile(LoadSystemString(kSaveLogTitle), ImportLogFileName(now),
                                   lumivo::ui::windowsFilterToQt(QStringLiteral("Text file (*.txt)|*.txt||")),
                                   this, QStringLiteral("txt"));
    if (!path)
        return;
    if (!lumivo::files::writeFileAtomically(*path, bytes.constData(), std::size_t(bytes.size())))
        MessageBoxById(kMsgLogNotWritten, lumivo::ui::MB_OK | lumivo::ui::MB_ICONWARNING,
                       lumivo::files::fileNameOf(*path));
}

CImportMediaDlg::CImportMediaDlg(ImportItem item, int titleId, int overwriteId, QWidget* parent)
    : CImportDlg(item, titleId, overwriteId, parent)
{
    m_subfoldersBox = checkOf(kLookInSubfolders, "subfoldersCheck", this);
    m_elsewhereBox = checkOf(kSkipWhenElsewhere, "elsewhereCheck", this);
    addCheck(m_subfoldersBox);
    addCheck(m_elsewhereBox);
    m_importFolder = buttonOf(kImportFolder, "importFolderButton", this);
    addImportButton(m_importFolder);
    connect(m_importFolder, &QPushButton::clicked, this, [this] { OnImportFolder(); });
    readOnToggle(m_subfoldersBox);
    readOnToggle(m_elsewhereBox);
}

void CImportMediaDlg::addAuthorIdRow()
{
    m_authorEdit = new QLineEdit(this);
    m_authorEdit->setObjectName(QStringLiteral("authorIdEdit"));
    ownRows()->addRow(lumivo::admin::labelOf(kAuthorId, m_authorEdit), m_authorEdit);
    connect(m_authorEdit, &QLineEdit::textChanged, this, [this] { OnAuthorIdChange(); });
}

void CImportMediaDlg::OnAuthorIdChange()
{
    if (m_updating || !m_authorEdit)
        return;
    const QString text = m_authorEdit->text();
    const std::optional<int> author = AuthorIdOfText(text);
    if (!author)
        return;
    m_authorId = std::uint16_t(*author);
    if (GetTokenInt(text, 1, QLatin1Char(',')) != *author) {
        const QScopedValueRollback updating(m_updating, true);
        m_authorEdit->setText(QString::number(*author));
    }
}

void CImportMediaDlg::readControls()
{
    if (!m_initialised || m_updating)
        return;
    m_lookInSubfolders = m_subfoldersBox->isChecked();
    m_skipWhenElsewhere = m_elsewhereBox->isChecked();
    CImportDlg::readControls();
}

void CImportMediaDlg::UpdateControls()
{
    const QScopedValueRollback updating(m_updating, true);
    m_subfoldersBox->setChecked(m_lookInSubfolders);
    m_elsewhereBox->setChecked(m_skipWhenElsewhere);
    if (m_authorEdit)
        m_authorEdit->setText(QString::number(m_authorId));
    CImportDlg::UpdateControls();
}

void CImportMediaDlg::OnImportFolder()
{
    QString folder;
    if (!BrowseForFolder(folder, this, LoadSystemString(kChooseFolder)))
        return;
    QStringList paths;
    ListFolderTree(paths, folder, m_lookInSubfolders);
    if (!paths.isEmpty())
        ImportFileList(paths);
}

void CImportMediaDlg::step()
{
    m_progress->setValue(m_progress->value() + 1);
    showProgress();
}

void CImportMediaDlg::importOne(int counter, const QString& path)
{
    const QString title = ImportTitleOf(path);
    step();
    if (!title.isEmpty()) {
        setStatus(QStringLiteral("%1 : Importing \"%2\"").arg(counter).arg(ImportLogText(title)));
        showProgress();
        std::int32_t wordId = 0;
        const int matches = FindWordByTitle(title, wordId);
        const int result = wordId != 0 ? storeStep(title, wordId, path) : 0;
        appendLog(ImportLogLine(m_item, title, matches, wordId, result));
        UpdateControls();
    }
    step();
}

void CImportMediaDlg::ImportFileList(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    {
        const CaseSensitiveWordNames caseSensitive;
        m_progress->setRange(0, int(2 * paths.size()));
        m_progress->setValue(0);
        int counter = 0;
        for (const QString& path : paths)
            importOne(++counter, path);
    }
    setStatus({});
    m_progress->setValue(0);
    UpdateControls();
}
