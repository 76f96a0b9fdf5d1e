// Settings access by full key path, and the path helpers.
#include "store/Registry.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>

#include <cstdlib>
#include <string>

using lumivo::test::LumivoTest;

namespace
{
const QString kSettings = "HKEY_CURRENT_USER\\Software\\Lumivo\\Settings";
}

class CRegistryTest : public LumivoTest
{
};

TEST_F(CRegistryTest, LongAndShortRootNamesOpenTheSameKey)
{
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey("HKCU\\Software\\Lumivo"));
    EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\Lumivo"));
    EXPECT_TRUE(reg.KeyExists("HKCU\\software"));
    EXPECT_TRUE(reg.KeyExists("HKCU"));
    EXPECT_FALSE(reg.KeyExists("HKU\\Software"));
    EXPECT_FALSE(reg.CreateKey("HKU\\Software"));
    EXPECT_FALSE(reg.KeyExists("HKLM\\Software\\Lumivo"));
    EXPECT_EQ(CRegistry::RootName(lumivo::registry::Root::CurrentUser), "HKEY_CURRENT_USER");
}

TEST_F(CRegistryTest, ReadsFailOnATypeMismatchAndLeaveTheResultAlone)
{
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey(kSettings));
    ASSERT_TRUE(reg.WriteDWord(kSettings, "Mode", 7));
    ASSERT_TRUE(reg.WriteInt(kSettings, "Count", -3));
    ASSERT_TRUE(reg.WriteString(kSettings, "Name", "Anna"));

    int number = 99;
    EXPECT_FALSE(reg.ReadInt(kSettings, "Mode", number));
    EXPECT_EQ(number, 99);
    std::uint32_t dword = 0;
    EXPECT_FALSE(reg.ReadDWord(kSettings, "Count", dword));
    EXPECT_TRUE(reg.ReadDWord(kSettings, "Mode", dword));
    EXPECT_EQ(dword, 7u);
    EXPECT_TRUE(reg.ReadInt(kSettings, "count", number));
    EXPECT_EQ(number, -3);
    QString text;
    EXPECT_FALSE(reg.ReadString(kSettings, "Mode", text));
    EXPECT_TRUE(reg.ReadString(kSettings, "Name", text));
    EXPECT_EQ(text, "Anna");
    EXPECT_FALSE(reg.ReadInt(kSettings, "Missing", number));
    EXPECT_FALSE(reg.ValueExists(kSettings, "Missing"));
    EXPECT_TRUE(reg.ValueExists(kSettings, "NAME"));
}

TEST_F(CRegistryTest, StructuresAndShortBinaryValuesReadAsLittleEndianNumbers)
{
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey(kSettings));
    const std::int32_t rect[4] = {1, -2, 300, 0x7FFFFFFF};
    ASSERT_TRUE(reg.WriteQuad(kSettings, "Frame", rect));
    ASSERT_TRUE(reg.WritePair(kSettings, "Size", 640, 480));
    const unsigned char two[2] = {0x34, 0x12};
    ASSERT_TRUE(reg.WriteBytes(kSettings, "Short", two, 2));

    std::int32_t back[4] = {};
    ASSERT_TRUE(reg.ReadQuad(kSettings, "Frame", back));
    EXPECT_EQ(std::vector<int>(back, back + 4), std::vector<int>(rect, rect + 4));
    std::int32_t w = 0;
    std::int32_t h = 0;
    ASSERT_TRUE(reg.ReadPair(kSettings, "Size", w, h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    int number = -1;
    ASSERT_TRUE(reg.ReadInt(kSettings, "Short", number));
    EXPECT_EQ(number, 0x1234);

    RECT frame;
    ASSERT_TRUE(reg.ReadRect(kSettings, "Frame", frame));
    EXPECT_EQ(CRect(frame), CRect(1, -2, 300, 0x7FFFFFFF));
    ASSERT_TRUE(reg.WritePoint(kSettings, "Corner", CPoint(-5, 6)));
    POINT corner;
    ASSERT_TRUE(reg.ReadPoint(kSettings, "Corner", corner));
    EXPECT_EQ(corner.x, -5);
    EXPECT_EQ(corner.y, 6);
    SIZE size;
    EXPECT_FALSE(reg.ReadSize(kSettings, "Missing", size));
}

TEST_F(CRegistryTest, ValuesAreCountedEnumeratedCopiedAndDeleted)
{
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey("HKLM\\Old\\Product\\2.0"));
    EXPECT_EQ(reg.CountValues("HKLM\\Old\\Product\\2.0"), 0);
    EXPECT_EQ(reg.CountValues("HKLM\\Nowhere"), -1);
    ASSERT_TRUE(reg.WriteDWord("HKLM\\Old\\Product\\2.0", "LanguageNo", 2));
    ASSERT_TRUE(reg.WriteText("HKLM\\Old\\Product\\2.0", "Default_dir", "/data"));
    ASSERT_TRUE(reg.CreateKey(kSettings));

    QStringList names;
    ASSERT_TRUE(reg.EnumerateValues("HKLM\\Old\\Product\\2.0", names));
    for (const QString& name : names)
        ASSERT_TRUE(reg.CopyValue("HKLM\\Old\\Product\\2.0", name, kSettings, name));
    std::uint32_t language = 0;
    EXPECT_TRUE(reg.ReadDWord(kSettings, "LanguageNo", language));
    EXPECT_EQ(language, 2u);
    EXPECT_EQ(reg.CountValues(kSettings), 2);

    QStringList keys;
    QStringList classes;
    ASSERT_TRUE(reg.EnumerateSubKeys("HKLM\\Old", keys, &classes));
    EXPECT_EQ(keys, QStringList{"Product"});
    EXPECT_EQ(classes.size(), 1);
    EXPECT_FALSE(reg.DeleteKey("HKLM\\Old\\Product"));
    EXPECT_TRUE(reg.DeleteKey("HKLM\\Old\\Product\\2.0"));
    EXPECT_TRUE(reg.DeleteKey("HKLM\\Old\\Product"));
    EXPECT_TRUE(reg.DeleteValue(kSettings, "languageno"));
    EXPECT_FALSE(reg.ValueExists(kSettings, "LanguageNo"));
}

TEST_F(CRegistryTest, SettingsSurviveTheProgramEnding)
{
    {
        CRegistry reg;
        ASSERT_TRUE(reg.CreateKey(kSettings));
        ASSERT_TRUE(reg.WriteString(kSettings, "Name", "Kept"));
    }
    lumivo::registry::discardRegistry();
    CRegistry reg;
    QString text;
    EXPECT_TRUE(reg.ReadString(kSettings, "Name", text));
    EXPECT_EQ(text, "Kept");
    // Without the flush option, changes reach the disk once the event loop runs.
    ASSERT_TRUE(reg.WriteString(kSettings, "Name", "Written soon"));
    EXPECT_TRUE(lumivo::registry::registry().isDirty(lumivo::registry::Root::CurrentUser));
    QCoreApplication::processEvents();
    EXPECT_FALSE(lumivo::registry::registry().isDirty(lumivo::registry::Root::CurrentUser));

    EXPECT_EQ(reg.SetFlushOption(1), 0u);
    ASSERT_TRUE(reg.WriteString(kSettings, "Name", "Flushed at once"));
    EXPECT_FALSE(lumivo::registry::registry().isDirty(lumivo::registry::Root::CurrentUser));
}

TEST_F(CRegistryTest, TheProgramsRegistryObjectWritesItsLastChangesWhenTheProgramEnds)
{
    // The program ends without its event loop running again; the registry object is destroyed with
    // the other statics and must still find the registry to write to.
    // The ending program is this test program started afresh: a forked copy would carry the threads
    // of earlier tests, and the leak checker, which cannot stop them, would take what they hold for
    // leaks. The fresh start runs this test from its beginning in folders of its own, so it learns
    // this run's settings folder from a variable that only this run sets.
    constexpr char kFolderOfTheRun[] = "LUMIVO_TEST_SETTINGS_FOLDER";
    if (!std::getenv(kFolderOfTheRun))
        ::setenv(kFolderOfTheRun, std::getenv("XDG_CONFIG_HOME"), 1);
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::setenv("XDG_CONFIG_HOME", std::getenv(kFolderOfTheRun), 1);
            theRegistry = std::make_unique<CRegistry>();
            theRegistry->CreateKey(kSettings);
            theRegistry->WriteString(kSettings, "Name", "Written at exit");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
    ::unsetenv(kFolderOfTheRun);
    lumivo::registry::discardRegistry();
    CRegistry reg;
    QString text;
    EXPECT_TRUE(reg.ReadString(kSettings, "Name", text));
    EXPECT_EQ(text, "Written at exit");
}

class PathTest : public LumivoTest
{
};

TEST_F(PathTest, ElementsAreCountedAfterTrimmingSeparators)
{
    const CRegPath path;
    EXPECT_EQ(path.CountElements("\\a\\b\\"), 2);
    EXPECT_EQ(path.CountElements(""), 0);
    EXPECT_EQ(path.CountElements("\\"), 0);
    QString element;
    EXPECT_TRUE(path.GetElement("\\a\\b\\", 1, element));
    EXPECT_EQ(element, "b");
    EXPECT_FALSE(path.GetElement("a\\b", 2, element));
    EXPECT_FALSE(path.GetElement("a\\b", -1, element));
    EXPECT_FALSE(path.GetLastElement("", element));
    EXPECT_TRUE(path.GetLastElement("a\\b\\c\\", element));
    EXPECT_EQ(element, "c");
    QString shorter = "a\\b\\c";
    EXPECT_TRUE(path.RemoveLastElement(shorter));
    EXPECT_EQ(shorter, "a\\b");
    EXPECT_EQ(path.Join("a\\", "\\b"), "a\\b");
    QString root;
    QString rest;
    path.SplitRoot("HKCU\\Software\\X", root, rest);
    EXPECT_EQ(root, "HKCU");
    EXPECT_EQ(rest, "Software\\X");
    path.SplitRoot("HKLM", root, rest);
    EXPECT_EQ(root, "HKLM");
    EXPECT_EQ(rest, "");
    EXPECT_TRUE(CRegPath::IsSamePath("A\\b", "a\\B", false));
    EXPECT_FALSE(CRegPath::IsSamePath("A\\b", "a\\B", true));
}

TEST_F(PathTest, FileNamesLoseOnlyShortExtensions)
{
    EXPECT_EQ(GetFileBaseName("/x/name.tvf"), "name");
    EXPECT_EQ(GetFileBaseName("/x/name.backup"), "name.backup");
    EXPECT_EQ(GetFileBaseName("/x/page.html"), "page.html");
    EXPECT_EQ(GetFileBaseName("/x/.hidden"), ".hidden");
    EXPECT_EQ(GetFileExtension("/x/page.html"), "html");
    EXPECT_EQ(GetFileExtension("/x.d/page"), "");
    EXPECT_EQ(StripFileExtension("/x/page.html"), "/x/page");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(StripFileExtension("/home/x.y/file"), "/home/x.y/file");
    EXPECT_FALSE(GetExeFilePath().isEmpty());
}

TEST_F(PathTest, AbbreviatedPathsKeepBothEndsAndNeverExceedTheLimit)
{
    EXPECT_EQ(AbbreviatePath("/short/path/", 30), "/short/path");
    EXPECT_EQ(AbbreviatePath("/home/anna/Documents/Lumivo/Users/anna.tvf", 30),
              "/home/anna/.../Users/anna.tvf");
    EXPECT_EQ(AbbreviatePath("/home/anna/Documents/Lumivo/Users/anna.tvf", 36),
              "/home/anna/.../Lumivo/Users/anna.tvf");
    EXPECT_EQ(AbbreviatePath("a/bb/c", 5), "a/...");
    EXPECT_EQ(AbbreviatePath("first/averyveryverylongname", 12), "first/...");
    // Every middle element fits once the dots are no longer needed.
    EXPECT_EQ(AbbreviatePath("a/b/c/d", 6), "a/...");
    // "a/.../ccc/b" would be one character too long.
    EXPECT_EQ(AbbreviatePath("a/xxxx/ccc/b", 10), "a/.../b");
    EXPECT_EQ(AbbreviatePath("a/b/c/d", 0), "");
    EXPECT_EQ(AbbreviatePath("a/b/c/d", -1), "");
    for (int limit = 10; limit < 45; ++limit)
        EXPECT_LE(AbbreviatePath("/home/anna/Documents/Lumivo/Users/x/anna.tvf", limit).size(), limit)
            << limit;
}
