#include "AKThread.h"

#include "AKLog.h"
#include "AKSys.h"

#include <cmath>

namespace {

// The AKThread whose loop runs on the calling thread, if any.
thread_local AKThread const* sCurrentWorker = nullptr;

constexpr double kPollMicroSec = 10.0;
constexpr double kLongestPauseSleepMicroSec = 10000.0;
// A long rest is slept in slices so that Stop is not kept waiting.
constexpr double kRestSliceMicroSec = 10000.0;

// Clamps into [low, high]; NaN gives low.
double Clamp(double value, double low, double high)
{
    if (!(value >= low))
        return low;
    return value > high ? high : value;
}

}  // namespace

AKThread::AKThread(AKThreadClient* client, double expectedCpuUsage)
    : mExpectedCpuUsage(Clamp(expectedCpuUsage, kMinExpectedCpuUsage, kMaxExpectedCpuUsage)), mClient(client),
      mProc(nullptr), mUserData(nullptr)
{}

AKThread::AKThread(AKThreadProc proc, void* userData, double expectedCpuUsage)
    : mExpectedCpuUsage(Clamp(expectedCpuUsage, kMinExpectedCpuUsage, kMaxExpectedCpuUsage)), mClient(nullptr),
      mProc(proc), mUserData(userData)
{}

AKThread::~AKThread() { Stop(); }

bool AKThread::SetExpectedCpuUsage(double share)
{
    share = Clamp(share, kMinExpectedCpuUsage, kMaxExpectedCpuUsage);
    return mExpectedCpuUsage.exchange(share, std::memory_order_relaxed) != share;
}

bool AKThread::SetRealTimeMode(double periodSec)
{
    periodSec = Clamp(periodSec, 0.0, kMaxRealTimePeriodSec);
    return mRealTimePeriodSec.exchange(periodSec, std::memory_order_relaxed) != periodSec;
}

int AKThread::Start()
{
    if (mHasThread)
        return 0;
    mStopRequested.store(false);
    if (pthread_create(&mThread, nullptr, &AKThread::ThreadEntry, this) != 0)
        return AKLogError(kAKErrorCantStartThread, "Can't start thread");
    mHasThread = true;
    return 0;
}

void AKThread::Pause()
{
    // The count is raised first and the busy flag read after it; the worker
    // sets its busy flag first and reads the count after it (both sequentially
    // consistent). So either the worker sees the pause and calls nothing, or
    // this sees it busy and waits until its call has returned.
    mPauseCount.fetch_add(1);
    if (IsWorkerThread() || !mHasThread)
        return;  // a client pausing its own thread is inside its call; no thread, no call
    while (mBusy.load())
        AKSys::SleepMicroSec(kPollMicroSec);
}

int AKThread::UnPause()
{
    int count = mPauseCount.load();
    if (count > 0)
        mPauseCount.store(--count);
    return count;
}

void AKThread::Stop()
{
    if (IsWorkerThread()) {
        // Asked from the client's own call: the loop ends when the call
        // returns; the next Stop from the owner (or the destructor) joins it.
        mStopRequested.store(true);
        return;
    }
    if (!mHasThread)
        return;
    mStopRequested.store(true);
    mPauseCount.store(0);
    // Joining waits until the worker has left its loop (a call in progress finishes first).
    pthread_join(mThread, nullptr);
    mHasThread = false;
    mStopRequested.store(false);
    mLoad.store(0.0, std::memory_order_relaxed);
    mLastCallStart.store(0.0, std::memory_order_relaxed);
}

double AKThread::ComputeRestMicroSec(double durationMicroSec, double expectedCpuUsage, double periodSec)
{
    if (periodSec > 0.0)
        return periodSec * 1000000.0 - durationMicroSec;
    if (expectedCpuUsage <= kMinExpectedCpuUsage)
        return durationMicroSec * 99.0;
    if (expectedCpuUsage > kMaxExpectedCpuUsage)
        expectedCpuUsage = kMaxExpectedCpuUsage;
    return durationMicroSec * (1.0 / expectedCpuUsage - 1.0);
}

double AKThread::ComputeNextLoad(double load, double figure)
{
    return load == 0.0 ? figure : load + 0.2 * (figure - load);
}

void* AKThread::ThreadEntry(void* thread)
{
    AKThread* self = static_cast<AKThread*>(thread);
    sCurrentWorker = self;
    self->RunLoop();
    sCurrentWorker = nullptr;
    return nullptr;
}

bool AKThread::IsWorkerThread() const { return sCurrentWorker == this; }

void AKThread::RunLoop()
{
    bool hasPreviousCall = false;
    double previousStart = 0.0;
    double previousDuration = 0.0;
    for (;;) {
        if (mPauseCount.load() > 0 && !WaitWhilePaused())
            break;
        double start = AKSys::GetCurrentApplicationTimeMicroSec();
        if (mStopRequested.load())
            break;

        mBusy.store(true);
        if (mPauseCount.load() > 0) {
            // Paused between the wait and the busy flag: back to waiting.
            mBusy.store(false);
            continue;
        }
        if (mClient != nullptr)
            mClient->ThreadCallback();
        else if (mProc != nullptr)
            mProc(mUserData);
        mBusy.store(false);
        if (mStopRequested.load())
            break;

        double duration = AKSys::GetCurrentApplicationTimeMicroSec() - start;
        if (hasPreviousCall) {
            double between = start - previousStart;
            double figure = between > 0.0 ? previousDuration / between : 0.0;
            mLoad.store(ComputeNextLoad(mLoad.load(std::memory_order_relaxed), figure), std::memory_order_relaxed);
        }
        hasPreviousCall = true;
        previousStart = start;
        previousDuration = duration;
        mLastCallStart.store(start, std::memory_order_relaxed);
        mLastCallDuration.store(duration, std::memory_order_relaxed);

        Rest(ComputeRestMicroSec(duration, mExpectedCpuUsage.load(std::memory_order_relaxed),
                                 mRealTimePeriodSec.load(std::memory_order_relaxed)));
    }
    mStopRequested.store(false);
}

bool AKThread::WaitWhilePaused()
{
    // 10 sleeps of 10 us, 10 of 100 us, 10 of 1 ms, then 10 ms for as long as it lasts.
    double step = kPollMicroSec;
    int sleepsAtStep = 0;
    while (mPauseCount.load() > 0) {
        AKSys::SleepMicroSec(step);
        if (mStopRequested.load())
            return false;
        if (++sleepsAtStep == 10 && step < kLongestPauseSleepMicroSec) {
            step *= 10.0;
            sleepsAtStep = 0;
        }
    }
    return true;
}

void AKThread::Rest(double restMicroSec)
{
    // Whole microseconds, as one sleep would round them.
    restMicroSec = std::floor(restMicroSec + 0.5);
    while (restMicroSec > 0.0 && !mStopRequested.load()) {
        double slice = restMicroSec < kRestSliceMicroSec ? restMicroSec : kRestSliceMicroSec;
        AKSys::SleepMicroSec(slice);
        restMicroSec -= slice;
    }
}

AKThreadClient::AKThreadClient(double expectedCpuUsage) : mThread(this, expectedCpuUsage) {}

AKThreadClient::~AKThreadClient() { mThread.Stop(); }
