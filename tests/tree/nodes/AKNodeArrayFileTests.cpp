// The 'ARND' chunk: its bytes, subtrees with negated outer links, reading,
// re-reading and skipping, and crafted corrupt chunks.

#include "AKNodeArray.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "LogCapture.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

namespace {

// 1 { 2, 3 { 4 }, 5 } with item values 100 + ID.
struct SmallTree {
    SmallTree()
    {
        all.Push(nodes.Folder(1));
        for (AKNodeID id = 2; id <= 5; ++id)
            all.Push(nodes.Item(id, 100 + id, "n"));
        all[0]->Link(all[1], kAKLinkModeLastChildren);
        all[0]->Link(all[2], kAKLinkModeLastChildren);
        all[0]->Link(all[4], kAKLinkModeLastChildren);
        all[2]->Link(all[3], kAKLinkModeFirstChildren);
    }
    ObjectNodes nodes;
    AKNodeArray all;
};

AKNodeIDArray IDsOf(AKNodeArray const& nodes)
{
    AKNodeIDArray ids;
    nodes.GrabNodeIDs(&ids);
    return ids;
}

// Reads an 'ARND' chunk into `read`; the nodes are owned by `owner`.
int ReadArray(ObjectNodes& owner, Bytes const& bytes, AKNodeArray* read)
{
    ReadStream stream(bytes);
    int status = read->InitNodesFromFile(stream.File(), 1, owner.Allocator(), owner.Context());
    owner.Own(*read);
    return status;
}

Bytes ArrayHeader(unsigned int count)
{
    Bytes bytes;
    PutSignature(bytes, "ARND");
    PutU32(bytes, 0);
    PutU32(bytes, count);
    PutU32(bytes, 0);
    return bytes;
}

}  // namespace

TEST(AKNodeArrayFile, ChunkBytesAreTheHeaderThenEachNodeChunk)
{
    SmallTree t;
    AKNodeArray pair{t.all[2], t.all[4]};
    Bytes bytes = Written([&](AKFile& file) { return pair.WriteNodesToFile(file, true); });
    Bytes expected = ArrayHeader(2);
    Bytes first = Written([&](AKFile& file) { return t.all[2]->WriteNodeToFile(file, true); }, 16);
    expected.insert(expected.end(), first.begin() + 16, first.end());
    Bytes second = Written([&](AKFile& file) { return t.all[4]->WriteNodeToFile(file, true); },
                           static_cast<unsigned int>(expected.size()));
    expected.insert(expected.end(), second.begin() + static_cast<long>(expected.size()), second.end());
    SetU32(expected, 4, static_cast<unsigned int>(expected.size() - 8));
    EXPECT_EQ(bytes, expected);
}

TEST(AKNodeArrayFile, WholeArrayRoundTripRelinksFromIDs)
{
    SmallTree t;
    Bytes bytes = Written([&](AKFile& file) { return t.all.WriteNodesToFile(file, false); });
    ObjectNodes owner;
    AKNodeArray read;
    ASSERT_EQ(ReadArray(owner, bytes, &read), 0);
    EXPECT_EQ(IDsOf(read), (AKNodeIDArray{1, 2, 3, 4, 5}));
    // Only the link IDs come back; pointers wait for the relinking.
    EXPECT_EQ(read[2]->GetSub(), nullptr);
    EXPECT_EQ(LinkIDsOf(read[2]), LinkIDsOf(t.all[2]));
    read.RelinkNodesFromLinkIDs();
    EXPECT_TRUE(read.CheckNodesLinks());
    EXPECT_TRUE(read.CheckNodesObject(owner.Context()));
    EXPECT_EQ(ChildIDs(read[0]), (std::vector<AKNodeID>{2, 3, 5}));
    EXPECT_EQ(read[3]->Parent(), read[2]);
    EXPECT_EQ(ValueOf(read[4]), 105u);
}

TEST(AKNodeArrayFile, SubtreesAreCountedAndOnlyTheirTopsNegated)
{
    SmallTree t;
    AKNodeArray tops{t.all[2], t.all[4]};
    Bytes bytes = Written([&](AKFile& file) { return tops.WriteNodesWithRChildrenToFile(file); });
    EXPECT_EQ(GetU32(bytes, 8), 3u);
    ObjectNodes owner;
    AKNodeArray read;
    ASSERT_EQ(ReadArray(owner, bytes, &read), 0);
    EXPECT_EQ(IDsOf(read), (AKNodeIDArray{3, 4, 5}));
    EXPECT_EQ(LinkIDsOf(read[0]), (LinkIDs{0, 4, -2, -5}));
    EXPECT_EQ(LinkIDsOf(read[1]), (LinkIDs{3, 0, 0, 0}));
    EXPECT_EQ(LinkIDsOf(read[2]), (LinkIDs{0, 0, -3, 0}));
    // Negative IDs give no pointers.
    read.RelinkNodesFromLinkIDs();
    EXPECT_EQ(read[0]->GetPrev(), nullptr);
    EXPECT_EQ(read[0]->GetSub(), read[1]);
    EXPECT_TRUE(read.CheckNodesLinks());
}

TEST(AKNodeArrayFile, SkipAndReinit)
{
    SmallTree t;
    Bytes bytes = Written([&](AKFile& file) { return t.all.WriteNodesToFile(file, false); });
    bytes.push_back(0xEE);  // whatever follows the chunk
    {
        ReadStream stream(bytes);
        ASSERT_EQ(AKNodeArray::SkipNodesFromFile(stream.File()), 0);
        EXPECT_EQ(stream.Pos(), bytes.size() - 1);
    }
    for (AKNode* node : t.all) {
        if (TestItem* item = dynamic_cast<TestItem*>(node->GetObject()))
            item->SetValue(0);
    }
    {
        ReadStream stream(bytes);
        ASSERT_EQ(t.all.ReinitNodesFromFile(stream.File()), 0);
        EXPECT_EQ(stream.Pos(), bytes.size() - 1);
    }
    EXPECT_EQ(ValueOf(t.all[3]), 104u);
    EXPECT_TRUE(t.all.CheckNodesLinks());

    // A count other than the array's is refused and logged.
    AKNodeArray fewer{t.all[0], t.all[1]};
    ReadStream stream(bytes);
    LogCapture log;
    EXPECT_EQ(fewer.ReinitNodesFromFile(stream.File()), kAKErrorChunkBadItemCount);
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_NE(log.Lines()[0].find("bad item count in chunk"), std::string::npos);
}

TEST(AKNodeArrayFile, CorruptChunksFailWithTheirCodes)
{
    SmallTree t;
    Bytes good = Written([&](AKFile& file) { return AKNodeArray{t.all[1], t.all[2]}.WriteNodesToFile(file, false); });
    size_t const secondNode = 16 + 8 + GetU32(good, 16 + 4);
    auto with = [&good](size_t offset, unsigned int value) {
        Bytes bytes = good;
        SetU32(bytes, offset, value);
        return bytes;
    };
    Bytes wrongSignature = good;
    wrongSignature[3] = 'X';
    // The chunk ends inside its second node, whose data still lies in the file.
    Bytes nodePastArray = with(4, static_cast<unsigned int>(secondNode + 20 - 8));

    struct Case {
        char const* what;
        Bytes bytes;
        int status;
        unsigned int nodesRead;  // left in the array, before null entries
        unsigned int count;      // the array's count afterwards
    } const cases[] = {
        {"wrong signature", wrongSignature, kAKErrorChunkUnknownSignature, 0, 0},
        {"huge count", with(8, 0xFFFFFFFF), kAKErrorFileCantRead, 0, 0},
        {"count beyond the bytes left", with(8, 3), kAKErrorFileCantRead, 0, 0},
        {"payload past the end of the file", with(4, 0x10000000), kAKErrorChunkUnknownSignature, 0, 0},
        {"payload smaller than its two numbers", with(4, 4), kAKErrorChunkUnknownSignature, 0, 0},
        {"bad second node ID", with(secondNode + 8, 0), kAKErrorTreeNodeBadID, 1, 2},
        {"node running past the array's end", nodePastArray, kAKErrorChunkUnknownSignature, 2, 2},
    };
    int const liveBefore = TestItem::LiveCount();
    for (Case const& test : cases) {
        SCOPED_TRACE(test.what);
        ObjectNodes owner;
        AKNodeArray read{t.all[0]};  // replaced by what is read
        ReadStream stream(test.bytes);
        EXPECT_EQ(read.InitNodesFromFile(stream.File(), 1, owner.Allocator(), owner.Context()), test.status);
        EXPECT_EQ(read.Count(), test.count);
        unsigned int nodes = 0;
        for (AKNode* node : read)
            nodes += node ? 1 : 0;
        EXPECT_EQ(nodes, test.nodesRead);
        read.DeleteAllNodes(true);
        EXPECT_EQ(owner.Allocator().CountAllocatedNodes(), 0u);
        EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    }

    ReadStream stream(wrongSignature);
    EXPECT_EQ(AKNodeArray::SkipNodesFromFile(stream.File()), kAKErrorChunkUnknownSignature);
    ReadStream past(with(4, 0x10000000));
    EXPECT_EQ(AKNodeArray::SkipNodesFromFile(past.File()), kAKErrorChunkUnknownSignature);
}
