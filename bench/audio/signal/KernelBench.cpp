// Speed of the signal kernels per sample, beside memcpy and memset of the
// same number of bytes (the cheapest a pass over the block can be). Each
// kernel row reports:
//   ns/sample   time per sample;
//   x_memcpy    time of one call / time of a memcpy of the block it writes;
//   x_memset    time of one call / time of a memset of that block.
// The fade and the matrix mix also report, measured in the row:
//   x_plain     time of one call / time of the plainest loop doing the same
//               work (below 1: faster than the plain loop);
//   x_passes    (matrix mix) time of one call / time of one CopyAddWithGain
//               pass per non-zero gain, the way to mix a matrix gain by gain.
// Run: bench_audio_KernelBench [--benchmark_filter=...]

#include "QVGainMatrix.h"
#include "QVSig.h"
#include "QXSampleBuffer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// In-place kernels whose gains drift the samples away from 1 get their block
// back this often, so that no denormals slow them down; the refill costs
// 1/64 of a memcpy per call.
constexpr unsigned int kRefillPeriod = 64;

// Nanoseconds per call of f, the fastest of five runs of about 2 ms each.
template <typename F>
double NsPerCall(F&& f)
{
    unsigned long calls = 1;
    for (;;) {
        auto const t0 = Clock::now();
        for (unsigned long i = 0; i < calls; i++)
            f();
        if (Clock::now() - t0 > std::chrono::milliseconds(2))
            break;
        calls *= 2;
    }
    double best = 1e300;
    for (int run = 0; run < 5; run++) {
        auto const t0 = Clock::now();
        for (unsigned long i = 0; i < calls; i++)
            f();
        double const ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / calls;
        best = std::min(best, ns);
    }
    return best;
}

enum class Reference { Memcpy, Memset };

// Time of memcpy or memset over `bytes` bytes, measured once per length.
double ReferenceNs(Reference kind, size_t bytes)
{
    static std::map<std::pair<Reference, size_t>, double> cache;
    auto const key = std::make_pair(kind, bytes);
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    std::vector<unsigned char> source(bytes, 0x3C), destination(bytes);
    double ns;
    if (kind == Reference::Memcpy) {
        ns = NsPerCall([&] {
            memcpy(destination.data(), source.data(), bytes);
            benchmark::DoNotOptimize(destination.data());
            benchmark::ClobberMemory();
        });
    } else {
        ns = NsPerCall([&] {
            memset(destination.data(), 0, bytes);
            benchmark::DoNotOptimize(destination.data());
            benchmark::ClobberMemory();
        });
    }
    cache.emplace(key, ns);
    return ns;
}

// Runs the benchmark loop over `call` and sets the per-sample counters;
// `samples` is the number of samples one call processes and `bytes` the
// size of the block it writes. `refill`, when given, restores the block
// every kRefillPeriod calls.
template <typename Call, typename Refill>
double RunKernel(benchmark::State& state, unsigned int samples, size_t bytes, Call&& call, Refill&& refill)
{
    unsigned int sinceRefill = 0;
    auto const t0 = Clock::now();
    for (auto _ : state) {
        call();
        benchmark::ClobberMemory();
        if (++sinceRefill == kRefillPeriod) {
            refill();
            sinceRefill = 0;
        }
    }
    double const ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
    double const perCall = ns / static_cast<double>(state.iterations());
    state.counters["ns/sample"] = perCall / samples;
    state.counters["x_memcpy"] = perCall / ReferenceNs(Reference::Memcpy, bytes);
    state.counters["x_memset"] = perCall / ReferenceNs(Reference::Memset, bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * samples);
    return perCall;
}

// Returns the time of one call.
template <typename Call>
double RunKernel(benchmark::State& state, unsigned int samples, size_t bytes, Call&& call)
{
    return RunKernel(state, samples, bytes, std::forward<Call>(call), [] {});
}

// A block of n samples spread over [-1, 1].
template <typename T>
std::vector<T> Signal(unsigned int n)
{
    std::vector<T> samples(n);
    for (unsigned int i = 0; i < n; i++)
        samples[i] = static_cast<T>(((i * 7919u) % 2001u) / 1000.0 - 1.0);
    return samples;
}

// --- References ---

void BM_Memcpy(benchmark::State& state)
{
    size_t const bytes = static_cast<size_t>(state.range(0)) * sizeof(double);
    std::vector<unsigned char> source(bytes, 1), destination(bytes);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), bytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Memcpy)->Arg(64)->Arg(512)->Arg(4096)->ArgName("doubles");

void BM_Memset(benchmark::State& state)
{
    size_t const bytes = static_cast<size_t>(state.range(0)) * sizeof(double);
    std::vector<unsigned char> destination(bytes);
    for (auto _ : state) {
        memset(destination.data(), 0, bytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Memset)->Arg(64)->Arg(512)->Arg(4096)->ArgName("doubles");

// --- Gains ---

template <typename T>
void BM_ApplyGain(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> samples = Signal<T>(n);
    // -1 keeps the magnitudes while still multiplying.
    RunKernel(state, n, n * sizeof(T), [&] { QVSig::ApplyGain(samples.data(), n, -1.0); });
}

template <typename T>
void BM_ApplyGainRamp(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const pristine = Signal<T>(n);
    std::vector<T> samples = pristine;
    RunKernel(
        state, n, n * sizeof(T), [&] { QVSig::ApplyGain(samples.data(), n, 0.99, 1.01); }, [&] { samples = pristine; });
}

template <typename T>
void BM_CopyWithGain(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const source = Signal<T>(n);
    std::vector<T> destination(n);
    RunKernel(state, n, n * sizeof(T), [&] { QVSig::CopyWithGain(destination.data(), source.data(), n, 0.5); });
}

template <typename T>
void BM_CopyAddWithGain(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const source = Signal<T>(n);
    std::vector<T> destination(n);
    RunKernel(
        state, n, n * sizeof(T), [&] { QVSig::CopyAddWithGain(destination.data(), source.data(), n, 0.5); },
        [&] { std::fill(destination.begin(), destination.end(), T(0)); });
}

// --- Fades and noise ---

template <typename T>
void BM_ApplyFadeIn(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const pristine = Signal<T>(n);
    std::vector<T> samples = pristine;
    // Near the top of the curve: the same lookups as any fade, without
    // driving the samples to zero between refills.
    RunKernel(
        state, n, n * sizeof(T), [&] { QVSig::ApplyFadeIn(samples.data(), n, 0.9, 1.0); }, [&] { samples = pristine; });
}

// The fade's walk as the plainest loop: the same lookups and products,
// nothing else.
template <typename T>
void PlainFadeIn(T* samples, unsigned int count, double a, double b)
{
    T const* curve = nullptr;
    if constexpr (std::is_same_v<T, double>)
        curve = QVSig::kTableSinbranch64.Data();
    else
        curve = QVSig::kTableSinbranch32.Data();
    double position = a * QVSig::kSinbranchSteps + 0.5;
    double const step = (b * QVSig::kSinbranchSteps + 0.5 - position) / count;
    for (unsigned int i = 0; i < count; i++, position += step)
        samples[i] *= curve[static_cast<int>(position)];
}

// Nanoseconds per call of `call`, as NsPerCall, with `refill` run every
// kRefillPeriod calls (its share counted).
template <typename Call, typename Refill>
double NsPerCallWithRefill(Call&& call, Refill&& refill)
{
    unsigned int sinceRefill = 0;
    return NsPerCall([&] {
        call();
        benchmark::ClobberMemory();
        if (++sinceRefill == kRefillPeriod) {
            refill();
            sinceRefill = 0;
        }
    });
}

template <typename T>
void BM_ApplyFadeInVsPlainLoop(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const pristine = Signal<T>(n);
    std::vector<T> samples = pristine;
    // exact 0: positions 0.9 to 1, a walk whose additions round; exact 1:
    // positions 0.5 to 1, whose additions are exact at these sizes.
    double const a = state.range(1) != 0 ? 0.5 : 0.9;
    auto fade = [&] { QVSig::ApplyFadeIn(samples.data(), n, a, 1.0); };
    auto plain = [&] { PlainFadeIn(samples.data(), n, a, 1.0); };
    auto refill = [&] { samples = pristine; };
    RunKernel(state, n, n * sizeof(T), fade, refill);
    // Both timed the same way, one after the other.
    state.counters["x_plain"] = NsPerCallWithRefill(fade, refill) / NsPerCallWithRefill(plain, refill);
}

template <typename T>
void BM_CopyAddWithXFade(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const source = Signal<T>(n);
    std::vector<T> destination(n, T(0.5));
    RunKernel(state, n, n * sizeof(T),
              [&] { QVSig::CopyAddWithXFade(destination.data(), source.data(), n, 1.0, 0.0); });
}

template <typename T>
void BM_FillWithNoise(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> samples(n);
    RunKernel(state, n, n * sizeof(T), [&] { QVSig::FillWithNoise(samples.data(), n, 0.5); });
}

// --- Matrix mix (inputs -> outputs channels, n frames) ---

// A matrix with every gain non-zero and none near 1, as a pan with a volume gives.
QVGainMatrix MixMatrix(unsigned int outputs, unsigned int inputs)
{
    QVGainMatrix matrix(outputs, inputs);
    for (unsigned int o = 0; o < outputs; o++)
        for (unsigned int i = 0; i < inputs; i++)
            matrix.SetCoeff(o, i, 0.3 + 0.1 * ((o + 2 * i) % 5));
    return matrix;
}

template <typename T>
void BM_CopyAddWithMatrix(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    unsigned int const inputs = static_cast<unsigned int>(state.range(1));
    unsigned int const outputs = static_cast<unsigned int>(state.range(2));
    QVGainMatrix const matrix = MixMatrix(outputs, inputs);
    QXSampleBuffer<T> source, destination;
    source.AllocateClean(inputs, n, 48000.0);
    destination.AllocateClean(outputs, n, 48000.0);
    for (unsigned int i = 0; i < inputs; i++) {
        std::vector<T> const samples = Signal<T>(n);
        std::copy(samples.begin(), samples.end(), source.SamplePtr(i, 0));
    }
    auto refill = [&] { destination.Zeroset(kQVSampleRangeAll); };
    auto mix = [&] {
        bool ok = destination.CopyAddWithMatrix(source, matrix, kQVSampleRangeAll);
        benchmark::DoNotOptimize(ok);
    };
    RunKernel(state, n * outputs, size_t(n) * outputs * sizeof(T), mix, refill);

    std::vector<T*> outputPointers;
    std::vector<T const*> inputPointers;
    for (unsigned int o = 0; o < outputs; o++)
        outputPointers.push_back(destination.SamplePtr(o, 0));
    for (unsigned int i = 0; i < inputs; i++)
        inputPointers.push_back(source.SamplePtrConst(i, 0));
    // The plainest loop: every output sample sums all its inputs.
    auto plain = [&] {
        for (unsigned int o = 0; o < outputs; o++) {
            T* const d = outputPointers[o];
            for (unsigned int f = 0; f < n; f++) {
                T sum = d[f];
                for (unsigned int i = 0; i < inputs; i++)
                    sum += inputPointers[i][f] * static_cast<T>(matrix.GetCoeff(o, i));
                d[f] = sum;
            }
        }
    };
    // Gain by gain: one pass over the output per non-zero gain.
    auto passes = [&] {
        for (unsigned int o = 0; o < outputs; o++)
            for (unsigned int i = 0; i < inputs; i++)
                if (!QVSig::IsNearZero(matrix.GetCoeff(o, i)))
                    QVSig::CopyAddWithGain<T>(outputPointers[o], inputPointers[i], n, matrix.GetCoeff(o, i));
    };
    double const mixNs = NsPerCallWithRefill(mix, refill);
    state.counters["x_plain"] = mixNs / NsPerCallWithRefill(plain, refill);
    state.counters["x_passes"] = mixNs / NsPerCallWithRefill(passes, refill);
}

// --- Measures ---

template <typename T>
void BM_GetMaxLevel(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const samples = Signal<T>(n);
    T level = 0;
    RunKernel(state, n, n * sizeof(T), [&] {
        QVSig::GetMaxLevel(samples.data(), n, &level);
        benchmark::DoNotOptimize(level);
    });
}

template <typename T>
void BM_IsAlmostZero(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<T> const samples(n, T(0.0001));  // passes, so every sample is read
    RunKernel(state, n, n * sizeof(T), [&] {
        bool zero = QVSig::IsAlmostZero(samples.data(), n, T(0.001));
        benchmark::DoNotOptimize(zero);
    });
}

// --- Interleaving (one channel of a stereo block; n frames) ---

template <typename TDes, typename TSrc>
void BM_CopyCastInterleave(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<TSrc> const channel = Signal<TSrc>(n);
    std::vector<TDes> interleaved(2 * size_t(n));
    RunKernel(state, n, n * sizeof(TDes),
              [&] { QVSig::CopyCastInterleave(interleaved.data(), channel.data(), 1u, 2u, n); });
}

template <typename TDes, typename TSrc>
void BM_CopyCastDeinterleave(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<TSrc> const interleaved = Signal<TSrc>(2 * n);
    std::vector<TDes> channel(n);
    RunKernel(state, n, n * sizeof(TDes),
              [&] { QVSig::CopyCastDeinterleave(channel.data(), interleaved.data(), 1u, 2u, n); });
}

// --- Raw sound-file samples ---

// One channel of a stereo raw block into a planar channel (n frames).
template <typename T, QVAudioPCMInfo kInfo>
void BM_DeinterleavePCM(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<unsigned char> raw(size_t(n) * 2 * QVAudioPCMInfoGetBytesPerSample(kInfo));
    for (size_t i = 0; i < raw.size(); i++)
        raw[i] = static_cast<unsigned char>(i * 37);
    if (kInfo & kQVAudioPCMInfoFloat)
        std::fill(raw.begin(), raw.end(), 0x3E);  // finite values of either float size
    std::vector<T> channel(n);
    RunKernel(state, n, n * sizeof(T), [&] {
        bool ok = QVSig::CopyCastDeinterleavePCMData(channel.data(), raw.data(), kInfo, 1u, 2u, n);
        benchmark::DoNotOptimize(ok);
    });
}

// A whole interleaved raw block into interleaved samples (n samples), as providers convert it.
template <typename T, QVAudioPCMInfo kInfo>
void BM_InterleavePCMBlock(benchmark::State& state)
{
    unsigned int const n = static_cast<unsigned int>(state.range(0));
    std::vector<unsigned char> raw(size_t(n) * QVAudioPCMInfoGetBytesPerSample(kInfo));
    for (size_t i = 0; i < raw.size(); i++)
        raw[i] = static_cast<unsigned char>(i * 37);
    std::vector<T> samples(n);
    RunKernel(state, n, n * sizeof(T), [&] {
        bool ok = QVSig::CopyCastInterleavePCMData(samples.data(), raw.data(), kInfo, 0u, 1u, n);
        benchmark::DoNotOptimize(ok);
    });
}

constexpr QVAudioPCMInfo kS16LE = 16 | kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kS24BE = 24 | kQVAudioPCMInfoBigEndian;
constexpr QVAudioPCMInfo kS24LE = 24 | kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kF32LE = 32 | kQVAudioPCMInfoFloat | kQVAudioPCMInfoLittleEndian;
constexpr QVAudioPCMInfo kF32BE = 32 | kQVAudioPCMInfoFloat | kQVAudioPCMInfoBigEndian;

// The tables must exist before the fades run.
int const kTablesReady = QVSig::InitTables();

#define KERNEL_SIZES ->Arg(64)->Arg(512)->Arg(4096)->ArgName("samples")

BENCHMARK_TEMPLATE(BM_ApplyGain, float) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyGain, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyGainRamp, float) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyGainRamp, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyWithGain, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyAddWithGain, float) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyAddWithGain, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyFadeIn, float) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyFadeIn, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_ApplyFadeInVsPlainLoop, float)
    ->ArgsProduct({{512, 4096}, {0, 1}})
    ->ArgNames({"samples", "exact"});
BENCHMARK_TEMPLATE(BM_ApplyFadeInVsPlainLoop, double)
    ->ArgsProduct({{64, 512, 4096}, {0, 1}})
    ->ArgNames({"samples", "exact"});
BENCHMARK_TEMPLATE(BM_CopyAddWithXFade, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyAddWithMatrix, float)->Args({512, 2, 2})->ArgNames({"frames", "inputs", "outputs"});
BENCHMARK_TEMPLATE(BM_CopyAddWithMatrix, double)
    ->Args({512, 1, 2})
    ->Args({512, 2, 2})
    ->Args({512, 6, 2})
    ->Args({4096, 2, 2})
    ->ArgNames({"frames", "inputs", "outputs"});
BENCHMARK_TEMPLATE(BM_FillWithNoise, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_GetMaxLevel, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_IsAlmostZero, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyCastInterleave, float, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyCastInterleave, double, double) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_CopyCastDeinterleave, double, float) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_DeinterleavePCM, float, kS16LE) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_DeinterleavePCM, float, kS24BE) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_DeinterleavePCM, float, kF32BE) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_InterleavePCMBlock, float, kS16LE) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_InterleavePCMBlock, float, kS24LE) KERNEL_SIZES;
BENCHMARK_TEMPLATE(BM_InterleavePCMBlock, float, kF32LE) KERNEL_SIZES;

}  // namespace

BENCHMARK_MAIN();
