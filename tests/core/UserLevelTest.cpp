// User levels gathered from several files, the data-version gate of their stream and the default
// level.

#include "core/UserLevel.h"
#include "core/User.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

using namespace lumivo::test;

namespace
{

constexpr std::uint16_t kLanguage = 1;

void storeLevel(int file, std::int32_t number, const QString& name, std::uint16_t language = kLanguage)
{
    CQuibUserLevel level;
    level.Name = name;
    level.Number = number;
    level.Language = language;
    level.Value = 7;
    storeInFile(level, number, file, MakeUserLevelType(0, static_cast<std::int16_t>(language)));
    SaveResFile(file);
}

} // namespace

class UserLevelTest : public LumivoTest
{
};

TEST_F(UserLevelTest, FirstFileThatDefinesANumberWins)
{
    int first = makeResourceFile(tempPath("first.tvf"));
    int second = makeResourceFile(tempPath("second.tvf"));
    storeLevel(first, 5, "Beginner");
    storeLevel(second, 5, "Other beginner");
    storeLevel(second, 6, "Advanced");
    storeLevel(second, 7, "Other language", 2);
    first = saveAndReopen(first);
    second = saveAndReopen(second);

    CQuibUserLevelMap map;
    AddUserLevelsOfFile(map, kLanguage, first);
    AddUserLevelsOfFile(map, kLanguage, second);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at(5)->Name, "Beginner");
    EXPECT_EQ(map.at(5)->GetFile(), first);
    EXPECT_EQ(map.at(6)->Name, "Advanced");
    EXPECT_EQ(map.at(6)->Number, 6);
    EXPECT_EQ(map.at(6)->Value, 7);
    EXPECT_FALSE(map.contains(7)); // another language
}

TEST_F(UserLevelTest, DataFilesAreGatheredInListOrder)
{
    int first = makeResourceFile(tempPath("a.tvf"));
    int second = makeResourceFile(tempPath("b.tvf"));
    storeLevel(first, 5, "from a");
    storeLevel(second, 5, "from b");
    first = saveAndReopen(first);
    second = saveAndReopen(second);
    theDataFiles = {second, first};

    CQuibUserLevelMap map;
    AddUserLevelsOfDataFiles(map, kLanguage);
    EXPECT_EQ(map.at(5)->Name, "from b");
}

TEST_F(UserLevelTest, FilesBeforeDataVersionZeroTwoThreeHoldTheNameOnly)
{
    int old = makeResourceFile(tempPath("old.tvf"), MakeResFileVersion(0, 2, 2));
    int recent = makeResourceFile(tempPath("recent.tvf"), MakeResFileVersion(0, 2, 3));
    storeLevel(old, 8, "Old level");
    storeLevel(recent, 9, "Recent level");
    old = saveAndReopen(old);
    recent = saveAndReopen(recent);

    CQuibUserLevelMap map;
    AddUserLevelsOfFile(map, kLanguage, old);
    AddUserLevelsOfFile(map, kLanguage, recent);
    EXPECT_EQ(map.at(8)->Name, "Old level");
    EXPECT_EQ(map.at(8)->Number, 0);
    EXPECT_EQ(map.at(8)->Language, 0);
    EXPECT_EQ(map.at(8)->Value, 0);
    EXPECT_EQ(map.at(9)->Number, 9);
    EXPECT_EQ(map.at(9)->Language, kLanguage);
}

TEST_F(UserLevelTest, DefaultLevelIsAddedOnlyWhenNoFileDefinesIt)
{
    CQuibUserLevelMap map;
    GetOrCreateDefaultLevel(map, 3);
    ASSERT_TRUE(map.contains(1000));
    EXPECT_EQ(map.at(1000)->Number, 1000);
    EXPECT_EQ(map.at(1000)->Language, 3);
    EXPECT_EQ(map.at(1000)->Name, LoadSystemString(9028));
    EXPECT_EQ(map.at(1000)->GetEntry(), nullptr);

    int file = makeResourceFile(tempPath("levels.tvf"));
    storeLevel(file, 1000, "Own default");
    file = saveAndReopen(file);
    CQuibUserLevelMap fromFile;
    AddUserLevelsOfFile(fromFile, kLanguage, file);
    GetOrCreateDefaultLevel(fromFile, kLanguage);
    EXPECT_EQ(fromFile.at(1000)->Name, "Own default");

    DeleteAllLevels(fromFile);
    EXPECT_TRUE(fromFile.empty());
}

TEST_F(UserLevelTest, UserAndOutputFilesAreGatheredOnlyWhenThere)
{
    CQuibUserLevelMap map;
    AddUserLevelsOfUserFile(map, kLanguage);   // no current user
    AddUserLevelsOfOutputFile(map, kLanguage); // no output file
    EXPECT_TRUE(map.empty());

    int file = makeResourceFile(tempPath("user.tvf"));
    storeLevel(file, 4, "Mine");
    file = saveAndReopen(file);
    CQuibUser user;
    storeInFile(user, 1234, file, CQuibUser::kType);
    theCurrentUser = &user;
    AddUserLevelsOfUserFile(map, kLanguage);
    EXPECT_EQ(map.at(4)->Name, "Mine");
}
