#pragma once

#include <vector>

// The main thread's run loop of periodic timers. Nothing fires by itself: the
// host pumps the loop on the main thread (the application from a toolkit
// timer, a test or a console host with RunFor), and each pump calls the
// timers that are due. Main thread only; no lock.
//
// A new timer is due at once, so its first call comes with the next pump;
// after that it is due every interval, keeping its phase: a late pump fires
// it once and the missed firings are dropped.

using AKRunLoopTimerProc = void (*)(void* userData);

class AKMainRunLoop
{
public:
    static AKMainRunLoop sShared;

    AKMainRunLoop() = default;
    AKMainRunLoop(AKMainRunLoop const&) = delete;
    AKMainRunLoop& operator=(AKMainRunLoop const&) = delete;

    // Adds a timer calling proc(userData) every intervalSec seconds. Returns
    // its ID (never 0, never reused), or 0 for a null proc or an interval
    // that is not a positive finite number.
    unsigned int AddTimer(AKRunLoopTimerProc proc, void* userData, double intervalSec);

    // Removes the timer; false when there is no such timer. A timer removed
    // from inside a pump is not called again, not even later in that pump.
    bool RemoveTimer(unsigned int timerID);

    bool HasTimer(unsigned int timerID) const;
    unsigned int GetTimerCount() const;

    // Fires every timer due now (application clock); returns how many fired.
    // Timers added by a callback wait for the next pump.
    unsigned int RunOnce();

    // The same at the given application time in microseconds.
    unsigned int RunOnceAtTime(double nowMicroSec);

    // Pumps the loop for the duration, sleeping until the next timer is due;
    // the last pump happens at or after the end. Returns how many fired.
    unsigned int RunFor(double durationSec);

    // Application time in microseconds at which the next timer is due;
    // a negative value when one is due at once; +infinity without timers.
    double GetNextFireTime() const;

private:
    struct Timer {
        unsigned int id;
        AKRunLoopTimerProc proc;  // null once removed during a pump
        void* userData;
        double intervalMicroSec;
        double nextFireMicroSec;  // -infinity until the first firing
    };

    void Compact();

    std::vector<Timer> mTimers;
    unsigned int mLastTimerID = 0;
    unsigned int mPumpDepth = 0;
    bool mHasRemovedTimers = false;
};
