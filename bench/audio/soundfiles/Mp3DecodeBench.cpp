// Loading an MP3 file through the MP3 reader, beside a bare libmad decoding
// loop over the same file (the whole file in memory, every frame decoded,
// synthesised and converted to float): the least a decoded load can cost.
// Each row reports:
//   ms/load     time of one whole load;
//   x_bare      time of one load / time of the bare decoding loop.
// Rows: the bare loop itself; a load whose exact frame count is cached (the
// provider's load, after it read the file's info); a first opening, which
// also counts the frames.
// The file: 60 s of a stereo sine at 44.1 kHz, 192 kbit/s, encoded once.
// Run: bench_audio_Mp3DecodeBench [--benchmark_filter=...]

#include "QVSoundFileReaderLibMad.h"

#include <benchmark/benchmark.h>
#include <lame/lame.h>
#include <mad.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
// Frames per read, as a provider reads blocks of 8 MB of interleaved floats.
constexpr unsigned long long kBlockFrames = (8u << 20) / (2 * sizeof(float));

// Kept until exit, when the file is removed.
std::string const& FilePath()
{
    static std::string const& path = *new std::string([] {
        char pattern[] = "/tmp/mp3bench_XXXXXX";
        int const fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        close(fd);
        std::string const name = std::string(pattern) + ".mp3";
        std::rename(pattern, name.c_str());

        lame_t lame = lame_init();
        lame_set_num_channels(lame, 2);
        lame_set_in_samplerate(lame, kRate);
        lame_set_out_samplerate(lame, kRate);
        lame_set_brate(lame, 192);
        lame_set_bWriteVbrTag(lame, 0);
        lame_init_params(lame);
        std::vector<float> left(kRate), right(kRate);
        std::vector<unsigned char> out(static_cast<size_t>(1.25 * kRate + 7200));
        FILE* file = std::fopen(name.c_str(), "wb");
        for (int second = 0; second < kSeconds; ++second) {
            for (int i = 0; i < kRate; ++i) {
                double const t = static_cast<double>(second * kRate + i) / kRate;
                left[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 440.0 * t));
                right[i] = static_cast<float>(0.3 * std::sin(2.0 * M_PI * 660.0 * t));
            }
            int const bytes = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), kRate, out.data(),
                                                            static_cast<int>(out.size()));
            std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file);
        }
        int const bytes = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
        std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file);
        std::fclose(file);
        lame_close(lame);
        std::atexit([] { std::remove(FilePath().c_str()); });
        return name;
    }());
    return path;
}

inline float Convert(mad_fixed_t value)
{
    if (value >= MAD_F_ONE)
        value = MAD_F_ONE - 1;
    else if (value < -MAD_F_ONE)
        value = -MAD_F_ONE;
    return static_cast<float>(value) * (1.0f / MAD_F_ONE);
}

// Decodes the whole file held in memory; the frames produced.
unsigned long long BareDecode(std::vector<unsigned char> const& data, std::vector<float>& out)
{
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    mad_stream_buffer(&stream, data.data(), data.size());
    unsigned long long frames = 0;
    for (;;) {
        if (mad_frame_decode(&frame, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error))
                continue;
            break;
        }
        mad_synth_frame(&synth, &frame);
        unsigned int const length = synth.pcm.length;
        if ((frames + length) * 2 > out.size())
            break;
        float* destination = out.data() + frames * 2;
        for (unsigned int i = 0; i < length; ++i) {
            destination[2 * i] = Convert(synth.pcm.samples[0][i]);
            destination[2 * i + 1] = Convert(synth.pcm.samples[1][i]);
        }
        frames += length;
    }
    mad_synth_finish(&synth);
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return frames;
}

// Reads the whole file into memory followed by libmad's guard, then decodes.
unsigned long long BareLoad(std::vector<float>& out)
{
    std::vector<unsigned char> data;
    FILE* file = std::fopen(FilePath().c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    data.resize(static_cast<size_t>(std::ftell(file)) + MAD_BUFFER_GUARD, 0);
    std::fseek(file, 0, SEEK_SET);
    size_t const read = std::fread(data.data(), 1, data.size() - MAD_BUFFER_GUARD, file);
    std::fclose(file);
    data.resize(read + MAD_BUFFER_GUARD);
    return BareDecode(data, out);
}

double BareMsPerLoad()
{
    static double const ms = [] {
        std::vector<float> out(static_cast<size_t>(kRate) * (kSeconds + 1) * 2);
        double best = 1e300;
        for (int run = 0; run < 5; ++run) {
            auto const t0 = Clock::now();
            benchmark::DoNotOptimize(BareLoad(out));
            best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
        return best;
    }();
    return ms;
}

// One load through the reader: open, read every frame block by block, close.
unsigned long long ReaderLoad(std::vector<float>& out)
{
    QVSoundFileReaderLibMad reader{AKFilePath(FilePath())};
    if (reader.Open() != 0)
        std::abort();
    unsigned long long const total = reader.GetFileInfo().frameCount;
    unsigned long long done = 0;
    while (done < total) {
        unsigned long long count = std::min(kBlockFrames, total - done);
        if (reader.ReadNextFrames(out.data() + done * 2, &count) != 0 || count == 0)
            break;
        done += count;
    }
    reader.Close();
    return done;
}

// Sets the counters of a row; the reference is measured on first use.
void SetCounters(benchmark::State& state, double ms)
{
    state.counters["ms/load"] = ms;
    state.counters["x_bare"] = ms / BareMsPerLoad();
}

void BM_BareLibmad(benchmark::State& state)
{
    std::vector<float> out(static_cast<size_t>(kRate) * (kSeconds + 1) * 2);
    BareMsPerLoad();  // encodes the file, outside the timing
    auto const t0 = Clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(BareLoad(out));
    SetCounters(state, std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / state.iterations());
}
BENCHMARK(BM_BareLibmad)->Unit(benchmark::kMillisecond);

void BM_ReaderLoadCounted(benchmark::State& state)
{
    std::vector<float> out(static_cast<size_t>(kRate) * (kSeconds + 1) * 2);
    ReaderLoad(out);  // the count is cached from here on
    auto const t0 = Clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReaderLoad(out));
    SetCounters(state, std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / state.iterations());
}
BENCHMARK(BM_ReaderLoadCounted)->Unit(benchmark::kMillisecond);

void BM_ReaderFirstOpen(benchmark::State& state)
{
    std::vector<float> out(static_cast<size_t>(kRate) * (kSeconds + 1) * 2);
    long long stamp = 1000000000;
    double ms = 0.0;
    for (auto _ : state) {
        // A new modification time makes the reader count the frames again.
        state.PauseTiming();
        timespec times[2] = {{static_cast<time_t>(++stamp), 0}, {static_cast<time_t>(stamp), 0}};
        utimensat(AT_FDCWD, FilePath().c_str(), times, 0);
        state.ResumeTiming();
        auto const t0 = Clock::now();
        benchmark::DoNotOptimize(ReaderLoad(out));
        ms += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }
    SetCounters(state, ms / state.iterations());
}
BENCHMARK(BM_ReaderFirstOpen)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
