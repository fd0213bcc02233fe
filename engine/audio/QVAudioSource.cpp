// QVAudioSource: the pool copies, their trade and the document's blocks.

#include "QVAudioSource.h"

#include "AKLog.h"
#include "AKSys.h"
#include "QVAudioRecorder.h"
#include "QVDocument.h"
#include "QVObjectFolders.h"
#include "QVTreeHandler.h"

#include <chrono>
#include <thread>

namespace {

double NowSec() { return AKSys::GetCurrentApplicationTimeMicroSec() * 1e-6; }

}  // namespace

QVAudioSource::QVAudioSource(QVDocument* document)
    : AKIdlingClient("QVAudioSource", false), mDocument(document),
      mRecorder(document != nullptr ? document->GetAudioRecorder() : nullptr),
      mDoubleBuffered(document != nullptr && document->IsRealTimeAudio()),
      mVerbose(document != nullptr && !document->IsPrivate()), mMemory(document), mAppSide(mMemory),
      mCallback(mMemory, mDoubleBuffered)
{
    for (std::atomic<double>& meter : mMeters)
        meter.store(0.0, std::memory_order_relaxed);
}

QVAudioSource::~QVAudioSource()
{
    GiveMeIdling(false);
    AcquireGate();
    mPrepared.store(false, std::memory_order_release);
    // Edits not yet traded are the newest structure: they stand for it.
    if (mSpareReady)
        mLive.store(1 - mLive.load(std::memory_order_relaxed), std::memory_order_relaxed);
    QVAudioSourcePool& live = mCopies[mLive.load(std::memory_order_relaxed)];
    mAppSide.SynchronizeSourcePool(&live, nullptr);
    QVAudioCallback::UpdatePoolsLivingState(&live);
    ReleaseGate();
}

QVDocumentAudioSource* QVAudioSource::Make(QVDocument* document) { return new QVAudioSource(document); }

// --- Gate ---

void QVAudioSource::AcquireGate()
{
    unsigned int steps = 0;
    for (;;) {
        int expected = kGateFree;
        if (mGate.compare_exchange_weak(expected, kGateMessage, std::memory_order_acq_rel))
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(10));
        if (++steps == kQVAudioSourceWaitLimit)
            AKLog("# AUDIO Warning: Time-out of %.3lf ms, waiting for (%s).\n", steps * 0.01, "mIsInCallback");
    }
}

bool QVAudioSource::TryAcquireGate()
{
    int expected = kGateFree;
    return mGate.compare_exchange_strong(expected, kGateMessage, std::memory_order_acq_rel);
}

class QVAudioSource::GateScope
{
public:
    explicit GateScope(QVAudioSource& source) : mSource(source) { mSource.AcquireGate(); }
    ~GateScope() { mSource.ReleaseGate(); }
    GateScope(GateScope const&) = delete;
    GateScope& operator=(GateScope const&) = delete;

private:
    QVAudioSource& mSource;
};

// --- Preparation ---

void QVAudioSource::PrepareAudioResources(QVAudioInfo const& format)
{
    QVAudioInfo const& current = mMemory.GetAudioInfo();
    if (IsPrepared() && current.channelCount == format.channelCount && current.frameCount == format.frameCount &&
        current.sampleRate == format.sampleRate)
        return;
    {
        GateScope gate(*this);
        mPrepared.store(false, std::memory_order_release);
        if (!mMemory.PrepareAudioResources(format))
            return;
        if (mRecorder != nullptr)
            mRecorder->PrepareAudioResources(format);
        mLevels.Clear();
        for (unsigned int channel = 0; channel < format.channelCount; ++channel)
            mLevels.Push(0.0);
        mMeterCount.store(std::min(format.channelCount, kQVAudioSourceMeterChannelMax), std::memory_order_release);
        ZeroMeters();
        mClip.store(false, std::memory_order_relaxed);
        mLastBlockHadSound = false;
        mPrepared.store(true, std::memory_order_release);
    }
    if (mVerbose)
        AKLog("# AUDIO: Has inited document with ChannelCount:%u BufferSize:%llu SampleRate:%.0lf.\n",
              format.channelCount, format.frameCount, format.sampleRate);
}

void QVAudioSource::ReleaseAudioResources()
{
    if (!IsPrepared())
        return;
    {
        GateScope gate(*this);
        mPrepared.store(false, std::memory_order_release);
        if (mRecorder != nullptr)
            mRecorder->ReleaseAudioResources();
        mMemory.ReleaseAudioResources();
        mLevels.Clear();
        ZeroMeters();
        mMeterCount.store(0, std::memory_order_release);
        mClip.store(false, std::memory_order_relaxed);
    }
    // A trade left waiting is finished by the next idle pass.
    UpdateIdlingRequest();
    if (mVerbose)
        AKLog("# AUDIO: Has released document audio resources.\n");
}

void QVAudioSource::ZeroMeters()
{
    for (std::atomic<double>& meter : mMeters)
        meter.store(0.0, std::memory_order_relaxed);
}

double QVAudioSource::GetMeter(unsigned int channel) const
{
    return channel < GetMeterCount() ? mMeters[channel].load(std::memory_order_relaxed) : 0.0;
}

bool QVAudioSource::SetMasterVolume(double volume)
{
    if (!mCallback.SetMasterVolume(volume))
        return false;
    if (mDocument != nullptr)
        mDocument->SetModified(kQVDocumentModifiedStrong);
    return true;
}

void QVAudioSource::ForceUpdatePoolsRTState()
{
    if (mDoubleBuffered)
        return;
    GateScope gate(*this);
    mCallback.ForceUpdatePoolsRTState(&mCopies[mLive.load(std::memory_order_relaxed)]);
}

// --- Synchronisation and trade ---

QVObjectFolderSequence const* QVAudioSource::SequenceFolder() const
{
    QVTreeHandler const* const handler = mDocument != nullptr ? QVTreeHandlerOfDocument(mDocument) : nullptr;
    return handler != nullptr ? handler->GetFolderSequence() : nullptr;
}

bool QVAudioSource::SpareIsFree() const
{
    return mAck.load(std::memory_order_acquire) == mLive.load(std::memory_order_relaxed);
}

bool QVAudioSource::IsTradePending() const { return !SpareIsFree(); }

bool QVAudioSource::TrySyncSpare()
{
    if (!SpareIsFree())
        return false;
    unsigned int const live = mLive.load(std::memory_order_relaxed);
    // The first edit since the trade starts from the live structure; the
    // block thread writes nothing there now but the zone hints.
    if (!mSpareReady)
        mCopies[1 - live] = mCopies[live];
    mAppSide.SynchronizeSourcePool(&mCopies[1 - live], SequenceFolder());
    mSpareReady = true;
    mSyncPending = false;
    ++mSyncCount;
    return true;
}

void QVAudioSource::Trade()
{
    mLive.store(1 - mLive.load(std::memory_order_relaxed), std::memory_order_release);
    mSpareReady = false;
    mSyncCount = 0;
    mTradeTime = NowSec();
}

void QVAudioSource::FinishTradeHere()
{
    unsigned int const live = mLive.load(std::memory_order_relaxed);
    if (mAck.load(std::memory_order_relaxed) == live)
        return;
    QVAudioCallback::UpdatePoolsLivingState(&mCopies[live]);
    mAck.store(live, std::memory_order_release);
}

void QVAudioSource::UpdateIdlingRequest()
{
    bool const busy = mSyncPending || mSpareReady || !SpareIsFree();
    if (busy != IsIdlingRegistered())
        GiveMeIdling(busy);
}

void QVAudioSource::SynchronizeWithDoc(bool force)
{
    if (!mDoubleBuffered) {
        // One copy: the thread pulling the blocks sees the edit at its next
        // block, which runs the living-state pass.
        GateScope gate(*this);
        unsigned int const live = mLive.load(std::memory_order_relaxed);
        mAppSide.SynchronizeSourcePool(&mCopies[live], SequenceFolder());
        mAck.store(1 - live, std::memory_order_release);
        return;
    }
    mSyncPending = true;
    if (force) {
        GateScope gate(*this);
        FinishTradeHere();
        TrySyncSpare();
        Trade();
        if (!IsPrepared())
            FinishTradeHere();
    } else {
        TrySyncSpare();
    }
    UpdateIdlingRequest();
}

void QVAudioSource::DoIdling()
{
    if (mDoubleBuffered) {
        if (mSyncPending)
            TrySyncSpare();
        if (mSpareReady) {
            Trade();
            // Nothing pulls blocks before the preparation: the pass is ours.
            if (!IsPrepared() && TryAcquireGate()) {
                FinishTradeHere();
                ReleaseGate();
            }
        } else if (!SpareIsFree() && (!IsPrepared() || NowSec() - mTradeTime > kQVAudioSourceTradeTimeOut)) {
            // No block came to acknowledge the trade: finish it here when no
            // block runs, else on a later pass.
            if (TryAcquireGate()) {
                FinishTradeHere();
                ReleaseGate();
            }
        }
    }
    UpdateIdlingRequest();
}

// --- Blocks ---

QXSampleBuffer<double>* QVAudioSource::GetNextAudioBlock(unsigned long long)
{
    if (!mPrepared.load(std::memory_order_acquire))
        return nullptr;
    int expected = kGateFree;
    if (!mGate.compare_exchange_strong(expected, kGateAudio, std::memory_order_acquire))
        return nullptr;
    if (!mPrepared.load(std::memory_order_relaxed)) {
        mGate.store(kGateFree, std::memory_order_release);
        return nullptr;
    }
    QXSampleBuffer<double>* const block = mMemory.RetainWorkingBuffer(1);
    if (block == nullptr) {
        mGate.store(kGateFree, std::memory_order_release);
        return nullptr;
    }

    unsigned int const live = mLive.load(std::memory_order_acquire);
    bool const tradePending = mAck.load(std::memory_order_relaxed) != live;
    QVAudioSourcePool& pool = mCopies[live];
    unsigned int const meters = mMeterCount.load(std::memory_order_relaxed);
    if (pool.pools.empty()) {
        // The mixer clears the block itself when there is something to mix.
        block->Zeroset(kQVSampleRangeAll);
        if (mLastBlockHadSound) {
            for (unsigned int channel = 0; channel < meters; ++channel)
                mMeters[channel].store(0.0, std::memory_order_relaxed);
            mClip.store(false, std::memory_order_relaxed);
            mLastBlockHadSound = false;
        }
    } else {
        bool const sound = mCallback.GrabAudioBlock(&pool, block);
        bool clip = false;
        if (sound && !mLevels.IsEmpty()) {
            block->GetMaxLevels(&mLevels, &clip, kQVSampleRangeAll);
            for (unsigned int channel = 0; channel < meters; ++channel)
                mMeters[channel].store(mLevels[channel], std::memory_order_relaxed);
            if (clip)
                block->ApplyClip(-1.0, 1.0, kQVSampleRangeAll);
        } else {
            block->Zeroset(kQVSampleRangeAll);
            for (unsigned int channel = 0; channel < meters; ++channel)
                mMeters[channel].store(0.0, std::memory_order_relaxed);
        }
        mClip.store(clip, std::memory_order_relaxed);
        mLastBlockHadSound = sound;
        if (tradePending)
            QVAudioCallback::UpdatePoolsLivingState(&pool);
    }
    if (tradePending)
        mAck.store(live, std::memory_order_release);

    if (mRecorder != nullptr && mRecorder->IsRecording())
        mRecorder->PushNextAudioBlock(*block);
    mMemory.DebugAssertAllWorkingBuffersAndMatrixesAreReleased();
    // The samples stay valid until the next block.
    mMemory.ReleaseWorkingBuffer(*block);
    mGate.store(kGateFree, std::memory_order_release);
    return block;
}
