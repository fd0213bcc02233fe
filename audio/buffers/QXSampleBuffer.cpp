#include "QXSampleBuffer.h"

#include "QVSig.h"
#include "QXSampleLimits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

// --- Lifetime and shape ---

template <class T>
QXSampleBuffer<T>::QXSampleBuffer()
{}

template <class T>
QXSampleBuffer<T>::~QXSampleBuffer()
{
    Free();
}

template <class T>
bool QXSampleBuffer<T>::Allocate(unsigned int channelCount, unsigned long long frameCount, double sampleRate,
                                 bool clean)
{
    // A rate that is no rate is refused before anything changes.
    if (!QXSampleIsAcceptableRate(sampleRate))
        return false;
    // An empty request never counts as a reuse: it always answers false.
    bool const emptyRequest = channelCount == 0 && frameCount == 0;

    if (!emptyRequest && TotalChannelCount() == channelCount && TotalFrameCount() == frameCount) {
        mWorkingChannelCount = channelCount;
        mSampleRate = sampleRate;
        ResetAllWorkingSubRanges();
        if (clean) {
            size_t const bytes = static_cast<size_t>(frameCount) * sizeof(T);
            for (unsigned int channel = 0; channel < channelCount; channel++)
                if (mChannels[channel] != nullptr)
                    memset(mChannels[channel], 0, bytes);
            mZeroMarks = AllZeroMarks(channelCount);
        } else {
            mZeroMarks = 0;
        }
        return true;
    }

    Free();
    if (emptyRequest) {
        mSampleRate = sampleRate;
        return false;
    }
    // One channel block is sized in 32 bits, and the whole buffer is bounded:
    // the channel array itself is never sized from an unchecked count.
    unsigned long long const blockBytes = frameCount * sizeof(T);
    if (channelCount > kQXSampleMaxChannelCount || frameCount > kQXSampleMaxBlockBytes / sizeof(T) ||
        blockBytes * channelCount > kQXSampleMaxTotalBytes)
        return false;

    try {
        mChannels.SetCount(channelCount);
    } catch (std::bad_alloc const&) {
        mChannels.Clear();
        return false;
    }
    if (frameCount != 0) {
        size_t const bytes = static_cast<size_t>(frameCount) * sizeof(T);
        for (unsigned int channel = 0; channel < channelCount; channel++) {
            void* const block = clean ? calloc(1, bytes) : malloc(bytes);
            if (block == nullptr) {
                for (unsigned int done = 0; done < channel; done++)
                    free(mChannels[done]);
                mChannels.Clear();
                return false;
            }
            mChannels[channel] = static_cast<T*>(block);
        }
    } else {
        std::fill(mChannels.begin(), mChannels.end(), nullptr);
    }

    mWorkingChannelCount = channelCount;
    mSubRanges[0] = TSubRangeMake(0, frameCount);
    mSubRangeCount = 1;
    mWorkingRange = mSubRanges[0];
    mZeroMarks = clean ? AllZeroMarks(channelCount) : 0;
    mSampleRate = sampleRate;
    mUsedMemory = frameCount * channelCount * sizeof(T);
    return true;
}

template <class T>
void QXSampleBuffer<T>::Free()
{
    if (mChannels.IsEmpty() && TotalFrameCount() == 0)
        return;
    for (T* block : mChannels)
        free(block);
    mChannels.Clear();
    mWorkingChannelCount = 0;
    mSubRanges[0] = TSubRangeMake(0, 0);
    mSubRangeCount = 1;
    mWorkingRange = mSubRanges[0];
    mZeroMarks = 0;
    mSampleRate = 0.0;
    mUsedMemory = 0;
}

template <class T>
double QXSampleBuffer<T>::BufferDuration() const
{
    if (!(mSampleRate > 0.0))
        return 0.0;
    return static_cast<double>(mWorkingRange.frameCount) / mSampleRate;
}

template <class T>
T* QXSampleBuffer<T>::SamplePtr(unsigned int channel, unsigned long long frame)
{
    if (channel >= mWorkingChannelCount || frame >= mWorkingRange.frameCount)
        return nullptr;
    T* const p = WorkingPtr(channel, frame);
    if (p != nullptr)
        ClearZeroMark(channel);
    return p;
}

template <class T>
T const* QXSampleBuffer<T>::SamplePtrConst(unsigned int channel, unsigned long long frame) const
{
    if (channel >= mWorkingChannelCount || frame >= mWorkingRange.frameCount)
        return nullptr;
    return WorkingPtr(channel, frame);
}

// --- Working channels and ranges ---

template <class T>
bool QXSampleBuffer<T>::SetWorkingChannelCount(unsigned int channelCount, bool clamp)
{
    if (channelCount > TotalChannelCount()) {
        if (!clamp)
            return false;
        channelCount = TotalChannelCount();
    }
    mWorkingChannelCount = channelCount;
    return true;
}

template <class T>
bool QXSampleBuffer<T>::StackWorkingSubRange(unsigned long long firstFrame, unsigned long long frameCount)
{
    if (mSubRangeCount >= kMaxSubRangeCount)
        return false;
    unsigned long long const available = mWorkingRange.frameCount;
    if (firstFrame > available || frameCount > available - firstFrame)
        return false;
    mWorkingRange = TSubRangeMake(mWorkingRange.firstFrame + firstFrame, frameCount);
    mSubRanges[mSubRangeCount++] = mWorkingRange;
    return true;
}

template <class T>
bool QXSampleBuffer<T>::StackWorkingSubRange(AKNormIntv intv)
{
    if (mSubRangeCount >= kMaxSubRangeCount)
        return false;
    unsigned long long first = 0;
    unsigned long long count = 0;
    if (!QVGetBufferSubIndexes(intv, mWorkingRange.frameCount, &first, &count))
        return false;
    return StackWorkingSubRange(first, count);
}

template <class T>
void QXSampleBuffer<T>::TakeTopAsWorkingRange()
{
    TSubRange const top = mSubRanges[mSubRangeCount - 1];
    if (top.frameCount != mWorkingRange.frameCount)
        mZeroMarks = 0;
    mWorkingRange = top;
}

template <class T>
bool QXSampleBuffer<T>::UnstackWorkingSubRange()
{
    if (mSubRangeCount <= 1)
        return false;
    mSubRangeCount--;
    TakeTopAsWorkingRange();
    return true;
}

template <class T>
void QXSampleBuffer<T>::ResetAllWorkingSubRanges()
{
    if (mSubRangeCount <= 1)
        return;
    mSubRangeCount = 1;
    TakeTopAsWorkingRange();
}

template <class T>
bool QXSampleBuffer<T>::CopyWorkingSubRanges(QXSampleBuffer const& other)
{
    if (other.TotalFrameCount() != TotalFrameCount())
        return false;
    if (&other == this)
        return true;
    std::copy(other.mSubRanges, other.mSubRanges + other.mSubRangeCount, mSubRanges);
    mSubRangeCount = other.mSubRangeCount;
    TSubRange const previous = mWorkingRange;
    mWorkingRange = mSubRanges[mSubRangeCount - 1];
    // Zeros over the previous working range are still zeros over any part of
    // it; a range reaching outside it may hold anything.
    bool const inside =
        mWorkingRange.firstFrame >= previous.firstFrame &&
        mWorkingRange.firstFrame + mWorkingRange.frameCount <= previous.firstFrame + previous.frameCount;
    if (!inside)
        mZeroMarks = 0;
    return true;
}

// --- Filling and in-place operations ---

template <class T>
bool QXSampleBuffer<T>::Zeroset(QVSampleRange const& range)
{
    QVSampleRange checked = range;
    if (!QVSampleRangeCheck("Zeroset", "Des", &checked, *this))
        return false;
    unsigned long long const count = checked.frameCount;
    if (count == 0)
        return true;
    bool const wholeWorkingRange = count == mWorkingRange.frameCount;
    unsigned int const first = RangeFirstChannel(checked);
    unsigned int const last = first + RangeChannelCount(checked, mWorkingChannelCount);
    for (unsigned int channel = first; channel < last; channel++) {
        if (!IsChannelKnownZero(channel)) {
            T* const p = WorkingPtr(channel, checked.firstFrame);
            if (p != nullptr)
                memset(p, 0, static_cast<size_t>(count) * sizeof(T));
        }
        if (wholeWorkingRange)
            SetZeroMark(channel);
    }
    return true;
}

template <class T>
bool QXSampleBuffer<T>::LowAlgo(char const* operation, int code, QVSampleRange const& range, double a, double b)
{
    QVSampleRange checked = range;
    if (!QVSampleRangeCheck(operation, "Des", &checked, *this))
        return false;
    // A channel block holds fewer than 2^32 bytes, so the count fits.
    unsigned int const count = static_cast<unsigned int>(checked.frameCount);
    if (count == 0)
        return true;
    unsigned int const first = RangeFirstChannel(checked);
    unsigned int const last = first + RangeChannelCount(checked, mWorkingChannelCount);
    for (unsigned int channel = first; channel < last; channel++) {
        T* const p = WorkingPtr(channel, checked.firstFrame);
        ClearZeroMark(channel);
        if (p == nullptr)
            continue;
        switch (code) {
        case kOpReverse:
            std::reverse(p, p + count);
            break;
        case kOpApplyGain:
            QVSig::ApplyGain(p, count, a, b);
            break;
        case kOpApplyFadeIn:
            QVSig::ApplyFadeIn(p, count, a, b);
            break;
        case kOpApplyFadeOut:
            QVSig::ApplyFadeIn(p, count, 1.0 - a, 1.0 - b);
            break;
        case kOpApplyClip:
            if (a < b) {
                T const low = static_cast<T>(a);
                T const high = static_cast<T>(b);
                for (unsigned int i = 0; i < count; i++) {
                    if (p[i] < low)
                        p[i] = low;
                    else if (p[i] > high)
                        p[i] = high;
                }
            }
            break;
        case kOpFillWithNoise:
            QVSig::FillWithNoise(p, count, a);
            break;
        default:
            break;
        }
    }
    return true;
}

template <class T>
bool QXSampleBuffer<T>::Reverse(QVSampleRange const& range)
{
    return LowAlgo("Reverse", kOpReverse, range, 0.0, 0.0);
}

template <class T>
bool QXSampleBuffer<T>::ApplyGain(double gain, QVSampleRange const& range)
{
    if (!std::isfinite(gain))
        return false;
    return LowAlgo("ApplyGain", kOpApplyGain, range, gain, gain);
}

template <class T>
bool QXSampleBuffer<T>::ApplyGain(double startGain, double endGain, QVSampleRange const& range)
{
    if (!std::isfinite(startGain) || !std::isfinite(endGain))
        return false;
    return LowAlgo("ApplyGain", kOpApplyGain, range, startGain, endGain);
}

template <class T>
bool QXSampleBuffer<T>::ApplyFadeIn(double positionA, double positionB, QVSampleRange const& range)
{
    return LowAlgo("ApplyFadeIn", kOpApplyFadeIn, range, positionA, positionB);
}

template <class T>
bool QXSampleBuffer<T>::ApplyFadeOut(double positionA, double positionB, QVSampleRange const& range)
{
    return LowAlgo("ApplyFadeOut", kOpApplyFadeOut, range, positionA, positionB);
}

template <class T>
bool QXSampleBuffer<T>::ApplyClip(double low, double high, QVSampleRange const& range)
{
    return LowAlgo("ApplyClip", kOpApplyClip, range, low, high);
}

template <class T>
bool QXSampleBuffer<T>::FillWithNoise(double amplitude, QVSampleRange const& range)
{
    return LowAlgo("FillWithNoise", kOpFillWithNoise, range, amplitude, 0.0);
}

// --- Queries ---

template <class T>
bool QXSampleBuffer<T>::IsAlmostZero(QVSampleRange const& range, T tolerance) const
{
    // Also refuses a NaN tolerance.
    if (!(tolerance >= T(0)))
        return false;
    QVSampleRange checked = range;
    if (!QVSampleRangeCheck("IsAlmostZero", "Src", &checked, *this))
        return false;
    unsigned int const count = static_cast<unsigned int>(checked.frameCount);
    if (count == 0)
        return true;
    unsigned int const first = RangeFirstChannel(checked);
    unsigned int const last = first + RangeChannelCount(checked, mWorkingChannelCount);
    for (unsigned int channel = first; channel < last; channel++)
        if (!QVSig::IsAlmostZero<T>(WorkingPtr(channel, checked.firstFrame), count, tolerance))
            return false;
    return true;
}

template <class T>
bool QXSampleBuffer<T>::IsAlmostEqual(QXSampleBuffer const& other, QVSampleRange const& range1,
                                      QVSampleRange const& range2, T tolerance) const
{
    QVSampleRange checked1 = range1;
    QVSampleRange checked2 = range2;
    if (!QVSampleRangeCheck("IsAlmostEqual", "Buf1", &checked1, *this) ||
        !QVSampleRangeCheck("IsAlmostEqual", "Buf2", &checked2, other))
        return false;
    if (!(tolerance >= T(0)))
        return false;
    unsigned int const count = static_cast<unsigned int>(std::min(checked1.frameCount, checked2.frameCount));
    if (count == 0)
        return true;
    unsigned int const first1 = RangeFirstChannel(checked1);
    unsigned int const first2 = RangeFirstChannel(checked2);
    unsigned int const pairs = std::min(RangeChannelCount(checked1, mWorkingChannelCount),
                                        RangeChannelCount(checked2, other.mWorkingChannelCount));
    for (unsigned int k = 0; k < pairs; k++) {
        T const* const mine = WorkingPtr(first1 + k, checked1.firstFrame);
        T const* const theirs = other.WorkingPtr(first2 + k, checked2.firstFrame);
        if (!QVSig::IsAlmostEqual<T>(mine, theirs, count, tolerance))
            return false;
    }
    return true;
}

template <class T>
bool QXSampleBuffer<T>::GetMaxLevels(ATArray<T>* levels, bool* over, QVSampleRange const& range) const
{
    if (levels == nullptr || levels->IsEmpty())
        return false;
    QVSampleRange checked = range;
    if (!QVSampleRangeCheck("GetMaxLevels", "Src", &checked, *this))
        return false;
    bool anyOver = false;
    unsigned int const count = static_cast<unsigned int>(checked.frameCount);
    if (count != 0) {
        unsigned int const first = RangeFirstChannel(checked);
        unsigned int const slots = std::min(RangeChannelCount(checked, mWorkingChannelCount), levels->Count());
        for (unsigned int j = 0; j < slots; j++) {
            T level = T(0);
            QVSig::GetMaxLevel<T>(WorkingPtr(first + j, checked.firstFrame), count, &level);
            (*levels)[j] = level;
            if (level > T(1))
                anyOver = true;
        }
    }
    if (over != nullptr)
        *over = anyOver;
    return true;
}

template class QXSampleBuffer<float>;
template class QXSampleBuffer<double>;
