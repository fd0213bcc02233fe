// Single players and multi-players: kinds, links and names by where a
// player stands, the multi-player's play and its older keys, and the
// overlap buffer kept across the pools made for a player.

#include "QVAudioInfo.h"
#include "QXSampleBuffer.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

AKDictionary Keyed(char const* classID, char const* name, unsigned int starterKey)
{
    return SeqNode(classID, name, {}, {{"UIStarterKey", AKValueSetasUInt(starterKey)}});
}

// A sequence holding a multi-player of two subs and a single player, and
// the player folder holding a single player and an empty multi-player.
AKDictionary PlacesDocument()
{
    return SeqDocument({SeqNode("sequenc", "S",
                                {SeqNode("cursor", nullptr, {Keyed("atomic", "Alpha", 3), SeqNode("atomic", nullptr)}),
                                 Keyed("atomic", "Beta", 4)})},
                       {Keyed("atomic", nullptr, 5), SeqNode("cursor", "Crowd")});
}

TEST(QVObjectAtomicCursor, KindLinksAndNamesFollowThePlace)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(PlacesDocument()));
    QVObjectSequence* sequence = doc.Sequence(0);
    auto* cursor = static_cast<QVObjectCursor*>(sequence->GetFLSubPlayers()[0]);
    auto* alone = static_cast<QVObjectAtomic*>(doc.players->GetFLSubPlayers()[0]);
    auto* crowd = static_cast<QVObjectCursor*>(doc.players->GetFLSubPlayers()[1]);

    struct Case {
        QVObjectPlayable* player;
        QVPlayableKind kind;
        QVObjectPlayable* sequence;
        QVObjectPlayable* cursor;
        QVObjectPlayable* parent;
        unsigned int index;
        unsigned int starterKey;
        char const* name;
        char const* dynamicName;
        bool isName;
    };
    Case const cases[] = {
        // A sub: no starter key, its position for a label.
        {cursor->GetFLSubAtomics()[0], kQVPlayableKindAtomicSub, sequence, cursor, cursor, 1, 0, "Sub", "1", false},
        {cursor->GetFLSubAtomics()[1], kQVPlayableKindAtomicSub, sequence, cursor, cursor, 2, 0, "Sub", "2", false},
        {sequence->GetFLSubPlayers()[1], kQVPlayableKindAtomicStandalone, sequence, nullptr, sequence, 2, 4, "Beta",
         "Beta", true},
        {alone, kQVPlayableKindAtomicStandalone, nullptr, nullptr, nullptr, 0, 5, "Player", "Player", true},
        {cursor, kQVPlayableKindCursor, sequence, nullptr, sequence, 1, 0, "Player", "Player x 2", true},
        {crowd, kQVPlayableKindCursor, nullptr, nullptr, nullptr, 0, 0, "Crowd", "Crowd", true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(c.player->GetKind(), c.kind);
        EXPECT_EQ(c.player->GetFLOwningSequence(), c.sequence);
        EXPECT_EQ(c.player->GetFLOwningCursor(), c.cursor);
        EXPECT_EQ(c.player->GetFLParentPlayable(), c.parent);
        EXPECT_EQ(c.player->GetFLIndex(), c.index);
        EXPECT_EQ(c.player->GetUIStarterKey(), c.starterKey);
        EXPECT_EQ(c.player->akmGetName(), AKString(c.name));
        bool isName = !c.isName;
        EXPECT_EQ(c.player->GetFLDynamicName(false, &isName), AKString(c.dynamicName));
        EXPECT_EQ(isName, c.isName);
    }
    // The name ignored, a multi-player is still counted by its subs.
    EXPECT_EQ(cursor->GetFLDynamicName(true, nullptr), AKString("Player x 2"));
    EXPECT_EQ(crowd->GetFLDynamicName(true, nullptr), AKString("Player x 0"));
    EXPECT_EQ(sequence->GetFLDynamicName(true, nullptr), AKString("Sequence"));
    EXPECT_EQ(sequence->GetFLDynamicName(false, nullptr), AKString("S"));

    // A player alone in the player folder reads no track and has no stamps.
    EXPECT_EQ(alone->PoolableStampSubLinks(), kAKNullStampVers);
    EXPECT_EQ(alone->PoolableStampFarSubLinks(), kAKNullStampVers);
    EXPECT_TRUE(alone->GetSubPoolables().IsEmpty());
    EXPECT_EQ(crowd->PoolableStampFarSubLinks(), kAKNullStampVers);
}

TEST(QVObjectAtomicCursor, MovesRewriteTheKindAtTheNextSynchronisation)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(PlacesDocument()));
    QVObjectSequence* sequence = doc.Sequence(0);
    auto* cursor = static_cast<QVObjectCursor*>(sequence->GetFLSubPlayers()[0]);
    auto* alone = static_cast<QVObjectAtomic*>(doc.players->GetFLSubPlayers()[0]);
    ASSERT_EQ(alone->GetUIStarterKey(), 5u);
    ASSERT_EQ(alone->SetUserUIStarterBehavior(kQVStarterBehaviorToggle), true);

    struct Step {
        AKObject* parent;
        unsigned int index;
        QVPlayableKind kind;
        QVObjectPlayable* sequence;
        char const* name;
        bool readsTracks;
    };
    Step const steps[] = {
        {cursor, 3, kQVPlayableKindAtomicSub, sequence, "Sub", true},
        {doc.players, 0, kQVPlayableKindAtomicStandalone, nullptr, "Player", false},
        {sequence, 2, kQVPlayableKindAtomicStandalone, sequence, "Player", true},
        {nullptr, 0, kQVPlayableKindAtomicStandalone, nullptr, "Player", false},
    };
    for (Step const& s : steps) {
        SCOPED_TRACE(&s - steps);
        alone->SynchronizeFLFastLinks(s.parent, s.index);
        EXPECT_EQ(alone->GetKind(), s.kind);
        EXPECT_EQ(alone->GetFLOwningSequence(), s.sequence);
        EXPECT_EQ(alone->GetFLIndex(), s.index);
        EXPECT_EQ(alone->akmGetName(), AKString(s.name));
        EXPECT_EQ(&alone->GetSubPoolables() == &sequence->GetFLSubTrackPoolables(), s.readsTracks);
    }
    // Once a sub, the starter key and behaviour are gone for good.
    EXPECT_EQ(alone->GetUIStarterKey(), 0u);
    EXPECT_EQ(alone->GetUIStarterBehavior(), kQVStarterBehaviorPush);
}

TEST(QVObjectAtomicCursor, StoppingAMultiPlayerStopsItsSubsStartingLeavesThem)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(PlacesDocument()));
    auto* cursor = static_cast<QVObjectCursor*>(doc.Sequence(0)->GetFLSubPlayers()[0]);
    QVObjectPlayable* first = cursor->GetFLSubAtomics()[0];
    QVObjectPlayable* second = cursor->GetFLSubAtomics()[1];

    first->SetUserPlay(1);
    EXPECT_TRUE(cursor->SetUserPlay(2));
    EXPECT_TRUE(cursor->IsUserPlay());
    EXPECT_TRUE(first->IsUserPlay());
    EXPECT_FALSE(second->IsUserPlay());
    EXPECT_FALSE(cursor->SetUserPlay(1));

    EXPECT_TRUE(cursor->SetUserPlay(2));
    EXPECT_FALSE(cursor->IsUserPlay());
    EXPECT_FALSE(first->IsUserPlay());

    // A stopped multi-player whose sub still plays: stopping is a change.
    second->SetUserPlay(1);
    EXPECT_TRUE(cursor->SetUserPlay(0));
    EXPECT_FALSE(second->IsUserPlay());
    // Rewinding is not playing normally: toggling starts normal play.
    cursor->SetUserRewind(1);
    EXPECT_TRUE(cursor->SetUserPlay(2));
    EXPECT_TRUE(cursor->IsUserPlay());
    EXPECT_FALSE(cursor->IsUserRewind());
}

TEST(QVObjectAtomicCursor, OlderKeysAreReadAndNeverWritten)
{
    AKDictionary state;
    state.SetValue("Wow", AKValueSetasFloat64(0.25));
    state.SetValue("SpeedSubk", AKValueSetasFloat64(1.5));
    state.SetValue("Apert", AKValueSetasFloat64(3.0));
    AKDictionary const older = SeqNode("cursor", "Old", {},
                                       {{"AttachableID", AKValueSetasAKNodeID(12)},
                                        {"Deployed", AKValueSetasBool(false)},
                                        {"State", AKValueSetasAKDictionary(state)}});
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({}, {older, SeqNode("cursor", "New")})));
    auto* cursor = static_cast<QVObjectCursor*>(doc.players->GetFLSubPlayers()[0]);
    auto* fresh = static_cast<QVObjectCursor*>(doc.players->GetFLSubPlayers()[1]);
    EXPECT_EQ(cursor->GetOldAttachedID(), 12);
    EXPECT_FALSE(cursor->IsOldDeployed());
    EXPECT_EQ(fresh->GetOldAttachedID(), kAKNullNodeID);
    EXPECT_TRUE(fresh->IsOldDeployed());
    EXPECT_EQ(cursor->GetUserSpeedWow(), 0.25);
    EXPECT_EQ(cursor->GetUserSpeedSubx(), 1.5);
    EXPECT_EQ(cursor->GetUserSpan(), 3.0);

    AKDictionary written;
    ASSERT_EQ(cursor->akmWriteToDictionary(written), 0);
    EXPECT_FALSE(written.ContainsKey(AKString("AttachableID")));
    EXPECT_FALSE(written.ContainsKey(AKString("Deployed")));
    AKDictionary const& writtenState = AKValueGetasAKDictionary(written.GetValue("State"));
    EXPECT_EQ(AKValueGetasFloat64(writtenState.GetValue("SpeedWow"), true), 0.25);
    EXPECT_FALSE(writtenState.ContainsKey(AKString("Wow")));
    EXPECT_FALSE(writtenState.ContainsKey(AKString("Apert")));
}

QVAudioInfo Info(unsigned int channels, double rate)
{
    QVAudioInfo info;
    info.Setup(channels, 512, rate);
    return info;
}

TEST(QVObjectAtomicCursor, OverlapBufferOutlivesTheNextPoolOfTheSameShape)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(PlacesDocument()));
    auto* player = static_cast<QVObjectAtomic*>(doc.Sequence(0)->GetFLSubPlayers()[1]);

    ASSERT_EQ(player->PrepareAudioResources(Info(2, 48000.0), 64), 0);
    QXSampleBuffer<double>* const buffer = player->GetOverlapBuffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->TotalChannelCount(), 2u);
    EXPECT_EQ(buffer->TotalFrameCount(), 64u);
    EXPECT_EQ(*buffer->SamplePtrConst(1, 63), 0.0);
    // The audio path keeps an overlap tail in it.
    *buffer->SamplePtr(1, 10) = 0.5;

    // A new pool of the same shape while the old one still renders: the
    // buffer and its tail stay.
    ASSERT_EQ(player->PrepareAudioResources(Info(2, 48000.0), 64), 0);
    EXPECT_EQ(player->GetOverlapBuffer(), buffer);
    EXPECT_EQ(*buffer->SamplePtrConst(1, 10), 0.5);
    EXPECT_TRUE(player->IsAudioResourcesPrepared());

    // Another shape: a fresh, clean buffer.
    ASSERT_EQ(player->PrepareAudioResources(Info(4, 48000.0), 128), 0);
    QXSampleBuffer<double>* const wider = player->GetOverlapBuffer();
    ASSERT_NE(wider, nullptr);
    EXPECT_EQ(wider->TotalChannelCount(), 4u);
    EXPECT_EQ(wider->TotalFrameCount(), 128u);
    EXPECT_EQ(*wider->SamplePtrConst(1, 10), 0.0);

    // The document's one release frees it, however many preparations came
    // before.
    player->ReleaseAudioResources();
    EXPECT_EQ(player->GetOverlapBuffer(), nullptr);
    EXPECT_FALSE(player->IsAudioResourcesPrepared());
    // A release too many is harmless.
    player->ReleaseAudioResources();
    EXPECT_FALSE(player->IsAudioResourcesPrepared());

    // Without a sequence, no buffer.
    auto* alone = static_cast<QVObjectAtomic*>(doc.players->GetFLSubPlayers()[0]);
    ASSERT_EQ(alone->PrepareAudioResources(Info(2, 48000.0), 64), 0);
    EXPECT_EQ(alone->GetOverlapBuffer(), nullptr);
    alone->ReleaseAudioResources();
}

}  // namespace
