// Which open files a dialog or command may let go of: only those the program does not work in.

#include "admin/FileRoles.h"

#include "core/User.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lumivo::test;

class FileRolesTest : public LumivoTest
{
protected:
    int file(const char* name) { return makeResourceFile(tempPath(name)); }
};

TEST_F(FileRolesTest, EachRoleCountsUnlessItIsTheAskersOwn)
{
    const int data = file("data.tvf");
    const int user = file("user.tvf");
    const int profile = file("profile.tvf");
    const int output = file("output.tvf");
    const int loose = file("loose.tvf");
    CQuibUser current;
    storeInFile(current, 1, user, CQuibUser::kType);
    current.Profile = std::make_unique<CQuibUser>();
    storeInFile(*current.Profile, CQuibUser::kTemplateUserId, profile, CQuibUser::kType);
    theCurrentUser = &current;
    theDataFiles = {data};
    theOutputFile = output;
    // The finders' list holds every one of them, as the reload builds it.
    theActiveFiles = {data, profile, user, output};

    EXPECT_TRUE(FileHasOtherRole(data));
    EXPECT_FALSE(FileHasOtherRole(data, kFileRoleData));
    EXPECT_TRUE(FileHasOtherRole(user));
    EXPECT_TRUE(FileHasOtherRole(user, kFileRoleOutput));
    EXPECT_FALSE(FileHasOtherRole(user, kFileRoleUser));
    EXPECT_TRUE(FileHasOtherRole(profile));
    EXPECT_FALSE(FileHasOtherRole(profile, kFileRoleProfile));
    EXPECT_FALSE(FileHasOtherRole(output, kFileRoleOutput)) << "being among the active files is no role";
    EXPECT_TRUE(FileHasOtherRole(output));
    EXPECT_FALSE(FileHasOtherRole(loose));
    EXPECT_FALSE(FileHasOtherRole(0));

    // A data file the finders search but that is not filed among the data files is still in use.
    theDataFiles.clear();
    EXPECT_TRUE(FileHasOtherRole(data));
    theCurrentUser = nullptr;
}
