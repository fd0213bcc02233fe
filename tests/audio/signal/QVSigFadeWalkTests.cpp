// The fade kernels walk the curve without a clamp per sample, and exact
// walks without adding the step sample by sample: the same bits as the walk
// clamping every index, across block sizes, directions, clamped and NaN
// ends, and a block long enough for the walk's rounding to pile up.

#include "QVSig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace QVSig;

namespace {

// The walk with every index clamped to the table.
template <typename T>
void ClampedFadeIn(T* samples, unsigned int count, double a, double b, T const* curve)
{
    auto clamp = [](double x) { return !(x > 0.0) ? 0.0 : x > 1.0 ? 1.0 : x; };
    double position = clamp(a) * kSinbranchSteps + 0.5;
    double const step = (clamp(b) * kSinbranchSteps + 0.5 - position) / count;
    for (unsigned int i = 0; i < count; i++) {
        int index = static_cast<int>(position);
        index = index < 0 ? 0 : index > kSinbranchSteps ? kSinbranchSteps : index;
        samples[i] *= curve[index];
        position += step;
    }
}

template <typename T>
void ClampedCrossfade(T* destination, T const* source, unsigned int count, double a, double b, T const* curve)
{
    auto clamp = [](double x) { return !(x > 0.0) ? 0.0 : x > 1.0 ? 1.0 : x; };
    double position = clamp(a) * kSinbranchSteps + 0.5;
    double const step = (clamp(b) * kSinbranchSteps + 0.5 - position) / count;
    for (unsigned int i = 0; i < count; i++) {
        int index = static_cast<int>(position);
        index = index < 0 ? 0 : index > kSinbranchSteps ? kSinbranchSteps : index;
        T const e = curve[index];
        destination[i] = (T(1) - e) * source[i] + e * destination[i];
        position += step;
    }
}

template <typename T>
T const* Curve()
{
    if constexpr (std::is_same_v<T, double>)
        return kTableSinbranch64.Data();
    else
        return kTableSinbranch32.Data();
}

template <typename T>
class QVSigFadeWalk : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitTables(), 0); }
};

using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QVSigFadeWalk, SampleTypes);

}  // namespace

// Walks whose additions are exact (whole blocks of 2^k samples, simple
// fractions) take the positions straight from the sample index; the others
// add the step sample by sample. Both must read the entries the clamped
// walk reads.
TYPED_TEST(QVSigFadeWalk, SameBitsAsTheClampedWalk)
{
    using T = TypeParam;
    double const nan = std::nan("");
    struct Case {
        double a, b;
        unsigned int count;
    };
    Case const cases[] = {// exact walks
                          {0.0, 1.0, 512},
                          {1.0, 0.0, 512},
                          {0.5, 1.0, 64},
                          {0.25, 0.75, 4096},
                          {1.0, 1.0, 7},
                          {0.0, 0.0, 9},
                          {-2.0, 3.0, 128},
                          {nan, 1.0, 32},
                          {0.0, 1.0, 1u << 21},
                          {1.0, 0.0, 1u << 21},
                          {0.0, 1.0, 3},
                          // walks that round
                          {0.0, 1.0, 441},
                          {0.9, 1.0, 4096},
                          {0.3, nan, 33},
                          {0.999, 1.0, 1},
                          {0.1, 0.7, 1000},
                          {0.7, 0.1, 1000},
                          {0.0, 1e-300, 300},
                          {1.0, 0.9999999999, 3000},
                          {0.123456789, 0.987654321, 1u << 21}};
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " to " << c.b << " over " << c.count);
        std::vector<T> faded(c.count), expected(c.count), other(c.count);
        for (unsigned int i = 0; i < c.count; i++) {
            faded[i] = expected[i] = static_cast<T>(1.0 + (i % 7) * 0.125);
            other[i] = static_cast<T>(-0.5 + (i % 5) * 0.25);
        }
        ApplyFadeIn(faded.data(), c.count, c.a, c.b);
        ClampedFadeIn(expected.data(), c.count, c.a, c.b, Curve<T>());
        EXPECT_EQ(memcmp(faded.data(), expected.data(), c.count * sizeof(T)), 0) << "fade";

        CopyAddWithXFade(faded.data(), other.data(), c.count, c.a, c.b);
        ClampedCrossfade(expected.data(), other.data(), c.count, c.a, c.b, Curve<T>());
        EXPECT_EQ(memcmp(faded.data(), expected.data(), c.count * sizeof(T)), 0) << "crossfade";
    }
}

// A crossfade whose source overlaps its destination reads each source
// sample before that sample is written, as the plain loop does.
TYPED_TEST(QVSigFadeWalk, CrossfadeOverItsOwnSamples)
{
    using T = TypeParam;
    for (int shift : {0, 1, -1, 5}) {
        std::vector<T> store(80), expected(80);
        for (unsigned int i = 0; i < store.size(); i++)
            store[i] = expected[i] = static_cast<T>(0.01 * i - 0.3);
        T* const destination = store.data() + 8;
        CopyAddWithXFade(destination, destination + shift, 64, 0.0, 1.0);
        ClampedCrossfade(expected.data() + 8, expected.data() + 8 + shift, 64, 0.0, 1.0, Curve<T>());
        EXPECT_EQ(memcmp(store.data(), expected.data(), store.size() * sizeof(T)), 0) << "shift " << shift;
    }
}
