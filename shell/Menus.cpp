#include "shell/Menus.h"

#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "shell/ProgramVersion.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <span>

QPointer<QMenuBar> theMainMenu;
QPointer<QMenu> theFilePopup;
QPointer<QMenu> theEditPopup;
QPointer<QMenu> thePagePopup;
QPointer<QMenu> theHelpPopup;

lumivo::Hook<void()> theBuildTranslateMenuHook([] {});
lumivo::Hook<void()> theBuildTestMenuHook([] {});

void BuildTranslateMenu()
{
    theBuildTranslateMenuHook();
}

void BuildTestMenu()
{
    theBuildTestMenuHook();
}

namespace
{

// One item of a popup: its text's system string and its command. A row of zeros is a separator.
struct MenuRow {
    int textId;
    int commandId;
    bool needsFullEdit = false; // offered only with edit bit 0x8, not with the reduced 0x2
};

constexpr MenuRow kSeparator{0, 0};

constexpr MenuRow kFileRowsBeforePrint[] = {
    {4011, 5011}, {4012, 5012}, {4019, 5019}, {4035, 5035}, {4033, 5033},
    {4034, 5034}, {4014, 5014}, {4018, 5018}, {4016, 5016}, kSeparator,
};
constexpr int kChoosePrintText = 4024;
constexpr MenuRow kChoosePrintRows[] = {
    {4028, 5028}, {4029, 5029}, {4030, 5030}, {4031, 5031}, {4032, 5032}, {4026, 5026}, {4027, 5027},
};
constexpr MenuRow kFileRowsAfterPrint[] = {
    {4021, 5021}, {4023, 5023}, {4022, 5022}, kSeparator, {4013, 5013},
};

constexpr MenuRow kEditRows[] = {
    {4103, 5103},       {4123, 5123},       {4102, 5102, true}, {4117, 5117, true}, {4118, 5118, true},
    kSeparator,         {4111, 5111},       {4112, 5112},       {4119, 5119},       {4120, 5120},
    {4124, 5124},       {4125, 5125},       kSeparator,         {4104, 5104},       {4105, 5105},
    {4122, 5122},       {4106, 5106, true}, {4107, 5107, true}, {4108, 5108, true}, {4109, 5109, true},
    {4121, 5121, true}, {4110, 5110, true}, kSeparator,         {4113, 5113},       {4114, 5114},
    {4115, 5115},       {4116, 5116},
};

constexpr MenuRow kHelpRows[] = {{4203, 5203}, {4204, 5204}, {4205, 5205}, {4202, 5202}};

constexpr int kFilePopupText = 4010;
constexpr int kEditPopupText = 4101;
constexpr int kPagePopupText = 4131;
constexpr int kHelpPopupText = 4201;

// The initial letters of page names, in the order of the Danish alphabet.
const QString kPageLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ");

void addRows(QMenu& menu, std::span<const MenuRow> rows, bool fullEdit = true)
{
    for (const MenuRow& row : rows) {
        if (row.needsFullEdit && !fullEdit)
            continue;
        if (row.commandId == 0)
            menu.addSeparator();
        else
            lumivo::addCommandItem(menu, row.textId, row.commandId);
    }
}

QMenu* addPopup(QMenuBar& bar, int textId)
{
    return bar.addMenu(LoadSystemString(textId));
}

void buildFilePopup(QMenuBar& bar)
{
    theFilePopup = addPopup(bar, kFilePopupText);
    addRows(*theFilePopup, kFileRowsBeforePrint);
    addRows(*theFilePopup->addMenu(LoadSystemString(kChoosePrintText)), kChoosePrintRows);
    addRows(*theFilePopup, kFileRowsAfterPrint);
}

void buildEditPopup(QMenuBar& bar)
{
    if (!(theProgramMode & (kProgramModeEdit | kProgramModeReducedEdit)))
        return;
    theEditPopup = addPopup(bar, kEditPopupText);
    addRows(*theEditPopup, kEditRows, (theProgramMode & kProgramModeEdit) != 0);
}

void buildPagePopup(QMenuBar& bar)
{
    thePagePopup = addPopup(bar, kPagePopupText);
    for (const QChar letter : kPageLetters) {
        QMenu* submenu = thePagePopup->addMenu(QString(letter));
        submenu->addAction(QStringLiteral("test"))->setData(lumivo::kPageSubmenuPlaceholderCommand);
        QObject::connect(submenu, &QMenu::aboutToShow, submenu, [submenu] { FillPageSubmenu(*submenu); });
    }
}

void buildHelpPopup(QMenuBar& bar)
{
    theHelpPopup = addPopup(bar, kHelpPopupText);
    addRows(*theHelpPopup, kHelpRows);
}

// A tool the menu does not offer cannot be chosen from the toolbar either.
void showEditToolButtons(const CMainFrame& frame)
{
    for (const int command : lumivo::kEditToolCommands) {
        if (QAction* button = frame.ToolButton(command))
            button->setVisible(theEditPopup && lumivo::findCommandItem(*theEditPopup, command));
    }
}

// The old bar may hold the item being chosen right now ("Edit mode" builds the menus anew from its
// own popup), so it is not deleted here: the frame hides it and deletes it later when it gets the new
// bar, and its popups go with it.
void forgetMenus()
{
    for (QPointer<QMenu>* popup : {&theFilePopup, &theEditPopup, &thePagePopup, &theHelpPopup})
        *popup = nullptr;
    theMainMenu = nullptr;
}

} // namespace

namespace lumivo
{

QString windowTitle(const QString& appName, DWORD version)
{
    // The second and fifth fields stay empty; the blanks around them are part of the title.
    const QByteArray name = appName.toUtf8();
    const int major = versionMajor(version);
    const int minor = versionMinor(version);
    if (major == 2 && minor == 0)
        return QString::asprintf("%s %s %d.%d %s  ( Run as 2.1%s )", name.constData(), "", major, minor, "",
                                 " BETA");
    return QString::asprintf("%s %s %d.%d %s%s", name.constData(), "", major, minor, "", " BETA");
}

QAction* addCommandItem(QMenu& menu, int textId, int commandId)
{
    QAction* item = menu.addAction(LoadSystemString(textId));
    item->setData(commandId);
    if (QString prompt; GetCommandPrompt(commandId, prompt))
        item->setStatusTip(prompt);
    return item;
}

QAction* findCommandItem(const QMenu& menu, int commandId)
{
    for (QAction* item : menu.actions()) {
        if (const QMenu* submenu = item->menu()) {
            if (QAction* found = findCommandItem(*submenu, commandId))
                return found;
        } else if (!item->isSeparator() && item->data().toInt() == commandId) {
            return item;
        }
    }
    return nullptr;
}

} // namespace lumivo

void CreateMenus()
{
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    frame->setWindowTitle(lumivo::windowTitle(LoadSystemString(SYSSTR_APPNAME), GetProgramVersion()));
    forgetMenus();
    auto bar = std::make_unique<QMenuBar>();
    theMainMenu = bar.get();
    buildFilePopup(*bar);
    buildEditPopup(*bar);
    buildPagePopup(*bar);
    BuildTranslateMenu();
    BuildTestMenu();
    buildHelpPopup(*bar);
    // A new bar keeps to the screen mode: a person who hid the menu bar does not see it come back
    // when the edit mode changes.
    bar->setVisible((theScreenMode & SCREENMODE_MENUBAR) != 0);
    frame->setMenuBar(bar.release());
    frame->UpdateBarTexts();
    showEditToolButtons(*frame);
    RouteMainFrameCommands();
}

void DestroyMenus()
{
    // The popups are the bar's children; one that a builder took out of the bar goes on its own.
    for (QPointer<QMenu>* popup : {&theFilePopup, &theEditPopup, &thePagePopup, &theHelpPopup})
        delete popup->data();
    delete theMainMenu.data();
}

void ResetMenus()
{
    DestroyMenus();
    theBuildTranslateMenuHook.reset();
    theBuildTestMenuHook.reset();
}
