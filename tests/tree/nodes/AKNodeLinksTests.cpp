// Node links: the four link modes, unlinking, the one-link setters,
// navigation and the link invariants.

#include "AKNode.h"
#include "AKNodeArray.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

using IDs = std::vector<AKNodeID>;

// A parent (1) with the children 2, 3, 4, and a chain of two spare nodes
// 10, 11 to link.
struct Family {
    Family()
    {
        parent = nodes.Make(1);
        AKNodeArray children = nodes.MakeRun(2, 3);
        a = children[0];
        b = children[1];
        c = children[2];
        parent->Link(children.LinkAsList(), kAKLinkModeLastChildren);
        x = nodes.Make(10);
        y = nodes.Make(11);
        x->SetNext(y);
    }

    std::vector<AKNode*> All() const { return {parent, a, b, c, x, y}; }

    BareNodes nodes;
    AKNode* parent = nullptr;
    AKNode* a = nullptr;
    AKNode* b = nullptr;
    AKNode* c = nullptr;
    AKNode* x = nullptr;
    AKNode* y = nullptr;
};

class AKNodeLinks : public ::testing::Test, public Family
{};

}  // namespace

TEST_F(AKNodeLinks, EveryModePlacesTheChainAndKeepsTheInvariants)
{
    struct Case {
        char const* where;
        int target;  // 0 parent, 1 a, 2 b, 3 c
        AKLinkMode mode;
        IDs children;
    };
    Case const cases[] = {
        {"first children", 0, kAKLinkModeFirstChildren, {10, 11, 2, 3, 4}},
        {"last children", 0, kAKLinkModeLastChildren, {2, 3, 4, 10, 11}},
        {"before a first child", 1, kAKLinkModeBefore, {10, 11, 2, 3, 4}},
        {"before a middle child", 2, kAKLinkModeBefore, {2, 10, 11, 3, 4}},
        {"after a middle child", 2, kAKLinkModeAfter, {2, 3, 10, 11, 4}},
        {"after the last child", 3, kAKLinkModeAfter, {2, 3, 4, 10, 11}},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.where);
        Family f;
        AKNode* targets[] = {f.parent, f.a, f.b, f.c};
        targets[test.target]->Link(f.x, test.mode);
        EXPECT_EQ(ChildIDs(f.parent), test.children);
        EXPECT_TRUE(AllLinksHold(f.All()));
        EXPECT_EQ(f.x->Parent(), f.parent);
        EXPECT_EQ(f.y->Parent(), f.parent);
        // Only the first child holds the parent link.
        for (AKNode const* child = f.parent->GetSub(); child; child = child->GetNext())
            EXPECT_EQ(child->GetSupID(), child == f.parent->GetSub() ? 1 : 0);
    }
}

TEST_F(AKNodeLinks, BeforeAFirstChildMovesTheParentLinkToTheChainHead)
{
    a->Link(x, kAKLinkModeBefore);
    EXPECT_EQ(parent->GetSub(), x);
    EXPECT_EQ(parent->GetSubID(), 10);
    EXPECT_EQ(LinkIDsOf(x), (LinkIDs{1, 0, 0, 11}));
    EXPECT_EQ(x->GetSup(), parent);
    // The old first child lost its sup and has a prev instead.
    EXPECT_EQ(LinkIDsOf(a), (LinkIDs{0, 0, 11, 3}));
    EXPECT_EQ(a->GetSup(), nullptr);
    EXPECT_EQ(a->GetPrev(), y);
}

TEST_F(AKNodeLinks, LastChildrenOfAChildlessNodeAndUnknownModes)
{
    a->Link(x, kAKLinkModeLastChildren);
    EXPECT_EQ(ChildIDs(a), (IDs{10, 11}));
    EXPECT_EQ(LinkIDsOf(x), (LinkIDs{2, 0, 0, 11}));
    EXPECT_TRUE(AllLinksHold(All()));

    AKNode* z = nodes.Make(12);
    for (AKLinkMode mode : {kAKLinkModeNone, AKLinkMode(5)}) {
        b->Link(z, mode);
        EXPECT_EQ(LinkIDsOf(z), (LinkIDs{0, 0, 0, 0}));
        EXPECT_EQ(ChildIDs(parent), (IDs{2, 3, 4}));
    }
}

TEST_F(AKNodeLinks, UnlinkKeepsTheSubtreeAndJoinsTheBrothers)
{
    x->Unlink();
    y->Unlink();
    b->Link(x, kAKLinkModeFirstChildren);  // b has one child, 10

    // A first child with brothers: the next brother takes the parent link.
    a->Unlink();
    EXPECT_EQ(ChildIDs(parent), (IDs{3, 4}));
    EXPECT_EQ(LinkIDsOf(b), (LinkIDs{1, 10, 0, 4}));
    EXPECT_EQ(b->GetSup(), parent);
    EXPECT_EQ(LinkIDsOf(a), (LinkIDs{0, 0, 0, 0}));

    // The last child.
    c->Unlink();
    EXPECT_EQ(ChildIDs(parent), (IDs{3}));
    EXPECT_EQ(b->GetNextID(), 0);

    // An only child with its own child: the parent's sub is emptied, the
    // subtree stays under the node.
    b->Unlink();
    EXPECT_EQ(parent->GetSub(), nullptr);
    EXPECT_EQ(parent->GetSubID(), 0);
    EXPECT_EQ(LinkIDsOf(b), (LinkIDs{0, 10, 0, 0}));
    EXPECT_EQ(x->Parent(), b);
    EXPECT_TRUE(AllLinksHold(All()));

    // A middle brother of a chain without parent.
    AKNode* z = nodes.Make(12);
    a->SetNext(c);
    c->SetNext(z);
    c->Unlink();
    EXPECT_EQ(a->GetNext(), z);
    EXPECT_EQ(LinkIDsOf(z), (LinkIDs{0, 0, 2, 0}));
    EXPECT_TRUE(AllLinksHold({a, c, z}));
}

TEST_F(AKNodeLinks, OneLinkSetters)
{
    x->Unlink();
    c->SetSub(x);
    EXPECT_EQ(LinkIDsOf(c), (LinkIDs{0, 10, 3, 0}));
    EXPECT_EQ(LinkIDsOf(x), (LinkIDs{4, 0, 0, 0}));

    // SetSup empties the prev link and makes this node the parent's sub.
    AKNode* z = nodes.Make(12);
    z->SetPrev(y);
    z->SetSup(a);
    EXPECT_EQ(LinkIDsOf(z), (LinkIDs{2, 0, 0, 0}));
    EXPECT_EQ(a->GetSub(), z);
    EXPECT_EQ(a->GetSubID(), 12);

    // SetPrev empties the sup link; a null argument empties that link alone.
    z->SetPrev(y);
    EXPECT_EQ(LinkIDsOf(z), (LinkIDs{0, 0, 11, 0}));
    EXPECT_EQ(y->GetNext(), z);
    z->SetPrev(nullptr);
    EXPECT_EQ(z->GetPrev(), nullptr);
    EXPECT_EQ(LinkIDsOf(z), (LinkIDs{0, 0, 0, 0}));
}

TEST_F(AKNodeLinks, Navigation)
{
    b->Link(x, kAKLinkModeFirstChildren);  // 1 { 2, 3 { 10, 11 }, 4 }
    EXPECT_EQ(y->Parent(), b);
    EXPECT_EQ(y->GrandParent(), parent);
    EXPECT_EQ(parent->GrandParent(), nullptr);
    EXPECT_EQ(y->TopRoot(), parent);
    EXPECT_EQ(parent->TopRoot(), parent);
    EXPECT_EQ(c->FirstBrother(), a);
    EXPECT_EQ(a->LastBrother(), c);
    EXPECT_EQ(parent->FirstBrother(), parent);
    EXPECT_TRUE(c->IsOneOfPrevBrother(a));
    EXPECT_FALSE(c->IsOneOfPrevBrother(c));
    EXPECT_FALSE(c->IsOneOfPrevBrother(nullptr));
    EXPECT_TRUE(a->IsOneOfNextBrother(c));
    EXPECT_FALSE(a->IsOneOfNextBrother(x));
    EXPECT_EQ(parent->LastChild(), c);
    EXPECT_EQ(c->LastChild(), nullptr);
    EXPECT_EQ(parent->CountChildren(), 3u);
    EXPECT_EQ(parent->CountNodesWithRChildren(), 6u);
    EXPECT_EQ(b->CountNodesWithRChildren(), 3u);
    EXPECT_TRUE(parent->FindNodeWithRChildren(y));
    EXPECT_TRUE(b->FindNodeWithRChildren(b));
    EXPECT_FALSE(a->FindNodeWithRChildren(y));
    EXPECT_EQ(y->GetHierarchyLevel(), 2u);
    EXPECT_TRUE(parent->HasHierarchyLevel(0));
    EXPECT_FALSE(a->HasHierarchyLevel(0));

    AKNodeArray all;
    parent->GrabNodeWithRChildren(&all);
    AKNodeIDArray ids;
    all.GrabNodeIDs(&ids);
    EXPECT_EQ(ids, (AKNodeIDArray{1, 2, 3, 10, 11, 4}));
    a->GrabNodeWithRChildren(&all);
    ASSERT_EQ(all.Count(), 1u);
    EXPECT_EQ(all[0], a);
    parent->GrabChildren(&all);
    all.GrabNodeIDs(&ids);
    EXPECT_EQ(ids, (AKNodeIDArray{2, 3, 4}));
}

TEST_F(AKNodeLinks, LinkCheckCatchesBrokenInvariants)
{
    EXPECT_TRUE(AllLinksHold(All()));

    // A positive link ID without its pointer.
    c->SetNextID(7);
    EXPECT_FALSE(c->CheckNodeLinks());
    // A negative one needs none.
    c->SetNextID(-7);
    EXPECT_TRUE(c->CheckNodeLinks());
    c->SetNextID(0);

    // A link ID that is not the pointed node's.
    b->SetPrevID(9);
    EXPECT_FALSE(b->CheckNodeLinks());
    b->SetPrevID(2);

    // A pointer whose partner does not point back.
    b->SetLinkPointers(nullptr, nullptr, c, c);
    b->SetLinkIDs(0, 0, 4, 4);
    EXPECT_FALSE(b->CheckNodeLinks());
    b->SetLinkPointers(nullptr, nullptr, a, c);
    b->SetLinkIDs(0, 0, 2, 4);
    EXPECT_TRUE(b->CheckNodeLinks());

    // A sup ID and a prev ID both set.
    b->SetSupID(-1);
    EXPECT_FALSE(b->CheckNodeLinks());
}
