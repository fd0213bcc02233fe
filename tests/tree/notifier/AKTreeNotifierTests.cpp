#include "TreeTestClasses.h"

#include "AKIdlingCenter.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "AKTreeNotifier.h"
#include "AKTreeSelBuilders.h"
#include "LogCapture.h"
#include "NotifierTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

typedef std::map<std::string, std::string> MoveTable;

class AKTreeNotifierTest : public NotifierTreeTest
{
protected:
    // The steps of the tree handler's actions, at the notifier's level; each
    // defers its update when a group is open.

    void Revise(AKTreeNotifier& notifier, AKTreeSel const& selection, bool inGroup)
    {
        ASSERT_EQ(notifier.UpdateObjectsStampPrepare(selection, kAKTreeActionDone | kAKTreeActionRevised, false), 0);
        notifier.UpdateObjectsStamp(inGroup);
    }
    void Delete(AKTreeNotifier& notifier, AKTree& tree, AKTreeSel const& selection, bool inGroup)
    {
        ASSERT_EQ(notifier.UpdateObjectsStampPrepare(selection, kAKTreeActionDone | kAKTreeActionDeleted, false), 0);
        ASSERT_EQ(tree.DoTreeSelDelete(selection), 0);
        notifier.UpdateObjectsStamp(inGroup);
    }
    void Create(AKTreeNotifier& notifier, AKTree& tree, AKNode* target, AKLinkMode mode, unsigned int value,
                bool inGroup)
    {
        AKTreeSel created;
        ATObjectArray<AKObject> objects;
        objects.Push(NewItem(value));
        ASSERT_EQ(tree.DoTreeSelAddNewObjects(&created, nullptr, target, mode, objects), 0);
        ASSERT_EQ(notifier.UpdateObjectsStampPrepare(created, kAKTreeActionDone | kAKTreeActionCreated, false), 0);
        notifier.UpdateObjectsStamp(inGroup);
    }
    // A move as the handler performs it: the places left are marked, the
    // nodes moved, the places reached marked; a move that changed no link
    // withdraws its own marks and moves nothing. Answers whether links changed.
    bool Move(AKTreeNotifier& notifier, AKTree& tree, AKTreeSel const& selection, AKNode* target, AKLinkMode mode,
              bool inGroup)
    {
        AKTreeNotifierMarks before;
        notifier.GrabPendingMarks(&before);
        AKNodeIDArray linksBefore;
        selection.GetNodes().GrabNodeLinkIDs(&linksBefore);
        EXPECT_EQ(notifier.UpdateObjectsStampPrepare(selection, kAKTreeActionDone | kAKTreeActionLinked, false), 0);
        AKTreeSel moved;
        EXPECT_EQ(tree.DoTreeSelMove(&moved, selection, target, mode), 0);
        EXPECT_EQ(notifier.UpdateObjectsStampPrepare(moved, kAKTreeActionDone | kAKTreeActionLinked, false), 0);
        AKNodeIDArray linksAfter;
        moved.GetNodes().GrabNodeLinkIDs(&linksAfter);
        bool const changed = !(linksBefore.StdVector() == linksAfter.StdVector());
        if (changed)
            notifier.UpdateObjectsStamp(inGroup);
        else
            notifier.UpdateObjectsStampCancel(before);
        return changed;
    }
};

// --- The rules, action by action and group by group ---

TEST_F(AKTreeNotifierTest, EachStampMovesOncePerActionOrGroup)
{
    struct Case {
        char const* what;
        std::function<void(AKTreeNotifier&, AKTree&)> run;
        MoveTable expected;
    };
    Case const cases[] = {
        {"revising an object three levels below the root",
         [this](AKTreeNotifier& n, AKTree& tree) { Revise(n, AKTreeSelWithNode(&tree, N(tree, "1")), false); },
         {{"1", "10000"}, {"B", "01100"}, {"A", "00100"}, {"root", "00100"}}},
        {"revising the root",
         [this](AKTreeNotifier& n, AKTree& tree) { Revise(n, AKTreeSelWithNode(&tree, tree.GetRootNode()), false); },
         {{"root", "10000"}}},
        {"revising nodes of two branches in one action",
         [this](AKTreeNotifier& n, AKTree& tree) {
             Revise(n, AKTreeSelWithNodes(&tree, NodesOf({N(tree, "2"), N(tree, "3"), N(tree, "4")})), false);
         },
         {{"2", "10000"},
          {"3", "10000"},
          {"4", "10000"},
          {"B", "01100"},
          {"C", "01100"},
          {"D", "01100"},
          {"A", "00100"},
          {"root", "00100"}}},
        {"deleting two siblings",
         [this](AKTreeNotifier& n, AKTree& tree) {
             Delete(n, tree, AKTreeSelWithNodes(&tree, NodesOf({N(tree, "1"), N(tree, "2")})), false);
         },
         {{"B", "00011"}, {"A", "00001"}, {"root", "00001"}}},
        {"creating a node",
         [this](AKTreeNotifier& n, AKTree& tree) { Create(n, tree, N(tree, "C"), kAKLinkModeLastChildren, 7, false); },
         {{"C", "00011"}, {"A", "00001"}, {"root", "00001"}}},
        {"moving nodes taken from two parents",
         [this](AKTreeNotifier& n, AKTree& tree) {
             AKTreeSel selection = AKTreeSelWithNodes(&tree, NodesOf({N(tree, "1"), N(tree, "3")}));
             ASSERT_FALSE(selection.HasUniqueCommonParent());
             EXPECT_TRUE(Move(n, tree, selection, N(tree, "D"), kAKLinkModeLastChildren, false));
         },
         {{"B", "00011"}, {"C", "00011"}, {"A", "00001"}, {"D", "00011"}, {"root", "00001"}}},
        {"two revisions of one object in a group",
         [this](AKTreeNotifier& n, AKTree& tree) {
             auto before = StampsOfTree(tree);
             Revise(n, AKTreeSelWithNode(&tree, N(tree, "1")), true);
             Revise(n, AKTreeSelWithNode(&tree, N(tree, "1")), true);
             EXPECT_TRUE(Moves(before, tree).empty()) << "nothing moves before the group ends";
             n.UpdateObjectsStamp(false);
         },
         {{"1", "10000"}, {"B", "01100"}, {"A", "00100"}, {"root", "00100"}}},
        {"a group of revisions, a deletion, a creation and a move",
         [this](AKTreeNotifier& n, AKTree& tree) {
             Revise(n, AKTreeSelWithNode(&tree, N(tree, "1")), true);
             Revise(n, AKTreeSelWithNode(&tree, N(tree, "2")), true);
             Revise(n, AKTreeSelWithNode(&tree, N(tree, "3")), true);
             Delete(n, tree, AKTreeSelWithNode(&tree, N(tree, "5")), true);
             Create(n, tree, N(tree, "D"), kAKLinkModeFirstChildren, 6, true);
             Create(n, tree, N(tree, "D"), kAKLinkModeLastChildren, 7, true);
             EXPECT_TRUE(
                 Move(n, tree, AKTreeSelWithNode(&tree, N(tree, "4")), N(tree, "B"), kAKLinkModeFirstChildren, true));
             n.UpdateObjectsStamp(false);
         },
         {{"1", "10000"},
          {"2", "10000"},
          {"3", "10000"},
          {"B", "01111"},
          {"C", "01100"},
          {"A", "00101"},
          {"D", "00011"},
          {"root", "00111"}}},
        {"a prepare with the done bit alone",
         [this](AKTreeNotifier& n, AKTree& tree) {
             EXPECT_EQ(n.UpdateObjectsStampPrepare(AKTreeSelWithNode(&tree, N(tree, "1")), kAKTreeActionDone, false),
                       0);
             EXPECT_FALSE(n.HasPendingMarks());
             EXPECT_FALSE(AnyObjectMarked(tree));
             n.UpdateObjectsStamp(false);
         },
         {}},
        {"an update with nothing pending", [](AKTreeNotifier& n, AKTree&) { n.UpdateObjectsStamp(false); }, {}},
    };

    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTree& tree = NewFourLevelTree();
        AKTreeNotifier notifier(&tree);
        auto before = StampsOfTree(tree);
        c.run(notifier, tree);
        EXPECT_EQ(Moves(before, tree), c.expected);
        EXPECT_FALSE(notifier.HasPendingMarks());
        EXPECT_EQ(notifier.CheckObjectsFlags(), 0);
    }
}

TEST_F(AKTreeNotifierTest, MarksStopAtTheFirstAncestorMarkedAlready)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    AKObject* root = tree.GetRootNode()->GetObject();
    ASSERT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSelWithNode(&tree, N(tree, "1")), kAKTreeActionRevised, false),
              0);
    // With the root's mark taken away by hand, a second revision in the same
    // branch stops at A, which has its mark already, and leaves the root alone.
    root->ClearFlags(kAKObjectFlagMarkFarSubRevised);
    ASSERT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSelWithNode(&tree, N(tree, "3")), kAKTreeActionRevised, false),
              0);
    EXPECT_TRUE(N(tree, "C")->GetObject()->HasFlags(kAKObjectFlagMarkSubRevised | kAKObjectFlagMarkFarSubRevised));
    EXPECT_FALSE(root->HasFlags(kAKObjectFlagMarkFarSubRevised));
    EXPECT_TRUE(root->HasFlags(kAKObjectFlagStampsPending));
    notifier.UpdateObjectsStamp(false);
    EXPECT_EQ(notifier.CheckObjectsFlags(), 0);
}

// --- A move that changes nothing ---

TEST_F(AKTreeNotifierTest, MoveThatChangesNothingKeepsTheMarksOfEarlierSteps)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    auto before = StampsOfTree(tree);

    // One group: a revision under B, a creation under C, then a move that
    // puts item 3 back where it is (first child of C).
    Revise(notifier, AKTreeSelWithNode(&tree, N(tree, "1")), true);
    Create(notifier, tree, N(tree, "C"), kAKLinkModeLastChildren, 8, true);
    EXPECT_FALSE(
        Move(notifier, tree, AKTreeSelWithNode(&tree, N(tree, "3")), N(tree, "C"), kAKLinkModeFirstChildren, true));
    EXPECT_TRUE(notifier.HasPendingMarks());
    notifier.UpdateObjectsStamp(false);

    EXPECT_EQ(Moves(before, tree),
              (MoveTable{{"1", "10000"}, {"B", "01100"}, {"C", "00011"}, {"A", "00101"}, {"root", "00101"}}));
    EXPECT_EQ(notifier.CheckObjectsFlags(), 0);
}

TEST_F(AKTreeNotifierTest, MoveThatChangesNothingMovesNoStamp)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    auto before = StampsOfTree(tree);
    for (bool inGroup : {false, true}) {
        SCOPED_TRACE(inGroup ? "in a group" : "alone");
        EXPECT_FALSE(
            Move(notifier, tree, AKTreeSelWithNode(&tree, N(tree, "2")), N(tree, "1"), kAKLinkModeAfter, inGroup));
        EXPECT_FALSE(notifier.HasPendingMarks());
        EXPECT_FALSE(AnyObjectMarked(tree));
        notifier.UpdateObjectsStamp(false);
        EXPECT_TRUE(Moves(before, tree).empty());
    }
}

TEST_F(AKTreeNotifierTest, CancelWithoutSavedMarksClearsEveryMark)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    auto before = StampsOfTree(tree);
    Revise(notifier, AKTreeSelWithNode(&tree, N(tree, "1")), true);
    ASSERT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSelWithNode(&tree, N(tree, "4")), kAKTreeActionLinked, false),
              0);
    notifier.UpdateObjectsStampCancel();
    EXPECT_FALSE(notifier.HasPendingMarks());
    EXPECT_FALSE(AnyObjectMarked(tree));
    notifier.UpdateObjectsStamp(false);
    EXPECT_TRUE(Moves(before, tree).empty());
}

TEST_F(AKTreeNotifierTest, GrabbedMarksListTheMarkedNodesInTreeOrder)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    AKTreeNotifierMarks marks;
    notifier.GrabPendingMarks(&marks);
    EXPECT_TRUE(marks.IsEmpty());

    Revise(notifier, AKTreeSelWithNode(&tree, N(tree, "3")), true);
    notifier.GrabPendingMarks(&marks);
    std::vector<std::pair<std::string, unsigned int>> listed;
    for (AKTreeNotifierMarks::Entry const& entry : marks.GetEntries())
        listed.emplace_back(NameOf(entry.fNodeID), entry.fMarks);
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, unsigned int>>{
                          {"root", kAKObjectFlagMarkFarSubRevised},
                          {"A", kAKObjectFlagMarkFarSubRevised},
                          {"C", kAKObjectFlagMarkSubRevised | kAKObjectFlagMarkFarSubRevised},
                          {"3", kAKObjectFlagMarkRevised}}));
    notifier.UpdateObjectsStamp(false);
}

// --- Refusals and the coherency check ---

TEST_F(AKTreeNotifierTest, PrepareRefusesEmptyAndForeignSelectionsBeforeMarking)
{
    AKTree& tree = NewFourLevelTree();
    AKTree& other = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    LogCapture log;

    EXPECT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSel(&tree), kAKTreeActionRevised, false),
              kAKErrorTreeHandlerEmptyTreeSel);
    EXPECT_EQ(notifier.UpdateObjectsStampPrepare(kAKNullTreeSel, kAKTreeActionRevised, false),
              kAKErrorTreeHandlerEmptyTreeSel);
    EXPECT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSelWithNode(&other, other.GetRootNode()->GetSub()),
                                                 kAKTreeActionRevised | kAKTreeActionLinked, false),
              kAKErrorTreeHandlerBadTreeOwner);
    EXPECT_FALSE(AnyObjectMarked(tree));
    EXPECT_FALSE(AnyObjectMarked(other));
    EXPECT_FALSE(notifier.HasPendingMarks());
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST_F(AKTreeNotifierTest, CheckObjectsFlagsReportsLeftoverMarks)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    EXPECT_EQ(notifier.CheckObjectsFlags(), 0);

    ASSERT_EQ(notifier.UpdateObjectsStampPrepare(AKTreeSelWithNode(&tree, N(tree, "4")), kAKTreeActionRevised, false),
              0);
    {
        LogCapture log;
        EXPECT_EQ(notifier.CheckObjectsFlags(), kAKErrorTreeBadCoherency);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find("Tree \"Test\" bad coherency (Still temporary flags in object)"),
                  std::string::npos)
            << log.Lines()[0];
    }
    notifier.UpdateObjectsStamp(false);
    EXPECT_EQ(notifier.CheckObjectsFlags(), 0);
}

TEST_F(AKTreeNotifierTest, TreesWithoutRootAndNotifiersWithoutTreeDoNothing)
{
    AKTree& empty = NewTree(kAKTreeOptionDeferredDelete, false);
    AKNode* orphan = nullptr;
    for (AKTreeNotifier* notifier : {new AKTreeNotifier(&empty), new AKTreeNotifier(nullptr)}) {
        notifier->UpdateObjectsStamp(false);
        notifier->UpdateObjectsStampCancel();
        notifier->UpdateObjectsStampCancel(AKTreeNotifierMarks());
        EXPECT_FALSE(notifier->HasPendingMarks());
        EXPECT_EQ(notifier->CheckObjectsFlags(), 0);
        notifier->SendMessageToAllObjects(AKMessage(1, 2));
        notifier->SendMessageToObjectChildren(orphan, AKMessage(1, 2));
        notifier->DoIdling();
        EXPECT_TRUE(notifier->GetIdlingList().IsEmpty());
        delete notifier;
    }
    EXPECT_TRUE(ProbeMessageLog().empty());
}

// --- Messages ---

TEST_F(AKTreeNotifierTest, MessagesWalkDepthFirstInSiblingOrder)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    auto names = [&] {
        std::vector<std::string> heard;
        for (AKNodeID nodeID : ProbeMessageLog())
            heard.push_back(NameOf(nodeID));
        ProbeMessageLog().clear();
        return heard;
    };

    // The root's folder does not listen; every probe does.
    notifier.SendMessageToAllObjects(AKMessage(7, 0));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "1", "2", "C", "3", "D", "4", "5"}));

    notifier.SendMessageToObjectChildren(N(tree, "A"), AKMessage(7, 0));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "1", "2", "C", "3"}));
    notifier.SendMessageToObjectChildren(N(tree, "D")->GetObject(), AKMessage(7, 0));
    EXPECT_EQ(names(), (std::vector<std::string>{"D", "4"}));

    AKObject* nullObject = nullptr;
    AKNode* nullNode = nullptr;
    notifier.SendMessageToObjectChildren(nullObject, AKMessage(7, 0));
    notifier.SendMessageToObjectChildren(nullNode, AKMessage(7, 0));
    TestProbeItem* detached = AKNew<TestProbeItem>("%s", "");
    ASSERT_NE(detached, nullptr);
    notifier.SendMessageToObjectChildren(detached, AKMessage(7, 0));
    AKClass::DeleteObject(detached);
    EXPECT_TRUE(names().empty());
}

// --- Idling ---

int IdleCountOf(AKNode const* node)
{
    if (auto const* nest = dynamic_cast<TestNest const*>(node->GetObject()))
        return nest->fIdleCount;
    if (auto const* item = dynamic_cast<TestProbeItem const*>(node->GetObject()))
        return item->fIdleCount;
    return -1;
}

TEST_F(AKTreeNotifierTest, IdlePassesReachTheObjectsThatAskAndDropDeletedOnes)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    AKObject* root = tree.GetRootNode()->GetObject();

    ASSERT_EQ(N(tree, "2")->GetObject()->akmSetIdling(true), 0);
    ASSERT_EQ(N(tree, "C")->GetObject()->akmSetIdling(true), 0);
    EXPECT_TRUE(root->HasFlags(kAKObjectFlagIdlingListChanged));

    notifier.DoIdling();
    EXPECT_FALSE(root->HasFlags(kAKObjectFlagIdlingListChanged));
    EXPECT_EQ(notifier.GetIdlingList().StdVector(),
              (std::vector<AKNodeID>{N(tree, "2")->GetID(), N(tree, "C")->GetID()}));
    notifier.DoIdling();
    EXPECT_EQ(IdleCountOf(N(tree, "2")), 2);
    EXPECT_EQ(IdleCountOf(N(tree, "C")), 2);
    EXPECT_EQ(IdleCountOf(N(tree, "1")), 0);

    // Deleting C (with item 3) leaves its ID in the list: the next pass
    // skips it and asks for a rebuild, the one after drops it.
    AKNodeID const goneID = N(tree, "C")->GetID();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNode(&tree, N(tree, "C"))), 0);
    notifier.DoIdling();
    EXPECT_TRUE(root->HasFlags(kAKObjectFlagIdlingListChanged));
    EXPECT_EQ(IdleCountOf(N(tree, "2")), 3);
    notifier.DoIdling();
    EXPECT_EQ(notifier.GetIdlingList().StdVector(), (std::vector<AKNodeID>{N(tree, "2")->GetID()}));
    EXPECT_FALSE(root->HasFlags(kAKObjectFlagIdlingListChanged));
    EXPECT_EQ(IdleCountOf(N(tree, "2")), 4);
    EXPECT_EQ(tree.GetNode(goneID), nullptr);

    // Turning idling off rebuilds the list on the next pass.
    ASSERT_EQ(N(tree, "2")->GetObject()->akmSetIdling(false), 0);
    notifier.DoIdling();
    EXPECT_TRUE(notifier.GetIdlingList().IsEmpty());
    EXPECT_EQ(IdleCountOf(N(tree, "2")), 4);
}

TEST_F(AKTreeNotifierTest, AnObjectOutsideATreeGetsNoIdleTime)
{
    AKTree& tree = NewFourLevelTree();
    AKTreeNotifier notifier(&tree);
    TestProbeItem* loose = AKNew<TestProbeItem>("%s", "");
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->akmSetIdling(true), -1);
    EXPECT_FALSE(loose->HasFlags(kAKObjectFlagIdling));
    notifier.DoIdling();
    EXPECT_TRUE(notifier.GetIdlingList().IsEmpty());
    EXPECT_EQ(loose->fIdleCount, 0);
    AKClass::DeleteObject(loose);
}

TEST_F(AKTreeNotifierTest, RegisteredNotifierIdlesWithTheCentreUntilDestroyed)
{
    AKTree& tree = NewFourLevelTree();
    ASSERT_EQ(N(tree, "4")->GetObject()->akmSetIdling(true), 0);
    {
        AKTreeNotifier notifier(&tree);
        EXPECT_FALSE(notifier.IsIdlingRegistered());
        AKIdlingCenter::sShared.DoGlobalIdling();
        EXPECT_EQ(IdleCountOf(N(tree, "4")), 0);
        notifier.GiveMeIdling(true);
        AKIdlingCenter::sShared.DoGlobalIdling();
        EXPECT_EQ(IdleCountOf(N(tree, "4")), 1);
    }
    // The destroyed notifier left the centre.
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(IdleCountOf(N(tree, "4")), 1);
}

}  // namespace
