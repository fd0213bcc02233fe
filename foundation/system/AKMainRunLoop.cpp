#include "AKMainRunLoop.h"

#include "AKSys.h"

#include <algorithm>
#include <cmath>
#include <limits>

AKMainRunLoop AKMainRunLoop::sShared;

namespace {

constexpr double kNeverFired = -std::numeric_limits<double>::infinity();

// Longest single sleep of RunFor, so that a timer added meanwhile by another
// path (a signal handler's flag, a debugger) is not kept waiting for long.
constexpr double kMaxSleepMicroSec = 10000.0;

}  // namespace

unsigned int AKMainRunLoop::AddTimer(AKRunLoopTimerProc proc, void* userData, double intervalSec)
{
    if (proc == nullptr || !std::isfinite(intervalSec) || intervalSec <= 0.0)
        return 0;
    mTimers.push_back(Timer{++mLastTimerID, proc, userData, intervalSec * 1000000.0, kNeverFired});
    return mLastTimerID;
}

bool AKMainRunLoop::RemoveTimer(unsigned int timerID)
{
    for (size_t i = 0; i < mTimers.size(); ++i) {
        Timer& timer = mTimers[i];
        if (timer.id != timerID || timer.proc == nullptr)
            continue;
        if (mPumpDepth > 0) {
            // The pump walks the array by index: leave the slot, compact later.
            timer.proc = nullptr;
            mHasRemovedTimers = true;
        } else {
            mTimers.erase(mTimers.begin() + static_cast<long>(i));
        }
        return true;
    }
    return false;
}

bool AKMainRunLoop::HasTimer(unsigned int timerID) const
{
    return std::any_of(mTimers.begin(), mTimers.end(),
                       [timerID](Timer const& t) { return t.id == timerID && t.proc != nullptr; });
}

unsigned int AKMainRunLoop::GetTimerCount() const
{
    return static_cast<unsigned int>(
        std::count_if(mTimers.begin(), mTimers.end(), [](Timer const& t) { return t.proc != nullptr; }));
}

unsigned int AKMainRunLoop::RunOnce() { return RunOnceAtTime(AKSys::GetCurrentApplicationTimeMicroSec()); }

unsigned int AKMainRunLoop::RunOnceAtTime(double nowMicroSec)
{
    unsigned int const lastIDBeforePump = mLastTimerID;
    unsigned int fired = 0;
    ++mPumpDepth;
    // By index: a callback may add timers (the array may move) or remove some.
    for (size_t i = 0; i < mTimers.size(); ++i) {
        Timer& timer = mTimers[i];
        if (timer.proc == nullptr || timer.id > lastIDBeforePump || nowMicroSec < timer.nextFireMicroSec)
            continue;
        // Next due time, on the timer's phase and after now.
        double next =
            (timer.nextFireMicroSec == kNeverFired ? nowMicroSec : timer.nextFireMicroSec) + timer.intervalMicroSec;
        if (next <= nowMicroSec)
            next += (std::floor((nowMicroSec - next) / timer.intervalMicroSec) + 1.0) * timer.intervalMicroSec;
        timer.nextFireMicroSec = next;

        AKRunLoopTimerProc proc = timer.proc;
        void* userData = timer.userData;
        proc(userData);
        ++fired;
    }
    if (--mPumpDepth == 0 && mHasRemovedTimers)
        Compact();
    return fired;
}

unsigned int AKMainRunLoop::RunFor(double durationSec)
{
    double const end = AKSys::GetCurrentApplicationTimeMicroSec() + std::max(0.0, durationSec) * 1000000.0;
    unsigned int fired = 0;
    for (;;) {
        double now = AKSys::GetCurrentApplicationTimeMicroSec();
        fired += RunOnceAtTime(now);
        if (now >= end)
            break;
        double wake = std::min(GetNextFireTime(), end);
        now = AKSys::GetCurrentApplicationTimeMicroSec();
        if (wake > now)
            AKSys::SleepMicroSec(std::min(wake - now, kMaxSleepMicroSec));
    }
    return fired;
}

double AKMainRunLoop::GetNextFireTime() const
{
    double next = std::numeric_limits<double>::infinity();
    for (Timer const& timer : mTimers) {
        if (timer.proc != nullptr)
            next = std::min(next, timer.nextFireMicroSec == kNeverFired ? -1.0 : timer.nextFireMicroSec);
    }
    return next;
}

void AKMainRunLoop::Compact()
{
    mTimers.erase(std::remove_if(mTimers.begin(), mTimers.end(), [](Timer const& t) { return t.proc == nullptr; }),
                  mTimers.end());
    mHasRemovedTimers = false;
}
