#include "admin/TranslateSettingsDlg.h"

#include "admin/DialogParts.h"
#include "admin/UserLevelDlgs.h"
#include "admin/UserLevelEditing.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <memory>
#include <string>

namespace
{

constexpr int kTitle = 9600;
constexpr int kLanguageLabel = 9601;
constexpr int kBasedOnLabel = 9602;
constexpr int kImportFlagText = 9603;
constexpr int kOutputFileLabel = 9604;
constexpr int kVersionLabel = 9605;
constexpr int kRangeText = 9606;
constexpr int kBadVersion = 9607;
constexpr int kNewLanguageTitle = 9608;
constexpr int kNewLanguagePrompt = 9609;
constexpr int kStoreFailed = 9623;
constexpr int kLevelLabel = 9521;
constexpr int kNumberLabel = 9522;
constexpr int kNewButton = 9528;
constexpr int kNameLabel = 9333;
constexpr int kLanguageExists = 9013;
constexpr int kLanguageOutOfRange = 9014;
constexpr int kLanguageNames = 10000;
constexpr int kStandardLanguages = 14; // 0 to 13 have names of their own in the system strings
constexpr int kMaxFieldValue = 255;
constexpr int kImportFlagBit = 0x1;

const QString kTranslateLanguage = QStringLiteral("TranslateLanguage");
const QString kTranslateUserlevel = QStringLiteral("TranslateUserlevel");
const QString kTranslateFlags = QStringLiteral("TranslateFlags");

QLineEdit* numberEdit(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    // Digits only; the range is checked at OK, where a number out of it is said.
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,6}")), field));
    return field;
}

QComboBox* listOf(const char* name, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

// Selects the entry whose item data is `number`; the first entry when none has it.
void selectNumber(QComboBox& list, int number)
{
    const int index = list.findData(number);
    list.setCurrentIndex(index >= 0 ? index : (list.count() > 0 ? 0 : -1));
}

int selectedNumber(const QComboBox& list)
{
    return list.currentIndex() >= 0 ? list.currentData().toInt() : 0;
}

// Whether the output file could be opened again with this data version. A file not stamped yet (0) is
// stamped at its first save.
bool reopenableVersion(std::uint32_t version)
{
    return version == 0 || IsAcceptedDataVersion(version);
}

QString versionText(const std::array<int, 3>& version)
{
    return QStringLiteral("%1.%2.%3").arg(version[0]).arg(version[1]).arg(version[2]);
}

} // namespace

int messageIdOf(TranslateSettingsError error)
{
    switch (error) {
    case TranslateSettingsError::None:
        return 0;
    case TranslateSettingsError::BadVersion:
        return kBadVersion;
    case TranslateSettingsError::StoreFailed:
        return kStoreFailed;
    }
    return 0;
}

// --- New language --------------------------------------------------------------------------------

CNewLanguageDlg::CNewLanguageDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("newLanguageDialog"));
    setWindowTitle(LoadSystemString(kNewLanguageTitle));
    auto* prompt = new QLabel(LoadSystemString(kNewLanguagePrompt), this);
    prompt->setWordWrap(true);
    prompt->setMinimumWidth(prompt->fontMetrics().horizontalAdvance(prompt->text()) * 3 / 4);
    m_number = numberEdit("languageNumberEdit", this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("languageNameEdit"));
    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kNumberLabel, m_number), 0, 0);
    fields->addWidget(m_number, 0, 1);
    fields->addWidget(lumivo::admin::labelOf(kNameLabel, m_name), 1, 0);
    fields->addWidget(m_name, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(fields);
    layout->addWidget(lumivo::admin::okCancelButtons(*this));
}

void CNewLanguageDlg::accept()
{
    bool isNumber = false;
    const int number = m_number->text().toInt(&isNumber);
    if (isNumber && number >= 1 && number < kStandardLanguages) {
        MessageBoxById(kLanguageExists, lumivo::ui::MB_ICONEXCLAMATION);
        m_number->setFocus();
        return;
    }
    if (!isNumber || number < kStandardLanguages || number > kMaxFieldValue) {
        MessageBoxById(kLanguageOutOfRange, lumivo::ui::MB_ICONEXCLAMATION);
        m_number->setFocus();
        return;
    }
    m_numberValue = static_cast<std::uint16_t>(number);
    m_nameValue = m_name->text();
    QDialog::accept();
}

// --- Translation settings ------------------------------------------------------------------------

CTranslateSettingsDlg::CTranslateSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("translateSettingsDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    m_importFlag = (theTranslateFlags & kImportFlagBit) != 0;
    if (theTranslateLanguageRec) {
        m_language = theTranslateLanguageRec->m_language;
        m_basedOn = theTranslateLanguageRec->m_baseLanguage;
    }
    buildControls();

    if (theOutputFile > 0) {
        m_outputPath->setText(GetResFilePath(theOutputFile));
        SplitResFileVersion(GetResFileVersion(theOutputFile), &m_version[0], &m_version[1], &m_version[2]);
    }
    int language = 0;
    GetSystemSettingInt(kTranslateLanguage, &language);
    m_language = static_cast<std::uint16_t>(language);
    GetSystemSettingInt(kTranslateUserlevel, &m_storedLevel);
    fillLanguageLists();
    m_initialised = true;
    showFields();
    fillLevelList();
}

CTranslateSettingsDlg::~CTranslateSettingsDlg() = default;

void CTranslateSettingsDlg::buildControls()
{
    m_languageNumber = numberEdit("languageNumberEdit", this);
    m_languageList = listOf("languageList", this);
    m_basedOnList = listOf("basedOnList", this);
    m_import = new QCheckBox(LoadSystemString(kImportFlagText), this);
    m_import->setObjectName(QStringLiteral("importFlagCheck"));
    m_levelNumber = numberEdit("levelNumberEdit", this);
    m_levelList = listOf("levelList", this);
    m_outputPath = new QLabel(this);
    m_outputPath->setObjectName(QStringLiteral("outputFilePath"));
    m_outputPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* newLanguage = lumivo::admin::buttonOf(kNewButton, "newLanguageButton", this);
    m_newLevel = lumivo::admin::buttonOf(kNewButton, "newLevelButton", this);

    auto* grid = new QGridLayout;
    grid->addWidget(lumivo::admin::labelOf(kLanguageLabel, m_languageList), 0, 0);
    grid->addWidget(m_languageNumber, 0, 1);
    grid->addWidget(m_languageList, 0, 2);
    grid->addWidget(newLanguage, 0, 3);
    grid->addWidget(lumivo::admin::labelOf(kBasedOnLabel, m_basedOnList), 1, 0);
    grid->addWidget(m_basedOnList, 1, 2);
    grid->addWidget(lumivo::admin::labelOf(kLevelLabel, m_levelList), 2, 0);
    grid->addWidget(m_levelNumber, 2, 1);
    grid->addWidget(m_levelList, 2, 2);
    grid->addWidget(m_newLevel, 2, 3);
    grid->addWidget(lumivo::admin::labelOf(kOutputFileLabel), 3, 0);
    grid->addWidget(m_outputPath, 3, 1, 1, 3);
    auto* version = new QHBoxLayout;
    for (std::size_t part = 0; part < m_versionFields.size(); ++part) {
        const std::string name = "versionEdit" + std::to_string(part);
        m_versionFields[part] = numberEdit(name.c_str(), this);
        m_versionFields[part]->setMaximumWidth(
            m_versionFields[part]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        version->addWidget(m_versionFields[part]);
    }
    version->addStretch();
    grid->addWidget(lumivo::admin::labelOf(kVersionLabel, m_versionFields[0]), 4, 0);
    grid->addLayout(version, 4, 1, 1, 3);
    m_languageNumber->setMaximumWidth(m_versionFields[0]->maximumWidth());
    m_levelNumber->setMaximumWidth(m_versionFields[0]->maximumWidth());
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_import);
    layout->addWidget(lumivo::admin::okCancelButtons(*this));

    lumivo::admin::chainTabOrder({m_languageNumber, m_languageList, newLanguage, m_basedOnList, m_levelNumber,
                                  m_levelList, m_newLevel, m_versionFields[0], m_versionFields[1],
                                  m_versionFields[2], m_import});

    connect(m_languageList, &QComboBox::activated, this, [this] { chooseLanguage(); });
    connect(m_languageNumber, &QLineEdit::editingFinished, this, [this] { followTypedLanguage(); });
    connect(m_levelList, &QComboBox::activated, this, [this] { chooseLevel(); });
    connect(newLanguage, &QPushButton::clicked, this, [this] { this->newLanguage(); });
    connect(m_newLevel, &QPushButton::clicked, this, [this] { newLevel(); });
}

void CTranslateSettingsDlg::fillLanguageLists()
{
    for (const auto& [number, record] : theSystemMap) {
        if (record->m_name.isEmpty())
            continue;
        m_languageList->addItem(record->m_name, int(number));
    }
    for (int number = 0; number < kStandardLanguages; ++number) {
        const QString name = LoadSystemString(kLanguageNames + number);
        if (!FindSystemRecord(static_cast<std::uint16_t>(number)))
            m_languageList->addItem(name, number);
        m_basedOnList->addItem(name, number);
    }
    const int listed = m_languageList->findData(int(m_language));
    m_languageList->setCurrentIndex(listed);
    selectBasedOn();
}

void CTranslateSettingsDlg::selectBasedOn()
{
    selectNumber(*m_basedOnList, m_basedOn);
}

void CTranslateSettingsDlg::showFields()
{
    if (!m_initialised)
        return;
    m_languageNumber->setText(QString::number(m_language));
    m_levelNumber->setText(QString::number(m_level));
    m_import->setChecked(m_importFlag);
    for (std::size_t part = 0; part < m_versionFields.size(); ++part)
        m_versionFields[part]->setText(QString::number(m_version[part]));
    m_levelList->setEnabled(m_language > 0);
    m_newLevel->setEnabled(m_language > 0);
}

void CTranslateSettingsDlg::fillLevelList()
{
    DeleteAllLevels(m_levels);
    AddUserLevelsOfOutputFile(m_levels, m_language);
    AddUserLevelsOfDataFiles(m_levels, m_language);
    GetOrCreateDefaultLevel(m_levels, m_language);
    const QSignalBlocker quiet(m_levelList);
    m_levelList->clear();
    for (const auto& [number, level] : m_levels)
        m_levelList->addItem(level->Name, int(number));
    if (m_levelList->findData(int(m_level)) < 0)
        m_level = 0;
    m_levelList->setCurrentIndex(m_levelList->findData(int(m_level)));
    showFields();
}

void CTranslateSettingsDlg::chooseLanguage()
{
    m_language = static_cast<std::uint16_t>(selectedNumber(*m_languageList));
    const CQuibSystem* record = FindSystemRecord(m_language);
    m_basedOn = record ? record->m_baseLanguage : m_language;
    selectBasedOn();
    fillLevelList();
}

// A number typed in the edit selects its entry of the list (none when it has none), so the record is
// never stored under one language's number with another language's name.
void CTranslateSettingsDlg::followTypedLanguage()
{
    bool isNumber = false;
    const int typed = m_languageNumber->text().toInt(&isNumber);
    // A number out of range is said at OK; the list stays as it is until then.
    if (!isNumber || typed < 0 || typed > kMaxFieldValue || typed == m_language)
        return;
    m_languageList->setCurrentIndex(m_languageList->findData(typed));
    if (m_languageList->currentIndex() >= 0) {
        chooseLanguage();
        return;
    }
    m_language = static_cast<std::uint16_t>(typed);
    m_basedOn = m_language;
    selectBasedOn();
    fillLevelList();
}

void CTranslateSettingsDlg::chooseLevel()
{
    m_level = static_cast<std::uint16_t>(selectedNumber(*m_levelList));
    showFields();
}

void CTranslateSettingsDlg::newLanguage()
{
    CNewLanguageDlg dialog(this);
    if (lumivo::ui::runModal(dialog) != lumivo::ui::IDOK || dialog.Name().isEmpty() || dialog.Number() == 0)
        return;
    m_languageList->addItem(dialog.Name());
    const int index = m_languageList->findText(dialog.Name(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_languageList->setItemData(index, int(dialog.Number()));
    m_languageList->setCurrentIndex(index);
    chooseLanguage();
}

void CTranslateSettingsDlg::newLevel()
{
    // The level made here is neither listed nor stored: the dialog shows the levels there are.
    CUserLevelWork work(theOutputFile, m_language, true);
    work.Start();
    RunNewUserLevel(work, this);
}

std::optional<int> CTranslateSettingsDlg::rangeCheckedField(QLineEdit* field)
{
    bool isNumber = false;
    const int value = field->text().toInt(&isNumber);
    if (isNumber && value >= 0 && value <= kMaxFieldValue)
        return value;
    lumivo::ui::messageBox(lumivo::admin::withNumbers(LoadSystemString(kRangeText), {0, kMaxFieldValue}),
                           LoadSystemString(SYSSTR_APPNAME), lumivo::ui::MB_ICONEXCLAMATION, this);
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

// Takes the controls into the members; false (the range said, the field focused) when one is out of
// range.
bool CTranslateSettingsDlg::readFields()
{
    const std::optional<int> language = rangeCheckedField(m_languageNumber);
    if (!language)
        return false;
    std::array<int, 3> version{};
    for (std::size_t part = 0; part < version.size(); ++part) {
        const std::optional<int> value = rangeCheckedField(m_versionFields[part]);
        if (!value)
            return false;
        version[part] = *value;
    }
    bool isNumber = false;
    const int level = m_levelNumber->text().toInt(&isNumber);
    m_level = isNumber && level >= 0 && level <= 0xFFFF ? static_cast<std::uint16_t>(level) : 0;
    m_language = static_cast<std::uint16_t>(*language);
    m_version = version;
    m_basedOn = static_cast<std::uint16_t>(selectedNumber(*m_basedOnList));
    m_importFlag = m_import->isChecked();
    return true;
}

TranslateSettingsError CTranslateSettingsDlg::storeLanguageRecord(QString& detail)
{
    const std::int32_t id = kFirstLanguageRecordId + m_language;
    CQuibSystem* record = FindSystemRecord(m_language);
    std::unique_ptr<CQuibSystem> made;
    int result = RES_OK;
    if (!record || record->GetFile() != theOutputFile) {
        made = std::make_unique<CQuibSystem>();
        record = made.get();
        // A record the output file holds already but the lists do not know yet is taken, not doubled.
        if (ResourceExists(id, RESTYPE_SYSTEM, theOutputFile))
            result = record->LoadFrom(id, theOutputFile);
        else if ((result = record->Create()) == RES_OK)
            result = record->SaveAs(id, theOutputFile, RESTYPE_SYSTEM);
    }
    if (result == RES_OK) {
        record->m_language = m_language;
        record->m_baseLanguage = m_basedOn;
        record->m_name = m_languageList->currentText();
        record->Commit();
        result = record->Write();
    }
    if (result != RES_OK) {
        detail = QString::number(result);
        return TranslateSettingsError::StoreFailed;
    }
    theTranslateLanguage = m_language;
    const bool languageSet = SetSystemSettingInt(kTranslateLanguage, m_language);
    const bool levelSet = SetSystemSettingInt(kTranslateUserlevel, m_storedLevel);
    const bool flagsSet = SetSystemSettingInt(kTranslateFlags, theTranslateFlags);
    lumivo::admin::storeSettingsOrSay(languageSet && levelSet && flagsSet);
    AddSystemInitFlags(kReloadEverything);
    return TranslateSettingsError::None;
}

void CTranslateSettingsDlg::accept()
{
    if (!readFields())
        return;
    const std::uint32_t version = MakeResFileVersion(m_version[0], m_version[1], m_version[2]);
    // A version the program does not read would make the output file one it can never open again.
    if (theOutputFile > 0 && version != GetResFileVersion(theOutputFile) && !reopenableVersion(version)) {
        MessageBoxById(messageIdOf(TranslateSettingsError::BadVersion), lumivo::ui::MB_ICONEXCLAMATION,
                       versionText(m_version));
        m_versionFields[0]->setFocus();
        return;
    }
    const int previousFlags = theTranslateFlags;
    if (m_importFlag)
        theTranslateFlags |= kImportFlagBit;
    else
        theTranslateFlags &= ~kImportFlagBit;
    if (m_language > 0 && theOutputFile > 0) {
        QString detail;
        const TranslateSettingsError error = storeLanguageRecord(detail);
        if (error != TranslateSettingsError::None) {
            theTranslateFlags = previousFlags;
            MessageBoxById(messageIdOf(error), lumivo::ui::MB_ICONEXCLAMATION, detail);
            return;
        }
    }
    if (theOutputFile > 0 && version != GetResFileVersion(theOutputFile))
        SetResFileVersion(theOutputFile, version);
    QDialog::accept();
}

int RunTranslateSettingsDialog()
{
    CTranslateSettingsDlg dialog(lumivo::admin::dialogOwner());
    return lumivo::ui::runModal(dialog);
}
