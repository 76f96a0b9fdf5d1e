// Where icons' pictures come from: the stored picture of the kind that suits the icon's size.

#include "panes/IconPictures.h"
#include "core/Picture.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "tests/core/StoredPictures.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <memory>
#include <vector>

namespace
{

constexpr std::int32_t kWordId = 31;
constexpr std::uint16_t kLanguage = 1;

class IconPicturesTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_file = lumivo::test::makeResourceFile(tempPath("pictures.tvf"));
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
    }

    // A stored picture of one grey level under the word id and that kind.
    void storePicture(int kind, std::uint8_t level)
    {
        m_pictures.push_back(lumivo::test::storeGreyPicture(m_file, kWordId, kind, kLanguage, level));
    }

    int m_file = 0;
    std::vector<std::unique_ptr<CQuibPict>> m_pictures;
};

} // namespace

TEST_F(IconPicturesTest, IconsTakeThePictureKindOfTheirSize)
{
    storePicture(2, 20);
    storePicture(10, 100);
    storePicture(5, 50);
    const auto levelOf = [](std::unique_ptr<CQuibPict> picture) {
        return picture && picture->Load() == RES_OK && picture->Decode() ? int(picture->GetImage()->pixels[0])
                                                                         : -1;
    };
    EXPECT_EQ(levelOf(LoadWordPicture(kWordId, 40, 200)), 20);
    EXPECT_EQ(levelOf(LoadWordPicture(kWordId, 150, 150)), 100);
    EXPECT_EQ(levelOf(LoadWordPicture(kWordId, 100, 100)), 100) << "kind 4 is missing: 10 comes next";
    EXPECT_EQ(levelOf(LoadWordPicture(kWordId + 1, 40, 40)), -1);
}
