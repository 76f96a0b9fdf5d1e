#pragma once
// The resource editor's tree: one bold item per resource type of a file, in the store's order of
// types, titled "<type text> - <count>", and under it one item per record of that type, titled by its
// id and ordered by id, with a check box and the record attached.

#include <cstdint>
#include <vector>

class CResEntry;
class QTreeWidget;
class QTreeWidgetItem;

// Empties the tree and fills it with the records of `file` (none for an unknown file).
void FillResourceTree(QTreeWidget& tree, int file);

// The record a resource item carries; null for a type item and for no item.
CResEntry* RecordOfItem(const QTreeWidgetItem* item);
// The resource item that carries `record`, or none.
QTreeWidgetItem* ItemOfRecord(const QTreeWidget& tree, const CResEntry* record);

// The records of the ticked resource items, in the tree's order. Type items never count.
std::vector<CResEntry*> TickedRecords(const QTreeWidget& tree);

// Puts a resource item again where its record's keys say, after the record moved: its title is the new
// id, and it goes under the item of its type (made when the type is new to the tree), in id order. Type
// items that are left empty go; the counts follow.
void RefileRecordItem(QTreeWidget& tree, QTreeWidgetItem* item);
