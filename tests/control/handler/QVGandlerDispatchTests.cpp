// The command handler's dispatch: every command ID runs its executor, is
// refused with its status, or is refused with -1 (not listed, not available,
// locked); CanGenericCommand answers true exactly for what runs; edits on a
// track time selection turn into their track-part twins.

#include "AKTreePasteboard.h"
#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

// What one command ID does on the fixture's document with the sequence
// "Intro" selected (and as the target of the commands that add to a
// sequence), one step to undo, nothing to redo, an empty pasteboard, and a
// sound file, a plug-in and a silence given.
enum class Outcome {
    Runs,        // status 0, an echo, enabled
    RunsIdle,    // status 0, nothing to do: no echo, not enabled
    Refused,     // the executor's or the tree handler's status, not enabled
    Unavailable  // -1, nothing logged, not enabled
};

struct Expected {
    Outcome outcome;
    int status;
};

Expected ExpectedFor(int id)
{
    switch (id) {
    case kQVCmdID_EditUndo:
    case kQVCmdID_EditCut:
    case kQVCmdID_EditCopy:
    case kQVCmdID_EditDuplicate:
    case kQVCmdID_EditDelete:
    case kQVCmdID_SequenceNewEmpty:
    case kQVCmdID_SequenceNewWithEmptyTrack:
    case kQVCmdID_SequenceNewWithSound:
    case kQVCmdID_SequenceNewWithSounds:
    case kQVCmdID_SequenceNewWithRandom:
    case kQVCmdID_SequenceAddNewCursor:
    case kQVCmdID_SequenceAddNewTrack:
    case kQVCmdID_SequenceAddNewTrackWithSound:
    case kQVCmdID_CursorNew:
    case kQVCmdID_PlayablePlug:
        return {Outcome::Runs, 0};
    case kQVCmdID_CursorAddNewAtomic:
        return {Outcome::Refused, kQVErrorGandlerUndefObject};
    case kQVCmdID_CursorGroup:
    case kQVCmdID_CursorAttach:
    case kQVCmdID_CursorDetach:
        return {Outcome::Refused, kAKErrorTreeHandlerBadTreeSelType};
    case kQVCmdID_TrackPartCut:
    case kQVCmdID_TrackPartCopy:
    case kQVCmdID_TrackPartDuplicate:
    case kQVCmdID_TrackPartDelete:
    case kQVCmdID_TrackPartReset:
    case kQVCmdID_TrackPartExtract:
    case kQVCmdID_TrackPartCrop:
    case kQVCmdID_TrackPartErase:
    case kQVCmdID_TrackPartScale:
    case kQVCmdID_TrackPartReverse:
    case kQVCmdID_TrackPartZxperScale:
    case kQVCmdID_TrackPartZxperRepeat:
    case kQVCmdID_TrackPartZxperMingle:
    case kQVCmdID_TrackPartZxperStretch:
    case kQVCmdID_TrackPartBounce:
    case kQVCmdID_SequenceNewWithTrackParts:
    case kQVCmdID_SequenceBounce:
        // The selection carries no time range.
        return {Outcome::Refused, kAKErrorTreeHandlerEmptyTreeSel};
    case kQVCmdID_TrackPartPaste:
        return {Outcome::Refused, kAKErrorTreeHandlerIncompatiblePasteboard};
    case kQVCmdID_TrackPartMoveOrCopy:
        return {Outcome::Refused, kAKErrorTreeHandlerNoTargetNode};
    case kQVCmdID_TrackPartSilent:
        return {Outcome::Runs, 0};
    case kQVCmdID_PlayablePlugNone:
        // The check's answer for a playable without plug-in.
        return {Outcome::Refused, 1};
    case kQVCmdID_SequenceGroup:
        return {Outcome::Refused, kAKErrorTreeHandlerBadTreeSelType};
    case kQVCmdID_EditRedo:
        return {Outcome::RunsIdle, 0};
    case kQVCmdID_EditPaste:
        return {Outcome::Refused, kAKErrorTreeHandlerEmptyPasteboard};
    default:
        return {Outcome::Unavailable, -1};
    }
}

// The commands the master-mode lock refuses among those that run.
std::set<int> const kLockable = {kQVCmdID_EditCut,
                                 kQVCmdID_EditCopy,
                                 kQVCmdID_EditPaste,
                                 kQVCmdID_EditDuplicate,
                                 kQVCmdID_EditDelete,
                                 kQVCmdID_SequenceNewEmpty,
                                 kQVCmdID_SequenceNewWithEmptyTrack,
                                 kQVCmdID_SequenceNewWithTrackParts,
                                 kQVCmdID_SequenceNewWithSound,
                                 kQVCmdID_SequenceNewWithSounds,
                                 kQVCmdID_SequenceNewWithRandom,
                                 kQVCmdID_SequenceGroup,
                                 kQVCmdID_CursorNew,
                                 kQVCmdID_CursorAttach,
                                 kQVCmdID_CursorDetach,
                                 kQVCmdID_TrackPartExtract};

// The commands that add to a sequence take it as their target.
std::set<int> const kOnTarget = {kQVCmdID_SequenceAddNewCursor, kQVCmdID_SequenceAddNewTrack,
                                 kQVCmdID_SequenceAddNewTrackWithSound};

class DispatchTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        AKTreePasteboard::sShared.Clear();
        // One step to undo.
        QVTreeHandler* const handler = mDoc.handler();
        handler->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
        ASSERT_EQ(handler->DoEasyNewSequenceEmpty(nullptr, AKString("Extra")), 0);
        handler->DoEasyEnd();
        mDoc.document.mLocked = GetParam();
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mSound.File("tone.wav"), SoundFixtures::SoundRecipe()));
    }
    void TearDown() override
    {
        AKTreePasteboard::sShared.Clear();
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    GandlerDoc mDoc;
    SoundFixtures::TempFolder mSound;
};

TEST_P(DispatchTest, EveryCommandIDRunsIsRefusedOrIsUnavailable)
{
    bool const locked = GetParam();
    ScopedVerboseLevel verbose(1);
    for (int id = kQVCommandIDFirst - 2; id <= kQVCommandIDLast + 2; ++id) {
        SCOPED_TRACE("command " + std::to_string(id) + (locked ? " locked" : ""));
        GandlerDoc doc;
        doc.document.mLocked = locked;
        QVTreeHandler* const handler = doc.handler();
        handler->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
        ASSERT_EQ(handler->DoEasyNewSequenceEmpty(nullptr, AKString("Extra")), 0);
        handler->DoEasyEnd();
        AKTreePasteboard::sShared.Clear();

        Expected expected = ExpectedFor(id);
        if (locked && kLockable.count(id) != 0)
            expected = {Outcome::Unavailable, -1};

        QVGandlerParam param = doc.Param({doc.sequences[0]});
        param.WithOptionAsAKFilePath("SoundPath", SoundFixtures::EnginePath(mSound.File("tone.wav")));
        param.WithOptionAsUIntID("PluginDescUID", 0x61756678627061ULL);
        // A second of silence at the start of the tracks.
        param.WithOptionAsSInt("Mode", 2).WithOptionAsAKTime("Duration", 1.0);
        if (kOnTarget.count(id) != 0)
            param.GetTreeActionParam().WithTargetObject(doc.sequences[0], kAKLinkModeLastChildren);
        bool const can = QVGandler::sShared.CanGenericCommand(id, param);
        LogCapture log;
        int const status = QVGandler::sShared.DoGenericCommand(id, param, false);
        std::vector<std::string> const lines = log.Lines();

        EXPECT_EQ(status, expected.status);
        // New sequence from track parts is enabled by the lock alone.
        bool const enabledByLockOnly = id == kQVCmdID_SequenceNewWithTrackParts && !locked;
        EXPECT_EQ(can, expected.outcome == Outcome::Runs || enabledByLockOnly) << "enabled exactly when it runs";
        switch (expected.outcome) {
        case Outcome::Runs:
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines.back(), "# Ok\n\n");
            if (id != kQVCmdID_EditUndo && id != kQVCmdID_EditCopy) {
                EXPECT_TRUE(doc.handler()->CanUndo(nullptr, nullptr)) << "one more undo step";
            }
            break;
        case Outcome::RunsIdle:
        case Outcome::Unavailable:
            EXPECT_TRUE(lines.empty());
            break;
        case Outcome::Refused:
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back(), "# Error " + std::to_string(expected.status) + ".\n\n");
            break;
        }
    }
}

TEST_P(DispatchTest, UndoAndRedoAnswerFromTheHistoryWhateverTheLock)
{
    QVGandlerParam param = mDoc.Param();
    EXPECT_TRUE(QVGandler::sShared.CanGenericCommand(kQVCmdID_EditUndo, param));
    EXPECT_FALSE(QVGandler::sShared.CanGenericCommand(kQVCmdID_EditRedo, param));
    AKString label;
    EXPECT_TRUE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, param, &label));
    EXPECT_EQ(label.StdString(), "Undo New Sequence");

    ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_EditUndo, param, false), 0);
    EXPECT_FALSE(QVGandler::sShared.CanGenericCommand(kQVCmdID_EditUndo, param));
    EXPECT_TRUE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditRedo, param, &label));
    EXPECT_EQ(label.StdString(), "Redo New Sequence");
    EXPECT_FALSE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, param, &label));
    EXPECT_EQ(label.StdString(), "Undo");
    EXPECT_FALSE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditCut, param, &label));
    EXPECT_EQ(label.StdString(), "");
}

INSTANTIATE_TEST_SUITE_P(Lock, DispatchTest, ::testing::Bool(),
                         [](::testing::TestParamInfo<bool> const& info) { return info.param ? "Locked" : "Unlocked"; });

TEST(DispatchWithoutDocumentTest, RefusesSilently)
{
    ASSERT_EQ(QVDocumentMgr::sShared.GetActiveDocument(), nullptr);
    QVGandlerParam param;
    LogCapture log;
    for (int id : {kQVCmdID_EditUndo, kQVCmdID_EditCut, kQVCmdID_EditPaste, kQVCmdID_SequenceNewEmpty}) {
        EXPECT_FALSE(QVGandler::sShared.CanGenericCommand(id, param)) << id;
        EXPECT_EQ(QVGandler::sShared.DoGenericCommand(id, param, true), -1) << id;
    }
    EXPECT_TRUE(log.Lines().empty());
    AKString label("kept");
    EXPECT_FALSE(QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditRedo, param, &label));
    EXPECT_EQ(label.StdString(), "Redo");
}

TEST(DispatchConversionTest, EditsOnATimeSelectionBecomeTrackPartCommands)
{
    GandlerDoc doc;
    AKTree* const tree = doc.document.GetTree();
    ATObjectArray<AKObject> tracks;
    tracks.Push(doc.tracks[0]);
    tracks.Push(doc.tracks[1]);
    AKTreeSel const onTracks = AKTreeSelWithObjects(tree, tracks);
    AKTreeSel const onSequence = AKTreeSelWithObject(tree, doc.sequences[0]);
    AKTreeSel timed = onTracks;
    timed.SetTimeSel(AKTimeIntv{0.5, 1.5});
    AKTreeSel timedSequence = onSequence;
    timedSequence.SetTimeSel(AKTimeIntv{0.5, 1.5});

    struct Case {
        int id;
        AKTreeSel const* selection;
        int converted;
    } const cases[] = {
        {kQVCmdID_EditCut, &timed, kQVCmdID_TrackPartCut},
        {kQVCmdID_EditCopy, &timed, kQVCmdID_TrackPartCopy},
        {kQVCmdID_EditPaste, &timed, kQVCmdID_TrackPartPaste},
        {kQVCmdID_EditDuplicate, &timedSequence, kQVCmdID_TrackPartDuplicate},
        {kQVCmdID_EditDelete, &timed, kQVCmdID_TrackPartDelete},
        {kQVCmdID_EditPasteModel, &timed, kQVCmdID_EditPasteModel},
        {kQVCmdID_EditRename, &timed, kQVCmdID_EditRename},
        {kQVCmdID_EditPaste, &onTracks, kQVCmdID_TrackPartPaste},
        {kQVCmdID_EditPaste, &onSequence, kQVCmdID_EditPaste},
        {kQVCmdID_EditPaste, &kAKNullTreeSel, kQVCmdID_EditPaste},
        {kQVCmdID_EditCut, &onTracks, kQVCmdID_EditCut},
        {kQVCmdID_EditDelete, &onSequence, kQVCmdID_EditDelete},
    };
    for (Case const& c : cases)
        EXPECT_EQ(QVGandler::ConvertCommandID(c.id, *c.selection), c.converted) << c.id;
}

TEST(DispatchConversionTest, ConversionComesBeforeTheLock)
{
    GandlerDoc doc;
    doc.document.mLocked = true;
    QVGandlerParam param = doc.Param({doc.sequences[1]});
    EXPECT_FALSE(QVGandler::sShared.CanGenericCommand(kQVCmdID_EditDelete, param));
    EXPECT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_EditDelete, param, false), -1);
    EXPECT_EQ(doc.handler()->GetFLSequences().Count(), 3u) << "a locked delete leaves the sequence";

    // With a time range the delete is a track-part delete, which the lock
    // does not refuse.
    AKTreeSel timed = param.GetTreeActionParam().GetTreeSel();
    timed.SetTimeSel(AKTimeIntv{0.0, 1.0});
    param.GetTreeActionParam().WithTreeSel(timed);
    EXPECT_EQ(QVGandler::ConvertCommandID(kQVCmdID_EditDelete, param.GetTreeActionParam().GetTreeSel()),
              kQVCmdID_TrackPartDelete);
    EXPECT_TRUE(QVGandler::sShared.CanGenericCommand(kQVCmdID_EditDelete, param));
    EXPECT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_EditDelete, param, false), 0);
    EXPECT_EQ(doc.handler()->GetFLSequences().Count(), 3u);
    EXPECT_FALSE(QVGandler::sShared.CanGenericCommand(kQVCmdID_TrackPartExtract, param)) << "extract is locked";
    EXPECT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_TrackPartExtract, param, false), -1);
}

}  // namespace
