// The audio working memory: the five pools and their shapes, lending last in
// first out, matching a block's frames, and a plug-in's dry copy borrowed
// from it inside a block.

#include "AllocationProbe.h"
#include "QVAudioMemory.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPrefs.h"
#include "QVSig.h"

#include <gtest/gtest.h>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

QVAudioInfo Info(unsigned int channels, unsigned long long frames, double rate)
{
    QVAudioInfo info;
    info.Setup(channels, frames, rate);
    return info;
}

// Sets the overlap fade for one test.
class OlapsysFadeGuard
{
public:
    explicit OlapsysFadeGuard(double seconds) : mKept(QVPrefs::sShared.GetEngineOlapsysFadeDuration())
    {
        QVPrefs::sShared.SetEngineOlapsysFadeDuration(seconds);
    }
    ~OlapsysFadeGuard() { QVPrefs::sShared.SetEngineOlapsysFadeDuration(mKept); }

private:
    double mKept;
};

TEST(QVAudioMemoryTest, PreparingShapesEveryPool)
{
    QVAudioMemory memory(nullptr);
    for (int pool = 1; pool <= 5; ++pool)
        EXPECT_EQ(memory.CountPoolBuffers(pool), pool == 1 ? 9u : pool == 2 ? 5u : 1u);
    EXPECT_EQ(memory.CountPoolBuffers(0), 0u);
    EXPECT_EQ(memory.CountPoolBuffers(6), 0u);

    OlapsysFadeGuard fade(0.005);
    ASSERT_TRUE(memory.PrepareAudioResources(Info(2, 512, 48000.0)));
    // 0.005 s at 48000 Hz is 240 frames, below (512 + 64) / 2.
    EXPECT_EQ(memory.GetOlapsysFrameCount(), 240u);
    EXPECT_EQ(memory.GetResamplingSourceFrameCount(), 4u * 752u + 56u);
    EXPECT_EQ(memory.GetWideResamplingSourceFrameCount(), 64u * 752u + 56u);

    struct Shape {
        int pool;
        unsigned int channels;
        unsigned long long frames;
    };
    for (Shape const shape :
         {Shape{1, 2, 512}, Shape{2, 2, 752}, Shape{3, 16, 752}, Shape{4, 16, 3064}, Shape{5, 1, 48184}}) {
        SCOPED_TRACE(shape.pool);
        QXSampleBuffer<double>* const buffer = memory.RetainWorkingBuffer(shape.pool);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->ChannelCount(), shape.channels);
        EXPECT_EQ(buffer->FrameCount(), shape.frames);
        EXPECT_EQ(buffer->SampleRate(), 48000.0);
        EXPECT_EQ(buffer->UserFlag(), shape.pool);
        EXPECT_TRUE(buffer->IsAlmostZero(kQVSampleRangeAll, 0.0));
        memory.ReleaseWorkingBuffer(*buffer);
    }

    memory.ReleaseAudioResources();
    EXPECT_FALSE(memory.GetAudioInfo().IsValid());
    EXPECT_EQ(memory.GetBlockFrameCount(), 0u);
    EXPECT_EQ(memory.GetOlapsysFrameCount(), 0u);
    EXPECT_TRUE(memory.RetainWorkingBuffer(1)->IsEmpty());
}

TEST(QVAudioMemoryTest, TheOverlapFollowsTheBlockAndTheFade)
{
    struct Case {
        unsigned long long block;
        double rate;
        double fade;
        unsigned long long overlap;
    };
    Case const cases[] = {
        {64, 48000.0, 0.005, 64},     // up to 64 frames: the whole block
        {32, 48000.0, 0.01, 32},      //
        {512, 44100.0, 0.01, 288},    // 441 frames, cut to (512 + 64) / 2
        {512, 8000.0, 0.005, 64},     // 40 frames, raised to 64
        {4096, 48000.0, 0.0001, 64},  // 5 frames, raised to 64
        {100, 48000.0, 0.01, 82},     // 480 frames, cut to (100 + 64) / 2
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.block << " frames at " << c.rate);
        OlapsysFadeGuard fade(c.fade);
        EXPECT_EQ(QVPrefs::EngineComputeOlapsysFrameCount(c.block, c.rate), c.overlap);
    }
}

TEST(QVAudioMemoryTest, AnInvalidFormatPreparesNothing)
{
    QVAudioMemory memory(nullptr);
    EXPECT_FALSE(memory.PrepareAudioResources(kQVNullAudioInfo));
    EXPECT_FALSE(memory.PrepareAudioResources(Info(2, 0, 48000.0)));
    EXPECT_EQ(memory.GetBlockFrameCount(), 0u);
    EXPECT_TRUE(memory.RetainWorkingBuffer(1)->IsEmpty());
}

TEST(QVAudioMemoryTest, BuffersAreLentLastInFirstOutAndRunOut)
{
    QVAudioMemory memory(nullptr);
    ASSERT_TRUE(memory.PrepareAudioResources(Info(2, 256, 44100.0)));
    QXSampleBuffer<double>* const a = memory.RetainWorkingBuffer(1);
    QXSampleBuffer<double>* const b = memory.RetainWorkingBuffer(1);
    ASSERT_NE(a, b);
    EXPECT_EQ(memory.CountLentBuffers(1), 2u);
    memory.ReleaseWorkingBuffer(*b);
    EXPECT_EQ(memory.RetainWorkingBuffer(1), b);
    memory.ReleaseWorkingBuffer(*b);
    memory.ReleaseWorkingBuffer(*a);
    EXPECT_EQ(memory.CountLentBuffers(1), 0u);

    // Pool 3 holds one buffer; pool numbers outside 1 to 5 lend nothing.
    QXSampleBuffer<double>* const only = memory.RetainWorkingBuffer(3);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(memory.RetainWorkingBuffer(3), nullptr);
    memory.ReleaseWorkingBuffer(*only);
    EXPECT_EQ(memory.RetainWorkingBuffer(3), only);
    EXPECT_EQ(memory.RetainWorkingBuffer(0), nullptr);
    EXPECT_EQ(memory.RetainWorkingBuffer(6), nullptr);

    // A buffer of no pool is not counted back, nor is a pool with none lent.
    QXSampleBuffer<double> stranger;
    memory.ReleaseWorkingBuffer(stranger);
    memory.ReleaseWorkingBuffer(*only);
    memory.ReleaseWorkingBuffer(*only);
    EXPECT_EQ(memory.CountLentBuffers(3), 0u);
}

TEST(QVAudioMemoryTest, ALentCopyCoversTheSameFramesAsTheBlock)
{
    QVAudioMemory memory(nullptr);
    ASSERT_TRUE(memory.PrepareAudioResources(Info(2, 512, 48000.0)));
    QXSampleBuffer<double>* const block = memory.RetainWorkingBuffer(2);
    ASSERT_TRUE(block->StackWorkingSubRange(100, 300));
    QXSampleBuffer<double>* const copy = memory.RetainWorkingBufferSameAs(*block);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, block);
    EXPECT_EQ(copy->UserFlag(), 2);
    EXPECT_EQ(copy->RealFramePosition(), 100u);
    EXPECT_EQ(copy->FrameCount(), 300u);
    memory.ReleaseWorkingBuffer(*copy);

    // The next copy starts from the whole buffer again.
    block->UnstackWorkingSubRange();
    QXSampleBuffer<double>* const again = memory.RetainWorkingBufferSameAs(*block);
    ASSERT_EQ(again, copy);
    EXPECT_EQ(again->RealFramePosition(), 0u);
    EXPECT_EQ(again->FrameCount(), block->FrameCount());
    memory.ReleaseWorkingBuffer(*again);
    memory.ReleaseWorkingBuffer(*block);

    QXSampleBuffer<double> outsider;
    outsider.AllocateClean(2, 512, 48000.0);
    EXPECT_EQ(memory.RetainWorkingBufferSameAs(outsider), nullptr);
    outsider.SetUserFlag(1);
    outsider.AllocateClean(2, 500, 48000.0);  // pool 1's buffers have 512 frames
    EXPECT_EQ(memory.RetainWorkingBufferSameAs(outsider), nullptr);
    EXPECT_EQ(memory.CountLentBuffers(1), 0u);
}

// The one gain matrix is lent within its reserved storage (device channels
// x 16), once at a time; the sector lists hold their reserve without growing.
TEST(QVAudioMemoryTest, TheGainMatrixAndSectorListsAreReadyInsideABlock)
{
    QVAudioMemory memory(nullptr);
    EXPECT_GE(memory.GetZoneDesc().Capacity(), kQVAudioSectorListReserve);
    EXPECT_GE(memory.GetLoopDesc().Capacity(), kQVAudioSectorListReserve);
    EXPECT_EQ(memory.GetResamplingQuality(), 4u);  // no document: the offline quality
    ASSERT_TRUE(memory.PrepareAudioResources(Info(4, 256, 48000.0)));
    {
        AllocationProbe probe;
        QVGainMatrix* const matrix = memory.RetainWorkingGainMatrix(4, 16);
        ASSERT_NE(matrix, nullptr);
        EXPECT_EQ(matrix->OutputCount(), 4u);
        EXPECT_EQ(matrix->InputCount(), 16u);
        EXPECT_EQ(memory.RetainWorkingGainMatrix(), nullptr);  // already lent
        memory.ReleaseWorkingGainMatrix(*matrix);
        EXPECT_EQ(memory.RetainWorkingGainMatrix(5, 16), nullptr);  // beyond its storage
        QVGainMatrix* const cleared = memory.RetainWorkingGainMatrix();
        ASSERT_EQ(cleared, matrix);
        EXPECT_EQ(cleared->OutputCount(), 0u);
        memory.ReleaseWorkingGainMatrix(*cleared);
        for (unsigned int i = 0; i < kQVAudioSectorListReserve; ++i)
            memory.GetZoneDesc().Push(QVAudioSector());
        memory.GetZoneDesc().Clear();
        AllocationProbe::Stop();
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_EQ(memory.CountLentGainMatrixes(), 0u);

    // A second format without release: everything at the new sizes.
    ASSERT_TRUE(memory.PrepareAudioResources(Info(6, 128, 44100.0)));
    QVGainMatrix* const wider = memory.RetainWorkingGainMatrix(6, 16);
    ASSERT_NE(wider, nullptr);
    memory.ReleaseWorkingGainMatrix(*wider);
    QXSampleBuffer<double>* const block = memory.RetainWorkingBuffer(1);
    EXPECT_EQ(block->ChannelCount(), 6u);
    EXPECT_EQ(block->FrameCount(), 128u);
    memory.ReleaseWorkingBuffer(*block);

    memory.ReleaseAudioResources();
    EXPECT_EQ(memory.RetainWorkingGainMatrix(1, 1), nullptr);
}

// Inverts its input; its bypassed form leaves the block alone.
class Inverter : public QVPluginInstance
{
public:
    Inverter() : QVPluginInstance(QVPluginDesc(1, kQVPluginFormatInternal, "Inverter", "", 2, 2)) {}
    bool SetStateInformation(AKMemoryBlock const&) override { return true; }
    bool GetStateInformation(AKMemoryBlock*) const override { return true; }
    void PrepareAudioResources(QVAudioInfo const&) override {}
    void ReleaseAudioResources() override {}
    bool ShowPluginWindow(bool) override { return false; }
    void ApplyRTFilterSelf(QXSampleBuffer<double>* block, bool, bool renderBypassed) const override
    {
        if (!renderBypassed)
            block->ApplyGain(-1.0, kQVSampleRangeAll);
    }
};

TEST(QVAudioMemoryTest, APluginBorrowsItsDryCopyInsideABlockWithoutAllocating)
{
    ASSERT_EQ(QVSig::InitTables(), 0);
    QVAudioMemory memory(nullptr);
    ASSERT_TRUE(memory.PrepareAudioResources(Info(2, 512, 48000.0)));
    Inverter inverter;
    QXSampleBuffer<double>* const block = memory.RetainWorkingBuffer(1);
    QXSampleBuffer<double>* const other = memory.RetainWorkingBuffer(1);
    {
        AllocationProbe probe;
        for (int step = 0; step < 6; ++step) {
            block->ApplyGain(0.0, kQVSampleRangeAll);
            *block->SamplePtr(0, 0) = 1.0;
            if (step == 2)
                inverter.SetBypassed(1);
            inverter.ApplyRTFilter(block, true, memory);
        }
        AllocationProbe::Stop();
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_TRUE(inverter.IsAppliedBypass());
    EXPECT_EQ(*block->SamplePtrConst(0, 0), 1.0);  // bypassed: dry
    // The dry copy came from pool 1 and went back to it.
    EXPECT_EQ(memory.CountLentBuffers(1), 2u);
    memory.ReleaseWorkingBuffer(*other);
    memory.ReleaseWorkingBuffer(*block);
}

}  // namespace
