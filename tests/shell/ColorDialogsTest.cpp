// The colour dialog as the program uses it: the person's own colours are its custom colours.

#include "shell/ColorDialogs.h"
#include "platform/ui/Ui.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"

#include <QColorDialog>

class ColorDialogsTest : public lumivo::test::LumivoTest
{
};

TEST_F(ColorDialogsTest, PickColorAsksWithTheCustomColours)
{
    theUserColors[0] = RGB(1, 2, 3);
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply(QColor(10, 20, 30));
    COLORREF color = RGB(200, 100, 50);
    EXPECT_TRUE(PickColor(color));
    EXPECT_EQ(color, RGB(10, 20, 30));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].kind, lumivo::ui::QuestionKind::Color);
    EXPECT_EQ(QColorDialog::customColor(0), QColor(1, 2, 3));

    // Cancelled: the colour stays.
    EXPECT_FALSE(PickColor(color));
    EXPECT_EQ(color, RGB(10, 20, 30));
}
