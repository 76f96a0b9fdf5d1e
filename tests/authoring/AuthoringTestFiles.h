#pragma once
// What the authoring tests build on: a current user in a file of its own, data files, pages filed in
// the page index as the index builder files them, and pictures with a pattern that shows where each
// pixel came from.

#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "platform/image/Image.h"
#include "store/ResourceTypes.h"
#include "tests/core/UserTestStore.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace lumivo::test
{

// A picture whose pixel (x, y) is (x, y, x + y) modulo 256.
inline RgbImage patternImage(int width, int height)
{
    RgbImage image{width, height, {}};
    image.pixels.reserve(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.insert(image.pixels.end(), {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x + y)});
    return image;
}

inline const std::uint8_t* pixelAt(const RgbImage& image, int x, int y)
{
    return image.pixels.data() + (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3;
}

// A page stored in `file` under (id, page type of `language`) and filed in theBgIndex with its name.
inline CQuibBg* filePage(int file, std::int32_t id, int language, const QString& name)
{
    auto page = std::make_unique<CQuibBg>();
    page->Name = name;
    EXPECT_EQ(page->SaveAs(id, file, MakeBgType(1, std::int16_t(language))), 0);
    EXPECT_EQ(page->Write(), 0);
    CQuibBg* filed = page.get();
    theBgIndex.Add(std::move(page));
    theBgIndex.Names().InsertSorted(name, filed);
    return filed;
}

// A current user kept in a file of its own with the given primary language.
struct UserInFile {
    int file = 0;
    std::unique_ptr<CQuibUser> user;

    UserInFile(const QString& path, std::uint16_t language)
    {
        file = makeResourceFile(path);
        user = std::make_unique<CQuibUser>();
        user->PrimaryLanguage = language;
        storeInFile(*user, CQuibUser::kTemplateUserId, file, CQuibUser::kType);
        theCurrentUser = user.get();
    }
    ~UserInFile()
    {
        if (theCurrentUser == user.get())
            theCurrentUser = nullptr;
    }
    UserInFile(const UserInFile&) = delete;
    UserInFile& operator=(const UserInFile&) = delete;
};

// How many records of the type `file` holds.
inline int countRecords(int file, std::int32_t type)
{
    int count = 0;
    EXPECT_EQ(CountResources(&count, type, file), 0);
    return count;
}

} // namespace lumivo::test
