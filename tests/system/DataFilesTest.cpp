// Opening data files with their kind and version checks, filing them newest first, the scan of the
// Data folder, saving with compaction and closing.

#include "system/DataFiles.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QDir>
#include <QFile>

using namespace lumivo;

namespace
{

class DataFilesTest : public test::LumivoTest
{
protected:
    // Writes a resource file of the given kind and version to disk and closes it again.
    QString WriteFile(const QString& path, std::uint32_t kind, int major, int minor, int build)
    {
        const int file = test::NewResFile(path, kind, major, minor, build);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        EXPECT_EQ(CloseResFile(file), RES_OK);
        return path;
    }

    int Open(const QString& path, int* refusal = nullptr)
    {
        int file = 0;
        int result = 0;
        const int message = OpenDataFile(path, &file, &result);
        if (refusal)
            *refusal = message;
        return file;
    }
};

TEST_F(DataFilesTest, AcceptedVersions)
{
    EXPECT_TRUE(IsAcceptedDataVersion(MakeResFileVersion(2, 0, 0)));
    EXPECT_TRUE(IsAcceptedDataVersion(MakeResFileVersion(2, 0, 61)));
    EXPECT_FALSE(IsAcceptedDataVersion(MakeResFileVersion(2, 1, 0)));
    EXPECT_FALSE(IsAcceptedDataVersion(MakeResFileVersion(1, 0, 0)));
    EXPECT_FALSE(IsAcceptedDataVersion(MakeResFileVersion(3, 0, 0)));
    EXPECT_TRUE(IsAcceptedDataVersion(MakeResFileVersion(0, 2, 0)));
    EXPECT_TRUE(IsAcceptedDataVersion(MakeResFileVersion(0, 2, 4)));
    EXPECT_FALSE(IsAcceptedDataVersion(MakeResFileVersion(0, 2, 5)));
}

TEST_F(DataFilesTest, RefusedFilesAreClosedSilentlyWithTheirMessageId)
{
    ui::ScopedAnswerer answerer;
    int refusal = -1;
    int file = Open(WriteFile(tempPath("kind3.tvf"), 3, 2, 0, 0), &refusal);
    EXPECT_EQ(refusal, MSG_UNKNOWN_FILE_KIND);
    EXPECT_EQ(FindResFileEntry(file), nullptr);

    file = Open(WriteFile(tempPath("old.tvf"), FILEKIND_DATA, 1, 0, 0), &refusal);
    EXPECT_EQ(refusal, MSG_VERSION_TOO_LOW);
    EXPECT_EQ(FindResFileEntry(file), nullptr);

    file = Open(WriteFile(tempPath("user.tvf"), FILEKIND_USER, 2, 0, 61), &refusal);
    EXPECT_EQ(refusal, 0);
    EXPECT_NE(FindResFileEntry(file), nullptr);
    EXPECT_TRUE(answerer.questions().empty());
}

TEST_F(DataFilesTest, AFileAPersonChoseIsRefusedWithAMessage)
{
    ui::ScopedAnswerer answerer;
    int file = 0;
    int result = 0;
    EXPECT_EQ(OpenDataFileAndReport(WriteFile(tempPath("new.tvf"), FILEKIND_DATA, 2, 1, 0), &file, &result),
              MSG_VERSION_TOO_LOW);
    EXPECT_EQ(OpenDataFileAndReport(WriteFile(tempPath("odd.tvf"), 0, 2, 0, 0), &file, &result),
              MSG_UNKNOWN_FILE_KIND);
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[0].text, "Too low version number to open file.");
    EXPECT_EQ(answerer.questions()[1].text, "Cant open file of unknown type.");
}

TEST_F(DataFilesTest, AFileAlreadyOpenIsRefusedButNotClosed)
{
    const int held = test::NewResFile(tempPath("held.tvf"), 0, 0, 0, 0);
    ASSERT_EQ(SaveResFile(held), RES_OK);
    int file = 0;
    int result = 0;
    EXPECT_EQ(OpenDataFile(tempPath("held.tvf"), &file, &result), MSG_UNKNOWN_FILE_KIND);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(file, held);
    EXPECT_NE(FindResFileEntry(held), nullptr);
}

TEST_F(DataFilesTest, MissingFileGivesTheStoreErrorAndNoMessage)
{
    int file = 0;
    int result = 0;
    EXPECT_EQ(OpenDataFile(tempPath("missing.tvf"), &file, &result), 0);
    EXPECT_EQ(result, RES_ERR_NO_SUCH_FILE);
    EXPECT_EQ(file, 0);
}

TEST_F(DataFilesTest, DataFilesAreFiledNewestFirstAndRefilingMoves)
{
    const int older = Open(WriteFile(tempPath("a.tvf"), FILEKIND_DATA, 2, 0, 3));
    const int newer = Open(WriteFile(tempPath("b.tvf"), FILEKIND_DATA, 2, 0, 7));
    const int user = Open(WriteFile(tempPath("c.tvf"), FILEKIND_USER, 2, 0, 9));
    ScanDataFolder(older);
    ScanDataFolder(user);
    ScanDataFolder(newer);
    EXPECT_EQ(theDataFiles, (std::vector<int>{newer, older}));

    SetResFileVersion(older, MakeResFileVersion(2, 0, 8));
    ScanDataFolder(older);
    EXPECT_EQ(theDataFiles, (std::vector<int>{older, newer}));
    // The user file stays open, filed nowhere.
    EXPECT_NE(FindResFileEntry(user), nullptr);
}

TEST_F(DataFilesTest, ScanOpensTheDataFolderWhateverOrderItLists)
{
    theBaseDir = tempDir();
    const QString data = GetDataDirString(QStringLiteral("/"));
    ASSERT_FALSE(data.isEmpty());
    WriteFile(data + "a_old.tvf", FILEKIND_DATA, 2, 0, 3);
    WriteFile(data + "b_new.TVF", FILEKIND_DATA, 2, 0, 7);
    WriteFile(data + "c_refused.tvf", FILEKIND_DATA, 2, 1, 0);
    WriteFile(data + "d_user.tvf", FILEKIND_USER, 2, 0, 0);
    QFile other(data + "notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    ui::ScopedAnswerer answerer;
    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 2u);
    EXPECT_TRUE(GetResFilePath(theDataFiles[0]).endsWith("b_new.TVF"));
    EXPECT_TRUE(GetResFilePath(theDataFiles[1]).endsWith("a_old.tvf"));
    EXPECT_EQ(FindResFileByPath(data + "c_refused.tvf"), 0);
    EXPECT_NE(FindResFileByPath(data + "d_user.tvf"), 0);
    EXPECT_TRUE(answerer.questions().empty());

    EXPECT_EQ(CloseDataFile(0), RES_OK);
    EXPECT_TRUE(theDataFiles.empty());
    EXPECT_EQ(FindResFileByPath(data + "a_old.tvf"), 0);
}

TEST_F(DataFilesTest, ScanReportsEveryDataFileTheStoreCannotOpen)
{
    ::setenv("TMPDIR", tempDir().toUtf8().constData(), 1);
    SetTraceLogEnabled(true);
    theBaseDir = tempDir();
    const QString data = GetDataDirString(QStringLiteral("/"));
    WriteFile(data + "good.tvf", FILEKIND_DATA, 2, 0, 3);
    for (const QString& name : {QStringLiteral("broken.tvf"), QStringLiteral("short.tvf")}) {
        QFile broken(data + name);
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(name == "short.tvf" ? 100 : 152, '\0')); // short header; format 0
    }

    ScanDataFolder(0);
    EXPECT_EQ(theDataFiles.size(), 1u);
    EXPECT_EQ(LastStatusText(), "Data files not opened: broken.tvf (error -37), short.tvf (error -36)");
    QFile log(TraceLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray trace = log.readAll();
    EXPECT_TRUE(trace.contains("broken.tvf (error -37)"));
    EXPECT_TRUE(trace.contains("short.tvf (error -36)"));
    ::unsetenv("TMPDIR");
}

TEST_F(DataFilesTest, CloseDataFileTakesTheFileOutOfTheList)
{
    const int file = Open(WriteFile(tempPath("a.tvf"), FILEKIND_DATA, 2, 0, 3));
    ScanDataFolder(file);
    EXPECT_EQ(CloseDataFile(file), RES_OK);
    EXPECT_TRUE(theDataFiles.empty());
    EXPECT_EQ(FindResFileEntry(file), nullptr);
    int result = 1;
    EXPECT_EQ(ReleaseDataFile(file, &result), result);
    EXPECT_LT(result, 0);
}

namespace
{

// A data file of twenty language records, saved, of which ten are then rewritten in memory.
int FileWithRewrittenRecords(const QString& path)
{
    const int file = test::NewResFile(path, FILEKIND_DATA, 2, 0, 1);
    for (int id = 1; id <= 20; ++id)
        test::WriteLanguageRecord(file, 1000 + id, static_cast<std::uint16_t>(id), QString("L%1").arg(id));
    SaveResFile(file);
    for (int id = 1; id <= 10; ++id)
        test::WriteLanguageRecord(file, 1000 + id, static_cast<std::uint16_t>(id),
                                  QString("Language %1 renamed").arg(id));
    return file;
}

} // namespace

TEST_F(DataFilesTest, SavedCompactedAndReopenedIntact)
{
    const int plain = FileWithRewrittenRecords(tempPath("plain.tvf"));
    ASSERT_EQ(SaveResFile(plain, QString(), false), RES_OK);

    const QString path = tempPath("data.tvf");
    int file = FileWithRewrittenRecords(path);
    int err = 0;
    SaveDataFile(file, false, false, &err);
    ASSERT_EQ(err, RES_OK);
    EXPECT_LT(GetResFileLength(file), GetResFileLength(plain)) << "the loose file was compacted";

    ASSERT_EQ(CloseResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(plain), RES_OK);
    int result = 0;
    ASSERT_EQ(OpenDataFile(path, &file, &result), 0);
    ScanDataFolder(file);
    UpdateSystemList({});
    ASSERT_EQ(theSystemMap.size(), 20u);
    EXPECT_EQ(FindSystemRecord(3)->m_name, "Language 3 renamed");
    EXPECT_EQ(FindSystemRecord(13)->m_name, "L13");
}

TEST_F(DataFilesTest, UnmodifiedFileIsWrittenOnlyWhenForced)
{
    const QString path = WriteFile(tempPath("a.tvf"), FILEKIND_DATA, 2, 0, 3);
    const int file = Open(path);
    int err = 0;
    SaveDataFile(file, false, false, &err);
    EXPECT_EQ(err, 0);
    EXPECT_FALSE(IsResFileDirty(file));

    err = RES_ERR_NOT_WRITABLE;
    SaveDataFile(file, false, true, &err);
    EXPECT_EQ(err, RES_ERR_NOT_WRITABLE) << "a step runs only while no error is pending";
    err = 0;
    SaveDataFile(file, false, true, &err);
    EXPECT_EQ(err, RES_OK);
}

} // namespace
