#include "admin/UserLevelDlgs.h"

#include "admin/DialogParts.h"
#include "admin/UserLevelEditing.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kEditTitle = 9525;
constexpr int kNewTitle = 9526;
constexpr int kNumberLabel = 9527;
constexpr int kNewButton = 9528;
constexpr int kRemoveButton = 9529;
constexpr int kAskEditExisting = 9530;
constexpr int kNewNumberLabel = 9522;
constexpr int kFileLabel = 9523;
constexpr int kNameLabel = 9333;
constexpr int kUserRangeText = 9026;
constexpr int kSystemRangeText = 9027;
constexpr int kPrompt = 9029;
constexpr std::uint16_t kUserFileLanguage = 1;
constexpr int kListWidth = 320;

QLabel* textLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit* edit(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

// The range texts of the new-level dialog: the system's numbers only where they can be made.
QString rangeText(bool onOutputFile)
{
    const QString users = lumivo::admin::withNumbers(LoadSystemString(kUserRangeText), {2000, 2999});
    if (!onOutputFile)
        return users;
    return lumivo::admin::withNumbers(LoadSystemString(kSystemRangeText), {1001, 1999}) + QLatin1Char('\n') +
           users;
}

int runEditUserLevels(CUserLevelWork& work)
{
    work.Start();
    CEditUserLevelDlg dialog(work, lumivo::admin::dialogOwner());
    const int answer = lumivo::ui::runModal(dialog);
    if (answer != lumivo::ui::IDOK)
        return answer;
    const UserLevelResult stored = work.Store();
    if (stored.error != UserLevelError::None)
        MessageBoxById(messageIdOf(stored.error), lumivo::ui::MB_ICONEXCLAMATION, stored.detail);
    InitializeSystem(kReloadUserLevel);
    return answer;
}

} // namespace

CEditUserLevelDlg::CEditUserLevelDlg(CUserLevelWork& work, QWidget* parent) : QDialog(parent), m_work(work)
{
    setObjectName(QStringLiteral("editUserLevelDialog"));
    setWindowTitle(LoadSystemString(kEditTitle));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("userLevelList"));
    m_list->setMinimumWidth(kListWidth);
    m_name = edit("levelNameEdit", this);
    m_file = textLabel("levelFile", this);
    m_number = textLabel("levelNumber", this);
    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kNameLabel, m_name), 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(lumivo::admin::labelOf(kFileLabel), 1, 0);
    fields->addWidget(m_file, 1, 1);
    fields->addWidget(lumivo::admin::labelOf(kNumberLabel), 2, 0);
    fields->addWidget(m_number, 2, 1);
    QPushButton* add = lumivo::admin::buttonOf(kNewButton, "newLevelButton", this);
    m_remove = lumivo::admin::buttonOf(kRemoveButton, "removeLevelButton", this);
    QDialogButtonBox* buttons = lumivo::admin::okCancelButtons(*this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* levelButtons = new QHBoxLayout;
    levelButtons->addWidget(add);
    levelButtons->addWidget(m_remove);
    levelButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(fields);
    layout->addLayout(levelButtons);
    layout->addWidget(buttons);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { followSelection(); });
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& name) {
        m_work.Rename(name);
        listLevels();
    });
    connect(add, &QPushButton::clicked, this, [this] { newLevel(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { removeLevel(); });
    listLevels();
}

void CEditUserLevelDlg::listLevels()
{
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    const CQuibUserLevel* current = m_work.Current();
    for (std::uint16_t number : m_work.ListedNumbers()) {
        auto* item = new QListWidgetItem(m_work.Level(number)->Name, m_list);
        item->setData(Qt::UserRole, number);
        if (current == m_work.Level(number))
            m_list->setCurrentItem(item);
    }
    showFields();
}

void CEditUserLevelDlg::showFields()
{
    CQuibUserLevel* level = m_work.Current();
    const QSignalBlocker quiet(m_name);
    if (m_name->text() != (level ? level->Name : QString()))
        m_name->setText(level ? level->Name : QString());
    m_file->setText(level && level->GetFile() > 0 ? GetResFilePath(level->GetFile()) : QString());
    m_number->setText(level ? QString::number(level->Number) : QString());
    m_name->setEnabled(level != nullptr);
    m_remove->setEnabled(level != nullptr);
    m_ok->setEnabled(m_work.Changed());
}

void CEditUserLevelDlg::followSelection()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    m_work.Select(
        selected.isEmpty() ? 0 : static_cast<std::uint16_t>(selected.front()->data(Qt::UserRole).toInt()));
    showFields();
}

void CEditUserLevelDlg::newLevel()
{
    NewUserLevelChoice choice = RunNewUserLevel(m_work, this);
    if (choice.created)
        m_work.Add(std::move(choice.created));
    else if (choice.existing != 0)
        m_work.Edit(choice.existing);
    listLevels();
}

void CEditUserLevelDlg::removeLevel()
{
    m_work.RemoveCurrent();
    listLevels();
}

CNewUserLevelDlg::CNewUserLevelDlg(const CUserLevelWork& work, QWidget* parent)
    : QDialog(parent), m_work(work)
{
    setObjectName(QStringLiteral("newUserLevelDialog"));
    setWindowTitle(LoadSystemString(kNewTitle));
    auto* prompt = new QLabel(LoadSystemString(kPrompt), this);
    prompt->setWordWrap(true);
    m_number = edit("levelNumberEdit", this);
    m_number->setValidator(new QIntValidator(0, 0xFFFF, m_number));
    m_name = edit("levelNameEdit", this);
    auto* range = new QLabel(rangeText(work.OnOutputFile()), this);
    range->setObjectName(QStringLiteral("levelRange"));
    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kNewNumberLabel, m_number), 0, 0);
    fields->addWidget(m_number, 0, 1);
    fields->addWidget(lumivo::admin::labelOf(kNameLabel, m_name), 1, 0);
    fields->addWidget(m_name, 1, 1);
    QDialogButtonBox* buttons = lumivo::admin::okCancelButtons(*this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(fields);
    layout->addWidget(range);
    layout->addWidget(buttons);
    connect(m_number, &QLineEdit::textChanged, this,
            [this] { m_ok->setEnabled(m_work.MayCreate(number())); });
}

int CNewUserLevelDlg::number() const
{
    return m_number->text().toInt();
}

void CNewUserLevelDlg::accept()
{
    const int chosen = number();
    if (!m_work.MayCreate(chosen))
        return;
    const auto key = static_cast<std::uint16_t>(chosen);
    if (!m_work.Level(key)) {
        auto level = std::make_unique<CQuibUserLevel>();
        level->Number = chosen;
        level->Language = m_work.Language();
        level->Name = m_name->text();
        m_choice.created = std::move(level);
        QDialog::accept();
        return;
    }
    const int answer =
        MessageBoxById(kAskEditExisting, lumivo::ui::MB_YESNOCANCEL | lumivo::ui::MB_ICONQUESTION);
    if (answer == lumivo::ui::IDYES) {
        m_choice.existing = key;
        QDialog::accept();
    } else if (answer == lumivo::ui::IDNO) {
        reject();
    }
}

NewUserLevelChoice RunNewUserLevel(const CUserLevelWork& work, QWidget* parent)
{
    if (work.File() <= 0 || work.Language() == 0)
        return {};
    CNewUserLevelDlg dialog(work, parent);
    if (lumivo::ui::runModal(dialog) != lumivo::ui::IDOK)
        return {};
    return dialog.TakeChoice();
}

int EditOutputFileUserLevels()
{
    if (theOutputFile <= 0 || theTranslateLanguage == 0)
        return lumivo::ui::IDCANCEL;
    CUserLevelWork work(theOutputFile, theTranslateLanguage, true);
    AddUserLevelsOfOutputFile(work.Map(), theTranslateLanguage);
    AddUserLevelsOfDataFiles(work.Map(), theTranslateLanguage);
    GetOrCreateDefaultLevel(work.Map(), theTranslateLanguage);
    return runEditUserLevels(work);
}

void EditUserLevels()
{
    const int file = theCurrentUser ? theCurrentUser->GetFile() : 0;
    if (file <= 0)
        return;
    CUserLevelWork work(file, kUserFileLanguage, false);
    AddUserLevelsOfUserFile(work.Map(), kUserFileLanguage);
    AddUserLevelsOfDataFiles(work.Map(), kUserFileLanguage);
    runEditUserLevels(work);
}
