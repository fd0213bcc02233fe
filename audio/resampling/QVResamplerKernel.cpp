#include "QVResampler.h"

#include <cmath>

namespace QVSig {

namespace {

// Speed thresholds below which the 24-, 16- and 12-crossing kernels serve,
// by quality (low 4 bits); at or above the last one the 8-crossing kernel does.
struct SpeedThresholds {
    double widest;
    double wide;
    double medium;
};

constexpr SpeedThresholds kLowestThresholds = {0.01, 0.05, 0.25};
constexpr SpeedThresholds kLowThresholds = {0.02, 0.1, 0.33};
constexpr SpeedThresholds kStandardThresholds = {0.05, 0.2, 0.5};

SpeedThresholds const& ThresholdsOf(unsigned int kernelQuality)
{
    if (kernelQuality == 1)
        return kLowestThresholds;
    if (kernelQuality == 2)
        return kLowThresholds;
    return kStandardThresholds;
}

// One destination frame per pass: the 2W - 1 taps around position m. The
// coefficient of tap k is the entry at (1 - f + k) × steps from the table's
// start, which stands for the distance (1 - f) + k - W between the tap's
// frame and the position.
template <int W, bool kInterpolate, typename TDes, typename TSrc>
void RunKernel(TDes* destination, unsigned long long frameCount, TSrc const* source, double speed, double phase,
               double const* entries)
{
    constexpr int kTaps = 2 * W - 1;
    for (unsigned long long j = 0; j < frameCount; j++) {
        double const m = static_cast<double>(j) * speed + phase;
        double const floorM = std::floor(m);
        double const f = m - floorM;
        TSrc const* const taps = source + (static_cast<long long>(floorM) - W + 1);
        double const lead = (1.0 - f) * kSincardSteps;
        double sum = 0.0;
        if (kInterpolate) {
            // u + steps × k and g are the floor and fraction of lead + steps × k for every k.
            double const u = std::floor(lead);
            double const g = lead - u;
            double const* coefficients = entries + static_cast<long>(u);
            for (int k = 0; k < kTaps; k++, coefficients += kSincardSteps)
                sum += ((1.0 - g) * coefficients[0] + g * coefficients[1]) * taps[k];
        } else {
            double const* coefficients = entries + static_cast<long>(std::floor(lead + 0.5));
            for (int k = 0; k < kTaps; k++, coefficients += kSincardSteps)
                sum += *coefficients * taps[k];
        }
        destination[j] = static_cast<TDes>(sum);
    }
}

template <int W, typename TDes, typename TSrc>
void RunKernel(bool interpolate, TDes* destination, unsigned long long frameCount, TSrc const* source, double speed,
               double phase, double const* entries)
{
    if (interpolate)
        RunKernel<W, true>(destination, frameCount, source, speed, phase, entries);
    else
        RunKernel<W, false>(destination, frameCount, source, speed, phase, entries);
}

// Needs above this are held there: far beyond any sample container, and
// needed + 2 × border cannot wrap.
constexpr double kNeededLimit = 4611686018427387904.0;  // 2^62

}  // namespace

void CopyCastResample_ComputeSourceFrameCountNeeded(unsigned long long frameCount, double speed,
                                                    unsigned long long* border, unsigned long long* needed,
                                                    unsigned long long* total)
{
    double const exact = std::ceil(std::fabs(speed) * static_cast<double>(frameCount));
    unsigned long long count = 0;
    if (exact >= kNeededLimit)
        count = static_cast<unsigned long long>(kNeededLimit);
    else if (exact > 0.0)  // not NaN
        count = static_cast<unsigned long long>(exact);
    if (border != nullptr)
        *border = kResampleBorderFrameCount;
    if (needed != nullptr)
        *needed = count;
    if (total != nullptr)
        *total = count + 2 * kResampleBorderFrameCount;
}

TableSincard<double> const& CopyCastResample_SincTable(double speed, unsigned int quality)
{
    SpeedThresholds const& thresholds = ThresholdsOf(quality & kResampleQualityKernelMask);
    double const magnitude = std::fabs(speed);
    if (magnitude < thresholds.widest)
        return kTableSincardD64;
    if (magnitude < thresholds.wide)
        return kTableSincardC64;
    if (magnitude < thresholds.medium)
        return kTableSincardB64;
    return kTableSincardA64;
}

template <typename TDes, typename TSrc>
void CopyCastResample_Shannon(TDes* destination, unsigned long long frameCount, TSrc const* source, double speed,
                              double phase, unsigned int quality)
{
    if (!(phase >= 0.0 && phase < 1.0) || !std::isfinite(speed) || destination == nullptr || source == nullptr ||
        frameCount == 0)
        return;
    TableSincard<double> const& table = CopyCastResample_SincTable(speed, quality);
    double const* const entries = table.Data();
    if (entries == nullptr)
        return;
    bool const interpolate = (quality & kResampleQualityKernelMask) >= kResampleQualityFirstInterpolated;
    switch (table.HalfWidth()) {
    case 8:
        RunKernel<8>(interpolate, destination, frameCount, source, speed, phase, entries);
        break;
    case 12:
        RunKernel<12>(interpolate, destination, frameCount, source, speed, phase, entries);
        break;
    case 16:
        RunKernel<16>(interpolate, destination, frameCount, source, speed, phase, entries);
        break;
    case 24:
        RunKernel<24>(interpolate, destination, frameCount, source, speed, phase, entries);
        break;
    default:
        break;
    }
}

template void CopyCastResample_Shannon<double, double>(double*, unsigned long long, double const*, double, double,
                                                       unsigned int);
template void CopyCastResample_Shannon<float, double>(float*, unsigned long long, double const*, double, double,
                                                      unsigned int);

}  // namespace QVSig
