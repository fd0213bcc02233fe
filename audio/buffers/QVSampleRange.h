#pragma once

// QVSampleRange: the region an operation on a sample container works on:
// one channel or all of them, and a stretch of frames given either by first
// frame and count or by an interval of fractions of the container.
//
// Every container operation resolves a copy of each range it is given with
// QVSampleRangeCheck before touching a sample; a failed check makes the
// operation do nothing and answer false, and a checked count of 0 makes it
// succeed at once. Nothing here logs: a range that does not fit is an answer
// callers expect.

#include "AKTimeIntv.h"

// A frame count meaning "up to the end of the container": the 32-bit maximum
// held in the 64-bit field (not 2^64 - 1).
constexpr unsigned long long kQVSampleRangeToEnd = 0xFFFFFFFFull;
// The channel meaning "every channel of the container".
constexpr int kQVSampleRangeAllChannels = -1;

struct QVSampleRange {
    int channel;                    // -1 all channels, otherwise an index from 0
    unsigned long long firstFrame;  // relative to the container's working range
    unsigned long long frameCount;  // kQVSampleRangeToEnd: up to the end
    bool isNormalised;              // when set, normIntv decides instead of the two above
    AKNormIntv normIntv;            // fractions of the container's frames

    // For a normalised range, resolves the interval against a frame count,
    // stores first frame and count and clears the flag; false, the range
    // unchanged, when the interval is refused. Any other range is left as it
    // is and gives true.
    bool ResolveNormIntv(unsigned long long containerFrameCount);
    // A copy moved by a number of frames (same channel and count, not
    // normalised, interval {0, 1}). A normalised range, or a shift that
    // would move the first frame below 0 (or past 2^64 - 1), gives
    // kQVSampleRangeNull.
    QVSampleRange Shifted(int shift) const;
};

// Every channel, every frame.
constexpr QVSampleRange kQVSampleRangeAll = {-1, 0, kQVSampleRangeToEnd, false, kAKUnaryNormIntv};
// Channel 0, no frame.
constexpr QVSampleRange kQVSampleRangeNull = {0, 0, 0, false, kAKUnaryNormIntv};

// A range of frames by first frame and count (kQVSampleRangeToEnd: to the end).
inline constexpr QVSampleRange QVSampleRangeMake(int channel, unsigned long long firstFrame,
                                                 unsigned long long frameCount)
{
    return {channel, firstFrame, frameCount, false, kAKUnaryNormIntv};
}
// A range of frames by fractions of the container.
inline constexpr QVSampleRange QVSampleRangeMakeNorm(int channel, AKNormIntv intv)
{
    return {channel, 0, 0, true, intv};
}

// Turns an interval of fractions into first frame and count for a container
// of `frameCount` frames. Both outputs become 0 first (either may be null).
// Refused unless begin >= -0.00001, end <= 1.00001 and begin <= end. With 0
// frames: (0, 0) and true. Otherwise first = floor(begin × N + 0.5), last =
// floor(N × end + 0.5), refused when last > N, first < 0 or last < first;
// the count is last - first.
bool QVGetBufferSubIndexes(AKNormIntv intv, unsigned long long frameCount, unsigned long long* firstFrame,
                           unsigned long long* count);

// The range check against a container of `channelCount` channels and
// `frameCount` frames; the range is modified in place, so callers pass a
// copy:
//  1. a channel other than -1 must be below the channel count (compared
//     unsigned, so any other negative channel fails);
//  2. a normalised range gets its first frame and count from its interval
//     (the flag stays set), failing when the interval is refused; otherwise
//     a count of kQVSampleRangeToEnd becomes the container's frame count;
//  3. the first frame and count must lie inside the container's frames.
// The two texts name the calling operation and the argument ("Src", "Des",
// "Buf1", "Buf2") for diagnostics and change nothing. A null range fails.
bool QVSampleRangeCheckCounts(char const* operation, char const* argument, QVSampleRange* range,
                              unsigned int channelCount, unsigned long long frameCount);

// The range check against a container. A container is measured by its
// ChannelCount() and FrameCount() (the working ones for a planar buffer); one
// that counts otherwise gives an overload taking it by const reference, which
// is preferred to this template.
template <class TContainer>
inline bool QVSampleRangeCheck(char const* operation, char const* argument, QVSampleRange* range,
                               TContainer const& container)
{
    return QVSampleRangeCheckCounts(operation, argument, range, static_cast<unsigned int>(container.ChannelCount()),
                                    static_cast<unsigned long long>(container.FrameCount()));
}

// Whether two ranges have the same frame count. Two-range operations do not
// need it: they work on the shorter count.
bool QVSampleRangeCompare(char const* operation, QVSampleRange const& range1, QVSampleRange const& range2);
