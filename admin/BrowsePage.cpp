#include "admin/BrowsePage.h"

#include "admin/UserSettingsSheet.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "shell/Reload.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int kCalloutGroup = 9343;
constexpr int kAppearanceLabel = 9344;
constexpr int kShowLabel = 9345;
constexpr int kFontLabel = 9346;
constexpr int kChooseFontText = 9347;
constexpr int kColorLabel = 9329;
// The option boxes' texts, in the order of kOptionBits.
constexpr int kOptionTexts[] = {9348, 9349, 9350, 9351, 9352, 9353, 9354};
constexpr std::uint32_t kReloadPanesAndUser = kReloadPanes | kReloadUserSettings;

} // namespace

CQuibUS_BrowseViewPage::CQuibUS_BrowseViewPage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

void CQuibUS_BrowseViewPage::LoadFromUser()
{
    if (const CQuibUser* user = User()) {
        m_color = user->BrowseColor;
        m_flags = user->BrowseFlags;
        m_font.FromString(user->BrowseFont);
    }
}

void CQuibUS_BrowseViewPage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* layout = new QVBoxLayout(&page);
    auto* group = new QGroupBox(SheetText(kCalloutGroup), &page);
    auto* form = new QFormLayout(group);
    m_appearance = new QComboBox(group);
    m_appearance->setObjectName(QStringLiteral("appearance"));
    for (int value = 0; value < 4; ++value)
        m_appearance->addItem(SheetText(9339 + value), value);
    form->addRow(SheetText(kAppearanceLabel), m_appearance);

    auto* options = new QGridLayout;
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        m_options[i] = new QCheckBox(SheetText(kOptionTexts[i]), group);
        options->addWidget(m_options[i], static_cast<int>(i % 4), static_cast<int>(i / 4));
    }
    form->addRow(SheetText(kShowLabel), options);

    auto* fontRow = new QHBoxLayout;
    m_fontText = new QLabel(group);
    m_fontText->setObjectName(QStringLiteral("fontDescription"));
    auto* chooseFont = new QPushButton(SheetText(kChooseFontText), group);
    chooseFont->setObjectName(QStringLiteral("chooseFont"));
    fontRow->addWidget(m_fontText, 1);
    fontRow->addWidget(chooseFont);
    form->addRow(SheetText(kFontLabel), fontRow);

    m_colorCombo = new CColorCombo(group);
    m_colorCombo->setObjectName(QStringLiteral("browseColor"));
    m_colorCombo->SetShowSwatch(true);
    form->addRow(SheetText(kColorLabel), m_colorCombo);
    layout->addWidget(group);
    layout->addStretch(1);
    SelectItemByValue(*m_appearance, static_cast<int>(m_flags & kAppearanceBits));
    FillSheetColorCombo(*m_colorCombo, PropSheet().ColorMap(), m_color);

    QObject::connect(m_appearance, &QComboBox::activated, &page, [this] {
        m_flags = (m_flags & ~kAppearanceBits) |
                  (static_cast<std::uint32_t>(SelectedValue(*m_appearance)) & kAppearanceBits);
        Report(kReloadPanesAndUser);
    });
    for (QCheckBox* box : m_options)
        ReportClicks(*box, kReloadPanesAndUser);
    QObject::connect(chooseFont, &QPushButton::clicked, &page, [this] { ChooseFont(); });
    QObject::connect(m_colorCombo, &QComboBox::activated, &page, [this] {
        if (TakeSheetColor(*m_colorCombo, m_color))
            Report(kReloadPanesAndUser);
    });
}

bool CQuibUS_BrowseViewPage::DoDataExchange(bool save)
{
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        if (save)
            m_flags = m_options[i]->isChecked() ? (m_flags | kOptionBits[i]) : (m_flags & ~kOptionBits[i]);
        else
            m_options[i]->setChecked(m_flags & kOptionBits[i]);
    }
    if (!save) {
        m_fontText->setText(m_font.Describe());
        SelectItemByValue(*m_appearance, static_cast<int>(m_flags & kAppearanceBits));
    }
    return true;
}

void CQuibUS_BrowseViewPage::OnSetActive()
{
    FillSheetColorCombo(*m_colorCombo, PropSheet().ColorMap(), m_color);
    CQuibUS_Page::OnSetActive();
}

void CQuibUS_BrowseViewPage::ChooseFont()
{
    if (m_font.ChooseFont() != lumivo::ui::IDOK)
        return;
    Report(kReloadPanesAndUser);
    UpdateData(false);
}

void CQuibUS_BrowseViewPage::OnOK()
{
    if (CQuibUser* user = User()) {
        user->BrowseColor = m_color;
        user->BrowseFlags = m_flags;
        user->BrowseFont = m_font.ToString();
    }
}
