// Track-part edits of the engine tree handler: the selection checks, every
// per-track edit recorded as one undo step that undo and redo replay to the
// byte, the ranges selected after each direction, the pasteboard road (copy,
// cut, paste with its modes), moves and copies between tracks, extraction,
// the handler's own paste and the selection descriptions.

#include "AKStatus.h"
#include "AKTextForms.h"
#include "AKTreeSelBuilders.h"
#include "TrackPartTestFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

bool SameRange(AKTimeIntv a, AKTimeIntv b)
{
    return std::fabs(a.beg - b.beg) < 1e-9 && std::fabs(a.end - b.end) < 1e-9;
}

std::string RangeText(AKTreeSel const& selection)
{
    if (!selection.HasTimeSel())
        return "none";
    return "[" + zonefixtures::Number(selection.GetTimeRange().beg) + ", " +
           zonefixtures::Number(selection.GetTimeRange().end) + "]";
}

class TrackPartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AKTreePasteboard::sShared.Clear();
        doc.LoadStandard();
    }
    TrackPartDoc doc;
};

// --- Checks ---

TEST_F(TrackPartTest, ChecksResolveTheSelectionToOneSequence)
{
    QVObjectSequence* const intro = doc.Sequence(0);
    AKObject* lead = nullptr;
    for (AKNode* node = intro->GetNodeOwner()->GetSub(); node != nullptr; node = node->GetNext())
        if (node->GetObject()->IsKindOfT<QVObjectAtomic>())
            lead = node->GetObject();
    ASSERT_NE(lead, nullptr);

    struct Case {
        char const* what;
        std::vector<AKObject*> objects;
        AKTimeIntv range;
        bool withRange;
        int cut;
        int silent;
    };
    std::vector<Case> const cases = {
        {"one sequence", {intro}, {1, 2}, true, 0, 0},
        {"two tracks of one sequence", {doc.Track(0, 0), doc.Track(0, 2)}, {1, 2}, true, 0, 0},
        {"tracks of two sequences", {doc.Track(0, 0), doc.Track(1, 0)}, {1, 2}, true, -689, -689},
        {"a track and a player", {doc.Track(0, 0), lead}, {1, 2}, true, -689, -689},
        {"a player", {lead}, {1, 2}, true, -689, -689},
        {"zero-length range", {intro}, {2, 2}, true, -688, 0},
        {"no range", {intro}, {0, 0}, false, -688, 0},
        {"nothing", {}, {1, 2}, true, -688, -688},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTreeActionParam const param = doc.Selecting(c.objects, c.range, c.withRange);
        EXPECT_EQ(doc.handler.CheckTrackPartCut(param), c.cut);
        EXPECT_EQ(doc.handler.CheckTrackPartSilent(param), c.silent);
    }
    QVObjectTrackArray tracks;
    EXPECT_EQ(QVTreeSel_ResolveSequenceAndTracks(doc.Selecting({intro}, {1, 2}).GetTreeSel(), &tracks, false), intro);
    EXPECT_EQ(tracks.Count(), 3u);

    AKUIntArray indexes;
    EXPECT_EQ(QVTreeSel_ResolveSequenceAndTracksWithIndexes(
                  doc.Selecting({doc.Track(0, 0), doc.Track(0, 2)}, {1, 2}).GetTreeSel(), &indexes, false),
              intro);
    ASSERT_EQ(indexes.Count(), 2u);
    EXPECT_EQ(indexes[0], 0u);
    EXPECT_EQ(indexes[1], 2u);
    QVTreeSel_ResolveSequenceAndTracksWithIndexes(doc.Selecting({intro}, {1, 2}).GetTreeSel(), &indexes, false);
    EXPECT_EQ(indexes.Count(), 0u);
}

TEST_F(TrackPartTest, MoveOrCopyNeedsASequenceOrTrackTarget)
{
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0)}, {0, 1});
    EXPECT_EQ(doc.handler.CheckTrackPartMoveOrCopy(param), kAKErrorTreeHandlerNoTargetNode);
    param.WithTargetObject(doc.handler.GetFolderCursor(), kAKLinkModeLastChildren);
    EXPECT_EQ(doc.handler.CheckTrackPartMoveOrCopy(param), kAKErrorTreeHandlerNoTargetNode);
    param.WithTargetObject(doc.Track(1, 0), kAKLinkModeLastChildren);
    EXPECT_EQ(doc.handler.CheckTrackPartMoveOrCopy(param), 0);
    AKTreeActionParam empty = doc.Selecting({doc.Track(0, 0)}, {1, 1});
    empty.WithTargetObject(doc.Sequence(1), kAKLinkModeLastChildren);
    EXPECT_EQ(doc.handler.CheckTrackPartMoveOrCopy(empty), kAKErrorTreeHandlerEmptyTreeSel);
}

// --- Per-track edits: one undo step, replayed to the byte ---

struct EditCase {
    char const* what;
    std::function<int(QVTreeHandler&, AKTreeActionParam&)> run;
    AKTimeIntv range;
    AKTimeIntv done;
    AKTimeIntv undone;
    // Zones of A, B, C afterwards.
    char const* after;
};

TEST_F(TrackPartTest, EveryEditOfASelectedSequenceUndoesAndRedoesExactly)
{
    // A = 1 2, B = 3, C = 4 5 6, one second each; the selection names the
    // sequence, so the revision must record its tracks. Parts beyond a
    // track's end are padded with silence (Sequence.TreatExtraIntv).
    std::vector<EditCase> const cases = {
        {"delete",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartDelete(p); },
         {1, 2},
         {0, 0},
         {1, 2},
         "1:0-1 | 3:0-1 | 4:0-1 6:0-1"},
        {"duplicate",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartDuplicate(p); },
         {1, 2},
         {2, 3},
         {1, 2},
         "1:0-1 2:0-1 2:0-1 | 3:0-1 s2 | 4:0-1 5:0-1 5:0-1 6:0-1"},
        {"reset",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartReset(p); },
         {1, 2},
         {0, 0},
         {0, 3},
         " |  | "},
        {"crop in place",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartCrop(p, true); },
         {1, 2},
         {1, 2},
         {1, 2},
         "s1 2:0-1 | 3:0-1 | s1 5:0-1 s1"},
        {"crop",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartCrop(p, false); },
         {1, 2},
         {0, 1},
         {1, 2},
         "2:0-1 | 3:0-1 | 5:0-1"},
        {"scale",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartScale(p, 2.0); },
         {1, 2},
         {1, 3},
         {1, 2},
         "1:0-1 2:0-1*2 | 3:0-1 s2 | 4:0-1 5:0-1*2 6:0-1"},
        {"reverse",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartReverse(p); },
         {0, 2},
         {0, 2},
         {0, 2},
         "2:0-1*-1 1:0-1*-1 | s1 3:0-1*-1 | 5:0-1*-1 4:0-1*-1 6:0-1"},
        {"erase",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartErase(p); },
         {1, 2},
         {1, 2},
         {1, 2},
         "1:0-1 s1 | 3:0-1 s1 | 4:0-1 s1 6:0-1"},
        {"silence inserted at 1",
         [](QVTreeHandler& h, AKTreeActionParam& p) { return h.DoTrackPartSilent(p, kQVInsertModeAt, 1.0, 0.5); },
         {0, 0},
         {1, 1.5},
         {0, 0},
         "1:0-1 s0.5 2:0-1 | 3:0-1 s0.5 | 4:0-1 s0.5 5:0-1 6:0-1"},
    };
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    std::string const zonesBefore = doc.AllZones();
    for (EditCase const& c : cases) {
        SCOPED_TRACE(c.what);
        AKTreeActionParam param = doc.Selecting({doc.Sequence(0)}, c.range);
        ASSERT_EQ(c.run(doc.handler, param), 0);
        EXPECT_TRUE(param.HasResultFlags(kAKTreeActionRevised));
        EXPECT_TRUE(SameRange(param.GetResultTreeSel().GetTimeRange(), c.done)) << RangeText(param.GetResultTreeSel());
        EXPECT_EQ(param.GetResultTreeSel().GetObjects().Count(), 1u) << "the input selection comes back";
        std::string const edited = doc.AllZones();
        EXPECT_EQ(edited.substr(0, edited.find(" || ")), c.after);
        std::vector<unsigned char> const after = TrackPartTreeBytes(doc.tree);
        AKString label;
        ASSERT_TRUE(doc.handler.CanUndo(nullptr, &label));

        AKTreeActionParam undone(&doc.tree);
        ASSERT_EQ(doc.Undo(&undone), 0);
        EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
        EXPECT_EQ(doc.AllZones(), zonesBefore);
        EXPECT_TRUE(SameRange(undone.GetResultTreeSel().GetTimeRange(), c.undone))
            << RangeText(undone.GetResultTreeSel());

        AKTreeActionParam redone(&doc.tree);
        ASSERT_EQ(doc.Redo(&redone), 0);
        EXPECT_EQ(TrackPartTreeBytes(doc.tree), after);
        EXPECT_TRUE(SameRange(redone.GetResultTreeSel().GetTimeRange(), c.done));
        ASSERT_EQ(doc.Undo(), 0);
        ASSERT_EQ(TrackPartTreeBytes(doc.tree), before);
    }
}

TEST_F(TrackPartTest, ExperimentalTransformsUndoExactlyAndSelectTheUnionOfTheirResults)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    bool someRevised = false;
    for (unsigned int transform :
         {kQVTrackPartZxperScale, kQVTrackPartZxperRepeat, kQVTrackPartZxperMingle, kQVTrackPartZxperStretch}) {
        SCOPED_TRACE(transform);
        AKTreeActionParam param = doc.Selecting({doc.Sequence(0)}, {0, 2});
        ASSERT_EQ(doc.handler.DoTrackPartZxperN(param, AKDictionary(), transform), 0);
        if (!param.HasResultFlags(kAKTreeActionRevised)) {
            EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
            continue;
        }
        someRevised = true;
        AKTimeIntv const done = param.GetResultTreeSel().GetTimeRange();
        EXPECT_LT(done.beg, done.end);
        ASSERT_EQ(doc.Undo(), 0);
        EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    }
    EXPECT_TRUE(someRevised);
    AKTreeActionParam param = doc.Selecting({doc.Sequence(0)}, {0, 2});
    EXPECT_EQ(doc.handler.DoTrackPartZxperN(param, AKDictionary(), 9), kAKErrorTreeHandlerBadTreeSelType);
}

TEST_F(TrackPartTest, EditsThatChangeNothingRecordNothing)
{
    unsigned int const steps = doc.UndoSteps();
    // Past the end of every track: nothing to delete.
    AKTreeActionParam param = doc.Selecting({doc.Sequence(0)}, {10, 11});
    EXPECT_EQ(doc.handler.DoTrackPartDelete(param), 0);
    EXPECT_EQ(doc.UndoSteps(), steps);
    EXPECT_EQ(param.GetResultFlags(), 0u);
}

TEST_F(TrackPartTest, SilenceModesNeedATimeOrARange)
{
    struct Case {
        int mode;
        double time;
        double duration;
        bool withRange;
        int status;
    };
    Case const cases[] = {
        {kQVInsertModeAt, -1.0, 1.0, false, kQVErrorGandlerWrongOption},
        {kQVInsertModeAt, 1.0, 0.0, false, kQVErrorGandlerWrongOption},
        {kQVInsertModeDefault, 0.0, 0.0, false, kQVErrorGandlerWrongOption},
        {kQVInsertModeReplace, 0.0, 0.0, false, kQVErrorGandlerWrongOption},
        {kQVInsertModePrepend, 0.0, 1.0, false, 0},
        {kQVInsertModeAppend, 0.0, 1.0, false, 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.mode);
        AKTreeActionParam param = doc.Selecting({doc.Track(0, 1)}, {1, 2}, c.withRange);
        EXPECT_EQ(doc.handler.DoTrackPartSilent(param, c.mode, c.time, c.duration), c.status);
    }
    // Prepended then appended to B (3): silence at both ends.
    EXPECT_EQ(doc.Zones(0, 1), "s1 3:0-1 s1");
}

TEST(TrackPartInsertTime, ModesGiveTheirTimes)
{
    TrackPartDoc doc;
    doc.LoadStandard();
    QVObjectSequence* const intro = doc.Sequence(0);
    intro->LowSetUserTimeAndSpan(5.0, 2.0, false);
    QVObjectTrackArray all;
    QVObject_ResolveSequenceAndTracks(intro, &all, false);
    QVObjectTrackArray one;
    one.Push(doc.Track(0, 1));
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModePrepend, intro, all, false), 0.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModeAppend, intro, one, false), 1.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModeAppend, intro, all, false), 3.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModePrependToSpan, intro, all, false), 4.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModeAppendToSpan, intro, all, false), 6.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModeAt, intro, all, false), -1.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModeReplace, intro, all, false), -1.0);
    EXPECT_EQ(QVInsertMode_ComputeInsertTime(kQVInsertModePrependToSpan, nullptr, all, false), -1.0);
}

// --- Pasteboard ---

TEST_F(TrackPartTest, CopyLeavesTheHistoryAndFillsThePasteboardWithOneSequence)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    unsigned int const steps = doc.UndoSteps();
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0), doc.Track(0, 2)}, {1, 2});
    ASSERT_EQ(doc.handler.DoTrackPartCopy(param, nullptr), 0);
    EXPECT_EQ(param.GetResultFlags(), kAKTreeActionDone | kAKTreeActionPasteboard);
    EXPECT_EQ(doc.UndoSteps(), steps);
    EXPECT_FALSE(doc.handler.CanUndo(nullptr, nullptr));
    EXPECT_EQ(doc.handler.GetFolderTempNode()->GetSub(), nullptr);
    EXPECT_EQ(doc.handler.GetFLSequences().Count(), 2u);
    ASSERT_EQ(AKTreePasteboard::sShared.GetObjectCount(), 1u);
    EXPECT_TRUE(AKTreePasteboard::sShared.GetCommonBaseClass()->IsKindOfClass(QVObjectSequence::_Class()));

    // The handler's paste files the sequence in the sequence folder.
    AKTreeActionParam paste(&doc.tree);
    paste.WithTargetNode(doc.handler.GetFolderSequenceNode(), kAKLinkModeLastChildren);
    ASSERT_EQ(doc.handler.DoPasteFromPasteboard(paste, nullptr, AKString()), 0);
    doc.handler.SynchronizeFLFastLinks();
    ASSERT_EQ(doc.handler.GetFLSequences().Count(), 3u);
    EXPECT_STREQ(doc.Sequence(2)->akmGetName().c_str(), "Intro Copy");
    EXPECT_EQ(doc.AllZones().substr(doc.AllZones().rfind(" || ") + 4), "2:0-1 | 5:0-1");
    AKString label;
    ASSERT_TRUE(doc.handler.CanUndo(nullptr, &label));
    EXPECT_STREQ(label.c_str(), "Paste");
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
}

TEST_F(TrackPartTest, CutCopiesThenDeletesInOneStep)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0)}, {0, 1});
    ASSERT_EQ(doc.handler.DoTrackPartCut(param, nullptr), 0);
    EXPECT_EQ(doc.Zones(0, 0), "2:0-1");
    EXPECT_EQ(AKTreePasteboard::sShared.GetObjectCount(), 1u);
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    EXPECT_FALSE(doc.handler.CanUndo(nullptr, nullptr));
}

TEST_F(TrackPartTest, PasteCyclesTheSourceTracksOverTheTargets)
{
    AKTreeActionParam copy = doc.Selecting({doc.Track(0, 0), doc.Track(0, 1)}, {0, 1});
    ASSERT_EQ(doc.handler.DoTrackPartCopy(copy, nullptr), 0);
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);

    AKTreeActionParam paste = doc.Selecting({doc.Sequence(0)}, {0, 0}, false);
    ASSERT_EQ(doc.handler.DoTrackPartPaste(paste, kQVInsertModeAt, 0.0, nullptr), 0);
    EXPECT_EQ(doc.Zones(0, 0), "1:0-1 1:0-1 2:0-1");
    EXPECT_EQ(doc.Zones(0, 1), "3:0-1 3:0-1");
    EXPECT_EQ(doc.Zones(0, 2), "1:0-1 4:0-1 5:0-1 6:0-1");
    EXPECT_TRUE(SameRange(paste.GetResultTreeSel().GetTimeRange(), {0, 1}));
    EXPECT_EQ(doc.handler.GetFolderTempNode()->GetSub(), nullptr);
    doc.handler.SynchronizeFLFastLinks();
    EXPECT_EQ(doc.handler.GetFLSequences().Count(), 2u);
    std::vector<unsigned char> const after = TrackPartTreeBytes(doc.tree);
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    ASSERT_EQ(doc.Redo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), after);
}

TEST_F(TrackPartTest, PasteModesReplaceAndAppend)
{
    AKTreeActionParam copy = doc.Selecting({doc.Track(1, 0)}, {0, 1});
    ASSERT_EQ(doc.handler.DoTrackPartCopy(copy, nullptr), 0);
    struct Case {
        char const* what;
        int mode;
        AKTimeIntv range;
        bool withRange;
        char const* zones;
        AKTimeIntv done;
    };
    Case const cases[] = {
        {"default with a range keeps the pasted duration",
         kQVInsertModeDefault,
         {1, 1.5},
         true,
         "4:0-1 7:0-1 5:0.5-1 6:0-1",
         {1, 2}},
        {"default without a range appends", kQVInsertModeDefault, {0, 0}, false, "4:0-1 5:0-1 6:0-1 7:0-1", {3, 4}},
        {"fitting replacement", kQVInsertModeReplace, {1, 3}, true, "4:0-1 7:0-1*2", {1, 3}},
        {"prepend", kQVInsertModePrepend, {0, 0}, false, "7:0-1 4:0-1 5:0-1 6:0-1", {0, 1}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
        AKTreeActionParam paste = doc.Selecting({doc.Track(0, 2)}, c.range, c.withRange);
        ASSERT_EQ(doc.handler.DoTrackPartPaste(paste, c.mode, 0.0, nullptr), 0);
        EXPECT_EQ(doc.Zones(0, 2), c.zones);
        EXPECT_TRUE(SameRange(paste.GetResultTreeSel().GetTimeRange(), c.done)) << RangeText(paste.GetResultTreeSel());
        ASSERT_EQ(doc.Undo(), 0);
        EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    }
    AKTreeActionParam refused = doc.Selecting({doc.Track(0, 2)}, {0, 0}, false);
    EXPECT_EQ(doc.handler.DoTrackPartPaste(refused, kQVInsertModeReplace, 0.0, nullptr), kQVErrorGandlerWrongOption);
    EXPECT_EQ(doc.handler.DoTrackPartPaste(refused, kQVInsertModeAt, -2.0, nullptr), kQVErrorGandlerWrongOption);
}

TEST_F(TrackPartTest, PasteboardOfBareTracksPassesTheCheckButChangesNothing)
{
    AKTreeActionParam copy(&doc.tree);
    ATObjectArray<AKObject> tracks;
    tracks.Push(doc.Track(0, 0));
    tracks.Push(doc.Track(0, 1));
    copy.WithTreeObjects(tracks);
    ASSERT_EQ(doc.handler.DoCopyToPasteboard(copy, nullptr), 0);
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    unsigned int const steps = doc.UndoSteps();

    AKTreeActionParam paste = doc.Selecting({doc.Track(1, 0)}, {0, 0}, false);
    EXPECT_EQ(doc.handler.CheckTrackPartPaste(paste, nullptr), 0);
    EXPECT_EQ(doc.handler.DoTrackPartPaste(paste, kQVInsertModeAt, 0.0, nullptr), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree).size(), before.size());
    EXPECT_EQ(doc.Zones(1, 0), "7:0-1");
    EXPECT_EQ(doc.UndoSteps(), steps);
    EXPECT_EQ(doc.handler.GetFolderTempNode()->GetSub(), nullptr);

    // A pasteboard of a player is no track part.
    AKTreeActionParam player(&doc.tree);
    player.WithTreeObject(doc.handler.GetFLPlayers()[0]);
    ASSERT_EQ(doc.handler.DoCopyToPasteboard(player, nullptr), 0);
    EXPECT_EQ(doc.handler.CheckTrackPartPaste(paste, nullptr), kAKErrorTreeHandlerIncompatiblePasteboard);
}

TEST_F(TrackPartTest, PastedTracksInTheTempFolderGetANewSequence)
{
    AKTreeActionParam copy(&doc.tree);
    copy.WithTreeObject(doc.Track(1, 0));
    ASSERT_EQ(doc.handler.DoCopyToPasteboard(copy, nullptr), 0);
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);

    AKTreeActionParam paste(&doc.tree);
    paste.WithTargetNode(doc.handler.GetFolderTempNode(), kAKLinkModeLastChildren);
    ASSERT_EQ(doc.handler.DoPasteFromPasteboard(paste, nullptr, AKString()), 0);
    EXPECT_EQ(doc.handler.GetFolderTempNode()->GetSub(), nullptr);
    ASSERT_EQ(paste.GetResultTreeSel().GetObjects().Count(), 1u);
    EXPECT_TRUE(paste.GetResultTreeSel().GetObjects()[0]->IsKindOfT<QVObjectSequence>());
    doc.handler.SynchronizeFLFastLinks();
    ASSERT_EQ(doc.handler.GetFLSequences().Count(), 3u);
    EXPECT_EQ(doc.Zones(2, 0), "7:0-1");
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
}

// --- Moves and copies between tracks ---

TEST_F(TrackPartTest, MoveBetweenTracksIsOneStep)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0)}, {0, 1});
    param.WithTargetObject(doc.Sequence(1), kAKLinkModeLastChildren);
    ASSERT_EQ(doc.handler.DoTrackPartMoveOrCopy(param, 1.0, false), 0);
    EXPECT_EQ(doc.Zones(0, 0), "2:0-1");
    EXPECT_EQ(doc.Zones(1, 0), "7:0-1 1:0-1");
    EXPECT_EQ(param.GetResultTreeSel().GetObjects().Count(), 2u);
    EXPECT_TRUE(SameRange(param.GetResultTreeSel().GetTimeRange(), {0, 1}));
    std::vector<unsigned char> const after = TrackPartTreeBytes(doc.tree);
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    ASSERT_EQ(doc.Redo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), after);
}

TEST_F(TrackPartTest, MoveThatCannotInsertKeepsTheSource)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    unsigned int const steps = doc.UndoSteps();
    // Without padding beyond a track's end, D (1 s long) refuses a time of
    // 5 s.
    ASSERT_TRUE(QVPrefs::sShared.GetSequenceTreatExtraIntv());
    QVPrefs::sShared.SetSequenceTreatExtraIntv(false);
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0)}, {0, 1});
    param.WithTargetObject(doc.Track(1, 0), kAKLinkModeLastChildren);
    int const status = doc.handler.DoTrackPartMoveOrCopy(param, 5.0, false);
    QVPrefs::sShared.SetSequenceTreatExtraIntv(true);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(doc.Zones(0, 0), "1:0-1 2:0-1");
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
    EXPECT_EQ(doc.UndoSteps(), steps);
}

TEST_F(TrackPartTest, MoveWithinATrackAndCopySelectTheirNewPlace)
{
    AKTreeActionParam move = doc.Selecting({doc.Track(0, 2)}, {0, 1});
    move.WithTargetObject(doc.Track(0, 2), kAKLinkModeLastChildren);
    ASSERT_EQ(doc.handler.DoTrackPartMoveOrCopy(move, 3.0, false), 0);
    EXPECT_EQ(doc.Zones(0, 2), "5:0-1 6:0-1 4:0-1");
    EXPECT_TRUE(SameRange(move.GetResultTreeSel().GetTimeRange(), {2, 3})) << RangeText(move.GetResultTreeSel());
    ASSERT_EQ(doc.Undo(), 0);

    AKTreeActionParam copy = doc.Selecting({doc.Track(0, 1)}, {0, 1});
    copy.WithTargetObject(doc.Track(0, 0), kAKLinkModeLastChildren);
    ASSERT_EQ(doc.handler.DoTrackPartMoveOrCopy(copy, 1.0, true), 0);
    EXPECT_EQ(doc.Zones(0, 0), "1:0-1 3:0-1 2:0-1");
    EXPECT_EQ(doc.Zones(0, 1), "3:0-1");
    EXPECT_TRUE(SameRange(copy.GetResultTreeSel().GetTimeRange(), {1, 2}));
    AKTreeActionParam undone(&doc.tree);
    ASSERT_EQ(doc.Undo(&undone), 0);
    EXPECT_TRUE(SameRange(undone.GetResultTreeSel().GetTimeRange(), {0, 1})) << "same sequence";
}

// --- Extraction ---

TEST_F(TrackPartTest, ExtractMakesANewSequenceAndCanTakeThePartsAway)
{
    std::vector<unsigned char> const before = TrackPartTreeBytes(doc.tree);
    AKTreeActionParam param = doc.Selecting({doc.Track(0, 0), doc.Track(0, 2)}, {1, 2});
    ASSERT_EQ(doc.handler.DoTrackPartExtract(param, false), 0);
    ASSERT_EQ(param.GetResultTreeSel().GetObjects().Count(), 1u);
    doc.handler.SynchronizeFLFastLinks();
    ASSERT_EQ(doc.handler.GetFLSequences().Count(), 3u);
    EXPECT_EQ(param.GetResultTreeSel().GetObjects()[0], doc.Sequence(2));
    EXPECT_STREQ(doc.Sequence(2)->akmGetName().c_str(), "Intro Copy");
    EXPECT_EQ(doc.Zones(2, 0), "2:0-1");
    EXPECT_EQ(doc.Zones(2, 1), "5:0-1");
    EXPECT_EQ(doc.Zones(0, 0), "1:0-1");
    EXPECT_EQ(doc.Zones(0, 2), "4:0-1 6:0-1");
    AKString label;
    ASSERT_TRUE(doc.handler.CanUndo(nullptr, &label));
    EXPECT_STREQ(label.c_str(), "Extract Track Selection");
    ASSERT_EQ(doc.Undo(), 0);
    EXPECT_EQ(TrackPartTreeBytes(doc.tree), before);
}

// --- Descriptions ---

TEST_F(TrackPartTest, DescriptionsOfSelections)
{
    char duration[64];
    strSetasDuration(duration, 1.5, -1);
    AKTreeSel const ranged = doc.Selecting({doc.Track(0, 0), doc.Track(0, 1)}, {1, 2.5}).GetTreeSel();
    EXPECT_EQ(std::string(QVTreeSel_GetDescription1(ranged).c_str()), std::string("2 x ") + duration);
    AKTreeSel const two = doc.Selecting({doc.Track(0, 0), doc.Track(0, 1)}, {0, 0}, false).GetTreeSel();
    EXPECT_EQ(std::string(QVTreeSel_GetDescription1(two).c_str()),
              std::string("2 ") + QVObjectTrack::_Class()->GetPluralName().c_str());
    EXPECT_STREQ(QVTreeSel_GetDescription2(two).c_str(), "2 Tracks");
    AKTreeSel const one = doc.Selecting({doc.Sequence(1)}, {0, 0}, false).GetTreeSel();
    EXPECT_EQ(std::string(QVTreeSel_GetDescription1(one).c_str()),
              std::string("1 ") + QVObjectSequence::_Class()->GetDisplayName().c_str());
    EXPECT_STREQ(QVTreeSel_GetDescription2(one).c_str(), QVObjectSequence::_Class()->GetDisplayName().c_str());
    EXPECT_STREQ(QVTreeSel_GetDescription1(AKTreeSel(&doc.tree)).c_str(), "No Selection");
}

}  // namespace
