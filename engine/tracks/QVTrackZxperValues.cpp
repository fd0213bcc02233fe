#include "QVTrackZxperValues.h"

#include "AKValueTyped.h"

#include <cmath>

AKDictionary const& QVZxperGetRecordDictionary(AKDictionary const& options, char const* key)
{
    return AKValueGetasAKDictionary(options.GetValue(AKString(key)));
}

void QVZxperReadReal(AKDictionary const& record, char const* key, double* field)
{
    AKValueGetasFloat64(record.GetValue(AKString(key)), field, false);
}

void QVZxperReadBool(AKDictionary const& record, char const* key, bool* field)
{
    AKValueGetasBool(record.GetValue(AKString(key)), field, false);
}

void QVZxperReadUInt32(AKDictionary const& record, char const* key, uint32_t* field)
{
    unsigned long long number = 0;
    if (AKValueGetasUInt(record.GetValue(AKString(key)), &number, false))
        *field = number > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(number);
}

double QVZxperClampAbs(double value, double low, double high, double fallback)
{
    if (std::isnan(value))
        return fallback;
    double const magnitude = std::fabs(value);
    if (magnitude < low)
        return low;
    if (magnitude > high)
        return high;
    return magnitude;
}
