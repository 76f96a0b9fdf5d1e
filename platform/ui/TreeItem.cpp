#include "platform/ui/TreeItem.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace lumivo::ui
{

namespace
{

// The item's siblings: its parent's children, or the tree's top-level items.
int indexAmongSiblings(QTreeWidget& tree, QTreeWidgetItem* item)
{
    QTreeWidgetItem* parent = item->parent();
    return parent ? parent->indexOfChild(item) : tree.indexOfTopLevelItem(item);
}

QTreeWidgetItem* sibling(QTreeWidget& tree, QTreeWidgetItem* item, int offset)
{
    const int index = indexAmongSiblings(tree, item) + offset;
    QTreeWidgetItem* parent = item->parent();
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    if (index < 0 || index >= count)
        return nullptr;
    return parent ? parent->child(index) : tree.topLevelItem(index);
}

// Shown items are those whose ancestors are all expanded and that are not hidden.
bool isShown(QTreeWidgetItem* item)
{
    if (item->isHidden())
        return false;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) {
        if (!up->isExpanded() || up->isHidden())
            return false;
    }
    return true;
}

QTreeWidgetItem* relative(QTreeWidget& tree, QTreeWidgetItem* item, unsigned relation)
{
    switch (relation) {
    case TVGN_ROOT:
        return tree.topLevelItem(0);
    case TVGN_CARET:
        return tree.currentItem();
    case TVGN_FIRSTVISIBLE:
        return tree.itemAt(0, 0);
    default:
        break;
    }
    if (!item)
        return nullptr;
    switch (relation) {
    case TVGN_NEXT:
        return sibling(tree, item, 1);
    case TVGN_PREVIOUS:
        return sibling(tree, item, -1);
    case TVGN_PARENT:
        return item->parent();
    case TVGN_CHILD:
        return item->childCount() > 0 ? item->child(0) : nullptr;
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        QTreeWidgetItemIterator it(item);
        const bool forward = relation == TVGN_NEXTVISIBLE;
        forward ? ++it : --it;
        while (*it && !isShown(*it))
            forward ? ++it : --it;
        return *it;
    }
    default:
        return nullptr;
    }
}

} // namespace

CTreeItem GetNextItem(QTreeWidget& tree, QTreeWidgetItem* item, unsigned relation)
{
    return {relative(tree, item, relation), &tree};
}

CTreeItem GetNextVisibleItem(QTreeWidget& tree, QTreeWidgetItem* item)
{
    return GetNextItem(tree, item, TVGN_NEXTVISIBLE);
}

CTreeItem GetPrevVisibleItem(QTreeWidget& tree, QTreeWidgetItem* item)
{
    return GetNextItem(tree, item, TVGN_PREVIOUSVISIBLE);
}

CTreeItem GetRootItem(QTreeWidget& tree)
{
    return GetNextItem(tree, nullptr, TVGN_ROOT);
}

CTreeItem GetSelectedItem(QTreeWidget& tree)
{
    return GetNextItem(tree, nullptr, TVGN_CARET);
}

CTreeItem InsertItem(QTreeWidget& tree, const QString& text, QTreeWidgetItem* parent, QTreeWidgetItem* after)
{
    auto item = std::make_unique<QTreeWidgetItem>(QStringList{text});
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    int index = count;
    if (after == TVI_FIRST)
        index = 0;
    else if (after != TVI_LAST && after && after->parent() == parent)
        index = indexAmongSiblings(tree, after) + 1;
    QTreeWidgetItem* inserted = item.release(); // the tree owns its items
    if (parent)
        parent->insertChild(index, inserted);
    else
        tree.insertTopLevelItem(index, inserted);
    return {inserted, &tree};
}

void FitColumnsToContents(QTreeWidget& tree)
{
    tree.header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree.header()->setStretchLastSection(false);
}

} // namespace lumivo::ui
