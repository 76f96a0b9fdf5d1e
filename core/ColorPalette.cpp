#include "core/ColorPalette.h"

#include "core/User.h"
#include "system/SystemStrings.h"

CQuibColorTable theSystemColorTable;

void ResetSystemColorTable()
{
    theSystemColorTable.clear();
}

namespace
{

struct BuiltInColor {
    int number;
    std::uint32_t packed;
    int nameString;
    std::uint32_t extra;
};

constexpr BuiltInColor kBuiltInColors[] = {
    {1, 0x01000000, 1302, 0x10000},   {2, 0x02FFFFFF, 1303, 0x10000},    {3, 0x03D3CEAD, 1304, 0x10000},
    {4, 0x0400FF00, 1305, 0x10000},   {5, 0x050000FF, 1306, 0x10000},    {251, 0xFBFFFFFF, 1307, 0x90000},
    {254, 0xFE7D7D19, 1308, 0xD0000}, {255, 0xFFFFFFFF, 1309, 0x210000},
};

CColor* findIn(const CQuibColorTable& table, int number)
{
    const auto found = table.find(static_cast<std::uint16_t>(number));
    return found == table.end() ? nullptr : found->second.get();
}

void addPaletteRange(CColorComboTarget& combo, int first, int last)
{
    for (int number = first; number <= last; ++number) {
        if (const CColor* color = GetPaletteColor(number))
            combo.InsertColor(*color);
    }
}

} // namespace

void BuildDefaultColorTable()
{
    theSystemColorTable.clear();
    for (const BuiltInColor& entry : kBuiltInColors) {
        auto color = std::make_unique<CColor>();
        color->Set(entry.packed, static_cast<std::uint8_t>(entry.number), LoadSystemString(entry.nameString),
                   entry.extra);
        theSystemColorTable[static_cast<std::uint16_t>(entry.number)] = std::move(color);
    }
}

CColor* GetPaletteColor(int number)
{
    if (theCurrentUser) {
        if (CColor* color = findIn(theCurrentUser->ColorTable, number))
            return color;
        if (theCurrentUser->Profile) {
            if (CColor* color = findIn(theCurrentUser->Profile->ColorTable, number))
                return color;
        }
    }
    return findIn(theSystemColorTable, number);
}

int ResolvePaletteColor(std::uint32_t& packed)
{
    const int number = static_cast<int>(packed >> 24);
    if (number > 254)
        return number;
    const CColor* color = GetPaletteColor(number);
    if (!color)
        return -number;
    packed = color->GetPacked();
    return number;
}

int FillColorCombo(CColorComboTarget& combo, std::uint32_t selected, bool standard, bool user,
                   std::initializer_list<int> extras)
{
    combo.ResetContent();
    if (standard)
        addPaletteRange(combo, kFirstStandardColor, kLastStandardColor);
    if (user)
        addPaletteRange(combo, kFirstUserColor, kLastUserColor);
    int taken = 0;
    for (int number : extras) {
        if (++taken > 8)
            break;
        if (number == 0)
            continue;
        if (const CColor* color = GetPaletteColor(number))
            combo.InsertColor(*color);
    }
    if (!combo.SelectColor(selected) && !combo.HasUserDefinableEntry()) {
        if (const CColor* other = GetPaletteColor(kColorOther))
            combo.InsertColor(*other);
    }
    combo.SortItems();
    return 0;
}
