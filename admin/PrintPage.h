#pragma once
// The Print page of the user-settings sheet, the only page of the print settings: for each kind of
// printout its own options, the size and fitting of the pocketbook page, the page header and footer,
// and the letter's place-and-date line, signature and font. The print view reads these fields.

#include "admin/UserSettingsPage.h"
#include "platform/types/WinTypes.h"
#include "store/StoredFont.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CQuibUS_PrintPage : public CQuibUS_Page
{
public:
    // "Print of" items: the print commands, and the options every printout shares.
    static constexpr int kPocketbookPage = 5026;
    static constexpr int kGeneralOptions = 9375;
    // Page sizes, by their string ids.
    static constexpr int kOtherSize = 9369;
    static constexpr int kNotebookLarge = 9370;
    static constexpr int kNotebookSmall = 9371;
    static constexpr std::uint32_t kIconSizeBits = 0x0F0;

    explicit CQuibUS_PrintPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    // The mode shown, and the option word of a print mode.
    int GetShownMode() const { return m_shownMode; }
    std::uint32_t GetOptions(int mode) const;
    int GetPageChoice() const { return m_pageChoice; }
    CSize GetPageSize() const { return m_pageSize; }
    CSize GetOtherSize() const { return m_otherSize; }
    int GetFit() const { return m_fit; }

    QComboBox* ModeCombo() const { return m_modeCombo; }
    QComboBox* PageSizeCombo() const { return m_pageSizeCombo; }
    QLineEdit* WidthEdit() const { return m_widthEdit; }
    QLineEdit* HeightEdit() const { return m_heightEdit; }
    QComboBox* IconSizeCombo() const { return m_iconSizeCombo; }
    QLineEdit* HeaderEdit() const { return m_headerEdit; }
    QLineEdit* PlaceEdit() const { return m_placeEdit; }
    QLabel* FontDescription() const { return m_fontText; }
    QCheckBox* OptionBox(std::uint32_t bit) const;
    QRadioButton* FitRadio(int fit) const;

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;

private:
    struct OptionBoxOf {
        std::uint32_t bit;
        QCheckBox* box;
    };
    struct FitRadioOf {
        int fit;
        QRadioButton* radio;
    };

    QWidget* BuildPageSize(QWidget& page);
    QWidget* BuildIconOptions(QWidget& page);
    QWidget* BuildLetter(QWidget& page);
    QWidget* BuildGeneral(QWidget& page);
    QWidget* BuildPageBoxes(QWidget& page);
    QCheckBox* AddOptionBox(std::uint32_t bit, int textId, QWidget* parent);
    void ShowMode(int mode);
    std::uint32_t& ShownOptions();
    void OnOptionClicked();
    void OnIconSizeChosen();
    void OnPageSizeChosen();
    void OnSizeTyped(bool width, const QString& text);
    void OnFitClicked(int fit);
    void ChooseFont();

    int m_shownMode = 5029;
    int m_optionMode = 5029; // whose option word the boxes edit
    int m_fit = 9374;
    int m_pageChoice = kNotebookLarge;
    CSize m_pageSize{170, 85};
    CSize m_otherSize{140, 93};
    std::array<std::uint32_t, 6> m_options{};
    QString m_header;
    QString m_footer;
    CStoredFont m_letterFont;
    QString m_placeAndDate;
    QString m_signature;

    QComboBox* m_modeCombo = nullptr;
    QWidget* m_pageSizeSection = nullptr;
    QWidget* m_iconSection = nullptr;
    QWidget* m_letterSection = nullptr;
    QWidget* m_generalSection = nullptr;
    QWidget* m_pageBoxesSection = nullptr;
    QComboBox* m_pageSizeCombo = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    std::vector<FitRadioOf> m_fitRadios;
    std::vector<OptionBoxOf> m_optionBoxes;
    QComboBox* m_iconSizeCombo = nullptr;
    QLineEdit* m_headerEdit = nullptr;
    QLineEdit* m_footerEdit = nullptr;
    QLineEdit* m_placeEdit = nullptr;
    QLineEdit* m_signatureEdit = nullptr;
    QLabel* m_fontText = nullptr;
};
