// The page layouts of the sentence print modes: running text, rows of icons and a letter, each page
// with its header and footer. Every layout serves both passes of a job: with no painter it only counts
// pages, with one it draws what falls on the page being printed.

#include "core/Icon.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/IconText.h"
#include "panes/PrintView.h"
#include "store/StoredFont.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace
{

constexpr std::array<int, 16> kTextPointSizes{12, 8, 10, 12, 12, 14, 14, 18, 20, 24, 28, 36, 48, 56, 60, 72};
// The header and footer font: 40 pixels of a 300-dpi printer, whatever the printer's resolution.
constexpr int kHeaderPixelsAt300Dpi = 40;
constexpr std::uint32_t kWordFlagsFamilyMask = 0xF00;
constexpr std::uint32_t kWordFlagsNoFamilyPicture = 0x100;
constexpr std::uint32_t kIconContentOwnPictureOff = 0x100000;
// The sentence number's ellipse and the marker, drawn as a temporary icon.
constexpr COLORREF kNumberFillColor = 0xFFC080;
constexpr COLORREF kNumberEdgeColor = 0xFFE1B6;
constexpr std::uint32_t kMarkerIconFlags = 0x44;

int pointsToPixels(double points, int dpi)
{
    return qRound(points * dpi / 72.0);
}

// A sentence of the current user's file, or none when it does not exist or does not load.
std::unique_ptr<CQuibSentence> loadSentence(std::int32_t id)
{
    auto sentence = std::make_unique<CQuibSentence>();
    if (sentence->LoadFrom(id, theCurrentUser->GetFile()) < 0)
        return nullptr;
    return sentence;
}

bool isQuestion(const CQuibSentence& sentence)
{
    return sentence.IntensionMarkerId == kQuestionMarkerId;
}

// The icons' texts joined by single spaces, trimmed, the first letter upper case.
QString sentenceText(CQuibSentence& sentence)
{
    QString text;
    for (const auto& icon : sentence.Icons)
        text += icon->GetDisplayText(kWordTextCutSuffix | kWordTextDropLayoutChars) + QLatin1Char(' ');
    text = text.trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QFont headerFont(int dpiY)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, MulDiv(kHeaderPixelsAt300Dpi, dpiY, 300)));
    font.setWeight(QFont::Medium);
    return font;
}

// Measures (and, on the page being drawn, draws) a header or footer line in the rectangle.
int printBand(PrintSheet& page, const QString& stored, QChar pageCode, int verticalAlignment)
{
    const int number = page.currentPage > 0 ? page.currentPage : 1;
    int alignment = 0;
    const QString text = ApplyPrintCodes(stored, pageCode, number, false, false, &alignment);
    const QFont font = headerFont(page.dpiY);
    const QRect area = toQRect(page.rect);
    const int flags = alignment | verticalAlignment | Qt::TextWordWrap;
    const QRect used = QFontMetrics(font).boundingRect(area, flags, text);
    if (page.painter) {
        QPainter& painter = *page.painter;
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(area, flags, text);
        painter.restore();
    }
    return used.height();
}

std::vector<std::int32_t> sentencesOfMode(const CQuibUser& user, int mode)
{
    if (mode != kPrintModeSentenceText && mode != kPrintModeSentenceIcons)
        return user.Sentences;
    const int index = user.CurrentSentence;
    if (index < 0 || index >= static_cast<int>(user.Sentences.size()))
        return {};
    return {user.Sentences[static_cast<std::size_t>(index)]};
}

} // namespace

void CPrintView::PrintSentences(PrintSheet& page, int mode)
{
    CQuibUser& user = *theCurrentUser;
    page.rect.DeflateRect(MulDiv(Margins.left, page.dpiX, 2540), MulDiv(Margins.top, page.dpiY, 2540),
                          MulDiv(Margins.right, page.dpiX, 2540), MulDiv(Margins.bottom, page.dpiY, 2540));
    const std::vector<std::int32_t> sentences = sentencesOfMode(user, mode);
    page.modeFlags = user.Settings().PrintValues[static_cast<std::size_t>(mode - kPrintModeSentenceText + 1)];
    // The header and footer lie on every page; a page drawn gets them, a count only measures them.
    if (page.modeFlags & kModeHeader)
        page.rect.top += PrintHeader(page);
    if (page.modeFlags & kModeFooter)
        page.rect.bottom -= PrintFooter(page);
    if (page.rect.IsRectEmpty())
        return;
    if (mode == kPrintModeSentenceText || mode == kPrintModeAllText)
        layoutText(page, sentences);
    else if (mode == kPrintModeLetter)
        layoutLetter(page, sentences);
    else
        layoutIcons(page, sentences);
}

int CPrintView::PrintHeader(PrintSheet& page)
{
    return printBand(page, theCurrentUser->Settings().PrintHeader, QLatin1Char('s'), Qt::AlignTop);
}

int CPrintView::PrintFooter(PrintSheet& page)
{
    return printBand(page, theCurrentUser->Settings().PrintFooter, QLatin1Char('p'), Qt::AlignBottom);
}

void CPrintView::layoutText(PrintSheet& page, const std::vector<std::int32_t>& sentences)
{
    RichText().clear();
    const int points = kTextPointSizes[PrintFlags & kPrintFontSizeMask];
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pointsToPixels(points, page.dpiY));
    RichText().setDefaultFont(font);
    const bool paragraphs = (PrintFlags & kPrintParagraphsMask) == kPrintParagraphs;
    const bool numbered = (PrintFlags & kPrintNumberSentences) != 0;
    QTextBlockFormat format;
    if (paragraphs && numbered) {
        // The number hangs in the margin before the text; the tab brings the text to the indent.
        const int indent = 2 * font.pixelSize();
        format.setLeftMargin(indent);
        format.setTextIndent(-indent);
        format.setTabPositions({QTextOption::Tab(indent, QTextOption::LeftTab)});
    }
    QTextCursor cursor(&RichText());
    cursor.setBlockFormat(format);
    bool first = true;
    int number = 0;
    for (const std::int32_t id : sentences) {
        ++number; // a sentence that is missing still takes its number
        const std::unique_ptr<CQuibSentence> sentence = loadSentence(id);
        if (!sentence)
            continue;
        QString text = sentenceText(*sentence);
        if (text.isEmpty())
            continue;
        if (numbered)
            text = QStringLiteral("%1.\t").arg(number) + text;
        text += isQuestion(*sentence) ? QStringLiteral(" ?") : QStringLiteral(".");
        // Each sentence is a paragraph followed by an empty line; without that, sentences run on.
        if (!first && paragraphs) {
            cursor.insertBlock(format);
            cursor.insertBlock(format);
        }
        cursor.insertText(text);
        first = false;
    }
    formatRichText(page);
}

void CPrintView::layoutLetter(PrintSheet& page, const std::vector<std::int32_t>& sentences)
{
    const CQuibUserSettings& settings = theCurrentUser->Settings();
    RichText().clear();
    CStoredFont stored;
    stored.FromString(settings.PrintFont);
    const LOGFONT& log = stored.GetLogFont();
    // A stored height is a character height in screen pixels (96 per inch).
    const double points = std::abs(log.lfHeight) * 72.0 / 96.0;
    QFont font(log.lfFaceName);
    font.setPixelSize(std::max(1, pointsToPixels(points > 0 ? points : 12, page.dpiY)));
    font.setBold(log.lfWeight >= FW_BOLD);
    font.setItalic(log.lfItalic != 0);
    font.setUnderline(log.lfUnderline != 0);
    font.setStrikeOut(log.lfStrikeOut != 0);
    RichText().setDefaultFont(font);

    const int number = page.currentPage > 0 ? page.currentPage : 1;
    QTextCursor cursor(&RichText());
    int alignment = 0;
    const QString heading =
        ApplyPrintCodes(settings.LetterHead, QLatin1Char('p'), number, true, true, &alignment);
    // The heading stands on the right unless it names its own alignment.
    const bool headingAligned = settings.LetterHead.contains(QLatin1String("&l")) ||
                                settings.LetterHead.contains(QLatin1String("&c")) ||
                                settings.LetterHead.contains(QLatin1String("&r"));
    QTextBlockFormat format;
    format.setAlignment(headingAligned ? Qt::Alignment(alignment) : Qt::AlignRight);
    cursor.setBlockFormat(format);
    cursor.insertText(heading);

    QString body;
    for (const std::int32_t id : sentences) {
        const std::unique_ptr<CQuibSentence> sentence = loadSentence(id);
        if (!sentence)
            continue;
        const QString text = sentenceText(*sentence);
        if (!text.isEmpty())
            body += text + (isQuestion(*sentence) ? QStringLiteral("? ") : QStringLiteral(". "));
    }
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    cursor.insertBlock(left);
    cursor.insertText(body);

    const QString signature =
        ApplyPrintCodes(settings.LetterEnd, QLatin1Char('p'), number, true, true, &alignment);
    QTextBlockFormat end;
    end.setAlignment(Qt::Alignment(alignment));
    cursor.insertBlock(end);
    cursor.insertText(signature);
    formatRichText(page);
}

void CPrintView::formatRichText(PrintSheet& page)
{
    const QSizeF pageSize(page.rect.Width(), page.rect.Height());
    RichText().setDocumentMargin(0);
    RichText().setPageSize(pageSize);
    page.pages = std::max(1, RichText().pageCount());
    if (!page.painter || page.currentPage < 1 || page.currentPage > page.pages)
        return;
    QPainter& painter = *page.painter;
    const qreal top = (page.currentPage - 1) * pageSize.height();
    painter.save();
    painter.translate(page.rect.left, page.rect.top - top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, top, pageSize.width(), pageSize.height());
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(context.clip);
    RichText().documentLayout()->draw(&painter, context);
    painter.restore();
}

namespace
{

// The measures of the icon layout for a size field, in device pixels.
struct IconMeasures {
    int picture; // S
    int text;    // T
    int gap;     // G
};

IconMeasures iconMeasures(std::uint32_t modeFlags, int dpiY)
{
    const auto inch = [dpiY](int tenthsOfMm) { return MulDiv(tenthsOfMm, dpiY, 254); };
    switch (modeFlags & kModeIconSizeMask) {
    case 0xC0:
        return {inch(200), inch(100), inch(50)};
    case 0x40:
        return {inch(60), inch(30), inch(20)};
    default: // medium, also for a size the settings do not offer
        return {inch(120), inch(60), inch(30)};
    }
}

// The picture an icon prints with: its own unless it turned that off, else its word's, else the one
// picture of its word's family. Pictures with no stored size count as missing.
std::unique_ptr<CQuibPict> printPicture(const CIconPainter& icons, CQuibIcon& icon, int size)
{
    std::unique_ptr<CQuibPict> picture;
    if ((icon.Flags & kIconContentMask) != kIconContentOwnPictureOff && icon.PictId != 0)
        picture = icons.FindPicture(icon.PictId, size, size);
    if (!picture && icon.WordId != 0)
        picture = icons.FindPicture(icon.WordId, size, size);
    if (!picture) {
        if (!icon.Word)
            icon.ReloadWord(false);
        if (icon.Word && (icon.Word->WordFlags & kWordFlagsFamilyMask) != kWordFlagsNoFamilyPicture &&
            icon.Word->FamilyList.size() == 1)
            picture = icons.FindPicture(icon.Word->FamilyList.front(), size, size);
    }
    if (picture && (picture->Width == 0 || picture->Height == 0)) {
        picture->Load();
        picture->ReadHeader();
    }
    if (picture && (picture->Width == 0 || picture->Height == 0))
        return nullptr;
    return picture;
}

// The picture box, its aspect kept, inside a square of `size`.
QSize fittedPictureSize(const CQuibPict& picture, int size)
{
    if (picture.Width >= picture.Height)
        return {size, static_cast<int>(std::int64_t(size) * picture.Height / picture.Width)};
    return {static_cast<int>(std::int64_t(size) * picture.Width / picture.Height), size};
}

QFont iconTextFont(int band)
{
    // The largest height up to the band whose "X" fits in it.
    int height = band;
    QFont font = IconFont(std::max(1, height));
    while (QFontMetrics(font).height() > band && height > band / 5) {
        height = height * 19 / 20;
        font = IconFont(std::max(1, height));
    }
    return font;
}

// Where the icon layout is: the row's top and x, and the page it lies on.
struct RowCursor {
    int x = 0;
    int top = 0;
    int page = 1;
};

// One icon of the icon layout: its picture, fitted and centred in the picture band, and its text
// centred under it; a cell scaled down to the row (per mille `scale`) scales both.
struct IconCell {
    CQuibIcon& icon;
    const CQuibPict* picture;
    QSize pictureSize;
    QString text;
};

void drawIconCell(const CIconPainter& icons, PrintSheet& page, const IconCell& cell, const CRect& box,
                  int scale, const QFont& font)
{
    const IconMeasures m = iconMeasures(page.modeFlags, page.dpiY);
    QPainter& painter = *page.painter;
    const QSize shown(MulDiv(cell.pictureSize.width(), scale, 1000),
                      MulDiv(cell.pictureSize.height(), scale, 1000));
    if (cell.picture) {
        // The printing copy draws with the screen's code, without the states of the sentence's icon.
        auto copy = cell.icon.Clone();
        copy->Flags &= ~(kIconFrameShown | kIconSelected);
        copy->Shape = kIconShapeRect;
        copy->ScreenRect = CRect(
            CPoint(box.left + (box.Width() - shown.width()) / 2, box.top + (m.picture - shown.height()) / 2),
            CSize(shown.width(), shown.height()));
        icons.PaintForPrint(painter, QPoint(0, 0), *copy, 1000, 1000,
                            static_cast<int>(page.modeFlags & kModeKeepKeyColor));
    }
    painter.save();
    QFont cellFont = font;
    if (scale < 1000)
        cellFont.setPixelSize(std::max(1, MulDiv(font.pixelSize(), scale, 1000)));
    painter.setFont(cellFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(box.left, box.top + m.picture, box.Width(), m.text),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, cell.text);
    painter.restore();
}

// The sentence's number in its ellipse, its marker and the line under it, in the indent beside its
// rows (`span`: the first row's top and the last row's bottom on the page of the last row).
void drawSentenceMarks(const CIconPainter& icons, PrintSheet& page, const CQuibSentence& sentence, int number,
                       std::pair<int, int> span, int lastPage)
{
    if (!page.drawing(lastPage))
        return;
    const IconMeasures m = iconMeasures(page.modeFlags, page.dpiY);
    const bool numbered = (page.modeFlags & kModeNumber) != 0;
    const bool marked = (page.modeFlags & kModeMarker) != 0;
    const int indent = (numbered ? 2 * m.text : 0) + (marked ? 4 * m.picture / 3 : 0);
    const QPoint centre(page.rect.left + indent / 2, (span.first + span.second + m.gap) / 2);
    QPainter& painter = *page.painter;
    if (numbered) {
        const int across = 3 * m.text / 2;
        const QPoint at =
            marked ? centre - QPoint(m.picture / 2 + m.text / 4, m.picture / 2 + m.text / 4) : centre;
        const QRect oval(at.x() - across / 2, at.y() - across / 2, across, across);
        painter.save();
        painter.setPen(QPen(toQColor(kNumberEdgeColor), 2));
        painter.setBrush(toQColor(kNumberFillColor));
        painter.drawEllipse(oval);
        painter.setPen(Qt::black);
        painter.setFont(iconTextFont(m.text));
        painter.drawText(oval, Qt::AlignCenter, QString::number(number));
        painter.restore();
    }
    if (marked && sentence.IntensionMarkerId != 0) {
        CQuibIcon marker;
        marker.WordId = sentence.IntensionMarkerId;
        marker.Flags = kMarkerIconFlags;
        const QPoint at = numbered ? centre + QPoint(m.text / 3, m.text / 3) : centre;
        marker.ScreenRect =
            CRect(CPoint(at.x() - m.picture / 2, at.y() - m.picture / 2), CSize(m.picture, m.picture));
        if (printPicture(icons, marker, m.picture))
            icons.PaintForPrint(painter, QPoint(0, 0), marker, 1000, 1000, 0);
    }
    if (page.modeFlags & kModeSeparator) {
        const int y = span.second + m.gap;
        painter.save();
        painter.setPen(QPen(Qt::black, page.preview ? 4 : 1));
        painter.drawLine(page.rect.left, y, page.rect.right, y);
        painter.restore();
    }
}

} // namespace

void CPrintView::layoutIcons(PrintSheet& page, const std::vector<std::int32_t>& sentences)
{
    const IconMeasures m = iconMeasures(page.modeFlags, page.dpiY);
    const bool numbered = (page.modeFlags & kModeNumber) != 0;
    const bool marked = (page.modeFlags & kModeMarker) != 0;
    const int indent = (numbered ? 2 * m.text : 0) + (marked ? 4 * m.picture / 3 : 0);
    const int rowHeight = m.picture + m.text;
    const int rowLeft = page.rect.left + indent;
    const QFont font = iconTextFont(m.text);
    const QFontMetrics metrics(font);
    RowCursor row{rowLeft, page.rect.top, 1};
    // A new row `gap` below the last; a row that passes the rectangle's bottom starts a page.
    const auto newRow = [&](int gap) {
        row.x = rowLeft;
        row.top += rowHeight + gap;
        if (row.top + rowHeight > page.rect.bottom && row.top != page.rect.top) {
            ++row.page;
            row.top = page.rect.top;
        }
    };
    bool firstSentence = true;
    int number = 0;
    for (const std::int32_t id : sentences) {
        ++number;
        const std::unique_ptr<CQuibSentence> sentence = loadSentence(id);
        if (!sentence)
            continue;
        if (!firstSentence)
            newRow(2 * m.gap);
        firstSentence = false;
        const int firstTop = row.top;
        const int firstPage = row.page;
        const std::size_t count = sentence->Icons.size();
        for (std::size_t i = 0; i < count; ++i) {
            CQuibIcon& icon = *sentence->Icons[i];
            const std::unique_ptr<CQuibPict> picture = printPicture(IconPainter, icon, m.picture);
            const QSize pictureSize = picture ? fittedPictureSize(*picture, m.picture) : QSize(0, 0);
            QString text = icon.GetDisplayText(kWordTextCutSuffix | kWordTextDropLayoutChars);
            if (i == 0 && !text.isEmpty())
                text[0] = text[0].toUpper();
            if (i + 1 == count)
                text += isQuestion(*sentence) ? QStringLiteral(" ?") : QStringLiteral(".");
            const int rowWidth = page.rect.right - rowLeft;
            int cell = std::max(pictureSize.width() + m.picture / 10,
                                metrics.horizontalAdvance(text) + metrics.height());
            if (row.x + cell > page.rect.right && row.x > rowLeft)
                newRow(m.gap);
            // A cell wider than a whole row stands alone on its row, scaled down to the row.
            const int scale = cell > rowWidth ? MulDiv(rowWidth, 1000, cell) : 1000;
            cell = std::min(cell, rowWidth);
            if (page.drawing(row.page))
                drawIconCell(IconPainter, page, {icon, picture.get(), pictureSize, text},
                             CRect(CPoint(row.x, row.top), CSize(cell, rowHeight)), scale, font);
            row.x += cell;
        }
        drawSentenceMarks(IconPainter, page, *sentence, number,
                          {firstPage == row.page ? firstTop : page.rect.top, row.top + rowHeight}, row.page);
    }
    page.pages = std::max(1, row.page);
}
