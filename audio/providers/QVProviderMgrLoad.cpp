// QVProviderMgr: starting, pacing and ending the loads.

#include "AKLog.h"
#include "AKStatus.h"
#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVProviderMgr.h"

void QVProviderMgr::LoadAllProvidersSoundFile(unsigned int mode)
{
    if (QVAudioServices::Get().IsRealTimeLoadingOn())
        LoadAllProvidersSoundFileAsync(mode);
    else
        LoadAllProvidersSoundFileSync();
}

void QVProviderMgr::LoadAllProvidersSoundFileSync()
{
    // A running loader would step the sounds started here along with this
    // loop: it is held off until every sound is done.
    mThread.Pause();
    for (unsigned int i = 0; i < mProviders.Count(); ++i) {
        QVProvider* provider = mProviders[i];
        if (provider->GetState() != kQVProviderStateIdle)
            continue;
        provider->LoadSoundSync();
        if (provider->GetState() == kQVProviderStateDone) {
            ++mFinished;
            mMemory += provider->GetUsedMemory();
        }
        mLoadStamp.fetch_add(1, std::memory_order_relaxed);
    }
    mThread.UnPause();
    mLostCount = -1;
}

int QVProviderMgr::LoadAllProvidersSoundFileAsync(unsigned int mode)
{
    bool anyIdle = false;
    for (QVProvider* provider : mProviders)
        anyIdle |= provider->GetState() == kQVProviderStateIdle;
    // A running loader picks idle providers up on its idle passes.
    if (!anyIdle || mThread.IsRunning())
        return 0;
    if (mode == kQVProviderLoadDeferred) {
        mDelay = kQVProviderMgrDeferredStartPasses;
        GiveMeIdling(true);
        return 0;
    }
    if (mode == kQVProviderLoadNow && mDelay > 0)
        return 0;
    mDelay = 0;
    if (mThread.Start() != 0)
        return AKLogError(kQVErrorProviderCantStartLoadThread,
                          "Provider manager can't start thread to load sound files");
    GiveMeIdling(true);
    if (mode == kQVProviderLoadNowAndIdle)
        DoIdlingLow();
    return 0;
}

void QVProviderMgr::ThreadCallback()
{
    // The list only changes while this thread is paused.
    for (unsigned int i = 0, n = mProviders.Count(); i < n; ++i) {
        QVProvider* provider = mProviders[i];
        if (provider->GetState() != kQVProviderStateLoading)
            continue;
        provider->LowLoadNext();
        mLoadStamp.fetch_add(1, std::memory_order_relaxed);
    }
}

void QVProviderMgr::DoIdling()
{
    if (mDelay > 0) {
        if (--mDelay == 0)
            LoadAllProvidersSoundFileAsync(kQVProviderLoadNow);
        return;
    }
    if (!mThread.IsRunning()) {
        GiveMeIdling(false);
        return;
    }

    bool allDone = true;
    for (QVProvider* provider : mProviders)
        allDone &= provider->GetState() == kQVProviderStateDone;
    if (allDone) {
        StopLoader();
        mLoading = 0;
        GiveMeIdling(false);
        AKLog("# PROVIDERS: Has finished to load some sounds (%u in total).\n\n", mFinished);
        return;
    }

    // Ending a load frees what the loader's last step used: the loader is
    // held off from the first ended load on.
    bool paused = false;
    unsigned int loading = 0;
    for (QVProvider* provider : mProviders) {
        if (provider->GetState() == kQVProviderStateLoaded) {
            if (!paused) {
                mThread.Pause();
                paused = true;
            }
            provider->LowLoadEnd();
            if (provider->GetState() == kQVProviderStateDone) {
                ++mFinished;
                mMemory += provider->GetUsedMemory();
            }
            mLostCount = -1;
        }
        if (provider->GetState() == kQVProviderStateLoading)
            ++loading;
    }
    if (paused)
        mThread.UnPause();

    unsigned int const simultaneous = QVAudioResourcePrefs::sShared.providerSimultaneousLoad;
    for (unsigned int i = 0; i < mProviders.Count() && loading < simultaneous; ++i) {
        QVProvider* provider = mProviders[i];
        if (provider->GetState() != kQVProviderStateIdle)
            continue;
        if (provider->LowLoadStart() == 0)
            ++loading;
        else
            mLostCount = -1;
        mLoadStamp.fetch_add(1, std::memory_order_relaxed);
    }
    mLoading = loading;
}
