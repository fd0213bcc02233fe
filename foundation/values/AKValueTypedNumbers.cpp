// Typed access to values: booleans, integers and reals.

#include "AKValueTyped.h"

#include <cfloat>
#include <cmath>

namespace {

template <class T>
bool Give(T* out, T value)
{
    if (out != nullptr)
        *out = value;
    return true;
}

// The number's low bits in the out-parameter's width; no range check.
template <class T>
bool GiveSigned(AKValue const& value, T* out, bool convert)
{
    long long number = 0;
    if (!value.GetasInteger(&number, convert))
        return false;
    return Give(out, static_cast<T>(static_cast<unsigned long long>(number)));
}

// As above, refusing a negative number (an unsigned number of 2^63 or more
// is stored negative and refused too).
template <class T>
bool GiveUnsigned(AKValue const& value, T* out, bool convert)
{
    long long number = 0;
    if (!value.GetasInteger(&number, convert) || number < 0)
        return false;
    return Give(out, static_cast<T>(static_cast<unsigned long long>(number)));
}

// Narrowing an out-of-range double to float is undefined: give the infinity
// that IEEE narrowing would give.
float NarrowToFloat(double number)
{
    if (number > FLT_MAX)
        return HUGE_VALF;
    if (number < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(number);
}

}  // namespace

// --- Bool ---

AKValue* AKValueSetasBool(AKValue* value, bool b)
{
    if (value != nullptr)
        value->SetasBool(b);
    return value;
}

AKValue AKValueSetasBool(bool b)
{
    AKValue value;
    value.SetasBool(b);
    return value;
}

bool AKValueGetasBool(AKValue const& value, bool* b, bool convert)
{
    bool read = false;
    if (!value.GetasBool(&read, convert))
        return false;
    return Give(b, read);
}

bool AKValueGetasBool(AKValue const& value, bool convert)
{
    bool b = false;
    AKValueGetasBool(value, &b, convert);
    return b;
}

// --- SInt ---

AKValue* AKValueSetasSInt(AKValue* value, long long number)
{
    if (value != nullptr)
        value->SetasInteger(number);
    return value;
}

AKValue AKValueSetasSInt(long long number)
{
    AKValue value;
    value.SetasInteger(number);
    return value;
}

bool AKValueGetasSInt(AKValue const& value, signed char* number, bool convert)
{
    return GiveSigned(value, number, convert);
}

bool AKValueGetasSInt(AKValue const& value, short* number, bool convert) { return GiveSigned(value, number, convert); }

bool AKValueGetasSInt(AKValue const& value, int* number, bool convert) { return GiveSigned(value, number, convert); }

bool AKValueGetasSInt(AKValue const& value, long* number, bool convert) { return GiveSigned(value, number, convert); }

bool AKValueGetasSInt(AKValue const& value, long long* number, bool convert)
{
    return GiveSigned(value, number, convert);
}

int AKValueGetasSInt(AKValue const& value, bool convert)
{
    int number = 0;
    AKValueGetasSInt(value, &number, convert);
    return number;
}

// --- UInt ---

AKValue* AKValueSetasUInt(AKValue* value, unsigned long long number)
{
    if (value != nullptr)
        value->SetasInteger(static_cast<long long>(number));
    return value;
}

AKValue AKValueSetasUInt(unsigned long long number)
{
    AKValue value;
    AKValueSetasUInt(&value, number);
    return value;
}

bool AKValueGetasUInt(AKValue const& value, unsigned char* number, bool convert)
{
    return GiveUnsigned(value, number, convert);
}

bool AKValueGetasUInt(AKValue const& value, unsigned short* number, bool convert)
{
    return GiveUnsigned(value, number, convert);
}

bool AKValueGetasUInt(AKValue const& value, unsigned int* number, bool convert)
{
    return GiveUnsigned(value, number, convert);
}

bool AKValueGetasUInt(AKValue const& value, unsigned long* number, bool convert)
{
    return GiveUnsigned(value, number, convert);
}

bool AKValueGetasUInt(AKValue const& value, unsigned long long* number, bool convert)
{
    return GiveUnsigned(value, number, convert);
}

unsigned int AKValueGetasUInt(AKValue const& value, bool convert)
{
    unsigned int number = 0;
    AKValueGetasUInt(value, &number, convert);
    return number;
}

// --- Float32 ---

AKValue* AKValueSetasFloat32(AKValue* value, float number)
{
    if (value != nullptr)
        value->SetasFloat(static_cast<double>(number));
    return value;
}

AKValue AKValueSetasFloat32(float number)
{
    AKValue value;
    value.SetasFloat(static_cast<double>(number));
    return value;
}

bool AKValueGetasFloat32(AKValue const& value, float* number, bool convert)
{
    double read = 0.0;
    if (!value.GetasFloat(&read, convert))
        return false;
    return Give(number, NarrowToFloat(read));
}

float AKValueGetasFloat32(AKValue const& value, bool convert)
{
    float number = 0.0f;
    AKValueGetasFloat32(value, &number, convert);
    return number;
}

// --- Float64 ---

AKValue* AKValueSetasFloat64(AKValue* value, double number)
{
    if (value != nullptr)
        value->SetasFloat(number);
    return value;
}

AKValue AKValueSetasFloat64(double number)
{
    AKValue value;
    value.SetasFloat(number);
    return value;
}

bool AKValueGetasFloat64(AKValue const& value, double* number, bool convert)
{
    double read = 0.0;
    if (!value.GetasFloat(&read, convert))
        return false;
    return Give(number, read);
}

double AKValueGetasFloat64(AKValue const& value, bool convert)
{
    double number = 0.0;
    AKValueGetasFloat64(value, &number, convert);
    return number;
}

// --- AGCoord: a coordinate is a real ---

AKValue* AKValueSetasAGCoord(AKValue* value, AGCoord coord) { return AKValueSetasFloat64(value, coord); }

AKValue AKValueSetasAGCoord(AGCoord coord) { return AKValueSetasFloat64(coord); }

bool AKValueGetasAGCoord(AKValue const& value, AGCoord* coord, bool convert)
{
    return AKValueGetasFloat64(value, coord, convert);
}

AGCoord AKValueGetasAGCoord(AKValue const& value, bool convert) { return AKValueGetasFloat64(value, convert); }
