// QVPluginInstance: the real-time filtering of one block, with the bypass
// crossfade and the tail.

#include "QVAudioResourcePrefs.h"
#include "QVPluginInstance.h"
#include "QXSampleBuffer.h"

#include <algorithm>
#include <cmath>

bool QVPluginInstance::ApplyRTFilter(QXSampleBuffer<double>* block, bool hasSound, QVAudioWorkingMemory const& memory)
{
    if (block == nullptr)
        return mTail > 0.0;
    // The request may change on another thread meanwhile: this block works
    // with one reading of it.
    bool const requested = mBypassed.load(std::memory_order_acquire);
    bool const changed = requested != mAppliedBypass;
    double const workMax = QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration;

    QXSampleBuffer<double>* const dry = memory.RetainWorkingBufferSameAs(*block);
    if (dry == nullptr)
        return mTail > 0.0;

    double tail = mTail;
    // The bypassed form only once the bypass is in force: the block of the
    // change is processed normally and crossfaded.
    bool const renderBypassed = requested && !changed;
    if (hasSound) {
        if (changed)
            dry->Copy(*block, kQVSampleRangeAll);
        LowProcess(block, renderBypassed);
        tail = workMax;
    } else if (tail > 0.0) {
        // The effect renders its tail from silence.
        if (changed)
            dry->Zeroset(kQVSampleRangeAll);
        block->Zeroset(kQVSampleRangeAll);
        LowProcess(block, renderBypassed);
        if (block->IsAlmostZero(kQVSampleRangeAll, kQVPluginTailSilenceLevel))
            tail = std::max(0.0, tail - block->BufferDuration());
        else
            tail = workMax;
    }

    if (tail > 0.0 && changed)
        LowCrossfade(block, *dry, requested);

    memory.ReleaseWorkingBuffer(*dry);
    mTail = tail;
    mAppliedBypass = requested;
    return tail > 0.0;
}

void QVPluginInstance::LowProcess(QXSampleBuffer<double>* block, bool renderBypassed)
{
    ApplyRTFilterSelf(block, mAppliedBypass, renderBypassed);
}

void QVPluginInstance::LowCrossfade(QXSampleBuffer<double>* block, QXSampleBuffer<double> const& dry, bool toDry)
{
    double const rate = block->SampleRate();
    unsigned long long const frames = block->FrameCount();
    double const fadeDuration = std::max(0.0, QVAudioResourcePrefs::sShared.engineBornFadeDuration);
    double const wanted = rate > 0.0 ? std::floor(fadeDuration * rate + 0.5) : 0.0;
    unsigned long long const fadeFrames =
        wanted >= static_cast<double>(frames) ? frames : static_cast<unsigned long long>(wanted);
    if (fadeFrames == 0)
        return;
    // Position 1 keeps the processed block alone, 0 the dry signal alone.
    if (toDry) {
        QVSampleRange const tail = QVSampleRangeMake(kQVSampleRangeAllChannels, frames - fadeFrames, fadeFrames);
        block->CopyAddWithXFade(dry, 1.0, 0.0, tail);
    } else {
        QVSampleRange const head = QVSampleRangeMake(kQVSampleRangeAllChannels, 0, fadeFrames);
        block->CopyAddWithXFade(dry, 0.0, 1.0, head);
    }
}
