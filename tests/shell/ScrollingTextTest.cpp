#include "shell/ScrollingTextStatic.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

#include <QImage>

namespace
{

class ScrollingTextTest : public lumivo::test::LumivoTest
{
protected:
    // A control of the credits' size with `text` cut at "|", stepped `steps` times.
    void stepText(CScrollingTextStatic& text, const QString& content, int steps)
    {
        text.resize(227, 106);
        text.SetText(content, QLatin1Char('|'));
        for (int i = 0; i < steps; ++i)
            ASSERT_TRUE(text.Step(CScrollingTextStatic::kScrollTimerId));
    }
};

struct Ink {
    int rows = 0;    // rows that hold the colour
    int columns = 0; // columns that hold it
};

// Smoothed edges blend into the black fill: a pixel counts by its hue.
bool isRed(QColor pixel)
{
    return pixel.red() > 96 && pixel.green() < pixel.red() / 3 && pixel.blue() < pixel.red() / 3;
}
bool isWhite(QColor pixel)
{
    return pixel.red() > 96 && pixel.red() == pixel.green() && pixel.green() == pixel.blue();
}

Ink inkOf(const QImage& band, bool (*color)(QColor))
{
    Ink ink;
    for (int y = 0; y < band.height(); ++y) {
        for (int x = 0; x < band.width(); ++x) {
            if (color(band.pixelColor(x, y))) {
                ++ink.rows;
                break;
            }
        }
    }
    for (int x = 0; x < band.width(); ++x) {
        for (int y = 0; y < band.height(); ++y) {
            if (color(band.pixelColor(x, y))) {
                ++ink.columns;
                break;
            }
        }
    }
    return ink;
}

} // namespace

// The start height is 15: the first line enters at step 15 and has risen whole 21 steps later.
TEST_F(ScrollingTextTest, TitleLineIsBoldRedWithoutItsMarkerAndPlainLineWhite)
{
    CScrollingTextStatic title;
    stepText(title, QStringLiteral("Lumivo\t"), 15 + 21);
    CScrollingTextStatic plain;
    stepText(plain, QStringLiteral("Lumivo"), 15 + 15);

    const Ink red = inkOf(title.BandPicture(), isRed);
    const Ink white = inkOf(plain.BandPicture(), isWhite);
    EXPECT_EQ(inkOf(title.BandPicture(), isWhite).rows, 0);
    EXPECT_EQ(inkOf(plain.BandPicture(), isRed).rows, 0);
    EXPECT_GT(red.rows, 11);
    EXPECT_LE(red.rows, 21);
    EXPECT_GT(white.rows, 7);
    EXPECT_LE(white.rows, 15);
    // The tab is not drawn: the same six letters, bigger and bolder, and nothing more.
    EXPECT_GT(red.columns, white.columns);
    EXPECT_LT(red.columns, white.columns * 2);
}

// An empty first line draws nothing for its 15 steps; the line after it then enters, and after the
// last line the first comes round again.
TEST_F(ScrollingTextTest, EmptyFirstLineWaitsItsHeightAndTheListWrapsAround)
{
    CScrollingTextStatic text;
    stepText(text, QStringLiteral("|X\t"), 15 + 14);
    EXPECT_EQ(inkOf(text.BandPicture(), isRed).rows, 0);

    ASSERT_TRUE(text.Step(CScrollingTextStatic::kScrollTimerId));
    EXPECT_EQ(inkOf(text.BandPicture(), isRed).rows, 0); // its top row is blank
    for (int i = 0; i < 20; ++i)
        text.Step(CScrollingTextStatic::kScrollTimerId);
    const int firstPassRows = inkOf(text.BandPicture(), isRed).rows;
    EXPECT_GT(firstPassRows, 11);

    // The empty line again (15 steps), then X once more: twice its ink.
    for (int i = 0; i < 15 + 21; ++i)
        text.Step(CScrollingTextStatic::kScrollTimerId);
    EXPECT_EQ(inkOf(text.BandPicture(), isRed).rows, 2 * firstPassRows);
    EXPECT_FALSE(text.Step(CScrollingTextStatic::kScrollTimerId + 1));
}

// Over a background picture, the picture shows wherever the band holds only its fill colour.
TEST_F(ScrollingTextTest, BackgroundPictureShowsAroundTheText)
{
    CScrollingTextStatic text;
    QImage green(227, 106, QImage::Format_RGB32);
    green.fill(QColor(0, 128, 0));
    ASSERT_TRUE(text.SetBackgroundBitmap(green));
    text.SetTransparentPictures(true);
    stepText(text, QStringLiteral("Lumivo\t"), 15 + 21);

    const QImage& band = text.BandPicture();
    ASSERT_FALSE(band.isNull());
    int other = 0;
    for (int y = 0; y < band.height(); ++y) {
        for (int x = 0; x < band.width(); ++x) {
            const QColor pixel = band.pixelColor(x, y);
            other += pixel != QColor(0, 128, 0) && pixel != QColor(255, 0, 0);
        }
    }
    EXPECT_EQ(other, 0);
    EXPECT_GT(inkOf(band, isRed).rows, 11);
    EXPECT_FALSE(text.SetBackgroundPicture(99999));
}
