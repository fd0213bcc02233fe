// Proves that the planar buffer's block operations allocate nothing: this
// program replaces the global allocation functions and counts the calls made
// while a test holds the counting flag. Channel blocks come from the C
// allocator and only Allocate asks for them; that a same-shape Allocate
// reuses them is shown by the block addresses.

#include "QXSampleBuffer.h"

#include "AllocationProbe.h"
#include "QVGainMatrix.h"
#include "QVSampleRawPCMData.h"
#include "QVSig.h"
#include "QXSampleInterleaved.h"

#include <gtest/gtest.h>

#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

constexpr unsigned int kChannels = 2;
constexpr unsigned long long kFrames = 256;

template <class T>
class QXSampleBufferAlloc : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(QVSig::InitTables(), 0); }
};

using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(QXSampleBufferAlloc, SampleTypes);

// What the block operations read from, prepared before counting starts.
template <class T>
struct Sources {
    Sources() : raw(kChannels * kFrames, 1234), levels()
    {
        same.AllocateClean(kChannels, kFrames, 44100.0);
        floats.AllocateClean(kChannels, kFrames, 44100.0);
        doubles.AllocateClean(kChannels, kFrames, 44100.0);
        same.FillWithNoise(0.5, kQVSampleRangeAll);
        pcm.AttachPCMData(reinterpret_cast<unsigned char const*>(raw.data()), 16 | kQVAudioPCMInfoLittleEndian,
                          kChannels, kFrames, 44100.0);
        interleaved.AllocateClean(kChannels, kFrames, 44100.0);
        matrix.Allocate(kChannels, kChannels);
        matrix.DistributePanoramics(0, 0, 0.3);
        levels.SetCount(kChannels);
        // With the resampler's border on each side.
        wide.Allocate(kChannels, kFrames + 64, 44100.0, false);
        wide.FillWithNoise(0.5, kQVSampleRangeAll);
    }
    QXSampleBuffer<T> same;
    QXSampleBuffer<float> floats;
    QXSampleBuffer<double> doubles;
    std::vector<short> raw;
    QVSampleRawPCMData pcm;
    QXSampleInterleaved<float> interleaved;
    QVGainMatrix matrix;
    ATArray<T> levels;
    QXSampleBuffer<double> wide;
};

// Runs every operation the audio thread may use on a block; answers how
// many of them failed (they all should succeed).
template <class T>
unsigned int RunBlockOperations(QXSampleBuffer<T>& buffer, Sources<T>& src)
{
    QVSampleRange const all = kQVSampleRangeAll;
    QVSampleRange const half = QVSampleRangeMake(-1, 0, kFrames / 2);
    QVSampleRange const later = QVSampleRangeMake(-1, kFrames / 4, kFrames / 2);
    bool over = false;
    bool const results[] = {
        buffer.Allocate(kChannels, kFrames, 44100.0, false),
        buffer.AllocateClean(kChannels, kFrames, 48000.0),
        buffer.SetWorkingChannelCount(1, false),
        buffer.SetWorkingChannelCount(kChannels, false),
        buffer.StackWorkingSubRange(8, kFrames - 16),
        buffer.StackWorkingSubRange(AKNormIntv{0.0, 0.5}),
        buffer.UnstackWorkingSubRange(),
        buffer.CopyWorkingSubRanges(src.same),
        buffer.Zeroset(all),
        buffer.Zeroset(all),
        buffer.SamplePtr(0, 0) != nullptr,
        buffer.Reverse(all),
        buffer.ApplyGain(0.5, all),
        buffer.ApplyGain(0.2, 0.9, all),
        buffer.ApplyFadeIn(0.0, 1.0, all),
        buffer.ApplyFadeIn(AKNormIntv{0.25, 0.75}, all),
        buffer.ApplyFadeOut(0.0, 1.0, all),
        buffer.ApplyFadeOut(AKNormIntv{0.25, 0.75}, all),
        buffer.ApplyClip(-0.5, 0.5, all),
        buffer.FillWithNoise(0.25, all),
        buffer.Copy(src.same, all),
        buffer.Copy(src.same, half, later),
        buffer.CopyAdd(src.same, all),
        buffer.CopyAdd(src.same, half, later),
        buffer.CopyReversed(src.same, all),
        buffer.CopyReversed(src.same, half, later),
        buffer.CopyWithGain(src.same, 0.5, all),
        buffer.CopyWithGain(src.same, 1.0, half, later),
        buffer.CopyAddWithGain(src.same, 0.5, all),
        buffer.CopyAddWithGain(src.same, 0.5, half, later),
        buffer.CopyAddWithXFade(src.same, 0.0, 1.0, all),
        buffer.CopyAddWithXFade(src.same, AKNormIntv{0.0, 1.0}, half, later),
        buffer.Move(3, half),
        buffer.Move(half, later),
        buffer.CopyAddWithMatrix(src.same, src.matrix, all),
        buffer.CopyAddWithMatrix(src.same, src.matrix, half, later),
        buffer.CopyCast(src.floats, all, all),
        buffer.CopyCast(src.doubles, half, later),
        buffer.CopyCastDeinterleave(src.interleaved, all, all),
        buffer.CopyCastDeinterleavePCMData(src.pcm, all),
        buffer.CopyCastDeinterleavePCMData(src.pcm, half, later),
        buffer.CopyCastResample(src.wide, all, QVSampleRangeMake(-1, 28, kFrames), 1.0, 0.0, 4, nullptr),
        buffer.CopyCastResample(src.wide, all, QVSampleRangeMake(-1, 28, kFrames), 0.7, 0.3, 0x104, nullptr),
        buffer.IsAlmostZero(all, T(1)),
        buffer.IsAlmostEqual(buffer, all, T(0)),
        buffer.IsAlmostEqual(src.same, half, later, T(10)),
        buffer.GetMaxLevels(&src.levels, &over, all),
    };
    buffer.ResetAllWorkingSubRanges();
    buffer.ResetWorkingChannelCount();
    unsigned int failures = 0;
    for (bool ok : results)
        failures += ok ? 0 : 1;
    return failures;
}

}  // namespace

TEST(QXSampleBufferAllocCounter, SeesAllocations)
{
    AllocationProbe probe;
    auto* p = new std::vector<int>(100);
    delete p;
    EXPECT_EQ(probe.Count(), 2u);
}

TYPED_TEST(QXSampleBufferAlloc, BlockOperationsAllocateNothing)
{
    using T = TypeParam;
    Sources<T> sources;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(kChannels, kFrames, 44100.0));
    T const* block = buffer.SamplePtrConst(0, 0);

    unsigned long allocations = 0;
    unsigned int failures = 0;
    {
        AllocationProbe probe;
        for (int pass = 0; pass < 3; pass++)
            failures += RunBlockOperations(buffer, sources);
        allocations = probe.Count();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(buffer.SamplePtrConst(0, 0), block);
}

TYPED_TEST(QXSampleBufferAlloc, ConstructionReservesTheWholeStack)
{
    using T = TypeParam;
    QXSampleBuffer<T> buffer;
    ASSERT_TRUE(buffer.AllocateClean(1, 100, 44100.0));
    unsigned long allocations = 0;
    unsigned int pushed = 0;
    {
        AllocationProbe probe;
        while (buffer.StackWorkingSubRange(1, buffer.FrameCount() - 1))
            pushed++;
        buffer.ResetAllWorkingSubRanges();
        allocations = probe.Count();
    }
    EXPECT_EQ(pushed, 9u);
    EXPECT_EQ(allocations, 0u);
}
