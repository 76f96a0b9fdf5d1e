// Closing the output file: a changed file is offered for saving, and Cancel keeps it open with its
// changes.

#include "system/OutputFile.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

using namespace lumivo;

namespace
{

class OutputFileTest : public test::LumivoTest
{
protected:
    // An output file on disk with one language record changed in memory.
    int ChangedOutputFile()
    {
        const int file = test::NewResFile(tempPath("output.tvf"), FILEKIND_DATA, 2, 0, 1);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        EXPECT_EQ(test::WriteLanguageRecord(file, 1002, 2, "Dansk"), RES_OK);
        EXPECT_TRUE(IsResFileDirty(file));
        theOutputFile = file;
        theTranslateLanguage = 2;
        return file;
    }

    bool RecordOnDisk()
    {
        int file = 0;
        EXPECT_GE(OpenResFile(&file, tempPath("output.tvf")), 0);
        const bool found = ResourceExists(1002, RESTYPE_SYSTEM, file);
        CloseResFile(file);
        return found;
    }
};

TEST_F(OutputFileTest, CancelKeepsTheChangedFileOpen)
{
    const int file = ChangedOutputFile();
    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDCANCEL);
    EXPECT_FALSE(CloseOutputFile());
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "Save changes to outputfile?");
    EXPECT_EQ(answerer.questions()[0].flags & ui::MB_TYPEMASK, ui::MB_YESNOCANCEL);
    EXPECT_EQ(theOutputFile, file);
    EXPECT_TRUE(IsResFileDirty(file));
}

TEST_F(OutputFileTest, YesSavesAndCloses)
{
    const int file = ChangedOutputFile();
    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDYES);
    EXPECT_TRUE(CloseOutputFile());
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_EQ(theTranslateLanguage, 0);
    EXPECT_EQ(FindResFileEntry(file), nullptr);
    EXPECT_EQ(theSystemInitFlags & 0xFFFF, 0xFFFFu);
    EXPECT_TRUE(RecordOnDisk());
}

TEST_F(OutputFileTest, NoClosesWithoutSaving)
{
    ChangedOutputFile();
    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDNO);
    EXPECT_TRUE(CloseOutputFile());
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_FALSE(RecordOnDisk());
}

TEST_F(OutputFileTest, AnInstalledHandlerDoesTheClosing)
{
    int calls = 0;
    const auto handler = theCloseOutputFileHook.scoped([&] { return ++calls, true; });
    theOutputFile = 5;
    EXPECT_TRUE(CloseOutputFile());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(theOutputFile, 5);
}

} // namespace
