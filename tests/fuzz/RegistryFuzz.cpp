// The registry's text form: whatever a text parses to is written so that it parses back to the same
// tree, with every line sound, and is written the same way again.

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryTree.h"
#include "tests/fuzz/FuzzTarget.h"

#include <string>

namespace lumivo::fuzz::registry
{

namespace
{

using lumivo::registry::Value;
using lumivo::registry::detail::KeyNode;

const QString kTitle = QStringLiteral("HKEY_CURRENT_USER");

void checkSameTree(const KeyNode& a, const KeyNode& b, const QString& path)
{
    const std::string where = path.toStdString();
    fuzzCheck(a.values == b.values, "the values of [" + where + "] changed in a round trip");
    fuzzCheck(a.children.size() == b.children.size(),
              "the keys below [" + where + "] changed in a round trip");
    for (const auto& [folded, child] : a.children) {
        const auto other = b.children.find(folded);
        fuzzCheck(other != b.children.end(),
                  "the key " + child->name.toStdString() + " below [" + where + "] was lost in a round trip");
        fuzzCheck(other->second->name == child->name, "a key name changed in a round trip");
        checkSameTree(*child, *other->second, path + QLatin1Char('\\') + child->name);
    }
}

void fuzzRegistry(const std::uint8_t* data, std::size_t size)
{
    KeyNode first;
    lumivo::registry::detail::parseRoot(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                        first);
    const QByteArray written = lumivo::registry::detail::formatRoot(first, kTitle);
    KeyNode second;
    const auto reread = lumivo::registry::detail::parseRoot(written, second);
    fuzzCheck(reread.badLines == 0, "the written text has an unsound line " +
                                        std::to_string(reread.firstBadLine) + ": " +
                                        written.split('\n').value(reread.firstBadLine - 1).toStdString());
    try {
        checkSameTree(first, second, {});
    } catch (const FuzzFailure& failure) {
        throw FuzzFailure(std::string(failure.what()) + "; written as:\n" + written.left(2000).toStdString());
    }
    fuzzCheck(lumivo::registry::detail::formatRoot(second, kTitle) == written,
              "a tree read back is written differently");
}

std::vector<Bytes> registrySeeds()
{
    KeyNode root;
    KeyNode& program = root.childOrNew(QStringLiteral("Software")).childOrNew(QStringLiteral("Lumivo"));
    program.setValue(QStringLiteral("Name"), Value::string(QStringLiteral("Åse \"q\" \\ æ")));
    program.setValue(QStringLiteral("Count"), Value::dword(42));
    program.setValue(QStringLiteral("Bytes"), Value::binary(QByteArray("\x00\x01\xFF", 3)));
    program.setValue(QString(), Value::string(QStringLiteral("default")));
    program.setValue(QStringLiteral("Expandable"), Value{2, {}, QByteArray("%a%\0", 4)});
    program.childOrNew(QStringLiteral("Empty key"));
    const QByteArray text = lumivo::registry::detail::formatRoot(root, kTitle);
    return {Bytes(text.begin(), text.end())};
}

const FuzzTargetRegistration registration({"registry", &fuzzRegistry, &registrySeeds});

} // namespace

} // namespace lumivo::fuzz::registry
