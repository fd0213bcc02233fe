// Real-time state of playables: time runs to the edges or wraps inside the
// live interval, a stopped head enters the interval when it starts, the
// transport ends at an edge, the rewind ramp and the speed wander, the
// multi-player window carrying its subs, the silent previous state of a
// fresh start, and a block that allocates nothing.

#include "AllocationProbe.h"
#include "QVPlayableRTStateCompute.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr double kRefBlock = 1.0 / kQVEngineRTTimeBase;  // 256 frames at 44100 Hz
constexpr double kNear = 1e-9;

// What a sequence without span offers its players: [beg, end], loops allowed.
QVPlayableRTState SequenceParent(double beg, double end)
{
    QVPlayableRTPrefs prefs;
    prefs.fullSeqInLoopMode = true;
    QVPlayableRTInputs in;
    in.kind = kQVPlayableKindSequence;
    return QVComputeSequenceRTState(in, prefs, AKTimeIntv{beg, end});
}

// A playable reduced to its real-time members, as the driver sees it.
struct FakeHead {
    enum Step { kAtomic, kCursor };

    explicit FakeHead(Step kind = kAtomic) : step(kind)
    {
        in.kind = kind == kCursor ? kQVPlayableKindCursor : kQVPlayableKindAtomicStandalone;
        in.speed = 1.0;
        in.play = true;
    }

    bool IsUserScrub() const { return in.scrub; }
    bool IsUserRewind() const { return in.rewind; }
    bool IsUserForward() const { return in.forward; }
    bool IsUserPlay() const { return in.play; }
    double GetUserSpeed() const { return in.speed; }
    double GetUserSpeedWow() const { return speedWow; }
    bool RTAdvanceScrubber(double, bool* stop)
    {
        *stop = scrubberStops;
        return scrubberStops;
    }
    double GetRwdFwdSpeed() const { return in.rwdFwdSpeed; }
    void RTSetRwdFwdSpeed(double speed) { in.rwdFwdSpeed = speed; }
    double GetWowOffset() const { return in.wowOffset; }
    double GetWowTarget() const { return wowTarget; }
    void RTSetWow(double offset, double target)
    {
        in.wowOffset = offset;
        wowTarget = target;
    }
    double RTGetRwdFwdTarget() const { return rwdFwdTarget; }
    QVPlayableRTRandom& RTRandom() { return random; }
    QVPlayableRTState& RTPrevState() { return previous; }
    QVPlayableRTState& RTCurrState() { return current; }
    QVPlayableRTState ComputeRTCurrStateSelf(QVPlayableRTState const& parent, QVPlayableRTState const& prev,
                                             double dt) const
    {
        return step == kCursor ? QVComputeCursorRTState(in, prefs, parent, prev, dt)
                               : QVComputeAtomicRTState(in, prefs, parent, prev, dt);
    }
    bool RTTakeTimeSet()
    {
        bool const was = timeSet;
        timeSet = false;
        return was;
    }
    void RTSetTime(double time) { in.time = time; }
    void RTSetTransport(bool play, bool rewind, bool forward)
    {
        in.play = play;
        in.rewind = rewind;
        in.forward = forward;
    }
    void RaiseStateStamp() { ++stamps; }

    Step step;
    QVPlayableRTInputs in;
    QVPlayableRTPrefs prefs;
    double speedWow = 0.0;
    double wowTarget = 0.0;
    double rwdFwdTarget = 10.0;
    bool timeSet = false;
    bool scrubberStops = false;
    unsigned int stamps = 0;
    QVPlayableRTRandom random{1};
    QVPlayableRTState previous = kQVNullPlayableRTState;
    QVPlayableRTState current = kQVNullPlayableRTState;
};

// --- Time of a single player's block ---

struct TimeCase {
    char const* name;
    bool loop;
    double speed;
    double time;
    bool wasPlaying;
    double dt;
    double liveBeg, liveEnd;
    double timeBeg;  // expected
    double timeEnd;
    bool reachedEnd;
};

TEST(QVPlayableRTStateTests, SinglePlayerTimeRunsToTheEdgeOrWraps)
{
    TimeCase const cases[] = {
        {"forward to the end", false, 1.0, 9.9, true, 0.2, 0, 10, 9.9, 10.0, true},
        {"forward inside", false, 1.0, 5.0, true, 0.2, 0, 10, 5.0, 5.2, false},
        {"backward to the begin", false, -1.0, 0.1, true, 0.2, 0, 10, 0.1, 0.0, true},
        {"forward wraps", true, 1.0, 9.9, true, 0.2, 0, 10, 9.9, 0.1, false},
        {"backward wraps", true, -1.0, 0.1, true, 0.2, 0, 10, 0.1, 9.9, false},
        {"wraps several lengths", true, 2.0, 1.0, true, 21.0, 0, 10, 1.0, 3.0, false},
        {"wraps in an offset interval", true, 1.0, 19.9, true, 0.2, 10, 20, 19.9, 10.1, false},
        {"dt 0 keeps the time", false, 1.0, 4.0, true, 0.0, 0, 10, 4.0, 4.0, false},
        {"dt 0 at the end reaches it", false, 1.0, 10.0, true, 0.0, 0, 10, 10.0, 10.0, true},
        {"looping with dt 0 keeps the time", true, 1.0, 10.0, true, 0.0, 0, 10, 10.0, 10.0, false},
        {"starting beyond the end enters at the begin", false, 1.0, 12.0, false, 0.1, 0, 10, 0.0, 0.1, false},
        {"starting at the end enters at the begin", false, 1.0, 10.0, false, 0.1, 0, 10, 0.0, 0.1, false},
        {"starting backward before the begin enters at the end", false, -1.0, -3.0, false, 0.1, 0, 10, 10.0, 9.9,
         false},
        {"starting backward at the begin enters at the end", false, -1.0, 0.0, false, 0.1, 0, 10, 10.0, 9.9, false},
        {"an empty interval does not wrap", true, 1.0, 3.0, true, 0.5, 0, 0, 3.0, 3.5, false},
    };
    for (TimeCase const& c : cases) {
        QVPlayableRTInputs in;
        in.play = true;
        in.loop = c.loop;
        in.speed = c.speed;
        in.time = c.time;
        QVPlayableRTState parent = SequenceParent(c.liveBeg, c.liveEnd);
        parent.subsNoLoop = false;
        QVPlayableRTState previous = kQVNullPlayableRTState;
        previous.playing = c.wasPlaying;
        QVPlayableRTState const s = QVComputeAtomicRTState(in, QVPlayableRTPrefs(), parent, previous, c.dt);
        EXPECT_NEAR(s.timeBeg, c.timeBeg, kNear) << c.name;
        EXPECT_NEAR(s.timeEnd, c.timeEnd, kNear) << c.name;
        EXPECT_EQ(s.reachedEnd, c.reachedEnd) << c.name;
        EXPECT_EQ(s.looping, c.loop) << c.name;
        EXPECT_TRUE(std::isfinite(s.timeEnd)) << c.name;
    }
}

TEST(QVPlayableRTStateTests, SinglePlayerLoopingFollowsItsParentFlags)
{
    struct Case {
        char const* name;
        bool loop, subsNoLoop, subsLoop, rewind, scrub;
        bool looping;
    } const cases[] = {
        {"own loop", true, false, false, false, false, true},
        {"parent forbids", true, true, true, false, false, false},
        {"parent forces", false, false, true, false, false, true},
        {"rewinding never loops", true, false, true, true, false, false},
        {"scrubbing never loops", true, false, true, false, true, false},
        {"no loop", false, false, false, false, false, false},
    };
    for (Case const& c : cases) {
        QVPlayableRTInputs in;
        in.loop = c.loop;
        in.rewind = c.rewind;
        in.scrub = c.scrub;
        QVPlayableRTState parent = kQVNullPlayableRTState;
        parent.subsNoLoop = c.subsNoLoop;
        parent.subsLoop = c.subsLoop;
        QVPlayableRTState const s =
            QVComputeAtomicRTState(in, QVPlayableRTPrefs(), parent, kQVNullPlayableRTState, 0.01);
        EXPECT_EQ(s.looping, c.looping) << c.name;
    }
}

TEST(QVPlayableRTStateTests, ScrubbingPlayerMovesOnlyWhenItFollows)
{
    for (bool const follow : {false, true}) {
        QVPlayableRTInputs in;
        in.scrub = true;
        in.scrubFollow = follow;
        in.scrubSpeed = -2.0;
        in.speed = 5.0;  // ignored while scrubbing
        in.time = 4.0;
        QVPlayableRTState parent = SequenceParent(0, 10);
        parent.subSpeedFactor = 3.0;  // not applied while scrubbing
        QVPlayableRTState previous = kQVNullPlayableRTState;
        previous.playing = true;
        previous.scrubbing = true;
        QVPlayableRTState const s = QVComputeAtomicRTState(in, QVPlayableRTPrefs(), parent, previous, 0.5);
        EXPECT_TRUE(s.playing && s.scrubbing && !s.looping) << follow;
        EXPECT_DOUBLE_EQ(s.speed, -2.0) << follow;
        EXPECT_DOUBLE_EQ(s.timeEnd, follow ? 3.0 : 4.0) << follow;
        EXPECT_FALSE(s.reachedEnd) << follow;
    }
}

TEST(QVPlayableRTStateTests, SpeedBelowTheEpsilonIsSilentButTimeAdvances)
{
    QVPlayableRTInputs in;
    in.play = true;
    in.speed = 0.0005;
    in.time = 2.0;
    QVPlayableRTState previous = kQVNullPlayableRTState;
    previous.playing = true;
    QVPlayableRTState const s = QVComputeAtomicRTState(in, QVPlayableRTPrefs(), SequenceParent(0, 10), previous, 0.1);
    EXPECT_FALSE(s.active);
    EXPECT_NEAR(s.timeEnd, 2.0 + 0.0005 * 0.1, 1e-12);
}

TEST(QVPlayableRTStateTests, LevelsPanAndFadeCombineWithTheParent)
{
    QVPlayableRTInputs in;
    in.forward = true;
    in.rwdFwdSpeed = 3.0;
    in.gain = 2.0;
    in.panora = 0.25;
    in.fadio = 0.5;
    QVPlayableRTPrefs prefs;
    prefs.rwdFwdGainAttenuation = 0.5;
    QVPlayableRTState parent = kQVNullPlayableRTState;
    parent.totalGain = 0.5;
    parent.pan = -0.5;
    parent.fade = 0.8;
    parent.subSpeedFactor = 4.0;  // not applied while forwarding
    QVPlayableRTState const s = QVComputeAtomicRTState(in, prefs, parent, kQVNullPlayableRTState, 0.01);
    EXPECT_DOUBLE_EQ(s.speed, 3.0);
    EXPECT_DOUBLE_EQ(s.gain, 1.0);
    EXPECT_DOUBLE_EQ(s.totalGain, 0.5);
    EXPECT_DOUBLE_EQ(s.pan, -0.25);
    EXPECT_DOUBLE_EQ(s.fade, 0.4);
}

// --- The block driver ---

TEST(QVPlayableRTStateTests, ReachingTheEdgeEndsTheTransport)
{
    struct Case {
        char const* name;
        bool play, forward;
        bool playAfter;
    } const cases[] = {
        {"normal play stops", true, false, false},
        {"forward while playing resumes play", true, true, true},
        {"forward while stopped stays stopped", false, true, false},
    };
    for (Case const& c : cases) {
        FakeHead head;
        head.in.play = c.play;
        head.in.forward = c.forward;
        head.in.rwdFwdSpeed = 1.0;
        head.rwdFwdTarget = 1.0;
        head.in.time = 9.9;
        head.current.playing = true;
        QVPlayableRTState const s = QVComputeRTCurrState(head, SequenceParent(0, 10), 0.2, false);
        EXPECT_TRUE(s.reachedEnd) << c.name;
        EXPECT_DOUBLE_EQ(head.in.time, 10.0) << c.name;
        EXPECT_EQ(head.in.play, c.playAfter) << c.name;
        EXPECT_FALSE(head.in.forward) << c.name;
        EXPECT_GT(head.stamps, 0u) << c.name;
    }
}

TEST(QVPlayableRTStateTests, TimeGivenByAUserDuringTheBlockSurvivesIt)
{
    FakeHead head;
    head.in.time = 3.0;
    head.current.playing = true;
    QVComputeRTCurrState(head, SequenceParent(0, 10), 0.5, false);
    EXPECT_DOUBLE_EQ(head.in.time, 3.5);

    head.timeSet = true;
    head.in.time = 7.0;  // as if set while the block ran
    QVPlayableRTState const s = QVComputeRTCurrState(head, SequenceParent(0, 10), 0.5, false);
    EXPECT_DOUBLE_EQ(s.timeEnd, 7.5);
    EXPECT_DOUBLE_EQ(head.in.time, 7.0);
    EXPECT_FALSE(head.timeSet);
}

TEST(QVPlayableRTStateTests, ResetLeavesASilentCopyAsThePreviousState)
{
    FakeHead head;
    head.in.time = 4.0;
    head.previous.playing = true;  // stale values that a reset forgets
    head.previous.timeBeg = 99.0;
    head.current.timeBeg = 42.0;
    QVPlayableRTState const s = QVComputeRTCurrState(head, SequenceParent(0, 10), 0.0, true);
    EXPECT_TRUE(s.active);
    EXPECT_DOUBLE_EQ(s.timeBeg, 4.0);
    QVPlayableRTState expected = s;
    expected.active = false;
    EXPECT_EQ(0, std::memcmp(&head.previous, &expected, sizeof expected));
    EXPECT_EQ(0, std::memcmp(&head.current, &s, sizeof s));

    // Without reset the previous state is the last current one.
    QVComputeRTCurrState(head, SequenceParent(0, 10), 0.1, false);
    EXPECT_EQ(0, std::memcmp(&head.previous, &s, sizeof s));
}

TEST(QVPlayableRTStateTests, AScrubberThatStopsSilencesTheBlock)
{
    FakeHead head;
    head.in.scrub = true;
    head.scrubberStops = true;
    QVPlayableRTState const s = QVComputeRTCurrState(head, SequenceParent(0, 10), 0.1, false);
    EXPECT_FALSE(s.active);
    EXPECT_EQ(head.stamps, 1u);
}

TEST(QVPlayableRTStateTests, RewindRampReachesItsTargetAndNeverPassesIt)
{
    FakeHead head;
    head.in.play = false;
    head.in.rewind = true;
    head.in.rwdFwdSpeed = 1.0;
    head.in.time = 1e6;
    head.current.playing = true;
    QVPlayableRTState const parent = SequenceParent(-1e9, 1e9);
    int blocks = 0;
    while (head.in.rwdFwdSpeed < 10.0 && blocks < 1000) {
        QVPlayableRTState const s = QVComputeRTCurrState(head, parent, kRefBlock, false);
        ++blocks;
        EXPECT_LE(head.in.rwdFwdSpeed, 10.0);
        EXPECT_LT(s.speed, 0.0);
    }
    // 1.02^116 is about 9.9, 1.02^117 about 10.1 (then held at 10).
    EXPECT_EQ(blocks, 117);
    EXPECT_DOUBLE_EQ(head.in.rwdFwdSpeed, 10.0);
    unsigned int const stamps = head.stamps;
    QVComputeRTCurrState(head, parent, kRefBlock, false);
    EXPECT_DOUBLE_EQ(head.in.rwdFwdSpeed, 10.0);
    EXPECT_EQ(head.stamps, stamps);  // at the target nothing moves

    // The ramp does not depend on the block size: one block of 116 reference
    // blocks lands where 116 small ones do.
    double speed = 1.0;
    EXPECT_TRUE(QVPlayableRTRampRwdFwdSpeed(&speed, 100.0, 116 * kRefBlock));
    EXPECT_NEAR(speed, std::pow(1.02, 116), 1e-9);
    speed = 50.0;
    EXPECT_TRUE(QVPlayableRTRampRwdFwdSpeed(&speed, 10.0, kRefBlock));
    EXPECT_DOUBLE_EQ(speed, 10.0);
}

TEST(QVPlayableRTStateTests, WowStaysWithinItsBoundsAndClosesOnItsTarget)
{
    for (double const speed : {1.0, -2.0}) {
        FakeHead head;
        head.speedWow = 1.0;
        head.in.speed = speed;
        head.random.Reseed(1234);
        head.current.playing = true;
        QVPlayableRTState const parent = SequenceParent(-1e9, 1e9);
        double const reach = 0.05 * std::fabs(speed);
        int draws = 0;
        double lastTarget = head.wowTarget;
        for (int i = 0; i < 20000; ++i) {
            double const before = head.in.wowOffset;
            double const target = head.wowTarget;
            QVPlayableRTState const s = QVComputeRTCurrState(head, parent, kRefBlock, false);
            // 0.99 - 0.19 = 0.8: a fifth of the distance closed per reference block.
            double const expected = target + (before - target) * 0.8;
            ASSERT_NEAR(head.in.wowOffset, expected, 1e-12);
            ASSERT_LE(std::fabs(head.wowTarget), reach);
            ASSERT_LE(std::fabs(head.in.wowOffset), reach);
            ASSERT_NEAR(s.speed, speed + head.in.wowOffset, 1e-12);
            if (head.wowTarget != lastTarget) {
                ++draws;
                lastTarget = head.wowTarget;
            }
        }
        EXPECT_GT(draws, 100) << speed;
    }
}

TEST(QVPlayableRTStateTests, WowIsRepeatableForAFixedSeedAndOffWithoutWow)
{
    auto run = [](uint64_t seed) {
        FakeHead head;
        head.speedWow = 0.5;
        head.random.Reseed(seed);
        head.current.playing = true;
        double sum = 0.0;
        for (int i = 0; i < 2000; ++i) {
            QVComputeRTCurrState(head, SequenceParent(-1e9, 1e9), kRefBlock, false);
            sum += head.wowTarget;
        }
        return sum;
    };
    EXPECT_EQ(run(7), run(7));
    EXPECT_NE(run(7), run(8));

    uint64_t const saved = QVPlayableRTRandom::GetEngineSeed();
    QVPlayableRTRandom::SetEngineSeed(99);
    QVPlayableRTRandom a(5), b(5), c(6);
    EXPECT_EQ(a.Next(), b.Next());
    EXPECT_NE(a.Next(), c.Next());
    QVPlayableRTRandom::SetEngineSeed(saved);

    FakeHead head;
    head.in.wowOffset = 0.03;
    head.wowTarget = 0.04;
    QVComputeRTCurrState(head, SequenceParent(0, 10), kRefBlock, false);
    EXPECT_EQ(head.in.wowOffset, 0.0);
    EXPECT_EQ(head.wowTarget, 0.0);
}

// --- Multi-player window ---

TEST(QVPlayableRTStateTests, ReducedLiveIntervalNarrowsOrCollapses)
{
    struct Case {
        double beg, end, span;
        double outBeg, outEnd;
        bool collapsed;
    } const cases[] = {
        {0, 10, 2, 1, 9, false},
        {0, 10, 10, 5 - 5e-7, 5 + 5e-7, true},
        {0, 10, 12, 5 - 5e-7, 5 + 5e-7, true},
        {3, 3, 1, 3, 3, false},
        {5, 4, 1, 5, 4, false},
    };
    for (Case const& c : cases) {
        bool collapsed = true;
        AKTimeIntv const out =
            LowComputeReducedLiveIntv(kQVPlayableKindCursor, AKTimeIntv{c.beg, c.end}, c.span, &collapsed);
        EXPECT_NEAR(out.beg, c.outBeg, 1e-12) << c.beg << " " << c.end << " " << c.span;
        EXPECT_NEAR(out.end, c.outEnd, 1e-12) << c.beg << " " << c.end << " " << c.span;
        EXPECT_EQ(collapsed, c.collapsed);
    }
}

TEST(QVPlayableRTStateTests, MultiPlayerWindowCarriesItsSubs)
{
    struct Case {
        char const* name;
        double subx;
        double relativeSpeed;  // of the sub through the window
    } const cases[] = {
        {"same speed stays in place", 1.0, 0.0},
        {"double speed moves through the window", 2.0, 1.0},
    };
    for (Case const& c : cases) {
        FakeHead cursor(FakeHead::kCursor);
        cursor.in.loop = true;
        cursor.in.time = 9.0;
        cursor.in.span = 2.0;
        cursor.in.speedSubx = c.subx;
        cursor.current.playing = true;
        FakeHead sub;
        sub.in.kind = kQVPlayableKindAtomicSub;
        sub.in.play = false;  // plays because its multi-player does
        sub.in.time = 9.25;
        sub.current.playing = true;
        QVPlayableRTState const sequence = SequenceParent(0, 10);

        double const dt = 0.1;
        double offset = 0.25;  // of the sub from the window's centre
        bool wrapped = false;
        for (int i = 0; i < 12; ++i) {  // crosses the end of the sequence once
            QVPlayableRTState const w = QVComputeRTCurrState(cursor, sequence, dt, false);
            QVPlayableRTState const s = QVComputeRTCurrState(sub, w, dt, false);
            ASSERT_TRUE(w.looping && s.looping && s.playing) << c.name;
            ASSERT_DOUBLE_EQ(w.subsEnd - w.subsBeg, 2.0);
            wrapped = wrapped || w.subsTimeShift != 0.0;
            ASSERT_NEAR(s.timeBeg - 0.5 * (w.subsBeg + w.subsEnd), offset, 1e-9) << c.name << " block " << i;
            offset += c.relativeSpeed * dt;
            if (offset > 1.0)
                offset -= 2.0;
            ASSERT_DOUBLE_EQ(sub.in.time, s.timeEnd);
        }
        EXPECT_TRUE(wrapped) << c.name;
    }
}

TEST(QVPlayableRTStateTests, MultiPlayerWrapGivesItsSubsTheShift)
{
    QVPlayableRTInputs in;
    in.kind = kQVPlayableKindCursor;
    in.play = true;
    in.loop = true;
    in.speed = 1.0;
    in.time = 9.95;
    in.span = 2.0;
    QVPlayableRTState previous = kQVNullPlayableRTState;
    previous.playing = true;
    QVPlayableRTState const w = QVComputeCursorRTState(in, QVPlayableRTPrefs(), SequenceParent(0, 10), previous, 0.1);
    EXPECT_NEAR(w.timeEnd, 0.05, 1e-12);
    EXPECT_NEAR(w.subsTimeShift, -10.0, 1e-12);
    EXPECT_NEAR(w.subsBeg, 9.95 - 10.0 - 1.0, 1e-12);
    EXPECT_TRUE(w.subsLoop);
    EXPECT_TRUE(w.subsPlaying);

    // Backward through the begin.
    in.speed = -1.0;
    in.time = 0.05;
    QVPlayableRTState const b = QVComputeCursorRTState(in, QVPlayableRTPrefs(), SequenceParent(0, 10), previous, 0.1);
    EXPECT_NEAR(b.timeEnd, 9.95, 1e-12);
    EXPECT_NEAR(b.subsTimeShift, 10.0, 1e-12);

    // A window confined to a too short selection collapses and stops.
    QVPlayableRTPrefs confined;
    confined.multiSpanConfinedInSel = true;
    in.span = 20.0;
    QVPlayableRTState const c = QVComputeCursorRTState(in, confined, SequenceParent(0, 10), previous, 0.1);
    EXPECT_EQ(c.speed, 0.0);
    EXPECT_NEAR(c.liveEnd - c.liveBeg, 1e-6, 1e-12);

    // A scrubbing multi-player holds its time; its subs play only when the
    // preference says so.
    in.play = false;
    in.scrub = true;
    in.scrubSpeed = 3.0;
    QVPlayableRTState const d = QVComputeCursorRTState(in, QVPlayableRTPrefs(), SequenceParent(0, 10), previous, 0.1);
    EXPECT_EQ(d.timeEnd, d.timeBeg);
    EXPECT_TRUE(d.playing);
    EXPECT_FALSE(d.subsPlaying);
    QVPlayableRTPrefs autoPlay;
    autoPlay.multiAutoPlayWhenScrub = true;
    EXPECT_TRUE(QVComputeCursorRTState(in, autoPlay, SequenceParent(0, 10), previous, 0.1).subsPlaying);
}

TEST(QVPlayableRTStateTests, SequenceOffersItsSpanOrItsFullInterval)
{
    QVPlayableRTInputs in;
    in.kind = kQVPlayableKindSequence;
    in.time = 5.0;
    in.span = 2.0;
    in.gain = 0.5;
    QVPlayableRTState const spanned = QVComputeSequenceRTState(in, QVPlayableRTPrefs(), AKTimeIntv{0, 10});
    EXPECT_DOUBLE_EQ(spanned.subsBeg, 4.0);
    EXPECT_DOUBLE_EQ(spanned.subsEnd, 6.0);
    EXPECT_FALSE(spanned.subsNoLoop);
    EXPECT_DOUBLE_EQ(spanned.totalGain, 0.5);
    EXPECT_FALSE(spanned.playing);

    in.span = 0.0;
    QVPlayableRTState const full = QVComputeSequenceRTState(in, QVPlayableRTPrefs(), AKTimeIntv{1, 9});
    EXPECT_DOUBLE_EQ(full.subsBeg, 1.0);
    EXPECT_DOUBLE_EQ(full.subsEnd, 9.0);
    EXPECT_TRUE(full.subsNoLoop);

    // Looping over a sequence without tracks: nothing to wrap, the time stays finite.
    FakeHead head;
    head.in.loop = true;
    head.in.time = 0.0;
    head.current.playing = true;
    for (int i = 0; i < 10; ++i)
        QVComputeRTCurrState(head, SequenceParent(0, 0), 0.1, false);
    EXPECT_TRUE(std::isfinite(head.in.time));
    EXPECT_NEAR(head.in.time, 1.0, 1e-9);
}

TEST(QVPlayableRTStateTests, ABlockAllocatesNothing)
{
    FakeHead cursor(FakeHead::kCursor);
    cursor.in.loop = true;
    cursor.in.span = 2.0;
    cursor.speedWow = 1.0;
    FakeHead sub;
    sub.in.rewind = true;
    sub.in.rwdFwdSpeed = 1.0;
    QVPlayableRTState const sequence = SequenceParent(0, 10);
    AllocationProbe probe;
    for (int i = 0; i < 1000; ++i) {
        QVPlayableRTState const w = QVComputeRTCurrState(cursor, sequence, kRefBlock, i == 0);
        QVComputeRTCurrState(sub, w, kRefBlock, i == 0);
    }
    probe.Stop();
    EXPECT_EQ(AllocationProbe::Count(), 0u);
}

}  // namespace
