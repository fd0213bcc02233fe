// The dictionary form of nodes: which keys are written, the options that
// force or suppress them, and reading one node dictionary back.

#include "AKDictionary.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

AKDictionary ItemDictionary(unsigned int value, char const* name)
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString("tstItem")));
    dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    dictionary.SetValue("Value", AKValueSetasUInt(value));
    return dictionary;
}

AKDictionary WithID(AKDictionary dictionary, long long nodeID)
{
    dictionary.SetValue("ID", AKValueSetasSInt(nodeID));
    return dictionary;
}

}  // namespace

TEST(AKNodeDictionary, KeysOfOneNode)
{
    ObjectNodes nodes;
    AKNode* item = nodes.Item(6, 42, "ab");
    AKDictionary written;
    ASSERT_EQ(item->WriteNodeToDictionary(written, false), 0);
    EXPECT_EQ(written, ItemDictionary(42, "ab"));
    written.Clear();
    ASSERT_EQ(item->WriteNodeToDictionary(written, true), 0);
    EXPECT_EQ(written, WithID(ItemDictionary(42, "ab"), 6));

    // Option 2: the ID even when not asked.
    AKNode* always = nodes.Adopt(7, NewOptionItem(kAKObjectOptionAlwaysDictID, 1));
    always->GetObject()->akmSetName(AKString("c"), false);
    written.Clear();
    ASSERT_EQ(always->WriteNodeToDictionary(written, false), 0);
    EXPECT_EQ(written, WithID(ItemDictionary(1, "c"), 7));

    // Option 4: nothing at all.
    AKNode* hidden = nodes.Adopt(8, NewOptionItem(kAKObjectOptionNoDictionary, 1));
    written.Clear();
    ASSERT_EQ(hidden->WriteNodeToDictionary(written, true), 0);
    EXPECT_TRUE(written.IsEmpty());

    AKNodeAllocator allocator;
    AKNode* bare = new (&allocator) AKNode(&allocator, nullptr, 4, nullptr);
    LogCapture log;
    EXPECT_EQ(bare->WriteNodeToDictionary(written, true), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_EQ(bare->WriteNodeWithRChildrenToDictionary(written, true), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(written.IsEmpty());
    delete bare;
}

TEST(AKNodeDictionary, SubtreesNestUnderSubsAndOption4LeavesOutAWholeSubtree)
{
    ObjectNodes nodes;
    AKNode* folder = nodes.Folder(1, "f");
    AKNode* a = nodes.Item(2, 10, "a");
    AKNode* hidden = nodes.Adopt(3, NewOptionItem(kAKObjectOptionNoDictionary, 11));
    AKNode* b = nodes.Item(4, 12, "b");
    AKNode* underHidden = nodes.Item(5, 13, "h");
    folder->Link(a, kAKLinkModeLastChildren);
    folder->Link(hidden, kAKLinkModeLastChildren);
    folder->Link(b, kAKLinkModeLastChildren);
    hidden->Link(underHidden, kAKLinkModeFirstChildren);

    AKDictionary written;
    ASSERT_EQ(folder->WriteNodeWithRChildrenToDictionary(written, false), 0);
    AKDictionary expected;
    expected.SetValue("Class", AKValueSetasAKString(AKString("tstFold")));
    expected.SetValue("Name", AKValueSetasAKString(AKString("f")));
    AKValueArray subs{AKValueSetasAKDictionary(ItemDictionary(10, "a")),
                      AKValueSetasAKDictionary(ItemDictionary(12, "b"))};
    expected.SetValue("Subs", AKValueSetasAKValueArray(subs));
    EXPECT_EQ(written, expected);

    // A childless node, or one whose children all write nothing, has no "Subs".
    written.Clear();
    ASSERT_EQ(a->WriteNodeWithRChildrenToDictionary(written, true), 0);
    EXPECT_EQ(written, WithID(ItemDictionary(10, "a"), 2));
    written.Clear();
    hidden->Unlink();
    folder->Link(hidden, kAKLinkModeFirstChildren);
    a->Unlink();
    b->Unlink();
    ASSERT_EQ(folder->WriteNodeWithRChildrenToDictionary(written, false), 0);
    EXPECT_FALSE(written.ContainsKey("Subs"));

    // A descendant without object fails the whole write.
    AKNode* bare = new (&nodes.Allocator()) AKNode(&nodes.Allocator(), nullptr, 9, nullptr);
    folder->Link(bare, kAKLinkModeLastChildren);
    written.Clear();
    EXPECT_EQ(folder->WriteNodeWithRChildrenToDictionary(written, false), kAKErrorTreeNodeNoOwnedObject);
    bare->Unlink();
    delete bare;
}

TEST(AKNodeDictionary, WideAndDeepSubtreesNestInChildOrderUpToTheDepthLimit)
{
    // 300 children, so that their array grows while they are written, the
    // middle one carrying a chain down to the deepest level written.
    ObjectNodes nodes;
    AKNode* top = nodes.Item(1, 7, "n");
    AKNodeID nextID = 2;
    std::vector<AKNode*> children;
    for (unsigned int i = 0; i < 300; ++i) {
        children.push_back(nodes.Item(nextID++, 1000 + i, "n"));
        top->Link(children.back(), kAKLinkModeLastChildren);
    }
    AKNode* deepest = children[150];
    for (unsigned int level = 2; level <= kAKNodeDictionaryMaxDepth; ++level) {
        AKNode* item = nodes.Item(nextID++, level, "n");
        deepest->Link(item, kAKLinkModeFirstChildren);
        deepest = item;
    }

    // The expected form, built from the bottom up.
    auto withSubs = [](AKDictionary dictionary, AKValueArray const& subs) {
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(subs));
        return dictionary;
    };
    AKDictionary chain = ItemDictionary(kAKNodeDictionaryMaxDepth, "n");
    for (unsigned int level = kAKNodeDictionaryMaxDepth - 1; level >= 2; --level)
        chain = withSubs(ItemDictionary(level, "n"), AKValueArray{AKValueSetasAKDictionary(chain)});
    AKValueArray subs;
    for (unsigned int i = 0; i < 300; ++i) {
        AKDictionary child = ItemDictionary(1000 + i, "n");
        subs.Push(AKValueSetasAKDictionary(i == 150 ? withSubs(child, AKValueArray{AKValueSetasAKDictionary(chain)})
                                                    : child));
    }

    AKDictionary written;
    ASSERT_EQ(top->WriteNodeWithRChildrenToDictionary(written, false), 0);
    EXPECT_EQ(written, withSubs(ItemDictionary(7, "n"), subs));

    // One level more is refused, logged; the node keeps its own keys only.
    deepest->Link(nodes.Item(nextID++, 1, "n"), kAKLinkModeFirstChildren);
    written.Clear();
    LogCapture log;
    EXPECT_EQ(top->WriteNodeWithRChildrenToDictionary(written, false), kAKErrorFileDataTooBig);
    EXPECT_EQ(written, ItemDictionary(7, "n"));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("Can't write node 1 as a dictionary"), std::string::npos) << log.Lines()[0];

    // The array form leaves its dictionary untouched.
    AKDictionary untouched = ItemDictionary(5, "u");
    EXPECT_EQ((AKNodeArray{children[0], top}).WriteNodesWithRChildrenToDico(untouched, false), kAKErrorFileDataTooBig);
    EXPECT_EQ(untouched, ItemDictionary(5, "u"));
}

TEST(AKNodeDictionary, ReadingOneNodeTakesItsIDOrTheDefault)
{
    struct Case {
        char const* what;
        AKDictionary dictionary;
        AKNodeID defaultID;
        AKNodeID expectedID;  // 0: the read fails
        int status;
    } const cases[] = {
        {"no ID", ItemDictionary(3, "x"), 40, 40, 0},
        {"ID 0", WithID(ItemDictionary(3, "x"), 0), 40, 40, 0},
        {"explicit ID", WithID(ItemDictionary(3, "x"), 12), 40, 12, 0},
        {"ID as text",
         [] {
             AKDictionary d = ItemDictionary(3, "x");
             d.SetValue("ID", AKValueSetasAKString(AKString("12")));
             return d;
         }(),
         40, 40, 0},
        {"negative ID", WithID(ItemDictionary(3, "x"), -2), 40, 0, kAKErrorTreeNodeBadID},
        {"ID with no room for a next ID", WithID(ItemDictionary(3, "x"), INT_MAX), 40, 0, kAKErrorTreeNodeBadID},
        {"ID beyond 32 bits", WithID(ItemDictionary(3, "x"), 0x100000005LL), 40, 0, kAKErrorTreeNodeBadID},
        {"bad default ID", ItemDictionary(3, "x"), 0, 0, kAKErrorTreeNodeBadID},
        {"no class", AKDictionary(), 40, 0, kAKErrorObjectNewUnknownClass},
    };
    int const liveBefore = TestItem::LiveCount();
    for (Case const& test : cases) {
        SCOPED_TRACE(test.what);
        ObjectNodes nodes;
        LogCapture log;
        AKNode* node =
            AKNode::NewNodeFromDictionary(nodes.Allocator(), nodes.Context(), test.defaultID, test.dictionary);
        EXPECT_EQ(AKNode::sErrorNew, test.status);
        if (test.expectedID == 0) {
            EXPECT_EQ(node, nullptr);
            EXPECT_EQ(nodes.Allocator().CountAllocatedNodes(), 0u);
            // kAKErrorTreeNodeBadID is an answer, not logged.
            if (test.status == kAKErrorTreeNodeBadID) {
                EXPECT_TRUE(log.Lines().empty());
            }
            continue;
        }
        ASSERT_NE(node, nullptr);
        nodes.Own(AKNodeArray{node});
        EXPECT_EQ(node->GetID(), test.expectedID);
        EXPECT_EQ(LinkIDsOf(node), (LinkIDs{0, 0, 0, 0}));
        EXPECT_EQ(ValueOf(node), 3u);
        EXPECT_TRUE(node->CheckNodeObject(nodes.Context()));
    }
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
}
