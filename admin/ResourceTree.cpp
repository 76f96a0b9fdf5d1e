#include "admin/ResourceTree.h"

#include "admin/ResourceTypeText.h"
#include "store/ResourceManager.h"

#include <QTreeWidget>

namespace
{

constexpr int kRecordRole = Qt::UserRole;
constexpr int kTypeRole = Qt::UserRole + 1;

std::int32_t typeOfItem(const QTreeWidgetItem* typeItem)
{
    return typeItem->data(0, kTypeRole).toInt();
}

void titleTypeItem(QTreeWidgetItem* typeItem)
{
    typeItem->setText(
        0, QStringLiteral("%1 - %2").arg(FormatResType(typeOfItem(typeItem))).arg(typeItem->childCount()));
}

QTreeWidgetItem* newTypeItem(std::int32_t type)
{
    auto* typeItem = new QTreeWidgetItem;
    typeItem->setData(0, kTypeRole, type);
    QFont bold = typeItem->font(0);
    bold.setBold(true);
    typeItem->setFont(0, bold);
    return typeItem;
}

// The type items follow the store's order, which compares the types as signed numbers.
QTreeWidgetItem* typeItemFor(QTreeWidget& tree, std::int32_t type)
{
    int place = 0;
    for (; place < tree.topLevelItemCount(); ++place) {
        const std::int32_t present = typeOfItem(tree.topLevelItem(place));
        if (present == type)
            return tree.topLevelItem(place);
        if (present > type)
            break;
    }
    QTreeWidgetItem* typeItem = newTypeItem(type);
    tree.insertTopLevelItem(place, typeItem);
    return typeItem;
}

// A child goes before the first sibling with a larger id. The store hands out a type's records by
// ascending id, so the place is looked for from the end: filling the tree appends.
void insertById(QTreeWidgetItem& typeItem, QTreeWidgetItem* item, std::int32_t id)
{
    int place = typeItem.childCount();
    while (place > 0 && RecordOfItem(typeItem.child(place - 1))->GetId() > id)
        --place;
    typeItem.insertChild(place, item);
}

QTreeWidgetItem* newRecordItem(CResEntry* record)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::number(record->GetId()));
    item->setData(0, kRecordRole, QVariant::fromValue(static_cast<void*>(record)));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    return item;
}

// Dead space left by removed records has no type: it is no resource.
bool isResource(const CResEntry* record)
{
    return record->GetType() != 0;
}

} // namespace

void FillResourceTree(QTreeWidget& tree, int file)
{
    tree.setUpdatesEnabled(false);
    tree.clear();
    std::vector<CResEntry*> records;
    if (file > 0)
        CollectResources(&records, file, RES_ANY);
    QTreeWidgetItem* typeItem = nullptr;
    for (CResEntry* record : records) {
        if (!isResource(record))
            continue;
        if (!typeItem || typeOfItem(typeItem) != record->GetType()) {
            typeItem = newTypeItem(record->GetType());
            tree.addTopLevelItem(typeItem);
        }
        insertById(*typeItem, newRecordItem(record), record->GetId());
    }
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        titleTypeItem(tree.topLevelItem(i));
    tree.setUpdatesEnabled(true);
}

CResEntry* RecordOfItem(const QTreeWidgetItem* item)
{
    return item ? static_cast<CResEntry*>(item->data(0, kRecordRole).value<void*>()) : nullptr;
}

QTreeWidgetItem* ItemOfRecord(const QTreeWidget& tree, const CResEntry* record)
{
    for (int t = 0; record && t < tree.topLevelItemCount(); ++t) {
        QTreeWidgetItem* typeItem = tree.topLevelItem(t);
        for (int i = 0; i < typeItem->childCount(); ++i) {
            if (RecordOfItem(typeItem->child(i)) == record)
                return typeItem->child(i);
        }
    }
    return nullptr;
}

std::vector<CResEntry*> TickedRecords(const QTreeWidget& tree)
{
    std::vector<CResEntry*> ticked;
    for (int t = 0; t < tree.topLevelItemCount(); ++t) {
        const QTreeWidgetItem* typeItem = tree.topLevelItem(t);
        for (int i = 0; i < typeItem->childCount(); ++i) {
            const QTreeWidgetItem* item = typeItem->child(i);
            if (item->checkState(0) == Qt::Checked && RecordOfItem(item))
                ticked.push_back(RecordOfItem(item));
        }
    }
    return ticked;
}

void RefileRecordItem(QTreeWidget& tree, QTreeWidgetItem* item)
{
    CResEntry* record = RecordOfItem(item);
    QTreeWidgetItem* oldTypeItem = item ? item->parent() : nullptr;
    if (!record || !oldTypeItem)
        return;
    const bool wasCurrent = tree.currentItem() == item;
    const QSignalBlocker quiet(tree);
    oldTypeItem->removeChild(item);
    item->setText(0, QString::number(record->GetId()));
    QTreeWidgetItem* typeItem = typeItemFor(tree, record->GetType());
    insertById(*typeItem, item, record->GetId());
    titleTypeItem(typeItem);
    if (oldTypeItem->childCount() == 0)
        delete oldTypeItem;
    else
        titleTypeItem(oldTypeItem);
    if (wasCurrent)
        tree.setCurrentItem(item);
}
