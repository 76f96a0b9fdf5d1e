#include "admin/SystemStringsDlg.h"

#include "admin/DialogParts.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "resources/strings/StringTable.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <optional>

namespace
{

constexpr int kTitle = 9610;
constexpr int kIdHeading = 9611;
constexpr int kNoLanguage = 9612;
constexpr int kIdLabel = 9613;
constexpr int kSourceLabel = 9614;
constexpr int kTranslationLabel = 9615;
constexpr int kNewButton = 9616;
constexpr int kNextButton = 9617;
constexpr int kExportButton = 9618;
constexpr int kImportButton = 9619;
constexpr int kStoreFailed = 9620;
constexpr int kExportFailed = 9621;
constexpr int kImportFailed = 9622;
constexpr int kIdOutOfRange = 9624;
constexpr int kAskReplace = 9003;
constexpr int kExportTitle = 9011;
constexpr int kImportTitle = 9012;
constexpr int kAllFiles = 1003;
constexpr int kLanguageNames = 10000;
constexpr int kFirstTableId = 1000;
constexpr int kLastTableId = 9999;
constexpr int kLastStringId = 0xFFFF;
constexpr int kNewEntry = -2;
constexpr int kIdColumn = 0;
constexpr int kSourceColumn = 1;
constexpr int kTranslationColumn = 2;

int idOf(const QTreeWidgetItem* item)
{
    return item->data(kIdColumn, Qt::UserRole).toInt();
}

QTreeWidgetItem* itemOf(const SystemStringRow& row)
{
    auto* item = new QTreeWidgetItem({QString::number(row.id), row.source, row.translation});
    item->setData(kIdColumn, Qt::UserRole, row.id);
    return item;
}

// The heading of a language column: its standard name, else `fallback`.
QString languageHeading(int language, const QString& fallback)
{
    QString name;
    return GetSystemString(kLanguageNames + language, name) && !name.isEmpty() ? name : fallback;
}

// The source text of a table id: the system language's records along their chain, else the table's
// own text in brackets.
QString sourceText(int id, const std::vector<const CQuibSystem*>& chain, const QString& tableText)
{
    for (const CQuibSystem* record : chain) {
        if (const QString* text = record->FindString(static_cast<std::uint16_t>(id));
            text && !text->isEmpty())
            return *text;
    }
    return QStringLiteral("[%1]").arg(tableText);
}

} // namespace

int messageIdOf(SystemStringsError error)
{
    switch (error) {
    case SystemStringsError::None:
        return 0;
    case SystemStringsError::StoreFailed:
        return kStoreFailed;
    case SystemStringsError::ExportFailed:
        return kExportFailed;
    case SystemStringsError::ImportFailed:
        return kImportFailed;
    }
    return 0;
}

CSystemStringsDlg::CSystemStringsDlg(CQuibSystem& record, QWidget* parent) : QDialog(parent), m_record(record)
{
    setObjectName(QStringLiteral("systemStringsDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    buildControls();
    setHeadings();
    fillRows();
    showRow(-1);
}

void CSystemStringsDlg::buildControls()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("stringList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setColumnCount(3);
    m_list->setMinimumSize(640, 320);
    // A fixed width for the id column: measuring every row's id would cost more than the rows.
    m_list->header()->setSectionResizeMode(kIdColumn, QHeaderView::Fixed);
    m_list->header()->resizeSection(kIdColumn,
                                    m_list->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 8);
    m_list->header()->setSectionResizeMode(kSourceColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kTranslationColumn, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    m_id = new QLineEdit(this);
    m_id->setObjectName(QStringLiteral("idEdit"));
    m_id->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), m_id));
    m_id->setMaximumWidth(m_id->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("sourceEdit"));
    m_translation = new QLineEdit(this);
    m_translation->setObjectName(QStringLiteral("translationEdit"));

    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kIdLabel, m_id), 0, 0);
    fields->addWidget(m_id, 0, 1, Qt::AlignLeft);
    fields->addWidget(lumivo::admin::labelOf(kSourceLabel, m_source), 1, 0);
    fields->addWidget(m_source, 1, 1);
    fields->addWidget(lumivo::admin::labelOf(kTranslationLabel, m_translation), 2, 0);
    fields->addWidget(m_translation, 2, 1);
    QPushButton* next = lumivo::admin::buttonOf(kNextButton, "nextButton", this);
    QPushButton* add = lumivo::admin::buttonOf(kNewButton, "newButton", this);
    QPushButton* exportFile = lumivo::admin::buttonOf(kExportButton, "exportButton", this);
    QPushButton* importFile = lumivo::admin::buttonOf(kImportButton, "importButton", this);
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* button : {next, add, exportFile, importFile})
        rowButtons->addWidget(button);
    rowButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(fields);
    layout->addLayout(rowButtons);
    layout->addWidget(lumivo::admin::okCancelButtons(*this));

    lumivo::admin::chainTabOrder({m_list, m_id, m_source, m_translation, next, add, exportFile, importFile});
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { followClick(item); });
    connect(next, &QPushButton::clicked, this, [this] { Next(); });
    connect(add, &QPushButton::clicked, this, [this] { NewEntry(); });
    connect(exportFile, &QPushButton::clicked, this, [this] { chooseExportFile(); });
    connect(importFile, &QPushButton::clicked, this, [this] { chooseImportFile(); });
}

void CSystemStringsDlg::setHeadings()
{
    const QString translation = languageHeading(m_record.m_language, m_record.m_name);
    m_list->setHeaderLabels({LoadSystemString(kIdHeading),
                             languageHeading(theLanguageNo, LoadSystemString(kNoLanguage)), translation});
}

void CSystemStringsDlg::fillRows()
{
    using lumivo::strings::TableLanguage;
    const TableLanguage table = theLanguageNo == 2 ? TableLanguage::Danish : TableLanguage::English;
    const std::vector<const CQuibSystem*> chain = BaseLanguageChain(FindSystemRecord(theLanguageNo));
    std::map<int, SystemStringRow> rows;
    for (int id : lumivo::strings::builtInStringIds(table)) {
        if (id >= kFirstTableId && id <= kLastTableId)
            rows[id] = {id, sourceText(id, chain, lumivo::strings::builtInString(id, table)), QString()};
    }
    for (const auto& [id, text] : m_record.m_strings) {
        SystemStringRow& row = rows[id];
        row.id = id;
        row.translation = text;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& [id, row] : rows)
        items.append(itemOf(row));
    m_list->addTopLevelItems(items);
}

std::vector<SystemStringRow> CSystemStringsDlg::Rows() const
{
    std::vector<SystemStringRow> rows;
    rows.reserve(static_cast<std::size_t>(m_list->topLevelItemCount()));
    for (int index = 0; index < m_list->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* item = m_list->topLevelItem(index);
        rows.push_back({idOf(item), item->text(kSourceColumn), item->text(kTranslationColumn)});
    }
    return rows;
}

int CSystemStringsDlg::RowCount() const
{
    return m_list->topLevelItemCount();
}

// The rows stay sorted by id, so the place of an id is found by bisection: the first row whose id is
// not below it.
int CSystemStringsDlg::placeOfId(int id) const
{
    int low = 0;
    int high = m_list->topLevelItemCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (idOf(m_list->topLevelItem(middle)) < id)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int CSystemStringsDlg::rowOfId(int id) const
{
    const int place = placeOfId(id);
    return place < m_list->topLevelItemCount() && idOf(m_list->topLevelItem(place)) == id ? place : -1;
}

int CSystemStringsDlg::insertRow(const SystemStringRow& row)
{
    const int place = placeOfId(row.id);
    m_list->insertTopLevelItem(place, itemOf(row));
    return place;
}

void CSystemStringsDlg::writeFieldsInto(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    item->setText(kSourceColumn, m_source->text());
    item->setText(kTranslationColumn, m_translation->text());
}

// Ends the new entry being typed: adds it, or replaces the row of its id when the person agrees.
// `target` becomes that row; false when the person chose to go on correcting the entry.
bool CSystemStringsDlg::takeNewEntry(int& target)
{
    const int id = m_id->text().toInt();
    const SystemStringRow typed{id, m_source->text(), m_translation->text()};
    if (id < 1 || id > kLastStringId) {
        // An entry with nothing typed is dropped; one with texts but no usable id is kept for
        // correction, since no export and no OK could ever keep its row.
        if (!typed.source.isEmpty() || !typed.translation.isEmpty()) {
            MessageBoxById(kIdOutOfRange, lumivo::ui::MB_ICONEXCLAMATION);
            m_id->setFocus();
            return false;
        }
        target = -1;
    } else if (const int existing = rowOfId(id); existing < 0) {
        target = insertRow(typed);
    } else {
        const int answer =
            MessageBoxById(kAskReplace, lumivo::ui::MB_YESNOCANCEL | lumivo::ui::MB_ICONQUESTION);
        if (answer == lumivo::ui::IDCANCEL)
            return false;
        if (answer == lumivo::ui::IDYES)
            writeFieldsInto(existing);
        target = existing;
    }
    m_id->setReadOnly(true);
    m_current = -1;
    return true;
}

bool CSystemStringsDlg::MoveTo(int target)
{
    if (m_current >= 0)
        writeFieldsInto(m_current);
    if (m_current == kNewEntry && !takeNewEntry(target))
        return false;
    showRow(target);
    return true;
}

void CSystemStringsDlg::showRow(int row)
{
    QTreeWidgetItem* item = row >= 0 ? m_list->topLevelItem(row) : nullptr;
    m_current = item ? row : -1;
    m_id->setText(item ? QString::number(idOf(item)) : QStringLiteral("0"));
    m_source->setText(item ? item->text(kSourceColumn) : QString());
    m_translation->setText(item ? item->text(kTranslationColumn) : QString());
    m_id->setReadOnly(true);
    m_moving = true;
    m_list->setCurrentItem(item);
    if (item)
        m_list->scrollToItem(item);
    m_moving = false;
}

void CSystemStringsDlg::followClick(QTreeWidgetItem* item)
{
    if (m_moving)
        return;
    const int row = item ? m_list->indexOfTopLevelItem(item) : -1;
    if (!MoveTo(row)) {
        // The person goes on with the new entry: the list shows no row for it.
        m_moving = true;
        m_list->setCurrentItem(nullptr);
        m_moving = false;
    }
}

void CSystemStringsDlg::Next()
{
    MoveTo(m_current + 1);
}

void CSystemStringsDlg::NewEntry()
{
    if (!MoveTo(-1))
        return;
    m_current = kNewEntry;
    m_id->setReadOnly(false);
    m_id->clear();
    m_id->setFocus();
}

bool CSystemStringsDlg::ExportTo(const QString& path)
{
    const QByteArray bytes = FormatSystemStringsExport(Rows());
    if (lumivo::files::writeFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size())))
        return true;
    MessageBoxById(messageIdOf(SystemStringsError::ExportFailed), lumivo::ui::MB_ICONEXCLAMATION, path);
    return false;
}

bool CSystemStringsDlg::ImportFrom(const QString& path)
{
    QByteArray bytes;
    const TextFileRead read = ReadTextFile(path, bytes);
    if (read != TextFileRead::Read) {
        if (read == TextFileRead::TooLarge)
            WriteDebugLog(QStringLiteral("System strings import: %1 is larger than %2 bytes, not read")
                              .arg(path)
                              .arg(kMaxTextFileBytes));
        MessageBoxById(messageIdOf(SystemStringsError::ImportFailed), lumivo::ui::MB_ICONEXCLAMATION, path);
        return false;
    }
    const SystemStringsImport imported = ParseSystemStringsImport(bytes);
    for (std::int64_t id : imported.skippedIds)
        WriteDebugLog(QStringLiteral("System strings import: line with id %1 skipped, no string id").arg(id));
    for (const SystemStringRow& row : imported.rows) {
        const int existing = rowOfId(row.id);
        if (existing >= 0)
            m_list->topLevelItem(existing)->setText(kTranslationColumn, row.translation);
        else
            insertRow(row);
    }
    return true;
}

void CSystemStringsDlg::chooseExportFile()
{
    if (!MoveTo(m_current >= 0 ? m_current : -1))
        return;
    const std::optional<QString> path = lumivo::ui::chooseOpenOrNewFile(
        LoadSystemString(kExportTitle), GetDataDirString(),
        lumivo::ui::windowsFilterToQt(QStringLiteral("Text files (*.txt)|*.txt||")), this,
        QStringLiteral("txt"));
    if (path)
        ExportTo(*path);
}

void CSystemStringsDlg::chooseImportFile()
{
    if (!MoveTo(m_current >= 0 ? m_current : -1))
        return;
    const QString filter =
        QStringLiteral("%1 (*.*)|*.*|TEXT (*.txt)|*.txt||").arg(LoadSystemString(kAllFiles));
    const std::optional<QString> path = lumivo::ui::chooseOpenFile(
        LoadSystemString(kImportTitle), GetDataDirString(), lumivo::ui::windowsFilterToQt(filter), this);
    if (path && ImportFrom(*path))
        showRow(m_current);
}

void CSystemStringsDlg::accept()
{
    // What was typed since the last move is taken too, so the last edit is never lost.
    if (!MoveTo(m_current >= 0 ? m_current : -1))
        return;
    std::map<std::uint16_t, QString> strings;
    for (const SystemStringRow& row : Rows()) {
        if (row.id != 0 && !row.translation.isEmpty())
            strings[static_cast<std::uint16_t>(row.id)] = row.translation;
    }
    std::swap(m_record.m_strings, strings);
    const int result = m_record.Write();
    if (result != RES_OK) {
        std::swap(m_record.m_strings, strings);
        MessageBoxById(messageIdOf(SystemStringsError::StoreFailed), lumivo::ui::MB_ICONEXCLAMATION,
                       QString::number(result));
        return;
    }
    QDialog::accept();
}

int RunSystemStringsDialog()
{
    CQuibSystem* record = theTranslateLanguageRec;
    if (!record || theOutputFile <= 0 || record->GetFile() != theOutputFile)
        return lumivo::ui::IDCANCEL;
    CSystemStringsDlg dialog(*record, lumivo::admin::dialogOwner());
    return lumivo::ui::runModal(dialog);
}
