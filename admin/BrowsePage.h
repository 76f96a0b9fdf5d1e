#pragma once
// The Browse page of the user-settings sheet: how the browse callout shows the selected icon
// enlarged: its shape, which parts and buttons it shows, the font of its text and its colour.

#include "admin/UserSettingsPage.h"
#include "store/StoredFont.h"

#include <array>
#include <cstdint>

class CColorCombo;
class QCheckBox;
class QComboBox;
class QLabel;

class CQuibUS_BrowseViewPage : public CQuibUS_Page
{
public:
    static constexpr std::uint32_t kAppearanceBits = 0x000F;
    // The option boxes, in their order on the page.
    static constexpr std::array<std::uint32_t, 7> kOptionBits{0x0010, 0x0020, 0x0040, 0x0080,
                                                              0x1000, 0x2000, 0x4000};

    explicit CQuibUS_BrowseViewPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    std::uint32_t GetFlags() const { return m_flags; }
    std::uint32_t GetColor() const { return m_color; }
    const CStoredFont& GetFont() const { return m_font; }
    QComboBox* AppearanceCombo() const { return m_appearance; }
    QCheckBox* OptionBox(int index) const { return m_options[static_cast<std::size_t>(index)]; }
    QLabel* FontDescription() const { return m_fontText; }
    CColorCombo* ColorCombo() const { return m_colorCombo; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnSetActive() override;
    void OnOK() override;

private:
    void ChooseFont();

    std::uint32_t m_color = 0x03D3CEAD;
    std::uint32_t m_flags = 0x5011;
    CStoredFont m_font;
    QComboBox* m_appearance = nullptr;
    std::array<QCheckBox*, 7> m_options{};
    QLabel* m_fontText = nullptr;
    CColorCombo* m_colorCombo = nullptr;
};
