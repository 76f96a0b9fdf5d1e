#include "shell/Reload.h"

#include "core/IconEditing.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "panes/Panes.h"
#include "panes/UserSettings.h"
#include "shell/CurrentUser.h"
#include "shell/EditTool.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/QtTexts.h"
#include "shell/ScreenLayout.h"
#include "shell/Splash.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"

#include <algorithm>

namespace
{

// Edit options after a reload: show the grid and the icons' pictures, the crop dialog when a picture
// is imported, the extended magic wand.
constexpr std::uint16_t kReloadedEditOptions = 0x3600;
// Edit mode and the developer bits, which only the edit-mode command turns on again.
constexpr std::uint16_t kProgramModeEditBits =
    kProgramModeDeveloper1 | kProgramModeReducedEdit | kProgramModeDeveloper | kProgramModeEdit;
constexpr std::uint16_t kLastSearchLanguage = 1;
constexpr std::int32_t kDefaultUserLevelId = 1000;

bool has(std::uint32_t bits)
{
    return (theSystemInitFlags & bits) != 0;
}

// The frame exists with its client window: the window steps have something to act on.
CMainFrame* mainWindow()
{
    CMainFrame* frame = MainFrame();
    return frame && frame->ClientWindow() ? frame : nullptr;
}

std::uint16_t translationLanguage()
{
    return theOutputFile > 0 ? theTranslateLanguage : 0;
}

void emptyPagePanesAndIndexes()
{
    for (CPane* pane :
         {static_cast<CPane*>(&theNavigatorPane), &theWordPane, static_cast<CPane*>(&theMainPane),
          static_cast<CPane*>(&theWriterPane), static_cast<CPane*>(&theInfoPane), &theBlankPane})
        pane->ClearPage();
    AddSystemInitFlags(kReloadPanes);
    theWordIndex.DeleteAll();
    theBgIndex.DeleteAll();
}

void takeCurrentUsersLanguages()
{
    theCurrentLanguage = theCurrentUser->PrimaryLanguage;
    theSecondLanguage = theCurrentUser->SecondLanguage;
    if (theCurrentLanguage == 0 && theSecondLanguage == 0)
        theCurrentLanguage = theLanguageNo;
    theCurrentLanguageRec = FindSystemRecord(theCurrentLanguage);
    if (!theCurrentLanguageRec)
        theCurrentLanguageRec = theInstallLanguageRec;
}

void reloadLanguages()
{
    UpdateSystemList(CurrentUserFilesOf(theCurrentUser));
    theLanguageNo = ReadSystemLanguage();
    FollowLanguageInQtTexts(theLanguageNo);
    theInstallLanguageRec = FindSystemRecord(theLanguageNo);
    const std::uint16_t translation = translationLanguage();
    theTranslateLanguageRec = translation > 0 ? FindSystemRecord(translation) : nullptr;
    theCurrentLanguage = theLanguageNo;
    theSecondLanguage = 0;
    theCurrentLanguageRec = theInstallLanguageRec;
    theSecondLanguageRec = nullptr;
    theEditOptions = kReloadedEditOptions;
    ForceEditTool(kEditToolBrowse);
    if (theCurrentUser)
        takeCurrentUsersLanguages();
}

void rebuildSearchLanguages()
{
    theSearchLanguages.clear();
    const auto append = [](std::uint16_t language) {
        if (language != 0 && std::ranges::find(theSearchLanguages, language) == theSearchLanguages.end())
            theSearchLanguages.push_back(language);
    };
    append(translationLanguage());
    append(theCurrentLanguage);
    append(theSecondLanguage);
    if (theCurrentLanguageRec)
        append(theCurrentLanguageRec->m_baseLanguage);
    append(kLastSearchLanguage);
}

void reloadIndexes()
{
    theReloadStatusHook(QStringLiteral("Updates databases"));
    CQuibObjIndex::LoadWords();
    CQuibObjIndex::LoadBackgrounds();
    theSystemInitFlags &= ~kReloadIndexes;
}

void reloadUserLevel()
{
    theCurrentUserLevel.reset();
    const std::int32_t id = theCurrentUser ? theCurrentUser->UserLevel : kDefaultUserLevelId;
    std::unique_ptr<CQuibUserLevel> level = FindUserLevelById(id);
    if (level && level->Load() != RES_OK)
        level.reset();
    theCurrentUserLevel = level ? std::move(level) : CreateDefaultUserLevel(theCurrentLanguage);
}

void redrawMainWindow()
{
    if (CMainFrame* frame = mainWindow()) {
        frame->update();
        frame->ClientWindow()->update();
    }
}

// The current user's window rectangle, a standard one when none is stored, brought onto the screen.
void placeMainWindowForUser()
{
    if (!mainWindow() || !theCurrentUser)
        return;
    if (theCurrentUser->WindowRect.IsRectEmpty())
        GetNearestFrameSize(theCurrentUser->WindowRect);
    const CRect rect = lumivo::windowRectOnScreen(theCurrentUser->WindowRect, theScreenSizeHook());
    if (rect != lumivo::mainFrameRect())
        lumivo::setMainFrameRect(rect);
}

void reloadScreen()
{
    theReloadStatusHook(QStringLiteral("Update screen mode"));
    placeMainWindowForUser();
    UpdateScreenMode();
    CalcScreenLayout();
    theReloadStatusHook(QStringLiteral("Update screen"));
}

} // namespace

std::unique_ptr<CQuibUserLevel> theCurrentUserLevel;
lumivo::Hook<void(const QString& text)> theReloadStatusHook{SetSplashStatus};

namespace lumivo
{

CRect windowRectOnScreen(CRect rect, CSize screen)
{
    if (rect.top >= screen.cy || rect.bottom <= 0)
        rect.OffsetRect(0, -rect.top);
    if (rect.left >= screen.cx || rect.right <= 0)
        rect.OffsetRect(-rect.left, 0);
    if (rect.right > screen.cx + screen.cx / 5)
        rect.right = screen.cx;
    if (rect.bottom > screen.cy + screen.cy / 5)
        rect.bottom = screen.cy;
    return rect;
}

} // namespace lumivo

int InitializeSystem(std::uint32_t mask)
{
    AddSystemInitFlags(mask);
    if (theProgramMode & kProgramModeShuttingDown)
        return 0;
    theReloadStatusHook(QStringLiteral("Initialize system settings"));
    SetEditTool(kEditToolBrowse);
    if (has(kReloadIndexes))
        emptyPagePanesAndIndexes();
    if (has(kReloadSystemSettings)) {
        theReloadStatusHook(QStringLiteral("Load system settings"));
        theProgramMode &= static_cast<std::uint16_t>(~kProgramModeEditBits);
    }
    const bool languages = has(kReloadSystemSettings | kReloadIndexes);
    if (languages)
        reloadLanguages();
    if (has(kReloadUserSettings))
        UpdateUserSettings();
    if (languages)
        rebuildSearchLanguages();
    if (has(kReloadIndexes))
        reloadIndexes();
    if (has(kReloadUserLevel))
        reloadUserLevel();
    if (has(kReloadMenus)) {
        theReloadStatusHook(QStringLiteral("Create menus"));
        CreateMenus();
    }
    if (has(kReloadRedraw))
        redrawMainWindow();
    if (has(kReloadScreen))
        reloadScreen();
    if (has(kReloadPanes))
        CPane::ReloadAllPanes(true);
    theSystemInitFlags = 0;
    return 0;
}

void ResetReload()
{
    theCurrentUserLevel.reset();
    theReloadStatusHook.reset();
}
