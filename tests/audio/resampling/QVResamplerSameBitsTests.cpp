// The resampler's fast kernel (phase-major coefficient rows, channels summed
// side by side, positions worked out once per frame) against the plain
// kernel it replaces: one serial sum per channel and frame, reading the sinc
// table with a stride of one zero crossing. Both must give the same bits at
// every table, lookup, direction, phase, frame count and channel count.

#include "QVResampler.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using namespace QVSig;

namespace {

constexpr unsigned long long kBorder = 28;

// The plain kernel, straight from the formula: destination frame j is the
// serial sum over the 2w - 1 taps of the table entry (nearest, or the two
// neighbours mixed linearly) times the source frame.
template <typename TDes>
void PlainKernel(TDes* destination, unsigned long long frameCount, double const* source, double speed, double phase,
                 unsigned int quality)
{
    TableSincard<double> const& table = CopyCastResample_SincTable(speed, quality);
    double const* const entries = table.Data();
    int const w = table.HalfWidth();
    bool const interpolate = (quality & 0xF) >= 4;
    for (unsigned long long j = 0; j < frameCount; j++) {
        double const m = static_cast<double>(j) * speed + phase;
        double const floorM = std::floor(m);
        double const f = m - floorM;
        double const* const taps = source + (static_cast<long long>(floorM) - w + 1);
        double const lead = (1.0 - f) * kSincardSteps;
        double sum = 0.0;
        for (int k = 0; k < 2 * w - 1; k++) {
            double coefficient;
            if (interpolate) {
                double const u = std::floor(lead);
                double const g = lead - u;
                long const at = static_cast<long>(u) + static_cast<long>(kSincardSteps) * k;
                coefficient = (1.0 - g) * entries[at] + g * entries[at + 1];
            } else {
                coefficient = entries[static_cast<long>(std::floor(lead + 0.5)) + static_cast<long>(kSincardSteps) * k];
            }
            sum += coefficient * taps[k];
        }
        destination[j] = static_cast<TDes>(sum);
    }
}

void FillNoise(QXSampleBuffer<double>& buffer, unsigned int seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (unsigned int c = 0; c < buffer.TotalChannelCount(); c++)
        for (unsigned long long i = 0; i < buffer.TotalFrameCount(); i++)
            *buffer.SamplePtr(c, i) = noise(generator);
}

template <typename T>
bool SameBits(T const* a, T const* b, unsigned long long count)
{
    return memcmp(a, b, count * sizeof(T)) == 0;
}

class QVResamplerSameBits : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitTables(), 0); }

    // Resamples every channel of a noise source through the buffer member
    // and compares each channel with the plain kernel; returns the first
    // channel that differs, or -1.
    template <typename TDes>
    int FirstDifferingChannel(unsigned int channels, unsigned long long frames, double speed, double phase,
                              unsigned int quality)
    {
        unsigned long long needed = 0;
        CopyCastResample_ComputeSourceFrameCountNeeded(frames, speed, nullptr, &needed, nullptr);
        if (needed < 2)
            return -1;  // a block that barely moves is silence, without the kernel
        QXSampleBuffer<double> source;
        QXSampleBuffer<TDes> destination;
        EXPECT_TRUE(source.AllocateClean(channels, needed + 2 * kBorder, 44100.0));
        EXPECT_TRUE(destination.AllocateClean(channels, frames, 44100.0));
        FillNoise(source, 77 + channels);
        quality |= kResampleQualityNoExactCopy;
        if (!destination.CopyCastResample(source, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, needed), speed,
                                          phase, quality, nullptr))
            return -2;
        std::vector<TDes> expected(frames);
        for (unsigned int c = 0; c < channels; c++) {
            double const* origin = source.SamplePtrConst(c, kBorder + (speed < 0.0 ? needed : 0));
            PlainKernel(expected.data(), frames, origin, speed, phase, quality);
            if (!SameBits(expected.data(), destination.SamplePtrConst(c, 0), frames))
                return static_cast<int>(c);
        }
        return -1;
    }
};

}  // namespace

// Every table (speeds from 0.008 to 2.7, both ways), both lookups with each
// threshold set, phases across a frame, channel counts that leave a lone
// channel or spill over one group of channels, and frame counts around the
// kernel's runs of frames.
TEST_F(QVResamplerSameBits, BufferResamplingMatchesThePlainKernel)
{
    double const speeds[] = {0.008, 0.03, 0.07, 0.15, 0.3, 0.45, 0.9, 1.0, 1.3, 2.7, -0.04, -0.3, -0.9, -1.7};
    unsigned int const qualities[] = {0, 1, 2, 3, 4, 9};
    double const phases[] = {0.0, 0.4999, 0.73};
    struct Shape {
        unsigned int channels;
        unsigned long long frames;
    };
    Shape const shapes[] = {{1, 1}, {1, 33}, {2, 512}, {3, 31}, {5, 64}, {17, 65}};
    for (Shape const& shape : shapes)
        for (unsigned int quality : qualities)
            for (double speed : speeds)
                for (double phase : phases)
                    EXPECT_EQ(FirstDifferingChannel<double>(shape.channels, shape.frames, speed, phase, quality), -1)
                        << shape.channels << " channels, " << shape.frames << " frames, speed " << speed << " phase "
                        << phase << " quality " << quality;
}

TEST_F(QVResamplerSameBits, FloatDestinationsMatchThePlainKernel)
{
    for (double speed : {0.03, 0.45, 0.9, -1.3})
        for (unsigned int quality : {3u, 4u})
            EXPECT_EQ(FirstDifferingChannel<float>(3, 200, speed, 0.61, quality), -1)
                << "speed " << speed << " quality " << quality;
}

// The multi-channel entry point, called directly with channels that are
// not evenly spaced in memory, against one plain call per channel.
TEST_F(QVResamplerSameBits, ChannelsEntryMatchesOnePlainCallPerChannel)
{
    constexpr unsigned long long kFrames = 300;
    constexpr double kSpeed = 0.9;
    constexpr unsigned long long kSourceFrames = 300 + 2 * kBorder;
    std::mt19937 generator(5);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<double> sourceStore(4 * kSourceFrames + 7);
    for (double& sample : sourceStore)
        sample = noise(generator);
    double const* sources[3] = {sourceStore.data() + kBorder, sourceStore.data() + 3 * kSourceFrames + 7 + kBorder,
                                sourceStore.data() + kSourceFrames + 3 + kBorder};
    std::vector<double> destinationStore(3 * kFrames);
    double* destinations[3] = {destinationStore.data() + 2 * kFrames, destinationStore.data(),
                               destinationStore.data() + kFrames};
    std::vector<double> expected(kFrames);
    for (unsigned int quality : {0u, 3u, 4u, 15u}) {
        CopyCastResample_ShannonChannels(destinations, sources, 3, kFrames, kSpeed, 0.25, quality);
        for (unsigned int c = 0; c < 3; c++) {
            PlainKernel(expected.data(), kFrames, sources[c], kSpeed, 0.25, quality);
            EXPECT_TRUE(SameBits(expected.data(), destinations[c], kFrames))
                << "channel " << c << " quality " << quality;
        }
    }
    // A null channel pointer: nothing written anywhere.
    std::vector<double> const before = destinationStore;
    double* withNull[3] = {destinations[0], nullptr, destinations[2]};
    CopyCastResample_ShannonChannels(withNull, sources, 3, kFrames, 0.5, 0.0, 4);
    EXPECT_EQ(destinationStore, before);
}
