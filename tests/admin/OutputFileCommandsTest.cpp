// The output-file commands: which are enabled with and without an output file, a translation language
// and the word editor; the Translate popup and the window title's suffix; the commands not built.

#include "admin/OutputFileCommands.h"
#include "admin/OutputFileLife.h"
#include "core/WordEditorHooks.h"
#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "shell/Menus.h"
#include "shell/Reload.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <map>

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::ui::CommandUpdate;
using lumivo::ui::ScopedAnswerer;

namespace
{

class OutputFileCommandsTest : public AdminFilesTest
{
protected:
    // The enabled commands of 5051 to 5074 as the dispatcher answers them; -1 for one nobody answers.
    static std::map<int, int> states()
    {
        std::map<int, int> states;
        for (UINT id = 5051; id <= 5074; ++id) {
            CommandUpdate update(static_cast<int>(id));
            const bool handled = DispatchSystemCommand(id, ui::kUpdateCommand, &update);
            states[static_cast<int>(id)] = handled && update.enabled() ? int(*update.enabled()) : -1;
        }
        return states;
    }

    static std::map<int, int> expected(std::initializer_list<int> enabled,
                                       std::initializer_list<int> disabled)
    {
        std::map<int, int> states;
        for (int id = 5051; id <= 5074; ++id)
            states[id] = -1;
        for (int id : enabled)
            states[id] = 1;
        for (int id : disabled)
            states[id] = 0;
        return states;
    }

    void openOutputFile()
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
    }
};

constexpr std::initializer_list<int> kNeedLanguageRecord{5061, 5062, 5064};
constexpr std::initializer_list<int> kNeedTranslation{5065, 5066, 5067, 5068, 5069, 5070};

} // namespace

TEST_F(OutputFileCommandsTest, TheEnablingRulesFollowTheOutputFileTheLanguageAndTheWordEditor)
{
    EXPECT_EQ(states(), expected({5051, 5052, 5053, 5060}, {5054, 5055, 5056, 5057, 5059, 5061, 5062, 5064,
                                                            5065, 5066, 5067, 5068, 5069, 5070}));

    theWordEditorFrame = reinterpret_cast<CQuibW_Frame*>(this);
    EXPECT_EQ(states()[5052], 0) << "no new output file under the word editor";
    EXPECT_EQ(states()[5053], 0);
    theWordEditorFrame = nullptr;

    openOutputFile();
    EXPECT_EQ(states(), expected({5054, 5056, 5057, 5059, 5060}, {5051, 5052, 5053, 5055, 5061, 5062, 5064,
                                                                  5065, 5066, 5067, 5068, 5069, 5070}));

    ASSERT_EQ(test::WriteLanguageRecord(theOutputFile, 1020, 20, "Tyve"), 0);
    EXPECT_EQ(states()[5055], 1) << "a changed file can be saved";
    theTranslateLanguage = 20;
    theTranslateLanguageRec = FindSystemRecord(20);
    InitializeSystem(0xFFFF);
    ASSERT_NE(theTranslateLanguageRec, nullptr);
    for (int id : kNeedLanguageRecord)
        EXPECT_EQ(states()[id], 1) << id;
    for (int id : kNeedTranslation)
        EXPECT_EQ(states()[id], 1) << id;
}

TEST_F(OutputFileCommandsTest, CommandsNotBuiltSaySoAndOthersPassOn)
{
    openOutputFile();
    for (UINT id : {5056u, 5057u, 5063u}) {
        ScopedAnswerer answerer;
        EXPECT_TRUE(OnOutputFileCommand(id, ui::kExecuteCommand, nullptr));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9034));
    }
    for (UINT id : {5050u, 5051u, 5058u, 5071u, 5074u, 5075u})
        EXPECT_FALSE(OnOutputFileCommand(id, ui::kExecuteCommand, nullptr)) << id;
}

TEST_F(OutputFileCommandsTest, TheTranslatePopupAndTheTitleSuffixFollowTheOutputFile)
{
    CMainFrame frame;
    CreateMenus();
    ASSERT_NE(theTranslateMenu, nullptr);
    EXPECT_EQ(theTranslateMenu->title(), LoadSystemString(4051));
    QList<int> commands;
    QStringList texts;
    for (const QAction* item : theTranslateMenu->actions()) {
        commands << (item->isSeparator() ? 0 : item->data().toInt());
        texts << item->text();
    }
    EXPECT_EQ(commands, (QList<int>{5052, 5053, 5054, 5055, 5056, 5057, 5063, 5060, 0,    5059, 5065,
                                    5061, 5062, 5064, 5622, 0,    5069, 5070, 5066, 5067, 5068, 0}));
    EXPECT_EQ(texts[0], LoadSystemString(4052));
    EXPECT_EQ(theMainMenu->actions().contains(theTranslateMenu->menuAction()), true);
    const QString plain = frame.windowTitle();
    EXPECT_FALSE(plain.contains(LoadSystemString(5051))) << "no suffix without an output file";

    openOutputFile();
    const QString suffix =
        QStringLiteral(" ( %1 : %2 ) ").arg(LoadSystemString(5051), LoadSystemString(1004));
    EXPECT_EQ(frame.windowTitle(), plain + suffix) << "the reload built the menus anew";

    ASSERT_TRUE(CloseOutputFile());
    EXPECT_EQ(frame.windowTitle(), plain);
}
