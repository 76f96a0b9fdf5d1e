#include "shell/ColorCombo.h"
#include "tests/support/LumivoTest.h"

using lumivo::test::LumivoTest;

class ColorComboTest : public LumivoTest
{
protected:
    static CColor colour(int id, const char* name, std::uint32_t extra = kColorExtraShown)
    {
        CColor color;
        color.Set(RGB(id, 0, 0), static_cast<std::uint8_t>(id), QString::fromLatin1(name), extra);
        return color;
    }
};

TEST_F(ColorComboTest, SelectsByNumberAndKeepsTheSelectionThroughSorting)
{
    CColorCombo combo;
    const CColor other = colour(kColorOther, "Other...", kColorExtraShown | kColorExtraUserDefinable);
    for (const CColor& color : {colour(30, "Green"), colour(7, "Red"), other, colour(7, "Crimson")})
        combo.InsertColor(-1, &color);
    EXPECT_EQ(combo.InsertColor(-1, nullptr), -1);

    EXPECT_EQ(combo.SelectColor(CColor::MakePacked(0, 0, 0, 7)), 3); // the last of its number
    EXPECT_EQ(combo.SortItems(), 1);
    EXPECT_EQ(combo.itemText(combo.currentIndex()), QStringLiteral("Crimson"));
    EXPECT_EQ(combo.itemText(2), QStringLiteral("Green"));

    EXPECT_EQ(combo.SelectColor(CColor::MakePacked(1, 2, 3, 0)), combo.UserDefinableIndex());
    EXPECT_EQ(combo.SelectColor(CColor::MakePacked(0, 0, 0, 99)), -1);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_FALSE(combo.PickCustomColor()); // nothing selected

    // Replacing an entry keeps one entry per place.
    const CColor blue = colour(40, "Blue");
    EXPECT_EQ(combo.InsertColor(0, &blue), 0);
    EXPECT_EQ(combo.count(), 4);
    CColor found;
    EXPECT_TRUE(combo.FindColorById(40, found));
    EXPECT_EQ(found.GetName(), QStringLiteral("Blue"));
}
