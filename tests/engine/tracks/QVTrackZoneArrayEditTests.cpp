// Track zone array edits, each as a table of cases on small tracks: the
// status, the zones after the full pass (in the fixtures' text form) and
// the end of the track. Refused edits must leave the track as it was.

#include "AKDictionary.h"
#include "QVProviderMgr.h"
#include "QVProviderRenum.h"
#include "SoundFixtures.h"
#include "QVTrackZoneFixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using zonefixtures::Describe;
using zonefixtures::HoldsInvariants;
using zonefixtures::MakeArray;
using zonefixtures::ThreeSounds;

constexpr unsigned int kNone = kQVTrackZoneNoIndex;
constexpr int kRefused = kQVTrackZoneEditRefused;
constexpr int kUnchanged = kQVTrackZoneEditUnchanged;
constexpr int kChanged = kQVTrackZoneEditChanged;

// "1:0-1 2:10-12 3:5-6", track [0, 4].
constexpr char kThree[] = "1:0-1 2:10-12 3:5-6";

struct EditCase {
    char const* what;
    std::function<int(QVTrackZoneArray&)> edit;
    int status;
    char const* zones;  // after the full pass
    double end;
};

void RunEdits(QVTrackZoneArray const& start, std::initializer_list<EditCase> cases)
{
    for (EditCase const& c : cases) {
        QVTrackZoneArray zones = start;
        EXPECT_EQ(c.edit(zones), c.status) << c.what;
        if (c.status == kRefused) {
            EXPECT_EQ(zones, start) << c.what << ": a refused edit changed the track";
        }
        double end = -1.0;
        unsigned int channels = 99;
        zones.UpdateZonesLocalTime(&end, &channels);
        EXPECT_EQ(Describe(zones), c.zones) << c.what;
        EXPECT_NEAR(end, c.end, 1e-9) << c.what;
        EXPECT_EQ(channels, 0u) << c.what;
        EXPECT_TRUE(HoldsInvariants(zones, zones.GetZoneFadeDuration())) << c.what;
    }
}

QVTrackZoneArray const kNine = MakeArray({{9, 0, 1}});
QVTrackZoneArray const kNineEight = MakeArray({{9, 0, 1}, {8, 0, 2}});
QVTrackZoneArray const kEmpty;

TEST(QVTrackZoneArrayEditTest, InsertZones)
{
    RunEdits(ThreeSounds(),
             {
                 {"inside a zone: split", [](auto& z) { return z.InsertZones(0.5, kNine, 1, false); }, kChanged,
                  "1:0-0.5 9:0-1 1:0.5-1 2:10-12 3:5-6", 5},
                 {"near a boundary: no split", [](auto& z) { return z.InsertZones(1.00005, kNine, 1, false); },
                  kChanged, "1:0-1 9:0-1 2:10-12 3:5-6", 5},
                 {"just before a boundary", [](auto& z) { return z.InsertZones(0.99995, kNine, 1, false); }, kChanged,
                  "1:0-1 9:0-1 2:10-12 3:5-6", 5},
                 {"near the end", [](auto& z) { return z.InsertZones(3.99995, kNine, 1, false); }, kChanged,
                  "1:0-1 2:10-12 3:5-6 9:0-1", 5},
                 {"three copies at the end", [](auto& z) { return z.InsertZones(4.0, kNine, 3, false); }, kChanged,
                  "1:0-1 2:10-12 3:5-6 9:0-1 9:0-1 9:0-1", 7},
                 {"two zones twice", [](auto& z) { return z.InsertZones(0.0, kNineEight, 2, false); }, kChanged,
                  "9:0-1 8:0-2 9:0-1 8:0-2 1:0-1 2:10-12 3:5-6", 10},
                 {"past the end needs extension", [](auto& z) { return z.InsertZones(5.0, kNine, 1, false); }, kRefused,
                  kThree, 4},
                 {"past the end pads with silence", [](auto& z) { return z.InsertZones(5.0, kNine, 1, true); },
                  kChanged, "1:0-1 2:10-12 3:5-6 s1 9:0-1", 6},
                 {"within the epsilon past the end", [](auto& z) { return z.InsertZones(4.00005, kNine, 1, false); },
                  kChanged, "1:0-1 2:10-12 3:5-6 9:0-1", 5},
                 {"before the track", [](auto& z) { return z.InsertZones(-0.5, kNine, 1, true); }, kRefused, kThree, 4},
                 {"no copies", [](auto& z) { return z.InsertZones(1.0, kNine, 0, false); }, kUnchanged, kThree, 4},
                 {"empty source", [](auto& z) { return z.InsertZones(1.0, kEmpty, 1, false); }, kUnchanged, kThree, 4},
                 {"itself", [](auto& z) { return z.InsertZones(1.0, z, 1, false); }, kRefused, kThree, 4},
                 {"silence inside a zone", [](auto& z) { return z.InsertSilent(2.0, 0.5, false); }, kChanged,
                  "1:0-1 2:10-11 s0.5 2:11-12 3:5-6", 4.5},
                 {"no silence", [](auto& z) { return z.InsertSilent(2.0, 0.0, false); }, kRefused, kThree, 4},
                 {"silence past the end", [](auto& z) { return z.InsertSilent(5.0, 1.0, true); }, kChanged,
                  "1:0-1 2:10-12 3:5-6 s2", 6},
             });

    // Into an empty track, at 0 or (extended) later.
    RunEdits(
        kEmpty,
        {
            {"empty at 0", [](auto& z) { return z.InsertZones(0.0, kNine, 2, false); }, kChanged, "9:0-1 9:0-1", 2},
            {"empty at 1", [](auto& z) { return z.InsertZones(1.0, kNine, 1, true); }, kChanged, "s1 9:0-1", 2},
        });

    // Silence next to silence merges into one zone.
    RunEdits(MakeArray({{1, 0, 1}, {0, 0, 1}, {2, 0, 1}}),
             {
                 {"next to a silence", [](auto& z) { return z.InsertSilent(1.0, 0.5, false); }, kChanged,
                  "1:0-1 s1.5 2:0-1", 3.5},
                 {"inside a silence", [](auto& z) { return z.InsertSilent(1.5, 0.5, false); }, kChanged,
                  "1:0-1 s1.5 2:0-1", 3.5},
             });
}

TEST(QVTrackZoneArrayEditTest, InsertZonesScaled)
{
    RunEdits(
        ThreeSounds(),
        {
            {"twice as long", [](auto& z) { return z.InsertZonesScaled(4.0, kNine, 1, 2.0, false, false); }, kChanged,
             "1:0-1 2:10-12 3:5-6 9:0-1*2", 6},
            {"each copy halved", [](auto& z) { return z.InsertZonesScaled(4.0, kNine, 3, 0.5, false, false); },
             kChanged, "1:0-1 2:10-12 3:5-6 9:0-1*0.5 9:0-1*0.5 9:0-1*0.5", 5.5},
            {"cumulative", [](auto& z) { return z.InsertZonesScaled(4.0, kNine, 3, 0.5, true, false); }, kChanged,
             "1:0-1 2:10-12 3:5-6 9:0-1*0.5 9:0-1*0.25 9:0-1*0.125", 4.875},
            {"cumulative backwards", [](auto& z) { return z.InsertZonesScaled(0.0, kNineEight, 2, -2.0, true, false); },
             kChanged, "8:0-2*-2 9:0-1*-2 9:0-1*4 8:0-2*4 1:0-1 2:10-12 3:5-6", 22},
            {"reversed", [](auto& z) { return z.InsertZonesScaled(1.0, kNineEight, 1, -1.0, false, false); }, kChanged,
             "1:0-1 8:0-2*-1 9:0-1*-1 2:10-12 3:5-6", 7},
            {"coefficient 1 is a plain insertion",
             [](auto& z) { return z.InsertZonesScaled(1.0, kNine, 1, 1.0000001, false, false); }, kChanged,
             "1:0-1 9:0-1 2:10-12 3:5-6", 5},
            {"coefficient 0", [](auto& z) { return z.InsertZonesScaled(1.0, kNine, 1, 1e-7, false, false); }, kRefused,
             kThree, 4},
            {"no copies", [](auto& z) { return z.InsertZonesScaled(1.0, kNine, 0, 2.0, false, false); }, kRefused,
             kThree, 4},
            {"empty source", [](auto& z) { return z.InsertZonesScaled(1.0, kEmpty, 1, 2.0, false, false); }, kRefused,
             kThree, 4},
            {"past the end", [](auto& z) { return z.InsertZonesScaled(5.0, kNine, 1, 2.0, false, false); }, kRefused,
             kThree, 4},
        });
}

TEST(QVTrackZoneArrayEditTest, DurationAfterInsertZonesScaled)
{
    struct Case {
        double duration;
        unsigned int count;
        double coefficient;
        bool cumulative;
        double expected;
    } const cases[] = {
        {2, 3, 0.5, true, 1.75},  // 2 x (0.5 + 0.25 + 0.125)
        {2, 3, -0.5, true, 1.75}, {2, 3, 0.5, false, 3.0}, {2, 1, 3.0, true, 6.0},
        {2, 3, 1.0, true, 6.0},   {2, 3, -1.0, true, 6.0}, {2, 0, 2.0, true, 0.0},
        {2, 3, 1e-7, true, 0.0},  {1, 4, 2.0, true, 30.0},  // 2 + 4 + 8 + 16
    };
    for (Case const& c : cases)
        EXPECT_NEAR(
            QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(c.duration, c.count, c.coefficient, c.cumulative),
            c.expected, 1e-12)
            << c.duration << " " << c.count << " " << c.coefficient << " " << c.cumulative;

    // The prediction is what the insertion adds.
    for (bool cumulative : {false, true}) {
        QVTrackZoneArray zones = ThreeSounds();
        ASSERT_EQ(zones.InsertZonesScaled(2.0, kNineEight, 4, -0.75, cumulative, false), kChanged);
        double end = 0.0;
        zones.UpdateZonesLocalTime(&end, nullptr);
        EXPECT_NEAR(end - 4.0, QVTrackZoneArray::ComputeDurationAfterInsertZonesScaled(3.0, 4, -0.75, cumulative),
                    1e-9);
    }
}

TEST(QVTrackZoneArrayEditTest, SeparateZones)
{
    struct Case {
        char const* what;
        AKTimeIntv intv;
        bool allowExtend;
        int status;
        unsigned int first;
        unsigned int last;
        char const* zones;  // before the full pass
    } const cases[] = {
        {"the whole track", {0, 4}, false, kUnchanged, 0, 2, kThree},
        {"across a boundary", {0.5, 2}, false, kChanged, 1, 2, "1:0-0.5 1:0.5-1 2:10-11 2:11-12 3:5-6"},
        {"inside one zone", {1.5, 2.5}, false, kChanged, 2, 2, "1:0-1 2:10-10.5 2:10.5-11.5 2:11.5-12 3:5-6"},
        {"start inside", {1.5, 3}, false, kChanged, 2, 2, "1:0-1 2:10-10.5 2:10.5-12 3:5-6"},
        {"end inside", {1, 2.5}, false, kChanged, 1, 1, "1:0-1 2:10-11.5 2:11.5-12 3:5-6"},
        {"bounds near boundaries", {1.00005, 2.99995}, false, kUnchanged, 1, 1, kThree},
        {"bounds just outside boundaries", {0.99995, 3.00005}, false, kUnchanged, 1, 1, kThree},
        {"past the end, extended", {3, 6}, true, kChanged, 2, 3, "1:0-1 2:10-12 3:5-6 s2"},
        {"past the end", {3, 6}, false, kRefused, kNone, kNone, kThree},
        {"from the end, extended", {4, 5}, true, kChanged, 3, 3, "1:0-1 2:10-12 3:5-6 s1"},
        {"beyond the end, extended", {5, 6}, true, kChanged, 4, 4, "1:0-1 2:10-12 3:5-6 s1 s1"},
        {"beyond the end", {5, 6}, false, kRefused, kNone, kNone, kThree},
        {"before the track", {-1, 2}, true, kRefused, kNone, kNone, kThree},
        {"empty interval", {2, 2}, true, kRefused, kNone, kNone, kThree},
        {"upside down", {3, 2}, true, kRefused, kNone, kNone, kThree},
        {"between boundaries", {1.00002, 1.00008}, false, kRefused, kNone, kNone, kThree},
    };
    QVTrackZoneArray const start = ThreeSounds();
    for (Case const& c : cases) {
        QVTrackZoneArray zones = start;
        unsigned int first = 123;
        unsigned int last = 456;
        EXPECT_EQ(zones.SeparateZones(c.intv, &first, &last, c.allowExtend), c.status) << c.what;
        EXPECT_EQ(first, c.first) << c.what;
        EXPECT_EQ(last, c.last) << c.what;
        EXPECT_EQ(Describe(zones), c.zones) << c.what;
        if (c.status == kRefused)
            continue;
        // The separated zones cover the interval (clipped to the start of
        // the padding) and the local times are still laid end to end.
        EXPECT_NEAR(zones[first].GetLocalTimeIntv().beg, c.intv.beg, 1e-4) << c.what;
        EXPECT_NEAR(zones[last].GetLocalTimeIntv().end, c.intv.end, 1e-4) << c.what;
        for (unsigned int index = 1; index < zones.Count(); ++index)
            EXPECT_NEAR(zones[index].GetLocalTimeIntv().beg, zones[index - 1].GetLocalTimeIntv().end, 1e-12);
    }

    // An empty track: [0, b] with extension becomes that silence.
    QVTrackZoneArray empty;
    unsigned int first = 0;
    unsigned int last = 0;
    EXPECT_EQ(empty.SeparateZones({0, 2}, &first, &last, true), kChanged);
    EXPECT_EQ(Describe(empty), "s2");
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
    QVTrackZoneArray stillEmpty;
    EXPECT_EQ(stillEmpty.SeparateZones({0, 2}, &first, &last, false), kRefused);
    EXPECT_EQ(stillEmpty.SeparateZones({1, 2}, nullptr, nullptr, true), kRefused);
    EXPECT_TRUE(stillEmpty.IsEmpty());
}

TEST(QVTrackZoneArrayEditTest, ScaleZones)
{
    RunEdits(ThreeSounds(), {
                                {"-1 over three zones reverses them",
                                 [](auto& z) {
                                     return z.ScaleZones({0, 4}, -1.0, false);
                                 },
                                 kChanged, "3:5-6*-1 2:10-12*-1 1:0-1*-1", 4},
                                {"twice as long across a boundary",
                                 [](auto& z) {
                                     return z.ScaleZones({0.5, 2}, 2.0, false);
                                 },
                                 kChanged, "1:0-0.5 1:0.5-1*2 2:10-11*2 2:11-12 3:5-6", 5.5},
                                {"the middle of one zone backwards",
                                 [](auto& z) {
                                     return z.ScaleZones({1.5, 2.5}, -1.0, false);
                                 },
                                 kChanged, "1:0-1 2:10-10.5 2:10.5-11.5*-1 2:11.5-12 3:5-6", 4},
                                {"past the end, extended",
                                 [](auto& z) {
                                     return z.ScaleZones({3, 5}, 0.5, true);
                                 },
                                 kChanged, "1:0-1 2:10-12 3:5-6*0.5 s0.5", 4},
                                {"by 1",
                                 [](auto& z) {
                                     return z.ScaleZones({0, 4}, 1.0000005, false);
                                 },
                                 kUnchanged, kThree, 4},
                                {"by 0",
                                 [](auto& z) {
                                     return z.ScaleZones({0, 4}, 0.0, false);
                                 },
                                 kRefused, kThree, 4},
                                {"past the end",
                                 [](auto& z) {
                                     return z.ScaleZones({3, 5}, 2.0, false);
                                 },
                                 kRefused, kThree, 4},
                            });

    // Backwards twice over a part: the same sound, the same order.
    QVTrackZoneArray zones = ThreeSounds();
    ASSERT_EQ(zones.ScaleZones({0.5, 3.5}, -1.0, false), kChanged);
    ASSERT_EQ(zones.ScaleZones({0.5, 3.5}, -1.0, false), kChanged);
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    EXPECT_EQ(Describe(zones), "1:0-0.5 1:0.5-1 2:10-12 3:5-5.5 3:5.5-6");
}

TEST(QVTrackZoneArrayEditTest, ExtractZones)
{
    struct Case {
        char const* what;
        AKTimeIntv intv;
        bool pad;
        int status;
        char const* zones;
    } const cases[] = {
        {"across a boundary", {0.5, 2}, false, kUnchanged, "1:0.5-1 2:10-11"},
        {"inside one zone", {1.5, 2.5}, false, kUnchanged, "2:10.5-11.5"},
        {"whole zones", {1, 4}, false, kUnchanged, "2:10-12 3:5-6"},
        {"the whole track", {0, 4}, false, kUnchanged, kThree},
        {"bounds near boundaries", {0.99995, 3.00005}, false, kUnchanged, "2:10-12"},
        {"past the end", {3, 6}, false, kRefused, ""},
        {"past the end, padded", {3, 6}, true, kUnchanged, "3:5-6 s2"},
        {"before the start, padded", {-1, 0.5}, true, kUnchanged, "s1 1:0-0.5"},
        {"beyond the end", {5, 6}, false, kRefused, ""},
        {"beyond the end, padded", {5, 6}, true, kUnchanged, "s1"},
        {"empty interval", {2, 2}, true, kRefused, ""},
    };
    QVTrackZoneArray const zones = ThreeSounds();
    for (Case const& c : cases) {
        QVTrackZoneArray part = MakeArray({{7, 0, 1}});  // dropped in every case
        EXPECT_EQ(zones.ExtractZones(c.intv, &part, c.pad), c.status) << c.what;
        EXPECT_EQ(Describe(part), c.zones) << c.what;
        // Laid out from 0, before any full pass.
        if (!part.IsEmpty()) {
            EXPECT_EQ(part[0].GetLocalTimeIntv().beg, 0.0) << c.what;
        }
        EXPECT_NEAR(part.QuickUpdateZonesLocalTime(0), c.status == kRefused ? 0.0 : c.intv.end - c.intv.beg, 2e-4)
            << c.what;
    }
    QVTrackZoneArray self = zones;
    EXPECT_EQ(self.ExtractZones({0, 1}, &self, false), kRefused);
    EXPECT_EQ(self, zones);

    // A reversed part comes out reversed.
    QVTrackZoneArray backwards = MakeArray({{2, 10, 12, -1.0}});
    QVTrackZoneArray part;
    EXPECT_EQ(backwards.ExtractZones({0.5, 1}, &part, false), kUnchanged);
    EXPECT_EQ(Describe(part), "2:11-11.5*-1");
}

TEST(QVTrackZoneArrayEditTest, CropDeleteEraseReplace)
{
    RunEdits(ThreeSounds(), {
                                {"crop to 0",
                                 [](auto& z) {
                                     return z.CropZones({0.5, 2}, false, false);
                                 },
                                 kChanged, "1:0.5-1 2:10-11", 1.5},
                                {"crop in place keeps the length",
                                 [](auto& z) {
                                     return z.CropZones({0.5, 2}, true, false);
                                 },
                                 kChanged, "s0.5 1:0.5-1 2:10-11 s2", 4},
                                {"crop in place from a later zone",
                                 [](auto& z) {
                                     return z.CropZones({1.5, 2}, true, false);
                                 },
                                 kChanged, "s1.5 2:10.5-11 s2", 4},
                                {"crop past the end",
                                 [](auto& z) {
                                     return z.CropZones({3.5, 10}, false, false);
                                 },
                                 kChanged, "3:5.5-6", 0.5},
                                {"crop beyond the end",
                                 [](auto& z) {
                                     return z.CropZones({5, 6}, false, true);
                                 },
                                 kRefused, kThree, 4},
                                {"delete across a boundary",
                                 [](auto& z) {
                                     return z.DeleteZones({0.5, 2});
                                 },
                                 kChanged, "1:0-0.5 2:11-12 3:5-6", 2.5},
                                {"delete past the end",
                                 [](auto& z) {
                                     return z.DeleteZones({3, 10});
                                 },
                                 kChanged, "1:0-1 2:10-12", 3},
                                {"delete everything",
                                 [](auto& z) {
                                     return z.DeleteZones({-5, 10});
                                 },
                                 kChanged, "", 0},
                                {"delete beyond the end",
                                 [](auto& z) {
                                     return z.DeleteZones({5, 6});
                                 },
                                 kRefused, kThree, 4},
                                {"erase across a boundary",
                                 [](auto& z) {
                                     return z.EraseZones({0.5, 2}, false);
                                 },
                                 kChanged, "1:0-0.5 s1.5 2:11-12 3:5-6", 4},
                                {"erase past the end",
                                 [](auto& z) {
                                     return z.EraseZones({3, 6}, true);
                                 },
                                 kChanged, "1:0-1 2:10-12 s3", 6},
                                {"erase everything",
                                 [](auto& z) {
                                     return z.EraseZones({0, 4}, false);
                                 },
                                 kChanged, "s4", 4},
                                {"erase near boundaries keeps the times",
                                 [](auto& z) {
                                     return z.EraseZones({1.00005, 2.99995}, false);
                                 },
                                 kChanged, "1:0-1 s2 3:5-6", 4},
                                {"erase past the end",
                                 [](auto& z) {
                                     return z.EraseZones({3, 6}, false);
                                 },
                                 kRefused, kThree, 4},
                                {"replace one zone by two",
                                 [](auto& z) {
                                     return z.ReplaceZones({1, 3}, kNineEight, false);
                                 },
                                 kChanged, "1:0-1 9:0-1 8:0-2 3:5-6", 5},
                                {"replace three zones by one",
                                 [](auto& z) {
                                     return z.ReplaceZones({0, 4}, kNine, false);
                                 },
                                 kChanged, "9:0-1", 1},
                                {"replace parts",
                                 [](auto& z) {
                                     return z.ReplaceZones({0.5, 3.5}, kNine, false);
                                 },
                                 kChanged, "1:0-0.5 9:0-1 3:5.5-6", 2},
                                {"replace by nothing",
                                 [](auto& z) {
                                     return z.ReplaceZones({1, 3}, kEmpty, false);
                                 },
                                 kChanged, "1:0-1 3:5-6", 2},
                                {"replace past the end",
                                 [](auto& z) {
                                     return z.ReplaceZones({3, 6}, kNine, true);
                                 },
                                 kChanged, "1:0-1 2:10-12 9:0-1", 4},
                                {"replace by itself",
                                 [](auto& z) {
                                     return z.ReplaceZones({0, 4}, z, false);
                                 },
                                 kRefused, kThree, 4},
                            });

    // Erasing between silences leaves one silence.
    RunEdits(MakeArray({{0, 0, 1}, {2, 10, 12}, {0, 0, 1}}), {
                                                                 {"erase between silences",
                                                                  [](auto& z) {
                                                                      return z.EraseZones({1, 3}, false);
                                                                  },
                                                                  kChanged, "s4", 4},
                                                                 {"delete between silences",
                                                                  [](auto& z) {
                                                                      return z.DeleteZones({1, 3});
                                                                  },
                                                                  kChanged, "s2", 2},
                                                             });
}

TEST(QVTrackZoneArrayEditTest, FullPassMergesSilencesAndDropsEmptyZones)
{
    QVTrackZoneArray zones;
    zones.Push(QVTrackZone::MakeSilence(0.5));
    zones.Push(QVTrackZone::MakeSafe(0, 0.0, 0.25, -2.0));  // silence lasting 0.5, backwards
    zones.Push(QVTrackZone::Make(4, 1.0, 0.00005));         // too short: dropped, silences meet
    zones.Push(QVTrackZone::MakeSilence(0.00005));          // too short alone, counted in the run
    zones.Push(QVTrackZone::Make(5, 0.0, 1.0));
    zones.Push(QVTrackZone::MakeDefault());
    zones.Push(QVTrackZone::Make(6, 2.0, 0.5));
    double end = 0.0;
    unsigned int channels = 7;
    zones.UpdateZonesLocalTime(&end, &channels, 0.01);
    EXPECT_EQ(Describe(zones), "s1.00005 5:0-1 6:2-2.5");
    EXPECT_NEAR(end, 2.50005, 1e-12);
    EXPECT_EQ(channels, 0u);
    EXPECT_TRUE(HoldsInvariants(zones, 0.01));
    EXPECT_EQ(zones[1].GetOuterTimeIntv().beg, zones[1].GetLocalTimeIntv().beg - 0.005);

    QVTrackZoneArray empty;
    end = 5.0;
    channels = 5;
    empty.UpdateZonesLocalTime(&end, &channels);
    EXPECT_EQ(end, 0.0);
    EXPECT_EQ(channels, 0u);
    empty.UpdateZonesLocalTime(nullptr, nullptr);

    // The quick pass only lays the zones end to end from a given zone.
    QVTrackZoneArray quick = ThreeSounds();
    quick[1].SetScale(-2.0);
    EXPECT_EQ(quick.QuickUpdateZonesLocalTime(1), 6.0);
    EXPECT_EQ(quick[2].GetLocalTimeIntv(), (AKTimeIntv{5, 6}));
    EXPECT_EQ(quick.QuickUpdateZonesLocalTime(3), 0.0);
}

TEST(QVTrackZoneArrayEditTest, RenumberZonesProvID)
{
    QVProviderRenum renum;
    ASSERT_TRUE(renum.AddEntry(1, 11));
    ASSERT_TRUE(renum.AddEntry(2, 12));
    ASSERT_TRUE(renum.AddEntry(50000, 13));

    QVTrackZoneArray zones = MakeArray({{1, 0, 1}, {0, 0, 1}, {50000, 0, 1}, {2, 0, 1}});
    EXPECT_TRUE(zones.RenumberZonesProvID(renum));
    EXPECT_EQ(Describe(zones), "11:0-1 s1 13:0-1 12:0-1");

    // An unknown ID becomes silence and the answer false.
    QVTrackZoneArray unknown = MakeArray({{1, 0, 1}, {3, 0, 1}});
    EXPECT_FALSE(unknown.RenumberZonesProvID(renum));
    EXPECT_EQ(unknown[0].GetProviderID(), 11u);
    EXPECT_EQ(unknown[1].GetProviderID(), 0u);

    // Nothing to renumber with: true, and nothing changes.
    QVTrackZoneArray kept = MakeArray({{1, 0, 1}, {3, 0, 1}});
    EXPECT_TRUE(kept.RenumberZonesProvID(QVProviderRenum()));
    EXPECT_EQ(Describe(kept), "1:0-1 3:0-1");
    EXPECT_TRUE(QVTrackZoneArray().RenumberZonesProvID(renum));
}

TEST(QVTrackZoneArrayEditTest, RelinkZonesProviders)
{
    SoundFixtures::TempFolder folder;
    QVProviderMgr& mgr = QVProviderMgr::sShared;
    ATArray<QVProvider*> sounds;
    for (unsigned int channels : {2u, 3u}) {
        std::string const path = folder.File(std::to_string(channels) + ".wav");
        SoundFixtures::SoundRecipe sound;
        sound.channels = channels;
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(path, sound));
        sounds.Push(mgr.RegisterProvider(SoundFixtures::EnginePath(path)));
        ASSERT_NE(sounds.Last(), nullptr);
    }
    QVProviderID const first = sounds[0]->GetID();
    QVProviderID const second = sounds[1]->GetID();

    QVTrackZoneArray zones = MakeArray({{first, 0, 0.01}, {0, 0, 1}, {second, 0, 0.01}, {first, 0.01, 0.02}});
    EXPECT_TRUE(zones.RelinkZonesProviders());
    EXPECT_EQ(zones[0].GetProvider(), sounds[0]);
    EXPECT_EQ(zones[1].GetProvider(), nullptr);
    EXPECT_EQ(zones[2].GetProvider(), sounds[1]);
    EXPECT_EQ(zones[3].GetProvider(), sounds[0]);
    unsigned int channels = 0;
    zones.UpdateZonesLocalTime(nullptr, &channels);
    EXPECT_EQ(channels, 3u);

    // An ID never given in this run: no link, and the answer false.
    zones[0].SetProviderID(QVProvider::PeekNextID() + 100);
    EXPECT_FALSE(zones.RelinkZonesProviders());
    EXPECT_EQ(zones[0].GetProvider(), nullptr);
    EXPECT_EQ(zones[2].GetProvider(), sounds[1]);
    zones.UpdateZonesLocalTime(nullptr, &channels);
    EXPECT_EQ(channels, 3u);
    EXPECT_TRUE(QVTrackZoneArray().RelinkZonesProviders());

    for (QVProvider* sound : sounds)
        mgr.RemoveProvider(sound);
}

}  // namespace
