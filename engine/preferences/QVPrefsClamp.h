#pragma once

// The range checks of the preferences owners.

// low when the value is at or below low, else at most high. A NaN, which
// compares with nothing, ends at low, so no setting ever keeps one.
inline void QVPrefsClampReal(double* value, double low, double high)
{
    double const v = *value;
    *value = v > low ? (v < high ? v : high) : low;
}

inline void QVPrefsClampUInt(unsigned int* value, unsigned int low, unsigned int high)
{
    unsigned int const v = *value;
    *value = v <= low ? low : (v < high ? v : high);
}
