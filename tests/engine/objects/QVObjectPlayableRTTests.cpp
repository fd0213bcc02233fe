// The real-time state computed through the playables themselves, block after
// block, down a real sequence: a single player looping in the sequence's
// window, one reaching the edge, a multi-player carrying its subs along, the
// intervals offered to subs outside the audio path, the report for the user
// interface, and not one allocation over many blocks.

#include "AllocationProbe.h"
#include "QVPlayableRTStateRandom.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

// A sequence holding a single player and a multi-player of two subs.
AKDictionary MixDocument()
{
    return SeqDocument(
        {SeqNode("sequenc", "S",
                 {SeqNode("atomic", "Solo"),
                  SeqNode("cursor", "Crowd", {SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)})})});
}

// One block of the audio path down the pool tree: the sequence, its
// players, then the subs of each multi-player, each with its parent's state.
void ComputeBlock(QVObjectSequence* sequence, double dt, bool reset)
{
    QVPlayableRTState const seq = sequence->ComputeRTCurrState(kQVNullPlayableRTState, dt, reset);
    QVObjectPlayableArray const& players = sequence->GetFLSubPlayers();
    for (unsigned int i = 0; i < players.Count(); ++i) {
        QVObjectPlayable* const player = players[i];
        QVPlayableRTState const state = player->ComputeRTCurrState(seq, dt, reset);
        QVObjectPlayableArray const& subs = player->GetFLSubPlayables();
        for (unsigned int j = 0; j < subs.Count(); ++j)
            subs[j]->ComputeRTCurrState(state, dt, reset);
    }
}

class QVObjectPlayableRT : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        ASSERT_TRUE(mDoc.Load(MixDocument()));
        mSequence = mDoc.Sequence(0);
        ASSERT_EQ(mSequence->GetFLSubPlayers().Count(), 2u);
        mSolo = mSequence->GetFLSubPlayers()[0];
        mCrowd = mSequence->GetFLSubPlayers()[1];
        ASSERT_EQ(mCrowd->GetFLSubPlayables().Count(), 2u);
        // The sequence offers the window [0, 10] to its players.
        ASSERT_TRUE(mSequence->LowSetUserTimeAndSpan(5.0, 10.0, false));
        ASSERT_TRUE(mSolo->SetUserSpeed(1.0) || mSolo->GetUserSpeed() == 1.0);
        ASSERT_TRUE(mCrowd->SetUserSpeed(1.0) || mCrowd->GetUserSpeed() == 1.0);
    }

    SeqDoc mDoc;
    QVObjectSequence* mSequence = nullptr;
    QVObjectPlayable* mSolo = nullptr;
    QVObjectPlayable* mCrowd = nullptr;
};

TEST_F(QVObjectPlayableRT, SinglePlayerLoopsInTheSequenceWindowBlockAfterBlock)
{
    mSolo->SetUserLoop(1);
    ASSERT_TRUE(mSolo->LowSetUserTimeAndSpan(9.9, 0.0, false));
    ASSERT_TRUE(mSolo->SetUserPlay(1));

    // The first pass of a new pool: the time a user gave survives it, and
    // the previous state is a silent copy so that the block fades in.
    ComputeBlock(mSequence, 0.0, true);
    EXPECT_FALSE(mSolo->IsTimeSet());
    EXPECT_DOUBLE_EQ(mSolo->GetUserTime(), 9.9);
    QVPlayableRTState const first = mSolo->GetRTCurrState();
    EXPECT_TRUE(first.active && first.playing && first.looping);
    EXPECT_DOUBLE_EQ(first.liveBeg, 0.0);
    EXPECT_DOUBLE_EQ(first.liveEnd, 10.0);
    QVPlayableRTState const silent = mSolo->GetRTPrevState();
    EXPECT_FALSE(silent.active);
    EXPECT_TRUE(silent.playing);
    EXPECT_DOUBLE_EQ(silent.timeEnd, first.timeEnd);

    // 9.9 + 0.2 wraps to 0.1 past the begin; then 0.2 s per block, wrapping
    // again every 50 blocks, the previous state always the former current.
    double expected = 0.1;
    for (int block = 0; block < 260; ++block) {
        QVPlayableRTState const before = mSolo->GetRTCurrState();
        ComputeBlock(mSequence, 0.2, false);
        ASSERT_NEAR(mSolo->GetUserTime(), expected, 1e-9) << "block " << block;
        ASSERT_DOUBLE_EQ(mSolo->GetRTPrevState().timeEnd, before.timeEnd);
        ASSERT_DOUBLE_EQ(mSolo->GetRTCurrState().timeBeg, before.timeEnd);
        ASSERT_FALSE(mSolo->GetRTCurrState().reachedEnd);
        expected = std::fmod(expected + 0.2, 10.0);
        if (expected > 10.0 - 1e-9)
            expected = 0.0;
    }
    EXPECT_TRUE(mSolo->IsUserPlay());
    // The sequence itself neither plays nor moves.
    EXPECT_FALSE(mSequence->GetRTCurrState().playing);
    EXPECT_DOUBLE_EQ(mSequence->GetUserTime(), 5.0);
}

TEST_F(QVObjectPlayableRT, ReachingTheEdgeEndsTheTransport)
{
    mSolo->SetUserLoop(0);
    struct Case {
        char const* name;
        double time;
        bool rewind;
        bool forward;
        double edge;
        bool playAfter;
    };
    Case const cases[] = {
        {"normal play stops at the end", 9.5, false, false, 10.0, false},
        {"forwarding while playing resumes play", 9.5, false, true, 10.0, true},
        {"rewinding while playing resumes play", 0.5, true, false, 0.0, true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(mSolo->SetUserPlay(0) || !mSolo->IsUserPlay());
        ASSERT_TRUE(mSolo->LowSetUserTimeAndSpan(c.time, 0.0, false) || mSolo->GetUserTime() == c.time);
        ASSERT_TRUE(mSolo->SetUserPlay(1));
        if (c.rewind) {
            ASSERT_TRUE(mSolo->SetUserRewind(1));
        }
        if (c.forward) {
            ASSERT_TRUE(mSolo->SetUserForward(1));
        }
        ComputeBlock(mSequence, 0.0, true);

        unsigned int const stamp = mSolo->GetStateStamp();
        bool reached = false;
        for (int block = 0; block < 100 && !reached; ++block) {
            ComputeBlock(mSequence, 0.2, false);
            reached = mSolo->GetRTCurrState().reachedEnd;
        }
        ASSERT_TRUE(reached);
        EXPECT_DOUBLE_EQ(mSolo->GetUserTime(), c.edge);
        EXPECT_EQ(mSolo->IsUserPlay(), c.playAfter);
        EXPECT_FALSE(mSolo->IsUserRewind() || mSolo->IsUserForward());
        EXPECT_NE(mSolo->GetStateStamp(), stamp);
    }

    // Stopped at the end, the next start runs from the begin of the window.
    ASSERT_TRUE(mSolo->SetUserPlay(0) || !mSolo->IsUserPlay());
    ASSERT_TRUE(mSolo->LowSetUserTimeAndSpan(12.0, 0.0, false));
    ComputeBlock(mSequence, 0.0, false);
    ASSERT_TRUE(mSolo->SetUserPlay(1));
    ComputeBlock(mSequence, 0.2, false);
    EXPECT_NEAR(mSolo->GetUserTime(), 0.2, 1e-9);
}

TEST_F(QVObjectPlayableRT, MultiPlayerCarriesItsSubsThroughItsWindow)
{
    mCrowd->SetUserLoop(1);
    ASSERT_TRUE(mCrowd->LowSetUserTimeAndSpan(5.0, 2.0, false));
    ASSERT_TRUE(mCrowd->SetUserSpeedSubx(1.0) || mCrowd->GetUserSpeedSubx() == 1.0);
    ASSERT_TRUE(mCrowd->SetUserPlay(1));
    QVObjectPlayable* const still = mCrowd->GetFLSubPlayables()[0];
    QVObjectPlayable* const other = mCrowd->GetFLSubPlayables()[1];
    ASSERT_TRUE(still->SetUserSpeed(1.0) || still->GetUserSpeed() == 1.0);
    ASSERT_TRUE(still->LowSetUserTimeAndSpan(5.3, 0.0, false));
    ASSERT_TRUE(other->SetUserSpeed(1.0) || other->GetUserSpeed() == 1.0);
    ASSERT_TRUE(other->LowSetUserTimeAndSpan(4.5, 0.0, false));
    ComputeBlock(mSequence, 0.0, true);

    // A sub at the multi-player's own speed keeps its place in the window,
    // across the wraps of the window at the end of the sequence's interval.
    bool wrapped = false;
    for (int block = 0; block < 200; ++block) {
        ComputeBlock(mSequence, 0.1, false);
        QVPlayableRTState const crowd = mCrowd->GetRTCurrState();
        ASSERT_TRUE(crowd.playing && crowd.subsPlaying && crowd.looping);
        ASSERT_TRUE(still->GetRTCurrState().playing && still->GetRTCurrState().looping);
        ASSERT_NEAR(still->GetUserTime() - mCrowd->GetUserTime(), 0.3, 1e-9) << "block " << block;
        ASSERT_NEAR(other->GetUserTime() - mCrowd->GetUserTime(), -0.5, 1e-9) << "block " << block;
        ASSERT_GE(mCrowd->GetUserTime(), 0.0);
        ASSERT_LE(mCrowd->GetUserTime(), 10.0);
        if (crowd.subsTimeShift != 0.0)
            wrapped = true;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_FALSE(still->IsUserPlay());  // the subs play through their multi-player

    // With SpeedSubx 2 a sub moves through the window at speed 1 relative to it.
    ASSERT_TRUE(mCrowd->SetUserSpeedSubx(2.0));
    double const offset = still->GetUserTime() - mCrowd->GetUserTime();
    ComputeBlock(mSequence, 0.1, false);
    double const moved = still->GetUserTime() - mCrowd->GetUserTime();
    EXPECT_NEAR(std::fmod(moved - offset + 2.0, 2.0), 0.1, 1e-9);
}

TEST_F(QVObjectPlayableRT, IntervalsOfferedToSubsOutsideTheAudioPath)
{
    ASSERT_TRUE(mCrowd->LowSetUserTimeAndSpan(3.0, 2.0, false));
    struct Case {
        char const* name;
        QVObjectPlayable* playable;
        AKTimeIntv interval;
        bool bounded;
    };
    Case const cases[] = {
        {"sequence with a span", mSequence, AKTimeIntv{0.0, 10.0}, true},
        {"multi-player", mCrowd, AKTimeIntv{2.0, 4.0}, true},
        {"single player", mSolo, AKTimeIntv{0.0, 0.0}, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        bool bounded = !c.bounded;
        AKTimeIntv const interval = c.playable->GetRTLiveTimeIntvForSub(&bounded);
        EXPECT_DOUBLE_EQ(interval.beg, c.interval.beg);
        EXPECT_DOUBLE_EQ(interval.end, c.interval.end);
        EXPECT_EQ(bounded, c.bounded);
    }
    // Without span: the full interval (no tracks here: nothing), not bounded.
    ASSERT_TRUE(mSequence->LowSetUserTimeAndSpan(5.0, 0.0, false));
    bool bounded = true;
    AKTimeIntv const full = mSequence->GetRTLiveTimeIntvForSub(&bounded);
    EXPECT_FALSE(bounded);
    EXPECT_DOUBLE_EQ(full.beg, mSequence->GetFLFullIntv().beg);
    EXPECT_DOUBLE_EQ(full.end, mSequence->GetFLFullIntv().end);
}

TEST_F(QVObjectPlayableRT, BlockReportIsKeptForTheUserInterface)
{
    mSolo->SetRTCurrentInfo(true, true, false, false, 0x5ull);
    QVPlayableRTInfo const info = mSolo->GetRTInfo();
    EXPECT_TRUE(info.rtActive && info.rtSounding && !info.rtPluginTail);
    EXPECT_EQ(info.rtTrackMask, 0x5ull);
    EXPECT_EQ(info.rtMarkTime, 0.0);
    mSolo->SetRTCurrentInfo(false, false, true, true, 0);
    EXPECT_TRUE(mSolo->GetRTInfo().rtPluginTail);
    EXPECT_FALSE(mSolo->GetRTInfo().rtSounding);
    EXPECT_GE(mSolo->GetRTInfo().rtMarkTime, 0.0);
    EXPECT_DOUBLE_EQ(mSequence->GetRTInfo().rtMarkTime, 0.0);  // each playable has its own
}

TEST_F(QVObjectPlayableRT, PlayersWanderApartFromOneEngineSeed)
{
    QVPlayableRTRandom::SetEngineSeed(1234);
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(MixDocument()));
    QVObjectSequence* const sequence = doc.Sequence(0);
    QVObjectPlayable* const a = sequence->GetFLSubPlayers()[0];
    QVObjectPlayable* const b = sequence->GetFLSubPlayers()[1];
    for (QVObjectPlayable* p : {a, b}) {
        ASSERT_TRUE(p->SetUserSpeed(1.0) || p->GetUserSpeed() == 1.0);
        ASSERT_TRUE(p->SetUserSpeedWow(1.0));
        ASSERT_TRUE(p->SetUserPlay(1));
    }
    ComputeBlock(sequence, 0.0, true);
    bool apart = false;
    for (int block = 0; block < 400; ++block) {
        ComputeBlock(sequence, 1.0 / kQVEngineRTTimeBase, false);
        ASSERT_LE(std::fabs(a->GetWowTarget()), 0.05);
        ASSERT_LE(std::fabs(b->GetWowTarget()), 0.05);
        if (a->GetWowTarget() != b->GetWowTarget())
            apart = true;
    }
    EXPECT_TRUE(apart);
    QVPlayableRTRandom::SetEngineSeed(0);
}

TEST_F(QVObjectPlayableRT, ManyBlocksAllocateNothing)
{
    mSolo->SetUserLoop(1);
    ASSERT_TRUE(mSolo->SetUserSpeedWow(0.5));
    ASSERT_TRUE(mSolo->SetUserPlay(1));
    mCrowd->SetUserLoop(1);
    ASSERT_TRUE(mCrowd->LowSetUserTimeAndSpan(5.0, 2.0, false));
    ASSERT_TRUE(mCrowd->SetUserPlay(1));
    ComputeBlock(mSequence, 0.0, true);

    AllocationProbe const probe;
    for (int block = 0; block < 20000; ++block) {
        ComputeBlock(mSequence, 256.0 / 44100.0, false);
        if (block % 1000 == 0)
            ComputeBlock(mSequence, 0.0, true);  // a forced pass now and then
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_EQ(AllocationProbe::Releases(), 0u);
}

}  // namespace
