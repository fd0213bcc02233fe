// The history's recording: life cycle, merging, groups and the saved state.

#include "AKTreeHistory.h"

#include "AKTreeActionParam.h"
#include "HistoryTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class AKTreeHistoryTest : public HistoryTest
{
protected:
    std::vector<std::string> NamesOfRecords()
    {
        std::vector<std::string> names;
        for (unsigned int i = 0; i < History().CountActions(); ++i)
            names.push_back(History().GetAction(i)->GetName().c_str());
        return names;
    }
};

// --- Life cycle ---

TEST_F(AKTreeHistoryTest, AClosedHistoryRecordsNothingAndRefusesUndoAndRedo)
{
    AKTree& tree = NewDocument();
    AKTreeNotifier notifier(&tree);
    AKTreeHistory history(&tree, &notifier);
    EXPECT_FALSE(history.IsOpened());
    EXPECT_FALSE(history.IsEnabled());

    ATObjectArray<AKObject> objects;
    objects.Push(NewItem(50));
    AKTreeSel added;
    AKNode* first = nullptr;
    ASSERT_EQ(history.ActionGroupBegin(), 0);
    ASSERT_EQ(tree.DoTreeSelAddNewObjects(&added, &first, tree.GetRootNode(), kAKLinkModeLastChildren, objects), 0);
    EXPECT_EQ(history.RegisterAction(new AKTreeHistoryActionOnCreate(1, AKString("Add"), added), false), 0);
    unsigned int result = 0xFFFF;
    EXPECT_EQ(history.ActionGroupEnd(1, AKString("Add"), &result), 0);
    EXPECT_EQ(result, 0x101u) << "the kinds performed, with the done bit";
    EXPECT_EQ(history.CountActions(), 0u);

    ASSERT_EQ(history.ActionGroupBegin(), 0);
    EXPECT_EQ(history.ActionGroupEnd(1, AKString("Nothing"), &result), 0);
    EXPECT_EQ(result, 0x1u) << "at least done, even when nothing was done";

    EXPECT_EQ(history.CallUndo(nullptr, nullptr, nullptr, nullptr, nullptr), kAKErrorTreeHistoryClosed);
    EXPECT_EQ(history.CallRedo(nullptr, nullptr, nullptr, nullptr, nullptr), kAKErrorTreeHistoryClosed);
    int commandID = 5;
    AKString name("x");
    EXPECT_FALSE(history.GetUndoState(&commandID, &name));
    EXPECT_EQ(commandID, 0);
    EXPECT_TRUE(name.IsEmpty());
}

TEST_F(AKTreeHistoryTest, CloseForgetsEverythingAndReopenStartsAfresh)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    History().SetTemporarilyDisabled();
    History().Close();
    EXPECT_FALSE(History().IsOpened());
    EXPECT_EQ(History().CountActions(), 0u);
    EXPECT_EQ(History().GetCurrentPosition(), 0u);
    EXPECT_EQ(History().GetEndPosition(), 0u);
    EXPECT_EQ(History().GetTemporaryDisableCount(), 0u);
    EXPECT_TRUE(History().GetHistoryFile().GetChunkList().GetEntries().IsEmpty());
    EXPECT_FALSE(History().GetSecondFile()->IsOpened());

    ASSERT_EQ(History().Reopen(), 0);
    EXPECT_TRUE(History().IsEnabled());
    EXPECT_FALSE(History().IsHistoryModified());
    EXPECT_EQ(History().GetHistoryFile().GetChunkList().GetEntries().Count(), tree.CountNodes());
}

TEST_F(AKTreeHistoryTest, ATemporarilyDisabledHistoryPerformsWithoutRecording)
{
    AKTree& tree = OpenDocument();
    fName = AKString("Recorded");
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    History().SetTemporarilyDisabled();
    History().SetTemporarilyDisabled();
    History().SetTemporarilyDisabledOff();
    EXPECT_FALSE(History().IsEnabled());
    fName = AKString("Unrecorded");
    AKTreeSel const added = AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    EXPECT_EQ(added.CountNodes(), 1u) << "performed";
    EXPECT_EQ(History().CountActions(), 1u) << "not recorded";
    int commandID = 0;
    AKString name;
    EXPECT_TRUE(History().GetUndoState(&commandID, &name));
    EXPECT_EQ(name, AKString("Recorded"));
    EXPECT_EQ(commandID, kHistTestCommand);
    History().SetTemporarilyDisabledOff();
    EXPECT_TRUE(History().IsEnabled());
}

// --- Merging ---

TEST_F(AKTreeHistoryTest, ASecondRevisionOfTheSameSelectionReplacesTheFirst)
{
    AKTree& tree = OpenDocument();
    Bytes const before = TreeBytes(tree);
    AKTreeSelWithNode const selection(&tree, ItemNode(tree, 2));
    ASSERT_EQ(ReviseItems(selection, 200), 0);
    unsigned int const actionID = History().GetAction(0)->GetActionID();
    unsigned long long const position = History().GetAction(0)->GetChunkPosition();
    ASSERT_EQ(ReviseItems(selection, 300, true), 0);

    ASSERT_EQ(History().CountActions(), 1u);
    EXPECT_EQ(History().GetCurrentPosition(), 1u);
    EXPECT_EQ(History().GetAction(0)->GetActionID(), actionID) << "the merged step keeps the ID";
    EXPECT_EQ(History().GetAction(0)->GetChunkPosition(), position);
    EXPECT_EQ(ValueOf(ItemNode(tree, 300)), 300u);

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.result, 0x802u);
    EXPECT_EQ(TreeBytes(tree), before) << "one undo goes back past both revisions";
    ASSERT_EQ(Redo().status, 0);
    EXPECT_EQ(ValueOf(ItemNode(tree, 300)), 300u);
}

TEST_F(AKTreeHistoryTest, RevisionsMergeOnlyWhenEverythingAgrees)
{
    struct Case {
        char const* what;
        std::function<void()> second;  // records the second step
    };
    auto revise = [this](AKTreeSel const& selection, bool allowMerge, bool withChildren) {
        EXPECT_EQ(ReviseItems(selection, 9, allowMerge, withChildren), 0);
    };
    Case const cases[] = {
        {"merging not allowed", [&] { revise(fSelection, false, false); }},
        {"another name",
         [&] {
             fName = AKString("Other");
             revise(fSelection, true, false);
         }},
        {"another command",
         [&] {
             fCommandID = 8;
             revise(fSelection, true, false);
         }},
        {"another selection", [&] { revise(AKTreeSelWithNode(&Tree(), fSelection.FirstNode()), true, false); }},
        {"another with-children flag", [&] { revise(fSelection, true, true); }},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTree& tree = OpenDocument();
        fCommandID = kHistTestCommand;
        fName = HistTestName();
        fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 4));
        ASSERT_EQ(ReviseItems(fSelection, 8), 0);
        c.second();
        EXPECT_EQ(History().CountActions(), 2u);
    }
}

TEST_F(AKTreeHistoryTest, OnlyARevisionFollowingARevisionOfACommandMerges)
{
    // A creation, then a revision of the very same selection.
    AKTree& tree = OpenDocument();
    AKTreeSel const added = AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    ASSERT_EQ(ReviseItems(added, 11, true), 0);
    EXPECT_EQ(History().CountActions(), 2u);

    // Revisions without command ID, as recorded outside any command; an
    // empty name is recorded as "Unnamed Action".
    fCommandID = 0;
    fName = AKString();
    AKTreeSelWithNode const selection(&tree, ItemNode(tree, 4));
    ASSERT_EQ(ReviseItems(selection, 40), 0);
    ASSERT_EQ(ReviseItems(selection, 41, true), 0);
    EXPECT_EQ(History().CountActions(), 4u);
    EXPECT_EQ(History().GetAction(3)->GetName(), AKString("Unnamed Action"));
}

// --- Groups ---

TEST_F(AKTreeHistoryTest, AGroupOfThreeCreationsIsUndoneAndRedoneAsOneStep)
{
    AKTree& tree = OpenDocument();
    Bytes const before = TreeBytes(tree);
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AddItems(FolderNode(tree, "F"), kAKLinkModeFirstChildren, {11});
    AddItems(FolderNode(tree, "G"), kAKLinkModeLastChildren, {12});
    unsigned int result = 0;
    ASSERT_EQ(History().ActionGroupEnd(31, AKString("Make Things"), &result), 0);
    EXPECT_EQ(result, 0x101u);
    Bytes const done = TreeBytes(tree);

    ASSERT_EQ(History().CountActions(), 3u);
    EXPECT_EQ(NamesOfRecords(), (std::vector<std::string>{"Make Things", "Make Things", "Make Things"}));
    unsigned int const groupNumber = History().GetAction(2)->GetGroupNumber();
    for (unsigned int i = 0; i < 3; ++i) {
        EXPECT_EQ(History().GetAction(i)->GetGroupNumber(), groupNumber);
        EXPECT_EQ(History().GetAction(i)->GetCommandID(), 31);
    }

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.result, 0x202u);
    EXPECT_EQ(undone.commandID, 31);
    EXPECT_EQ(undone.name, AKString("Make Things"));
    EXPECT_EQ(History().GetCurrentPosition(), 0u);
    EXPECT_EQ(TreeBytes(tree), before);

    Step const redone = Redo();
    ASSERT_EQ(redone.status, 0);
    EXPECT_EQ(redone.result, 0x104u);
    EXPECT_EQ(redone.name, AKString("Make Things"));
    EXPECT_EQ(History().GetCurrentPosition(), 3u);
    EXPECT_EQ(TreeBytes(tree), done);
    EXPECT_EQ(Redo().status, kAKErrorTreeHistoryCantRedo);
}

TEST_F(AKTreeHistoryTest, UndoAndRedoOfAGroupMoveEachStampOnce)
{
    AKTree& tree = OpenDocument();
    AKObject const* root = tree.GetRootNode()->GetObject();
    AKObject const* f = FolderNode(tree, "F")->GetObject();
    AKObject const* g = FolderNode(tree, "G")->GetObject();
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    AddItems(FolderNode(tree, "F"), kAKLinkModeLastChildren, {10});
    AddItems(FolderNode(tree, "G"), kAKLinkModeLastChildren, {11});
    ASSERT_EQ(History().ActionGroupEnd(31, AKString("Fill"), nullptr), 0);

    for (bool undo : {true, false}) {
        SCOPED_TRACE(undo ? "undo" : "redo");
        unsigned int const rootFar = root->GetFarSubLinksStamp();
        unsigned int const rootSub = root->GetSubLinksStamp();
        unsigned int const fSub = f->GetSubLinksStamp();
        unsigned int const gSub = g->GetSubLinksStamp();
        ASSERT_EQ((undo ? Undo() : Redo()).status, 0);
        EXPECT_EQ(root->GetFarSubLinksStamp(), rootFar + 1);
        EXPECT_EQ(root->GetSubLinksStamp(), rootSub) << "the root's own children did not change";
        EXPECT_EQ(f->GetSubLinksStamp(), fSub + 1);
        EXPECT_EQ(g->GetSubLinksStamp(), gSub + 1);
        EXPECT_EQ(Notifier().CheckObjectsFlags(), 0) << "no mark left pending";
    }

    // A single step moves its stamps at once.
    AKNode* four = ItemNode(tree, 4);
    ASSERT_EQ(ReviseItem(four, 40), 0);
    unsigned int const revised = four->GetObject()->GetRevisedStamp();
    ASSERT_EQ(Undo().status, 0);
    EXPECT_EQ(four->GetObject()->GetRevisedStamp(), revised + 1);
    EXPECT_EQ(Notifier().CheckObjectsFlags(), 0);
}

TEST_F(AKTreeHistoryTest, OnlyTheOutermostGroupEndNamesTheSteps)
{
    AKTree& tree = OpenDocument();
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    unsigned int result = 0xFFFF;
    ASSERT_EQ(History().ActionGroupEnd(2, AKString("Inner"), &result), 0);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(NamesOfRecords(), (std::vector<std::string>{"Edit"}));
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    ASSERT_EQ(History().ActionGroupEnd(3, AKString("Outer"), &result), 0);
    EXPECT_EQ(result, 0x101u);
    EXPECT_EQ(NamesOfRecords(), (std::vector<std::string>{"Outer", "Outer"}));
    EXPECT_EQ(History().GetGroupDepth(), 0u);

    // An empty recorded group, and an end without a group.
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    ASSERT_EQ(History().ActionGroupEnd(4, AKString("Empty"), &result), 0);
    EXPECT_EQ(result, 0u);
    result = 0xFFFF;
    ASSERT_EQ(History().ActionGroupEnd(4, AKString("None"), &result), 0);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(NamesOfRecords(), (std::vector<std::string>{"Outer", "Outer"}));
}

TEST_F(AKTreeHistoryTest, AGroupWhoseOnlyStepMergedStillReportsItsRevision)
{
    AKTree& tree = OpenDocument();
    Bytes const before = TreeBytes(tree);
    fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 5));
    unsigned int result = 0;
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    ASSERT_EQ(ReviseItems(fSelection, 50, true), 0);
    ASSERT_EQ(History().ActionGroupEnd(kHistTestCommand, HistTestName(), &result), 0);
    EXPECT_EQ(result, 0x801u);
    unsigned int const firstGroup = History().GetAction(0)->GetGroupNumber();

    ASSERT_EQ(History().ActionGroupBegin(), 0);
    ASSERT_EQ(ReviseItems(fSelection, 51, true), 0);
    ASSERT_EQ(History().ActionGroupEnd(kHistTestCommand, HistTestName(), &result), 0);
    EXPECT_EQ(result, 0x801u) << "the group did revise, although into the previous record";
    ASSERT_EQ(History().CountActions(), 1u);
    EXPECT_NE(History().GetAction(0)->GetGroupNumber(), firstGroup) << "the record now belongs to this group";

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.name, HistTestName());
    EXPECT_EQ(TreeBytes(tree), before);
}

TEST_F(AKTreeHistoryTest, AGroupBegunWhileDisabledNamesOnlyItsOwnSteps)
{
    AKTree& tree = OpenDocument();
    fName = AKString("First");
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    fName = AKString("Second");
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    History().SetTemporarilyDisabled();
    ASSERT_EQ(History().ActionGroupBegin(), 0);
    History().SetTemporarilyDisabledOff();
    fName = AKString("Third");
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {12});
    unsigned int result = 0;
    ASSERT_EQ(History().ActionGroupEnd(9, AKString("Group"), &result), 0);
    EXPECT_EQ(result, 0x101u);
    EXPECT_EQ(NamesOfRecords(), (std::vector<std::string>{"First", "Second", "Group"}));
    ASSERT_EQ(Undo().status, 0);
    EXPECT_EQ(History().GetCurrentPosition(), 2u) << "one step, not the whole history";
}

// --- The saved state ---

TEST_F(AKTreeHistoryTest, TheSavedStateIsReachedByUndoAndRedo)
{
    AKTree& tree = OpenDocument();
    EXPECT_FALSE(History().IsHistoryModified());
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    EXPECT_TRUE(History().IsHistoryModified());
    History().ResetHistoryModifiedFlag();
    EXPECT_FALSE(History().IsHistoryModified());
    ASSERT_EQ(Undo().status, 0);
    EXPECT_TRUE(History().IsHistoryModified());
    ASSERT_EQ(Redo().status, 0);
    EXPECT_FALSE(History().IsHistoryModified());
}

TEST_F(AKTreeHistoryTest, DroppingTheStepsToTheSavedStateLeavesTheDocumentModified)
{
    AKTree& tree = OpenDocument();
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {10});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {11});
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {12});
    History().ResetHistoryModifiedFlag();  // saved at 3
    ASSERT_EQ(Undo().status, 0);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {13});
    EXPECT_EQ(History().GetCurrentPosition(), 3u);
    EXPECT_TRUE(History().IsHistoryModified()) << "position 3 again, but not the saved content";
    EXPECT_EQ(History().GetSavedPosition(), kAKTreeHistoryUnreachablePosition);
    ASSERT_EQ(Undo().status, 0);
    ASSERT_EQ(Undo().status, 0);
    EXPECT_TRUE(History().IsHistoryModified()) << "no position leads back to it";
    History().ResetHistoryModifiedFlag();
    EXPECT_FALSE(History().IsHistoryModified());

    // A dropped tail that did not hold the saved position keeps it.
    ASSERT_EQ(Redo().status, 0);
    ASSERT_EQ(Undo().status, 0);
    AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {14});
    ASSERT_EQ(Undo().status, 0);
    EXPECT_FALSE(History().IsHistoryModified());
}

TEST_F(AKTreeHistoryTest, AMergeRewritingTheSavedStepLeavesTheDocumentModified)
{
    AKTree& tree = OpenDocument();
    fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 6));
    ASSERT_EQ(ReviseItems(fSelection, 60), 0);
    History().ResetHistoryModifiedFlag();
    ASSERT_EQ(ReviseItems(fSelection, 61, true), 0);
    EXPECT_EQ(History().GetCurrentPosition(), 1u);
    EXPECT_TRUE(History().IsHistoryModified());

    // A merge after the saved step leaves the saved state where it was.
    fSelection = AKTreeSelWithNode(&tree, ItemNode(tree, 4));
    History().ResetHistoryModifiedFlag();  // saved at 1
    ASSERT_EQ(ReviseItems(fSelection, 40), 0);
    ASSERT_EQ(ReviseItems(fSelection, 41, true), 0);
    EXPECT_TRUE(History().IsHistoryModified());
    ASSERT_EQ(Undo().status, 0);
    EXPECT_FALSE(History().IsHistoryModified());
}

}  // namespace
