#pragma once
// The colour palettes: the built-in named colours and the user's and the profile's own colours. A
// packed colour's id byte is its colour number: 0 to 100 the standard palette, 101 to 199 the user's
// colours, 251 "None", 254 the transparent colour and 255 the user-definable "Other..." entry. The
// colour dialog's custom colours are the shell's (shell/ColorDialogs.h).

#include "platform/types/WinTypes.h"
#include "store/Color.h"

#include <cstdint>
#include <map>
#include <memory>

using CQuibColorTable = std::map<std::uint16_t, std::unique_ptr<CColor>>;

// The built-in named colours, rebuilt by BuildDefaultColorTable.
extern CQuibColorTable theSystemColorTable;
void ResetSystemColorTable(); // empty until the next BuildDefaultColorTable

constexpr int kFirstStandardColor = 0;
constexpr int kLastStandardColor = 100;
constexpr int kFirstUserColor = 101;
constexpr int kLastUserColor = 199;
constexpr int kColorNone = 251;
constexpr int kColorTransparent = 254;
constexpr int kColorOther = 255;

// Extra bits of a palette colour, read by the colour combo box.
constexpr std::uint32_t kColorExtraShown = 0x10000;
constexpr std::uint32_t kColorExtraUserDefinable = 0x200000;

void BuildDefaultColorTable();

// The colour with that number: the current user's table, then (when the user follows a profile) the
// profile's, then the built-in table. Null when none holds it.
CColor* GetPaletteColor(int number);

// Takes the colour number n of a packed colour: above 254 it is returned as it is; a number no table
// holds gives -n; otherwise the packed colour becomes the palette's and n is returned.
int ResolvePaletteColor(std::uint32_t& packed);

// What FillColorCombo needs of a colour combo box (the combo keeps its own copies of the colours).
class CColorComboTarget
{
public:
    virtual ~CColorComboTarget() = default;
    virtual void ResetContent() = 0;
    virtual void InsertColor(const CColor& color) = 0;
    // Selects the entry of a packed colour; false when no entry got selected.
    virtual bool SelectColor(std::uint32_t packed) = 0;
    virtual bool HasUserDefinableEntry() const = 0;
    virtual void SortItems() = 0;
};

// Fills a combo with the standard and/or user palette and up to eight further colour numbers (a 0 is
// none and is passed over), selects `selected` (adding "Other..." when nothing could be selected) and sorts
// it.
int FillColorCombo(CColorComboTarget& combo, std::uint32_t selected, bool standard, bool user,
                   std::initializer_list<int> extras = {});
