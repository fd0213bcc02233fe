#include "QXSampleBuffer.h"

#include "QVGainMatrix.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"
#include "QXSampleInterleaved.h"
#include "QXSampleLimits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

// A distinct non-zero value for every sample of a few channels.
double Pattern(unsigned int channel, unsigned long long frame)
{
    return 0.001 * static_cast<double>(frame + 1) + 0.25 * channel;
}

template <class T>
void FillPattern(QXSampleBuffer<T>& buffer, double scale = 1.0)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); c++)
        for (unsigned long long f = 0; f < buffer.FrameCount(); f++)
            *buffer.SamplePtr(c, f) = static_cast<T>(scale * Pattern(c, f));
}

template <class T>
T At(QXSampleBuffer<T> const& buffer, unsigned int channel, unsigned long long frame)
{
    T const* p = buffer.SamplePtrConst(channel, frame);
    EXPECT_NE(p, nullptr) << "channel " << channel << " frame " << frame;
    return p != nullptr ? *p : T(-999);
}

template <class T>
bool AllZero(QXSampleBuffer<T> const& buffer)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); c++)
        for (unsigned long long f = 0; f < buffer.FrameCount(); f++)
            if (At(buffer, c, f) != T(0))
                return false;
    return true;
}

template <class T>
bool AnyNonZero(QXSampleBuffer<T> const& buffer, unsigned int channel)
{
    for (unsigned long long f = 0; f < buffer.FrameCount(); f++)
        if (At(buffer, channel, f) != T(0))
            return true;
    return false;
}

template <class T>
class QXSampleBufferTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(QVSig::InitTables(), 0); }
};

using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QXSampleBufferTest, SampleTypes);

}  // namespace

// --- Allocation ---

TYPED_TEST(QXSampleBufferTest, CleanAllocationOfTheSameShapeReusesTheBlocksAndClearsThem)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 100, 44100.0));
    EXPECT_EQ(buffer.UsedMemory(), 2u * 100u * sizeof(T));
    EXPECT_TRUE(buffer.IsChannelKnownZero(0) && buffer.IsChannelKnownZero(1));
    T const* block0 = buffer.SamplePtrConst(0, 0);
    T const* block1 = buffer.SamplePtrConst(1, 0);

    FillPattern(buffer);
    ASSERT_TRUE(buffer.StackWorkingSubRange(10, 20));
    ASSERT_TRUE(buffer.SetWorkingChannelCount(1, false));

    ASSERT_TRUE(buffer.AllocateClean(2, 100, 48000.0));
    EXPECT_EQ(buffer.SamplePtrConst(0, 0), block0);
    EXPECT_EQ(buffer.SamplePtrConst(1, 0), block1);
    EXPECT_EQ(buffer.ChannelCount(), 2u);
    EXPECT_EQ(buffer.FrameCount(), 100u);
    EXPECT_EQ(buffer.StackedSubRangeCount(), 1u);
    EXPECT_EQ(buffer.SampleRate(), 48000.0);
    EXPECT_TRUE(buffer.IsChannelKnownZero(0) && buffer.IsChannelKnownZero(1));
    EXPECT_TRUE(AllZero(buffer));
}

TYPED_TEST(QXSampleBufferTest, PlainReuseKeepsTheSamplesAndForgetsTheMarks)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 8, 44100.0));
    *buffer.SamplePtr(1, 3) = T(0.5);
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    ASSERT_TRUE(buffer.IsChannelKnownZero(0));

    ASSERT_TRUE(buffer.Allocate(2, 8, 44100.0, false));
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));
    EXPECT_FALSE(buffer.IsChannelKnownZero(1));
    EXPECT_EQ(At(buffer, 1, 3), T(0.5));
}

TYPED_TEST(QXSampleBufferTest, EmptyRequestAnswersFalseAndKeepsOnlyTheRate)
{
    using T = TypeParam;
    // On a fresh buffer (whose shape is already 0 × 0) and on an allocated one.
    QXSampleBuffer<T> fresh;
    EXPECT_FALSE(fresh.Allocate(0, 0, 44100.0, true));
    EXPECT_EQ(fresh.SampleRate(), 44100.0);
    EXPECT_TRUE(fresh.IsEmpty());

    QXSampleBuffer<T> used;
    ASSERT_TRUE(used.AllocateClean(2, 16, 48000.0));
    EXPECT_FALSE(used.Allocate(0, 0, 44100.0, false));
    EXPECT_EQ(used.SampleRate(), 44100.0);
    EXPECT_EQ(used.TotalChannelCount(), 0u);
    EXPECT_EQ(used.TotalFrameCount(), 0u);
    EXPECT_EQ(used.UsedMemory(), 0u);
}

TYPED_TEST(QXSampleBufferTest, ShapesWithoutStorage)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(3, 0, 44100.0, false));
    EXPECT_EQ(buffer.TotalChannelCount(), 3u);
    EXPECT_EQ(buffer.UsedMemory(), 0u);
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.SamplePtr(0, 0), nullptr);
    EXPECT_TRUE(buffer.Zeroset(kQVSampleRangeAll));

    ASSERT_TRUE(buffer.Allocate(0, 50, 44100.0, false));
    EXPECT_EQ(buffer.TotalChannelCount(), 0u);
    EXPECT_EQ(buffer.TotalFrameCount(), 50u);
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.UsedMemory(), 0u);
}

TYPED_TEST(QXSampleBufferTest, ChannelBlocksOf4GiBOrMoreAreRefused)
{
    using T = TypeParam;
    unsigned long long const tooMany = (1ull << 32) / sizeof(T);
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(1, 16, 44100.0));
    EXPECT_FALSE(buffer.Allocate(1, tooMany, 44100.0, false));
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.TotalChannelCount(), 0u);
    EXPECT_EQ(buffer.UsedMemory(), 0u);
}

TYPED_TEST(QXSampleBufferTest, ShapesBeyondTheLimitsAreRefusedBeforeAnyMemoryIsAsked)
{
    using T = TypeParam;
    // The largest channel blocks the limits allow for 1024 channels, and
    // for 16 channels, which each stay below 4 GiB.
    unsigned long long const framesAtTotal = kQXSampleMaxTotalBytes / kQXSampleMaxChannelCount / sizeof(T);
    unsigned long long const framesAtBlock = kQXSampleMaxBlockBytes / sizeof(T);
    struct Case {
        char const* what;
        unsigned int channels;
        unsigned long long frames;
    } const refused[] = {
        {"2^31 channels", 1u << 31, 16},
        {"2^31 channels without frames", 1u << 31, 0},
        {"every channel", 0xFFFFFFFFu, 1},
        {"one channel too many", kQXSampleMaxChannelCount + 1, 0},
        {"the whole beyond 64 GiB", kQXSampleMaxChannelCount, framesAtTotal + 1},
        {"17 blocks below 4 GiB", 17, framesAtBlock},
    };
    QXSampleBuffer<T> buffer;
    for (Case const& test : refused) {
        SCOPED_TRACE(test.what);
        ASSERT_TRUE(buffer.AllocateClean(1, 16, 44100.0));
        EXPECT_FALSE(buffer.Allocate(test.channels, test.frames, 44100.0, true));
        EXPECT_EQ(buffer.TotalChannelCount(), 0u);
        EXPECT_EQ(buffer.UsedMemory(), 0u);
    }
    ASSERT_TRUE(buffer.Allocate(kQXSampleMaxChannelCount, 0, 44100.0, false));
    ASSERT_TRUE(buffer.AllocateClean(kQXSampleMaxChannelCount, 4, 44100.0));
    EXPECT_EQ(buffer.TotalChannelCount(), kQXSampleMaxChannelCount);
    EXPECT_EQ(buffer.UsedMemory(), kQXSampleMaxChannelCount * 4 * sizeof(T));
}

TYPED_TEST(QXSampleBufferTest, RatesThatAreNoRatesAreRefusedAndChangeNothing)
{
    using T = TypeParam;
    double const rates[] = {std::nan(""), -44100.0, HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::denorm_min()};
    for (double rate : rates) {
        SCOPED_TRACE(rate);
        QXSampleBuffer<T> buffer;
        ASSERT_TRUE(buffer.AllocateClean(2, 8, 44100.0));
        FillPattern(buffer);
        T const* block = buffer.SamplePtrConst(0, 0);
        // The same shape (the real-time re-preparation), another shape and
        // the empty request.
        EXPECT_FALSE(buffer.Allocate(2, 8, rate, true));
        EXPECT_FALSE(buffer.Allocate(3, 8, rate, false));
        EXPECT_FALSE(buffer.Allocate(0, 0, rate, false));
        EXPECT_EQ(buffer.SampleRate(), 44100.0);
        EXPECT_EQ(buffer.TotalChannelCount(), 2u);
        EXPECT_EQ(buffer.SamplePtrConst(0, 0), block);
        EXPECT_EQ(At(buffer, 1, 7), static_cast<T>(Pattern(1, 7)));
    }
    // 0 stands for a rate not known yet.
    QXSampleBuffer<T> unknown;
    EXPECT_TRUE(unknown.Allocate(2, 8, 0.0, false));
    EXPECT_EQ(unknown.BufferDuration(), 0.0);
}

TYPED_TEST(QXSampleBufferTest, FreeEmptiesButKeepsTheUserFlag)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    buffer.SetUserFlag(7);
    ASSERT_TRUE(buffer.AllocateClean(2, 40, 44100.0));
    ASSERT_TRUE(buffer.StackWorkingSubRange(5, 10));
    EXPECT_DOUBLE_EQ(buffer.BufferDuration(), 10.0 / 44100.0);
    EXPECT_EQ(buffer.SampleCount(), 20u);

    buffer.Free();
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.TotalChannelCount(), 0u);
    EXPECT_EQ(buffer.TotalFrameCount(), 0u);
    EXPECT_EQ(buffer.FrameCount(), 0u);
    EXPECT_EQ(buffer.RealFramePosition(), 0u);
    EXPECT_EQ(buffer.StackedSubRangeCount(), 1u);
    EXPECT_EQ(buffer.SampleRate(), 0.0);
    EXPECT_EQ(buffer.BufferDuration(), 0.0);
    EXPECT_EQ(buffer.UsedMemory(), 0u);
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));
    EXPECT_EQ(buffer.UserFlag(), 7);
}

// --- Working channels and the sub-range stack ---

TYPED_TEST(QXSampleBufferTest, SubRangeNarrowsEveryAccess)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 100, 44100.0));
    T const* block = buffer.SamplePtrConst(0, 0);

    ASSERT_TRUE(buffer.StackWorkingSubRange(10, 20));
    EXPECT_EQ(buffer.FrameCount(), 20u);
    EXPECT_EQ(buffer.RealFramePosition(), 10u);
    EXPECT_EQ(buffer.TotalFrameCount(), 100u);
    EXPECT_EQ(buffer.SamplePtr(0, 0), block + 10);
    EXPECT_EQ(buffer.SamplePtr(0, 20), nullptr);
    EXPECT_EQ(buffer.SamplePtr(2, 0), nullptr);

    // Nested, relative to the range above; then back out.
    ASSERT_TRUE(buffer.StackWorkingSubRange(5, 5));
    EXPECT_EQ(buffer.RealFramePosition(), 15u);
    EXPECT_FALSE(buffer.StackWorkingSubRange(3, 3));  // 3 + 3 > 5
    ASSERT_TRUE(buffer.UnstackWorkingSubRange());
    EXPECT_EQ(buffer.RealFramePosition(), 10u);
    EXPECT_EQ(buffer.FrameCount(), 20u);
    ASSERT_TRUE(buffer.UnstackWorkingSubRange());
    EXPECT_EQ(buffer.FrameCount(), 100u);
    EXPECT_FALSE(buffer.UnstackWorkingSubRange());

    // The interval form: {0.25, 0.5} of 100 frames.
    ASSERT_TRUE(buffer.StackWorkingSubRange(AKNormIntv{0.25, 0.5}));
    EXPECT_EQ(buffer.RealFramePosition(), 25u);
    EXPECT_EQ(buffer.FrameCount(), 25u);
    EXPECT_FALSE(buffer.StackWorkingSubRange(AKNormIntv{0.5, 0.25}));
    buffer.ResetAllWorkingSubRanges();
    EXPECT_EQ(buffer.FrameCount(), 100u);
    EXPECT_EQ(buffer.StackedSubRangeCount(), 1u);
}

TYPED_TEST(QXSampleBufferTest, TheEleventhEntryIsRefused)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(1, 100, 44100.0));
    for (unsigned int i = 1; i < 10; i++)
        ASSERT_TRUE(buffer.StackWorkingSubRange(1, buffer.FrameCount() - 1)) << "push " << i;
    EXPECT_EQ(buffer.StackedSubRangeCount(), 10u);
    EXPECT_EQ(buffer.RealFramePosition(), 9u);
    EXPECT_FALSE(buffer.StackWorkingSubRange(0, 1));
    EXPECT_FALSE(buffer.StackWorkingSubRange(AKNormIntv{0.0, 1.0}));
    EXPECT_EQ(buffer.StackedSubRangeCount(), 10u);
    EXPECT_EQ(buffer.RealFramePosition(), 9u);
    EXPECT_EQ(buffer.FrameCount(), 91u);
}

TYPED_TEST(QXSampleBufferTest, WorkingChannelCount)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(4, 10, 44100.0));
    EXPECT_TRUE(buffer.SetWorkingChannelCount(2, false));
    EXPECT_EQ(buffer.ChannelCount(), 2u);
    EXPECT_EQ(buffer.SamplePtr(2, 0), nullptr);
    EXPECT_FALSE(buffer.SetWorkingChannelCount(5, false));
    EXPECT_EQ(buffer.ChannelCount(), 2u);
    EXPECT_TRUE(buffer.SetWorkingChannelCount(5, true));
    EXPECT_EQ(buffer.ChannelCount(), 4u);
    ASSERT_TRUE(buffer.SetWorkingChannelCount(1, false));
    buffer.ResetWorkingChannelCount();
    EXPECT_EQ(buffer.ChannelCount(), 4u);
}

TYPED_TEST(QXSampleBufferTest, CopyWorkingSubRangesNeedsTheSameRoot)
{
    using T = TypeParam;
    QXSampleBuffer<T> model, lent, other;
    ASSERT_TRUE(model.AllocateClean(2, 64, 44100.0));
    ASSERT_TRUE(lent.AllocateClean(1, 64, 44100.0));
    ASSERT_TRUE(other.AllocateClean(2, 32, 44100.0));
    ASSERT_TRUE(model.StackWorkingSubRange(8, 40));
    ASSERT_TRUE(model.StackWorkingSubRange(2, 10));

    EXPECT_FALSE(other.CopyWorkingSubRanges(model));
    EXPECT_EQ(other.FrameCount(), 32u);
    ASSERT_TRUE(lent.CopyWorkingSubRanges(model));
    EXPECT_EQ(lent.StackedSubRangeCount(), 3u);
    EXPECT_EQ(lent.RealFramePosition(), 10u);
    EXPECT_EQ(lent.FrameCount(), 10u);
    ASSERT_TRUE(lent.UnstackWorkingSubRange());
    EXPECT_EQ(lent.RealFramePosition(), 8u);
    EXPECT_TRUE(model.CopyWorkingSubRanges(model));
}

// --- Known-zero marks ---

TYPED_TEST(QXSampleBufferTest, WholeRangeZerosetMarksAndSkipsTheNextTime)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(2, 32, 44100.0, false));
    FillPattern(buffer);
    T* p = buffer.SamplePtr(0, 5);

    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    EXPECT_TRUE(buffer.IsChannelKnownZero(0));
    EXPECT_FALSE(buffer.IsChannelKnownZero(1));
    EXPECT_EQ(*p, T(0));

    // Written behind the buffer's back: a marked channel is not written again.
    *p = T(0.5);
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    EXPECT_EQ(*p, T(0.5));

    // SamplePtr drops the mark, so the next Zeroset writes.
    ASSERT_NE(buffer.SamplePtr(0, 0), nullptr);
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    EXPECT_EQ(*p, T(0));
    EXPECT_TRUE(buffer.IsChannelKnownZero(0));
}

TYPED_TEST(QXSampleBufferTest, PartialZerosetLeavesTheChannelUnmarked)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(1, 32, 44100.0, false));
    FillPattern(buffer);
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, 31)));
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));
    EXPECT_EQ(At(buffer, 0, 30), T(0));
    EXPECT_EQ(At(buffer, 0, 31), static_cast<T>(Pattern(0, 31)));
}

TYPED_TEST(QXSampleBufferTest, MarksFollowTheWorkingRange)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(1, 100, 44100.0, false));
    FillPattern(buffer);

    // Zeros over a sub-range say nothing of the frames around it.
    ASSERT_TRUE(buffer.StackWorkingSubRange(10, 20));
    ASSERT_TRUE(buffer.Zeroset(kQVSampleRangeAll));
    EXPECT_TRUE(buffer.IsChannelKnownZero(0));
    ASSERT_TRUE(buffer.UnstackWorkingSubRange());
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));
    ASSERT_TRUE(buffer.Zeroset(kQVSampleRangeAll));
    EXPECT_TRUE(AllZero(buffer));

    // Zeros over the whole buffer are zeros over any part of it.
    ASSERT_TRUE(buffer.StackWorkingSubRange(10, 20));
    EXPECT_TRUE(buffer.IsChannelKnownZero(0));
    buffer.ResetAllWorkingSubRanges();
    EXPECT_FALSE(buffer.IsChannelKnownZero(0));  // the frame count changed
}

TYPED_TEST(QXSampleBufferTest, CopiedSubRangesOutsideTheMarkedRangeDropTheMarks)
{
    using T = TypeParam;
    QXSampleBuffer<T> model, lent;
    ASSERT_TRUE(model.AllocateClean(1, 100, 44100.0));
    ASSERT_TRUE(lent.Allocate(1, 100, 44100.0, false));
    FillPattern(lent);

    // The lent buffer is silent over frames 0 to 19 only.
    ASSERT_TRUE(lent.StackWorkingSubRange(0, 20));
    ASSERT_TRUE(lent.Zeroset(kQVSampleRangeAll));
    ASSERT_TRUE(lent.IsChannelKnownZero(0));

    // Narrowed like the model to frames 50 to 69, which hold the pattern:
    // the next clearing must write.
    ASSERT_TRUE(model.StackWorkingSubRange(50, 20));
    ASSERT_TRUE(lent.CopyWorkingSubRanges(model));
    EXPECT_FALSE(lent.IsChannelKnownZero(0));
    ASSERT_TRUE(lent.Zeroset(kQVSampleRangeAll));
    EXPECT_TRUE(AllZero(lent));
}

// Every operation that writes into a channel drops its mark, so that clearing
// afterwards really clears. Each case runs on a buffer cleared (and marked)
// over its whole working range, writes through the operation, and must leave
// every sample at 0 after a further Zeroset.
TYPED_TEST(QXSampleBufferTest, EveryWriterDropsTheKnownZeroMark)
{
    using T = TypeParam;
    constexpr unsigned int kChannels = 2;
    constexpr unsigned long long kFrames = 48;

    QXSampleBuffer<T> source;
    ASSERT_TRUE(source.Allocate(kChannels, kFrames, 44100.0, false));
    FillPattern(source);
    QXSampleBuffer<float> floatSource;
    ASSERT_TRUE(floatSource.Allocate(kChannels, kFrames, 44100.0, false));
    FillPattern(floatSource);
    QXSampleBuffer<double> doubleSource;
    ASSERT_TRUE(doubleSource.Allocate(kChannels, kFrames, 44100.0, false));
    FillPattern(doubleSource);

    std::vector<short> raw(kChannels * kFrames, 1000);
    QVSampleRawPCMData pcm;
    ASSERT_TRUE(pcm.AttachPCMData(reinterpret_cast<unsigned char const*>(raw.data()), 16 | kQVAudioPCMInfoLittleEndian,
                                  kChannels, kFrames, 44100.0));
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.Allocate(kChannels, kFrames, 44100.0, false));
    for (unsigned long long f = 0; f < kFrames; f++)
        for (unsigned int c = 0; c < kChannels; c++)
            interleaved.FramePtr(f)[c] = 0.5f;

    // Room for the resampler's border of 28 frames on each side.
    QXSampleBuffer<double> resampleSource;
    ASSERT_TRUE(resampleSource.Allocate(kChannels, kFrames + 64, 44100.0, false));
    FillPattern(resampleSource);
    QVSampleRange const resampled = QVSampleRangeMake(-1, 28, kFrames);

    QVGainMatrix matrix(kChannels, kChannels);
    matrix.SetCoeff(0, 1, 0.5);
    matrix.SetCoeff(1, 0, 1.0);

    QVSampleRange const all = kQVSampleRangeAll;
    QVSampleRange const front = QVSampleRangeMake(-1, 0, kFrames / 2);
    QVSampleRange const back = QVSampleRangeMake(-1, kFrames / 2, kFrames / 2);
    using Buffer = QXSampleBuffer<T>;

    struct Case {
        char const* name;
        std::function<bool(Buffer&)> write;
        bool writesNonZero;  // otherwise only the mark can show the write
    };
    std::vector<Case> const cases = {
        {"SamplePtr",
         [](Buffer& b) {
             *b.SamplePtr(0, 3) = T(1);
             *b.SamplePtr(1, 3) = T(1);
             return true;
         },
         true},
        {"Reverse", [&](Buffer& b) { return b.Reverse(all); }, false},
        {"ApplyGain", [&](Buffer& b) { return b.ApplyGain(0.5, all); }, false},
        {"ApplyGainRamp", [&](Buffer& b) { return b.ApplyGain(0.2, 0.8, all); }, false},
        {"ApplyFadeIn", [&](Buffer& b) { return b.ApplyFadeIn(0.0, 1.0, all); }, false},
        {"ApplyFadeInIntv",
         [&](Buffer& b) {
             return b.ApplyFadeIn(AKNormIntv{0.0, 0.5}, all);
         },
         false},
        {"ApplyFadeOut", [&](Buffer& b) { return b.ApplyFadeOut(0.0, 1.0, all); }, false},
        {"ApplyFadeOutIntv",
         [&](Buffer& b) {
             return b.ApplyFadeOut(AKNormIntv{0.5, 1.0}, all);
         },
         false},
        {"ApplyClip", [&](Buffer& b) { return b.ApplyClip(0.25, 0.5, all); }, true},
        {"FillWithNoise", [&](Buffer& b) { return b.FillWithNoise(0.5, all); }, true},
        {"Copy", [&](Buffer& b) { return b.Copy(source, all); }, true},
        {"CopyTwoRanges", [&](Buffer& b) { return b.Copy(source, all, all); }, true},
        {"CopyAdd", [&](Buffer& b) { return b.CopyAdd(source, all); }, true},
        {"CopyAddTwoRanges", [&](Buffer& b) { return b.CopyAdd(source, all, all); }, true},
        {"CopyReversed", [&](Buffer& b) { return b.CopyReversed(source, all); }, true},
        {"CopyReversedTwoRanges", [&](Buffer& b) { return b.CopyReversed(source, all, all); }, true},
        {"CopyWithGain", [&](Buffer& b) { return b.CopyWithGain(source, 0.5, all); }, true},
        {"CopyWithGainTwoRanges", [&](Buffer& b) { return b.CopyWithGain(source, 0.5, all, all); }, true},
        {"CopyAddWithGain", [&](Buffer& b) { return b.CopyAddWithGain(source, 0.5, all); }, true},
        {"CopyAddWithGainTwoRanges", [&](Buffer& b) { return b.CopyAddWithGain(source, 0.5, all, all); }, true},
        {"CopyAddWithXFade", [&](Buffer& b) { return b.CopyAddWithXFade(source, 0.0, 0.5, all); }, true},
        {"CopyAddWithXFadeTwoRanges", [&](Buffer& b) { return b.CopyAddWithXFade(source, 0.0, 0.5, all, all); }, true},
        {"CopyAddWithXFadeIntv",
         [&](Buffer& b) {
             return b.CopyAddWithXFade(source, AKNormIntv{0.0, 0.5}, all);
         },
         true},
        {"CopyAddWithXFadeIntvTwoRanges",
         [&](Buffer& b) {
             return b.CopyAddWithXFade(source, AKNormIntv{0.0, 0.5}, all, all);
         },
         true},
        {"MoveByShift", [&](Buffer& b) { return b.Move(kFrames / 2, front); }, false},
        {"MoveRanges", [&](Buffer& b) { return b.Move(back, front); }, false},
        {"CopyAddWithMatrix", [&](Buffer& b) { return b.CopyAddWithMatrix(source, matrix, all); }, true},
        {"CopyAddWithMatrixTwoRanges", [&](Buffer& b) { return b.CopyAddWithMatrix(source, matrix, all, all); }, true},
        {"CopyCastFromFloat", [&](Buffer& b) { return b.CopyCast(floatSource, all, all); }, true},
        {"CopyCastFromDouble", [&](Buffer& b) { return b.CopyCast(doubleSource, all, all); }, true},
        {"CopyCastDeinterleave", [&](Buffer& b) { return b.CopyCastDeinterleave(interleaved, all, all); }, true},
        {"CopyCastResampleExact",
         [&](Buffer& b) { return b.CopyCastResample(resampleSource, all, resampled, 1.0, 0.0, 4, nullptr); }, true},
        {"CopyCastResampleKernel",
         [&](Buffer& b) { return b.CopyCastResample(resampleSource, all, resampled, 0.7, 0.25, 0x104, nullptr); },
         true},
        {"CopyCastDeinterleavePCMData", [&](Buffer& b) { return b.CopyCastDeinterleavePCMData(pcm, all); }, true},
        {"CopyCastDeinterleavePCMDataTwoRanges",
         [&](Buffer& b) { return b.CopyCastDeinterleavePCMData(pcm, all, all); }, true},
    };

    for (Case const& test : cases) {
        SCOPED_TRACE(test.name);
        Buffer buffer;
        ASSERT_TRUE(buffer.Allocate(kChannels, kFrames, 44100.0, false));
        FillPattern(buffer, -3.0);
        ASSERT_TRUE(buffer.Zeroset(kQVSampleRangeAll));
        ASSERT_TRUE(buffer.IsChannelKnownZero(0) && buffer.IsChannelKnownZero(1));

        ASSERT_TRUE(test.write(buffer));
        EXPECT_FALSE(buffer.IsChannelKnownZero(0));
        EXPECT_FALSE(buffer.IsChannelKnownZero(1));
        if (test.writesNonZero) {
            EXPECT_TRUE(AnyNonZero(buffer, 0) && AnyNonZero(buffer, 1));
        }

        ASSERT_TRUE(buffer.Zeroset(kQVSampleRangeAll));
        EXPECT_TRUE(AllZero(buffer));
    }

    // A move from another channel brings non-zero samples into a marked one.
    Buffer buffer;
    ASSERT_TRUE(buffer.Allocate(kChannels, kFrames, 44100.0, false));
    FillPattern(buffer);
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    ASSERT_TRUE(
        buffer.Move(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd), QVSampleRangeMake(1, 0, kQVSampleRangeToEnd)));
    EXPECT_TRUE(AnyNonZero(buffer, 0));
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    EXPECT_FALSE(AnyNonZero(buffer, 0));
}

// --- In-place operations ---

TYPED_TEST(QXSampleBufferTest, InPlaceOperationsWorkOnTheRangeOnly)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(2, 40, 44100.0, false));
    FillPattern(buffer);
    // Channel 1, frames 5 to 14 of the sub-range from frame 10.
    ASSERT_TRUE(buffer.StackWorkingSubRange(10, 30));
    QVSampleRange const range = QVSampleRangeMake(1, 5, 10);

    std::vector<T> expected(10);
    for (unsigned int i = 0; i < 10; i++)
        expected[i] = static_cast<T>(Pattern(1, 15 + i));
    ASSERT_TRUE(buffer.ApplyGain(0.25, 0.75, range));
    QVSig::ApplyGain(expected.data(), 10, 0.25, 0.75);
    ASSERT_TRUE(buffer.ApplyFadeOut(0.2, 0.9, range));
    QVSig::ApplyFadeIn(expected.data(), 10, 0.8, 1.0 - 0.9);
    ASSERT_TRUE(buffer.Reverse(range));
    std::reverse(expected.begin(), expected.end());

    for (unsigned int i = 0; i < 10; i++)
        EXPECT_EQ(At(buffer, 1, 5 + i), expected[i]) << i;
    buffer.ResetAllWorkingSubRanges();
    for (unsigned long long f = 0; f < 40; f++) {
        EXPECT_EQ(At(buffer, 0, f), static_cast<T>(Pattern(0, f)));
        if (f < 15 || f >= 25) {
            EXPECT_EQ(At(buffer, 1, f), static_cast<T>(Pattern(1, f))) << f;
        }
    }
}

TYPED_TEST(QXSampleBufferTest, ClipNeedsLowBelowHigh)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(1, 4, 44100.0, false));
    T const values[4] = {T(-0.75), T(-0.25), T(0.25), T(0.75)};
    for (unsigned int i = 0; i < 4; i++)
        *buffer.SamplePtr(0, i) = values[i];

    ASSERT_TRUE(buffer.ApplyClip(0.5, 0.5, kQVSampleRangeAll));
    for (unsigned int i = 0; i < 4; i++)
        EXPECT_EQ(At(buffer, 0, i), values[i]);
    ASSERT_TRUE(buffer.ApplyClip(-0.5, 0.5, kQVSampleRangeAll));
    EXPECT_EQ(At(buffer, 0, 0), T(-0.5));
    EXPECT_EQ(At(buffer, 0, 1), T(-0.25));
    EXPECT_EQ(At(buffer, 0, 2), T(0.25));
    EXPECT_EQ(At(buffer, 0, 3), T(0.5));
}

TYPED_TEST(QXSampleBufferTest, NoiseStaysWithinItsAmplitude)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 256, 44100.0));
    ASSERT_TRUE(buffer.FillWithNoise(0.1, QVSampleRangeMake(1, 0, kQVSampleRangeToEnd)));
    EXPECT_TRUE(buffer.IsAlmostZero(QVSampleRangeMake(0, 0, kQVSampleRangeToEnd), T(0)));
    EXPECT_TRUE(buffer.IsAlmostZero(kQVSampleRangeAll, T(0.1)));
    EXPECT_FALSE(buffer.IsAlmostZero(kQVSampleRangeAll, T(0)));
}

TYPED_TEST(QXSampleBufferTest, RefusedRangesChangeNothing)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer, other;
    ASSERT_TRUE(buffer.Allocate(2, 10, 44100.0, false));
    ASSERT_TRUE(other.Allocate(2, 10, 44100.0, false));
    FillPattern(buffer);
    FillPattern(other, 2.0);
    ASSERT_TRUE(buffer.Zeroset(QVSampleRangeMake(1, 0, kQVSampleRangeToEnd)));

    QVSampleRange const refused[] = {
        QVSampleRangeMake(2, 0, 1),                           // no such channel
        QVSampleRangeMake(-2, 0, 1),                          // negative channel
        QVSampleRangeMake(-1, 10, kQVSampleRangeToEnd),       // "to the end" counts the whole buffer
        QVSampleRangeMake(-1, 5, 6),                          // past the end
        QVSampleRangeMakeNorm(-1, AKNormIntv{0.0, 1.00002}),  // refused interval
    };
    for (QVSampleRange const& range : refused) {
        EXPECT_FALSE(buffer.Zeroset(range));
        EXPECT_FALSE(buffer.ApplyGain(0.5, range));
        EXPECT_FALSE(buffer.FillWithNoise(0.5, range));
        EXPECT_FALSE(buffer.Copy(other, range, kQVSampleRangeAll));
        EXPECT_FALSE(buffer.Copy(other, kQVSampleRangeAll, range));
        EXPECT_FALSE(buffer.IsAlmostZero(range, T(1)));
    }
    for (unsigned long long f = 0; f < 10; f++)
        EXPECT_EQ(At(buffer, 0, f), static_cast<T>(Pattern(0, f)));
    EXPECT_TRUE(buffer.IsChannelKnownZero(1));
}

// --- Two-buffer operations ---

TYPED_TEST(QXSampleBufferTest, CopyWorksOnTheShorterCountAndTheCommonChannels)
{
    using T = TypeParam;
    QXSampleBuffer<T> des, src;
    ASSERT_TRUE(des.Allocate(2, 100, 44100.0, false));
    ASSERT_TRUE(src.Allocate(3, 100, 44100.0, false));
    FillPattern(des, -1.0);
    FillPattern(src);

    ASSERT_TRUE(des.Copy(src, QVSampleRangeMake(-1, 0, 100), QVSampleRangeMake(-1, 40, 60)));
    for (unsigned int c = 0; c < 2; c++)
        for (unsigned long long f = 0; f < 100; f++) {
            T const expected = f < 60 ? static_cast<T>(Pattern(c, 40 + f)) : static_cast<T>(-Pattern(c, f));
            ASSERT_EQ(At(des, c, f), expected) << c << "/" << f;
        }

    // One channel onto one channel: channel 2 of the source into channel 0.
    ASSERT_TRUE(des.Copy(src, QVSampleRangeMake(0, 0, 10), QVSampleRangeMake(2, 0, 10)));
    EXPECT_EQ(At(des, 0, 9), static_cast<T>(Pattern(2, 9)));
    EXPECT_EQ(At(des, 1, 9), static_cast<T>(Pattern(1, 49)));
}

TYPED_TEST(QXSampleBufferTest, SumsGainsAndReversedCopies)
{
    using T = TypeParam;
    QXSampleBuffer<T> des, src;
    ASSERT_TRUE(des.Allocate(1, 8, 44100.0, false));
    ASSERT_TRUE(src.Allocate(1, 8, 44100.0, false));
    FillPattern(src);

    auto check = [&](char const* what, std::function<double(unsigned int)> expected) {
        for (unsigned int f = 0; f < 8; f++)
            EXPECT_NEAR(At(des, 0, f), expected(f), 1e-6) << what << " frame " << f;
    };
    ASSERT_TRUE(des.CopyWithGain(src, 2.0, kQVSampleRangeAll));
    check("CopyWithGain", [](unsigned int f) { return 2.0 * Pattern(0, f); });
    ASSERT_TRUE(des.CopyAdd(src, kQVSampleRangeAll));
    check("CopyAdd", [](unsigned int f) { return 3.0 * Pattern(0, f); });
    ASSERT_TRUE(des.CopyAddWithGain(src, -0.5, kQVSampleRangeAll));
    check("CopyAddWithGain", [](unsigned int f) { return 2.5 * Pattern(0, f); });
    ASSERT_TRUE(des.CopyReversed(src, kQVSampleRangeAll));
    check("CopyReversed", [](unsigned int f) { return Pattern(0, 7 - f); });
    // Position 1 all along keeps the destination alone.
    ASSERT_TRUE(des.CopyAddWithXFade(src, 1.0, 1.0, kQVSampleRangeAll));
    check("CopyAddWithXFade", [](unsigned int f) { return Pattern(0, 7 - f); });
    ASSERT_TRUE(des.CopyAddWithXFade(src, 0.0, 0.0, kQVSampleRangeAll));
    check("CopyAddWithXFade", [](unsigned int f) { return Pattern(0, f); });
}

// Moves (and copies of a buffer onto itself) with overlapping ranges, in
// both directions; the result is the source as it was before the call.
TYPED_TEST(QXSampleBufferTest, OverlappingMovesAndSelfCopies)
{
    using T = TypeParam;
    constexpr unsigned int kFrames = 32;
    struct Case {
        char const* name;
        unsigned long long desFirst, srcFirst, count;
        bool reversed;
        std::function<bool(QXSampleBuffer<T>&, QVSampleRange, QVSampleRange)> run;
    };
    auto move = [](QXSampleBuffer<T>& b, QVSampleRange d, QVSampleRange s) { return b.Move(d, s); };
    auto copy = [](QXSampleBuffer<T>& b, QVSampleRange d, QVSampleRange s) { return b.Copy(b, d, s); };
    auto unitGain = [](QXSampleBuffer<T>& b, QVSampleRange d, QVSampleRange s) { return b.CopyWithGain(b, 1.0, d, s); };
    auto reversed = [](QXSampleBuffer<T>& b, QVSampleRange d, QVSampleRange s) { return b.CopyReversed(b, d, s); };
    auto shiftForward = [](QXSampleBuffer<T>& b, QVSampleRange, QVSampleRange s) { return b.Move(5, s); };
    auto shiftBackward = [](QXSampleBuffer<T>& b, QVSampleRange, QVSampleRange s) { return b.Move(-5, s); };
    Case const cases[] = {
        {"Move forward", 5, 0, 20, false, move},
        {"Move backward", 0, 5, 20, false, move},
        {"Move by +5", 5, 0, 20, false, shiftForward},
        {"Move by -5", 0, 5, 20, false, shiftBackward},
        {"Copy onto itself forward", 3, 0, 25, false, copy},
        {"Copy onto itself backward", 0, 3, 25, false, copy},
        {"Unit gain onto itself", 4, 0, 20, false, unitGain},
        {"Reversed onto itself forward", 6, 0, 20, true, reversed},
        {"Reversed onto itself backward", 0, 6, 20, true, reversed},
        {"Reversed in place", 2, 2, 20, true, reversed},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.name);
        QXSampleBuffer<T> buffer;
        ASSERT_TRUE(buffer.Allocate(2, kFrames, 44100.0, false));
        FillPattern(buffer);
        ASSERT_TRUE(test.run(buffer, QVSampleRangeMake(-1, test.desFirst, test.count),
                             QVSampleRangeMake(-1, test.srcFirst, test.count)));
        for (unsigned int c = 0; c < 2; c++)
            for (unsigned long long f = 0; f < kFrames; f++) {
                double expected = Pattern(c, f);
                if (f >= test.desFirst && f < test.desFirst + test.count) {
                    unsigned long long const i = f - test.desFirst;
                    expected = Pattern(c, test.srcFirst + (test.reversed ? test.count - 1 - i : i));
                }
                ASSERT_EQ(At(buffer, c, f), static_cast<T>(expected)) << "channel " << c << " frame " << f;
            }
    }
}

TYPED_TEST(QXSampleBufferTest, MoveBeyondTheBufferIsRefusedOrEmpty)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.Allocate(1, 10, 44100.0, false));
    FillPattern(buffer);
    EXPECT_FALSE(buffer.Move(5, QVSampleRangeMake(0, 2, 5)));
    // Before frame 0 the shifted range is the null range: nothing moves.
    EXPECT_TRUE(buffer.Move(-3, QVSampleRangeMake(0, 2, 5)));
    for (unsigned long long f = 0; f < 10; f++)
        EXPECT_EQ(At(buffer, 0, f), static_cast<T>(Pattern(0, f)));
}

TYPED_TEST(QXSampleBufferTest, MatrixMixSkipsTinyGains)
{
    using T = TypeParam;
    QXSampleBuffer<T> des, src;
    ASSERT_TRUE(des.Allocate(3, 16, 44100.0, false));
    ASSERT_TRUE(src.Allocate(2, 16, 44100.0, false));
    FillPattern(des, 10.0);
    FillPattern(src);

    QVGainMatrix matrix(3, 2);
    matrix.SetCoeff(0, 0, 0.5);
    matrix.SetCoeff(0, 1, 0.25);
    matrix.SetCoeff(1, 1, 1.0);
    matrix.SetCoeff(2, 0, 0.0000009);  // taken as 0: no rounding of the destination at all
    matrix.SetCoeff(2, 1, -0.0000005);

    ASSERT_TRUE(des.CopyAddWithMatrix(src, matrix, kQVSampleRangeAll));
    for (unsigned long long f = 0; f < 16; f++) {
        EXPECT_EQ(At(des, 0, f), static_cast<T>(10.0 * Pattern(0, f)) +
                                     static_cast<T>(0.5) * static_cast<T>(Pattern(0, f)) +
                                     static_cast<T>(0.25) * static_cast<T>(Pattern(1, f)));
        EXPECT_EQ(At(des, 1, f), static_cast<T>(10.0 * Pattern(1, f)) + static_cast<T>(Pattern(1, f)));
        EXPECT_EQ(At(des, 2, f), static_cast<T>(10.0 * Pattern(2, f)));
    }
}

TYPED_TEST(QXSampleBufferTest, MatrixMixRefusals)
{
    using T = TypeParam;
    QXSampleBuffer<T> des, src;
    ASSERT_TRUE(des.Allocate(2, 16, 44100.0, false));
    ASSERT_TRUE(src.Allocate(2, 16, 44100.0, false));
    FillPattern(des);
    FillPattern(src);
    QVGainMatrix matrix(2, 2);
    matrix.DistributeDiagonal(0, 0);

    EXPECT_FALSE(des.CopyAddWithMatrix(src, matrix, QVSampleRangeMake(0, 0, kQVSampleRangeToEnd)));
    EXPECT_FALSE(des.CopyAddWithMatrix(src, matrix, kQVSampleRangeAll, QVSampleRangeMake(1, 0, kQVSampleRangeToEnd)));
    QVGainMatrix wrongShape(2, 3);
    EXPECT_FALSE(des.CopyAddWithMatrix(src, wrongShape, kQVSampleRangeAll));
    ASSERT_TRUE(src.SetWorkingChannelCount(1, false));
    EXPECT_FALSE(des.CopyAddWithMatrix(src, matrix, kQVSampleRangeAll));
    for (unsigned long long f = 0; f < 16; f++)
        EXPECT_EQ(At(des, 0, f), static_cast<T>(Pattern(0, f)));
}

TYPED_TEST(QXSampleBufferTest, GainsThatAreNoNumbersAreRefusedBeforeAnythingChanges)
{
    using T = TypeParam;
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const inf = std::numeric_limits<double>::infinity();
    QXSampleBuffer<T> des, src, before;
    ASSERT_TRUE(des.Allocate(2, 16, 44100.0, false));
    ASSERT_TRUE(src.Allocate(2, 16, 44100.0, false));
    ASSERT_TRUE(before.Allocate(2, 16, 44100.0, false));
    FillPattern(src);
    QVGainMatrix withNaN(2, 2), withInf(2, 2);
    withNaN.DistributeDiagonal(0, 0);
    withNaN.SetCoeff(0, 1, nan);
    withInf.DistributeDiagonal(0, 0);
    withInf.SetCoeff(1, 1, -inf);

    QVSampleRange const all = kQVSampleRangeAll;
    std::function<bool()> const operations[] = {
        [&] { return des.ApplyGain(nan, all); },
        [&] { return des.ApplyGain(inf, all); },
        [&] { return des.ApplyGain(0.5, nan, all); },
        [&] { return des.ApplyGain(-inf, 1.0, all); },
        [&] { return des.CopyWithGain(src, nan, all); },
        [&] { return des.CopyWithGain(src, inf, all, all); },
        [&] { return des.CopyAddWithGain(src, -inf, all); },
        [&] { return des.CopyAddWithGain(src, nan, all, all); },
        [&] { return des.CopyAddWithMatrix(src, withNaN, all); },
        [&] { return des.CopyAddWithMatrix(src, withInf, all, all); },
    };
    for (size_t k = 0; k < std::size(operations); k++) {
        SCOPED_TRACE("operation " + std::to_string(k));
        // Channel 0 holds the pattern, channel 1 is marked silent.
        FillPattern(des);
        ASSERT_TRUE(des.Zeroset(QVSampleRangeMake(1, 0, kQVSampleRangeToEnd)));
        ASSERT_TRUE(before.Copy(des, all));
        EXPECT_FALSE(operations[k]());
        EXPECT_TRUE(des.IsAlmostEqual(before, all, T(0)));
        EXPECT_TRUE(des.IsChannelKnownZero(1));
    }
}

// --- Queries ---

TYPED_TEST(QXSampleBufferTest, MaxLevels)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 10, 44100.0));
    *buffer.SamplePtr(0, 3) = T(-0.75);
    *buffer.SamplePtr(0, 4) = T(0.5);
    *buffer.SamplePtr(1, 8) = T(1.5);

    ATArray<T> levels;
    levels.SetCount(2);
    bool over = false;
    ASSERT_TRUE(buffer.GetMaxLevels(&levels, &over, kQVSampleRangeAll));
    EXPECT_EQ(levels[0], T(0.75));
    EXPECT_EQ(levels[1], T(1.5));
    EXPECT_TRUE(over);

    // One slot on a stereo buffer: channel 0 only.
    ATArray<T> one;
    one.SetCount(1);
    ASSERT_TRUE(buffer.GetMaxLevels(&one, &over, kQVSampleRangeAll));
    EXPECT_EQ(one.Count(), 1u);
    EXPECT_EQ(one[0], T(0.75));
    EXPECT_FALSE(over);

    // A one-channel range writes slot 0; frames 0 to 3 of channel 1.
    levels[0] = T(-1);
    levels[1] = T(-1);
    ASSERT_TRUE(buffer.GetMaxLevels(&levels, nullptr, QVSampleRangeMake(1, 0, 4)));
    EXPECT_EQ(levels[0], T(0));
    EXPECT_EQ(levels[1], T(-1));

    // No frame: no slot written, flag false.
    over = true;
    ASSERT_TRUE(buffer.GetMaxLevels(&levels, &over, QVSampleRangeMake(-1, 5, 0)));
    EXPECT_FALSE(over);
    EXPECT_EQ(levels[0], T(0));

    ATArray<T> none;
    over = true;
    EXPECT_FALSE(buffer.GetMaxLevels(&none, &over, kQVSampleRangeAll));
    EXPECT_FALSE(buffer.GetMaxLevels(&levels, &over, QVSampleRangeMake(2, 0, 1)));
    EXPECT_TRUE(over);
}

TYPED_TEST(QXSampleBufferTest, AlmostZeroAndAlmostEqual)
{
    using T = TypeParam;
    QXSampleBuffer<T> a, b;
    ASSERT_TRUE(a.AllocateClean(1, 4, 44100.0));
    ASSERT_TRUE(b.AllocateClean(1, 4, 44100.0));
    *b.SamplePtr(0, 2) = -T(0);

    EXPECT_TRUE(b.IsAlmostZero(kQVSampleRangeAll, T(0)));
    EXPECT_FALSE(a.IsAlmostEqual(b, kQVSampleRangeAll, T(0)));  // +0 and -0 differ bitwise
    EXPECT_TRUE(a.IsAlmostEqual(b, kQVSampleRangeAll, T(0.001)));
    EXPECT_FALSE(a.IsAlmostEqual(b, kQVSampleRangeAll, T(-1)));
    EXPECT_FALSE(a.IsAlmostZero(kQVSampleRangeAll, T(-1)));
    EXPECT_TRUE(a.IsAlmostZero(QVSampleRangeMake(-1, 2, 0), T(0)));
    EXPECT_TRUE(a.IsAlmostEqual(b, QVSampleRangeMake(-1, 1, 0), T(0)));

    *b.SamplePtr(0, 1) = T(0.25);
    EXPECT_FALSE(b.IsAlmostZero(kQVSampleRangeAll, T(0.2)));
    EXPECT_TRUE(b.IsAlmostZero(kQVSampleRangeAll, T(0.25)));
    EXPECT_FALSE(a.IsAlmostEqual(b, kQVSampleRangeAll, T(0.2)));
    EXPECT_TRUE(a.IsAlmostEqual(b, kQVSampleRangeAll, T(0.25)));
    // Against a range of the other buffer that avoids frame 1: the shorter count (2 frames).
    EXPECT_TRUE(a.IsAlmostEqual(b, kQVSampleRangeAll, QVSampleRangeMake(0, 2, 2), T(0.001)));
    EXPECT_FALSE(a.IsAlmostEqual(b, kQVSampleRangeAll, QVSampleRangeMake(0, 3, 2), T(0.001)));
}

// --- Conversions ---

TYPED_TEST(QXSampleBufferTest, CopyCastConvertsEveryPairedChannel)
{
    using T = TypeParam;
    QXSampleBuffer<double> wide;
    ASSERT_TRUE(wide.Allocate(2, 4, 44100.0, false));
    double const tricky = 0.1 + 1e-12;
    for (unsigned int c = 0; c < 2; c++)
        for (unsigned int f = 0; f < 4; f++)
            *wide.SamplePtr(c, f) = tricky * (c + 1) + f;

    QXSampleBuffer<T> des;
    ASSERT_TRUE(des.AllocateClean(2, 6, 44100.0));
    ASSERT_TRUE(des.CopyCast(wide, QVSampleRangeMake(-1, 2, 4), kQVSampleRangeAll));
    for (unsigned int c = 0; c < 2; c++) {
        EXPECT_EQ(At(des, c, 0), T(0));
        for (unsigned int f = 0; f < 4; f++)
            EXPECT_EQ(At(des, c, 2 + f), static_cast<T>(tricky * (c + 1) + f));
    }

    QXSampleBuffer<float> narrow;
    ASSERT_TRUE(narrow.AllocateClean(1, 4, 44100.0));
    ASSERT_TRUE(narrow.CopyCast(des, QVSampleRangeMake(0, 0, 4), QVSampleRangeMake(1, 2, 4)));
    EXPECT_EQ(At(narrow, 0, 3), static_cast<float>(static_cast<T>(tricky * 2 + 3)));
}

TYPED_TEST(QXSampleBufferTest, RawPCMDataIsReadFromTheSourceRange)
{
    using T = TypeParam;
    // Three frames of stereo 16-bit little-endian samples.
    short const frames[] = {16384, -16384, 8192, -32768, 0, 32767};
    QVSampleRawPCMData pcm;
    ASSERT_TRUE(pcm.AttachPCMData(reinterpret_cast<unsigned char const*>(frames), 16 | kQVAudioPCMInfoLittleEndian, 2,
                                  3, 44100.0));

    QXSampleBuffer<T> des;
    ASSERT_TRUE(des.AllocateClean(2, 4, 44100.0));
    ASSERT_TRUE(des.CopyCastDeinterleavePCMData(pcm, QVSampleRangeMake(-1, 0, 4), QVSampleRangeMake(-1, 1, 2)));
    EXPECT_EQ(At(des, 0, 0), T(0.25));
    EXPECT_EQ(At(des, 1, 0), T(-1));
    EXPECT_EQ(At(des, 0, 1), T(0));
    EXPECT_EQ(At(des, 1, 1), static_cast<T>(32767.0 / 32768.0));
    EXPECT_EQ(At(des, 0, 2), T(0));

    // Raw channel 1 into channel 0.
    ASSERT_TRUE(des.CopyCastDeinterleavePCMData(pcm, QVSampleRangeMake(0, 0, 3), QVSampleRangeMake(1, 0, 3)));
    EXPECT_EQ(At(des, 0, 0), T(-0.5));
    EXPECT_FALSE(des.CopyCastDeinterleavePCMData(pcm, kQVSampleRangeAll, QVSampleRangeMake(2, 0, 1)));

    QVSampleRawPCMData detached;
    EXPECT_TRUE(des.CopyCastDeinterleavePCMData(detached, kQVSampleRangeAll));
}
