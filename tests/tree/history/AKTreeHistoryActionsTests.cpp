// The four action kinds: each is done, undone and redone back to exactly the
// same tree, in both cache kinds of the history's files; and a replay whose
// places are gone is refused before anything changes.

#include "AKTreeHistoryActionOnCreate.h"
#include "AKTreeHistoryActionOnLink.h"
#include "AKTreeHistoryActionOnRevise.h"

#include "AKValueTyped.h"
#include "HistoryTestFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class AKTreeHistoryActionsTest : public HistoryCacheTest
{
protected:
    // Undoes and redoes the last step twice, checking the tree against the
    // states before and after it, byte for byte.
    void ExpectRoundTrips(Bytes const& before, Bytes const& after, unsigned int undone, unsigned int redone)
    {
        for (int pass = 0; pass < 2; ++pass) {
            SCOPED_TRACE(pass == 0 ? "first undo and redo" : "second undo and redo");
            Step const u = Undo();
            ASSERT_EQ(u.status, 0);
            EXPECT_EQ(u.result, undone);
            EXPECT_EQ(TreeBytes(Tree()), before);
            Step const r = Redo();
            ASSERT_EQ(r.status, 0);
            EXPECT_EQ(r.result, redone);
            EXPECT_EQ(TreeBytes(Tree()), after);
        }
    }
};

// --- Round trips ---

TEST_P(AKTreeHistoryActionsTest, ACreationRoundTrips)
{
    AKTree& tree = OpenDocument(GetParam());
    Bytes const before = TreeBytes(tree);
    AKTreeSel const added = AddItems(FolderNode(tree, "F"), kAKLinkModeAfter, {20, 21});
    Bytes const after = TreeBytes(tree);
    ExpectRoundTrips(before, after, 0x202, 0x104);

    // Redone from the second file: the payload in the history file is no
    // longer read.
    ASSERT_EQ(Undo().status, 0);
    AKTreeHistoryAction const& action = *History().GetAction(0);
    AKHistoryFile& file = WritableHistoryFile();
    ASSERT_EQ(file.SetPos(action.GetChunkPosition() + 28), 0);  // its ARND header
    ASSERT_EQ(AKFileWriteZeros(file, 16), 0);
    Step const redone = Redo();
    ASSERT_EQ(redone.status, 0);
    EXPECT_EQ(IDsOf(redone.selection), IDsOf(added));
    EXPECT_EQ(TreeBytes(tree), after);
}

TEST_P(AKTreeHistoryActionsTest, ADeletionRoundTripsFromItsPayloadThenFromTheSecondFile)
{
    AKTree& tree = OpenDocument(GetParam());
    Bytes const before = TreeBytes(tree);
    AKNodeID const two = ItemNode(tree, 2)->GetID();
    AKNodeID const g = FolderNode(tree, "G")->GetID();
    ASSERT_EQ(DeleteNodes({ItemNode(tree, 2), FolderNode(tree, "G")}), 0);
    Bytes const after = TreeBytes(tree);
    auto const& deletion = static_cast<AKTreeHistoryActionOnDelete const&>(*History().GetAction(0));

    Step const first = Undo();
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.result, 0x102u);
    EXPECT_EQ(deletion.GetSecondFilePos(), kAKTreeHistoryNoSecondFilePos) << "re-created from its own payload";
    EXPECT_EQ(IDsOf(first.selection), (std::vector<AKNodeID>{two, g}));
    EXPECT_EQ(TreeBytes(tree), before);

    Step const again = Redo();
    ASSERT_EQ(again.status, 0);
    EXPECT_EQ(again.result, 0x204u);
    EXPECT_EQ(deletion.GetSecondFilePos(), 0u) << "removed into the second file";
    EXPECT_EQ(TreeBytes(tree), after);
    ExpectRoundTrips(before, after, 0x102, 0x204);
}

TEST_P(AKTreeHistoryActionsTest, AMoveRoundTripsBetweenTheOldAndTheNewPlaces)
{
    AKTree& tree = OpenDocument(GetParam());
    Bytes const before = TreeBytes(tree);
    std::vector<AKNodeID> const ids = {ItemNode(tree, 1)->GetID(), ItemNode(tree, 3)->GetID(),
                                       ItemNode(tree, 4)->GetID()};
    AKTreeSel const moved = MoveNodes({ItemNode(tree, 1), ItemNode(tree, 3), ItemNode(tree, 4)}, FolderNode(tree, "G"),
                                      kAKLinkModeLastChildren);
    EXPECT_EQ(Shape(tree), "F[2],G[5,1,3,4],6");
    Bytes const after = TreeBytes(tree);

    // Three IDs, then nine old and nine new links.
    Bytes const bytes = FileBytes(History().GetHistoryFile());
    size_t const payload = History().GetAction(0)->GetChunkPosition() + 12;
    EXPECT_EQ(SignatureAt(bytes, payload), "HLIK");
    EXPECT_EQ(GetU32(bytes, payload + 4), 3u);
    EXPECT_EQ(GetU32(bytes, payload + 20), 9u);
    EXPECT_EQ(GetU32(bytes, payload + 60), 9u);

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(undone.result, 0x402u);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6");
    EXPECT_EQ(IDsOf(undone.selection), ids);
    EXPECT_NE(undone.selection.GetTreeSelID(), moved.GetTreeSelID()) << "a new selection ID";
    EXPECT_EQ(TreeBytes(tree), before);
    ASSERT_EQ(Redo().status, 0);
    EXPECT_EQ(TreeBytes(tree), after);
    ExpectRoundTrips(before, after, 0x402, 0x404);
}

TEST_P(AKTreeHistoryActionsTest, ARevisionRoundTripsThroughTheSnapshots)
{
    AKTree& tree = OpenDocument(GetParam());
    Bytes const opened = TreeBytes(tree);
    AKNode* two = ItemNode(tree, 2);
    fMoreInfo.SetValue("Key", AKValueSetasSInt(12));
    ASSERT_EQ(ReviseItem(two, 200), 0);
    Bytes const first = TreeBytes(tree);
    ASSERT_EQ(ReviseItem(two, 300), 0);
    Bytes const second = TreeBytes(tree);
    ExpectRoundTrips(first, second, 0x802, 0x804);

    Step const undone = Undo();
    ASSERT_EQ(undone.status, 0);
    EXPECT_EQ(IDsOf(undone.selection), (std::vector<AKNodeID>{two->GetID()}));
    EXPECT_EQ(undone.moreInfo, fMoreInfo);
    // Never revised before: back to the state written when the history opened.
    ASSERT_EQ(Undo().status, 0);
    EXPECT_EQ(TreeBytes(tree), opened);
    ASSERT_EQ(Redo().status, 0);
    EXPECT_EQ(TreeBytes(tree), first);
    ASSERT_EQ(Redo().status, 0);
    EXPECT_EQ(TreeBytes(tree), second);
}

TEST_P(AKTreeHistoryActionsTest, ARevisionWithChildrenCoversTheWholeSubtree)
{
    AKTree& tree = OpenDocument(GetParam());
    Bytes const before = TreeBytes(tree);
    AKNode* f = FolderNode(tree, "F");
    for (AKNode* child = f->GetSub(); child != nullptr; child = child->GetNext())
        static_cast<TestItem*>(child->GetObject())->SetValue(ValueOf(child) + 100);
    ASSERT_EQ(ReviseItems(AKTreeSelWithNode(&tree, f), 0, false, true), 0);
    EXPECT_EQ(Shape(tree), "F[101,102,103],4,G[5],6");
    Bytes const after = TreeBytes(tree);
    ExpectRoundTrips(before, after, 0x802, 0x804);

    // Redone onto a subtree that no longer has the recorded number of nodes.
    ASSERT_EQ(Undo().status, 0);
    History().SetTemporarilyDisabled();
    AddItems(f, kAKLinkModeLastChildren, {9});
    History().SetTemporarilyDisabledOff();
    Bytes const grown = TreeBytes(tree);
    EXPECT_EQ(Redo().status, kAKErrorChunkBadItemCount);
    EXPECT_EQ(TreeBytes(tree), grown);
    EXPECT_EQ(History().GetCurrentPosition(), 0u);
}

// --- Writing ---

TEST_P(AKTreeHistoryActionsTest, AnEmptySelectionOrOneOfAnotherTreeIsNotRecorded)
{
    AKTree& tree = OpenDocument(GetParam());
    AKTree& other = NewDocument();
    AKTreeSel const foreign = AKTreeSelWithNode(&other, ItemNode(other, 1));
    AKNodeIDArray links;
    links.Push(0);
    struct Case {
        char const* what;
        AKTreeHistoryAction* action;
        int status;
    } const cases[] = {
        {"empty creation", new AKTreeHistoryActionOnCreate(1, AKString("A"), AKTreeSel(&tree)),
         kAKErrorTreeHandlerEmptyTreeSel},
        {"foreign revision", new AKTreeHistoryActionOnRevise(1, AKString("A"), foreign, kAKNullDictionary, false),
         kAKErrorTreeHandlerBadTreeOwner},
        {"link without links",
         new AKTreeHistoryActionOnLink(1, AKString("A"), AKTreeSelWithNode(&tree, ItemNode(tree, 1)), links,
                                       AKNodeIDArray()),
         kAKErrorTreeHandlerEmptyTreeSel},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        History().ResetHistoryModifiedFlag();
        unsigned long long const end = History().GetEndPosition();
        EXPECT_EQ(History().RegisterAction(c.action, false), c.status);
        EXPECT_EQ(History().CountActions(), 0u);
        EXPECT_EQ(History().GetEndPosition(), end);
        EXPECT_TRUE(History().IsHistoryModified()) << "the tree may hold an unrecorded change";
    }
}

TEST_P(AKTreeHistoryActionsTest, AWrittenActionKeepsNoNodePointer)
{
    AKTree& tree = OpenDocument(GetParam());
    AKTreeSel const added = AddItems(tree.GetRootNode(), kAKLinkModeLastChildren, {20});
    AKTreeHistoryAction const& action = *History().GetAction(0);
    EXPECT_TRUE(action.GetTreeSel().IsEmpty());
    EXPECT_EQ(action.GetTreeSel().GetTree(), nullptr);
    EXPECT_EQ(action.GetTreeSelID(), static_cast<unsigned int>(added.GetTreeSelID())) << "the ID is kept";
    EXPECT_EQ(action.GetSignature(), kAKTreeHistoryActionCreate);
}

// --- Replays whose places are gone ---

TEST_P(AKTreeHistoryActionsTest, ReCreatingUnderAMissingParentOrBesideAMissingBrotherIsRefused)
{
    struct Case {
        char const* what;
        unsigned int deleted;   // the item whose deletion is undone
        unsigned int vanished;  // then removed behind the history's back: an item, or 0 for folder G
    } const cases[] = {{"parent", 5, 0}, {"next brother", 2, 3}, {"previous brother", 2, 1}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTree& tree = OpenDocument(GetParam());
        ASSERT_EQ(DeleteNodes({ItemNode(tree, c.deleted)}), 0);
        History().SetTemporarilyDisabled();
        ASSERT_EQ(DeleteNodes({c.vanished == 0 ? FolderNode(tree, "G") : ItemNode(tree, c.vanished)}), 0);
        History().SetTemporarilyDisabledOff();
        Bytes const before = TreeBytes(tree);
        unsigned int const nodes = tree.CountNodes();

        EXPECT_EQ(Undo().status, kAKErrorTreeNodeBadID);
        EXPECT_EQ(TreeBytes(tree), before);
        EXPECT_EQ(tree.CountNodes(), nodes);
        EXPECT_EQ(History().GetCurrentPosition(), 1u);
        EXPECT_EQ(tree.CheckTreeCoherency(), 0);
    }
}

TEST_P(AKTreeHistoryActionsTest, MovingBackOrAgainToAPlaceThatIsGoneIsRefused)
{
    // Undo: item 5 back into folder G, which is gone.
    AKTree& tree = OpenDocument(GetParam());
    MoveNodes({ItemNode(tree, 5)}, ItemNode(tree, 6), kAKLinkModeAfter);
    History().SetTemporarilyDisabled();
    ASSERT_EQ(DeleteNodes({FolderNode(tree, "G")}), 0);
    History().SetTemporarilyDisabledOff();
    Bytes before = TreeBytes(tree);
    EXPECT_EQ(Undo().status, kAKErrorTreeNodeBadID);
    EXPECT_EQ(TreeBytes(tree), before);
    EXPECT_EQ(tree.CheckTreeCoherency(), 0);

    // Redo: item 1 again after item 6, which is gone.
    AKTree& again = OpenDocument(GetParam());
    MoveNodes({ItemNode(again, 1)}, ItemNode(again, 6), kAKLinkModeAfter);
    ASSERT_EQ(Undo().status, 0);
    History().SetTemporarilyDisabled();
    ASSERT_EQ(DeleteNodes({ItemNode(again, 6)}), 0);
    History().SetTemporarilyDisabledOff();
    before = TreeBytes(again);
    EXPECT_EQ(Redo().status, kAKErrorTreeNodeBadID);
    EXPECT_EQ(TreeBytes(again), before);
    EXPECT_EQ(History().GetCurrentPosition(), 0u);
    EXPECT_EQ(again.CheckTreeCoherency(), 0);
}

INSTANTIATE_TEST_SUITE_P(CacheModes, AKTreeHistoryActionsTest,
                         ::testing::Values(kAKFileModeMemoryStream, kAKFileModeTemporary), CacheModeName);

}  // namespace
