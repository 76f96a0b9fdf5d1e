#include "panes/PopupMenu.h"

#include <QAction>

namespace
{

// Each action carries its command id and item data in one property pair.
constexpr char kCommandIdProperty[] = "commandId";
constexpr char kItemDataProperty[] = "itemData";

} // namespace

CPopupMenu::CPopupMenu(QWidget* parent) : QMenu(parent) {}

bool CPopupMenu::AppendItem(const QString& text, int commandId, std::uintptr_t itemData)
{
    if (text.isEmpty() || HasItem(commandId))
        return false;
    QAction* action = addAction(text);
    action->setProperty(kCommandIdProperty, commandId);
    action->setProperty(kItemDataProperty, QVariant::fromValue<qulonglong>(itemData));
    return true;
}

QAction* CPopupMenu::FindItem(int commandId) const
{
    for (QAction* action : actions()) {
        const QVariant id = action->property(kCommandIdProperty);
        if (id.isValid() && id.toInt() == commandId)
            return action;
    }
    return nullptr;
}

bool CPopupMenu::HasItem(int commandId) const
{
    return FindItem(commandId) != nullptr;
}

bool CPopupMenu::GetItemData(int commandId, std::uintptr_t& itemData) const
{
    const QAction* action = FindItem(commandId);
    if (!action)
        return false;
    itemData = static_cast<std::uintptr_t>(action->property(kItemDataProperty).toULongLong());
    return true;
}

int CPopupMenu::Track(const QPoint& screenPoint)
{
    m_popupPosition = screenPoint;
    const QAction* chosen = exec(screenPoint);
    return chosen ? chosen->property(kCommandIdProperty).toInt() : 0;
}
