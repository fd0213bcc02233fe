#pragma once

#include <atomic>
#include <pthread.h>

class AKThreadClient;

using AKThreadProc = void (*)(void* userData);

// One background thread that calls its client over and over, resting after
// each call so that the client takes the expected share of the processor, or,
// in real-time mode, so that calls start at a fixed period.
//
// The owner (main) thread calls Start, Pause, UnPause, Stop and the setters.
// When Pause returns, the client is not in its callback and does not enter it
// again until every Pause has been matched by an UnPause; Stop returns once
// the worker has left its loop. The load and timing figures are written by the
// worker and may be read at any time.
class AKThread
{
public:
    static constexpr double kMinExpectedCpuUsage = 0.01;
    static constexpr double kMaxExpectedCpuUsage = 0.9;
    static constexpr double kMaxRealTimePeriodSec = 0.1;

    AKThread(AKThreadClient* client, double expectedCpuUsage);
    AKThread(AKThreadProc proc, void* userData, double expectedCpuUsage);
    ~AKThread();

    AKThread(AKThread const&) = delete;
    AKThread& operator=(AKThread const&) = delete;

    // Clamped to 0.01-0.9; true when the share changed.
    bool SetExpectedCpuUsage(double share);
    // Period in seconds, clamped to 0-0.1 (0 ends the fixed period); true when it changed.
    bool SetRealTimeMode(double periodSec);

    // Creates the thread unless it exists; 0, or kAKErrorCantStartThread (logged).
    int Start();
    // Waits until the client is not being called, then raises the pause count.
    void Pause();
    // Lowers the pause count when above 0; returns the new count.
    int UnPause();
    // Ends the thread, a call in progress finishing first; nothing without a thread.
    // The share, the period and the client survive, so Start may run it again.
    // Asked from the client's own call, it only ends the loop after that call.
    void Stop();

    // Owner thread only. Stays true after a Stop asked from the client's own
    // call until the owner's Stop joins the ended thread.
    bool IsRunning() const { return mHasThread; }
    int GetPauseCount() const { return mPauseCount.load(); }
    double GetExpectedCpuUsage() const { return mExpectedCpuUsage.load(std::memory_order_relaxed); }
    double GetRealTimePeriod() const { return mRealTimePeriodSec.load(std::memory_order_relaxed); }
    // Smoothed fraction of the thread's time spent in the client; 0 until measured.
    double GetLoad() const { return mLoad.load(std::memory_order_relaxed); }
    // Start (application clock) and duration of the last call, in microseconds.
    double GetLastCallStartTime() const { return mLastCallStart.load(std::memory_order_relaxed); }
    double GetLastCallDuration() const { return mLastCallDuration.load(std::memory_order_relaxed); }

    // Rest after a call of the given duration: with a period above 0, what is
    // left of the period; otherwise duration x (1/share - 1), or duration x 99
    // for a share of 0.01 or less. Not positive: no rest.
    static double ComputeRestMicroSec(double durationMicroSec, double expectedCpuUsage, double periodSec);

    // The load after a call: `figure` when the load is still 0, else the load
    // moved a fifth of the way towards it.
    static double ComputeNextLoad(double load, double figure);

private:
    static void* ThreadEntry(void* thread);
    void RunLoop();
    // Waits while paused; false when the stop flag was seen.
    bool WaitWhilePaused();
    // Sleeps the rest, leaving early when asked to stop.
    void Rest(double restMicroSec);
    bool IsWorkerThread() const;

    pthread_t mThread{};
    bool mHasThread = false;  // owner thread only
    std::atomic<bool> mStopRequested{false};
    std::atomic<bool> mBusy{false};
    std::atomic<int> mPauseCount{0};
    std::atomic<double> mExpectedCpuUsage{kMinExpectedCpuUsage};
    std::atomic<double> mRealTimePeriodSec{0.0};
    std::atomic<double> mLoad{0.0};
    std::atomic<double> mLastCallStart{0.0};
    std::atomic<double> mLastCallDuration{0.0};
    AKThreadClient* const mClient;
    AKThreadProc const mProc;
    void* const mUserData;
};

// Base of the classes that do the work of a worker thread: it owns an
// AKThread whose client is itself. A subclass must stop the thread in its own
// destructor: by the time this base is destroyed, its callback is gone.
class AKThreadClient
{
public:
    explicit AKThreadClient(double expectedCpuUsage);
    virtual ~AKThreadClient();

    // One unit of work, called on the worker thread.
    virtual void ThreadCallback() = 0;

    AKThread& GetThread() { return mThread; }
    AKThread const& GetThread() const { return mThread; }

protected:
    AKThread mThread;
};
