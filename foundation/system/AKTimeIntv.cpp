// Text forms of times and time intervals.

#include "AKTimeIntv.h"

#include "AKTextForms.h"

bool strGetasAKTimeIntv(char const* text, AKTimeIntv* intv)
{
    AKTimeIntv read = kAKNullTimeIntv;
    bool const ok = strScanfAsDot(text, "(%lf;%lf)", &read.beg, &read.end) == 2;
    if (intv != nullptr)
        *intv = ok ? read : kAKNullTimeIntv;
    return ok;
}

bool strGetasAKTime(char const* text, double* time) { return strGetasFloat64(text, time, 0.0); }
