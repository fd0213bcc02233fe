#pragma once

// QXSampleBuffer: the planar multichannel sample buffer of the engine, one
// contiguous block of samples per channel. Instances: QXSampleBuffer<float>
// (sounds held in memory) and QXSampleBuffer<double> (the mixing path and
// every block handed to plug-ins).
//
// On top of its allocated shape the buffer keeps a working channel count and
// a stack of working frame ranges: operations see only the working channels
// and the frames of the top of the stack, so a caller can narrow a buffer to
// a sub-block and hand it to code that knows nothing of the narrowing.
// Ranges given to operations (QVSampleRange) are relative to the working
// range and checked with QVSampleRangeCheck before any sample is touched.
//
// A bitmap marks the channels (0 to 63) known to hold only zeros over the
// working range, so clearing an already silent channel costs nothing. Every
// operation that writes into a channel, and SamplePtr, clears its mark.
//
// Real-time rules: nothing but Allocate allocates; nothing locks or logs;
// every failure is a false answer (or a null pointer), the buffer unchanged.
// A buffer belongs to one thread at a time.
//
// One channel block is sized in 32 bits: a float buffer holds fewer than
// 2^30 frames per channel, a double buffer fewer than 2^29. A buffer has at
// most 1024 channels and 64 GiB of samples in all (QXSampleLimits.h);
// Allocate refuses more.

#include "AKTimeIntv.h"
#include "ATArray.h"
#include "QVSampleRange.h"

#include <cstddef>

class QVGainMatrix;
class QVSampleRawPCMData;
template <class T>
class QXSampleInterleaved;

template <class T>
class QXSampleBuffer
{
public:
    // One entry of the sub-range stack; the first frame is absolute inside
    // every channel block.
    struct TSubRange {
        unsigned long long firstFrame;
        unsigned long long frameCount;
    };

    // The root and at most 9 nested sub-ranges.
    static constexpr unsigned int kMaxSubRangeCount = 10;
    // Channels that can carry a known-zero mark.
    static constexpr unsigned int kMarkedChannelCount = 64;

    static TSubRange TSubRangeMake(unsigned long long firstFrame, unsigned long long frameCount)
    {
        return {firstFrame, frameCount};
    }

    // --- Lifetime and shape ---

    // Empty: no channel, root {0, 0}, rate 0, marks clear, user flag 0.
    QXSampleBuffer();
    ~QXSampleBuffer();
    QXSampleBuffer(QXSampleBuffer const&) = delete;
    QXSampleBuffer& operator=(QXSampleBuffer const&) = delete;

    // Gives the buffer its shape. The same channel and frame counts as now
    // reuse the blocks without touching memory (the working channels and
    // range are reset, the rate set; clean zeroes every sample and marks
    // every channel, otherwise the marks are cleared and samples kept).
    // Otherwise frees and allocates anew (zero-filled when clean). 0 channels
    // and 0 frames: only the rate is set, false. A shape beyond the limits
    // (more than 1024 channels, a block of 2^32 bytes or more, more than
    // 64 GiB in all) or a block that cannot be had leaves the buffer empty,
    // false. A rate that is NaN, negative, infinite or subnormal is refused
    // (false) with the buffer unchanged; 0 stands for a rate not known yet.
    bool Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate, bool clean);
    bool AllocateClean(unsigned int channelCount, unsigned long long frameCount, double sampleRate)
    {
        return Allocate(channelCount, frameCount, sampleRate, true);
    }
    // Releases every block; the buffer becomes empty (rate 0, marks clear,
    // stack at the root {0, 0}); the user flag is kept.
    void Free();

    // --- Accessors (working channels and range unless "Total") ---

    unsigned long long UsedMemory() const { return mUsedMemory; }
    bool IsEmpty() const { return mWorkingChannelCount == 0 || mWorkingRange.frameCount == 0; }
    unsigned int ChannelCount() const { return mWorkingChannelCount; }
    unsigned long long FrameCount() const { return mWorkingRange.frameCount; }
    unsigned long long SampleCount() const { return mWorkingChannelCount * mWorkingRange.frameCount; }
    unsigned int TotalChannelCount() const { return static_cast<unsigned int>(mChannels.Count()); }
    unsigned long long TotalFrameCount() const { return mSubRanges[0].frameCount; }
    // The working range's first frame inside the channel blocks.
    unsigned long long RealFramePosition() const { return mWorkingRange.firstFrame; }
    double SampleRate() const { return mSampleRate; }
    // Working frames / rate; 0 when the rate is not above 0.
    double BufferDuration() const;
    void SetUserFlag(int flag) { mUserFlag = flag; }
    int UserFlag() const { return mUserFlag; }

    // A channel's sample at a frame of the working range; null when the
    // channel or frame is outside the working shape or the block is missing.
    // The caller may write through it, so the channel's known-zero mark is cleared.
    T* SamplePtr(unsigned int channel, unsigned long long frame);
    // The same without touching the marks.
    T const* SamplePtrConst(unsigned int channel, unsigned long long frame) const;

    // Whether a channel is marked as holding only zeros over the working range
    // (always false from channel 64 on).
    bool IsChannelKnownZero(unsigned int channel) const
    {
        return channel < kMarkedChannelCount && (mZeroMarks >> channel) & 1ull;
    }

    // --- Working channels and ranges ---

    // Sets how many channels operations see. Above the total: refused, or
    // the total when `clamp` is set. Marks are not changed.
    bool SetWorkingChannelCount(unsigned int channelCount, bool clamp);
    void ResetWorkingChannelCount() { mWorkingChannelCount = TotalChannelCount(); }

    // Pushes {working first + first, count} (first relative to the working
    // range); refused when the stack is full or the range leaves the working
    // range. Marks are kept.
    bool StackWorkingSubRange(unsigned long long firstFrame, unsigned long long frameCount);
    // The same with first and count resolved from fractions of the working range.
    bool StackWorkingSubRange(AKNormIntv intv);
    // Pops back to the range below; false at the root. Marks are cleared when
    // the frame count changes.
    bool UnstackWorkingSubRange();
    // Drops every stacked sub-range back to the root; marks are cleared when
    // the frame count changes.
    void ResetAllWorkingSubRanges();
    // Copies another buffer's stack (same root frame count required); marks
    // are not changed.
    bool CopyWorkingSubRanges(QXSampleBuffer const& other);
    // Entries on the stack, the root included (1 to 10).
    unsigned int StackedSubRangeCount() const { return mSubRangeCount; }

    // --- Filling and in-place operations (false when the range check fails) ---
    //
    // Gains must be finite: a NaN or infinite gain is refused (false) before
    // any sample or mark changes, here and in the two-buffer operations.

    // Zeroes the range; skips channels already known to be zero and marks
    // each visited channel when the range covers the whole working range.
    bool Zeroset(QVSampleRange const& range);
    bool Reverse(QVSampleRange const& range);
    bool ApplyGain(double gain, QVSampleRange const& range);
    // Gain ramp from the first gain to the second.
    bool ApplyGain(double startGain, double endGain, QVSampleRange const& range);
    // Fade-in curve walked between two positions in [0, 1].
    bool ApplyFadeIn(double positionA, double positionB, QVSampleRange const& range);
    bool ApplyFadeIn(AKNormIntv positions, QVSampleRange const& range)
    {
        return ApplyFadeIn(positions.beg, positions.end, range);
    }
    // The mirrored curve: the fade-in at positions 1 - a to 1 - b.
    bool ApplyFadeOut(double positionA, double positionB, QVSampleRange const& range);
    bool ApplyFadeOut(AKNormIntv positions, QVSampleRange const& range)
    {
        return ApplyFadeOut(positions.beg, positions.end, range);
    }
    // Clamps samples to [low, high]; nothing unless low < high.
    bool ApplyClip(double low, double high, QVSampleRange const& range);
    // Uniform noise of the given amplitude.
    bool FillWithNoise(double amplitude, QVSampleRange const& range);

    // --- Queries ---

    // Every sample of the range within [-tolerance, +tolerance] (tolerance 0:
    // exactly zero). False for a negative tolerance; true for 0 frames.
    bool IsAlmostZero(QVSampleRange const& range, T tolerance) const;
    // Channels paired in order over the shorter frame count; tolerance 0
    // asks for bit-identical samples (+0 and -0 differ).
    bool IsAlmostEqual(QXSampleBuffer const& other, QVSampleRange const& range, T tolerance) const
    {
        return IsAlmostEqual(other, range, range, tolerance);
    }
    bool IsAlmostEqual(QXSampleBuffer const& other, QVSampleRange const& range1, QVSampleRange const& range2,
                       T tolerance) const;
    // Peak absolute level of channel j of the range into slot j of the
    // caller-sized array, for as many channels as both have; `over` (may be
    // null) tells whether a written level exceeds 1. False for an empty array.
    bool GetMaxLevels(ATArray<T>* levels, bool* over, QVSampleRange const& range) const;

    // --- Two-buffer operations (destination: this buffer) ---
    //
    // The one-range forms use the range for both buffers; the others take the
    // destination range, then the source range. Channels are paired in order
    // and the shorter frame count is used; extra channels and frames are left
    // alone.

    bool Copy(QXSampleBuffer const& source, QVSampleRange const& range) { return Copy(source, range, range); }
    bool Copy(QXSampleBuffer const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange);
    bool CopyAdd(QXSampleBuffer const& source, QVSampleRange const& range) { return CopyAdd(source, range, range); }
    bool CopyAdd(QXSampleBuffer const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange);
    bool CopyReversed(QXSampleBuffer const& source, QVSampleRange const& range)
    {
        return CopyReversed(source, range, range);
    }
    bool CopyReversed(QXSampleBuffer const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange);
    bool CopyWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& range)
    {
        return CopyWithGain(source, gain, range, range);
    }
    bool CopyWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& desRange,
                      QVSampleRange const& srcRange);
    bool CopyAddWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& range)
    {
        return CopyAddWithGain(source, gain, range, range);
    }
    bool CopyAddWithGain(QXSampleBuffer const& source, double gain, QVSampleRange const& desRange,
                         QVSampleRange const& srcRange);
    // Crossfade along the fade curve between two positions: position 0 keeps
    // the source alone, 1 the destination alone.
    bool CopyAddWithXFade(QXSampleBuffer const& source, double positionA, double positionB, QVSampleRange const& range)
    {
        return CopyAddWithXFade(source, positionA, positionB, range, range);
    }
    bool CopyAddWithXFade(QXSampleBuffer const& source, double positionA, double positionB,
                          QVSampleRange const& desRange, QVSampleRange const& srcRange);
    bool CopyAddWithXFade(QXSampleBuffer const& source, AKNormIntv positions, QVSampleRange const& range)
    {
        return CopyAddWithXFade(source, positions.beg, positions.end, range, range);
    }
    bool CopyAddWithXFade(QXSampleBuffer const& source, AKNormIntv positions, QVSampleRange const& desRange,
                          QVSampleRange const& srcRange)
    {
        return CopyAddWithXFade(source, positions.beg, positions.end, desRange, srcRange);
    }

    // Moves the range's samples by a signed number of frames inside this buffer.
    bool Move(int shift, QVSampleRange const& range);
    // Moves the source range onto the destination range inside this buffer;
    // overlapping ranges are handled.
    bool Move(QVSampleRange const& desRange, QVSampleRange const& srcRange);

    // Adds every source channel into every destination channel through the
    // matrix (row = destination channel, column = source channel); gains
    // within 0.000001 of 0 are skipped. Both ranges must cover all channels,
    // the working channel counts must match the matrix's outputs and inputs,
    // and every coefficient must be finite.
    bool CopyAddWithMatrix(QXSampleBuffer const& source, QVGainMatrix const& matrix, QVSampleRange const& range)
    {
        return CopyAddWithMatrix(source, matrix, range, range);
    }
    bool CopyAddWithMatrix(QXSampleBuffer const& source, QVGainMatrix const& matrix, QVSampleRange const& desRange,
                           QVSampleRange const& srcRange);

    // --- Conversions (U: the source element type, float or double) ---

    // Copy with element conversion (double to float rounds to nearest).
    template <class U>
    bool CopyCast(QXSampleBuffer<U> const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange);

    // Reads an interleaved block back into planar channels (built with the
    // interleaved buffer).
    template <class U>
    bool CopyCastDeinterleave(QXSampleInterleaved<U> const& source, QVSampleRange const& desRange,
                              QVSampleRange const& srcRange);

    // Converts raw sound-file samples, raw channel j into destination channel
    // j from the source range's first frame. False when the layout is refused
    // (channels already converted stay converted).
    bool CopyCastDeinterleavePCMData(QVSampleRawPCMData const& source, QVSampleRange const& range)
    {
        return CopyCastDeinterleavePCMData(source, range, range);
    }
    bool CopyCastDeinterleavePCMData(QVSampleRawPCMData const& source, QVSampleRange const& desRange,
                                     QVSampleRange const& srcRange);

    // Windowed-sinc resampling of a source range (with its border frames)
    // into the destination range (built with the resampler).
    template <class U>
    bool CopyCastResample(QXSampleBuffer<U> const& source, QVSampleRange const& desRange, QVSampleRange const& srcRange,
                          double speed, double phase, unsigned int quality, bool* tookExactPath);
    // Frames of border the resampler reads on each side of a source range.
    static unsigned long long GetSourceBorderFrameCountNeededToResample();
    // Border, needed and total source frames to resample into this buffer's
    // working frame count at a speed; null outputs are skipped.
    void ComputeSourceFrameCountNeededToResample(double speed, unsigned long long* border, unsigned long long* needed,
                                                 unsigned long long* total) const;

private:
    template <class>
    friend class QXSampleBuffer;

    // Operation codes of the two private steps.
    enum {
        kOpReverse = 1,
        kOpApplyGain = 2,
        kOpApplyFadeIn = 3,
        kOpApplyFadeOut = 4,
        kOpApplyClip = 5,
        kOpFillWithNoise = 6,
        kOpMove = 7,
        kOpCopy = 8,
        kOpCopyAdd = 9,
        kOpCopyWithGain = 10,
        kOpCopyAddWithGain = 11,
        kOpCopyAddWithXFade = 12,
        kOpCopyReversed = 13
    };

    // The in-place operations: checks the range, then applies operation
    // `code` with values a and b to each channel of it (mark cleared).
    bool LowAlgo(char const* operation, int code, QVSampleRange const& range, double a, double b);
    // The two-buffer operations: checks both ranges, pairs the channels in
    // order over the shorter frame count and applies operation `code`.
    bool LowCopy(char const* operation, int code, QXSampleBuffer const& source, QVSampleRange const& desRange,
                 QVSampleRange const& srcRange, double a, double b);

    // The block of a channel (absolute frame 0); null when missing.
    T* ChannelBlock(unsigned int channel) const { return channel < mChannels.Count() ? mChannels[channel] : nullptr; }
    // A channel's sample at a frame relative to the working range, unchecked
    // but for the block; null when the block is missing.
    T* WorkingPtr(unsigned int channel, unsigned long long frame) const
    {
        T* const block = ChannelBlock(channel);
        return block != nullptr ? block + mWorkingRange.firstFrame + frame : nullptr;
    }
    // The channels a checked range visits in a container of `channelCount`
    // channels: every one from 0, or the range's own.
    static unsigned int RangeFirstChannel(QVSampleRange const& range)
    {
        return range.channel == kQVSampleRangeAllChannels ? 0 : static_cast<unsigned int>(range.channel);
    }
    static unsigned int RangeChannelCount(QVSampleRange const& range, unsigned int channelCount)
    {
        return range.channel == kQVSampleRangeAllChannels ? channelCount : 1;
    }
    void ClearZeroMark(unsigned int channel)
    {
        if (channel < kMarkedChannelCount)
            mZeroMarks &= ~(1ull << channel);
    }
    void SetZeroMark(unsigned int channel)
    {
        if (channel < kMarkedChannelCount)
            mZeroMarks |= 1ull << channel;
    }
    // The mark bits of every channel of a buffer of `channelCount` channels.
    static unsigned long long AllZeroMarks(unsigned int channelCount)
    {
        return channelCount >= kMarkedChannelCount ? ~0ull : (1ull << channelCount) - 1;
    }
    // Makes the top of the stack the working range; clears the marks when its
    // frame count differs from the previous working range's.
    void TakeTopAsWorkingRange();

    ATArray<T*> mChannels;  // one block per allocated channel (null without frames)
    unsigned int mWorkingChannelCount = 0;
    TSubRange mWorkingRange = {0, 0};              // always equals the top of the stack
    TSubRange mSubRanges[kMaxSubRangeCount] = {};  // entry 0: the root {0, total frames}
    unsigned int mSubRangeCount = 1;
    unsigned long long mZeroMarks = 0;  // bit j: channel j holds only zeros over the working range
    double mSampleRate = 0.0;
    unsigned long long mUsedMemory = 0;  // bytes of sample storage
    int mUserFlag = 0;
};

extern template class QXSampleBuffer<float>;
extern template class QXSampleBuffer<double>;
