// The editors' tree: letters in Danish order, names sorted under them, and a selection the editor may
// refuse.

#include "authoring/EditorTree.h"

#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

#include <vector>

using namespace lumivo::test;

namespace
{

class EditorTreeTest : public LumivoTest
{
};

QStringList letters(const QTreeWidget& tree)
{
    QStringList texts;
    for (int index = 0; index < tree.topLevelItemCount(); ++index)
        texts << tree.topLevelItem(index)->text(0);
    return texts;
}

} // namespace

TEST_F(EditorTreeTest, LettersFollowTheDanishAlphabetAndAnEmptyNameGoesUnderADash)
{
    CEditorTree tree;
    int objects[6] = {};
    const QStringList names{"æble", "Zebra", "abe", "Æg", "", "Åen"};
    for (int index = 0; index < names.size(); ++index)
        tree.addGrouped(names[index], &objects[index], false);
    EXPECT_EQ(letters(tree), (QStringList{"-", "A", "Z", "Æ", "Å"}));
    const QTreeWidgetItem* ae = tree.topLevelItem(3);
    ASSERT_EQ(ae->childCount(), 2);
    EXPECT_EQ(ae->child(0)->text(0), "æble");
    EXPECT_EQ(ae->child(1)->text(0), "Æg");
    EXPECT_EQ(tree.topLevelItem(0)->child(0)->text(0), "-");
    EXPECT_TRUE(tree.topLevelItem(1)->font(0).bold()) << "letters are bold";
    EXPECT_EQ(CEditorTree::objectOf(tree.topLevelItem(1)), nullptr);
}

TEST_F(EditorTreeTest, ARefusedSelectionKeepsTheItemThatWasCurrent)
{
    CEditorTree tree;
    int first = 0;
    int second = 0;
    tree.addGrouped("Bil", &first, true);
    tree.addGrouped("Båd", &second, false);
    int asked = 0;
    bool allow = true;
    tree.setSelectionVeto([&](QTreeWidgetItem*) {
        ++asked;
        return allow;
    });
    tree.selectSilently(&first);
    EXPECT_EQ(asked, 0) << "the program's own selection asks nothing";
    EXPECT_TRUE(tree.findItemOf(&first)->font(0).bold());
    EXPECT_FALSE(tree.findItemOf(&second)->font(0).bold());

    allow = false;
    tree.setCurrentItem(tree.findItemOf(&second));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(CEditorTree::objectOf(tree.currentItem()), &first);

    allow = true;
    tree.setCurrentItem(tree.topLevelItem(0));
    EXPECT_EQ(asked, 1) << "a letter is never asked about";
    tree.setCurrentItem(tree.findItemOf(&second));
    EXPECT_EQ(CEditorTree::objectOf(tree.currentItem()), &second);
}

TEST_F(EditorTreeTest, AWholeFillOrdersAsAddingOneByOneDoes)
{
    // The list's rebuild fills the tree at once; a name added later by a save goes in by search, so
    // both must agree, equal names keeping the order they came in.
    const QStringList names{"bus", "Bil", "", "bil", "Ørn", "ål", "Bus", "bus", "abe", "Æg", "æble", ""};
    std::vector<int> objects(std::size_t(names.size()));
    CEditorTree oneByOne;
    CEditorTree whole;
    std::vector<GroupedName> grouped;
    for (int index = 0; index < names.size(); ++index) {
        oneByOne.addGrouped(names[index], &objects[std::size_t(index)], index % 2 == 0);
        grouped.push_back({names[index], &objects[std::size_t(index)], index % 2 == 0});
    }
    whole.fillGrouped(grouped);
    std::vector<const void*> expected;
    std::vector<const void*> filled;
    oneByOne.forEachObject([&](const QString&, const void* object) { expected.push_back(object); });
    whole.forEachObject([&](const QString&, const void* object) { filled.push_back(object); });
    EXPECT_EQ(letters(whole), letters(oneByOne));
    EXPECT_EQ(filled, expected);
    EXPECT_TRUE(whole.topLevelItem(1)->child(0)->font(0).bold());
}
