#pragma once
// What the benchmarks of the editors' trees share: the peer (a bare QTreeWidget filled with the same
// names and the same grouping, knowing every name at once and sorting each level once) and the timing.

#include "authoring/EditorTree.h"

#include <QCollator>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

namespace lumivo::bench
{

// A name as the editor's tree lists it: bold when it lies in the editor's file.
struct ListedName {
    QString name;
    bool bold = false;
};

inline double millisecondsFor(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Ends the benchmark `program` when a step of its set-up failed.
inline void checkStep(const char* program, bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s failed\n", program, what);
        std::exit(1);
    }
}

// The bare fill: every name grouped under its letter, then each level sorted once.
inline void bareFill(QTreeWidget& tree, const std::vector<ListedName>& names)
{
    tree.clear();
    QFont bold = tree.font();
    bold.setBold(true);
    std::map<QString, std::vector<const ListedName*>> byLetter;
    for (const ListedName& listed : names)
        byLetter[GroupLetterOf(listed.name)].push_back(&listed);
    std::vector<QString> letters;
    for (const auto& [letter, group] : byLetter)
        letters.push_back(letter);
    const QCollator& danish = DanishCollator();
    std::sort(letters.begin(), letters.end(),
              [&](const QString& a, const QString& b) { return danish(a, b); });
    for (const QString& letter : letters) {
        auto* root = new QTreeWidgetItem(&tree, QStringList{letter});
        root->setFont(0, bold);
        std::vector<const ListedName*>& group = byLetter[letter];
        std::stable_sort(group.begin(), group.end(), [&](const ListedName* a, const ListedName* b) {
            return danish(ShownNameOf(a->name), ShownNameOf(b->name));
        });
        for (const ListedName* listed : group) {
            auto* item = new QTreeWidgetItem(root, QStringList{ShownNameOf(listed->name)});
            if (listed->bold)
                item->setFont(0, bold);
        }
    }
}

} // namespace lumivo::bench
