// Nodes and their objects: creation, ownership, the warnings that repair
// it, the class rules of linking, the object's view of its node and
// renumbering.

#include "AKNode.h"
#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeRenum.h"
#include "LogCapture.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

bool AnyLineHas(LogCapture const& log, char const* text)
{
    for (std::string const& line : log.Lines()) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

TEST(AKNode, NewNodeWithObjectTakesOwnershipAndContext)
{
    AKNodeAllocator allocator;
    AKContextObject context(nullptr);
    TestItem* item = NewItem(3);
    AKNode* node = AKNode::NewNodeWithObject(allocator, &context, 12, item);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(AKNode::sErrorNew, 0);
    EXPECT_EQ(node->GetObject(), item);
    EXPECT_EQ(node->GetID(), 12);
    EXPECT_EQ(LinkIDsOf(node), (LinkIDs{0, 0, 0, 0}));
    EXPECT_EQ(item->GetNodeOwner(), node);
    EXPECT_EQ(item->GetContext(), &context);
    EXPECT_TRUE(node->CheckNodeObject(&context));
    EXPECT_FALSE(node->CheckNodeObject(nullptr));

    // Failures leave no slot taken.
    EXPECT_EQ(AKNode::NewNodeWithObject(allocator, &context, 13, nullptr), nullptr);
    EXPECT_EQ(AKNode::sErrorNew, -1);
    EXPECT_EQ(AKNode::NewNodeWithObject(allocator, &context, 13, item), nullptr);
    EXPECT_EQ(AKNode::sErrorNew, kAKErrorTreeNodeYetOwnedObject);
    EXPECT_EQ(allocator.CountAllocatedNodes(), 1u);

    // Detaching gives the object back without owner or context.
    EXPECT_EQ(node->DetachOwnedObject(), item);
    EXPECT_EQ(node->DetachOwnedObject(), nullptr);
    EXPECT_EQ(item->GetNodeOwner(), nullptr);
    EXPECT_EQ(item->GetContext(), nullptr);
    EXPECT_FALSE(node->CheckNodeObject(&context));
    delete node;
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
    AKClass::DeleteObject(item);
}

TEST(AKNode, WarningsRepairOwnershipMistakes)
{
    AKNodeAllocator allocator;
    AKContextObject context(nullptr);
    AKContextObject other(nullptr);
    int const liveBefore = TestItem::LiveCount();

    // An object of another tree's context takes the node's context.
    TestItem* item = NewItem(1);
    item->_SetContext(&other);
    {
        LogCapture log;
        AKNode* node = new (&allocator) AKNode(&allocator, &context, 2, item);
        EXPECT_TRUE(AnyLineHas(log, "Object has wrong context (fixed)"));
        EXPECT_EQ(item->GetContext(), &context);
        // A node deleted while owning its object deletes the object.
        log.Clear();
        delete node;
        EXPECT_TRUE(AnyLineHas(log, "Delete a node of class <tstItem> still owner of its object (force deletion)"));
        EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    }

    // An object deleted while owned lets its node go.
    {
        AKNode* node = AKNode::NewNodeWithObject(allocator, &context, 3, NewItem(2));
        LogCapture log;
        AKClass::DeleteObject(node->GetObject());
        EXPECT_TRUE(AnyLineHas(log, "still owned by its node"));
        EXPECT_EQ(node->GetObject(), nullptr);
        log.Clear();
        delete node;
        EXPECT_TRUE(log.Lines().empty());
    }
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
}

TEST(AKNode, ObjectsSeeTheirNodeParentAndChildren)
{
    ObjectNodes nodes;
    AKNode* folder = nodes.Folder(1);
    AKNode* a = nodes.Item(2, 10);
    AKNode* b = nodes.Adopt(3, NewOptionItem(0, 11));
    AKNode* sub = nodes.Adopt(4, _AKClassConstruct<TestSubItem>(TestSubItem::_Class()));
    folder->Link(a, kAKLinkModeLastChildren);
    folder->Link(b, kAKLinkModeLastChildren);
    folder->Link(sub, kAKLinkModeLastChildren);

    AKObject* item = b->GetObject();
    EXPECT_EQ(item->NodeOwnerID(), 3);
    EXPECT_EQ(item->GetID(), 3);
    EXPECT_EQ(item->ParentNode(), folder);
    EXPECT_EQ(item->ParentNodeID(), 1);
    EXPECT_EQ(item->ParentObject(), folder->GetObject());
    EXPECT_EQ(folder->GetObject()->ParentNode(), nullptr);
    EXPECT_EQ(folder->GetObject()->ParentNodeID(), 0);

    // A detached copy's negative ID is kept by NodeOwnerID only.
    b->SetID(-3);
    EXPECT_EQ(item->NodeOwnerID(), -3);
    EXPECT_EQ(item->GetID(), 0);
    b->SetID(3);

    AKObject const* parent = folder->GetObject();
    ATObjectArray<AKObject> objects{item};
    parent->GrabChildren(&objects);
    EXPECT_EQ(objects, (ATObjectArray<AKObject>{a->GetObject(), b->GetObject(), sub->GetObject()}));
    parent->GrabChildrenOfClass(&objects, TestSubItem::_Class());
    EXPECT_EQ(objects, (ATObjectArray<AKObject>{sub->GetObject()}));
    parent->GrabChildrenOfClass(&objects, nullptr);
    EXPECT_TRUE(objects.IsEmpty());

    AKNodeArray children{a};
    parent->GrabChildren(&children);
    EXPECT_EQ(children, (AKNodeArray{a, b, sub}));
    parent->GrabChildrenOfClass(&children, TestItem::_Class());
    EXPECT_EQ(children, (AKNodeArray{a, b, sub}));
    parent->GrabChildrenOfClass(&children, TestFolder::_Class());
    EXPECT_TRUE(children.IsEmpty());

    AKNodeIDArray ids;
    ATObjectArray_GrabNodeIDs(ATObjectArray<AKObject>{item, nullptr, parent->ParentObject()}, &ids);
    EXPECT_EQ(ids, (AKNodeIDArray{3, 0, 0}));

    // A detached object yields nothing.
    TestItem* loose = NewItem(5);
    loose->GrabChildren(&objects);
    EXPECT_TRUE(objects.IsEmpty());
    EXPECT_EQ(loose->NodeOwnerID(), 0);
    EXPECT_EQ(loose->ParentObject(), nullptr);
    AKClass::DeleteObject(loose);
}

TEST(AKNode, ClassRulesOfLinking)
{
    ObjectNodes nodes;
    AKNode* root = nodes.Adopt(1, AKNew<AKObjectFolderRoot>("%s", ""));
    AKNode* folder = nodes.Folder(2);
    AKNode* item = nodes.Item(3, 0);
    root->Link(folder, kAKLinkModeFirstChildren);
    folder->Link(item, kAKLinkModeFirstChildren);
    AKNode* bare = new (&nodes.Allocator()) AKNode(&nodes.Allocator(), nullptr, 9, nullptr);

    EXPECT_TRUE(root->CanAcceptChildren());
    EXPECT_TRUE(folder->CanAcceptChildren());
    EXPECT_FALSE(item->CanAcceptChildren());
    EXPECT_FALSE(bare->CanAcceptChildren());
    EXPECT_TRUE(folder->CanAcceptChildrenOfClass(TestSubItem::_Class()));
    EXPECT_FALSE(folder->CanAcceptChildrenOfClass(TestFolder::_Class()));
    EXPECT_FALSE(folder->CanAcceptChildrenOfClass(nullptr));
    EXPECT_TRUE(root->CanAcceptChildrenOfClass(TestFolder::_Class()));

    TestItem* newItem = NewItem(1);
    TestFolder* newFolder = NewFolder();
    ATObjectArray<AKObject> items{newItem};
    ATObjectArray<AKObject> mixed{newItem, newFolder};
    ATObjectArray<AKObject> withNull{newItem, nullptr};
    struct Case {
        char const* what;
        AKNode* target;
        ATObjectArray<AKObject> const* objects;
        AKLinkMode mode;
        bool expected;
    } const cases[] = {
        {"items into a folder", folder, &items, kAKLinkModeFirstChildren, true},
        {"items beside a folder's child", item, &items, kAKLinkModeAfter, true},
        {"a folder into a folder", folder, &mixed, kAKLinkModeLastChildren, false},
        {"a null entry", folder, &withNull, kAKLinkModeLastChildren, false},
        {"beside the root", root, &items, kAKLinkModeBefore, false},
        {"into a node that takes no children", item, &items, kAKLinkModeFirstChildren, false},
        {"mode 0", folder, &items, kAKLinkModeNone, false},
        {"mode 5", folder, &items, AKLinkMode(5), false},
        {"anything into the root", root, &mixed, kAKLinkModeLastChildren, true},
    };
    ATObjectArray<AKObject> const empty;
    EXPECT_FALSE(folder->CanLinkWithObjects(empty, kAKLinkModeFirstChildren));
    for (Case const& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(test.target->CanLinkWithObjects(*test.objects, test.mode), test.expected);
        AKClassArray classes;
        for (AKObject const* object : *test.objects)
            classes.Push(object ? object->GetClass() : nullptr);
        EXPECT_EQ(test.target->CanLinkWithObjectsOfClass(classes, test.mode), test.expected);
    }
    EXPECT_TRUE(item->CanLinkWithObjectsOfClass(TestSubItem::_Class(), kAKLinkModeBefore));
    EXPECT_FALSE(item->CanLinkWithObjectsOfClass(nullptr, kAKLinkModeBefore));
    EXPECT_FALSE(folder->CanLinkWithObjectsOfClass(AKClassArray(), kAKLinkModeFirstChildren));

    // Nodes: their objects' classes; a node without object is refused.
    EXPECT_TRUE(folder->CanLinkWithNodes(AKNodeArray{item}, kAKLinkModeFirstChildren));
    EXPECT_FALSE(item->CanLinkWithNodes(AKNodeArray{folder}, kAKLinkModeAfter));
    EXPECT_FALSE(folder->CanLinkWithNodes(AKNodeArray{item, bare}, kAKLinkModeFirstChildren));
    EXPECT_FALSE(folder->CanLinkWithNodes(AKNodeArray(), kAKLinkModeFirstChildren));

    delete bare;
    AKClass::DeleteObject(newItem);
    AKClass::DeleteObject(newFolder);
}

TEST(AKNode, RenumberingMapsTheIDAndLinksAndTheObjectsExtraIDs)
{
    ObjectNodes nodes;
    OptionItem* keeper = NewOptionItem(kAKObjectOptionRenumberNodeIDs);
    keeper->fLinkedID = 12;
    AKNode* node = nodes.Adopt(9, keeper);
    node->SetLinkIDs(5, 12, 0, -4);
    AKTreeRenum renum;
    renum.Setup(AKNodeIDArray{5, 9, 12}, true, 20);

    ASSERT_EQ(node->RenumberIDs(renum, true), 0);
    EXPECT_EQ(node->GetID(), 21);
    EXPECT_EQ(LinkIDsOf(node), (LinkIDs{20, 22, 0, -4}));
    EXPECT_EQ(keeper->fLinkedID, 22);

    // Negative links not kept fail; so does an object whose extra ID fails,
    // whatever its own status.
    renum.Setup(AKNodeIDArray{20, 21, 22}, true, 1);
    EXPECT_EQ(node->RenumberIDs(renum, false), kAKErrorTreeNodeBadID);
    node->SetLinkIDs(0, 0, 0, 0);
    node->SetID(21);
    keeper->fLinkedID = 99;
    keeper->fRenumberFailure = 7;
    EXPECT_EQ(node->RenumberIDs(renum, false), kAKErrorTreeNodeBadID);

    // Without option 1 the object is not asked.
    OptionItem* plain = NewOptionItem(0);
    plain->fLinkedID = 99;
    AKNode* other = nodes.Adopt(22, plain);
    EXPECT_EQ(other->RenumberIDs(renum, false), 0);
    EXPECT_EQ(other->GetID(), 3);
    EXPECT_EQ(plain->fLinkedID, 99);

    // An ID outside the map fails without a log line.
    LogCapture log;
    other->SetID(40);
    EXPECT_EQ(other->RenumberIDs(renum, false), kAKErrorTreeNodeBadID);
    EXPECT_TRUE(log.Lines().empty());
}
