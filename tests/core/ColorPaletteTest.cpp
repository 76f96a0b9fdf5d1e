// The palettes: built-in colours, the user's and the profile's tables, resolving packed colours and
// filling a colour combo.

#include "core/ColorPalette.h"
#include "core/User.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <algorithm>
#include <vector>

namespace
{

std::unique_ptr<CColor> makeColor(std::uint32_t packed, const char* name, std::uint32_t extra = 0x10000)
{
    auto color = std::make_unique<CColor>();
    color->Set(packed, static_cast<std::uint8_t>(packed >> 24), QString::fromLatin1(name), extra);
    return color;
}

// A combo that remembers what it was given.
class RecordingCombo : public CColorComboTarget
{
public:
    void ResetContent() override
    {
        numbers.clear();
        userDefinable = false;
        log.push_back("reset");
    }
    void InsertColor(const CColor& color) override
    {
        numbers.push_back(static_cast<int>(color.GetPacked() >> 24));
        if (color.GetPacked() >> 24 == 255)
            userDefinable = true;
    }
    bool SelectColor(std::uint32_t packed) override
    {
        const int number = static_cast<int>(packed >> 24);
        selected = std::find(numbers.begin(), numbers.end(), number) != numbers.end() ? number : -1;
        return selected >= 0;
    }
    bool HasUserDefinableEntry() const override { return userDefinable; }
    void SortItems() override { log.push_back("sort"); }

    std::vector<int> numbers;
    std::vector<std::string> log;
    int selected = -1;
    bool userDefinable = false;
};

} // namespace

class ColorPaletteTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        BuildDefaultColorTable();
    }
};

TEST_F(ColorPaletteTest, BuiltInColoursCarryTheirNumbersAndExtras)
{
    EXPECT_EQ(theSystemColorTable.size(), 8u);
    ASSERT_NE(GetPaletteColor(3), nullptr);
    EXPECT_EQ(GetPaletteColor(3)->GetPacked(), 0x03D3CEADu);
    EXPECT_EQ(GetPaletteColor(254)->GetPacked(), 0xFE7D7D19u);
    EXPECT_EQ(GetPaletteColor(255)->GetPacked(), 0xFFFFFFFFu);
    EXPECT_EQ(GetPaletteColor(6), nullptr);
    // Building again replaces, it does not add.
    BuildDefaultColorTable();
    EXPECT_EQ(theSystemColorTable.size(), 8u);
}

TEST_F(ColorPaletteTest, UserTableThenProfileThenBuiltIn)
{
    CQuibUser user;
    user.ColorTable[3] = makeColor(0x03010101, "user background");
    user.Profile = std::make_unique<CQuibUser>();
    user.Profile->ColorTable[3] = makeColor(0x03020202, "profile background");
    user.Profile->ColorTable[101] = makeColor(0x65030303, "profile colour");
    theCurrentUser = &user;

    EXPECT_EQ(GetPaletteColor(3)->GetPacked(), 0x03010101u);
    EXPECT_EQ(GetPaletteColor(101)->GetPacked(), 0x65030303u);
    EXPECT_EQ(GetPaletteColor(4)->GetPacked(), 0x0400FF00u);
    EXPECT_EQ(GetPaletteColor(102), nullptr);
}

TEST_F(ColorPaletteTest, ResolvingPackedColours)
{
    std::uint32_t other = 0xFF123456;
    EXPECT_EQ(ResolvePaletteColor(other), 255);
    EXPECT_EQ(other, 0xFF123456u);

    std::uint32_t missing = 0x07123456;
    EXPECT_EQ(ResolvePaletteColor(missing), -7);
    EXPECT_EQ(missing, 0x07123456u);

    std::uint32_t background = 0x03000000;
    EXPECT_EQ(ResolvePaletteColor(background), 3);
    EXPECT_EQ(background, 0x03D3CEADu);
}

TEST_F(ColorPaletteTest, ComboGetsOtherWhenTheSelectionIsAbsent)
{
    RecordingCombo combo;
    combo.numbers = {42};
    EXPECT_EQ(FillColorCombo(combo, 0x07000000, true, false), 0);
    EXPECT_EQ(combo.numbers, (std::vector<int>{1, 2, 3, 4, 5, 255}));
    EXPECT_EQ(combo.log.back(), "sort");

    // A selected colour that is there: nothing added.
    FillColorCombo(combo, 0x03000000, true, false);
    EXPECT_EQ(combo.numbers, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(combo.selected, 3);
}

TEST_F(ColorPaletteTest, ComboExtrasComeInTheOrderGivenAndZeroIsNone)
{
    CQuibUser user;
    user.ColorTable[120] = makeColor(0x78112233, "mine");
    theCurrentUser = &user;
    RecordingCombo combo;
    FillColorCombo(combo, 0xFE000000, false, true, {255, 0, 254, 9});
    // The user range, then the extras that exist; "Other..." is already there.
    EXPECT_EQ(combo.numbers, (std::vector<int>{120, 255, 254}));
    EXPECT_EQ(combo.selected, 254);
}
