#include "QVSig.h"

#include "AKRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

using namespace QVSig;

namespace {

template <typename T>
class QVSigKernels : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitTables(), 0); }

    static T Entry(int i)
    {
        if constexpr (std::is_same_v<T, double>)
            return kTableSinbranch64.Data()[i];
        else
            return kTableSinbranch32.Data()[i];
    }
};

using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QVSigKernels, SampleTypes);

}  // namespace

// --- Gains ---

TYPED_TEST(QVSigKernels, ConstantGain)
{
    using T = TypeParam;
    struct Case {
        double gain;
        T expected[3];
    };
    Case const cases[] = {
        {0.0, {0, 0, 0}},
        {0.0000005, {0, 0, 0}},  // near 0: zero fill
        {-0.0000005, {0, 0, 0}},
        {1.0000005, {1, -0.5, 0.3f}},  // near 1: untouched
        {0.9999995, {1, -0.5, 0.3f}},
        {0.5, {0.5, -0.25, T(0.3f) * T(0.5)}},
        {-2.0, {-2, 1, T(0.3f) * T(-2)}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.gain);
        T samples[3] = {1, -0.5, 0.3f};
        ApplyGain(samples, 3, c.gain);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(samples[i], c.expected[i]) << "sample " << i;
    }
    ApplyGain(static_cast<T*>(nullptr), 3, 0.0);  // nothing to do, no crash
}

TYPED_TEST(QVSigKernels, GainRampStepsFromTheStartGain)
{
    using T = TypeParam;
    T samples[4] = {1, 1, 1, 1};
    ApplyGain(samples, 4, 0.0, 1.0);
    EXPECT_EQ(samples[0], T(0));
    EXPECT_EQ(samples[1], T(0.25));
    EXPECT_EQ(samples[2], T(0.5));
    EXPECT_EQ(samples[3], T(0.75));  // the last sample does not reach the end gain

    T down[4] = {2, 2, 2, 2};
    ApplyGain(down, 4, 1.0, 0.0);
    EXPECT_EQ(down[0], T(2));
    EXPECT_EQ(down[1], T(1.5));
    EXPECT_EQ(down[3], T(0.5));
}

TYPED_TEST(QVSigKernels, GainRampThresholds)
{
    using T = TypeParam;
    // Ends within 0.000001 of each other: the constant start gain.
    T flat[3] = {1, 2, 4};
    ApplyGain(flat, 3, 0.5, 0.5000005);
    EXPECT_EQ(flat[0], T(0.5));
    EXPECT_EQ(flat[1], T(1));
    EXPECT_EQ(flat[2], T(2));
    // Constant start gain near 0: silence.
    T silent[2] = {1, 1};
    ApplyGain(silent, 2, 0.0000004, 0.0000009);
    EXPECT_EQ(silent[0], T(0));
    EXPECT_EQ(silent[1], T(0));
    // Both ends near 1 but further apart than the threshold: nothing.
    T unity[3] = {1, 2, 4};
    ApplyGain(unity, 3, 0.9999995, 1.0000008);
    EXPECT_EQ(unity[0], T(1));
    EXPECT_EQ(unity[1], T(2));
    EXPECT_EQ(unity[2], T(4));
}

TYPED_TEST(QVSigKernels, CopyWithGain)
{
    using T = TypeParam;
    T const source[3] = {1, -0.5, 0.25};
    T destination[3] = {9, 9, 9};
    CopyWithGain(destination, source, 3, 0.5);
    EXPECT_EQ(destination[0], T(0.5));
    EXPECT_EQ(destination[1], T(-0.25));
    EXPECT_EQ(destination[2], T(0.125));

    CopyWithGain(destination, source, 3, 1.0000005);  // plain copy
    EXPECT_EQ(destination[1], T(-0.5));

    CopyWithGain(destination, static_cast<T const*>(nullptr), 3, 0.0000005);  // zero fill needs no source
    EXPECT_EQ(destination[0], T(0));
    EXPECT_EQ(destination[2], T(0));

    T inPlace[2] = {2, 4};
    CopyWithGain(inPlace, inPlace, 2, 1.0);
    CopyWithGain(inPlace, inPlace, 2, 0.25);
    EXPECT_EQ(inPlace[0], T(0.5));
    EXPECT_EQ(inPlace[1], T(1));

    T untouched[2] = {7, 7};
    CopyWithGain(untouched, static_cast<T const*>(nullptr), 2, 0.5);
    EXPECT_EQ(untouched[0], T(7));
}

TYPED_TEST(QVSigKernels, CopyAddWithGain)
{
    using T = TypeParam;
    T const source[2] = {1, -2};
    T destination[2] = {1, 1};
    CopyAddWithGain(destination, source, 2, 0.0000009);  // near 0: nothing
    EXPECT_EQ(destination[0], T(1));
    CopyAddWithGain(destination, source, 2, 0.9999991);  // near 1: plain sum
    EXPECT_EQ(destination[0], T(2));
    EXPECT_EQ(destination[1], T(-1));
    CopyAddWithGain(destination, source, 2, 0.5);
    EXPECT_EQ(destination[0], T(2.5));
    EXPECT_EQ(destination[1], T(-2));
}

TYPED_TEST(QVSigKernels, GainsThatAreNoNumbersLeaveTheSamples)
{
    using T = TypeParam;
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const inf = std::numeric_limits<double>::infinity();
    T const source[2] = {1, -2};
    for (double gain : {nan, inf, -inf}) {
        SCOPED_TRACE(gain);
        T samples[2] = {0.5, -0.25};
        ApplyGain(samples, 2, gain);
        ApplyGain(samples, 2, gain, 1.0);
        ApplyGain(samples, 2, 0.5, gain);
        CopyWithGain(samples, source, 2, gain);
        CopyAddWithGain(samples, source, 2, gain);
        EXPECT_EQ(samples[0], T(0.5));
        EXPECT_EQ(samples[1], T(-0.25));
    }
    // Finite ends too far apart for their difference to be a number.
    T samples[2] = {0.5, -0.25};
    ApplyGain(samples, 2, -1e308, 1e308);
    EXPECT_EQ(samples[0], T(0.5));
}

// --- Noise ---

TYPED_TEST(QVSigKernels, NoiseIsDeterministicAndBoundedByTheAmplitude)
{
    using T = TypeParam;
    unsigned int const n = 4000;
    std::vector<T> first(n), second(n);
    akrand::randomInit(1234);
    FillWithNoise(first.data(), n, 0.25);
    akrand::randomInit(1234);
    FillWithNoise(second.data(), n, 0.25);
    EXPECT_EQ(first, second);

    // The same numbers straight from the C library generator.
    akrand::randomInit(1234);
    for (unsigned int i = 0; i < 8; i++)
        EXPECT_EQ(first[i], static_cast<T>(0.5 * (rand() / 2147483647.0 - 0.5))) << "sample " << i;

    T low = 0, high = 0;
    for (T s : first) {
        ASSERT_GE(s, T(-0.25));
        ASSERT_LE(s, T(0.25));
        low = std::min(low, s);
        high = std::max(high, s);
    }
    EXPECT_LT(low, T(-0.2));  // spread over the whole interval, not stuck at a corner
    EXPECT_GT(high, T(0.2));

    // Amplitudes above 1 are limited to 1.
    FillWithNoise(first.data(), n, 8.0);
    T peak = 0;
    for (T s : first) {
        ASSERT_LE(std::fabs(s), T(1));
        peak = std::max(peak, T(std::fabs(s)));
    }
    EXPECT_GT(peak, T(0.9));
}

TYPED_TEST(QVSigKernels, NoiseOfNoAmplitudeIsSilence)
{
    using T = TypeParam;
    for (double amplitude : {0.0, -0.5, 0.0000005, std::nan("")}) {
        SCOPED_TRACE(amplitude);
        T samples[3] = {1, 1, 1};
        FillWithNoise(samples, 3, amplitude);
        for (T s : samples)
            EXPECT_EQ(s, T(0));
    }
}

// --- Fades ---

TYPED_TEST(QVSigKernels, FadeInOverAWholeBlockReadsEvenlySpacedEntries)
{
    using T = TypeParam;
    T samples[4] = {1, 1, 1, 1};
    ApplyFadeIn(samples, 4, 0.0, 1.0);
    EXPECT_EQ(samples[0], T(0));  // first sample silent
    EXPECT_EQ(samples[1], this->Entry(4096));
    EXPECT_EQ(samples[2], this->Entry(8192));
    EXPECT_EQ(samples[3], this->Entry(12288));
    EXPECT_NEAR(samples[1], 0.14644660940672627, 1e-7);
    EXPECT_EQ(samples[2], T(0.5));

    // Walking back down, as a fade-out over the block does (positions 1 to 0).
    T down[4] = {2, 2, 2, 2};
    ApplyFadeIn(down, 4, 1.0, 0.0);
    EXPECT_EQ(down[0], T(2));
    EXPECT_EQ(down[1], T(2) * this->Entry(12288));
    EXPECT_EQ(down[2], T(1));
    EXPECT_EQ(down[3], T(2) * this->Entry(4096));
}

TYPED_TEST(QVSigKernels, FadeOutIsTheComplementOfTheFadeIn)
{
    using T = TypeParam;
    // A fade-out at (a, b) is the fade-in at (1 - a, 1 - b); along the
    // symmetric curve, the two gains of every sample sum to 1.
    double const positions[][2] = {{0.0, 1.0}, {0.1, 0.7}, {0.9, 0.2}, {0.33, 0.34}, {0.5, 0.5}};
    for (auto const& p : positions) {
        SCOPED_TRACE(testing::Message() << p[0] << " to " << p[1]);
        unsigned int const n = 37;
        std::vector<T> in(n, T(1)), out(n, T(1));
        ApplyFadeIn(in.data(), n, p[0], p[1]);
        ApplyFadeIn(out.data(), n, 1.0 - p[0], 1.0 - p[1]);
        for (unsigned int i = 0; i < n; i++)
            ASSERT_NEAR(in[i] + out[i], 1.0, (std::is_same_v<T, float> ? 1e-6 : 1e-12)) << "sample " << i;
    }
}

TYPED_TEST(QVSigKernels, FadePositionsAreClamped)
{
    using T = TypeParam;
    T clamped[4] = {1, 1, 1, 1};
    T plain[4] = {1, 1, 1, 1};
    ApplyFadeIn(clamped, 4, -3.0, 7.0);
    ApplyFadeIn(plain, 4, 0.0, 1.0);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(clamped[i], plain[i]);

    T nan[2] = {1, 1};
    ApplyFadeIn(nan, 2, std::nan(""), std::nan(""));  // read as position 0, never outside the table
    EXPECT_EQ(nan[0], T(0));
    EXPECT_EQ(nan[1], T(0));
}

TYPED_TEST(QVSigKernels, Crossfade)
{
    using T = TypeParam;
    T const source[4] = {1, 1, 1, 1};

    T average[4] = {0, 2, -1, 3};
    CopyAddWithXFade(average, source, 4, 0.5, 0.5);
    EXPECT_EQ(average[0], T(0.5));
    EXPECT_EQ(average[1], T(1.5));
    EXPECT_EQ(average[2], T(0));
    EXPECT_EQ(average[3], T(2));

    T atZero[2] = {5, 5};
    CopyAddWithXFade(atZero, source, 2, 0.0, 0.0);  // the source alone
    EXPECT_EQ(atZero[0], T(1));
    EXPECT_EQ(atZero[1], T(1));
    T atOne[2] = {5, 5};
    CopyAddWithXFade(atOne, source, 2, 1.0, 1.0);  // the destination alone
    EXPECT_EQ(atOne[0], T(5));

    // Positions 1 to 0: from what the destination held towards the source.
    T destination[4] = {0, 0, 0, 0};
    CopyAddWithXFade(destination, source, 4, 1.0, 0.0);
    EXPECT_EQ(destination[0], T(0));
    EXPECT_EQ(destination[1], T(1) - this->Entry(12288));
    EXPECT_EQ(destination[2], T(0.5));
    EXPECT_EQ(destination[3], T(1) - this->Entry(4096));

    T keep[2] = {3, 3};
    CopyAddWithXFade(keep, static_cast<T const*>(nullptr), 2, 0.0, 0.0);  // needs both pointers
    EXPECT_EQ(keep[0], T(3));
}

// --- Measures ---

TYPED_TEST(QVSigKernels, IsAlmostZero)
{
    using T = TypeParam;
    T const nan = std::numeric_limits<T>::quiet_NaN();
    T const zeros[3] = {0, T(-0.0), 0};
    T const small[3] = {0, T(0.001), T(-0.001)};
    T const withNaN[2] = {0, nan};
    EXPECT_TRUE(IsAlmostZero(zeros, 3, T(0)));
    EXPECT_FALSE(IsAlmostZero(small, 3, T(0)));
    EXPECT_TRUE(IsAlmostZero(small, 3, T(0.001)));
    EXPECT_FALSE(IsAlmostZero(small, 3, T(0.0009)));
    EXPECT_FALSE(IsAlmostZero(withNaN, 2, T(0)));
    EXPECT_FALSE(IsAlmostZero(withNaN, 2, T(1)));
    EXPECT_FALSE(IsAlmostZero(zeros, 3, T(-0.1)));
    EXPECT_FALSE(IsAlmostZero(zeros, 3, nan));
    EXPECT_FALSE(IsAlmostZero(zeros, 0, T(1)));
    EXPECT_FALSE(IsAlmostZero(static_cast<T const*>(nullptr), 3, T(1)));
}

TYPED_TEST(QVSigKernels, IsAlmostEqual)
{
    using T = TypeParam;
    T const a[2] = {T(0.0), 1};
    T const negativeZero[2] = {T(-0.0), 1};
    T const b[2] = {T(0.01), T(0.99)};
    EXPECT_TRUE(IsAlmostEqual(a, a, 2, T(0)));
    EXPECT_FALSE(IsAlmostEqual(a, negativeZero, 2, T(0)));  // byte-identical only
    EXPECT_TRUE(IsAlmostEqual(a, negativeZero, 2, T(0.000001)));
    EXPECT_TRUE(IsAlmostEqual(a, b, 2, T(0.0101)));
    EXPECT_FALSE(IsAlmostEqual(a, b, 2, T(0.005)));
    EXPECT_FALSE(IsAlmostEqual(a, a, 2, T(-1)));
    EXPECT_FALSE(IsAlmostEqual(a, static_cast<T const*>(nullptr), 2, T(1)));
    EXPECT_FALSE(IsAlmostEqual(a, a, 0, T(1)));
}

TYPED_TEST(QVSigKernels, GetMaxLevel)
{
    using T = TypeParam;
    T const samples[4] = {T(0.25), T(-0.75), T(0.5), T(-0.0)};
    T level = -1;
    GetMaxLevel(samples, 4, &level);
    EXPECT_EQ(level, T(0.75));
    level = -1;
    GetMaxLevel(static_cast<T const*>(nullptr), 4, &level);
    EXPECT_EQ(level, T(0));
    level = -1;
    GetMaxLevel(samples, 0, &level);
    EXPECT_EQ(level, T(0));
    GetMaxLevel(samples, 4, static_cast<T*>(nullptr));  // nothing to write to
}

// --- Interleaving ---

TEST(QVSigInterleave, WritesAndReadsOneChannelOfAnInterleavedArray)
{
    double const channel[3] = {0.1, 0.2, 0.3};
    float interleaved[9];
    std::fill(std::begin(interleaved), std::end(interleaved), -1.0f);
    CopyCastInterleave(interleaved, channel, 1u, 3u, 3u);
    float const expected[9] = {-1, 0.1f, -1, -1, 0.2f, -1, -1, 0.3f, -1};
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(interleaved[i], expected[i]) << "slot " << i;

    double back[3] = {};
    CopyCastDeinterleave(back, interleaved, 1u, 3u, 3u);
    EXPECT_EQ(back[0], double(0.1f));
    EXPECT_EQ(back[2], double(0.3f));

    // One channel: a straight copy.
    float const mono[2] = {0.5f, -0.25f};
    float monoCopy[2] = {};
    CopyCastInterleave(monoCopy, mono, 0u, 1u, 2u);
    EXPECT_EQ(monoCopy[1], -0.25f);
    double widened[2] = {};
    CopyCastDeinterleave(widened, mono, 0u, 1u, 2u);
    EXPECT_EQ(widened[0], 0.5);

    // A channel beyond the count touches nothing.
    float untouched[4] = {7, 7, 7, 7};
    CopyCastInterleave(untouched, channel, 2u, 2u, 2u);
    CopyCastDeinterleave(untouched, interleaved, 3u, 3u, 2u);
    for (float s : untouched)
        EXPECT_EQ(s, 7.0f);
}

TEST(QVSigInterleave, NarrowingRoundsToNearest)
{
    double const wide[1] = {0.1};
    float narrow[1] = {};
    CopyCastDeinterleave(narrow, wide, 0u, 1u, 1u);
    EXPECT_EQ(narrow[0], 0.1f);
    float interleaved[2] = {};
    CopyCastInterleave(interleaved, wide, 1u, 2u, 1u);
    EXPECT_EQ(interleaved[1], 0.1f);
}
