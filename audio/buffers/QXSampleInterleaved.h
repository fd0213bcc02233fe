#pragma once

// QXSampleInterleaved: one contiguous block of interleaved frames, the form
// sound-file libraries read and write (sample of frame f, channel c at
// f × channels + c). Readers fill it, providers load through it, writers
// interleave planar blocks into it. Instances for float and double.
//
// The block belongs to the buffer (C allocator) and is sized in 32 bits: a
// buffer holds fewer than 2^30 float or 2^29 double samples in all, and a
// larger request is refused. A buffer belongs to one thread at a time; only
// Allocate and Free allocate or release.

#include "QVSampleRange.h"

template <typename T>
class QXSampleBuffer;

template <typename T>
class QXSampleInterleaved
{
public:
    QXSampleInterleaved() = default;
    ~QXSampleInterleaved() { Free(); }
    QXSampleInterleaved(QXSampleInterleaved const&) = delete;
    QXSampleInterleaved& operator=(QXSampleInterleaved const&) = delete;

    // The same shape as now keeps the block (zeroed with clean). Otherwise
    // the buffer is freed; 0 channels and 0 frames give false; channels
    // without frames, or frames without channels, give a buffer without a
    // block (true); more than 1024 channels, a block that is too large or
    // one that cannot be had leave the buffer empty and give false. The
    // block is zero-filled with clean and undefined otherwise. The rate is
    // set in every case but one: a rate that is NaN, negative, infinite or
    // subnormal is refused (false) with the buffer unchanged.
    bool Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate, bool clean);
    bool AllocateClean(unsigned int channelCount, unsigned long long frameCount, double sampleRate)
    {
        return Allocate(channelCount, frameCount, sampleRate, true);
    }
    // Releases the block; every field but the user flag becomes zero.
    // Nothing when there is neither a channel nor a frame.
    void Free();
    // Every sample 0.
    void Zeroset();

    unsigned long long UsedMemory() const { return mUsedMemory; }
    bool IsEmpty() const { return mSampleCount == 0; }
    unsigned int ChannelCount() const { return mChannelCount; }
    unsigned long long FrameCount() const { return mFrameCount; }
    unsigned long long SampleCount() const { return mSampleCount; }
    double SampleRate() const { return mSampleRate; }
    // Frames / rate; 0 when the rate is not above 0.
    double BufferDuration() const { return mSampleRate > 0.0 ? static_cast<double>(mFrameCount) / mSampleRate : 0.0; }
    void SetUserFlag(int flag) { mUserFlag = flag; }
    int UserFlag() const { return mUserFlag; }

    // The first sample of a frame; null without a block or for a frame not
    // below the frame count.
    T* FramePtr(unsigned long long frame);
    T const* FramePtrConst(unsigned long long frame) const;

    // Interleaves the planar source's channels of the source range into this
    // buffer's channels of the destination range, converting the type:
    // channels paired in order, the shorter frame count copied. False when a
    // range does not fit its buffer. Instances for float and double sources.
    template <typename U>
    bool CopyCastInterleave(QXSampleBuffer<U> const& source, QVSampleRange const& destinationRange,
                            QVSampleRange const& sourceRange);

private:
    T* mData = nullptr;
    unsigned int mChannelCount = 0;
    unsigned long long mFrameCount = 0;
    unsigned long long mSampleCount = 0;
    double mSampleRate = 0.0;
    unsigned long long mUsedMemory = 0;
    int mUserFlag = 0;
};

extern template class QXSampleInterleaved<float>;
extern template class QXSampleInterleaved<double>;
