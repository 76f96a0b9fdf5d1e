// New ids for user-made and system items, and the system-item test.

#include "system/ItemIds.h"
#include "core/Word.h"
#include "store/ResourceTypes.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

using namespace lumivo::test;

class ItemIdsTest : public LumivoTest
{
};

TEST_F(ItemIdsTest, SystemItemLimits)
{
    EXPECT_FALSE(IsSystemItem(999'999'999));
    EXPECT_TRUE(IsSystemItem(1'000'000'000));
    EXPECT_TRUE(IsSystemItem(1'073'741'822));
    EXPECT_FALSE(IsSystemItem(1'073'741'823));
    EXPECT_FALSE(IsSystemItem(-1));
}

TEST_F(ItemIdsTest, NewIdsLieInTheirRangesAndSkipUsedIds)
{
    const int file = makeResourceFile(tempPath("ids.tvf"));
    CQuibWord used;
    storeInFile(used, 500, file, MakeWordType(1));
    {
        const auto start =
            theItemIdRandomHook.scoped([](std::int32_t first, std::int32_t) { return first + 499; });
        EXPECT_EQ(NewItemId(), 501);
        EXPECT_EQ(NewSystemItemId(), 1'000'000'500);
    }

    for (int i = 0; i < 20; ++i) {
        const std::int32_t user = NewItemId();
        EXPECT_GE(user, 1);
        EXPECT_LE(user, 999'999'999);
        EXPECT_NE(user, 500);
        const std::int32_t system = NewSystemItemId();
        EXPECT_GE(system, 1'000'000'001);
        EXPECT_LE(system, 1'073'741'822);
        EXPECT_TRUE(IsSystemItem(system));
    }
}

TEST_F(ItemIdsTest, ExhaustedRangeGivesNoId)
{
    const int file = makeResourceFile(tempPath("full.tvf"));
    CQuibWord last;
    CQuibWord beforeLast;
    storeInFile(beforeLast, 999'999'998, file, MakeWordType(1));
    storeInFile(last, 999'999'999, file, MakeWordType(2));
    const auto start = theItemIdRandomHook.scoped([](std::int32_t, std::int32_t end) { return end - 1; });
    // The first free id above the start is 1,000,000,000: outside the range, so no id at all.
    EXPECT_EQ(NewItemId(), kNoItemId);

    CQuibWord topSystem;
    storeInFile(topSystem, 1'073'741'821, file, MakeWordType(1));
    CQuibWord lastSystem;
    storeInFile(lastSystem, 1'073'741'822, file, MakeWordType(1));
    EXPECT_EQ(NewSystemItemId(), kNoItemId);
}
