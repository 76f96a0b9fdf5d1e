// The command table's states for edit mode, the output file and the word editor; the edit tool's mouse
// thresholds; the quit question; the page menu against a list that changes; the route of a command
// from a menu through client window, frame and application.

#include "shell/Commands.h"

#include "core/IconEditing.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "core/WordEditorHooks.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "platform/ui/Ui.h"
#include "shell/EditTool.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/Bytes.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace lumivo::test;
using lumivo::ui::CommandUpdate;

namespace
{

constexpr std::uint16_t kLanguage = 1;
constexpr std::uint16_t kOtherLanguage = 2;

struct CommandState {
    bool handled = false;
    bool enabled = false;
    bool checked = false;
};

CommandState stateOf(UINT id)
{
    CommandUpdate update(static_cast<int>(id));
    const bool handled = DispatchSystemCommand(id, lumivo::ui::kUpdateCommand, &update);
    return {handled, update.enabled().value_or(false), update.checked().value_or(false)};
}

std::map<UINT, bool> enabledStates(std::initializer_list<UINT> ids)
{
    std::map<UINT, bool> states;
    for (const UINT id : ids)
        states[id] = stateOf(id).enabled;
    return states;
}

void execute(UINT id)
{
    EXPECT_TRUE(DispatchSystemCommand(id, lumivo::ui::kExecuteCommand, nullptr)) << id;
}

class CommandsTest : public LumivoTest
{
protected:
    // A current user kept in a file of its own, as after start-up.
    void makeBoundUser()
    {
        m_userFile = makeResourceFile(tempPath("user.tvf"));
        m_user = std::make_unique<CQuibUser>();
        storeInFile(*m_user, CQuibUser::kTemplateUserId, m_userFile, CQuibUser::kType);
        theCurrentUser = m_user.get();
    }

    // An output file with a change not yet saved.
    int openChangedOutputFile(const QString& name)
    {
        theOutputFile = makeResourceFile(tempPath(name));
        CQuibBg page;
        page.Name = QStringLiteral("Changed");
        storeInFile(page, 40, theOutputFile, MakeBgType(1, kLanguage));
        page.Write();
        m_outputBytes = fileBytes(tempPath(name));
        EXPECT_TRUE(IsResFileDirty(theOutputFile));
        return theOutputFile;
    }

    void TearDown() override
    {
        theCurrentUser = nullptr;
        m_user.reset();
        LumivoTest::TearDown();
    }

    std::unique_ptr<CQuibUser> m_user;
    int m_userFile = 0;
    std::vector<std::uint8_t> m_outputBytes; // the file's bytes before the question
};

// The same on a disk that fills up; it outlives the files the test leaves open to the fixture's end.
class CommandsOnFullDiskTest : public CommandsTest
{
protected:
    FullDisk m_disk;
};

} // namespace

TEST_F(CommandsTest, EditModeOutputFileAndWordEditorDecideWhatIsOffered)
{
    makeBoundUser();
    const auto userCommands = {5011u, 5012u, 5014u, 5016u, 5018u, 5019u, 5020u};
    for (const auto& [id, enabled] : enabledStates(userCommands))
        EXPECT_TRUE(enabled) << id;
    EXPECT_TRUE(stateOf(5104).checked) << "the browse tool starts";
    EXPECT_FALSE(stateOf(5016).checked);
    for (const auto& [id, enabled] : enabledStates({5105, 5106, 5107, 5109, 5121, 5122, 5113, 5116}))
        EXPECT_FALSE(enabled) << id << ": outside edit mode";

    ASSERT_TRUE(SetProgramMode(kProgramModeEdit, true));
    EXPECT_TRUE(stateOf(5016).checked);
    for (const auto& [id, enabled] : enabledStates({5105, 5106, 5107, 5109, 5121, 5122, 5102, 5117, 5118}))
        EXPECT_TRUE(enabled) << id << ": in edit mode";
    for (const auto& [id, enabled] : enabledStates({5108, 5110, 5113, 5114, 5115, 5116}))
        EXPECT_FALSE(enabled) << id << ": never offered, or no icon selected";

    openChangedOutputFile(QStringLiteral("output.tvf"));
    for (const auto& [id, enabled] : enabledStates({5102, 5117, 5118, 5123}))
        EXPECT_FALSE(enabled) << id << ": greyed while an output file is open";
    EXPECT_FALSE(EditPageAttributes(true, nullptr));
    EXPECT_TRUE(stateOf(5011).enabled);
    theOutputFile = 0;

    int editorFrame = 0;
    theWordEditorFrame = reinterpret_cast<CQuibW_Frame*>(&editorFrame); // the word editor is open
    for (const auto& [id, enabled] : enabledStates({5011, 5012, 5014, 5016, 5018, 5019, 5020, 5102, 5117}))
        EXPECT_FALSE(enabled) << id << ": greyed while the word editor is open";
    theWordEditorFrame = nullptr;

    CQuibUser userInMemory;
    theCurrentUser = &userInMemory;
    for (const auto& [id, enabled] : enabledStates({5014, 5019, 5020}))
        EXPECT_FALSE(enabled) << id << ": a user without a file";
    theCurrentUser = nullptr;
}

TEST_F(CommandsTest, CommandsTheTableDoesNotHoldGoToTheOutputFileThenTheTestCommands)
{
    std::vector<std::pair<char, UINT>> offered;
    const auto output = theOutputFileCommandHook.scoped([&](UINT id, int, CommandUpdate*) {
        offered.emplace_back('o', id);
        return id == 5051;
    });
    const auto test = theTestCommandHook.scoped([&](UINT id, int, CommandUpdate*) {
        offered.emplace_back('t', id);
        return id == 5159;
    });
    execute(5158); // the table's own: saves the user, reaches neither
    execute(5051);
    execute(5159);
    EXPECT_FALSE(DispatchSystemCommand(5017, lumivo::ui::kExecuteCommand, nullptr));
    EXPECT_EQ(offered, (std::vector<std::pair<char, UINT>>{
                           {'o', 5051}, {'o', 5159}, {'t', 5159}, {'o', 5017}, {'t', 5017}}));
    EXPECT_FALSE(stateOf(ID_APP_EXIT).handled) << "the exit item's state is the framework's";
}

TEST_F(CommandsTest, ZOrderIsOfferedInEditModeAndOnlyItsExecutionMovesTheIcon)
{
    auto page = std::make_unique<CQuibBg>();
    for (int n = 0; n < 2; ++n)
        page->Icons.push_back(std::make_unique<CQuibIcon>());
    CQuibIcon* back = page->Icons.front().get();
    theMainPane.SetVisible(true);
    CQuibBg* shown = page.get();
    ASSERT_EQ(theMainPane.AdoptPage(std::move(page)), nullptr);
    back->Select();

    EXPECT_FALSE(stateOf(5113).enabled) << "outside edit mode";
    ASSERT_TRUE(SetProgramMode(kProgramModeEdit, true));
    ASSERT_TRUE(SetEditTool(kEditToolSelect));
    back->Select(); // leaving the browse tool let go of the selection
    EXPECT_TRUE(stateOf(5113).enabled);
    EXPECT_FALSE(stateOf(5116).enabled) << "at the back already";
    EXPECT_EQ(shown->Icons.front().get(), back) << "an update moves nothing";

    execute(5113);
    EXPECT_EQ(shown->Icons.back().get(), back);
    EXPECT_FALSE(stateOf(5113).enabled) << "in front now";
}

TEST_F(CommandsTest, OptionsToggleTheirOwnBitAndAStoredPrintModeIsNotAChange)
{
    theEditOptions = 0x3600;
    execute(5111);
    EXPECT_EQ(theEditOptions, 0x3700);
    EXPECT_TRUE(stateOf(5111).checked);
    execute(5111);
    EXPECT_EQ(theEditOptions, 0x3600);
    EXPECT_FALSE(stateOf(5111).checked);
    EXPECT_TRUE(stateOf(5119).checked);

    makeBoundUser();
    ASSERT_EQ(m_user->Write(), RES_OK);
    ASSERT_FALSE(m_user->IsChanged());
    execute(static_cast<UINT>(m_user->PrintMode));
    EXPECT_FALSE(m_user->IsChanged()) << "the mode it had";
    execute(5031);
    EXPECT_EQ(m_user->PrintMode, 5031);
    EXPECT_TRUE(m_user->IsChanged());
    EXPECT_TRUE(stateOf(5031).checked);
    EXPECT_FALSE(stateOf(5029).checked);
}

TEST_F(CommandsTest, TheToolSetsTheMouseThresholdsAndLeavingEditModeBrowsesAgain)
{
    ASSERT_TRUE(SetProgramMode(kProgramModeEdit, true));
    execute(5107);
    EXPECT_EQ(theEditTool, 4);
    EXPECT_EQ(theClickIntervalMs, 500u);
    EXPECT_EQ(theClickTolerance, CSize(1, 1));
    EXPECT_TRUE(stateOf(5107).checked);

    execute(kEditModeCommand);
    EXPECT_FALSE(theProgramMode & kProgramModeEdit);
    EXPECT_EQ(theEditTool, kEditToolBrowse);
    EXPECT_EQ(theClickIntervalMs, 8000u);
    EXPECT_EQ(theClickTolerance, CSize(5, 5));

    // A pane that refuses keeps tool and thresholds; every visible pane is still asked.
    theMainPane.SetVisible(true);
    theWordPane.SetVisible(true);
    int asked = 0;
    const auto refuse = thePaneAcceptsEditToolHook.scoped([&](CPane& pane, int) {
        ++asked;
        return &pane != &theMainPane;
    });
    EXPECT_FALSE(SetEditTool(2));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(theEditTool, kEditToolBrowse);
    EXPECT_EQ(theClickIntervalMs, 8000u);

    // The word editor that will not let go of its word keeps edit mode as it is.
    const auto keep = theQueryCloseWordEditorHook.scoped([](bool) { return false; });
    EXPECT_TRUE(SetProgramMode(kProgramModeEdit, true));
    EXPECT_FALSE(theProgramMode & kProgramModeEdit);
    EXPECT_FALSE(SetProgramMode(0x10, true)) << "a bit the program does not use";
}

TEST_F(CommandsTest, QuittingWithUnsavedOutputChangesAsksYesNoOrCancel)
{
    int quits = 0;
    const auto quit = theQuitApplicationHook.scoped([&] { ++quits; });
    {
        lumivo::ui::ScopedAnswerer answers;
        execute(kExitCommand);
        EXPECT_EQ(quits, 1);
        EXPECT_TRUE(answers.questions().empty()) << "nothing to save, nothing asked";
    }

    const int file = openChangedOutputFile(QStringLiteral("output.tvf"));
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDCANCEL);
        execute(kExitCommand);
        EXPECT_EQ(quits, 1) << "Cancel keeps the program running";
        ASSERT_EQ(answers.questions().size(), 1u);
        EXPECT_EQ(answers.questions()[0].text, "Save changes to outputfile?");
        EXPECT_EQ(answers.questions()[0].flags & lumivo::ui::MB_TYPEMASK, lumivo::ui::MB_YESNOCANCEL);
        EXPECT_TRUE(IsResFileDirty(file)) << "with its changes";
    }
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDNO);
        EXPECT_TRUE(ConfirmQuit());
        EXPECT_EQ(fileBytes(tempPath("output.tvf")), m_outputBytes) << "No writes nothing";
        answers.clear();
        EXPECT_TRUE(CloseOutputFile());
        EXPECT_TRUE(answers.questions().empty()) << "closing at exit does not ask again";
    }

    const int again = openChangedOutputFile(QStringLiteral("second.tvf"));
    // A new output file has no kind yet: saved without one, it would not open again.
    SetResFileKind(again, 0);
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDYES);
        execute(ID_APP_EXIT);
        EXPECT_EQ(quits, 2);
        EXPECT_FALSE(IsResFileDirty(again));
        EXPECT_NE(fileBytes(tempPath("second.tvf")), m_outputBytes) << "Yes saves";
        EXPECT_EQ(GetResFileKind(again), FILEKIND_DATA) << "as a data file";
    }
}

TEST_F(CommandsTest, QuittingKeepsTheProgramOpenWhileAFileCannotBeSaved)
{
    FullDisk disk;
    int quits = 0;
    const auto quit = theQuitApplicationHook.scoped([&] { ++quits; });
    makeBoundUser();
    const int output = openChangedOutputFile(QStringLiteral("output.tvf"));
    disk.Fill();
    {
        lumivo::ui::ScopedAnswerer answers;
        answers.reply(lumivo::ui::IDYES);
        execute(kExitCommand);
        EXPECT_EQ(quits, 0);
        ASSERT_EQ(answers.questions().size(), 2u);
        EXPECT_EQ(answers.questions()[1].text, LoadSystemString(9501).replace("[#1]", tempPath("output.tvf")))
            << "as when the output file is closed";
        EXPECT_TRUE(IsResFileDirty(output));
    }
    // The output file given up, the user's file is what cannot be saved.
    SetResFileDirty(output, false);
    {
        lumivo::ui::ScopedAnswerer answers;
        execute(kExitCommand);
        EXPECT_EQ(quits, 0);
        ASSERT_EQ(answers.questions().size(), 1u);
        EXPECT_EQ(answers.questions()[0].text, LoadSystemString(9484)
                                                   .replace("[#1]", tempPath("user.tvf"))
                                                   .replace("[#2]", LoadSystemString(9481)));
        EXPECT_TRUE(IsResFileDirty(m_userFile));
    }
    disk.MakeRoom();
    {
        lumivo::ui::ScopedAnswerer answers;
        execute(kExitCommand);
        EXPECT_EQ(quits, 1);
        EXPECT_TRUE(answers.questions().empty());
        EXPECT_FALSE(IsResFileDirty(m_userFile)) << "saved before anything closes";
    }
}

// A page changed in a pane reaches its record only when the pane lets go of it; Exit stores it first, so
// that the user file's save before anything closes writes it, or keeps the program open when it cannot.
TEST_F(CommandsOnFullDiskTest, ExitStoresAPageChangedInAPaneBeforeItSavesTheUserFile)
{
    int quits = 0;
    const auto quit = theQuitApplicationHook.scoped([&] { ++quits; });
    makeBoundUser();
    theEditOptions = m_user->EditOptions; // nothing else of the user changes
    ASSERT_EQ(SaveResFile(m_userFile), RES_OK);
    // A page of a data file: its change goes into the user's file as a copy when it is stored.
    const int data = makeResourceFile(tempPath("data.tvf"));
    CQuibBg page;
    page.Name = QStringLiteral("Home");
    storeInFile(page, 40, data, MakeBgType(1, kLanguage));
    page.Write();
    page.Detach();
    auto shown = std::make_unique<CQuibBg>();
    ASSERT_EQ(AttachResource(shown.get(), 40, MakeBgType(1, kLanguage), data), RES_OK);
    ASSERT_EQ(shown->Load(), RES_OK);
    shown->Name = QStringLiteral("Home edited");
    shown->Commit();
    theMainPane.SetVisible(true);
    ASSERT_EQ(theMainPane.AdoptPage(std::move(shown)), nullptr);
    m_disk.Fill();
    {
        lumivo::ui::ScopedAnswerer answers;
        execute(kExitCommand);
        EXPECT_EQ(quits, 0) << "the page's change could not be saved";
        ASSERT_EQ(answers.questions().size(), 1u);
        EXPECT_TRUE(answers.questions()[0].text.contains(tempPath("user.tvf")));
        ASSERT_NE(theMainPane.GetPage(), nullptr);
        EXPECT_EQ(theMainPane.GetPage()->Name, QStringLiteral("Home edited")) << "still shown";
    }
    const std::int32_t copyType = theMainPane.GetPage()->GetType();
    m_disk.MakeRoom();
    execute(kExitCommand);
    EXPECT_EQ(quits, 1);
    CQuibBg stored;
    ASSERT_EQ(AttachResource(&stored, 40, copyType, m_userFile), RES_OK);
    ASSERT_EQ(stored.Load(), RES_OK);
    EXPECT_EQ(stored.Name, QStringLiteral("Home edited")) << "in the user's file before anything closed";
    EXPECT_FALSE(IsResFileDirty(m_userFile));
}

TEST_F(CommandsTest, PageMenuListsThePagesOfALetterAndChecksTheEntryWhenChosen)
{
    int file = makeResourceFile(tempPath("pages.tvf"));
    const std::pair<std::int32_t, const char*> pages[] = {{31, "Abe"}, {32, "Ananas"}, {33, "Bil"}};
    for (const auto& [id, name] : pages) {
        CQuibBg page;
        page.Name = QString::fromLatin1(name);
        storeInFile(page, id, file, MakeBgType(1, kLanguage));
        page.Write();
    }
    CQuibBg other;
    other.Name = QStringLiteral("Anden");
    storeInFile(other, 34, file, MakeBgType(1, kOtherLanguage));
    other.Write();
    file = saveAndReopen(file);
    theActiveFiles = {file};
    theCurrentLanguage = kLanguage;
    theSecondLanguage = kOtherLanguage;
    theSearchLanguages = {kLanguage, kOtherLanguage};
    CQuibObjIndex::LoadBackgrounds();
    ASSERT_EQ(theBgIndex.Names().GetSize(), 4);

    // The page popup's update: a letter with pages is offered, one without is greyed.
    QMenu popup;
    for (const QString& letter : {QStringLiteral("A"), QStringLiteral("C")})
        popup.addMenu(letter)
            ->addAction(QStringLiteral("test"))
            ->setData(lumivo::kPageSubmenuPlaceholderCommand);
    lumivo::ui::updateCommandItems(popup.actions(), theCommandRoute);
    EXPECT_TRUE(popup.actions()[0]->isEnabled());
    EXPECT_FALSE(popup.actions()[1]->isEnabled());

    QMenu& letterA = *popup.actions()[0]->menu();
    FillPageSubmenu(letterA);
    QStringList names;
    for (const QAction* item : letterA.actions())
        names << item->text();
    EXPECT_EQ(names, QStringList({"Abe", "Ananas"})) << "the other language's page is left out";

    const QAction* ananas = letterA.actions()[1];
    const UINT command = static_cast<UINT>(ananas->data().toInt());
    theMainPane.SetVisible(true);
    execute(command);
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->Name, "Ananas");

    // The list shrinks between showing the menu and choosing from it.
    theMainPane.ClearPage();
    theActiveFiles = {};
    CQuibObjIndex::LoadBackgrounds();
    EXPECT_FALSE(stateOf(command).enabled);
    execute(command);
    EXPECT_EQ(theMainPane.GetPage(), nullptr) << "an entry that is gone does nothing";
}

TEST_F(CommandsTest, AChosenItemTakesTheRouteClientFrameApplication)
{
    std::vector<std::pair<char, int>> log;
    // Handles its own commands; an update greys 5022 only.
    class Recording : public lumivo::ui::CommandTarget
    {
    public:
        Recording(char name, std::vector<UINT> handles, std::vector<std::pair<char, int>>& log)
            : m_name(name), m_handles(std::move(handles)), m_log(log)
        {
        }
        bool OnCommand(int id, int code, CommandUpdate* update) override
        {
            if (std::find(m_handles.begin(), m_handles.end(), UINT(id)) == m_handles.end())
                return false;
            if (code == lumivo::ui::kUpdateCommand)
                update->enable(id != 5022);
            else
                m_log.emplace_back(m_name, id);
            return true;
        }

    private:
        char m_name;
        std::vector<UINT> m_handles;
        std::vector<std::pair<char, int>>& m_log;
    };
    Recording client('c', {5035}, log);
    Recording frameTarget('f', {5035, 5021, 5022}, log);
    theCommandRoute.setTarget(lumivo::ui::CommandRoute::Client, &client);
    theCommandRoute.setTarget(lumivo::ui::CommandRoute::Frame, &frameTarget);
    int printSettings = 0;
    const auto print = theEditPrintSettingsHook.scoped([&] { ++printSettings; });
    InitPrintView();
    lumivo::ui::ScopedAnswerer pageSetups; // the page setup dialog, cancelled

    CMainFrame frame;
    CreateMenus();
    ASSERT_TRUE(theFilePopup);
    emit theFilePopup->aboutToShow();
    const auto item = [](UINT id) { return lumivo::findCommandItem(*theFilePopup, static_cast<int>(id)); };
    EXPECT_FALSE(item(5022)->isEnabled()) << "the frame's answer before the dispatcher's";
    EXPECT_FALSE(item(5014)->isEnabled()) << "the dispatcher's answer: no user";
    EXPECT_TRUE(item(kExitCommand)->isEnabled());

    item(5035)->trigger();
    item(5021)->trigger();
    item(5027)->trigger(); // in the print submenu
    theCommandRoute.setTarget(lumivo::ui::CommandRoute::Frame, nullptr);
    emit theFilePopup->aboutToShow();
    item(5021)->trigger();
    EXPECT_EQ(log, (std::vector<std::pair<char, int>>{{'c', 5035}, {'f', 5021}}));
    EXPECT_EQ(pageSetups.questions().size(), 1u) << "the dispatcher's page setup, once the frame has gone";
    EXPECT_EQ(printSettings, 1) << "a submenu's item runs once";
    DestroyMenus();
}
