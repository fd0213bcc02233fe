// Proves that the audio-block code allocates nothing: this program replaces
// the global allocation functions and counts the calls made while a test
// holds the counting flag.

#include "AllocationProbe.h"
#include "QVGainMatrix.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"

#include <gtest/gtest.h>

#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

// Blocks the kernels work on, allocated before counting starts.
struct Blocks {
    explicit Blocks(unsigned int n) : floats(n), doubles(n), raw(size_t(n) * 8, 0x5A) {}
    std::vector<float> floats;
    std::vector<double> doubles;
    std::vector<unsigned char> raw;
};

template <typename T>
void RunEveryKernel(std::vector<T>& a, std::vector<T>& b, Blocks& blocks)
{
    std::vector<float>& floats = blocks.floats;
    std::vector<double>& doubles = blocks.doubles;
    std::vector<unsigned char> const& raw = blocks.raw;
    using namespace QVSig;
    unsigned int const n = static_cast<unsigned int>(a.size());
    ApplyGain(a.data(), n, 0.5);
    ApplyGain(a.data(), n, 0.0);
    ApplyGain(a.data(), n, 1.0);
    ApplyGain(a.data(), n, 0.2, 0.9);
    CopyWithGain(b.data(), a.data(), n, 0.5);
    CopyWithGain(b.data(), a.data(), n, 1.0);
    CopyWithGain(b.data(), a.data(), n, 0.0);
    CopyAddWithGain(b.data(), a.data(), n, 0.7);
    CopyAddWithGain(b.data(), a.data(), n, 1.0);
    FillWithNoise(a.data(), n, 0.5);
    ApplyFadeIn(a.data(), n, 0.0, 1.0);
    ApplyFadeIn(a.data(), n, 1.0, 0.25);
    CopyAddWithXFade(b.data(), a.data(), n, 0.3, 0.6);
    T level = 0;
    GetMaxLevel(a.data(), n, &level);
    EXPECT_GE(level, T(0));
    (void)IsAlmostZero(a.data(), n, T(0));
    (void)IsAlmostZero(a.data(), n, T(0.1));
    (void)IsAlmostEqual(a.data(), b.data(), n, T(0));
    (void)IsAlmostEqual(a.data(), b.data(), n, T(0.1));

    CopyCastInterleave(b.data(), a.data(), 1, 2, n / 2);
    CopyCastInterleave(floats.data(), a.data(), 0, 1, n);
    CopyCastInterleave(doubles.data(), a.data(), 0, 1, n);
    CopyCastDeinterleave(a.data(), floats.data(), 1, 4, n / 4);
    CopyCastDeinterleave(a.data(), doubles.data(), 0, 1, n);

    QVAudioPCMInfo const layouts[] = {8,
                                      8 | kQVAudioPCMInfoUnsigned,
                                      16 | kQVAudioPCMInfoBigEndian,
                                      24,
                                      32,
                                      32 | kQVAudioPCMInfoFloat | kQVAudioPCMInfoBigEndian,
                                      64 | kQVAudioPCMInfoFloat};
    for (QVAudioPCMInfo info : layouts) {
        EXPECT_TRUE(CopyCastDeinterleavePCMData(a.data(), raw.data(), info, 1, 2, n / 8));
        EXPECT_TRUE(CopyCastInterleavePCMData(b.data(), raw.data(), info, 0, 1, n / 8));
    }
    EXPECT_FALSE(CopyCastDeinterleavePCMData(a.data(), raw.data(), 16 | kQVAudioPCMInfoUnsigned, 0, 1, n));
}

}  // namespace

TEST(QVKernelAlloc, TheCounterSeesAllocations)
{
    AllocationProbe probe;
    auto* p = new std::vector<int>(100);
    delete p;
    EXPECT_EQ(probe.Count(), 2u);
    EXPECT_EQ(probe.Releases(), 2u);
}

TEST(QVKernelAlloc, SignalKernelsAllocateNothing)
{
    ASSERT_EQ(QVSig::InitTables(), 0);
    unsigned int const n = 512;
    std::vector<float> fa(n, 0.25f), fb(n, -0.5f);
    std::vector<double> da(n, 0.25), db(n, -0.5);
    Blocks blocks(n);
    AllocationProbe probe;
    RunEveryKernel(fa, fb, blocks);
    RunEveryKernel(da, db, blocks);
    EXPECT_EQ(probe.Count(), 0u);
}

TEST(QVKernelAlloc, RawViewAllocatesNothing)
{
    std::vector<unsigned char> bytes(4 * 2 * 16);
    QVSampleRawPCMData raw;
    AllocationProbe probe;
    EXPECT_TRUE(raw.AttachPCMData(bytes.data(), 32 | kQVAudioPCMInfoFloat, 2, 16, 44100.0));
    EXPECT_NE(raw.FramePtrConst(15), nullptr);
    EXPECT_FALSE(raw.AttachPCMData(bytes.data(), 16 | kQVAudioPCMInfoUnsigned, 2, 16, 44100.0));
    raw.DetachPCMData();
    EXPECT_EQ(probe.Count(), 0u);
}

TEST(QVKernelAlloc, GainMatrixReshapedAndRefilledWithoutAllocating)
{
    QVGainMatrix m, a, b;
    ASSERT_TRUE(m.Allocate(8, 8));
    ASSERT_TRUE(a.Allocate(4, 4));
    ASSERT_TRUE(b.Allocate(4, 2));
    double const coeffs[8] = {1, 0, 0, 1, 0.5, 0.5, 0.25, 0.75};
    AllocationProbe probe;
    for (unsigned int outputs = 1; outputs <= 8; outputs++) {
        for (unsigned int inputs = 1; inputs <= 8; inputs++) {
            ASSERT_TRUE(m.SetSize(outputs, inputs));
            m.DistributePanoramics(kQVGainMatrixFillFurtherOutputs, 1, 0.3);
            m.DistributePanoramics(kQVGainMatrixMixFurtherInputs, 0, -0.6);
            m.DistributeDiagonal(kQVGainMatrixMonoAsStereo | kQVGainMatrixFillFurtherOutputs, 2);
            m.MulByGain(0.5);
            m.ApplyMutedChannelsOnInputs(0b10);
            m.ApplyMutedChannelsOnOutputs(0b100);
        }
    }
    EXPECT_FALSE(m.SetSize(9, 8));
    ASSERT_TRUE(b.FillWithCoeffs(coeffs, 4, 2));
    ASSERT_TRUE(a.SetSize(4, 4));
    a.DistributeDiagonal(0, 0);
    EXPECT_TRUE(m.MakeProduct(a, b));
    EXPECT_TRUE(m.IsEqual(b));
    m.Clear();
    m.FillWithZeros();
    EXPECT_EQ(probe.Count(), 0u);
}
