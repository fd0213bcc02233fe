#include "QVResampler.h"
#include "QVSig.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace QVSig;

namespace {

constexpr unsigned long long kBorder = 28;

// The windowed sinc evaluated directly: sin(π x) / (π x) times the Blackman
// window of half-width w.
double Sincard(double x, int w)
{
    if (x == 0.0)
        return 1.0;
    double const px = M_PI * x;
    return sin(px) / px * (0.42659 + 0.49656 * cos(px / w) + 0.07685 * cos(2.0 * px / w));
}

// Half-width of the kernel serving |speed| at a quality, from the thresholds
// of each quality (24 below the first, 16 below the second, 12 below the
// third, 8 otherwise).
int ExpectedHalfWidth(double speed, unsigned int quality)
{
    double const* thresholds = nullptr;
    static double const kLowest[] = {0.01, 0.05, 0.25};
    static double const kLow[] = {0.02, 0.1, 0.33};
    static double const kStandard[] = {0.05, 0.2, 0.5};
    switch (quality & 0xF) {
    case 1:
        thresholds = kLowest;
        break;
    case 2:
        thresholds = kLow;
        break;
    default:
        thresholds = kStandard;
        break;
    }
    double const s = std::fabs(speed);
    return s < thresholds[0] ? 24 : s < thresholds[1] ? 16 : s < thresholds[2] ? 12 : 8;
}

// Destination frame j evaluated from the formula, with `origin` the source
// frame at position 0. Nearest lookup moves each tap to the abscissa of its
// nearest table entry (4096 per frame); interpolation uses the exact distance.
double ReferenceFrame(double const* origin, unsigned long long j, double speed, double phase, int w, bool interpolate)
{
    double const m = static_cast<double>(j) * speed + phase;
    double const o = std::floor(m);
    double const f = m - o;
    double const t0 = std::floor((1.0 - f) * 4096.0 + 0.5);
    double sum = 0.0;
    for (int k = 0; k <= 2 * w - 2; k++) {
        double const x = interpolate ? (1.0 - f) + k - w : (t0 + 4096.0 * k) / 4096.0 - w;
        sum += Sincard(x, w) * origin[static_cast<long long>(o) - w + 1 + k];
    }
    return sum;
}

// Fills every channel of a buffer with uniform noise in [-1, 1].
void FillNoise(QXSampleBuffer<double>& buffer, unsigned int seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (unsigned int c = 0; c < buffer.TotalChannelCount(); c++)
        for (unsigned long long i = 0; i < buffer.TotalFrameCount(); i++)
            *buffer.SamplePtr(c, i) = noise(generator);
}

// Fills every sample with one value (to see what an operation left alone).
template <typename T>
void FillWith(QXSampleBuffer<T>& buffer, T value)
{
    for (unsigned int c = 0; c < buffer.TotalChannelCount(); c++)
        for (unsigned long long i = 0; i < buffer.TotalFrameCount(); i++)
            *buffer.SamplePtr(c, i) = value;
}

class QVResamplerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitTables(), 0); }

    // A noise source holding `needed` frames from frame 28, with the border
    // on both sides (and `extra` frames more at the end).
    void MakeSource(unsigned int channels, unsigned long long needed, unsigned long long extra = 0)
    {
        ASSERT_TRUE(mSource.AllocateClean(channels, needed + 2 * kBorder + extra, 44100.0));
        FillNoise(mSource, 1234);
    }
    void MakeDestination(unsigned int channels, unsigned long long frames)
    {
        ASSERT_TRUE(mDestination.AllocateClean(channels, frames, 44100.0));
        FillWith(mDestination, 7.0);
    }
    double Source(unsigned int channel, unsigned long long absoluteFrame) const
    {
        return *mSource.SamplePtrConst(channel, absoluteFrame);
    }
    double Destination(unsigned int channel, unsigned long long frame) const
    {
        return *mDestination.SamplePtrConst(channel, frame);
    }
    bool Resample(unsigned long long srcFirst, unsigned long long srcCount, double speed, double phase,
                  unsigned int quality, bool* exact = nullptr)
    {
        return mDestination.CopyCastResample(mSource, kQVSampleRangeAll, QVSampleRangeMake(-1, srcFirst, srcCount),
                                             speed, phase, quality, exact);
    }
    bool DestinationUntouched() const
    {
        for (unsigned int c = 0; c < mDestination.TotalChannelCount(); c++)
            for (unsigned long long i = 0; i < mDestination.TotalFrameCount(); i++)
                if (Destination(c, i) != 7.0)
                    return false;
        return true;
    }

    QXSampleBuffer<double> mSource;
    QXSampleBuffer<double> mDestination;
};

}  // namespace

TEST_F(QVResamplerTest, ComputesBorderNeededAndTotal)
{
    unsigned long long border = 0, needed = 0, total = 0;
    CopyCastResample_ComputeSourceFrameCountNeeded(512, 0.5, &border, &needed, &total);
    EXPECT_EQ(border, 28u);
    EXPECT_EQ(needed, 256u);
    EXPECT_EQ(total, 256u + 56u);
    CopyCastResample_ComputeSourceFrameCountNeeded(512, -1.3, nullptr, &needed, nullptr);
    EXPECT_EQ(needed, 666u);  // ceil(665.6)
    CopyCastResample_ComputeSourceFrameCountNeeded(512, 0.001, nullptr, &needed, &total);
    EXPECT_EQ(needed, 1u);
    EXPECT_EQ(total, 57u);

    // The buffer's form measures its working frame count.
    MakeDestination(2, 1000);
    ASSERT_TRUE(mDestination.StackWorkingSubRange(100, 512));
    mDestination.ComputeSourceFrameCountNeededToResample(0.5, &border, &needed, &total);
    EXPECT_EQ(border, 28u);
    EXPECT_EQ(needed, 256u);
    EXPECT_EQ(total, 312u);
    EXPECT_EQ(QXSampleBuffer<double>::GetSourceBorderFrameCountNeededToResample(), 28u);
    EXPECT_EQ(QXSampleBuffer<float>::GetSourceBorderFrameCountNeededToResample(), 28u);
}

// Speeds that are not numbers, or too large for any container, cannot wrap the counts.
TEST_F(QVResamplerTest, ComputedCountsStayBoundedForUnusableSpeeds)
{
    unsigned long long needed = 99, total = 99;
    CopyCastResample_ComputeSourceFrameCountNeeded(512, std::numeric_limits<double>::quiet_NaN(), nullptr, &needed,
                                                   &total);
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(total, 56u);
    CopyCastResample_ComputeSourceFrameCountNeeded(512, std::numeric_limits<double>::infinity(), nullptr, &needed,
                                                   &total);
    EXPECT_EQ(needed, 1ull << 62);
    EXPECT_EQ(total, (1ull << 62) + 56u);
}

TEST_F(QVResamplerTest, ChoosesTheKernelBySpeedAndQuality)
{
    double const speeds[] = {0.005, 0.015, 0.03, 0.04, 0.07, 0.15, 0.3, 0.4, 0.6, 1.0, 3.0};
    for (unsigned int quality : {0u, 1u, 2u, 3u, 4u, 9u, 15u, 0x101u, 0x1F2u}) {
        for (double speed : speeds) {
            for (double sign : {1.0, -1.0}) {
                EXPECT_EQ(CopyCastResample_SincTable(sign * speed, quality).HalfWidth(),
                          ExpectedHalfWidth(speed, quality))
                    << "speed " << sign * speed << " quality " << quality;
            }
        }
    }
    EXPECT_EQ(&CopyCastResample_SincTable(0.04, 1), &kTableSincardC64);
    EXPECT_EQ(&CopyCastResample_SincTable(0.04, 0), &kTableSincardD64);
}

// The heart of the resampler: every frame agrees with the formula evaluated
// with trigonometry, through the buffer's interface (so the source origin of
// backward speeds is checked too), for every table and both kinds of lookup.
TEST_F(QVResamplerTest, AgreesWithTheFormula)
{
    constexpr unsigned long long kFrames = 256;
    double const speeds[] = {0.008, 0.015, 0.03,   0.04,  0.07,  0.15,  0.3,  0.45, 0.7,
                             1.3,   2.7,   -0.008, -0.04, -0.15, -0.45, -0.7, -1.3, -2.7};
    unsigned int const qualities[] = {0, 1, 2, 3, 4, 7, 15};
    double const phases[] = {0.0, 0.37, 0.91};
    bool tablesSeen[4][2] = {};
    for (unsigned int quality : qualities) {
        bool const interpolate = quality >= 4;
        for (double speed : speeds) {
            for (double phase : phases) {
                unsigned long long needed = 0;
                CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, speed, nullptr, &needed, nullptr);
                MakeSource(1, needed);
                MakeDestination(1, kFrames);
                bool exact = true;
                ASSERT_TRUE(Resample(kBorder, needed, speed, phase, quality, &exact));
                EXPECT_FALSE(exact);
                int const w = ExpectedHalfWidth(speed, quality);
                tablesSeen[w == 8 ? 0 : w == 12 ? 1 : w == 16 ? 2 : 3][interpolate] = true;
                double const* origin = mSource.SamplePtrConst(0, kBorder + (speed < 0.0 ? needed : 0));
                double const tolerance = interpolate ? 1e-5 : 1e-12;
                double worst = 0.0;
                for (unsigned long long j = 0; j < kFrames; j++) {
                    double const expected = ReferenceFrame(origin, j, speed, phase, w, interpolate);
                    worst = std::max(worst, std::fabs(Destination(0, j) - expected));
                }
                EXPECT_LE(worst, tolerance) << "speed " << speed << " phase " << phase << " quality " << quality;
            }
        }
    }
    for (auto const& table : tablesSeen) {
        EXPECT_TRUE(table[0]);
        EXPECT_TRUE(table[1]);
    }
}

// At speed 1 the kernel can be forced; at phase 0 it hands the source back
// (the sinc is 1 at distance 0 and 0 at whole distances).
TEST_F(QVResamplerTest, KernelAtUnitSpeedWhenTheShortcutIsOff)
{
    MakeSource(1, 300);
    for (double speed : {1.0, -1.0}) {
        MakeDestination(1, 300);
        bool exact = true;
        ASSERT_TRUE(Resample(kBorder, 300, speed, 0.0, 0x104, &exact));
        EXPECT_FALSE(exact);
        for (unsigned long long i = 0; i < 300; i++) {
            unsigned long long const frame = speed > 0.0 ? kBorder + i : kBorder + 300 - i;
            EXPECT_NEAR(Destination(0, i), Source(0, frame), 1e-12) << "speed " << speed << " frame " << i;
        }
    }
    // At a fractional phase the forced kernel agrees with the formula.
    MakeDestination(1, 300);
    ASSERT_TRUE(Resample(kBorder, 300, 1.0, 0.25, 0x104));
    for (unsigned long long j = 0; j < 300; j++)
        EXPECT_NEAR(Destination(0, j), ReferenceFrame(mSource.SamplePtrConst(0, kBorder), j, 1.0, 0.25, 8, true), 1e-5);
}

TEST_F(QVResamplerTest, UnitSpeedsAreExactCopiesWithTheirPhaseRounded)
{
    struct Case {
        double speed;
        double phase;
        unsigned long long firstSourceFrame;  // of destination frame 0, absolute
        bool reversed;
    };
    constexpr unsigned long long kFrames = 200;
    Case const cases[] = {
        {1.0, 0.0, kBorder, false},
        {1.0, 0.3, kBorder, false},
        {1.0, 0.49, kBorder, false},
        {1.0, 0.5, kBorder + 1, false},
        {1.0, 0.6, kBorder + 1, false},
        {1.0000005, 0.2, kBorder, false},
        {-1.0, 0.0, kBorder + kFrames - 1, true},
        {-1.0, 0.6, kBorder + kFrames, true},
        {-0.9999995, 0.1, kBorder + kFrames - 1, true},
    };
    MakeSource(2, kFrames + 1);
    for (Case const& c : cases) {
        for (unsigned int quality : {0u, 3u, 4u}) {
            MakeDestination(2, kFrames);
            bool exact = false;
            ASSERT_TRUE(Resample(kBorder, kFrames + 1, c.speed, c.phase, quality, &exact));
            EXPECT_TRUE(exact);
            for (unsigned int ch = 0; ch < 2; ch++) {
                for (unsigned long long i = 0; i < kFrames; i++) {
                    unsigned long long const frame = c.reversed ? c.firstSourceFrame - i : c.firstSourceFrame + i;
                    ASSERT_EQ(Destination(ch, i), Source(ch, frame))
                        << "speed " << c.speed << " phase " << c.phase << " channel " << ch << " frame " << i;
                }
            }
        }
    }
}

TEST_F(QVResamplerTest, FloatDestinationIsTheRoundedDoubleResult)
{
    MakeSource(1, 400);
    QXSampleBuffer<float> floats;
    for (double speed : {0.7, -1.3, 1.0, -1.0}) {
        MakeDestination(1, 300);
        ASSERT_TRUE(floats.AllocateClean(1, 300, 44100.0));
        unsigned long long needed = 0;
        CopyCastResample_ComputeSourceFrameCountNeeded(300, speed, nullptr, &needed, nullptr);
        bool exactDouble = false, exactFloat = true;
        ASSERT_TRUE(Resample(kBorder, needed, speed, 0.4, 4, &exactDouble));
        ASSERT_TRUE(floats.CopyCastResample(mSource, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, needed), speed,
                                            0.4, 4, &exactFloat));
        EXPECT_EQ(exactFloat, exactDouble);
        for (unsigned long long i = 0; i < 300; i++)
            ASSERT_EQ(*floats.SamplePtrConst(0, i), static_cast<float>(Destination(0, i))) << "speed " << speed;
    }
}

TEST_F(QVResamplerTest, SourceMustCoverTheNeededFramesAndTheBorder)
{
    // 0.5 over 512 frames needs 256 frames plus 28 on each side.
    MakeDestination(1, 512);
    MakeSource(1, 256);
    EXPECT_EQ(mSource.TotalFrameCount(), 312u);
    EXPECT_FALSE(Resample(kBorder, 255, 0.5, 0.0, 4));
    EXPECT_TRUE(DestinationUntouched());
    EXPECT_TRUE(Resample(kBorder, 256, 0.5, 0.0, 4));
    EXPECT_FALSE(DestinationUntouched());

    // The border must lie inside the source's blocks: the range may start at
    // absolute frame 28, not 27, and must end 28 frames before the blocks do.
    MakeDestination(1, 512);
    EXPECT_FALSE(Resample(27, 256, 0.5, 0.0, 4));
    EXPECT_FALSE(Resample(29, 256, 0.5, 0.0, 4));
    EXPECT_TRUE(DestinationUntouched());

    // ...but it may lie outside the source's working range.
    ASSERT_TRUE(mSource.StackWorkingSubRange(kBorder, 256));
    EXPECT_TRUE(Resample(0, 256, 0.5, 0.0, 4));
    mSource.ResetAllWorkingSubRanges();
    ASSERT_TRUE(mSource.StackWorkingSubRange(kBorder - 1, 256));
    MakeDestination(1, 512);
    EXPECT_FALSE(Resample(0, 256, 0.5, 0.0, 4));
    EXPECT_TRUE(DestinationUntouched());
}

TEST_F(QVResamplerTest, RefusesBadRangesPhasesAndSpeeds)
{
    MakeSource(1, 400);
    MakeDestination(1, 100);
    double const nan = std::numeric_limits<double>::quiet_NaN();
    for (double phase : {-0.01, 1.0, 1.5, nan})
        EXPECT_FALSE(Resample(kBorder, 100, 0.7, phase, 4)) << phase;
    for (double speed : {nan, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(Resample(kBorder, 100, speed, 0.0, 4)) << speed;
    // Ranges are checked against each buffer's working shape.
    EXPECT_FALSE(mDestination.CopyCastResample(mSource, QVSampleRangeMake(1, 0, 100), QVSampleRangeMake(-1, 28, 100),
                                               0.7, 0.0, 4, nullptr));
    EXPECT_FALSE(mDestination.CopyCastResample(mSource, kQVSampleRangeAll, QVSampleRangeMake(-1, 28, 1000), 0.7, 0.0, 4,
                                               nullptr));
    EXPECT_TRUE(DestinationUntouched());
}

TEST_F(QVResamplerTest, NearlyStillSpeedsGiveSilence)
{
    // 0.001 over 512 frames needs a single source frame: the block is zeroed.
    MakeSource(1, 10);
    MakeDestination(1, 512);
    bool exact = true;
    EXPECT_TRUE(Resample(kBorder, 1, 0.001, 0.5, 4, &exact));
    EXPECT_TRUE(exact);  // not written
    EXPECT_TRUE(mDestination.IsAlmostZero(kQVSampleRangeAll, 0.0));
    EXPECT_TRUE(mDestination.IsChannelKnownZero(0));
    MakeDestination(1, 512);
    EXPECT_TRUE(Resample(kBorder, 0, 0.0, 0.0, 4));
    EXPECT_TRUE(mDestination.IsAlmostZero(kQVSampleRangeAll, 0.0));
}

// At 0.04 quality 1 reads the 16-crossing table and quality 0 the
// 24-crossing one; each output matches its own table's formula and not the other's.
TEST_F(QVResamplerTest, TableChoiceShowsInTheOutput)
{
    constexpr unsigned long long kFrames = 400;
    unsigned long long needed = 0;
    CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, 0.04, nullptr, &needed, nullptr);
    MakeSource(1, needed);
    double const* origin = mSource.SamplePtrConst(0, kBorder);
    struct Case {
        unsigned int quality;
        int w;
        int otherW;
    };
    for (Case const c : {Case{1, 16, 24}, Case{0, 24, 16}}) {
        MakeDestination(1, kFrames);
        ASSERT_TRUE(Resample(kBorder, needed, 0.04, 0.3, c.quality));
        double worst = 0.0, worstOther = 0.0;
        for (unsigned long long j = 0; j < kFrames; j++) {
            worst = std::max(worst, std::fabs(Destination(0, j) - ReferenceFrame(origin, j, 0.04, 0.3, c.w, false)));
            worstOther = std::max(worstOther,
                                  std::fabs(Destination(0, j) - ReferenceFrame(origin, j, 0.04, 0.3, c.otherW, false)));
        }
        EXPECT_LE(worst, 1e-12) << "quality " << c.quality;
        EXPECT_GT(worstOther, 1e-6) << "quality " << c.quality;
    }
}

// A phase within 0.00001 of 1 advances the source by a frame at phase 0; one
// within 0.00001 of 0 is 0.
TEST_F(QVResamplerTest, PhasesNearAWholeFrameSnap)
{
    constexpr unsigned long long kFrames = 300;
    unsigned long long needed = 0;
    CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, 0.7, nullptr, &needed, nullptr);
    MakeSource(1, needed, 1);
    QXSampleBuffer<double> expected;
    ASSERT_TRUE(expected.AllocateClean(1, kFrames, 44100.0));

    for (double speed : {0.7, -0.7}) {
        ASSERT_TRUE(expected.CopyCastResample(mSource, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder + 1, needed),
                                              speed, 0.0, 4, nullptr));
        MakeDestination(1, kFrames);
        ASSERT_TRUE(Resample(kBorder, needed, speed, 0.999995, 4));
        EXPECT_TRUE(mDestination.IsAlmostEqual(expected, kQVSampleRangeAll, 0.0)) << speed;

        ASSERT_TRUE(expected.CopyCastResample(mSource, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, needed), speed,
                                              0.0, 4, nullptr));
        MakeDestination(1, kFrames);
        ASSERT_TRUE(Resample(kBorder, needed, speed, 0.000005, 4));
        EXPECT_TRUE(mDestination.IsAlmostEqual(expected, kQVSampleRangeAll, 0.0)) << speed;
    }
}

TEST_F(QVResamplerTest, PairsChannelsInOrderAndClearsZeroMarks)
{
    constexpr unsigned long long kFrames = 100;
    unsigned long long needed = 0;
    CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, 0.8, nullptr, &needed, nullptr);
    MakeSource(3, needed);

    // All channels: a 3-channel source into a 2-channel destination fills channels 0 and 1.
    ASSERT_TRUE(mDestination.AllocateClean(2, kFrames, 44100.0));
    ASSERT_TRUE(mDestination.IsChannelKnownZero(0));
    ASSERT_TRUE(Resample(kBorder, needed, 0.8, 0.1, 4));
    EXPECT_FALSE(mDestination.IsChannelKnownZero(0));
    EXPECT_FALSE(mDestination.IsChannelKnownZero(1));
    for (unsigned int ch = 0; ch < 2; ch++) {
        double const* origin = mSource.SamplePtrConst(ch, kBorder);
        for (unsigned long long j = 0; j < kFrames; j++)
            EXPECT_NEAR(Destination(ch, j), ReferenceFrame(origin, j, 0.8, 0.1, 8, true), 1e-5);
    }

    // One channel each: source channel 2 into destination channel 1, the other left alone.
    MakeDestination(2, kFrames);
    ASSERT_TRUE(mDestination.CopyCastResample(mSource, QVSampleRangeMake(1, 0, kFrames),
                                              QVSampleRangeMake(2, kBorder, needed), 0.8, 0.1, 4, nullptr));
    double const* origin = mSource.SamplePtrConst(2, kBorder);
    for (unsigned long long j = 0; j < kFrames; j++) {
        EXPECT_EQ(Destination(0, j), 7.0);
        EXPECT_NEAR(Destination(1, j), ReferenceFrame(origin, j, 0.8, 0.1, 8, true), 1e-5);
    }

    // A destination sub-range: only its frames are written.
    MakeDestination(1, kFrames);
    ASSERT_TRUE(mDestination.CopyCastResample(mSource, QVSampleRangeMake(-1, 10, 50),
                                              QVSampleRangeMake(-1, kBorder, needed), 0.8, 0.1, 4, nullptr));
    origin = mSource.SamplePtrConst(0, kBorder);
    for (unsigned long long j = 0; j < kFrames; j++) {
        if (j < 10 || j >= 60)
            EXPECT_EQ(Destination(0, j), 7.0) << j;
        else
            EXPECT_NEAR(Destination(0, j), ReferenceFrame(origin, j - 10, 0.8, 0.1, 8, true), 1e-5) << j;
    }
}

// The kernel is a guarded no-op on unusable arguments.
TEST_F(QVResamplerTest, KernelIgnoresUnusableArguments)
{
    std::vector<double> source(200, 0.5);
    double destination[4] = {7.0, 7.0, 7.0, 7.0};
    double const nan = std::numeric_limits<double>::quiet_NaN();
    CopyCastResample_Shannon(destination, 4, source.data() + 100, 0.7, 1.0, 4);
    CopyCastResample_Shannon(destination, 4, source.data() + 100, 0.7, -0.1, 4);
    CopyCastResample_Shannon(destination, 4, source.data() + 100, 0.7, nan, 4);
    CopyCastResample_Shannon(destination, 4, source.data() + 100, nan, 0.0, 4);
    CopyCastResample_Shannon(destination, 4, static_cast<double const*>(nullptr), 0.7, 0.0, 4);
    CopyCastResample_Shannon(destination, 0, source.data() + 100, 0.7, 0.0, 4);
    CopyCastResample_Shannon(static_cast<double*>(nullptr), 4, source.data() + 100, 0.7, 0.0, 4);
    for (double d : destination)
        EXPECT_EQ(d, 7.0);
}

namespace {

// Error of a resampled sine against the sine at the exact positions, in dB
// below the sine's power.
double SineErrorDb(double cyclesPerFrame, double speed, unsigned int quality)
{
    constexpr unsigned long long kFrames = 4096;
    constexpr double kPhase = 0.37;
    unsigned long long needed = 0, total = 0;
    CopyCastResample_ComputeSourceFrameCountNeeded(kFrames, speed, nullptr, &needed, &total);
    QXSampleBuffer<double> source, destination;
    if (!source.AllocateClean(1, total, 44100.0) || !destination.AllocateClean(1, kFrames, 44100.0))
        return 0.0;
    // Source position 0 at the first needed frame (or the last, backwards).
    double const origin = static_cast<double>(kBorder + (speed < 0.0 ? needed : 0));
    for (unsigned long long i = 0; i < total; i++)
        *source.SamplePtr(0, i) = sin(2.0 * M_PI * cyclesPerFrame * (static_cast<double>(i) - origin));
    if (!destination.CopyCastResample(source, kQVSampleRangeAll, QVSampleRangeMake(-1, kBorder, needed), speed, kPhase,
                                      quality, nullptr))
        return 0.0;
    double error = 0.0, power = 0.0;
    for (unsigned long long j = 0; j < kFrames; j++) {
        double const ideal = sin(2.0 * M_PI * cyclesPerFrame * (static_cast<double>(j) * speed + kPhase));
        double const difference = *destination.SamplePtrConst(0, j) - ideal;
        error += difference * difference;
        power += ideal * ideal;
    }
    return 10.0 * log10(error / power);
}

}  // namespace

// Sines from 441 Hz to 11 kHz at 44.1 kHz (up to a quarter of the rate)
// resampled at speeds up to 1: below -60 dB through the narrowest kernel,
// below -75 dB through the widest.
TEST_F(QVResamplerTest, SinesKeepTheirErrorLow)
{
    double const frequencies[] = {0.01, 0.05, 0.1, 0.2, 0.25};
    struct Case {
        double speed;
        unsigned int quality;
        int w;
        double limitDb;
    };
    Case const cases[] = {
        {0.5, 0x103, 8, -60.0},   {0.7, 0x100, 8, -60.0},    {0.9, 0x103, 8, -60.0},    {1.0, 0x104, 8, -60.0},
        {-0.7, 0x104, 8, -60.0},  {-1.0, 0x100, 8, -60.0},   {0.3, 0x101, 8, -60.0},    {0.01, 0x100, 24, -75.0},
        {0.04, 0x103, 24, -75.0}, {-0.04, 0x104, 24, -75.0}, {0.015, 0x102, 24, -75.0},
    };
    for (Case const& c : cases) {
        ASSERT_EQ(CopyCastResample_SincTable(c.speed, c.quality).HalfWidth(), c.w);
        for (double frequency : frequencies) {
            EXPECT_LT(SineErrorDb(frequency, c.speed, c.quality), c.limitDb)
                << "speed " << c.speed << " quality " << c.quality << " cycles/frame " << frequency;
        }
    }
}
