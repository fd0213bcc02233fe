// Node arrays: lists and links, relinking from IDs, searches, the classes
// of their objects, renumbering and deletion.

#include "AKClassArray.h"
#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"
#include "LogCapture.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

AKNodeIDArray IDsOf(AKNodeArray const& nodes)
{
    AKNodeIDArray ids;
    nodes.GrabNodeIDs(&ids);
    return ids;
}

}  // namespace

TEST(AKNodeArray, ListsAndChains)
{
    BareNodes bare;
    AKNodeArray run = bare.MakeRun(5, 3);
    AKNode* head = run.LinkAsList();
    EXPECT_EQ(head, run[0]);
    EXPECT_EQ(LinkIDsOf(run[0]), (LinkIDs{0, 0, 0, 6}));
    EXPECT_EQ(LinkIDsOf(run[1]), (LinkIDs{0, 0, 5, 7}));
    EXPECT_EQ(LinkIDsOf(run[2]), (LinkIDs{0, 0, 6, 0}));
    EXPECT_EQ(AKNodeArray().LinkAsList(), nullptr);

    AKNodeArray list;
    list.FillWithList(run[1]);
    EXPECT_EQ(IDsOf(list), (AKNodeIDArray{6, 7}));
    list.FillWithList(nullptr);
    EXPECT_TRUE(list.IsEmpty());

    // Linked under a parent, then unlinked node by node.
    AKNode* parent = bare.Make(1);
    parent->Link(head, kAKLinkModeFirstChildren);
    AKNodeArray{run[0], run[2]}.UnlinkNodes();
    EXPECT_EQ(ChildIDs(parent), (std::vector<AKNodeID>{6}));
    EXPECT_EQ(LinkIDsOf(run[1]), (LinkIDs{1, 0, 0, 0}));
    EXPECT_TRUE(AllLinksHold({parent, run[0], run[1], run[2]}));
}

TEST(AKNodeArray, RelinkFromLinkIDsAndNegativeLinkIDs)
{
    BareNodes bare;
    AKNodeArray all = bare.MakeRun(1, 5);  // 1 { 2, 3 { 5 }, 4 }, from IDs alone
    all[0]->SetLinkIDs(0, 2, 0, 0);
    all[1]->SetLinkIDs(1, 0, 0, 3);
    all[2]->SetLinkIDs(0, 5, 2, 4);
    all[3]->SetLinkIDs(0, 0, 3, 0);
    all[4]->SetLinkIDs(3, 0, 0, -9);  // a negative ID and no pointer
    all.RelinkNodesFromLinkIDs();
    EXPECT_TRUE(all.CheckNodesLinks());
    EXPECT_EQ(ChildIDs(all[0]), (std::vector<AKNodeID>{2, 3, 4}));
    EXPECT_EQ(all[4]->Parent(), all[2]);
    EXPECT_EQ(all[4]->GetNext(), nullptr);

    // A node taken out keeps its places as negated IDs and goes back there.
    for (int which : {2, 1}) {  // a middle child, then the first child
        SCOPED_TRACE(which);
        AKNodeArray taken{all[which]};
        AKNodeIDArray places;
        taken.GrabNodeLinkIDs(&places);
        all[which]->Unlink();
        ASSERT_EQ(taken.ApplyNodeLinkIDs(places), 0);
        all.RelinkNodesWithNegativeLinkIDs();
        EXPECT_EQ(ChildIDs(all[0]), (std::vector<AKNodeID>{2, 3, 4}));
        EXPECT_TRUE(all.CheckNodesLinks());
    }

    // A list of the wrong length changes nothing.
    LinkIDs before = LinkIDsOf(all[1]);
    EXPECT_EQ((AKNodeArray{all[1], all[2]}.ApplyNodeLinkIDs(AKNodeIDArray{1, 2, 3})), -1);
    EXPECT_EQ(LinkIDsOf(all[1]), before);
    AKNodeIDArray places;
    AKNodeArray{all[2], all[3]}.GrabNodeLinkIDs(&places);
    EXPECT_EQ(places, (AKNodeIDArray{0, 2, 4, 0, 3, 0}));
}

TEST(AKNodeArray, SearchesAndIDs)
{
    BareNodes bare;
    AKNode* n3 = bare.Make(3);
    AKNode* n8 = bare.Make(8);
    AKNode* n40 = bare.Make(40);
    AKNodeArray unsorted{n40, n3, n8};
    EXPECT_EQ(unsorted.FindNodeByID(8), n8);
    EXPECT_EQ(unsorted.FindNodeByID(0), nullptr);
    EXPECT_EQ(unsorted.FindMaxNodeID(), 40);
    EXPECT_FALSE(unsorted.IsStrictlySortedByID());
    unsorted.SortByID();
    EXPECT_EQ(unsorted, (AKNodeArray{n3, n8, n40}));
    EXPECT_TRUE(unsorted.IsStrictlySortedByID());
    EXPECT_EQ(unsorted.BSearchNodeByID(40), n40);
    EXPECT_EQ(unsorted.BSearchNodeByID(9), nullptr);
    EXPECT_EQ(unsorted.GetNextAvailableNodeID(), 41);
    EXPECT_EQ(AKNodeArray().GetNextAvailableNodeID(), 2);
    EXPECT_EQ(AKNodeArray().FindMaxNodeID(), 0);

    AKRawNodeIDArray raw;
    unsorted.GrabRawNodeIDs(&raw);
    EXPECT_EQ(raw, (AKRawNodeIDArray{3, 8, 40}));

    AKNodeArray found{n3};
    EXPECT_EQ(found.FillWithNodesOfID(AKNodeIDArray{40, 3}, unsorted), 0);
    EXPECT_EQ(found, (AKNodeArray{n40, n3}));
    LogCapture log;
    EXPECT_EQ(found.FillWithNodesOfID(AKNodeIDArray{40, 5}, unsorted), kAKErrorTreeNodeBadID);
    EXPECT_TRUE(found.IsEmpty());
    EXPECT_TRUE(log.Lines().empty());

    n8->Link(n40, kAKLinkModeFirstChildren);
    EXPECT_TRUE((AKNodeArray{n3, n8}).FindNodeWithRChildren(n40));
    EXPECT_FALSE((AKNodeArray{n3}).FindNodeWithRChildren(n40));
    EXPECT_FALSE((AKNodeArray{n3}).FindNodeWithRChildren(nullptr));
}

TEST(AKNodeArray, ChildrenParentsAndClasses)
{
    ObjectNodes nodes;
    AKNode* folder = nodes.Folder(1);
    AKNode* a = nodes.Item(2, 0);
    AKNode* sub = nodes.Adopt(3, _AKClassConstruct<TestSubItem>(TestSubItem::_Class()));
    AKNode* inner = nodes.Folder(4);
    AKNode* deep = nodes.Item(5, 0);
    folder->Link(a, kAKLinkModeLastChildren);
    folder->Link(sub, kAKLinkModeLastChildren);
    folder->Link(inner, kAKLinkModeLastChildren);
    inner->Link(deep, kAKLinkModeFirstChildren);

    AKNodeArray out{a};
    AKNodeArray{folder, inner}.GrabChildren(&out);
    EXPECT_EQ(IDsOf(out), (AKNodeIDArray{2, 3, 4, 5}));
    AKNodeArray{inner, folder}.GrabNodesWithRChildren(&out);
    EXPECT_EQ(IDsOf(out), (AKNodeIDArray{4, 5, 1, 2, 3, 4, 5}));
    EXPECT_EQ(AKNodeArray({folder, inner}).CountNodesWithRChildren(), 7u);

    EXPECT_EQ(AKNodeArray({a, sub, inner}).GetUniqueCommonParent(), folder);
    EXPECT_EQ(AKNodeArray({a, deep}).GetUniqueCommonParent(), nullptr);
    EXPECT_EQ(AKNodeArray({folder}).GetUniqueCommonParent(), nullptr);
    EXPECT_EQ(AKNodeArray().GetUniqueCommonParent(), nullptr);

    AKClass const* itemClass = TestItem::_Class();
    AKClass const* top = AKClass::GetTopClass();
    AKNodeArray mixed{a, sub, inner};
    EXPECT_EQ(AKNodeArray({a, sub}).GetCommonBaseClass(), itemClass);
    EXPECT_EQ(mixed.GetCommonBaseClass(), TestBaseObject::_Class());
    EXPECT_EQ(AKNodeArray().GetCommonBaseClass(), top);
    EXPECT_EQ(mixed.NodeCountOfClass(itemClass), 2u);
    EXPECT_EQ(mixed.NodeCountOfClass(nullptr), 0u);
    EXPECT_TRUE(mixed.HasOneNodeAtLeastOfClass(TestSubItem::_Class()));
    EXPECT_FALSE(mixed.HasAllNodesOfClass(itemClass));
    EXPECT_TRUE(AKNodeArray({a, sub}).HasAllNodesOfClass(itemClass));
    EXPECT_TRUE(mixed.HasAllNodesOfClass(top));
    EXPECT_FALSE(AKNodeArray().HasOneNodeAtLeastOfClass(top));
    EXPECT_FALSE(mixed.HasOneNodeAtLeastOfClass(nullptr));

    AKClassArray classes;
    AKNodeArray{a, inner, deep, sub}.GrabClasses(&classes);
    EXPECT_EQ(classes, (AKClassArray{itemClass, TestFolder::_Class(), TestSubItem::_Class()}));
    mixed.GrabNodesOfClass(&out, itemClass);
    EXPECT_EQ(out, (AKNodeArray{a, sub}));
    mixed.GrabNodesOfClass(&out, nullptr);
    EXPECT_TRUE(out.IsEmpty());
    ATObjectArray<AKObject> objects;
    mixed.GrabObjects(&objects);
    EXPECT_EQ(objects, (ATObjectArray<AKObject>{a->GetObject(), sub->GetObject(), inner->GetObject()}));
    mixed.GrabObjectsOfClass(&objects, TestFolder::_Class());
    EXPECT_EQ(objects, (ATObjectArray<AKObject>{inner->GetObject()}));

    TestItem* loose = NewItem(0);
    out.FillWithOwnerNodesOfObjects(ATObjectArray<AKObject>{deep->GetObject(), loose});
    EXPECT_EQ(out, (AKNodeArray{deep, nullptr}));
    AKClass::DeleteObject(loose);

    // A node without object fails "every", and is skipped by the grabs.
    AKNode* bare = new (&nodes.Allocator()) AKNode(&nodes.Allocator(), nullptr, 9, nullptr);
    EXPECT_FALSE(AKNodeArray({a, bare}).HasAllNodesOfClass(itemClass));
    AKNodeArray{a, bare}.GrabObjects(&objects);
    EXPECT_EQ(objects.Count(), 1u);
    delete bare;
}

TEST(AKNodeArray, RenumberStopsAtTheFirstFailure)
{
    BareNodes bare;
    AKNodeArray nodes = bare.MakeRun(10, 3);
    nodes.LinkAsList();
    nodes[2]->SetID(99);
    AKTreeRenum renum;
    renum.Setup(AKNodeIDArray{10, 11, 12}, true, 1);
    EXPECT_EQ(nodes.RenumberIDs(renum, false), kAKErrorTreeNodeBadID);
    EXPECT_EQ(nodes[0]->GetID(), 1);
    EXPECT_EQ(LinkIDsOf(nodes[0]), (LinkIDs{0, 0, 0, 2}));
    EXPECT_EQ(nodes[1]->GetID(), 2);
    EXPECT_EQ(nodes[2]->GetID(), 0);

    nodes[2]->SetID(12);
    nodes[2]->SetPrevID(11);
    renum.Setup(AKNodeIDArray{12}, true, 3);
    EXPECT_EQ((AKNodeArray{nodes[2]}.RenumberIDs(renum, true)), kAKErrorTreeNodeBadID);
}

TEST(AKNodeArray, DeleteAllNodesWithOrWithoutTheirObjects)
{
    int const liveBefore = TestItem::LiveCount();
    AKNodeAllocator allocator;
    AKContextObject context(nullptr);
    TestItem* kept = NewItem(1);
    AKNodeArray nodes{AKNode::NewNodeWithObject(allocator, &context, 1, kept), nullptr,
                      AKNode::NewNodeWithObject(allocator, &context, 2, NewItem(2))};
    nodes[0]->Link(nodes[2], kAKLinkModeFirstChildren);
    ATObjectArray<AKObject> objects;
    nodes.GrabObjects(&objects);

    LogCapture log;
    nodes.DeleteAllNodes(false);
    EXPECT_TRUE(nodes.IsEmpty());
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
    EXPECT_EQ(TestItem::LiveCount(), liveBefore + 2);
    for (AKObject* object : objects) {
        EXPECT_EQ(object->GetNodeOwner(), nullptr);
        EXPECT_EQ(object->GetContext(), nullptr);
    }
    EXPECT_TRUE(log.Lines().empty());

    AKNodeArray again{AKNode::NewNodeWithObject(allocator, &context, 1, kept)};
    objects.RemoveItems(kept);
    AKDeletes(objects);
    again.DeleteAllNodes(true);
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
    EXPECT_TRUE(log.Lines().empty());
}
