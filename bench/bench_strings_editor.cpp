// The system-strings editor opened on a translation that holds every string of both built-in tables
// (about 1,400 rows), shown and scrolled to its last row, against a bare QTreeWidget filled with the
// same three columns, shown and scrolled the same way in the same run.
//
// Goal: the editor opens in at most twice the bare list's time. LUMIVO_BENCH_SHORT=1 repeats each
// measurement fewer times.

#include "admin/SystemStringsDlg.h"
#include "bench/PeerTiming.h"
#include "resources/strings/StringTable.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"

#include <QApplication>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace
{

using lumivo::bench::median;
using lumivo::bench::millisecondsFor;
using lumivo::strings::TableLanguage;

constexpr int kListWidth = 640; // the editor's list at its smallest
constexpr int kListHeight = 320;

// A translation record with the English text of every id of both tables.
void fillRecord(CQuibSystem& record)
{
    record.m_language = 20;
    record.m_name = QStringLiteral("Tyve");
    std::set<int> ids;
    for (TableLanguage table : {TableLanguage::Danish, TableLanguage::English}) {
        for (int id : lumivo::strings::builtInStringIds(table))
            ids.insert(id);
    }
    for (int id : ids) {
        if (id <= 0xFFFF)
            record.SetString(static_cast<std::uint16_t>(id),
                             lumivo::strings::builtInString(id, TableLanguage::English));
    }
}

void openEditor(CQuibSystem& record, int* rows)
{
    CSystemStringsDlg dialog(record);
    dialog.show();
    *rows = dialog.RowCount();
    dialog.MoveTo(*rows - 1);
    QApplication::processEvents();
}

void openBareList(const std::vector<SystemStringRow>& rows)
{
    QTreeWidget tree;
    tree.setColumnCount(3);
    tree.setRootIsDecorated(false);
    tree.setUniformRowHeights(true);
    QList<QTreeWidgetItem*> items;
    for (const SystemStringRow& row : rows)
        items.append(new QTreeWidgetItem({QString::number(row.id), row.source, row.translation}));
    tree.addTopLevelItems(items);
    tree.resize(kListWidth, kListHeight); // as many rows on screen as the editor's list shows
    tree.show();
    tree.setCurrentItem(items.back());
    tree.scrollToItem(items.back());
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int repeats = std::getenv("LUMIVO_BENCH_SHORT") ? 3 : 11;
    theLanguageNo = 2;

    CQuibSystem record;
    fillRecord(record);
    std::vector<SystemStringRow> rows;
    {
        CSystemStringsDlg dialog(record);
        rows = dialog.Rows();
    }

    std::vector<double> editor;
    std::vector<double> peer;
    int shown = 0;
    for (int i = 0; i < repeats; ++i) {
        editor.push_back(millisecondsFor([&] { openEditor(record, &shown); }));
        peer.push_back(millisecondsFor([&] { openBareList(rows); }));
    }
    if (shown != static_cast<int>(rows.size())) {
        std::fprintf(stderr, "bench_strings_editor: the editor showed %d rows of %zu\n", shown, rows.size());
        return 1;
    }
    const double ours = median(editor);
    const double theirs = median(peer);
    std::printf("system-strings editor with %d rows, opened and scrolled to the last (medians, ms)\n", shown);
    std::printf("  editor %.2f  bare QTreeWidget %.2f  ratio %.2f (goal <= 2)\n", ours, theirs,
                ours / theirs);
    return 0;
}
