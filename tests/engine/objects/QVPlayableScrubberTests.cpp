// Scrubbers: the kind and follow flag chosen from the scratch preferences,
// time smoothing, speed smoothing with immediate start and reversal and the
// auto-stop of a hand that paused, silent jumps for violent drags, and the
// audio-thread step allocating nothing.

#include "AllocationProbe.h"
#include "QVPlayableConstants.h"
#include "QVPlayableScrubber.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr double kBlock = 256.0 / 44100.0;  // one reference block

double& FakeNow()
{
    static double sNow = 0.0;
    return sNow;
}
double FakeClock() { return FakeNow(); }

// The shared preferences with the scratch settings of a case; restored after.
class ScratchPrefs
{
public:
    explicit ScratchPrefs(unsigned int algoMode) : mSaved(QVPrefs::sShared)
    {
        QVPrefs::sShared.SetupDefaults();
        QVPrefs::sShared.SetPlayerScratchAlgoMode(algoMode);
    }
    ~ScratchPrefs() { QVPrefs::sShared = mSaved; }

private:
    QVPrefs mSaved;
};

TEST(QVPlayableScrubber, NewScrubberFollowsTheScratchMode)
{
    struct Case {
        bool scratchAllowed;
        unsigned int algoMode;
        bool speedSmoothing;  // QVPlayableScrubber2
        bool follow;
    };
    for (Case const& c : {Case{true, 2, true, true}, Case{true, 1, false, true}, Case{true, 0, false, false},
                          Case{false, 2, false, false}, Case{false, 1, false, false}}) {
        ScratchPrefs prefs(c.algoMode);
        std::unique_ptr<QVPlayableScrubber> scrubber(QVPlayableScrubber::NewScrubber(c.scratchAllowed, 7.5));
        ASSERT_NE(scrubber, nullptr);
        EXPECT_EQ(dynamic_cast<QVPlayableScrubber2*>(scrubber.get()) != nullptr, c.speedSmoothing)
            << c.scratchAllowed << " " << c.algoMode;
        EXPECT_EQ(scrubber->IsFollow(), c.follow) << c.scratchAllowed << " " << c.algoMode;
        if (auto* const timed = dynamic_cast<QVPlayableScrubber1*>(scrubber.get())) {
            EXPECT_EQ(timed->GetCurrentTime(), 7.5);
            EXPECT_EQ(timed->GetTargetTime(), 7.5);
        }
    }
}

TEST(QVPlayableScrubber, TimeSmoothingOneBlockFromTheTarget)
{
    struct Case {
        char const* name;
        bool follow;
        double ahead;  // target - current, s
        double dt;
        bool changed;
        bool stop;
        double speed;  // reported
        double moved;  // current time after the block - before
    };
    double const f = 0.85 + 0.07 * 0.8;  // 0.906 per reference block
    Case const cases[] = {
        {"at the target", true, 0.0, kBlock, false, true, 0.0, 0.0},
        {"one second ahead", true, 1.0, kBlock, true, false, (1 - f) / kBlock, 1 - f},
        {"one second behind", true, -1.0, kBlock, true, false, -(1 - f) / kBlock, -(1 - f)},
        {"two reference blocks", true, 1.0, 2 * kBlock, true, false, (1 - f * f) / (2 * kBlock), 1 - f * f},
        {"within the stop distance", true, 0.0008, kBlock, true, true, 0.0, 0.0008},
        {"violent drag", true, 10.0, kBlock, true, true, 10 * (1 - f) / kBlock, 10 * (1 - f)},
        {"not following", false, 1.0, kBlock, true, true, (1 - f) / kBlock, 1 - f},
    };
    for (Case const& c : cases) {
        QVPlayableScrubber1 scrubber(c.follow, 0.8, 3.0);
        double speed = -1.0;
        EXPECT_EQ(scrubber.SetCurrentTargetTime(3.0 + c.ahead, 3.0, &speed), c.ahead != 0.0) << c.name;
        EXPECT_EQ(speed, 0.0) << c.name;

        double time = -1.0;
        bool stop = false;
        EXPECT_EQ(scrubber.ComputeCurrentRTScrub(c.dt, &time, &speed, &stop), c.changed) << c.name;
        EXPECT_EQ(stop, c.stop) << c.name;
        EXPECT_NEAR(speed, c.speed, 1e-9) << c.name;
        EXPECT_NEAR(scrubber.GetCurrentTime() - 3.0, c.moved, 1e-12) << c.name;
        // The time is written only with a stop, and then it is the target.
        EXPECT_EQ(time, c.stop ? 3.0 + c.ahead : -1.0) << c.name;
    }

    // The worked case: 0.094 s and a speed of about 16.2 after one block.
    QVPlayableScrubber1 scrubber(true, 0.8, 0.0);
    double speed = 0.0;
    scrubber.SetCurrentTargetTime(1.0, 0.0, &speed);
    double time = 0.0;
    bool stop = true;
    scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
    EXPECT_NEAR(scrubber.GetCurrentTime(), 0.094, 1e-12);
    EXPECT_NEAR(speed, 16.2, 0.05);
    EXPECT_FALSE(stop);
}

TEST(QVPlayableScrubber, TimeSmoothingConvergesThenSnapsAndStops)
{
    QVPlayableScrubber1 scrubber(true, 0.8, 0.0);
    double speed = 0.0;
    scrubber.SetCurrentTargetTime(1.0, 0.0, &speed);
    double time = -1.0;
    bool stop = false;
    int blocks = 0;
    while (!stop && blocks < 1000) {
        scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
        ++blocks;
    }
    ASSERT_TRUE(stop);
    // Slow enough to be inaudible, or snapped within a millisecond.
    EXPECT_LE(std::fabs(1.0 - scrubber.GetCurrentTime()), kQVEngineScratchStopDur + 1e-12);
    EXPECT_EQ(time, 1.0);
    // It snapped onto the target; once there, nothing changes any more.
    EXPECT_EQ(scrubber.GetCurrentTime(), 1.0);
    EXPECT_FALSE(scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop));
    EXPECT_TRUE(stop);
}

TEST(QVPlayableScrubber, SpeedSmoothingStartsAndReversesAtOnce)
{
    FakeNow() = 1.0;
    QVPlayableScrubber2 scrubber(0.8, 0.04, 5.0, &FakeClock);
    double speed = -1.0;
    // The first target gives no speed yet.
    EXPECT_FALSE(scrubber.SetCurrentTargetTime(5.0, 5.0, &speed));
    EXPECT_EQ(speed, 0.0);

    FakeNow() = 1.01;
    EXPECT_TRUE(scrubber.SetCurrentTargetTime(5.1, 5.0, &speed));
    EXPECT_NEAR(speed, 10.0, 1e-9);  // 0.1 s of sound in 0.01 s, at once

    FakeNow() = 1.015;
    double time = -1.0;
    bool stop = true;
    EXPECT_TRUE(scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop));
    EXPECT_FALSE(stop);
    EXPECT_NEAR(speed, 10.0, 1e-9);
    EXPECT_EQ(time, -1.0);

    // Faster in the same direction: smoothed, not immediate.
    FakeNow() = 1.02;
    scrubber.SetCurrentTargetTime(5.22, 5.1, &speed);
    EXPECT_NEAR(scrubber.GetTargetSpeed(), 12.0, 1e-9);
    EXPECT_NEAR(speed, 10.0, 1e-9);
    scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
    EXPECT_NEAR(speed, 12.0 - 2.0 * (0.8 + 0.12 * 0.8), 1e-9);

    // A reversal is immediate.
    FakeNow() = 1.03;
    scrubber.SetCurrentTargetTime(5.12, 5.2, &speed);
    EXPECT_NEAR(speed, -10.0, 1e-9);
    EXPECT_NEAR(scrubber.GetCurrentSpeed(), -10.0, 1e-9);
}

TEST(QVPlayableScrubber, SpeedSmoothingStopsWhenTheHandPausesOrDragsViolently)
{
    struct Case {
        char const* name;
        double secondTarget;
        double blockAt;  // clock of the block
        bool stop;
    };
    for (Case const& c : {Case{"moving", 5.1, 1.03, false}, Case{"paused past the delay", 5.1, 1.051, true},
                          Case{"violent drag", 6.0, 1.02, true}}) {
        FakeNow() = 1.0;
        QVPlayableScrubber2 scrubber(0.8, 0.04, 5.0, &FakeClock);
        double speed = 0.0;
        scrubber.SetCurrentTargetTime(5.0, 5.0, &speed);
        FakeNow() = 1.01;
        scrubber.SetCurrentTargetTime(c.secondTarget, 5.0, &speed);
        FakeNow() = c.blockAt;
        double time = -1.0;
        bool stop = !c.stop;
        EXPECT_TRUE(scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop)) << c.name;
        EXPECT_EQ(stop, c.stop) << c.name;
        EXPECT_EQ(time, c.stop ? c.secondTarget : -1.0) << c.name;
    }

    // After the auto-stop both speeds are 0 and the next block is quiet.
    FakeNow() = 1.0;
    QVPlayableScrubber2 scrubber(0.8, 0.04, 5.0, &FakeClock);
    double speed = 0.0;
    scrubber.SetCurrentTargetTime(5.0, 5.0, &speed);
    FakeNow() = 1.01;
    scrubber.SetCurrentTargetTime(5.1, 5.0, &speed);
    FakeNow() = 1.1;
    double time = 0.0;
    bool stop = false;
    scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
    EXPECT_EQ(speed, 0.0);
    EXPECT_EQ(scrubber.GetTargetSpeed(), 0.0);
    EXPECT_FALSE(scrubber.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop));
    EXPECT_TRUE(stop);
    EXPECT_EQ(time, 5.1);
}

TEST(QVPlayableScrubber, TheAudioThreadStepAllocatesNothing)
{
    QVPlayableScrubber1 timed(true, 0.8, 0.0);
    QVPlayableScrubber2 speedy(0.8, 0.04, 0.0);  // the application clock
    double speed = 0.0;
    timed.SetCurrentTargetTime(2.0, 0.0, &speed);
    speedy.SetCurrentTargetTime(0.0, 0.0, &speed);
    speedy.SetCurrentTargetTime(0.01, 0.0, &speed);
    double time = 0.0;
    bool stop = false;
    QVPlayableScrubber2::ApplicationClock();
    AllocationProbe probe;
    for (int i = 0; i < 64; ++i) {
        timed.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
        speedy.ComputeCurrentRTScrub(kBlock, &time, &speed, &stop);
    }
    AllocationProbe::Stop();
    EXPECT_EQ(AllocationProbe::Count(), 0u);
}

}  // namespace
