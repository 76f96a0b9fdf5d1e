#include "shell/ScrollingTextStatic.h"

#include "panes/IconText.h"
#include "resources/BitmapResource.h"
#include "system/SystemStrings.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace
{

constexpr int kStartLineHeight = 15;
constexpr COLORREF kLightGrey = 0xC0C0C0;
constexpr int kBandMargin = 8; // pixels each side of the widest line
constexpr int kBoldWeight = 700;
constexpr int kThinWeight = 100;

// The font of a text kind: "Arial" whose whole line, ascent and descent, fits the kind's height, so a
// line has fully risen after as many steps as it is high.
QFont lineFont(CScrollingTextStatic::LineKind kind, int lineHeight, bool antialiased)
{
    QFont font;
    for (int size = lineHeight; size > 1; --size) {
        font = IconFont(size);
        if (QFontMetrics(font).height() <= lineHeight)
            break;
    }
    const bool bold = kind != CScrollingTextStatic::kPlainLine;
    font.setWeight(QFont::Weight(bold ? kBoldWeight : kThinWeight));
    // Over a background picture the band is keyed on its fill colour: a smoothed edge would keep a
    // fringe of that colour.
    if (!antialiased)
        font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// One channel of stripe i (0 to 255) of the gradient of `mode` from channel value c.
int gradientChannel(int mode, int c, int i)
{
    switch (mode) {
    case 1:
        return c - i * c / 255;
    case 2:
        return c + i * (255 - c) / 255;
    case 3:
        return i * c / 255;
    case 4:
        return 255 - i * (255 - c) / 255;
    default:
        return c;
    }
}

} // namespace

CScrollingTextStatic::CScrollingTextStatic(QWidget* parent)
    : QWidget(parent), m_colors{0x000000, 0x0000FF, 0x00FFFF, 0xFFFF00, 0xFFFFFF},
      m_lineHeights{21, 19, 17, 15}, m_markers{QChar('\t'), QChar('\n'), QChar('\r'), QChar(), QChar('^')},
      m_enteringHeight(kStartLineHeight)
{
}

CScrollingTextStatic::~CScrollingTextStatic() = default;

void CScrollingTextStatic::SetText(const QString& text, QChar separator)
{
    m_lines = text.split(separator);
    resetPosition();
}

void CScrollingTextStatic::SetText(unsigned stringId, QChar separator)
{
    SetText(LoadSystemString(static_cast<int>(stringId)), separator);
}

bool CScrollingTextStatic::Restart()
{
    if (m_lines.isEmpty())
        return false;
    Stop();
    resetPosition();
    return true;
}

void CScrollingTextStatic::Stop()
{
    m_picture = QImage();
    m_pictureEntering = false;
}

void CScrollingTextStatic::resetPosition()
{
    m_counter = 1;
    m_nextLine = 0;
    m_scrolled = 0;
    m_currentLine.clear();
    m_currentKind = kPlainLine;
    m_enteringHeight = kStartLineHeight;
    m_content = QImage(); // the band starts empty
}

bool CScrollingTextStatic::SetColor(int index, COLORREF color)
{
    if (index < 0 || index >= kColorCount)
        return false;
    m_colors[static_cast<std::size_t>(index)] = color;
    return true;
}

COLORREF CScrollingTextStatic::GetColor(int index) const
{
    return index >= 0 && index < kColorCount ? m_colors[static_cast<std::size_t>(index)] : 0;
}

void CScrollingTextStatic::SetLineHeight(LineKind kind, int pixels)
{
    if (kind >= kTitleLine && kind <= kPlainLine)
        m_lineHeights[kind] = std::max(1, pixels);
}

void CScrollingTextStatic::SetMarker(LineKind kind, QChar marker)
{
    if (kind != kPlainLine)
        m_markers[kind] = marker;
}

void CScrollingTextStatic::SetGradientMode(int mode)
{
    m_gradientMode = mode;
}

void CScrollingTextStatic::SetTransparentPictures(bool on)
{
    m_transparentPictures = on;
}

bool CScrollingTextStatic::SetBackgroundPicture(unsigned bitmapId)
{
    return SetBackgroundBitmap(lumivo::LoadBitmapResource(bitmapId));
}

bool CScrollingTextStatic::SetBackgroundBitmap(const QImage& picture)
{
    m_background = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    m_content = QImage(); // the fill colour may have changed
    return !m_background.isNull();
}

bool CScrollingTextStatic::Step(unsigned timerId)
{
    if (timerId != kScrollTimerId)
        return false;
    if (!m_pictureEntering) {
        if (m_counter % static_cast<std::uint32_t>(m_enteringHeight) == 0)
            takeNextLine();
        ++m_counter;
    }
    renderTick();
    update(BandRect());
    return true;
}

// Takes the next line, from the first again after the last; its height decides when the one after
// it follows.
void CScrollingTextStatic::takeNextLine()
{
    if (m_lines.isEmpty())
        return;
    if (m_nextLine >= m_lines.size()) {
        m_firstPass = false;
        m_nextLine = 0;
    }
    QString line = m_lines[m_nextLine++];
    m_counter = 0; // the step that takes a line counts as its first
    m_scrolled = 0;
    m_currentKind = kPlainLine;
    const QChar last = line.isEmpty() ? QChar() : line.back();
    if (!last.isNull() && last == m_markers[kPictureLine]) {
        line.chop(1);
        takePicture(line);
        if (m_pictureEntering)
            return;
        line += QLatin1Char(' '); // a picture that cannot be loaded shows its name as text
    } else {
        for (const LineKind kind : {kTitleLine, kHeadingLine, kSubheadingLine}) {
            if (!last.isNull() && last == m_markers[kind]) {
                m_currentKind = kind;
                line.chop(1);
                break;
            }
        }
    }
    m_currentLine = line;
    m_enteringHeight = m_lineHeights[m_currentKind];
    m_lineFont = lineFont(m_currentKind, m_enteringHeight, m_background.isNull());
    widenBand(QFontMetrics(m_lineFont).horizontalAdvance(m_currentLine));
}

void CScrollingTextStatic::takePicture(const QString& name)
{
    QImage picture = lumivo::LoadBitmapResource(name);
    if (picture.isNull())
        return;
    if (m_transparentPictures && m_background.isNull()) {
        const QImage mask = picture.createMaskFromColor(toQColor(kLightGrey).rgb(), Qt::MaskOutColor);
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        picture.setAlphaChannel(mask);
    }
    m_picture = picture;
    m_pictureEntering = true;
    m_currentLine.clear();
    m_currentKind = kPictureLine;
    m_enteringHeight = std::max(1, picture.height());
    widenBand(picture.width());
}

// On the first pass through the lines the band grows to the widest line it has shown.
void CScrollingTextStatic::widenBand(int width)
{
    if (!m_firstPass || width <= 0)
        return;
    m_bandWidth = std::min(std::max(m_bandWidth, width + 2 * kBandMargin), this->width());
}

QRect CScrollingTextStatic::BandRect() const
{
    const int band = std::min(m_bandWidth, width());
    return {(width() - band) / 2, 0, band, height()};
}

QColor CScrollingTextStatic::fillColor() const
{
    if (m_transparentPictures && !m_background.isNull())
        return toQColor(kLightGrey);
    return toQColor(m_colors[kBackgroundColor]);
}

// The fill under column x: a stripe of the gradient, or the plain fill colour.
QColor CScrollingTextStatic::fillColorAt(int x) const
{
    const QRect band = BandRect();
    if (m_gradientMode < 1 || m_gradientMode > 4 || !m_background.isNull() || band.width() <= 0)
        return fillColor();
    const int stripe = std::clamp((x - band.left()) * 256 / band.width(), 0, 255);
    const COLORREF c = m_colors[kBackgroundColor];
    return QColor(gradientChannel(m_gradientMode, GetRValue(c), stripe),
                  gradientChannel(m_gradientMode, GetGValue(c), stripe),
                  gradientChannel(m_gradientMode, GetBValue(c), stripe));
}

void CScrollingTextStatic::fillRows(int top, int bottom)
{
    top = std::max(0, top);
    bottom = std::min(m_content.height(), bottom);
    for (int x = 0; x < m_content.width(); ++x) {
        const QRgb rgb = fillColorAt(x).rgb();
        for (int y = top; y < bottom; ++y)
            m_content.setPixel(x, y, rgb);
    }
}

void CScrollingTextStatic::prepareContent()
{
    if (m_content.size() == size())
        return;
    m_content = QImage(size(), QImage::Format_RGB32);
    fillRows(0, m_content.height());
}

// One tick: everything rises by a pixel and the entering line shows one more row at the bottom.
void CScrollingTextStatic::renderTick()
{
    prepareContent();
    if (m_content.isNull())
        return;
    const int rise = -m_scrollStep;
    const int rowBytes = static_cast<int>(m_content.bytesPerLine());
    const int kept = std::max(0, m_content.height() - rise);
    if (kept > 0)
        std::memmove(m_content.bits(), m_content.constScanLine(rise),
                     static_cast<std::size_t>(kept) * rowBytes);
    m_scrolled += rise;
    drawEnteringLine();
    if (m_pictureEntering && m_scrolled >= m_enteringHeight) {
        m_pictureEntering = false;
        m_counter = static_cast<std::uint32_t>(m_enteringHeight); // the next step takes the next line
    }
    composeBand();
}

// Draws the part of the entering line that has risen so far, at the bottom edge.
void CScrollingTextStatic::drawEnteringLine()
{
    const int bottom = m_content.height();
    const int top = bottom - std::min(m_scrolled, m_enteringHeight);
    fillRows(top, bottom);
    QPainter painter(&m_content);
    painter.setClipRect(QRect(0, top, m_content.width(), bottom - top));
    const int lineTop = bottom - m_scrolled;
    if (m_currentKind == kPictureLine) {
        painter.drawImage((m_content.width() - m_picture.width()) / 2, lineTop, m_picture);
        return;
    }
    if (m_currentLine.isEmpty())
        return;
    static constexpr ColorIndex kColorOf[] = {kTitleColor, kHeadingColor, kSubheadingColor, kPlainColor};
    painter.setFont(m_lineFont);
    painter.setPen(toQColor(m_colors[kColorOf[m_currentKind]]));
    painter.drawText(QRect(0, lineTop, m_content.width(), m_enteringHeight),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_currentLine);
}

// The band as the window shows it: over the background picture where something was drawn, the
// picture itself wherever the band holds only its fill colour.
void CScrollingTextStatic::composeBand()
{
    const QRect band = BandRect();
    m_shown = m_content.copy(band);
    if (m_background.isNull())
        return;
    const QRgb key = fillColor().rgb();
    for (int y = 0; y < m_shown.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(m_shown.scanLine(y));
        for (int x = 0; x < m_shown.width(); ++x) {
            const QPoint at(band.left() + x, y);
            if (row[x] == key)
                row[x] = m_background.valid(at) ? m_background.pixel(at) : key;
        }
    }
}

void CScrollingTextStatic::paintEvent(QPaintEvent*)
{
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(BandRect().topLeft(), m_shown);
}
