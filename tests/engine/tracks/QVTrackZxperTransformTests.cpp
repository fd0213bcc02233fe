// The experimental transforms over a track's zones: what each makes of a
// part, the range it reports, its refusals, and the repeatability of the
// random ones under a seed.

#include "LogCapture.h"
#include "QVTrackZoneArray.h"
#include "QVTrackZxper.h"
#include "QVTrackZxperRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr double kTol = 1e-9;
constexpr double kFade = 0.005;

struct ZoneDef {
    QVProviderID id;  // 0: silence
    double srcBeg;
    double srcEnd;
    double scale;
};

// Zones laid end to end from 0 by the full pass, as a track holds them.
QVTrackZoneArray MakeZones(std::initializer_list<ZoneDef> defs)
{
    QVTrackZoneArray zones;
    for (ZoneDef const& s : defs) {
        QVTrackZone zone = s.id == 0 ? QVTrackZone::MakeSilence(s.srcEnd - s.srcBeg)
                                     : QVTrackZone::Make(s.id, s.srcBeg, s.srcEnd - s.srcBeg);
        zone.SetScale(s.scale);
        zones.Push(zone);
    }
    zones.UpdateZonesLocalTime(nullptr, nullptr, kFade);
    return zones;
}

// Two sounds of 2 s each: [0, 2] plays sound 1 from 0, [2, 4] sound 2 from 10.
QVTrackZoneArray TwoZones() { return MakeZones({{1, 0.0, 2.0, 1.0}, {2, 10.0, 12.0, 1.0}}); }

// Four sounds, one backwards, and a silence: 5.5 s in all.
QVTrackZoneArray MixedZones()
{
    return MakeZones(
        {{1, 0.0, 1.5, 1.0}, {2, 3.0, 4.0, -1.0}, {0, 0.0, 0.5, 1.0}, {3, 0.0, 1.0, 2.0}, {4, 5.0, 5.5, 1.0}});
}

// The completion every track edit runs after a change.
double Complete(QVTrackZoneArray* zones)
{
    double end = 0.0;
    zones->UpdateZonesLocalTime(&end, nullptr, kFade);
    return end;
}

// What holds after every full pass: laid end to end from 0, every local
// duration from its source and scale, no zone of no length, no two
// silences side by side.
void ExpectWellFormed(QVTrackZoneArray const& zones)
{
    double t = 0.0;
    for (unsigned int i = 0; i < zones.Count(); ++i) {
        SCOPED_TRACE(i);
        QVTrackZone const& zone = zones[i];
        EXPECT_NEAR(t, zone.GetLocalTimeIntv().beg, kTol);
        EXPECT_NEAR(std::fabs(zone.GetSourceDuration() * zone.GetScale()), zone.GetLocalDuration(), kTol);
        EXPECT_GE(zone.GetSourceDuration(), 1e-4);
        if (i > 0) {
            EXPECT_FALSE(zone.IsSilence() && zones[i - 1].IsSilence());
        }
        t = zone.GetLocalTimeIntv().end;
    }
}

// Seconds of each sound's source the zones play (silence under ID 0).
std::map<QVProviderID, double> SourceSeconds(QVTrackZoneArray const& zones)
{
    std::map<QVProviderID, double> seconds;
    for (QVTrackZone const& zone : zones)
        seconds[zone.GetProviderID()] += zone.GetSourceDuration();
    return seconds;
}

void ExpectSameSourceSeconds(QVTrackZoneArray const& a, QVTrackZoneArray const& b)
{
    std::map<QVProviderID, double> const sa = SourceSeconds(a);
    std::map<QVProviderID, double> const sb = SourceSeconds(b);
    ASSERT_EQ(sa.size(), sb.size());
    for (auto const& [id, seconds] : sa)
        EXPECT_NEAR(seconds, sb.at(id), 1e-6) << "sound " << id;
}

// The zones of the completed track under [from, to], which must lie on zone boundaries.
QVTrackZoneArray ZonesBetween(QVTrackZoneArray const& zones, double from, double to)
{
    QVTrackZoneArray part;
    for (QVTrackZone const& zone : zones) {
        AKTimeIntv const local = zone.GetLocalTimeIntv();
        if (local.beg >= from - 1e-6 && local.end <= to + 1e-6)
            part.Push(zone);
    }
    return part;
}

QVTrackParamZxperScale ScaleParam(double absCoeff, bool expanded, bool reversed)
{
    QVTrackParamZxperScale param;
    param.absCoeff = absCoeff;
    param.expanded = expanded;
    param.reversed = reversed;
    param.Check();
    return param;
}

// --- Scale ---

TEST(QVTrackZxperTransformTests, ScaleStretchesThePartAndReportsItsRange)
{
    struct Case {
        double absCoeff;
        bool expanded;
        bool reversed;
        double wantEnd;  // of the result, which starts at 1
    };
    Case const cases[] = {
        {2.0, true, false, 5.0},   // [1, 3] lasts 4 s
        {2.0, false, false, 2.0},  // lasts 1 s
        {1.0, true, true, 3.0},    // same length, backwards
        {4.0, false, true, 1.5},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.absCoeff << (c.expanded ? " x" : " /") << (c.reversed ? " reversed" : ""));
        QVTrackZoneArray zones = TwoZones();
        QVTrackParamZxperScale const param = ScaleParam(c.absCoeff, c.expanded, c.reversed);
        AKTimeIntv result;
        ASSERT_TRUE(QVTrackZxperScale(&zones, {1.0, 3.0}, param, false, &result));
        EXPECT_EQ(1.0, result.beg);
        EXPECT_DOUBLE_EQ(c.wantEnd, result.end);
        double const end = Complete(&zones);
        ExpectWellFormed(zones);
        EXPECT_NEAR(4.0 + (c.wantEnd - 3.0), end, kTol);
        ExpectSameSourceSeconds(zones, TwoZones());

        // The scaled part: both halves, in reverse order when reversed.
        QVTrackZoneArray const part = ZonesBetween(zones, result.beg, result.end);
        ASSERT_EQ(2u, part.Count());
        double const k = param.GetSignedCoeff();
        EXPECT_EQ(c.reversed ? 2u : 1u, part[0].GetProviderID());
        for (QVTrackZone const& zone : part)
            EXPECT_DOUBLE_EQ(k, zone.GetScale());
    }
}

// --- Repeat ---

// [1, 3] of the two-zone track, copies at 3 shrunk by 2, 4 and 8, the
// first and third backwards: 1 + 0.5 + 0.25 s, reported as [3, 4.75].
TEST(QVTrackZxperTransformTests, RepeatAppendsRescaledCopiesAlternatelyReversed)
{
    QVTrackZoneArray zones = TwoZones();
    QVTrackParamZxperRepeat param;
    param.absCoeff = 2.0;
    param.expanded = false;
    param.reversed = true;
    param.repeatCount = 3;
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperRepeat(&zones, {1.0, 3.0}, param, false, &result));
    EXPECT_DOUBLE_EQ(3.0, result.beg);
    EXPECT_DOUBLE_EQ(4.75, result.end);
    EXPECT_NEAR(5.75, Complete(&zones), kTol);
    ExpectWellFormed(zones);

    struct Want {
        QVProviderID id;
        double srcBeg;
        double srcEnd;
        double scale;
        double localBeg;
    };
    Want const want[] = {
        {1, 0.0, 2.0, 1.0, 0.0},      {2, 10.0, 11.0, 1.0, 2.0},     // the track up to 3
        {2, 10.0, 11.0, -0.5, 3.0},   {1, 1.0, 2.0, -0.5, 3.5},      // copy 1, 1 s backwards
        {1, 1.0, 2.0, 0.25, 4.0},     {2, 10.0, 11.0, 0.25, 4.25},   // copy 2, 0.5 s
        {2, 10.0, 11.0, -0.125, 4.5}, {1, 1.0, 2.0, -0.125, 4.625},  // copy 3, 0.25 s backwards
        {2, 11.0, 12.0, 1.0, 4.75},                                  // the rest of the track
    };
    ASSERT_EQ(std::size(want), zones.Count());
    for (unsigned int i = 0; i < zones.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(want[i].id, zones[i].GetProviderID());
        EXPECT_NEAR(want[i].srcBeg, zones[i].GetSourceTimeIntv().beg, kTol);
        EXPECT_NEAR(want[i].srcEnd, zones[i].GetSourceTimeIntv().end, kTol);
        EXPECT_DOUBLE_EQ(want[i].scale, zones[i].GetScale());
        EXPECT_NEAR(want[i].localBeg, zones[i].GetLocalTimeIntv().beg, kTol);
    }
}

TEST(QVTrackZxperTransformTests, RepeatAtTheEndAndBeyondWithExtension)
{
    // Three plain copies of the last second.
    QVTrackZoneArray zones = TwoZones();
    QVTrackParamZxperRepeat param;
    param.repeatCount = 3;
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperRepeat(&zones, {3.0, 4.0}, param, false, &result));
    EXPECT_DOUBLE_EQ(4.0, result.beg);
    EXPECT_DOUBLE_EQ(7.0, result.end);
    EXPECT_NEAR(7.0, Complete(&zones), kTol);
    ExpectWellFormed(zones);

    // A part reaching past the end repeats the silence that pads it.
    zones = TwoZones();
    param.repeatCount = 1;
    EXPECT_FALSE(QVTrackZxperRepeat(&zones, {3.0, 5.0}, param, false, &result));
    ASSERT_TRUE(QVTrackZxperRepeat(&zones, {3.0, 5.0}, param, true, &result));
    EXPECT_DOUBLE_EQ(5.0, result.beg);
    EXPECT_DOUBLE_EQ(7.0, result.end);
    EXPECT_NEAR(7.0, Complete(&zones), kTol);
    ExpectWellFormed(zones);
}

// --- Refusals ---

TEST(QVTrackZxperTransformTests, RefusalsLeaveTheZonesAndTheRangeAlone)
{
    QVTrackParamZxperScale const scale = ScaleParam(2.0, true, false);
    QVTrackParamZxperScale const unity = ScaleParam(1.0, true, false);
    QVTrackParamZxperRepeat repeat;
    QVTrackParamZxperRepeat noCopy;
    noCopy.repeatCount = 0;
    QVTrackParamZxperMingle mingle;
    QVTrackParamZxperMingle tiny;
    tiny.cutDurMin = 0.001;
    tiny.cutDurMax = 0.001;
    QVTrackParamZxperStretch stretch;

    struct Case {
        char const* what;
        QVTrackZoneArray zones;
        AKTimeIntv part;
        bool allowExtend;
        bool (*run)(QVTrackZoneArray*, AKTimeIntv, bool, AKTimeIntv*, void const*);
        void const* param;
    };
    auto scaleRun = [](QVTrackZoneArray* z, AKTimeIntv p, bool x, AKTimeIntv* r, void const* param) {
        return QVTrackZxperScale(z, p, *static_cast<QVTrackParamZxperScale const*>(param), x, r);
    };
    auto repeatRun = [](QVTrackZoneArray* z, AKTimeIntv p, bool x, AKTimeIntv* r, void const* param) {
        return QVTrackZxperRepeat(z, p, *static_cast<QVTrackParamZxperRepeat const*>(param), x, r);
    };
    auto mingleRun = [](QVTrackZoneArray* z, AKTimeIntv p, bool x, AKTimeIntv* r, void const* param) {
        QVTrackZxperRandom random(1);
        return QVTrackZxperMingle(z, p, *static_cast<QVTrackParamZxperMingle const*>(param), x, random, r);
    };
    auto stretchRun = [](QVTrackZoneArray* z, AKTimeIntv p, bool x, AKTimeIntv* r, void const* param) {
        return QVTrackZxperStretch(z, p, *static_cast<QVTrackParamZxperStretch const*>(param), x, r);
    };
    QVTrackZoneArray const longZone = MakeZones({{1, 0.0, 300.0, 1.0}});
    Case const cases[] = {
        {"scale by 1", TwoZones(), {1, 3}, false, scaleRun, &unity},
        {"scale empty part", TwoZones(), {3, 3}, false, scaleRun, &scale},
        {"scale reversed part", TwoZones(), {3, 1}, true, scaleRun, &scale},
        {"scale past the end", TwoZones(), {3, 5}, false, scaleRun, &scale},
        {"scale empty track", QVTrackZoneArray(), {0, 1}, true, scaleRun, &scale},
        {"repeat no copy", TwoZones(), {1, 3}, false, repeatRun, &noCopy},
        {"repeat before 0", TwoZones(), {-1, 1}, false, repeatRun, &repeat},
        {"mingle empty track", QVTrackZoneArray(), {0, 1}, true, mingleRun, &mingle},
        {"mingle past the end", TwoZones(), {3, 5}, false, mingleRun, &mingle},
        {"mingle before 0", TwoZones(), {-1, 1}, true, mingleRun, &mingle},
        {"mingle 11000 pieces", longZone, {0, 11}, false, mingleRun, &tiny},
        {"stretch empty part", TwoZones(), {2, 2}, false, stretchRun, &stretch},
        {"stretch 20020 windows", longZone, {0, 200}, false, stretchRun, &stretch},
    };
    LogCapture log;
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        log.Clear();
        QVTrackZoneArray zones = c.zones;
        AKTimeIntv result = {7.0, 8.0};
        EXPECT_FALSE(c.run(&zones, c.part, c.allowExtend, &result, c.param));
        EXPECT_EQ(kAKNullTimeIntv, result);
        EXPECT_TRUE(zones == c.zones);
        // A refusal is an ordinary outcome: nothing is logged.
        EXPECT_TRUE(log.Lines().empty());
    }

    // Just inside the limits the same long part goes through.
    QVTrackZoneArray zones = longZone;
    QVTrackZxperRandom random(1);
    EXPECT_TRUE(QVTrackZxperMingle(&zones, {0.0, 10.0}, tiny, false, random, nullptr));
    zones = longZone;
    EXPECT_TRUE(QVTrackZxperStretch(&zones, {0.0, 199.79}, stretch, false, nullptr));
}

// --- Mingle ---

struct MingleRun {
    QVTrackZoneArray zones;
    AKTimeIntv result;
    double end;
};

MingleRun RunMingle(QVTrackZoneArray zones, AKTimeIntv part, QVTrackParamZxperMingle const& param, unsigned int seed)
{
    QVTrackZxperRandom random(seed);
    MingleRun run;
    EXPECT_TRUE(QVTrackZxperMingle(&zones, part, param, false, random, &run.result));
    run.end = Complete(&zones);
    run.zones = zones;
    return run;
}

TEST(QVTrackZxperTransformTests, MingleWithFixedScaleKeepsDurationAndSound)
{
    QVTrackParamZxperMingle param;
    param.jumpMax = 5;
    QVTrackZoneArray const before = MixedZones();
    AKTimeIntv const part = {0.5, 5.25};
    MingleRun const run = RunMingle(before, part, param, 42);
    ExpectWellFormed(run.zones);
    EXPECT_DOUBLE_EQ(part.beg, run.result.beg);
    EXPECT_NEAR(part.end, run.result.end, 1e-9);
    EXPECT_NEAR(5.5, run.end, 1e-9);
    ExpectSameSourceSeconds(run.zones, before);

    // Outside the part nothing moved: [0, 0.5] and [5.25, 5.5] are the
    // halves of the first and last zones.
    EXPECT_NEAR(0.5, run.zones[0].GetLocalDuration(), kTol);
    EXPECT_EQ(1u, run.zones[0].GetProviderID());
    QVTrackZone const& tail = run.zones[run.zones.Count() - 1];
    EXPECT_EQ(4u, tail.GetProviderID());
    EXPECT_NEAR(5.25, tail.GetSourceTimeIntv().beg, kTol);

    // Sound pieces keep their zone's scale and last at least cutDurMin and
    // less than cutDurMin + cutDurMax (the rest of a zone).
    for (QVTrackZone const& zone : ZonesBetween(run.zones, part.beg, part.end)) {
        if (zone.IsSilence())
            continue;
        EXPECT_GE(zone.GetLocalDuration(), param.cutDurMin - kTol);
        EXPECT_LT(zone.GetLocalDuration(), param.cutDurMin + param.cutDurMax);
        double const want = zone.GetProviderID() == 2 ? -1.0 : zone.GetProviderID() == 3 ? 2.0 : 1.0;
        EXPECT_EQ(want, zone.GetScale());
    }
}

TEST(QVTrackZxperTransformTests, MingleWithoutJumpsKeepsThePiecesInOrder)
{
    QVTrackParamZxperMingle param;
    param.jumpMax = 0;
    MingleRun const run = RunMingle(MakeZones({{1, 0.0, 3.0, 1.0}}), {0.0, 3.0}, param, 5);
    ASSERT_GT(run.zones.Count(), 10u);
    for (unsigned int i = 1; i < run.zones.Count(); ++i)
        EXPECT_NEAR(run.zones[i - 1].GetSourceTimeIntv().end, run.zones[i].GetSourceTimeIntv().beg, kTol) << i;

    // With jumps some pieces change place, never the last.
    param.jumpMax = 3;
    MingleRun const shuffled = RunMingle(MakeZones({{1, 0.0, 3.0, 1.0}}), {0.0, 3.0}, param, 5);
    bool moved = false;
    for (unsigned int i = 1; i < shuffled.zones.Count(); ++i)
        moved |=
            std::fabs(shuffled.zones[i - 1].GetSourceTimeIntv().end - shuffled.zones[i].GetSourceTimeIntv().beg) > kTol;
    EXPECT_TRUE(moved);
    for (unsigned int seed = 1; seed <= 40; ++seed) {
        QVTrackZoneArray const few = RunMingle(MakeZones({{1, 0.0, 0.6, 1.0}}), {0.0, 0.6}, param, seed).zones;
        EXPECT_NEAR(0.6, few[few.Count() - 1].GetSourceTimeIntv().end, kTol) << "seed " << seed;
    }
}

TEST(QVTrackZxperTransformTests, MingleScaleModesRescaleAndReverseThePieces)
{
    struct Case {
        uint32_t mode;
        bool allReversed;
        bool someReversed;
    };
    Case const cases[] = {{1, false, false}, {2, false, true}, {3, true, true}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.mode);
        QVTrackParamZxperMingle param;
        param.scaleMode = c.mode;
        QVTrackZoneArray const before = MakeZones({{1, 0.0, 4.0, 1.0}});
        MingleRun const run = RunMingle(before, {0.0, 4.0}, param, 11);
        ExpectWellFormed(run.zones);
        ExpectSameSourceSeconds(run.zones, before);
        EXPECT_NEAR(run.result.end, run.end, 1e-9);
        int reversed = 0;
        for (QVTrackZone const& zone : run.zones) {
            EXPECT_GE(std::fabs(zone.GetScale()), 0.8);
            EXPECT_LE(std::fabs(zone.GetScale()), 1.25);
            reversed += zone.IsReversed();
        }
        if (c.allReversed) {
            EXPECT_EQ(static_cast<int>(run.zones.Count()), reversed);
        }
        EXPECT_EQ(c.someReversed, reversed > 0);
    }
}

TEST(QVTrackZxperTransformTests, MingleKeepsAZoneShorterThanTwoPiecesWhole)
{
    QVTrackParamZxperMingle param;
    param.cutDurMin = 0.05;
    QVTrackZoneArray const before = MakeZones({{1, 2.0, 2.08, 1.0}});
    MingleRun const run = RunMingle(before, {0.0, 0.08}, param, 3);
    ASSERT_EQ(1u, run.zones.Count());
    EXPECT_NEAR(2.0, run.zones[0].GetSourceTimeIntv().beg, kTol);
    EXPECT_NEAR(2.08, run.zones[0].GetSourceTimeIntv().end, kTol);
}

TEST(QVTrackZxperTransformTests, MingleRepeatsUnderTheSameSeed)
{
    QVTrackParamZxperMingle param;
    param.scaleMode = 2;
    param.distrib = 1;
    MingleRun const a = RunMingle(MixedZones(), {0.25, 5.0}, param, 2024);
    MingleRun const b = RunMingle(MixedZones(), {0.25, 5.0}, param, 2024);
    MingleRun const c = RunMingle(MixedZones(), {0.25, 5.0}, param, 2025);
    EXPECT_TRUE(a.zones == b.zones);
    EXPECT_EQ(a.result, b.result);
    EXPECT_FALSE(a.zones == c.zones);
}

// --- Stretch-Test ---

TEST(QVTrackZxperTransformTests, StretchBuildsWindowsFromEachSoundZone)
{
    QVTrackParamZxperStretch param;  // windows of 0.05 s every 0.01 s
    QVTrackZoneArray zones =
        MakeZones({{1, 0.0, 1.0, 1.0}, {0, 0.0, 0.5, 1.0}, {2, 4.0, 5.0, -1.0}, {3, 0.0, 0.04, 1.0}});
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperStretch(&zones, {0.0, zones.GetEndTime()}, param, false, &result));
    // 95 windows from each 1 s zone, the silence and the zone shorter than a window as they were.
    double const want = 95 * 0.05 + 0.5 + 95 * 0.05 + 0.04;
    EXPECT_EQ(0.0, result.beg);
    EXPECT_NEAR(want, result.end, 1e-9);
    EXPECT_NEAR(want, Complete(&zones), 1e-9);
    ExpectWellFormed(zones);
    ASSERT_EQ(95u + 1u + 95u + 1u, zones.Count());
    for (unsigned int j = 0; j < 95; ++j) {
        SCOPED_TRACE(j);
        // Forward windows start every step from the source's begin ...
        EXPECT_NEAR(0.01 * j, zones[j].GetSourceTimeIntv().beg, 1e-9);
        EXPECT_NEAR(0.01 * j + 0.05, zones[j].GetSourceTimeIntv().end, 1e-9);
        // ... backward ones every step down from its end.
        QVTrackZone const& back = zones[96 + j];
        EXPECT_EQ(-1.0, back.GetScale());
        EXPECT_NEAR(5.0 - 0.01 * j, back.GetSourceTimeIntv().end, 1e-9);
        EXPECT_NEAR(4.95 - 0.01 * j, back.GetSourceTimeIntv().beg, 1e-9);
    }
    EXPECT_TRUE(zones[95].IsSilence());
    EXPECT_EQ(3u, zones[191].GetProviderID());
}

// A zone of D seconds gives floor((D - windowDur) / windowStep + 0.5)
// windows, the last one ending before the zone does; none leaves it whole.
TEST(QVTrackZxperTransformTests, StretchWindowCountRoundsToTheNearest)
{
    struct Case {
        double duration;
        double windowDur;
        double windowStep;
        unsigned int windows;  // 0: the zone stays whole
    };
    Case const cases[] = {
        {1.0, 0.05, 0.02, 48},  // 47.5 rounds up
        {0.3, 0.05, 0.1, 3},    // 2.5 rounds up
        {0.06, 0.05, 0.01, 1}, {0.05, 0.05, 0.01, 0}, {0.04, 0.05, 0.01, 0}, {2.0, 1.0, 1.0, 1},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.duration << " by " << c.windowDur << " every " << c.windowStep);
        QVTrackParamZxperStretch param;
        param.windowDur = c.windowDur;
        param.windowStep = c.windowStep;
        QVTrackZoneArray zones = MakeZones({{1, 0.0, c.duration, 1.0}});
        AKTimeIntv result;
        ASSERT_TRUE(QVTrackZxperStretch(&zones, {0.0, zones.GetEndTime()}, param, false, &result));
        double const want = c.windows == 0 ? c.duration : c.windows * c.windowDur;
        EXPECT_NEAR(want, result.end, 1e-9);
        EXPECT_NEAR(want, Complete(&zones), 1e-9);
        EXPECT_EQ(c.windows == 0 ? 1u : c.windows, zones.Count());
        QVTrackZone const& last = zones[zones.Count() - 1];
        EXPECT_LE(last.GetSourceTimeIntv().end, c.duration + 1e-12);
    }
}

TEST(QVTrackZxperTransformTests, StretchOfAPartInsideAZone)
{
    QVTrackParamZxperStretch param;
    param.windowDur = 0.1;
    param.windowStep = 0.05;
    QVTrackZoneArray zones = TwoZones();
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperStretch(&zones, {1.5, 2.5}, param, false, &result));
    // Each half second gives floor(0.4 / 0.05 + 0.5) = 8 windows of 0.1 s.
    EXPECT_DOUBLE_EQ(1.5, result.beg);
    EXPECT_NEAR(3.1, result.end, 1e-9);
    EXPECT_NEAR(4.6, Complete(&zones), 1e-9);
    ExpectWellFormed(zones);
    EXPECT_EQ(1u + 8u + 8u + 1u, zones.Count());
    EXPECT_NEAR(1.5, zones[1].GetSourceTimeIntv().beg, 1e-9);
    EXPECT_NEAR(10.0, zones[9].GetSourceTimeIntv().beg, 1e-9);
    EXPECT_NEAR(10.5, zones[17].GetSourceTimeIntv().beg, 1e-9);
}

// With the extension the part may reach past the track, which the silence
// padding it lengthens; the silence itself is neither cut nor windowed.
TEST(QVTrackZxperTransformTests, MingleAndStretchReachPastTheEndWithExtension)
{
    QVTrackParamZxperMingle mingle;
    QVTrackZoneArray zones = TwoZones();
    QVTrackZxperRandom random(8);
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperMingle(&zones, {3.0, 5.0}, mingle, true, random, &result));
    EXPECT_DOUBLE_EQ(3.0, result.beg);
    EXPECT_NEAR(5.0, result.end, 1e-9);
    EXPECT_NEAR(5.0, Complete(&zones), 1e-9);
    ExpectWellFormed(zones);
    EXPECT_TRUE(zones[zones.Count() - 1].IsSilence());

    QVTrackParamZxperStretch stretch;
    stretch.windowDur = 0.1;
    stretch.windowStep = 0.05;
    zones = TwoZones();
    ASSERT_TRUE(QVTrackZxperStretch(&zones, {3.5, 6.0}, stretch, true, &result));
    // 8 windows of 0.1 s from the last half second, then 2 s of silence.
    EXPECT_NEAR(3.5 + 0.8 + 2.0, result.end, 1e-9);
    EXPECT_NEAR(result.end, Complete(&zones), 1e-9);
    ExpectWellFormed(zones);
    EXPECT_TRUE(zones[zones.Count() - 1].IsSilence());
    EXPECT_NEAR(2.0, zones[zones.Count() - 1].GetLocalDuration(), 1e-9);
}

// Random tracks, parts and parameters: after every transform the zones are
// well formed and the track's length changed by exactly what the reported
// range says.
TEST(QVTrackZxperTransformTests, RandomTransformsKeepTheLayoutAndTheirRange)
{
    QVTrackZxperRandom draw(77);
    auto pick = [&draw](int count) { return std::min(count - 1, static_cast<int>(draw.Uniform(0.0, count))); };
    double const scales[] = {-2.0, -1.0, -0.5, 0.5, 1.0, 2.0};
    for (int run = 0; run < 300; ++run) {
        SCOPED_TRACE(run);
        QVTrackZoneArray zones;
        int const zoneCount = 1 + pick(8);
        for (int i = 0; i < zoneCount; ++i) {
            double const duration = draw.Uniform(0.01, 3.0);
            QVTrackZone zone = pick(5) == 0 ? QVTrackZone::MakeSilence(duration)
                                            : QVTrackZone::Make(1 + pick(5), draw.Uniform(0.0, 10.0), duration);
            if (!zone.IsSilence())
                zone.SetScale(scales[pick(6)]);
            zones.Push(zone);
        }
        double const before = Complete(&zones);
        double const b = draw.Uniform(0.0, before - 0.01);
        AKTimeIntv const part = {b, draw.Uniform(b + 0.01, before)};

        AKTimeIntv result;
        double added = 0.0;  // what the track gains
        switch (pick(4)) {
        case 0: {
            QVTrackParamZxperScale param = ScaleParam(draw.Uniform(0.1, 10.0), pick(2) == 0, pick(2) == 0);
            if (!param.CanApply())
                continue;
            ASSERT_TRUE(QVTrackZxperScale(&zones, part, param, false, &result));
            added = (result.end - result.beg) - (part.end - part.beg);
            break;
        }
        case 1: {
            QVTrackParamZxperRepeat param;
            param.absCoeff = draw.Uniform(1.0, 3.0);
            param.expanded = pick(2) == 0;
            param.reversed = pick(2) == 0;
            param.repeatCount = 1 + pick(4);
            ASSERT_TRUE(QVTrackZxperRepeat(&zones, part, param, false, &result));
            EXPECT_NEAR(part.end, result.beg, 1e-12);
            added = result.end - result.beg;
            break;
        }
        case 2: {
            QVTrackParamZxperMingle param;
            param.distrib = pick(5);
            param.scaleMode = pick(4);
            param.jumpMax = pick(10);
            param.cutDurMin = draw.Uniform(0.01, 0.3);
            param.cutDurMax = draw.Uniform(0.01, 0.3);
            param.Check();
            ASSERT_TRUE(QVTrackZxperMingle(&zones, part, param, false, draw, &result));
            added = (result.end - result.beg) - (part.end - part.beg);
            break;
        }
        default: {
            QVTrackParamZxperStretch param;
            param.windowDur = draw.Uniform(0.01, 0.3);
            param.windowStep = draw.Uniform(0.01, 0.3);
            ASSERT_TRUE(QVTrackZxperStretch(&zones, part, param, false, &result));
            added = (result.end - result.beg) - (part.end - part.beg);
            break;
        }
        }
        double const after = Complete(&zones);
        ExpectWellFormed(zones);
        // Bounds within 1e-4 s of a zone boundary snap to it, and the full
        // pass drops the slivers below 1e-4 s.
        EXPECT_NEAR(before + added, after, 1e-3);
    }
}

// --- Options ---

// The options the command carries reach each transform.
TEST(QVTrackZxperTransformTests, TransformsReadTheirOptions)
{
    AKDictionary options;
    QVTrackParamZxperScale scale = ScaleParam(2.0, true, false);
    scale.repeatCount = 2;
    scale.WriteToDictionary(&options);
    QVTrackParamZxperStretch stretch;
    stretch.windowDur = 0.1;
    stretch.windowStep = 0.05;
    stretch.WriteToDictionary(&options);

    QVTrackZoneArray zones = TwoZones();
    AKTimeIntv result;
    ASSERT_TRUE(QVTrackZxperScale(&zones, {1.0, 3.0}, options, false, &result));
    EXPECT_DOUBLE_EQ(5.0, result.end);

    zones = TwoZones();
    ASSERT_TRUE(QVTrackZxperRepeat(&zones, {1.0, 2.0}, options, false, &result));
    EXPECT_DOUBLE_EQ(2.0, result.beg);
    EXPECT_DOUBLE_EQ(8.0, result.end);  // copies of 2 and 4 s

    zones = TwoZones();
    ASSERT_TRUE(QVTrackZxperStretch(&zones, {1.5, 2.5}, options, false, &result));
    EXPECT_NEAR(3.1, result.end, 1e-9);

    // Without a "ZxperMingle" record the defaults cut the part.
    zones = TwoZones();
    ASSERT_TRUE(QVTrackZxperMingle(&zones, {0.0, 4.0}, options, false, &result));
    EXPECT_NEAR(4.0, result.end, 1e-9);
    EXPECT_GT(zones.Count(), 10u);

    // The options of a scale by 1 leave nothing to do.
    AKDictionary unity;
    ScaleParam(1.0, true, false).WriteToDictionary(&unity);
    zones = TwoZones();
    LogCapture log;
    EXPECT_FALSE(QVTrackZxperScale(&zones, {1.0, 3.0}, unity, false, &result));
    EXPECT_TRUE(log.Lines().empty());
}

}  // namespace
