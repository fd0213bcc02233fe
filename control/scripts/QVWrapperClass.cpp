#include "QVWrapperClass.h"

#include "AKStatus.h"

#include <duktape.h>

#include <cmath>
#include <cstdint>

int QVWrapperClass::sCurrError = 0;
AKString QVWrapperClass::sCurrErrorStr;
int QVWrapperClass::sCurrLineNum = 0;

namespace {

bool IsInteger(double value) { return value >= INT32_MIN && value <= INT32_MAX && value == std::trunc(value); }

}  // namespace

void QVWrapperClass::ClearError()
{
    sCurrError = 0;
    sCurrErrorStr = AKString();
    sCurrLineNum = 0;
}

void QVWrapperClass::SetError(int status, char const* message)
{
    if (sCurrError != 0)
        return;
    sCurrError = status;
    sCurrErrorStr = AKString(message);
}

bool QVWrapperClass::FailType(int index, char const* typeName)
{
    if (sCurrError == 0) {
        sCurrError = kQVErrorJScriptArgumentBadType;
        sCurrErrorStr = AKString();
        sCurrErrorStr.Appendf("Type %s is expected for argument %d", typeName, index + 1);
    }
    return false;
}

bool QVWrapperClass::CheckArgCount(QVScriptContext* context, int expected)
{
    if (duk_get_top(context) == expected)
        return true;
    if (sCurrError == 0) {
        sCurrError = kQVErrorJScriptArgumentBadCount;
        sCurrErrorStr = AKString();
        sCurrErrorStr.Appendf("%d argument(s) expected", expected);
    }
    return false;
}

bool QVWrapperClass::CheckArgAsInteger(QVScriptContext* context, int index, int* outValue)
{
    if (!duk_is_number(context, index) || !IsInteger(duk_get_number(context, index)))
        return FailType(index, "int");
    *outValue = static_cast<int>(duk_get_number(context, index));
    return true;
}

bool QVWrapperClass::CheckArgAsDouble(QVScriptContext* context, int index, double* outValue)
{
    if (!duk_is_number(context, index))
        return FailType(index, "double");
    *outValue = duk_get_number(context, index);
    return true;
}

bool QVWrapperClass::CheckArgAsBoolean(QVScriptContext* context, int index, bool* outValue)
{
    if (duk_is_boolean(context, index)) {
        *outValue = duk_get_boolean(context, index) != 0;
        return true;
    }
    if (duk_is_number(context, index)) {
        double const value = duk_get_number(context, index);
        if (value == 0.0 || value == 1.0) {
            *outValue = value == 1.0;
            return true;
        }
    }
    return FailType(index, "bool");
}

bool QVWrapperClass::CheckArgAsAKString(QVScriptContext* context, int index, bool emptyAllowed, QVScriptText* outText)
{
    if (emptyAllowed && duk_is_undefined(context, index)) {
        *outText = QVScriptText();
        return true;
    }
    if (!duk_is_string(context, index))
        return FailType(index, "string");
    duk_size_t length = 0;
    char const* bytes = duk_get_lstring(context, index, &length);
    if (length == 0 && !emptyAllowed)
        return FailType(index, "string");
    outText->mBytes = bytes;
    outText->mLength = length;
    return true;
}

bool QVWrapperClass::CheckArgAsAKFilePath(QVScriptContext* context, int index, QVScriptText* outPath)
{
    return CheckArgAsAKString(context, index, false, outPath);
}

bool QVWrapperClass::CheckArgAsIntegers(QVScriptContext* context, int index, QVScriptIntegers* outValues)
{
    if (!duk_is_array(context, index))
        return FailType(index, "array[integers]");
    duk_size_t const length = duk_get_length(context, index);
    if (length > static_cast<duk_size_t>(INT32_MAX / sizeof(int)))
        return FailType(index, "array[integers]");
    int* values = static_cast<int*>(duk_push_fixed_buffer(context, length * sizeof(int)));
    for (duk_size_t i = 0; i < length; ++i) {
        duk_get_prop_index(context, index, static_cast<duk_uarridx_t>(i));
        bool const ok = duk_is_number(context, -1) && IsInteger(duk_get_number(context, -1));
        if (ok)
            values[i] = static_cast<int>(duk_get_number(context, -1));
        duk_pop(context);
        if (!ok)
            return FailType(index, "array[integers]");
    }
    outValues->mValues = values;
    outValues->mCount = static_cast<int>(length);
    return true;
}

bool QVWrapperClass::CheckArgAsAKTimeIntv(QVScriptContext* context, int index, AKTimeIntv* outInterval)
{
    if (!duk_is_array(context, index) || duk_get_length(context, index) != 2)
        return FailType(index, "array[double, double]");
    double bounds[2] = {0.0, 0.0};
    for (duk_uarridx_t i = 0; i < 2; ++i) {
        duk_get_prop_index(context, index, i);
        bool const ok = duk_is_number(context, -1);
        bounds[i] = ok ? duk_get_number(context, -1) : 0.0;
        duk_pop(context);
        if (!ok)
            return FailType(index, "array[double, double]");
    }
    *outInterval = AKTimeIntv{bounds[0], bounds[1]};
    return true;
}

bool QVWrapperClass::CheckArgAsParameterObject(QVScriptContext* context, int index, double* outValue, double* outValue2)
{
    *outValue2 = 0.0;
    if (duk_is_boolean(context, index)) {
        *outValue = duk_get_boolean(context, index) ? 1.0 : 0.0;
        return true;
    }
    if (duk_is_number(context, index)) {
        *outValue = duk_get_number(context, index);
        return true;
    }
    duk_size_t const length = duk_is_array(context, index) ? duk_get_length(context, index) : 0;
    if (length != 1 && length != 2)
        return FailType(index, "1 or 2 doubles");
    double values[2] = {0.0, 0.0};
    for (duk_uarridx_t i = 0; i < length; ++i) {
        duk_get_prop_index(context, index, i);
        bool const ok = duk_is_number(context, -1);
        values[i] = ok ? duk_get_number(context, -1) : 0.0;
        duk_pop(context);
        if (!ok)
            return FailType(index, "1 or 2 doubles");
    }
    *outValue = values[0];
    *outValue2 = values[1];
    return true;
}

namespace {

void AppendMethodSuffix(char const* name) { QVWrapperClass::sCurrErrorStr.Appendf(" in callback proc _QS_%s()", name); }

}  // namespace

void QVWrapperClass::CompleteMethod(QVScriptContext* context, bool ok, char const* name)
{
    sCurrLineNum = QVScriptSandbox::GetCurrentLine(context);
    if (ok)
        return;
    AppendMethodSuffix(name);
    QVScriptSandbox::EndRun(context, sCurrLineNum);
}

void QVWrapperClass::PushIntegers(QVScriptContext* context, int const* values, int count)
{
    duk_idx_t const array = duk_push_array(context);
    for (int i = 0; i < count; ++i) {
        duk_push_int(context, values[i]);
        duk_put_prop_index(context, array, static_cast<duk_uarridx_t>(i));
    }
}

void QVWrapperClass::PushTimeIntv(QVScriptContext* context, AKTimeIntv const& interval)
{
    duk_idx_t const array = duk_push_array(context);
    duk_push_number(context, interval.beg);
    duk_put_prop_index(context, array, 0);
    duk_push_number(context, interval.end);
    duk_put_prop_index(context, array, 1);
}
