#include "platform/ui/CommandRoute.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace lumivo::ui
{

namespace
{

// Marks a toolbar whose buttons are routed already, so that a second call adds no second connection.
constexpr const char* kRoutedProperty = "lumivoCommandsRouted";

// The command an item stands for: its own, or for a submenu item its submenu's first command.
int updatedCommandOf(const QAction& action, const QMenu* submenu)
{
    if (!submenu)
        return commandIdOf(action);
    const QList<QAction*> items = submenu->actions();
    return items.isEmpty() ? 0 : commandIdOf(*items.first());
}

void applyState(QAction& item, const CommandUpdate& update, bool answered)
{
    if (!answered) {
        item.setEnabled(false);
        return;
    }
    if (update.enabled())
        item.setEnabled(*update.enabled());
    if (update.checked()) {
        item.setCheckable(true);
        item.setChecked(*update.checked());
    }
}

void routeMenu(QMenu& menu, const CommandRoute& route)
{
    QObject::connect(&menu, &QMenu::aboutToShow, &menu,
                     [&menu, &route] { updateCommandItems(menu.actions(), route); });
    for (QAction* item : menu.actions()) {
        if (QMenu* submenu = item->menu<QMenu*>())
            routeMenu(*submenu, route);
    }
}

} // namespace

QMenu* CommandUpdate::submenu() const
{
    return m_item ? m_item->menu<QMenu*>() : nullptr;
}

bool CommandRoute::execute(int id) const
{
    for (CommandTarget* target : m_targets) {
        if (target && target->OnCommand(id, kExecuteCommand, nullptr))
            return true;
    }
    return false;
}

bool CommandRoute::update(CommandUpdate& update) const
{
    for (CommandTarget* target : m_targets) {
        if (target && target->OnCommand(update.id(), kUpdateCommand, &update))
            return true;
    }
    return false;
}

int commandIdOf(const QAction& action)
{
    return action.isSeparator() ? 0 : action.data().toInt();
}

void updateCommandItems(const QList<QAction*>& actions, const CommandRoute& route)
{
    for (QAction* item : actions) {
        const QMenu* submenu = item->menu<QMenu*>();
        const int id = updatedCommandOf(*item, submenu);
        if (id == 0)
            continue;
        CommandUpdate update(id, item);
        const bool answered = route.update(update);
        // A submenu's item is left to its target: the first command's state is not the submenu's.
        if (!submenu)
            applyState(*item, update, answered);
    }
}

void routeMenuBarCommands(QMenuBar& bar, const CommandRoute& route)
{
    // The bar hears every item chosen in its menus and their submenus, once.
    QObject::connect(&bar, &QMenuBar::triggered, &bar, [&route](QAction* item) {
        if (const int id = commandIdOf(*item))
            route.execute(id);
    });
    for (QAction* popup : bar.actions()) {
        if (QMenu* menu = popup->menu<QMenu*>())
            routeMenu(*menu, route);
    }
}

void routeToolBarCommands(QToolBar& toolBar, const CommandRoute& route)
{
    if (toolBar.property(kRoutedProperty).toBool())
        return;
    toolBar.setProperty(kRoutedProperty, true);
    QObject::connect(&toolBar, &QToolBar::actionTriggered, &toolBar, [&route](QAction* button) {
        if (const int id = commandIdOf(*button))
            route.execute(id);
    });
}

} // namespace lumivo::ui
