// Reading tracks into blocks over synthetic sounds: exact copies, zone
// joins, backwards reading, resampling against an exactly computed sine,
// pan and routing, many tracks, and no allocation while reading.

#include "AllocationProbe.h"
#include "QVAudioMemory.h"
#include "QVSig.h"
#include "QVTrackReader.h"
#include "TrackReaderFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

using namespace TrackReaderFixtures;

namespace {

constexpr double kFade = 0.005;

class TrackReaderTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(QVSig::InitTables(), 0); }

    // The device format, and the player's block: block plus overlap frames.
    void Prepare(unsigned int channels, unsigned long long frames, double rate)
    {
        QVAudioInfo info;
        ASSERT_TRUE(info.Setup(channels, frames, rate));
        ASSERT_TRUE(mMemory.PrepareAudioResources(info));
        mBlock = mMemory.RetainWorkingBuffer(2);
        ASSERT_NE(mBlock, nullptr);
    }
    void TearDown() override
    {
        if (mBlock != nullptr)
            mMemory.ReleaseWorkingBuffer(*mBlock);
    }
    // The timeline interval of the block from a time at a speed.
    AKTimeIntv From(double time, double speed) const { return {time, time + mBlock->BufferDuration() * speed}; }
    double At(unsigned int channel, unsigned long long frame) const { return *mBlock->SamplePtrConst(channel, frame); }

    SoundBank mSounds;
    QVAudioMemory mMemory{nullptr};
    QVTrackReader mReader{mMemory};
    QXSampleBuffer<double>* mBlock = nullptr;
};

TEST_F(TrackReaderTest, ZoneDescriptionFindsTheZonesAndTheirFades)
{
    QVProvider* const sound = mSounds.Make(Dc(0.5), 1, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    // Zones [0, 0.1], silence [0.1, 0.2], [0.2, 0.3], [0.3, 0.4].
    QVTrackZoneArray const zones = MakeZones(
        {{sound, 0.0, 0.1, 1.0}, {nullptr, 0.0, 0.1, 1.0}, {sound, 0.1, 0.1, 1.0}, {sound, 0.3, 0.1, 1.0}}, kFade);
    QVAudioZoneDesc desc;
    unsigned int hint = 0;

    QVTrackReader::ComputeZoneDesc(&desc, zones, kFade, {0.02, 0.04}, &hint);
    ASSERT_EQ(desc.Count(), 1u);
    EXPECT_EQ(desc[0].SrcZoneIndex, 0);
    EXPECT_TRUE(desc[0].DesIsFull);
    EXPECT_FALSE(desc[0].DesHasFadi || desc[0].DesHasFado);

    // Across the join of zones 2 and 3: the fade-out of one is the fade-in of the other.
    QVTrackReader::ComputeZoneDesc(&desc, zones, kFade, {0.29, 0.31}, &hint);
    EXPECT_EQ(hint, 2u);
    ASSERT_EQ(desc.Count(), 2u);
    EXPECT_EQ(desc[0].SrcZoneIndex, 2);
    EXPECT_EQ(desc[1].SrcZoneIndex, 3);
    ASSERT_TRUE(desc[0].DesHasFado && desc[1].DesHasFadi);
    EXPECT_NEAR(desc[0].DesFadoNormIntv.beg, desc[1].DesFadiNormIntv.beg, 1e-12);
    EXPECT_NEAR(desc[0].DesFadoNormIntv.end, desc[1].DesFadiNormIntv.end, 1e-12);
    EXPECT_NEAR(desc[0].DesFadoNormIntv.beg, (0.3 - kFade / 2 - 0.29) / 0.02, 1e-9);
    EXPECT_NEAR(desc[1].DesFadiNormCoeff.beg, 0.0, 1e-9);
    EXPECT_NEAR(desc[1].DesFadiNormCoeff.end, 1.0, 1e-9);

    // Within the silence, before the track, after it, an empty stretch: nothing.
    for (AKTimeIntv const intv :
         {AKTimeIntv{0.12, 0.18}, AKTimeIntv{-1.0, -0.5}, AKTimeIntv{0.5, 0.6}, AKTimeIntv{0.05, 0.05}}) {
        QVTrackReader::ComputeZoneDesc(&desc, zones, kFade, intv, &hint);
        EXPECT_TRUE(desc.IsEmpty()) << intv.beg;
    }
    QVTrackReader::ComputeZoneDesc(&desc, QVTrackZoneArray(), kFade, {0.0, 1.0}, &hint);
    EXPECT_TRUE(desc.IsEmpty());
}

// At ratio 1 the block is the sound times the gain, bit for bit, from the
// frame nearest the timeline position.
TEST_F(TrackReaderTest, AnExactCopyIsTheSourceTimesTheGain)
{
    Prepare(2, 512, 48000.0);
    Signal const ramp = Ramp();
    QVProvider* const sound = mSounds.Make(ramp, 2, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 1.0, 1.0}}, kFade);
    QVTrackReadSource source;
    source.zones = &zones;
    source.gain = 0.5;

    struct Case {
        double frame;  // timeline position of the block's first frame, in frames
        unsigned long long first;
    };
    for (Case const c : {Case{10000.0, 10000}, Case{10000.3, 10000}, Case{10000.6, 10001}, Case{20000.0, 20000}}) {
        SCOPED_TRACE(c.frame);
        unsigned int hint = 0;
        bool exact = false;
        ASSERT_TRUE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(c.frame / 48000.0, 1.0), 1.0, 0.0, &hint,
                                                       true, &exact));
        EXPECT_TRUE(exact);
        for (unsigned int ch = 0; ch < 2; ++ch)
            for (unsigned long long f = 0; f < mBlock->FrameCount(); ++f)
                ASSERT_EQ(At(ch, f), 0.5 * Stored(ramp, c.first + f, ch)) << ch << " " << f;
    }

    // At the end of the track: past the zone's fade the block is silent,
    // whatever it held before.
    for (unsigned long long f = 0; f < mBlock->FrameCount(); ++f)
        *mBlock->SamplePtr(0, f) = 7.0;
    unsigned int endHint = 0;
    ASSERT_TRUE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(1.0 - 100.0 / 48000.0, 1.0), 1.0, 0.0, &endHint,
                                                   true, nullptr));
    EXPECT_TRUE(mBlock->IsAlmostZero(QVSampleRangeMake(0, 220, mBlock->FrameCount() - 220), 0.0));
    EXPECT_NE(At(0, 0), 0.0);

    // Not allowed: the same stretch goes through the resampler.
    unsigned int hint = 0;
    bool exact = true;
    ASSERT_TRUE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(0.5, 1.0), 1.0, 0.0, &hint, false, &exact));
    EXPECT_FALSE(exact);
}

// Zones joined end to end cross-fade over the zone fade: a sound read on
// across the join comes out unchanged, a constant level stays constant,
// and a mono zone on a mono device has the level of the routed zones after it.
TEST_F(TrackReaderTest, ZonesJoinedEndToEndSumContinuously)
{
    struct Case {
        char const* name;
        unsigned int deviceChannels;
        unsigned int soundChannels;
        Signal signal;
        double level;  // expected gain of the output over the signal
    };
    Case const cases[] = {
        {"sine, stereo", 2, 2, Sine(440.0, 48000.0, 0.8), 1.0},
        {"dc, stereo", 2, 2, Dc(0.25), 1.0},
        {"dc, mono on mono", 1, 1, Dc(0.5), std::sqrt(0.5)},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.deviceChannels, 512, 48000.0);
        QVProvider* const sound = mSounds.Make(c.signal, c.soundChannels, 48000, 48000);
        ASSERT_NE(sound, nullptr);
        // The same sound cut in three zones that read on from each other.
        QVTrackZoneArray const zones =
            MakeZones({{sound, 0.0, 0.1, 1.0}, {sound, 0.1, 0.0125, 1.0}, {sound, 0.1125, 0.2, 1.0}}, kFade);
        QVTrackReadSource source;
        source.zones = &zones;
        unsigned int hint = 0;
        // Blocks from 0.09 s to 0.13 s, across both joins.
        for (double frame = 4320.0; frame < 6240.0; frame += static_cast<double>(mBlock->FrameCount())) {
            ASSERT_TRUE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(frame / 48000.0, 1.0), 1.0, 0.0, &hint,
                                                           true, nullptr));
            for (unsigned int ch = 0; ch < c.deviceChannels; ++ch)
                for (unsigned long long f = 0; f < mBlock->FrameCount(); ++f)
                    ASSERT_NEAR(At(ch, f), c.level * Stored(c.signal, static_cast<unsigned long long>(frame) + f, ch),
                                1e-6)
                        << "frame " << frame + f;
        }
        mMemory.ReleaseWorkingBuffer(*mBlock);
    }
    mBlock = nullptr;
}

// A 48000 Hz sound cut into zones on a 44100 Hz device: the joins and
// their fades fall between device frames, and each zone is read from the
// exact source position of its first frame, so the sine runs on across them.
TEST_F(TrackReaderTest, ResampledZonesJoinAtTheExactPosition)
{
    Prepare(1, 512, 44100.0);
    double const amplitude = 0.5;
    QVProvider* const sound = mSounds.Make(Sine(440.0, 48000.0, amplitude), 1, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const zones =
        MakeZones({{sound, 0.0, 0.10001, 1.0}, {sound, 0.10001, 0.01237, 1.0}, {sound, 0.11238, 0.5, 1.0}}, kFade);
    QVTrackReadSource source;
    source.zones = &zones;
    unsigned int hint = 0;
    double worst = 0.0;
    for (double time = 0.09; time < 0.13; time += 512.0 / 44100.0) {
        ASSERT_TRUE(
            mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(time, 1.0), 1.0, 0.0, &hint, true, nullptr));
        for (unsigned long long f = 0; f < mBlock->FrameCount(); ++f) {
            double const t = time + static_cast<double>(f) / 44100.0;
            worst =
                std::max(worst, std::fabs(At(0, f) - std::sqrt(0.5) * amplitude * std::sin(2.0 * M_PI * 440.0 * t)));
        }
    }
    EXPECT_LT(worst, 2.5e-4);
}

// A zone of negative scale plays its sound from the end; a player running
// backwards hears the block mirrored.
TEST_F(TrackReaderTest, ReversedZonesAndNegativeSpeedAreMirrorImages)
{
    Prepare(2, 256, 48000.0);
    Signal const ramp = Ramp();
    unsigned long long const length = 24000;
    QVProvider* const sound = mSounds.Make(ramp, 2, length, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const forward = MakeZones({{sound, 0.0, 0.5, 1.0}}, kFade);
    QVTrackZoneArray const backward = MakeZones({{sound, 0.0, 0.5, -1.0}}, kFade);
    unsigned long long const frames = mBlock->FrameCount();
    unsigned long long const first = 6000;

    QVTrackReadSource source;
    source.zones = &backward;
    unsigned int hint = 0;
    bool exact = false;
    ASSERT_TRUE(
        mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(first / 48000.0, 1.0), 1.0, 0.0, &hint, true, &exact));
    EXPECT_TRUE(exact);
    for (unsigned long long f = 0; f < frames; ++f)
        ASSERT_EQ(At(1, f), Stored(ramp, length - 1 - first - f, 1)) << f;

    // The forward zone read backwards over the same stretch is the forward block reversed.
    source.zones = &forward;
    std::vector<double> ahead(frames);
    ASSERT_TRUE(
        mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(first / 48000.0, 1.0), 1.0, 0.0, &hint, true, nullptr));
    for (unsigned long long f = 0; f < frames; ++f)
        ahead[f] = At(0, f);
    AKTimeIntv const there = From(first / 48000.0, 1.0);
    ASSERT_TRUE(
        mReader.GrabAudioBlockOfTrackZones(mBlock, source, {there.end, there.beg}, -1.0, 0.0, &hint, true, nullptr));
    for (unsigned long long f = 0; f < frames; ++f)
        ASSERT_EQ(At(0, f), ahead[frames - 1 - f]) << f;
}

// A 48000 Hz sine on a 44100 Hz device goes through the resampler and
// matches the sine computed at the device's frame times, within what each
// quality keeps; a zone played backwards through the resampler too.
TEST_F(TrackReaderTest, ResamplingMatchesAnExactlyComputedSine)
{
    Prepare(1, 512, 44100.0);
    double const frequency = 1000.0;
    double const amplitude = 0.5;
    QVProvider* const sound = mSounds.Make(Sine(frequency, 48000.0, amplitude), 1, 96000, 48000);
    ASSERT_NE(sound, nullptr);
    // A mono sound on a mono device is routed at -3 dB.
    double const level = amplitude * std::sqrt(0.5);

    struct Case {
        unsigned int quality;
        double scale;
        double tolerance;
    };
    // The kernel's own error is mostly a gain ripple of a few 1e-4 (-66 dB
    // at this level); qualities below 4 read the nearest table entries.
    for (Case const c : {Case{1, 1.0, 4e-4}, Case{2, 1.0, 4e-4}, Case{3, 1.0, 4e-4}, Case{4, 1.0, 2.5e-4},
                         Case{4, -1.0, 2.5e-4}, Case{0, 1.0, 2.5e-4}}) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality << " scale " << c.scale);
        QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 2.0, c.scale}}, kFade);
        QVTrackReadSource source;
        source.zones = &zones;
        mReader.SetResamplingQuality(c.quality);
        unsigned int hint = 0;
        double const start = 0.5 + 0.37 / 44100.0;
        bool exact = true;
        ASSERT_TRUE(
            mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(start, 1.0), 1.0, 0.0, &hint, true, &exact));
        EXPECT_FALSE(exact);
        double worst = 0.0;
        for (unsigned long long f = 0; f < mBlock->FrameCount(); ++f) {
            double const local = start + static_cast<double>(f) / 44100.0;
            double const sourceTime = c.scale > 0.0 ? local : 2.0 - local;
            worst = std::max(worst, std::fabs(At(0, f) - level * std::sin(2.0 * M_PI * frequency * sourceTime)));
        }
        EXPECT_LT(worst, c.tolerance);
    }
    mReader.SetResamplingQuality(0);
}

// Pan, route offset and options put each channel where it belongs, at the
// gain of the routing matrix times the track gain; an identity routing
// writes the zone straight into the block, with the same result.
TEST_F(TrackReaderTest, PanAndRouteOffsetsPlaceTheChannels)
{
    double const r = std::sqrt(0.5);
    struct Case {
        unsigned int device;
        unsigned int sound;  // DC: 0.25 on channel 0, 0.5 on channel 1
        double pan;
        unsigned int offset;
        unsigned int options;
        double gain;
        std::vector<double> expected;
    };
    Case const cases[] = {
        {2, 2, 0.0, 0, 4, 1.0, {0.25, 0.5}},                     // identity
        {2, 2, 0.0, 1, 4, 1.0, {0.5, 0.25}},                     // offset wraps
        {2, 2, 0.0, 2, 4, 2.0, {0.5, 1.0}},                      // a whole turn, with gain
        {4, 2, 0.0, 1, 4, 1.0, {0.0, 0.25, 0.5, 0.0}},           // onto channels 1 and 2
        {4, 2, 0.0, 0, 5, 1.0, {0.25, 0.5, 0.25, 0.5}},          // filled further out
        {2, 2, 1.0, 0, 4, 1.0, {0.0, 0.75}},                     // hard right
        {4, 1, 0.0, 2, 4, 1.0, {0.0, 0.0, 0.25 * r, 0.25 * r}},  // mono panned onto a pair
        {2, 1, -1.0, 0, 4, 1.0, {0.25, 0.0}},                    // mono hard left
        {1, 1, 0.0, 0, 4, 1.0, {0.25 * r}},                      // mono device, routed like any other
        {1, 2, 0.0, 0, 6, 1.0, {0.75}},                          // mixed further in
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.device << " <- " << c.sound << " pan " << c.pan << " offset " << c.offset
                                        << " options " << c.options);
        Prepare(c.device, 128, 48000.0);
        QVProvider* const sound = mSounds.Make(Dc(0.25), c.sound, 48000, 48000);
        ASSERT_NE(sound, nullptr);
        QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 1.0, 1.0}}, kFade);
        QVTrackReadSource source;
        source.zones = &zones;
        source.gain = c.gain;
        source.routeOffset = c.offset;
        source.routeOptions = c.options;
        unsigned int hint = 0;
        ASSERT_TRUE(
            mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(0.5, 1.0), 1.0, c.pan, &hint, true, nullptr));
        for (unsigned int ch = 0; ch < c.device; ++ch)
            for (unsigned long long f = 0; f < mBlock->FrameCount(); f += 37)
                ASSERT_NEAR(At(ch, f), c.expected[ch], 1e-12) << "channel " << ch;
        mMemory.ReleaseWorkingBuffer(*mBlock);
    }
    mBlock = nullptr;
}

// A player with more tracks than its mask has bits: every track sounds,
// the first 64 carry their exact-copy bit.
TEST_F(TrackReaderTest, MoreThanSixtyFourTracksAllPlay)
{
    Prepare(2, 256, 48000.0);
    QVProvider* const sound = mSounds.Make(Dc(0.01), 2, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 1.0, 1.0}}, kFade);
    unsigned int const count = 70;
    std::vector<QVTrackReadSource> sources(count);
    for (QVTrackReadSource& source : sources)
        source.zones = &zones;
    std::vector<unsigned int> hints(count, 0);
    unsigned long long mask = 0;
    EXPECT_EQ(mReader.GrabAudioBlockOfTracks(mBlock, sources.data(), count, From(0.5, 1.0), 1.0, 0.0, hints.data(),
                                             true, &mask),
              count);
    EXPECT_EQ(mask, ~0ull);
    for (unsigned long long f = 0; f < mBlock->FrameCount(); f += 17) {
        ASSERT_NEAR(At(0, f), Stored(Dc(0.01), 0, 0) * count, 1e-9);
        ASSERT_NEAR(At(1, f), Stored(Dc(0.01), 0, 1) * count, 1e-9);
    }
    EXPECT_EQ(mMemory.CountLentBuffers(2), 1u);

    QVTrackExactMaskSet(&mask, 64);  // past the word: no bit, no shift
    QVTrackExactMaskSet(&mask, 1000);
    EXPECT_EQ(mask, ~0ull);
}

// A sound missing from its zone, or a ratio past what the memory holds,
// gives silence for that zone and no result.
TEST_F(TrackReaderTest, UnreadableZonesAreSilent)
{
    Prepare(2, 256, 48000.0);
    QVProvider* const sound = mSounds.Make(Dc(0.25), 2, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    QVTrackZoneArray const zones = MakeZones({{sound, 0.0, 1.0, 1.0}}, kFade);
    QVTrackReadSource source;
    source.zones = &zones;
    unsigned int hint = 0;
    // Speed 100: beyond the wide resampling source.
    EXPECT_FALSE(
        mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(0.1, 100.0), 100.0, 0.0, &hint, true, nullptr));
    EXPECT_TRUE(mBlock->IsAlmostZero(kQVSampleRangeAll, 0.0));
    // Speed 10: the one-channel-at-a-time source.
    EXPECT_TRUE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(0.1, 10.0), 10.0, 0.0, &hint, true, nullptr));
    EXPECT_NEAR(At(0, 100), 0.25, 1e-4);
    EXPECT_NEAR(At(1, 100), 0.5, 1e-4);

    QVTrackZoneArray unlinked = zones;
    unlinked[0].SetProvider(nullptr);
    source.zones = &unlinked;
    EXPECT_FALSE(mReader.GrabAudioBlockOfTrackZones(mBlock, source, From(0.1, 1.0), 1.0, 0.0, &hint, true, nullptr));
    EXPECT_TRUE(mBlock->IsAlmostZero(kQVSampleRangeAll, 0.0));
}

// Every road through the reader, looping too, on the thread that reads,
// allocates nothing.
TEST_F(TrackReaderTest, ReadingAllocatesNothing)
{
    Prepare(2, 512, 44100.0);
    QVProvider* const mono = mSounds.Make(Sine(440.0, 48000.0, 0.5), 1, 96000, 48000);
    QVProvider* const stereo = mSounds.Make(Ramp(), 2, 88200, 44100);
    ASSERT_NE(mono, nullptr);
    ASSERT_NE(stereo, nullptr);
    QVTrackZoneArray const zones = MakeZones(
        {{stereo, 0.0, 0.5, 1.0}, {mono, 0.0, 0.5, -1.0}, {stereo, 0.5, 0.5, 0.5}, {stereo, 1.0, 0.5, -1.0}}, kFade);
    std::vector<QVTrackReadSource> sources(3);
    for (QVTrackReadSource& source : sources) {
        source.zones = &zones;
        source.routeOffset = 1;
    }
    std::vector<unsigned int> hints(3, 0);
    unsigned long long mask = 0;
    unsigned int rendered = 0;
    {
        AllocationProbe probe;
        for (double speed : {1.0, -1.0, 0.9, 10.0, -2.5}) {
            for (double time = 0.0; time < 2.0; time += 0.05) {
                AKTimeIntv const intv = From(time, speed);
                rendered += mReader.GrabAudioBlockOfTracks(mBlock, sources.data(), 3, intv, speed, 0.3, hints.data(),
                                                           true, &mask);
                // The same track looping over [0.4, 0.9], passes cross-faded.
                QVAudioLoopDesc& loop = mMemory.GetLoopDesc();
                QVTrackReader::ComputeLoopDesc(&loop, {0.4, 0.9}, 0.01, time, mBlock->BufferDuration(), 0.0, speed);
                rendered += mReader.GrabAudioBlockOfTrackZonesInLoop(mBlock, sources[0], loop, speed, 0.0, hints.data(),
                                                                     true, nullptr)
                                ? 1
                                : 0;
            }
        }
        AllocationProbe::Stop();
    }
    EXPECT_EQ(AllocationProbe::Count(), 0u);
    EXPECT_GT(rendered, 0u);
    EXPECT_EQ(mMemory.CountLentBuffers(2), 1u);
    for (int pool : {1, 3, 4, 5})
        EXPECT_EQ(mMemory.CountLentBuffers(pool), 0u) << pool;
    EXPECT_EQ(mMemory.CountLentGainMatrixes(), 0u);
}

}  // namespace
