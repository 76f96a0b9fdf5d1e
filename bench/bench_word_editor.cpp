// The word editor's list of 10,000 words in three files (the user's file and two data files, the filters
// showing all three) rebuilt as the editor rebuilds it (with its progress window, its groups and the
// editor file's words bold), against a bare QTreeWidget filled with the same names and the same grouping
// in the same run: letters in Danish order, names sorted under each by the same Danish collation.
//
// Goals: the rebuild takes at most twice the bare fill's time, and while it runs the person's input is
// let through often (the longest stretch without is printed). LUMIVO_BENCH_SHORT=1 repeats each
// measurement fewer times.

#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordTreeView.h"
#include "bench/EditorTreeBench.h"
#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace
{

using namespace lumivo::bench;

void check(bool ok, const char* what)
{
    checkStep("bench_word_editor", ok, what);
}

constexpr std::uint16_t kLanguage = 2;
constexpr int kWords = 10000;
constexpr int kFiles = 3;

// Names as words have them: Danish words with a number, some with a capital, some starting with Æ, Ø
// or Å, a few empty.
QString wordName(std::mt19937& random, int n)
{
    static const QStringList words{"kage", "Bil", "æble", "Ørn", "ål",  "løbe", "skole", "Zebra",
                                   "dyr",  "mad", "Tøj",  "leg", "bus", "Hus",  "have",  "ven"};
    if (n % 211 == 0)
        return {};
    return words[int(random() % words.size())] + QStringLiteral(" %1").arg(int(random() % 5000));
}

// The words, filed in the word index as the index builder files them; gives what the list will show.
std::vector<ListedName> makeWords(int files[kFiles])
{
    std::mt19937 random(4321);
    std::vector<ListedName> listed;
    for (int n = 0; n < kWords; ++n) {
        const int file = files[n % kFiles];
        auto word = std::make_unique<CQuibWord>();
        word->WordName = wordName(random, n);
        word->WordForm = std::int16_t(0x1100);
        check(word->SaveAs(1000 + n, file, MakeWordType(kLanguage)) == RES_OK, "store a word");
        listed.push_back({word->WordName, file == files[0]});
        CQuibWord* filed = word.get();
        theWordIndex.Add(std::move(word));
        theWordIndex.Names().InsertSorted(filed->WordName, filed);
    }
    return listed;
}

// The longest time the event loop was not visited while `work` ran (a zero timer fires on each visit).
double longestWaitFor(const std::function<void()>& work)
{
    QElapsedTimer clock;
    double longest = 0;
    qint64 last = 0;
    QTimer visit;
    visit.setInterval(0);
    QObject::connect(&visit, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, double(now - last) / 1e6);
        last = now;
    });
    visit.start();
    clock.start();
    work();
    longest = std::max(longest, double(clock.nsecsElapsed() - last) / 1e6);
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int repeats = std::getenv("LUMIVO_BENCH_SHORT") ? 3 : 9;

    QTemporaryDir folder;
    int files[kFiles] = {};
    CQuibUser user;
    makeEditorFiles("bench_word_editor", folder, files, kFiles, user, kLanguage);
    const std::vector<ListedName> names = makeWords(files);

    OpenWordEditor();
    check(theWordEditorFrame != nullptr, "open the editor");
    CQuibW_Frame& frame = *theWordEditorFrame;
    frame.Execute(kWordShowDataFiles);
    frame.Execute(kWordRebuildList);

    QTreeWidget bare;
    const auto [ours, theirs] = fillMedians(
        repeats, [&] { frame.RebuildWordList(); }, bare, names);
    check(frame.ForEachListedWord() == kWords && bare.topLevelItemCount() == frame.Tree().topLevelItemCount(),
          "same list");
    const double wait = longestWaitFor([&] { frame.RebuildWordList(); });

    std::printf("word editor list of %d words in %d files (medians, ms)\n", kWords, kFiles);
    std::printf("  editor rebuild %.2f  bare QTreeWidget %.2f  ratio %.2f (goal <= 2)\n", ours, theirs,
                ours / theirs);
    std::printf("  longest stretch without the person's input during a rebuild %.2f ms\n", wait);

    ResetWordEditor();
    theCurrentUser = nullptr;
    theWordIndex.DeleteAll();
    return 0;
}
