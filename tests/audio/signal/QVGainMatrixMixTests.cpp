// The one-pass row mix of a gain matrix against one CopyAddWithGain pass per
// input in input order (the plain way to mix a row): the same bits for every
// sample type, gain kind (near 0, near 1, plain), input count across the
// groups of inputs a pass takes, and for inputs that share samples with the
// output.

#include "QVGainMatrix.h"
#include "QVSig.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

template <typename T>
class QVGainMatrixMix : public ::testing::Test
{
protected:
    // A gains table with every kind of gain, cycling over the inputs.
    static double GainFor(unsigned int output, unsigned int input)
    {
        static double const kGains[] = {0.5, 1.0, 0.0, -0.7071, 0.0000004, 1.0000004, 3.25, -1.0, 0.3333333333};
        return kGains[(output * 5 + input * 3) % (sizeof kGains / sizeof kGains[0])];
    }

    static std::vector<T> Noise(size_t count, unsigned int seed)
    {
        std::mt19937 generator(seed);
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        std::vector<T> samples(count);
        for (T& sample : samples)
            sample = static_cast<T>(noise(generator));
        return samples;
    }

    static bool SameBits(std::vector<T> const& a, std::vector<T> const& b)
    {
        return a.size() == b.size() && memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
    }
};

using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QVGainMatrixMix, SampleTypes);

}  // namespace

TYPED_TEST(QVGainMatrixMix, RowMixMatchesOnePassPerInput)
{
    using T = TypeParam;
    constexpr unsigned int kOutputs = 3;
    constexpr unsigned int kCount = 203;  // not a whole number of vectors
    for (unsigned int inputs : {1u, 2u, 3u, 4u, 5u, 8u, 16u}) {
        QVGainMatrix matrix(kOutputs, inputs);
        for (unsigned int o = 0; o < kOutputs; o++)
            for (unsigned int i = 0; i < inputs; i++)
                matrix.SetCoeff(o, i, this->GainFor(o, i));
        std::vector<std::vector<T>> sources;
        std::vector<T const*> pointers;
        for (unsigned int i = 0; i < inputs; i++)
            sources.push_back(this->Noise(kCount, 10 + i));
        for (auto const& source : sources)
            pointers.push_back(source.data());
        for (unsigned int o = 0; o < kOutputs; o++) {
            std::vector<T> mixed = this->Noise(kCount, 99 + o);
            std::vector<T> expected = mixed;
            matrix.MixRowInto<T>(mixed.data(), o, 0, pointers.data(), inputs, kCount);
            for (unsigned int i = 0; i < inputs; i++)
                QVSig::CopyAddWithGain<T>(expected.data(), pointers[i], kCount, matrix.GetCoeff(o, i));
            EXPECT_TRUE(this->SameBits(mixed, expected)) << inputs << " inputs, output " << o;
        }
    }
}

TYPED_TEST(QVGainMatrixMix, BufferMixOfManyInputsMatchesOnePassPerInput)
{
    using T = TypeParam;
    constexpr unsigned int kInputs = 19;  // two groups of inputs
    constexpr unsigned int kOutputs = 2;
    constexpr unsigned int kFrames = 130;
    QXSampleBuffer<T> source, destination;
    ASSERT_TRUE(source.AllocateClean(kInputs, kFrames, 48000.0));
    ASSERT_TRUE(destination.AllocateClean(kOutputs, kFrames, 48000.0));
    QVGainMatrix matrix(kOutputs, kInputs);
    for (unsigned int o = 0; o < kOutputs; o++)
        for (unsigned int i = 0; i < kInputs; i++)
            matrix.SetCoeff(o, i, this->GainFor(o, i));
    for (unsigned int i = 0; i < kInputs; i++) {
        std::vector<T> const noise = this->Noise(kFrames, i);
        std::copy(noise.begin(), noise.end(), source.SamplePtr(i, 0));
    }
    std::vector<std::vector<T>> expected;
    for (unsigned int o = 0; o < kOutputs; o++) {
        std::vector<T> const noise = this->Noise(kFrames, 50 + o);
        std::copy(noise.begin(), noise.end(), destination.SamplePtr(o, 0));
        expected.push_back(noise);
        for (unsigned int i = 0; i < kInputs; i++)
            QVSig::CopyAddWithGain<T>(expected[o].data(), source.SamplePtrConst(i, 0), kFrames, matrix.GetCoeff(o, i));
    }
    ASSERT_TRUE(destination.CopyAddWithMatrix(source, matrix, kQVSampleRangeAll));
    for (unsigned int o = 0; o < kOutputs; o++) {
        std::vector<T> const mixed(destination.SamplePtrConst(o, 0), destination.SamplePtrConst(o, 0) + kFrames);
        EXPECT_TRUE(this->SameBits(mixed, expected[o])) << "output " << o;
    }
}

// An input that is the output itself, or overlaps it, sees the earlier
// inputs already added, as separate passes would have it; null inputs and
// rows outside the matrix are left alone.
TYPED_TEST(QVGainMatrixMix, SharedSamplesNullInputsAndBadRows)
{
    using T = TypeParam;
    constexpr unsigned int kCount = 64;
    QVGainMatrix matrix(1, 3);
    matrix.SetCoeff(0, 0, 0.25);
    matrix.SetCoeff(0, 1, -0.5);
    matrix.SetCoeff(0, 2, 2.0);
    std::vector<T> const other = this->Noise(kCount, 3);
    for (int shift : {0, 1, -1}) {
        std::vector<T> store = this->Noise(kCount + 2, 4);
        std::vector<T> expected = store;
        T* const output = store.data() + 1;
        T const* sources[3] = {other.data(), output + shift, other.data()};
        matrix.MixRowInto<T>(output, 0, 0, sources, 3, kCount);
        T* const expectedOutput = expected.data() + 1;
        T const* expectedSources[3] = {other.data(), expectedOutput + shift, other.data()};
        for (unsigned int i = 0; i < 3; i++)
            QVSig::CopyAddWithGain<T>(expectedOutput, expectedSources[i], kCount, matrix.GetCoeff(0, i));
        EXPECT_TRUE(this->SameBits(store, expected)) << "shift " << shift;
    }

    std::vector<T> samples = this->Noise(kCount, 5);
    std::vector<T> const before = samples;
    T const* withNull[3] = {nullptr, nullptr, nullptr};
    matrix.MixRowInto<T>(samples.data(), 0, 0, withNull, 3, kCount);
    EXPECT_TRUE(this->SameBits(samples, before));
    T const* sources[3] = {other.data(), other.data(), other.data()};
    matrix.MixRowInto<T>(samples.data(), 1, 0, sources, 3, kCount);  // no such output
    matrix.MixRowInto<T>(samples.data(), 0, 3, sources, 3, kCount);  // no such input
    EXPECT_TRUE(this->SameBits(samples, before));
}
