#pragma once
// A font as the settings keep it: the logical font fields, a text colour and an optional painter that
// follows the colour, convertible to and from one line of text
// ("-12,0,0,0,400,0,0,0,0,0,0,2,18,Times New Roman,0") and to the QFont it draws with.

#include "platform/types/WinTypes.h"

#include <QFont>
#include <QString>

#include <cstdint>

class QPainter;

// The logical font fields, in their stored order.
struct LOGFONT {
    static constexpr int kFaceSize = 32; // the face name holds at most kFaceSize - 1 characters

    LONG lfHeight = 0; // negative: the character height in pixels; positive: the cell height
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    QString lfFaceName;

    bool operator==(const LOGFONT& other) const = default;
};

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

// Stock fonts for `SetStockFont`.
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

class CStoredFont
{
public:
    CStoredFont();
    explicit CStoredFont(const QString& faceName);
    explicit CStoredFont(const LOGFONT& logFont);
    // Takes the other font's fields and colour; a painter is never shared.
    CStoredFont(const CStoredFont& other);
    CStoredFont& operator=(const CStoredFont& other);
    virtual ~CStoredFont() = default;

    // Takes the fields of a stock font; false for an unknown index.
    bool SetStockFont(int index);

    // Each setter stores its field, remakes the font and returns the old value.
    LONG SetHeight(LONG height);
    LONG SetWidth(LONG width);
    LONG SetEscapement(LONG escapement);
    LONG SetOrientation(LONG orientation);
    LONG SetWeight(LONG weight);
    BYTE SetItalicByte(BYTE italic);
    BYTE SetUnderline(BYTE underline);
    BYTE SetStrikeOut(BYTE strikeOut);
    BYTE SetCharSet(BYTE charSet);
    BYTE SetOutPrecision(BYTE precision);
    BYTE SetClipPrecision(BYTE precision);
    BYTE SetQuality(BYTE quality);
    BYTE SetPitchAndFamily(BYTE pitchAndFamily);
    // height = -(points * 4 / 3); a value below 1 is taken as a height already (value * 4 / 3).
    LONG SetPointSize(int points);
    // Weight 700 or 400; true when the old weight was bold (500 or more).
    bool SetBold(bool bold);
    bool SetItalic(bool italic);
    // Keeps at most 31 characters of the face name; returns the old name.
    QString SetFaceName(const QString& faceName);
    void SetLogFont(const LOGFONT& logFont);

    const LOGFONT& GetLogFont() const { return m_logFont; }
    LONG GetHeight() const { return m_logFont.lfHeight; }
    LONG GetWidth() const { return m_logFont.lfWidth; }
    LONG GetEscapement() const { return m_logFont.lfEscapement; }
    LONG GetOrientation() const { return m_logFont.lfOrientation; }
    LONG GetWeight() const { return m_logFont.lfWeight; }
    BYTE GetCharSet() const { return m_logFont.lfCharSet; }
    BYTE GetOutPrecision() const { return m_logFont.lfOutPrecision; }
    BYTE GetClipPrecision() const { return m_logFont.lfClipPrecision; }
    BYTE GetQuality() const { return m_logFont.lfQuality; }
    BYTE GetPitchAndFamily() const { return m_logFont.lfPitchAndFamily; }
    const QString& GetFaceName() const { return m_logFont.lfFaceName; }
    bool IsBold() const { return m_logFont.lfWeight >= 500; }
    bool IsItalic() const { return m_logFont.lfItalic != 0; }
    bool IsUnderline() const { return m_logFont.lfUnderline != 0; }
    bool IsStrikeOut() const { return m_logFont.lfStrikeOut != 0; }

    // The text colour, also given to the painter when there is one. Returns the old colour.
    COLORREF SetColor(COLORREF color);
    COLORREF GetColor() const { return m_color; }
    // The painter that follows the colour (not owned; null for none).
    void SetDC(QPainter* painter);
    QPainter* GetDC() const { return m_painter; }

    // "Times New Roman, 12 pt, bold, italic, underline, color".
    QString Describe() const;
    QString ToString() const;
    // Reads the text form; fields missing from a short text keep their values. True when every
    // field was there.
    bool FromString(const QString& text);

    // Asks the person for another font; on IDOK takes its fields (the colour stays). Returns the answer.
    int ChooseFont();

    // The font to draw with: faces this system lacks are drawn with their metric twins.
    const QFont& GetFont() const { return m_font; }
    operator const QFont&() const { return m_font; }
    static QString DrawingFace(const QString& faceName);
    // The logical fields of a QFont (a pixel size becomes a negative height).
    static LOGFONT FromQFont(const QFont& font);

private:
    template <typename T> T SetField(T LOGFONT::*field, T value);
    void RemakeFont();

    LOGFONT m_logFont;
    COLORREF m_color = 0;
    QPainter* m_painter = nullptr;
    QFont m_font;
};

// The fields of the default stored font.
LOGFONT DefaultLogFont();
