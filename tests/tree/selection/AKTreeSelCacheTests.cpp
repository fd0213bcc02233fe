// Detached-copy stores: the summary and its queries, clearing, the two forms
// kept apart, and the shared pasteboard.

#include "AKStatus.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelCache.h"
#include "SelTestFixtures.h"

class TreeSelCacheTest : public SelTreeTest
{};

TEST_F(TreeSelCacheTest, ANewStoreIsEmptyAndLinksNowhere)
{
    AKTree& tree = NewDocument();
    for (unsigned int options : {0u, kAKTreeSelCacheDictionaryForm}) {
        AKTreeSelCache store(options);
        EXPECT_EQ(store.IsDictionaryForm(), options != 0);
        EXPECT_TRUE(store.IsEmpty());
        EXPECT_EQ(store.GetCommonBaseClass(), nullptr);
        EXPECT_FALSE(store.CanLink(tree.GetRootNode(), kAKLinkModeLastChildren));
        EXPECT_FALSE(store.HasAllNodesOfClass(AKObject::_Class()));
    }
}

TEST_F(TreeSelCacheTest, SummaryQueriesFollowTheCopiedSelection)
{
    AKTree& tree = NewDocument();
    AKTreeSelCache store(0);
    ASSERT_EQ(
        tree.WriteTreeSelToCache(&store, AKTreeSelWithNodes(&tree, NodesOf({ItemNode(tree, 4), ItemNode(tree, 6)}))),
        0);
    EXPECT_EQ(store.GetObjectCount(), 2u);
    EXPECT_EQ(store.GetCommonBaseClass(), TestItem::_Class());
    // Two objects: never "one node", even of the very class.
    EXPECT_FALSE(store.HasOneNodeOfClass(TestItem::_Class()));
    EXPECT_TRUE(store.HasAllNodesOfClass(TestItem::_Class()));
    EXPECT_TRUE(store.HasAllNodesOfClass(TestBaseObject::_Class()));
    EXPECT_FALSE(store.HasAllNodesOfClass(TestSubItem::_Class()));
    EXPECT_FALSE(store.HasAllNodesOfClass(nullptr));
    // Items go into folders and beside items, not beside the root.
    EXPECT_TRUE(store.CanLink(FolderNode(tree, "F"), kAKLinkModeLastChildren));
    EXPECT_TRUE(store.CanLink(ItemNode(tree, 2), kAKLinkModeAfter));
    EXPECT_FALSE(store.CanLink(ItemNode(tree, 2), kAKLinkModeLastChildren));
    EXPECT_FALSE(store.CanLink(tree.GetRootNode(), kAKLinkModeAfter));
    EXPECT_FALSE(store.CanLink(nullptr, kAKLinkModeAfter));

    ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, FolderNode(tree, "G"))), 0);
    EXPECT_TRUE(store.HasOneNodeOfClass(TestFolder::_Class()));
    EXPECT_FALSE(store.HasOneNodeOfClass(TestItem::_Class()));
    EXPECT_FALSE(store.CanLink(FolderNode(tree, "F"), kAKLinkModeLastChildren));
}

TEST_F(TreeSelCacheTest, ClearEmptiesTheStoreAndKeepsItsForm)
{
    AKTree& tree = NewDocument();
    for (unsigned int options : {0u, kAKTreeSelCacheDictionaryForm}) {
        AKTreeSelCache store(options);
        ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
        store.Clear();
        EXPECT_TRUE(store.IsEmpty());
        EXPECT_EQ(store.GetClasses().Count(), 0u);
        EXPECT_EQ(store.GetCommonBaseClass(), nullptr);
        EXPECT_FALSE(store.GetMemoryStream().IsOpened());
        EXPECT_TRUE(store.GetDictionary().IsEmpty());
        EXPECT_EQ(store.IsDictionaryForm(), options != 0);
        for (AKNode* node : tree.GetNodes()) {
            for (AKLinkMode mode = kAKLinkModeFirstChildren; mode <= kAKLinkModeAfter; ++mode)
                EXPECT_FALSE(store.CanLink(node, mode));
        }
    }
}

TEST_F(TreeSelCacheTest, EachFormUsesOnlyItsOwnStorage)
{
    AKTree& tree = NewDocument();
    AKTreeSel selection = AKTreeSelWithNode(&tree, FolderNode(tree, "F"));
    AKTreeSelCache binary(0);
    AKTreeSelCache dictionary(kAKTreeSelCacheDictionaryForm);
    ASSERT_EQ(tree.WriteTreeSelToCache(&binary, selection), 0);
    ASSERT_EQ(tree.WriteTreeSelToCache(&dictionary, selection), 0);

    EXPECT_TRUE(binary.GetMemoryStream().IsOpened());
    EXPECT_TRUE(binary.GetDictionary().IsEmpty());
    EXPECT_FALSE(dictionary.GetMemoryStream().IsOpened());
    EXPECT_FALSE(dictionary.GetDictionary().IsEmpty());
}

TEST_F(TreeSelCacheTest, AFailedWriteLeavesTheStoreEmpty)
{
    AKTree& tree = NewDocument();
    for (unsigned int options : {0u, kAKTreeSelCacheDictionaryForm}) {
        AKTreeSelCache store(options);
        ASSERT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSelWithNode(&tree, ItemNode(tree, 4))), 0);
        EXPECT_EQ(tree.WriteTreeSelToCache(&store, AKTreeSel(&tree)), kAKErrorTreeHandlerEmptyTreeSel);
        EXPECT_TRUE(store.IsEmpty());
        EXPECT_TRUE(store.GetDictionary().IsEmpty());
        EXPECT_FALSE(store.GetMemoryStream().IsOpened());
    }
}

TEST_F(TreeSelCacheTest, TheSharedPasteboardIsABinaryStoreAndTheStoreOfANullArgument)
{
    AKTree& tree = NewDocument();
    AKTreePasteboard& pasteboard = AKTreePasteboard::sShared;
    EXPECT_FALSE(pasteboard.IsDictionaryForm());

    ASSERT_EQ(tree.WriteTreeSelToCache(nullptr, AKTreeSelWithNode(&tree, ItemNode(tree, 6))), 0);
    EXPECT_EQ(pasteboard.GetObjectCount(), 1u);
    AKTreeSel out;
    ASSERT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, pasteboard, FolderNode(tree, "G"), kAKLinkModeFirstChildren), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[6,5],6");
    pasteboard.Clear();
    EXPECT_TRUE(pasteboard.IsEmpty());
}
