#include "QVSig.h"

#include <cstring>

namespace QVSig {

template <typename T>
bool IsAlmostZero(T const* samples, unsigned int count, T tolerance)
{
    // A NaN tolerance fails here too.
    if (samples == nullptr || count == 0 || !(tolerance >= T(0)))
        return false;
    if (tolerance == T(0)) {
        for (unsigned int i = 0; i < count; i++)
            if (samples[i] != T(0))
                return false;
        return true;
    }
    for (unsigned int i = 0; i < count; i++) {
        T const s = samples[i];
        if (!(s >= -tolerance && s <= tolerance))
            return false;
    }
    return true;
}

template <typename T>
bool IsAlmostEqual(T const* first, T const* second, unsigned int count, T tolerance)
{
    if (first == nullptr || second == nullptr || count == 0 || !(tolerance >= T(0)))
        return false;
    if (tolerance == T(0))
        return memcmp(first, second, size_t(count) * sizeof(T)) == 0;
    for (unsigned int i = 0; i < count; i++) {
        T const d = second[i] - first[i];
        if (!(d >= -tolerance && d <= tolerance))
            return false;
    }
    return true;
}

template <typename T>
void GetMaxLevel(T const* samples, unsigned int count, T* level)
{
    if (level == nullptr)
        return;
    T peak = 0;
    if (samples != nullptr) {
        for (unsigned int i = 0; i < count; i++) {
            T const a = std::fabs(samples[i]);
            if (a > peak)
                peak = a;
        }
    }
    *level = peak;
}

#define QV_SIG_MEASURE_INSTANCES(T)                                                                                    \
    template bool IsAlmostZero<T>(T const*, unsigned int, T);                                                          \
    template bool IsAlmostEqual<T>(T const*, T const*, unsigned int, T);                                               \
    template void GetMaxLevel<T>(T const*, unsigned int, T*);

QV_SIG_MEASURE_INSTANCES(float)
QV_SIG_MEASURE_INSTANCES(double)

}  // namespace QVSig
