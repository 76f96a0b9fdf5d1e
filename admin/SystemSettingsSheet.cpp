#include "admin/SystemSettingsSheet.h"

#include "admin/DialogParts.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/Reload.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace
{

constexpr int kSheetTitle = 9038;
constexpr int kPageCaption = 9039;
constexpr int kGeneralTab = 9357;
constexpr int kLanguageLabel = 9042;
constexpr int kFolderLabel = 9043;
constexpr int kFactoryButton = 9048;
constexpr int kSystemText = 9049;
constexpr int kChooseButton = 9050;
constexpr int kNoLanguage = 1004;
constexpr int kMsgNoSuchFolder = 9005;
constexpr int kMsgFolderAtNextStart = 9534;
constexpr int kChooseFolderTitle = 9533;
constexpr int kLanguageNames = 10000;
constexpr int kLastNamedLanguage = 13;
constexpr int kLanguageSettingBase = 10000;
constexpr std::uint16_t kFactoryScreenMode = 0x77;
constexpr int kFolderFieldWidth = 320;

// The system's window elements (the high four bits of the screen mode) and their texts.
struct SystemBox {
    std::uint16_t bit;
    int text;
    const char* name;
};
constexpr std::array<SystemBox, 4> kSystemBoxes{
    SystemBox{0x80, 9044, "fullScreenBox"}, SystemBox{0x10, 9045, "menuBarBox"},
    SystemBox{0x20, 9047, "statusBarBox"}, SystemBox{0x40, 9046, "toolBarBox"}};

QString withoutTrailingSeparators(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// The same folder, told by its text (case counts); a trailing separator makes no other folder.
bool sameFolder(const QString& a, const QString& b)
{
    return withoutTrailingSeparators(a) == withoutTrailingSeparators(b);
}

QString installFolder()
{
    QString folder;
    GetSystemSettingString(QStringLiteral("Install_dir"), folder);
    return folder;
}

int installLanguage()
{
    std::uint32_t language = 0;
    GetSystemSettingDWord(QStringLiteral("Install_language"), &language);
    const int number = static_cast<int>(language);
    return number >= kLanguageSettingBase ? number - kLanguageSettingBase : number;
}

QString languageName(std::uint16_t number, const CQuibSystem& record)
{
    if (number >= 1 && number <= kLastNamedLanguage) {
        const QString name = LoadSystemString(kLanguageNames + number);
        if (!name.isEmpty())
            return name;
    }
    return record.m_name;
}

void reportMissingFolder()
{
    MessageBoxById(kMsgNoSuchFolder, lumivo::ui::MB_ICONEXCLAMATION);
}

} // namespace

bool IsUsableDefaultFolder(const QString& folder)
{
    return !folder.isEmpty() && lumivo::files::fileSystem().info(folder).isDirectory;
}

CQuibSS_GeneralPage::CQuibSS_GeneralPage() : PropertyPage(LoadSystemString(kPageCaption))
{
    m_folder = theBaseDir;
    m_language = ReadSystemLanguage();
    m_screenMode = theScreenMode;
}

void CQuibSS_GeneralPage::OnInitDialog(QWidget& page)
{
    m_screenMode = theScreenMode;
    m_folderEdit = new QLineEdit(&page);
    m_folderEdit->setObjectName(QStringLiteral("defaultFolderEdit"));
    m_folderEdit->setMinimumWidth(kFolderFieldWidth);
    // Made in the order Tab visits them.
    QPushButton* choose = lumivo::admin::buttonOf(kChooseButton, "chooseFolderButton", &page);
    m_languages = new QComboBox(&page);
    m_languages->setObjectName(QStringLiteral("systemLanguageList"));
    auto* fields = new QGridLayout;
    fields->addWidget(lumivo::admin::labelOf(kFolderLabel, m_folderEdit), 0, 0);
    fields->addWidget(m_folderEdit, 0, 1);
    fields->addWidget(choose, 0, 2);
    fields->addWidget(lumivo::admin::labelOf(kLanguageLabel, m_languages), 1, 0);
    fields->addWidget(m_languages, 1, 1, 1, 2);
    auto* boxes = new QGridLayout;
    for (std::size_t i = 0; i < kSystemBoxes.size(); ++i) {
        m_boxes[i] = new QCheckBox(QStringLiteral("%1 (%2)").arg(LoadSystemString(kSystemBoxes[i].text),
                                                                 LoadSystemString(kSystemText)),
                                   &page);
        m_boxes[i]->setObjectName(QLatin1String(kSystemBoxes[i].name));
        boxes->addWidget(m_boxes[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
        QObject::connect(m_boxes[i], &QCheckBox::clicked, m_boxes[i], [this] {
            SetModified();
            takeBoxes();
        });
    }
    QPushButton* factory = lumivo::admin::buttonOf(kFactoryButton, "factoryDefaultsButton", &page);
    auto* factoryRow = new QHBoxLayout;
    factoryRow->addStretch();
    factoryRow->addWidget(factory);
    auto* layout = new QVBoxLayout(&page);
    layout->addLayout(fields);
    layout->addLayout(boxes);
    layout->addStretch();
    layout->addLayout(factoryRow);
    fillLanguageList();
    QObject::connect(choose, &QPushButton::clicked, choose, [this] { chooseFolder(); });
    QObject::connect(factory, &QPushButton::clicked, factory, [this] { resetToFactoryDefaults(); });
    QObject::connect(m_folderEdit, &QLineEdit::editingFinished, m_folderEdit, [this] { leaveFolderField(); });
}

void CQuibSS_GeneralPage::fillLanguageList()
{
    m_languages->addItem(LoadSystemString(kNoLanguage), 0);
    for (const auto& [number, record] : theSystemMap)
        m_languages->addItem(languageName(number, *record), number);
}

bool CQuibSS_GeneralPage::DoDataExchange(bool save)
{
    if (!save) {
        m_folderEdit->setText(m_folder);
        m_languages->setCurrentIndex(m_languages->findData(m_language));
        for (std::size_t i = 0; i < kSystemBoxes.size(); ++i)
            m_boxes[i]->setChecked((m_screenMode & kSystemBoxes[i].bit) != 0);
        return true;
    }
    m_folder = m_folderEdit->text();
    if (m_languages->currentIndex() >= 0)
        m_language = m_languages->currentData().toInt();
    takeBoxes();
    return true;
}

void CQuibSS_GeneralPage::takeBoxes()
{
    for (std::size_t i = 0; i < kSystemBoxes.size(); ++i) {
        if (m_boxes[i]->isChecked())
            m_screenMode |= kSystemBoxes[i].bit;
        else
            m_screenMode &= static_cast<std::uint16_t>(~kSystemBoxes[i].bit);
    }
}

bool CQuibSS_GeneralPage::differsFromBaseFolder(const QString& folder) const
{
    return !sameFolder(folder, theBaseDir);
}

void CQuibSS_GeneralPage::chooseFolder()
{
    const auto chosen =
        lumivo::ui::chooseFolder(LoadSystemString(kChooseFolderTitle), {}, m_folderEdit->text(), GetWidget());
    if (!chosen)
        return;
    m_folderEdit->setText(*chosen);
    if (differsFromBaseFolder(*chosen))
        SetModified();
}

void CQuibSS_GeneralPage::leaveFolderField()
{
    const QString folder = m_folderEdit->text();
    if (!IsUsableDefaultFolder(folder)) {
        reportMissingFolder();
        m_reportedFolder = folder;
    }
    if (differsFromBaseFolder(folder))
        SetModified();
}

void CQuibSS_GeneralPage::resetToFactoryDefaults()
{
    m_folder = installFolder();
    m_screenMode = kFactoryScreenMode;
    m_language = installLanguage();
    UpdateData(false);
    SetModified();
}

bool CQuibSS_GeneralPage::OnApply()
{
    // A folder that does not exist keeps the sheet open with every other edit, so nothing is lost.
    if (!IsUsableDefaultFolder(m_folder)) {
        // Pressing OK takes the focus from the field, which has just said it: once is enough.
        if (std::exchange(m_reportedFolder, QString()) != m_folder)
            reportMissingFolder();
        return false;
    }
    theScreenMode = m_screenMode;
    theLanguageNo = static_cast<std::uint16_t>(m_language);
    // Written at once (the screen mode too, which the exit writes again), so that OK knows they are on
    // disk before it tells what follows from them.
    const bool folderSet = SetSystemSettingString(
        QStringLiteral("Default_dir"), sameFolder(m_folder, installFolder()) ? QString() : m_folder);
    const bool languageSet = SetSystemSettingInt(QStringLiteral("LanguageNo"), m_language);
    const bool modeSet = SetSystemSettingInt(QStringLiteral("ScreenMode"), theScreenMode);
    // A folder that was not stored never takes effect: that is said instead.
    if (lumivo::admin::storeSettingsOrSay(folderSet && languageSet && modeSet) &&
        differsFromBaseFolder(m_folder))
        MessageBoxById(kMsgFolderAtNextStart, lumivo::ui::MB_ICONINFORMATION);
    return PropertyPage::OnApply();
}

CQuibSS_PropSheet::CQuibSS_PropSheet() : PropertySheet(LoadSystemString(kSheetTitle))
{
    AddPage(m_generalPage);
}

void CQuibSS_PropSheet::OnInitDialog()
{
    PropertySheet::OnInitDialog();
    SetTabText(m_generalPage, LoadSystemString(kGeneralTab));
}

void EditSystemSettings()
{
    CQuibSS_PropSheet sheet;
    if (sheet.DoModal(lumivo::admin::dialogOwner()) == lumivo::ui::IDOK)
        InitializeSystem(kReloadEverything);
}
