// The tree's coherency check: every reason, the order in which conditions
// are tested, and crafted links that would make a walk from the root cycle.

#include "AKStatus.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using AKTreeCoherency = TreeTest;

char const kNotSorted[] = " (Nodes are not sorted by ID or contains duplicates)";
char const kTopRoot[] = " (Top-root ID is not equal to 1)";
char const kLinks[] = " (Can't link correctly nodes)";
char const kCount[] = " (Bad nodes count)";
char const kOwner[] = " (Some objects don't have the well tree-owner)";
char const kNextID[] = " (Bad current nodeID)";
char const kDASynchro[] = " (Bad synchro with direct-access nodes)";
char const kDACount[] = " (Bad count of direct-access nodes)";
char const kAutho[] = " (Some objects are not authorized by their parent)";

// The message of the only kAKErrorTreeBadCoherency line logged (without the
// line's prefix and final period), "" when there is none or several.
std::string CoherencyLine(LogCapture const& log)
{
    std::string found;
    int count = 0;
    for (std::string const& line : log.Lines()) {
        if (line.find("Error -698") == std::string::npos)
            continue;
        ++count;
        size_t begin = line.find("): ");
        size_t end = line.rfind(".\n");
        if (begin != std::string::npos && end != std::string::npos && end > begin)
            found = line.substr(begin + 3, end - begin - 3);
    }
    return count == 1 ? found : std::string();
}

std::string Expected(char const* reason) { return std::string("Tree \"Test\" bad coherency") + reason; }

// Crafted node lists, loaded with their IDs kept.
struct FileCase {
    char const* what;
    std::function<AKNodeArray(HandNodes&)> make;
    char const* reason;
};

}  // namespace

TEST_F(AKTreeCoherency, EachLoadedFaultGivesItsReason)
{
    std::vector<FileCase> cases = {
        {"duplicate IDs",
         [](HandNodes& h) {
             return h.RootWithItems({5, 5});
         },
         kNotSorted},
        {"root not at 1",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({5});
             nodes[0]->SetID(2);
             nodes[1]->SetSupID(2);
             return nodes;
         },
         kTopRoot},
        {"link to a missing node",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({2, 3});
             nodes[2]->SetNextID(7);
             return nodes;
         },
         kLinks},
        {"root with a parent",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({});
             AKNode* item = h.Item(2, 2);
             nodes.Push(item);
             nodes[0]->SetSupID(2);
             item->SetSubID(1);
             return nodes;
         },
         kLinks},
        {"orphan node",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({2});
             nodes.Push(h.Item(3, 3));
             return nodes;
         },
         kCount},
    };
    for (FileCase const& c : cases) {
        HandNodes hand;
        AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
        LogCapture log;
        EXPECT_EQ(LoadTree(tree, TreeChunkOf(c.make(hand))), kAKErrorTreeBadCoherency) << c.what;
        EXPECT_EQ(CoherencyLine(log), Expected(c.reason)) << c.what;
        EXPECT_EQ(tree.CountNodes(), 0u) << c.what;
    }
}

TEST_F(AKTreeCoherency, RootWithBrothersClosingACycleIsRefused)
{
    // root { 2, 3 } with 3's next being the root again and the root's prev
    // being 3: every pointer agrees with its partner, yet a walk from the
    // root through its children would come back to it for ever.
    auto make = [](HandNodes& hand) {
        AKNodeArray nodes = hand.RootWithItems({2, 3});
        nodes[0]->SetPrevID(3);
        nodes[2]->SetNextID(1);
        return nodes;
    };
    for (unsigned int options : {0u, kAKTreeOptionKeepLoadedIDs}) {
        HandNodes hand;
        AKTree& tree = NewTree(options);
        LogCapture log;
        EXPECT_EQ(LoadTree(tree, TreeChunkOf(make(hand))), kAKErrorTreeBadCoherency);
        EXPECT_EQ(CoherencyLine(log), Expected(kLinks));
        EXPECT_EQ(tree.CountNodes(), 0u);
    }
    // A root with a next brother only.
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({2});
    AKNode* brother = hand.Item(3, 3);
    nodes[0]->SetNextID(3);
    brother->SetPrevID(1);
    nodes.Push(brother);
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    LogCapture log;
    EXPECT_EQ(LoadTree(tree, TreeChunkOf(nodes)), kAKErrorTreeBadCoherency);
    EXPECT_EQ(CoherencyLine(log), Expected(kLinks));
}

TEST_F(AKTreeCoherency, EarlierConditionsAreReportedFirst)
{
    std::vector<FileCase> cases = {
        {"duplicates and root at 2",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({5, 5});
             nodes[0]->SetID(2);
             return nodes;
         },
         kNotSorted},
        {"root at 2 and a bad link",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({5});
             nodes[0]->SetID(2);
             return nodes;
         },
         kTopRoot},
        {"bad link and an orphan",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({2});
             nodes[1]->SetNextID(9);
             nodes.Push(h.Item(3, 3));
             return nodes;
         },
         kLinks},
        {"orphan and a child refused by its parent",
         [](HandNodes& h) {
             AKNodeArray nodes = h.RootWithItems({2});
             nodes[1]->Link(h.Item(3, 3), kAKLinkModeFirstChildren);
             nodes.Push(nodes[1]->GetSub());
             nodes.Push(h.Item(4, 4));
             return nodes;
         },
         kCount},
    };
    for (FileCase const& c : cases) {
        HandNodes hand;
        AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
        LogCapture log;
        EXPECT_EQ(LoadTree(tree, TreeChunkOf(c.make(hand))), kAKErrorTreeBadCoherency) << c.what;
        EXPECT_EQ(CoherencyLine(log), Expected(c.reason)) << c.what;
    }
}

TEST_F(AKTreeCoherency, ObjectOfAnotherContext)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1), DicoItem(2)}));
    AKObject* object = tree.GetNode(3)->GetObject();
    AKContextObject other(nullptr);
    object->_SetContext(&other);
    LogCapture log;
    EXPECT_EQ(tree.CheckTreeCoherency(), kAKErrorTreeBadCoherency);
    EXPECT_EQ(CoherencyLine(log), Expected(kOwner));
    object->_SetContext(tree.GetContextObject());
}

TEST_F(AKTreeCoherency, NodeIDNotBelowTheNextID)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1)}));
    AKNode* item = tree.GetNode(2);
    // Renamed consistently on both sides of its link: only the next ID is wrong.
    item->SetID(7);
    tree.GetRootNode()->SetSubID(7);
    LogCapture log;
    EXPECT_EQ(tree.CheckTreeCoherency(), kAKErrorTreeBadCoherency);
    EXPECT_EQ(CoherencyLine(log), Expected(kNextID));
    item->SetID(2);
    tree.GetRootNode()->SetSubID(2);
}

TEST_F(AKTreeCoherency, DirectAccessTableOutOfStep)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1), DicoItem(2)}));
    AKNode* item = tree.GetNode(2);
    {
        tree.UpdateDANodesWithRemovedNodes(AKNodeArray{item});
        LogCapture log;
        EXPECT_EQ(tree.CheckTreeCoherency(), kAKErrorTreeBadCoherency);
        EXPECT_EQ(CoherencyLine(log), Expected(kDASynchro));
        EXPECT_EQ(tree.CheckDANodesCoherency(), kAKErrorTreeBadCoherency);
        tree.UpdateDANodesWithAddedNodes(AKNodeArray{item});
    }
    {
        // An entry for a node the tree does not hold, at a free ID.
        AKTree& other = NewTreeFromDico(DicoTree({DicoItem(1), DicoItem(2), DicoItem(3)}));
        ASSERT_EQ(tree.SetupPreferedNextNodeID(5), 0);
        AKNode* stranger = other.GetNode(4);
        tree.UpdateDANodesWithAddedNodes(AKNodeArray{stranger});
        LogCapture log;
        EXPECT_EQ(tree.CheckTreeCoherency(), kAKErrorTreeBadCoherency);
        EXPECT_EQ(CoherencyLine(log), Expected(kDACount));
        tree.UpdateDANodesWithRemovedNodes(AKNodeArray{stranger});
    }
    EXPECT_EQ(tree.CheckDANodesCoherencyDebug(), 0);
}

TEST_F(AKTreeCoherency, ChildRefusedByItsParent)
{
    // Folders take items, items take nothing.
    AKTree& good = NewTreeFromDico(DicoTree({DicoFolder(0, {DicoItem(1)})}));
    EXPECT_EQ(good.CheckAuthoChildClasses(), 0);
    for (AKDictionary const& form :
         {DicoTree({DicoItem(1, 0, {DicoItem(2)})}), DicoTree({DicoFolder(0, {DicoFolder(0, {})})})}) {
        AKTree& tree = NewTree();
        LogCapture log;
        EXPECT_EQ(tree.InitFromDictionary(form, TreeTestDocumentType(), nullptr), kAKErrorTreeBadCoherency);
        EXPECT_EQ(CoherencyLine(log), Expected(kAutho));
    }
    EXPECT_EQ(good.CheckAuthoChildClassesDebug(), 0);
    EXPECT_EQ(good.CheckTreeCoherencyDebug(), 0);
}
