#include "admin/ResourceTypeText.h"

#include "admin/AdminStrings.h"
#include "platform/archive/Cp1252.h"
#include "system/SystemStrings.h"

#include <QStringList>

#include <array>

namespace
{

constexpr int kTypeBytes = 4;
constexpr int kLargestByte = 255;

// The Danish letters æ, ø, å, Æ, Ø, Å in the 8-bit character set.
constexpr std::array<unsigned char, 6> kDanishLetters{0xE6, 0xF8, 0xE5, 0xC6, 0xD8, 0xC5};

bool showsAsItself(unsigned char byte)
{
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
        return true;
    for (const unsigned char letter : kDanishLetters) {
        if (byte == letter)
            return true;
    }
    return byte == ' ' || byte == '-' || byte == '_' || byte == '*' || byte == '+';
}

std::array<unsigned char, kTypeBytes> bytesOf(std::int32_t type)
{
    const auto bits = static_cast<std::uint32_t>(type);
    return {static_cast<unsigned char>(bits >> 24), static_cast<unsigned char>(bits >> 16),
            static_cast<unsigned char>(bits >> 8), static_cast<unsigned char>(bits)};
}

std::int32_t typeOf(const std::array<unsigned char, kTypeBytes>& bytes)
{
    std::uint32_t bits = 0;
    for (const unsigned char byte : bytes)
        bits = (bits << 8) | byte;
    return static_cast<std::int32_t>(bits);
}

std::optional<std::int32_t> fromCharacters(const QString& text)
{
    if (text.size() != kTypeBytes || !fitsWindows1252(text))
        return std::nullopt;
    const QByteArray codes = toWindows1252(text);
    std::array<unsigned char, kTypeBytes> bytes{};
    for (int i = 0; i < kTypeBytes; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>(codes[i]);
    return typeOf(bytes);
}

// Each field must be a plain decimal number: "7x" or an empty field is no byte.
std::optional<std::int32_t> fromNumbers(const QString& text)
{
    if (text.contains(QLatin1Char('\'')))
        return std::nullopt;
    const QStringList fields = text.split(QLatin1Char('-'));
    if (fields.size() != kTypeBytes)
        return std::nullopt;
    std::array<unsigned char, kTypeBytes> bytes{};
    for (int i = 0; i < kTypeBytes; ++i) {
        bool isNumber = false;
        const QString field = fields[i].trimmed();
        const int value = field.toInt(&isNumber, 10);
        if (!isNumber || field.startsWith(QLatin1Char('+')) || value < 0 || value > kLargestByte)
            return std::nullopt;
        bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>(value);
    }
    return typeOf(bytes);
}

} // namespace

QString FormatResType(std::int32_t type)
{
    const auto bytes = bytesOf(type);
    QByteArray shown;
    for (const unsigned char byte : bytes)
        shown.append(showsAsItself(byte) ? static_cast<char>(byte) : '?');
    return QStringLiteral("'%1'  '%2-%3-%4-%5'")
        .arg(fromWindows1252(shown))
        .arg(bytes[0])
        .arg(bytes[1])
        .arg(bytes[2])
        .arg(bytes[3]);
}

std::optional<std::int32_t> ParseResType(const QString& text, bool showMessage)
{
    if (text.isEmpty())
        return 0;
    const QString trimmed = text.trimmed();
    std::optional<std::int32_t> type = fromCharacters(trimmed);
    if (!type)
        type = fromNumbers(trimmed);
    if (!type && showMessage)
        ShowMessageText(LoadSystemString(kTypeFormatText));
    return type;
}
