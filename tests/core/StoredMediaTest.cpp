// Replacing a stored picture, sound or clip: the new record is written before the old one goes, so a
// full disk or a kill leaves the stored one, and every replacement is announced.

#include "core/StoredMedia.h"
#include "core/PageEvents.h"
#include "core/Sound.h"
#include "platform/files/FileSystem.h"
#include "store/ResourceTypes.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PageEventLog.h"

#include <optional>
#include <vector>

namespace files = lumivo::files;

namespace
{

constexpr std::int32_t kWordId = 40;
const std::int32_t kType = MakeSoundType(1, 1);

class StoredMediaTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_file = lumivo::test::makeResourceFile(tempPath("media.tvf"));
        m_events.emplace();
    }

    // A new sound whose author tells it apart, not yet placed.
    static std::unique_ptr<CQuibSound> sound(std::uint16_t author)
    {
        auto made = std::make_unique<CQuibSound>();
        EXPECT_EQ(made->Create(), RES_OK);
        made->SetData(std::vector<std::uint8_t>(2000, std::uint8_t(author)), 0x102, author, 300, 6000);
        return made;
    }

    // The author of the stored sound of the word in `file` (-1: none), and how many sounds of that type
    // it holds.
    static int storedAuthor(int file)
    {
        CQuibSound stored;
        if (AttachResource(&stored, kWordId, kType, file) != RES_OK)
            return -1;
        stored.LoadData();
        return stored.SoundAuthor;
    }
    static int soundCount(int file)
    {
        int count = 0;
        EXPECT_EQ(CountResources(&count, kType, file), RES_OK);
        return count;
    }

    lumivo::test::FullDisk m_disk;
    int m_file = 0;
    std::optional<lumivo::test::PageEventLog> m_events; // made after the set-up resets the model's events
};

} // namespace

TEST_F(StoredMediaTest, TheNewRecordIsWrittenBeforeTheOldOneGoes)
{
    ASSERT_EQ(ReplaceStoredRecord(*sound(5), {kWordId, m_file, kType}), RES_OK);
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    const std::vector<lumivo::test::PageEventLog::Event> announced{
        {"storedMediaChanged", nullptr, nullptr, kWordId}};
    EXPECT_EQ(m_events->take(), announced);

    m_disk.Fill();
    EXPECT_NE(ReplaceStoredRecord(*sound(6), {kWordId, m_file, kType}), RES_OK);
    m_disk.MakeRoom();
    EXPECT_EQ(storedAuthor(m_file), 5);
    EXPECT_EQ(soundCount(m_file), 1);
    std::vector<CResEntry*> unplaced;
    CollectResources(&unplaced, 0, kType);
    EXPECT_TRUE(unplaced.empty());
    EXPECT_TRUE(m_events->take().empty()) << "nothing changed";

    ASSERT_EQ(ReplaceStoredRecord(*sound(6), {kWordId, m_file, kType}), RES_OK);
    EXPECT_EQ(storedAuthor(m_file), 6);
    EXPECT_EQ(soundCount(m_file), 1);
    EXPECT_EQ(m_events->take(), announced);

    // Killed now, before the file's next save: the disk holds the old sound alone.
    const QString killed = tempPath("killed.tvf");
    ASSERT_TRUE(files::copyFileAtomically(GetResFilePath(m_file), killed));
    int copy = 0;
    ASSERT_EQ(OpenResFile(&copy, killed), RES_OK);
    EXPECT_EQ(storedAuthor(copy), 5);
    EXPECT_EQ(soundCount(copy), 1);

    m_file = lumivo::test::saveAndReopen(m_file);
    EXPECT_EQ(storedAuthor(m_file), 6);
    EXPECT_EQ(soundCount(m_file), 1);
}
