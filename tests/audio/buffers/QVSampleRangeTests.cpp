#include "QVSampleMinimax.h"
#include "QVSampleRange.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

// The least a container needs for the range check: its channel and frame counts.
struct FakeContainer {
    unsigned int channels;
    unsigned long long frames;
    unsigned int ChannelCount() const { return channels; }
    unsigned long long FrameCount() const { return frames; }
};

// A container counted otherwise, measured through its own overload.
struct OddContainer {
    unsigned int blocks;
    unsigned long long allocatedFrames;
};

}  // namespace

bool QVSampleRangeCheck(char const* operation, char const* argument, QVSampleRange* range,
                        OddContainer const& container)
{
    return QVSampleRangeCheckCounts(operation, argument, range, container.blocks, container.allocatedFrames);
}

namespace {

void ExpectNullRange(QVSampleRange const& range)
{
    EXPECT_EQ(range.channel, 0);
    EXPECT_EQ(range.firstFrame, 0u);
    EXPECT_EQ(range.frameCount, 0u);
    EXPECT_FALSE(range.isNormalised);
}

}  // namespace

TEST(QVSampleRange, Constants)
{
    EXPECT_EQ(kQVSampleRangeAll.channel, -1);
    EXPECT_EQ(kQVSampleRangeAll.frameCount, 0xFFFFFFFFull);
    EXPECT_EQ(kQVSampleRangeAll.normIntv, kAKUnaryNormIntv);
    ExpectNullRange(kQVSampleRangeNull);
    EXPECT_EQ(kQVSampleRangeNull.normIntv, kAKUnaryNormIntv);
}

TEST(QVSampleRange, CheckTable)
{
    struct Case {
        char const* what;
        QVSampleRange range;
        FakeContainer container;
        bool passes;
        unsigned long long first;  // after the check, when it passes
        unsigned long long count;
    };
    Case const cases[] = {
        {"channel -2", QVSampleRangeMake(-2, 0, 1), {2, 100}, false, 0, 0},
        {"channel INT_MIN", QVSampleRangeMake(INT_MIN, 0, 1), {2, 100}, false, 0, 0},
        {"channel 3 of 2", QVSampleRangeMake(3, 0, 1), {2, 100}, false, 0, 0},
        {"channel 2 of 2", QVSampleRangeMake(2, 0, 1), {2, 100}, false, 0, 0},
        {"channel 1 of 2", QVSampleRangeMake(1, 0, 1), {2, 100}, true, 0, 1},
        {"all on empty", kQVSampleRangeAll, {0, 0}, true, 0, 0},
        {"all on 100", kQVSampleRangeAll, {2, 100}, true, 0, 100},
        {"10 to end", QVSampleRangeMake(-1, 10, kQVSampleRangeToEnd), {2, 100}, false, 0, 0},
        {"10 + 90", QVSampleRangeMake(-1, 10, 90), {2, 100}, true, 10, 90},
        {"10 + 91", QVSampleRangeMake(-1, 10, 91), {2, 100}, false, 0, 0},
        {"at the end, empty", QVSampleRangeMake(0, 100, 0), {2, 100}, true, 100, 0},
        {"past the end, empty", QVSampleRangeMake(0, 101, 0), {2, 100}, false, 0, 0},
        {"sum wraps around", QVSampleRangeMake(0, ~0ull, 2), {2, 100}, false, 0, 0},
        {"count wraps around", QVSampleRangeMake(0, 2, ~0ull), {2, 100}, false, 0, 0},
        {"{0.25, 0.5} of 10", QVSampleRangeMakeNorm(-1, {0.25, 0.5}), {1, 10}, true, 3, 2},
        {"{0, 1.00002}", QVSampleRangeMakeNorm(-1, {0.0, 1.00002}), {1, 10}, false, 0, 0},
        {"{-0.00001, 1} of 10", QVSampleRangeMakeNorm(-1, {-0.00001, 1.0}), {1, 10}, true, 0, 10},
        {"{0, 1.00001} of 10", QVSampleRangeMakeNorm(-1, {0.0, 1.00001}), {1, 10}, true, 0, 10},
        {"{0.5, 0.4}", QVSampleRangeMakeNorm(-1, {0.5, 0.4}), {1, 10}, false, 0, 0},
        {"norm on no frames", QVSampleRangeMakeNorm(0, {0.2, 0.7}), {1, 0}, true, 0, 0},
        {"norm, bad channel", QVSampleRangeMakeNorm(1, {0.0, 1.0}), {1, 10}, false, 0, 0},
    };
    for (Case const& c : cases) {
        QVSampleRange range = c.range;
        bool const passed = QVSampleRangeCheck("Test", "Des", &range, c.container);
        EXPECT_EQ(passed, c.passes) << c.what;
        if (passed && c.passes) {
            EXPECT_EQ(range.firstFrame, c.first) << c.what;
            EXPECT_EQ(range.frameCount, c.count) << c.what;
            EXPECT_EQ(range.isNormalised, c.range.isNormalised) << c.what;  // the flag stays
            EXPECT_EQ(range.channel, c.range.channel) << c.what;
        }
    }
    EXPECT_FALSE(QVSampleRangeCheck("Test", "Src", nullptr, FakeContainer{2, 100}));
}

TEST(QVSampleRange, ContainerWithItsOwnCounts)
{
    OddContainer const envelope{3, 64};
    QVSampleRange range = QVSampleRangeMake(2, 0, kQVSampleRangeToEnd);
    EXPECT_TRUE(QVSampleRangeCheck("Integrate", "Des", &range, envelope));
    EXPECT_EQ(range.frameCount, 64u);
    range = QVSampleRangeMake(3, 0, 1);
    EXPECT_FALSE(QVSampleRangeCheck("Integrate", "Des", &range, envelope));
}

TEST(QVSampleRange, SubIndexes)
{
    struct Case {
        AKNormIntv intv;
        unsigned long long frames;
        bool accepted;
        unsigned long long first;
        unsigned long long count;
    };
    double const nan = std::numeric_limits<double>::quiet_NaN();
    Case const cases[] = {
        {{0.25, 0.5}, 10, true, 3, 2},
        {{0.0, 1.0}, 10, true, 0, 10},
        {{0.5, 0.5}, 10, true, 5, 0},
        {{0.0, 1.0}, 0, true, 0, 0},
        {{0.9, 2.0}, 0, false, 0, 0},             // the interval is checked before the count
        {{-0.00001, 1.0}, 1000000, false, 0, 0},  // first rounds below 0
        {{0.0, 1.00001}, 1000000, false, 0, 0},   // last rounds past the end
        {{-0.1, 0.5}, 10, false, 0, 0},
        {{nan, 0.5}, 10, false, 0, 0},
        {{0.0, nan}, 10, false, 0, 0},
        {{0.0, 1.0}, ~0ull, false, 0, 0},  // no count that large can be formed
        {{0.5, 1.0}, 1ull << 40, true, 1ull << 39, 1ull << 39},
    };
    for (Case const& c : cases) {
        unsigned long long first = 77;
        unsigned long long count = 77;
        EXPECT_EQ(QVGetBufferSubIndexes(c.intv, c.frames, &first, &count), c.accepted)
            << c.intv.beg << " " << c.intv.end << " of " << c.frames;
        EXPECT_EQ(first, c.first) << c.intv.beg << " " << c.intv.end;  // 0 when refused
        EXPECT_EQ(count, c.count) << c.intv.beg << " " << c.intv.end;
    }
    EXPECT_TRUE(QVGetBufferSubIndexes({0.25, 0.5}, 10, nullptr, nullptr));
}

TEST(QVSampleRange, ResolveNormIntv)
{
    QVSampleRange range = QVSampleRangeMakeNorm(1, {0.25, 0.5});
    ASSERT_TRUE(range.ResolveNormIntv(10));
    EXPECT_FALSE(range.isNormalised);
    EXPECT_EQ(range.firstFrame, 3u);
    EXPECT_EQ(range.frameCount, 2u);
    EXPECT_EQ(range.channel, 1);

    QVSampleRange refused = QVSampleRangeMakeNorm(0, {0.0, 1.00002});
    refused.firstFrame = 5;
    refused.frameCount = 6;
    EXPECT_FALSE(refused.ResolveNormIntv(10));
    EXPECT_TRUE(refused.isNormalised);
    EXPECT_EQ(refused.firstFrame, 5u);
    EXPECT_EQ(refused.frameCount, 6u);

    QVSampleRange plain = QVSampleRangeMake(0, 4, 5);
    EXPECT_TRUE(plain.ResolveNormIntv(2));
    EXPECT_EQ(plain.firstFrame, 4u);
    EXPECT_EQ(plain.frameCount, 5u);
}

TEST(QVSampleRange, Shifted)
{
    QVSampleRange range = QVSampleRangeMake(1, 3, 20);
    range.normIntv = {0.1, 0.2};  // ignored, and reset in the copy

    QVSampleRange const back = range.Shifted(-3);
    EXPECT_EQ(back.channel, 1);
    EXPECT_EQ(back.firstFrame, 0u);
    EXPECT_EQ(back.frameCount, 20u);
    EXPECT_FALSE(back.isNormalised);
    EXPECT_EQ(back.normIntv, kAKUnaryNormIntv);

    EXPECT_EQ(range.Shifted(7).firstFrame, 10u);
    EXPECT_EQ(range.Shifted(0).firstFrame, 3u);
    ExpectNullRange(range.Shifted(-5));
    ExpectNullRange(QVSampleRangeMake(0, 0, 1).Shifted(INT_MIN));
    ExpectNullRange(QVSampleRangeMakeNorm(-1, {0.0, 0.5}).Shifted(1));
    // A first frame that would wrap around past 2^64 - 1.
    ExpectNullRange(QVSampleRangeMake(0, ~0ull - 1, 1).Shifted(2));
    EXPECT_EQ(QVSampleRangeMake(0, ~0ull - 1, 1).Shifted(1).firstFrame, ~0ull);
}

TEST(QVSampleRange, CompareLooksAtTheCounts)
{
    EXPECT_TRUE(QVSampleRangeCompare("Copy", QVSampleRangeMake(0, 5, 10), QVSampleRangeMake(1, 50, 10)));
    EXPECT_FALSE(QVSampleRangeCompare("Copy", QVSampleRangeMake(0, 5, 10), QVSampleRangeMake(0, 5, 11)));
}

// --- Min/max pairs ---

TEST(QVSampleMinimax, PacksClampedTruncatedValues)
{
    double const samples[] = {-1.5, 0.25};
    QVSampleMinimax const m = QVSampleMinimaxMakeWithSamples(samples, 2);
    EXPECT_EQ(m.min, -32767);
    EXPECT_EQ(m.max, 8191);  // 8191.75 truncated
    EXPECT_EQ(QVSampleMinimaxToUInt32(m), 0x1FFF8001u);
    EXPECT_EQ(QVSampleMinimaxFromUInt32(0x1FFF8001u), m);

    float const floats[] = {-1.5f, 0.25f};
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(floats, 2), m);

    double const loud[] = {2.0};
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(loud, 1), (QVSampleMinimax{32767, 32767}));

    struct Case {
        double sample;
        short scaled;
    };
    double const inf = std::numeric_limits<double>::infinity();
    Case const cases[] = {{-1.0, -32767}, {-0.5, -16383}, {0.5, 16383},  {1.0, 32767},     {-inf, -32767},
                          {inf, 32767},   {0.0, 0},       {-0.00001, 0}, {std::nan(""), 0}};
    for (Case const& c : cases)
        EXPECT_EQ(QVSampleMinimaxScale(c.sample), c.scaled) << c.sample;
}

TEST(QVSampleMinimax, EmptyAndNaNRuns)
{
    double const samples[] = {0.5};
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(static_cast<double const*>(nullptr), 4), kQVNullSampleMinimax);
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(samples, 0), kQVNullSampleMinimax);
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(static_cast<float const*>(nullptr), 4), kQVNullSampleMinimax);
    EXPECT_EQ(QVSampleMinimaxToUInt32(kQVNullSampleMinimax), 0u);

    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const withNaN[] = {nan, -0.5, nan, 0.5};
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(withNaN, 4), (QVSampleMinimax{-16383, 16383}));
    double const onlyNaN[] = {nan, nan};
    EXPECT_EQ(QVSampleMinimaxMakeWithSamples(onlyNaN, 2), kQVNullSampleMinimax);
}

TEST(QVSampleMinimax, CombinesPairs)
{
    QVSampleMinimax const pairs[] = {{-100, 200}, {-300, 50}, {10, 400}};
    EXPECT_EQ(QVSampleMinimaxMakeWithMinimaxs(pairs, 3), (QVSampleMinimax{-300, 400}));
    EXPECT_EQ(QVSampleMinimaxMakeWithMinimaxs(pairs, 1), pairs[0]);
    EXPECT_EQ(QVSampleMinimaxMakeWithMinimaxs(pairs, 0), kQVNullSampleMinimax);
    EXPECT_EQ(QVSampleMinimaxMakeWithMinimaxs(nullptr, 3), kQVNullSampleMinimax);
}
