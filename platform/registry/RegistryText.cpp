#include "platform/registry/RegistryTree.h"

#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <cctype>

namespace lumivo::registry::detail
{

namespace
{

constexpr QChar kSeparator = QLatin1Char('\\');

void appendQuoted(QString& out, const QString& text)
{
    out += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    out += QLatin1Char('"');
}

void appendHex(QString& out, const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        out += QString::asprintf("%02x", static_cast<unsigned char>(bytes[i]));
    }
}

// A text value read as bytes (hex(1):...) has no text to write: its bytes are written as they came.
bool isTypedBytes(const Value& value)
{
    return value.type == REG_SZ && value.text.isEmpty() && !value.bytes.isEmpty();
}

void appendValueLine(QString& out, const QString& name, const Value& value)
{
    if (name.isEmpty())
        out += QLatin1Char('@');
    else
        appendQuoted(out, name);
    out += QLatin1Char('=');
    if (value.type == REG_SZ && !isTypedBytes(value)) {
        appendQuoted(out, value.text);
    } else if (value.type == REG_DWORD && value.bytes.size() == 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(value.bytes.constData());
        const std::uint32_t number = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
        out += QString::asprintf("dword:%08x", number);
    } else {
        out += value.type == REG_BINARY ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(value.type);
        appendHex(out, value.bytes);
    }
    out += QLatin1Char('\n');
}

void appendKey(QString& out, const KeyNode& node, const QString& path)
{
    // Every key is written, so empty keys survive; the root only when it holds values.
    if (!path.isEmpty() || !node.values.empty()) {
        out += QLatin1Char('[') + path + QStringLiteral("]\n");
        for (const auto& [name, value] : node.values)
            appendValueLine(out, name, value);
        out += QLatin1Char('\n');
    }
    for (const auto& [folded, child] : node.children)
        appendKey(out, *child, path.isEmpty() ? child->name : path + kSeparator + child->name);
}

// A quoted text at `pos`; on success `pos` stands after the closing quote.
std::optional<QString> readQuoted(QStringView line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return std::nullopt;
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return text;
        }
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        const QChar escaped = line[pos];
        if (escaped == QLatin1Char('n'))
            text += QLatin1Char('\n');
        else if (escaped == QLatin1Char('r'))
            text += QLatin1Char('\r');
        else if (escaped == QLatin1Char('\\') || escaped == QLatin1Char('"'))
            text += escaped;
        else
            return std::nullopt;
    }
    return std::nullopt;
}

// Digits only: a number parser would also take signs, blanks and "0x", which this format never writes.
bool allDigits(QStringView text, int base)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [base](QChar c) {
        return c.unicode() < 0x80 && (base == 16 ? std::isxdigit(c.unicode()) : std::isdigit(c.unicode()));
    });
}

std::optional<QByteArray> readHex(QStringView text)
{
    QByteArray bytes;
    if (text.trimmed().isEmpty())
        return bytes;
    for (QStringView part : text.split(QLatin1Char(','))) {
        part = part.trimmed();
        if (part.size() > 2 || !allDigits(part, 16))
            return std::nullopt;
        bytes.append(static_cast<char>(part.toUInt(nullptr, 16)));
    }
    return bytes;
}

std::optional<Value> readValueText(QStringView text)
{
    qsizetype pos = 0;
    if (text.startsWith(QLatin1Char('"'))) {
        auto quoted = readQuoted(text, pos);
        if (!quoted || pos != text.size())
            return std::nullopt;
        return Value::string(*quoted);
    }
    if (text.startsWith(QLatin1String("dword:"))) {
        const QStringView digits = text.mid(6);
        if (digits.size() != 8 || !allDigits(digits, 16))
            return std::nullopt;
        return Value::dword(digits.toUInt(nullptr, 16));
    }
    std::uint32_t type = REG_BINARY;
    QStringView rest;
    if (text.startsWith(QLatin1String("hex:"))) {
        rest = text.mid(4);
    } else if (text.startsWith(QLatin1String("hex("))) {
        const qsizetype close = text.indexOf(QLatin1String("):"));
        const QStringView number = close > 4 ? text.mid(4, close - 4) : QStringView();
        bool ok = false;
        type = allDigits(number, 10) ? number.toUInt(&ok) : 0;
        if (!ok)
            return std::nullopt;
        rest = text.mid(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = readHex(rest);
    // A number is read as four bytes by everyone who asks for it.
    if (!bytes || (type == REG_DWORD && bytes->size() != 4))
        return std::nullopt;
    // Kept as read: a text given as bytes stays bytes, so writing it back loses nothing.
    return Value{type, {}, *bytes};
}

bool parseValueLine(QStringView line, KeyNode& key)
{
    qsizetype pos = 0;
    QString name;
    if (line.startsWith(QLatin1Char('@'))) {
        pos = 1;
    } else {
        auto quoted = readQuoted(line, pos);
        if (!quoted || quoted->isEmpty())
            return false;
        name = *quoted;
    }
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return false;
    auto value = readValueText(line.mid(pos + 1));
    if (!value)
        return false;
    // The file is written with each name once; a second line of the same name takes the value's place,
    // and the first one's is kept only in the damaged copy.
    const bool seen = key.value(name) != nullptr;
    key.setValue(name, *value);
    return !seen;
}

KeyNode* parseKeyLine(QStringView line, KeyNode& root)
{
    if (!line.endsWith(QLatin1Char(']')))
        return nullptr;
    const QString path = line.mid(1, line.size() - 2).toString();
    auto elements = splitKeyPath(path);
    if (!elements)
        return nullptr;
    KeyNode* node = &root;
    for (const QString& element : *elements)
        node = &node->childOrNew(element);
    return node;
}

} // namespace

KeyNode* KeyNode::child(const QString& childName) const
{
    const auto found = children.find(foldedName(childName));
    return found == children.end() ? nullptr : found->second.get();
}

KeyNode& KeyNode::childOrNew(const QString& childName)
{
    auto& slot = children[foldedName(childName)];
    if (!slot) {
        slot = std::make_unique<KeyNode>();
        slot->name = childName;
    }
    return *slot;
}

Value* KeyNode::value(const QString& valueName)
{
    const QString folded = foldedName(valueName);
    for (auto& [name, stored] : values) {
        if (foldedName(name) == folded)
            return &stored;
    }
    return nullptr;
}

void KeyNode::setValue(const QString& valueName, const Value& newValue)
{
    if (Value* existing = value(valueName))
        *existing = newValue;
    else
        values.emplace_back(valueName, newValue);
}

bool KeyNode::removeValue(const QString& valueName)
{
    const QString folded = foldedName(valueName);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (foldedName(it->first) == folded) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<QStringList> splitKeyPath(const QString& subKey)
{
    QStringList elements;
    if (subKey.isEmpty())
        return elements;
    elements = subKey.split(kSeparator);
    for (const QString& element : elements) {
        if (element.isEmpty() || element.contains(QLatin1Char('\n')) || element.contains(QLatin1Char('\r')))
            return std::nullopt;
    }
    return elements;
}

QByteArray formatRoot(const KeyNode& root, const QString& rootTitle)
{
    QString out = QStringLiteral("; Lumivo settings registry: ") + rootTitle + QStringLiteral("\n\n");
    appendKey(out, root, {});
    return out.toUtf8();
}

ParseResult parseRoot(const QByteArray& text, KeyNode& root)
{
    ParseResult result;
    KeyNode* current = &root;
    bool skipping = false; // after an unsound key line, until the next sound one
    int lineNumber = 0;
    for (const QByteArray& bytes : text.split('\n')) {
        ++lineNumber;
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString raw = decoder(bytes);
        QStringView line(raw);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!decoder.hasError() && (line.trimmed().isEmpty() || line.startsWith(QLatin1Char(';'))))
            continue;
        bool sound = false;
        if (decoder.hasError()) {
            sound = false;
        } else if (line.startsWith(QLatin1Char('['))) {
            current = parseKeyLine(line, root);
            skipping = current == nullptr;
            sound = !skipping;
        } else if (!skipping) {
            sound = parseValueLine(line, *current);
        }
        if (!sound) {
            if (result.firstBadLine == 0)
                result.firstBadLine = lineNumber;
            ++result.badLines;
        }
    }
    return result;
}

} // namespace lumivo::registry::detail
