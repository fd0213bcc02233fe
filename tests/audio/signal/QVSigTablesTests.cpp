#include "QVSig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace QVSig;

namespace {

// The curves evaluated directly, as the tables define them.
double SinbranchAt(int i, int steps) { return 0.5 * sin(M_PI * i / steps - M_PI / 2.0) + 0.5; }

double SincardAt(int c, int halfWidth, int steps)
{
    double const b = 2.0 * halfWidth * steps;
    double const angle = 2.0 * M_PI / b * c;
    return sin(halfWidth * angle) / (halfWidth * angle) * (0.42659 + 0.49656 * cos(angle) + 0.07685 * cos(2.0 * angle));
}

// Index of abscissa x in a table.
template <typename T>
unsigned int IndexOf(Table<T> const& table, double x)
{
    return static_cast<unsigned int>(std::lround((x - table.LowerBound()) * table.StepsPerUnit()));
}

}  // namespace

// Runs first in the program: kernels that need a table that was never built must leave the samples alone.
TEST(QVSigTables, FadeKernelsDoNothingBeforeTheTablesExist)
{
    if (kTableSinbranch64.IsBuilt())
        GTEST_SKIP() << "tables already built by an earlier test of this process";
    double samples[4] = {1.0, 1.0, 1.0, 1.0};
    double source[4] = {0.0, 0.0, 0.0, 0.0};
    ApplyFadeIn(samples, 4, 0.0, 1.0);
    CopyAddWithXFade(samples, source, 4, 0.0, 0.0);
    for (double s : samples)
        EXPECT_EQ(s, 1.0);
}

TEST(QVSigTables, ShapesOfTheStaticTables)
{
    struct Case {
        char const* name;
        int steps, lower, upper;
        unsigned int entries;
        int actualSteps, actualLower, actualUpper;
        unsigned int actualEntries;
    };
    auto describe = [](char const* name, auto const& t, int steps, int lower, int upper, unsigned int entries) {
        return Case{name,           steps,          lower,         upper, entries, t.StepsPerUnit(),
                    t.LowerBound(), t.UpperBound(), t.EntryCount()};
    };
    Case const cases[] = {
        describe("Sinbranch64", kTableSinbranch64, 16384, 0, 1, 16385),
        describe("Sinbranch32", kTableSinbranch32, 16384, 0, 1, 16385),
        describe("SincardA64", kTableSincardA64, 4096, -8, 8, 65537),
        describe("SincardB64", kTableSincardB64, 4096, -12, 12, 98305),
        describe("SincardC64", kTableSincardC64, 4096, -16, 16, 131073),
        describe("SincardD64", kTableSincardD64, 4096, -24, 24, 196609),
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actualSteps, c.steps);
        EXPECT_EQ(c.actualLower, c.lower);
        EXPECT_EQ(c.actualUpper, c.upper);
        EXPECT_EQ(c.actualEntries, c.entries);
    }
}

class QVSigTablesBuilt : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitTables(), 0); }
};

TEST_F(QVSigTablesBuilt, InitTablesTwiceKeepsTheSameEntries)
{
    double const* sinbranch = kTableSinbranch64.Data();
    float const* sinbranch32 = kTableSinbranch32.Data();
    double const* sinc = kTableSincardD64.Data();
    ASSERT_NE(sinbranch, nullptr);
    ASSERT_NE(sinbranch32, nullptr);
    ASSERT_NE(sinc, nullptr);
    EXPECT_EQ(InitTables(), 0);
    EXPECT_EQ(kTableSinbranch64.Data(), sinbranch);
    EXPECT_EQ(kTableSinbranch32.Data(), sinbranch32);
    EXPECT_EQ(kTableSincardD64.Data(), sinc);
    EXPECT_TRUE(kTableSinbranch64.Init());
    EXPECT_EQ(kTableSinbranch64.Data(), sinbranch);
}

TEST_F(QVSigTablesBuilt, KnownValues)
{
    double const* sb = kTableSinbranch64.Data();
    EXPECT_EQ(sb[0], 0.0);
    EXPECT_NEAR(sb[4096], 0.14644660940672627, 1e-15);
    EXPECT_EQ(sb[8192], 0.5);
    EXPECT_NEAR(sb[12288], 0.8535533905932737, 1e-15);
    EXPECT_EQ(sb[16384], 1.0);
    EXPECT_EQ(kTableSinbranch32.Data()[0], 0.0f);
    EXPECT_EQ(kTableSinbranch32.Data()[16384], 1.0f);

    Table<double> const& a = kTableSincardA64;
    EXPECT_NEAR(a.Data()[IndexOf(a, 0.5)], 0.6268214816363546, 1e-15);
    EXPECT_NEAR(a.Data()[IndexOf(a, 1.5)], -0.18438074108035107, 1e-15);
    EXPECT_NEAR(a.Data()[IndexOf(a, -0.5)], 0.6268214816363546, 1e-15);
    Table<double> const& d = kTableSincardD64;
    EXPECT_NEAR(d.Data()[IndexOf(d, 0.5)], 0.6355243817999369, 1e-15);
}

TEST_F(QVSigTablesBuilt, SinbranchEntriesFollowTheCurve)
{
    int const n = kSinbranchSteps;
    double const* sb = kTableSinbranch64.Data();
    float const* sb32 = kTableSinbranch32.Data();
    for (int i = 1; i < n; i++) {
        ASSERT_NEAR(sb[i], SinbranchAt(i, n), 1e-15) << "entry " << i;
        ASSERT_EQ(sb32[i], static_cast<float>(SinbranchAt(i, n))) << "entry " << i;
        // curve(x) + curve(1 - x) = 1: a crossfade keeps its gains summing to 1.
        ASSERT_NEAR(sb[i] + sb[n - i], 1.0, 1e-15) << "entry " << i;
        ASSERT_LE(sb[i - 1], sb[i]) << "entry " << i;
    }
}

TEST_F(QVSigTablesBuilt, SincardEntriesFollowTheWindowedSinc)
{
    struct Case {
        TableSincard<double> const* table;
        int halfWidth;
    };
    Case const cases[] = {
        {&kTableSincardA64, 8}, {&kTableSincardB64, 12}, {&kTableSincardC64, 16}, {&kTableSincardD64, 24}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.halfWidth);
        TableSincard<double> const& t = *c.table;
        EXPECT_EQ(t.HalfWidth(), c.halfWidth);
        int const half = c.halfWidth * kSincardSteps;
        double const* e = t.Data();
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e[half], 1.0);
        for (int k = -half; k <= half; k++) {
            if (k == 0)
                continue;
            ASSERT_NEAR(e[k + half], SincardAt(k, c.halfWidth, kSincardSteps), 1e-15) << "c = " << k;
            ASSERT_EQ(e[k + half], e[half - k]) << "c = " << k;  // symmetric
        }
        // Zero crossings at every whole source sample, the ends included.
        for (int x = 1; x <= c.halfWidth; x++)
            ASSERT_NEAR(e[half + x * kSincardSteps], 0.0, 1e-15) << "x = " << x;
    }
}
