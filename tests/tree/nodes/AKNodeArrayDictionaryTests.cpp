// Nested node dictionaries: writing subtrees under "Subs", reading them
// back with IDs from the dictionaries or from the counter, and refusing IDs
// that leave no room for a next one.

#include "AKDictionary.h"
#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

namespace {

AKDictionary Item(unsigned int value, long long nodeID = 0, std::initializer_list<AKDictionary> subs = {})
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString("tstItem")));
    dictionary.SetValue("Value", AKValueSetasUInt(value));
    if (nodeID != 0)
        dictionary.SetValue("ID", AKValueSetasSInt(nodeID));
    if (subs.size() != 0) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

AKDictionary Top(std::initializer_list<AKDictionary> subs)
{
    AKDictionary top;
    AKValueArray array;
    for (AKDictionary const& sub : subs)
        array.Push(AKValueSetasAKDictionary(sub));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

AKNodeIDArray IDsOf(AKNodeArray const& nodes)
{
    AKNodeIDArray ids;
    nodes.GrabNodeIDs(&ids);
    return ids;
}

// Reads into `read` (which may hold a root), leaving the nodes to `owner`.
int Read(ObjectNodes& owner, AKDictionary const& top, AKNodeID nextID, bool keepRoot, AKNodeArray* read)
{
    int status = read->InitNodesWithRChildrenFromDico(top, owner.Allocator(), owner.Context(), nextID, keepRoot);
    owner.Own(*read);
    return status;
}

}  // namespace

TEST(AKNodeArrayDictionary, CounterStartsAboveEveryExplicitID)
{
    ObjectNodes owner;
    AKNodeArray read;
    ASSERT_EQ(Read(owner, Top({Item(1), Item(2), Item(3, 7)}), 3, false, &read), 0);
    EXPECT_EQ(IDsOf(read), (AKNodeIDArray{8, 9, 7}));
    EXPECT_EQ(LinkIDsOf(read[0]), (LinkIDs{0, 0, 0, 9}));
    EXPECT_EQ(LinkIDsOf(read[1]), (LinkIDs{0, 0, 8, 7}));
    EXPECT_EQ(LinkIDsOf(read[2]), (LinkIDs{0, 0, 9, 0}));

    // The counter never starts below 2, nor below the tree's next ID.
    AKNodeArray fromOne;
    ASSERT_EQ(Read(owner, Top({Item(1), Item(2)}), 1, false, &fromOne), 0);
    EXPECT_EQ(IDsOf(fromOne), (AKNodeIDArray{2, 3}));
    AKNodeArray fromNext;
    ASSERT_EQ(Read(owner, Top({Item(1, 4), Item(2)}), 30, false, &fromNext), 0);
    EXPECT_EQ(IDsOf(fromNext), (AKNodeIDArray{4, 30}));
}

TEST(AKNodeArrayDictionary, NestingGivesDepthFirstOrderAndLinkIDs)
{
    ObjectNodes owner;
    AKNodeArray read{owner.Adopt(1, AKNew<AKObjectFolderRoot>("%s", ""))};
    AKDictionary top = Top({Item(10, 0, {Item(11), Item(12, 0, {Item(13)})}), Item(14)});
    ASSERT_EQ(Read(owner, top, 2, true, &read), 0);
    // Root first, then A B C D E.
    EXPECT_EQ(IDsOf(read), (AKNodeIDArray{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(LinkIDsOf(read[0]), (LinkIDs{0, 2, 0, 0}));
    EXPECT_EQ(LinkIDsOf(read[1]), (LinkIDs{1, 3, 0, 6}));
    EXPECT_EQ(LinkIDsOf(read[2]), (LinkIDs{2, 0, 0, 4}));
    EXPECT_EQ(LinkIDsOf(read[3]), (LinkIDs{0, 5, 3, 0}));
    EXPECT_EQ(LinkIDsOf(read[4]), (LinkIDs{4, 0, 0, 0}));
    EXPECT_EQ(LinkIDsOf(read[5]), (LinkIDs{0, 0, 2, 0}));
    EXPECT_EQ(ValueOf(read[4]), 13u);

    read.SortByID();
    read.RelinkNodesFromLinkIDs();
    EXPECT_TRUE(read.CheckNodesLinks());
    EXPECT_EQ(read[0]->CountNodesWithRChildren(), 6u);

    // Without keepRoot, or with anything but a lone root, the array is
    // emptied and the top nodes get no parent.
    for (bool keepRoot : {false, true}) {
        AKNodeArray other{read[0], read[1]};
        if (!keepRoot)
            other.Pop();
        ASSERT_EQ(Read(owner, Top({Item(1)}), 50, keepRoot, &other), 0);
        ASSERT_EQ(other.Count(), 1u);
        EXPECT_EQ(LinkIDsOf(other[0]), (LinkIDs{0, 0, 0, 0}));
    }

    // Without "Subs": nothing read.
    AKNodeArray none{read[1]};
    EXPECT_EQ(Read(owner, AKDictionary(), 2, false, &none), 0);
    EXPECT_TRUE(none.IsEmpty());
}

TEST(AKNodeArrayDictionary, FailuresStopTheReadAndLeaveTheNodesRead)
{
    int const liveBefore = TestItem::LiveCount();
    {
        // An element that is not a dictionary reads as one without class.
        ObjectNodes owner;
        AKDictionary top = Top({Item(1), Item(2)});
        AKValueArray subs = AKValueGetasAKValueArray(top.GetValue("Subs"));
        subs.Insert(1, AKValueSetasSInt(5));
        top.SetValue("Subs", AKValueSetasAKValueArray(subs));
        AKNodeArray read;
        EXPECT_EQ(Read(owner, top, 2, false, &read), kAKErrorObjectNewUnknownClass);
        EXPECT_EQ(IDsOf(read), (AKNodeIDArray{2}));
    }
    {
        // An explicit ID with no room for a next ID is refused before
        // anything is read, however deep it sits.
        ObjectNodes owner;
        AKNodeArray read;
        EXPECT_EQ(Read(owner, Top({Item(1), Item(2, 0, {Item(3, INT_MAX)})}), 2, false, &read), kAKErrorTreeNodeBadID);
        EXPECT_TRUE(read.IsEmpty());
        EXPECT_EQ(owner.Allocator().CountAllocatedNodes(), 0u);
        EXPECT_EQ(Read(owner, Top({Item(1, 0x1FFFFFFFFLL)}), 2, false, &read), kAKErrorTreeNodeBadID);
        EXPECT_EQ(owner.Allocator().CountAllocatedNodes(), 0u);
    }
    {
        // The counter runs out at the largest ID.
        ObjectNodes owner;
        AKNodeArray read;
        EXPECT_EQ(Read(owner, Top({Item(1), Item(2)}), kAKNodeIDMax, false, &read), kAKErrorTreeNodeBadID);
        EXPECT_EQ(IDsOf(read), (AKNodeIDArray{kAKNodeIDMax}));
        AKNodeArray explicitTop;
        EXPECT_EQ(Read(owner, Top({Item(1, kAKNodeIDMax - 1), Item(2)}), 2, false, &explicitTop), 0);
        EXPECT_EQ(IDsOf(explicitTop), (AKNodeIDArray{kAKNodeIDMax - 1, kAKNodeIDMax}));
    }
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
}

TEST(AKNodeArrayDictionary, WritingSubtreesAndReadingThemBack)
{
    ObjectNodes nodes;
    AKNode* a = nodes.Item(4, 40);
    AKNode* b = nodes.Item(6, 60);
    AKNode* c = nodes.Item(9, 90);
    AKNode* hidden = nodes.Adopt(11, NewOptionItem(kAKObjectOptionNoDictionary));
    a->Link(b, kAKLinkModeFirstChildren);

    AKDictionary written;
    written.SetValue("Other", AKValueSetasSInt(1));
    ASSERT_EQ((AKNodeArray{a, hidden, c}).WriteNodesWithRChildrenToDico(written, true), 0);
    AKValueArray const& subs = AKValueGetasAKValueArray(written.GetValue("Subs"));
    ASSERT_EQ(subs.Count(), 2u);
    EXPECT_TRUE(written.ContainsKey("Other"));

    ObjectNodes owner;
    AKNodeArray read;
    ASSERT_EQ(Read(owner, written, 2, false, &read), 0);
    EXPECT_EQ(IDsOf(read), (AKNodeIDArray{4, 6, 9}));
    EXPECT_EQ(LinkIDsOf(read[1]), (LinkIDs{4, 0, 0, 0}));
    EXPECT_EQ(ValueOf(read[2]), 90u);

    // Nothing written leaves the dictionary untouched: an empty array, only
    // left-out objects, or a failure.
    AKDictionary untouched;
    ASSERT_EQ(AKNodeArray().WriteNodesWithRChildrenToDico(untouched, true), 0);
    ASSERT_EQ((AKNodeArray{hidden}).WriteNodesWithRChildrenToDico(untouched, true), 0);
    EXPECT_TRUE(untouched.IsEmpty());
    AKNode* bare = new (&nodes.Allocator()) AKNode(&nodes.Allocator(), nullptr, 12, nullptr);
    EXPECT_EQ((AKNodeArray{c, bare}).WriteNodesWithRChildrenToDico(untouched, true), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_TRUE(untouched.IsEmpty());
    delete bare;
}
