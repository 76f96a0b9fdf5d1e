#include "store/StoredFont.h"

#include "platform/ui/Ui.h"
#include "store/Utility.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

namespace
{

constexpr std::int64_t kLargestPixelSize = 10000;

QString limitedFace(const QString& faceName)
{
    return faceName.left(LOGFONT::kFaceSize - 1);
}

LOGFONT makeLogFont(LONG height, LONG weight, BYTE pitchAndFamily, const char* face)
{
    LOGFONT font;
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfPitchAndFamily = pitchAndFamily;
    font.lfFaceName = QString::fromLatin1(face);
    return font;
}

// The colour number as written by "%u"; the whole 32 bits count, so a colour id in the high byte
// survives.
COLORREF colorFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype pos = 0;
    const bool negative = trimmed.startsWith(QLatin1Char('-'));
    if (negative || trimmed.startsWith(QLatin1Char('+')))
        pos = 1;
    std::uint32_t value = 0;
    for (; pos < trimmed.size() && trimmed[pos].isDigit() && trimmed[pos].unicode() < 128; ++pos)
        value = value * 10 + static_cast<std::uint32_t>(trimmed[pos].unicode() - '0');
    return negative ? 0u - value : value;
}

} // namespace

LOGFONT DefaultLogFont()
{
    LOGFONT font = makeLogFont(-12, FW_NORMAL, 0x12, "Times New Roman");
    font.lfQuality = 2;
    return font;
}

CStoredFont::CStoredFont() : m_logFont(DefaultLogFont())
{
    RemakeFont();
}

CStoredFont::CStoredFont(const QString& faceName) : m_logFont(DefaultLogFont())
{
    m_logFont.lfFaceName = limitedFace(faceName);
    RemakeFont();
}

CStoredFont::CStoredFont(const LOGFONT& logFont) : m_logFont(logFont)
{
    m_logFont.lfFaceName = limitedFace(logFont.lfFaceName);
    RemakeFont();
}

CStoredFont::CStoredFont(const CStoredFont& other) : m_logFont(other.m_logFont), m_color(other.m_color)
{
    RemakeFont();
}

CStoredFont& CStoredFont::operator=(const CStoredFont& other)
{
    if (this != &other) {
        m_logFont = other.m_logFont;
        SetColor(other.m_color);
        RemakeFont();
    }
    return *this;
}

bool CStoredFont::SetStockFont(int index)
{
    switch (index) {
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        SetLogFont(makeLogFont(12, FW_NORMAL, 0x31, "Courier New"));
        return true;
    case ANSI_VAR_FONT:
        SetLogFont(makeLogFont(12, FW_NORMAL, 0x22, "MS Sans Serif"));
        return true;
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        SetLogFont(makeLogFont(16, FW_BOLD, 0x22, "System"));
        return true;
    case DEFAULT_GUI_FONT:
        SetLogFont(makeLogFont(-11, FW_NORMAL, 0x00, "MS Shell Dlg"));
        return true;
    default:
        return false;
    }
}

template <typename T> T CStoredFont::SetField(T LOGFONT::*field, T value)
{
    const T old = std::exchange(m_logFont.*field, value);
    RemakeFont();
    return old;
}

LONG CStoredFont::SetHeight(LONG height)
{
    return SetField(&LOGFONT::lfHeight, height);
}
LONG CStoredFont::SetWidth(LONG width)
{
    return SetField(&LOGFONT::lfWidth, width);
}
LONG CStoredFont::SetEscapement(LONG escapement)
{
    return SetField(&LOGFONT::lfEscapement, escapement);
}
LONG CStoredFont::SetOrientation(LONG orientation)
{
    return SetField(&LOGFONT::lfOrientation, orientation);
}
LONG CStoredFont::SetWeight(LONG weight)
{
    return SetField(&LOGFONT::lfWeight, weight);
}
BYTE CStoredFont::SetItalicByte(BYTE italic)
{
    return SetField(&LOGFONT::lfItalic, italic);
}
BYTE CStoredFont::SetUnderline(BYTE underline)
{
    return SetField(&LOGFONT::lfUnderline, underline);
}
BYTE CStoredFont::SetStrikeOut(BYTE strikeOut)
{
    return SetField(&LOGFONT::lfStrikeOut, strikeOut);
}
BYTE CStoredFont::SetCharSet(BYTE charSet)
{
    return SetField(&LOGFONT::lfCharSet, charSet);
}
BYTE CStoredFont::SetOutPrecision(BYTE precision)
{
    return SetField(&LOGFONT::lfOutPrecision, precision);
}
BYTE CStoredFont::SetClipPrecision(BYTE precision)
{
    return SetField(&LOGFONT::lfClipPrecision, precision);
}
BYTE CStoredFont::SetQuality(BYTE quality)
{
    return SetField(&LOGFONT::lfQuality, quality);
}
BYTE CStoredFont::SetPitchAndFamily(BYTE pitchAndFamily)
{
    return SetField(&LOGFONT::lfPitchAndFamily, pitchAndFamily);
}

LONG CStoredFont::SetPointSize(int points)
{
    const std::int64_t scaled = std::int64_t(points) * 4 / 3;
    const std::int64_t height = points < 1 ? scaled : -scaled;
    return SetHeight(static_cast<LONG>(std::clamp<std::int64_t>(height, std::numeric_limits<LONG>::min(),
                                                                std::numeric_limits<LONG>::max())));
}

bool CStoredFont::SetBold(bool bold)
{
    return SetWeight(bold ? FW_BOLD : FW_NORMAL) >= 500;
}

bool CStoredFont::SetItalic(bool italic)
{
    return SetItalicByte(italic ? 1 : 0) != 0;
}

QString CStoredFont::SetFaceName(const QString& faceName)
{
    return SetField(&LOGFONT::lfFaceName, limitedFace(faceName));
}

void CStoredFont::SetLogFont(const LOGFONT& logFont)
{
    m_logFont = logFont;
    m_logFont.lfFaceName = limitedFace(logFont.lfFaceName);
    RemakeFont();
}

COLORREF CStoredFont::SetColor(COLORREF color)
{
    const COLORREF old = std::exchange(m_color, color);
    if (m_painter)
        m_painter->setPen(QPen(toQColor(color)));
    return old;
}

void CStoredFont::SetDC(QPainter* painter)
{
    m_painter = painter;
}

QString CStoredFont::Describe() const
{
    QString text = QStringLiteral("%1, %2 pt").arg(m_logFont.lfFaceName).arg(std::abs(m_logFont.lfHeight));
    if (IsBold())
        text += QStringLiteral(", bold");
    if (IsItalic())
        text += QStringLiteral(", italic");
    if (IsUnderline())
        text += QStringLiteral(", underline");
    if (m_color != 0)
        text += QStringLiteral(", color");
    return text;
}

QString CStoredFont::ToString() const
{
    const LOGFONT& f = m_logFont;
    QString text =
        QString::asprintf("%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,", f.lfHeight, f.lfWidth, f.lfEscapement,
                          f.lfOrientation, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet,
                          f.lfOutPrecision, f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily);
    return text + f.lfFaceName + QString::asprintf(",%u", static_cast<unsigned>(m_color));
}

bool CStoredFont::FromString(const QString& text)
{
    if (text.isEmpty())
        return false;
    // Fields are cut from the left at each comma; the colour takes whatever is left.
    std::optional<QString> rest = text;
    auto nextField = [&rest](QString& field) {
        if (!rest)
            return false;
        const qsizetype comma = rest->indexOf(QLatin1Char(','));
        field = comma < 0 ? *rest : rest->left(comma);
        rest = comma < 0 ? std::nullopt : std::optional<QString>(rest->mid(comma + 1));
        return true;
    };
    QString field;
    LOGFONT& f = m_logFont;
    for (LONG* number : {&f.lfHeight, &f.lfWidth, &f.lfEscapement, &f.lfOrientation, &f.lfWeight}) {
        if (nextField(field))
            *number = StringToInt(field);
    }
    for (BYTE* byte : {&f.lfItalic, &f.lfUnderline, &f.lfStrikeOut, &f.lfCharSet, &f.lfOutPrecision,
                       &f.lfClipPrecision, &f.lfQuality, &f.lfPitchAndFamily}) {
        if (nextField(field))
            *byte = static_cast<BYTE>(StringToInt(field));
    }
    if (nextField(field))
        f.lfFaceName = limitedFace(field);
    RemakeFont();
    if (!rest)
        return false;
    SetColor(colorFromText(*rest));
    return true;
}

int CStoredFont::ChooseFont()
{
    // The dialog lists sizes in points: offer the pixel height as the point size it draws at.
    QFont initial = m_font;
    if (initial.pixelSize() > 0)
        initial.setPointSizeF(initial.pixelSize() * 3.0 / 4.0);
    const auto chosen = lumivo::ui::chooseFont(initial);
    if (!chosen)
        return lumivo::ui::IDCANCEL;
    LOGFONT picked = FromQFont(*chosen);
    // The dialog shows the face that draws; taking that face again keeps the stored name.
    if (picked.lfFaceName.compare(DrawingFace(m_logFont.lfFaceName), Qt::CaseInsensitive) == 0)
        picked.lfFaceName = m_logFont.lfFaceName;
    // The person picked a look, not the stored character set, precisions or quality.
    picked.lfCharSet = m_logFont.lfCharSet;
    picked.lfOutPrecision = m_logFont.lfOutPrecision;
    picked.lfClipPrecision = m_logFont.lfClipPrecision;
    picked.lfQuality = m_logFont.lfQuality;
    picked.lfPitchAndFamily = m_logFont.lfPitchAndFamily;
    SetLogFont(picked);
    return lumivo::ui::IDOK;
}

QString CStoredFont::DrawingFace(const QString& faceName)
{
    if (faceName.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        faceName.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (faceName.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (faceName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return faceName;
}

LOGFONT CStoredFont::FromQFont(const QFont& font)
{
    LOGFONT f = DefaultLogFont();
    f.lfFaceName = limitedFace(font.family());
    if (font.pixelSize() > 0)
        f.lfHeight = -font.pixelSize();
    else if (font.pointSizeF() > 0)
        f.lfHeight = -static_cast<LONG>(font.pointSizeF() * 4 / 3 + 0.5);
    f.lfWeight = font.weight();
    f.lfItalic = font.italic() ? 1 : 0;
    f.lfUnderline = font.underline() ? 1 : 0;
    f.lfStrikeOut = font.strikeOut() ? 1 : 0;
    return f;
}

void CStoredFont::RemakeFont()
{
    const LOGFONT& f = m_logFont;
    QFont font(DrawingFace(f.lfFaceName));
    // A negative height is the characters' own height; a positive one the whole cell, of which the
    // characters take about four fifths. 0 keeps the default size. A height from a damaged settings
    // file draws no larger than a page can show.
    const std::int64_t height = f.lfHeight;
    if (height != 0) {
        const std::int64_t pixels = height < 0 ? -height : height * 4 / 5;
        font.setPixelSize(static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kLargestPixelSize)));
    }
    const LONG weight = f.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(f.lfWeight, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(f.lfItalic != 0);
    font.setUnderline(f.lfUnderline != 0);
    font.setStrikeOut(f.lfStrikeOut != 0);
    if ((f.lfPitchAndFamily & 0x3) == 1)
        font.setFixedPitch(true);
    m_font = font;
}
