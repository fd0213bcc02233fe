// Min/max envelopes: the pyramid's shape at each memory level, the choice
// of group for a zoom, the entries against a plain reference, the same
// envelope whatever blocks a sound is integrated in, and proof that
// integrating allocates nothing.

#include "AllocationProbe.h"
#include "QVAudioResourcePrefs.h"
#include "QVSampleEnvelope.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

namespace {

// An envelope built while the preference holds the given level.
std::unique_ptr<QVSampleEnvelope> MakeEnvelope(unsigned int level)
{
    unsigned int const saved = QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel;
    QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel = level;
    auto envelope = std::make_unique<QVSampleEnvelope>();
    QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel = saved;
    return envelope;
}

std::vector<unsigned int> Offsets(QVSampleEnvelope const& envelope)
{
    std::vector<unsigned int> offsets;
    if (envelope.GroupCount() == 0)
        return offsets;
    offsets.push_back(0);
    for (unsigned int g = 0; g < envelope.GroupCount(); ++g)
        offsets.push_back(offsets.back() + envelope.MinimaxCountInGroup(g));
    return offsets;
}

TEST(QVSampleEnvelope, LevelsChooseTheGroupConstants)
{
    struct Case {
        unsigned int preference, level, firstGroupSize, divideFactor;
    };
    for (Case const& c : {Case{0, 0, 16, 2}, Case{1, 1, 16, 4}, Case{2, 2, 32, 4}, Case{7, 2, 32, 4}}) {
        auto envelope = MakeEnvelope(c.preference);
        EXPECT_EQ(c.level, envelope->OptimizationLevel());
        EXPECT_EQ(c.firstGroupSize, envelope->FirstGroupSize());
        EXPECT_EQ(c.divideFactor, envelope->DivideFactor());
    }
    // The default level, and no change for an envelope built earlier.
    QVSampleEnvelope standard;
    EXPECT_EQ(1u, standard.OptimizationLevel());
    QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel = 0;
    EXPECT_EQ(1u, standard.OptimizationLevel());
    QVAudioResourcePrefs::sShared.envelopeMemoryOptimizationLevel = 1;
}

TEST(QVSampleEnvelope, AllocateShapesThePyramid)
{
    struct Case {
        unsigned int level;
        unsigned long long frames;
        std::vector<unsigned int> offsets;
    };
    Case const cases[] = {
        {0, 1000, {0, 63, 95, 111, 119, 123, 125, 126}},
        {1, 1000, {0, 63, 79, 83, 84}},
        {2, 32, {0, 1}},
        {2, 33, {0, 2, 3}},
        {0, 1, {0, 1}},
        {0, 16, {0, 1}},
        {0, 17, {0, 2, 3}},
        {1, 16 * 4 * 4, {0, 16, 20, 21}},
        {1, 16 * 4 * 4 + 1, {0, 17, 22, 24, 25}},
    };
    for (Case const& c : cases) {
        auto envelope = MakeEnvelope(c.level);
        ASSERT_TRUE(envelope->AllocateClean(2, c.frames, 48000.0)) << c.frames;
        EXPECT_EQ(c.offsets, Offsets(*envelope)) << "level " << c.level << ", " << c.frames << " frames";
        EXPECT_EQ(c.offsets.back(), envelope->MinimaxCountPerChannel());
        EXPECT_EQ(c.offsets.back() * 2ull * 4, envelope->UsedMemory());
        EXPECT_EQ(c.frames, envelope->FrameCount());
        EXPECT_EQ(2u, envelope->ChannelCount());
        EXPECT_EQ(48000.0, envelope->SampleRate());
        // Entries of group 0 cover the whole sound; each further group covers the one below.
        unsigned long long const h = envelope->FirstGroupSize();
        EXPECT_EQ((c.frames + h - 1) / h, envelope->MinimaxCountInGroup(0));
        for (unsigned int g = 1; g < envelope->GroupCount(); ++g)
            EXPECT_EQ((envelope->MinimaxCountInGroup(g - 1) + envelope->DivideFactor() - 1) / envelope->DivideFactor(),
                      envelope->MinimaxCountInGroup(g));
        EXPECT_EQ(1u, envelope->MinimaxCountInGroup(envelope->GroupCount() - 1));
    }
}

TEST(QVSampleEnvelope, AllocateReuseAndRefusals)
{
    auto envelope = MakeEnvelope(0);
    EXPECT_EQ(0u, envelope->GroupCount());
    EXPECT_EQ(nullptr, envelope->MinimaxPtrConst(0, 0, 0));

    // 0 frames: false, with or without channels; 0 and 0: false, the rate set.
    EXPECT_FALSE(envelope->Allocate(2, 0, 44100.0, true));
    EXPECT_EQ(0u, envelope->GroupCount());
    EXPECT_FALSE(envelope->Allocate(2, 0, 44100.0, true));
    EXPECT_FALSE(envelope->Allocate(0, 0, 22050.0, true));
    EXPECT_EQ(22050.0, envelope->SampleRate());
    EXPECT_FALSE(envelope->Allocate(0, 0, 22050.0, true));

    // The same shape keeps the blocks; clean zeroes them.
    ASSERT_TRUE(envelope->AllocateClean(1, 100, 48000.0));
    QVSampleMinimax* entry = const_cast<QVSampleMinimax*>(envelope->MinimaxPtrConst(0, 1, 2));
    ASSERT_NE(nullptr, entry);
    *entry = {-5, 7};
    ASSERT_TRUE(envelope->Allocate(1, 100, 96000.0, false));
    EXPECT_EQ(entry, envelope->MinimaxPtrConst(0, 1, 2));
    EXPECT_EQ((QVSampleMinimax{-5, 7}), *entry);
    EXPECT_EQ(96000.0, envelope->SampleRate());
    ASSERT_TRUE(envelope->AllocateClean(1, 100, 96000.0));
    EXPECT_EQ(kQVNullSampleMinimax, *entry);
    *entry = {-5, 7};
    envelope->Zeroset();
    EXPECT_EQ(kQVNullSampleMinimax, *entry);

    // A pyramid whose entries would not fit in 32-bit offsets is refused.
    EXPECT_FALSE(envelope->Allocate(1, 1ull << 40, 48000.0, false));
    EXPECT_EQ(0u, envelope->GroupCount());
    EXPECT_EQ(0u, envelope->ChannelCount());

    ASSERT_TRUE(envelope->AllocateClean(1, 100, 48000.0));
    envelope->Free();
    EXPECT_EQ(0u, envelope->GroupCount());
    EXPECT_EQ(0u, envelope->UsedMemory());
    EXPECT_EQ(0.0, envelope->SampleRate());
    EXPECT_EQ(0u, envelope->OptimizationLevel());
}

TEST(QVSampleEnvelope, GroupLevelsForZooms)
{
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(1, 1000, 48000.0));  // 7 groups
    struct Case {
        double samplesByPixel;
        unsigned int group;
    };
    for (Case const& c :
         {Case{100, 2}, Case{8, 0}, Case{16, 0}, Case{31.9, 0}, Case{32, 1}, Case{64, 2}, Case{127.99, 2}, Case{128, 3},
          Case{1e12, 6}, Case{0, 0}, Case{-5, 0}, Case{std::numeric_limits<double>::quiet_NaN(), 0},
          Case{std::numeric_limits<double>::infinity(), 6}})
        EXPECT_EQ(c.group, envelope->EstimateGroupLevel(c.samplesByPixel)) << c.samplesByPixel;

    EXPECT_EQ(16u, envelope->ComputeSamplesByPixel(0));
    EXPECT_EQ(64u, envelope->ComputeSamplesByPixel(2));
    EXPECT_EQ(1024u, envelope->ComputeSamplesByPixel(6));
    EXPECT_EQ(0u, envelope->ComputeSamplesByPixel(7));

    auto coarse = MakeEnvelope(2);
    ASSERT_TRUE(coarse->AllocateClean(1, 100000, 48000.0));
    EXPECT_EQ(2u, coarse->EstimateGroupLevel(32 * 16));
    EXPECT_EQ(1u, coarse->EstimateGroupLevel(32 * 16 - 1));
    EXPECT_EQ(512u, coarse->ComputeSamplesByPixel(2));

    // A single group answers 0 for every zoom.
    ASSERT_TRUE(coarse->AllocateClean(1, 32, 48000.0));
    EXPECT_EQ(0u, coarse->EstimateGroupLevel(1e9));
}

TEST(QVSampleEnvelope, EntryAccess)
{
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(2, 1000, 48000.0));
    EXPECT_NE(nullptr, envelope->MinimaxPtrConst(1, 0, 62));
    EXPECT_EQ(nullptr, envelope->MinimaxPtrConst(1, 0, 63));
    EXPECT_EQ(envelope->MinimaxPtrConst(1, 0, 0) + 63, envelope->MinimaxPtrConst(1, 1, 0));
    EXPECT_NE(nullptr, envelope->MinimaxPtrConst(0, 6, 0));
    EXPECT_EQ(nullptr, envelope->MinimaxPtrConst(0, 6, 1));
    EXPECT_EQ(nullptr, envelope->MinimaxPtrConst(0, 7, 0));
    EXPECT_EQ(nullptr, envelope->MinimaxPtrConst(2, 0, 0));
    EXPECT_EQ(0u, envelope->MinimaxCountInGroup(7));
}

// The pyramid of a sound by its definition: entry e of group 0 summarises
// frames [e h, (e + 1) h), entry j of group g entries [j d, (j + 1) d) of group g - 1.
std::vector<std::vector<QVSampleMinimax>> ReferencePyramid(std::vector<float> const& samples, unsigned int h,
                                                           unsigned int d)
{
    std::vector<std::vector<QVSampleMinimax>> groups(1);
    for (size_t first = 0; first < samples.size(); first += h)
        groups[0].push_back(QVSampleMinimaxMakeWithSamples(
            samples.data() + first, static_cast<unsigned int>(std::min<size_t>(h, samples.size() - first))));
    while (groups.back().size() > 1) {
        std::vector<QVSampleMinimax> const& below = groups.back();
        std::vector<QVSampleMinimax> next;
        for (size_t first = 0; first < below.size(); first += d)
            next.push_back(QVSampleMinimaxMakeWithMinimaxs(
                below.data() + first, static_cast<unsigned int>(std::min<size_t>(d, below.size() - first))));
        groups.push_back(next);
    }
    return groups;
}

::testing::AssertionResult MatchesReference(QVSampleEnvelope const& envelope, unsigned int channel,
                                            std::vector<std::vector<QVSampleMinimax>> const& reference)
{
    if (envelope.GroupCount() != reference.size())
        return ::testing::AssertionFailure() << envelope.GroupCount() << " groups, expected " << reference.size();
    for (unsigned int g = 0; g < reference.size(); ++g) {
        if (envelope.MinimaxCountInGroup(g) != reference[g].size())
            return ::testing::AssertionFailure() << "group " << g << " size";
        for (unsigned int e = 0; e < reference[g].size(); ++e) {
            QVSampleMinimax const got = *envelope.MinimaxPtrConst(channel, g, e);
            if (got != reference[g][e])
                return ::testing::AssertionFailure()
                       << "channel " << channel << " group " << g << " entry " << e << ": {" << got.min << ", "
                       << got.max << "}, expected {" << reference[g][e].min << ", " << reference[g][e].max << "}";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameEntries(QVSampleEnvelope const& a, QVSampleEnvelope const& b)
{
    if (a.ChannelCount() != b.ChannelCount() || a.MinimaxCountPerChannel() != b.MinimaxCountPerChannel())
        return ::testing::AssertionFailure() << "shapes differ";
    for (unsigned int c = 0; c < a.ChannelCount(); ++c)
        for (unsigned int g = 0; g < a.GroupCount(); ++g)
            for (unsigned int e = 0; e < a.MinimaxCountInGroup(g); ++e)
                if (*a.MinimaxPtrConst(c, g, e) != *b.MinimaxPtrConst(c, g, e))
                    return ::testing::AssertionFailure() << "channel " << c << " group " << g << " entry " << e;
    return ::testing::AssertionSuccess();
}

TEST(QVSampleEnvelope, OneEntryHoldsTheScaledExtremes)
{
    QXSampleBuffer<double> buffer;
    ASSERT_TRUE(buffer.AllocateClean(1, 16, 48000.0));
    *buffer.SamplePtr(0, 3) = -1.5;
    *buffer.SamplePtr(0, 9) = 0.3;
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateAndIntegrateSamples(buffer));
    ASSERT_EQ(1u, envelope->GroupCount());
    EXPECT_EQ((QVSampleMinimax{-32767, 9830}), *envelope->MinimaxPtrConst(0, 0, 0));
}

// Random sounds of random lengths at every level, float and double: the
// whole sound in one call matches the reference, and integrating it in
// blocks of random lengths (most not multiples of 16) after a clean
// allocation gives the very same envelope.
TEST(QVSampleEnvelope, AnySplitGivesTheSameEnvelope)
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> uniform(-1.2f, 1.2f);
    for (int round = 0; round < 60; ++round) {
        unsigned int const level = round % 3;
        unsigned long long const frames = 1 + random() % 5000;
        unsigned int const channels = 1 + random() % 3;
        QXSampleBuffer<float> sound;
        QXSampleBuffer<double> soundDouble;
        ASSERT_TRUE(sound.AllocateClean(channels, frames, 48000.0));
        ASSERT_TRUE(soundDouble.AllocateClean(channels, frames, 48000.0));
        std::vector<std::vector<float>> samples(channels, std::vector<float>(frames));
        for (unsigned int c = 0; c < channels; ++c) {
            // Quiet stretches make the extremes move from entry to entry.
            float const scale = (random() % 2) ? 1.0f : 0.05f;
            for (unsigned long long f = 0; f < frames; ++f) {
                float const value = uniform(random) * (f % 700 < 350 ? scale : 1.0f);
                samples[c][f] = value;
                *sound.SamplePtr(c, f) = value;
                *soundDouble.SamplePtr(c, f) = value;
            }
        }

        auto whole = MakeEnvelope(level);
        ASSERT_TRUE(whole->AllocateAndIntegrateSamples(sound));
        for (unsigned int c = 0; c < channels; ++c)
            ASSERT_TRUE(MatchesReference(*whole, c,
                                         ReferencePyramid(samples[c], whole->FirstGroupSize(), whole->DivideFactor())))
                << "round " << round;
        auto wholeDouble = MakeEnvelope(level);
        ASSERT_TRUE(wholeDouble->AllocateAndIntegrateSamples(soundDouble));
        ASSERT_TRUE(SameEntries(*whole, *wholeDouble));

        auto blocks = MakeEnvelope(level);
        ASSERT_TRUE(blocks->AllocateClean(channels, frames, 48000.0));
        for (unsigned long long first = 0; first < frames;) {
            unsigned long long const n = std::min<unsigned long long>(1 + random() % 300, frames - first);
            ASSERT_TRUE(blocks->IntegrateSamples(sound, QVSampleRangeMake(-1, first, n)));
            first += n;
        }
        ASSERT_TRUE(SameEntries(*whole, *blocks))
            << "round " << round << ", level " << level << ", " << frames << " frames";
    }
}

TEST(QVSampleEnvelope, ABlockStartingInsideAnEntryCompletesIt)
{
    // 200 frames: a peak at frame 98, integrated as 100 frames and 100 more.
    // Entry 6 covers frames 96 to 111 and must keep the peak of the first block.
    QXSampleBuffer<float> sound;
    ASSERT_TRUE(sound.AllocateClean(1, 200, 48000.0));
    *sound.SamplePtr(0, 98) = 0.5f;
    *sound.SamplePtr(0, 105) = -0.25f;
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(1, 200, 48000.0));
    ASSERT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 0, 100)));
    EXPECT_EQ((QVSampleMinimax{0, 16383}), *envelope->MinimaxPtrConst(0, 0, 6));
    ASSERT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 100, 100)));
    EXPECT_EQ((QVSampleMinimax{-8191, 16383}), *envelope->MinimaxPtrConst(0, 0, 6));
    // Frames 112 to 127 land in entry 7, not shifted by the block's start.
    EXPECT_EQ(kQVNullSampleMinimax, *envelope->MinimaxPtrConst(0, 0, 7));
    EXPECT_EQ((QVSampleMinimax{-8191, 16383}), *envelope->MinimaxPtrConst(0, 4, 0));
}

TEST(QVSampleEnvelope, PartlyLoadedUpperGroupsShowTheLoadedPart)
{
    QXSampleBuffer<float> sound;
    ASSERT_TRUE(sound.AllocateClean(1, 1000, 48000.0));
    for (unsigned long long f = 0; f < 1000; ++f)
        *sound.SamplePtr(0, f) = 0.5f;
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(1, 1000, 48000.0));
    ASSERT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 0, 300)));
    // The top entry mixes the loaded 0.5 with the zeros still unloaded.
    EXPECT_EQ((QVSampleMinimax{0, 16383}), *envelope->MinimaxPtrConst(0, 6, 0));
    EXPECT_EQ((QVSampleMinimax{16383, 16383}), *envelope->MinimaxPtrConst(0, 1, 0));
    EXPECT_EQ(kQVNullSampleMinimax, *envelope->MinimaxPtrConst(0, 0, 20));
    ASSERT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 300, 700)));
    EXPECT_EQ((QVSampleMinimax{16383, 16383}), *envelope->MinimaxPtrConst(0, 6, 0));
}

TEST(QVSampleEnvelope, RangesPairChannelsAndMustFit)
{
    QXSampleBuffer<double> sound;
    ASSERT_TRUE(sound.AllocateClean(2, 64, 48000.0));
    for (unsigned long long f = 0; f < 64; ++f) {
        *sound.SamplePtr(0, f) = 0.25;
        *sound.SamplePtr(1, f) = -0.5;
    }
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(3, 64, 48000.0));

    // Buffer channel 1 into envelope channel 2 only.
    ASSERT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(2, 0, 64), QVSampleRangeMake(1, 0, 64)));
    EXPECT_EQ(kQVNullSampleMinimax, *envelope->MinimaxPtrConst(0, 2, 0));
    EXPECT_EQ((QVSampleMinimax{-16383, -16383}), *envelope->MinimaxPtrConst(2, 2, 0));
    // All channels: two buffer channels onto the first two envelope channels.
    ASSERT_TRUE(envelope->IntegrateSamples(sound, kQVSampleRangeAll));
    EXPECT_EQ((QVSampleMinimax{8191, 8191}), *envelope->MinimaxPtrConst(0, 2, 0));
    EXPECT_EQ((QVSampleMinimax{-16383, -16383}), *envelope->MinimaxPtrConst(1, 2, 0));

    EXPECT_FALSE(envelope->IntegrateSamples(sound, QVSampleRangeMake(3, 0, 1), kQVSampleRangeAll));
    EXPECT_FALSE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 60, 10), kQVSampleRangeAll));
    EXPECT_FALSE(envelope->IntegrateSamples(sound, kQVSampleRangeAll, QVSampleRangeMake(2, 0, 1)));
    EXPECT_TRUE(envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, 64, 0), kQVSampleRangeAll));

    // An envelope without groups integrates nothing and succeeds.
    auto empty = MakeEnvelope(0);
    EXPECT_TRUE(empty->IntegrateSamples(sound, kQVSampleRangeAll));
    QXSampleBuffer<float> silent;
    EXPECT_FALSE(empty->AllocateAndIntegrateSamples(silent));
}

TEST(QVSampleEnvelope, IntegratingAllocatesNothing)
{
    QXSampleBuffer<float> sound;
    ASSERT_TRUE(sound.AllocateClean(2, 4096, 48000.0));
    sound.FillWithNoise(0.8, kQVSampleRangeAll);
    auto envelope = MakeEnvelope(0);
    ASSERT_TRUE(envelope->AllocateClean(2, 4096, 48000.0));

    AllocationProbe::Start();
    for (unsigned long long first = 0; first < 4096; first += 333)
        envelope->IntegrateSamples(sound, QVSampleRangeMake(-1, first, std::min(333ull, 4096 - first)));
    envelope->EstimateGroupLevel(100.0);
    envelope->MinimaxPtrConst(0, 3, 1);
    AllocationProbe::Stop();
    EXPECT_EQ(0u, AllocationProbe::Count());
}

}  // namespace
