#pragma once

#include "ATArray.h"

// Idle passes: work that must run on the main thread, but not inside a user
// action (deferred deletions, change notifications, load completions,
// recorders draining to disk), is done by idling clients on each pass of the
// idling centre. The host runs the passes: the application from its main-loop
// timer, a console host through an AKIdlingLoop. Main thread only; no lock.

class AKIdlingClient;

class AKIdlingCenter
{
public:
    static AKIdlingCenter sShared;

    AKIdlingCenter();
    AKIdlingCenter(AKIdlingCenter const&) = delete;
    AKIdlingCenter& operator=(AKIdlingCenter const&) = delete;

    // One pass: every registered client's DoIdlingLow, in registration order.
    // A client may register or unregister clients (itself too) during its
    // call: one unregistered is not called again, not even later in the pass;
    // one registered gets its first call on the next pass. A pass started
    // from inside a pass (a client running a modal loop) does nothing.
    void DoGlobalIdling();

    // Appends the client unless it is registered already (a null client is ignored).
    void AddClient(AKIdlingClient* client);
    // Unregisters the client, keeping the order of the others.
    void RemoveClient(AKIdlingClient* client);

    bool HasClients() const { return !mClients.IsEmpty() || !mPending.IsEmpty(); }
    bool IsInPass() const { return mInPass; }

private:
    ATArray<AKIdlingClient*> mClients;  // null slots only during a pass
    ATArray<AKIdlingClient*> mPending;  // registered during the running pass
    bool mInPass = false;
};

// Base of the engine objects that want idle passes.
class AKIdlingClient
{
public:
    // The name serves diagnostics only and is not kept. With keepAtDestruction
    // the destructor leaves the client registered: for shared managers that
    // live as long as the process.
    AKIdlingClient(char const* name, bool keepAtDestruction);
    virtual ~AKIdlingClient();

    AKIdlingClient(AKIdlingClient const&) = delete;
    AKIdlingClient& operator=(AKIdlingClient const&) = delete;

    // The client's idle work, on the main thread.
    virtual void DoIdling() = 0;

    // true registers the client with the shared centre; false unregisters it
    // and forgets the time of its last call.
    void GiveMeIdling(bool wantsIdling);
    bool IsIdlingRegistered() const { return mRegistered; }

    // Minimum time between two calls, in seconds (negative counts as 0); a
    // period of 0 also forgets the time of the last call.
    void SetIdlingPeriod(double periodSec);
    double GetIdlingPeriod() const { return mIdlingPeriodSec; }

    // Calls DoIdling when the period is 0; otherwise when the client was never
    // called or at least the period has passed since its last call.
    void DoIdlingLow();

private:
    friend class AKIdlingCenter;

    static constexpr double kNeverIdled = -1.0;

    bool mRegistered = false;
    bool mKeepAtDestruction;
    double mIdlingPeriodSec = 0.0;
    double mLastIdlingTimeSec = kNeverIdled;  // application clock
};

// Calls a function on the main run loop every period: a host without a
// main-loop timer of its own runs its idle passes with one.
class AKIdlingLoop
{
public:
    // Not started. The period is in milliseconds.
    AKIdlingLoop(void (*proc)(void*), void* userData, unsigned int periodMilliSec);
    ~AKIdlingLoop();

    AKIdlingLoop(AKIdlingLoop const&) = delete;
    AKIdlingLoop& operator=(AKIdlingLoop const&) = delete;

    // Adds the timer to the main run loop; true when a timer exists (also when
    // it ran already), false when it can't be made (null function, period 0).
    // The first call comes with the next pump of the run loop.
    bool Start();
    // Removes the timer; nothing when stopped.
    void Stop();
    bool IsRunning() const { return mTimerID != 0; }

private:
    void (*mProc)(void*);
    void* mUserData;
    unsigned int mPeriodMilliSec;
    unsigned int mTimerID = 0;
};
