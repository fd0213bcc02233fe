// The tree: construction, the default initialisation, refusing a second
// initialisation, the preferred next ID, look-ups and object queries.

#include "AKContextObject.h"
#include "AKStatus.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

// A context that counts its deletions.
class CountedContext : public AKContextObject
{
public:
    CountedContext(AKTree const* tree, int* deletions) : AKContextObject(tree), fDeletions(deletions) {}
    ~CountedContext() override { ++*fDeletions; }

private:
    int* fDeletions;
};

// root { item 10 (ID 2) { }, folder (ID 3) { item 20 (ID 4), sub item 30 (ID 5) } }
AKDictionary SmallTreeDico()
{
    return DicoTree({DicoItem(10), DicoFolder(0, {DicoItem(20), DicoNode("tstSub", 30, 0, {})})});
}

using AKTreeBasics = TreeTest;

}  // namespace

TEST_F(AKTreeBasics, NewTreeIsEmptyAndCoherent)
{
    AKTree& tree = NewTree();
    EXPECT_EQ(tree.CountNodes(), 0u);
    EXPECT_EQ(tree.GetNextNodeID(), 0);
    EXPECT_EQ(tree.GetRootNode(), nullptr);
    EXPECT_EQ(tree.GetNode(1), nullptr);
    EXPECT_FALSE(tree.IsDirectAccessOn());
    EXPECT_EQ(tree.GetContextObject()->GetTree(), &tree);
    EXPECT_EQ(tree.GetTreeNState().GetTree(), &tree);
    EXPECT_EQ(tree.CheckTreeCoherency(), 0);
}

TEST_F(AKTreeBasics, OptionBits)
{
    AKTree& none = NewTree(0);
    EXPECT_FALSE(none.IsReadOnly() || none.IsDeferredDeletion() || none.HasIDsInDictionaries() ||
                 none.KeepsLoadedIDs());
    AKTree& readOnly = NewTree(kAKTreeOptionReadOnly | kAKTreeOptionDeferredDelete);
    EXPECT_TRUE(readOnly.IsReadOnly() && readOnly.IsDeferredDeletion());
    AKTree& withIDs = NewTree(kAKTreeOptionDictionaryIDs);
    EXPECT_TRUE(withIDs.HasIDsInDictionaries());
    EXPECT_FALSE(withIDs.KeepsLoadedIDs());
    // Keeping loaded IDs writes them as well.
    AKTree& keep = NewTree(kAKTreeOptionKeepLoadedIDs);
    EXPECT_TRUE(keep.HasIDsInDictionaries() && keep.KeepsLoadedIDs());
}

TEST_F(AKTreeBasics, DefaultTreeHoldsOnlyItsRoot)
{
    AKTree& tree = NewDefaultTree();
    ASSERT_EQ(tree.CountNodes(), 1u);
    AKNode* root = tree.GetRootNode();
    EXPECT_EQ(root->GetID(), 1);
    EXPECT_EQ(tree.GetNextNodeID(), 2);
    EXPECT_TRUE(tree.IsDirectAccessOn());
    EXPECT_EQ(tree.GetNode(1), root);
    ASSERT_NE(tree.GetObjectT<AKObjectFolderRoot>(1), nullptr);
    EXPECT_EQ(root->GetObject()->GetContext(), tree.GetContextObject());
    // The root takes the document type's root classes: folders and items.
    EXPECT_TRUE(root->CanAcceptChildrenOfClass(TestFolder::_Class()));
    EXPECT_TRUE(root->CanAcceptChildrenOfClass(TestSubItem::_Class()));
    EXPECT_FALSE(root->CanAcceptChildrenOfClass(AKObjectFolderRoot::_Class()));
}

TEST_F(AKTreeBasics, SecondInitialisationIsRefusedAndChangesNothing)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    Bytes file = TreeChunkOf(HandNodes().RootWithItems({2}));
    AKTreeRenum map;
    map.Setup(AKNodeIDArray{4, 7}, true, 1);

    LogCapture log;
    EXPECT_EQ(tree.InitDefault(TreeTestDocumentType()), kAKErrorTreeAlreadyInitialized);
    EXPECT_EQ(tree.InitTopRoot(TreeTestDocumentType()), kAKErrorTreeAlreadyInitialized);
    EXPECT_EQ(tree.InitFromDictionary(SmallTreeDico(), TreeTestDocumentType(), &map), kAKErrorTreeAlreadyInitialized);
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
    map.Setup(AKNodeIDArray{4, 7}, true, 1);
    EXPECT_EQ(LoadTree(tree, file, &map), kAKErrorTreeAlreadyInitialized);
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
    EXPECT_TRUE(log.Lines().empty());

    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 2, 3, 4, 5}));
    EXPECT_EQ(tree.GetNextNodeID(), 6);
}

TEST_F(AKTreeBasics, PreferedNextNodeIDRange)
{
    AKTree& tree = NewDefaultTree();
    LogCapture log;
    EXPECT_EQ(tree.SetupPreferedNextNodeID(90001), kAKErrorTreeNodeBadID);
    EXPECT_EQ(LineWith(log.Lines(), "Can't setup the next object-ID to 90001, it must be in range [2;90000]").empty(),
              false);
    EXPECT_EQ(tree.GetNextNodeID(), 2);

    EXPECT_EQ(tree.SetupPreferedNextNodeID(2), 0);
    EXPECT_EQ(tree.SetupPreferedNextNodeID(90000), 0);
    EXPECT_EQ(tree.GetNextNodeID(), 90000);
    // Never lowered.
    EXPECT_EQ(tree.SetupPreferedNextNodeID(500), kAKErrorTreeNodeBadID);
    EXPECT_EQ(tree.GetNextNodeID(), 90000);
    EXPECT_TRUE(tree.IsDirectAccessOn());
    EXPECT_EQ(tree.GetNode(1), tree.GetRootNode());
    EXPECT_EQ(tree.GetNode(89999), nullptr);
}

TEST_F(AKTreeBasics, LookUpsByID)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    ASSERT_EQ(tree.CountNodes(), 5u);
    for (AKNode* node : tree.GetNodes())
        EXPECT_EQ(tree.GetNode(node->GetID()), node);
    EXPECT_EQ(tree.GetNode(0), nullptr);
    EXPECT_EQ(tree.GetNode(-1), nullptr);
    EXPECT_EQ(tree.GetNode(6), nullptr);
    EXPECT_EQ(tree.GetNode(1000000), nullptr);

    EXPECT_EQ(ValueOf(tree.GetNode(2)), 10u);
    EXPECT_NE(tree.GetObjectT<TestItem>(5), nullptr);  // a sub-item is an item
    EXPECT_NE(tree.GetObjectT<TestSubItem>(5), nullptr);
    EXPECT_EQ(tree.GetObjectT<TestSubItem>(4), nullptr);  // a plain item is not a sub-item
    EXPECT_EQ(tree.GetObjectT<TestItem>(3), nullptr);     // a folder
    EXPECT_EQ(tree.GetObjectT<TestItem>(9), nullptr);

    AKContextObject const* context = tree.GetContextObject();
    EXPECT_EQ(context->GetObjectInTree(4), tree.GetNode(4)->GetObject());
    EXPECT_EQ(context->GetObjectInTree(9), nullptr);
    EXPECT_NE(context->GetObjectInTreeT<TestFolder>(3), nullptr);
    EXPECT_EQ(context->GetObjectInTreeT<TestFolder>(2), nullptr);
}

TEST_F(AKTreeBasics, GetNodesAndObjectsOfIDLists)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    AKNodeArray nodes;
    EXPECT_TRUE(tree.GetNodes(AKNodeIDArray{4, 2}, &nodes));
    ASSERT_EQ(nodes.Count(), 2u);
    EXPECT_EQ(nodes[0]->GetID(), 4);
    EXPECT_EQ(nodes[1]->GetID(), 2);
    // Unknown IDs are skipped and make the answer false.
    EXPECT_FALSE(tree.GetNodes(AKNodeIDArray{4, 99, 2}, &nodes));
    EXPECT_EQ(nodes.Count(), 2u);
    EXPECT_FALSE(tree.GetNodes(AKNodeIDArray{}, &nodes));
    EXPECT_TRUE(nodes.IsEmpty());

    ATObjectArray<AKObject> objects;
    EXPECT_TRUE(tree.GetObjects(AKNodeIDArray{2, 4, 5}, &objects, kAKNullClassQCast));
    EXPECT_EQ(objects.Count(), 3u);
    // A mask keeps the kinds of the class; fewer objects than IDs answer false.
    EXPECT_FALSE(tree.GetObjects(AKNodeIDArray{2, 3, 5}, &objects, TestItem::_Class()->GetQCastMask()));
    ASSERT_EQ(objects.Count(), 2u);
    EXPECT_EQ(objects[0]->GetID(), 2);
    EXPECT_EQ(objects[1]->GetID(), 5);
    EXPECT_TRUE(tree.GetObjects(AKNodeIDArray{5}, &objects, TestSubItem::_Class()->GetQCastMask()));
}

TEST_F(AKTreeBasics, OwnershipOfNodesAndObjects)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    AKTree& other = NewTreeFromDico(SmallTreeDico());
    AKNode* mine = tree.GetNode(4);
    AKNode* theirs = other.GetNode(4);

    EXPECT_TRUE(tree.IsOwnerOfNode(mine));
    EXPECT_FALSE(tree.IsOwnerOfNode(theirs));  // same ID, other tree
    EXPECT_FALSE(tree.IsOwnerOfNode(nullptr));
    EXPECT_TRUE(tree.IsOwnerOfObject(mine->GetObject()));
    EXPECT_FALSE(tree.IsOwnerOfObject(theirs->GetObject()));
    EXPECT_FALSE(tree.IsOwnerOfObject(nullptr));

    EXPECT_TRUE(tree.IsOwnerOfNodes(AKNodeArray{mine, tree.GetNode(2)}));
    EXPECT_FALSE(tree.IsOwnerOfNodes(AKNodeArray{mine, theirs}));
    EXPECT_FALSE(tree.IsOwnerOfNodes(AKNodeArray{mine, nullptr}));
    EXPECT_FALSE(tree.IsOwnerOfNodes(AKNodeArray{}));

    TestItem* detached = NewItem(1);
    EXPECT_TRUE(tree.IsOwnerOfObjects(ATObjectArray<AKObject>{mine->GetObject()}));
    EXPECT_FALSE(tree.IsOwnerOfObjects(ATObjectArray<AKObject>{mine->GetObject(), detached}));
    EXPECT_FALSE(tree.IsOwnerOfObjects(ATObjectArray<AKObject>{}));
    AKClass::DeleteObject(detached);
}

TEST_F(AKTreeBasics, ModifiedObjectIsRememberedUntilReset)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    tree.ResetAllObjectsModifiedFlag(true);
    EXPECT_FALSE(tree.IsSomeObjectModified());

    AKObject* item = tree.GetNode(4)->GetObject();
    item->akmSetName(AKString("renamed"), false);
    EXPECT_TRUE(tree.IsSomeObjectModified());
    // Remembered even once no object says so any more.
    item->SetModified(false);
    EXPECT_TRUE(tree.IsSomeObjectModified());

    // A remembered modification makes a plain reset clear every flag.
    tree.GetNode(2)->GetObject()->SetModified(true);
    tree.ResetAllObjectsModifiedFlag(false);
    EXPECT_FALSE(tree.GetNode(2)->GetObject()->IsModified());
    EXPECT_FALSE(tree.IsSomeObjectModified());
}

TEST_F(AKTreeBasics, PlainResetWithNothingRememberedChangesNothing)
{
    AKTree& tree = NewTreeFromDico(SmallTreeDico());
    tree.ResetAllObjectsModifiedFlag(true);
    // Set behind the tree's back and never asked about.
    tree.GetNode(2)->GetObject()->SetModified(true);
    tree.ResetAllObjectsModifiedFlag(false);
    EXPECT_TRUE(tree.GetNode(2)->GetObject()->IsModified());
    tree.ResetAllObjectsModifiedFlag(true);
    EXPECT_FALSE(tree.GetNode(2)->GetObject()->IsModified());
}

TEST_F(AKTreeBasics, UIPeerDataIsReportedAndCleared)
{
    AKDictionary peerState;
    peerState.SetValue("Width", AKValueSetasUInt(120));
    AKDictionary withPeer = DicoItem(1);
    withPeer.SetValue("UIPeer", AKValueSetasAKDictionary(peerState));
    AKTree& tree = NewTreeFromDico(DicoTree({withPeer, DicoItem(2), withPeer}));

    LogCapture log;
    EXPECT_EQ(tree.CheckObjectsUIPeerDataCoherency(), 0);
    EXPECT_FALSE(LineWith(log.Lines(), "Tree \"Test\" contains 2 objects that still have UI-peer data").empty());

    tree.ClearAllObjectsUIPeerData();
    log.Clear();
    EXPECT_EQ(tree.CheckObjectsUIPeerDataCoherency(), 0);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(tree.CheckObjectsUIPeerDataCoherencyDebug(), 0);
}

TEST_F(AKTreeBasics, CustomContextIsOwnedByTheTree)
{
    int deletions = 0;
    {
        AKTree tree(kAKTreeOptionDeferredDelete);
        auto* first = new CountedContext(&tree, &deletions);
        tree.SetupCustomContextObject(first);
        tree.SetupCustomContextObject(first);  // the same again: kept
        EXPECT_EQ(deletions, 0);
        tree.SetupCustomContextObject(new CountedContext(&tree, &deletions));
        EXPECT_EQ(deletions, 1);
        ASSERT_EQ(tree.InitDefault(TreeTestDocumentType()), 0);
        EXPECT_EQ(tree.GetRootNode()->GetObject()->GetContext(), tree.GetContextObject());
    }
    EXPECT_EQ(deletions, 2);
}
