#pragma once
// Walking and filling the program's tree controls (the page and word editors' trees) by relation
// codes, with an item wrapper that remembers its tree.

class QTreeWidget;
class QTreeWidgetItem;
class QString;

namespace lumivo::ui
{

// Relations of `GetNextItem`.
constexpr unsigned TVGN_ROOT = 0x0;
constexpr unsigned TVGN_NEXT = 0x1;
constexpr unsigned TVGN_PREVIOUS = 0x2;
constexpr unsigned TVGN_PARENT = 0x3;
constexpr unsigned TVGN_CHILD = 0x4;
constexpr unsigned TVGN_FIRSTVISIBLE = 0x5;
constexpr unsigned TVGN_NEXTVISIBLE = 0x6;
constexpr unsigned TVGN_PREVIOUSVISIBLE = 0x7;
constexpr unsigned TVGN_CARET = 0x9;

// Where `InsertItem` puts an item among its siblings.
QTreeWidgetItem* const TVI_FIRST = reinterpret_cast<QTreeWidgetItem*>(-0xFFFF);
QTreeWidgetItem* const TVI_LAST = reinterpret_cast<QTreeWidgetItem*>(-0xFFFE);

// An item of a tree and the tree it belongs to; refers to both, owns neither.
class CTreeItem
{
public:
    CTreeItem() = default;
    CTreeItem(QTreeWidgetItem* item, QTreeWidget* tree) : m_item(item), m_tree(tree) {}

    operator QTreeWidgetItem*() const { return m_item; }
    QTreeWidgetItem* item() const { return m_item; }
    QTreeWidget* tree() const { return m_tree; }
    bool isNull() const { return m_item == nullptr; }

private:
    QTreeWidgetItem* m_item = nullptr;
    QTreeWidget* m_tree = nullptr;
};

// The item in the given relation to `item` (TVGN_ROOT, TVGN_CARET and TVGN_FIRSTVISIBLE ignore it);
// a null item when there is none.
CTreeItem GetNextItem(QTreeWidget& tree, QTreeWidgetItem* item, unsigned relation);
CTreeItem GetNextVisibleItem(QTreeWidget& tree, QTreeWidgetItem* item);
CTreeItem GetPrevVisibleItem(QTreeWidget& tree, QTreeWidgetItem* item);
CTreeItem GetRootItem(QTreeWidget& tree);
CTreeItem GetSelectedItem(QTreeWidget& tree);
// Makes every column of `tree` as wide as the widest text it holds, so nothing is cut short; the tree
// scrolls sideways where the columns are wider than it.
void FitColumnsToContents(QTreeWidget& tree);

// Inserts a text under `parent` (null: at the top) after `after` (an item, TVI_FIRST or TVI_LAST).
CTreeItem InsertItem(QTreeWidget& tree, const QString& text, QTreeWidgetItem* parent = nullptr,
                     QTreeWidgetItem* after = TVI_LAST);

} // namespace lumivo::ui
