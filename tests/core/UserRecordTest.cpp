// The user as a record of a user file: stored and loaded through the store, its record name, and the
// window rectangle it remembers.

#include "core/User.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

using namespace lumivo::test;

class UserRecordTest : public LumivoTest
{
};

TEST_F(UserRecordTest, StoredUserLoadsBackEqualFromItsFile)
{
    int file = makeResourceFile(tempPath("user.tvf"));
    CQuibUser user;
    user.Name = "Mette";
    user.Sentences = {3, 4};
    user.PrintFooter = "&c&p";
    user.LetterHead = "&lVejle&n";
    user.UsePassword = 1;
    storeInFile(user, 1234, file, CQuibUser::kType);
    file = saveAndReopen(file);

    CQuibUser loaded;
    ASSERT_EQ(loaded.LoadFrom(1234, file), 0);
    EXPECT_TRUE(loaded.SameSettings(user));
    EXPECT_EQ(loaded.PrintFooter, "&c&p");
    EXPECT_EQ(loaded.LetterHead, "&lVejle&n");
    EXPECT_EQ(loaded.UsePassword, 1);
}

TEST_F(UserRecordTest, RecordNameFollowsTheUserName)
{
    int file = makeResourceFile(tempPath("names.tvf"));
    CQuibUser user;
    user.Name = "Anna";
    storeInFile(user, 7, file, CQuibUser::kType);
    ASSERT_EQ(user.Write(), 0);
    QString recordName;
    user.GetName(recordName);
    EXPECT_EQ(recordName, "Anna");

    user.Name = "Anna Berg";
    user.Commit();
    ASSERT_EQ(user.Write(), 0);
    user.GetName(recordName);
    EXPECT_EQ(recordName, "Anna Berg");

    // Only the letter case differs: the record keeps its name.
    user.Name = "ANNA BERG";
    user.Commit();
    user.Write();
    user.GetName(recordName);
    EXPECT_EQ(recordName, "Anna Berg");
}

TEST_F(UserRecordTest, UnreadableRecordLeavesTheDefaults)
{
    int file = makeResourceFile(tempPath("broken.tvf"));
    CMyByteRes raw; // a user record cut short inside the name
    ASSERT_EQ(raw.Create(), 0);
    ASSERT_EQ(raw.SetSize(3), 0);
    raw.SetByte(5, 0);
    raw.SetByte('B', 1);
    raw.SetByte('r', 2);
    storeInFile(raw, 8, file, CQuibUser::kType);
    file = saveAndReopen(file);

    CQuibUser loaded;
    loaded.Name = "stale";
    loaded.LoadFrom(8, file);
    EXPECT_TRUE(loaded.SameSettings(CQuibUser()));
}

TEST_F(UserRecordTest, WindowRectangleIsTakenFromAVisibleMainWindow)
{
    CQuibUser user;
    user.WindowRect = CRect(0, 0, 800, 600);
    theCurrentUser = &user;

    StoreWindowRect(MainWindowState{}); // no main window
    EXPECT_EQ(user.WindowRect, CRect(0, 0, 800, 600));

    MainWindowState window{true, false, CRect(10, 10, 1034, 778)};
    StoreWindowRect(window); // hidden
    EXPECT_EQ(user.WindowRect, CRect(0, 0, 800, 600));

    window.visible = true;
    StoreWindowRect(window);
    EXPECT_EQ(user.WindowRect, CRect(10, 10, 1034, 778));

    CQuibUser other;
    StoreWindowRect(window, &other); // an empty rectangle is not filled from the window
    EXPECT_TRUE(other.WindowRect.IsRectEmpty());
}

TEST_F(UserRecordTest, NewUserTakesTheStandardFrameSize)
{
    const auto provider =
        theDefaultWindowRectHook.scoped([](CRect& rect) { rect = CRect(-4, -4, 804, 604); });
    const CQuibUser user;
    EXPECT_EQ(user.WindowRect, CRect(-4, -4, 804, 604));
}
