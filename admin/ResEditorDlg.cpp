#include "admin/ResEditorDlg.h"

#include "admin/AdminStrings.h"
#include "admin/DialogParts.h"
#include "admin/FileRoles.h"
#include "admin/ResFileInfoDlg.h"
#include "admin/ResourceTree.h"
#include "admin/ResourceTypeText.h"
#include "platform/ui/TreeItem.h"
#include "platform/ui/Ui.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/Utility.h"
#include "system/SystemStrings.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>
#include <span>

using lumivo::ui::CommandUpdate;

namespace
{

constexpr int kNotImplementedText = 9034;
constexpr int kRandomLimit = 32768; // the C runtime's random numbers: 0 to 32767

struct MenuItem {
    int textId;
    int commandId; // 0: a separator
};

constexpr MenuItem kFileItems[] = {
    {kResEditorNewItem, ID_RESEDIT_NEW},
    {kResEditorOpenItem, ID_RESEDIT_OPEN},
    {kResEditorCloseItem, ID_RESEDIT_CLOSE},
    {kResEditorSaveItem, ID_RESEDIT_SAVE},
    {kResEditorSaveAsItem, ID_RESEDIT_SAVE_AS},
    {0, 0},
    {kResEditorFileInfoItem, ID_RESEDIT_FILE_INFO},
    {0, 0},
    {kResEditorExitItem, ID_RESEDIT_EXIT},
};
constexpr MenuItem kEditItems[] = {
    {kResEditorRebuildItem, ID_RESEDIT_REBUILD},
    {kResEditorRemoveMarkedItem, ID_RESEDIT_REMOVE_MARKED},
    {kResEditorMoveMarkedItem, ID_RESEDIT_MOVE_MARKED},
};
constexpr MenuItem kTestItems[] = {{kResEditorAddTestItem, ID_RESEDIT_ADD_TEST}};

bool isEditorCommand(int id)
{
    for (const auto& items : {std::span<const MenuItem>(kFileItems), std::span<const MenuItem>(kEditItems),
                              std::span<const MenuItem>(kTestItems)}) {
        for (const MenuItem& item : items) {
            if (item.commandId != 0 && item.commandId == id)
                return true;
        }
    }
    return false;
}

void addItems(QMenu& menu, std::span<const MenuItem> items)
{
    for (const MenuItem& item : items) {
        if (item.commandId == 0)
            menu.addSeparator();
        else
            lumivo::addCommandItem(menu, item.textId, item.commandId);
    }
}

QLineEdit* namedEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// "XQ" and two random digits.
std::int32_t randomTestType()
{
    const auto digit = [] { return static_cast<std::uint32_t>('0' + GetRandomInRange(0, 10)); };
    return static_cast<std::int32_t>((std::uint32_t{'X'} << 24) | (std::uint32_t{'Q'} << 16) |
                                     (digit() << 8) | digit());
}

// One empty record of a random test type in `file`, at the first free id from a random start.
int addTestResource(int file)
{
    const std::int32_t type = randomTestType();
    std::int32_t id = GetRandomInRange(0, kRandomLimit) * GetRandomInRange(0, kRandomLimit);
    CMyByteRes holder;
    int result = holder.Create();
    if (result == RES_OK)
        result = FindFreeResId(&id, file, type);
    if (result == RES_OK)
        result = MoveResource(&holder, id, type, file);
    if (result == RES_OK)
        result = SetResourceName(&holder, QString::fromLatin1(kTestResourceName));
    holder.Detach();
    return result;
}

// The first comma-separated field of the id text; nothing when it is no number, or when it is 0 and
// the record is stored under another id. The record's own id is always accepted, so a record stored
// under 0 (by another program or a damaged file) can still be shown, renamed and left.
std::optional<std::int32_t> idFromText(const QString& text, std::int32_t ownId)
{
    bool isNumber = false;
    const int id = GetToken(text, 1, QLatin1Char(',')).trimmed().toInt(&isNumber);
    if (!isNumber || (id == 0 && ownId != 0))
        return std::nullopt;
    return id;
}

} // namespace

CResEditorDlg::CResEditorDlg(QWidget* parent) : QDialog(parent ? parent : MainFrame())
{
    setObjectName(QStringLiteral("resourceEditor"));
    setWindowTitle(LoadSystemString(kResEditorTitle));
    buildControls();
    buildMenu();
    m_route.setTarget(lumivo::ui::CommandRoute::Client, this);
    lumivo::ui::routeMenuBarCommands(*m_menuBar, m_route);
    clearFields();
    showPath();
}

CResEditorDlg::~CResEditorDlg()
{
    CloseFile();
}

void CResEditorDlg::buildMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("resourceEditorMenu"));
    addItems(*m_menuBar->addMenu(LoadSystemString(kResEditorFileMenu)), kFileItems);
    addItems(*m_menuBar->addMenu(LoadSystemString(kResEditorEditMenu)), kEditItems);
    addItems(*m_menuBar->addMenu(LoadSystemString(kResEditorTestMenu)), kTestItems);
    layout()->setMenuBar(m_menuBar);
}

void CResEditorDlg::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    m_pathText = new QLabel(this);
    m_pathText->setObjectName(QStringLiteral("resourceFilePath"));
    m_pathText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_pathText);

    auto* row = new QHBoxLayout;
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("resourceTree"));
    m_tree->setHeaderHidden(true);
    lumivo::ui::FitColumnsToContents(*m_tree);
    m_tree->setMinimumSize(240, 320);
    row->addWidget(m_tree, 1);

    auto* form = new QFormLayout;
    m_idEdit = namedEdit(this, "resourceIdEdit");
    m_nameEdit = namedEdit(this, "resourceNameEdit");
    m_typeEdit = namedEdit(this, "resourceTypeEdit");
    m_sizeText = new QLabel(this);
    m_sizeText->setObjectName(QStringLiteral("resourceSizeText"));
    form->addRow(LoadSystemString(kResEditorIdLabel), m_idEdit);
    form->addRow(LoadSystemString(kResEditorNameLabel), m_nameEdit);
    form->addRow(LoadSystemString(kResEditorTypeLabel), m_typeEdit);
    form->addRow(LoadSystemString(kResEditorSizeLabel), m_sizeText);
    m_typeEdit->setMinimumWidth(m_typeEdit->fontMetrics().horizontalAdvance(FormatResType(-1)) + 16);
    row->addLayout(form);
    layout->addLayout(row, 1);

    setTabOrder(m_tree, m_idEdit);
    setTabOrder(m_idEdit, m_nameEdit);
    setTabOrder(m_nameEdit, m_typeEdit);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CResEditorDlg::onCurrentItemChanged);
    connect(m_typeEdit, &QLineEdit::editingFinished, this, &CResEditorDlg::onTypeEdited);
    // Enter in the id or the name keeps what was typed, after the question.
    connect(m_idEdit, &QLineEdit::returnPressed, this, [this] { SaveCurrentResource(); });
    connect(m_nameEdit, &QLineEdit::returnPressed, this, [this] { SaveCurrentResource(); });
}

bool CResEditorDlg::IsCommandEnabled(int id) const
{
    switch (id) {
    case ID_RESEDIT_NEW:
    case ID_RESEDIT_OPEN:
        return m_file == 0;
    case ID_RESEDIT_CLOSE:
    case ID_RESEDIT_FILE_INFO:
    case ID_RESEDIT_REBUILD:
    case ID_RESEDIT_ADD_TEST:
        return m_file != 0;
    case ID_RESEDIT_SAVE:
    case ID_RESEDIT_SAVE_AS:
        return m_file != 0 && IsResFileDirty(m_file);
    case ID_RESEDIT_REMOVE_MARKED:
    case ID_RESEDIT_MOVE_MARKED:
        return !TickedRecords(*m_tree).empty();
    case ID_RESEDIT_EXIT:
        return true;
    default:
        return false;
    }
}

bool CResEditorDlg::OnCommand(int id, int code, CommandUpdate* update)
{
    if (!isEditorCommand(id))
        return false;
    if (code == lumivo::ui::kUpdateCommand) {
        if (update)
            update->enable(IsCommandEnabled(id));
    } else if (IsCommandEnabled(id)) {
        run(id);
    }
    return true;
}

void CResEditorDlg::run(int id)
{
    switch (id) {
    case ID_RESEDIT_NEW:
    case ID_RESEDIT_OPEN:
        chooseAndOpen(id == ID_RESEDIT_NEW);
        break;
    case ID_RESEDIT_CLOSE:
        CloseFile();
        break;
    case ID_RESEDIT_SAVE:
    case ID_RESEDIT_SAVE_AS:
        SaveFile();
        break;
    case ID_RESEDIT_FILE_INFO:
        CResFileInfoDlg::Run(m_file, this);
        break;
    case ID_RESEDIT_EXIT:
        reject();
        break;
    case ID_RESEDIT_REBUILD:
        RebuildTree();
        break;
    case ID_RESEDIT_REMOVE_MARKED:
        RemoveMarked();
        break;
    case ID_RESEDIT_MOVE_MARKED:
        MessageBoxById(kNotImplementedText, lumivo::ui::MB_OK);
        break;
    case ID_RESEDIT_ADD_TEST:
        AddTestResources();
        break;
    default:
        break;
    }
}

void CResEditorDlg::chooseAndOpen(bool orNew)
{
    const QString filter = lumivo::ui::windowsFilterToQt(
        QStringLiteral("%1 (*.tvf)|*.tvf||").arg(LoadSystemString(kResourceFilesText)));
    const QString title = LoadSystemString(orNew ? kResEditorNewTitle : kResEditorOpenTitle);
    const std::optional<QString> path =
        orNew ? lumivo::ui::chooseOpenOrNewFile(title, {}, filter, this, QStringLiteral("tvf"))
              : lumivo::ui::chooseOpenFile(title, {}, filter, this);
    if (path)
        OpenFile(*path, orNew);
}

bool CResEditorDlg::OpenFile(const QString& path, bool orNew)
{
    CloseFile();
    int number = 0;
    int result = orNew ? FindOrAddResFile(&number, path) : OpenResFile(&number, path);
    if (result == RES_FILE_EXISTS)
        result = OpenResFile(&number, path);
    if (const ResEditorError error = errorOfOpen(result); error != ResEditorError::None) {
        tell(error, path);
        return false;
    }
    m_file = number;
    // A file the program already had open stays the program's.
    m_ownsFile = result != RES_FILE_ALREADY_OPEN && !FileHasOtherRole(number);
    RebuildTree();
    showPath();
    return true;
}

void CResEditorDlg::CloseFile()
{
    if (m_file == 0)
        return;
    {
        const QSignalBlocker quiet(m_tree);
        m_tree->clear();
    }
    clearFields();
    if (m_ownsFile && !FileHasOtherRole(m_file))
        CloseResFile(m_file);
    m_file = 0;
    m_ownsFile = false;
    showPath();
}

void CResEditorDlg::done(int result)
{
    CloseFile();
    QDialog::done(result);
}

bool CResEditorDlg::selectNothing()
{
    if (!SaveCurrentResource())
        return false;
    const QSignalBlocker quiet(m_tree);
    m_tree->setCurrentItem(nullptr);
    clearFields();
    return true;
}

bool CResEditorDlg::RebuildTree()
{
    if (!selectNothing())
        return false;
    const QSignalBlocker quiet(m_tree);
    FillResourceTree(*m_tree, m_file);
    m_tree->setCurrentItem(nullptr);
    return true;
}

void CResEditorDlg::SaveFile()
{
    if (!SaveCurrentResource())
        return;
    if (const ResEditorError error = errorOfSave(SaveResFile(m_file)); error != ResEditorError::None)
        tell(error, GetResFilePath(m_file));
}

void CResEditorDlg::RemoveMarked()
{
    if (!selectNothing())
        return;
    int removed = 0;
    ResEditorError error = ResEditorError::None;
    for (CResEntry* record : TickedRecords(*m_tree)) {
        // A record the program holds through an object of its own stays: removing it would unbind
        // that object, whose next save would then fail.
        if (record->GetFirstHandle()) {
            error = ResEditorError::ResourceInUse;
        } else if (const ResEditorError failed = errorOfChange(RemoveResEntry(record));
                   failed != ResEditorError::None) {
            error = failed;
        } else {
            ++removed;
        }
    }
    RebuildTree();
    ShowMessage(FillSystemString(kRemovedResourcesText, {QString::number(removed)}));
    tell(error);
}

void CResEditorDlg::AddTestResources()
{
    int result = RES_OK;
    for (int i = 0; i < kTestResourceCount && result == RES_OK; ++i)
        result = addTestResource(m_file);
    RebuildTree();
    tell(errorOfChange(result));
}

bool CResEditorDlg::SaveCurrentResource()
{
    if (!m_current)
        return true;
    const std::optional<std::int32_t> id = idFromText(m_idEdit->text(), m_current->GetId());
    if (!id) {
        MessageBoxById(kResEditorBadIdText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONWARNING);
        return false;
    }
    if (m_typeEdit->text() != FormatResType(m_currentType)) {
        const std::optional<std::int32_t> typed = ParseResType(m_typeEdit->text(), true);
        if (!typed)
            return false;
        m_currentType = *typed;
    }
    // Case counts: a name whose case changed is a change.
    const bool changed = m_current->GetType() != m_currentType ||
                         m_current->GetName() != m_nameEdit->text() || m_current->GetId() != *id;
    if (!changed)
        return true;
    const int answer =
        MessageBoxById(kAskSaveResourceText, lumivo::ui::MB_YESNOCANCEL | lumivo::ui::MB_ICONQUESTION);
    if (answer == lumivo::ui::IDCANCEL)
        return false;
    return answer == lumivo::ui::IDNO || storeFieldsInRecord(*id);
}

// Moves the record to the typed id and type and gives it the typed name. A refusal is shown and the
// typed values stay, so the person can correct them.
bool CResEditorDlg::storeFieldsInRecord(std::int32_t id)
{
    if (m_current->GetId() != id || m_current->GetType() != m_currentType) {
        if (const ResEditorError error = errorOfMove(MoveResEntry(m_current, id, m_currentType, m_file));
            error != ResEditorError::None) {
            tell(error);
            return false;
        }
    }
    if (const ResEditorError error = errorOfChange(SetResEntryName(m_current, m_nameEdit->text()));
        error != ResEditorError::None) {
        tell(error);
        return false;
    }
    RefileRecordItem(*m_tree, ItemOfRecord(*m_tree, m_current));
    return true;
}

void CResEditorDlg::onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (!SaveCurrentResource()) {
        // The selection stays where it was.
        const QSignalBlocker quiet(m_tree);
        m_tree->setCurrentItem(previous);
        return;
    }
    showRecord(RecordOfItem(current));
}

void CResEditorDlg::showRecord(CResEntry* record)
{
    clearFields();
    m_current = record;
    if (!record)
        return;
    m_currentType = record->GetType();
    m_idEdit->setText(QString::number(record->GetId()));
    m_nameEdit->setText(record->GetName());
    m_typeEdit->setText(FormatResType(m_currentType));
    m_sizeText->setText(FillSystemString(kResEditorSizeText, {QString::number(record->GetStoredSize())}));
    for (QLineEdit* edit : {m_idEdit, m_nameEdit, m_typeEdit})
        edit->setEnabled(true);
}

void CResEditorDlg::clearFields()
{
    m_current = nullptr;
    m_currentType = 0;
    for (QLineEdit* edit : {m_idEdit, m_nameEdit, m_typeEdit}) {
        edit->clear();
        edit->setEnabled(false);
    }
    m_sizeText->clear();
}

void CResEditorDlg::onTypeEdited()
{
    if (!m_current)
        return;
    if (m_typeEdit->text() != FormatResType(m_currentType)) {
        if (const std::optional<std::int32_t> typed = ParseResType(m_typeEdit->text(), true))
            m_currentType = *typed;
    }
    m_typeEdit->setText(FormatResType(m_currentType));
}

void CResEditorDlg::showPath()
{
    lumivo::admin::showPathWrapped(*m_pathText,
                                   m_file ? GetResFilePath(m_file) : LoadSystemString(kResEditorNoFileText));
}

void CResEditorDlg::tell(ResEditorError error, const QString& path) const
{
    if (error != ResEditorError::None)
        MessageBoxById(messageIdOf(error), lumivo::ui::MB_OK | lumivo::ui::MB_ICONWARNING,
                       QFileInfo(path).fileName());
}

void RunResourceEditor()
{
    CResEditorDlg editor;
    lumivo::ui::runModal(editor);
}
