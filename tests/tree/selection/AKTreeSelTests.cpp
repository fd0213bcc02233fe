// Selections: class queries, the children and raw builders, linking tests,
// lists with null or detached entries, and the display-state operations
// (gathering a client's selection, dirty marks, showing a selection).
//
// The usual document: root 1 [F 2 [1:3, 2:4, 3:5], 4:6, G 7 [5:8], 6:9].

#include "AKNodeStates.h"
#include "AKNodeStatesTree.h"
#include "SelTestFixtures.h"

#include <functional>

class TreeSelTest : public SelTreeTest
{};

TEST_F(TreeSelTest, TheSharedEmptySelectionHasNothing)
{
    AKTreeSel const& none = kAKNullTreeSel;
    EXPECT_EQ(none.GetTree(), nullptr);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(none.GetObjects().IsEmpty());
    EXPECT_EQ(none.GetCommonParent(), nullptr);
    EXPECT_EQ(none.GetCommonBaseClass(), nullptr);
    EXPECT_FALSE(none.HasTimeSel());
    EXPECT_EQ(none.GetTimeRange(), kAKNullTimeIntv);
    EXPECT_EQ(none.GetTreeSelID(), 0);
    EXPECT_EQ(AKTreeSel(nullptr).GetTreeSelID(), 0);
}

TEST_F(TreeSelTest, ClassQueriesUseTheCommonBaseClassThenCountNodeByNode)
{
    AKTree& tree = NewDocument();
    AKTreeSelWithNodes items(&tree, NodesOf({ItemNode(tree, 1), ItemNode(tree, 2)}));
    AKTreeSelWithNodes mixed(&tree, NodesOf({FolderNode(tree, "F"), ItemNode(tree, 4)}));
    AKTreeSelWithNode one(&tree, ItemNode(tree, 4));
    AKClass const* top = AKObject::_Class();
    AKClass const* base = TestBaseObject::_Class();
    AKClass const* item = TestItem::_Class();
    AKClass const* folder = TestFolder::_Class();

    EXPECT_EQ(items.GetCommonBaseClass(), item);
    EXPECT_EQ(items.NodeCountOfClass(item), 2u);
    EXPECT_EQ(items.ObjectCountOfClass(top), 2u);
    EXPECT_EQ(items.NodeCountOfClass(folder), 0u);
    EXPECT_FALSE(items.HasOneNodeOfClass(item));
    EXPECT_TRUE(items.HasAllNodesOfClass(top));
    EXPECT_TRUE(items.HasAllObjectsOfClass(item));
    EXPECT_TRUE(items.HasUniqueCommonParentOfClass(folder));
    EXPECT_FALSE(items.HasUniqueCommonParentOfClass(item));

    EXPECT_EQ(mixed.GetCommonBaseClass(), base);
    EXPECT_EQ(mixed.NodeCountOfClass(item), 1u);
    EXPECT_EQ(mixed.NodeCountOfClass(folder), 1u);
    EXPECT_EQ(mixed.NodeCountOfClass(base), 2u);
    EXPECT_TRUE(mixed.HasOneNodeAtLeastOfClass(folder));
    EXPECT_TRUE(mixed.HasOneObjectAtLeastOfClass(item));
    EXPECT_FALSE(mixed.HasOneNodeAtLeastOfClass(TestSubItem::_Class()));
    EXPECT_FALSE(mixed.HasAllNodesOfClass(item));
    EXPECT_TRUE(mixed.HasUniqueCommonParent());
    EXPECT_TRUE(mixed.HasUniqueCommonParentOfClass(top));
    EXPECT_FALSE(mixed.HasUniqueCommonParentOfClass(base));

    EXPECT_TRUE(one.HasOneNodeOfClass(item));
    EXPECT_TRUE(one.HasOneNodeOfClass(base));
    EXPECT_FALSE(one.HasOneNodeOfClass(folder));

    for (AKTreeSel const* selection : std::initializer_list<AKTreeSel const*>{&items, &mixed, &one}) {
        EXPECT_EQ(selection->NodeCountOfClass(nullptr), 0u);
        EXPECT_FALSE(selection->HasOneNodeOfClass(nullptr));
        EXPECT_FALSE(selection->HasOneNodeAtLeastOfClass(nullptr));
        EXPECT_FALSE(selection->HasAllNodesOfClass(nullptr));
        EXPECT_FALSE(selection->HasUniqueCommonParentOfClass(nullptr));
    }
}

// The children of a leaf keep a common base class (the top class): that
// must not make an empty selection look as if it held a node.
TEST_F(TreeSelTest, AnEmptySelectionHasNoNodeOfAnyClass)
{
    AKTree& tree = NewDocument();
    AKTreeSelWithChildrenOfNode leafChildren(&tree, ItemNode(tree, 4));
    ASSERT_TRUE(leafChildren.IsEmpty());
    EXPECT_EQ(leafChildren.GetCommonParent(), ItemNode(tree, 4));
    for (AKClass const* aClass : {AKObject::_Class(), TestItem::_Class()}) {
        EXPECT_FALSE(leafChildren.HasOneNodeAtLeastOfClass(aClass));
        EXPECT_FALSE(leafChildren.HasOneObjectAtLeastOfClass(aClass));
        EXPECT_FALSE(leafChildren.HasOneNodeOfClass(aClass));
        EXPECT_EQ(leafChildren.NodeCountOfClass(aClass), 0u);
    }
    EXPECT_FALSE(AKTreeSel(&tree).HasOneNodeAtLeastOfClass(AKObject::_Class()));
}

TEST_F(TreeSelTest, ChildrenBuildersListChildrenInSiblingOrder)
{
    AKTree& tree = NewDocument();
    AKNode* f = FolderNode(tree, "F");
    AKNode* g = FolderNode(tree, "G");

    AKTreeSelWithChildrenOfNode ofF(&tree, f);
    EXPECT_EQ(IDsOf(ofF), std::vector<AKNodeID>({3, 4, 5}));
    EXPECT_EQ(ofF.GetCommonParent(), f);
    EXPECT_EQ(ofF.GetCommonBaseClass(), TestItem::_Class());
    EXPECT_EQ(ofF.GetObjects().Count(), 3u);

    AKTreeSelWithChildrenOfNodes ofBoth(&tree, NodesOf({g, f}));
    EXPECT_EQ(IDsOf(ofBoth), std::vector<AKNodeID>({8, 3, 4, 5}));
    EXPECT_EQ(ofBoth.GetCommonParent(), nullptr);
    EXPECT_EQ(AKTreeSelWithChildrenOfNodes(&tree, NodesOf({g})).GetCommonParent(), g);

    AKTreeSelWithChildrenOfNode ofNull(&tree, nullptr);
    EXPECT_TRUE(ofNull.IsEmpty());
    EXPECT_EQ(ofNull.GetCommonParent(), nullptr);
    EXPECT_NE(ofNull.GetTreeSelID(), 0);

    AKTreeSelWithRawSelObjects raw(&tree, ATObjectArray<AKObject>({ItemNode(tree, 6)->GetObject(), f->GetObject()}));
    EXPECT_EQ(IDsOf(raw), std::vector<AKNodeID>({9, 2}));
    EXPECT_EQ(raw.GetCommonParent(), tree.GetRootNode());
    EXPECT_EQ(raw.GetCommonBaseClass(), TestBaseObject::_Class());
}

// A list holding a null entry, or an object that no node owns, selects
// nothing: a selection never holds a null node.
TEST_F(TreeSelTest, NullEntriesAndDetachedObjectsSelectNothing)
{
    AKTree& tree = NewDocument();
    AKNode* i4 = ItemNode(tree, 4);
    AKNode* f = FolderNode(tree, "F");
    TestItem* detached = NewItem(99);
    typedef ATObjectArray<AKObject> Objects;

    struct Case {
        char const* name;
        std::function<AKTreeSel()> build;
    } cases[] = {
        {"raw nodes",
         [&] {
             return AKTreeSelWithRawSelNodes(&tree, NodesOf({i4, nullptr}));
         }},
        {"raw objects, one detached",
         [&] {
             return AKTreeSelWithRawSelObjects(&tree, Objects({i4->GetObject(), detached}));
         }},
        {"raw objects, one null", [&] { return AKTreeSelWithRawSelObjects(&tree, Objects({nullptr})); }},
        {"children of nodes",
         [&] {
             return AKTreeSelWithChildrenOfNodes(&tree, NodesOf({f, nullptr}));
         }},
        {"one null node", [&] { return AKTreeSelWithNodes(&tree, NodesOf({nullptr})); }},
        {"one null object", [&] { return AKTreeSelWithObjects(&tree, Objects({nullptr})); }},
        {"one detached object", [&] { return AKTreeSelWithObject(&tree, detached); }},
        {"a null object", [&] { return AKTreeSelWithObject(&tree, nullptr); }},
        {"a null node", [&] { return AKTreeSelWithNode(&tree, nullptr); }},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKTreeSel selection = c.build();
        EXPECT_TRUE(selection.IsEmpty());
        EXPECT_TRUE(selection.GetObjects().IsEmpty());
        EXPECT_EQ(selection.GetTree(), &tree);
    }
    AKClass::DeleteObject(detached);
}

TEST_F(TreeSelTest, CanLinkAsksTheTargetAboutTheSelectedNodes)
{
    AKTree& tree = NewDocument();
    AKNode* g = FolderNode(tree, "G");
    AKTreeSelWithNodes items(&tree, NodesOf({ItemNode(tree, 1), ItemNode(tree, 4)}));
    AKTreeSelWithNode folder(&tree, FolderNode(tree, "F"));
    TestItem* detached = NewItem(99);

    EXPECT_TRUE(items.CanLink(g, kAKLinkModeLastChildren));
    EXPECT_TRUE(items.CanLink(g->GetObject(), kAKLinkModeFirstChildren));
    EXPECT_TRUE(items.CanLink(tree.GetRootNode(), kAKLinkModeLastChildren));
    EXPECT_FALSE(items.CanLink(tree.GetRootNode(), kAKLinkModeAfter));
    EXPECT_FALSE(items.CanLink(g, kAKLinkModeNone));
    EXPECT_FALSE(folder.CanLink(g, kAKLinkModeLastChildren));
    EXPECT_TRUE(folder.CanLink(g, kAKLinkModeAfter));
    EXPECT_FALSE(items.CanLink(static_cast<AKNode const*>(nullptr), kAKLinkModeAfter));
    EXPECT_FALSE(items.CanLink(static_cast<AKObject const*>(nullptr), kAKLinkModeAfter));
    EXPECT_FALSE(items.CanLink(detached, kAKLinkModeAfter));
    AKClass::DeleteObject(detached);
}

// --- Display states ---

class TreeSelNStateTest : public TreeSelTest
{
protected:
    bool Selected(AKNode* node) const { return node->GetNState().IsSelected(fClient); }
    bool Dirty(AKNode* node) const { return node->GetNState().IsDirty(fClient); }

    AKNSClientID fClient = kAKNullNSClientID;
    int fView = 0;  // the client's identity
};

TEST_F(TreeSelNStateTest, AClientsSelectionIsGatheredTopmostFirstWithoutTheRoot)
{
    AKTree& tree = NewDocument();
    fClient = tree.GetTreeNState().RegisterGUIClient(&fView);
    ASSERT_NE(fClient, kAKNullNSClientID);
    AKNode* f = FolderNode(tree, "F");
    AKNode* i2 = ItemNode(tree, 2);
    for (AKNode* node : {ItemNode(tree, 6), i2, f, tree.GetRootNode()})
        node->GetNState().SetSelected(fClient, true, false);

    AKTreeSelWithNState selection(&tree, fClient);
    EXPECT_EQ(IDsOf(selection), std::vector<AKNodeID>({2, 9}));
    EXPECT_EQ(selection.GetCommonParent(), tree.GetRootNode());
    // Gathering a folder takes its subtree: the marks below it go.
    EXPECT_FALSE(Selected(i2));
    EXPECT_FALSE(Selected(tree.GetRootNode()));
    EXPECT_TRUE(Selected(f));

    for (AKNSClientID invalid : {AKNSClientID(0), AKNSClientID(33) << 32, AKNSClientID(0x1)}) {
        AKTreeSelWithNState none(&tree, invalid);
        EXPECT_TRUE(none.IsEmpty());
    }
}

TEST_F(TreeSelNStateTest, DirtyMarksGoToTheSelectedNodesOfValidClientsOnly)
{
    AKTree& tree = NewDocument();
    fClient = tree.GetTreeNState().RegisterGUIClient(&fView);
    AKNode* i4 = ItemNode(tree, 4);
    AKNode* i6 = ItemNode(tree, 6);
    AKTreeSelWithNode selection(&tree, i4);

    for (AKNSClientID invalid : {AKNSClientID(0), AKNSClientID(33) << 32}) {
        selection.SetNStateDirty(invalid);
        EXPECT_EQ(i4->GetNState().GetDirtyMask(), 0u);
    }
    selection.SetNStateDirty(fClient);
    EXPECT_EQ(i4->GetNState().GetDirtyMask(), AKNSClientFlagOf(fClient));
    EXPECT_EQ(i6->GetNState().GetDirtyMask(), 0u);
    selection.SetNStateDirtyForAllClients();
    EXPECT_EQ(i4->GetNState().GetDirtyMask(), kAKAllNSClientFG);
    EXPECT_EQ(i6->GetNState().GetDirtyMask(), 0u);
}

TEST_F(TreeSelNStateTest, ApplyTreeSelReplacesTheClientsSelectionOpeningParentsOnlyWhenAsked)
{
    AKTree& tree = NewDocument();
    AKTreeNState& registry = tree.GetTreeNState();
    fClient = registry.RegisterGUIClient(&fView);
    AKNode* g = FolderNode(tree, "G");
    AKNode* i1 = ItemNode(tree, 1);
    AKNode* i4 = ItemNode(tree, 4);
    AKNode* i5 = ItemNode(tree, 5);
    AKTreeSelWithNodes selection(&tree, NodesOf({i5, i4}));

    for (bool openParents : {false, true}) {
        SCOPED_TRACE(openParents ? "opening" : "not opening");
        g->GetNState().SetOpened(fClient, false);
        i1->GetNState().SetSelected(fClient, true, false);
        registry.ResetAllDirty(fClient);

        registry.ApplyTreeSel(fClient, selection, openParents);
        EXPECT_FALSE(Selected(i1));  // the earlier selection is cleared
        EXPECT_TRUE(Selected(i4));
        EXPECT_TRUE(Dirty(i4));
        EXPECT_EQ(Selected(i5), openParents);
        EXPECT_EQ(g->GetNState().IsOpened(fClient), openParents);
    }

    AKTree& other = NewDocument();
    i1->GetNState().SetSelected(fClient, true, false);
    registry.ApplyTreeSel(fClient, AKTreeSelWithNode(&other, ItemNode(other, 4)), true);
    EXPECT_FALSE(Selected(i1));
    EXPECT_FALSE(Selected(i4));
}
