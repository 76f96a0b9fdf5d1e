#include "shell/SystemLifetime.h"

#include "core/ColorPalette.h"
#include "core/FrameSizes.h"
#include "core/ObjectIndex.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "panes/ClipPreview.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "shell/ColorDialogs.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "shell/Menus.h"
#include "shell/Reload.h"
#include "shell/ScreenLayout.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <cstddef>

namespace
{

// Start-up is done with the step that clears this bit.
constexpr std::uint16_t kProgramModeStarting = 0x20;
// Edit options set at start-up; the reload sequence sets its own afterwards.
constexpr std::uint16_t kStartEditOptionsOn = 0x0001 | 0x0010 | 0x0100 | 0x0200 | 0x0400;
constexpr std::uint16_t kStartEditOptionsOff = 0x0800;

void trace(int step)
{
    WriteDebugLog(QStringLiteral("Startup,%1").arg(step));
}

QString userColorName(std::size_t index)
{
    return QStringLiteral("UserColor_%1").arg(index);
}

void readUserColors()
{
    for (std::size_t i = 0; i < theUserColors.size(); ++i) {
        int color = 0;
        GetSystemSettingInt(userColorName(i), &color);
        theUserColors[i] = static_cast<std::uint32_t>(color);
    }
    ShowUserColorsInDialog();
}

void writeUserColors()
{
    TakeUserColorsFromDialog();
    for (std::size_t i = 0; i < theUserColors.size(); ++i)
        SetSystemSettingInt(userColorName(i), static_cast<int>(theUserColors[i]));
}

// The program ends whatever the answer to the close's question: a file that the close left open with
// its changes (Cancel, a save that failed) is saved once more rather than let go unsaved, and what cannot
// be saved is said where it can still be read.
void closeOutputFile()
{
    if (!CloseOutputFile() && theOutputFile > 0) {
        const int file = theOutputFile;
        if (const int error = SaveChangedOutputFile(); error != RES_OK)
            WriteDebugLogAndStderr(
                QStringLiteral("The output file %1 could not be saved at the end (error %2)")
                    .arg(GetResFilePath(file))
                    .arg(error));
    }
    if (theOutputFile > 0)
        ReleaseDataFile(theOutputFile);
    theOutputFile = 0;
    theTranslateLanguage = 0;
}

void forgetObjectsAndFiles()
{
    theCurrentUserLevel.reset();
    theWordIndex.DeleteAll();
    theBgIndex.DeleteAll();
    theUserLevelIndex.DeleteAll();
    ClearSystemList();
    CloseDataFile(0);
}

} // namespace

void InitSystem()
{
    trace(1);
    InitSoundModel();
    trace(2);
    CSoundDevice::InitSound();
    // Clips and pictures are decoded by libraries that need no start.
    trace(3);
    trace(4);
    // The icon clipboard format is a name (kQuibIconFormat); Qt registers nothing.
    trace(5);
    trace(6);
    readUserColors();
    trace(55);
    QString folder;
    BuildUsersDir(folder, QStringLiteral("/"));
    GetDataDir(folder, QStringLiteral("/"));
    RegisterFrameSizeModes();
    trace(57);
    InitPrintView();
    trace(58);
    ScanDataFolder(0);
    theEditOptions =
        static_cast<std::uint16_t>((theEditOptions | kStartEditOptionsOn) & ~kStartEditOptionsOff);
    trace(99);
    theProgramMode =
        static_cast<std::uint16_t>((theProgramMode & ~kProgramModeStarting) | kProgramModeStarted);
}

void ExitSystem()
{
    if (theProgramMode & kProgramModeShuttingDown)
        return;
    theProgramMode =
        static_cast<std::uint16_t>((theProgramMode & ~kProgramModeStarted) | kProgramModeShuttingDown);
    for (CPane* pane : {static_cast<CPane*>(&theMainPane), static_cast<CPane*>(&theWriterPane), &theWordPane,
                        &theNavigatorPane})
        pane->LoadPage(0);
    theBrowsePane.ReleaseEnlargedIcon();
    closeOutputFile();
    SetCurrentUser(nullptr);
    forgetObjectsAndFiles();
    SetSystemSettingInt(QStringLiteral("ScreenMode"), theScreenMode);
    DestroyMenus();
    theClipPreview.Close();
    ExitPrintView();
    writeUserColors();
    ResetSystemColorTable();
    CSoundDevice::CloseSound();
    ResetSpeechEngine();
    theProgramMode = 0;
}
