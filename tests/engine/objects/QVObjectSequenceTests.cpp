// The sequence: its fast links (typed arrays, all playables, plug-in-free
// counts), colour labels for unlabelled players, the followed player, the
// intervals of its playables and tracks, play, mute and solo across the
// folder, and both persistent forms.

#include "AKFile.h"
#include "AKTreeSel.h"
#include "QVTrackZone.h"
#include "QVTrackZoneArray.h"
#include "SequenceTestFixtures.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

AKDictionary Labelled(unsigned int label)
{
    return SeqNode("atomic", nullptr, {}, {{"UIColorIndex", AKValueSetasUInt(label)}});
}

AKDictionary Cursor(unsigned int subs)
{
    std::vector<AKDictionary> children(subs, SeqNode("atomic", nullptr));
    AKDictionary cursor = SeqNode("cursor", nullptr);
    AKValueArray array;
    for (AKDictionary const& sub : children)
        array.Push(AKValueSetasAKDictionary(sub));
    cursor.SetValue("Subs", AKValueSetasAKValueArray(array));
    return cursor;
}

AKDictionary SequenceOf(std::vector<AKDictionary> const& children, char const* name = nullptr)
{
    AKDictionary sequence = SeqNode("sequenc", name);
    AKValueArray array;
    for (AKDictionary const& child : children)
        array.Push(AKValueSetasAKDictionary(child));
    sequence.SetValue("Subs", AKValueSetasAKValueArray(array));
    return sequence;
}

TEST(QVObjectSequence, UnlabelledPlayersTakeTheLowestFreeLabels)
{
    struct Case {
        std::vector<unsigned int> before;
        std::vector<unsigned int> after;
    };
    Case const cases[] = {
        {{0, 2, 0}, {1, 2, 3}},
        {{0, 0}, {1, 2}},
        {{3, 0, 1, 0}, {3, 2, 1, 4}},
        {{5, 5, 0}, {5, 5, 1}},
        {{4}, {4}},
        // Every label in use: the unlabelled player stays at 0.
        {{1, 2, 3, 4, 5, 6, 7, 8, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 0}},
        // The free labels run out: the last keeps 0.
        {{1, 2, 3, 4, 5, 6, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 0}},
    };
    for (Case const& c : cases) {
        std::vector<AKDictionary> players;
        for (unsigned int label : c.before)
            players.push_back(Labelled(label));
        SeqDoc doc;
        ASSERT_TRUE(doc.Load(SeqDocument({SequenceOf(players)})));
        QVObjectPlayableArray const& linked = doc.Sequence(0)->GetFLSubPlayers();
        ASSERT_EQ(linked.Count(), c.after.size());
        for (unsigned int i = 0; i < linked.Count(); ++i)
            EXPECT_EQ(linked[i]->GetUIColorLabel(), c.after[i]) << "player " << i << " of case " << (&c - cases);
    }
}

TEST(QVObjectSequence, FastLinksGatherTracksPlayersAndSubs)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument(
        {SequenceOf({SeqNode("track", "T1"), Cursor(3), SeqNode("atomic", "Solo"), SeqNode("track", "T2")})})));
    QVObjectSequence* sequence = doc.Sequence(0);
    EXPECT_EQ(sequence->GetFLFolder(), doc.sequences);
    EXPECT_EQ(sequence->GetFLSubTracks().Count(), 2u);
    ASSERT_EQ(sequence->GetFLSubPlayers().Count(), 2u);
    EXPECT_EQ(sequence->GetSubPoolables().Count(), 2u);
    EXPECT_EQ(&sequence->GetFLSubPlayables(), &sequence->GetFLSubPlayers());

    auto* cursor = static_cast<QVObjectCursor*>(sequence->GetFLSubPlayers()[0]);
    QVObjectPlayable* single = sequence->GetFLSubPlayers()[1];
    QVObjectPlayableArray const& all = sequence->GetFLAllPlayables();
    ASSERT_EQ(all.Count(), 6u);
    EXPECT_EQ(all[0], sequence);
    EXPECT_EQ(all[1], cursor);
    EXPECT_EQ(all[2], single);
    for (unsigned int i = 0; i < 3; ++i) {
        EXPECT_EQ(all[3 + i], cursor->GetFLSubAtomics()[i]);
        EXPECT_EQ(all[3 + i]->GetFLOwningSequence(), sequence);
        EXPECT_EQ(all[3 + i]->GetFLOwningCursor(), cursor);
        EXPECT_EQ(all[3 + i]->GetFLIndex(), i + 1);
    }
    EXPECT_EQ(cursor->GetFLOwningSequence(), sequence);
    EXPECT_EQ(cursor->GetFLIndex(), 1u);
    EXPECT_EQ(single->GetFLIndex(), 2u);
    EXPECT_EQ(single->GetKind(), kQVPlayableKindAtomicStandalone);
    EXPECT_EQ(sequence->GetFLPluginCount(), 0);

    AKNodeIDArray const& tracks = sequence->GetFLSubTrackIDs();
    ASSERT_EQ(tracks.Count(), 2u);
    EXPECT_EQ(tracks[1], sequence->GetFLSubTracks()[1]->GetID());
    AKNodeIDArray const& players = sequence->GetFLSubPlayableIDs();
    ASSERT_EQ(players.Count(), 2u);
    EXPECT_EQ(players[0], cursor->GetID());
    EXPECT_EQ(cursor->GetFLSubAtomicIDs().Count(), 3u);

    // The single players read the sequence's tracks; link stamps are the
    // sequence's.
    EXPECT_EQ(&single->GetSubPoolables(), &sequence->GetFLSubTrackPoolables());
    EXPECT_EQ(single->PoolableStampSubLinks(), sequence->GetSubLinksStamp());
    EXPECT_EQ(all[3]->PoolableStampFarSubLinks(), sequence->GetFarSubLinksStamp());
}

TEST(QVObjectSequence, FullIntervalReachesTheLongestTrack)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SequenceOf({SeqNode("atomic", nullptr)}),
                                      SequenceOf({SeqNode("track", nullptr), SeqNode("track", nullptr)})})));
    EXPECT_EQ(doc.Sequence(0)->GetFLFullIntv(), kAKNullTimeIntv);

    QVObjectSequence* sequence = doc.Sequence(1);
    double const durations[] = {2.0, 3.5};
    for (unsigned int i = 0; i < 2; ++i) {
        QVTrackZoneArray zones;
        zones.Push(QVTrackZone::Make(1, 0.0, durations[i]));
        zones.UpdateZonesLocalTime(nullptr, nullptr);
        sequence->GetFLSubTracks()[i]->InitWithTrackZones(zones);
    }
    sequence->SynchronizeFLFullIntv();
    EXPECT_EQ(sequence->GetFLFullIntv(), (AKTimeIntv{0.0, 3.5}));
}

TEST(QVObjectSequence, IntervalsCentreOnTheTimeAndReportMoves)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SequenceOf({SeqNode("atomic", nullptr), Cursor(2)})})));
    QVObjectSequence* sequence = doc.Sequence(0);
    QVObjectPlayable* single = sequence->GetFLSubPlayers()[0];
    auto* cursor = static_cast<QVObjectCursor*>(sequence->GetFLSubPlayers()[1]);
    double const minSpan = QVPrefs::sShared.GetPlayerMultiMinSpanDuration();

    EXPECT_FALSE(sequence->UpdateRTPlayableIntvs());
    struct Case {
        QVObjectPlayable* playable;
        double time;
        double span;
        unsigned int entry;  // in the all-playables array
        AKTimeIntv expected;
    };
    QVObjectPlayable* sub = cursor->GetFLSubAtomics()[1];
    Case const cases[] = {
        {single, 3.0, 0.0, 1, {3.0, 3.0}},
        {cursor, 5.0, 2.0, 2, {4.0, 6.0}},
        {sequence, 10.0, 4.0, 0, {8.0, 12.0}},
        // A single player has no span, whatever it is asked (a sub stays in
        // its multi-player's window 4..6).
        {sub, 5.5, 1.0, 4, {5.5, 5.5}},
        {cursor, 7.0, minSpan / 2, 2, {7.0 - minSpan / 2, 7.0 + minSpan / 2}},
    };
    for (Case const& c : cases) {
        c.playable->LowSetUserTimeAndSpan(c.time, c.span, false);
        EXPECT_TRUE(sequence->UpdateRTPlayableIntvs()) << (&c - cases);
        EXPECT_FALSE(sequence->UpdateRTPlayableIntvs()) << (&c - cases);
        EXPECT_DOUBLE_EQ(sequence->GetRTAllIntvs()[c.entry].beg, c.expected.beg) << (&c - cases);
        EXPECT_DOUBLE_EQ(sequence->GetRTAllIntvs()[c.entry].end, c.expected.end) << (&c - cases);
    }
    EXPECT_EQ(sequence->GetRTPlayerIntvs()[0], (AKTimeIntv{3.0, 3.0}));
}

TEST(QVObjectSequence, FollowsItsOnlyPlayerAndDropsADeletedOneOnSaving)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SequenceOf({SeqNode("atomic", nullptr)}),
                                      SequenceOf({SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)})})));
    QVObjectSequence* one = doc.Sequence(0);
    QVObjectSequence* two = doc.Sequence(1);

    two->AutoSetupPlayableFollow();
    EXPECT_EQ(two->GetFollowID(), kAKNullNodeID);
    one->AutoSetupPlayableFollow();
    QVObjectPlayable* followed = one->GetFLSubPlayers()[0];
    EXPECT_EQ(one->GetFollowID(), followed->GetID());
    EXPECT_EQ(one->GetFollowIndex(), 0);

    followed->LowSetUserTimeAndSpan(4.25, 0.0, false);
    one->UpdateRTPlayableIntvs();
    double centre = -1.0;
    EXPECT_EQ(one->GetPlayableFollow(&centre), followed);
    EXPECT_DOUBLE_EQ(centre, 4.25);
    EXPECT_EQ(one->GetPlayableFollowID(&centre), followed->GetID());

    EXPECT_FALSE(two->SetPlayableFollow(kAKNullNodeID));
    EXPECT_TRUE(two->SetPlayableFollow(two->GetFLSubPlayers()[1]->GetID()));
    EXPECT_EQ(two->GetFollowIndex(), 1);
    // An ID of another sequence's player is kept without an index.
    EXPECT_TRUE(two->SetPlayableFollow(followed->GetID()));
    EXPECT_EQ(two->GetFollowIndex(), -1);
    EXPECT_EQ(two->GetPlayableFollow(&centre), nullptr);
    EXPECT_EQ(centre, 0.0);

    AKNodeID const id = followed->GetID();
    AKTreeSel selection(&doc.tree);
    selection.InitWithNodeID(id);
    ASSERT_EQ(doc.tree.DoTreeSelDelete(selection), 0);
    SeqChildrenChanged(one);
    doc.sequences->RaiseStamp(kAKObjectStampFarSubLinks);
    doc.Synchronize();
    EXPECT_EQ(one->GetFollowID(), id);
    EXPECT_EQ(one->GetFollowIndex(), -1);
    AKDictionary written;
    ASSERT_EQ(one->akmWriteToDictionary(written), 0);
    EXPECT_EQ(AKValueGetasAKNodeID(written.GetValue("FollowID")), kAKNullNodeID);
}

TEST(QVObjectSequence, PlayStartsAllPlayersOrStopsThemAll)
{
    SeqDoc doc;
    ASSERT_TRUE(
        doc.Load(SeqDocument({SequenceOf({SeqNode("atomic", nullptr), Cursor(1), SeqNode("atomic", nullptr)})})));
    QVObjectSequence* sequence = doc.Sequence(0);
    QVObjectPlayableArray const& players = sequence->GetFLSubPlayers();

    EXPECT_TRUE(sequence->SetUserPlay(2));
    for (QVObjectPlayable* player : players)
        EXPECT_TRUE(player->IsUserPlay());
    EXPECT_FALSE(sequence->SetUserPlay(1));
    EXPECT_FALSE(sequence->IsUserPlay());

    players[0]->SetUserPlay(0);
    players[1]->SetUserPlay(0);
    EXPECT_TRUE(sequence->IsFLSomeSubPlaying());
    EXPECT_TRUE(sequence->SetUserPlay(2));
    for (QVObjectPlayable* player : players)
        EXPECT_FALSE(player->IsUserPlay());
    EXPECT_FALSE(sequence->IsFLSomeSubPlaying());
    // Rewinding counts as playing.
    players[2]->SetUserRewind(1);
    EXPECT_TRUE(sequence->IsFLSomeSubPlaying());
}

TEST(QVObjectSequence, SoloAndMuteActAmongTheSequencesOfTheFolder)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SequenceOf({SeqNode("atomic", nullptr)}),
                                      SequenceOf({SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)}),
                                      SequenceOf({SeqNode("atomic", nullptr)})})));
    auto activeFlags = [&] {
        std::vector<bool> flags;
        for (unsigned int i = 0; i < 3; ++i)
            flags.push_back(doc.Sequence(i)->IsRActive());
        return flags;
    };
    EXPECT_TRUE(doc.Sequence(1)->SetUserSolo(1));
    EXPECT_EQ(activeFlags(), (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(doc.Sequence(0)->GetFLSubPlayers()[0]->IsRActive());
    EXPECT_TRUE(doc.Sequence(1)->SetUserSolo(0));
    EXPECT_EQ(activeFlags(), (std::vector<bool>{true, true, true}));

    // Soloing the only player of a sequence solos the sequence.
    QVObjectPlayable* only = doc.Sequence(2)->GetFLSubPlayers()[0];
    EXPECT_TRUE(only->SetUserSolo(1));
    EXPECT_TRUE(doc.Sequence(2)->IsUserSolo());
    EXPECT_EQ(activeFlags(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(only->SetUserSolo(0));
    EXPECT_EQ(activeFlags(), (std::vector<bool>{true, true, true}));

    // One of two players soloed: only the other one falls silent.
    QVObjectPlayableArray const& pair = doc.Sequence(1)->GetFLSubPlayers();
    pair[0]->SetUserSolo(1);
    EXPECT_TRUE(pair[0]->IsRActive());
    EXPECT_FALSE(pair[1]->IsRActive());
    EXPECT_FALSE(doc.Sequence(1)->IsUserSolo());
    pair[0]->SetUserSolo(0);

    // Muting a sequence while another is soloed keeps it inactive after unmuting.
    doc.Sequence(0)->SetUserSolo(1);
    EXPECT_TRUE(doc.Sequence(2)->SetUserMute(1));
    EXPECT_TRUE(doc.Sequence(2)->SetUserMute(0));
    EXPECT_EQ(activeFlags(), (std::vector<bool>{true, false, false}));
    EXPECT_FALSE(doc.Sequence(2)->GetFLSubPlayers()[0]->IsRActive());
}

std::vector<unsigned char> Bytes(AKFile& file) { return MemoryStreamBytes(file); }

AKDictionary StoredDocument()
{
    AKDictionary state;
    state.SetValue("Time", AKValueSetasFloat64(2.5));
    state.SetValue("Span", AKValueSetasFloat64(1.0));
    return SeqDocument(
        {SequenceOf({SeqNode("track", "Drums"),
                     SeqNode("atomic", "Lead", {}, {{"State", AKValueSetasAKDictionary(state)}}), Cursor(2)},
                    "Verse")});
}

TEST(QVObjectSequence, DictionaryFormSavesTheFollowedPlayerAndRoundTrips)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(StoredDocument()));
    QVObjectSequence* sequence = doc.Sequence(0);
    sequence->SetPlayableFollow(sequence->GetFLSubPlayers()[1]->GetID());
    AKDictionary first;
    ASSERT_EQ(doc.tree.WriteToDictionary(&first), 0);

    SeqDoc again;
    ASSERT_TRUE(again.Load(first));
    QVObjectSequence* read = again.Sequence(0);
    EXPECT_EQ(read->akmGetName(), AKString("Verse"));
    EXPECT_EQ(read->GetFollowID(), sequence->GetFollowID());
    EXPECT_EQ(read->GetFollowIndex(), 1);
    // A single player keeps no span.
    EXPECT_EQ(read->GetFLSubPlayers()[0]->GetUserSpan(), 0.0);
    EXPECT_EQ(read->GetFLSubPlayers()[0]->GetUserTime(), 2.5);
    AKDictionary second;
    ASSERT_EQ(again.tree.WriteToDictionary(&second), 0);
    EXPECT_EQ(first, second);
}

TEST(QVObjectSequence, BinaryFormRoundTripsByteForByte)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(StoredDocument()));
    doc.Sequence(0)->SetPlayableFollow(doc.Sequence(0)->GetFLSubPlayers()[0]->GetID());
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(doc.tree.WriteToBinFile(file), 0);
    std::vector<unsigned char> const first = Bytes(file);

    ASSERT_EQ(file.SetPos(0), 0);
    AKTree loaded(0);
    ASSERT_EQ(loaded.InitFromBinFile(file, nullptr), 0);
    auto* sequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(loaded);
    ASSERT_NE(sequences, nullptr);
    sequences->SynchronizeFLFastLinks();
    auto* read = static_cast<QVObjectSequence*>(sequences->GetFLSubSequences()[0]);
    EXPECT_EQ(read->GetFollowIndex(), 0);

    AKFile again(kAKFileModeMemoryStream);
    ASSERT_EQ(again.CreateForReadWrite(), 0);
    ASSERT_EQ(loaded.WriteToBinFile(again), 0);
    EXPECT_EQ(Bytes(again), first);
}

}  // namespace
