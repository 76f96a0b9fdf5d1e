#pragma once
// What the admin tests share: a main window with the menus built as the program builds them, choosing
// items of a menu as a person does, and small resource files.

#include "shell/MainFrame.h"
#include "tests/support/LumivoTest.h"

#include <QMenu>
#include <QMenuBar>
#include <QString>

#include <cstdint>
#include <memory>

namespace lumivo::test
{

class AdminTest : public LumivoTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the update pass of the menu that holds `command` and gives its item; null when no menu of
    // the bar has it.
    static QAction* offeredItem(const QMenuBar& bar, int command);
    // Chooses the item as a person does, after the update pass; fails when the item is greyed.
    static void choose(const QMenuBar& bar, int command);

    std::unique_ptr<CMainFrame> m_frame;
};

// A record of `size` bytes under (id, type) in the file, with a name.
void storeRecord(int file, std::int32_t id, std::int32_t type, const QString& name, std::uint32_t size = 3);

} // namespace lumivo::test
