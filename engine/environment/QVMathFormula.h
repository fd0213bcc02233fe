#pragma once

// QVMathFormula: a formula evaluator of up to four variables. It has no
// evaluating back end: Setup always fails and every evaluation gives 0 with
// the error set. Nothing in the engine depends on it.

#include "AKString.h"

class QVMathFormula
{
public:
    QVMathFormula() = default;

    // Clears the variables and the error, then fails: false, with the error set.
    bool Setup(char const* formula, char const* variable1, char const* variable2, char const* variable3,
               char const* variable4);

    // Stores the arguments as the variables (the others keep their values);
    // 0, with the error set when none is yet.
    double Evaluate();
    double Evaluate(double x1);
    double Evaluate(double x1, double x2);
    double Evaluate(double x1, double x2, double x3);
    double Evaluate(double x1, double x2, double x3, double x4);

    // The formula being evaluated: always empty.
    AKString GetFormulaString() const { return AKString(); }
    bool HasError() const { return mError; }
    AKString const& GetErrorText() const { return mErrorText; }
    double GetVariable(unsigned int index) const { return index < kVariableCount ? mVariables[index] : 0.0; }

private:
    static constexpr unsigned int kVariableCount = 4;

    double EvaluateStored();
    void SetMissingBackEndError();

    double mVariables[kVariableCount] = {0.0, 0.0, 0.0, 0.0};
    bool mError = false;
    AKString mErrorText;
};
