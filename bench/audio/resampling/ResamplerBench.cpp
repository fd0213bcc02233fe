// The windowed-sinc resampler beside libsamplerate's sinc converters, at the
// same ratios on the same stereo input, block by block as the mixer asks for
// it (512 output frames a block, 65536 output frames a pass).
//
// Ratio: source frames read per output frame (the resampler's speed);
// libsamplerate is given its reciprocal (output rate / input rate). Our
// resampler reads planar doubles with their border from a source buffer and
// writes planar doubles; libsamplerate reads and writes interleaved floats
// and keeps its own history. Each row reports:
//   frames/s   stereo output frames produced per second;
//   x_src_fastest  (our rows) how many times faster than libsamplerate's
//              SINC_FASTEST at the same ratio: the fastest of five timed
//              passes of each, measured in the row;
//   error_dB   error of the left channel, a sine of 0.1 cycles per source
//              frame (4410 Hz at 44.1 kHz), against the sine at the exact
//              output positions, in dB below the sine (first and last 512
//              frames left out, where libsamplerate starts and ends on silence).
// Rows of one ratio are listed together: ours_q1..ours_q4 (the quality's low
// bits, with the unit-speed shortcut off as the mixer calls it), then
// src_best, src_medium, src_fastest. ours_q3 is the application's default
// quality, ours_q4 the quality of offline bounces.
// Run: bench_audio_ResamplerBench [--benchmark_filter=...]

#include "QVResampler.h"
#include "QXSampleBuffer.h"

#include <benchmark/benchmark.h>
#include <samplerate.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kBlockFrames = 512;
constexpr unsigned int kBlockCount = 128;
constexpr unsigned long long kOutputFrames = kBlockFrames * kBlockCount;
constexpr double kMaxRatio = 1.3;
constexpr unsigned long long kInputFrames = static_cast<unsigned long long>(kMaxRatio * kOutputFrames) + 4096;
constexpr unsigned int kChannels = 2;
constexpr double kLeftCycles = 0.1;  // per source frame
constexpr double kRightCycles = 0.0227;
constexpr unsigned long long kErrorMargin = 512;

double LeftAt(double position) { return sin(2.0 * M_PI * kLeftCycles * position); }
double RightAt(double position) { return 0.5 * sin(2.0 * M_PI * kRightCycles * position + 1.0); }

// The one stereo input, in both layouts. The planar copy carries the
// resampler's border: its frame i is input frame i - 28 (the sines run on
// before 0 and after the end, as a longer sound would).
struct Input {
    Input()
    {
        unsigned long long const border = QVSig::kResampleBorderFrameCount;
        interleaved.resize(kInputFrames * kChannels);
        for (unsigned long long i = 0; i < kInputFrames; i++) {
            interleaved[i * 2] = static_cast<float>(LeftAt(static_cast<double>(i)));
            interleaved[i * 2 + 1] = static_cast<float>(RightAt(static_cast<double>(i)));
        }
        planar.AllocateClean(kChannels, kInputFrames + 2 * border, 44100.0);
        for (unsigned long long i = 0; i < planar.TotalFrameCount(); i++) {
            double const position = static_cast<double>(i) - static_cast<double>(border);
            *planar.SamplePtr(0, i) = LeftAt(position);
            *planar.SamplePtr(1, i) = RightAt(position);
        }
    }
    std::vector<float> interleaved;
    QXSampleBuffer<double> planar;
};

Input const& TheInput()
{
    static Input const input;
    return input;
}

// Error of output frames against the left sine read at `ratio` frames per
// output frame, in dB below the sine.
template <typename F>
double ErrorDb(F&& outputAt, double ratio)
{
    double error = 0.0, power = 0.0;
    for (unsigned long long j = kErrorMargin; j < kOutputFrames - kErrorMargin; j++) {
        double const ideal = LeftAt(static_cast<double>(j) * ratio);
        double const difference = outputAt(j) - ideal;
        error += difference * difference;
        power += ideal * ideal;
    }
    return 10.0 * log10(error / power);
}

// Nanoseconds of one call of f: the fastest of five timed calls, after one
// untimed call.
template <typename F>
double BestNsPerCall(F&& f)
{
    using Clock = std::chrono::steady_clock;
    f();
    double best = 1e300;
    for (int run = 0; run < 5; run++) {
        auto const t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - t0).count());
    }
    return best;
}

double SrcFastestNsPerPass(double ratio);

// --- Ours ---

// One pass over the input in blocks; each block's left channel goes to
// `left` when given. False when the resampler refused a block.
bool ResamplePass(QXSampleBuffer<double>& block, double ratio, unsigned int quality, std::vector<double>* left)
{
    QXSampleBuffer<double> const& source = TheInput().planar;
    unsigned long long border = 0, needed = 0;
    block.ComputeSourceFrameCountNeededToResample(ratio, &border, &needed, nullptr);
    double position = 0.0;
    for (unsigned int b = 0; b < kBlockCount; b++) {
        double const first = std::floor(position);
        QVSampleRange const srcRange = QVSampleRangeMake(-1, border + static_cast<unsigned long long>(first), needed);
        if (!block.CopyCastResample(source, kQVSampleRangeAll, srcRange, ratio, position - first, quality, nullptr))
            return false;
        if (left != nullptr)
            left->insert(left->end(), block.SamplePtrConst(0, 0), block.SamplePtrConst(0, 0) + kBlockFrames);
        position += ratio * kBlockFrames;
    }
    return true;
}

void BM_Ours(benchmark::State& state, double ratio, unsigned int quality)
{
    QXSampleBuffer<double> block;
    block.AllocateClean(kChannels, kBlockFrames, 44100.0);
    quality |= QVSig::kResampleQualityNoExactCopy;
    std::vector<double> left;
    if (!ResamplePass(block, ratio, quality, &left)) {
        state.SkipWithError("the resampler refused a block");
        return;
    }
    double const errorDb = ErrorDb([&](unsigned long long j) { return left[j]; }, ratio);
    auto pass = [&] {
        bool ok = ResamplePass(block, ratio, quality, nullptr);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    };
    for (auto _ : state)
        pass();
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(kOutputFrames * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["error_dB"] = errorDb;
    double const srcNs = SrcFastestNsPerPass(ratio);
    if (srcNs > 0.0)
        state.counters["x_src_fastest"] = srcNs / BestNsPerCall(pass);
}

// --- libsamplerate ---

// One pass of libsamplerate from a reset state, fed the whole remaining
// input and asked for one block at a time; the output goes to `output` when
// given. False on a converter error or when it stops short.
bool SrcPass(SRC_STATE* converter, double ratio, std::vector<float>& block, std::vector<float>* output)
{
    std::vector<float> const& input = TheInput().interleaved;
    if (src_reset(converter) != 0)
        return false;
    long used = 0;
    unsigned long long produced = 0;
    while (produced < kOutputFrames) {
        SRC_DATA data = {};
        data.data_in = input.data() + used * kChannels;
        data.input_frames = static_cast<long>(kInputFrames) - used;
        data.data_out = block.data();
        data.output_frames = static_cast<long>(std::min<unsigned long long>(kBlockFrames, kOutputFrames - produced));
        data.src_ratio = 1.0 / ratio;
        if (src_process(converter, &data) != 0 || (data.input_frames_used == 0 && data.output_frames_gen == 0))
            return false;
        used += data.input_frames_used;
        produced += static_cast<unsigned long long>(data.output_frames_gen);
        if (output != nullptr)
            output->insert(output->end(), block.begin(), block.begin() + data.output_frames_gen * kChannels);
    }
    return true;
}

void BM_Src(benchmark::State& state, double ratio, int converterType)
{
    int error = 0;
    SRC_STATE* converter = src_new(converterType, kChannels, &error);
    if (converter == nullptr) {
        state.SkipWithError(src_strerror(error));
        return;
    }
    std::vector<float> block(kBlockFrames * kChannels);
    std::vector<float> output;
    if (!SrcPass(converter, ratio, block, &output)) {
        state.SkipWithError("libsamplerate stopped short");
        src_delete(converter);
        return;
    }
    double const errorDb = ErrorDb([&](unsigned long long j) { return double(output[j * kChannels]); }, ratio);
    for (auto _ : state) {
        bool ok = SrcPass(converter, ratio, block, nullptr);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(kOutputFrames * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["error_dB"] = errorDb;
    src_delete(converter);
}

// Time of one libsamplerate SINC_FASTEST pass at `ratio` (0 when it fails).
double SrcFastestNsPerPass(double ratio)
{
    int error = 0;
    SRC_STATE* converter = src_new(SRC_SINC_FASTEST, kChannels, &error);
    if (converter == nullptr)
        return 0.0;
    std::vector<float> block(kBlockFrames * kChannels);
    bool ok = true;
    double const ns = BestNsPerCall([&] {
        ok = SrcPass(converter, ratio, block, nullptr) && ok;
        benchmark::ClobberMemory();
    });
    src_delete(converter);
    return ok ? ns : 0.0;
}

std::string RatioName(double ratio)
{
    char text[16];
    snprintf(text, sizeof text, "%.1f", ratio);
    return text;
}

void RegisterAll()
{
    struct Converter {
        char const* name;
        int type;
    };
    Converter const converters[] = {
        {"src_best", SRC_SINC_BEST_QUALITY},
        {"src_medium", SRC_SINC_MEDIUM_QUALITY},
        {"src_fastest", SRC_SINC_FASTEST},
    };
    for (double ratio : {0.5, 0.9, 1.3}) {
        std::string const prefix = "Resample/" + RatioName(ratio) + "/";
        for (unsigned int quality = 1; quality <= 4; quality++) {
            benchmark::RegisterBenchmark((prefix + "ours_q" + std::to_string(quality)).c_str(), BM_Ours, ratio, quality)
                ->Unit(benchmark::kMillisecond);
        }
        for (Converter const& converter : converters) {
            benchmark::RegisterBenchmark((prefix + converter.name).c_str(), BM_Src, ratio, converter.type)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (QVSig::InitTables() != 0)
        return 1;
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
