// Tagged text and the sorted string array: the two ways names are kept inside and beside texts.
#include "store/SortedStringArray.h"
#include "store/TaggedText.h"
#include "tests/support/LumivoTest.h"

#include <QStringList>

using lumivo::test::LumivoTest;

namespace
{

const QChar sign(0x00A4);

QString entry(const QString& key, const QString& value)
{
    return QStringLiteral("{") + sign + key + sign + "=" + sign + value + sign + "}";
}

QStringList stringsOf(const CSortedStringArray& array)
{
    QStringList out;
    for (int i = 0; i < array.GetSize(); ++i)
        out << array.GetString(i);
    return out;
}

} // namespace

class TaggedTextTest : public LumivoTest
{
};

TEST_F(TaggedTextTest, NewEntriesGoFirstAndReplaceTheOldEntryOfTheirKey)
{
    QString text = "hello";
    CTaggedText tagged;
    tagged.Attach(&text);
    tagged.SetValue("A", "1");
    tagged.SetValue("B", "2");
    EXPECT_EQ(text, entry("B", "2") + entry("A", "1") + "hello");
    tagged.SetValue("A", "3");
    EXPECT_EQ(text, entry("A", "3") + entry("B", "2") + "hello");
    tagged.SetValue("E", "");
    QString value = "x";
    EXPECT_TRUE(tagged.GetValue("E", value));
    EXPECT_EQ(value, QString());
    EXPECT_TRUE(tagged.GetValue("B", value));
    EXPECT_EQ(value, "2");
}

TEST_F(TaggedTextTest, KeysMatchWithRegardToCaseAndNothingIsFoundWithoutTextOrKey)
{
    QString text = "x" + entry("Key", "V");
    CTaggedText tagged;
    QString value;
    EXPECT_FALSE(tagged.GetValue("Key", value));
    tagged.SetValue("Key", "ignored"); // no text attached: nothing happens
    tagged.Attach(&text);
    EXPECT_FALSE(tagged.GetValue("key", value));
    EXPECT_FALSE(tagged.GetValue("", value));
    EXPECT_TRUE(tagged.GetValue("Key", value));
    EXPECT_EQ(value, "V");
    tagged.SetValue("", "v");
    EXPECT_EQ(text, "x" + entry("Key", "V"));
}

TEST_F(TaggedTextTest, EntriesAreCountedInTextOrder)
{
    QString text = "x" + entry("K", "V") + " between " + entry("L", "W");
    CTaggedText tagged;
    tagged.Attach(&text);
    QString key;
    QString value;
    ASSERT_TRUE(tagged.GetEntry(0, key, value));
    EXPECT_EQ(key, "K");
    EXPECT_EQ(value, "V");
    ASSERT_TRUE(tagged.GetEntry(1, key, value));
    EXPECT_EQ(key, "L");
    EXPECT_EQ(value, "W");
    EXPECT_FALSE(tagged.GetEntry(2, key, value));
    EXPECT_FALSE(tagged.GetEntry(-1, key, value));
}

TEST_F(TaggedTextTest, AnUnclosedEntryRunsToTheEndOfTheText)
{
    const QString unclosed = QStringLiteral("{") + sign + "A" + sign + "=" + sign + "tail";
    QString text = "head " + unclosed;
    CTaggedText tagged;
    tagged.Attach(&text);
    QString value;
    ASSERT_TRUE(tagged.GetValue("A", value));
    EXPECT_EQ(value, "tail");
    QString key;
    ASSERT_TRUE(tagged.GetEntry(0, key, value));
    EXPECT_EQ(key, "A");
    EXPECT_EQ(value, "tail");
    // Replacing it takes the whole unclosed entry away and keeps the text before it.
    tagged.SetValue("A", "new");
    EXPECT_EQ(text, entry("A", "new") + "head ");
}

class SortedStringArrayTest : public LumivoTest
{
};

TEST_F(SortedStringArrayTest, SortsByDirectionAndCase)
{
    CSortedStringArray array;
    EXPECT_FALSE(array.Sort());
    array.AddItem("b");
    array.AddItem("a");
    array.AddItem("C");
    ASSERT_TRUE(array.Sort());
    EXPECT_EQ(stringsOf(array), (QStringList{"a", "b", "C"}));
    array.SetCaseSensitive(true);
    array.Sort();
    EXPECT_EQ(stringsOf(array), (QStringList{"C", "a", "b"}));
    array.SetCaseSensitive(false);
    array.SetAscending(false, true);
    EXPECT_EQ(stringsOf(array), (QStringList{"C", "b", "a"}));
}

TEST_F(SortedStringArrayTest, InsertsAfterEqualNamesAndAppendsToAnEmptyArray)
{
    CSortedStringArray array;
    EXPECT_EQ(array.InsertSorted("m"), 0);
    array.RemoveAll();
    array.AddItem("b");
    array.AddItem("a");
    array.AddItem("c");
    array.Sort();
    EXPECT_EQ(array.InsertSorted("B"), 2);
    EXPECT_EQ(stringsOf(array), (QStringList{"a", "b", "B", "c"}));
    EXPECT_EQ(array.InsertSorted("z"), 4);
    EXPECT_EQ(array.InsertSorted(""), 0);

    CSortedStringArray descending;
    descending.SetAscending(false);
    descending.InsertSorted("a");
    descending.InsertSorted("c");
    descending.InsertSorted("b");
    descending.InsertSorted("c");
    EXPECT_EQ(stringsOf(descending), (QStringList{"c", "c", "b", "a"}));
}

TEST_F(SortedStringArrayTest, SearchesFromAStartAndRefuseAStartOutOfRange)
{
    CSortedStringArray array;
    EXPECT_EQ(array.Find("a"), -2);
    EXPECT_EQ(array.FindPrefix("a"), -2);
    for (const char* name : {"Apple", "apricot", "banana", "apple"})
        array.AddItem(name);
    EXPECT_EQ(array.Find("APPLE"), 0);
    EXPECT_EQ(array.Find("apple", 1), 3);
    EXPECT_EQ(array.Find("cherry"), -1);
    EXPECT_EQ(array.Find("apple", 4), -2);
    EXPECT_EQ(array.Find("apple", -1), -2);
    EXPECT_EQ(array.Find(QString()), -2);
    EXPECT_EQ(array.FindPrefix(""), 0);
    EXPECT_EQ(array.FindPrefix("AP", 1), 1);
    EXPECT_EQ(array.FindPrefix("bananas"), -1);
    array.SetCaseSensitive(true);
    EXPECT_EQ(array.Find("apple"), 3);
    EXPECT_EQ(array.FindPrefix("Ap"), 0);
    EXPECT_EQ(array.FindPrefix("ap", 0), 1);
}

TEST_F(SortedStringArrayTest, EachDatumIsCarriedByOneNameOnly)
{
    int first = 1;
    int second = 2;
    CSortedStringArray array;
    array.InsertSorted("b", &first);
    array.InsertSorted("d", &second);
    // Re-adding a datum moves it to its new name; the old name goes.
    EXPECT_EQ(array.InsertSorted("e", &first), 1);
    EXPECT_EQ(stringsOf(array), (QStringList{"d", "e"}));
    EXPECT_EQ(array.GetItemData(1), &first);
    EXPECT_EQ(array.FindItemData(&second), 0);
    EXPECT_EQ(array.AddItem("a", &second), 1);
    EXPECT_EQ(stringsOf(array), (QStringList{"e", "a"}));
    EXPECT_EQ(array.InsertAt(3, "x"), -2);
    EXPECT_TRUE(array.RemoveItemData(&first));
    EXPECT_FALSE(array.RemoveItemData(&first));
    EXPECT_EQ(stringsOf(array), QStringList{"a"});
    EXPECT_EQ(array.GetItemData(5), nullptr);
}

TEST_F(SortedStringArrayTest, StoresItsNamesLikeAPlainStringArray)
{
    int datum = 1;
    CSortedStringArray array;
    array.AddItem("b", &datum);
    array.AddItem(QString::fromUtf8("æ"));
    CMemFile file;
    {
        CArchive ar(file, CArchive::store);
        array.Serialize(ar);
        ar.Close();
    }
    EXPECT_EQ(file.Detach(), QByteArray("\x02\x00\x01"
                                        "b\x01\xE6",
                                        6));
    file.Attach(QByteArray("\x02\x00\x01"
                           "b\x01\xE6",
                           6));
    CSortedStringArray back;
    back.AddItem("old");
    CArchive ar(file, CArchive::load);
    back.Serialize(ar);
    EXPECT_EQ(stringsOf(back), (QStringList{"b", QString::fromUtf8("æ")}));
    EXPECT_EQ(back.GetItemData(0), nullptr);
}
