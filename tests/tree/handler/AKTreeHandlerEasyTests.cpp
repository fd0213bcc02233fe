// Commands on the tree handler: one undo step per command named by its menu
// label, the steps under the current command with their list and pointer
// rules, nested groups, and the history's switches.

#include "TreeTestClasses.h"

#include "AKIdlingCenter.h"
#include "AKStatus.h"
#include "AKTreeHandler.h"
#include "AKTreeHistoryAction.h"
#include "HandlerTestFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class AKTreeHandlerEasyTest : public HandlerTreeTest
{
protected:
    static std::string Shape(AKTreeHandler const& h) { return ::Shape(*h.GetTree()); }
    static AKObject* Obj(AKNode* node) { return node != nullptr ? node->GetObject() : nullptr; }
    static ATObjectArray<AKObject> List(std::initializer_list<AKObject*> objects)
    {
        ATObjectArray<AKObject> list;
        for (AKObject* object : objects)
            list.Push(object);
        return list;
    }
    static bool WasDeleted(unsigned int value)
    {
        auto const& values = TestItem::DeletedValues();
        return std::find(values.begin(), values.end(), value) != values.end();
    }
    static AKString UndoName(AKTreeHandler const& h, int* commandID = nullptr)
    {
        AKString name;
        h.CanUndo(commandID, &name);
        return name;
    }
};

// --- One command, one step ---

TEST_F(AKTreeHandlerEasyTest, ACommandOfThreeCreationsIsOneUndoStepNamedByItsMenuLabel)
{
    TestTreeHandler& h = NewDocumentHandler();
    TreeSnapshot const before = SnapshotOf(*h.GetTree());

    ASSERT_EQ(h.DoEasyStart(TestCommand(77, "New Set"), nullptr), 0);
    EXPECT_EQ(h.GetCurrentCommand().GetCommandID(), 77);
    AKObject* folder = NewFolder("S");
    AKObject* inside = NewItem(8);
    AKObject* beside = NewItem(9);
    ASSERT_EQ(h.DoEasyAddNewObject(&folder, Obj(h.GetTree()->GetRootNode()), kAKLinkModeLastChildren), 0);
    ASSERT_EQ(h.DoEasyAddNewObject(&inside, folder, kAKLinkModeFirstChildren), 0);
    ASSERT_EQ(h.DoEasyAddNewObject(&beside, folder, kAKLinkModeBefore), 0);
    EXPECT_EQ(h.DoEasyEnd(), 0x101u);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5],6,9,S[8]");
    EXPECT_EQ(h.GetCurrentCommand().GetCommandID(), 0);
    EXPECT_TRUE(h.GetCurrentCommand().GetMenuLabel().IsEmpty());

    int commandID = 0;
    EXPECT_EQ(UndoName(h, &commandID), AKString("New Set")) << "the menu label, not another of the entry's strings";
    EXPECT_EQ(commandID, 77);
    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(undo.GetActionName(), AKString("New Set"));
    EXPECT_EQ(undo.GetResultFlags(), 0x202u);
    EXPECT_EQ(SnapshotOf(*h.GetTree()).chunk, before.chunk) << "all three gone at once";
    EXPECT_FALSE(h.CanUndo(nullptr, nullptr));

    AKTreeActionParam redo(h.GetTree());
    ASSERT_EQ(h.DoRedo(redo), 0);
    EXPECT_EQ(redo.GetResultFlags(), 0x104u);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5],6,9,S[8]");
}

TEST_F(AKTreeHandlerEasyTest, AStepOutsideACommandIsAnUnnamedStepOfItsOwn)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKObject* item = Obj(Item(h, 4));
    ASSERT_EQ(h.DoEasyMoveObject(nullptr, &item, Obj(Item(h, 6)), kAKLinkModeAfter), 0);
    AKObject* other = Obj(Item(h, 1));
    ASSERT_EQ(h.DoEasyDeleteObject(&other), 0);
    EXPECT_EQ(h.GetHistory().CountActions(), 2u);
    int commandID = -1;
    EXPECT_EQ(UndoName(h, &commandID), AKString("Unnamed Action"));
    EXPECT_EQ(commandID, 0);
    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(Shape(h), "F[1,2,3],G[5],6,4") << "one step undone, the move stays";
}

TEST_F(AKTreeHandlerEasyTest, TheResultOfACommandFollowsWhatWasRecordedOrPerformed)
{
    struct Row {
        char const* what;
        bool open;
        bool disabled;
        bool deleteSomething;
        unsigned int expected;
    };
    Row const rows[] = {
        {"recorded, a deletion", true, false, true, 0x201},
        {"recorded, nothing", true, false, false, 0x0},
        {"history closed, a deletion", false, false, true, 0x201},
        {"history closed, nothing", false, false, false, 0x1},
        {"history disabled, a deletion", true, true, true, 0x201},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.what);
        TestTreeHandler& h = NewDocumentHandler(kAKTreeOptionDeferredDelete, row.open);
        if (row.disabled)
            h.SetHistoryTemporarilyDisabled();
        ASSERT_EQ(h.DoEasyStart(TestCommand(5, "Clear"), nullptr), 0);
        if (row.deleteSomething) {
            AKObject* item = Obj(Item(h, 4));
            ASSERT_EQ(h.DoEasyDeleteObject(&item), 0);
        }
        EXPECT_EQ(h.DoEasyEnd(), row.expected);
        EXPECT_EQ(h.GetHistory().CountActions(), row.open && !row.disabled && row.deleteSomething ? 1u : 0u);
    }
}

TEST_F(AKTreeHandlerEasyTest, NestedGroupsStayOneStepUnderTheCurrentCommand)
{
    TestTreeHandler& h = NewDocumentHandler();
    ASSERT_EQ(h.DoEasyStart(TestCommand(12, "Tidy"), nullptr), 0);
    ASSERT_EQ(h.DoEasyActionGroupBegin(), 0);
    AKObject* six = Obj(Item(h, 6));
    ASSERT_EQ(h.DoEasyDeleteObject(&six), 0);
    unsigned int inner = 0xFFFF;
    ASSERT_EQ(h.DoEasyActionGroupEnd(&inner), 0);
    EXPECT_EQ(inner, 0u) << "only the outermost end reports";
    EXPECT_EQ(h.GetCurrentCommand().GetCommandID(), 12) << "the command stays";
    AKObject* four = Obj(Item(h, 4));
    ASSERT_EQ(h.DoEasyMoveObject(nullptr, &four, Obj(Folder(h, "G")), kAKLinkModeLastChildren), 0);
    EXPECT_EQ(h.DoEasyEnd(), 0x601u);

    EXPECT_EQ(UndoName(h), AKString("Tidy"));
    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5],6");
    EXPECT_FALSE(h.CanUndo(nullptr, nullptr));
}

// A refused step leaves the command open; its end closes it with what the
// earlier steps recorded.
TEST_F(AKTreeHandlerEasyTest, AFailedStepInsideACommandLeavesItForTheEnd)
{
    TestTreeHandler& h = NewDocumentHandler();
    ASSERT_EQ(h.DoEasyStart(TestCommand(3, "Mixed"), nullptr), 0);
    AKObject* one = Obj(Item(h, 1));
    ASSERT_EQ(h.DoEasyDeleteObject(&one), 0);
    AKObject* four = Obj(Item(h, 4));
    EXPECT_EQ(h.DoEasyMoveObject(nullptr, &four, Obj(Item(h, 6)), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_EQ(h.GetHistory().GetGroupDepth(), 1u);
    EXPECT_EQ(h.DoEasyEnd(), 0x201u);
    EXPECT_EQ(h.GetHistory().GetGroupDepth(), 0u);
    EXPECT_EQ(UndoName(h), AKString("Mixed"));
}

// --- Lists and pointers ---

TEST_F(AKTreeHandlerEasyTest, DeletionsEmptyTheListAndClearThePointerWhateverHappens)
{
    TestTreeHandler& h = NewDocumentHandler();
    ATObjectArray<AKObject> list = List({Obj(Item(h, 1)), Obj(Item(h, 2))});
    EXPECT_EQ(h.DoEasyDeleteObjects(&list), 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(Shape(h), "F[3],4,G[5],6");

    // Refused: the root.
    list = List({Obj(h.GetTree()->GetRootNode())});
    EXPECT_EQ(h.DoEasyDeleteObjects(&list), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_TRUE(list.IsEmpty());
    AKObject* root = Obj(h.GetTree()->GetRootNode());
    EXPECT_EQ(h.DoEasyDeleteObject(&root), kAKErrorTreeHandlerBadTreeSelType);
    EXPECT_EQ(root, nullptr);

    // Nothing to do.
    EXPECT_EQ(h.DoEasyDeleteObjects(nullptr), 0);
    AKObject* none = nullptr;
    EXPECT_EQ(h.DoEasyDeleteObject(&none), 0);
    EXPECT_EQ(h.DoEasyDeleteObject(nullptr), 0);
    EXPECT_EQ(Shape(h), "F[3],4,G[5],6");
    EXPECT_EQ(h.GetHistory().CountActions(), 1u);
}

TEST_F(AKTreeHandlerEasyTest, AdditionsDeleteTheObjectsTheTreeDidNotTake)
{
    TestTreeHandler& h = NewDocumentHandler();
    TestItem::DeletedValues().clear();
    // Items take no children.
    ATObjectArray<AKObject> list = List({NewItem(71), NewItem(72)});
    EXPECT_EQ(h.DoEasyAddNewObjects(&list, Obj(Item(h, 4)), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(WasDeleted(71) && WasDeleted(72));

    AKObject* single = NewItem(73);
    EXPECT_EQ(h.DoEasyAddNewObject(&single, Obj(Item(h, 4)), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_EQ(single, nullptr);
    EXPECT_TRUE(WasDeleted(73));

    // Added: the list keeps the objects, now the tree's.
    list = List({NewItem(74)});
    EXPECT_EQ(h.DoEasyAddNewObjects(&list, Obj(Item(h, 4)), kAKLinkModeAfter), 0);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_TRUE(h.GetTree()->IsOwnerOfObject(list[0]));
    EXPECT_EQ(Shape(h), "F[1,2,3],4,74,G[5],6");
}

// An addition that reached the tree but could not be recorded used to have
// its objects deleted from under their nodes.
TEST_F(AKTreeHandlerEasyTest, AnAdditionThatCouldNotBeRecordedKeepsTheObjectsTheTreeTook)
{
    TestTreeHandler& h = NewDocumentHandler();
    TestItem::DeletedValues().clear();
    AKObject* single = NewItem(81);
    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorChunkBadItemCount);
    EXPECT_EQ(h.DoEasyAddNewObject(&single, Obj(Folder(h, "G")), kAKLinkModeLastChildren), kAKErrorChunkBadItemCount);
    EXPECT_NE(single, nullptr);
    EXPECT_TRUE(h.GetTree()->IsOwnerOfObject(single));

    ATObjectArray<AKObject> list = List({NewItem(82)});
    AKTreeHistory::SetNextWriteFailureForTesting(kAKErrorChunkBadItemCount);
    EXPECT_EQ(h.DoEasyAddNewObjects(&list, Obj(Folder(h, "G")), kAKLinkModeLastChildren), kAKErrorChunkBadItemCount);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5,81,82],6");
    EXPECT_FALSE(WasDeleted(81) || WasDeleted(82));
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
}

TEST_F(AKTreeHandlerEasyTest, MovesTellWhetherLinksChanged)
{
    TestTreeHandler& h = NewDocumentHandler();
    bool moved = true;
    ATObjectArray<AKObject> empty;
    EXPECT_EQ(h.DoEasyMoveObjects(&moved, &empty, Obj(Folder(h, "F")), kAKLinkModeLastChildren), 0);
    EXPECT_FALSE(moved);
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
    moved = true;
    EXPECT_EQ(h.DoEasyMoveObjects(&moved, nullptr, nullptr, kAKLinkModeNone), 0);
    EXPECT_FALSE(moved);

    ATObjectArray<AKObject> list = List({Obj(Item(h, 6)), Obj(Item(h, 4))});
    EXPECT_EQ(h.DoEasyMoveObjects(&moved, &list, Obj(Folder(h, "F")), kAKLinkModeFirstChildren), 0);
    EXPECT_TRUE(moved);
    EXPECT_EQ(list.Count(), 2u) << "the list is left as it was";
    EXPECT_EQ(Shape(h), "F[4,6,1,2,3],G[5]");

    AKObject* five = Obj(Item(h, 5));
    EXPECT_EQ(h.DoEasyMoveObject(&moved, &five, Obj(Folder(h, "G")), kAKLinkModeLastChildren), 0);
    EXPECT_FALSE(moved) << "already there";
    EXPECT_EQ(five, Obj(Item(h, 5)));
    EXPECT_EQ(h.DoEasyMoveObject(&moved, &five, Obj(Item(h, 1)), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_FALSE(moved);
    EXPECT_EQ(h.GetHistory().CountActions(), 1u);
}

TEST_F(AKTreeHandlerEasyTest, CopiesHandBackTheCopiesObjects)
{
    TestTreeHandler& h = NewDocumentHandler();
    TestTreeHandler& other = NewDocumentHandler();
    ATObjectArray<AKObject> copies = List({Obj(Item(h, 1))});

    // From another document (several objects, normalised there).
    ATObjectArray<AKObject> source = List({Obj(Item(other, 6)), Obj(Item(other, 5))});
    ASSERT_EQ(h.DoEasyCopyObjects(&copies, &source, Obj(Folder(h, "G")), kAKLinkModeFirstChildren), 0);
    ASSERT_EQ(copies.Count(), 2u);
    EXPECT_TRUE(h.GetTree()->IsOwnerOfObjects(copies));
    EXPECT_EQ(Shape(h), "F[1,2,3],4,G[5,6,5],6") << "in the source's tree order";
    EXPECT_EQ(::Shape(*other.GetTree()), "F[1,2,3],4,G[5],6");

    // Refused, or nothing to copy: emptied.
    AKObject* four = Obj(Item(h, 4));
    EXPECT_EQ(h.DoEasyCopyObject(&copies, &four, Obj(Item(h, 6)), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_TRUE(copies.IsEmpty());
    copies = List({four});
    EXPECT_EQ(h.DoEasyCopyObject(&copies, nullptr, Obj(Item(h, 6)), kAKLinkModeAfter), 0);
    EXPECT_TRUE(copies.IsEmpty());

    EXPECT_EQ(h.DoEasyCopyObject(&copies, &four, Obj(Item(h, 6)), kAKLinkModeAfter), 0);
    EXPECT_EQ(four, Obj(Item(h, 4))) << "the pointer is left as it was";
    ASSERT_EQ(copies.Count(), 1u);
    EXPECT_EQ(copies[0]->GetNodeOwner()->GetPrev(), Item(h, 6));
}

TEST_F(AKTreeHandlerEasyTest, RevisionsUnderACommandNeverMerge)
{
    TestTreeHandler& h = NewDocumentHandler();
    AKDictionary const info;
    AKObject* four = Obj(Item(h, 4));
    static_cast<TestItem*>(four)->SetValue(40);
    ASSERT_EQ(h.DoEasyReviseObject(&four, info, false), 0);
    static_cast<TestItem*>(four)->SetValue(400);
    ASSERT_EQ(h.DoEasyReviseObject(&four, info, false), 0);
    EXPECT_EQ(four, Obj(Item(h, 400)));
    EXPECT_EQ(h.GetHistory().CountActions(), 2u);
    ATObjectArray<AKObject> none;
    EXPECT_EQ(h.DoEasyReviseObjects(&none, info, false), 0);
    EXPECT_EQ(h.GetHistory().CountActions(), 2u);

    AKTreeActionParam undo(h.GetTree());
    ASSERT_EQ(h.DoUndo(undo), 0);
    EXPECT_EQ(static_cast<TestItem*>(four)->GetValue(), 40u);
}

TEST_F(AKTreeHandlerEasyTest, TheCommandsClientReachesMovesCopiesAndAdditionsOnly)
{
    TestTreeHandler& h = NewDocumentHandler();
    TestPostTreatmentClient client;
    ASSERT_EQ(h.DoEasyStart(TestCommand(21, "Arrange"), &client), 0);
    EXPECT_EQ(h.GetCurrentPostTreatmentClient(), &client);
    AKObject* four = Obj(Item(h, 4));
    ASSERT_EQ(h.DoEasyMoveObject(nullptr, &four, Obj(Item(h, 6)), kAKLinkModeAfter), 0);
    ATObjectArray<AKObject> copies;
    ASSERT_EQ(h.DoEasyCopyObject(&copies, &four, Obj(Folder(h, "G")), kAKLinkModeLastChildren), 0);
    AKObject* added = NewItem(9);
    ASSERT_EQ(h.DoEasyAddNewObject(&added, Obj(Folder(h, "G")), kAKLinkModeLastChildren), 0);
    AKDictionary const info;
    ASSERT_EQ(h.DoEasyReviseObject(&four, info, false), 0);
    ASSERT_EQ(h.DoEasyDeleteObject(&four), 0);
    h.DoEasyEnd();
    EXPECT_EQ(h.GetCurrentPostTreatmentClient(), nullptr);

    // The move and the copy; the addition carries the client but does not call it.
    ASSERT_EQ(client.fCalls.size(), 2u);
    EXPECT_EQ(client.fCalls[0].commandID, 21);
    EXPECT_EQ(client.fCalls[1].nodeIDs, std::vector<AKNodeID>{copies[0]->GetID()});
}

// Objects of another document are never edited through this one: the
// builders select nothing of them, and a raw selection naming them is
// refused.
TEST_F(AKTreeHandlerEasyTest, ObjectsOfAnotherDocumentAreLeftAlone)
{
    TestTreeHandler& h = NewDocumentHandler();
    TestTreeHandler& other = NewDocumentHandler();
    TreeSnapshot const mine = SnapshotOf(*h.GetTree());
    TreeSnapshot const theirs = SnapshotOf(*other.GetTree());

    AKObject* foreign = Obj(Item(other, 4));
    EXPECT_EQ(h.DoEasyDeleteObject(&foreign), kAKErrorTreeHandlerEmptyTreeSel);
    EXPECT_EQ(foreign, nullptr);
    foreign = Obj(Item(other, 4));
    bool moved = true;
    EXPECT_EQ(h.DoEasyMoveObject(&moved, &foreign, Obj(Folder(h, "F")), kAKLinkModeLastChildren),
              kAKErrorTreeHandlerEmptyTreeSel);
    EXPECT_FALSE(moved);

    struct Row {
        char const* what;
        std::function<int(AKTreeActionParam&)> run;
    };
    AKDictionary const info;
    Row const rows[] = {
        {"delete", [&](AKTreeActionParam& p) { return h.DoDelete(p); }},
        {"cut", [&](AKTreeActionParam& p) { return h.DoCutToPasteboard(p, nullptr); }},
        {"duplicate", [&](AKTreeActionParam& p) { return h.DoDuplicate(p); }},
        {"move",
         [&](AKTreeActionParam& p) { return h.DoMoveTo(p.WithTargetNode(Folder(h, "F"), kAKLinkModeLastChildren)); }},
        {"revise", [&](AKTreeActionParam& p) { return h.DoReviseObjects(p, info, false); }},
        {"copy out", [&](AKTreeActionParam& p) { return h.DoCopyToPasteboard(p, nullptr); }},
    };
    for (Row const& row : rows) {
        AKTreeActionParam param(h.GetTree());
        param.WithTreeRawSelNodes(NodesOf({Item(h, 6), Item(other, 4)}));
        ASSERT_EQ(param.GetTreeSel().CountNodes(), 2u);
        EXPECT_EQ(row.run(param), kAKErrorTreeHandlerBadTreeOwner) << row.what;
    }

    EXPECT_EQ(SnapshotOf(*h.GetTree()), mine);
    EXPECT_EQ(SnapshotOf(*other.GetTree()), theirs);
    EXPECT_EQ(h.GetHistory().CountActions(), 0u);
    EXPECT_TRUE(AKTreePasteboard::sShared.IsEmpty());
}

// --- The history's switches ---

TEST_F(AKTreeHandlerEasyTest, TheDisableCountNeverDropsBelowZeroAndCloseResetsIt)
{
    TestTreeHandler& h = NewDocumentHandler();
    EXPECT_TRUE(h.IsHistoryOpened());
    EXPECT_TRUE(h.IsHistoryEnabled());
    auto deleteItem = [&](unsigned int value) {
        AKObject* object = Obj(Item(h, value));
        EXPECT_EQ(h.DoEasyDeleteObject(&object), 0);
    };

    EXPECT_EQ(h.SetHistoryTemporarilyDisabled(), 0);
    EXPECT_EQ(h.SetHistoryTemporarilyDisabled(), 0);
    EXPECT_EQ(h.SetHistoryTemporarilyDisabledOff(), 0);
    EXPECT_FALSE(h.IsHistoryEnabled());
    deleteItem(1);
    EXPECT_EQ(h.GetHistory().CountActions(), 0u) << "disabled twice, enabled once";
    EXPECT_EQ(h.SetHistoryTemporarilyDisabledOff(), 0);
    EXPECT_EQ(h.SetHistoryTemporarilyDisabledOff(), 0);
    EXPECT_EQ(h.GetHistory().GetTemporaryDisableCount(), 0u);
    EXPECT_TRUE(h.IsHistoryEnabled());
    deleteItem(2);
    EXPECT_EQ(h.GetHistory().CountActions(), 1u);
    // One more disable would have cancelled a count that went below zero.
    h.SetHistoryTemporarilyDisabled();
    EXPECT_FALSE(h.IsHistoryEnabled());

    h.CloseHistory();
    EXPECT_FALSE(h.IsHistoryOpened());
    EXPECT_FALSE(h.IsHistoryEnabled());
    EXPECT_EQ(h.GetHistory().GetTemporaryDisableCount(), 0u);
    EXPECT_FALSE(h.CanUndo(nullptr, nullptr));
    AKTreeActionParam undo(h.GetTree());
    EXPECT_EQ(h.DoUndo(undo), kAKErrorTreeHistoryClosed);

    ASSERT_EQ(h.ReopenHistory(), 0);
    EXPECT_TRUE(h.IsHistoryEnabled());
    deleteItem(3);
    EXPECT_EQ(h.GetHistory().CountActions(), 1u);
    h.DebugPrintHistory();
}

TEST_F(AKTreeHandlerEasyTest, StartingTheIdlingObjectsRegistersTheNotifier)
{
    TestTreeHandler& h = NewDocumentHandler();
    EXPECT_FALSE(h.GetNotifier().IsIdlingRegistered());
    h.StartIdlingObjects();
    EXPECT_TRUE(h.GetNotifier().IsIdlingRegistered());
}

}  // namespace
