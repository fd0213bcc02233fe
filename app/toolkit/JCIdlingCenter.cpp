#include "JCIdlingCenter.h"

#include <algorithm>

#include <juce_core/juce_core.h>

JCIdlingCenter JCIdlingCenter::sShared;

// --- JCIdlingCenter ---

void JCIdlingCenter::DoGlobalIdling() { DoGlobalIdlingAt(juce::Time::getMillisecondCounterHiRes()); }

void JCIdlingCenter::DoGlobalIdlingAt(double nowMilliSec)
{
    if (mInPass || mClients.empty())
        return;
    mInPass = true;
    // Only the slots present now: clients added meanwhile wait in mPending.
    size_t const count = mClients.size();
    for (size_t i = 0; i < count; ++i) {
        if (JCIdlingClient* client = mClients[i])
            client->idleAt(nowMilliSec);
    }
    mClients.erase(std::remove(mClients.begin(), mClients.end(), nullptr), mClients.end());
    for (JCIdlingClient* client : mPending) {
        if (std::find(mClients.begin(), mClients.end(), client) == mClients.end())
            mClients.push_back(client);
    }
    mPending.clear();
    mInPass = false;
}

void JCIdlingCenter::AddClient(JCIdlingClient* client)
{
    if (client == nullptr)
        return;
    client->mRegistered = true;
    if (std::find(mClients.begin(), mClients.end(), client) != mClients.end())
        return;
    std::vector<JCIdlingClient*>& target = mInPass ? mPending : mClients;
    if (std::find(target.begin(), target.end(), client) == target.end())
        target.push_back(client);
}

void JCIdlingCenter::RemoveClient(JCIdlingClient* client)
{
    if (client == nullptr)
        return;
    client->mRegistered = false;
    mPending.erase(std::remove(mPending.begin(), mPending.end(), client), mPending.end());
    if (mInPass) {
        // The pass walks the slots by index: clear them, it compacts at its end.
        std::replace(mClients.begin(), mClients.end(), client, static_cast<JCIdlingClient*>(nullptr));
    } else {
        mClients.erase(std::remove(mClients.begin(), mClients.end(), client), mClients.end());
    }
}

// --- JCIdlingClient ---

JCIdlingClient::~JCIdlingClient()
{
    if (mRegistered)
        JCIdlingCenter::sShared.RemoveClient(this);
}

void JCIdlingClient::giveMeIdling(bool wantsIdling)
{
    if (wantsIdling) {
        if (!mRegistered)
            JCIdlingCenter::sShared.AddClient(this);
    } else if (mRegistered) {
        JCIdlingCenter::sShared.RemoveClient(this);
        mEverCalled = false;
    }
}

void JCIdlingClient::setIdlingPeriod(double periodMilliSec)
{
    mPeriodMilliSec = periodMilliSec > 0.0 ? periodMilliSec : 0.0;
}

void JCIdlingClient::idleAt(double nowMilliSec)
{
    if (mPeriodMilliSec > 0.0 && mEverCalled && nowMilliSec - mLastCallMilliSec < mPeriodMilliSec)
        return;
    mEverCalled = true;
    mLastCallMilliSec = nowMilliSec;
    idlingCallback();
}
