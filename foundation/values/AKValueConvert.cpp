// AKValue: the number getters and the conversions between value kinds that
// they allow.

#include "AKValue.h"

#include "AKString.h"
#include "AKTextForms.h"

#include <climits>
#include <cmath>

namespace {

// floor(x + 0.5) as a signed 64-bit integer. Outside the 64-bit range, and
// for a NaN, the answer is -2^63: the range is checked first because casting
// such a double is undefined behaviour.
long long RoundRealToInteger(double x)
{
    double rounded = std::floor(x + 0.5);
    // -2^63 and 2^63 are exact doubles; NaN fails both comparisons.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        return LLONG_MIN;
    return static_cast<long long>(rounded);
}

}  // namespace

bool AKValue::GetasBool(bool* value, bool convert) const
{
    if (fTag == kAKValueTagBool) {
        *value = fPayload.fBool;
        return true;
    }
    if (!convert)
        return false;
    switch (fTag) {
    case kAKValueTagInteger:
        *value = fPayload.fInteger != 0;
        return true;
    case kAKValueTagReal:
        *value = fPayload.fReal != 0.0;
        return true;
    case kAKValueTagString: {
        long long integer = 0;
        if (strGetasSInt64(fPayload.fString->c_str(), &integer, 0)) {
            *value = integer != 0;
            return true;
        }
        double real = 0.0;
        if (strGetasFloat64(fPayload.fString->c_str(), &real, 0.0)) {
            *value = real != 0.0;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool AKValue::GetasInteger(long long* value, bool convert) const
{
    if (fTag == kAKValueTagInteger) {
        *value = fPayload.fInteger;
        return true;
    }
    if (!convert)
        return false;
    switch (fTag) {
    case kAKValueTagBool:
        *value = fPayload.fBool ? 1 : 0;
        return true;
    case kAKValueTagReal:
        *value = RoundRealToInteger(fPayload.fReal);
        return true;
    case kAKValueTagString: {
        long long integer = 0;
        if (strGetasSInt64(fPayload.fString->c_str(), &integer, 0)) {
            *value = integer;
            return true;
        }
        double real = 0.0;
        if (strGetasFloat64(fPayload.fString->c_str(), &real, 0.0)) {
            *value = RoundRealToInteger(real);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool AKValue::GetasFloat(double* value, bool convert) const
{
    if (fTag == kAKValueTagReal) {
        *value = fPayload.fReal;
        return true;
    }
    if (!convert)
        return false;
    switch (fTag) {
    case kAKValueTagBool:
        *value = fPayload.fBool ? 1.0 : 0.0;
        return true;
    case kAKValueTagInteger:
        *value = static_cast<double>(fPayload.fInteger);
        return true;
    case kAKValueTagString: {
        double real = 0.0;
        if (strGetasFloat64(fPayload.fString->c_str(), &real, 0.0)) {
            *value = real;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
