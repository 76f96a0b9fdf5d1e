// Stored colours (packing, tables, the stream form) and stored fonts (text form, description, drawing).
#include "platform/ui/Ui.h"
#include "store/Color.h"
#include "store/StoredFont.h"
#include "tests/support/LumivoTest.h"

#include <QImage>
#include <QPainter>

using lumivo::test::LumivoTest;

namespace
{

QByteArray store(CObject& object)
{
    CMemFile file;
    {
        CArchive ar(file, CArchive::store);
        object.Serialize(ar);
        ar.Close();
    }
    return file.Detach();
}

void load(CObject& object, const QByteArray& bytes)
{
    CMemFile file;
    file.Attach(bytes);
    CArchive ar(file, CArchive::load);
    object.Serialize(ar);
}

std::unique_ptr<CColor> namedColor(std::uint8_t id, COLORREF rgb, const char* name)
{
    auto color = std::make_unique<CColor>();
    color->Set(rgb, id, name);
    return color;
}

} // namespace

class ColorTest : public LumivoTest
{
};

TEST_F(ColorTest, PackedColoursHoldRgbLowAndTheIdHigh)
{
    CColor color;
    EXPECT_EQ(color.GetPacked(), 0x00FFFFFFu);
    EXPECT_EQ(color.GetFlag(), 0xFF);
    color.Set(0x12345678, 7, "Sea");
    EXPECT_EQ(color.GetRGB(), 0x345678u);
    EXPECT_EQ(color.GetPacked(), 0x07345678u);
    EXPECT_EQ(color.SetRGB(0xFF000001), 0x07345678u);
    EXPECT_EQ(color.GetPacked(), 0x07000001u);
    EXPECT_EQ(CColor::MakePacked(0x11, 0x22, 0x33, 0x44), 0x44332211u);
    EXPECT_EQ(CColor::MakePacked(0x11, 0x22, 0x33), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(CColor::PackedToRGB(0x44332211), 0x332211u);
    EXPECT_EQ(CColor::PackedID(0x44332211), 0x44);
    EXPECT_EQ(color.SetName("Ocean"), "Sea");

    CColor copy(&color);
    EXPECT_EQ(copy.GetPacked(), color.GetPacked());
    EXPECT_EQ(copy.GetName(), "Ocean");
    EXPECT_EQ(copy.GetSource(), &color);
    copy.Init();
    EXPECT_EQ(copy.GetPacked(), 0x00FFFFFFu);
    EXPECT_EQ(copy.GetSource(), nullptr);
}

TEST_F(ColorTest, TheStreamFormIsVersionNameIdRgbFlagExtra)
{
    CColor color;
    color.Set(RGB(1, 2, 3), 9, "Red", 0xA1B2C3D4);
    color.SetFlag(0x5A);
    const QByteArray bytes = store(color);
    const QByteArray expected("\x01\x00\x00\x00"  // version
                              "\x03Red"           // name
                              "\x09"              // id
                              "\x01\x02\x03\x00"  // rgb
                              "\x5A"              // flag
                              "\xD4\xC3\xB2\xA1", // extra
                              18);
    EXPECT_EQ(bytes, expected);

    CColor back;
    load(back, bytes);
    EXPECT_EQ(back.GetPacked(), color.GetPacked());
    EXPECT_EQ(back.GetName(), "Red");
    EXPECT_EQ(back.GetFlag(), 0x5A);
    EXPECT_EQ(back.GetExtra(), 0xA1B2C3D4u);
}

TEST_F(ColorTest, AnotherVersionLoadsAsTheDefaults)
{
    CColor color;
    color.Set(RGB(1, 2, 3), 9, "Red");
    QByteArray bytes = store(color);
    bytes[0] = 2;
    load(color, bytes);
    EXPECT_EQ(color.GetPacked(), 0x00FFFFFFu);
    EXPECT_EQ(color.GetName(), "");
    CColor truncated;
    EXPECT_THROW(load(truncated, bytes.left(6).replace(0, 1, "\x01")), CArchiveException);
}

TEST_F(ColorTest, PackedColoursFollowTheCurrentTable)
{
    CColorTable table;
    EXPECT_EQ(CColor::AddToTable(table, namedColor(3, RGB(10, 20, 30), "Grass")), nullptr);
    EXPECT_EQ(CColor::SetColorTable(&table), nullptr);
    EXPECT_EQ(CColor::SetColorTable(&table), nullptr); // already current
    EXPECT_EQ(CColor::GetColorTable(), &table);

    std::uint32_t packed = CColor::MakePacked(1, 1, 1, 3);
    EXPECT_TRUE(CColor::ResolvePacked(packed));
    EXPECT_EQ(packed, CColor::MakePacked(10, 20, 30, 3));
    EXPECT_FALSE(CColor::ResolvePacked(packed));
    std::uint32_t plain = CColor::MakePacked(1, 1, 1, 0);
    EXPECT_FALSE(CColor::ResolvePacked(plain));
    EXPECT_EQ(plain, CColor::MakePacked(1, 1, 1, 0));
    std::uint32_t unknown = CColor::MakePacked(1, 1, 1, 4);
    EXPECT_FALSE(CColor::ResolvePacked(unknown));
    EXPECT_EQ(CColor::PackedOfID(3), CColor::MakePacked(10, 20, 30, 3));
    EXPECT_EQ(CColor::PackedOfID(4), 0u);

    auto replaced = CColor::AddToTable(table, namedColor(3, RGB(0, 0, 0), "Night"));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->GetName(), "Grass");
    auto removed = CColor::FindInTable(3)->RemoveFromTable(table);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->GetName(), "Night");
    EXPECT_TRUE(table.IsEmpty());

    CColor::AddToTable(table, namedColor(5, 0, "x"));
    CColor::DeleteTable(table);
    EXPECT_EQ(CColor::FindInTable(5), nullptr);
    {
        CColorTable shortLived;
        CColor::SetColorTable(&shortLived);
    }
    EXPECT_EQ(CColor::GetColorTable(), nullptr);
}

class StoredFontTest : public LumivoTest
{
};

TEST_F(StoredFontTest, TheDefaultFontRoundTripsThroughItsText)
{
    CStoredFont font;
    EXPECT_EQ(font.ToString(), "-12,0,0,0,400,0,0,0,0,0,0,2,18,Times New Roman,0");
    CStoredFont other("Arial");
    other.SetBold(true);
    other.SetColor(0x80FF00FF);
    EXPECT_TRUE(other.FromString(font.ToString()));
    EXPECT_EQ(other.GetLogFont(), font.GetLogFont());
    EXPECT_EQ(other.GetColor(), 0u);

    CStoredFont styled("Liberation Sans");
    styled.SetHeight(-20);
    styled.SetItalic(true);
    styled.SetUnderline(1);
    styled.SetStrikeOut(1);
    styled.SetColor(0x80FF00FF); // a colour id in the high byte survives
    CStoredFont back;
    EXPECT_TRUE(back.FromString(styled.ToString()));
    EXPECT_EQ(back.GetLogFont(), styled.GetLogFont());
    EXPECT_EQ(back.GetColor(), 0x80FF00FFu);
}

TEST_F(StoredFontTest, AShortOrDamagedTextKeepsWhatItLacksAndLongFacesAreCut)
{
    CStoredFont font;
    EXPECT_FALSE(font.FromString("-20,0,0,0,700"));
    EXPECT_EQ(font.GetHeight(), -20);
    EXPECT_TRUE(font.IsBold());
    EXPECT_EQ(font.GetFaceName(), "Times New Roman");
    EXPECT_FALSE(font.FromString(""));

    const QString longFace(60, QLatin1Char('F'));
    EXPECT_TRUE(font.FromString("-12,0,0,0,400,0,0,0,0,0,0,2,18," + longFace + ",5"));
    EXPECT_EQ(font.GetFaceName(), QString(31, QLatin1Char('F')));
    EXPECT_EQ(font.GetColor(), 5u);
    font.SetFaceName(longFace);
    EXPECT_EQ(font.GetFaceName().size(), 31);
    // A face with a comma does not survive: the text after it is taken for the colour.
    font.SetFaceName("A, B");
    CStoredFont back;
    back.FromString(font.ToString());
    EXPECT_EQ(back.GetFaceName(), "A");
}

TEST_F(StoredFontTest, HeightsFromADamagedTextDrawAtASaneSize)
{
    CStoredFont font;
    for (const char* height : {"-2147483648", "2147483647", "500000000", "-700000000"}) {
        font.FromString(QString::fromLatin1(height) + ",0,0,0,400,0,0,0,0,0,0,2,18,Arial,0");
        EXPECT_GE(font.GetFont().pixelSize(), 1) << height;
        EXPECT_LE(font.GetFont().pixelSize(), 10000) << height;
    }
    EXPECT_EQ(QString::number(font.GetHeight()), "-700000000"); // the stored text keeps its number
    font.SetPointSize(2000000000);
    EXPECT_LT(font.GetHeight(), -2000000000);
}

TEST_F(StoredFontTest, SizesBoldnessAndDescription)
{
    CStoredFont font;
    EXPECT_EQ(font.SetPointSize(12), -12);
    EXPECT_EQ(font.GetHeight(), -16);
    font.SetPointSize(9);
    EXPECT_EQ(font.GetHeight(), -12);
    font.SetPointSize(-9);
    EXPECT_EQ(font.GetHeight(), -12);
    EXPECT_FALSE(font.SetBold(true));
    EXPECT_EQ(font.GetWeight(), 700);
    EXPECT_EQ(font.Describe(), "Times New Roman, 12 pt, bold");
    font.SetItalic(true);
    font.SetUnderline(1);
    font.SetColor(RGB(255, 0, 0));
    EXPECT_EQ(font.Describe(), "Times New Roman, 12 pt, bold, italic, underline, color");
    EXPECT_TRUE(font.SetBold(false));
    font.SetWeight(500);
    EXPECT_TRUE(font.IsBold());
}

TEST_F(StoredFontTest, DrawingUsesPixelHeightsAndMetricTwinsWhileTheNameStays)
{
    CStoredFont font("Arial");
    font.SetHeight(-30);
    font.SetBold(true);
    EXPECT_EQ(font.GetFaceName(), "Arial");
    EXPECT_EQ(font.GetFont().family(), "Liberation Sans");
    EXPECT_EQ(font.GetFont().pixelSize(), 30);
    EXPECT_TRUE(font.GetFont().bold());
    EXPECT_EQ(CStoredFont().GetFont().family(), "Liberation Serif");
    EXPECT_EQ(CStoredFont("MS Sans Serif").GetFont().family(), "Liberation Sans");
    EXPECT_EQ(CStoredFont("Verdana").GetFont().family(), "Verdana");

    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    font.SetDC(&painter);
    font.SetColor(RGB(0, 0, 255));
    EXPECT_EQ(painter.pen().color(), QColor(0, 0, 255));
}

TEST_F(StoredFontTest, ChoosingAFontTakesItsLookButKeepsTheColour)
{
    CStoredFont font;
    font.SetColor(RGB(1, 2, 3));
    lumivo::ui::ScopedAnswerer answerer;
    QFont picked("Liberation Sans");
    picked.setPixelSize(24);
    picked.setItalic(true);
    answerer.reply(picked);
    EXPECT_EQ(font.ChooseFont(), lumivo::ui::IDOK);
    EXPECT_EQ(font.GetFaceName(), "Liberation Sans");
    EXPECT_EQ(font.GetHeight(), -24);
    EXPECT_TRUE(font.IsItalic());
    EXPECT_EQ(font.GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(font.GetQuality(), 2);
    EXPECT_EQ(font.ChooseFont(), lumivo::ui::IDCANCEL);
    EXPECT_EQ(font.GetFaceName(), "Liberation Sans");
    EXPECT_EQ(answerer.questions()[0].kind, lumivo::ui::QuestionKind::Font);

    // The dialog offers the face that draws; confirming it keeps the stored face name.
    CStoredFont times;
    QFont same = times.GetFont();
    same.setBold(true);
    answerer.reply(same);
    EXPECT_EQ(times.ChooseFont(), lumivo::ui::IDOK);
    EXPECT_EQ(times.GetFaceName(), "Times New Roman");
    EXPECT_TRUE(times.IsBold());
}

TEST_F(StoredFontTest, StockFontsAreKnownByIndex)
{
    CStoredFont font;
    EXPECT_TRUE(font.SetStockFont(DEFAULT_GUI_FONT));
    EXPECT_EQ(font.GetHeight(), -11);
    EXPECT_FALSE(font.SetStockFont(15));
    EXPECT_EQ(font.GetHeight(), -11);
}
