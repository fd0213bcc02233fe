#include "AKIdlingCenter.h"

#include "AKMainRunLoop.h"
#include "AKSys.h"

AKIdlingCenter AKIdlingCenter::sShared;

// --- AKIdlingCenter ---

AKIdlingCenter::AKIdlingCenter()
{
    mClients.Reserve(20);
    mPending.Reserve(10);
}

void AKIdlingCenter::DoGlobalIdling()
{
    if (mInPass || mClients.IsEmpty())
        return;
    mInPass = true;

    // Only the slots present now: clients registered meanwhile go to mPending.
    unsigned int const count = mClients.Count();
    for (unsigned int i = 0; i < count; ++i) {
        AKIdlingClient* client = mClients[i];
        if (client != nullptr)
            client->DoIdlingLow();
    }

    mClients.RemoveIf(__RemoveZeroItems());
    if (!mPending.IsEmpty()) {
        mClients.PushUniqueItems(mPending);
        mPending.Clear();
    }
    mInPass = false;
}

void AKIdlingCenter::AddClient(AKIdlingClient* client)
{
    if (client == nullptr)
        return;
    client->mRegistered = true;
    if (mClients.Find(client, nullptr))
        return;
    if (mInPass)
        mPending.PushUniqueItem(client);
    else
        mClients.Push(client);
}

void AKIdlingCenter::RemoveClient(AKIdlingClient* client)
{
    if (client == nullptr)
        return;
    client->mRegistered = false;
    if (mInPass) {
        // The pass walks the slots by index: clear them, it compacts at its end.
        for (AKIdlingClient*& slot : mClients) {
            if (slot == client)
                slot = nullptr;
        }
        // Registered and unregistered within the same pass: never appended.
        mPending.RemoveItems(client);
    } else {
        mClients.RemoveItems(client);
    }
}

// --- AKIdlingClient ---

AKIdlingClient::AKIdlingClient(char const* /*name*/, bool keepAtDestruction) : mKeepAtDestruction(keepAtDestruction) {}

AKIdlingClient::~AKIdlingClient()
{
    if (mRegistered && !mKeepAtDestruction)
        AKIdlingCenter::sShared.RemoveClient(this);
}

void AKIdlingClient::GiveMeIdling(bool wantsIdling)
{
    if (wantsIdling) {
        if (!mRegistered)
            AKIdlingCenter::sShared.AddClient(this);
    } else if (mRegistered) {
        AKIdlingCenter::sShared.RemoveClient(this);
        mLastIdlingTimeSec = kNeverIdled;
    }
}

void AKIdlingClient::SetIdlingPeriod(double periodSec)
{
    mIdlingPeriodSec = periodSec > 0.0 ? periodSec : 0.0;
    if (mIdlingPeriodSec == 0.0)
        mLastIdlingTimeSec = kNeverIdled;
}

void AKIdlingClient::DoIdlingLow()
{
    if (mIdlingPeriodSec == 0.0) {
        DoIdling();
        return;
    }
    double now = AKSys::GetCurrentApplicationTimeMicroSec() * 0.000001;
    if (mLastIdlingTimeSec != kNeverIdled && now - mLastIdlingTimeSec < mIdlingPeriodSec)
        return;
    mLastIdlingTimeSec = now;
    DoIdling();
}

// --- AKIdlingLoop ---

AKIdlingLoop::AKIdlingLoop(void (*proc)(void*), void* userData, unsigned int periodMilliSec)
    : mProc(proc), mUserData(userData), mPeriodMilliSec(periodMilliSec)
{}

AKIdlingLoop::~AKIdlingLoop() { Stop(); }

bool AKIdlingLoop::Start()
{
    if (mTimerID == 0)
        mTimerID = AKMainRunLoop::sShared.AddTimer(mProc, mUserData, mPeriodMilliSec * 0.001);
    return mTimerID != 0;
}

void AKIdlingLoop::Stop()
{
    if (mTimerID == 0)
        return;
    AKMainRunLoop::sShared.RemoveTimer(mTimerID);
    mTimerID = 0;
}
