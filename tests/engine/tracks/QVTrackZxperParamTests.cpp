// Parameter records of the experimental transforms: defaults, clamps,
// reading from and writing to the options dictionary, and the random draws
// of the Mingle pieces.

#include "AKValueTyped.h"
#include "QVTrackZxperParamMingle.h"
#include "QVTrackZxperParamScale.h"
#include "QVTrackZxperParamStretch.h"
#include "QVTrackZxperRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

AKDictionary OptionsWith(char const* recordKey, AKDictionary const& record)
{
    AKDictionary options;
    options.SetValue(recordKey, AKValueSetasAKDictionary(record));
    return options;
}

TEST(QVTrackZxperParamTests, DefaultsWhenTheOptionsHoldNoRecord)
{
    AKDictionary empty;
    AKDictionary emptyRecords = OptionsWith("ZxperScale", AKDictionary());
    for (AKDictionary const* options : {&empty, &emptyRecords}) {
        QVTrackParamZxperScale scale;
        scale.absCoeff = 3.0;
        scale.expanded = false;
        scale.reversed = true;
        scale.repeatCount = 7;
        scale.SetupFromDictionary(*options);
        EXPECT_EQ(1.0, scale.absCoeff);
        EXPECT_TRUE(scale.expanded);
        EXPECT_FALSE(scale.reversed);
        EXPECT_EQ(1u, scale.repeatCount);
        EXPECT_EQ(1.0, scale.GetSignedCoeff());
    }

    QVTrackParamZxperMingle mingle;
    mingle.jumpMax = 40;
    mingle.SetupFromDictionary(empty);
    EXPECT_EQ(2u, mingle.distrib);
    EXPECT_EQ(0u, mingle.scaleMode);
    EXPECT_EQ(3u, mingle.jumpMax);
    EXPECT_EQ(0.05, mingle.cutDurMin);
    EXPECT_EQ(0.2, mingle.cutDurMax);
    EXPECT_EQ(0.8, mingle.scaleCoeffMin);
    EXPECT_EQ(1.25, mingle.scaleCoeffMax);

    QVTrackParamZxperStretch stretch;
    stretch.windowDur = 0.5;
    stretch.SetupFromDictionary(empty);
    EXPECT_EQ(0.05, stretch.windowDur);
    EXPECT_EQ(0.01, stretch.windowStep);
}

TEST(QVTrackZxperParamTests, ScaleRecordClampsItsFields)
{
    struct Case {
        double absCoeff;
        bool expanded;
        uint32_t repeatCount;
        double wantCoeff;
        uint32_t wantCount;
    };
    Case const cases[] = {
        {2.0, true, 5, 2.0, 5},         {-2.0, true, 5, 2.0, 5},        {0.05, true, 1, 0.1, 1},
        {0.5, true, 1, 0.5, 1},         {0.5, false, 1, 1.0, 1},        {20.0, false, 1, 10.0, 1},
        {-20.0, true, 1, 10.0, 1},      {kNaN, true, 1, 1.0, 1},        {2.0, true, 0, 2.0, 1},
        {2.0, true, 10000, 2.0, 10000}, {2.0, true, 10001, 2.0, 10000}, {2.0, true, UINT32_MAX, 2.0, 10000},
        {HUGE_VAL, false, 3, 10.0, 3},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.absCoeff << (c.expanded ? " expanded " : " shrunk ") << c.repeatCount);
        QVTrackParamZxperScaleBase param;
        param.absCoeff = c.absCoeff;
        param.expanded = c.expanded;
        param.repeatCount = c.repeatCount;
        param.Check();
        EXPECT_EQ(c.wantCoeff, param.absCoeff);
        EXPECT_EQ(c.wantCount, param.repeatCount);
    }
}

TEST(QVTrackZxperParamTests, ScaleRecordReadsOnlyTheKindsItStores)
{
    AKDictionary record;
    record.SetValue("AbsCoeff", AKValueSetasFloat64(-4.0));
    record.SetValue("Expanded", AKValueSetasBool(false));
    record.SetValue("Reversed", AKValueSetasBool(true));
    record.SetValue("RepeatCount", AKValueSetasUInt(12));
    QVTrackParamZxperRepeat repeat;
    repeat.SetupFromDictionary(OptionsWith("ZxperScale", record));
    EXPECT_EQ(4.0, repeat.absCoeff);
    EXPECT_FALSE(repeat.expanded);
    EXPECT_TRUE(repeat.reversed);
    EXPECT_EQ(12u, repeat.repeatCount);
    EXPECT_EQ(-0.25, repeat.GetSignedCoeff());

    // No conversions: an integer coefficient and a textual flag are ignored.
    AKDictionary mistyped;
    mistyped.SetValue("AbsCoeff", AKValueSetasSInt(3));
    mistyped.SetValue("Expanded", AKValueSetasAKString(AKString("false")));
    mistyped.SetValue("RepeatCount", AKValueSetasFloat64(5.0));
    repeat.SetupFromDictionary(OptionsWith("ZxperScale", mistyped));
    EXPECT_EQ(1.0, repeat.absCoeff);
    EXPECT_TRUE(repeat.expanded);
    EXPECT_EQ(1u, repeat.repeatCount);

    // A count beyond 32 bits is the largest count, not its low bits.
    AKDictionary huge;
    huge.SetValue("RepeatCount", AKValueSetasUInt((1ull << 32) + 5));
    repeat.SetupFromDictionary(OptionsWith("ZxperScale", huge));
    EXPECT_EQ(10000u, repeat.repeatCount);
}

TEST(QVTrackZxperParamTests, RecordsReadBackWhatTheyWrite)
{
    AKDictionary options;
    QVTrackParamZxperScale scale;
    scale.absCoeff = 2.5;
    scale.expanded = false;
    scale.reversed = true;
    scale.repeatCount = 9;
    scale.WriteToDictionary(&options);
    QVTrackParamZxperMingle mingle;
    mingle.distrib = 4;
    mingle.scaleMode = 2;
    mingle.jumpMax = 0;
    mingle.cutDurMin = 0.01;
    mingle.cutDurMax = 2.0;
    mingle.scaleCoeffMin = 0.5;
    mingle.scaleCoeffMax = 4.0;
    mingle.WriteToDictionary(&options);
    QVTrackParamZxperStretch stretch;
    stretch.windowDur = 0.2;
    stretch.windowStep = 0.04;
    stretch.WriteToDictionary(&options);

    EXPECT_EQ(4u, AKValueGetasAKDictionary(options.GetValue("ZxperScale")).Count());
    EXPECT_EQ(7u, AKValueGetasAKDictionary(options.GetValue("ZxperMingle")).Count());
    EXPECT_EQ(2u, AKValueGetasAKDictionary(options.GetValue("ZxperStretch")).Count());

    QVTrackParamZxperScale scaleBack;
    scaleBack.SetupFromDictionary(options);
    EXPECT_EQ(2.5, scaleBack.absCoeff);
    EXPECT_FALSE(scaleBack.expanded);
    EXPECT_TRUE(scaleBack.reversed);
    EXPECT_EQ(9u, scaleBack.repeatCount);
    QVTrackParamZxperMingle mingleBack;
    mingleBack.SetupFromDictionary(options);
    EXPECT_EQ(4u, mingleBack.distrib);
    EXPECT_EQ(2u, mingleBack.scaleMode);
    EXPECT_EQ(0u, mingleBack.jumpMax);
    EXPECT_EQ(0.01, mingleBack.cutDurMin);
    EXPECT_EQ(2.0, mingleBack.cutDurMax);
    EXPECT_EQ(0.5, mingleBack.scaleCoeffMin);
    EXPECT_EQ(4.0, mingleBack.scaleCoeffMax);
    QVTrackParamZxperStretch stretchBack;
    stretchBack.SetupFromDictionary(options);
    EXPECT_EQ(0.2, stretchBack.windowDur);
    EXPECT_EQ(0.04, stretchBack.windowStep);
}

TEST(QVTrackZxperParamTests, TransposeSetsDirectionAndCoefficient)
{
    struct Case {
        double semitones;
        double wantCoeff;
        bool wantExpanded;
    };
    Case const cases[] = {
        {12.0, 2.0, false},
        {-12.0, 2.0, true},
        {48.0, 10.0, false},
        {-48.0, 10.0, true},
        {0.0, 1.0, true},
        {24.0, 4.0, false},
        {7.0, std::pow(2.0, 7.0 / 12.0), false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.semitones);
        QVTrackParamZxperScale param;
        param.repeatCount = 0;
        param.WantTranspose(c.semitones);
        EXPECT_DOUBLE_EQ(c.wantCoeff, param.absCoeff);
        EXPECT_EQ(c.wantExpanded, param.expanded);
        EXPECT_EQ(1u, param.repeatCount);
    }
    // Up an octave: the part becomes half as long.
    QVTrackParamZxperScale up;
    up.WantTranspose(12.0);
    EXPECT_DOUBLE_EQ(0.5, up.GetSignedCoeff());
}

TEST(QVTrackZxperParamTests, WantedResultDurationSetsTheCoefficient)
{
    struct Case {
        double wanted;
        double current;
        double wantCoeff;
        bool wantExpanded;
    };
    Case const cases[] = {
        {3.0, 2.0, 1.5, true},     {1.0, 2.0, 2.0, false},  {2.0, 2.0, 1.0, true},  {100.0, 1.0, 10.0, true},
        {1.0, 100.0, 10.0, false}, {0.0, 2.0, 10.0, false}, {1.0, 0.0, 10.0, true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wanted << " from " << c.current);
        QVTrackParamZxperScale param;
        param.WantResultDur(c.wanted, c.current);
        EXPECT_DOUBLE_EQ(c.wantCoeff, param.absCoeff);
        EXPECT_EQ(c.wantExpanded, param.expanded);
    }
}

TEST(QVTrackZxperParamTests, CanApplyAndRepeatDuration)
{
    QVTrackParamZxperScale scale;
    EXPECT_FALSE(scale.CanApply());
    scale.reversed = true;
    EXPECT_TRUE(scale.CanApply());
    scale.reversed = false;
    scale.absCoeff = 1.0 + 1e-7;
    EXPECT_FALSE(scale.CanApply());
    scale.absCoeff = 1.5;
    EXPECT_TRUE(scale.CanApply());

    QVTrackParamZxperRepeat repeat;
    EXPECT_TRUE(repeat.CanApply());
    repeat.repeatCount = 0;
    EXPECT_FALSE(repeat.CanApply());

    struct Case {
        double absCoeff;
        bool expanded;
        bool reversed;
        uint32_t count;
        double duration;
        double want;
    };
    Case const cases[] = {
        {2.0, false, false, 3, 2.0, 1.75},  // 2 x (0.5 + 0.25 + 0.125)
        {2.0, false, true, 3, 2.0, 1.75},   // reversing changes no duration
        {1.0, true, false, 3, 2.0, 6.0},    // a coefficient of 1 repeats the part as it is
        {2.0, true, false, 1, 2.0, 4.0},   {2.0, true, false, 2, 1.0, 6.0}, {2.0, true, false, 0, 1.0, 0.0},
    };
    for (Case const& c : cases) {
        QVTrackParamZxperRepeat param;
        param.absCoeff = c.absCoeff;
        param.expanded = c.expanded;
        param.reversed = c.reversed;
        param.repeatCount = c.count;
        EXPECT_DOUBLE_EQ(c.want, param.ResultDur(c.duration)) << c.absCoeff << " x" << c.count;
    }
}

TEST(QVTrackZxperParamTests, MingleRecordClampsWhatItReads)
{
    struct Case {
        char const* key;
        AKValue value;
        char const* field;
        double want;
    };
    Case const cases[] = {
        {"Distrib", AKValueSetasUInt(9), "distrib", 4},
        {"ScaleMode", AKValueSetasUInt(7), "scaleMode", 3},
        {"JumpMax", AKValueSetasUInt(500), "jumpMax", 99},
        {"JumpMax", AKValueSetasUInt(0), "jumpMax", 0},
        {"CutDurMin", AKValueSetasFloat64(-0.0001), "cutDurMin", 0.001},
        {"CutDurMin", AKValueSetasFloat64(-0.1), "cutDurMin", 0.1},
        {"CutDurMax", AKValueSetasFloat64(1000.0), "cutDurMax", 100.0},
        {"CutDurMax", AKValueSetasFloat64(kNaN), "cutDurMax", 0.2},
        {"ScaleCoeffMin", AKValueSetasFloat64(0.01), "scaleCoeffMin", 0.1},
        {"ScaleCoeffMax", AKValueSetasFloat64(-20.0), "scaleCoeffMax", 10.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.key);
        AKDictionary record;
        record.SetValue(c.key, c.value);
        QVTrackParamZxperMingle param;
        param.SetupFromDictionary(OptionsWith("ZxperMingle", record));
        std::string const field = c.field;
        double const got = field == "distrib"         ? param.distrib
                           : field == "scaleMode"     ? param.scaleMode
                           : field == "jumpMax"       ? param.jumpMax
                           : field == "cutDurMin"     ? param.cutDurMin
                           : field == "cutDurMax"     ? param.cutDurMax
                           : field == "scaleCoeffMin" ? param.scaleCoeffMin
                                                      : param.scaleCoeffMax;
        EXPECT_EQ(c.want, got);
    }

    // A minimum above its maximum changes place with it.
    AKDictionary record;
    record.SetValue("CutDurMin", AKValueSetasFloat64(0.3));
    record.SetValue("CutDurMax", AKValueSetasFloat64(0.1));
    record.SetValue("ScaleCoeffMin", AKValueSetasFloat64(5.0));
    record.SetValue("ScaleCoeffMax", AKValueSetasFloat64(2.0));
    QVTrackParamZxperMingle param;
    param.SetupFromDictionary(OptionsWith("ZxperMingle", record));
    EXPECT_EQ(0.1, param.cutDurMin);
    EXPECT_EQ(0.3, param.cutDurMax);
    EXPECT_EQ(2.0, param.scaleCoeffMin);
    EXPECT_EQ(5.0, param.scaleCoeffMax);
}

TEST(QVTrackZxperParamTests, StretchRecordClampsWhatItReads)
{
    struct Case {
        double dur;
        double step;
        double wantDur;
        double wantStep;
    };
    Case const cases[] = {
        {0.001, 5.0, 0.01, 1.0},
        {-0.5, 0.02, 0.5, 0.02},
        {kNaN, kNaN, 0.05, 0.01},
        {1.0, 0.01, 1.0, 0.01},
    };
    for (Case const& c : cases) {
        AKDictionary record;
        record.SetValue("WindowDur", AKValueSetasFloat64(c.dur));
        record.SetValue("WindowStep", AKValueSetasFloat64(c.step));
        QVTrackParamZxperStretch param;
        param.SetupFromDictionary(OptionsWith("ZxperStretch", record));
        EXPECT_EQ(c.wantDur, param.windowDur) << c.dur;
        EXPECT_EQ(c.wantStep, param.windowStep) << c.step;
    }
}

TEST(QVTrackZxperParamTests, NamesAndLabels)
{
    EXPECT_STREQ("Scale", QVTrackParamZxperScale::Name());
    EXPECT_STREQ("Repeat", QVTrackParamZxperRepeat::Name());
    EXPECT_STREQ("Mingle", QVTrackParamZxperMingle::Name());
    EXPECT_STREQ("Stretch-Test", QVTrackParamZxperStretch::Name());
    EXPECT_STREQ("More Littlest", QVTrackParamZxperMingle::DistribLabel(0));
    EXPECT_STREQ("More Biggest", QVTrackParamZxperMingle::DistribLabel(4));
    EXPECT_EQ(nullptr, QVTrackParamZxperMingle::DistribLabel(5));
    EXPECT_STREQ("All Reversed", QVTrackParamZxperMingle::ScaleModeLabel(3));
    EXPECT_EQ(nullptr, QVTrackParamZxperMingle::ScaleModeLabel(4));
}

// The mean of many drawn durations matches the average the piece count is
// estimated from, for every distribution.
TEST(QVTrackZxperParamTests, PieceDurationsFollowTheirDistribution)
{
    for (uint32_t distrib = 0; distrib <= 4; ++distrib) {
        SCOPED_TRACE(distrib);
        QVTrackParamZxperMingle param;
        param.distrib = distrib;
        param.cutDurMin = 0.1;
        param.cutDurMax = 0.5;
        QVTrackZxperRandom random(1234 + distrib);
        double sum = 0.0;
        int const draws = 20000;
        for (int i = 0; i < draws; ++i) {
            double const d = param.GeneratePieceRandomDuration(random);
            ASSERT_GE(d, 0.1);
            ASSERT_LE(d, 0.5);
            sum += d;
        }
        double const average = param.EvaluatePieceAverageDuration();
        EXPECT_NEAR(average, sum / draws, 0.005);
        EXPECT_EQ(static_cast<uint32_t>(std::floor(10.0 / average + 0.5)), param.EvaluatePiecesCount(10.0));
    }
    QVTrackParamZxperMingle param;
    EXPECT_DOUBLE_EQ(0.125, param.EvaluatePieceAverageDuration());
    EXPECT_EQ(8u, param.EvaluatePiecesCount(1.0));
    EXPECT_EQ(0u, param.EvaluatePiecesCount(-1.0));
    EXPECT_EQ(0u, param.EvaluatePiecesCount(kNaN));
    EXPECT_EQ(UINT32_MAX, param.EvaluatePiecesCount(1e300));
}

TEST(QVTrackZxperParamTests, PieceCoefficientsFollowTheScaleMode)
{
    int const draws = 10000;
    for (uint32_t mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE(mode);
        QVTrackParamZxperMingle param;
        param.scaleMode = mode;
        QVTrackZxperRandom random(99);
        int reversed = 0;
        for (int i = 0; i < draws; ++i) {
            double const k = param.GeneratePieceRandomScaleCoeff(random);
            if (mode == 0) {
                ASSERT_EQ(1.0, k);
                continue;
            }
            ASSERT_GE(std::fabs(k), 0.8);
            ASSERT_LE(std::fabs(k), 1.25);
            reversed += k < 0.0;
        }
        double const share = static_cast<double>(reversed) / draws;
        double const want = mode == 2 ? 0.3 : mode == 3 ? 1.0 : 0.0;
        EXPECT_NEAR(want, share, 0.02);
    }
}

TEST(QVTrackZxperParamTests, SeededDrawsRepeat)
{
    QVTrackParamZxperMingle param;
    param.scaleMode = 2;
    QVTrackZxperRandom first(7);
    QVTrackZxperRandom second(7);
    QVTrackZxperRandom other(8);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        double const a = param.GeneratePieceRandomDuration(first);
        EXPECT_EQ(a, param.GeneratePieceRandomDuration(second));
        differs |= a != param.GeneratePieceRandomDuration(other);
        EXPECT_EQ(param.GeneratePieceRandomScaleCoeff(first), param.GeneratePieceRandomScaleCoeff(second));
        param.GeneratePieceRandomScaleCoeff(other);
    }
    EXPECT_TRUE(differs);

    // The unseeded generator draws from the shared one within the range too.
    QVTrackZxperRandom shared;
    for (int i = 0; i < 100; ++i) {
        double const u = shared.Uniform(-3.0, 2.0);
        EXPECT_GE(u, -3.0);
        EXPECT_LE(u, 2.0);
    }
}

}  // namespace
