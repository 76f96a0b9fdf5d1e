#pragma once
// The tree of the page and word editors: items grouped under their initial letters in Danish
// alphabetical order (A ... Z, Æ, Ø, Å), letters and names each sorted by the Danish collation, and a
// selection that the editor may refuse.
//
// Grouping: the letter of a name is its first character upper-cased; an empty name shows as "-" and
// goes under the letter "-". Letter items are bold and carry no data; name items carry the editor's
// object (an opaque pointer the tree never dereferences) and are bold when the editor says so.
//
// Refusing a selection: Qt cannot veto a change of the current item, so when the person moves to
// another item the tree asks the editor (the veto function) after the move; when the editor refuses
// (Cancel at its save question), the old item is made current again with the tree's signals blocked.
// Selections the program makes itself (selectSilently) never ask.

#include <QTreeWidget>

#include <functional>
#include <vector>

class QCollator;

// The Danish collation the editors sort by (case differences only break ties).
const QCollator& DanishCollator();
// Negative, zero or positive as `a` sorts before, with or after `b` in Danish order.
int CompareDanish(const QString& a, const QString& b);
// The letter a name is grouped under.
QString GroupLetterOf(const QString& name);
// What the tree shows for a name: the name, or "-" when it is empty.
QString ShownNameOf(const QString& name);

// One name for CEditorTree::fillGrouped.
struct GroupedName {
    QString name;
    void* object = nullptr;
    bool bold = false;
};

class CEditorTree : public QTreeWidget
{
    Q_OBJECT

public:
    // Asked when the person makes `item` current; false keeps the previous item. Never asked for a
    // letter item: choosing a letter is always allowed and does nothing else.
    using SelectionVeto = std::function<bool(QTreeWidgetItem* item)>;

    explicit CEditorTree(QWidget* parent = nullptr);
    ~CEditorTree() override;

    void setSelectionVeto(SelectionVeto veto) { m_veto = std::move(veto); }

    // Adds a name item for `object` under its letter, both in Danish order; gives the new item.
    QTreeWidgetItem* addGrouped(const QString& name, void* object, bool bold);
    // Replaces every item by these names, grouped and ordered as addGrouped would order them (equal
    // names in the order given). Sorting once and inserting whole levels is many times faster than
    // adding a long list one by one, each insert searching its place and telling the view.
    void fillGrouped(std::vector<GroupedName> names);
    // The item of `object` (the current item is tried first), or none.
    QTreeWidgetItem* findItemOf(const void* object) const;
    // Deletes the item of `object` when there is one; its letter stays.
    void removeItemOf(const void* object);
    // Makes the item of `object` current (none: no item) without asking the veto.
    void selectSilently(const void* object);
    // The object of an item; null for a letter item or none.
    static void* objectOf(const QTreeWidgetItem* item);
    // The width the tree needs to show every name whole, with its indentation, frame and scroll bar.
    // Measured again only after the items changed.
    int NamesWidth() const;
    // Every object in the tree's order: letters in order, names in order under each.
    template <class Visit> void forEachObject(Visit visit) const
    {
        for (int letter = 0; letter < topLevelItemCount(); ++letter) {
            const QTreeWidgetItem* root = topLevelItem(letter);
            for (int child = 0; child < root->childCount(); ++child)
                if (void* object = objectOf(root->child(child)))
                    visit(root->text(0), object);
        }
    }

private:
    void onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    QTreeWidgetItem* letterItem(const QString& letter);
    QTreeWidgetItem* newNameItem(const QString& shown, void* object, bool bold) const;

    SelectionVeto m_veto;
    bool m_selecting = false; // the program is making the selection: nothing is asked
    QFont m_boldFont;
    mutable int m_namesWidth = -1; // -1: to be measured
};
