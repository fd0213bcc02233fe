// QVMathFormula: the evaluator without a back end.

#include "QVMathFormula.h"

void QVMathFormula::SetMissingBackEndError()
{
    mError = true;
    mErrorText = AKString("muParser library is not installed in QVLib.");
}

bool QVMathFormula::Setup(char const*, char const*, char const*, char const*, char const*)
{
    for (double& variable : mVariables)
        variable = 0.0;
    mError = false;
    mErrorText = AKString();
    SetMissingBackEndError();
    return false;
}

double QVMathFormula::EvaluateStored()
{
    if (!mError)
        SetMissingBackEndError();
    return 0.0;
}

double QVMathFormula::Evaluate() { return EvaluateStored(); }

double QVMathFormula::Evaluate(double x1)
{
    mVariables[0] = x1;
    return EvaluateStored();
}

double QVMathFormula::Evaluate(double x1, double x2)
{
    mVariables[1] = x2;
    return Evaluate(x1);
}

double QVMathFormula::Evaluate(double x1, double x2, double x3)
{
    mVariables[2] = x3;
    return Evaluate(x1, x2);
}

double QVMathFormula::Evaluate(double x1, double x2, double x3, double x4)
{
    mVariables[3] = x4;
    return Evaluate(x1, x2, x3);
}
