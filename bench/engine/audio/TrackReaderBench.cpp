// Reading tracks into a player's block beside plain references, eight
// stereo tracks over one 48 kHz sound on a 48 kHz stereo device, block by
// block (512 frames plus the overlap the working memory adds, as a single
// player renders them).
//
// Rows (time per block; items: track frames produced):
//   reader_speed1/m    the track reader at speed 1: exact copies of the
//                      sound, faded at no edge, summed into the block; m 0:
//                      the sound file mapped (the default for sound files),
//                      1: decoded into memory;
//   loop_speed1        reference: a plain loop converting the same float
//                      samples and summing them into the block;
//   reader_speed09/q   the track reader at speed 0.9 through the windowed-
//                      sinc resampler at quality q (3: the real-time
//                      default, 4: offline bounces);
//   src_fastest_speed09  reference: one libsamplerate SINC_FASTEST
//                      converter per track at the same ratio, its output
//                      summed into the block.
// Run: bench_engine_TrackReaderBench [--benchmark_filter=...]

#include "AKIdlingCenter.h"
#include "QVAudioMemory.h"
#include "QVAudioResourcePrefs.h"
#include "QVProvider.h"
#include "QVSig.h"
#include "QVTrackReader.h"
#include "QVTrackZoneArray.h"

#include <benchmark/benchmark.h>
#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kTracks = 8;
constexpr unsigned int kChannels = 2;
constexpr unsigned long long kBlockFrames = 512;
constexpr int kRate = 48000;
constexpr unsigned long long kSoundFrames = 20 * kRate;
constexpr double kSpan = 15.0;  // seconds of timeline walked before starting over

float SampleAt(unsigned long long frame, unsigned int channel)
{
    return static_cast<float>(0.4 * std::sin(2.0 * M_PI * 441.0 * static_cast<double>(frame) / kRate + channel));
}

// The sound as a file and a loaded provider, the same samples interleaved
// in memory, the working memory and one zone list per track.
struct Setup {
    Setup()
    {
        QVSig::InitTables();
        char pattern[] = "/tmp/orvel-trackbench-XXXXXX";
        char* const made = mkdtemp(pattern);
        folder = made != nullptr ? made : "/tmp";
        path = folder + "/sound.wav";
        samples.resize(kSoundFrames * kChannels);
        for (unsigned long long f = 0; f < kSoundFrames; ++f)
            for (unsigned int c = 0; c < kChannels; ++c)
                samples[f * kChannels + c] = SampleAt(f, c);
        SF_INFO info = {};
        info.channels = kChannels;
        info.samplerate = kRate;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* const file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (file != nullptr) {
            sf_writef_float(file, samples.data(), static_cast<sf_count_t>(kSoundFrames));
            sf_close(file);
        }
        // The same file mapped (as sound files are read by default) and decoded.
        for (int decoded = 0; decoded < 2; ++decoded) {
            QVAudioResourcePrefs::sShared.providerUseMemoryMapping = decoded == 0;
            providers[decoded] = std::make_unique<QVProvider>(AKFilePath(path.c_str()));
            providers[decoded]->LoadSoundSync();
            QVTrackZone zone =
                QVTrackZone::MakeSafe(providers[decoded]->GetID(), 0.0, static_cast<double>(kSoundFrames) / kRate, 1.0);
            zone.SetProvider(providers[decoded].get());
            zones[decoded].Push(zone);
            zones[decoded].UpdateZonesLocalTime(nullptr, nullptr, 0.005);
            sources[decoded].resize(kTracks);
            for (QVTrackReadSource& source : sources[decoded])
                source.zones = &zones[decoded];
        }
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = true;
        QVAudioInfo format;
        format.Setup(kChannels, kBlockFrames, kRate);
        memory.PrepareAudioResources(format);
    }
    ~Setup()
    {
        memory.ReleaseAudioResources();
        providers[0].reset();
        providers[1].reset();
        for (int i = 0; i < 8; ++i)
            AKIdlingCenter::sShared.DoGlobalIdling();
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }

    std::string folder;
    std::string path;
    std::vector<float> samples;
    std::unique_ptr<QVProvider> providers[2];
    QVTrackZoneArray zones[2];
    QVAudioMemory memory{nullptr};
    std::vector<QVTrackReadSource> sources[2];
};

Setup& TheSetup()
{
    static Setup setup;
    return setup;
}

void ReadTracks(benchmark::State& state, double speed, unsigned int quality, int decoded)
{
    Setup& setup = TheSetup();
    QVTrackReader reader(setup.memory);
    reader.SetResamplingQuality(quality);
    QXSampleBuffer<double>* const block = setup.memory.RetainWorkingBuffer(2);
    double const duration = block->BufferDuration();
    std::vector<unsigned int> hints(kTracks, 0);
    double time = 1.0;
    unsigned long long mask = 0;
    for (auto _ : state) {
        unsigned int const rendered =
            reader.GrabAudioBlockOfTracks(block, setup.sources[decoded].data(), kTracks,
                                          {time, time + duration * speed}, speed, 0.0, hints.data(), true, &mask);
        benchmark::DoNotOptimize(rendered);
        benchmark::DoNotOptimize(*block->SamplePtrConst(0, 0));
        time += kBlockFrames / static_cast<double>(kRate) * speed;
        if (time > kSpan)
            time = 1.0;
    }
    state.counters["exact_mask"] = static_cast<double>(mask);
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kTracks * block->FrameCount()));
    setup.memory.ReleaseWorkingBuffer(*block);
}

// Argument 0: the sound mapped; 1: decoded into memory.
void BM_reader_speed1(benchmark::State& state) { ReadTracks(state, 1.0, 0, static_cast<int>(state.range(0))); }
BENCHMARK(BM_reader_speed1)->Arg(0)->Arg(1);

// The same samples converted and summed by hand into the same block.
void BM_loop_speed1(benchmark::State& state)
{
    Setup& setup = TheSetup();
    QXSampleBuffer<double>* const block = setup.memory.RetainWorkingBuffer(2);
    unsigned long long const frames = block->FrameCount();
    double* const left = block->SamplePtr(0, 0);
    double* const right = block->SamplePtr(1, 0);
    unsigned long long first = kRate;
    for (auto _ : state) {
        for (unsigned long long f = 0; f < frames; ++f)
            left[f] = right[f] = 0.0;
        for (unsigned int t = 0; t < kTracks; ++t) {
            float const* const source = setup.samples.data() + first * kChannels;
            for (unsigned long long f = 0; f < frames; ++f) {
                left[f] += static_cast<double>(source[f * 2]);
                right[f] += static_cast<double>(source[f * 2 + 1]);
            }
        }
        benchmark::DoNotOptimize(left[0]);
        first += kBlockFrames;
        if (first > static_cast<unsigned long long>(kSpan * kRate))
            first = kRate;
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kTracks * frames));
    setup.memory.ReleaseWorkingBuffer(*block);
}
BENCHMARK(BM_loop_speed1);

void BM_reader_speed09(benchmark::State& state)
{
    ReadTracks(state, 0.9, static_cast<unsigned int>(state.range(0)), 0);
}
BENCHMARK(BM_reader_speed09)->Arg(3)->Arg(4);

// One SINC_FASTEST converter per track, fed from the interleaved samples,
// its output summed into the block.
void BM_src_fastest_speed09(benchmark::State& state)
{
    Setup& setup = TheSetup();
    QXSampleBuffer<double>* const block = setup.memory.RetainWorkingBuffer(2);
    unsigned long long const frames = block->FrameCount();
    double* const left = block->SamplePtr(0, 0);
    double* const right = block->SamplePtr(1, 0);
    std::vector<SRC_STATE*> converters(kTracks);
    int error = 0;
    for (SRC_STATE*& converter : converters)
        converter = src_new(SRC_SINC_FASTEST, kChannels, &error);
    std::vector<float> output(frames * kChannels);
    std::vector<long> read(kTracks, kRate);
    double const ratio = 1.0 / 0.9;
    for (auto _ : state) {
        for (unsigned long long f = 0; f < frames; ++f)
            left[f] = right[f] = 0.0;
        for (unsigned int t = 0; t < kTracks; ++t) {
            if (read[t] > static_cast<long>(kSpan * kRate)) {
                read[t] = kRate;
                src_reset(converters[t]);
            }
            SRC_DATA data = {};
            data.data_in = setup.samples.data() + read[t] * kChannels;
            data.input_frames = static_cast<long>(kSoundFrames) - read[t];
            data.data_out = output.data();
            data.output_frames = static_cast<long>(frames);
            data.src_ratio = ratio;
            src_process(converters[t], &data);
            read[t] += data.input_frames_used;
            for (long f = 0; f < data.output_frames_gen; ++f) {
                left[f] += static_cast<double>(output[f * 2]);
                right[f] += static_cast<double>(output[f * 2 + 1]);
            }
        }
        benchmark::DoNotOptimize(left[0]);
    }
    for (SRC_STATE* converter : converters)
        src_delete(converter);
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kTracks * frames));
    setup.memory.ReleaseWorkingBuffer(*block);
}
BENCHMARK(BM_src_fastest_speed09);

// Time of each block over 10,000 blocks read in a row (8 tracks, mapped
// sound): the 99th percentile and the longest, in microseconds. Argument:
// 0 speed 1 (exact copies), 1 speed 0.9 at the default quality.
void BM_reader_block_times(benchmark::State& state)
{
    constexpr int kBlocks = 10000;
    bool const resampled = state.range(0) == 1;
    double const speed = resampled ? 0.9 : 1.0;
    Setup& setup = TheSetup();
    QVTrackReader reader(setup.memory);
    reader.SetResamplingQuality(resampled ? 3 : 0);
    QXSampleBuffer<double>* const block = setup.memory.RetainWorkingBuffer(2);
    double const duration = block->BufferDuration();
    std::vector<unsigned int> hints(kTracks, 0);
    std::vector<double> micros(kBlocks);
    unsigned long long mask = 0;
    for (auto _ : state) {
        double time = 1.0;
        for (int b = 0; b < kBlocks; ++b) {
            auto const start = std::chrono::steady_clock::now();
            unsigned int const rendered =
                reader.GrabAudioBlockOfTracks(block, setup.sources[0].data(), kTracks, {time, time + duration * speed},
                                              speed, 0.0, hints.data(), true, &mask);
            benchmark::DoNotOptimize(rendered);
            micros[b] = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
            time += kBlockFrames / static_cast<double>(kRate) * speed;
            if (time > kSpan)
                time = 1.0;
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["p99_us"] = micros[kBlocks * 99 / 100];
    state.counters["max_us"] = micros.back();
    state.counters["budget_us"] = 1e6 * kBlockFrames / kRate;
    setup.memory.ReleaseWorkingBuffer(*block);
}
BENCHMARK(BM_reader_block_times)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
