#include "admin/TestMenu.h"

#include "admin/ResEditorDlg.h"
#include "admin/TestReports.h"
#include "core/FrameSizes.h"
#include "panes/Pane.h"
#include "platform/ui/CommandRoute.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/ScreenLayout.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QMenuBar>

#include <algorithm>
#include <array>

QPointer<QMenu> theTestMenu;

namespace
{

constexpr int kTestMenuText = 4151;
constexpr UINT kFirstTestCommand = 5151;
constexpr UINT kLastTestCommand = 5174;
constexpr UINT kResourceEditorCommand = 5152;
constexpr UINT kWordUsageCommand = 5153;
constexpr UINT kPaneInfoCommand = 5155;
constexpr UINT kMaleSoundsCommand = 5156;
constexpr UINT kFemaleSoundsCommand = 5157;
constexpr UINT kFirstWindowCommand = 5160;
// Every visible pane repaints.
constexpr unsigned kRefreshAllPanes = 0x10;
// The window is placed this far outside the screen's corner, so that its frame lies off screen.
constexpr int kWindowOutset = 4;

// One item of the menu: its text's system string and its command; zeros are a separator.
struct TestMenuRow {
    int textId;
    UINT commandId;
};

constexpr std::array<TestMenuRow, 14> kTestMenuRows{{
    {4152, kResourceEditorCommand},
    {4153, kWordUsageCommand},
    {4155, kPaneInfoCommand},
    {0, 0},
    {4160, 5160},
    {4161, 5161},
    {4162, 5162},
    {4163, 5163},
    {4164, 5164},
    {4165, 5165},
    {0, 0},
    {4156, kMaleSoundsCommand},
    {4157, kFemaleSoundsCommand},
    {0, 0},
}};

struct WindowSize {
    int width;
    int height;
};
constexpr std::array<WindowSize, 6> kWindowSizes{
    {{640, 480}, {800, 600}, {1024, 768}, {1152, 870}, {1200, 1024}, {1600, 1200}}};

bool hasItem(UINT id)
{
    return std::any_of(kTestMenuRows.begin(), kTestMenuRows.end(),
                       [id](const TestMenuRow& row) { return row.commandId != 0 && row.commandId == id; });
}

void togglePaneInfo()
{
    thePaneInfoFlags ^= kPaneInfoLabel;
    CPane::RefreshVisiblePanes(kRefreshAllPanes);
}

void setWindowSizeOf(UINT id)
{
    const WindowSize size = kWindowSizes[id - kFirstWindowCommand];
    // The smallest size starts from frame-size mode 1; the layout then chooses the mode from the
    // window's new size, as after any resize.
    if (id == kFirstWindowCommand)
        theFrameSizeMode = 1;
    SetTestWindowSize(size.width, size.height);
}

bool runTestCommand(UINT id)
{
    switch (id) {
    case kResourceEditorCommand:
        RunResourceEditor();
        return true;
    case kWordUsageCommand:
        WordUsageReport();
        return true;
    case kPaneInfoCommand:
        togglePaneInfo();
        return true;
    case kMaleSoundsCommand:
        MissingSoundReport(kMaleVoiceKind);
        return true;
    case kFemaleSoundsCommand:
        MissingSoundReport(kFemaleVoiceKind);
        return true;
    default:
        if (id >= kFirstWindowCommand && id < kFirstWindowCommand + kWindowSizes.size()) {
            setWindowSizeOf(id);
            return true;
        }
        return false;
    }
}

} // namespace

void AppendTestMenu()
{
    // The menu of the last build goes with its menu bar, which may still be busy with a chosen item.
    theTestMenu = nullptr;
    if (!theMainMenu)
        return;
    theTestMenu = theMainMenu->addMenu(LoadSystemString(kTestMenuText));
    for (const TestMenuRow& row : kTestMenuRows) {
        if (row.commandId == 0)
            theTestMenu->addSeparator();
        else
            lumivo::addCommandItem(*theTestMenu, row.textId, static_cast<int>(row.commandId));
    }
}

bool OnTestCommand(UINT id, int code, lumivo::ui::CommandUpdate* update)
{
    if (id < kFirstTestCommand || id > kLastTestCommand)
        return false;
    if (code == lumivo::ui::kExecuteCommand)
        return runTestCommand(id);
    if (code != lumivo::ui::kUpdateCommand || !hasItem(id))
        return false;
    if (update) {
        update->enable(true);
        if (id == kPaneInfoCommand)
            update->setCheck((thePaneInfoFlags & kPaneInfoLabel) != 0);
    }
    return true;
}

void SetTestWindowSize(int width, int height)
{
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->ClientWindow())
        return;
    lumivo::setMainFrameRect(
        CRect(CPoint(-kWindowOutset, -kWindowOutset), CSize(width + kWindowOutset, height + kWindowOutset)));
    frame->update();
    CalcScreenLayout();
    CPane::RefreshVisiblePanes(kRefreshEditableOnly);
}

void ResetTestMenu()
{
    delete theTestMenu.data();
    theTestMenu = nullptr;
}
