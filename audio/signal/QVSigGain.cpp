#include "QVSig.h"

#include "AKRandom.h"

#include <algorithm>
#include <cstring>

namespace QVSig {

template <typename T>
void ApplyGain(T* samples, unsigned int count, double gain)
{
    if (samples == nullptr || count == 0 || !std::isfinite(gain))
        return;
    if (IsNearZero(gain)) {
        memset(samples, 0, size_t(count) * sizeof(T));
        return;
    }
    if (IsNearOne(gain))
        return;
    T const g = static_cast<T>(gain);
    for (unsigned int i = 0; i < count; i++)
        samples[i] *= g;
}

template <typename T>
void ApplyGain(T* samples, unsigned int count, double startGain, double endGain)
{
    if (samples == nullptr || count == 0 || !std::isfinite(startGain) || !std::isfinite(endGain - startGain))
        return;
    if (std::fabs(endGain - startGain) <= kNearEpsilon) {
        ApplyGain(samples, count, startGain);
        return;
    }
    if (IsNearOne(startGain) && IsNearOne(endGain))
        return;
    T const step = static_cast<T>((endGain - startGain) / count);
    T g = static_cast<T>(startGain);
    for (unsigned int i = 0; i < count; i++) {
        samples[i] *= g;
        g += step;
    }
}

template <typename T>
void CopyWithGain(T* destination, T const* source, unsigned int count, double gain)
{
    if (destination == nullptr || count == 0 || !std::isfinite(gain))
        return;
    if (IsNearZero(gain)) {
        memset(destination, 0, size_t(count) * sizeof(T));
        return;
    }
    if (source == nullptr)
        return;
    if (IsNearOne(gain)) {
        if (destination != source)
            memcpy(destination, source, size_t(count) * sizeof(T));
        return;
    }
    T const g = static_cast<T>(gain);
    for (unsigned int i = 0; i < count; i++)
        destination[i] = source[i] * g;
}

template <typename T>
void CopyAddWithGain(T* destination, T const* source, unsigned int count, double gain)
{
    if (destination == nullptr || source == nullptr || count == 0 || IsNearZero(gain) || !std::isfinite(gain))
        return;
    if (IsNearOne(gain)) {
        for (unsigned int i = 0; i < count; i++)
            destination[i] += source[i];
        return;
    }
    T const g = static_cast<T>(gain);
    for (unsigned int i = 0; i < count; i++)
        destination[i] += source[i] * g;
}

template <typename T>
void FillWithNoise(T* samples, unsigned int count, double amplitude)
{
    if (samples == nullptr || count == 0)
        return;
    // Also catches a NaN amplitude.
    if (!(amplitude > kNearEpsilon)) {
        memset(samples, 0, size_t(count) * sizeof(T));
        return;
    }
    double const twiceAmplitude = 2.0 * std::min(amplitude, 1.0);
    for (unsigned int i = 0; i < count; i++) {
        double const r = akrand::_lowRandom(0.0, 0.0, 1.0, 1.0);
        samples[i] = static_cast<T>(twiceAmplitude * (r - 0.5));
    }
}

#define QV_SIG_GAIN_INSTANCES(T)                                                                                       \
    template void ApplyGain<T>(T*, unsigned int, double);                                                              \
    template void ApplyGain<T>(T*, unsigned int, double, double);                                                      \
    template void CopyWithGain<T>(T*, T const*, unsigned int, double);                                                 \
    template void CopyAddWithGain<T>(T*, T const*, unsigned int, double);                                              \
    template void FillWithNoise<T>(T*, unsigned int, double);

QV_SIG_GAIN_INSTANCES(float)
QV_SIG_GAIN_INSTANCES(double)

}  // namespace QVSig
