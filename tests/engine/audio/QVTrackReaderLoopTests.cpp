// Looping players and the overlap between blocks: the passes through the
// loop window, a block across the loop point, and the junction of two
// blocks smoothed only when the stream jumps.

#include "QVAudioMemory.h"
#include "QVSig.h"
#include "QVTrackReader.h"
#include "TrackReaderFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TrackReaderFixtures;

namespace {

void ExpectIntv(AKTimeIntv intv, double beg, double end)
{
    EXPECT_NEAR(intv.beg, beg, 1e-9);
    EXPECT_NEAR(intv.end, end, 1e-9);
}

TEST(TrackReaderLoopTest, LoopDescriptionCutsTheBlockAtTheLoopPoint)
{
    QVAudioLoopDesc desc;
    // Inside the window: one pass, no fade.
    ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 1.0}, 0.01, 0.3, 0.01, 0.0, 1.0));
    ASSERT_EQ(desc.Count(), 1u);
    ExpectIntv(desc[0].SrcPlayTimeIntv, 0.3, 0.31);
    EXPECT_TRUE(desc[0].DesIsFull);
    EXPECT_FALSE(desc[0].DesHasFadi || desc[0].DesHasFado);

    // Across the loop point: the end fades out while the start fades in,
    // over the same part of the block, centred on the loop point.
    ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 1.0}, 0.01, 0.995, 0.01, 0.0, 1.0));
    ASSERT_EQ(desc.Count(), 2u);
    ExpectIntv(desc[0].SrcPlayTimeIntv, 0.995, 1.005);
    ExpectIntv(desc[1].SrcPlayTimeIntv, -0.005, 0.005);
    ASSERT_TRUE(desc[0].DesHasFado && desc[1].DesHasFadi);
    EXPECT_FALSE(desc[0].DesHasFadi || desc[1].DesHasFado);
    EXPECT_NEAR(desc[0].DesFadoNormIntv.beg, desc[1].DesFadiNormIntv.beg, 1e-9);
    EXPECT_NEAR(desc[0].DesFadoNormIntv.end, desc[1].DesFadiNormIntv.end, 1e-9);
    EXPECT_NEAR(desc[0].DesFadoNormCoeff.beg, desc[1].DesFadiNormCoeff.beg, 1e-9);

    // Backwards through the window: from its end down.
    ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 1.0}, 0.01, 0.3, 0.01, 0.0, -1.0));
    ASSERT_EQ(desc.Count(), 1u);
    ExpectIntv(desc[0].SrcPlayTimeIntv, 0.3, 0.29);

    // The head standing in a window moving with it: the block as it is.
    ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 1.0}, 0.01, 5.0, 0.01, 2.0, 2.0));
    ASSERT_EQ(desc.Count(), 1u);
    ExpectIntv(desc[0].SrcPlayTimeIntv, 5.0, 5.02);

    // A window too short to loop, and a pass too short to sound.
    EXPECT_FALSE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 0.00005}, 0.01, 0.0, 0.01, 0.0, 1.0));
    EXPECT_TRUE(desc.IsEmpty());
    EXPECT_TRUE(QVTrackReader::ComputeLoopDesc(&desc, {0.0, 0.0003}, 0.01, 0.0, 0.01, 0.0, 1.0));
    EXPECT_TRUE(desc.IsEmpty());
}

class TrackReaderLoopBlockTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(QVSig::InitTables(), 0); }
    void SetUp() override
    {
        QVAudioInfo info;
        ASSERT_TRUE(info.Setup(2, 480, 48000.0));
        ASSERT_TRUE(mMemory.PrepareAudioResources(info));
    }

    SoundBank mSounds;
    QVAudioMemory mMemory{nullptr};
    QVTrackReader mReader{mMemory};
};

// A constant sound looped over [0.5, 1.5]: the block across the loop point
// keeps its level through the cross-fade of the two passes.
TEST_F(TrackReaderLoopBlockTest, ABlockAcrossTheLoopPointKeepsItsLevel)
{
    QVProvider* const sound = mSounds.Make(Dc(0.25), 2, 96000, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 2.0, 1.0}}, 0.005);
    QVTrackReadSource source;
    source.zones = &zones;
    QXSampleBuffer<double>* const block = mMemory.RetainWorkingBuffer(2);
    double const dt = block->BufferDuration();
    QVAudioLoopDesc& loop = mMemory.GetLoopDesc();
    ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&loop, {0.5, 1.5}, 0.01, 1.5 - dt / 2.0, dt, 0.0, 1.0));
    ASSERT_EQ(loop.Count(), 2u);
    unsigned int hint = 0;
    ASSERT_TRUE(mReader.GrabAudioBlockOfTrackZonesInLoop(block, source, loop, 1.0, 0.0, &hint, true, nullptr));
    for (unsigned long long f = 0; f < block->FrameCount(); ++f) {
        ASSERT_NEAR(*block->SamplePtrConst(0, f), Stored(Dc(0.25), 0, 0), 1e-6) << f;
        ASSERT_NEAR(*block->SamplePtrConst(1, f), Stored(Dc(0.25), 0, 1), 1e-6) << f;
    }
    EXPECT_EQ(mMemory.CountLentBuffers(2), 1u);
    mMemory.ReleaseWorkingBuffer(*block);
}

// The overlap step: a continuous stream passes untouched, a jump fades from
// the kept tail into the new block; the new tail is kept either way.
TEST_F(TrackReaderLoopBlockTest, TheOverlapSmoothsOnlyJumps)
{
    QXSampleBuffer<double>* const extended = mMemory.RetainWorkingBuffer(2);
    QXSampleBuffer<double>* const block = mMemory.RetainWorkingBuffer(1);
    QXSampleBuffer<double> overlap;
    unsigned long long const frames = block->FrameCount();
    unsigned long long const kept = extended->FrameCount() - frames;
    ASSERT_GT(kept, 0u);
    ASSERT_TRUE(overlap.AllocateClean(2, kept, 48000.0));
    auto fill = [&](double from) {
        for (unsigned int c = 0; c < 2; ++c)
            for (unsigned long long f = 0; f < extended->FrameCount(); ++f)
                *extended->SamplePtr(c, f) = from + 0.0001 * static_cast<double>(f);
    };

    fill(0.0);
    EXPECT_FALSE(QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(*extended, block, &overlap, false));
    EXPECT_DOUBLE_EQ(*overlap.SamplePtrConst(0, 0), 0.0001 * static_cast<double>(frames));

    // The next block goes on from where the tail left off: untouched.
    fill(0.0001 * static_cast<double>(frames));
    EXPECT_FALSE(QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(*extended, block, &overlap, true));
    EXPECT_DOUBLE_EQ(*block->SamplePtrConst(1, 5), 0.0001 * static_cast<double>(frames + 5));

    // A jump: the block starts on the old tail and ends on its own samples.
    double const tail = *overlap.SamplePtrConst(0, 0);
    fill(0.5);
    EXPECT_TRUE(QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(*extended, block, &overlap, true));
    EXPECT_NEAR(*block->SamplePtrConst(0, 0), tail, 1e-9);
    EXPECT_NEAR(*block->SamplePtrConst(0, kept - 1), 0.5 + 0.0001 * static_cast<double>(kept - 1), 1e-3);
    EXPECT_DOUBLE_EQ(*block->SamplePtrConst(0, kept), 0.5 + 0.0001 * static_cast<double>(kept));
    // Without a previous sounding block nothing is smoothed.
    fill(0.9);
    EXPECT_FALSE(QVTrackReader::LowDispatchExtBufferAndAppyOlapsys(*extended, block, &overlap, false));
    EXPECT_DOUBLE_EQ(*block->SamplePtrConst(0, 0), 0.9);

    mMemory.ReleaseWorkingBuffer(*block);
    mMemory.ReleaseWorkingBuffer(*extended);
}

// A buffer still holding the previous track's samples: a loop pass over the
// whole block must write or clear every frame of it, whatever the zones
// give (a copy, routing, silence, a zone ending inside the block), so the
// result is the same bits as a read into a cleared buffer.
TEST_F(TrackReaderLoopBlockTest, AWholeBlockPassLeavesNothingOfTheBufferBefore)
{
    QVProvider* const stereo = mSounds.Make(Ramp(), 2, 96000, 48000);
    QVProvider* const mono = mSounds.Make(Ramp(), 1, 96000, 48000);
    ASSERT_NE(stereo, nullptr);
    ASSERT_NE(mono, nullptr);
    QVTrackZoneArray const stereoZones = MakeZones({{stereo, 0.0, 1.0, 1.0}}, 0.005);
    QVTrackZoneArray const monoZones = MakeZones({{mono, 0.0, 1.0, 1.0}}, 0.005);
    QXSampleBuffer<double>* const used = mMemory.RetainWorkingBuffer(2);
    QXSampleBuffer<double>* const clean = mMemory.RetainWorkingBuffer(2);
    ASSERT_NE(clean, nullptr);
    double const dt = used->BufferDuration();
    struct Case {
        char const* name;
        QVTrackZoneArray const* zones;
        double time;
        double pan;
        bool sounds;
    };
    Case const cases[] = {
        {"stereo copy", &stereoZones, 0.25, 0.0, true},
        {"stereo panned", &stereoZones, 0.25, 0.5, true},
        {"mono routed", &monoZones, 0.25, 0.0, true},
        {"zone ends inside", &stereoZones, 1.0 - dt / 3.0, 0.0, true},
        {"after the zones", &stereoZones, 3.0, 0.0, false},
    };
    for (Case const& c : cases) {
        QVTrackReadSource source;
        source.zones = c.zones;
        QVAudioLoopDesc& loop = mMemory.GetLoopDesc();
        ASSERT_TRUE(QVTrackReader::ComputeLoopDesc(&loop, {0.0, 10.0}, 0.01, c.time, dt, 0.0, 1.0));
        ASSERT_EQ(loop.Count(), 1u);
        ASSERT_TRUE(loop[0].DesIsFull);
        ASSERT_TRUE(used->FillWithNoise(0.5, kQVSampleRangeAll));
        ASSERT_TRUE(clean->Zeroset(kQVSampleRangeAll));
        unsigned int hint = 0;
        EXPECT_EQ(mReader.GrabAudioBlockOfTrackZonesInLoop(used, source, loop, 1.0, c.pan, &hint, true, nullptr),
                  c.sounds)
            << c.name;
        hint = 0;
        EXPECT_EQ(mReader.GrabAudioBlockOfTrackZonesInLoop(clean, source, loop, 1.0, c.pan, &hint, true, nullptr),
                  c.sounds)
            << c.name;
        EXPECT_TRUE(used->IsAlmostEqual(*clean, kQVSampleRangeAll, 0.0)) << c.name;
        if (!c.sounds) {
            EXPECT_TRUE(used->IsAlmostZero(kQVSampleRangeAll, 0.0)) << c.name;
        }
    }
    mMemory.ReleaseWorkingBuffer(*clean);
    mMemory.ReleaseWorkingBuffer(*used);
}

}  // namespace
