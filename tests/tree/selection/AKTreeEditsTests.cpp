// The tree's raw edits on selections: stores written and inserted, copy,
// duplicate, multi-copy, move with its target adjustment, delete, adding
// objects, and the refusals that must leave the tree exactly as it was.
//
// The usual document: root[F[1,2,3],4,G[5],6] with IDs F 2, items 1-3 3-5,
// item 4 6, G 7, item 5 8, item 6 9, next ID 10.

#include "AKStatus.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelCache.h"
#include "SelTestFixtures.h"

#include <functional>
#include <string>

namespace {

// A non-empty selection to preset outputs with, so that emptying shows.
AKTreeSel SomeSelection(AKTree& tree) { return AKTreeSelWithNode(&tree, tree.GetRootNode()); }

bool IsNullSel(AKTreeSel const& selection)
{
    return selection.GetTree() == nullptr && selection.IsEmpty() && selection.GetTreeSelID() == 0;
}

// The link IDs and ID of every 'NODE' chunk of an 'ARND' chunk at `offset`.
struct NodeRecord {
    AKNodeID id;
    LinkIDs links;
    bool operator==(NodeRecord const& o) const { return id == o.id && links == o.links; }
};
std::ostream& operator<<(std::ostream& out, NodeRecord const& record)
{
    return out << record.id << " " << record.links;
}

std::vector<NodeRecord> NodeRecordsOfArnd(Bytes const& bytes, size_t offset, size_t* end)
{
    std::vector<NodeRecord> records;
    EXPECT_EQ(std::string(bytes.begin() + offset, bytes.begin() + offset + 4), "ARND");
    unsigned int count = GetU32(bytes, offset + 8);
    size_t at = offset + 16;
    for (unsigned int i = 0; i < count && at + 28 <= bytes.size(); ++i) {
        EXPECT_EQ(std::string(bytes.begin() + at, bytes.begin() + at + 4), "NODE");
        records.push_back(
            {GetS32(bytes, at + 8),
             {GetS32(bytes, at + 12), GetS32(bytes, at + 16), GetS32(bytes, at + 20), GetS32(bytes, at + 24)}});
        at += 8 + GetU32(bytes, at + 4);
    }
    *end = at;
    return records;
}

AKValueArray SubsOf(AKDictionary const& dictionary) { return AKValueGetasAKValueArray(dictionary.GetValue("Subs")); }

}  // namespace

class TreeEditsTest : public SelTreeTest
{};

// --- Writing stores ---

TEST_F(TreeEditsTest, BinaryStoreHoldsTopIDsThenOneArndChunkWithOnlyTopLinksNegated)
{
    AKTree& tree = NewDocument();
    AKNode* folder = FolderNode(tree, "F");
    AKTreeSelCache store(0);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNodes(&tree, NodesOf({ItemNode(tree, 4), folder}))), 0);

    Bytes bytes = StreamBytes(store.GetMemoryStream());
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_EQ(GetU32(bytes, 0), 2u);
    EXPECT_EQ(GetS32(bytes, 4), 2);  // F, then item 4: tree order
    EXPECT_EQ(GetS32(bytes, 8), 6);
    EXPECT_EQ(GetU32(bytes, 12 + 8), 5u);  // 'ARND' count: top nodes and descendants
    EXPECT_EQ(GetU32(bytes, 12 + 12), 0u);
    size_t end = 0;
    std::vector<NodeRecord> expected = {
        {2, {-1, 3, 0, -6}},                                          // F: parent, next negated
        {3, {2, 0, 0, 4}},                                            // its children as they are
        {4, {0, 0, 3, 5}},   {5, {0, 0, 4, 0}}, {6, {0, 0, -2, -7}},  // item 4: previous, next negated
    };
    EXPECT_EQ(NodeRecordsOfArnd(bytes, 12, &end), expected);
    EXPECT_EQ(end, bytes.size());

    EXPECT_EQ(store.GetObjectCount(), 2u);
    ASSERT_EQ(store.GetClasses().Count(), 2u);
    EXPECT_EQ(store.GetClasses()[0], TestFolder::_Class());
    EXPECT_EQ(store.GetClasses()[1], TestItem::_Class());
    EXPECT_EQ(store.GetCommonBaseClass(), TestBaseObject::_Class());
    EXPECT_TRUE(store.GetDictionary().IsEmpty());
}

TEST_F(TreeEditsTest, DictionaryStoreNestsTopNodesUnderSubsWithIDsAsTheWritingTreeSays)
{
    AKTree& plain = NewDocument();
    AKTree& withIDs = NewTree(kAKTreeOptionDictionaryIDs);
    ASSERT_EQ(withIDs.InitDefault(TreeTestDocumentType()), 0);
    AKTreeSelWithNodes selection(&plain, NodesOf({FolderNode(plain, "F"), ItemNode(plain, 6)}));

    for (AKTree* writer : {&plain, &withIDs}) {
        SCOPED_TRACE(writer == &plain ? "plain" : "with IDs");
        bool ids = writer == &withIDs;
        AKTreeSelCache store(kAKTreeSelCacheDictionaryForm);
        ASSERT_EQ(writer->WriteTreeSelToCache(&store, selection), 0);
        AKDictionary const& dictionary = store.GetDictionary();
        EXPECT_EQ(dictionary.Count(), 1u);
        AKValueArray tops = SubsOf(dictionary);
        ASSERT_EQ(tops.Count(), 2u);
        AKDictionary folder = AKValueGetasAKDictionary(tops[0]);
        EXPECT_EQ(AKValueGetasAKString(folder.GetValue("Class")), AKString("tstFold"));
        EXPECT_EQ(AKValueGetasAKString(folder.GetValue("Name")), AKString("F"));
        EXPECT_EQ(SubsOf(folder).Count(), 3u);
        AKDictionary item = AKValueGetasAKDictionary(tops[1]);
        EXPECT_EQ(AKValueGetasAKString(item.GetValue("Class")), AKString("tstItem"));
        EXPECT_EQ(folder.ContainsKey("ID"), ids);
        EXPECT_EQ(item.ContainsKey("ID"), ids);
        if (ids) {
            EXPECT_EQ(AKValueGetasAKNodeID(item.GetValue("ID")), 9);
        }
        EXPECT_EQ(store.GetObjectCount(), 2u);
        EXPECT_FALSE(store.GetMemoryStream().IsOpened());
    }
}

// --- Inserting stores ---

class TreeStoreFormTest : public SelTreeTest, public ::testing::WithParamInterface<unsigned int>
{};

TEST_P(TreeStoreFormTest, InsertingTheSameStoreTwiceGivesTwoIndependentSetsAndLeavesTheStoreAlone)
{
    AKTree& tree = NewDocument(kAKTreeOptionDeferredDelete | kAKTreeOptionDictionaryIDs);
    AKTreeSelCache store(GetParam());
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, FolderNode(tree, "F"))), 0);
    Bytes bytesBefore = store.IsDictionaryForm() ? Bytes() : StreamBytes(store.GetMemoryStream());
    AKDictionary dictionaryBefore = store.GetDictionary();

    AKTreeSel first, second;
    ASSERT_EQ(tree.ReadAndLinkTreeSelFromCache(&first, store, tree.GetRootNode(), kAKLinkModeLastChildren), 0);
    ASSERT_EQ(tree.ReadAndLinkTreeSelFromCache(&second, store, tree.GetRootNode(), kAKLinkModeLastChildren), 0);

    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6,F[1,2,3],F[1,2,3]");
    EXPECT_EQ(IDsOf(first), std::vector<AKNodeID>({10}));
    EXPECT_EQ(IDsOf(second), std::vector<AKNodeID>({14}));
    EXPECT_EQ(first.GetTree(), &tree);
    EXPECT_EQ(first.GetCommonParent(), tree.GetRootNode());
    EXPECT_EQ(tree.GetNextNodeID(), 18);
    EXPECT_EQ(tree.CountNodes(), 17u);
    // Independent: editing one copy leaves the other and the original alone.
    static_cast<TestItem*>(tree.GetNode(11)->GetObject())->SetValue(77);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6,F[77,2,3],F[1,2,3]");

    EXPECT_EQ(store.GetObjectCount(), 1u);
    EXPECT_EQ(store.GetDictionary(), dictionaryBefore);
    if (!store.IsDictionaryForm()) {
        EXPECT_EQ(StreamBytes(store.GetMemoryStream()), bytesBefore);
        EXPECT_EQ(GetS32(bytesBefore, 4), 2);  // still the copied node's ID
    }
}

TEST_P(TreeStoreFormTest, InsertedNodesTakeIDsFromTheNextIDInOldIDOrder)
{
    AKTree& tree = NewDocument(kAKTreeOptionDeferredDelete | kAKTreeOptionDictionaryIDs);
    ASSERT_EQ(tree.SetupPreferedNextNodeID(40), 0);
    AKTreeSelCache store(GetParam());
    // Raw: item 4 (ID 6) before F (ID 2) in the selection.
    ASSERT_EQ(tree.WriteTreeSelToCache(
                  &store, AKTreeSelWithRawSelNodes(&tree, NodesOf({ItemNode(tree, 4), FolderNode(tree, "F")}))),
              0);

    AKTreeSel out;
    ASSERT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, store, tree.GetRootNode(), kAKLinkModeLastChildren), 0);

    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({44, 40}));  // old 6 and 2
    EXPECT_EQ(ChildIDs(tree.GetNode(40)), std::vector<AKNodeID>({41, 42, 43}));
    EXPECT_EQ(tree.GetNextNodeID(), 45);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6,4,F[1,2,3]");
}

INSTANTIATE_TEST_SUITE_P(Forms, TreeStoreFormTest, ::testing::Values(0u, kAKTreeSelCacheDictionaryForm),
                         [](::testing::TestParamInfo<unsigned int> const& info) {
                             return std::string(info.param ? "Dictionary" : "Binary");
                         });

TEST_F(TreeEditsTest, DictionaryStoreWithNoNodeDictionaryInsertsNothing)
{
    AKTree& tree = NewDocument();
    AKTreeSelCache store(kAKTreeSelCacheDictionaryForm);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
    store.GetDictionary().Clear();
    TreeSnapshot before = SnapshotOf(tree);
    AKTreeSel out = SomeSelection(tree);

    EXPECT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, store, tree.GetRootNode(), kAKLinkModeLastChildren), 0);
    EXPECT_TRUE(IsNullSel(out));
    EXPECT_EQ(SnapshotOf(tree), before);
}

// A store's summary is written with its content, but a dictionary may come
// from a file: the insertion checks what it actually reads.
TEST_F(TreeEditsTest, DictionaryStoreContentIsCheckedAsReadAndRefusedWithoutChangingTheTree)
{
    AKTree& tree = NewDocument();
    AKTreeSelCache store(kAKTreeSelCacheDictionaryForm);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
    AKNode* folder = FolderNode(tree, "F");
    ASSERT_TRUE(store.CanLink(folder, kAKLinkModeLastChildren));  // the summary says: one item

    struct Case {
        char const* name;
        AKDictionary content;
        AKNode* target;
        AKLinkMode mode;
        int status;
    } cases[] = {
        {"two nodes with one explicit ID", DicoTree({DicoItem(7, 50), DicoItem(8, 50)}), folder,
         kAKLinkModeLastChildren, kAKErrorTreeNodeBadID},
        {"nested explicit IDs clash", DicoTree({DicoNamedFolder("H", {DicoItem(7, 60)}, 60)}), tree.GetRootNode(),
         kAKLinkModeLastChildren, kAKErrorTreeNodeBadID},
        {"a folder where only items go", DicoTree({DicoNamedFolder("H", {})}), folder, kAKLinkModeLastChildren,
         kAKErrorTreeHandlerIncompatibleLink},
        {"a folder inside a folder", DicoTree({DicoNamedFolder("H", {DicoNamedFolder("I", {})})}), tree.GetRootNode(),
         kAKLinkModeLastChildren, kAKErrorTreeHandlerIncompatibleLink},
        {"a class that cannot be read", DicoTree({DicoNode("nosuch", 0, 0, {})}), folder, kAKLinkModeLastChildren, -1},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        store.GetDictionary() = c.content;
        TreeSnapshot before = SnapshotOf(tree);
        int liveItems = TestItem::LiveCount();
        AKTreeSel out = SomeSelection(tree);

        int status = tree.ReadAndLinkTreeSelFromCache(&out, store, c.target, c.mode);
        if (c.status == -1)
            EXPECT_NE(status, 0);
        else
            EXPECT_EQ(status, c.status);
        EXPECT_TRUE(IsNullSel(out));
        EXPECT_EQ(SnapshotOf(tree), before);
        EXPECT_EQ(TestItem::LiveCount(), liveItems);  // what was read is deleted
    }
}

// --- Copy, duplicate, multi-copy ---

TEST_F(TreeEditsTest, CopyToAnotherTreeInsertsAFreshCopyThere)
{
    AKTree& source = NewDocument();
    AKTree& target = NewTree();
    ASSERT_EQ(target.InitDefault(TreeTestDocumentType()), 0);
    TreeSnapshot sourceBefore = SnapshotOf(source);

    AKTreeSel out;
    ASSERT_EQ(target.DoTreeSelCopyTo(&out, AKTreeSelWithNode(&source, FolderNode(source, "F")), target.GetRootNode(),
                                     kAKLinkModeFirstChildren),
              0);
    EXPECT_EQ(Shape(target), "F[1,2,3]");
    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({2}));
    EXPECT_EQ(out.GetTree(), &target);
    EXPECT_EQ(target.GetNextNodeID(), 6);
    EXPECT_EQ(SnapshotOf(source), sourceBefore);
}

TEST_F(TreeEditsTest, DuplicatingBrothersPutsEachCopyRightAfterItsOriginal)
{
    AKTree& tree = NewDocument();
    AKTreeSel out;
    ASSERT_EQ(tree.DoTreeSelDuplicate(&out, AKTreeSelWithNodes(&tree, NodesOf({ItemNode(tree, 4), ItemNode(tree, 6)}))),
              0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,4,G[5],6,6");
    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({10, 11}));
    EXPECT_EQ(out.GetNode(0)->GetPrev(), ItemNode(tree, 4));
    EXPECT_EQ(out.GetNode(1)->GetPrev(), tree.GetNode(9));

    ASSERT_EQ(
        tree.DoTreeSelDuplicate(&out, AKTreeSelWithNodes(&tree, NodesOf({FolderNode(tree, "F"), ItemNode(tree, 5)}))),
        0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],F[1,2,3],4,4,G[5,5],6,6");
    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({12, 16}));
}

TEST_F(TreeEditsTest, MultiCopyInsertsAfterEveryTargetThatTakesTheStoreAndSkipsTheOthers)
{
    AKTree& tree = NewDocument();
    AKTreeSelCache store(0);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
    // The root takes nothing after it; item 2 and item 6 do.
    AKTreeSelWithRawSelNodes targets(&tree, NodesOf({tree.GetRootNode(), ItemNode(tree, 2), ItemNode(tree, 6)}));

    AKTreeSel out;
    ASSERT_EQ(tree.DoTreeSelMultiCopy(&out, targets, store), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,4,3],4,G[5],6,4");
    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({10, 11}));
    EXPECT_EQ(out.GetCommonParent(), nullptr);
}

// --- Move ---

TEST_F(TreeEditsTest, CanTreeSelMoveAdjustsATargetThatIsSelected)
{
    AKTree& tree = NewDocument();
    AKTree& other = NewDocument();
    AKTree& readOnly = NewDocument(kAKTreeOptionReadOnly);
    AKNode* f = FolderNode(tree, "F");
    AKNode *i1 = ItemNode(tree, 1), *i2 = ItemNode(tree, 2), *i3 = ItemNode(tree, 3);
    AKNode *i4 = ItemNode(tree, 4), *i6 = ItemNode(tree, 6), *g = FolderNode(tree, "G");

    struct Case {
        char const* name;
        AKTree* tree;
        AKTreeSel selection;
        AKNode* target;
        AKLinkMode mode;
        bool can;
        AKNode* newTarget;
        AKLinkMode newMode;
    } cases[] = {
        {"target not selected: kept", &tree, AKTreeSelWithNode(&tree, i4), i6, 4, true, i6, 4},
        {"first unselected next brother", &tree, AKTreeSelWithNodes(&tree, NodesOf({i1, i2})), i1, 4, true, i3, 3},
        {"else first unselected previous brother", &tree, AKTreeSelWithNodes(&tree, NodesOf({i2, i3})), i3, 3, true, i1,
         4},
        {"else first child of the parent", &tree, AKTreeSelWithNodes(&tree, NodesOf({i1, i2, i3})), i2, 3, true, f, 1},
        {"before a selected node, next unselected", &tree, AKTreeSelWithNodes(&tree, NodesOf({i4, i6})), i4, 3, true, g,
         3},
        {"selected target, first children", &tree, AKTreeSelWithNode(&tree, i4), i4, 1, false, nullptr, 0},
        {"selected target, last children", &tree, AKTreeSelWithNode(&tree, i4), i4, 2, false, nullptr, 0},
        {"target below a selected node", &tree, AKTreeSelWithNode(&tree, f), i2, 4, false, nullptr, 0},
        {"selected root", &tree, AKTreeSelWithNode(&tree, tree.GetRootNode()), tree.GetRootNode(), 4, false, nullptr,
         0},
        {"mode 0", &tree, AKTreeSelWithNode(&tree, i4), i6, 0, false, nullptr, 0},
        {"no target", &tree, AKTreeSelWithNode(&tree, i4), nullptr, 4, false, nullptr, 0},
        {"empty selection", &tree, AKTreeSel(&tree), i6, 4, false, nullptr, 0},
        {"selection of another tree", &tree, AKTreeSelWithNode(&other, ItemNode(other, 4)), i6, 4, false, nullptr, 0},
        {"read-only tree", &readOnly, AKTreeSelWithNode(&readOnly, ItemNode(readOnly, 4)), ItemNode(readOnly, 6), 4,
         false, nullptr, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKNode* target = c.target;
        AKLinkMode mode = c.mode;
        EXPECT_EQ(c.tree->CanTreeSelMove(c.selection, &target, &mode), c.can);
        EXPECT_EQ(target, c.newTarget);
        EXPECT_EQ(mode, c.newMode);
    }
}

TEST_F(TreeEditsTest, MoveWithTheAdjustedTargetRelinksTheSelectionInOrder)
{
    AKTree& tree = NewDocument();
    AKTreeSelWithNodes selection(&tree, NodesOf({ItemNode(tree, 6), ItemNode(tree, 4)}));
    AKNode* target = ItemNode(tree, 4);
    AKLinkMode mode = kAKLinkModeBefore;
    ASSERT_TRUE(tree.CanTreeSelMove(selection, &target, &mode));

    AKTreeSel out;
    ASSERT_EQ(tree.DoTreeSelMove(&out, selection, target, mode), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,6,G[5]");
    EXPECT_EQ(IDsOf(out), IDsOf(selection));
    EXPECT_NE(out.GetTreeSelID(), selection.GetTreeSelID());

    ASSERT_EQ(tree.DoTreeSelMove(&out, AKTreeSelWithNodes(&tree, NodesOf({ItemNode(tree, 1), ItemNode(tree, 4)})),
                                 FolderNode(tree, "G"), kAKLinkModeLastChildren),
              0);
    EXPECT_EQ(Shape(tree), "F[2,3],6,G[5,1,4]");
    EXPECT_EQ(out.GetCommonParent(), FolderNode(tree, "G"));
}

TEST_F(TreeEditsTest, AnOutputThatIsTheInputSelectionIsReadBeforeBeingReplaced)
{
    AKTree& tree = NewDocument();
    AKTreeSel selection = AKTreeSelWithNodes(&tree, NodesOf({ItemNode(tree, 4), ItemNode(tree, 6)}));
    ASSERT_EQ(tree.DoTreeSelDuplicate(&selection, selection), 0);
    EXPECT_EQ(IDsOf(selection), std::vector<AKNodeID>({10, 11}));
    ASSERT_EQ(tree.DoTreeSelMove(&selection, selection, FolderNode(tree, "F"), kAKLinkModeFirstChildren), 0);
    EXPECT_EQ(Shape(tree), "F[4,6,1,2,3],4,G[5],6");
    ASSERT_EQ(tree.DoTreeSelCopyTo(&selection, selection, FolderNode(tree, "G"), kAKLinkModeLastChildren), 0);
    EXPECT_EQ(Shape(tree), "F[4,6,1,2,3],4,G[5,4,6],6");
}

// --- Delete ---

TEST_F(TreeEditsTest, DeleteRemovesTheSubtreesAndKeepsTheNextID)
{
    for (bool deferred : {true, false}) {
        SCOPED_TRACE(deferred ? "deferred" : "at once");
        AKTree& tree = NewDocument(deferred ? kAKTreeOptionDeferredDelete : 0);
        int liveItems = TestItem::LiveCount();
        AKNodeID folderID = FolderNode(tree, "F")->GetID();

        ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNodes(&tree, NodesOf({FolderNode(tree, "F"), ItemNode(tree, 6)}))),
                  0);
        EXPECT_EQ(Shape(tree), "4,G[5]");
        EXPECT_EQ(tree.CountNodes(), 4u);
        EXPECT_EQ(tree.GetNode(folderID), nullptr);
        EXPECT_EQ(tree.GetNextNodeID(), 10);
        EXPECT_EQ(tree.CountQueuedObjects(), deferred ? 5u : 0u);
        EXPECT_EQ(TestItem::LiveCount(), deferred ? liveItems : liveItems - 4);
    }
}

TEST_F(TreeEditsTest, AnObjectStillHeldOutlivesItsNodeUntilEightIdlePassesAfterRelease)
{
    AKTree& tree = NewDocument();
    TestItem* held = static_cast<TestItem*>(ItemNode(tree, 4)->GetObject());
    held->HoldRetain();
    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
    EXPECT_EQ(held->GetNodeOwner(), nullptr);
    int liveItems = TestItem::LiveCount();

    for (int pass = 0; pass < 20; ++pass)
        tree.DoIdling();
    EXPECT_EQ(TestItem::LiveCount(), liveItems);
    held->HoldRelease();
    for (int pass = 0; pass < 7; ++pass)
        tree.DoIdling();
    EXPECT_EQ(TestItem::LiveCount(), liveItems);
    tree.DoIdling();
    EXPECT_EQ(TestItem::LiveCount(), liveItems - 1);
}

// --- Adding objects ---

TEST_F(TreeEditsTest, AddedObjectsGetConsecutiveIDsInListOrder)
{
    AKTree& tree = NewDocument();
    ATObjectArray<AKObject> objects;
    objects.Push(NewItem(7));
    objects.Push(NewItem(8));
    AKTreeSel out;
    AKNode* first = nullptr;

    ASSERT_EQ(tree.DoTreeSelAddNewObjects(&out, &first, FolderNode(tree, "F"), kAKLinkModeLastChildren, objects), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,3,7,8],4,G[5],6");
    EXPECT_EQ(IDsOf(out), std::vector<AKNodeID>({10, 11}));
    EXPECT_EQ(first, tree.GetNode(10));
    EXPECT_EQ(tree.GetNextNodeID(), 12);
    EXPECT_EQ(objects[0]->GetNodeOwner(), first);
}

TEST_F(TreeEditsTest, RefusedNewObjectsStayDetachedWithTheCaller)
{
    AKTree& tree = NewDocument();
    TestItem* item = NewItem(7);
    AKObjectFolderRoot* root = AKNew<AKObjectFolderRoot>("%s", "");
    struct Case {
        char const* name;
        ATObjectArray<AKObject> objects;
        AKNode* target;
        int status;
    } cases[] = {
        {"the same object twice", ATObjectArray<AKObject>({item, item}), tree.GetRootNode(),
         kAKErrorTreeNodeYetOwnedObject},
        {"a class the root does not take", ATObjectArray<AKObject>({root}), tree.GetRootNode(),
         kAKErrorTreeHandlerIncompatibleLink},
        {"nothing to add", ATObjectArray<AKObject>(), tree.GetRootNode(), kAKErrorTreeHandlerNoObjectToAdd},
        {"no target", ATObjectArray<AKObject>({item}), nullptr, kAKErrorTreeHandlerNoTargetNode},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        TreeSnapshot before = SnapshotOf(tree);
        AKTreeSel out = SomeSelection(tree);
        AKNode* first = tree.GetRootNode();
        EXPECT_EQ(tree.DoTreeSelAddNewObjects(&out, &first, c.target, kAKLinkModeLastChildren, c.objects), c.status);
        EXPECT_TRUE(IsNullSel(out));
        EXPECT_EQ(first, nullptr);
        EXPECT_EQ(SnapshotOf(tree), before);
        EXPECT_EQ(item->GetNodeOwner(), nullptr);
        EXPECT_EQ(root->GetNodeOwner(), nullptr);
    }
    AKClass::DeleteObject(item);
    AKClass::DeleteObject(root);
}

// --- Refusals ---

// Every refused edit hands back the empty selection and leaves the tree
// exactly as it was.
TEST_F(TreeEditsTest, EveryRefusalLeavesTheOutputEmptyAndTheTreeUnchanged)
{
    AKTree& tree = NewDocument();
    AKTree& other = NewDocument();
    AKTree& readOnly = NewDocument(kAKTreeOptionReadOnly);
    AKNode* root = tree.GetRootNode();
    AKNode* f = FolderNode(tree, "F");
    AKNode* i2 = ItemNode(tree, 2);
    AKNode* i4 = ItemNode(tree, 4);
    AKTreeSel item4 = AKTreeSelWithNode(&tree, i4);
    AKTreeSel folder = AKTreeSelWithNode(&tree, f);
    AKTreeSel rootSel = AKTreeSelWithNode(&tree, root);
    AKTreeSel empty(&tree);
    AKTreeSel foreign = AKTreeSelWithNode(&other, ItemNode(other, 4));
    AKTreeSel roItem = AKTreeSelWithNode(&readOnly, ItemNode(readOnly, 4));
    AKTreeSelCache store(0);
    ASSERT_EQ(tree.WriteTreeSelToCache(&store, item4), 0);
    AKTreeSelCache emptyStore(0);

    typedef std::function<int(AKTreeSel*)> Edit;
    struct Case {
        char const* name;
        AKTree* tree;
        Edit edit;
        int status;
    } cases[] = {
        {"delete, read-only", &readOnly, [&](AKTreeSel*) { return readOnly.DoTreeSelDelete(roItem); },
         kAKErrorTreeHandlerReadOnly},
        {"delete, empty", &tree, [&](AKTreeSel*) { return tree.DoTreeSelDelete(empty); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"delete, another tree", &tree, [&](AKTreeSel*) { return tree.DoTreeSelDelete(foreign); },
         kAKErrorTreeHandlerBadTreeOwner},
        {"delete, the root", &tree, [&](AKTreeSel*) { return tree.DoTreeSelDelete(rootSel); },
         kAKErrorTreeHandlerBadTreeSelType},
        {"copy, read-only", &readOnly,
         [&](AKTreeSel* out) { return readOnly.DoTreeSelCopyTo(out, roItem, readOnly.GetRootNode(), 2); },
         kAKErrorTreeHandlerReadOnly},
        {"copy, no target", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelCopyTo(out, item4, nullptr, 2); },
         kAKErrorTreeHandlerNoTargetNode},
        {"copy, mode 0", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelCopyTo(out, item4, root, 0); },
         kAKErrorTreeHandlerNoLinkMode},
        {"copy, empty", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelCopyTo(out, empty, root, 2); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"copy, a folder into a folder", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelCopyTo(out, folder, f, 2); },
         kAKErrorTreeHandlerIncompatibleLink},
        {"duplicate, read-only", &readOnly, [&](AKTreeSel* out) { return readOnly.DoTreeSelDuplicate(out, roItem); },
         kAKErrorTreeHandlerReadOnly},
        {"duplicate, empty", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelDuplicate(out, empty); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"duplicate, another tree", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelDuplicate(out, foreign); },
         kAKErrorTreeHandlerBadTreeOwner},
        {"duplicate, the root", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelDuplicate(out, rootSel); },
         kAKErrorTreeHandlerBadTreeSelType},
        {"multi-copy, read-only", &readOnly,
         [&](AKTreeSel* out) { return readOnly.DoTreeSelMultiCopy(out, roItem, store); }, kAKErrorTreeHandlerReadOnly},
        {"multi-copy, empty", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMultiCopy(out, empty, store); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"multi-copy, another tree", &tree,
         [&](AKTreeSel* out) { return tree.DoTreeSelMultiCopy(out, foreign, store); }, kAKErrorTreeHandlerBadTreeOwner},
        {"insert, read-only", &readOnly,
         [&](AKTreeSel* out) { return readOnly.ReadAndLinkTreeSelFromCache(out, store, readOnly.GetRootNode(), 2); },
         kAKErrorTreeHandlerReadOnly},
        {"insert, empty store", &tree,
         [&](AKTreeSel* out) { return tree.ReadAndLinkTreeSelFromCache(out, emptyStore, root, 2); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"insert, no target", &tree,
         [&](AKTreeSel* out) { return tree.ReadAndLinkTreeSelFromCache(out, store, nullptr, 2); },
         kAKErrorTreeHandlerNoTargetNode},
        {"insert, mode 0", &tree, [&](AKTreeSel* out) { return tree.ReadAndLinkTreeSelFromCache(out, store, root, 0); },
         kAKErrorTreeHandlerNoLinkMode},
        {"insert, beside the root", &tree,
         [&](AKTreeSel* out) { return tree.ReadAndLinkTreeSelFromCache(out, store, root, 4); },
         kAKErrorTreeHandlerIncompatibleLink},
        {"insert, at a node of another tree", &tree,
         [&](AKTreeSel* out) { return tree.ReadAndLinkTreeSelFromCache(out, store, other.GetRootNode(), 2); },
         kAKErrorTreeHandlerBadTreeOwner},
        {"move, read-only", &readOnly,
         [&](AKTreeSel* out) { return readOnly.DoTreeSelMove(out, roItem, readOnly.GetRootNode(), 1); },
         kAKErrorTreeHandlerReadOnly},
        {"move, no target", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, item4, nullptr, 1); },
         kAKErrorTreeHandlerNoTargetNode},
        {"move, mode 0", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, item4, root, 0); },
         kAKErrorTreeHandlerNoLinkMode},
        {"move, empty", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, empty, root, 1); },
         kAKErrorTreeHandlerEmptyTreeSel},
        {"move, another tree", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, foreign, root, 1); },
         kAKErrorTreeHandlerBadTreeOwner},
        {"move, the root", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, rootSel, f, 2); },
         kAKErrorTreeHandlerBadTreeSelType},
        {"move, after itself", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, item4, i4, 4); },
         kAKErrorTreeHandlerCantMoveTreeSel},
        {"move, into its own subtree", &tree, [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, folder, i2, 4); },
         kAKErrorTreeHandlerCantMoveTreeSel},
        {"move, a folder into a folder", &tree,
         [&](AKTreeSel* out) { return tree.DoTreeSelMove(out, folder, FolderNode(tree, "G"), 2); },
         kAKErrorTreeHandlerIncompatibleLink},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        TreeSnapshot before = SnapshotOf(*c.tree);
        AKTreeSel out = SomeSelection(*c.tree);
        EXPECT_EQ(c.edit(&out), c.status);
        // The deletion gives no selection back.
        if (std::string(c.name).rfind("delete", 0) != 0) {
            EXPECT_TRUE(IsNullSel(out));
        }
        EXPECT_EQ(SnapshotOf(*c.tree), before);
    }
}
