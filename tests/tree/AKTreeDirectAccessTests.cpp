// The direct-access table: in use while the next ID stays at or below 99,999,
// given up for good past it (kAKWarningTreeCantUseDirectAccessNodes), look-ups
// searching the sorted nodes from then on.

#include "AKStatus.h"
#include "AKTreeSelBuilders.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

using AKTreeDirectAccess = TreeTest;

char const kDroppedLine[] = "Tree \"Test\" can't use direct-access nodes anymore";

unsigned int CountLinesWith(LogCapture const& log, std::string const& text)
{
    unsigned int count = 0;
    for (std::string const& line : log.Lines())
        count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

void ExpectEveryNodeFound(AKTree const& tree)
{
    for (AKNode* node : tree.GetNodes())
        EXPECT_EQ(tree.GetNode(node->GetID()), node) << node->GetID();
}

}  // namespace

TEST_F(AKTreeDirectAccess, LargeKeptIDTurnsTheTableOffAtLoad)
{
    // A document is editable text: one huge "ID" must not size the table.
    AKDictionary form = DicoTree({DicoItem(1, 7), DicoFolder(2000000000, {DicoItem(2)}), DicoItem(3, 40)});
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    LogCapture log;
    ASSERT_EQ(tree.InitFromDictionary(form, TreeTestDocumentType(), nullptr), 0);
    EXPECT_EQ(CountLinesWith(log, kDroppedLine), 1u);
    EXPECT_FALSE(tree.IsDirectAccessOn());
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 7, 40, 2000000000, 2000000001}));
    EXPECT_EQ(tree.GetNextNodeID(), 2000000002);
    ExpectEveryNodeFound(tree);
    EXPECT_EQ(tree.GetNode(8), nullptr);
    EXPECT_EQ(tree.GetNode(2000000002), nullptr);
    EXPECT_EQ(tree.CheckDANodesCoherency(), 0);

    // The same from a 'TREE' chunk.
    HandNodes hand;
    AKTree& fromFile = NewTree(kAKTreeOptionKeepLoadedIDs);
    log.Clear();
    ASSERT_EQ(LoadTree(fromFile, TreeChunkOf(hand.RootWithItems({2, 2000000000}))), 0);
    EXPECT_EQ(CountLinesWith(log, kDroppedLine), 1u);
    ExpectEveryNodeFound(fromFile);
}

TEST_F(AKTreeDirectAccess, LimitIsOnTheNextID)
{
    struct Case {
        AKNodeID lastID;
        bool tableOn;
    };
    for (Case c : {Case{99998, true}, Case{99999, false}}) {
        HandNodes hand;
        AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
        LogCapture log;
        ASSERT_EQ(LoadTree(tree, TreeChunkOf(hand.RootWithItems({5, c.lastID}))), 0);
        EXPECT_EQ(tree.IsDirectAccessOn(), c.tableOn) << c.lastID;
        EXPECT_EQ(CountLinesWith(log, kDroppedLine), c.tableOn ? 0u : 1u) << c.lastID;
        ExpectEveryNodeFound(tree);
    }
}

TEST_F(AKTreeDirectAccess, AddingNodesPastTheLimitTurnsItOff)
{
    HandNodes hand;
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    ASSERT_EQ(LoadTree(tree, TreeChunkOf(hand.RootWithItems({99997}))), 0);
    ASSERT_TRUE(tree.IsDirectAccessOn());

    LogCapture log;
    ATObjectArray<AKObject> objects{NewItem(1)};
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(nullptr, nullptr, tree.GetRootNode(), kAKLinkModeLastChildren, objects), 0);
    EXPECT_TRUE(tree.IsDirectAccessOn());  // next ID 99,999
    EXPECT_EQ(tree.GetNode(99998)->GetObject(), objects[0]);

    objects = ATObjectArray<AKObject>{NewItem(2), NewItem(3)};
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(nullptr, nullptr, tree.GetRootNode(), kAKLinkModeLastChildren, objects), 0);
    EXPECT_FALSE(tree.IsDirectAccessOn());
    EXPECT_EQ(CountLinesWith(log, kDroppedLine), 1u);
    EXPECT_EQ(tree.GetNextNodeID(), 100001);
    ExpectEveryNodeFound(tree);
    EXPECT_EQ(tree.GetNode(100000)->GetObject(), objects[1]);

    // Stays off, and says so once.
    objects = ATObjectArray<AKObject>{NewItem(4)};
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(nullptr, nullptr, tree.GetRootNode(), kAKLinkModeLastChildren, objects), 0);
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 99998)), 0);
    EXPECT_EQ(tree.GetNode(99998), nullptr);
    EXPECT_EQ(CountLinesWith(log, kDroppedLine), 1u);
    ExpectEveryNodeFound(tree);
}

TEST_F(AKTreeDirectAccess, NodeBeyondTheTableTurnsItOff)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1)}));
    AKTree& big = NewTree(kAKTreeOptionKeepLoadedIDs);
    HandNodes hand;
    ASSERT_EQ(LoadTree(big, TreeChunkOf(hand.RootWithItems({50}))), 0);
    LogCapture log;
    // Removing a node whose ID lies past the table's end.
    tree.UpdateDANodesWithRemovedNodes(AKNodeArray{big.GetNode(50)});
    EXPECT_FALSE(tree.IsDirectAccessOn());
    EXPECT_EQ(CountLinesWith(log, kDroppedLine), 1u);
    ExpectEveryNodeFound(tree);
    // A table once off takes nothing more.
    tree.UpdateDANodesWithAddedNodes(AKNodeArray{tree.GetNode(2)});
    EXPECT_FALSE(tree.IsDirectAccessOn());
}

TEST_F(AKTreeDirectAccess, RemovedNodesLeaveTheTable)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1), DicoItem(2), DicoItem(3)}));
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 3)), 0);
    EXPECT_TRUE(tree.IsDirectAccessOn());
    EXPECT_EQ(tree.GetNode(3), nullptr);
    EXPECT_EQ(tree.GetNextNodeID(), 5);
    ExpectEveryNodeFound(tree);
}
