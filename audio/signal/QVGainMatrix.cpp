#include "QVGainMatrix.h"

#include "AKLog.h"
#include "QVSig.h"

#include <algorithm>
#include <cmath>

namespace {

// The storage is one block sized in 32 bits, like every sample block.
constexpr unsigned long long kMaxCoeffCount = 0xFFFFFFFFull / sizeof(double);

// The square root of a value clamped to [0, 1].
inline double ClampedRoot(double x) { return std::sqrt(std::min(std::max(x, 0.0), 1.0)); }

}  // namespace

QVGainMatrix::QVGainMatrix(unsigned int outputCount, unsigned int inputCount) { Allocate(outputCount, inputCount); }

bool QVGainMatrix::Allocate(unsigned int outputCount, unsigned int inputCount)
{
    unsigned long long const count = static_cast<unsigned long long>(outputCount) * inputCount;
    if (count > kMaxCoeffCount) {
        AKLogError(kAKErrorNoMemory, "QVGainMatrix::Allocate: %u x %u coefficients is too many", outputCount,
                   inputCount);
        return false;
    }
    // A fresh vector so that the storage is exactly what was asked for (assign never shrinks it).
    std::vector<double>(static_cast<size_t>(count), 0.0).swap(mCoeffs);
    mOutputCount = outputCount;
    mInputCount = inputCount;
    return true;
}

bool QVGainMatrix::SetSize(unsigned int outputCount, unsigned int inputCount)
{
    // In 64 bits: a 32-bit product of large counts could wrap to a size that seems to fit.
    if (static_cast<unsigned long long>(outputCount) * inputCount > mCoeffs.size())
        return false;
    mOutputCount = outputCount;
    mInputCount = inputCount;
    FillWithZeros();
    return true;
}

void QVGainMatrix::Clear()
{
    mOutputCount = 0;
    mInputCount = 0;
}

void QVGainMatrix::Free()
{
    Clear();
    std::vector<double>().swap(mCoeffs);
}

void QVGainMatrix::FillWithZeros() { std::fill_n(mCoeffs.begin(), CoeffCount(), 0.0); }

bool QVGainMatrix::FillWithCoeffs(double const* coeffs, unsigned int outputCount, unsigned int inputCount)
{
    unsigned long long const count = static_cast<unsigned long long>(outputCount) * inputCount;
    if (coeffs == nullptr || count > mCoeffs.size())
        return false;
    if (!std::all_of(coeffs, coeffs + count, [](double gain) { return std::isfinite(gain); }))
        return false;
    mOutputCount = outputCount;
    mInputCount = inputCount;
    std::copy_n(coeffs, CoeffCount(), mCoeffs.begin());
    return true;
}

bool QVGainMatrix::IsEqual(QVGainMatrix const& other) const
{
    if (this == &other)
        return true;
    if (mOutputCount != other.mOutputCount || mInputCount != other.mInputCount)
        return false;
    unsigned int const count = CoeffCount();
    for (unsigned int k = 0; k < count; k++)
        if (!(mCoeffs[k] == other.mCoeffs[k]))
            return false;
    return true;
}

bool QVGainMatrix::HasOnlyFiniteCoeffs() const
{
    return std::all_of(mCoeffs.begin(), mCoeffs.begin() + CoeffCount(),
                       [](double gain) { return std::isfinite(gain); });
}

bool QVGainMatrix::MulByGain(double gain)
{
    if (!std::isfinite(gain))
        return false;
    if (QVSig::IsNearZero(gain)) {
        FillWithZeros();
        return true;
    }
    if (QVSig::IsNearOne(gain))
        return true;
    unsigned int const count = CoeffCount();
    for (unsigned int k = 0; k < count; k++)
        mCoeffs[k] *= gain;
    return true;
}

bool QVGainMatrix::MakeProduct(QVGainMatrix const& a, QVGainMatrix const& b)
{
    if (this == &a || this == &b || a.mInputCount != b.mOutputCount)
        return false;
    if (!SetSize(a.mOutputCount, b.mInputCount))
        return false;
    unsigned int const inner = a.mInputCount;
    for (unsigned int o = 0; o < mOutputCount; o++) {
        for (unsigned int i = 0; i < mInputCount; i++) {
            double sum = 0.0;
            for (unsigned int k = 0; k < inner; k++)
                sum += a.GetCoeff(o, k) * b.GetCoeff(k, i);
            SetCoeff(o, i, sum);
        }
    }
    return true;
}

unsigned int QVGainMatrix::RoutedChannelCount(unsigned int flags) const
{
    bool const fillOutputs = (flags & kQVGainMatrixFillFurtherOutputs) != 0;
    bool const mixInputs = (flags & kQVGainMatrixMixFurtherInputs) != 0;
    if ((fillOutputs && mOutputCount > mInputCount) || (!mixInputs && mOutputCount < mInputCount))
        return mOutputCount;
    return mInputCount;
}

void QVGainMatrix::DistributeDiagonal(unsigned int flags, unsigned int outputOffset)
{
    unsigned int const outputs = mOutputCount;
    unsigned int const inputs = mInputCount;
    if (outputs == 0 || inputs == 0)
        return;
    FillWithZeros();
    // Output indices in 64 bits: offset + j must not wrap before the modulo.
    auto output = [outputs, outputOffset](unsigned int j) {
        return static_cast<unsigned int>((static_cast<unsigned long long>(outputOffset) + j) % outputs);
    };
    if (inputs != 1) {
        unsigned int const n = RoutedChannelCount(flags);
        for (unsigned int j = 0; j < n; j++)
            SetCoeff(output(j), j % inputs, 1.0);
        return;
    }
    bool const monoAsStereo = (flags & kQVGainMatrixMonoAsStereo) != 0;
    if ((flags & kQVGainMatrixFillFurtherOutputs) == 0) {
        if (monoAsStereo) {
            SetCoeff(output(0), 0, kQVGainMatrixMonoAsStereoGain);
            SetCoeff(output(1), 0, kQVGainMatrixMonoAsStereoGain);
        } else {
            SetCoeff(output(0), 0, 1.0);
        }
        return;
    }
    if (monoAsStereo) {
        for (unsigned int o = 0; o < outputs; o++)
            SetCoeff(o, 0, kQVGainMatrixMonoAsStereoGain);
    } else {
        for (unsigned int j = 0; j < outputs; j += 2)
            SetCoeff(output(j), 0, 1.0);
    }
}

void QVGainMatrix::DistributePanoramics(unsigned int flags, unsigned int outputOffset, double pan)
{
    unsigned int const outputs = mOutputCount;
    unsigned int const inputs = mInputCount;
    if (outputs == 0 || inputs == 0)
        return;
    FillWithZeros();
    if (std::isnan(pan))
        pan = 0.0;  // centred rather than NaN gains
    pan = std::min(std::max(pan, -1.0), 1.0);
    auto output = [outputs, outputOffset](unsigned int j) {
        return static_cast<unsigned int>((static_cast<unsigned long long>(outputOffset) + j) % outputs);
    };

    if (inputs == 1) {
        double const left = ClampedRoot((1.0 - pan) / 2.0);
        double const right = ClampedRoot((1.0 + pan) / 2.0);
        // A pan onto the last output keeps only its left gain.
        auto panOnto = [&](unsigned int k) {
            SetCoeff(k, 0, left);
            if (k + 1 < outputs)
                SetCoeff(k + 1, 0, right);
        };
        if ((flags & kQVGainMatrixFillFurtherOutputs) == 0) {
            panOnto(output(0));
        } else {
            for (unsigned int j = 0; j < outputs; j += 2)
                panOnto(output(j));
        }
        return;
    }

    // Stereo pairs, balance style: the side panned away from fades out
    // into the other one.
    double leftToLeft, leftToRight, rightToLeft, rightToRight;
    if (pan >= 0.0) {
        leftToLeft = ClampedRoot(1.0 - pan);
        leftToRight = ClampedRoot(pan);
        rightToLeft = 0.0;
        rightToRight = 1.0;
    } else {
        leftToLeft = 1.0;
        leftToRight = 0.0;
        rightToLeft = ClampedRoot(-pan);
        rightToRight = ClampedRoot(1.0 + pan);
    }
    unsigned int const pairedCount = RoutedChannelCount(flags) & ~1u;
    for (unsigned int j = 0; j < pairedCount; j += 2) {
        unsigned int const leftIn = j % inputs;
        unsigned int const rightIn = (j + 1) % inputs;
        unsigned int const leftOut = output(j);
        unsigned int const rightOut = output(j + 1);
        // Added rather than set: with a single output both sides of the pair
        // land on it, and neither may overwrite the other.
        mCoeffs[leftOut * inputs + leftIn] += leftToLeft;
        mCoeffs[rightOut * inputs + leftIn] += leftToRight;
        mCoeffs[leftOut * inputs + rightIn] += rightToLeft;
        mCoeffs[rightOut * inputs + rightIn] += rightToRight;
    }
}

void QVGainMatrix::ApplyMutedChannelsOnInputs(unsigned long long mutedInputs)
{
    if (mutedInputs == 0)
        return;
    unsigned int const inputs = std::min(mInputCount, 64u);
    for (unsigned int i = 0; i < inputs; i++) {
        if ((mutedInputs >> i) & 1u) {
            for (unsigned int o = 0; o < mOutputCount; o++)
                SetCoeff(o, i, 0.0);
        }
    }
}

void QVGainMatrix::ApplyMutedChannelsOnOutputs(unsigned long long mutedOutputs)
{
    if (mutedOutputs == 0)
        return;
    unsigned int const outputs = std::min(mOutputCount, 64u);
    for (unsigned int o = 0; o < outputs; o++) {
        if ((mutedOutputs >> o) & 1u)
            std::fill_n(mCoeffs.begin() + o * mInputCount, mInputCount, 0.0);
    }
}
