// The real-time mix of one document through its audio source, beside a
// plain summing loop, on a 48 kHz stereo device with blocks of 512 frames.
// Scenes are sequences x single players per sequence x tracks per sequence;
// every player plays every track of its sequence (a player-track), each
// track one zone of a 10 s stereo sound: at 48 kHz (exact copies) or at
// 44.1 kHz (resampled).
//
// Rows (time per device block):
//   mix/<s>/<p>/<t>/<resampled>   QVAudioSource::GetNextAudioBlock; counters:
//       rtf            block duration / block time (real-time factor)
//       ptracks_per_s  player-tracks mixed per second of one core
//       p99_us, max_us block time percentiles over the run
//   sum/<n>   reference: a plain loop adding n stereo blocks of 512 frames
//             into one, sample by sample (ptracks_per_s comparable).
// Run: bench_engine_AudioMixBench [--benchmark_filter=...]

#include "AKIdlingCenter.h"
#include "QVAudioSource.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVTrackZoneArray.h"
#include "QVTreeHandler.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kChannels = 2;
constexpr unsigned long long kBlockFrames = 512;
constexpr double kRate = 48000.0;
constexpr double kSoundSeconds = 10.0;

struct Engine {
    Engine()
    {
        QVLibEnv::Initialize(false);
        // Players loop over their whole sequence, so they play for the whole run.
        QVPrefs::sShared.SetSequenceFullSeqInLoopMode(true);
    }
    ~Engine() { QVLibEnv::Terminate(); }
};

Engine& SharedEngine()
{
    static Engine sEngine;
    return sEngine;
}

// A registered, loaded stereo sine sound at that rate.
QVProvider* SoundAt(int rate)
{
    static std::vector<std::pair<int, QVProvider*>> sSounds;
    for (auto const& entry : sSounds)
        if (entry.first == rate)
            return entry.second;
    std::string const path = "/tmp/orvel-mixbench-" + std::to_string(getpid()) + "-" + std::to_string(rate) + ".wav";
    SF_INFO info = {};
    info.channels = kChannels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return nullptr;
    auto const frames = static_cast<unsigned long long>(kSoundSeconds * rate);
    std::vector<float> samples(frames * kChannels);
    for (unsigned long long f = 0; f < frames; ++f)
        for (unsigned int c = 0; c < kChannels; ++c)
            samples[f * kChannels + c] = static_cast<float>(0.01 * std::sin(2.0 * M_PI * 440.0 * f / rate + c));
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    QVProvider* const sound = QVProviderMgr::sShared.RegisterProvider(AKFilePath(path.c_str()));
    if (sound == nullptr || sound->LoadSoundSync() != 0)
        return nullptr;
    std::remove(path.c_str());
    sSounds.push_back({rate, sound});
    return sound;
}

void MixScene(benchmark::State& state)
{
    SharedEngine();
    auto const sequences = static_cast<unsigned int>(state.range(0));
    auto const players = static_cast<unsigned int>(state.range(1));
    auto const tracks = static_cast<unsigned int>(state.range(2));
    bool const resampled = state.range(3) != 0;
    QVProvider* const sound = SoundAt(resampled ? 44100 : 48000);
    if (sound == nullptr) {
        state.SkipWithError("no sound");
        return;
    }
    auto* const document = new QVDocument(0, kQVDocumentFlagPrivate | kQVDocumentFlagRealTimeAudio);
    document->OnDocumentNew(AKString("Bench"), 0, false);
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document);
    std::vector<QVObjectPlayable*> all;
    for (unsigned int s = 0; s < sequences; ++s) {
        QVObjectTrackArray list;
        for (unsigned int t = 0; t < tracks; ++t) {
            QVObjectTrack* const track = AKNew<QVObjectTrack>("%s", "");
            QVTrackZoneArray zones;
            QVTrackZone zone = QVTrackZone::MakeSafe(sound->GetID(), 0.0, kSoundSeconds, 1.0);
            zone.SetProvider(sound);
            zones.Push(zone);
            zones.UpdateZonesLocalTime(nullptr, nullptr, kQVTrackZoneFadeDurationDefault);
            track->InitWithTrackZones(zones);
            list.Push(track);
        }
        QVObjectSequence* sequence = nullptr;
        handler->DoEasyNewSequenceWithNewTracks(&sequence, AKString("Seq"), &list);
        for (unsigned int p = 0; p < players; ++p) {
            QVObjectPlayable* player = nullptr;
            handler->DoEasyNewCursor(&player, AKString(), 0, 0.5 + 0.1 * p, sequence, kAKLinkModeLastChildren);
            if (player != nullptr)
                all.push_back(player);
        }
    }
    document->SynchronizeAllAndNotifyGandlerListeners();
    for (QVObjectPlayable* player : all) {
        player->SetUserLoop(1);
        player->SetUserPlay(1);
    }
    QVAudioInfo info;
    info.Setup(kChannels, kBlockFrames, kRate);
    auto* const source = static_cast<QVAudioSource*>(document->GetAudioSource());
    source->PrepareAudioResources(info);
    AKIdlingCenter::sShared.DoGlobalIdling();
    source->GetNextAudioBlock(0);

    std::vector<double> times;
    times.reserve(1 << 16);
    for (auto _ : state) {
        auto const start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(source->GetNextAudioBlock(0));
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    double total = 0.0;
    for (double t : times)
        total += t;
    double const mean = times.empty() ? 0.0 : total / times.size();
    double const blockSeconds = kBlockFrames / kRate;
    state.counters["rtf"] = mean > 0.0 ? blockSeconds / mean : 0.0;
    state.counters["ptracks_per_s"] = benchmark::Counter(static_cast<double>(sequences * players * tracks),
                                                         benchmark::Counter::kIsIterationInvariantRate);
    state.counters["p99_us"] = times.empty() ? 0.0 : times[times.size() * 99 / 100] * 1e6;
    state.counters["max_us"] = times.empty() ? 0.0 : times.back() * 1e6;
    state.counters["load"] = mean / blockSeconds;
    document->Delete();
    AKIdlingCenter::sShared.DoGlobalIdling();
}

void SumLoop(benchmark::State& state)
{
    auto const n = static_cast<unsigned int>(state.range(0));
    std::vector<std::vector<double>> inputs(n * kChannels, std::vector<double>(kBlockFrames, 0.001));
    std::vector<std::vector<double>> mix(kChannels, std::vector<double>(kBlockFrames));
    for (auto _ : state) {
        for (auto& channel : mix)
            std::fill(channel.begin(), channel.end(), 0.0);
        for (unsigned int i = 0; i < n; ++i)
            for (unsigned int c = 0; c < kChannels; ++c) {
                double* const out = mix[c].data();
                double const* const in = inputs[i * kChannels + c].data();
                for (unsigned long long f = 0; f < kBlockFrames; ++f)
                    out[f] += in[f];
            }
        benchmark::DoNotOptimize(mix.data());
        benchmark::ClobberMemory();
    }
    state.counters["ptracks_per_s"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(MixScene)
    ->ArgNames({"seq", "players", "tracks", "resampled"})
    ->Args({1, 1, 1, 0})
    ->Args({1, 4, 8, 0})
    ->Args({4, 8, 16, 0})
    ->Args({8, 16, 16, 0})
    ->Args({1, 1, 1, 1})
    ->Args({1, 4, 8, 1})
    ->Args({4, 8, 16, 1})
    ->Args({8, 16, 16, 1})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SumLoop)->Arg(1)->Arg(32)->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
