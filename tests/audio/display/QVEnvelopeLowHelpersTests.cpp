// Track display envelopes: the choice between waveform points and envelope
// triplets by zoom, the values and places of both, reversed zones, channel
// routing, missing sounds, several zones over one span, and the float and
// double variants giving the same points.

#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVDisplayZone.h"
#include "QVEnvelopeLowHelpers.h"
#include "QVProvider.h"
#include "QVSampleEnvelope.h"
#include "QVSampleMinimax.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

using FloatPoints = QVEnvelopeLowHelpers::Points<float>;
using DoublePoints = QVEnvelopeLowHelpers::Points<double>;

// Providers build their envelope while loading only when the engine says so.
class WaveformServices final : public QVAudioServices
{
public:
    WaveformServices() { QVAudioServices::Install(this); }
    ~WaveformServices() override { QVAudioServices::Install(nullptr); }
    bool IsWaveformBuildingOn() const override { return true; }
};

// Zones as the engine's tracks describe them, with the same clipping.
struct Zone {
    QVProvider const* provider;
    AKTimeIntv source;
    AKTimeIntv local;
    double scale;
};

class ZoneList final : public QVDisplayZoneList
{
public:
    std::vector<Zone> zones;

    unsigned int GetDisplayZoneCount() const override { return static_cast<unsigned int>(zones.size()); }
    bool SearchDisplayZone(double time, unsigned int* index, bool) const override
    {
        // Clamped search: the last zone beginning at or before the time, else the first.
        unsigned int found = 0;
        for (unsigned int i = 0; i < zones.size(); ++i)
            if (zones[i].local.beg <= time)
                found = i;
        *index = zones.empty() ? 0xFFFFFFFFu : found;
        return !zones.empty();
    }
    QVDisplayZone GetDisplayZone(unsigned int index, AKTimeIntv span) const override
    {
        Zone const& z = zones[index];
        QVDisplayZone d;
        d.provider = z.provider;
        d.reversed = z.scale < 0.0;
        d.local = {std::max(span.beg, z.local.beg), std::min(span.end, z.local.end)};
        if (d.local.beg >= d.local.end) {
            d.local = kAKNullTimeIntv;
            return d;
        }
        double const a = (z.source.end - z.source.beg) / (z.local.end - z.local.beg);
        d.source = {z.source.beg + (d.local.beg - z.local.beg) * a, z.source.beg + (d.local.end - z.local.beg) * a};
        if (d.reversed)
            d.source = {z.source.beg + z.source.end - d.source.end, z.source.beg + z.source.end - d.source.beg};
        return d;
    }
};

// A float WAV file of planar channels, loaded whole into a provider.
class LoadedSound
{
public:
    LoadedSound(TempFolder const& folder, std::string const& name, int rate,
                std::vector<std::vector<float>> const& channels)
    {
        std::string const path = folder.File(name);
        SF_INFO info = {};
        info.samplerate = rate;
        info.channels = static_cast<int>(channels.size());
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr);
        size_t const frames = channels[0].size();
        std::vector<float> interleaved(frames * channels.size());
        for (size_t f = 0; f < frames; ++f)
            for (size_t c = 0; c < channels.size(); ++c)
                interleaved[f * channels.size() + c] = channels[c][f];
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
        sf_close(file);
        mProvider = std::make_unique<QVProvider>(EnginePath(path));
        EXPECT_EQ(mProvider->LoadSoundSync(), 0);
        EXPECT_NE(mProvider->GetEnvelope(), nullptr);
    }
    QVProvider const* Get() const { return mProvider.get(); }

private:
    std::unique_ptr<QVProvider> mProvider;
};

std::vector<float> Ramp(size_t frames, float from, float to)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = from + (to - from) * static_cast<float>(i) / static_cast<float>(frames - 1);
    return samples;
}

std::vector<float> Sine(size_t frames, double rate, double frequency, double amplitude)
{
    std::vector<float> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate));
    return samples;
}

std::vector<float> Values(FloatPoints const& points) { return points.StdVector(); }

// Points regrouped by `arity` (2 waveform, 3 envelope), with x mirrored
// about the stretch's middle and the groups in reverse order.
std::vector<float> Mirrored(std::vector<float> const& points, size_t arity, double l0, double l1)
{
    std::vector<float> out;
    for (size_t g = points.size() / arity; g-- > 0;) {
        out.push_back(static_cast<float>(l0 + l1 - points[g * arity]));
        for (size_t k = 1; k < arity; ++k)
            out.push_back(points[g * arity + k]);
    }
    return out;
}

void ExpectNear(std::vector<float> const& a, std::vector<float> const& b, float tolerance)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_NEAR(a[i], b[i], tolerance) << "at " << i;
}

class QVEnvelopeLowHelpersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVAudioResourcePrefs::sShared = QVAudioResourcePrefs();
        QVEnvelopeLowHelpers::ReloadPrefs();
    }
    void TearDown() override
    {
        QVAudioResourcePrefs::sShared = QVAudioResourcePrefs();
        QVEnvelopeLowHelpers::ReloadPrefs();
    }

    // Both variants over the same zones; the float points are checked to be
    // the double ones rounded, and returned.
    bool Compute(ZoneList const& zones, unsigned int channel, unsigned int flags, AKTimeIntv span, double width)
    {
        DoublePoints doubleWave;
        DoublePoints doubleEnv;
        bool const result =
            QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(&mWave, &mEnv, zones, channel, flags, span, width);
        EXPECT_EQ(result, QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(&doubleWave, &doubleEnv, zones, channel,
                                                                          flags, span, width));
        auto expectRounded = [](FloatPoints const& f, DoublePoints const& d) {
            EXPECT_EQ(f.Count(), d.Count());
            for (unsigned int i = 0; i < std::min(f.Count(), d.Count()); ++i)
                if (f[i] != static_cast<float>(d[i])) {
                    ADD_FAILURE() << "float and double variants differ at " << i;
                    return;
                }
        };
        expectRounded(mWave, doubleWave);
        expectRounded(mEnv, doubleEnv);
        return result;
    }

    WaveformServices mServices;
    TempFolder mFolder;
    FloatPoints mWave;
    FloatPoints mEnv;
};

TEST_F(QVEnvelopeLowHelpersTest, EmptySpanWidthOrZoneRangeGivesNothing)
{
    LoadedSound sound(mFolder, "ramp.wav", 100, {Ramp(100, -1.0f, 1.0f)});
    ZoneList zones;
    zones.zones.push_back({sound.Get(), {0.0, 1.0}, {0.0, 1.0}, 1.0});

    struct Case {
        AKTimeIntv span;
        double width;
    } const cases[] = {{{0.5, 0.5}, 100.0}, {{0.6, 0.4}, 100.0}, {{0.0, 1.0}, 0.0}, {{0.0, 1.0}, -5.0}};
    for (Case const& c : cases) {
        mWave.Push(1.0f);
        mEnv.Push(1.0f);
        EXPECT_FALSE(Compute(zones, 0, 0, c.span, c.width));
        EXPECT_TRUE(mWave.IsEmpty());
        EXPECT_TRUE(mEnv.IsEmpty());
    }

    ZoneList none;
    EXPECT_FALSE(Compute(none, 0, 0, {0.0, 1.0}, 100.0));

    // The zone-range form refuses a reversed or out-of-list range.
    EXPECT_FALSE(QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(&mWave, &mEnv, zones, 0, 0, {0.0, 1.0}, 100.0, 0, 1));
    EXPECT_FALSE(QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(&mWave, &mEnv, zones, 0, 0, {0.0, 1.0}, 100.0, 1, 0));
    EXPECT_TRUE(QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(&mWave, &mEnv, zones, 0, 0, {0.0, 1.0}, 100.0, 0, 0));
}

// Few samples per unit: one point per sample, at the sample's track time.
TEST_F(QVEnvelopeLowHelpersTest, FewSamplesPerUnitGiveOnePointPerSample)
{
    std::vector<float> const ramp = Ramp(100, -1.0f, 1.0f);
    LoadedSound sound(mFolder, "ramp.wav", 100, {ramp});
    ZoneList zones;
    zones.zones.push_back({sound.Get(), {0.0, 1.0}, {5.0, 6.0}, 1.0});

    // 100 samples over 200 units: p = 0.25.
    ASSERT_TRUE(Compute(zones, 0, 0, {5.0, 6.0}, 200.0));
    // Points 0..99 at 5 + i / 100, then the flat tail to point 100.
    ASSERT_EQ(mWave.Count(), 2u * 102u);
    for (unsigned int i = 0; i < 100; ++i) {
        EXPECT_NEAR(mWave[2 * i], 5.0 + i / 100.0, 1e-5);
        EXPECT_EQ(mWave[2 * i + 1], ramp[i]);
    }
    EXPECT_EQ(Values(mEnv), (std::vector<float>{5, 0, 0, 6, 0, 0}));
}

// The one-minute zone at 44100 Hz: over 1000 units p = 1323, drawn from the
// envelope; over 100000 units p is about 13.2, drawn as min/max pairs of
// groups of 4 samples.
TEST_F(QVEnvelopeLowHelpersTest, OneMinuteZoneSwitchesBetweenEnvelopeAndWaveform)
{
    std::vector<float> const sine = Sine(2646000, 44100.0, 441.0, 0.5);
    LoadedSound sound(mFolder, "minute.wav", 44100, {sine});
    ZoneList zones;
    zones.zones.push_back({sound.Get(), {0.0, 60.0}, {0.0, 60.0}, 1.0});
    QVSampleEnvelope const& envelope = *sound.Get()->GetEnvelope();

    ASSERT_TRUE(Compute(zones, 0, 0, {0.0, 60.0}, 1000.0));
    EXPECT_EQ(Values(mWave), (std::vector<float>{0, 0, 60, 0}));
    unsigned int const level = envelope.EstimateGroupLevel(1323.0);
    unsigned int const entries = envelope.MinimaxCountInGroup(level);
    double const entrySeconds = envelope.ComputeSamplesByPixel(level) / 44100.0;
    ASSERT_GE(mEnv.Count(), 3u * entries);
    for (unsigned int j = 0; j < entries; ++j) {
        QVSampleMinimax const* entry = envelope.MinimaxPtrConst(0, level, j);
        ASSERT_NEAR(mEnv[3 * j], j * entrySeconds, 1e-4);
        ASSERT_FLOAT_EQ(mEnv[3 * j + 1], static_cast<float>(entry->min / 32767.0));
        ASSERT_FLOAT_EQ(mEnv[3 * j + 2], static_cast<float>(entry->max / 32767.0));
    }

    ASSERT_TRUE(Compute(zones, 0, 0, {0.0, 60.0}, 100000.0));
    EXPECT_EQ(Values(mEnv), (std::vector<float>{0, 0, 0, 60, 0, 0}));
    ASSERT_GE(mWave.Count(), 4u * 661500u);
    for (unsigned int i = 0; i < 661500; i += 997) {
        QVSampleMinimax const m = QVSampleMinimaxMakeWithSamples(&sine[4 * i], 4);
        ASSERT_NEAR(mWave[4 * i], i * 4 / 44100.0, 1e-4);
        ASSERT_EQ(mWave[4 * i + 2], mWave[4 * i]);
        ASSERT_FLOAT_EQ(mWave[4 * i + 1], static_cast<float>(m.min / 32767.0));
        ASSERT_FLOAT_EQ(mWave[4 * i + 3], static_cast<float>(m.max / 32767.0));
    }
}

// A reversed zone gives the forward zone's points in reverse order at the
// mirrored places, at every zoom: single samples, pairs from samples, pairs
// from the envelope, envelope triplets.
TEST_F(QVEnvelopeLowHelpersTest, ReversedZoneMirrorsTheForwardOne)
{
    // 65536 frames at 8192 Hz: every envelope level divides the sound evenly.
    std::vector<float> samples = Sine(65536, 8192.0, 3.0, 0.4);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] += static_cast<float>(i) / 131072.0f;  // no symmetry to hide a wrong order
    LoadedSound sound(mFolder, "eight.wav", 8192, {samples});
    AKTimeIntv const local = {10.0, 18.0};

    for (double width : {20000.0, 4096.0, 512.0, 64.0}) {
        SCOPED_TRACE(width);
        ZoneList forward;
        forward.zones.push_back({sound.Get(), {0.0, 8.0}, local, 1.0});
        ZoneList reversed;
        reversed.zones.push_back({sound.Get(), {0.0, 8.0}, local, -1.0});

        ASSERT_TRUE(Compute(forward, 0, 0, local, width));
        std::vector<float> const wave = Values(mWave);
        std::vector<float> const env = Values(mEnv);
        ASSERT_TRUE(Compute(reversed, 0, 0, local, width));
        EXPECT_GT(wave.size() + env.size(), 10u);
        ExpectNear(Values(mWave), Mirrored(wave, 2, local.beg, local.end), 1e-5f);
        ExpectNear(Values(mEnv), Mirrored(env, 3, local.beg, local.end), 1e-5f);
    }
}

TEST_F(QVEnvelopeLowHelpersTest, ChannelRoutingFlags)
{
    LoadedSound stereo(mFolder, "stereo.wav", 8192, {Sine(16384, 8192.0, 5.0, 0.8), Ramp(16384, -0.25f, 0.5f)});
    LoadedSound mono(mFolder, "mono.wav", 8192, {Sine(16384, 8192.0, 7.0, 0.6)});
    AKTimeIntv const span = {0.0, 2.0};

    // Outputs of one channel at a waveform zoom (p = 4) and an envelope zoom (p = 512).
    auto draw = [&](QVProvider const* provider, unsigned int channel, unsigned int flags, double width) {
        ZoneList zones;
        zones.zones.push_back({provider, {0.0, 2.0}, span, 1.0});
        EXPECT_TRUE(Compute(zones, channel, flags, span, width));
        return std::make_pair(Values(mWave), Values(mEnv));
    };
    for (double width : {2048.0, 16.0}) {
        SCOPED_TRACE(width);
        auto const stereo0 = draw(stereo.Get(), 0, 0, width);
        auto const stereo1 = draw(stereo.Get(), 1, 0, width);
        auto const mono0 = draw(mono.Get(), 0, 0, width);
        auto const flat = std::make_pair(std::vector<float>{0, 0, 2, 0}, std::vector<float>{0, 0, 0, 2, 0, 0});

        EXPECT_EQ(draw(stereo.Get(), 3, 0x01, width), stereo1);  // wraps to 3 mod 2
        EXPECT_EQ(draw(mono.Get(), 1, 0x04, width), mono0);
        EXPECT_EQ(draw(mono.Get(), 1, 0, width), flat);
        EXPECT_EQ(draw(mono.Get(), 2, 0x04, width), flat);       // only channel 1 reads channel 0
        EXPECT_EQ(draw(stereo.Get(), 1, 0x10, width), stereo1);  // no channel 2 to pair with

        auto const paired = draw(stereo.Get(), 0, 0x10, width);
        ASSERT_EQ(paired.first.size(), stereo0.first.size());
        ASSERT_EQ(paired.second.size(), stereo0.second.size());
        for (size_t i = 1; i < paired.first.size(); i += 2)
            ASSERT_NEAR(paired.first[i], (stereo0.first[i] + stereo1.first[i]) / 2.0f, 1e-6f) << i;
        for (size_t i = 0; i < paired.second.size(); i += 3) {
            ASSERT_EQ(paired.second[i + 1], stereo1.second[i + 1]) << i;  // the next channel's minima
            ASSERT_EQ(paired.second[i + 2], stereo0.second[i + 2]) << i;  // under this one's maxima
        }
    }
}

// Missing sounds draw flat over their part of the span; zones the span does
// not reach are left out.
TEST_F(QVEnvelopeLowHelpersTest, MissingSoundsDrawFlatOverTheirStretch)
{
    ZoneList zones;
    zones.zones.push_back({nullptr, {0.0, 1.0}, {0.0, 1.0}, 1.0});
    zones.zones.push_back({nullptr, {4.0, 5.0}, {2.0, 3.0}, -1.0});
    zones.zones.push_back({nullptr, {0.0, 1.0}, {4.0, 5.0}, 1.0});

    ASSERT_TRUE(Compute(zones, 0, 0, {0.5, 2.5}, 100.0));
    EXPECT_EQ(Values(mWave), (std::vector<float>{0.5f, 0, 1, 0, 2, 0, 2.5f, 0}));
    EXPECT_EQ(Values(mEnv), (std::vector<float>{0.5f, 0, 0, 1, 0, 0, 2, 0, 0, 2.5f, 0, 0}));
}

// With "Envelope.AlwaysAsWaveform" every zoom draws waveform points (here
// pairs read from the envelope) and the envelope list stays empty.
TEST_F(QVEnvelopeLowHelpersTest, AlwaysAsWaveformLeavesTheEnvelopeEmpty)
{
    LoadedSound sound(mFolder, "long.wav", 8192, {Sine(65536, 8192.0, 3.0, 0.4)});
    ZoneList zones;
    zones.zones.push_back({sound.Get(), {0.0, 8.0}, {0.0, 8.0}, 1.0});
    QVAudioResourcePrefs::sShared.envelopeAlwaysAsWaveform = true;
    QVEnvelopeLowHelpers::ReloadPrefs();

    // p = 65536 / (8 × 2) = 4096: step 4096, one entry of 4096 samples per pair.
    ASSERT_TRUE(Compute(zones, 0, 0, {0.0, 8.0}, 8.0));
    EXPECT_TRUE(mEnv.IsEmpty());
    QVSampleEnvelope const& envelope = *sound.Get()->GetEnvelope();
    unsigned int const level = envelope.EstimateGroupLevel(4096.0);
    ASSERT_EQ(envelope.ComputeSamplesByPixel(level), 4096u);
    ASSERT_EQ(mWave.Count(), 4u * 16u + 4u);  // 16 entries, and the flat tail to point 16
    for (unsigned int j = 0; j < 16; ++j) {
        QVSampleMinimax const* entry = envelope.MinimaxPtrConst(0, level, j);
        EXPECT_FLOAT_EQ(mWave[4 * j + 1], static_cast<float>(entry->min / 32767.0));
        EXPECT_FLOAT_EQ(mWave[4 * j + 3], static_cast<float>(entry->max / 32767.0));
    }
}

}  // namespace
