#include "platform/registry/Registry.h"

#include "platform/files/FileSystem.h"
#include "platform/registry/RegistryTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdlib>

namespace lumivo::registry
{

Q_LOGGING_CATEGORY(lcRegistry, "lumivo.registry")

using detail::KeyNode;

namespace
{

struct RootNames {
    Root root;
    const char* longName;
    const char* shortName; // null: there is none
};

constexpr RootNames kRootNames[kRootCount] = {
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Root::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {Root::Users, "HKEY_USERS", nullptr},
    {Root::DynData, "HKEY_DYN_DATA", "HKDD"},
    {Root::PerformanceData, "HKEY_PERFORMANCE_DATA", "HKPD"},
};

std::size_t indexOf(Root root)
{
    return static_cast<std::size_t>(root);
}

// The holder is never destroyed: a CRegistry that is itself destroyed at exit, after every function's
// statics are gone, still finds the registry and writes its last changes.
std::unique_ptr<Registry>& programRegistry()
{
    static auto* instance = new std::unique_ptr<Registry>();
    return *instance;
}

// The default of theUnwrittenSettingsHook. Plain qWarning: a write at exit may come after the logging
// categories are gone.
void warnUnwritten(const QString& file)
{
    qWarning("The settings file %s could not be written", qUtf8Printable(file));
}

} // namespace

Hook<void(const QString& file)>& theUnwrittenSettingsHook =
    *new Hook<void(const QString& file)>(warnUnwritten);

struct Registry::RootState {
    KeyNode tree;
    bool dirty = false;
    // The file could not be read at all: never replace it, whatever happens in memory.
    bool unreadable = false;
    // The file was damaged: its bytes are kept beside it before it is first replaced.
    std::optional<QByteArray> damagedOriginal;
};

std::optional<Root> rootFromName(const QString& name)
{
    for (const RootNames& names : kRootNames) {
        if (name.compare(QLatin1String(names.longName), Qt::CaseInsensitive) == 0 ||
            (names.shortName && name.compare(QLatin1String(names.shortName), Qt::CaseInsensitive) == 0))
            return names.root;
    }
    return std::nullopt;
}

QString rootName(Root root)
{
    return QLatin1String(kRootNames[indexOf(root)].longName);
}

Value Value::dword(std::uint32_t number)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return {REG_DWORD, {}, bytes};
}

std::size_t Value::size() const
{
    if (type == REG_SZ)
        return static_cast<std::size_t>(text.toUtf8().size()) + 1;
    return static_cast<std::size_t>(bytes.size());
}

Registry::Registry(QString folder) : m_folder(std::move(folder)) {}

Registry::~Registry() = default;

QString Registry::defaultFolder()
{
    QString config = QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME"));
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Lumivo");
}

QString Registry::fileOf(Root root) const
{
    return m_folder + QLatin1Char('/') + rootName(root) + ".txt";
}

Registry::RootState& Registry::state(Root root)
{
    auto& slot = m_roots[indexOf(root)];
    if (!slot) {
        slot = std::make_unique<RootState>();
        load(root, *slot);
    }
    return *slot;
}

void Registry::load(Root root, RootState& loaded)
{
    const QString path = fileOf(root);
    if (!files::fileSystem().exists(path))
        return;
    std::vector<std::uint8_t> bytes;
    if (!files::readWholeFile(path, bytes)) {
        loaded.unreadable = true;
        qCWarning(lcRegistry) << "The settings file" << path << "cannot be read; it is left as it is";
        return;
    }
    const QByteArray text(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    const detail::ParseResult result = detail::parseRoot(text, loaded.tree);
    if (result.badLines > 0) {
        loaded.damagedOriginal = text;
        qCWarning(lcRegistry) << "The settings file" << path << "is damaged:" << result.badLines
                              << "unreadable lines from line" << result.firstBadLine
                              << "were skipped; the rest was read";
    }
}

KeyNode* Registry::findNode(Root root, const QString& subKey)
{
    const auto elements = detail::splitKeyPath(subKey);
    if (!elements)
        return nullptr;
    KeyNode* node = &state(root).tree;
    for (const QString& element : *elements) {
        node = node->child(element);
        if (!node)
            return nullptr;
    }
    return node;
}

bool Registry::keyExists(Root root, const QString& subKey)
{
    return findNode(root, subKey) != nullptr;
}

bool Registry::createKey(Root root, const QString& subKey)
{
    const auto elements = detail::splitKeyPath(subKey);
    if (!elements)
        return false;
    RootState& rootState = state(root);
    KeyNode* node = &rootState.tree;
    for (const QString& element : *elements) {
        if (KeyNode* existing = node->child(element)) {
            node = existing;
        } else {
            node = &node->childOrNew(element);
            rootState.dirty = true;
        }
    }
    return true;
}

bool Registry::deleteKey(Root root, const QString& subKey)
{
    const auto elements = detail::splitKeyPath(subKey);
    if (!elements || elements->isEmpty())
        return false;
    QStringList parentPath = *elements;
    const QString last = parentPath.takeLast();
    KeyNode* parent = findNode(root, parentPath.join(QLatin1Char('\\')));
    KeyNode* key = parent ? parent->child(last) : nullptr;
    if (!key || !key->children.empty())
        return false;
    parent->children.erase(detail::foldedName(last));
    state(root).dirty = true;
    return true;
}

std::optional<Value> Registry::readValue(Root root, const QString& subKey, const QString& name)
{
    KeyNode* key = findNode(root, subKey);
    if (!key)
        return std::nullopt;
    if (const Value* value = key->value(name))
        return *value;
    return std::nullopt;
}

bool Registry::writeValue(Root root, const QString& subKey, const QString& name, const Value& value)
{
    KeyNode* key = findNode(root, subKey);
    if (!key || (value.type == REG_DWORD && value.bytes.size() != 4))
        return false;
    const Value* existing = key->value(name);
    if (existing && *existing == value)
        return true;
    key->setValue(name, value);
    state(root).dirty = true;
    return true;
}

bool Registry::deleteValue(Root root, const QString& subKey, const QString& name)
{
    KeyNode* key = findNode(root, subKey);
    if (!key || !key->removeValue(name))
        return false;
    state(root).dirty = true;
    return true;
}

std::optional<QStringList> Registry::subKeyNames(Root root, const QString& subKey)
{
    const KeyNode* key = findNode(root, subKey);
    if (!key)
        return std::nullopt;
    QStringList names;
    for (const auto& [folded, child] : key->children)
        names << child->name;
    return names;
}

std::optional<QStringList> Registry::valueNames(Root root, const QString& subKey)
{
    const KeyNode* key = findNode(root, subKey);
    if (!key)
        return std::nullopt;
    QStringList names;
    for (const auto& [name, value] : key->values)
        names << name;
    return names;
}

bool Registry::isDirty(Root root) const
{
    const auto& slot = m_roots[indexOf(root)];
    return slot && slot->dirty;
}

bool Registry::flush(Root root)
{
    auto& slot = m_roots[indexOf(root)];
    if (!slot || !slot->dirty)
        return true;
    if (slot->unreadable)
        return false;
    files::FileSystem& fs = files::fileSystem();
    if (!fs.makeDirectories(m_folder))
        return false;
    const QString path = fileOf(root);
    if (slot->damagedOriginal) {
        const QByteArray& original = *slot->damagedOriginal;
        if (!files::writeFileAtomically(path + QStringLiteral(".damaged"), original.constData(),
                                        static_cast<std::size_t>(original.size())))
            return false;
        slot->damagedOriginal.reset();
    }
    const QByteArray text = detail::formatRoot(slot->tree, rootName(root));
    if (!files::writeFileAtomically(path, text.constData(), static_cast<std::size_t>(text.size())))
        return false;
    slot->dirty = false;
    return true;
}

bool Registry::flushAll()
{
    bool allWritten = true;
    for (std::size_t i = 0; i < kRootCount; ++i)
        allWritten = flush(static_cast<Root>(i)) && allWritten;
    return allWritten;
}

Registry& registry()
{
    auto& instance = programRegistry();
    // The configuration folder only changes under tests, each of which has a folder of its own.
    const QString folder = Registry::defaultFolder();
    if (!instance || instance->folder() != folder)
        instance = std::make_unique<Registry>(folder);
    static const bool flushedAtExit = [] {
        // Changes still waiting for the event loop reach the disk when the application object goes.
        qAddPostRoutine([] { flushProgramRegistry(); });
        return true;
    }();
    (void)flushedAtExit;
    return *instance;
}

bool flushProgramRegistry()
{
    auto& instance = programRegistry();
    if (!instance)
        return true;
    bool allWritten = true;
    for (std::size_t i = 0; i < kRootCount; ++i) {
        const auto root = static_cast<Root>(i);
        if (!instance->flush(root)) {
            theUnwrittenSettingsHook(instance->fileOf(root));
            allWritten = false;
        }
    }
    return allWritten;
}

void flushSoon()
{
    static bool scheduled = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || scheduled)
        return;
    scheduled = true;
    QTimer::singleShot(0, app, [] {
        scheduled = false;
        flushProgramRegistry();
    });
}

void discardRegistry()
{
    programRegistry().reset();
}

void resetRegistry()
{
    discardRegistry();
    theUnwrittenSettingsHook.reset();
}

} // namespace lumivo::registry
