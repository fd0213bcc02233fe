// The mix of one matrix row: every input of the row added to the output in
// a single pass over the output's samples.

#include "QVGainMatrix.h"

#include "AKTargetClones.h"
#include "QVSig.h"

#include <cmath>
#include <cstdint>

namespace {

// The inputs of one row that take part: their samples and their gains as
// the gain kernels use them (1 for a gain near 1, the sample type's gain
// otherwise; x × 1 is x, so a gain of 1 gives the plain sum).
template <typename T>
struct RowInputs {
    T const* source[QVGainMatrix::kMixRowMaxInputs];
    T gain[QVGainMatrix::kMixRowMaxInputs];
    unsigned int count;
};

// Up to four inputs per pass. Each sample adds its inputs one by one, in
// input order, rounding to T after each, as separate passes would.
template <typename T, int N>
__attribute__((always_inline)) inline void AddInputs(T* __restrict destination, T const* const* sources, T const* gains,
                                                     unsigned int count)
{
    T const* __restrict const s0 = sources[0];
    T const* __restrict const s1 = sources[N > 1 ? 1 : 0];
    T const* __restrict const s2 = sources[N > 2 ? 2 : 0];
    T const* __restrict const s3 = sources[N > 3 ? 3 : 0];
    T const g0 = gains[0];
    T const g1 = gains[N > 1 ? 1 : 0];
    T const g2 = gains[N > 2 ? 2 : 0];
    T const g3 = gains[N > 3 ? 3 : 0];
    for (unsigned int i = 0; i < count; i++) {
        T sum = destination[i];
        sum += s0[i] * g0;
        if (N > 1)
            sum += s1[i] * g1;
        if (N > 2)
            sum += s2[i] * g2;
        if (N > 3)
            sum += s3[i] * g3;
        destination[i] = sum;
    }
}

template <typename T>
__attribute__((always_inline)) inline void AddRow(T* destination, RowInputs<T> const& inputs, unsigned int count)
{
    for (unsigned int k = 0; k < inputs.count; k += 4) {
        switch (inputs.count - k) {
        case 1:
            AddInputs<T, 1>(destination, inputs.source + k, inputs.gain + k, count);
            break;
        case 2:
            AddInputs<T, 2>(destination, inputs.source + k, inputs.gain + k, count);
            break;
        case 3:
            AddInputs<T, 3>(destination, inputs.source + k, inputs.gain + k, count);
            break;
        default:
            AddInputs<T, 4>(destination, inputs.source + k, inputs.gain + k, count);
            break;
        }
    }
}

// Built for wider vectors where the machine has them; each lane is one
// sample, multiplied and added separately (no fused multiply-add), so every
// version gives the same bits.
AK_TARGET_CLONES("avx2", "default")
void AddRowOfDoubles(double* destination, RowInputs<double> const& inputs, unsigned int count)
{
    AddRow(destination, inputs, count);
}

AK_TARGET_CLONES("avx2", "default")
void AddRowOfFloats(float* destination, RowInputs<float> const& inputs, unsigned int count)
{
    AddRow(destination, inputs, count);
}

inline void AddRowOf(double* destination, RowInputs<double> const& inputs, unsigned int count)
{
    AddRowOfDoubles(destination, inputs, count);
}

inline void AddRowOf(float* destination, RowInputs<float> const& inputs, unsigned int count)
{
    AddRowOfFloats(destination, inputs, count);
}

template <typename T>
bool Overlap(T const* a, T const* b, unsigned int count)
{
    uintptr_t const first = reinterpret_cast<uintptr_t>(a);
    uintptr_t const second = reinterpret_cast<uintptr_t>(b);
    uintptr_t const bytes = static_cast<uintptr_t>(count) * sizeof(T);
    return first < second + bytes && second < first + bytes;
}

}  // namespace

template <typename T>
void QVGainMatrix::MixRowInto(T* destination, unsigned int output, unsigned int firstInput, T const* const* sources,
                              unsigned int inputCount, unsigned int count) const
{
    if (destination == nullptr || sources == nullptr || count == 0 || output >= mOutputCount ||
        firstInput >= mInputCount)
        return;
    if (inputCount > kMixRowMaxInputs)
        inputCount = kMixRowMaxInputs;
    if (inputCount > mInputCount - firstInput)
        inputCount = mInputCount - firstInput;
    double const* const row = (*this)[output] + firstInput;
    RowInputs<T> inputs;
    inputs.count = 0;
    bool overlap = false;
    for (unsigned int k = 0; k < inputCount; k++) {
        double const gain = row[k];
        if (sources[k] == nullptr || QVSig::IsNearZero(gain) || !std::isfinite(gain))
            continue;
        inputs.source[inputs.count] = sources[k];
        inputs.gain[inputs.count] = QVSig::IsNearOne(gain) ? T(1) : static_cast<T>(gain);
        inputs.count++;
        overlap = overlap || Overlap<T>(destination, sources[k], count);
    }
    if (!overlap) {
        AddRowOf(destination, inputs, count);
        return;
    }
    // An input sharing samples with the output must see the earlier inputs
    // already added: one pass per input.
    for (unsigned int k = 0; k < inputCount; k++)
        QVSig::CopyAddWithGain<T>(destination, sources[k], count, row[k]);
}

template void QVGainMatrix::MixRowInto<float>(float*, unsigned int, unsigned int, float const* const*, unsigned int,
                                              unsigned int) const;
template void QVGainMatrix::MixRowInto<double>(double*, unsigned int, unsigned int, double const* const*, unsigned int,
                                               unsigned int) const;
