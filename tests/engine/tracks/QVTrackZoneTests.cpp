// Track zones: the zone search over a track's time with and without
// clamping, the clipping of track intervals to a zone and their mapping
// onto the zone's sound, forwards and reversed, and the zone list as the
// display envelopes see it.

#include "QVTrackZoneArray.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned int kNone = 0xFFFFFFFFu;

QVTrackZone MakeZone(AKTimeIntv source, double scale, AKTimeIntv local)
{
    return QVTrackZone(nullptr, 0, source, scale, local);
}

// Zones [1, 2], [2, 4], a gap, [6, 7] (inserted out of order).
QVTrackZoneArray ThreeZones()
{
    QVTrackZoneArray zones;
    zones.InsertSorted(MakeZone({0, 1}, 1.0, {6, 7}));
    zones.InsertSorted(MakeZone({0, 1}, 1.0, {1, 2}));
    zones.InsertSorted(MakeZone({0, 2}, 1.0, {2, 4}));
    return zones;
}

TEST(QVTrackZoneArrayTest, InsertSortedKeepsLocalBeginOrder)
{
    QVTrackZoneArray const zones = ThreeZones();
    ASSERT_EQ(zones.Count(), 3u);
    EXPECT_EQ(zones[0].GetLocalTimeIntv().beg, 1.0);
    EXPECT_EQ(zones[1].GetLocalTimeIntv().beg, 2.0);
    EXPECT_EQ(zones[2].GetLocalTimeIntv().beg, 6.0);
}

TEST(QVTrackZoneArrayTest, BSearchZone)
{
    QVTrackZoneArray const zones = ThreeZones();
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
    one.InsertSorted(MakeZone({0, 1}, 1.0, {2, 3}));
    EXPECT_TRUE(one.BSearchZone(1.0, &index, true));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(one.BSearchZone(3.0, &index, false));
    EXPECT_FALSE(one.BSearchZone(3.5, &index, false));
}

TEST(QVTrackZoneArrayTest, BSearchZoneFindsEveryZoneOfALongTrack)
{
    QVTrackZoneArray zones;
    for (int i = 0; i < 1000; ++i)
        zones.InsertSorted(MakeZone({0, 1}, 1.0, {2.0 * i, 2.0 * i + 1.0}));
    for (unsigned int i = 0; i < 1000; ++i) {
        unsigned int index = kNone;
        ASSERT_TRUE(zones.BSearchZone(2.0 * i + 0.5, &index, false));
        ASSERT_EQ(index, i);
        // The gap after it (after the last zone: only when clamping).
        ASSERT_TRUE(zones.BSearchZone(2.0 * i + 1.5, &index, i == 999));
        ASSERT_EQ(index, i);
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
        AKTimeIntv const f = forward.GetClippedSourceTimeIntvFromLocalTimeIntv(c.given);
        AKTimeIntv const r = reversed.GetClippedSourceTimeIntvFromLocalTimeIntv(c.given);
        EXPECT_NEAR(f.beg, c.forward.beg, 1e-12);
        EXPECT_NEAR(f.end, c.forward.end, 1e-12);
        EXPECT_NEAR(r.beg, c.reversed.beg, 1e-12);
        EXPECT_NEAR(r.end, c.reversed.end, 1e-12);
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
    zones.InsertSorted(MakeZone({0.3, 4.1}, -2.0, {10, 12}));
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
