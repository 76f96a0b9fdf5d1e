#pragma once
// A combo box of named colours: each entry keeps its own copy of a colour and draws a swatch of it
// beside its name (and its colour number, when asked). One entry may be user-definable ("Other..."):
// choosing it lets the person pick its colour.

#include "core/ColorPalette.h"
#include "store/Color.h"

#include <QComboBox>

#include <cstdint>
#include <memory>
#include <vector>

class CColorCombo : public QComboBox
{
public:
    explicit CColorCombo(QWidget* parent = nullptr);
    ~CColorCombo() override;

    // Extra bits of a colour that change how its entry is drawn.
    static constexpr std::uint32_t kExtraCrossed = 0x40000; // a transparent colour: a cross over the swatch
    static constexpr std::uint32_t kExtraItalic = 0x4000000;

    void SetShowNumbers(bool show);
    void SetShowSwatch(bool show);
    bool ShowsNumbers() const { return m_showNumbers; }
    bool ShowsSwatch() const { return m_showSwatch; }

    // Puts a copy of the colour at `index` (replacing the entry there) or at the end (-1); the index, or
    // -1 without a colour.
    int InsertColor(int index, const CColor* color);
    // Adds every shown colour of the table; the number added.
    int AddColors(const CQuibColorTable& table);
    // Id 0 selects the user-definable entry, any other the last entry of that colour number; nothing is
    // selected when none matches. The index selected, or -1.
    int SelectColor(std::uint32_t packed);
    bool GetItemColor(int index, CColor& color) const;
    bool FindColorById(int number, CColor& color) const;
    bool GetItemPacked(int index, std::uint32_t& packed) const;
    int UserDefinableIndex() const;
    // Orders the entries by colour number; the selected colour stays selected. Its new index.
    int SortItems();
    void Clear();
    // With the user-definable entry selected, asks the person for its colour: false when cancelled.
    // True with an ordinary entry selected, false with none.
    bool PickCustomColor();

    // The combo as FillColorCombo fills it.
    CColorComboTarget& FillTarget();

    // The colour of an entry, for drawing; null out of range.
    const CColor* ColorAt(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class FillAdapter;
    class EntryDelegate;

    QString EntryText(int index) const;

    std::vector<std::unique_ptr<CColor>> m_colors; // in the order of the entries
    std::unique_ptr<FillAdapter> m_fillTarget;
    bool m_showNumbers = false; // switched on by the pages that show the numbers
    bool m_showSwatch = false;
};
