// A whole decoded load through the sound-file reader beside a bare
// sf_readf_float loop over the same file, in the same blocks of interleaved
// floats (65536 frames, as a provider loads), for a few kinds of file.
//
// Rows come in pairs: reader/<file> (factory open, then ReadNextFrames to
// the end) and sndfile/<file> (sf_open, then sf_readf_float to the end);
// each reports frames/s. After the run, one line per file gives the ratio
// of the reader's time to libsndfile's (1.00 = no overhead).
// The files (30 s of stereo at 44.1 kHz) are written with libsndfile into
// a temporary folder, removed at the end.
// Run: bench_audio_SndFileReaderBench [--benchmark_filter=...]

#include "AKLog.h"
#include "QVSoundFileReader.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr unsigned long long kFrames = 44100 * 30;
constexpr unsigned int kChannels = 2;
constexpr unsigned long long kBlockFrames = 65536;

struct BenchFile {
    char const* label;
    char const* name;
    int format;
};

BenchFile const kFiles[] = {
    {"wav16", "bench16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {"wav24", "bench24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {"wavfloat", "benchfloat.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {"aiff16", "bench16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"flac16", "bench16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
};

std::string& Folder()
{
    static std::string sFolder;
    return sFolder;
}

std::string PathOf(BenchFile const& file) { return Folder() + "/" + file.name; }

bool WriteFiles()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return false;
    Folder() = pattern;
    std::vector<float> samples(kFrames * kChannels);
    for (unsigned long long f = 0; f < kFrames; ++f) {
        samples[f * 2] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 441.0 * f / 44100.0));
        samples[f * 2 + 1] = static_cast<float>(0.25 * std::sin(2.0 * M_PI * 1000.0 * f / 44100.0));
    }
    for (BenchFile const& file : kFiles) {
        SF_INFO info;
        std::memset(&info, 0, sizeof(info));
        info.samplerate = 44100;
        info.channels = kChannels;
        info.format = file.format;
        SNDFILE* handle = sf_open(PathOf(file).c_str(), SFM_WRITE, &info);
        if (handle == nullptr)
            return false;
        sf_writef_float(handle, samples.data(), kFrames);
        sf_close(handle);
    }
    return true;
}

void ReaderLoad(benchmark::State& state, BenchFile const* file)
{
    std::vector<float> block(kBlockFrames * kChannels);
    AKFilePath const path(PathOf(*file).c_str());
    for (auto _ : state) {
        QVSoundFileReader* reader = QVSoundFileReader::New(path, true);
        if (reader == nullptr) {
            state.SkipWithError("the reader refused the file");
            return;
        }
        unsigned long long total = 0;
        for (;;) {
            unsigned long long count = kBlockFrames;
            if (reader->ReadNextFrames(block.data(), &count) != 0 || count == 0)
                break;
            total += count;
        }
        delete reader;
        benchmark::DoNotOptimize(block.data());
        if (total != kFrames)
            state.SkipWithError("short load");
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}

void SndFileLoad(benchmark::State& state, BenchFile const* file)
{
    std::vector<float> block(kBlockFrames * kChannels);
    std::string const path = PathOf(*file);
    for (auto _ : state) {
        SF_INFO info;
        std::memset(&info, 0, sizeof(info));
        SNDFILE* handle = sf_open(path.c_str(), SFM_READ, &info);
        if (handle == nullptr) {
            state.SkipWithError("libsndfile refused the file");
            return;
        }
        unsigned long long total = 0;
        for (;;) {
            sf_count_t const count = sf_readf_float(handle, block.data(), kBlockFrames);
            if (count <= 0)
                break;
            total += static_cast<unsigned long long>(count);
        }
        sf_close(handle);
        benchmark::DoNotOptimize(block.data());
        if (total != kFrames)
            state.SkipWithError("short load");
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}

// Prints the usual table, then the reader-to-libsndfile time ratio per file.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(std::vector<Run> const& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (Run const& run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                mTimes[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nreader time / sf_readf_float time:\n");
        for (BenchFile const& file : kFiles) {
            auto reader = mTimes.find(std::string("reader/") + file.label);
            auto bare = mTimes.find(std::string("sndfile/") + file.label);
            if (reader != mTimes.end() && bare != mTimes.end() && bare->second > 0.0)
                std::printf("  %-10s %.3f\n", file.label, reader->second / bare->second);
        }
    }

private:
    std::map<std::string, double> mTimes;
};

}  // namespace

int main(int argc, char** argv)
{
    AKLogErrorMute();
    if (!WriteFiles()) {
        std::fprintf(stderr, "can't write the benchmark files\n");
        return 1;
    }
    for (BenchFile const& file : kFiles) {
        benchmark::RegisterBenchmark((std::string("reader/") + file.label).c_str(), ReaderLoad, &file)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("sndfile/") + file.label).c_str(), SndFileLoad, &file)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
    return 0;
}
