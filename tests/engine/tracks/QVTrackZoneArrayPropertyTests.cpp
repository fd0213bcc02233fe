// Track zone arrays under long runs of random edits from fixed seeds: after
// every edit and its full pass the zones lie end to end from 0, no two
// silences touch and no source is shorter than the epsilon; refused and
// unchanged edits leave the zones as they were; insertions add what they
// insert, erasing inside the track keeps its length, and an extracted part
// lasts as long as the interval asked for.

#include "QVTrackZoneFixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using zonefixtures::Describe;
using zonefixtures::HoldsInvariants;

constexpr int kEditsPerSeed = 3000;
constexpr double kFade = 0.005;

class RandomEdits
{
public:
    explicit RandomEdits(unsigned int seed) : mRandom(seed) {}

    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(mRandom); }
    unsigned int Below(unsigned int n) { return std::uniform_int_distribution<unsigned int>(0, n - 1)(mRandom); }
    bool Coin() { return Below(2) == 0; }

    // A time on the track, on a zone boundary, near one, or past the end.
    double Time(QVTrackZoneArray const& zones)
    {
        double const end = zones.GetEndTime();
        switch (Below(4)) {
        case 0:
            if (!zones.IsEmpty())
                return zones[Below(zones.Count())].GetLocalTimeIntv().beg;
            return 0.0;
        case 1:
            if (!zones.IsEmpty())
                return zones[Below(zones.Count())].GetLocalTimeIntv().end + Uniform(-2e-4, 2e-4);
            return 0.0;
        case 2:
            return Uniform(-0.2, end + 1.0);
        default:
            return Uniform(0.0, end);
        }
    }
    AKTimeIntv Interval(QVTrackZoneArray const& zones)
    {
        double a = Time(zones);
        double b = Coin() ? Time(zones) : a + Uniform(0.0, 1.0);
        if (a > b)
            std::swap(a, b);
        return {a, b};
    }
    double Coefficient()
    {
        static double const kCoefficients[] = {-2.0, -1.0, -0.5, 0.5, 0.75, 1.5, 2.0, 1.0, 0.0};
        return kCoefficients[Below(9)];
    }
    // Sounds and silences of 0.00005 to 2 seconds.
    QVTrackZoneArray Source()
    {
        QVTrackZoneArray source;
        unsigned int const count = 1 + Below(3);
        for (unsigned int index = 0; index < count; ++index) {
            double const duration = Coin() ? Uniform(0.00005, 0.001) : Uniform(0.1, 2.0);
            if (Below(4) == 0)
                source.Push(QVTrackZone::MakeSilence(duration));
            else
                source.Push(QVTrackZone::MakeSafe(1 + Below(5), Uniform(0.0, 10.0), duration, Coin() ? 1.0 : -1.0));
        }
        source.UpdateZonesLocalTime(nullptr, nullptr, kFade);
        return source;
    }

private:
    std::mt19937 mRandom;
};

void RunSeed(unsigned int seed)
{
    RandomEdits random(seed);
    QVTrackZoneArray zones;
    for (int step = 0; step < kEditsPerSeed; ++step) {
        // Start over now and then, so that scales and lengths stay tame.
        if (step % 200 == 0)
            zones = random.Source();

        QVTrackZoneArray const before = zones;
        double const oldEnd = zones.GetEndTime();
        AKTimeIntv const intv = random.Interval(zones);
        bool const extend = random.Coin();
        unsigned int const kind = random.Below(10);
        int status = kQVTrackZoneEditRefused;
        double expectedGrowth = -1.0;  // < 0: not predicted
        switch (kind) {
        case 0: {
            QVTrackZoneArray const source = random.Source();
            unsigned int const count = random.Below(4);
            double const time = random.Time(zones);
            status = zones.InsertZones(time, source, count, extend);
            if (status == kQVTrackZoneEditChanged)
                expectedGrowth = count * source.GetEndTime() + std::max(0.0, time - oldEnd);
            break;
        }
        case 1: {
            double const duration = random.Uniform(0.0, 1.0);
            double const time = random.Time(zones);
            status = zones.InsertSilent(time, duration, extend);
            if (status == kQVTrackZoneEditChanged)
                expectedGrowth = duration + std::max(0.0, time - oldEnd);
            break;
        }
        case 2: {
            QVTrackZoneArray const source = random.Source();
            unsigned int const count = random.Below(4);
            double const k = random.Coefficient();
            bool const cumulative = random.Coin();
            double const time = random.Time(zones);
            status = zones.InsertZonesScaled(time, source, count, k, cumulative, extend);
            if (status == kQVTrackZoneEditChanged)
                expectedGrowth =
                    QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(source.GetEndTime(), count, k, cumulative) +
                    std::max(0.0, time - oldEnd);
            break;
        }
        case 3:
            status = zones.ScaleZones(intv, random.Coefficient(), extend);
            break;
        case 4: {
            unsigned int first = 0;
            unsigned int last = 0;
            status = zones.SeparateZones(intv, &first, &last, extend);
            if (status != kQVTrackZoneEditRefused) {
                ASSERT_LE(first, last) << "seed " << seed << " step " << step;
                ASSERT_LT(last, zones.Count()) << "seed " << seed << " step " << step;
                ASSERT_NEAR(zones[first].GetLocalTimeIntv().beg, std::max(intv.beg, 0.0), 1.01e-4);
                ASSERT_NEAR(zones[last].GetLocalTimeIntv().end, intv.end, 1.01e-4);
            }
            break;
        }
        case 5: {
            QVTrackZoneArray part;
            bool const pad = random.Coin();
            status = zones.ExtractZones(intv, &part, pad);
            if (status != kQVTrackZoneEditRefused && (pad || (intv.beg >= 0.0 && intv.end <= oldEnd))) {
                part.UpdateZonesLocalTime(nullptr, nullptr, kFade);
                ASSERT_TRUE(HoldsInvariants(part, kFade)) << "seed " << seed << " step " << step;
                // Snapping and dropped slivers may shave off a few epsilons.
                ASSERT_NEAR(part.GetEndTime(), intv.end - intv.beg, 1e-3) << "seed " << seed << " step " << step;
            }
            status = kQVTrackZoneEditUnchanged;  // the track itself never changes
            break;
        }
        case 6:
            status = zones.CropZones(intv, random.Coin(), extend);
            break;
        case 7: {
            QVTrackZoneArray const source = random.Source();
            status = zones.ReplaceZones(intv, source, extend);
            break;
        }
        case 8:
            status = zones.DeleteZones(intv);
            break;
        default:
            status = zones.EraseZones(intv, extend);
            if (status == kQVTrackZoneEditChanged)
                expectedGrowth = std::max(0.0, intv.end - oldEnd);
            break;
        }

        if (status != kQVTrackZoneEditChanged) {
            ASSERT_EQ(zones, before) << "seed " << seed << " step " << step << " edit " << kind << " status " << status;
        }
        double end = 0.0;
        zones.UpdateZonesLocalTime(&end, nullptr, kFade);
        ASSERT_TRUE(HoldsInvariants(zones, kFade))
            << "seed " << seed << " step " << step << " edit " << kind << ": " << Describe(zones);
        if (expectedGrowth >= 0.0) {
            ASSERT_NEAR(end - oldEnd, expectedGrowth, 1e-3) << "seed " << seed << " step " << step << " edit " << kind;
        }
    }
}

TEST(QVTrackZoneArrayPropertyTest, InvariantsHoldAfterEveryRandomEdit)
{
    for (unsigned int seed : {1u, 2u, 3u, 20261211u})
        RunSeed(seed);
}

}  // namespace
