#pragma once
// The in-memory form of one registry root and its text file form; used by Registry only.

#include "platform/registry/Registry.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace lumivo::registry::detail
{

// Names are found without regard to case and keep the case they were first given.
inline QString foldedName(const QString& name)
{
    return name.toCaseFolded();
}

struct KeyNode {
    QString name;
    std::map<QString, std::unique_ptr<KeyNode>> children; // by folded name, so listed without case
    std::vector<std::pair<QString, Value>> values;        // in the order first written

    KeyNode* child(const QString& childName) const;
    KeyNode& childOrNew(const QString& childName);
    Value* value(const QString& valueName);
    void setValue(const QString& valueName, const Value& newValue);
    bool removeValue(const QString& valueName);
};

// A backslash-separated key path in elements; nothing when an element is empty or holds a line break
// (a name the text file could not keep).
std::optional<QStringList> splitKeyPath(const QString& subKey);

// The text file of a root.
QByteArray formatRoot(const KeyNode& root, const QString& rootTitle);

struct ParseResult {
    int firstBadLine = 0; // 0 when every line was sound
    int badLines = 0;
};
// Reads every sound line into `root`; an unsound line is skipped, and so are the values that follow an
// unsound key line, since their key is not known. A second line for a value of the same key replaces
// the first and counts as unsound, since the first value would be lost at the next write.
ParseResult parseRoot(const QByteArray& text, KeyNode& root);

} // namespace lumivo::registry::detail
