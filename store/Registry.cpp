#include "store/Registry.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <optional>

using lumivo::registry::Root;
using lumivo::registry::Value;

std::unique_ptr<CRegistry> theRegistry;

void ResetRegistryObject()
{
    theRegistry.reset();
}

namespace
{

lumivo::registry::Registry& store()
{
    return lumivo::registry::registry();
}

QByteArray littleEndian(const std::int32_t* numbers, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const auto number = static_cast<std::uint32_t>(numbers[i]);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(static_cast<char>((number >> shift) & 0xFF));
    }
    return bytes;
}

void readLittleEndian(const unsigned char* bytes, std::int32_t* numbers, int count)
{
    for (int i = 0; i < count; ++i) {
        const unsigned char* b = bytes + 4 * i;
        numbers[i] =
            static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24));
    }
}

} // namespace

// ---- CRegPath

QString CRegPath::Trim(const QString& path, QChar c)
{
    qsizetype begin = 0;
    qsizetype end = path.size();
    while (begin < end && path[begin] == c)
        ++begin;
    while (end > begin && path[end - 1] == c)
        --end;
    return path.mid(begin, end - begin);
}

QString CRegPath::Join(const QString& path, const QString& element) const
{
    QString head = path;
    while (head.endsWith(m_separator))
        head.chop(1);
    QString tail = element;
    while (tail.startsWith(m_separator))
        tail.remove(0, 1);
    return head + m_separator + tail;
}

void CRegPath::SplitRoot(const QString& path, QString& root, QString& rest) const
{
    const qsizetype at = path.indexOf(m_separator);
    root = at < 0 ? path : path.left(at);
    rest = at < 0 ? QString() : path.mid(at + 1);
}

bool CRegPath::IsSamePath(const QString& a, const QString& b, bool caseSensitive)
{
    return a.compare(b, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

QStringList CRegPath::Elements(const QString& path) const
{
    const QString trimmed = Trim(path);
    return trimmed.isEmpty() ? QStringList() : trimmed.split(m_separator);
}

int CRegPath::CountElements(const QString& path) const
{
    return static_cast<int>(Elements(path).size());
}

bool CRegPath::GetElement(const QString& path, int n, QString& element) const
{
    const QStringList elements = Elements(path);
    if (n < 0 || n >= elements.size())
        return false;
    element = elements[n];
    return true;
}

bool CRegPath::GetLastElement(const QString& path, QString& element) const
{
    const QStringList elements = Elements(path);
    if (elements.isEmpty())
        return false;
    element = elements.last();
    return true;
}

bool CRegPath::RemoveLastElement(QString& path) const
{
    const qsizetype at = path.lastIndexOf(m_separator);
    path = at < 0 ? QString() : Trim(path.left(at));
    return true;
}

// ---- CRegistry

CRegistry::~CRegistry()
{
    // Nobody is left to tell: the program registry hands what it could not write to its hook.
    lumivo::registry::flushProgramRegistry();
}

std::uint32_t CRegistry::SetFlushOption(std::uint32_t option)
{
    return std::exchange(m_flushOption, option);
}

bool CRegistry::RootFromName(const QString& name, Root& root)
{
    const auto found = lumivo::registry::rootFromName(name);
    if (found)
        root = *found;
    return found.has_value();
}

QString CRegistry::RootName(Root root)
{
    return lumivo::registry::rootName(root);
}

bool CRegistry::SplitKeyPath(const QString& path, RegKey& key) const
{
    QString rootText;
    m_path.SplitRoot(path, rootText, key.subKey);
    return RootFromName(rootText, key.root);
}

bool CRegistry::OpenKeyPath(const QString& path, RegKey& key, std::uint32_t access)
{
    RegKey opened;
    opened.access = access;
    if (!SplitKeyPath(path, opened) || !store().keyExists(opened.root, opened.subKey))
        return false;
    key = opened;
    return true;
}

void CRegistry::CloseKey(const RegKey& key)
{
    if (m_flushOption != 0)
        store().flush(key.root);
    else if (store().isDirty(key.root))
        lumivo::registry::flushSoon();
}

bool CRegistry::WithKey(const QString& path, std::uint32_t access,
                        const std::function<bool(const RegKey&)>& action)
{
    RegKey key;
    if (!OpenKeyPath(path, key, access))
        return false;
    const bool done = action(key);
    CloseKey(key);
    return done;
}

bool CRegistry::KeyExists(const QString& path)
{
    return WithKey(path, KEY_READ, [](const RegKey&) { return true; });
}

bool CRegistry::ValueExists(const QString& path, const QString& name)
{
    return WithKey(path, KEY_READ, [&](const RegKey& key) {
        return store().readValue(key.root, key.subKey, name).has_value();
    });
}

bool CRegistry::EnumerateSubKeys(const QString& path, QStringList& names, QStringList* classes)
{
    return WithKey(path, KEY_READ, [&](const RegKey& key) {
        const auto found = store().subKeyNames(key.root, key.subKey);
        if (!found)
            return false;
        names += *found;
        if (classes) {
            for (qsizetype i = 0; i < found->size(); ++i)
                classes->append(QString());
        }
        return true;
    });
}

bool CRegistry::EnumerateValues(const QString& path, QStringList& names)
{
    return WithKey(path, KEY_READ, [&](const RegKey& key) {
        const auto found = store().valueNames(key.root, key.subKey);
        if (found)
            names += *found;
        return found.has_value();
    });
}

int CRegistry::CountValues(const QString& path)
{
    QStringList names;
    return EnumerateValues(path, names) ? static_cast<int>(names.size()) : kKeyNotOpened;
}

bool CRegistry::CreateKey(const QString& path)
{
    RegKey key;
    key.access = KEY_ALL_ACCESS;
    if (!SplitKeyPath(path, key) || !store().createKey(key.root, key.subKey))
        return false;
    CloseKey(key);
    return true;
}

bool CRegistry::DeleteKey(const QString& path)
{
    RegKey key;
    key.access = KEY_ALL_ACCESS;
    if (!SplitKeyPath(path, key) || !store().deleteKey(key.root, key.subKey))
        return false;
    CloseKey(key);
    return true;
}

bool CRegistry::DeleteValue(const QString& path, const QString& name)
{
    return WithKey(path, KEY_READ | KEY_WRITE,
                   [&](const RegKey& key) { return store().deleteValue(key.root, key.subKey, name); });
}

bool CRegistry::ReadTyped(const QString& path, const QString& name, std::uint32_t type, Value& value)
{
    return WithKey(path, KEY_READ, [&](const RegKey& key) {
        auto found = store().readValue(key.root, key.subKey, name);
        if (!found || found->type != type)
            return false;
        value = std::move(*found);
        return true;
    });
}

bool CRegistry::ReadString(const QString& path, const QString& name, QString& text)
{
    Value value;
    if (!ReadTyped(path, name, REG_SZ, value))
        return false;
    text = value.text;
    return true;
}

bool CRegistry::ReadDWord(const QString& path, const QString& name, std::uint32_t& number)
{
    std::int32_t signedNumber = 0;
    Value value;
    if (!ReadTyped(path, name, REG_DWORD, value))
        return false;
    readLittleEndian(reinterpret_cast<const unsigned char*>(value.bytes.constData()), &signedNumber, 1);
    number = static_cast<std::uint32_t>(signedNumber);
    return true;
}

bool CRegistry::ReadBytes(const QString& path, const QString& name, void* data, std::size_t size)
{
    Value value;
    if (!ReadTyped(path, name, REG_BINARY, value))
        return false;
    // A shorter stored value reads as its bytes followed by zeros.
    const std::size_t stored = std::min(size, static_cast<std::size_t>(value.bytes.size()));
    std::memset(data, 0, size);
    if (stored > 0)
        std::memcpy(data, value.bytes.constData(), stored);
    return true;
}

bool CRegistry::ReadInt(const QString& path, const QString& name, int& number)
{
    std::int32_t read = 0;
    if (!ReadQuadOrPair(path, name, &read, 1))
        return false;
    number = read;
    return true;
}

bool CRegistry::ReadPair(const QString& path, const QString& name, std::int32_t& first, std::int32_t& second)
{
    std::int32_t numbers[2] = {0, 0};
    if (!ReadQuadOrPair(path, name, numbers, 2))
        return false;
    first = numbers[0];
    second = numbers[1];
    return true;
}

bool CRegistry::ReadQuad(const QString& path, const QString& name, std::int32_t (&numbers)[4])
{
    return ReadQuadOrPair(path, name, numbers, 4);
}

bool CRegistry::ReadQuadOrPair(const QString& path, const QString& name, std::int32_t* numbers, int count)
{
    unsigned char bytes[16] = {};
    if (!ReadBytes(path, name, bytes, static_cast<std::size_t>(count) * 4))
        return false;
    readLittleEndian(bytes, numbers, count);
    return true;
}

bool CRegistry::ReadPoint(const QString& path, const QString& name, POINT& point)
{
    return ReadPair(path, name, point.x, point.y);
}

bool CRegistry::ReadSize(const QString& path, const QString& name, SIZE& size)
{
    return ReadPair(path, name, size.cx, size.cy);
}

bool CRegistry::ReadRect(const QString& path, const QString& name, RECT& rect)
{
    std::int32_t numbers[4] = {};
    if (!ReadQuad(path, name, numbers))
        return false;
    rect = RECT{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

bool CRegistry::WritePoint(const QString& path, const QString& name, const POINT& point)
{
    return WritePair(path, name, point.x, point.y);
}

bool CRegistry::WriteSize(const QString& path, const QString& name, const SIZE& size)
{
    return WritePair(path, name, size.cx, size.cy);
}

bool CRegistry::WriteRect(const QString& path, const QString& name, const RECT& rect)
{
    const std::int32_t numbers[4] = {rect.left, rect.top, rect.right, rect.bottom};
    return WriteQuad(path, name, numbers);
}

bool CRegistry::WriteValue(const QString& path, const QString& name, const Value& value)
{
    return WithKey(path, KEY_READ | KEY_WRITE,
                   [&](const RegKey& key) { return store().writeValue(key.root, key.subKey, name, value); });
}

bool CRegistry::WriteString(const QString& path, const QString& name, const QString& text)
{
    return WriteValue(path, name, Value::string(text));
}

bool CRegistry::WriteText(const QString& path, const QString& name, const QString& text)
{
    return WriteString(path, name, text);
}

bool CRegistry::WriteDWord(const QString& path, const QString& name, std::uint32_t number)
{
    return WriteValue(path, name, Value::dword(number));
}

bool CRegistry::WriteInt(const QString& path, const QString& name, int number)
{
    const std::int32_t numbers[1] = {number};
    return WriteValue(path, name, Value::binary(littleEndian(numbers, 1)));
}

bool CRegistry::WriteBytes(const QString& path, const QString& name, const void* data, std::size_t size)
{
    return WriteValue(
        path, name, Value::binary(QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size))));
}

bool CRegistry::WritePair(const QString& path, const QString& name, std::int32_t first, std::int32_t second)
{
    const std::int32_t numbers[2] = {first, second};
    return WriteValue(path, name, Value::binary(littleEndian(numbers, 2)));
}

bool CRegistry::WriteQuad(const QString& path, const QString& name, const std::int32_t (&numbers)[4])
{
    return WriteValue(path, name, Value::binary(littleEndian(numbers, 4)));
}

bool CRegistry::CopyValue(const QString& sourcePath, const QString& sourceName, const QString& targetPath,
                          const QString& targetName)
{
    std::optional<Value> value;
    WithKey(sourcePath, KEY_READ, [&](const RegKey& key) {
        value = store().readValue(key.root, key.subKey, sourceName);
        return value.has_value();
    });
    return value && WriteValue(targetPath, targetName, *value);
}

bool CRegistry::Flush()
{
    return store().flushAll();
}

bool CRegistry::FlushRootOf(const QString& path)
{
    RegKey key;
    return SplitKeyPath(path, key) && store().flush(key.root);
}

QString CRegistry::FileOf(const QString& path) const
{
    RegKey key;
    return SplitKeyPath(path, key) ? store().fileOf(key.root) : QString();
}

// ---- File paths

namespace
{

const CRegPath& filePath()
{
    static const CRegPath helper = CRegPath::ForFiles();
    return helper;
}

QString lastElement(const QString& path)
{
    QString element;
    filePath().GetLastElement(path, element);
    return element;
}

} // namespace

QString GetExeFilePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString GetFileBaseName(const QString& path)
{
    const QString element = lastElement(path);
    const qsizetype dot = element.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && element.size() - dot < 5)
        return element.left(dot);
    return element;
}

QString GetFileExtension(const QString& path)
{
    const QString element = lastElement(path);
    const qsizetype dot = element.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : element.mid(dot + 1);
}

QString StripFileExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < path.lastIndexOf(QLatin1Char('/')))
        return path;
    return path.left(dot);
}

QString AbbreviatePath(const QString& path, int maxLength)
{
    const QChar separator = QLatin1Char('/');
    // A leading separator (an absolute path) stays with the first element.
    const QString lead = path.startsWith(separator) ? QString(separator) : QString();
    const QString trimmed = lead + CRegPath::Trim(path, separator);
    if (trimmed.size() <= maxLength)
        return trimmed;

    const QStringList elements = lead.isEmpty() ? trimmed.split(separator) : trimmed.mid(1).split(separator);
    const QString first = lead + elements.first();
    const QString last = elements.last();
    if (elements.size() <= 2 || first.size() + last.size() >= maxLength - 5)
        return (first + separator + QStringLiteral("...")).left(std::max(0, maxLength));

    QString start = first + separator;
    QString end = separator + last;
    qsizetype budget = maxLength - first.size() - last.size();
    qsizetype front = 1;
    qsizetype back = elements.size() - 2;
    bool fromBack = true;
    while (front <= back) {
        const bool lastMiddle = front == back;
        const QString& element = elements[fromBack ? back : front];
        // The dots and their separator still have to fit after an element that leaves others out.
        const qsizetype reserve = lastMiddle ? 4 : 5;
        if (budget - reserve <= element.size())
            break;
        budget -= element.size() + 1;
        if (fromBack) {
            end = (lastMiddle ? QString() : QString(separator)) + element + end;
            --back;
        } else {
            start += element + (lastMiddle ? QString() : QString(separator));
            ++front;
        }
        fromBack = !fromBack;
    }
    if (front <= back)
        start += QStringLiteral("...");
    return start + end;
}
