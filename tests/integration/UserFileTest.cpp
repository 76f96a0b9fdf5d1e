// A user's own file beside the data files: once the user is current, the user's copies of words and
// levels hide those of the data files from the look-ups, items of the data file still reach the data
// file's copies, and the user's edits are saved into the user's file alone.

#include "tests/integration/SampleDataFile.h"

#include "core/ColorPalette.h"
#include "platform/ui/Ui.h"
#include "system/ItemIds.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

using namespace lumivo::test;
using namespace lumivo;

namespace
{

class UserFileTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        content = MakeSampleContent(tempDir());
        ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
        userPath = GetUsersDirString(QStringLiteral("/")) + QStringLiteral("soren.tvf");
        WriteUserFile();
        ScanDataFolder(0);
        ASSERT_EQ(theDataFiles.size(), 1u);
        dataFile = theDataFiles.front();
    }

    void TearDown() override
    {
        theCurrentUser = nullptr;
        user.reset();
        LumivoTest::TearDown();
    }

    // The user record, the user's own word for id 101 and own name for level 1200.
    void WriteUserFile()
    {
        const int file = test::NewResFile(userPath, FILEKIND_USER, 2, 0, 61);
        {
            CQuibUser record;
            SetEveryDanishUserField(record);
            ASSERT_EQ(record.SaveAs(CQuibUser::kTemplateUserId, file, CQuibUser::kType), RES_OK);
            ASSERT_EQ(record.Write(), RES_OK);
            CQuibWord word;
            ASSERT_EQ(word.Create(), RES_OK);
            word.WordName = "vovse";
            ASSERT_EQ(word.SaveAs(101, file, MakeWordType(kDanish)), RES_OK);
            ASSERT_EQ(word.Write(), RES_OK);
            CQuibUserLevel level;
            ASSERT_EQ(level.Create(), RES_OK);
            level.Name = "Min egen";
            level.Number = 1200;
            level.Language = kDanish;
            ASSERT_EQ(level.SaveAs(1200, file, MakeUserLevelType(0, kDanish)), RES_OK);
            ASSERT_EQ(level.Write(), RES_OK);
            int err = 0;
            SaveDataFile(file, false, true, &err);
            ASSERT_EQ(err, 0);
        }
        ASSERT_EQ(CloseResFile(file), RES_OK);
    }

    // Opens the user's file as a person's choice would and makes its user current.
    int OpenUserAndMakeCurrent()
    {
        int file = 0;
        int result = 0;
        EXPECT_EQ(OpenDataFile(userPath, &file, &result), 0);
        EXPECT_EQ(result, 0);
        ScanDataFolder(file);
        EXPECT_EQ(theDataFiles, std::vector<int>{dataFile}); // a user file is not a data file
        user = std::make_unique<CQuibUser>();
        EXPECT_EQ(user->LoadFrom(CQuibUser::kTemplateUserId, file), RES_OK);
        theCurrentUser = user.get();
        MakeDanishCurrent();
        return file;
    }

    SampleContent content;
    QString userPath;
    int dataFile = 0;
    std::unique_ptr<CQuibUser> user;
};

TEST_F(UserFileTest, TheUsersCopiesHideTheDataFilesAndLeadBackToThem)
{
    const int userFile = OpenUserAndMakeCurrent();
    ASSERT_GT(userFile, 0);
    EXPECT_EQ(theActiveFiles, (std::vector<int>{dataFile, userFile}));
    EXPECT_EQ(user->Name, QString::fromUtf8("Søren Ærø"));

    auto own = FindWordById(101);
    ASSERT_TRUE(own);
    ASSERT_EQ(own->Load(), RES_OK);
    EXPECT_EQ(own->WordName, "vovse");
    EXPECT_EQ(own->GetFile(), userFile);
    auto* indexed = dynamic_cast<CQuibWord*>(theWordIndex.Find(userFile, kDanish, 101));
    ASSERT_NE(indexed, nullptr);
    EXPECT_EQ(indexed->WordName, "vovse");

    // Looked up from an item of the data file, the walk starts at that file: the user's copy in the
    // later file does not hide the data file's own word from it.
    auto* dataWord = theWordIndex.Find(dataFile, kDanish, 105);
    ASSERT_NE(dataWord, nullptr);
    auto behind = FindWordById(101, dataWord);
    ASSERT_TRUE(behind);
    ASSERT_EQ(behind->Load(), RES_OK);
    EXPECT_EQ(behind->WordName, "hund");
    auto again = FindWordById(101, own.get());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetFile(), userFile);

    CQuibUserLevelMap levels;
    AddUserLevelsOfUserFile(levels, kDanish);
    AddUserLevelsOfDataFiles(levels, kDanish);
    GetOrCreateDefaultLevel(levels, kDanish);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels.at(1200)->Name, "Min egen");
    EXPECT_EQ(levels.at(1300)->Name, "Ekspert");

    // Without a current user, the user's file drops out of the look-ups.
    theCurrentUser = nullptr;
    UpdateActiveFiles(CurrentUserFilesOf(theCurrentUser));
    EXPECT_EQ(theActiveFiles, std::vector<int>{dataFile});
    auto plain = FindWordById(101);
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain->Load(), RES_OK);
    EXPECT_EQ(plain->WordName, "hund");
}

TEST_F(UserFileTest, TheUsersEditsLandInTheUsersFileAlone)
{
    const int userFile = OpenUserAndMakeCurrent();
    ASSERT_GT(userFile, 0);
    const std::vector<std::uint8_t> dataBefore = fileBytes(GetResFilePath(dataFile));

    user->Name = "Mette";
    user->Voice1 = "english";
    ASSERT_EQ(user->Write(), RES_OK);
    auto* word = dynamic_cast<CQuibWord*>(theWordIndex.Find(userFile, kDanish, 101));
    ASSERT_NE(word, nullptr);
    word->WordName = "vovsemand";
    SaveWord(word);
    int err = 0;
    SaveDataFile(userFile, false, false, &err);
    ASSERT_EQ(err, 0);
    SaveDataFile(dataFile, false, false, &err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(fileBytes(GetResFilePath(dataFile)), dataBefore);

    theCurrentUser = nullptr;
    user.reset();
    ASSERT_EQ(ReleaseDataFile(userFile), RES_OK);
    const int reopened = OpenUserAndMakeCurrent();
    ASSERT_GT(reopened, 0);
    EXPECT_EQ(user->Name, "Mette");
    EXPECT_EQ(user->Voice1, "english");
    QString recordName;
    user->GetName(recordName);
    EXPECT_EQ(recordName, "Mette");
    auto own = FindWordById(101);
    ASSERT_TRUE(own);
    ASSERT_EQ(own->Load(), RES_OK);
    EXPECT_EQ(own->WordName, "vovsemand");
    EXPECT_EQ(theWordIndex.Names().Find("vovsemand") >= 0, true);
}

// The word editor's save of a word that came from a data file, while a pane shows the same word: the
// person says yes, the edits go into a copy in the user's file, and the data file's word, in the index
// and on disk, is left as it was.
TEST_F(UserFileTest, AWordOfTheDataFileEditedByTheUserBecomesTheUsersCopy)
{
    const int userFile = OpenUserAndMakeCurrent();
    ASSERT_GT(userFile, 0);
    auto shown = FindWordById(105); // a pane shows the data file's word
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->GetFile(), dataFile);
    ASSERT_EQ(shown->Load(), RES_OK);

    auto* word = dynamic_cast<CQuibWord*>(theWordIndex.Find(dataFile, kDanish, 105));
    ASSERT_NE(word, nullptr);
    word->WordName = QString::fromUtf8("æbleskive");
    word->WordDescription = QString::fromUtf8("Med syltetøj");
    ASSERT_EQ(word->Commit(), RES_OK);
    auto later = FindWordById(105); // another pane loads the word before the editor saves
    ASSERT_TRUE(later);
    ASSERT_EQ(later->Load(), RES_OK);
    EXPECT_EQ(later->WordName, QString::fromUtf8("æbleskive"));

    ui::ScopedAnswerer answerer;
    answerer.reply(ui::IDYES);
    ASSERT_TRUE(CQuibWord::SaveChanges(word, true));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(9004));
    EXPECT_EQ(word->WordName, QString::fromUtf8("æble·skive"));
    EXPECT_FALSE(word->IsChanged());
    auto* copy = dynamic_cast<CQuibWord*>(theWordIndex.Find(userFile, kDanish, 105));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->WordName, QString::fromUtf8("æbleskive"));
    EXPECT_EQ(copy->SynonymList, (std::vector<std::int32_t>{106, 107}));

    int err = 0;
    SaveDataFile(userFile, false, false, &err);
    SaveDataFile(dataFile, false, false, &err);
    ASSERT_EQ(err, 0);
    shown.reset();
    later.reset();
    theCurrentUser = nullptr;
    user.reset();
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    ASSERT_EQ(ReleaseDataFile(userFile), RES_OK);
    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 1u);
    dataFile = theDataFiles.front();
    const int reopened = OpenUserAndMakeCurrent();
    auto own = FindWordById(105);
    ASSERT_TRUE(own);
    ASSERT_EQ(own->Load(), RES_OK);
    EXPECT_EQ(own->GetFile(), reopened);
    EXPECT_EQ(own->WordName, QString::fromUtf8("æbleskive"));
    EXPECT_EQ(own->WordDescription, QString::fromUtf8("Med syltetøj"));
    auto* original = dynamic_cast<CQuibWord*>(theWordIndex.Find(dataFile, kDanish, 105));
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->WordName, QString::fromUtf8("æble·skive"));
    EXPECT_EQ(original->WordDescription, QString::fromUtf8("Dansk bagværk ¤ 5 kr."));
}

// A new word's id is free in every open file, including records made but not yet saved.
TEST_F(UserFileTest, ANewItemIdIsFreeInEveryOpenFile)
{
    const int userFile = OpenUserAndMakeCurrent();
    ASSERT_GT(userFile, 0);
    const auto userStart = theItemIdRandomHook.scoped([](std::int32_t, std::int32_t) { return 101; });
    const std::int32_t first = NewItemId();
    EXPECT_EQ(first, 103); // 101 and 102 are words of the data file, 101 also of the user's
    CQuibWord word;
    ASSERT_EQ(word.Create(), RES_OK);
    word.WordName = "ny";
    ASSERT_EQ(word.SaveAs(first, userFile, MakeWordType(kDanish)), RES_OK);
    EXPECT_EQ(NewItemId(), 104);

    const auto systemStart =
        theItemIdRandomHook.scoped([](std::int32_t, std::int32_t) { return kFirstSystemItemId; });
    const std::int32_t system = NewSystemItemId();
    EXPECT_TRUE(IsSystemItem(system));
    EXPECT_FALSE(ResourceExists(system, MakeWordType(kDanish), dataFile));
}

// A user who follows a profile: the profile's file comes between the data files and the user's own, so
// the profile's words hide the data files' and the user's own hide the profile's; colours are looked up
// in the same order.
TEST_F(UserFileTest, AProfileFileStandsBetweenTheDataFilesAndTheUsersFile)
{
    const QString profilePath = GetUsersDirString(QStringLiteral("/")) + QStringLiteral("laerere.tvf");
    {
        const int file = test::NewResFile(profilePath, FILEKIND_PROFILE, 2, 0, 61);
        CQuibUser profile;
        profile.Name = QString::fromUtf8("Lærere");
        auto color = std::make_unique<CColor>();
        color->Set(RGB(0x40, 0x80, 0xC0), 102, QString::fromUtf8("Skolens blå"), kColorExtraShown);
        profile.ColorTable[102] = std::move(color);
        ASSERT_EQ(profile.SaveAs(CQuibUser::kTemplateUserId, file, CQuibUser::kType), RES_OK);
        ASSERT_EQ(profile.Write(), RES_OK);
        ASSERT_TRUE(WriteNamedWords(file, kDanish, {{101, "profilhund"}, {102, "profilhunde"}}));
        ASSERT_EQ(SaveResFile(file), RES_OK);
        ASSERT_EQ(CloseResFile(file), RES_OK);
    }
    int profileFile = 0;
    int result = 0;
    ASSERT_EQ(OpenDataFile(profilePath, &profileFile, &result), 0);
    ScanDataFolder(profileFile);
    EXPECT_EQ(theDataFiles, std::vector<int>{dataFile});

    const int userFile = OpenUserAndMakeCurrent();
    user->Profile = std::make_unique<CQuibUser>();
    ASSERT_EQ(user->Profile->LoadFrom(CQuibUser::kTemplateUserId, profileFile), RES_OK);
    MakeDanishCurrent();
    EXPECT_EQ(theActiveFiles, (std::vector<int>{dataFile, profileFile, userFile}));

    const auto nameOf = [](std::int32_t id) {
        auto word = FindWordById(id);
        return word && word->Load() == RES_OK ? word->WordName : QString();
    };
    EXPECT_EQ(nameOf(101), "vovse");
    EXPECT_EQ(nameOf(102), "profilhunde");
    EXPECT_EQ(nameOf(105), QString::fromUtf8("æble·skive"));
    EXPECT_NE(theWordIndex.Find(profileFile, kDanish, 102), nullptr);

    // Colours by number: the user's own, the profile's, then the built-in palette.
    BuildDefaultColorTable();
    std::uint32_t packed = 0x65000000; // colour 101
    EXPECT_EQ(ResolvePaletteColor(packed), 101);
    EXPECT_EQ(packed, 0x65112233u);
    packed = 0x66000000; // colour 102
    EXPECT_EQ(ResolvePaletteColor(packed), 102);
    EXPECT_EQ(packed & 0xFFFFFF, RGB(0x40, 0x80, 0xC0));
    ASSERT_NE(GetPaletteColor(102), nullptr);
    packed = 0x67000000; // colour 103: nobody's
    EXPECT_EQ(ResolvePaletteColor(packed), -103);
    packed = user->MainPane.Color;
    EXPECT_EQ(ResolvePaletteColor(packed), 3);
    EXPECT_EQ(packed, GetPaletteColor(3)->GetPacked());
}

} // namespace
