// Normalised and raw selections, and the process-wide selection IDs they
// take. The IDs are counted from the start of the process, so this program
// holds this one test and builds no other selection before it.
//
// The usual document: root 1 [F 2 [1:3, 2:4, 3:5], 4:6, G 7 [5:8], 6:9].

#include "SelTestFixtures.h"

#include <functional>

class TreeSelNormaliseTest : public SelTreeTest
{};

TEST_F(TreeSelNormaliseTest, BuildersNormaliseSeveralNodesAndTakeConsecutiveIDsFrom1000001)
{
    AKTree& tree = NewDocument();
    AKNode* root = tree.GetRootNode();
    AKNode* f = FolderNode(tree, "F");
    AKNode *i1 = ItemNode(tree, 1), *i2 = ItemNode(tree, 2), *i3 = ItemNode(tree, 3);
    AKNode *i4 = ItemNode(tree, 4), *i6 = ItemNode(tree, 6);
    TestItem* detached = NewItem(99);
    auto objects = [](std::initializer_list<AKObject*> list) { return ATObjectArray<AKObject>(list); };
    auto ids = [](std::initializer_list<AKNodeID> list) {
        AKNodeIDArray array;
        for (AKNodeID id : list)
            array.Push(id);
        return array;
    };

    struct Row {
        char const* name;
        std::function<AKTreeSel()> build;
        std::vector<AKNodeID> nodes;
        AKNode* commonParent;
    } rows[] = {
        {"reverse document order",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({i6, i2}));
         },
         {4, 9},
         nullptr},
        {"a node and its descendant",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({f, i2}));
         },
         {2},
         root},
        {"a descendant and its ancestor",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({i2, f}));
         },
         {2},
         root},
        {"the root among others",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({root, i4, i6}));
         },
         {6, 9},
         root},
        {"the same node twice",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({i4, i4, i6}));
         },
         {6, 9},
         root},
        {"brothers reversed",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({i3, i1}));
         },
         {3, 5},
         f},
        {"the root alone, as given", [&] { return AKTreeSelWithNodes(&tree, NodesOf({root})); }, {1}, nullptr},
        {"one node, as given", [&] { return AKTreeSelWithNode(&tree, i2); }, {4}, f},
        {"IDs, one unknown",
         [&] {
             return AKTreeSelWithNodeIDs(&tree, ids({9, 999, 3}));
         },
         {3, 9},
         nullptr},
        {"one ID", [&] { return AKTreeSelWithNodeID(&tree, 5); }, {5}, f},
        {"unknown IDs",
         [&] {
             return AKTreeSelWithNodeIDs(&tree, ids({999, 1000}));
         },
         {},
         nullptr},
        {"objects reversed",
         [&] {
             return AKTreeSelWithObjects(&tree, objects({i6->GetObject(), i3->GetObject()}));
         },
         {5, 9},
         nullptr},
        {"objects, one detached",
         [&] {
             return AKTreeSelWithObjects(&tree, objects({i4->GetObject(), detached}));
         },
         {},
         nullptr},
        {"one detached object", [&] { return AKTreeSelWithObjects(&tree, objects({detached})); }, {}, nullptr},
        {"objects, one null",
         [&] {
             return AKTreeSelWithObjects(&tree, objects({i4->GetObject(), nullptr}));
         },
         {},
         nullptr},
        {"nodes, one null",
         [&] {
             return AKTreeSelWithNodes(&tree, NodesOf({i4, nullptr, i6}));
         },
         {},
         nullptr},
        {"raw nodes kept as given",
         [&] {
             return AKTreeSelWithRawSelNodes(&tree, NodesOf({i4, i2, i4}));
         },
         {6, 4, 6},
         nullptr},
        {"children of a leaf", [&] { return AKTreeSelWithChildrenOfNode(&tree, i4); }, {}, i4},
        {"no tree: no ID",
         [&] {
             return AKTreeSelWithNodes(nullptr, NodesOf({i4, i6}));
         },
         {},
         nullptr},
    };

    int nextID = 1000001;
    for (Row const& row : rows) {
        SCOPED_TRACE(row.name);
        AKTreeSel selection = row.build();
        bool withTree = selection.GetTree() != nullptr;
        EXPECT_EQ(selection.GetTreeSelID(), withTree ? nextID++ : 0);
        EXPECT_EQ(IDsOf(selection), row.nodes);
        EXPECT_EQ(selection.GetCommonParent(), row.commonParent);
        EXPECT_EQ(selection.GetObjects().Count(), row.nodes.size());
        EXPECT_FALSE(selection.HasTimeSel());
    }

    AKTreeSelWithNode original(&tree, i4);
    AKTreeSel copy = original;
    EXPECT_EQ(original.GetTreeSelID(), nextID);
    EXPECT_EQ(copy.GetTreeSelID(), nextID);
    copy.UpdateAfterMoved();
    EXPECT_EQ(copy.GetTreeSelID(), nextID + 1);
    EXPECT_EQ(AKTreeSel::NextTreeSelID(), nextID + 2);
    AKTreeSel unbound;
    unbound.UpdateAfterMoved();
    EXPECT_EQ(unbound.GetTreeSelID(), 0);

    AKClass::DeleteObject(detached);
}
