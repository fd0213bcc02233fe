// Failures of the history: a step whose writing fails, and a record that no
// longer matches its chunk. Undo must never replay what a failure left.

#include "AKTreeHistory.h"

#include "HistoryTestFixtures.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

namespace {

class AKTreeHistoryFailureTest : public HistoryTest
{
protected:
    void TearDown() override
    {
        AKTreeHistory::SetNextWriteFailureForTesting(0);
        HistoryTest::TearDown();
    }
};

TEST_F(AKTreeHistoryFailureTest, AFailedMergeDropsTheRecordItOverwrote)
{
    AKTree& tree = OpenDocument();
    Bytes const opened = TreeBytes(tree);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 4));
    ASSERT_EQ(ReviseItems(fSelection, 40), 0);
    History().ResetHistoryModifiedFlag();
    unsigned long long const revisionStart = History().GetAction(1)->GetChunkPosition();

    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorFileCantWrite);
    EXPECT_EQ(ReviseItems(fSelection, 41, true), kAKErrorFileCantWrite);
    ASSERT_EQ(History().CountActions(), 1u) << "the revision's chunk was overwritten";
    EXPECT_EQ(History().GetCurrentPosition(), 1u);
    EXPECT_EQ(History().GetEndPosition(), revisionStart);
    EXPECT_TRUE(History().IsHistoryModified()) << "the tree holds changes no step records";
    EXPECT_EQ(History().GetHistoryFile().GetChunkList().GetEntries().Count(), 9u + 1)
        << "the snapshots of the overwritten chunk are gone";

    // Undo replays the creation, the one record left.
    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.result, 0x202u);
    EXPECT_EQ(Undo().status, kAKErrorTreeHistoryCantUndo);
    ASSERT_EQ(Redo().status, 0);

    // The next revision of item 4 is undone to the state the history opened with.
    ASSERT_EQ(ReviseItem(ItemNode(tree, 41), 42), 0);
    EXPECT_EQ(History().GetAction(1)->GetChunkPosition(), revisionStart);
    ASSERT_EQ(Undo().status, 0);
    ASSERT_EQ(Undo().status, 0);
    EXPECT_EQ(TreeBytes(tree), opened);
}

TEST_F(AKTreeHistoryFailureTest, AFailedStepAfterAnUndoLeavesNoRecordOverTheDroppedChunks)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {12});
    unsigned long long const secondStart = History().GetAction(1)->GetChunkPosition();
    ASSERT_EQ(Undo().status, 0);
    ASSERT_EQ(Undo().status, 0);
    Bytes const undone = TreeBytes(tree);

    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorFileCantWrite);
    int status = 0;
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {13}, &status);
    EXPECT_EQ(status, kAKErrorFileCantWrite);
    EXPECT_EQ(History().CountActions(), 1u) << "the redo tail stays dropped";
    EXPECT_EQ(History().GetCurrentPosition(), 1u);
    EXPECT_EQ(History().GetEndPosition(), secondStart);
    EXPECT_EQ(Redo().status, kAKErrorTreeHistoryCantRedo);

    // The next step goes where the failed one began, and replays.
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {14});
    EXPECT_EQ(History().GetAction(1)->GetChunkPosition(), secondStart);
    Bytes const done = TreeBytes(tree);
    ASSERT_EQ(Undo().status, 0);
    ASSERT_EQ(Redo().status, 0);
    EXPECT_EQ(TreeBytes(tree), done);
    EXPECT_NE(done, undone);
}

TEST_F(AKTreeHistoryFailureTest, AFailedAppendKeepsEveryRecord)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    unsigned long long const end = History().GetEndPosition();
    unsigned int const snapshots = History().GetHistoryFile().GetChunkList().GetEntries().Count();

    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorFileCantWrite);
    int status = 0;
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11, 12}, &status);
    EXPECT_EQ(status, kAKErrorFileCantWrite);
    EXPECT_EQ(History().CountActions(), 1u);
    EXPECT_EQ(History().GetEndPosition(), end);
    EXPECT_EQ(History().GetHistoryFile().GetChunkList().GetEntries().Count(), snapshots);
    // The hook fires once.
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {13});
    EXPECT_EQ(History().CountActions(), 2u);
    EXPECT_EQ(History().GetAction(1)->GetChunkPosition(), end);
}

TEST_F(AKTreeHistoryFailureTest, ARecordWhoseChunkHoldsAnotherActionIsNotReplayed)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AKTreeHistoryAction const& action = *History().GetAction(0);
    AKHistoryFile& file = WritableHistoryFile();
    ASSERT_EQ(file.SetPos(action.GetChunkPosition() + 8), 0);
    ASSERT_EQ(AKFileWriteUInt32(file, action.GetActionID() + 1), 0);
    Bytes const before = TreeBytes(tree);

    Step const undone = Undo();
    EXPECT_EQ(undone.status, -1);
    EXPECT_EQ(undone.result, 0u);
    EXPECT_TRUE(undone.name.IsEmpty()) << "outputs reset on failure";
    EXPECT_EQ(TreeBytes(tree), before);
    EXPECT_EQ(History().GetCurrentPosition(), 1u);

    // A damaged header is the chunk layer's error.
    ASSERT_EQ(file.SetPos(action.GetChunkPosition()), 0);
    ASSERT_EQ(AKFileWriteSignat32(file, AKFileMakeSignat32('N', 'O', 'P', 'E')), 0);
    LogCapture log;
    EXPECT_EQ(Undo().status, kAKErrorChunkUnknownSignature);
    EXPECT_FALSE(LineWith(log.Lines(), "NOPE").empty());
    EXPECT_EQ(TreeBytes(tree), before);
}

}  // namespace
