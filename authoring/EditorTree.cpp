#include "authoring/EditorTree.h"

#include "platform/ui/TreeItem.h"

#include <QCollator>
#include <QFontMetrics>
#include <QStyle>

#include <QLocale>
#include <QSignalBlocker>
#include <algorithm>
#include <map>

namespace
{

constexpr int kObjectRole = Qt::UserRole;
const QString kEmptyNameShown = QStringLiteral("-");

// The first position among `count` siblings whose text sorts after `text` (binary search: the siblings
// are kept sorted), so equal names keep the order in which they came.
template <class TextAt> int sortedPosition(int count, const QString& text, TextAt textAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (CompareDanish(textAt(middle), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

const QCollator& DanishCollator()
{
    static const QCollator collator = [] {
        QCollator danish{QLocale(QLocale::Danish, QLocale::Denmark)};
        danish.setCaseSensitivity(Qt::CaseInsensitive);
        danish.setIgnorePunctuation(false);
        return danish;
    }();
    return collator;
}

int CompareDanish(const QString& a, const QString& b)
{
    const int order = DanishCollator().compare(a, b);
    // Names that differ only in case still get one order, the same each time.
    return order != 0 ? order : QString::compare(a, b, Qt::CaseSensitive);
}

QString ShownNameOf(const QString& name)
{
    return name.isEmpty() ? kEmptyNameShown : name;
}

QString GroupLetterOf(const QString& name)
{
    const QString shown = ShownNameOf(name);
    const int length = shown.at(0).isHighSurrogate() && shown.size() > 1 ? 2 : 1;
    return shown.left(length).toUpper();
}

CEditorTree::CEditorTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    lumivo::ui::FitColumnsToContents(*this);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    m_boldFont = font();
    m_boldFont.setBold(true);
    connect(this, &QTreeWidget::currentItemChanged, this, &CEditorTree::onCurrentItemChanged);
    const auto forgetNamesWidth = [this] { m_namesWidth = -1; };
    connect(model(), &QAbstractItemModel::rowsInserted, this, forgetNamesWidth);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, forgetNamesWidth);
    connect(model(), &QAbstractItemModel::modelReset, this, forgetNamesWidth);
    connect(model(), &QAbstractItemModel::dataChanged, this, forgetNamesWidth);
}

// The view's model outlives this part of the object and resets itself as the view goes; its signals
// must no longer reach a tree that is half gone.
CEditorTree::~CEditorTree()
{
    disconnect(model(), nullptr, this, nullptr);
}

QTreeWidgetItem* CEditorTree::letterItem(const QString& letter)
{
    const int count = topLevelItemCount();
    const int position = sortedPosition(count, letter, [this](int i) { return topLevelItem(i)->text(0); });
    if (position > 0 && CompareDanish(topLevelItem(position - 1)->text(0), letter) == 0)
        return topLevelItem(position - 1);
    auto* root = new QTreeWidgetItem(QStringList{letter});
    root->setFont(0, m_boldFont);
    insertTopLevelItem(position, root);
    return root;
}

QTreeWidgetItem* CEditorTree::addGrouped(const QString& name, void* object, bool bold)
{
    const QString shown = ShownNameOf(name);
    QTreeWidgetItem* root = letterItem(GroupLetterOf(name));
    const int position =
        sortedPosition(root->childCount(), shown, [root](int i) { return root->child(i)->text(0); });
    QTreeWidgetItem* item = newNameItem(shown, object, bold);
    root->insertChild(position, item);
    return item;
}

void CEditorTree::fillGrouped(std::vector<GroupedName> names)
{
    // Each name's collation key is made once; the sort then compares keys, not names.
    const QCollator& danish = DanishCollator();
    struct Keyed {
        QString shown;
        QCollatorSortKey key;
        const GroupedName* source;
    };
    std::map<QString, std::vector<Keyed>> byLetter;
    for (const GroupedName& named : names) {
        QString shown = ShownNameOf(named.name);
        QCollatorSortKey key = danish.sortKey(shown);
        byLetter[GroupLetterOf(named.name)].push_back({std::move(shown), std::move(key), &named});
    }
    std::vector<QString> letters;
    for (const auto& entry : byLetter)
        letters.push_back(entry.first);
    std::sort(letters.begin(), letters.end(),
              [](const QString& a, const QString& b) { return CompareDanish(a, b) < 0; });
    clear();
    QList<QTreeWidgetItem*> roots;
    for (const QString& letter : letters) {
        std::vector<Keyed>& group = byLetter[letter];
        std::stable_sort(group.begin(), group.end(), [](const Keyed& a, const Keyed& b) {
            const int order = a.key.compare(b.key);
            return order != 0 ? order < 0 : QString::compare(a.shown, b.shown, Qt::CaseSensitive) < 0;
        });
        auto* root = new QTreeWidgetItem(QStringList{letter});
        root->setFont(0, m_boldFont);
        QList<QTreeWidgetItem*> children;
        children.reserve(qsizetype(group.size()));
        for (const Keyed& keyed : group)
            children.push_back(newNameItem(keyed.shown, keyed.source->object, keyed.source->bold));
        root->addChildren(children);
        roots.push_back(root);
    }
    addTopLevelItems(roots);
}

QTreeWidgetItem* CEditorTree::newNameItem(const QString& shown, void* object, bool bold) const
{
    auto* item = new QTreeWidgetItem(QStringList{shown});
    item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    if (bold)
        item->setFont(0, m_boldFont);
    return item;
}

void* CEditorTree::objectOf(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<void*>(item->data(0, kObjectRole).value<quintptr>()) : nullptr;
}

int CEditorTree::NamesWidth() const
{
    if (m_namesWidth >= 0)
        return m_namesWidth;
    const QFontMetrics bold(m_boldFont);
    int widest = 0;
    for (int letter = 0; letter < topLevelItemCount(); ++letter) {
        const QTreeWidgetItem* root = topLevelItem(letter);
        for (int child = 0; child < root->childCount(); ++child)
            widest = std::max(widest, bold.horizontalAdvance(root->child(child)->text(0)));
    }
    m_namesWidth =
        widest + 3 * indentation() + 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return m_namesWidth;
}

QTreeWidgetItem* CEditorTree::findItemOf(const void* object) const
{
    if (!object)
        return nullptr;
    if (QTreeWidgetItem* current = currentItem(); current && objectOf(current) == object)
        return current;
    for (int letter = 0; letter < topLevelItemCount(); ++letter) {
        QTreeWidgetItem* root = topLevelItem(letter);
        for (int child = 0; child < root->childCount(); ++child)
            if (objectOf(root->child(child)) == object)
                return root->child(child);
    }
    return nullptr;
}

void CEditorTree::removeItemOf(const void* object)
{
    const QSignalBlocker quiet(this);
    delete findItemOf(object);
}

void CEditorTree::selectSilently(const void* object)
{
    const bool wasSelecting = m_selecting;
    m_selecting = true;
    QTreeWidgetItem* item = findItemOf(object);
    setCurrentItem(item);
    if (!item)
        clearSelection();
    m_selecting = wasSelecting;
}

void CEditorTree::onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (m_selecting || !m_veto || !objectOf(current))
        return;
    if (m_veto(current))
        return;
    // Refused: the old item stays current, and nobody hears of the move there and back.
    const QSignalBlocker quiet(this);
    setCurrentItem(previous);
    if (!previous)
        clearSelection();
}
