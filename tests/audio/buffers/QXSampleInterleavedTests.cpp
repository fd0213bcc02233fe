// Interleaved blocks: their shape and limits, interleaving planar channels
// into them and reading them back, exact round trips for every pair of
// element types, and proof that the conversions allocate nothing.

#include "AllocationProbe.h"
#include "QXSampleBuffer.h"
#include "QXSampleInterleaved.h"
#include "QXSampleLimits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

// The value written for frame f of channel c.
double Value(unsigned long long f, unsigned int c) { return static_cast<double>(f) + 0.25 * c + 1.0; }

template <class T>
void FillPlanar(QXSampleBuffer<T>& buffer)
{
    for (unsigned int c = 0; c < buffer.ChannelCount(); ++c)
        for (unsigned long long f = 0; f < buffer.FrameCount(); ++f)
            *buffer.SamplePtr(c, f) = static_cast<T>(Value(f, c));
}

TEST(QXSampleInterleaved, AllocationShapesAndLimits)
{
    QXSampleInterleaved<float> buffer;
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(nullptr, buffer.FramePtr(0));

    // Channels without frames: no block, yet a success.
    EXPECT_TRUE(buffer.Allocate(2, 0, 44100.0, false));
    EXPECT_EQ(2u, buffer.ChannelCount());
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(nullptr, buffer.FramePtr(0));
    EXPECT_EQ(0u, buffer.UsedMemory());

    ASSERT_TRUE(buffer.AllocateClean(3, 100, 48000.0));
    EXPECT_EQ(3u, buffer.ChannelCount());
    EXPECT_EQ(100u, buffer.FrameCount());
    EXPECT_EQ(300u, buffer.SampleCount());
    EXPECT_EQ(1200u, buffer.UsedMemory());
    EXPECT_DOUBLE_EQ(100.0 / 48000.0, buffer.BufferDuration());
    EXPECT_EQ(buffer.FramePtr(0) + 3 * 99, buffer.FramePtr(99));
    EXPECT_EQ(nullptr, buffer.FramePtrConst(100));

    // The same shape keeps the block; clean zeroes it.
    float* block = buffer.FramePtr(0);
    block[7] = 5.0f;
    ASSERT_TRUE(buffer.Allocate(3, 100, 96000.0, false));
    EXPECT_EQ(block, buffer.FramePtr(0));
    EXPECT_EQ(5.0f, block[7]);
    EXPECT_EQ(96000.0, buffer.SampleRate());
    ASSERT_TRUE(buffer.AllocateClean(3, 100, 96000.0));
    EXPECT_EQ(0.0f, block[7]);
    buffer.Zeroset();

    // 0 channels and 0 frames: false, the rate kept, the user flag untouched.
    buffer.SetUserFlag(42);
    EXPECT_FALSE(buffer.Allocate(0, 0, 22050.0, true));
    EXPECT_EQ(0u, buffer.ChannelCount());
    EXPECT_EQ(22050.0, buffer.SampleRate());
    EXPECT_EQ(42, buffer.UserFlag());
    EXPECT_FALSE(buffer.Allocate(0, 0, 22050.0, true));

    // A block of 2^32 bytes or more is refused and leaves the buffer empty.
    ASSERT_TRUE(buffer.Allocate(2, 10, 48000.0, false));
    EXPECT_FALSE(buffer.Allocate(4, 1ull << 28, 48000.0, false));
    EXPECT_EQ(0u, buffer.ChannelCount());
    EXPECT_EQ(nullptr, buffer.FramePtr(0));
    QXSampleInterleaved<double> wide;
    EXPECT_FALSE(wide.Allocate(1, 1ull << 29, 48000.0, false));
    EXPECT_FALSE(wide.Allocate(0xFFFFFFFFu, 0xFFFFFFFFFFFFull, 48000.0, false));

    ASSERT_TRUE(buffer.Allocate(2, 10, 48000.0, false));
    buffer.Free();
    EXPECT_EQ(0u, buffer.FrameCount());
    EXPECT_EQ(0.0, buffer.SampleRate());
    EXPECT_EQ(42, buffer.UserFlag());
    EXPECT_EQ(0.0, buffer.BufferDuration());
}

TEST(QXSampleInterleaved, RatesThatAreNoRatesAndTooManyChannelsAreRefused)
{
    QXSampleInterleaved<float> buffer;
    ASSERT_TRUE(buffer.AllocateClean(2, 8, 44100.0));
    float* block = buffer.FramePtr(0);
    block[3] = 0.5f;
    for (double rate : {std::nan(""), -44100.0, HUGE_VAL, -HUGE_VAL, 1e-310}) {
        SCOPED_TRACE(rate);
        // The same shape, another shape and the empty request: nothing changes.
        EXPECT_FALSE(buffer.Allocate(2, 8, rate, true));
        EXPECT_FALSE(buffer.Allocate(3, 8, rate, false));
        EXPECT_FALSE(buffer.Allocate(0, 0, rate, false));
        EXPECT_EQ(44100.0, buffer.SampleRate());
        EXPECT_EQ(block, buffer.FramePtr(0));
        EXPECT_EQ(0.5f, block[3]);
    }
    // A rate not known yet is one.
    EXPECT_TRUE(buffer.Allocate(2, 8, 0.0, false));

    EXPECT_TRUE(buffer.Allocate(kQXSampleMaxChannelCount, 0, 44100.0, false));
    EXPECT_FALSE(buffer.Allocate(kQXSampleMaxChannelCount + 1, 0, 44100.0, false));
    EXPECT_FALSE(buffer.Allocate(1u << 31, 1, 44100.0, false));
    EXPECT_EQ(0u, buffer.ChannelCount());
}

TEST(QXSampleInterleaved, InterleavesFrameMajor)
{
    QXSampleBuffer<double> planar;
    ASSERT_TRUE(planar.AllocateClean(3, 50, 48000.0));
    FillPlanar(planar);
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.AllocateClean(3, 50, 48000.0));
    ASSERT_TRUE(interleaved.CopyCastInterleave(planar, kQVSampleRangeAll, kQVSampleRangeAll));
    for (unsigned long long f = 0; f < 50; ++f)
        for (unsigned int c = 0; c < 3; ++c)
            ASSERT_EQ(static_cast<float>(Value(f, c)), interleaved.FramePtrConst(0)[f * 3 + c]);
}

TEST(QXSampleInterleaved, RangesPickChannelsAndFrames)
{
    QXSampleBuffer<float> planar;
    ASSERT_TRUE(planar.AllocateClean(2, 20, 48000.0));
    FillPlanar(planar);
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.AllocateClean(3, 10, 48000.0));

    // Planar channel 1, frames 5 to 8, into interleaved channel 2 from frame 6;
    // the shorter count (4 of 10) is copied.
    ASSERT_TRUE(interleaved.CopyCastInterleave(planar, QVSampleRangeMake(2, 6, 4), QVSampleRangeMake(1, 5, 10)));
    for (unsigned long long f = 0; f < 10; ++f) {
        float const* frame = interleaved.FramePtrConst(f);
        EXPECT_EQ(0.0f, frame[0]);
        EXPECT_EQ(0.0f, frame[1]);
        EXPECT_EQ(f >= 6 ? static_cast<float>(Value(f - 1, 1)) : 0.0f, frame[2]) << f;
    }

    // Two planar channels into three interleaved: channel 2 stays as it was.
    ASSERT_TRUE(interleaved.CopyCastInterleave(planar, kQVSampleRangeAll, QVSampleRangeMake(-1, 0, 10)));
    EXPECT_EQ(static_cast<float>(Value(3, 0)), interleaved.FramePtrConst(3)[0]);
    EXPECT_EQ(static_cast<float>(Value(3, 1)), interleaved.FramePtrConst(3)[1]);
    EXPECT_EQ(0.0f, interleaved.FramePtrConst(3)[2]);

    // Reading back: interleaved channel 1 into planar channel 0 from frame 12.
    ASSERT_TRUE(planar.CopyCastDeinterleave(interleaved, QVSampleRangeMake(0, 12, 8), QVSampleRangeMake(1, 0, 3)));
    for (unsigned long long f = 0; f < 20; ++f)
        EXPECT_EQ(static_cast<float>(f >= 12 && f < 15 ? Value(f - 12, 1) : Value(f, 0)), *planar.SamplePtrConst(0, f));

    // Ranges that do not fit are refused with nothing written.
    EXPECT_FALSE(interleaved.CopyCastInterleave(planar, QVSampleRangeMake(3, 0, 1), kQVSampleRangeAll));
    EXPECT_FALSE(interleaved.CopyCastInterleave(planar, kQVSampleRangeAll, QVSampleRangeMake(0, 15, 10)));
    EXPECT_FALSE(planar.CopyCastDeinterleave(interleaved, kQVSampleRangeAll, QVSampleRangeMake(-2, 0, 1)));
    EXPECT_FALSE(planar.CopyCastDeinterleave(interleaved, kQVSampleRangeAll, QVSampleRangeMake(0, 5, 6)));
    EXPECT_TRUE(interleaved.CopyCastInterleave(planar, QVSampleRangeMake(0, 10, 0), kQVSampleRangeAll));

    // An empty interleaved source or destination copies nothing and succeeds.
    QXSampleInterleaved<float> empty;
    EXPECT_TRUE(planar.CopyCastDeinterleave(empty, kQVSampleRangeAll, kQVSampleRangeAll));
    EXPECT_TRUE(empty.CopyCastInterleave(planar, kQVSampleRangeAll, kQVSampleRangeAll));
}

TEST(QXSampleInterleaved, DeinterleaveClearsTheKnownZeroMarks)
{
    QXSampleInterleaved<double> interleaved;
    ASSERT_TRUE(interleaved.AllocateClean(1, 8, 48000.0));
    interleaved.FramePtr(3)[0] = 0.5;
    QXSampleBuffer<float> planar;
    ASSERT_TRUE(planar.AllocateClean(1, 8, 48000.0));
    ASSERT_TRUE(planar.IsChannelKnownZero(0));
    ASSERT_TRUE(planar.CopyCastDeinterleave(interleaved, kQVSampleRangeAll, kQVSampleRangeAll));
    EXPECT_FALSE(planar.IsChannelKnownZero(0));
    EXPECT_EQ(0.5f, *planar.SamplePtrConst(0, 3));
    // So the next clearing writes the zeros it must.
    ASSERT_TRUE(planar.Zeroset(kQVSampleRangeAll));
    EXPECT_EQ(0.0f, *planar.SamplePtrConst(0, 3));
}

// Planar U -> interleaved T -> planar U gives back the very samples, for
// samples that T holds exactly, over sub-ranges of many channels.
template <class U, class T>
void CheckRoundTrip()
{
    constexpr unsigned int kChannels = 5;
    constexpr unsigned long long kFrames = 257;
    std::mt19937 random(99);
    std::uniform_real_distribution<float> uniform(-1.5f, 1.5f);

    QXSampleBuffer<U> source;
    QXSampleBuffer<U> back;
    ASSERT_TRUE(source.AllocateClean(kChannels, kFrames, 44100.0));
    ASSERT_TRUE(back.AllocateClean(kChannels, kFrames, 44100.0));
    for (unsigned int c = 0; c < kChannels; ++c)
        for (unsigned long long f = 0; f < kFrames; ++f)
            *source.SamplePtr(c, f) = static_cast<U>(uniform(random));
    *source.SamplePtr(0, 0) = static_cast<U>(-0.0f);
    *source.SamplePtr(1, 0) = static_cast<U>(1e-40f);  // a subnormal float

    QXSampleInterleaved<T> interleaved;
    ASSERT_TRUE(interleaved.Allocate(kChannels, kFrames, 44100.0, false));
    ASSERT_TRUE(interleaved.CopyCastInterleave(source, kQVSampleRangeAll, kQVSampleRangeAll));
    ASSERT_TRUE(back.CopyCastDeinterleave(interleaved, kQVSampleRangeAll, kQVSampleRangeAll));
    EXPECT_TRUE(back.IsAlmostEqual(source, kQVSampleRangeAll, U(0)));

    // The same through a sub-range of frames and the one-channel path.
    QXSampleInterleaved<T> mono;
    ASSERT_TRUE(mono.Allocate(1, 100, 44100.0, false));
    ASSERT_TRUE(mono.CopyCastInterleave(source, kQVSampleRangeAll, QVSampleRangeMake(3, 50, 100)));
    ASSERT_TRUE(back.AllocateClean(kChannels, kFrames, 44100.0));
    ASSERT_TRUE(back.CopyCastDeinterleave(mono, QVSampleRangeMake(4, 150, 100), kQVSampleRangeAll));
    EXPECT_TRUE(back.IsAlmostEqual(source, QVSampleRangeMake(4, 150, 100), QVSampleRangeMake(3, 50, 100), U(0)));
    EXPECT_TRUE(back.IsAlmostZero(QVSampleRangeMake(4, 0, 150), U(0)));
}

TEST(QXSampleInterleaved, RoundTripsAreExactForEveryTypePair)
{
    CheckRoundTrip<float, float>();
    CheckRoundTrip<float, double>();
    CheckRoundTrip<double, float>();
    CheckRoundTrip<double, double>();
}

TEST(QXSampleInterleaved, NarrowingRoundsToNearest)
{
    QXSampleBuffer<double> planar;
    ASSERT_TRUE(planar.AllocateClean(2, 1, 48000.0));
    *planar.SamplePtr(0, 0) = 0.1;
    *planar.SamplePtr(1, 0) = 1.0 + 1.5 * 0x1p-24;  // halfway plus: rounds up
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(interleaved.Allocate(2, 1, 48000.0, false));
    ASSERT_TRUE(interleaved.CopyCastInterleave(planar, kQVSampleRangeAll, kQVSampleRangeAll));
    EXPECT_EQ(0.1f, interleaved.FramePtrConst(0)[0]);
    EXPECT_EQ(1.0f + 0x1p-23f, interleaved.FramePtrConst(0)[1]);
}

TEST(QXSampleInterleaved, ConversionsAllocateNothing)
{
    QXSampleBuffer<double> planar;
    QXSampleInterleaved<float> interleaved;
    ASSERT_TRUE(planar.AllocateClean(4, 512, 48000.0));
    ASSERT_TRUE(interleaved.AllocateClean(4, 512, 48000.0));

    AllocationProbe::Start();
    for (int i = 0; i < 20; ++i) {
        interleaved.CopyCastInterleave(planar, kQVSampleRangeAll, kQVSampleRangeAll);
        planar.CopyCastDeinterleave(interleaved, QVSampleRangeMake(2, 10, 100), QVSampleRangeMake(1, 0, 200));
        interleaved.FramePtr(5);
        interleaved.Zeroset();
    }
    AllocationProbe::Stop();
    EXPECT_EQ(0u, AllocationProbe::Count());
}

}  // namespace
