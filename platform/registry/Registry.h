#pragma once
// The settings registry: a tree of keys under a few named roots, each key holding typed values.
// Key and value names keep the case they were created with but are found without regard to case.
//
// Each root lives in memory once it has been touched and is kept in one text file of its own under
// $XDG_CONFIG_HOME/Lumivo/ (a person can read it; binary values are in hex). Changes are written by
// `flush`, always beside the file and renamed over it, so a crash leaves the old file or the new one.
// A damaged file is read as far as it is sound, reported once, and kept beside as "<file>.damaged"
// before it is first replaced.

#include "platform/types/Hook.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumivo::registry
{

namespace detail
{
struct KeyNode;
}

// Value types, with the numbers they are known by.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

// Access masks a key is opened with; this registry keeps no permissions, so they are only checked for
// being known masks by callers that care.
constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_WRITE = 0x20006;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

enum class Root : std::uint8_t {
    ClassesRoot,
    CurrentConfig,
    CurrentUser,
    LocalMachine,
    Users,
    DynData,
    PerformanceData,
};
constexpr std::size_t kRootCount = 7;

// "HKEY_CURRENT_USER" or "HKCU" (without regard to case) to the root; nothing for other names.
std::optional<Root> rootFromName(const QString& name);
// Always the long name.
QString rootName(Root root);

// A typed value: REG_SZ keeps its text, every other type its bytes (a REG_DWORD is 4 bytes, little-endian).
struct Value {
    std::uint32_t type = REG_NONE;
    QString text;
    QByteArray bytes;

    static Value string(const QString& text) { return {REG_SZ, text, {}}; }
    static Value dword(std::uint32_t number);
    static Value binary(const QByteArray& bytes) { return {REG_BINARY, {}, bytes}; }

    // The stored size in bytes, as the registry reports it (a text counts its UTF-8 bytes and a zero).
    std::size_t size() const;
    bool operator==(const Value& other) const = default;
};

class Registry
{
public:
    // Keeps its files in `folder`.
    explicit Registry(QString folder);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // $XDG_CONFIG_HOME/Lumivo, or ~/.config/Lumivo when the variable is not set.
    static QString defaultFolder();
    const QString& folder() const { return m_folder; }
    QString fileOf(Root root) const;

    // `subKey` is a backslash-separated path below the root; empty means the root itself.
    bool keyExists(Root root, const QString& subKey);
    // Creates the key and every missing key above it; true when the key exists afterwards.
    bool createKey(Root root, const QString& subKey);
    // Deletes a key that has no sub-keys (a key with sub-keys is refused, so a delete never takes more
    // than its caller named). A root cannot be deleted.
    bool deleteKey(Root root, const QString& subKey);

    std::optional<Value> readValue(Root root, const QString& subKey, const QString& name);
    // The key must exist. Writing an empty name sets the key's default value.
    bool writeValue(Root root, const QString& subKey, const QString& name, const Value& value);
    bool deleteValue(Root root, const QString& subKey, const QString& name);

    // Names of the sub-keys, in order without regard to case; nothing when the key does not exist.
    std::optional<QStringList> subKeyNames(Root root, const QString& subKey);
    // Names of the values, in the order they were first written; nothing when the key does not exist.
    std::optional<QStringList> valueNames(Root root, const QString& subKey);

    // Writes a root's file when it has changed; true when it is on disk.
    bool flush(Root root);
    bool flushAll();
    bool isDirty(Root root) const;

private:
    struct RootState;
    RootState& state(Root root);
    detail::KeyNode* findNode(Root root, const QString& subKey);
    void load(Root root, RootState& loaded);

    QString m_folder;
    std::array<std::unique_ptr<RootState>, kRootCount> m_roots;
};

// The program's registry, in `Registry::defaultFolder()`; when that folder changes (a test's own
// configuration folder), unsaved changes of the old one are dropped and the new one is used.
Registry& registry();
// Writes the program registry's changed roots now. A write nobody waits for (the event loop's, the last
// one at exit) has nobody to tell when it fails: each root that could not be written is handed, as its
// file, to theUnwrittenSettingsHook, and stays changed, so the next write tries it again. False when
// one could not be written.
bool flushProgramRegistry();
// Writes the program registry's changed roots when the event loop next runs, as flushProgramRegistry:
// settings reach the disk promptly, and a run of changes is written once. Does nothing without an
// application object.
void flushSoon();
// Forgets the program's registry without writing it; the next use starts afresh from disk. For tests,
// whose configuration folder changes from one test to the next.
void discardRegistry();

// Told the file of a root whose changes flushProgramRegistry could not write. The default warns on the
// log; the program sends it to its trace. Never destroyed, so that a write at exit still finds it.
extern Hook<void(const QString& file)>& theUnwrittenSettingsHook;

// The program's registry forgotten and the hook's default back (between tests).
void resetRegistry();

} // namespace lumivo::registry
