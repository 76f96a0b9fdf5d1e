// Resource types as the resource editor shows and reads them.

#include "admin/ResourceTypeText.h"

#include "admin/AdminStrings.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

using lumivo::test::LumivoTest;

namespace
{

std::int32_t typeOfBytes(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
{
    return static_cast<std::int32_t>((std::uint32_t{a} << 24) | (std::uint32_t{b} << 16) |
                                     (std::uint32_t{c} << 8) | d);
}

} // namespace

using ResourceTypeTextTest = LumivoTest;

TEST_F(ResourceTypeTextTest, BytesShowAsCharactersAndNumbersMostSignificantFirst)
{
    EXPECT_EQ(FormatResType(MakeBgType(1, 2)), "'gb?\?'  '103-98-1-2'");
    EXPECT_EQ(FormatResType(MakeWordType(1)), "'gw?\?'  '103-119-0-1'");
    // The Danish letters and the few signs show as themselves, in the 8-bit character set.
    EXPECT_EQ(FormatResType(typeOfBytes(0xE6, 0xD8, ' ', '*')), "'æØ *'  '230-216-32-42'");
    EXPECT_EQ(FormatResType(typeOfBytes('-', '_', '+', 0x80)), "'-_+?'  '45-95-43-128'");
    EXPECT_EQ(FormatResType(-1), "'?\?\?\?'  '255-255-255-255'");
}

TEST_F(ResourceTypeTextTest, FourCharactersOrFourNumbersAreRead)
{
    lumivo::ui::ScopedAnswerer answerer;
    EXPECT_EQ(ParseResType("gb12", true), typeOfBytes('g', 'b', '1', '2'));
    EXPECT_EQ(ParseResType("103-98-1-2", true), MakeBgType(1, 2));
    EXPECT_EQ(ParseResType("  103-98-1-2 ", true), MakeBgType(1, 2));
    EXPECT_EQ(ParseResType("æøåÅ", true), typeOfBytes(0xE6, 0xF8, 0xE5, 0xC5));
    EXPECT_EQ(ParseResType("", true), 0);
    EXPECT_TRUE(answerer.questions().empty());
}

TEST_F(ResourceTypeTextTest, AnythingElseIsRefusedWithTheTwoForms)
{
    lumivo::ui::ScopedAnswerer answerer;
    // A blank at either end is trimmed away, so " æøå " has three characters left.
    for (const char* text :
         {"103-98-1-300", "gb1", "1-2-3", "7x-1-2-3", "1--2-3", "'1'-2-3-4", "ab€\u4e2d", " æøå "})
        EXPECT_EQ(ParseResType(QString::fromUtf8(text), true), std::nullopt) << text;
    ASSERT_EQ(answerer.questions().size(), 8u);
    EXPECT_EQ(answerer.questions().front().text, "The format must be \"ABCD\" or \"65-125-77-98\"");
    EXPECT_EQ(ParseResType("103-98-1-300", false), std::nullopt);
    EXPECT_EQ(answerer.questions().size(), 8u) << "asked not to, it tells nothing";
}
