// The 'NODE' chunk: its exact bytes, negated outer links, reading back,
// re-reading, and crafted corrupt chunks.

#include "AKFileChunk.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "LogCapture.h"
#include "NodeTestFixtures.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The expected chunk of an item named "ab" holding a value, with the given
// IDs, at a file position of `position`.
Bytes ExpectedItemChunk(AKNodeID id, LinkIDs links, unsigned int value, unsigned int position)
{
    Bytes bytes;
    PutSignature(bytes, "NODE");
    PutU32(bytes, 0);
    for (AKNodeID n : {id, links.sup, links.sub, links.prev, links.next})
        PutU32(bytes, static_cast<unsigned int>(n));
    PutU32(bytes, 0);              // reserved
    PutClassID(bytes, "tstItem");  // family
    PutClassID(bytes, "tstItem");  // class
    PutU32(bytes, 4);              // the name "ab", padded to 4 bytes
    bytes.insert(bytes.end(), {'a', 'b', 0, 0});
    PutU32(bytes, value);
    while ((position + bytes.size()) % 8 != 0)
        bytes.push_back(0);
    SetU32(bytes, 4, static_cast<unsigned int>(bytes.size() - 8));
    return bytes;
}

// A family: 1 { 2, 3 { 4 }, 5 }.
struct LinkedItems {
    LinkedItems()
    {
        root = nodes.Folder(1);
        for (AKNodeID id = 2; id <= 5; ++id)
            item[id] = nodes.Item(id, 100 + id, "ab");
        root->Link(item[2], kAKLinkModeLastChildren);
        root->Link(item[3], kAKLinkModeLastChildren);
        root->Link(item[5], kAKLinkModeLastChildren);
        item[3]->Link(item[4], kAKLinkModeFirstChildren);
    }
    ObjectNodes nodes;
    AKNode* root = nullptr;
    AKNode* item[6] = {};
};

// Reads one node chunk from the bytes; the node, if any, is owned by `nodes`.
AKNode* ReadNode(ObjectNodes& nodes, Bytes const& bytes, unsigned int how = 1)
{
    ReadStream stream(bytes);
    AKNode* node = AKNode::NewNodeFromFile(nodes.Allocator(), nodes.Context(), stream.File(), how);
    if (node)
        nodes.Own(AKNodeArray{node});
    return node;
}

}  // namespace

TEST(AKNodeFile, ChunkBytesWithLinksAsTheyAreOrNegated)
{
    LinkedItems f;
    AKNode* node = f.item[3];  // sup 0, sub 4, prev 2, next 5
    EXPECT_EQ(Written([&](AKFile& file) { return node->WriteNodeToFile(file, false); }),
              ExpectedItemChunk(3, {0, 4, 2, 5}, 103, 0));
    EXPECT_EQ(Written([&](AKFile& file) { return node->WriteNodeToFile(file, true); }),
              ExpectedItemChunk(3, {0, 4, -2, -5}, 103, 0));

    // Padding is measured from the start of the file: after 4 leading bytes
    // the 60 bytes of the chunk end on a multiple of 8 without any.
    Bytes shifted = Written([&](AKFile& file) { return f.item[2]->WriteNodeToFile(file, true); }, 4);
    Bytes expected(4, 0);
    Bytes chunk = ExpectedItemChunk(2, {-1, 0, 0, -3}, 102, 4);
    expected.insert(expected.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(shifted, expected);
    EXPECT_EQ(GetU32(shifted, 8), 52u);
}

TEST(AKNodeFile, ReadingBackGivesTheObjectAndTheLinkIDsWritten)
{
    LinkedItems f;
    ObjectNodes read;
    for (bool negate : {false, true}) {
        SCOPED_TRACE(negate ? "negated" : "as they are");
        Bytes bytes = Written([&](AKFile& file) { return f.item[2]->WriteNodeToFile(file, negate); });
        ReadStream stream(bytes);
        AKNode* node = AKNode::NewNodeFromFile(read.Allocator(), read.Context(), stream.File(), 1);
        ASSERT_NE(node, nullptr);
        read.Own(AKNodeArray{node});
        EXPECT_EQ(AKNode::sErrorNew, 0);
        EXPECT_EQ(stream.Pos(), bytes.size());
        EXPECT_EQ(node->GetID(), 2);
        // Empty links stay 0 when negated.
        EXPECT_EQ(LinkIDsOf(node), negate ? (LinkIDs{-1, 0, 0, -3}) : (LinkIDs{1, 0, 0, 3}));
        EXPECT_EQ(node->GetSup(), nullptr);
        EXPECT_EQ(node->GetNext(), nullptr);
        EXPECT_EQ(ValueOf(node), 102u);
        EXPECT_STREQ(node->GetObject()->akmGetName().c_str(), "ab");
        EXPECT_TRUE(node->CheckNodeObject(read.Context()));
    }
}

TEST(AKNodeFile, SubtreeIsWrittenDepthFirstWithOnlyTheTopNegated)
{
    LinkedItems f;
    Bytes bytes = Written([&](AKFile& file) { return f.item[3]->WriteNodeWithRChildrenToFile(file); });
    ObjectNodes read;
    ReadStream stream(bytes);
    AKNode* top = AKNode::NewNodeFromFile(read.Allocator(), read.Context(), stream.File(), 1);
    AKNode* child = AKNode::NewNodeFromFile(read.Allocator(), read.Context(), stream.File(), 1);
    ASSERT_NE(top, nullptr);
    ASSERT_NE(child, nullptr);
    read.Own(AKNodeArray{top, child});
    EXPECT_EQ(stream.Pos(), bytes.size());
    EXPECT_EQ(LinkIDsOf(top), (LinkIDs{0, 4, -2, -5}));
    EXPECT_EQ(LinkIDsOf(child), (LinkIDs{3, 0, 0, 0}));
}

TEST(AKNodeFile, NodeWithoutObjectIsNotWritten)
{
    AKNodeAllocator allocator;
    AKNode* bare = new (&allocator) AKNode(&allocator, nullptr, 4, nullptr);
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    LogCapture log;
    EXPECT_EQ(bare->WriteNodeToFile(file, false), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_EQ(bare->WriteNodeWithRChildrenToFile(file), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_EQ(bare->ReinitNodeFromFile(file), kAKErrorTreeNodeNoOwnedObject);
    EXPECT_TRUE(log.Lines().empty());
    delete bare;
}

TEST(AKNodeFile, CorruptChunksFailWithTheirCodesAndLeaveNothingBehind)
{
    Bytes const good = ExpectedItemChunk(7, {0, 0, 0, 0}, 1, 0);
    auto with = [&good](size_t offset, unsigned int value) {
        Bytes bytes = good;
        SetU32(bytes, offset, value);
        return bytes;
    };
    Bytes wrongSignature = good;
    wrongSignature[0] = 'X';
    Bytes cutInPayload(good.begin(), good.begin() + 20);
    Bytes cutInHeader(good.begin(), good.begin() + 6);
    Bytes unknownClass = good;
    unknownClass[40] = 'Z';
    // The payload ends right before the item's number, which lies in the
    // file but past the chunk.
    Bytes overrun = with(4, 52 - 8);
    overrun.resize(52 + 4 + 8, 0);
    SetU32(overrun, 52, 9);

    struct Case {
        char const* what;
        Bytes bytes;
        int status;
        bool logged;
    } const cases[] = {
        {"wrong signature", wrongSignature, kAKErrorChunkUnknownSignature, true},
        {"payload past the end of the file", with(4, 0x7FFFFFF0), kAKErrorChunkUnknownSignature, true},
        {"payload past the end by one byte", with(4, static_cast<unsigned int>(good.size() - 7)),
         kAKErrorChunkUnknownSignature, true},
        {"payload smaller than the fixed fields", with(4, 39), kAKErrorChunkUnknownSignature, true},
        {"object data past the chunk's end", overrun, kAKErrorChunkUnknownSignature, true},
        {"file cut in the payload", cutInPayload, kAKErrorChunkUnknownSignature, true},
        {"file cut in the header", cutInHeader, kAKErrorFileCantRead, true},
        {"node ID 0", with(8, 0), kAKErrorTreeNodeBadID, false},
        {"negative node ID", with(8, static_cast<unsigned int>(-3)), kAKErrorTreeNodeBadID, false},
        {"node ID with no room for a next ID", with(8, INT_MAX), kAKErrorTreeNodeBadID, false},
        {"unknown class", unknownClass, kAKErrorObjectNewUnknownClass, true},
        {"failing object", with(56, TestItem::kFailingValue), -1, true},
    };
    int const liveBefore = TestItem::LiveCount();
    for (Case const& test : cases) {
        SCOPED_TRACE(test.what);
        ObjectNodes nodes;
        LogCapture log;
        EXPECT_EQ(ReadNode(nodes, test.bytes), nullptr);
        EXPECT_EQ(AKNode::sErrorNew, test.status);
        EXPECT_EQ(!log.Lines().empty(), test.logged);
        EXPECT_EQ(nodes.Allocator().CountAllocatedNodes(), 0u);
        EXPECT_EQ(TestItem::LiveCount(), liveBefore);
    }

    // The largest ID that leaves room for a next ID is read.
    ObjectNodes nodes;
    AKNode* node = ReadNode(nodes, with(8, kAKNodeIDMax));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetID(), kAKNodeIDMax);
}

TEST(AKNodeFile, ReinitRereadsTheObjectOfTheSameNodeOnly)
{
    LinkedItems f;
    AKNode* node = f.item[3];
    Bytes bytes = Written([&](AKFile& file) { return node->WriteNodeToFile(file, true); });
    // The stored item holds 103; change it, then re-read.
    static_cast<TestItem*>(node->GetObject())->SetValue(5);
    {
        ReadStream stream(bytes);
        ASSERT_EQ(node->ReinitNodeFromFile(stream.File()), 0);
        EXPECT_EQ(stream.Pos(), bytes.size());
    }
    EXPECT_EQ(ValueOf(node), 103u);
    // Links are not touched by the negated IDs in the chunk.
    EXPECT_EQ(LinkIDsOf(node), (LinkIDs{0, 4, 2, 5}));
    EXPECT_TRUE(node->CheckNodeLinks());

    // A chunk of another node.
    {
        ReadStream stream(bytes);
        LogCapture log;
        EXPECT_EQ(f.item[2]->ReinitNodeFromFile(stream.File()), kAKErrorTreeNodeBadID);
        EXPECT_TRUE(log.Lines().empty());
        EXPECT_EQ(ValueOf(f.item[2]), 102u);
    }
    // A chunk whose object data runs past its end.
    SetU32(bytes, 4, 52 - 8);
    {
        ReadStream stream(bytes);
        LogCapture log;
        EXPECT_EQ(node->ReinitNodeFromFile(stream.File()), kAKErrorChunkUnknownSignature);
    }
}
