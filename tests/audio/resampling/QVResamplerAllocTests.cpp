// Proves that resampling allocates nothing on the audio thread: this program
// replaces the global allocation functions and counts the calls made while
// a test holds the counting flag.

#include "AllocationProbe.h"
#include "QVResampler.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

// The hook itself must see allocations, or the test below proves nothing.
TEST(QVResamplerAlloc, CounterSeesAllocations)
{
    AllocationProbe probe;
    int* p = new int(3);
    delete p;
    EXPECT_EQ(probe.Count(), 1u);
    EXPECT_EQ(probe.Releases(), 1u);
}

// Every real-time path of the resampler (kernel at every table, both
// lookups, both directions, exact copies, silence, refusals, both
// destination types) on buffers prepared beforehand.
TEST(QVResamplerAlloc, ResamplingAllocatesNothing)
{
    ASSERT_EQ(QVSig::InitTables(), 0);
    constexpr unsigned long long kFrames = 512;
    constexpr unsigned long long kBorder = 28;
    unsigned long long total = 0;
    QVSig::CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, 3.0, nullptr, nullptr, &total);
    QXSampleBuffer<double> source;
    QXSampleBuffer<double> destination;
    QXSampleBuffer<float> floatDestination;
    ASSERT_TRUE(source.AllocateClean(2, total, 48000.0));
    ASSERT_TRUE(destination.AllocateClean(2, kFrames, 48000.0));
    ASSERT_TRUE(floatDestination.AllocateClean(2, kFrames, 48000.0));
    for (unsigned int c = 0; c < 2; c++)
        for (unsigned long long i = 0; i < total; i++)
            *source.SamplePtr(c, i) = 0.001 * static_cast<double>(i % 97) - 0.05;

    double const speeds[] = {0.001, 0.03, 0.15, 0.4, 0.9, 1.0, -1.0, 1.7, -0.03, -0.6, -3.0};
    unsigned int const qualities[] = {0, 1, 2, 3, 4, 0x103, 0x104};
    unsigned long long counts = 0;
    AllocationProbe probe;
    for (double speed : speeds) {
        unsigned long long border = 0, needed = 0, sum = 0;
        destination.ComputeSourceFrameCountNeededToResample(speed, &border, &needed, &sum);
        counts += border + needed + sum + QXSampleBuffer<double>::GetSourceBorderFrameCountNeededToResample();
        QVSampleRange const srcRange = QVSampleRangeMake(-1, kBorder, needed);
        for (unsigned int quality : qualities) {
            bool exact = false;
            EXPECT_TRUE(
                destination.CopyCastResample(source, kQVSampleRangeAll, srcRange, speed, 0.37, quality, &exact));
            EXPECT_TRUE(floatDestination.CopyCastResample(source, kQVSampleRangeAll, srcRange, speed, 0.999995, quality,
                                                          nullptr));
            EXPECT_TRUE(destination.CopyCastResample(source, QVSampleRangeMake(1, 0, 100),
                                                     QVSampleRangeMake(0, kBorder, needed), speed, 0.0, quality,
                                                     nullptr));
        }
        // Refused: too few source frames, a bad phase.
        EXPECT_FALSE(destination.CopyCastResample(source, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, 1), 0.5,
                                                  0.0, 4, nullptr));
        EXPECT_FALSE(destination.CopyCastResample(source, kQVSampleRangeAll, srcRange, speed, 1.0, 4, nullptr));
    }
    EXPECT_EQ(probe.Count(), 0u);
    EXPECT_EQ(probe.Releases(), 0u);
    EXPECT_GT(counts, 0u);
}

// Many channels go through the kernel in groups, each with its run of frame
// positions and coefficients kept on the stack: still nothing allocated.
TEST(QVResamplerAlloc, ManyChannelsAllocateNothing)
{
    ASSERT_EQ(QVSig::InitTables(), 0);
    constexpr unsigned int kChannels = 19;
    constexpr unsigned long long kFrames = 700;
    constexpr unsigned long long kBorder = 28;
    unsigned long long needed = 0, total = 0;
    QVSig::CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, 0.9, nullptr, &needed, &total);
    QXSampleBuffer<double> source;
    QXSampleBuffer<double> destination;
    ASSERT_TRUE(source.AllocateClean(kChannels, total, 48000.0));
    ASSERT_TRUE(destination.AllocateClean(kChannels, kFrames, 48000.0));
    AllocationProbe probe;
    for (unsigned int quality : {3u, 4u})
        EXPECT_TRUE(destination.CopyCastResample(source, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, needed), 0.9,
                                                 0.5, quality | QVSig::kResampleQualityNoExactCopy, nullptr));
    EXPECT_EQ(probe.Count(), 0u);
}
