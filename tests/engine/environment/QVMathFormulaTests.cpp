// The formula evaluator without a back end: every setup fails, every
// evaluation gives 0 with the error set, and the arguments are kept.

#include "QVMathFormula.h"

#include <gtest/gtest.h>

namespace {

TEST(QVMathFormulaTest, WithoutABackEndSetupFailsAndEvaluationsGiveZero)
{
    QVMathFormula formula;
    EXPECT_FALSE(formula.HasError());
    EXPECT_EQ(formula.Evaluate(1.0, 2.0), 0.0);
    EXPECT_TRUE(formula.HasError());
    EXPECT_EQ(formula.GetErrorText(), AKString("muParser library is not installed in QVLib."));

    EXPECT_FALSE(formula.Setup("x+y", "x", "y", nullptr, nullptr));
    EXPECT_TRUE(formula.HasError());
    EXPECT_EQ(formula.GetVariable(0), 0.0);  // cleared by the setup
    EXPECT_EQ(formula.Evaluate(1.5, 2.5, 3.5, 4.5), 0.0);
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(formula.GetVariable(i), 1.5 + i);
    EXPECT_EQ(formula.Evaluate(9.0), 0.0);
    EXPECT_EQ(formula.GetVariable(0), 9.0);
    EXPECT_EQ(formula.GetVariable(1), 2.5);
    EXPECT_TRUE(formula.GetFormulaString().IsEmpty());
}

}  // namespace
