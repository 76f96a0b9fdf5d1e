// Language records in their files, the order of the active files, and the names of languages.

#include "system/LanguageRecords.h"
#include "platform/archive/Archive.h"
#include "platform/archive/MemFile.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

using namespace lumivo;

namespace
{

class LanguageRecordsTest : public test::LumivoTest
{
protected:
    // A data file that is saved to disk and filed in theDataFiles.
    int DataFile(const QString& name, int build, std::int64_t saveTime = 0)
    {
        const int file = test::NewResFile(tempPath(name), FILEKIND_DATA, 2, 0, build);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        if (saveTime != 0)
            FindResFileEntry(file)->m_header.saveTime = static_cast<std::uint32_t>(saveTime);
        ScanDataFolder(file);
        return file;
    }
};

TEST_F(LanguageRecordsTest, RecordStreamHasItsFieldsInOrderWithZeroReservedWords)
{
    CQuibSystem record;
    record.m_language = 2;
    record.m_name = QStringLiteral("Dansk");
    record.m_baseLanguage = 8;
    record.SetString(9001, QStringLiteral("Gem?"));
    CMemFile memory;
    {
        CArchive ar(memory, CArchive::store);
        record.Serialize(ar);
        ar.Close();
    }
    const QByteArray expected = QByteArray::fromHex("0200"             // language
                                                    "0544616e736b"     // name
                                                    "0800"             // base language
                                                    "0000000000000000" // reserved
                                                    "01000000"         // count
                                                    "2923"             // id 9001
                                                    "0447656d3f");     // text
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char*>(memory.data()), static_cast<qsizetype>(memory.GetLength())),
        expected);

    CQuibSystem read;
    read.SetString(1, QStringLiteral("stale"));
    memory.SeekToBegin();
    CArchive in(memory, CArchive::load);
    read.Serialize(in);
    EXPECT_EQ(read.m_language, 2);
    EXPECT_EQ(read.m_name, "Dansk");
    EXPECT_EQ(read.m_baseLanguage, 8);
    EXPECT_EQ(read.m_strings, (std::map<std::uint16_t, QString>{{9001, QStringLiteral("Gem?")}}));
}

TEST_F(LanguageRecordsTest, RecordsSurviveASaveAndReopen)
{
    const QString path = tempPath("data.tvf");
    int file = test::NewResFile(path, FILEKIND_DATA, 2, 0, 1);
    ASSERT_EQ(
        test::WriteLanguageRecord(file, 1002, 2, "Dansk", 8, {{9001, "Gem ændringer?"}, {4010, "Filer"}}),
        RES_OK);
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);

    int result = 0;
    ASSERT_EQ(OpenDataFile(path, &file, &result), 0);
    ScanDataFolder(file);
    UpdateSystemList({});
    const CQuibSystem* record = FindSystemRecord(2);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_name, "Dansk");
    EXPECT_EQ(record->m_baseLanguage, 8);
    ASSERT_NE(record->FindString(9001), nullptr);
    EXPECT_EQ(*record->FindString(9001), "Gem ændringer?");
    EXPECT_EQ(*record->FindString(4010), "Filer");
}

TEST_F(LanguageRecordsTest, LaterActiveFileWinsAndChainsToTheEarlierRecord)
{
    const int older = DataFile("older.tvf", 3);
    const int newer = DataFile("newer.tvf", 7);
    ASSERT_EQ(test::WriteLanguageRecord(older, 1002, 2, "old"), RES_OK);
    ASSERT_EQ(test::WriteLanguageRecord(newer, 1002, 2, "new"), RES_OK);
    UpdateSystemList({});

    ASSERT_EQ(theActiveFiles, (std::vector<int>{older, newer}));
    const CQuibSystem* record = FindSystemRecord(2);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_name, "new");
    ASSERT_NE(record->m_next, nullptr);
    EXPECT_EQ(record->m_next->m_name, "old");
    EXPECT_EQ(record->m_next->m_next, nullptr);
}

TEST_F(LanguageRecordsTest, RebuildingTheListDropsThePointersIntoTheOldRecords)
{
    const int file = DataFile("data.tvf", 1);
    ASSERT_EQ(test::WriteLanguageRecord(file, 1008, 8, "English"), RES_OK);
    UpdateSystemList({});
    theCurrentLanguageRec = FindSystemRecord(8);
    theInstallLanguageRec = FindSystemRecord(8);
    theTranslateLanguageRec = FindSystemRecord(8);
    ASSERT_NE(theCurrentLanguageRec, nullptr);

    // A lookup between the rebuild and the reload's own reset must not reach the deleted records.
    UpdateSystemList({});
    EXPECT_EQ(theCurrentLanguageRec, nullptr);
    EXPECT_EQ(theInstallLanguageRec, nullptr);
    EXPECT_EQ(theTranslateLanguageRec, nullptr);
    EXPECT_EQ(GetCurrentLanguageRecord(), nullptr);
    EXPECT_EQ(LoadSystemString(1003), "All files");
}

TEST_F(LanguageRecordsTest, OnlyRecordIds1000To1255AreLoaded)
{
    const int file = DataFile("data.tvf", 1);
    for (int id : {999, 1000, 1255, 1256})
        ASSERT_EQ(test::WriteLanguageRecord(file, id, static_cast<std::uint16_t>(id - 1000), "x"), RES_OK);
    UpdateSystemList({});

    std::vector<int> languages;
    for (const auto& [language, record] : theSystemMap)
        languages.push_back(language);
    EXPECT_EQ(languages, (std::vector<int>{0, 255}));
}

TEST_F(LanguageRecordsTest, ActiveFilesPutDataFilesByVersionThenTimeAndTheOutputFileLast)
{
    const int late = DataFile("a.tvf", 5, 2000);
    const int early = DataFile("b.tvf", 5, 1000);
    const int oldest = DataFile("c.tvf", 1, 3000);
    const int output = DataFile("d.tvf", 0, 500);
    theOutputFile = output;
    UpdateActiveFiles({});
    EXPECT_EQ(theActiveFiles, (std::vector<int>{oldest, early, late, output}));
}

TEST_F(LanguageRecordsTest, ActiveFilesEndWithTheProfileAndTheUserFile)
{
    const int data = DataFile("data.tvf", 1);
    const int userFile = DataFile("user.tvf", 2);
    const int profileFile = DataFile("profile.tvf", 3);
    UpdateActiveFiles(CurrentUserFiles{userFile, profileFile});
    EXPECT_EQ(theActiveFiles, (std::vector<int>{data, profileFile, userFile}));
}

TEST_F(LanguageRecordsTest, LanguageNamesComeFromRecordsThenFromTheTable)
{
    EXPECT_EQ(GetLanguageName(2), "Danish");
    EXPECT_EQ(GetLanguageName(13), "");
    EXPECT_EQ(GetLanguageName(12), "Frensh");

    auto named = std::make_unique<CQuibSystem>();
    named->m_language = 13;
    named->m_name = QStringLiteral("Nederlands");
    theSystemMap[13] = std::move(named);
    EXPECT_EQ(GetLanguageName(13), "Nederlands");

    auto keyedByName = std::make_unique<CQuibSystem>();
    keyedByName->m_language = 40;
    keyedByName->m_name = QStringLiteral("Svenska");
    theSystemMap[10003] = std::move(keyedByName);
    EXPECT_EQ(GetLanguageName(3), "Svenska");
}

TEST_F(LanguageRecordsTest, CurrentLanguageRecordFallsBackToTheInstallRecord)
{
    EXPECT_EQ(GetCurrentLanguageRecord(), nullptr);
    CQuibSystem install;
    CQuibSystem current;
    theInstallLanguageRec = &install;
    EXPECT_EQ(GetCurrentLanguageRecord(), &install);
    theCurrentLanguageRec = &current;
    EXPECT_EQ(GetCurrentLanguageRecord(), &current);
    theInstallLanguageRec = nullptr;
    theCurrentLanguageRec = nullptr;
}

} // namespace
