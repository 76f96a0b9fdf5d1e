#pragma once
// Commands by number. Every menu item and toolbar button is a QAction whose data() holds its command
// id (an int). A chosen command is offered along a fixed route, the client window first, then the
// frame, then the application, until one of them handles it. Before a menu shows, and on idle for the
// toolbar, an update pass asks the same route for each item's state (enabled, checked); an item that
// no target answers for is greyed, so a command nobody can run is never offered.
//
// Only QtGui types appear here; the menus and toolbars are forward declared.

#include <QList>

#include <array>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;

namespace lumivo::ui
{

// What a target is asked to do with a command.
constexpr int kExecuteCommand = 0;
constexpr int kUpdateCommand = -1;

// The state one command is given by an update pass.
class CommandUpdate
{
public:
    // `item` is the menu item or toolbar button being updated; none when the state is only asked.
    explicit CommandUpdate(int id, QAction* item = nullptr) : m_id(id), m_item(item) {}

    int id() const { return m_id; }
    QAction* item() const { return m_item; }
    // The submenu the item opens, or none. Such an item is updated with the command of its submenu's
    // first item; its target sets its state itself, since that command's state is not the submenu's.
    QMenu* submenu() const;

    void enable(bool on = true) { m_enabled = on; }
    void setCheck(bool on = true) { m_checked = on; }
    std::optional<bool> enabled() const { return m_enabled; }
    std::optional<bool> checked() const { return m_checked; }

private:
    int m_id;
    QAction* m_item;
    std::optional<bool> m_enabled;
    std::optional<bool> m_checked;
};

// One stop of the route. Answers whether it handled the command: with kExecuteCommand it runs it
// (update is null), with kUpdateCommand it sets the state in `update`.
class CommandTarget
{
public:
    virtual ~CommandTarget() = default;
    virtual bool OnCommand(int id, int code, CommandUpdate* update) = 0;
};

// The order in which commands are offered. The stops refer to their targets, which set and clear
// themselves (a window as it comes and goes); an empty stop is passed over.
class CommandRoute
{
public:
    enum Stop { Client, Frame, Application };

    void setTarget(Stop stop, CommandTarget* target) { m_targets[stop] = target; }
    CommandTarget* target(Stop stop) const { return m_targets[stop]; }

    // Runs the command; false when no stop handled it.
    bool execute(int id) const;
    // Asks for the command's state; false when no stop answered.
    bool update(CommandUpdate& update) const;

private:
    std::array<CommandTarget*, 3> m_targets{};
};

// The command id an action carries (0 for none: separators, plain submenu items).
int commandIdOf(const QAction& action);

// One update pass over these actions: each command item gets the route's state; an item nobody
// answers for is greyed. A submenu item is updated with its submenu's first command.
void updateCommandItems(const QList<QAction*>& actions, const CommandRoute& route);

// Routes the bar's menus: every menu and submenu of it runs an update pass before it shows, and a
// chosen item is executed through the route. Menus added to the bar later are not covered; call again
// after building. The route must outlive the bar.
void routeMenuBarCommands(QMenuBar& bar, const CommandRoute& route);
// Routes the toolbar's buttons: a button pressed is executed through the route. Calling it again for
// the same toolbar does nothing. The route must outlive the toolbar.
void routeToolBarCommands(QToolBar& toolBar, const CommandRoute& route);

} // namespace lumivo::ui
