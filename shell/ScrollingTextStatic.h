#pragma once
// A band of text lines (and pictures) that rise slowly through the control, like film credits. Each
// line enters at the bottom edge, one pixel per step, in the font and colour of its kind, over a plain,
// gradient or picture background. Its owner steps it; the control keeps no timer of its own.

#include "platform/types/WinTypes.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>

class CScrollingTextStatic : public QWidget
{
public:
    // The only timer id Step acts on.
    static constexpr unsigned kScrollTimerId = 150;

    // The kinds of line, in the order of their heights and markers.
    enum LineKind { kTitleLine, kHeadingLine, kSubheadingLine, kPlainLine, kPictureLine };
    // Indexes of SetColor.
    enum ColorIndex { kBackgroundColor, kTitleColor, kHeadingColor, kSubheadingColor, kPlainColor };
    static constexpr int kColorCount = 5;

    explicit CScrollingTextStatic(QWidget* parent = nullptr);
    ~CScrollingTextStatic() override;

    // Cuts the text into lines at every separator (an empty piece stays an empty line) and starts
    // again at the first line.
    void SetText(const QString& text, QChar separator);
    // The same with the system string `stringId`.
    void SetText(unsigned stringId, QChar separator);
    // false when there are no lines; otherwise drops the entering picture and starts at the first line.
    bool Restart();
    // Drops the entering picture.
    void Stop();

    // false for an index outside 0 to 4.
    bool SetColor(int index, COLORREF color);
    COLORREF GetColor(int index) const;
    // The height of a text kind's lines in pixels (at least 1); the picture kind has none.
    void SetLineHeight(LineKind kind, int pixels);
    void SetMarker(LineKind kind, QChar marker);
    // 0: plain; 1 to 4: a gradient of the background colour (to black, to white, from black, from white).
    void SetGradientMode(int mode);
    void SetTransparentPictures(bool on);
    // false when the picture does not exist; the earlier picture is dropped either way.
    bool SetBackgroundPicture(unsigned bitmapId);
    bool SetBackgroundBitmap(const QImage& picture);

    // One tick of the scroll for timer kScrollTimerId: false, and nothing done, for any other id.
    bool Step(unsigned timerId);

    // The band as the control shows it now, in control coordinates (the band's rectangle below);
    // outside the band the control draws nothing and its parent shows through.
    QRect BandRect() const;
    const QImage& BandPicture() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void resetPosition();
    void takeNextLine();
    void takePicture(const QString& name);
    void widenBand(int width);
    void renderTick();
    void prepareContent();
    QColor fillColor() const;
    QColor fillColorAt(int x) const;
    void fillRows(int top, int bottom);
    void drawEnteringLine();
    void composeBand();

    QStringList m_lines;
    QString m_currentLine; // as shown: without its marker
    LineKind m_currentKind = kPlainLine;
    QFont m_lineFont; // of the entering line
    std::uint32_t m_counter = 1;
    int m_nextLine = 0;

    std::array<COLORREF, kColorCount> m_colors;
    std::array<int, 4> m_lineHeights;
    std::array<QChar, 5> m_markers; // by kind; the plain kind has no marker of its own

    int m_scrollStep = -1;
    int m_scrolled = 0;
    int m_enteringHeight;

    QImage m_picture; // the picture line entering
    bool m_pictureEntering = false;

    QImage m_background;

    int m_bandWidth = 0;
    bool m_firstPass = true;
    int m_gradientMode = 0;
    bool m_transparentPictures = false;

    QImage m_content; // what has risen so far, over the fill colour, the control's size
    QImage m_shown;   // the band as last composed
};
