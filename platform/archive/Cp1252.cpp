#include "platform/archive/Cp1252.h"

#include <array>
#include <cstdint>

namespace
{

// Code points of the bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decodeByte(std::uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

constexpr int kNoByte = -1;

// The byte for one UTF-16 unit, or kNoByte when the code page has none.
int encodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<int>(0x80 + i);
    }
    return kNoByte;
}

} // namespace

QByteArray toWindows1252(const QString& text, bool* lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool allKept = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const int byte = encodeUnit(unit);
        if (byte != kNoByte) {
            bytes.append(static_cast<char>(byte));
            continue;
        }
        allKept = false;
        bytes.append('?');
        // One replacement for a whole surrogate pair: it was one character.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    if (lossless)
        *lossless = allKept;
    return bytes;
}

QString fromWindows1252(const char* bytes, std::size_t size)
{
    QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < size; ++i)
        out[i] = QChar(decodeByte(static_cast<std::uint8_t>(bytes[i])));
    return text;
}

QString fromWindows1252(const QByteArray& bytes)
{
    return fromWindows1252(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool fitsWindows1252(const QString& text)
{
    for (const QChar ch : text) {
        if (encodeUnit(ch.unicode()) == kNoByte)
            return false;
    }
    return true;
}
