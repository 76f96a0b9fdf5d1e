// The wrapping rule of icon texts.

#include "panes/IconText.h"
#include "tests/support/LumivoTest.h"

class IconTextTest : public lumivo::test::LumivoTest
{
};

TEST_F(IconTextTest, WrapBreaksAfterPunctuationAtSoftHyphensAndAtHardBreaks)
{
    const auto chars = [](const QString& line) { return int(line.size()); };
    EXPECT_EQ(WrapText(QString::fromUtf8("abc\u00ADdef"), 4, chars), "abc-\ndef");
    EXPECT_EQ(WrapText("one,two", 5, chars), "one,\ntwo");
    EXPECT_EQ(WrapText("ab cd", 3, chars), "ab\ncd");
    EXPECT_EQ(WrapText(QString::fromUtf8("a\u00ACb"), 100, chars), "a\nb");
    EXPECT_EQ(WrapText("abcdef", 3, chars), "abc\ndef");
}
