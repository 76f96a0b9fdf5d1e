#include "admin/OutputFileCommands.h"

#include "admin/ImportCommands.h"
#include "admin/InputFilesDlg.h"
#include "admin/OutputFileLife.h"
#include "admin/TransferBgDlg.h"
#include "admin/TranslationCommands.h"
#include "admin/UserLevelDlgs.h"
#include "core/WordEditorHooks.h"
#include "panes/Panes.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/Reload.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <array>

QPointer<QMenu> theTranslateMenu;

namespace
{

using lumivo::ui::CommandUpdate;

constexpr UINT kFirstCommand = 5051;
constexpr UINT kLastCommand = 5074;
constexpr UINT kTransferPageCommand = 5622;
constexpr int kTransferPageText = 4622;
constexpr int kMsgNotImplemented = 9034;
constexpr int kTranslatePopupText = 4051;
constexpr int kTranslateText = 5051;
constexpr int kNoLanguageText = 1004;

// --- The states the table reads ------------------------------------------------------------------

bool outputFileOpen()
{
    return theOutputFile > 0;
}

bool freeForANewOutputFile()
{
    return !outputFileOpen() && !IsWordEditorOpen();
}

bool outputFileChanged()
{
    return outputFileOpen() && IsResFileDirty(theOutputFile);
}

bool always()
{
    return true;
}

bool translationRecordKnown()
{
    return theTranslateLanguageRec != nullptr;
}

bool translatingIntoALanguage()
{
    return outputFileOpen() && theTranslateLanguage != 0;
}

// --- Actions -------------------------------------------------------------------------------------

void createOutputFile()
{
    ReportOutputFileResult(CreateOutputFile());
    if (outputFileOpen())
        RunTranslateSettings();
    InitializeSystem(0);
}

void openOutputFile()
{
    ReportOutputFileResult(OpenOutputFile());
    if (outputFileOpen() && !RestoreTranslateLanguage())
        RunTranslateSettings();
    if (outputFileOpen())
        InitializeSystem(0);
}

void closeOutputFile()
{
    CloseOutputFile();
}

void saveOutputFile()
{
    ReportOutputFileResult(SaveOutputFile());
}

void notImplemented()
{
    MessageBoxById(kMsgNotImplemented, lumivo::ui::MB_OK);
}

void editTranslateSettings()
{
    RunTranslateSettings();
    InitializeSystem(0);
}

void editSystemStrings()
{
    if (theTranslateLanguageRec && theTranslateLanguageRec->GetFile() == theOutputFile)
        RunSystemStrings();
}

void editOutputFileUserLevels()
{
    EditOutputFileUserLevels();
}

// One row per command of the group. A null action or rule leaves that pass of the command to the next
// handler of the dispatcher.
struct OutputFileCommand {
    UINT id;
    void (*run)();
    bool (*enabled)();
};

constexpr std::array kCommands{
    OutputFileCommand{5051, nullptr, freeForANewOutputFile},
    OutputFileCommand{5052, createOutputFile, freeForANewOutputFile},
    OutputFileCommand{5053, openOutputFile, freeForANewOutputFile},
    OutputFileCommand{5054, closeOutputFile, outputFileOpen},
    OutputFileCommand{5055, saveOutputFile, outputFileChanged},
    OutputFileCommand{5056, notImplemented, outputFileOpen},
    OutputFileCommand{5057, notImplemented, outputFileOpen},
    OutputFileCommand{5059, editTranslateSettings, outputFileOpen},
    OutputFileCommand{5060, RunInputFiles, always},
    OutputFileCommand{5061, editSystemStrings, translationRecordKnown},
    OutputFileCommand{5062, [] { theOpenWordEditorForTranslationHook(); }, translationRecordKnown},
    OutputFileCommand{5063, notImplemented, nullptr},
    OutputFileCommand{5064, [] { theOpenBackgroundEditorForTranslationHook(); }, translationRecordKnown},
    OutputFileCommand{5065, editOutputFileUserLevels, translatingIntoALanguage},
    OutputFileCommand{5066, ImportWordPictures, translatingIntoALanguage},
    OutputFileCommand{5067, ImportWordSounds, translatingIntoALanguage},
    OutputFileCommand{5068, ImportWordClips, translatingIntoALanguage},
    OutputFileCommand{5069, ImportTranslatedWords, translatingIntoALanguage},
    OutputFileCommand{5070, ImportTranslatedPages, translatingIntoALanguage},
};

const OutputFileCommand* commandOf(UINT id)
{
    const auto found = std::ranges::find(kCommands, id, &OutputFileCommand::id);
    return found == kCommands.end() ? nullptr : &*found;
}

bool runOrUpdate(void (*run)(), bool (*enabled)(), int code, CommandUpdate* update)
{
    if (code == lumivo::ui::kExecuteCommand && run) {
        run();
        return true;
    }
    if (code == lumivo::ui::kUpdateCommand && enabled && update) {
        update->enable(enabled());
        return true;
    }
    return false;
}

// --- The Translate popup -------------------------------------------------------------------------

struct PopupItem {
    int text; // 0: a separator
    int command;
};

constexpr std::array kPopupItems{
    PopupItem{4052, 5052}, PopupItem{4053, 5053}, PopupItem{4054, 5054},
    PopupItem{4055, 5055}, PopupItem{4056, 5056}, PopupItem{4057, 5057},
    PopupItem{4063, 5063}, PopupItem{4060, 5060}, PopupItem{0, 0},
    PopupItem{4059, 5059}, PopupItem{4065, 5065}, PopupItem{4061, 5061},
    PopupItem{4062, 5062}, PopupItem{4064, 5064}, PopupItem{kTransferPageText, kTransferPageCommand},
    PopupItem{0, 0},       PopupItem{4069, 5069}, PopupItem{4070, 5070},
    PopupItem{4066, 5066}, PopupItem{4067, 5067}, PopupItem{4068, 5068},
    PopupItem{0, 0},
};

void fillTranslatePopup(QMenu& popup)
{
    for (const PopupItem& item : kPopupItems) {
        if (item.text == 0)
            popup.addSeparator();
        else
            lumivo::addCommandItem(popup, item.text, item.command);
    }
}

QString titleSuffix()
{
    const QString language =
        theTranslateLanguageRec ? theTranslateLanguageRec->m_name : LoadSystemString(kNoLanguageText);
    return QStringLiteral(" ( %1 : %2 ) ").arg(LoadSystemString(kTranslateText), language);
}

} // namespace

bool OnOutputFileCommand(UINT id, int code, CommandUpdate* update)
{
    if (id < kFirstCommand || id > kLastCommand)
        return false;
    const OutputFileCommand* command = commandOf(id);
    return command && runOrUpdate(command->run, command->enabled, code, update);
}

bool OnTransferPageCommand(UINT id, int code, CommandUpdate* update)
{
    if (id != kTransferPageCommand)
        return false;
    if (code == lumivo::ui::kExecuteCommand) {
        TransferBackgroundAssets(theMainPane.GetPage());
        return true;
    }
    if (update)
        update->enable(outputFileOpen() && theMainPane.GetPage() != nullptr);
    return update != nullptr;
}

bool RouteOutputFileCommand(UINT id, int code, CommandUpdate* update)
{
    return OnOutputFileCommand(id, code, update) || OnTransferPageCommand(id, code, update);
}

void BuildTranslatePopup()
{
    delete theTranslateMenu.data();
    if (!theMainMenu)
        return;
    theTranslateMenu = theMainMenu->addMenu(LoadSystemString(kTranslatePopupText));
    fillTranslatePopup(*theTranslateMenu);
    CMainFrame* frame = MainFrame();
    if (frame && outputFileOpen())
        frame->setWindowTitle(frame->windowTitle() + titleSuffix());
}

void ResetOutputFileCommands()
{
    delete theTranslateMenu.data();
    theTranslateMenu = nullptr;
}
