// The output file's life: create, open, save, close and backup, the files it refuses, and a save that
// fails without losing the file.

#include "system/OutputFile.h"
#include "admin/FileRoles.h"
#include "admin/OutputFileLife.h"
#include "platform/files/FaultyFileSystem.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/admin/AdminFilesTestSupport.h"

using namespace lumivo;
using lumivo::test::AdminFilesTest;
using lumivo::ui::QuestionKind;
using lumivo::ui::ScopedAnswerer;

namespace
{

class OutputFileTest : public AdminFilesTest
{
protected:
    // A new output file at `name`, made through the file dialog.
    int createOutputFile(const QString& name)
    {
        ScopedAnswerer answerer;
        answerer.reply(tempPath(name));
        EXPECT_EQ(CreateOutputFile().error, OutputFileError::None);
        return theOutputFile;
    }

    // Something for the output file to save: a language record.
    static void changeOutputFile()
    {
        ASSERT_EQ(test::WriteLanguageRecord(theOutputFile, 1020, 20, "Tyve"), 0);
    }
};

} // namespace

TEST_F(OutputFileTest, ANewFileIsADataFileAtOnceAndBackedUpInTemp)
{
    const int file = createOutputFile(QStringLiteral("out"));
    ASSERT_GT(file, 0);
    const QString path = tempPath(QStringLiteral("out.tvf"));
    EXPECT_EQ(GetResFilePath(file), path);
    EXPECT_TRUE(QFile::exists(path)) << "made on disk at once";
    EXPECT_EQ(GetResFileKind(file), FILEKIND_DATA);
    EXPECT_EQ(GetResFileVersion(file), MakeResFileVersion(2, 0, 61));
    EXPECT_EQ(OutputFileBackupPath(), tempPath(QStringLiteral("Temp/tmpQuib.tvf")));
    EXPECT_EQ(fileBytesOf(OutputFileBackupPath()), fileBytesOf(path));

    const QByteArray clean = fileBytesOf(path);
    EXPECT_EQ(SaveOutputFile().error, OutputFileError::None);
    EXPECT_EQ(fileBytesOf(path), clean) << "an unchanged file is not saved";

    changeOutputFile();
    EXPECT_EQ(SaveOutputFile().error, OutputFileError::None);
    EXPECT_EQ(GetResFileKind(file), FILEKIND_DATA);
    EXPECT_EQ(GetResFileVersion(file), MakeResFileVersion(2, 0, 61));
    EXPECT_FALSE(IsResFileDirty(file));
}

// Closed without a change, so never saved after it was made: it opens again as the output file, and
// nothing is asked on the way.
TEST_F(OutputFileTest, ANewFileClosedUnchangedOpensAgainAsTheOutputFile)
{
    ASSERT_GT(createOutputFile(QStringLiteral("out.tvf")), 0);
    ScopedAnswerer answerer;
    ASSERT_TRUE(CloseOutputFileAsking());
    const OutputFileResult opened = OpenOutputFile(tempPath(QStringLiteral("out.tvf")));
    EXPECT_EQ(opened.error, OutputFileError::None) << "message " << messageIdOf(opened.error);
    EXPECT_GT(theOutputFile, 0);
    EXPECT_TRUE(answerer.questions().empty());
}

TEST_F(OutputFileTest, AnOpenFileIsNeverMadeAnewAndAClosedOneIsReplacedWhole)
{
    const int data = addDataFile(dataPath(QStringLiteral("data.tvf")));
    const QByteArray dataBytes = fileBytesOf(dataPath(QStringLiteral("data.tvf")));
    {
        ScopedAnswerer answerer;
        answerer.reply(dataPath(QStringLiteral("data.tvf")));
        const OutputFileResult result = CreateOutputFile();
        EXPECT_EQ(result.error, OutputFileError::OpenAlready);
        EXPECT_EQ(messageIdOf(result.error), 9502);
    }
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_GT(FindResFileByPath(dataPath(QStringLiteral("data.tvf"))), 0);
    EXPECT_EQ(fileBytesOf(dataPath(QStringLiteral("data.tvf"))), dataBytes);
    EXPECT_EQ(FileRolesOf(data), unsigned(kFileRoleData));

    // A closed file with a record in it, replaced after the file dialog's question.
    const QString old = tempPath(QStringLiteral("old/old.tvf"));
    QDir().mkpath(tempPath(QStringLiteral("old")));
    const int oldFile = test::NewResFile(old, FILEKIND_DATA, 2, 0, 61);
    ASSERT_EQ(test::WriteLanguageRecord(oldFile, 1020, 20, "Tyve"), 0);
    ASSERT_EQ(SaveResFile(oldFile), RES_OK);
    ASSERT_EQ(CloseResFile(oldFile), RES_OK);
    const QByteArray oldBytes = fileBytesOf(old);

    // A new file that cannot be written whole (a full disk; a rename refused) leaves the old one.
    for (const auto failing :
         {files::FaultyFileSystem::Operation::Write, files::FaultyFileSystem::Operation::Flush,
          files::FaultyFileSystem::Operation::Rename}) {
        files::FaultyFileSystem faulty(files::fileSystem());
        files::ScopedFileSystem scoped(faulty);
        faulty.failAt(failing, 1, false);
        ScopedAnswerer answerer;
        answerer.reply(old);
        const OutputFileResult result = CreateOutputFile();
        EXPECT_EQ(result.error, OutputFileError::CannotCreate);
        EXPECT_EQ(result.detail, old);
        EXPECT_EQ(theOutputFile, 0);
        EXPECT_EQ(fileBytesOf(old), oldBytes) << "the old file is kept whole";
        EXPECT_EQ(QDir(tempPath(QStringLiteral("old"))).entryList(QDir::Files), QStringList{"old.tvf"})
            << "and nothing beside it";
    }

    const int made = createOutputFile(QStringLiteral("old/old.tvf"));
    ASSERT_GT(made, 0);
    EXPECT_FALSE(ResourceExists(1020, RESTYPE_SYSTEM, made)) << "made anew, not opened";
    EXPECT_EQ(GetResFileKind(made), FILEKIND_DATA);
    EXPECT_EQ(QDir(tempPath(QStringLiteral("old"))).entryList(QDir::Files), QStringList{"old.tvf"});
}

TEST_F(OutputFileTest, AFileWithAnotherRoleIsRefusedAsOutputFile)
{
    const int userFile = writeUserFile(usersPath(QStringLiteral("SUF.tvf")), 40000, QStringLiteral("Ida"));
    becomeCurrent(userFile, 40000);
    const int data = addDataFile(dataPath(QStringLiteral("data.tvf")));
    for (const QString& path : {usersPath(QStringLiteral("SUF.tvf")), dataPath(QStringLiteral("data.tvf"))}) {
        const OutputFileResult result = OpenOutputFile(path);
        EXPECT_EQ(result.error, OutputFileError::InUse) << path.toStdString();
        EXPECT_EQ(result.detail, path);
        EXPECT_EQ(theOutputFile, 0);
    }
    // Nothing was closed on the way.
    EXPECT_EQ(theCurrentUser->GetFile(), userFile);
    EXPECT_EQ(FindResFileByPath(usersPath(QStringLiteral("SUF.tvf"))), userFile);
    EXPECT_EQ(FileRolesOf(data), unsigned(kFileRoleData));

    // The command says so, naming the file.
    ScopedAnswerer answerer;
    ReportOutputFileResult(OpenOutputFile(usersPath(QStringLiteral("SUF.tvf"))));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_TRUE(answerer.questions()[0].text.contains(usersPath(QStringLiteral("SUF.tvf"))));
}

TEST_F(OutputFileTest, AFileOfAnUnknownKindIsRefusedAndLeftClosed)
{
    const QString path = tempPath(QStringLiteral("odd.tvf"));
    const int odd = test::NewResFile(path, 9, 2, 0, 61);
    ASSERT_EQ(SaveResFile(odd), RES_OK);
    ASSERT_EQ(CloseResFile(odd), RES_OK);
    const OutputFileResult result = OpenOutputFile(path);
    EXPECT_EQ(result.error, OutputFileError::UnknownKind);
    EXPECT_EQ(messageIdOf(result.error), MSG_UNKNOWN_FILE_KIND);
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_LE(FindResFileByPath(path), 0);
}

TEST_F(OutputFileTest, AFailedSaveIsSaidAndTheFileStaysOpenWithItsChanges)
{
    // The file's stream comes from a disk that fails once it is armed.
    files::FaultyFileSystem faulty(files::fileSystem());
    files::ScopedFileSystem scoped(faulty);
    const int file = createOutputFile(QStringLiteral("out.tvf"));
    changeOutputFile();
    {
        faulty.failAt(files::FaultyFileSystem::Operation::Write, 1, false);
        ScopedAnswerer answerer;
        answerer.reply(ui::IDYES);
        EXPECT_FALSE(CloseOutputFile());
        ASSERT_EQ(answerer.questions().size(), 2u);
        EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9001));
        EXPECT_TRUE(answerer.questions()[1].text.contains(tempPath(QStringLiteral("out.tvf"))));
    }
    EXPECT_EQ(theOutputFile, file);
    EXPECT_TRUE(IsResFileDirty(file));
    EXPECT_TRUE(ResourceExists(1020, RESTYPE_SYSTEM, file));

    {
        ScopedAnswerer answerer;
        answerer.reply(ui::IDCANCEL);
        EXPECT_FALSE(CloseOutputFile());
    }
    EXPECT_EQ(theOutputFile, file);

    ScopedAnswerer answerer;
    answerer.reply(ui::IDYES);
    EXPECT_TRUE(CloseOutputFile());
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_LE(FindResFileByPath(tempPath(QStringLiteral("out.tvf"))), 0);
    int number = 0;
    ASSERT_EQ(OpenResFile(&number, tempPath(QStringLiteral("out.tvf"))), RES_OK);
    EXPECT_TRUE(ResourceExists(1020, RESTYPE_SYSTEM, number)) << "the saved change is on disk";
}

// A record written alone on a full disk (an editor's OK) leaves a save to do: the save says it cannot
// while the disk is full, and writes the record once there is room.
TEST_F(OutputFileTest, ASaveAfterAFailedRecordWriteWritesItOrSaysItCannot)
{
    files::FaultyFileSystem faulty(files::fileSystem());
    files::ScopedFileSystem scoped(faulty);
    const int file = createOutputFile(QStringLiteral("out.tvf"));
    changeOutputFile();
    ASSERT_EQ(SaveOutputFile().error, OutputFileError::None);
    ASSERT_FALSE(IsResFileDirty(file));

    faulty.failAt(files::FaultyFileSystem::Operation::Write, 1);
    EXPECT_NE(test::WriteLanguageRecord(file, 1020, 20, "Twenty"), RES_OK);
    const OutputFileResult failed = SaveOutputFile();
    EXPECT_EQ(failed.error, OutputFileError::SaveFailed);
    EXPECT_EQ(failed.detail, tempPath(QStringLiteral("out.tvf")));

    faulty.failAt(files::FaultyFileSystem::Operation::Write, 0);
    ASSERT_EQ(SaveOutputFile().error, OutputFileError::None);
    ScopedAnswerer answerer;
    ASSERT_TRUE(CloseOutputFile());
    EXPECT_TRUE(answerer.questions().empty()) << "nothing was left to save";
    int number = 0;
    ASSERT_EQ(OpenResFile(&number, tempPath(QStringLiteral("out.tvf"))), RES_OK);
    CQuibSystem stored;
    ASSERT_EQ(stored.LoadFrom(1020, number), RES_OK);
    EXPECT_EQ(stored.m_name, "Twenty");
}

TEST_F(OutputFileTest, ClosingForgetsTheLanguageAndAlwaysWritesTheTranslateFlags)
{
    createOutputFile(QStringLiteral("out.tvf"));
    theTranslateLanguage = 20;
    theTranslateFlags = 7;
    EXPECT_TRUE(CloseOutputFile()) << "nothing changed: no question";
    EXPECT_EQ(theOutputFile, 0);
    EXPECT_EQ(theTranslateLanguage, 0);
    EXPECT_EQ(theTranslateLanguageRec, nullptr);
    EXPECT_EQ(intSetting("TranslateFlags"), 7);
}

TEST_F(OutputFileTest, TheStoredTranslationLanguageIsTakenOnlyFromTheOutputFile)
{
    const int data = addDataFile(dataPath(QStringLiteral("data.tvf")));
    ASSERT_EQ(test::WriteLanguageRecord(data, 1021, 21, "Enogtyve"), 0);
    ASSERT_EQ(SaveResFile(data), RES_OK);
    const int file = createOutputFile(QStringLiteral("out.tvf"));
    changeOutputFile();
    ASSERT_EQ(SaveOutputFile().error, OutputFileError::None);
    {
        ScopedAnswerer answerer;
        answerer.reply(ui::IDNO);
        ASSERT_TRUE(CloseOutputFile());
    }
    ASSERT_EQ(OpenOutputFile(tempPath(QStringLiteral("out.tvf"))).error, OutputFileError::None);
    EXPECT_NE(theOutputFile, file) << "opened again under a new number";

    SetSystemSettingInt(QStringLiteral("TranslateLanguage"), 21);
    EXPECT_FALSE(RestoreTranslateLanguage()) << "language 21 lives in a data file";
    SetSystemSettingInt(QStringLiteral("TranslateLanguage"), 20);
    theSystemInitFlags = 0;
    EXPECT_TRUE(RestoreTranslateLanguage());
    EXPECT_EQ(theTranslateLanguage, 20);
    EXPECT_EQ(theSystemInitFlags, 0xFFFFu);
}

TEST_F(OutputFileTest, TheGuardNeverReleasesAFileThatHasAnotherRole)
{
    const int userFile = writeUserFile(usersPath(QStringLiteral("SUF.tvf")), 40000, QStringLiteral("Ida"));
    becomeCurrent(userFile, 40000);
    const int data = addDataFile(dataPath(QStringLiteral("data.tvf")));
    const int loose = test::NewResFile(tempPath(QStringLiteral("loose.tvf")), 1, 2, 0, 61);

    EXPECT_EQ(FileRolesOf(userFile), unsigned(kFileRoleUser));
    EXPECT_FALSE(ReleaseFileUnlessInUse(userFile));
    EXPECT_FALSE(ReleaseFileUnlessInUse(data));
    EXPECT_EQ(FindResFileByPath(usersPath(QStringLiteral("SUF.tvf"))), userFile);
    EXPECT_EQ(theDataFiles, std::vector<int>{data});

    EXPECT_TRUE(ReleaseFileUnlessInUse(data, kFileRoleData)) << "held as a data file, released as one";
    EXPECT_TRUE(theDataFiles.empty());
    EXPECT_TRUE(ReleaseFileUnlessInUse(loose));
    EXPECT_FALSE(ReleaseFileUnlessInUse(loose)) << "no longer open";
}
