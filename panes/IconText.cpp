// Fitting the text of icons: wrapping, the icon font, the text and frame attributes.

#include "panes/IconText.h"

#include "panes/DrawingBounds.h"
#include "store/TaggedText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace
{

const QChar kSoftHyphen(0x00AD);
const QChar kNotSign(0x00AC);

int leadingNumber(const QString& value)
{
    int digits = 0;
    while (digits < value.size() && value[digits].isDigit())
        ++digits;
    return value.left(digits).toInt();
}

// "%" or "pt" after the first character.
bool holdsAfterFirst(const QString& value, const char* mark)
{
    return value.indexOf(QLatin1String(mark)) > 0;
}

int horizontalAlignment(const QString& align)
{
    if (align.contains(QLatin1String("left")))
        return Qt::AlignLeft;
    if (align.contains(QLatin1String("hcenter")))
        return Qt::AlignHCenter;
    if (align.contains(QLatin1String("right")))
        return Qt::AlignRight;
    return Qt::AlignHCenter;
}

// The words may stand anywhere in the value: "vcenter" is what the property sheet writes for an empty
// choice, and must centre.
int verticalAlignment(const QString& align)
{
    if (align.contains(QLatin1String("top")))
        return Qt::AlignTop;
    if (align.contains(QLatin1String("vcenter")))
        return Qt::AlignVCenter;
    if (align.contains(QLatin1String("bottom")))
        return Qt::AlignBottom;
    return Qt::AlignTop;
}

} // namespace

QString WrapText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf)
{
    const auto shown = [](QString line) { return line.remove(kSoftHyphen); };
    const auto isBreakAfter = [](QChar c) {
        return QStringLiteral(" +,-.:;").contains(c) || c == kSoftHyphen;
    };
    QStringList lines;
    QString line;
    qsizetype lastBreak = -1; // index in `line` of the character after which it may break
    for (const QChar c : text) {
        if (c == kNotSign || c == u'\n' || c == u'\r') {
            lines << shown(line);
            line.clear();
            lastBreak = -1;
            continue;
        }
        QString measured = shown(line + c);
        if (c == kSoftHyphen)
            measured += u'-';
        if (!line.isEmpty() && widthOf(measured) > maxWidth) {
            const qsizetype cut = lastBreak >= 0 ? lastBreak : line.size() - 1;
            QString head = line.left(cut + 1);
            QString rest = line.mid(cut + 1);
            if (lastBreak < 0) { // no break candidate: the character moves to the next line
                head = line;
                rest.clear();
            } else if (head.back() == u' ') {
                head.chop(1);
            } else if (head.back() == kSoftHyphen) {
                head.chop(1);
                head += u'-';
            }
            lines << shown(head);
            line = rest;
            lastBreak = -1;
            for (qsizetype i = 0; i < line.size(); ++i) {
                if (isBreakAfter(line[i]))
                    lastBreak = i;
            }
        }
        line += c;
        if (isBreakAfter(c))
            lastBreak = line.size() - 1;
    }
    lines << shown(line);
    return lines.join(u'\n');
}

QString WrapText(const QString& text, int maxWidth, const QFontMetrics& metrics)
{
    return WrapText(text, maxWidth,
                    [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

QFont IconFont(int pixelHeight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::Normal);
    return font;
}

QString IconAttribute(const CTaggedText& attributes, const char* key)
{
    QString value;
    if (!attributes.GetValue(QString::fromLatin1(key), value))
        return {};
    return value.trimmed().toLower();
}

int TextAlignmentOf(const CTaggedText& attributes)
{
    const QString align = IconAttribute(attributes, "textalign");
    return horizontalAlignment(align) | verticalAlignment(align);
}

int FixedTextHeight(const CTaggedText& attributes, int rectHeight, int scale)
{
    const QString size = IconAttribute(attributes, "textsize");
    const int number = leadingNumber(size);
    if (holdsAfterFirst(size, "%") && number >= 40 && number <= 1000)
        return std::max(
            1, MulDivSaturated(SaturateToInt(std::int64_t{number} * rectHeight * 20 / 42600), scale, 1000));
    if (holdsAfterFirst(size, "pt") && number >= 8 && number <= 200)
        return std::max(1, MulDivSaturated(number, scale, 1000));
    return 0;
}

std::vector<int> PrintTextHeights(const CTaggedText& attributes, int rectHeight, int scale, int tallest)
{
    const int fixed = std::min(FixedTextHeight(attributes, rectHeight, scale), tallest);
    std::vector<int> heights;
    if (fixed > 0)
        heights.push_back(fixed);
    for (std::int64_t height = tallest; fixed == 0 && height > 0 && 5 * height > tallest;
         height = std::min(height - 1, height * 19 / 20))
        heights.push_back(int(height));
    return heights;
}

int FrameWidthOf(const CTaggedText& attributes, int rectHeight)
{
    const QString value = IconAttribute(attributes, "framewidth");
    if (holdsAfterFirst(value, "%") && leadingNumber(value) > 0)
        return std::max(1, SaturateToInt(std::int64_t{rectHeight} * leadingNumber(value) / 42600));
    if (value.contains(QLatin1String("hair")))
        return 1;
    return leadingNumber(value);
}

COLORREF FrameColorOf(const CTaggedText& attributes)
{
    const QStringList rgb = IconAttribute(attributes, "framecolor").split(u',');
    if (rgb.size() < 3)
        return 0;
    return RGB(rgb[0].trimmed().toInt(), rgb[1].trimmed().toInt(), rgb[2].trimmed().toInt());
}

bool DrawFittedText(QPainter& painter, const QRect& box, const QString& text, const std::vector<int>& heights,
                    int alignment)
{
    const int horizontal = alignment & Qt::AlignHorizontal_Mask;
    for (int height : heights) {
        const QFont font = IconFont(height);
        const QFontMetrics metrics(font);
        const QString wrapped = WrapText(text, box.width(), metrics);
        const QRect needed = metrics.boundingRect(box, Qt::TextWordWrap | horizontal, wrapped);
        if (needed.width() >= box.width() || needed.height() >= box.height())
            continue;
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        DrawTextInBox(painter, box, Qt::TextWordWrap | alignment, wrapped);
        painter.restore();
        return true;
    }
    return false;
}
