#include "admin/PrintPage.h"

#include "admin/UserSettingsSheet.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "store/Utility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kPrintOfLabel = 9367;
constexpr int kPageSizeLabel = 9368;
constexpr int kWidthLabel = 9365;
constexpr int kHeightLabel = 9366;
constexpr int kIconSizeLabel = 9376;
constexpr int kHeaderLabel = 9380;
constexpr int kFooterLabel = 9381;
constexpr int kPlaceLabel = 9388;
constexpr int kSignatureLabel = 9389;
constexpr int kFontLabel = 9390;
constexpr int kChooseFontText = 9391;

// The print modes whose option words the user keeps, in the order of the user's fields.
constexpr std::array<int, 6> kModes{5026, 5028, 5029, 5030, 5031, 5032};
// Option bits and their boxes.
constexpr std::uint32_t kIntentionMarker = 0x001;
constexpr std::uint32_t kSentenceNumber = 0x002;
constexpr std::uint32_t kTransparentQuality = 0x004;
constexpr std::uint32_t kSeparationLine = 0x008;
constexpr std::uint32_t kPrintHeader = 0x100;
constexpr std::uint32_t kPrintFooter = 0x200;

int modeIndex(int mode)
{
    const auto found = std::find(kModes.begin(), kModes.end(), mode);
    return found == kModes.end() ? -1 : static_cast<int>(found - kModes.begin());
}

CSize sizeOfChoice(int choice, CSize other)
{
    switch (choice) {
    case CQuibUS_PrintPage::kNotebookLarge:
        return {170, 85};
    case CQuibUS_PrintPage::kNotebookSmall:
        return {95, 60};
    default:
        return other;
    }
}

QLineEdit* newEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// A part of the page that the shown mode shows or hides as one, laid out as a form.
QFormLayout* newSection(QWidget& page, QWidget*& section)
{
    section = new QWidget(&page);
    auto* form = new QFormLayout(section);
    form->setContentsMargins(0, 0, 0, 0);
    return form;
}

} // namespace

CQuibUS_PrintPage::CQuibUS_PrintPage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

void CQuibUS_PrintPage::LoadFromUser()
{
    const CQuibUser* user = User();
    if (!user)
        return;
    m_fit = user->PrintFit;
    m_pageChoice = user->PrintPageChoice;
    m_pageSize = user->PrintPageSize;
    m_otherSize = user->PrintIconSize;
    m_options = user->PrintValues;
    m_header = user->PrintHeader;
    m_footer = user->PrintFooter;
    m_letterFont.FromString(user->PrintFont);
    m_placeAndDate = user->LetterHead;
    m_signature = user->LetterEnd;
}

std::uint32_t CQuibUS_PrintPage::GetOptions(int mode) const
{
    const int index = modeIndex(mode);
    return index < 0 ? 0 : m_options[static_cast<std::size_t>(index)];
}

std::uint32_t& CQuibUS_PrintPage::ShownOptions()
{
    return m_options[static_cast<std::size_t>(std::max(modeIndex(m_optionMode), 0))];
}

QCheckBox* CQuibUS_PrintPage::OptionBox(std::uint32_t bit) const
{
    for (const OptionBoxOf& each : m_optionBoxes) {
        if (each.bit == bit)
            return each.box;
    }
    return nullptr;
}

QRadioButton* CQuibUS_PrintPage::FitRadio(int fit) const
{
    for (const FitRadioOf& each : m_fitRadios) {
        if (each.fit == fit)
            return each.radio;
    }
    return nullptr;
}

QCheckBox* CQuibUS_PrintPage::AddOptionBox(std::uint32_t bit, int textId, QWidget* parent)
{
    auto* box = new QCheckBox(SheetText(textId), parent);
    m_optionBoxes.push_back({bit, box});
    QObject::connect(box, &QCheckBox::clicked, box, [this] { OnOptionClicked(); });
    return box;
}

void CQuibUS_PrintPage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* layout = new QVBoxLayout(&page);
    auto* modeRow = new QFormLayout;
    m_modeCombo = new QComboBox(&page);
    m_modeCombo->setObjectName(QStringLiteral("printOf"));
    AddStringItems(*m_modeCombo, {5028, 5029, 5030, 5031, 5032, kPocketbookPage, kGeneralOptions});
    modeRow->addRow(SheetText(kPrintOfLabel), m_modeCombo);
    layout->addLayout(modeRow);
    for (QWidget* section : {BuildPageSize(page), BuildIconOptions(page), BuildLetter(page),
                             BuildGeneral(page), BuildPageBoxes(page)})
        layout->addWidget(section);
    layout->addStretch(1);

    QObject::connect(m_modeCombo, &QComboBox::activated, &page,
                     [this] { ShowMode(SelectedValue(*m_modeCombo)); });
    const CQuibUser* user = User();
    const int mode = user && SelectItemByValue(*m_modeCombo, user->PrintMode) >= 0 ? user->PrintMode : 5029;
    SelectItemByValue(*m_modeCombo, mode);
    ShowMode(mode);
}

QWidget* CQuibUS_PrintPage::BuildPageSize(QWidget& page)
{
    QFormLayout* form = newSection(page, m_pageSizeSection);
    m_pageSizeCombo = new QComboBox(m_pageSizeSection);
    m_pageSizeCombo->setObjectName(QStringLiteral("pageSize"));
    AddStringItems(*m_pageSizeCombo, {kNotebookLarge, kNotebookSmall, kOtherSize});
    form->addRow(SheetText(kPageSizeLabel), m_pageSizeCombo);
    auto* sizes = new QHBoxLayout;
    m_widthEdit = newEdit("pageWidth", m_pageSizeSection);
    m_heightEdit = newEdit("pageHeight", m_pageSizeSection);
    for (QLineEdit* edit : {m_widthEdit, m_heightEdit})
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    auto* widthLabel = new QLabel(SheetText(kWidthLabel), m_pageSizeSection);
    auto* heightLabel = new QLabel(SheetText(kHeightLabel), m_pageSizeSection);
    widthLabel->setBuddy(m_widthEdit);
    heightLabel->setBuddy(m_heightEdit);
    sizes->addWidget(widthLabel);
    sizes->addWidget(m_widthEdit);
    sizes->addSpacing(12);
    sizes->addWidget(heightLabel);
    sizes->addWidget(m_heightEdit);
    sizes->addStretch(1);
    form->addRow(sizes);
    for (int fit : {9372, 9373, 9374}) {
        auto* radio = new QRadioButton(SheetText(fit), m_pageSizeSection);
        m_fitRadios.push_back({fit, radio});
        form->addRow(radio);
        QObject::connect(radio, &QRadioButton::clicked, radio, [this, fit] { OnFitClicked(fit); });
    }
    QObject::connect(m_pageSizeCombo, &QComboBox::activated, m_pageSizeSection,
                     [this] { OnPageSizeChosen(); });
    QObject::connect(m_widthEdit, &QLineEdit::textEdited, m_widthEdit,
                     [this](const QString& text) { OnSizeTyped(true, text); });
    QObject::connect(m_heightEdit, &QLineEdit::textEdited, m_heightEdit,
                     [this](const QString& text) { OnSizeTyped(false, text); });
    return m_pageSizeSection;
}

QWidget* CQuibUS_PrintPage::BuildIconOptions(QWidget& page)
{
    QFormLayout* form = newSection(page, m_iconSection);
    m_iconSizeCombo = new QComboBox(m_iconSection);
    m_iconSizeCombo->setObjectName(QStringLiteral("iconSize"));
    m_iconSizeCombo->addItem(SheetText(9377), 0x40);
    m_iconSizeCombo->addItem(SheetText(9378), 0x80);
    m_iconSizeCombo->addItem(SheetText(9379), 0xC0);
    form->addRow(SheetText(kIconSizeLabel), m_iconSizeCombo);
    form->addRow(AddOptionBox(kIntentionMarker, 9383, m_iconSection));
    form->addRow(AddOptionBox(kSentenceNumber, 9384, m_iconSection));
    form->addRow(AddOptionBox(kSeparationLine, 9385, m_iconSection));
    QObject::connect(m_iconSizeCombo, &QComboBox::activated, m_iconSection, [this] { OnIconSizeChosen(); });
    return m_iconSection;
}

QWidget* CQuibUS_PrintPage::BuildLetter(QWidget& page)
{
    QFormLayout* form = newSection(page, m_letterSection);
    m_placeEdit = AddReportingEdit(*form, kPlaceLabel, "placeAndDate", 0);
    m_signatureEdit = AddReportingEdit(*form, kSignatureLabel, "signature", 0);
    auto* fontRow = new QHBoxLayout;
    m_fontText = new QLabel(m_letterSection);
    m_fontText->setObjectName(QStringLiteral("letterFont"));
    auto* fontButton = new QPushButton(SheetText(kChooseFontText), m_letterSection);
    fontRow->addWidget(m_fontText, 1);
    fontRow->addWidget(fontButton);
    form->addRow(SheetText(kFontLabel), fontRow);
    QObject::connect(fontButton, &QPushButton::clicked, fontButton, [this] { ChooseFont(); });
    return m_letterSection;
}

QWidget* CQuibUS_PrintPage::BuildGeneral(QWidget& page)
{
    QFormLayout* form = newSection(page, m_generalSection);
    m_headerEdit = AddReportingEdit(*form, kHeaderLabel, "pageHeader", 0);
    m_footerEdit = AddReportingEdit(*form, kFooterLabel, "pageFooter", 0);
    form->addRow(AddOptionBox(kTransparentQuality, 9382, m_generalSection));
    return m_generalSection;
}

QWidget* CQuibUS_PrintPage::BuildPageBoxes(QWidget& page)
{
    QFormLayout* form = newSection(page, m_pageBoxesSection);
    form->addRow(AddOptionBox(kPrintHeader, 9386, m_pageBoxesSection));
    form->addRow(AddOptionBox(kPrintFooter, 9387, m_pageBoxesSection));
    return m_pageBoxesSection;
}

// Shows the controls of a mode. The general options edit the option word of the mode shown before.
void CQuibUS_PrintPage::ShowMode(int mode)
{
    m_shownMode = mode;
    if (mode != kGeneralOptions && modeIndex(mode) >= 0)
        m_optionMode = mode;
    const bool withIcons = mode == 5029 || mode == 5031;
    m_pageSizeSection->setVisible(mode == kPocketbookPage);
    m_iconSection->setVisible(withIcons);
    m_letterSection->setVisible(mode == 5032);
    m_generalSection->setVisible(mode == kGeneralOptions);
    m_pageBoxesSection->setVisible(mode != kGeneralOptions);
    UpdateData(false);
}

bool CQuibUS_PrintPage::DoDataExchange(bool save)
{
    if (save) {
        m_header = m_headerEdit->text();
        m_footer = m_footerEdit->text();
        m_placeAndDate = m_placeEdit->text();
        m_signature = m_signatureEdit->text();
        return true;
    }
    const std::uint32_t options = ShownOptions();
    for (const OptionBoxOf& each : m_optionBoxes)
        each.box->setChecked(options & each.bit);
    SelectItemByValue(*m_iconSizeCombo, static_cast<int>(options & kIconSizeBits));
    SelectItemByValue(*m_pageSizeCombo, m_pageChoice);
    const bool other = m_pageChoice == kOtherSize;
    m_widthEdit->setText(QString::number(m_pageSize.cx));
    m_heightEdit->setText(QString::number(m_pageSize.cy));
    m_widthEdit->setEnabled(other);
    m_heightEdit->setEnabled(other);
    for (const FitRadioOf& each : m_fitRadios)
        each.radio->setChecked(each.fit == m_fit);
    m_headerEdit->setText(m_header);
    m_footerEdit->setText(m_footer);
    m_placeEdit->setText(m_placeAndDate);
    m_signatureEdit->setText(m_signature);
    m_fontText->setText(m_letterFont.Describe());
    return true;
}

// The shown option word takes the boxes that the mode shows; the others keep their bits.
void CQuibUS_PrintPage::OnOptionClicked()
{
    std::uint32_t& options = ShownOptions();
    const std::uint32_t before = options;
    for (const OptionBoxOf& each : m_optionBoxes) {
        if (each.box->isVisibleTo(GetWidget()))
            options = each.box->isChecked() ? (options | each.bit) : (options & ~each.bit);
    }
    if (options != before)
        Report(0);
}

void CQuibUS_PrintPage::OnIconSizeChosen()
{
    std::uint32_t& options = ShownOptions();
    const std::uint32_t before = options;
    options = (options & ~kIconSizeBits) |
              (static_cast<std::uint32_t>(SelectedValue(*m_iconSizeCombo)) & kIconSizeBits);
    if (options != before)
        Report(0);
}

void CQuibUS_PrintPage::OnPageSizeChosen()
{
    m_pageChoice = SelectedValue(*m_pageSizeCombo, m_pageChoice);
    m_pageSize = sizeOfChoice(m_pageChoice, m_otherSize);
    Report(0);
    UpdateData(false);
}

// A typed size above 0 is the page's size and the size kept for "Other", which it selects.
void CQuibUS_PrintPage::OnSizeTyped(bool width, const QString& text)
{
    const int typed = StringToInt(text);
    LONG& page = width ? m_pageSize.cx : m_pageSize.cy;
    if (typed <= 0 || typed == page)
        return;
    page = typed;
    (width ? m_otherSize.cx : m_otherSize.cy) = typed;
    m_pageChoice = kOtherSize;
    SelectItemByValue(*m_pageSizeCombo, m_pageChoice);
    Report(0);
}

void CQuibUS_PrintPage::OnFitClicked(int fit)
{
    m_fit = fit;
    Report(0);
}

void CQuibUS_PrintPage::ChooseFont()
{
    if (m_letterFont.ChooseFont() != lumivo::ui::IDOK)
        return;
    Report(0);
    m_fontText->setText(m_letterFont.Describe());
}

void CQuibUS_PrintPage::OnOK()
{
    CQuibUser* user = User();
    if (!user)
        return;
    user->PrintFit = m_fit;
    user->PrintPageChoice = m_pageChoice;
    user->PrintPageSize = m_pageSize;
    user->PrintIconSize = m_otherSize;
    user->PrintValues = m_options;
    user->PrintHeader = m_header;
    user->PrintFooter = m_footer;
    user->PrintFont = m_letterFont.ToString();
    user->LetterHead = m_placeAndDate;
    user->LetterEnd = m_signature;
}
