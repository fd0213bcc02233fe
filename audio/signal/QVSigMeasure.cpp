#include "QVSig.h"

#include <cstring>
#include <limits>
#include <type_traits>

namespace QVSig {

namespace {

// 16 bytes of samples side by side (SSE2 on every x86-64), and the integer
// vector of the same shape that comparisons give.
template <typename T>
struct Lanes;
template <>
struct Lanes<double> {
    typedef double Vector __attribute__((vector_size(16)));
    typedef long long Mask __attribute__((vector_size(16)));
};
template <>
struct Lanes<float> {
    typedef float Vector __attribute__((vector_size(16)));
    typedef int Mask __attribute__((vector_size(16)));
};

template <typename T>
typename Lanes<T>::Vector LoadLanes(T const* samples)
{
    typename Lanes<T>::Vector v;
    memcpy(&v, samples, sizeof v);
    return v;
}

}  // namespace

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
    // Several lanes at a time, with one test per group: the same answer as
    // sample by sample (a NaN difference fails both comparisons).
    typedef typename Lanes<T>::Vector Vector;
    typedef typename Lanes<T>::Mask Mask;
    constexpr unsigned int kLanes = sizeof(Vector) / sizeof(T);
    constexpr unsigned int kGroup = 4 * kLanes;
    Vector const high = Vector{} + tolerance;
    Vector const low = -high;
    unsigned int i = 0;
    for (; i + kGroup <= count; i += kGroup) {
        Mask within = Mask{} - 1;
        for (unsigned int v = 0; v < kGroup; v += kLanes) {
            Vector const d = LoadLanes(second + i + v) - LoadLanes(first + i + v);
            within &= (d >= low) & (d <= high);
        }
        for (unsigned int lane = 0; lane < kLanes; lane++)
            if (within[lane] == 0)
                return false;
    }
    for (; i < count; i++) {
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
        // Running peaks in lanes side by side, merged at the end: every
        // candidate is +0 or above (the sign bit cleared, as fabs does) and
        // a NaN never wins a comparison, so the largest is the same whatever
        // the order.
        typedef typename Lanes<T>::Vector Vector;
        typedef typename Lanes<T>::Mask Mask;
        constexpr unsigned int kLanes = sizeof(Vector) / sizeof(T);
        Mask const magnitude =
            ~(Mask{} + std::numeric_limits<typename std::remove_reference<decltype(Mask{}[0])>::type>::min());
        constexpr unsigned int kChains = 4;
        Vector peaks[kChains] = {};
        unsigned int i = 0;
        for (; i + kChains * kLanes <= count; i += kChains * kLanes)
            for (unsigned int c = 0; c < kChains; c++) {
                Vector const a =
                    reinterpret_cast<Vector>(reinterpret_cast<Mask>(LoadLanes(samples + i + c * kLanes)) & magnitude);
                peaks[c] = a > peaks[c] ? a : peaks[c];
            }
        for (; i < count; i++) {
            T const a = std::fabs(samples[i]);
            if (a > peak)
                peak = a;
        }
        for (Vector const& chain : peaks)
            for (unsigned int lane = 0; lane < kLanes; lane++)
                if (chain[lane] > peak)
                    peak = chain[lane];
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
