// Loading and writing whole trees: the 'TREE' chunk and the dictionary form,
// renumbering or keeping loaded IDs, all-or-nothing failures and crafted
// corrupt inputs.

#include "AKStatus.h"
#include "LogCapture.h"
#include "TreeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

using AKTreeLoad = TreeTest;

std::vector<unsigned int> ValuesOf(AKTree const& tree)
{
    std::vector<unsigned int> values;
    for (AKNode const* node : tree.GetNodes())
        values.push_back(ValueOf(node));
    return values;
}

constexpr unsigned int kRootValue = 0xFFFFFFFFu;  // ValueOf a node whose object is no item

// The 'TREE' chunk of a root with items 1 { 5, 9 }.
Bytes RootFiveNine()
{
    HandNodes hand;
    return TreeChunkOf(hand.RootWithItems({5, 9}));
}

}  // namespace

// --- 'TREE' chunk ---

TEST_F(AKTreeLoad, FileIDsAreRenumberedIntoOneRun)
{
    AKTree& tree = NewTree();
    AKTreeRenum map;
    ASSERT_EQ(LoadTree(tree, RootFiveNine(), &map), 0);
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 2, 3}));
    EXPECT_EQ(ValuesOf(tree), (std::vector<unsigned int>{kRootValue, 5, 9}));
    EXPECT_EQ(tree.GetNextNodeID(), 4);
    EXPECT_EQ(ChildIDs(tree.GetRootNode()), (std::vector<AKNodeID>{2, 3}));
    EXPECT_EQ(LinkIDsOf(tree.GetNode(3)), (LinkIDs{0, 0, 2, 0}));
    EXPECT_TRUE(tree.IsDirectAccessOn());

    EXPECT_FALSE(map.IsIdentity());
    for (auto [from, to] : {std::pair<AKNodeID, AKNodeID>{1, 1}, {5, 2}, {9, 3}}) {
        AKNodeID id = from;
        EXPECT_TRUE(map.MatchID(&id, false));
        EXPECT_EQ(id, to);
    }
}

TEST_F(AKTreeLoad, KeptLoadedIDsStayAndSetTheNextID)
{
    AKTree& tree = NewTree(kAKTreeOptionDeferredDelete | kAKTreeOptionKeepLoadedIDs);
    AKTreeRenum map;
    map.Setup(AKNodeIDArray{3, 4}, true, 1);
    ASSERT_EQ(LoadTree(tree, RootFiveNine(), &map), 0);
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 5, 9}));
    EXPECT_EQ(tree.GetNextNodeID(), 10);
    EXPECT_EQ(tree.GetNode(9), tree.GetRootNode()->LastChild());
    // No renumbering was applied: the caller's map is emptied.
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
}

TEST_F(AKTreeLoad, ConsecutiveIDsGiveTheIdentityMap)
{
    AKTree& tree = NewTree();
    HandNodes hand;
    AKTreeRenum map;
    ASSERT_EQ(LoadTree(tree, TreeChunkOf(hand.RootWithItems({2, 3})), &map), 0);
    EXPECT_TRUE(map.IsIdentity());
    EXPECT_EQ(tree.GetNextNodeID(), 4);
}

TEST_F(AKTreeLoad, NodesStoredOutOfOrderAreSorted)
{
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({4, 3, 2});
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    ASSERT_EQ(LoadTree(tree, TreeChunkOf(AKNodeArray{nodes[0], nodes[1], nodes[3], nodes[2]})), 0);
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 2, 3, 4}));
    EXPECT_EQ(ChildIDs(tree.GetRootNode()), (std::vector<AKNodeID>{4, 3, 2}));
}

TEST_F(AKTreeLoad, WrittenChunkLayoutAndRoundTrip)
{
    AKTree& source = NewTreeFromDico(DicoTree({DicoItem(7), DicoFolder(0, {DicoItem(8), DicoItem(9)})}));
    Bytes bytes = Written([&](AKFile& file) { return source.WriteToBinFile(file); });
    ASSERT_GE(bytes.size(), 48u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TREE");
    EXPECT_EQ(GetU32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(GetU32(bytes, 8), 5u);
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 32), Bytes(20, 0));
    EXPECT_EQ(std::string(bytes.begin() + 32, bytes.begin() + 36), "ARND");
    EXPECT_EQ(GetU32(bytes, 40), 5u);

    AKTree& copy = NewTree();
    ASSERT_EQ(LoadTree(copy, bytes), 0);
    EXPECT_EQ(NodeIDsOf(copy), NodeIDsOf(source));
    EXPECT_EQ(ValuesOf(copy), ValuesOf(source));
    EXPECT_EQ(ChildIDs(copy.GetNode(3)), (std::vector<AKNodeID>{4, 5}));
    EXPECT_EQ(copy.GetNextNodeID(), source.GetNextNodeID());
}

TEST_F(AKTreeLoad, KeptIDsWithoutRootAtOneFailAndLeaveTheTreeEmpty)
{
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({5});
    nodes[0]->SetID(2);
    nodes[1]->SetSupID(2);
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    AKTreeRenum map;
    map.Setup(AKNodeIDArray{3}, true, 1);
    LogCapture log;
    EXPECT_EQ(LoadTree(tree, TreeChunkOf(nodes), &map), kAKErrorTreeBadCoherency);
    EXPECT_FALSE(LineWith(log.Lines(), "Tree \"Test\" bad coherency (Top-root ID is not equal to 1)").empty());
    EXPECT_EQ(tree.CountNodes(), 0u);
    EXPECT_EQ(tree.GetNextNodeID(), 0);
    EXPECT_FALSE(tree.IsDirectAccessOn());
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
}

TEST_F(AKTreeLoad, FailedLoadDeletesEverythingItReadAndAllowsAnotherInit)
{
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({2, 3, 4});
    static_cast<TestItem*>(nodes[2]->GetObject())->SetValue(TestItem::kFailingValue);
    Bytes bytes = TreeChunkOf(nodes);
    int liveBefore = TestItem::LiveCount();

    AKTree& tree = NewTree();
    LogCapture log;
    EXPECT_NE(LoadTree(tree, bytes), 0);
    EXPECT_EQ(tree.CountNodes(), 0u);
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    EXPECT_EQ(tree.GetAllocator().CountAllocatedNodes(), 0u);

    EXPECT_EQ(tree.InitDefault(TreeTestDocumentType()), 0);
}

TEST_F(AKTreeLoad, LinkToAMissingNodeCannotBeRenumbered)
{
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({2, 5});
    nodes[2]->SetNextID(77);
    AKTree& tree = NewTree();
    LogCapture log;
    EXPECT_EQ(LoadTree(tree, TreeChunkOf(nodes)), kAKErrorTreeNodeBadID);
    EXPECT_EQ(tree.CountNodes(), 0u);
}

// --- Dictionary form ---

TEST_F(AKTreeLoad, DictionaryNodesTakeConsecutiveIDsInDocumentOrder)
{
    AKTree& tree = NewTreeFromDico(DicoTree({DicoFolder(0, {DicoItem(2), DicoItem(3)}), DicoItem(4)}));
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ValuesOf(tree), (std::vector<unsigned int>{kRootValue, kRootValue, 2, 3, 4}));
    EXPECT_EQ(ChildIDs(tree.GetRootNode()), (std::vector<AKNodeID>{2, 5}));
    EXPECT_EQ(tree.GetNextNodeID(), 6);
}

TEST_F(AKTreeLoad, DictionaryIDsAreRenumberedOrKept)
{
    AKDictionary form = DicoTree({DicoItem(50, 5), DicoItem(90, 9)});
    AKTree& renumbered = NewTree();
    AKTreeRenum map;
    ASSERT_EQ(renumbered.InitFromDictionary(form, TreeTestDocumentType(), &map), 0);
    EXPECT_EQ(NodeIDsOf(renumbered), (std::vector<AKNodeID>{1, 2, 3}));
    EXPECT_EQ(renumbered.GetNextNodeID(), 4);
    AKNodeID id = 9;
    EXPECT_TRUE(map.MatchID(&id, false));
    EXPECT_EQ(id, 3);

    AKTree& kept = NewTree(kAKTreeOptionKeepLoadedIDs);
    ASSERT_EQ(kept.InitFromDictionary(form, TreeTestDocumentType(), &map), 0);
    EXPECT_EQ(NodeIDsOf(kept), (std::vector<AKNodeID>{1, 5, 9}));
    EXPECT_EQ(kept.GetNextNodeID(), 10);
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
}

TEST_F(AKTreeLoad, DictionaryTopOnlyGivesItsSubs)
{
    AKDictionary form = DicoTree({DicoItem(1)});
    form.SetValue("ID", AKValueSetasSInt(7));
    form.SetValue("Name", AKValueSetasAKString(AKString("Top name")));
    form.SetValue("Class", AKValueSetasAKString(AKString("tstItem")));
    AKTree& tree = NewTreeFromDico(form, kAKTreeOptionKeepLoadedIDs);
    AKNode* root = tree.GetRootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetID(), 1);
    EXPECT_NE(dynamic_cast<AKObjectFolderRoot*>(root->GetObject()), nullptr);
    EXPECT_NE(root->GetObject()->akmGetName(), AKString("Top name"));
    // The root is the document type's: it refuses what the type does not allow.
    EXPECT_FALSE(root->CanAcceptChildrenOfClass(AKObjectFolderRoot::_Class()));
}

TEST_F(AKTreeLoad, DictionaryWithoutSubsGivesTheRootAlone)
{
    AKTree& tree = NewTreeFromDico(AKDictionary());
    EXPECT_EQ(NodeIDsOf(tree), (std::vector<AKNodeID>{1}));
    EXPECT_EQ(tree.GetNextNodeID(), 2);
}

TEST_F(AKTreeLoad, FailingDictionaryNodeLeavesTheTreeEmpty)
{
    AKDictionary failing = DicoItem(3);
    failing.SetValue("Fail", AKValueSetasUInt(1));
    int liveBefore = TestItem::LiveCount();
    AKTree& tree = NewTree();
    LogCapture log;
    AKTreeRenum map;
    map.Setup(AKNodeIDArray{3}, true, 1);
    EXPECT_NE(tree.InitFromDictionary(DicoTree({DicoItem(1), DicoFolder(0, {DicoItem(2), failing})}),
                                      TreeTestDocumentType(), &map),
              0);
    EXPECT_EQ(tree.CountNodes(), 0u);
    EXPECT_EQ(tree.GetRootNode(), nullptr);
    EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    EXPECT_TRUE(map.GetOldIDs().IsEmpty());
}

TEST_F(AKTreeLoad, ObjectRefusedByItsParentFailsTheLoad)
{
    AKTree& tree = NewTree();
    LogCapture log;
    // Items take no children.
    EXPECT_EQ(tree.InitFromDictionary(DicoTree({DicoItem(1, 0, {DicoItem(2)})}), TreeTestDocumentType(), nullptr),
              kAKErrorTreeBadCoherency);
    EXPECT_FALSE(
        LineWith(log.Lines(), "Tree \"Test\" bad coherency (Some objects are not authorized by their parent)").empty());
    EXPECT_EQ(tree.CountNodes(), 0u);
}

TEST_F(AKTreeLoad, WritingTheDictionaryForm)
{
    AKDictionary form = DicoTree({DicoItem(5), DicoFolder(0, {DicoItem(6)})});
    AKTree& plain = NewTreeFromDico(form);
    AKDictionary written;
    written.SetValue("Stale", AKValueSetasUInt(1));
    ASSERT_EQ(plain.WriteToDictionary(&written), 0);
    EXPECT_FALSE(written.ContainsKey("Stale"));
    EXPECT_FALSE(written.ContainsKey("ID"));
    EXPECT_EQ(*written.GetValue("Class").GetasAKString(), AKString("foldRot"));

    AKTree& copy = NewTreeFromDico(written);
    EXPECT_EQ(ValuesOf(copy), ValuesOf(plain));
    EXPECT_EQ(ChildIDs(copy.GetNode(3)), (std::vector<AKNodeID>{4}));

    AKTree& withIDs = NewTreeFromDico(form, kAKTreeOptionDictionaryIDs);
    ASSERT_EQ(withIDs.WriteToDictionary(&written), 0);
    long long rootID = 0;
    EXPECT_TRUE(written.GetValue("ID").GetasInteger(&rootID, false));
    EXPECT_EQ(rootID, 1);

    AKTree& empty = NewTree();
    EXPECT_EQ(empty.WriteToDictionary(&written), -1);
    EXPECT_TRUE(written.IsEmpty());
}

// --- Crafted corrupt inputs ---

TEST_F(AKTreeLoad, CountBeyondTheChunkIsRefusedBeforeAllocating)
{
    HandNodes hand;
    for (unsigned int count : {0xFFFFFFFFu, 0x10000000u, 3u}) {
        AKTree& tree = NewTree();
        LogCapture log;
        EXPECT_EQ(LoadTree(tree, TreeChunkOf(hand.RootWithItems({}), count)), kAKErrorChunkBadItemCount) << count;
        EXPECT_FALSE(LineWith(log.Lines(), "bad item count in chunk").empty());
        EXPECT_EQ(tree.GetAllocator().CountBlocks(), 0u);
        EXPECT_EQ(tree.CountNodes(), 0u);
    }
}

TEST_F(AKTreeLoad, TruncatedOrMislabelledChunksFail)
{
    Bytes good = RootFiveNine();
    struct Case {
        char const* what;
        Bytes bytes;
    };
    Bytes truncated(good.begin(), good.end() - 12);
    Bytes wrongSignature = good;
    wrongSignature[0] = 'X';
    Bytes sizeTooLarge = good;
    SetU32(sizeTooLarge, 4, GetU32(good, 4) + 64);
    // The 'ARND' chunk reaches past the end of the 'TREE' chunk holding it.
    Bytes arrayOverruns = good;
    SetU32(arrayOverruns, 4, 40);
    Bytes headerOnly(good.begin(), good.begin() + 20);
    for (Case const& c : {Case{"truncated", truncated}, Case{"signature", wrongSignature}, Case{"size", sizeTooLarge},
                          Case{"overrun", arrayOverruns}, Case{"header", headerOnly}}) {
        AKTree& tree = NewTree();
        LogCapture log;
        EXPECT_NE(LoadTree(tree, c.bytes), 0) << c.what;
        EXPECT_EQ(tree.CountNodes(), 0u) << c.what;
    }
}

TEST_F(AKTreeLoad, EmptyNodeListIsNoTree)
{
    HandNodes hand;
    AKTree& tree = NewTree();
    LogCapture log;
    EXPECT_EQ(LoadTree(tree, TreeChunkOf(AKNodeArray())), kAKErrorTreeBadCoherency);
    EXPECT_EQ(tree.CountNodes(), 0u);
}

TEST_F(AKTreeLoad, KeptIDLeavingNoRoomForANextIDIsRefused)
{
    HandNodes hand;
    AKNodeArray nodes = hand.RootWithItems({0x7FFFFFFF});
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    LogCapture log;
    EXPECT_EQ(LoadTree(tree, TreeChunkOf(nodes)), kAKErrorTreeNodeBadID);
    EXPECT_EQ(tree.CountNodes(), 0u);
    EXPECT_EQ(tree.GetNextNodeID(), 0);

    // One below is the largest ID a tree can keep.
    AKTree& largest = NewTree(kAKTreeOptionKeepLoadedIDs);
    EXPECT_EQ(LoadTree(largest, TreeChunkOf(hand.RootWithItems({0x7FFFFFFE}))), 0);
    EXPECT_EQ(largest.GetNextNodeID(), 0x7FFFFFFF);
    EXPECT_NE(largest.GetNode(0x7FFFFFFE), nullptr);

    AKTree& fromDico = NewTree(kAKTreeOptionKeepLoadedIDs);
    EXPECT_EQ(fromDico.InitFromDictionary(DicoTree({DicoItem(1, 0x7FFFFFFF)}), TreeTestDocumentType(), nullptr),
              kAKErrorTreeNodeBadID);
    EXPECT_EQ(fromDico.CountNodes(), 0u);
}

TEST_F(AKTreeLoad, NoNewObjectOnceTheNextIDIsExhausted)
{
    HandNodes hand;
    AKTree& tree = NewTree(kAKTreeOptionKeepLoadedIDs);
    ASSERT_EQ(LoadTree(tree, TreeChunkOf(hand.RootWithItems({0x7FFFFFFE}))), 0);
    ATObjectArray<AKObject> objects{NewItem(1)};
    LogCapture log;
    EXPECT_EQ(tree.DoTreeSelAddNewObjects(nullptr, nullptr, tree.GetRootNode(), kAKLinkModeLastChildren, objects),
              kAKErrorTreeNodeBadID);
    EXPECT_EQ(tree.CountNodes(), 2u);
    EXPECT_EQ(tree.GetNextNodeID(), 0x7FFFFFFF);
    EXPECT_EQ(objects[0]->GetNodeOwner(), nullptr);
    _AKObjectDeleter()(objects[0]);
}
