// A tree whose nodes nest tens of thousands of levels deep: every walk on
// the way from and to files, copies and dictionaries must keep to the heap,
// and the dictionary forms, which cannot hold such a nesting, must refuse
// it with a status instead of exhausting the stack.

#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeSelBuilders.h"
#include "AKTreeSelCache.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

// An item that holds items, itself included: chains of it nest at will. As
// a kind of tstItem it is also allowed at the root of the test documents.
class TestNestItem : public TestItem
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestNestItem, "tstNest")

    TestNestItem() : TestItem(0) { fAllowed[0] = TestItem::_Class(); }

    AKClass const** akmGetAuthoChildClasses() const override { return const_cast<AKClass const**>(fAllowed); }

private:
    AKClass const* fAllowed[2] = {nullptr, nullptr};
};

// Registers the classes of the tree tests again, with the nesting item.
class NestItemEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        ASSERT_EQ(registry.RegisterBegin(), 0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(
                AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr),
            0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfAbstract<TestBaseObject>(AKObject::_ClassID(), "TestBaseObject"),
                                         false, nullptr),
                  0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfConcrete<TestItem>(TestBaseObject::_ClassID(), "TestItem"), false,
                                         nullptr),
                  0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfConcrete<TestFolder>(TestBaseObject::_ClassID(), "TestFolder"),
                                         false, nullptr),
                  0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfConcrete<TestNestItem>(TestItem::_ClassID(), "TestNestItem"),
                                         false, nullptr),
                  0);
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
    }
};

::testing::Environment* const kNestItemEnvironment = ::testing::AddGlobalTestEnvironment(new NestItemEnvironment());

// Deep enough that any walk keeping one stack frame per level would run out
// of stack, in every build.
constexpr unsigned int kChainLength = 50000;

// The number of the item at a level of a chain: even, so never the number
// that makes an item's read fail.
unsigned int ChainValue(unsigned int level) { return 2 * level; }

// The 'TREE' chunk of a root holding a chain of nesting items, the item at
// level n (ID n + 1) the only child of the one at level n - 1.
Bytes ChainTreeChunk(unsigned int length)
{
    HandNodes nodes;
    AKNodeArray all;
    all.Push(nodes.Root());
    for (unsigned int n = 1; n <= length; ++n) {
        AKNode* item = nodes.Adopt(static_cast<AKNodeID>(n + 1), AKNew<TestNestItem>("-value:%u", ChainValue(n)));
        all.Last()->Link(item, kAKLinkModeFirstChildren);
        all.Push(item);
    }
    return TreeChunkOf(all);
}

// Whether the subtree below the node is a chain of `length` items as made
// by ChainTreeChunk.
::testing::AssertionResult IsChain(AKNode const* top, unsigned int length)
{
    AKNode const* node = top->GetSub();
    for (unsigned int n = 0; n < length; ++n, node = node->GetSub()) {
        if (node == nullptr)
            return ::testing::AssertionFailure() << "the chain ends after " << n << " items";
        if (node->GetNext() != nullptr || ValueOf(node) != ChainValue(n + 1))
            return ::testing::AssertionFailure() << "item " << n << " is not the expected one";
    }
    if (node != nullptr)
        return ::testing::AssertionFailure() << "the chain goes on past " << length << " items";
    return ::testing::AssertionSuccess();
}

class AKTreeDeepChain : public TreeTest
{
protected:
    AKTree& NewChainTree(unsigned int length)
    {
        AKTree& tree = NewTree();
        ReadStream stream(ChainTreeChunk(length));
        EXPECT_EQ(tree.InitFromBinFile(stream.File(), nullptr), 0);
        return tree;
    }
};

}  // namespace

TEST_F(AKTreeDeepChain, BinaryFormSavesAndLoadsAnyDepth)
{
    AKTree& tree = NewChainTree(kChainLength);
    ASSERT_EQ(tree.GetNodes().Count(), kChainLength + 1);
    EXPECT_TRUE(IsChain(tree.GetRootNode(), kChainLength));
    EXPECT_EQ(tree.GetRootNode()->CountNodesWithRChildren(), kChainLength + 1);

    AKFile saved(kAKFileModeMemoryStream);
    ASSERT_EQ(saved.CreateForReadWrite(), 0);
    ASSERT_EQ(tree.WriteToBinFile(saved), 0);
    ASSERT_EQ(saved.SetPos(0), 0);
    AKTree& loaded = NewTree();
    ASSERT_EQ(loaded.InitFromBinFile(saved, nullptr), 0);
    EXPECT_TRUE(IsChain(loaded.GetRootNode(), kChainLength));
}

TEST_F(AKTreeDeepChain, DictionaryFormRefusesTheChainWithoutExhaustingTheStack)
{
    AKTree& tree = NewChainTree(kChainLength);
    AKDictionary written;
    written.SetValue("Stale", AKValueSetasUInt(1));
    LogCapture log;
    EXPECT_EQ(tree.WriteToDictionary(&written), kAKErrorFileDataTooBig);
    EXPECT_TRUE(written.IsEmpty());
    EXPECT_NE(LineWith(log.Lines(), "nest deeper than 100 levels"), "");

    // The custom players keep their copies in the dictionary form: the same
    // refusal, the store left empty.
    AKTreeSelCache model(kAKTreeSelCacheDictionaryForm);
    AKNodeArray top{tree.GetRootNode()->GetSub()};
    EXPECT_EQ(tree.WriteTreeSelToCache(&model, AKTreeSelWithRawSelNodes(&tree, top)), kAKErrorFileDataTooBig);
    EXPECT_TRUE(model.IsEmpty());
    EXPECT_TRUE(model.GetDictionary().IsEmpty());
}

TEST_F(AKTreeDeepChain, DetachedCopiesPasteAndDeleteTheWholeChain)
{
    AKTree& tree = NewChainTree(kChainLength);
    AKNode* first = tree.GetRootNode()->GetSub();
    AKTreeSelCache copy;
    ASSERT_EQ(tree.WriteTreeSelToCache(&copy, AKTreeSelWithRawSelNodes(&tree, AKNodeArray{first})), 0);

    AKTreeSel pasted;
    ASSERT_EQ(tree.ReadAndLinkTreeSelFromCache(&pasted, copy, tree.GetRootNode(), kAKLinkModeLastChildren), 0);
    ASSERT_EQ(tree.GetNodes().Count(), 2 * kChainLength + 1);
    AKNode const* second = first->GetNext();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetID(), static_cast<AKNodeID>(kChainLength + 2));
    EXPECT_EQ(ValueOf(second), ChainValue(1));
    EXPECT_EQ(second->CountNodesWithRChildren(), kChainLength);
    EXPECT_EQ(tree.CheckTreeCoherency(), 0);

    ASSERT_EQ(tree.DoTreeSelDelete(AKTreeSelWithRawSelNodes(&tree, AKNodeArray{first})), 0);
    EXPECT_EQ(tree.GetNodes().Count(), kChainLength + 1);
    EXPECT_EQ(tree.GetRootNode()->GetSub(), second);
}

TEST_F(AKTreeDeepChain, DictionaryFormHoldsChainsUpToItsLimit)
{
    // The root's children are level 1: the deepest item sits at the limit.
    AKTree& tree = NewChainTree(kAKNodeDictionaryMaxDepth);
    AKDictionary written;
    ASSERT_EQ(tree.WriteToDictionary(&written), 0);
    AKTree& loaded = NewTreeFromDico(written);
    EXPECT_TRUE(IsChain(loaded.GetRootNode(), kAKNodeDictionaryMaxDepth));
    EXPECT_EQ(NodeIDsOf(loaded), NodeIDsOf(tree));

    AKTree& deeper = NewChainTree(kAKNodeDictionaryMaxDepth + 1);
    LogCapture log;
    EXPECT_EQ(deeper.WriteToDictionary(&written), kAKErrorFileDataTooBig);
    EXPECT_TRUE(written.IsEmpty());
}
