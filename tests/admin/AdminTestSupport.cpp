#include "tests/admin/AdminTestSupport.h"

#include "shell/Menus.h"
#include "store/ResourceHandle.h"

#include <QAction>

#include <gtest/gtest.h>

namespace lumivo::test
{

void AdminTest::SetUp()
{
    LumivoTest::SetUp();
    m_frame = std::make_unique<CMainFrame>();
    CreateMenus();
}

void AdminTest::TearDown()
{
    DestroyMenus();
    m_frame.reset();
    LumivoTest::TearDown();
}

QAction* AdminTest::offeredItem(const QMenuBar& bar, int command)
{
    for (QAction* popup : bar.actions()) {
        QMenu* menu = popup->menu();
        if (!menu)
            continue;
        if (QAction* item = lumivo::findCommandItem(*menu, command)) {
            emit menu->aboutToShow();
            return item;
        }
    }
    return nullptr;
}

void AdminTest::choose(const QMenuBar& bar, int command)
{
    QAction* item = offeredItem(bar, command);
    ASSERT_NE(item, nullptr) << command;
    ASSERT_TRUE(item->isEnabled()) << command;
    item->trigger();
}

void storeRecord(int file, std::int32_t id, std::int32_t type, const QString& name, std::uint32_t size)
{
    CMyByteRes record;
    ASSERT_EQ(record.Create(), 0);
    record.SetSize(size);
    ASSERT_EQ(record.SaveAs(id, file, type), 0);
    ASSERT_EQ(record.SetName(name), 0);
    record.Detach();
}

} // namespace lumivo::test
