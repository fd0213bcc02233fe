// The peak level and the near-equality test read several samples at a
// time: their answers must be those of a plain sample-by-sample loop at
// every length and alignment, with NaNs, signed zeros and the largest
// sample anywhere.

#include "QVSig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace QVSig;

namespace {

template <typename T>
T PlainPeak(T const* samples, unsigned int count)
{
    T peak = 0;
    for (unsigned int i = 0; i < count; i++)
        if (std::fabs(samples[i]) > peak)
            peak = std::fabs(samples[i]);
    return peak;
}

template <typename T>
bool PlainAlmostEqual(T const* first, T const* second, unsigned int count, T tolerance)
{
    for (unsigned int i = 0; i < count; i++) {
        T const d = second[i] - first[i];
        if (!(d >= -tolerance && d <= tolerance))
            return false;
    }
    return true;
}

template <typename T>
void ExpectSameAnswersAsPlainLoops()
{
    T const nan = std::numeric_limits<T>::quiet_NaN();
    T const tolerance = T(0.001);
    for (unsigned int count : {1u, 3u, 4u, 7u, 8u, 15u, 16u, 17u, 33u, 64u, 240u, 513u})
        for (unsigned int offset : {0u, 1u})
            for (unsigned int at = 0; at < count; at += 1 + count / 7) {
                // A quiet signal with one odd sample at `at`.
                std::vector<T> store(count + offset), other(count + offset);
                for (unsigned int i = 0; i < count + offset; i++) {
                    store[i] = T(0.25) * std::sin(T(0.37) * T(i)) - T(0.01);
                    other[i] = store[i] + T(0.0004) * std::cos(T(i));
                }
                T* const samples = store.data() + offset;
                T* const near = other.data() + offset;
                for (T odd : {T(-0.9), T(0.95), -T(0), nan, T(2)}) {
                    T const kept = samples[at];
                    samples[at] = odd;
                    T level = -1;
                    GetMaxLevel(samples, count, &level);
                    T const expected = PlainPeak(samples, count);
                    EXPECT_TRUE(level == expected && std::signbit(level) == std::signbit(expected))
                        << count << " samples, offset " << offset << ", " << odd << " at " << at;
                    // The near copy differs within the tolerance except at the odd sample.
                    near[at] = odd == odd && std::fabs(odd) < 1 ? odd + T(0.0009) : odd + T(1);
                    EXPECT_EQ(IsAlmostEqual(samples, near, count, tolerance),
                              PlainAlmostEqual(samples, near, count, tolerance))
                        << count << " samples, offset " << offset << ", " << odd << " at " << at;
                    EXPECT_EQ(IsAlmostEqual(samples, other.data() + offset, count, tolerance),
                              PlainAlmostEqual(samples, other.data() + offset, count, tolerance));
                    samples[at] = kept;
                    near[at] = kept + T(0.0004) * std::cos(T(at + offset));
                }
            }
}

TEST(QVSigMeasureRuns, PeakAndNearEqualityMatchPlainLoops)
{
    ExpectSameAnswersAsPlainLoops<double>();
    ExpectSameAnswersAsPlainLoops<float>();
}

}  // namespace
