// The snapshots under the handler's undo: every 'NODE' chunk that the node
// writer completes in a recording history file is entered in its snapshot
// list, and a deletion undone puts the nodes back with their IDs.

#include "TreeTestClasses.h"

#include "AKTreeHandler.h"
#include "AKTreeHistoryFile.h"
#include "HandlerTestFixtures.h"

#include <gtest/gtest.h>

namespace {

class AKTreeHandlerSnapshotTest : public HandlerTreeTest
{};

TEST_F(AKTreeHandlerSnapshotTest, TheNodeWriterEntersItsChunksInARecordingHistoryFile)
{
    AKTree& tree = NewDocument();
    AKNode const* four = ItemNode(tree, 4);
    AKNode const* six = ItemNode(tree, 6);

    AKHistoryFile history;
    ASSERT_EQ(history.CreateForReadWrite(), 0);
    ASSERT_EQ(four->WriteNodeToFile(history, false), 0);
    EXPECT_TRUE(history.GetChunkList().GetEntries().IsEmpty()) << "not recording";

    unsigned long long position = 0;
    ASSERT_EQ(history.GetPos(&position), 0);
    history.GetChunkList().SetRecording(true);
    ASSERT_EQ(six->WriteNodeToFile(history, true), 0);
    history.GetChunkList().SetRecording(false);
    ASSERT_EQ(history.GetChunkList().GetEntries().Count(), 1u);
    EXPECT_EQ(history.GetChunkList().GetEntries()[0].position, position);
    EXPECT_EQ(history.GetChunkList().GetEntries()[0].nodeID, six->GetID());

    // A plain file is left alone.
    AKFile plain(kAKFileModeMemoryStream);
    ASSERT_EQ(plain.CreateForReadWrite(), 0);
    EXPECT_EQ(six->WriteNodeToFile(plain, false), 0);
}

TEST_F(AKTreeHandlerSnapshotTest, AnUndoneDeletionComesBackWithItsIDsAndIsFoundByThem)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKTree& tree = *h.GetTree();
    AKNodeID const g = FolderNode(tree, "G")->GetID();
    AKNodeID const five = ItemNode(tree, 5)->GetID();
    AKTreeActionParam param = ParamOf(h, {FolderNode(tree, "G")});
    ASSERT_EQ(h.DoDelete(param), 0);
    EXPECT_EQ(tree.GetNode(g), nullptr);

    AKTreeActionParam undo(&tree);
    ASSERT_EQ(h.DoUndo(undo), 0);
    ASSERT_NE(tree.GetNode(g), nullptr);
    ASSERT_NE(tree.GetNode(five), nullptr);
    EXPECT_EQ(tree.GetNode(five)->Parent(), tree.GetNode(g));
    EXPECT_TRUE(tree.GetNodes().IsStrictlySortedByID());
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6");
}

}  // namespace
