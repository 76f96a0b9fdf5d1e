#include "admin/ProfilePage.h"

#include "admin/UserSettingsSheet.h"
#include "core/ColorPalette.h"
#include "core/User.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/InputDialogs.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "shell/ColorDialogs.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kProfileGroup = 9307;
constexpr int kColorsGroup = 9309;
constexpr int kRestoreProfileText = 9310;
constexpr int kChooseText = 9313;
constexpr int kStandardText = 9314;
constexpr int kDeleteText = 9315;
constexpr int kFactoryText = 9048;
constexpr int kDefineEntryText = 1310;
constexpr int kDefineTitle = 9360;
constexpr int kDefinePrompt = 9361;

constexpr std::uint32_t kReloadScreenAndUser = kReloadScreen | kReloadUserSettings;
constexpr std::uint32_t kReloadPanesAndUser = kReloadPanes | kReloadUserSettings;
constexpr std::uint32_t kExtraUserColor = 0x10000;
constexpr std::uint32_t kExtraFixed = 0x80000;
constexpr std::uint32_t kExtraDefines = 0x100000;
constexpr std::uint32_t kExtraDefineEntry = kExtraDefines | kExtraFixed | kExtraUserColor;
constexpr std::uint32_t kExtraNotListed = 0x40000 | 0x80000 | 0x200000;
constexpr int kDefineEntryNumber = 255;

// A window element: the label, the bit that shows it and the bit that leaves it to the system.
struct WindowElement {
    int textId;
    std::uint16_t on;
    std::uint16_t systemChoice;
};
constexpr std::array<WindowElement, 4> kWindowElements{{
    {9044, 0x08, 0x80}, // full screen
    {9045, 0x01, 0x10}, // menu bar
    {9046, 0x04, 0x40}, // toolbar
    {9047, 0x02, 0x20}, // status bar
}};

// A box of three states that a click moves on as the program's boxes always went: unchecked, checked,
// the system's choice, unchecked again.
class ThreeStateBox : public QCheckBox
{
public:
    ThreeStateBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) { setTristate(true); }

protected:
    void nextCheckState() override
    {
        switch (checkState()) {
        case Qt::Unchecked:
            setCheckState(Qt::Checked);
            break;
        case Qt::Checked:
            setCheckState(Qt::PartiallyChecked);
            break;
        case Qt::PartiallyChecked:
            setCheckState(Qt::Unchecked);
            break;
        }
    }
};

// Restores what makes up the user's settings from the profile (the factory's with none); who the user
// is and what they wrote stay theirs: name, password and hint and whether it is used, the sentences,
// and which profile the user follows. The user's own profile object is not touched.
void restoreSettings(CQuibUser& user, const CQuibUser* profile)
{
    CQuibUserSettings own = user.Settings();
    user.Settings() = profile ? profile->Settings() : CQuibUserSettings{};
    user.Name = own.Name;
    user.Text1 = own.Text1;
    user.Text2 = own.Text2;
    user.UsePassword = own.UsePassword;
    user.Sentences = std::move(own.Sentences);
    user.CurrentSentence = own.CurrentSentence;
    user.ProfileName = own.ProfileName;
    user.ProfileNumber = own.ProfileNumber;
}

const CColor* findColor(const CQuibColorTable& table, int number)
{
    const auto found = table.find(static_cast<std::uint16_t>(number));
    return found == table.end() ? nullptr : found->second.get();
}

void putColor(CQuibColorTable& table, const CColor& color)
{
    table[color.GetID()] = std::make_unique<CColor>(&color);
}

bool isUserColor(int number)
{
    return number >= kFirstUserColor && number <= kLastUserColor;
}

} // namespace

CQuibUS_BasicPage::CQuibUS_BasicPage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

// The sheet is going too: only the profiles and the files the page opened are let go of.
CQuibUS_BasicPage::~CQuibUS_BasicPage()
{
    m_profiles.clear();
    for (int file : m_openedFiles)
        ReleaseDataFile(file);
}

void CQuibUS_BasicPage::LoadFromUser()
{
    if (const CQuibUser* user = User())
        m_screenFlags = user->ScreenFlags;
}

int CQuibUS_BasicPage::NewColorNumber(const std::vector<int>& numbersInUse)
{
    const auto used = [&](int number) {
        return std::find(numbersInUse.begin(), numbersInUse.end(), number) != numbersInUse.end();
    };
    int highest = 0;
    for (int number : numbersInUse) {
        if (isUserColor(number))
            highest = std::max(highest, number);
    }
    const int next = highest ? highest + 1 : kFirstUserColor;
    if (next < kLastUserColor)
        return next;
    for (int number = kFirstUserColor; number < kLastUserColor; ++number) {
        if (!used(number))
            return number;
    }
    return 0;
}

void CQuibUS_BasicPage::OnInitDialog(QWidget& page)
{
    WriteDebugLog(QStringLiteral("USBP 10"));
    LoadFromUser();
    auto* layout = new QVBoxLayout(&page);

    auto* profileGroup = new QGroupBox(SheetText(kProfileGroup), &page);
    auto* profileLayout = new QGridLayout(profileGroup);
    m_profileCombo = new QComboBox(profileGroup);
    m_profileCombo->setObjectName(QStringLiteral("profile"));
    m_profileCombo->setMinimumContentsLength(20);
    m_profilePath = new QLabel(profileGroup);
    m_profilePath->setObjectName(QStringLiteral("profilePath"));
    m_profilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_restoreProfile = new QPushButton(SheetText(kRestoreProfileText), profileGroup);
    m_factory = new QPushButton(SheetText(kFactoryText), profileGroup);
    profileLayout->addWidget(m_profileCombo, 0, 0);
    profileLayout->addWidget(m_restoreProfile, 0, 1);
    profileLayout->addWidget(m_profilePath, 1, 0);
    profileLayout->addWidget(m_factory, 1, 1);
    profileLayout->setColumnStretch(0, 1);
    layout->addWidget(profileGroup);
    WriteDebugLog(QStringLiteral("USBP 11"));

    auto* elements = new QGridLayout;
    for (std::size_t i = 0; i < kWindowElements.size(); ++i) {
        m_elementBoxes[i] = new ThreeStateBox(SheetText(kWindowElements[i].textId), &page);
        elements->addWidget(m_elementBoxes[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    layout->addLayout(elements);
    WriteDebugLog(QStringLiteral("USBP 12"));

    auto* colorGroup = new QGroupBox(SheetText(kColorsGroup), &page);
    auto* colorLayout = new QHBoxLayout(colorGroup);
    m_paletteCombo = new CColorCombo(colorGroup);
    m_paletteCombo->setObjectName(QStringLiteral("palette"));
    m_paletteCombo->SetShowSwatch(true);
    m_paletteCombo->setMinimumContentsLength(20);
    m_choose = new QPushButton(SheetText(kChooseText), colorGroup);
    m_standard = new QPushButton(SheetText(kStandardText), colorGroup);
    colorLayout->addWidget(m_paletteCombo, 1);
    colorLayout->addWidget(m_choose);
    colorLayout->addWidget(m_standard);
    layout->addWidget(colorGroup);
    layout->addStretch(1);
    WriteDebugLog(QStringLiteral("USBP 13"));

    FillProfileList();
    WriteDebugLog(QStringLiteral("USBP 14"));
    FillPaletteList();
    WriteDebugLog(QStringLiteral("USBP 15"));

    QObject::connect(m_profileCombo, &QComboBox::activated, &page, [this] { OnProfileChosen(); });
    QObject::connect(m_restoreProfile, &QPushButton::clicked, &page, [this] { RestoreUser(false); });
    QObject::connect(m_factory, &QPushButton::clicked, &page, [this] { RestoreUser(true); });
    for (QCheckBox* box : m_elementBoxes)
        ReportClicks(*box, kReloadScreenAndUser);
    QObject::connect(m_paletteCombo, &QComboBox::activated, &page, [this] { OnPaletteChosen(); });
    QObject::connect(m_choose, &QPushButton::clicked, &page, [this] { RedefineColor(); });
    QObject::connect(m_standard, &QPushButton::clicked, &page, [this] { PutColorBack(); });
    WriteDebugLog(QStringLiteral("USBP 20"));
}

bool CQuibUS_BasicPage::DoDataExchange(bool save)
{
    for (std::size_t i = 0; i < kWindowElements.size(); ++i) {
        const WindowElement& element = kWindowElements[i];
        QCheckBox& box = *m_elementBoxes[i];
        if (save) {
            m_screenFlags &= static_cast<std::uint16_t>(~(element.on | element.systemChoice));
            if (box.checkState() == Qt::PartiallyChecked)
                m_screenFlags |= element.systemChoice;
            else if (box.checkState() == Qt::Checked)
                m_screenFlags |= element.on;
        } else {
            box.setCheckState((m_screenFlags & element.systemChoice) ? Qt::PartiallyChecked
                              : (m_screenFlags & element.on)         ? Qt::Checked
                                                                     : Qt::Unchecked);
        }
    }
    if (!save) {
        CQuibUser* profile = PropSheet().GetProfile();
        m_profilePath->setText(profile ? GetResFilePath(profile->GetFile()) : QString());
        m_restoreProfile->setEnabled(profile != nullptr);
        RefreshPaletteButtons();
    }
    return true;
}

void CQuibUS_BasicPage::OnOK()
{
    if (CQuibUser* user = User())
        user->ScreenFlags = m_screenFlags;
}

// ---- Profiles ---------------------------------------------------------------------------------------

// The profiles of every profile file in the users folder. A profile the user is linked to stays
// selected across a refill: the link moves to the same profile in the new list.
void CQuibUS_BasicPage::FillProfileList()
{
    WriteDebugLog(QStringLiteral("USBP 100"));
    CQuibUS_PropSheet& sheet = PropSheet();
    CQuibUser* link = sheet.GetProfile();
    const bool linkIsOurs = std::any_of(m_profiles.begin(), m_profiles.end(),
                                        [link](const auto& profile) { return profile.get() == link; });
    const std::int32_t linkedId = link ? link->GetID() : 0;
    const QString linkedName = link ? link->Name : QString();
    if (linkIsOurs)
        sheet.SetProfile(nullptr);
    FreeProfileList();
    WriteDebugLog(QStringLiteral("USBP 110"));
    m_restoreProfile->setEnabled(false);
    const QString folder = GetUsersDirString(QStringLiteral("/"));
    if (!folder.isEmpty()) {
        std::vector<QString> names = lumivo::files::fileSystem().list(folder.chopped(1));
        std::sort(names.begin(), names.end());
        for (const QString& name : names) {
            if (name.endsWith(QStringLiteral(".tvf"), Qt::CaseInsensitive) &&
                ResScratchPathFor(folder + name) != folder + name)
                AddProfilesOfFile(folder + name);
        }
    }
    m_profileCombo->setCurrentIndex(-1);
    for (std::size_t index = 0; index < m_profiles.size() && link; ++index) {
        CQuibUser& profile = *m_profiles[index];
        if (profile.GetID() == linkedId && profile.Name == linkedName) {
            m_profileCombo->setCurrentIndex(static_cast<int>(index));
            if (linkIsOurs)
                sheet.SetProfile(&profile);
            m_restoreProfile->setEnabled(true);
            break;
        }
    }
    WriteDebugLog(QStringLiteral("USBP 199"));
}

// A file already open belongs to whoever opened it (the user's own profile, say) and is never closed
// here; a file this page opened is closed when the list goes.
void CQuibUS_BasicPage::AddProfilesOfFile(const QString& path)
{
    WriteDebugLog(QStringLiteral("USBP 200"));
    int file = 0;
    int result = RES_OK;
    if (OpenDataFile(path, &file, &result) != DATAFILE_ACCEPTED || file <= 0) {
        WriteDebugLog(QStringLiteral("USBP 299"));
        return;
    }
    const bool openedHere = result == RES_OK;
    const bool listed = std::find(m_openedFiles.begin(), m_openedFiles.end(), file) != m_openedFiles.end();
    if (GetResFileKind(file) != FILEKIND_PROFILE || listed) {
        if (openedHere)
            ReleaseDataFile(file);
        WriteDebugLog(QStringLiteral("USBP 299"));
        return;
    }
    if (openedHere)
        m_openedFiles.push_back(file);
    std::vector<CResEntry*> records;
    CollectResources(&records, file, CQuibUser::kType);
    for (CResEntry* record : records) {
        auto profile = std::make_unique<CQuibUser>();
        if (profile->LoadFrom(record->GetId(), file) != RES_OK)
            continue;
        m_profileCombo->addItem(profile->Name);
        m_profiles.push_back(std::move(profile));
    }
    WriteDebugLog(QStringLiteral("USBP 299"));
}

void CQuibUS_BasicPage::FreeProfileList()
{
    CQuibUser* link = PropSheet().GetProfile();
    for (const auto& profile : m_profiles) {
        if (profile.get() == link)
            PropSheet().SetProfile(nullptr);
    }
    if (IsCreated())
        m_profileCombo->clear();
    while (!m_profiles.empty())
        m_profiles.pop_back();
    for (int file : m_openedFiles)
        ReleaseDataFile(file);
    m_openedFiles.clear();
}

void CQuibUS_BasicPage::OnDestroy()
{
    FreeProfileList();
}

void CQuibUS_BasicPage::OnProfileChosen()
{
    const int index = m_profileCombo->currentIndex();
    CQuibUser* chosen = index >= 0 && index < static_cast<int>(m_profiles.size())
                            ? m_profiles[static_cast<std::size_t>(index)].get()
                            : nullptr;
    PropSheet().SetProfile(chosen);
    UpdateData(false);
}

// Restore profile settings (from the linked profile) or the factory's (`factory`, which also moves the
// user's file aside at OK). Every page built already shows the restored settings, so that its OK does
// not put back what it showed before.
void CQuibUS_BasicPage::RestoreUser(bool factory)
{
    CQuibUS_PropSheet& sheet = PropSheet();
    CQuibUser* user = User();
    CQuibUser* profile = factory ? nullptr : sheet.GetProfile();
    if (!user || (!factory && !profile))
        return;
    if (factory)
        sheet.SetResetUserFile(true);
    sheet.FreeColorMap();
    restoreSettings(*user, profile);
    sheet.BuildColorMap(nullptr, profile);
    LoadFromUser();
    FillProfileList();
    FillPaletteList();
    Report(0);
    UpdateData(false);
    Report(kReloadEverything);
    sheet.ReloadBuiltPages(this);
}

// ---- The palette ------------------------------------------------------------------------------------

void CQuibUS_BasicPage::FillPaletteList()
{
    WriteDebugLog(QStringLiteral("USBP 300"));
    m_paletteCombo->SetShowNumbers(false);
    m_paletteCombo->Clear();
    for (const auto& [number, color] : PropSheet().ColorMap()) {
        if (color && !(color->GetExtra() & kExtraNotListed))
            m_paletteCombo->InsertColor(-1, color.get());
    }
    CColor define;
    define.Set(0xFFFFFF, kDefineEntryNumber, SheetText(kDefineEntryText), kExtraDefineEntry);
    m_paletteCombo->InsertColor(-1, &define);
    m_paletteCombo->setCurrentIndex(-1);
    m_paletteCombo->SetShowNumbers(true);
    WriteDebugLog(QStringLiteral("USBP 399"));
}

void CQuibUS_BasicPage::RefreshPaletteButtons()
{
    m_choose->setText(SheetText(kChooseText));
    m_standard->setText(SheetText(kStandardText));
    m_choose->setEnabled(false);
    m_standard->setEnabled(false);
    CColor color;
    if (!m_paletteCombo->GetItemColor(m_paletteCombo->currentIndex(), color) ||
        (color.GetExtra() & kExtraFixed))
        return;
    m_choose->setEnabled(true);
    if (isUserColor(color.GetID()))
        m_standard->setText(SheetText(kDeleteText));
    m_standard->setEnabled(true);
}

void CQuibUS_BasicPage::OnPaletteChosen()
{
    CColor color;
    if (m_paletteCombo->GetItemColor(m_paletteCombo->currentIndex(), color) &&
        (color.GetExtra() & kExtraDefines))
        DefineColor();
    RefreshPaletteButtons();
    Report(0);
}

void CQuibUS_BasicPage::DefineColor()
{
    std::vector<int> numbers;
    for (const auto& entry : PropSheet().ColorMap())
        numbers.push_back(entry.first);
    const int number = NewColorNumber(numbers);
    if (number == 0 || !User())
        return;
    QString name;
    if (CTextInputDlg::AskText(SheetText(kDefineTitle), SheetText(kDefinePrompt), name, false, GetWidget()) !=
            lumivo::ui::IDOK ||
        name.isEmpty())
        return;
    COLORREF rgb = 0xFFFFFF;
    if (!PickColor(rgb))
        return;
    CColor color;
    color.Set(rgb, static_cast<std::uint8_t>(number), name, kExtraUserColor);
    putColor(User()->ColorTable, color);
    putColor(PropSheet().ColorMap(), color);
    Report(0);
    m_paletteCombo->setCurrentIndex(m_paletteCombo->InsertColor(-1, &color));
    m_paletteCombo->SortItems();
}

void CQuibUS_BasicPage::RedefineColor()
{
    const int index = m_paletteCombo->currentIndex();
    CColor color;
    CQuibUser* user = User();
    if (!user || !m_paletteCombo->GetItemColor(index, color))
        return;
    COLORREF rgb = color.GetRGB();
    if (!PickColor(rgb))
        return;
    color.SetRGB(rgb);
    m_paletteCombo->InsertColor(index, &color);
    m_paletteCombo->setCurrentIndex(index);
    putColor(user->ColorTable, color);
    Report(0);
    putColor(PropSheet().ColorMap(), color);
    Report(kReloadPanesAndUser);
}

// "Standard" puts a redefined colour back to the one the user would have without it (the profile's,
// else the built-in one), in the combo and in the sheet's palette that the other pages offer; "Delete"
// takes a user colour away.
void CQuibUS_BasicPage::PutColorBack()
{
    const int index = m_paletteCombo->currentIndex();
    CColor color;
    CQuibUser* user = User();
    if (!user || !m_paletteCombo->GetItemColor(index, color))
        return;
    const int number = color.GetID();
    if (user->ColorTable.erase(static_cast<std::uint16_t>(number))) {
        user->Commit();
        Report(0);
    }
    const CQuibUser* profile = PropSheet().GetProfile();
    const CColor* standard = profile ? findColor(profile->ColorTable, number) : nullptr;
    if (!standard)
        standard = findColor(theSystemColorTable, number);
    if (standard) {
        const CColor restored(standard);
        m_paletteCombo->InsertColor(index, &restored);
        m_paletteCombo->setCurrentIndex(index);
        putColor(PropSheet().ColorMap(), restored);
    } else {
        PropSheet().ColorMap().erase(static_cast<std::uint16_t>(number));
        FillPaletteList();
    }
    m_paletteCombo->update();
    RefreshPaletteButtons();
}
