#pragma once

// QVAudioCallbackLow: the block-level sample operations of the mixer that
// do not depend on the pool tree: the born and dead fades. A pool that
// appears fades in over "Engine.BornFadeDuration" from the start of its
// first block; one that disappears fades out over the same duration to the
// end of its last block, and the overlap tail after the block is cleared so
// that nothing of it is mixed into the next one.
//
// Audio thread (or the thread pulling a private document's blocks).

#include "QXSampleBuffer.h"

class QVAudioMemory;

class QVAudioCallbackLow
{
public:
    QVAudioCallbackLow(QVAudioMemory const& memory, bool doubleBuffered)
        : mMemory(memory), mDoubleBuffered(doubleBuffered)
    {}

    // The frames of a born or dead fade at the buffer's rate:
    // floor(max(0, duration) x rate + 0.5).
    static unsigned long long FadeFrameCount(double duration, double rate);

    // The first min(valid, F) frames climb along 0.5 - 0.5 cos(pi x), F the
    // fade's frames; the rest is left.
    void ApplyOnBornBufferFadeIn(QXSampleBuffer<double>* buffer, unsigned long long validFrames, bool unused) const;
    // The min(valid, F) frames that end at frame `valid` fall along the
    // mirrored curve and every frame after `valid` is zeroed.
    void ApplyOnDeadBufferFadeOut(QXSampleBuffer<double>* buffer, unsigned long long validFrames, bool unused) const;

    QVAudioMemory const& GetMemory() const { return mMemory; }
    bool IsDoubleBuffered() const { return mDoubleBuffered; }

private:
    QVAudioMemory const& mMemory;
    bool const mDoubleBuffered;
};
