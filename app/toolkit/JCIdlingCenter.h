#pragma once

// Idle calls for toolkit objects (documents, inspectors, utility windows,
// plug-in scanning): the application's main-loop timer runs one pass of the
// shared centre per tick, after the engine's own idling centre. Main thread
// only; no lock.

#include <vector>

class JCIdlingClient;

class JCIdlingCenter
{
public:
    static JCIdlingCenter sShared;

    JCIdlingCenter() = default;
    JCIdlingCenter(JCIdlingCenter const&) = delete;
    JCIdlingCenter& operator=(JCIdlingCenter const&) = delete;

    // One pass at the toolkit's millisecond clock.
    void DoGlobalIdling();
    // One pass at the given time in milliseconds: every registered client, in
    // registration order, whose idling period has passed. A client may add or
    // remove clients (itself too) during its call: one removed is not called
    // again in this pass, one added gets its first call on the next pass. A
    // pass started from inside a pass (a modal loop) does nothing.
    void DoGlobalIdlingAt(double nowMilliSec);

    void AddClient(JCIdlingClient* client);
    void RemoveClient(JCIdlingClient* client);

    bool HasClients() const { return !mClients.empty() || !mPending.empty(); }
    bool IsInPass() const { return mInPass; }

private:
    std::vector<JCIdlingClient*> mClients;  // null slots only during a pass
    std::vector<JCIdlingClient*> mPending;  // added during the running pass
    bool mInPass = false;
};

// Base of toolkit objects that want idle calls on the main thread.
class JCIdlingClient
{
public:
    JCIdlingClient() = default;
    virtual ~JCIdlingClient();

    JCIdlingClient(JCIdlingClient const&) = delete;
    JCIdlingClient& operator=(JCIdlingClient const&) = delete;

    // true adds the client to the shared centre, false removes it.
    void giveMeIdling(bool wantsIdling);
    bool isIdlingRegistered() const { return mRegistered; }

    // Minimum time between two calls in milliseconds; 0 (the default, and
    // any negative value) calls the client on every pass.
    void setIdlingPeriod(double periodMilliSec);
    double getIdlingPeriod() const { return mPeriodMilliSec; }

    // The client's idle work.
    virtual void idlingCallback() = 0;

private:
    friend class JCIdlingCenter;

    void idleAt(double nowMilliSec);

    bool mRegistered = false;
    bool mEverCalled = false;
    double mPeriodMilliSec = 0.0;
    double mLastCallMilliSec = 0.0;
};
