#include "QVGainMatrix.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

constexpr unsigned int kFill = kQVGainMatrixFillFurtherOutputs;
constexpr unsigned int kMix = kQVGainMatrixMixFurtherInputs;
constexpr unsigned int kMonoAsStereo = kQVGainMatrixMonoAsStereo;

double const kRootHalf = std::sqrt(0.5);

// Expects the matrix to hold these rows exactly (one row per output).
void ExpectRows(QVGainMatrix const& m, std::initializer_list<std::initializer_list<double>> rows)
{
    ASSERT_EQ(m.OutputCount(), rows.size());
    unsigned int o = 0;
    for (auto const& row : rows) {
        ASSERT_EQ(m.InputCount(), row.size());
        unsigned int i = 0;
        for (double expected : row) {
            EXPECT_DOUBLE_EQ(m.GetCoeff(o, i), expected) << "output " << o << ", input " << i;
            EXPECT_EQ(m[o][i], m.GetCoeff(o, i));
            i++;
        }
        o++;
    }
}

}  // namespace

TEST(QVGainMatrix, ShapeAndStorage)
{
    QVGainMatrix empty;
    EXPECT_EQ(empty.OutputCount(), 0u);
    EXPECT_EQ(empty.InputCount(), 0u);
    EXPECT_EQ(empty.Capacity(), 0u);
    EXPECT_FALSE(empty.SetSize(1, 1));

    QVGainMatrix m(2, 3);
    ExpectRows(m, {{0, 0, 0}, {0, 0, 0}});
    EXPECT_EQ(m.Capacity(), 6u);

    // Reshaped inside its storage: all zero again.
    m.SetCoeff(1, 2, 0.5);
    ASSERT_TRUE(m.SetSize(3, 2));
    ExpectRows(m, {{0, 0}, {0, 0}, {0, 0}});
    ASSERT_TRUE(m.SetSize(1, 4));
    EXPECT_EQ(m.Capacity(), 6u);

    m.Clear();
    EXPECT_EQ(m.OutputCount(), 0u);
    EXPECT_EQ(m.Capacity(), 6u);
    EXPECT_TRUE(m.SetSize(2, 3));
    m.Free();
    EXPECT_EQ(m.Capacity(), 0u);
    EXPECT_EQ(m.OutputCount(), 0u);
    EXPECT_FALSE(m.SetSize(1, 1));

    // Allocate gives a usable all-zero matrix of that size at once.
    ASSERT_TRUE(m.Allocate(4, 2));
    EXPECT_EQ(m.Capacity(), 8u);
    ExpectRows(m, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    m.DistributeDiagonal(0, 0);
    EXPECT_EQ(m.GetCoeff(1, 1), 1.0);
}

TEST(QVGainMatrix, SetSizeBeyondTheStorageIsRefusedAndChangesNothing)
{
    QVGainMatrix m(2, 2);
    double const coeffs[4] = {1, 2, 3, 4};
    ASSERT_TRUE(m.FillWithCoeffs(coeffs, 2, 2));
    EXPECT_FALSE(m.SetSize(3, 2));
    EXPECT_FALSE(m.SetSize(2, 3));
    // 65536 × 65536 wraps to 0 in 32 bits: still far beyond the storage.
    EXPECT_FALSE(m.SetSize(65536, 65536));
    ExpectRows(m, {{1, 2}, {3, 4}});
    EXPECT_FALSE(m.FillWithCoeffs(coeffs, 65536, 65536));
    EXPECT_FALSE(m.FillWithCoeffs(nullptr, 1, 1));
    ExpectRows(m, {{1, 2}, {3, 4}});
}

TEST(QVGainMatrix, AllocateRefusesMoreCoefficientsThanABlockHolds)
{
    LogCapture log;
    QVGainMatrix m(1, 1);
    EXPECT_FALSE(m.Allocate(65536, 65536));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("kAKErrorNoMemory"), std::string::npos);
    EXPECT_EQ(m.Capacity(), 1u);  // the earlier storage is kept
}

TEST(QVGainMatrix, FillWithCoeffsIsEqualAndMulByGain)
{
    QVGainMatrix a(2, 2), b(2, 2), small(1, 2);
    double const coeffs[4] = {1, 0.5, 0, 2};
    ASSERT_TRUE(a.FillWithCoeffs(coeffs, 2, 2));
    ASSERT_TRUE(b.FillWithCoeffs(coeffs, 2, 2));
    EXPECT_TRUE(a.IsEqual(b));
    EXPECT_TRUE(small.FillWithCoeffs(coeffs, 1, 2));
    EXPECT_FALSE(a.IsEqual(small));
    b.SetCoeff(1, 0, std::numeric_limits<double>::quiet_NaN());
    QVGainMatrix const copy = b;
    EXPECT_FALSE(b.IsEqual(copy));  // a NaN is never equal
    EXPECT_TRUE(b.IsEqual(b));      // but an object is itself

    a.MulByGain(1.0000005);
    ExpectRows(a, {{1, 0.5}, {0, 2}});
    a.MulByGain(-2.0);
    ExpectRows(a, {{-2, -1}, {0, -4}});
    a.MulByGain(0.0000005);
    ExpectRows(a, {{0, 0}, {0, 0}});
    a.FillWithCoeffs(coeffs, 2, 2);
    a.FillWithZeros();
    ExpectRows(a, {{0, 0}, {0, 0}});
}

TEST(QVGainMatrix, GainsThatAreNoNumbersAreRefused)
{
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const inf = std::numeric_limits<double>::infinity();
    double const coeffs[4] = {1, 0.5, 0, 2};
    QVGainMatrix m(2, 2);
    ASSERT_TRUE(m.FillWithCoeffs(coeffs, 2, 2));
    EXPECT_TRUE(m.HasOnlyFiniteCoeffs());

    for (double gain : {nan, inf, -inf}) {
        SCOPED_TRACE(gain);
        EXPECT_FALSE(m.MulByGain(gain));
        ExpectRows(m, {{1, 0.5}, {0, 2}});

        double const withOne[2] = {0.25, gain};
        EXPECT_FALSE(m.FillWithCoeffs(withOne, 1, 2));
        ExpectRows(m, {{1, 0.5}, {0, 2}});
    }
    EXPECT_TRUE(m.MulByGain(2.0));
    ExpectRows(m, {{2, 1}, {0, 4}});

    // A coefficient set one by one is found by the check the mixer makes.
    m.SetCoeff(1, 0, nan);
    EXPECT_FALSE(m.HasOnlyFiniteCoeffs());
    EXPECT_TRUE(QVGainMatrix().HasOnlyFiniteCoeffs());
}

TEST(QVGainMatrix, MakeProductAppliesTheSecondThenTheFirst)
{
    QVGainMatrix a(2, 3), b(3, 1), product(2, 1), tooSmall(1, 1);
    double const ca[6] = {1, 2, 3, 4, 5, 6};
    double const cb[3] = {1, 0.5, 0.25};
    a.FillWithCoeffs(ca, 2, 3);
    b.FillWithCoeffs(cb, 3, 1);
    ASSERT_TRUE(product.MakeProduct(a, b));
    ExpectRows(product, {{1 + 1 + 0.75}, {4 + 2.5 + 1.5}});

    EXPECT_FALSE(product.MakeProduct(b, a));   // 1 input against 2 outputs
    EXPECT_FALSE(tooSmall.MakeProduct(a, b));  // no room for 2 × 1
    QVGainMatrix square(2, 2);
    double const identity[4] = {1, 0, 0, 1};
    square.FillWithCoeffs(identity, 2, 2);
    EXPECT_FALSE(square.MakeProduct(square, square));  // the result may not be an operand
}

TEST(QVGainMatrix, DiagonalRoutings)
{
    struct Case {
        char const* name;
        unsigned int outputs, inputs, flags, offset;
        std::vector<std::vector<double>> rows;
    };
    std::vector<Case> const cases = {
        {"2 to 2", 2, 2, 0, 0, {{1, 0}, {0, 1}}},
        {"2 to 2 offset 1", 2, 2, 0, 1, {{0, 1}, {1, 0}}},
        {"2 to 6 with fill", 6, 2, kFill, 0, {{1, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 0}, {0, 1}}},
        {"2 to 6 without fill", 6, 2, 0, 0, {{1, 0}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {"4 to 2", 2, 4, 0, 0, {{1, 0, 0, 0}, {0, 1, 0, 0}}},
        {"4 to 2 mixing further", 2, 4, kMix, 0, {{1, 0, 1, 0}, {0, 1, 0, 1}}},
        {"3 to 2 mixing further", 2, 3, kMix, 0, {{1, 0, 1}, {0, 1, 0}}},
        {"mono to 3", 3, 1, 0, 2, {{0}, {0}, {1}}},
        {"mono as stereo", 2, 1, kMonoAsStereo, 0, {{0.707}, {0.707}}},
        {"mono as stereo offset 2 of 3", 3, 1, kMonoAsStereo, 2, {{0.707}, {0}, {0.707}}},
        {"mono filling 5 from 1", 5, 1, kFill, 1, {{1}, {1}, {0}, {1}, {0}}},  // outputs 1, 3 and (1 + 4) mod 5
        {"mono as stereo filling", 3, 1, kFill | kMonoAsStereo, 0, {{0.707}, {0.707}, {0.707}}},
        {"unknown flag bits ignored", 2, 2, 8 | 0x100, 0, {{1, 0}, {0, 1}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        QVGainMatrix m(c.outputs, c.inputs);
        m.SetCoeff(0, 0, 9);  // a fill starts from zero
        m.DistributeDiagonal(c.flags, c.offset);
        for (unsigned int o = 0; o < c.outputs; o++)
            for (unsigned int i = 0; i < c.inputs; i++)
                EXPECT_EQ(m.GetCoeff(o, i), c.rows[o][i]) << "output " << o << ", input " << i;
    }
}

TEST(QVGainMatrix, PanLaws)
{
    double const rootQuarter = std::sqrt(0.25), rootThreeQuarters = std::sqrt(0.75);
    struct Case {
        char const* name;
        unsigned int outputs, inputs, flags, offset;
        double pan;
        std::vector<std::vector<double>> rows;
    };
    std::vector<Case> const cases = {
        {"mono centre", 2, 1, 0, 0, 0.0, {{kRootHalf}, {kRootHalf}}},
        {"mono hard right", 2, 1, 0, 0, 1.0, {{0}, {1}}},
        {"mono half left", 2, 1, 0, 0, -0.5, {{rootThreeQuarters}, {rootQuarter}}},
        {"mono pan clamped", 2, 1, 0, 0, -7.0, {{1}, {0}}},
        {"mono onto the last output", 3, 1, 0, 2, 0.0, {{0}, {0}, {kRootHalf}}},
        {"mono offset wraps", 3, 1, 0, 4, 0.0, {{0}, {kRootHalf}, {kRootHalf}}},
        {"mono filling 4", 4, 1, kFill, 0, 0.0, {{kRootHalf}, {kRootHalf}, {kRootHalf}, {kRootHalf}}},
        {"stereo centre is the identity", 2, 2, 0, 0, 0.0, {{1, 0}, {0, 1}}},
        {"stereo hard right", 2, 2, 0, 0, 1.0, {{0, 0}, {1, 1}}},
        {"stereo half left", 2, 2, 0, 0, -0.5, {{1, kRootHalf}, {0, kRootHalf}}},
        {"stereo quarter right", 2, 2, 0, 0, 0.25, {{rootThreeQuarters, 0}, {rootQuarter, 1}}},
        {"stereo onto outputs 1 and 2", 3, 2, 0, 1, 0.0, {{0, 0}, {1, 0}, {0, 1}}},
        {"stereo filling 4", 4, 2, kFill, 0, 0.0, {{1, 0}, {0, 1}, {1, 0}, {0, 1}}},
        {"odd last input not routed", 3, 3, 0, 0, 0.0, {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}}},
        {"4 to 2", 2, 4, 0, 0, 0.0, {{1, 0, 0, 0}, {0, 1, 0, 0}}},
        {"4 to 2 mixing further", 2, 4, kMix, 0, 0.0, {{1, 0, 1, 0}, {0, 1, 0, 1}}},
        {"stereo onto one output mixing further", 1, 2, kMix, 0, 0.0, {{1, 1}}},
        {"stereo onto one output", 1, 2, 0, 0, 0.0, {{0, 0}}},
        {"NaN pan is centred", 2, 1, 0, 0, std::nan(""), {{kRootHalf}, {kRootHalf}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        QVGainMatrix m(c.outputs, c.inputs);
        m.DistributePanoramics(c.flags, c.offset, c.pan);
        for (unsigned int o = 0; o < c.outputs; o++)
            for (unsigned int i = 0; i < c.inputs; i++)
                EXPECT_DOUBLE_EQ(m.GetCoeff(o, i), c.rows[o][i]) << "output " << o << ", input " << i;
    }
}

TEST(QVGainMatrix, MonoPanIsEqualPowerNotTheDiagonalGain)
{
    QVGainMatrix m(2, 1);
    m.DistributePanoramics(0, 0, 0.0);
    EXPECT_EQ(m.GetCoeff(0, 0), std::sqrt(0.5));
    EXPECT_NE(m.GetCoeff(0, 0), 0.707);
    for (double pan : {-1.0, -0.3, 0.0, 0.6, 1.0}) {
        m.DistributePanoramics(0, 0, pan);
        double const l = m.GetCoeff(0, 0), r = m.GetCoeff(1, 0);
        EXPECT_NEAR(l * l + r * r, 1.0, 1e-15) << "pan " << pan;
    }
    m.DistributeDiagonal(kMonoAsStereo, 0);
    EXPECT_EQ(m.GetCoeff(0, 0), 0.707);
    EXPECT_EQ(m.GetCoeff(1, 0), 0.707);
}

TEST(QVGainMatrix, FillsOfAnEmptyMatrixDoNothing)
{
    QVGainMatrix m(2, 2);
    ASSERT_TRUE(m.SetSize(0, 2));
    m.DistributeDiagonal(kFill, 0);
    m.DistributePanoramics(0, 0, 0.0);
    ASSERT_TRUE(m.SetSize(2, 0));
    m.DistributeDiagonal(kFill, 0);
    m.DistributePanoramics(kFill, 3, 0.0);
    EXPECT_EQ(m.OutputCount(), 2u);
    EXPECT_EQ(m.InputCount(), 0u);
}

TEST(QVGainMatrix, MutedChannels)
{
    QVGainMatrix m(3, 3);
    double const ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    m.FillWithCoeffs(ones, 3, 3);
    m.ApplyMutedChannelsOnInputs(0);
    m.ApplyMutedChannelsOnOutputs(0);
    ExpectRows(m, {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    m.ApplyMutedChannelsOnInputs(0b101 | (1ull << 63));  // bits beyond the inputs are ignored
    ExpectRows(m, {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}});
    m.FillWithCoeffs(ones, 3, 3);
    m.ApplyMutedChannelsOnOutputs(0b010);
    ExpectRows(m, {{1, 1, 1}, {0, 0, 0}, {1, 1, 1}});
}
