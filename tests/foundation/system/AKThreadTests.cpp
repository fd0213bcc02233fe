#include "AKThread.h"

#include "AKSys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

// Waits until the condition holds; false after a generous deadline, so a
// broken thread fails the test instead of hanging it.
bool WaitUntil(std::function<bool()> const& condition)
{
    for (int i = 0; i < 100000; ++i) {
        if (condition())
            return true;
        AKSys::SleepMicroSec(100);
    }
    return condition();
}

// Counts its calls and every call that runs while the owner says it is paused.
class PauseWatcher : public AKThreadClient
{
public:
    explicit PauseWatcher(double share = 0.9) : AKThreadClient(share) {}
    ~PauseWatcher() override { GetThread().Stop(); }

    void ThreadCallback() override
    {
        if (mOwnerPaused.load())
            mViolations.fetch_add(1);
        for (int i = 0; i < 50; ++i)  // widen the window in which a pause could slip in
            mSpin.fetch_add(1, std::memory_order_relaxed);
        if (mOwnerPaused.load())
            mViolations.fetch_add(1);
        mCalls.fetch_add(1);
        if (mStopAtCall != 0 && mCalls.load() == mStopAtCall)
            GetThread().Stop();
    }

    long Calls() const { return mCalls.load(); }
    bool WaitForMoreCalls()
    {
        long const before = Calls();
        return WaitUntil([&] { return Calls() > before + 1; });
    }

    std::atomic<bool> mOwnerPaused{false};
    std::atomic<int> mViolations{0};
    std::atomic<long> mCalls{0};
    std::atomic<long> mSpin{0};
    long mStopAtCall = 0;
};

TEST(AKThread, RestFollowsShareOrPeriod)
{
    struct RestCase {
        double durationMicroSec, share, periodSec, expectedRestMicroSec;
    };
    RestCase const cases[] = {
        {5000, 0.2, 0, 20000},    // a fifth of the processor: 5 ms of work, 20 ms of rest
        {5000, 0.01, 0, 495000},  // the smallest share: 99 times the call
        {5000, 0.001, 0, 495000},
        {5000, 0.2, 0.05, 45000},  // a fixed period of 50 ms
        {5000, 0.9, 0, 5000 * (1.0 / 0.9 - 1.0)},
    };
    for (RestCase const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.durationMicroSec << " us, share " << c.share << ", period "
                                        << c.periodSec);
        EXPECT_DOUBLE_EQ(AKThread::ComputeRestMicroSec(c.durationMicroSec, c.share, c.periodSec),
                         c.expectedRestMicroSec);
    }
    // A call longer than the period is followed at once by the next one.
    EXPECT_LE(AKThread::ComputeRestMicroSec(60000, 0.2, 0.05), 0.0);
}

TEST(AKThread, LoadIsSmoothedTowardsEachFigure)
{
    EXPECT_DOUBLE_EQ(AKThread::ComputeNextLoad(0.0, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(AKThread::ComputeNextLoad(0.5, 1.0), 0.6);
    EXPECT_DOUBLE_EQ(AKThread::ComputeNextLoad(0.5, 0.0), 0.4);
}

TEST(AKThread, SettersClampAndReportChanges)
{
    AKThread thread(static_cast<AKThreadProc>(nullptr), nullptr, 5.0);
    EXPECT_DOUBLE_EQ(thread.GetExpectedCpuUsage(), 0.9);

    EXPECT_TRUE(thread.SetExpectedCpuUsage(0.001));
    EXPECT_DOUBLE_EQ(thread.GetExpectedCpuUsage(), 0.01);
    EXPECT_DOUBLE_EQ(AKThread::ComputeRestMicroSec(1000, thread.GetExpectedCpuUsage(), 0), 99000);
    EXPECT_FALSE(thread.SetExpectedCpuUsage(0.0));  // also clamped to 0.01: no change
    EXPECT_TRUE(thread.SetExpectedCpuUsage(2.0));
    EXPECT_DOUBLE_EQ(thread.GetExpectedCpuUsage(), 0.9);

    EXPECT_FALSE(thread.SetRealTimeMode(-1.0));  // already 0
    EXPECT_DOUBLE_EQ(thread.GetRealTimePeriod(), 0.0);
    EXPECT_TRUE(thread.SetRealTimeMode(1.0));
    EXPECT_DOUBLE_EQ(thread.GetRealTimePeriod(), 0.1);
    EXPECT_FALSE(thread.SetRealTimeMode(0.5));
    EXPECT_TRUE(thread.SetRealTimeMode(0.0));
}

TEST(AKThread, CallbackNeverRunsBetweenPauseAndUnPause)
{
    PauseWatcher watcher;
    AKThread& thread = watcher.GetThread();
    ASSERT_EQ(thread.Start(), 0);
    for (int i = 0; i < 3000; ++i) {
        thread.Pause();
        watcher.mOwnerPaused.store(true);
        if (i % 8 == 0)
            AKSys::SleepMicroSec(20);  // let the worker try to run while paused
        watcher.mOwnerPaused.store(false);
        EXPECT_EQ(thread.UnPause(), 0);
        if (i % 4 == 0) {
            ASSERT_TRUE(watcher.WaitForMoreCalls()) << "worker stopped calling at iteration " << i;
        }
    }
    thread.Stop();
    EXPECT_EQ(watcher.mViolations.load(), 0);
    EXPECT_GT(watcher.Calls(), 750);
}

TEST(AKThread, PausesNest)
{
    PauseWatcher watcher;
    AKThread& thread = watcher.GetThread();
    ASSERT_EQ(thread.Start(), 0);
    ASSERT_TRUE(watcher.WaitForMoreCalls());

    thread.Pause();
    thread.Pause();
    watcher.mOwnerPaused.store(true);
    EXPECT_EQ(thread.UnPause(), 1);
    long const callsWhilePaused = watcher.Calls();
    AKSys::SleepMicroSec(20000);  // still paused: nothing may run meanwhile
    EXPECT_EQ(watcher.Calls(), callsWhilePaused);
    watcher.mOwnerPaused.store(false);

    EXPECT_EQ(thread.UnPause(), 0);
    EXPECT_TRUE(watcher.WaitForMoreCalls());
    EXPECT_EQ(thread.UnPause(), 0);  // never below 0
    EXPECT_EQ(thread.GetPauseCount(), 0);
    EXPECT_EQ(watcher.mViolations.load(), 0);
}

TEST(AKThread, StopWhilePausedEndsTheThread)
{
    PauseWatcher watcher;
    AKThread& thread = watcher.GetThread();
    ASSERT_EQ(thread.Start(), 0);
    ASSERT_TRUE(watcher.WaitForMoreCalls());
    thread.Pause();
    thread.Pause();
    long const calls = watcher.Calls();

    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetPauseCount(), 0);
    EXPECT_EQ(watcher.Calls(), calls);

    // Share and client survive: the thread can run again.
    EXPECT_EQ(thread.Start(), 0);
    EXPECT_TRUE(watcher.WaitForMoreCalls());
    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
}

TEST(AKThread, StartAndStopAreIdempotent)
{
    PauseWatcher watcher;
    AKThread& thread = watcher.GetThread();
    thread.Stop();  // no thread: nothing
    EXPECT_FALSE(thread.IsRunning());

    // A pause taken before the start holds the new thread back.
    thread.Pause();
    EXPECT_EQ(thread.GetPauseCount(), 1);
    watcher.mOwnerPaused.store(true);
    ASSERT_EQ(thread.Start(), 0);
    EXPECT_EQ(thread.Start(), 0);
    EXPECT_TRUE(thread.IsRunning());
    AKSys::SleepMicroSec(10000);
    EXPECT_EQ(watcher.Calls(), 0);
    watcher.mOwnerPaused.store(false);
    thread.UnPause();
    EXPECT_TRUE(watcher.WaitForMoreCalls());
    thread.Stop();
    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(watcher.mViolations.load(), 0);
}

TEST(AKThread, CallsAPlainFunctionWithItsUserData)
{
    std::atomic<int> calls{0};
    AKThread thread([](void* data) { static_cast<std::atomic<int>*>(data)->fetch_add(1); }, &calls, 0.9);
    ASSERT_EQ(thread.Start(), 0);
    EXPECT_TRUE(WaitUntil([&] { return calls.load() >= 3; }));
    thread.Stop();
    int const afterStop = calls.load();
    AKSys::SleepMicroSec(5000);
    EXPECT_EQ(calls.load(), afterStop);
}

TEST(AKThread, MeasuresLoadUntilStopped)
{
    std::atomic<int> calls{0};
    AKThread thread(
        [](void* data) {
            AKSys::SleepMicroSec(300);
            static_cast<std::atomic<int>*>(data)->fetch_add(1);
        },
        &calls, 0.5);
    ASSERT_EQ(thread.Start(), 0);
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 5 && thread.GetLoad() > 0.0; }));
    EXPECT_LE(thread.GetLoad(), 1.0);
    EXPECT_GT(thread.GetLastCallDuration(), 0.0);
    thread.Stop();
    EXPECT_EQ(thread.GetLoad(), 0.0);
    EXPECT_EQ(thread.GetLastCallStartTime(), 0.0);
}

TEST(AKThread, StopFromTheClientsOwnCallEndsTheLoop)
{
    PauseWatcher watcher;
    watcher.mStopAtCall = 3;
    AKThread& thread = watcher.GetThread();
    ASSERT_EQ(thread.Start(), 0);
    ASSERT_TRUE(WaitUntil([&] { return watcher.Calls() >= 3; }));
    AKSys::SleepMicroSec(10000);
    EXPECT_EQ(watcher.Calls(), 3);
    thread.Stop();  // joins the ended thread
    EXPECT_FALSE(thread.IsRunning());
}

}  // namespace
