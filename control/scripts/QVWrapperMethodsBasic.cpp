// The script functions that need no document: logging and mathematics.

#include "AKLog.h"
#include "AKStatus.h"
#include "QVWrapperClass.h"
#include "QVWrapperMath.h"

#include <duktape.h>

int QVWrapperClass::Method_log(QVScriptContext* context)
{
    QVScriptText text;
    bool const ok = CheckArgCount(context, 1) && CheckArgAsAKString(context, 0, true, &text);
    if (ok)
        AKLog("%s", text.mBytes);
    CompleteMethod(context, ok, "log");
    return 0;
}

int QVWrapperClass::Method_mathFun1(QVScriptContext* context)
{
    QVScriptText word;
    double x = 0.0;
    double result = 0.0;
    bool ok =
        CheckArgCount(context, 2) && CheckArgAsAKString(context, 0, false, &word) && CheckArgAsDouble(context, 1, &x);
    if (ok && !QVWrapperMathFun1(word.mBytes, x, &result)) {
        SetError(kQVErrorJScriptSyntaxError, "Syntax error");
        ok = false;
    }
    CompleteMethod(context, ok, "mathFun1");
    duk_push_number(context, result);
    return 1;
}

int QVWrapperClass::Method_mathFun2(QVScriptContext* context)
{
    QVScriptText word;
    double x = 0.0;
    double y = 0.0;
    double result = 0.0;
    bool ok = CheckArgCount(context, 3) && CheckArgAsAKString(context, 0, false, &word) &&
              CheckArgAsDouble(context, 1, &x) && CheckArgAsDouble(context, 2, &y);
    if (ok && !QVWrapperMathFun2(word.mBytes, x, y, &result)) {
        SetError(kQVErrorJScriptSyntaxError, "Syntax error");
        ok = false;
    }
    CompleteMethod(context, ok, "mathFun2");
    duk_push_number(context, result);
    return 1;
}
