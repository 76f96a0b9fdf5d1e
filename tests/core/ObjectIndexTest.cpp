// The object index: filing by language, file and id, removal after a change of keys, and the rebuilds
// of the word and page indexes over the active files.

#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

using namespace lumivo;

namespace
{

// A stored object whose keys come from its record.
class Thing : public CMyRes
{
public:
    Thing() { m_owner = this; }
    std::int32_t GetType() const override { return m_entry ? m_entry->GetType() : RESTYPE_BG; }
};

class ObjectIndexTest : public test::LumivoTest
{
protected:
    int DataFile(const QString& name, int build)
    {
        const int file = test::NewResFile(tempPath(name), FILEKIND_DATA, 2, 0, build);
        ScanDataFolder(file);
        return file;
    }

    // A new object placed at (id, file, type).
    static std::unique_ptr<Thing> PlacedThing(std::int32_t id, int file, std::int32_t type)
    {
        auto thing = std::make_unique<Thing>();
        EXPECT_EQ(thing->Create(), RES_OK);
        EXPECT_EQ(thing->SaveAs(id, file, type), RES_OK);
        return thing;
    }

    static void StoreWord(int file, std::int32_t id, std::int16_t language, const QString& name)
    {
        Thing word;
        ASSERT_EQ(word.Create(), RES_OK);
        ASSERT_EQ(word.SaveAs(id, file, MakeWordType(language)), RES_OK);
        ASSERT_EQ(word.SetName(name), RES_OK);
    }

    // Binds an object to the record and names it after the record.
    static std::unique_ptr<CMyRes> MakeNamedThing(CResEntry* record, QString& name)
    {
        auto thing = std::make_unique<Thing>();
        if (AttachResEntry(thing.get(), record) != RES_OK)
            return nullptr;
        name = record->GetName();
        return thing;
    }

    static std::unique_ptr<CMyRes> MakeNothing(CResEntry*, QString&) { return nullptr; }

    // Each test installs the makers it needs.
    void SetUp() override
    {
        LumivoTest::SetUp();
        theWordObjectMaker.set(MakeNothing);
        thePageObjectMaker.set(MakeNothing);
    }

    // The program's makers come back for the tests that follow.
    void TearDown() override
    {
        theWordObjectMaker.reset();
        thePageObjectMaker.reset();
        LumivoTest::TearDown();
    }

    static QStringList Names(const CQuibObjIndex& index)
    {
        QStringList names;
        for (int i = 0; i < index.Names().GetSize(); ++i)
            names << index.Names().GetString(i);
        return names;
    }
};

TEST_F(ObjectIndexTest, SameIdInTwoLanguagesGivesTwoObjects)
{
    const int file = DataFile("a.tvf", 1);
    CQuibObjIndex index;
    auto placedDanish = PlacedThing(42, file, MakeBgType(1, 2));
    auto placedEnglish = PlacedThing(42, file, MakeBgType(1, 8));
    Thing* danish = placedDanish.get();
    Thing* english = placedEnglish.get();
    index.Add(std::move(placedDanish));
    index.Add(std::move(placedEnglish));
    index.Add(nullptr);

    EXPECT_EQ(index.Find(file, 2, 42), danish);
    EXPECT_EQ(index.Find(file, 8, 42), english);
    EXPECT_EQ(index.Find(file, 3, 42), nullptr);
    EXPECT_EQ(index.Find(file + 1, 2, 42), nullptr);
    EXPECT_TRUE(index.Contains(danish));
    EXPECT_EQ(index.GetCount(), 2u);
}

TEST_F(ObjectIndexTest, RemovingAnObjectWhoseIdChangedLeavesNoEmptyMap)
{
    const int file = DataFile("a.tvf", 1);
    CQuibObjIndex index;
    auto placed = PlacedThing(42, file, MakeBgType(1, 2));
    Thing* thing = placed.get();
    index.Add(std::move(placed));
    index.Names().AddItem("thing", thing);
    ASSERT_EQ(thing->SaveAs(43, file, MakeBgType(1, 2)), RES_OK);

    const std::unique_ptr<CMyRes> removed = index.Remove(thing);
    EXPECT_EQ(removed.get(), thing);
    EXPECT_FALSE(index.Contains(thing));
    EXPECT_EQ(index.GetFileMap(file, 2), nullptr);
    EXPECT_EQ(index.Find(file, 2, 42), nullptr);
    EXPECT_EQ(index.Names().GetSize(), 0);
    EXPECT_EQ(index.Remove(thing), nullptr);
}

TEST_F(ObjectIndexTest, RefilingAnIndexedObjectMovesIt)
{
    const int file = DataFile("a.tvf", 1);
    CQuibObjIndex index;
    auto placed = PlacedThing(42, file, MakeBgType(1, 2));
    Thing* thing = placed.get();
    index.Add(std::move(placed));
    ASSERT_EQ(thing->SaveAs(43, file, MakeBgType(1, 2)), RES_OK);
    EXPECT_TRUE(index.Refile(thing));
    EXPECT_EQ(index.Find(file, 2, 42), nullptr);
    EXPECT_EQ(index.Find(file, 2, 43), thing);
    EXPECT_EQ(index.GetCount(), 1u);

    // An object the index does not hold stays out of it.
    const auto stranger = PlacedThing(44, file, MakeBgType(1, 2));
    EXPECT_FALSE(index.Refile(stranger.get()));
    EXPECT_EQ(index.Find(file, 2, 44), nullptr);
}

TEST_F(ObjectIndexTest, WordIndexIsRebuiltOverActiveFilesAndLanguages)
{
    const int first = DataFile("a.tvf", 1);
    const int second = DataFile("b.tvf", 2);
    StoreWord(first, 10, 2, "kat");
    StoreWord(first, 10, 8, "cat");
    StoreWord(first, 11, 5, "ignored");
    StoreWord(second, 12, 2, "hund");
    UpdateActiveFiles({});
    theCurrentLanguage = 2;
    theSecondLanguage = 8;
    theTranslateLanguage = 2;
    const auto words = theWordObjectMaker.scoped(MakeNamedThing);

    CQuibObjIndex::LoadWords();
    EXPECT_EQ(theWordIndex.GetCount(), 3u);
    EXPECT_EQ(Names(theWordIndex), QStringList({"cat", "hund", "kat"}));
    CMyRes* kat = theWordIndex.Find(first, 2, 10);
    ASSERT_NE(kat, nullptr);
    QString name;
    kat->GetName(name);
    EXPECT_EQ(name, "kat");
    EXPECT_NE(theWordIndex.Find(second, 2, 12), nullptr);
    EXPECT_EQ(theWordIndex.Find(first, 5, 11), nullptr);

    // A rebuild replaces what was there.
    theSecondLanguage = 0;
    theBgIndex.LoadWords();
    EXPECT_EQ(Names(theWordIndex), QStringList({"hund", "kat"}));
}

TEST_F(ObjectIndexTest, StoredWordsAreLoadedByTheProgramsWordMaker)
{
    theWordObjectMaker.reset(); // the program's own maker
    const int file = DataFile("a.tvf", 1);
    for (auto [id, name] : {std::pair{20, "sol"}, {21, "måne"}}) {
        CQuibWord word;
        word.WordName = QString::fromUtf8(name);
        ASSERT_EQ(word.Create(), RES_OK);
        ASSERT_EQ(word.SaveAs(id, file, MakeWordType(2)), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
    }
    UpdateActiveFiles({});
    theCurrentLanguage = 2;

    CQuibObjIndex::LoadWords();
    EXPECT_EQ(Names(theWordIndex), QStringList({"måne", "sol"}));
    auto* sun = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, 2, 20));
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->WordName, "sol");
}

TEST_F(ObjectIndexTest, PageIndexUsesItsOwnLanguagesAndTheInstalledMaker)
{
    const int file = DataFile("a.tvf", 1);
    for (auto [id, language] : {std::pair{1, 2}, {2, 4}, {3, 6}, {4, 9}, {5, 7}}) {
        Thing page;
        ASSERT_EQ(page.Create(), RES_OK);
        ASSERT_EQ(page.SaveAs(id, file, MakeBgType(1, static_cast<std::int16_t>(language))), RES_OK);
    }
    Thing otherKind;
    ASSERT_EQ(otherKind.Create(), RES_OK);
    ASSERT_EQ(otherKind.SaveAs(8, file, MakeBgType(2, 2)), RES_OK);
    UpdateActiveFiles({});
    const auto pages = thePageObjectMaker.scoped([](CResEntry* record, QString& name) {
        auto page = MakeNamedThing(record, name);
        name = QString("page %1").arg(record->GetId());
        return page;
    });
    theCurrentLanguage = 2;
    CQuibSystem record;
    record.m_language = 4;
    theCurrentLanguageRec = &record;
    theLanguageNo = 6;
    theTranslateLanguage = 9;

    CQuibObjIndex::LoadBackgrounds();
    theCurrentLanguageRec = nullptr;
    EXPECT_EQ(Names(theBgIndex), QStringList({"page 1", "page 2", "page 3", "page 4"}));
}

TEST_F(ObjectIndexTest, WithoutActiveFilesBothIndexesAreEmpty)
{
    theCurrentLanguage = 2;
    const auto words = theWordObjectMaker.scoped(MakeNamedThing);
    const auto pages = thePageObjectMaker.scoped(MakeNamedThing);
    CQuibObjIndex::LoadWords();
    CQuibObjIndex::LoadBackgrounds();
    EXPECT_EQ(theWordIndex.GetCount(), 0u);
    EXPECT_EQ(theBgIndex.GetCount(), 0u);
    EXPECT_TRUE(theWordIndex.Names().IsEmpty());
    EXPECT_TRUE(theBgIndex.Names().IsEmpty());
}

} // namespace
