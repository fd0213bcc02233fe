// The history file: its snapshot list and the bytes it holds.

#include "AKTreeHistoryFile.h"

#include "HistoryTestFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef AKHistoryFile::AKChunkList ChunkList;

std::vector<unsigned long long> PositionsOf(ChunkList const& list)
{
    std::vector<unsigned long long> positions;
    for (ChunkList::Entry const& entry : list.GetEntries())
        positions.push_back(entry.position);
    return positions;
}

// A list of entries {position, node}: 16 → 2, 64 → 3, 128 → 2, 200 → 4, 256 → 2.
ChunkList SampleList()
{
    ChunkList list;
    list.SetRecording(true);
    list.AddChunkPos(16, 2);
    list.AddChunkPos(64, 3);
    list.AddChunkPos(128, 2);
    list.AddChunkPos(200, 4);
    list.AddChunkPos(256, 2);
    list.SetRecording(false);
    list.SetCurrChunkPos(1000, false);
    return list;
}

// --- Snapshot list ---

TEST(AKHistoryChunkListTest, EntriesAreAddedOnlyWhileRecordingAndInPositionOrder)
{
    ChunkList list;
    list.AddChunkPos(16, 2);
    EXPECT_TRUE(list.GetEntries().IsEmpty());

    list.SetRecording(true);
    list.AddChunkPos(16, 2);
    list.AddChunkPos(64, 3);
    // A chunk noted twice, or a position behind the last one, is ignored.
    list.AddChunkPos(64, 3);
    list.AddChunkPos(40, 5);
    EXPECT_EQ(PositionsOf(list), (std::vector<unsigned long long>{16, 64}));

    list.Clear();
    EXPECT_TRUE(list.GetEntries().IsEmpty());
    EXPECT_FALSE(list.IsRecording());
    EXPECT_EQ(list.GetCurrIndex(), 0u);
}

TEST(AKHistoryChunkListTest, CurrentIndexCountsTheEntriesBelowThePosition)
{
    struct Case {
        unsigned long long position;
        unsigned int index;
    } const cases[] = {{0, 0}, {16, 0}, {17, 1}, {128, 2}, {129, 3}, {256, 4}, {5000, 5}};
    for (Case const& c : cases) {
        ChunkList list = SampleList();
        list.SetCurrChunkPos(c.position, false);
        EXPECT_EQ(list.GetCurrIndex(), c.index) << c.position;
        EXPECT_EQ(list.GetEntries().Count(), 5u) << "kept without truncation";
        list.SetCurrChunkPos(c.position, true);
        EXPECT_EQ(list.GetEntries().Count(), c.index) << "truncated at " << c.position;
    }
}

TEST(AKHistoryChunkListTest, CurrentAndPreviousSnapshotsOfANodeLookBelowTheCurrentIndex)
{
    ChunkList list = SampleList();
    EXPECT_EQ(list.GetCurrentChunkPosForNode(2), 256u);
    EXPECT_EQ(list.GetPreviousChunkPosForNode(2), 128u);
    EXPECT_EQ(list.GetCurrentChunkPosForNode(3), 64u);
    EXPECT_EQ(list.GetPreviousChunkPosForNode(3), 0u) << "a single snapshot has no previous one";
    EXPECT_EQ(list.GetCurrentChunkPosForNode(9), 0u);

    // The entries from 200 on belong to undone actions: not current any more.
    list.SetCurrChunkPos(200, false);
    EXPECT_EQ(list.GetCurrentChunkPosForNode(2), 128u);
    EXPECT_EQ(list.GetPreviousChunkPosForNode(2), 16u);
    EXPECT_EQ(list.GetCurrentChunkPosForNode(4), 0u);
    // Redone: current again.
    list.SetCurrChunkPos(1000, false);
    EXPECT_EQ(list.GetCurrentChunkPosForNode(4), 200u);
}

TEST(AKHistoryChunkListTest, OnlyHistoryFilesTakeNodeChunksFromTheNodeWriter)
{
    AKHistoryFile history;
    EXPECT_EQ(history.GetMarker(), kAKHistoryFileMarker);
    history.GetChunkList().SetRecording(true);
    AKHistoryFileNoteNodeChunk(history, 24, 5);
    EXPECT_EQ(PositionsOf(history.GetChunkList()), (std::vector<unsigned long long>{24}));

    AKFile plain(kAKFileModeMemoryStream);
    AKHistoryFileNoteNodeChunk(plain, 24, 5);  // nothing to note, nothing broken
    EXPECT_EQ(plain.GetMarker(), 0u);
}

// --- The bytes of the history file ---

class AKTreeHistoryFileTest : public HistoryCacheTest
{};

// Walks one 'NODE' chunk: answers its end; the IDs go to the outputs.
size_t WalkNodeChunk(Bytes const& bytes, size_t offset, AKNodeID* nodeID, LinkIDs* links)
{
    EXPECT_EQ(SignatureAt(bytes, offset), "NODE") << offset;
    *nodeID = GetS32(bytes, offset + 8);
    *links = {GetS32(bytes, offset + 12), GetS32(bytes, offset + 16), GetS32(bytes, offset + 20),
              GetS32(bytes, offset + 24)};
    size_t const end = offset + 8 + GetU32(bytes, offset + 4);
    EXPECT_EQ(end % 8, 0u) << "padded to 8";
    return end;
}

TEST_P(AKTreeHistoryFileTest, OpeningWritesEveryNodeOnceAsTheInitialState)
{
    AKTree& tree = OpenTree(DicoTree({DicoItem(1), DicoItem(2), DicoItem(3), DicoItem(4)}), GetParam());
    ASSERT_EQ(tree.CountNodes(), 5u);
    AKTreeHistory& history = History();
    EXPECT_TRUE(history.IsOpened());
    EXPECT_EQ(history.GetHistoryFile().IsMemoryStream(), GetParam() == kAKFileModeMemoryStream);
    EXPECT_EQ(history.GetHistoryFile().IsTemporary(), GetParam() == kAKFileModeTemporary);

    Bytes const bytes = FileBytes(history.GetHistoryFile());
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(SignatureAt(bytes, 0), "ARND");
    EXPECT_EQ(GetU32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(GetU32(bytes, 8), 5u);
    EXPECT_EQ(GetU32(bytes, 12), 0u);

    ChunkList const& snapshots = history.GetHistoryFile().GetChunkList();
    ASSERT_EQ(snapshots.GetEntries().Count(), 5u);
    EXPECT_EQ(snapshots.GetCurrIndex(), 5u);
    EXPECT_FALSE(snapshots.IsRecording());
    size_t offset = 16;
    for (unsigned int i = 0; i < 5; ++i) {
        AKNodeID nodeID = 0;
        LinkIDs links{};
        size_t const end = WalkNodeChunk(bytes, offset, &nodeID, &links);
        EXPECT_EQ(nodeID, tree.GetNodes()[i]->GetID()) << "tree order";
        EXPECT_EQ(links, LinkIDsOf(tree.GetNodes()[i])) << "links as they are";
        EXPECT_EQ(snapshots.GetEntries()[i].position, offset);
        EXPECT_EQ(snapshots.GetEntries()[i].nodeID, nodeID);
        offset = end;
    }
    EXPECT_EQ(offset, bytes.size());
    EXPECT_EQ(history.GetEndPosition(), bytes.size());
    EXPECT_EQ(history.GetGroupCounter(), 1u);

    EXPECT_EQ(Undo().status, kAKErrorTreeHistoryCantUndo);
    EXPECT_EQ(Redo().status, kAKErrorTreeHistoryCantRedo);
}

TEST_P(AKTreeHistoryFileTest, AnActionIsOneActnChunkPaddedToEight)
{
    AKTree& tree = OpenTree(DicoTree({DicoItem(1), DicoItem(2), DicoItem(3), DicoItem(4)}), GetParam());
    AKTreeHistory& history = History();
    unsigned long long const start = history.GetEndPosition();
    AKNodeID const newID = tree.GetNextNodeID();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {77});
    ASSERT_EQ(history.CountActions(), 1u);
    AKTreeHistoryAction const& action = *history.GetAction(0);
    EXPECT_EQ(action.GetChunkPosition(), start);

    Bytes const bytes = FileBytes(history.GetHistoryFile());
    size_t const chunkEnd = bytes.size();
    EXPECT_EQ(history.GetEndPosition(), chunkEnd);
    EXPECT_EQ(chunkEnd % 8, 0u);
    EXPECT_EQ(SignatureAt(bytes, start), "ACTN");
    EXPECT_EQ(GetU32(bytes, start + 4), chunkEnd - start - 8) << "size little-endian, padding included";
    EXPECT_EQ(GetU32(bytes, start + 8), action.GetActionID());
    EXPECT_GT(action.GetActionID(), kAKTreeHistoryFirstActionIDBase);
    // The creation's payload: its signature, the top IDs, the nodes.
    EXPECT_EQ(SignatureAt(bytes, start + 12), "HCRE");
    EXPECT_EQ(GetU32(bytes, start + 16), 1u);
    EXPECT_EQ(GetS32(bytes, start + 20), newID);
    size_t const array = start + 24;
    EXPECT_EQ(SignatureAt(bytes, array), "ARND");
    EXPECT_EQ(GetU32(bytes, array + 8), 1u);
    AKNodeID nodeID = 0;
    LinkIDs links{};
    size_t const nodeEnd = WalkNodeChunk(bytes, array + 16, &nodeID, &links);
    EXPECT_EQ(nodeID, newID);
    // The last child of the root: its previous brother's ID negated.
    EXPECT_EQ(links, (LinkIDs{0, 0, -(newID - 1), 0}));
    EXPECT_EQ(nodeEnd, array + 8 + GetU32(bytes, array + 4));
    for (size_t i = nodeEnd; i < chunkEnd; ++i)
        EXPECT_EQ(bytes[i], 0) << "padding at " << i;

    // The new node's chunk is its one snapshot.
    ChunkList const& snapshots = history.GetHistoryFile().GetChunkList();
    ASSERT_EQ(snapshots.GetEntries().Count(), 6u);
    EXPECT_EQ(snapshots.GetEntries().Last().position, array + 16);
    EXPECT_EQ(snapshots.GetEntries().Last().nodeID, newID);
    EXPECT_EQ(snapshots.GetCurrIndex(), 6u);
}

TEST_P(AKTreeHistoryFileTest, RecordingAfterUndoWritesOverTheDroppedChunks)
{
    AKTree& tree = OpenDocument(GetParam());
    AKTreeHistory& history = History();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11, 12});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {13, 14, 15});
    unsigned long long const secondStart = history.GetAction(1)->GetChunkPosition();
    unsigned long long const thirdStart = history.GetAction(2)->GetChunkPosition();
    unsigned int const secondID = history.GetAction(1)->GetActionID();
    unsigned long long const fullSize = history.GetEndPosition();
    ASSERT_EQ(Undo().status, 0);
    ASSERT_EQ(Undo().status, 0);
    EXPECT_EQ(history.GetCurrentPosition(), 1u);
    EXPECT_EQ(history.GetHistoryFile().GetChunkList().GetEntries().Count(), 9u + 1 + 2 + 3)
        << "the snapshots of undone actions are kept for redo";

    AKNodeID const newID = tree.GetNextNodeID();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {20});
    ASSERT_EQ(history.CountActions(), 2u);
    EXPECT_EQ(history.GetCurrentPosition(), 2u);
    EXPECT_EQ(history.GetAction(1)->GetChunkPosition(), secondStart);
    EXPECT_GT(history.GetAction(1)->GetActionID(), secondID) << "a new action ID";
    EXPECT_GT(history.GetEndPosition(), secondStart);
    EXPECT_LT(history.GetEndPosition(), thirdStart) << "one node instead of two";
    EXPECT_EQ(Redo().status, kAKErrorTreeHistoryCantRedo);

    // The file keeps its old tail; the end position marks the valid data.
    Bytes const bytes = FileBytes(history.GetHistoryFile());
    EXPECT_EQ(bytes.size(), fullSize);
    EXPECT_EQ(GetU32(bytes, secondStart + 8), history.GetAction(1)->GetActionID());
    // The snapshots of the dropped actions are gone, the new one follows.
    ChunkList const& snapshots = history.GetHistoryFile().GetChunkList();
    EXPECT_EQ(snapshots.GetEntries().Count(), 9u + 1 + 1);
    EXPECT_EQ(snapshots.GetEntries().Last().nodeID, newID);
    EXPECT_EQ(snapshots.GetCurrIndex(), snapshots.GetEntries().Count());
}

TEST_P(AKTreeHistoryFileTest, UndoingACreationAppendsTheRemovedSubtreesToTheSecondFile)
{
    AKTree& tree = OpenDocument(GetParam());
    AKTreeHistory& history = History();
    // Two folders with one item each, created in one step.
    ATObjectArray<AKObject> folders;
    folders.Push(NewFolder("H"));
    folders.Push(NewFolder("K"));
    AKTreeSel created;
    AKNode* first = nullptr;
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(&created, &first, tree.GetRootNode(), kAKLinkModeLastChildren, folders), 0);
    AKNodeID const h = created.GetNode(0)->GetID();
    AKNodeID const k = created.GetNode(1)->GetID();
    ATObjectArray<AKObject> items;
    items.Push(NewItem(30));
    AKTreeSel child;
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(&child, &first, created.GetNode(0), kAKLinkModeLastChildren, items), 0);
    items.Clear();
    items.Push(NewItem(31));
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(&child, &first, created.GetNode(1), kAKLinkModeLastChildren, items), 0);
    ASSERT_EQ(history.RegisterAction(new AKTreeHistoryActionOnCreate(kHistTestCommand, HistTestName(), created), false),
              0);
    Bytes const done = TreeBytes(tree);
    unsigned int const nodesDone = tree.CountNodes();

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.result, 0x202u);
    EXPECT_EQ(tree.CountNodes(), nodesDone - 4);

    Bytes const second = FileBytes(*history.GetSecondFile());
    EXPECT_EQ(SignatureAt(second, 0), "HCRE");
    EXPECT_EQ(GetU32(second, 4), 2u);
    EXPECT_EQ(GetS32(second, 8), h);
    EXPECT_EQ(GetS32(second, 12), k);
    EXPECT_EQ(SignatureAt(second, 16), "ARND");
    EXPECT_EQ(GetU32(second, 24), 4u);
    // Top nodes with their outer links negated, descendants as they are.
    AKNodeID nodeID = 0;
    LinkIDs links{};
    size_t offset = WalkNodeChunk(second, 32, &nodeID, &links);
    EXPECT_EQ(nodeID, h);
    EXPECT_EQ(links.prev, -(h - 1));
    EXPECT_EQ(links.next, -k);
    EXPECT_GT(links.sub, 0);
    offset = WalkNodeChunk(second, offset, &nodeID, &links);
    EXPECT_EQ(links.sup, h) << "the child of H, its link as it is";
    offset = WalkNodeChunk(second, offset, &nodeID, &links);
    EXPECT_EQ(nodeID, k);
    EXPECT_EQ(links.prev, -h);
    EXPECT_EQ(second.size(), 16 + 8 + GetU32(second, 20));

    // The first record lies at offset 0, and redo takes it from there.
    auto const* creation = static_cast<AKTreeHistoryActionOnCreate const*>(history.GetAction(0));
    EXPECT_EQ(creation->GetSecondFilePos(), 0u);
    EXPECT_NE(kAKTreeHistoryNoSecondFilePos, 0xFFFFFFFFull) << "all ones in 64 bits";
    Step const redone = Redo();
    ASSERT_EQ(redone.status, 0);
    EXPECT_EQ(redone.result, 0x104u);
    EXPECT_EQ(IDsOf(redone.selection), (std::vector<AKNodeID>{h, k}));
    EXPECT_EQ(TreeBytes(tree), done);
}

INSTANTIATE_TEST_SUITE_P(CacheModes, AKTreeHistoryFileTest,
                         ::testing::Values(kAKFileModeMemoryStream, kAKFileModeTemporary), CacheModeName);

}  // namespace
