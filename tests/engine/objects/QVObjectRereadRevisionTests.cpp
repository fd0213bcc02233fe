// Undo and redo of a recorded revision of a track, a sequence or any
// poolable: the history re-reads the object in place from its binary
// snapshots, and the track's level and routing, the sequence's followed
// player and the starter and colour attributes must come back with each
// step, in the object and in the saved document. Recorded as the command
// handler does: the object is changed first, then revised inside a group.

#include "AKClass.h"
#include "AKFile.h"
#include "AKTree.h"
#include "QVCommandInfo.h"
#include "QVDocumentTreeGuard.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

QVCommandInfo const kCommand(8310, "Change Setting");
QVCommandInfo const kNewPlayerCommand(8311, "New Player");

using Bytes = std::vector<unsigned char>;

// What a re-read in place restores or keeps, as one comparable value. The
// gain is stored as its volume and recomputed on reading, so a gain set
// directly comes back within rounding.
struct Restored {
    double trackVolume = 0.0, trackGain = 1.0;
    bool mixIn = false, fillOut = false, opened = false;
    unsigned int offset = 0, key = 0, behavior = 0, color = 0;
    AKNodeID follow = kAKNullNodeID;

    static Restored Of(AKObject const& object)
    {
        Restored r;
        if (object.IsKindOfT<QVObjectPoolable>()) {
            auto const& p = static_cast<QVObjectPoolable const&>(object);
            r.opened = p.IsUIOpened();
            r.key = p.GetUIStarterKey();
            r.behavior = p.GetUIStarterBehavior();
            r.color = p.GetUIColorLabel();
        }
        if (object.IsKindOfT<QVObjectTrack>()) {
            auto const& t = static_cast<QVObjectTrack const&>(object);
            r.trackVolume = t.GetUserTrackVolume();
            r.trackGain = t.GetUserTrackGain();
            r.mixIn = t.GetUserRouteMixIn();
            r.fillOut = t.GetUserRouteFillOut();
            r.offset = t.GetUserRouteOffset();
        }
        if (object.IsKindOfT<QVObjectSequence>())
            r.follow = static_cast<QVObjectSequence const&>(object).GetPlayableFollowID(nullptr);
        return r;
    }
    bool operator==(Restored const& o) const
    {
        return trackVolume == o.trackVolume &&
               std::fabs(trackGain - o.trackGain) <= 1e-12 * std::fmax(1.0, std::fabs(o.trackGain)) &&
               mixIn == o.mixIn && fillOut == o.fillOut && opened == o.opened && offset == o.offset && key == o.key &&
               behavior == o.behavior && color == o.color && follow == o.follow;
    }
};

std::ostream& operator<<(std::ostream& out, Restored const& r)
{
    return out << "volume " << r.trackVolume << " gain " << r.trackGain << " mixIn " << r.mixIn << " fillOut "
               << r.fillOut << " offset " << r.offset << " opened " << r.opened << " key " << r.key << " behavior "
               << r.behavior << " color " << r.color << " follow " << r.follow;
}

Bytes BinaryFormOf(AKObject const& object)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(AKClass::WriteObjectToFile(&object, file), 0);
    return MemoryStreamBytes(file);
}

// The object's state with both persistent forms, and the whole document as
// it would be saved.
struct Snapshot {
    Restored restored;
    AKDictionary dictionary;
    Bytes binary;
    AKDictionary document;
};

Snapshot Take(AKObject const& object, AKTree const& tree)
{
    Snapshot snapshot{Restored::Of(object), {}, BinaryFormOf(object), {}};
    EXPECT_EQ(AKClass::WriteObjectToDictionary(&object, snapshot.dictionary), 0);
    EXPECT_EQ(tree.WriteToDictionary(&snapshot.document), 0);
    return snapshot;
}

void ExpectSame(Snapshot const& now, Snapshot const& expected, char const* when)
{
    EXPECT_EQ(now.restored, expected.restored) << when;
    EXPECT_TRUE(now.dictionary == expected.dictionary) << when << ": dictionary form differs";
    EXPECT_TRUE(now.binary == expected.binary) << when << ": binary form differs";
    EXPECT_TRUE(now.document == expected.document) << when << ": saved document differs";
}

struct RevisionCase {
    char const* name;
    char const* object;  // name of the revised object
    std::function<bool(AKObject&)> change;
};

std::ostream& operator<<(std::ostream& out, RevisionCase const& c) { return out << c.name; }

QVObjectTrack& AsTrack(AKObject& o) { return static_cast<QVObjectTrack&>(o); }
QVObjectPoolable& AsPoolable(AKObject& o) { return static_cast<QVObjectPoolable&>(o); }

RevisionCase const kCases[] = {
    {"TrackVolume", "Drums", [](AKObject& o) { return AsTrack(o).SetUserTrackVolume(-17.25); }},
    {"TrackGain", "Drums", [](AKObject& o) { return AsTrack(o).SetUserTrackGain(0.3); }},
    {"TrackMixIn", "Drums", [](AKObject& o) { return AsTrack(o).SetUserRouteMixIn(!AsTrack(o).GetUserRouteMixIn()); }},
    {"TrackFillOut", "Drums",
     [](AKObject& o) { return AsTrack(o).SetUserRouteFillOut(!AsTrack(o).GetUserRouteFillOut()); }},
    {"TrackRouteOffset", "Drums", [](AKObject& o) { return AsTrack(o).SetUserRouteOffset(3); }},
    {"TrackLevelRoutingAndZones", "Drums",
     [](AKObject& o) {
         QVObjectTrack& t = AsTrack(o);
         bool const volume = t.SetUserTrackVolume(-6.0);
         bool const offset = t.SetUserRouteOffset(1);
         return t.DoTrackPartSilent(0.0, 2.0) && volume && offset;
     }},
    {"TrackColorLabel", "Drums", [](AKObject& o) { return AsPoolable(o).SetUserUIColorLabel(7); }},
    {"SequenceFollowsAnotherPlayer", "Intro",
     [](AKObject& o) {
         auto& s = static_cast<QVObjectSequence&>(o);
         return s.SetPlayableFollow(s.GetFLSubPlayers()[1]->GetID());
     }},
    {"SequenceStarter", "Intro",
     [](AKObject& o) {
         bool const key = AsPoolable(o).SetUserUIStarterKey(19);
         return AsPoolable(o).SetUserUIStarterBehavior(3) && key;
     }},
    {"PlayerStarterKeyCleared", "Lead", [](AKObject& o) { return AsPoolable(o).ResetUserUIStarterKey(); }},
    {"PlayerColorLabel", "Lead", [](AKObject& o) { return AsPoolable(o).SetUserUIColorLabel(8); }},
    {"FreePlayerColorLabelCleared", "Free", [](AKObject& o) { return AsPoolable(o).SetUserUIColorLabel(0); }},
};

AKValue UInt(unsigned int value) { return AKValueSetasUInt(value); }

class RereadRevision : public ::testing::TestWithParam<RevisionCase>
{
protected:
    void SetUp() override
    {
        mTree = std::make_unique<AKTree>(0);
        AKDictionary const form = SeqDocument(
            {SeqNode(
                "sequenc", "Intro",
                {SeqNode("track", "Drums"),
                 SeqNode("atomic", "Lead", {},
                         {{"UIStarterKey", UInt(4)}, {"UIStarterBehavior", AKValueSetasAKString(AKString("Toggle"))}}),
                 SeqNode("atomic", "Bass")})},
            {SeqNode("atomic", "Free", {}, {{"UIColorIndex", UInt(2)}})});
        ASSERT_EQ(mTree->InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        mHandler = std::make_unique<QVTreeHandler>(mTree.get(), &mGuard);
        mHandler->SynchronizeFLFastLinks();
        // The document follows its first player, as one saved so would.
        auto* const intro = static_cast<QVObjectSequence*>(Find("Intro"));
        ASSERT_NE(intro, nullptr);
        ASSERT_TRUE(intro->SetPlayableFollow(intro->GetFLSubPlayers()[0]->GetID()));
        ASSERT_EQ(mHandler->ReopenHistory(), 0);
    }
    void TearDown() override
    {
        mHandler.reset();
        mTree.reset();
    }

    AKObject* Find(char const* name) const
    {
        for (AKNode* node : mTree->GetNodes()) {
            AKObject* const object = node->GetObject();
            if (object != nullptr && object->akmGetName() == AKString(name))
                return object;
        }
        return nullptr;
    }

    void Record(AKObject* object)
    {
        ASSERT_EQ(mHandler->DoEasyStart(kCommand, nullptr), 0);
        EXPECT_EQ(mHandler->DoEasyReviseObject(&object, kAKNullDictionary, false), 0);
        mHandler->DoEasyEnd();
        mHandler->SynchronizeFLFastLinks();
    }

    void Undo()
    {
        ASSERT_TRUE(mHandler->CanUndo(nullptr, nullptr));
        AKTreeActionParam param(mTree.get());
        ASSERT_EQ(mHandler->DoUndo(param), 0);
        mHandler->SynchronizeFLFastLinks();
    }

    void Redo()
    {
        ASSERT_TRUE(mHandler->CanRedo(nullptr, nullptr));
        AKTreeActionParam param(mTree.get());
        ASSERT_EQ(mHandler->DoRedo(param), 0);
        mHandler->SynchronizeFLFastLinks();
    }

    // The saved document read back into a fresh tree saves the same.
    void ExpectReloadsEqual(AKDictionary const& document, char const* when)
    {
        AKTree reloaded(0);
        ASSERT_EQ(reloaded.InitFromDictionary(document, SequenceTestDocumentType(), nullptr), 0) << when;
        QVDocumentTreeGuard guard;
        QVTreeHandler handler(&reloaded, &guard);
        handler.SynchronizeFLFastLinks();
        AKDictionary again;
        ASSERT_EQ(reloaded.WriteToDictionary(&again), 0);
        EXPECT_TRUE(again == document) << when << ": the reloaded document saves differently";
    }

    std::unique_ptr<AKTree> mTree;
    QVDocumentTreeGuard mGuard;
    std::unique_ptr<QVTreeHandler> mHandler;
};

TEST_P(RereadRevision, UndoAndRedoRestoreTheObjectAndTheDocument)
{
    RevisionCase const& revision = GetParam();
    AKObject* const object = Find(revision.object);
    ASSERT_NE(object, nullptr);

    Snapshot const before = Take(*object, *mTree);
    ASSERT_TRUE(revision.change(*object)) << "the case changes nothing";
    Record(object);
    if (HasFatalFailure())
        return;
    Snapshot const after = Take(*object, *mTree);
    ASSERT_FALSE(after.restored == before.restored && after.binary == before.binary);

    Undo();
    ExpectSame(Take(*object, *mTree), before, "after undo");
    ExpectReloadsEqual(before.document, "after undo");
    Redo();
    ExpectSame(Take(*object, *mTree), after, "after redo");
    ExpectReloadsEqual(after.document, "after redo");
    Undo();
    ExpectSame(Take(*object, *mTree), before, "after a second undo");
}

INSTANTIATE_TEST_SUITE_P(Fields, RereadRevision, ::testing::ValuesIn(kCases),
                         [](::testing::TestParamInfo<RevisionCase> const& info) { return info.param.name; });

// The audio side and the views learn of a level or routing brought back by
// the history through the track's stamp, as they do of the setters.
TEST_F(RereadRevision, TrackStampMovesWhenTheHistoryRestoresItsLevel)
{
    auto* const track = static_cast<QVObjectTrack*>(Find("Drums"));
    ASSERT_NE(track, nullptr);
    ASSERT_TRUE(track->SetUserTrackVolume(-30.0));
    Record(track);
    unsigned int const stamp = track->GetTrackStamp();
    Undo();
    EXPECT_EQ(track->GetUserTrackVolume(), 0.0);
    EXPECT_NE(track->GetTrackStamp(), stamp);
}

// The view's opened flag is not part of a step: changed after the
// revision, it survives its undo and redo.
TEST_F(RereadRevision, OpenedFlagStaysThroughUndoAndRedo)
{
    auto* const track = static_cast<QVObjectTrack*>(Find("Drums"));
    ASSERT_NE(track, nullptr);
    ASSERT_TRUE(track->SetUserUIColorLabel(5));
    Record(track);
    bool const opened = !track->IsUIOpened();
    track->SetUserUIOpened(opened);
    Undo();
    EXPECT_EQ(track->GetUIColorLabel(), 0u);
    EXPECT_EQ(track->IsUIOpened(), opened);
    Redo();
    EXPECT_EQ(track->GetUIColorLabel(), 5u);
    EXPECT_EQ(track->IsUIOpened(), opened);
}

// A new player in a sequence is followed and labelled by the sequence after
// the edit that made it, which no step records: the steps stored before
// hold neither. Undoing a later revision of the sequence or of the player
// must not take the followed player or the label away.
TEST_F(RereadRevision, UndoKeepsWhatTheSequenceSetUpByItselfAfterAnEdit)
{
    ASSERT_EQ(mHandler->DoEasyStart(kNewPlayerCommand, nullptr), 0);
    QVObjectSequence* sequence = nullptr;
    ASSERT_EQ(mHandler->DoEasyNewSequenceEmpty(&sequence, AKString("Fresh")), 0);
    ASSERT_NE(sequence, nullptr);
    QVObjectPlayable* player = nullptr;
    ASSERT_EQ(mHandler->DoEasyNewCursor(&player, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren), 0);
    ASSERT_NE(player, nullptr);
    sequence->AutoSetupPlayableFollow();
    mHandler->DoEasyEnd();
    mHandler->SynchronizeFLFastLinks();
    AKNodeID const followed = sequence->GetPlayableFollowID(nullptr);
    unsigned int const label = player->GetUIColorLabel();
    ASSERT_EQ(followed, player->GetID());
    ASSERT_NE(label, 0u);

    ASSERT_TRUE(sequence->SetUserVolume(-8.0));
    Record(sequence);
    ASSERT_TRUE(player->SetUserVolume(-4.0));
    Record(player);

    for (int round = 0; round < 2; ++round) {
        Undo();
        Undo();
        EXPECT_EQ(sequence->GetUserVolume(), 0.0);
        EXPECT_EQ(player->GetUserVolume(), 0.0);
        EXPECT_EQ(sequence->GetPlayableFollowID(nullptr), followed);
        EXPECT_EQ(player->GetUIColorLabel(), label);
        Redo();
        Redo();
        EXPECT_EQ(sequence->GetUserVolume(), -8.0);
        EXPECT_EQ(player->GetUserVolume(), -4.0);
        EXPECT_EQ(sequence->GetPlayableFollowID(nullptr), followed);
        EXPECT_EQ(player->GetUIColorLabel(), label);
    }
}

}  // namespace
