// Moving playback heads in time: speed steps, arrow jumps, begin and end,
// relative time within the live interval, a multi-player carrying its subs
// along and the phases of those subs, and the starter key's smart play.

#include "QVTrackZone.h"
#include "QVTrackZoneArray.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SequenceTestEnvironment());

// A sequence holding one track of the duration given, a multi-player with
// two subs and a single player; a single player alone in the player folder.
struct TransportDoc {
    SeqDoc doc;
    QVObjectSequence* sequence = nullptr;
    QVObjectPlayable* cursor = nullptr;
    QVObjectPlayable* subs[2] = {nullptr, nullptr};
    QVObjectPlayable* single = nullptr;
    QVObjectPlayable* alone = nullptr;

    bool Load(double duration)
    {
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "S",
                                 {SeqNode("track", nullptr),
                                  SeqNode("cursor", nullptr, {SeqNode("atomic", nullptr), SeqNode("atomic", nullptr)}),
                                  SeqNode("atomic", "P")})},
                        {SeqNode("atomic", "Alone")});
        if (!doc.Load(form))
            return false;
        sequence = doc.Sequence(0);
        QVTrackZoneArray zones;
        zones.Push(QVTrackZone::Make(1, 0.0, duration));
        zones.UpdateZonesLocalTime(nullptr, nullptr);
        sequence->GetFLSubTracks()[0]->InitWithTrackZones(zones);
        sequence->SynchronizeFLFullIntv();
        cursor = sequence->GetFLSubPlayers()[0];
        subs[0] = cursor->GetFLSubPlayables()[0];
        subs[1] = cursor->GetFLSubPlayables()[1];
        single = sequence->GetFLSubPlayers()[1];
        alone = static_cast<QVObjectPlayable*>(doc.players->GetFLSubPlayers()[0]);
        return QVPlayableKindIsCursor(cursor->GetKind()) && QVPlayableKindIsSub(subs[1]->GetKind()) &&
               QVPlayableKindIsStandalone(single->GetKind());
    }

    // The multi-player's window at time, span; its subs at the times given.
    void PlaceCursor(double time, double span, double sub0, double sub1)
    {
        cursor->LowSetUserTimeAndSpan(time, span, false);
        subs[0]->LowSetUserTimeAndSpan(sub0, 0.0, false);
        subs[1]->LowSetUserTimeAndSpan(sub1, 0.0, false);
    }
};

// Sets a preference for the length of a test.
class ScopedPrefs
{
public:
    ScopedPrefs() = default;
    ~ScopedPrefs() { QVPrefs::sShared.SetupDefaults(); }
    ScopedPrefs(ScopedPrefs const&) = delete;
    ScopedPrefs& operator=(ScopedPrefs const&) = delete;
};

TEST(QVObjectPlayableTransport, SpeedStepsWalkTheTableKeepingTheSign)
{
    ScopedPrefs const restore;
    QVPrefs::sShared.SetPlayerSpeedMax(16.0);  // so that 10 can be stored
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    struct Case {
        double from;
        int step;
        double to;
        bool changed;
    };
    Case const cases[] = {
        {1.0, -1, 2.0 / 3.0, true},   {1.0, +1, 1.5, true},
        {0.9, -1, 2.0 / 3.0, true},  // between two entries: the lower one
        {0.9, +1, 1.0, true},         {0.15, -1, 1.0 / 8.0, true},
        {0.0, +1, 1.0 / 8.0, true},   {-1.0, +1, -1.5, true},
        {-1.0, -1, -2.0 / 3.0, true}, {-0.125, -1, -0.125, false},
        {8.0, +1, 8.0, false},        {1.0 / 8.0, -1, 1.0 / 8.0, false},
        {0.05, -1, 0.05, false},      {10.0, -1, 10.0, false},
        {10.0, +1, 10.0, false},      {3.0, 0, 3.0, false},
        {6.0, +1, 8.0, true},         {0.0, -1, 0.0, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(&c - cases);
        t.single->SetUserSpeed(c.from);
        ASSERT_EQ(t.single->GetUserSpeed(), c.from);
        unsigned int const stamp = t.single->GetStateStamp();
        EXPECT_EQ(t.single->DoUserSpeedMoreOrLess(c.step), c.changed);
        EXPECT_DOUBLE_EQ(t.single->GetUserSpeed(), c.to);
        EXPECT_EQ(t.single->GetStateStamp() != stamp, c.changed);
    }
}

TEST(QVObjectPlayableTransport, SpeedStepsStayWithinTheSpeedLimit)
{
    ScopedPrefs const restore;
    QVPrefs::sShared.SetPlayerSpeedMax(4.0);
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.single->SetUserSpeed(4.0);
    EXPECT_FALSE(t.single->DoUserSpeedMoreOrLess(+1));  // 5 limited back to 4
    EXPECT_EQ(t.single->GetUserSpeed(), 4.0);
}

TEST(QVObjectPlayableTransport, JumpsStepByTheIntervalAndTheViewedDuration)
{
    struct Case {
        char const* what;
        double duration;
        double sequenceTime;
        double sequenceSpan;
        double viewed;
        int direction;
        double from;
        double to;
    };
    Case const cases[] = {
        {"19 s: too short", 19.0, 0.0, 0.0, 100.0, 1, 10.0, 10.0},
        {"50 s: 5 s on", 50.0, 0.0, 0.0, 100.0, 1, 10.0, 15.0},
        {"50 s: 5 s back", 50.0, 0.0, 0.0, 1000.0, -1, 10.0, 5.0},
        {"59 s: still 5 s", 59.0, 0.0, 0.0, 1000.0, 1, 10.0, 15.0},
        {"10 min, narrow view", 600.0, 0.0, 0.0, 200.0, 1, 100.0, 110.0},
        {"10 min, wide view", 600.0, 0.0, 0.0, 400.0, 1, 100.0, 130.0},
        {"10 min, wide view, back", 600.0, 0.0, 0.0, 300.0, -1, 100.0, 70.0},
        {"a 30 s window of the sequence", 600.0, 300.0, 30.0, 400.0, 1, 100.0, 105.0},
        {"a 19 s window of the sequence", 600.0, 300.0, 19.0, 400.0, 1, 100.0, 100.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        TransportDoc t;
        ASSERT_TRUE(t.Load(c.duration));
        t.sequence->LowSetUserTimeAndSpan(c.sequenceTime, c.sequenceSpan, false);
        t.single->LowSetUserTimeAndSpan(c.from, 0.0, false);
        EXPECT_EQ(t.single->DoUserJump(c.direction, c.viewed), c.to != c.from);
        EXPECT_EQ(t.single->GetUserTime(), c.to);
    }
}

TEST(QVObjectPlayableTransport, JumpsAreRefusedWhileSeekingOrOutsideASequence)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(600.0));
    t.single->LowSetUserTimeAndSpan(100.0, 0.0, false);
    t.single->SetUserRewind(1);
    EXPECT_FALSE(t.single->DoUserJump(1, 100.0));
    t.single->SetUserForward(1);
    EXPECT_FALSE(t.single->DoUserJump(1, 100.0));
    t.single->SetUserForward(0);
    t.single->SetUserScrubMode(1);
    EXPECT_FALSE(t.single->DoUserJump(1, 100.0));
    t.single->SetUserScrubMode(0);
    EXPECT_EQ(t.single->GetUserTime(), 100.0);
    // Alone in the player folder, and the sequence itself.
    EXPECT_FALSE(t.alone->DoUserJump(1, 100.0));
    EXPECT_FALSE(t.sequence->DoUserJump(1, 100.0));
}

TEST(QVObjectPlayableTransport, ASubJumpsButStaysInItsWindow)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(600.0));
    t.PlaceCursor(100.0, 4.0, 101.0, 99.0);
    EXPECT_TRUE(t.subs[0]->DoUserJump(1, 100.0));
    EXPECT_EQ(t.subs[0]->GetUserTime(), 102.0);
    EXPECT_TRUE(t.subs[1]->DoUserJump(-1, 100.0));
    EXPECT_EQ(t.subs[1]->GetUserTime(), 98.0);
    // Already at the edge: nothing moves.
    EXPECT_FALSE(t.subs[0]->DoUserJump(1, 100.0));
}

TEST(QVObjectPlayableTransport, AStoppedMultiPlayerCarriesItsSubs)
{
    struct Case {
        char const* what;
        bool play;
        bool scrub;
        bool autoPlayWhenScrub;
        double toTime;
        double toSpan;
        double sub0;
        double sub1;
    };
    // From time 10, span 4 (window 8..12), subs at 9 and 11.
    Case const cases[] = {
        {"moved", false, false, true, 20.0, 4.0, 19.0, 21.0},
        {"span doubled", false, false, true, 10.0, 8.0, 8.0, 12.0},
        {"moved and narrowed", false, false, true, 20.0, 2.0, 19.5, 20.5},
        {"playing", true, false, true, 20.0, 4.0, 9.0, 11.0},
        {"scrubbing and playing by it", false, true, true, 20.0, 4.0, 9.0, 11.0},
        {"scrubbing only", false, true, false, 20.0, 4.0, 19.0, 21.0},
        {"nothing moved", false, false, true, 10.0, 4.0, 9.0, 11.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedPrefs const restore;
        QVPrefs::sShared.SetPlayerMultiAutoPlayWhenScrub(c.autoPlayWhenScrub);
        TransportDoc t;
        ASSERT_TRUE(t.Load(50.0));
        t.PlaceCursor(10.0, 4.0, 9.0, 11.0);
        t.cursor->SetUserPlay(c.play ? 1 : 0);
        t.cursor->SetUserScrubMode(c.scrub ? 1 : 0);
        t.cursor->LowSetUserTimeAndSpan(c.toTime, c.toSpan, false);
        EXPECT_DOUBLE_EQ(t.subs[0]->GetUserTime(), c.sub0);
        EXPECT_DOUBLE_EQ(t.subs[1]->GetUserTime(), c.sub1);
    }
}

TEST(QVObjectPlayableTransport, PokedSubsGoToTheirPhasesEvenWhilePlaying)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.PlaceCursor(10.0, 4.0, 9.5, 10.5);
    t.cursor->SetUserPlay(1);  // the phases below leave the subs where they are
    t.subs[0]->SetUserPhase(0.0);
    t.subs[1]->SetUserPhase(1.0);
    ASSERT_EQ(t.subs[0]->GetUserTime(), 9.5);

    unsigned int const stamp = t.subs[0]->GetStateStamp();
    EXPECT_TRUE(t.cursor->DoUserPokePhases());
    EXPECT_EQ(t.subs[0]->GetUserTime(), 8.0);
    EXPECT_EQ(t.subs[1]->GetUserTime(), 12.0);
    EXPECT_TRUE(t.subs[0]->IsTimeSet());
    EXPECT_NE(t.subs[0]->GetStateStamp(), stamp);
    EXPECT_FALSE(t.cursor->DoUserPokePhases());  // already there

    // Only a multi-player pokes, and not while scrubbing.
    EXPECT_FALSE(t.single->DoUserPokePhases());
    EXPECT_FALSE(t.subs[0]->DoUserPokePhases());
    t.cursor->SetUserScrubMode(1);
    t.subs[0]->SetUserPhase(0.5);
    EXPECT_FALSE(t.cursor->DoUserPokePhases());
}

TEST(QVObjectPlayableTransport, PeekedPhasesAreWhereTheSubsStand)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.PlaceCursor(10.0, 4.0, 9.0, 12.0);
    EXPECT_TRUE(t.cursor->DoUserPeekPhases());
    EXPECT_EQ(t.subs[0]->GetUserPhase(), 0.25);
    EXPECT_EQ(t.subs[1]->GetUserPhase(), 1.0);
    EXPECT_FALSE(t.cursor->DoUserPeekPhases());

    // A playing multi-player moves without its subs; they end outside the
    // window and their phases leave 0..1.
    t.cursor->SetUserPlay(1);
    t.cursor->LowSetUserTimeAndSpan(20.0, 4.0, false);
    t.subs[0]->SetModified(false);
    EXPECT_TRUE(t.cursor->DoUserPeekPhases());
    EXPECT_EQ(t.subs[0]->GetUserPhase(), (9.0 - 18.0) / 4.0);
    EXPECT_EQ(t.subs[1]->GetUserPhase(), (12.0 - 18.0) / 4.0);
    EXPECT_TRUE(t.subs[0]->IsModified());

    t.cursor->LowSetUserTimeAndSpan(6.0, 4.0, false);
    EXPECT_TRUE(t.sequence->DoUserPeekPhases());  // passed to its players
    EXPECT_EQ(t.subs[1]->GetUserPhase(), 2.0);

    EXPECT_FALSE(t.single->DoUserPeekPhases());
    t.cursor->SetUserScrubMode(1);
    t.cursor->LowSetUserTimeAndSpan(30.0, 4.0, false);
    EXPECT_FALSE(t.cursor->DoUserPeekPhases());
}

TEST(QVObjectPlayableTransport, LiveIntervalsAndRelativeTime)
{
    struct Case {
        char const* what;
        bool confined;
        double cursorSpan;
        double beg;
        double end;
    };
    // The sequence runs 0..10.
    Case const cases[] = {
        {"whole sequence", false, 4.0, 0.0, 10.0},
        {"window kept inside", true, 4.0, 2.0, 8.0},
        {"window too wide", true, 12.0, 5.0 - 5e-7, 5.0 + 5e-7},
        {"window as wide", true, 10.0, 5.0 - 5e-7, 5.0 + 5e-7},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedPrefs const restore;
        QVPrefs::sShared.SetPlayerMultiSpanConfinedInSel(c.confined);
        TransportDoc t;
        ASSERT_TRUE(t.Load(10.0));
        t.cursor->LowSetUserTimeAndSpan(5.0, c.cursorSpan, false);
        bool bounded = true;
        AKTimeIntv const intv = t.cursor->GetRTLiveTimeIntv(&bounded);
        EXPECT_DOUBLE_EQ(intv.beg, c.beg);
        EXPECT_DOUBLE_EQ(intv.end, c.end);
        EXPECT_FALSE(bounded);
        t.cursor->SetUserRelaTime(0.0);
        EXPECT_DOUBLE_EQ(t.cursor->GetUserTime(), c.beg);
        // The confinement is the multi-player's only: a single player has the
        // whole sequence.
        EXPECT_EQ(t.single->GetRTLiveTimeIntv(nullptr), (AKTimeIntv{0.0, 10.0}));
    }
}

TEST(QVObjectPlayableTransport, RelativeTimeOfASubIsWithinItsWindow)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.PlaceCursor(10.0, 4.0, 9.0, 11.0);
    bool bounded = false;
    EXPECT_EQ(t.subs[0]->GetRTLiveTimeIntv(&bounded), (AKTimeIntv{8.0, 12.0}));
    EXPECT_TRUE(bounded);
    struct Case {
        double fraction;
        double time;
    };
    Case const cases[] = {{1.5, 12.0}, {-1.0, 8.0}, {0.25, 9.0}, {0.5, 10.0}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.fraction);
        t.subs[0]->SetUserRelaTime(c.fraction);
        EXPECT_EQ(t.subs[0]->GetUserTime(), c.time);
        EXPECT_EQ(t.subs[0]->GetUserRelaTime(), (c.time - 8.0) / 4.0);
    }
    EXPECT_FALSE(t.subs[0]->SetUserRelaTime(0.5));  // already there
    // A sub left behind by a playing multi-player reads beyond 0..1.
    t.cursor->SetUserPlay(1);
    t.cursor->LowSetUserTimeAndSpan(6.0, 4.0, false);
    EXPECT_EQ(t.subs[0]->GetUserRelaTime(), 1.5);
    // Without a parent there is no interval to move in.
    t.alone->LowSetUserTimeAndSpan(3.0, 0.0, false);
    EXPECT_FALSE(t.alone->SetUserRelaTime(0.5));
    EXPECT_EQ(t.alone->GetUserRelaTime(), 0.0);
    EXPECT_EQ(t.alone->GetUserTime(), 3.0);
}

TEST(QVObjectPlayableTransport, ASubRestingAtItsPhaseFollowsIt)
{
    struct Case {
        char const* what;
        bool cursorPlays;
        bool subPlays;
        double phase;
        double time;
        bool changed;
    };
    // The window is 8..12, the sub at 9 with phase 0.5.
    Case const cases[] = {
        {"at rest", false, false, 0.75, 11.0, true},          {"same phase, elsewhere", false, false, 0.5, 10.0, true},
        {"multi-player plays", true, false, 0.75, 9.0, true}, {"sub plays", false, true, 0.75, 9.0, true},
        {"limited phase", false, false, 2.0, 12.0, true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        TransportDoc t;
        ASSERT_TRUE(t.Load(50.0));
        t.PlaceCursor(10.0, 4.0, 9.0, 11.0);
        ASSERT_EQ(t.subs[0]->GetUserPhase(), 0.5);
        t.cursor->SetUserPlay(c.cursorPlays ? 1 : 0);
        t.subs[0]->SetUserPlay(c.subPlays ? 1 : 0);
        EXPECT_EQ(t.subs[0]->SetUserPhase(c.phase), c.changed);
        EXPECT_EQ(t.subs[0]->GetUserTime(), c.time);
    }
    // Outside a multi-player the phase is only stored.
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.single->LowSetUserTimeAndSpan(7.0, 0.0, false);
    EXPECT_TRUE(t.single->SetUserPhase(0.1));
    EXPECT_EQ(t.single->GetUserTime(), 7.0);
    EXPECT_FALSE(t.single->SetUserPhase(0.1));
}

TEST(QVObjectPlayableTransport, BeginAndEndOfTheLiveInterval)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.single->LowSetUserTimeAndSpan(20.0, 0.0, false);
    t.single->SetUserRewind(1);
    EXPECT_TRUE(t.single->DoUserToEnd());
    EXPECT_EQ(t.single->GetUserTime(), 50.0);
    EXPECT_FALSE(t.single->IsUserRewind());
    EXPECT_TRUE(t.single->DoUserToBegin());
    EXPECT_EQ(t.single->GetUserTime(), 0.0);
    EXPECT_FALSE(t.single->DoUserToBegin());
    // Ending a forward at the begin already is still a change.
    t.single->SetUserForward(1);
    EXPECT_TRUE(t.single->DoUserToBegin());
    EXPECT_FALSE(t.single->IsUserForward());

    // Refused for a sub and in scrub mode.
    t.PlaceCursor(10.0, 4.0, 9.0, 11.0);
    EXPECT_FALSE(t.subs[0]->DoUserToEnd());
    EXPECT_EQ(t.subs[0]->GetUserTime(), 9.0);
    t.single->SetUserScrubMode(1);
    EXPECT_FALSE(t.single->DoUserToEnd());
    EXPECT_EQ(t.single->GetUserTime(), 0.0);
    t.single->SetUserScrubMode(0);

    // The sequence sends every player there; a multi-player places its subs
    // at their phases in its new window.
    t.subs[0]->SetUserPhase(0.0);
    t.subs[1]->SetUserPhase(1.0);
    EXPECT_TRUE(t.sequence->DoUserToEnd());
    EXPECT_EQ(t.single->GetUserTime(), 50.0);
    EXPECT_EQ(t.cursor->GetUserTime(), 50.0);
    EXPECT_EQ(t.subs[0]->GetUserTime(), 48.0);
    EXPECT_EQ(t.subs[1]->GetUserTime(), 52.0);
    EXPECT_EQ(t.sequence->GetUserTime(), 0.0);  // no head of its own moved
    EXPECT_FALSE(t.sequence->DoUserToEnd());
}

TEST(QVObjectPlayableTransport, SmartPlayFollowsTheStarterBehaviour)
{
    struct Step {
        double timeBefore;  // where play has taken the time meanwhile
        bool pressed;
        bool result;
        bool playing;
        double time;
    };
    struct Case {
        char const* what;
        unsigned int behaviour;
        std::vector<Step> steps;
    };
    Case const cases[] = {
        {"Push", kQVStarterBehaviorPush, {{3.0, true, true, true, 3.0}, {7.0, false, true, false, 7.0}}},
        {"Toggle",
         kQVStarterBehaviorToggle,
         {{3.0, true, true, true, 3.0}, {5.0, false, false, true, 5.0}, {7.0, true, true, false, 7.0}}},
        {"PushAndBack", kQVStarterBehaviorPushAndBack, {{3.0, true, true, true, 3.0}, {7.0, false, true, false, 3.0}}},
        {"ToggleAndBack",
         kQVStarterBehaviorToggleAndBack,
         {{3.0, true, true, true, 3.0}, {5.0, false, false, true, 5.0}, {7.0, true, true, false, 3.0}}},
        {"BackAndRepeat",
         kQVStarterBehaviorBackAndRepeat,
         {{3.0, true, true, true, 3.0},
          {5.0, false, true, true, 5.0},
          {7.0, true, true, true, 3.0},
          {8.0, true, true, true, 3.0}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        TransportDoc t;
        ASSERT_TRUE(t.Load(50.0));
        for (Step const& step : c.steps) {
            SCOPED_TRACE(step.timeBefore);
            t.single->LowSetUserTimeAndSpan(step.timeBefore, 0.0, false);
            EXPECT_EQ(t.single->DoUserSmartPlay(step.pressed, c.behaviour), step.result);
            EXPECT_EQ(t.single->IsUserPlay(), step.playing);
            EXPECT_EQ(t.single->GetUserTime(), step.time);
        }
    }
}

TEST(QVObjectPlayableTransport, SmartPlayCountsRewindingAsNotPlaying)
{
    TransportDoc t;
    ASSERT_TRUE(t.Load(50.0));
    t.single->LowSetUserTimeAndSpan(4.0, 0.0, false);
    t.single->SetUserPlay(1);
    t.single->SetUserRewind(1);
    // Rewinding: a BackAndRepeat press starts normal play from here.
    EXPECT_TRUE(t.single->DoUserSmartPlay(true, kQVStarterBehaviorBackAndRepeat));
    EXPECT_TRUE(t.single->IsUserPlay());
    EXPECT_FALSE(t.single->IsUserRewind());
    EXPECT_EQ(t.single->GetSmartPlayStartTime(), 4.0);
}

}  // namespace
