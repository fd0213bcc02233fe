// Disposing of removed subtrees: immediate or deferred deletion, the
// deletion queue on idle passes, and the tree's destruction.

#include "AKStatus.h"
#include "AKTreeSelBuilders.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

using AKTreeDeletion = TreeTest;

// root { folder (ID 2, value 0) { item 21 (ID 3), item 22 (ID 4) }, item 30 (ID 5) }
AKDictionary FolderAndItem() { return DicoTree({DicoFolder(0, {DicoItem(21), DicoItem(22)}), DicoItem(30)}); }

void IdlePass() { AKIdlingCenter::sShared.DoGlobalIdling(); }

std::vector<unsigned int> DeletedSince(size_t mark)
{
    std::vector<unsigned int> const& all = TestItem::DeletedValues();
    return std::vector<unsigned int>(all.begin() + static_cast<long>(mark), all.end());
}

}  // namespace

TEST_F(AKTreeDeletion, WithoutDeferralObjectsGoAtOnceEachBeforeItsChildren)
{
    // The subtree is unlinked by hand; its nodes stay in the tree without
    // objects, for the selection deletion to remove: the tree is left unchecked.
    AKTree& tree = NewTree(0, false);
    ASSERT_EQ(tree.InitFromDictionary(FolderAndItem(), TreeTestDocumentType(), nullptr), 0);
    AKNode* folder = tree.GetNode(2);
    folder->Unlink();
    size_t mark = TestItem::DeletedValues().size();
    tree.rDoTreeSelDelete(folder);
    EXPECT_EQ(DeletedSince(mark), (std::vector<unsigned int>{21, 22}));
    EXPECT_EQ(folder->GetObject(), nullptr);
    EXPECT_EQ(tree.GetNode(3)->GetObject(), nullptr);
    EXPECT_EQ(tree.GetNode(5)->GetObject()->GetClass(), TestItem::_Class());
    EXPECT_EQ(tree.CountQueuedObjects(), 0u);
    EXPECT_FALSE(tree.IsIdlingRegistered());
    EXPECT_EQ(tree.CountNodes(), 5u);
}

TEST_F(AKTreeDeletion, DeferredObjectsAreFlaggedAndQueued)
{
    AKTree& tree = NewTreeFromDico(FolderAndItem());
    AKObject* item = tree.GetNode(3)->GetObject();
    size_t mark = TestItem::DeletedValues().size();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 2)), 0);
    EXPECT_TRUE(DeletedSince(mark).empty());
    EXPECT_EQ(tree.CountQueuedObjects(), 3u);
    EXPECT_TRUE(item->HasFlags(kAKObjectFlagDeleted));
    EXPECT_EQ(item->GetNodeOwner(), nullptr);
    EXPECT_EQ(item->GetContext(), nullptr);
    EXPECT_TRUE(tree.IsIdlingRegistered());
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 5}));
}

TEST_F(AKTreeDeletion, ObjectAskingForDeferralIsQueuedInAnyTree)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoItem(1)}), 0);
    ATObjectArray<AKObject> objects{NewOptionItem(kAKObjectOptionDeferDelete, 77), NewItem(78)};
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(nullptr, nullptr, tree.GetRootNode(), kAKLinkModeLastChildren, objects), 0);
    size_t mark = TestItem::DeletedValues().size();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeIDs(&tree, AKNodeIDArray{3, 4})), 0);
    EXPECT_EQ(DeletedSince(mark), (std::vector<unsigned int>{78}));
    EXPECT_EQ(tree.CountQueuedObjects(), 1u);
    EXPECT_TRUE(objects[0]->HasFlags(kAKObjectFlagDeleted));
}

TEST_F(AKTreeDeletion, UnheldObjectIsDeletedOnTheEighthIdlePass)
{
    AKTree& tree = NewTreeFromDico(FolderAndItem());
    size_t mark = TestItem::DeletedValues().size();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 5)), 0);
    for (int pass = 1; pass <= 7; ++pass) {
        IdlePass();
        EXPECT_TRUE(DeletedSince(mark).empty()) << pass;
    }
    EXPECT_TRUE(tree.IsIdlingRegistered());
    IdlePass();
    EXPECT_EQ(DeletedSince(mark), (std::vector<unsigned int>{30}));
    EXPECT_EQ(tree.CountQueuedObjects(), 0u);
    // An empty queue ends the idle passes.
    EXPECT_FALSE(tree.IsIdlingRegistered());
}

TEST_F(AKTreeDeletion, HeldObjectWaitsWithoutCountingDown)
{
    AKTree& tree = NewTreeFromDico(FolderAndItem());
    AKObject* item = tree.GetNode(5)->GetObject();
    item->HoldRetain();
    size_t mark = TestItem::DeletedValues().size();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 5)), 0);
    for (int pass = 0; pass < 20; ++pass)
        IdlePass();
    EXPECT_TRUE(DeletedSince(mark).empty());
    EXPECT_EQ(tree.CountQueuedObjects(), 1u);

    item->HoldRelease();
    for (int pass = 1; pass <= 7; ++pass)
        IdlePass();
    EXPECT_TRUE(DeletedSince(mark).empty());
    IdlePass();
    EXPECT_EQ(DeletedSince(mark), (std::vector<unsigned int>{30}));
    EXPECT_FALSE(tree.IsIdlingRegistered());
}

TEST_F(AKTreeDeletion, DestroyingTheTreeDeletesEverythingHeldOrNot)
{
    int liveBefore = TestItem::LiveCount();
    AKObject* held = nullptr;
    LogCapture log;
    {
        AKTree tree(kAKTreeOptionDeferredDelete);
        ASSERT_EQ(tree.InitFromDictionary(FolderAndItem(), TreeTestDocumentType(), nullptr), 0);
        held = tree.GetNode(3)->GetObject();
        held->HoldRetain();
        ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodeID(&tree, 2)), 0);
        EXPECT_EQ(tree.CountQueuedObjects(), 3u);
        EXPECT_EQ(TestItem::LiveCount(), liveBefore + 3);
    }
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    // The owner stops the audio use first: a hold left over is reported.
    EXPECT_FALSE(LineWith(log.Lines(), "with its hold-count to 1").empty());
    // Idle passes after the tree is gone find nothing of it.
    IdlePass();
}
