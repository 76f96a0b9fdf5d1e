#pragma once
// What the authoring tests build on: a current user in a file of its own, data files, pages filed in
// the page index as the index builder files them, and pictures with a pattern that shows where each
// pixel came from.

#include "authoring/BgEditor.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "platform/image/Image.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

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

// The fixture of the editors' tests: a current user of `kUserLanguage` in a file of its own, gone at
// the end (after whatever the editor's own fixture lets go of first).
class EditorUserFixture : public LumivoTest
{
public:
    static constexpr std::uint16_t kUserLanguage = 2;

protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_user = std::make_unique<UserInFile>(tempPath("user.tvf"), kUserLanguage);
    }

    void TearDown() override
    {
        m_user.reset();
        LumivoTest::TearDown();
    }

    int userFile() const { return m_user->file; }

    // A new resource file `name` in the test's folder, counted among the data files.
    int dataFile(const QString& name)
    {
        const int file = makeResourceFile(tempPath(name));
        theDataFiles.push_back(file);
        return file;
    }

    std::unique_ptr<UserInFile> m_user;
};

// The fixture of the page editor's tests: the editor and the filed pages go before the user.
class BgEditorFixture : public EditorUserFixture
{
protected:
    void TearDown() override
    {
        ResetBackgroundEditor();
        theBgIndex.DeleteAll();
        EditorUserFixture::TearDown();
    }
};

// Types `name` into the editor's name field as a person does, so the editor hears of the edit.
template <class Frame> void typeName(Frame& frame, const QString& name)
{
    QLineEdit* edit = frame.View().Sheet().BasicPage().NameEdit();
    edit->setText(name);
    emit edit->textEdited(name);
}

// The names listed under the tree's letter `letter`, in order.
inline QStringList namesUnder(const QTreeWidget& tree, int letter)
{
    QStringList names;
    const QTreeWidgetItem* root = tree.topLevelItem(letter);
    for (int child = 0; child < root->childCount(); ++child)
        names << root->child(child)->text(0);
    return names;
}

} // namespace lumivo::test
