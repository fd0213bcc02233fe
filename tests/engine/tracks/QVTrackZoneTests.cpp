// Track zones: making zones, the zone search over a track's time with and
// without clamping, the conversions from track time to source time forwards
// and reversed, the part of a zone under an interval, the placement with
// the edge fades, and the zone list as the display envelopes see it.

#include "QVTrackZoneFixtures.h"

#include <gtest/gtest.h>

namespace {

using zonefixtures::MakeArray;

constexpr unsigned int kNone = kQVTrackZoneNoIndex;

QVTrackZone MakeZone(AKTimeIntv source, double scale, AKTimeIntv local)
{
    return QVTrackZone(nullptr, 0, source, scale, local);
}

void ExpectIntvNear(AKTimeIntv actual, AKTimeIntv expected)
{
    EXPECT_NEAR(actual.beg, expected.beg, 1e-12);
    EXPECT_NEAR(actual.end, expected.end, 1e-12);
}

TEST(QVTrackZoneTest, MakersNormaliseTheSource)
{
    struct Case {
        char const* what;
        QVTrackZone zone;
        QVProviderID id;
        AKTimeIntv source;
        double scale;
    } const cases[] = {
        {"Make", QVTrackZone::Make(4, 1.5, 2.0), 4, {1.5, 3.5}, 1.0},
        {"Make, negative duration", QVTrackZone::Make(4, 1.5, -2.0), 4, {1.5, 1.5}, 1.0},
        {"MakeSafe", QVTrackZone::MakeSafe(4, 1.0, 2.0, 3.0), 4, {1.0, 3.0}, 3.0},
        {"MakeSafe, negative duration", QVTrackZone::MakeSafe(4, 1.0, -0.5, 3.0), 4, {0.5, 1.0}, -3.0},
        {"MakeSilence", QVTrackZone::MakeSilence(2.5), 0, {0.0, 2.5}, 1.0},
        {"MakeDefault", QVTrackZone::MakeDefault(), 0, {0.0, 0.0}, 1.0},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(c.zone.GetProviderID(), c.id) << c.what;
        EXPECT_EQ(c.zone.GetSourceTimeIntv(), c.source) << c.what;
        EXPECT_EQ(c.zone.GetScale(), c.scale) << c.what;
        EXPECT_EQ(c.zone.GetProvider(), nullptr) << c.what;
        EXPECT_EQ(c.zone.GetLocalTimeIntv(), kAKNullTimeIntv) << c.what;
        EXPECT_EQ(c.zone.GetOuterTimeIntv(), kAKNullTimeIntv) << c.what;
    }
    EXPECT_EQ(QVTrackZone::MakeDefault(), kQVNullTrackZone);
    EXPECT_TRUE(kQVNullTrackZone.IsEpsilonZone());
    EXPECT_FALSE(QVTrackZone::MakeSilence(1e-4).IsEpsilonZone());
    EXPECT_TRUE(QVTrackZone::MakeSilence(0.99e-4).IsEpsilonZone());
}

TEST(QVTrackZoneTest, SourceTimeFromLocalTime)
{
    // Local [10, 14] plays source [1, 3] at half speed, forwards or backwards.
    QVTrackZone const forward = MakeZone({1, 3}, 2.0, {10, 14});
    QVTrackZone const reversed = MakeZone({1, 3}, -2.0, {10, 14});
    EXPECT_DOUBLE_EQ(forward.GetSourceTimeFromLocalTime(10.0), 1.0);
    EXPECT_DOUBLE_EQ(forward.GetSourceTimeFromLocalTime(13.0), 2.5);
    EXPECT_DOUBLE_EQ(reversed.GetSourceTimeFromLocalTime(10.0), 3.0);
    EXPECT_DOUBLE_EQ(reversed.GetSourceTimeFromLocalTime(13.0), 1.5);
    EXPECT_EQ(forward.GetSourceTimeIntvFromLocalTimeIntv({10, 14}), (AKTimeIntv{1, 3}));
    EXPECT_EQ(reversed.GetSourceTimeIntvFromLocalTimeIntv({10, 14}), (AKTimeIntv{3, 1}));  // high to low
}

TEST(QVTrackZoneTest, ShrunkRestTakesThePartUnderTheInterval)
{
    // Local [2, 6] plays source [10, 12] (scale 2).
    QVTrackZone const forward(nullptr, 7, {10, 12}, 2.0, {2, 6});
    QVTrackZone const reversed(nullptr, 7, {10, 12}, -2.0, {2, 6});
    struct Case {
        AKTimeIntv part;
        AKTimeIntv forwardSource;
        AKTimeIntv reversedSource;
    } const cases[] = {
        {{2, 6}, {10, 12}, {10, 12}},
        {{2, 3}, {10, 10.5}, {11.5, 12}},  // a reversed zone starts at its source
                                           // end
        {{3, 5}, {10.5, 11.5}, {10.5, 11.5}},
        {{5, 6}, {11.5, 12}, {10, 10.5}},
        {{4, 4}, {11, 11}, {11, 11}},
    };
    for (Case const& c : cases) {
        QVTrackZone const f = forward.GetShrunkRest(c.part);
        QVTrackZone const r = reversed.GetShrunkRest(c.part);
        EXPECT_EQ(f.GetLocalTimeIntv(), c.part);
        ExpectIntvNear(f.GetSourceTimeIntv(), c.forwardSource);
        ExpectIntvNear(r.GetSourceTimeIntv(), c.reversedSource);
        EXPECT_EQ(f.GetScale(), 2.0);
        EXPECT_EQ(r.GetScale(), -2.0);
        EXPECT_EQ(f.GetProviderID(), 7u);
    }
    // Cut at the zone's own bounds, the pieces keep its source bounds exactly.
    QVTrackZone const odd(nullptr, 7, {0.1, 0.7}, 1.0, {0, 0.6});
    EXPECT_EQ(odd.GetShrunkRest({0.2, 0.6}).GetSourceTimeIntv().end, 0.7);
    EXPECT_EQ(odd.GetShrunkRest({0, 0.2}).GetSourceTimeIntv().beg, 0.1);
    // Outside the zone or upside down: the null zone.
    for (AKTimeIntv const bad : {AKTimeIntv{1, 3}, AKTimeIntv{5, 7}, AKTimeIntv{4, 3}})
        EXPECT_EQ(forward.GetShrunkRest(bad), kQVNullTrackZone);
}

TEST(QVTrackZoneTest, PlacementAdvancesTimeAndWidensForFades)
{
    // 0.5 s zone with a 1 s fade: the fade on either side of its middle.
    QVTrackZone zone = QVTrackZone::MakeSafe(3, 0.0, 0.25, -2.0);
    double time = 1.0;
    zone.UpdateZoneLocalTime(&time, 1.0);
    EXPECT_EQ(time, 1.5);
    EXPECT_EQ(zone.GetLocalTimeIntv(), (AKTimeIntv{1.0, 1.5}));
    EXPECT_EQ(zone.GetOuterTimeIntv(), (AKTimeIntv{0.25, 2.25}));
    // At least as long as the fade: half the fade beyond each end.
    zone.UpdateZoneLocalTime(&time, 0.5);
    EXPECT_EQ(zone.GetLocalTimeIntv(), (AKTimeIntv{1.5, 2.0}));
    EXPECT_EQ(zone.GetOuterTimeIntv(), (AKTimeIntv{1.25, 2.25}));
}

// Zones [1, 2], [2, 4], a gap, [6, 7] (the search copes with gaps).
QVTrackZoneArray ZonesWithGap()
{
    QVTrackZoneArray zones;
    zones.Push(MakeZone({0, 1}, 1.0, {1, 2}));
    zones.Push(MakeZone({0, 2}, 1.0, {2, 4}));
    zones.Push(MakeZone({0, 1}, 1.0, {6, 7}));
    return zones;
}

TEST(QVTrackZoneArrayTest, BSearchZone)
{
    QVTrackZoneArray const zones = ZonesWithGap();
    struct Case {
        double time;
        bool clamp;
        unsigned int expected;  // kNone: not found
    } const cases[] = {
        {0.5, false, kNone}, {0.5, true, 0},                   // before the first zone
        {1.0, false, 0},     {1.5, false, 0},                  //
        {2.0, false, 1},                                       // a shared edge belongs to the later zone
        {3.0, false, 1},     {5.0, false, 1}, {5.0, true, 1},  // a gap gives the zone before it
        {6.0, false, 2},     {7.0, false, 2},                  // the last zone's end is still in it
        {7.5, false, kNone}, {7.5, true, 2},                   // after the last zone
    };
    for (Case const& c : cases) {
        unsigned int index = 12345;
        EXPECT_EQ(zones.BSearchZone(c.time, &index, c.clamp), c.expected != kNone) << c.time << " " << c.clamp;
        EXPECT_EQ(index, c.expected) << c.time << " " << c.clamp;
        EXPECT_EQ(zones.BSearchZone(c.time, nullptr, c.clamp), c.expected != kNone);
    }

    QVTrackZoneArray empty;
    unsigned int index = 0;
    EXPECT_FALSE(empty.BSearchZone(0.0, &index, true));
    EXPECT_EQ(index, kNone);

    // One zone: before its end (clamped or inside) and after its begin.
    QVTrackZoneArray one;
    one.Push(MakeZone({0, 1}, 1.0, {2, 3}));
    EXPECT_TRUE(one.BSearchZone(1.0, &index, true));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(one.BSearchZone(3.0, &index, false));
    EXPECT_FALSE(one.BSearchZone(3.5, &index, false));
}

TEST(QVTrackZoneArrayTest, BSearchZoneFindsEveryZoneOfALongTrack)
{
    QVTrackZoneArray zones;
    for (int i = 0; i < 1000; ++i)
        zones.Push(MakeZone({0, 1}, 1.0, {2.0 * i, 2.0 * i + 1.0}));
    for (unsigned int i = 0; i < 1000; ++i) {
        unsigned int index = kNone;
        ASSERT_TRUE(zones.BSearchZone(2.0 * i + 0.5, &index, false));
        ASSERT_EQ(index, i);
        // The gap after it (after the last zone: only when clamping).
        ASSERT_TRUE(zones.BSearchZone(2.0 * i + 1.5, &index, i == 999));
        ASSERT_EQ(index, i);
    }
    // Laid end to end, every boundary belongs to the zone that starts there.
    QVTrackZoneArray const contiguous = MakeArray({{1, 0, 0.1}, {2, 0, 0.2}, {3, 0, 0.3}, {4, 0, 0.4}});
    for (unsigned int i = 1; i < contiguous.Count(); ++i) {
        unsigned int index = kNone;
        ASSERT_TRUE(contiguous.BSearchZone(contiguous[i].GetLocalTimeIntv().beg, &index, false));
        EXPECT_EQ(index, i);
    }
}

TEST(QVTrackZoneTest, ClippedLocalTimeIntv)
{
    QVTrackZone const zone = MakeZone({0, 4}, 1.0, {10, 12});
    struct Case {
        AKTimeIntv given;
        AKTimeIntv expected;
    } const cases[] = {
        {{9, 11}, {10, 11}},         {{10.5, 11}, {10.5, 11}},  {{11, 13}, {11, 12}},
        {{0, 20}, {10, 12}},         {{12, 13}, {12, 12}},  // touching: zero length
        {{13, 14}, kAKNullTimeIntv}, {{5, 9}, kAKNullTimeIntv},
    };
    for (Case const& c : cases)
        EXPECT_EQ(zone.GetClippedLocalTimeIntv(c.given), c.expected) << c.given.beg << " " << c.given.end;
}

TEST(QVTrackZoneTest, ClippedSourceTimeIntvMapsAndMirrors)
{
    // Local [10, 12] plays source [0.3, 4.1]: 1.9 source seconds per track second.
    QVTrackZone forward = MakeZone({0.3, 4.1}, 1.0, {10, 12});
    QVTrackZone reversed = MakeZone({0.3, 4.1}, -1.0, {10, 12});
    struct Case {
        AKTimeIntv given;
        AKTimeIntv forward;
        AKTimeIntv reversed;
    } const cases[] = {
        {{10, 11}, {0.3, 2.2}, {2.2, 4.1}},           {{10.5, 12}, {1.25, 4.1}, {0.3, 3.15}},
        {{9, 10.5}, {0.3, 1.25}, {3.15, 4.1}},        {{12, 13}, kAKNullTimeIntv, kAKNullTimeIntv},  // touching
        {{13, 14}, kAKNullTimeIntv, kAKNullTimeIntv},                                                // apart
    };
    for (Case const& c : cases) {
        ExpectIntvNear(forward.GetClippedSourceTimeIntvFromLocalTimeIntv(c.given), c.forward);
        ExpectIntvNear(reversed.GetClippedSourceTimeIntvFromLocalTimeIntv(c.given), c.reversed);
    }
    // The whole zone gives its source exactly, reversed or not.
    EXPECT_EQ(forward.GetClippedSourceTimeIntvFromLocalTimeIntv({0, 100}), (AKTimeIntv{0.3, 4.1}));
    EXPECT_EQ(reversed.GetClippedSourceTimeIntvFromLocalTimeIntv({10, 12}), (AKTimeIntv{0.3, 4.1}));
    // A zone of no length maps nothing (and divides by nothing).
    EXPECT_EQ(MakeZone({0, 1}, 1.0, {5, 5}).GetClippedSourceTimeIntvFromLocalTimeIntv({0, 10}), kAKNullTimeIntv);
}

TEST(QVTrackZoneArrayTest, DisplayZonesAreTheClippedZones)
{
    QVTrackZoneArray zones;
    zones.Push(MakeZone({0.3, 4.1}, -2.0, {10, 12}));
    QVDisplayZoneList const& list = zones;
    ASSERT_EQ(list.GetDisplayZoneCount(), 1u);
    unsigned int index = kNone;
    EXPECT_TRUE(list.SearchDisplayZone(20.0, &index, true));
    EXPECT_EQ(index, 0u);
    QVDisplayZone const display = list.GetDisplayZone(0, {11, 20});
    EXPECT_EQ(display.provider, nullptr);
    EXPECT_TRUE(display.reversed);
    EXPECT_EQ(display.local, (AKTimeIntv{11, 12}));
    EXPECT_NEAR(display.source.beg, 0.3, 1e-12);
    EXPECT_NEAR(display.source.end, 2.2, 1e-12);
}

}  // namespace
