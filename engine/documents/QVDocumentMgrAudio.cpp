// QVDocumentMgr: the device format and the mix of the real-time documents.

#include "AKSys.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentMgr.h"

void QVDocumentMgr::SetClock(Clock clock)
{
    mClock = clock != nullptr ? clock : &AKSys::GetCurrentApplicationTimeMicroSec;
}

void QVDocumentMgr::PrepareRealTimeAudioResources(QVAudioInfo const& format)
{
    QVDocumentMgrBusyGate::ChangeScope change(mGate);
    mAudioInfo = format;
    mMix.AllocateClean(format.channelCount, format.frameCount, format.sampleRate);
    mAudioPrepared = format.IsValid();
    mLoad.store(0.0, std::memory_order_relaxed);
    // Inside the change: a source is never prepared while it renders.
    for (QVDocument* document : mDocuments) {
        if (document->IsRealTimeAudio() && document->GetAudioSource() != nullptr)
            document->GetAudioSource()->PrepareAudioResources(mAudioInfo);
    }
}

void QVDocumentMgr::ReleaseRealTimeAudioResources()
{
    QVDocumentMgrBusyGate::ChangeScope change(mGate);
    mAudioInfo.Clear();
    mMix.Free();
    mAudioPrepared = false;
    mLoad.store(0.0, std::memory_order_relaxed);
    for (QVDocument* document : mDocuments) {
        if (document->IsRealTimeAudio() && document->GetAudioSource() != nullptr)
            document->GetAudioSource()->ReleaseAudioResources();
    }
}

bool QVDocumentMgr::GetNextRealTimeAudioBlock(QXSampleBuffer<double>** mix, unsigned long long frameCount)
{
    double const start = mClock();
    if (!mGate.TryEnterAudio()) {
        if (mix != nullptr)
            *mix = nullptr;
        return false;
    }
    LowMixBlock(frameCount, start);
    if (mix != nullptr)
        *mix = &mMix;
    mGate.LeaveAudio();
    return true;
}

bool QVDocumentMgr::CopyNextRealTimeAudioBlock(QXSampleBuffer<double>* destination, unsigned long long frameCount)
{
    double const start = mClock();
    destination->Zeroset(kQVSampleRangeAll);
    if (!mGate.TryEnterAudio())
        return false;
    LowMixBlock(frameCount, start);
    destination->Copy(mMix, kQVSampleRangeAll);
    mGate.LeaveAudio();
    return true;
}

void QVDocumentMgr::LowMixBlock(unsigned long long frameCount, double start)
{
    unsigned long long frames = frameCount != 0 ? frameCount : mAudioInfo.frameCount;
    mMix.ResetAllWorkingSubRanges();
    if (frames > mMix.TotalFrameCount())
        frames = mMix.TotalFrameCount();
    if (frames < mMix.TotalFrameCount())
        mMix.StackWorkingSubRange(0, frames);

    if (frames > 0) {
        // Cleared first, so a source's block shorter or narrower than the
        // mix leaves silence, not the previous block, in the rest.
        mMix.Zeroset(kQVSampleRangeAll);
        for (QVDocument* document : mDocuments) {
            QVDocumentAudioSource* const source = document->GetAudioSource();
            if (source == nullptr || !document->IsRealTimeAudio())
                continue;
            if (QXSampleBuffer<double> const* const block = source->GetNextAudioBlock(frames))
                mMix.CopyAdd(*block, kQVSampleRangeAll);
        }
    }

    double const seconds = (mClock() - start) * 1e-6;
    double const cost = frames != 0 ? seconds * mAudioInfo.sampleRate / static_cast<double>(frames) : 0.0;
    double const load = mLoad.load(std::memory_order_relaxed);
    mLoad.store(load + kQVDocumentMgrLoadSmoothing * (cost - load), std::memory_order_relaxed);
}
