#include "QVResampler.h"

#include "AKTargetClones.h"
#include "QVResamplePhaseTables.h"

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

// --- Reading the sinc table itself (when its phase table is missing) ---

// One destination frame per pass: the 2W - 1 taps around position m. The
// coefficient of tap k is the entry at (1 - f + k) × steps from the table's
// start, which stands for the distance (1 - f) + k - W between the tap's
// frame and the position.
template <int W, bool kInterpolate, typename TDes, typename TSrc>
void RunStridedKernel(TDes* destination, unsigned long long frameCount, TSrc const* source, double speed, double phase,
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
void RunStridedKernel(bool interpolate, TDes* const* destinations, TSrc const* const* sources,
                      unsigned int channelCount, unsigned long long frameCount, double speed, double phase,
                      double const* entries)
{
    for (unsigned int c = 0; c < channelCount; c++) {
        if (interpolate)
            RunStridedKernel<W, true>(destinations[c], frameCount, sources[c], speed, phase, entries);
        else
            RunStridedKernel<W, false>(destinations[c], frameCount, sources[c], speed, phase, entries);
    }
}

// --- Reading the phase table ---
//
// The frames are taken in runs: for each run, the positions, the first taps
// and the weights of every frame are worked out once, then every channel is
// summed with them. Each frame's sum keeps the order of the taps (one serial
// sum per channel and frame, as the strided kernel does), so both kernels
// give the same bits; the speed comes from summing two channels (or, for a
// lone channel, two frames) side by side in the two lanes of a vector.

constexpr unsigned int kRunFrames = 32;
constexpr int kMaxRowStride = 48;

// The taps of a run of destination frames: the source index of tap 0 and the
// tapCount weights of each frame (a phase-table row, or interpolated rows).
struct RunTaps {
    long long first[kRunFrames];
    double const* weights[kRunFrames];
    alignas(64) double interpolated[kRunFrames * kMaxRowStride];
};

// Positions, first taps and weights of frames firstFrame to firstFrame +
// count - 1. Built for wider vectors where the machine has them: rounding
// (floor) and the interpolation are exact in every version.
AK_TARGET_CLONES("avx2", "sse4.1", "default")
void PrepareRun(RunTaps* run, unsigned long long firstFrame, unsigned int count, double speed, double phase,
                int halfWidth, ResamplePhaseTable const* table, bool interpolate)
{
    double const* const rows = table->rows;
    long const stride = table->rowStride;
    for (unsigned int i = 0; i < count; i++) {
        double const m = static_cast<double>(firstFrame + i) * speed + phase;
        double const floorM = std::floor(m);
        double const f = m - floorM;
        run->first[i] = static_cast<long long>(floorM) - halfWidth + 1;
        double const lead = (1.0 - f) * kSincardSteps;
        if (!interpolate) {
            run->weights[i] = rows + static_cast<long>(std::floor(lead + 0.5)) * stride;
            continue;
        }
        double const u = std::floor(lead);
        double const g = lead - u;
        double const* const lower = rows + static_cast<long>(u) * stride;
        double const* const upper = lower + stride;
        double* const weights = run->interpolated + i * stride;
        for (long k = 0; k < stride; k++)
            weights[k] = (1.0 - g) * lower[k] + g * upper[k];
        run->weights[i] = weights;
    }
}

// Two doubles summed side by side (SSE2 on every x86-64).
typedef double Lanes __attribute__((vector_size(16)));

// Source frames of both channels that a run may lay side by side first:
// enough for every tap of a run up to about 6 source frames per
// destination frame with the widest kernel.
constexpr long long kRunPairMax = 256;

// Two channels of the run, one in each lane. The run's source frames are
// first laid out as (left, right) pairs, so that each tap is one aligned
// load of both channels instead of two loads and a shuffle; the products
// and their order are the same.
template <int kTaps, typename TDes>
void SumTwoChannels(TDes* left, TDes* right, double const* sourceLeft, double const* sourceRight, RunTaps const& run,
                    unsigned int count)
{
    // Frame positions move one way through a run.
    long long const lowest = run.first[0] < run.first[count - 1] ? run.first[0] : run.first[count - 1];
    long long const span = (run.first[0] < run.first[count - 1] ? run.first[count - 1] : run.first[0]) - lowest + kTaps;
    if (span <= kRunPairMax) {
        Lanes pairs[kRunPairMax];
        for (long long j = 0; j < span; j++)
            pairs[j] = Lanes{sourceLeft[lowest + j], sourceRight[lowest + j]};
        for (unsigned int i = 0; i < count; i++) {
            double const* const weights = run.weights[i];
            Lanes const* const taps = pairs + (run.first[i] - lowest);
            Lanes sum = {0.0, 0.0};
            for (int k = 0; k < kTaps; k++) {
                Lanes const weight = {weights[k], weights[k]};
                sum += weight * taps[k];
            }
            left[i] = static_cast<TDes>(sum[0]);
            right[i] = static_cast<TDes>(sum[1]);
        }
        return;
    }
    for (unsigned int i = 0; i < count; i++) {
        double const* const weights = run.weights[i];
        double const* const l = sourceLeft + run.first[i];
        double const* const r = sourceRight + run.first[i];
        Lanes sum = {0.0, 0.0};
        for (int k = 0; k < kTaps; k++) {
            Lanes const weight = {weights[k], weights[k]};
            Lanes const taps = {l[k], r[k]};
            sum += weight * taps;
        }
        left[i] = static_cast<TDes>(sum[0]);
        right[i] = static_cast<TDes>(sum[1]);
    }
}

// One channel of the run, two frames at a time, one in each lane.
template <int kTaps, typename TDes>
void SumOneChannel(TDes* destination, double const* source, RunTaps const& run, unsigned int count)
{
    unsigned int i = 0;
    for (; i + 1 < count; i += 2) {
        double const* const weightsA = run.weights[i];
        double const* const weightsB = run.weights[i + 1];
        double const* const a = source + run.first[i];
        double const* const b = source + run.first[i + 1];
        Lanes sum = {0.0, 0.0};
        for (int k = 0; k < kTaps; k++) {
            Lanes const weight = {weightsA[k], weightsB[k]};
            Lanes const taps = {a[k], b[k]};
            sum += weight * taps;
        }
        destination[i] = static_cast<TDes>(sum[0]);
        destination[i + 1] = static_cast<TDes>(sum[1]);
    }
    if (i < count) {
        double const* const weights = run.weights[i];
        double const* const a = source + run.first[i];
        double sum = 0.0;
        for (int k = 0; k < kTaps; k++)
            sum += weights[k] * a[k];
        destination[i] = static_cast<TDes>(sum);
    }
}

template <int W, typename TDes>
void RunPhaseKernel(bool interpolate, TDes* const* destinations, double const* const* sources,
                    unsigned int channelCount, unsigned long long frameCount, double speed, double phase,
                    ResamplePhaseTable const& table)
{
    constexpr int kTaps = 2 * W - 1;
    static_assert(kTaps <= kMaxRowStride, "a row holds every tap");
    RunTaps run;
    unsigned int count = 0;
    for (unsigned long long done = 0; done < frameCount; done += count) {
        count = frameCount - done < kRunFrames ? static_cast<unsigned int>(frameCount - done) : kRunFrames;
        PrepareRun(&run, done, count, speed, phase, W, &table, interpolate);
        unsigned int c = 0;
        for (; c + 1 < channelCount; c += 2)
            SumTwoChannels<kTaps>(destinations[c] + done, destinations[c + 1] + done, sources[c], sources[c + 1], run,
                                  count);
        if (c < channelCount)
            SumOneChannel<kTaps>(destinations[c] + done, sources[c], run, count);
    }
}

template <int W, typename TDes>
void RunKernel(bool interpolate, TDes* const* destinations, double const* const* sources, unsigned int channelCount,
               unsigned long long frameCount, double speed, double phase, TableSincard<double> const& table)
{
    ResamplePhaseTable const& phaseTable = ResamplePhaseTableOf(table);
    if (phaseTable.rows != nullptr && phaseTable.tapCount == 2 * W - 1)
        RunPhaseKernel<W>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, phaseTable);
    else
        RunStridedKernel<W>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, table.Data());
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
void CopyCastResample_ShannonChannels(TDes* const* destinations, TSrc const* const* sources, unsigned int channelCount,
                                      unsigned long long frameCount, double speed, double phase, unsigned int quality)
{
    if (!(phase >= 0.0 && phase < 1.0) || !std::isfinite(speed) || destinations == nullptr || sources == nullptr ||
        frameCount == 0)
        return;
    for (unsigned int c = 0; c < channelCount; c++)
        if (destinations[c] == nullptr || sources[c] == nullptr)
            return;
    TableSincard<double> const& table = CopyCastResample_SincTable(speed, quality);
    if (!table.IsBuilt())
        return;
    bool const interpolate = (quality & kResampleQualityKernelMask) >= kResampleQualityFirstInterpolated;
    switch (table.HalfWidth()) {
    case 8:
        RunKernel<8>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, table);
        break;
    case 12:
        RunKernel<12>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, table);
        break;
    case 16:
        RunKernel<16>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, table);
        break;
    case 24:
        RunKernel<24>(interpolate, destinations, sources, channelCount, frameCount, speed, phase, table);
        break;
    default:
        break;
    }
}

template <typename TDes, typename TSrc>
void CopyCastResample_Shannon(TDes* destination, unsigned long long frameCount, TSrc const* source, double speed,
                              double phase, unsigned int quality)
{
    CopyCastResample_ShannonChannels(&destination, &source, 1, frameCount, speed, phase, quality);
}

template void CopyCastResample_ShannonChannels<double, double>(double* const*, double const* const*, unsigned int,
                                                               unsigned long long, double, double, unsigned int);
template void CopyCastResample_ShannonChannels<float, double>(float* const*, double const* const*, unsigned int,
                                                              unsigned long long, double, double, unsigned int);
template void CopyCastResample_Shannon<double, double>(double*, unsigned long long, double const*, double, double,
                                                       unsigned int);
template void CopyCastResample_Shannon<float, double>(float*, unsigned long long, double const*, double, double,
                                                      unsigned int);

}  // namespace QVSig
