#pragma once
// What the benchmarks of the editors' trees share: the peer (a bare QTreeWidget filled with the same
// names and the same grouping, knowing every name at once and sorting each level once) and the timing.

#include "authoring/EditorTree.h"
#include "bench/Timing.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"

#include <QCollator>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace lumivo::bench
{

// A name as the editor's tree lists it: bold when it lies in the editor's file.
struct ListedName {
    QString name;
    bool bold = false;
};

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

// The editor's `count` files in `folder`: the first the user's own (holding `user`, made current, of
// `language`), the others data files.
inline void makeEditorFiles(const char* program, const QTemporaryDir& folder, int* files, int count,
                            CQuibUser& user, std::uint16_t language)
{
    for (int index = 0; index < count; ++index) {
        checkStep(program,
                  FindOrAddResFile(&files[index], folder.filePath(QStringLiteral("file%1.tvf").arg(index))) ==
                      RES_OK,
                  "file");
        SetResFileKind(files[index], index == 0 ? 2 : 1);
    }
    theDataFiles.assign(files + 1, files + count);
    user.PrimaryLanguage = language;
    checkStep(program, user.SaveAs(CQuibUser::kTemplateUserId, files[0], CQuibUser::kType) == RES_OK, "user");
    theCurrentUser = &user;
}

// The medians (ms) of `repeats` runs of the editor's fill and of the bare fill of `names`, taken in turn
// so that both meet the same machine.
inline std::pair<double, double> fillMedians(int repeats, const std::function<void()>& editorFill,
                                             QTreeWidget& bare, const std::vector<ListedName>& names)
{
    std::vector<double> editor;
    std::vector<double> peer;
    for (int i = 0; i < repeats; ++i) {
        editor.push_back(millisecondsFor(editorFill));
        peer.push_back(millisecondsFor([&] { bareFill(bare, names); }));
    }
    return {median(editor), median(peer)};
}

} // namespace lumivo::bench
