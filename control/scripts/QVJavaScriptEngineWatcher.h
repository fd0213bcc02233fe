#pragma once

#include "AKThread.h"

#include <atomic>

// Watches one script run from a worker thread of its own: once the clock
// passes the deadline, it notes the time-out and raises the sandbox's stop
// flag, which ends the script wherever it stands.
class QVJavaScriptEngineWatcher : public AKThreadClient
{
public:
    QVJavaScriptEngineWatcher();
    ~QVJavaScriptEngineWatcher() override;

    // Clears the timed-out flag, sets the deadline to now plus the duration
    // (seconds) and starts the worker thread; returns its status.
    int Start(double durationSec);
    void Stop();

    void ThreadCallback() override;

    // Read after Stop (or from any thread, as a hint while it runs).
    bool HasTimedOut() const { return mTimedOut.load(); }
    double GetDeadline() const { return mDeadline.load(); }

private:
    std::atomic<bool> mTimedOut{false};
    std::atomic<double> mDeadline{0.0};
};
