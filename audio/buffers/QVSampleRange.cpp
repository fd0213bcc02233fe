#include "QVSampleRange.h"

#include <cmath>

bool QVGetBufferSubIndexes(AKNormIntv intv, unsigned long long frameCount, unsigned long long* firstFrame,
                           unsigned long long* count)
{
    if (firstFrame != nullptr)
        *firstFrame = 0;
    if (count != nullptr)
        *count = 0;

    // Written so that a NaN bound is refused.
    if (!(intv.end <= 1.00001 && intv.beg >= -0.00001 && intv.beg <= intv.end))
        return false;
    if (frameCount == 0)
        return true;
    // The whole range, asked for at every read of a block: the rounding
    // below gives exactly this for any count a buffer can hold.
    if (intv.beg == 0.0 && intv.end == 1.0 && frameCount < (1ull << 52)) {
        if (count != nullptr)
            *count = frameCount;
        return true;
    }

    // Rounded to the nearest frame. The bounds are compared as reals before
    // they become integers, so no conversion can overflow.
    double const frames = static_cast<double>(frameCount);
    double const first = std::floor(intv.beg * frames + 0.5);
    double const last = std::floor(frames * intv.end + 0.5);
    if (last > frames || first < 0.0 || last < first || last >= 18446744073709551616.0)
        return false;
    unsigned long long const firstIndex = static_cast<unsigned long long>(first);
    unsigned long long const lastIndex = static_cast<unsigned long long>(last);
    if (lastIndex > frameCount)
        return false;
    if (firstFrame != nullptr)
        *firstFrame = firstIndex;
    if (count != nullptr)
        *count = lastIndex - firstIndex;
    return true;
}

bool QVSampleRange::ResolveNormIntv(unsigned long long containerFrameCount)
{
    if (!isNormalised)
        return true;
    unsigned long long first = 0;
    unsigned long long count = 0;
    if (!QVGetBufferSubIndexes(normIntv, containerFrameCount, &first, &count))
        return false;
    firstFrame = first;
    frameCount = count;
    isNormalised = false;
    return true;
}

QVSampleRange QVSampleRange::Shifted(int shift) const
{
    if (isNormalised)
        return kQVSampleRangeNull;
    unsigned long long newFirst = firstFrame;
    if (shift < 0) {
        unsigned long long const back = static_cast<unsigned long long>(-static_cast<long long>(shift));
        if (back > firstFrame)
            return kQVSampleRangeNull;
        newFirst -= back;
    } else {
        unsigned long long const forward = static_cast<unsigned long long>(shift);
        // A first frame that would wrap around is no place either.
        if (forward > ~0ull - firstFrame)
            return kQVSampleRangeNull;
        newFirst += forward;
    }
    return QVSampleRangeMake(channel, newFirst, frameCount);
}

bool QVSampleRangeCheckCounts(char const* operation, char const* argument, QVSampleRange* range,
                              unsigned int channelCount, unsigned long long frameCount)
{
    // The names are for diagnostics only: a range that does not fit is an
    // expected answer, so nothing is logged.
    (void)operation;
    (void)argument;
    if (range == nullptr)
        return false;

    if (range->channel != kQVSampleRangeAllChannels && static_cast<unsigned int>(range->channel) >= channelCount)
        return false;

    if (range->isNormalised) {
        if (!QVGetBufferSubIndexes(range->normIntv, frameCount, &range->firstFrame, &range->frameCount))
            return false;
    } else if (range->frameCount == kQVSampleRangeToEnd) {
        range->frameCount = frameCount;
    }

    // first + count <= frames, without letting the sum wrap around.
    return range->firstFrame <= frameCount && range->frameCount <= frameCount - range->firstFrame;
}

bool QVSampleRangeCompare(char const* operation, QVSampleRange const& range1, QVSampleRange const& range2)
{
    (void)operation;
    return range1.frameCount == range2.frameCount;
}
