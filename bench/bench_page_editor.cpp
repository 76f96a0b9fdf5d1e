// The page editor's tree of 2,000 pages in three files (the user's file and two data files, the filter
// showing all three) against a bare QTreeWidget filled with the same names and the same grouping in the
// same run: letters in Danish order, names sorted under each by the same Danish collation, the editor
// file's names bold. The bare fill knows every name at once and sorts each level once; the editor adds
// the pages one by one, each under its letter at its place, as the page index gives them.
//
// Goal: the editor's tree is built in at most twice the bare fill's time. LUMIVO_BENCH_SHORT=1 repeats
// each measurement fewer times.

#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgTreeView.h"
#include "bench/EditorTreeBench.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"

#include <QApplication>
#include <QHash>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace
{

using namespace lumivo::bench;

void check(bool ok, const char* what)
{
    checkStep("bench_page_editor", ok, what);
}

constexpr std::uint16_t kLanguage = 2;
constexpr int kPages = 2000;
constexpr int kFiles = 3;

// Names as pages have them: Danish words with a number, some with a capital, some starting with Æ, Ø
// or Å, a few empty.
QString pageName(std::mt19937& random, int n)
{
    static const QStringList words{"køkken", "Badeværelse", "æble", "Ørn",   "åen", "Legeplads",
                                   "skole",  "Zoo",         "dyr",  "mad",   "Tøj", "leg",
                                   "bil",    "Hus",         "have", "venner"};
    if (n % 97 == 0)
        return {};
    return words[int(random() % words.size())] + QStringLiteral(" %1").arg(int(random() % 500));
}

// The pages, filed in the page index as the index builder files them; gives what the tree will list.
std::vector<ListedName> makePages(int files[kFiles])
{
    std::mt19937 random(1234);
    std::vector<ListedName> listed;
    for (int n = 0; n < kPages; ++n) {
        const int file = files[n % kFiles];
        auto page = std::make_unique<CQuibBg>();
        page->Name = pageName(random, n);
        check(page->SaveAs(100 + n, file, MakeBgType(1, kLanguage)) == RES_OK, "store a page");
        listed.push_back({page->Name, file == files[0]});
        CQuibBg* filed = page.get();
        theBgIndex.Add(std::move(page));
        theBgIndex.Names().InsertSorted(filed->Name, filed);
    }
    return listed;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int repeats = std::getenv("LUMIVO_BENCH_SHORT") ? 3 : 11;

    QTemporaryDir folder;
    int files[kFiles] = {};
    CQuibUser user;
    makeEditorFiles("bench_page_editor", folder, files, kFiles, user, kLanguage);
    const std::vector<ListedName> names = makePages(files);

    OpenBackgroundEditor();
    check(theBgEditorFrame != nullptr, "open the editor");
    CQuibBg_Frame& frame = *theBgEditorFrame;
    frame.Execute(kBgFilterDataFiles);
    check(frame.Tree().topLevelItemCount() > 0, "the editor's tree");

    QTreeWidget bare;
    const auto [ours, theirs] = fillMedians(
        repeats, [&] { frame.FillTree(); }, bare, names);
    int listed = 0;
    frame.Tree().forEachObject([&listed](const QString&, void*) { ++listed; });
    check(listed == kPages && bare.topLevelItemCount() == frame.Tree().topLevelItemCount(), "same tree");

    std::printf("page editor tree of %d pages in %d files (medians, ms)\n", kPages, kFiles);
    std::printf("  editor %.2f  bare QTreeWidget %.2f  ratio %.2f (goal <= 2)\n", ours, theirs,
                ours / theirs);

    ResetBackgroundEditor();
    theCurrentUser = nullptr;
    theBgIndex.DeleteAll();
    return 0;
}
