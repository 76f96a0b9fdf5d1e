#pragma once
// Settings access by full key path ("HKEY_CURRENT_USER\Software\Lumivo\Settings"), and the small
// path helper that splits such paths and file paths into elements.

#include "platform/registry/Registry.h"
#include "platform/types/WinTypes.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

using lumivo::registry::KEY_ALL_ACCESS;
using lumivo::registry::KEY_READ;
using lumivo::registry::KEY_WRITE;
using lumivo::registry::REG_BINARY;
using lumivo::registry::REG_DWORD;
using lumivo::registry::REG_NONE;
using lumivo::registry::REG_SZ;

// Splits paths into elements at one separator: the backslash for registry key paths, the native '/'
// for file paths.
class CRegPath
{
public:
    explicit CRegPath(QChar separator = QLatin1Char('\\')) : m_separator(separator) {}
    virtual ~CRegPath() = default;

    static CRegPath ForFiles() { return CRegPath(QLatin1Char('/')); }
    QChar Separator() const { return m_separator; }

    // Removes `c` from both ends.
    static QString Trim(const QString& path, QChar c);
    QString Trim(const QString& path) const { return Trim(path, m_separator); }
    // path + separator + element, with the separators trimmed around the seam.
    QString Join(const QString& path, const QString& element) const;
    // The text before the first separator (all of it when there is none) and the text after it.
    void SplitRoot(const QString& path, QString& root, QString& rest) const;
    static bool IsSamePath(const QString& a, const QString& b, bool caseSensitive);

    // The number of elements once separators are trimmed from both ends; 0 for an empty path.
    int CountElements(const QString& path) const;
    // Element n counted from 0; false when n is negative or not below the count.
    bool GetElement(const QString& path, int n, QString& element) const;
    // The last element; false for an empty path.
    bool GetLastElement(const QString& path, QString& element) const;
    // The path up to its last separator, trimmed (empty when it has none); always true.
    bool RemoveLastElement(QString& path) const;

private:
    QStringList Elements(const QString& path) const;

    QChar m_separator;
};

// A key opened by `CRegistry::OpenKeyPath`.
struct RegKey {
    lumivo::registry::Root root = lumivo::registry::Root::CurrentUser;
    QString subKey;
    std::uint32_t access = KEY_READ;
};

class CRegistry
{
public:
    CRegistry() = default;
    // Writes every changed root, so what was set through this object is on disk once it is gone; a
    // root that cannot be written goes to lumivo::registry::theUnwrittenSettingsHook.
    virtual ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Non-zero: every key is written to disk when it is closed. Returns the previous option.
    std::uint32_t SetFlushOption(std::uint32_t option);
    std::uint32_t GetFlushOption() const { return m_flushOption; }

    // Root names (long or short) to roots; the reverse always gives the long name.
    static bool RootFromName(const QString& name, lumivo::registry::Root& root);
    static QString RootName(lumivo::registry::Root root);

    bool OpenKeyPath(const QString& path, RegKey& key, std::uint32_t access = KEY_READ);
    void CloseKey(const RegKey& key);

    bool KeyExists(const QString& path);
    bool ValueExists(const QString& path, const QString& name);
    // Appends the names of the sub-keys (and their classes, which are always empty here).
    bool EnumerateSubKeys(const QString& path, QStringList& names, QStringList* classes = nullptr);
    bool EnumerateValues(const QString& path, QStringList& names);
    // The number of values; kKeyNotOpened when the key does not open.
    static constexpr int kKeyNotOpened = -1;
    int CountValues(const QString& path);
    bool CreateKey(const QString& path);
    // Deletes the last element of the path under its parent; a key that has sub-keys stays.
    bool DeleteKey(const QString& path);
    bool DeleteValue(const QString& path, const QString& name);

    // Reads succeed only for a value of the expected type.
    bool ReadString(const QString& path, const QString& name, QString& text);
    bool ReadDWord(const QString& path, const QString& name, std::uint32_t& value);
    bool ReadInt(const QString& path, const QString& name, int& value);
    // REG_BINARY: `size` bytes, the stored bytes first and zeros after when fewer are stored.
    bool ReadBytes(const QString& path, const QString& name, void* data, std::size_t size);
    // The 8-byte and 16-byte structures: two and four 32-bit numbers.
    bool ReadPair(const QString& path, const QString& name, std::int32_t& first, std::int32_t& second);
    bool ReadQuad(const QString& path, const QString& name, std::int32_t (&numbers)[4]);

    bool ReadPoint(const QString& path, const QString& name, POINT& point);
    bool ReadSize(const QString& path, const QString& name, SIZE& size);
    bool ReadRect(const QString& path, const QString& name, RECT& rect);

    bool WriteString(const QString& path, const QString& name, const QString& text);
    bool WriteText(const QString& path, const QString& name, const QString& text);
    bool WriteDWord(const QString& path, const QString& name, std::uint32_t value);
    bool WriteInt(const QString& path, const QString& name, int value);
    bool WriteBytes(const QString& path, const QString& name, const void* data, std::size_t size);
    bool WritePair(const QString& path, const QString& name, std::int32_t first, std::int32_t second);
    bool WriteQuad(const QString& path, const QString& name, const std::int32_t (&numbers)[4]);

    bool WritePoint(const QString& path, const QString& name, const POINT& point);
    bool WriteSize(const QString& path, const QString& name, const SIZE& size);
    bool WriteRect(const QString& path, const QString& name, const RECT& rect);

    // Copies a value with its type and size.
    bool CopyValue(const QString& sourcePath, const QString& sourceName, const QString& targetPath,
                   const QString& targetName);

    // Writes every changed root now.
    bool Flush();
    // Writes the root of a full key path now, when it has changed; false when it could not be written
    // (or the path names no root).
    bool FlushRootOf(const QString& path);
    // The file that keeps the root of a full key path; empty when the path names no root.
    QString FileOf(const QString& path) const;

private:
    // The root and sub-key of a full key path; false when it does not begin with a root name.
    bool SplitKeyPath(const QString& path, RegKey& key) const;
    // Opens the key, runs `action` on it and closes it again; false when the key does not open.
    bool WithKey(const QString& path, std::uint32_t access, const std::function<bool(const RegKey&)>& action);
    bool ReadTyped(const QString& path, const QString& name, std::uint32_t type,
                   lumivo::registry::Value& value);
    bool ReadQuadOrPair(const QString& path, const QString& name, std::int32_t* numbers, int count);
    bool WriteValue(const QString& path, const QString& name, const lumivo::registry::Value& value);

    CRegPath m_path;
    std::uint32_t m_flushOption = 0;
};

// The program's registry object, made at start-up and deleted at exit.
extern std::unique_ptr<CRegistry> theRegistry;
// Deletes the registry object, as at exit.
void ResetRegistryObject();

// File paths (native '/' separators).

// The program file's path.
QString GetExeFilePath();
// The last element without its extension; an extension is only cut when its dot is not the element's
// first character and the dot and what follows are shorter than 5 characters.
QString GetFileBaseName(const QString& path);
// The text after the last dot of the last element; empty when there is none.
QString GetFileExtension(const QString& path);
// The path without the last element's extension (a dot in a folder name is never taken for one).
QString StripFileExtension(const QString& path);
// The path shortened for display to at most `maxLength` characters: its first and last elements are
// kept and as many middle elements as fit, the rest replaced by "...".
QString AbbreviatePath(const QString& path, int maxLength);
