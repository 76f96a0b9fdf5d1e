#include "tools/defaultdata/Render.h"

#include "tools/defaultdata/Layout.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace lumivo::defaultdata
{

namespace
{

const QString kEmojiFamily = QStringLiteral("Noto Color Emoji");
// The font's bitmaps are drawn at this size; scaling the drawn glyph afterwards keeps its colours.
constexpr int kEmojiPixelSize = 109;
constexpr int kEmojiCanvas = 192;
constexpr int kEmojiMarginPercent = 6;

// The smallest rectangle that holds every pixel that is not fully transparent.
QRect paintedArea(const QImage& image)
{
    int left = image.width();
    int top = image.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage drawnGlyph(const QString& emoji)
{
    QImage canvas(kEmojiCanvas, kEmojiCanvas, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    QFont font(kEmojiFamily);
    font.setPixelSize(kEmojiPixelSize);
    painter.setFont(font);
    painter.drawText(canvas.rect(), Qt::AlignCenter, emoji);
    painter.end();
    const QRect area = paintedArea(canvas);
    return area.isNull() ? QImage() : canvas.copy(area);
}

// A white card with a shadow; the band below `bandTop` (the text) in `band` when it is valid. The
// pictures are drawn on white, so the picture's part of every card stays white.
void drawCard(QPainter& painter, const QRectF& rect, qreal bandTop, const QColor& band, const QColor& edge,
              qreal edgeWidth)
{
    const qreal radius = std::min(rect.width(), rect.height()) * 0.09;
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    const qreal drop = std::max<qreal>(1.5, rect.height() / 60.0);
    painter.fillPath(shape.translated(drop * 0.5, drop), QColor(0, 0, 0, 40));
    painter.fillPath(shape, Qt::white);
    if (band.isValid()) {
        QPainterPath lower;
        lower.addRect(QRectF(rect.left(), bandTop, rect.width(), rect.bottom() - bandTop));
        painter.fillPath(shape.intersected(lower), band);
    }
    painter.setPen(QPen(edge, edgeWidth));
    painter.drawPath(shape);
}

} // namespace

bool haveEmojiFont()
{
    return QFontDatabase::families().contains(kEmojiFamily);
}

QImage renderEmoji(const QString& emoji, int side)
{
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QImage glyph = drawnGlyph(emoji);
    if (glyph.isNull())
        return {};
    const int room = side - 2 * side * kEmojiMarginPercent / 100;
    const QImage scaled = glyph.scaled(room, room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&picture);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    return picture;
}

QColor cardEdgeColour(const PageSource& page, const CellSource& cell, const DataSources& sources)
{
    const PageSource* target = cell.kind == CellKind::Link ? sources.findPage(cell.linkId) : nullptr;
    return target ? target->colour.darker(160) : page.colour.darker(125);
}

QImage renderPagePicture(const PageSource& page, const DataSources& sources, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wash(0, 0, 0, size.height());
    wash.setColorAt(0, page.colour.lighter(106));
    wash.setColorAt(1, page.colour.darker(104));
    painter.fillRect(picture.rect(), wash);

    const qreal edgeWidth = std::max<qreal>(1.0, size.height() / 400.0);
    const std::vector<CardLayout> cards = gridLayout(page.columns, page.rows);
    for (std::size_t i = 0; i < page.cells.size(); ++i) {
        const CellSource& cell = page.cells[i];
        const QRectF rect = onPage(cards[i].card, size);
        const qreal bandTop = onPage(cards[i].label, size).top();
        const QColor edge = cardEdgeColour(page, cell, sources);
        if (cell.kind == CellKind::Word)
            drawCard(painter, rect, bandTop, QColor(), edge, edgeWidth);
        else if (cell.kind == CellKind::Link)
            drawCard(painter, rect, bandTop, sources.findPage(cell.linkId)->colour, edge, 3 * edgeWidth);
    }
    return picture;
}

} // namespace lumivo::defaultdata
